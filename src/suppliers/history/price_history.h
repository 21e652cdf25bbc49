#pragma once

#include "platform/db/connection.h"

#include <QString>
#include <QVector>

#include <optional>

namespace velmora::history {

// The stored loads of a supplier's price list in AllPriceHistory: every
// load of a list whose switch "<name>_PriceHistoryLoad" is on copies its
// offers there, stamped with the load's date and time.

// One stored load. `dates` is the stamp exactly as stored (a REAL day
// number with time), so that it finds its rows again when bound back.
struct StoredLoad {
    double dates = 0;
    int countTovar = 0;
};

// The supplier's loads, newest first.
QVector<StoredLoad> ReadStoredLoads(db::Connection& priceDb, const QString& supplier);

// A load's stamp as the user reads it: "dd.MM.yyyy hh:mm:ss", the date
// alone at midnight.
QString LoadStampText(double dates);

// The questions before a delete.
QString DeleteLoadQuestion(double dates);       // Удалить прайс "<stamp>" из базы?
QString ClearHistoryQuestion(const QString& supplier);
inline const QString kNothingToExportMessage = QStringLiteral("Не найден ни один товар для выгрузки!");

// Deletes one load, or every load of the supplier, in one transaction.
void DeleteStoredLoad(db::Connection& priceDb, const QString& supplier, double dates);
void DeleteWholeHistory(db::Connection& priceDb, const QString& supplier);
// True when the supplier has any stored offer ("в Excel" finds nothing
// to export otherwise).
bool HasStoredOffers(db::Connection& priceDb, const QString& supplier);

// One stored offer as the result grid shows it.
struct HistoryRow {
    qint64 id = 0;
    QString art;
    QString tovar;
    double priceOut = 0;
    double dates = 0;
};

// A result of the history grid: a text search in the supplier's stored
// offers, or the offers of one load; ordered by Tovar (then ID) or by ID.
// Rows are read in chunks, each a fresh statement that starts after the
// previous chunk's last row, so no statement stays open while the grid
// scrolls.
class HistoryResult {
public:
    // Offers whose Tovar or Art contains `text` (trimmed; "%" and "_" work as
    // in LIKE; an empty text finds all).
    static HistoryResult search(const QString& supplier, const QString& text, bool byName);
    static HistoryResult oneLoad(const QString& supplier, double dates, bool byName);

    // Up to `limit` rows after `after` (from the start when none).
    QVector<HistoryRow> fetch(db::Connection& priceDb, const std::optional<HistoryRow>& after, int limit) const;

private:
    QString supplier_;
    std::optional<QString> pattern_; // the search's LIKE pattern
    double dates_ = 0;               // the load's, without a pattern
    bool byName_ = false;
};

} // namespace velmora::history
