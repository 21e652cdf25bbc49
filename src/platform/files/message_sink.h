#pragma once

#include <QString>

#include <functional>

namespace velmora {

// Where plain code and the windows send the messages the user must see. The
// program passes the sinks of app/user_dialogs (message boxes); tests pass
// ones that record the texts. A text may hold CR ("\r") as its line break,
// exactly as the program's messages are written.
using MessageSink = std::function<void(const QString& text)>;

// A Yes/No question put to the user the same way; true for Yes.
using Question = std::function<bool(const QString& text)>;

} // namespace velmora
