// The board pages and the Dev Tools buttons as the main window wires them: what the
// handlers put into the grids, the labels, the tool bar caption, the selection fields and
// the message boxes.
#include "catalogue.h"
#include "fake_system.h"
#include "format_fixtures.h"
#include "hive.h"
#include "main_window.h"
#include "pc_listing.h"
#include "scripted_dialogs.h"
#include "settings.h"
#include "test_deployment.h"
#include "usb_devices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include "test_files.h"
#include "window_fixture.h"
#include <span>

// Readable failures.
void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

// An odd second: the grid can only show the even second before it.
const QDateTime kFileTime(QDate(2024, 3, 5), QTime(14, 7, 37));

QString Cell(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

QString ExpectedDate() {
    return QLocale::system().toString(kFileTime.date(), QLocale::ShortFormat);
}

QString ExpectedTime() {
    const QLocale l = QLocale::system();
    return l.toString(QTime(14, 7, 36), LongTimeFormatWithoutZone(l));
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
    ASSERT_TRUE(f.flush()); // else closing writes again and moves the time
    ASSERT_TRUE(f.setFileTime(kFileTime, QFileDevice::FileModificationTime));
}

struct PagesFixture : MainWindowFixture {
    QString product = docs + QStringLiteral("/Zentrivo/");

    std::unique_ptr<TMainFrm> MakeWindow(tInfo* settings = nullptr) {
        auto w = std::make_unique<TMainFrm>(Services(settings));
        EXPECT_TRUE(dialogs.Messages.isEmpty()) << dialogs.Texts().join('|').toStdString();
        return w;
    }

    static void ClickPcbVersion(TMainFrm& w, int index) {
        auto* b = w.PCBVersionRG->findChild<QRadioButton*>(
            QStringLiteral("PCBVersionRGItem%1").arg(index));
        ASSERT_NE(b, nullptr) << index;
        b->click();
    }

    // Body rows 2.. against a catalogue table whose found entries are `found`.
    static void ExpectTable(const QTableWidget* grid, std::span<const tAppEntry> table,
                            const QStringList& found) {
        ASSERT_EQ(grid->rowCount(), int(table.size()) + 2);
        for (int i = 0; i < int(table.size()); ++i) {
            const int r = i + 2;
            SCOPED_TRACE(r);
            const QString name = QString::fromLatin1(table[i].FileName);
            EXPECT_EQ(Cell(grid, r, 0), QString::number(i + 1));
            if (found.contains(name)) {
                EXPECT_EQ(Cell(grid, r, 1), QString::fromUtf8(table[i].Description));
                EXPECT_EQ(Cell(grid, r, 2), ExpectedDate());
                EXPECT_EQ(Cell(grid, r, 3), ExpectedTime());
            } else {
                EXPECT_EQ(Cell(grid, r, 1), name);
                EXPECT_EQ(Cell(grid, r, 2), QStringLiteral("File Not Found"));
                EXPECT_EQ(Cell(grid, r, 3), QString());
            }
        }
    }
};

} // namespace

TEST_F(PagesFixture, EnteringTheK310PageListsV4AgainAfterV3cWasChosen) {
    const QString folder = product + QStringLiteral("K310_mf");
    WriteFile(folder + QStringLiteral("/K310V3c_LoadOnly.kfwf"), "c");
    WriteFile(folder + QStringLiteral("/K310V4_LoadOnly.kfwf"), "4");
    auto w = MakeWindow();
    w->show();
    QTableWidget* grid = w->K310Frame->FilesonPCSG;

    w->AdvPager->setCurrentWidget(w->K310Page);
    ClickPcbVersion(*w, av3c);
    EXPECT_EQ(w->AngleBrdVer, av3c);
    ExpectTable(grid, AngApplications(av3c), {QStringLiteral("K310V3c_LoadOnly.kfwf")});

    w->AdvPager->setCurrentWidget(w->P310Page);
    w->AdvPager->setCurrentWidget(w->K310Page);
    EXPECT_EQ(w->AngleBrdVer, av4);
    EXPECT_EQ(w->PCBVersionRG->ItemIndex(), int(av4));
    EXPECT_EQ(Cell(grid, 0, 0), QStringLiteral("Options on PC"));
    EXPECT_EQ(Cell(grid, 1, 1), QStringLiteral("Software Description"));
    ExpectTable(grid, AngApplications(av4), {QStringLiteral("K310V4_LoadOnly.kfwf")});
    EXPECT_TRUE(dialogs.Messages.isEmpty());
}

