#pragma once

#include "combined_price.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTabWidget;

class QChartView;

namespace velmora {
class SettingsStore;
}

namespace velmora::catalogue {

// What the combined price page reads from the program each time it draws.
struct CombinedPriceContext {
    QString saleSupplier; // Edit_Sale
    GoodsPricing pricing; // how the goods list shows Price_nacen
    int roundDigits = 2;  // RoundingDegree
};

// The combined price page (TabSheet_Svod) of the current good: its svod
// rows as a grid (DBGrid_Svod) coloured by combinedPriceCellColours, and
// as a bar diagram (Chart_GrafSvod) beside the shop's own price, on the
// inner pages of PageControl_Svod.
class CombinedPricePage : public QWidget {
    Q_OBJECT
public:
    CombinedPricePage(db::Connection& priceDb, SettingsStore& settings, std::function<CombinedPriceContext()> context,
                      QWidget* parent = nullptr);

    QTableWidget* grid() const { return grid_; }
    // The bars last drawn.
    const QList<DiagramBar>& bars() const { return bars_; }

public slots:
    void setCurrentGood(qint64 code);
    // The page is shown: the name field from its setting, the price column
    // choice filled once, the grid and the diagram read again.
    void showPage();
    // The good's rows changed: the grid and the diagram are read again.
    void reopen();
    void Button_GrafRunClick();

private:
    void fillGrid();

    db::Connection& priceDb_;
    SettingsStore& settings_;
    std::function<CombinedPriceContext()> context_;
    qint64 good_ = 0;
    QList<DiagramBar> bars_;
    QTabWidget* pages_;
    QTableWidget* grid_;
    QChartView* chart_;
    QLineEdit* name_;
    QComboBox* column_;
    QRadioButton* minimum_;
    QRadioButton* maximum_;
};

} // namespace velmora::catalogue
