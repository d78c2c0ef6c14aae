#pragma once

#include "deploy_constants.h"

#include <QString>
#include <functional>

class Hive;
class DriveProvider;
class DeviceMonitor;
class SystemServices;
class UserDialogs;
class TMainFrm;
class TOKRightDlg;
class TAboutBox;

// What the program entry runs with; main() hands the real services.
struct ProgramEnv {
    Deployment Deploy = Deployment::Compiled();
    SystemServices* System = nullptr;
    Hive* Registry = nullptr;
    UserDialogs* Dialogs = nullptr;
    DriveProvider* Drives = nullptr; // empty: the platform's own
    DeviceMonitor* Monitor = nullptr;
    QString MutexFolder;      // empty: the user's runtime folder
    QString ErrorLogPath;     // empty: the default log
    bool ShowAboutBox = true; // modal splash before the loop
    // Runs the event loop with the created windows; the default shows the main window
    // and runs the application's loop.
    std::function<int(TMainFrm&, TOKRightDlg&, TAboutBox&)> RunLoop;
};

// Start-up in its order: the named mutex, the settings key, the three windows, the
// update logging, the about box, the loop. Returns the exit code; 0 when another copy
// is running (after the warning).
int ProgramEntry(ProgramEnv& env);
