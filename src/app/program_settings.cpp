#include "program_settings.h"

#include "color_text.h"
#include "startup_settings.h"

#include "catalogue/group_settings/pricing_switches.h"
#include "storage/settings_store.h"

namespace velmora {
namespace {

const QString kText = QStringLiteral("TypeText");
const QString kInteger = QStringLiteral("TypeInteger");
const QString kBoolean = QStringLiteral("TypeBoolean");

QString booleanText(bool on)
{
    return on ? QStringLiteral("-1") : QStringLiteral("0");
}

} // namespace

ProgramSettings readProgramSettings(SettingsStore& s)
{
    ProgramSettings p;
    p.oldTovarDay = int(s.readInteger(QStringLiteral("OldTovarDay"), QStringLiteral("90")));
    p.oldTovarColor = colorFromText(s.readText(QStringLiteral("OldTovarColor"), QStringLiteral("$0000FF")), p.oldTovarColor);
    p.katMinPrice = s.readBoolean(catalogue::kKatMinPriceSetting, QStringLiteral("0"));
    p.katPost = s.readBoolean(catalogue::kKatPostSetting, QStringLiteral("0"));
    p.katNacen = s.readBoolean(catalogue::kKatNacenSetting, QStringLiteral("0"));
    p.nacenDop = s.readBoolean(catalogue::kNacenDopSetting, QStringLiteral("0"));
    p.saleSupplier = s.readText(QStringLiteral("Edit_Sale"), QString());
    p.sale = s.readBoolean(QStringLiteral("CheckBox_Sale"), QStringLiteral("0"));
    p.saleTovarColor =
        colorFromText(s.readText(QStringLiteral("SaleTovarColor"), QStringLiteral("$FF0000")), p.saleTovarColor);
    p.superPriceStyle = int(s.readInteger(QStringLiteral("SuperPrice"), QStringLiteral("0")));
    p.superPriceExcel = s.readBoolean(QStringLiteral("SuperPrice"), QStringLiteral("0"));
    p.superPriceText = s.readText(QStringLiteral("SuperPrice"), QString());
    p.actualPriceDays = int(s.readInteger(QStringLiteral("actual_price"), QStringLiteral("7")));
    p.roundingYes = s.readBoolean(QStringLiteral("RoundingYes"), QStringLiteral("0"));
    p.roundingDegree = int(s.readInteger(QStringLiteral("RoundingDegree"), QStringLiteral("2")));
    p.roundingPostav = s.readBoolean(QStringLiteral("RoundingPostav"), QStringLiteral("0"));
    p.roundingDegreePostav = int(s.readInteger(QStringLiteral("RoundingDegreePostav"), QStringLiteral("2")));
    return p;
}

void storeProgramSettings(db::Connection& orderDb, db::Connection& priceDb, const ProgramSettings& p,
                          const std::function<void()>& step)
{
    const QString oldColor = colorToText(p.oldTovarColor);
    const QString saleSupplier = p.saleSupplier.isEmpty() ? QStringLiteral(" ") : p.saleSupplier;
    struct Write {
        QString name;
        const QString& type;
        QString value;
    };
    const Write writes[kProgramSettingWrites] = {
        {QStringLiteral("OldTovarDay"), kInteger, QString::number(p.oldTovarDay)},
        {QStringLiteral("OldTovarColor"), kText, oldColor},
        {catalogue::kNacenDopSetting, kBoolean, booleanText(p.nacenDop)},
        {catalogue::kKatMinPriceSetting, kBoolean, booleanText(p.katMinPrice)},
        {catalogue::kKatPostSetting, kBoolean, booleanText(p.katPost)},
        {catalogue::kKatNacenSetting, kBoolean, booleanText(p.katNacen)},
        {QStringLiteral("Edit_Sale"), kText, saleSupplier},
        {QStringLiteral("CheckBox_Sale"), kBoolean, booleanText(p.sale)},
        {QStringLiteral("SaleTovarColor"), kText, colorToText(p.saleTovarColor)},
        {QStringLiteral("SuperPrice"), kInteger, QString::number(p.superPriceStyle)},
        {QStringLiteral("SuperPrice"), kBoolean, booleanText(p.superPriceExcel)},
        {QStringLiteral("SuperPrice"), kText, p.superPriceText},
        {QStringLiteral("actual_price"), kInteger, QString::number(p.actualPriceDays)},
        {QStringLiteral("RoundingYes"), kBoolean, booleanText(p.roundingYes)},
        {QStringLiteral("RoundingDegree"), kInteger, QString::number(p.roundingDegree)},
        {QStringLiteral("RoundingPostav"), kBoolean, booleanText(p.roundingPostav)},
        {QStringLiteral("RoundingDegreePostav"), kInteger, QString::number(p.roundingDegreePostav)},
    };

    // The settings are committed last, once the price database's part has
    // gone through, so that a failure on either side leaves both as they were.
    db::Transaction orderTransaction(orderDb);
    SettingsStore store(orderDb);
    for (const Write& write : writes) {
        store.write(write.name, write.type, write.value);
        if (step)
            step();
    }
    db::Transaction priceTransaction(priceDb);
    priceDb
        .prepare(QStringLiteral("UPDATE parametr SET Path = :path, FileName = :days, SheetName = :color WHERE Id = 4"))
        .bind(QStringLiteral(":path"), saleSupplier)
        .bind(QStringLiteral(":days"), QString::number(p.oldTovarDay))
        .bind(QStringLiteral(":color"), oldColor)
        .execute();
    markSaleGoods(priceDb, saleSupplier);
    priceTransaction.commit();
    orderTransaction.commit();
}

QString dayWord(int days)
{
    const int lastTwo = std::abs(days) % 100;
    if (lastTwo >= 11 && lastTwo <= 19)
        return QStringLiteral("дней");
    switch (lastTwo % 10) {
    case 1: return QStringLiteral("день");
    case 2:
    case 3:
    case 4: return QStringLiteral("дня");
    default: return QStringLiteral("дней");
    }
}

QList<SupplierDefault> readSupplierDefaults(db::Connection& priceDb)
{
    QList<SupplierDefault> rows;
    db::Statement select =
        priceDb.prepare(QStringLiteral("SELECT rowid, Postavshik, Obrab_Def FROM postavshik ORDER BY rowid"));
    while (select.step())
        rows.append({select.integer(0), select.text(1),
                     select.text(2).trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0});
    return rows;
}

void storeSupplierDefault(db::Connection& priceDb, qint64 rowId, bool on)
{
    priceDb.prepare(QStringLiteral("UPDATE postavshik SET Obrab_Def = ?1 WHERE rowid = ?2"))
        .bindText(1, on ? QStringLiteral("True") : QStringLiteral("False"))
        .bindInt(2, rowId)
        .execute();
}

} // namespace velmora
