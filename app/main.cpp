// Zentrivo: firmware files for the boards, onto USB sticks.
#include "hive.h"
#include "program.h"
#include "qt_user_dialogs.h"
#include "system_services.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zentrivo"));
    PlatformSystemServices system;
    QtUserDialogs dialogs;
    std::unique_ptr<Hive> hive = CreatePlatformHive();
    ProgramEnv env;
    env.System = &system;
    env.Registry = hive.get();
    env.Dialogs = &dialogs;
    return ProgramEntry(env);
}
