#include "HidSimulation.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <mutex>
#include <stdexcept>

#include "panel/device/DeviceSystem.h"

namespace hidsim {

namespace {

constexpr BYTE kCommand = 0x60;

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

std::wstring Format(const wchar_t* format, unsigned a, unsigned b, int c = 0) {
    wchar_t text[160];
    _snwprintf(text, 159, format, a, b, c);
    text[159] = L'\0';
    return text;
}

}  // namespace

struct Simulation::Impl {
    struct HidDevice {
        HidDeviceConfig config;
        bool present = true;
        std::wstring path;
        std::array<BYTE, 0x10000> registers{};
        WORD selected = 0;
        bool gpioAnswer = false;  // the next input report carries the GPIO levels
        std::array<BYTE, kSimGpioCount> gpioInputs{};
        std::array<BYTE, kSimGpioCount> gpioOutputs{};
    };
    struct Opened {
        int device;         // HID device index, or -1 for a filter control device
        std::wstring path;  // as opened
    };
    struct FailRule {
        int after = 0;
        int count = 0;
    };

    mutable std::mutex lock;
    std::vector<std::unique_ptr<HidDevice>> devices;
    std::vector<std::wstring> filterPaths;  // lower case
    FilterReply filterReply = FilterReply::Normal;
    DWORD filterValue = 0;
    std::map<HANDLE, Opened> handles;
    std::map<HDEVINFO, std::vector<int>> lists;
    std::map<PHIDP_PREPARSED_DATA, int> preparsed;
    std::array<FailRule, static_cast<size_t>(Call::kCount)> rules{};
    std::array<int, static_cast<size_t>(Call::kCount)> calls{};
    std::vector<SentReport> reports;
    std::vector<IoctlRecord> ioctls;
    Observer observer;
    GUID hidGuid{};
    device::DeviceSystemCalls table{};

    // Counts the call and says whether a failure rule ends it.
    bool Failing(Call call) {
        size_t i = static_cast<size_t>(call);
        ++calls[i];
        FailRule& rule = rules[i];
        if (rule.after > 0) {
            --rule.after;
            return false;
        }
        if (rule.count <= 0) return false;
        --rule.count;
        return true;
    }

    HidDevice* HidOf(HANDLE h) {
        auto it = handles.find(h);
        if (it == handles.end() || it->second.device < 0) return nullptr;
        return devices[static_cast<size_t>(it->second.device)].get();
    }

