#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QList>
#include <QString>

#include <functional>

namespace velmora::catalogue {

// The automatic matching: the criteria rows and exclusions of many own
// goods applied at once to the remainder's items that take part
// (price_all.Check_obrab true), giving proposals (Sootv_All) for the review.
// An item is proposed for a good when its name satisfies one of the good's
// criteria rows and none of its exclusions: the rule of CriteriaMatcher,
// applied row by row, so that the scratch table Sootv_temp holds one hit per
// item and criteria row taken (Number, Tovar, Code, KritNum '5'). Goods
// without criteria rows get no proposals.

// "Очистить таблицу автоматического соответствия товаров?"
QString clearProposalsQuestion();

// MarkSupplierForMatching: sets Check_obrab to the flag text on the
// supplier's items ("Все поставщики": on every item), writing only rows that
// differ.
void MarkSupplierForMatching(db::Connection& priceDb, const QString& supplier, const QString& flag);

// The run window's supplier list: one row per supplier of price_all (in
// the order of the name) with the flag of one of its items and the number
// of its items.
struct MatchingSupplier {
    QString name;
    bool ticked = false;
    qint64 items = 0;
};
QList<MatchingSupplier> readMatchingSuppliers(db::Connection& priceDb);

// The wait window as a run drives it; empty members do nothing.
struct MatchingWait {
    std::function<void(int steps)> show;             // the bar at 0 of `steps`
    std::function<void(const QString& text)> step;   // a text, and the bar on one step
    std::function<void()> close;                     // the default text back, closed
};

// "   Обрабатывается группа  -  <name>"
QString groupStepText(const QString& groupName);
// "   Удаляются товары по критериям исключения"
QString exclusionStepText();

struct MatchingRun {
    // 0: all groups.
    qint64 groupCode = 0;
    // With the wait window. For all groups it also chooses the way: with
    // it, group by group of the tree (goods in no group are left out) and
    // the whole proposal table replaced; without it (the loading window's
    // run) every good with criteria rows at once, replacing only the
    // proposals of the suppliers whose items take part.
    bool withWait = false;
    // Asked before a group's run: Yes empties the proposal table, No keeps
    // the proposals of goods outside the group and its subgroups.
    Question ask;
    MatchingWait wait;
};

struct MatchingRunResult {
    qint64 hitItems = 0;  // distinct items in Sootv_temp
    qint64 proposals = 0; // rows stored in Sootv_All
};

// RunCriteriaMatching. The items are read and matched in memory first;
// every change is then written in one transaction, so a failure leaves the
// tables as they were. The wait window is closed whatever happens. Throws
// db::DbError.
MatchingRunResult RunCriteriaMatching(db::Connection& priceDb, const MatchingRun& run);

} // namespace velmora::catalogue
