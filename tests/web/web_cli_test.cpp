// zentrivo-tool web against the loopback store server.
#include "run_tool.h"
#include "store_fixture.h"

namespace {

QStringList HostArgs(const StoreServer& s) {
    return {"--api-host", s.ApiHost(), "--content-host", s.ContentHost(), "--ca-file", s.CaFile()};
}

StoreServer* NewServer() {
    const auto& c = Deployment::Compiled().DropboxAppCredentials;
    return new StoreServer({"--consumer-key", c.AppKey, "--consumer-secret", c.AppSecret, "--token",
                            c.AccessToken, "--token-secret", c.TokenSecret});
}

TEST(ToolWeb, ListsOneFolderInListingOrderWithDecimalRevisions) {
    std::unique_ptr<StoreServer> s(NewServer());
    ASSERT_TRUE(s->Ok());
    s->Mkdir("docs/b");
    s->Mkdir("docs/A");
    s->Put("docs/app.bin", "x");
    for (auto [p, r] : {std::pair{"/docs/A", "1a"}, {"/docs/b", "ff"}, {"/docs/app.bin", "26"}})
        s->Command({{"cmd", "rev"}, {"path", p}, {"rev", r}});
    const ToolResult r = RunTool(QStringList{"web", "ls", "docs"} + HostArgs(*s));
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, QStringLiteral("Dir:A:26\nDir:b:255\nFile:app.bin:38\n"));

    s->Command({{"cmd", "rev"}, {"path", "/docs/app.bin"}, {"rev", "123456789abcdef01"}});
    const ToolResult big = RunTool(QStringList{"web", "ls", "docs"} + HostArgs(*s));
    EXPECT_EQ(big.ExitCode, 1);
    EXPECT_TRUE(big.Err.contains("too large")) << big.Err.toStdString();
}

TEST(ToolWeb, GetWritesTheFileOrNothing) {
    std::unique_ptr<StoreServer> s(NewServer());
    ASSERT_TRUE(s->Ok());
    const QByteArray body(50000, 'f');
    s->Put("K310_bin/app.kfwf", body);
    QTemporaryDir out;
    const QString target = out.path() + "/app.kfwf";
    ToolResult r = RunTool(QStringList{"web", "get", "K310_bin/app.kfwf", target} + HostArgs(*s));
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), body);

    const QString second = out.path() + "/second.kfwf";
    s->Command({{"cmd", "set"}, {"drop_after", 2000}});
    r = RunTool(QStringList{"web", "get", "/K310_bin/app.kfwf", second} + HostArgs(*s));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_FALSE(r.Err.isEmpty());
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList{"app.kfwf"});
}

TEST(ToolWeb, AccountAndFailures) {
    std::unique_ptr<StoreServer> s(NewServer());
    ASSERT_TRUE(s->Ok());
    ToolResult r = RunTool(QStringList{"web", "account"} + HostArgs(*s));
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_TRUE(r.Out.contains("Name: Dravelle\n"));
    EXPECT_TRUE(r.Out.contains("E-mail: office@zentrivo.example\n"));
    EXPECT_TRUE(r.Out.contains("Country: NL\n"));
    EXPECT_TRUE(r.Out.contains("Quota: 2147483648\n"));

    // A refused token needs the browser; without a terminal that is a cancel.
    s->Command({{"cmd", "set"}, {"always401", true}});
    r = RunTool(QStringList{"web", "account"} + HostArgs(*s));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.contains("Authorization cancelled by user")) << r.Err.toStdString();

    QStringList noCa = HostArgs(*s).mid(0, 4);
    EXPECT_EQ(RunTool(QStringList{"web", "ls"} + noCa).ExitCode, 1);
    for (const QStringList& a : {QStringList{"web"}, QStringList{"web", "ls", "a", "b"},
                                 QStringList{"web", "get", "x"}, QStringList{"web", "frob"}})
        EXPECT_EQ(RunTool(a).ExitCode, 2) << a.join(' ').toStdString();
}

} // namespace
