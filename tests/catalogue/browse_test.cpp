#include "browse.h"
#include "fake_system.h"
#include "hive.h"
#include "scripted_dialogs.h"
#include "settings.h"
#include "test_deployment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kKey = QStringLiteral("\\software\\Torvanex\\Zentrivo");

QString Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write("x");
    return path;
}

struct BrowseFixture : ::testing::Test {
    QTemporaryDir root;
    QString docs, cwd;
    BrowseEnv env;
    ScriptedDialogs dialogs;
    std::unique_ptr<RegFileHive> hive;
    std::unique_ptr<tInfo> info;
    tPcFiles files;
    tPcSelection sel;

    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        docs = root.filePath(QStringLiteral("Documents"));
        cwd = root.filePath(QStringLiteral("work"));
        QDir().mkpath(docs);
        QDir().mkpath(cwd);
        env.DocumentsFolder = docs;
        env.CurrentFolder = cwd;
        env.ProductFolder = QStringLiteral("/Zentrivo/");
        env.Locale = QLocale(QLocale::English, QLocale::UnitedStates);
        Restart();
        sel.SourceFile = QStringLiteral("/earlier.kfwf");
    }
    // A new settings store over the same hive folder, as after a restart of the program.
    void Restart() {
        info.reset();
        hive = std::make_unique<RegFileHive>(root.filePath(QStringLiteral("hive")));
        info = std::make_unique<tInfo>(*hive, dialogs);
        info->RegPath = kKey;
    }
    QString Mk(const QString& rel) {
        const QString p = root.filePath(rel);
        QDir().mkpath(p);
        return p;
    }
};

} // namespace

TEST_F(BrowseFixture, DialogSettingsOfEveryMode) {
    const FileType k{"K310 Firmware File", "*.kfwf"}, p{"P310 Firmware File", "*.pfwf"},
        w{"W310 Firmware File", "*.wfwf"}, h{"NL550 Firmware File", "*.hfwf"},
        c{"NL90000 Firmware File", "*.24d"}, dfu{"DFU File", "*.dfu"}, hex{"HEX File", "*.hex"},
        any{"Any File", "*.*"};
    BrowseEnv dev = env;
    dev.DeveloperComputer = true;
    const struct {
        const char* mode;
        FileOpenRequest r;
        const char* title;
        const char* ext;
        QList<FileType> types;
    } cases[] = {
        {"K310", FamilyBrowseRequest(stK310, env), "Browse K310 Firmware File", "kfwf", {k}},
        {"P310", FamilyBrowseRequest(stP310, env), "Browse P310 Firmware File", "pfwf", {p}},
        {"W310", FamilyBrowseRequest(stW310, env), "Browse W310 Firmware File", "wfwf", {w}},
        {"HX310", FamilyBrowseRequest(stHX310, dev), "Browse NL550 Firmware File", "hfwf", {h}},
        {"V8800",
         ContainerBrowseRequest(QString(), env),
         "Browse NL9000 Firmware File",
         "24d",
         {c}},
        {"V8800 developer",
         ContainerBrowseRequest(QString(), dev),
         "Browse NL9000 Firmware File",
         "24d",
         {c, dfu, hex}},
        {"e-mail", AttachmentBrowseRequest(dev), "Browse eMail Attachement", "", {any}},
    };
    for (const auto& t : cases) {
        EXPECT_EQ(t.r.Title, QString::fromUtf8(t.title)) << t.mode;
        EXPECT_EQ(t.r.DefaultExtension, QString::fromUtf8(t.ext)) << t.mode;
        EXPECT_EQ(t.r.FileTypes, t.types) << t.mode;
        EXPECT_EQ(t.r.FileTypeIndex, 0) << t.mode;
        EXPECT_EQ(t.r.FileName, QString()) << t.mode;
    }
}

