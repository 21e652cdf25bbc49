#include "search_conditions.h"

#include "platform/db/search_tokenizer.h"
#include "storage/goods_search_index.h"

#include <QVector>

namespace velmora::search {
namespace {

const QStringList kAllFields = {
    QStringLiteral("Art"), QStringLiteral("Tovar"), QStringLiteral("Garant"),
    QStringLiteral("Sklad"), QStringLiteral("Description"), QStringLiteral("TextNoName"),
};

QString fieldName(SearchField field)
{
    return field == SearchField::Article ? QStringLiteral("Art") : QStringLiteral("Tovar");
}

QString column(const QString& field) { return QStringLiteral("AllTovarPostav.") + field; }

// One word's test. A negated test reads an empty field as lacking the word,
// and in all fields it asks that no field holds it.
QString wordCondition(SearchField field, const QString& param, bool negate)
{
    if (field != SearchField::All) {
        const QString col = column(fieldName(field));
        return negate ? QStringLiteral("coalesce(%1,'') not like %2").arg(col, param)
                      : QStringLiteral("%1 like %2").arg(col, param);
    }
    QStringList parts;
    for (const QString& f : kAllFields) {
        parts << (negate ? QStringLiteral("(coalesce(%1,'') like %2)").arg(column(f), param)
                         : QStringLiteral("(%1 like %2)").arg(column(f), param));
    }
    const QString any = QStringLiteral("(") + parts.join(QStringLiteral(" OR ")) + QStringLiteral(")");
    return negate ? QStringLiteral("NOT ") + any : any;
}

// Characters the offers' index keeps in its trigrams, folded as the
// program's like() folds them: ASCII and the basic Cyrillic block, but for
// spaces, separators and wildcards. Other characters are left to the exact
// test on the row.
bool indexHolds(QChar c) { return db::searchIndexHolds(c.unicode()); }

// Builds the term list as it goes and keeps the shape of the parentheses,
// so that a statement the engine would refuse is known before it runs.
class ConditionWriter {
public:
    explicit ConditionWriter(SearchField field) : field_(field) {}

    void openGroup()
    {
        pieces_ << QStringLiteral("(");
        ++depth_;
        lastWasOpen_ = true;
    }
    void closeGroup()
    {
        pieces_ << QStringLiteral(")");
        if (--depth_ < 0 || lastWasOpen_)
            broken_ = true;
        lastWasOpen_ = false;
    }
    void connector(const QString& text) { pieces_ << text; }
    void term(const QString& word, bool negate, bool parenthesise)
    {
        const QString pattern = u'%' + word + u'%';
        patterns_ << pattern;
        const QString param = QStringLiteral(":w%1").arg(patterns_.size());
        const QString cond = wordCondition(field_, param, negate);
        pieces_ << (parenthesise ? u'(' + cond + u')' : cond);
        if (!negate) {
            const QString q = indexQueryForPattern(pattern, field_);
            if (!q.isEmpty())
                indexTerms_ << q;
            for (const QString& trigram : indexTrigramsForPattern(pattern))
                if (!indexTrigrams_.contains(trigram))
                    indexTrigrams_ << trigram;
        }
        ++terms_;
        lastWasOpen_ = false;
    }

    WordConditions result() const
    {
        WordConditions out;
        out.sql = pieces_.join(QString());
        out.patterns = patterns_;
        out.wellFormed = !broken_ && depth_ == 0 && terms_ > 0;
        // Every term is joined by AND (the only connector the text can
        // carry), so the rows must hold each positive term's runs.
        out.indexQuery = indexTerms_.join(QStringLiteral(" AND "));
        out.indexTrigrams = indexTrigrams_;
        return out;
    }

private:
    SearchField field_;
    QStringList pieces_;
    QStringList patterns_;
    QStringList indexTerms_;
    QStringList indexTrigrams_;
    int depth_ = 0;
    int terms_ = 0;
    bool broken_ = false;
    bool lastWasOpen_ = false;
};

WordConditions simpleConditions(const QString& text, SearchField field)
{
    ConditionWriter writer(field);
    QString word;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u' ' && i + 1 < text.size()) {
            writer.term(word, false, false);
            writer.connector(QStringLiteral(" and "));
            word.clear();
        } else if (c == u'\'') {
            word += u'_';
        } else if (c != u' ') {
            word += c;
        }
    }
    writer.term(word, false, false);
    return writer.result();
}

