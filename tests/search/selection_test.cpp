// Supplier visibility and the selection templates.
#include "search_fixture.h"

#include "storage/schema.h"
#include "suppliers/search/supplier_selection.h"
#include "suppliers/search/supplier_selection_panel.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

#include <gtest/gtest.h>

namespace velmora::search {
namespace {

using test::PriceDbFixture;

class SelectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"A", "B", "C"})
            prices.addSupplier({QString::fromLatin1(name), 1});
        createOrderDatabase(orderPath());
        orders = std::make_unique<db::Connection>(orderPath());
    }
    QString orderPath() const { return prices.folder() + QStringLiteral("/BaseZakaz.vdb"); }

    QStringList visibleNames()
    {
        QStringList out;
        for (const SupplierEntry& e : listSuppliers(prices.db()))
            if (e.visible)
                out << e.name;
        return out;
    }

    PriceDbFixture prices;
    std::unique_ptr<db::Connection> orders;
};

TEST_F(SelectionTest, ApplyingATemplateShowsExactlyItsSuppliers)
{
    saveTemplate(*orders, QStringLiteral("T"), {QStringLiteral("A"), QStringLiteral("C")});
    applyTemplate(prices.db(), *orders, QStringLiteral("T"));
    EXPECT_EQ(visibleNames(), (QStringList{"A", "C"}));
    // No template chosen: the flags stay.
    setAllSuppliersVisible(prices.db(), true);
    applyTemplate(prices.db(), *orders, QString());
    EXPECT_EQ(visibleNames(), (QStringList{"A", "B", "C"}));
}

TEST_F(SelectionTest, ARenamedSupplierIsNoLongerInItsTemplate)
{
    saveTemplate(*orders, QStringLiteral("T"), {QStringLiteral("A"), QStringLiteral("B")});
    prices.db().exec(QStringLiteral("UPDATE AllPostavSetup SET Postavshik='B2' WHERE Postavshik='B'"));
    applyTemplate(prices.db(), *orders, QStringLiteral("T"));
    EXPECT_EQ(visibleNames(), QStringList{"A"});
}

TEST_F(SelectionTest, SavingReplacesTheRowsAndNothingTickedDeletes)
{
    saveTemplate(*orders, QStringLiteral("T"), {QStringLiteral("A"), QStringLiteral("B")});
    saveTemplate(*orders, QStringLiteral("T"), {QStringLiteral("C")});
    EXPECT_EQ(templateSuppliers(*orders, QStringLiteral("T")), QStringList{"C"});
    EXPECT_EQ(orders->scalar(QStringLiteral("SELECT count(*) FROM SelectTempPostav WHERE Obrab<>0")).toInt(), 1);
    saveTemplate(*orders, QStringLiteral("T"), {});
    EXPECT_TRUE(templateNames(*orders).isEmpty());
}

TEST_F(SelectionTest, TemplateNamesInAlphabeticalOrder)
{
    for (const char* name : {"Юг", "альфа", "Бета", "Zeta"})
        saveTemplate(*orders, QString::fromUtf8(name), {QStringLiteral("A")});
    EXPECT_EQ(templateNames(*orders), (QStringList{"альфа", "Бета", "Юг", "Zeta"}));  // Russian order: Cyrillic first
}

TEST(TemplateLists, TheEntryAfterADelete)
{
    const QStringList three = {"T1", "T2", "T3"};
    EXPECT_EQ(templateAfterDelete(three, 1), QStringLiteral("T3"));
    EXPECT_EQ(templateAfterDelete(three, 2), QStringLiteral("T2"));  // the new last entry
    EXPECT_EQ(templateAfterDelete({"T1"}, 0), QString());
    EXPECT_EQ(templateIndexFor(three, "T2"), 1);
    EXPECT_EQ(templateIndexFor(three, "X"), 0);
    EXPECT_EQ(templateIndexFor({}, "X"), -1);
}

