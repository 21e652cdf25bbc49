// The settings tab's sheet rows: the list of a price list's sheets, the
// settings of the current one, renaming a row, and the rows following the
// workbook the user chooses.
#include "suppliers/setup/price_list_setup_tab.h"

#include "suppliers/setup/column_picking.h"
#include "suppliers/setup/workbook_sheets.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSpinBox>

namespace velmora {

namespace {

// Selects the choice's item; the item after the fixed ones (a column or a
// joined spec) is added, or retitled, first.
void showChoice(QComboBox* combo, const SelectorChoice& choice, int extraItem)
{
    if (choice.index == extraItem) {
        if (combo->count() <= extraItem)
            combo->addItem(choice.extraText);
        else
            combo->setItemText(extraItem, choice.extraText);
    }
    combo->setCurrentIndex(choice.index);
}

} // namespace

void PriceListSetupTab::reloadSheets(const QString& select)
{
    filling_ = true;
    DBGrid_PostavPage->clear();
    int chosen = 0;
    const std::vector<SheetSettings> sheets = currentName_.isEmpty() ? std::vector<SheetSettings>{}
                                                                     : ReadSheets(priceDb_, currentName_);
    for (size_t i = 0; i < sheets.size(); ++i) {
        DBGrid_PostavPage->addItem(sheets[i].SheetName);
        if (sheets[i].SheetName == select)
            chosen = int(i);
    }
    if (!sheets.empty())
        DBGrid_PostavPage->setCurrentRow(chosen);
    currentSheet_ = sheets.empty() ? QString() : sheets[size_t(chosen)].SheetName;
    filling_ = false;
    ShowSheetSettings();
}

void PriceListSetupTab::setSelectorSpec(QComboBox* combo, qint64 spec)
{
    showChoice(combo, SelectorChoiceForSpec(spec), kSpecSelectorExtraItem);
}

void PriceListSetupTab::setCurrencyChoice(int valuta)
{
    showChoice(ComboBox_ValutaPostav, SelectorChoiceForValuta(valuta), kCurrencyColumnItem);
}

void PriceListSetupTab::ShowSheetSettings()
{
    Panel_SheetEdit->hide();
    const std::optional<SheetSettings> row =
        currentSheet_.isEmpty() ? std::nullopt : ReadSheet(priceDb_, currentName_, currentSheet_);
    filling_ = true;
    if (!row) {
        Edit_Sheet->clear();
        SpinEdit_Nacen->setValue(0);
        Edit_TovarPrefiks->clear();
        for (const ColumnSelector& s : selectors_)
            setSelectorSpec(s.combo, 0);
        ComboBox_PriceSet->setCurrentIndex(0);
        ComboBox_ValutaPostav->setCurrentIndex(displayCurrency_ ? displayCurrency_() : 0);
        filling_ = false;
        return;
    }
    SpinEdit_Nacen->setValue(row->Nacen);
    Edit_TovarPrefiks->setText(row->TovarPrefiks);
    Edit_Sheet->setText(row->SheetName);
    setCurrencyChoice(row->Valuta);
    for (const ColumnSelector& s : selectors_)
        setSelectorSpec(s.combo, row->spec(s.field));
    ComboBox_PriceSet->setCurrentIndex(row->PriceSet >= 0 && row->PriceSet <= 26 ? row->PriceSet : 0);
    filling_ = false;
    activateSheetInView();
}

void PriceListSetupTab::Edit_SheetDblClick()
{
    if (currentSheet_.isEmpty())
        return;
    Edit_SheetEdit->setText(currentSheet_);
    Panel_SheetEdit->show();
}

void PriceListSetupTab::Button_SheetEditClick()
{
    const QString wanted = Edit_SheetEdit->text();
    Panel_SheetEdit->hide();
    if (currentSheet_.isEmpty() || wanted == currentSheet_)
        return;
    if (!IsSheetNamePattern(wanted) && !ask(SheetRenameQuestion()))
        return;
    switch (RenameSheet(priceDb_, currentName_, currentSheet_, wanted)) {
    case SheetRenameResult::Renamed:
        reloadSheets(wanted);
        changed();
        break;
    case SheetRenameResult::EmptyName:
        say(QStringLiteral("Название листа пустое!"));
        break;
    case SheetRenameResult::NameTaken:
        say(QStringLiteral("Лист \"%1\" уже есть в настройках этого прайс-листа!").arg(wanted));
        break;
    case SheetRenameResult::Unchanged:
    case SheetRenameResult::NoSuchSheet:
        break;
    }
}

void PriceListSetupTab::Button_SheetDeleteClick()
{
    Panel_SheetEdit->hide();
    if (currentSheet_.isEmpty() || !ask(DeleteSheetQuestion(currentSheet_)))
        return;
    if (!DeleteSheet(priceDb_, currentName_, currentSheet_))
        return;
    reloadSheets();
    refreshInfoText();
    changed();
}

void PriceListSetupTab::SpeedButton_PathClick()
{
    const QString chosen = chooseFile_ ? chooseFile_(fileDialogFolder()) : QString();
    if (chosen.isEmpty())
        return;
    takeWorkbook(chosen, chosen, StaleRows::Delete);
}

// Enter in the path field and "Открыть файл" open the file the field names
// (the newest match) as "..." does, making the rows of its new sheets; a
// row whose sheet is gone stays, reported when it is shown.
void PriceListSetupTab::Edit_PathEnter()
{
    if (filling_ || currentName_.isEmpty())
        return;
    takeWorkbook(Edit_Path->text().trimmed(), newestMatchingFile(), StaleRows::Keep);
}

void PriceListSetupTab::BitBtn2Click()
{
    if (currentName_.isEmpty()) {
        OpenPriceFileInExcel(newestMatchingFile());
        return;
    }
    takeWorkbook(Edit_Path->text().trimmed(), newestMatchingFile(), StaleRows::Keep);
}

void PriceListSetupTab::takeWorkbook(const QString& path, const QString& file, StaleRows stale)
{
    if (currentName_.isEmpty() || Edit_PriceList->text().trimmed().isEmpty()) {
        say(EmptyPriceListNameText());
        return;
    }
    const WorkbookSheets sheets = ReadWorkbookSheets(file.isEmpty() ? path : file);
    if (!sheets.ok) {
        // The list keeps its file and sheet rows.
        say(sheets.message);
        return;
    }
    rememberFileDialogFolder(file.isEmpty() ? path : file);
    const int display = displayCurrency_ ? displayCurrency_() : 0;
    ComboBox_ValutaPostav->setCurrentIndex(display);
    SyncSheetsWithWorkbook(priceDb_, currentName_, path, sheets.names, display, stale);
    filling_ = true;
    Edit_Path->setText(path);
    filling_ = false;
    // A file chosen anew starts on its first sheet; opened again, the
    // sheet the user was on stays current.
    {
        // The view shows the sheet once the workbook is opened below.
        const QScopedValueRollback<bool> later(viewShownLater_, true);
        reloadSheets(stale == StaleRows::Keep ? currentSheet_ : QString());
    }
    refreshInfoText();
    changed();
    OpenPriceFileInExcel(newestMatchingFile());
}

} // namespace velmora
