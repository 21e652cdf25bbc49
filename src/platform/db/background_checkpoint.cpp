#include "background_checkpoint.h"

namespace velmora::db {

void BackgroundCheckpoint::start(const QString& path)
{
    wait();
    thread_ = std::thread([path] {
        try {
            Connection connection(path);
            connection.checkpoint();
        } catch (...) {
        }
    });
}

void BackgroundCheckpoint::wait()
{
    if (thread_.joinable())
        thread_.join();
}

AutoCheckpointPause::AutoCheckpointPause(Connection& connection)
    : connection_(connection), previousPages_(connection.scalar(QStringLiteral("PRAGMA wal_autocheckpoint")).toInt())
{
    connection_.scalar(QStringLiteral("PRAGMA wal_autocheckpoint=0"));
}

AutoCheckpointPause::~AutoCheckpointPause()
{
    try {
        connection_.scalar(QStringLiteral("PRAGMA wal_autocheckpoint=%1").arg(previousPages_));
    } catch (...) {
    }
}

} // namespace velmora::db
