#include "tree_test_support.h"
#include "widget_test_support.h"

#include "platform/spreadsheet/view/sheet_view.h"
#include "platform/spreadsheet/workbook.h"
#include "suppliers/loader/price_list_loader.h"
#include "suppliers/setup/price_list_setup_tab.h"
#include "suppliers/setup/sheet_settings.h"
#include "suppliers/tree/price_lists.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QFileInfo>
#include <QWheelEvent>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace velmora;
using velmora::testing::SupplierDatabases;

namespace {

const QString kName = QStringLiteral("O'Neil \"Ёлка\"");

// The tab on a supplier with one old sheet row, its services replaced by
// recorders; the fixture workbook (sheets "Прайс", "Склад") is copied into
// the temporary folder so the file choice has a real file to take.
struct SetupTabTest : ::testing::Test {
    SupplierDatabases d;
    std::unique_ptr<PriceListSetupTab> tab;
    QStringList messages;
    QStringList questions;
    bool answer = true;
    QString chosenFile;
    QStringList dialogFolders; // where the file dialog was asked to open
    QString workbook;

    void SetUp() override
    {
        velmora::testing::ensureApplication();
        workbook = d.dir.filePath(QStringLiteral("price.xlsx"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORA_TEST_DATA "/tree/price.xlsx"), workbook));
        d.addList(1, kName);
        d.addSheet(kName, QStringLiteral("Старый"), 305);
        tab = std::make_unique<PriceListSetupTab>(d.priceDb, d.orderDb);
        tab->setMessageSink([this](const QString& t) { messages << t; });
        tab->setQuestionHandler([this](const QString& t) { questions << t; return answer; });
        tab->setFileChooser([this](const QString& folder) {
            dialogFolders << folder;
            return chosenFile;
        });
        tab->setDisplayCurrencyIndexProvider([] { return 2; });
        tab->ShowSelectedPriceList(kName, 1);
    }

    void TearDown() override
    {
        if (tab && tab->sheetView())
            tab->sheetView()->close();
    }

    template <typename W>
    W* child(const char* name) const
    {
        W* w = tab->findChild<W*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void press(const char* button) { child<QToolButton>(button)->click(); }

    // A real mouse click on a cell of the sheet view (row and column from 1).
    void clickCell(int row, int column)
    {
        sheet::SheetView* view = tab->sheetView();
        ASSERT_NE(view, nullptr);
        QTableView* grid = view->findChild<QTableView*>();
        ASSERT_NE(grid, nullptr);
        const QModelIndex index = grid->model()->index(row - 1, column - 1);
        ASSERT_TRUE(index.isValid());
        grid->scrollTo(index);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
        ASSERT_EQ(view->currentCell().row, row);
        ASSERT_EQ(view->currentCell().column, column);
    }

    void chooseWorkbook()
    {
        chosenFile = workbook;
        tab->SpeedButton_PathClick();
        ASSERT_NE(tab->sheetView(), nullptr);
        ASSERT_TRUE(tab->sheetView()->hasWorkbook());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(tab->sheetView()));
    }

    SheetSettings sheetRow(const QString& sheet) { return *ReadSheet(d.priceDb, kName, sheet); }
};

TEST(PriceListView, DateColour)
{
    EXPECT_EQ(DatesLabelColor(100, 110), QColor(0, 0, 128));
    EXPECT_EQ(DatesLabelColor(100, 111), QColor(255, 0, 0));
}

TEST_F(SetupTabTest, ChoosingTheWorkbookSyncsTheSheetsAndOpensTheView)
{
    ASSERT_NO_FATAL_FAILURE(chooseWorkbook());
    const std::vector<SheetSettings> rows = ReadSheets(d.priceDb, kName);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].SheetName, "Прайс");
    EXPECT_EQ(rows[1].SheetName, "Склад");
    EXPECT_EQ(rows[0].Valuta, 2);
    EXPECT_EQ(FindPriceList(d.priceDb, kName)->Path, workbook);
    EXPECT_EQ(child<QLineEdit>("Edit_Sheet")->text(), "Прайс");
    EXPECT_EQ(tab->sheetView()->sheetNames(), QStringList({"Прайс", "Склад"}));
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
}

