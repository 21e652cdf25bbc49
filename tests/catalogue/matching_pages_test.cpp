// The matching pages of an own good, offscreen: criteria, the search with
// its ticks, moving the ticked items and the correspondence commands.
#include "catalogue/matching/matching_pages.h"
#include "matching_test_support.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>

using namespace velmora;
using namespace velmora::catalogue;
using namespace velmora::testing;

namespace {

constexpr qint64 kGood = 7;

class MatchingPagesTest : public MatchingTest {
protected:
    void SetUp() override
    {
        ensureApplication();
        MatchingTest::SetUp();
        pages = std::make_unique<MatchingPages>(
            priceDb, MatchingDialogs{[this](const QString& text) { messages << text; },
                                     [this](const QString& text) {
                                         questions << text;
                                         return answer;
                                     }});
        QObject::connect(pages.get(), &MatchingPages::pageRequested, [this](int page) { shownPage = page; });
        QObject::connect(pages.get(), &MatchingPages::statusText, [this](const QString& text) { status = text; });
    }

    template <typename T = QWidget>
    T* on(QWidget* page, const char* name)
    {
        return findControl<T>(page, name);
    }
    void click(QWidget* page, const char* name) { on<QAbstractButton>(page, name)->click(); }
    void typeCriteria(std::initializer_list<const char*> words)
    {
        const char* const fields[] = {"Edit_krit1", "Edit_krit2", "Edit_krit3", "Edit_krit4", "Edit_krit5"};
        size_t i = 0;
        for (const char* field : fields)
            on<QLineEdit>(pages->criteriaPage(), field)->setText(i < words.size() ? QString::fromUtf8(words.begin()[i++]) : QString());
    }
    QStringList gridRows(QTableWidget* grid) const
    {
        QStringList rows;
        for (int r = 0; r < grid->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < grid->columnCount(); ++c)
                cells << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
            rows << cells.join(u'|');
        }
        return rows;
    }
    QStringList resultNames()
    {
        QAbstractItemModel* model = on<QTableView>(pages->searchResultsPage(), "DBCtrlGrid1_Sootv")->model();
        QStringList names;
        for (int r = 0; r < model->rowCount(); ++r)
            names << model->index(r, 1).data().toString() + u'|' + model->index(r, 2).data().toString();
        return names;
    }
    bool tick(int row)
    {
        QAbstractItemModel* model = on<QTableView>(pages->searchResultsPage(), "DBCtrlGrid1_Sootv")->model();
        return model->setData(model->index(row, 0), Qt::Checked, Qt::CheckStateRole);
    }

    std::unique_ptr<MatchingPages> pages;
    QStringList messages;
    QStringList questions;
    bool answer = true;
    int shownPage = -1;
    QString status;
};

