#include "panel/device/HidDevice.h"

#include <memory>
#include <vector>

namespace {

using device::System;

constexpr BYTE kCommand = 0x60;
constexpr BYTE kOpSelect = 0x10;
constexpr BYTE kOpWrite = 0x20;
constexpr BYTE kOpGpioRequest = 0x30;
constexpr BYTE kOpGpioSet = 0x3C;
constexpr int kProtocolLength = 5;  // report ID, command, two operands, operation
constexpr int kValueByte = 2;       // of an input report: the selected register's value

constexpr WORD kRegFBM = 0x18A;
constexpr WORD kRegLeft3D = 0x18B;
constexpr WORD kRegRight3D = 0x18C;
constexpr WORD kRegEQFirst = 0x120;

std::recursive_mutex& IoMutex() {
    static std::recursive_mutex m;
    return m;
}

struct DeviceInfoListTraits {
    static HDEVINFO Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HDEVINFO h) { System().SetupDiDestroyDeviceInfoList(h); }
};
using DeviceInfoList = win::Scoped<HDEVINFO, DeviceInfoListTraits>;

struct PreparsedDataTraits {
    static PHIDP_PREPARSED_DATA Invalid() { return nullptr; }
    static void Close(PHIDP_PREPARSED_DATA p) { System().HidD_FreePreparsedData(p); }
};
using PreparsedData = win::Scoped<PHIDP_PREPARSED_DATA, PreparsedDataTraits>;

bool GetCaps(HANDLE hid, HIDP_CAPS& caps) {
    PreparsedData data;
    if (!System().HidD_GetPreparsedData(hid, data.put())) return false;
    return System().HidP_GetCaps(data.get(), &caps) == HIDP_STATUS_SUCCESS;
}

// The interface path of one enumerated HID interface; empty when unreadable.
std::wstring InterfacePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data) {
    DWORD required = 0;
    System().SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &required, nullptr);
    if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return {};
    std::vector<DWORD> storage((required + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!System().SetupDiGetDeviceInterfaceDetailW(set, &data, detail, required, nullptr, nullptr)) return {};
    size_t chars = (required - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) / sizeof(wchar_t);
    return std::wstring(detail->DevicePath, wcsnlen(detail->DevicePath, chars));
}

bool HasIds(HANDLE hid, WORD vendorId, WORD productId) {
    HIDD_ATTRIBUTES attributes = {};
    attributes.Size = sizeof(HIDD_ATTRIBUTES);
    if (!System().HidD_GetAttributes(hid, &attributes)) return false;
    return attributes.VendorID == vendorId && attributes.ProductID == productId;
}

// A zeroed report of the given length carrying the five protocol bytes.
std::vector<BYTE> Report(int length, BYTE b2, BYTE b3, BYTE op) {
    std::vector<BYTE> r(static_cast<size_t>(length), 0);
    r[1] = kCommand;
    r[2] = b2;
    r[3] = b3;
    r[4] = op;
    return r;
}

bool Send(HANDLE hid, std::vector<BYTE>& report) {
    return System().HidD_SetOutputReport(hid, report.data(), static_cast<ULONG>(report.size())) != FALSE;
}

bool Receive(HANDLE hid, std::vector<BYTE>& report) {
    return System().HidD_GetInputReport(hid, report.data(), static_cast<ULONG>(report.size())) != FALSE;
}

bool SendSelect(HANDLE hid, int length, WORD reg) {
    std::vector<BYTE> r = Report(length, reg & 0xFF, reg >> 8, kOpSelect);
    return Send(hid, r);
}

constexpr BYTE Pair(BYTE alpha, BYTE beta) { return static_cast<BYTE>((alpha << 4) | (beta & 0x0F)); }

int WritePair(HANDLE hid, WORD reg, BYTE alpha, BYTE beta) {
    if (alpha > 15 || beta > 15) return 1;
    return HidWriteRegister(hid, reg, Pair(alpha, beta)) == 0 ? 0 : 2;
}

}  // namespace

DeviceIoGuard::DeviceIoGuard() { IoMutex().lock(); }
DeviceIoGuard::~DeviceIoGuard() { IoMutex().unlock(); }

device::DeviceHandle OpenHidDevice(WORD vendorId, WORD productId) {
    GUID hidGuid;
    System().HidD_GetHidGuid(&hidGuid);
    DeviceInfoList set(
        System().SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set) return {};
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data = {};
        data.cbSize = sizeof(SP_DEVICE_INTERFACE_DATA);
        if (!System().SetupDiEnumDeviceInterfaces(set.get(), nullptr, &hidGuid, index, &data)) return {};
        std::wstring path = InterfacePath(set.get(), data);
        if (path.empty()) continue;
        device::DeviceHandle hid(System().CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                      FILE_FLAG_OVERLAPPED, nullptr));
        if (hid && HasIds(hid.get(), vendorId, productId)) return hid;
    }
}

int HidGetInputReportLength(HANDLE hid) {
    HIDP_CAPS caps = {};
    return GetCaps(hid, caps) ? caps.InputReportByteLength : 0;
}

