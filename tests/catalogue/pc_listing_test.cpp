#include "pc_listing.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QLocale kUS(QLocale::English, QLocale::UnitedStates);
// An odd second: the DOS time keeps seconds in steps of two.
const QDateTime kStamp(QDate(2024, 3, 15), QTime(10, 20, 31));

// Creates `name` in `folder` with the last-write time kStamp.
QString MakeFile(const QString& folder, const QString& name, const QDateTime& when = kStamp) {
    const QString path = folder + QLatin1Char('/') + name;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write("firmware");
    f.flush(); // a later flush would stamp the file anew
    EXPECT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    f.close();
    return path;
}

struct ListingFixture : ::testing::Test {
    QTemporaryDir dir;
    tPcFiles files;
    tPcSelection sel;
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        sel.ListPathFileName = dir.path();
        sel.SourceFile = QStringLiteral("/earlier/choice.kfwf");
    }
    PcListing List(tSystem f, int pcb, bool dev = false) {
        auto l = files.ApplicationFilesonPC(f, pcb, sel, dev, kUS);
        EXPECT_TRUE(l.has_value());
        return l.value_or(PcListing{});
    }
};

} // namespace

TEST(DosDateTime, PacksFieldsAndKeepsEvenSeconds) {
    // 2024-03-15: (44 << 9) | (3 << 5) | 15; 10:20:31 -> (10 << 11) | (20 << 5) | 15.
    EXPECT_EQ(quint32(PackDosDateTime(kStamp)), 0x586F528Fu);
    EXPECT_EQ(UnpackDosDateTime(PackDosDateTime(kStamp)),
              QDateTime(QDate(2024, 3, 15), QTime(10, 20, 30)));
    EXPECT_EQ(UnpackDosDateTime(PackDosDateTime(QDateTime(QDate(1975, 6, 1), QTime(8, 0)))),
              QDateTime(QDate(1980, 1, 1), QTime(0, 0)));
    EXPECT_FALSE(UnpackDosDateTime(0).isValid()); // month 0: never a real stamp
    EXPECT_EQ(DosDateText(0, kUS), QString());
}

