// The client against the loopback store server, which checks every signature itself.
#include "Dropbox.h"
#include "fake_system.h"
#include "scripted_dialogs.h"
#include "store_fixture.h"

#include <QBuffer>
#include <QElapsedTimer>

namespace {

// A stream of zeros of a chosen size, so that large uploads need no memory.
class ZeroDevice : public QIODevice {
public:
    explicit ZeroDevice(qint64 size) : FSize(size) { open(QIODevice::ReadOnly); }
    qint64 size() const override { return FSize; }
    bool isSequential() const override { return false; }

protected:
    qint64 readData(char* data, qint64 max) override {
        const qint64 n = qMin(max, FSize - pos());
        memset(data, 0, size_t(qMax<qint64>(n, 0)));
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 FSize;
};

class DropboxClient : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Server.Ok());
        Deploy = Server.Deploy();
        Client = std::make_unique<TDropbox>(Deploy, System, Dialogs);
        Client->SetAppKey(QStringLiteral("testkey"));
        Client->SetAppSecret(QStringLiteral("testsecret"));
        Client->SetToken(QStringLiteral("tok0"));
        Client->SetTokenSecret(QStringLiteral("toksecret0"));
        Client->SetAppFolderAccess(true);
    }
    void Set(const QJsonObject& o) {
        QJsonObject c = o;
        c["cmd"] = "set";
        ASSERT_TRUE(Server.Command(c).value("ok").toBool());
    }
    void AllSigned() {
        for (const QJsonValue& v : Server.Log()) {
            const QJsonObject e = v.toObject();
            if (!e.value("path").toString().startsWith("/_")) {
                EXPECT_TRUE(e.value("sig_ok").toBool())
                    << e.value("path").toString().toStdString() << " "
                    << e.value("reason").toString().toStdString();
            }
            EXPECT_FALSE(e.value("authorization").toBool());
        }
    }
    StoreServer Server;
    Deployment Deploy;
    FakeSystem System{QStringLiteral("/tmp"), QStringLiteral("PC")};
    ScriptedDialogs Dialogs;
    std::unique_ptr<TDropbox> Client;
};

TEST_F(DropboxClient, AccountInfoIsCachedAndCookiesAreSentBack) {
    EXPECT_EQ(Client->GetUserDisplayName(), QStringLiteral("Dravelle"));
    EXPECT_EQ(Client->GetUID(), QStringLiteral("12345678"));
    EXPECT_EQ(Client->GetEMail(), QStringLiteral("office@zentrivo.example"));
    EXPECT_EQ(Client->GetCountry(), QStringLiteral("NL"));
    EXPECT_EQ(Client->GetQuota(), 2147483648u);
    EXPECT_EQ(Client->GetUsedQuotaShared(), 1024u);
    EXPECT_EQ(Server.Requests("/1/account/info").size(), 1);
    TDFileInfo* f = nullptr;
    Client->FindFirst(f, QString());
    const auto all = Server.Log();
    EXPECT_TRUE(all.last().toObject().value("cookie").toString().contains("store_session=s1"));
    EXPECT_EQ(all.first().toObject().value("content_type").toString(),
              QStringLiteral("application/x-www-form-urlencoded"));
    AllSigned();
}

TEST_F(DropboxClient, ABodyThatIsNotJsonFillsNothing) {
    Set({{"account_body", "<html>maintenance</html>"}});
    EXPECT_EQ(Client->GetUserDisplayName(), QString());
    EXPECT_EQ(Client->GetQuota(), 0u);
    EXPECT_EQ(Server.Requests("/1/account/info").size(), 2); // cache never became valid
}

TEST_F(DropboxClient, PathsAreEncodedAndSignedAsTheServerReadsThem) {
    Server.Mkdir(QStringLiteral("my docs/\u00e4 \u00fc"));
    TDFileInfo* f = nullptr;
    EXPECT_EQ(Client->FindFirst(f, QStringLiteral("my docs")), 0);
    EXPECT_EQ(f->Path(), QStringLiteral("/my docs/\u00e4 \u00fc"));
    ASSERT_NE(Client->CreateFolder(QStringLiteral("/new dir/sub")), nullptr);
    EXPECT_TRUE(QDir(Server.Root() + "/new dir/sub").exists());
    const auto meta = Server.Requests("/1/metadata/");
    ASSERT_EQ(meta.size(), 1);
    EXPECT_EQ(meta[0].value("path").toString(), QStringLiteral("/1/metadata/sandbox/my%20docs"));
    EXPECT_TRUE(
        meta[0].value("query").toString().startsWith("file_limit=25000&oauth_consumer_key="));
    const auto create = Server.Requests("/1/fileops/create_folder");
    ASSERT_EQ(create.size(), 1);
    EXPECT_TRUE(create[0].value("query").toString().contains(
        "&oauth_version=1.0&path=%2Fnew%20dir%2Fsub&root=sandbox&oauth_signature="));
    AllSigned();
}

