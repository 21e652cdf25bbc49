#pragma once

#include "platform/db/connection.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace velmora::brands {

// One maker text of a supplier in BrandNamePostav; `etalon` is empty while
// no standard brand name is assigned (NULL).
struct MakerText {
    QString maker;
    QString etalon;
    bool hasEtalon = false;
};

// The opening collection of the supplier settings window: every supplier
// and maker text of the loaded goods whose maker text no supplier has in
// BrandNamePostav yet is added with no standard name (compared without
// case, as the table does). Goods without a maker text (NULL or empty) add
// nothing, so opening again adds nothing. Returns the rows added.
int CollectMakerTexts(db::Connection& priceDb);

// A supplier's maker texts in order, all of them or only those without a
// standard name.
QVector<MakerText> ReadMakerTexts(db::Connection& priceDb, const QString& supplier, bool onlyWithoutEtalon);

// The standard brand names assigned so far, each once, in order.
QStringList ReadStandardBrandNames(db::Connection& priceDb);

// The standard name the window proposes for a maker text, as an index into
// `standardNames` (-1 when the list is empty): the row's own name when it
// has one; else the name equal to the maker text without case; else the
// last name that sorts before it without case, unless that is the list's
// last entry; else the first.
int ProposedStandardName(const MakerText& row, const QStringList& standardNames);

// Assigns the standard name to the supplier's maker text ("Сохранить");
// false when the supplier has no such maker text (nothing changes).
bool SaveStandardName(db::Connection& priceDb, const QString& supplier, const QString& maker, const QString& etalon);

} // namespace velmora::brands
