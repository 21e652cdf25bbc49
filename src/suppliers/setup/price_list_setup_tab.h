#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"
#include "suppliers/setup/sheet_settings.h"

#include <QColor>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace velmora::sheet {
class SheetPicker;
class SheetView;
}

namespace velmora {

// Label_Dates: navy while the list was loaded less than 11 days ago, red after.
QColor DatesLabelColor(qint64 datesDayNumber, qint64 todayDayNumber);

// The tab "Настройки прайс-листов" (TabSheet_PostavSetup): one price list's
// name, file, conversion factor and contact card, its sheet rows, and per
// sheet the column of each goods field, currency, markup and name prefix.
// Every control carries its spec name as objectName. Columns are picked in
// the program's sheet view: the supplier's workbook opens there, the user
// clicks a cell, and a "..." button takes that cell's column (or "+" joins
// it, or takes its hyperlink for the description and extra-text fields).
//
// All data work goes through the plain calls of sheet_settings.h,
// price_list_settings.h and the tree's commands; the tab only gathers
// input and shows results.
//
// price_list_setup_tab.cpp builds the tab and shows a price list, its name,
// contact card and flags; price_list_setup_tab_sheets.cpp keeps its sheet
// rows; price_list_setup_tab_picking.cpp opens the workbook in the sheet
// view and takes columns from it.
class PriceListSetupTab : public QWidget {
    Q_OBJECT
public:
    PriceListSetupTab(db::Connection& priceDb, db::Connection& orderDb, QWidget* parent = nullptr);
    ~PriceListSetupTab() override;

    // Where messages and Yes/No questions go (none: nothing is shown and
    // every question is answered No), and the file choice (the open dialog
    // by default); tests pass their own.
    void setMessageSink(MessageSink sink) { messages_ = std::move(sink); }
    void setQuestionHandler(Question ask) { ask_ = std::move(ask); }
    // Given the folder to open in, returns the chosen file, "" when the
    // user cancelled.
    void setFileChooser(std::function<QString(const QString& startFolder)> choose) { chooseFile_ = std::move(choose); }
    // DisplayCurrencyIndex (read from the price database by default).
    void setDisplayCurrencyIndexProvider(std::function<int()> provider) { displayCurrency_ = std::move(provider); }
    // RatesRefreshRunning: the currency box stores nothing while it is set.
    void setRatesRefreshRunningProvider(std::function<bool()> provider) { ratesRefreshRunning_ = std::move(provider); }

