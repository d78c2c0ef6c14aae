#pragma once

#include <QDialog>

class QLabel;
class QTimer;
class tInfo;

enum tUpdateCheckState {
    usIdle,
    usCheckVersion,
    usWaitResult,
    usDownloadUpdate,
    usWaitDownloadUpdate,
    usResult
};

// The about box, shown as a splash at start-up. It closes itself a few ticks after
// telling the update state.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(tInfo& info, QWidget* parent = nullptr);

    QWidget* Panel1;
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* VersionLBL;
    QLabel* DateLBL;
    QLabel* UpdateLBL;
    QLabel* Image1;
    QTimer* Timer;

    tUpdateCheckState UpdateCheckState = usIdle;
    int CloseCountdown = 3;

    void FormCreate();
    void TimerTimer();

    // "Version Check" read as a date-time in the user's format; invalid when it is empty
    // or cannot be read.
    static QDateTime ParseCheckTime(const QString& text);

private:
    void CountDown();
    tInfo& FInfo;
};