TEST_F(SetupTabTest, PickingAndJoiningColumnsByClickingCells)
{
    ASSERT_NO_FATAL_FAILURE(chooseWorkbook());
    ASSERT_NO_FATAL_FAILURE(clickCell(2, 3));
    press("Button_SelMinPrice");
    EXPECT_EQ(sheetRow("Прайс").spec(SheetField::Price), 3);
    EXPECT_EQ(child<QComboBox>("ComboBox_Price")->currentText(), "C");

    ASSERT_NO_FATAL_FAILURE(clickCell(2, 1));
    press("Button_SelArt");
    ASSERT_NO_FATAL_FAILURE(clickCell(3, 2));
    press("Button_SelArtAdd");
    EXPECT_EQ(sheetRow("Прайс").spec(SheetField::Art), 102);
    EXPECT_EQ(child<QComboBox>("ComboBox_Art")->currentText(), "A+B");
    ASSERT_NO_FATAL_FAILURE(clickCell(2, 5));
    press("Button_SelArtAdd");
    ASSERT_NO_FATAL_FAILURE(clickCell(2, 3));
    press("Button_SelArtAdd");
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_EQ(messages.last(), "Можно объединить только 3 колонки!");
    EXPECT_EQ(sheetRow("Прайс").spec(SheetField::Art), 10205);

    // A cell with a hyperlink: answered Yes, the link column is stored.
    ASSERT_NO_FATAL_FAILURE(clickCell(2, 4));
    press("Button_DescriptionAdd");
    ASSERT_FALSE(questions.isEmpty());
    EXPECT_TRUE(questions.last().contains("гиперссылку"));
    EXPECT_EQ(sheetRow("Прайс").spec(SheetField::Description), 100000004);
    EXPECT_EQ(child<QComboBox>("ComboBox_Description")->currentText(), "D (Hiper)");
    // A HYPERLINK formula counts as a link too; answered No, the column joins.
    answer = false;
    ASSERT_NO_FATAL_FAILURE(clickCell(2, 5));
    press("Button_TextNoNameAdd");
    EXPECT_EQ(questions.size(), 2);
    EXPECT_EQ(sheetRow("Прайс").spec(SheetField::TextNoName), 5);

    // The per-row currency column.
    ASSERT_NO_FATAL_FAILURE(clickCell(2, 2));
    press("Button_SelValuta");
    EXPECT_EQ(sheetRow("Прайс").Valuta, 7);
    EXPECT_EQ(child<QComboBox>("ComboBox_ValutaPostav")->currentText(), "B");

    // The other sheet keeps its own settings.
    EXPECT_EQ(sheetRow("Склад").spec(SheetField::Price), 0);
}

TEST_F(SetupTabTest, PickWithoutAnOpenWorkbookAsksToOpenAndStoresNothing)
{
    d.exec(d.priceDb, QStringLiteral("UPDATE AllPostavSetup SET Path = ?1"), {workbook});
    tab->ShowSelectedPriceList(kName, 1);
    answer = true;
    press("Button_SelArt");
    ASSERT_FALSE(questions.isEmpty());
    EXPECT_EQ(questions.last(), "У вас не открыт файл Excel\r\r               Открыть?");
    EXPECT_EQ(sheetRow("Старый").spec(SheetField::Art), 305);
    ASSERT_NE(tab->sheetView(), nullptr);
    EXPECT_TRUE(tab->sheetView()->hasWorkbook());
}

