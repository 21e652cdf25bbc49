#pragma once

#include "platform/files/message_sink.h"

#include <QString>

#include <functional>

namespace velmora {

// Where the database commands (save, compaction, restore) report, so that
// they run as plain code on any thread: texts for the main status bar,
// messages the user must see (the command waits until the sink returns),
// and the pauses that let the user read a status text. Empty members do
// nothing.
struct MaintenanceReport {
    std::function<void(const QString& text)> status;
    MessageSink message;
    std::function<void(int milliseconds)> pause;

    void showStatus(const QString& text) const
    {
        if (status)
            status(text);
    }
    void say(const QString& text) const
    {
        if (message)
            message(text);
    }
    void wait(int milliseconds) const
    {
        if (pause)
            pause(milliseconds);
    }
};

} // namespace velmora
