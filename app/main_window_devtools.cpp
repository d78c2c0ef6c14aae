// Dev Tools: conversions between firmware containers and Intel HEX files on the PC.
#include "DFUFile.h"
#include "devtools_convert.h"
#include "main_window.h"
#include "user_dialogs.h"

#include <QToolButton>

namespace {
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
    Show(*FServices.Dialogs,
         ConvertContainerFileToHex(*DFUFile, in, ChangeFileExt(in, QStringLiteral(".24h")), 0));
}

void TMainFrm::Write2DfuGBClick() {
    if (!HaveChosenFile())
        return;
    const QString in = DirectoryBrowse.FileName;
    Show(*FServices.Dialogs,
         ConvertHexFileToContainer(*DFUFile, in, ChangeFileExt(in, QStringLiteral(".24d"))));
}
