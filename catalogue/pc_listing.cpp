#include "pc_listing.h"

#include <QFileInfo>

namespace {

const QString kNoFilesFound = QStringLiteral("No Files Found!!");
const QString kFileNotFound = QStringLiteral("File Not Found");
const QString kNoVersion = QStringLiteral("-.--");

bool HasTable(tSystem family, int pcbVersion) {
    switch (family) {
    case stK310:
        return pcbVersion >= av3c && pcbVersion <= av4;
    case stP310:
        return pcbVersion >= mv3d && pcbVersion <= mv3e;
    case stW310:
    case stHX310:
        return true;
    case stV8800:
        break;
    }
    return false;
}

// Column of the date cell; the time cell follows it.
int DateColumn(tSystem family) {
    return family == stHX310 ? 3 : 2;
}

QString SelectedCaption(const QString& what) {
    return QStringLiteral("Selected - ") + what + QStringLiteral(" from PC");
}

// An existing regular file, the target of a link counted as the link.
bool IsExistingFile(const QString& path, QDateTime& lastWrite) {
    QFileInfo fi(path);
    if (!fi.exists() || !fi.isFile())
        return false;
    lastWrite = fi.lastModified();
    return lastWrite.isValid();
}

} // namespace

// ---- DOS date-times -------------------------------------------------------------------

qint32 PackDosDateTime(const QDateTime& local) {
    static const QDateTime kFirst(QDate(1980, 1, 1), QTime(0, 0, 0));
    static const QDateTime kLast(QDate(2107, 12, 31), QTime(23, 59, 58));
    QDateTime t = local.toLocalTime();
    if (!t.isValid() || t < kFirst)
        t = kFirst;
    else if (t > kLast)
        t = kLast;
    const QDate d = t.date();
    const QTime tm = t.time();
    const quint32 date = quint32(((d.year() - 1980) << 9) | (d.month() << 5) | d.day());
    const quint32 time = quint32((tm.hour() << 11) | (tm.minute() << 5) | (tm.second() / 2));
    return qint32((date << 16) | time);
}

QDateTime UnpackDosDateTime(qint32 dos) {
    const quint32 v = quint32(dos);
    const int date = int(v >> 16), time = int(v & 0xFFFF);
    const QDate d(1980 + (date >> 9), (date >> 5) & 0xF, date & 0x1F);
    const QTime t((time >> 11) & 0x1F, (time >> 5) & 0x3F, (time & 0x1F) * 2);
    if (!d.isValid() || !t.isValid())
        return {};
    return QDateTime(d, t);
}

QString LongTimeFormatWithoutZone(const QLocale& locale) {
    // Drop every unquoted run of 't' together with the blanks before it (or after it, when
    // it leads the format); quoted literals stay as they are.
    const QString f = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < f.size(); ++i) {
        const QChar c = f[i];
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            out += c;
            continue;
        }
        if (!quoted && c == QLatin1Char('t')) {
            while (i + 1 < f.size() && f[i + 1] == QLatin1Char('t'))
                ++i;
            if (out.trimmed().isEmpty()) {
                out.clear();
                while (i + 1 < f.size() && f[i + 1].isSpace())
                    ++i;
            } else {
                while (!out.isEmpty() && out.back().isSpace())
                    out.chop(1);
            }
            continue;
        }
        out += c;
    }
    return out.trimmed();
}

QString DosDateText(qint32 dos, const QLocale& locale) {
    const QDateTime t = UnpackDosDateTime(dos);
    return t.isValid() ? locale.toString(t.date(), QLocale::ShortFormat) : QString();
}

QString DosTimeText(qint32 dos, const QLocale& locale) {
    const QDateTime t = UnpackDosDateTime(dos);
    return t.isValid() ? locale.toString(t.time(), LongTimeFormatWithoutZone(locale)) : QString();
}

// ---- Layouts --------------------------------------------------------------------------

GridLayout SetupFilesonPCSG(tSystem family) {
    GridLayout g;
    g.HeaderText = QStringLiteral("Options on PC");
    if (family == stHX310) {
        g.ColumnCount = 5;
        g.ColumnWidths = {18, 200, 50, 88, 88};
        g.ColumnHeaders = {QString(), QStringLiteral("Software Description"),
                           QStringLiteral("Version"), QStringLiteral("Ver. Date"),
                           QStringLiteral("Ver. Time")};
    } else {
        g.ColumnCount = 4;
        g.ColumnWidths = {18, 200, 88, 88};
        g.ColumnHeaders = {QString(), QStringLiteral("Software Description"),
                           QStringLiteral("Ver Date"), QStringLiteral("Ver Time")};
    }
    return g;
}

