#pragma once

// The generated inputs of a benchmark: the folder they are written into
// and the workbooks made from value blocks.

#include "platform/spreadsheet/spreadsheet.h"

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace velmora::bench {

// A temporary folder removed at the end, or the folder after "--keep"
// (made when missing), whose files stay for a look at them.
class WorkFolder {
public:
    explicit WorkFolder(const QStringList& args) : path_(temporary_.path())
    {
        if (const qsizetype at = args.indexOf(QStringLiteral("--keep")); at >= 0 && at + 1 < args.size()) {
            path_ = args[at + 1];
            QDir().mkpath(path_);
        }
    }

    const QString& path() const { return path_; }

private:
    QTemporaryDir temporary_;
    QString path_;
};

// A new workbook whose first sheet holds `block` from `corner`, named
// `sheetName` when one is given, saved at `path`.
inline void saveBlockAsWorkbook(const QString& path, const sheet::ValueBlock& block, const QString& sheetName = {},
                                sheet::CellRef corner = sheet::CellRef{1, 1})
{
    sheet::Workbook book;
    if (!sheetName.isEmpty())
        book.sheet(1).setName(sheetName);
    book.sheet(1).setValues(corner, block);
    book.saveAs(path);
}

} // namespace velmora::bench