    bool FilterPresent(const std::wstring& path) const {
        return std::find(filterPaths.begin(), filterPaths.end(), Lower(path)) != filterPaths.end();
    }
};

namespace {

Simulation::Impl* g_sim = nullptr;

Simulation::Impl& Sim() { return *g_sim; }

BOOL FailWith(DWORD error) {
    ::SetLastError(error);
    return FALSE;
}

HDEVINFO WINAPI SimGetClassDevs(const GUID* guid, PCWSTR, HWND, DWORD flags) {
    auto& s = Sim();
    std::lock_guard<std::mutex> hold(s.lock);
    if (s.Failing(Call::GetClassDevs)) {
        ::SetLastError(ERROR_GEN_FAILURE);
        return INVALID_HANDLE_VALUE;
    }
    auto* token = reinterpret_cast<HDEVINFO>(new char);
    std::vector<int>& list = s.lists[token];
    bool hid = guid && IsEqualGUID(*guid, s.hidGuid) && (flags & DIGCF_DEVICEINTERFACE);
    for (size_t i = 0; hid && i < s.devices.size(); ++i)
        if (s.devices[i]->present || !(flags & DIGCF_PRESENT)) list.push_back(static_cast<int>(i));
    return token;
}

BOOL WINAPI SimEnumInterfaces(HDEVINFO set, PSP_DEVINFO_DATA, const GUID*, DWORD index,
                              PSP_DEVICE_INTERFACE_DATA data) {
    auto& s = Sim();
    std::lock_guard<std::mutex> hold(s.lock);
    auto it = s.lists.find(set);
    if (it == s.lists.end()) return FailWith(ERROR_INVALID_HANDLE);
    if (!data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) return FailWith(ERROR_INVALID_USER_BUFFER);
    if (index >= it->second.size()) return FailWith(ERROR_NO_MORE_ITEMS);
    data->InterfaceClassGuid = s.hidGuid;
    data->Flags = SPINT_ACTIVE;
    data->Reserved = static_cast<ULONG_PTR>(it->second[index]) + 1;
    return TRUE;
}

BOOL WINAPI SimInterfaceDetail(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data, PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail,
                               DWORD size, PDWORD required, PSP_DEVINFO_DATA) {
    auto& s = Sim();
    std::lock_guard<std::mutex> hold(s.lock);
    if (!s.lists.count(set)) return FailWith(ERROR_INVALID_HANDLE);
    if (!data || data->Reserved == 0 || data->Reserved > s.devices.size()) return FailWith(ERROR_INVALID_PARAMETER);
    const std::wstring& path = s.devices[data->Reserved - 1]->path;
    DWORD need = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                                    (path.size() + 1) * sizeof(wchar_t));
    if (required) *required = need;
    if (!detail || size < need) return FailWith(ERROR_INSUFFICIENT_BUFFER);
    if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return FailWith(ERROR_INVALID_USER_BUFFER);
    wcscpy(detail->DevicePath, path.c_str());
    return TRUE;
}

BOOL WINAPI SimDestroyList(HDEVINFO set) {
    auto& s = Sim();
    std::lock_guard<std::mutex> hold(s.lock);
    auto it = s.lists.find(set);
    if (it == s.lists.end()) return FailWith(ERROR_INVALID_HANDLE);
    delete reinterpret_cast<char*>(it->first);
    s.lists.erase(it);
    return TRUE;
}

HANDLE WINAPI SimCreateFile(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                            DWORD disposition, DWORD flags, HANDLE templateFile) {
    auto& s = Sim();
    std::lock_guard<std::mutex> hold(s.lock);
    std::wstring wanted = Lower(path ? path : L"");
    int device = -2;
    for (size_t i = 0; i < s.devices.size(); ++i)
        if (s.devices[i]->present && Lower(s.devices[i]->path) == wanted) device = static_cast<int>(i);
    for (const std::wstring& filter : s.filterPaths)
        if (filter == wanted) device = -1;
    if (device == -2)  // not simulated: the system answers
        return device::RealDeviceSystem().CreateFileW(path, access, share, security, disposition, flags,
                                                      templateFile);
    if (s.Failing(Call::CreateFile)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE token = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    s.handles[token] = {device, path};
    return token;
}

BOOL WINAPI SimCloseHandle(HANDLE h) {
    auto& s = Sim();
    {
        std::lock_guard<std::mutex> hold(s.lock);
        s.handles.erase(h);
    }
    return ::CloseHandle(h);
}

BOOLEAN WINAPI SimGetAttributes(HANDLE h, PHIDD_ATTRIBUTES attributes) {
    auto& s = Sim();
    std::lock_guard<std::mutex> hold(s.lock);
    auto* d = s.HidOf(h);
    if (!d || !attributes) return FailWith(ERROR_INVALID_HANDLE);
    if (!d->present) return FailWith(ERROR_DEVICE_NOT_CONNECTED);
    if (s.Failing(Call::GetAttributes)) return FailWith(ERROR_GEN_FAILURE);
    attributes->VendorID = d->config.vendorId;
    attributes->ProductID = d->config.productId;
    attributes->VersionNumber = 0x0100;
    return TRUE;
}

BOOLEAN WINAPI SimGetPreparsedData(HANDLE h, PHIDP_PREPARSED_DATA* data) {
    auto& s = Sim();
    std::lock_guard<std::mutex> hold(s.lock);
    auto it = s.handles.find(h);
    if (it == s.handles.end() || it->second.device < 0 || !data) return FailWith(ERROR_INVALID_HANDLE);
    if (s.Failing(Call::GetPreparsedData)) return FailWith(ERROR_GEN_FAILURE);
    auto token = reinterpret_cast<PHIDP_PREPARSED_DATA>(new char);
    s.preparsed[token] = it->second.device;
    *data = token;
    return TRUE;
}

BOOLEAN WINAPI SimFreePreparsedData(PHIDP_PREPARSED_DATA data) {
    auto& s = Sim();
    std::lock_guard<std::mutex> hold(s.lock);
    auto it = s.preparsed.find(data);
    if (it == s.preparsed.end()) return FALSE;
    delete reinterpret_cast<char*>(it->first);
    s.preparsed.erase(it);
    return TRUE;
}

NTSTATUS WINAPI SimGetCaps(PHIDP_PREPARSED_DATA data, PHIDP_CAPS caps) {
    auto& s = Sim();
    std::lock_guard<std::mutex> hold(s.lock);
    auto it = s.preparsed.find(data);
    if (it == s.preparsed.end() || !caps) return HIDP_STATUS_INVALID_PREPARSED_DATA;
    if (s.Failing(Call::GetCaps)) return HIDP_STATUS_INVALID_PREPARSED_DATA;
    const HidDeviceConfig& c = s.devices[static_cast<size_t>(it->second)]->config;
    ZeroMemory(caps, sizeof(*caps));
    caps->InputReportByteLength = c.inputLength;
    caps->OutputReportByteLength = c.outputLength;
    return HIDP_STATUS_SUCCESS;
}

// What the chip makes of one output report.
void Apply(Simulation::Impl::HidDevice& d, const BYTE* r) {
    if (r[1] != kCommand) return;
    BYTE op = r[4];
    if (op == 0x10) {
        d.selected = static_cast<WORD>(r[2] | r[3] << 8);
        d.gpioAnswer = false;
    } else if (op == 0x20 && r[3] == 0x01) {
        d.registers[d.selected] = r[2];
    } else if (op == 0x30) {
        d.gpioAnswer = true;
    } else if ((op & 0xFC) == 0x3C && r[3] == 0xFF) {
        for (int i = 0; i < 8; ++i) d.gpioOutputs[static_cast<size_t>(i)] = (r[2] >> i) & 1;
        d.gpioOutputs[8] = op & 1;
        d.gpioOutputs[9] = (op >> 1) & 1;
    }
}

BOOLEAN WINAPI SimSetOutputReport(HANDLE h, PVOID report, ULONG length) {
    auto& s = Sim();
    SentReport sent;
    std::function<void(const SentReport&)> observe;
    {
        std::lock_guard<std::mutex> hold(s.lock);
        auto* d = s.HidOf(h);
        if (!d || !report) return FailWith(ERROR_INVALID_HANDLE);
        if (!d->present) return FailWith(ERROR_DEVICE_NOT_CONNECTED);
        if (s.Failing(Call::SetOutputReport)) return FailWith(ERROR_GEN_FAILURE);
        if (length != d->config.outputLength) return FailWith(ERROR_INVALID_PARAMETER);
        const BYTE* bytes = static_cast<const BYTE*>(report);
        sent = {s.handles[h].device, std::vector<BYTE>(bytes, bytes + length)};
        s.reports.push_back(sent);
        if (length >= 5) Apply(*d, bytes);
        observe = s.observer.outputReport;
    }
    if (observe) observe(sent);
    ::Sleep(0);  // let other threads run between reports, as a real transfer does
    return TRUE;
}

BOOLEAN WINAPI SimGetInputReport(HANDLE h, PVOID report, ULONG length) {
    auto& s = Sim();
    std::lock_guard<std::mutex> hold(s.lock);
    auto* d = s.HidOf(h);
    if (!d || !report) return FailWith(ERROR_INVALID_HANDLE);
    if (!d->present) return FailWith(ERROR_DEVICE_NOT_CONNECTED);
    if (s.Failing(Call::GetInputReport)) return FailWith(ERROR_GEN_FAILURE);
    if (length != d->config.inputLength) return FailWith(ERROR_INVALID_PARAMETER);
    BYTE answer[5] = {0, kCommand, 0, 0, 0};
    if (d->gpioAnswer) {
        for (int i = 0; i < 8; ++i) answer[2] |= static_cast<BYTE>((d->gpioInputs[static_cast<size_t>(i)] & 1) << i);
        answer[3] = static_cast<BYTE>((d->gpioInputs[8] & 1) | (d->gpioInputs[9] & 1) << 1);
    } else {
        answer[2] = d->registers[d->selected];
    }
    BYTE* out = static_cast<BYTE*>(report);
    ZeroMemory(out, length);
    memcpy(out, answer, length < 5 ? length : 5);
    return TRUE;
}

BOOL WINAPI SimDeviceIoControl(HANDLE h, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                               LPDWORD returned, LPOVERLAPPED) {
    auto& s = Sim();
    IoctlRecord record;
    std::function<void(const IoctlRecord&)> observe;
    BOOL result = TRUE;
    DWORD error = ERROR_SUCCESS;
    {
        std::lock_guard<std::mutex> hold(s.lock);
        auto it = s.handles.find(h);
        if (it == s.handles.end() || it->second.device != -1) return FailWith(ERROR_INVALID_HANDLE);
        if (!s.FilterPresent(it->second.path)) return FailWith(ERROR_DEVICE_NOT_CONNECTED);
        const BYTE* input = static_cast<const BYTE*>(in);
        record = {it->second.path, code, input ? std::vector<BYTE>(input, input + inSize) : std::vector<BYTE>()};
        s.ioctls.push_back(record);
        observe = s.observer.ioctl;
        if (s.Failing(Call::DeviceIoControl) || s.filterReply == FilterReply::Fail) {
            result = FALSE;
            error = ERROR_GEN_FAILURE;
        } else {
            DWORD count = 0;
            if (s.filterReply == FilterReply::Normal && out && outSize >= 8) {
                BYTE* o = static_cast<BYTE*>(out);
                if (input && o != input) memcpy(o, input, inSize < outSize ? inSize : outSize);
                for (int i = 0; i < 4; ++i) o[4 + i] = static_cast<BYTE>(s.filterValue >> (8 * i));
                count = 8;
            }
            if (returned) *returned = count;
        }
    }
    if (observe) observe(record);
    if (!result) ::SetLastError(error);
    return result;
}

}  // namespace

Simulation::Simulation() : impl_(new Impl) {
    if (g_sim) throw std::logic_error("one simulated device at a time");
    device::RealDeviceSystem().HidD_GetHidGuid(&impl_->hidGuid);
    device::DeviceSystemCalls& t = impl_->table;
    t = device::RealDeviceSystem();
    t.SetupDiGetClassDevsW = SimGetClassDevs;
    t.SetupDiEnumDeviceInterfaces = SimEnumInterfaces;
    t.SetupDiGetDeviceInterfaceDetailW = SimInterfaceDetail;
    t.SetupDiDestroyDeviceInfoList = SimDestroyList;
    t.CreateFileW = SimCreateFile;
    t.CloseHandle = SimCloseHandle;
    t.HidD_GetAttributes = SimGetAttributes;
    t.HidD_GetPreparsedData = SimGetPreparsedData;
    t.HidD_FreePreparsedData = SimFreePreparsedData;
    t.HidP_GetCaps = SimGetCaps;
    t.HidD_SetOutputReport = SimSetOutputReport;
    t.HidD_GetInputReport = SimGetInputReport;
    t.DeviceIoControl = SimDeviceIoControl;
    g_sim = impl_.get();
    device::InstallDeviceSystem(&impl_->table);
}

Simulation::~Simulation() {
    device::InstallDeviceSystem(nullptr);
    g_sim = nullptr;
    for (auto& h : impl_->handles) ::CloseHandle(h.first);
    for (auto& l : impl_->lists) delete reinterpret_cast<char*>(l.first);
    for (auto& p : impl_->preparsed) delete reinterpret_cast<char*>(p.first);
}

int Simulation::AddHidDevice(const HidDeviceConfig& config) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    auto d = std::make_unique<Impl::HidDevice>();
    d->config = config;
    int index = static_cast<int>(impl_->devices.size());
    d->path = Format(L"\\\\?\\hid#vid_%04x&pid_%04x#sim&%d#{4d1e55b2-f16f-11cf-88cb-001111000030}", config.vendorId,
                     config.productId, index);
    impl_->devices.push_back(std::move(d));
    return index;
}

