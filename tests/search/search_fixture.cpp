#include "search_fixture.h"

#include "storage/schema.h"

namespace velmora::search::test {

PriceDbFixture::PriceDbFixture()
{
    createPriceDatabase(path());
    db_ = std::make_unique<db::Connection>(path());
}

void PriceDbFixture::addSupplier(const Supplier& supplier)
{
    db::Statement s = db_->prepare(QStringLiteral(
        "INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Obrab, PostavVisible, Dates, PriceConversion, Valuta) "
        "VALUES (?, ?, '-', 0, '', ?, 45000, 1, 0)"));
    s.bind(1, nextSupplierId_++).bind(2, supplier.name).bind(3, supplier.visible);
    s.execute();
}

void PriceDbFixture::addOffer(const Offer& o)
{
    db::Statement s = db_->prepare(QStringLiteral(
        "INSERT INTO AllTovarPostav (Number, Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, "
        "Garant, Sklad, Description, TextNoName, PriceOut) VALUES (?, ?, ?, ?, ?, ?, 'false', 'false', 45000, ?, ?, ?, ?, ?)"));
    s.bind(1, o.number).bind(2, o.art).bind(3, o.tovar).bind(4, o.priceOut * 0.8).bind(5, o.priceOut * 1.2);
    s.bind(6, o.supplier).bind(7, o.garant).bind(8, o.sklad).bind(9, o.description).bind(10, o.textNoName);
    s.bind(11, o.priceOut);
    s.execute();
    db::Statement v = db_->prepare(QStringLiteral(
        "INSERT INTO AllTovarValuta (ID_Tovar, Price, Pricemax, Valuta, PriceConversion, Nacen, Dates) "
        "VALUES (?, ?, ?, ?, 1, 25, 45000.5)"));
    v.bind(1, o.number).bind(2, o.pricePostav).bind(3, o.pricePostav * 1.1).bind(4, o.valuta);
    v.execute();
}

void PriceDbFixture::setVisible(const QString& supplier, bool visible)
{
    db::Statement s = db_->prepare(QStringLiteral("UPDATE AllPostavSetup SET PostavVisible=? WHERE Postavshik=?"));
    s.bind(1, visible ? 1 : 0).bind(2, supplier);
    s.execute();
}

void PriceDbFixture::addStandardOffers()
{
    addSupplier({QStringLiteral("Альфа"), 1});
    addSupplier({QStringLiteral("Бета"), -1});
    addSupplier({QStringLiteral("O'Neil"), 1});
    addSupplier({QStringLiteral("Скрытый"), 0});
    const QString a = QStringLiteral("Альфа"), b = QStringLiteral("Бета"), o = QStringLiteral("O'Neil");
    addOffer({1, a, "ABC-123", "ABC x12y3", 10, {}, {}, {}, {}, 5});
    addOffer({2, a, "A3", "abc 3 12", 20, {}, {}, {}, {}, 9});
    addOffer({3, a, "M6-01", QStringLiteral("БОЛТ М6 стальной"), 30, QStringLiteral("Китай"), QStringLiteral("есть"),
              QStringLiteral("http://example.com/m6"), "Bosch", 7});
    addOffer({4, b, "bolt12", "Bolt nut steel", 40, "", "", "", "", 3});
    addOffer({5, b, "N-1", "nut M8", 50, {}, {}, {}, {}, 1});
    addOffer({6, o, "ON1", "O'Neil cable", 60, {}, {}, {}, {}, 2});
    addOffer({7, o, "ON2", "OxNeil adapter", 70, {}, {}, {}, {}, 8});
    addOffer({8, QStringLiteral("Скрытый"), "H1", QStringLiteral("болт скрытый"), 80});
    addOffer({9, b, "12bolt", QStringLiteral("Гайка Ёлочная"), 90, {}, {}, {}, {}, 4});
    addOffer({10, a, "Z9", "bolt steel", 15, {}, {}, {}, QStringLiteral("ёлка"), 6});
}

} // namespace velmora::search::test
