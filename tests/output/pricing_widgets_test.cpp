// The pricing and export windows offscreen: controls found by name,
// clicked as the user clicks them.
#include "pricing_fixture.h"

#include "output/export/form_export.h"
#include "output/pricing/form_min_price.h"
#include "output/pricing/form_nacen.h"
#include "output/pricing/form_nacen_set.h"
#include "output/pricing/group_markups.h"

#include "storage/settings_store.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::testing;

namespace {

class PricingWindowsTest : public PricingTest {
protected:
    void SetUp() override
    {
        ensureApplication();
        PricingTest::SetUp();
        dialogs.message = [this](const QString& text) { messages << text; };
        dialogs.confirm = [this](const QString& text) {
            questions << text;
            return answer;
        };
    }
    SettingsStore settings{orderDb};
    WindowDialogs dialogs;
    QStringList messages;
    QStringList questions;
    bool answer = true;
};

TEST_F(PricingWindowsTest, ThresholdsEnteredDescendingAreStoredAscending)
{
    Form_Nacen window(priceDb, settings);
    window.setDialogs(dialogs);
    window.setGroup(0);
    window.show();
    EXPECT_FALSE(findControl<QCheckBox>(&window, "CheckBox_AllGroup")->isVisible());
    EXPECT_EQ(window.height(), 354);
    const int thresholds[] = {500, 400, 300, 200, 100};
    const int markups[] = {0, 5, 10, 15, 20};
    for (int k = 1; k <= 5; ++k) {
        findControl<QSpinBox>(&window, QStringLiteral("SpinEdit_Porog%1").arg(k).toLatin1())->setValue(thresholds[k - 1]);
        findControl<QSpinBox>(&window, QStringLiteral("SpinEdit_NacenPor%1").arg(k).toLatin1())->setValue(markups[k - 1]);
    }
    findControl<QPushButton>(&window, "Button_Save")->click();
    EXPECT_EQ(queryRows(priceDb, QStringLiteral("SELECT * FROM MinPrice_Nacen")),
              QStringList{QStringLiteral("0|100|200|300|400|500|20|15|10|5|0")});
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(settings.readBoolean(QStringLiteral("CheckBox_NacenDop")));
    EXPECT_FALSE(window.isVisible());

    // A group's window: its own row made from the general one, the subgroup box shown.
    addGroup(4, 0, 1, QStringLiteral("Группа"));
    window.setGroup(4);
    window.show();
    EXPECT_TRUE(findControl<QCheckBox>(&window, "CheckBox_AllGroup")->isVisible());
    EXPECT_EQ(findControl<QPushButton>(&window, "Button_Save")->y(), 200);
    EXPECT_EQ(window.height(), 275);
    EXPECT_EQ(findControl<QSpinBox>(&window, "SpinEdit_Porog1")->value(), 100);
    EXPECT_EQ(priceDb.scalar(QStringLiteral("SELECT Nacen1 FROM MinPrice_Nacen WHERE Kategor = 4")).toInt(), 20);
}

TEST_F(PricingWindowsTest, TheGeneralMarkupAnsweredNoChangesNothing)
{
    addGroup(1, 0, 1, QStringLiteral("Группа"));
    addGood(1, 1, QStringLiteral("Товар"), 10, 5);
    Form_Nacen window(priceDb, settings);
    window.setDialogs(dialogs);
    window.show();
    findControl<QSpinBox>(&window, "SpinEdit_NacenAll")->setValue(30);
    answer = false;
    findControl<QPushButton>(&window, "Button_NacenAll")->click();
    EXPECT_EQ(questions, QStringList{kAllGoodsMarkupQuestion});
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(priceDb.scalar(QStringLiteral("SELECT Nacen FROM price_main")).toInt(), 5);
    answer = true;
    window.show();
    findControl<QSpinBox>(&window, "SpinEdit_NacenAll")->setValue(30);
    findControl<QPushButton>(&window, "Button_NacenAll")->click();
    EXPECT_EQ(priceDb.scalar(QStringLiteral("SELECT Nacen FROM price_main")).toInt(), 30);
}

TEST_F(PricingWindowsTest, GroupValueWindowSetsTheWarrantyOfTheSubgroupsToo)
{
    addGroup(1, 0, 1, QStringLiteral("A"));
    addGroup(2, 1, 1, QStringLiteral("B"));
    addGood(1, 2, QStringLiteral("Товар"));
    Form_NacenSet window(priceDb);
    window.setGroup(1, QStringLiteral("Garant"));
    window.show();
    EXPECT_FALSE(findControl<QSpinBox>(&window, "SpinEdit_Nacen")->isVisible());
    findControl<QLineEdit>(&window, "Edit_Garant")->setText(QStringLiteral("3 года"));
    findControl<QCheckBox>(&window, "CheckBox_AllGroup")->setChecked(true);
    findControl<QPushButton>(&window, "Button_Set")->click();
    EXPECT_EQ(priceDb.scalar(QStringLiteral("SELECT Garant FROM price_main")).toString(), QStringLiteral("3 года"));
    EXPECT_FALSE(window.isVisible());
}

TEST_F(PricingWindowsTest, TicksOfTheSupplierListTakeEffectInTheRun)
{
    addGroup(1, 0, 1, QStringLiteral("Все"));
    addSupplier(QStringLiteral("Альфа"));
    addSupplier(QStringLiteral("Бета"));
    addGood(1, 1, QStringLiteral("Товар"));
    addOffer(1, QStringLiteral("Альфа"), 100);
    addOffer(1, QStringLiteral("Бета"), 150);
    Form_MinPrice window(priceDb, settings);
    window.setDialogs(dialogs);
    window.setClock([] { return kToday; });
    window.show();
    EXPECT_FALSE(findControl<QPushButton>(&window, "Button_Save")->isVisible());
    auto* grid = findControl<QTableWidget>(&window, "DBGrid_Postav");
    ASSERT_EQ(grid->rowCount(), 2);
    grid->item(0, 1)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(priceDb.scalar(QStringLiteral("SELECT Obrab FROM postavshik WHERE Postavshik = 'Альфа'")).toString(),
              QStringLiteral("False"));
    findControl<QPushButton>(&window, "Button_Recalc")->click();
    EXPECT_EQ(prices(1).section(u'|', 0, 0), QStringLiteral("150"));
    EXPECT_TRUE(questions.isEmpty());
    // The run ends with its one line.
    EXPECT_EQ(messages, QStringList{QStringLiteral("Пересчет цен: удалено устаревших предложений поставщиков - 0, "
                                                   "товаров осталось без цены - 0")});
    EXPECT_FALSE(window.isVisible());
}

TEST_F(PricingWindowsTest, ExportWithTheDbfSwitchWritesTheFileAndCloses)
{
    QTemporaryDir program;
    addGroup(1, 0, 1, QStringLiteral("Все"));
    addGood(1, 1, QStringLiteral("Товар"), 10);
    Form_Export window(priceDb, settings, program.path());
    window.setDialogs(dialogs);
    window.setClock([] { return kToday; });
    window.show();
    EXPECT_FALSE(findControl<QCheckBox>(&window, "CheckBox_Excel")->isEnabled());
    findControl<QCheckBox>(&window, "CheckBox_Price")->click(); // off
    findControl<QCheckBox>(&window, "CheckBox_DBF")->click();
    EXPECT_TRUE(settings.readBoolean(QStringLiteral("CheckBox_DBF")));
    findControl<QPushButton>(&window, "Button_Export")->click();
    EXPECT_TRUE(QFileInfo::exists(program.path() + QStringLiteral("/База DBF/price.dbf")));
    EXPECT_EQ(priceDb.scalar(QStringLiteral("SELECT Dates FROM parametr WHERE Id = 2")).toLongLong(), today());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();

    // Shown again, the switch is restored and the button is back.
    window.show();
    EXPECT_TRUE(findControl<QCheckBox>(&window, "CheckBox_DBF")->isChecked());
    EXPECT_TRUE(findControl<QPushButton>(&window, "Button_Export")->isVisible());
}

} // namespace
