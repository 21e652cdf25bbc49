#pragma once

#include <QString>
#include <QVector>

#include <optional>

namespace velmora {
class SettingsStore;
}

namespace velmora::search {

struct SortOrder;

// One column of the supplier goods grid, in design order.
struct GoodsColumn {
    QString field;
    QString designTitle;
    int designWidth;
};

// The eleven columns of DBGrid_Tovar. `Opisanie` shows the row's
// Description.
const QVector<GoodsColumn>& goodsColumns();
int goodsColumnOf(const QString& field);  // -1 when the grid has no such field

// The user column titles (order database, TypeText), the globals
// ColumnTitleArt ... ColumnTitleDescription.
struct ColumnTitles {
    QString ColumnTitleArt = QStringLiteral("Артикул");
    QString ColumnTitleTovar = QStringLiteral("Товар");
    QString ColumnTitlePrice = QStringLiteral("Цена");
    QString ColumnTitlePricemax = QStringLiteral("Цена (розн.)");
    QString ColumnTitleSklad = QStringLiteral("Склад");
    QString ColumnTitleGarant = QStringLiteral("Страна");
    QString ColumnTitleTextNoName = QStringLiteral("Производит.");
    QString ColumnTitleDescription = QStringLiteral("Описание");
};

// The setting names and defaults, in the order of ColumnTitles.
struct ColumnTitleSetting {
    QString name;
    QString defaultText;
    QString ColumnTitles::*title;
    int gridColumn;  // -1: sets labels only
};
const QVector<ColumnTitleSetting>& columnTitleSettings();
// The label that shows a title setting's text: "Column_art_Name" gives
// "Label_art".
QString columnTitleLabelOf(const QString& settingName);

// Reads the eight title settings (a missing one is created with its default).
ColumnTitles LoadColumnTitles(SettingsStore& orderSettings);

// The titles of the grid's columns: the user titles where they apply, the
// price column "Цена (" + display currency code + ")", design titles else.
QVector<QString> gridTitles(const ColumnTitles& titles, const QString& currencyCode);

// The short form a narrow column shows of its title ("Цена (розн.)" gives
// "Розн."); the title itself when it has none. The whole title is the
// column's tool tip.
QString shortGoodsTitle(const QString& title);

// The sort mark: at most one column, ascending or descending.
struct SortMark {
    int column = -1;
    bool descending = false;
    bool operator==(const SortMark&) const = default;
};

// A title click: no mark -> ascending -> descending -> no mark on the same
// column; another column's mark is dropped.
SortMark nextSortMark(const SortMark& current, int clickedColumn);

// The grid field the search sorts by; none for the default order.
std::optional<SortOrder> sortOrderOf(const SortMark& mark);

} // namespace velmora::search
