#pragma once

#include <QString>

#include <stdexcept>

namespace velmora::odbc {

// Every failure of the ODBC layer. The message holds the driver's and the
// server's diagnostics (one per line, CR as the line break), followed by the
// statement when there is one.
class OdbcError : public std::runtime_error {
public:
    explicit OdbcError(const QString& message, const QString& sqlState = {})
        : std::runtime_error(message.toStdString()), sqlState_(sqlState) {}

    QString message() const { return QString::fromStdString(what()); }
    // The SQLSTATE of the first diagnostic ("42S02"); empty for the layer's
    // own errors.
    QString sqlState() const { return sqlState_; }

private:
    QString sqlState_;
};

} // namespace velmora::odbc
