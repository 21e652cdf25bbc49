// The search as the user works it, offscreen: type, see the rows, sort by
// price, open the card; the card's contacts and links; hiding a supplier.
#include "search_fixture.h"

#include "storage/schema.h"
#include "suppliers/search/column_name_dialog.h"
#include "suppliers/search/goods_card.h"
#include "suppliers/search/goods_grid.h"
#include "suppliers/search/goods_search_controller.h"
#include "suppliers/search/price_history_popup.h"
#include "storage/settings_store.h"
#include "suppliers/search/supplier_goods_model.h"
#include "suppliers/search/supplier_goods_panel.h"
#include "suppliers/search/supplier_price_chart.h"
#include "suppliers/search/supplier_search_bar.h"
#include "suppliers/search/supplier_selection_panel.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace velmora::search {
namespace {

using test::PriceDbFixture;

// One application for the whole run, gone before the program's statics.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "goods_widgets_test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};
[[maybe_unused]] ::testing::Environment* const qtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

void app() {}

template <typename T>
T* find(QWidget& root, const char* name)
{
    T* w = root.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

class GoodsWidgetsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app();
        fixture.addStandardOffers();
        fixture.db().exec(QStringLiteral(
            "INSERT INTO postav_info VALUES ('Бета', 'ООО Бета-Снаб', 'beta.example.com', 'Иван', '+7 495 000', 'b@example.com')"));
        panel = std::make_unique<SupplierGoodsPanel>(fixture.db());
        panel->setReporter([this](const QString& m) { messages << m; });
        panel->resize(1200, 700);
        panel->show();
        panel->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(panel.get()));
        grid = find<QTableView>(*panel, "DBGrid_Tovar");
        edit = find<QLineEdit>(*panel, "Edit_Find");
    }

    QString cell(int row, int column) { return grid->model()->index(row, column).data().toString(); }

    void clickTitle(int column)
    {
        QHeaderView* header = grid->horizontalHeader();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }

    // The grid keeps its widths in the order database's settings, read
    // back as at start-up.
    GoodsGrid* gridKeepingWidths()
    {
        const QString path = fixture.folder() + QStringLiteral("/BaseZakaz.vdb");
        createOrderDatabase(path);
        orders = std::make_unique<db::Connection>(path);
        settings = std::make_unique<SettingsStore>(*orders);
        auto* goods = static_cast<GoodsGrid*>(grid);
        goods->setWidthSettings(orders.get(), settings.get());
        goods->LoadTovarColumns();
        return goods;
    }

    PriceDbFixture fixture;
    std::unique_ptr<db::Connection> orders;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<SupplierGoodsPanel> panel;
    QTableView* grid = nullptr;
    QLineEdit* edit = nullptr;
    QStringList messages;
};