TEST_F(MatchingPagesTest, CriteriaSearchTicksAndMoveIntoTheCorrespondences)
{
    addItem(QStringLiteral("Кабель USB 2м"), QStringLiteral("ООО Альфа"));
    addItem(QStringLiteral("Кабель USB удлинитель"), QStringLiteral("ООО Альфа"));
    addItem(QStringLiteral("Кабель USB 3м"), QStringLiteral("ООО Альфа"));
    addItem(QStringLiteral("кабель usb 2М"), QStringLiteral("ООО Бета"));
    addItem(QStringLiteral("Шнур USB-A 2м"), QStringLiteral("ООО Бета"));
    addItem(QStringLiteral("Кабель HDMI"), QStringLiteral("ООО Гамма"));
    pages->CurrentGoodChanged(kGood);
    QWidget* criteria = pages->criteriaPage();

    typeCriteria({"кабель", "USB"});
    click(criteria, "Button_AddKrit");
    typeCriteria({"шнур", "usb"});
    click(criteria, "Button_AddKrit");
    on<QLineEdit>(criteria, "Edit_kritdel1")->setText(QStringLiteral("удлин"));
    click(criteria, "Button_AddKritIskl");
    EXPECT_EQ(gridRows(on<QTableWidget>(criteria, "DBGrid_Krit1")),
              (QStringList{"кабель|USB|||", "шнур|usb|||"}));
    EXPECT_EQ(gridRows(on<QTableWidget>(criteria, "DBGrid_KritIskl")), QStringList{"удлин"});
    EXPECT_TRUE(on<QLineEdit>(criteria, "Edit_krit1")->text().isEmpty()); // the fields are emptied

    auto* move = on<QPushButton>(pages->searchResultsPage(), "Button_SootvTovar1");
    EXPECT_FALSE(move->isEnabled());
    click(criteria, "Button_KritSelect");
    EXPECT_EQ(shownPage, kSearchResultsPage);
    EXPECT_TRUE(move->isEnabled());
    EXPECT_EQ(resultNames(), (QStringList{"Кабель USB 2м|ООО Альфа", "Кабель USB 3м|ООО Альфа",
                                          "кабель usb 2М|ООО Бета", "Шнур USB-A 2м|ООО Бета"}));

    EXPECT_TRUE(tick(0));
    EXPECT_FALSE(tick(1)); // another name of ООО Альфа
    EXPECT_EQ(messages, QStringList{"Товар, соответсвующий указанному, у данного поставщика уже выбран !"});
    EXPECT_TRUE(tick(2));
    QAbstractItemModel* model = on<QTableView>(pages->searchResultsPage(), "DBCtrlGrid1_Sootv")->model();
    EXPECT_EQ(model->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);

    click(pages->searchResultsPage(), "Button_SootvTovar1");
    EXPECT_EQ(shownPage, kCorrespondencePage);
    EXPECT_FALSE(move->isEnabled());
    EXPECT_EQ(model->rowCount(), 0); // the result list is closed
    EXPECT_EQ(gridRows(on<QTableWidget>(pages->correspondencePage(), "DBGrid_TablSootv")),
              (QStringList{"A-1|Кабель USB 2м|ООО Альфа", "A-4|кабель usb 2М|ООО Бета"}));
    EXPECT_EQ(rows("SELECT Code_sootv, Tovar, Postavshik, Obrab FROM svod ORDER BY rowid"),
              (QStringList{"7|Кабель USB 2м|ООО Альфа|false", "7|кабель usb 2М|ООО Бета|false"}));
    EXPECT_EQ(rows("SELECT count(*) FROM price_all"), QStringList{"4"});
}

TEST_F(MatchingPagesTest, MovingWithoutACurrentGoodIsRefused)
{
    addItem(QStringLiteral("Кабель USB"));
    pages->CurrentGoodChanged(0);
    click(pages->criteriaPage(), "Button_KritSelect");
    ASSERT_TRUE(tick(0));
    click(pages->searchResultsPage(), "Button_SootvTovar1");
    EXPECT_EQ(messages, QStringList{"Не выбран собственный товар!"});
    EXPECT_EQ(rows("SELECT count(*) FROM price_all"), QStringList{"1"});
    EXPECT_TRUE(rows("SELECT * FROM sootv").isEmpty());
}

