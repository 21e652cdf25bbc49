// The supplier side as a new user meets it: Qt's own texts in Russian, a
// window that opens maximised and then as it was left, the order page only
// when there is an order, the found count beside the find box, the sheet
// view below the program's questions, and no command that fails silently.
#include "app/main_status_bar.h"
#include "app/program.h"
#include "app/user_dialogs.h"
#include "app/velmora_application.h"
#include "app_environment.h"
#include "app_test_support.h"
#include "wired_installation.h"
#include "platform/spreadsheet/view/sheet_view.h"
#include "storage/settings_store.h"
#include "suppliers/currency/rate_settings.h"
#include "suppliers/search/goods_card.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFileSystemModel>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>

#include <functional>
#include <memory>

using namespace velmora;
using namespace velmora::testing;

namespace {

const auto* const applicationEnvironment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

constexpr int kOrderPage = 6;



template <typename T>
T* control(QWidget& form, const char* name)
{
    T* found = form.findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void searchFor(Form_main& form, const QString& text)
{
    auto* find = control<QLineEdit>(form, "Edit_Find");
    find->setText(text);
    QTest::keyClick(find, Qt::Key_Return);
}

int currentPage(Form_main& form) { return control<QTabWidget>(form, "PageControl_Sootv")->currentIndex(); }

QString foundCount(Form_main& form)
{
    auto* label = control<QLabel>(form, "Label_FindCount");
    waitFor([label] { return !label->text().endsWith(QStringLiteral("...")); }, 5000);
    return label->text();
}

// "Бета" read from a CSV file of two offers in roubles, and "Альфа" with
// offers already stored; rates fixed, no download, no export after a load.
void addPriceLists(WiredInstallation& inst)
{
    const QString file = inst.root.filePath("prices/Бета.csv");
    QDir().mkpath(QFileInfo(file).path());
    {
        QFile csv(file);
        ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
        csv.write("B1;Гайка;12\r\nB2;Шайба;3\r\n");
    }
    db::Connection priceDb = inst.priceDefaults();
    rate_settings::setDownloadEnabled(priceDb, false);
    rate_settings::setSourceSetting(priceDb, 1);
    rate_settings::setDisplayIndex(priceDb, 2);
    rate_settings::storeRate(priceDb, 0, 90.0);
    priceDb.exec(QStringLiteral(
        "INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Obrab, PostavVisible, Dates, PriceConversion,"
        " Valuta) VALUES (1, 'Альфа', '-', 1, '', 1, 0, 1, 0), (2, 'Бета', '%1', 1, '', 1, 0, 1, 0)")
                     .arg(file));
    priceDb.exec(QStringLiteral(
        "INSERT INTO AllPostavPage (Postavshik, SheetName, Column_art, Column_Tovar, Column_Price,"
        " Column_Pricemax, Column_Sklad, Column_Garant, Column_Description, Column_TextNoName, Obrab, Nacen,"
        " Valuta, PriceSet, TovarPrefiks) VALUES ('Бета', 'Бета', 1, 2, 3, 0, 0, 0, 0, 0, '', 0, 2, 0, '')"));
    priceDb.exec(QStringLiteral(
        "INSERT INTO AllTovarPostav (Postavshik, Art, Tovar, Price, Pricemax, PriceOut, Sklad, Garant, Description,"
        " TextNoName, Dates, Check_obrab, Check_sootv) VALUES"
        " ('Альфа', 'A1', 'Болт', 5, 5, 5, '', '', '', '', 0, '', ''),"
        " ('Альфа', 'A2', 'Болт длинный', 6, 6, 6, '', '', '', '', 0, '', ''),"
        " ('Альфа', 'A3', 'Винт', 7, 7, 7, '', '', '', '', 0, '', '')"));
    db::Connection orderDb(inst.program + "BaseZakaz.vdb");
    WriteSetting(orderDb, "AutoExportPrice", "TypeBoolean", "False");
}

// The wired program started over the two price lists of addPriceLists, its
// start-up settled; null when it did not start.
std::unique_ptr<Program> startOverPriceLists(WiredInstallation& inst)
{
    addPriceLists(inst);
    auto program = std::make_unique<Program>(inst.options());
    if (!program->start())
        return nullptr;
    processEventsFor(100);
    return program;
}

void selectPriceList(Form_main& form, const QString& name)
{
    auto* tree = control<QTreeWidget>(form, "TreeView1");
    const QList<QTreeWidgetItem*> items = tree->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    tree->setCurrentItem(items.first());
    const QRect rect = tree->visualItemRect(items.first());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
}

QString withoutAccelerator(QString text) { return text.remove(u'&'); }

TEST(FirstHour, QtsOwnButtonsSpeakRussianWhateverTheLocale)
{
    ASSERT_TRUE(ApplicationEnvironment::instance->hasRussianTranslations());
    QMessageBox box(QMessageBox::Question, QStringLiteral("Velmora"), QStringLiteral("Продолжить?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(withoutAccelerator(box.button(QMessageBox::Yes)->text()), "Да");
    EXPECT_EQ(withoutAccelerator(box.button(QMessageBox::No)->text()), "Нет");
    EXPECT_EQ(withoutAccelerator(box.button(QMessageBox::Cancel)->text()), "Отмена");
}

// The tests run under LC_ALL=C.UTF-8, where Qt writes "11 Dec 2026" and
// "92.5" and the file dialog calls a folder "Folder".
TEST(FirstHour, DatesNumbersAndFileTypesAreRussianWhateverTheLocale)
{
    EXPECT_EQ(QLocale().toString(12490.5), "12490,5");
    EXPECT_EQ(QLocale().toString(QDate(2026, 12, 11), QLocale::ShortFormat), "11.12.2026");

    // The file dialog's type column.
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Прайсы")));
    QFile(dir.filePath(QStringLiteral("alfa.xlsx"))).open(QIODevice::WriteOnly);
    QFileSystemModel files;
    const QModelIndex root = files.setRootPath(dir.path());
    ASSERT_TRUE(waitFor([&] { return files.rowCount(root) == 2; }, 5000));
    const QRegularExpression cyrillic(QStringLiteral("[А-Яа-яЁё]"));
    EXPECT_EQ(files.type(files.index(dir.filePath(QStringLiteral("Прайсы")))), "Папка");
    EXPECT_TRUE(files.type(files.index(dir.filePath(QStringLiteral("alfa.xlsx")))).contains(cyrillic))
        << files.type(files.index(dir.filePath(QStringLiteral("alfa.xlsx")))).toStdString();

    // A typed rate comes back as it was typed; "Загрузка данных" dates its
    // prices the Russian way.
    WiredInstallation inst;
    const std::unique_ptr<Program> program = startOverPriceLists(inst);
    ASSERT_TRUE(program);
    Form_main& form = *program->Form_main();
    auto* dollar = control<QLineEdit>(form, "Edit_Dollar");
    dollar->clear();
    QTest::keyClicks(dollar, QStringLiteral("92,50"));
    form.hooks().RefreshCurrencyRates();
    EXPECT_EQ(dollar->text(), "92,5");
    QString shownDate;
    QTimer::singleShot(0, &form, [&form, &shownDate] {
        auto* window = form.findChild<QDialog*>("Form_DataLoad");
        ASSERT_TRUE(window && window->isVisible());
        shownDate = window->findChild<QDateEdit*>("DateTimePicker_Load")->text();
        window->reject();
    });
    control<QAction>(form, "LoadPriceList")->trigger();
    EXPECT_EQ(shownDate, QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    form.close();
}

TEST(FirstHour, TheWindowOpensMaximisedAndThenAsItWasLeft)
{
    WiredInstallation inst;
    QRect left;
    QList<int> sides;
    {
        Program program(inst.options());
        ASSERT_TRUE(program.start());
        Form_main& form = *program.Form_main();
        processEventsFor(100);
        EXPECT_TRUE(form.isMaximized());
        form.showNormal();
        form.setGeometry(40, 50, 1250, 700);
        processEventsFor(50);
        auto* splitter = control<QSplitter>(form, "Splitter_Main");
        splitter->setSizes({400, splitter->width() - 400 - splitter->handleWidth()});
        processEventsFor(50);
        left = form.geometry();
        sides = splitter->sizes();
        form.close();
    }
    Program again(inst.options());
    ASSERT_TRUE(again.start());
    Form_main& form = *again.Form_main();
    processEventsFor(100);
    EXPECT_FALSE(form.isMaximized());
    EXPECT_EQ(form.geometry(), left);
    EXPECT_EQ(control<QSplitter>(form, "Splitter_Main")->sizes(), sides);
    form.close();
}

TEST(FirstHour, SearchesAndLoadsLeaveAnEmptyOrderPageBehindAndTheCountIsShown)
{
    WiredInstallation inst;
    const std::unique_ptr<Program> program = startOverPriceLists(inst);
    ASSERT_TRUE(program);
    Form_main& form = *program->Form_main();
    EXPECT_NE(currentPage(form), kOrderPage) << "no order yet";

    searchFor(form, "болт");
    EXPECT_NE(currentPage(form), kOrderPage);
    EXPECT_EQ(foundCount(form), "Найдено: 2");

    // A load: the grid lists the loaded offers and the count follows.
    selectPriceList(form, "Бета");
    control<QToolButton>(form, "ToolButton_Load")->click();
    auto* grid = control<QTableView>(form, "DBGrid_Tovar");
    auto names = [grid] {
        QStringList shown;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            shown << grid->model()->index(row, 1).data().toString();
        return shown;
    };
    ASSERT_TRUE(waitFor([&] { return names() == QStringList{"Шайба", "Гайка"}; })) << names().join(u',').toStdString();
    EXPECT_EQ(foundCount(form), "Найдено: 2");
    EXPECT_TRUE(control<QLineEdit>(form, "Edit_Find")->text().isEmpty());
    EXPECT_NE(currentPage(form), kOrderPage);

    // With a line in the order a search brings the order page forward.
    searchFor(form, "винт");
    const QRect row = grid->visualRect(grid->model()->index(0, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, row.center());
    auto* card = form.findChild<search::GoodsCard*>("Panel_TovarViews");
    ASSERT_TRUE(waitFor([&] { return card->isVisible(); }, 2000));
    control<QPushButton>(form, "Button_Zakaz")->click();
    control<QTabWidget>(form, "PageControl_Sootv")->setCurrentIndex(7);
    searchFor(form, "болт");
    EXPECT_EQ(currentPage(form), kOrderPage);
    form.close();
}

TEST(FirstHour, ASingleLoadRefusedDuringAQueueRunSaysSo)
{
    WiredInstallation inst;
    const std::unique_ptr<Program> program = startOverPriceLists(inst);
    ASSERT_TRUE(program);
    Form_main& form = *program->Form_main();
    control<QToolButton>(form, "ToolButton8")->click(); // the new-file question is answered No
    auto* queue = control<QListWidget>(form, "ListBox_LoadPrice");
    ASSERT_GT(queue->count(), 0);
    queue->setCurrentRow(queue->count() - 1);
    auto* run = control<QPushButton>(form, "Button_LoadPrice");
    run->click();
    inst.messages.clear();
    control<QToolButton>(form, "ToolButton_Load")->click();
    ASSERT_EQ(inst.messages.size(), 1);
    EXPECT_TRUE(inst.messages.first().startsWith("Идёт загрузка прайс-листов из очереди.")) << inst.messages.first().toStdString();
    ASSERT_TRUE(waitForLoadRunEnd(form));
    EXPECT_EQ(run->text(), "Загрузить прайс-листы");
    EXPECT_TRUE(run->isEnabled());
    form.close();
}

TEST(FirstHour, TheSheetViewStaysBelowTheProgramsQuestions)
{
    WiredInstallation inst;
    const std::unique_ptr<Program> program = startOverPriceLists(inst);
    ASSERT_TRUE(program);
    Form_main& form = *program->Form_main();
    selectPriceList(form, "Бета");
    control<QPushButton>(form, "BitBtn2")->click();
    auto* view = form.findChild<sheet::SheetView*>("PriceExcelApp");
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view, 30000));
    EXPECT_FALSE(view->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(view->isWindow());
    EXPECT_EQ(view->parentWidget()->window(), &form) << "owned by the main window";

    // A question asked while it is open is the window the user answers.
    QString active;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, &form, [&active, &answer] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(window);
            if (!box || !box->isVisible())
                continue;
            // The box is activated a moment after it shows; what is active
            // once it is, or after a generous wait, is what the user faces.
            waitFor([box] { return QApplication::activeWindow() == box; }, 30000);
            if (QWidget* front = QApplication::activeWindow())
                active = QString::fromLatin1(front->metaObject()->className());
            answer.stop();
            box->button(QMessageBox::No)->click();
            return;
        }
    });
    answer.start(50);
    EXPECT_FALSE(messageBoxDialogs().confirm(QStringLiteral("Продолжить?")));
    EXPECT_EQ(active, "QMessageBox");

    // It reopens where the user left it, also in the next run.
    view->move(130, 140);
    const QRect left = view->geometry();
    control<QPushButton>(form, "Button3")->click();
    control<QPushButton>(form, "BitBtn2")->click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view, 30000));
    EXPECT_EQ(view->geometry(), left);
    form.close();
}