TEST_F(BrowseFixture, StartFolders) {
    // Nothing there yet: every mode opens in the documents folder; the family folders under
    // the product folder are no candidates of the family browse.
    Mk(QStringLiteral("Documents/Zentrivo/K310_mf"));
    EXPECT_EQ(FamilyBrowseRequest(stK310, env).DefaultFolder, docs);
    EXPECT_EQ(ContainerBrowseRequest(QString(), env).DefaultFolder, docs);
    const QString cwdK = Mk(QStringLiteral("work/K310_mf"));
    EXPECT_EQ(FamilyBrowseRequest(stK310, env).DefaultFolder, cwdK);
    const QString docsK = Mk(QStringLiteral("Documents/K310_mf"));
    EXPECT_EQ(FamilyBrowseRequest(stK310, env).DefaultFolder, docsK);
    EXPECT_EQ(FamilyBrowseRequest(stP310, env).DefaultFolder, docs);

    const QString cwdV = Mk(QStringLiteral("work/V8800_mf"));
    EXPECT_EQ(ContainerBrowseRequest(QString(), env).DefaultFolder, cwdV);
    EXPECT_EQ(AttachmentBrowseRequest(env).DefaultFolder, docs + QStringLiteral("/Zentrivo/"));
    const QString docsV = Mk(QStringLiteral("Documents/Zentrivo/V8800_mf"));
    EXPECT_EQ(ContainerBrowseRequest(QString(), env).DefaultFolder, docsV);
    const QString stored = Mk(QStringLiteral("fw"));
    EXPECT_EQ(ContainerBrowseRequest(stored, env).DefaultFolder, stored);
    // A stored folder that was removed falls through to the next candidate.
    EXPECT_EQ(ContainerBrowseRequest(root.filePath(QStringLiteral("gone")), env).DefaultFolder,
              docsV);
}

TEST_F(BrowseFixture, FamilyBrowseListsTheChosenFolder) {
    const QString other = Touch(root.filePath(QStringLiteral("a/Other name.kfwf")));
    dialogs.FileAnswers.push_back(other);
    auto l = BrowseFilesonPC(stK310, av4, env, dialogs, files, sel);
    ASSERT_TRUE(l.has_value());
    EXPECT_EQ(dialogs.FileRequests.size(), 1);
    EXPECT_EQ(sel.ChosenFile, other);
    EXPECT_EQ(sel.ListPathFileName, root.filePath(QStringLiteral("a/")));
    EXPECT_EQ(sel.PagerCaption, QStringLiteral("Selected File - [Other name.kfwf] from Path [") +
                                    QDir::toNativeSeparators(root.filePath("a/")) + "]");
    EXPECT_EQ(l->Cell(2, 1), QStringLiteral("Other name.kfwf"));
    EXPECT_EQ(sel.SourceFile, other); // the folder holds none of the table's files

    // A folder with catalogue files lists them; SourceFile waits for a row click.
    const QString inB = Touch(root.filePath(QStringLiteral("b/K310V4_Tilt_ADS16209.kfwf")));
    sel.SourceFile = QStringLiteral("/earlier.kfwf");
    dialogs.FileAnswers.push_back(inB);
    l = BrowseFilesonPC(stK310, av4, env, dialogs, files, sel);
    ASSERT_TRUE(l.has_value());
    EXPECT_EQ(l->Cell(7, 1), QStringLiteral("Tilt Mode Only"));
    EXPECT_EQ(sel.SourceFile, QStringLiteral("/earlier.kfwf"));

    // On the HX310 page the browsed file is the source at once.
    const QString hx = Touch(root.filePath(QStringLiteral("c/HX310V1_LMI.hfwf")));
    Touch(root.filePath(QStringLiteral("c/HX310V1_Forklift.hfwf")));
    dialogs.FileAnswers.push_back(hx);
    l = BrowseFilesonPC(stHX310, -1, env, dialogs, files, sel);
    ASSERT_TRUE(l.has_value());
    EXPECT_EQ(l->NoFiles, NoFilesRow::None);
    EXPECT_EQ(sel.SourceFile, hx);
}

TEST_F(BrowseFixture, CancelledBrowsesLeaveNoChosenFile) {
    const QString container = Touch(root.filePath(QStringLiteral("fw/Crane.24d")));
    dialogs.FileAnswers.push_back(container);
    ASSERT_TRUE(BrowseContainer(env, dialogs, *info, sel));
    EXPECT_EQ(sel.NL9000FileLBL, QStringLiteral("Crane.24d"));
    const tPcSelection before = sel;

    dialogs.FileAnswers.push_back(std::nullopt);
    EXPECT_FALSE(BrowseContainer(env, dialogs, *info, sel));
    EXPECT_EQ(sel.ChosenFile, QString());
    EXPECT_EQ(sel.NL9000FileLBL, before.NL9000FileLBL);
    EXPECT_EQ(sel.ListPathFileName, before.ListPathFileName);
    EXPECT_EQ(sel.PagerCaption, before.PagerCaption);
    EXPECT_EQ(sel.SourceFile, before.SourceFile);

    sel.ChosenFile = container;
    EXPECT_FALSE(BrowseFilesonPC(stW310, -1, env, dialogs, files, sel).has_value());
    EXPECT_EQ(sel.ChosenFile, QString());
    sel.ChosenFile = container;
    EXPECT_FALSE(BrowseAttachment(env, dialogs, sel));
    EXPECT_EQ(sel.ChosenFile, QString());
    EXPECT_EQ(sel.AttachedFileLBL, QString());
    EXPECT_EQ(dialogs.FileRequests.size(), 4);
}

