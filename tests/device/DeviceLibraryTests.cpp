// Binding the device library: each library variant is bound by a small probe
// program in a folder of its own, as the panel binds it beside itself; the
// typed entry points are then called in this process against the stand-in.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <cwctype>
#include <functional>

#include "DeviceTestSupport.h"

namespace {

constexpr DWORD kProbeTimeoutMs = 30000;

struct ProbeRun {
    vt::RunResult run;
    bool sawBox = false;
    vt::MessageBoxInfo box;
};

// Runs the binding probe from a fresh folder holding the given library (none
// for an empty name), answering any message box it shows.
ProbeRun RunProbe(const vt::TempDir& dir, const std::wstring& libraryFolder, bool withLibrary) {
    ProbeRun r;
    const std::wstring probe = dir / L"device_binding_probe.exe";
    EXPECT_TRUE(::CopyFileW(vt::BinPath(L"device_binding_probe.exe").c_str(), probe.c_str(), FALSE));
    if (withLibrary) {
        std::wstring source = vt::BinDir() + libraryFolder + kDeviceLibraryFileName;
        EXPECT_TRUE(::CopyFileW(source.c_str(), (dir / kDeviceLibraryFileName).c_str(), FALSE)) << vt::Narrow(source);
    }
    r.run = vt::RunDebugged(L"\"" + probe + L"\"", kProbeTimeoutMs, [&](DWORD pid) {
        vt::MessageBoxInfo info;
        if (!r.sawBox && vt::FindMessageBox(pid, info) && !info.text.empty()) {
            r.sawBox = true;
            r.box = info;
            vt::AnswerMessageBox(info.hwnd);
        }
    }, dir.path());
    return r;
}

std::vector<std::wstring> FailureLines(const vt::RunResult& run) {
    std::vector<std::wstring> lines;
    for (const auto& s : run.debug)
        if (s.find(L"*****") != std::wstring::npos) lines.push_back(s);
    return lines;
}

TEST(DeviceLibraryBinding, ResultAndDebugLineNameTheFirstMissingExport) {
    struct Case {
        const char* name;
        const wchar_t* folder;  // under bin, ending in '\' unless empty
        DWORD result;
        const wchar_t* line;    // the one failure line, or none
    };
    const Case cases[] = {
        {"all exports", L"", 0, nullptr},
        {"last export missing", L"devicelib-lacks-249\\", 250, L"***** DLLKQ_PWM_GetRGB_Color_ById *****\n"},
        {"first export missing", L"devicelib-lacks-1\\", 2, nullptr},
        {"third export missing", L"devicelib-lacks-3\\", 4, L"***** DLLKQ_CheckDriver *****\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vt::TempDir dir;
        ProbeRun r = RunProbe(dir, c.folder, true);
        ASSERT_TRUE(r.run.started);
        ASSERT_FALSE(r.run.timedOut);
        EXPECT_EQ(r.run.exitCode, c.result);
        EXPECT_FALSE(r.sawBox) << vt::Narrow(r.box.text);
        std::vector<std::wstring> expected;
        if (c.line) expected.push_back(c.line);
        EXPECT_EQ(FailureLines(r.run), expected);
    }
}

TEST(DeviceLibraryBinding, MissingLibraryShowsTheSystemErrorAndGivesOne) {
    vt::TempDir dir;
    ProbeRun r = RunProbe(dir, L"", false);
    ASSERT_TRUE(r.run.started);
    ASSERT_FALSE(r.run.timedOut);
    EXPECT_EQ(r.run.exitCode, 1u);
    ASSERT_TRUE(r.sawBox);
    EXPECT_EQ(r.box.caption, L"Error");
    const std::wstring prefix = L"error 126: ";
    EXPECT_EQ(r.box.text.substr(0, prefix.size()), prefix) << vt::Narrow(r.box.text);
    EXPECT_GT(r.box.text.size(), prefix.size()) << "the system's text follows the code";
    EXPECT_TRUE(FailureLines(r.run).empty());
}

// The binding table, row by row, is the stand-in library's list of exports
// in its order (the order in which the binding stops at the first gap).
TEST(DeviceLibraryBinding, TableRowsFollowTheLibrarysExportList) {
    std::vector<std::string> names;
    std::string text = vt::ReadFileBytes(vt::SourceDir() + L"standins\\devicelib\\DLLKQ_UsbAudio73xx.names");
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) names.push_back(line);
        at = end + 1;
    }
    ASSERT_EQ(names.size(), static_cast<size_t>(kDeviceLibraryExportCount));
    for (int n = 1; n <= kDeviceLibraryExportCount; ++n) {
        const DEVICE_LIBRARY_EXPORT& row = DEVICE_LIBRARY_BINDING[n - 1];
        EXPECT_EQ(row.name, names[static_cast<size_t>(n - 1)]) << "row " << n;
        for (int m = 1; m < n; ++m)
            EXPECT_NE(row.slot, DEVICE_LIBRARY_BINDING[m - 1].slot) << "rows " << m << " and " << n << " share a slot";
    }
}

