// The order workbooks, each read back with openpyxl: cells, formulas,
// formats, names; and the bad input that writes nothing.
#include "order_test_support.h"

#include "orders/order_exports.h"
#include "platform/files/file_helpers.h"

#include <QDirIterator>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace velmora::orders {
namespace {

using test::BoldCells;
using test::Cell;
using test::OrderFolder;
using test::ReadCells;
using test::RunPython;

const QString kDate = QStringLiteral("10.12.2024");

QString fileName(const QString& path) { return QFileInfo(path).fileName(); }

// Every file under the folder, relative to it, sorted.
QStringList filesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

void addContacts(db::Connection& priceDb, const QString& supplier)
{
    db::Statement insert = priceDb.prepare(QStringLiteral(
        "INSERT INTO postav_info (Postavshik, Name_full, Address, Person, Phones, Mail)"
        " VALUES (?1, 'ООО ' || ?1, 'Адрес', 'Смирнов', '+7 495', 'a@b.ru')"));
    insert.bindText(1, supplier);
    insert.execute();
}

TEST(OrderFileNames, ReplacementsAndSuffixes)
{
    struct Case {
        QString name;
        bool keepBlanks;
        QString stem;
    };
    const std::vector<Case> cases = {
        {"10.12.2024 ООО \"Рога/Копыта\"", false, "10.12.2024_ООО__Рога_Копыта_"},
        {"  a\\b*c:d?e<f>g|h  ", false, "a_b_c_d_e_f_g_h"},
        {"Заявка поставщику _00007_ Альфа/Бета", true, "Заявка поставщику _00007_ Альфа_Бета"},
        {"x\ty", true, "x_y"},
    };
    OrderFolder folder;
    for (const Case& c : cases)
        EXPECT_EQ(fileName(OrderOutputPath(folder.program, c.name, c.keepBlanks)), c.stem + QStringLiteral(".xlsx"))
            << c.name.toStdString();

    QString suffix;
    const QString first = OrderOutputPath(folder.program, QStringLiteral("Имя"), false, &suffix);
    EXPECT_EQ(suffix, QString());
    QFile(first).open(QIODevice::WriteOnly);
    const QString second = OrderOutputPath(folder.program, QStringLiteral("Имя"), false, &suffix);
    EXPECT_EQ(fileName(second), QStringLiteral("Имя_2.xlsx"));
    EXPECT_EQ(suffix, QStringLiteral("_2"));
    QFile(second).open(QIODevice::WriteOnly);
    EXPECT_EQ(fileName(OrderOutputPath(folder.program, QStringLiteral("Имя"), false, &suffix)), QStringLiteral("Имя_3.xlsx"));
}

TEST(SupplierRequests, OneWorkbookPerSupplierOfTheOrderWithItsLines)
{
    OrderFolder folder;
    folder.addLine(5, QStringLiteral("A"), 10, 2, QStringLiteral("Монитор"));
    folder.addLine(5, QStringLiteral("A"), 0, 3, QStringLiteral("Кабель"));
    folder.addLine(5, QStringLiteral("Бета"), 7, 1, QStringLiteral("Мышь"));
    folder.addLine(5, QString(), 1, 1, QStringLiteral("Без поставщика"));
    folder.addLine(6, QStringLiteral("A"), 99, 9, QStringLiteral("Чужой заказ"));
    OrderExportInput input = folder.input(QStringLiteral("5"));
    input.client = {QStringLiteral("Иванов"), QStringLiteral("111-22"), QStringLiteral("Москва"), QStringLiteral("звонить")};
    input.titles.art = QStringLiteral("Код");
    input.displayCode = QStringLiteral("USD");

    const QStringList paths = ExportZakazPostav(input);
    QStringList names;
    for (const QString& path : paths)
        names << fileName(path);
    EXPECT_EQ(names, (QStringList{"10.12.2024_A.xlsx", "10.12.2024_Бета.xlsx"}));
    EXPECT_EQ(filesUnder(folder.program + QStringLiteral("Заказы")), names);

    const QStringList cells = ReadCells(paths[0]);
    const std::vector<std::pair<QString, QString>> expected = {
        {"C8", "Иванов"}, {"G8", "5"}, {"C9", "Москва"}, {"C10", "111-22"}, {"C11", "звонить"},
        {"A13", "№"}, {"B13", "Код"}, {"C13", "Производит."}, {"D13", "Товар"}, {"E13", "Поставщик"},
        {"F13", "Цена (USD)"}, {"G13", "Кол-во"}, {"H13", "Сумма"}, {"I13", "Склад"}, {"J13", "Страна"},
        {"K13", "Описание"},
        {"A14", "1"}, {"B14", "A-5"}, {"C14", "Завод"}, {"D14", "Монитор"}, {"E14", "A"}, {"F14", "10"},
        {"G14", "2"}, {"H14", "=F14*G14"}, {"I14", "есть"}, {"J14", "Китай"}, {"K14", "Описание"},
        {"A15", "2"}, {"D15", "Кабель"}, {"F15", "0"}, {"G15", "3"}, {"H15", "=F15*G15"},
        {"A16", "<none>"}, {"H16", "<none>"},
        {"G17", "Итого:"}, {"H17", "=SUBTOTAL(9,H14:H15)"},
        {"A18", "<none>"},
        {"sheet", "Заказ 5 от 10.12.2024"}, {"active", "A4"},
    };
    for (const auto& [address, value] : expected)
        EXPECT_EQ(Cell(cells, address), value) << address.toStdString();
    const QStringList bold = BoldCells(cells);
    EXPECT_TRUE(bold.contains(QStringLiteral("H15")));
    EXPECT_FALSE(bold.contains(QStringLiteral("H14")));
    EXPECT_TRUE(bold.contains(QStringLiteral("G17")) && bold.contains(QStringLiteral("H17")));
    // The other order's line stays out.
    EXPECT_FALSE(cells.join(u'\n').contains(QStringLiteral("Чужой заказ")));

    // The total row: size 10, black, the sum centred.
    const QString total = RunPython(QStringLiteral(R"(
import sys, openpyxl
s = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
color = s["H17"].font.color
print(s["H17"].font.sz, color.rgb if color is not None and color.type == "rgb" else "auto", s["H17"].alignment.horizontal)
)"),
                                    {paths[0]});
    EXPECT_TRUE(total.trimmed() == QStringLiteral("10.0 auto center") || total.trimmed() == QStringLiteral("10.0 FF000000 center"))
        << total.toStdString();

    EXPECT_EQ(Cell(ReadCells(paths[1]), QStringLiteral("A15")), QStringLiteral("<none>"));
    // A second run the same day takes the next suffix.
    EXPECT_EQ(fileName(ExportZakazPostav(input).value(0)), QStringLiteral("10.12.2024_A_2.xlsx"));
}

TEST(SupplierRequests, WholeOrderAndAnEmptyOrder)
{
    OrderFolder folder;
    folder.addLine(5, QStringLiteral("A"), 10, 2);
    folder.addLine(5, QStringLiteral("B"), 4, 1);
    const QString all = ExportZakazAll(folder.input(QStringLiteral("5")));
    EXPECT_EQ(fileName(all), QStringLiteral("Заказ_5_от_10.12.2024.xlsx"));
    QStringList cells = ReadCells(all);
    EXPECT_EQ(Cell(cells, QStringLiteral("E14")), QStringLiteral("A"));
    EXPECT_EQ(Cell(cells, QStringLiteral("E15")), QStringLiteral("B"));
    EXPECT_EQ(Cell(cells, QStringLiteral("H17")), QStringLiteral("=SUBTOTAL(9,H14:H15)"));

    // No lines: the template row gone, the total at row 15.
    EXPECT_TRUE(ExportZakazPostav(folder.input(QStringLiteral("8"))).isEmpty());
    cells = ReadCells(ExportZakazAll(folder.input(QStringLiteral("8"))));
    EXPECT_EQ(Cell(cells, QStringLiteral("A14")), QStringLiteral("<none>"));
    EXPECT_EQ(Cell(cells, QStringLiteral("G15")), QStringLiteral("Итого:"));
    EXPECT_EQ(Cell(cells, QStringLiteral("H15")), QStringLiteral("=SUBTOTAL(9,H13:H14)"));
    EXPECT_EQ(Cell(cells, QStringLiteral("G8")), QStringLiteral("8"));
}

TEST(ClientOrder, SevenColumnsAndTheTotalInG)
{
    OrderFolder folder;
    folder.addLine(3, QStringLiteral("A"), 12.5, 2, QStringLiteral("Монитор"));
    folder.addLine(3, QStringLiteral("B"), 0, 1, QStringLiteral("Подарок"));
    OrderExportInput input = folder.input(QStringLiteral("3"));
    input.client.name = QStringLiteral("ООО \"Ромашка\"");
    const QString path = ExportZayavka(input);
    EXPECT_EQ(path, folder.program + QStringLiteral("Заявки/10.12.2024_ООО__Ромашка_.xlsx"));
    const QStringList cells = ReadCells(path);
    const std::vector<std::pair<QString, QString>> expected = {
        {"F8", "3"}, {"G8", "<none>"}, {"C8", "ООО \"Ромашка\""},
        {"B13", "Артикул"}, {"C13", "Производит."}, {"D13", "Товар"}, {"E13", "Цена (RUB)"}, {"F13", "Кол-во"},
        {"G13", "Сумма"}, {"H13", "<none>"},
        {"A14", "1"}, {"B14", "A-3"}, {"C14", "Завод"}, {"D14", "Монитор"}, {"E14", "12.5"}, {"F14", "2"},
        {"G14", "=E14*F14"}, {"H14", "<none>"},
        {"D15", "Подарок"}, {"G15", "=E15*F15"},
        {"F17", "Итого:"}, {"G17", "=SUBTOTAL(9,G14:G15)"}, {"H17", "<none>"},
    };
    for (const auto& [address, value] : expected)
        EXPECT_EQ(Cell(cells, address), value) << address.toStdString();
    EXPECT_TRUE(BoldCells(cells).contains(QStringLiteral("G15")));
    EXPECT_FALSE(BoldCells(cells).contains(QStringLiteral("G14")));
}

TEST(PurchaserTable, PurchasePricesWithAndWithoutACurrencyRow)
{
    OrderFolder folder;
    folder.price.exec(QStringLiteral(
        "INSERT INTO AllTovarValuta (ID_Tovar, Price, Pricemax, Valuta, PriceConversion, Nacen) VALUES (41, 12.5, 14, 'USD', 1, 0)"));
    folder.addLine(4, QStringLiteral("Альфа"), 1150, 2, QStringLiteral("С валютой"), 41, 1000);
    folder.addLine(4, QStringLiteral("Бета"), 800, 1, QStringLiteral("Без валюты"), 42, 640);
    OrderExportInput input = folder.input(QStringLiteral("4"));
    input.client.name = QStringLiteral("Петров");
    const QString path = ExportZakazPurchaser(input);
    EXPECT_EQ(fileName(path), QStringLiteral("Петров_10.12.2024_(c_поставщиками).xlsx"));
    const QStringList cells = ReadCells(path);
    const std::vector<std::pair<QString, QString>> expected = {
        {"G8", "4"}, {"B13", "Артикул"}, {"C13", "Производит."}, {"D13", "Цена закупки"}, {"E13", "Товар"},
        {"F13", "Поставщик"}, {"G13", "Склад"},
        {"D14", "12.5"}, {"E14", "С валютой"}, {"F14", "Альфа"}, {"G14", "есть"},
        {"D15", "640"}, {"E15", "Без валюты"},
        // No quantities, sums or total row.
        {"H14", "<none>"}, {"A16", "<none>"}, {"G17", "<none>"}, {"H17", "<none>"},
    };
    for (const auto& [address, value] : expected)
        EXPECT_EQ(Cell(cells, address), value) << address.toStdString();
}

TEST(OrderWorkbooks, TheTemplatesFontsAndWidthsAreKept)
{
    OrderFolder folder;
    folder.addLine(5, QStringLiteral("A"), 10, 2);
    const QString path = ExportZakazAll(folder.input(QStringLiteral("5")));
    const QString script = QStringLiteral(R"(
import sys, openpyxl
for name in sys.argv[1:]:
    s = openpyxl.load_workbook(name).worksheets[0]
    # A <col> element may span several columns: openpyxl keys it by its first.
    widths = {}
    for d in s.column_dimensions.values():
        for i in range(d.min, d.max + 1):
            widths[i] = round(d.width, 2)
    widths = [widths.get(i) for i in range(1, 12)]
    fonts = [(s[a].font.name, s[a].font.sz, bool(s[a].font.b)) for a in ("A1", "B8", "D13")]
    print(widths, fonts, s["D14"].font.name, s["D14"].font.sz, s["F14"].number_format, s["D14"].border.left.style)
)");
    const QStringList lines =
        RunPython(script, {folder.program + QStringLiteral("zakaz.xlsx"), path}).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], lines[1]);
    EXPECT_TRUE(lines[1].contains(QStringLiteral("Arial 9.0 #,##0.00 thin"))) << lines[1].toStdString();
}

