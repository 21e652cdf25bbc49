// The order tab offscreen: its controls found by name, driven as a user
// would, on real databases and a program folder with the templates.
#include "order_test_support.h"
#include "widget_test_environment.h"

#include "orders/order_numbers.h"
#include "orders/ui/order_tab.h"
#include "platform/files/cp1251.h"
#include "platform/spreadsheet/handover.h"

#include <QApplication>
#include <QKeyEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace velmora::orders {
namespace {

using test::OrderFolder;

[[maybe_unused]] ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::WidgetTestEnvironment);

void writeUserIni(const QString& path, const QString& counter)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(encodeCp1251(QStringLiteral("[SetupUsers]\r\nAdmin=anna\r\n[Zakaz]\r\nZakazNumber=") + counter +
                            QStringLiteral("\r\n")));
}

// Types text key by key (QTest's key clicks take Latin letters only).
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A tab on a fresh folder; messages, questions and status texts recorded.
struct TabFixture {
    OrderFolder folder;
    QStringList messages;
    QStringList questions;
    QStringList statuses;
    bool answer = true;
    bool layouts = false;
    int pageRequests = 0;
    std::unique_ptr<OrderTab> tab;

    TabFixture()
    {
        writeUserIni(folder.userIni(), QStringLiteral("0"));
        OrderTabEnvironment env;
        env.orderDb = &folder.order;
        env.priceDb = &folder.price;
        env.userIniPath = [this] { return folder.userIni(); };
        env.programFolder = folder.program;
        env.clientLayouts = [this] { return layouts; };
        env.message = [this](const QString& text) { messages << text; };
        env.error = [this](const QString& text) { messages << text; };
        env.confirm = [this](const QString& text) {
            questions << text;
            return answer;
        };
        env.status = [this](const QString& text) { statuses << text; };
        tab = std::make_unique<OrderTab>(std::move(env));
        QObject::connect(tab.get(), &OrderTab::orderPageRequested, [this] { ++pageRequests; });
        tab->resize(900, 400);
        tab->show();
        tab->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(tab.get()));
    }

    template <typename T>
    T* find(const char* name)
    {
        T* widget = tab->findChild<T*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QComboBox* numbers() { return find<QComboBox>("ComboBox_ZakazNumber"); }
    QComboBox* clients() { return find<QComboBox>("ComboBox_Client"); }
    QTableView* grid() { return find<QTableView>("DBCtrlGrid_Zakaz"); }
    QString total() { return find<QLineEdit>("DBEdit_Itogo")->text(); }
    QStringList entries(QComboBox* combo)
    {
        QStringList list;
        for (int i = 0; i < combo->count(); ++i)
            list << combo->itemText(i);
        return list;
    }
    QString gridText(int row, int column) { return grid()->model()->index(row, column).data().toString(); }
    void click(const char* name) { find<QAbstractButton>(name)->click(); }
    void chooseOrder(const QString& number)
    {
        numbers()->setCurrentText(number);
        tab->RefreshOrder();
    }
};

CardOffer offer(const QString& tovar, const QString& supplier, const QString& priceOut = QStringLiteral("0,333"))
{
    CardOffer o;
    o.number = QStringLiteral("7");
    o.art = QStringLiteral("A-1");
    o.tovar = tovar;
    o.price = QStringLiteral("0,2");
    o.pricemax = QStringLiteral("0,4");
    o.priceOut = priceOut;
    o.supplier = supplier;
    return o;
}

