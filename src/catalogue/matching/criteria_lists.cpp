#include "criteria_lists.h"

#include <algorithm>

namespace velmora::catalogue {
namespace {

const QString kNoneToDelete = QStringLiteral("Критерии отсутствуют, удаление невозможно.");
const QString kCriteriaDuplicates = QStringLiteral("Удалены повторяющиеся критерии: выбора - ");
const QString kExclusionDuplicates = QStringLiteral("Удалены повторяющиеся критерии: исключения - ");

// The two lists differ in their table and in the number of words.
struct ListTable {
    const char* table;
    const char* codeColumn;
    QStringList wordColumns;
};

const ListTable& criteriaTable()
{
    static const ListTable table{"krit", "Code_krit",
                                 {"Krit_1", "Krit_2", "Krit_3", "Krit_4", "Krit_5"}};
    return table;
}

const ListTable& exclusionTable()
{
    static const ListTable table{"kritiskl", "Code_KritIskl", {"KritIskl"}};
    return table;
}

QString wordsEqual(const ListTable& list)
{
    QStringList terms{QStringLiteral("%1 = ?1").arg(QLatin1String(list.codeColumn))};
    for (int i = 0; i < list.wordColumns.size(); ++i)
        terms << QStringLiteral("%1 = ?%2").arg(list.wordColumns.at(i)).arg(i + 2);
    return terms.join(QStringLiteral(" AND "));
}

void bindWords(db::Statement& statement, qint64 goodCode, const QStringList& words)
{
    statement.bindInt(1, goodCode);
    for (int i = 0; i < words.size(); ++i)
        statement.bindText(i + 2, words.at(i));
}

int countEqualRows(db::Connection& priceDb, const ListTable& list, qint64 goodCode, const QStringList& words)
{
    db::Statement count = priceDb.prepare(
        QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(QLatin1String(list.table), wordsEqual(list)));
    bindWords(count, goodCode, words);
    count.step();
    return int(count.integer(0));
}

void deleteEqualRows(db::Connection& priceDb, const ListTable& list, qint64 goodCode, const QStringList& words)
{
    db::Statement remove =
        priceDb.prepare(QStringLiteral("DELETE FROM %1 WHERE %2").arg(QLatin1String(list.table), wordsEqual(list)));
    bindWords(remove, goodCode, words);
    remove.execute();
}

void insertRow(db::Connection& priceDb, const ListTable& list, qint64 goodCode, const QStringList& words)
{
    QStringList places;
    for (int i = 0; i < words.size(); ++i)
        places << QStringLiteral("?%1").arg(i + 2);
    db::Statement insert = priceDb.prepare(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?1, %4)")
                                               .arg(QLatin1String(list.table), QLatin1String(list.codeColumn),
                                                    list.wordColumns.join(QStringLiteral(", ")),
                                                    places.join(QStringLiteral(", "))));
    bindWords(insert, goodCode, words);
    insert.execute();
}

void deleteRow(db::Connection& priceDb, const ListTable& list, qint64 goodCode, qint64 rowid)
{
    db::Statement remove = priceDb.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = ?1 AND %2 = ?2")
                                               .arg(QLatin1String(list.table), QLatin1String(list.codeColumn)));
    remove.bindInt(1, rowid).bindInt(2, goodCode);
    remove.execute();
}

bool hasRows(db::Connection& priceDb, const ListTable& list, qint64 goodCode)
{
    db::Statement any = priceDb.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?1 LIMIT 1")
                                            .arg(QLatin1String(list.table), QLatin1String(list.codeColumn)));
    any.bindInt(1, goodCode);
    return any.step();
}

// Each good's rows as their word lists, with their rowids, in stored order.
QList<std::pair<qint64, QStringList>> rowsOf(db::Connection& priceDb, const ListTable& list, qint64 goodCode)
{
    db::Statement select = priceDb.prepare(QStringLiteral("SELECT rowid, %1 FROM %2 WHERE %3 = ?1 ORDER BY rowid")
                                               .arg(list.wordColumns.join(QStringLiteral(", ")),
                                                    QLatin1String(list.table), QLatin1String(list.codeColumn)));
    select.bindInt(1, goodCode);
    QList<std::pair<qint64, QStringList>> rows;
    while (select.step()) {
        QStringList words;
        for (int i = 0; i < list.wordColumns.size(); ++i)
            words << select.text(i + 1);
        rows.append({select.integer(0), words});
    }
    return rows;
}

// Adding and replacing: equal rows go first and are counted, then the new
// row is appended.
ListEdit addRow(db::Connection& priceDb, const ListTable& list, const QString& duplicatesText, qint64 goodCode,
                qint64 replacedRowid, const QStringList& words)
{
    db::Transaction transaction(priceDb);
    if (replacedRowid > 0)
        deleteRow(priceDb, list, goodCode, replacedRowid);
    ListEdit edit{true, QString()};
    if (const int equal = countEqualRows(priceDb, list, goodCode, words); equal > 0) {
        deleteEqualRows(priceDb, list, goodCode, words);
        edit.status = duplicatesText + QString::number(equal);
    }
    insertRow(priceDb, list, goodCode, words);
    transaction.commit();
    return edit;
}

