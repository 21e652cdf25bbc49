#include "form_auto_krit.h"

#include "auto_match.h"
#include "correspondence.h"
#include "item_lists.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velmora::catalogue {
namespace {

QTableWidget* grid(QWidget* parent, const char* name, const QStringList& titles)
{
    auto* table = new QTableWidget(0, int(titles.size()), parent);
    table->setObjectName(QLatin1String(name));
    table->setHorizontalHeaderLabels(titles);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    return table;
}

} // namespace

Form_AutoKrit::Form_AutoKrit(db::Connection& priceDb, Question ask, MessageSink tell, QWidget* parent)
    : QDialog(parent), priceDb_(priceDb), ask_(std::move(ask)), tell_(std::move(tell))
{
    setObjectName(QStringLiteral("Form_AutoKrit"));
    setWindowTitle(QStringLiteral("Соответствия"));
    goods_ = grid(this, "DBGrid_AutoKritTovar",
                  {QStringLiteral("Артикул"), QStringLiteral("Наименование товара"), QStringLiteral("Коментарии"),
                   QStringLiteral("Цена")});
    proposals_ = grid(this, "DBCtrlGrid_AutoKrit",
                      {QString(), QStringLiteral("Наименование"), QStringLiteral("Поставщик"), QStringLiteral("Цена"),
                       QStringLiteral("Артикул"), QStringLiteral("Склад")});
    allTovar_ = new QLabel(this);
    allTovar_->setObjectName(QStringLiteral("Label_AllTovar"));
    allSootv_ = new QLabel(this);
    allSootv_->setObjectName(QStringLiteral("Label_AllSootv"));
    add_ = new QPushButton(QStringLiteral("Добавить в таблицу соответствия"), this);
    add_->setObjectName(QStringLiteral("Button_AddSootv"));
    auto* counts = new QHBoxLayout;
    counts->addWidget(new QLabel(QStringLiteral("Найдено товаров -"), this));
    counts->addWidget(allTovar_);
    counts->addSpacing(20);
    counts->addWidget(new QLabel(QStringLiteral("Найдено соответствий -"), this));
    counts->addWidget(allSootv_);
    counts->addStretch();
    counts->addWidget(add_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(goods_, 1);
    layout->addWidget(proposals_, 1);
    layout->addLayout(counts);
    resize(800, 600);

    connect(goods_, &QTableWidget::currentCellChanged, this, [this] { showProposals(); });
    connect(proposals_, &QTableWidget::cellChanged, this, &Form_AutoKrit::onTicked);
    connect(add_, &QPushButton::clicked, this, &Form_AutoKrit::Button_AddSootvClick);
}

void Form_AutoKrit::showEvent(QShowEvent* event)
{
    prepare();
    QDialog::showEvent(event);
}

void Form_AutoKrit::prepare()
{
    MarkSupplierForMatching(priceDb_, allSuppliersEntry(), QStringLiteral("false"));
    prepareReview(priceDb_);
    readGoods(0);
}

qint64 Form_AutoKrit::currentGood() const
{
    const QTableWidgetItem* item = goods_->item(goods_->currentRow(), 0);
    return item ? item->data(Qt::UserRole).toLongLong() : 0;
}

void Form_AutoKrit::readGoods(qint64 keepCode)
{
    const QList<ProposedGood> goods = readProposedGoods(priceDb_);
    {
        const QSignalBlocker quiet(goods_);
        goods_->setRowCount(int(goods.size()));
        int keep = goods.isEmpty() ? -1 : 0;
        for (int r = 0; r < goods.size(); ++r) {
            const ProposedGood& good = goods.at(r);
            auto* art = new QTableWidgetItem(good.art);
            art->setData(Qt::UserRole, good.code);
            goods_->setItem(r, 0, art);
            goods_->setItem(r, 1, new QTableWidgetItem(good.tovar));
            goods_->setItem(r, 2, new QTableWidgetItem(good.comment));
            goods_->setItem(r, 3, new QTableWidgetItem(QLocale().toString(good.priceBase)));
            if (good.code == keepCode)
                keep = r;
        }
        goods_->setCurrentCell(keep, 1);
    }
    allTovar_->setText(QString::number(goods.size()));
    allSootv_->setText(QString::number(countProposals(priceDb_)));
    showProposals();
}

void Form_AutoKrit::showProposals()
{
    filling_ = true;
    const QList<Proposal> rows = readProposals(priceDb_, currentGood());
    proposals_->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const Proposal& p = rows.at(r);
        auto* tick = new QTableWidgetItem;
        tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        tick->setCheckState(p.ticked ? Qt::Checked : Qt::Unchecked);
        tick->setData(Qt::UserRole, p.rowid);
        proposals_->setItem(r, 0, tick);
        proposals_->setItem(r, 1, new QTableWidgetItem(p.tovar));
        proposals_->setItem(r, 2, new QTableWidgetItem(p.postavshik));
        proposals_->setItem(r, 3, new QTableWidgetItem(QLocale().toString(p.price)));
        proposals_->setItem(r, 4, new QTableWidgetItem(p.art));
        proposals_->setItem(r, 5, new QTableWidgetItem(p.sklad));
    }
    filling_ = false;
}

void Form_AutoKrit::onTicked(int row, int column)
{
    QTableWidgetItem* tick = proposals_->item(row, 0);
    if (filling_ || column != 0 || !tick)
        return;
    const bool ticked = tick->checkState() == Qt::Checked;
    const ProposalTick result = tickProposal(priceDb_, tick->data(Qt::UserRole).toLongLong(), ticked);
    if (result == ProposalTick::Stored) {
        add_->setFocus();
        return;
    }
    if (tell_)
        tell_(result == ProposalTick::SupplierTaken ? tickRefusedMessage() : finishPreviousGoodMessage());
    filling_ = true;
    tick->setCheckState(Qt::Unchecked);
    filling_ = false;
}

void Form_AutoKrit::Button_AddSootvClick()
{
    const qint64 code = currentGood();
    if (code == 0)
        return;
    const AcceptResult result = acceptProposals(priceDb_, code, ask_, tell_);
    readGoods(code);
    if (result.accepted > 0)
        emit correspondencesChanged(code);
}

} // namespace velmora::catalogue
