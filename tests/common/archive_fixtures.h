#pragma once

// The archive fixtures of tests/archive/make_archives.py, written once per
// test program into a temporary folder (the test defines
// ARCHIVE_FIXTURE_SCRIPT as the script's path).

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace velmora::testing {

// The fixtures' folder, with a trailing "/".
inline const QString& archiveFixtures()
{
    static std::unique_ptr<QTemporaryDir> folder = [] {
        auto dir = std::make_unique<QTemporaryDir>();
        QProcess script;
        script.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(ARCHIVE_FIXTURE_SCRIPT), dir->path()});
        if (!script.waitForFinished(60000) || script.exitCode() != 0)
            ADD_FAILURE() << "fixture script: " << script.readAllStandardError().toStdString();
        return dir;
    }();
    static const QString path = folder->path() + u'/';
    return path;
}

} // namespace velmora::testing
