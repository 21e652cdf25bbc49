#include "matching_pages.h"

#include "ui_correspondence_page.h"
#include "ui_criteria_page.h"
#include "ui_search_results_page.h"

#include "correspondence.h"
#include "criteria_lists.h"
#include "criteria_search.h"
#include "search_results_model.h"

#include <QHeaderView>

namespace velmora::catalogue {
namespace {

// Fills a grid with rows of texts, each row keeping its rowid; the row of
// `keepRowid` stays current, else the first.
void fillGrid(QTableWidget* grid, const QStringList& titles, const QList<std::pair<qint64, QStringList>>& rows)
{
    const QTableWidgetItem* current = grid->currentItem();
    const qint64 keepRowid = current ? grid->item(current->row(), 0)->data(Qt::UserRole).toLongLong() : 0;
    grid->clear();
    grid->setColumnCount(int(titles.size()));
    grid->setHorizontalHeaderLabels(titles);
    grid->setRowCount(int(rows.size()));
    int currentRow = rows.isEmpty() ? -1 : 0;
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < titles.size(); ++c) {
            auto* item = new QTableWidgetItem(rows.at(r).second.value(c));
            if (c == 0)
                item->setData(Qt::UserRole, rows.at(r).first);
            grid->setItem(r, c, item);
        }
        if (rows.at(r).first == keepRowid)
            currentRow = r;
    }
    if (currentRow >= 0)
        grid->setCurrentCell(currentRow, 0);
}

qint64 rowidOfCurrent(const QTableWidget* grid)
{
    const int row = grid->currentRow();
    const QTableWidgetItem* first = row >= 0 ? grid->item(row, 0) : nullptr;
    return first ? first->data(Qt::UserRole).toLongLong() : 0;
}

CriteriaWords wordsOf(const Ui::Panel_Krit& k)
{
    return {k.Edit_krit1->text(), k.Edit_krit2->text(), k.Edit_krit3->text(), k.Edit_krit4->text(),
            k.Edit_krit5->text()};
}

} // namespace

MatchingPages::MatchingPages(db::Connection& priceDb, MatchingDialogs dialogs, QObject* parent)
    : QObject(parent),
      priceDb_(priceDb),
      dialogs_(std::move(dialogs)),
      kritUi_(std::make_unique<Ui::Panel_Krit>()),
      sootvUi_(std::make_unique<Ui::Panel_Sootv>()),
      tablUi_(std::make_unique<Ui::Panel_TablSootv>()),
      criteria_(new QWidget),
      results_(new QWidget),
      correspondence_(new QWidget)
{
    kritUi_->setupUi(criteria_);
    sootvUi_->setupUi(results_);
    tablUi_->setupUi(correspondence_);
    model_ = new SearchResultsModel(priceDb_, this);
    sootvUi_->DBCtrlGrid1_Sootv->setModel(model_);
    sootvUi_->DBCtrlGrid1_Sootv->horizontalHeader()->setStretchLastSection(true);
    sootvUi_->Button_SootvTovar1->setEnabled(false);

    const Ui::Panel_Krit& k = *kritUi_;
    connect(k.Button_AddKrit, &QPushButton::clicked, this, &MatchingPages::Button_AddKritClick);
    connect(k.Button_UpKrit, &QPushButton::clicked, this, &MatchingPages::Button_UpKritClick);
    connect(k.Button_DelKrit, &QPushButton::clicked, this, &MatchingPages::Button_DelKritClick);
    connect(k.DBGrid_Krit1, &QTableWidget::cellDoubleClicked, this, &MatchingPages::DBGrid_Krit1DblClick);
    connect(k.SpeedButton_kritclear, &QToolButton::clicked, this, &MatchingPages::SpeedButton_kritclearClick);
    connect(k.Button_AddKritIskl, &QPushButton::clicked, this, &MatchingPages::Button_AddKritIsklClick);
    connect(k.Button_UpKritIskl, &QPushButton::clicked, this, &MatchingPages::Button_UpKritIsklClick);
    connect(k.Button_DelKritIskl, &QPushButton::clicked, this, &MatchingPages::Button_DelKritIsklClick);
    connect(k.DBGrid_KritIskl, &QTableWidget::cellDoubleClicked, this, &MatchingPages::DBGrid_KritIsklDblClick);
    connect(k.SpeedButton_kritclearIskl, &QToolButton::clicked, this,
            &MatchingPages::SpeedButton_kritclearIsklClick);
    connect(k.SpeedButton_SavePar, &QToolButton::clicked, this, &MatchingPages::SpeedButton_SaveParClick);
    connect(k.SpeedButton_LoadPar, &QToolButton::clicked, this, &MatchingPages::SpeedButton_LoadParClick);
    connect(k.Button_KritSelect, &QPushButton::clicked, this, &MatchingPages::Button_KritSelectClick);
    connect(sootvUi_->Button_SootvTovar1, &QPushButton::clicked, this, &MatchingPages::Button_SootvTovar1Click);
    connect(tablUi_->Button_SootvSepDelAll, &QPushButton::clicked, this, &MatchingPages::Button_SootvSepDelAllClick);
    connect(tablUi_->Button_SootvSepDelOne, &QPushButton::clicked, this, &MatchingPages::Button_SootvSepDelOneClick);
    connect(model_, &SearchResultsModel::tickRefused, this, [this] { tell(tickRefusedMessage()); });
}

