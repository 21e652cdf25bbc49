#pragma once

#include "group_tree_view.h"

#include "catalogue/goods_prices.h"
#include "catalogue/goods_search.h"

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace velmora {
class SettingsStore;
}

namespace velmora::catalogue {

class CatalogueGoodsPanel;
class Form_Artikul;
class Form_MainTovAdEd;
class Form_Search;

// The dialogs the catalogue puts to the user; without them nothing is
// shown and every question is answered No.
struct CatalogueDialogs {
    MessageSink message;
    std::function<bool(const QString& text)> confirm;
};

// The catalogue's part of the main window: the group tree panel
// (Panel_Groups: SpeedButton_Tree and TreeView_Groups), the own goods panel
// (Panel_PriceMain), the goods card, the search and the article settings
// windows, and the main window's catalogue commands between them. The
// window that holds it places the two panels.
//
// Pages that show more about the current good (criteria, correspondences,
// the combined price) follow currentGoodChanged: it carries the good's
// Code (0 when the list is empty) each time the current row moves to
// another good and each time the list is reopened.
class CataloguePage : public QObject {
    Q_OBJECT
public:
    // settings: the store the article settings live in.
    CataloguePage(db::Connection& priceDb, SettingsStore& settings, CatalogueDialogs dialogs,
                  QWidget* windowParent = nullptr);
    ~CataloguePage() override;

    QWidget* groupsPanel() const { return groupsPanel_; }
    GroupTreeView* tree() const { return tree_; }
    CatalogueGoodsPanel* goods() const;
    Form_MainTovAdEd* card() const;
    Form_Search* searchWindow() const;
    Form_Artikul* articleWindow() const;

    // RoundDigits and KursRUBRate as they stand when the list is shown.
    void setPricing(std::function<GoodsPricing()> pricing) { pricing_ = std::move(pricing); }
    void setGroupCommandHooks(std::function<GroupCommandHooks()> hooks) { tree_->setGroupCommandHooks(std::move(hooks)); }

    // The group the card adds to and goods are inserted into: the selected
    // group of the tree, or the one the search went to.
    qint64 CurrentGroupCode() const { return currentGroupCode_; }
    qint64 currentGood() const;

public slots:
    // Start-up: the tree's top level, the totals and the (empty) list.
    void start();
    void ReopenGoodsList();
    void ShowGoodsTotals();
    void Button_MainTovAddClick();
    void Button_MainTovEditClick();
    void Button_MainTovDelClick();
    void CopyTovarClick();
    void InsertTovarClick();
    void SpeedButton_TovarAllClick();
    void SpeedButton_TovarFilterClick();
    void SearchArtTovarClick();
    void SearchNameTovarClick();
    void SetupArtikulClick();
    void SpeedButton_RefreshClick();
    void N25Click();
    void LocateFoundProduct(const FoundGood& good, bool openGroups);

signals:
    void currentGoodChanged(qint64 code);
    // A text for a panel of the main status bar (0: the goods totals).
    void statusTextChanged(int panel, const QString& text);
    // The catalogue was restored from its backup: the program must start
    // again.
    void programEndRequested();

private:
    void openSearch(const QString& field);
    void onGroupChosen(qint64 code);
    // The group a new or moved good goes to; 0 for none.
    qint64 targetGroup() const;
    void showGoodSaved(qint64 code);
    void report(const QString& text) const;
    bool ask(const QString& text) const;

    db::Connection& priceDb_;
    SettingsStore& settings_;
    CatalogueDialogs dialogs_;
    std::function<GoodsPricing()> pricing_;
    QPointer<QWidget> groupsPanel_;
    GroupTreeView* tree_ = nullptr;
    QPointer<CatalogueGoodsPanel> goods_;
    QPointer<Form_MainTovAdEd> card_;
    QPointer<Form_Search> search_;
    QPointer<Form_Artikul> artikul_;
    qint64 currentGroupCode_ = 0;
    QString namePart_;          // the list's name filter; empty: none
    QList<qint64> goodsToMove_; // CopyTovarClick's goods
    bool goodsToMoveReady_ = false;
};

} // namespace velmora::catalogue
