#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;

namespace velmora::history {

class HistoryResultModel;

// The price history beside the price-list settings: Panel_PriceHistory
// ("Товары из прошлых прайс-листов": a text search in the stored offers)
// and Panel_PriceHistory2 ("Архив старых прайс-листов": the stored loads,
// deleting one). Both show while the selected price list keeps its
// history. The supplier is always the one the settings tab shows; with none
// every command does nothing. Controls carry their names as objectName.
class PriceHistoryPanel : public QWidget {
    Q_OBJECT
public:
    PriceHistoryPanel(db::Connection& priceDb, db::Connection& orderDb, QWidget* parent = nullptr);
    ~PriceHistoryPanel() override;

    // The price list the commands work on ("" when none).
    void setSupplierProvider(std::function<QString()> supplier) { supplier_ = std::move(supplier); }
    // Yes/No questions (none: every question is answered No) and messages.
    void setQuestionHandler(Question ask) { ask_ = std::move(ask); }
    void setMessageSink(MessageSink sink) { messages_ = std::move(sink); }

    QGroupBox* historyPanel() const { return Panel_PriceHistory; }
    QGroupBox* loadsPanel() const { return Panel_PriceHistory2; }
    HistoryResultModel* resultModel() const { return model_; }

public slots:
    // A price list shown on the tab, with its history switch.
    void showPriceList(const QString& name, bool historyOn);
    // After the tab stored the switch the user clicked.
    void CheckBox_PriceHistoryClick();
    void SearchPriceHistory();
    // One load (dates >= 1) or the whole history (0), each after its question.
    void ClearPriceHistory(const QString& supplier, double dates);
    void Button_FindHistoryClick() { SearchPriceHistory(); }
    void CheckBox_FindHistoryABCClick();
    void DBGrid_FindHistoryDblClick();
    void DBGrid_PriceHistory2DblClick();
    void Button_PriceHistoryDelClick();
    void Button_PriceHistoryExcelClick();

signals:
    // The supplier goods search for this text (Edit_Find and its search).
    void goodsSearchRequested(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The panels' height while the history is shown.
    static constexpr int kShownHeight = 220;

    QString supplier() const { return supplier_ ? supplier_() : QString(); }
    bool ask(const QString& text) const { return ask_ && ask_(text); }
    void setPanelsVisible(bool visible);
    // Reads the loads again; the row whose stamp is `current` (if any) is made current.
    void reopenLoads(std::optional<double> current = std::nullopt);
    bool historyOn(const QString& name);

    db::Connection& priceDb_;
    db::Connection& orderDb_;
    std::function<QString()> supplier_;
    Question ask_;
    MessageSink messages_;
    HistoryResultModel* model_;

    QGroupBox* Panel_PriceHistory;
    QLineEdit* Edit_FindHistory;
    QPushButton* Button_FindHistory;
    QCheckBox* CheckBox_FindHistoryABC;
    QTableView* DBGrid_FindHistory;
    QGroupBox* Panel_PriceHistory2;
    QTableWidget* DBGrid_PriceHistory2;
    QPushButton* Button_PriceHistoryDel;
    QPushButton* Button_PriceHistoryExcel;
};

} // namespace velmora::history