TEST_F(DropboxClient, ListingOrderCacheAndFindNext) {
    for (const char* d : {"b", "A"})
        Server.Mkdir(QString::fromLatin1(d));
    Server.Put("a.txt", "1");
    Server.Put("B.txt", "2");
    Server.Mkdir("empty");
    TDFileInfo* f = nullptr;
    ASSERT_EQ(Client->FindFirst(f, QString()), 0);
    QStringList names;
    TDFileInfo* last = nullptr;
    do {
        names << ExtractUrlFileName(f->Path());
        last = f;
    } while (Client->FindNext(f) == 0);
    EXPECT_EQ(names, (QStringList{"A", "b", "empty", "a.txt", "B.txt"}));
    EXPECT_EQ(f, last); // stays on the last entry
    EXPECT_EQ(Client->FindCacheCount(), 1);

    TDFileInfo* e = nullptr;
    EXPECT_EQ(Client->FindFirst(e, QStringLiteral("empty")), -1);
    EXPECT_EQ(e, nullptr);
    EXPECT_EQ(Client->FindCacheCount(), 2); // the empty listing stays
    EXPECT_EQ(Client->FindFirst(e, QStringLiteral("/a.txt")), -1);
    EXPECT_EQ(Client->FindCacheCount(), 2); // a file adds none

    TDFileInfo* none = nullptr;
    try {
        Client->FindNext(none);
        FAIL() << "no error";
    } catch (const EDropbox& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Such FileInfo does not exist"));
    }

    Client->FindClose(f);
    EXPECT_EQ(f, nullptr);
    EXPECT_EQ(Client->FindCacheCount(), 1);
    Client->ClearFindCache();
    EXPECT_EQ(Client->FindCacheCount(), 0);
    AllSigned();
}

TEST_F(DropboxClient, FirstRefusalAuthorizesInTheBrowserAndRetries) {
    Set({{"fail401", 1}});
    bool asked = false;
    Client->OnAuthorizationContinueQuery = [&](TDropbox&, bool& ok) {
        EXPECT_FALSE(ok);
        asked = true;
        ok = true;
    };
    EXPECT_EQ(Client->GetUserDisplayName(), QStringLiteral("Dravelle"));
    EXPECT_TRUE(asked);
    EXPECT_EQ(System.OpenedUrls,
              QStringList{"https://web.store.test/1/oauth/authorize?oauth_token=rt1"});
    EXPECT_EQ(Client->Token(), QStringLiteral("at2"));
    EXPECT_EQ(Client->TokenSecret(), QStringLiteral("as2"));
    QStringList paths;
    for (const QJsonValue& v : Server.Log())
        paths << v.toObject().value("path").toString();
    EXPECT_EQ(paths, (QStringList{"/1/account/info", "/1/oauth/request_token",
                                  "/1/oauth/access_token", "/1/account/info"}));
    EXPECT_FALSE(Server.Requests("/1/oauth/request_token")[0].value("query").toString().contains(
        "oauth_token="));
}

TEST_F(DropboxClient, ContinueQuestionGoesToTheDialogWithoutAHandler) {
    Client->SetToken(QString());
    Dialogs.MessageAnswers = {MsgResult::Cancel};
    try {
        Client->GetUID();
        FAIL() << "no error";
    } catch (const EDropbox& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Authorization cancelled by user"));
    }
    ASSERT_EQ(Dialogs.Messages.size(), 1);
    EXPECT_EQ(Dialogs.Messages[0].Caption,
              QStringLiteral("Click OK when ready or Cancel to abort"));
    EXPECT_EQ(Dialogs.Messages[0].Buttons, MsgButtons::OkCancel);
    EXPECT_TRUE(Client->Token().isEmpty());
    Dialogs.MessageAnswers = {MsgResult::Ok};
    EXPECT_EQ(Client->GetUID(), QStringLiteral("12345678"));
}

