#include "app_folders.h"
#include "program.h"
#include "user_dialogs.h"
#include "velmora_application.h"

#include <QByteArray>

using namespace velmora;

// VELMORA_TEST_CLOSE_AFTER_MS (for tests only): no dialog waits for a
// user (messages go to standard error), the splash does not wait, and the
// main window closes this many milliseconds after it has been shown.
int main(int argc, char** argv)
{
    VelmoraApplication app(argc, argv);

    ProgramOptions options;
    options.folders = {programFolderOfExecutable(), dataFolderFromEnvironment(), currentUserName()};
    bool scripted = false;
    const int closeAfter = qEnvironmentVariableIntValue("VELMORA_TEST_CLOSE_AFTER_MS", &scripted);
    if (scripted) {
        options.interactive = false;
        options.mainWindow.closeAfterShowMs = closeAfter;
        app.setErrorSink(scriptedDialogs().message);
    }

    Program program(std::move(options));
    if (!program.start())
        return 1;
    return program.exec();
}
