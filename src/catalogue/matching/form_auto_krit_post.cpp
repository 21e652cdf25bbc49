#include "form_auto_krit_post.h"

#include "item_lists.h"

#include "catalogue/loading/supplier_setup.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velmora::catalogue {

namespace {

// The list holds the suppliers whose items wait in the remainder: they get
// there through the older loading windows, which the text names.
QString noSuppliersText(bool anySupplierSetUp)
{
    if (!anySupplierSetUp)
        return QStringLiteral("Нет поставщиков для определения соответствий.\n"
                              "Поставщиков настраивают командой \"Настройка загрузки данных\" (меню \"Соответствия\"), "
                              "а их прайс-листы загружают командой \"Загрузка данных\".");
    return QStringLiteral("В таблице остатка нет товаров поставщиков.\n"
                          "Загрузите прайс-листы поставщиков командой \"Загрузка данных\" (меню \"Соответствия\").");
}

} // namespace

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
    noSuppliers_ = new QLabel(this);
    noSuppliers_->setObjectName(QStringLiteral("Label_NoSuppliers"));
    noSuppliers_->setWordWrap(true);
    noSuppliers_->hide();
    run_ = new QPushButton(QStringLiteral("Запустить обработку по критериям"), this);
    run_->setObjectName(QStringLiteral("Button_AutoKritRun"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(suppliers_, 1);
    layout->addWidget(noSuppliers_);
    layout->addWidget(run_);
    resize(420, 420);
    connect(run_, &QPushButton::clicked, this, &Form_AutoKritPost::Button_AutoKritRunClick);
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
    // With nothing to match, the window says where suppliers come from and
    // the run, which would find nothing, waits.
    if (rows.isEmpty())
        noSuppliers_->setText(noSuppliersText(!loadingSupplierNames(priceDb_, false).isEmpty()));
    noSuppliers_->setVisible(rows.isEmpty());
    run_->setEnabled(!rows.isEmpty());
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