TEST(ClientLayouts, SupplierRequestsWithBlankPricesAndContacts)
{
    OrderFolder folder;
    addContacts(folder.price, QStringLiteral("Альфа/Бета"));
    folder.addLine(2, QStringLiteral("Альфа/Бета"), 90, 2, QStringLiteral("Станок"));
    folder.addLine(2, QStringLiteral("Альфа/Бета"), 0, 1, QStringLiteral("Без цены"));
    folder.addLine(2, QStringLiteral("Гамма"), 5, 4, QStringLiteral("Ключ"));
    folder.addLine(3, QStringLiteral("Гамма"), 5, 4, QStringLiteral("Другой заказ"));
    OrderExportInput input = folder.input(QStringLiteral("2"));
    input.layoutNumberText = QStringLiteral("00007");
    input.client = {QStringLiteral("ООО \"Тальверон\""), QStringLiteral("Кузнецов, директор"), QStringLiteral("Тверь"),
                    QStringLiteral("k@t.ru")};

    SupplierRequests result = ExportZakazPostavClient(input);
    EXPECT_TRUE(result.failed.isEmpty());
    ASSERT_EQ(result.paths.size(), 2);
    EXPECT_EQ(fileName(result.paths[0]),
              QStringLiteral("Заявка поставщику _00007_ Альфа_Бета 10.12.2024 ООО _Тальверон_.xlsx"));
    QStringList cells = ReadCells(result.paths[0]);
    const std::vector<std::pair<QString, QString>> expected = {
        {"C2", "ООО \"Тальверон\""}, {"C3", "Кузнецов, директор"}, {"C4", "k@t.ru"}, {"C6", "Альфа/Бета"},
        {"H6", "00007"}, {"C7", "Смирнов"}, {"C8", "+7 495"}, {"C9", "a@b.ru"}, {"C11", "Тверь"},
        {"A14", "1"}, {"B14", "A-2"}, {"C14", "Станок"}, {"D14", "Описание"}, {"E14", "<none>"}, {"F14", "2"},
        {"G14", "=E14*F14"}, {"H14", "<none>"}, {"C15", "Без цены"},
        {"G17", "=SUBTOTAL(9,G14:G15)"}, {"F17", "<none>"},
        {"sheet", "Заказ от 10.12.2024"}, {"active", "A13"},
    };
    for (const auto& [address, value] : expected)
        EXPECT_EQ(Cell(cells, address), value) << address.toStdString();
    EXPECT_TRUE(BoldCells(cells).contains(QStringLiteral("G15")));
    // A supplier without contacts after one with them: its contact cells are empty.
    cells = ReadCells(result.paths[1]);
    for (const char* address : {"C7", "C8", "C9"})
        EXPECT_EQ(Cell(cells, QLatin1String(address)), QStringLiteral("<none>")) << address;
    EXPECT_EQ(Cell(cells, QStringLiteral("C14")), QStringLiteral("Ключ"));
    EXPECT_EQ(Cell(cells, QStringLiteral("C15")), QStringLiteral("<none>"));

    // Again the same day: "_2" on the name and in the sheet name.
    result = ExportZakazPostavClient(input);
    EXPECT_EQ(fileName(result.paths[0]),
              QStringLiteral("Заявка поставщику _00007_ Альфа_Бета 10.12.2024 ООО _Тальверон__2.xlsx"));
    EXPECT_EQ(Cell(ReadCells(result.paths[0]), QStringLiteral("sheet")), QStringLiteral("Заказ_2 от 10.12.2024"));

    // Lower case inside a longer name passes; a name without either does not.
    input.client.name = QStringLiteral("ооо тальверон-юг");
    EXPECT_EQ(ExportZakazPostavClient(input).paths.size(), 2);
}

