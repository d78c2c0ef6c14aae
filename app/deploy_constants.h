#pragma once

#include <QString>
#include <QStringList>
#include <array>

// Everything that ties the program to its one deployment. The program uses
// Deployment::Compiled(); tests build their own value (loopback hosts, test accounts).
struct tUpdateServerAccount {
    QString Host;
    QString UserID;
    QString Password;
};

struct tDropboxAppCredentials {
    QString AppKey;
    QString AppSecret;
    QString AccessToken;
    QString TokenSecret;
};

struct tSmtpAccount {
    QString Host;
    QString Password;
    QString UserName;
    quint8 Port = 0;
};

struct tMailRecipient {
    QString Address;
    QString FirstName;
    QString ListLabel;
};

struct Deployment {
    QString RegistryKey;
    QString ProductFolder;
    QString WebIndexFileName;
    QString UpdateControlFileURL;
    QString UpdateLogFileName;
    tUpdateServerAccount UpdateServerAccount;
    tDropboxAppCredentials DropboxAppCredentials;
    // Hosts of the web file store ("host" or "host:port") and an optional CA file that
    // replaces the system's store (tests, mirrors).
    QString DropboxApiHost;
    QString DropboxContentHost;
    QString DropboxWebHost;
    QString CaFile;
    tSmtpAccount SmtpAccount;
    QString MailSenderAddress;
    std::array<tMailRecipient, 3> MailRecipients;
    QStringList CapturedDataExtensions; // moment capture, radius adjust (2), EEPROM, text
    std::array<QString, 3> DeveloperComputerNames;

    // The product folder inside `documentsFolder`, with '/' separators and a trailing one.
    QString ProductFolderIn(const QString& documentsFolder) const;

    // The values compiled into this build.
    static const Deployment& Compiled();

    // Exact, case-sensitive comparison with the first or third developer name (the Dev
    // Tools tab and the large display's file frame).
    bool IsPrimaryDeveloperComputer(const QString& computerName) const;
    // Any of the three names (developer-only listings and file types).
    bool IsDeveloperComputer(const QString& computerName) const;
};
