// Hardware buttons and GPIO through the real main window: button reports
// injected into the stand-in library's scan, GPIO levels the library
// answers, and what the window then sends to the library, shows and asks.
#include "MainWindowFixture.h"
#include "panel/device/GpioThread.h"

namespace {

using Bytes = std::array<BYTE, 5>;

// A report with the ten line levels (bit i = GPIO i) and a fifth byte.
Bytes Levels(unsigned lines, BYTE last = 0) {
    return Bytes{0, 0, static_cast<BYTE>(lines & 0xFF), static_cast<BYTE>((lines >> 8) & 0x03), last};
}
constexpr unsigned kIdle = 0x3FF;  // every line high (the kit's lines are active low)
Bytes Idle() { return Levels(kIdle); }
Bytes Pressed(int line) { return Levels(kIdle & ~(1u << line)); }

// Values of the kit's AudioConfig.cfg changed for one test through the
// profile functions (which the window reads with) and put back afterwards.
class KitSettings {
public:
    explicit KitSettings(std::wstring file) : file_(std::move(file)) {}
    ~KitSettings() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            ::WritePrivateProfileStringW(it->section.c_str(), it->key.c_str(),
                                         it->missing ? nullptr : it->value.c_str(), file_.c_str());
    }
    void Set(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
        wchar_t old[256] = {};
        ::GetPrivateProfileStringW(section, key, L"\x01", old, 256, file_.c_str());
        saved_.push_back(Saved{section, key, old, std::wcscmp(old, L"\x01") == 0});
        ::WritePrivateProfileStringW(section, key, value.c_str(), file_.c_str());
    }

private:
    struct Saved {
        std::wstring section, key, value;
        bool missing;
    };
    std::wstring file_;
    std::vector<Saved> saved_;
};

class Buttons : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        kit = std::make_unique<KitSettings>(vt::BinDir() + L"AudioConfig.cfg");
    }
    void TearDown() override {
        MainWindow::TearDown();
        kit.reset();
    }
    void Set(const wchar_t* section, const wchar_t* key, const std::wstring& value) { kit->Set(section, key, value); }
    void Function(int line, const std::wstring& value) { Set(L"GPIOFunction", std::to_wstring(line).c_str(), value); }

    // A value of the library's state (read in place: the state is large).
    template <typename Get>
    auto Read(Get get) const {
        decltype(get(std::declval<const devlibsim::State&>())) value{};
        lib->Edit([&](devlibsim::State& s) { value = get(s); });
        return value;
    }
    // Hands the reports to the library's scan and lets the window handle
    // what the callback passed on.
    void Inject(std::initializer_list<Bytes> reports) {
        // Each report reaches the callback, or is dropped while none is
        // registered.
        for (const Bytes& r : reports) lib->InjectReport(r.data());
        ASSERT_TRUE(PumpUntil([&] {
            return Read([](const devlibsim::State& s) { return s.reportsDelivered + s.reportsDropped >= s.reportsQueued; });
        }));
        Pump(40);
    }
    // Pumps until done() holds (false after timeoutMs).
    template <typename Done>
    bool PumpUntil(Done done, DWORD timeoutMs = 3000) {
        const DWORD start = ::GetTickCount();
        while (!done()) {
            if (::GetTickCount() - start > timeoutMs) return false;
            ui::Application->ProcessMessages();
            ::Sleep(2);
        }
        return true;
    }
    // The on/off values of the ENC switch blocks sent since the log was cleared.
    std::vector<int> EncSwitches() const {
        std::vector<int> out;
        for (const auto& c : lib->Calls("DLLKQ_AudioCommand"))
            if (c.bytes.size() > 2 && c.bytes[0] == 4 && c.bytes[1] == 0) out.push_back(c.bytes[2]);
        return out;
    }
    std::vector<std::string> Switches71() const { return LibraryCalls("DLLKQ_SetVirtual7ch1_OnOff"); }
    void Levels71(int line3) {
        lib->Edit([line3](devlibsim::State& s) { s.gpioLevels[3] = static_cast<BYTE>(line3); });
    }
    std::wstring File(const wchar_t* key) { return form->SkinEntry(key).file; }

    std::unique_ptr<KitSettings> kit;
};

