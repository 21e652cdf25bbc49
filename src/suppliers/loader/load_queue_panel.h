#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"
#include "storage/value_helpers.h"
#include "suppliers/currency/currency_table.h"
#include "suppliers/loader/load_queue_run.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

class QCheckBox;
class QListWidget;
class QPushButton;
class QTimer;

namespace velmora::loader {

class TPriceListLoadSave;

// What the queue panel needs from the program around it.
struct LoadQueueEnvironment {
    QString pricePath;      // the load thread opens its own connections
    QString orderPath;
    QString userIniPath;    // SetupUser.ini
    QString programFolder;  // export template
    bool ormita = false;
    bool isLoadAdmin = true;
    // The main thread's connections, for the new-file check and settings.
    db::Connection* priceDb = nullptr;
    db::Connection* orderDb = nullptr;
    // The current currency rates, copied at each start.
    std::function<CurrencyTable()> rates;
    // A Yes/No question and an information message (none: nothing is
    // shown and the question is answered No).
    Question ask;
    MessageSink inform;
    QString userName;       // the login name written as UserAdminName
    QueuePauses pauses;
};

// The load queue (Panel_LoadPrice): the queue box ListBox_LoadPrice, the
// start/stop button Button_LoadPrice and the automatic-export switch. It
// owns the one load thread (LoadThread): a press starts a run from the
// selected entry, a press during a run asks it to stop after the current
// list and disables the button until the thread has ended, and every end
// (finished, stopped, failed) returns the button to its start caption.
// The status goes out through statusChanged for the main status bar.
class LoadQueuePanel : public QWidget {
    Q_OBJECT
public:
    explicit LoadQueuePanel(LoadQueueEnvironment environment, QWidget* parent = nullptr);
    ~LoadQueuePanel() override;

    void setQueueNames(const QStringList& names);
    QStringList queueNames() const;
    // A name dropped from the supplier tree: appended, or selected when it
    // is queued already.
    void addToQueue(const QString& name);

    bool isLoadRunning() const;
    TPriceListLoadSave* loadThread() const;

    // Arms Timer_PostavNewTimer: the new-file check 1000 ms later, once.
    void startNewFileTimer();

    // Loads one list on the load thread, without the after-queue step, so
    // the window stays usable; false (nothing started) while a run goes on.
    bool startSingleLoad(const QString& name);

public slots:
    void Button_LoadPriceClick();
    void CheckUpdatedPriceLists();
    // Runs on the main thread for every report of the load thread.
    void SyncLoadStatus(const QString& statusText, const QString& buttonCaption);
    // "Загружать прайс-листы в базу": hands the administrator role over,
    // or takes it.
    void CheckBox_LoadBasePostavClick(bool checked);

signals:
    // Status bar panel 1 and panel 2 (elapsed "hh:mm:ss").
    void statusChanged(const QString& statusText, const QString& elapsedText);
    void queueEntryClicked(const QString& name);
    void queueChanged(const QStringList& names);
    void combinedExportRequested(const QString& ownStockName, const QStringList& supplierNames);
    void repricingRequested();
    void loadRunFinished();
    // A single-list load ended; errorText is "" when the list was loaded.
    void singleLoadFinished(const QString& name, const QString& errorText);
    // Offers of a list stored so far by the running load.
    void offersLoaded(const QString& name, int count);
    // The role changed by the hand-over box (start-up applies it).
    void loadAdminChanged(bool isLoadAdmin);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startRun(const QStringList& names, bool singleList);
    void threadEnded();
    bool ask(const QString& text);
    void inform(const QString& text);

    LoadQueueEnvironment environment_;
    QListWidget* list_ = nullptr;
    QPushButton* button_ = nullptr;
    QCheckBox* autoExport_ = nullptr;
    QCheckBox* loadBase_ = nullptr;
    QCheckBox* autoSaveIni_ = nullptr;
    QTimer* newFileTimer_ = nullptr;
    QPointer<TPriceListLoadSave> loadThread_;
    bool stopping_ = false;
    QString singleName_; // the list of a single-list run
    ElapsedTimer elapsed_;
};

} // namespace velmora::loader
