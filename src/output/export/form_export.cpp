#include "form_export.h"

#include "ui_form_export.h"

#include "platform/files/error_text.h"
#include "platform/spreadsheet/handover.h"
#include "storage/settings_store.h"

#include <QCheckBox>

namespace velmora::output {
namespace {

// The switches the window restores when shown; CheckBox_Price is only
// written.
const char* const kRestoredSwitches[] = {"CheckBox_DBF", "CheckBox_Access", "CheckBox_Excel", "CheckBox_KatExcel"};

} // namespace

Form_Export::Form_Export(db::Connection& priceDb, SettingsStore& orderSettings, QString programFolder,
                         QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::Form_Export>()),
      priceDb_(priceDb),
      orderSettings_(orderSettings),
      programFolder_(std::move(programFolder))
{
    ui->setupUi(this);
    for (QCheckBox* box : {ui->CheckBox_Price, ui->CheckBox_DBF, ui->CheckBox_Access, ui->CheckBox_Excel,
                           ui->CheckBox_KatExcel})
        connectSwitch(box);
    connect(ui->Button_Export, &QPushButton::clicked, this, &Form_Export::Button_ExportClick);
    setPriceListWriter({});
}

Form_Export::~Form_Export() = default;

void Form_Export::setPriceListWriter(PriceListWriter writer)
{
    priceList_ = std::move(writer);
    ui->CheckBox_Excel->setEnabled(bool(priceList_));
}

void Form_Export::connectSwitch(QCheckBox* box)
{
    connect(box, &QCheckBox::clicked, this, [this, box](bool checked) {
        try {
            orderSettings_.write(box->objectName(), QStringLiteral("TypeBoolean"),
                                 checked ? QStringLiteral("-1") : QStringLiteral("0"));
        } catch (const std::exception& e) {
            dialogs_.tell(ErrorText(e));
        }
    });
}

void Form_Export::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void Form_Export::FormShow()
{
    ui->Label_Info->clear();
    ui->ProgressBar1->hide();
    ui->Button_Export->show();
    for (const char* name : kRestoredSwitches) {
        auto* box = findChild<QCheckBox*>(QLatin1String(name));
        bool checked = true; // a switch that cannot be read is on
        try {
            checked = orderSettings_.readBoolean(QLatin1String(name));
        } catch (const std::exception&) {
        }
        box->setChecked(checked);
    }
}

ExportSwitches Form_Export::switches() const
{
    ExportSwitches s;
    s.recalcPrices = ui->CheckBox_Price->isChecked();
    s.dbf = ui->CheckBox_DBF->isChecked();
    s.managersDatabase = ui->CheckBox_Access->isChecked();
    s.priceList = ui->CheckBox_Excel->isChecked() && priceList_;
    s.catalogue = ui->CheckBox_KatExcel->isChecked();
    return s;
}

void Form_Export::Button_ExportClick()
{
    ui->Button_Export->hide();
    ui->ProgressBar1->show();
    ProgressBarProgress bar(ui->ProgressBar1);
    const PricingGlobals globals = globals_ ? globals_() : PricingGlobals{};

    ExportRunInput input;
    input.programFolder = programFolder_;
    input.today = today_ ? today_() : QDate::currentDate();
    input.roundDigits = globals.roundDigits;
    input.switches = switches();
    input.priceList = priceList_;
    input.notify = dialogs_.message;
    input.phase = [this](const QString& text) {
        ui->Label_Info->setText(text);
        ui->Label_Info->repaint();
    };
    ExportRunResult result;
    try {
        if (input.switches.recalcPrices)
            input.minPrices = readMinPriceSettings(orderSettings_, globals.roundDigits, globals.saleSupplierName);
        result = RunExport(priceDb_, input, &bar);
    } catch (const std::exception& e) {
        dialogs_.tell(ErrorText(e));
    }
    if (!result.cataloguePath.isEmpty()) {
        if (handOver_)
            handOver_(result.cataloguePath);
        else if (!sheet::openInDesktop(result.cataloguePath))
            dialogs_.tell(result.cataloguePath);
    }
    emit exported();
    close();
}

} // namespace velmora::output