TEST_F(SetupTabTest, BadFilesLoseNoSetting)
{
    const QString notBook = d.dir.filePath(QStringLiteral("list.xlsx"));
    QFile f(notBook);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("just text");
    f.close();
    const struct {
        QString path;
        QString messageStart; // "" = no message
    } cases[] = {
        {QString(), QString()}, // the dialog was cancelled
        {d.dir.filePath(QStringLiteral("нет.xlsx")), "прайс-лист " + d.dir.filePath(QStringLiteral("нет.xlsx")) + " отсутствует"},
        {notBook, "Не удалось открыть файл прайс-листа:\r" + notBook},
    };
    for (const auto& c : cases) {
        messages.clear();
        chosenFile = c.path;
        tab->SpeedButton_PathClick();
        if (c.messageStart.isEmpty()) {
            EXPECT_TRUE(messages.isEmpty());
        } else {
            ASSERT_EQ(messages.size(), 1) << c.path.toStdString();
            EXPECT_TRUE(messages.first().startsWith(c.messageStart)) << messages.first().toStdString();
        }
        EXPECT_EQ(FindPriceList(d.priceDb, kName)->Path, "/p/x.xlsx");
        EXPECT_EQ(child<QLineEdit>("Edit_Path")->text(), "/p/x.xlsx");
        ASSERT_EQ(ReadSheets(d.priceDb, kName).size(), 1u);
        EXPECT_EQ(sheetRow("Старый").spec(SheetField::Art), 305);
    }
}

TEST_F(SetupTabTest, ASheetGoneFromTheFileIsReportedAndKept)
{
    // The file changed since the sheet was set up: "Старый" is not in it.
    d.exec(d.priceDb, QStringLiteral("UPDATE AllPostavSetup SET Path = ?1"), {workbook});
    tab->ShowSelectedPriceList(kName, 1);
    tab->BitBtn2Click();
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_EQ(messages.last(), "Лист \"Старый\" не найден в файле\r" + workbook + "\r\rНастройки листа сохранены.");
    EXPECT_EQ(sheetRow("Старый").spec(SheetField::Art), 305);
    EXPECT_EQ(child<QComboBox>("ComboBox_Art")->currentText(), "C+E");
}

// The supplier's workbook lost its first sheet: the stale row, first in
// name order, would read the only sheet left with its own (empty) columns
// and load nothing. Reading the file's settings again drops it, and the
// list loads; a row can also be deleted by hand.
TEST_F(SetupTabTest, AWorkbookReducedToOneSheetLoadsAfterItsSettingsAreReadAgain)
{
    const QString file = d.dir.filePath(QStringLiteral("reduced.xlsx"));
    {
        sheet::Workbook book;
        book.sheet(1).setName(QStringLiteral("Прайс"));
        for (int r = 1; r <= 3; ++r) {
            book.sheet(1).setText(r, 1, QStringLiteral("A-%1").arg(r));
            book.sheet(1).setText(r, 2, QStringLiteral("Товар %1").arg(r));
            book.sheet(1).setNumber(r, 3, 10 * r);
        }
        book.saveAs(file);
    }
    d.exec(d.priceDb, QStringLiteral("DELETE FROM AllPostavPage"));
    d.addSheet(kName, QStringLiteral("Акции"));
    d.exec(d.priceDb, QStringLiteral("UPDATE AllPostavPage SET Column_Tovar = 0, Column_Price = 0"));
    d.addSheet(kName, QStringLiteral("Прайс"), 1);
    d.exec(d.priceDb, QStringLiteral("UPDATE AllPostavSetup SET Path = ?1"), {file});
    auto load = [&] {
        loader::LoadRequest request;
        request.name = kName;
        return loader::LoadPriceList(d.priceDb, d.orderDb, request);
    };
    EXPECT_FALSE(load().loaded) << "the stale row reads the sheet";

    chosenFile = file;
    tab->SpeedButton_PathClick();
    EXPECT_EQ(child<QListWidget>("DBGrid_PostavPage")->count(), 1);
    ASSERT_EQ(ReadSheets(d.priceDb, kName).size(), 1u);
    EXPECT_EQ(sheetRow("Прайс").spec(SheetField::Art), 1);
    const loader::LoadResult loaded = load();
    EXPECT_TRUE(loaded.loaded) << loaded.errorText.toStdString();
    EXPECT_EQ(loaded.offerCount, 3);

    // Deleting the current row by hand asks first.
    tab->Edit_SheetDblClick();
    answer = false;
    child<QPushButton>("Button_SheetDelete")->click();
    EXPECT_EQ(questions.last(), "Удалить настройки листа \"Прайс\"?");
    EXPECT_EQ(ReadSheets(d.priceDb, kName).size(), 1u);
    answer = true;
    tab->Edit_SheetDblClick();
    child<QPushButton>("Button_SheetDelete")->click();
    EXPECT_TRUE(ReadSheets(d.priceDb, kName).empty());
    EXPECT_EQ(child<QListWidget>("DBGrid_PostavPage")->count(), 0);
    EXPECT_EQ(tab->currentSheet(), QString());
}

