// The setup programs' window texts (parsing, applying, the kit's languages),
// the wizard's language list and install options, and the background's
// picture and size, in this program's own process. Nothing here writes to
// the system: the settings files are temporary ones.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "setup/BackgroundForm.h"
#include "setup/MainForm.h"
#include "setup/SetupTexts.h"
#include "shared/FileHelpers.h"
#include "shared/IniValue.h"
#include "shared/ResolutionFolder.h"
#include "uninstall/UninstallTexts.h"
#include "ui/SysUtils.h"

namespace {

// "'text' c=1 c2=2 font='F' size=4 at=5,6,7,8 flags=10111111"
std::string Describe(const LABEL_INFO& r) {
    std::wstring flags;
    for (uint8_t p : r.Present) flags += p ? L'1' : L'0';
    std::wstring text = L"'" + r.Text + L"' c=" + std::to_wstring(r.Colour) + L" c2=" +
                        std::to_wstring(r.SecondColour) + L" font='" + r.FontName + L"' size=" +
                        std::to_wstring(r.FontSize) + L" at=" + std::to_wstring(r.Left) + L"," +
                        std::to_wstring(r.Top) + L"," + std::to_wstring(r.Width) + L"," +
                        std::to_wstring(r.Height) + L" flags=" + flags;
    return vt::Narrow(text);
}

// Parses entry into record; false when it raised the conversion error.
bool Parse(LABEL_INFO& record, const std::wstring& entry) {
    std::vector<std::wstring> fields;
    int count = SplitCommaFields(entry, fields);
    try {
        setup_texts::ParseLabelStyle(record, fields, count);
        return true;
    } catch (const ui::EConvertError&) {
        return false;
    }
}

bool WriteText(const std::wstring& path, const std::string& text) {
    CreateFolderPath(path);
    return vt::WriteFileBytes(path, text);
}

TEST(SetupTexts, EntriesParseIntoTheirFields) {
    const std::wstring longText(200, L't'), longFont(100, L'f');
    struct Case {
        const char* name;
        const wchar_t* before;  // an earlier language's entry for the same key
        std::wstring entry;
        bool parses;
        std::string expected;
    };
    const Case cases[] = {
        {"every field", nullptr, L"Select the language:,255,,Arial,10,16,40,200,20", true,
         "'Select the language:' c=255 c2=0 font='Arial' size=10 at=16,40,200,20 flags=10111111"},
        {"(null)", nullptr, L"(null)", true, "'(null)' c=0 c2=0 font='' size=0 at=0,0,0,0 flags=00000000"},
        {"empty", nullptr, L"", true, "'' c=0 c2=0 font='' size=0 at=0,0,0,0 flags=00000000"},
        {"size only", nullptr, L",,,,14", true, "'' c=0 c2=0 font='' size=14 at=0,0,0,0 flags=00010000"},
        {"hexadecimal colours", nullptr, L"Next,$FF0000,0x1F", true,
         "'Next' c=16711680 c2=31 font='' size=0 at=0,0,0,0 flags=11000000"},
        {"x prefix, sign and blanks", nullptr, L"a,x10, -5,, 7", true,
         "'a' c=16 c2=-5 font='' size=7 at=0,0,0,0 flags=11010000"},
        {"tenth field ignored", nullptr, L"a,1,2,F,4,5,6,7,8,oops", true,
         "'a' c=1 c2=2 font='F' size=4 at=5,6,7,8 flags=11111111"},
        {"long fields cut", nullptr, longText + L",,," + longFont, true,
         "'" + std::string(127, 't') + "' c=0 c2=0 font='" + std::string(63, 'f') +
             "' size=0 at=0,0,0,0 flags=00100000"},
        {"earlier fields kept", L"Old,255,,Arial,9,1,2,3,4", L"New,,,,12", true,
         "'New' c=255 c2=0 font='Arial' size=12 at=1,2,3,4 flags=10111111"},
        {"text always replaced", L"Old,255", L"", true, "'' c=255 c2=0 font='' size=0 at=0,0,0,0 flags=10000000"},
        {"not a number", nullptr, L"Hello,blue,3", false, "'Hello' c=0 c2=0 font='' size=0 at=0,0,0,0 flags=00000000"},
        {"stops at the bad field", nullptr, L"a,1,2,Arial,x,5", false,
         "'a' c=1 c2=2 font='Arial' size=0 at=0,0,0,0 flags=11100000"},
        {"trailing junk", nullptr, L"a,12px", false, "'a' c=0 c2=0 font='' size=0 at=0,0,0,0 flags=00000000"},
    };
    for (const Case& c : cases) {
        LABEL_INFO record;
        if (c.before) {
            ASSERT_TRUE(Parse(record, c.before)) << c.name;
        }
        EXPECT_EQ(Parse(record, c.entry), c.parses) << c.name;
        EXPECT_EQ(Describe(record), c.expected) << c.name;
    }
}

class Forms : public ::testing::Test {
protected:
    void SetUp() override { app = std::make_unique<ui::TApplication>(); }
    void TearDown() override {
        app.reset();
        MainForm = nullptr;
        BackgroundForm = nullptr;
    }
    std::unique_ptr<ui::TApplication> app;
};

TEST_F(Forms, LabelStylesGoOnTheControl) {
    struct Case {
        const char* name;
        const wchar_t* entry;
        bool visible;
        const wchar_t* caption;
        ui::TColor colour;
        const wchar_t* font;
        int size;
        RECT bounds;  // left, top, width, height
    };
    // The label starts as "Before", Tahoma 8, black, at 1,2,100,20.
    const Case cases[] = {
        {"every field", L"Select the language:,255,,Arial,10,16,40,200,20", true, L"Select the language:",
         0x0000FF, L"Arial", 10, {16, 40, 200, 20}},
        {"(null) hides", L"(null)", false, L"Before", 0, L"Tahoma", 8, {1, 2, 100, 20}},
        {"empty hides", L"", false, L"Before", 0, L"Tahoma", 8, {1, 2, 100, 20}},
        {"hidden, styled", L",,,,14", false, L"Before", 0, L"Tahoma", 14, {1, 2, 100, 20}},
        {"second colour not applied", L"Text,,$00FF00,,,30", true, L"Text", 0, L"Tahoma", 8, {30, 2, 100, 20}},
        {"bounds only", L"Moved,,,,,,7,,9", true, L"Moved", 0, L"Tahoma", 8, {1, 7, 100, 9}},
    };
    ui::TForm form(nullptr);
    for (const Case& c : cases) {
        ui::TLabel label(nullptr);
        label.SetParent(&form);
        label.SetAutoSize(false);
        label.SetCaption(L"Before");
        label.Font().SetName(L"Tahoma");
        label.Font().SetSize(8);
        label.Font().SetColor(0);
        label.SetBounds(1, 2, 100, 20);
        LABEL_INFO record;
        ASSERT_TRUE(Parse(record, c.entry)) << c.name;
        setup_texts::ApplyLabelStyle(record, label);
        EXPECT_EQ(label.Visible(), c.visible) << c.name;
        EXPECT_EQ(label.Caption(), c.caption) << c.name;
        EXPECT_EQ(label.Font().Color(), c.colour) << c.name;
        EXPECT_EQ(label.Font().Name(), c.font) << c.name;
        EXPECT_EQ(label.Font().Size(), c.size) << c.name;
        EXPECT_EQ(label.Left(), c.bounds.left) << c.name;
        EXPECT_EQ(label.Top(), c.bounds.top) << c.name;
        EXPECT_EQ(label.Width(), c.bounds.right) << c.name;
        EXPECT_EQ(label.Height(), c.bounds.bottom) << c.name;
    }
}

// Both programs read the kit's languages through the shared module: English
// in the system's code page, Russian as UTF-16LE.
TEST(SetupTexts, KitLanguagesReadForBothPrograms) {
    struct Case {
        const wchar_t* folder;
        const wchar_t* section;
        const wchar_t* key;
        std::string expected;
    };
    const Case cases[] = {
        {L"English", L"Setup", L"LabelNextBtn", "'Next >' c=0 c2=0 font='' size=0 at=0,0,0,0 flags=00000000"},
        {L"English", L"Setup", L"LabelSelectLang",
         "'Select language:' c=0 c2=0 font='Tahoma' size=10 at=16,52,150,16 flags=10111111"},
        {L"English", L"Setup", L"AntivirusTip", "'' c=0 c2=0 font='' size=0 at=0,0,0,0 flags=00000000"},
        {L"Russian", L"Setup", L"LabelTitle",
         "'Установка Vello Audio Center' c=0 c2=0 font='' size=0 at=0,0,0,0 flags=00000000"},
        {L"Russian", L"Setup", L"LabelVersion",
         "'Версия 1.0' c=6316128 c2=0 font='Tahoma' size=10 at=184,20,230,16 flags=10111111"},
        {L"Russian", L"Uninstall", L"LabelUninstallBtn", "'Удалить' c=0 c2=0 font='' size=0 at=0,0,0,0 flags=00000000"},
        {L"English", L"Uninstall", L"Label2",
         "'Close the control panel and click Uninstall to continue.' c=5263440 c2=0 font='Tahoma' size=9 "
         "at=88,44,289,41 flags=10111111"},
    };
    for (const Case& c : cases) {
        const std::wstring file = setup_texts::LanguageFilePath(vt::BinDir(), L"Language", c.folder);
        const bool setup = std::wstring(c.section) == kSetupSection;
        const wchar_t* const* keys = setup ? kSetupLabelKeys : kUninstallLabelKeys;
        const size_t count = setup ? size_t{kSetupLabelCount} : size_t{kUninstallLabelCount};
        std::vector<LABEL_INFO> records(count);
        setup_texts::ReadLanguageTexts(records.data(), keys, count, file, c.section);
        size_t index = 0;
        while (index < count && std::wstring(keys[index]) != c.key) ++index;
        ASSERT_LT(index, count) << vt::Narrow(c.key);
        EXPECT_EQ(Describe(records[index]), c.expected) << vt::Narrow(c.folder) << " " << vt::Narrow(c.key);
    }
}

// The wizard's own language work on temporary setup folders.
class WizardLanguages : public Forms {
protected:
    void SetUp() override {
        Forms::SetUp();
        app->CreateForm(MainForm);
    }
    // Points the wizard at a setup folder of the test's own.
    void UseSetupFolder(const std::wstring& folder) {
        MainForm->m_Settings.SourceFolderFullPath = folder;
        MainForm->m_Settings.LanguageFolderName = L"Language";
    }
    static std::vector<std::wstring> Items(ui::TComboBox* box) { return box->Items().Items(); }
    vt::TempDir dir;
};

TEST_F(WizardLanguages, ListsTheMappedLanguageFolders) {
    struct Case {
        const char* name;
        std::wstring setup;     // the setup folder below the temporary one
        std::vector<std::wstring> folders;
        int multiDisplay;
        const wchar_t* resolution;
        const wchar_t* language;
        std::vector<std::wstring> shown;
        std::vector<std::wstring> originals;
        int selected;
    };
    const std::vector<std::wstring> three = {L"Language\\English", L"Language\\Japanese", L"Language\\TChinese"};
    const Case cases[] = {
        {"mapped ones, by name", L"a\\", three, 0, L"", L"TChinese", {L"English", L"Traditional Chinese"},
         {L"English", L"TChinese"}, 1},
        {"unknown language: first", L"b\\", three, 0, L"", L"German", {L"English", L"Traditional Chinese"},
         {L"English", L"TChinese"}, 0},
        {"no language: first", L"c\\", three, 0, L"", L"", {L"English", L"Traditional Chinese"},
         {L"English", L"TChinese"}, 0},
        {"resolution folder", L"d\\",
         {L"Language\\English", L"Language\\1366x768\\TChinese", L"Language\\1366x768\\English"}, 1,
         L"1366x768\\", L"English", {L"English", L"Traditional Chinese"}, {L"English", L"TChinese"}, 0},
        {"resolution folder unused without the option", L"e\\",
         {L"Language\\English", L"Language\\1366x768\\TChinese"}, 0, L"1366x768\\", L"", {L"English"},
         {L"English"}, 0},
        {"setup folder inside a Language folder", L"Language\\Setup\\", three, 0, L"", L"TChinese",
         {L"English", L"Traditional Chinese"}, {L"English", L"TChinese"}, 1},
        {"no language folder", L"f\\", {}, 0, L"", L"English", {}, {}, -1},
    };
    for (const Case& c : cases) {
        const std::wstring setup = dir.path() + c.setup;
        for (const std::wstring& folder : c.folders) CreateFolderPath(setup + folder + L"\\");
        ASSERT_TRUE(WriteText(setup + L"AudioConfig.cfg",
                              "[MultiLanguageFolderMap]\r\nEnglish=English\r\nTChinese=Traditional Chinese\r\n"
                              "Japanese=\r\n"));
        app.reset();
        app = std::make_unique<ui::TApplication>();
        app->CreateForm(MainForm);
        UseSetupFolder(setup);
        MainForm->m_iMultiDisplaySetting = c.multiDisplay;
        MainForm->m_ResolutionFolder = c.resolution;
        EXPECT_EQ(MainForm->ListLanguages(c.language), static_cast<int>(c.shown.size())) << c.name;
        EXPECT_EQ(Items(MainForm->ComboBox), c.shown) << c.name;
        EXPECT_EQ(Items(MainForm->OriginalComboBox), c.originals) << c.name;
        EXPECT_EQ(MainForm->ComboBox->ItemIndex(), c.selected) << c.name;
    }
}

TEST_F(WizardLanguages, AppliesTheKitTextsToTheControls) {
    UseSetupFolder(vt::BinDir());
    MainForm->m_OwnVersion = L"1.0.2.3";
    MainForm->LoadLanguage(L"Russian");
    MainForm->ApplyLanguage();
    EXPECT_EQ(MainForm->Caption(), L"Установка Vello Audio Center (V1.0.2.3)");
    EXPECT_EQ(MainForm->NextBitBtn->Caption(), L"Далее >");
    EXPECT_EQ(vt::WindowText(MainForm->NextBitBtn->Handle()), L"Далее >");
    EXPECT_EQ(MainForm->CancelBitBtn->Caption(), L"Отмена");
    EXPECT_EQ(MainForm->NoRebootRadioButton->Caption(), L"Нет - перезапустить позже");
    EXPECT_EQ(MainForm->SelectLangLabel->Caption(), L"Выберите язык:");
    EXPECT_EQ(MainForm->VersionLabel->Font().Color(), 0x606060u);
    EXPECT_EQ(MainForm->VersionLabel->Left(), 184);
    EXPECT_EQ(MainForm->m_LabelInfo[kLabelWarning2].Text, L"Ошибка установки. Код ошибки:");
}

TEST_F(WizardLanguages, MissingOrBrokenTextsLeaveControlsEmpty) {
    UseSetupFolder(dir.path());
    // No Language.ini at all: labels hidden, captions empty, the title bare.
    MainForm->LoadLanguage(L"English");
    MainForm->ApplyLanguage();
    EXPECT_FALSE(MainForm->SelectLangLabel->Visible());
    EXPECT_EQ(MainForm->NextBitBtn->Caption(), L"");
    EXPECT_EQ(MainForm->Caption(), L" (V)");

    // A bad number stops the load at its key; the keys before it are read.
    ASSERT_TRUE(WriteText(dir / L"Language\\English\\Language.ini",
                          "[Setup]\r\nLabelNextBtn=Next\r\nLabelSelectLang=Pick,blue\r\nLabelTitle=Title\r\n"));
    EXPECT_THROW(MainForm->LoadLanguage(L"English"), ui::EConvertError);
    EXPECT_EQ(MainForm->m_LabelInfo[kLabelNextBtn].Text, L"Next");
    EXPECT_EQ(MainForm->m_LabelInfo[kLabelSelectLang].Text, L"Pick");
    EXPECT_EQ(MainForm->m_LabelInfo[kLabelTitle].Text, L"");
}

TEST_F(WizardLanguages, InstallOptionsAndTheirEffects) {
    struct Case {
        const char* name;
        const char* settings;
        int plugin, desktop, windowsKB, reboot, multiDisplay;
        bool radios;
        bool resolution;  // the wizard's resolution folder is the screen's
    };
    const Case cases[] = {
        {"nothing set", "", 0, 0, 1, 0, 0, false, false},
        {"the kit's",
         "[Plugin]\r\nPluginFolderName=Plugin\r\n[Install]\r\nDesktopShortcutEnable=1\r\nInstallWindowsKB=0\r\n"
         "ShowRebootScreen=1\r\nMultiDisplaySetting=1\r\n",
         1, 1, 0, 1, 1, true, true},
        {"reboot screen 2 hides", "[Install]\r\nShowRebootScreen=2\r\nMultiDisplaySetting=2\r\n", 0, 0, 1, 2, 2,
         false, false},
        {"not numbers", "[Install]\r\nInstallWindowsKB=abc\r\nDesktopShortcutEnable= 7x\r\nShowRebootScreen=one\r\n",
         0, 7, 0, 0, 0, false, false},
    };
    for (const Case& c : cases) {
        vt::TempDir setup;
        ASSERT_TRUE(WriteText(setup / L"AudioConfig.cfg", c.settings));
        UseSetupFolder(setup.path());
        MainForm->m_ResolutionFolder.clear();
        EXPECT_EQ(MainForm->ReadInstallOptions(), 0);
        EXPECT_EQ(MainForm->m_iPluginFolderConfigured, c.plugin) << c.name;
        EXPECT_EQ(MainForm->m_iDesktopShortcutEnable, c.desktop) << c.name;
        EXPECT_EQ(MainForm->m_iInstallWindowsKB, c.windowsKB) << c.name;
        EXPECT_EQ(MainForm->m_iShowRebootScreen, c.reboot) << c.name;
        EXPECT_EQ(MainForm->m_iMultiDisplaySetting, c.multiDisplay) << c.name;
        EXPECT_EQ(MainForm->RebootRadioButton->Visible(), c.radios) << c.name;
        EXPECT_EQ(MainForm->NoRebootRadioButton->Visible(), c.radios) << c.name;
        const std::wstring screen = resolution::FolderForScreen(resolution::Compare::Greater);
        EXPECT_EQ(MainForm->m_ResolutionFolder, c.resolution ? screen : L"") << c.name;
    }
}

TEST(Background, PictureFollowsTheScreenClassWithTheProgramFolderAsFallback) {
    struct Case {
        const char* name;
        int width, height;
        std::vector<std::wstring> pictures;  // where SetupBackground.png lies
        const wchar_t* taken;
    };
    const Case cases[] = {
        {"1920x1080 takes the 1366x768 class", 1920, 1080, {L"Skin\\1366x768\\", L"Skin\\1920x1080\\", L""},
         L"Skin\\1366x768\\"},
        {"only in the larger class", 1920, 1080, {L"Skin\\1920x1080\\", L""}, L""},
        {"1366x768 takes the 960x540 class", 1366, 768, {L"Skin\\960x540\\", L"Skin\\1366x768\\"},
         L"Skin\\960x540\\"},
        {"small screen: the skin folder itself", 800, 600, {L"Skin\\", L""}, L"Skin\\"},
        {"nowhere: the program folder", 2560, 1440, {}, L""},
    };
    for (const Case& c : cases) {
        vt::TempDir dir;
        for (const std::wstring& folder : c.pictures) ASSERT_TRUE(WriteText(dir / (folder + L"SetupBackground.png"), "x"));
        const wchar_t* res = resolution::FolderFor(c.width, c.height, resolution::Compare::Greater);
        EXPECT_EQ(BackgroundPicturePath(dir.path(), L"Skin", res, L"SetupBackground.png"),
                  dir / (std::wstring(c.taken) + L"SetupBackground.png"))
            << c.name;
    }
}

class BackgroundWindow : public Forms {
protected:
    void SetUp() override {
        Forms::SetUp();
        NewBackground();
    }
    void NewBackground() {
        app.reset();
        app = std::make_unique<ui::TApplication>();
        app->CreateForm(BackgroundForm);
    }
    bool SeeThrough() const {
        COLORREF key = 0;
        BYTE alpha = 0;
        DWORD flags = 0;
        HWND w = BackgroundForm->Handle();
        return (::GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_LAYERED) &&
               ::GetLayeredWindowAttributes(w, &key, &alpha, &flags) && (flags & LWA_COLORKEY) &&
               key == ::GetSysColor(COLOR_BTNFACE);
    }
};

TEST_F(BackgroundWindow, ShowsThePictureOrBecomesSeeThrough) {
    const std::string png = vt::ReadFileBytes(vt::BinDir() + L"Skin\\SetupBackground.png");
    ASSERT_FALSE(png.empty());
    struct Case {
        const char* name;
        const char* settings;
        std::string picture;  // bytes of Skin\SetupBackground.png, none when empty
        bool shown;
    };
    const Case cases[] = {
        {"picture", "[Install]\r\nInstallBackgroundFileName=SetupBackground.png\r\n[Skin]\r\nSkinFolderName=Skin\r\n",
         png, true},
        {"no picture named", "[Skin]\r\nSkinFolderName=Skin\r\n", png, false},
        {"picture missing", "[Install]\r\nInstallBackgroundFileName=SetupBackground.png\r\n", "", false},
        {"picture broken", "[Install]\r\nInstallBackgroundFileName=SetupBackground.png\r\n[Skin]\r\nSkinFolderName=Skin\r\n",
         "not a picture", false},
    };
    for (const Case& c : cases) {
        // A settings file of its own per row: the system caches what it read.
        vt::TempDir folder;
        NewBackground();
        BackgroundForm->m_ProgramFolder = folder.path();
        ASSERT_TRUE(WriteText(folder / L"AudioConfig.cfg", c.settings));
        if (!c.picture.empty()) {
            ASSERT_TRUE(WriteText(folder / L"Skin\\SetupBackground.png", c.picture));
        }
        BackgroundForm->m_ResolutionFolder.clear();
        BackgroundForm->LoadBackground();
        EXPECT_EQ(BackgroundForm->Image->Visible(), c.shown) << c.name;
        EXPECT_EQ(BackgroundForm->Image->Picture().Empty(), !c.shown) << c.name;
        EXPECT_EQ(SeeThrough(), !c.shown) << c.name;
    }
}

TEST_F(BackgroundWindow, SizeIsTheScreenUnlessBothDimensionsAreSet) {
    const int screenW = ::GetSystemMetrics(SM_CXSCREEN), screenH = ::GetSystemMetrics(SM_CYSCREEN);
    struct Case {
        const char* settings;
        int width, height;
    };
    const Case cases[] = {
        {"", screenW, screenH},
        {"[Install]\r\nBackgroundWidth=800\r\nBackgroundHeight=0\r\n", screenW, screenH},
        {"[Install]\r\nBackgroundWidth=800\r\nBackgroundHeight=600\r\n", 800, 600},
        {"[Install]\r\nBackgroundWidth=wide\r\nBackgroundHeight=600\r\n", screenW, screenH},
    };
    int row = 0;
    for (const Case& c : cases) {
        vt::TempDir folder;
        ASSERT_TRUE(WriteText(folder / L"AudioConfig.cfg", c.settings));
        BackgroundForm->m_ProgramFolder = folder.path();
        BackgroundForm->ReadBackgroundSize();
        EXPECT_EQ(BackgroundForm->m_iWidth, c.width) << "row " << row;
        EXPECT_EQ(BackgroundForm->m_iHeight, c.height) << "row " << row;
        ++row;
    }
}

}  // namespace
