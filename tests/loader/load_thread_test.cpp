// The load queue panel with its real thread, loader and exports.
#include "loader_test_support.h"

#include "platform/files/cp1251.h"
#include "platform/files/ini_file.h"
#include "storage/goods_search_index.h"
#include "suppliers/exports/price_list_export.h"
#include "suppliers/loader/load_queue_panel.h"
#include "suppliers/loader/price_list_load_thread.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>

namespace velmora::loader::test {
namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "loader_thread_test";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

SheetSetup Sheet(const QString& sheetName)
{
    SheetSetup sheet;
    sheet.sheetName = sheetName;
    sheet.columnArt = 1;
    sheet.columnTovar = 2;
    sheet.columnPrice = 3;
    sheet.valuta = CurrencyRUB;
    return sheet;
}

// Three lists in a temporary folder: "Первый" and "Третий" read copies of
// the xlsx fixture, "Второй" a file that is no workbook.
class ThreeLists : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        workbook = dbs.dir.filePath(QStringLiteral("prices/cases.xlsx"));
        QDir().mkpath(dbs.dir.filePath(QStringLiteral("prices")));
        ASSERT_TRUE(QFile::copy(TestDataPath(QStringLiteral("loader_cases.xlsx")), workbook));
        const QString broken = dbs.dir.filePath(QStringLiteral("prices/broken.xlsx"));
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a workbook");
        f.close();
        AddPriceList(dbs.price, first, workbook);
        AddSheet(dbs.price, first, Sheet(QStringLiteral("round")));
        AddPriceList(dbs.price, second, broken);
        AddSheet(dbs.price, second, Sheet(QStringLiteral("Лист1")));
        AddPriceList(dbs.price, third, workbook);
        AddSheet(dbs.price, third, Sheet(QStringLiteral("sep")));
        ini = dbs.dir.filePath(QStringLiteral("SetupUser.ini"));
        ASSERT_TRUE(WriteIniString(ini, QStringLiteral("SetupUsers"), QStringLiteral("0"), QStringLiteral("Export_CSV")));
    }

    LoadQueueEnvironment Environment()
    {
        LoadQueueEnvironment env;
        env.pricePath = dbs.pricePath;
        env.orderPath = dbs.orderPath;
        env.userIniPath = ini;
        env.programFolder = QStringLiteral(VELMORA_PROGRAM_DIR);
        env.priceDb = &dbs.price;
        env.orderDb = &dbs.order;
        env.rates = [] { return TestRates(); };
        env.ask = [](const QString&) { return true; };
        env.pauses = {0, 0, 0};
        return env;
    }

    // Starts the run and collects the status texts until the thread ends.
    QStringList RunToEnd(LoadQueuePanel& panel, const std::function<void(const QString&)>& onStatus = {})
    {
        QStringList statuses;
        QObject::connect(&panel, &LoadQueuePanel::statusChanged, &panel, [&](const QString& status, const QString&) {
            statuses << status;
            if (onStatus)
                onStatus(status);
        });
        QSignalSpy finished(&panel, &LoadQueuePanel::loadRunFinished);
        panel.Button_LoadPriceClick();
        EXPECT_TRUE(panel.isLoadRunning());
        EXPECT_TRUE(finished.wait(120000));
        return statuses;
    }

    QPushButton* Button(LoadQueuePanel& panel) { return panel.findChild<QPushButton*>(QStringLiteral("Button_LoadPrice")); }

    TestDatabases dbs;
    QString workbook;
    QString ini;
    const QString first = QStringLiteral("Первый");
    const QString second = QStringLiteral("Второй");
    const QString third = QStringLiteral("Третий");
};

