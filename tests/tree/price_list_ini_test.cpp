// The price-list settings file: written and read back by this program and
// by Python's configparser, the reader's defaults and report, failures.
#include "tree_test_support.h"

#include "../common/peak_memory.h"
#include "../common/unprivileged.h"
#include "platform/db/day_numbers.h"
#include "platform/files/cp1251.h"
#include "platform/files/error_text.h"
#include "suppliers/setup/price_list_ini.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velmora;
using namespace velmora::testing;

namespace {

QStringList rowsOf(db::Connection& db, const QString& sql)
{
    db::Statement select = db.prepare(sql);
    QStringList rows;
    while (select.step()) {
        QStringList values;
        for (int i = 0; i < select.columnCount(); ++i)
            values << select.value(i).toString();
        rows << values.join(u'|');
    }
    return rows;
}

QStringList listRows(db::Connection& db)
{
    return rowsOf(db, QStringLiteral("SELECT Id, Postavshik, Path, SheetCount, PriceConversion, Valuta, PostavVisible"
                                     " FROM AllPostavSetup ORDER BY Id"));
}

QStringList sheetRows(db::Connection& db)
{
    return rowsOf(db, QStringLiteral("SELECT * FROM AllPostavPage ORDER BY Postavshik, SheetName"));
}

void writeFile(const QString& path, const QString& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(encodeCp1251(QString(text).replace(u'\n', QLatin1String("\r\n"))));
}

// configparser's view of the file (Windows-1251): "section|key=value" lines.
QStringList readByConfigParser(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import configparser, sys\n"
                                 "c = configparser.ConfigParser(interpolation=None)\n"
                                 "c.optionxform = str\n"
                                 "c.read(sys.argv[1], encoding='cp1251')\n"
                                 "for s in c.sections():\n"
                                 "    for k, v in c[s].items(): sys.stdout.buffer.write(f'{s}|{k}={v}\\n'.encode())\n"),
                  path});
    EXPECT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

struct IniFixture : SupplierDatabases {
    QString ini = dir.filePath(QStringLiteral("SetupPriceList.ini"));
    QStringList messages;
    MessageSink sink() { return [this](const QString& text) { messages << text; }; }

    // Two lists under Ids with a gap; the second has two sheets with a
    // column of two letters and a hyperlink column.
    void addTwoLists()
    {
        exec(priceDb, QStringLiteral("INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Obrab, PostavVisible,"
                                     " Dates, PriceConversion, Valuta) VALUES (3, 'Альфа', '/p/альфа.xls', 1, '', 1, 45000, 1, 2),"
                                     " (7, 'Beta', '/p/beta.xlsx', 2, '', 1, 45000, 1.5, 0)"));
        addSheet(QStringLiteral("Альфа"), QStringLiteral("Лист1"), 305);
        exec(priceDb, QStringLiteral("INSERT INTO AllPostavPage VALUES ('Beta', 'Прайс', 100000003, 2, 3, 4, 5, 6, 7, 8,"
                                     " 'True', 10, 2, 1, 'Префикс-')"));
        exec(priceDb, QStringLiteral("INSERT INTO AllPostavPage VALUES ('Beta', 'Акции', 1, 2, 3, 0, 0, 0, 0, 0, '', 0, 0, 0, '')"));
    }
};

