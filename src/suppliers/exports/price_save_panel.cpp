#include "suppliers/exports/price_save_panel.h"

#include "platform/files/error_text.h"
#include "platform/spreadsheet/templates.h"
#include "storage/settings_store.h"
#include "suppliers/exports/panel_export.h"
#include "suppliers/loader/price_list_setup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QToolButton>

namespace velmora::exports {
namespace {

QString boolText(bool on) { return on ? QStringLiteral("True") : QStringLiteral("False"); }

} // namespace

PriceSavePanel::PriceSavePanel(PriceSaveEnvironment environment, QWidget* parent)
    : QWidget(parent), environment_(std::move(environment))
{
    setObjectName(QStringLiteral("Panel_PriceSaveAll"));
    auto* title = new QLabel(QStringLiteral("Выгрузить в Excel:"), this);
    onePrice_ = new QRadioButton(QStringLiteral("Прайс-лист одного поставщика: "), this);
    onePrice_->setObjectName(QStringLiteral("RadioButton_OnePrice"));
    names_ = new QComboBox(this);
    names_->setObjectName(QStringLiteral("ComboBox_SetPriceSave"));
    names_->setEditable(true);
    allPrice_ = new QRadioButton(QStringLiteral("Прайс-листы всех поставщиков в одну папку:"), this);
    allPrice_->setObjectName(QStringLiteral("RadioButton_AllPrice"));
    folder_ = new QLineEdit(this);
    folder_->setObjectName(QStringLiteral("Edit_SaveAllPath"));
    auto* chooseFolder = new QToolButton(this);
    chooseFolder->setObjectName(QStringLiteral("SpeedButton1"));
    chooseFolder->setText(QStringLiteral("..."));
    allTovar_ = new QCheckBox(QStringLiteral("Все товары в одном файле Excel"), this);
    allTovar_->setObjectName(QStringLiteral("CheckBox_AllTovar"));
    error_ = new QLabel(this);
    error_->setObjectName(QStringLiteral("Label_ErrorSave"));
    error_->setStyleSheet(QStringLiteral("color: red"));
    error_->setWordWrap(true);
    error_->hide();
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar_SaveAllPrice"));
    progress_->hide();
    save_ = new QPushButton(QStringLiteral("   Выгрузить в Excel"), this);
    save_->setObjectName(QStringLiteral("BitBtn_ExcelSavePrice"));
    auto* close = new QPushButton(QStringLiteral("X"), this);
    close->setObjectName(QStringLiteral("Button6"));
    close->setFixedWidth(24);

    auto* layout = new QGridLayout(this);
    layout->addWidget(title, 0, 0);
    layout->addWidget(close, 0, 2, Qt::AlignRight);
    layout->addWidget(onePrice_, 1, 0, 1, 3);
    layout->addWidget(names_, 2, 0, 1, 3);
    layout->addWidget(allPrice_, 3, 0, 1, 3);
    layout->addWidget(folder_, 4, 0, 1, 2);
    layout->addWidget(chooseFolder, 4, 2);
    layout->addWidget(allTovar_, 5, 0, 1, 3);
    layout->addWidget(error_, 6, 0, 1, 3);
    layout->addWidget(progress_, 7, 0, 1, 3);
    layout->addWidget(save_, 8, 0, 1, 3);

    if (environment_.orderDb) {
        SettingsStore settings(*environment_.orderDb);
        const bool all = settings.readBoolean(QStringLiteral("RadioButton_AllPrice"), QStringLiteral("0"));
        (all ? allPrice_ : onePrice_)->setChecked(true);
        allTovar_->setChecked(settings.readBoolean(QStringLiteral("CheckBox_AllTovar"), QStringLiteral("0")));
        folder_->setText(settings.readText(QStringLiteral("SaveAllPath"), QString()));
    } else {
        onePrice_->setChecked(true);
    }

    connect(save_, &QPushButton::clicked, this, &PriceSavePanel::BitBtn_ExcelSavePriceClick);
    connect(chooseFolder, &QToolButton::clicked, this, &PriceSavePanel::SpeedButton1Click);
    connect(onePrice_, &QRadioButton::clicked, this, &PriceSavePanel::RadioButton_OnePriceClick);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
}

PriceSavePanel::~PriceSavePanel()
{
    if (worker_) {
        disconnect(worker_, nullptr, this, nullptr);
        worker_->wait();
        delete worker_.data();
    }
}

void PriceSavePanel::setSupplierNames(const QStringList& names)
{
    names_->clear();
    names_->addItems(names);
}

void PriceSavePanel::RadioButton_OnePriceClick()
{
    error_->hide();
    save_->show();
}

QString PriceSavePanel::askFolder(const QString& start)
{
    const QString chosen = environment_.chooseFolder
                               ? environment_.chooseFolder(start)
                               : QFileDialog::getExistingDirectory(this, QStringLiteral("Каталог для экспорта прайс-листов"),
                                                                   start);
    if (chosen.isEmpty())
        return {};
    return chosen.endsWith(u'/') ? chosen : chosen + u'/';
}

bool PriceSavePanel::listHasFile(const QString& name) const
{
    try {
        db::Connection priceDb(environment_.pricePath, db::OpenMode::ReadOnly);
        const std::optional<loader::PriceListSetup> setup = loader::ReadPriceListSetup(priceDb, name);
        return setup && !ExportFolderFor(setup->path).isEmpty();
    } catch (const std::exception&) {
        return true; // the export itself reports what is wrong
    }
}

void PriceSavePanel::SpeedButton1Click()
{
    const QString folder = askFolder(folder_->text());
    if (folder.isEmpty())
        return;
    folder_->setText(folder);
    if (environment_.orderDb)
        WriteSetting(*environment_.orderDb, QStringLiteral("SaveAllPath"), QStringLiteral("TypeText"), folder);
    error_->hide();
    progress_->hide();
    folder_->show();
    save_->show();
}

void PriceSavePanel::showError(const QString& text)
{
    error_->setText(text);
    error_->show();
}

void PriceSavePanel::BitBtn_ExcelSavePriceClick()
{
    if (worker_)
        return;
    error_->hide();
    PanelExportRequest request;
    request.allSuppliers = allPrice_->isChecked();
    request.oneWorkbook = allTovar_->isChecked();
    request.selectedName = names_->currentText();
    for (int i = 0; i < names_->count(); ++i)
        request.names << names_->itemText(i);
    request.folder = folder_->text().trimmed();
    if (!request.allSuppliers && !listHasFile(request.selectedName)) {
        // No folder beside a price file to write into: the user names one.
        request.folder = askFolder(request.folder);
        if (request.folder.isEmpty())
            return;
    }
    request.displayCode = environment_.displayCode ? environment_.displayCode() : QStringLiteral("RUB");
    if (environment_.orderDb) {
        WriteSetting(*environment_.orderDb, QStringLiteral("RadioButton_AllPrice"), QStringLiteral("TypeBoolean"),
                     boolText(request.allSuppliers));
        WriteSetting(*environment_.orderDb, QStringLiteral("CheckBox_AllTovar"), QStringLiteral("TypeBoolean"),
                     boolText(request.oneWorkbook));
        request.titles = ExportColumnTitles::fromSettings(*environment_.orderDb);
    }
    try {
        request.templatePath = sheet::templatePath(environment_.programFolder,
                                                   request.allSuppliers && request.oneWorkbook
                                                       ? QStringLiteral("PriceExcel.xlsx")
                                                       : QStringLiteral("PriceExcel.xls"));
        if (request.allSuppliers)
            EnsureFolder(request.folder);
    } catch (const std::exception& error) {
        if (request.folder.isEmpty())
            folder_->hide();
        showError(ErrorText(error));
        return;
    }

    save_->hide();
    progress_->setRange(0, request.allSuppliers ? int(request.names.size()) : 1);
    progress_->setValue(0);
    progress_->show();
    const QString pricePath = environment_.pricePath;
    worker_ = QThread::create([this, request, pricePath] {
        QStringList files;
        QString errorText;
        int omitted = 0;
        try {
            db::Connection priceDb(pricePath);
            const PanelExportResult result = RunPanelExport(priceDb, request, [this](int done) {
                QMetaObject::invokeMethod(progress_, "setValue", Qt::QueuedConnection, Q_ARG(int, done));
            });
            files = result.files;
            omitted = result.rowsOmitted;
        } catch (const std::exception& error) {
            errorText = ErrorText(error);
        }
        QMetaObject::invokeMethod(this, [this, files, errorText, omitted] { finish(files, errorText, omitted); },
                                  Qt::QueuedConnection);
    });
    worker_->start(QThread::LowPriority);
}

void PriceSavePanel::finish(const QStringList& files, const QString& errorText, int omitted)
{
    if (worker_) {
        worker_->wait();
        worker_->deleteLater();
        worker_ = nullptr;
    }
    progress_->hide();
    save_->show();
    if (!errorText.isEmpty())
        showError(errorText);
    else if (omitted > 0)
        showError(OmittedRowsText(omitted));
    emit exportFinished(files, errorText);
}

} // namespace velmora::exports
