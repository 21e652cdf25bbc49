#include "price_list_ini_reader.h"

#include "platform/spreadsheet/cell_ref.h"
#include "suppliers/setup/column_picking.h"
#include "suppliers/setup/price_list_settings.h"

#include <QRegularExpression>

#include <limits>
#include <optional>
#include <map>
#include <set>

namespace velmora {
namespace {

// The sections the file holds: the n of each "PriceList<n>" and, for each
// n, the k of its "PriceList<n>Sheet<k>".
struct HeldSections {
    std::set<qint64> lists;
    std::map<qint64, std::set<qint64>> sheets;
};

HeldSections heldSections(const IniDocument& file)
{
    // The names the reader asks for: numbers without leading zeros.
    static const QRegularExpression name(QStringLiteral("^PriceList([1-9][0-9]{0,17})(?:Sheet([1-9][0-9]{0,17}))?$"),
                                         QRegularExpression::CaseInsensitiveOption);
    HeldSections held;
    for (const QString& section : file.sectionNames()) {
        const QRegularExpressionMatch match = name.match(section);
        if (!match.hasMatch())
            continue;
        const qint64 n = match.captured(1).toLongLong();
        if (match.hasCaptured(2))
            held.sheets[n].insert(match.captured(2).toLongLong());
        else
            held.lists.insert(n);
    }
    return held;
}

// The bounds of a sheet section's numbers.
bool isColumnSpec(qint64 v)
{
    constexpr qint64 kFourGroups = 99999999;
    return (v >= 0 && v <= kFourGroups) || (v > kHyperlinkSpecBase && v <= kHyperlinkSpecBase + sheet::kMaxColumns);
}
bool isMarkup(qint64 v) { return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max(); }
// A currency index, or the column (Valuta - 5) naming each row's currency.
bool isCurrency(qint64 v) { return v >= 0 && v <= kCurrencyColumnOffset + sheet::kMaxColumns; }
bool isColumn(qint64 v) { return v >= 0 && v <= sheet::kMaxColumns; }
bool isSheetCount(qint64 v) { return v >= 0 && v <= kMaxWorkbookSheets; }

QString outOfRange(const QString& where, const QString& key, const QString& value, qint64 taken)
{
    return QStringLiteral("%1 значение %2=%3 вне допустимых пределов, принято %4\r").arg(where, key, value).arg(taken);
}

class ListReader {
public:
    explicit ListReader(const IniDocument& file) : file_(file), held_(heldSections(file)) {}

    std::vector<PriceListIniList> read(qint64 count, QString& report)
    {
        const qint64 highest = held_.lists.empty() ? 0 : *held_.lists.rbegin();
        if (count > highest) {
            report += outOfRange(QStringLiteral("в разделе ") + kPriceListCountSection, QStringLiteral("Count"),
                                 QString::number(count), highest);
            count = highest;
        }
        std::vector<PriceListIniList> lists;
        qint64 next = 1;
        for (const qint64 n : held_.lists) {
            if (n > count)
                break;
            reportAbsent(next, n - 1, report);
            next = n + 1;
            const QString name = file_.value(priceListSection(n), QStringLiteral("Postavshik")).value_or(QString());
            if (name.isEmpty())
                report += QStringLiteral("Отсутствует название для поставщика ") + priceListSection(n) + u'\r';
            else
                lists.push_back(readList(n, name));
        }
        reportAbsent(next, count, report);
        report += keyReport_;
        return lists;
    }

private:
    // Lists without a section: a few named one by one, as for a section
    // without a name; a long run of them in one line.
    static void reportAbsent(qint64 first, qint64 last, QString& report)
    {
        constexpr qint64 kNamedOneByOne = 10;
        if (last - first + 1 > kNamedOneByOne) {
            report += QStringLiteral("Отсутствуют разделы поставщиков с %1 по %2\r")
                          .arg(priceListSection(first), priceListSection(last));
            return;
        }
        for (qint64 n = first; n <= last; ++n)
            report += QStringLiteral("Отсутствует название для поставщика ") + priceListSection(n) + u'\r';
    }

