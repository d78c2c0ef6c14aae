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

    const int version = PcbVersionArg(family, *familyName, pcb);

    const Deployment& deploy = Deployment::Compiled();
    PlatformSystemServices sys;
    if (!folder) {
        const QString docs = sys.DocumentsFolder();
        if (docs.isEmpty()) {
            err() << "zentrivo-tool: the documents folder cannot be found\n";
            err().flush();
            return kExitFailure;
        }
        folder = deploy.ProductFolderIn(docs) + PCFolderNames(family);
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