TEST(DeviceLibraryBinding, BindsEveryExportOfTheLibraryInThisProcess) {
    devtest::BoundLibrary();
    ASSERT_NE(hDeviceLibrary, nullptr);
    for (int n = 1; n <= kDeviceLibraryExportCount; ++n) {
        const DEVICE_LIBRARY_EXPORT& row = DEVICE_LIBRARY_BINDING[n - 1];
        FARPROC bound = nullptr;
        std::memcpy(&bound, row.slot, sizeof(bound));
        EXPECT_EQ(bound, ::GetProcAddress(hDeviceLibrary, row.name)) << "entry " << n << " " << row.name;
    }
}

// Each typed entry point reaches the library with its arguments in order.
TEST(DeviceLibraryBinding, TypedEntryPointsPassTheirArgumentsInOrder) {
    auto& lib = devtest::BoundLibrary();
    BYTE modes[10] = {1, 1, 0, 0, 1, 0, 1, 0, 0, 1};
    BYTE table[68] = {};
    BYTE enc[16] = {};
    BYTE buffer[16] = {};
    BYTE level = 0;
    int enabled = 0;
    struct Case {
        const char* name;
        std::function<int()> call;
        const char* args;
    };
    const Case cases[] = {
        {"DLLKQ_SetActive_Device", [] { return fnDLLKQ_SetActive_Device(0x2F7B, 0x731F); }, "2F7B 731F"},
        {"DLLKQ_SetVirtual7ch1_OnOff", [] { return fnDLLKQ_SetVirtual7ch1_OnOff(1); }, "1"},
        {"DLLKQ_SetVirtual7ch1", [&] { return fnDLLKQ_SetVirtual7ch1(reinterpret_cast<VIRTUAL7CH1_TABLE*>(table)); }, ""},
        {"DLLKQ_SetVirtual7ch1_Scalar", [] { return fnDLLKQ_SetVirtual7ch1_Scalar(2.5f); }, "2.500"},
        {"DLLKQ_SetEnc_Parameters", [&] { return fnDLLKQ_SetEnc_Parameters(enc); }, ""},
        {"DLLKQ_UsbHidSlave_SetRGB_Color_Ex", [] { return fnDLLKQ_UsbHidSlave_SetRGB_Color_Ex(1, 7, 255, 128, 3, 50); }, "1 7 255 128 3 50"},
        {"DLLKQ_UsbHidSlave_SetRGB_Mode_Ex", [] { return fnDLLKQ_UsbHidSlave_SetRGB_Mode_Ex(0, 5, 9, 50); }, "0 5 9 50"},
        {"DLLKQ_UsbHidSlave_SetRGB_Brightness_Ex", [] { return fnDLLKQ_UsbHidSlave_SetRGB_Brightness_Ex(2, 80, 500); }, "2 80 500"},
        {"DLLKQ_UsbHidSlave_SetRGB_Step_Ex", [] { return fnDLLKQ_UsbHidSlave_SetRGB_Step_Ex(7, 50); }, "7 50"},
        {"DLLKQ_UsbHidSlave_SetRGB_SingleColor_Ex", [] { return fnDLLKQ_UsbHidSlave_SetRGB_SingleColor_Ex(1, 2, 10, 20, 30, 50); }, "1 2 10 20 30 50"},
        {"DLLKQ_SetRGB_Color", [] { return fnDLLKQ_SetRGB_Color(0x3A, 1, 3, 4, 5, 6, 500); }, "3A 1 3 4 5 6 500"},
        {"DLLKQ_SetRGB_Mode", [] { return fnDLLKQ_SetRGB_Mode(0x3A, 0, 4, 2, 500); }, "3A 0 4 2 500"},
        {"DLLKQ_SetRGB_Brightness", [] { return fnDLLKQ_SetRGB_Brightness(0x3A, 1, 100, 500); }, "3A 1 100 500"},
        {"DLLKQ_SetRGB_Step", [] { return fnDLLKQ_SetRGB_Step(0x3A, 7, 500); }, "3A 7 500"},
        {"DLLKQ_SetRGB_SingleColor", [] { return fnDLLKQ_SetRGB_SingleColor(0x3A, 1, 2, 7, 8, 9, 500); }, "3A 1 2 7 8 9 500"},
        {"DLLKQ_ScanButton_ById", [] { return fnDLLKQ_ScanButton_ById(0x2F7B, 0x731F, nullptr, 0, 0); }, "2F7B 731F none 0 0"},
        {"DLLKQ_SetGpioMode_ById", [&] { return fnDLLKQ_SetGpioMode_ById(modes, 10, 0); }, "10 0"},
        {"DLLKQ_SetGpioModeEx_ById", [] { return fnDLLKQ_SetGpioModeEx_ById(9, 0, 0); }, "9 0 0"},
        {"DLLKQ_GetGpioEx_ById", [&] { return fnDLLKQ_GetGpioEx_ById(4, &level, 0); }, "4 0"},
        {"DLLKQ_Write_Register_ById", [] { return fnDLLKQ_Write_Register_ById(0x0123, 0xAB, 0); }, "0123 AB 0"},
        {"DLLKQ_Read_Register_ById", [&] { return fnDLLKQ_Read_Register_ById(0x0123, &level, 0); }, "0123 0"},
        {"DLLKQ_Read_I2C_ById", [&] { return fnDLLKQ_Read_I2C_ById(0x51, 0x10, buffer, 16, 100, 0); }, "51 10 16 100 0"},
        {"DLLKQ_Config3D_ById", [] { return fnDLLKQ_Config3D_ById(0); }, "0"},
        {"DLLKQ_Is3D_Enable_ById", [&] { return fnDLLKQ_Is3D_Enable_ById(&enabled, 0); }, "0"},
        {"DLLKQ_Set3D_OnOff_ById", [] { return fnDLLKQ_Set3D_OnOff_ById(1, 0); }, "1 0"},
        {"DLLKQ_ConfigEQ_ById", [] { return fnDLLKQ_ConfigEQ_ById(0); }, "0"},
        {"DLLKQ_IsEQ_Enable_ById", [&] { return fnDLLKQ_IsEQ_Enable_ById(&enabled, 0); }, "0"},
        {"DLLKQ_SetEQ_OnOff_ById", [] { return fnDLLKQ_SetEQ_OnOff_ById(0, 0); }, "0 0"},
        {"DLLKQ_SetRGB_Color_ById", [] { return fnDLLKQ_SetRGB_Color_ById(0x3A, 1, 2, 3, 4, 5, 50, 0); }, "3A 1 2 3 4 5 50 0"},
        {"DLLKQ_SetRGB_Mode_ById", [] { return fnDLLKQ_SetRGB_Mode_ById(0x3A, 0, 6, 3, 50, 0); }, "3A 0 6 3 50 0"},
        {"DLLKQ_SetRGB_Step_ById", [] { return fnDLLKQ_SetRGB_Step_ById(0x3A, 7, 50, 0); }, "3A 7 50 0"},
        {"DLLKQ_SetRGB_SingleColor_ById", [] { return fnDLLKQ_SetRGB_SingleColor_ById(0x3A, 1, 2, 3, 4, 5, 50, 0); }, "3A 1 2 3 4 5 50 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lib.ClearLog();
        EXPECT_EQ(c.call(), 0);
        auto calls = lib.Calls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].name, c.name);
        EXPECT_EQ(calls[0].args, c.args);
    }
}

