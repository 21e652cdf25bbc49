// Inserts supplier offers into AllTovarPostav of a fresh price database, as
// the loader does: one prepared insert, bound per row, one transaction.
// Prints rows per second, with the table's indexes and without them.
//
// usage: db_insert [rows] [folder]   (1000000 rows; a temporary folder)

#include "platform/db/connection.h"
#include "platform/db/day_numbers.h"
#include "storage/goods_search_index.h"
#include "storage/schema.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Offer {
    QString art, tovar, postavshik, garant, sklad, description, textNoName;
    double price, pricemax, priceOut;
};

// Names as suppliers write them: kind, maker, model, a detail or two.
std::vector<Offer> makeOffers(int count)
{
    const QStringList kinds = {"Монитор", "Ноутбук", "Клавиатура беспроводная", "Мышь оптическая", "Принтер лазерный",
                               "Жёсткий диск", "Твердотельный накопитель", "Видеокарта", "Материнская плата",
                               "Блок питания", "Корпус", "Кабель HDMI", "Маршрутизатор", "Веб-камера", "Наушники",
                               "Колонки", "Планшет", "Смартфон", "Картридж", "Источник бесперебойного питания"};
    const QStringList makers = {"Samsung", "LG", "ASUS", "Acer", "Lenovo", "HP", "Canon", "Logitech", "Kingston",
                                "Gigabyte", "MSI", "Seagate", "TP-Link", "Defender", "Sven", "Xiaomi", "Epson"};
    const QStringList details = {"чёрный", "белый", "серебристый", "24\"", "27\" IPS", "16 ГБ", "512 ГБ", "1 ТБ",
                                 "USB 3.0", "Wi-Fi", "в упаковке", "OEM", "ревизия 2", "для офиса", "игровой"};
    const QStringList suppliers = {"ООО «Альфа-Трейд»", "Бета Компьютерс", "ТехноСклад", "ИП Ёлкин", "Гамма-Опт",
                                   "O'Neil Distribution", "Дельта Плюс", "Омега Маркет", "Север-Комп", "ЮгСнаб"};
    const QStringList stock = {"есть", "мало", "много", "под заказ", "2-3 дня", "нет"};
    const QStringList warranty = {"12 мес.", "24 мес.", "36 мес.", "Китай", "Тайвань", "Корея"};

    QRandomGenerator random(20261210);
    std::vector<Offer> offers;
    offers.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const QString& maker = makers[random.bounded(int(makers.size()))];
        const QString model = QStringLiteral("%1%2-%3")
                                  .arg(QChar(u'A' + random.bounded(26)))
                                  .arg(QChar(u'A' + random.bounded(26)))
                                  .arg(random.bounded(100, 9999));
        Offer o;
        o.art = maker.left(2).toUpper() + model;
        o.tovar = QStringLiteral("%1 %2 %3 %4")
                      .arg(kinds[random.bounded(int(kinds.size()))], maker, model,
                           details[random.bounded(int(details.size()))]);
        o.postavshik = suppliers[random.bounded(int(suppliers.size()))];
        o.garant = warranty[random.bounded(int(warranty.size()))];
        o.sklad = stock[random.bounded(int(stock.size()))];
        o.description = i % 4 == 0 ? QStringLiteral("Подробное описание товара %1").arg(o.tovar) : QString();
        o.textNoName = maker;
        o.price = random.bounded(100000) / 100.0 + 1;
        o.pricemax = o.price * 1.1;
        o.priceOut = o.price * 1.25;
        offers.push_back(std::move(o));
    }
    return offers;
}

// Inserts every offer into AllTovarPostav of a fresh price database in one
// transaction and returns the seconds taken. Without indexes, the table
// keeps none of its own, to show what the indexes cost.
double insertOffers(const QString& file, const std::vector<Offer>& offers, bool withIndexes)
{
    QFile::remove(file);
    velmora::createPriceDatabase(file);
    velmora::db::Connection db(file);
    // The table and its own indexes only; the search index's cost is the
    // loader benchmark's.
    velmora::dropSupplierGoodsIndex(db);
    if (!withIndexes)
        db.exec(QStringLiteral("DROP INDEX AllTovarPostav_Art; DROP INDEX AllTovarPostav_Tovar;"
                               " DROP INDEX AllTovarPostav_Postav"));
    const qint64 today = velmora::db::dayNumber(QDate::currentDate());

    QElapsedTimer timer;
    timer.start();
    {
        velmora::db::Transaction transaction(db);
        velmora::db::Statement insert = db.prepare(QStringLiteral(
            "INSERT INTO AllTovarPostav (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates,"
            " Garant, Sklad, Description, TextNoName, PriceOut) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10,"
            " ?11, ?12, ?13)"));
        const QString falseText = QStringLiteral("False");
        for (const Offer& o : offers) {
            insert.bindText(1, o.art)
                .bindText(2, o.tovar)
                .bindDouble(3, o.price)
                .bindDouble(4, o.pricemax)
                .bindText(5, o.postavshik)
                .bindText(6, falseText)
                .bindText(7, falseText)
                .bindInt(8, today)
                .bindText(9, o.garant)
                .bindText(10, o.sklad)
                .bindText(11, o.description)
                .bindText(12, o.textNoName)
                .bindDouble(13, o.priceOut);
            insert.execute();
            insert.reset();
        }
        transaction.commit();
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    const qint64 stored = db.scalar(QStringLiteral("SELECT count(*) FROM AllTovarPostav")).toLongLong();
    if (stored != qint64(offers.size()))
        throw std::runtime_error("expected " + std::to_string(offers.size()) + " rows, found " + std::to_string(stored));
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QTemporaryDir temporary;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path();
    const QString file = QDir(folder).filePath(QStringLiteral("PRICE.vdb"));

    std::printf("generating %d offers...\n", rows);
    const std::vector<Offer> offers = makeOffers(rows);
    try {
        const double indexed = insertOffers(file, offers, true);
        std::printf("AllTovarPostav with its indexes (Art, Tovar, Postavshik): %d rows in %.2f s: %.0f rows/s\n", rows,
                    indexed, rows / indexed);
        const double bare = insertOffers(file, offers, false);
        std::printf("AllTovarPostav without indexes:                          %d rows in %.2f s: %.0f rows/s\n", rows,
                    bare, rows / bare);
        QFile::remove(file);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "db_insert: %s\n", e.what());
        return 1;
    }
    return 0;
}
