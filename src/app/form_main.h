#pragma once

#include "app_globals.h"
#include "main_hooks.h"
#include "platform/db/connection.h"
#include "startup_databases.h"
#include "startup_settings.h"
#include "user_dialogs.h"

#include <QMainWindow>

#include <functional>

class QTimer;

namespace velmora {

class Form_Logo;

// How the main window behaves outside a user's session.
struct MainWindowOptions {
    // Closes the window this many milliseconds after its first showing has
    // run (scripted runs); negative: never.
    int closeAfterShowMs = -1;
    // Starts the program again (after both connections closed); empty: a
    // detached new process of the program's own file.
    std::function<void()> startProgramAgain;
};

// The main window. It owns both database connections for the whole run;
// the other windows and subsystems work on them. Its frame holds named,
// empty containers into which the subsystems put their widgets
// (placeWidget); every start-up step that shows, hides, enables or
// captions a control finds it by name and skips it when it is not there.
class Form_main : public QMainWindow {
    Q_OBJECT
public:
    Form_main(AppGlobals& globals, StartupFolders folders, UserDialogs dialogs, MainWindowOptions options = {},
              QWidget* parent = nullptr);
    ~Form_main() override;

    db::Connection ADOConnection;       // price database
    db::Connection ADOConnection_Zakaz; // order database

    AppGlobals& globals() const { return globals_; }
    const StartupFolders& folders() const { return folders_; }
    MainHooks& hooks() { return hooks_; }
    const UserDialogs& dialogs() const { return dialogs_; }

    // Puts a subsystem's widget into the named container of the frame (a
    // panel, a page of PageControl_Sootv, the tool bar, the status bar);
    // false when there is no such container.
    bool placeWidget(const QString& containerName, QWidget* widget);

    // The window shown modally at the first showing.
    void setSplash(Form_Logo* splash) { splash_ = splash; }
    // The about window, for AboutClick.
    void setAboutWindow(QDialog* about) { about_ = about; }

    // Start-up: databases, role, settings, schema. False when the program is
    // to end (the reason has been shown).
    bool FormCreate();
    // The first showing: splash, timers, controls restored from settings.
    void FormShow();
    // Closing: releases what the settings page holds, stores the close-time
    // settings, writes the price-list settings file when due.
    void FormClose();
    // Applies the role of CheckBox_LoadBasePostav (or of IsLoadAdmin when the
    // box is not there) to the setting and the administrator's controls.
    void ApplyAdminRole();
    // Lets the user pick a price database; true when this run is to end
    // (the program was started again to use it).
    bool ChooseDatabaseFile();
    void AboutClick();
    void ProgramExitClick();
    // Ends this run for a new one: closes both connections, starts the
    // program again and requests the end of this run.
    void restartProgram();

    bool endRequested() const { return endRequested_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildFrame();
    void requestProgramEnd();
    void showAdminRole(bool autoExportPrice);
    void showAdminControls(bool autoExportPrice);
    void applyClientModes();
    void applySearchOptions(const StartupSettings& settings);
    void Timer_PostavNewTimer();

    // Steps on controls found by name; a missing control is skipped.
    void setControlVisible(const QString& name, bool visible);
    void setControlEnabled(const QString& name, bool enabled);
    void setControlChecked(const QString& name, bool checked);
    void setControlHint(const QString& name, const QString& hint);
    void setControlCaption(const QString& name, const QString& caption);

    AppGlobals& globals_;
    StartupFolders folders_;
    UserDialogs dialogs_;
    MainWindowOptions options_;
    MainHooks hooks_;
    Form_Logo* splash_ = nullptr;
    QDialog* about_ = nullptr;
    QTimer* Timer_PostavNew = nullptr;
    bool shown_ = false;
    bool endRequested_ = false;
};

} // namespace velmora
