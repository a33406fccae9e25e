// The main window's construction in its fixed order of steps, its shut-down
// and the small helpers of the window shell.
#include "panel/AudioMainForm.h"

#include <dbt.h>
#include <ks.h>
#include <ksmedia.h>

#include <cwchar>

#include "panel/device/DeviceLibrary.h"
#include "panel/device/DeviceSearch.h"
#include "panel/device/FilterControl.h"
#include "panel/device/HidDevice.h"
#include "panel/device/AudioCommand.h"
#include "panel/device/AudioEndpoint.h"
#include "panel/skin/SkinPictures.h"
#include "shared/DebugTrace.h"
#include "shared/DeviceIdMgr.h"
#include "shared/ResolutionFolder.h"

HANDLE GPIOThreadEvent = nullptr;
HANDLE LEDEffectEvent = nullptr;

std::function<void(const wchar_t*)> TAudioMainForm::OnStep;

namespace {

constexpr int kDesignWidth = 819;
constexpr int kDesignHeight = 513;

// Leading decimal digits of text (0 when there are none).
int LeadingNumber(const std::wstring& text) {
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') break;
        if (value > 100000000) break;
        value = value * 10 + (c - L'0');
    }
    return value;
}

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// Values of the settings file are significant up to 31 characters.
std::wstring Cut(std::wstring text, size_t chars = 31) {
    if (text.size() > chars) text.resize(chars);
    return text;
}

}  // namespace

TAudioMainForm::TAudioMainForm(ui::TComponent* owner)
    : ui::TForm(owner, L"TAudioMainForm"), m_Pictures(new SkinPictures) {
    // 1. The form design.
    SetName(L"AudioMainForm");
    SetBorderStyle(ui::TFormBorderStyle::bsNone);
    SetPosition(ui::TPosition::poScreenCenter);
    SetClientSize(kDesignWidth, kDesignHeight);
    SetCaption(L"VelloPanel");
    BuildComponents();
    OnCreate = [this](ui::TObject* sender) { FormCreate(sender); };
    OnDestroy = [this](ui::TObject* sender) { FormDestroy(sender); };
    OnActivate = [this](ui::TObject* sender) { FormActivate(sender); };
    m_uMsgRunOnMain = ::RegisterWindowMessageW(L"VelloPanel.RunOnMainThread");

    // 2. The GPIO worker's wake-up event.
    GPIOThreadEvent = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);

    // 3. The device library. Without it the window only ends the program:
    // no timer runs and nothing calls into the library.
    int bound = Open_DLLKQ_UsbAudio73xx(kDeviceLibraryFileName);
    if (bound != 0) {
        Timer->SetEnabled(false);
        Timer1->SetEnabled(false);
        std::wstring text = trace::Format(L"***** Open_DLLKQ_UsbAudio73xx, ret = %d *****", bound);
        ui::ShowMessage(text);
        trace::Text(text);
        ::PostMessageW(Handle(), WM_QUIT, 0, 0);
        return;
    }
    m_bLibraryBound = 1;

    // 4. Messages, program folder, system.
    Timer1->SetEnabled(false);
    m_ProgramFolder = FolderOf(ui::Application->ExeName());
    m_uMsgAppExit = ::RegisterWindowMessageW(L"WM_Qorv73xxAPP_EXIT");
    m_uMsgEffectExit = ::RegisterWindowMessageW(L"WM_AUDIO_EFFECT_EXIT");
    m_uMsgExitResume = ::RegisterWindowMessageW(L"WM_APP_EXIT_RESUME");
    m_iOSVersionClass = GetOSVersionClass();
    m_bActivated = 0;

    // 5. The settings file. The device search of step 14 needs nothing else
    // and runs meanwhile.
    LoadInstallSettings(L"AudioConfig.cfg", ui::Application->ExeName(), m_Config);
    m_DeviceSearch = std::async(std::launch::async, SearchDevice, m_Config.SourceFolderFullPath,
                                kConstructionRules.searchTries);

    // 6. Initial values.
    SetInitialValues();

    // 7, 8. The per-user choice of language and skin, the resolution folder.
    m_szUserFolderName = Cut(m_Config.InstallFolderName, 127);
    Step(L"ReadDefaultLanguageSkin");
    ReadDefaultLanguageSkin(m_szDefaultLanguage, m_szDefaultSkin);
    ChooseResolutionFolder();
    // The skin's pictures decode on worker threads while the next steps run.
    m_Pictures->Prefetch(SkinFolder());

    // 9. Tray icon and titles.
    Step(L"LoadTrayIcon");
    LoadTrayIcon();
    std::wstring hint;
    ReadIniString(m_ProgramFolder + L"AudioConfig.cfg", L"TrayIconHint", L"HintName", hint);
    CTrayIcon->SetHint(Cut(hint));
    ui::Application->SetTitle(Cut(m_Config.InstallAppTitle));

    // 10. The panel's settings.
    ReadConfigValues();

    // 11. Menus and captions.
    Step(L"BuildLanguageMenu");
    m_iLanguageCount = BuildLanguageMenu();
    Step(L"BuildSkinMenu");
    m_iSkinCount = BuildSkinMenu();
    Step(L"ShowPluginMenu");
    m_iPluginCount = ShowPluginMenu();
    Step(L"LoadLanguageIni");
    LoadLanguageIni(m_szDefaultLanguage);
    Step(L"ApplyLanguageCaptions");
    ApplyLanguageCaptions();
    if (m_iPluginCount == 0) ModeMenu->SetVisible(false);

    // 12. The window region; [Simple] Enable must be an integer as well.
    std::wstring text;
    ReadIniString(m_ProgramFolder + L"AudioConfig.cfg", L"Skin", L"RegionCut", text);
    if (ui::StrToInt(Cut(text)) != 0) {
        Step(L"LoadSkinRegion");
        LoadSkinRegion(m_ProgramFolder + Cut(m_Config.SkinFolderName, 30) + L"\\" + m_szResolutionFolder + L"\\" +
                       m_szDefaultSkin + L"\\MainForm_Frame.rgn");
    }
    ReadIniString(m_ProgramFolder + L"AudioConfig.cfg", L"Simple", L"Enable", text);
    ui::StrToInt(Cut(text));

    // 13. The skin.
    Step(L"LoadSkinSettingIni");
    LoadSkinSettingIni(m_szDefaultSkin);
    Step(L"ApplySkin");
    ApplySkin();
    Step(L"ApplyLanguageCaptions");
    ApplyLanguageCaptions();

    // 14 to 17. The device.
    FindAndOpenDevice();
    if (!m_bDeviceActive) Timer1->SetEnabled(true);

    // 18 to 26. The features.
    SetUpDeviceFeatures();
    // The window is built: the pressed-state pictures decode meanwhile.
    m_Pictures->PrefetchRest();
}

