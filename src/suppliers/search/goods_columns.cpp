#include "goods_columns.h"

#include "goods_query.h"

#include "storage/settings_store.h"

#include <QHash>

namespace velmora::search {

const QVector<GoodsColumn>& goodsColumns()
{
    static const QVector<GoodsColumn> columns = {
        {QStringLiteral("Art"), QStringLiteral("Артикул"), 120},
        {QStringLiteral("Tovar"), QStringLiteral("Товар"), 450},
        {QStringLiteral("Postavshik"), QStringLiteral("Поставщик"), 70},
        {QStringLiteral("PriceOut"), QStringLiteral("Цена"), 50},
        {QStringLiteral("Pricemax"), QStringLiteral("Цена (розн.)"), 70},
        {QStringLiteral("PricePostav"), QStringLiteral("Цена (пост.)"), 60},
        {QStringLiteral("ValutaPostav"), QStringLiteral("Валюта (пост.)"), 50},
        {QStringLiteral("Sklad"), QStringLiteral("Склад"), 60},
        {QStringLiteral("Garant"), QStringLiteral("Серия"), 70},
        {QStringLiteral("TextNoName"), QStringLiteral("Производель"), 60},
        {QStringLiteral("Opisanie"), QStringLiteral("Страна"), 100},
    };
    return columns;
}

int goodsColumnOf(const QString& field)
{
    const auto& columns = goodsColumns();
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).field == field)
            return i;
    }
    return -1;
}

const QVector<ColumnTitleSetting>& columnTitleSettings()
{
    static const QVector<ColumnTitleSetting> settings = {
        {QStringLiteral("Column_art_Name"), QStringLiteral("Артикул"), &ColumnTitles::ColumnTitleArt, 0},
        {QStringLiteral("Column_Tovar_Name"), QStringLiteral("Товар"), &ColumnTitles::ColumnTitleTovar, 1},
        {QStringLiteral("Column_Price_Name"), QStringLiteral("Цена"), &ColumnTitles::ColumnTitlePrice, -1},
        {QStringLiteral("Column_Pricemax_Name"), QStringLiteral("Цена (розн.)"), &ColumnTitles::ColumnTitlePricemax, 4},
        {QStringLiteral("Column_Sklad_Name"), QStringLiteral("Склад"), &ColumnTitles::ColumnTitleSklad, 7},
        {QStringLiteral("Column_Garant_Name"), QStringLiteral("Страна"), &ColumnTitles::ColumnTitleGarant, 8},
        {QStringLiteral("Column_TextNoName_Name"), QStringLiteral("Производит."), &ColumnTitles::ColumnTitleTextNoName, 9},
        {QStringLiteral("Column_Description_Name"), QStringLiteral("Описание"), &ColumnTitles::ColumnTitleDescription, 10},
    };
    return settings;
}

ColumnTitles LoadColumnTitles(SettingsStore& orderSettings)
{
    ColumnTitles titles;
    for (const ColumnTitleSetting& s : columnTitleSettings())
        titles.*(s.title) = orderSettings.readText(s.name, s.defaultText);
    return titles;
}

QVector<QString> gridTitles(const ColumnTitles& titles, const QString& currencyCode)
{
    QVector<QString> out;
    for (const GoodsColumn& c : goodsColumns())
        out << c.designTitle;
    for (const ColumnTitleSetting& s : columnTitleSettings()) {
        if (s.gridColumn >= 0)
            out[s.gridColumn] = titles.*(s.title);
    }
    out[3] = QStringLiteral("Цена (") + currencyCode + u')';
    return out;
}

QString shortGoodsTitle(const QString& title)
{
    static const QHash<QString, QString> shortForms = {
        {QStringLiteral("Артикул"), QStringLiteral("Арт.")},
        {QStringLiteral("Поставщик"), QStringLiteral("Пост-к")},
        {QStringLiteral("Цена (розн.)"), QStringLiteral("Розн.")},
        {QStringLiteral("Цена (пост.)"), QStringLiteral("Пост.")},
        {QStringLiteral("Валюта (пост.)"), QStringLiteral("Валюта")},
        {QStringLiteral("Производель"), QStringLiteral("Произв.")},
        {QStringLiteral("Производит."), QStringLiteral("Произв.")},
    };
    if (const auto found = shortForms.constFind(title); found != shortForms.constEnd())
        return *found;
    // The price column: "Цена (RUB)" and the like.
    if (title.startsWith(QStringLiteral("Цена (")) && title.endsWith(u')'))
        return QStringLiteral("Цена");
    return title;
}

SortMark nextSortMark(const SortMark& current, int clickedColumn)
{
    if (clickedColumn < 0)
        return current;
    if (current.column != clickedColumn)
        return SortMark{clickedColumn, false};
    if (!current.descending)
        return SortMark{clickedColumn, true};
    return SortMark{};
}

std::optional<SortOrder> sortOrderOf(const SortMark& mark)
{
    if (mark.column < 0 || mark.column >= goodsColumns().size())
        return std::nullopt;
    return SortOrder{goodsColumns().at(mark.column).field, mark.descending};
}

QString columnTitleLabelOf(const QString& settingName)
{
    QString key = settingName;
    key.remove(0, int(qstrlen("Column_")));
    key.chop(int(qstrlen("_Name")));
    return QStringLiteral("Label_") + key;
}

} // namespace velmora::search
