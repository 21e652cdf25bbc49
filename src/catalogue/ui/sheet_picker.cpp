#include "sheet_picker.h"

#include "platform/spreadsheet/sheet_error.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>

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

bool SheetPicker::openFromField(QLineEdit* pathField, const std::function<QString()>& askForFile,
                                const MessageSink& error)
{
    QString path = pathField->text().trimmed();
    if (!QFileInfo(path).isFile()) {
        path = askForFile ? askForFile() : QString();
        if (path.isEmpty())
            return false;
        pathField->setText(path);
    }
    try {
        open(path);
    } catch (const sheet::SheetError& e) {
        if (error)
            error(e.message());
        return false;
    }
    return true;
}

void SheetPicker::listSheets(QComboBox* list) const
{
    const QStringList names = sheetNames();
    list->clear();
    list->addItems(names.isEmpty() ? QStringList{QStringLiteral("Нет")} : names);
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