void TAudioMainForm::SetInitialValues() {
    m_bSync = m_bDeviceActive = 0;
    m_wVID = 0x2F7B;
    m_wPID = 0x731F;
    m_bDragging = false;
    m_pDragControl = nullptr;
    m_ptDragCursor = POINT{0, 0};
    m_iDragStartLeft = m_iDragStartTop = 0;
    m_iEQSliderTop = m_iEQSliderHeight = m_i3DSliderHeight = 0;
    m_iMicSliderTop = m_iMicSliderHeight = m_iENCSliderTop = m_iENCSliderHeight = 0;
    m_iCurrentPage = 1;
    m_iEQPreset = 1;
    m_bEQFlat = 0;
    m_b3DEnable = 0;
    m_i3DAlphaLink = m_i3DBetaLink = -1;
    m_bDevice3D = m_bEEPROM3D = 0;
    m_bMicInitialized = 0;
    m_iMicVolume = 0;
    m_b7ch1Enable = m_bRotateCW = m_bRotateCCW = m_bEnlarge = m_bNarrow = 0;
    m_iProfile7ch1Enable = 0;
    m_iVirtualOldRadius = 1;
    m_bSavingProfile = m_bEQFromEEPROM = m_b3DFromEEPROM = m_bNoLastProfile = 0;
    m_iDefaultEQEnable = m_iDefault3DEnable = m_iDefault7ch1Enable = m_iDefaultENCEnable = 0;
    m_bProfileLoad = 1;
    m_bLEDOn = 1;
    m_iLEDPageMode = m_iLEDFastRightSide = 0;
    m_hLEDThread = nullptr;
    m_bInitMultiColorLED = 1;
    m_bENCEnable = m_bENCAvailable = 0;
    m_bTimbrexEnable = m_iTimbrexEffect = 0;
    m_GPIOTable[kGpioHw7ch1Switch] = 1;
    m_GPIOTable[kGpioSimulatedClick] = 0;
    m_fV7ch1Scalar = 2.0f;
    m_iEncButtonMode = m_iEncGpio = m_b3DV7ch1Exclusive = 0;
    Timer1->SetEnabled(false);
}

