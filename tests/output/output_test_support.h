#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace velmora::output::test {

inline QString dataFile(const QString& name) { return QStringLiteral(VELMORA_TEST_DATA "/output/") + name; }

inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

struct ToolRun {
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

// Runs an independent reader of our files (xmllint, Debian's python3), in
// `workingDirectory` when given.
inline ToolRun runTool(const QString& program, const QStringList& arguments, const QString& workingDirectory = {})
{
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        run.errors = "did not finish: " + program.toUtf8();
        return run;
    }
    run.exitCode = process.exitCode();
    run.output = process.readAllStandardOutput();
    run.errors = process.readAllStandardError();
    return run;
}

} // namespace velmora::output::test
