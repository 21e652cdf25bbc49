#include "suppliers/loader/sheet_parser.h"

#include "storage/price_text.h"
#include "suppliers/loader/cell_text.h"
#include "suppliers/loader/sheet_columns.h"

#include <QDate>
#include <QStringList>
#include <QTime>

#include <algorithm>

namespace velmora::loader {
namespace {

constexpr int kArtLength = 30;
constexpr int kTovarLength = 200;
constexpr int kGarantLength = 50;
constexpr int kSkladLength = 50;
constexpr int kTextNoNameLength = 255;

// A cell's text as the sheet gives it, whichever way the row holds it.
QString rawCellText(const sheet::RowCell& cell)
{
    return cell.utf8 ? QString::fromUtf8(cell.utf8, qsizetype(cell.utf8Size)) : cell.value.toText();
}

// dd.mm.yyyy, with an optional " hh:mm" or " hh:mm:ss": a date as a CSV
// file writes one.
bool readsAsDate(QStringView text)
{
    if (text.size() < 8 || text.size() > 19)
        return false;
    int parts[6] = {0, 0, 0, 0, 0, 0};
    int digits[6] = {0, 0, 0, 0, 0, 0};
    const char16_t separators[5] = {u'.', u'.', u' ', u':', u':'};
    int part = 0;
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9') {
            parts[part] = parts[part] * 10 + (c.unicode() - u'0');
            if (++digits[part] > 4)
                return false;
        } else if (part < 5 && c == separators[part]) {
            ++part;
        } else {
            return false;
        }
    }
    if (part < 2 || part == 3 || digits[0] < 1 || digits[0] > 2 || digits[1] < 1 || digits[1] > 2 || digits[2] != 4)
        return false;
    if (part >= 3 && (digits[3] < 1 || digits[3] > 2 || digits[4] != 2 || (part == 5 && digits[5] != 2)))
        return false;
    return QDate(parts[2], parts[1], parts[0]).isValid() && (part < 3 || QTime(parts[3], parts[4], parts[5]).isValid());
}

// A price cell that holds no price, whatever digits it shows: an error
// value (a cell of that type, or its text in a CSV file) or a date.
bool holdsNoPrice(const sheet::RowCell& cell, const QString& text)
{
    static const QStringList errors = {QStringLiteral("#DIV/0!"), QStringLiteral("#N/A"),   QStringLiteral("#VALUE!"),
                                       QStringLiteral("#REF!"),   QStringLiteral("#NAME?"), QStringLiteral("#NUM!"),
                                       QStringLiteral("#NULL!")};
    const sheet::CellType type = cell.value.type();
    if (type == sheet::CellType::Error || type == sheet::CellType::Date)
        return true;
    if (text.startsWith(u'#'))
        return errors.contains(text, Qt::CaseInsensitive);
    return readsAsDate(text);
}

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
    return StoredCellText(rawCellText(*cells[size_t(column)]));
}

SheetRowParser::FieldText SheetRowParser::fieldText(const FieldColumns& field, int maxLength,
                                                    const std::vector<const sheet::RowCell*>& cells) const
{
    FieldText result;
    const int column = field.columns[0];
    if (field.columns[1] == 0 && column > 0 && column < int(cells.size()) && cells[size_t(column)]) {
        const sheet::RowCell& cell = *cells[size_t(column)];
        if (cell.utf8 && StoresAsItStands(std::string_view(cell.utf8, cell.utf8Size), maxLength)) {
            result.utf8 = std::string_view(cell.utf8, cell.utf8Size);
            result.asBytes = true;
            return result;
        }
    }
    result.text = composite(field, cells);
    if (maxLength >= 0)
        result.text = result.text.left(maxLength);
    return result;
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
    FieldText name = fieldText(tovar_, kTovarLength, cells);

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
        const QString text = rawCellText(*cell).trimmed();
        if (holdsNoPrice(*cell, text))
            return price;
        return ParsePriceText(text, currencyWord);
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

    // The texts in the store's order: art, name, warranty, stock,
    // description, extra text.
    auto append = [&store](const FieldText& text) {
        if (text.asBytes)
            store.appendUtf8(text.utf8);
        else
            store.appendText(text.text);
    };
    append(fieldText(art_, kArtLength, cells));
    if (!sheet_.tovarPrefiks.isEmpty()) {
        const QString own = name.asBytes ? QString::fromUtf8(name.utf8.data(), qsizetype(name.utf8.size())) : name.text;
        name.text = (sheet_.tovarPrefiks + u' ' + own).left(kTovarLength);
        name.asBytes = false;
    }
    if (name.isEmpty())
        store.appendText(QStringLiteral(" "));
    else
        append(name);
    append(fieldText(garant_, kGarantLength, cells));
    append(fieldText(sklad_, kSkladLength, cells));
    if (description_.isHyperlink())
        store.appendText(formulaLink(description_.hyperlinkColumn, cells));
    else
        append(fieldText(description_, -1, cells));
    if (textNoName_.isHyperlink())
        store.appendText(formulaLink(textNoName_.hyperlinkColumn, cells).left(kTextNoNameLength));
    else
        append(fieldText(textNoName_, kTextNoNameLength, cells));
    store.addAppended(record);
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

    auto onRow = [&](const sheet::RowData& row) {
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
    };
    // Text cells come as the file's bytes: most are stored as they stand.
    const sheet::SheetInfo info = reader.streamSheet(index, onRow, sheet::RowTexts::Utf8);
    if (stopped)
        return false;
    if (withLinks)
        parser.applyHyperlinks(info.hyperlinks, rowOffers, store);
    return true;
}

} // namespace velmora::loader
