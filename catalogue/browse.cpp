#include "browse.h"

#include "deploy_constants.h"
#include "settings.h"
#include "system_services.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kV8800Folder = QStringLiteral("V8800_mf");

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString ChosenCaption(const QString& file, const QString& folder) {
    return QStringLiteral("Selected File - [") + QFileInfo(file).fileName() +
           QStringLiteral("] from Path [") + Native(folder) + QLatin1Char(']');
}

FileOpenRequest Request(QString title, QString defaultExtension, QList<FileType> types,
                        QString folder) {
    FileOpenRequest r;
    r.Title = std::move(title);
    r.DefaultExtension = std::move(defaultExtension);
    r.FileTypes = std::move(types);
    r.FileTypeIndex = 0;
    r.DefaultFolder = std::move(folder);
    return r; // FileName stays empty: every browse starts without a chosen file
}

} // namespace

BrowseEnv BrowseEnv::From(const SystemServices& sys, const Deployment& deploy) {
    BrowseEnv e;
    e.DocumentsFolder = sys.DocumentsFolder();
    e.CurrentFolder = QDir::currentPath();
    e.ProductFolder = deploy.ProductFolderIn(QString());
    e.DeveloperComputer = deploy.IsDeveloperComputer(sys.ComputerName());
    return e;
}

QString ResolveStartFolder(const QStringList& candidates, const QString& fallback) {
    for (const QString& c : candidates)
        if (!c.isEmpty() && QFileInfo(c).isDir())
            return c;
    return fallback;
}

QStringList FamilyBrowseStartCandidates(tSystem family, const BrowseEnv& env) {
    // Directly in the documents folder, not under the product folder.
    return {JoinPath(env.DocumentsFolder, PCFolderNames(family)),
            JoinPath(env.CurrentFolder, PCFolderNames(family))};
}

QStringList ContainerBrowseStartCandidates(const QString& browseBasePath, const BrowseEnv& env) {
    QStringList c;
    if (!browseBasePath.isEmpty())
        c << QDir::fromNativeSeparators(browseBasePath);
    c << env.DocumentsFolder + env.ProductFolder + kV8800Folder
      << JoinPath(env.CurrentFolder, kV8800Folder);
    return c;
}

QStringList AttachmentBrowseStartCandidates(const BrowseEnv& env) {
    return {env.DocumentsFolder + env.ProductFolder,
            env.DocumentsFolder + env.ProductFolder + kV8800Folder,
            JoinPath(env.CurrentFolder, kV8800Folder)};
}

FileOpenRequest FamilyBrowseRequest(tSystem family, const BrowseEnv& env) {
    const QString ext = AppFileExtensions(family); // ".kfwf"
    // The small display board is browsed under the display's product name.
    const QString name = family == stHX310 ? QStringLiteral("NL550") : SystemName(family);
    return Request(
        QStringLiteral("Browse ") + name + QStringLiteral(" Firmware File"), ext.mid(1),
        {{name + QStringLiteral(" Firmware File"), QLatin1Char('*') + ext}},
        ResolveStartFolder(FamilyBrowseStartCandidates(family, env), env.DocumentsFolder));
}

FileOpenRequest ContainerBrowseRequest(const QString& browseBasePath, const BrowseEnv& env) {
    QList<FileType> types = {
        {QStringLiteral("NL90000 Firmware File"), QLatin1Char('*') + AppFileExtensions(stV8800)}};
    if (env.DeveloperComputer)
        types << FileType{QStringLiteral("DFU File"), QStringLiteral("*.dfu")}
              << FileType{QStringLiteral("HEX File"), QStringLiteral("*.hex")};
    return Request(QStringLiteral("Browse NL9000 Firmware File"), AppFileExtensions(stV8800).mid(1),
                   types,
                   ResolveStartFolder(ContainerBrowseStartCandidates(browseBasePath, env),
                                      env.DocumentsFolder));
}