TEST_F(GoodsWidgetsTest, TypeSearchSortAndOpenTheCard)
{
    EXPECT_EQ(edit->placeholderText(), kFindPlaceholder);
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("steel"));
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(cell(0, 1), QStringLiteral("bolt steel"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("Bolt nut steel"));
    EXPECT_EQ(cell(0, 2), QStringLiteral("Альфа"));
    EXPECT_TRUE(grid->hasFocus());  // Enter moves on to the grid

    // Price title: ascending, then descending.
    clickTitle(3);
    clickTitle(3);
    EXPECT_EQ(cell(0, 1), QStringLiteral("Bolt nut steel"));
    EXPECT_TRUE(grid->model()->headerData(3, Qt::Horizontal).toString().startsWith(u'v'));
    EXPECT_EQ(panel->chart()->bars().size(), 2);
    EXPECT_EQ(panel->chart()->bars().at(0).label, QStringLiteral("1 Бета"));

    // The card of the first offer, with its supplier's contacts.
    auto* card = find<QWidget>(*panel, "Panel_TovarViews");
    EXPECT_FALSE(card->isVisible());
    // The row that was current before the sort stays current: go to the first.
    EXPECT_EQ(grid->currentIndex().row(), 1);
    const QRect first = grid->visualRect(grid->model()->index(0, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, first.center());
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(find<QLineEdit>(*card, "Edit_ViewsArt")->text(), QStringLiteral("bolt12"));
    EXPECT_EQ(find<QLineEdit>(*card, "Edit_Price")->text(), QStringLiteral("40"));
    EXPECT_EQ(find<QLineEdit>(*card, "Edit_PostavName")->text(), QStringLiteral("Бета"));
    EXPECT_EQ(find<QLineEdit>(*card, "Edit_tel2")->text(), QStringLiteral("+7 495 000"));
    EXPECT_EQ(find<QLabel>(*card, "Label_site")->text(), QStringLiteral("beta.example.com"));
    EXPECT_EQ(find<QLineEdit>(*card, "Edit_info2")->text(), QStringLiteral("ООО Бета-Снаб"));

    // The next row belongs to a supplier without contacts.
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(find<QLineEdit>(*card, "Edit_ViewsArt")->text(), QStringLiteral("Z9"));
    EXPECT_TRUE(find<QLineEdit>(*card, "Edit_tel2")->text().isEmpty());

    // Clicking into the find box hides the card.
    QTest::mouseClick(edit, Qt::LeftButton);
    EXPECT_FALSE(card->isVisible());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(GoodsWidgetsTest, TypingSearchesAfterAPauseAndTheFieldChoiceSearchesAgain)
{
    QTest::keyClicks(edit, QStringLiteral("M6"));
    EXPECT_EQ(grid->model()->rowCount(), 0);
    QTest::qWait(SupplierSearchBar::kTypingPauseMs + 200);
    EXPECT_EQ(grid->model()->rowCount(), 0);  // the name holds a Cyrillic М
    find<QRadioButton>(*panel, "RadioButton_TovarArt")->click();
    EXPECT_EQ(panel->controller()->options().field, SearchField::Article);
    ASSERT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(cell(0, 0), QStringLiteral("M6-01"));
    edit->setText(QStringLiteral("china"));
    QTest::qWait(SupplierSearchBar::kTypingPauseMs + 200);
    EXPECT_EQ(grid->model()->rowCount(), 0);
}

TEST_F(GoodsWidgetsTest, BadCharactersShowTheMessageAndThePreviousRows)
{
    edit->setText(QStringLiteral("steel"));
    find<QToolButton>(*panel, "ToolButton_Find")->click();
    ASSERT_EQ(grid->model()->rowCount(), 2);
    edit->setText(QStringLiteral("[!steel]"));
    find<QToolButton>(*panel, "ToolButton_Find")->click();
    EXPECT_EQ(messages, QStringList{kSearchFailedMessage});
    EXPECT_EQ(grid->model()->rowCount(), 2);
}

TEST_F(GoodsWidgetsTest, HidingASupplierRefreshesTheGrid)
{
    createOrderDatabase(fixture.folder() + QStringLiteral("/BaseZakaz.vdb"));
    db::Connection orders(fixture.folder() + QStringLiteral("/BaseZakaz.vdb"));
    SupplierSelectionPanel selection(fixture.db(), orders);
    QObject::connect(&selection, &SupplierSelectionPanel::selectionChanged, panel.get(), &SupplierGoodsPanel::searchAgain);
    edit->setText(QStringLiteral("steel"));
    find<QToolButton>(*panel, "ToolButton_Find")->click();
    ASSERT_EQ(grid->model()->rowCount(), 2);
    auto* list = find<QListWidget>(selection, "List_SelPostav");
    ASSERT_EQ(list->item(0)->text(), QStringLiteral("Альфа"));
    selection.SpeedButton_AllPostavClick(); // the list opens
    list->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(grid->model()->rowCount(), 2) << "searched when the list closes";
    selection.SpeedButton_AllPostavClick();
    ASSERT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(cell(0, 2), QStringLiteral("Бета"));
}

TEST(GoodsCardTest, ContactsAreReadOnlyWhileTheCardIsShown)
{
    app();
    int reads = 0;
    GoodsCard card([&](const QString& supplier) -> std::optional<SupplierContacts> {
        ++reads;
        return SupplierContacts{"site", "web", "tel " + supplier, "mail", "info"};
    });
    OfferCard offer;
    offer.supplier = QStringLiteral("Бета");
    card.showOffer(offer);  // hidden: nothing read
    EXPECT_EQ(reads, 0);
    EXPECT_TRUE(find<QLineEdit>(card, "Edit_tel2")->text().isEmpty());
    card.show();
    card.ShowTovarDetails();
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(find<QLineEdit>(card, "Edit_tel2")->text(), QStringLiteral("tel Бета"));
    card.Button5Click();
    card.showOffer(offer);
    EXPECT_EQ(reads, 1);
    EXPECT_TRUE(find<QLineEdit>(card, "Edit_tel2")->text().isEmpty());
}

TEST(GoodsCardTest, LinkButtonsOpenOnlyWebAndMailAddresses)
{
    app();
    GoodsCard card({});
    QList<QUrl> opened;
    QStringList errors;
    card.setLinkOpener([&](const QUrl& url) {
        opened << url;
        return true;
    });
    card.setErrorReporter([&](const QString& m) { errors << m; });
    OfferCard offer;
    offer.description = QStringLiteral("www.example.com/m6");
    offer.textNoName = QStringLiteral("/usr/bin/xterm");
    card.showOffer(offer);
    card.SpeedButton_DescHyperLinkClick();
    card.SpeedButton_StranaHyperLinkClick();
    EXPECT_EQ(opened, QList<QUrl>{QUrl(QStringLiteral("http://www.example.com/m6"))});
    EXPECT_EQ(errors, QStringList{kLinkFailedMessage + QStringLiteral("/usr/bin/xterm")});
}

TEST(GoodsCardData, LinkTargets)
{
    struct Case {
        const char* text;
        const char* url;  // empty: refused
    };
    for (const Case& c : {Case{"http://example.com/a", "http://example.com/a"},
                          Case{"HTTPS://example.com", "https://example.com"}, Case{"ftp://files.example.com/x", "ftp://files.example.com/x"},
                          Case{"mailto:a@example.com", "mailto:a@example.com"}, Case{"www.example.com", "http://www.example.com"},
                          Case{"file:///etc/passwd", ""}, Case{"/usr/bin/xterm", ""}, Case{"C:\\Windows\\calc.exe", ""},
                          Case{"javascript:alert(1)", ""}, Case{"", ""}, Case{"Китай", ""}}) {
        SCOPED_TRACE(c.text);
        const std::optional<QUrl> url = linkTarget(QString::fromUtf8(c.text));
        EXPECT_EQ(url ? url->toString() : QString(), QString::fromUtf8(c.url));
    }
}

TEST(GoodsCardData, PricesAsFixedPointWithUpToFourDecimals)
{
    struct Case {
        QVariant value;
        const char* text;
    };
    for (const Case& c : {Case{12.5, "12,5"}, Case{3.0, "3"}, Case{0.12345, "0,1235"}, Case{1234567.1, "1234567,1"},
                          Case{QVariant(), ""}, Case{-0.00001, "0"}}) {
        EXPECT_EQ(cardPriceText(c.value), QString::fromUtf8(c.text)) << c.text;
    }
}

TEST_F(GoodsWidgetsTest, ContactsComeFromPostavInfo)
{
    const auto found = readSupplierContacts(fixture.db(), QStringLiteral("Бета"));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->mail, QStringLiteral("b@example.com"));
    EXPECT_FALSE(readSupplierContacts(fixture.db(), QStringLiteral("O'Neil")));
}

TEST_F(GoodsWidgetsTest, PriceColumnShowsTheOffersEarlierPrices)
{
    // Two loads at the same time with the same price count once.
    for (const char* row : {"(45001.5, 9.5)", "(45001.5, 9.5)", "(45003.25, 11)", "(45002.0, 10)"}) {
        fixture.db().exec(QStringLiteral("INSERT INTO AllPriceHistory (Postavshik, Art, Tovar, Price, Pricemax, PriceOut, Dates) "
                                         "SELECT 'Бета', 'bolt12', 'Bolt nut steel', 1, 1, p, d FROM (SELECT %1 AS d, %2 AS p)")
                              .arg(QString::fromLatin1(row).section(u',', 0, 0).mid(1),
                                   QString::fromLatin1(row).section(u',', 1, 1).chopped(1)));
    }
    const auto prices = offerPriceHistory(fixture.db(), QStringLiteral("Бета"), QStringLiteral("bolt12"),
                                          QStringLiteral("Bolt nut steel"));
    ASSERT_EQ(prices.size(), 3);
    EXPECT_EQ(prices.at(0).priceOut, 11);
    EXPECT_EQ(prices.at(0).date, QDateTime(QDate(2023, 3, 18), QTime(6, 0)));
    EXPECT_EQ(prices.at(2).priceOut, 9.5);

    edit->setText(QStringLiteral("steel"));
    find<QToolButton>(*panel, "ToolButton_Find")->click();
    auto* popup = find<QTableWidget>(*panel, "DBGrid_HistoryOneTovar");
    auto clickPrice = [&](int row) {
        const QRect r = grid->visualRect(grid->model()->index(row, 3));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
    };
    clickPrice(1);  // Bolt nut steel
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->rowCount(), 3);
    EXPECT_EQ(popup->item(0, 0)->text(), QStringLiteral("11"));
    clickPrice(0);  // bolt steel has no history
    EXPECT_FALSE(popup->isVisible());
}

