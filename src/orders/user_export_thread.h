#pragma once

// The combined stock export on a worker thread of its own, at lowered
// priority, with its own connection to the price database; it reports
// through the queued signal SyncExportStatus. One runs at a time: the
// holder refuses a second start, whether from the export window or from
// the load thread.

#include "orders/user_export.h"

#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QThread>

namespace velmora::orders {

class TUserExport : public QThread {
    Q_OBJECT
public:
    // The request is copied: a change to the window's lists after the start
    // does not reach the run.
    TUserExport(QString pricePath, UserExportRequest request, QObject* parent = nullptr);

    // The run's outcome, once finished() was emitted.
    const UserExportResult& result() const { return result_; }

signals:
    // Each status text with the button caption that goes with it.
    void SyncExportStatus(const QString& status, const QString& caption);

protected:
    void run() override;

private:
    QString pricePath_;
    UserExportRequest request_;
    UserExportResult result_;
};

// Keeps the running export (UserExportThread) and passes its status on.
class UserExportRunner : public QObject {
    Q_OBJECT
public:
    explicit UserExportRunner(QString pricePath, QObject* parent = nullptr);
    ~UserExportRunner() override;

    // Starts a run; false (and nothing started) while one runs.
    bool start(const UserExportRequest& request);
    // Asks the running export to stop; nothing when none runs.
    void stop();
    bool isRunning() const { return !UserExportThread.isNull(); }
    // Waits for a running export to end (at program end and in tests).
    void wait();

    // The running export, empty once it ended.
    QPointer<TUserExport> UserExportThread;

signals:
    void SyncExportStatus(const QString& status, const QString& caption);
    void exportFinished(const velmora::orders::UserExportResult& result);

private:
    QString pricePath_;
};

} // namespace velmora::orders

Q_DECLARE_METATYPE(velmora::orders::UserExportResult)
