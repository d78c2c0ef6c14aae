#include "about_box.h"

#include "settings.h"
#include "version_info.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QPixmap Picture(int w, int h, const QColor& c) {
    QPixmap p(w, h);
    p.fill(c);
    QPainter painter(&p);
    painter.setPen(Qt::white);
    painter.drawRect(2, 2, w - 5, h - 5);
    return p;
}
} // namespace

TAboutBox::TAboutBox(tInfo& info, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      FInfo(info) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(298, 290);
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    auto* v = new QVBoxLayout(this);
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* p = new QVBoxLayout(Panel1);
    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(Picture(32, 32, QColor(0x1f, 0x4e, 0x79)));
    ProductName = new QLabel(QStringLiteral("Zentrivo"), Panel1);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    QFont big = ProductName->font();
    big.setPointSize(14);
    big.setBold(true);
    ProductName->setFont(big);
    VersionLBL = new QLabel(Panel1);
    VersionLBL->setObjectName(QStringLiteral("VersionLBL"));
    DateLBL = new QLabel(Panel1);
    DateLBL->setObjectName(QStringLiteral("DateLBL"));
    p->addWidget(ProgramIcon);
    p->addWidget(ProductName);
    p->addWidget(VersionLBL);
    p->addWidget(DateLBL);
    UpdateLBL = new QLabel(this);
    UpdateLBL->setObjectName(QStringLiteral("UpdateLBL"));
    UpdateLBL->setAlignment(Qt::AlignCenter);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(Picture(270, 40, QColor(0x2e, 0x75, 0xb6)));
    v->addWidget(Panel1);
    v->addWidget(UpdateLBL);
    v->addStretch(1);
    v->addWidget(Image1);

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(500);
    connect(Timer, &QTimer::timeout, this, &TAboutBox::TimerTimer);
    FormCreate();
    Timer->start();
}

void TAboutBox::FormCreate() {
    CloseCountdown = 3;
    UpdateCheckState = usIdle;
    UpdateLBL->clear();
    const VersionInfo version = VersionInfo::Program();
    VersionLBL->setText(QStringLiteral("Version : ") + version.FileVersion);
    DateLBL->setText(version.CommentsText);
}

QDateTime TAboutBox::ParseCheckTime(const QString& text) {
    if (text.isEmpty())
        return {};
    const QLocale locale = QLocale::system();
    QDateTime t = locale.toDateTime(text, QLocale::ShortFormat);
    if (!t.isValid())
        t = locale.toDateTime(text, QLocale::LongFormat);
    return t;
}

void TAboutBox::CountDown() {
    if (CloseCountdown >= 1) {
        --CloseCountdown;
        return;
    }
    Timer->stop();
    UpdateCheckState = usIdle;
    done(QDialog::Accepted);
}

void TAboutBox::TimerTimer() {
    try {
        const QDateTime last = ParseCheckTime(FInfo.ReturnVariable(ivLASTVERSIONCHECK).toString());
        // A text that cannot be read counts as never checked, so the box does not hang.
        if (last.isValid() && last.date() >= QDate::currentDate()) {
            UpdateLBL->setText(QStringLiteral("Updates Checked Recently"));
            CountDown();
            return;
        }
    } catch (...) {
        // A settings store that cannot be read must not keep the splash open.
    }
    // Without the version check the box only counts down.
    UpdateCheckState = usResult;
    CountDown();
}
