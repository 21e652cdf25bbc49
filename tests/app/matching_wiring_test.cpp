// Matching in the wired program: the pages of PageControl_Sootv follow the
// catalogue's current good, and a criteria search moves the ticked item
// into its correspondences.
#include "app/main_status_bar.h"
#include "app/program.h"
#include "app_environment.h"
#include "app_test_support.h"
#include "wired_installation.h"
#include "../common/program_databases.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTreeWidget>

using namespace velmora;
using namespace velmora::testing;

namespace {

// The program's application object comes from catalogue_wiring_test.cpp's
// environment, one per test program.

TEST(WiredMatching, TheCurrentGoodsCriteriaFindItemsThatMoveIntoItsCorrespondences)
{
    WiredInstallation inst;
    inst.answer = true;
    {
        db::Connection priceDb = inst.priceDefaults();
        priceDb.exec(QStringLiteral(
            "INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant) "
            "VALUES (1, 0, 1, 0, 0, 'Кабели', 0, '');"
            "INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Dates, Garant, Sale, "
            "SuperPrice) VALUES (10, 'K-1', '1', 'Кабель USB 2 м', 100, 0, 100, 45000, '', 0, 0);"
            "INSERT INTO krit (Code_krit, Krit_1, Krit_2, Krit_3, Krit_4, Krit_5) VALUES (10, 'кабель', '', '', '', '');"
            "INSERT INTO price_all (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, Garant,"
            " Sklad) VALUES ('A1', 'Кабель USB 2м', 90, 95, 'ООО Альфа', 'false', 'true', 45000, '', 'есть'),"
            " ('B1', 'Мышь', 50, 55, 'ООО Бета', 'false', 'true', 45000, '', 'есть')"));
    }
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    QCoreApplication::processEvents();

    auto* pages = findControl<QTabWidget>(&form, "PageControl_Sootv");
    auto* criteriaGrid = findControl<QTableWidget>(&form, "DBGrid_Krit1");
    ASSERT_TRUE(pages && criteriaGrid);
    for (const char* page : {"TabSheet_Krit", "TabSheet_Sootv", "TabSheet_TablSootv"})
        ASSERT_NE(findControl<QWidget>(&form, page), nullptr);

    findControl<QTabWidget>(&form, "PageControl_AllTovar")->setCurrentIndex(1);
    auto* tree = findControl<QTreeWidget>(&form, "TreeView_Groups");
    ASSERT_TRUE(tree && tree->topLevelItemCount() == 1);
    tree->setCurrentItem(tree->topLevelItem(0));
    ASSERT_EQ(criteriaGrid->rowCount(), 1) << "the good's criteria follow it";
    EXPECT_EQ(criteriaGrid->item(0, 0)->text(), QStringLiteral("кабель"));

    findControl<QPushButton>(&form, "Button_KritSelect")->click();
    EXPECT_EQ(pages->currentIndex(), 1);
    QAbstractItemModel* results = findControl<QTableView>(&form, "DBCtrlGrid1_Sootv")->model();
    ASSERT_EQ(results->rowCount(), 1);
    ASSERT_TRUE(results->setData(results->index(0, 0), Qt::Checked, Qt::CheckStateRole));
    findControl<QPushButton>(&form, "Button_SootvTovar1")->click();
    EXPECT_EQ(pages->currentIndex(), 2);
    EXPECT_EQ(findControl<QTableWidget>(&form, "DBGrid_TablSootv")->rowCount(), 1);
    EXPECT_EQ(queryRows(form.ADOConnection, QStringLiteral("SELECT Code_sootv, Tovar FROM svod")),
              QStringList{"10|Кабель USB 2м"});

    // The menu's command empties the whole table, after its question.
    QAction* clear = findControl<QAction>(&form, "SootvClear");
    ASSERT_NE(clear, nullptr);
    clear->trigger();
    EXPECT_EQ(inst.questions.value(inst.questions.size() - 1), QStringLiteral("Таблица соответствия будет очищена. Продолжить?"));
    EXPECT_TRUE(queryRows(form.ADOConnection, QStringLiteral("SELECT * FROM sootv")).isEmpty());
    EXPECT_EQ(findControl<QTableWidget>(&form, "DBGrid_TablSootv")->rowCount(), 0);
    form.close();
}

} // namespace
