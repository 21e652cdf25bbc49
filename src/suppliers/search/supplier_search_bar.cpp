#include "supplier_search_bar.h"

#include "goods_search_controller.h"

#include "storage/settings_store.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

#include <algorithm>

namespace velmora::search {

SupplierSearchBar::SupplierSearchBar(GoodsSearchController& controller, QWidget* parent)
    : QWidget(parent), controller_(controller)
{
    Edit_Find = new QLineEdit(this);
    Edit_Find->setObjectName(QStringLiteral("Edit_Find"));
    Edit_Find->setPlaceholderText(kFindPlaceholder);
    Edit_Find->installEventFilter(this);
    RadioButton_TovarName = new QRadioButton(QStringLiteral("Искать в Названии"), this);
    RadioButton_TovarName->setObjectName(QStringLiteral("RadioButton_TovarName"));
    RadioButton_TovarName->setChecked(true);
    RadioButton_TovarArt = new QRadioButton(QStringLiteral("Искать в Артикуле"), this);
    RadioButton_TovarArt->setObjectName(QStringLiteral("RadioButton_TovarArt"));
    RadioButton_TovarAll = new QRadioButton(QStringLiteral("Во всех полях "), this);
    RadioButton_TovarAll->setObjectName(QStringLiteral("RadioButton_TovarAll"));
    CheckBox_FindUp = new QCheckBox(QStringLiteral("Искать при вводе значения"), this);
    CheckBox_FindUp->setObjectName(QStringLiteral("CheckBox_FindUp"));
    CheckBox_FindUp->setChecked(true);
    ToolButton_Find = new QToolButton(this);
    ToolButton_Find->setObjectName(QStringLiteral("ToolButton_Find"));
    ToolButton_Find->setText(QStringLiteral("Найти"));
    ToolButton_Find->setToolTip(QStringLiteral("Найти товары"));

    fieldChoice_ = new QHBoxLayout;
    fieldChoice_->setContentsMargins(0, 0, 0, 0);
    for (QRadioButton* button : {RadioButton_TovarName, RadioButton_TovarArt, RadioButton_TovarAll})
        fieldChoice_->addWidget(button);
    layout_ = new QGridLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setVerticalSpacing(2);
    layout_->setColumnStretch(0, 1);
    layout_->addWidget(Edit_Find, 0, 0);
    layout_->addWidget(ToolButton_Find, 0, 1);
    arrange(true);

    typingPause_.setSingleShot(true);
    typingPause_.setInterval(kTypingPauseMs);
    connect(&typingPause_, &QTimer::timeout, this, [this] { controller_.search(findText()); });
    connect(Edit_Find, &QLineEdit::textChanged, this, &SupplierSearchBar::Edit_FindChange);
    connect(Edit_Find, &QLineEdit::returnPressed, this, &SupplierSearchBar::Edit_FindEnter);
    connect(ToolButton_Find, &QToolButton::clicked, this, &SupplierSearchBar::ToolButton_FindClick);
    for (QRadioButton* button : {RadioButton_TovarName, RadioButton_TovarArt, RadioButton_TovarAll})
        connect(button, &QRadioButton::clicked, this, &SupplierSearchBar::RadioButton_TovarNameClick);
    connect(CheckBox_FindUp, &QCheckBox::clicked, this, &SupplierSearchBar::CheckBox_FindUpClick);
    controller_.setField(field());
}

int SupplierSearchBar::oneRowWidth() const
{
    const int spacing = layout_->horizontalSpacing();
    return Edit_Find->minimumSizeHint().width() + ToolButton_Find->sizeHint().width()
        + fieldChoice_->minimumSize().width() + CheckBox_FindUp->sizeHint().width() + 3 * spacing;
}

int SupplierSearchBar::twoRowWidth() const
{
    const int spacing = layout_->horizontalSpacing();
    const int findRow = Edit_Find->minimumSizeHint().width() + ToolButton_Find->sizeHint().width()
        + CheckBox_FindUp->sizeHint().width() + 2 * spacing;
    return std::max(findRow, fieldChoice_->minimumSize().width());
}

QSize SupplierSearchBar::minimumSizeHint() const
{
    return QSize(twoRowWidth(), QWidget::minimumSizeHint().height());
}

void SupplierSearchBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    arrange(width() >= oneRowWidth());
}

