#pragma once

#include "catalogue_window_environment.h"

#include "catalogue/import/catalogue_import.h"

#include <QDialog>

#include <array>
#include <functional>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTabWidget;
class QToolButton;

namespace velmora::sheet {
class SheetPicker;
}

namespace velmora::catalogue {

// "Настройка прайс-листа для загрузки": replaces the own catalogue with one
// worksheet of a workbook. The workbook opens in the sheet view; the "..."
// buttons take the picked cell's column or row, and on the page "Группы
// товаров" its look for a level row. Nothing is kept between runs.
class Form_ExcelSetup : public QDialog {
    Q_OBJECT
public:
    // catalogueReplaced: the main window shows the new tree, goods and
    // totals.
    Form_ExcelSetup(CatalogueWindowEnvironment environment, std::function<void()> catalogueReplaced,
                    QWidget* parent = nullptr);
    ~Form_ExcelSetup() override;

    sheet::SheetPicker* picker() const { return picker_; }
    // The level rows as the controls hold them (index 0: level 0).
    std::array<LevelLook, 6> levelLooks() const;
    CatalogueImportSettings importSettings() const;

public slots:
    void FormShow();
    void SpeedButton_PathClick();
    void Button_SetParamClick(int level);
    void Button_ClearSetGroupClick();
    void Button_StartClick();
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct LevelRow {
        QLineEdit* fontName = nullptr;
        QLineEdit* fontSize = nullptr;
        QLabel* column = nullptr;
        QFrame* fontColor = nullptr;
        QFrame* fill = nullptr;
        QToolButton* bold = nullptr;
        QToolButton* italic = nullptr;
        QToolButton* underline = nullptr;
        std::optional<sheet::Color> fontColorValue;
        std::optional<sheet::Color> fillValue;
    };
    QWidget* buildPathPage();
    QWidget* buildColumnsPage();
    QWidget* buildGroupsPage();
    void showLevel(LevelRow& row, const LevelLook& look);
    void reportError(const QString& text);

    CatalogueWindowEnvironment env_;
    std::function<void()> catalogueReplaced_;
    sheet::SheetPicker* picker_ = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QLineEdit* Edit_Path = nullptr;
    QComboBox* ComboBox_Sheet = nullptr;
    QComboBox* ComboBox_StartRow = nullptr;
    QComboBox* ComboBox_TreeType = nullptr;
    QComboBox* ComboBox_Art = nullptr;
    QComboBox* ComboBox_Tov = nullptr;
    QComboBox* ComboBox_PriceMax = nullptr;
    QComboBox* ComboBox_garant = nullptr;
    QComboBox* ComboBox_sklad = nullptr;
    std::array<LevelRow, 6> levels_;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* Label_Info = nullptr;
};

} // namespace velmora::catalogue
