#pragma once

#include "output/window_support.h"

#include <QDialog>

#include <memory>

namespace Ui {
class Form_Nacen;
}

namespace velmora {
class SettingsStore;
namespace db {
class Connection;
}
} // namespace velmora

namespace velmora::output {

// Form_Nacen ("Установка наценок"): the thresholds of the additional markup
// of one group (NacenGroupCode, from the group tree's command "Пороги
// дополнительной наценки") or the general thresholds with the markup of
// all goods (NacenGroupCode 0, "Установка наценок" of the menu).
class Form_Nacen : public QDialog {
    Q_OBJECT
public:
    Form_Nacen(db::Connection& priceDb, SettingsStore& orderSettings, QWidget* parent = nullptr);
    ~Form_Nacen() override;

    void setDialogs(WindowDialogs dialogs) { dialogs_ = std::move(dialogs); }
    // The group the next showing is for; 0: the general case.
    void setGroup(qint64 NacenGroupCode) { NacenGroupCode_ = NacenGroupCode; }
    qint64 NacenGroupCode() const { return NacenGroupCode_; }

    void FormShow();
    void Button_NacenAllClick();
    void Button_SaveClick();

signals:
    // Markups of goods changed: the goods list is to be reopened.
    void goodsChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::Form_Nacen> ui;
    db::Connection& priceDb_;
    SettingsStore& orderSettings_;
    WindowDialogs dialogs_;
    qint64 NacenGroupCode_ = 0;
};

} // namespace velmora::output
