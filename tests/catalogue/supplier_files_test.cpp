// Suppliers' workbooks brought in through the correspondences: the price
// update of the combined price, the invoice and its workbook (read back by
// openpyxl), and the settings the two windows keep per supplier.
#include "catalogue_test_support.h"
#include "sheet_fixtures.h"
#include "../common/peak_memory.h"
#include "../spreadsheet/sheet_test_support.h"

#include "catalogue/supplier_files/invoice.h"
#include "catalogue/supplier_files/price_update.h"
#include "catalogue/supplier_files/supplier_file_settings.h"
#include "storage/schema.h"

#include <QJsonArray>
#include <QProcess>

using namespace velmora;
using namespace velmora::catalogue;
using velmora::testing::CatalogueTest;
using velmora::testing::SheetRows;

namespace {

constexpr qint64 kToday = 46000;
const QString kSupplier = QStringLiteral("Альфа");

class SupplierFilesTest : public CatalogueTest {
protected:
    void putCorrespondence(qint64 code, const QString& art, const QString& tovar, const QString& supplier = kSupplier)
    {
        exec(QStringLiteral("INSERT INTO sootv (Code, Art, Tovar, Postavshik) VALUES (?1, ?2, ?3, ?4)"),
             {code, art, tovar, supplier});
    }
    // An .xls of one sheet (after a first sheet "Лист1" when `second`).
    SupplierFileSettings workbook(const SheetRows& rows, bool second = false)
    {
        const QString path = dir.filePath(QStringLiteral("supplier.xls"));
        std::vector<std::pair<QString, SheetRows>> sheets;
        if (second)
            sheets.emplace_back(QStringLiteral("Лист1"), SheetRows{{"другой", "лист", 1, 1}});
        sheets.emplace_back(QStringLiteral("Прайс"), rows);
        velmora::testing::writeXls(path, sheets);
        SupplierFileSettings s;
        s.path = path;
        s.sheetNames = second ? QStringList{QStringLiteral("Лист1"), QStringLiteral("Прайс")}
                              : QStringList{QStringLiteral("Прайс")};
        s.sheetItem = second ? 1 : 0;
        s.columnArt = 1;
        s.columnTovar = 2;
        s.columnPrice = 3;
        s.columnQuantity = 4;
        return s;
    }
    QStringList svodRows()
    {
        return rows(QStringLiteral("SELECT Code_sootv, Art, Tovar, Price, Pricemax, Obrab, Dates, Garant, Sklad FROM svod"
                                   " ORDER BY Code_sootv"));
    }
};

TEST_F(SupplierFilesTest, APriceUpdateWritesTheCombinedPriceOfEachGoodFound)
{
    putCorrespondence(1, QStringLiteral("A1"), QStringLiteral("Мышь"));
    putCorrespondence(2, QStringLiteral("A2"), QStringLiteral("Клава"));
    exec(QStringLiteral("INSERT INTO svod (Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, Garant,"
                        " Sklad) VALUES ('A1', 'Мышь', 1, 1, ?1, 1, 'False', 40000, '1 год', '')"),
             {kSupplier});
    SupplierFileSettings s = workbook({{"A1", "Мышь", 100, 3},
                                       {"A2", "Клава", 50},
                                       {"A9", "x", 20, "2,5"},
                                       {"A1", "Мышь", "нет"}},
                                      true);
    s.byArticle = true;
    EXPECT_TRUE(supplierFileProblem(kSupplier, s).isEmpty());
    const SupplierFileRead read = readSupplierFile(s);
    ASSERT_EQ(read.rows.size(), 3u) << "the sheet by its stored name, the row without a price left out";
    EXPECT_DOUBLE_EQ(read.rows[2].quantity, 2.5);
    const PriceUpdateResult result = updateSupplierPrices(priceDb, kSupplier, read.rows, s.byArticle, kToday);
    EXPECT_EQ(priceUpdateMessage(result), QStringLiteral("Обновлены цены по 1 товарам из  3"));
    EXPECT_EQ(svodRows(), (QStringList{"1|A1|Мышь|100|100|False|46000|1 год|3", "2|A2|Клава|50|50|True|46000||0"}));
    EXPECT_EQ(priceUpdateMessage(PriceUpdateResult{2, 2}), QStringLiteral("Обновлены цены по 2 товарам."));
}

TEST_F(SupplierFilesTest, ByArticleAnEmptyArticleIsMatchedByNameAndAnUnknownArticleIsNot)
{
    putCorrespondence(1, QStringLiteral("A1"), QStringLiteral("Мышь"));
    putCorrespondence(2, QStringLiteral("A2"), QStringLiteral("Клава"));
    putCorrespondence(3, QStringLiteral("B1"), QStringLiteral("Мышь"), QStringLiteral("Бета"));
    // The empty article after "A1" reads empty, never as the row above.
    SupplierFileSettings s = workbook({{"A1", "Мышь", 10}, {QVariant(), "Клава", 20}, {"A7", "Мышь", 30}});
    s.byArticle = true;
    const PriceUpdateResult result =
        updateSupplierPrices(priceDb, kSupplier, readSupplierFile(s).rows, s.byArticle, kToday);
    EXPECT_EQ(result.offered, 3);
    EXPECT_EQ(rows(QStringLiteral("SELECT Code_sootv, Price FROM svod ORDER BY Code_sootv")),
              (QStringList{"1|10", "2|20"}));
    // By name the same rows find the goods of their names.
    exec(QStringLiteral("DELETE FROM svod"));
    updateSupplierPrices(priceDb, kSupplier, readSupplierFile(s).rows, false, kToday);
    EXPECT_EQ(rows(QStringLiteral("SELECT Code_sootv, Price FROM svod ORDER BY Code_sootv")),
              (QStringList{"1|30", "2|20"})) << "the last row of a name wins";
}

TEST_F(SupplierFilesTest, AWorkbookThatCannotBeReadSaysWhy)
{
    SupplierFileSettings s = workbook({{"A1", "Мышь", 10}});
    EXPECT_EQ(supplierFileProblem(QString(), s), QStringLiteral("Не выбрано Название поставщика"));
    SupplierFileSettings missing = s;
    missing.path = dir.filePath(QStringLiteral("нет.xls"));
    EXPECT_EQ(supplierFileProblem(kSupplier, missing), QStringLiteral("Указанный файл не существует!"));
    SupplierFileSettings none = s;
    none.columnArt = none.columnTovar = none.columnPrice = none.columnQuantity = 0;
    EXPECT_EQ(supplierFileProblem(kSupplier, none), QStringLiteral("Не выбраны столбцы для загрузки"));
}

TEST(SupplierFileSettingsTest, TheRateFieldTakesDigitsAndOneCommaWithUpToThreeDecimals)
{
    struct Case {
        const char* text;
        QChar key;
        RateKey result;
    };
    const Case cases[] = {
        {"1,23", u'4', RateKey::Pass},   {"1,234", u'5', RateKey::Refuse}, {"12", u'.', RateKey::AsComma},
        {"12", u',', RateKey::AsComma},  {"1,2", u',', RateKey::Refuse},   {"", u',', RateKey::Refuse},
        {"12", u'x', RateKey::Refuse},   {"1,234", u'\b', RateKey::Pass},  {"", u'7', RateKey::Pass},
        {"12", u' ', RateKey::Refuse},
    };
    for (const Case& c : cases)
        EXPECT_EQ(filterRateKey(QString::fromUtf8(c.text), c.key), c.result) << c.text << " + " << int(c.key.unicode());
    EXPECT_EQ(rateText(1), QStringLiteral("1"));
    EXPECT_EQ(rateText(27.125), QStringLiteral("27,125"));
}

TEST(SupplierFileSettingsTest, SettingsRoundTripPerSupplierAndKindWithTheirDefaults)
{
    QTemporaryDir dir;
    createOrderDatabase(dir.filePath(QStringLiteral("BaseZakaz.vdb")));
    db::Connection orderDb(dir.filePath(QStringLiteral("BaseZakaz.vdb")));
    const SupplierFileSettings defaults = readSupplierFileSettings(orderDb, SupplierFileKind::PriceUpdate, kSupplier);
    EXPECT_EQ(defaults, SupplierFileSettings());
    EXPECT_TRUE(defaults.byName);

    SupplierFileSettings s;
    s.path = QStringLiteral("/прайсы/альфа.xls");
    s.sheetNames = {QStringLiteral("Лист1"), QStringLiteral("Цены")};
    s.sheetItem = 1;
    s.startRowItem = 4;
    s.columnArt = 1;
    s.columnTovar = 2;
    s.columnPrice = 5;
    s.columnQuantity = 26;
    s.byArticle = true;
    s.byName = false;
    s.rate = 27.125;
    writeSupplierFileSettings(orderDb, SupplierFileKind::PriceUpdate, kSupplier, s);
    EXPECT_EQ(readSupplierFileSettings(orderDb, SupplierFileKind::PriceUpdate, kSupplier), s);
    EXPECT_EQ(s.sheetName(), QStringLiteral("Цены"));
    EXPECT_EQ(orderDb.scalar(QStringLiteral("SELECT TypeText FROM settings WHERE ParName = ?1"),
                             {kSupplier + QStringLiteral("_PostavName")}).toString(),
              kSupplier);

    SupplierFileSettings invoice = s;
    invoice.rate = 1;
    invoice.numberCell = QStringLiteral("AZ7");
    invoice.sheetNames = {QStringLiteral("Накладная")};
    invoice.sheetItem = 0;
    writeSupplierFileSettings(orderDb, SupplierFileKind::Invoice, kSupplier, invoice);
    EXPECT_EQ(readSupplierFileSettings(orderDb, SupplierFileKind::Invoice, kSupplier), invoice);
    EXPECT_EQ(readSupplierFileSettings(orderDb, SupplierFileKind::PriceUpdate, kSupplier), s) << "kept apart";
    EXPECT_EQ(orderDb.scalar(QStringLiteral("SELECT TypeText FROM settings WHERE ParName = ?1"),
                             {kSupplier + QStringLiteral("_Invoice_Edit_Number")}).toString(),
              QStringLiteral("AZ7"));
}

TEST_F(SupplierFilesTest, AnInvoiceListsItsRecognisedLinesFirstEachInInvoiceOrder)
{
    putGood(1, 1, QStringLiteral("Мышь наша"), QStringLiteral("M-1"));
    putGood(2, 1, QStringLiteral("Клава наша"), QStringLiteral("K-2"));
    putCorrespondence(1, QStringLiteral("A1"), QStringLiteral("Мышь"));
    putCorrespondence(2, QStringLiteral("A2"), QStringLiteral("Клава"));
    putCorrespondence(0, QStringLiteral("Z0"), QStringLiteral("Ноль"));
    putCorrespondence(9, QStringLiteral("G9"), QStringLiteral("Пропавший"));
    SupplierFileSettings s = workbook({{"Накладная", "№", "", "", "", "17-Б"},
                                       {"Арт", "Товар", "Цена", "Кол"},
                                       {"U1", "Коврик", 5, 2},
                                       {"A1", "Мышь", 100, 1.5},
                                       {"Z0", "Ноль", 7, 1},
                                       {QVariant(), "Клава", 50, 0},
                                       {"G9", "Пропавший", 3, 1},
                                       {"A2", "Клава", 0, 4},
                                       {"A2", "Клава", "звоните", 4}});
    s.startRowItem = 2;
    s.byArticle = true;
    s.numberCell = QStringLiteral("F1");
    const Invoice invoice = recogniseInvoice(priceDb, kSupplier, readSupplierFile(s), s.byArticle);
    EXPECT_EQ(invoice.number, QStringLiteral("17-Б"));
    EXPECT_EQ(invoice.recognised, 2);
    QStringList lines;
    for (const InvoiceLine& l : invoice.lines)
        lines << QStringLiteral("%1|%2|%3|%4|%5").arg(l.ownArt, l.supplierArt, l.name).arg(l.price).arg(l.quantity);
    EXPECT_EQ(lines, (QStringList{"M-1|A1|Мышь наша|100|1.5", "K-2||Клава наша|50|0", "**********|U1|Коврик|5|2",
                                  "**********|Z0|Ноль|7|1", "**********|G9|Пропавший|3|1"}));
}

TEST_F(SupplierFilesTest, TheInvoiceWorkbookReadsBackWithItsCellsFormulasAndFormats)
{
    Invoice invoice;
    invoice.number = QStringLiteral("17-Б");
    invoice.lines = {InvoiceLine{"M-1", "A1", "Мышь наша", 100, 1.5, true},
                     InvoiceLine{"K-2", "A2", "Клава наша", 50, 0, true},
                     InvoiceLine{kUnrecognisedArt, "U1", "Коврик", 5, 2, false}};
    const QString program = dir.filePath(QStringLiteral("program"));
    QDir().mkpath(program);
    QFile::copy(QStringLiteral(VELMORA_PROGRAM_DIR "/invoice.xlsx"), program + QStringLiteral("/invoice.xlsx"));
    const QString supplier = QStringLiteral("ООО \"Альфа/Бета\"");
    const QDate day(2026, 3, 5);
    const QString path = exportInvoice(invoice, supplier, program, day);
    EXPECT_EQ(path, program + QStringLiteral("/Накладные/ООО _Альфа_Бета_ 05.03.2026.xlsx"));
    EXPECT_EQ(exportInvoice(invoice, supplier, program, day),
              program + QStringLiteral("/Накладные/ООО _Альфа_Бета_ 05.03.2026_2.xlsx"));

    const QJsonObject book = sheet::test::readWithOpenpyxl(path);
    const QJsonObject ws = book[QStringLiteral("sheets")].toArray()[0].toObject();
    EXPECT_EQ(ws[QStringLiteral("name")].toString(), QStringLiteral("Накладные от 05.03.2026"));
    const QJsonObject cells = ws[QStringLiteral("cells")].toObject();
    auto cell = [&](const char* a) { return cells[QLatin1String(a)].toObject(); };
    EXPECT_EQ(cell("C3")[QStringLiteral("value")].toString(), supplier);
    EXPECT_EQ(cell("G3")[QStringLiteral("value")].toString(), QStringLiteral("17-Б"));
    const char* row6[] = {"A6", "B6", "C6", "D6", "E6", "F6"};
    const QVariant values6[] = {1, QStringLiteral("M-1"), QStringLiteral("A1"), QStringLiteral("Мышь наша"), 100, 1.5};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(cell(row6[i])[QStringLiteral("value")].toVariant().toString(), values6[i].toString()) << row6[i];
    EXPECT_EQ(cell("G6")[QStringLiteral("formula")].toString(), QStringLiteral("=E6*F6"));
    EXPECT_EQ(cell("G8")[QStringLiteral("formula")].toString(), QStringLiteral("=E8*F8"));
    EXPECT_EQ(cell("B8")[QStringLiteral("value")].toString(), kUnrecognisedArt);
    EXPECT_EQ(cell("F10")[QStringLiteral("value")].toString(), QStringLiteral("Итого:"));
    EXPECT_EQ(cell("G10")[QStringLiteral("formula")].toString(), QStringLiteral("=SUM(G6:G8)"));
    EXPECT_TRUE(cell("G10")[QStringLiteral("font")].toObject()[QStringLiteral("bold")].toBool());
    for (const char* a : {"A6", "D7", "G8"}) {
        EXPECT_EQ(cell(a)[QStringLiteral("fill")].toString(), QStringLiteral("FFFFCC")) << a;
        EXPECT_EQ(cell(a)[QStringLiteral("font")].toObject()[QStringLiteral("size")].toDouble(), 8) << a;
        EXPECT_EQ(cell(a)[QStringLiteral("border")].toObject()[QStringLiteral("left")].toString(), "thin") << a;
    }
    EXPECT_TRUE(cell("F7")[QStringLiteral("font")].toObject()[QStringLiteral("bold")].toBool()) << "0 × 50";
    EXPECT_FALSE(cell("F6")[QStringLiteral("font")].toObject()[QStringLiteral("bold")].toBool());
    EXPECT_EQ(cell("E6")[QStringLiteral("numberFormat")].toString(), QStringLiteral("0.00"));
    EXPECT_EQ(cell("G7")[QStringLiteral("numberFormat")].toString(), QStringLiteral("0.00"));
    EXPECT_EQ(cell("F6")[QStringLiteral("hAlign")].toString(), QStringLiteral("center"));
    EXPECT_EQ(cell("D6")[QStringLiteral("hAlign")].toString(), QString()) << "names stay left";
}

// The invoice number's cell is read on its own and the rows only as wide
// as the chosen columns: a number cell in the sheet's last column, over a
// workbook whose one stray cell sits there too, costs no more than the rows
// themselves (it once made rows of 16,384 cells: 590 MB for these 3,000
// rows, 7.9 GB for 40,000).
TEST_F(SupplierFilesTest, AFarNumberCellWidensNoRow)
{
    const QString path = dir.filePath(QStringLiteral("stray.xlsx"));
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QStringLiteral("import openpyxl, sys\n"
                                                       "book = openpyxl.Workbook()\n"
                                                       "sheet = book.active\n"
                                                       "sheet.title = 'Прайс'\n"
                                                       "sheet.append(['A1', 'Мышь', 100, 2])\n"
                                                       "sheet.append(['A2', 'Клава', 50, 1])\n"
                                                       "sheet.cell(row=3000, column=16384, value='№ 42')\n"
                                                       "book.save(sys.argv[1])\n"),
                  path});
    ASSERT_TRUE(python.waitForFinished(60000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    SupplierFileSettings s;
    s.path = path;
    s.sheetNames = {QStringLiteral("Прайс")};
    s.columnArt = 1;
    s.columnTovar = 2;
    s.columnPrice = 3;
    s.columnQuantity = 4;
    for (const auto& [cell, number] : {std::pair{"XFD1048576", ""}, std::pair{"XFD3000", "№ 42"}}) {
        SCOPED_TRACE(cell);
        s.numberCell = QString::fromLatin1(cell);
        velmora::testing::resetPeakMemory();
        const double before = velmora::testing::peakMegabytes();
        const SupplierFileRead read = readSupplierFile(s);
        EXPECT_LT(velmora::testing::peakMegabytes() - before, 200);
        EXPECT_EQ(read.number, QString::fromUtf8(number));
        ASSERT_EQ(read.rows.size(), 2u);
        EXPECT_EQ(read.rows[1].tovar, QStringLiteral("Клава"));
    }
}

} // namespace
