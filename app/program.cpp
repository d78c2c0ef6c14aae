#include "program.h"

#include "DownloadListV.h"
#include "about_box.h"
#include "error_log.h"
#include "main_window.h"
#include "settings.h"
#include "single_instance.h"
#include "user_dialogs.h"

#include <QApplication>

int ProgramEntry(ProgramEnv& env) {
    // 1. One copy at a time.
    NamedMutex mutex(QStringLiteral("Zentrivo"), env.MutexFolder);
    if (!mutex.Acquire()) {
        env.Dialogs->Message(QStringLiteral("Program already running"), MsgIcon::Warning,
                             MsgButtons::Ok, QStringLiteral("Zentrivo"));
        return 0;
    }

    // 2. The settings store.
    tInfo Info(*env.Registry, *env.Dialogs);
    Info.RegPath = env.Deploy.RegistryKey;

    // 3. The windows, in this order.
    TMainFrmServices services;
    services.Deploy = env.Deploy;
    services.System = env.System;
    services.Info = &Info;
    services.Dialogs = env.Dialogs;
    services.Drives = env.Drives;
    services.Monitor = env.Monitor;
    if (!env.ErrorLogPath.isEmpty())
        services.ErrorLogPath = env.ErrorLogPath;
    TMainFrm MainFrm(services);
    TOKRightDlg OKRightDlg(&MainFrm);
    MainFrm.OKRightDlg = &OKRightDlg;
    TAboutBox AboutBox(Info);

    // 4. The update component logs as the setting says.
    MainFrm.Guard([&] {
        const QVariant log = Info.ReturnVariable(ivLOGWEBUPDATE);
        MainFrm.WebUpdate1.Logging = log.isValid() && log.toBool();
        MainFrm.WebUpdate1.LogFileName = env.Deploy.UpdateLogFileName;
    });

    // 5. The splash, before the main window shows.
    if (env.ShowAboutBox)
        AboutBox.exec();

    // 6. The loop; 7. the mutex is released on the way out.
    if (env.RunLoop)
        return env.RunLoop(MainFrm, OKRightDlg, AboutBox);
    MainFrm.show();
    return QApplication::exec();
}
