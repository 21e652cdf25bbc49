#include "column_widths.h"

#include "storage/settings_store.h"

#include <algorithm>
#include <cmath>

namespace velmora::search {
namespace {

int roundHalfUp(double x) { return int(std::floor(x + 0.5)); }

int sumWidths(const WidthTable& table, int except = -1)
{
    int sum = 0;
    for (int i = 0; i < table.size(); ++i) {
        if (i != except)
            sum += table.at(i).width;
    }
    return sum;
}

} // namespace

void fitColumns(WidthTable& table, int clientWidth, int lineWidth)
{
    const int n = int(table.size());
    if (clientWidth <= 0 || n < 2)
        return;
    int fixedSum = 0;
    for (const ColumnSlot& c : table) {
        if (c.fixed)
            fixedSum += c.width;
    }
    const double total = double(n) * lineWidth + sumWidths(table);
    const double share = total - fixedSum;
    int widest = 0;
    for (int i = 0; i < n; ++i) {
        ColumnSlot& c = table[i];
        if (!c.fixed) {
            int w = share > 0 ? roundHalfUp(c.width * double(clientWidth - fixedSum) / share) : 0;
            if (w < 0)
                w = 0;
            if (w < 5)
                w = 5;
            c.width = w;
        }
        if (c.width > table.at(widest).width)
            widest = i;
    }
    table[widest].width = std::max(0, clientWidth - sumWidths(table, widest) - n * lineWidth);
}

QVector<int> widthsMeetingNeeds(const WidthTable& table, int clientWidth, int lineWidth,
                                const QVector<ColumnNeed>& needs, int stretch)
{
    const int n = int(table.size());
    QVector<int> widths;
    for (const ColumnSlot& c : table)
        widths << c.width;
    if (needs.size() != n || n < 2 || clientWidth <= 0)
        return widths;
    int widest = stretch;
    if (widest < 0 || widest >= n || table.at(widest).fixed) {
        widest = 0;
        for (int i = 1; i < n; ++i)
            if (widths.at(i) > widths.at(widest))
                widest = i;
    }
    if (table.at(widest).fixed)
        return widths;
    auto movable = [&](int i) { return i != widest && !table.at(i).fixed; };
    auto remainder = [&] {
        int others = 0;
        for (int i = 0; i < n; ++i)
            others += i == widest ? 0 : widths.at(i);
        return clientWidth - others - n * lineWidth;
    };
    for (int i = 0; i < n; ++i) {
        if (movable(i))
            widths[i] = std::max(widths.at(i), needs.at(i).least);
    }
    const int own = std::max(5, needs.at(widest).least);
    // Columns wider than they need (those without needs, mostly) give back
    // in proportion to their room, then the columns that yield.
    for (const bool yielding : {false, true}) {
        const int deficit = own - remainder();
        if (deficit <= 0)
            break;
        auto spareOf = [&](int i) {
            if (!movable(i) || (yielding && !needs.at(i).yields))
                return 0;
            return std::max(0, widths.at(i) - (yielding ? 5 : std::max(5, needs.at(i).least)));
        };
        int room = 0;
        for (int i = 0; i < n; ++i)
            room += spareOf(i);
        const int taken = std::min(deficit, room);
        int left = taken;
        for (int i = 0; i < n && left > 0; ++i) {
            const int spare = spareOf(i);
            const int part = std::min({spare, left, int(std::ceil(double(taken) * spare / room))});
            widths[i] -= part;
            left -= part;
        }
    }
    // Whole titles from what the stretching column has beyond its whole need.
    const int comfortable = std::max(own, needs.at(widest).whole);
    for (int i = 0; i < n; ++i) {
        if (!movable(i))
            continue;
        const int more = std::min(needs.at(i).whole - widths.at(i), remainder() - comfortable);
        if (more > 0)
            widths[i] += more;
    }
    widths[widest] = std::max(own, remainder());
    return widths;
}

void saveColumns(WidthTable& table, const QVector<int>& current, int clientWidth, int lineWidth)
{
    const int n = int(table.size());
    if (clientWidth <= 0 || n == 0 || current.size() != n)
        return;
    QVector<int> suffix(n + 1, 0);
    for (int i = n - 1; i >= 0; --i)
        suffix[i] = suffix[i + 1] + (table.at(i).fixed ? table.at(i).width : 0);

    QVector<int> widths = current;
    double room = clientWidth;   // R
    double space = clientWidth;  // S
    int resized = -1;
    if (n > 1) {
        for (int i = 0; i <= n - 2; ++i) {
            if (resized < 0 && current.at(i) != table.at(i).width) {
                resized = i;
                space -= widths[i];
                const int rest = n - i;
                if (space < 5 * rest) {
                    widths[i] = int(room) - 5 * rest - suffix[i];
                    space = room - widths[i];
                }
                room -= table.at(i).width;
            } else if (resized < 0) {
                space -= current.at(i);
                room -= table.at(i).width;
            } else if (!table.at(i).fixed) {
                space -= suffix[i];
                room -= suffix[i];
                widths[i] = (space > 4 && room > 0) ? roundHalfUp(table.at(i).width * space / room) : 4;
            }
        }
    }
    if (resized < 0 && n > 1) {
        // The last column was resized, or nothing: the others follow it.
        const int last = n - 1;
        const double before = clientWidth - table.at(last).width;
        const double after = clientWidth - current.at(last);
        for (int i = 0; i < last; ++i)
            widths[i] = before > 0 ? roundHalfUp(current.at(i) * after / before) : current.at(i);
    }
    int others = 0;
    for (int i = 0; i < n - 1; ++i)
        others += widths.at(i);
    widths[n - 1] = std::max(0, clientWidth - others - n * lineWidth);
    for (int i = 0; i < n; ++i)
        table[i].width = widths.at(i);
}

void hideColumn(WidthTable& table, int column)
{
    if (column < 0 || column >= table.size())
        return;
    table[column] = ColumnSlot{0, true};
}

void fixColumn(WidthTable& table, int column)
{
    if (column >= 0 && column < table.size())
        table[column].fixed = true;
}

int showAllColumns(WidthTable& table)
{
    int hidden = 0;
    for (ColumnSlot& c : table) {
        c.fixed = false;
        if (c.width < 1)
            ++hidden;
        if (c.width < 30)
            c.width = 30;
    }
    return hidden;
}

QString fixedColumnMessage(const QString& title)
{
    return QStringLiteral("Ширина колонки \"%1\" зафиксирована!").arg(title);
}

QString shownColumnsMessage(int shown)
{
    if (shown == 0)
        return QStringLiteral("Нет ни одной скрытой колонки!\r\rФиксация ширины с колонок снята!");
    return QStringLiteral("Показано %1 скрытых колонок.\r\rФиксация ширины с колонок снята!").arg(shown);
}

WidthTable loadColumnWidths(SettingsStore& orderSettings, const QString& gridName, int columns,
                            const QVector<int>& defaults)
{
    WidthTable table(columns);
    for (int i = 0; i < columns; ++i) {
        const QString name = gridName + QStringLiteral("_Columns_") + QString::number(i);
        const int fallback = i < defaults.size() ? defaults.at(i) : 100;
        table[i].width = int(orderSettings.readInteger(name, QString::number(fallback)));
        table[i].fixed = orderSettings.readBoolean(name, QStringLiteral("0"));
    }
    return table;
}

void storeColumnWidths(db::Connection& orderDb, SettingsStore& orderSettings, const QString& gridName,
                       const WidthTable& table)
{
    db::Transaction transaction(orderDb);
    for (int i = 0; i < table.size(); ++i) {
        const QString name = gridName + QStringLiteral("_Columns_") + QString::number(i);
        orderSettings.write(name, QStringLiteral("TypeInteger"), QString::number(table.at(i).width));
        orderSettings.write(name, QStringLiteral("TypeBoolean"),
                            table.at(i).fixed ? QStringLiteral("-1") : QStringLiteral("0"));
    }
    transaction.commit();
}

} // namespace velmora::search