// Each of these used to end without a word to the user.
TEST(FirstHour, NothingEndsSilently)
{
    WiredInstallation inst;
    const std::unique_ptr<Program> program = startOverPriceLists(inst);
    ASSERT_TRUE(program);
    Form_main& form = *program->Form_main();

    // An unpaired bracket says what is wrong beside the find box.
    searchFor(form, "[болт");
    EXPECT_TRUE(control<QLabel>(form, "Label_FindCount")->text().startsWith("Поиск не выполнен: скобки"))
        << control<QLabel>(form, "Label_FindCount")->text().toStdString();

    // "Сохранить" on the settings tab confirms in the status bar.
    selectPriceList(form, "Бета");
    control<QPushButton>(form, "BitBtn_SaveSheet")->click();
    EXPECT_EQ(mainStatusText(form, 1), "Настройки прайс-листа \"Бета\" сохранены");
    // The conversion factor as the user types it.
    EXPECT_EQ(control<QLineEdit>(form, "Edit_PriceConversion")->text(), "1");

    // A single load counts what it stored beside the file buttons.
    control<QToolButton>(form, "ToolButton_Load")->click();
    // The count shows while the load goes on too; the bar goes when it ends.
    ASSERT_TRUE(waitForLoadRunEnd(form));
    EXPECT_EQ(control<QLabel>(form, "Label_CountLoadTovar")->text(), "загружено 2 товара");
    EXPECT_TRUE(control<QWidget>(form, "ProgressBar_LoadPrice")->isHidden());

    // Closing during a load asks first; No keeps the window and the load.
    control<QToolButton>(form, "ToolButton8")->click();
    control<QListWidget>(form, "ListBox_LoadPrice")->setCurrentRow(0);
    auto* run = control<QPushButton>(form, "Button_LoadPrice");
    run->click();
    inst.questions.clear();
    inst.answer = false;
    EXPECT_FALSE(form.close());
    ASSERT_EQ(inst.questions.size(), 1);
    EXPECT_TRUE(inst.questions.first().startsWith("Идёт загрузка прайс-листов.")) << inst.questions.first().toStdString();
    EXPECT_TRUE(form.isVisible());
    ASSERT_TRUE(waitForLoadRunEnd(form));
    EXPECT_EQ(run->text(), "Загрузить прайс-листы");
    EXPECT_TRUE(run->isEnabled());
    inst.questions.clear();
    EXPECT_TRUE(form.close()) << "nothing running: no question";
    EXPECT_TRUE(inst.questions.isEmpty());
}

