// The device life cycle through the main window in this program's own
// process: devices made present or absent (SetupAPI phantom devices, the
// simulated HID interface and filter device), and the WM_DEVICECHANGE
// broadcasts Windows would send for them, each carrying a real
// DEV_BROADCAST_DEVICEINTERFACE_W; the retry timer's ticks are called
// directly. What leaves the window is checked: library calls, HID reports,
// filter control codes, the label, pictures and the retry timer.
#include "MainWindowFixture.h"

#include <dbt.h>
#include <hidsdi.h>
#include <ks.h>
#include <ksmedia.h>

#include <cstddef>

#include "EndpointFakes.h"
#include "panel/device/DeviceSearch.h"

namespace {

constexpr WORD kOtherPid = 0x7320;  // another supported device
constexpr GUID kDiskClass = {0x53f56307, 0xb6bf, 0x11d0, {0x94, 0xf2, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b}};

GUID HidClass() {
    GUID guid;
    ::HidD_GetHidGuid(&guid);
    return guid;
}

wchar_t Hex(int digit) { return L"0123456789ABCDEF"[digit & 15]; }
std::wstring Hex4(WORD value) {
    return {Hex(value >> 12), Hex(value >> 8), Hex(value >> 4), Hex(value)};
}

// Interface paths as device notifications carry them.
std::wstring HidPath(WORD pid) {
    return L"\\\\?\\HID#VID_2F7B&PID_" + Hex4(pid) + L"&MI_03#7&1A2B3C4D&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
}
std::wstring AudioPath(WORD pid) {
    return L"\\\\?\\USB#VID_2F7B&PID_" + Hex4(pid) + L"&MI_00#6&2F5E3C1A&0&0000#{6994ad04-93ef-11d0-a3cc-00a0c9223196}\\global";
}
const std::wstring kStickPath =
    L"\\\\?\\USBSTOR#Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.07#8765&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";

// The ENC-off command as the library receives it.
bool IsEncOff(const devlibsim::LoggedCall& c) {
    return c.name == "DLLKQ_AudioCommand" && c.bytes.size() > 8 && c.bytes[0] == 4 &&
           std::all_of(c.bytes.begin() + 1, c.bytes.begin() + 8, [](BYTE b) { return b == 0; });
}

std::vector<std::string> Names(const std::vector<devlibsim::LoggedCall>& calls) {
    std::vector<std::string> names;
    for (const auto& c : calls) names.push_back(c.name + (c.args.empty() ? "" : " " + c.args));
    return names;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const auto& l : lines) all += "  " + l + "\n";
    return all;
}

// Where the lines that begin with each head appear, in this order
// (npos for the first head not found after the one before).
// A line is the call a head names: the same export, and the same first
// arguments when the head gives any.
bool IsCall(const std::string& line, const std::string& head) {
    return line == head || line.compare(0, head.size() + 1, head + " ") == 0;
}

size_t FirstMissing(const std::vector<std::string>& lines, const std::vector<std::string>& heads) {
    size_t at = 0;
    for (size_t h = 0; h < heads.size(); ++h) {
        while (at < lines.size() && !IsCall(lines[at], heads[h])) ++at;
        if (at == lines.size()) return h;
        ++at;
    }
    return std::string::npos;
}

enum class Sequence { Arrival, Tick };
const char* NameOf(Sequence s) { return s == Sequence::Arrival ? "arrival" : "tick"; }

class LifeCycle : public MainWindow {
protected:
    struct Plugged {
        std::wstring instance;
        int hid = -1;
    };

    void TearDown() override {
        MainWindow::TearDown();
        world.reset();
    }

