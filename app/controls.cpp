#include "controls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QRadioButton>
#include <QTableWidget>

TRadioGroup::TRadioGroup(const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent), FGroup(new QButtonGroup(this)), FLayout(new QGridLayout(this)) {
    FLayout->setContentsMargins(6, 4, 6, 4);
    FLayout->setSpacing(2);
    connect(FGroup, &QButtonGroup::idClicked, this, [this](int id) {
        FIndex = id;
        emit Clicked(id);
    });
}

void TRadioGroup::SetItems(const QStringList& items) {
    FItems = items;
    FIndex = -1;
    Rebuild();
}

void TRadioGroup::AddItem(const QString& item) {
    FItems << item;
    Rebuild();
}

void TRadioGroup::Rebuild() {
    for (QAbstractButton* b : FGroup->buttons()) {
        FGroup->removeButton(b);
        delete b;
    }
    const int columns = qMax(1, FColumns);
    const int rows = (int(FItems.size()) + columns - 1) / columns;
    for (int i = 0; i < FItems.size(); ++i) {
        auto* b = new QRadioButton(FItems[i], this);
        b->setObjectName(objectName() + QStringLiteral("Item%1").arg(i));
        FGroup->addButton(b, i);
        FLayout->addWidget(b, rows ? i % rows : 0, rows ? i / rows : 0);
        b->setChecked(i == FIndex);
    }
}

int TRadioGroup::ItemIndex() const {
    return FIndex;
}

void TRadioGroup::SetItemIndex(int index) {
    FIndex = (index >= 0 && index < FItems.size()) ? index : -1;
    if (FIndex < 0) {
        FGroup->setExclusive(false);
        for (QAbstractButton* b : FGroup->buttons())
            b->setChecked(false);
        FGroup->setExclusive(true);
    } else if (QAbstractButton* b = FGroup->button(FIndex)) {
        b->setChecked(true);
    }
}

void TRadioGroup::SetColumns(int columns) {
    FColumns = qMax(1, columns);
    Rebuild();
}

TCheckGroup::TCheckGroup(const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent), FLayout(new QGridLayout(this)) {
    FLayout->setContentsMargins(6, 4, 6, 4);
    FLayout->setSpacing(2);
}

void TCheckGroup::SetItems(const QStringList& items) {
    qDeleteAll(FBoxes);
    FBoxes.clear();
    FItems = items;
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QCheckBox(items[i], this);
        b->setObjectName(objectName() + QStringLiteral("Item%1").arg(i));
        FLayout->addWidget(b, i, 0);
        connect(b, &QCheckBox::clicked, this, [this, i] { emit CheckBoxClick(i); });
        FBoxes << b;
    }
}

bool TCheckGroup::Checked(int index) const {
    return index >= 0 && index < FBoxes.size() && FBoxes[index]->isChecked();
}

void TCheckGroup::SetChecked(int index, bool checked) {
    if (index >= 0 && index < FBoxes.size())
        FBoxes[index]->setChecked(checked);
}

TDataLabel::TDataLabel(const QString& caption, const QString& data, QWidget* parent)
    : QWidget(parent), FCaption(new QLabel(caption, this)), FData(new QLabel(data, this)) {
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(4, 2, 4, 2);
    QFont bold = FCaption->font();
    bold.setBold(true);
    FCaption->setFont(bold);
    FCaption->setObjectName(QStringLiteral("Caption"));
    FData->setObjectName(QStringLiteral("Data"));
    FData->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->addWidget(FCaption);
    l->addWidget(FData, 1);
}

namespace {
QTableWidget* MakeGrid(QWidget* parent, const QString& name) {
    auto* g = new QTableWidget(parent);
    g->setObjectName(name);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->horizontalHeader()->hide(); // fixed rows are ordinary rows drawn bold
    g->verticalHeader()->hide();
    g->verticalHeader()->setDefaultSectionSize(22);
    g->setFont(QFont(QStringLiteral("Tahoma"), 8));
    return g;
}
} // namespace

TParameterFrame::TParameterFrame(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(2, 2, 2, 2);
    FilesonPCSG = MakeGrid(this, QStringLiteral("FilesonPCSG"));
    FilesonUSBSG = MakeGrid(this, QStringLiteral("FilesonUSBSG"));
    l->addWidget(FilesonPCSG, 1);
    l->addWidget(FilesonUSBSG, 1);
    FilesonUSBSG->hide();
}
