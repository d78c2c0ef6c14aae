#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// Runs zentrivo-tool and collects what it printed.
struct ToolResult {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

inline ToolResult RunTool(const QStringList& args, const QString& workDir = QString()) {
    QProcess p;
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(QStringLiteral(ZENTRIVO_TOOL_PATH), args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
