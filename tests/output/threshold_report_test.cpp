// The markup-threshold report of every group, read back by openpyxl: its
// header and widths from the tree's depth, the groups in walk order, the
// general thresholds for a group without its own, the switch lines.
#include "output_test_support.h"
#include "pricing_fixture.h"

#include "output/output_error.h"
#include "output/reports/markup_threshold_report.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::testing;
using velmora::output::test::runTool;

namespace {

QJsonObject firstSheet(const QString& path)
{
    const auto run = runTool(QStringLiteral("/usr/bin/python3"),
                             {QStringLiteral(VELMORA_TEST_DATA "/../spreadsheet/dump_xlsx.py"), path});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    return QJsonDocument::fromJson(run.output).object().value("sheets").toArray().at(0).toObject();
}

QString cell(const QJsonObject& sheet, const QString& a1)
{
    const QJsonValue value = sheet.value("cells").toObject().value(a1).toObject().value("value");
    return value.isDouble() ? QString::number(value.toDouble()) : value.toString();
}

// Cells A to H of a row joined by "|".
QString row(const QJsonObject& sheet, int r)
{
    QStringList values;
    for (char c = 'A'; c <= 'H'; ++c)
        values << cell(sheet, QString(QChar(c)) + QString::number(r));
    return values.join(u'|');
}

class RecordingProgress : public Progress {
public:
    void start(const QString& text, int steps) override
    {
        this->text = text;
        total = steps;
    }
    void step(int count) override { done += count; }
    void finish() override { ++finished; }
    QString text;
    int total = -1;
    int done = 0;
    int finished = 0;
};

class ThresholdReportTest : public PricingTest {
protected:
    void thresholds(qint64 group, std::initializer_list<std::pair<int, int>> pairs)
    {
        QVariantList values{group};
        for (const auto& [price, markup] : pairs)
            values << price << markup;
        exec(QStringLiteral("INSERT INTO MinPrice_Nacen (Kategor, Price1, Nacen1, Price2, Nacen2, Price3, Nacen3, "
                            "Price4, Nacen4, Price5, Nacen5) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)"),
             values);
    }
    QString program() const { return dir.filePath(QStringLiteral("program")); }
};

TEST_F(ThresholdReportTest, ThreeLevelsInWalkOrderWithTheGeneralThresholdsForGroupsWithoutTheirOwn)
{
    addGroup(1, 0, 1, QStringLiteral("Инструмент"));
    addGroup(5, 0, 2, QStringLiteral("Крепеж"));
    addGroup(4, 1, 2, QStringLiteral("Ручной"));
    addGroup(2, 1, 1, QStringLiteral("Электроинструмент"));
    addGroup(3, 2, 1, QStringLiteral("Дрели"));
    thresholds(0, {{100, 15}, {200, 10}, {300, 8}, {400, 5}, {500, 3}});
    thresholds(2, {{50, 20}, {150, 12}, {250, 9}, {350, 6}, {450, 4}});
    thresholds(5, {{10, 30}, {20, 25}, {30, 20}, {40, 15}, {50, 10}});

    RecordingProgress progress;
    const ThresholdReportSwitches switches{true, false, true, false};
    const QString path = WriteMarkupThresholdReport(priceDb, switches, program(), &progress);
    EXPECT_EQ(path, QDir(program()).filePath("Отчет.xlsx"));
    EXPECT_EQ(progress.text, "        Выгрузка отчета по настрокам каждой категории");
    EXPECT_EQ(progress.total, 2 * 5 + 2);
    EXPECT_EQ(progress.done, progress.total);
    EXPECT_GE(progress.finished, 1);

    const QJsonObject sheet = firstSheet(path);
    EXPECT_EQ(sheet.value("name").toString(), "Пороги наценок");
    EXPECT_EQ(sheet.value("merges").toArray(), (QJsonArray{"A1:C1", "D1:H1"}));
    const QJsonObject widths = sheet.value("widths").toObject();
    EXPECT_NEAR(widths.value("A").toDouble(), 2, 1);
    EXPECT_NEAR(widths.value("B").toDouble(), 2, 1);
    EXPECT_NEAR(widths.value("C").toDouble(), 35, 1);
    for (const char* column : {"D", "E", "F", "G", "H"})
        EXPECT_NEAR(widths.value(column).toDouble(), 12, 1) << column;
    EXPECT_FALSE(sheet.value("summaryBelow").toBool()) << "summary rows above their details";

    const QString general = "100$ - 15%|200$ - 10%|300$ - 8%|400$ - 5%|500$ - 3%";
    const QStringList expected{
        "Группы товаров|||Пороги наценок (Цена$ - Наценка%)||||",
        "Инструмент|||" + general,
        "|Электроинструмент||50$ - 20%|150$ - 12%|250$ - 9%|350$ - 6%|450$ - 4%",
        "||Дрели|" + general,
        "|Ручной||" + general,
        "Крепеж|||10$ - 30%|20$ - 25%|30$ - 20%|40$ - 15%|50$ - 10%",
        "|||||||",
        "При расчете минимальной цены УЧИТЫВАТЬ пороги дополнительной наценки|||||||",
        "При расчете минимальной цены НЕ УЧИТЫВАЮТСЯ индивидуальные настройки каждой группы|||||||",
        "Для разных групп УЧИТЫВАТЬ настройки по разным поставщикам|||||||",
        "Пороги дополнительной наценки общие для всех групп товаров|||||||",
    };
    for (int r = 1; r <= expected.size(); ++r)
        EXPECT_EQ(row(sheet, r), expected[r - 1]) << r;
}

TEST_F(ThresholdReportTest, TheOtherSwitchTextsAndAnEmptyTree)
{
    const QString path = WriteMarkupThresholdReport(priceDb, {false, true, false, true}, program());
    const QJsonObject sheet = firstSheet(path);
    EXPECT_EQ(sheet.value("merges").toArray(), QJsonArray{"B1:F1"});
    EXPECT_EQ(row(sheet, 1), "Группы товаров|Пороги наценок (Цена$ - Наценка%)||||||");
    EXPECT_EQ(row(sheet, 2), "|||||||");
    EXPECT_EQ(cell(sheet, "A3"), "Пороги дополнительной наценки НЕ УЧИТЫВАЮТСЯ");
    EXPECT_EQ(cell(sheet, "A4"), "УЧИТЫВАЮТСЯ индивидуальные настройки каждой группы при расчете минимальной цены ");
    EXPECT_EQ(cell(sheet, "A5"), "Для разных групп настройки по разным поставщикам НЕ УЧИТЫВАЮТСЯ");
    EXPECT_EQ(cell(sheet, "A6"), "Для разных групп свои пороги дополнительной наценки");
}

TEST_F(ThresholdReportTest, AFolderOrFileThatCannotBeWrittenIsReportedAndTheWaitWindowCloses)
{
    addGroup(1, 0, 1, QStringLiteral("Инструмент"));
    // The program folder's place holds a file: the folder cannot be made.
    const QString blocked = dir.filePath("blocked");
    output::test::writeBytes(blocked, "x");
    RecordingProgress progress;
    try {
        WriteMarkupThresholdReport(priceDb, {}, blocked + "/program", &progress);
        ADD_FAILURE() << "no error";
    } catch (const OutputError& e) {
        EXPECT_EQ(e.message(), "Невозможно создать директорию " + blocked + "/program");
    }
    EXPECT_EQ(progress.finished, 1);

    // A folder stands where the report goes: the save fails, nothing is left.
    QDir().mkpath(QDir(program()).filePath("Отчет.xlsx"));
    try {
        WriteMarkupThresholdReport(priceDb, {}, program(), &progress);
        ADD_FAILURE() << "no error";
    } catch (const OutputError& e) {
        EXPECT_EQ(e.message(), "Файл не был сохранен!");
    }
    EXPECT_EQ(progress.finished, 2);
    EXPECT_EQ(QDir(program()).entryList(QDir::Files), QStringList{});
}

} // namespace