    // The price list shown ("" when none) and its current sheet row.
    QString currentName() const { return currentName_; }
    qint64 currentId() const { return currentId_; }
    QString currentSheet() const { return currentSheet_; }
    // The sheet view window, once a workbook was opened (else null).
    sheet::SheetView* sheetView() const;

public slots:
    // TreeView1Click's part on this tab: shows the chosen list, or the
    // naming panel when it has no row or is still unnamed.
    void ShowSelectedPriceList(const QString& name, qint64 id);
    void ShowPriceListSettings(const QString& name);
    // After the lists were renumbered (sorted, one deleted): the tab keeps
    // showing its list under that list's new Id.
    void followRenumbering();
    void ShowSheetSettings();
    void SpeedButton_PathClick();
    // Enter in Edit_Path.
    void Edit_PathEnter();
    // Opens a workbook in the sheet view; false (with the message) when it
    // cannot be read.
    bool OpenPriceFileInExcel(const QString& path);
    void BitBtn_SaveSheetClick();
    // A load of the shown list: ProgressBar_LoadPrice and
    // Label_CountLoadTovar ("загружено N товаров").
    void showLoadProgress(int offers);
    // The load ended; with offers >= 0 the label keeps the final count.
    void endLoadProgress(int offers = -1);
    void BitBtn2Click(); // "Открыть файл": the newest file matching Edit_Path
    void Button3Click(); // "Закрыть файл"
    // The naming panel's close and a click on it: back to the contact card.
    void Button2Click();
    void Panel4Click();
    // The tab came to the front.
    void TabSheet_PostavSetupShow();
    void Button_SheetEditClick();
    // Deletes the current sheet row after a Yes (a sheet the workbook no
    // longer has, a row made by mistake).
    void Button_SheetDeleteClick();
    void Edit_SheetDblClick();
    void Edit_siteExit();
    void CheckBox_PostavDisableClick();
    void CheckBox_PriceHistoryClick();
    void Button_SelValutaClick();
    void Button_PriceSetClick();

signals:
    void priceListRenamed(qint64 id, const QString& oldName, const QString& newName);
    void priceListDisabledChanged(const QString& name, bool disabled);
    void priceHistorySwitched(const QString& name, bool on);
    // Set PriceListSettingsChanged.
    void priceListSettingsChanged();
    // Switch the page control to this tab.
    void setupPageRequested();
    // A confirmation for the main status bar.
    void statusMessage(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ColumnSelector {
        SheetField field;
        QComboBox* combo = nullptr;
        QToolButton* pick = nullptr;
        QToolButton* join = nullptr; // none for the two prices
        bool mayHoldLink = false;
    };

    void buildUi();
    void guardAgainstWheel();
    void connectUi();
    ColumnSelector makeSelector(SheetField field, const char* combo, const char* pick, const char* join, bool link);
    void setSelectorSpec(QComboBox* combo, qint64 spec);
    void setCurrencyChoice(int valuta);
    void commitName();
    void storeSelector(const ColumnSelector& s);
    void pickColumn(const ColumnSelector& s);
    void joinColumn(const ColumnSelector& s);
    // The clicked cell of the sheet view, or none (after asking to open the
    // workbook when none is open, or explaining why the cell cannot serve).
    std::optional<int> pickedColumn(QString* link = nullptr);
    void reloadSheets(const QString& select = QString());
    void refreshInfoText();
    void activateSheetInView();
    bool viewHoldsOwnWorkbook() const;
    // Points the list at `path` and makes the rows of the sheets of `file`
    // (the file the path names now), then shows the workbook.
    void takeWorkbook(const QString& path, const QString& file, StaleRows stale);
    QString fileDialogFolder() const;
    void rememberFileDialogFolder(const QString& chosenFile);
    void restoreSheetViewPlacement(sheet::SheetView* view);
    void storeSheetViewPlacement();
    void clearPriceList();
    void setNameColor(bool known);
    void showNamingPanel(bool naming);
    QString newestMatchingFile() const;
    void say(const QString& text) const;
    bool ask(const QString& text) const;
    void changed();

    db::Connection& priceDb_;
    db::Connection& orderDb_;
    MessageSink messages_;
    Question ask_;
    std::function<QString(const QString&)> chooseFile_;
    std::function<int()> displayCurrency_;
    std::function<bool()> ratesRefreshRunning_;

    QString currentName_;
    qint64 currentId_ = 0;
    QString currentSheet_;
    bool filling_ = false;
    bool viewShownLater_ = false;
    sheet::SheetPicker* picker_ = nullptr;

    QLineEdit* Edit_PriceList = nullptr;
    QLineEdit* Edit_idPostav = nullptr;
    QLineEdit* Edit_Path = nullptr;
    QToolButton* SpeedButton_Path = nullptr;
    QLineEdit* Edit_PriceConversion = nullptr;
    QLabel* Label_Dates = nullptr;
    QLabel* StaticText_InfoPrice = nullptr;
    QCheckBox* CheckBox_PostavDisable = nullptr;
    QCheckBox* CheckBox_PriceHistory = nullptr;
    QFrame* Panel_PostavInfo = nullptr;
    QFrame* Panel4 = nullptr;
    QLineEdit* Edit_info = nullptr;
    QLineEdit* Edit_site = nullptr;
    QLineEdit* Edit_web = nullptr;
    QLineEdit* Edit_tel = nullptr;
    QLineEdit* Edit_mail = nullptr;
    QListWidget* DBGrid_PostavPage = nullptr;
    QLineEdit* Edit_Sheet = nullptr;
    QFrame* Panel_SheetEdit = nullptr;
    QLineEdit* Edit_SheetEdit = nullptr;
    QPushButton* Button_SheetEdit = nullptr;
    QPushButton* Button_SheetDelete = nullptr;
    QComboBox* ComboBox_ValutaPostav = nullptr;
    QToolButton* Button_SelValuta = nullptr;
    QSpinBox* SpinEdit_Nacen = nullptr;
    QComboBox* ComboBox_PriceSet = nullptr;
    QToolButton* Button_PriceSet = nullptr;
    QLineEdit* Edit_TovarPrefiks = nullptr;
    QPushButton* BitBtn_SaveSheet = nullptr;
    QProgressBar* ProgressBar_LoadPrice = nullptr;
    QToolButton* Button2 = nullptr;
    QLabel* Label_CountLoadTovar = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* Button3 = nullptr;
    std::array<ColumnSelector, kSheetFieldCount> selectors_{};
};

// Puts the tree and the tab in step: a chosen node is shown on the tab, a
// rename or a disabled flag on the tab changes the node.
class SupplierTree;
void ConnectSupplierTreeAndSetupTab(SupplierTree* tree, PriceListSetupTab* tab);

} // namespace velmora