TEST(DeviceLibraryBinding, GettersAnswerFromTheDeviceStateAndFailuresLeaveOutputsAlone) {
    auto& lib = devtest::BoundLibrary();
    lib.Edit([](devlibsim::State& s) {
        s.gpioLevels[3] = 1;
        s.eeprom[1][0x20] = 0x5A;
        s.registers[0x100] = 0x42;
    });
    int eq = -1;
    ASSERT_EQ(fnDLLKQ_SetEQ_OnOff_ById(1, 0), 0);
    ASSERT_EQ(fnDLLKQ_IsEQ_Enable_ById(&eq, 0), 0);
    EXPECT_EQ(eq, 1);
    BYTE level = 9;
    ASSERT_EQ(fnDLLKQ_GetGpioEx_ById(3, &level, 0), 0);
    EXPECT_EQ(level, 1);
    BYTE eeprom[2] = {};
    ASSERT_EQ(fnDLLKQ_Read_I2C_ById(0x51, 0x1F, eeprom, 2, 100, 0), 0);
    EXPECT_EQ(eeprom[0], 0xFF);  // blank EEPROM byte
    EXPECT_EQ(eeprom[1], 0x5A);

    lib.FailNext("DLLKQ_Read_Register_ById", 1, 7);
    BYTE value = 0x11;
    EXPECT_EQ(fnDLLKQ_Read_Register_ById(0x100, &value, 0), 7);
    EXPECT_EQ(value, 0x11);
    EXPECT_EQ(fnDLLKQ_Read_Register_ById(0x100, &value, 0), 0);
    EXPECT_EQ(value, 0x42);
}

