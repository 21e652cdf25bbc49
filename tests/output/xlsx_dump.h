#pragma once

// A workbook as openpyxl, an independent reader, finds it
// (tests/spreadsheet/dump_xlsx.py).
#include "output_test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace velmora::output::test {

inline QJsonObject readXlsx(const QString& path)
{
    const ToolRun run = runTool(QStringLiteral("/usr/bin/python3"),
                                {QStringLiteral(VELMORA_TEST_DATA "/../spreadsheet/dump_xlsx.py"), path});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    return QJsonDocument::fromJson(run.output).object();
}

// One sheet of a workbook as openpyxl reads it.
struct SheetDump {
    QJsonObject sheet;
    QJsonObject cell(const QString& a1) const
    {
        return sheet.value(QStringLiteral("cells")).toObject().value(a1).toObject();
    }
    QJsonValue value(const QString& a1) const { return cell(a1).value(QStringLiteral("value")); }
    QJsonObject font(const QString& a1) const { return cell(a1).value(QStringLiteral("font")).toObject(); }
    QString fill(const QString& a1) const { return cell(a1).value(QStringLiteral("fill")).toString(); }
    int level(int row) const
    {
        return sheet.value(QStringLiteral("rows")).toObject().value(QString::number(row)).toObject()
            .value(QStringLiteral("level")).toInt();
    }
    // The row's values from column A to `last`, joined by "|".
    QString row(int row, QChar last) const
    {
        QStringList values;
        for (QChar c = u'A'; c <= last; c = QChar(c.unicode() + 1)) {
            const QJsonValue v = value(QString(c) + QString::number(row));
            values << (v.isDouble() ? QString::number(v.toDouble()) : v.toString());
        }
        return values.join(u'|');
    }
};

inline SheetDump sheetOf(const QString& path, const QString& name)
{
    const QJsonArray sheets = readXlsx(path).value(QStringLiteral("sheets")).toArray();
    for (const QJsonValue& s : sheets)
        if (s.toObject().value(QStringLiteral("name")).toString() == name)
            return SheetDump{s.toObject()};
    ADD_FAILURE() << "no sheet " << name.toStdString();
    return {};
}

} // namespace velmora::output::test
