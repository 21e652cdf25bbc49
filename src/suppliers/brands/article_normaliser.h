#pragma once

#include <QString>

namespace velmora {
class SettingsStore;
}

namespace velmora::brands {

// The article switches of the supplier settings window, kept in the order
// database's settings (TypeBoolean, default false) under their check boxes'
// names. The six steps run in the order of their fields, each on the result
// of the one before.
struct ArticleSwitches {
    bool convertOnLoad = false;  // CheckBox_Art_All: the loader stores the normalised article
    bool cutAtSlashComma = false; // CheckBox_Art_06: cut at the first "/", then at the first ","
    bool trimEnds = false;        // CheckBox_Art_01: blanks and control characters off both ends
    bool lettersAndDigits = false; // CheckBox_Art_02: only a-z, A-Z, 0-9, А-Я, а-я
    bool upperCase = false;       // CheckBox_Art_03
    bool cyrillicToLatin = false; // CheckBox_Art_04: А В Е К М Н О Р С Т Х (either case) as Latin
    bool letterOToZero = false;   // CheckBox_Art_05: capital Latin O and Cyrillic О become "0"

    static ArticleSwitches read(SettingsStore& settings);
    void write(SettingsStore& settings) const;
};

// The article after the switched-on steps; an article no step changes
// comes back as it is.
QString NormaliseArticle(const QString& article, const ArticleSwitches& steps);
// The same on `text` itself (no copy when it is not shared).
void NormaliseArticleInPlace(QString& text, const ArticleSwitches& steps);

} // namespace velmora::brands
