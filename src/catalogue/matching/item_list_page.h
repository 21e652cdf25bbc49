#pragma once

#include "item_lists.h"

#include "platform/files/message_sink.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
class QToolButton;

namespace velmora::catalogue {

class ItemListModel;

// The dialogs the remainder and trash pages put to the user; without them
// nothing is shown and every question is answered No.
struct ItemPageDialogs {
    MessageSink message;
    Question confirm;
};

// The remainder page (TabSheet_Ostatok, price_all) or the trash page
// (TabSheet_IsklTovar, musor): the items with their ticks, a filter by
// words of the name and by supplier, tick-all over exactly the listed
// items, and the page's commands (remainder: to the trash, to the current
// good; trash: erase). The controls carry the names of their page.
class ItemListPage : public QWidget {
    Q_OBJECT
public:
    ItemListPage(db::Connection& priceDb, ItemTable table, ItemPageDialogs dialogs, QWidget* parent = nullptr);
    ~ItemListPage() override;

    ItemTable table() const { return table_; }
    ItemListModel* model() const { return model_; }
    QTableView* grid() const { return grid_; }
    // The remainder's context menu (PopupMenu_Ostatok); null on the trash page.
    QMenu* popupMenu() const { return popup_; }

public slots:
    // The catalogue's current good (the remainder's items move to it).
    void setCurrentGood(qint64 code) { good_ = code; }
    // The page is shown: ticks cleared, the whole list opened, the supplier
    // choice filled once, the tick-all toggle reset.
    void showPage();
    void FilterClick();
    void AllClick();
    void SelectAllClick();
    // Remainder: Button_OstatokMusor, Button_AddOstSootv (and AddOstSootv).
    void Button_OstatokMusorClick();
    void Button_AddOstSootvClick();
    // Trash: Button_MusorErase, and the menu's "Очистить мусорный бак".
    void Button_MusorEraseClick();
    void EmptyTrashClick();

signals:
    // Items moved to this good: its correspondences and combined price changed.
    void correspondencesChanged(qint64 goodCode);

private:
    void openList(const ItemListQuery& query, qint64 keepKey);
    void showCounter();
    qint64 anchorAfterCurrent();
    bool ask(const QString& text) const;

    db::Connection& priceDb_;
    const ItemTable table_;
    ItemPageDialogs dialogs_;
    qint64 good_ = 0;
    qint64 anchor_ = 0;   // the item ticked last
    bool toggle_ = false; // false: the next tick-all ticks
    ItemListModel* model_;
    QTableView* grid_;
    QLabel* counter_;
    QLineEdit* filter_;
    QComboBox* suppliers_;
    QMenu* popup_ = nullptr;
};

} // namespace velmora::catalogue
