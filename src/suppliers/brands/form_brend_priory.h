#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"
#include "suppliers/brands/priority_brands.h"

#include <QDialog>

class QComboBox;
class QPushButton;
class QTableWidget;

namespace velmora::brands {

// Form_BrendPriory ("установка приоритетных брендов"): the priority brands
// the supplier goods search marks, one added from the maker texts of the
// loaded goods, one deleted by a double-click after its question. A file
// without the table gets it when the window opens.
class Form_BrendPriory : public QDialog {
    Q_OBJECT
public:
    Form_BrendPriory(db::Connection& priceDb, QWidget* parent = nullptr);
    ~Form_BrendPriory() override;

    void setMessageSink(MessageSink sink) { messages_ = std::move(sink); }
    // Yes/No questions (none: every question is answered No).
    void setQuestionHandler(Question ask) { ask_ = std::move(ask); }

public slots:
    void FormShow();
    void Button_BrendPrioryAddClick();
    void DBGrid_BrendPrioryDblClick();

signals:
    // The brands changed: the goods query is opened again for its marks.
    void priorityBrandsChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The list, with the row of `current` (the first when absent) current.
    void openList(const QString& current = QString());
    void say(const QString& text) const;

    db::Connection& priceDb_;
    MessageSink messages_;
    Question ask_;
    QVector<PriorityBrand> brands_;
    QTableWidget* DBGrid_BrendPriory = nullptr;
    QComboBox* ComboBox_BrendPrioryNew = nullptr;
    QPushButton* Button_BrendPrioryAdd = nullptr;
};

} // namespace velmora::brands
