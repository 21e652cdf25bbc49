// The catalogue's windows offscreen: the group tree with its menu, the
// goods panel and card, the search that goes to a good by its codes.
#include "catalogue_test_support.h"
#include "../common/program_databases.h"

#include "catalogue/goods_list.h"
#include "catalogue/group_tree.h"
#include "catalogue/ui/catalogue_goods_panel.h"
#include "catalogue/ui/catalogue_page.h"
#include "catalogue/ui/form_artikul.h"
#include "catalogue/ui/form_main_tov_ad_ed.h"
#include "catalogue/ui/form_search.h"
#include "storage/settings_store.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QTest>

using namespace velmora;
using namespace velmora::catalogue;
using velmora::testing::CatalogueTest;
using velmora::testing::ensureApplication;
using velmora::testing::findControl;

namespace {

class CataloguePageTest : public CatalogueTest {
protected:
    CataloguePageTest() { ensureApplication(); }

    CataloguePage& page()
    {
        if (!page_) {
            CatalogueDialogs dialogs;
            dialogs.message = [this](const QString& text) { messages << text; };
            dialogs.confirm = [this](const QString& text) {
                questions << text;
                return answer;
            };
            page_ = std::make_unique<CataloguePage>(priceDb, settings, dialogs);
            connect();
        }
        return *page_;
    }

    void connect()
    {
        QObject::connect(page_.get(), &CataloguePage::currentGoodChanged, [this](qint64 code) { goodsShown << code; });
        QObject::connect(page_.get(), &CataloguePage::statusTextChanged, [this](int panel, const QString& text) {
            if (panel == 0)
                totals = text;
        });
    }

    QAction* treeItem(const char* name) { return page().tree()->popupMenu()->findChild<QAction*>(QLatin1String(name)); }

