// The combined stock export: its rows from the offers, its workbook from
// the template read back with openpyxl, its stops and failures, and its
// worker thread.
#include "order_test_support.h"

#include "orders/user_export.h"
#include "orders/user_export_thread.h"
#include "storage/value_helpers.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <vector>

namespace velmora::orders {
namespace {

using test::Cell;
using test::OrderFolder;
using test::ReadCells;

const QString kOwn = kOwnStockName;

struct ExportFixture {
    OrderFolder folder;
    QDate today{2024, 12, 10};

    // One offer; a null QString key stores NULL.
    void offer(const QString& supplier, const QString& key, const QString& sklad, const QString& art = QString(),
               const QString& tovar = QString())
    {
        db::Statement insert = folder.price.prepare(QStringLiteral(
            "INSERT INTO AllTovarPostav (Postavshik, Description, Sklad, Art, Tovar, TextNoName)"
            " VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
        insert.bindText(1, supplier);
        if (key.isNull())
            insert.bindNull(2);
        else
            insert.bindText(2, key);
        insert.bindText(3, sklad).bindText(4, art.isEmpty() ? supplier + u'-' + key : art);
        insert.bindText(5, tovar.isEmpty() ? QStringLiteral("Товар ") + key : tovar);
        insert.bindText(6, QStringLiteral("Завод ") + key);
        insert.execute();
    }

    UserExportRequest request(const QStringList& suppliers)
    {
        UserExportRequest r;
        r.supplierNames = suppliers;
        r.ownStockName = kOwn;
        r.folder = folder.program + QStringLiteral("out/");
        r.programFolder = folder.program;
        r.today = today;
        return r;
    }
};

// "B=A1 E=3 ..." of each row, empty cells left out.
QStringList rowTexts(const sheet::ValueBlock& rows)
{
    QStringList texts;
    for (int row = 1; row <= rows.rows(); ++row) {
        QStringList cells;
        for (int column = 1; column <= rows.columns(); ++column)
            if (rows.type(row, column) != sheet::CellType::Empty)
                cells << ColumnToLetters(column) + u'=' + rows.text(row, column);
        texts << cells.join(u' ');
    }
    return texts;
}

QStringList readRows(ExportFixture& f, const QStringList& suppliers)
{
    const std::optional<sheet::ValueBlock> rows = ReadUserExportRows(f.folder.price, suppliers, kOwn);
    return rows ? rowTexts(*rows) : QStringList{QStringLiteral("<stopped>")};
}

TEST(UserExport, OneRowPerOwnStockArticleWithEachSuppliersStock)
{
    ExportFixture f;
    f.offer("S1", "K1", "5");
    f.offer(kOwn, "K1", "3", "A1", "Свеча");
    f.offer("S2", "K1", "10 шт");
    f.offer("S1", "K2", "7");
    EXPECT_EQ(readRows(f, {"S1", "S2"}),
              QStringList{"B=A1 C=Свеча D=Завод K1 E=3 F=5 G=10 шт H=10"});
}

TEST(UserExport, KeysGroupAsTheDatabaseComparesThem)
{
    struct Case {
        const char* name;
        std::vector<std::vector<QString>> offers; // supplier, key, stock
        QStringList suppliers;
        QStringList rows;
    };
    const QString nullKey;
    const std::vector<Case> cases = {
        {"a later offer of a supplier wins",
         {{"S1", "K1", "5"}, {kOwn, "K1", "1"}, {"S1", "K1", "8"}},
         {"S1"},
         {"B=_Наш склад-K1 C=Товар K1 D=Завод K1 E=1 F=8 G=8"}},
        {"keys compare without case, Cyrillic too; the first own offer stands",
         {{kOwn, "ключ-1", "2", "first"}, {kOwn, "КЛЮЧ-1", "9", "second"}, {"S1", "Ключ-1", "4"}},
         {"S1"},
         {"B=first C=Товар ключ-1 D=Завод ключ-1 E=2 F=4 G=4"}},
        {"an empty key is a group; NULL and ***** are none",
         {{kOwn, "", "1"}, {"S1", "", "6"}, {kOwn, nullKey, "2"}, {"S1", nullKey, "3"},
          {kOwn, "*****", "4"}, {"S1", "*****", "5"}},
         {"S1"},
         {"B=_Наш склад- C=Товар  D=Завод  E=1 F=6 G=6"}},
        {"the own stock also as a column",
         {{kOwn, "K", "12 шт"}, {"S1", "K", "3"}},
         {kOwn, "S1"},
         {"B=_Наш склад-K C=Товар K D=Завод K E=12 шт F=12 шт G=3 H=12"}},
        {"names with quotes are bound",
         {{kOwn, "K", "1"}, {"O'Neil \"Ёлка\"", "K", "2,5"}},
         {"o'neil \"ёлка\""},
         {"B=_Наш склад-K C=Товар K D=Завод K E=1 F=2,5 G=2.5"}},
        {"rows in key order, the largest from 0, unread texts count 0",
         {{kOwn, "b", "1"}, {kOwn, "A", "1"}, {"S1", "b", "-4"}, {"S2", "b", "нет"}, {"S1", "A", "1.234,5"},
          {"S2", "A", "2"}},
         {"S1", "S2"},
         {"B=_Наш склад-A C=Товар A D=Завод A E=1 F=1.234,5 G=2 H=2",
          "B=_Наш склад-b C=Товар b D=Завод b E=1 F=-4 G=нет H=4"}},
        {"no own stock, no rows", {{"S1", "K", "1"}}, {"S1"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExportFixture f;
        for (const auto& o : c.offers)
            f.offer(o[0], o[1], o[2], o.size() > 3 ? o[3] : QString());
        EXPECT_EQ(readRows(f, c.suppliers), c.rows);
    }
}

// D1's date, the names from F2 in column F's format, the maximum's column
// after them, the rows from 4.
TEST(UserExport, TheWorkbookFromTheTemplate)
{
    ExportFixture f;
    f.offer("S1", "K1", "5");
    f.offer(kOwn, "K1", "3", "A1");
    f.offer("S2", "K1", "10 шт");
    f.offer(kOwn, "K2", "1", "A2");
    f.offer("S2", "K2", "4");
    QStringList statuses;
    UserExportReport report;
    report.status = [&](const QString& status, const QString& caption) { statuses << status + u'|' + caption; };
    const UserExportResult result = RunUserExport(f.folder.price, f.request({"S1", "", "S2"}), report);
    ASSERT_EQ(result.outcome, UserExportOutcome::Finished) << result.errorText.toStdString();
    EXPECT_EQ(result.path, f.folder.program + QStringLiteral("out/Сводный от 10.12.2024.xlsx"));
    EXPECT_EQ(statuses.last(), QStringLiteral(" Экспорт сводного успешно ЗАВЕРШЕН!    файл обновлен: ") + result.path +
                                   QStringLiteral("|Экспорт в Excel"));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Подготовка данных для выгрузки:  -  100%|Остановить!")));
    EXPECT_TRUE(statuses.contains(QStringLiteral(" Выгрузка товаров по собственному складу|Остановить!")));
    EXPECT_EQ(statuses.removeDuplicates(), 0);

    const QString dump = test::RunPython(QStringLiteral(R"(
import sys, openpyxl
sheet = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
print(sheet["D1"].value.date(), sheet["D1"].is_date)
print([sheet.cell(2, c).value for c in range(2, 9)])
f = sheet["F2"]
for c in ("G2", "H2"):
    print(c, sheet[c].fill.fgColor.rgb == f.fill.fgColor.rgb, sheet[c].number_format)
def width(index):
    for d in sheet.column_dimensions.values():
        if d.min is not None and d.min <= index <= d.max:
            return d.width
print(width(6) == width(7) != width(8), width(6))
for r in range(4, sheet.max_row + 1):
    print(r, [sheet.cell(r, c).value for c in range(1, 9)], sheet.cell(r, 6).number_format, sheet.cell(r, 8).font.b)
)"),
                                                 {result.path});
    EXPECT_EQ(dump, QStringLiteral("2024-12-10 True\n"
                                   "['Артикул', 'Наименование', 'Производитель', 'Наш склад', 'S1', 'S2', 'Максимум']\n"
                                   "G2 True General\n"
                                   "H2 False General\n"
                                   "True 12.0\n"
                                   "4 [None, 'A1', 'Товар K1', 'Завод K1', '3', '5', '10 шт', 10] @ True\n"
                                   "5 [None, 'A2', 'Товар K2', 'Завод K2', '1', None, '4', 4] @ True\n"));
}

TEST(UserExport, WithoutOwnStockOnlyTheHeadersAndOneArticleOneRow)
{
    for (int articles : {0, 1}) {
        SCOPED_TRACE(articles);
        ExportFixture f;
        f.offer("S1", "K1", "5");
        if (articles)
            f.offer(kOwn, "K1", "3", "A1");
        const UserExportResult result = RunUserExport(f.folder.price, f.request({"S1"}));
        ASSERT_EQ(result.outcome, UserExportOutcome::Finished) << result.errorText.toStdString();
        const QStringList cells = ReadCells(result.path);
        EXPECT_EQ(Cell(cells, "F2"), QStringLiteral("S1"));
        EXPECT_EQ(Cell(cells, "G2"), QStringLiteral("Максимум"));
        EXPECT_EQ(Cell(cells, "B4"), articles ? QStringLiteral("A1") : QStringLiteral("<none>"));
        const QString lastRow = test::RunPython(
            QStringLiteral("import sys, openpyxl\nprint(openpyxl.load_workbook(sys.argv[1]).worksheets[0].max_row)"),
            {result.path});
        EXPECT_EQ(lastRow.trimmed(), QStringLiteral("4"));
    }
}

TEST(UserExport, AStopBeforeTheQueryWritesNothing)
{
    ExportFixture f;
    f.offer(kOwn, "K1", "3");
    QStringList statuses;
    UserExportReport report;
    report.status = [&](const QString& status, const QString& caption) { statuses << status + u'|' + caption; };
    report.stopRequested = [] { return true; };
    const UserExportResult result = RunUserExport(f.folder.price, f.request({"S1"}), report);
    EXPECT_EQ(result.outcome, UserExportOutcome::Stopped);
    EXPECT_EQ(statuses.last(), QStringLiteral("Экспорт сводного ОСТАНОВЛЕН!|Экспорт в Excel"));
    EXPECT_FALSE(QFileInfo::exists(f.folder.program + QStringLiteral("out")));
}

TEST(UserExport, FailuresEndWithTheirMessageAndTheCaptionBack)
{
    struct Case {
        const char* name;
        std::function<void(ExportFixture&, UserExportRequest&)> spoil;
        QString message; // the status holds it
    };
    const std::vector<Case> cases = {
        {"a missing template",
         [](ExportFixture& f, UserExportRequest&) { QFile::remove(f.folder.program + kUserExportTemplate); },
         QStringLiteral("Price-svod")},
        {"a folder that cannot be made",
         [](ExportFixture& f, UserExportRequest& r) {
             QFile blocker(f.folder.program + QStringLiteral("file"));
             ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
             r.folder = blocker.fileName() + QStringLiteral("/out/");
         },
         QStringLiteral("Невозможно создать директорию ")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExportFixture f;
        f.offer(kOwn, "K1", "3");
        UserExportRequest request = f.request({"S1"});
        c.spoil(f, request);
        QStringList statuses;
        UserExportReport report;
        report.status = [&](const QString& status, const QString& caption) { statuses << status + u'|' + caption; };
        const UserExportResult result = RunUserExport(f.folder.price, request, report);
        EXPECT_EQ(result.outcome, UserExportOutcome::Failed);
        EXPECT_FALSE(result.errorText.isEmpty());
        EXPECT_TRUE(result.errorText.contains(c.message)) << result.errorText.toStdString();
        EXPECT_EQ(statuses.last(), result.errorText + QStringLiteral("|Экспорт в Excel"));
    }
}

// The worker copies its request, reports through the queued signal, and
// a second start is refused while it runs.
TEST(UserExport, TheWorkerRunsOneAtATime)
{
    static int argc = 1;
    static char name[] = "user_export_test";
    static char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    ExportFixture f;
    f.offer(kOwn, "K1", "3", "A1");
    f.offer("S1", "K1", "5");
    UserExportRunner runner(f.folder.program + QStringLiteral("PRICE.vdb"));
    QSignalSpy finished(&runner, &UserExportRunner::exportFinished);
    QStringList statuses;
    QObject::connect(&runner, &UserExportRunner::SyncExportStatus,
                     [&](const QString& status, const QString& caption) { statuses << status + u'|' + caption; });
    UserExportRequest request = f.request({"S1"});
    ASSERT_TRUE(runner.start(request));
    request.supplierNames = QStringList{QStringLiteral("S2")};
    EXPECT_FALSE(runner.start(request));
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_FALSE(runner.isRunning());
    const auto result = finished.first().first().value<UserExportResult>();
    ASSERT_EQ(result.outcome, UserExportOutcome::Finished) << result.errorText.toStdString();
    EXPECT_EQ(Cell(ReadCells(result.path), "F2"), QStringLiteral("S1"));
    EXPECT_TRUE(statuses.last().startsWith(QStringLiteral(" Экспорт сводного успешно ЗАВЕРШЕН!")));
    runner.stop(); // no thread any more: nothing happens
    ASSERT_TRUE(runner.start(request));
    ASSERT_TRUE(finished.wait(30000));
}

} // namespace
} // namespace velmora::orders
