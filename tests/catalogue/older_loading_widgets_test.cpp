// The older loading windows and the matching pages together, offscreen: a
// supplier set up in the settings window (columns taken from the sheet
// view), its workbook loaded with the automatic matching after it, the
// review's proposal accepted, the item on the good's combined price page
// and the rest in the remainder; the queue stopping before anything loads.
#include "catalogue/loading/form_data_load.h"
#include "catalogue/loading/form_load.h"
#include "catalogue/matching/combined_price_page.h"
#include "catalogue/matching/form_auto_krit.h"
#include "catalogue/matching/form_auto_krit_post.h"
#include "catalogue/matching/item_list_model.h"
#include "catalogue/matching/item_list_page.h"
#include "matching_test_support.h"
#include "sheet_fixtures.h"
#include "storage/settings_store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>

using namespace velmora;
using namespace velmora::catalogue;
using namespace velmora::testing;

namespace {

constexpr qint64 kGood = 7;
const QString kSupplier = QStringLiteral("ООО Поставка");

class OlderLoadingWidgetsTest : public MatchingTest {
protected:
    void SetUp() override
    {
        ensureApplication();
        MatchingTest::SetUp();
        settings = std::make_unique<SettingsStore>(orderDb);
        priceDb.exec(QStringLiteral("INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase) "
                                    "VALUES (7, 'G-7', '1', 'Мышь оптическая', 100)"));
        addCriteria(kGood, {QStringLiteral("мыш"), QString(), QString(), QString(), QString()});
        workbook = dir.filePath(QStringLiteral("postav.xls"));
        writeXls(workbook, {{QStringLiteral("Прайс"),
                             {{"Артикул", "Название", "Цена"},
                              {"M-1", "Мышь оптическая USB", 150.0},
                              {"K-1", "Клавиатура", 300.0},
                              {"K-2", "Колонки", 200.0}}}});
    }

