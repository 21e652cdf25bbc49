#include "managers_dbf.h"

#include "tdbf.h"

#include "output/empty_catalogue.h"
#include "output/output_error.h"
#include "output/parameters/export_parameters.h"

#include "platform/db/day_numbers.h"
#include "storage/value_helpers.h"

#include <QDir>

#include <iterator>

namespace velmora::output {
namespace {

struct FieldDef {
    const char* name;
    DbfFieldKind kind;
    int decimals;
    int size;
};

const FieldDef kFields[] = {
    {"INO", DbfFieldKind::Numeric, 0, 10},     {"ITEM", DbfFieldKind::Character, 0, 100},
    {"GRCODE", DbfFieldKind::Numeric, 0, 10},  {"NAME", DbfFieldKind::Character, 0, 200},
    {"CATAL", DbfFieldKind::Float, 2, 16},     {"KPR", DbfFieldKind::Float, 2, 10},
    {"PRICE", DbfFieldKind::Float, 2, 16},     {"GARAN", DbfFieldKind::Character, 0, 50},
    {"UPDATE", DbfFieldKind::Date, 0, 8},      {"VENDOR", DbfFieldKind::Character, 0, 50},
    {"OPT", DbfFieldKind::Float, 2, 16},
};

// A number as the field takes it: "." and as many decimals as it has.
QString numberText(double value) { return QString::number(value, 'g', 17); }

const char* const kGoods =
    "FROM price_main JOIN Price_Tovar_Info ON price_main.Code = Price_Tovar_Info.Code "
    "WHERE price_main.Price_1 > ?1";

} // namespace

qint64 WriteManagersDbf(db::Connection& priceDb, const QString& programFolder, const QDate& today, Progress* progress)
{
    constexpr int kPriceNull = -1;
    const qint64 count =
        priceDb.scalar(QStringLiteral("SELECT count(*) ") + QLatin1String(kGoods), {kPriceNull}).toLongLong();
    if (count == 0) {
        const QString notMade = QStringLiteral("база \"DBF_for_manager\" не создана");
        const bool groups = priceDb.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM Tovar_tree)")).toBool();
        throw OutputError(groups ? noGoodsMessage(notMade) : noGroupsMessage(notMade));
    }
    const double m4 = readExportParameters(priceDb).priceColumnMarkup(4);

    TDBF dbf([today] { return today; });
    dbf.SetTableName(QDir(programFolder).filePath(QLatin1String(kManagersDbfFileName)));
    dbf.SetExclusive(true);
    for (const FieldDef& f : kFields)
        dbf.AddFieldDefs(QLatin1String(f.name), f.kind, f.decimals, f.size);
    dbf.CreateTable();
    dbf.SetCodePage(0);
    startProgress(progress, kManagersDbfProgressText, int(count));

    db::Statement select = priceDb.prepare(
        QStringLiteral("SELECT price_main.Code, price_main.Art, price_main.Kategor, price_main.Tovar, "
                       "price_main.PriceBase, price_main.Nacen, price_main.Price_1, price_main.Garant, "
                       "price_main.Dates ")
        + QLatin1String(kGoods)
        + QStringLiteral(" ORDER BY price_main.Kategor, price_main.Tovar COLLATE ALPHABET"));
    select.bindInt(1, kPriceNull);
    qint64 records = 0;
    while (select.step()) {
        const double priceBase = select.number(4);
        const double price1 = select.number(6);
        const double wholesale = price1 + select.number(5) * price1 / 100.0;
        const double price = (1 + m4 / 100.0) * wholesale;
        const qint64 day = select.isNull(8) ? 0 : select.integer(8);
        const QString values[] = {
            QString::number(select.integer(0)),
            select.text(1).left(100),
            select.text(2),
            select.text(3).left(200),
            numberText(priceBase),
            priceBase > 0 ? numberText(RoundValue(2, price / priceBase)) : QString(),
            numberText(RoundValue(2, price)),
            select.text(7).left(50),
            day > 0 ? QString::number(day) : QString(),
            QString(),
            numberText(RoundValue(2, wholesale)),
        };
        dbf.Append();
        for (int field = 1; field <= int(std::size(values)); ++field)
            dbf.SetFieldData(field, values[field - 1]);
        ++records;
        stepProgress(progress);
    }
    dbf.Close();
    stampParameterDate(priceDb, 2, today);
    return records;
}

} // namespace velmora::output
