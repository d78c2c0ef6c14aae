#pragma once

#include <QString>
#include <QStringList>
#include <span>

// The compiled-in knowledge of the five board families.
enum tSystem { stV8800 = 0, stK310 = 1, stP310 = 2, stW310 = 3, stHX310 = 4 };
constexpr int kSystemCount = 5;

enum tAngleBrdVer { av3c = 0, av3d = 1, av3e = 2, av4 = 3 };
enum tMotherBrdVer { mv3d = 0, mv3e = 1 };

struct tAppEntry {
    const char* FileName;
    const char* Description; // UTF-8
};

QString PCFolderNames(tSystem s);
QString UsbFolderNames(tSystem s);
QString AppFileExtensions(tSystem s);
QString SystemName(tSystem s);  // "V8800", "K310", ...
QString PageCaption(tSystem s); // "K310 Options", ...
QString PageObjectName(tSystem s);
bool SystemFromName(const QString& name, tSystem& out); // "K310" -> stK310

// The eight target names, in their fixed order.
constexpr int kUsbTargetCount = 8;
QString UsbTargetNames(int position);

// PCB versions: captions in item order and the default item.
QStringList AngleBrdVerNames();
QStringList MotherBrdVerNames();
constexpr tAngleBrdVer kDefaultAngleBrdVer = av4;
constexpr tMotherBrdVer kDefaultMotherBrdVer = mv3e;

// Application tables.
std::span<const tAppEntry> AngApplications(tAngleBrdVer v);
std::span<const tAppEntry> MthrBrdApplications(tMotherBrdVer v);
std::span<const tAppEntry> RlyBrdApplications();
std::span<const tAppEntry> HX310BrdApplications();

// Table of a page; V8800 has none (empty). `pcbVersion` is the ordinal of the family's
// PCB version enumeration and is ignored for the families without one.
std::span<const tAppEntry> ApplicationTable(tSystem s, int pcbVersion);
QStringList PcbVersionCaptions(tSystem s); // empty for families without versions
int DefaultPcbVersion(tSystem s);          // -1 for families without versions

// Target name position of a page. The V3c angle board has no name of its own in the
// table; it gets "K310V3c.bin" (see UsbTargetName).
int UsbTargetPosition(tSystem s, int pcbVersion); // -1 for K310 V3c
QString UsbTargetName(tSystem s, int pcbVersion);

// Family folder + "/" + target name, relative to the stick's root.
QString UsbTargetRelativePath(tSystem s, int pcbVersion);

// True when `name` fits the 8.3 short-name form.
bool IsShortName(const QString& name);
