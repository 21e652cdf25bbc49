#pragma once

#include <QString>

#include <string_view>

namespace velmora::loader {

// A cell's text as an offer stores it: a NUL ends a text for the search
// index but not for the statement that tests the rows, so it is stored as a
// blank and both see the whole text; blanks at either end go.
QString StoredCellText(QString text);

// Whether a text cell's UTF-8 bytes already are what StoredCellText, cut to
// `maxLength` UTF-16 units (any length when negative) and encoded back,
// gives: valid UTF-8 that reads back unchanged, no NUL, no blank at either
// end, not too long. Such a cell is stored as its bytes, without the two
// conversions; any other goes through QString.
bool StoresAsItStands(std::string_view utf8, int maxLength);

} // namespace velmora::loader
