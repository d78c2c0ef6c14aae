// USB sticks: the stick list, the delayed file system read and writing to the stick.
#include "container_hooks.h"
#include "errors.h"
#include "main_window.h"
#include "stick_write.h"
#include "usb_class.h"
#include "usb_devices.h"
#include "usb_stick_list.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QTableWidget>
#include <QToolButton>

void TMainFrm::CreateUsbWatcher() {
    DriveProvider* drives = FServices.Drives;
    if (!drives) {
        FOwnDrives = CreatePlatformDriveProvider();
        drives = FOwnDrives.get();
    }
    DeviceMonitor* monitor = FServices.Monitor;
    if (!monitor) {
        FOwnMonitor = CreatePlatformDeviceMonitor();
        monitor = FOwnMonitor.get();
    }
    TRandom16* random = FServices.Random;
    if (!random) {
        FOwnRandom = std::make_unique<TSystemRandom16>();
        random = FOwnRandom.get();
    }
    FUsbClass = std::make_unique<TUsbClass>(*drives, *monitor);
    FUsbClass->SetOnUsbInsertion([this](TUsbClass*, const QString&, const QString&,
                                        const QString&) { Guard([&] { UsbInserted(); }); });
    FUsbClass->SetOnUsbRemoval([this](TUsbClass*, const QString&, const QString&, const QString&) {
        Guard([&] { UsbRemoved(); });
    });
    FSticks = std::make_unique<TUsbStickList>(*FUsbClass, *FServices.Dialogs);
    FSticks->OnChanged = [this] { MirrorSticks(); };
    FWriteFlow = std::make_unique<TStickWriteFlow>(*FSticks, *FServices.Dialogs, *random);
    if (FContainerHooks.Check || FContainerHooks.Convert)
        FWriteFlow->SetContainerHooks(FContainerHooks);
    FSticks->Start();
    MirrorSticks();
}

void TMainFrm::SetContainerHooks(TContainerHooks hooks) {
    FContainerHooks = std::move(hooks);
    if (FWriteFlow)
        FWriteFlow->SetContainerHooks(FContainerHooks);
}

void TMainFrm::ConnectUsb() {
    connect(USBStickRG, &TRadioGroup::Clicked, this,
            [this](int index) { Guard([&] { USBStickRGClick(index); }); });
    connect(USBDelayTimer, &QTimer::timeout, this,
            [this] { Guard([&] { USBDelayTimerTimer(); }); });
    connect(USBWriteGB, &QToolButton::clicked, this, [this] { Guard([&] { USBWriteGBClick(); }); });
    connect(WriteWipeFileGB, &QToolButton::clicked, this,
            [this] { Guard([&] { WriteWipeFileGBClick(); }); });
    connect(EnableWritetoUSB1, &QAction::triggered, this,
            [this] { Guard([&] { EnableWritetoUSB1Click(); }); });
    for (tSystem s : {stK310, stP310, stW310, stHX310}) {
        connect(Frame(s)->FilesonUSBSG, &QTableWidget::cellClicked, this,
                [this, s](int row, int column) {
                    Guard([&] { FamilyFrameFilesonUSBSGClickCell(s, row, column); });
                });
    }
    V8800Frame->FilesonUSBSG->setAcceptDrops(true);
    V8800Frame->FilesonUSBSG->viewport()->setAcceptDrops(true);
    V8800Frame->FilesonUSBSG->viewport()->installEventFilter(this);
}

