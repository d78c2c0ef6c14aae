#include "catalogue.h"

#include <array>

namespace {

struct FamilyNames {
    const char* System;
    const char* PageObject;
    const char* PageCaption;
    const char* PCFolder;
    const char* UsbFolder;
    const char* Extension;
};

constexpr std::array<FamilyNames, kSystemCount> kFamilies = {{
    {"V8800", "V8800ListPage", "V8800 Options (NL9000)", "V8800_mf", "V88_bin", ".24d"},
    {"K310", "K310Page", "K310 Options", "K310_mf", "K310_bin", ".kfwf"},
    {"P310", "P310Page", "P310 Options", "P310_mf", "P310_bin", ".pfwf"},
    {"W310", "W310Page", "W310 Options", "W310_mf", "W310_bin", ".wfwf"},
    {"HX310", "HX310Page", "HX310 Options (NL550)", "HX310_mf", "HX310bin", ".hfwf"},
}};

constexpr std::array<const char*, kUsbTargetCount> kUsbTargetNames = {
    "crane_fw.24h", "K310V3d.bin", "K310V3e.bin", "K310V4.bin",
    "P310V3d.bin",  "P310V3e.bin", "W310V3a.bin", "HX310V1.bin",
};

// The V3c angle board is missing from the target table; its name follows the pattern of
// the other versions.
constexpr const char* kK310V3cTargetName = "K310V3c.bin";

constexpr tAppEntry kAngApplications3c[] = {
    {"K310V3c_Standard_Main_ADS16209.kfwf", "Main Angle Board Standard"},
    {"K310V3c_POK3_Main_ADS16209.kfwf", "Main Angle Board POK3"},
    {"K310V3c_Standard_Aux_ADS16209.kfwf", "Aux. Angle Board Standard"},
    {"K310V3c_POK3_Aux_ADS16209.kfwf", "Aux. Angle Board POK3"},
    {"K310V3c_ANTI2_Sub_ADS16209.kfwf", "Second Main Angle Board"},
    {"K310V3c_Rotational_Main_ADS16209.kfwf", "PipeLayer Only"},
    {"K310V3c_Tilt_ADS16209.kfwf", "Tilt Mode Only"},
    {"K310V3c_TwinLength_ADS16209.kfwf", "Twin Length"},
    {"K310V3c_LoadOnly.kfwf", "Load Only (TX Lattice)"},
};

constexpr tAppEntry kAngApplications3d[] = {
    {"K310V3d_Standard_Main_ADS16209.kfwf", "Main Angle Board Standard"},
    {"K310V3d_POK3_Main_ADS16209.kfwf", "Main Angle Board POK3"},
    {"K310V3d_Standard_Aux_ADS16209.kfwf", "Aux. Angle Board Standard"},
    {"K310V3d_POK3_Aux_ADS16209.kfwf", "Aux. Angle Board POK3"},
    {"K310V3d_ANTI2_Sub_ADS16209.kfwf", "Second Main Angle Board"},
    {"K310V3d_Rotational_Main_ADS16209.kfwf", "PipeLayer Only"},
    {"K310V3d_Tilt_ADS16209.kfwf", "Tilt Mode Only"},
    {"K310V3d_TwinLength_ADS16209.kfwf", "Twin Length"},
    {"K310V3d_LoadOnly.kfwf", "Load Only (TX Lattice)"},
};

constexpr tAppEntry kAngApplications3e[] = {
    {"K310V3e_Main_ADS16209.kfwf", "Main K310"},
    {"K310V3e_Aux_ADS16209.kfwf", "Aux. K310"},
    {"K310V3e_POK3_Aux_ADS16209.kfwf", "Aux. POK3 - Excavator"},
    {"K310V3e_ANTI2_Sub_ADS16209.kfwf", "Second Main Angle Board"},
    {"K310V3e_Rotational_Main_ADS16209.kfwf", "PipeLayer Only"},
    {"K310V3e_Tilt_ADS16209.kfwf", "Tilt Mode Only"},
    {"K310V3e_TwinLength_ADS16209.kfwf", "Twin Length"},
    {"K310V3e_LoadOnly.kfwf", "Load Only (TX Lattice)"},
    {"K310V3e_WireLess_LoadCell.kfwf", "Wireless Loadcell"},
    {"K310V3e_Main_DualLen_ADS16209.kfwf", "Main Angle Dual Length"},
};

constexpr tAppEntry kAngApplications4[] = {
    {"K310V4_Main_ADS16209.kfwf", "Main K310"},
    {"K310V4_Main_ADS16209_2Len.kfwf", "Main 2Length"},
    {"K310V4_Aux_ADS16209.kfwf", "Aux. K310"},
    {"K310V4_ANTI2_Sub_ADS16209.kfwf", "Second Main Angle Board"},
    {"K310V4_Rotational_Main_ADS16209.kfwf", "PipeLayer Only"},
    {"K310V4_Tilt_ADS16209.kfwf", "Tilt Mode Only"},
    {"K310V4_TwinLength_ADS16209.kfwf", "Twin Length"},
    {"K310V4_LoadOnly.kfwf", "Load Only (TX Lattice)"},
    {"K310V4_WireLess_LoadCell.kfwf", "Wireless Loadcell"},
    {"K310V4_Main_DualLen_ADS16209.kfwf", "Main Angle Dual Length"},
};

constexpr tAppEntry kMthrBrdApplications3d[] = {
    {"P310V3d_Standard_Main.pfwf", "Main Motherboard Standard"},
    {"P310V3d_Compatability_High.pfwf", "Older Highside Compatibility"},
    {"P310V3d_Compatability_Low.pfwf", "Older Lowside Compatibility"},
    {"P310V3d_Tele_Forklift_Special.pfwf", "Tele-Forklift Special"},
};

constexpr tAppEntry kMthrBrdApplications3e[] = {
    {"P310V3e_Standard_Main.pfwf", "Main Motherboard Standard"},
    {"P310V3e_Compatability_High.pfwf", "Older Highside Compatibility"},
    {"P310V3e_Compatability_Low.pfwf", "Older Lowside Compatibility"},
    {"P310V3e_Tele_Forklift_Special.pfwf", "Tele-Forklift Special"},
};

constexpr tAppEntry kRlyBrdApplications[] = {
    {"W310V3a_Standard_Main.wfwf", "Main Relayboard Standard"},
};

constexpr tAppEntry kHX310BrdApplications[] = {
    {"HX310V1_Forklift.hfwf", "NL550 3.5\" Forklift System"},
    {"HX310V1_FrontEndLoader.hfwf", "NL550 3.5\" Frontend Loader System"},
    {"HX310V1_LMI.hfwf", "NL550 3.5\" Loadcell Indicator - Wireless"},
    {"HX310V1_Windspeed_Wireless.hfwf", "NL550 3.5\" Windspeed - WireLess"},
    {"HX310V1_Windspeed_Wired.hfwf", "NL550 3.5\" Windspeed - Wired"},
    {"HX310V1_SerialEntry.hfwf", "NL550 3.5\" Serial Number & Test"},
};

const FamilyNames& Family(tSystem s) {
    return kFamilies.at(size_t(s));
}

} // namespace

