#pragma once

#include "suppliers/currency/currency_table.h"
#include "suppliers/exports/price_list_export.h"
#include "suppliers/loader/load_queue_run.h"

#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>

namespace velmora::loader {

// Everything a run needs, copied on the main thread when it starts.
struct LoadRunSettings {
    QString pricePath;     // the thread opens its own connections
    QString orderPath;
    QString userIniPath;   // SetupUser.ini
    QString programFolder; // where the export template lies
    CurrencyTable rates;
    bool ormita = false;
    QStringList names;     // the queue from the selected entry on
    bool singleList = false; // no after-queue step
    exports::ExportColumnTitles titles;
    QueuePauses pauses;
};

// The load thread: works through the queue with its own database
// connections and reports only through queued signals, never touching a
// widget. A stop request is honoured between price lists (the current one
// finishes); an abort also abandons the list being loaded, leaving its old
// goods (for program exit).
class TPriceListLoadSave : public QThread {
    Q_OBJECT
public:
    explicit TPriceListLoadSave(LoadRunSettings settings, QObject* parent = nullptr);
    ~TPriceListLoadSave() override;

    void requestStop() { stop_ = true; }
    void requestAbort()
    {
        stop_ = true;
        abort_ = true;
    }
    bool stopRequested() const { return stop_; }
    bool abortRequested() const { return abort_; }

    // The outcome once the thread has finished; firstError is the error text
    // of the first list that failed.
    const QueueRunOutcome& outcome() const { return outcome_; }
    const QString& firstError() const { return firstError_; }

signals:
    // StatusText and ButtonCaptionText; the receiver runs SyncLoadStatus.
    void statusReported(const QString& statusText, const QString& buttonCaption);
    void combinedExportRequested(const QString& ownStockName, const QStringList& supplierNames);
    void repricingRequested();
    // The export after the queue left goods out of some workbooks (a line
    // per list).
    void exportRowsOmitted(const QString& text);
    // Offers of the list being loaded stored so far (every few thousand,
    // and the total once it is loaded).
    void offersLoaded(const QString& name, int count);

protected:
    void run() override;

private:
    LoadRunSettings settings_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> abort_{false};
    QueueRunOutcome outcome_;
    QString firstError_;
};

} // namespace velmora::loader