TEST(OrderTab, EveryControlIsThereByName)
{
    TabFixture f;
    for (const char* name : {"ComboBox_ZakazNumber", "SpeedButton_ZakazNew", "Label_DelOneZakaz", "GroupBox_Client",
                             "ComboBox_Client", "Edit_Phone", "Edit_Address", "Edit_Text", "SpeedButton_ClientAdd",
                             "SpeedButton_ClientSel", "SpeedButton_ClientEdit", "SpeedButton_ClientDel",
                             "DBCtrlGrid_Zakaz", "Button_ZakazAddTovar", "Button_Itogo", "DBEdit_Itogo",
                             "BitBtn_ZakazExcel", "BitBtn_ZakazExcelPostav", "BitBtn_ExcelAll", "Button_Quorvel",
                             "BitBtn_Zayavka", "Edit_KursDollar", "GroupBox_PriceName", "RadioButton_Dollars",
                             "RadioButton_RUB", "Edit_ZakazNumber", "ComboBox_Template", "Label16", "Label4"})
        EXPECT_NE(f.tab->findChild<QWidget*>(QLatin1String(name)), nullptr) << name;
    // Hidden in the layout until a client mode shows them.
    for (const char* name : {"Button_Quorvel", "BitBtn_Zayavka", "Edit_KursDollar", "GroupBox_PriceName",
                             "Edit_ZakazNumber", "ComboBox_Template"})
        EXPECT_FALSE(f.tab->findChild<QWidget*>(QLatin1String(name))->isVisible()) << name;
    EXPECT_EQ(f.clients()->lineEdit()->maxLength(), 50);
    EXPECT_EQ(f.entries(f.find<QComboBox>("ComboBox_Template")), (QStringList{"Тальверон", "Мирвена"}));
    EXPECT_EQ(f.find<QComboBox>("ComboBox_Template")->currentIndex(), -1);
}

TEST(OrderTab, NumbersAtStartAndForANewOrder)
{
    TabFixture f;
    writeUserIni(f.folder.userIni(), QStringLiteral("5"));
    const QByteArray before = fileBytes(f.folder.userIni());
    EXPECT_FALSE(f.tab->FillOrderNumbers(0));
    EXPECT_EQ(f.entries(f.numbers()), QStringList{"6"});
    EXPECT_EQ(fileBytes(f.folder.userIni()), before);

    for (int number : {1, 2, 3, 7})
        f.folder.addLine(number, QStringLiteral("A"), 1, 1);
    writeUserIni(f.folder.userIni(), QStringLiteral("1"));
    EXPECT_TRUE(f.tab->FillOrderNumbers(3));
    EXPECT_EQ(f.numbers()->currentText(), QStringLiteral("3"));
    f.click("SpeedButton_ZakazNew");
    EXPECT_EQ(f.entries(f.numbers()), (QStringList{"1", "2", "3", "7", "4"}));
    EXPECT_EQ(f.numbers()->currentText(), QStringLiteral("4"));
    EXPECT_EQ(f.tab->currentOrderNumber(), 4);
    EXPECT_EQ(ReadOrderCounter(f.folder.userIni()), 4);
    EXPECT_EQ(f.clients()->currentText(), QString());
    EXPECT_EQ(f.grid()->model()->rowCount(), 0);
    EXPECT_GE(f.pageRequests, 1);
}

TEST(OrderTab, OffersBecomeLinesWithSumsAndTheTotal)
{
    TabFixture f;
    f.tab->FillOrderNumbers(0);
    f.tab->RefreshOrder();
    f.clients()->setEditText(QStringLiteral("Иванов"));
    EXPECT_TRUE(f.tab->AddToOrder(offer(QStringLiteral("Кабель"), QStringLiteral("Альфа")), QStringLiteral("3")));
    EXPECT_TRUE(f.tab->AddToOrder(offer(QStringLiteral("Кабель"), QStringLiteral("Бета")), QStringLiteral("3")));
    ASSERT_EQ(f.grid()->model()->rowCount(), 2);
    EXPECT_EQ(f.grid()->currentIndex().row(), 1); // the line added last
    EXPECT_EQ(f.gridText(0, 4), QStringLiteral("1,00"));
    EXPECT_EQ(f.gridText(1, 4), QStringLiteral("1,00"));
    EXPECT_EQ(f.total(), QStringLiteral("2,00")); // 1,998 shown with two decimals
    EXPECT_EQ(ReadOrderLines(f.folder.order, 1).value(0).clientName, QStringLiteral("Иванов"));

    // The same offer again: the message, the grid on its line, nothing added.
    EXPECT_FALSE(f.tab->AddToOrder(offer(QStringLiteral("кабель"), QStringLiteral("альфа")), QStringLiteral("1")));
    EXPECT_EQ(f.messages, QStringList{QStringLiteral("Товар уже есть в списке")});
    EXPECT_EQ(f.grid()->currentIndex().row(), 0);
    EXPECT_EQ(f.folder.lineCount(), 2);

    // A quantity that does not convert: its message, nothing stored.
    f.messages.clear();
    EXPECT_FALSE(f.tab->AddToOrder(offer(QStringLiteral("Мышь"), QStringLiteral("Альфа")), QStringLiteral("два")));
    EXPECT_EQ(f.messages, QStringList{QStringLiteral("Значение \"два\" не является числом")});
    EXPECT_EQ(f.folder.lineCount(), 2);
}

