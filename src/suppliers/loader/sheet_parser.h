#pragma once

#include "platform/spreadsheet/reader.h"
#include "suppliers/currency/currency_table.h"
#include "suppliers/loader/offer_store.h"
#include "suppliers/loader/sheet_columns.h"
#include "suppliers/loader/price_list_setup.h"
#include "suppliers/pricing.h"

#include <functional>
#include <string_view>

namespace velmora::loader {

// What stays the same for every sheet of one load.
struct ListContext {
    double conversion = 1;
    PriceRounding rounding;
    CurrencyTable rates;
    bool loadPriceNull = false;
    bool ormita = false;
};

struct SheetParseStats {
    int rows = 0;    // rows holding values
    int offers = 0;
    int skipped = 0; // rows that are no offer
};

// Reads one row's cells into offers by one sheet setting. `carriedCurrency`
// is the currency index a row without its own currency text takes on a
// sheet with a currency column; it starts each load at the display
// currency and follows the rows.
class SheetRowParser {
public:
    SheetRowParser(const SheetSetup& sheet, const ListContext& list, int* carriedCurrency);

    // The highest column any setting of the sheet reads (at least 1).
    int lastColumn() const { return lastColumn_; }
    bool hasHyperlinkColumns() const;

    // Cells of one row by column (1..lastColumn(); null for an empty cell).
    // Appends an offer to `store` and returns true when the row is one.
    bool parseRow(int row, const std::vector<const sheet::RowCell*>& cells, OfferStore& store) const;

    // After the sheet has been read: the first hyperlink on a cell of a
    // hyperlink column becomes the link of that row's offer. `rowOffers`
    // pairs each offer the sheet made with its row, in row order.
    void applyHyperlinks(const std::vector<sheet::Hyperlink>& hyperlinks,
                         const std::vector<std::pair<int, std::size_t>>& rowOffers, OfferStore& store) const;

private:
    // One field's text: the cell's own bytes when they are stored as they
    // stand, else the text as a QString, cut to `maxLength` (when >= 0).
    struct FieldText {
        std::string_view utf8;
        bool asBytes = false;
        QString text;
        bool isEmpty() const { return asBytes ? utf8.empty() : text.isEmpty(); }
    };
    FieldText fieldText(const FieldColumns& field, int maxLength, const std::vector<const sheet::RowCell*>& cells) const;
    QString composite(const FieldColumns& field, const std::vector<const sheet::RowCell*>& cells) const;
    QString cellText(int column, const std::vector<const sheet::RowCell*>& cells) const;
    QString formulaLink(int column, const std::vector<const sheet::RowCell*>& cells) const;

    const SheetSetup& sheet_;
    const ListContext& list_;
    int* carriedCurrency_;
    FieldColumns art_, tovar_, sklad_, garant_, description_, textNoName_;
    int priceColumn_ = 0;
    int pricemaxColumn_ = 0;
    int currencyColumn_ = 0;  // per-row currency column, 0 when none
    int sheetCurrency_ = -1;  // fixed currency index, -1 for the display currency
    int lastColumn_ = 1;
};

// Takes a chunk of parsed offers (and leaves `store` empty); false stops
// the reading.
using OfferSink = std::function<bool(OfferStore& store)>;
inline constexpr std::size_t kOffersPerChunk = 4096;

// Streams worksheet `index` through the parser into `store`, handing each
// full chunk to `handOver`; offers of a sheet with hyperlink columns are
// handed over only after its last row, with their links. The caller hands
// over what is left. Returns false when `handOver` asked to stop.
bool ParseWorksheet(sheet::WorkbookReader& reader, int index, const SheetRowParser& parser, OfferStore& store,
                    const OfferSink& handOver, SheetParseStats& stats);

} // namespace velmora::loader
