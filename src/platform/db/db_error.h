#pragma once

#include "platform/files/error_text.h"

#include <QString>
#include <stdexcept>

namespace velmora::db {

// Every engine failure surfaces as this exception; what() carries the
// engine's own message, followed by the statement when there is one. The
// engine running out of memory (SQLITE_NOMEM) reads as the program's own
// out-of-memory text.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message, int code = 0)
        : std::runtime_error(((code & 0xff) == kNoMemory ? kOutOfMemoryText : message).toStdString()), code_(code)
    {
    }

    QString message() const { return QString::fromStdString(what()); }
    // The SQLite result code, or 0 when the error is the layer's own.
    int code() const { return code_; }
    // Another connection holds the lock this statement needed (SQLITE_BUSY
    // or SQLITE_LOCKED, extended codes included): trying again later helps.
    bool lockHeldElsewhere() const { return (code_ & 0xff) == 5 || (code_ & 0xff) == 6; }

private:
    static constexpr int kNoMemory = 7; // SQLITE_NOMEM
    int code_;
};

} // namespace velmora::db
