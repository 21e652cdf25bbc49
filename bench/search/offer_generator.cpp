#include "offer_generator.h"

#include "suppliers/search/goods_index.h"

#include <cmath>
#include <optional>
#include <random>

namespace velmora::search::bench {
namespace {

const QStringList kTypes = {
    "Болт", "Гайка", "Шайба", "Винт", "Саморез", "Шуруп", "Дюбель", "Анкер", "Кабель", "Провод",
    "Розетка", "Выключатель", "Лампа", "Светильник", "Подшипник", "Ремень", "Фильтр", "Насос", "Дрель",
    "Перфоратор", "Шуруповерт", "Болгарка", "Пила", "Сверло", "Бита", "Ключ", "Отвертка", "Молоток", "Клей",
    "Герметик", "Краска", "Грунтовка", "Труба", "Фитинг", "Кран", "Смеситель", "Хомут", "Изолента", "Автомат",
    "Щиток", "Удлинитель", "Трансформатор", "Реле", "Датчик", "Термостат", "Радиатор", "Вентилятор",
    "Лента светодиодная", "Блок питания", "Аккумулятор", "Bearing", "Cable", "Switch", "Filter", "Drill bit",
};
const QStringList kAttributes = {
    "оцинкованный", "нержавеющий", "латунный", "стальной", "медный", "алюминиевый", "белый", "черный",
    "красный", "ударная", "аккумуляторная", "влагозащищенный", "усиленный", "DIN 933", "DIN 934", "ГОСТ 7798",
    "220В", "12В", "IP44", "IP65", "с потайной головкой", "шестигранный", "самоклеящаяся", "угловой",
    "прямой", "двойной", "наружный", "внутренний", "professional", "heavy duty", "компактный", "ВВГнг-LS",
    "ПВС", "NYM", "2RS", "ZZ", "с заземлением", "без заземления", "матовый", "глянцевый",
};
const QStringList kSizes = {
    "М6x20", "М8x30", "М10x40", "М12x50", "М5x16", "4,2x16", "3,5x25", "4,8x50", "6x40", "8x60", "3x1,5",
    "2x2,5", "3x2,5", "5x6", "6205", "6204", "6305", "6001", "10 м", "50 м", "100 м", "E27", "E14", "GU10",
    "1/2\"", "3/4\"", "16А", "25А", "32А", "100 Вт", "650 Вт", "800 Вт", "18V", "12V", "d10", "d20", "d32",
    "0,5 л", "1 л", "2,5 кг",
};
const QStringList kBrands = {
    "Bosch", "Makita", "DeWalt", "Metabo", "Hilti", "Fischer", "Sormat", "SKF", "FAG", "NSK", "Legrand",
    "Schneider", "ABB", "IEK", "Philips", "Osram", "Gauss", "Navigator", "Knauf", "Ceresit", "Tikkurila",
    "Valtec", "Rehau", "Grohe", "Hansgrohe", "Kraftool", "Stayer", "Зубр", "Интерскол", "Калибр", "Элитех",
    "Энкор", "Ресанта", "Era", "Feron", "Camelion", "Tesla", "Gardena", "Wurth", "Hitachi",
};
const QStringList kCountries = {"Китай", "Германия", "Россия", "Польша", "Италия", "Япония", "Турция", "Беларусь",
                                "Чехия", "Тайвань", ""};
const QStringList kStock = {"есть", "под заказ", "мало", "много", "2-3 дня", "нет", "10", "25", "100", ""};
const QStringList kSupplierStems = {
    "Крепеж", "Электромир", "ТехноТрейд", "Инструмент", "СтройДвор", "Метиз", "Энергия", "Свет", "Монтаж",
    "Профи", "Мастер", "Опт", "Снаб", "Деталь", "Сантех", "Импорт", "Комплект", "Север", "Юг", "Восток",
    "TechnoTrade", "BuildMarket", "ToolHouse", "ElectroPro", "O'Neil",
};

const QString& pickFrom(std::mt19937& rng, const QStringList& list)
{
    return list.at(std::uniform_int_distribution<int>(0, int(list.size()) - 1)(rng));
}

bool chanceOf(std::mt19937& rng, int percent) { return std::uniform_int_distribution<int>(0, 99)(rng) < percent; }

} // namespace

const QStringList& goodsTypes() { return kTypes; }
const QStringList& goodsAttributes() { return kAttributes; }
const QStringList& goodsSizes() { return kSizes; }
const QStringList& goodsBrands() { return kBrands; }

QStringList supplierNames(int suppliers)
{
    QStringList names;
    for (int i = 0; i < suppliers; ++i) {
        const QString stem = kSupplierStems.at(i % kSupplierStems.size());
        names << (i < kSupplierStems.size() ? QStringLiteral("ООО %1").arg(stem)
                                            : QStringLiteral("%1-%2").arg(stem).arg(i));
    }
    return names;
}

void fillRemainder(db::Connection& priceDb, int items, int suppliers)
{
    std::mt19937 rng(20240611);
    const QStringList names = supplierNames(suppliers);
    const QStringList stock = {"есть", "под заказ", "нет", "", "10"};
    db::Statement insert = priceDb.prepare(QStringLiteral(
        "INSERT INTO price_all (Number, Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, "
        "Garant, Sklad) VALUES (?1, ?2, ?3, ?4, ?4 * 1.2, ?5, 'false', 'true', 45000, '12', ?6)"));
    std::lognormal_distribution<double> price(5.0, 1.5);
    for (int n = 1; n <= items; ++n) {
        QString brand;
        const QString tovar = goodsName(rng, brand);
        insert.bindInt(1, n).bindText(2, brand.left(2).toUpper() + u'-' + QString::number(n)).bindText(3, tovar);
        insert.bindDouble(4, std::round(price(rng) * 100) / 100);
        insert.bindText(5, names.at(std::uniform_int_distribution<int>(0, suppliers - 1)(rng)));
        insert.bindText(6, stock.at(n % stock.size()));
        insert.execute();
        insert.reset();
    }
}

QString goodsName(std::mt19937& rng, QString& brand)
{
    brand = pickFrom(rng, kBrands);
    QString tovar = pickFrom(rng, kTypes) + u' ' + pickFrom(rng, kAttributes) + u' ' + pickFrom(rng, kSizes);
    if (chanceOf(rng, 50))
        tovar += u' ' + pickFrom(rng, kAttributes);
    if (chanceOf(rng, 60))
        tovar += u' ' + brand;
    return tovar;
}

QStringList generateOffers(db::Connection& priceDb, int offers, int suppliers, unsigned seed, bool bulkScope)
{
    std::mt19937 rng(seed);

    const QStringList names = supplierNames(suppliers);

    db::Transaction transaction(priceDb);
    std::optional<SupplierGoodsBulkInsert> bulk;
    if (bulkScope)
        bulk.emplace(priceDb);
    db::Statement supplier = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Obrab, PostavVisible, Dates, PriceConversion, "
        "Valuta) VALUES (?, ?, '-', 1, '', ?, 45000, 1, 0)"));
    for (int i = 0; i < suppliers; ++i) {
        supplier.bindInt(1, i + 1).bindText(2, names.at(i)).bindInt(3, i % 10 == 9 ? 0 : 1);  // a few hidden
        supplier.execute();
        supplier.reset();
    }

    db::Statement offer = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllTovarPostav (Number, Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, "
        "Garant, Sklad, Description, TextNoName, PriceOut) VALUES (?, ?, ?, ?, ?, ?, 'false', 'false', 45000, ?, ?, ?, ?, ?)"));
    db::Statement valuta = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllTovarValuta (ID_Tovar, Price, Pricemax, Valuta, PriceConversion, Nacen, Dates) "
        "VALUES (?, ?, ?, ?, 1, 20, 45000.5)"));
    const QStringList currencies = {"USD", "EUR", "RUB", "RUB", "RUB"};
    std::lognormal_distribution<double> priceDist(5.0, 1.5);
    for (int n = 1; n <= offers; ++n) {
        QString brand;
        const QString tovar = goodsName(rng, brand);
        const QString art = brand.left(2).toUpper() + u'-'
            + QString::number(std::uniform_int_distribution<int>(1000, 999999)(rng))
            + (chanceOf(rng, 30) ? QStringLiteral("-2RS") : QString());
        const double quoted = std::round(priceDist(rng) * 100) / 100;
        const double price = std::round(quoted * 1.1 * 100) / 100;
        offer.bindInt(1, n).bindText(2, art).bindText(3, tovar).bindDouble(4, price).bindDouble(5, price * 1.3);
        offer.bindText(6, names.at(std::uniform_int_distribution<int>(0, suppliers - 1)(rng)));
        offer.bindText(7, pickFrom(rng, kCountries)).bindText(8, pickFrom(rng, kStock));
        if (chanceOf(rng, 20))
            offer.bindText(9, QStringLiteral("Подробнее: www.example.com/item/") + QString::number(n));
        else
            offer.bindNull(9);
        offer.bindText(10, brand).bindDouble(11, std::round(price * 1.2 * 100) / 100);
        offer.execute();
        offer.reset();
        valuta.bindInt(1, n).bindDouble(2, quoted).bindDouble(3, quoted * 1.3).bindText(4, pickFrom(rng, currencies));
        valuta.execute();
        valuta.reset();
    }
    if (bulk)
        bulk->finish();
    transaction.commit();
    // The loaded offers are indexed for the search after the commit.
    if (bulk) {
        catchUpSupplierGoodsIndex(priceDb);
        completeOfferIndexes(priceDb);
    }
    return names;
}

} // namespace velmora::search::bench
