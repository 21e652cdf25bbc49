// The shop's currency in the running program: the goods list's rouble
// price takes its rate from the currency table, and on a fresh start in
// roubles the YML catalogue and the price-list layout say roubles.
#include "../common/program_databases.h"
#include "app_environment.h"
#include "app_test_support.h"
#include "wired_installation.h"

#include "app/form_main.h"
#include "app/program.h"
#include "platform/spreadsheet/handover.h"
#include "storage/settings_store.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace velmora;
using namespace velmora::testing;

namespace {

// One group with one monitor at 10500, described for the catalogue.
struct ShopInstallation : WiredInstallation {
    ShopInstallation()
    {
        db::Connection priceDb = priceDefaults();
        priceDb.exec(QStringLiteral("INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant) "
                                    "VALUES (1, 0, 1, 0, 5, 'Мониторы', 0, '')"));
        priceDb.exec(QStringLiteral("INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Dates, "
                                    "Garant, Sale, SuperPrice) VALUES (7, 'M-7', '1', 'Монитор', 10500, 0, 10500, 1, "
                                    "'1 год', 0, 0)"));
        priceDb.exec(QStringLiteral("INSERT INTO Price_Tovar_Info (Code, Art, URL, pictures, Comment) "
                                    "VALUES (7, 'M-7', 'http://shop.example/7', '', '')"));
    }
    // A currency setting of the price database, as the rates window keeps it.
    void setRateSetting(const char* name, const char* type, const char* value)
    {
        db::Connection priceDb = priceDefaults();
        WritePriceDbSetting(priceDb, QLatin1String(name), QLatin1String(type), QString::fromUtf8(value));
    }
    // Dollars as the display currency, at 90 roubles from the Russian bank
    // (its download fails in tests: the stored rates stand).
    void priceInDollarsAt90()
    {
        setRateSetting("ComboBox_ValutaName", "TypeInteger", "0");
        setRateSetting("ValutaKurs_USD", "TypeDouble", "90");
    }
};

// The program over a shop installation, started once the case has set the
// installation up; the start's own messages are dropped.
struct ShopRun {
    ShopInstallation inst;
    std::optional<Program> program;

    void start()
    {
        program.emplace(inst.options());
        ASSERT_TRUE(program->start());
        processEventsFor(100);
        inst.messages.clear();
    }
    Form_main& form() { return *program->Form_main(); }

