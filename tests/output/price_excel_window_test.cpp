// The spreadsheet price list's layout window, offscreen: its settings read
// and stored, the template in the sheet view beside it, each "..." taking
// the view's current cell; the template made by openpyxl.
#include "output_test_support.h"
#include "pricing_fixture.h"

#include "output/price_list/form_price_excel.h"
#include "output/price_list/price_excel_settings.h"
#include "output/price_list/price_list_excel.h"

#include "platform/spreadsheet/view/sheet_view.h"
#include "storage/settings_store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::testing;
using velmora::output::test::ToolRun;
using velmora::output::test::runTool;

namespace {

// Three sheets; on the first, D7 in Times New Roman 12, bold, underlined,
// on a yellow fill in a column 12.7 characters wide (the file keeps the
// cell padding with it), and cells in row 60 and column AA.
const char* const kTemplateScript = R"(
import sys
import openpyxl
from openpyxl.styles import Font, PatternFill
book = openpyxl.Workbook()
first = book.active
first.title = "Прайс-лист"
book.create_sheet("Опт")
book.create_sheet("Розница")
first["D7"] = "Образец"
first["D7"].font = Font(name="Times New Roman", size=12, bold=True, underline="single", color="FF0000")
first["D7"].fill = PatternFill("solid", fgColor="FFFF00")
first.column_dimensions["D"].width = 13.42
first["A8"] = "строка 8"
first["A60"] = "строка 60"
first["AA2"] = "далеко"
book.save(sys.argv[1])
)";

void clickCell(sheet::SheetView* view, int row, int column)
{
    auto* grid = view->findChild<QTableView*>(QStringLiteral("TableView_Sheet"));
    ASSERT_NE(grid, nullptr);
    const QModelIndex index = grid->model()->index(row - 1, column - 1);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
}

