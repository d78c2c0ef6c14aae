#pragma once

#include "catalogue.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <exception>
#include <optional>

// Shared pieces of the zentrivo-tool commands.
namespace cli {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Thrown for bad arguments; main prints the message and the usage text, exit 2.
struct UsageError : std::exception {
    explicit UsageError(QString m) : message(std::move(m)) {}
    QString message;
};

QTextStream& out();
QTextStream& err();

// Simple option reader: "--name value" options and positional arguments.
class Args {
public:
    explicit Args(QStringList args) : FArgs(std::move(args)) {}
    // Takes "--name VALUE" out of the list; nothing when absent.
    std::optional<QString> Option(const QString& name);
    bool Flag(const QString& name);
    // What is left after the options were taken; unknown "--" options are a usage error.
    QStringList Positional() const;
    // Parses an unsigned number (decimal or 0x hex) or throws UsageError.
    static quint32 UInt32(const QString& text, const QString& what);

private:
    QStringList FArgs;
};

// The ordinal of the PCB version named by --pcb (caption "V3c", "V4", ...), or the
// family's default when it is absent; a usage error for a name the family does not have.
int PcbVersionArg(tSystem family, const QString& familyName, const std::optional<QString>& pcb);

struct Command {
    const char* Name;
    const char* Usage; // one line: "to-hex IN.24d OUT.24h [--sernum N]"
    int (*Run)(Args& args);
};

} // namespace cli