// A test that knows only the folder it put the library in reaches the same
// channel as the library itself, whatever the spelling of the path.
TEST(DeviceLibraryBinding, ControlChannelIsFoundByTheLibraryFolder) {
    devtest::BoundLibrary();
    std::wstring folder = vt::BinDir();  // ends with '\'
    for (wchar_t& c : folder) c = static_cast<wchar_t>(towupper(c));
    devlibsim::LibraryControl byFolder(folder);
    ASSERT_TRUE(byFolder.ok());
    byFolder.ClearLog();
    ASSERT_EQ(fnDLLKQ_SetEQ_OnOff_ById(1, 0), 0);
    auto calls = byFolder.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].name, "DLLKQ_SetEQ_OnOff_ById");
    EXPECT_EQ(byFolder.Snapshot().eqEnabled, 1);
}

// The callback runs on the library's own thread with the injected reports,
// and no more once it is switched off.
std::atomic<DWORD> g_callbackThread{0};
std::atomic<int> g_callbackCount{0};
BYTE g_lastReport[5];
WORD g_lastIds[2];

int WINAPI RecordReport(WORD vendorId, WORD productId, BYTE* report, int, int) {
    std::memcpy(g_lastReport, report, 5);
    g_lastIds[0] = vendorId;
    g_lastIds[1] = productId;
    g_callbackThread = ::GetCurrentThreadId();
    ++g_callbackCount;
    return 0;
}

TEST(DeviceLibraryBinding, ScanCallbackRunsOnTheLibraryThreadUntilSwitchedOff) {
    auto& lib = devtest::BoundLibrary();
    ASSERT_EQ(fnDLLKQ_ScanButton_ById(0x2F7B, 0x731F, RecordReport, 1, 0), 0);
    const BYTE report[5] = {0x01, 0x80, 0x00, 0x04, 0x00};
    LONG before = lib.Snapshot().reportsDelivered;
    lib.InjectReport(report);
    ASSERT_TRUE(lib.WaitReportsDelivered(before + 1, 5000));
    EXPECT_EQ(std::memcmp(g_lastReport, report, 5), 0);
    EXPECT_EQ(g_lastIds[0], 0x2F7B);
    EXPECT_EQ(g_lastIds[1], 0x731F);
    EXPECT_NE(g_callbackThread.load(), ::GetCurrentThreadId());

    ASSERT_EQ(fnDLLKQ_ScanButton_ById(0x2F7B, 0x731F, nullptr, 0, 0), 0);
    int calls = g_callbackCount;
    lib.InjectReport(report);
    ::Sleep(200);
    EXPECT_EQ(g_callbackCount.load(), calls);
}

}  // namespace
