#pragma once

#include <QString>

namespace velmora {

// Price texts as people write them in price lists, orders and catalogue
// files. Every reader of a price text calls these: the supplier loader,
// the order import, the catalogue and price-update imports.

// A price read from a text. `hasNumber` is false when the text holds no
// digits at all (an empty cell, "звоните"): a price list's row is then no
// offer unless empty prices load as 0.
struct ParsedPrice {
    double value = 0;
    bool hasNumber = false;
};

// Reads a trimmed price text without regard to the process locale.
//
// A plain number reads as it stands, with "," or "." as the decimal
// separator; when both occur the last one is the decimal separator and the
// others group thousands ("1,234.50", "1.234,50"); one separator alone is
// the decimal one ("1,234" is 1.234).
//
// Any other text gives its first number: a separator before the first digit
// is no decimal point ("руб. 12,50" 12.5, "р.1200" 1200), a range or list
// gives its first number ("10-15" 10, "5 / 6" 5), groups of three digits
// split by blanks, or by "," or "." used more than once or before another
// separator, group thousands ("1 234,50 руб." 1234.5, "1,234,567" 1234567);
// after the integer part, a "," or "." followed by digits is the decimal
// separator.
//
// When `currencyCode` is given and the text is no plain number, it receives
// the code named by the first currency word of the text
// (CurrencyCodeOfPriceWord), or stays as it is when there is none.
ParsedPrice ParsePriceText(const QString& text, QString* currencyCode = nullptr);

// A stock text's quantity as the combined stock export reads it: the
// first number of the trimmed text, made of digits, blanks between digit
// groups and at most one "," or "." between digits as the decimal
// separator, rounded to four decimals ("12 шт" 12, "1,5" 1.5, "1 200" 1200,
// "10-20" 10). A number with two separators ("1.234,5") and a text
// without digits give 0.
double ParsePrice(const QString& text);

// The code named by a currency word in the text ("" when none), case
// ignored, tested in this order: BYN for "byn"/"бел" (so "бел. руб" is not
// RUB), RUB for "руб"/"р.", USD for "$"/"usd", EUR for "eur"/"evro"/"евро"/
// "€", UAH for "uah"/"грн".
QString CurrencyCodeOfPriceWord(const QString& text);

// A price list row's currency cell as a code where a word names one
// ("руб."/"RUR" -> "RUB", "$" -> "USD", "evro"/"eur"/"евро"/"€" -> "EUR",
// "грн" -> "UAH", "бел"/"byn" -> "BYN"); other texts come back trimmed and
// upper-cased, so "usd" matches "USD".
QString NormaliseRowCurrencyText(const QString& text);

} // namespace velmora
