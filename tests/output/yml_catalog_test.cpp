#include "output/output_error.h"
#include "output/yml/yml_catalog.h"
#include "output_test_support.h"
#include "platform/files/cp1251.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::output::test;

namespace {

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 41));

// The catalogue of the golden file (tests/data/output/price.xml).
YmlCatalog goldenCatalog()
{
    YmlCatalog catalog;
    catalog.shop = {QStringLiteral("Рога & Копыта: лучший магазин"), QStringLiteral("ООО \"Рога\""),
                    QStringLiteral("http://shop.example/?a=1&b=2")};
    catalog.usd = {QStringLiteral("36,5"), 2};
    catalog.eur = {QStringLiteral("ЦБРФ"), 2};
    catalog.deliveryIncluded = true;
    catalog.categories = {{1, 0, QStringLiteral("Бытовая техника")},
                          {10, 1, QStringLiteral("Мелкая техника <для кухни>")}};
    YmlOffer kettle;
    kettle.id = 101;
    kettle.url = QStringLiteral("http://shop.example/item?id=101&ref=yml");
    kettle.price = 115.5;
    kettle.currencyId = YmlCurrencyId(0);
    kettle.categoryId = 10;
    kettle.picture = QStringLiteral("http://shop.example/img/101.jpg");
    kettle.name = QStringLiteral("Чайник \"Витязь\" 2л");
    YmlOffer tree;
    tree.id = 102;
    tree.url = QStringLiteral("http://shop.example/item?id=102");
    tree.price = 2.675;
    tree.currencyId = YmlCurrencyId(0);
    tree.categoryId = 1;
    tree.name = QStringLiteral("Ёлка 'Зимняя'");
    catalog.offers = {kettle, tree};
    return catalog;
}

// xmllint validates the file against the shops.dtd that stands beside it,
// the one the build put into the program folder.
ToolRun validate(const QString& file)
{
    const QString dtd = QFileInfo(file).dir().filePath(QString::fromLatin1(kYmlDtdFileName));
    QFile::remove(dtd);
    EXPECT_TRUE(QFile::copy(QStringLiteral(VELMORA_PROGRAM_DIR "/shops.dtd"), dtd));
    return runTool(QStringLiteral("xmllint"), {QStringLiteral("--valid"), QStringLiteral("--noout"), file});
}

QString offerText(const YmlOffer& offer)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteYmlOffer(buffer, offer);
    return decodeCp1251(buffer.data()).replace(u'\r', u'\n');
}

class YmlTest : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath("price.xml"); }
    QTemporaryDir dir_;
};

} // namespace

TEST_F(YmlTest, CatalogueMatchesTheGoldenFileByteForByte)
{
    ExportYmlCatalog(path(), goldenCatalog(), kNow);
    const QByteArray written = readBytes(path());
    EXPECT_EQ(written, readBytes(dataFile(QStringLiteral("price.xml"))));
    EXPECT_FALSE(written.contains('\n'));
    EXPECT_FALSE(written.endsWith('\r'));
    const ToolRun run = validate(path());
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
}

TEST_F(YmlTest, TextsAreEscapedAndNumbersWrittenWithAPoint)
{
    EXPECT_EQ(EscapeXmlText(QStringLiteral("A&B <x> \"q\" 'a'\x01\x1F\t\n\r")),
              QStringLiteral("A&amp;B &lt;x&gt; &quot;q&quot; &apos;a&apos;\t\n\r"));
    struct Price {
        double value;
        const char* text;
    };
    for (const Price& p : {Price{115.5, "115.5"}, Price{2.675, "2.68"}, Price{1.005, "1.01"}, Price{100, "100"},
                           Price{0.1 + 0.2, "0.3"}, Price{-0.001, "0"}, Price{1234567.891, "1234567.89"}})
        EXPECT_EQ(FormatYmlPrice(p.value), QString::fromLatin1(p.text)) << p.value;
    EXPECT_EQ(FormatYmlRate(QStringLiteral("36,5")), QStringLiteral("36.5"));
    EXPECT_EQ(FormatYmlRate(QStringLiteral("ЦБРФ")), QStringLiteral("CBRF"));

    // A bank's rate without a surcharge has no "plus".
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteYmlCurrencies(buffer, {QStringLiteral("ЦБРФ"), 0}, {QStringLiteral(" ЦБРФ "), 3});
    EXPECT_EQ(buffer.data(), QByteArray("<currencies>\r    <currency id=\"RUR\" rate=\"1\"/>\r"
                                        "    <currency id=\"USD\" rate=\"CBRF\"/>\r"
                                        "    <currency id=\"EUR\" rate=\"CBRF\" plus=\"3\"/>\r"
                                        "</currencies>\r\r"));
}

