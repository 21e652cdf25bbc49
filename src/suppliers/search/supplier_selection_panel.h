#pragma once

#include "supplier_selection.h"

#include "platform/files/message_sink.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QToolButton;

namespace velmora::search {

// Panel_SelPostav (which suppliers take part in the search) and
// Panel_TemplateSetup (the selection templates). Every change of the flags
// emits selectionChanged(), after which the grid is searched again.
class SupplierSelectionPanel : public QWidget {
    Q_OBJECT
public:
    SupplierSelectionPanel(db::Connection& priceDb, db::Connection& orderDb, QWidget* parent = nullptr);

    // The Yes/No question (none: answered No).
    void setQuestion(Question question) { ask_ = std::move(question); }

    void FillTemplateLists(const QString& templateName);
    void ShowSelectionTemplate(QString templateName);
    const QStringList& templateSupplierList() const { return templateSuppliers_; }
    // Reads the supplier list again.
    void reloadSuppliers();

    QWidget* selectionPanel() const { return Panel_SelPostav; }
    QWidget* templatePanel() const { return Panel_TemplateSetup; }

signals:
    void selectionChanged();

public slots:
    void SpeedButton_AllPostavClick();
    void Button_SelectAllClick();
    void Button_SelectNotClick();
    void Button_SelPostavUpdateClick();
    void BitBtn5Click();
    void BitBtn_TempAddClick();
    void Button_TempAddClick();
    void Button9Click();
    void Button_TempSaveClick();
    void BitBtn_TempDelClick();
    void ComboBox_SelectTemplateChange();
    void ComboBox_TempSelChange();

private:
    void supplierTicked(QListWidgetItem* item);
    void hidePanels();

    db::Connection& priceDb_;
    db::Connection& orderDb_;
    Question ask_;
    QStringList templateSuppliers_;
    bool filling_ = false;
    bool ticksPending_ = false; // suppliers ticked since the list opened

    QWidget* Panel_SelPostav;
    QListWidget* List_SelPostav;
    QPushButton* Button_SelectAll;
    QPushButton* Button_SelectNot;
    QComboBox* ComboBox_SelectTemplate;
    QPushButton* Button_SelPostavUpdate;
    QToolButton* BitBtn5;

    QWidget* Panel_TemplateSetup;
    QComboBox* ComboBox_TempSel;
    QToolButton* BitBtn_TempAdd;
    QToolButton* BitBtn_TempDel;
    QListWidget* CheckListBox_TempPostav;
    QPushButton* Button_TempSave;
    QGroupBox* GroupBox_TempAdd;
    QLineEdit* Edit_TempSel;
    QPushButton* Button_TempAdd;
    QPushButton* Button9;
};

} // namespace velmora::search
