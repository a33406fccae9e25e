// The control panel's main window: a borderless window made of skinned
// pictures and captions, built from a table of components. Its members are
// grouped by the feature that owns them; each feature's code lives in a file
// of its own (see the file list at the end of this header).
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <array>
#include <atomic>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "panel/device/ChipRecords.h"
#include "panel/skin/SkinRecords.h"
#include "shared/InstallSettings.h"
#include "shared/ScopedWin.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/FileCtrl.h"
#include "ui/Forms.h"
#include "ui/ImgList.h"
#include "ui/MPlayer.h"
#include "ui/Menus.h"
#include "ui/StdCtrls.h"
#include "ui/TrayIcon.h"

struct IMMDevice;
class SkinPictures;
class TMyThread;

// Process-wide auto-reset events that wake the GPIO worker and the lighting
// thread.
extern HANDLE GPIOThreadEvent;
extern HANDLE LEDEffectEvent;

// Number of entries of the GPIO configuration and state table.
constexpr int kGPIOTableSize = 699;
// Indexes of the GPIO table read by the window shell and the dispatch.
constexpr int kGpioModeOn = 681;       // GPIO mode on (1)
constexpr int kGpioHw7ch1Switch = 683; // hardware 7.1 switch on
constexpr int kGpioModeValue = 695;    // [GPIO] MODE as read
constexpr int kGpioButtonMode = 696;
constexpr int kGpioDipSwMode = 697;
constexpr int kGpioSimulatedClick = 698;

// One virtual speaker: angle (radians, counterclockwise from the right, y up)
// and distance (pixels) from the circle's centre.
struct SPEAKER_POS {
    float angle;
    double distance;
};

// The eight virtual speakers, in the order L, R, C, SUB, LS, RS, LB, RB.
constexpr int kSpeakerCount = 8;
using SpeakerRecords = std::array<SPEAKER_POS, kSpeakerCount>;

// The virtual 7.1 table the device library applies (little-endian, 68
// bytes): the on flag, then per speaker a gain (0..1.7) and an angle in
// radians, in speaker order.
struct VIRTUAL7CH1_TABLE {
    DWORD on;
    float gain[kSpeakerCount];
    float angle[kSpeakerCount];
};
static_assert(sizeof(VIRTUAL7CH1_TABLE) == 68, "the library reads a 68-byte table");

// The installer's settings key under HKLM\SOFTWARE, which the panel reads
// and updates for ENC and the voice effect.
constexpr wchar_t kSettingsKey[] = L"Qorv 73xx Software";

// Drag modes of the slider machinery.
enum TDragMode { dmNone = 0, dmEQBand = 1, dmMicGain = 2, dmSpeaker = 3, dm3D = 4, dmENC = 5 };

class TAudioMainForm : public ui::TForm {
public:
    explicit TAudioMainForm(ui::TComponent* owner);
    ~TAudioMainForm() override;
    const wchar_t* ClassName() const override { return L"TAudioMainForm"; }

    // Observer of the construction and shut-down steps: every step that a
    // feature of its own performs is announced by name before it runs (for
    // diagnostics and tests; empty by default).
    static std::function<void(const wchar_t* step)> OnStep;

    // Runs fn on the main window's thread (posted; worker threads and device
    // library callbacks use this instead of touching the window).
    void RunOnMainThread(std::function<void()> fn);

    // ------------------------------------------------------------ components
    // Non-visual and hidden components of the form design.
    ui::TTimer* Timer = nullptr;         // 20 ms, 7.1 rotation
    ui::TTimer* Timer1 = nullptr;        // 2000 ms, device retry
    ui::TTimer* BeeTimer = nullptr;      // 10 ms
    ui::TTimer* BeePlayTimer = nullptr;  // 100 ms
    ui::TCTrayIcon* CTrayIcon = nullptr;
    ui::TPopupMenu* PopupMenu = nullptr;
    ui::TMenuItem* LanguageMenu = nullptr;
    ui::TMenuItem* SkinMenu = nullptr;
    ui::TMenuItem* ModeMenu = nullptr;
    ui::TMenuItem* CloseMenu = nullptr;
    ui::TImageList* ImageList = nullptr;
    ui::TMediaPlayer* MediaPlayer = nullptr;
    ui::TSaveDialog* SaveDialog = nullptr;
    ui::TOpenDialog* OpenDialog = nullptr;
    ui::TColorDialog* ColorDialog = nullptr;
    ui::TDirectoryListBox* DirectoryListBox = nullptr;
    ui::TListBox* ListBoxLanguageMap = nullptr;
    ui::TCheckBox* ListenToDeviceCheckBox = nullptr;
    ui::TCheckBox* BeeCheckBox = nullptr;

