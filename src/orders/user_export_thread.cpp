#include "orders/user_export_thread.h"

#include "platform/files/error_text.h"

namespace velmora::orders {

TUserExport::TUserExport(QString pricePath, UserExportRequest request, QObject* parent)
    : QThread(parent), pricePath_(std::move(pricePath)), request_(std::move(request))
{
}

void TUserExport::run()
{
    UserExportReport report;
    report.status = [this](const QString& status, const QString& caption) { emit SyncExportStatus(status, caption); };
    report.stopRequested = [this] { return isInterruptionRequested(); };
    try {
        db::Connection priceDb(pricePath_, db::OpenMode::ReadOnly);
        result_ = RunUserExport(priceDb, request_, report);
    } catch (const std::exception& error) {
        // Nothing may leave the thread's run: it would end the program.
        result_ = UserExportResult{};
        result_.errorText = ErrorText(error);
        emit SyncExportStatus(result_.errorText, kUserExportCaption);
    }
}

UserExportRunner::UserExportRunner(QString pricePath, QObject* parent)
    : QObject(parent), pricePath_(std::move(pricePath))
{
}

UserExportRunner::~UserExportRunner()
{
    if (UserExportThread) {
        UserExportThread->requestInterruption();
        UserExportThread->wait();
    }
}

bool UserExportRunner::start(const UserExportRequest& request)
{
    if (isRunning())
        return false;
    auto* thread = new TUserExport(pricePath_, request, this);
    connect(thread, &TUserExport::SyncExportStatus, this, &UserExportRunner::SyncExportStatus, Qt::QueuedConnection);
    connect(thread, &QThread::finished, this, [this, thread] {
        const UserExportResult result = thread->result();
        if (UserExportThread == thread)
            UserExportThread.clear();
        thread->deleteLater();
        emit exportFinished(result);
    });
    UserExportThread = thread;
    thread->start(QThread::LowPriority);
    return true;
}

void UserExportRunner::stop()
{
    if (UserExportThread && UserExportThread->isRunning())
        UserExportThread->requestInterruption();
}

void UserExportRunner::wait()
{
    if (UserExportThread)
        UserExportThread->wait();
}

} // namespace velmora::orders
