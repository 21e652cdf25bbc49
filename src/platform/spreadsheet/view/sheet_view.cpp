#include "platform/spreadsheet/view/sheet_view.h"

#include <QLabel>
#include <QTabBar>
#include <QTableView>

namespace velmora::sheet {
struct SheetView::State {};
SheetView::SheetView(QWidget* parent) : QWidget(parent), state_(std::make_unique<State>()), grid_(nullptr), tabs_(nullptr), status_(nullptr) {}
SheetView::~SheetView() = default;
void SheetView::openWorkbook(const QString&, int) {}
void SheetView::closeWorkbook() {}
bool SheetView::hasWorkbook() const { return false; }
QString SheetView::path() const { return {}; }
QStringList SheetView::sheetNames() const { return {}; }
int SheetView::currentSheet() const { return 0; }
bool SheetView::showSheet(int) { return false; }
bool SheetView::showSheet(const QString&) { return false; }
PickedCell SheetView::currentCell() const { return {}; }
void SheetView::onClicked(const QModelIndex&) {}
PickedCell SheetView::cellAt(const QModelIndex&) const { return {}; }
} // namespace velmora::sheet
