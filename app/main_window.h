#pragma once

#include "catalogue.h"
#include "controls.h"
#include "deploy_constants.h"
#include "error_log.h"
#include "pc_listing.h"
#include "stick_files.h"

#include <memory>
#include <optional>

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
class QTableWidget;
class QToolButton;
class QTreeView;
class SystemServices;
class UserDialogs;
class tInfo;
class DriveProvider;
class DeviceMonitor;
class TUsbClass;
class TUsbStickList;
class TStickWriteFlow;
class tDFUFile;
class TDropbox;
class TOKRightDlg;

// What the main window is handed by the program entry (tests hand their own).
struct TMainFrmServices {
    Deployment Deploy;
    SystemServices* System = nullptr;
    tInfo* Info = nullptr;
    UserDialogs* Dialogs = nullptr;
    QString ErrorLogPath = DefaultErrorLogPath();
    // The removable drives and the USB notifications; the platform's own when not set.
    DriveProvider* Drives = nullptr;
    DeviceMonitor* Monitor = nullptr;
    TRandom16* Random = nullptr; // the wipe and image tail bytes; the system's when not set
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

    // --- Board pages: application files on the PC and browsing ---
    void SetupPCBVersion_K310();
    void SetupPCBVersion_P310();
    // Layouts of both grids of a family and the PC listing of the current PCB version.
    void SetupFilesonPCSG(tSystem s);
    void SetupFilesonUSBSG(tSystem s);
    void ApplicationFilesonPC(tSystem s);
    // Both layouts and the listing of the current PCB version.
    void ListFamilyPage(tSystem s);
    void PCBVersionRGClick(int index);
    void FamilyFrameFilesonPCSGClickCell(tSystem s, int row, int column);
    void K310FrameFilesonPCSGClickCell(int row, int column);
    void P310FrameFilesonPCSGClickCell(int row, int column);
    void W310FrameFilesonPCSGClickCell(int row, int column);
    void HX310FrameFilesonPCSGClickCell(int row, int column);
    void V8800FrameFilesonPCSGClickCell(int row, int column);
    void BrowseFileGBClick();
    TParameterFrame* Frame(tSystem s) const;
    int PcbVersionOf(tSystem s) const;
    const std::optional<PcListing>& Listing(tSystem s) const { return FListings[s]; }
    tPcFiles& PcFiles() { return FPcFiles; }
    tPcSelection Selection() const;
    void ApplySelection(const tPcSelection& sel);

    // --- USB sticks ---
    void UsbInserted();
    void UsbRemoved();
    void USBStickRGClick(int index);
    void USBDelayTimerTimer();
    void USBWriteGBClick();
    void WriteWipeFileGBClick();
    void EnableWritetoUSB1Click();
    void FamilyFrameFilesonUSBSGClickCell(tSystem s, int row, int column);
    void V8800FrameFilesonUSBSGDragDrop(const QString& fileName);
    TUsbClass* FUsb() const { return FUsbClass.get(); }
    TUsbStickList* Sticks() const { return FSticks.get(); }
    TStickWriteFlow* WriteFlow() const { return FWriteFlow.get(); }
    void SetContainerHooks(TContainerHooks hooks);

    // --- Dev Tools ---
    void Write2HexGBClick();
    void Write2DfuGBClick();
    // The firmware container converter, created with the window.
    std::unique_ptr<tDFUFile> DFUFile;

    // --- Web file store ---
    std::unique_ptr<TDropbox> Dropbox;
    TOKRightDlg* OKRightDlg = nullptr; // the web file list window, set by the program entry
    void DropboxDownloadProgress(qint64 received, qint64 total, bool& cancel);

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
    void ConnectBoardPages();
    void ConnectUsb();
    void ConnectDevTools();
    void CreateUsbWatcher();
    void MirrorSticks();
    void RenderLayout(QTableWidget* grid, const GridLayout& layout);
    void RenderListing(tSystem s, const PcListing& listing);
    void LogFailure(const QString& detail);
    bool eventFilter(QObject* watched, QEvent* event) override;

    TMainFrmServices FServices;
    ErrorHook FHook;
    bool FClosed = false;

    tPcFiles FPcFiles;
    std::optional<PcListing> FListings[kSystemCount];

    std::unique_ptr<DriveProvider> FOwnDrives;
    std::unique_ptr<DeviceMonitor> FOwnMonitor;
    std::unique_ptr<TRandom16> FOwnRandom;
    std::unique_ptr<TUsbClass> FUsbClass;
    std::unique_ptr<TUsbStickList> FSticks;
    std::unique_ptr<TStickWriteFlow> FWriteFlow;
    TContainerHooks FContainerHooks;
};
