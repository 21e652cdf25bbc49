#include "tree_test_support.h"
#include "widget_test_support.h"

#include "storage/settings_store.h"
#include "suppliers/setup/price_list_setup_tab.h"
#include "suppliers/tree/price_lists.h"
#include "suppliers/tree/supplier_commands.h"
#include "suppliers/tree/supplier_tree.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace velmora;
using velmora::testing::SupplierDatabases;

namespace {

struct TreeWidgetTest : ::testing::Test {
    SupplierDatabases d;
    LoadQueueNames queue;
    QListWidget* queueBox = nullptr;
    std::unique_ptr<SupplierTree> tree;
    std::unique_ptr<PriceListSetupTab> tab;
    QStringList messages;
    bool answer = true;

    void SetUp() override
    {
        velmora::testing::ensureApplication();
        d.addFullSupplier(1, QStringLiteral("Бета"));
        d.addFullSupplier(2, QStringLiteral("Альфа"));
        d.addFullSupplier(4, QStringLiteral("O'Neil \"Ёлка\""));
        SettingsStore(d.orderDb).write(QStringLiteral("Альфа_PostavDisable"), QStringLiteral("TypeBoolean"),
                                       QStringLiteral("-1"));
        tree = std::make_unique<SupplierTree>(d.priceDb, d.orderDb);
        tab = std::make_unique<PriceListSetupTab>(d.priceDb, d.orderDb);
        queueBox = new QListWidget(tree.get());
        tree->setLoadQueue(&queue, queueBox);
        tree->setMessageSink([this](const QString& t) { messages << t; });
        tree->setQuestionHandler([this](const QString& t) { messages << t; return answer; });
        tab->setMessageSink([this](const QString& t) { messages << t; });
        tab->setQuestionHandler([this](const QString& t) { messages << t; return answer; });
        tab->setDisplayCurrencyIndexProvider([] { return 2; });
        ConnectSupplierTreeAndSetupTab(tree.get(), tab.get());
        tree->BuildSupplierTree();
    }

    QStringList nodes() const
    {
        QStringList out;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = tree->topLevelItem(i);
            out << QStringLiteral("%1:%2:%3")
                       .arg(item->data(0, SupplierTree::kIdRole).toLongLong())
                       .arg(item->text(0))
                       .arg(item->data(0, SupplierTree::kPictureRole).toInt());
        }
        return out;
    }

    QStringList queueBoxNames() const
    {
        QStringList out;
        for (int i = 0; i < queueBox->count(); ++i)
            out << queueBox->item(i)->text();
        return out;
    }

    void choose(const QString& name)
    {
        ASSERT_TRUE(tree->selectByName(name));
        tree->TreeView1Click();
    }

    template <typename W>
    W* child(const char* name) const
    {
        W* w = tab->findChild<W*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
};

TEST_F(TreeWidgetTest, BuildShowsEveryListWithItsPictureAndFillsTheQueue)
{
    QSignalSpy rebuilt(tree.get(), &SupplierTree::loadQueueRebuilt);
    tree->BuildSupplierTree();
    ASSERT_EQ(rebuilt.count(), 1);
    EXPECT_EQ(rebuilt.first().first().toStringList(), QStringList({"Бета", "Альфа", "O'Neil \"Ёлка\""}));
    EXPECT_EQ(tree->objectName(), "TreeView1");
    EXPECT_EQ(nodes(), QStringList({"1:Бета:1", "2:Альфа:5", "4:O'Neil \"Ёлка\":1"}));
    EXPECT_EQ(queue.size(), 5);
    EXPECT_EQ(queueBoxNames(), QStringList({"Бета", "Альфа", "O'Neil \"Ёлка\""}));
    // The first node is shown on the tab.
    EXPECT_EQ(tab->currentName(), "Бета");
    EXPECT_EQ(child<QLineEdit>("Edit_idPostav")->text(), "1");
    EXPECT_EQ(child<QLineEdit>("Edit_info")->text(), "Бета ООО");
    const QStringList actions = {"Добавить", "Удалить", "По алфавиту"};
    QStringList texts;
    for (QAction* a : tree->popupMenu()->actions())
        texts << a->text();
    EXPECT_EQ(texts, actions);
    QMimeData* mime = tree->mimeData({tree->topLevelItem(2)});
    EXPECT_EQ(mime->text(), "O'Neil \"Ёлка\"");
    delete mime;
}

TEST_F(TreeWidgetTest, DeleteAsksThenDropsTheListFromTreeAndQueue)
{
    choose(QStringLiteral("Альфа"));
    answer = false;
    tree->DelPriceClick();
    EXPECT_EQ(nodes().size(), 3);
    EXPECT_TRUE(FindPriceList(d.priceDb, QStringLiteral("Альфа")));
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages.last().contains("Альфа"));

    answer = true;
    QSignalSpy deleted(tree.get(), &SupplierTree::priceListDeleted);
    tree->DelPriceClick();
    ASSERT_EQ(deleted.count(), 1);
    EXPECT_EQ(deleted.first().first().toString(), "Альфа");
    EXPECT_EQ(nodes(), QStringList({"1:Бета:1", "2:O'Neil \"Ёлка\":1"}));
    EXPECT_EQ(queueBoxNames(), QStringList({"Бета", "O'Neil \"Ёлка\""}));
    EXPECT_FALSE(queue.contains(QStringLiteral("Альфа")));
    EXPECT_EQ(d.rowsOf(QStringLiteral("AllTovarPostav"), QStringLiteral("Альфа")), 0);
    // The node now at that place is shown.
    EXPECT_EQ(tab->currentName(), "O'Neil \"Ёлка\"");
}