void Simulation::SetPresent(int device, bool present) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    impl_->devices.at(static_cast<size_t>(device))->present = present;
}

std::wstring Simulation::HidPath(int device) const {
    std::lock_guard<std::mutex> hold(impl_->lock);
    return impl_->devices.at(static_cast<size_t>(device))->path;
}

BYTE Simulation::Register(int device, WORD reg) const {
    std::lock_guard<std::mutex> hold(impl_->lock);
    return impl_->devices.at(static_cast<size_t>(device))->registers[reg];
}

void Simulation::SetRegister(int device, WORD reg, BYTE value) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    impl_->devices.at(static_cast<size_t>(device))->registers[reg] = value;
}

void Simulation::SetGpioInputs(int device, const std::array<BYTE, kSimGpioCount>& levels) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    impl_->devices.at(static_cast<size_t>(device))->gpioInputs = levels;
}

std::array<BYTE, kSimGpioCount> Simulation::GpioOutputs(int device) const {
    std::lock_guard<std::mutex> hold(impl_->lock);
    return impl_->devices.at(static_cast<size_t>(device))->gpioOutputs;
}

void Simulation::AddFilterDevice(WORD vendorId, WORD productId) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    impl_->filterPaths.push_back(Lower(Format(L"\\\\.\\Class#VelloLink&%.4X&%.4X", vendorId, productId)));
}

