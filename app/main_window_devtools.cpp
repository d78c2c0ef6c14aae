// Dev Tools: conversions between firmware containers and Intel HEX files on the PC.
#include "DFUFile.h"
#include "devtools_convert.h"
#include "file_paths.h"
#include "main_window.h"
#include "user_dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QToolButton>

namespace {
// The output would replace the chosen file itself (a file already of the output's type):
// the conversion would read it and then overwrite it with its own result.
bool RefuseOverwritingInput(UserDialogs& dialogs, const QString& in, const QString& out) {
    if (!IsSameFilePath(in, out))
        return false;
    dialogs.Message(QStringLiteral("\"%1\" is already a %2 file; converting it would overwrite "
                                   "it. Choose the file to convert with \"Browse Files....\".")
                        .arg(QDir::toNativeSeparators(in), QFileInfo(out).suffix()),
                    MsgIcon::Error, MsgButtons::Ok);
    return true;
}

void Show(UserDialogs& dialogs, const tConvertOutcome& outcome) {
    if (!outcome.Message.isEmpty())
        dialogs.Message(outcome.Message, outcome.Icon, MsgButtons::Ok);
}
} // namespace

void TMainFrm::ConnectDevTools() {
    connect(Write2HexGB, &QToolButton::clicked, this,
            [this] { Guard([&] { Write2HexGBClick(); }); });
    connect(Write2DfuGB, &QToolButton::clicked, this,
            [this] { Guard([&] { Write2DfuGBClick(); }); });
}

bool TMainFrm::HaveChosenFile() {
    if (!DirectoryBrowse.FileName.isEmpty())
        return true;
    FServices.Dialogs->Message(
        QStringLiteral("No file selected. Choose one with \"Browse Files....\" first."),
        MsgIcon::Information);
    return false;
}

void TMainFrm::Write2HexGBClick() {
    if (!HaveChosenFile())
        return;
    const QString in = DirectoryBrowse.FileName;
    const QString out = ChangeFileExt(in, QStringLiteral(".24h"));
    if (RefuseOverwritingInput(*FServices.Dialogs, in, out))
        return;
    Show(*FServices.Dialogs, ConvertContainerFileToHex(*DFUFile, in, out, 0));
}

void TMainFrm::Write2DfuGBClick() {
    if (!HaveChosenFile())
        return;
    const QString in = DirectoryBrowse.FileName;
    const QString out = ChangeFileExt(in, QStringLiteral(".24d"));
    if (RefuseOverwritingInput(*FServices.Dialogs, in, out))
        return;
    Show(*FServices.Dialogs, ConvertHexFileToContainer(*DFUFile, in, out));
}
