#include "window_controls.h"

#include "storage/value_helpers.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

#include <algorithm>

namespace velmora::catalogue {

const QString kWorkbookFilter = QStringLiteral("Файлы Excel (*.xls *.xlsx);;Все файлы (*)");

QComboBox* columnList(const char* name, QWidget* parent)
{
    auto* list = named(new QComboBox(parent), name);
    list->addItem(QStringLiteral("Нет"));
    for (int column = 1; column <= kLastPickColumn; ++column)
        list->addItem(ColumnToLetters(column));
    return list;
}

QComboBox* startRowList(const char* name, QWidget* parent)
{
    auto* list = named(new QComboBox(parent), name);
    for (int row = 1; row <= kStartRowItems; ++row)
        list->addItem(QString::number(row));
    list->setToolTip(QStringLiteral("Пропустить строки с \"шапкой\" прайс-листа"));
    return list;
}

QToolButton* pickButton(const char* name, QWidget* parent)
{
    auto* button = named(new QToolButton(parent), name);
    button->setText(QStringLiteral("..."));
    button->setToolTip(QStringLiteral("Установить колонку выбранной ячейки"));
    return button;
}

void selectItem(QComboBox* list, int index)
{
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : 0);
}

void BarProgress::start(const QString& text, int steps)
{
    if (label_ && !text.isEmpty())
        label_->setText(text);
    value_ = 0;
    bar_->setRange(0, std::max(steps, 1));
    bar_->setValue(0);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void BarProgress::step(int count)
{
    const int before = value_;
    value_ += count;
    // Repainting on every row would cost more than the work.
    if (value_ / 500 != before / 500 || value_ >= bar_->maximum()) {
        bar_->setValue(std::min(value_, bar_->maximum()));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

} // namespace velmora::catalogue