TEST(FirstHour, TheCardsTitleLabelRenamesItsColumnAndTheTreeFindsTheQueueEntry)
{
    WiredInstallation inst;
    const std::unique_ptr<Program> program = startOverPriceLists(inst);
    ASSERT_TRUE(program);
    Form_main& form = *program->Form_main();

    // A double click on the card's "Товар" asks, then renames the column.
    auto* label = control<QLabel>(form, "Label_Tovar");
    EXPECT_EQ(label->text(), "Товар");
    inst.answer = true;
    QTimer::singleShot(0, &form, [&form] {
        auto* window = form.findChild<QDialog*>("Form_Column_Name");
        ASSERT_TRUE(window && window->isVisible());
        auto* edit = window->findChild<QLineEdit*>("Edit_Column_Name");
        EXPECT_EQ(edit->text(), "Товар");
        edit->setText("Наименование");
        window->findChild<QPushButton*>("Button_Column_Name")->click();
    });
    QTest::mouseDClick(label, Qt::LeftButton);
    EXPECT_EQ(inst.questions, QStringList{"Поменять название колонки?"});
    EXPECT_EQ(label->text(), "Наименование");
    EXPECT_EQ(control<QTableView>(form, "DBGrid_Tovar")->model()->headerData(1, Qt::Horizontal).toString(),
              "Наименование");
    EXPECT_EQ(ReadSetting(form.ADOConnection_Zakaz, "Column_Tovar_Name", "TypeText", "").toString(), "Наименование");

    // With the queue open, a node clicked selects its entry there.
    inst.answer = false; // the new-file check offers nothing new
    control<QToolButton>(form, "ToolButton8")->click();
    auto* queue = control<QListWidget>(form, "ListBox_LoadPrice");
    ASSERT_EQ(queue->count(), 2);
    queue->setCurrentRow(0);
    selectPriceList(form, "Бета");
    ASSERT_NE(queue->currentItem(), nullptr);
    EXPECT_EQ(queue->currentItem()->text(), "Бета");

    // "Скрыть панели" gives the whole left side to the goods.
    auto* left = control<QWidget>(form, "Panel_AllTovar");
    auto* goods = control<QWidget>(form, "Panel_Tovar");
    const int before = goods->width();
    control<QPushButton>(form, "BitBtn_NotVisble")->click();
    processEventsFor(50);
    EXPECT_FALSE(left->isVisible());
    EXPECT_GT(goods->width(), before);
    control<QPushButton>(form, "BitBtn_NotVisble")->click();
    EXPECT_TRUE(left->isVisible());
    form.close();
}