FileOpenRequest AttachmentBrowseRequest(const BrowseEnv& env) {
    // Any file: no extension is added to a typed name.
    return Request(QStringLiteral("Browse eMail Attachement"), QString(),
                   {{QStringLiteral("Any File"), QStringLiteral("*.*")}},
                   ResolveStartFolder(AttachmentBrowseStartCandidates(env), env.DocumentsFolder));
}

QString FolderOfWithSeparator(const QString& file) {
    return QFileInfo(QDir::fromNativeSeparators(file)).absolutePath() + QLatin1Char('/');
}

bool ApplyFamilyBrowse(tSystem family, const std::optional<QString>& answer, tPcSelection& sel) {
    sel.ChosenFile.clear();
    if (!answer || answer->isEmpty())
        return false;
    sel.ChosenFile = QDir::fromNativeSeparators(*answer);
    sel.ListPathFileName = FolderOfWithSeparator(sel.ChosenFile);
    sel.PagerCaption = ChosenCaption(sel.ChosenFile, sel.ListPathFileName);
    if (family == stHX310)
        sel.SourceFile = sel.ChosenFile;
    return true;
}

bool ApplyContainerBrowse(const std::optional<QString>& answer, tInfo& info, tPcSelection& sel) {
    sel.ChosenFile.clear();
    if (!answer || answer->isEmpty())
        return false;
    sel.ChosenFile = QDir::fromNativeSeparators(*answer);
    const QString folder = FolderOfWithSeparator(sel.ChosenFile);
    sel.ListPathFileName = folder;
    sel.PagerCaption = ChosenCaption(sel.ChosenFile, folder);
    sel.NL9000FileLBL = QFileInfo(sel.ChosenFile).fileName();
    // Last, so a store that cannot be written still leaves the choice shown as it is.
    info.SetVariable(ivBROWSEBASEPATH, Native(folder));
    return true;
}

bool ApplyAttachmentBrowse(const std::optional<QString>& answer, tPcSelection& sel) {
    sel.ChosenFile.clear();
    if (!answer || answer->isEmpty())
        return false;
    sel.ChosenFile = QDir::fromNativeSeparators(*answer);
    sel.ListPathFileName = FolderOfWithSeparator(sel.ChosenFile);
    sel.AttachedFileLBL = QLatin1Char('[') + QFileInfo(sel.ChosenFile).fileName() +
                          QStringLiteral("] from Path [") + Native(sel.ListPathFileName) +
                          QLatin1Char(']');
    return true;
}

std::optional<PcListing> BrowseFilesonPC(tSystem family, int pcbVersion, const BrowseEnv& env,
                                         UserDialogs& dialogs, tPcFiles& files, tPcSelection& sel) {
    sel.ChosenFile.clear();
    const std::optional<QString> answer = dialogs.OpenFile(FamilyBrowseRequest(family, env));
    if (!ApplyFamilyBrowse(family, answer, sel))
        return std::nullopt;
    return files.ApplicationFilesonPC(family, pcbVersion, sel, env.DeveloperComputer, env.Locale);
}

bool BrowseContainer(const BrowseEnv& env, UserDialogs& dialogs, tInfo& info, tPcSelection& sel) {
    sel.ChosenFile.clear();
    const QString base = info.ReturnVariable(ivBROWSEBASEPATH).toString();
    return ApplyContainerBrowse(dialogs.OpenFile(ContainerBrowseRequest(base, env)), info, sel);
}

bool BrowseAttachment(const BrowseEnv& env, UserDialogs& dialogs, tPcSelection& sel) {
    sel.ChosenFile.clear();
    return ApplyAttachmentBrowse(dialogs.OpenFile(AttachmentBrowseRequest(env)), sel);
}

bool V8800PcGridClickCell(const QString& cell1Text, tPcSelection& sel) {
    if (cell1Text.isEmpty())
        return false;
    sel.SourceFile = JoinPath(sel.ListPathFileName, cell1Text);
    sel.PagerCaption = QStringLiteral("Selected - ") + cell1Text + QStringLiteral(" from PC");
    return true;
}
