// The supplier settings in the wired program: the two buttons of the
// settings panel and their windows, the price history beside the price-list
// settings.
#include "app/main_status_bar.h"
#include "app/program.h"
#include "app_environment.h"
#include "app_test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

using namespace velmora;
using namespace velmora::testing;

namespace {

const auto* const applicationEnvironment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

struct SettingsInstallation : Installation {
    QStringList messages;
    QStringList questions;

    SettingsInstallation()
    {
        db::Connection priceDb(program + QStringLiteral("PRICE.vdb"));
        priceDb.exec(QStringLiteral(
            "INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, PostavVisible, Dates, PriceConversion)"
            " VALUES (1, 'Альфа', '-', 1, 1, 0, 1);"
            "INSERT INTO AllTovarPostav (Postavshik, Art, Tovar, TextNoName, Description, PriceOut) VALUES"
            " ('Альфа', 'dr-10', 'Дрель ударная', 'Bosch', 'описание', 100);"
            "INSERT INTO AllPriceHistory (Postavshik, Art, Tovar, PriceOut, Dates) VALUES"
            " ('Альфа', 'dr-10', 'Дрель ударная', 90, 45700.5)"));
        db::Connection orderDb(program + QStringLiteral("BaseZakaz.vdb"));
        WriteSetting(orderDb, QStringLiteral("Альфа_PriceHistoryLoad"), QStringLiteral("TypeBoolean"),
                     QStringLiteral("-1"));
    }

    ProgramOptions options()
    {
        ProgramOptions o;
        o.folders = {program, data, QStringLiteral("anna")};
        o.dialogs.message = [this](const QString& text) { messages << text; };
        o.dialogs.confirm = [this](const QString& text) {
            questions << text;
            return true;
        };
        o.dialogs.openFileName = [](QWidget*, const QString&) { return QString(); };
        o.interactive = false;
        return o;
    }
};

template <typename T>
T* named(QObject& root, const char* name)
{
    T* object = root.findChild<T*>(QLatin1String(name));
    EXPECT_NE(object, nullptr) << name;
    return object;
}

bool isInside(const QWidget* widget, const QWidget* container)
{
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (w == container)
            return true;
    return false;
}

TEST(WiredSupplierSettings, TheSettingsWindowAssignsABrandAndRecalculatesArticles)
{
    SettingsInstallation inst;
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    QCoreApplication::processEvents();

    auto* open = named<QPushButton>(form, "Button_PostavSetup");
    ASSERT_TRUE(open);
    EXPECT_EQ(open->text(), QStringLiteral("Настройки поставщиков"));
    EXPECT_TRUE(isInside(open, named<QWidget>(form, "Panel_Setup")));
    open->click();
    auto* window = named<QDialog>(form, "Form_PostavSetup");
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());

    named<QComboBox>(*window, "ComboBox_BrandNameEtalon")->setEditText(QStringLiteral("BOSCH"));
    named<QPushButton>(*window, "Button_EditBrand")->click();
    EXPECT_EQ(form.ADOConnection.scalar(QStringLiteral("SELECT BrandNameEtalon FROM BrandNamePostav")).toString(),
              QStringLiteral("BOSCH"));

    named<QCheckBox>(*window, "CheckBox_Art_All")->click();
    named<QCheckBox>(*window, "CheckBox_Art_03")->setChecked(true);
    named<QPushButton>(*window, "Button_ArticulUpdate")->click();
    EXPECT_EQ(form.ADOConnection.scalar(QStringLiteral("SELECT Description FROM AllTovarPostav")).toString(),
              QStringLiteral("DR-10"));
    EXPECT_EQ(mainStatusText(form, 1), QStringLiteral("Обработка:  - преобразование артикулов.    Выполнено:  100%"));
    window->close();
    form.close();
}

TEST(WiredSupplierSettings, PriorityBrandsOpenModallyAndTheHistoryStandsBesideTheListSettings)
{
    SettingsInstallation inst;
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    QCoreApplication::processEvents();

    auto* panel = named<QWidget>(form, "Panel_Setup");
    panel->show();
    bool shown = false;
    QTimer::singleShot(0, &form, [&] {
        auto* window = form.findChild<QDialog*>(QStringLiteral("Form_BrendPriory"));
        ASSERT_NE(window, nullptr);
        shown = window->isModal() && window->isVisible();
        window->findChild<QPushButton*>(QStringLiteral("Button_BrendPrioryAdd"))->click();
        window->close();
    });
    named<QPushButton>(form, "Button_BrendPriory")->click();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(form.ADOConnection.scalar(QStringLiteral("SELECT BrendName FROM BrendPriory")).toString(),
              QStringLiteral("Bosch"));

    // The first list is shown at start with its history on: its loads stand
    // on the settings tab.
    auto* loads = named<QTableWidget>(form, "DBGrid_PriceHistory2");
    ASSERT_TRUE(loads);
    EXPECT_TRUE(isInside(loads, named<QWidget>(form, "TabSheet_PostavSetup")));
    EXPECT_FALSE(named<QWidget>(form, "Panel_PriceHistory2")->isHidden());
    ASSERT_EQ(loads->rowCount(), 1);
    EXPECT_EQ(loads->item(0, 0)->text(), QStringLiteral("12.02.2025 12:00:00"));

    // Switching it off asks, and Yes empties the history.
    inst.questions.clear();
    named<QCheckBox>(form, "CheckBox_PriceHistory")->click();
    EXPECT_EQ(inst.questions.size(), 1);
    EXPECT_EQ(form.ADOConnection.scalar(QStringLiteral("SELECT count(*) FROM AllPriceHistory")).toInt(), 0);
    EXPECT_TRUE(named<QWidget>(form, "Panel_PriceHistory2")->isHidden());
    form.close();
}

} // namespace
