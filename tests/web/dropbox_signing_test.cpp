// Signing, encoding, dates, revisions and metadata, computed locally (no traffic).
#include "Dropbox.h"

#include <gtest/gtest.h>

TEST(DropboxSigning, MatchesTheOAuthCoreVectorWithEveryParameterInTheQuery) {
    const QString params =
        OAuthParameterText(QStringLiteral("file=vacation.jpg&"), QStringLiteral("dpf43f3p2l4k3l03"),
                           QStringLiteral("kllo9940pd9333jh"), QStringLiteral("1191242096"),
                           QStringLiteral("nnch734d00sl2jdk"), QStringLiteral("&size=original"));
    const QString url = QStringLiteral("http://photos.example.net/photos");
    const QString base = OAuthSignatureBase("GET", url, params);
    EXPECT_EQ(OAuthSignature(base, QStringLiteral("kd94hf93k423kf44"),
                             QStringLiteral("pfkkdhi9sl3r4s00")),
              QStringLiteral("tR3+Ty81lMeYAr/Fid0kMTYa/WM="));
    EXPECT_EQ(OAuthSignedUrl("GET", url, params, QStringLiteral("kd94hf93k423kf44"),
                             QStringLiteral("pfkkdhi9sl3r4s00")),
              url + QStringLiteral("?file=vacation.jpg&oauth_consumer_key=dpf43f3p2l4k3l03"
                                   "&oauth_nonce=kllo9940pd9333jh&oauth_signature_method=HMAC-SHA1"
                                   "&oauth_timestamp=1191242096&oauth_token=nnch734d00sl2jdk"
                                   "&oauth_version=1.0&size=original"
                                   "&oauth_signature=tR3%2BTy81lMeYAr%2FFid0kMTYa%2FWM%3D"));
}

TEST(DropboxSigning, PercentEncodesEveryByteButTheUnreserved) {
    const struct {
        QString In;
        QString Out;
    } cases[] = {
        {QStringLiteral("aZ09-._~"), QStringLiteral("aZ09-._~")},
        {QStringLiteral("my docs"), QStringLiteral("my%20docs")},
        {QStringLiteral("/x/y"), QStringLiteral("%2Fx%2Fy")},
        {QStringLiteral("a+b%c"), QStringLiteral("a%2Bb%25c")},
        {QStringLiteral("\u00e4\u20ac"), QStringLiteral("%C3%A4%E2%82%AC")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UrlEncode(Utf8Encode(c.In)), c.Out) << c.In.toStdString();
    // The parameter text is encoded again in the base string.
    const QString p = OAuthParameterText(
        {}, QStringLiteral("k"), QStringLiteral("n"), QStringLiteral("1"), QStringLiteral("t"),
        QStringLiteral("&path=") + UrlEncode(QStringLiteral("a b")));
    EXPECT_TRUE(OAuthSignatureBase("POST", QStringLiteral("https://h/1/x"), p)
                    .endsWith(QStringLiteral("%26path%3Da%2520b")));
    EXPECT_TRUE(OAuthSignatureBase("POST", QStringLiteral("https://h/1/x"), p)
                    .startsWith(QStringLiteral("POST&https%3A%2F%2Fh%2F1%2Fx&")));
}

TEST(DropboxSigning, NonceTimestampAndPathHelpers) {
    const QString nonce = GenerateNonce();
    EXPECT_EQ(nonce.size(), 32);
    EXPECT_EQ(nonce, nonce.toUpper());
    EXPECT_NEAR(GenerateTimestamp().toLongLong(), QDateTime::currentSecsSinceEpoch(), 2);
    EXPECT_EQ(Base64Encode(QByteArray(20, '\0')).size(), 28);
    const struct {
        QString Path, Name, Folder;
    } cases[] = {{"/x/old.bin", "old.bin", "/x/"},
                 {"plain", "plain", ""},
                 {"/x/", "", "/x/"},
                 {"/", "", "/"}};
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractUrlFileName(c.Path), c.Name) << c.Path.toStdString();
        EXPECT_EQ(ExtractUrlPath(c.Path), c.Folder) << c.Path.toStdString();
    }
}

