#pragma once

#include <QString>

// True when the two paths name the same file as this platform compares names (letter
// case ignored on Windows).
bool IsSameFilePath(const QString& a, const QString& b);

// The error log: "C:\Users\Public\Zentrivo Error.log" on Windows, a file of the same name
// in the user's data folder elsewhere.
QString PlatformErrorLogPath();