TEST_F(ThreeLists, BrokenMiddleListIsReportedKeptAndNotExported)
{
    InsertOffers(dbs.price, second, 4);
    LoadQueuePanel panel(Environment());
    panel.setQueueNames({first, second, third});
    const QStringList statuses = RunToEnd(panel);

    EXPECT_EQ(ReadOffers(dbs.price, first).size(), 3u);
    EXPECT_EQ(ReadOffers(dbs.price, second).size(), 4u) << "its old offers";
    EXPECT_EQ(ReadOffers(dbs.price, third).size(), 3u);
    // Each list's offers went into the search index after it.
    EXPECT_FALSE(supplierGoodsIndexPendingAbove(dbs.price));
    // And its pages from the write-ahead log into the database file: the
    // file alone holds them.
    const QString fileAlone = dbs.dir.filePath(QStringLiteral("file-alone.vdb"));
    ASSERT_TRUE(QFile::copy(dbs.pricePath, fileAlone));
    {
        db::Connection copy(fileAlone);
        EXPECT_EQ(ReadOffers(copy, first).size(), 3u);
        EXPECT_EQ(ReadOffers(copy, third).size(), 3u);
    }
    bool reported = false;
    for (const QString& s : statuses)
        reported |= s.startsWith(QStringLiteral("Загрузка прайс-листов:  2 из 3     #####  Не удалось прочитать прайс-лист Второй"));
    EXPECT_TRUE(reported) << statuses.join(u'\n').toStdString();
    // Where the exports of the others went follows.
    EXPECT_EQ(statuses.last(), QStringLiteral("Загружено 2 из 3, с ошибками: Второй    Папка: ") +
                                   dbs.dir.filePath(QStringLiteral("prices/Export")));
    EXPECT_EQ(Button(panel)->text(), kStartLoadCaption);
    EXPECT_TRUE(QFile::exists(dbs.dir.filePath(QStringLiteral("prices/Export/Третий.xlsx"))));
    EXPECT_FALSE(QFile::exists(dbs.dir.filePath(QStringLiteral("prices/Export/Второй.xlsx"))));
    EXPECT_TRUE(Button(panel)->isEnabled());
    EXPECT_FALSE(panel.isLoadRunning());

    // The post-load workbook of the first list, read back by openpyxl.
    const QString exported = dbs.dir.filePath(QStringLiteral("prices/Export/Первый.xlsx"));
    ASSERT_TRUE(QFile::exists(exported));
    const QString rows = RunPython(QStringLiteral(R"(
import sys, openpyxl
sheet = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
print(sheet["B1"].value)
for row in sheet.iter_rows(min_row=5, values_only=True):
    print("%s|%s|%s" % row[:3])
)"), {exported});
    EXPECT_EQ(rows, QStringLiteral("Первый\nD-1|Половина|10.5\nD-2|Три знака|10.13\nD-3|Сотни|1234\n"));
}

// A list longer than a workbook takes: the export after the queue writes
// what fits and tells the user how many goods it left out.
TEST_F(ThreeLists, GoodsCutFromTheWorkbookAfterTheQueueAreReported)
{
    const QString csv = dbs.dir.filePath(QStringLiteral("prices/long.csv"));
    {
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray rows;
        for (int i = 1; i <= exports::kMaxWorkbookRows + 2; ++i)
            rows += "A" + QByteArray::number(i) + ";Item " + QByteArray::number(i) + ";10\r\n";
        f.write(rows);
    }
    const QString name = QStringLiteral("Длинный");
    AddPriceList(dbs.price, name, csv);
    AddSheet(dbs.price, name, Sheet(QStringLiteral("long")));
    QStringList informed;
    LoadQueueEnvironment env = Environment();
    env.inform = [&informed](const QString& text) { informed << text; };
    LoadQueuePanel panel(env);
    panel.setQueueNames({name});
    RunToEnd(panel);
    QCoreApplication::processEvents();
    EXPECT_EQ(informed, QStringList{name + QStringLiteral(": Не выгружено товаров: 2 (в одном прайс-листе Excel не больше 65528 строк)")});
    EXPECT_TRUE(QFile::exists(dbs.dir.filePath(QStringLiteral("prices/Export/Длинный.xlsx"))));
}

TEST_F(ThreeLists, CsvSwitchWritesWindows1251Files)
{
    ASSERT_TRUE(WriteIniString(ini, QStringLiteral("SetupUsers"), QStringLiteral("1"), QStringLiteral("Export_CSV")));
    LoadQueuePanel panel(Environment());
    panel.setQueueNames({first, second, third});
    QSignalSpy repricing(&panel, &LoadQueuePanel::repricingRequested);
    const QStringList statuses = RunToEnd(panel);
    EXPECT_EQ(statuses.last(), QStringLiteral("Загружено 2 из 3, с ошибками: Второй    Папка: ") +
                                   dbs.dir.filePath(QStringLiteral("prices/Export")));
    EXPECT_FALSE(QFile::exists(dbs.dir.filePath(QStringLiteral("prices/Export/Второй.csv"))));
    QCoreApplication::processEvents();
    EXPECT_EQ(repricing.count(), 1);

    QFile csv(dbs.dir.filePath(QStringLiteral("prices/Export/Третий.csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(decodeCp1251(csv.readAll()),
              QStringLiteral("S-1;Тысячи точкой;\"1234,5\"\r\nS-2;Тысячи запятой;\"1234,5\"\r\nS-3;Запятая;\"12,5\"\r\n"));
}

TEST_F(ThreeLists, StopAfterTheFirstListEndsTheRunAfterIt)
{
    // A first list large enough to be still loading when the stop arrives.
    const QString big = dbs.dir.filePath(QStringLiteral("prices/big.xlsx"));
    WriteLargeXlsx(big, 60000, QStringLiteral("round"));
    db::Statement update = dbs.price.prepare(QStringLiteral("UPDATE AllPostavSetup SET Path = ?1 WHERE Postavshik = ?2"));
    update.bindText(1, big).bindText(2, first);
    update.execute();

    LoadQueuePanel panel(Environment());
    panel.setQueueNames({first, second, third});
    TPriceListLoadSave* thread = nullptr;
    bool pressed = false;
    const QStringList statuses = RunToEnd(panel, [&](const QString& status) {
        if (!pressed && status.startsWith(QStringLiteral("Загрузка прайс-листов:  1 из 3"))) {
            pressed = true;
            thread = panel.loadThread();
            panel.Button_LoadPriceClick(); // stop
            EXPECT_EQ(Button(panel)->text(), kStartLoadCaption);
            EXPECT_FALSE(Button(panel)->isEnabled()) << "no second run while the first is ending";
            panel.Button_LoadPriceClick(); // refused: still the same run
            EXPECT_EQ(panel.loadThread(), thread);
        }
    });
    EXPECT_TRUE(pressed);
    EXPECT_EQ(statuses.last(), QStringLiteral("Загрузка файлов ОСТАНОВЛЕНА!      загружено 1 из 3 прайс-листов"));
    EXPECT_EQ(ReadOffers(dbs.price, first).size(), 60000u);
    EXPECT_EQ(ReadOffers(dbs.price, third).size(), 0u);
    EXPECT_FALSE(supplierGoodsIndexPendingAbove(dbs.price));
    EXPECT_FALSE(QFile::exists(dbs.dir.filePath(QStringLiteral("prices/Export/Первый.xlsx")))) << "no export after a stop";
    EXPECT_EQ(Button(panel)->text(), kStartLoadCaption);
    EXPECT_TRUE(Button(panel)->isEnabled());
}

TEST_F(ThreeLists, StartsFromTheSelectedEntry)
{
    LoadQueuePanel panel(Environment());
    panel.setQueueNames({first, second, third});
    panel.findChild<QListWidget*>(QStringLiteral("ListBox_LoadPrice"))->setCurrentRow(2);
    const QStringList statuses = RunToEnd(panel);
    EXPECT_TRUE(statuses.contains(QStringLiteral("Загрузка прайс-листов:  1 из 1   ")));
    EXPECT_EQ(ReadOffers(dbs.price, first).size(), 0u);
    EXPECT_EQ(ReadOffers(dbs.price, third).size(), 3u);
}

TEST_F(ThreeLists, NewFileCheckOffersChangedFilesOnly)
{
    LoadQueuePanel panel(Environment());
    QStringList questions;
    LoadQueueEnvironment env = Environment();
    env.ask = [&](const QString& text) {
        questions << text;
        return false;
    };
    LoadQueuePanel checking(env);
    // Never loaded: every list with a file is offered.
    checking.CheckUpdatedPriceLists();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0], QStringLiteral("Обновились некоторые прайс-листы.\rДобавить их в очередь загрузки?"));

    // After a load the stamps are equal: no question.
    panel.setQueueNames({first, second, third});
    RunToEnd(panel);
    dbs.price.exec(QStringLiteral("UPDATE AllPostavSetup SET Path = '/nowhere/x.xlsx' WHERE Postavshik = 'Второй'"));
    questions.clear();
    checking.CheckUpdatedPriceLists();
    EXPECT_TRUE(questions.isEmpty());
}

TEST_F(ThreeLists, SingleListLoadsOnTheThreadWithoutExportAndRefusesASecond)
{
    LoadQueuePanel panel(Environment());
    QSignalSpy single(&panel, &LoadQueuePanel::singleLoadFinished);
    ASSERT_TRUE(panel.startSingleLoad(first));
    EXPECT_FALSE(panel.startSingleLoad(third)) << "one run at a time";
    ASSERT_TRUE(single.wait(60000));
    EXPECT_EQ(single.at(0).at(0).toString(), first);
    EXPECT_EQ(single.at(0).at(1).toString(), QString());
    EXPECT_EQ(ReadOffers(dbs.price, first).size(), 3u);
    EXPECT_EQ(ReadOffers(dbs.price, third).size(), 0u);
    // The list went into the search index, and the index on the articles
    // the load left off was built after it.
    EXPECT_TRUE(supplierGoodsIndexCurrent(dbs.price));
    EXPECT_FALSE(QDir(dbs.dir.filePath(QStringLiteral("prices/Export"))).exists());

    ASSERT_TRUE(panel.startSingleLoad(second));
    ASSERT_TRUE(single.wait(60000));
    EXPECT_TRUE(single.at(1).at(1).toString().startsWith(QStringLiteral("Не удалось прочитать прайс-лист")));
    EXPECT_EQ(Button(panel)->text(), kStartLoadCaption);
}

TEST_F(ThreeLists, HandOverOfTheLoadingRole)
{
    LoadQueueEnvironment env = Environment();
    env.userName = QStringLiteral("ivanov");
    bool answer = true;
    QStringList told;
    env.ask = [&](const QString&) { return answer; };
    env.inform = [&](const QString& text) { told << text; };
    LoadQueuePanel panel(env);
    QSignalSpy role(&panel, &LoadQueuePanel::loadAdminChanged);
    auto* box = panel.findChild<QCheckBox*>(QStringLiteral("CheckBox_LoadBasePostav"));
    ASSERT_TRUE(box);

    answer = false; // unticked, then "No": this user stays
    box->setChecked(false);
    panel.CheckBox_LoadBasePostavClick(false);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(ReadIniString(ini, QStringLiteral("SetupUsers"), QString(), QStringLiteral("UserAdminName")),
              QStringLiteral("ivanov"));
    EXPECT_EQ(role.count(), 0);

    answer = true;
    box->setChecked(false);
    panel.CheckBox_LoadBasePostavClick(false);
    EXPECT_EQ(ReadIniString(ini, QStringLiteral("SetupUsers"), QStringLiteral("x"), QStringLiteral("UserAdminName")), QString());
    ASSERT_EQ(role.count(), 1);
    EXPECT_FALSE(role.at(0).at(0).toBool());
    EXPECT_EQ(told, QStringList(QStringLiteral(
                        "Запустите программу под другим пользователем,\rчтобы передать ему управление загрузкой прайс-листов!")));
}

TEST_F(ThreeLists, DroppingAQueuedNameSelectsIt)
{
    LoadQueuePanel panel(Environment());
    panel.setQueueNames({first, second});
    panel.addToQueue(third);
    panel.addToQueue(first);
    EXPECT_EQ(panel.queueNames(), QStringList({first, second, third}));
    EXPECT_EQ(panel.findChild<QListWidget*>(QStringLiteral("ListBox_LoadPrice"))->currentRow(), 0);
}

} // namespace
} // namespace velmora::loader::test