QString PCFolderNames(tSystem s) {
    return QString::fromLatin1(Family(s).PCFolder);
}
QString UsbFolderNames(tSystem s) {
    return QString::fromLatin1(Family(s).UsbFolder);
}
QString AppFileExtensions(tSystem s) {
    return QString::fromLatin1(Family(s).Extension);
}
QString SystemName(tSystem s) {
    return QString::fromLatin1(Family(s).System);
}
QString PageCaption(tSystem s) {
    return QString::fromLatin1(Family(s).PageCaption);
}
QString PageObjectName(tSystem s) {
    return QString::fromLatin1(Family(s).PageObject);
}

bool SystemFromName(const QString& name, tSystem& out) {
    for (int i = 0; i < kSystemCount; ++i) {
        if (name.compare(QLatin1String(kFamilies[size_t(i)].System), Qt::CaseInsensitive) == 0) {
            out = tSystem(i);
            return true;
        }
    }
    return false;
}

QString UsbTargetNames(int position) {
    return QString::fromLatin1(kUsbTargetNames.at(size_t(position)));
}

QStringList AngleBrdVerNames() {
    return {QStringLiteral("V3c"), QStringLiteral("V3d"), QStringLiteral("V3e"),
            QStringLiteral("V4")};
}

QStringList MotherBrdVerNames() {
    return {QStringLiteral("V3d"), QStringLiteral("V3e")};
}

