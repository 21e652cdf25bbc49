#include "suppliers/loader/sheet_columns.h"

#include "storage/value_helpers.h"

#include <QStringList>

#include <algorithm>

namespace velmora::loader {

int FieldColumns::lastColumn() const
{
    return std::max({hyperlinkColumn, columns[0], columns[1], columns[2], columns[3]});
}

FieldColumns DecodeFieldColumns(qint64 spec, bool mayBeHyperlink)
{
    FieldColumns field;
    if (spec <= 0)
        return field;
    if (spec > 100000000) {
        if (mayBeHyperlink)
            field.hyperlinkColumn = ColumnSpecGroup(spec, 1);
        else
            field.columns[0] = ColumnSpecGroup(spec, 1);
        return field;
    }
    // Group 4 (highest) is the first chosen column and comes first.
    int slot = 0;
    for (int group = 4; group >= 1; --group) {
        const int column = ColumnSpecGroup(spec, group);
        if (column > 0)
            field.columns[size_t(slot++)] = column;
    }
    return field;
}

int DecodePriceColumn(qint64 spec)
{
    return spec > 0 ? ColumnSpecGroup(spec, 1) : 0;
}

QString LinkFromFormula(const QString& formula)
{
    QString rest;
    if (formula.size() > 12 && formula.mid(1, 11).compare(u"ГИПЕРССЫЛКА", Qt::CaseInsensitive) == 0)
        rest = formula.mid(13);
    else if (formula.size() > 10 && formula.mid(1, 9).compare(u"HYPERLINK", Qt::CaseInsensitive) == 0)
        rest = formula.mid(11);
    else
        return {};
    if (rest.startsWith(u'"'))
        rest.remove(0, 1);
    const qsizetype quote = rest.indexOf(u'"');
    if (quote >= 0)
        rest.truncate(quote);
    return rest;
}

int ChooseWorksheet(const QStringList& worksheetNames, const QString& setting)
{
    if (worksheetNames.size() == 1)
        return 1;
    const QString wanted = setting.trimmed().toUpper();
    const bool pattern = wanted.size() >= 2 && wanted.startsWith(u'[') && wanted.endsWith(u']');
    const QString inner = pattern ? wanted.mid(1, wanted.size() - 2).trimmed() : QString();
    int chosen = 0;
    for (int k = 0; k < worksheetNames.size(); ++k) {
        const QString name = worksheetNames[k].trimmed().toUpper();
        if (pattern ? name.contains(inner) : name == wanted)
            chosen = k + 1;
    }
    return chosen;
}

} // namespace velmora::loader