class PriceExcelWindowTest : public PricingTest {
protected:
    void SetUp() override
    {
        PricingTest::SetUp();
        ASSERT_TRUE(folder.isValid());
        templatePath = folder.filePath(QStringLiteral("Price-List.xlsx"));
        const ToolRun run = runTool(QStringLiteral("/usr/bin/python3"),
                                    {QStringLiteral("-c"), QString::fromUtf8(kTemplateScript), templatePath});
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        ensureApplication();
        window = std::make_unique<Form_PriceExcel>(orderDb, folder.path());
        window->setDialogs({[this](const QString& text) { messages << text; }, {}});
        window->setOtherWindowsShown([this](bool shown) { others << shown; });
    }
    template <typename W>
    W* child(const QString& name)
    {
        W* w = window->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    void press(const QString& name)
    {
        auto* button = child<QAbstractButton>(name);
        ASSERT_NE(button, nullptr);
        button->click();
    }
    QString stored(const char* name) { return settings.readText(QLatin1String(name)); }
    qint64 storedNumber(const char* name) { return settings.readInteger(QLatin1String(name)); }
    bool storedFlag(const char* name) { return settings.readBoolean(QLatin1String(name)); }
    QStringList settingRows() { return queryRows(orderDb, QStringLiteral("SELECT * FROM settings ORDER BY ParName")); }
    QColor panel(const QString& name) { return child<QLabel>(name)->palette().color(QPalette::Window); }
    void openTemplate()
    {
        window->show();
        child<QLineEdit>(QStringLiteral("Edit_Path"))->setText(templatePath);
        press(QStringLiteral("SpeedButton_Path"));
        ASSERT_NE(window->templateView(), nullptr);
        ASSERT_TRUE(window->templateView()->hasWorkbook());
    }

    QTemporaryDir folder;
    QString templatePath;
    SettingsStore settings{orderDb};
    std::unique_ptr<Form_PriceExcel> window;
    QStringList messages;
    QList<bool> others;
};

TEST_F(PriceExcelWindowTest, ShowingAndStoringKeepsEveryKey)
{
    // Every setting away from its default, as the program writes them.
    PriceExcelSettings s = readPriceExcelSettings(orderDb, folder.path(), QStringLiteral("USD"));
    s.templatePath = QStringLiteral("/шаблоны/Прайс.xlsx");
    s.sheetNames = QStringList{QStringLiteral("Опт"), QStringLiteral("Розница")};
    s.sheetIndex = 1;
    s.startRowIndex = 7;
    s.treeType = 1;
    s.dateCell = QStringLiteral("B2");
    s.dateFormat = 4;
    s.datePrefix = QStringLiteral("Прайс от");
    s.dateSuffix = QStringLiteral("(опт)");
    for (int n = 0; n <= 5; ++n) {
        LevelLook& l = s.levels[size_t(n)];
        l.fontName = QStringLiteral("Шрифт %1").arg(n);
        l.fontSize = 8 + n;
        l.column = QStringLiteral("C");
        l.fontColor = 0x0000FF + std::uint32_t(n);
        l.fillColor = 0x00FFFF - std::uint32_t(n);
        l.bold = n % 2 == 0;
        l.italic = n % 2 == 1;
        l.underline = n > 2;
    }
    for (int i = 0; i < kGoodsColumnCount; ++i) {
        s.columns[size_t(i)].wanted = i % 2 == 0;
        s.columns[size_t(i)].position = i + 3;
        s.columns[size_t(i)].width = 20 + i;
    }
    s.priceCurrency = {1, 0, 1, 0};
    storePriceExcelSettings(orderDb, s);
    const QStringList before = settingRows();

    window->show();
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(child<QComboBox>(QStringLiteral("ComboBox_Sheet"))->currentText(), QStringLiteral("Розница"));
    EXPECT_EQ(child<QComboBox>(QStringLiteral("ComboBox_StartRow"))->currentText(), QStringLiteral("7"));
    EXPECT_EQ(child<QComboBox>(QStringLiteral("ComboBox_Art"))->currentText(), QStringLiteral("D"));
    EXPECT_EQ(child<QComboBox>(QStringLiteral("CheckBox_Price1Kurs"))->currentText(), QStringLiteral("руб."));
    EXPECT_TRUE(child<QToolButton>(QStringLiteral("SpeedButton_FontUline5"))->isChecked());
    EXPECT_FALSE(child<QWidget>(QStringLiteral("Panel_Save"))->isVisible());
    press(QStringLiteral("Button_Save"));
    EXPECT_EQ(settingRows(), before);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(others, QList<bool>{true}); // the windows it stood in for come back
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
}

TEST_F(PriceExcelWindowTest, ColourTextsOfEveryFormAreReadAndWrittenInOne)
{
    settings.write(QStringLiteral("Panel_ColorFont1"), QStringLiteral("TypeText"), QStringLiteral("$0000FF"));
    settings.write(QStringLiteral("Panel_Color1"), QStringLiteral("TypeText"), QStringLiteral("clWhite"));
    settings.write(QStringLiteral("Panel_ColorFont2"), QStringLiteral("TypeText"), QStringLiteral("65280"));
    window->show();
    EXPECT_EQ(panel(QStringLiteral("Panel_ColorFont1")), QColor(0xFF, 0, 0));
    EXPECT_EQ(panel(QStringLiteral("Panel_Color1")), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(panel(QStringLiteral("Panel_ColorFont2")), QColor(0, 0xFF, 0));
    press(QStringLiteral("Button_Save"));
    EXPECT_EQ(stored("Panel_ColorFont1"), QStringLiteral("$000000FF"));
    EXPECT_EQ(stored("Panel_Color1"), QStringLiteral("$00FFFFFF"));
    EXPECT_EQ(stored("Panel_ColorFont2"), QStringLiteral("$0000FF00"));
}

TEST_F(PriceExcelWindowTest, TheTemplatesSheetsAreListedAndStored)
{
    openTemplate();
    auto* sheets = child<QComboBox>(QStringLiteral("ComboBox_Sheet"));
    ASSERT_EQ(sheets->count(), 3);
    EXPECT_EQ(sheets->itemText(2), QStringLiteral("Розница"));
    EXPECT_EQ(sheets->currentIndex(), 0);
    EXPECT_EQ(others, QList<bool>{false}); // the main window steps aside
    EXPECT_TRUE(window->templateView()->isVisible());
    sheets->setCurrentIndex(2);
    press(QStringLiteral("Button_Save"));
    EXPECT_EQ(storedNumber("ComboBox_SheetMaxItems"), 3);
    EXPECT_EQ(stored("ComboBox_SheetItems1"), QStringLiteral("Прайс-лист"));
    EXPECT_EQ(stored("ComboBox_SheetItems3"), QStringLiteral("Розница"));
    EXPECT_EQ(storedNumber("ComboBox_SheetItemIndex"), 2);
    EXPECT_EQ(readPriceExcelSettings(orderDb, folder.path(), QStringLiteral("USD")).sheetName(),
              QStringLiteral("Розница"));
    // Closing the window closes the view.
    EXPECT_FALSE(window->templateView()->isVisible());
    EXPECT_FALSE(window->templateView()->hasWorkbook());
}

TEST_F(PriceExcelWindowTest, AMissingTemplateIsAskedForThroughTheOpenDialog)
{
    QStringList asked;
    QString answer;
    window->setOpenDialog([&](QWidget*, const QString& filter) {
        asked << filter;
        return answer;
    });
    window->show();
    child<QLineEdit>(QStringLiteral("Edit_Path"))->setText(folder.filePath(QStringLiteral("нет такого.xlsx")));
    press(QStringLiteral("SpeedButton_Path")); // cancelled
    EXPECT_EQ(asked.size(), 1);
    EXPECT_TRUE(window->templateView() == nullptr || !window->templateView()->hasWorkbook());
    answer = templatePath;
    press(QStringLiteral("SpeedButton_Path"));
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("Edit_Path"))->text(), templatePath);
    EXPECT_EQ(child<QComboBox>(QStringLiteral("ComboBox_Sheet"))->count(), 3);