std::vector<std::string> GpioCalls(const std::vector<devlibsim::LoggedCall>& calls) {
    std::vector<std::string> out;
    for (const auto& c : calls)
        if (c.name == "DLLKQ_ScanButton_ById" || c.name == "DLLKQ_SetGpioMode_ById" ||
            c.name == "DLLKQ_SetGpioModeEx_ById" || c.name == "DLLKQ_GetGpioEx_ById")
            out.push_back(c.name + " " + c.args);
    return out;
}

// ---------------------------------------------------------------- registration

TEST_F(Buttons, TheScanIsRegisteredInSwitchModeOrForTheEncButton) {
    std::vector<std::string> firstRead = {"DLLKQ_ScanButton_ById 2F7B 731F none 0 0", "DLLKQ_SetGpioMode_ById 10 0"};
    for (int i = 0; i < 10; ++i) firstRead.push_back("DLLKQ_GetGpioEx_ById " + std::to_string(i) + " 0");
    const std::string registration = "DLLKQ_ScanButton_ById 2F7B 731F callback 1 0";
    const std::string encLine = "DLLKQ_SetGpioModeEx_ById 2 0 0";
    struct Case {
        const char* name;
        const wchar_t* mode;
        const wchar_t* encButtonMode;
        bool encOffered;
        bool libraryRefusesTheLine;
        std::vector<std::string> calls;
    };
    std::vector<std::string> switchMode = firstRead;
    switchMode.push_back(registration);
    const Case cases[] = {
        {"switch mode", L"1", L"0", false, false, switchMode},
        {"ENC button mode", L"0", L"1", true, false, {encLine, registration}},
        {"ENC button mode, ENC not offered", L"0", L"1", false, false, {}},
        {"ENC button mode, line refused", L"0", L"1", true, true, {encLine}},
        {"button mode without the ENC button", L"0", L"0", true, false, {}},
        {"mode 2", L"2", L"0", true, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Set(L"GPIO", L"MODE", c.mode);
        Set(L"DefaultSet", L"EncButtonMode", c.encButtonMode);
        if (c.encOffered) WriteSetting(kEncValueMap, kEncValueName, 10);
        else DeleteSetting(kEncValueMap, kEncValueName);
        if (c.libraryRefusesTheLine) lib->FailNext("DLLKQ_SetGpioModeEx_ById");
        ::DeleteFileW((UserFolder() + L"LastProfile.ini").c_str());
        Build(Device::Present);
        EXPECT_EQ(GpioCalls(constructionCalls), c.calls);
        for (const auto& call : constructionCalls) {
            if (call.name != "DLLKQ_SetGpioMode_ById") continue;
            EXPECT_EQ(call.bytes, std::vector<BYTE>(10, 0));
        }

        // The kit's line 1 switches the equaliser when the scan is there.
        Inject({Idle(), Pressed(1)});
        EXPECT_EQ(lib->Calls("DLLKQ_SetEQ_OnOff_ById").empty(), c.calls.empty() || c.calls.back() != registration);
        Close();
    }
}

// ---------------------------------------------------------------- the changed line

TEST_F(Buttons, TheChangedLineChoosesTheFunction) {
    Set(L"GPIO", L"MODE", L"0");
    Set(L"GPIO", L"ENABLE", L"1,1,1,1,1,1,1,1,1,1");
    Set(L"GPIOActive", L"0", L"1");
    Set(L"GPIOActive", L"9", L"1");
    Function(0, L"F3");
    Function(1, L"");
    Function(2, L"");
    Function(3, L"F8");
    Function(5, L"7");
    Function(9, L"F1");
    struct Case {
        const char* name;
        Bytes to;
        int page;
        const char* call;  // the device call the function makes (null: none)
    };
    const Case cases[] = {
        {"only line 3 changed: line 3 (ENC)", Pressed(3), 7, "DLLKQ_AudioCommand"},
        {"lines 1 and 2 together: line 0 (effects page)", Levels(kIdle & ~6u), 2, nullptr},
        {"a change outside bytes 2 and 3: line 9 (EQ)", Levels(kIdle, 1), 1, "DLLKQ_SetEQ_OnOff_ById"},
        {"function 7 without its F: nothing", Pressed(5), 1, nullptr},
    };
    const char* const deviceCalls[] = {"DLLKQ_AudioCommand", "DLLKQ_SetEQ_OnOff_ById", "DLLKQ_SetVirtual7ch1_OnOff",
                                       "DLLKQ_Set3D_OnOff_ById"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Build(Device::Present);
        ASSERT_EQ(form->m_iCurrentPage, 1);
        Inject({Idle(), c.to});
        Pump(300);
        EXPECT_EQ(form->m_iCurrentPage, c.page);
        for (const char* name : deviceCalls)
            EXPECT_EQ(lib->Calls(name).empty(), !c.call || std::strcmp(c.call, name) != 0) << name;
        Close();
    }
}

// ---------------------------------------------------------------- the kit's buttons

TEST_F(Buttons, TheKitsButtonsSwitchTheirFunctions) {
    Build(Device::Present);
    ASSERT_EQ(form->m_bENCEnable, 1);
    Inject({Idle()});

    // Line 3: the 7.1 page at once, the 7.1 switch by the worker later.
    lib->InjectReport(Pressed(3).data());
    ASSERT_TRUE(PumpUntil([&] { return form->m_iCurrentPage == 4; }));
    const DWORD shown = ::GetTickCount();
    EXPECT_TRUE(Switches71().empty()) << "the click waits for the worker";
    ASSERT_TRUE(PumpUntil([&] { return !Switches71().empty(); }));
    EXPECT_GE(::GetTickCount() - shown, 80u);
    EXPECT_EQ(Switches71(), std::vector<std::string>{"1"});
    const auto tables = lib->Calls("DLLKQ_SetVirtual7ch1");
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_EQ(tables[0].bytes[0], 1) << "the table's on flag";
    EXPECT_EQ(Shown(L"VirtualEnableImage"), File(L"VirtualEnableImageDown"));

    // Releasing it does nothing.
    lib->ClearLog();
    Inject({Idle()});
    Pump(300);
    EXPECT_TRUE(lib->Calls().empty());
    EXPECT_EQ(form->m_b7ch1Enable, 1);

    // Line 1: the EQ page and its switch.
    const int eq = form->m_bEQEnable;
    Inject({Pressed(1), Idle()});
    EXPECT_EQ(form->m_iCurrentPage, 1);
    EXPECT_EQ(form->m_bEQEnable, eq ? 0 : 1);
    EXPECT_EQ(Read([](const devlibsim::State& s) { return s.eqEnabled; }), form->m_bEQEnable);

    // Line 2: the ENC page and ENC switched off.
    lib->ClearLog();
    Inject({Pressed(2), Idle()});
    EXPECT_EQ(form->m_iCurrentPage, 7);
    EXPECT_EQ(form->m_bENCEnable, 0);
    EXPECT_EQ(EncSwitches(), std::vector<int>{0});
}

TEST_F(Buttons, InSwitchModeTheSwitchDecidesThe71State) {
    Set(L"GPIO", L"MODE", L"1");
    struct Case {
        const char* name;
        int startLevel;  // of line 3, the highest enabled line (active low)
        int on;
    };
    const Case cases[] = {{"switch at its active level", 0, 1}, {"switch at the other level", 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lib->Reset();
        Levels71(c.startLevel);
        ::DeleteFileW((UserFolder() + L"LastProfile.ini").c_str());
        Build(Device::Present);
        EXPECT_EQ(form->m_iCurrentPage, 4);
        EXPECT_EQ(form->m_b7ch1Enable, c.on);
        EXPECT_EQ(Shown(L"VirtualEnableImage"), File(c.on ? L"VirtualDisableImageDown" : L"VirtualDisableImageUp"));
        // The device takes the switch's state at start-up too.
        std::string last71;
        std::vector<BYTE> lastTable;
        for (const auto& call : constructionCalls) {
            if (call.name == "DLLKQ_SetVirtual7ch1_OnOff") last71 = call.args;
            if (call.name == "DLLKQ_SetVirtual7ch1") lastTable = call.bytes;
        }
        EXPECT_EQ(last71, std::to_string(c.on));
        ASSERT_FALSE(lastTable.empty());
        EXPECT_EQ(lastTable[0], c.on);

        // The same line acts at press and at release; 7.1 follows it.
        Inject({c.startLevel ? Idle() : Pressed(3)});
        for (int level : {1 - c.startLevel, c.startLevel}) {
            SCOPED_TRACE(level ? "line 3 high" : "line 3 low");
            lib->ClearLog();
            form->m_iCurrentPage = 1;
            form->ShowPage(1);
            Inject({level ? Idle() : Pressed(3)});
            EXPECT_EQ(form->m_iCurrentPage, 4);
            ASSERT_TRUE(PumpUntil([&] { return !Switches71().empty(); }));
            EXPECT_EQ(Switches71(), std::vector<std::string>{level ? "0" : "1"});
            EXPECT_EQ(form->m_b7ch1Enable, level ? 0 : 1);
        }
        Close();
    }
}

// ---------------------------------------------------------------- the ENC button

TEST_F(Buttons, TheEncButtonTogglesEncFromItsLine) {
    Set(L"GPIO", L"BUTTONMODE", L"0");
    Set(L"GPIO", L"DIPSWMODE", L"0");
    struct Case {
        const char* name;
        int encGpio;
        std::vector<int> switches;  // ENC on/off blocks after three presses
    };
    const Case cases[] = {
        {"line 2", 2, {0, 1}},
        {"line 9 (byte 3, bit 1)", 9, {0, 1}},
        {"line 0: never armed", 0, {}},
        {"line 5: no such ENC line", 5, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Set(L"DefaultSet", L"EncGpio", std::to_wstring(c.encGpio));
        ::DeleteFileW((UserFolder() + L"LastProfile.ini").c_str());
        Build(Device::Present);
        ASSERT_EQ(form->m_bENCEnable, 1);
        // The first report is only kept; the first changed one only clears
        // the skip; releases are no press.
        const Bytes press = Pressed(c.encGpio), release = Idle();
        Inject({release, press, release, press, release, press});
        EXPECT_EQ(EncSwitches(), c.switches);
        EXPECT_EQ(form->m_bENCEnable, c.switches.empty() ? 1 : c.switches.back());
        EXPECT_TRUE(lib->Calls("DLLKQ_SetEnc_Parameters").empty()) << "the parameters are not sent again";
        Close();
    }
}

// ---------------------------------------------------------------- the worker

TEST(GpioWorker, ClicksTheLatestRequestOnceAndLosesNone) {
    struct Click {
        ui::TObject* component;
        ui::TShiftState shift;
    };
    ui::TObject a, b;
    struct Case {
        const char* name;
        bool secondWhileClicking;
        std::vector<ui::TObject*> clicked;
    };
    const Case cases[] = {
        {"two requests within 100 ms", false, {&b}},
        {"a request while the first click runs", true, {&a, &b}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        win::Handle wake(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
        win::Handle inClick(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        win::Handle goOn(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        std::mutex lock;
        std::vector<Click> clicks;
        TMyThread worker(false, wake.get(), [&](ui::TObject* component, ui::TShiftState shift) {
            ::SetEvent(inClick.get());
            ::WaitForSingleObject(goOn.get(), 5000);
            std::lock_guard<std::mutex> guard(lock);
            clicks.push_back(Click{component, shift});
        });
        worker.AfterConstruction();
        worker.SetButtonClick(&a, 0);
        ::SetEvent(wake.get());
        if (c.secondWhileClicking) {
            ASSERT_EQ(::WaitForSingleObject(inClick.get(), 5000), WAIT_OBJECT_0);
            worker.SetButtonClick(&b, ui::ssShift);
        } else {
            worker.SetButtonClick(&b, ui::ssShift);
            ::SetEvent(goOn.get());
        }
        ::SetEvent(wake.get());
        ::SetEvent(goOn.get());
        ::Sleep(500);  // the worker wakes a second time and finds nothing more
        worker.Stop();
        std::vector<ui::TObject*> clicked;
        for (const Click& click : clicks) clicked.push_back(click.component);
        EXPECT_EQ(clicked, c.clicked);
        if (!clicks.empty()) {
            EXPECT_EQ(clicks.back().shift, ui::ssShift);
        }
    }
}

TEST_F(Buttons, TwoPressesWithin100msSwitch71Once) {
    Build(Device::Present);
    Inject({Idle(), Pressed(3), Idle(), Pressed(3)});
    Pump(500);
    EXPECT_EQ(Switches71(), std::vector<std::string>{"1"});
    EXPECT_EQ(form->m_b7ch1Enable, 1);
}

TEST_F(Buttons, ClosingWhileReportsArriveEndsCleanly) {
    Build(Device::Present);
    std::atomic<bool> stop{false};
    std::thread injector([&] {
        devlibsim::LibraryControl control(vt::BinDir());
        for (unsigned n = 0; !stop; ++n) {
            const Bytes r = n % 4 == 1 ? Pressed(3) : n % 4 == 3 ? Pressed(1) : Idle();
            control.InjectReport(r.data());
            ::Sleep(20);
        }
    });
    Pump(250);  // a deferred click is usually waiting now
    Close();
    lib->ClearLog();
    ::Sleep(300);
    stop = true;
    injector.join();
    ::Sleep(200);
    EXPECT_TRUE(lib->Calls().empty()) << "nothing reaches the library from a closed window";
    EXPECT_EQ(Read([](const devlibsim::State& s) { return s.scanEnabled; }), 0);
}

// ---------------------------------------------------------------- mended faults

TEST_F(Buttons, HandlersRunOnTheWindowsThread) {
    Build(Device::Present);
    std::vector<DWORD> threads;
    app->SetMessageBoxHandler([&](HWND, const std::wstring&, const std::wstring&, UINT) {
        threads.push_back(::GetCurrentThreadId());
        return IDOK;
    });
    form->m_bDeviceActive = 0;  // every click target now warns
    Inject({Idle(), Pressed(1), Idle(), Pressed(3)});
    ASSERT_TRUE(PumpUntil([&] { return threads.size() >= 2; }));
    EXPECT_EQ(threads, std::vector<DWORD>(2, ::GetCurrentThreadId()));
}

TEST_F(Buttons, SwitchModeWithoutAnEnabledLineForcesNothing) {
    Set(L"GPIO", L"MODE", L"1");
    Set(L"GPIO", L"ENABLE", L"0,0,0,0,0,0,0,0,0,0");
    Build(Device::Present);
    EXPECT_EQ(form->m_iCurrentPage, 1);
    EXPECT_EQ(form->m_GPIOTable[kGpioHw7ch1Switch], 1u) << "the switch counts as on";
}

TEST_F(Buttons, ALineThatIsNotEnabledLeavesTheSwitchAlone) {
    Set(L"GPIO", L"MODE", L"1");
    Function(5, L"F7");  // line 5 is not enabled
    Levels71(0);
    Build(Device::Present);
    ASSERT_EQ(form->m_b7ch1Enable, 1);
    Inject({Pressed(3), Levels(kIdle & ~(1u << 3) & ~(1u << 5))});
    ASSERT_TRUE(PumpUntil([&] { return !Switches71().empty(); }));
    EXPECT_EQ(Switches71(), std::vector<std::string>{"1"});
}

TEST_F(Buttons, AHardwarePressLeavesThe71ControlsLocked) {
    Set(L"GPIO", L"MODE", L"1");
    Build(Device::Present);
    Inject({Pressed(3), Levels(kIdle & ~(1u << 3) & ~(1u << 1))});  // line 1: EQ
    ASSERT_EQ(form->m_iCurrentPage, 1);
    Click(form->Label(L"PageVirtual7p1Label"));
    ASSERT_EQ(form->m_iCurrentPage, 4);
    lib->ClearLog();
    Click(form->Image(L"VirtualEnableImage"));
    Pump(200);
    EXPECT_TRUE(Switches71().empty()) << "the mouse does not switch 7.1 in switch mode";
}

TEST_F(Buttons, InSwitchModeTheDeviceFollowsTheWindowAtRelease) {
    Set(L"GPIO", L"MODE", L"1");
    struct Case {
        const char* name;
        const wchar_t* function;
        int TAudioMainForm::*member;
        int devlibsim::State::*device;
    };
    const Case cases[] = {
        {"EQ", L"F1", &TAudioMainForm::m_bEQEnable, &devlibsim::State::eqEnabled},
        {"3D", L"F2", &TAudioMainForm::m_b3DEnable, &devlibsim::State::d3Enabled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Function(1, c.function);
        ::DeleteFileW((UserFolder() + L"LastProfile.ini").c_str());
        Build(Device::Present);
        const Bytes switchOn = Pressed(3);
        Inject({switchOn});
        const int before = form->*c.member;
        for (int press : {1, 0}) {
            SCOPED_TRACE(press ? "press" : "release");
            Inject({press ? Levels(kIdle & ~(1u << 3) & ~(1u << 1)) : switchOn});
            EXPECT_EQ(form->*c.member, press ? 1 - before : before);
            EXPECT_EQ(Read([&](const devlibsim::State& s) { return s.*c.device; }), form->*c.member) << "device and window agree";
        }
        Close();
    }
}

}  // namespace
