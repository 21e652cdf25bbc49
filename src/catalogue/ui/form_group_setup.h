#pragma once

#include "catalogue_window_environment.h"

#include "catalogue/group_settings/markup_thresholds.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;
class QTabWidget;

class QChartView;
class QLineSeries;

namespace velmora::catalogue {

class GroupSwitchesBar;
class SettingsGroupTree;

// "Параметры групп товаров": per group the thresholds of the additional
// markup, their chart, the suppliers of its minimum prices and the
// defaults for new goods. The status bar says whether the groups' own
// thresholds and suppliers take part; a double click on it opens the
// program's settings on their page.
class Form_GroupSetup : public QDialog {
    Q_OBJECT
public:
    // openProgramSettings: the settings dialog, modal, on the page given.
    Form_GroupSetup(CatalogueWindowEnvironment environment, std::function<void(int page)> openProgramSettings,
                    QWidget* parent = nullptr);
    ~Form_GroupSetup() override;

    qint64 GroupSetupCode() const { return group_; }
    SettingsGroupTree* tree() const { return TreeView_Group; }

public slots:
    void FormShow();
    void TreeView_GroupClick(qint64 code);
    void Button_PorogNacenSetClick();
    void Button_PostSetClick();
    void Button_DefaultClick();
    void StatusBar1DblClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildThresholdsPage();
    QWidget* buildChartPage();
    QWidget* buildSuppliersPage();
    QWidget* buildDefaultsBox();
    void showGroup();
    void showThresholds();
    void showDefaults();
    void showSuppliers();
    void showSwitches();
    // The group alone, or with every subgroup when `withSubgroups`.
    std::vector<qint64> targetGroups(bool withSubgroups) const;
    void reportError(const QString& text);

    CatalogueWindowEnvironment env_;
    std::function<void(int)> openProgramSettings_;
    qint64 group_ = 0;
    SettingsGroupTree* TreeView_Group = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QLabel* StaticText_IndividGr = nullptr;
    std::array<QSpinBox*, kThresholdCount> SpinEdit_Porog{};
    std::array<QSpinBox*, kThresholdCount> SpinEdit_NacenPor{};
    QCheckBox* CheckBox_AllGroupNacen = nullptr;
    QChartView* Chart_Nacen = nullptr;
    QLineSeries* series_ = nullptr;
    QLabel* StaticText_IndividPost = nullptr;
    QTableWidget* DBGrid_Post = nullptr;
    QCheckBox* CheckBox_AllGroupPost = nullptr;
    QSpinBox* SpinEdit_NacenSet = nullptr;
    QLineEdit* Edit_Garant = nullptr;
    QCheckBox* CheckBox_AllGroup = nullptr;
    GroupSwitchesBar* StatusBar1 = nullptr;
    bool fillingSuppliers_ = false;
};

} // namespace velmora::catalogue
