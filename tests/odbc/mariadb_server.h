#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <stdexcept>
#include <string>

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

// The one server of a test program, for its suites: start() in
// SetUpTestSuite, stop() in TearDownTestSuite. A server that cannot start
// leaves server() empty and its reason in startError(), so each test can
// fail with it rather than be skipped.
class SuiteServer {
public:
    static void start()
    {
        try {
            server_ = std::make_unique<MariaDbServer>();
        } catch (const std::exception& error) {
            startError_ = error.what();
        }
    }
    static void stop() { server_.reset(); }
    static MariaDbServer* server() { return server_.get(); }
    static const std::string& startError() { return startError_; }

private:
    static inline std::unique_ptr<MariaDbServer> server_;
    static inline std::string startError_;
};

} // namespace velmora::test