TEST(ClientLayouts, FailedSupplierRequestsAreNamed)
{
    OrderFolder folder;
    folder.addLine(2, QStringLiteral("Альфа"), 1, 1);
    folder.addLine(2, QStringLiteral("Бета"), 1, 1);
    QFile blocker(folder.program + QStringLiteral("Заказы"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    OrderExportInput input = folder.input(QStringLiteral("2"));
    input.client.name = QStringLiteral("Мирвена");
    const SupplierRequests result = ExportZakazPostavClient(input);
    EXPECT_TRUE(result.paths.isEmpty());
    const QString message = QStringLiteral(": Невозможно создать директорию ") + folder.program + QStringLiteral("Заказы/");
    EXPECT_EQ(result.failed, (QStringList{QStringLiteral("Альфа") + message, QStringLiteral("Бета") + message}));
}

TEST(ClientLayouts, PurchaseWorkbookFromEitherTemplate)
{
    OrderFolder folder;
    folder.addLine(2, QStringLiteral("Альфа"), 90, 2, QStringLiteral("Станок"), 0, 100);
    folder.addLine(2, QStringLiteral("Бета"), 0, 1, QStringLiteral("Бесплатно"), 0, 5);
    OrderExportInput input = folder.input(QStringLiteral("2"));
    input.layoutNumberText = QStringLiteral("00007");
    input.client = {QStringLiteral("Мирвена"), QStringLiteral("Орлов"), QStringLiteral("Казань"), QStringLiteral("o@m.ru")};
    const QString path = ExportZayavkaClient(input, 0);
    EXPECT_EQ(fileName(path), QStringLiteral("ЗАКУП _00007_ ЖВ 10.12.2024  Мирвена.xlsx"));
    const QStringList cells = ReadCells(path);
    const std::vector<std::pair<QString, QString>> expected = {
        {"A1", "Закупка: Тальверон"}, {"G5", "Заказ 00007"}, {"F5", "2024-12-10 00:00:00"}, {"C5", "Мирвена"},
        {"C6", "Казань"}, {"C7", "Орлов"}, {"C8", "o@m.ru"},
        {"A14", "1"}, {"B14", "Станок"}, {"C14", "Описание"}, {"D14", "Китай"}, {"E14", "2"}, {"F14", "90"},
        {"G14", "=E14*F14"}, {"H14", "108"}, {"I14", "100"}, {"J14", "-10"}, {"K14", "<none>"}, {"L14", "Завод"},
        {"M14", "Альфа"}, {"N14", "A-2"},
        {"J15", "-5"},
        {"G17", "=SUBTOTAL(9,G14:G15)"}, {"sheet", "Заказ от 10.12.2024"},
    };
    for (const auto& [address, value] : expected)
        EXPECT_EQ(Cell(cells, address), value) << address.toStdString();
    EXPECT_TRUE(BoldCells(cells).contains(QStringLiteral("G15")));
    const QStringList second = ReadCells(ExportZayavkaClient(input, 1));
    EXPECT_EQ(Cell(second, QStringLiteral("A1")), QStringLiteral("Закупка: Мирвена"));
    EXPECT_EQ(Cell(second, QStringLiteral("sheet")), QStringLiteral("Заказ_2 от 10.12.2024"));
}

TEST(OrderWorkbooks, BadInputWritesNothing)
{
    struct Case {
        const char* what;
        std::function<void(OrderFolder&, OrderExportInput&)> prepare;
        std::function<void(const OrderExportInput&)> run;
        std::function<QString(const OrderFolder&)> message;
    };
    const auto fixed = [](const QString& text) { return [text](const OrderFolder&) { return text; }; };
    const auto none = [](OrderFolder&, OrderExportInput&) {};
    const std::vector<Case> cases = {
        {"number", [](OrderFolder&, OrderExportInput& in) { in.orderNumberText = QStringLiteral("5a"); },
         [](const OrderExportInput& in) { ExportZakazPostav(in); }, fixed(kBadOrderNumberMessage)},
        {"empty number", [](OrderFolder&, OrderExportInput& in) { in.orderNumberText.clear(); },
         [](const OrderExportInput& in) { ExportZayavka(in); }, fixed(kBadOrderNumberMessage)},
        {"purchaser number", [](OrderFolder&, OrderExportInput& in) { in.orderNumberText = QStringLiteral("x"); },
         [](const OrderExportInput& in) { ExportZakazPurchaser(in); }, fixed(kBadOrderNumberMessage)},
        {"client", [](OrderFolder&, OrderExportInput& in) { in.client.name = QStringLiteral("Иванов"); },
         [](const OrderExportInput& in) { ExportZakazPostavClient(in); }, fixed(kWrongLayoutClientMessage)},
        {"no template chosen", none, [](const OrderExportInput& in) { ExportZayavkaClient(in, -1); },
         fixed(kNoLayoutTemplateMessage)},
        {"missing template", [](OrderFolder& f, OrderExportInput&) { QFile::remove(f.program + QStringLiteral("zakaz.xlsx")); },
         [](const OrderExportInput& in) { ExportZakazAll(in); },
         [](const OrderFolder& f) { return QStringLiteral("Не найден шаблон \"%1zakaz.xlsx\"").arg(f.program); }},
        {"folder", [](OrderFolder& f, OrderExportInput&) {
             QFile blocker(f.program + QStringLiteral("Заявки"));
             blocker.open(QIODevice::WriteOnly);
         },
         [](const OrderExportInput& in) { ExportZayavka(in); },
         [](const OrderFolder& f) { return QStringLiteral("Невозможно создать директорию ") + f.program + QStringLiteral("Заявки/"); }},
    };
    for (const Case& c : cases) {
        OrderFolder folder;
        folder.addLine(5, QStringLiteral("A"), 10, 2);
        OrderExportInput input = folder.input(QStringLiteral("5"));
        input.client.name = QStringLiteral("Тальверон");
        int begun = 0, finished = 0;
        input.progress.begin = [&](int) { ++begun; };
        input.progress.finish = [&] { ++finished; };
        c.prepare(folder, input);
        const QStringList before = filesUnder(folder.program);
        try {
            c.run(input);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const OrderExportError& error) {
            EXPECT_EQ(error.message(), c.message(folder)) << c.what;
        }
        EXPECT_EQ(filesUnder(folder.program), before) << c.what;
        EXPECT_EQ(begun, finished) << c.what; // the wait window never stays open
        EXPECT_EQ(folder.lineCount(), 1) << c.what;
    }
}

TEST(OrderWorkbooks, TheWaitWindowFollowsTheLines)
{
    OrderFolder folder;
    for (int i = 0; i < 3; ++i)
        folder.addLine(5, QStringLiteral("A"), 1, 1, QStringLiteral("Товар %1").arg(i));
    OrderExportInput input = folder.input(QStringLiteral("5"));
    QStringList calls;
    input.progress.begin = [&](int steps) { calls << QStringLiteral("begin %1").arg(steps); };
    input.progress.step = [&] { calls << QStringLiteral("step"); };
    input.progress.finish = [&] { calls << QStringLiteral("finish"); };
    ExportZayavka(input);
    EXPECT_EQ(calls, (QStringList{"begin 3", "step", "step", "step", "finish"}));
}

} // namespace
} // namespace velmora::orders