void Simulation::RemoveFilterDevice(WORD vendorId, WORD productId) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    auto& paths = impl_->filterPaths;
    paths.erase(std::remove(paths.begin(), paths.end(),
                            Lower(Format(L"\\\\.\\Class#VelloLink&%.4X&%.4X", vendorId, productId))),
                paths.end());
}

void Simulation::SetObserver(Observer observer) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    impl_->observer = std::move(observer);
}

void Simulation::SetFilterReply(FilterReply reply, DWORD value) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    impl_->filterReply = reply;
    impl_->filterValue = value;
}

std::vector<IoctlRecord> Simulation::Ioctls() const {
    std::lock_guard<std::mutex> hold(impl_->lock);
    return impl_->ioctls;
}

void Simulation::Fail(Call call, int count, int after) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    impl_->rules[static_cast<size_t>(call)] = {after, count};
}

int Simulation::CallCount(Call call) const {
    std::lock_guard<std::mutex> hold(impl_->lock);
    return impl_->calls[static_cast<size_t>(call)];
}

std::vector<SentReport> Simulation::OutputReports() const {
    std::lock_guard<std::mutex> hold(impl_->lock);
    return impl_->reports;
}

void Simulation::ClearLog() {
    std::lock_guard<std::mutex> hold(impl_->lock);
    impl_->reports.clear();
    impl_->ioctls.clear();
    impl_->calls = {};
}

int Simulation::OpenHandles() const {
    std::lock_guard<std::mutex> hold(impl_->lock);
    return static_cast<int>(impl_->handles.size());
}

int Simulation::OpenDeviceLists() const {
    std::lock_guard<std::mutex> hold(impl_->lock);
    return static_cast<int>(impl_->lists.size());
}

int Simulation::OpenPreparsedData() const {
    std::lock_guard<std::mutex> hold(impl_->lock);
    return static_cast<int>(impl_->preparsed.size());
}

}  // namespace hidsim
