#include "qt_user_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

MsgResult QtUserDialogs::Message(const QString& text, MsgIcon icon, MsgButtons buttons,
                                 const QString& caption) {
    QMessageBox box(FParent);
    switch (icon) {
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Confirmation:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    box.setWindowTitle(caption.isEmpty() ? QApplication::applicationName() : caption);
    box.setText(text);
    box.setStandardButtons(buttons == MsgButtons::Ok ? QMessageBox::Ok
                                                     : QMessageBox::Ok | QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok ? MsgResult::Ok : MsgResult::Cancel;
}

std::optional<QString> QtUserDialogs::OpenFile(const FileOpenRequest& request) {
    QFileDialog dlg(FParent, request.Title, request.DefaultFolder);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    QStringList filters;
    for (const FileType& t : request.FileTypes)
        filters << t.DisplayName + QStringLiteral(" (") + t.FileMask + QLatin1Char(')');
    dlg.setNameFilters(filters);
    if (request.FileTypeIndex >= 0 && request.FileTypeIndex < filters.size())
        dlg.selectNameFilter(filters[request.FileTypeIndex]);
    dlg.setDefaultSuffix(request.DefaultExtension);
    if (!request.FileName.isEmpty())
        dlg.selectFile(request.FileName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return dlg.selectedFiles().first();
}
