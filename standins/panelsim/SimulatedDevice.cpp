#include "SimulatedDevice.h"

#include <dbt.h>
extern "C" {
#include <hidsdi.h>
}

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "panel/device/DeviceSearch.h"
#include "shared/DebugTrace.h"
#include "shared/Registry.h"

namespace panelsim {

namespace {

// The device class and name under which the phantom audio device is made.
constexpr GUID kMediaClass = {0x4d36e96c, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
constexpr wchar_t kDeviceName[] = L"VELLOPANELSIM";
constexpr wchar_t kInstancePrefix[] = L"ROOT\\VELLOPANELSIM\\";
constexpr wchar_t kHardwareId[] = L"USB\\VID_2F7B&PID_731F&REV_0100&MI_00";
// The audio interface's path in device notifications.
constexpr wchar_t kAudioInterfacePath[] =
    L"\\\\?\\USB#VID_2F7B&PID_731F&MI_00#VELLOPANELSIM#{6994ad04-93ef-11d0-a3cc-00a0c9223196}\\global";
constexpr size_t kProtocolBytes = 5;
// The microphone: its capture device (a KS filter of the device), the
// capture endpoint Windows names after it, the endpoint's key and the
// listen-to-device value.
constexpr wchar_t kCapturePath[] =
    L"\\\\?\\USB#VID_2F7B&PID_731F&MI_00#7&VELLOPANELSIM&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
constexpr wchar_t kCaptureName[] = L"VelloPanelSim Audio";
constexpr wchar_t kEndpointName[] = L"Microphone (VelloPanelSim Audio)";
constexpr wchar_t kEndpointKey[] = L"{0.0.1.00000000}.{7e0f2d6a-3c55-4b8e-9a61-0c5b2f7b731f}";
constexpr wchar_t kEndpointInstance[] = L"{1}.USB\\VID_2F7B&PID_731F&MI_00\\7&VELLOPANELSIM&0&0000";
constexpr wchar_t kListenValue[] = L"{24dbb0fc-9311-4b3d-9cf0-18ff155639d4},1";
constexpr size_t kListenSwitchByte = 8;

std::string Hex(const BYTE* bytes, size_t count) {
    std::string text;
    char b[4];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(b, sizeof(b), i ? " %02x" : "%02x", bytes[i]);
        text += b;
    }
    return text;
}

std::string ReportLine(const std::vector<BYTE>& report) {
    size_t used = report.size() < kProtocolBytes ? report.size() : kProtocolBytes;
    for (size_t i = used; i < report.size(); ++i)
        if (report[i]) used = i + 1;
    return "hid " + Hex(report.data(), used);
}

std::string IoctlLine(const hidsim::IoctlRecord& record) {
    char code[16];
    std::snprintf(code, sizeof(code), "%08lx", static_cast<unsigned long>(record.code));
    std::string line = std::string("ioctl ") + code;
    if (!record.input.empty()) line += " " + Hex(record.input.data(), record.input.size());
    return line;
}

std::string LibraryLine(const devlibsim::LoggedCall& call) {
    std::string line = "lib " + call.name;
    if (!call.args.empty()) line += " " + call.args;
    if (!call.bytes.empty()) line += " : " + Hex(call.bytes.data(), call.bytes.size());
    return line;
}

std::string Now() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    char text[32];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return text;
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

std::wstring InstanceIdOf(HDEVINFO set, SP_DEVINFO_DATA& data) {
    wchar_t id[256] = {};
    return ::SetupDiGetDeviceInstanceIdW(set, &data, id, 256, nullptr) ? id : L"";
}

bool IsOurs(const std::wstring& instanceId) {
    return _wcsnicmp(instanceId.c_str(), kInstancePrefix, wcslen(kInstancePrefix)) == 0;
}

struct Found {
    DWORD pid;
    std::vector<HWND> windows;
};

// A device interface's path as device notifications carry it: the device
// instance part in upper case, the interface class as it is.
std::wstring NotifiedPath(std::wstring path) {
    const size_t classAt = path.rfind(L"#{");
    for (size_t i = 0; i < path.size() && i < classAt; ++i) path[i] = static_cast<wchar_t>(std::towupper(path[i]));
    return path;
}

BOOL CALLBACK FindMainWindows(HWND hwnd, LPARAM lParam) {
    auto* found = reinterpret_cast<Found*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[32] = {};
    if (pid == found->pid && ::GetClassNameW(hwnd, cls, 32) && std::wcscmp(cls, L"TAudioMainForm") == 0)
        found->windows.push_back(hwnd);
    return TRUE;
}

}  // namespace

// ---------------------------------------------------------------- DeviceLog

DeviceLog::DeviceLog(const std::wstring& folder) : library_(folder) {
    file_ = ::CreateFileW((folder + kLogFile).c_str(), FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    // Calls left in the library's log by an earlier run are not this run's.
    library_.CallsSince(nextCall_);
}

DeviceLog::~DeviceLog() {
    if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
}

void DeviceLog::Line(const std::string& text) {
    std::lock_guard<std::mutex> hold(lock_);
    LibraryCallsLocked();
    Write(text);
}

void DeviceLog::LibraryCalls() {
    std::lock_guard<std::mutex> hold(lock_);
    LibraryCallsLocked();
}

void DeviceLog::LibraryCallsLocked() {
    if (!library_.ok()) return;
    for (const devlibsim::LoggedCall& call : library_.CallsSince(nextCall_)) Write(LibraryLine(call));
}

void DeviceLog::Write(const std::string& text) {
    if (file_ == INVALID_HANDLE_VALUE) return;
    const std::string line = text + "\r\n";
    DWORD written = 0;
    ::WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// ---------------------------------------------------------------- PhantomAudioDevice

PhantomAudioDevice::PhantomAudioDevice() = default;

PhantomAudioDevice::~PhantomAudioDevice() { Remove(); }

bool PhantomAudioDevice::Register() {
    Remove();
    set_ = ::SetupDiCreateDeviceInfoList(&kMediaClass, nullptr);
    if (set_ == INVALID_HANDLE_VALUE) return false;
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof(data);
    std::wstring ids = std::wstring(kHardwareId) + L'\0';
    if (!::SetupDiCreateDeviceInfoW(set_, kDeviceName, &kMediaClass, L"Vello simulated audio device", nullptr,
                                    DICD_GENERATE_ID, &data) ||
        !::SetupDiSetDeviceRegistryPropertyW(set_, &data, SPDRP_HARDWAREID, reinterpret_cast<const BYTE*>(ids.c_str()),
                                             static_cast<DWORD>((ids.size() + 1) * sizeof(wchar_t))) ||
        !::SetupDiRegisterDeviceInfo(set_, &data, 0, nullptr, nullptr, nullptr)) {
        Remove();
        return false;
    }
    instanceId_ = InstanceIdOf(set_, data);
    return true;
}

void PhantomAudioDevice::Remove() {
    if (set_ == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof(data);
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set_, i, &data); ++i) {
        if (InstanceIdOf(set_, data) == instanceId_) {
            ::SetupDiRemoveDevice(set_, &data);
            break;
        }
    }
    ::SetupDiDestroyDeviceInfoList(set_);
    set_ = INVALID_HANDLE_VALUE;
    instanceId_.clear();
}

void PhantomAudioDevice::RemoveLeftovers() {
    HDEVINFO set = ::SetupDiGetClassDevsW(&kMediaClass, nullptr, nullptr, 0);
    if (set == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof(data);
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set, i, &data);) {
        if (IsOurs(InstanceIdOf(set, data)) && ::SetupDiRemoveDevice(set, &data)) continue;
        ++i;
    }
    ::SetupDiDestroyDeviceInfoList(set);
}

// ---------------------------------------------------------------- SimulatedDevice

namespace {

// The installer's settings key under HKLM\SOFTWARE.
constexpr wchar_t kSettingsKey[] = L"Qorv 73xx Software";

// What the installer would have written for the simulated device and is not
// there yet: its EncValueMap level and the voice effect's defaults, from the
// AudioConfig.cfg beside the program. Values already there (the user's) stay.
void WriteInstalledSettings(const std::wstring& folder, DeviceLog& log) {
    const std::wstring config = folder + L"AudioConfig.cfg";
    auto firstNumber = [](const std::wstring& text, DWORD& value) {
        wchar_t* end = nullptr;
        value = static_cast<DWORD>(std::wcstol(text.c_str(), &end, 10));
        return end != text.c_str();
    };
    auto setDefault = [&](const std::wstring& key, const std::wstring& name, const std::wstring& text) {
        DWORD value = 0;
        if (ReadRegistryDWORD(key, name, value) == kRegRead || !firstNumber(text, value)) return;
        if (WriteRegistryDWORD(key, name, value) == kRegWritten)
            log.Line("sim settings " + Narrow(key + L"\\" + name) + " " + std::to_string(value));
    };
    const std::wstring ownName = trace::Format(L"VID_%.4X&PID_%.4X", kVendorId, kProductId);
    wchar_t text[256];
    for (int n = 1; n <= 19; ++n) {
        ::GetPrivateProfileStringW(L"EncValueMap", std::to_wstring(n).c_str(), L"", text, 256, config.c_str());
        const std::wstring entry = text;
        const size_t comma = entry.find(L',');
        if (comma != std::wstring::npos && _wcsicmp(entry.substr(0, comma).c_str(), ownName.c_str()) == 0)
            setDefault(std::wstring(kSettingsKey) + L"\\EncValueMap", ownName, entry.substr(comma + 1));
    }
    for (const wchar_t* name : {L"TimbrexEnable", L"TimbrexLevel"}) {
        ::GetPrivateProfileStringW(L"DefaultSet", name, L"", text, 256, config.c_str());
        setDefault(kSettingsKey, name, text);
    }
}

}  // namespace

SimulatedDevice::SimulatedDevice(const std::wstring& folder) : folder_(folder), log_(folder), library_(folder) {
    log_.Line("sim start " + Now() + " pid " + std::to_string(::GetCurrentProcessId()));
    WriteInstalledSettings(folder, log_);
    hid_ = sim_.AddHidDevice({kVendorId, kProductId});
    sim_.AddFilterDevice(kVendorId, kProductId);
    hidsim::Observer observer;
    observer.outputReport = [this](const hidsim::SentReport& r) { log_.Line(ReportLine(r.bytes)); };
    observer.ioctl = [this](const hidsim::IoctlRecord& r) { log_.Line(IoctlLine(r)); };
    sim_.SetObserver(observer);
    AddMicrophone();
    PhantomAudioDevice::RemoveLeftovers();
    if (audio_.Register())
        log_.Line("sim device " + Narrow(kHardwareId) + " as " + Narrow(audio_.instanceId()));
    else
        log_.Line("sim FAILED to register the audio device " + Narrow(kHardwareId));
    stop_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    watcher_ = std::thread([this] { Watch(); });
}

SimulatedDevice::~SimulatedDevice() {
    ::SetEvent(stop_);
    watcher_.join();
    ::CloseHandle(stop_);
    sim_.SetObserver({});
    audio_.Remove();
    log_.Line("sim end " + Now());
}

void SimulatedDevice::AddMicrophone() {
    endpoints_.AddCaptureDevice(kCapturePath, kCaptureName);
    epfake::Device& endpoint = endpoints_.AddCaptureEndpoint(kEndpointName);
    endpoint.volume.stepCount = 101;
    endpoint.volume.step = 60;
    // The gain control sits on the device topology behind the endpoint's connector.
    const std::wstring topologyId = L"{2}.\\\\?\\usb#vid_2f7b&pid_731f&mi_00#vellopanelsim#topology";
    endpoint.topology.connector.connectedDeviceId = topologyId;
    endpoints_.AddDevice(topologyId).topology.AddSubunit();
    if (!endpoints_.AddEndpointKey(kEndpointKey, kEndpointInstance))
        log_.Line("sim FAILED to make the capture endpoint's key");
    endpoints_.onChange = [this](const std::string& change) { log_.Line("endpoint " + change); };
}

void SimulatedDevice::WatchListenSetting() {
    std::vector<BYTE> value = endpoints_.EndpointValue(kEndpointKey, kListenValue);
    if (value == listen_) return;
    listen_ = value;
    if (value.size() > kListenSwitchByte) log_.Line(value[kListenSwitchByte] ? "endpoint listen 1" : "endpoint listen 0");
}

void SimulatedDevice::Watch() {
    const std::wstring control = folder_ + kControlFile;
    while (::WaitForSingleObject(stop_, 100) == WAIT_TIMEOUT) {
        log_.LibraryCalls();
        WatchListenSetting();
        HANDLE file = ::CreateFileW(control.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        char buffer[512] = {};
        DWORD read = 0;
        ::ReadFile(file, buffer, sizeof(buffer) - 1, &read, nullptr);
        ::CloseHandle(file);
        ::DeleteFileW(control.c_str());
        RunCommands(std::string(buffer, read));
    }
}

void SimulatedDevice::RunCommands(const std::string& text) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < text.size()) {
        size_t start = text.find_first_not_of(" \t\r\n", at);
        if (start == std::string::npos) break;
        size_t end = text.find_first_of(" \t\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string word = text.substr(start, end - start);
        for (char& c : word) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        words.push_back(word);
        at = end;
    }
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "unplug") Unplug();
        else if (word == "replug" || word == "plug") Replug();
        else if (word == "button") i += Button(words, i + 1);
        else log_.Line("sim unknown command " + word);
    }
}

