#include "DownloadListV.h"
#include "about_box.h"
#include "fake_system.h"
#include "hive.h"
#include "main_window.h"
#include "program.h"
#include "scripted_dialogs.h"
#include "settings.h"
#include "single_instance.h"
#include "test_deployment.h"
#include "usb_devices.h"
#include "version_info.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include "window_fixture.h"

namespace {

struct WindowFixture : MainWindowFixture {

    std::unique_ptr<TMainFrm> MakeWindow() { return std::make_unique<TMainFrm>(Services()); }

    static void ShowPage(TMainFrm& w, QWidget* page) { w.AdvPager->setCurrentWidget(page); }
};

bool Shown(QWidget* w, QWidget* window) {
    return w->isVisibleTo(window);
}

} // namespace

TEST_F(WindowFixture, FirstStartCreatesTheFolderTreeButNotTheHX310Folder) {
    const QString product = docs + QStringLiteral("/Zentrivo/");
    QDir().mkpath(product + QStringLiteral("K310_mf"));
    QFile keep(product + QStringLiteral("K310_mf/K310V4_LoadOnly.kfwf"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("firmware");
    keep.close();

    auto w = MakeWindow();
    for (const char* f : {"K310_mf", "P310_mf", "W310_mf", "V8800_mf"})
        EXPECT_TRUE(QFileInfo(product + QString::fromLatin1(f)).isDir()) << f;
    EXPECT_FALSE(QFileInfo::exists(product + QStringLiteral("HX310_mf")));
    ASSERT_TRUE(keep.open(QIODevice::ReadOnly));
    EXPECT_EQ(keep.readAll(), QByteArray("firmware"));
    EXPECT_EQ(w->DocsPathFileName, docs);
    EXPECT_EQ(w->xUSBDrv, QStringLiteral("-"));
    EXPECT_TRUE(dialogs.Messages.isEmpty()) << dialogs.Texts().join('|').toStdString();
    // A first start stores the check time, so the splash will not contact the server.
    EXPECT_TRUE(
        TAboutBox::ParseCheckTime(info.ReturnVariable(ivLASTVERSIONCHECK).toString()).isValid());
}

TEST_F(WindowFixture, StartStateOfTheControls) {
    auto w = MakeWindow();
    w->show();
    const VersionInfo v = VersionInfo::Program();
    EXPECT_EQ(w->StatusPanels[0]->text(), QStringLiteral("Ver: ") + v.CommentsText);
    EXPECT_EQ(w->StatusPanels[1]->text(), QStringLiteral("Ver: ") + v.FileVersion);
    EXPECT_TRUE(w->StatusPanels[2]->text().isEmpty());
    EXPECT_EQ(w->size(), QSize(988, 499));
    EXPECT_EQ(w->AdvToolBarPager1->height(), 137);
    EXPECT_EQ(w->AdvToolBarPager1->currentWidget(), w->ToolsPage);
    EXPECT_EQ(w->AdvPager->currentWidget(), w->V8800ListPage);
    EXPECT_TRUE(w->ToolBarCaption().isEmpty());
    EXPECT_TRUE(w->ListPathFileName.isEmpty());
    // The V8800 page before any switch: frame and serial box shown, the rest hidden.
    EXPECT_TRUE(Shown(w->V8800Frame, w.get()));
    EXPECT_TRUE(Shown(w->SerialNumberEDT, w.get()));
    EXPECT_EQ(w->SerialNumberEDT->text(), QStringLiteral("0000"));
    EXPECT_FALSE(Shown(w->PCBVersionRG, w.get()));
    EXPECT_FALSE(Shown(w->WriteWipeFileGB, w.get()));
    EXPECT_TRUE(Shown(w->SendMailGB, w.get()));
    EXPECT_FALSE(w->SendMailGB->isEnabled());
    // No stick yet: an empty list and writing disabled.
    EXPECT_TRUE(w->USBStickRG->Items().isEmpty());
    EXPECT_FALSE(w->USBWriteGB->isEnabled());
    EXPECT_FALSE(Shown(w->DownloadAllGB, w.get()));
    EXPECT_FALSE(w->DownloadAllGB->isEnabled());
    EXPECT_EQ(w->DownloadAllGB->text(), QStringLiteral("No Files to Download"));
    EXPECT_EQ(w->FileTypeCB->Items(),
              (QStringList{"Moment Capture Data", "Radius Adjust Data", "EEprom Backup Data",
                           "Text File", "All Files"}));
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(w->FileTypeCB->Checked(i));
    EXPECT_EQ(w->AngleBrdVer, av4);
    EXPECT_EQ(w->PCBVersionRG->ItemIndex(), 3);
    EXPECT_FALSE(w->DebugLogging->isChecked());
    EXPECT_EQ(w->WebUpdate1.URL, w->Services().Deploy.UpdateControlFileURL);
    EXPECT_TRUE(w->WebUpdate1.URL.endsWith(QStringLiteral("/systemfw/Zentrivo.INF")));
    // Every named control of the layout can be found by its name.
    for (const char* name : {"AdvToolBarPager1",
                             "ToolsPage",
                             "WebPage",
                             "DevToolsPage",
                             "PCBVersionRG",
                             "BrowseFileGB",
                             "WriteWipeFileGB",
                             "SerialNumberEDT",
                             "USBWriteGB",
                             "USBStickRG",
                             "SendMailGB",
                             "DropBoxConnectGB",
                             "ConnLbl",
                             "DownloadAllGB",
                             "Write2HexGB",
                             "Write2DfuGB",
                             "AdvPager",
                             "V8800ListPage",
                             "K310Page",
                             "P310Page",
                             "W310Page",
                             "HX310Page",
                             "eMailPage",
                             "V8800Frame",
                             "K310Frame",
                             "P310Frame",
                             "W310Frame",
                             "HX310Frame",
                             "NL9000FileLBL",
                             "AttachedFileLBL",
                             "MailRecipientListCG",
                             "eMailNoteMemo",
                             "StatusMemo",
                             "DriveComboBox",
                             "DirectoryListBox",
                             "CheckFileListBox",
                             "FileTypeCB",
                             "StatusBar"})
        EXPECT_NE(w->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(w->findChild<TDataLabel*>(QStringLiteral("NL9000FileLBL"))->Data(),
              QStringLiteral("No File Selected"));
}

TEST_F(WindowFixture, DevToolsOnlyOnTheFirstAndThirdDeveloperComputer) {
    struct Case {
        const char* name;
        bool devTools;
    };
    const Case cases[] = {{"DEV-ONE", true},
                          {"DEV-TWO", false},
                          {"DEV-THREE", true},
                          {"dev-one", false},
                          {"WORKSHOP-PC", false}};
    for (const Case& c : cases) {
        system.Name = QString::fromLatin1(c.name);
        auto w = MakeWindow();
        w->show();
        const int tab = w->AdvToolBarPager1->indexOf(w->DevToolsPage);
        EXPECT_EQ(w->AdvToolBarPager1->isTabVisible(tab), c.devTools) << c.name;
        EXPECT_EQ(Shown(w->Write2HexGB, w.get()) || !w->Write2HexGB->isHidden(), c.devTools)
            << c.name;
        // After a switch back to V8800 the frame stays only on those computers.
        ShowPage(*w, w->K310Page);
        ShowPage(*w, w->V8800ListPage);
        EXPECT_EQ(Shown(w->V8800Frame, w.get()), c.devTools) << c.name;
    }
}

TEST_F(WindowFixture, PageSwitchingShowsThePageControls) {
    struct Case {
        const char* page;
        const char* folder; // nullptr: ListPathFileName unchanged
        bool pcb;
        int columns;
        bool serial;
        const char* wipe; // nullptr: wipe button hidden
        bool send;
    };
    const Case cases[] = {
        {"K310Page", "K310_mf", true, 2, false, "Create K310 wipe file", false},
        {"P310Page", "P310_mf", true, 1, false, "Create P310 wipe file", false},
        {"W310Page", "W310_mf", false, 0, false, "Create W310 wipe file", false},
        {"HX310Page", "HX310_mf", false, 0, false, "Create HX310 wipe file", false},
        {"eMailPage", nullptr, false, 0, false, nullptr, true},
        {"V8800ListPage", "V8800_mf", false, 0, true, nullptr, false},
    };
    auto w = MakeWindow();
    w->show();
    ShowPage(*w, w->P310Page); // so the e-mail page has a folder to keep
    for (const Case& c : cases) {
        const QString before = w->ListPathFileName;
        ShowPage(*w, w->findChild<QWidget*>(QString::fromLatin1(c.page)));
        SCOPED_TRACE(c.page);
        if (c.folder) {
            EXPECT_EQ(w->ListPathFileName, docs + "/Zentrivo/" + QString::fromLatin1(c.folder));
        } else {
            EXPECT_EQ(w->ListPathFileName, before);
        }
        if (c.page != std::string("eMailPage")) {
            EXPECT_EQ(Shown(w->PCBVersionRG, w.get()), c.pcb);
        }
        if (c.pcb) {
            EXPECT_EQ(w->PCBVersionRG->Columns(), c.columns);
        }
        EXPECT_EQ(Shown(w->SerialNumberEDT, w.get()), c.serial);
        EXPECT_EQ(Shown(w->WriteWipeFileGB, w.get()), c.wipe != nullptr);
        if (c.wipe) {
            EXPECT_EQ(w->WriteWipeFileGB->text(), QString::fromLatin1(c.wipe));
        }
        EXPECT_EQ(Shown(w->SendMailGB, w.get()), c.send);
        if (c.send) {
            EXPECT_FALSE(w->SendMailGB->isEnabled());
            EXPECT_EQ(w->MailRecipientListCG->Items(),
                      (QStringList{"Maren (Office PC)", "Ivo (Management)", "Pim (Technical)"}));
        }
    }
    EXPECT_FALSE(QFileInfo::exists(docs + QStringLiteral("/Zentrivo/HX310_mf")));
}

TEST_F(WindowFixture, FailingStepIsLoggedShownOnceAndEndsTheCreation) {
    // A file where the product folder belongs: the folder tree cannot be made.
    QFile block(docs + QStringLiteral("/Zentrivo"));
    ASSERT_TRUE(block.open(QIODevice::WriteOnly));
    block.close();
    auto w = MakeWindow();
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Icon, MsgIcon::Error);
    EXPECT_TRUE(dialogs.Messages[0].Text.startsWith(QStringLiteral("Could not create the folder")));
    // Steps before the failure ran, the ones after it did not.
    EXPECT_TRUE(w->StatusPanels[0]->text().startsWith(QStringLiteral("Ver: ")));
    EXPECT_FALSE(w->SendMailGB->isEnabled());
    EXPECT_TRUE(w->FileTypeCB->Items().isEmpty());
    EXPECT_FALSE(hive.ReadValue(kKey, QStringLiteral("Version Check")).has_value());
    QFile log(tmp.filePath(QStringLiteral("Zentrivo Error.log")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(log.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Error Time Stamp: ")));
    EXPECT_EQ(lines[1], QStringLiteral("Error Class: EInOutError"));
    EXPECT_EQ(lines[2], QStringLiteral("Error Message: ") + dialogs.Messages[0].Text);
}

TEST_F(WindowFixture, MissingDocumentsFolderIsReported) {
    system.Docs.clear();
    auto w = MakeWindow();
    EXPECT_EQ(dialogs.Texts(),
              QStringList{QStringLiteral("Could not find My Documents folder location.")});
    EXPECT_TRUE(w->DocsPathFileName.isEmpty());
}

TEST_F(WindowFixture, ScreenshotOfEveryBoardPage) {
    system.Name = QStringLiteral("DEV-ONE");
    auto w = MakeWindow();
    w->show();
    const QString out = QStringLiteral(ZENTRIVO_BINARY_DIR) + QStringLiteral("/screenshots");
    QDir().mkpath(out);
    for (int i = 0; i < w->AdvPager->count(); ++i) {
        w->AdvPager->setCurrentIndex(i);
        QApplication::processEvents();
        const QString file =
            out + QStringLiteral("/main_%1.png").arg(w->AdvPager->widget(i)->objectName());
        ASSERT_TRUE(w->grab().save(file)) << file.toStdString();
        EXPECT_GT(QFileInfo(file).size(), 1000);
    }
}

struct ProgramFixture : WindowFixture {
    QString lockDir = tmp.filePath(QStringLiteral("run"));
    ProgramEnv Env() {
        ProgramEnv env;
        env.Deploy = TestDeployment();
        env.System = &system;
        env.Registry = &hive;
        env.Dialogs = &dialogs;
        env.MutexFolder = lockDir;
        env.Drives = &drives;
        env.Monitor = &monitor;
        env.ErrorLogPath = tmp.filePath(QStringLiteral("Zentrivo Error.log"));
        return env;
    }
};

TEST_F(ProgramFixture, SecondCopyWarnsAndCreatesNoWindow) {
    QDir().mkpath(lockDir);
    NamedMutex running(QStringLiteral("Zentrivo"), lockDir);
    ASSERT_TRUE(running.Acquire());
    ProgramEnv env = Env();
    bool looped = false;
    env.RunLoop = [&](TMainFrm&, TOKRightDlg&, TAboutBox&) {
        looped = true;
        return 0;
    };
    EXPECT_EQ(ProgramEntry(env), 0);
    EXPECT_FALSE(looped);
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Text, QStringLiteral("Program already running"));
    EXPECT_EQ(dialogs.Messages[0].Caption, QStringLiteral("Zentrivo"));
    EXPECT_EQ(dialogs.Messages[0].Icon, MsgIcon::Warning);
    EXPECT_FALSE(QFileInfo::exists(docs + QStringLiteral("/Zentrivo")));
    EXPECT_TRUE(running.Owned());
}

TEST_F(ProgramFixture, FirstStartShowsTheSplashWhichClosesItself) {
    hive.WriteValue(kKey, QStringLiteral("Log WebUpdate"), HiveValue::DWord(5));
    ProgramEnv env = Env();
    QString label;
    bool logging = false;
    env.RunLoop = [&](TMainFrm& main, TOKRightDlg& web, TAboutBox& about) {
        label = about.UpdateLBL->text();
        logging = main.WebUpdate1.Logging;
        EXPECT_EQ(web.windowTitle(), QStringLiteral("Web File List"));
        EXPECT_FALSE(about.isVisible());
        EXPECT_EQ(about.VersionLBL->text(),
                  QStringLiteral("Version : ") + VersionInfo::Program().FileVersion);
        return 7;
    };
    EXPECT_EQ(ProgramEntry(env), 7);
    EXPECT_EQ(label, QStringLiteral("Updates Checked Recently"));
    EXPECT_TRUE(logging);
    EXPECT_TRUE(dialogs.Messages.isEmpty()) << dialogs.Texts().join('|').toStdString();
    // The lock is free again once the program has ended.
    NamedMutex after(QStringLiteral("Zentrivo"), lockDir);
    EXPECT_TRUE(after.Acquire());
}

TEST_F(WindowFixture, AboutBoxCountsDownFromTheStoredCheckDate) {
    struct Case {
        const char* name;
        QString stored;
        bool recently;
    };
    const QLocale l = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    const Case cases[] = {
        {"today", l.toString(now, QLocale::ShortFormat), true},
        {"a later day", l.toString(now.addDays(3), QLocale::ShortFormat), true},
        {"an earlier day", l.toString(now.addDays(-1), QLocale::ShortFormat), false},
        {"unreadable text", QStringLiteral("not a date"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        info.SetVariable(ivLASTVERSIONCHECK, c.stored);
        TAboutBox box(info);
        box.Timer->stop(); // ticks are driven by hand
        EXPECT_TRUE(box.UpdateLBL->text().isEmpty());
        EXPECT_EQ(box.DateLBL->text(), VersionInfo::Program().CommentsText);
        box.show();
        for (int tick = 1; tick <= 3; ++tick) {
            box.TimerTimer();
            EXPECT_TRUE(box.isVisible()) << tick;
        }
        EXPECT_EQ(box.UpdateLBL->text(),
                  c.recently ? QStringLiteral("Updates Checked Recently") : QString());
        box.TimerTimer(); // the fourth tick closes it
        EXPECT_FALSE(box.isVisible());
        EXPECT_EQ(box.UpdateCheckState, usIdle);
    }
}
