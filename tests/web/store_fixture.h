#pragma once

#include "deploy_constants.h"
#include "test_deployment.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Runs tests/web/store_server.py on 127.0.0.1 with a fresh folder tree and certificate.
class StoreServer {
public:
    explicit StoreServer(const QStringList& extra = {}) {
        QDir(Dir.path()).mkpath(QStringLiteral("tree"));
        QDir(Dir.path()).mkpath(QStringLiteral("tls"));
        Proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        Proc.start(QStringLiteral("/usr/bin/python3"),
                   QStringList{QStringLiteral(ZENTRIVO_STORE_SERVER), QStringLiteral("--root"),
                               Root(), QStringLiteral("--tls-dir"),
                               Dir.path() + QStringLiteral("/tls")} +
                       extra);
        const QStringList ports = ReadLine().split(QLatin1Char(' '));
        if (ports.size() == 2) {
            ApiPort = ports[0].toInt();
            ContentPort = ports[1].toInt();
        }
    }
    ~StoreServer() {
        Proc.closeWriteChannel();
        if (!Proc.waitForFinished(3000))
            Proc.kill();
        Proc.waitForFinished(1000);
    }
    bool Ok() const { return ApiPort > 0 && ContentPort > 0; }
    QString Root() const { return Dir.path() + QStringLiteral("/tree"); }
    QString CaFile() const { return Dir.path() + QStringLiteral("/tls/cert.pem"); }
    QString ApiHost() const { return QStringLiteral("127.0.0.1:%1").arg(ApiPort); }
    QString ContentHost() const { return QStringLiteral("127.0.0.1:%1").arg(ContentPort); }

    Deployment Deploy() const {
        Deployment d = TestDeployment();
        d.DropboxApiHost = ApiHost();
        d.DropboxContentHost = ContentHost();
        d.DropboxWebHost = QStringLiteral("web.store.test");
        d.CaFile = CaFile();
        return d;
    }

    QJsonObject Command(const QJsonObject& c) {
        Proc.write(QJsonDocument(c).toJson(QJsonDocument::Compact) + '\n');
        return QJsonDocument::fromJson(ReadLine().toUtf8()).object();
    }
    QJsonArray Log() { return Command({{"cmd", "log"}}).value("log").toArray(); }
    // Requests whose path starts with `prefix`.
    QList<QJsonObject> Requests(const QString& prefix) {
        QList<QJsonObject> r;
        for (const QJsonValue& v : Log())
            if (v.toObject().value("path").toString().startsWith(prefix))
                r << v.toObject();
        return r;
    }
    void Put(const QString& rel, const QByteArray& data) {
        const QString full = Root() + QLatin1Char('/') + rel;
        QDir().mkpath(QFileInfo(full).path());
        QFile f(full);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    void Mkdir(const QString& rel) { QDir(Root()).mkpath(rel); }

    QTemporaryDir Dir;
    QProcess Proc;
    int ApiPort = 0;
    int ContentPort = 0;

private:
    QString ReadLine() {
        while (!Proc.canReadLine())
            if (!Proc.waitForReadyRead(10000))
                return {};
        return QString::fromUtf8(Proc.readLine()).trimmed();
    }
};