    // A whole number of the file: `fallback` when the key is missing or
    // empty, and, reported, when it is no whole number or out of bounds.
    qint64 number(const QString& section, const QString& where, const char* key, qint64 fallback,
                  bool (*valid)(qint64))
    {
        const QString text = file_.value(section, QLatin1String(key)).value_or(QString());
        if (text.isEmpty())
            return fallback;
        bool ok = false;
        const qint64 value = text.toLongLong(&ok);
        if (ok && valid(value))
            return value;
        keyReport_ += outOfRange(where, QLatin1String(key), text, fallback);
        return fallback;
    }

    PriceListIniList readList(qint64 n, const QString& name)
    {
        const QString section = priceListSection(n);
        const QString where = QStringLiteral("для поставщика ") + section;
        PriceListIniList list;
        list.name = name;
        const std::optional<QString> path = file_.value(section, QStringLiteral("Path"));
        list.path = path.value_or(QStringLiteral("-"));
        if (!path)
            keyReport_ += where + QStringLiteral(" не указан путь к файлу\r");

        const std::set<qint64>& sheets = held_.sheets[n];
        const QString stated = file_.value(section, QStringLiteral("SheetCount")).value_or(QString());
        bool counted = stated.isEmpty();
        const qint64 count = stated.isEmpty() ? 0 : stated.toLongLong(&counted);
        qint64 lastSheet = count; // the sheet sections read are those up to this one
        if (counted && isSheetCount(count)) {
            list.sheetCount = count;
            if (count == 0)
                keyReport_ += where + QStringLiteral(" не указано количество листов в файле\r");
        } else {
            // What the file holds stands for a count no workbook has.
            list.sheetCount = qint64(sheets.size());
            lastSheet = std::numeric_limits<qint64>::max();
            keyReport_ += outOfRange(where, QStringLiteral("SheetCount"), stated, list.sheetCount);
        }
        list.queued = file_.value(section, QStringLiteral("SetPriceLoad")).value_or(QString()) == u"1";
        const QString conversion = file_.value(section, QStringLiteral("PriceConversion")).value_or(QString());
        const std::optional<double> factor = ParseConversionFactor(conversion);
        list.priceConversion = factor.value_or(1.0);
        if (!factor)
            keyReport_ += outOfRange(where, QStringLiteral("PriceConversion"), conversion, 1);
        for (const qint64 k : sheets) {
            if (k > lastSheet)
                break;
            list.sheets.push_back(readSheet(priceListSheetSection(n, k)));
        }
        return list;
    }

    PriceListIniSheet readSheet(const QString& section)
    {
        const QString where = QStringLiteral("для листа ") + section;
        PriceListIniSheet sheet;
        sheet.sheetName = file_.value(section, QStringLiteral("SheetName")).value_or(QStringLiteral("-"));
        for (size_t i = 0; i < kPriceListColumnKeys.size(); ++i)
            sheet.columns[i] = number(section, where, kPriceListColumnKeys[i], 0, isColumnSpec);
        sheet.obrab = file_.value(section, QStringLiteral("Obrab")).value_or(QString());
        sheet.nacen = number(section, where, "Nacen", 0, isMarkup);
        sheet.valuta = number(section, where, "Valuta", 0, isCurrency);
        sheet.priceSet = number(section, where, "PriceSet", 0, isColumn);
        sheet.tovarPrefiks = file_.value(section, QStringLiteral("TovarPrefiks")).value_or(QString());
        return sheet;
    }

    const IniDocument& file_;
    HeldSections held_;
    QString keyReport_;
};

} // namespace

std::vector<PriceListIniList> ReadPriceListIniLists(const IniDocument& file, qint64 count, QString& report)
{
    return ListReader(file).read(count, report);
}

} // namespace velmora