    // The device with this product ID made present: its audio device in
    // SetupAPI and, unless told otherwise, its HID interface and filter device.
    void Plug(WORD pid, bool withHid = true) {
        Plugged& d = devices[pid];
        if (d.instance.empty()) d.instance = phantoms.Add({L"USB\\VID_2F7B&PID_" + Hex4(pid) + L"&REV_0100&MI_00"});
        ASSERT_NE(d.instance, L"");
        if (!withHid) return;
        if (d.hid < 0) d.hid = sim.AddHidDevice({kVid, pid});
        else sim.SetPresent(d.hid, true);
        sim.RemoveFilterDevice(kVid, pid);
        sim.AddFilterDevice(kVid, pid);
    }
    void Unplug(WORD pid) {
        Plugged& d = devices[pid];
        if (!d.instance.empty()) {
            EXPECT_TRUE(phantoms.Remove(d.instance));
        }
        d.instance.clear();
        if (d.hid >= 0) sim.SetPresent(d.hid, false);
        sim.RemoveFilterDevice(kVid, pid);
    }

    // Sends the notification as Windows does: the record built in this
    // process, its size covering the path and its terminating zero.
    void Notify(UINT event, const GUID& cls, const std::wstring& path) {
        const size_t size = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (path.size() + 1) * sizeof(wchar_t);
        std::vector<BYTE> record(size, 0);
        auto* b = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(record.data());
        b->dbcc_size = static_cast<DWORD>(size);
        b->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        b->dbcc_classguid = cls;
        std::wmemcpy(b->dbcc_name, path.c_str(), path.size() + 1);
        ::SendMessageW(form->Handle(), WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(record.data()));
        Pump(30);
    }
    void Arrive(WORD pid) { Notify(DBT_DEVICEARRIVAL, HidClass(), HidPath(pid)); }
    void Remove(WORD pid) { Notify(DBT_DEVICEREMOVECOMPLETE, HidClass(), HidPath(pid)); }
    void Tick() {
        form->Timer1Timer(form->Timer1);
        Pump(30);
    }
    void Run(Sequence s) {
        if (s == Sequence::Arrival) Arrive(kPid);
        else Tick();
    }

    std::wstring LabelText() const { return form->Label(L"DeviceActiveLabel")->Caption(); }
    std::wstring Entry(const wchar_t* key) const { return form->LanguageEntry(key).caption; }
    // The file of a skin entry as an image shows it.
    std::wstring File(const wchar_t* key) const {
        std::wstring path = form->SkinEntry(key).file;
        return path.substr(path.find_last_of(L'\\') + 1);
    }
    std::wstring ShownByTag(int tag) const { return TAudioMainFormAccess::Shown(form, form->FindImageByTag(tag)); }
    // The input and output pictures as they should show for a state.
    void ExpectPictures(bool active, const std::string& row) const {
        EXPECT_EQ(ShownByTag(54), File(active ? L"DeviceActiveDownImage" : L"DeviceActiveUpImage")) << row;
        EXPECT_EQ(ShownByTag(55), File(active ? L"DeviceUnActiveUpImage" : L"DeviceUnActiveDownImage")) << row;
    }
    void ExpectState(bool active, bool polling, const wchar_t* label, const std::string& row) const {
        EXPECT_EQ(form->m_bDeviceActive, active ? 1 : 0) << row;
        EXPECT_EQ(form->m_bSync, active ? 1 : 0) << row;
        EXPECT_EQ(form->Timer1->Enabled(), polling) << row;
        EXPECT_EQ(LabelText(), Entry(label)) << row;
        ExpectPictures(active, row);
    }

