#pragma once

#include "catalogue.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <span>

// The listing of a family's application files found in a folder on the PC, as the PC grid
// of a board page shows it. Nothing here touches a widget: the main window renders a
// PcListing into its grid and keeps a tPcSelection as its selection state.

// ---- DOS date-times -------------------------------------------------------------------

// Date in the high 16 bits (years since 1980, month, day), time in the low 16 bits
// (hours, minutes, seconds / 2). Times outside 1980..2107 are clamped to the ends of the
// range, so every packed value unpacks to a real date.
qint32 PackDosDateTime(const QDateTime& local);
// Invalid when the fields do not form a date and time (such as a 0 that was never set).
QDateTime UnpackDosDateTime(qint32 dos);

// The locale's long time format with its time-zone part removed: a DOS time has no zone.
QString LongTimeFormatWithoutZone(const QLocale& locale);
// Short date and long time (without zone) of a DOS date-time; empty when it is invalid.
QString DosDateText(qint32 dos, const QLocale& locale);
QString DosTimeText(qint32 dos, const QLocale& locale);

// ---- Grid layout ----------------------------------------------------------------------

struct GridLayout {
    int FixedColumns = 0;
    int FixedRows = 2;
    int ColumnCount = 4;
    QList<int> ColumnWidths;
    int MergedHeaderColumns = 4; // row 0, columns 0 .. MergedHeaderColumns-1 are one cell
    QString HeaderText;          // text of that merged cell
    QStringList ColumnHeaders;   // row 1, one text per column (column 0 empty)
    bool RowSelect = true;       // whole rows are selected
    bool ShowSelection = true;
};

// SetupFilesonPCSG_K310 .. _HX310 and SetupFilesonUSBSG_K310 .. _HX310. V8800 has no
// listing; it gets the four-column layout so a caller never sees an empty one.
GridLayout SetupFilesonPCSG(tSystem family);
GridLayout SetupFilesonUSBSG(tSystem family);

// SetupPCBVersion_K310 / _P310: the radio group's items and the selected default. Empty
// items (and ItemIndex -1) for the families without PCB versions.
struct PcbVersionItems {
    QStringList Items;
    int ItemIndex = -1; // also the new AngleBrdVer / MotherBrdVer
    int Columns = 1;    // the group shows two columns on the K310 page, one on the P310 page
};
PcbVersionItems SetupPCBVersion(tSystem family);

// ---- Selection state ------------------------------------------------------------------

// The main window's fields that the listing, the row clicks and the browse dialogs change.
struct tPcSelection {
    QString SourceFile;       // full path "Write To USB Stick" copies
    QString ListPathFileName; // folder being listed
    QString ChosenFile;       // the browse dialog's file name (full path; empty: none)
    QString PagerCaption;     // caption of the tool bar pager
    QString NL9000FileLBL = QStringLiteral("No File Selected");
    QString AttachedFileLBL;
};

// ---- Listing --------------------------------------------------------------------------

struct tAppFileDate {
    qint32 PCFileDate = 0;
    qint32 CompareDate = 0; // reference for the cell-colour hook; nothing sets it
};

// What a click on a body row does.
struct RowSelection {
    QString SourceFile;
    QString Caption; // "Selected - " + description + " from PC"
};

struct PcGridRow {
    QStringList Cells;                 // one per column; empty cells are empty strings
    std::optional<RowSelection> Click; // nothing: the click selects nothing
    int Entry = -1;                    // catalogue position shown; -1 for the no-files row
};

enum class NoFilesRow { None, NoFilesFound, ChosenFile, ChosenFileMissing };

struct PcListing {
    tSystem Family = stK310;
    int PcbVersion = -1;
    GridLayout Layout;
    quint16 FoundMask = 0;
    NoFilesRow NoFiles = NoFilesRow::None; // None: one row per listed entry
    QList<PcGridRow> Rows;                 // body rows; Rows[i] is grid row i + 2
    int RowCount() const { return int(Rows.size()) + Layout.FixedRows; }
    // Cell text of grid row `row` (header rows included), empty outside the grid.
    QString Cell(int row, int column) const;
};

// Colour value of the highlight, blue 0, green 69, red 255, as 0xRRGGBB.
constexpr quint32 kOutdatedFileColour = 0xFF4500;

// The found masks and date tables of every application table, kept for the whole run.
class tPcFiles {
public:
    quint16 AngFilesFoundOnPC3c = 0, AngFilesFoundOnPC3d = 0, AngFilesFoundOnPC3e = 0,
            AngFilesFoundOnPC4 = 0;
    quint8 MthrBrdFilesFoundOnPC3d = 0, MthrBrdFilesFoundOnPC3e = 0;
    quint8 RlyBrdFilesFoundOnPC = 0;
    quint8 HX310BrdFilesFoundOnPC = 0;

    std::array<tAppFileDate, 9> AngFileDates3c{}, AngFileDates3d{};
    std::array<tAppFileDate, 10> AngFileDates3e{}, AngFileDates4{};
    std::array<tAppFileDate, 4> MthrBrdFileDates3d{}, MthrBrdFileDates3e{};
    std::array<tAppFileDate, 1> RlyBrdFileDates{};
    std::array<tAppFileDate, 6> HX310BrdFileDates{};

    // Found mask and date table of a family's table; 0 / empty for V8800 and PCB versions
    // outside the family's enumeration.
    quint16 FoundMask(tSystem family, int pcbVersion) const;
    std::span<const tAppFileDate> FileDates(tSystem family, int pcbVersion) const;

    // ListApplications_*: looks for every entry of the table in `folder` (symbolic links
    // followed, folders not counted), sets its bit and its PCFileDate. Does not clear the
    // mask. False when there is no such table.
    bool ListApplications(tSystem family, int pcbVersion, const QString& folder);

    // ApplicationFilesonPC_*: clears the mask, scans sel.ListPathFileName and builds the
    // grid. In the no-files state with a chosen file that still exists, SourceFile becomes
    // that file. Nothing (and no change) for V8800 or a PCB version outside the family's.
    std::optional<PcListing> ApplicationFilesonPC(tSystem family, int pcbVersion, tPcSelection& sel,
                                                  bool developerComputer,
                                                  const QLocale& locale = QLocale::system());

    // The cell-colour hook of a PC grid: the highlight colour for a body row whose entry's
    // PCFileDate is less than its CompareDate while the USB grid's cell (1, 2) does not
    // read "No Files Found!!". The K310 grid compares against the V3d table whatever the
    // version; rows past the end of the compared table are never painted.
    std::optional<quint32> GetCellColor(tSystem family, int pcbVersion, int row, int column,
                                        const QString& usbGridCell1_2) const;

private:
    std::span<tAppFileDate> Dates(tSystem family, int pcbVersion);
    void SetMask(tSystem family, int pcbVersion, quint16 mask);
};

// Row click on a family's PC grid (K310FrameFilesonPCSGClickCell and its siblings): the
// header rows and rows outside the listing change nothing; a body row makes its file
// SourceFile and sets the pager caption. True when something was selected.
bool PcGridClickCell(const PcListing& listing, int row, tPcSelection& sel);

// `folder` + one separator + `name`, whether or not the folder already ends in one.
QString JoinPath(const QString& folder, const QString& name);
