// The export parameters window, offscreen.
#include "output/parameters/export_parameters.h"
#include "output/parameters/form_parametr.h"
#include "../common/program_databases.h"
#include "parametr_rows.h"
#include "storage/settings_store.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::testing;

namespace {

class FormParametrTest : public ProgramDatabasesTest {
protected:
    void SetUp() override
    {
        ensureApplication();
        ProgramDatabasesTest::SetUp();
        window = std::make_unique<Form_parametr>(priceDb, orderDb, dataFolder());
    }
    void TearDown() override { window.reset(); }

    template <typename T = QWidget>
    T* control(const char* name) const
    {
        return findControl<T>(window.get(), name);
    }
    void type(const char* field, const QString& text) { control<QLineEdit>(field)->setText(text); }
    void click(const char* button) { control<QAbstractButton>(button)->click(); }
    void typeRate(const char* combo, const QString& text) { control<QComboBox>(combo)->setEditText(text); }

    std::unique_ptr<Form_parametr> window;
};

TEST_F(FormParametrTest, FirstOkOnADatabaseWithoutRowsStoresWhatWasTyped)
{
    priceDb.exec(QStringLiteral("DELETE FROM parametr"));
    window->show();
    EXPECT_TRUE(control<QLineEdit>("Edit_Out_1")->text().isEmpty());
    type("Edit_Out_1", QStringLiteral("Розница"));
    control<QSpinBox>("SpinEdit_Out_1")->setValue(25);
    type("Edit_Out_4", QStringLiteral("Интернет"));
    control<QSpinBox>("SpinEdit_Out_4")->setValue(12);
    type("Edit_FileName", QStringLiteral("price.xlsx"));
    click("Button_OutSet");
    EXPECT_FALSE(window->isVisible());
    const QStringList rows = parametrRows(priceDb);
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows.at(0), QStringLiteral("1|Розница|25||price.xlsx||0"));
    EXPECT_EQ(rows.at(3), QStringLiteral("4|Интернет|12| | | |0"));
    EXPECT_EQ(rows.at(5), QStringLiteral("6| |0| | | |0"));

    if (haveSqliteShell(QStringLiteral(VELMORA_SQLITE3_SHELL))) {
        priceDb.close();
        EXPECT_EQ(sqliteShell(QStringLiteral(VELMORA_SQLITE3_SHELL), dir.filePath(QStringLiteral("PRICE.vdb")),
                              QStringLiteral("SELECT Name_out, Nacen_out FROM parametr WHERE Id IN (1, 4) ORDER BY Id")),
                  QStringLiteral("Розница|25\nИнтернет|12\n"));
    }
}

TEST_F(FormParametrTest, CancelStoresNothing)
{
    const QStringList before = parametrRows(priceDb);
    window->show();
    type("Edit_Out_2", QStringLiteral("Опт"));
    typeRate("ComboBox_USD", QStringLiteral("99"));
    click("Button_Exit");
    EXPECT_EQ(parametrRows(priceDb), before);
    EXPECT_EQ(SettingsStore(orderDb).readText(QStringLiteral("ComboBox_USD")), QStringLiteral("ЦБРФ"));
}

TEST_F(FormParametrTest, RatesAndTheirSurcharges)
{
    struct Case {
        const char* combo;
        const char* spin;
        const char* typed;
        bool surchargeEnabled;
        const char* stored;
    };
    const Case cases[] = {
        {"ComboBox_USD", "SpinEdit_USD", "36.5", false, "36,5"},
        {"ComboBox_USD", "SpinEdit_USD", "36,5", false, "36,5"},
        {"ComboBox_USD", "SpinEdit_USD", "abc", false, "36,5"}, // unchanged, no message
        {"ComboBox_EUR", "SpinEdit_EUR", "ЦБРФ", true, "ЦБРФ"},
        {"ComboBox_RUB", "SpinEdit_RUB", "1", false, "1"},
    };
    for (const Case& c : cases) {
        window->show();
        typeRate(c.combo, QStringLiteral("ЦБРФ"));
        ASSERT_TRUE(control<QSpinBox>(c.spin)->isEnabled());
        control<QSpinBox>(c.spin)->setValue(4);
        typeRate(c.combo, QString::fromUtf8(c.typed));
        EXPECT_EQ(control<QSpinBox>(c.spin)->isEnabled(), c.surchargeEnabled) << c.typed;
        EXPECT_EQ(control<QSpinBox>(c.spin)->value(), c.surchargeEnabled ? 4 : 0) << c.typed;
        click("Button_OutSet");
        SettingsStore settings(orderDb);
        EXPECT_EQ(settings.readText(QLatin1String(c.combo)), QString::fromUtf8(c.stored)) << c.typed;
        EXPECT_EQ(settings.readInteger(QLatin1String(c.spin)), c.surchargeEnabled ? 4 : 0) << c.typed;
    }
    // Shown again: a stored central-bank rate enables its surcharge.
    window->show();
    EXPECT_TRUE(control<QSpinBox>("SpinEdit_EUR")->isEnabled());
    EXPECT_EQ(control<QSpinBox>("SpinEdit_EUR")->value(), 4);
    EXPECT_FALSE(control<QSpinBox>("SpinEdit_RUB")->isEnabled());
}