    SettingsStore settings{priceDb};
    QStringList messages, questions;
    bool answer = true;
    QList<qint64> goodsShown;
    QString totals;
    std::unique_ptr<CataloguePage> page_;
};

TEST_F(CataloguePageTest, TreeMenuHasItsItemsAndDisablesCommandsWithoutTheirWindows)
{
    QMenu* menu = page().tree()->popupMenu();
    EXPECT_EQ(menu->objectName(), QStringLiteral("PopupMenu_Tree"));
    QStringList items;
    for (QAction* action : menu->actions())
        items << action->objectName() + (action->isSeparator() ? QStringLiteral("-") : QString())
                     + (action->shortcut().isEmpty() ? QString() : u' ' + action->shortcut().toString());
    EXPECT_EQ(items, (QStringList{"AddUpGroup Ctrl+Ins", "AddGroup Shift+Ins", "RenameGroup F2", "DelGroup Shift+Del",
                                  "N20-", "Sort",
                                  "N4-", "NacenGroup", "GarantGroup", "N3-", "DopNacenGroup", "N7-", "KatMinPrice",
                                  "KatAutoKrit Ctrl+F7", "IconEdits"}));
    EXPECT_FALSE(treeItem("IconEdits")->isVisible());

    QList<qint64> thresholds;
    page().setGroupCommandHooks([&thresholds] {
        GroupCommandHooks hooks;
        hooks.OpenMarkupThresholds = [&thresholds](qint64 group) { thresholds << group; };
        return hooks;
    });
    emit menu->aboutToShow();
    EXPECT_FALSE(treeItem("NacenGroup")->isEnabled());
    EXPECT_FALSE(treeItem("KatAutoKrit")->isEnabled());
    EXPECT_TRUE(treeItem("DopNacenGroup")->isEnabled());
    putGroup(3, 0, 1, QStringLiteral("Г"));
    page().start();
    page().tree()->selectGroup(3);
    treeItem("DopNacenGroup")->trigger();
    EXPECT_EQ(thresholds, QList<qint64>{3});
}

TEST_F(CataloguePageTest, AnUnreadableTreeOffersItsBackupAndAnEmptyBackupIsRefused)
{
    bool ended = false;
    exec(QStringLiteral("DROP TABLE Tovar_tree"));
    QObject::connect(&page(), &CataloguePage::programEndRequested, [&ended] { ended = true; });
    page().start();
    EXPECT_EQ(questions, QStringList{kTreeLoadFailedQuestion});
    EXPECT_EQ(messages, QStringList{kRestoreEmptyMessage});
    EXPECT_FALSE(ended);
    EXPECT_EQ(page().tree()->topLevelItemCount(), 0);
}

TEST_F(CataloguePageTest, ChildrenAreReadWhenTheirNodeIsFirstExpanded)
{
    addReferenceTree();
    page().start();
    GroupTreeView* tree = page().tree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    QTreeWidgetItem* a = tree->topLevelItem(0);
    ASSERT_EQ(a->childCount(), 1);
    EXPECT_EQ(a->child(0)->text(0), QStringLiteral(" "));
    a->setExpanded(true);
    ASSERT_EQ(a->childCount(), 2);
    EXPECT_EQ(a->child(0)->text(0), QStringLiteral("A1"));
    EXPECT_EQ(a->child(0)->childCount(), 1) << "A1 has its own placeholder";
    EXPECT_EQ(a->child(1)->childCount(), 0);
}

TEST_F(CataloguePageTest, AddingAGroupAndAGoodShowsThemAndTheTotals)
{
    page().start();
    treeItem("AddUpGroup")->trigger();
    treeItem("AddGroup")->trigger();
    EXPECT_EQ(groups(), (QStringList{"1:0:1", "2:1:1"}));
    EXPECT_EQ(page().tree()->selectedGroup(), 2);
    EXPECT_EQ(page().CurrentGroupCode(), 2);

    page().Button_MainTovAddClick();
    Form_MainTovAdEd* card = page().card();
    ASSERT_TRUE(card->isVisible());
    EXPECT_EQ(findControl<QLineEdit>(card, "Edit_AdEdKategor")->text(), QStringLiteral("Новая группа"));
    findControl<QLineEdit>(card, "Edit_AdEdName")->setText(QStringLiteral("Мышь O'Neil"));
    findControl<QLineEdit>(card, "Edit_AdEdPrice")->setText(QStringLiteral("150,5"));
    findControl<QPushButton>(card, "Button_AdEdOk")->click();
    EXPECT_FALSE(card->isVisible());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
    CatalogueGoodsModel* model = page().goods()->model();
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->data(model->index(0, CatalogueGoodsModel::ColTovar)).toString(), QStringLiteral("Мышь O'Neil"));
    EXPECT_EQ(page().currentGood(), 1);
    EXPECT_EQ(goodsShown.last(), 1);
    EXPECT_EQ(totals, QStringLiteral("Всего товаров - 1   Активных - 1"));
}