size_t SimulatedDevice::Button(const std::vector<std::string>& words, size_t first) {
    BYTE report[devlibsim::kReportBytes] = {};
    for (size_t n = 0; n < devlibsim::kReportBytes; ++n) {
        char* end = nullptr;
        const std::string& word = first + n < words.size() ? words[first + n] : std::string();
        const unsigned long value = std::strtoul(word.c_str(), &end, 16);
        if (word.empty() || word.size() > 2 || *end || value > 0xFF) {
            log_.Line("sim button needs five hexadecimal bytes");
            return n;
        }
        report[n] = static_cast<BYTE>(value);
    }
    char line[64];
    std::snprintf(line, sizeof(line), "sim button %02X %02X %02X %02X %02X", report[0], report[1], report[2],
                  report[3], report[4]);
    log_.Line(line);
    library_.InjectReport(report);
    return devlibsim::kReportBytes;
}

void SimulatedDevice::Unplug() {
    if (!plugged_) return;
    plugged_ = false;
    sim_.SetPresent(hid_, false);
    sim_.RemoveFilterDevice(kVendorId, kProductId);
    audio_.Remove();
    log_.Line("sim unplug");
    Notify(DBT_DEVICEREMOVECOMPLETE);
}

void SimulatedDevice::Replug() {
    if (plugged_) return;
    plugged_ = true;
    audio_.Register();
    sim_.SetPresent(hid_, true);
    sim_.AddFilterDevice(kVendorId, kProductId);
    log_.Line("sim replug");
    Notify(DBT_DEVICEARRIVAL);
}