template <typename T>
T* find(QWidget& root, const char* name)
{
    T* w = root.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

TEST_F(SelectionTest, PanelCommandsSetFlagsAndAskForASearch)
{
    int argc = 0;
    QApplication app(argc, nullptr);
    SupplierSelectionPanel panel(prices.db(), *orders);
    QSignalSpy changed(&panel, &SupplierSelectionPanel::selectionChanged);

    // No template yet: the editor offers the default name in both lists.
    panel.BitBtn5Click();
    EXPECT_EQ(find<QComboBox>(panel, "ComboBox_SelectTemplate")->currentText(), kDefaultTemplateName);
    EXPECT_EQ(find<QComboBox>(panel, "ComboBox_TempSel")->currentText(), kDefaultTemplateName);

    // A new template with A and C ticked.
    panel.BitBtn_TempAddClick();
    find<QLineEdit>(panel, "Edit_TempSel")->setText(QStringLiteral(" Мой "));
    panel.Button_TempAddClick();
    auto* checks = find<QListWidget>(panel, "CheckListBox_TempPostav");
    ASSERT_EQ(checks->count(), 3);
    checks->item(0)->setCheckState(Qt::Checked);
    checks->item(2)->setCheckState(Qt::Checked);
    panel.Button_TempSaveClick();
    EXPECT_EQ(templateSuppliers(*orders, QStringLiteral("Мой")), (QStringList{"A", "C"}));

    panel.Button_SelPostavUpdateClick();
    EXPECT_EQ(visibleNames(), (QStringList{"A", "C"}));
    EXPECT_EQ(changed.count(), 1);

    // Ticking a supplier in the list stores its flag at once; the list
    // stays open for more ticks and asks for one search when it closes.
    auto* list = find<QListWidget>(panel, "List_SelPostav");
    panel.SpeedButton_AllPostavClick();
    list->item(1)->setCheckState(Qt::Checked);
    list->item(1)->setCheckState(Qt::Unchecked);
    list->item(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(visibleNames(), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(changed.count(), 1);
    panel.SpeedButton_AllPostavClick();
    EXPECT_EQ(changed.count(), 2);

    panel.Button_SelectNotClick();
    EXPECT_TRUE(visibleNames().isEmpty());
    panel.Button_SelectAllClick();
    EXPECT_EQ(visibleNames().size(), 3);
    EXPECT_EQ(changed.count(), 4);
}

TEST_F(SelectionTest, DeletingATemplateSelectsTheNextOne)
{
    int argc = 0;
    QApplication app(argc, nullptr);
    for (const char* name : {"T1", "T2", "T3"})
        saveTemplate(*orders, QString::fromLatin1(name), {QString::fromLatin1(name) == "T3" ? "C" : "A"});
    SupplierSelectionPanel panel(prices.db(), *orders);
    QStringList asked;
    panel.setQuestion([&](const QString& text) {
        asked << text;
        return true;
    });
    panel.FillTemplateLists(QStringLiteral("T2"));
    panel.BitBtn_TempDelClick();
    EXPECT_EQ(asked, QStringList{QStringLiteral("Удалить шаблон \"T2\"?")});
    auto* chooser = find<QComboBox>(panel, "ComboBox_TempSel");
    EXPECT_EQ(chooser->currentText(), QStringLiteral("T3"));
    EXPECT_EQ(panel.templateSupplierList(), QStringList{"C"});
    // The last one deleted: the new last entry is loaded.
    panel.BitBtn_TempDelClick();
    EXPECT_EQ(chooser->currentText(), QStringLiteral("T1"));
    EXPECT_EQ(panel.templateSupplierList(), QStringList{"A"});
    // "No" keeps it.
    panel.setQuestion([](const QString&) { return false; });
    panel.BitBtn_TempDelClick();
    EXPECT_EQ(templateNames(*orders), QStringList{"T1"});
}

} // namespace
} // namespace velmora::search