TEST_F(SetupTabTest, SheetControlsStoreWhatTheUserChanges)
{
    bool refreshing = true;
    tab->setRatesRefreshRunningProvider([&] { return refreshing; });
    QComboBox* valuta = child<QComboBox>("ComboBox_ValutaPostav");
    emit valuta->activated(0);
    EXPECT_EQ(sheetRow("Старый").Valuta, 1); // not while the rates refresh
    refreshing = false;
    emit valuta->activated(0);
    EXPECT_EQ(sheetRow("Старый").Valuta, 0);

    child<QSpinBox>("SpinEdit_Nacen")->setValue(-15);
    EXPECT_EQ(sheetRow("Старый").Nacen, -15);
    QComboBox* art = child<QComboBox>("ComboBox_Art");
    art->setCurrentIndex(2);
    emit art->activated(2);
    EXPECT_EQ(sheetRow("Старый").spec(SheetField::Art), 2);

    // Renaming a sheet: a plain name asks first, a "[...]" pattern does not.
    tab->Edit_SheetDblClick();
    child<QLineEdit>("Edit_SheetEdit")->setText(QStringLiteral("Новый"));
    answer = false;
    tab->Button_SheetEditClick();
    EXPECT_EQ(questions.size(), 1);
    EXPECT_TRUE(ReadSheet(d.priceDb, kName, QStringLiteral("Старый")));
    tab->Edit_SheetDblClick();
    child<QLineEdit>("Edit_SheetEdit")->setText(QStringLiteral("[прайс]"));
    tab->Button_SheetEditClick();
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(tab->currentSheet(), "[прайс]");
    EXPECT_EQ(sheetRow("[прайс]").Nacen, -15);
}

TEST_F(SetupTabTest, SaveStoresSelectorTextsAndAnEmptyFactorAsOne)
{
    child<QLineEdit>("Edit_PriceConversion")->setText(QString());
    QComboBox* art = child<QComboBox>("ComboBox_Art");
    art->setCurrentIndex(4);
    child<QLineEdit>("Edit_PriceList")->setText(QStringLiteral("Новое имя"));
    tab->BitBtn_SaveSheetClick();
    EXPECT_EQ(tab->currentName(), "Новое имя");
    const PriceListRow row = *FindPriceList(d.priceDb, QStringLiteral("Новое имя"));
    EXPECT_EQ(row.PriceConversion, 1.0);
    EXPECT_EQ(ReadSheet(d.priceDb, QStringLiteral("Новое имя"), QStringLiteral("Старый"))->spec(SheetField::Art), 4);
}