TEST_F(DropboxClient, TwoRefusalsEndWithTheHttpErrorAndKeepTheNewToken) {
    Set({{"always401", true}});
    Client->OnAuthorizationContinueQuery = [](TDropbox&, bool& ok) { ok = true; };
    try {
        Client->GetUID();
        FAIL() << "no error";
    } catch (const EHttpProtocolError& e) {
        EXPECT_EQ(e.StatusCode(), 401);
    }
    EXPECT_EQ(Client->Token(), QStringLiteral("at2"));
    EXPECT_EQ(Server.Requests("/1/oauth/request_token").size(), 1);
}

TEST_F(DropboxClient, EmptyKeyWithStoredTokenAsksForKeyAfterRefusal) {
    Client->SetAppKey(QString());
    try {
        Client->GetUID();
        FAIL() << "no error";
    } catch (const EDropbox& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Provide app key and secret key"));
    }
    EXPECT_EQ(Server.Requests("/1/account/info").size(), 1);
    EXPECT_TRUE(Server.Requests("/1/oauth/").isEmpty());
}

TEST_F(DropboxClient, ProgressEventsAndCancel) {
    const QByteArray body(100000, 'x');
    Server.Put("big.bin", body);
    QList<QPair<qint64, qint64>> events;
    Client->OnDownloadProgress = [&](TDropbox&, qint64 pos, qint64 total, bool&) {
        events << qMakePair(pos, total);
    };
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    Client->DownloadFile(QStringLiteral("/big.bin"), &out);
    EXPECT_EQ(out.data(), body);
    ASSERT_GE(events.size(), 3);
    EXPECT_EQ(events.first(), qMakePair(qint64(0), qint64(100000)));
    EXPECT_EQ(events.last(), qMakePair(qint64(100000), qint64(100000)));

    QList<QPair<qint64, qint64>> up;
    Client->OnUploadProgress = [&](TDropbox&, qint64 pos, qint64 total, bool&) {
        up << qMakePair(pos, total);
    };
    QBuffer in;
    in.setData(body);
    in.open(QIODevice::ReadOnly);
    ASSERT_NE(Client->Upload(&in, QStringLiteral("/up.bin")), nullptr);
    EXPECT_EQ(up.first(), qMakePair(qint64(0), qint64(100000)));
    EXPECT_EQ(up.last(), qMakePair(qint64(100000), qint64(100000)));

    Client->OnDownloadProgress = [&](TDropbox&, qint64, qint64, bool& cancel) { cancel = true; };
    EXPECT_THROW(Client->DownloadFile(QStringLiteral("/big.bin"), &out), EHttpConnectionError);
    Client->OnDownloadProgress = nullptr;
    EXPECT_EQ(Client->GetUserDisplayName(), QStringLiteral("Dravelle")); // works again
}

TEST_F(DropboxClient, TrafficLogFollowsItsNameRule) {
    const QString log = Server.Dir.path() + QStringLiteral("/traffic.log");
    Client->SetLogFileName(log);
    Client->GetUID();
    EXPECT_GT(QFileInfo(log).size(), 0);
    QFile::remove(log);
    Client->SetLogFileName(log); // same name: nothing happens, the open log stays
    Client->ClearFindCache();
    TDFileInfo* f = nullptr;
    Client->FindFirst(f, QString());
    EXPECT_FALSE(QFile::exists(log));
    Client->SetLogFileName(QStringLiteral("  "));
    Client->FindFirst(f, QString());
    EXPECT_FALSE(QFile::exists(log));
    Client->SetLogFileName(log);
    Client->FindFirst(f, QString());
    QFile r(log);
    ASSERT_TRUE(r.open(QIODevice::ReadOnly));
    const QByteArray text = r.readAll();
    EXPECT_TRUE(text.contains("GET /1/metadata/sandbox/?file_limit=25000"))
        << text.left(300).data();
    EXPECT_TRUE(text.contains("\"contents\""));
}

