#include "sheet_picker.h"

#include "platform/spreadsheet/sheet_error.h"

#include <QFileInfo>

namespace velmora::catalogue {

SheetPicker::SheetPicker(QWidget* owner, const QString& viewName) : QObject(owner), owner_(owner), viewName_(viewName)
{
}

SheetPicker::~SheetPicker()
{
    if (view_)
        delete view_.data();
}

void SheetPicker::open(const QString& path)
{
    if (!view_) {
        view_ = new sheet::SheetView(owner_);
        view_->setWindowFlag(Qt::Window, true);
        view_->setObjectName(viewName_);
    }
    try {
        view_->openWorkbook(path);
    } catch (const sheet::SheetError&) {
        close();
        throw;
    }
    view_->setWindowTitle(QFileInfo(path).fileName());
    view_->show();
    view_->raise();
}

void SheetPicker::close()
{
    if (!view_)
        return;
    view_->closeWorkbook();
    view_->hide();
}

bool SheetPicker::isOpen() const { return view_ && view_->hasWorkbook(); }

QStringList SheetPicker::sheetNames() const { return isOpen() ? view_->sheetNames() : QStringList(); }

void SheetPicker::showSheet(int index)
{
    if (isOpen())
        view_->showSheet(index);
}

std::optional<sheet::PickedCell> SheetPicker::picked() const
{
    if (!isOpen())
        return std::nullopt;
    sheet::PickedCell cell = view_->currentCell();
    if (!cell.isValid())
        return std::nullopt;
    return cell;
}

} // namespace velmora::catalogue
