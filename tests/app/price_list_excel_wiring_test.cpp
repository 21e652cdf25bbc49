// The shop's spreadsheet price list in the running program: the layout
// window from the menu "Экспорт", the template in the sheet view, a cell's
// look taken by "...", "Выгрузить в Excel" storing the settings and
// writing the workbook; the export run's hook writes the same workbook.
#include "../common/program_databases.h"
#include "app_environment.h"
#include "app_test_support.h"
#include "wired_installation.h"
#include "../output/xlsx_dump.h"

#include "app/form_main.h"
#include "output/price_list/price_list_excel.h"
#include "platform/spreadsheet/handover.h"
#include "platform/spreadsheet/view/sheet_view.h"
#include "platform/spreadsheet/workbook.h"
#include "platform/spreadsheet/worksheet.h"
#include "storage/settings_store.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QPushButton>

#include <gtest/gtest.h>

#include <optional>

using namespace velmora;
using namespace velmora::testing;

namespace {

void clickCell(QWidget* view, int row, int column)
{
    auto* grid = view->findChild<QTableView*>(QStringLiteral("TableView_Sheet"));
    ASSERT_NE(grid, nullptr);
    const QModelIndex index = grid->model()->index(row - 1, column - 1);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
}


struct PriceListInstallation : WiredInstallation {
    PriceListInstallation()
    {
        QFile::copy(QStringLiteral(VELMORA_PROGRAM_DIR "/Price-List.xlsx"), program + QStringLiteral("Price-List.xlsx"));
        db::Connection priceDb = priceDefaults();
        priceDb.exec(QStringLiteral("INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant) "
                                    "VALUES (1, 0, 1, 0, 5, 'Мыши', 0, '')"));
        priceDb.exec(QStringLiteral("INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Dates, "
                                    "Garant, Sale, SuperPrice) VALUES (11, 'M-1', '1', 'Мышь оптическая', 10, 0, 10, 1, "
                                    "'1 год', 0, 0)"));
    }
    QString written() const
    {
        const QDir folder(program + QStringLiteral("Прайс-лист Excel"));
        const QStringList files = folder.entryList({QStringLiteral("*.xlsx")}, QDir::Files);
        return files.size() == 1 ? folder.filePath(files.first()) : QString();
    }
};

// The program over a price-list installation, started once the test has
// set the installation up; the start's own messages are dropped.
class WiredPriceList : public ::testing::Test {
protected:
    void start()
    {
        program_.emplace(inst.options());
        ASSERT_TRUE(program_->start());
        processEventsFor(100);
        inst.messages.clear();
    }
    Form_main& form() { return *program_->Form_main(); }

    PriceListInstallation inst;

private:
    std::optional<Program> program_;
};

TEST_F(WiredPriceList, TheLayoutWindowFromTheMenuTakesACellAndWritesTheWorkbook)
{
    sheet::setDesktopOpeningEnabled(false);
    ASSERT_NO_FATAL_FAILURE(start());
    Form_main& form = this->form();

    auto* item = form.findChild<QAction*>(QStringLiteral("Excel1"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QStringLiteral("Настройка прайс-листа в Excel"));
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    auto* window = form.findChild<QDialog*>(QStringLiteral("Form_PriceExcel"));
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->isVisible());
    // The template beside the program is the default.
    EXPECT_EQ(QFileInfo(findControl<QLineEdit>(window, "Edit_Path")->text()).canonicalFilePath(),
              QFileInfo(inst.program + QStringLiteral("Price-List.xlsx")).canonicalFilePath());
    findControl<QToolButton>(window, "SpeedButton_Path")->click();
    auto* view = window->findChild<QWidget*>(QStringLiteral("PriceExcelView"));
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->isVisible());
    EXPECT_FALSE(form.isVisible()); // the main window stepped aside
    EXPECT_EQ(findControl<QComboBox>(window, "ComboBox_Sheet")->currentText(), QStringLiteral("Прайс-лист"));

