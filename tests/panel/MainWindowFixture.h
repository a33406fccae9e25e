// The main window built in the test program's own process on the sample kit
// (beside the program), against the stand-in device library and the
// simulated HID and filter devices, driven with real mouse input: the
// fixture and helpers its test programs share.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include "DeviceLibControl.h"
#include "HidSimulation.h"
#include "PhantomDevices.h"
#include "TestSupport.h"
#include "panel/AudioMainForm.h"
#include "panel/PanelForms.h"
#include "panel/device/DeviceLibrary.h"
#include "panel/device/HidDevice.h"
#include "shared/DebugTrace.h"
#include "shared/ScopedWin.h"

#include <chrono>
#include <future>

// The file name of the picture an image control shows ("" when none).
class TAudioMainFormAccess {
public:
    static std::wstring Shown(TAudioMainForm* form, const wchar_t* image) { return Shown(form, form->Image(image)); }
    // Also for an image of another form that the main window paints.
    static std::wstring Shown(TAudioMainForm* form, ui::TImage* image) {
        auto it = form->m_LoadedPicture.find(image);
        if (it == form->m_LoadedPicture.end()) return L"";
        return it->second.substr(it->second.find_last_of(L'\\') + 1);
    }
};

namespace {

constexpr WORD kVid = 0x2F7B;
constexpr WORD kPid = 0x731F;
constexpr wchar_t kUserFolder[] = L"VelloMainWindowTests";

void Pump(DWORD ms) {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        ui::Application->ProcessMessages();
        ::Sleep(2);
    }
}

void SendAt(POINT p, DWORD flags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = ::MulDiv(p.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = ::MulDiv(p.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &in, sizeof(INPUT));
}

std::wstring AppData() {
    wchar_t path[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"APPDATA", path, MAX_PATH);
    return path;
}

std::wstring UserFolder() { return AppData() + L"\\" + kUserFolder + L"\\"; }

void ReplaceInFile(const std::wstring& path, const std::string& from, const std::string& to) {
    std::string text = vt::ReadFileBytes(path);
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    vt::WriteFileBytes(path, text);
}

// A register report decoded: "sel 0120", "wr ff", "zero" or the raw bytes.
std::string Decode(const std::vector<BYTE>& r) {
    char text[32];
    bool zero = true;
    for (BYTE b : r) zero = zero && b == 0;
    if (zero) return "zero";
    if (r.size() > 4 && r[1] == 0x60 && r[4] == 0x10) {
        std::snprintf(text, sizeof(text), "sel %02x%02x", r[3], r[2]);
        return text;
    }
    if (r.size() > 4 && r[1] == 0x60 && r[4] == 0x20) {
        std::snprintf(text, sizeof(text), "wr %02x", r[2]);
        return text;
    }
    return "other";
}

[[maybe_unused]] std::vector<std::string> Reports(const hidsim::Simulation& sim) {
    std::vector<std::string> out;
    for (const auto& r : sim.OutputReports()) out.push_back(Decode(r.bytes));
    return out;
}

[[maybe_unused]] std::vector<std::string> Tail(const std::vector<std::string>& all, size_t n) {
    return all.size() < n ? all : std::vector<std::string>(all.end() - static_cast<long>(n), all.end());
}

struct Box {
    std::wstring text, caption;
    UINT flags = 0;
};

// A value of the installer's settings key (HKLM\SOFTWARE\Qorv 73xx
// Software), read and written the way the installer does.
const std::wstring kSettings = L"SOFTWARE\\Qorv 73xx Software";
const std::wstring kEncValueMap = kSettings + L"\\EncValueMap";
constexpr wchar_t kEncValueName[] = L"VID_2F7B&PID_731F";

bool ReadSetting(const std::wstring& key, const wchar_t* name, DWORD& value) {
    DWORD size = sizeof(value), type = 0;
    return ::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_ANY, &type, &value, &size) ==
               ERROR_SUCCESS &&
           size == sizeof(value);
}
void WriteSetting(const std::wstring& key, const wchar_t* name, DWORD value) {
    HKEY h = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    ::RegCloseKey(h);
}
void DeleteSetting(const std::wstring& key, const wchar_t* name) { ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name); }

// The device's ENC and voice-effect values as the kit's installer writes
// them for the length of a test, and what was there before put back.
class InstalledSettings {
public:
    InstalledSettings() {
        for (Saved& s : saved_) s.present = ReadSetting(s.key, s.name, s.value);
        WriteSetting(kEncValueMap, kEncValueName, 10);
        WriteSetting(kSettings, L"TimbrexEnable", 0);
        WriteSetting(kSettings, L"TimbrexLevel", 2);
    }
    ~InstalledSettings() {
        for (const Saved& s : saved_) {
            if (s.present) WriteSetting(s.key, s.name, s.value);
            else DeleteSetting(s.key, s.name);
        }
    }

private:
    struct Saved {
        std::wstring key;
        const wchar_t* name;
        bool present;
        DWORD value;
    };
    Saved saved_[3] = {{kEncValueMap, kEncValueName, false, 0},
                       {kSettings, L"TimbrexEnable", false, 0},
                       {kSettings, L"TimbrexLevel", false, 0}};
};

// A kit file replaced for one test and put back at the end.
class ReplacedFile {
public:
    ReplacedFile(std::wstring path, const std::string& bytes) : path_(std::move(path)) {
        saved_ = vt::ReadFileBytes(path_);
        vt::WriteFileBytes(path_, bytes);
    }
    ~ReplacedFile() { vt::WriteFileBytes(path_, saved_); }

private:
    std::wstring path_;
    std::string saved_;
};

enum class Device { None, HidOnly, Present };

class MainWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The kit beside this program, made this program's own: its per-user
        // folder, and the slider track of the default skin layout.
        const std::wstring dir = vt::BinDir();
        ReplaceInFile(dir + L"AudioConfig.cfg", "InstallFolderName=Vello Audio",
                      "InstallFolderName=" + vt::Narrow(kUserFolder));
        for (const wchar_t* res : {L"", L"1366x768\\", L"1920x1080\\", L"960x540\\"})
            ReplaceInFile(dir + L"Skin\\" + res + L"Graphite\\SkinSetting.ini", "EQSlider=150,200",
                          "EQSlider=200,120");
    }

    void SetUp() override {
        lib = std::make_unique<devlibsim::LibraryControl>(vt::BinDir());
        ASSERT_TRUE(lib->ok());
        lib->Reset();
        ::CreateDirectoryW(UserFolder().c_str(), nullptr);
        ASSERT_TRUE(vt::WriteFileBytes(UserFolder() + L"AudioConfig.cfg",
                                       "[Language]\r\nDefaultLanguage=English\r\n[Skin]\r\nDefaultSkin=Graphite\r\n"));
        ::CopyFileW((vt::BinDir() + L"DefaultProfile.ini").c_str(), (UserFolder() + L"DefaultProfile.ini").c_str(),
                    FALSE);
        ::DeleteFileW((UserFolder() + L"LastProfile.ini").c_str());
    }

    void TearDown() override {
        SendAt(Cursor(), MOUSEEVENTF_LEFTUP);
        TAudioMainForm::OnStep = nullptr;
        Close();
    }

    // Ends the window (its shut-down runs) and the application.
    void Close() {
        if (form) form->Free();
        form = nullptr;
        app.reset();
    }

    // Makes the devices present that the case needs and builds the window.
    void Build(Device device) {
        if (device != Device::None && hid < 0) {
            ASSERT_NE(phantoms.Add({L"USB\\VID_2F7B&PID_731F&REV_0100&MI_00"}), L"");
            hid = sim.AddHidDevice({kVid, kPid});
        }
        if (device == Device::Present) sim.AddFilterDevice(kVid, kPid);
        app = std::make_unique<ui::TApplication>();
        app->SetMessageBoxHandler([this](HWND, const std::wstring& text, const std::wstring& caption, UINT flags) {
            boxes.push_back(Box{text, caption, flags});
            return IDOK;
        });
        lib->ClearLog();  // a window closed before is no part of this construction
        app->CreateForm(form);
        form->Show();
        form->BringToFront();
        ::SetForegroundWindow(form->Handle());
        Pump(100);
        sim.ClearLog();
        constructionCalls = lib->Calls();
        lib->ClearLog();
        boxes.clear();
    }

    static POINT Cursor() {
        POINT p;
        ::GetCursorPos(&p);
        return p;
    }
    POINT Centre(ui::TControl* c) const {
        return form->ClientToScreen(POINT{c->Left() + c->Width() / 2, c->Top() + c->Height() / 2});
    }
    void MoveTo(POINT p) {
        ::SetCursorPos(p.x, p.y);
        SendAt(p, 0);
        Pump(30);
    }
    void Click(ui::TControl* c) {
        MoveTo(Centre(c));
        SendAt(Centre(c), MOUSEEVENTF_LEFTDOWN);
        Pump(30);
        SendAt(Centre(c), MOUSEEVENTF_LEFTUP);
        Pump(30);
    }
    // Presses on the control, moves the cursor by dy and releases.
    void Drag(ui::TControl* c, int dy) {
        POINT from = Centre(c);
        MoveTo(from);
        SendAt(from, MOUSEEVENTF_LEFTDOWN);
        Pump(30);
        POINT to{from.x, from.y + dy};
        MoveTo(to);
        SendAt(to, MOUSEEVENTF_LEFTUP);
        Pump(30);
    }
    // Drags a band slider so that its top lands at offset below the track top.
    void DragBandTo(const wchar_t* slider, int offset) {
        ui::TImage* s = form->Image(slider);
        Drag(s, form->m_iEQSliderTop + offset - s->Top());
    }
    // Clicks at a point of the control (from its top-left corner).
    void ClickAt(ui::TControl* c, POINT at) {
        POINT p = form->ClientToScreen(POINT{c->Left() + at.x, c->Top() + at.y});
        MoveTo(p);
        SendAt(p, MOUSEEVENTF_LEFTDOWN);
        Pump(30);
        SendAt(p, MOUSEEVENTF_LEFTUP);
        Pump(30);
    }
    // Presses on the control, keeping the button down.
    void PressOn(ui::TControl* c) {
        MoveTo(Centre(c));
        SendAt(Centre(c), MOUSEEVENTF_LEFTDOWN);
        Pump(30);
    }
    std::wstring Shown(const wchar_t* image) const { return TAudioMainFormAccess::Shown(form, image); }
    std::wstring KitSkin() const { return vt::BinDir() + L"Skin\\1366x768\\Graphite\\"; }
    std::vector<std::string> LibraryCalls(const std::string& name) const {
        std::vector<std::string> out;
        for (const auto& c : lib->Calls(name)) out.push_back(c.args);
        return out;
    }

    vt::PhantomDevices phantoms;
    hidsim::Simulation sim;
    int hid = -1;
    std::unique_ptr<devlibsim::LibraryControl> lib;
    // The library calls of the window's construction.
    std::vector<devlibsim::LoggedCall> constructionCalls;
    InstalledSettings settings;
    std::unique_ptr<ui::TApplication> app;
    TAudioMainForm* form = nullptr;
    std::vector<Box> boxes;
};

}  // namespace