TEST_F(PagesFixture, K310V3eListingAndRowClicks) {
    const QString folder = product + QStringLiteral("K310_mf");
    WriteFile(folder + QStringLiteral("/K310V3e_LoadOnly.kfwf"), "e");
    auto w = MakeWindow();
    w->show();
    QTableWidget* grid = w->K310Frame->FilesonPCSG;
    w->AdvPager->setCurrentWidget(w->K310Page);
    w->PCBVersionRGClick(av3e);
    ASSERT_EQ(w->AngleBrdVer, av3e);
    ExpectTable(grid, AngApplications(av3e), {QStringLiteral("K310V3e_LoadOnly.kfwf")});
    EXPECT_EQ(Cell(grid, 9, 1), QStringLiteral("Load Only (TX Lattice)"));
    EXPECT_TRUE(w->SourceFile.isEmpty());

    struct Click {
        int row;
        const char* file;        // nullptr: nothing selected, the previous state stays
        const char* description; // of the caption
    };
    const Click clicks[] = {
        {9, "K310V3e_LoadOnly.kfwf", "Load Only (TX Lattice)"},
        // A missing file is selected all the same; the caption names its description.
        {2, "K310V3e_Main_ADS16209.kfwf", "Main K310"},
        {0, nullptr, nullptr},
        {1, nullptr, nullptr},
        {11, "K310V3e_Main_DualLen_ADS16209.kfwf", "Main Angle Dual Length"},
        {12, nullptr, nullptr}, // below the last row
    };
    for (const Click& c : clicks) {
        SCOPED_TRACE(c.row);
        const QString sourceBefore = w->SourceFile;
        const QString captionBefore = w->ToolBarCaption();
        emit grid->cellClicked(c.row, 1);
        if (c.file) {
            EXPECT_EQ(w->SourceFile, folder + QLatin1Char('/') + QString::fromLatin1(c.file));
            EXPECT_EQ(w->ToolBarCaption(), QStringLiteral("Selected - ") +
                                               QString::fromLatin1(c.description) +
                                               QStringLiteral(" from PC"));
            EXPECT_EQ(grid->selectionMode(), QAbstractItemView::SingleSelection);
            EXPECT_TRUE(grid->selectionModel()->isRowSelected(c.row));
        } else {
            EXPECT_EQ(w->SourceFile, sourceBefore);
            EXPECT_EQ(w->ToolBarCaption(), captionBefore);
        }
    }
    // The handler itself, as the grid's click calls it.
    w->K310FrameFilesonPCSGClickCell(9, 0);
    EXPECT_EQ(w->SourceFile, folder + QStringLiteral("/K310V3e_LoadOnly.kfwf"));
    EXPECT_TRUE(dialogs.Messages.isEmpty());
}

