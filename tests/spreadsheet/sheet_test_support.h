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

// Writes an .xlsx file of one sheet "Лист1" whose part holds `sheetXml`
// as it stands, packed by Python's zipfile: for files no writer makes.
inline void writeXlsxOfSheet(const QString& path, const QByteArray& sheetXml)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QStringLiteral(R"(import sys, zipfile
main = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
rel = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships'
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('[Content_Types].xml', '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>')
    z.writestr('_rels/.rels', '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
               '<Relationship Id="r1" Type="%s/officeDocument" Target="xl/workbook.xml"/></Relationships>' % rel)
    z.writestr('xl/workbook.xml', '<workbook %s xmlns:r="%s"><sheets><sheet name="Лист1" sheetId="1" r:id="r1"/>'
               '</sheets></workbook>' % (main, rel))
    z.writestr('xl/_rels/workbook.xml.rels', '<Relationships xmlns="http://schemas.openxmlformats.org/package/'
               '2006/relationships"><Relationship Id="r1" Type="%s/worksheet" Target="worksheets/sheet1.xml"/>'
               '</Relationships>' % rel)
    z.writestr('xl/worksheets/sheet1.xml', sys.stdin.buffer.read())
)"),
                  path});
    python.waitForStarted();
    python.write(sheetXml);
    python.closeWriteChannel();
    python.waitForFinished(60000);
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
}

} // namespace velmora::sheet::test
