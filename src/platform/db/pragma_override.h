#pragma once

#include "connection.h"

#include <QString>

namespace velmora::db {

// One of a connection's numeric settings (`PRAGMA name`) held at another
// value while this lives; the previous value comes back after, also when
// the work in between throws.
class PragmaOverride {
public:
    PragmaOverride(Connection& connection, const char* name, qint64 value)
        : connection_(connection), name_(QLatin1String(name)),
          previous_(connection.scalar(QStringLiteral("PRAGMA ") + name_).toLongLong())
    {
        set(value);
    }
    PragmaOverride(const PragmaOverride&) = delete;
    PragmaOverride& operator=(const PragmaOverride&) = delete;
    ~PragmaOverride()
    {
        try {
            set(previous_);
        } catch (...) {
        }
    }

    qint64 previous() const { return previous_; }

private:
    // Setting some of them returns a row (the new value): read as a query.
    void set(qint64 value) { connection_.scalar(QStringLiteral("PRAGMA %1=%2").arg(name_).arg(value)); }

    Connection& connection_;
    const QString name_;
    const qint64 previous_;
};

} // namespace velmora::db