TEST_F(PagesFixture, NoFilesStateAndFamilyBrowse) {
    auto w = MakeWindow();
    w->show();
    const QString earlier = docs + QStringLiteral("/earlier.kfwf");
    w->SourceFile = earlier;
    QTableWidget* grid = w->K310Frame->FilesonPCSG;
    w->AdvPager->setCurrentWidget(w->K310Page);
    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(Cell(grid, 2, 1), QStringLiteral("No Files Found!!"));
    EXPECT_EQ(w->SourceFile, earlier);
    // That row stands for no file: a click on it selects nothing.
    emit grid->cellClicked(2, 1);
    EXPECT_EQ(w->SourceFile, earlier);
    EXPECT_TRUE(w->ToolBarCaption().isEmpty());

    // A file of another family in a folder of its own.
    const QString other = tmp.filePath(QStringLiteral("elsewhere"));
    const QString chosen = other + QStringLiteral("/custom.pfwf");
    WriteFile(chosen, "custom");
    // A file of another PCB version beside it: the V4 listing does not see it.
    WriteFile(other + QStringLiteral("/K310V3d_LoadOnly.kfwf"), "3d");
    dialogs.FileAnswers.push_back(chosen);
    w->BrowseFileGB->click();
    ASSERT_EQ(dialogs.FileRequests.size(), 1);
    EXPECT_EQ(dialogs.FileRequests.last().Title, QStringLiteral("Browse K310 Firmware File"));
    EXPECT_EQ(w->DirectoryBrowse.FileName, chosen);
    EXPECT_EQ(w->ListPathFileName, other + QLatin1Char('/'));
    EXPECT_EQ(w->ToolBarCaption(), QStringLiteral("Selected File - [custom.pfwf] from Path [") +
                                       QDir::toNativeSeparators(other + QLatin1Char('/')) +
                                       QLatin1Char(']'));
    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(Cell(grid, 2, 1), QStringLiteral("custom.pfwf"));
    EXPECT_EQ(Cell(grid, 2, 2), ExpectedDate());
    EXPECT_EQ(Cell(grid, 2, 3), ExpectedTime());
    EXPECT_EQ(w->SourceFile, chosen);
    emit grid->cellClicked(2, 1);
    EXPECT_EQ(w->SourceFile, chosen);
    EXPECT_EQ(w->ToolBarCaption(), QStringLiteral("Selected - custom.pfwf from PC"));
    // The layout is rebuilt over the new rows, not beside them.
    EXPECT_EQ(Cell(grid, 0, 0), QStringLiteral("Options on PC"));
    EXPECT_EQ(Cell(grid, 1, 2), QStringLiteral("Ver Date"));

    // A cancelled browse leaves no chosen file and the selection as it was.
    dialogs.FileAnswers.push_back(std::nullopt);
    w->BrowseFileGB->click();
    EXPECT_EQ(dialogs.FileRequests.size(), 2);
    EXPECT_TRUE(w->DirectoryBrowse.FileName.isEmpty());
    EXPECT_EQ(w->SourceFile, chosen);
    EXPECT_EQ(w->ListPathFileName, other + QLatin1Char('/'));

    // Without a chosen file, the no-files state is "No Files Found!!" again.
    w->PCBVersionRGClick(av3c);
    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(Cell(grid, 2, 1), QStringLiteral("No Files Found!!"));
    EXPECT_EQ(w->SourceFile, chosen);
    // A version change lists the browsed folder, not the family folder.
    w->PCBVersionRGClick(av3d);
    ExpectTable(grid, AngApplications(av3d), {QStringLiteral("K310V3d_LoadOnly.kfwf")});
    EXPECT_EQ(w->SourceFile, chosen);
    EXPECT_TRUE(dialogs.Messages.isEmpty());
}

