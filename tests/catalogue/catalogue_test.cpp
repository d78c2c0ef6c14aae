#include "catalogue.h"

#include <QSet>
#include <gtest/gtest.h>

TEST(Catalogue, EveryStickNameFitsTheShortNameForm) {
    for (int s = 0; s < kSystemCount; ++s)
        EXPECT_TRUE(IsShortName(UsbFolderNames(tSystem(s)))) << s;
    for (int i = 0; i < kUsbTargetCount; ++i)
        EXPECT_TRUE(IsShortName(UsbTargetNames(i))) << i;
    EXPECT_TRUE(IsShortName(UsbTargetName(stK310, av3c)));
    // The rule itself: eight before the point, three after, no blanks.
    for (const char* bad : {"HX310_bin", "crane_fw.24hx", "", "a b.bin", "x.y.z"})
        EXPECT_FALSE(IsShortName(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(UsbFolderNames(stHX310), QStringLiteral("HX310bin"));
    EXPECT_EQ(UsbFolderNames(stV8800), QStringLiteral("V88_bin"));
}

TEST(Catalogue, TablesHaveTheirFixedCounts) {
    EXPECT_EQ(AngApplications(av3c).size(), 9u);
    EXPECT_EQ(AngApplications(av3d).size(), 9u);
    EXPECT_EQ(AngApplications(av3e).size(), 10u);
    EXPECT_EQ(AngApplications(av4).size(), 10u);
    EXPECT_EQ(MthrBrdApplications(mv3d).size(), 4u);
    EXPECT_EQ(MthrBrdApplications(mv3e).size(), 4u);
    EXPECT_EQ(RlyBrdApplications().size(), 1u);
    EXPECT_EQ(HX310BrdApplications().size(), 6u);
    EXPECT_TRUE(ApplicationTable(stV8800, 0).empty());
}

TEST(Catalogue, SpellingsAreExact) {
    EXPECT_STREQ(MthrBrdApplications(mv3d)[1].FileName, "P310V3d_Compatability_High.pfwf");
    EXPECT_STREQ(MthrBrdApplications(mv3e)[2].FileName, "P310V3e_Compatability_Low.pfwf");
    EXPECT_STREQ(HX310BrdApplications()[3].Description, "NL550 3.5\" Windspeed - WireLess");
    EXPECT_STREQ(HX310BrdApplications()[4].Description, "NL550 3.5\" Windspeed - Wired");
    EXPECT_STREQ(AngApplications(av3e)[1].Description, "Aux. K310");
    EXPECT_STREQ(AngApplications(av3e)[2].Description, "Aux. POK3 - Excavator");
    EXPECT_STREQ(AngApplications(av4)[1].Description, "Main 2Length");
    EXPECT_STREQ(AngApplications(av4)[2].Description, "Aux. K310");
    EXPECT_STREQ(AngApplications(av3e)[4].Description, "PipeLayer Only");
    // V3c and V3d share descriptions; only the version tag differs in the names.
    for (size_t i = 0; i < 9; ++i) {
        EXPECT_STREQ(AngApplications(av3c)[i].Description, AngApplications(av3d)[i].Description);
        EXPECT_EQ(QString::fromLatin1(AngApplications(av3c)[i].FileName)
                      .replace(QStringLiteral("V3c"), QStringLiteral("V3d")),
                  QString::fromLatin1(AngApplications(av3d)[i].FileName));
    }
    // Every file name carries its family's extension and is unique within its family.
    for (tSystem s : {stK310, stP310, stW310, stHX310}) {
        QSet<QString> names;
        const int versions = std::max<int>(1, int(PcbVersionCaptions(s).size()));
        for (int v = 0; v < versions; ++v)
            for (const tAppEntry& e : ApplicationTable(s, v)) {
                const QString n = QString::fromLatin1(e.FileName);
                EXPECT_TRUE(n.endsWith(AppFileExtensions(s))) << e.FileName;
                EXPECT_FALSE(names.contains(n)) << e.FileName;
                names.insert(n);
            }
    }
}

TEST(Catalogue, TargetOfEveryPage) {
    struct Case {
        tSystem s;
        int pcb;
        const char* path;
    };
    const Case cases[] = {
        {stV8800, -1, "V88_bin/crane_fw.24h"},  {stK310, av3c, "K310_bin/K310V3c.bin"},
        {stK310, av3d, "K310_bin/K310V3d.bin"}, {stK310, av3e, "K310_bin/K310V3e.bin"},
        {stK310, av4, "K310_bin/K310V4.bin"},   {stP310, mv3d, "P310_bin/P310V3d.bin"},
        {stP310, mv3e, "P310_bin/P310V3e.bin"}, {stW310, -1, "W310_bin/W310V3a.bin"},
        {stHX310, -1, "HX310bin/HX310V1.bin"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UsbTargetRelativePath(c.s, c.pcb), QString::fromLatin1(c.path)) << c.path;
    EXPECT_EQ(DefaultPcbVersion(stK310), av4);
    EXPECT_EQ(DefaultPcbVersion(stP310), mv3e);
    EXPECT_EQ(AngleBrdVerNames(), (QStringList{"V3c", "V3d", "V3e", "V4"}));
    EXPECT_EQ(MotherBrdVerNames(), (QStringList{"V3d", "V3e"}));
}
