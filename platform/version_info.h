#pragma once

#include <QString>

// Texts of the program's version block.
struct VersionInfo {
    QString FileVersion;  // four numbers joined by points
    QString CommentsText; // the build date: day, English month name, four-digit year
    static VersionInfo Program();
};
