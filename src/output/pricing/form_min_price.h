#pragma once

#include "output/pricing/recalc_min_prices.h"
#include "output/window_support.h"

#include <QDate>
#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class Form_MinPrice;
}

namespace velmora {
class SettingsStore;
}

namespace velmora::output {

// Form_MinPrice ("Пересчет минимальных цен"): the suppliers that take part
// and the recalculation, for all goods (MinPriceGroupCode 0: the ticks of
// postavshik) or for a group and its subgroups (the group's rows of
// MinPrice_Group, which it can save for the subgroups too). A tick is
// stored as soon as it is changed.
class Form_MinPrice : public QDialog {
    Q_OBJECT
public:
    Form_MinPrice(db::Connection& priceDb, SettingsStore& orderSettings, QWidget* parent = nullptr);
    ~Form_MinPrice() override;

    void setDialogs(WindowDialogs dialogs) { dialogs_ = std::move(dialogs); }
    void setPricingGlobals(std::function<PricingGlobals()> globals) { globals_ = std::move(globals); }
    // The wait window the recalculation shows; none: no progress.
    void setWaitWindow(Progress* wait) { wait_ = wait; }
    // Today's date; the system date unless set.
    void setClock(std::function<QDate()> today) { today_ = std::move(today); }
    void setGroup(qint64 MinPriceGroupCode) { MinPriceGroupCode_ = MinPriceGroupCode; }
    qint64 MinPriceGroupCode() const { return MinPriceGroupCode_; }

    void FormShow();
    void DBGrid_PostavCellChanged(int row, int column);
    void Button_SaveClick();
    void Button_RecalcClick();

signals:
    // Prices were recalculated: the goods list and its totals are to be
    // shown again.
    void pricesChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillList();

    std::unique_ptr<Ui::Form_MinPrice> ui;
    db::Connection& priceDb_;
    SettingsStore& orderSettings_;
    WindowDialogs dialogs_;
    std::function<PricingGlobals()> globals_;
    std::function<QDate()> today_;
    Progress* wait_ = nullptr;
    qint64 MinPriceGroupCode_ = 0;
    bool filling_ = false;
};

} // namespace velmora::output
