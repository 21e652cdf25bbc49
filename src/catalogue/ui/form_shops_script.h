#pragma once

#include "catalogue_window_environment.h"

#include "catalogue/shops_script/shops_script_goods.h"

#include <QDialog>

class QTableWidget;

namespace velmora::catalogue {

class GroupSwitchesBar;
class SettingsGroupTree;

// "Формирование каталога товаров для   Shop-Script": the group tree and
// the chosen group's goods with their four output prices.
class Form_ShopsScript : public QDialog {
    Q_OBJECT
public:
    explicit Form_ShopsScript(CatalogueWindowEnvironment environment, QWidget* parent = nullptr);
    ~Form_ShopsScript() override;

    qint64 GroupSetupCode() const { return group_; }
    SettingsGroupTree* tree() const { return TreeView_Group; }
    QTableWidget* goods() const { return DBGrid_Tovar; }

public slots:
    void FormShow();
    void TreeView_GroupClick(qint64 code);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showGoods();

    CatalogueWindowEnvironment env_;
    qint64 group_ = 0;
    OutputPriceColumns columns_{};
    SettingsGroupTree* TreeView_Group = nullptr;
    QTableWidget* DBGrid_Tovar = nullptr;
    GroupSwitchesBar* status_ = nullptr;
};

} // namespace velmora::catalogue
