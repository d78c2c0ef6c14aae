#include "DownloadListV.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QProgressBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TOKRightDlg::TOKRightDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("OKRightDlg"));
    setWindowTitle(QStringLiteral("Web File List"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(420, 340);

    FilesTV = new QTreeWidget(this);
    FilesTV->setObjectName(QStringLiteral("FilesTV"));
    FilesTV->setHeaderHidden(true);
    CloseGB = new QToolButton(this);
    CloseGB->setObjectName(QStringLiteral("CloseGB"));
    CloseGB->setText(QStringLiteral("Close"));
    CloseGB->setMinimumSize(96, 28);
    DownloadAllGB = new QToolButton(this);
    DownloadAllGB->setObjectName(QStringLiteral("DownloadAllGB"));
    DownloadAllGB->setText(QStringLiteral("Download All..."));
    DownloadAllGB->setMinimumSize(96, 28);
    DownloadAllGB->setEnabled(false);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setTextVisible(false);

    auto* grid = new QGridLayout(this);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(CloseGB);
    buttons->addWidget(DownloadAllGB);
    buttons->addStretch(1);
    grid->addWidget(FilesTV, 0, 0);
    grid->addLayout(buttons, 0, 1);
    grid->addWidget(ProgressBar, 1, 0, 1, 2);
    connect(CloseGB, &QToolButton::clicked, this, &QDialog::close);
}
