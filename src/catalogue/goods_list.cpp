#include "goods_list.h"

#include "platform/db/day_numbers.h"
#include "platform/db/text_functions.h"
#include "platform/db/db_error.h"
#include "storage/value_helpers.h"

namespace velmora::catalogue {

namespace {

const QString kGoodColumns = QStringLiteral(
    "Code, ifnull(Art, ''), ifnull(Kategor, ''), ifnull(Tovar, ''), ifnull(PriceBase, 0), ifnull(Nacen, 0),"
    " ifnull(Price_1, 0), ifnull(Dates, 0), ifnull(Garant, ''), ifnull(Sale, 0), ifnull(SuperPrice, 0)");

Good goodOf(const db::Statement& s)
{
    Good g;
    g.code = s.integer(0);
    g.art = s.text(1);
    g.kategor = s.text(2);
    g.tovar = s.text(3);
    g.priceBase = s.number(4);
    g.nacen = int(s.integer(5));
    g.price1 = s.number(6);
    g.dates = s.integer(7);
    g.garant = s.text(8);
    g.sale = s.integer(9) != 0;
    g.superPrice = s.integer(10) != 0;
    return g;
}

const char* const kTitles[CatalogueGoodsModel::ColumnCount] = {
    "Артикул", "Наименование", "Цена", "Наценка", "Цена продажи", "Закупка",
    "Наценка, %", "Наценка, сумма", "Цена, руб.", "Гарантия", "Дата"};

} // namespace

std::vector<GoodsListEntry> readGoodsList(db::Connection& priceDb, const GoodsListFilter& filter)
{
    QString sql = QStringLiteral("SELECT rowid, Code FROM price_main WHERE Kategor = ?1 AND Price_1 > ?2");
    if (!filter.namePart.isEmpty())
        sql += QStringLiteral(" AND Tovar LIKE ?3") + QLatin1String(db::kLikeEscapeClause);
    sql += QStringLiteral(" ORDER BY Tovar, Code");
    db::Statement s = priceDb.prepare(sql);
    s.bindText(1, filter.kategor).bindDouble(2, filter.priceNullThreshold);
    if (!filter.namePart.isEmpty())
        s.bindText(3, db::likeContainingLiteral(filter.namePart));
    std::vector<GoodsListEntry> entries;
    while (s.step())
        entries.push_back(GoodsListEntry{s.integer(0), s.integer(1)});
    return entries;
}

bool readGood(db::Connection& priceDb, qint64 code, Good& good)
{
    db::Statement s = priceDb.prepare(QStringLiteral("SELECT %1 FROM price_main WHERE Code = ?1").arg(kGoodColumns));
    s.bindInt(1, code);
    if (!s.step())
        return false;
    good = goodOf(s);
    return true;
}

GoodsTotals readGoodsTotals(db::Connection& priceDb)
{
    db::Statement s = priceDb.prepare(
        QStringLiteral("SELECT count(*), count(CASE WHEN Price_1 > 0 THEN 1 END) FROM price_main"));
    s.step();
    return GoodsTotals{s.integer(0), s.integer(1)};
}

QString goodsTotalsText(const GoodsTotals& totals)
{
    return QStringLiteral("Всего товаров - %1   Активных - %2").arg(totals.all).arg(totals.active);
}

CatalogueGoodsModel::CatalogueGoodsModel(db::Connection& priceDb, QObject* parent, int chunkSize)
    : QAbstractTableModel(parent), priceDb_(priceDb), chunkSize_(chunkSize)
{
}

void CatalogueGoodsModel::setPricing(const GoodsPricing& pricing)
{
    pricing_ = pricing;
    if (!goods_.empty())
        emit dataChanged(index(0, 0), index(int(goods_.size()) - 1, ColumnCount - 1));
}

void CatalogueGoodsModel::showEntries(std::vector<GoodsListEntry> entries)
{
    beginResetModel();
    ownEntries_ = true;
    entries_ = std::move(entries);
    goods_.clear();
    try {
        readRows(chunkSize_);
    } catch (const db::DbError&) {
        goods_.clear();
        endResetModel();
        throw;
    }
    endResetModel();
}

void CatalogueGoodsModel::reopen()
{
    if (ownEntries_)
        showEntries(std::move(entries_));
    else
        reopen(GoodsListFilter(filter_));
}

void CatalogueGoodsModel::reopen(const GoodsListFilter& filter)
{
    ownEntries_ = false;
    beginResetModel();
    filter_ = filter;
    entries_.clear();
    goods_.clear();
    try {
        entries_ = readGoodsList(priceDb_, filter_);
        readRows(chunkSize_);
    } catch (const db::DbError&) {
        entries_.clear();
        goods_.clear();
        endResetModel();
        throw;
    }
    endResetModel();
}

void CatalogueGoodsModel::clear()
{
    beginResetModel();
    entries_.clear();
    goods_.clear();
    endResetModel();
}

qint64 CatalogueGoodsModel::codeAt(int row) const
{
    return row >= 0 && row < int(entries_.size()) ? entries_[size_t(row)].code : 0;
}

const Good* CatalogueGoodsModel::goodAt(int row) const
{
    return row >= 0 && row < int(goods_.size()) ? &goods_[size_t(row)] : nullptr;
}

int CatalogueGoodsModel::rowOfCode(qint64 code)
{
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].code != code)
            continue;
        const int row = int(i);
        while (row >= int(goods_.size()))
            fetchMore(QModelIndex());
        return row;
    }
    return -1;
}