TEST_F(PagesFixture, BrowseIntoAFolderWithCatalogueFiles) {
    struct Case {
        const char* page;
        tSystem family;
        const char* file; // the browsed file, entry `entry` of the family's table
        int entry;
        int bodyRows;
        bool sourceAtOnce; // the browsed file is SourceFile before any click
    };
    const Case cases[] = {
        {"K310Page", stK310, "K310V4_Main_ADS16209_2Len.kfwf", 1, 10, false},
        {"HX310Page", stHX310, "HX310V1_LMI.hfwf", 2, 5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        auto w = MakeWindow();
        w->show();
        w->AdvPager->setCurrentWidget(w->findChild<QWidget*>(QString::fromLatin1(c.page)));
        const QString earlier = docs + QStringLiteral("/earlier.bin");
        w->SourceFile = earlier;
        const QString folder = tmp.filePath(QStringLiteral("browsed_%1").arg(c.family));
        const QString chosen = folder + QLatin1Char('/') + QString::fromLatin1(c.file);
        WriteFile(chosen, "fw");
        dialogs.FileAnswers.push_back(chosen);
        w->BrowseFileGB->click();
        QTableWidget* grid = w->Frame(c.family)->FilesonPCSG;
        ASSERT_EQ(grid->rowCount(), c.bodyRows + 2);
        const auto table = ApplicationTable(c.family, w->PcbVersionOf(c.family));
        EXPECT_EQ(Cell(grid, c.entry + 2, 1), QString::fromUtf8(table[c.entry].Description));
        EXPECT_EQ(w->SourceFile, c.sourceAtOnce ? chosen : earlier);
        // A row click names the file in the browsed folder, with a single separator.
        emit grid->cellClicked(2, 1);
        EXPECT_EQ(w->SourceFile,
                  folder + QLatin1Char('/') + QString::fromLatin1(table[0].FileName));
    }
    EXPECT_TRUE(dialogs.Messages.isEmpty()) << dialogs.Texts().join('|').toStdString();
}

TEST_F(PagesFixture, HX310RowsOnDeveloperAndOtherComputers) {
    struct Case {
        const char* name;
        int bodyRows;
    };
    const Case cases[] = {{"WORKSHOP-PC", 5}, {"dev-two", 5}, {"DEV-TWO", 6}, {"DEV-THREE", 6}};
    WriteFile(product + QStringLiteral("HX310_mf/HX310V1_SerialEntry.hfwf"), "hx");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        system.Name = QString::fromLatin1(c.name);
        auto w = MakeWindow();
        w->show();
        w->AdvPager->setCurrentWidget(w->HX310Page);
        const QTableWidget* grid = w->HX310Frame->FilesonPCSG;
        ASSERT_EQ(grid->columnCount(), 5);
        ASSERT_EQ(grid->rowCount(), c.bodyRows + 2);
        const auto table = HX310BrdApplications();
        for (int i = 0; i < c.bodyRows; ++i) {
            const int r = i + 2;
            SCOPED_TRACE(r);
            EXPECT_EQ(Cell(grid, r, 0), QString::number(i + 1));
            EXPECT_EQ(Cell(grid, r, 2), QStringLiteral("-.--"));
            if (i == 5) {
                EXPECT_EQ(Cell(grid, r, 1), QStringLiteral("NL550 3.5\" Serial Number & Test"));
                EXPECT_EQ(Cell(grid, r, 3), ExpectedDate());
                EXPECT_EQ(Cell(grid, r, 4), ExpectedTime());
            } else {
                EXPECT_EQ(Cell(grid, r, 1), QString::fromLatin1(table[i].FileName));
                EXPECT_EQ(Cell(grid, r, 3), QStringLiteral("File Not Found"));
                EXPECT_EQ(Cell(grid, r, 4), QString());
            }
        }
    }
}

