#pragma once

#include <QString>

namespace velmora::loader {

// A price as a supplier's cell quotes it. `hasNumber` is false when the text
// holds no digits at all (an empty cell, "звоните"): such a row is no offer
// unless empty prices load as 0.
struct ParsedPrice {
    double value = 0;
    bool hasNumber = false;
};

// Parses a trimmed price text without regard to the process locale.
// "," and "." both work as decimal separator; when both occur, the last one
// is the decimal separator and the others group thousands ("1,234.50",
// "1.234,50"). A text that is no number as a whole keeps its digits and its
// first separator ("1 234,50 руб." gives 1234.5). When `currencyCode` is
// given and the text is no plain number, it receives the code named by the
// first currency word of the text ("руб", "$", "eur", "грн", "бел" ...), or
// stays as it is when there is none.
ParsedPrice ParsePriceText(const QString& text, QString* currencyCode = nullptr);

// The code named by a currency word in the text ("" when none): BYN for
// "byn"/"бел" (tested first, so "бел. руб" is not RUB), RUB for "руб"/"р.",
// USD for "$"/"usd", EUR for "eur"/"evro", UAH for "uah"/"грн". Case is
// ignored.
QString CurrencyCodeOfPriceWord(const QString& text);

// A row's currency cell normalised to a code where a word names one
// ("руб."/"RUR" -> "RUB", "$" -> "USD", "evro"/"eur" -> "EUR",
// "грн" -> "UAH", "бел"/"byn" -> "BYN"); other texts come back trimmed and
// upper-cased, so "usd" matches "USD".
QString NormaliseRowCurrencyText(const QString& text);

} // namespace velmora::loader