QString collapseRuns(QString text, const QString& pair, const QString& single)
{
    while (text.contains(pair))
        text.replace(pair, single);
    return text;
}

WordConditions bracketConditions(QString text, SearchField field)
{
    text += u' ';
    text = collapseRuns(text, QStringLiteral("&&"), QStringLiteral("&"));
    text = collapseRuns(text, QStringLiteral("!!"), QStringLiteral("!"));

    ConditionWriter writer(field);
    QString word;
    bool firstInGroup = true;
    bool negate = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (c == u'[') {
            if (next == u'[' || next == u'!') {
                if (!firstInGroup)
                    writer.connector(QStringLiteral(" AND "));
                firstInGroup = true;
                writer.openGroup();
            } else {
                word.clear();
            }
        } else if (c == u'&') {
            // AND is the connector whether it is written or not.
        } else if (c == u'!') {
            negate = true;
        } else if (c == u']') {
            if (!word.isEmpty()) {
                if (!firstInGroup)
                    writer.connector(QStringLiteral(" AND "));
                writer.term(word, negate, true);
                word.clear();
                firstInGroup = false;
                negate = false;
            }
            if (next == u']')
                writer.closeGroup();
        } else if (c == u'\'') {
            word += u'_';
        } else {
            word += c;
        }
    }
    return writer.result();
}

} // namespace

QString normalizedFindText(const QString& boxText)
{
    const QString text = boxText.trimmed();
    return text == kFindPlaceholder ? QString() : text;
}

bool bracketsAcceptable(const QString& findText)
{
    if (!findText.contains(u'['))
        return true;
    return !findText.contains(QStringLiteral("[]")) && findText.count(u'[') == findText.count(u']');
}

QString separatorsToWildcards(const QString& findText)
{
    QString out = findText;
    for (QChar& c : out) {
        if (c == u'.' || c == u',' || c == u'-' || c == u'|' || c == u'/' || c == u'\\')
            c = u'%';
    }
    return out;
}

WordConditions buildWordConditions(const QString& preparedText, SearchField field)
{
    return preparedText.contains(u'[') ? bracketConditions(preparedText, field)
                                       : simpleConditions(preparedText, field);
}

namespace {

// The runs of three or more characters the index holds, in the pattern's
// order: what the index can be asked for.
QStringList indexedRuns(const QString& pattern)
{
    QStringList runs;
    QString run;
    auto flush = [&] {
        if (run.size() >= 3)
            runs << run;
        run.clear();
    };
    for (const QChar c : pattern) {
        if (!indexHolds(c))
            flush();
        else
            run += c;
    }
    flush();
    return runs;
}

} // namespace

QString indexQueryForPattern(const QString& pattern, SearchField field)
{
    const QString indexField = field == SearchField::All ? QString() : fieldName(field);
    QStringList terms;
    for (const QString& run : indexedRuns(pattern))
        terms << supplierGoodsIndexTerm(run, indexField);
    if (terms.isEmpty())
        return QString();
    return u'(' + terms.join(QStringLiteral(" AND ")) + u')';
}

QStringList indexTrigramsForPattern(const QString& pattern)
{
    QStringList trigrams;
    for (const QString& run : indexedRuns(pattern))
        for (const QString& trigram : supplierGoodsIndexTrigrams(run))
            if (!trigrams.contains(trigram))
                trigrams << trigram;
    return trigrams;
}

} // namespace velmora::search
