#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QGridLayout;
class QTableWidget;

// Radio group: a captioned box of radio buttons laid out in columns; ItemIndex -1 when
// none is chosen. Clicked fires only for a user's choice.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(const QString& caption, QWidget* parent = nullptr);
    void SetItems(const QStringList& items);
    QStringList Items() const { return FItems; }
    void ClearItems() { SetItems({}); }
    void AddItem(const QString& item);
    int ItemIndex() const;
    void SetItemIndex(int index);
    int Columns() const { return FColumns; }
    void SetColumns(int columns);
signals:
    void Clicked(int index);

private:
    void Rebuild();
    QStringList FItems;
    int FColumns = 1;
    int FIndex = -1;
    QButtonGroup* FGroup;
    QGridLayout* FLayout;
};

// Check group: a captioned box of check boxes; CheckBoxClick fires for a user's change.
class TCheckGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TCheckGroup(const QString& caption, QWidget* parent = nullptr);
    void SetItems(const QStringList& items);
    QStringList Items() const { return FItems; }
    bool Checked(int index) const;
    void SetChecked(int index, bool checked);
    int Count() const { return int(FItems.size()); }
signals:
    void CheckBoxClick(int index);

private:
    QStringList FItems;
    QList<class QCheckBox*> FBoxes;
    QGridLayout* FLayout;
};

// Data label: a caption with a data text beside it ("NL9000 File Selected" / "No File
// Selected").
class TDataLabel : public QWidget {
    Q_OBJECT
public:
    TDataLabel(const QString& caption, const QString& data, QWidget* parent = nullptr);
    QString Caption() const { return FCaption->text(); }
    QString Data() const { return FData->text(); }
    void SetData(const QString& data) { FData->setText(data); }

private:
    QLabel* FCaption;
    QLabel* FData;
};

// A board page's file frame: the PC grid on the left, the stick grid (always hidden) on
// the right.
class TParameterFrame : public QWidget {
    Q_OBJECT
public:
    explicit TParameterFrame(const QString& name, QWidget* parent = nullptr);
    QTableWidget* FilesonPCSG;
    QTableWidget* FilesonUSBSG;
};
