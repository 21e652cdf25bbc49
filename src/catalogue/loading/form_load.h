#pragma once

#include "supplier_setup.h"

#include "platform/files/message_sink.h"
#include "platform/spreadsheet/view/sheet_picker.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace velmora::catalogue {

// "Настройка загрузки данных": a supplier's workbook, sheet and columns
// for the older loading window. The workbook opens in the sheet view, where
// the user clicks a cell and takes its column with the "..." beside a
// column choice. The window stays above the others.
class Form_load : public QDialog {
    Q_OBJECT
public:
    // `openFileName` asks for a workbook (empty: cancelled).
    Form_load(db::Connection& priceDb, MessageSink tell, std::function<QString(QWidget*)> openFileName,
              QWidget* parent = nullptr);
    ~Form_load() override;

    // The column choices in the order article, name, purchase price, retail
    // price, warranty, stock; each holds "Нет" and A .. Z.
    enum ColumnChoice { Art, Tovar, Price, Pricemax, Garant, Sklad, ColumnChoices };
    QComboBox* columnChoice(ColumnChoice which) const { return columns_[which]; }
    sheet::SheetView* sheetView() const { return picker_->view(); }

    // Shown: every field empty, the suppliers read.
    void prepare();

public slots:
    void ComboBox_PostavChange();
    void BrowseClick();
    void ComboBox_SheetChange();
    // "..." beside a column choice: the sheet view's current column.
    void PickColumn(int which);
    void Button_zagruzClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void closeWorkbook();

    db::Connection& priceDb_;
    MessageSink tell_;
    std::function<QString(QWidget*)> openFileName_;
    int storedSheet_ = 0;
    QComboBox* suppliers_;
    QLineEdit* path_;
    QComboBox* sheets_;
    std::array<QComboBox*, ColumnChoices> columns_{};
    QCheckBox* artObrab_;
    sheet::SheetPicker* picker_;
};

} // namespace velmora::catalogue
