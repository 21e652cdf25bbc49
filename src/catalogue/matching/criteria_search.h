#pragma once

#include "criteria_match.h"

#include "platform/db/connection.h"

#include <QList>
#include <QString>

namespace velmora::catalogue {

// The rows a result list reads at a time: its first screen and more.
inline constexpr int kResultChunkRows = 50;

// A supplier item waiting to be matched (a row of price_all).
struct RemainderItem {
    qint64 number = 0; // Number
    QString art;
    QString tovar;
    double price = 0;
    double pricemax = 0;
    QString postavshik;
    bool ticked = false; // Check_sootv
    qint64 dates = 0;
    QString garant;
    QString sklad;
};

// Clears every tick of the remainder and lets every item take part in the
// search (Check_sootv false, Check_obrab true). Only rows whose flags
// differ are written, so a search after a search writes nothing.
void resetRemainderFlags(db::Connection& priceDb);

// The result list of a criteria search: the remainder's items that take
// part (Check_obrab true) and match the rule, in Number order. Items are
// read in chunks as the list is scrolled to them; no statement stays open
// between chunks, so the list never holds a lock.
class CriteriaSearchResult {
public:
    CriteriaSearchResult(db::Connection& priceDb, CriteriaMatcher matcher);

    // The next matching items after those read so far, at most `count`;
    // fewer only at the end of the remainder.
    QList<RemainderItem> fetch(int count);
    bool atEnd() const { return atEnd_; }

private:
    db::Connection* priceDb_;
    CriteriaMatcher matcher_;
    qint64 lastNumber_ = 0; // the last item read
    bool atEnd_ = false;
};

// Button_KritSelect for a good: resets the remainder's flags and opens the
// result list of the good's criteria rows and exclusions.
CriteriaSearchResult runCriteriaSearch(db::Connection& priceDb, qint64 goodCode);

} // namespace velmora::catalogue
