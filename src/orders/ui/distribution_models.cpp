#include "orders/ui/distribution_models.h"

#include "platform/db/text_functions.h"
#include "storage/value_helpers.h"

#include <QBrush>
#include <QColor>

namespace velmora::orders {

namespace {

// Windows colour 15780518 (blue-green-red): light blue.
const QColor kUnitsBackground(166, 202, 240);

} // namespace

QString DistributionPriceText(double value, int roundDigits)
{
    return RoundedDecimalText(value, roundDigits, u',');
}

DistributionGoodsModel::DistributionGoodsModel(QObject* parent) : QAbstractTableModel(parent) {}

void DistributionGoodsModel::reset(const QVector<DistributedGood>* goods, double rate, int roundDigits)
{
    beginResetModel();
    goods_ = goods;
    rate_ = rate;
    roundDigits_ = roundDigits;
    rows_.clear();
    if (goods_)
        for (int g = 0; g < goods_->size(); ++g) {
            const DistributedGood& good = goods_->at(g);
            for (int o = 0; o < good.offers.size(); ++o) {
                const QString& obrab = good.offers[o].obrab;
                if (!obrab.isEmpty() && obrab != QLatin1String("0"))
                    rows_.emplace_back(g, o);
            }
        }
    endResetModel();
}

const DistributedGood* DistributionGoodsModel::goodAt(int row) const
{
    if (!goods_ || row < 0 || row >= int(rows_.size()))
        return nullptr;
    return &goods_->at(rows_[size_t(row)].first);
}

const SupplierOffer* DistributionGoodsModel::offerAt(int row) const
{
    const DistributedGood* good = goodAt(row);
    return good ? &good->offers[rows_[size_t(row)].second] : nullptr;
}

int DistributionGoodsModel::rowOf(qint64 zakazId, const QString& supplier) const
{
    int first = -1;
    for (int row = 0; row < int(rows_.size()); ++row) {
        if (goodAt(row)->line.id != zakazId)
            continue;
        if (first < 0)
            first = row;
        if (db::foldCase(offerAt(row)->supplier) == db::foldCase(supplier))
            return row;
    }
    return first;
}

int DistributionGoodsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int DistributionGoodsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant DistributionGoodsModel::data(const QModelIndex& index, int role) const
{
    const DistributedGood* good = goodAt(index.row());
    if (!good)
        return {};
    const SupplierOffer& offer = *offerAt(index.row());
    if (role == Qt::ForegroundRole)
        return good->assigned() < good->line.quantity ? QBrush(Qt::red) : QBrush(Qt::black);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Art:
        return good->line.art;
    case Tovar:
        return good->line.tovar;
    case Units:
        return offer.obrab;
    case Purchase:
        return DistributionPriceText(offer.price * rate_, roundDigits_);
    case Sale:
        return DistributionPriceText(good->line.priceOut, 4);
    case Supplier:
        return offer.supplier;
    }
    return {};
}

QVariant DistributionGoodsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const titles[] = {"Артикул", "Наименование", "Кол-во", "Покупка", "Продажа", "Поставщик"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(titles[section]) : QVariant();
}

SupplierOffersModel::SupplierOffersModel(QObject* parent) : QAbstractTableModel(parent) {}

void SupplierOffersModel::reset(const DistributedGood* good, int roundDigits)
{
    beginResetModel();
    good_ = good;
    roundDigits_ = roundDigits;
    endResetModel();
}

const SupplierOffer* SupplierOffersModel::offerAt(int row) const
{
    if (!good_ || row < 0 || row >= good_->offers.size())
        return nullptr;
    return &good_->offers[row];
}

int SupplierOffersModel::rowOf(const QString& supplier) const
{
    if (!good_)
        return -1;
    for (int row = 0; row < good_->offers.size(); ++row)
        if (db::foldCase(good_->offers[row].supplier) == db::foldCase(supplier))
            return row;
    return -1;
}

int SupplierOffersModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !good_ ? 0 : int(good_->offers.size());
}

int SupplierOffersModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant SupplierOffersModel::data(const QModelIndex& index, int role) const
{
    const SupplierOffer* offer = offerAt(index.row());
    if (!offer)
        return {};
    const bool holdsUnits = UnitsOf(offer->obrab) > 0;
    if (role == Qt::BackgroundRole)
        return holdsUnits ? QVariant(QBrush(kUnitsBackground)) : QVariant();
    if (role == Qt::ForegroundRole)
        return holdsUnits ? QVariant(QBrush(Qt::black)) : QVariant();
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Price:
        return DistributionPriceText(offer->price, roundDigits_);
    case Supplier:
        return offer->supplier;
    case Sklad:
        return offer->sklad;
    }
    return {};
}

QVariant SupplierOffersModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const titles[] = {"Цена", "Поставщик", "Склад"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(titles[section]) : QVariant();
}

} // namespace velmora::orders
