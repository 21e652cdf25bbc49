#include "form_nacen_set.h"

#include "ui_form_nacen_set.h"

#include "group_markups.h"

#include "catalogue/group_tree.h"
#include "catalogue/group_tree_walk.h"
#include "platform/db/db_error.h"

namespace velmora::output {

Form_NacenSet::Form_NacenSet(db::Connection& priceDb, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::Form_NacenSet>()), priceDb_(priceDb)
{
    ui->setupUi(this);
    connect(ui->Button_Set, &QPushButton::clicked, this, &Form_NacenSet::Button_SetClick);
}

Form_NacenSet::~Form_NacenSet() = default;

void Form_NacenSet::setGroup(qint64 groupCode, const QString& mode)
{
    group_ = groupCode;
    mode_ = mode;
}

void Form_NacenSet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void Form_NacenSet::FormShow()
{
    ui->CheckBox_AllGroup->setChecked(false);
    const bool markup = groupValueOfMode(mode_) != GroupValue::Warranty;
    ui->Label_Value->setText(markup ? QStringLiteral("Наценка в %") : QStringLiteral("Гарантия"));
    ui->SpinEdit_Nacen->setVisible(markup);
    ui->Edit_Garant->setVisible(!markup);
    try {
        const catalogue::GroupDefaults values = catalogue::groupDefaults(priceDb_, group_);
        ui->SpinEdit_Nacen->setValue(values.markup);
        ui->Edit_Garant->setText(values.warranty);
    } catch (const db::DbError& e) {
        dialogs_.tell(e.message());
    }
}

void Form_NacenSet::Button_SetClick()
{
    try {
        std::vector<qint64> groups{group_};
        if (ui->CheckBox_AllGroup->isChecked())
            groups = catalogue::groupWithSubgroups(catalogue::loadGroupTree(priceDb_), group_);
        if (groupValueOfMode(mode_) == GroupValue::Warranty)
            setGroupWarranty(priceDb_, groups, ui->Edit_Garant->text());
        else
            setGroupMarkup(priceDb_, groups, ui->SpinEdit_Nacen->value());
        emit goodsChanged();
    } catch (const db::DbError& e) {
        dialogs_.tell(e.message());
    }
    close();
}

} // namespace velmora::output