TEST(OrderTab, LeavingAnEditedFieldStoresItAndRecountsTheTotal)
{
    TabFixture f;
    f.folder.addLine(1, QStringLiteral("A"), 10, 1, QStringLiteral("Кабель"));
    f.tab->FillOrderNumbers(0);
    f.tab->RefreshOrder();
    EXPECT_EQ(f.total(), QStringLiteral("10,00"));

    QTableView* grid = f.grid();
    grid->setCurrentIndex(grid->model()->index(0, 3));
    grid->edit(grid->currentIndex());
    auto* quantity = grid->findChild<QComboBox*>(QStringLiteral("DBComboBox_Quantity"));
    ASSERT_NE(quantity, nullptr);
    EXPECT_EQ(quantity->count(), 10);
    quantity->setCurrentText(QStringLiteral("4"));
    f.click("Button_Itogo"); // "Пересчитать" saves the pending edit
    EXPECT_DOUBLE_EQ(ReadOrderLines(f.folder.order, 1).value(0).quantity, 4);
    EXPECT_EQ(f.total(), QStringLiteral("40,00"));

    grid->setCurrentIndex(grid->model()->index(0, 2));
    grid->edit(grid->currentIndex());
    auto* price = grid->findChild<QLineEdit*>(QStringLiteral("DBEdit_PriceOut"));
    ASSERT_NE(price, nullptr);
    price->setText(QStringLiteral("2,5"));
    f.find<QLineEdit>("Edit_Phone")->setFocus(); // the field loses the focus
    QTest::qWait(50);
    EXPECT_DOUBLE_EQ(ReadOrderLines(f.folder.order, 1).value(0).priceOut, 2.5);
    EXPECT_EQ(f.total(), QStringLiteral("10,00"));

    // A new blank line, then the " X " deletes it without asking.
    f.click("Button_ZakazAddTovar");
    ASSERT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(grid->currentIndex().row(), 1);
    const QModelIndex remove = grid->model()->index(1, 6);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(remove).center());
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_TRUE(f.questions.isEmpty());

    f.numbers()->setCurrentText(QStringLiteral("x"));
    f.click("Button_ZakazAddTovar");
    EXPECT_EQ(f.messages.value(0), QStringLiteral("Не указан номер заказа!"));
}

TEST(OrderTab, DeletingAnOrderOnlyOnYesAndThenTheEntryBefore)
{
    for (const bool yes : {false, true}) {
        TabFixture f;
        f.answer = yes;
        for (int number : {2, 5, 9})
            f.folder.addLine(number, QStringLiteral("A"), 1, 1);
        f.tab->FillOrderNumbers(2); // the first entry
        f.tab->RefreshOrder();
        f.find<QLabel>("Label_DelOneZakaz");
        QTest::mouseClick(f.find<QLabel>("Label_DelOneZakaz"), Qt::LeftButton);
        EXPECT_EQ(f.questions, QStringList{QStringLiteral("Удалить заказ  №2  из базы?")});
        if (!yes) {
            EXPECT_EQ(StoredOrderNumbers(f.folder.order), (QList<int>{2, 5, 9}));
            EXPECT_EQ(f.numbers()->currentText(), QStringLiteral("2"));
            continue;
        }
        EXPECT_EQ(f.entries(f.numbers()), (QStringList{"5", "9"}));
        EXPECT_EQ(f.numbers()->currentText(), QStringLiteral("9")); // the last entry
        EXPECT_EQ(f.tab->currentOrderNumber(), 9);
        // Deleting 9 then selects the entry before it.
        QTest::mouseClick(f.find<QLabel>("Label_DelOneZakaz"), Qt::LeftButton);
        EXPECT_EQ(f.numbers()->currentText(), QStringLiteral("5"));
    }
}