TEST(DosDateTime, LongTimeFormatLosesOnlyItsZone) {
    const struct {
        const char* locale;
        const char* format;
    } cases[] = {
        {"C", "HH:mm:ss"},
        {"en_US", "h:mm:ss AP"},
        {"zh_CN", "HH:mm:ss"}, // zone first in this locale
        {"ko_KR", "AP h\xEC\x8B\x9C m\xEB\xB6\x84 s\xEC\xB4\x88"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LongTimeFormatWithoutZone(QLocale(QString::fromLatin1(c.locale))),
                  QString::fromUtf8(c.format))
            << c.locale;
    EXPECT_EQ(DosTimeText(PackDosDateTime(kStamp), kUS), QStringLiteral("10:20:30 AM"));
}

TEST(GridLayouts, PcAndUsbGrids) {
    const GridLayout k = SetupFilesonPCSG(stK310);
    EXPECT_EQ(k.ColumnCount, 4);
    EXPECT_EQ(k.ColumnWidths, (QList<int>{18, 200, 88, 88}));
    EXPECT_EQ(k.ColumnHeaders,
              (QStringList{QString(), QStringLiteral("Software Description"),
                           QStringLiteral("Ver Date"), QStringLiteral("Ver Time")}));
    const GridLayout h = SetupFilesonPCSG(stHX310);
    EXPECT_EQ(h.ColumnCount, 5);
    EXPECT_EQ(h.ColumnWidths, (QList<int>{18, 200, 50, 88, 88}));
    EXPECT_EQ(h.MergedHeaderColumns, 4);
    EXPECT_EQ(h.HeaderText, QStringLiteral("Options on PC"));
    EXPECT_EQ(h.ColumnHeaders[2], QStringLiteral("Version"));
    EXPECT_EQ(h.ColumnHeaders[4], QStringLiteral("Ver. Time"));
    const GridLayout u = SetupFilesonUSBSG(stHX310);
    EXPECT_EQ(u.ColumnCount, 4);
    EXPECT_EQ(u.HeaderText, QStringLiteral("Options on USB Stick"));
    EXPECT_EQ(SetupPCBVersion(stK310).ItemIndex, int(av4));
    EXPECT_EQ(SetupPCBVersion(stK310).Columns, 2);
    EXPECT_EQ(SetupPCBVersion(stP310).Items, (QStringList{"V3d", "V3e"}));
    EXPECT_EQ(SetupPCBVersion(stP310).ItemIndex, int(mv3e));
}

TEST_F(ListingFixture, K310V3eWithOnlyTheLoadOnlyFile) {
    MakeFile(dir.path(), QStringLiteral("K310V3e_LoadOnly.kfwf"));
    files.AngFilesFoundOnPC4 = 0x3;
    const PcListing l = List(stK310, av3e);
    EXPECT_EQ(l.FoundMask, 1u << 7);
    EXPECT_EQ(files.AngFilesFoundOnPC3e, 1u << 7);
    EXPECT_EQ(files.AngFilesFoundOnPC4, 0x3u); // other tables keep their last state
    EXPECT_EQ(l.NoFiles, NoFilesRow::None);
    ASSERT_EQ(l.RowCount(), 12);
    const auto table = AngApplications(av3e);
    for (int row = 2; row < 12; ++row) {
        const int i = row - 2;
        EXPECT_EQ(l.Cell(row, 0), QString::number(i + 1));
        if (row == 9) {
            EXPECT_EQ(l.Cell(row, 1), QStringLiteral("Load Only (TX Lattice)"));
            EXPECT_EQ(l.Cell(row, 2), QStringLiteral("3/15/24"));
            EXPECT_EQ(l.Cell(row, 3), QStringLiteral("10:20:30 AM"));
        } else {
            EXPECT_EQ(l.Cell(row, 1), QString::fromUtf8(table[i].FileName)) << row;
            EXPECT_EQ(l.Cell(row, 2), QStringLiteral("File Not Found")) << row;
            EXPECT_EQ(l.Cell(row, 3), QString()) << row;
        }
    }
    EXPECT_EQ(sel.SourceFile, QStringLiteral("/earlier/choice.kfwf"));
}

TEST_F(ListingFixture, LinksAreFollowedAndFoldersDoNotCount) {
    const auto table = RlyBrdApplications();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QString::fromUtf8(table[0].FileName)));
    EXPECT_EQ(List(stW310, -1).NoFiles, NoFilesRow::NoFilesFound);

    QTemporaryDir other;
    const QString target = MakeFile(other.path(), QStringLiteral("anything.bin"));
    const auto hx = HX310BrdApplications();
    ASSERT_TRUE(QFile::link(target, dir.filePath(QString::fromUtf8(hx[1].FileName))));
    ASSERT_TRUE(QFile::link(other.filePath(QStringLiteral("gone")),
                            dir.filePath(QString::fromUtf8(hx[2].FileName))));
    const PcListing l = List(stHX310, -1);
    EXPECT_EQ(l.FoundMask, 1u << 1);                    // the dangling link is no file
    EXPECT_EQ(l.Cell(3, 3), QStringLiteral("3/15/24")); // the target's time
}