std::span<const tAppEntry> AngApplications(tAngleBrdVer v) {
    switch (v) {
    case av3c:
        return kAngApplications3c;
    case av3d:
        return kAngApplications3d;
    case av3e:
        return kAngApplications3e;
    case av4:
        return kAngApplications4;
    }
    return {};
}

std::span<const tAppEntry> MthrBrdApplications(tMotherBrdVer v) {
    return v == mv3d ? std::span<const tAppEntry>(kMthrBrdApplications3d)
                     : std::span<const tAppEntry>(kMthrBrdApplications3e);
}

std::span<const tAppEntry> RlyBrdApplications() {
    return kRlyBrdApplications;
}
std::span<const tAppEntry> HX310BrdApplications() {
    return kHX310BrdApplications;
}

std::span<const tAppEntry> ApplicationTable(tSystem s, int pcbVersion) {
    switch (s) {
    case stK310:
        return AngApplications(tAngleBrdVer(qBound(0, pcbVersion, 3)));
    case stP310:
        return MthrBrdApplications(tMotherBrdVer(qBound(0, pcbVersion, 1)));
    case stW310:
        return RlyBrdApplications();
    case stHX310:
        return HX310BrdApplications();
    case stV8800:
        break;
    }
    return {};
}

QStringList PcbVersionCaptions(tSystem s) {
    if (s == stK310)
        return AngleBrdVerNames();
    if (s == stP310)
        return MotherBrdVerNames();
    return {};
}

int DefaultPcbVersion(tSystem s) {
    if (s == stK310)
        return kDefaultAngleBrdVer;
    if (s == stP310)
        return kDefaultMotherBrdVer;
    return -1;
}

int UsbTargetPosition(tSystem s, int pcbVersion) {
    switch (s) {
    case stV8800:
        return 0;
    case stK310:
        return pcbVersion == av3c ? -1 : pcbVersion; // av3d..av4 -> 1..3
    case stP310:
        return pcbVersion == mv3d ? 4 : 5;
    case stW310:
        return 6;
    case stHX310:
        return 7;
    }
    return -1;
}

QString UsbTargetName(tSystem s, int pcbVersion) {
    const int pos = UsbTargetPosition(s, pcbVersion);
    if (pos < 0)
        return QString::fromLatin1(kK310V3cTargetName);
    return UsbTargetNames(pos);
}

QString UsbTargetRelativePath(tSystem s, int pcbVersion) {
    return UsbFolderNames(s) + QLatin1Char('/') + UsbTargetName(s, pcbVersion);
}

bool IsShortName(const QString& name) {
    if (name.isEmpty())
        return false;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot < 0 ? name : name.left(dot);
    const QString ext = dot < 0 ? QString() : name.mid(dot + 1);
    if (base.isEmpty() || base.size() > 8 || ext.size() > 3 || base.contains(QLatin1Char('.')))
        return false;
    static const QString allowed = QStringLiteral("!#$%&'()-@^_`{}~");
    for (QChar c : name) {
        if (c == QLatin1Char('.'))
            continue;
        if (c.unicode() > 127 || c == QLatin1Char(' '))
            return false;
        if (!c.isLetterOrNumber() && !allowed.contains(c))
            return false;
    }
    return true;
}
