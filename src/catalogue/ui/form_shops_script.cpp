#include "form_shops_script.h"

#include "group_switches_bar.h"
#include "settings_group_tree.h"
#include "window_controls.h"


#include "platform/db/db_error.h"
#include "storage/value_helpers.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QShowEvent>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velmora::catalogue {

namespace {

constexpr int kFixedColumns = 4; // article, name, price, markup

} // namespace

Form_ShopsScript::Form_ShopsScript(CatalogueWindowEnvironment environment, QWidget* parent)
    : QDialog(parent), env_(std::move(environment))
{
    setObjectName(QStringLiteral("Form_ShopsScript"));
    setWindowTitle(QStringLiteral("Формирование каталога товаров для   Shop-Script"));
    TreeView_Group = new SettingsGroupTree(
        *env_.priceDb, [this](const QString& t) { if (env_.error) env_.error(t); }, this);
    DBGrid_Tovar = named(new QTableWidget(0, kFixedColumns + kOutputPriceColumns, this), "DBGrid_Tovar");
    DBGrid_Tovar->verticalHeader()->hide();
    DBGrid_Tovar->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid_Tovar->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid_Tovar->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    auto* split = new QSplitter(this);
    split->addWidget(TreeView_Group);
    split->addWidget(DBGrid_Tovar);
    split->setStretchFactor(1, 1);

    status_ = new GroupSwitchesBar(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addWidget(status_);
    connect(TreeView_Group, &SettingsGroupTree::groupClicked, this, &Form_ShopsScript::TreeView_GroupClick);
}

Form_ShopsScript::~Form_ShopsScript() = default;

void Form_ShopsScript::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Form_ShopsScript::FormShow()
{
    group_ = 0;
    try {
        columns_ = readOutputPriceColumns(*env_.priceDb);
        const QVariant first = env_.priceDb->scalar(
            QStringLiteral("SELECT Code FROM Tovar_tree WHERE Parent = ?1 AND Pos = ?2"), {qint64(0), qint64(1)});
        group_ = first.isValid() ? first.toLongLong() : 0;
    } catch (const db::DbError& e) {
        if (env_.error)
            env_.error(e.message());
    }
    QStringList titles{QStringLiteral("Артикул"), QStringLiteral("Название"), QStringLiteral("Цена"),
                       QStringLiteral("Наценка")};
    for (int k = 0; k < kOutputPriceColumns; ++k) {
        const QString name = columns_[size_t(k)].name;
        titles << (name.isEmpty() ? QStringLiteral("Price_Out_%1").arg(k + 1) : name);
    }
    DBGrid_Tovar->setHorizontalHeaderLabels(titles);
    if (env_.orderDb)
        status_->refresh(*env_.orderDb, env_.error);
    TreeView_Group->fill();
    showGoods();
}

void Form_ShopsScript::TreeView_GroupClick(qint64 code)
{
    if (code <= 0)
        return;
    group_ = code;
    showGoods();
}

void Form_ShopsScript::showGoods()
{
    std::vector<ShopsScriptGood> goods;
    try {
        goods = readShopsScriptGoods(*env_.priceDb, group_, -1.0, columns_, env_.roundDigits);
    } catch (const db::DbError& e) {
        if (env_.error)
            env_.error(e.message());
    }
    DBGrid_Tovar->setRowCount(int(goods.size()));
    for (int r = 0; r < int(goods.size()); ++r) {
        const ShopsScriptGood& g = goods[size_t(r)];
        DBGrid_Tovar->setItem(r, 0, new QTableWidgetItem(g.art));
        DBGrid_Tovar->setItem(r, 1, new QTableWidgetItem(g.tovar));
        DBGrid_Tovar->setItem(r, 2, new QTableWidgetItem(QString::number(RoundValue(env_.roundDigits, g.price1))));
        DBGrid_Tovar->setItem(r, 3, new QTableWidgetItem(QString::number(g.nacen)));
        for (int k = 0; k < kOutputPriceColumns; ++k) {
            auto* item = new QTableWidgetItem(QString::number(g.priceOut[size_t(k)]));
            DBGrid_Tovar->setItem(r, kFixedColumns + k, item);
        }
    }
}

} // namespace velmora::catalogue