TEST_F(ListingFixture, NoFilesState) {
    QTemporaryDir elsewhere;
    const QString p310File =
        MakeFile(elsewhere.path(), QStringLiteral("P310V3e_Standard_Main.pfwf"));
    const QString deleted = elsewhere.filePath(QStringLiteral("Deleted.kfwf"));
    const struct {
        const char* name;
        tSystem family;
        QString chosen;
        NoFilesRow state;
        QStringList cells;
        QString sourceAfter;   // after the listing
        QString sourceOnClick; // after a click on row 2
    } cases[] = {
        {"no chosen file",
         stK310,
         QString(),
         NoFilesRow::NoFilesFound,
         {"", "No Files Found!!", "", ""},
         sel.SourceFile,
         sel.SourceFile},
        {"chosen file of another family",
         stK310,
         p310File,
         NoFilesRow::ChosenFile,
         {"", "P310V3e_Standard_Main.pfwf", "3/15/24", "10:20:30 AM"},
         p310File,
         p310File},
        {"chosen file on the HX310 page",
         stHX310,
         p310File,
         NoFilesRow::ChosenFile,
         {"", "P310V3e_Standard_Main.pfwf", "-.--", "3/15/24", "10:20:30 AM"},
         p310File,
         p310File},
        {"chosen file deleted",
         stK310,
         deleted,
         NoFilesRow::ChosenFileMissing,
         {"", "Deleted.kfwf", "File Not Found", ""},
         sel.SourceFile,
         sel.SourceFile},
    };
    const QString before = sel.SourceFile;
    for (const auto& c : cases) {
        sel.SourceFile = before;
        sel.PagerCaption.clear();
        sel.ChosenFile = c.chosen;
        const PcListing l = List(c.family, DefaultPcbVersion(c.family));
        EXPECT_EQ(l.NoFiles, c.state) << c.name;
        EXPECT_EQ(l.RowCount(), 3) << c.name;
        EXPECT_EQ(l.Rows.value(0).Cells, c.cells) << c.name;
        EXPECT_EQ(sel.SourceFile, c.sourceAfter) << c.name;

        sel.SourceFile = QStringLiteral("/set/by/another/page");
        const bool selected = PcGridClickCell(l, 2, sel);
        EXPECT_EQ(selected, c.state == NoFilesRow::ChosenFile) << c.name;
        EXPECT_EQ(sel.SourceFile,
                  selected ? c.sourceOnClick : QStringLiteral("/set/by/another/page"))
            << c.name;
        if (selected) {
            EXPECT_EQ(sel.PagerCaption,
                      QStringLiteral("Selected - P310V3e_Standard_Main.pfwf from PC"));
        }
    }
}

TEST_F(ListingFixture, HX310SerialEntryOnlyOnDeveloperComputers) {
    MakeFile(dir.path(), QStringLiteral("HX310V1_SerialEntry.hfwf"));
    const PcListing user = List(stHX310, -1, false);
    EXPECT_EQ(user.FoundMask, 1u << 5); // the scan checks all six
    ASSERT_EQ(user.Rows.size(), 5);
    for (int row = 2; row < 7; ++row) {
        EXPECT_EQ(user.Cell(row, 2), QStringLiteral("-.--"));
        EXPECT_EQ(user.Cell(row, 3), QStringLiteral("File Not Found"));
        EXPECT_EQ(user.Cell(row, 4), QString());
    }
    const PcListing dev = List(stHX310, -1, true);
    ASSERT_EQ(dev.Rows.size(), 6);
    EXPECT_EQ(dev.Rows[5].Cells, (QStringList{"6", "NL550 3.5\" Serial Number & Test", "-.--",
                                              "3/15/24", "10:20:30 AM"}));
    EXPECT_EQ(dev.Cell(6, 2), QStringLiteral("-.--"));
}

