#include "Dropbox.h"
#include "cli_commands.h"
#include "system_services.h"
#include "user_dialogs.h"

#include <QSaveFile>
#include <cstdio>
#include <unistd.h>

namespace cli {
namespace {

// The browser step of an authorisation: the address is shown, the user opens it.
class ConsoleSystem : public PlatformSystemServices {
public:
    bool OpenUrl(const QString& url) override {
        err() << "Open this address in a browser and allow access: " << url << '\n';
        err().flush();
        return true;
    }
};

class ConsoleDialogs : public UserDialogs {
public:
    MsgResult Message(const QString& text, MsgIcon, MsgButtons, const QString&) override {
        err() << text << '\n';
        err().flush();
        return MsgResult::Cancel;
    }
    std::optional<QString> OpenFile(const FileOpenRequest&) override { return std::nullopt; }
};

} // namespace

int CmdWeb(Args& args) {
    Deployment d = Deployment::Compiled();
    if (auto v = args.Option(QStringLiteral("api-host")))
        d.DropboxApiHost = *v;
    if (auto v = args.Option(QStringLiteral("content-host")))
        d.DropboxContentHost = *v;
    if (auto v = args.Option(QStringLiteral("ca-file")))
        d.CaFile = *v;
    QStringList pos = args.Positional();
    if (pos.isEmpty())
        throw UsageError(QStringLiteral("web needs a subcommand: ls, get or account"));
    const QString sub = pos.takeFirst();

    ConsoleSystem system;
    ConsoleDialogs dialogs;
    TDropbox box(d, system, dialogs);
    box.SetAppKey(d.DropboxAppCredentials.AppKey);
    box.SetAppSecret(d.DropboxAppCredentials.AppSecret);
    box.SetToken(d.DropboxAppCredentials.AccessToken);
    box.SetTokenSecret(d.DropboxAppCredentials.TokenSecret);
    box.SetAppFolderAccess(true);
    const bool terminal = isatty(fileno(stdin)) && isatty(fileno(stderr));
    box.OnAuthorizationContinueQuery = [terminal](TDropbox&, bool& ok) {
        if (!terminal)
            return;
        err() << "Press Enter when access is allowed (Ctrl-D to cancel): ";
        err().flush();
        char line[64];
        ok = fgets(line, sizeof line, stdin) != nullptr;
    };

    if (sub == QStringLiteral("ls")) {
        if (pos.size() > 1)
            throw UsageError(QStringLiteral("web ls takes one folder at most"));
        TDFileInfo* f = nullptr;
        const int before = box.FindCacheCount();
        const QString path = pos.value(0);
        if (box.FindFirst(f, path) != 0) {
            if (box.FindCacheCount() == before)
                throw EDropbox(QStringLiteral("%1 is not a folder").arg(path));
            return kExitOk; // empty folder
        }
        QStringList lines;
        do {
            lines << (f->IsDir() ? QStringLiteral("Dir:") : QStringLiteral("File:")) +
                         ExtractUrlFileName(f->Path()) + QLatin1Char(':') +
                         QString::number(RevisionNumber(f->Revision()));
        } while (box.FindNext(f) == 0);
        for (const QString& l : lines)
            out() << l << '\n';
        out().flush();
        return kExitOk;
    }
    if (sub == QStringLiteral("get")) {
        if (pos.size() != 2)
            throw UsageError(QStringLiteral("web get needs PATH and OUT"));
        QString path = pos[0];
        if (!path.startsWith(QLatin1Char('/')))
            path.prepend(QLatin1Char('/'));
        QSaveFile file(pos[1]);
        if (!file.open(QIODevice::WriteOnly))
            throw EInOutError(
                QStringLiteral("Could not create %1: %2").arg(pos[1], file.errorString()));
        if (isatty(fileno(stderr)))
            box.OnDownloadProgress = [&](TDropbox&, qint64 p, qint64 t, bool&) {
                err() << "\r" << ExtractUrlFileName(path) << ": " << p << " of " << t << " bytes";
                err().flush();
            };
        box.DownloadFile(path, &file);
        if (isatty(fileno(stderr)))
            err() << '\n';
        if (!file.commit())
            throw EInOutError(
                QStringLiteral("Could not write %1: %2").arg(pos[1], file.errorString()));
        return kExitOk;
    }
    if (sub == QStringLiteral("account")) {
        if (!pos.isEmpty())
            throw UsageError(QStringLiteral("web account takes no arguments"));
        out() << "Name: " << box.GetUserDisplayName() << '\n'
              << "E-mail: " << box.GetEMail() << '\n'
              << "Country: " << box.GetCountry() << '\n'
              << "Quota: " << box.GetQuota() << '\n'
              << "Used: " << box.GetUsedQuotaNormal() << '\n'
              << "Shared: " << box.GetUsedQuotaShared() << '\n';
        out().flush();
        return kExitOk;
    }
    throw UsageError(QStringLiteral("unknown web subcommand \"%1\"").arg(sub));
}

} // namespace cli