    // The window built while no device is present: inactive, polling.
    void BuildWithout() {
        Build(Device::None);
        RetryTimerOnlyWhenCalled();
        ASSERT_EQ(form->m_bDeviceActive, 0);
        ASSERT_TRUE(form->Timer1->Enabled());
    }
    // The window built with the device present, connected by the construction.
    void BuildWith() {
        Plug(kPid);
        Build(Device::None);
        RetryTimerOnlyWhenCalled();
        ASSERT_EQ(form->m_bDeviceActive, 1);
        ASSERT_NE(form->m_hDevice, nullptr);
    }
    // The retry timer keeps its state, but its ticks come only from the
    // test (a test step may take longer than its 2 seconds).
    void RetryTimerOnlyWhenCalled() {
        ASSERT_EQ(form->Timer1->Interval(), 2000u);
        form->Timer1->SetInterval(24 * 3600 * 1000);
    }
    // The features switched on as their buttons do.
    void SwitchOn(int tag, int& state, int (TAudioMainForm::*send)(int)) {
        state = 0;
        form->ToggleButton(tag, state);
        (form->*send)(state);
    }
    // The microphone Windows shows for the device, with its endpoint.
    void AddMicrophone() {
        world = std::make_unique<epfake::EndpointWorld>();
        world->AddCaptureDevice(
            L"\\\\?\\USB#VID_2F7B&PID_731F&MI_00#7&2f5e3c1a&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global",
            L"Speaker X");
        microphone = &world->AddCaptureEndpoint(L"Microphone (Speaker X)");
    }

    std::map<WORD, Plugged> devices;
    std::unique_ptr<epfake::EndpointWorld> world;
    epfake::Device* microphone = nullptr;
};

TEST_F(LifeCycle, DeviceIdsAreReadAfterTheirMarkers) {
    BuildWithout();
    const struct {
        const wchar_t* path;
        WORD vid, pid;
    } rows[] = {
        {L"\\\\?\\HID#VID_2F7B&PID_731F&MI_03#7&1a&0#{4d1e55b2-f16f-11cf-88cb-001111000030}", 0x2F7B, 0x731F},
        {L"\\\\?\\usb#Vid_2f7b&Pid_731b#x", 0x2F7B, 0x731B},
        {L"\\\\?\\hid#vid_2f7b&pid_731f#x", 0, 0},
        {L"no markers at all", 0, 0},
        {L"PID_731F before no vendor", 0, 0},
        {L"VID_12G4&PID_0001", 0x12, 0x0001},
        {L"VID_2F7B and nothing more", 0x2F7B, 0},
        {L"VID_2F7B&PID_73", 0x2F7B, 0x73},
        {L"VID_&PID_ZZ", 0, 0},
        {L"VID_2F7BFFFF&PID_731F0000", 0x2F7B, 0x731F},
        {L"", 0, 0},
    };
    for (const auto& row : rows) {
        WORD vid = 1, pid = 1;
        form->GetVidPidFromPath(row.path, vid, pid);
        EXPECT_EQ(vid, row.vid) << vt::Narrow(row.path);
        EXPECT_EQ(pid, row.pid) << vt::Narrow(row.path);
    }
}

// The states a window goes through, step by step: after each step the
// device state, the retry timer, the label and the pictures.
TEST_F(LifeCycle, TheStateFollowsArrivalsTicksAndRemovals) {
    enum Step { PlugIn, PlugWithoutHid, Unplugged, Arrival, Tick, Removal };
    struct Expect {
        Step step;
        bool active, polling;
        const wchar_t* label;
    };
    const struct {
        const char* name;
        bool constructedWithDevice;
        std::vector<Expect> steps;
    } rows[] = {
        {"built without device, then arrival, then tick",
         false,
         {{PlugIn, false, true, L"LabelUnactive"},
          {Arrival, true, true, L"LabelActive"},
          {Tick, true, false, L"LabelActive"}}},
        {"tick while polling",
         false,
         {{PlugIn, false, true, L"LabelUnactive"}, {Tick, true, false, L"LabelActive"}}},
        {"arrival of a device without its HID interface",
         false,
         {{PlugWithoutHid, false, true, L"LabelUnactive"}, {Arrival, false, true, L"LabelUnactive"}}},
        {"tick without the device",
         false,
         {{Tick, false, true, L"LabelUnactive"}}},
        {"built with the device, removal, arrival",
         true,
         {{Removal, false, false, L"LabelUnactive"},
          {Unplugged, false, false, L"LabelUnactive"},
          {PlugIn, false, false, L"LabelUnactive"},
          {Arrival, true, false, L"LabelActive"},
          {Removal, false, false, L"LabelUnactive"}}},
    };
    for (const auto& row : rows) {
        if (row.constructedWithDevice) BuildWith();
        else BuildWithout();
        int n = 0;
        for (const Expect& e : row.steps) {
            switch (e.step) {
            case PlugIn: Plug(kPid); break;
            case PlugWithoutHid: Plug(kPid, false); break;
            case Unplugged: Unplug(kPid); break;
            case Arrival: Arrive(kPid); break;
            case Tick: this->Tick(); break;
            case Removal: Remove(kPid); break;
            }
            ExpectState(e.active, e.polling, e.label, std::string(row.name) + ", step " + std::to_string(++n));
        }
        Close();
        Unplug(kPid);
    }
}

