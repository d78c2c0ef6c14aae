#include "stick_write.h"

#include "usb_messages.h"

#include <QFile>
#include <QFileInfo>

TStickWriteFlow::TStickWriteFlow(TUsbStickList& sticks, UserDialogs& dialogs, TRandom16& random)
    : FSticks(sticks), FDialogs(dialogs), FRandom(random) {}

TStickWriteFlow::TPrepared TStickWriteFlow::PrepareStick(const TUsbTarget& target) {
    if (FSticks.xUSBDrv() == TUsbClass::NoDrive) {
        FSticks.LocateFirstStick();
        if (FSticks.xUSBFat() != QLatin1String("FAT32"))
            FSticks.RefreshStickFileSystem();
    }
    const QString root = FSticks.xUSBDrv();
    // Without a stick the target path would fall back to a folder relative to wherever the
    // program runs.
    if (root == TUsbClass::NoDrive)
        return TPrepared::NoStick;
    // A pulled stick leaves its mount point behind on some systems; writing there would land
    // on the PC's own disk and be reported as copied.
    if (!FSticks.Usb().HasMedia(root))
        return TPrepared::StickGone;
    PrepareFamilyFolder(root, target); // a failure shows in the write that follows
    return TPrepared::Ready;
}

namespace {
bool ReadWholeFile(const QString& path, QByteArray& out) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    out = f.readAll();
    return f.error() == QFileDevice::NoError;
}
} // namespace

TWriteOutcome TStickWriteFlow::USBWriteGBClick(const TWriteSelection& selection) {
    FLastError.clear();
    if (FSticks.Items().isEmpty()) {
        FDialogs.Message(usbtext::NoStickDetected, MsgIcon::Information);
        FSticks.DisableWriteButton();
        return TWriteOutcome::NoStickDetected;
    }
    if (FSticks.ItemIndex() < 0) {
        FDialogs.Message(usbtext::NoStickSelected, MsgIcon::Information);
        return TWriteOutcome::NoStickSelected;
    }
    const TUsbTarget target =
        SelectUsbTarget(selection.ActivePage, selection.AngleBrdVer, selection.MotherBrdVer);

    // Everything that can be refused is refused before the stick is touched.
    QByteArray content;
    if (target.Family == stV8800) {
        QByteArray container;
        if (selection.ContainerFile.isEmpty()) {
            FDialogs.Message(usbtext::NoApplication, MsgIcon::Error);
            return TWriteOutcome::NoApplication;
        }
        if (!ReadWholeFile(selection.ContainerFile, container)) {
            FLastError = selection.ContainerFile;
            FDialogs.Message(usbtext::ContainerUnreadable + QStringLiteral("\n\r") +
                                 selection.ContainerFile,
                             MsgIcon::Error);
            return TWriteOutcome::ContainerRejected;
        }
        const TImageResult image =
            BuildV8800StickImage(container, selection.SerialNumber, FHooks, FRandom);
        if (!image.Error.isEmpty()) {
            FLastError = image.Error;
            FDialogs.Message(image.Error, MsgIcon::Error);
            return TWriteOutcome::ContainerRejected;
        }
        content = image.Image;
    } else {
        if (selection.SourceFile.isEmpty() || !QFileInfo(selection.SourceFile).isFile()) {
            FDialogs.Message(usbtext::NoApplication, MsgIcon::Error);
            return TWriteOutcome::NoApplication;
        }
        if (!ReadWholeFile(selection.SourceFile, content)) {
            FLastError = selection.SourceFile + QStringLiteral(": cannot be read");
            FDialogs.Message(usbtext::FileCopyError, MsgIcon::Error);
            return TWriteOutcome::CopyError;
        }
    }

    return WriteTarget(target, content, usbtext::FileCopyError, TWriteOutcome::CopyError,
                       usbtext::FileCopied, TWriteOutcome::Copied, nullptr);
}

TWriteOutcome TStickWriteFlow::WriteTarget(const TUsbTarget& target, const QByteArray& content,
                                           const QString& failureText, TWriteOutcome failure,
                                           const QString& successText, TWriteOutcome success,
                                           QString* writtenPath) {
    switch (PrepareStick(target)) {
    case TPrepared::NoStick:
        FDialogs.Message(usbtext::NoStickDetected, MsgIcon::Information);
        return TWriteOutcome::NoStickDetected;
    case TPrepared::StickGone:
        FLastError = FSticks.xUSBDrv() + QStringLiteral(": the stick is no longer there");
        FDialogs.Message(failureText, MsgIcon::Error);
        return failure;
    case TPrepared::Ready:
        break;
    }
    const QString path = StickPath(FSticks.xUSBDrv(), target.RelativePath);
    const TStickWriteResult written = WriteFileToStick(path, content);
    if (!written.Ok) {
        FLastError = written.Detail;
        FDialogs.Message(failureText, MsgIcon::Error);
        return failure;
    }
    if (writtenPath)
        *writtenPath = path;
    FDialogs.Message(successText, MsgIcon::Confirmation);
    return success;
}

TWriteOutcome TStickWriteFlow::WriteWipeFileGBClick(const TWriteSelection& selection,
                                                    QString& SourceFile) {
    FLastError.clear();
    const TUsbTarget target =
        SelectUsbTarget(selection.ActivePage, selection.AngleBrdVer, selection.MotherBrdVer);
    if (target.Family == stV8800) {
        FDialogs.Message(usbtext::NoWipeForV8800, MsgIcon::Information);
        return TWriteOutcome::WipeRefused;
    }
    return WriteTarget(target, WipeFileContent(FRandom), usbtext::WipeError,
                       TWriteOutcome::WipeError, usbtext::WipeCreated, TWriteOutcome::WipeCreated,
                       &SourceFile);
}

std::optional<TStickGridPick> StickGridClick(tSystem family, int pcbVersion, int row,
                                             const QString& stickRoot) {
    const auto table = ApplicationTable(family, pcbVersion);
    const int pos = row - 2;
    if (family == stV8800 || pos < 0 || size_t(pos) >= table.size())
        return std::nullopt;
    const tAppEntry& e = table[size_t(pos)];
    return TStickGridPick{QStringLiteral("Selected - ") + QString::fromUtf8(e.Description) +
                              QStringLiteral(" from USB Stick"),
                          StickPath(stickRoot, PCFolderNames(family) + QLatin1Char('/') +
                                                   QString::fromUtf8(e.FileName))};
}

QString DroppedContainerCaption(const QString& fileName) {
    return QStringLiteral("Selected - ") + fileName + QStringLiteral(" [dropped]");
}
