#include "suppliers/brands/article_normaliser.h"

#include "storage/settings_store.h"

#include <algorithm>
#include <array>

namespace velmora::brands {
namespace {

struct SwitchSetting {
    const char* name;
    bool ArticleSwitches::*field;
};

constexpr std::array<SwitchSetting, 7> kSwitches{{
    {"CheckBox_Art_All", &ArticleSwitches::convertOnLoad},
    {"CheckBox_Art_06", &ArticleSwitches::cutAtSlashComma},
    {"CheckBox_Art_01", &ArticleSwitches::trimEnds},
    {"CheckBox_Art_02", &ArticleSwitches::lettersAndDigits},
    {"CheckBox_Art_03", &ArticleSwitches::upperCase},
    {"CheckBox_Art_04", &ArticleSwitches::cyrillicToLatin},
    {"CheckBox_Art_05", &ArticleSwitches::letterOToZero},
}};

// The steps work on the one copy of the article, in place: the loader and
// the recalculation run them for every article of a million offers.
void cutAt(QString& text, QChar mark)
{
    const qsizetype at = text.indexOf(mark);
    if (at >= 0)
        text.truncate(at);
}

// As the Pascal Trim: every character up to the blank goes.
void trimControlsAndBlanks(QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= u' ')
        ++first;
    while (last > first && text[last - 1].unicode() <= u' ')
        --last;
    text.truncate(last);
    text.remove(0, first);
}

// The Cyrillic letters of code page 1251 the step keeps: А..я, without Ё and ё.
bool isKeptLetterOrDigit(char16_t u)
{
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')
        || (u >= u'\u0410' && u <= u'\u044F');
}

void keepLettersAndDigits(QString& text)
{
    const auto first = std::find_if_not(text.cbegin(), text.cend(), [](QChar c) { return isKeptLetterOrDigit(c.unicode()); });
    if (first == text.cend())
        return;
    qsizetype kept = first - text.cbegin();
    QChar* chars = text.data();
    for (qsizetype i = kept; i < text.size(); ++i)
        if (isKeptLetterOrDigit(chars[i].unicode()))
            chars[kept++] = chars[i];
    text.truncate(kept);
}

// Latin and the Cyrillic А..я map one to one, in place; anything else takes
// the full Unicode mapping, which may change the length ("ß" as "SS").
void toUpperCase(QString& text)
{
    const bool simple = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x80 || (u >= u'\u0410' && u <= u'\u044F');
    });
    if (!simple) {
        text = std::move(text).toUpper();
        return;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if ((u >= u'a' && u <= u'z') || (u >= u'\u0430' && u <= u'\u044F'))
            text[i] = QChar(char16_t(u - 0x20));
    }
}

// Cyrillic А В Е К М Н О Р С Т Х, either case, as the capital Latin letters
// A B E K M N O P C T X.
char16_t latinLookAlike(char16_t u)
{
    static const char16_t cyrillic[] = u"АВЕКМНОРСТХавекмнорстх";
    static const char16_t latin[] = u"ABEKMNOPCTXABEKMNOPCTX";
    if (u < u'\u0410' || u > u'\u0445')
        return u;
    for (int i = 0; cyrillic[i]; ++i)
        if (u == cyrillic[i])
            return latin[i];
    return u;
}

char16_t zeroForO(char16_t u) { return u == u'O' || u == u'\u041E' ? u'0' : u; }

// Replaces each character by `map` of it; the text is copied only when one
// changes.
template <typename Map>
void mapCharacters(QString& text, Map map)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        const char16_t mapped = map(u);
        if (mapped != u)
            text[i] = QChar(mapped);
    }
}

} // namespace

ArticleSwitches ArticleSwitches::read(SettingsStore& settings)
{
    ArticleSwitches switches;
    for (const SwitchSetting& s : kSwitches)
        switches.*s.field = settings.readBoolean(QLatin1String(s.name), QStringLiteral("0"));
    return switches;
}

void ArticleSwitches::write(SettingsStore& settings) const
{
    for (const SwitchSetting& s : kSwitches)
        settings.write(QLatin1String(s.name), QStringLiteral("TypeBoolean"),
                       this->*s.field ? QStringLiteral("-1") : QStringLiteral("0"));
}

QString NormaliseArticle(const QString& article, const ArticleSwitches& steps)
{
    QString text = article;
    NormaliseArticleInPlace(text, steps);
    return text;
}

void NormaliseArticleInPlace(QString& text, const ArticleSwitches& steps)
{
    if (steps.cutAtSlashComma) {
        cutAt(text, u'/');
        cutAt(text, u',');
    }
    if (steps.trimEnds)
        trimControlsAndBlanks(text);
    if (steps.lettersAndDigits)
        keepLettersAndDigits(text);
    if (steps.upperCase)
        toUpperCase(text);
    if (steps.cyrillicToLatin)
        mapCharacters(text, latinLookAlike);
    if (steps.letterOToZero)
        mapCharacters(text, zeroForO);
}

} // namespace velmora::brands