// Refused ENC-off commands: five at arrival, ten at a tick end the sequence
// without any change; the first accepted one connects.
TEST_F(LifeCycle, RefusedEncOffCommandsLeaveTheWindowAsItWas) {
    const struct {
        Sequence sequence;
        bool polling;  // the retry timer when the device comes
        int refused;
        int encOffSent;
        bool connects;
    } rows[] = {
        {Sequence::Arrival, true, 5, 5, false},  {Sequence::Arrival, false, 5, 5, false},
        {Sequence::Arrival, true, 4, 5, true},   {Sequence::Arrival, true, 0, 1, true},
        {Sequence::Tick, true, 10, 10, false},   {Sequence::Tick, true, 9, 10, true},
    };
    for (const auto& row : rows) {
        const std::string name = std::string(NameOf(row.sequence)) + ", " + std::to_string(row.refused) +
                                 " refused" + (row.polling ? ", polling" : ", not polling");
        if (row.polling) {
            BuildWithout();
            Plug(kPid);
        } else {
            BuildWith();
            Remove(kPid);  // inactive, not polling
        }
        const std::wstring label = LabelText();
        lib->ClearLog();
        sim.ClearLog();
        lib->FailNext("DLLKQ_AudioCommand", row.refused);
        Run(row.sequence);

        const auto calls = lib->Calls();
        auto first = std::find_if(calls.begin(), calls.end(), IsEncOff);
        int sent = 0;
        for (auto c = first; c != calls.end() && IsEncOff(*c); ++c) ++sent;
        EXPECT_EQ(sent, row.encOffSent) << name << "\n" << Joined(Names(calls));
        EXPECT_EQ(form->m_bDeviceActive, row.connects ? 1 : 0) << name;
        if (!row.connects) {
            EXPECT_EQ(LabelText(), label) << name;
            EXPECT_EQ(form->Timer1->Enabled(), row.polling) << name;
            EXPECT_EQ(calls.size(), static_cast<size_t>(1 + row.encOffSent)) << name << ": only the active device and "
                                                                               << "the commands\n" << Joined(Names(calls));
            EXPECT_TRUE(sim.Ioctls().empty()) << name;
            EXPECT_TRUE(sim.OutputReports().empty()) << name;
            ExpectPictures(false, name);
        } else {
            EXPECT_EQ(LabelText(), Entry(L"LabelActive")) << name;
        }
        Close();
        Unplug(kPid);
    }
}