TEST_F(CataloguePageTest, AGroupMadeByHandIsRenamedInPlaceAndKeepsItsNameAfterARestart)
{
    putGood(1, 0, QStringLiteral("без группы"));
    page().start();
    GroupTreeView* tree = page().tree();
    page().groupsPanel()->resize(300, 400);
    page().groupsPanel()->show();
    // The open editor; a closed one is hidden until it is deleted.
    const auto editor = [tree]() -> QLineEdit* {
        for (QLineEdit* line : tree->viewport()->findChildren<QLineEdit*>())
            if (line->isVisible())
                return line;
        return nullptr;
    };
    // Types a name into the open editor and closes it with Enter.
    const auto typeName = [&](const QString& name) {
        QLineEdit* line = editor();
        ASSERT_NE(line, nullptr) << "no editor open";
        line->setText(name);
        QTest::keyClick(line, Qt::Key_Return);
        // Enter commits through a queued call; a refusal is shown after it.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(editor(), nullptr);
    };
    const auto storedName = [this](qint64 code) {
        return rows(QStringLiteral("SELECT Comment FROM Tovar_tree WHERE Code = ?1"), {code}).value(0);
    };

    treeItem("AddUpGroup")->trigger();
    QTest::keyClick(tree, Qt::Key_F2);
    typeName(QStringLiteral("  Компьютеры "));
    EXPECT_EQ(storedName(1), QStringLiteral("Компьютеры"));
    EXPECT_EQ(tree->currentItem()->text(0), QStringLiteral("Компьютеры"));

    treeItem("AddGroup")->trigger();
    emit tree->popupMenu()->aboutToShow();
    ASSERT_TRUE(treeItem("RenameGroup")->isEnabled());
    treeItem("RenameGroup")->trigger();
    typeName(QStringLiteral("Мыши и клавиатуры"));
    EXPECT_EQ(storedName(2), QStringLiteral("Мыши и клавиатуры"));

    // A second click on the selected node, slower than a double click.
    QTreeWidgetItem* group = tree->currentItem();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(group).center());
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    typeName(QStringLiteral("Мыши"));
    EXPECT_EQ(storedName(2), QStringLiteral("Мыши"));

    // An empty name is refused once the editor has closed; the old one stays.
    tree->selectGroup(1);
    QTest::keyClick(tree, Qt::Key_F2);
    typeName(QStringLiteral("   "));
    EXPECT_EQ(messages, QStringList{kEmptyGroupNameMessage});
    EXPECT_EQ(storedName(1), QStringLiteral("Компьютеры"));
    EXPECT_EQ(tree->currentItem()->text(0), QStringLiteral("Компьютеры"));

    // The goods of no group are no group: their node takes no name.
    QTreeWidgetItem* ungrouped = tree->topLevelItem(0);
    ASSERT_EQ(ungrouped->text(0), kUngroupedCaption);
    tree->setCurrentItem(ungrouped);
    emit tree->popupMenu()->aboutToShow();
    EXPECT_FALSE(treeItem("RenameGroup")->isEnabled());
    QTest::keyClick(tree, Qt::Key_F2);
    EXPECT_EQ(editor(), nullptr);

    page_.reset();
    db::Connection again;
    again.open(path());
    SettingsStore againSettings{again};
    CataloguePage restarted(again, againSettings, CatalogueDialogs{});
    restarted.start();
    QTreeWidgetItem* category = restarted.tree()->topLevelItem(0);
    ASSERT_NE(category, nullptr);
    EXPECT_EQ(category->text(0), QStringLiteral("Компьютеры"));
    category->setExpanded(true);
    ASSERT_EQ(category->childCount(), 1);
    EXPECT_EQ(category->child(0)->text(0), QStringLiteral("Мыши"));
}

TEST_F(CataloguePageTest, CardShowsDetailsOnDemandAndFixesTheMarkupForASuperPrice)
{
    putGroup(1, 0, 1, QStringLiteral("Г"));
    exec(QStringLiteral("UPDATE Tovar_tree SET Nacen = 12 WHERE Code = 1"));
    putGood(1, 1, QStringLiteral("Мышь"));
    page().start();
    page().tree()->selectGroup(1);
    page().Button_MainTovEditClick();
    Form_MainTovAdEd* card = page().card();
    auto* more = findControl<QPushButton>(card, "Button_AdEdMore");
    EXPECT_EQ(more->text(), QStringLiteral("Еще >>"));
    EXPECT_TRUE(findControl<QWidget>(card, "GroupBox_AdEdMore")->isHidden());
    more->click();
    EXPECT_EQ(more->text(), QStringLiteral("Еще <<"));
    EXPECT_FALSE(findControl<QWidget>(card, "GroupBox_AdEdMore")->isHidden());
    auto* superPrice = findControl<QCheckBox>(card, "CheckBox_SuperPrice");
    auto* nacen = findControl<QSpinBox>(card, "Edit_AdEdNacen");
    nacen->setValue(30);
    superPrice->click();
    EXPECT_EQ(nacen->value(), 0);
    EXPECT_FALSE(nacen->isEnabled());
    superPrice->click();
    EXPECT_EQ(nacen->value(), 12) << "the group's markup";
    EXPECT_TRUE(nacen->isEnabled());
    card->close();
}

