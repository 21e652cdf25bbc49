#pragma once

#include <QString>

#include <array>

namespace velmora::loader {

// Where one text field of an offer comes from: up to four columns (index 0
// is the first-chosen column, the number's highest group), or one hyperlink
// column whose cells give their link instead of their text.
struct FieldColumns {
    std::array<int, 4> columns{}; // in join order; 0 = unused
    int hyperlinkColumn = 0;      // set only for a hyperlink spec

    bool isHyperlink() const { return hyperlinkColumn > 0; }
    bool isSet() const { return isHyperlink() || columns[0] > 0 || columns[1] > 0 || columns[2] > 0 || columns[3] > 0; }
    int lastColumn() const;
};

// Decodes a column-spec number. A spec of 100000001 or more is a hyperlink
// column when the field may hold links (description, extra text); for the
// other fields its column part is read as a plain column.
FieldColumns DecodeFieldColumns(qint64 spec, bool mayBeHyperlink);

// A price column: the number's lowest group only.
int DecodePriceColumn(qint64 spec);

// The link a hyperlink-column cell gives when it carries no hyperlink of its
// own but a HYPERLINK (or ГИПЕРССЫЛКА) formula: the formula's first argument
// with its quotes removed; "" for any other formula.
QString LinkFromFormula(const QString& formula);

// 1-based index of the worksheet a sheet setting reads, or 0 for none. A
// workbook of one worksheet always gives that worksheet. A setting "[text]"
// matches every worksheet whose name contains the text, any other setting a
// worksheet of the same name (both without case or surrounding blanks); of
// several matches the last one counts.
int ChooseWorksheet(const QStringList& worksheetNames, const QString& setting);

} // namespace velmora::loader
