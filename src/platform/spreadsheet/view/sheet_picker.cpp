#include "platform/spreadsheet/view/sheet_picker.h"

#include "platform/spreadsheet/cell_ref.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/view/view_placement.h"

#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QToolButton>

namespace velmora::sheet {

SheetPicker::SheetPicker(QWidget* owner, const QString& viewName, std::function<void(SheetView*)> prepare)
    : QObject(owner), owner_(owner), viewName_(viewName), prepare_(std::move(prepare))
{
}

SheetPicker::~SheetPicker()
{
    // The view is the owner's child; it goes with the picker all the same,
    // so a window made again starts with a view of its own.
    delete view_.data();
}

SheetView* SheetPicker::ensureView()
{
    if (!view_) {
        view_ = new SheetView(owner_);
        view_->setObjectName(viewName_);
        if (prepare_)
            prepare_(view_);
        if (QWidget* window = owner_->window())
            window->installEventFilter(this);
    }
    return view_;
}

// The view goes and comes with the window it belongs to (some windows hide
// the main window while they work). Shown again, it is mapped anew, so the
// window manager learns again that it stays above that window: a view left
// on the screen loses that to the hidden window and is then buried.
bool SheetPicker::eventFilter(QObject* watched, QEvent* event)
{
    if (view_ && owner_ && watched == owner_->window() && !event->spontaneous()) {
        if (event->type() == QEvent::Hide && view_->isVisible()) {
            hiddenWithOwner_ = true;
            view_->hide();
        } else if (event->type() == QEvent::Show && hiddenWithOwner_) {
            hiddenWithOwner_ = false;
            // After the window itself is mapped: a view mapped first is
            // taken by the window manager for one of no window.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (isOpen() && owner_ && owner_->window()->isVisible()) {
                        view_->show();
                        view_->raise();
                    }
                },
                Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}

void SheetPicker::load(const QString& path)
{
    SheetView* view = ensureView();
    try {
        view->openWorkbook(path);
    } catch (const SheetError&) {
        close();
        throw;
    }
    view->setWindowTitle(QFileInfo(path).fileName());
}

void SheetPicker::show()
{
    if (!view_)
        return;
    // Once placed (here, by the user or by a kept placement) the view
    // stays where it is.
    if (!view_->isVisible() && !view_->testAttribute(Qt::WA_Moved))
        placeBesideOwner();
    view_->show();
    view_->raise();
    view_->activateWindow();
}

// The view stays above the owner's window, so it goes beside what the user
// works with there: beside a dialog, or beside the part of the main window
// that the owner shows.
void SheetPicker::placeBesideOwner()
{
    QWidget* window = owner_ ? owner_->window() : nullptr;
    const QScreen* screen = window ? window->screen() : view_->screen();
    if (!window || !screen)
        return;
    QRect keepClear = window->frameGeometry();
    if (owner_ != window) {
        const QRect shown = owner_->visibleRegion().boundingRect();
        if (!shown.isEmpty())
            keepClear = QRect(owner_->mapToGlobal(shown.topLeft()), shown.size());
    }
    // The view gets the decorations its owner's window has.
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    const QMargins decoration(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                              frame.bottom() - inner.bottom());
    const QSize extra(decoration.left() + decoration.right(), decoration.top() + decoration.bottom());
    const QRect place = PlaceBeside(keepClear, screen->availableGeometry(), view_->size() + extra,
                                    QSize(kMinimumViewWidth, kMinimumViewHeight) + extra);
    view_->setGeometry(place.marginsRemoved(decoration));
}

void SheetPicker::open(const QString& path)
{
    load(path);
    show();
}

bool SheetPicker::openFromField(QLineEdit* pathField, const std::function<QString()>& askForFile,
                                const std::function<void(const QString&)>& error)
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
    } catch (const SheetError& e) {
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
    hiddenWithOwner_ = false;
    if (!view_)
        return;
    view_->closeWorkbook();
    view_->hide();
}

bool SheetPicker::isOpen() const { return view_ && view_->hasWorkbook(); }

QString SheetPicker::path() const { return isOpen() ? view_->path() : QString(); }

QStringList SheetPicker::sheetNames() const { return isOpen() ? view_->sheetNames() : QStringList(); }

bool SheetPicker::showSheet(int index) { return isOpen() && view_->showSheet(index); }

bool SheetPicker::showSheet(const QString& name) { return isOpen() && view_->showSheet(name); }

std::optional<PickedCell> SheetPicker::picked() const
{
    if (!isOpen())
        return std::nullopt;
    PickedCell cell = view_->currentCell();
    if (!cell.isValid())
        return std::nullopt;
    return cell;
}

bool SheetPicker::pickColumn(QComboBox* choice) const
{
    const std::optional<PickedCell> cell = picked();
    if (!cell || cell->column > kPickLastColumn || cell->column >= choice->count())
        return false;
    choice->setCurrentIndex(cell->column);
    return true;
}

bool SheetPicker::pickStartRow(QComboBox* startRow) const
{
    const std::optional<PickedCell> cell = picked();
    if (!cell || cell->row > startRow->count())
        return false;
    startRow->setCurrentIndex(cell->row - 1);
    return true;
}

QComboBox* makeColumnChoice(const QString& name, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->addItem(QStringLiteral("Нет"));
    for (int column = 1; column <= kPickLastColumn; ++column)
        list->addItem(columnLetters(column));
    return list;
}

QComboBox* makeStartRowChoice(const QString& name, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    for (int row = 1; row <= kPickStartRows; ++row)
        list->addItem(QString::number(row));
    list->setToolTip(QStringLiteral("Пропустить строки с \"шапкой\" прайс-листа"));
    return list;
}

QToolButton* makePickButton(const QString& name, QWidget* parent, const QString& hint)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(QStringLiteral("..."));
    button->setToolTip(hint.isEmpty() ? QStringLiteral("Установить колонку выбранной ячейки") : hint);
    return button;
}

PickerRows::PickerRows(QWidget* parent, SheetPicker* picker)
    : parent_(parent), picker_(picker), grid_(new QGridLayout)
{
    grid_->setColumnStretch(1, 1);
}

QLabel* PickerRows::add(const QString& caption, QWidget* field, QToolButton* pick)
{
    auto* label = new QLabel(caption, parent_);
    grid_->addWidget(label, row_, 0);
    grid_->addWidget(field, row_, 1);
    if (pick)
        grid_->addWidget(pick, row_, 2);
    ++row_;
    return label;
}

QComboBox* PickerRows::addColumn(const QString& caption, const QString& listName, const QString& buttonName,
                                 const std::function<void()>& afterPick)
{
    QComboBox* list = makeColumnChoice(listName, parent_);
    QToolButton* pick = makePickButton(buttonName, parent_);
    add(caption, list, pick);
    SheetPicker* picker = picker_;
    QObject::connect(pick, &QToolButton::clicked, list, [picker, list, afterPick] {
        picker->pickColumn(list);
        if (afterPick)
            afterPick();
    });
    return list;
}

QComboBox* PickerRows::addStartRow(const QString& caption, const QString& listName, const QString& buttonName)
{
    QComboBox* list = makeStartRowChoice(listName, parent_);
    QToolButton* pick = makePickButton(buttonName, parent_, QStringLiteral("Установить строку выбранной ячейки"));
    add(caption, list, pick);
    SheetPicker* picker = picker_;
    QObject::connect(pick, &QToolButton::clicked, list, [picker, list] { picker->pickStartRow(list); });
    return list;
}

} // namespace velmora::sheet
