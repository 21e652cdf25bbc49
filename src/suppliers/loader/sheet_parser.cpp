#include "suppliers/loader/sheet_parser.h"

#include "storage/price_text.h"
#include "suppliers/loader/sheet_columns.h"

#include <algorithm>

namespace velmora::loader {
namespace {

constexpr int kArtLength = 30;
constexpr int kTovarLength = 200;
constexpr int kGarantLength = 50;
constexpr int kSkladLength = 50;
constexpr int kTextNoNameLength = 255;

} // namespace

SheetRowParser::SheetRowParser(const SheetSetup& sheet, const ListContext& list, int* carriedCurrency)
    : sheet_(sheet), list_(list), carriedCurrency_(carriedCurrency)
{
    art_ = DecodeFieldColumns(sheet.columnArt, false);
    tovar_ = DecodeFieldColumns(sheet.columnTovar, false);
    sklad_ = DecodeFieldColumns(sheet.columnSklad, false);
    garant_ = DecodeFieldColumns(sheet.columnGarant, false);
    description_ = DecodeFieldColumns(sheet.columnDescription, true);
    textNoName_ = DecodeFieldColumns(sheet.columnTextNoName, true);
    priceColumn_ = DecodePriceColumn(sheet.columnPrice);
    pricemaxColumn_ = DecodePriceColumn(sheet.columnPricemax);
    if (sheet.valuta > 5)
        currencyColumn_ = sheet.valuta - 5;
    else if (CurrencyTable::isCurrencyIndex(sheet.valuta))
        sheetCurrency_ = sheet.valuta;
    // 5 (a currency column of none) and anything else: the display currency.

    lastColumn_ = std::max({1, art_.lastColumn(), tovar_.lastColumn(), sklad_.lastColumn(), garant_.lastColumn(),
                            description_.lastColumn(), textNoName_.lastColumn(), priceColumn_, pricemaxColumn_,
                            currencyColumn_});
}

bool SheetRowParser::hasHyperlinkColumns() const
{
    return description_.isHyperlink() || textNoName_.isHyperlink();
}

QString SheetRowParser::cellText(int column, const std::vector<const sheet::RowCell*>& cells) const
{
    if (column <= 0 || column >= int(cells.size()) || !cells[size_t(column)])
        return {};
    QString text = cells[size_t(column)]->value.toText();
    // A NUL ends a text for the search index but not for the statement
    // that tests the rows: stored as a blank, both see the whole text.
    if (text.contains(QChar(0)))
        text.replace(QChar(0), u' ');
    return text.trimmed();
}

QString SheetRowParser::formulaLink(int column, const std::vector<const sheet::RowCell*>& cells) const
{
    if (column <= 0 || column >= int(cells.size()) || !cells[size_t(column)])
        return {};
    return LinkFromFormula(cells[size_t(column)]->formula).trimmed();
}

// " " + each chosen cell, first-chosen column first, then trimmed: an empty
// middle cell leaves a double blank, as the lists have always been stored.
QString SheetRowParser::composite(const FieldColumns& field, const std::vector<const sheet::RowCell*>& cells) const
{
    if (field.columns[1] == 0)
        return cellText(field.columns[0], cells);
    QString joined;
    for (const int column : field.columns) {
        if (column > 0) {
            joined.append(u' ');
            joined.append(cellText(column, cells));
        }
    }
    return joined.trimmed();
}

bool SheetRowParser::parseRow(int row, const std::vector<const sheet::RowCell*>& cells, OfferStore& store) const
{
    const QString name = composite(tovar_, cells).left(kTovarLength);

    QString rowCurrencyText = currencyColumn_ > 0 ? cellText(currencyColumn_, cells) : QString();

    // A price column of none reads as 0; a number cell needs no parsing.
    auto readPrice = [&](int column, QString* currencyWord) {
        ParsedPrice price;
        if (column <= 0) {
            price.hasNumber = true;
            return price;
        }
        const sheet::RowCell* cell = column < int(cells.size()) ? cells[size_t(column)] : nullptr;
        if (!cell)
            return price;
        if (cell->value.isNumber()) {
            price.value = cell->value.toNumber();
            price.hasNumber = true;
            return price;
        }
        return ParsePriceText(cell->value.toText().trimmed(), currencyWord);
    };
    ParsedPrice price = readPrice(priceColumn_, currencyColumn_ > 0 ? &rowCurrencyText : nullptr);
    const ParsedPrice pricemax = readPrice(pricemaxColumn_, nullptr);

    if (!list_.ormita) {
        if (name.isEmpty())
            return false;
        if (!price.hasNumber && !list_.loadPriceNull)
            return false;
    }

    int currency = sheetCurrency_ >= 0 ? sheetCurrency_ : list_.rates.displayIndex;
    if (currencyColumn_ > 0) {
        const QString code = rowCurrencyText.isEmpty() ? CurrencyCode(*carriedCurrency_)
                                                       : NormaliseRowCurrencyText(rowCurrencyText);
        const int index = CurrencyIndexOfCode(code);
        currency = index >= 0 ? index : list_.rates.displayIndex;
        *carriedCurrency_ = currency;
    }

    OfferRecord record;
    record.quotedPrice = price.value;
    record.quotedPricemax = pricemax.value;
    record.nacen = sheet_.nacen;
    record.sourceRow = row;
    record.currencyIndex = std::int8_t(currency);
    record.prices = ComputeStoredPrices({price.value, pricemax.value, list_.conversion, double(sheet_.nacen)},
                                        list_.rates.factor(currency), list_.rounding);

    std::array<QString, kOfferTextCount> texts;
    texts[TextArt] = composite(art_, cells).left(kArtLength);
    QString tovar = name;
    if (!sheet_.tovarPrefiks.isEmpty())
        tovar = (sheet_.tovarPrefiks + u' ' + tovar).left(kTovarLength);
    if (tovar.isEmpty())
        tovar = QStringLiteral(" ");
    texts[TextTovar] = tovar;
    texts[TextGarant] = composite(garant_, cells).left(kGarantLength);
    texts[TextSklad] = composite(sklad_, cells).left(kSkladLength);
    texts[TextDescription] = description_.isHyperlink() ? formulaLink(description_.hyperlinkColumn, cells)
                                                        : composite(description_, cells);
    texts[TextNoName] = (textNoName_.isHyperlink() ? formulaLink(textNoName_.hyperlinkColumn, cells)
                                                   : composite(textNoName_, cells))
                            .left(kTextNoNameLength);
    store.add(record, texts);
    return true;
}

void SheetRowParser::applyHyperlinks(const std::vector<sheet::Hyperlink>& hyperlinks,
                                     const std::vector<std::pair<int, std::size_t>>& rowOffers,
                                     OfferStore& store) const
{
    struct LinkField {
        int column;
        OfferText field;
        int maxLength;
    };
    std::vector<LinkField> fields;
    if (description_.isHyperlink())
        fields.push_back({description_.hyperlinkColumn, TextDescription, -1});
    if (textNoName_.isHyperlink())
        fields.push_back({textNoName_.hyperlinkColumn, TextNoName, kTextNoNameLength});
    if (fields.empty() || rowOffers.empty())
        return;

    for (const sheet::Hyperlink& link : hyperlinks) {
        const QString address = link.address.trimmed();
        if (address.isEmpty())
            continue;
        for (const LinkField& field : fields) {
            if (field.column < link.range.first.column || field.column > link.range.last.column)
                continue;
            auto it = std::lower_bound(rowOffers.begin(), rowOffers.end(), link.range.first.row,
                                       [](const std::pair<int, std::size_t>& entry, int row) { return entry.first < row; });
            for (; it != rowOffers.end() && it->first <= link.range.last.row; ++it) {
                if (!store.hasOverride(it->second, field.field))
                    store.setText(it->second, field.field, field.maxLength < 0 ? address : address.left(field.maxLength));
            }
        }
    }
}

bool ParseWorksheet(sheet::WorkbookReader& reader, int index, const SheetRowParser& parser, OfferStore& store,
                    const OfferSink& handOver, SheetParseStats& stats)
{
    const int lastColumn = parser.lastColumn();
    const bool withLinks = parser.hasHyperlinkColumns();
    std::vector<const sheet::RowCell*> cells(size_t(lastColumn) + 1, nullptr);
    std::vector<std::pair<int, std::size_t>> rowOffers;
    bool stopped = false;

    const sheet::SheetInfo info = reader.streamSheet(index, [&](const sheet::RowData& row) {
        std::fill(cells.begin(), cells.end(), nullptr);
        for (const sheet::RowCell& cell : row.cells) {
            if (cell.column > lastColumn)
                break;
            cells[size_t(cell.column)] = &cell;
        }
        ++stats.rows;
        if (parser.parseRow(row.row, cells, store)) {
            ++stats.offers;
            if (withLinks)
                rowOffers.emplace_back(row.row, store.size() - 1);
        } else {
            ++stats.skipped;
        }
        // A sheet with link columns keeps its offers until its links are known.
        if (!withLinks && store.size() >= kOffersPerChunk && !handOver(store)) {
            stopped = true;
            return false;
        }
        return true;
    });
    if (stopped)
        return false;
    if (withLinks)
        parser.applyHyperlinks(info.hyperlinks, rowOffers, store);
    return true;
}

} // namespace velmora::loader