void CatalogueGoodsModel::readRows(int count)
{
    const size_t end = std::min(entries_.size(), goods_.size() + size_t(std::max(count, 0)));
    if (goods_.size() >= end)
        return;
    db::Statement s =
        priceDb_.prepare(QStringLiteral("SELECT %1 FROM price_main WHERE rowid = ?1").arg(kGoodColumns));
    goods_.reserve(end);
    while (goods_.size() < end) {
        const GoodsListEntry& entry = entries_[goods_.size()];
        s.bindInt(1, entry.rowId);
        if (s.step()) {
            goods_.push_back(goodOf(s));
        } else {
            Good gone;
            gone.code = entry.code;
            goods_.push_back(gone);
        }
        s.reset();
    }
}

int CatalogueGoodsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(goods_.size());
}

int CatalogueGoodsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant CatalogueGoodsModel::data(const QModelIndex& index, int role) const
{
    const Good* good = index.isValid() ? goodAt(index.row()) : nullptr;
    if (!good)
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == ColArt || index.column() == ColTovar || index.column() == ColGarant
                   ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case ColArt:
        return good->art;
    case ColTovar:
        return good->tovar;
    case ColPrice1:
        return RoundedDecimalText(good->price1, 4, u',');
    case ColNacen:
        return good->nacen;
    case ColPriceBase:
        return RoundedDecimalText(good->priceBase, 4, u',');
    case ColGarant:
        return good->garant;
    case ColDates:
        return good->dates > 0 ? db::dateFromDayNumber(double(good->dates)).toString(QStringLiteral("dd.MM.yyyy"))
                               : QString();
    default:
        break;
    }
    const GoodPriceTexts texts = goodPriceTexts(*good, pricing_);
    switch (index.column()) {
    case ColPriceNacen:
        return texts.Price_nacen;
    case ColNacenAll:
        return texts.NacenAll;
    case ColNacenDollars:
        return texts.NacenDollars;
    case ColPriceRub:
        return texts.Price_RUB;
    default:
        return {};
    }
}

QVariant CatalogueGoodsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromUtf8(kTitles[section]);
}

bool CatalogueGoodsModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && goods_.size() < entries_.size();
}

void CatalogueGoodsModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    const int first = int(goods_.size());
    const int last = std::min(first + chunkSize_, int(entries_.size())) - 1;
    beginInsertRows(QModelIndex(), first, last);
    try {
        readRows(chunkSize_);
    } catch (const db::DbError&) {
        // Shown as empty rows; the next reopen reads them again.
        while (int(goods_.size()) <= last) {
            Good unread;
            unread.code = entries_[goods_.size()].code;
            goods_.push_back(unread);
        }
    }
    endInsertRows();
}

} // namespace velmora::catalogue
