#pragma once

#include "odbc_statement.h"

#include <QString>
#include <QVariant>

namespace velmora::odbc {

// One connection through the unixODBC driver manager, with its own
// environment; disconnected and freed by its destructor. Statements made
// from it must not outlive it.
class Connection {
public:
    Connection();
    // Connects at once (see open).
    explicit Connection(const QString& connectionString);
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    // Connects without prompting, by an ODBC connection string
    // ("DSN=name;UID=...", or "DRIVER=...;SERVER=..."); an ADO string is
    // first made one by OdbcConnectionString. Throws OdbcError with the
    // driver's diagnostics. An open connection is closed first.
    void open(const QString& connectionString);
    void close();
    bool isOpen() const { return connected_; }

    // Runs one statement that returns no rows; the number of rows changed.
    qint64 exec(const QString& sql);
    // Prepares a statement to run with Statement::execute.
    Statement prepare(const QString& sql);
    // Runs a statement whose rows are read with Statement::step.
    Statement query(const QString& sql);
    // The first column of the first row; invalid when there is none.
    QVariant scalar(const QString& sql);

private:
    void requireOpen() const;

    void* env_ = nullptr; // SQLHENV
    void* dbc_ = nullptr; // SQLHDBC
    bool connected_ = false;
    bool utf8Texts_ = false; // texts of parameter arrays go as UTF-8 bytes
};

} // namespace velmora::odbc