TEST(PriceListIni, RoundTripThroughTheFileKeepsListsSheetsAndQueue)
{
    IniFixture f;
    f.addTwoLists();
    f.addGoods(QStringLiteral("Beta"), QStringLiteral("b1")); // Dates 46001
    writeFile(f.ini, QStringLiteral("[Zakaz]\nZakazNumber=17\n[PriceList3]\nPostavshik=Old\n[PriceList3Sheet1]\nSheetName=x\n"));
    PriceListIniExtras extras;
    extras.loadQueue = {QStringLiteral("Beta")};
    extras.saveAllPath = QStringLiteral("/exports/все");
    extras.rateDollar = QStringLiteral("90,5");

    ASSERT_TRUE(SavePriceListSettingsToIni(f.priceDb, f.ini, extras, f.sink()));

    const QStringList seen = readByConfigParser(f.ini);
    for (const char* expected :
         {"Zakaz|ZakazNumber=17", "CountPriceList|Count=2", "CountPriceList|KursValuta_Dollar=90,5",
          "CountPriceList|SaveAllPath=/exports/все", "PriceList1|Postavshik=Альфа", "PriceList1|SetPriceLoad=0",
          "PriceList1|SheetCount=1", "PriceList1|PriceConversion=1", "PriceList1Sheet1|Column_art=305",
          "PriceList2|Postavshik=Beta", "PriceList2|SetPriceLoad=1", "PriceList2|PriceConversion=1,5",
          "PriceList2Sheet1|SheetName=Акции", "PriceList2Sheet2|SheetName=Прайс",
          "PriceList2Sheet2|Column_art=100000003", "PriceList2Sheet2|Obrab=True", "PriceList2Sheet2|Nacen=10",
          "PriceList2Sheet2|TovarPrefiks=Префикс-"})
        EXPECT_TRUE(seen.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_FALSE(seen.contains(QStringLiteral("PriceList3|Postavshik=Old"))) << "the old lists' sections go";
    EXPECT_TRUE(seen.filter(QStringLiteral("PriceList2Sheet2|")).size() == 14);
    QFile raw(f.ini);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    EXPECT_TRUE(bytes.contains(encodeCp1251(QStringLiteral("Postavshik=Альфа\r\n")))) << "Windows-1251, CRLF";

    const QStringList sheetsBefore = sheetRows(f.priceDb);
    f.exec(f.priceDb, QStringLiteral("DELETE FROM AllPostavSetup"));
    f.exec(f.priceDb, QStringLiteral("DELETE FROM AllPostavPage"));
    const PriceListIniImport imported = LoadPriceListSettingsFromIni(f.priceDb, f.ini, f.sink());

    EXPECT_TRUE(imported.imported);
    EXPECT_EQ(imported.loadQueue, QStringList{QStringLiteral("Beta")});
    EXPECT_EQ(imported.saveAllPath, QStringLiteral("/exports/все"));
    EXPECT_EQ(imported.report, QString());
    EXPECT_EQ(listRows(f.priceDb), QStringList({"1|Альфа|/p/альфа.xls|1|1|0|1", "2|Beta|/p/beta.xlsx|2|1.5|0|1"}))
        << "Ids 1, 2 in the file's order; Valuta is not in the file";
    EXPECT_EQ(sheetRows(f.priceDb), sheetsBefore);
    const qint64 today = db::dayNumber(QDate::currentDate());
    EXPECT_EQ(rowsOf(f.priceDb, QStringLiteral("SELECT Dates FROM AllPostavSetup ORDER BY Id")),
              QStringList({QString::number(today), QStringLiteral("46001")}))
        << "a supplier's first offer, or today";
    EXPECT_TRUE(f.messages.isEmpty()) << f.messages.join(u'|').toStdString();

    // A second save after a list went keeps [Zakaz] and leaves no section of it.
    f.exec(f.priceDb, QStringLiteral("DELETE FROM AllPostavSetup WHERE Id = 2"));
    ASSERT_TRUE(SavePriceListSettingsToIni(f.priceDb, f.ini, {}, f.sink()));
    const QStringList again = readByConfigParser(f.ini);
    EXPECT_TRUE(again.contains(QStringLiteral("Zakaz|ZakazNumber=17")));
    EXPECT_TRUE(again.contains(QStringLiteral("CountPriceList|Count=1")));
    EXPECT_TRUE(again.filter(QStringLiteral("PriceList2")).isEmpty());
}

TEST(PriceListIni, TheReaderFillsWhatIsMissingAndReportsIt)
{
    IniFixture f;
    f.addTwoLists();
    writeFile(f.ini, QStringLiteral("[CountPriceList]\nCount=4\n"
                                    "[PriceList1]\nPostavshik=Первый\nSheetCount=1\nPriceConversion=1.5\n"
                                    "[PriceList1Sheet1]\nSheetName=Лист\nColumn_art=2\nValuta=\n"
                                    "[PriceList2]\nPath=/p/2.xls\nSheetCount=1\n"
                                    "[PriceList3]\nPostavshik=Третий\nPath=/p/3.xls\nSheetCount=0\n"
                                    "[PriceList4]\nPostavshik=Четвёртый\nPath=/p/4.xls\nSheetCount=2\nSetPriceLoad=1\n"
                                    "[PriceList4Sheet1]\nSheetName=Один\n"));

    const PriceListIniImport imported = LoadPriceListSettingsFromIni(f.priceDb, f.ini, f.sink());

    EXPECT_TRUE(imported.imported);
    EXPECT_EQ(imported.report, QStringLiteral("Отсутствует название для поставщика PriceList2\r"
                                              "для поставщика PriceList1 не указан путь к файлу\r"
                                              "для поставщика PriceList3 не указано количество листов в файле\r"
                                              "\r\rПодкорректируйте настройки и сохраните ini-файл."));
    EXPECT_EQ(listRows(f.priceDb), QStringList({"1|Первый|-|1|1.5|0|1", "2|Третий|/p/3.xls|0|1|0|1",
                                                "3|Четвёртый|/p/4.xls|2|1|0|1"}));
    EXPECT_EQ(sheetRows(f.priceDb),
              QStringList({"Первый|Лист|2|0|0|0|0|0|0|0||0|0|0|", "Четвёртый|Один|0|0|0|0|0|0|0|0||0|0|0|"}))
        << "an empty Valuta is 0; a sheet section that is not there adds no sheet";
    EXPECT_EQ(imported.loadQueue, QStringList{QStringLiteral("Четвёртый")});
}

TEST(PriceListIni, CountZeroEmptiesTheTablesAndABadFileChangesNothing)
{
    IniFixture f;
    f.addTwoLists();
    for (const char* count : {"x", "-1", "99999999999999999999"}) {
        f.messages.clear();
        writeFile(f.ini, QStringLiteral("[CountPriceList]\nCount=%1\n[PriceList1]\nPostavshik=А\n").arg(count));
        EXPECT_FALSE(LoadPriceListSettingsFromIni(f.priceDb, f.ini, f.sink()).imported) << count;
        EXPECT_EQ(f.messages, QStringList{QStringLiteral("  Выбран неверный ini-файл")});
        EXPECT_EQ(listRows(f.priceDb).size(), 2);
    }

    writeFile(f.ini, QStringLiteral("[CountPriceList]\nCount=0\n"));
    EXPECT_TRUE(LoadPriceListSettingsFromIni(f.priceDb, f.ini, f.sink()).imported);
    EXPECT_TRUE(listRows(f.priceDb).isEmpty());
    EXPECT_TRUE(sheetRows(f.priceDb).isEmpty());
}

TEST(PriceListIni, AReadOnlyFolderGivesOneMessageAndKeepsTheFile)
{
    IniFixture f;
    for (int id = 1; id <= 50; ++id)
        f.addList(id, QStringLiteral("Список %1").arg(id));
    const QString folder = f.dir.filePath(QStringLiteral("readonly"));
    QDir().mkpath(folder);
    const QString ini = folder + QStringLiteral("/SetupPriceList.ini");
    writeFile(ini, QStringLiteral("[Zakaz]\nZakazNumber=5\n"));
    const QString pricePath = f.priceDb.path();
    f.priceDb.close();
    openToEveryone(f.dir.path());
    openToEveryone(pricePath);
    openToEveryone(ini);
    makeReadOnlyForEveryone(folder);

    EXPECT_TRUE(runUnprivileged([&] {
        QStringList messages;
        db::Connection priceDb(pricePath, db::OpenMode::ReadOnly);
        const bool saved = SavePriceListSettingsToIni(priceDb, ini, {},
                                                      [&](const QString& text) { messages << text; });
        return !saved && messages.size() == 1 && messages[0].contains(ini);
    }));
    openToEveryone(folder);
    QFile kept(ini);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("[Zakaz]\r\nZakazNumber=5\r\n"));
}

