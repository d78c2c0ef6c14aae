#include "main_window.h"

#include "DFUFile.h"
#include "DownloadListV.h"
#include "Dropbox.h"
#include "container_hooks.h"
#include "errors.h"
#include "settings.h"
#include "stick_write.h"
#include "system_services.h"
#include "usb_class.h"
#include "usb_devices.h"
#include "usb_stick_list.h"
#include "user_dialogs.h"
#include "version_info.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int kClientWidth = 988;
constexpr int kClientHeight = 499;
constexpr int kToolBarHeight = 137;

QToolButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setMinimumSize(96, 60);
    b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return b;
}

QWidget* MakePage(const char* name) {
    auto* w = new QWidget;
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

} // namespace

TMainFrm::TMainFrm(TMainFrmServices services, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                              Qt::MSWindowsFixedSizeDialogHint),
      FServices(std::move(services)), FHook(*FServices.Dialogs, FServices.ErrorLogPath) {
    setObjectName(QStringLiteral("MainFrm"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setWindowTitle(QString()); // the caption lives in the tool bar pager

    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    setCentralWidget(central);

    BuildToolBar();
    BuildBoardPager();
    BuildStatusBar();
    v->addWidget(AdvToolBarPager1);
    v->addWidget(AdvPager, 1);

    USBDelayTimer = new QTimer(this);
    USBDelayTimer->setObjectName(QStringLiteral("USBDelayTimer"));
    USBDelayTimer->setInterval(1000);

    setFixedSize(kClientWidth, kClientHeight);
    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    connect(AdvPager, &QTabWidget::currentChanged, this,
            [this](int index) { Guard([&] { AdvPagerChange(index); }); });
    ConnectBoardPages();
    ConnectUsb();
    ConnectDevTools();
    connect(DebugLogging, &QAction::triggered, this,
            [this] { Guard([&] { DebugLoggingClick(); }); });

    Guard([&] { FormCreate(); });
}

TMainFrm::~TMainFrm() {
    if (!FClosed)
        FormClose();
}

void TMainFrm::BuildToolBar() {
    AdvToolBarPager1 = new QTabWidget(this);
    AdvToolBarPager1->setObjectName(QStringLiteral("AdvToolBarPager1"));
    AdvToolBarPager1->setFixedHeight(kToolBarHeight);
    AdvToolBarPager1Caption = new QLabel(AdvToolBarPager1);
    AdvToolBarPager1Caption->setObjectName(QStringLiteral("AdvToolBarPager1Caption"));
    AdvToolBarPager1Caption->setMinimumWidth(520);
    AdvToolBarPager1Caption->setAlignment(Qt::AlignCenter);
    AdvToolBarPager1->setCornerWidget(AdvToolBarPager1Caption, Qt::TopRightCorner);

    // Tools
    ToolsPage = MakePage("ToolsPage");
    auto* tools = new QHBoxLayout(ToolsPage);
    tools->setContentsMargins(4, 2, 4, 2);
    PCBVersionRG = new TRadioGroup(QStringLiteral("PCB Version"), ToolsPage);
    PCBVersionRG->setObjectName(QStringLiteral("PCBVersionRG"));
    PCBVersionRG->setMinimumWidth(130);
    BrowseFileGB = MakeButton(ToolsPage, "BrowseFileGB", QStringLiteral("Browse Files...."));
    auto* shared = new QWidget(ToolsPage); // the wipe button and the serial box share a place
    shared->setObjectName(QStringLiteral("WipeSerialPlace"));
    auto* sharedLayout = new QVBoxLayout(shared);
    sharedLayout->setContentsMargins(0, 0, 0, 0);
    WriteWipeFileGB = MakeButton(shared, "WriteWipeFileGB", QStringLiteral("Create wipe file"));
    auto* serialBox = new QWidget(shared);
    serialBox->setObjectName(QStringLiteral("SerialNumberPanel"));
    auto* serialLayout = new QVBoxLayout(serialBox);
    serialLayout->setContentsMargins(0, 0, 0, 0);
    auto* serialLabel = new QLabel(QStringLiteral("Serial #"), serialBox);
    serialLabel->setObjectName(QStringLiteral("SerialNumberLBL"));
    SerialNumberEDT = new QLineEdit(QStringLiteral("0000"), serialBox);
    SerialNumberEDT->setObjectName(QStringLiteral("SerialNumberEDT"));
    SerialNumberEDT->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,10}")), SerialNumberEDT));
    SerialNumberEDT->setMaximumWidth(100);
    serialLayout->addWidget(serialLabel);
    serialLayout->addWidget(SerialNumberEDT);
    sharedLayout->addWidget(WriteWipeFileGB);
    sharedLayout->addWidget(serialBox);
    USBWriteGB = MakeButton(ToolsPage, "USBWriteGB", QStringLiteral("Write To USB Stick"));
    USBWriteGB->setMinimumWidth(130);
    USBStickRG = new TRadioGroup(QStringLiteral("USB Stick"), ToolsPage);
    USBStickRG->setObjectName(QStringLiteral("USBStickRG"));
    USBStickRG->setMinimumWidth(200);
    EnableWriteUSBpum = new QMenu(USBStickRG);
    EnableWriteUSBpum->setObjectName(QStringLiteral("EnableWriteUSBpum"));
    EnableWritetoUSB1 = EnableWriteUSBpum->addAction(QStringLiteral("Enable Write to USB"));
    EnableWritetoUSB1->setObjectName(QStringLiteral("EnableWritetoUSB1"));
    USBStickRG->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(USBStickRG, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { EnableWriteUSBpum->popup(USBStickRG->mapToGlobal(p)); });
    SendMailGB = MakeButton(ToolsPage, "SendMailGB", QStringLiteral("Send Mail"));
    tools->addWidget(PCBVersionRG);
    tools->addWidget(BrowseFileGB);
    tools->addWidget(shared);
    tools->addWidget(USBWriteGB);
    tools->addWidget(USBStickRG);
    tools->addWidget(SendMailGB);
    tools->addStretch(1);

    // Web Update
    WebPage = MakePage("WebPage");
    auto* web = new QHBoxLayout(WebPage);
    web->setContentsMargins(4, 2, 4, 2);
    DropBoxConnectGB = MakeButton(WebPage, "DropBoxConnectGB", QStringLiteral("Web Update Files"));
    ConnLbl = new QLabel(QStringLiteral("Not connected"), WebPage);
    ConnLbl->setObjectName(QStringLiteral("ConnLbl"));
    DownloadAllGB = MakeButton(WebPage, "DownloadAllGB", QStringLiteral("Download All..."));
    web->addWidget(DropBoxConnectGB);
    web->addWidget(ConnLbl);
    web->addStretch(1);
    web->addWidget(DownloadAllGB);

    // Dev Tools
    DevToolsPage = MakePage("DevToolsPage");
    auto* dev = new QHBoxLayout(DevToolsPage);
    dev->setContentsMargins(4, 2, 4, 2);
    Write2HexGB = MakeButton(DevToolsPage, "Write2HexGB", QStringLiteral("Write to HEX...."));
    Write2DfuGB = MakeButton(DevToolsPage, "Write2DfuGB", QStringLiteral("Write to DFU...."));
    dev->addWidget(Write2HexGB);
    dev->addWidget(Write2DfuGB);
    dev->addStretch(1);

    AdvToolBarPager1->addTab(ToolsPage, QStringLiteral("Tools"));
    AdvToolBarPager1->addTab(WebPage, QStringLiteral("Web Update"));
    AdvToolBarPager1->addTab(DevToolsPage, QStringLiteral("Dev Tools"));
    AdvToolBarPager1->setCurrentWidget(ToolsPage);
}

void TMainFrm::BuildBoardPager() {
    AdvPager = new QTabWidget(this);
    AdvPager->setObjectName(QStringLiteral("AdvPager"));

    V8800ListPage = MakePage("V8800ListPage");
    auto* v88 = new QVBoxLayout(V8800ListPage);
    v88->setContentsMargins(2, 2, 2, 2);
    auto* panel = new QWidget(V8800ListPage);
    panel->setObjectName(QStringLiteral("NL9000FilePanel"));
    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    NL9000FileLBL = new TDataLabel(QStringLiteral("NL9000 File Selected"),
                                   QStringLiteral("No File Selected"), panel);
    NL9000FileLBL->setObjectName(QStringLiteral("NL9000FileLBL"));
    panelLayout->addWidget(NL9000FileLBL);
    V8800Frame = new TParameterFrame(QStringLiteral("V8800Frame"), V8800ListPage);
    v88->addWidget(panel);
    v88->addWidget(V8800Frame, 1);

    auto familyPage = [](const char* name, TParameterFrame*& frame, const char* frameName) {
        QWidget* page = MakePage(name);
        auto* l = new QVBoxLayout(page);
        l->setContentsMargins(2, 2, 2, 2);
        frame = new TParameterFrame(QString::fromLatin1(frameName), page);
        l->addWidget(frame);
        return page;
    };
    K310Page = familyPage("K310Page", K310Frame, "K310Frame");
    P310Page = familyPage("P310Page", P310Frame, "P310Frame");
    W310Page = familyPage("W310Page", W310Frame, "W310Frame");
    HX310Page = familyPage("HX310Page", HX310Frame, "HX310Frame");

    eMailPage = MakePage("eMailPage");
    BuildEmailPage();

    AdvPager->addTab(V8800ListPage, PageCaption(stV8800));
    AdvPager->addTab(K310Page, PageCaption(stK310));
    AdvPager->addTab(P310Page, PageCaption(stP310));
    AdvPager->addTab(W310Page, PageCaption(stW310));
    AdvPager->addTab(HX310Page, PageCaption(stHX310));
    AdvPager->addTab(eMailPage, QStringLiteral("eMail Files"));
    AdvPager->setCurrentWidget(V8800ListPage);
}

void TMainFrm::BuildEmailPage() {
    auto* grid = new QGridLayout(eMailPage);
    grid->setContentsMargins(4, 2, 4, 2);
    AttachedFileLBL = new TDataLabel(QStringLiteral("Attached File"), QString(), eMailPage);
    AttachedFileLBL->setObjectName(QStringLiteral("AttachedFileLBL"));
    MailRecipientListCG = new TCheckGroup(QStringLiteral("Mail Recipient list"), eMailPage);
    MailRecipientListCG->setObjectName(QStringLiteral("MailRecipientListCG"));
    auto* notesLabel = new QLabel(QStringLiteral("Notes for eMail :-"), eMailPage);
    notesLabel->setObjectName(QStringLiteral("eMailNoteLBL"));
    auto* notesPlace = new QWidget(eMailPage); // the notes box hides the status box
    auto* notesStack = new QGridLayout(notesPlace);
    notesStack->setContentsMargins(0, 0, 0, 0);
    eMailNoteMemo = new QPlainTextEdit(notesPlace);
    eMailNoteMemo->setObjectName(QStringLiteral("eMailNoteMemo"));
    StatusMemo = new QPlainTextEdit(notesPlace);
    StatusMemo->setObjectName(QStringLiteral("StatusMemo"));
    StatusMemo->setReadOnly(true);
    StatusMemo->hide();
    notesStack->addWidget(StatusMemo, 0, 0);
    notesStack->addWidget(eMailNoteMemo, 0, 0);
    eMailPUM = new QMenu(eMailNoteMemo);
    eMailPUM->setObjectName(QStringLiteral("eMailPUM"));
    QAction* clear = eMailPUM->addAction(QStringLiteral("Clear Text"));
    clear->setObjectName(QStringLiteral("CleareEmailMemoText"));
    eMailNoteMemo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(eMailNoteMemo, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { eMailPUM->popup(eMailNoteMemo->mapToGlobal(p)); });

    DriveComboBox = new QComboBox(eMailPage);
    DriveComboBox->setObjectName(QStringLiteral("DriveComboBox"));
    DirectoryListBox = new QTreeView(eMailPage);
    DirectoryListBox->setObjectName(QStringLiteral("DirectoryListBox"));
    CheckFileListBox = new QListWidget(eMailPage);
    CheckFileListBox->setObjectName(QStringLiteral("CheckFileListBox"));
    FileTypeCB = new TCheckGroup(QStringLiteral("File Type Selection"), eMailPage);
    FileTypeCB->setObjectName(QStringLiteral("FileTypeCB"));

    auto* left = new QVBoxLayout;
    left->addWidget(MailRecipientListCG);
    left->addWidget(notesLabel);
    left->addWidget(notesPlace, 1);
    auto* middle = new QVBoxLayout;
    middle->addWidget(DriveComboBox);
    middle->addWidget(DirectoryListBox, 1);
    grid->addWidget(AttachedFileLBL, 0, 0, 1, 4);
    grid->addLayout(left, 1, 0);
    grid->addLayout(middle, 1, 1);
    grid->addWidget(CheckFileListBox, 1, 2);
    grid->addWidget(FileTypeCB, 1, 3);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(2, 3);
    grid->setColumnStretch(3, 2);
}

void TMainFrm::BuildStatusBar() {
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    const int widths[4] = {180, 165, 130, 50};
    for (int i = 0; i < 4; ++i) {
        StatusPanels[i] = new QLabel(StatusBar);
        StatusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        StatusPanels[i]->setFixedWidth(widths[i]);
        StatusBar->addWidget(StatusPanels[i]);
    }
    setStatusBar(StatusBar);
    CheckUpdatesPUM = new QMenu(StatusBar);
    CheckUpdatesPUM->setObjectName(QStringLiteral("CheckUpdatesPUM"));
    CheckVersion = CheckUpdatesPUM->addAction(QStringLiteral("Check for Updates"));
    CheckVersion->setObjectName(QStringLiteral("CheckVersion"));
    DebugLogging = CheckUpdatesPUM->addAction(QStringLiteral("Debug Logging"));
    DebugLogging->setObjectName(QStringLiteral("DebugLogging"));
    DebugLogging->setCheckable(true);
    StatusBar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(StatusBar, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { CheckUpdatesPUM->popup(StatusBar->mapToGlobal(p)); });
}

bool TMainFrm::IsPrimaryDeveloper() const {
    return FServices.Deploy.IsPrimaryDeveloperComputer(FServices.System->ComputerName());
}

bool TMainFrm::IsDeveloper() const {
    return FServices.Deploy.IsDeveloperComputer(FServices.System->ComputerName());
}

QString TMainFrm::GetMyDocuments() const {
    QString docs = FServices.System->DocumentsFolder();
    while (docs.size() > 1 && (docs.endsWith(QLatin1Char('/')) || docs.endsWith(QLatin1Char('\\'))))
        docs.chop(1);
    if (docs.isEmpty())
        throw EZentrivo(QStringLiteral("Could not find My Documents folder location."));
    return docs;
}

QString TMainFrm::ProductFolderPath() const {
    return FServices.Deploy.ProductFolderIn(DocsPathFileName);
}

QString TMainFrm::FamilyFolderPath(tSystem s) const {
    return ProductFolderPath() + PCFolderNames(s);
}

void TMainFrm::ForceFolder(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir())
        return;
    if (info.exists() || !QDir().mkdir(path))
        throw EInOutError(QStringLiteral("Could not create the folder \"%1\".")
                              .arg(QDir::toNativeSeparators(path)));
}

