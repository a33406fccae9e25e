// Finding the device by hardware ID among phantom devices made in the test
// prefix. Every ID here uses vendor 7E57, so devices of other test programs
// never qualify and these never qualify for them.
#include <gtest/gtest.h>

#include <windows.h>
#include <setupapi.h>

#include <memory>

#include "DeviceTestSupport.h"
#include "panel/device/DeviceSearch.h"

#include "shared/DeviceIdMgr.h"

namespace {

// Signed entries: "<pattern>,<Base64 of its DES cipher text>".
const char* const kUpperPattern = "USB\\VID_7E57&PID_D1XX&REV_0100&MI_00,NTEmjBIua435XKhYBfomf9s5du37q/2+m7e55wWY6+rDlgV5cUkENA==";
const char* const kLowerPattern = "usb\\vid_7e57&pid_e2xx&rev_0100&mi_00,Wi7DHy3QODyXThfJr+bkfSwbsq4bBCc0a+k7SzH2K+OTevryvR7LBQ==";
constexpr GUID kMediaClass = {0x4d36e96c, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
constexpr wchar_t kPhantomName[] = L"VELLODEVSEARCH";

// The supported-device list, loaded from an AudioConfig.cfg section.
class SupportedList {
public:
    explicit SupportedList(const std::vector<std::string>& entries) {
        std::string text = "[USB_VID_PID]\r\n";
        for (size_t i = 0; i < entries.size(); ++i) text += std::to_string(i + 1) + "=" + entries[i] + "\r\n";
        if (entries.empty()) text += "1=\r\n";
        vt::WriteFileBytes(dir_ / L"AudioConfig.cfg", text);
        list_.LoadFromIniFile(dir_ / L"AudioConfig.cfg", L"USB_VID_PID");
    }
    const DEVICEID_MGR::CDeviceIdMgr& get() const { return list_; }

private:
    vt::TempDir dir_;
    DEVICEID_MGR::CDeviceIdMgr list_;
};

std::vector<BYTE> MultiString(const std::vector<std::wstring>& strings) {
    std::wstring all;
    for (const auto& s : strings) all += s + L'\0';
    all += L'\0';
    const BYTE* b = reinterpret_cast<const BYTE*>(all.data());
    return std::vector<BYTE>(b, b + all.size() * sizeof(wchar_t));
}

// A device registered in the prefix with the given hardware IDs; removed at
// the end of the test.
class PhantomDevice {
public:
    explicit PhantomDevice(const std::vector<std::wstring>& hardwareIds)
        : set_(::SetupDiCreateDeviceInfoList(nullptr, nullptr)) {
        info_.cbSize = sizeof(SP_DEVINFO_DATA);
        std::vector<BYTE> ids = MultiString(hardwareIds);
        ok_ = set_ != INVALID_HANDLE_VALUE &&
              ::SetupDiCreateDeviceInfoW(set_, kPhantomName, &kMediaClass, nullptr, nullptr, DICD_GENERATE_ID, &info_) &&
              ::SetupDiSetDeviceRegistryPropertyW(set_, &info_, SPDRP_HARDWAREID, ids.data(),
                                                  static_cast<DWORD>(ids.size())) &&
              ::SetupDiRegisterDeviceInfo(set_, &info_, 0, nullptr, nullptr, nullptr);
    }
    ~PhantomDevice() {
        if (set_ == INVALID_HANDLE_VALUE) return;
        ::SetupDiRemoveDevice(set_, &info_);
        ::SetupDiDestroyDeviceInfoList(set_);
    }
    PhantomDevice(const PhantomDevice&) = delete;
    PhantomDevice& operator=(const PhantomDevice&) = delete;
    bool ok() const { return ok_; }

private:
    HDEVINFO set_;
    SP_DEVINFO_DATA info_ = {};
    bool ok_ = false;
};

int Find(const SupportedList& list, std::wstring* found) {
    return FindDeviceByHardwareId(KSCATEGORY_AUDIO_GUID, kHardwareIdLengthTemplate, list.get(), found);
}

TEST(DeviceSearch, OnlyTheFirstHardwareIdOfTheTemplateLengthCounts) {
    struct Case {
        const char* name;
        std::vector<std::wstring> ids;
        const wchar_t* found;  // null: not found
    };
    const Case cases[] = {
        {"audio interface", {L"USB\\VID_7E57&PID_D1A0&REV_0100&MI_00", L"USB\\VID_7E57&PID_D1A0&MI_00"},
         L"USB\\VID_7E57&PID_D1A0&REV_0100&MI_00"},
        {"lower-case device ID", {L"usb\\vid_7e57&pid_d1f3&rev_0100&mi_00"}, L"usb\\vid_7e57&pid_d1f3&rev_0100&mi_00"},
        {"lower-case pattern", {L"USB\\VID_7E57&PID_E2B3&REV_0100&MI_00"}, L"USB\\VID_7E57&PID_E2B3&REV_0100&MI_00"},
        {"other interface of the same length", {L"USB\\VID_7E57&PID_D1A0&REV_0100&MI_03"}, nullptr},
        {"other product", {L"USB\\VID_7E57&PID_D2A0&REV_0100&MI_00"}, nullptr},
        {"first ID of 35 characters", {L"USB\\VID_7E57&PID_D1A0&REV_010&MI_00", L"USB\\VID_7E57&PID_D1A0&REV_0100&MI_00"}, nullptr},
        {"first ID of 37 characters", {L"USB\\VID_7E57&PID_D1A0&REV_01000&MI_00", L"USB\\VID_7E57&PID_D1A0&REV_0100&MI_00"}, nullptr},
    };
    SupportedList list({kUpperPattern, kLowerPattern});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PhantomDevice device(c.ids);
        ASSERT_TRUE(device.ok()) << ::GetLastError();
        std::wstring found = L"untouched";
        EXPECT_EQ(Find(list, &found), c.found ? 1 : 0);
        EXPECT_EQ(found, c.found ? c.found : L"untouched");
    }
}

TEST(DeviceSearch, FirstQualifyingDeviceWins) {
    SupportedList list({kUpperPattern});
    PhantomDevice first({L"USB\\VID_7E57&PID_D1A0&REV_0100&MI_00"});
    PhantomDevice second({L"USB\\VID_7E57&PID_D1A1&REV_0100&MI_00"});
    ASSERT_TRUE(first.ok() && second.ok());
    std::wstring found;
    EXPECT_EQ(Find(list, &found), 1);
    EXPECT_EQ(found, L"USB\\VID_7E57&PID_D1A0&REV_0100&MI_00");
    EXPECT_EQ(Find(list, nullptr), 1);
}

TEST(DeviceSearch, NothingIsFoundWithoutAVerifiedEntry) {
    PhantomDevice device({L"USB\\VID_7E57&PID_D1A0&REV_0100&MI_00"});
    ASSERT_TRUE(device.ok());
    struct Case {
        const char* name;
        std::vector<std::string> entries;
    };
    const Case cases[] = {
        {"empty list", {}},
        {"entry with a changed cipher", {"USB\\VID_7E57&PID_D1XX&REV_0100&MI_00,MTEmjBIua435XKhYBfomf9s5du37q/2+m7e55wWY6+rDlgV5cUkENA=="}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SupportedList list(c.entries);
        std::wstring found;
        EXPECT_EQ(Find(list, &found), 0);
        EXPECT_TRUE(found.empty());
    }
}

}  // namespace