    // A file that is no workbook: told, the view closed.
    const QString broken = folder.filePath(QStringLiteral("сломан.xlsx"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a workbook");
    file.close();
    child<QLineEdit>(QStringLiteral("Edit_Path"))->setText(broken);
    press(QStringLiteral("SpeedButton_Path"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.at(0).contains(broken)) << messages.at(0).toStdString();
    EXPECT_FALSE(window->templateView()->hasWorkbook());
}

TEST_F(PriceExcelWindowTest, EachDotsButtonTakesTheCurrentCell)
{
    openTemplate();
    sheet::SheetView* view = window->templateView();

    // Without a chosen cell nothing changes and the user is told.
    press(QStringLiteral("Button_SetParam1"));
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("Edit_FontName1"))->text(), QStringLiteral("Arial"));

    clickCell(view, 7, 4);
    press(QStringLiteral("Button_SetParam1"));
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("Edit_FontName1"))->text(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(child<QSpinBox>(QStringLiteral("Edit_FontSize1"))->value(), 12);
    EXPECT_EQ(child<QLabel>(QStringLiteral("StaticText_Column1"))->text(), QStringLiteral("D"));
    EXPECT_TRUE(child<QToolButton>(QStringLiteral("SpeedButton_FontBold1"))->isChecked());
    EXPECT_FALSE(child<QToolButton>(QStringLiteral("SpeedButton_FontItalic1"))->isChecked());
    EXPECT_TRUE(child<QToolButton>(QStringLiteral("SpeedButton_FontUline1"))->isChecked());
    EXPECT_EQ(panel(QStringLiteral("Panel_ColorFont1")), QColor(0xFF, 0, 0));
    press(QStringLiteral("Button_SelArt"));
    EXPECT_EQ(child<QComboBox>(QStringLiteral("ComboBox_Art"))->currentIndex(), 4);
    EXPECT_EQ(child<QSpinBox>(QStringLiteral("Edit_Art"))->value(), 13);
    press(QStringLiteral("Button_DateCell"));
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("Edit_DateCell"))->text(), QStringLiteral("D7"));

    // A cell without a look of its own: the default font, no fill reads white.
    clickCell(view, 3, 2);
    press(QStringLiteral("Button_SetParam0"));
    EXPECT_EQ(panel(QStringLiteral("Panel_Color0")), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_FALSE(child<QToolButton>(QStringLiteral("SpeedButton_FontBold0"))->isChecked());

    // The start row: row 8 is item "8"; a row past 50 and a column past Z
    // have no item in their lists.
    clickCell(view, 8, 1);
    press(QStringLiteral("Button_StartRow"));
    EXPECT_EQ(child<QComboBox>(QStringLiteral("ComboBox_StartRow"))->currentText(), QStringLiteral("8"));
    clickCell(view, 60, 1);
    press(QStringLiteral("Button_StartRow"));
    EXPECT_EQ(child<QComboBox>(QStringLiteral("ComboBox_StartRow"))->currentIndex(), -1);
    clickCell(view, 2, 27);
    press(QStringLiteral("Button_SelPrice2"));
    EXPECT_EQ(child<QComboBox>(QStringLiteral("ComboBox_Price2"))->currentIndex(), -1);
    EXPECT_EQ(messages.size(), 1) << messages.join(u'\n').toStdString();

    clickCell(view, 8, 1);
    press(QStringLiteral("Button_StartRow"));
    press(QStringLiteral("Button_Save"));
    EXPECT_EQ(stored("Edit_FontName1"), QStringLiteral("Times New Roman"));
    EXPECT_EQ(storedNumber("Edit_FontSize1"), 12);
    EXPECT_EQ(stored("StaticText_Column1"), QStringLiteral("D"));
    EXPECT_EQ(stored("Panel_Color1"), QStringLiteral("$0000FFFF"));
    EXPECT_EQ(stored("Panel_ColorFont1"), QStringLiteral("$000000FF"));
    EXPECT_TRUE(storedFlag("SpeedButton_FontBold1"));
    EXPECT_TRUE(storedFlag("SpeedButton_FontUline1"));
    EXPECT_EQ(storedNumber("ComboBox_Art"), 4);
    EXPECT_EQ(storedNumber("Edit_Art"), 13);
    EXPECT_EQ(stored("Edit_DateCell"), QStringLiteral("D7"));
    EXPECT_EQ(storedNumber("ComboBox_StartRowItemIndex"), 8);
}

TEST_F(PriceExcelWindowTest, ExportStoresTheSettingsRunsTheWriterAndCloses)
{
    EXPECT_FALSE(child<QWidget>(QStringLiteral("Button_ExportExcel"))->isEnabled()); // no writer yet
    QStringList written;
    window->setPriceListWriter([&] { written << stored("Edit_DatePrefics"); });
    openTemplate();
    child<QLineEdit>(QStringLiteral("Edit_DatePrefics"))->setText(QStringLiteral("Прайс от"));
    press(QStringLiteral("Button_ExportExcel"));
    EXPECT_EQ(written, QStringList{QStringLiteral("Прайс от")}); // stored before the writer ran
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->templateView()->hasWorkbook());
    EXPECT_EQ(others, (QList<bool>{false, true}));
}

} // namespace
