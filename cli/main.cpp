// zentrivo-tool: the command-line face of the program's cores.
#include "cli_commands.h"

#include <QCoreApplication>
#include <array>

namespace {

const cli::Command kCommands[] = {
    {"catalogue", "catalogue", cli::CmdCatalogue},
    {"list", "list --family FAMILY [--pcb VERSION] [--folder DIR]", cli::CmdList},
    {"sticks", "sticks", cli::CmdSticks},
    {"write", "write --family FAMILY [--pcb VERSION] --file FILE --stick ROOT [--serial N]",
     cli::CmdWrite},
    {"wipe", "wipe --family FAMILY [--pcb VERSION] --stick ROOT", cli::CmdWipe},
    {"stick-image", "stick-image IN.24d OUT [--serial N]", cli::CmdStickImage},
    {"to-hex", "to-hex IN.24d OUT.24h [--sernum N]", cli::CmdToHex},
    {"to-dfu", "to-dfu IN.hex OUT.24d", cli::CmdToDfu},
    {"check", "check FILE.24d", cli::CmdCheck},
    {"info", "info FILE.24d", cli::CmdInfo},
    {"web",
     "web ls [PATH] | web get PATH OUT | web account [--api-host H] [--content-host H] "
     "[--ca-file F]",
     cli::CmdWeb},
};

void PrintUsage(QTextStream& s) {
    s << "usage: zentrivo-tool COMMAND [ARGS]\ncommands:\n";
    for (const cli::Command& c : kCommands)
        s << "  " << c.Usage << '\n';
    s.flush();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args[0] == QStringLiteral("--help") || args[0] == QStringLiteral("-h")) {
        PrintUsage(args.isEmpty() ? cli::err() : cli::out());
        return args.isEmpty() ? cli::kExitUsage : cli::kExitOk;
    }
    const QString name = args.takeFirst();
    for (const cli::Command& c : kCommands) {
        if (name != QLatin1String(c.Name))
            continue;
        cli::Args a(args);
        try {
            return c.Run(a);
        } catch (const cli::UsageError& e) {
            cli::err() << "zentrivo-tool: " << e.message << "\nusage: zentrivo-tool " << c.Usage
                       << '\n';
            cli::err().flush();
            return cli::kExitUsage;
        } catch (const std::exception& e) {
            cli::err() << "zentrivo-tool: " << QString::fromLocal8Bit(e.what()) << '\n';
            cli::err().flush();
            return cli::kExitFailure;
        }
    }
    cli::err() << "zentrivo-tool: unknown command \"" << name << "\"\n";
    PrintUsage(cli::err());
    return cli::kExitUsage;
}