bool TMainFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == V8800Frame->FilesonUSBSG->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* e = static_cast<QDropEvent*>(event);
            if (e->mimeData()->hasUrls())
                e->acceptProposedAction();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* e = static_cast<QDropEvent*>(event);
            const QList<QUrl> urls = e->mimeData()->urls();
            if (!urls.isEmpty() && urls.first().isLocalFile()) {
                const QString file = urls.first().toLocalFile();
                Guard([&] { V8800FrameFilesonUSBSGDragDrop(file); });
                e->acceptProposedAction();
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// The window shows what the stick list holds.
void TMainFrm::MirrorSticks() {
    if (!FSticks)
        return;
    {
        const QSignalBlocker block(USBStickRG);
        if (USBStickRG->Items() != FSticks->Items())
            USBStickRG->SetItems(FSticks->Items());
        USBStickRG->SetItemIndex(FSticks->ItemIndex());
    }
    USBWriteGB->setEnabled(FSticks->WriteEnabled());
    if (!FSticks->WriteCaption().isEmpty())
        USBWriteGB->setText(FSticks->WriteCaption());
    xUSBDrv = FSticks->xUSBDrv();
    xUSBFat = FSticks->xUSBFat();
    USBAttached = FSticks->USBAttached();
    ADriveList = FSticks->ADriveList();
    if (FSticks->TimerEnabled() && !USBDelayTimer->isActive())
        USBDelayTimer->start();
    else if (!FSticks->TimerEnabled() && USBDelayTimer->isActive())
        USBDelayTimer->stop();
}

void TMainFrm::UsbInserted() {
    FSticks->UsbInserted();
}

void TMainFrm::UsbRemoved() {
    FSticks->UsbRemoved();
}

void TMainFrm::USBStickRGClick(int index) {
    FSticks->USBStickRGClick(index);
}

void TMainFrm::USBDelayTimerTimer() {
    FSticks->USBDelayTimerTimer();
}

void TMainFrm::EnableWritetoUSB1Click() {
    FWriteFlow->EnableWritetoUSB1Click();
}

namespace {
TWriteSelection ReadSelection(const TMainFrm& w) {
    TWriteSelection sel;
    sel.ActivePage = w.AdvPager->currentWidget()->objectName();
    sel.AngleBrdVer = w.AngleBrdVer;
    sel.MotherBrdVer = w.MotherBrdVer;
    sel.SourceFile = w.SourceFile;
    sel.ContainerFile = w.DirectoryBrowse.FileName;
    sel.SerialNumber = w.SerialNumberEDT->text().toUInt(); // the box takes digits only
    return sel;
}

bool Failed(TWriteOutcome o) {
    return o == TWriteOutcome::CopyError || o == TWriteOutcome::WipeError ||
           o == TWriteOutcome::ContainerRejected;
}
} // namespace

void TMainFrm::LogFailure(const QString& detail) {
    if (!detail.isEmpty())
        LogError(EInOutError(detail), FHook.LogPath());
}

void TMainFrm::USBWriteGBClick() {
    const QString serial = SerialNumberEDT->text();
    bool ok = true;
    if (!serial.isEmpty())
        serial.toUInt(&ok);
    if (!ok)
        throw EZentrivo(QStringLiteral("The serial number \"%1\" is too large.").arg(serial));
    const TWriteOutcome outcome = FWriteFlow->USBWriteGBClick(ReadSelection(*this));
    if (Failed(outcome))
        LogFailure(FWriteFlow->LastErrorDetail());
}

void TMainFrm::WriteWipeFileGBClick() {
    const TWriteOutcome outcome =
        FWriteFlow->WriteWipeFileGBClick(ReadSelection(*this), SourceFile);
    if (Failed(outcome))
        LogFailure(FWriteFlow->LastErrorDetail());
}

void TMainFrm::FamilyFrameFilesonUSBSGClickCell(tSystem s, int row, int) {
    const std::optional<TStickGridPick> pick =
        StickGridClick(s, PcbVersionOf(s), row, FSticks->xUSBDrv());
    if (!pick)
        return;
    Frame(s)->FilesonPCSG->clearSelection();
    SetToolBarCaption(pick->Caption);
    SourceFile = pick->SourceFile;
}

void TMainFrm::V8800FrameFilesonUSBSGDragDrop(const QString& fileName) {
    SetToolBarCaption(DroppedContainerCaption(QFileInfo(fileName).fileName()));
    DirectoryBrowse.FileName = fileName;
}
