#include "form_nacen.h"

#include "ui_form_nacen.h"

#include "group_markups.h"

#include "catalogue/group_settings/markup_thresholds.h"
#include "catalogue/group_tree_walk.h"
#include "platform/db/db_error.h"
#include "storage/settings_store.h"

#include <QSpinBox>

#include <algorithm>
#include <utility>

namespace velmora::output {

using catalogue::kThresholdCount;
using catalogue::kUseThresholdsQuestion;
using catalogue::MarkupThresholds;

Form_Nacen::Form_Nacen(db::Connection& priceDb, SettingsStore& orderSettings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::Form_Nacen>()), priceDb_(priceDb), orderSettings_(orderSettings)
{
    ui->setupUi(this);
    // The column titles over their boxes, as wide as their texts.
    for (auto [title, box] : {std::pair{ui->Label_Price, ui->SpinEdit_Porog1},
                              std::pair{ui->Label_Nacen, ui->SpinEdit_NacenPor1}}) {
        const int width = std::max(box->width(), title->sizeHint().width());
        title->setGeometry(box->geometry().center().x() - width / 2, title->y(), width, title->height());
        title->setAlignment(Qt::AlignCenter);
    }
    connect(ui->Button_NacenAll, &QPushButton::clicked, this, &Form_Nacen::Button_NacenAllClick);
    connect(ui->Button_Save, &QPushButton::clicked, this, &Form_Nacen::Button_SaveClick);
}

Form_Nacen::~Form_Nacen() = default;

void Form_Nacen::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void Form_Nacen::FormShow()
{
    const bool forGroup = NacenGroupCode_ != 0;
    ui->Button_Save->move(ui->Button_Save->x(), forGroup ? 200 : 190);
    setFixedHeight(forGroup ? 275 : 354);
    ui->CheckBox_AllGroup->setVisible(forGroup);
    ui->CheckBox_AllGroup->setChecked(false);
    ui->GroupBox_NacenAll->setVisible(!forGroup);
    try {
        const MarkupThresholds t = catalogue::prepareThresholds(priceDb_, NacenGroupCode_);
        for (int k = 1; k <= kThresholdCount; ++k) {
            findChild<QSpinBox*>(QStringLiteral("SpinEdit_Porog%1").arg(k))->setValue(int(t[size_t(k - 1)].price));
            findChild<QSpinBox*>(QStringLiteral("SpinEdit_NacenPor%1").arg(k))->setValue(int(t[size_t(k - 1)].markup));
        }
    } catch (const db::DbError& e) {
        dialogs_.tell(e.message());
    }
}

void Form_Nacen::Button_NacenAllClick()
{
    if (dialogs_.ask(kAllGoodsMarkupQuestion)) {
        try {
            setMarkupOfAllGoods(priceDb_, ui->SpinEdit_NacenAll->value());
            emit goodsChanged();
        } catch (const db::DbError& e) {
            dialogs_.tell(e.message());
        }
    }
    close();
}

void Form_Nacen::Button_SaveClick()
{
    MarkupThresholds t{};
    for (int k = 1; k <= kThresholdCount; ++k) {
        t[size_t(k - 1)].price = findChild<QSpinBox*>(QStringLiteral("SpinEdit_Porog%1").arg(k))->value();
        t[size_t(k - 1)].markup = findChild<QSpinBox*>(QStringLiteral("SpinEdit_NacenPor%1").arg(k))->value();
    }
    try {
        std::vector<qint64> groups{NacenGroupCode_};
        if (NacenGroupCode_ != 0 && ui->CheckBox_AllGroup->isChecked())
            groups = catalogue::groupWithSubgroups(catalogue::loadGroupTree(priceDb_), NacenGroupCode_);
        catalogue::storeThresholds(priceDb_, groups, t);
        if (!orderSettings_.readBoolean(QStringLiteral("CheckBox_NacenDop")) && dialogs_.ask(kUseThresholdsQuestion))
            orderSettings_.write(QStringLiteral("CheckBox_NacenDop"), QStringLiteral("TypeBoolean"),
                                 QStringLiteral("-1"));
    } catch (const db::DbError& e) {
        dialogs_.tell(e.message());
    }
    close();
}

} // namespace velmora::output
