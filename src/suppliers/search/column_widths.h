#pragma once

#include "platform/db/connection.h"

#include <QString>
#include <QVector>

namespace velmora {
class SettingsStore;
}

namespace velmora::search {

// One column's slot of the width table: its width and whether the user
// fixed it (a hidden column is a fixed column of width 0).
struct ColumnSlot {
    int width = 100;
    bool fixed = false;
    bool operator==(const ColumnSlot&) const = default;
};
using WidthTable = QVector<ColumnSlot>;

// What a column needs to show its cells whole: `least` its values and the
// short form of its title, `whole` its values and its whole title (0: no
// need beyond the 5 pixels every column gets). A column that `yields` goes
// below its least (down to 5) before the widest column goes below its own.
struct ColumnNeed {
    int least = 0;
    int whole = 0;
    bool yields = false;
};

// Fits the columns to the client width W: fixed columns keep their width,
// the others share the rest in proportion (never narrower than 5), and the
// widest column takes the remainder so that the widths plus `lineWidth` per
// column fill W exactly. The table takes the new widths. Nothing changes
// for W <= 0 or fewer than two columns.
void fitColumns(WidthTable& table, int clientWidth, int lineWidth);

// The widths to show for a fitted table, so that the cells show whole: the
// column `stretch` (when it is not fixed; else the widest) takes what is
// left. A column that is not fixed gets at least what it needs at least,
// taken from the stretching column; the columns that need more for their
// whole titles get it from what the stretching column has beyond its own
// whole need. When it would fall below its least, the columns with room
// beyond theirs give it back in proportion, then the columns that yield;
// the widths then exceed W only when the needs do. The table itself keeps
// its proportions, so a narrow moment does not shrink the stretching
// column for good. Without needs (or a column each), the table's widths.
QVector<int> widthsMeetingNeeds(const WidthTable& table, int clientWidth, int lineWidth,
                                const QVector<ColumnNeed>& needs, int stretch);

// After the user resized a column: `current` holds the widths as the grid
// shows them, the table those it showed before (they differ only in the
// resized column). The resized column keeps its new width where there is
// room, the columns after it share what is left, the last column takes the
// remainder. The table takes the new widths.
void saveColumns(WidthTable& table, const QVector<int>& current, int clientWidth, int lineWidth);

// The column commands of the grid's pop-up menu.
void hideColumn(WidthTable& table, int column);
void fixColumn(WidthTable& table, int column);
// Clears every fixed flag and gives hidden and narrow columns 30 pixels;
// returns how many were hidden.
int showAllColumns(WidthTable& table);

QString fixedColumnMessage(const QString& title);
QString shownColumnsMessage(int shown);

// Settings "<grid>_Columns_<i>": width as TypeInteger (default "100"), the
// fixed flag as TypeBoolean (default false), in the order database.
// A column without a stored width takes its default: defaults[i] when given,
// else 100.
WidthTable loadColumnWidths(SettingsStore& orderSettings, const QString& gridName, int columns,
                            const QVector<int>& defaults = {});
// Stores every column in one transaction.
void storeColumnWidths(db::Connection& orderDb, SettingsStore& orderSettings, const QString& gridName,
                       const WidthTable& table);

} // namespace velmora::search
