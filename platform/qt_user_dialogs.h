#pragma once

#include "user_dialogs.h"

class QWidget;

// The real dialogs: QMessageBox and QFileDialog.
class QtUserDialogs : public UserDialogs {
public:
    explicit QtUserDialogs(QWidget* parent = nullptr) : FParent(parent) {}
    void SetParent(QWidget* parent) { FParent = parent; }
    MsgResult Message(const QString& text, MsgIcon icon, MsgButtons buttons,
                      const QString& caption) override;
    std::optional<QString> OpenFile(const FileOpenRequest& request) override;

private:
    QWidget* FParent;
};