TEST_F(PagesFixture, ContainerBrowseStoresItsFolderForTheNextStart) {
    const QString folder = tmp.filePath(QStringLiteral("containers"));
    const QString container = folder + QStringLiteral("/fw.24d");
    WriteFile(container, fx::SmallContainer());
    {
        auto w = MakeWindow();
        w->show();
        ASSERT_EQ(w->AdvPager->currentWidget(), w->V8800ListPage);
        const QString sourceBefore = w->SourceFile;
        dialogs.FileAnswers.push_back(container);
        w->BrowseFileGB->click();
        ASSERT_EQ(dialogs.FileRequests.size(), 1);
        EXPECT_EQ(dialogs.FileRequests.last().Title, QStringLiteral("Browse NL9000 Firmware File"));
        EXPECT_EQ(dialogs.FileRequests.last().FileTypes.size(), 1); // not a developer computer
        EXPECT_EQ(w->NL9000FileLBL->Data(), QStringLiteral("fw.24d"));
        EXPECT_EQ(w->DirectoryBrowse.FileName, container);
        EXPECT_EQ(w->SourceFile, sourceBefore);
        EXPECT_EQ(w->ToolBarCaption(), QStringLiteral("Selected File - [fw.24d] from Path [") +
                                           QDir::toNativeSeparators(folder + QLatin1Char('/')) +
                                           QLatin1Char(']'));
        // Written at once, not when the window closes: read through a second store.
        RegFileHive onDisk(hivePath);
        const std::optional<HiveValue> stored =
            onDisk.ReadValue(kKey, QStringLiteral("Browse Path"));
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(QDir::cleanPath(QDir::fromNativeSeparators(stored->text)), folder);

        // A cancel leaves no chosen container and the label as it was.
        dialogs.FileAnswers.push_back(std::nullopt);
        w->BrowseFileGB->click();
        EXPECT_TRUE(w->DirectoryBrowse.FileName.isEmpty());
        EXPECT_EQ(w->NL9000FileLBL->Data(), QStringLiteral("fw.24d"));
    }
    // A restart, with settings read afresh from the store.
    RegFileHive hive2(hivePath);
    tInfo info2(hive2, dialogs);
    info2.RegPath = kKey;
    auto w = MakeWindow(&info2);
    dialogs.FileAnswers.push_back(std::nullopt);
    w->BrowseFileGB->click();
    ASSERT_EQ(dialogs.FileRequests.size(), 3);
    EXPECT_EQ(
        QDir::cleanPath(QDir::fromNativeSeparators(dialogs.FileRequests.last().DefaultFolder)),
        folder);
    EXPECT_EQ(w->NL9000FileLBL->Data(), QStringLiteral("No File Selected"));
    EXPECT_TRUE(dialogs.Messages.isEmpty());
}

struct DevToolsFixture : PagesFixture {
    QString folder = tmp.filePath(QStringLiteral("dev"));
    std::unique_ptr<TMainFrm> w;

    void SetUp() override {
        PagesFixture::SetUp();
        QDir().mkpath(folder);
        system.Name = QStringLiteral("DEV-ONE");
        w = MakeWindow();
        w->show();
    }
    QStringList Files() const { return QDir(folder).entryList(QDir::Files, QDir::Name); }
};

TEST_F(DevToolsFixture, WriteToHexConvertsTheBrowsedContainer) {
    const QString container = folder + QStringLiteral("/fw.24d");
    WriteFile(container, fx::SmallContainer());
    // An older image is overwritten.
    WriteFile(folder + QStringLiteral("/fw.24h"), "old image");
    dialogs.FileAnswers.push_back(container);
    w->BrowseFileGB->click();
    ASSERT_EQ(w->DirectoryBrowse.FileName, container);
    // A developer computer also offers the DFU and HEX inputs of these tools.
    EXPECT_EQ(dialogs.FileRequests.last().FileTypes.size(), 3);

    w->Write2HexGB->click();
    EXPECT_EQ(ReadAll(folder + QStringLiteral("/fw.24h")),
              QByteArray(4, '\0') + fx::SmallImageText());
    EXPECT_EQ(ReadAll(container), fx::SmallContainer());
    EXPECT_EQ(Files(), (QStringList{"fw.24d", "fw.24h"}));
    EXPECT_TRUE(dialogs.Messages.isEmpty()) << dialogs.Texts().join('|').toStdString();
}

TEST_F(DevToolsFixture, WriteToDfuConvertsAHexFile) {
    const QString hex = folder + QStringLiteral("/app.hex");
    WriteFile(hex, fx::SmallImageText());
    w->DirectoryBrowse.FileName = hex;
    w->Write2DfuGB->click();
    EXPECT_EQ(ReadAll(folder + QStringLiteral("/app.24d")), fx::SmallContainer());
    EXPECT_EQ(Files(), (QStringList{"app.24d", "app.hex"}));
    EXPECT_TRUE(dialogs.Messages.isEmpty()) << dialogs.Texts().join('|').toStdString();
}