void TAudioMainForm::ChooseResolutionFolder() {
    const std::wstring skins = m_ProgramFolder + Cut(m_Config.SkinFolderName, 30) + L"\\";
    const std::wstring languages = m_ProgramFolder + Cut(m_Config.LanguageFolderName, 30) + L"\\";
    m_szResolutionFolder = resolution::FolderForScreen(resolution::Compare::Greater);
    // The stored skin is taken only when it names a skin folder (with or
    // without the resolution folder); anything else, a path above all,
    // gives way to the program's default skin.
    std::vector<std::wstring> anySkin = ListedFolders(skins + m_szResolutionFolder);
    for (std::wstring& name : ListedFolders(skins)) anySkin.push_back(std::move(name));
    m_szDefaultSkin = ListedChoice(m_szDefaultSkin, anySkin, L"Skin");
    std::wstring setting = skins + m_szResolutionFolder + m_szDefaultSkin + L"\\SkinSetting.ini";
    if (!IsFileExist(Handle(), setting)) m_szResolutionFolder.clear();
    // Both names are now folders that the menus list.
    m_szDefaultSkin = ListedChoice(m_szDefaultSkin, ListedFolders(skins + m_szResolutionFolder), L"Skin");
    m_szDefaultLanguage =
        ListedChoice(m_szDefaultLanguage, ListedFolders(languages + m_szResolutionFolder), L"Language");
}

void TAudioMainForm::ReadConfigValues() {
    const std::wstring file = m_ProgramFolder + L"AudioConfig.cfg";
    std::wstring v;
    auto read = [&](const wchar_t* section, const wchar_t* key) -> const std::wstring& {
        ReadIniString(file, section, key, v);
        v = Cut(v);
        return v;
    };
    m_iOldVersion = LeadingNumber(read(L"Version", L"OldVersion"));
    m_iDefaultIni = LeadingNumber(read(L"Version", L"DefaultIni"));
    m_iMicMonitorMode = read(L"Mic", L"Monitor").empty() ? 1 : LeadingNumber(v);
    m_fV7ch1Scalar = read(L"DefaultSet", L"V7ch1Scalar").empty()
                         ? 2.0f
                         : static_cast<float>(static_cast<double>(LeadingNumber(v)) * 0.1);
    m_iEncButtonMode = LeadingNumber(read(L"DefaultSet", L"EncButtonMode"));
    m_iEncGpio = LeadingNumber(read(L"DefaultSet", L"EncGpio"));

    int mode = ui::StrToInt(read(L"GPIO", L"MODE"));
    m_GPIOTable[kGpioModeValue] = static_cast<DWORD>(mode);
    if (mode == 1) m_GPIOTable[kGpioModeOn] = 1;
    else if (mode == 0) m_GPIOTable[kGpioModeOn] = 0;
    struct ListRow {
        const wchar_t* key;
        int base;
    };
    for (const ListRow& row : {ListRow{L"ENABLE", 0}, ListRow{L"DIRECTION", 20}}) {
        std::vector<std::wstring> fields = SplitCommaList(read(L"GPIO", row.key));
        for (size_t i = 0; i < fields.size() && i < 10; ++i)
            m_GPIOTable[static_cast<size_t>(row.base) + i] = static_cast<DWORD>(ui::StrToInt(fields[i]));
    }
    for (int n = 0; n <= 9; ++n) {
        wchar_t key[8];
        std::swprintf(key, 8, L"%d", n);
        m_GPIOTable[static_cast<size_t>(10 + n)] = static_cast<DWORD>(ui::StrToInt(read(L"GPIOActive", key)));
    }
    for (int n = 0; n <= 9; ++n) {
        wchar_t key[8];
        std::swprintf(key, 8, L"%d", n);
        std::wstring function;
        ReadIniString(file, L"GPIOFunction", key, function);
        if (function.size() > 127) function.resize(127);
        DWORD value = static_cast<DWORD>(-1);
        if (!function.empty() && function[0] == L'F') value = static_cast<DWORD>(LeadingNumber(function.substr(1)));
        m_GPIOTable[static_cast<size_t>(670 + n)] = value;
    }
    m_GPIOTable[kGpioButtonMode] = static_cast<DWORD>(LeadingNumber(read(L"GPIO", L"BUTTONMODE")));
    m_GPIOTable[kGpioDipSwMode] = static_cast<DWORD>(LeadingNumber(read(L"GPIO", L"DIPSWMODE")));
    m_b3DV7ch1Exclusive = LeadingNumber(read(L"DefaultSet", L"3DV7ch1MutuallyExclusive"));
}