MatchingPages::~MatchingPages()
{
    // Pages that no window took are this object's to free.
    for (QWidget* page : {criteria_.data(), results_.data(), correspondence_.data()})
        if (page && !page->parent())
            delete page;
}

bool MatchingPages::ask(const QString& text) const { return dialogs_.confirm && dialogs_.confirm(text); }

void MatchingPages::tell(const QString& text) const
{
    if (dialogs_.message)
        dialogs_.message(text);
}

void MatchingPages::CurrentGoodChanged(qint64 code)
{
    good_ = code;
    openCriteria();
    openExclusions();
    openCorrespondences();
    CloseSearchResults();
    emit statusText(QString());
}

void MatchingPages::CloseSearchResults()
{
    model_->close();
    sootvUi_->Button_SootvTovar1->setEnabled(false);
}

void MatchingPages::openCriteria()
{
    QList<std::pair<qint64, QStringList>> rows;
    for (const CriteriaRow& row : readCriteriaRows(priceDb_, good_))
        rows.append({row.rowid, QStringList(row.words.begin(), row.words.end())});
    fillGrid(kritUi_->DBGrid_Krit1, {QStringLiteral("Критерий 1"), QStringLiteral("Критерий 2"),
                                     QStringLiteral("Критерий 3"), QStringLiteral("Критерий 4"),
                                     QStringLiteral("Критерий 5")},
             rows);
}

void MatchingPages::openExclusions()
{
    QList<std::pair<qint64, QStringList>> rows;
    for (const ExclusionRow& row : readExclusionRows(priceDb_, good_))
        rows.append({row.rowid, {row.word}});
    fillGrid(kritUi_->DBGrid_KritIskl, {QStringLiteral("Исключение")}, rows);
}

void MatchingPages::openCorrespondences()
{
    QList<std::pair<qint64, QStringList>> rows;
    qint64 position = 0;
    for (const Correspondence& row : readCorrespondences(priceDb_, good_))
        rows.append({++position, {row.art, row.tovar, row.postavshik}});
    fillGrid(tablUi_->DBGrid_TablSootv,
             {QStringLiteral("Артикул"), QStringLiteral("Наименование"), QStringLiteral("Поставщик")}, rows);
}

qint64 MatchingPages::currentRowid(bool criteria) const
{
    return rowidOfCurrent(criteria ? kritUi_->DBGrid_Krit1 : kritUi_->DBGrid_KritIskl);
}

// After a command of either list: its status text, the list read again and,
// when the command did something, its fields emptied.
void MatchingPages::showEdit(bool done, const QString& status, bool criteria)
{
    if (!done)
        return;
    emit statusText(status);
    if (criteria) {
        SpeedButton_kritclearClick();
        openCriteria();
    } else {
        SpeedButton_kritclearIsklClick();
        openExclusions();
    }
}

void MatchingPages::Button_AddKritClick()
{
    if (good_ == 0)
        return;
    const ListEdit edit = addCriteriaRow(priceDb_, good_, wordsOf(*kritUi_));
    showEdit(edit.done, edit.status, true);
}

void MatchingPages::Button_UpKritClick()
{
    if (good_ == 0)
        return;
    const ListEdit edit = replaceCriteriaRow(priceDb_, good_, currentRowid(true), wordsOf(*kritUi_));
    showEdit(edit.done, edit.status, true);
}

