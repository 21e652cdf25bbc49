#include "platform/spreadsheet/view/sheet_view.h"

#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/view/sheet_grid_model.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

namespace velmora::sheet {

struct SheetView::State {
    std::unique_ptr<WorkbookReader> reader;
    SheetGridModel* model = nullptr;
    int current = 0;
    int maxRows = 1000;
    bool switching = false;
};

// No minimise button: minimising a window that belongs to another one
// minimises that one with it.
SheetView::SheetView(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint),
      state_(std::make_unique<State>()),
      grid_(new QTableView(this)),
      tabs_(new QTabBar(this)),
      status_(new QLabel(this))
{
    setObjectName(QStringLiteral("SheetView"));
    setWindowTitle(QStringLiteral("Просмотр листа"));
    grid_->setObjectName(QStringLiteral("TableView_Sheet"));
    tabs_->setObjectName(QStringLiteral("TabBar_Sheets"));
    status_->setObjectName(QStringLiteral("Label_SheetPath"));
    state_->model = new SheetGridModel(this);
    grid_->setModel(state_->model);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->horizontalHeader()->setDefaultSectionSize(90);
    grid_->verticalHeader()->setDefaultSectionSize(22);
    tabs_->setShape(QTabBar::RoundedSouth);
    tabs_->setExpanding(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(status_);
    layout->addWidget(grid_, 1);
    layout->addWidget(tabs_);
    resize(900, 600);

    connect(grid_, &QTableView::clicked, this, &SheetView::onClicked);
    connect(tabs_, &QTabBar::currentChanged, this, [this](int tab) {
        if (!state_->switching && tab >= 0)
            showSheet(tab + 1);
    });
}

SheetView::~SheetView() = default;

void SheetView::openWorkbook(const QString& path, int maxRows)
{
    auto reader = std::make_unique<WorkbookReader>(path); // throws: the view keeps what it had
    SheetData first = reader->readSheet(1, ReadOptions{maxRows > 0 ? maxRows : 0, 0});
    SheetLook look = reader->readSheetLook(1, ReadOptions{maxRows > 0 ? maxRows : 0, 0});
    state_->reader = std::move(reader);
    state_->maxRows = maxRows;
    state_->switching = true;
    while (tabs_->count() > 0)
        tabs_->removeTab(0);
    for (const QString& name : state_->reader->sheetNames())
        tabs_->addTab(name);
    tabs_->setCurrentIndex(0);
    state_->switching = false;
    status_->setText(QFileInfo(path).absoluteFilePath());
    setWindowTitle(QStringLiteral("Просмотр листа: ") + QFileInfo(path).fileName());
    display(1, std::move(first), std::move(look));
}

void SheetView::display(int index, SheetData data, SheetLook look)
{
    const QString name = data.info.name;
    grid_->clearSpans();
    state_->model->setSheet(std::move(data), std::move(look));
    for (const CellRange& m : state_->model->sheet().info.merges)
        if (m.first.row <= state_->model->rowCount() && m.first.column <= state_->model->columnCount())
            grid_->setSpan(m.first.row - 1, m.first.column - 1, m.rowCount(), m.columnCount());
    state_->current = index;
    state_->switching = true;
    tabs_->setCurrentIndex(index - 1);
    state_->switching = false;
    emit sheetShown(index, name);
}

void SheetView::closeWorkbook()
{
    state_->reader.reset();
    state_->current = 0;
    state_->switching = true;
    while (tabs_->count() > 0)
        tabs_->removeTab(0);
    state_->switching = false;
    grid_->clearSpans();
    state_->model->setSheet(SheetData());
    status_->clear();
}

bool SheetView::hasWorkbook() const
{
    return state_->reader != nullptr;
}

QString SheetView::path() const
{
    return state_->reader ? state_->reader->path() : QString();
}

QStringList SheetView::sheetNames() const
{
    return state_->reader ? state_->reader->sheetNames() : QStringList();
}

int SheetView::currentSheet() const
{
    return state_->current;
}

bool SheetView::showSheet(int index)
{
    if (!state_->reader || index < 1 || index > state_->reader->sheetCount())
        return false;
    const ReadOptions limit{state_->maxRows > 0 ? state_->maxRows : 0, 0};
    SheetData data = state_->reader->readSheet(index, limit);
    display(index, std::move(data), state_->reader->readSheetLook(index, limit));
    return true;
}

bool SheetView::showSheet(const QString& name)
{
    if (!state_->reader)
        return false;
    return showSheet(state_->reader->sheetIndex(name));
}

PickedCell SheetView::cellAt(const QModelIndex& index) const
{
    PickedCell cell;
    if (!index.isValid())
        return cell;
    const SheetData& data = state_->model->sheet();
    cell.row = index.row() + 1;
    cell.column = index.column() + 1;
    cell.value = data.values.value(cell.row, cell.column);
    cell.formula = data.formula(cell.row, cell.column);
    cell.hyperlink = data.hyperlink(cell.row, cell.column);
    cell.style = state_->model->look().style(cell.row, cell.column);
    cell.columnWidth = state_->model->look().columnWidth(cell.column);
    return cell;
}

void SheetView::setSpareCells(int rows, int columns)
{
    state_->model->setSpareCells(rows, columns);
}

PickedCell SheetView::currentCell() const
{
    return cellAt(grid_->currentIndex());
}

void SheetView::onClicked(const QModelIndex& index)
{
    const PickedCell cell = cellAt(index);
    if (cell.isValid())
        emit cellClicked(cell);
}

} // namespace velmora::sheet
