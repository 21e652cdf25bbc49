#include "platform/files/error_text.h"
#include "suppliers/brands/form_brend_priory.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velmora::brands {

Form_BrendPriory::Form_BrendPriory(db::Connection& priceDb, QWidget* parent) : QDialog(parent), priceDb_(priceDb)
{
    setObjectName(QStringLiteral("Form_BrendPriory"));
    setWindowTitle(QStringLiteral("установка приоритетных брендов"));
    auto* top = new QVBoxLayout(this);
    DBGrid_BrendPriory = new QTableWidget(0, 1);
    DBGrid_BrendPriory->setObjectName(QStringLiteral("DBGrid_BrendPriory"));
    DBGrid_BrendPriory->setHorizontalHeaderLabels({QStringLiteral("Бренд")});
    DBGrid_BrendPriory->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid_BrendPriory->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid_BrendPriory->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid_BrendPriory->verticalHeader()->hide();
    DBGrid_BrendPriory->horizontalHeader()->setStretchLastSection(true);
    top->addWidget(DBGrid_BrendPriory);
    auto* add = new QHBoxLayout;
    ComboBox_BrendPrioryNew = new QComboBox;
    ComboBox_BrendPrioryNew->setObjectName(QStringLiteral("ComboBox_BrendPrioryNew"));
    Button_BrendPrioryAdd = new QPushButton(QStringLiteral("Добавить"));
    Button_BrendPrioryAdd->setObjectName(QStringLiteral("Button_BrendPrioryAdd"));
    add->addWidget(ComboBox_BrendPrioryNew, 1);
    add->addWidget(Button_BrendPrioryAdd);
    top->addLayout(add);
    connect(Button_BrendPrioryAdd, &QPushButton::clicked, this, &Form_BrendPriory::Button_BrendPrioryAddClick);
    connect(DBGrid_BrendPriory, &QTableWidget::cellDoubleClicked, this, &Form_BrendPriory::DBGrid_BrendPrioryDblClick);
}

Form_BrendPriory::~Form_BrendPriory() = default;

void Form_BrendPriory::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Form_BrendPriory::say(const QString& text) const
{
    if (messages_)
        messages_(text);
}

void Form_BrendPriory::FormShow()
{
    try {
        EnsurePriorityBrandTable(priceDb_);
        openList();
        const QStringList makers = ReadLoadedMakerTexts(priceDb_);
        ComboBox_BrendPrioryNew->clear();
        ComboBox_BrendPrioryNew->addItems(makers);
        ComboBox_BrendPrioryNew->setCurrentIndex(makers.isEmpty() ? -1 : 0);
    } catch (const std::exception& error) {
        say(ErrorText(error));
    }
}

void Form_BrendPriory::openList(const QString& current)
{
    brands_ = ReadPriorityBrands(priceDb_);
    DBGrid_BrendPriory->setRowCount(int(brands_.size()));
    int currentRow = brands_.isEmpty() ? -1 : 0;
    for (int r = 0; r < brands_.size(); ++r) {
        DBGrid_BrendPriory->setItem(r, 0, new QTableWidgetItem(brands_[r].name));
        if (!current.isEmpty() && brands_[r].name.compare(current, Qt::CaseInsensitive) == 0)
            currentRow = r;
    }
    if (currentRow >= 0)
        DBGrid_BrendPriory->setCurrentCell(currentRow, 0);
}

void Form_BrendPriory::Button_BrendPrioryAddClick()
{
    const QString name = ComboBox_BrendPrioryNew->currentText();
    if (ComboBox_BrendPrioryNew->currentIndex() < 0 || name.isEmpty())
        return;
    try {
        const QString refusal = AddPriorityBrand(priceDb_, name);
        if (!refusal.isEmpty())
            say(refusal);
        openList(name);
        emit priorityBrandsChanged();
    } catch (const std::exception& error) {
        say(ErrorText(error));
    }
}

void Form_BrendPriory::DBGrid_BrendPrioryDblClick()
{
    const int row = DBGrid_BrendPriory->currentRow();
    if (row < 0 || row >= brands_.size())
        return;
    // Only an explicit Yes deletes; closing the question keeps the brand.
    if (!ask_ || !ask_(DeletePriorityBrandQuestion(brands_[row].name)))
        return;
    try {
        const QString next = row + 1 < brands_.size() ? brands_[row + 1].name : QString();
        DeletePriorityBrand(priceDb_, brands_[row].id);
        openList(next);
        emit priorityBrandsChanged();
    } catch (const std::exception& error) {
        say(ErrorText(error));
    }
}

} // namespace velmora::brands