    // The skinned controls by their design names (null when no such control).
    ui::TImage* Image(const wchar_t* name) const;
    ui::TLabel* Label(const wchar_t* name) const;
    ui::TShape* Shape(const wchar_t* name) const;
    ui::TBevel* Bevel(const wchar_t* name) const;

    // ------------------------------------------------------------ window shell
    std::wstring m_ProgramFolder;  // with its trailing '\'
    HANDLE m_hDevice = nullptr;    // HID handle of the active device
    IMMDevice* m_pAudioEndpoint = nullptr;
    HDEVNOTIFY m_hDevNotify = nullptr;
    WORD m_wVID = 0, m_wPID = 0;
    std::wstring m_szDefaultLanguage, m_szDefaultSkin;  // at most 127 characters
    std::wstring m_szUserFolderName;
    int m_iLanguageCount = 0, m_iSkinCount = 0, m_iPluginCount = 0;
    std::wstring m_szResolutionFolder;  // "1920x1080\", "1366x768\", "960x540\" or empty
    int m_iCurrentPage = 0;
    int m_bSync = 0, m_bDeviceActive = 0;
    int m_iOldVersion = 0, m_iDefaultIni = 0;
    int m_iMicMonitorMode = 0;
    BYTE m_iOSVersionClass = 0;
    int m_bActivated = 0;
    std::array<DWORD, kGPIOTableSize> m_GPIOTable{};
    INSTALL_SETTINGS m_Config;
    UINT m_uMsgAppExit = 0, m_uMsgEffectExit = 0, m_uMsgExitResume = 0;
    float m_fV7ch1Scalar = 2.0f;
    int m_iEncButtonMode = 0;
    int m_iEncGpio = 0;
    int m_b3DV7ch1Exclusive = 0;
    TMyThread* m_pGPIOThread = nullptr;
    std::wstring m_LastProfilePath;
    // 1 once the device library is bound; without it no device work runs.
    int m_bLibraryBound = 0;

    void FormCreate(ui::TObject* Sender);
    void FormDestroy(ui::TObject* Sender);
    void FormActivate(ui::TObject* Sender);

    // ------------------------------------------------------------ profiles' text helpers
    static int ReadIniString(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                             std::wstring& value);
    static int WriteIniString(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                              const std::wstring& value);

    // ------------------------------------------------------------ dispatch and drags
    bool m_bDragging = false;
    POINT m_ptDragCursor{};
    ui::TControl* m_pDragControl = nullptr;
    int m_iDragStartLeft = 0, m_iDragStartTop = 0;
    int m_iDragMode = dmNone;

