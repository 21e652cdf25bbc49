#pragma once

#include "platform/files/message_sink.h"

#include <QDialog>

#include <memory>

class QLineEdit;
class QListWidget;

namespace Ui {
class Form_Sklad;
}

namespace velmora::db {
class Connection;
}

namespace velmora::catalogue {

enum class StockEdit;
enum class StockList;

// Form_Sklad ("Критерии наличия товара"): the presence and absence lists of
// stock texts, the combined price's stock texts that are in neither, and
// the switches of the setting KritSklad. Lives for the whole run.
class Form_Sklad : public QDialog {
    Q_OBJECT
public:
    Form_Sklad(db::Connection& priceDb, db::Connection& orderDb, MessageSink messages, QWidget* parent = nullptr);
    ~Form_Sklad() override;

    void FormShow();
    void Button_AddYesClick() { addTo(presenceList()); }
    void Button_EditYesClick() { changeIn(presenceList()); }
    void Button_DelYesClick() { deleteFrom(presenceList()); }
    void Button_AddNoClick() { addTo(absenceList()); }
    void Button_EditNoClick() { changeIn(absenceList()); }
    void Button_DelNoClick() { deleteFrom(absenceList()); }
    void Button_OpenAllClick();
    void Button_AllYesClick();
    void Button_AllNoClick();
    void CheckBox_YesNoClick();
    void RadioButton_YesClick();
    void RadioButton_NoClick();
    void RadioButton_NullYesClick();
    void RadioButton_NullNoClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct ListControls {
        StockList list;
        QListWidget* grid;
        QLineEdit* edit;
    };
    ListControls presenceList() const;
    ListControls absenceList() const;

    void addTo(const ListControls& controls);
    void changeIn(const ListControls& controls);
    void showEditResult(const ListControls& controls, StockEdit result);
    void deleteFrom(const ListControls& controls);
    void moveMissingTextTo(StockList list);
    void openList(const ListControls& controls);
    void openMissingTexts();
    void showMissingTexts(bool shown);
    void showSwitchGroups(bool shown);

    std::unique_ptr<Ui::Form_Sklad> ui;
    db::Connection& priceDb_;
    db::Connection& orderDb_;
    MessageSink messages_;
};

} // namespace velmora::catalogue
