// The own catalogue in the wired program: its page beside the suppliers,
// the own goods in the centre while it is chosen, its menu, a good added
// through the card and found again by its article, the hidden "в Заказ"
// putting the current good into the order list.
#include "app/main_status_bar.h"
#include "app/program.h"
#include "app_environment.h"
#include "app_test_support.h"
#include "wired_installation.h"
#include "../common/program_databases.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>

using namespace velmora;
using namespace velmora::testing;

namespace {

const auto* const applicationEnvironment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

TEST(WiredCatalogue, AGoodAddedInTheCardIsShownCountedAndFoundByItsArticle)
{
    WiredInstallation inst;
    inst.answer = true;
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    QCoreApplication::processEvents();
    inst.messages.clear(); // the start-up's own notices

    auto* left = findControl<QTabWidget>(&form, "PageControl_AllTovar");
    auto* pages = findControl<QTabWidget>(&form, "PageControl_Sootv");
    ASSERT_TRUE(left && pages);
    EXPECT_EQ(left->tabText(0), QStringLiteral("Поставщики"));
    EXPECT_EQ(left->tabText(1), QStringLiteral("Каталог"));
    auto* ownGoods = findControl<QTableView>(&form, "DBGrid_PriceMain");
    auto* supplierGoods = findControl<QTableView>(&form, "DBGrid_Tovar");
    ASSERT_TRUE(ownGoods && supplierGoods);
    EXPECT_FALSE(ownGoods->isVisibleTo(&form));

    // "Каталог" puts the own goods in the centre and shows the matching tabs.
    left->setCurrentIndex(1);
    EXPECT_TRUE(ownGoods->isVisibleTo(&form));
    EXPECT_FALSE(supplierGoods->isVisibleTo(&form));
    for (int page = 0; page < pages->count(); ++page)
        EXPECT_EQ(pages->isTabVisible(page), page <= 7) << page;
    EXPECT_EQ(pages->currentIndex(), 0);

    auto* tree = findControl<QTreeWidget>(&form, "TreeView_Groups");
    QMenu* treeMenu = findControl<QMenu>(&form, "PopupMenu_Tree");
    ASSERT_TRUE(tree && treeMenu);
    emit treeMenu->aboutToShow();
    EXPECT_TRUE(findControl<QAction>(treeMenu, "NacenGroup")->isEnabled()) << "the group value window is wired";
    findControl<QAction>(treeMenu, "AddUpGroup")->trigger();
    findControl<QAction>(treeMenu, "AddGroup")->trigger();
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(tree->currentItem()->text(0), QStringLiteral("Новая группа"));
    EXPECT_EQ(tree->currentItem()->parent()->text(0), QStringLiteral("Новая категория"));

    findControl<QPushButton>(&form, "Button_MainTovAdd")->click();
    auto* card = findControl<QDialog>(&form, "Form_MainTovAdEd");
    ASSERT_TRUE(card && card->isVisible());
    findControl<QLineEdit>(card, "Edit_AdEdArt")->setText(QStringLiteral("ART-7"));
    findControl<QLineEdit>(card, "Edit_AdEdName")->setText(QStringLiteral("Мышь беспроводная"));
    findControl<QLineEdit>(card, "Edit_AdEdPrice")->setText(QStringLiteral("150"));
    findControl<QPushButton>(card, "Button_AdEdOk")->click();
    EXPECT_FALSE(card->isVisible());
    ASSERT_EQ(ownGoods->model()->rowCount(), 1);
    EXPECT_EQ(ownGoods->model()->index(0, 1).data().toString(), QStringLiteral("Мышь беспроводная"));
    EXPECT_EQ(mainStatusText(form, 0), QStringLiteral("Всего товаров - 1   Активных - 1"));

    // Elsewhere in the tree, then found by its article in another case.
    tree->setCurrentItem(tree->topLevelItem(0));
    EXPECT_EQ(ownGoods->model()->rowCount(), 0);
    QAction* search = findControl<QAction>(&form, "SearchArtTovar");
    ASSERT_NE(search, nullptr);
    search->trigger();
    auto* searchWindow = findControl<QDialog>(&form, "Form_Search");
    ASSERT_TRUE(searchWindow && searchWindow->isVisible());
    findControl<QLineEdit>(searchWindow, "Edit_Search")->setText(QStringLiteral("art-7"));
    findControl<QPushButton>(searchWindow, "Button_Find")->click();
    EXPECT_EQ(tree->currentItem()->text(0), QStringLiteral("Новая группа"));
    ASSERT_EQ(ownGoods->model()->rowCount(), 1);
    EXPECT_EQ(ownGoods->currentIndex().row(), 0);
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(findControl<QLineEdit>(card, "Edit_AdEdName")->text(), QStringLiteral("Мышь беспроводная"));
    searchWindow->close();

    for (const char* item : {"SearchNameTovar", "SetupArtikul", "SpeedButton_Refresh", "N25"})
        EXPECT_NE(form.findChild<QAction*>(QLatin1String(item)), nullptr) << item;

    // Back to the suppliers: their goods and the page they left (the
    // price-list settings: there is no order to show).
    left->setCurrentIndex(0);
    EXPECT_FALSE(ownGoods->isVisibleTo(&form));
    EXPECT_TRUE(supplierGoods->isVisibleTo(&form));
    for (int page = 0; page < 6; ++page)
        EXPECT_FALSE(pages->isTabVisible(page)) << page;
    EXPECT_EQ(pages->currentIndex(), 7);
    EXPECT_TRUE(inst.messages.isEmpty()) << inst.messages.join(u'\n').toStdString();
}

TEST(WiredCatalogue, TheHiddenOrderCommandPutsTheCurrentGoodIntoTheOrderListOnce)
{
    WiredInstallation inst;
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    QCoreApplication::processEvents();
    inst.messages.clear();
    // A group with one good, through the tree's menu and the card.
    findControl<QTabWidget>(&form, "PageControl_AllTovar")->setCurrentIndex(1);
    QMenu* treeMenu = findControl<QMenu>(&form, "PopupMenu_Tree");
    ASSERT_NE(treeMenu, nullptr);
    emit treeMenu->aboutToShow();
    findControl<QAction>(treeMenu, "AddUpGroup")->trigger();
    findControl<QAction>(treeMenu, "AddGroup")->trigger();
    findControl<QPushButton>(&form, "Button_MainTovAdd")->click();
    auto* card = findControl<QDialog>(&form, "Form_MainTovAdEd");
    ASSERT_NE(card, nullptr);
    findControl<QLineEdit>(card, "Edit_AdEdArt")->setText(QStringLiteral("M-1"));
    findControl<QLineEdit>(card, "Edit_AdEdName")->setText(QStringLiteral("Монитор"));
    findControl<QLineEdit>(card, "Edit_AdEdPrice")->setText(QStringLiteral("115"));
    findControl<QPushButton>(card, "Button_AdEdOk")->click();
    ASSERT_EQ(findControl<QTableView>(&form, "DBGrid_PriceMain")->model()->rowCount(), 1);
    const qint64 code = form.ADOConnection.scalar(QStringLiteral("SELECT Code FROM price_main")).toLongLong();

    auto* command = findControl<QPushButton>(&form, "Button_AddZakaz");
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->text(), QStringLiteral("в Заказ"));
    EXPECT_FALSE(command->isVisibleTo(&form));
    command->click();
    const QString zakaz = QStringLiteral("SELECT Id, Code, Art, Tovar, Price_1, PriceOut, Quantity, Obrab FROM Zakaz");
    // The order is priced in roubles at the tab's rate of 30.
    EXPECT_EQ(queryRows(form.ADOConnection, zakaz),
              QStringList{QStringLiteral("1|%1|M-1|Монитор|115.0|3450.0|1|True").arg(code)});
    EXPECT_EQ(findControl<QTabWidget>(&form, "PageControl_Sootv")->currentWidget()->objectName(),
              QStringLiteral("TabSheet_Zakaz"));
    EXPECT_TRUE(inst.messages.isEmpty()) << inst.messages.join(u'\n').toStdString();

    command->click();
    EXPECT_EQ(inst.messages, QStringList{"Товар уже есть в списке"});
    EXPECT_EQ(queryRows(form.ADOConnection, zakaz).size(), 1);
    form.close();
}

} // namespace