TEST_F(DevToolsFixture, BrokenHexLeavesTheExistingContainerAndShowsAnError) {
    const QString hex = folder + QStringLiteral("/app.hex");
    QByteArray broken = fx::SmallImageText();
    broken.replace(":0400100010111213A6", ":0400100010111213A7"); // wrong checksum
    WriteFile(hex, broken);
    const QByteArray old = fx::Container({{0x08000000u, fx::Counting(8, 0x40)}});
    WriteFile(folder + QStringLiteral("/app.24d"), old);
    w->DirectoryBrowse.FileName = hex;
    w->Write2DfuGB->click();
    EXPECT_EQ(ReadAll(folder + QStringLiteral("/app.24d")), old);
    EXPECT_EQ(Files(), (QStringList{"app.24d", "app.hex"}));
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Icon, MsgIcon::Error);
    EXPECT_EQ(dialogs.Messages[0].Buttons, MsgButtons::Ok);
    EXPECT_TRUE(dialogs.Messages[0].Text.contains(QStringLiteral("Record checksum error")))
        << dialogs.Messages[0].Text.toStdString();
}

TEST_F(DevToolsFixture, ContainerRemovedAfterTheBrowseIsReported) {
    const QString container = folder + QStringLiteral("/fw.24d");
    WriteFile(container, fx::SmallContainer());
    dialogs.FileAnswers.push_back(container);
    w->BrowseFileGB->click();
    ASSERT_TRUE(QFile::remove(container));
    w->Write2HexGB->click();
    EXPECT_TRUE(Files().isEmpty()) << Files().join('|').toStdString();
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Icon, MsgIcon::Error);
}

// A file that already has the output's extension (chosen on a family page or dropped onto
// the stick grid) would be read and then replaced by its own conversion.
TEST_F(DevToolsFixture, OutputThatWouldReplaceTheChosenFileIsRefused) {
    struct Case {
        const char* file;
        QByteArray bytes;
        QToolButton* TMainFrm::*button;
    };
    const Case cases[] = {
        // Convertible contents under the output's name: a naive run would succeed.
        {"fw.24h", fx::SmallContainer(), &TMainFrm::Write2HexGB},
        {"fw.24d", fx::SmallImageText(), &TMainFrm::Write2DfuGB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QString file = folder + QLatin1Char('/') + QString::fromLatin1(c.file);
        WriteFile(file, c.bytes);
        dialogs.Messages.clear();
        w->DirectoryBrowse.FileName = file;
        (w.get()->*c.button)->click();
        EXPECT_EQ(ReadAll(file), c.bytes);
        EXPECT_EQ(Files(), QStringList{QString::fromLatin1(c.file)});
        ASSERT_EQ(dialogs.Messages.size(), 1);
        EXPECT_EQ(dialogs.Messages[0].Icon, MsgIcon::Error);
        QFile::remove(file);
    }
}

TEST_F(DevToolsFixture, NoChosenFileShowsAHintAndWritesNothing) {
    const QString container = folder + QStringLiteral("/fw.24d");
    WriteFile(container, fx::SmallContainer());
    // A cancelled browse clears an earlier choice.
    dialogs.FileAnswers.push_back(container);
    w->BrowseFileGB->click();
    dialogs.FileAnswers.push_back(std::nullopt);
    w->BrowseFileGB->click();
    ASSERT_TRUE(w->DirectoryBrowse.FileName.isEmpty());

    for (QToolButton* button : {w->Write2HexGB, w->Write2DfuGB}) {
        SCOPED_TRACE(button->objectName().toStdString());
        dialogs.Messages.clear();
        button->click();
        ASSERT_EQ(dialogs.Messages.size(), 1);
        EXPECT_EQ(dialogs.Messages[0].Icon, MsgIcon::Information);
        EXPECT_EQ(Files(), QStringList{"fw.24d"});
    }
}
