#pragma once

#include "catalogue.h"
#include "controls.h"
#include "deploy_constants.h"
#include "error_log.h"

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QStatusBar;
class QTabWidget;
class QToolButton;
class QTreeView;
class SystemServices;
class UserDialogs;
class tInfo;

// What the main window is handed by the program entry (tests hand their own).
struct TMainFrmServices {
    Deployment Deploy;
    SystemServices* System = nullptr;
    tInfo* Info = nullptr;
    UserDialogs* Dialogs = nullptr;
    QString ErrorLogPath = DefaultErrorLogPath();
};

// Settings the update component is configured with at start-up; the component itself
// takes them over.
struct tWebUpdateConfig {
    QString Host;
    QString UserID;
    QString Password;
    QString URL;
    bool ConnectSilent = false;
    bool FtpUpdate = false;
    bool Logging = false;
    QString LogFileName;
};

// The file open dialog's state that outlives one browse: the chosen file.
struct TFileOpenDialogState {
    QString FileName;
};

class TMainFrm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainFrm(TMainFrmServices services, QWidget* parent = nullptr);
    ~TMainFrm() override;

    // --- Controls, each with its name as objectName ---
    QTabWidget* AdvToolBarPager1;
    QLabel* AdvToolBarPager1Caption; // the pager's caption area
    QWidget* ToolsPage;
    QWidget* WebPage;
    QWidget* DevToolsPage;
    TRadioGroup* PCBVersionRG;
    QToolButton* BrowseFileGB;
    QToolButton* WriteWipeFileGB;
    QLineEdit* SerialNumberEDT;
    QToolButton* USBWriteGB;
    TRadioGroup* USBStickRG;
    QMenu* EnableWriteUSBpum;
    QAction* EnableWritetoUSB1;
    QToolButton* SendMailGB;
    QToolButton* DropBoxConnectGB;
    QLabel* ConnLbl;
    QToolButton* DownloadAllGB;
    QToolButton* Write2HexGB;
    QToolButton* Write2DfuGB;

    QTabWidget* AdvPager;
    QWidget* V8800ListPage;
    QWidget* K310Page;
    QWidget* P310Page;
    QWidget* W310Page;
    QWidget* HX310Page;
    QWidget* eMailPage;
    TParameterFrame* V8800Frame;
    TParameterFrame* K310Frame;
    TParameterFrame* P310Frame;
    TParameterFrame* W310Frame;
    TParameterFrame* HX310Frame;
    TDataLabel* NL9000FileLBL;

    TDataLabel* AttachedFileLBL;
    TCheckGroup* MailRecipientListCG;
    QPlainTextEdit* eMailNoteMemo;
    QMenu* eMailPUM;
    QPlainTextEdit* StatusMemo;
    QComboBox* DriveComboBox;
    QTreeView* DirectoryListBox;
    QListWidget* CheckFileListBox;
    TCheckGroup* FileTypeCB;

    QStatusBar* StatusBar;
    QLabel* StatusPanels[4];
    QMenu* CheckUpdatesPUM;
    QAction* CheckVersion;
    QAction* DebugLogging;

    QTimer* USBDelayTimer;

    // --- Non-visual parts and state ---
    TFileOpenDialogState DirectoryBrowse;
    tWebUpdateConfig WebUpdate1;

    tAngleBrdVer AngleBrdVer = av4;
    tMotherBrdVer MotherBrdVer = kDefaultMotherBrdVer;
    QString xUSBDrv = QStringLiteral("-"); // the chosen stick's root, "-" for none
    QString xUSBFat;
    QString SourceFile;
    QString ListPathFileName;
    QString DocsPathFileName;
    bool DebugLog = false;
    bool USBAttached = false;
    bool FCancel = false;
    QStringList ADriveList;
    QStringList FileDataList;

    // --- Operations ---
    QString GetMyDocuments() const;
    // Documents folder + product folder, with '/' separators and a trailing '/'.
    QString ProductFolderPath() const;
    QString FamilyFolderPath(tSystem s) const;
    void FormCreate();
    void FormClose();
    void AdvPagerChange(int index);
    // Board family of a pager page; -1 for the e-mail page.
    int PageSystem(int index) const;
    void SetToolBarCaption(const QString& caption);
    QString ToolBarCaption() const;

    const TMainFrmServices& Services() const { return FServices; }
    ErrorHook& Hook() { return FHook; }
    bool IsPrimaryDeveloper() const;
    bool IsDeveloper() const;

    // Runs a handler body under the error hook.
    template <class F> void Guard(F&& body) { Guarded(FHook, std::forward<F>(body)); }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void BuildToolBar();
    void BuildBoardPager();
    void BuildEmailPage();
    void BuildStatusBar();
    void ForceFolder(const QString& path);
    void EnterFamilyPage(tSystem s);
    void DebugLoggingClick();

    TMainFrmServices FServices;
    ErrorHook FHook;
    bool FClosed = false;
};