std::wstring TAudioMainForm::SearchDevice(const std::wstring& sourceFolder, int tries) {
    DEVICEID_MGR::CDeviceIdMgr ids;
    ids.LoadFromIniFile(sourceFolder + L"AudioConfig.cfg", DEVICEID_MGR::kUsbSection);
    std::wstring hardwareId;
    for (int i = 0; i < tries; ++i)
        if (FindDeviceByHardwareId(KSCATEGORY_AUDIO_GUID, kHardwareIdLengthTemplate, ids, &hardwareId) == 1) break;
    if (hardwareId.size() > 255) hardwareId.resize(255);
    return hardwareId;
}

void TAudioMainForm::FindAndOpenDevice() {
    // 14, 15. The device by the authenticated list of hardware IDs, made the
    // library's active device.
    SelectDevice(m_DeviceSearch.valid() ? m_DeviceSearch.get()
                                        : SearchDevice(m_Config.SourceFolderFullPath, kConstructionRules.searchTries),
                 kConstructionRules);

    // 16. The HID interface and the filter driver.
    device::DeviceHandle hid = OpenHidDevice(m_wVID, m_wPID);
    const wchar_t* state;
    if (!hid) {
        state = L"LabelUnactive";
        m_bDeviceActive = m_bSync = 0;
    } else if (Qorv_Set_DEVICE_SYMBOLIC_NAME(m_wVID, m_wPID) == 0) {
        state = L"LabelActive";
        m_bDeviceActive = m_bSync = 1;
    } else {
        state = L"LabelUnDriver";
        m_bDeviceActive = m_bSync = 0;
    }
    m_hDevice = hid ? hid.release() : nullptr;
    ShowDeviceLabel(state);
    ShowDevicePictures();
}

void TAudioMainForm::SetUpDeviceFeatures() {
    // 18. Equaliser.
    InitEQConfig();
    for (int i = 0; i < 4; ++i) RefreshEQPage(i);
    if (m_iDefaultIni == 1) {
        Step(L"LoadDefaultProfile");
        LoadDefaultProfile(m_szUserFolderName);
        Step(L"ReadDefaultEnables");
        ReadDefaultEnables(m_szUserFolderName);
    }
    // 19. 3D, effects, 7.1 table.
    Step(L"Init3D");
    Init3D();
    Step(L"InitEffect");
    InitEffect();
    ShowEffectButtons(m_iEffect);
    Step(L"ComputeSpeakerTable");
    ComputeSpeakerTable(m_Speaker);
    // 20. Device state.
    if (m_bDeviceActive) {
        DWORD unused = 0;
        FilterIoctl_ReadState(unused);
        fnDLLKQ_SetVirtual7ch1_OnOff(0);
        Step(L"SendVirtual7ch1");
        SendVirtual7ch1(0);
        FilterIoctl_ReadValue(0, unused);
        Step(L"ResetMicUI");
        ResetMicUI();
        Step(L"FindCaptureEndpoint");
        m_pAudioEndpoint = FindCaptureEndpoint(m_wVID, m_wPID);
        if (m_pAudioEndpoint || m_iOSVersionClass != 6) {
            Step(L"ReadMicState");
            OpenMicLevelMeter();
            ReadMicState();
            CloseMicLevelMeter();
            m_bMicInitialized = 1;
        }
        fnDLLKQ_SetVirtual7ch1_Scalar(m_fV7ch1Scalar);
    }
    // 21. Speakers and the filter's effect.
    Step(L"SetDefaultSpeakerLayout");
    SetDefaultSpeakerLayout();
    Step(L"InitSpeakerLayout");
    InitSpeakerLayout();
    FilterIoctl_EnableEffect(1);
    // 22. Device notifications of every interface class.
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = KSCATEGORY_AUDIO_GUID;
    m_hDevNotify = ::RegisterDeviceNotificationW(Handle(), &filter,
                                                 DEVICE_NOTIFY_WINDOW_HANDLE | DEVICE_NOTIFY_ALL_INTERFACE_CLASSES);
    if (m_pAudioEndpoint) ReleaseCaptureEndpoint(m_pAudioEndpoint);
    // 23. First page, last profile.
    Step(L"ShowBeeImage");
    ShowBeeImage(0);
    ShowPage(1);
    Step(L"LoadLastProfile");
    bool lastProfileDamaged = false;
    try {
        LoadLastProfile(m_szUserFolderName);
    } catch (const ui::EConvertError& error) {
        // A last profile cut short (a full disk, a crash at shut-down) must
        // not stop every start: what it applied stays, and the next
        // shut-down writes it anew.
        trace::Out(L"***** LoadLastProfile: %ls *****", error.Message().c_str());
        lastProfileDamaged = true;
    }
    // 24. ENC and Timbrex from the registry; GPIO state.
    if (m_bNoLastProfile == 1 || lastProfileDamaged) {
        Step(L"LoadENCState");
        LoadENCState();
        Step(L"LoadTimbrexState");
        LoadTimbrexState();
    }
    if (m_GPIOTable[kGpioModeValue] == 1) {
        Step(L"ReadGPIOAndSetUI");
        ReadGPIOAndSetUI();
        // The switch decided the 7.1 state: the device takes it too.
        SendSpeakerTable();
    }
    // 25. Values stored in the device; buttons; lighting.
    if (m_bDeviceActive) {
        if (m_bEQFromEEPROM == 1) {
            LoadEQFromEEPROM();
            LoadEQFromEEPROM();
        }
        if (m_b3DFromEEPROM == 1) {
            Step(L"Load3DFromEEPROM");
            Load3DFromEEPROM();
            Load3DFromEEPROM();
        }
        if (m_GPIOTable[kGpioModeOn] == 1) {
            Step(L"ScanENCGPIO");
            ScanENCGPIO();
        } else if (m_bENCAvailable == 1 && m_iEncButtonMode == 1) {
            Step(L"SetENCGpioMode");
            if (SetENCGpioMode() == 0) {
                Step(L"ScanENCGPIO");
                ScanENCGPIO();
            }
        }
        Step(L"InitMultiColorLED");
        InitMultiColorLED();
    }
    // 26. The GPIO worker.
    m_iConnectCount = 0;
    Step(L"CreateGPIOThread");
    CreateGPIOThread();
}

