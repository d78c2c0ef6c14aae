// Dev Tools: conversions between firmware containers and Intel HEX files on the PC.
#include "DFUFile.h"
#include "devtools_convert.h"
#include "file_paths.h"
#include "main_window.h"
#include "user_dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QToolButton>
#include <functional>

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

// The chosen file converted into the same path with `extension`; success shows nothing.
void ConvertChosenFile(
    UserDialogs& dialogs, const QString& in, const QString& extension,
    const std::function<tConvertOutcome(const QString& in, const QString& out)>& convert) {
    if (in.isEmpty()) {
        dialogs.Message(
            QStringLiteral("No file selected. Choose one with \"Browse Files....\" first."),
            MsgIcon::Information);
        return;
    }
    const QString out = ChangeFileExt(in, extension);
    if (RefuseOverwritingInput(dialogs, in, out))
        return;
    const tConvertOutcome outcome = convert(in, out);
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

void TMainFrm::Write2HexGBClick() {
    ConvertChosenFile(*FServices.Dialogs, DirectoryBrowse.FileName, QStringLiteral(".24h"),
                      [this](const QString& in, const QString& out) {
                          return ConvertContainerFileToHex(*DFUFile, in, out, 0);
                      });
}

void TMainFrm::Write2DfuGBClick() {
    ConvertChosenFile(*FServices.Dialogs, DirectoryBrowse.FileName, QStringLiteral(".24d"),
                      [this](const QString& in, const QString& out) {
                          return ConvertHexFileToContainer(*DFUFile, in, out);
                      });
}