// What each sequence writes to the debugger output, and how it asks the
// library for the active device again when refused.
TEST_F(LifeCycle, EachSequenceReportsAndAsksAgainInItsOwnWay) {
    const std::vector<std::wstring> watched = {L"DeviceArrival1", L"m_hDevice != NULL", L"bResult = 0",
                                               L"***** fnDLLKQ_SetActive_Device", L"[DeviceArrival1][ScanENCGPIO]"};
    const struct {
        const char* name;
        Sequence sequence;
        bool builtWithDevice, plugged;
        int refusals;
        std::vector<std::wstring> lines;
        size_t setActiveCalls;
    } rows[] = {
        {"arrival, nothing found", Sequence::Arrival, false, false, 0, {L"DeviceArrival1", L"bResult = 0"}, 0},
        {"tick, nothing found", Sequence::Tick, false, false, 0, {}, 0},
        {"arrival, device in use since the construction", Sequence::Arrival, true, true, 0,
         {L"DeviceArrival1", L"m_hDevice != NULL"}, 0},
        {"arrival, active device refused", Sequence::Arrival, false, true, 1,
         {L"DeviceArrival1", L"***** fnDLLKQ_SetActive_Device, ret = 1 *****", L"[DeviceArrival1][ScanENCGPIO]"}, 1},
        {"tick, active device refused", Sequence::Tick, false, true, 1, {}, 2},
        {"arrival, active device refused twice", Sequence::Arrival, false, true, 2,
         {L"DeviceArrival1", L"***** fnDLLKQ_SetActive_Device, ret = 1 *****", L"[DeviceArrival1][ScanENCGPIO]"}, 1},
    };
    for (const auto& row : rows) {
        if (row.builtWithDevice) BuildWith();
        else BuildWithout();
        if (row.plugged && !row.builtWithDevice) Plug(kPid);
        std::vector<std::wstring> lines;
        trace::SetObserver([&](const std::wstring& line) {
            for (const std::wstring& w : watched)
                if (line.compare(0, w.size(), w) == 0) lines.push_back(line);
        });
        lib->ClearLog();
        lib->FailNext("DLLKQ_SetActive_Device", row.refusals);
        Run(row.sequence);
        trace::SetObserver(nullptr);
        EXPECT_EQ(lines, row.lines) << row.name;
        EXPECT_EQ(lib->Calls("DLLKQ_SetActive_Device").size(), row.setActiveCalls) << row.name;
        EXPECT_EQ(form->m_bDeviceActive, row.plugged ? 1 : 0) << row.name;
        Close();
        Unplug(kPid);
    }
}

// The filter device's path is set by an arrival (the filter codes of the
// re-application go to the device that arrived) but not by a tick (they
// keep the path that the construction set).
TEST_F(LifeCycle, OnlyAnArrivalSetsTheFilterPath) {
    const std::wstring constructed = L"\\\\.\\Class#VelloLink&2F7B&731F";
    const std::wstring arrived = L"\\\\.\\Class#VelloLink&2F7B&" + Hex4(kOtherPid);
    const struct {
        Sequence sequence;
        const std::wstring& path;
    } rows[] = {{Sequence::Arrival, arrived}, {Sequence::Tick, constructed}};
    for (const auto& row : rows) {
        BuildWith();
        Remove(kPid);
        Unplug(kPid);
        // The first device's filter device stays reachable: the codes that
        // still use its path reach it.
        sim.AddFilterDevice(kVid, kPid);
        Plug(kOtherPid);
        form->Timer1->SetEnabled(true);
        sim.ClearLog();
        lib->ClearLog();
        if (row.sequence == Sequence::Arrival) Arrive(kOtherPid);
        else Tick();
        ASSERT_EQ(form->m_bDeviceActive, 1) << NameOf(row.sequence) << " " << form->m_wPID << "\n"
                                            << Joined(Names(lib->Calls()));
        EXPECT_EQ(form->m_wPID, kOtherPid) << NameOf(row.sequence);
        const auto codes = sim.Ioctls();
        ASSERT_FALSE(codes.empty()) << NameOf(row.sequence);
        for (const auto& c : codes)
            EXPECT_EQ(_wcsicmp(c.path.c_str(), row.path.c_str()), 0)
                << NameOf(row.sequence) << ": " << vt::Narrow(c.path);
        Close();
        Unplug(kOtherPid);
        sim.RemoveFilterDevice(kVid, kPid);
    }
}