TEST_F(DropboxClient, RenameMoveCopyDeleteTargetsAndAccountCache) {
    Server.Put("x/old.bin", "old");
    Server.Put("x/f.bin", "f");
    Server.Mkdir("y");
    Server.Mkdir("z");
    TDFileInfo* f = nullptr;
    ASSERT_EQ(Client->FindFirst(f, QStringLiteral("x")), 0);
    TDFileInfo* fbin = f;
    ASSERT_EQ(Client->FindNext(f), 0);
    TDFileInfo* old = f;
    ASSERT_EQ(old->Path(), QStringLiteral("/x/old.bin"));

    auto accountReads = [&] { return Server.Requests("/1/account/info").size(); };
    Client->GetUID();
    Client->Rename(old, QStringLiteral("new.bin"));
    EXPECT_EQ(old->Path(), QStringLiteral("/x/new.bin"));
    EXPECT_TRUE(QFile::exists(Server.Root() + "/x/new.bin"));
    Client->GetUID();
    EXPECT_EQ(accountReads(), 1); // rename keeps the cache

    Client->Move(fbin, QStringLiteral("y"));
    EXPECT_EQ(fbin->Path(), QStringLiteral("/y/f.bin"));
    Client->GetUID();
    EXPECT_EQ(accountReads(), 2);

    TDFileInfo* copy = Client->Copy(old, QStringLiteral("z/"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Path(), QStringLiteral("/z/new.bin"));
    Client->GetUID();
    EXPECT_EQ(accountReads(), 3);

    Client->Delete(copy);
    EXPECT_TRUE(copy->IsDeleted());
    EXPECT_FALSE(QFile::exists(Server.Root() + "/z/new.bin"));
    Client->GetUID();
    EXPECT_EQ(accountReads(), 4);

    const auto moves = Server.Requests("/1/fileops/move");
    ASSERT_EQ(moves.size(), 2);
    EXPECT_TRUE(moves[0].value("query").toString().startsWith("from_path=%2Fx%2Fold.bin&oauth_"));
    EXPECT_TRUE(moves[0].value("query").toString().contains(
        "&oauth_version=1.0&root=sandbox&to_path=%2Fx%2Fnew.bin&oauth_signature="));
    EXPECT_TRUE(moves[1].value("query").toString().contains("&to_path=y%2Ff.bin&"));
    EXPECT_TRUE(Server.Requests("/1/fileops/copy")[0].value("query").toString().contains(
        "&to_path=z%2Fnew.bin&"));
    AllSigned();
}

TEST_F(DropboxClient, UploadLimitIsCheckedBeforeAnythingIsSent) {
    Client->SetToken(QString()); // an authorisation would be needed
    ZeroDevice tooBig(157286400);
    try {
        Client->Upload(&tooBig, QStringLiteral("/big.bin"));
        FAIL() << "no error";
    } catch (const EDropbox& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("Dropbox API does not allow to upload files larger than 150MB"));
    }
    EXPECT_TRUE(Server.Log().isEmpty());
    EXPECT_TRUE(System.OpenedUrls.isEmpty());

    Client->SetToken(QStringLiteral("tok0"));
    Client->GetUID();
    ZeroDevice justFits(157286399);
    TDFileInfo* up = Client->Upload(&justFits, QStringLiteral("/big.bin"));
    ASSERT_NE(up, nullptr);
    EXPECT_EQ(up->Bytes(), 157286399u);
    EXPECT_EQ(QFileInfo(Server.Root() + "/big.bin").size(), 157286399);
    const auto put = Server.Requests("/1/files_put");
    ASSERT_EQ(put.size(), 1);
    EXPECT_EQ(put[0].value("listener").toString(), QStringLiteral("content"));
    EXPECT_EQ(put[0].value("content_type").toString(), QStringLiteral("application/octet-stream"));
    Client->GetUID(); // upload emptied the cache; the form type is back
    EXPECT_EQ(Server.Log().last().toObject().value("content_type").toString(),
              QStringLiteral("application/x-www-form-urlencoded"));
    AllSigned();
}

TEST_F(DropboxClient, DownloadStreamsAndKeepsWhatArrivedOnABrokenConnection) {
    QByteArray body;
    for (int i = 0; i < 5000; ++i)
        body += QByteArray::number(i) + ',';
    Server.Put("docs/fw.bin", body);
    TDFileInfo* f = nullptr;
    ASSERT_EQ(Client->FindFirst(f, QStringLiteral("docs")), 0);
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    out.write("stale");
    Client->Download(f, &out);
    EXPECT_EQ(out.data(), body);
    EXPECT_EQ(Server.Requests("/1/files/sandbox/docs/fw.bin")[0].value("listener").toString(),
              QStringLiteral("content"));

    Set({{"drop_after", 1000}});
    EXPECT_THROW(Client->Download(f, &out), EHttpConnectionError);
    EXPECT_EQ(out.data(), body.left(1000));
    EXPECT_THROW(Client->DownloadFile(QStringLiteral("/docs/none.bin"), &out), EHttpProtocolError);
}

