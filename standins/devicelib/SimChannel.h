// The channel between the stand-in device library and the tests that drive
// it: a named shared-memory block (state, call log, failure rules, injected
// button reports), a named mutex that guards it and a named event that wakes
// the library's report thread. The names derive from the folder the library
// sits in, so a test that put a copy of the library into a folder reaches the
// copy a program loaded from there, in this process or another one.
#pragma once

#include <windows.h>

#include <string>

namespace devlibsim {

constexpr DWORD kMagic = 0x56444C31;  // layout version
constexpr int kLogCapacity = 2048;
constexpr int kNameChars = 48;
constexpr int kArgsChars = 96;
constexpr int kMaxRecordBytes = 240;
constexpr int kFailRules = 16;
constexpr int kReportQueue = 64;
constexpr int kReportBytes = 5;
constexpr int kAudioFeatures = 16;
constexpr int kAudioBlockBytes = 234;
constexpr int kGpioCount = 10;

struct CallRecord {
    char name[kNameChars];
    char args[kArgsChars];
    int result;
    int byteCount;
    BYTE bytes[kMaxRecordBytes];
};

struct FailRule {
    char name[kNameChars];  // export name; empty = unused
    int count;              // calls still to fail
    int code;               // result they return
};

struct State {
    DWORD magic;
    // Every call of a called export, oldest first; past the capacity the
    // oldest records are overwritten (logCount keeps counting).
    LONG logCount;
    CallRecord log[kLogCapacity];
    FailRule fail[kFailRules];
    // The device as the library sees it.
    WORD activeVendorId;
    WORD activeProductId;
    int eqEnabled;
    int d3Enabled;
    int virtual71On;
    float virtual71Scalar;
    BYTE gpioLevels[kGpioCount];
    BYTE gpioModes[kGpioCount];
    BYTE eeprom[2][256];  // I2C addresses 0x50 and 0x51
    BYTE registers[0x10000];
    DWORD audioOnOff[kAudioFeatures];
    BYTE audioParameters[kAudioFeatures][kAudioBlockBytes];
    BYTE audioReply[kAudioFeatures][kAudioBlockBytes];  // what GET_ALL answers
    // Button-scan registration and the reports waiting for the callback.
    int scanEnabled;
    WORD scanVendorId;
    WORD scanProductId;
    BYTE reports[kReportQueue][kReportBytes];
    LONG reportsQueued;
    LONG reportsDelivered;
    LONG reportsDropped;
};

inline void ResetState(State& s) {
    ZeroMemory(&s, sizeof(s));
    s.magic = kMagic;
    FillMemory(s.eeprom, sizeof(s.eeprom), 0xFF);
    s.virtual71Scalar = 2.0f;
}

// "VelloDeviceLib_<hash of the folder's long, lower-case path>".
inline std::wstring ChannelBaseName(const std::wstring& folder) {
    wchar_t full[MAX_PATH * 2] = {};
    if (!::GetFullPathNameW(folder.c_str(), MAX_PATH * 2, full, nullptr)) lstrcpynW(full, folder.c_str(), MAX_PATH);
    wchar_t longer[MAX_PATH * 2] = {};
    std::wstring path = ::GetLongPathNameW(full, longer, MAX_PATH * 2) ? longer : full;
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    if (!path.empty()) ::CharLowerBuffW(&path[0], static_cast<DWORD>(path.size()));
    unsigned long long h = 1469598103934665603ULL;
    for (wchar_t c : path) {
        h ^= static_cast<unsigned long long>(c);
        h *= 1099511628211ULL;
    }
    wchar_t name[64];
    wsprintfW(name, L"VelloDeviceLib_%08lX%08lX", static_cast<unsigned long>(h >> 32),
              static_cast<unsigned long>(h & 0xFFFFFFFF));
    return name;
}

// Opens (or creates) the block, its mutex and its event.
class Channel {
public:
    explicit Channel(const std::wstring& folder) {
        std::wstring base = ChannelBaseName(folder);
        mutex_ = ::CreateMutexW(nullptr, FALSE, (base + L"_lock").c_str());
        event_ = ::CreateEventW(nullptr, FALSE, FALSE, (base + L"_reports").c_str());
        mapping_ = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(State),
                                        (base + L"_state").c_str());
        if (mapping_)
            state_ = static_cast<State*>(::MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(State)));
        if (ok()) {
            Lock();
            if (state_->magic != kMagic) ResetState(*state_);
            Unlock();
        }
    }
    ~Channel() {
        if (state_) ::UnmapViewOfFile(state_);
        if (mapping_) ::CloseHandle(mapping_);
        if (event_) ::CloseHandle(event_);
        if (mutex_) ::CloseHandle(mutex_);
    }
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    bool ok() const { return state_ && mutex_ && event_; }
    void Lock() const { ::WaitForSingleObject(mutex_, INFINITE); }
    void Unlock() const { ::ReleaseMutex(mutex_); }
    State& state() const { return *state_; }
    HANDLE reportEvent() const { return event_; }

private:
    HANDLE mutex_ = nullptr;
    HANDLE event_ = nullptr;
    HANDLE mapping_ = nullptr;
    State* state_ = nullptr;
};

}  // namespace devlibsim