TEST_F(BrowseFixture, ContainerFolderSurvivesARestart) {
    const QString folder = Mk(QStringLiteral("containers"));
    const QString container = Touch(folder + QStringLiteral("/NL9000 v2.24d"));
    dialogs.FileAnswers.push_back(container);
    ASSERT_TRUE(BrowseContainer(env, dialogs, *info, sel));
    EXPECT_EQ(dialogs.FileRequests[0].DefaultFolder, docs);
    EXPECT_EQ(sel.ChosenFile, container);
    EXPECT_EQ(sel.ListPathFileName, folder + QLatin1Char('/'));
    EXPECT_EQ(sel.SourceFile, QStringLiteral("/earlier.kfwf"));
    EXPECT_EQ(sel.PagerCaption, QStringLiteral("Selected File - [NL9000 v2.24d] from Path [") +
                                    QDir::toNativeSeparators(folder + "/") + "]");
    EXPECT_EQ(hive->ReadValue(kKey, QStringLiteral("Browse Path")),
              HiveValue::String(QDir::toNativeSeparators(folder + "/")));

    Restart();
    dialogs.FileAnswers.push_back(std::nullopt);
    EXPECT_FALSE(BrowseContainer(env, dialogs, *info, sel));
    ASSERT_EQ(dialogs.FileRequests.size(), 2);
    EXPECT_EQ(QDir::cleanPath(dialogs.FileRequests[1].DefaultFolder), folder);
}

TEST_F(BrowseFixture, AttachmentAndLargeDisplayGridClick) {
    const QString file = Touch(root.filePath(QStringLiteral("data/moment.cmdf")));
    dialogs.FileAnswers.push_back(file);
    ASSERT_TRUE(BrowseAttachment(env, dialogs, sel));
    const QString folder = root.filePath(QStringLiteral("data/"));
    EXPECT_EQ(sel.ListPathFileName, folder);
    EXPECT_EQ(sel.AttachedFileLBL,
              QStringLiteral("[moment.cmdf] from Path [") + QDir::toNativeSeparators(folder) + "]");
    EXPECT_EQ(sel.SourceFile, QStringLiteral("/earlier.kfwf"));

    // The large display's grid is never filled: an empty cell must not select the folder.
    EXPECT_FALSE(V8800PcGridClickCell(QString(), sel));
    EXPECT_EQ(sel.SourceFile, QStringLiteral("/earlier.kfwf"));
    EXPECT_TRUE(V8800PcGridClickCell(QStringLiteral("Crane.24d"), sel));
    EXPECT_EQ(sel.SourceFile, folder + QStringLiteral("Crane.24d"));
    EXPECT_EQ(sel.PagerCaption, QStringLiteral("Selected - Crane.24d from PC"));
}

TEST(BrowseEnvironment, TakenFromTheComputerAndTheDeployment) {
    const Deployment d = TestDeployment();
    const BrowseEnv dev = BrowseEnv::From(
        FakeSystem(QStringLiteral("/home/u/Documents"), QStringLiteral("DEV-TWO")), d);
    EXPECT_EQ(dev.DocumentsFolder, QStringLiteral("/home/u/Documents"));
    EXPECT_EQ(dev.ProductFolder, QStringLiteral("/Zentrivo/"));
    EXPECT_TRUE(dev.DeveloperComputer);
    EXPECT_EQ(ContainerBrowseStartCandidates(QString(), dev).value(0),
              QStringLiteral("/home/u/Documents/Zentrivo/V8800_mf"));
    // Names are compared exactly.
    EXPECT_FALSE(BrowseEnv::From(FakeSystem(QStringLiteral("/d"), QStringLiteral("dev-two")), d)
                     .DeveloperComputer);
}
