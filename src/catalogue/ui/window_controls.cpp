#include "window_controls.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>

namespace velmora::catalogue {

const QString kWorkbookFilter = QStringLiteral("Файлы Excel (*.xls *.xlsx);;Все файлы (*)");

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