void TMainFrm::SetToolBarCaption(const QString& caption) {
    AdvToolBarPager1Caption->setText(caption);
}

QString TMainFrm::ToolBarCaption() const {
    return AdvToolBarPager1Caption->text();
}

void TMainFrm::FormCreate() {
    // 1. Version texts.
    const VersionInfo version = VersionInfo::Program();
    StatusPanels[0]->setText(QStringLiteral("Ver: ") + version.CommentsText);
    StatusPanels[1]->setText(QStringLiteral("Ver: ") + version.FileVersion);

    // 2. Developer tools only on the first and third developer computers.
    if (!IsPrimaryDeveloper()) {
        Write2HexGB->hide();
        Write2DfuGB->hide();
        AdvToolBarPager1->setTabVisible(AdvToolBarPager1->indexOf(DevToolsPage), false);
    }

    // 3. The V8800 page is already active; no page entry runs for it.
    {
        const QSignalBlocker block(AdvPager);
        AdvPager->setCurrentWidget(V8800ListPage);
    }
    SerialNumberEDT->parentWidget()->show(); // the group and the wipe button: steps 4 and 9

    // 4.
    SendMailGB->setEnabled(false);
    WriteWipeFileGB->hide();

    // 5-6. The PC folder tree; existing folders and their files stay as they are.
    const QString docs = GetMyDocuments();
    DocsPathFileName = docs;
    ForceFolder(ProductFolderPath());
    for (tSystem s : {stK310, stP310, stW310, stV8800})
        ForceFolder(FamilyFolderPath(s));
    xUSBDrv = QStringLiteral("-");

    // 7. The USB watcher and the first stick list; writing stays disabled until a stick
    // is chosen.
    USBStickRG->ClearItems();
    USBWriteGB->setEnabled(false);
    CreateUsbWatcher();

    // 8.
    FileTypeCB->SetItems({QStringLiteral("Moment Capture Data"),
                          QStringLiteral("Radius Adjust Data"),
                          QStringLiteral("EEprom Backup Data"), QStringLiteral("Text File"),
                          QStringLiteral("All Files")});

    // 9. The K310 page starts on PCB version V4.
    AngleBrdVer = av4;
    PCBVersionRG->hide();
    SetupPCBVersion_K310();
    SetupFilesonPCSG(stK310);
    ApplicationFilesonPC(stK310);

    // 10. The firmware container converter, also used for the V8800 stick image.
    DFUFile = std::make_unique<tDFUFile>();
    SetContainerHooks(FirmwareContainerHooks(*DFUFile));

    // 11.
    AdvToolBarPager1->setCurrentWidget(ToolsPage);
    DebugLogging->setChecked(false);
    DebugLog = false;
    StatusMemo->clear();

    // 12.
    FileDataList.clear();

    // 13. The web file store client with the stored token.
    Dropbox = std::make_unique<TDropbox>(FServices.Deploy, *FServices.System, *FServices.Dialogs);
    Dropbox->OnDownloadProgress = [this](TDropbox&, qint64 position, qint64 total, bool& cancel) {
        DropboxDownloadProgress(position, total, cancel);
    };
    Dropbox->SetToken(FServices.Deploy.DropboxAppCredentials.AccessToken);
    Dropbox->SetTokenSecret(FServices.Deploy.DropboxAppCredentials.TokenSecret);

    // 14.
    DownloadAllGB->hide();
    DownloadAllGB->setEnabled(false);
    DownloadAllGB->setText(QStringLiteral("No Files to Download"));

    // 15. Settings for the update component.
    WebUpdate1.Password = FServices.Deploy.UpdateServerAccount.Password;
    WebUpdate1.Host = FServices.Deploy.UpdateServerAccount.Host;
    WebUpdate1.UserID = FServices.Deploy.UpdateServerAccount.UserID;
    WebUpdate1.URL = FServices.Deploy.UpdateControlFileURL;
    WebUpdate1.ConnectSilent = true;
    WebUpdate1.FtpUpdate = true;

    // 16. A first start counts as checked today.
    const QVariant last = FServices.Info->ReturnVariable(ivLASTVERSIONCHECK);
    if (last.isValid() && last.toString().isEmpty())
        FServices.Info->SetVariable(
            ivLASTVERSIONCHECK,
            QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
}

void TMainFrm::FormClose() {
    FClosed = true;
    USBDelayTimer->stop();
    FWriteFlow.reset();
    FSticks.reset();
    FUsbClass.reset();
    ADriveList.clear();
    Dropbox.reset();
    FileDataList.clear();
}

void TMainFrm::DropboxDownloadProgress(qint64 received, qint64 total, bool& cancel) {
    if (OKRightDlg) {
        OKRightDlg->ProgressBar->setMaximum(int(quint32(total)));
        OKRightDlg->ProgressBar->setValue(int(quint32(received)));
    }
    QCoreApplication::processEvents();
    cancel = FCancel;
}

void TMainFrm::closeEvent(QCloseEvent* e) {
    Guard([&] { FormClose(); });
    QMainWindow::closeEvent(e);
}

int TMainFrm::PageSystem(int index) const {
    QWidget* page = AdvPager->widget(index);
    if (page == V8800ListPage)
        return stV8800;
    if (page == K310Page)
        return stK310;
    if (page == P310Page)
        return stP310;
    if (page == W310Page)
        return stW310;
    if (page == HX310Page)
        return stHX310;
    return -1;
}

void TMainFrm::AdvPagerChange(int index) {
    const int system = PageSystem(index);
    if (system < 0) { // the e-mail page
        SerialNumberEDT->parentWidget()->hide();
        WriteWipeFileGB->hide();
        SendMailGB->show();
        SendMailGB->setEnabled(false);
        const QSignalBlocker block(MailRecipientListCG);
        QStringList labels;
        for (const tMailRecipient& r : FServices.Deploy.MailRecipients)
            labels << r.ListLabel;
        MailRecipientListCG->SetItems(labels);
        return;
    }
    const tSystem s = tSystem(system);
    ListPathFileName = FamilyFolderPath(s);
    SendMailGB->hide();
    if (s == stV8800) {
        PCBVersionRG->hide();
        SerialNumberEDT->parentWidget()->show();
        WriteWipeFileGB->hide();
        if (!IsPrimaryDeveloper())
            V8800Frame->hide();
        return;
    }
    SerialNumberEDT->parentWidget()->hide();
    WriteWipeFileGB->setText(QStringLiteral("Create %1 wipe file").arg(SystemName(s)));
    WriteWipeFileGB->show();
    if (s == stK310 || s == stP310) {
        PCBVersionRG->show();
    } else {
        PCBVersionRG->hide();
    }
    EnterFamilyPage(s);
}

void TMainFrm::EnterFamilyPage(tSystem s) {
    // Every entry starts again at the default PCB version, in the family's own folder.
    if (s == stK310)
        SetupPCBVersion_K310();
    else if (s == stP310)
        SetupPCBVersion_P310();
    ListFamilyPage(s);
    Frame(s)->FilesonPCSG->setSelectionMode(QAbstractItemView::NoSelection);
}

void TMainFrm::DebugLoggingClick() {
    DebugLog = !DebugLog;
    DebugLogging->setChecked(DebugLog);
    WebUpdate1.Logging = DebugLog;
    if (DebugLog)
        WebUpdate1.LogFileName = FServices.Deploy.UpdateLogFileName;
}