    void ApplicationMessage(MSG& msg, bool& handled);
    void OnImageMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void OnImageMouseUp(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void OnLabelMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void OnLabelMouseUp(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void OnLabelPageMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void CloseImageClick(ui::TObject* Sender);
    void MinimizeImageClick(ui::TObject* Sender);
    void ToggleButton(int tag, int& state);
    void ShowEQPresetButtons(int preset);
    void ShowEffectButtons(int effect);
    void ShowPageTabs(int code);
    ui::TImage* FindImageByTag(int tag) const;
    ui::TLabel* FindLabelByTag(int tag) const;
    ui::TShape* FindShapeByTag(int tag) const;
    void BeginSliderDrag();
    void DragSlider();
    void EndSliderDrag();
    // Ends a drag on a release that reached the window outside the hook, or
    // when the mouse capture went to another window.
    void DragMessage(ui::TMessage& msg);
    // The no-device warning box (LabelWarning, or LabelWarning1 for features
    // the device does not offer).
    void ShowNoDeviceWarning(const wchar_t* entry = L"LabelWarning");

    // ------------------------------------------------------------ pages
    void ShowPage(int page);
    void ShowIfSkinEntry(const SKIN_ENTRY& entry, ui::TControl* control, int page);
    void ShowIfLanguageEntry(const LANGUAGE_ENTRY& entry, ui::TControl* control, int page);
    void ResetFeatureButtons();

    // ------------------------------------------------------------ equaliser
    EQ_PARAMS m_EQParameters{};
    CONFIG_IMAGE ConfigImage{};
    CHIP_DEFAULTS ChipDefaults{};
    int m_EQSliderPos[4][5] = {};
    int m_iEQPreset = 1;
    int m_bEQEnable = 0;
    int m_bEQFlat = 0;
    int m_bEEPROM3D = 0;

    // The current preset as a number from outside the window (a profile)
    // gives it: 1 to 4, anything else the first preset.
    void SetEQPreset(int preset);
    int InitEQConfig();
    int SetEQBandGain(int tag, int sync);
    int ShowEQPreset(int index);
    int RefreshEQPage(int index);
    int StoreEQPreset(int index);
    int ApplyEQPreset(int preset);
    int SetEQOnOff(int on);
    int WriteEQEnableBlock(int on);
    int ResetEQ();
    void EQResetImageClick(ui::TObject* Sender);
    void EQResetLabelClick(ui::TObject* Sender);
    int ReadEEPROMEQPreset();
    int LoadEQFromEEPROM();
    // Moves a band slider to top (client pixels, limited to the track) and
    // writes the band: the common path of a drag move and a bar click.
    void MoveEQSlider(ui::TControl* slider, int top);

    // ------------------------------------------------------------ skins and languages
    // (records and loaders in panel/skin)
    GLOBAL_FONT m_GlobalFont{};
    // The records by key; the [About] LogoImage of SkinSetting.ini is kept
    // as "About.LogoImage" beside [Main] LogoImage.
    std::map<std::wstring, LANGUAGE_ENTRY> m_LanguageEntry;
    std::map<std::wstring, SKIN_ENTRY> m_SkinEntry;
    MultiLanguage m_MultiLanguage;
    // The record of a key (an empty one when the key was never read).
    LANGUAGE_ENTRY& LanguageEntry(const std::wstring& key);
    SKIN_ENTRY& SkinEntry(const std::wstring& key);
    int m_iEQSliderTop = 0, m_iEQSliderHeight = 0, m_i3DSliderHeight = 0;
    int m_iMicSliderTop = 0, m_iMicSliderHeight = 0;
    int m_iENCSliderTop = 0, m_iENCSliderHeight = 0;
    int m_iMicProgressLength = 0;
    int m_iVirtualCenterX = 0, m_iVirtualCenterY = 0, m_iVirtualRadius = 0, m_iVirtualOldRadius = 0;
    // 1 once a skin has been loaded (the lighting colours get their defaults
    // at the first load only).
    int m_bSkinLoaded = 0;

    void ReadDefaultLanguageSkin(std::wstring& language, std::wstring& skin);
    // The per-user folder with copies of the program folder's AudioConfig.cfg
    // and DefaultProfile.ini, as the installer makes it.
    void MakeUserCopies(const std::wstring& appData);
    // The folders a language or skin menu built on base lists, in its order.
    static std::vector<std::wstring> ListedFolders(const std::wstring& base);
    // name when it is one of the listed folders; otherwise the program
    // folder's [<defaultKey>] Default<defaultKey> when listed, else the first
    // listed folder (empty when none is). A stored name is never a path.
    std::wstring ListedChoice(const std::wstring& name, const std::vector<std::wstring>& listed,
                              const wchar_t* defaultKey);
    void WriteDefaultLanguageSkin(const std::wstring& language, const std::wstring& skin);
    int BuildLanguageMenu();
    int BuildSkinMenu();
    void LanguageMenuClick(ui::TObject* Sender);
    void SkinMenuClick(ui::TObject* Sender);
    void LoadLanguageIni(const std::wstring& language);
    void ParseLanguageEntry(LANGUAGE_ENTRY& entry, const std::vector<std::wstring>& fields, int sectionPage);
    void ApplyLanguageEntry(LANGUAGE_ENTRY& entry, ui::TControl* control, int up);
    void ApplyLanguageCaptions();
    void LoadSkinSettingIni(const std::wstring& skin);
    void ParseSkinEntry(SKIN_ENTRY& entry, const std::vector<std::wstring>& fields, int sectionPage);
    void ApplySkin();
    // What ApplySkin puts on which control, in its order.
    struct SkinLoad {
        enum Kind { kPicture, kLevelBar, kLightingPage } kind;
        ui::TImage* image;
        SKIN_ENTRY* entry;
    };
    std::vector<SkinLoad> PlanSkinPictures();
    void LoadSkinImage(const SKIN_ENTRY& entry, ui::TImage* image);
    void LoadSkinRegion(const std::wstring& path);
    // Folder of the skin in use, with its trailing '\'.
    std::wstring SkinFolder() const;
    // The speaker icons moved to the circle of a new skin (distances scaled
    // by the new radius over the old one).
    void RescaleSpeakerField();

    // ------------------------------------------------------------ features of their own files
    // Device life cycle
    int m_iConnectCount = 0;
    // A device-interface broadcast as the window keeps it: the interface
    // class and the device path, taken whole but never beyond the record.
    struct DEVICE_BROADCAST {
        GUID classGuid{};
        std::wstring path;
    };
    // How the three connection sequences (construction, an arrival
    // broadcast, the retry timer) differ.
    struct CONNECTION_RULES;
    static const CONNECTION_RULES kConstructionRules, kArrivalRules, kRetryRules;
    // WM_DEVICECHANGE: arrivals and removals of device interfaces.
    void OnDeviceChange(ui::TMessage& msg);
    void DeviceArrival1(const DEVICE_BROADCAST& broadcast);
    void DeviceRemoveComplete(const DEVICE_BROADCAST& broadcast);
    void Timer1Timer(ui::TObject* Sender);
    void GetVidPidFromPath(const std::wstring& path, WORD& vendorId, WORD& productId);
    void CreateGPIOThread();
    // 1 while an arrival or retry sequence runs. Another arrival or tick
    // that reaches the window meanwhile (the sequences let messages through)
    // is run once the running one has ended; a removal runs at once and
    // makes the running sequence stop before its label and state steps.
    int m_bConnectionRunning = 0;
    int m_bRemovedWhileConnecting = 0;
    int m_bArrivalDeferred = 0, m_bTickDeferred = 0;
    DEVICE_BROADCAST m_DeferredArrival;
    // Window messages, tray icon and menus
    void LoadTrayIcon();
    int ShowPluginMenu();
    void PluginMenuClick(ui::TObject* Sender);
    void CloseMenuClick(ui::TObject* Sender);
    void FormMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void CTrayIconRestore(ui::TObject* Sender);
    // The messages by which the system's programs signal each other (the
    // window procedure passes every message on afterwards).
    void RegisteredMessage(const ui::TMessage& msg);
    // 3D, FBM and environment effects
    int m_b3DEnable = 0, m_bFBM = 0, m_iEffect = 0;
    int m_i3DAlphaLink = -1, m_i3DBetaLink = -1;
    int m_bDevice3D = 0;
    D3_PARAMS m_3DParameters{};
    int Init3D();
    void InitEffect();
    int Set3DOnOff(int on);
    int SetFBM(int on);
    int Write3DEnableRegister(int on);
    int Write3DEnableBlock(int on);
    int Reset3D();
    void Show3DLinkButton(int tag, int& link);
    void Link3DSliders(const std::wstring& name, int alphaLink, int betaLink, int top);
    int Send3DLeft(int sync);
    int Send3DRight(int sync);
    int Load3DFromEEPROM();
    // The FBM and 3D-EN buttons painted for these states (with a device).
    void Show3DButtons(int fbm, int on);
    void D3ResetImageClick(ui::TObject* Sender);
    void D3ResetLabelClick(ui::TObject* Sender);
    // Microphone
    // COM on the main thread for the window's life: the capture endpoint
    // held between calls lives in it.
    win::ComInit m_ComInit;
    int m_bMicInitialized = 0, m_bMicBoost = 0, m_bMicMute = 0, m_bMicMonitor = 0, m_iMicVolume = 0;
    int m_iMicLevel = 0;
    HWAVEIN m_hWaveIn = nullptr;
    // The level meter's two recording buffers and their headers, owned
    // while the meter is open.
    struct MicMeterBuffers {
        static constexpr DWORD kBytes = 400;
        WAVEHDR header[2];
        BYTE samples[2][kBytes];
    };
    std::unique_ptr<MicMeterBuffers> m_pMicMeter;
    void ResetMicUI();
    void OpenMicLevelMeter();
    void CloseMicLevelMeter();
    // MM_WIM_DATA: a filled buffer of the level meter's recording.
    void OnMicLevelData(ui::TMessage& msg);
    void ReadMicState();
    int ReadMicBoostMute();
    int SetMicBoost(int on);
    int SetMicMute(int on);
    int SetMicMonitor(int on);
    int SetMicGain(int gain);
    int ReadMicGain();
    void ListenToDeviceCheckBoxClick(ui::TObject* Sender);
    // The capture endpoint, looked up when none is held, for an operation
    // of the Core Audio road: 1 when there is none; otherwise the
    // operation's result, the endpoint released after success and kept
    // after failure. track: m_bMicInitialized follows the endpoint.
    int WithCaptureEndpoint(bool track, const std::function<int(IMMDevice*)>& operation);
    // The endpoint, the level meter and the record test given up (shut-down).
    void EndMicrophone();
    // Virtual 7.1 speaker field
    int m_b7ch1Enable = 0, m_bRotateCW = 0, m_bRotateCCW = 0, m_bEnlarge = 0, m_bNarrow = 0;
    int m_iProfile7ch1Enable = 0;
    // Angle and distance of each speaker, advanced by turning, narrowing and
    // widening, recomputed from the icons after a drag or a new layout.
    SpeakerRecords m_Speaker{};
    // Distances and angles last computed from the icons: what the table sends.
    std::array<float, kSpeakerCount> m_fSpeakerDistance{};
    std::array<float, kSpeakerCount> m_fSpeakerAngle{};
    // Puts the icon at the record's angle and distance from the circle's
    // centre; mode 1 then adds one degree to the angle, mode 0 takes one off.
    void PlaceSpeakerImage(ui::TImage* icon, SPEAKER_POS& pos, int mode);
    // Fills records (and the distances and angles sent) from the icons.
    void ComputeSpeakerTable(SpeakerRecords& records);
    int SendSpeakerTable();
    int SendVirtual7ch1(int on);
    void RotateClockwise();
    void RotateCounterclockwise();
    void NarrowSpeakers();
    void EnlargeSpeakers();
    // The icon of a Tag 39..46 placed from a profile's "left,top" fields; the
    // 7.1 button then shows state.
    void PlaceSpeakerFromEntry(int tag, const std::vector<std::wstring>& fields, int state);
    int SetDefaultSpeakerLayout();
    void InitSpeakerLayout();
    int ResetSpeakers();
    void TimerTimer(ui::TObject* Sender);
    void VirtualResetImageClick(ui::TObject* Sender);
    void VirtualResetLabelClick(ui::TObject* Sender);
    void Update7ch1UI();
    // The speakers' places (icon Left, Top) that a profile stores: the
    // user's layout, also while the bee demonstration holds the icons.
    std::array<POINT, kSpeakerCount> SpeakerLayoutToStore() const;
    // The [Virtual7ch1] section of a profile: the eight places and 7ch1EN.
    void WriteSpeakerLayout(const std::wstring& path);
    // Bee demonstration
    SPEAKER_POS m_BeePos{};
    SpeakerRecords m_SpeakerBackup{};  // m_Speaker when the demonstration started
    void ShowBeeImage(int on);
    bool BeeFlies() const;
    void BeeCheckBoxClick(ui::TObject* Sender);
    void BeeTimerTimer(ui::TObject* Sender);
    void BeePlayTimerTimer(ui::TObject* Sender);
    // Profiles
    int m_bSavingProfile = 0, m_bEQFromEEPROM = 0, m_b3DFromEEPROM = 0, m_bNoLastProfile = 0;
    int m_iDefaultEQEnable = 0, m_iDefault3DEnable = 0, m_iDefault7ch1Enable = 0, m_iDefaultENCEnable = 0;
    int m_bProfileLoad = 1;
    // Through the dialogs: 0 done, 1 no device, 2 cancelled; OpenProfile
    // gives 3 for a damaged file (its error shown, the part before it applied).
    int SaveProfileAs();
    int OpenProfile();
    int SaveProfile(const std::wstring& path);
    // Raises the conversion error at the first required key that is no
    // number; what came before it stays applied.
    int LoadProfile(const std::wstring& path);
    int SaveLastProfile(const std::wstring& folderName);
    int LoadLastProfile(const std::wstring& folderName);
    int LoadDefaultProfile(const std::wstring& folderName);
    int ReadDefaultEnables(const std::wstring& folderName);
    void ApplyEQPresetFields(const std::vector<std::wstring>& fields, int p, int c);
    // Lighting (Lighting.cpp)
    int m_bLEDOn = 1, m_iLEDPageMode = 0, m_iLEDFastRightSide = 0;
    int m_bLEDOff = 0, m_bLEDSingleColor = 0;
    int m_iLEDEffectMode = 0;  // 0 none, 1 breathe, 2 rainbow, 3 multi-breathe
    BYTE m_byLEDMode = 1;      // device mode: 1 off, 2 single, 4 breathe, 5 rainbow, 6 multi-breathe
    int m_iLEDBreatheSpeed = 1, m_iLEDRainbowSpeed = 1, m_iLEDMultiBreatheSpeed = 1;  // 1 the fastest
    int m_iLEDBreatheSliderPos = 0, m_iLEDRainbowSliderPos = 0, m_iLEDMultiBreatheSliderPos = 0;
    // Colours: single, breathe, then slots 1 to 7 (0x00BBGGRR).
    std::array<ui::TColor, 9> m_LEDColor{};
    int m_iSelectedColorShape = 151;
    // 1 selects the library's "_ById" exports for the lighting thread.
    int m_bLEDById = 1;
    HANDLE m_hLEDThread = nullptr;
    // 1 until the seven slot colours went out once; whoever exchanges it to
    // 0 (the one-time start or the lighting thread) sends them.
    std::atomic<int> m_bInitMultiColorLED{1};
    void InitMultiColorLED();
    void RefreshLEDPage();
    void SendLEDSingleColor();
    void SendLEDBreathe();
    void SendLEDRainbowOrMulti();
    void ColorLEDOffCheckImageClick(ui::TObject* Sender);
    void ColorSingleCheckImageClick(ui::TObject* Sender);
    void ColorBreatheCheckImageClick(ui::TObject* Sender);
    void ColorRainbowCheckImageClick(ui::TObject* Sender);
    void ColorPulsatingCheckImageClick(ui::TObject* Sender);
    void OnShapeMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void ColorBreatheSliderImageMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void ColorBreatheSliderImageMouseMove(ui::TObject* Sender, ui::TShiftState Shift, int X, int Y);
    void ColorBreatheSliderImageMouseUp(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void ColorRainbowSliderImageMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void ColorRainbowSliderImageMouseMove(ui::TObject* Sender, ui::TShiftState Shift, int X, int Y);
    void ColorRainbowSliderImageMouseUp(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void ColorPulsatingSliderImageMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void ColorPulsatingSliderImageMouseMove(ui::TObject* Sender, ui::TShiftState Shift, int X, int Y);
    void ColorPulsatingSliderImageMouseUp(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void ComputeLEDSpeeds();
    void LoadLEDUI();
    int SyncLEDGpio(int state);
    int SetLEDGpio(int on);
    int SetLEDOff();
    void LoadLEDSkin();
    void PageLEDClick(ui::TObject* Sender);
    void PageLEDLabelClick(ui::TObject* Sender);
    static unsigned __stdcall LEDEffectThread(void* form);
    // The device went away: the lighting thread stays, idle for the rest of
    // the run, and the shut-down no longer switches the lights off.
    void IdleLightingAfterRemoval();
    // The page's handlers wired to its controls, the state the lighting
    // thread sends (copied under its lock), the thread's wake-up and its end.
    void WireLightingControls();
    void PublishLEDState();
    void WakeLEDEffectThread();
    void StopLightingThread();
    void LEDSliderMouseDown(int effect, ui::TMouseButton button);
    void LEDSliderMouseMove(int effect);
    void LEDSliderMouseUp(int effect, ui::TMouseButton button);
    void ShowLEDEffectPictures();
    void ChooseLEDEffect(int effect);
    struct LED_EFFECT_STATE {
        BYTE mode = 1;
        int speed[3] = {1, 1, 1};  // breathe, rainbow, multi-breathe
        std::array<ui::TColor, 7> slots{};
        int byId = 1;
    };
    std::mutex m_LEDStateLock;
    LED_EFFECT_STATE m_LEDState;
    std::atomic<bool> m_bLEDThreadStop{false}, m_bLEDIdle{false};
    win::Handle m_LEDThreadJoin;  // the lighting thread, for its end
    // ENC
    int m_bENCEnable = 0, m_bENCAvailable = 0, m_iENCLevel = 0;
    // The device's ENC parameter block: bytes 8..11 the level (little-endian),
    // the others passed back as the device reported them.
    std::array<BYTE, 16> m_EncParameters{};
    int LoadENCState();
    int UpdateENCUI();
    int SetENCOnOff(int on);
    int SetENCParameters();
    int SetENCGpioMode();
    void ENCFunctionImageClick(ui::TObject* Sender);
    void ENCSliderImageMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void ENCSliderImageMouseMove(ui::TObject* Sender, ui::TShiftState Shift, int X, int Y);
    void ENCSliderImageMouseUp(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    // The level (0..30) of an ENC slider top, and the top of a level.
    int ENCLevelFromTop(int top) const;
    int ENCTopFromLevel(int level) const;
    // Timbrex voice effect
    int m_bTimbrexEnable = 0, m_iTimbrexEffect = 0;
    // The parameter message: bytes 0..3 on/off, 4..5 the shift (both
    // little-endian), 6..9 zero.
    std::array<BYTE, 10> m_TimbrexParameters{};
    int LoadTimbrexState();
    int UpdateTimbrexUI();
    int SetTimbrexEnable(int on, int send);
    int SetTimbrexEffect(int effect);
    void PaintTbxAndENCButtons(int encOn, int tbxOn);
    void TbxFunctionImageClick(ui::TObject* Sender);
    void TbxEffectNoneImageClick(ui::TObject* Sender);
    void TbxEffect1ImageClick(ui::TObject* Sender);
    void TbxEffect2ImageClick(ui::TObject* Sender);
    void TbxEffect3ImageClick(ui::TObject* Sender);
    void TbxEffect4ImageClick(ui::TObject* Sender);
    // Hardware buttons and GPIO (Gpio.cpp)
    // A button and GPIO report of the device (byte 2: GPIO 0..7, byte 3 bits
    // 0..1: GPIO 8 and 9), the report before it and the bits that changed.
    struct BUTTON_REPORT {
        std::array<BYTE, 5> bytes{}, previous{}, changed{};
    };
    int m_bScanButtonRegistered = 0;
    int m_bGPIOInitialized = 0, m_bEncButtonArmed = 0, m_bEncSkipFirstReport = 1;
    // 1 once the workers were stopped: reports and clicks still queued for
    // the window are dropped.
    int m_bWorkersStopped = 0;
    void ReadGPIOAndSetUI();
    int ScanENCGPIO();
    int SendEncButton(const BUTTON_REPORT& report);
    int SendGpioButton(const BUTTON_REPORT& report);
    // Performs the function of the line the report changed.
    int DispatchGpioButtons(const BUTTON_REPORT& report);
    // index 0..10: code = the line's function (-1 none), result 0; else code
    // 0 and result -1.
    int GetGpioFunction(int index, int& code) const;
    // level is left alone when index is -1 or names a line not enabled.
    void GetGpioButtonState(const BUTTON_REPORT& report, int& pressed, int& level, int index) const;
    // A report the button scan passed on (on the window's thread): arms the
    // ENC button and, when the report changed, runs its handler.
    void ButtonReport(const BUTTON_REPORT& report, bool arm, bool changed);
    // Ends the button-scan callback and the worker threads (shut-down).
    void StopWorkers();

    // ------------------------------------------------------------ small functions
    static BYTE GetOSVersionClass();
    static int IsFileExist(HWND window, const std::wstring& path);

protected:
    void WndProc(ui::TMessage& msg) override;
    // The message map: MM_WIM_DATA to the level meter, the rest inherited.
    void Dispatch(ui::TMessage& msg) override;

private:
    void BuildComponents();
    void Step(const wchar_t* name) {
        if (OnStep) OnStep(name);
    }
    // One step of the shut-down (announced when named), under the standard
    // exception display.
    void ShutDownStep(const wchar_t* name, const std::function<void()>& step);
    // Construction steps after the library binding.
    void SetInitialValues();
    void ChooseResolutionFolder();
    void ReadConfigValues();
    void FindAndOpenDevice();
    // The hardware ID of the first present supported device (empty when
    // none): the list of AudioConfig.cfg in sourceFolder, searched up to
    // tries times while nothing is found.
    static std::wstring SearchDevice(const std::wstring& sourceFolder, int tries);
    // The IDs of the hardware ID found become the library's active device.
    void SelectDevice(const std::wstring& hardwareId, const CONNECTION_RULES& rules);
    // Arrival and retry: the HID interface opens (and is closed at once)
    // and the device accepts ENC off within the rules' tries; false when the
    // sequence ends here.
    bool TestDevice(const CONNECTION_RULES& rules);
    // Arrival and retry after their own first steps: search, selection, the
    // device's test and, once it is active, its state sent again.
    void Connect(const CONNECTION_RULES& rules);
    // The device's state sent again after an arrival or a retry connected it.
    void ReapplyDeviceState(const CONNECTION_RULES& rules);
    // The microphone set up for a device that connects.
    void SetUpMicrophoneOnConnect();
    // The input and output pictures for m_bDeviceActive.
    void ShowDevicePictures();
    void ShowDeviceLabel(const wchar_t* entry);
    // Runs an arrival or retry sequence marked as running; what was deferred
    // meanwhile is posted when it ends.
    void RunConnection(const std::function<void()>& sequence);
    // A removal ran in the middle of the running sequence.
    bool ConnectionInterrupted() const { return m_bRemovedWhileConnecting != 0; }
    void SetUpDeviceFeatures();
    // A push button's Down picture (only when its entry names a file) and
    // its label's ColorDown; Up loads the picture unconditionally.
    void PaintDown(ui::TImage* image, const wchar_t* downKey, ui::TLabel* label, const wchar_t* labelEntry);
    void PaintUp(ui::TImage* image, const wchar_t* upKey, ui::TLabel* label, const wchar_t* labelEntry);
    bool GpioLocked(int tag) const;
    // 3D: the value 0..15 of a slider by its Tag, and one channel's values
    // from its sliders to the record, the chip and the image.
    int Slider3DValue(int tag) const;
    int Send3DChannel(bool left, int sync);
    // 7.1: the icon of a speaker (0..7), a record's place on the screen
    // (false when it has none), every icon placed from its record.
    ui::TImage* SpeakerImage(int channel) const;
    bool SpeakerPlace(const SPEAKER_POS& pos, POINT& place) const;
    void PlaceAllSpeakers(int mode);
    std::wstring DefaultProfilePath() const;
    // The 7.1 reset does nothing in GPIO mode with the hardware switch off.
    bool SpeakerResetLocked() const;
    // Bee: its design picture, its sound started or stopped.
    void LoadBeePicture();
    void PlayBeeSound(bool play);
    // Hardware buttons: a page put up as its tab would, a skinned control
    // clicked as the mouse would, the minimised window restored after it.
    void ShowGpioPage(int page, int tab);
    void GpioClick(ui::TObject* control);
    void RestoreAfterGpioClick();
    // The GPIO worker's deferred click, on the window's thread.
    void DeferredGpioClick(ui::TObject* control, ui::TShiftState shift);
    bool LEDDialogShowing() const;
    // The device's HID interface opens (and is closed again at once).
    bool DeviceReachable() const;
    void ShowAboutBox();
    // ENC and the voice effect: false (after the warning when the device
    // does not offer them) unless a device is active and offers them.
    bool ENCUsable();
    void PaintENCButton(int on);
    // The voice-effect page painted for an on/off state and a chosen effect.
    void PaintTimbrexPage(int on, int effect);
    void ChooseTimbrexEffect(int effect);
    // A picture loaded onto an image without showing or hiding it (the
    // page's own painting decides that).
    void RepaintImage(const wchar_t* key, ui::TImage* image);

    std::map<std::wstring, ui::TControl*> m_Controls;
    std::map<ui::TImage*, std::wstring> m_LoadedPicture;  // picture path each image shows
    // The skin folder's pictures, decoded ahead on worker threads.
    std::unique_ptr<SkinPictures> m_Pictures;
    // The device search of construction step 14, started early on a worker
    // (it reads only the settings file and the system's device list); the
    // hardware ID found, empty when none.
    std::future<std::wstring> m_DeviceSearch;
    UINT m_uMsgRunOnMain = 0;
    std::mutex m_PostedLock;
    std::deque<std::function<void()>> m_Posted;

    friend class TAudioMainFormAccess;
};

// The differences of the three connection sequences, as a table.
struct TAudioMainForm::CONNECTION_RULES {
    int searchTries;           // device searches while none is found
    bool traceNotFound;        // "bResult = 0" when none is found
    bool traceSetActive;       // a refused active device named in the debugger output
    bool retrySetActive;       // the active device asked for once more when refused
    DWORD sleepBeforeRetry;    // ms before that second request
    int encOffTries;           // ENC off commands that may be refused (arrival, retry)
    bool setFilterPath;        // the filter device's path set once ENC off is accepted
    bool clearMonitorFlag;     // m_bMicMonitor back to 0 with the microphone step
    bool scanButtons;          // GPIO and ENC button scan
    bool restore3D;            // 3D from EEPROM or the default enable
    bool stopTimer1;           // the retry timer off once connected
};

// Splits text at every ',' (blanks belong to the fields; a field that begins
// with a double quote runs to its closing quote, and text after that quote
// starts the next field). An empty text gives no field.
std::vector<std::wstring> SplitCommaList(const std::wstring& text);

// Files: AudioMainForm.cpp (construction, shut-down), MainFormComponents.cpp
// (the component table), ControlDispatch.cpp, Pages.cpp, Equaliser.cpp,
// DeviceLifeCycle.cpp, WindowMessages.cpp, Effects3D.cpp, Microphone.cpp,
// Virtual71.cpp, Bee.cpp, Profiles.cpp, Lighting.cpp, Enc.cpp, Timbrex.cpp,
// Gpio.cpp, and skin/*.cpp.
