#pragma once

#include "platform/files/message_sink.h"

#include <QApplication>

namespace velmora {

// The application object. An exception that escapes an event handler ends
// here: it is shown to the user and the program goes on.
class VelmoraApplication : public QApplication {
    Q_OBJECT
public:
    VelmoraApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Where escaped errors are shown; a message box by default.
    void setErrorSink(MessageSink sink) { errorSink_ = std::move(sink); }

    // Qt's Russian catalogues (false: none was found).
    bool hasRussianTranslations() const { return translated_; }

private:
    void useRussianFormats();
    void installRussianTranslations();
    void reportError(const QString& text);

    MessageSink errorSink_;
    bool reporting_ = false;
    bool translated_ = false;
};

} // namespace velmora
