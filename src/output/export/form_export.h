#pragma once

#include "output/export/export_run.h"
#include "output/window_support.h"

#include <QDate>
#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;

namespace Ui {
class Form_Export;
}

namespace velmora {
class SettingsStore;
}

namespace velmora::output {

// Form_Export ("Экспорт"): the switches of the export run, each kept as a
// setting of its name when clicked, and one run per showing: "Экспорт"
// hides itself, performs the run with the phase texts in Label_Info and
// the bar, and closes the window.
class Form_Export : public QDialog {
    Q_OBJECT
public:
    Form_Export(db::Connection& priceDb, SettingsStore& orderSettings, QString programFolder,
                QWidget* parent = nullptr);
    ~Form_Export() override;

    void setDialogs(WindowDialogs dialogs) { dialogs_ = std::move(dialogs); }
    void setPricingGlobals(std::function<PricingGlobals()> globals) { globals_ = std::move(globals); }
    void setClock(std::function<QDate()> today) { today_ = std::move(today); }
    // The spreadsheet price-list writer; CheckBox_Excel is disabled while
    // there is none.
    void setPriceListWriter(PriceListWriter writer);
    // Gives the saved catalogue to the user; by default it is opened in the
    // desktop's spreadsheet program, or its path is shown.
    void setHandOver(std::function<void(const QString& path)> handOver) { handOver_ = std::move(handOver); }

    void FormShow();
    void Button_ExportClick();

signals:
    void exported();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void connectSwitch(QCheckBox* box);
    ExportSwitches switches() const;

    std::unique_ptr<Ui::Form_Export> ui;
    db::Connection& priceDb_;
    SettingsStore& orderSettings_;
    QString programFolder_;
    WindowDialogs dialogs_;
    std::function<PricingGlobals()> globals_;
    std::function<QDate()> today_;
    PriceListWriter priceList_;
    std::function<void(const QString&)> handOver_;
};

} // namespace velmora::output
