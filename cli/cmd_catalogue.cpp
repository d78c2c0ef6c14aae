#include "catalogue.h"
#include "cli_commands.h"

namespace cli {

// One line per application entry in table order: family, PCB version, position, file
// name, description, stick folder, target name.
int CmdCatalogue(Args& args) {
    if (!args.Positional().isEmpty())
        throw UsageError(QStringLiteral("catalogue takes no arguments"));
    auto line = [](const QStringList& fields) { out() << fields.join(QLatin1Char('\t')) << '\n'; };
    line({SystemName(stV8800), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
          QStringLiteral("-"), UsbFolderNames(stV8800), UsbTargetName(stV8800, -1)});
    for (tSystem s : {stK310, stP310, stW310, stHX310}) {
        const QStringList versions = PcbVersionCaptions(s);
        const int count = versions.isEmpty() ? 1 : int(versions.size());
        for (int v = 0; v < count; ++v) {
            const QString caption = versions.isEmpty() ? QStringLiteral("-") : versions[v];
            const auto table = ApplicationTable(s, v);
            for (size_t pos = 0; pos < table.size(); ++pos)
                line({SystemName(s), caption, QString::number(pos),
                      QString::fromUtf8(table[pos].FileName),
                      QString::fromUtf8(table[pos].Description), UsbFolderNames(s),
                      UsbTargetName(s, v)});
        }
    }
    out().flush();
    return kExitOk;
}

} // namespace cli