TEST_F(GoodsWidgetsTest, ColumnCommandsKeepTheGridFilledAndAreStored)
{
    GoodsGrid* goods = gridKeepingWidths();
    goods->FitTovarColumns();
    auto visibleSum = [&] {
        int sum = 0;
        for (int i = 0; i < 11; ++i)
            sum += goods->isColumnHidden(i) ? 0 : goods->columnWidth(i);
        return sum;
    };
    const int client = goods->viewport()->width();
    EXPECT_EQ(visibleSum(), client);

    goods->TovarColumnFixedClick();  // no column under the mouse yet: nothing
    EXPECT_TRUE(messages.isEmpty());
    goods->setMenuColumn(4);
    goods->TovarColumnNotVisibleClick();
    EXPECT_TRUE(goods->isColumnHidden(4));
    EXPECT_EQ(visibleSum(), client);
    EXPECT_EQ(loadColumnWidths(*settings, QStringLiteral("DBGrid_Tovar"), 11), goods->widthTable());

    goods->TovarColumnVisibleAllClick();
    EXPECT_FALSE(goods->isColumnHidden(4));
    EXPECT_EQ(messages.value(0), shownColumnsMessage(1));
    EXPECT_EQ(visibleSum(), client);
    goods->TovarColumnVisibleAllClick();
    EXPECT_EQ(messages.value(1), shownColumnsMessage(0));

    goods->setMenuColumn(1);
    goods->TovarColumnFixedClick();
    EXPECT_EQ(messages.value(2), fixedColumnMessage(QStringLiteral("Товар")));
    EXPECT_TRUE(goods->widthTable().at(1).fixed);

    // Restored after a restart.
    SupplierGoodsPanel again(fixture.db());
    auto* restored = static_cast<GoodsGrid*>(find<QTableView>(again, "DBGrid_Tovar"));
    restored->setWidthSettings(orders.get(), settings.get());
    restored->LoadTovarColumns();
    EXPECT_EQ(restored->widthTable(), goods->widthTable());
}

