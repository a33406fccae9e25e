#include "VersionInfo.h"

#include <memory>
#include <new>


namespace {

constexpr size_t kVersionTextChars = MAX_PATH;

const VersionApi* g_replacement = nullptr;

struct VersionRow {
    DWORD major;
    DWORD minor;  // kAnyMinor: every minor of that major
    int osClass;
    int code;
};
constexpr DWORD kAnyMinor = 0xFFFFFFFF;

// First matching row wins. Versions outside the table are class -1, code -1;
// a 4.x or 5.x minor outside the table keeps its class but has code -1.
const VersionRow kVersions[] = {
    {4, 0, kOsNT4, 0x400},   {4, kAnyMinor, kOsNT4, -1},
    {5, 0, kOsWin2000, 0x500}, {5, 1, kOsWinXP, 0x501}, {5, 2, kOsWinXP, 0x502},
    {5, kAnyMinor, kOsWinXP, -1},
    {6, 0, kOsVista, 0x600}, {6, 1, kOsWin7, 0x601},
    {6, 2, kOsWin8, 0x602},  {6, 3, kOsWin8, 0x603},
    {10, 0, kOsWin10, 0xA00}, {10, kAnyMinor, kOsWin10, -1},
};

const wchar_t* const kClassNames[] = {L"NT4",  L"WIN2000", L"WINXP", L"VISTA",
                                      L"WIN7", L"WIN8",    L"WIN10"};

RtlGetVersionFn SystemRtlGetVersion() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll ? reinterpret_cast<RtlGetVersionFn>(::GetProcAddress(ntdll, "RtlGetVersion"))
                 : nullptr;
}

}  // namespace

const VersionApi* ReplaceVersionApi(const VersionApi* api) {
    const VersionApi* previous = g_replacement;
    g_replacement = api;
    return previous;
}

void ClassifyWindowsVersion(DWORD major, DWORD minor, int& osClass, int& code) {
    osClass = kOsUnknown;
    code = -1;
    for (const VersionRow& row : kVersions) {
        if (row.major == major && (row.minor == minor || row.minor == kAnyMinor)) {
            osClass = row.osClass;
            code = row.code;
            return;
        }
    }
}

const wchar_t* WindowsClassName(int osClass) {
    if (osClass < 0 || osClass >= static_cast<int>(sizeof(kClassNames) / sizeof(kClassNames[0])))
        return L"Unknown";
    return kClassNames[osClass];
}

int GetWindowsVersion(int* osClass, int* code, int* servicePack, RTL_OSVERSIONINFOEXW* read) {
    RtlGetVersionFn rtlGetVersion = g_replacement ? g_replacement->rtlGetVersion
                                                  : SystemRtlGetVersion();
    if (!rtlGetVersion) return 1;
    RTL_OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (rtlGetVersion(&info) != 0) return 2;
    int c = 0, v = 0;
    ClassifyWindowsVersion(info.dwMajorVersion, info.dwMinorVersion, c, v);
    if (osClass) *osClass = c;
    if (code) *code = v;
    if (servicePack) *servicePack = info.wServicePackMajor;
    if (read) *read = info;
    return 0;
}

int GetFileVersionString(const std::wstring& filePath, std::wstring& text) {
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeW(filePath.c_str(), &handle);
    if (size == 0) return kVersionNoResource;
    const DWORD bufferSize = size * 2 + 2;
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[bufferSize]());
    if (!buffer || !::GetFileVersionInfoW(filePath.c_str(), handle, bufferSize, buffer.get()))
        return kVersionInfoFailed;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(buffer.get(), L"\\", reinterpret_cast<void**>(&fixed), &length))
        return kVersionQueryFailed;
    if (length == 0 || !fixed) return kVersionEmptyBlock;
    if (fixed->dwSignature == 0xFEEF04BD) {
        wchar_t out[kVersionTextChars] = {};
        _snwprintf(out, kVersionTextChars - 1, L"%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                   LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                   LOWORD(fixed->dwFileVersionLS));
        text = out;
    }
    return kVersionRead;
}
