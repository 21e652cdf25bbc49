#pragma once

#include "orders/order_exports.h"
#include "platform/files/progress.h"

#include <QString>

namespace velmora {

class Form_main;
class Form_Progress;

// The wait window (Form_Progress) driven by an order workbook's progress:
// shown with `text` (its default text when empty) at the first step count,
// stepped, closed at the end. The window is made after the frame, so it is
// looked up when the work runs.
orders::ExportProgress waitWindowProgress(Form_main& form, const QString& text = {});

// The wait window as the progress of a pricing or output operation, looked
// up the same way; it repaints about a hundred times over a stretch.
class WaitWindowProgress : public Progress {
public:
    explicit WaitWindowProgress(Form_main& form) : form_(form) {}

    void start(const QString& text, int steps) override;
    void step(int count) override;
    void finish() override;

private:
    Form_Progress* window() const;

    Form_main& form_;
    int painted_ = 0;
};

} // namespace velmora
