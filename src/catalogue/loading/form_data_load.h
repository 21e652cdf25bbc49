#pragma once

#include "data_load.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace velmora::catalogue {

// "Загрузка данных": a queue of suppliers, each with the date of its
// prices and a rate, loaded one after the other into the matching tables
// (optionally followed by the automatic matching over each supplier's
// items), then the minimum prices of all goods recalculated.
class Form_DataLoad : public QDialog {
    Q_OBJECT
public:
    struct Hooks {
        MessageSink tell;
        // The minimum-price recalculation of all goods on this window's bar.
        std::function<void(QProgressBar* bar)> recalcAllMinPrices;
        // Opens a workbook in the desktop's spreadsheet program.
        std::function<void(const QString& path)> openWorkbook;
    };
    Form_DataLoad(db::Connection& priceDb, SettingsStore& settings, Hooks hooks, QWidget* parent = nullptr);

    const QList<LoadQueueEntry>& queue() const { return queue_; }

    // Shown: the queue emptied, the controls as they start.
    void prepare();

public slots:
    void ComboBox_PostavChange();
    void RemoveEntryClick();
    void SpeedButton_ExcelClick();
    void Button_ZagruzClick();

signals:
    // The queue is loaded (the goods totals change).
    void loadFinished();
    // "Перейти ": the review of the proposals.
    void reviewRequested();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuildList(int select);
    void showEntry(int index);
    void showCounts(const std::optional<LoadCounts>& counts);
    void storeDateAndRate();
    void setRunning(bool running);
    int currentEntry() const;

    db::Connection& priceDb_;
    SettingsStore& settings_;
    Hooks hooks_;
    QList<LoadQueueEntry> queue_;
    bool showing_ = false;
    QComboBox* suppliers_;
    QDateEdit* date_;
    QComboBox* rate_;
    QListWidget* list_;
    QPushButton* remove_;
    QCheckBox* criteria_;
    QToolButton* excel_;
    QPushButton* start_;
    QPushButton* close_;
    QToolButton* review_;
    QProgressBar* bar_;
    QLabel* status_;
    std::array<QLabel*, 5> results_{};
};

} // namespace velmora::catalogue
