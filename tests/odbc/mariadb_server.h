#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace velmora::test {

// A MariaDB server of the test's own: mariadb-install-db makes a data
// folder in a temporary directory, then mariadbd serves it on 127.0.0.1 on
// a free port, without grant tables (any user, no password), UTF-8 by
// default. The destructor stops it and removes the folder. Start one per
// test program (e.g. in SetUpTestSuite): it takes a few seconds.
class MariaDbServer {
public:
    // Throws std::runtime_error with the server's log when it cannot start.
    MariaDbServer();
    ~MariaDbServer();
    MariaDbServer(const MariaDbServer&) = delete;
    MariaDbServer& operator=(const MariaDbServer&) = delete;

    QString host() const { return QStringLiteral("127.0.0.1"); }
    int port() const { return port_; }
    QString folder() const { return dir_.path(); }

    // Runs SQL through the server's own command-line client (mariadb) and
    // returns its output: one line per row, tab between columns, no header.
    // LOAD DATA LOCAL INFILE is allowed.
    // Throws std::runtime_error with the client's message when it fails.
    QString clientQuery(const QString& sql, const QString& database = {}) const;
    // A fresh database; its character set when given ("cp1251").
    void createDatabase(const QString& name, const QString& charset = QStringLiteral("utf8mb4")) const;

private:
    bool start(int port);
    void stop();
    QString log() const;

    QTemporaryDir dir_;
    std::unique_ptr<QProcess> server_;
    int port_ = 0;
};

} // namespace velmora::test