    // The template's column title: Arial 10, bold, on its fill.
    clickCell(view, 3, 3);
    findControl<QToolButton>(window, "Button_SetParam1")->click();
    EXPECT_EQ(findControl<QLineEdit>(window, "Edit_FontName1")->text(), QStringLiteral("Arial"));
    EXPECT_TRUE(findControl<QToolButton>(window, "SpeedButton_FontBold1")->isChecked());
    EXPECT_EQ(findControl<QLabel>(window, "StaticText_Column1")->text(), QStringLiteral("C"));
    EXPECT_EQ(findControl<QLabel>(window, "Panel_Color1")->palette().color(QPalette::Window), QColor(0xD9, 0xE1, 0xF2));
    clickCell(view, 4, 1);
    findControl<QToolButton>(window, "Button_StartRow")->click();
    EXPECT_EQ(findControl<QComboBox>(window, "ComboBox_StartRow")->currentText(), QStringLiteral("4"));

    findControl<QPushButton>(window, "Button_ExportExcel")->click();
    EXPECT_TRUE(inst.messages.isEmpty()) << inst.messages.join(u'\n').toStdString();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(view->isVisible());
    EXPECT_TRUE(form.isVisible());
    SettingsStore settings(form.ADOConnection_Zakaz);
    EXPECT_TRUE(settings.readBoolean(QStringLiteral("SpeedButton_FontBold1")));
    EXPECT_EQ(settings.readInteger(QStringLiteral("ComboBox_StartRowItemIndex")), 4);
    const QString path = inst.written();
    ASSERT_FALSE(path.isEmpty());
    sheet::Workbook book = sheet::Workbook::open(path);
    sheet::Worksheet* sheet = book.findSheet(QStringLiteral("Прайс-лист"));
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->value(4, 3).toText(), QStringLiteral("Мыши"));
    EXPECT_EQ(sheet->value(5, 3).toText(), QStringLiteral("Мышь оптическая"));
    form.close();
}

// A fresh start with the shipped template: one "Выгрузить в Excel" and every
// good stands with its article, name and prices under the template's titles.
TEST_F(WiredPriceList, AFreshStartWritesEveryGoodUnderTheTemplatesTitles)
{
    {
        db::Connection priceDb = inst.priceDefaults();
        priceDb.exec(QStringLiteral("INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant) "
                                    "VALUES (2, 1, 1, 0, 5, 'Беспроводные', 0, '')"));
        priceDb.exec(QStringLiteral("INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Dates, "
                                    "Garant, Sale, SuperPrice) VALUES (12, 'M-2', '2', 'Мышь радио', 20, 50, 20, 1, "
                                    "'', 0, 0), (13, 'K-3', '1', 'Коврик', 5, 0, 5, 1, '', 0, 0)"));
    }
    sheet::setDesktopOpeningEnabled(false);
    ASSERT_NO_FATAL_FAILURE(start());
    Form_main& form = this->form();
    form.findChild<QAction*>(QStringLiteral("Excel1"))->trigger();
    auto* window = form.findChild<QDialog*>(QStringLiteral("Form_PriceExcel"));
    ASSERT_NE(window, nullptr);
    findControl<QPushButton>(window, "Button_ExportExcel")->click();
    EXPECT_TRUE(inst.messages.isEmpty()) << inst.messages.join(u'\n').toStdString();
    const QString path = inst.written();
    ASSERT_FALSE(path.isEmpty());

    const output::test::SheetDump sheet = output::test::sheetOf(path, QStringLiteral("Прайс-лист"));
    // Titles in row 3 (the template's), then group Мыши with its goods by
    // name, then its subgroup; article, name and Цена 1 ... 4 in C ... I.
    EXPECT_EQ(sheet.row(3, u'I'), QStringLiteral("Ур.|Код|Наименование|Артикул|Наличие|Цена 1|Цена 2|Цена 3|Цена 4"));
    QStringList rows;
    for (int row = 4; row <= 8; ++row)
        rows << sheet.row(row, u'I');
    EXPECT_EQ(rows, (QStringList{"1|1|Мыши||||||", "||Коврик|K-3|Есть|5|5|5|5", "||Мышь оптическая|M-1|Есть|10|10|10|10",
                                 "2|2|Беспроводные||||||", "||Мышь радио|M-2|Есть|30|30|30|30"}));
    EXPECT_EQ(sheet.row(9, u'I'), QStringLiteral("||||||||"));
    form.close();
}

