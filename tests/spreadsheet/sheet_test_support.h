#pragma once

#include "platform/spreadsheet/spreadsheet.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <gtest/gtest.h>

namespace velmora::sheet::test {

inline QString fixture(const QString& name)
{
    return QStringLiteral(VELMORA_TEST_DATA "/spreadsheet/") + name;
}

// What openpyxl (Debian's, under /usr/bin/python3) reads from an .xlsx file;
// see dump_xlsx.py. Fails the test when the reader fails.
inline QJsonObject readWithOpenpyxl(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(VELMORA_TEST_DATA "/../spreadsheet/dump_xlsx.py"), path});
    python.waitForFinished(60000);
    const QByteArray out = python.readAllStandardOutput();
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << out.toStdString();
    return doc.object();
}

} // namespace velmora::sheet::test
