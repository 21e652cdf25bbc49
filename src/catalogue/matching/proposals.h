#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QList>
#include <QString>

namespace velmora::catalogue {

// The review of the automatic matching's proposals (Sootv_All), good by
// good: at most one item per supplier is ticked for the good being worked
// on, and accepting makes the ticked proposals the good's correspondences
// and combined-price rows.

// A good with proposals. The goods without details (Price_Tovar_Info) are
// listed too, with an empty comment.
struct ProposedGood {
    qint64 code = 0;
    QString art;
    QString tovar;
    double priceBase = 0;
    QString comment;
};

// The goods with proposals, by name (then code).
QList<ProposedGood> readProposedGoods(db::Connection& priceDb);
// The number of proposals.
qint64 countProposals(db::Connection& priceDb);

// Showing the review: every proposal unticked (only ticked rows are
// written) and the proposals whose item has left the remainder dropped.
void prepareReview(db::Connection& priceDb);

struct Proposal {
    qint64 rowid = 0;
    qint64 code = 0;
    QString art;
    QString tovar;
    QString postavshik;
    bool ticked = false;
    double price = 0;
    double pricemax = 0;
    QString tovarMain;
    qint64 numberOst = 0;
    qint64 dates = 0;
    QString garant;
    QString sklad;
};

// The proposals of one good (by its Code), by supplier.
QList<Proposal> readProposals(db::Connection& priceDb, qint64 goodCode);

// "Завершите обработку предыдущего товара !"
QString finishPreviousGoodMessage();

enum class ProposalTick {
    Stored,
    SupplierTaken,    // the good has a ticked proposal of the supplier with another name
    OtherGoodPending, // another good has ticked proposals
};

// Ticks (or unticks) a proposal and marks its item (price_all.Check_obrab)
// alike; a tick that is refused stores nothing.
ProposalTick tickProposal(db::Connection& priceDb, qint64 rowid, bool ticked);

struct AcceptResult {
    int accepted = 0;
    int declined = 0;
    // Goods that have no proposals left (the accepted good among them).
    QList<qint64> goodsLeft;
};

// "Добавить в таблицу соответствия" for a good: each ticked proposal (by
// supplier) whose supplier already has correspondences or combined-price
// rows of the good is put to `ask` (replaceItemQuestion): Yes replaces
// them, No unticks the proposal and its item and tells
// moveDeclinedMessage. The ticked proposals become the good's
// correspondences and combined-price rows (Obrab left empty, Sklad
// carried), their items leave the remainder, their other goods' proposals
// and all the good's own proposals are deleted. A ticked proposal whose item
// has left the remainder is dropped. Questions first, then one transaction.
AcceptResult acceptProposals(db::Connection& priceDb, qint64 goodCode, const Question& ask, const MessageSink& tell);

} // namespace velmora::catalogue
