// The supplier settings window and the priority brands window offscreen.
#include "../common/program_databases.h"

#include "storage/settings_store.h"
#include "suppliers/brands/form_brend_priory.h"
#include "suppliers/brands/form_postav_setup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>

namespace velmora::brands {
namespace {

using testing::queryRows;

class SupplierSettingsWindowsTest : public testing::ProgramDatabasesTest {
protected:
    void SetUp() override
    {
        ProgramDatabasesTest::SetUp();
        testing::ensureApplication();
        priceDb.exec(QStringLiteral(
            "INSERT INTO AllPostavSetup (Id, Postavshik, PostavVisible) VALUES (1, 'Альфа', 1), (2, 'Бета', 1);"
            "INSERT INTO AllTovarPostav (Postavshik, Art, Tovar, TextNoName, Description) VALUES"
            " ('Альфа', 'ab-1', 'Дрель', 'Bosch', 'описание'), ('Альфа', 'cd-2', 'Пила', 'Makita', 'описание'),"
            " ('Бета', 'AB-1', 'Дрель', 'Bosch', 'описание');"
            "INSERT INTO BrandNamePostav VALUES ('Бета', 'Makita', 'MAKITA')"));
    }

    template <typename W>
    W* child(QWidget& window, const char* name)
    {
        W* widget = window.findChild<W*>(QLatin1String(name));
        EXPECT_TRUE(widget) << name;
        return widget;
    }
};

TEST_F(SupplierSettingsWindowsTest, AssigningABrandAndRecalculatingArticles)
{
    Form_PostavSetup window(priceDb, orderDb);
    QStringList messages;
    window.setMessageSink([&](const QString& text) { messages << text; });
    QSignalSpy status(&window, &Form_PostavSetup::statusTextChanged);
    QSignalSpy goods(&window, &Form_PostavSetup::goodsChanged);
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Настройки поставщиков"));
    EXPECT_FALSE(window.isModal());
    auto* pages = child<QTabWidget>(window, "PageControl1");
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_EQ(pages->tabText(1), QStringLiteral(" Артикулы "));
    EXPECT_TRUE(child<QCheckBox>(window, "CheckBox_NullEtalon")->isChecked());

    // Альфа's Bosch was collected on opening (Makita is mapped for Бета).
    auto* grid = child<QTableWidget>(window, "DBGrid_BrandNamePostav");
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(child<QLineEdit>(window, "Edit_BrandNamePostav")->text(), QStringLiteral("Bosch"));
    auto* etalon = child<QComboBox>(window, "ComboBox_BrandNameEtalon");
    EXPECT_EQ(etalon->currentText(), QStringLiteral("MAKITA")); // the only standard name
    etalon->setEditText(QStringLiteral("BOSCH"));
    child<QPushButton>(window, "Button_EditBrand")->click();
    EXPECT_EQ(grid->rowCount(), 0); // only the empty ones are shown
    EXPECT_EQ(queryRows(priceDb, QStringLiteral("SELECT BrandNameEtalon FROM BrandNamePostav "
                                                "WHERE Postavshik = 'Альфа' AND BrandNamePostav = 'Bosch'")),
              QStringList{QStringLiteral("BOSCH")});
    EXPECT_EQ(etalon->count(), 2);
    child<QCheckBox>(window, "CheckBox_NullEtalon")->click(); // all of Альфа's maker texts
    EXPECT_EQ(grid->rowCount(), 1);

    // The articles: the group shows with its switch; recalculated, every
    // offer's key is its normalised article.
    pages->setCurrentIndex(1);
    auto* all = child<QCheckBox>(window, "CheckBox_Art_All");
    auto* steps = child<QGroupBox>(window, "GroupBox_Art_All");
    EXPECT_TRUE(steps->isHidden());
    all->click();
    EXPECT_FALSE(steps->isHidden());
    child<QCheckBox>(window, "CheckBox_Art_02")->setChecked(true);
    child<QCheckBox>(window, "CheckBox_Art_03")->setChecked(true);
    child<QPushButton>(window, "Button_ArticulUpdate")->click();
    EXPECT_EQ(queryRows(priceDb, QStringLiteral("SELECT Description FROM AllTovarPostav ORDER BY Number")),
              (QStringList{"AB1", "CD2", "AB1"}));
    ASSERT_FALSE(status.isEmpty());
    EXPECT_EQ(status.constLast().at(0).toString(),
              QStringLiteral("Обработка:  - преобразование артикулов.    Выполнено:  100%"));
    EXPECT_EQ(goods.count(), 1);
    SettingsStore settings(orderDb);
    EXPECT_TRUE(settings.readBoolean(QStringLiteral("CheckBox_Art_All")));
    EXPECT_TRUE(settings.readBoolean(QStringLiteral("CheckBox_Art_03")));
    EXPECT_FALSE(settings.readBoolean(QStringLiteral("CheckBox_Art_05")));

    // Switched off and remembered: the articles are the keys again.
    all->click();
    child<QPushButton>(window, "Button1")->click();
    EXPECT_EQ(queryRows(priceDb, QStringLiteral("SELECT Description FROM AllTovarPostav ORDER BY Number")),
              (QStringList{"ab-1", "cd-2", "AB-1"}));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SupplierSettingsWindowsTest, MarkupScalesPerSupplier)
{
    WriteSetting(orderDb, QStringLiteral("БетаSpinEdit_n1_1"), QStringLiteral("TypeInteger"), QStringLiteral("33"));
    Form_PostavSetup window(priceDb, orderDb);
    window.show();
    child<QTabWidget>(window, "PageControl1")->setCurrentIndex(2);
    auto* first = child<QSpinBox>(window, "SpinEdit_n1_1");
    EXPECT_EQ(first->value(), 40); // Альфа: the defaults
    EXPECT_EQ(child<QSpinBox>(window, "SpinEdit_p2_6")->value(), 1000000);
    auto* supplier = child<QComboBox>(window, "ComboBox_NacenNamePostav");
    supplier->setCurrentIndex(1);
    window.ComboBox_NacenNamePostavChange();
    EXPECT_EQ(first->value(), 33);
    first->setValue(31);
    child<QPushButton>(window, "Button3")->click();
    EXPECT_EQ(SettingsStore(orderDb).readInteger(QStringLiteral("БетаSpinEdit_n1_1")), 31);
    EXPECT_EQ(SettingsStore(orderDb).readInteger(QStringLiteral("БетаSpinEdit_n2_2")), 42);
}

TEST_F(SupplierSettingsWindowsTest, PriorityBrandsAddedOnceAndDeletedOnlyOnYes)
{
    priceDb.exec(QStringLiteral("DROP TABLE BrendPriory"));
    Form_BrendPriory window(priceDb);
    QStringList messages;
    QStringList questions;
    bool answer = false;
    window.setMessageSink([&](const QString& text) { messages << text; });
    window.setQuestionHandler([&](const QString& text) {
        questions << text;
        return answer;
    });
    QSignalSpy changed(&window, &Form_BrendPriory::priorityBrandsChanged);
    window.show(); // the missing table is made
    auto* makers = child<QComboBox>(window, "ComboBox_BrendPrioryNew");
    EXPECT_EQ(makers->count(), 2);
    EXPECT_EQ(makers->currentText(), QStringLiteral("Bosch"));
    auto* add = child<QPushButton>(window, "Button_BrendPrioryAdd");
    add->click();
    add->click();
    EXPECT_EQ(messages, QStringList{QStringLiteral("Бренд \"Bosch\" уже добавлен!")});
    makers->setCurrentIndex(1);
    add->click();
    auto* grid = child<QTableWidget>(window, "DBGrid_BrendPriory");
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->currentRow(), 1); // at the added name
    EXPECT_EQ(changed.count(), 3);

    grid->setCurrentCell(0, 0);
    window.DBGrid_BrendPrioryDblClick(); // No (or the question closed): kept
    EXPECT_EQ(questions, QStringList{QStringLiteral("Удалить бренд \"Bosch\" из приоритетов?")});
    EXPECT_EQ(grid->rowCount(), 2);
    answer = true;
    window.DBGrid_BrendPrioryDblClick();
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->item(grid->currentRow(), 0)->text(), QStringLiteral("Makita"));
    EXPECT_EQ(changed.count(), 4);
}

} // namespace
} // namespace velmora::brands
