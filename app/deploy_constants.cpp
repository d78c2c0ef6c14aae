#include "deploy_constants.h"

#include "deployment_generated.h"

const Deployment& Deployment::Compiled() {
    static const Deployment d = [] {
        Deployment v;
        v.RegistryKey = QStringLiteral("\\software\\Torvanex\\Zentrivo");
        v.ProductFolder = QStringLiteral("\\Zentrivo\\");
        v.WebIndexFileName = QStringLiteral("_FileStructure1.idx");
        v.UpdateControlFileURL = QStringLiteral(ZENTRIVO_UPDATE_HOST "/systemfw/Zentrivo.INF");
        v.UpdateLogFileName = QStringLiteral("Zentrivo.Log");
        v.UpdateServerAccount = {QStringLiteral(ZENTRIVO_UPDATE_HOST),
                                 QStringLiteral(ZENTRIVO_UPDATE_USER),
                                 QStringLiteral("Wm4)[[x=PqjR")};
        v.DropboxAppCredentials = {
            QStringLiteral("wb3kq8zr2tfn6ya"), QStringLiteral("h7ct2mdv5sgp9ur"),
            QStringLiteral("c9yf3nw6rb1qz7ed"), QStringLiteral("x2lm8ue4kd7sj6q")};
        v.DropboxApiHost = QStringLiteral(ZENTRIVO_DROPBOX_API_HOST);
        v.DropboxContentHost = QStringLiteral(ZENTRIVO_DROPBOX_CONTENT_HOST);
        v.DropboxWebHost = QStringLiteral(ZENTRIVO_DROPBOX_WEB_HOST);
        v.SmtpAccount = {QStringLiteral(ZENTRIVO_SMTP_HOST), QStringLiteral("Tq7mRb2K"),
                         QStringLiteral(ZENTRIVO_SMTP_USER), 26};
        v.MailSenderAddress = QStringLiteral(ZENTRIVO_MAIL_SENDER);
        v.MailRecipients = {{
            {QStringLiteral(ZENTRIVO_MAIL_TO_OFFICE), QStringLiteral("Maren"),
             QStringLiteral("Maren (Office PC)")},
            {QStringLiteral(ZENTRIVO_MAIL_TO_MANAGER), QStringLiteral("Ivo"),
             QStringLiteral("Ivo (Management)")},
            {QStringLiteral(ZENTRIVO_MAIL_TO_TECHNICAL), QStringLiteral("Pim"),
             QStringLiteral("Pim (Technical)")},
        }};
        v.CapturedDataExtensions = {QStringLiteral(".cmdf"), QStringLiteral(".radf"),
                                    QStringLiteral(".hex"), QStringLiteral(".eedf"),
                                    QStringLiteral(".txt")};
        v.DeveloperComputerNames = {QStringLiteral(ZENTRIVO_DEV_COMPUTER_1),
                                    QStringLiteral(ZENTRIVO_DEV_COMPUTER_2),
                                    QStringLiteral(ZENTRIVO_DEV_COMPUTER_3)};
        return v;
    }();
    return d;
}

QString Deployment::ProductFolderIn(const QString& documentsFolder) const {
    return documentsFolder + QString(ProductFolder).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

bool Deployment::IsPrimaryDeveloperComputer(const QString& computerName) const {
    return computerName == DeveloperComputerNames[0] || computerName == DeveloperComputerNames[2];
}

bool Deployment::IsDeveloperComputer(const QString& computerName) const {
    for (const QString& n : DeveloperComputerNames)
        if (computerName == n)
            return true;
    return false;
}