// Pictures of the program for docs/screens, taken only when
// VELMORA_SCREENS_DIR names their folder, under a real display
// (scripts/screens runs this under xvfb-run with openbox).
void saveScreen(const QString& folder, const QString& name)
{
    processEventsFor(300);
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
    const QImage small = screen.toImage().scaledToWidth(1200, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB888);
    ASSERT_TRUE(small.save(QDir(folder).filePath(name), "PNG", 9)) << name.toStdString();
}

TEST(FirstHourScreens, TheProgramAsANewUserSeesIt)
{
    const QString folder = qEnvironmentVariable("VELMORA_SCREENS_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "VELMORA_SCREENS_DIR not set";
    WiredInstallation inst;
    addPriceLists(inst);
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    // The window manager maximises the window; without one it is given the
    // screen.
    if (!waitFor([&form] { return form.isMaximized(); }, 3000))
        form.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    processEventsFor(500);
    saveScreen(folder, QStringLiteral("first_start.png"));

    searchFor(form, "болт");
    auto* grid = control<QTableView>(form, "DBGrid_Tovar");
    const QRect row = grid->visualRect(grid->model()->index(0, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, row.center());
    saveScreen(folder, QStringLiteral("search_with_card.png"));

    selectPriceList(form, "Бета");
    control<QPushButton>(form, "BitBtn2")->click();
    if (auto* view = form.findChild<sheet::SheetView*>("PriceExcelApp")) {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        view->setGeometry(screen.width() - 620, 90, 580, 380);
    }
    saveScreen(folder, QStringLiteral("settings_with_sheet_view.png"));
    form.close();
}

} // namespace
