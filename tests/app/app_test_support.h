#pragma once

#include "platform/db/connection.h"
#include "platform/files/cp1251.h"
#include "storage/schema.h"
#include "storage/settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace velmora::testing {

// Processes events until the condition holds or the time is up.
inline bool waitFor(const std::function<bool()>& condition, int ms = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Processes events for a while: timers and queued signals run.
inline void processEventsFor(int ms)
{
    waitFor([] { return false; }, ms);
}

inline QString readBytesAsCp1251(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return decodeCp1251(file.readAll());
}

inline void writeCp1251(const QString& path, const QString& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(encodeCp1251(text));
}

// Default databases made once per test program, copied into each case.
inline const QString& defaultDatabasesFolder()
{
    static std::unique_ptr<QTemporaryDir> folder = [] {
        auto dir = std::make_unique<QTemporaryDir>();
        createPriceDatabase(dir->filePath(QStringLiteral("PRICE.vdb")));
        createOrderDatabase(dir->filePath(QStringLiteral("BaseZakaz.vdb")));
        return dir;
    }();
    static const QString path = folder->path() + u'/';
    return path;
}

// A program folder with the default files, an absent data folder and a
// place for a shared price database, all in one temporary folder.
struct Installation {
    QTemporaryDir root;
    QString program = root.filePath(QStringLiteral("program")) + u'/';
    QString data = root.filePath(QStringLiteral("appdata/Velmora")) + u'/';
    QString shared = root.filePath(QStringLiteral("server")) + u'/';

    Installation()
    {
        QDir().mkpath(program);
        QDir().mkpath(shared);
        for (const char* name : {"PRICE.vdb", "BaseZakaz.vdb"})
            QFile::copy(defaultDatabasesFolder() + QLatin1String(name), program + QLatin1String(name));
        QFile::copy(QStringLiteral(VELMORA_APP_SOURCE "/SetupUser.ini"), program + QStringLiteral("SetupUser.ini"));
        QFile::setPermissions(program + QStringLiteral("SetupUser.ini"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    QString userIni() const { return program + QStringLiteral("SetupUser.ini"); }

    // Sets one key of [SetupUsers], keeping the file in Windows-1251.
    void setUserKey(const QString& key, const QString& value) const
    {
        QString text = readBytesAsCp1251(userIni());
        QStringList lines = text.split(QStringLiteral("\r\n"));
        bool found = false;
        for (QString& line : lines) {
            if (line.startsWith(key + u'=')) {
                line = key + u'=' + value;
                found = true;
            }
        }
        if (!found)
            lines.insert(1, key + u'=' + value);
        writeCp1251(userIni(), lines.join(QStringLiteral("\r\n")));
    }
    void removeUserKey(const QString& key) const
    {
        QStringList lines = readBytesAsCp1251(userIni()).split(QStringLiteral("\r\n"));
        lines.removeIf([&](const QString& line) { return line.startsWith(key + u'='); });
        writeCp1251(userIni(), lines.join(QStringLiteral("\r\n")));
    }

    // A price database holding a marker setting, so that tests can tell
    // which copy a working copy came from.
    void makePriceDatabase(const QString& path, const QString& marker) const
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile::remove(path);
        QFile::copy(defaultDatabasesFolder() + QStringLiteral("PRICE.vdb"), path);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        db::Connection connection(path);
        WritePriceDbSetting(connection, QStringLiteral("Marker"), QStringLiteral("TypeText"), marker);
    }
};

// The marker of a price database file (empty when it has none).
inline QString priceMarker(const QString& path)
{
    db::Connection connection(path, db::OpenMode::ReadOnly);
    return connection.scalar(QStringLiteral("SELECT TypeText FROM settings WHERE ParName = 'Marker'")).toString();
}

// Every row of every table, as text, for comparing two states of a file.
inline QStringList dumpDatabase(db::Connection& connection)
{
    QStringList out;
    db::Statement tables = connection.prepare(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name"));
    QStringList names;
    while (tables.step())
        names << tables.text(0);
    for (const QString& table : names) {
        db::Statement rows = connection.prepare(QStringLiteral("SELECT * FROM \"%1\"").arg(table));
        QStringList lines;
        while (rows.step()) {
            QStringList values;
            for (int column = 0; column < rows.columnCount(); ++column)
                values << rows.value(column).toString();
            lines << table + u':' + values.join(u'|');
        }
        lines.sort();
        out << lines;
    }
    return out;
}

} // namespace velmora::testing
