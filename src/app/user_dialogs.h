#pragma once

#include "platform/files/message_sink.h"

#include <QString>

#include <functional>

class QWidget;

namespace velmora {

// The dialogs the start-up and the main window put to the user. Windows use
// message boxes; tests and scripted runs replace them.
struct UserDialogs {
    // A notice with one OK button.
    MessageSink message;
    // An error with one OK button.
    MessageSink error;
    // A warning with one OK button: a command that failed or refused.
    MessageSink warning;
    // A question with Yes and No; true for Yes.
    Question confirm;
    // An open-file dialog; an empty name when cancelled.
    std::function<QString(QWidget* parent, const QString& filter)> openFileName;
    // A folder dialog; an empty name when cancelled.
    std::function<QString(QWidget* parent, const QString& caption)> folderName;
};

// The sink of a warning: `warning`, else `error`, else `message` (a
// scripted run or a test may set only some).
const MessageSink& warningSink(const UserDialogs& dialogs);

// Message boxes over the active window.
UserDialogs messageBoxDialogs();

// No window at all: texts go to standard error, questions are answered No,
// file and folder choices are cancelled.
UserDialogs scriptedDialogs();

// A stored text as a message window shows it: CR becomes a line break.
QString displayText(const QString& storedText);

} // namespace velmora