// What an arrival and a tick send once the device is active, in order; the
// tick leaves out the button scan and the 3D restore.
TEST_F(LifeCycle, TheDeviceStateIsSentAgainInItsOrder) {
    const struct {
        Sequence sequence;
        std::vector<std::string> inOrder;
        std::vector<std::string> never;
    } rows[] = {
        {Sequence::Arrival,
         {"DLLKQ_SetActive_Device 2F7B 731F", "DLLKQ_AudioCommand", "DLLKQ_SetGpioModeEx_ById", "DLLKQ_ScanButton_ById",
          "DLLKQ_SetEQ_OnOff_ById 1", "DLLKQ_Set3D_OnOff_ById 1", "DLLKQ_SetVirtual7ch1_OnOff 1",
          "DLLKQ_SetVirtual7ch1", "DLLKQ_SetVirtual7ch1_Scalar"},
         {}},
        {Sequence::Tick,
         {"DLLKQ_SetActive_Device 2F7B 731F", "DLLKQ_AudioCommand", "DLLKQ_SetEQ_OnOff_ById 1",
          "DLLKQ_SetVirtual7ch1_OnOff 1", "DLLKQ_SetVirtual7ch1", "DLLKQ_SetVirtual7ch1_Scalar"},
         {"DLLKQ_Set3D_OnOff_ById", "DLLKQ_ScanButton_ById", "DLLKQ_SetGpioModeEx_ById"}},
    };
    for (const auto& row : rows) {
        const char* name = NameOf(row.sequence);
        BuildWithout();
        form->m_iDefaultEQEnable = form->m_iDefault3DEnable = form->m_iDefault7ch1Enable = 1;
        form->m_b3DV7ch1Exclusive = 0;
        form->m_bEQFromEEPROM = form->m_b3DFromEEPROM = 0;
        Plug(kPid);
        lib->ClearLog();
        sim.ClearLog();
        Run(row.sequence);
        const auto names = Names(lib->Calls());
        EXPECT_EQ(FirstMissing(names, row.inOrder), std::string::npos) << name << "\n" << Joined(names);
        for (const std::string& never : row.never)
            EXPECT_EQ(FirstMissing(names, {never}), 0u) << name << " calls " << never;
        // The filter is asked for its state, then for its value.
        std::vector<DWORD> codes;
        for (const auto& c : sim.Ioctls()) codes.push_back(c.code);
        EXPECT_EQ(codes, (std::vector<DWORD>{0x00223190, 0x00223028})) << name;
        EXPECT_EQ(form->m_b7ch1Enable, 1) << name;
        EXPECT_EQ(form->m_bEQEnable, 1) << name;
        if (row.sequence == Sequence::Arrival) EXPECT_EQ(form->m_b3DEnable, 1) << name;
        EXPECT_EQ(form->m_iConnectCount, 1) << name;
        EXPECT_EQ(LabelText(), Entry(L"LabelActive")) << name;
        Close();
        Unplug(kPid);
    }
}

// Removal: only the HID interface of the device in use counts.
TEST_F(LifeCycle, OnlyTheRemovalOfTheDevicesHidInterfaceCounts) {
    const struct {
        const char* name;
        GUID cls;
        std::wstring path;
        bool removes;
    } rows[] = {
        {"audio interface of the device", KSCATEGORY_AUDIO_GUID, AudioPath(kPid), false},
        {"HID interface of another device", HidClass(), HidPath(kOtherPid), false},
        {"HID interface in lower case", HidClass(), L"\\\\?\\hid#vid_2f7b&pid_731f&mi_03#7&1&0#{4d1e55b2-f16f-11cf-88cb-001111000030}", false},
        {"a disk", kDiskClass, kStickPath, false},
        {"HID interface of the device", HidClass(), HidPath(kPid), true},
        {"HID interface of the device, a path of 400 characters", HidClass(),
         L"\\\\?\\HID#VID_2F7B&PID_731F&MI_03#" + std::wstring(330, L'7') + L"#{4d1e55b2-f16f-11cf-88cb-001111000030}", true},
    };
    for (const auto& row : rows) {
        BuildWith();
        // Features switched on by the user before the device goes.
        SwitchOn(7, form->m_bEQEnable, &TAudioMainForm::SetEQOnOff);
        ASSERT_EQ(form->m_bEQEnable, 1) << row.name;
        lib->ClearLog();
        sim.ClearLog();
        Notify(DBT_DEVICEREMOVECOMPLETE, row.cls, row.path);
        if (row.removes) {
            ExpectState(false, false, L"LabelUnactive", row.name);
            EXPECT_EQ(form->m_hDevice, nullptr) << row.name;
            EXPECT_EQ(form->m_iConnectCount, 0) << row.name;
            EXPECT_EQ(form->m_bEQEnable, 0) << row.name;
            EXPECT_EQ(ShownByTag(7), File(L"EQEQENImageUp")) << row.name;
        } else {
            ExpectState(true, false, L"LabelActive", row.name);
            EXPECT_NE(form->m_hDevice, nullptr) << row.name;
            EXPECT_EQ(form->m_bEQEnable, 1) << row.name;
        }
        EXPECT_TRUE(lib->Calls().empty()) << row.name << "\n" << Joined(Names(lib->Calls()));
        EXPECT_TRUE(sim.OutputReports().empty()) << row.name;
        Close();
        Unplug(kPid);
    }
}

