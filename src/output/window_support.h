#pragma once

#include "platform/files/message_sink.h"
#include "platform/files/progress.h"

#include <QPointer>
#include <QProgressBar>

namespace velmora::output {

// What the pricing and export windows put to the user; without them
// nothing is shown and every question is answered No.
struct WindowDialogs {
    MessageSink message;
    Question confirm;

    void tell(const QString& text) const
    {
        if (message)
            message(text);
    }
    bool ask(const QString& text) const { return confirm && confirm(text); }
};

// A progress bar of a window as the operations' Progress: the work blocks
// the event loop, so the bar repaints itself each time it has moved on by
// a hundredth of its range.
class ProgressBarProgress : public Progress {
public:
    explicit ProgressBarProgress(QProgressBar* bar) : bar_(bar) {}

    void start(const QString&, int steps) override
    {
        if (!bar_)
            return;
        bar_->setRange(0, qMax(steps, 1));
        bar_->setValue(0);
        painted_ = 0;
        bar_->repaint();
    }
    void step(int count) override
    {
        if (!bar_)
            return;
        const int value = qMin(bar_->value() + count, bar_->maximum());
        bar_->setValue(value);
        if (value - painted_ >= qMax(1, bar_->maximum() / 100) || value == bar_->maximum()) {
            painted_ = value;
            bar_->repaint();
        }
    }

private:
    QPointer<QProgressBar> bar_;
    int painted_ = 0;
};

} // namespace velmora::output
