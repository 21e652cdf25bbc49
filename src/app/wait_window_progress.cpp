#include "wait_window_progress.h"

#include "form_main.h"
#include "form_progress.h"

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
