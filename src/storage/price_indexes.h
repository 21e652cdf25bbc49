#pragma once

#include "platform/db/connection.h"

#include <QString>

namespace velmora {

// What settling the price database's twelve indexes came to: an index that
// was there as it should be, or was there otherwise and was made anew,
// counts as updated; one that was missing and was made counts as added; one
// that could not be made (its table is missing) is an error, and its label
// ("- AllPriceHistory(ID)" ...) joins the error list after a CR.
struct PriceIndexSettlement {
    int updated = 0;
    int added = 0;
    int errors = 0;
    QString errorList;
};

// Settles the twelve indexes of the price database that a save rebuilds:
// Art, Tovar, Postav on AllTovarPostav; ID_Tovar, Valuta on AllTovarValuta;
// ID_Postav, Postav on AllPostavSetup; Postav on AllPostavPage; ID_Tovar,
// Postav, Postav_Art, Postav_Tovar on AllPriceHistory. Each index is held
// under its table-qualified name (AllTovarPostav_Art ...), so settling one
// never touches another table's index of the same name. A compaction has
// just built every index that is there, so only a missing or different one
// is made (dropped first when different).
PriceIndexSettlement settlePriceIndexes(db::Connection& priceDb);

} // namespace velmora