TEST_F(DropboxClient, DeltaPagesCursorsAndRepeatedPage) {
    const QJsonObject page1{
        {"cursor", "c+1/="},
        {"has_more", true},
        {"entries", QJsonArray{QJsonArray{"/a.txt", QJsonObject{{"path", "/a.txt"}, {"rev", "5"}}},
                               QJsonArray{"/gone.bin", QJsonValue::Null}}}};
    const QJsonObject page2{{"cursor", "c2"},
                            {"has_more", true},
                            {"reset", true},
                            {"entries", QJsonArray{QJsonArray{"/b", QJsonObject{{"path", "/b"}}}}}};
    const QString page2Text = QString::fromUtf8(QJsonDocument(page2).toJson());
    ASSERT_TRUE(
        Server
            .Command({{"cmd", "delta"},
                      {"pages", QJsonArray{QJsonObject{{"for", ""}, {"body", page1}},
                                           QJsonObject{{"for", "c+1/="}, {"body", page2Text}},
                                           QJsonObject{{"for", "c2"}, {"body", page2Text}}}}})
            .value("ok")
            .toBool());
    EXPECT_EQ(Client->GetDelta(QString()), QStringLiteral("c2"));
    EXPECT_TRUE(Client->DeltaReset());
    ASSERT_EQ(Client->DeltaCount(), 3);
    EXPECT_EQ(Client->GetDeltaItem(0)->Revision(), QStringLiteral("5"));
    EXPECT_TRUE(Client->GetDeltaItem(1)->IsDeleted());
    EXPECT_EQ(Client->GetDeltaItem(1)->Path(), QStringLiteral("/gone.bin"));
    EXPECT_TRUE(Client->GetDeltaItem(1)->Revision().isEmpty());
    EXPECT_EQ(Client->GetDeltaItem(2)->Path(), QStringLiteral("/b"));
    const auto delta = Server.Requests("/1/delta");
    ASSERT_EQ(delta.size(), 3);
    EXPECT_TRUE(delta[0].value("query").toString().startsWith("oauth_consumer_key="));
    EXPECT_TRUE(delta[1].value("query").toString().startsWith("cursor=c%2B1%2F%3D&oauth_"));
    EXPECT_TRUE(delta[2].value("query").toString().startsWith("cursor=c2&oauth_"));
    AllSigned();
}

TEST_F(DropboxClient, TransportFailures) {
    Client->SetReadTimeout(1000);
    Set({{"delay", 4}});
    QElapsedTimer t;
    t.start();
    try {
        Client->GetUID();
        FAIL() << "no error";
    } catch (const EHttpConnectionError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("Read timed out"))) << e.what();
    }
    EXPECT_LT(t.elapsed(), 3500);

    Deployment noCa = Deploy;
    noCa.CaFile.clear();
    TDropbox strict(noCa, System, Dialogs);
    strict.SetAppKey("testkey");
    strict.SetAppSecret("testsecret");
    strict.SetToken("tok0");
    strict.SetTokenSecret("toksecret0");
    EXPECT_THROW(strict.GetUID(), EHttpConnectionError);

    const int port = 1; // nothing listens there on loopback
    Client->SetProxyServer(QStringLiteral("127.0.0.1"));
    Client->SetProxyPort(port);
    EXPECT_EQ(Client->ProxyPort(), port);
    EXPECT_THROW(Client->GetUID(), EHttpConnectionError);
    Client->SetProxyServer(QString());
    EXPECT_EQ(Client->GetUID(), QStringLiteral("12345678"));
}

TEST_F(DropboxClient, FollowsAtMostTwoRedirects) {
    THttpClient http;
    http.CaFile = Server.CaFile();
    QByteArray text;
    EXPECT_EQ(http.Request("GET", "https://" + Server.ApiHost() + "/_redirect/2", nullptr, nullptr,
                           &text),
              200);
    EXPECT_EQ(text, QByteArray("arrived"));
    EXPECT_THROW(http.Request("GET", "https://" + Server.ApiHost() + "/_redirect/3", nullptr,
                              nullptr, &text),
                 EHttpProtocolError);
}

} // namespace
