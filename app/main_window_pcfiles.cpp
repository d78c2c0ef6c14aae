// Board pages: the application files on the PC, the PCB version and the browse dialogs.
#include "browse.h"
#include "main_window.h"
#include "settings.h"
#include "system_services.h"
#include "user_dialogs.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QToolButton>

TParameterFrame* TMainFrm::Frame(tSystem s) const {
    switch (s) {
    case stV8800:
        return V8800Frame;
    case stK310:
        return K310Frame;
    case stP310:
        return P310Frame;
    case stW310:
        return W310Frame;
    case stHX310:
        return HX310Frame;
    }
    return nullptr;
}

int TMainFrm::PcbVersionOf(tSystem s) const {
    if (s == stK310)
        return AngleBrdVer;
    if (s == stP310)
        return MotherBrdVer;
    return -1;
}

tPcSelection TMainFrm::Selection() const {
    tPcSelection sel;
    sel.SourceFile = SourceFile;
    sel.ListPathFileName = ListPathFileName;
    sel.ChosenFile = DirectoryBrowse.FileName;
    sel.PagerCaption = ToolBarCaption();
    sel.NL9000FileLBL = NL9000FileLBL->Data();
    sel.AttachedFileLBL = AttachedFileLBL->Data();
    return sel;
}

void TMainFrm::ApplySelection(const tPcSelection& sel) {
    SourceFile = sel.SourceFile;
    ListPathFileName = sel.ListPathFileName;
    DirectoryBrowse.FileName = sel.ChosenFile;
    SetToolBarCaption(sel.PagerCaption);
    NL9000FileLBL->SetData(sel.NL9000FileLBL);
    AttachedFileLBL->SetData(sel.AttachedFileLBL);
}

void TMainFrm::ConnectBoardPages() {
    connect(PCBVersionRG, &TRadioGroup::Clicked, this,
            [this](int index) { Guard([&] { PCBVersionRGClick(index); }); });
    connect(BrowseFileGB, &QToolButton::clicked, this,
            [this] { Guard([&] { BrowseFileGBClick(); }); });
    const std::pair<tSystem, void (TMainFrm::*)(int, int)> handlers[] = {
        {stV8800, &TMainFrm::V8800FrameFilesonPCSGClickCell},
        {stK310, &TMainFrm::K310FrameFilesonPCSGClickCell},
        {stP310, &TMainFrm::P310FrameFilesonPCSGClickCell},
        {stW310, &TMainFrm::W310FrameFilesonPCSGClickCell},
        {stHX310, &TMainFrm::HX310FrameFilesonPCSGClickCell},
    };
    for (const auto& [s, handler] : handlers) {
        connect(Frame(s)->FilesonPCSG, &QTableWidget::cellClicked, this,
                [this, handler](int row, int column) {
                    Guard([&] { (this->*handler)(row, column); });
                });
    }
}

void TMainFrm::RenderLayout(QTableWidget* grid, const GridLayout& layout) {
    grid->clearSpans();
    grid->clear();
    grid->setColumnCount(layout.ColumnCount);
    grid->setRowCount(layout.FixedRows);
    for (int c = 0; c < layout.ColumnWidths.size() && c < layout.ColumnCount; ++c)
        grid->setColumnWidth(c, layout.ColumnWidths[c]);
    grid->horizontalHeader()->setStretchLastSection(true);
    if (layout.MergedHeaderColumns > 1)
        grid->setSpan(0, 0, 1, layout.MergedHeaderColumns);
    QFont bold = grid->font();
    bold.setBold(true);
    auto fixedCell = [&](int row, int column, const QString& text) {
        auto* item = new QTableWidgetItem(text);
        item->setFont(bold);
        item->setFlags(Qt::ItemIsEnabled);
        item->setBackground(grid->palette().button());
        grid->setItem(row, column, item);
    };
    fixedCell(0, 0, layout.HeaderText);
    for (int c = 0; c < layout.ColumnCount; ++c)
        fixedCell(1, c, c < layout.ColumnHeaders.size() ? layout.ColumnHeaders[c] : QString());
    grid->setSelectionBehavior(layout.RowSelect ? QAbstractItemView::SelectRows
                                                : QAbstractItemView::SelectItems);
}

void TMainFrm::RenderListing(tSystem s, const PcListing& listing) {
    QTableWidget* grid = Frame(s)->FilesonPCSG;
    QTableWidget* usb = Frame(s)->FilesonUSBSG;
    const QString usbCell = usb->item(2, 1) ? usb->item(2, 1)->text() : QString();
    grid->setRowCount(listing.RowCount());
    for (int r = listing.Layout.FixedRows; r < listing.RowCount(); ++r) {
        for (int c = 0; c < listing.Layout.ColumnCount; ++c) {
            auto* item = new QTableWidgetItem(listing.Cell(r, c));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (auto colour = FPcFiles.GetCellColor(s, listing.PcbVersion, r, c, usbCell))
                item->setBackground(QColor(QRgb(*colour)));
            grid->setItem(r, c, item);
        }
    }
    FListings[s] = listing;
}

