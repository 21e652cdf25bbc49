#include "supplier_file_settings.h"

#include "storage/settings_store.h"
#include "storage/value_helpers.h"

namespace velmora::catalogue {

const QString kSettingsSavedText = QStringLiteral("Настройки сохранены в базе данных.");

namespace {

const QString kText = QStringLiteral("TypeText");
const QString kInteger = QStringLiteral("TypeInteger");
const QString kBoolean = QStringLiteral("TypeBoolean");
const QString kCurrency = QStringLiteral("TypeCurrency");

QString prefix(SupplierFileKind kind, const QString& supplier)
{
    return kind == SupplierFileKind::Invoice ? supplier + QStringLiteral("_Invoice") : supplier;
}

QString flag(bool on) { return on ? QStringLiteral("-1") : QStringLiteral("0"); }

} // namespace

QString SupplierFileSettings::sheetName() const
{
    return sheetItem >= 0 && sheetItem < sheetNames.size() ? sheetNames[sheetItem] : QString();
}

SupplierFileSettings readSupplierFileSettings(db::Connection& orderDb, SupplierFileKind kind, const QString& supplier)
{
    SettingsStore store(orderDb);
    const QString p = prefix(kind, supplier);
    SupplierFileSettings s;
    s.path = store.readText(p + QStringLiteral("_Edit_Path"));
    const qint64 sheets = store.readInteger(p + QStringLiteral("_ComboBox_SheetMaxItems"));
    for (qint64 i = 0; i < sheets; ++i)
        s.sheetNames << store.readText(p + QStringLiteral("_ComboBox_SheetItems") + QString::number(i));
    s.sheetItem = int(store.readInteger(p + QStringLiteral("_ComboBox_SheetItemIndex")));
    s.startRowItem = int(store.readInteger(p + QStringLiteral("_ComboBox_StartRowItem")));
    s.columnArt = int(store.readInteger(p + QStringLiteral("_ComboBox_Art")));
    s.columnTovar = int(store.readInteger(p + QStringLiteral("_ComboBox_Tovar")));
    s.columnPrice = int(store.readInteger(p + QStringLiteral("_ComboBox_PriceMax")));
    s.columnQuantity = int(store.readInteger(p + QStringLiteral("_ComboBox_Zakaz")));
    s.byArticle = store.readBoolean(p + QStringLiteral("_SelArtZakaz"), QStringLiteral("0"));
    s.byName = store.readBoolean(p + QStringLiteral("_SelTovarZakaz"), QStringLiteral("-1"));
    if (kind == SupplierFileKind::PriceUpdate)
        s.rate = store.readCurrency(p + QStringLiteral("_KursPostav"), QStringLiteral("1"));
    else
        s.numberCell = store.readText(p + QStringLiteral("_Edit_Number"));
    return s;
}

void writeSupplierFileSettings(db::Connection& orderDb, SupplierFileKind kind, const QString& supplier,
                               const SupplierFileSettings& s)
{
    db::Transaction tx(orderDb);
    SettingsStore store(orderDb);
    const QString p = prefix(kind, supplier);
    store.write(p + QStringLiteral("_PostavName"), kText, supplier);
    store.write(p + QStringLiteral("_Edit_Path"), kText, s.path);
    store.write(p + QStringLiteral("_ComboBox_SheetMaxItems"), kInteger, QString::number(s.sheetNames.size()));
    for (int i = 0; i < s.sheetNames.size(); ++i)
        store.write(p + QStringLiteral("_ComboBox_SheetItems") + QString::number(i), kText, s.sheetNames[i]);
    store.write(p + QStringLiteral("_ComboBox_SheetItemIndex"), kInteger, QString::number(s.sheetItem));
    store.write(p + QStringLiteral("_ComboBox_StartRowItem"), kInteger, QString::number(s.startRowItem));
    store.write(p + QStringLiteral("_ComboBox_Art"), kInteger, QString::number(s.columnArt));
    store.write(p + QStringLiteral("_ComboBox_Tovar"), kInteger, QString::number(s.columnTovar));
    store.write(p + QStringLiteral("_ComboBox_PriceMax"), kInteger, QString::number(s.columnPrice));
    store.write(p + QStringLiteral("_ComboBox_Zakaz"), kInteger, QString::number(s.columnQuantity));
    store.write(p + QStringLiteral("_SelArtZakaz"), kBoolean, flag(s.byArticle));
    store.write(p + QStringLiteral("_SelTovarZakaz"), kBoolean, flag(s.byName));
    if (kind == SupplierFileKind::PriceUpdate)
        store.write(p + QStringLiteral("_KursPostav"), kCurrency, rateText(s.rate));
    else
        store.write(p + QStringLiteral("_Edit_Number"), kText, s.numberCell);
    tx.commit();
}

QString preselectedSupplierSetting(SupplierFileKind kind)
{
    return kind == SupplierFileKind::Invoice ? QStringLiteral("PostavName_PostavInvoice")
                                             : QStringLiteral("PostavName_LoadPricePostav");
}

RateKey filterRateKey(const QString& text, QChar key)
{
    if (key == u'\b')
        return RateKey::Pass;
    const qsizetype comma = text.indexOf(u',');
    if (key.isDigit() && key.unicode() < 128)
        return comma >= 0 && text.size() - comma - 1 > 2 ? RateKey::Refuse : RateKey::Pass;
    if (key == u',' || key == u'.')
        return !text.isEmpty() && comma < 0 ? RateKey::AsComma : RateKey::Refuse;
    return RateKey::Refuse;
}

QString rateText(double rate) { return RoundedDecimalText(rate, 4, u','); }

} // namespace velmora::catalogue