TEST(OrderTab, TypingAClientRenamesTheLinesButNotTheRegister)
{
    TabFixture f;
    f.folder.addLine(1, QStringLiteral("A"), 1, 1);
    f.folder.addLine(1, QStringLiteral("B"), 1, 1);
    AddClient(f.folder.order, OrderClient{QStringLiteral("Петров"), QStringLiteral("555"), QStringLiteral("Тула"), {}});
    f.tab->FillOrderNumbers(0);
    f.tab->RefreshOrder();
    // The lines' client is not in the register: listed, not stored.
    EXPECT_EQ(f.entries(f.clients()), (QStringList{"", "Петров", "Клиент"}));
    EXPECT_EQ(f.clients()->currentText(), QStringLiteral("Клиент"));

    f.clients()->lineEdit()->clear();
    typeText(f.clients()->lineEdit(), QStringLiteral("Сидоров"));
    for (const OrderLine& line : ReadOrderLines(f.folder.order, 1))
        EXPECT_EQ(line.clientName, QStringLiteral("Сидоров"));
    EXPECT_EQ(ClientNames(f.folder.order), QStringList{"Петров"});

    // Choosing a register entry shows its fields.
    f.clients()->setCurrentIndex(1);
    emit f.clients()->activated(1);
    EXPECT_EQ(f.find<QLineEdit>("Edit_Phone")->text(), QStringLiteral("555"));
    EXPECT_EQ(f.find<QLineEdit>("Edit_Address")->text(), QStringLiteral("Тула"));

    // A changed phone asks; No keeps the register row.
    f.answer = false;
    f.find<QLineEdit>("Edit_Phone")->setText(QStringLiteral("777"));
    f.click("SpeedButton_ClientAdd");
    EXPECT_EQ(f.questions.size(), 1);
    EXPECT_EQ(FindClient(f.folder.order, QStringLiteral("Петров"))->phone, QStringLiteral("555"));
    EXPECT_EQ(f.find<QLineEdit>("Edit_Phone")->text(), QStringLiteral("555")); // the list refilled with the name

    f.clients()->setEditText(QStringLiteral("Никто"));
    f.click("SpeedButton_ClientSel");
    EXPECT_EQ(f.messages.value(0), QStringLiteral("Клиента с именем \"Никто\" нет в базе!"));
}

TEST(OrderTab, KeyFiltersOfTheRateAndNumberFields)
{
    TabFixture f;
    auto* rate = f.find<QLineEdit>("Edit_KursDollar");
    rate->show();
    rate->setFocus();
    QTest::keyClicks(rate, QStringLiteral(",28.1234x"));
    EXPECT_EQ(rate->text(), QStringLiteral("28,123"));
    QTest::keyClick(rate, Qt::Key_Backspace);
    EXPECT_EQ(rate->text(), QStringLiteral("28,12"));

    auto* number = f.find<QLineEdit>("Edit_ZakazNumber");
    number->show();
    QTest::keyClicks(number, QStringLiteral("12a,345"));
    EXPECT_EQ(number->text(), QStringLiteral("12345"));
    QTest::keyClick(number, Qt::Key_6);
    EXPECT_EQ(number->text(), QStringLiteral("12345"));
    EXPECT_EQ(f.messages, QStringList{QStringLiteral("  Номер заказа не может быть более 99999!")});
}