TEST_F(TreeWidgetTest, SortKeepsPicturesAndAddMakesOnePlaceholder)
{
    tree->SortPostavClick();
    EXPECT_EQ(nodes(), QStringList({"1:Альфа:5", "2:Бета:1", "3:O'Neil \"Ёлка\":1"}));

    QSignalSpy changed(tree.get(), &SupplierTree::priceListSettingsChanged);
    tree->AddPriceClick();
    tree->AddPriceClick();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(nodes().last(), "4:" + kNewPriceListName + ":1");
    EXPECT_EQ(nodes().size(), 4);
    EXPECT_EQ(tab->currentName(), kNewPriceListName);
    EXPECT_TRUE(child<QWidget>("Panel4")->isVisibleTo(tab.get()));
    EXPECT_FALSE(child<QWidget>("Panel_PostavInfo")->isVisibleTo(tab.get()));
}

TEST_F(TreeWidgetTest, RenameOnCommitUpdatesNodeAndQueueAndRefusesTakenNames)
{
    choose(QStringLiteral("Бета"));
    QLineEdit* name = child<QLineEdit>("Edit_PriceList");
    name->setText(QStringLiteral("альфа"));
    emit name->editingFinished();
    EXPECT_EQ(tab->currentName(), "Бета");
    EXPECT_EQ(name->text(), "Бета");
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages.last().contains("уже есть"));

    name->setText(QStringLiteral("Гамма"));
    // Typing alone renames nothing.
    EXPECT_TRUE(FindPriceList(d.priceDb, QStringLiteral("Бета")));
    emit name->editingFinished();
    EXPECT_EQ(tab->currentName(), "Гамма");
    EXPECT_EQ(nodes().first(), "1:Гамма:1");
    EXPECT_EQ(queueBoxNames().first(), "Гамма");
    EXPECT_EQ(queue.at(1), "Гамма");
    EXPECT_EQ(d.rowsOf(QStringLiteral("AllTovarPostav"), QStringLiteral("Гамма")), 2);
}

// The tab follows the list it shows when the lists are renumbered: after
// "По алфавиту" a rename and "Сохранить" change that list and no other.
TEST_F(TreeWidgetTest, SortingKeepsTheTabOnItsListSoASaveChangesOnlyThatList)
{
    d.exec(d.priceDb, QStringLiteral("UPDATE AllPostavSetup SET Path = '/p/beta.xlsx', PriceConversion = 2 WHERE Id = 1"));
    choose(QStringLiteral("Альфа"));
    ASSERT_EQ(tab->currentId(), 2);
    tree->SortPostavClick();
    EXPECT_EQ(tab->currentName(), "Альфа");
    EXPECT_EQ(tab->currentId(), 1);
    EXPECT_EQ(child<QLineEdit>("Edit_idPostav")->text(), "1");

    child<QLineEdit>("Edit_PriceList")->setText(QStringLiteral("Альфа Плюс"));
    child<QLineEdit>("Edit_Path")->setText(QStringLiteral("/p/alfa.xlsx"));
    tab->BitBtn_SaveSheetClick();
    EXPECT_EQ(d.namesInIdOrder(), QStringList({"1=Альфа Плюс", "2=Бета", "3=O'Neil \"Ёлка\""}));
    EXPECT_EQ(FindPriceList(d.priceDb, QStringLiteral("Альфа Плюс"))->Path, "/p/alfa.xlsx");
    const std::optional<PriceListRow> beta = FindPriceList(d.priceDb, QStringLiteral("Бета"));
    ASSERT_TRUE(beta);
    EXPECT_EQ(beta->Path, "/p/beta.xlsx");
    EXPECT_EQ(beta->PriceConversion, 2);
    EXPECT_EQ(d.rowsOf(QStringLiteral("AllPostavPage"), QStringLiteral("Бета")), 1);
    EXPECT_EQ(d.rowsOf(QStringLiteral("AllTovarPostav"), QStringLiteral("Бета")), 2);
    EXPECT_EQ(nodes().first(), "1:Альфа Плюс:5");
}

// A save whose Id no longer belongs to the list shown (the lists were
// renumbered behind the tab's back) is refused and changes nothing.
TEST_F(TreeWidgetTest, ASaveUnderAnIdOfAnotherListIsRefused)
{
    choose(QStringLiteral("Альфа"));
    SortPriceLists(d.priceDb); // not through the tree: the tab is not told
    child<QLineEdit>("Edit_Path")->setText(QStringLiteral("/p/alfa.xlsx"));
    messages.clear();
    tab->BitBtn_SaveSheetClick();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Список прайс-листов изменился"))) << messages[0].toStdString();
    EXPECT_EQ(d.namesInIdOrder(), QStringList({"1=Альфа", "2=Бета", "3=O'Neil \"Ёлка\""}));
    for (const char* name : {"Альфа", "Бета"})
        EXPECT_EQ(FindPriceList(d.priceDb, QString::fromUtf8(name))->Path, "/p/x.xlsx") << name;
}

TEST_F(TreeWidgetTest, DisableCheckBoxChangesThePicture)
{
    choose(QStringLiteral("O'Neil \"Ёлка\""));
    QCheckBox* box = child<QCheckBox>("CheckBox_PostavDisable");
    EXPECT_FALSE(box->isChecked());
    box->click();
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(nodes().last(), "4:O'Neil \"Ёлка\":5");
    EXPECT_EQ(d.rowsOf(QStringLiteral("AllTovarPostav"), QStringLiteral("O'Neil \"Ёлка\"")), 0);
    box->click();
    EXPECT_EQ(nodes().last(), "4:O'Neil \"Ёлка\":1");
}

} // namespace
