#pragma once

#include "app_globals.h"
#include "form_main.h"
#include "startup_databases.h"
#include "user_dialogs.h"

#include <memory>

namespace velmora {

class Form_About;
class Form_Logo;
class Form_Progress;

struct ProgramOptions {
    StartupFolders folders;
    // The dialogs put to the user; empty members are filled with message
    // boxes (or, when not interactive, with the scripted ones).
    UserDialogs dialogs;
    // false: no dialog waits for a user, and the splash does not wait.
    bool interactive = true;
    MainWindowOptions mainWindow;
};

// The program body: the global values, the windows (each created once, the
// main window first, whose create handler runs before any other window
// exists) and the run of the message loop.
class Program {
public:
    explicit Program(ProgramOptions options);
    ~Program();

    // Creates the windows and shows the main window; false when start-up
    // failed and the program is to end.
    bool start();
    // Runs the message loop; returns the exit code.
    int exec();

    AppGlobals& globals() { return globals_; }
    velmora::Form_main* Form_main() const { return Form_main_.get(); }
    velmora::Form_Progress* Form_Progress() const { return Form_Progress_.get(); }
    velmora::Form_About* Form_About() const { return Form_About_.get(); }
    velmora::Form_Logo* Form_Logo() const { return Form_Logo_.get(); }

private:
    ProgramOptions options_;
    AppGlobals globals_;
    // Declared first so that it is destroyed last: the other windows are its
    // children and leave it as they go.
    std::unique_ptr<velmora::Form_main> Form_main_;
    std::unique_ptr<velmora::Form_Progress> Form_Progress_;
    std::unique_ptr<velmora::Form_About> Form_About_;
    std::unique_ptr<velmora::Form_Logo> Form_Logo_;
};

// Puts the subsystems' widgets into the main window's frame and sets its
// hooks. Runs after the frame is built and before the create handler, so
// that start-up finds the subsystems' controls by name.
void wireSubsystems(Program& program);

} // namespace velmora
