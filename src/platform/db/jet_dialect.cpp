#include "jet_dialect.h"

#include <QRegularExpression>
#include <QStringList>

#include <vector>

namespace velmora::db {
namespace {

using Re = QRegularExpression;
constexpr auto kCi = Re::CaseInsensitiveOption;
constexpr auto kCiDot = Re::CaseInsensitiveOption | Re::DotMatchesEverythingOption;

// Splits a text at top-level commas (outside brackets and quotes).
QStringList splitTopLevel(const QString& text)
{
    QStringList parts;
    int depth = 0;
    QChar quote;
    int start = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            --depth;
        } else if (c == u',' && depth == 0) {
            parts << text.mid(start, i - start);
            start = i + 1;
        }
    }
    parts << text.mid(start);
    return parts;
}

// "UPDATE A, B SET A.x=B.y WHERE A.k=B.k" becomes
// "UPDATE A SET x=B.y FROM B WHERE A.k=B.k"; the updated table is the one
// whose columns the SET targets name.
QString translateTwoTableUpdate(const QString& sql)
{
    static const Re pattern(QStringLiteral(R"(^\s*UPDATE\s+(\w+)\s*,\s*(\w+)\s+SET\s+(.*?)\s+WHERE\s+(.*)$)"), kCiDot);
    const auto match = pattern.match(sql);
    if (!match.hasMatch())
        return sql;
    const QString first = match.captured(1);
    const QString second = match.captured(2);
    QStringList assignments = splitTopLevel(match.captured(3));
    QString target = first;
    static const Re qualified(QStringLiteral(R"(^\s*\[?(\w+)\]?\.\[?(\w+)\]?\s*=)"));
    for (QString& assignment : assignments) {
        const auto m = qualified.match(assignment);
        if (m.hasMatch()) {
            target = m.captured(1);
            assignment = m.captured(2) + QStringLiteral(" =") + assignment.mid(m.capturedEnd(0));
        }
    }
    const QString other = target.compare(first, Qt::CaseInsensitive) == 0 ? second : first;
    return QStringLiteral("UPDATE %1 SET %2 FROM %3 WHERE %4")
        .arg(target, assignments.join(u','), other, match.captured(4));
}

QString translateDdl(QString sql)
{
    struct Rule {
        Re pattern;
        QString replacement;
    };
    // In this order: MEMO is marked no-case as text first, then renamed.
    static const std::vector<Rule> rules = [] {
        std::vector<Rule> r;
        auto add = [&](const char* pattern, const char* replacement) {
            r.push_back({Re(QString::fromUtf8(pattern), kCi), QString::fromUtf8(replacement)});
        };
        add(R"(\bCOUNTER(\s+CONSTRAINT\s+\w+)?(\s+PRIMARY\s+KEY)?)", "INTEGER PRIMARY KEY AUTOINCREMENT");
        add(R"(\b(YESNO|BIT)\b)", "INTEGER");
        add(R"(\bdefault\s+(NO|FALSE)\b)", "DEFAULT 0");
        add(R"(\bdefault\s+(YES|TRUE)\b)", "DEFAULT 1");
        add(R"(\bdefault\s+now(\(\))?)", "DEFAULT (julianday('now','localtime')-2415018.5)");
        add(R"(\b(CURRENCY|DATETIME|DATE|FLOAT|DOUBLE|SINGLE)\b(?!\s*\())", "REAL");
        add(R"(\bLONG\b)", "INTEGER");
        add(R"(\b(VARCHAR\s*\(\s*\d+\s*\)|TEXT\s*\(\s*\d+\s*\)|MEMO\b|TEXT\b)(?!\s*\()(?!\s+COLLATE))",
            "\\1 COLLATE UNOCASE");
        add(R"(\bMEMO COLLATE)", "TEXT COLLATE");
        return r;
    }();
    for (const Rule& rule : rules)
        sql.replace(rule.pattern, rule.replacement);
    return sql;
}

QString translateIndexStatement(const QString& sql)
{
    static const Re create(QStringLiteral(R"(^\s*CREATE\s+(UNIQUE\s+)?INDEX\s+\[?(\w+)\]?\s+ON\s+\[?(\w+)\]?)"), kCi);
    auto m = create.match(sql);
    if (m.hasMatch()) {
        return QStringLiteral("CREATE %1INDEX IF NOT EXISTS \"%2\" ON %3")
                   .arg(m.captured(1).toUpper(), uniqueIndexName(m.captured(3), m.captured(2)), m.captured(3))
            + sql.mid(m.capturedEnd(0));
    }
    static const Re drop(QStringLiteral(R"(^\s*DROP\s+INDEX\s+\[?(\w+)\]?\s+ON\s+\[?(\w+)\]?\s*;?\s*$)"), kCi);
    m = drop.match(sql);
    if (m.hasMatch())
        return QStringLiteral("DROP INDEX IF EXISTS \"%1\"").arg(uniqueIndexName(m.captured(2), m.captured(1)));
    return sql;
}

// "+" next to a quoted text joins strings in Jet: '%'+x+'%'.
QString translateStringPlus(const QString& sql)
{
    if (!sql.contains(u'+') || !sql.contains(u'\''))
        return sql;
    QString out;
    out.reserve(sql.size() + 8);
    bool inQuote = false;
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (c == u'\'') {
            inQuote = !inQuote;
            out += c;
            continue;
        }
        if (!inQuote && c == u'+') {
            int before = out.size() - 1;
            while (before >= 0 && out[before].isSpace())
                --before;
            int after = i + 1;
            while (after < sql.size() && sql[after].isSpace())
                ++after;
            const bool textBefore = before >= 0 && out[before] == u'\'';
            const bool textAfter = after < sql.size() && sql[after] == u'\'';
            out += (textBefore || textAfter) ? QStringLiteral("||") : QStringLiteral("+");
            continue;
        }
        out += c;
    }
    return out;
}

// Jet's "/" always divides as reals; SQLite's divides two integers as
// integers (7/2 is 3), so the left operand is made real first.
QString translateRealDivision(const QString& sql)
{
    if (!sql.contains(u'/'))
        return sql;
    QString out;
    out.reserve(sql.size() + 16);
    QChar quote;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'/') {
            out += QStringLiteral("*1.0/");
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace

QString uniqueIndexName(const QString& table, const QString& index)
{
    return table + u'_' + index;
}

QString translateJetSql(const QString& input)
{
    QString sql = input;
    static const Re deleteStar(QStringLiteral(R"(\bDELETE\s+\*\s+FROM\b)"), kCi);
    sql.replace(deleteStar, QStringLiteral("DELETE FROM"));
    static const Re notAll(QStringLiteral(R"(<>\s*ALL\s*\()"), kCi);
    sql.replace(notAll, QStringLiteral("NOT IN ("));

    static const Re ddl(QStringLiteral(R"(^\s*(CREATE\s+TABLE|ALTER\s+TABLE))"), kCi);
    static const Re index(QStringLiteral(R"(^\s*(CREATE\s+(UNIQUE\s+)?INDEX|DROP\s+INDEX))"), kCi);
    static const Re update(QStringLiteral(R"(^\s*UPDATE\s+\w+\s*,)"), kCi);
    if (ddl.match(sql).hasMatch())
        return translateDdl(sql);
    if (index.match(sql).hasMatch())
        return translateIndexStatement(sql);
    if (update.match(sql).hasMatch())
        sql = translateTwoTableUpdate(sql);
    return translateRealDivision(translateStringPlus(sql));
}

} // namespace velmora::db