// A width the user drags stays through the next searches and is stored,
// as long as the article, supplier, price, currency and stock cells stay
// whole: a price column dragged narrower than its prices shows them whole
// again, the name giving the room.
TEST_F(GoodsWidgetsTest, AWidthTheUserDragsStays)
{
    gridKeepingWidths();
    auto search = [this](const char* text) {
        edit->setText(QString::fromUtf8(text));
        QTest::keyClick(edit, Qt::Key_Return);
    };
    search("steel");
    QHeaderView* header = grid->horizontalHeader();
    // The mouse takes the column's right edge and moves it.
    auto dragTo = [&](int column, int width) {
        const int y = header->height() / 2;
        const int edge = header->sectionViewportPosition(column) + header->sectionSize(column) - 1;
        const int to = header->sectionViewportPosition(column) + width - 1;
        QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(header->viewport(), QPoint(edge + (to - edge) * step / 4, y));
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(to, y));
    };

    const int supplier = grid->columnWidth(2) + 40;
    dragTo(2, supplier);
    search("china");
    EXPECT_NEAR(grid->columnWidth(2), supplier, 2);
    EXPECT_NEAR(settings->readInteger(QStringLiteral("DBGrid_Tovar_Columns_2")), supplier, 2);
    const int name = grid->columnWidth(1) - 30;
    dragTo(1, name);
    search("steel");
    EXPECT_NEAR(grid->columnWidth(1), name, 2);

    dragTo(3, 10);
    const int margins = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) + 1;
    auto* cells = qobject_cast<QStyledItemDelegate*>(grid->itemDelegate());
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        const QString price = cells->displayText(grid->model()->index(row, 3).data(), grid->locale());
        EXPECT_GE(grid->columnWidth(3), grid->fontMetrics().horizontalAdvance(price) + margins) << price.toStdString();
    }
}