TEST_F(MatchingPagesTest, CriteriaCommandsReportInTheStatusPanel)
{
    pages->CurrentGoodChanged(kGood);
    QWidget* criteria = pages->criteriaPage();
    click(criteria, "Button_DelKrit");
    EXPECT_EQ(status, QStringLiteral("Критерии отсутствуют, удаление невозможно."));
    typeCriteria({"кабель"});
    click(criteria, "Button_AddKrit");
    EXPECT_EQ(status, QString());
    typeCriteria({"КАБЕЛЬ"});
    click(criteria, "Button_AddKrit");
    EXPECT_EQ(status, QStringLiteral("Удалены повторяющиеся критерии: выбора - 1"));

    // Double-click copies the row into the fields; "Обновить" replaces it.
    auto* grid = on<QTableWidget>(criteria, "DBGrid_Krit1");
    grid->setCurrentCell(0, 0);
    pages->DBGrid_Krit1DblClick();
    EXPECT_EQ(on<QLineEdit>(criteria, "Edit_krit1")->text(), QStringLiteral("КАБЕЛЬ"));
    on<QLineEdit>(criteria, "Edit_krit2")->setText(QStringLiteral("hdmi"));
    click(criteria, "Button_UpKrit");
    EXPECT_EQ(gridRows(grid), QStringList{"КАБЕЛЬ|hdmi|||"});
    click(criteria, "SpeedButton_kritclear");

    // The buffer onto the same good doubles the rows and collapses them again.
    on<QLineEdit>(criteria, "Edit_kritdel1")->setText(QStringLiteral("удлин"));
    click(criteria, "Button_AddKritIskl");
    click(criteria, "SpeedButton_SavePar");
    click(criteria, "SpeedButton_LoadPar");
    EXPECT_EQ(status, QStringLiteral("Удалены повторяющиеся критерии: выбора - 1;  исключения - 1"));
    EXPECT_EQ(gridRows(grid), QStringList{"КАБЕЛЬ|hdmi|||"});

    // Another good shows its own (empty) lists; the status panel is emptied.
    pages->CurrentGoodChanged(kGood + 1);
    EXPECT_EQ(grid->rowCount(), 0);
    EXPECT_EQ(status, QString());
}

TEST_F(MatchingPagesTest, CorrespondenceCommandsAskFirst)
{
    for (const char* name : {"Кабель USB", "Кабель HDMI"})
        addItem(QString::fromUtf8(name), QString::fromUtf8(name).endsWith(u'B') ? QStringLiteral("ООО Альфа")
                                                                                : QStringLiteral("ООО Бета"));
    pages->CurrentGoodChanged(kGood);
    click(pages->criteriaPage(), "Button_KritSelect");
    ASSERT_TRUE(tick(0));
    ASSERT_TRUE(tick(1));
    click(pages->searchResultsPage(), "Button_SootvTovar1");
    auto* grid = on<QTableWidget>(pages->correspondencePage(), "DBGrid_TablSootv");
    ASSERT_EQ(grid->rowCount(), 2);

    answer = false;
    grid->setCurrentCell(1, 0);
    click(pages->correspondencePage(), "Button_SootvSepDelOne");
    EXPECT_EQ(questions, QStringList{"Удалить текущий товар из таблицы соответствия ?"});
    EXPECT_EQ(grid->rowCount(), 2);
    answer = true;
    click(pages->correspondencePage(), "Button_SootvSepDelOne");
    EXPECT_EQ(gridRows(grid), QStringList{"A-1|Кабель USB|ООО Альфа"});
    EXPECT_EQ(rows("SELECT Tovar, Check_sootv, Check_obrab FROM price_all"), QStringList{"Кабель HDMI|false|true"});

    click(pages->correspondencePage(), "Button_SootvSepDelAll");
    EXPECT_EQ(questions.last(), QStringLiteral("Удалить показанные товары из таблицы соответствия ?"));
    EXPECT_EQ(grid->rowCount(), 0);
    EXPECT_TRUE(rows("SELECT * FROM svod").isEmpty());

    click(pages->criteriaPage(), "Button_KritSelect");
    ASSERT_TRUE(tick(0));
    click(pages->searchResultsPage(), "Button_SootvTovar1");
    pages->ClearCorrespondenceTableClick();
    EXPECT_EQ(questions.last(), QStringLiteral("Таблица соответствия будет очищена. Продолжить?"));
    EXPECT_TRUE(rows("SELECT * FROM sootv").isEmpty());
    EXPECT_EQ(rows("SELECT count(*) FROM price_all"), QStringList{"2"});
}

} // namespace
