#pragma once

#include "stick_files.h"
#include "usb_stick_list.h"
#include "user_dialogs.h"

#include <QString>
#include <optional>

// What the window's write handlers read from its controls.
struct TWriteSelection {
    QString ActivePage; // object name of the active board page ("K310Page", "V8800ListPage", ...)
    tAngleBrdVer AngleBrdVer = kDefaultAngleBrdVer;
    tMotherBrdVer MotherBrdVer = kDefaultMotherBrdVer;
    QString SourceFile;    // the application chosen on the PC
    QString ContainerFile; // the V8800 container held by the file dialog
    quint32 SerialNumber = 0;
};

enum class TWriteOutcome {
    NoStickDetected, // also: no stick could be located when none was chosen
    NoStickSelected,
    NoApplication,     // SourceFile missing
    ContainerRejected, // V8800 container missing, unreadable, refused by its check
    CopyError,         // nothing usable was written; an older target is intact
    Copied,
    WipeRefused, // V8800 page
    WipeError,
    WipeCreated,
};

// The write handlers of the Tools page without widgets. Every message goes through the
// dialogs; the window mirrors the stick list state afterwards and, for a wipe, takes the
// new SourceFile.
class TStickWriteFlow {
public:
    TStickWriteFlow(TUsbStickList& sticks, UserDialogs& dialogs, TRandom16& random);

    // Until the lead wires the container converter, V8800 writes say it is not available.
    void SetContainerHooks(TContainerHooks hooks) { FHooks = std::move(hooks); }

    TWriteOutcome USBWriteGBClick(const TWriteSelection& selection);
    // On success SourceFile names the wipe file on the stick.
    TWriteOutcome WriteWipeFileGBClick(const TWriteSelection& selection, QString& SourceFile);
    void EnableWritetoUSB1Click() { FSticks.EnableWriteButton(); }

    // The chosen stick ready for the target's family folder; false (with the message shown)
    // when there is no stick to write to.
    enum class TPrepared { Ready, NoStick, StickGone };
    TPrepared PrepareStick(const TUsbTarget& target);

    // Why the last write failed, for the error log; empty after a success.
    const QString& LastErrorDetail() const { return FLastError; }

private:
    // Prepares the stick, writes safely and tells the user how it went.
    TWriteOutcome WriteTarget(const TUsbTarget& target, const QByteArray& content,
                              const QString& failureText, TWriteOutcome failure,
                              const QString& successText, TWriteOutcome success,
                              QString* writtenPath);
    TUsbStickList& FSticks;
    UserDialogs& FDialogs;
    TRandom16& FRandom;
    TContainerHooks FHooks;
    QString FLastError;
};

// A click in row `row` of a family frame's stick grid (first data row 2): the tool bar
// caption and the new SourceFile; nothing for a row outside the application table.
struct TStickGridPick {
    QString Caption;
    QString SourceFile;
};
std::optional<TStickGridPick> StickGridClick(tSystem family, int pcbVersion, int row,
                                             const QString& stickRoot);
// The tool bar caption after a container was dropped on the V8800 stick grid.
QString DroppedContainerCaption(const QString& fileName);