int HidGetOutputReportLength(HANDLE hid) {
    HIDP_CAPS caps = {};
    return GetCaps(hid, caps) ? caps.OutputReportByteLength : 0;
}

int HidWriteRegister(HANDLE hid, WORD reg, BYTE value) {
    DeviceIoGuard io;
    int length = HidGetOutputReportLength(hid);
    if (length < kProtocolLength) return 1;
    if (!SendSelect(hid, length, reg)) return 2;
    std::vector<BYTE> write = Report(length, value, 0x01, kOpWrite);
    if (!Send(hid, write)) return 3;
    return 0;
}

int HidReadRegister(HANDLE hid, WORD reg, BYTE& value) {
    DeviceIoGuard io;
    int length = HidGetOutputReportLength(hid);
    if (length < kProtocolLength) return 1;
    if (!SendSelect(hid, length, reg)) return 2;
    int inLength = HidGetInputReportLength(hid);
    if (inLength < kValueByte + 1) return 3;  // too short to carry the value
    std::vector<BYTE> in(static_cast<size_t>(inLength), 0);
    if (!Receive(hid, in)) return 4;
    value = in[kValueByte];
    return 0;
}

int HidSendEmptyReport(HANDLE hid) {
    DeviceIoGuard io;
    int length = HidGetOutputReportLength(hid);
    if (length == 0) return 1;
    std::vector<BYTE> r(static_cast<size_t>(length), 0);
    return Send(hid, r) ? 0 : 2;
}

int HidSetGpioOutput(HANDLE hid, const BYTE levels[kGpioCount]) {
    DeviceIoGuard io;
    int length = HidGetOutputReportLength(hid);
    if (length == 0) return 1;
    if (length < kProtocolLength) return 2;
    BYTE low = 0;
    for (int i = 0; i < 8; ++i) low |= levels[i] ? static_cast<BYTE>(1 << i) : 0;
    BYTE op = static_cast<BYTE>(kOpGpioSet | (levels[8] ? 0x01 : 0) | (levels[9] ? 0x02 : 0));
    std::vector<BYTE> r = Report(length, low, 0xFF, op);
    return Send(hid, r) ? 0 : 3;
}

int HidGetGpioInput(HANDLE hid, BYTE levels[kGpioCount]) {
    DeviceIoGuard io;
    int length = HidGetOutputReportLength(hid);
    if (length == 0) return 1;
    if (length < kProtocolLength) return 2;
    std::vector<BYTE> request = Report(length, 0, 0, kOpGpioRequest);
    if (!Send(hid, request)) return 3;
    int inLength = HidGetInputReportLength(hid);
    if (inLength == 0) return 4;
    if (inLength < kProtocolLength) return 5;
    std::vector<BYTE> in(static_cast<size_t>(inLength), 0);
    if (!Receive(hid, in)) return 6;
    for (int i = 0; i < 8; ++i) levels[i] = (in[2] >> i) & 1;
    levels[8] = in[3] & 1;
    levels[9] = (in[3] >> 1) & 1;
    return 0;
}

int HidWriteEQBlock(HANDLE hid, const EQ_PARAMS& p) {
    BYTE values[10];
    for (int band = 0; band < 5; ++band) {
        values[2 * band] = p.wGain[band] & 0xFF;
        values[2 * band + 1] = (p.wGain[band] >> 8) & 0x0F;
    }
    values[9] |= static_cast<BYTE>((p.iFlagBit4 ? 0x10 : 0) | (p.iFlagBit5 ? 0x20 : 0) | (p.iFlagBit6 ? 0x40 : 0) |
                                   (p.iFlagBit7 ? 0x80 : 0));
    DeviceIoGuard io;
    for (int i = 0; i < 10; ++i) {
        if (HidWriteRegister(hid, static_cast<WORD>(kRegEQFirst + i), values[i]) != 0) return i + 1;
    }
    return 0;
}

int HidWrite3DBlock(HANDLE hid, const D3_PARAMS& p) {
    DeviceIoGuard io;
    BYTE fbm = 0;
    if (HidReadRegister(hid, kRegFBM, fbm) != 0) return 1;
    fbm = p.iFBMFlag ? static_cast<BYTE>(fbm | 0x01) : static_cast<BYTE>(fbm & ~0x01);
    if (HidWriteRegister(hid, kRegFBM, fbm) != 0) return 2;
    if (HidWriteRegister(hid, kRegLeft3D, Pair(p.byLeftAlpha, p.byLeftBeta)) != 0) return 3;
    if (HidWriteRegister(hid, kRegRight3D, Pair(p.byRightAlpha, p.byRightBeta)) != 0) return 4;
    return 0;
}

int HidWrite3DLeft(HANDLE hid, BYTE alpha, BYTE beta) { return WritePair(hid, kRegLeft3D, alpha, beta); }

int HidWrite3DRight(HANDLE hid, BYTE alpha, BYTE beta) { return WritePair(hid, kRegRight3D, alpha, beta); }
