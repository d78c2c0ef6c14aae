#pragma once

#include <QList>
#include <QString>
#include <optional>

// Every message box and file dialog of the program goes through this seam, so tests
// answer them without a modal window.
enum class MsgIcon { Information, Confirmation, Warning, Error };
enum class MsgButtons { Ok, OkCancel };
enum class MsgResult { Ok, Cancel };

struct FileType {
    QString DisplayName; // "Firmware Files (*.24d)"
    QString FileMask;    // "*.24d"
    bool operator==(const FileType&) const = default;
};

struct FileOpenRequest {
    QString Title;
    QString DefaultExtension; // without the point
    QList<FileType> FileTypes;
    int FileTypeIndex = 0; // selected type, from 0
    QString DefaultFolder;
    QString FileName; // preselected file name
};

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    virtual MsgResult Message(const QString& text, MsgIcon icon,
                              MsgButtons buttons = MsgButtons::Ok,
                              const QString& caption = QString()) = 0;
    // The chosen file's full path, or nothing when the user cancelled.
    virtual std::optional<QString> OpenFile(const FileOpenRequest& request) = 0;
};
