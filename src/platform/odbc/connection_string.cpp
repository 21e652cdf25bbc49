#include "connection_string.h"

#include <QStringList>

namespace velmora::odbc {
namespace {

struct Pair {
    QString key;
    QString value;
};

// Splits "a=1; b = "x;y" ;c='z'" at the semicolons outside quotes; quotes
// around a value are removed.
QList<Pair> adoPairs(const QString& text)
{
    QList<Pair> pairs;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype equals = text.indexOf(u'=', i);
        const qsizetype semicolon = text.indexOf(u';', i);
        if (equals < 0 || (semicolon >= 0 && semicolon < equals)) {
            if (semicolon < 0)
                break;
            i = semicolon + 1; // a piece without "=" says nothing
            continue;
        }
        Pair pair{text.mid(i, equals - i).trimmed(), QString()};
        qsizetype j = equals + 1;
        while (j < text.size() && text[j].isSpace())
            ++j;
        if (j < text.size() && (text[j] == u'"' || text[j] == u'\'')) {
            const QChar quote = text[j];
            QString value;
            for (++j; j < text.size(); ++j) {
                if (text[j] == quote) {
                    // A doubled quote stands for itself.
                    if (j + 1 < text.size() && text[j + 1] == quote) {
                        value += quote;
                        ++j;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += text[j];
            }
            pair.value = value;
            const qsizetype next = text.indexOf(u';', j);
            i = next < 0 ? text.size() : next + 1;
        } else {
            const qsizetype next = text.indexOf(u';', j);
            pair.value = text.mid(j, (next < 0 ? text.size() : next) - j).trimmed();
            i = next < 0 ? text.size() : next + 1;
        }
        if (!pair.key.isEmpty())
            pairs << pair;
    }
    return pairs;
}

// An ODBC value that holds ";" or braces goes inside braces, "}" doubled.
QString odbcValue(const QString& value)
{
    if (!value.contains(u';') && !value.startsWith(u'{') && value.trimmed() == value)
        return value;
    return u'{' + QString(value).replace(u'}', QStringLiteral("}}")) + u'}';
}

bool is(const QString& key, const char* name) { return key.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; }

} // namespace

QString OdbcConnectionString(const QString& connectionString)
{
    const QList<Pair> pairs = adoPairs(connectionString);
    bool ado = false;
    for (const Pair& pair : pairs)
        ado = ado || is(pair.key, "Provider");
    if (!ado)
        return connectionString;

    QStringList parts;
    for (const Pair& pair : pairs) {
        if (is(pair.key, "Provider") || is(pair.key, "Persist Security Info"))
            continue;
        if (is(pair.key, "Extended Properties")) {
            // Already ODBC keys, passed through as they are.
            if (!pair.value.trimmed().isEmpty())
                parts << pair.value.trimmed().chopped(pair.value.trimmed().endsWith(u';') ? 1 : 0);
            continue;
        }
        QString key = pair.key;
        if (is(key, "Data Source"))
            key = QStringLiteral("DSN");
        else if (is(key, "User ID"))
            key = QStringLiteral("UID");
        else if (is(key, "Password"))
            key = QStringLiteral("PWD");
        parts << key + u'=' + odbcValue(pair.value);
    }
    return parts.join(u';');
}

} // namespace velmora::odbc