TEST_F(GoodsWidgetsTest, SearchSettingsAreStoredAndTheLastTrueOneWins)
{
    createOrderDatabase(fixture.folder() + QStringLiteral("/BaseZakaz.vdb"));
    db::Connection orders(fixture.folder() + QStringLiteral("/BaseZakaz.vdb"));
    SettingsStore settings(orders);
    SupplierSearchBar* bar = panel->searchBar();
    bar->setSettingsStore(&settings);
    bar->restoreSettings();  // nothing stored: every radio setting defaults to true
    EXPECT_EQ(bar->field(), SearchField::All);
    EXPECT_FALSE(find<QCheckBox>(*panel, "CheckBox_FindUp")->isChecked());
    find<QRadioButton>(*panel, "RadioButton_TovarArt")->click();
    find<QCheckBox>(*panel, "CheckBox_FindUp")->click();
    EXPECT_TRUE(settings.readBoolean(QStringLiteral("RadioButton_TovarArt")));
    EXPECT_FALSE(settings.readBoolean(QStringLiteral("RadioButton_TovarAll")));
    EXPECT_TRUE(settings.readBoolean(QStringLiteral("CheckBox_FindUp")));
    SupplierGoodsPanel again(fixture.db());
    again.searchBar()->setSettingsStore(&settings);
    again.searchBar()->restoreSettings();
    EXPECT_EQ(again.searchBar()->field(), SearchField::Article);
    EXPECT_EQ(again.controller()->options().field, SearchField::Article);
}

TEST(ColumnRename, OnlyTheEightBaseLabelsNameASetting)
{
    struct Case {
        const char* label;
        const char* setting;
    };
    for (const Case& c : {Case{"Label_art", "Column_art_Name"}, Case{"Label_Description", "Column_Description_Name"},
                          Case{"Label_Price", "Column_Price_Name"}, Case{"Label_art2", ""}, Case{"Label_site", ""},
                          Case{"Edit_art", ""}}) {
        EXPECT_EQ(columnTitleSettingOf(QString::fromLatin1(c.label)), QString::fromLatin1(c.setting)) << c.label;
    }
}

TEST_F(GoodsWidgetsTest, ARenamedTitleReachesTheGridAtOnce)
{
    createOrderDatabase(fixture.folder() + QStringLiteral("/BaseZakaz.vdb"));
    db::Connection orders(fixture.folder() + QStringLiteral("/BaseZakaz.vdb"));
    SettingsStore settings(orders);
    Form_Column_Name dialog(settings);
    dialog.prepare(QStringLiteral("Артикул"), columnTitleSettingOf(QStringLiteral("Label_art")));
    find<QLineEdit>(dialog, "Edit_Column_Name")->setText(QStringLiteral("Код товара"));
    dialog.Button_Column_NameClick();
    EXPECT_EQ(settings.readText(QStringLiteral("Column_art_Name")), QStringLiteral("Код товара"));
    panel->setColumnTitles(LoadColumnTitles(settings), QStringLiteral("USD"));
    EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Код товара"));
    EXPECT_EQ(grid->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Цена (USD)"));
}

TEST_F(GoodsWidgetsTest, TheProgramsLastFindTextIsShared)
{
    QString lastFindText;
    panel->controller()->shareLastFindText(&lastFindText);
    edit->setText(QStringLiteral("steel"));
    find<QToolButton>(*panel, "ToolButton_Find")->click();
    EXPECT_EQ(lastFindText, QStringLiteral("steel"));
    fixture.setVisible(QStringLiteral("Альфа"), false);
    EXPECT_EQ(panel->controller()->search(edit->text()), SearchStatus::NotRun);
    lastFindText.clear();  // as re-pricing does
    EXPECT_EQ(panel->controller()->search(edit->text()), SearchStatus::Opened);
    EXPECT_EQ(grid->model()->rowCount(), 1);
}

} // namespace
} // namespace velmora::search