    // "Цена, руб." of the monitor in the own goods list.
    QString roublePrice()
    {
        findControl<QTabWidget>(&form(), "PageControl_AllTovar")->setCurrentIndex(1);
        auto* tree = findControl<QTreeWidget>(&form(), "TreeView_Groups");
        auto* goods = findControl<QTableView>(&form(), "DBGrid_PriceMain");
        if (!tree || !goods || tree->topLevelItemCount() != 1)
            return QStringLiteral("<no list>");
        tree->setCurrentItem(tree->topLevelItem(0));
        QAbstractItemModel* model = goods->model();
        for (int column = 0; column < model->columnCount(); ++column)
            if (model->headerData(column, Qt::Horizontal).toString() == QStringLiteral("Цена, руб.") &&
                model->rowCount() == 1)
                return model->index(0, column).data().toString();
        return QStringLiteral("<no column>");
    }
};

TEST(WiredShopCurrency, TheRoublePriceTakesTheRateOfTheCurrencyTable)
{
    struct Case {
        const char* what;
        std::function<void(ShopInstallation&)> rates;
        const char* roubles;
    };
    const Case cases[] = {
        // A fresh start prices in roubles: 10500, not 10500 × 27.
        {"fresh start in roubles", [](ShopInstallation&) {}, "10500"},
        {"dollars at 90", [](ShopInstallation& inst) { inst.priceInDollarsAt90(); }, "945000"},
        // No rate source and no rate typed: the table knows no rouble
        // rate, so KursRUB (27 by default) stands.
        {"dollars without rates",
         [](ShopInstallation& inst) {
             inst.setRateSetting("ComboBox_ValutaName", "TypeInteger", "0");
             inst.setRateSetting("ComboBox_ValutaSite", "TypeInteger", "0");
         },
         "283500"},
    };
    for (const Case& c : cases) {
        ShopRun run;
        c.rates(run.inst);
        ASSERT_NO_FATAL_FAILURE(run.start());
        EXPECT_EQ(run.roublePrice(), QLatin1String(c.roubles)) << c.what;
        run.form().close();
    }
}

TEST(WiredShopCurrency, ThePriceListsRoubleColumnIsAtTheDollarsRate)
{
    ShopRun run;
    ShopInstallation& inst = run.inst;
    QFile::copy(QStringLiteral(VELMORA_PROGRAM_DIR "/Price-List.xlsx"), inst.program + QStringLiteral("Price-List.xlsx"));
    inst.priceInDollarsAt90();
    ASSERT_NO_FATAL_FAILURE(run.start());
    Form_main& form = run.form();
    sheet::setDesktopOpeningEnabled(false);
    // From row 4: the name in A, price column 1 in roubles in B.
    SettingsStore layout(form.ADOConnection_Zakaz);
    layout.write(QStringLiteral("ComboBox_StartRowItemIndex"), QStringLiteral("TypeInteger"), QStringLiteral("4"));
    layout.write(QStringLiteral("ComboBox_Tovar"), QStringLiteral("TypeInteger"), QStringLiteral("1"));
    layout.write(QStringLiteral("ComboBox_Price1"), QStringLiteral("TypeInteger"), QStringLiteral("2"));
    layout.write(QStringLiteral("CheckBox_Price1Kurs"), QStringLiteral("TypeInteger"), QStringLiteral("1"));
    ASSERT_TRUE(form.hooks().ExportPriceExcel);
    ASSERT_TRUE(form.hooks().ExportPriceExcel(nullptr)) << inst.messages.join(u'\n').toStdString();

    const QDir folder(inst.program + QStringLiteral("Прайс-лист Excel"));
    const QStringList files = folder.entryList({QStringLiteral("*.xlsx")}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import openpyxl, sys\n"
                                 "sheet = openpyxl.load_workbook(sys.argv[1])['Прайс-лист']\n"
                                 "print(sheet['A5'].value, '%g' % sheet['B5'].value)"),
                  folder.filePath(files.first())});
    ASSERT_TRUE(python.waitForFinished(60000));
    // 10500 dollars at 90 roubles.
    EXPECT_EQ(QString::fromUtf8(python.readAllStandardOutput()).trimmed(), QStringLiteral("Монитор 945000"))
        << python.readAllStandardError().toStdString();
    form.close();
}

TEST(WiredShopCurrency, AFreshStartInRoublesWritesRoublesIntoTheCatalogueAndTheLayout)
{
    ShopRun run;
    ShopInstallation& inst = run.inst;
    ASSERT_NO_FATAL_FAILURE(run.start());
    Form_main& form = run.form();

    auto* xml = form.findChild<QAction*>(QStringLiteral("XML1"));
    ASSERT_NE(xml, nullptr);
    xml->trigger();
    const QString catalogue = inst.program + QStringLiteral("XML каталог/price.xml");
    ASSERT_TRUE(QFileInfo::exists(catalogue)) << inst.messages.join(u'\n').toStdString();
    QProcess xmllint;
    xmllint.start(QStringLiteral("xmllint"),
                  {QStringLiteral("--xpath"), QStringLiteral("string(//offer[@id='7']/currencyId)"), catalogue});
    ASSERT_TRUE(xmllint.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(xmllint.readAllStandardOutput()).trimmed(), QStringLiteral("RUR"));

    auto* layoutItem = form.findChild<QAction*>(QStringLiteral("Excel1"));
    ASSERT_NE(layoutItem, nullptr);
    layoutItem->trigger();
    auto* layout = form.findChild<QDialog*>(QStringLiteral("Form_PriceExcel"));
    ASSERT_NE(layout, nullptr);
    for (int k = 1; k <= 4; ++k) {
        auto* currency = layout->findChild<QComboBox*>(QStringLiteral("CheckBox_Price%1Kurs").arg(k));
        ASSERT_NE(currency, nullptr) << k;
        EXPECT_EQ(currency->currentText().trimmed(), QStringLiteral("руб.")) << k;
    }
    layout->close();
    form.close();
}

} // namespace