    MessageSink tell()
    {
        return [this](const QString& text) { messages << text; };
    }
    Question yes()
    {
        return [this](const QString& text) {
            questions << text;
            return true;
        };
    }
    static void choose(QComboBox* combo, const QString& text)
    {
        const int index = combo->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    std::unique_ptr<SettingsStore> settings;
    QString workbook;
    QStringList messages;
    QStringList questions;
};

TEST_F(OlderLoadingWidgetsTest, ALoadedWorkbooksProposalIsAcceptedOntoTheCombinedPrice)
{
    // The supplier's settings: the workbook opened in the sheet view, the
    // name column taken from a clicked cell, the others chosen.
    Form_load setup(priceDb, tell(), [](QWidget*) { return QString(); });
    setup.show();
    auto* supplier = findControl<QComboBox>(&setup, "ComboBox_Postav");
    supplier->setEditText(kSupplier);
    findControl<QLineEdit>(&setup, "Edit_Path")->setText(workbook);
    findControl<QToolButton>(&setup, "SpeedButton_Path")->click();
    ASSERT_NE(setup.sheetView(), nullptr);
    ASSERT_TRUE(setup.sheetView()->hasWorkbook());
    auto* sheets = findControl<QComboBox>(&setup, "ComboBox_Sheet");
    EXPECT_EQ(sheets->count(), 1);
    EXPECT_EQ(sheets->currentText(), QStringLiteral("Прайс"));
    auto* cells = setup.sheetView()->findChild<QTableView*>();
    ASSERT_NE(cells, nullptr);
    cells->setCurrentIndex(cells->model()->index(1, 1)); // B2
    findControl<QToolButton>(&setup, "ComboBox_Tovar_Pick")->click();
    EXPECT_EQ(setup.columnChoice(Form_load::Tovar)->currentText(), QStringLiteral("B"));
    setup.columnChoice(Form_load::Art)->setCurrentIndex(1);
    setup.columnChoice(Form_load::Price)->setCurrentIndex(3);
    findControl<QPushButton>(&setup, "Button_zagruz")->click();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
    EXPECT_EQ(rows("SELECT Path, Column_art, Column_Tovar, Column_Price, Sheet FROM postavshik"),
              QStringList{workbook + QStringLiteral("|1|2|3|1")});
    setup.close();

    // Loading it with the matching after it.
    Form_DataLoad load(priceDb, *settings, Form_DataLoad::Hooks{tell(), nullptr, nullptr});
    Form_AutoKrit review(priceDb, yes(), tell());
    QObject::connect(&load, &Form_DataLoad::reviewRequested, &review, [&review] { review.show(); });
    load.show();
    auto* goTo = findControl<QToolButton>(&load, "SpeedButton_ReturnKritAll");
    EXPECT_FALSE(goTo->isVisibleTo(&load));
    choose(findControl<QComboBox>(&load, "ComboBox_Postav"), kSupplier);
    EXPECT_EQ(findControl<QListWidget>(&load, "ListBox_PostSelect")->count(), 1);
    findControl<QCheckBox>(&load, "CheckBox_AutoKrit")->setChecked(true);
    findControl<QPushButton>(&load, "Button_Zagruz")->click();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
    EXPECT_EQ(findControl<QLabel>(&load, "Label_AllLoad")->text(), QStringLiteral("3"));
    EXPECT_EQ(findControl<QLabel>(&load, "Label_Ostatok")->text(), QStringLiteral("3"));
    EXPECT_EQ(findControl<QLabel>(&load, "Label_Krit")->text(), QStringLiteral("1"));
    EXPECT_TRUE(findControl<QPushButton>(&load, "Button_CloseDataLoad")->isEnabled());
    ASSERT_TRUE(goTo->isVisibleTo(&load));

    // "Перейти ": the review; the good's proposal ticked and accepted.
    goTo->click();
    ASSERT_TRUE(review.isVisible());
    ASSERT_EQ(review.goods()->rowCount(), 1);
    EXPECT_EQ(review.currentGood(), kGood);
    QTableWidget* proposals = review.proposals();
    ASSERT_EQ(proposals->rowCount(), 1);
    EXPECT_EQ(proposals->item(0, 1)->text(), QStringLiteral("Мышь оптическая USB"));
    proposals->item(0, 0)->setCheckState(Qt::Checked);
    findControl<QPushButton>(&review, "Button_AddSootv")->click();
    EXPECT_EQ(review.goods()->rowCount(), 0);
    EXPECT_TRUE(questions.isEmpty());

    // The combined price page of the good, and the remainder.
    CombinedPricePage svod(priceDb, *settings, [] { return CombinedPriceContext{}; });
    svod.setCurrentGood(kGood);
    svod.showPage();
    ASSERT_EQ(svod.grid()->rowCount(), 1);
    EXPECT_EQ(svod.grid()->item(0, 0)->text(), QStringLiteral("Мышь оптическая USB"));
    // The good has no selling price yet, so its own bar is left out.
    ASSERT_EQ(svod.bars().size(), 1);
    EXPECT_EQ(svod.bars().at(0).label, kSupplier);
    EXPECT_DOUBLE_EQ(svod.bars().at(0).value, 150);

    ItemListPage remainder(priceDb, ItemTable::Remainder, {tell(), yes()});
    remainder.showPage();
    ASSERT_EQ(remainder.model()->rowCount(), 2);
    QStringList left;
    for (int r = 0; r < 2; ++r)
        left << remainder.model()->index(r, 1).data().toString();
    EXPECT_EQ(left, (QStringList{QStringLiteral("Клавиатура"), QStringLiteral("Колонки")}));
    EXPECT_EQ(findControl<QLabel>(&remainder, "Label_OstatokVsego")->text(), QStringLiteral("Всего - 2"));
}

TEST_F(OlderLoadingWidgetsTest, AQueueWithAMissingWorkbookLoadsNothingAndKeepsItsControls)
{
    for (const QString& name : {kSupplier, QStringLiteral("Второй")}) {
        SupplierSetup s;
        s.postavshik = name;
        s.path = name == kSupplier ? workbook : dir.filePath(QStringLiteral("нет.xls"));
        s.columnTovar = 2;
        s.columnPrice = 3;
        if (name != kSupplier)
            QFile(s.path).open(QIODevice::WriteOnly); // there while it is saved
        ASSERT_EQ(saveSupplierSetup(priceDb, s, QDate::currentDate()), QString());
    }
    QFile::remove(dir.filePath(QStringLiteral("нет.xls")));
    Form_DataLoad load(priceDb, *settings, Form_DataLoad::Hooks{tell(), nullptr, nullptr});
    load.show();
    auto* supplier = findControl<QComboBox>(&load, "ComboBox_Postav");
    choose(supplier, kSupplier);
    choose(supplier, QStringLiteral("Второй"));
    findControl<QPushButton>(&load, "Button_Zagruz")->click();
    EXPECT_EQ(messages, QStringList{QStringLiteral("Указанный файл не существует!")});
    EXPECT_EQ(rows("SELECT count(*) FROM price_all"), QStringList{QStringLiteral("0")});
    EXPECT_TRUE(findControl<QPushButton>(&load, "Button_CloseDataLoad")->isEnabled());
    EXPECT_TRUE(supplier->isEnabled());
    EXPECT_TRUE(findControl<QComboBox>(&load, "ComboBox_Kurs")->isVisibleTo(&load));

    // A rate of 0 is refused the same way.
    messages.clear();
    QFile(dir.filePath(QStringLiteral("нет.xls"))).open(QIODevice::WriteOnly);
    load.RemoveEntryClick();
    choose(supplier, kSupplier);
    findControl<QComboBox>(&load, "ComboBox_Kurs")->setEditText(QStringLiteral("0"));
    findControl<QPushButton>(&load, "Button_Zagruz")->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.at(0).startsWith(QStringLiteral("Курс должен быть больше нуля!")));
    EXPECT_EQ(rows("SELECT count(*) FROM price_all"), QStringList{QStringLiteral("0")});
}

// "Определения соответствий" lists the suppliers whose items wait in the
// remainder; with none it says how they get there, naming the commands.
TEST_F(OlderLoadingWidgetsTest, TheMatchingRunWindowSaysWhereItsSuppliersComeFrom)
{
    Form_AutoKritPost run(priceDb, yes(), MatchingWait{});
    auto* note = findControl<QLabel>(&run, "Label_NoSuppliers");
    auto* start = findControl<QPushButton>(&run, "Button_AutoKritRun");
    const struct {
        const char* what;
        std::function<void()> fill;
        QString mentioned; // "" = the list has rows and no note shows
    } cases[] = {
        {"nothing set up", [] {}, QStringLiteral("\"Настройка загрузки данных\"")},
        {"set up, not loaded",
         [this] {
             priceDb.exec(QStringLiteral("INSERT INTO postavshik (Postavshik, Obrab, Dates, Obrab_Def) "
                                         "VALUES ('ООО Поставка', 'False', 45000, 'True')"));
         },
         QStringLiteral("\"Загрузка данных\"")},
        {"loaded", [this] { addItem(QStringLiteral("Мышь"), kSupplier); }, QString()},
    };
    for (const auto& c : cases) {
        c.fill();
        run.prepare();
        EXPECT_EQ(note->isVisibleTo(&run), !c.mentioned.isEmpty()) << c.what;
        EXPECT_EQ(start->isEnabled(), c.mentioned.isEmpty()) << c.what;
        if (!c.mentioned.isEmpty())
            EXPECT_TRUE(note->text().contains(c.mentioned)) << c.what << ": " << note->text().toStdString();
    }
    EXPECT_EQ(run.suppliers()->rowCount(), 1);
}

} // namespace
