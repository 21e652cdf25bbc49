#pragma once

#include "criteria_match.h"

#include "platform/db/connection.h"

#include <QList>
#include <QString>

namespace velmora::catalogue {

// The criteria rows (krit) and exclusions (kritiskl) of an own good, and
// the commands of the criteria page that edit them. Every command runs in
// one transaction. A row is known by its rowid (the tables have no key of
// their own); words are stored as typed, an empty word as ''.

struct CriteriaRow {
    qint64 rowid = 0;
    CriteriaWords words;
};

struct ExclusionRow {
    qint64 rowid = 0;
    QString word;
};

// In the order the rows were made.
QList<CriteriaRow> readCriteriaRows(db::Connection& priceDb, qint64 goodCode);
QList<ExclusionRow> readExclusionRows(db::Connection& priceDb, qint64 goodCode);

// The matching rule of a good's stored rows.
CriteriaMatcher criteriaMatcherOf(db::Connection& priceDb, qint64 goodCode);

// What a command did: `done` false means nothing happened (the page is
// left as it is); `status` is the text for the status panel (empty clears it).
struct ListEdit {
    bool done = false;
    QString status;
};

// Adds a criteria row (nothing when all five words are empty); equal rows
// of the same good, whatever their case, are removed first and counted in
// "Удалены повторяющиеся критерии: выбора - n".
ListEdit addCriteriaRow(db::Connection& priceDb, qint64 goodCode, const CriteriaWords& words);
// As adding, with the current row (rowid, 0: none) deleted first.
ListEdit replaceCriteriaRow(db::Connection& priceDb, qint64 goodCode, qint64 currentRowid,
                            const CriteriaWords& words);
// Deletes the current row; "Критерии отсутствуют, удаление невозможно."
// when the good has none.
ListEdit deleteCriteriaRow(db::Connection& priceDb, qint64 goodCode, qint64 currentRowid);

// The same three for exclusions, with "исключения" in the duplicate text;
// an empty word makes adding and replacing do nothing.
ListEdit addExclusion(db::Connection& priceDb, qint64 goodCode, const QString& word);
ListEdit replaceExclusion(db::Connection& priceDb, qint64 goodCode, qint64 currentRowid, const QString& word);
ListEdit deleteExclusion(db::Connection& priceDb, qint64 goodCode, qint64 currentRowid);

// Copies every criteria row and exclusion of the buffered good to the good
// (the same good doubles its rows), then removes the duplicates; the
// status is that removal's text. A buffer of 0 does nothing.
ListEdit copyCriteriaFromBuffer(db::Connection& priceDb, qint64 bufferedGood, qint64 goodCode);

// Collapses every group of equal criteria rows, and of equal exclusions, of
// the good to one row. The text is "Удалены повторяющиеся критерии: выбора
// - a;  исключения - b" with the number of groups of each, or empty when
// nothing was removed. Runs inside the caller's transaction.
QString removeDuplicateCriteria(db::Connection& priceDb, qint64 goodCode);

} // namespace velmora::catalogue
