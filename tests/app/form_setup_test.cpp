// The settings dialog "Настройки программы" offscreen on new databases:
// what it shows, what its OK stores (read in the stock sqlite3 shell with
// the program's extension), what Cancel and a failing write leave.
#include "app/color_text.h"
#include "app/form_setup.h"
#include "app/program_settings.h"
#include "../output/pricing_fixture.h"

#include "platform/files/progress.h"
#include "storage/settings_store.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

using namespace velmora;
using namespace velmora::testing;

namespace {

class CountingWait : public Progress {
public:
    void start(const QString& text, int steps) override
    {
        this->text = text;
        total = steps;
        open = true;
    }
    void step(int count) override { done += count; }
    void finish() override { open = false; }
    QString text;
    int total = 0;
    int done = 0;
    bool open = false;
};

class FormSetupTest : public PricingTest {
protected:
    void SetUp() override
    {
        ensureApplication();
        PricingTest::SetUp();
        wait = std::make_shared<CountingWait>();
        window = makeWindow();
    }
    void TearDown() override { window.reset(); }

    std::unique_ptr<Form_Setup> makeWindow()
    {
        SetupEnvironment env;
        env.orderDb = &orderDb;
        env.priceDb = &priceDb;
        env.programFolder = dir.filePath(QStringLiteral("program"));
        env.wait = wait;
        env.message = [this](const QString& text) { messages << text; };
        env.error = [this](const QString& text) { errors << text; };
        env.saved = [this] { ++saved; };
        env.openWorkbook = [](const QString&) { return false; };
        env.chooseColor = [this](QWidget*, const QColor&) { return nextColor; };
        return std::make_unique<Form_Setup>(std::move(env));
    }
    template <typename T = QWidget>
    T* control(const char* name) const
    {
        return findControl<T>(window.get(), name);
    }
    void click(const char* name) { control<QAbstractButton>(name)->click(); }
    // What the stock shell prints for a query on one of the databases.
    QString shell(const char* file, const QString& sql)
    {
        return sqliteShell(QStringLiteral("/usr/bin/sqlite3"), dir.filePath(QLatin1String(file)), sql, true);
    }
    QString setting(const char* name, const char* column)
    {
        return shell("BaseZakaz.vdb", QStringLiteral("SELECT typeof(%1) || ':' || %1 FROM settings WHERE ParName = '%2';")
                                          .arg(QLatin1String(column), QLatin1String(name)))
            .chopped(1); // the line end
    }

