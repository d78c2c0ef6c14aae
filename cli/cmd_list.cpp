#include "catalogue.h"
#include "cli_commands.h"
#include "deploy_constants.h"
#include "pc_listing.h"
#include "system_services.h"

#include <QDir>

namespace cli {

// The body rows of a family's PC grid, one line per row, cells joined by tabs.
int CmdList(Args& args) {
    const std::optional<QString> familyName = args.Option(QStringLiteral("family"));
    const std::optional<QString> pcb = args.Option(QStringLiteral("pcb"));
    std::optional<QString> folder = args.Option(QStringLiteral("folder"));
    if (!args.Positional().isEmpty())
        throw UsageError(QStringLiteral("list takes no positional arguments"));
    if (!familyName)
        throw UsageError(QStringLiteral("--family is required"));
    tSystem family;
    if (!SystemFromName(*familyName, family) || family == stV8800)
        throw UsageError(QStringLiteral("no PC listing for family \"%1\" (K310, P310, W310, HX310)")
                             .arg(*familyName));

    const QStringList versions = PcbVersionCaptions(family);
    int version = DefaultPcbVersion(family);
    if (pcb) {
        version = int(versions.indexOf(*pcb));
        if (version < 0)
            throw UsageError(versions.isEmpty()
                                 ? QStringLiteral("%1 has no PCB versions").arg(*familyName)
                                 : QStringLiteral("unknown PCB version \"%1\" (%2)")
                                       .arg(*pcb, versions.join(QStringLiteral(", "))));
    }

    const Deployment& deploy = Deployment::Compiled();
    PlatformSystemServices sys;
    if (!folder) {
        const QString docs = sys.DocumentsFolder();
        if (docs.isEmpty()) {
            err() << "zentrivo-tool: the documents folder cannot be found\n";
            err().flush();
            return kExitFailure;
        }
        folder = docs + QString(deploy.ProductFolder).replace(QLatin1Char('\\'), QLatin1Char('/')) +
                 PCFolderNames(family);
    }

    tPcFiles files;
    tPcSelection sel;
    sel.ListPathFileName = QDir::fromNativeSeparators(*folder);
    const std::optional<PcListing> listing = files.ApplicationFilesonPC(
        family, version, sel, deploy.IsDeveloperComputer(sys.ComputerName()));
    if (!listing)
        return kExitFailure;
    for (const PcGridRow& row : listing->Rows)
        out() << row.Cells.join(QLatin1Char('\t')) << '\n';
    out().flush();
    return kExitOk;
}

} // namespace cli
