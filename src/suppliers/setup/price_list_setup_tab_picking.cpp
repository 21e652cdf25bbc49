// The settings tab's column picking: the supplier's workbook in the sheet
// view, and the goods fields, currency and set price taken from the cell
// the user clicks there.
#include "suppliers/setup/price_list_setup_tab.h"

#include "platform/files/file_helpers.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/view/sheet_picker.h"
#include "storage/settings_store.h"
#include "storage/value_helpers.h"
#include "suppliers/loader/sheet_columns.h"
#include "suppliers/setup/column_picking.h"
#include "suppliers/setup/workbook_sheets.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QToolButton>

namespace velmora {

namespace {
const QString kSheetViewGeometry = QStringLiteral("PriceExcelApp_Geometry");
const QString kFileDialogFolder = QStringLiteral("SpeedButton_Path_Folder");
}

// ---- The workbook ----------------------------------------------------------

QString PriceListSetupTab::newestMatchingFile() const
{
    const QFileInfo info(Edit_Path->text().trimmed());
    if (Edit_Path->text().trimmed().isEmpty())
        return QString();
    return NewestFileInFolder(info.absolutePath(), info.fileName());
}

bool PriceListSetupTab::viewHoldsOwnWorkbook() const
{
    if (!picker_->isOpen())
        return false;
    const QString own = newestMatchingFile();
    return !own.isEmpty() && QFileInfo(own) == QFileInfo(picker_->path());
}

// The sheet is looked for in this list's workbook only: the view may still
// hold the file of the list shown before.
void PriceListSetupTab::activateSheetInView()
{
    if (viewShownLater_ || !viewHoldsOwnWorkbook() || currentSheet_.isEmpty())
        return;
    const int index = loader::ChooseWorksheet(picker_->sheetNames(), currentSheet_);
    if (index > 0)
        picker_->showSheet(index);
    else
        say(MissingSheetText(currentSheet_, picker_->path()));
}

bool PriceListSetupTab::OpenPriceFileInExcel(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        say(MissingPriceFileText(path));
        return false;
    }
    try {
        picker_->open(path);
    } catch (const sheet::SheetError& e) {
        say(QStringLiteral("Не удалось открыть файл прайс-листа:\r%1\r\r%2").arg(path, e.message()));
        return false;
    }
    activateSheetInView();
    return true;
}

// The view reopens where the user left it, also in a later run.
void PriceListSetupTab::restoreSheetViewPlacement(sheet::SheetView* view)
{
    try {
        SettingsStore settings(orderDb_);
        if (!settings.contains(kSheetViewGeometry))
            return;
        view->restoreGeometry(QByteArray::fromBase64(settings.readText(kSheetViewGeometry).toLatin1()));
    } catch (const std::exception&) {
        // The view opens at its default place.
    }
}

// The file dialog opens in the folder of the list's file, or else in the
// folder a file was last chosen from (kept for the next run too).
QString PriceListSetupTab::fileDialogFolder() const
{
    const QFileInfo own(Edit_Path->text().trimmed());
    if (!Edit_Path->text().trimmed().isEmpty() && own.absoluteDir().exists() && own.isAbsolute())
        return own.absolutePath();
    try {
        return SettingsStore(orderDb_).readText(kFileDialogFolder);
    } catch (const std::exception&) {
        return QString();
    }
}

void PriceListSetupTab::rememberFileDialogFolder(const QString& chosenFile)
{
    try {
        SettingsStore(orderDb_).write(kFileDialogFolder, QStringLiteral("TypeText"), QFileInfo(chosenFile).absolutePath());
    } catch (const std::exception&) {
        // The dialog opens where the list's file is, or in the default folder.
    }
}

void PriceListSetupTab::storeSheetViewPlacement()
{
    try {
        SettingsStore(orderDb_).write(kSheetViewGeometry, QStringLiteral("TypeText"),
                                      QString::fromLatin1(picker_->view()->saveGeometry().toBase64()));
    } catch (const std::exception&) {
        // Next time it opens where it opened before.
    }
}

void PriceListSetupTab::Button3Click() { picker_->close(); }

// ---- Picking columns -------------------------------------------------------

std::optional<int> PriceListSetupTab::pickedColumn(QString* link)
{
    if (!picker_->isOpen()) {
        if (ask(NoWorkbookOpenQuestion()))
            OpenPriceFileInExcel(newestMatchingFile());
        return std::nullopt;
    }
    if (currentSheet_.isEmpty())
        return std::nullopt;
    const std::optional<sheet::PickedCell> cell = picker_->picked();
    if (!cell) {
        say(QStringLiteral("Выберите ячейку в окне прайс-листа."));
        return std::nullopt;
    }
    if (cell->column > kMaxSpecColumn) {
        say(ColumnTooFarText(cell->column));
        return std::nullopt;
    }
    if (link)
        *link = PickedCellLink(cell->hyperlink, cell->formula);
    return cell->column;
}

void PriceListSetupTab::storeSelector(const ColumnSelector& s)
{
    if (filling_ || currentSheet_.isEmpty())
        return;
    if (SetSheetColumnSpec(priceDb_, currentName_, currentSheet_, s.field, TextToColumnSpec(s.combo->currentText().trimmed())))
        changed();
}

void PriceListSetupTab::pickColumn(const ColumnSelector& s)
{
    const std::optional<int> column = pickedColumn();
    if (!column)
        return;
    setSelectorSpec(s.combo, *column);
    if (SetSheetColumnSpec(priceDb_, currentName_, currentSheet_, s.field, *column))
        changed();
}

void PriceListSetupTab::joinColumn(const ColumnSelector& s)
{
    QString link;
    const std::optional<int> column = pickedColumn(&link);
    if (!column)
        return;
    qint64 spec = 0;
    if (s.mayHoldLink && !link.isEmpty() && ask(HyperlinkQuestion())) {
        spec = kHyperlinkSpecBase + *column;
    } else {
        const JoinResult joined = JoinColumnSpec(TextToColumnSpec(s.combo->currentText().trimmed()), *column);
        if (joined.refused) {
            say(JoinRefusedText());
            return;
        }
        spec = joined.spec;
    }
    setSelectorSpec(s.combo, spec);
    if (SetSheetColumnSpec(priceDb_, currentName_, currentSheet_, s.field, spec))
        changed();
}

void PriceListSetupTab::Button_SelValutaClick()
{
    const std::optional<int> column = pickedColumn();
    if (!column)
        return;
    const int valuta = *column + kCurrencyColumnOffset;
    setCurrencyChoice(valuta);
    if (SetSheetValuta(priceDb_, currentName_, currentSheet_, valuta))
        changed();
}

void PriceListSetupTab::Button_PriceSetClick()
{
    const std::optional<int> column = pickedColumn();
    if (!column)
        return;
    if (*column > 26) {
        say(QStringLiteral("Колонка с ценой комплекта может быть от A до Z."));
        return;
    }
    ComboBox_PriceSet->setCurrentIndex(*column);
    if (SetSheetPriceSet(priceDb_, currentName_, currentSheet_, *column))
        changed();
}

} // namespace velmora
