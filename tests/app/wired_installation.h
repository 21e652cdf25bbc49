#pragma once

#include "app/program.h"
#include "app_test_support.h"
#include "suppliers/loader/load_queue_panel.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace velmora::testing {

// An installation whose default price database already holds what a case
// needs; the program copies it into the fresh data folder at its start.
struct WiredInstallation : Installation {
    QStringList messages;
    QStringList questions;
    bool answer = false;

    db::Connection priceDefaults() { return db::Connection(program + QStringLiteral("PRICE.vdb")); }

    ProgramOptions options(const QString& user = QStringLiteral("anna"))
    {
        ProgramOptions o;
        o.folders = {program, data, user};
        o.dialogs.message = [this](const QString& text) { messages << text; };
        o.dialogs.confirm = [this](const QString& text) {
            questions << text;
            return answer;
        };
        o.dialogs.openFileName = [](QWidget*, const QString&) { return QString(); };
        o.interactive = false;
        return o;
    }
};

// Waits until the load queue panel has no run going on: its thread has
// ended and the panel has done its end-of-run steps (the button, the goods
// shown again). The button's caption alone turns back a moment earlier,
// with the run's last status.
inline bool waitForLoadRunEnd(QWidget& form, int ms = 60000)
{
    const auto* panel = form.findChild<loader::LoadQueuePanel*>();
    return panel && waitFor([panel] { return !panel->isLoadRunning(); }, ms);
}

// Runs `drive` on the modal window `name` (a child of the main window)
// once `open` has shown it, then closes it.
template <typename Window>
void driveModal(QWidget& form, const char* name, const std::function<void()>& open,
                const std::function<void(Window*)>& drive)
{
    bool driven = false;
    QTimer::singleShot(0, &form, [&] {
        // A failed check inside `drive` returns from it; the window closes
        // all the same, so the test goes on.
        auto* window = form.findChild<Window*>(QLatin1String(name));
        EXPECT_NE(window, nullptr) << name;
        if (!window)
            return;
        EXPECT_TRUE(window->isVisible()) << name;
        drive(window);
        driven = true;
        window->close();
    });
    open();
    EXPECT_TRUE(driven) << name;
}

} // namespace velmora::testing