TAudioMainForm::~TAudioMainForm() {
    // The workers end before any member goes away (also when FormDestroy
    // never ran because the construction failed).
    StopWorkers();
    EndMicrophone();
    ui::Application->OnMessage = nullptr;
}

void TAudioMainForm::FormCreate(ui::TObject*) {
    ui::Application->OnMessage = [this](MSG& msg, bool& handled) { ApplicationMessage(msg, handled); };
    trace::Text(L"FormCreate");
}

void TAudioMainForm::FormDestroy(ui::TObject*) {
    // Nothing of the window's state is set up without the library.
    if (!m_bLibraryBound) return;
    ui::Application->OnMessage = nullptr;
    Timer->SetEnabled(false);
    Timer1->SetEnabled(false);
    BeeTimer->SetEnabled(false);
    BeePlayTimer->SetEnabled(false);
    StopWorkers();

    // Every step runs under the standard exception display: one that fails
    // (a skin picture gone, a broken profile) shows its error and the later
    // steps, the device's reset above all, still run.
    ShutDownStep(L"SaveLastProfile", [this] { SaveLastProfile(m_szUserFolderName); });
    ShutDownStep(nullptr, [this] {
        if (!MediaPlayer->IsOpen()) return;
        try {
            MediaPlayer->Close();
        } catch (const ui::Exception&) {
        }
    });
    ShutDownStep(nullptr, [this] { ResetEQ(); });
    ShutDownStep(nullptr, [this] { SetEQOnOff(0); });
    ShutDownStep(L"Reset3D", [this] { Reset3D(); });
    ShutDownStep(nullptr, [this] { SetFBM(1); });
    ShutDownStep(nullptr, [this] { Set3DOnOff(0); });

    device::DeviceHandle hid = OpenHidDevice(m_wVID, m_wPID);
    if (hid) {
        // No lock is held across these steps: several call into the device
        // library, and each register function keeps its own reports whole.
        ShutDownStep(nullptr, [&] { HidWriteRegister(hid.get(), 0x100, 0); });
        ShutDownStep(nullptr, [] {
            FilterIoctl_SetEffect(0);
            FilterIoctl_EnableEffect(1);
        });
        ShutDownStep(L"ResetSpeakers", [this] {
            m_b7ch1Enable = 0;
            ResetSpeakers();
        });
        ShutDownStep(nullptr, [] {
            Qorv_AudioSetOnOff(AUDIO_FEATURE_ENC, AUDIO_CMD_ONOFF, 0);
            Qorv_AudioSetOnOff(AUDIO_FEATURE_TIMBREX, AUDIO_CMD_ONOFF, 0);
        });
        if (m_hLEDThread) {
            ::CloseHandle(m_hLEDThread);
            m_hLEDThread = nullptr;
            ShutDownStep(L"SetLEDOff", [this] { SetLEDOff(); });
        }
        ShutDownStep(nullptr, [&] { HidSendEmptyReport(hid.get()); });
    }
    if (m_hDevice) {
        device::DeviceHandle active(m_hDevice);
        m_hDevice = nullptr;
    }
}

