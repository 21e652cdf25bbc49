#include "form_auto_krit_post.h"

#include "item_lists.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velmora::catalogue {

Form_AutoKritPost::Form_AutoKritPost(db::Connection& priceDb, Question ask, MatchingWait wait, QWidget* parent)
    : QDialog(parent), priceDb_(priceDb), ask_(std::move(ask)), wait_(std::move(wait))
{
    setObjectName(QStringLiteral("Form_AutoKritPost"));
    setWindowTitle(QStringLiteral("Определения соответствий"));
    auto* heading = new QLabel(QStringLiteral("Укажите поставщиков\nдля определения соответствий по критериям"), this);
    heading->setAlignment(Qt::AlignCenter);
    suppliers_ = new QTableWidget(0, 3, this);
    suppliers_->setObjectName(QStringLiteral("DBGrid_AutoKritPost"));
    suppliers_->setHorizontalHeaderLabels({QString(), QStringLiteral("Поставщик"), QStringLiteral("Кол. товаров")});
    suppliers_->verticalHeader()->hide();
    suppliers_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    suppliers_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    auto* run = new QPushButton(QStringLiteral("Запустить обработку по критериям"), this);
    run->setObjectName(QStringLiteral("Button_AutoKritRun"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(suppliers_, 1);
    layout->addWidget(run);
    resize(420, 420);
    connect(run, &QPushButton::clicked, this, &Form_AutoKritPost::Button_AutoKritRunClick);
}

void Form_AutoKritPost::showEvent(QShowEvent* event)
{
    prepare();
    QDialog::showEvent(event);
}

void Form_AutoKritPost::prepare()
{
    MarkSupplierForMatching(priceDb_, allSuppliersEntry(), QStringLiteral("true"));
    const QList<MatchingSupplier> rows = readMatchingSuppliers(priceDb_);
    suppliers_->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        auto* tick = new QTableWidgetItem;
        tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        tick->setCheckState(rows.at(r).ticked ? Qt::Checked : Qt::Unchecked);
        suppliers_->setItem(r, 0, tick);
        suppliers_->setItem(r, 1, new QTableWidgetItem(rows.at(r).name));
        suppliers_->setItem(r, 2, new QTableWidgetItem(QString::number(rows.at(r).items)));
    }
}

void Form_AutoKritPost::Button_AutoKritRunClick()
{
    for (int r = 0; r < suppliers_->rowCount(); ++r)
        MarkSupplierForMatching(priceDb_, suppliers_->item(r, 1)->text(),
                                suppliers_->item(r, 0)->checkState() == Qt::Checked ? QStringLiteral("true")
                                                                                    : QStringLiteral("false"));
    hide();
    if (parentWidget())
        parentWidget()->repaint();
    MatchingRun run;
    run.groupCode = group_;
    run.withWait = true;
    run.ask = ask_;
    run.wait = wait_;
    lastRun_ = RunCriteriaMatching(priceDb_, run);
    done(QDialog::Accepted);
}

} // namespace velmora::catalogue
