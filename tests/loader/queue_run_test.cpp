// The load thread's body with the loader and exports stubbed: status texts,
// stop requests and the after-queue branches.
#include "suppliers/exports/price_list_export.h"
#include "suppliers/loader/load_queue_run.h"

#include <gtest/gtest.h>

#include <QMap>

namespace velmora::loader {
namespace {

class StubHost : public QueueRunHost {
public:
    QMap<QString, QString> errors;   // name -> error text of its load
    int stopAfterLoads = -1;         // stop requested once this many lists loaded
    int stopAfterExports = -1;
    QString failExportOf;            // this export throws
    QStringList reports;             // "status|caption"
    QStringList calls;               // loads, exports, combined, repricing

    void report(const QString& statusText, const QString& buttonCaption) override
    {
        reports << statusText + u'|' + buttonCaption;
    }
    bool stopRequested() const override
    {
        return (stopAfterLoads >= 0 && loads_ >= stopAfterLoads) || (stopAfterExports >= 0 && exports_ >= stopAfterExports);
    }
    void pause(int) override {}
    QString loadPriceList(const QString& name, const QString&) override
    {
        ++loads_;
        calls << QStringLiteral("load ") + name;
        return errors.value(name);
    }
    QString exportCsv(const QString& name) override { return doExport(QStringLiteral("csv "), name); }
    QString exportWorkbook(const QString& name) override { return doExport(QStringLiteral("xlsx "), name); }
    void startCombinedExport(const QString& ownStockName) override { calls << QStringLiteral("combined ") + ownStockName; }
    void armRepricing() override { calls << QStringLiteral("repricing"); }

private:
    // Lists named "Z..." are kept in a folder of their own.
    QString doExport(const QString& kind, const QString& name)
    {
        if (name == failExportOf)
            throw exports::ExportError(QStringLiteral("Файл: ") + name + QStringLiteral(" занят"));
        ++exports_;
        calls << kind + name;
        return name.startsWith(u'Z') ? QStringLiteral("/prices/z/Export/") : QStringLiteral("/prices/Export/");
    }
    int loads_ = 0;
    int exports_ = 0;
};

const QString kStart = kStartLoadCaption;
const QString kStop = kStopLoadCaption;

TEST(QueueRun, ReportsEachListAndItsError)
{
    StubHost host;
    host.errors[QStringLiteral("B")] = QStringLiteral("Поставщик \"B\" Отключен!");
    QueueSwitches switches;
    switches.autoExport = false;
    const QueueRunOutcome outcome = RunLoadQueue({"A", "B", "C"}, host, switches);

    const QStringList expected = {
        "Загрузка прайс-листов:  1 из 3   |" + kStop,
        "Загрузка прайс-листов:  2 из 3   |" + kStop,
        "Загрузка прайс-листов:  2 из 3     #####  Поставщик \"B\" Отключен!  #####  |" + kStop,
        "Загрузка прайс-листов:  3 из 3   |" + kStop,
        "Загрузка файлов ЗАВЕРШЕНА!|" + kStop,
        "Загружено 2 из 3, с ошибками: B|" + kStart,
    };
    EXPECT_EQ(host.reports, expected);
    EXPECT_EQ(outcome.loaded, 2);
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_EQ(outcome.failedNames, QStringList{"B"});
    EXPECT_FALSE(outcome.stopped);
}

TEST(QueueRun, StopEndsAfterTheCurrentListAndSkipsTheExport)
{
    StubHost host;
    host.stopAfterLoads = 2;
    const QueueRunOutcome outcome = RunLoadQueue({"A", "B", "C", "D", "E"}, host, QueueSwitches{});
    EXPECT_EQ(host.calls, QStringList({"load A", "load B"}));
    EXPECT_EQ(host.reports.last(), "Загрузка файлов ОСТАНОВЛЕНА!      загружено 2 из 5 прайс-листов|" + kStart);
    EXPECT_TRUE(outcome.stopped);
}

TEST(QueueRun, AfterQueueBranches)
{
    struct Case {
        const char* label;
        QueueSwitches switches;
        QStringList calls; // after the loads
        QString lastReport;
    };
    const QString excelDone = "Загрузка и экспорт в Excel успешно завершен!    Обработано: 2 файла    Папка: /prices/Export|" + kStart;
    const QString nothingExported = "Загрузка и экспорт в Excel успешно завершен!    Обработано: 2 файла|" + kStart;
    const std::vector<Case> cases = {
        {"Brevik-Moto", {true, false, false, true}, {"combined _Бревик-мото"}, "Загрузка файлов ЗАВЕРШЕНА!|" + kStop},
        {"Brevik-Moto before Ormita", {true, true, true, true}, {"combined _Бревик-мото"},
         "Загрузка файлов ЗАВЕРШЕНА!|" + kStop},
        {"Ormita", {false, true, true, true}, {"combined _Наш склад"}, "Загрузка файлов ЗАВЕРШЕНА!|" + kStop},
        {"CSV", {false, false, true, true}, {"csv A", "csv B", "repricing"},
         "Загрузка и экспорт в CSV успешно завершена!    Обработано: 2 файла    Папка: /prices/Export|" + kStart},
        {"CSV switch without automatic export", {false, false, true, false}, {}, nothingExported},
        {"workbooks", {false, false, false, true}, {"xlsx A", "xlsx B"}, excelDone},
        {"no export", {false, false, false, false}, {}, nothingExported},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        StubHost host;
        RunLoadQueue({"A", "B"}, host, c.switches);
        EXPECT_EQ(host.calls.mid(2), c.calls);
        EXPECT_EQ(host.reports.last(), c.lastReport);
    }
}

// A list that failed to load is not exported, in either export, and the
// final status names every failed list.
TEST(QueueRun, FailedListsAreNamedAndNotExported)
{
    for (const bool csv : {false, true}) {
        SCOPED_TRACE(csv ? "CSV" : "workbooks");
        StubHost host;
        host.errors[QStringLiteral("B")] = QStringLiteral("прайс-лист B отсутствует");
        host.errors[QStringLiteral("D")] = QStringLiteral("Не удалось прочитать прайс-лист D");
        QueueSwitches switches;
        switches.exportCsv = csv;
        RunLoadQueue({"A", "B", "C", "D"}, host, switches);
        const QString kind = csv ? QStringLiteral("csv ") : QStringLiteral("xlsx ");
        QStringList exported;
        for (const QString& call : host.calls)
            if (call.startsWith(kind))
                exported << call;
        EXPECT_EQ(exported, QStringList({kind + "A", kind + "C"}));
        EXPECT_TRUE(host.reports.contains("Экспорт прайс-листов в Excel:  2 из 2   |" + kStop));
        EXPECT_EQ(host.reports.last(), "Загружено 2 из 4, с ошибками: B, D    Папка: /prices/Export|" + kStart);
    }
}

// The success names where the files went: one folder, or each of them;
// the count agrees with its noun.
TEST(QueueRun, TheSuccessNamesTheFoldersTheExportsWentInto)
{
    const struct {
        QStringList names;
        QString last;
    } cases[] = {
        {{"A"}, "Загрузка и экспорт в Excel успешно завершен!    Обработано: 1 файл    Папка: /prices/Export"},
        {{"A", "Z1", "B", "Z2", "C"},
         "Загрузка и экспорт в Excel успешно завершен!    Обработано: 5 файлов    Папки: /prices/Export; /prices/z/Export"},
    };
    for (const auto& c : cases) {
        StubHost host;
        RunLoadQueue(c.names, host, QueueSwitches{});
        EXPECT_EQ(host.reports.last(), c.last + u'|' + kStart);
    }
    StubHost one;
    one.stopAfterLoads = 0;
    RunLoadQueue({"A"}, one, QueueSwitches{});
    EXPECT_EQ(one.reports.last(), "Загрузка файлов ОСТАНОВЛЕНА!      загружено 0 из 1 прайс-листа|" + kStart);
}

TEST(QueueRun, ExportProgressAndStop)
{
    StubHost host;
    host.stopAfterExports = 1;
    QueueSwitches switches;
    RunLoadQueue({"A", "B", "C"}, host, switches);
    EXPECT_TRUE(host.reports.contains("Экспорт прайс-листов в Excel:  1 из 3   |" + kStop));
    EXPECT_EQ(host.reports.last(), "Экспорт в Excel ОСТАНОВЛЕН!      выгружено 1 из 3 прайс-листов|" + kStart);

    StubHost csv;
    csv.stopAfterExports = 2;
    switches.exportCsv = true;
    RunLoadQueue({"A", "B", "C"}, csv, switches);
    EXPECT_EQ(csv.reports.last(), "Экспорт в ОСТАНОВЛЕН!      выгружено 2 из 3 прайс-листов|" + kStart);
    EXPECT_TRUE(csv.calls.contains(QStringLiteral("repricing")));
}

TEST(QueueRun, ExportFailureEndsWithItsTextAndTheStartCaption)
{
    StubHost host;
    host.failExportOf = QStringLiteral("B");
    QueueSwitches switches;
    switches.exportCsv = true;
    RunLoadQueue({"A", "B", "C"}, host, switches);
    EXPECT_EQ(host.calls.mid(3), QStringList({"csv A"}));
    EXPECT_EQ(host.reports.last(), "Файл: B занят|" + kStart);
}

} // namespace
} // namespace velmora::loader
