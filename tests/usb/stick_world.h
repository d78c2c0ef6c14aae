#pragma once

#include "test_files.h"

#include "scripted_dialogs.h"
#include "stick_write.h"
#include "usb_class.h"
#include "usb_devices.h"
#include "usb_stick_list.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>

// Random values the test chose; repeats the last one when the queue runs dry.
class ScriptedRandom : public TRandom16 {
public:
    quint16 Next() override {
        if (Values.size() > 1) {
            const quint16 v = Values.front();
            Values.pop_front();
            return v;
        }
        return Values.empty() ? 0 : Values.front();
    }
    std::deque<quint16> Values;
};

// A PC with folder-backed sticks, a monitor the test fires, and the stick core on top.
struct StickWorld {
    QTemporaryDir Temp;
    FolderDriveProvider Drives;
    ManualDeviceMonitor Monitor;
    TUsbClass Usb{Drives, Monitor};
    ScriptedDialogs Dialogs;
    TUsbStickList Sticks{Usb, Dialogs};
    ScriptedRandom Random;
    TStickWriteFlow Flow{Sticks, Dialogs, Random};

    // A stick folder under the temporary folder (or at `root` when given).
    QString AddStick(const QString& name, const QString& label, const QString& fs = "FAT32",
                     qint64 size = 4000000000, QString root = QString()) {
        if (root.isEmpty())
            root = Temp.filePath(name);
        QDir().mkpath(root);
        Drives.Insert({root, label, fs, size});
        return root;
    }

    // Wires the watcher to the list as the main window does.
    void Wire() {
        Usb.SetOnUsbInsertion([this](TUsbClass*, const QString&, const QString&, const QString&) {
            Sticks.UsbInserted();
        });
        Usb.SetOnUsbRemoval([this](TUsbClass*, const QString&, const QString&, const QString&) {
            Sticks.UsbRemoved();
        });
    }
};