void SimulatedDevice::Notify(UINT event) {
    GUID hidClass;
    ::HidD_GetHidGuid(&hidClass);
    const struct {
        GUID cls;
        std::wstring path;
    } interfaces[] = {{hidClass, NotifiedPath(sim_.HidPath(hid_))}, {KSCATEGORY_AUDIO_GUID, kAudioInterfacePath}};
    Found found{::GetCurrentProcessId(), {}};
    ::EnumWindows(FindMainWindows, reinterpret_cast<LPARAM>(&found));
    for (const auto& itf : interfaces) {
        const size_t size =
            offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (itf.path.size() + 1) * sizeof(wchar_t);
        // Kept for the simulation's life: a window that took longer than the
        // timeout still reads the record when it gets to the message.
        notifications_.emplace_back(size, 0);
        auto* broadcast = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(notifications_.back().data());
        broadcast->dbcc_size = static_cast<DWORD>(size);
        broadcast->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        broadcast->dbcc_classguid = itf.cls;
        std::wmemcpy(broadcast->dbcc_name, itf.path.c_str(), itf.path.size() + 1);
        for (HWND window : found.windows) {
            DWORD_PTR ignored = 0;
            ::SendMessageTimeoutW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(broadcast), SMTO_NORMAL,
                                  5000, &ignored);
        }
    }
}

}  // namespace panelsim