void MatchingPages::Button_DelKritClick()
{
    const ListEdit edit = deleteCriteriaRow(priceDb_, good_, currentRowid(true));
    emit statusText(edit.status);
    openCriteria();
}

void MatchingPages::DBGrid_Krit1DblClick()
{
    const QTableWidget* grid = kritUi_->DBGrid_Krit1;
    const int row = grid->currentRow();
    if (row < 0)
        return;
    QLineEdit* const edits[] = {kritUi_->Edit_krit1, kritUi_->Edit_krit2, kritUi_->Edit_krit3, kritUi_->Edit_krit4,
                                kritUi_->Edit_krit5};
    for (int c = 0; c < 5; ++c)
        edits[c]->setText(grid->item(row, c) ? grid->item(row, c)->text() : QString());
}

void MatchingPages::SpeedButton_kritclearClick()
{
    for (QLineEdit* edit : {kritUi_->Edit_krit1, kritUi_->Edit_krit2, kritUi_->Edit_krit3, kritUi_->Edit_krit4,
                            kritUi_->Edit_krit5})
        edit->clear();
}

void MatchingPages::Button_AddKritIsklClick()
{
    if (good_ == 0)
        return;
    const ListEdit edit = addExclusion(priceDb_, good_, kritUi_->Edit_kritdel1->text());
    showEdit(edit.done, edit.status, false);
}

void MatchingPages::Button_UpKritIsklClick()
{
    if (good_ == 0)
        return;
    const ListEdit edit = replaceExclusion(priceDb_, good_, currentRowid(false), kritUi_->Edit_kritdel1->text());
    showEdit(edit.done, edit.status, false);
}

void MatchingPages::Button_DelKritIsklClick()
{
    const ListEdit edit = deleteExclusion(priceDb_, good_, currentRowid(false));
    emit statusText(edit.status);
    openExclusions();
}

void MatchingPages::DBGrid_KritIsklDblClick()
{
    const QTableWidget* grid = kritUi_->DBGrid_KritIskl;
    const int row = grid->currentRow();
    if (row >= 0 && grid->item(row, 0))
        kritUi_->Edit_kritdel1->setText(grid->item(row, 0)->text());
}

void MatchingPages::SpeedButton_kritclearIsklClick() { kritUi_->Edit_kritdel1->clear(); }

void MatchingPages::SpeedButton_SaveParClick() { buffer_ = good_; }

void MatchingPages::SpeedButton_LoadParClick()
{
    if (good_ == 0)
        return;
    const ListEdit edit = copyCriteriaFromBuffer(priceDb_, buffer_, good_);
    if (!edit.done)
        return;
    emit statusText(edit.status);
    openCriteria();
    openExclusions();
}

void MatchingPages::Button_KritSelectClick()
{
    model_->open(runCriteriaSearch(priceDb_, good_));
    sootvUi_->Button_SootvTovar1->setEnabled(true);
    emit pageRequested(kSearchResultsPage);
}

void MatchingPages::Button_SootvTovar1Click()
{
    if (good_ == 0) {
        tell(noCurrentGoodMessage());
        return;
    }
    CloseSearchResults();
    moveTickedItemsToGood(priceDb_, good_);
    openCorrespondences();
    emit correspondencesChanged(good_);
    emit pageRequested(kCorrespondencePage);
}

void MatchingPages::Button_SootvSepDelAllClick()
{
    if (!ask(QStringLiteral("Удалить показанные товары из таблицы соответствия ?")))
        return;
    deleteGoodCorrespondences(priceDb_, good_);
    openCorrespondences();
    emit correspondencesChanged(good_);
}

void MatchingPages::Button_SootvSepDelOneClick()
{
    const QTableWidget* grid = tablUi_->DBGrid_TablSootv;
    const int row = grid->currentRow();
    if (row < 0)
        return;
    if (!ask(QStringLiteral("Удалить текущий товар из таблицы соответствия ?")))
        return;
    deleteGoodCorrespondence(priceDb_, good_, grid->item(row, 1)->text(), grid->item(row, 2)->text());
    openCorrespondences();
    emit correspondencesChanged(good_);
}

void MatchingPages::ClearCorrespondenceTableClick()
{
    if (!ask(QStringLiteral("Таблица соответствия будет очищена. Продолжить?")))
        return;
    CloseSearchResults();
    clearCorrespondenceTable(priceDb_);
    openCorrespondences();
    emit correspondencesChanged(0);
}

} // namespace velmora::catalogue
