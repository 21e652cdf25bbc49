#include "catalogue_page.h"

#include "catalogue_goods_panel.h"
#include "form_artikul.h"
#include "form_main_tov_ad_ed.h"
#include "form_search.h"

#include "catalogue/article_code.h"
#include "catalogue/goods_card_data.h"
#include "catalogue/goods_commands.h"
#include "catalogue/goods_list.h"
#include "catalogue/group_tree.h"
#include "catalogue/new_tovar_import.h"

#include "platform/db/db_error.h"
#include "storage/settings_store.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::catalogue {

CataloguePage::CataloguePage(db::Connection& priceDb, SettingsStore& settings, CatalogueDialogs dialogs,
                             QWidget* windowParent)
    : QObject(windowParent), priceDb_(priceDb), settings_(settings), dialogs_(std::move(dialogs))
{
    setObjectName(QStringLiteral("CataloguePage"));
    groupsPanel_ = new QWidget;
    groupsPanel_->setObjectName(QStringLiteral("Panel_Groups"));
    auto* collapse = new QToolButton(groupsPanel_);
    collapse->setObjectName(QStringLiteral("SpeedButton_Tree"));
    collapse->setToolTip(QStringLiteral("Свернуть все ветви"));
    collapse->setText(QStringLiteral("Свернуть все ветви"));
    collapse->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    collapse->setIcon(collapse->style()->standardIcon(QStyle::SP_ArrowUp));
    collapse->setAutoRaise(true);
    tree_ = new GroupTreeView(priceDb_, groupsPanel_);
    tree_->setMessageSink(dialogs_.message);
    tree_->setQuestionHandler(dialogs_.confirm);
    auto* layout = new QVBoxLayout(groupsPanel_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(collapse, 0, Qt::AlignLeft);
    layout->addWidget(tree_, 1);

    goods_ = new CatalogueGoodsPanel(priceDb_);
    card_ = new Form_MainTovAdEd(priceDb_, windowParent);
    card_->setMessageSink(dialogs_.message);
    search_ = new Form_Search(priceDb_, windowParent);
    search_->setMessageSink(dialogs_.message);
    artikul_ = new Form_Artikul(settings_, windowParent);
    artikul_->setMessageSink(dialogs_.message);

    connect(collapse, &QToolButton::clicked, tree_, &GroupTreeView::SpeedButton_TreeClick);
    connect(tree_, &GroupTreeView::groupChosen, this, &CataloguePage::onGroupChosen);
    connect(tree_, &GroupTreeView::goodsChanged, this, [this] {
        ShowGoodsTotals();
        ReopenGoodsList();
    });
    connect(tree_, &GroupTreeView::collapsedAll, this, &CataloguePage::ReopenGoodsList);
    connect(tree_, &GroupTreeView::programEndRequested, this, &CataloguePage::programEndRequested);

    connect(goods_, &CatalogueGoodsPanel::currentGoodChanged, this, &CataloguePage::currentGoodChanged);
    connect(goods_->grid(), &QTableView::doubleClicked, this, &CataloguePage::Button_MainTovEditClick);
    connect(goods_->addButton(), &QPushButton::clicked, this, &CataloguePage::Button_MainTovAddClick);
    connect(goods_->editButton(), &QPushButton::clicked, this, &CataloguePage::Button_MainTovEditClick);
    connect(goods_->deleteButton(), &QPushButton::clicked, this, &CataloguePage::Button_MainTovDelClick);
    connect(goods_->filterButton(), &QToolButton::clicked, this, &CataloguePage::SpeedButton_TovarFilterClick);
    connect(goods_->allButton(), &QToolButton::clicked, this, &CataloguePage::SpeedButton_TovarAllClick);
    connect(goods_->filterEdit(), &QLineEdit::returnPressed, this, &CataloguePage::SpeedButton_TovarFilterClick);
    connect(goods_->popupMenu()->findChild<QAction*>(QStringLiteral("CopyTovar")), &QAction::triggered, this,
            &CataloguePage::CopyTovarClick);
    connect(goods_->popupMenu()->findChild<QAction*>(QStringLiteral("InsertTovar")), &QAction::triggered, this,
            &CataloguePage::InsertTovarClick);

    connect(card_, &Form_MainTovAdEd::goodSaved, this, &CataloguePage::showGoodSaved);
    connect(search_, &Form_Search::locateRequested, this, &CataloguePage::LocateFoundProduct);
    connect(search_, &Form_Search::closed, card_, &QWidget::close);
}

CataloguePage::~CataloguePage()
{
    // Panels nobody placed, windows without a parent window.
    for (QWidget* w : {static_cast<QWidget*>(groupsPanel_), static_cast<QWidget*>(goods_.data()),
                       static_cast<QWidget*>(card_.data()), static_cast<QWidget*>(search_.data()),
                       static_cast<QWidget*>(artikul_.data())})
        if (w && !w->parentWidget())
            delete w;
}

CatalogueGoodsPanel* CataloguePage::goods() const { return goods_; }
Form_MainTovAdEd* CataloguePage::card() const { return card_; }
Form_Search* CataloguePage::searchWindow() const { return search_; }
Form_Artikul* CataloguePage::articleWindow() const { return artikul_; }

qint64 CataloguePage::currentGood() const { return goods_ ? goods_->currentCode() : 0; }

void CataloguePage::report(const QString& text) const
{
    if (dialogs_.message)
        dialogs_.message(text);
}

bool CataloguePage::ask(const QString& text) const { return dialogs_.confirm && dialogs_.confirm(text); }

void CataloguePage::start()
{
    tree_->LoadGroupTreeRoot();
    ShowGoodsTotals();
    ReopenGoodsList();
}

qint64 CataloguePage::targetGroup() const
{
    // The goods of no group take no new goods: they belong to no group.
    if (tree_->ungroupedSelected())
        return 0;
    return tree_->selectedGroup() > 0 ? tree_->selectedGroup() : currentGroupCode_;
}

void CataloguePage::onGroupChosen(qint64 code)
{
    if (code > 0)
        currentGroupCode_ = code;
    ReopenGoodsList();
}

void CataloguePage::ReopenGoodsList()
{
    if (pricing_)
        goods_->model()->setPricing(pricing_());
    GoodsListFilter filter = goods_->model()->filter();
    // Without a selected group the list keeps its group.
    if (const qint64 group = tree_->selectedGroup(); group > 0 || tree_->ungroupedSelected())
        filter.kategor = QString::number(group);
    filter.namePart = namePart_;
    try {
        goods_->model()->reopen(filter);
    } catch (const db::DbError& e) {
        report(e.message());
    }
}

void CataloguePage::ShowGoodsTotals()
{
    try {
        emit statusTextChanged(0, goodsTotalsText(readGoodsTotals(priceDb_)));
    } catch (const db::DbError& e) {
        report(e.message());
    }
}

void CataloguePage::Button_MainTovAddClick()
{
    const qint64 group = targetGroup();
    if (group <= 0) {
        report(QStringLiteral("Выберите группу товаров"));
        return;
    }
    try {
        const ArticleSettings article = readArticleSettings(settings_);
        card_->showCard(openCardForAdd(priceDb_, group, [&article](qint64 code, const QString& groupCode) {
            return BuildArticleCode(article, QString::number(code), groupCode);
        }));
    } catch (const db::DbError& e) {
        report(e.message());
    }
}

void CataloguePage::Button_MainTovEditClick()
{
    const qint64 code = currentGood();
    if (code <= 0)
        return;
    CardOpening opening;
    try {
        if (!openCardForEdit(priceDb_, code, pricing_ ? pricing_().roundDigits : 2, opening))
            return;
    } catch (const db::DbError& e) {
        report(e.message());
        return;
    }
    card_->showCard(opening);
}

void CataloguePage::showGoodSaved(qint64 code)
{
    ReopenGoodsList();
    goods_->moveToCode(code);
    ShowGoodsTotals();
}

void CataloguePage::Button_MainTovDelClick()
{
    if (ask(kDeleteGoodsQuestion)) {
        const int row = goods_->grid()->currentIndex().row();
        try {
            deleteGoods(priceDb_, goods_->markedCodes());
        } catch (const db::DbError& e) {
            report(e.message());
        }
        ReopenGoodsList();
        goods_->moveToRow(row - 1);
    }
    ShowGoodsTotals();
}

void CataloguePage::CopyTovarClick()
{
    goodsToMove_ = goods_->chosenCodes();
    if (goodsToMove_.isEmpty())
        return;
    goodsToMoveReady_ = true;
    report(kGoodsPreparedMessage);
}

void CataloguePage::InsertTovarClick()
{
    if (!goodsToMoveReady_) {
        report(kNoGoodsToMoveMessage);
        return;
    }
    const qint64 group = targetGroup();
    if (group <= 0)
        return;
    try {
        moveGoods(priceDb_, goodsToMove_, group);
    } catch (const db::DbError& e) {
        report(e.message());
        return;
    }
    goodsToMove_.clear();
    goodsToMoveReady_ = false;
    ReopenGoodsList();
}

void CataloguePage::SpeedButton_TovarAllClick()
{
    namePart_.clear();
    ReopenGoodsList();
}

void CataloguePage::SpeedButton_TovarFilterClick()
{
    namePart_ = goods_->filterEdit()->text();
    ReopenGoodsList();
}

void CataloguePage::openSearch(const QString& field)
{
    search_->setSearchField(field);
    search_->show();
    if (const QScreen* screen = search_->screen()) {
        QRect frame = search_->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        search_->move(frame.topLeft());
    }
    search_->raise();
    search_->activateWindow();
}

void CataloguePage::SearchArtTovarClick() { openSearch(QStringLiteral("Art")); }

void CataloguePage::SearchNameTovarClick() { openSearch(QStringLiteral("Tovar")); }

void CataloguePage::SetupArtikulClick() { artikul_->exec(); }

void CataloguePage::SpeedButton_RefreshClick()
{
    const qint64 group = tree_->selectedGroup();
    const qint64 good = currentGood();
    tree_->LoadGroupTreeRoot();
    if (group > 0)
        tree_->selectGroup(group);
    ReopenGoodsList();
    goods_->moveToCode(good);
    ShowGoodsTotals();
}

void CataloguePage::N25Click()
{
    emit statusTextChanged(0, QString());
    if (!ask(kNewTovarContinueQuestion))
        return;
    const bool clearFirst = ask(kNewTovarClearQuestion);
    NewTovarResult result;
    try {
        result = buildCatalogueFromNewTovar(priceDb_, clearFirst);
    } catch (const db::DbError& e) {
        report(e.message());
        return;
    }
    if (const QString refusal = newTovarRefusalMessage(result); !refusal.isEmpty())
        report(refusal);
    tree_->LoadGroupTreeRoot();
    ReopenGoodsList();
    ShowGoodsTotals();
}

void CataloguePage::LocateFoundProduct(const FoundGood& good, bool openGroups)
{
    card_->close();
    tree_->collapseAll();
    const qint64 group = good.kategor.toLongLong();
    // The nodes and the good are found by their codes, never by their names.
    if (!(openGroups && tree_->selectGroup(group))) {
        const QSignalBlocker quiet(tree_);
        tree_->setCurrentItem(nullptr);
    }
    GoodsListFilter filter = goods_->model()->filter();
    filter.kategor = good.kategor;
    filter.namePart.clear();
    namePart_.clear();
    try {
        goods_->model()->reopen(filter);
    } catch (const db::DbError& e) {
        report(e.message());
        return;
    }
    goods_->moveToCode(good.code);
    currentGroupCode_ = group;
    Button_MainTovEditClick();
}

} // namespace velmora::catalogue