void TAudioMainForm::ShutDownStep(const wchar_t* name, const std::function<void()>& step) {
    if (name) Step(name);
    try {
        step();
    } catch (...) {
        ui::HandleCurrentException();
    }
}

void TAudioMainForm::FormActivate(ui::TObject*) {
    trace::Text(L"FormActivate");
    if (m_bActivated) return;
    m_bActivated = 1;
    if (std::wcsstr(::GetCommandLineW(), L"-serviceboot")) {
        trace::Text(L"-serviceboot");
        ::PostMessageW(Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    }
}

void TAudioMainForm::RunOnMainThread(std::function<void()> fn) {
    {
        std::lock_guard<std::mutex> lock(m_PostedLock);
        m_Posted.push_back(std::move(fn));
    }
    ::PostMessageW(Handle(), m_uMsgRunOnMain, 0, 0);
}

void TAudioMainForm::WndProc(ui::TMessage& msg) {
    if (m_uMsgRunOnMain && msg.Msg == m_uMsgRunOnMain) {
        std::function<void()> fn;
        {
            std::lock_guard<std::mutex> lock(m_PostedLock);
            if (m_Posted.empty()) return;
            fn = std::move(m_Posted.front());
            m_Posted.pop_front();
        }
        fn();
        msg.Result = 0;
        return;
    }
    RegisteredMessage(msg);
    DragMessage(msg);
    ui::TForm::WndProc(msg);
}

int TAudioMainForm::ReadIniString(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                                  std::wstring& value) {
    wchar_t buffer[256] = {};
    ::GetPrivateProfileStringW(section, key, L"", buffer, 256, file.c_str());
    value = buffer;
    return 0;
}

int TAudioMainForm::WriteIniString(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                                   const std::wstring& value) {
    ::WritePrivateProfileStringW(section, key, value.c_str(), file.c_str());
    return 0;
}

std::vector<std::wstring> SplitCommaList(const std::wstring& text) {
    std::vector<std::wstring> fields;
    size_t i = 0;
    while (i < text.size()) {
        std::wstring field;
        if (text[i] == L'"') {
            // A quoted field runs to its closing quote ("" stands for one);
            // whatever follows it up to the next comma is a field of its own.
            for (++i; i < text.size(); ++i) {
                if (text[i] != L'"') {
                    field += text[i];
                } else if (i + 1 < text.size() && text[i + 1] == L'"') {
                    field += L'"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        } else {
            while (i < text.size() && text[i] != L',') field += text[i++];
        }
        if (field.size() > 127) field.resize(127);
        fields.push_back(field);
        if (i < text.size() && text[i] == L',') {
            ++i;  // a trailing comma gives a last empty field
            if (i == text.size()) fields.emplace_back();
        }
    }
    return fields;
}

BYTE TAudioMainForm::GetOSVersionClass() {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return 0;
    }
    struct Row {
        DWORD platform, major, minor;
        BYTE cls;
    };
    const Row rows[] = {{VER_PLATFORM_WIN32_WINDOWS, 4, 10, 1},
                        {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 3},
                        {VER_PLATFORM_WIN32_NT, 5, 0, 2},
                        {VER_PLATFORM_WIN32_NT, 5, 1, 4}};
    for (const Row& r : rows) {
        if (info.dwPlatformId == r.platform && info.dwMajorVersion == r.major && info.dwMinorVersion == r.minor)
            return r.cls;
    }
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 6) return 6;
    return 0;
}

int TAudioMainForm::IsFileExist(HWND, const std::wstring& path) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}