TEST_F(ListingFixture, RowClicks) {
    MakeFile(dir.path(), QStringLiteral("K310V4_LoadOnly.kfwf"));
    const PcListing l = List(stK310, av4);
    // A header row or a row past the listing changes nothing.
    for (int row : {0, 1, -1, 12}) {
        EXPECT_FALSE(PcGridClickCell(l, row, sel)) << row;
        EXPECT_EQ(sel.SourceFile, QStringLiteral("/earlier/choice.kfwf"));
        EXPECT_EQ(sel.PagerCaption, QString());
    }
    // A missing file is selected all the same; the caption names its description.
    EXPECT_TRUE(PcGridClickCell(l, 3, sel));
    EXPECT_EQ(l.Cell(3, 1), QStringLiteral("K310V4_Main_ADS16209_2Len.kfwf"));
    EXPECT_EQ(sel.SourceFile, dir.filePath(QStringLiteral("K310V4_Main_ADS16209_2Len.kfwf")));
    EXPECT_EQ(sel.PagerCaption, QStringLiteral("Selected - Main 2Length from PC"));
    EXPECT_FALSE(QFile::exists(sel.SourceFile));

    // After a browse the folder ends in a separator; the path does not double it.
    sel.ListPathFileName = dir.path() + QLatin1Char('/');
    const PcListing b = List(stK310, av4);
    EXPECT_TRUE(PcGridClickCell(b, 9, sel));
    EXPECT_EQ(sel.SourceFile, dir.filePath(QStringLiteral("K310V4_LoadOnly.kfwf")));
}

TEST_F(ListingFixture, MasksAreRebuiltAndDatesKept) {
    const QString f = MakeFile(dir.path(), QStringLiteral("W310V3a_Standard_Main.wfwf"));
    EXPECT_EQ(List(stW310, -1).FoundMask, 1u);
    const qint32 stamp = files.RlyBrdFileDates[0].PCFileDate;
    EXPECT_EQ(stamp, PackDosDateTime(kStamp));
    ASSERT_TRUE(QFile::remove(f));
    EXPECT_EQ(List(stW310, -1).NoFiles, NoFilesRow::NoFilesFound);
    EXPECT_EQ(files.RlyBrdFilesFoundOnPC, 0u);
    EXPECT_EQ(files.RlyBrdFileDates[0].PCFileDate, stamp);
    // Without a listed folder nothing is looked for, not even in the working folder.
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
    MakeFile(dir.path(), QStringLiteral("W310V3a_Standard_Main.wfwf"));
    sel.ListPathFileName.clear();
    EXPECT_EQ(List(stW310, -1).NoFiles, NoFilesRow::NoFilesFound);
    QDir::setCurrent(cwd);
    // Nothing to list for the large display or a version outside the enumeration.
    EXPECT_FALSE(files.ApplicationFilesonPC(stV8800, -1, sel, false, kUS).has_value());
    EXPECT_FALSE(files.ApplicationFilesonPC(stK310, 4, sel, false, kUS).has_value());
    EXPECT_FALSE(files.ApplicationFilesonPC(stP310, -1, sel, false, kUS).has_value());
}

TEST(CellColour, PaintsOnlyOlderThanTheReferenceWhileTheStickListsFiles) {
    tPcFiles files;
    EXPECT_FALSE(files.GetCellColor(stK310, av4, 2, 1, QString())); // nothing sets a reference
    files.AngFileDates3d[0] = {100, 200};
    files.MthrBrdFileDates3d[1] = {100, 200};
    // The K310 grid compares against the V3d dates whatever its version.
    EXPECT_EQ(files.GetCellColor(stK310, av4, 2, 3, QString()), kOutdatedFileColour);
    EXPECT_EQ(kOutdatedFileColour, 0xFF4500u);
    EXPECT_FALSE(files.GetCellColor(stK310, av4, 2, 3, QStringLiteral("No Files Found!!")));
    EXPECT_FALSE(files.GetCellColor(stK310, av4, 1, 3, QString()));
    EXPECT_FALSE(files.GetCellColor(stK310, av4, 11, 3, QString())); // past the V3d table
    EXPECT_EQ(files.GetCellColor(stP310, mv3d, 3, 0, QString()), kOutdatedFileColour);
    EXPECT_FALSE(files.GetCellColor(stP310, mv3e, 3, 0, QString()));
    files.HX310BrdFileDates[5] = {5, 6};
    EXPECT_EQ(files.GetCellColor(stHX310, -1, 7, 4, QString()), kOutdatedFileColour);
    files.HX310BrdFileDates[5] = {6, 6};
    EXPECT_FALSE(files.GetCellColor(stHX310, -1, 7, 4, QString()));
}