void TMainFrm::SetupPCBVersion_K310() {
    const PcbVersionItems items = SetupPCBVersion(stK310);
    PCBVersionRG->SetColumns(items.Columns);
    PCBVersionRG->SetItems(items.Items);
    PCBVersionRG->SetItemIndex(items.ItemIndex);
    AngleBrdVer = tAngleBrdVer(items.ItemIndex);
}

void TMainFrm::SetupPCBVersion_P310() {
    const PcbVersionItems items = SetupPCBVersion(stP310);
    PCBVersionRG->SetColumns(items.Columns);
    PCBVersionRG->SetItems(items.Items);
    PCBVersionRG->SetItemIndex(items.ItemIndex);
    MotherBrdVer = tMotherBrdVer(items.ItemIndex);
}

void TMainFrm::SetupFilesonPCSG(tSystem s) {
    RenderLayout(Frame(s)->FilesonPCSG, ::SetupFilesonPCSG(s));
    FListings[s].reset();
}

void TMainFrm::SetupFilesonUSBSG(tSystem s) {
    RenderLayout(Frame(s)->FilesonUSBSG, ::SetupFilesonUSBSG(s));
}

void TMainFrm::ApplicationFilesonPC(tSystem s) {
    tPcSelection sel = Selection();
    const std::optional<PcListing> listing =
        FPcFiles.ApplicationFilesonPC(s, PcbVersionOf(s), sel, IsDeveloper());
    ApplySelection(sel);
    if (listing)
        RenderListing(s, *listing);
}

void TMainFrm::PCBVersionRGClick(int index) {
    const int page = PageSystem(AdvPager->currentIndex());
    if (page == stK310 && index >= 0 && index <= av4)
        AngleBrdVer = tAngleBrdVer(index);
    else if (page == stP310 && index >= 0 && index <= mv3e)
        MotherBrdVer = tMotherBrdVer(index);
    else
        return;
    ListFamilyPage(tSystem(page));
}

void TMainFrm::ListFamilyPage(tSystem s) {
    SetupFilesonPCSG(s);
    SetupFilesonUSBSG(s);
    ApplicationFilesonPC(s);
}

void TMainFrm::FamilyFrameFilesonPCSGClickCell(tSystem s, int row, int) {
    Frame(s)->FilesonPCSG->setSelectionMode(QAbstractItemView::SingleSelection);
    Frame(s)->FilesonUSBSG->clearSelection();
    if (!FListings[s])
        return;
    tPcSelection sel = Selection();
    if (PcGridClickCell(*FListings[s], row, sel))
        ApplySelection(sel);
    if (row >= FListings[s]->Layout.FixedRows)
        Frame(s)->FilesonPCSG->selectRow(row);
}

void TMainFrm::K310FrameFilesonPCSGClickCell(int row, int column) {
    FamilyFrameFilesonPCSGClickCell(stK310, row, column);
}
void TMainFrm::P310FrameFilesonPCSGClickCell(int row, int column) {
    FamilyFrameFilesonPCSGClickCell(stP310, row, column);
}
void TMainFrm::W310FrameFilesonPCSGClickCell(int row, int column) {
    FamilyFrameFilesonPCSGClickCell(stW310, row, column);
}
void TMainFrm::HX310FrameFilesonPCSGClickCell(int row, int column) {
    FamilyFrameFilesonPCSGClickCell(stHX310, row, column);
}

void TMainFrm::V8800FrameFilesonPCSGClickCell(int row, int) {
    const QTableWidgetItem* cell = V8800Frame->FilesonPCSG->item(row, 1);
    tPcSelection sel = Selection();
    if (V8800PcGridClickCell(cell ? cell->text() : QString(), sel))
        ApplySelection(sel);
}

void TMainFrm::BrowseFileGBClick() {
    const BrowseEnv env = BrowseEnv::From(*FServices.System, FServices.Deploy);
    tPcSelection sel = Selection();
    const int page = PageSystem(AdvPager->currentIndex());
    if (page == stV8800) {
        // The selection is applied even when storing the folder fails, so the label
        // always names the container actually chosen.
        try {
            BrowseContainer(env, *FServices.Dialogs, *FServices.Info, sel);
        } catch (...) {
            ApplySelection(sel);
            throw;
        }
        ApplySelection(sel);
        return;
    }
    if (page < 0) {
        BrowseAttachment(env, *FServices.Dialogs, sel);
        ApplySelection(sel);
        return;
    }
    const tSystem s = tSystem(page);
    const std::optional<PcListing> listing =
        BrowseFilesonPC(s, PcbVersionOf(s), env, *FServices.Dialogs, FPcFiles, sel);
    ApplySelection(sel);
    if (listing) {
        SetupFilesonPCSG(s);
        RenderListing(s, *listing);
    }
}
