#include "orders/order_import.h"

#include "orders/order_rate.h"
#include "orders/order_workbook_parts.h"
#include "orders/zakaz_list.h"
#include "platform/db/text_functions.h"
#include "platform/spreadsheet/reader.h"
#include "platform/spreadsheet/sheet_error.h"
#include "storage/price_text.h"
#include "storage/value_helpers.h"

#include <QFileInfo>
#include <QHash>

#include <cmath>
#include <limits>
#include <optional>

namespace velmora::orders {

namespace {

// A number cell as it stands, a text as the price lists' texts read;
// none for an empty cell, a text without digits, a date, a boolean or an
// error.
std::optional<double> cellNumber(const sheet::ValueBlock& cells, int row, int column)
{
    if (column <= 0)
        return std::nullopt;
    const sheet::CellValue value = cells.value(row, column);
    if (value.isNumber())
        return value.toNumber();
    if (value.isText()) {
        const ParsedPrice parsed = ParsePriceText(value.textValue().trimmed());
        if (parsed.hasNumber)
            return parsed.value;
    }
    return std::nullopt;
}

QString cellText(const sheet::ValueBlock& cells, int row, int column)
{
    return column > 0 ? cells.text(row, column).trimmed() : QString();
}

// The own goods by article (through the index on Art) and by name (a map
// of the folded names, built when the first name is looked up: the names
// have no index of their own). The first good of a key wins.
class OwnGoodMatcher {
public:
    explicit OwnGoodMatcher(db::Connection& priceDb)
        : priceDb_(priceDb),
          byArt_(priceDb.prepare(QStringLiteral("SELECT %1 FROM price_main WHERE Art = ?1 LIMIT 1")
                                     .arg(QLatin1String(kOwnGoodColumns))))
    {
    }

    std::optional<OwnGood> byArticle(const QString& art)
    {
        byArt_.reset();
        byArt_.bindText(1, art);
        if (!byArt_.step())
            return std::nullopt;
        return OwnGoodOfRow(byArt_);
    }

    std::optional<OwnGood> byName(const QString& tovar)
    {
        if (!names_) {
            names_.emplace();
            db::Statement all = priceDb_.prepare(
                QStringLiteral("SELECT %1 FROM price_main ORDER BY rowid").arg(QLatin1String(kOwnGoodColumns)));
            while (all.step()) {
                const QString key = db::foldCase(all.text(2));
                if (!names_->contains(key))
                    names_->insert(key, OwnGoodOfRow(all));
            }
        }
        const auto it = names_->constFind(db::foldCase(tovar));
        if (it == names_->constEnd())
            return std::nullopt;
        return *it;
    }

private:
    db::Connection& priceDb_;
    db::Statement byArt_;
    std::optional<QHash<QString, OwnGood>> names_;
};

} // namespace

QString ImportReportText(const OrderImportResult& result)
{
    QString text = QStringLiteral("Загружено в заказ: ") + QString::number(result.loaded);
    if (result.loaded != result.found)
        text += QStringLiteral(" из  ") + QString::number(result.found);
    return text;
}

sheet::ValueBlock ReadOrderCells(const QString& path, int sheetIndex, int lastColumn)
{
    if (path.trimmed().isEmpty() || !QFileInfo(path).isFile())
        throw OrderImportError(kMissingOrderFileMessage);
    try {
        sheet::WorkbookReader reader(path);
        sheet::ReadOptions options;
        options.maxColumns = std::max(lastColumn, 1);
        return reader.readSheet(sheetIndex, options).values;
    } catch (const sheet::SheetError& error) {
        throw OrderImportError(error.message());
    }
}

OrderImportResult ImportOrderCells(db::Connection& priceDb, const sheet::ValueBlock& cells,
                                   const OrderImportSettings& settings, int roundDigits,
                                   const ExportProgress& progress)
{
    OrderImportResult result;
    const int startRow = std::max(settings.startRow, 1);
    detail::ProgressScope steps(progress, std::max(cells.rows() - startRow + 1, 0));

    OwnGoodMatcher matcher(priceDb);
    ZakazWriter writer(priceDb);
    // The goods already in the list (adding to an order): Code -> Id.
    QHash<qint64, qint64> listed;
    for (const ZakazRow& row : ReadZakazRows(priceDb))
        if (!listed.contains(row.code))
            listed.insert(row.code, row.id);

    for (int row = startRow; row <= cells.rows(); ++row) {
        steps.step();
        const QString art = cellText(cells, row, settings.artColumn);
        const QString tovar = cellText(cells, row, settings.tovarColumn);
        const std::optional<double> price = cellNumber(cells, row, settings.priceColumn);
        const QString priceText = cellText(cells, row, settings.priceColumn);
        const NotFoundRow listedRow{art, tovar, priceText, cellText(cells, row, settings.quantityColumn)};
        if (settings.quantityColumn <= 0)
            continue;

        const std::optional<double> quantity = cellNumber(cells, row, settings.quantityColumn);
        if (!quantity) {
            // A quantity that is no number, on a row that names a good with
            // a price, is a row the customer meant: found, not loaded.
            if (!cells.value(row, settings.quantityColumn).isEmpty() && !tovar.isEmpty() && price.value_or(0) > 0) {
                ++result.found;
                result.notFound << listedRow;
            }
            continue;
        }
        if (*quantity <= 0)
            continue;
        ++result.found;
        if (*quantity != std::floor(*quantity) || *quantity > double(std::numeric_limits<int>::max())) {
            result.notFound << listedRow;
            continue;
        }

        const std::optional<OwnGood> good = settings.matchByArticle && !art.isEmpty() ? matcher.byArticle(art)
                                                                                      : matcher.byName(tovar);
        if (!good || good->code <= 0) {
            result.notFound << listedRow;
            continue;
        }
        const std::optional<double> filePrice = settings.priceFromFile ? price : std::nullopt;
        const qint64 units = qint64(*quantity);
        if (const auto it = listed.constFind(good->code); it != listed.constEnd()) {
            writer.addQuantity(*it, units, filePrice);
        } else {
            // The sale price in the order tab's currency, as its purchase
            // prices are shown.
            const double price1 = RoundValue(roundDigits, MarkedUpPrice(*good));
            listed.insert(good->code, writer.append(*good, roundDigits, units,
                                                    filePrice.value_or(TruncatedToCents(price1, settings.rate))));
        }
        ++result.loaded;
    }
    return result;
}

OrderImportResult ImportOrder(db::Connection& priceDb, const QString& path, const OrderImportSettings& settings,
                              int roundDigits, const ExportProgress& progress)
{
    const int lastColumn = std::max({settings.artColumn, settings.tovarColumn, settings.priceColumn,
                                     settings.quantityColumn});
    const sheet::ValueBlock cells = ReadOrderCells(path, settings.sheetIndex, lastColumn);
    db::Transaction transaction(priceDb);
    if (!settings.addToOrder)
        EmptyZakaz(priceDb);
    OrderImportResult result = ImportOrderCells(priceDb, cells, settings, roundDigits, progress);
    transaction.commit();
    return result;
}

} // namespace velmora::orders
