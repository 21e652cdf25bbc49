#include "suppliers/brands/article_normaliser.h"

#include "storage/settings_store.h"

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

QString cutAt(const QString& text, QChar mark)
{
    const qsizetype at = text.indexOf(mark);
    return at < 0 ? text : text.left(at);
}

// As the Pascal Trim: every character up to the blank goes.
QString trimControlsAndBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= u' ')
        ++first;
    while (last > first && text[last - 1].unicode() <= u' ')
        --last;
    return text.mid(first, last - first);
}

// The Cyrillic letters of code page 1251 the step keeps: А..я, without Ё and ё.
bool isKeptLetterOrDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')
        || (u >= u'\u0410' && u <= u'\u044F');
}

QString lettersAndDigitsOnly(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (isKeptLetterOrDigit(c))
            out.append(c);
    return out;
}

// Cyrillic А В Е К М Н О Р С Т Х, either case, as the capital Latin letters
// A B E K M N O P C T X.
QString cyrillicToLatin(QString text)
{
    static const char16_t cyrillic[] = u"АВЕКМНОРСТХавекмнорстх";
    static const char16_t latin[] = u"ABEKMNOPCTXABEKMNOPCTX";
    for (QChar& c : text)
        for (int i = 0; cyrillic[i]; ++i)
            if (c.unicode() == cyrillic[i]) {
                c = QChar(latin[i]);
                break;
            }
    return text;
}

QString letterOToZero(QString text)
{
    for (QChar& c : text)
        if (c == u'O' || c == u'\u041E')
            c = u'0';
    return text;
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
    if (steps.cutAtSlashComma)
        text = cutAt(cutAt(text, u'/'), u',');
    if (steps.trimEnds)
        text = trimControlsAndBlanks(text);
    if (steps.lettersAndDigits)
        text = lettersAndDigitsOnly(text);
    if (steps.upperCase)
        text = text.toUpper();
    if (steps.cyrillicToLatin)
        text = cyrillicToLatin(text);
    if (steps.letterOToZero)
        text = letterOToZero(text);
    return text;
}

} // namespace velmora::brands