TEST_F(YmlTest, CharactersOutsideTheCodePageBecomeReferences)
{
    YmlCatalog catalog = goldenCatalog();
    catalog.offers[1].name = QStringLiteral("Кабель ∞ 😀 ё\x02");
    ExportYmlCatalog(path(), catalog, kNow);
    EXPECT_TRUE(readBytes(path()).contains("<name>\xCA\xE0\xE1\xE5\xEB\xFC &#8734; &#128512; \xB8</name>"));
    const ToolRun run = validate(path());
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const ToolRun name = runTool(QStringLiteral("xmllint"), {QStringLiteral("--xpath"),
                                                             QStringLiteral("string(//offer[@id='102']/name)"), path()});
    EXPECT_EQ(QString::fromUtf8(name.output).trimmed(), QStringLiteral("Кабель ∞ 😀 ё"));
}

TEST_F(YmlTest, OptionalOfferElementsKeepTheFormatsOrder)
{
    YmlOffer offer;
    offer.id = 7;
    offer.price = 10;
    offer.currencyId = YmlCurrencyId(1);
    offer.categoryId = 1;
    offer.name = QStringLiteral("не пишется");
    offer.delivery = 1;
    offer.orderingTime = QStringLiteral("1-2 дня");
    offer.typePrefix = QStringLiteral("Телефон");
    offer.vendor = QStringLiteral("Nokia");
    offer.vendorCode = QStringLiteral("N-3310");
    offer.model = QStringLiteral("3310");
    offer.provider = QStringLiteral("МТС");
    offer.tarifplan = QStringLiteral("Простой");
    EXPECT_EQ(offerText(offer), QStringLiteral("    <offer id=\"7\">\n"
                                               "      <url></url>\n"
                                               "      <price>10</price>\n"
                                               "      <currencyId>USD</currencyId>\n"
                                               "      <categoryId>1</categoryId>\n"
                                               "      <picture></picture>\n"
                                               "      <deliveryIncluded/>\n"
                                               "      <orderingTime>\n"
                                               "        <ordering>1-2 дня</ordering>\n"
                                               "      </orderingTime>\n"
                                               "      <typePrefix>Телефон</typePrefix>\n"
                                               "      <vendor>Nokia</vendor>\n"
                                               "      <vendorCode>N-3310</vendorCode>\n"
                                               "      <model>3310</model>\n"
                                               "      <provider>МТС</provider>\n"
                                               "      <tarifplan>Простой</tarifplan>\n"
                                               "      <description></description>\n"
                                               "    </offer>\n\n"));

    // Without a model the name stands, followed by the vendor code; a
    // tariff plan needs a provider.
    YmlOffer named = offer;
    named.model.clear();
    named.delivery = 0;
    named.orderingTime.clear();
    YmlOffer noProvider = offer;
    noProvider.provider.clear();
    EXPECT_TRUE(offerText(named).endsWith(QStringLiteral("      <picture></picture>\n"
                                                         "      <name>не пишется</name>\n"
                                                         "      <vendorCode>N-3310</vendorCode>\n"
                                                         "      <description></description>\n"
                                                         "    </offer>\n\n")))
        << offerText(named).toStdString();
    EXPECT_TRUE(offerText(noProvider).contains(QStringLiteral("<model>3310</model>\n      <description>")));

    // Every form is a valid document.
    YmlCatalog catalog = goldenCatalog();
    catalog.offers = {offer, named, noProvider};
    ExportYmlCatalog(path(), catalog, kNow);
    const ToolRun run = validate(path());
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
}

TEST_F(YmlTest, TheDocumentTypeRefusesWhatTheFormatForbids)
{
    const QByteArray golden = readBytes(dataFile(QStringLiteral("price.xml")));
    const QByteArray url = "      <url>http://shop.example/item?id=101&amp;ref=yml</url>\r";
    const QByteArray price = "      <price>115.5</price>\r";
    const QByteArray currency = "      <currencyId>RUR</currencyId>\r";
    ASSERT_TRUE(golden.contains(url + price + currency));
    const QByteArray broken[] = {
        QByteArray(golden).replace(url + price, price + url),
        QByteArray(golden).replace(price + currency, price),
    };
    for (const QByteArray& bytes : broken) {
        writeBytes(path(), bytes);
        EXPECT_NE(validate(path()).exitCode, 0);
    }
}

TEST_F(YmlTest, ACatalogueWithoutCategoriesOrOffersIsAnErrorNotAFile)
{
    writeBytes(path(), "previous catalogue");
    YmlCatalog noCategory = goldenCatalog();
    noCategory.categories.clear();
    YmlCatalog noOffer = goldenCatalog();
    noOffer.offers.clear();
    for (const YmlCatalog& catalog : {noCategory, noOffer})
        EXPECT_THROW(ExportYmlCatalog(path(), catalog, kNow), OutputError);
    EXPECT_EQ(readBytes(path()), QByteArray("previous catalogue"));
    EXPECT_THROW(ExportYmlCatalog(dir_.filePath("missing/price.xml"), goldenCatalog(), kNow), OutputError);
}
