#include "velmora_application.h"

#include "missing_qt_texts.h"
#include "platform/files/error_text.h"
#include "screen_fit.h"
#include "user_dialogs.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <new>
#include <cstdio>
#include <exception>

namespace velmora {

VelmoraApplication::VelmoraApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // The application title: the product name followed by one blank.
    setApplicationName(QStringLiteral("Velmora "));
    useRussianFormats();
    installRussianTranslations();
    // Every window opens on the screen, whatever size it asked for.
    installEventFilter(new ScreenFit(this));
}

void VelmoraApplication::useRussianFormats()
{
    // Dates, numbers and the file types of the file dialog as a Russian
    // user writes them, whatever the system's locale: "11.12.2026",
    // "92,5". Digits are not grouped: prices and rates are copied into
    // other programs.
    QLocale russian(QLocale::Russian, QLocale::Russia);
    russian.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(russian);
}

void VelmoraApplication::installRussianTranslations()
{
    // The program speaks Russian whatever the user's locale: Qt's own
    // buttons, file dialogs and context menus as well as its texts.
    auto* translator = new QTranslator(this);
    if (translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        translated_ = installTranslator(translator);
    else
        delete translator;
    installTranslator(new MissingQtTexts(this));
}

bool VelmoraApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        reportError(ErrorText(error));
    } catch (...) {
        reportError(QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}

void VelmoraApplication::reportError(const QString& text)
{
    // An error raised while the previous one is on screen goes to the
    // console rather than stacking message boxes.
    if (reporting_) {
        std::fprintf(stderr, "%s\n", displayText(text).toLocal8Bit().constData());
        return;
    }
    reporting_ = true;
    if (errorSink_)
        errorSink_(text);
    else
        messageBoxDialogs().error(text);
    reporting_ = false;
}

} // namespace velmora
