#include "article_code.h"

#include "storage/settings_store.h"

#include <algorithm>

namespace velmora::catalogue {

namespace {

const QString kBoolean = QStringLiteral("TypeBoolean");
const QString kInteger = QStringLiteral("TypeInteger");
const QString kText = QStringLiteral("TypeText");

QString booleanText(bool value) { return value ? QStringLiteral("-1") : QStringLiteral("0"); }

} // namespace

ArticleSettings readArticleSettings(SettingsStore& settings)
{
    ArticleSettings a;
    a.CheckBox_Auto = settings.readBoolean(QStringLiteral("CheckBox_Auto"), QStringLiteral("0"));
    a.ComboBox_MaxArt = int(settings.readInteger(QStringLiteral("ComboBox_MaxArt"), QStringLiteral("2")));
    a.CheckBox_Razd = settings.readBoolean(QStringLiteral("CheckBox_Razd"), QStringLiteral("0"));
    a.ComboBox_RazdPos = int(settings.readInteger(QStringLiteral("ComboBox_RazdPos"), QStringLiteral("3")));
    a.Edit_Razd = settings.readText(QStringLiteral("Edit_Razd"));
    a.CheckBox_PrefKat = settings.readBoolean(QStringLiteral("CheckBox_PrefKat"), QStringLiteral("0"));
    a.ComboBox_PrefMax = int(settings.readInteger(QStringLiteral("ComboBox_PrefMax"), QStringLiteral("3")));
    a.Edit_PrefRazd = settings.readText(QStringLiteral("Edit_PrefRazd"));
    return a;
}

void writeArticleSettings(SettingsStore& settings, const ArticleSettings& a)
{
    settings.write(QStringLiteral("CheckBox_Auto"), kBoolean, booleanText(a.CheckBox_Auto));
    settings.write(QStringLiteral("ComboBox_MaxArt"), kInteger, QString::number(a.ComboBox_MaxArt));
    settings.write(QStringLiteral("CheckBox_Razd"), kBoolean, booleanText(a.CheckBox_Razd));
    settings.write(QStringLiteral("ComboBox_RazdPos"), kInteger, QString::number(a.ComboBox_RazdPos));
    settings.write(QStringLiteral("Edit_Razd"), kText, a.Edit_Razd);
    settings.write(QStringLiteral("CheckBox_PrefKat"), kBoolean, booleanText(a.CheckBox_PrefKat));
    settings.write(QStringLiteral("ComboBox_PrefMax"), kInteger, QString::number(a.ComboBox_PrefMax));
    settings.write(QStringLiteral("Edit_PrefRazd"), kText, a.Edit_PrefRazd);
}

QString BuildArticleCode(const ArticleSettings& a, const QString& number, const QString& groupCode)
{
    if (!a.CheckBox_Auto)
        return QString();
    QString article = number;
    const int digits = a.ComboBox_MaxArt + 4;
    if (article.size() < digits)
        article.prepend(QString(digits - article.size(), u'0'));
    if (a.CheckBox_Razd)
        article.insert(std::min<qsizetype>(std::max(a.ComboBox_RazdPos + 1, 0), article.size()), a.Edit_Razd);
    if (a.CheckBox_PrefKat) {
        article.prepend(groupCode + a.Edit_PrefRazd);
        const int prefixDigits = a.ComboBox_PrefMax + 2;
        if (groupCode.size() < prefixDigits)
            article.prepend(QString(prefixDigits - groupCode.size(), u'0'));
    }
    return article;
}

int longestArticleLength(const ArticleSettings& a)
{
    const int digits = a.ComboBox_MaxArt + 4;
    const int prefixDigits = a.ComboBox_PrefMax + 2;
    return int(BuildArticleCode(a, QString(std::max(digits, 1), u'9'), QString(std::max(prefixDigits, 1), u'9')).size());
}

QString articleTooLongMessage(const ArticleSettings& a)
{
    const int longest = longestArticleLength(a);
    if (longest <= kArticleLength)
        return QString();
    return QStringLiteral("С такими настройками артикул может быть длиной до %1 символов, а поле артикула вмещает не "
                          "более %2.\rУменьшите длину значащейся части, префикса или разделителей.")
        .arg(longest)
        .arg(kArticleLength);
}

} // namespace velmora::catalogue
