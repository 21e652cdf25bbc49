#pragma once

// Worksheets for the catalogue's import tests: value blocks made in place,
// and small workbooks written by independent writers (python3-xlwt for
// .xls, python3-openpyxl for .xlsx) under Debian's /usr/bin/python3.

#include "platform/spreadsheet/value_block.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QVariant>

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

namespace velmora::testing {

using SheetRows = std::vector<std::vector<QVariant>>;

// A block from A1: strings as text, numbers as numbers, invalid as empty.
inline sheet::ValueBlock makeBlock(const SheetRows& rows)
{
    size_t columns = 1;
    for (const auto& row : rows)
        columns = std::max(columns, row.size());
    sheet::ValueBlock block(int(rows.size()), int(columns));
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) {
            const QVariant& v = rows[r][c];
            if (!v.isValid())
                continue;
            if (v.typeId() == QMetaType::QString)
                block.setText(int(r + 1), int(c + 1), v.toString());
            else
                block.setNumber(int(r + 1), int(c + 1), v.toDouble());
        }
    return block;
}

inline QJsonArray jsonSheets(const std::vector<std::pair<QString, SheetRows>>& sheets)
{
    QJsonArray out;
    for (const auto& [name, rows] : sheets) {
        QJsonArray jsonRows;
        for (const auto& row : rows) {
            QJsonArray cells;
            for (const QVariant& v : row)
                cells.append(!v.isValid() ? QJsonValue() : QJsonValue::fromVariant(v));
            jsonRows.append(cells);
        }
        out.append(QJsonArray{name, jsonRows});
    }
    return out;
}

// Merged areas per sheet name, in A1 form ("A2:A6").
using SheetMerges = std::map<QString, QStringList>;

// Writes the sheets with a Python writer: `kind` "xls" or "xlsx". The
// merged areas (xlsx only) keep the value of their top-left cell.
inline void writeWorkbook(const QString& path, const std::vector<std::pair<QString, SheetRows>>& sheets,
                          const char* kind, const SheetMerges& merges = {})
{
    static const char* script = R"(
import json, sys
kind, path = sys.argv[1], sys.argv[2]
data = json.loads(sys.stdin.read())
sheets, merges = data["sheets"], data["merges"]
if kind == "xls":
    import xlwt
    book = xlwt.Workbook(encoding="utf-8")
    for name, rows in sheets:
        sheet = book.add_sheet(name)
        for r, row in enumerate(rows):
            for c, value in enumerate(row):
                if value is not None:
                    sheet.write(r, c, value)
    book.save(path)
else:
    import openpyxl
    book = openpyxl.Workbook()
    book.remove(book.active)
    for name, rows in sheets:
        sheet = book.create_sheet(name)
        for r, row in enumerate(rows):
            for c, value in enumerate(row):
                if value is not None:
                    sheet.cell(row=r + 1, column=c + 1, value=value)
        for area in merges.get(name, []):
            sheet.merge_cells(area)
    book.save(path)
)";
    QJsonObject jsonMerges;
    for (const auto& [sheet, areas] : merges)
        jsonMerges.insert(sheet, QJsonArray::fromStringList(areas));
    const QJsonObject data{{QStringLiteral("sheets"), jsonSheets(sheets)}, {QStringLiteral("merges"), jsonMerges}};
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromUtf8(script), QString::fromLatin1(kind), path});
    python.write(QJsonDocument(data).toJson(QJsonDocument::Compact));
    python.closeWriteChannel();
    python.waitForFinished(60000);
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
}

inline void writeXls(const QString& path, const std::vector<std::pair<QString, SheetRows>>& sheets)
{
    writeWorkbook(path, sheets, "xls");
}

inline void writeXlsx(const QString& path, const std::vector<std::pair<QString, SheetRows>>& sheets,
                      const SheetMerges& merges = {})
{
    writeWorkbook(path, sheets, "xlsx", merges);
}

} // namespace velmora::testing
