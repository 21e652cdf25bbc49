#include "background_checkpoint.h"

#include <system_error>

namespace velmora::db {

namespace {

void copyLog(const QString& path) noexcept
{
    try {
        Connection connection(path);
        connection.checkpoint();
    } catch (...) {
    }
}

} // namespace

void BackgroundCheckpoint::start(const QString& path)
{
    wait();
    try {
        thread_ = std::thread(copyLog, path);
    } catch (const std::system_error&) {
        // No thread to be had: the caller's commit is done, so copy here.
        copyLog(path);
    }
}

void BackgroundCheckpoint::wait()
{
    if (thread_.joinable())
        thread_.join();
}

} // namespace velmora::db