TEST_F(FormParametrTest, FolderButtonsFillTheirFields)
{
    struct Case {
        const char* button;
        const char* field;
        const char* suffix;
    };
    const Case cases[] = {
        {"SpeedButton1", "Edit_Path", "/"},
        {"SpeedButton2", "Edit_DBF", "/"},
        {"SpeedButton3", "Edit_Access", "/"},
        {"SpeedButton4", "Edit_XML", "/price.xml"},
    };
    QDir().mkpath(dir.filePath(QStringLiteral("exports")));
    const QString folder = QDir(dir.filePath(QStringLiteral("exports"))).canonicalPath();
    window->show();
    auto* tree = control<QTreeView>("TreeView_Path");
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    ASSERT_NE(model, nullptr);
    for (const Case& c : cases) {
        click(c.button);
        EXPECT_TRUE(control<QGroupBox>("GroupBox_Path")->isVisible()) << c.button;
        EXPECT_FALSE(control<QTabWidget>("PageControl1")->isVisible()) << c.button;
        EXPECT_FALSE(control<QPushButton>("Button_OutSet")->isVisible()) << c.button;
        tree->setCurrentIndex(model->index(folder));
        click("Button_Path");
        EXPECT_FALSE(control<QGroupBox>("GroupBox_Path")->isVisible()) << c.button;
        EXPECT_TRUE(control<QTabWidget>("PageControl1")->isVisible()) << c.button;
        EXPECT_EQ(control<QLineEdit>(c.field)->text(), folder + QLatin1String(c.suffix)) << c.button;
    }
    // "Запомнить" without a folder button changes no field.
    type("Edit_Path", QStringLiteral("kept"));
    click("Button_Path");
    EXPECT_EQ(control<QLineEdit>("Edit_Path")->text(), QStringLiteral("kept"));
}

TEST_F(FormParametrTest, TheYmlFileSettingStandsAboveRowFive)
{
    priceDb.exec(QStringLiteral("UPDATE parametr SET Path = 'P' WHERE Id = 5"));
    SettingsStore(orderDb).write(QStringLiteral("Edit_XML"), QStringLiteral("TypeText"), QStringLiteral("Q"));
    window->show();
    EXPECT_EQ(control<QLineEdit>("Edit_XML")->text(), QStringLiteral("Q"));
    type("Edit_XML", QStringLiteral("/srv/yml/price.xml"));
    click("Button_OutSet");
    EXPECT_EQ(readExportParameters(priceDb).ymlPath(), QStringLiteral("P"));
    EXPECT_EQ(SettingsStore(orderDb).readText(QStringLiteral("Edit_XML")), QStringLiteral("/srv/yml/price.xml"));
}

TEST_F(FormParametrTest, OtherWindowsOpenOnlyOnceTheirOpenersAreSet)
{
    window->show();
    EXPECT_FALSE(control<QToolButton>("SpeedButton5")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("Button_Excel")->isEnabled());

    window->setDataSourceOpener([](QWidget*) { return QStringLiteral("DSN=shop"); });
    int layoutOpened = 0;
    window->setLayoutOpener([&layoutOpened](QWidget*) { ++layoutOpened; });
    click("SpeedButton5");
    EXPECT_EQ(control<QLineEdit>("Edit_ConStr")->text(), QStringLiteral("DSN=shop"));
    click("Button_Excel");
    EXPECT_EQ(layoutOpened, 1);
    EXPECT_FALSE(window->isVisible());
}

} // namespace
