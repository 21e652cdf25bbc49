// The save panel: which files an on-demand export writes, and its errors.
#include "loader_test_support.h"

#include "platform/spreadsheet/templates.h"
#include "suppliers/exports/panel_export.h"
#include "suppliers/exports/price_save_panel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

namespace velmora::exports {
namespace {

using loader::test::AddPriceList;
using loader::test::InsertOffers;
using loader::test::TestDatabases;

QApplication& App()
{
    static int argc = 1;
    static char name[] = "loader_save_panel_test";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

class TwoSuppliers : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        prices = dbs.dir.filePath(QStringLiteral("prices"));
        QDir().mkpath(prices);
        AddPriceList(dbs.price, first, prices + QStringLiteral("/first.xlsx"));
        AddPriceList(dbs.price, second, prices + QStringLiteral("/second.xlsx"));
        InsertOffers(dbs.price, first, 3);
        InsertOffers(dbs.price, second, 2);
        request.names = {first, second};
        request.templatePath = sheet::templatePath(QStringLiteral(VELMORA_PROGRAM_DIR), QStringLiteral("PriceExcel.xls"));
        request.displayCode = QStringLiteral("RUB");
    }

    TestDatabases dbs;
    QString prices;
    const QString first = QStringLiteral("Первый");
    const QString second = QStringLiteral("Второй/Б");
    PanelExportRequest request;
};

TEST_F(TwoSuppliers, OneSupplierGoesBesideItsPriceFile)
{
    request.selectedName = first;
    const PanelExportResult result = RunPanelExport(dbs.price, request);
    EXPECT_EQ(result.files, QStringList({prices + QStringLiteral("/Export/Первый.xlsx")}));
    EXPECT_TRUE(QFile::exists(result.files[0]));
}

TEST_F(TwoSuppliers, UnknownSupplierIsAnErrorNotEveryList)
{
    request.selectedName = QStringLiteral("Нет такого");
    EXPECT_THROW(RunPanelExport(dbs.price, request), ExportError);
    EXPECT_FALSE(QDir(prices + QStringLiteral("/Export")).exists());
}

TEST_F(TwoSuppliers, AllSuppliersIntoTheFolderOrOneWorkbook)
{
    request.allSuppliers = true;
    request.folder = dbs.dir.filePath(QStringLiteral("out/"));
    int steps = 0;
    PanelExportResult result = RunPanelExport(dbs.price, request, [&](int) { ++steps; });
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(result.files, QStringList({request.folder + QStringLiteral("Первый.xlsx"),
                                         request.folder + QStringLiteral("Второй_Б.xlsx")}));
    request.oneWorkbook = true;
    result = RunPanelExport(dbs.price, request);
    EXPECT_EQ(result.files, QStringList({request.folder + QStringLiteral("TovarAll.xlsx")}));
    EXPECT_TRUE(QFile::exists(result.files[0]));
}

TEST_F(TwoSuppliers, PanelShowsFolderErrorsAndExportsOnItsThread)
{
    PriceSaveEnvironment env;
    env.pricePath = dbs.pricePath;
    env.programFolder = QStringLiteral(VELMORA_PROGRAM_DIR);
    env.orderDb = &dbs.order;
    const QString folder = dbs.dir.filePath(QStringLiteral("chosen"));
    env.chooseFolder = [&](const QString&) { return folder; };
    PriceSavePanel panel(env);
    panel.setSupplierNames({first, second});
    panel.findChild<QRadioButton*>(QStringLiteral("RadioButton_AllPrice"))->setChecked(true);
    panel.findChild<QLineEdit*>(QStringLiteral("Edit_SaveAllPath"))->clear();
    panel.BitBtn_ExcelSavePriceClick();
    auto* error = panel.findChild<QLabel*>(QStringLiteral("Label_ErrorSave"));
    EXPECT_EQ(error->text(), QStringLiteral("Пустое значение для пути выгрузки файла"));
    EXPECT_FALSE(panel.isExporting());

    panel.SpeedButton1Click();
    EXPECT_EQ(panel.findChild<QLineEdit*>(QStringLiteral("Edit_SaveAllPath"))->text(), folder + u'/');
    QSignalSpy finished(&panel, &PriceSavePanel::exportFinished);
    panel.BitBtn_ExcelSavePriceClick();
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(finished.at(0).at(1).toString(), QString());
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Первый.xlsx")));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Второй_Б.xlsx")));
}

// A list whose Path names no file ("-" when new, or empty) has no folder
// beside it: the panel asks for one, and a cancelled choice writes nothing
// (never an Export folder in the working folder).
TEST_F(TwoSuppliers, OneSupplierWithoutAFileAsksForAFolder)
{
    for (const char* path : {"-", ""}) {
        SCOPED_TRACE(path);
        db::Statement update = dbs.price.prepare(QStringLiteral("UPDATE AllPostavSetup SET Path = ?1 WHERE Postavshik = ?2"));
        update.bindText(1, QString::fromLatin1(path)).bindText(2, first);
        update.execute();
        PriceSaveEnvironment env;
        env.pricePath = dbs.pricePath;
        env.programFolder = QStringLiteral(VELMORA_PROGRAM_DIR);
        env.orderDb = &dbs.order;
        QString answer;
        int asked = 0;
        env.chooseFolder = [&](const QString&) {
            ++asked;
            return answer;
        };
        PriceSavePanel panel(env);
        panel.setSupplierNames({first, second});
        panel.findChild<QRadioButton*>(QStringLiteral("RadioButton_OnePrice"))->setChecked(true);
        QSignalSpy finished(&panel, &PriceSavePanel::exportFinished);
        panel.BitBtn_ExcelSavePriceClick();
        EXPECT_EQ(asked, 1);
        EXPECT_FALSE(panel.isExporting()) << "cancelled";
        EXPECT_FALSE(QDir(QStringLiteral("Export")).exists());

        answer = dbs.dir.filePath(QStringLiteral("chosen-%1").arg(asked));
        panel.BitBtn_ExcelSavePriceClick();
        ASSERT_TRUE(finished.wait(60000));
        EXPECT_EQ(finished.at(0).at(0).toStringList(), QStringList(answer + QStringLiteral("/Первый.xlsx")));
        EXPECT_EQ(finished.at(0).at(1).toString(), QString());
        EXPECT_FALSE(QDir(QStringLiteral("Export")).exists());
    }
}

} // namespace
} // namespace velmora::exports
