#include "mariadb_server.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <unistd.h>

#include <stdexcept>

namespace velmora::test {
namespace {

// The server programs live in /usr/sbin, often not on a user's PATH.
QString program(const QString& name)
{
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
    if (path.isEmpty())
        throw std::runtime_error(name.toStdString() + " not found (package mariadb-server)");
    return path;
}

int freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        throw std::runtime_error("no free port on 127.0.0.1");
    return probe.serverPort();
}

// Small and quick: a test server keeps little and need not survive a crash.
QStringList engineOptions()
{
    return {QStringLiteral("--innodb-log-file-size=4M"), QStringLiteral("--innodb-buffer-pool-size=16M"),
            QStringLiteral("--innodb-flush-method=nosync"), QStringLiteral("--innodb-flush-log-at-trx-commit=0"),
            QStringLiteral("--skip-log-bin")};
}

QStringList userOption()
{
    // mariadbd refuses to run as root unless told so.
    return geteuid() == 0 ? QStringList{QStringLiteral("--user=root")} : QStringList{};
}

} // namespace

MariaDbServer::MariaDbServer()
{
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder for the server");
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(program(QStringLiteral("mariadb-install-db")),
                  QStringList{QStringLiteral("--no-defaults"), QStringLiteral("--datadir=") + dir_.filePath("data"),
                              QStringLiteral("--auth-root-authentication-method=normal"),
                              QStringLiteral("--skip-test-db"),
                              // Servers made side by side must not share
                              // their temporary tables' folder.
                              QStringLiteral("--tmpdir=") + dir_.path()} +
                      userOption() + engineOptions());
    if (!install.waitForFinished(60000) || install.exitStatus() != QProcess::NormalExit || install.exitCode() != 0)
        throw std::runtime_error("mariadb-install-db failed: " + install.readAll().toStdString());

    for (int attempt = 0; attempt < 3; ++attempt)
        if (start(freePort()))
            return;
    throw std::runtime_error("mariadbd did not start:\n" + log().toStdString());
}

MariaDbServer::~MariaDbServer() { stop(); }

bool MariaDbServer::start(int port)
{
    stop();
    QFile::remove(dir_.filePath("error.log"));
    server_ = std::make_unique<QProcess>();
    server_->setProcessChannelMode(QProcess::MergedChannels);
    server_->setStandardOutputFile(QProcess::nullDevice());
    server_->start(program(QStringLiteral("mariadbd")),
                   QStringList{QStringLiteral("--no-defaults"), QStringLiteral("--datadir=") + dir_.filePath("data"),
                               QStringLiteral("--socket=") + dir_.filePath("server.sock"),
                               QStringLiteral("--pid-file=") + dir_.filePath("server.pid"),
                               QStringLiteral("--log-error=") + dir_.filePath("error.log"),
                               QStringLiteral("--tmpdir=") + dir_.path(), QStringLiteral("--bind-address=127.0.0.1"),
                               QStringLiteral("--port=%1").arg(port), QStringLiteral("--skip-grant-tables"),
                               QStringLiteral("--character-set-server=utf8mb4"),
                               QStringLiteral("--collation-server=utf8mb4_general_ci")} +
                       userOption() + engineOptions());
    if (!server_->waitForStarted(10000))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000 && server_->state() == QProcess::Running) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, quint16(port));
        if (socket.waitForConnected(200)) {
            port_ = port;
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}

void MariaDbServer::stop()
{
    if (!server_)
        return;
    if (server_->state() != QProcess::NotRunning) {
        server_->terminate();
        if (!server_->waitForFinished(15000)) {
            server_->kill();
            server_->waitForFinished(5000);
        }
    }
    server_.reset();
}

QString MariaDbServer::log() const
{
    QFile file(dir_.filePath("error.log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString MariaDbServer::clientQuery(const QString& sql, const QString& database) const
{
    QProcess client;
    QStringList arguments{QStringLiteral("--no-defaults"),         QStringLiteral("--host=127.0.0.1"),
                          QStringLiteral("--port=%1").arg(port_),   QStringLiteral("--user=root"),
                          QStringLiteral("--default-character-set=utf8mb4"), QStringLiteral("--batch"),
                          QStringLiteral("--skip-column-names"),    QStringLiteral("--raw"),
                          QStringLiteral("--local-infile=1"),
                          QStringLiteral("--execute=") + sql};
    if (!database.isEmpty())
        arguments << database;
    client.start(program(QStringLiteral("mariadb")), arguments);
    if (!client.waitForFinished(30000) || client.exitStatus() != QProcess::NormalExit || client.exitCode() != 0)
        throw std::runtime_error("mariadb client failed: " + client.readAllStandardError().toStdString());
    return QString::fromUtf8(client.readAllStandardOutput());
}

void MariaDbServer::createDatabase(const QString& name, const QString& charset) const
{
    clientQuery(QStringLiteral("CREATE DATABASE `%1` CHARACTER SET %2").arg(name, charset));
}

} // namespace velmora::test
