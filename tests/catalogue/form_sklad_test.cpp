// The stock criteria window, offscreen.
#include "../common/program_databases.h"
#include "catalogue/stock/form_sklad.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace velmora;
using namespace velmora::catalogue;
using namespace velmora::testing;

namespace {

class FormSkladTest : public ProgramDatabasesTest {
protected:
    void SetUp() override
    {
        ensureApplication();
        ProgramDatabasesTest::SetUp();
        window = std::make_unique<Form_Sklad>(priceDb, orderDb, [this](const QString& text) { messages << text; });
    }
    void TearDown() override { window.reset(); }

    template <typename T = QWidget>
    T* control(const char* name) const
    {
        return findControl<T>(window.get(), name);
    }
    void click(const char* name) { control<QAbstractButton>(name)->click(); }
    QStringList rows(const char* grid) const
    {
        QStringList out;
        auto* list = control<QListWidget>(grid);
        for (int row = 0; row < list->count(); ++row)
            out << list->item(row)->text();
        return out;
    }
    void doubleClickRow(const char* grid, int row)
    {
        auto* list = control<QListWidget>(grid);
        const QPoint at = list->visualItemRect(list->item(row)).center();
        // A view takes a double click on the row the press went to.
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    QString switches() const
    {
        return queryRows(orderDb, QStringLiteral("SELECT TypeBoolean, TypeText, TypeInteger FROM settings "
                                                 "WHERE ParName = 'KritSklad'"))
            .value(0);
    }

    QStringList messages;
    std::unique_ptr<Form_Sklad> window;
};

TEST_F(FormSkladTest, ListsRefuseATextTheOtherListHolds)
{
    priceDb.exec(QStringLiteral("INSERT INTO svod (Tovar, Postavshik, Code_sootv, Sklad) VALUES "
                                "('Болт', 'Альфа', 1, 'В наличии'), ('Гайка', 'Альфа', 2, 'ожидается')"));
    window->show();
    EXPECT_EQ(rows("DBGrid_All"), (QStringList{QStringLiteral("В наличии"), QStringLiteral("ожидается")}));

    control<QLineEdit>("Edit_Yes")->setText(QStringLiteral("В наличии"));
    click("Button_AddYes");
    EXPECT_EQ(rows("DBGrid_Yes"), QStringList{QStringLiteral("В наличии")});
    EXPECT_TRUE(control<QLineEdit>("Edit_Yes")->text().isEmpty());
    EXPECT_EQ(rows("DBGrid_All"), QStringList{QStringLiteral("ожидается")});

    control<QLineEdit>("Edit_No")->setText(QStringLiteral("в НАЛИЧИИ"));
    click("Button_AddNo");
    EXPECT_EQ(messages, QStringList{QStringLiteral("Подобный критерий уже есть!")});
    EXPECT_EQ(control<QLineEdit>("Edit_No")->text(), QStringLiteral("в НАЛИЧИИ")); // the field keeps its text
    EXPECT_TRUE(rows("DBGrid_No").isEmpty());

    // A row changed to its own text is a duplicate as well.
    messages.clear();
    doubleClickRow("DBGrid_Yes", 0);
    EXPECT_EQ(control<QLineEdit>("Edit_Yes")->text(), QStringLiteral("В наличии"));
    click("Button_EditYes");
    EXPECT_EQ(messages, QStringList{QStringLiteral("Подобный критерий уже есть!")});

    control<QLineEdit>("Edit_Yes")->setText(QStringLiteral("Есть"));
    click("Button_EditYes");
    EXPECT_EQ(rows("DBGrid_Yes"), QStringList{QStringLiteral("Есть")});
    EXPECT_EQ(rows("DBGrid_All"), (QStringList{QStringLiteral("В наличии"), QStringLiteral("ожидается")}));

    click("Button_DelYes");
    EXPECT_TRUE(rows("DBGrid_Yes").isEmpty());
}

TEST_F(FormSkladTest, ChangeWithAnEmptyFieldOrNoCurrentRowDoesNothing)
{
    priceDb.exec(QStringLiteral("INSERT INTO Price_Sklad (Sklad, Text) VALUES ('No', 'нет')"));
    window->show();
    click("Button_EditNo"); // empty field
    EXPECT_EQ(rows("DBGrid_No"), QStringList{QStringLiteral("нет")});
    control<QListWidget>("DBGrid_No")->setCurrentItem(nullptr);
    control<QLineEdit>("Edit_No")->setText(QStringLiteral("отсутствует"));
    click("Button_EditNo"); // no current row
    EXPECT_EQ(rows("DBGrid_No"), QStringList{QStringLiteral("нет")});
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(FormSkladTest, MissingTextsShowAndMoveIntoALIst)
{
    priceDb.exec(QStringLiteral("INSERT INTO svod (Tovar, Postavshik, Code_sootv, Sklad) VALUES "
                                "('Болт', 'Альфа', 1, 'под заказ'), ('Гайка', 'Альфа', 2, NULL)"));
    window->show();
    auto* toggle = control<QPushButton>("Button_OpenAll");
    EXPECT_EQ(toggle->text(), QStringLiteral(">>>"));
    EXPECT_FALSE(control<QGroupBox>("GroupBox_All")->isVisible());
    click("Button_OpenAll");
    EXPECT_EQ(toggle->text(), QStringLiteral("<<<"));
    EXPECT_EQ(toggle->toolTip(), QStringLiteral("Скрыть отсутствующие значения поля \"Склад\""));
    EXPECT_TRUE(control<QGroupBox>("GroupBox_All")->isVisible());
    EXPECT_EQ(rows("DBGrid_All"), QStringList{QStringLiteral("под заказ")});

    click("Button_AllNo");
    EXPECT_EQ(rows("DBGrid_No"), QStringList{QStringLiteral("под заказ")});
    EXPECT_TRUE(rows("DBGrid_All").isEmpty());
    click("Button_AllYes"); // nothing left to move
    EXPECT_TRUE(rows("DBGrid_Yes").isEmpty());

    click("Button_OpenAll");
    EXPECT_EQ(toggle->text(), QStringLiteral(">>>"));
    EXPECT_EQ(toggle->toolTip(), QStringLiteral("Показать отсутствующие значения поля \"Склад\""));
    EXPECT_FALSE(control<QGroupBox>("GroupBox_All")->isVisible());
}

TEST_F(FormSkladTest, SwitchesShowTheDefaultsAndWriteWhatTheUserChooses)
{
    window->show();
    EXPECT_EQ(switches(), QStringLiteral("0|Yes|1"));
    EXPECT_FALSE(control<QCheckBox>("CheckBox_YesNo")->isChecked());
    EXPECT_FALSE(control<QGroupBox>("GroupBox_KritYesNo")->isVisible());
    EXPECT_FALSE(control<QGroupBox>("GroupBox_NullYesNo")->isVisible());

    click("CheckBox_YesNo");
    EXPECT_TRUE(control<QGroupBox>("GroupBox_KritYesNo")->isVisible());
    EXPECT_TRUE(control<QRadioButton>("RadioButton_Yes")->isChecked());
    EXPECT_TRUE(control<QRadioButton>("RadioButton_NullYes")->isChecked());
    EXPECT_EQ(switches(), QStringLiteral("1|Yes|1"));
    click("RadioButton_No");
    click("RadioButton_NullNo");
    EXPECT_EQ(switches(), QStringLiteral("1|No|0"));

    window->hide();
    window->show();
    EXPECT_TRUE(control<QCheckBox>("CheckBox_YesNo")->isChecked());
    EXPECT_TRUE(control<QRadioButton>("RadioButton_No")->isChecked());
    EXPECT_TRUE(control<QRadioButton>("RadioButton_NullNo")->isChecked());
    click("RadioButton_Yes");
    click("RadioButton_NullYes");
    click("CheckBox_YesNo");
    EXPECT_EQ(switches(), QStringLiteral("0|Yes|1"));
    EXPECT_FALSE(control<QGroupBox>("GroupBox_NullYesNo")->isVisible());
}

} // namespace