    std::shared_ptr<CountingWait> wait;
    std::unique_ptr<Form_Setup> window;
    QStringList messages;
    QStringList errors;
    int saved = 0;
    QColor nextColor;
};

TEST_F(FormSetupTest, StyleButtonsSetOneStyleAtATime)
{
    const struct {
        std::vector<const char*> presses;
        int bits;
        QList<bool> down; // Ж, К, Ч
    } cases[] = {
        {{}, 0, {false, false, false}},
        {{"SpeedButton_Bold"}, 1, {true, false, false}},
        {{"SpeedButton_Bold", "SpeedButton_Italic"}, 2, {false, true, false}},
        {{"SpeedButton_Italic", "SpeedButton_Underline"}, 4, {false, false, true}},
        {{"SpeedButton_Bold", "SpeedButton_Bold"}, 0, {false, false, false}},
    };
    for (const auto& c : cases) {
        window->show();
        for (const char* press : c.presses)
            click(press);
        const QList<bool> down{control<QToolButton>("SpeedButton_Bold")->isChecked(),
                               control<QToolButton>("SpeedButton_Italic")->isChecked(),
                               control<QToolButton>("SpeedButton_Underline")->isChecked()};
        EXPECT_EQ(down, c.down) << c.bits;
        click("Button1");
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(setting("SuperPrice", "TypeInteger"), QStringLiteral("integer:%1").arg(c.bits));
        // Shown again, the stored bits press their button.
        window->show();
        EXPECT_EQ(window->settings().superPriceStyle, c.bits);
        EXPECT_EQ(control<QToolButton>("SpeedButton_Bold")->isChecked(), bool(c.bits & 1));
        EXPECT_EQ(control<QLabel>("StaticText_SuperPriceStyle")->font().italic(), bool(c.bits & 2));
        click("Button2");
    }
}

TEST_F(FormSetupTest, DayWordFollowsTheLastTwoDigits)
{
    const std::pair<int, const char*> cases[] = {{1, "день"},   {3, "дня"},   {5, "дней"},  {11, "дней"},
                                                 {12, "дней"},  {21, "день"}, {23, "дня"},  {111, "дней"},
                                                 {0, "дней"},   {102, "дня"}, {114, "дней"}, {1001, "день"}};
    for (const auto& [days, word] : cases)
        EXPECT_EQ(dayWord(days), QString::fromUtf8(word)) << days;
    window->show();
    control<QSpinBox>("SpinEdit1")->setValue(21);
    EXPECT_EQ(control<QLabel>("Label10")->text(), "день");
    control<QSpinBox>("SpinEdit1")->setValue(12);
    EXPECT_EQ(control<QLabel>("Label10")->text(), "дней");
}

TEST_F(FormSetupTest, ShowsTheDefaultsAndThePerGroupBoxOnlyWithItsSwitch)
{
    window->show();
    EXPECT_EQ(window->settings(), ProgramSettings{});
    EXPECT_EQ(control<QLabel>("Label10")->text(), "дней");
    EXPECT_FALSE(!control("GroupBox_Kat")->isHidden());
    click("CheckBox_KatMinPrice");
    EXPECT_TRUE(!control("GroupBox_Kat")->isHidden());
    click("CheckBox_KatMinPrice");
    EXPECT_FALSE(!control("GroupBox_Kat")->isHidden());
}

TEST_F(FormSetupTest, OkStoresEveryValueWithItsTypeTheExportRowAndTheSaleMarks)
{
    addGood(1, 10, QStringLiteral("Дрель"));
    addGood(2, 10, QStringLiteral("Пила"));
    addGood(3, 10, QStringLiteral("Молоток"));
    addGood(4, 10, QStringLiteral("Отвертка"));
    addOffer(1, QStringLiteral("Распродажа"), 10);
    addOffer(2, QStringLiteral("Склад"), 10);
    addOffer(3, QStringLiteral("РАСПРОДАЖА"), 10);
    exec(QStringLiteral("UPDATE price_main SET Sale = 1 WHERE Code = 4"));

    window->show();
    control<QSpinBox>("SpinEdit_OldTovarDay")->setValue(45);
    nextColor = QColor(0, 128, 0);
    click("Button_OldTovarColor");
    click("CheckBox_NacenDop");
    click("CheckBox_KatMinPrice");
    click("CheckBox_KatNacen");
    control<QLineEdit>("Edit_Sale")->setText(QStringLiteral("распродажа"));
    click("CheckBox_Sale");
    nextColor = QColor(255, 255, 0);
    click("Button_SaleTovarColor");
    click("SpeedButton_Underline");
    click("CheckBox_SuperPriceExcel");
    control<QLineEdit>("Edit_SuperPriceText")->setText(QStringLiteral("Лучшая цена"));
    control<QSpinBox>("SpinEdit1")->setValue(14);
    click("CheckBox_RoundingPostav");
    control<QSpinBox>("SpinEdit_RoundingDegree")->setValue(0);
    control<QSpinBox>("SpinEdit_RoundingDegreePostav")->setValue(-1);
    click("Button1");

    EXPECT_EQ(errors, QStringList{});
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(wait->text, "                         Сохранение параметров");
    EXPECT_EQ(wait->total, 17);
    EXPECT_EQ(wait->done, 17);
    EXPECT_FALSE(wait->open);

    const struct {
        const char* name;
        const char* column;
        const char* stored;
    } expected[] = {
        {"OldTovarDay", "TypeInteger", "integer:45"},
        {"OldTovarColor", "TypeText", "text:$00008000"},
        {"CheckBox_NacenDop", "TypeBoolean", "integer:1"},
        {"CheckBox_KatMinPrice", "TypeBoolean", "integer:1"},
        {"CheckBox_KatPost", "TypeBoolean", "integer:0"},
        {"CheckBox_KatNacen", "TypeBoolean", "integer:1"},
        {"Edit_Sale", "TypeText", "text:распродажа"},
        {"CheckBox_Sale", "TypeBoolean", "integer:1"},
        {"SaleTovarColor", "TypeText", "text:$0000FFFF"},
        {"SuperPrice", "TypeInteger", "integer:4"},
        {"SuperPrice", "TypeBoolean", "integer:1"},
        {"SuperPrice", "TypeText", "text:Лучшая цена"},
        {"actual_price", "TypeInteger", "integer:14"},
        {"RoundingYes", "TypeBoolean", "integer:0"},
        {"RoundingDegree", "TypeInteger", "integer:0"},
        {"RoundingPostav", "TypeBoolean", "integer:1"},
        {"RoundingDegreePostav", "TypeInteger", "integer:-1"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(setting(e.name, e.column), QString::fromUtf8(e.stored)) << e.name << " " << e.column;
    // actual_price lives in the order database, where its reader looks.
    EXPECT_EQ(shell("PRICE.vdb", "SELECT count(*) FROM settings WHERE ParName = 'actual_price';").trimmed(), "0");
    EXPECT_EQ(shell("PRICE.vdb", "SELECT Path || '|' || FileName || '|' || SheetName FROM parametr WHERE Id = 4;"),
              "распродажа|45|$00008000\n");
    EXPECT_EQ(shell("PRICE.vdb", "SELECT group_concat(Code) FROM (SELECT Code FROM price_main WHERE Sale ORDER BY Code);"),
              "1,3\n");

    // Shown again, the dialog has what was stored.
    window->show();
    const ProgramSettings shown = window->settings();
    EXPECT_EQ(shown.oldTovarColor, QColor(0, 128, 0));
    EXPECT_EQ(shown.saleTovarColor, QColor(255, 255, 0));
    EXPECT_EQ(shown.superPriceText, "Лучшая цена");
    EXPECT_EQ(control<QLabel>("Label10")->text(), "дней");
    EXPECT_TRUE(!control("GroupBox_Kat")->isHidden());
}

TEST_F(FormSetupTest, AnEmptySaleNameIsStoredAsOneBlankAndMarksNothing)
{
    addGood(1, 10, QStringLiteral("Дрель"));
    addOffer(1, QStringLiteral("Распродажа"), 10);
    exec(QStringLiteral("UPDATE price_main SET Sale = 1"));
    window->show();
    click("Button1");
    EXPECT_EQ(setting("Edit_Sale", "TypeText"), "text: ");
    EXPECT_EQ(shell("PRICE.vdb", "SELECT Path || '|' || FileName || '|' || SheetName FROM parametr WHERE Id = 4;"),
              " |90|$000000FF\n");
    EXPECT_EQ(shell("PRICE.vdb", "SELECT count(*) FROM price_main WHERE Sale;"), "0\n");

    // Without the export row the rest is stored all the same.
    exec(QStringLiteral("DELETE FROM parametr WHERE Id = 4"));
    window->show();
    control<QSpinBox>("SpinEdit_OldTovarDay")->setValue(30);
    click("Button1");
    EXPECT_EQ(errors, QStringList{});
    EXPECT_EQ(setting("OldTovarDay", "TypeInteger"), "integer:30");
}

TEST_F(FormSetupTest, CancelStoresNothing)
{
    window->show();
    const QStringList before = queryRows(orderDb, QStringLiteral("SELECT * FROM settings ORDER BY rowid"));
    control<QSpinBox>("SpinEdit_OldTovarDay")->setValue(5);
    click("CheckBox_Sale");
    control<QLineEdit>("Edit_Sale")->setText(QStringLiteral("Склад"));
    click("Button2");
    EXPECT_EQ(queryRows(orderDb, QStringLiteral("SELECT * FROM settings ORDER BY rowid")), before);
    EXPECT_EQ(saved, 0);
}

TEST_F(FormSetupTest, AFailingWriteOnEitherDatabaseLeavesBothAsTheyWere)
{
    addGood(1, 10, QStringLiteral("Дрель"));
    addOffer(1, QStringLiteral("Склад"), 10);
    window->show();
    click("Button1"); // every setting has its row now
    const QStringList settingsBefore = queryRows(orderDb, QStringLiteral("SELECT * FROM settings ORDER BY rowid"));
    const QStringList priceBefore =
        queryRows(priceDb, QStringLiteral("SELECT * FROM parametr UNION ALL SELECT Code || ':' || Sale, 0, 0, 0, 0, 0, 0 "
                                          "FROM price_main ORDER BY 1"));

    const struct {
        const char* label;
        db::Connection* database;
        const char* trigger;
    } failures[] = {
        {"the last setting", &orderDb,
         "CREATE TRIGGER fail BEFORE UPDATE ON settings WHEN NEW.ParName = 'RoundingDegreePostav' "
         "BEGIN SELECT RAISE(ABORT, 'запись невозможна'); END"},
        {"the export row", &priceDb,
         "CREATE TRIGGER fail BEFORE UPDATE ON parametr BEGIN SELECT RAISE(ABORT, 'запись невозможна'); END"},
    };
    for (const auto& failure : failures) {
        failure.database->exec(QLatin1String(failure.trigger));
        errors.clear();
        window->show();
        control<QSpinBox>("SpinEdit_OldTovarDay")->setValue(7);
        control<QLineEdit>("Edit_Sale")->setText(QStringLiteral("Склад"));
        control<QSpinBox>("SpinEdit_RoundingDegreePostav")->setValue(4);
        click("Button1");
        EXPECT_EQ(errors.size(), 1) << failure.label;
        EXPECT_TRUE(window->isVisible()) << failure.label;
        EXPECT_FALSE(wait->open) << failure.label;
        EXPECT_EQ(queryRows(orderDb, QStringLiteral("SELECT * FROM settings ORDER BY rowid")), settingsBefore)
            << failure.label;
        EXPECT_EQ(queryRows(priceDb, QStringLiteral("SELECT * FROM parametr UNION ALL SELECT Code || ':' || Sale, 0, "
                                                    "0, 0, 0, 0, 0 FROM price_main ORDER BY 1")),
                  priceBefore)
            << failure.label;
        failure.database->exec(QStringLiteral("DROP TRIGGER fail"));
        click("Button2");
    }
    EXPECT_EQ(saved, 1);
}

TEST_F(FormSetupTest, ColourTextsRoundTrip)
{
    EXPECT_EQ(colorFromText(QStringLiteral("$0000FF"), QColor()), QColor(255, 0, 0));
    EXPECT_EQ(colorToText(QColor(255, 0, 0)), "$000000FF");
    for (const QColor& color : {QColor(255, 0, 0), QColor(0, 0, 255), QColor(18, 52, 86), QColor(0, 0, 0)})
        EXPECT_EQ(colorFromText(colorToText(color), QColor(1, 2, 3)), color) << colorToText(color).toStdString();
    // A colour stored by an older version as a constant name is shown as it.
    SettingsStore(orderDb).write(QStringLiteral("SaleTovarColor"), QStringLiteral("TypeText"), QStringLiteral("clGreen"));
    window->show();
    EXPECT_EQ(window->settings().saleTovarColor, QColor(0, 128, 0));
}

TEST_F(FormSetupTest, TheSupplierGridStoresEachTickAtOnce)
{
    addSupplier(QStringLiteral("Альфа"), true, today(), true);
    addSupplier(QStringLiteral("Бета"), true, today(), false);
    exec(QStringLiteral("INSERT INTO postavshik (Postavshik, Obrab_Def) VALUES ('Гамма', 'TRUE')"));
    window->show();
    auto* grid = control<QTableWidget>("DBGrid_Postav");
    ASSERT_EQ(grid->rowCount(), 3);
    QList<bool> ticks;
    for (int row = 0; row < 3; ++row)
        ticks << (grid->item(row, 1)->checkState() == Qt::Checked);
    EXPECT_EQ(ticks, (QList<bool>{true, false, true}));
    grid->item(1, 1)->setCheckState(Qt::Checked);
    grid->item(2, 1)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(queryRows(priceDb, QStringLiteral("SELECT Postavshik, Obrab_Def FROM postavshik ORDER BY rowid")),
              (QStringList{"Альфа|True", "Бета|True", "Гамма|False"}));
    click("Button2");
    EXPECT_EQ(grid->rowCount(), 0) << "closed with the dialog";
}

TEST_F(FormSetupTest, OpensOnTheChosenPageAndComesBackOnTheFirst)
{
    auto* pages = control<QTabWidget>("PageControl_Setup");
    const QStringList captions{"Устаревшие товары", "Минимальные цены", "Распродажа (SALE)",
                               "Супер Цена",        "Поставщики",       "Округление цен"};
    ASSERT_EQ(pages->count(), captions.size());
    for (int i = 0; i < captions.size(); ++i)
        EXPECT_EQ(pages->tabText(i), captions[i]);
    EXPECT_EQ(window->windowTitle(), "Настройки программы");
    int shownPage = -1;
    QTimer::singleShot(0, window.get(), [&] {
        shownPage = pages->currentIndex();
        window->reject();
    });
    window->execOnPage(1);
    EXPECT_EQ(shownPage, 1);
    EXPECT_EQ(pages->currentIndex(), 0);
}

TEST_F(FormSetupTest, TheReportIsSavedInTheProgramFolderWithTheStoredSwitches)
{
    addGroup(1, 0, 1, QStringLiteral("Инструмент"));
    SettingsStore(orderDb).write(QStringLiteral("CheckBox_KatPost"), QStringLiteral("TypeBoolean"), QStringLiteral("-1"));
    window->show();
    click("Button_SetupGroup");
    const QString path = dir.filePath(QStringLiteral("program/Отчет.xlsx"));
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(messages, QStringList{"Сохранено: " + path}) << "no program opened it";
    EXPECT_FALSE(wait->open);

    // A report that cannot be saved says so and opens nothing.
    messages.clear();
    QFile::remove(path);
    QDir().mkpath(path);
    click("Button_SetupGroup");
    EXPECT_EQ(errors, QStringList{"Файл не был сохранен!"});
    EXPECT_EQ(messages, QStringList{});
}

} // namespace