// Typing the path and pressing Enter, or "Открыть файл", makes the rows of
// the workbook's sheets as "..." does; the row of a sheet the file no
// longer has keeps its settings (it is reported when shown).
TEST_F(SetupTabTest, APathTypedWithEnterOrOpenedAgainMakesTheSheetRows)
{
    const std::function<void(PriceListSetupTab&)> ways[] = {
        [](PriceListSetupTab& t) {
            QLineEdit* path = t.findChild<QLineEdit*>(QStringLiteral("Edit_Path"));
            path->setFocus();
            QTest::keyClick(path, Qt::Key_Return);
        },
        [](PriceListSetupTab& t) { t.findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click(); },
    };
    for (const auto& way : ways) {
        d.exec(d.priceDb, QStringLiteral("DELETE FROM AllPostavPage WHERE SheetName <> 'Старый'"));
        tab->ShowSelectedPriceList(kName, 1);
        child<QLineEdit>("Edit_Path")->setText(workbook);
        messages.clear();
        way(*tab);
        QStringList names;
        for (const SheetSettings& row : ReadSheets(d.priceDb, kName))
            names << row.SheetName;
        EXPECT_EQ(names, QStringList({"Прайс", "Склад", "Старый"}));
        EXPECT_EQ(sheetRow("Старый").spec(SheetField::Art), 305);
        EXPECT_EQ(FindPriceList(d.priceDb, kName)->Path, workbook);
        EXPECT_EQ(child<QListWidget>("DBGrid_PostavPage")->count(), 3);
        ASSERT_NE(tab->sheetView(), nullptr);
        EXPECT_TRUE(tab->sheetView()->hasWorkbook());
        // The row shown before stays current, and its sheet is missed once.
        EXPECT_EQ(tab->currentSheet(), "Старый");
        EXPECT_EQ(messages.size(), 1) << messages.join("|").toStdString();
    }
}

// With the first list's workbook still in the view, choosing the second
// list's file neither looks for the second list's sheet in the first file
// nor leaves that file for picking.
TEST_F(SetupTabTest, AnotherListsFileLeavesTheViewAndIsNotSearchedForTheSheet)
{
    ASSERT_NO_FATAL_FAILURE(chooseWorkbook());
    const QString other = QStringLiteral("Бета");
    d.addList(2, other);
    d.addSheet(other, QStringLiteral("Лист1"));
    const QString alfa = d.dir.filePath(QStringLiteral("alfa.xlsx"));
    {
        sheet::Workbook book;
        book.sheet(1).setName(QStringLiteral("Лист1"));
        book.sheet(1).setText(1, 1, QStringLiteral("B-1"));
        book.saveAs(alfa);
    }
    messages.clear();
    tab->ShowSelectedPriceList(other, 2);
    EXPECT_FALSE(tab->sheetView()->hasWorkbook()) << "the first list's file left the view";
    EXPECT_FALSE(tab->sheetView()->isVisible());
    chosenFile = alfa;
    tab->SpeedButton_PathClick();
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
    EXPECT_EQ(tab->sheetView()->path(), alfa);
    EXPECT_EQ(ReadSheets(d.priceDb, other).size(), 1u);
}

// The dialog opens in the folder of the list's file, else in the folder a
// file was last taken from, also after a restart.
TEST_F(SetupTabTest, TheFileDialogOpensInTheFolderLastUsed)
{
    chosenFile.clear();
    tab->SpeedButton_PathClick(); // "/p/x.xlsx": no such folder, nothing used yet
    ASSERT_NO_FATAL_FAILURE(chooseWorkbook());
    d.addList(2, QStringLiteral("Бета"));
    d.exec(d.priceDb, QStringLiteral("UPDATE AllPostavSetup SET Path = '' WHERE Id = 2"));
    auto later = std::make_unique<PriceListSetupTab>(d.priceDb, d.orderDb);
    later->setFileChooser([this](const QString& folder) {
        dialogFolders << folder;
        return QString();
    });
    later->ShowSelectedPriceList(QStringLiteral("Бета"), 2);
    later->SpeedButton_PathClick();
    later->ShowSelectedPriceList(kName, 1);
    later->SpeedButton_PathClick();
    const QString folder = QFileInfo(workbook).absolutePath();
    EXPECT_EQ(dialogFolders, QStringList({QString(), QString(), folder, folder}));
}

// A wheel turned over a column box that was not clicked scrolls the page and
// changes no setting.
TEST_F(SetupTabTest, AWheelOverAnUnfocusedColumnBoxChangesNothing)
{
    QComboBox* art = child<QComboBox>("ComboBox_Art");
    const QString before = art->currentText();
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(art, &wheel);
    EXPECT_EQ(art->currentText(), before);
    EXPECT_EQ(sheetRow("Старый").spec(SheetField::Art), 305);
}

} // namespace
