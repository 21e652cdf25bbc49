#include "wait_window_progress.h"

#include "form_main.h"
#include "form_progress.h"

#include <QProgressBar>

namespace velmora {

orders::ExportProgress waitWindowProgress(Form_main& form, const QString& text)
{
    orders::ExportProgress progress;
    progress.begin = [&form, text](int steps) {
        if (auto* wait = form.findChild<Form_Progress*>())
            wait->begin(text, steps);
    };
    progress.step = [&form] {
        if (auto* wait = form.findChild<Form_Progress*>())
            wait->stepIt();
    };
    progress.finish = [&form] {
        if (auto* wait = form.findChild<Form_Progress*>())
            wait->finish();
    };
    return progress;
}

} // namespace velmora

namespace velmora {

Form_Progress* WaitWindowProgress::window() const
{
    return form_.findChild<Form_Progress*>();
}

void WaitWindowProgress::start(const QString& text, int steps)
{
    if (Form_Progress* wait = window()) {
        wait->begin(text, steps);
        painted_ = 0;
    }
}

void WaitWindowProgress::step(int count)
{
    Form_Progress* wait = window();
    if (!wait)
        return;
    QProgressBar* bar = wait->ProgressBar_Out();
    const int value = qMin(bar->value() + count, bar->maximum());
    bar->setValue(value);
    if (value - painted_ >= qMax(1, bar->maximum() / 100) || value == bar->maximum()) {
        painted_ = value;
        wait->repaintNow();
    }
}

void WaitWindowProgress::finish()
{
    if (Form_Progress* wait = window())
        wait->finish();
}

} // namespace velmora