TEST(DropboxDate, ReadsTheServiceFormAsUtc) {
    const struct {
        const char* Text;
        QDateTime Want;
    } cases[] = {
        {"Tue, 05 Mar 2013 08:04:09 +0000", QDateTime({2013, 3, 5}, {8, 4, 9}, Qt::UTC)},
        {"Tue, 05 MAR 2013 08:04:09 +0000", QDateTime({2013, 1, 5}, {8, 4, 9}, Qt::UTC)},
        {"Tue, 05 Mar 2013 08:04:09 +0200", QDateTime({2013, 3, 5}, {6, 4, 9}, Qt::UTC)},
        {"Tue, 05 Mar 2013 23:30:00 -0130", QDateTime({2013, 3, 6}, {1, 0, 0}, Qt::UTC)},
        {"Tue, 05 Mar 2013 08:04:09", QDateTime({2013, 3, 5}, {8, 4, 9}, Qt::UTC)},
        {"Tue, xx Mar yyyy 08:zz:09 +0000", QDateTime({1900, 3, 1}, {8, 0, 9}, Qt::UTC)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseDropboxDate(QString::fromLatin1(c.Text)), c.Want) << c.Text;
    for (const char* bad : {"Tue, 05 Mar 2013", "", "Thu, 31 Feb 2013 08:04:09 +0000",
                            "Tue, 05 Mar 2013 25:04:09 +0000", "Tue, 05 Mar 2013 08:04:09 GMT"})
        EXPECT_THROW(ParseDropboxDate(QString::fromLatin1(bad)), EDateConversionError) << bad;
}

TEST(DropboxRevision, ReadsHexUpTo64Bits) {
    EXPECT_EQ(RevisionNumber(QStringLiteral("1a")), 26u);
    EXPECT_EQ(RevisionNumber(QStringLiteral("00000000000000000001A")), 26u);
    EXPECT_EQ(RevisionNumber(QStringLiteral("ffffffffffffffff")), ~quint64(0));
    try {
        RevisionNumber(QStringLiteral("10000000000000000"));
        FAIL() << "no error";
    } catch (const EDropbox& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("too large"))) << e.what();
    }
    EXPECT_THROW(RevisionNumber(QStringLiteral("12g")), EDropbox);
    EXPECT_THROW(RevisionNumber(QString()), EDropbox);
}

TEST(DropboxMetadata, ParsesMembersAndSurvivesBadJson) {
    TDFileList list;
    TDFileInfo* f = TDFileInfo::FromJSON(
        QStringLiteral(R"({"size":"2 KB","bytes":2048,"path":"/x/a.bin","rev":"1a","is_dir":false,)"
                       R"("icon":"page_white","root":"app_folder","thumb_exists":true,)"
                       R"("modified":"Tue, 05 Mar 2013 08:04:09 +0000","other":1})"),
        &list);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(f->List(), &list);
    EXPECT_EQ(f->Bytes(), 2048u);
    EXPECT_EQ(f->Path(), QStringLiteral("/x/a.bin"));
    EXPECT_EQ(f->Revision(), QStringLiteral("1a"));
    EXPECT_TRUE(f->HasThumbnail());
    EXPECT_EQ(f->Modified(), QDateTime({2013, 3, 5}, {8, 4, 9}, Qt::UTC));
    EXPECT_TRUE(f->ClientModified().isNull());
    for (const char* bad : {"not json", "[1,2]", "", "{\"path\":"}) {
        f->ParseJSON(QString::fromLatin1(bad));
        EXPECT_TRUE(f->Path().isEmpty()) << bad;
        EXPECT_EQ(f->Bytes(), 0u);
        EXPECT_EQ(f->List(), &list);
    }
}

TEST(DropboxMetadata, CompareFileInfoPutsFoldersFirstAndFoldsAsciiCase) {
    TDFileList list;
    auto make = [&](const char* path, bool dir) {
        return TDFileInfo::FromJSON(QStringLiteral(R"({"path":"%1","is_dir":%2})")
                                        .arg(QLatin1String(path), dir ? "true" : "false"),
                                    &list);
    };
    const struct {
        const char* A;
        bool ADir;
        const char* B;
        bool BDir;
        int Sign;
    } cases[] = {{"/z", true, "/a", false, -1},     {"/x/abc", false, "/ABD", false, -1},
                 {"/ab", false, "/abc", false, -1}, {"/9", false, "/a", false, -1},
                 {"/_", false, "/z", false, 1},     {"/Ab", false, "/aB", false, 0}};
    for (const auto& c : cases) {
        const int r = CompareFileInfo(make(c.A, c.ADir), make(c.B, c.BDir));
        EXPECT_EQ((r > 0) - (r < 0), c.Sign) << c.A << " vs " << c.B;
    }
}