// A record whose path has no terminating zero before the record ends, laid
// at the end of a readable page: the path ends with the record.
TEST_F(LifeCycle, ThePathEndsWithItsRecord) {
    BuildWith();
    const std::wstring path = HidPath(kPid);
    const size_t size = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + path.size() * sizeof(wchar_t);
    BYTE* pages = static_cast<BYTE*>(::VirtualAlloc(nullptr, 8192, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(::VirtualProtect(pages + 4096, 4096, PAGE_NOACCESS, &old));
    auto* b = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(pages + 4096 - size);
    b->dbcc_size = static_cast<DWORD>(size);
    b->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    b->dbcc_reserved = 0;
    b->dbcc_classguid = HidClass();
    std::wmemcpy(b->dbcc_name, path.c_str(), path.size());
    ::SendMessageW(form->Handle(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(b));
    EXPECT_EQ(form->m_bDeviceActive, 0);
    EXPECT_EQ(LabelText(), Entry(L"LabelUnactive"));
    ::VirtualFree(pages, 0, MEM_RELEASE);
}

// An arrival of anything while a device is connected (a USB stick, another
// interface of the device) changes nothing: a muted microphone stays muted
// and nothing goes to the device again.
TEST_F(LifeCycle, AnotherArrivalLeavesAConnectedDeviceAlone) {
    const struct {
        const char* name;
        bool connectedByArrival;
        GUID cls;
        std::wstring path;
    } rows[] = {
        {"a disk, device connected by an arrival", true, kDiskClass, kStickPath},
        {"the audio interface, device connected by an arrival", true, KSCATEGORY_AUDIO_GUID, AudioPath(kPid)},
        {"the HID interface again, device connected by an arrival", true, HidClass(), HidPath(kPid)},
        {"a disk, device connected by the construction", false, kDiskClass, kStickPath},
    };
    for (const auto& row : rows) {
        AddMicrophone();
        if (row.connectedByArrival) {
            BuildWithout();
            Plug(kPid);
            Arrive(kPid);
            ASSERT_EQ(form->m_bDeviceActive, 1) << row.name;
        } else {
            BuildWith();
        }
        SwitchOn(22, form->m_bMicMute, &TAudioMainForm::SetMicMute);
        ASSERT_EQ(form->m_bMicMute, 1) << row.name;
        ASSERT_TRUE(microphone->volume.muted) << row.name;
        const std::wstring muteShown = ShownByTag(22);
        lib->ClearLog();
        sim.ClearLog();
        const int muteCalls = microphone->volume.muteCalls;
        Notify(DBT_DEVICEARRIVAL, row.cls, row.path);
        EXPECT_TRUE(microphone->volume.muted) << row.name;
        EXPECT_EQ(microphone->volume.muteCalls, muteCalls) << row.name;
        EXPECT_EQ(form->m_bMicMute, 1) << row.name;
        EXPECT_EQ(ShownByTag(22), muteShown) << row.name;
        EXPECT_TRUE(lib->Calls().empty()) << row.name << "\n" << Joined(Names(lib->Calls()));
        EXPECT_TRUE(sim.OutputReports().empty()) << row.name;
        EXPECT_TRUE(sim.Ioctls().empty()) << row.name;
        Close();
        EXPECT_TRUE(world->HeldReferences().empty()) << row.name;
        Unplug(kPid);
        world.reset();
    }
}

// Messages let through in the middle of an arrival: a removal stops it
// before its label and state steps; another arrival or a tick runs after it.
TEST_F(LifeCycle, WhatArrivesDuringAnArrivalWaitsOrStopsIt) {
    BuildWithout();
    Plug(kPid);
    // Posted now, handled where the arrival lets messages through.
    form->RunOnMainThread([this] { Remove(kPid); });
    lib->ClearLog();
    Arrive(kPid);
    Pump(100);
    ExpectState(false, true, L"LabelUnactive", "removal during the arrival");
    auto names = Names(lib->Calls());
    EXPECT_EQ(FirstMissing(names, {"DLLKQ_SetVirtual7ch1_Scalar"}), 0u)
        << "the 7.1 state went to a device that was gone\n" << Joined(names);

    // A tick and a second arrival during an arrival: each runs after it.
    form->RunOnMainThread([this] {
        Tick();
        Arrive(kPid);
    });
    lib->ClearLog();
    Arrive(kPid);
    Pump(200);
    names = Names(lib->Calls());
    // The arrival's sequence whole, then the tick's (which ends the polling);
    // the second arrival finds the device in use.
    EXPECT_EQ(FirstMissing(names, {"DLLKQ_SetActive_Device", "DLLKQ_SetVirtual7ch1_Scalar", "DLLKQ_SetActive_Device",
                                   "DLLKQ_SetVirtual7ch1_Scalar"}),
              std::string::npos)
        << Joined(names);
    EXPECT_EQ(FirstMissing(names, {"DLLKQ_SetActive_Device", "DLLKQ_SetActive_Device", "DLLKQ_SetActive_Device"}), 2u)
        << Joined(names);
    size_t firstEnd = std::find_if(names.begin(), names.end(),
                                   [](const std::string& n) { return n.rfind("DLLKQ_SetVirtual7ch1_Scalar", 0) == 0; }) -
                      names.begin();
    size_t secondStart = std::find_if(names.begin() + 1, names.end(),
                                      [](const std::string& n) { return n.rfind("DLLKQ_SetActive_Device", 0) == 0; }) -
                         names.begin();
    EXPECT_LT(firstEnd, secondStart) << "the tick ran inside the arrival\n" << Joined(names);
    ExpectState(true, false, L"LabelActive", "tick and arrival during the arrival");
}

// The level meter records from the device: a removal closes it, and an
// arrival on the microphone page opens it again.
TEST_F(LifeCycle, RemovalClosesTheLevelMeter) {
    AddMicrophone();
    BuildWith();
    form->m_iCurrentPage = 3;
    form->OpenMicLevelMeter();
    const HWAVEIN recording = form->m_hWaveIn;
    ASSERT_NE(recording, nullptr);
    Remove(kPid);
    EXPECT_EQ(form->m_hWaveIn, nullptr);
    EXPECT_EQ(::waveInClose(recording), static_cast<MMRESULT>(MMSYSERR_INVALHANDLE)) << "still open";
    Unplug(kPid);
    Plug(kPid);
    Arrive(kPid);
    ASSERT_EQ(form->m_bDeviceActive, 1);
    EXPECT_NE(form->m_hWaveIn, nullptr) << "the microphone page shows the level again";
    EXPECT_EQ(form->m_bMicInitialized, 1);
    Close();
    EXPECT_TRUE(world->HeldReferences().empty());
}

}  // namespace
