#pragma once

#include <QString>

namespace velmora {
class SettingsStore;
}

namespace velmora::catalogue {

// How new goods get their article numbers (the settings of Form_Artikul,
// kept in the settings store under the names of its controls; the combo
// boxes keep their item index).
struct ArticleSettings {
    bool CheckBox_Auto = false;   // build articles for new goods
    int ComboBox_MaxArt = 2;      // digits of the number part: index + 4
    bool CheckBox_Razd = false;   // put a separator into the number part
    int ComboBox_RazdPos = 3;     // after index + 1 characters
    QString Edit_Razd;            // the separator
    bool CheckBox_PrefKat = false; // the group's code in front
    int ComboBox_PrefMax = 3;     // digits of the group prefix: index + 2
    QString Edit_PrefRazd;        // between prefix and number

    bool operator==(const ArticleSettings&) const = default;
};

// The longest article price_main.Art holds.
constexpr int kArticleLength = 15;

// The length of the longest article the settings build: a number of its
// full digits in a group whose code has the prefix's full digits (0 with
// automatic articles off).
int longestArticleLength(const ArticleSettings& article);
// Why the article settings window refuses settings whose longest article
// does not fit kArticleLength, with that length; empty when it fits.
QString articleTooLongMessage(const ArticleSettings& article);

ArticleSettings readArticleSettings(SettingsStore& settings);
void writeArticleSettings(SettingsStore& settings, const ArticleSettings& article);

// The article of a new good from its number and its group's code: empty
// when automatic articles are off; else the number padded with "0" to its
// digits (a longer number is kept whole), the separator inserted (at the
// end when the number is shorter than its position), and with the prefix
// the group code and its separator in front, "0" put before all when the
// code is shorter than the prefix digits. Number 15 in group 7 with the
// defaults, "-" and "/" and every switch on: "00007/0000-15".
QString BuildArticleCode(const ArticleSettings& article, const QString& number, const QString& groupCode);

} // namespace velmora::catalogue
