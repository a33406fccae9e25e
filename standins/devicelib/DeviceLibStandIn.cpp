// Stand-in for the maker's device library: the exports the control panel
// calls, over a simulated device whose state, call log, failure rules and
// button reports live in the channel that tests drive (SimChannel.h). The
// library's other exports all lead to one entry that does nothing.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "SimChannel.h"

namespace {

typedef int(WINAPI* ScanCallback)(WORD vendorId, WORD productId, BYTE* report, int, int);

HMODULE SelfModule() {
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&SelfModule), &self);
    return self;
}

std::wstring SelfFolder() {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD n = ::GetModuleFileNameW(SelfModule(), path, MAX_PATH * 2);
    std::wstring folder(path, n);
    size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? folder : folder.substr(0, slash);
}

devlibsim::Channel& TheChannel() {
    static devlibsim::Channel* channel = new devlibsim::Channel(SelfFolder());  // lives with the process
    return *channel;
}

// One call of an export: holds the channel for its duration, applies a
// pending failure rule and logs the call with its result when it ends.
class Call {
public:
    Call(const char* name, const char* format, ...) : ch_(TheChannel()) {
        ch_.Lock();
        devlibsim::State& s = ch_.state();
        record_ = &s.log[s.logCount % devlibsim::kLogCapacity];
        ++s.logCount;
        ZeroMemory(record_, sizeof(*record_));
        lstrcpynA(record_->name, name, devlibsim::kNameChars);
        va_list args;
        va_start(args, format);
        _vsnprintf(record_->args, devlibsim::kArgsChars - 1, format, args);
        va_end(args);
        for (devlibsim::FailRule& rule : s.fail) {
            if (rule.count > 0 && std::strcmp(rule.name, name) == 0) {
                --rule.count;
                failed_ = true;
                failCode_ = rule.code;
                break;
            }
        }
    }
    ~Call() { ch_.Unlock(); }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    bool failed() const { return failed_; }
    devlibsim::State& state() { return ch_.state(); }
    void Bytes(const void* data, int count) {
        if (!data || count < 0) return;
        if (count > devlibsim::kMaxRecordBytes) count = devlibsim::kMaxRecordBytes;
        std::memcpy(record_->bytes, data, static_cast<size_t>(count));
        record_->byteCount = count;
    }
    int Result(int result) {
        record_->result = result;
        return result;
    }
    // The result of a call that a failure rule ends.
    int Failure() { return Result(failCode_); }

private:
    devlibsim::Channel& ch_;
    devlibsim::CallRecord* record_ = nullptr;
    bool failed_ = false;
    int failCode_ = 0;
};

constexpr int kBadArgument = 2;
constexpr BYTE kEepromFirstAddress = 0x50;

// ---- the button-scan thread ------------------------------------------------

volatile ScanCallback g_scanCallback = nullptr;
HANDLE g_scanThread = nullptr;

DWORD WINAPI ScanThread(void*) {
    devlibsim::Channel& ch = TheChannel();
    for (;;) {
        ::WaitForSingleObject(ch.reportEvent(), 50);
        for (;;) {
            BYTE report[devlibsim::kReportBytes];
            WORD vendorId = 0, productId = 0;
            ScanCallback callback = nullptr;
            ch.Lock();
            devlibsim::State& s = ch.state();
            bool pending = s.reportsDelivered + s.reportsDropped < s.reportsQueued;
            if (pending) {
                LONG next = s.reportsDelivered + s.reportsDropped;
                std::memcpy(report, s.reports[next % devlibsim::kReportQueue], sizeof(report));
                callback = s.scanEnabled ? g_scanCallback : nullptr;
                vendorId = s.scanVendorId;
                productId = s.scanProductId;
                if (!callback) ++s.reportsDropped;
            }
            ch.Unlock();
            if (!pending) break;
            if (!callback) continue;
            callback(vendorId, productId, report, 0, 0);
            ch.Lock();
            ++ch.state().reportsDelivered;
            ch.Unlock();
        }
    }
}

