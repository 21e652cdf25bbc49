#pragma once

#include <QByteArray>
#include <QString>

namespace velmora::fuzz {

// The file name a workbook input is written under for an import that
// takes any workbook: what its first bytes show (zip, compound file), a
// CSV file otherwise.
inline QString workbookFileName(const QByteArray& bytes)
{
    if (bytes.startsWith("PK"))
        return QStringLiteral("input.xlsx");
    if (bytes.startsWith("\xD0\xCF\x11\xE0"))
        return QStringLiteral("input.xls");
    return QStringLiteral("input.csv");
}

} // namespace velmora::fuzz
