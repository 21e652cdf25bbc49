#include "wait_window_run.h"

#include "form_progress.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QThread>
#include <QTimer>

#include <exception>
#include <memory>

namespace velmora {

namespace {

// Swallows the timer events of the QTimers below a window, outside the
// wait window. A timer whose event is swallowed stays armed, so it fires
// again one interval later.
class TimerHold : public QObject {
public:
    TimerHold(QObject* window, QObject* wait) : window_(window), wait_(wait)
    {
        if (window_)
            QCoreApplication::instance()->installEventFilter(this);
    }
    ~TimerHold() override
    {
        if (window_)
            QCoreApplication::instance()->removeEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Timer || !qobject_cast<QTimer*>(watched))
            return false;
        bool belowWindow = false;
        for (QObject* at = watched->parent(); at; at = at->parent()) {
            if (at == wait_)
                return false;
            if (at == window_)
                belowWindow = true;
        }
        return belowWindow;
    }

private:
    QObject* window_;
    QObject* wait_;
};

} // namespace

bool runBehindWaitWindow(QObject* window, Form_Progress* wait, const MaintenanceReport& onMainThread,
                         const std::function<bool(const MaintenanceReport&)>& command)
{
    // The receiver of the worker's reports, on the main thread.
    QObject mainThread;
    MaintenanceReport fromWorker;
    fromWorker.status = [&](const QString& text) {
        QMetaObject::invokeMethod(&mainThread, [&onMainThread, wait, text] {
            if (wait)
                wait->Label_Wait()->setText(text);
            onMainThread.showStatus(text);
        }, Qt::QueuedConnection);
    };
    fromWorker.message = [&](const QString& text) {
        QMetaObject::invokeMethod(&mainThread, [&onMainThread, text] { onMainThread.say(text); },
                                  Qt::BlockingQueuedConnection);
    };
    fromWorker.pause = [](int milliseconds) { QThread::msleep(static_cast<unsigned long>(milliseconds)); };

    bool result = false;
    std::exception_ptr failure;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            result = command(fromWorker);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    // Queued after every report the worker posted, so all of them are shown.
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    const TimerHold timersHeld(window, wait);
    if (wait) {
        wait->setWindowModality(Qt::ApplicationModal);
        wait->begin(QString(), 1);
    }
    worker->start();
    loop.exec();
    // A loop returns at once when the program is ending: the worker's
    // messages still need the main thread until it has ended.
    while (!worker->wait(QDeadlineTimer(20)))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (wait) {
        wait->finish();
        wait->setWindowModality(Qt::NonModal);
    }
    if (failure)
        std::rethrow_exception(failure);
    return result;
}

} // namespace velmora
