#pragma once

#include <QString>
#include <QVariant>

class Hive;
class UserDialogs;

// Entries of the settings store, in table order.
enum tINFOVARIABLE { ivBROWSEBASEPATH = 0, ivLASTVERSIONCHECK = 1, ivLOGWEBUPDATE = 2 };

// Type codes of the entry table.
enum tInfoType : quint8 { itText = 0, itInteger = 1, itFloat = 2, itBoolean = 3 };

struct tInfoEntry {
    const char* Name;
    tInfoType Type;
    QVariant Default;
};

// The table itself; an entry is addressed by its enumerator.
const tInfoEntry& InfoEntry(tINFOVARIABLE Indx);

// The program's settings, kept under one key of the current user's hive. Each call opens
// the key afresh; a value not yet present is written with its default when first read.
// Hive failures and type mismatches are thrown as ERegistryException, bad conversions as
// EVariantError.
class tInfo {
public:
    tInfo(Hive& hive, UserDialogs& dialogs) : reg(hive), FDialogs(dialogs) {}

    QString RegPath;

    // The stored value, or its default (written on first read). Invalid when RegPath is
    // empty or the key cannot be opened.
    QVariant ReturnVariable(tINFOVARIABLE Indx);
    void SetVariable(tINFOVARIABLE Indx, const QVariant& V);
    QVariant ReturnVariableConst(tINFOVARIABLE Indx) const;

    // Reading and writing by table record; the fixed table uses text and boolean, the
    // store handles all four type codes.
    QVariant ReadEntry(const tInfoEntry& e);
    void WriteEntry(const tInfoEntry& e, const QVariant& V);

private:
    bool OpenKey();
    Hive& reg;
    UserDialogs& FDialogs;
};