// A file larger than the memory left: the import says so in Russian, not
// in the library's words ("std::bad_alloc").
TEST(PriceListIni, RunningOutOfMemoryIsSaidInRussian)
{
    IniFixture f;
    {
        QFile file(f.ini);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[CountPriceList]\r\nCount=1\r\n[PriceList1]\r\n");
        const QByteArray line = QByteArray("Comment=") + QByteArray(1000, 'x') + "\r\n";
        for (int i = 0; i < 96 * 1024; ++i)
            file.write(line);
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // 64 MB more than the process maps now: the file's 96 MB do not fit.
        QFile status(QStringLiteral("/proc/self/status"));
        qint64 mappedKiB = 0;
        if (status.open(QIODevice::ReadOnly))
            for (const QByteArray& line : status.readAll().split('\n'))
                if (line.startsWith("VmSize:"))
                    mappedKiB = line.mid(7).trimmed().split(' ').value(0).toLongLong();
        const rlimit limit{rlim_t(mappedKiB + 64 * 1024) * 1024, rlim_t(mappedKiB + 64 * 1024) * 1024};
        QStringList messages;
        const bool limited = mappedKiB > 0 && ::setrlimit(RLIMIT_AS, &limit) == 0;
        const bool imported =
            LoadPriceListSettingsFromIni(f.priceDb, f.ini, [&](const QString& text) { messages << text; }).imported;
        ::_exit(limited && !imported && messages == QStringList{kOutOfMemoryText} ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Hostile counts and values: each import reads only the sections the file
// holds, in well under a second and a few MB, says in its report what was
// out of bounds and what it took instead, and stores no value out of bounds.
struct HostileIniCase {
    const char* label;
    QString file;
    QStringList reportLines; // each a line of the report
    QStringList lists;       // Id|Postavshik|Path|SheetCount|PriceConversion|Valuta|PostavVisible
    int sheets = 0;          // AllPostavPage rows
};

void PrintTo(const HostileIniCase& c, std::ostream* os) { *os << c.label; }

class HostileIni : public ::testing::TestWithParam<HostileIniCase> {};

TEST_P(HostileIni, ReadsOnlyWhatTheFileHoldsAndReportsTheRest)
{
    const HostileIniCase& c = GetParam();
    IniFixture f;
    writeFile(f.ini, c.file);
    resetPeakMemory();
    const double before = peakMegabytes();
    QElapsedTimer clock;
    clock.start();
    const PriceListIniImport imported = LoadPriceListSettingsFromIni(f.priceDb, f.ini, f.sink());
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_LT(peakMegabytes() - before, 50);

    ASSERT_TRUE(imported.imported) << f.messages.join(u'|').toStdString();
    for (const QString& line : c.reportLines)
        EXPECT_TRUE(imported.report.contains(line + u'\r')) << line.toStdString() << "\nin\n"
                                                             << imported.report.toStdString();
    EXPECT_EQ(listRows(f.priceDb), c.lists);
    EXPECT_EQ(f.count(f.priceDb, QStringLiteral("SELECT count(*) FROM AllPostavPage")), c.sheets);
    EXPECT_EQ(f.count(f.priceDb, QStringLiteral("SELECT count(*) FROM AllPostavPage WHERE Column_art <> 0 OR Nacen <> 0"
                                                " OR Valuta <> 0 OR PriceSet <> 0")),
              0)
        << "every value out of bounds is stored as its default";
}

const QString kTwoSheets = QStringLiteral("[PriceList1Sheet1]\nSheetName=Один\n[PriceList1Sheet2]\nSheetName=Два\n");

INSTANTIATE_TEST_SUITE_P(
    Values, HostileIni,
    ::testing::Values(
        HostileIniCase{"SheetCountBeyondAnyWorkbook",
                       QStringLiteral("[CountPriceList]\nCount=1\n[PriceList1]\nPostavshik=А\nPath=/p\n"
                                      "SheetCount=4000000000\n") + kTwoSheets,
                       {QStringLiteral("для поставщика PriceList1 значение SheetCount=4000000000 вне допустимых пределов, "
                                       "принято 2")},
                       {QStringLiteral("1|А|/p|2|1|0|1")}, 2},
        HostileIniCase{"NegativeSheetCount",
                       QStringLiteral("[CountPriceList]\nCount=1\n[PriceList1]\nPostavshik=А\nPath=/p\n"
                                      "SheetCount=-3\n") + kTwoSheets,
                       {QStringLiteral("для поставщика PriceList1 значение SheetCount=-3 вне допустимых пределов, "
                                       "принято 2")},
                       {QStringLiteral("1|А|/p|2|1|0|1")}, 2},
        HostileIniCase{"CountAtTheLargestInteger",
                       QStringLiteral("[CountPriceList]\nCount=2147483647\n[PriceList1]\nPostavshik=А\nPath=/p\n"
                                      "SheetCount=2\n[PriceList2]\nPostavshik=Б\nPath=/q\nSheetCount=1\n") + kTwoSheets,
                       {QStringLiteral("в разделе CountPriceList значение Count=2147483647 вне допустимых пределов, "
                                       "принято 2")},
                       {QStringLiteral("1|А|/p|2|1|0|1"), QStringLiteral("2|Б|/q|1|1|0|1")}, 2},
        HostileIniCase{"SectionsFarApart",
                       QStringLiteral("[CountPriceList]\nCount=2000000000\n[PriceList1]\nPostavshik=А\nPath=/p\n"
                                      "SheetCount=1\n[PriceList2000000000]\nPostavshik=Б\nPath=/q\nSheetCount=1\n"),
                       {QStringLiteral("Отсутствуют разделы поставщиков с PriceList2 по PriceList1999999999")},
                       {QStringLiteral("1|А|/p|1|1|0|1"), QStringLiteral("2|Б|/q|1|1|0|1")}, 0},
        HostileIniCase{"SheetValuesOutOfBounds",
                       QStringLiteral("[CountPriceList]\nCount=1\n[PriceList1]\nPostavshik=А\nPath=/p\nSheetCount=1\n"
                                      "[PriceList1Sheet1]\nSheetName=Один\nColumn_art=2147483647\n"
                                      "Nacen=99999999999\nValuta=-1\nPriceSet=x\n"),
                       {QStringLiteral("для листа PriceList1Sheet1 значение Column_art=2147483647 вне допустимых "
                                       "пределов, принято 0"),
                        QStringLiteral("для листа PriceList1Sheet1 значение Nacen=99999999999 вне допустимых пределов, "
                                       "принято 0"),
                        QStringLiteral("для листа PriceList1Sheet1 значение Valuta=-1 вне допустимых пределов, принято 0"),
                        QStringLiteral("для листа PriceList1Sheet1 значение PriceSet=x вне допустимых пределов, принято 0")},
                       {QStringLiteral("1|А|/p|1|1|0|1")}, 1},
        HostileIniCase{"ConversionFactorsThatAreNoNumbers",
                       QStringLiteral("[CountPriceList]\nCount=2\n[PriceList1]\nPostavshik=А\nPath=/p\nSheetCount=1\n"
                                      "PriceConversion=abc\n[PriceList2]\nPostavshik=Б\nPath=/q\nSheetCount=1\n"
                                      "PriceConversion=1e400\n"),
                       {QStringLiteral("для поставщика PriceList1 значение PriceConversion=abc вне допустимых пределов, "
                                       "принято 1"),
                        QStringLiteral("для поставщика PriceList2 значение PriceConversion=1e400 вне допустимых "
                                       "пределов, принято 1")},
                       {QStringLiteral("1|А|/p|1|1|0|1"), QStringLiteral("2|Б|/q|1|1|0|1")}, 0}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
