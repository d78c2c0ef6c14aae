#include "DFUFile.h"
#include "catalogue.h"
#include "cli_commands.h"
#include "container_hooks.h"
#include "memory_stream.h"
#include "stick_files.h"
#include "usb_devices.h"
#include "usb_messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace cli {

namespace {

TContainerHooks ContainerHooks() {
    static tDFUFile converter;
    return FirmwareContainerHooks(converter);
}

struct Target {
    TUsbTarget Usb;
    QString Root;
};

Target ReadTarget(Args& args) {
    const auto family = args.Option(QStringLiteral("family"));
    const auto stick = args.Option(QStringLiteral("stick"));
    const auto pcb = args.Option(QStringLiteral("pcb"));
    if (!family)
        throw UsageError(QStringLiteral("--family is required"));
    if (!stick || stick->isEmpty())
        throw UsageError(QStringLiteral("--stick is required"));
    tSystem s;
    if (!SystemFromName(*family, s))
        throw UsageError(QStringLiteral("unknown family \"%1\"").arg(*family));
    const int version = PcbVersionArg(s, *family, pcb);
    if (!QFileInfo(*stick).isDir())
        throw std::runtime_error(
            QStringLiteral("%1: %2").arg(usbtext::NoStickDetected, *stick).toStdString());
    return {UsbTargetFor(s, version), *stick};
}

int Fail(const QString& text, const QString& detail = QString()) {
    err() << text;
    if (!detail.isEmpty())
        err() << " (" << detail << ')';
    err() << '\n';
    err().flush();
    return kExitFailure;
}

int Write(const Target& t, const QByteArray& content, const QString& failure,
          const QString& success) {
    if (!PrepareFamilyFolder(t.Root, t.Usb))
        return Fail(failure,
                    StickPath(t.Root, t.Usb.FolderName) + QStringLiteral(": cannot create"));
    const QString path = StickPath(t.Root, t.Usb.RelativePath);
    const TStickWriteResult r = WriteFileToStick(path, content);
    if (!r.Ok)
        return Fail(failure, r.Detail);
    out() << success << '\t' << QDir::toNativeSeparators(path) << '\n';
    out().flush();
    return kExitOk;
}

} // namespace

int CmdSticks(Args& args) {
    if (!args.Positional().isEmpty())
        throw UsageError(QStringLiteral("sticks takes no arguments"));
    const auto drives = CreatePlatformDriveProvider();
    for (const QString& root : drives->RemovableDrives())
        out() << QDir::toNativeSeparators(root) << '\t' << drives->VolumeLabel(root) << '\t'
              << drives->FileSystemName(root) << '\t' << drives->DiskSize(root) << '\n';
    out().flush();
    return kExitOk;
}

int CmdWrite(Args& args) {
    const auto file = args.Option(QStringLiteral("file"));
    const auto serialText = args.Option(QStringLiteral("serial"));
    const Target t = ReadTarget(args);
    if (!args.Positional().isEmpty())
        throw UsageError(QStringLiteral("unexpected argument %1").arg(args.Positional().first()));
    if (!file)
        throw UsageError(QStringLiteral("--file is required"));
    const quint32 serial = serialText ? Args::UInt32(*serialText, QStringLiteral("--serial")) : 0;
    if (serialText && t.Usb.Family != stV8800)
        throw UsageError(QStringLiteral("--serial is for the V8800 only"));

    QFile in(*file);
    if (!QFileInfo(*file).isFile())
        return Fail(t.Usb.Family == stV8800 ? usbtext::ContainerUnreadable : usbtext::NoApplication,
                    *file);
    if (!in.open(QIODevice::ReadOnly))
        return Fail(usbtext::FileCopyError, *file + QStringLiteral(": ") + in.errorString());
    QByteArray content = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return Fail(usbtext::FileCopyError, *file + QStringLiteral(": ") + in.errorString());

    if (t.Usb.Family == stV8800) {
        TSystemRandom16 random;
        const TImageResult image = BuildV8800StickImage(content, serial, ContainerHooks(), random);
        if (!image.Error.isEmpty())
            return Fail(image.Error, *file);
        content = image.Image;
    }
    return Write(t, content, usbtext::FileCopyError, usbtext::FileCopied);
}

int CmdWipe(Args& args) {
    const Target t = ReadTarget(args);
    if (!args.Positional().isEmpty())
        throw UsageError(QStringLiteral("unexpected argument %1").arg(args.Positional().first()));
    if (t.Usb.Family == stV8800)
        return Fail(usbtext::NoWipeForV8800);
    TSystemRandom16 random;
    return Write(t, WipeFileContent(random), usbtext::WipeError, usbtext::WipeCreated);
}

// The exact bytes that go onto the stick as the V8800 image.
int CmdStickImage(Args& args) {
    const auto serialText = args.Option(QStringLiteral("serial"));
    const QStringList pos = args.Positional();
    if (pos.size() != 2)
        throw UsageError(QStringLiteral("stick-image needs IN.24d and OUT"));
    const quint32 serial = serialText ? Args::UInt32(*serialText, QStringLiteral("--serial")) : 0;
    QFile in(pos[0]);
    if (!QFileInfo(pos[0]).isFile() || !in.open(QIODevice::ReadOnly))
        return Fail(usbtext::ContainerUnreadable, pos[0]);
    const QByteArray container = in.readAll();
    TSystemRandom16 random;
    const TImageResult image = BuildV8800StickImage(container, serial, ContainerHooks(), random);
    if (!image.Error.isEmpty())
        return Fail(image.Error, pos[0]);
    TMemoryStream(image.Image).SaveToFile(pos[1]); // atomic; throws with the reason
    return kExitOk;
}

} // namespace cli
