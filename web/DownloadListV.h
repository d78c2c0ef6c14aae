#pragma once

#include <QDialog>

class QProgressBar;
class QToolButton;
class QTreeWidget;

// The "Web File List" window: the published folder tree, Close, Download All... and a
// progress bar.
class TOKRightDlg : public QDialog {
    Q_OBJECT
public:
    explicit TOKRightDlg(QWidget* parent = nullptr);

    QTreeWidget* FilesTV;
    QToolButton* CloseGB;
    QToolButton* DownloadAllGB;
    QProgressBar* ProgressBar;
};