// The export run's writer is the same routine; a failure is told and
// reported as not saved.
TEST_F(WiredPriceList, TheExportRunsHookWritesTheSameWorkbook)
{
    sheet::setDesktopOpeningEnabled(false);
    ASSERT_NO_FATAL_FAILURE(start());
    Form_main& form = this->form();
    ASSERT_TRUE(form.hooks().ExportPriceExcel);
    SettingsStore settings(form.ADOConnection_Zakaz);
    settings.write(QStringLiteral("ComboBox_Art"), QStringLiteral("TypeInteger"), QStringLiteral("0"));
    EXPECT_FALSE(form.hooks().ExportPriceExcel(nullptr)); // the article ticked at "Нет"
    EXPECT_EQ(inst.messages, QStringList{output::unplacedColumnsMessage({QStringLiteral("Артикул")})});
    EXPECT_TRUE(inst.written().isEmpty());

    settings.write(QStringLiteral("ComboBox_Art"), QStringLiteral("TypeInteger"), QStringLiteral("4"));
    EXPECT_TRUE(form.hooks().ExportPriceExcel(nullptr));
    EXPECT_FALSE(inst.written().isEmpty());
    form.close();
}

} // namespace

// Opened from the export parameters window, the layout window brings that
// window back when it closes; opened from the menu, it does not.
TEST_F(WiredPriceList, TheParametersWindowComesBackWhenTheLayoutWindowCloses)
{
    ASSERT_NO_FATAL_FAILURE(start());
    Form_main& form = this->form();
    QTimer::singleShot(0, &form, [&form] {
        auto* parameters = form.findChild<QDialog*>(QStringLiteral("Form_parametr"));
        ASSERT_NE(parameters, nullptr);
        auto* button = findControl<QPushButton>(parameters, "Button_Excel");
        ASSERT_TRUE(button->isEnabled());
        button->click();
    });
    form.findChild<QAction*>(QStringLiteral("ParamExport"))->trigger();
    auto* parameters = form.findChild<QDialog*>(QStringLiteral("Form_parametr"));
    auto* layout = form.findChild<QDialog*>(QStringLiteral("Form_PriceExcel"));
    ASSERT_NE(layout, nullptr);
    EXPECT_TRUE(layout->isVisible());
    EXPECT_FALSE(parameters->isVisible());
    findControl<QPushButton>(layout, "Button_Exit")->click();
    EXPECT_FALSE(layout->isVisible());
    EXPECT_TRUE(parameters->isVisible());
    parameters->close();

    form.findChild<QAction*>(QStringLiteral("Excel1"))->trigger();
    EXPECT_TRUE(layout->isVisible());
    QTest::keyClick(layout, Qt::Key_Escape);
    EXPECT_FALSE(layout->isVisible());
    EXPECT_FALSE(parameters->isVisible());
    form.close();
}

// The export window's run with only "Создать прайс-лист в Excel" on: the
// same workbook, and parametr row 1 dated once it is saved.
TEST_F(WiredPriceList, TheExportWindowsRunWritesTheWorkbookAndDatesItsRow)
{
    sheet::setDesktopOpeningEnabled(false);
    inst.priceDefaults().exec(QStringLiteral("UPDATE parametr SET Dates = 1 WHERE Id = 1"));
    ASSERT_NO_FATAL_FAILURE(start());
    Form_main& form = this->form();
    QTimer::singleShot(0, &form, [&form] {
        auto* window = form.findChild<QDialog*>(QStringLiteral("Form_Export"));
        ASSERT_NE(window, nullptr);
        for (const char* name : {"CheckBox_Price", "CheckBox_DBF", "CheckBox_Access", "CheckBox_Excel", "CheckBox_KatExcel"})
            findControl<QCheckBox>(window, name)->setChecked(QByteArray(name) == "CheckBox_Excel");
        findControl<QPushButton>(window, "Button_Export")->click();
        if (window->isVisible())
            window->close();
    });
    form.findChild<QAction*>(QStringLiteral("ExportOut"))->trigger();
    EXPECT_TRUE(inst.messages.isEmpty()) << inst.messages.join(u'\n').toStdString();
    EXPECT_FALSE(inst.written().isEmpty());
    EXPECT_NE(form.ADOConnection.scalar(QStringLiteral("SELECT Dates FROM parametr WHERE Id = 1")).toLongLong(), 1);
    form.close();
}