TEST(OrderTab, TheRateAndTheCurrencyRepriceZakaz)
{
    TabFixture f;
    f.folder.price.exec(QStringLiteral(
        "INSERT INTO Zakaz (Id, Code, Art, Tovar, Price_1, PriceOut, Quantity, Obrab, Postav)"
        " VALUES (1, 10, 'a', 'Первый', 10.0199, 0, 1, 'True', '')"));
    const auto priceOut = [&] { return f.folder.price.scalar(QStringLiteral("SELECT PriceOut FROM Zakaz")).toDouble(); };
    f.tab->TabSheet_ZakazShow();
    EXPECT_EQ(f.find<QLineEdit>("Edit_KursDollar")->text(), QStringLiteral("30"));
    EXPECT_TRUE(f.find<QRadioButton>("RadioButton_RUB")->isChecked());
    EXPECT_DOUBLE_EQ(priceOut(), 300.59);

    f.find<QLineEdit>("Edit_KursDollar")->setText(QStringLiteral("28,5"));
    EXPECT_DOUBLE_EQ(priceOut(), 285.56);
    EXPECT_DOUBLE_EQ(f.tab->dollarRate(), 28.5);
    f.find<QLineEdit>("Edit_KursDollar")->setText(QStringLiteral("28,")); // being typed
    EXPECT_DOUBLE_EQ(f.tab->dollarRate(), 28);
    f.find<QRadioButton>("RadioButton_Dollars")->click();
    EXPECT_DOUBLE_EQ(priceOut(), 10.01);

    // Shown again: the stored choice and rate.
    f.tab->TabSheet_ZakazShow();
    EXPECT_TRUE(f.find<QRadioButton>("RadioButton_Dollars")->isChecked());
    EXPECT_EQ(f.find<QLineEdit>("Edit_KursDollar")->text(), QStringLiteral("28"));
    f.find<QRadioButton>("RadioButton_RUB")->click();
    EXPECT_DOUBLE_EQ(priceOut(), 280.55);
}

TEST(OrderTab, WorkbookButtonsSaveTheClientAndNameTheFile)
{
    TabFixture f;
    f.folder.addLine(1, QStringLiteral("Альфа"), 10, 2);
    f.folder.addLine(1, QStringLiteral("Бета"), 5, 1);
    f.tab->FillOrderNumbers(0);
    f.tab->RefreshOrder();
    f.clients()->setEditText(QStringLiteral("Тальверон"));
    f.find<QLineEdit>("Edit_Phone")->setText(QStringLiteral("123"));

    f.click("BitBtn_ZakazExcel");
    const QString clientOrder = f.folder.program + QStringLiteral("Заявки/10.12.2024_Тальверон.xlsx").replace(
                                                                        QStringLiteral("10.12.2024"),
                                                                        QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    EXPECT_TRUE(QFileInfo::exists(clientOrder));
    EXPECT_EQ(f.statuses, QStringList{QStringLiteral("Сохранено: ") + clientOrder});
    EXPECT_EQ(FindClient(f.folder.order, QStringLiteral("Тальверон"))->phone, QStringLiteral("123"));

    f.statuses.clear();
    f.click("BitBtn_ZakazExcelPostav");
    EXPECT_EQ(f.statuses.size(), 1);
    EXPECT_EQ(f.statuses.value(0).count(QStringLiteral(".xlsx")), 2);

    // The client layouts: no template chosen, then the first one.
    f.layouts = true;
    f.messages.clear();
    f.click("BitBtn_ZakazExcel");
    EXPECT_EQ(f.messages, QStringList{kNoLayoutTemplateMessage});
    f.find<QComboBox>("ComboBox_Template")->setCurrentIndex(0);
    f.statuses.clear();
    f.click("BitBtn_ZakazExcel");
    EXPECT_TRUE(f.statuses.value(0).contains(QStringLiteral("ЗАКУП _")));

    // A number that is no integer: the message, no new file.
    f.layouts = false;
    f.messages.clear();
    f.numbers()->setCurrentText(QStringLiteral("1x"));
    f.click("BitBtn_ExcelAll");
    EXPECT_EQ(f.messages, QStringList{kBadOrderNumberMessage});
    EXPECT_FALSE(QDir(f.folder.program + QStringLiteral("Заказы")).entryList(QDir::Files).join(u' ').contains(
        QStringLiteral("Заказ_1")));
}

TEST(OrderTab, FailedClientLayoutRequestsAreNamedAfterTheRun)
{
    TabFixture f;
    f.layouts = true;
    f.folder.addLine(1, QStringLiteral("Альфа"), 10, 2);
    QFile blocker(f.folder.program + QStringLiteral("Заказы"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    f.tab->FillOrderNumbers(0);
    f.tab->RefreshOrder();
    f.clients()->setEditText(QStringLiteral("Мирвена"));
    f.click("BitBtn_ZakazExcelPostav");
    ASSERT_EQ(f.messages.size(), 1);
    EXPECT_TRUE(f.messages[0].startsWith(QStringLiteral("Заявки не выгружены для поставщиков:\rАльфа: ")))
        << f.messages[0].toStdString();
}

} // namespace
} // namespace velmora::orders
