#pragma once

#include <QByteArray>
#include <QString>

namespace velmora::fuzz {

// The parts of an .xlsx package, in the order an input gives them,
// separated by NUL bytes (no XML part holds one): the sheet, the shared
// strings, the styles, the workbook, the workbook's relationships, the
// sheet's relationships, the content types and the package's
// relationships. A part the input does not reach is that of a plain
// one-sheet workbook (the sheet's relationships: none).
inline constexpr const char* kPackagePartNames[] = {
    "xl/worksheets/sheet1.xml", "xl/sharedStrings.xml",       "xl/styles.xml",
    "xl/workbook.xml",          "xl/_rels/workbook.xml.rels", "xl/worksheets/_rels/sheet1.xml.rels",
    "[Content_Types].xml",      "_rels/.rels",
};

// Writes the package of these parts as a zip (stored, not deflated) at
// `path`.
void writePackage(const QByteArray& parts, const QString& path);

} // namespace velmora::fuzz