void StartScanThread() {
    if (g_scanThread) return;
    HMODULE pin = nullptr;  // the thread keeps the library loaded
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&ScanThread), &pin);
    g_scanThread = ::CreateThread(nullptr, 0, ScanThread, nullptr, 0, nullptr);
}

int EepromBank(BYTE address) { return address == kEepromFirstAddress ? 0 : address == 0x51 ? 1 : -1; }

}  // namespace

extern "C" {

// Every export the panel binds but never calls.
int WINAPI SimNotProvided() { return -1; }

int WINAPI DLLKQ_SetActive_Device(WORD vendorId, WORD productId) {
    Call c("DLLKQ_SetActive_Device", "%04X %04X", vendorId, productId);
    if (c.failed()) return c.Failure();
    c.state().activeVendorId = vendorId;
    c.state().activeProductId = productId;
    return c.Result(0);
}

int WINAPI DLLKQ_AudioCommand(BYTE* block, int* length) {
    Call c("DLLKQ_AudioCommand", "%d", length ? *length : -1);
    if (!block || !length || *length < devlibsim::kAudioBlockBytes) return c.Result(kBadArgument);
    c.Bytes(block, devlibsim::kAudioBlockBytes);
    if (c.failed()) return c.Failure();
    devlibsim::State& s = c.state();
    int feature = block[0] % devlibsim::kAudioFeatures;
    switch (block[1]) {
    case 0: s.audioOnOff[feature] = block[2] | block[3] << 8 | block[4] << 16 | static_cast<DWORD>(block[5]) << 24; break;
    case 2: std::memcpy(s.audioParameters[feature], block, devlibsim::kAudioBlockBytes); break;
    case 8: std::memcpy(block + 2, s.audioReply[feature] + 2, devlibsim::kAudioBlockBytes - 2); break;
    default: break;
    }
    *length = devlibsim::kAudioBlockBytes;
    return c.Result(0);
}

int WINAPI DLLKQ_SetVirtual7ch1_OnOff(int on) {
    Call c("DLLKQ_SetVirtual7ch1_OnOff", "%d", on);
    if (c.failed()) return c.Failure();
    c.state().virtual71On = on;
    return c.Result(0);
}

int WINAPI DLLKQ_SetVirtual7ch1(BYTE* table) {
    Call c("DLLKQ_SetVirtual7ch1", "");
    if (!table) return c.Result(kBadArgument);
    c.Bytes(table, 68);
    return c.failed() ? c.Failure() : c.Result(0);
}

int WINAPI DLLKQ_SetVirtual7ch1_Scalar(float scale) {
    Call c("DLLKQ_SetVirtual7ch1_Scalar", "%.3f", static_cast<double>(scale));
    if (c.failed()) return c.Failure();
    c.state().virtual71Scalar = scale;
    return c.Result(0);
}

int WINAPI DLLKQ_SetEnc_Parameters(BYTE* parameters) {
    Call c("DLLKQ_SetEnc_Parameters", "");
    if (!parameters) return c.Result(kBadArgument);
    c.Bytes(parameters, 16);
    return c.failed() ? c.Failure() : c.Result(0);
}

// An export whose only effect is its log record.
#define SIM_LOGGED_ONLY(...)       \
    Call c(__func__, __VA_ARGS__); \
    return c.failed() ? c.Failure() : c.Result(0)

int WINAPI DLLKQ_UsbHidSlave_SetRGB_Color_Ex(BYTE led, BYTE slot, BYTE r, BYTE g, BYTE b, DWORD value) {
    SIM_LOGGED_ONLY("%u %u %u %u %u %lu", led, slot, r, g, b, value);
}
int WINAPI DLLKQ_UsbHidSlave_SetRGB_Mode_Ex(BYTE led, BYTE mode, BYTE speed, DWORD value) {
    SIM_LOGGED_ONLY("%u %u %u %lu", led, mode, speed, value);
}
int WINAPI DLLKQ_UsbHidSlave_SetRGB_Brightness_Ex(BYTE led, BYTE brightness, DWORD value) {
    SIM_LOGGED_ONLY("%u %u %lu", led, brightness, value);
}
int WINAPI DLLKQ_UsbHidSlave_SetRGB_Step_Ex(BYTE slots, DWORD value) { SIM_LOGGED_ONLY("%u %lu", slots, value); }
int WINAPI DLLKQ_UsbHidSlave_SetRGB_SingleColor_Ex(BYTE led, BYTE mode, BYTE r, BYTE g, BYTE b, DWORD value) {
    SIM_LOGGED_ONLY("%u %u %u %u %u %lu", led, mode, r, g, b, value);
}
int WINAPI DLLKQ_SetRGB_Color(BYTE address, BYTE led, BYTE slot, BYTE r, BYTE g, BYTE b, DWORD value) {
    SIM_LOGGED_ONLY("%02X %u %u %u %u %u %lu", address, led, slot, r, g, b, value);
}
int WINAPI DLLKQ_SetRGB_Mode(BYTE address, BYTE led, BYTE mode, BYTE speed, DWORD value) {
    SIM_LOGGED_ONLY("%02X %u %u %u %lu", address, led, mode, speed, value);
}
int WINAPI DLLKQ_SetRGB_Brightness(BYTE address, BYTE led, BYTE brightness, DWORD value) {
    SIM_LOGGED_ONLY("%02X %u %u %lu", address, led, brightness, value);
}
int WINAPI DLLKQ_SetRGB_Step(BYTE address, BYTE slots, DWORD value) {
    SIM_LOGGED_ONLY("%02X %u %lu", address, slots, value);
}
int WINAPI DLLKQ_SetRGB_SingleColor(BYTE address, BYTE led, BYTE mode, BYTE r, BYTE g, BYTE b, DWORD value) {
    SIM_LOGGED_ONLY("%02X %u %u %u %u %u %lu", address, led, mode, r, g, b, value);
}
int WINAPI DLLKQ_SetRGB_Color_ById(BYTE address, BYTE led, BYTE slot, BYTE r, BYTE g, BYTE b, DWORD value,
                                   BYTE index) {
    SIM_LOGGED_ONLY("%02X %u %u %u %u %u %lu %u", address, led, slot, r, g, b, value, index);
}
int WINAPI DLLKQ_SetRGB_Mode_ById(BYTE address, BYTE led, BYTE mode, BYTE speed, DWORD value, BYTE index) {
    SIM_LOGGED_ONLY("%02X %u %u %u %lu %u", address, led, mode, speed, value, index);
}
int WINAPI DLLKQ_SetRGB_Step_ById(BYTE address, BYTE slots, DWORD value, BYTE index) {
    SIM_LOGGED_ONLY("%02X %u %lu %u", address, slots, value, index);
}
int WINAPI DLLKQ_SetRGB_SingleColor_ById(BYTE address, BYTE led, BYTE mode, BYTE r, BYTE g, BYTE b, DWORD value,
                                         BYTE index) {
    SIM_LOGGED_ONLY("%02X %u %u %u %u %u %lu %u", address, led, mode, r, g, b, value, index);
}
int WINAPI DLLKQ_Config3D_ById(BYTE index) { SIM_LOGGED_ONLY("%u", index); }
int WINAPI DLLKQ_ConfigEQ_ById(BYTE index) { SIM_LOGGED_ONLY("%u", index); }
int WINAPI DLLKQ_SetGpioModeEx_ById(BYTE gpio, BYTE mode, BYTE index) {
    Call c(__func__, "%u %u %u", gpio, mode, index);
    if (c.failed()) return c.Failure();
    if (gpio >= devlibsim::kGpioCount) return c.Result(kBadArgument);
    c.state().gpioModes[gpio] = mode;
    return c.Result(0);
}

int WINAPI DLLKQ_ScanButton_ById(WORD vendorId, WORD productId, ScanCallback callback, int enable, BYTE index) {
    Call c(__func__, "%04X %04X %s %d %u", vendorId, productId, callback ? "callback" : "none", enable, index);
    if (c.failed()) return c.Failure();
    devlibsim::State& s = c.state();
    s.scanEnabled = enable && callback;
    s.scanVendorId = vendorId;
    s.scanProductId = productId;
    g_scanCallback = enable ? callback : nullptr;
    if (s.scanEnabled) StartScanThread();
    return c.Result(0);
}

int WINAPI DLLKQ_SetGpioMode_ById(BYTE* modes, int count, BYTE index) {
    Call c(__func__, "%d %u", count, index);
    if (!modes || count < 0 || count > devlibsim::kGpioCount) return c.Result(kBadArgument);
    c.Bytes(modes, count);
    if (c.failed()) return c.Failure();
    std::memcpy(c.state().gpioModes, modes, static_cast<size_t>(count));
    return c.Result(0);
}

int WINAPI DLLKQ_GetGpioEx_ById(BYTE gpio, BYTE* level, BYTE index) {
    Call c(__func__, "%u %u", gpio, index);
    if (!level || gpio >= devlibsim::kGpioCount) return c.Result(kBadArgument);
    if (c.failed()) return c.Failure();
    *level = c.state().gpioLevels[gpio];
    return c.Result(0);
}

int WINAPI DLLKQ_Write_Register_ById(WORD reg, BYTE value, BYTE index) {
    Call c(__func__, "%04X %02X %u", reg, value, index);
    if (c.failed()) return c.Failure();
    c.state().registers[reg] = value;
    return c.Result(0);
}

int WINAPI DLLKQ_Read_Register_ById(WORD reg, BYTE* value, BYTE index) {
    Call c(__func__, "%04X %u", reg, index);
    if (!value) return c.Result(kBadArgument);
    if (c.failed()) return c.Failure();
    *value = c.state().registers[reg];
    return c.Result(0);
}

int WINAPI DLLKQ_Read_I2C_ById(BYTE address, BYTE first, BYTE* buffer, int count, DWORD hundred, BYTE index) {
    Call c(__func__, "%02X %02X %d %lu %u", address, first, count, hundred, index);
    int bank = EepromBank(address);
    if (!buffer || count < 0 || bank < 0 || first + count > 256) return c.Result(kBadArgument);
    if (c.failed()) return c.Failure();
    std::memcpy(buffer, c.state().eeprom[bank] + first, static_cast<size_t>(count));
    return c.Result(0);
}

int WINAPI DLLKQ_Is3D_Enable_ById(int* enabled, BYTE index) {
    Call c(__func__, "%u", index);
    if (!enabled) return c.Result(kBadArgument);
    if (c.failed()) return c.Failure();
    *enabled = c.state().d3Enabled;
    return c.Result(0);
}

int WINAPI DLLKQ_Set3D_OnOff_ById(int on, BYTE index) {
    Call c(__func__, "%d %u", on, index);
    if (c.failed()) return c.Failure();
    c.state().d3Enabled = on ? 1 : 0;
    return c.Result(0);
}

int WINAPI DLLKQ_IsEQ_Enable_ById(int* enabled, BYTE index) {
    Call c(__func__, "%u", index);
    if (!enabled) return c.Result(kBadArgument);
    if (c.failed()) return c.Failure();
    *enabled = c.state().eqEnabled;
    return c.Result(0);
}

int WINAPI DLLKQ_SetEQ_OnOff_ById(int on, BYTE index) {
    Call c(__func__, "%d %u", on, index);
    if (c.failed()) return c.Failure();
    c.state().eqEnabled = on ? 1 : 0;
    return c.Result(0);
}

}  // extern "C"