GridLayout SetupFilesonUSBSG(tSystem) {
    GridLayout g;
    g.HeaderText = QStringLiteral("Options on USB Stick");
    g.ColumnCount = 4;
    g.ColumnWidths = {18, 200, 88, 88};
    g.ColumnHeaders = {QString(), QStringLiteral("Software Description"),
                       QStringLiteral("Ver Date"), QStringLiteral("Ver Time")};
    return g;
}

PcbVersionItems SetupPCBVersion(tSystem family) {
    PcbVersionItems p;
    p.Items = PcbVersionCaptions(family);
    p.ItemIndex = DefaultPcbVersion(family);
    p.Columns = family == stK310 ? 2 : 1;
    return p;
}

// ---- Listing --------------------------------------------------------------------------

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString PcListing::Cell(int row, int column) const {
    if (column < 0 || column >= Layout.ColumnCount)
        return {};
    if (row == 0)
        return column == 0 ? Layout.HeaderText : QString();
    if (row == 1)
        return Layout.ColumnHeaders.value(column);
    const int i = row - Layout.FixedRows;
    if (i < 0 || i >= Rows.size())
        return {};
    return Rows[i].Cells.value(column);
}

quint16 tPcFiles::FoundMask(tSystem family, int pcbVersion) const {
    if (!HasTable(family, pcbVersion))
        return 0;
    switch (family) {
    case stK310: {
        const quint16 m[] = {AngFilesFoundOnPC3c, AngFilesFoundOnPC3d, AngFilesFoundOnPC3e,
                             AngFilesFoundOnPC4};
        return m[pcbVersion];
    }
    case stP310:
        return pcbVersion == mv3d ? MthrBrdFilesFoundOnPC3d : MthrBrdFilesFoundOnPC3e;
    case stW310:
        return RlyBrdFilesFoundOnPC;
    case stHX310:
        return HX310BrdFilesFoundOnPC;
    case stV8800:
        break;
    }
    return 0;
}

void tPcFiles::SetMask(tSystem family, int pcbVersion, quint16 mask) {
    switch (family) {
    case stK310: {
        quint16* m[] = {&AngFilesFoundOnPC3c, &AngFilesFoundOnPC3d, &AngFilesFoundOnPC3e,
                        &AngFilesFoundOnPC4};
        *m[pcbVersion] = mask;
        break;
    }
    case stP310:
        (pcbVersion == mv3d ? MthrBrdFilesFoundOnPC3d : MthrBrdFilesFoundOnPC3e) = quint8(mask);
        break;
    case stW310:
        RlyBrdFilesFoundOnPC = quint8(mask);
        break;
    case stHX310:
        HX310BrdFilesFoundOnPC = quint8(mask);
        break;
    case stV8800:
        break;
    }
}

std::span<tAppFileDate> tPcFiles::Dates(tSystem family, int pcbVersion) {
    if (!HasTable(family, pcbVersion))
        return {};
    switch (family) {
    case stK310:
        switch (pcbVersion) {
        case av3c:
            return AngFileDates3c;
        case av3d:
            return AngFileDates3d;
        case av3e:
            return AngFileDates3e;
        default:
            return AngFileDates4;
        }
    case stP310:
        return pcbVersion == mv3d ? std::span<tAppFileDate>(MthrBrdFileDates3d)
                                  : std::span<tAppFileDate>(MthrBrdFileDates3e);
    case stW310:
        return RlyBrdFileDates;
    case stHX310:
        return HX310BrdFileDates;
    case stV8800:
        break;
    }
    return {};
}

std::span<const tAppFileDate> tPcFiles::FileDates(tSystem family, int pcbVersion) const {
    return const_cast<tPcFiles*>(this)->Dates(family, pcbVersion);
}

bool tPcFiles::ListApplications(tSystem family, int pcbVersion, const QString& folder) {
    if (!HasTable(family, pcbVersion))
        return false;
    const auto table = ApplicationTable(family, pcbVersion);
    const auto dates = Dates(family, pcbVersion);
    quint16 mask = FoundMask(family, pcbVersion);
    // No listed folder yet: look nowhere rather than in the working folder.
    for (size_t i = 0; !folder.isEmpty() && i < table.size(); ++i) {
        QDateTime lastWrite;
        if (IsExistingFile(JoinPath(folder, QString::fromUtf8(table[i].FileName)), lastWrite)) {
            mask |= quint16(1u << i);
            dates[i].PCFileDate = PackDosDateTime(lastWrite);
        }
    }
    SetMask(family, pcbVersion, mask);
    return true;
}

