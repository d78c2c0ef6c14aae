#pragma once

#include "fake_system.h"
#include "hive.h"
#include "main_window.h"
#include "scripted_dialogs.h"
#include "settings.h"
#include "test_deployment.h"
#include "usb_devices.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A computer for the main window: a documents folder, a settings hive, scripted dialogs,
// folder-backed sticks and a USB monitor the test fires by hand, all under one temp dir.
struct MainWindowFixture : ::testing::Test {
    const QString kKey = QStringLiteral("\\software\\Torvanex\\Zentrivo");
    QTemporaryDir tmp;
    QString docs = tmp.filePath(QStringLiteral("Documents"));
    QString hivePath = tmp.filePath(QStringLiteral("hive"));
    RegFileHive hive{hivePath};
    ScriptedDialogs dialogs;
    FakeSystem system{docs, QStringLiteral("WORKSHOP-PC")};
    tInfo info{hive, dialogs};
    FolderDriveProvider drives;
    ManualDeviceMonitor monitor;

    void SetUp() override {
        QDir().mkpath(docs);
        info.RegPath = kKey;
    }

    QString ErrorLogPath() const { return tmp.filePath(QStringLiteral("Zentrivo Error.log")); }

    TMainFrmServices Services(tInfo* settings = nullptr, TRandom16* random = nullptr) {
        TMainFrmServices s;
        s.Deploy = TestDeployment();
        s.System = &system;
        s.Info = settings ? settings : &info;
        s.Dialogs = &dialogs;
        s.ErrorLogPath = ErrorLogPath();
        s.Drives = &drives;
        s.Monitor = &monitor;
        s.Random = random;
        return s;
    }
};