TEST_F(CataloguePageTest, DeletingAndMovingWorkOnTheChosenGoods)
{
    putGroup(1, 0, 1, QStringLiteral("Г1"));
    putGroup(2, 0, 2, QStringLiteral("Г2"));
    for (qint64 code : {1, 2, 3})
        putGood(code, 1, QStringLiteral("Товар %1").arg(code));
    page().start();
    page().tree()->selectGroup(1);

    page().InsertTovarClick();
    EXPECT_EQ(messages.takeLast(), QStringLiteral("Нет товаров для перемещения!"));

    QTableView* grid = page().goods()->grid();
    grid->selectRow(0);
    grid->selectionModel()->select(grid->model()->index(2, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    page().CopyTovarClick();
    EXPECT_EQ(messages.takeLast(), QStringLiteral("Товары подготовлены для перемещения"));
    page().tree()->selectGroup(2);
    page().InsertTovarClick();
    EXPECT_EQ(rows(QStringLiteral("SELECT Code || ':' || Kategor FROM price_main ORDER BY Code")),
              (QStringList{"1:2", "2:1", "3:2"}));
    EXPECT_EQ(page().goods()->model()->goodsCount(), 2);
    page().InsertTovarClick();
    EXPECT_EQ(messages.takeLast(), QStringLiteral("Нет товаров для перемещения!")) << "the list was used up";

    // Nothing marked: nothing deleted, the list reopened, totals shown.
    grid->clearSelection();
    page().Button_MainTovDelClick();
    EXPECT_EQ(questions.takeLast(), QStringLiteral("Удалить выбранные товары?"));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM price_main")), 3);
    grid->selectAll();
    page().Button_MainTovDelClick();
    EXPECT_EQ(rows(QStringLiteral("SELECT Code FROM price_main")), QStringList{"2"});
    EXPECT_EQ(totals, QStringLiteral("Всего товаров - 1   Активных - 1"));
}

TEST_F(CataloguePageTest, FilterButtonsNarrowTheListByNameAndShowItWhole)
{
    putGroup(1, 0, 1, QStringLiteral("Г"));
    putGood(1, 1, QStringLiteral("Мышь"));
    putGood(2, 1, QStringLiteral("Клавиатура"));
    page().start();
    page().tree()->selectGroup(1);
    page().goods()->filterEdit()->setText(QStringLiteral("МЫШ"));
    page().goods()->filterButton()->click();
    EXPECT_EQ(page().goods()->model()->goodsCount(), 1);
    page().goods()->allButton()->click();
    EXPECT_EQ(page().goods()->model()->goodsCount(), 2);
}

TEST_F(CataloguePageTest, SearchGoesToTheGoodThroughItsGroupsCodesNotTheirNames)
{
    // Two branches with a subgroup of the same name; the good is in the second.
    putGroup(1, 0, 1, QStringLiteral("Компьютеры"), 1);
    putGroup(2, 1, 1, QStringLiteral("Прочее"));
    putGroup(3, 0, 2, QStringLiteral("Бытовая техника"), 1);
    putGroup(4, 3, 1, QStringLiteral("Прочее"));
    putGood(1, 2, QStringLiteral("Кабель"), QStringLiteral("K-1"));
    putGood(2, 4, QStringLiteral("Удлинитель"), QStringLiteral("U-1"));
    putGood(3, 4, QStringLiteral("Удлинитель длинный"), QStringLiteral("U-2"));
    page().start();

    page().SearchArtTovarClick();
    Form_Search* search = page().searchWindow();
    ASSERT_TRUE(search->isVisible());
    auto* next = findControl<QPushButton>(search, "Button_Next");
    EXPECT_TRUE(next->isHidden());
    // The article mode is narrow, the partial one wide, neither narrower
    // than its controls need.
    const int need = search->layout()->minimumSize().width();
    EXPECT_EQ(search->width(), std::max(154, need));
    findControl<QToolButton>(search, "SpeedButton_ArtParam")->click();
    EXPECT_EQ(search->width(), std::max(280, need));
    EXPECT_EQ(findControl<QLabel>(search, "Label_Search")->text(), QStringLiteral("Введите часть артикула"));
    findControl<QLineEdit>(search, "Edit_Search")->setText(QStringLiteral("u-"));
    findControl<QPushButton>(search, "Button_Find")->click();

    EXPECT_EQ(page().tree()->selectedGroup(), 4);
    EXPECT_EQ(page().tree()->currentItem()->parent()->text(0), QStringLiteral("Бытовая техника"));
    EXPECT_EQ(page().currentGood(), 2);
    EXPECT_EQ(page().CurrentGroupCode(), 4);
    EXPECT_TRUE(page().card()->isVisible());
    EXPECT_EQ(findControl<QLineEdit>(page().card(), "Edit_AdEdName")->text(), QStringLiteral("Удлинитель"));
    EXPECT_FALSE(findControl<QPushButton>(search, "Button_Prior")->isEnabled());
    ASSERT_TRUE(next->isEnabled());
    next->click();
    EXPECT_EQ(page().currentGood(), 3);
    EXPECT_FALSE(next->isEnabled());

    search->close();
    EXPECT_FALSE(page().card()->isVisible());
    EXPECT_TRUE(next->isHidden());
}

TEST_F(CataloguePageTest, ArticleSettingsWindowGreysWhatIsSwitchedOffAndStoresOnOk)
{
    Form_Artikul* window = page().articleWindow();
    window->show();
    auto* autoBox = findControl<QCheckBox>(window, "CheckBox_Auto");
    EXPECT_FALSE(autoBox->isChecked());
    EXPECT_FALSE(findControl<QWidget>(window, "Panel_Auto")->isEnabled());
    EXPECT_EQ(findControl<QComboBox>(window, "ComboBox_MaxArt")->currentText(), QStringLiteral("6"));
    autoBox->click();
    findControl<QCheckBox>(window, "CheckBox_Razd")->click();
    EXPECT_TRUE(findControl<QWidget>(window, "Panel_Razd")->isEnabled());
    EXPECT_FALSE(findControl<QWidget>(window, "Panel_PrefKat")->isEnabled());
    // Eight digits and a two-character separator: 10 characters; with a
    // five-digit prefix and its separator, 16 do not fit the field.
    findControl<QComboBox>(window, "ComboBox_MaxArt")->setCurrentIndex(4);
    findControl<QLineEdit>(window, "Edit_Razd")->setText(QStringLiteral("--"));
    findControl<QCheckBox>(window, "CheckBox_PrefKat")->click();
    findControl<QLineEdit>(window, "Edit_PrefRazd")->setText(QStringLiteral("/"));
    findControl<QPushButton>(window, "Button_OK")->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().contains(QStringLiteral("до 16 символов"))) << messages.first().toStdString();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(readArticleSettings(settings), ArticleSettings{}) << "nothing stored";
    findControl<QCheckBox>(window, "CheckBox_PrefKat")->click();
    findControl<QLineEdit>(window, "Edit_Razd")->setText(QStringLiteral("-"));
    findControl<QPushButton>(window, "Button_OK")->click();
    EXPECT_FALSE(window->isVisible());
    const ArticleSettings stored = readArticleSettings(settings);
    EXPECT_TRUE(stored.CheckBox_Auto);
    EXPECT_TRUE(stored.CheckBox_Razd);
    EXPECT_EQ(stored.Edit_Razd, QStringLiteral("-"));
    // Switching automatic articles off takes the dependent switches with it.
    window->show();
    autoBox->click();
    EXPECT_FALSE(findControl<QCheckBox>(window, "CheckBox_Razd")->isChecked());
    window->close();
}

} // namespace