ListEdit deleteCurrentRow(db::Connection& priceDb, const ListTable& list, qint64 goodCode, qint64 rowid)
{
    if (!hasRows(priceDb, list, goodCode))
        return {true, kNoneToDelete};
    db::Transaction transaction(priceDb);
    deleteRow(priceDb, list, goodCode, rowid);
    transaction.commit();
    return {true, QString()};
}

QStringList wordList(const CriteriaWords& words) { return QStringList(words.begin(), words.end()); }

bool allEmpty(const CriteriaWords& words)
{
    return std::all_of(words.begin(), words.end(), [](const QString& w) { return w.isEmpty(); });
}

// Collapses each group of equal rows of one list; the number of groups.
int collapseEqualRows(db::Connection& priceDb, const ListTable& list, qint64 goodCode)
{
    int groups = 0;
    db::Statement stillThere = priceDb.prepare(
        QStringLiteral("SELECT 1 FROM %1 WHERE rowid = ?1").arg(QLatin1String(list.table)));
    for (const auto& [rowid, words] : rowsOf(priceDb, list, goodCode)) {
        stillThere.bindInt(1, rowid);
        const bool present = stillThere.step();
        stillThere.reset();
        // A row of a group collapsed before is gone already.
        if (!present || countEqualRows(priceDb, list, goodCode, words) < 2)
            continue;
        deleteEqualRows(priceDb, list, goodCode, words);
        insertRow(priceDb, list, goodCode, words);
        ++groups;
    }
    return groups;
}

} // namespace

QList<CriteriaRow> readCriteriaRows(db::Connection& priceDb, qint64 goodCode)
{
    QList<CriteriaRow> rows;
    for (const auto& [rowid, words] : rowsOf(priceDb, criteriaTable(), goodCode)) {
        CriteriaRow row{rowid, {}};
        for (size_t i = 0; i < row.words.size(); ++i)
            row.words.at(i) = words.value(int(i));
        rows.append(row);
    }
    return rows;
}

QList<ExclusionRow> readExclusionRows(db::Connection& priceDb, qint64 goodCode)
{
    QList<ExclusionRow> rows;
    for (const auto& [rowid, words] : rowsOf(priceDb, exclusionTable(), goodCode))
        rows.append({rowid, words.value(0)});
    return rows;
}

CriteriaMatcher criteriaMatcherOf(db::Connection& priceDb, qint64 goodCode)
{
    QList<CriteriaWords> rows;
    for (const CriteriaRow& row : readCriteriaRows(priceDb, goodCode))
        rows.append(row.words);
    QStringList exclusions;
    for (const ExclusionRow& row : readExclusionRows(priceDb, goodCode))
        exclusions << row.word;
    return CriteriaMatcher(rows, exclusions);
}

ListEdit addCriteriaRow(db::Connection& priceDb, qint64 goodCode, const CriteriaWords& words)
{
    return replaceCriteriaRow(priceDb, goodCode, 0, words);
}

ListEdit replaceCriteriaRow(db::Connection& priceDb, qint64 goodCode, qint64 currentRowid, const CriteriaWords& words)
{
    if (allEmpty(words))
        return {};
    return addRow(priceDb, criteriaTable(), kCriteriaDuplicates, goodCode, currentRowid, wordList(words));
}

ListEdit deleteCriteriaRow(db::Connection& priceDb, qint64 goodCode, qint64 currentRowid)
{
    return deleteCurrentRow(priceDb, criteriaTable(), goodCode, currentRowid);
}

ListEdit addExclusion(db::Connection& priceDb, qint64 goodCode, const QString& word)
{
    return replaceExclusion(priceDb, goodCode, 0, word);
}

ListEdit replaceExclusion(db::Connection& priceDb, qint64 goodCode, qint64 currentRowid, const QString& word)
{
    if (word.isEmpty())
        return {};
    return addRow(priceDb, exclusionTable(), kExclusionDuplicates, goodCode, currentRowid, {word});
}

ListEdit deleteExclusion(db::Connection& priceDb, qint64 goodCode, qint64 currentRowid)
{
    return deleteCurrentRow(priceDb, exclusionTable(), goodCode, currentRowid);
}

ListEdit copyCriteriaFromBuffer(db::Connection& priceDb, qint64 bufferedGood, qint64 goodCode)
{
    if (bufferedGood == 0)
        return {};
    db::Transaction transaction(priceDb);
    for (const ListTable* list : {&criteriaTable(), &exclusionTable()})
        for (const auto& row : rowsOf(priceDb, *list, bufferedGood))
            insertRow(priceDb, *list, goodCode, row.second);
    ListEdit edit{true, removeDuplicateCriteria(priceDb, goodCode)};
    transaction.commit();
    return edit;
}

QString removeDuplicateCriteria(db::Connection& priceDb, qint64 goodCode)
{
    const int criteria = collapseEqualRows(priceDb, criteriaTable(), goodCode);
    const int exclusions = collapseEqualRows(priceDb, exclusionTable(), goodCode);
    if (criteria == 0 && exclusions == 0)
        return QString();
    return kCriteriaDuplicates + QString::number(criteria) + QStringLiteral(";  исключения - ")
        + QString::number(exclusions);
}

} // namespace velmora::catalogue
