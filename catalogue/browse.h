#pragma once

#include "catalogue.h"
#include "pc_listing.h"
#include "user_dialogs.h"

#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>

class tInfo;
class SystemServices;
struct Deployment;

// The "Browse Files...." dialog of each page: what it is asked to show and what its
// answer changes. Paths inside the program use '/'; captions and labels show them in the
// platform's own form.

// What the browses need to know about the computer.
struct BrowseEnv {
    QString DocumentsFolder; // without trailing separator
    QString CurrentFolder;   // the working folder
    QString ProductFolder;   // "/Zentrivo/", with '/' separators
    bool DeveloperComputer = false;
    QLocale Locale = QLocale::system();

    static BrowseEnv From(const SystemServices& sys, const Deployment& deploy);
};

// The first candidate that is an existing folder, else `fallback`.
QString ResolveStartFolder(const QStringList& candidates, const QString& fallback);

// Start folder candidates of each mode, in the order they are tried; the documents folder
// is the fall-back of all three. A stored container folder that no longer exists falls
// through to the next candidate.
QStringList FamilyBrowseStartCandidates(tSystem family, const BrowseEnv& env);
QStringList ContainerBrowseStartCandidates(const QString& browseBasePath, const BrowseEnv& env);
QStringList AttachmentBrowseStartCandidates(const BrowseEnv& env);

// The dialog of each mode, start folder resolved.
FileOpenRequest FamilyBrowseRequest(tSystem family, const BrowseEnv& env);
FileOpenRequest ContainerBrowseRequest(const QString& browseBasePath, const BrowseEnv& env);
FileOpenRequest AttachmentBrowseRequest(const BrowseEnv& env);

// The chosen file's folder with a trailing separator.
QString FolderOfWithSeparator(const QString& file);

// Applying the dialog's answer (nothing: cancelled). Every browse first clears the chosen
// file, so a cancel leaves none. True when a file was chosen.
//
// Family browse: ListPathFileName, caption; on the HX310 page SourceFile := the file. The
// caller then lists the family again (ApplicationFilesonPC), which BrowseFilesonPC does.
bool ApplyFamilyBrowse(tSystem family, const std::optional<QString>& answer, tPcSelection& sel);
// Container browse: ListPathFileName, "Browse Path" written to `info` at once, caption,
// NL9000FileLBL. SourceFile does not change: the container is the chosen file.
bool ApplyContainerBrowse(const std::optional<QString>& answer, tInfo& info, tPcSelection& sel);
// Attachment browse: ListPathFileName and AttachedFileLBL.
bool ApplyAttachmentBrowse(const std::optional<QString>& answer, tPcSelection& sel);

// Whole browses as "Browse Files...." runs them on each page.
// BrowseFilesonPC: returns the new listing when a file was chosen.
std::optional<PcListing> BrowseFilesonPC(tSystem family, int pcbVersion, const BrowseEnv& env,
                                         UserDialogs& dialogs, tPcFiles& files, tPcSelection& sel);
bool BrowseContainer(const BrowseEnv& env, UserDialogs& dialogs, tInfo& info, tPcSelection& sel);
bool BrowseAttachment(const BrowseEnv& env, UserDialogs& dialogs, tPcSelection& sel);

// Click on the V8800 page's PC grid: cell (1, r) names a file of the listed folder. The
// grid is never filled, so an empty cell selects nothing rather than the folder itself.
bool V8800PcGridClickCell(const QString& cell1Text, tPcSelection& sel);