// One row: the field, "Найти", the field choice, CheckBox_FindUp; two: the
// field choice under the others.
void SupplierSearchBar::arrange(bool oneRow)
{
    const int rows = oneRow ? 1 : 2;
    if (rows == rows_)
        return;
    rows_ = rows;
    layout_->removeWidget(CheckBox_FindUp);
    layout_->removeItem(fieldChoice_);
    fieldChoice_->setParent(nullptr); // to be added again
    if (oneRow) {
        layout_->addLayout(fieldChoice_, 0, 2);
        layout_->addWidget(CheckBox_FindUp, 0, 3);
    } else {
        layout_->addWidget(CheckBox_FindUp, 0, 2);
        layout_->addLayout(fieldChoice_, 1, 0, 1, 3, Qt::AlignLeft);
    }
    updateGeometry();
}

void SupplierSearchBar::restoreSettings()
{
    if (!settings_)
        return;
    CheckBox_FindUp->setChecked(settings_->readBoolean(QStringLiteral("CheckBox_FindUp"), QStringLiteral("0")));
    for (QRadioButton* button : {RadioButton_TovarArt, RadioButton_TovarName, RadioButton_TovarAll}) {
        if (settings_->readBoolean(button->objectName(), QStringLiteral("-1")))
            button->setChecked(true);
    }
    controller_.setField(field());
}

QString SupplierSearchBar::findText() const { return Edit_Find->text(); }

SearchField SupplierSearchBar::field() const
{
    if (RadioButton_TovarArt->isChecked())
        return SearchField::Article;
    if (RadioButton_TovarAll->isChecked())
        return SearchField::All;
    return SearchField::Name;
}

void SupplierSearchBar::Edit_FindChange()
{
    if (CheckBox_FindUp->isChecked())
        typingPause_.start();
}

void SupplierSearchBar::Edit_FindClick()
{
    // The placeholder is drawn, never held as text: nothing to clear.
    emit hideCardRequested();
}

void SupplierSearchBar::Edit_FindExit()
{
    typingPause_.stop();
    controller_.search(findText());
    emit hideCardRequested();
}

void SupplierSearchBar::Edit_FindEnter()
{
    typingPause_.stop();
    controller_.searchAgain(findText());
    emit focusGridRequested();
}

void SupplierSearchBar::ToolButton_FindClick()
{
    typingPause_.stop();
    controller_.searchAgain(findText());
}

void SupplierSearchBar::RadioButton_TovarNameClick()
{
    controller_.setField(field());
    controller_.searchAgain(findText());
    writeBoolean(QStringLiteral("RadioButton_TovarName"), RadioButton_TovarName->isChecked());
    writeBoolean(QStringLiteral("RadioButton_TovarArt"), RadioButton_TovarArt->isChecked());
    writeBoolean(QStringLiteral("RadioButton_TovarAll"), RadioButton_TovarAll->isChecked());
}

void SupplierSearchBar::CheckBox_FindUpClick()
{
    writeBoolean(QStringLiteral("CheckBox_FindUp"), CheckBox_FindUp->isChecked());
}

void SupplierSearchBar::writeBoolean(const QString& name, bool value)
{
    if (settings_)
        settings_->write(name, QStringLiteral("TypeBoolean"), value ? QStringLiteral("-1") : QStringLiteral("0"));
}

bool SupplierSearchBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Edit_Find) {
        if (event->type() == QEvent::MouseButtonPress)
            Edit_FindClick();
        else if (event->type() == QEvent::FocusOut) {
            // Leaving the box for another control, not the window losing
            // the focus (or closing).
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                Edit_FindExit();
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace velmora::search
