#pragma once

#include <QString>

#include <functional>

namespace velmora {

// Where plain code sends the messages the user must see. Windows pass a sink
// that shows a message box; tests pass one that records the texts. A text
// may hold CR ("\r") as its line break, exactly as the program's messages
// are written.
using MessageSink = std::function<void(const QString& text)>;

} // namespace velmora