std::optional<PcListing> tPcFiles::ApplicationFilesonPC(tSystem family, int pcbVersion,
                                                        tPcSelection& sel, bool developerComputer,
                                                        const QLocale& locale) {
    if (!HasTable(family, pcbVersion))
        return std::nullopt;
    SetMask(family, pcbVersion, 0);
    ListApplications(family, pcbVersion, sel.ListPathFileName);

    PcListing l;
    l.Family = family;
    l.PcbVersion = pcbVersion;
    l.Layout = SetupFilesonPCSG(family);
    l.FoundMask = FoundMask(family, pcbVersion);
    const int dateCol = DateColumn(family);
    auto blankRow = [&] {
        PcGridRow r;
        for (int c = 0; c < l.Layout.ColumnCount; ++c)
            r.Cells << QString();
        return r;
    };

    if (l.FoundMask != 0) {
        const auto table = ApplicationTable(family, pcbVersion);
        const auto dates = FileDates(family, pcbVersion);
        int n = int(table.size());
        if (family == stHX310 && !developerComputer)
            n = 5; // the serial-number-and-test application is for developer computers
        for (int i = 0; i < n; ++i) {
            PcGridRow r = blankRow();
            r.Entry = i;
            const QString fileName = QString::fromUtf8(table[i].FileName);
            const QString description = QString::fromUtf8(table[i].Description);
            r.Cells[0] = QString::number(i + 1);
            if (l.FoundMask & (1u << i)) {
                r.Cells[1] = description;
                r.Cells[dateCol] = DosDateText(dates[i].PCFileDate, locale);
                r.Cells[dateCol + 1] = DosTimeText(dates[i].PCFileDate, locale);
            } else {
                r.Cells[1] = fileName;
                r.Cells[dateCol] = kFileNotFound;
            }
            if (family == stHX310)
                r.Cells[2] = kNoVersion;
            // A missing file is still selected: the write reports it.
            r.Click = RowSelection{JoinPath(sel.ListPathFileName, fileName),
                                   SelectedCaption(description)};
            l.Rows << r;
        }
        return l;
    }

    // None of the table's files is there: show the browse dialog's file instead.
    PcGridRow r = blankRow();
    QDateTime lastWrite;
    if (sel.ChosenFile.isEmpty()) {
        l.NoFiles = NoFilesRow::NoFilesFound;
        r.Cells[1] = kNoFilesFound;
    } else {
        const QString name = QFileInfo(sel.ChosenFile).fileName();
        r.Cells[1] = name;
        if (family == stHX310)
            r.Cells[2] = kNoVersion;
        if (IsExistingFile(sel.ChosenFile, lastWrite)) {
            l.NoFiles = NoFilesRow::ChosenFile;
            const qint32 dos = PackDosDateTime(lastWrite);
            r.Cells[dateCol] = DosDateText(dos, locale);
            r.Cells[dateCol + 1] = DosTimeText(dos, locale);
            r.Click = RowSelection{sel.ChosenFile, SelectedCaption(name)};
            sel.SourceFile = sel.ChosenFile;
        } else {
            // Deleted since it was chosen: shown as missing, never the write source.
            l.NoFiles = NoFilesRow::ChosenFileMissing;
            r.Cells[dateCol] = kFileNotFound;
        }
    }
    l.Rows << r;
    return l;
}

std::optional<quint32> tPcFiles::GetCellColor(tSystem family, int pcbVersion, int row, int,
                                              const QString& usbGridCell1_2) const {
    if (row <= 1 || usbGridCell1_2 == kNoFilesFound)
        return std::nullopt;
    std::span<const tAppFileDate> dates;
    switch (family) {
    case stK310:
        dates = AngFileDates3d;
        break;
    case stP310:
    case stW310:
    case stHX310:
        dates = FileDates(family, pcbVersion);
        break;
    case stV8800:
        return std::nullopt;
    }
    const size_t i = size_t(row - 2);
    if (i >= dates.size())
        return std::nullopt;
    if (dates[i].PCFileDate < dates[i].CompareDate)
        return kOutdatedFileColour;
    return std::nullopt;
}

bool PcGridClickCell(const PcListing& listing, int row, tPcSelection& sel) {
    const int i = row - listing.Layout.FixedRows;
    if (i < 0 || i >= listing.Rows.size() || !listing.Rows[i].Click)
        return false;
    sel.SourceFile = listing.Rows[i].Click->SourceFile;
    sel.PagerCaption = listing.Rows[i].Click->Caption;
    return true;
}
