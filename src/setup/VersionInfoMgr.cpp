#include "setup/VersionInfoMgr.h"

#include <windows.h>

#include "shared/DebugTrace.h"
#include "shared/VersionInfo.h"

namespace VERSIONINFO_MGR {

namespace {

struct VersionName {
    int code;
    const wchar_t* name;
};
const VersionName kVersionNames[] = {
    {0x400, L"NT4"},   {0x500, L"WIN2000"}, {0x501, L"WINXP"}, {0x502, L"Windows Server 2003"},
    {0x600, L"VISTA"}, {0x601, L"WIN7"},    {0x602, L"WIN8"},  {0x603, L"WIN8.1"},
    {0xA00, L"WIN10"},
};

const wchar_t* VersionCodeName(int code) {
    for (const VersionName& v : kVersionNames) {
        if (v.code == code) return v.name;
    }
    return L"Unknown";
}

}  // namespace

int CVersionInfoMgr::GetWindowsVersion(int* osClass, int* versionCode, int* servicePack) const {
    RTL_OSVERSIONINFOEXW info = {};
    const int result = ::GetWindowsVersion(osClass, versionCode, servicePack, &info);
    if (result == 0)
        trace::Out(L"GetWindowsVersion: Major = 0x%.8X, Minor = 0x%.8X\n", info.dwMajorVersion, info.dwMinorVersion);
    return result;
}

void CVersionInfoMgr::PrintWindowsVersion(const int* osClass, const int* versionCode, const int* servicePack) const {
    if (versionCode) trace::Out(L"##### The OS is %ls #####\n", VersionCodeName(*versionCode));
    else if (osClass) trace::Out(L"##### The OS is %ls #####\n", WindowsClassName(*osClass));
    if (servicePack) trace::Out(L"##### The service pack version = %d #####\n", *servicePack);
}

}  // namespace VERSIONINFO_MGR
