// Skins and languages of the main window, on the sample kit beside this
// program: the resolution folder, the Language and Skin menus, Language.ini
// and SkinSetting.ini as read and applied, and the window region. A last
// group runs the real panel on broken kits.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "PictureFixtures.h"
#include "SkinWith3DPage.h"
#include "TestSupport.h"
#include "panel/AudioMainForm.h"
#include "shared/ResolutionFolder.h"

// Reads the picture each image control shows.
class TAudioMainFormAccess {
public:
    // The picture an image control shows.
    static std::wstring Shown(TAudioMainForm* form, const wchar_t* image) {
        ui::TImage* control = form->Image(image);
        std::wstring path;
        if (form->m_LoadedPicture.count(control)) path = form->m_LoadedPicture.at(control);
        if (path.empty()) return L"";
        const std::wstring& full = path;
        size_t slash = full.find_last_of(L'\\');
        size_t folder = full.find_last_of(L'\\', slash - 1);
        return full.substr(folder + 1);  // "<skin>\<file>"
    }
};

namespace {

constexpr wchar_t kUserFolder[] = L"VelloSkinTests";

void Pump(DWORD ms) {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        ui::Application->ProcessMessages();
        ::Sleep(2);
    }
}

std::wstring AppData() {
    wchar_t path[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"APPDATA", path, MAX_PATH);
    return path;
}
std::wstring UserConfig() { return AppData() + L"\\" + kUserFolder + L"\\AudioConfig.cfg"; }
std::wstring Kit() { return vt::BinDir(); }

// INI files are changed through the profile functions only, so the system's
// cache of them never shows stale text.
void SetIni(const std::wstring& file, const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    ::WritePrivateProfileStringW(section, key, value, file.c_str());
}
std::wstring GetIni(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[256] = {};
    ::GetPrivateProfileStringW(section, key, L"", buffer, 256, file.c_str());
    return buffer;
}

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

// A folder added to the kit for one test (a copy of another), removed at the end.
class AddedFolder {
public:
    AddedFolder(const std::wstring& from, std::wstring to) : path_(std::move(to)) {
        vt::RemoveTree(path_);
        vt::CopyTree(from, path_);
    }
    ~AddedFolder() { vt::RemoveTree(path_); }
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

std::string RegionBytes(int right, int bottom, DWORD type = RDH_RECTANGLES, DWORD size = 32, DWORD count = 1,
                        size_t keep = 0) {
    std::string bytes(32 + 16, '\0');
    RGNDATAHEADER h{};
    h.dwSize = size;
    h.iType = type;
    h.nCount = count;
    h.nRgnSize = 16;
    h.rcBound = RECT{0, 0, right, bottom};
    RECT r{0, 0, right, bottom};
    std::memcpy(&bytes[0], &h, sizeof(h));
    std::memcpy(&bytes[32], &r, sizeof(r));
    if (keep) bytes.resize(keep);
    return bytes;
}

class Skins : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SetIni(Kit() + L"AudioConfig.cfg", L"Install", L"InstallFolderName", kUserFolder);
    }

    void SetUp() override {
        ::CreateDirectoryW((AppData() + L"\\" + kUserFolder).c_str(), nullptr);
        SetIni(UserConfig(), L"Language", L"DefaultLanguage", L"English");
        SetIni(UserConfig(), L"Skin", L"DefaultSkin", L"Graphite");
        // Each test starts as a first run: no last profile of another skin.
        ::DeleteFileW((AppData() + L"\\" + kUserFolder + L"\\LastProfile.ini").c_str());
    }
    void TearDown() override { Close(); }

    void Build() {
        app = std::make_unique<ui::TApplication>();
        app->SetMessageBoxHandler([this](HWND, const std::wstring& text, const std::wstring&, UINT) {
            boxes.push_back(text);
            return IDOK;
        });
        app->CreateForm(form);
        ASSERT_NE(form, nullptr);
        form->Show();
        Pump(100);
        boxes.clear();
    }
    void Close() {
        if (form) form->Free();
        form = nullptr;
        app.reset();
    }
    // Chooses a generated item of the Language or Skin menu as the menu does.
    void Choose(ui::TMenuItem* menu, int index) {
        ASSERT_LT(index, menu->Count());
        ::SendMessageW(form->Handle(), WM_COMMAND, menu->Items(index)->Command(), 0);
        Pump(50);
    }
    int Checked(ui::TMenuItem* menu) const {
        int checked = -1;
        for (int k = 0; k < menu->Count(); ++k)
            if (menu->Items(k)->Checked()) checked = checked < 0 ? k : 99;
        return checked;
    }
    std::wstring Shown(const wchar_t* image) { return TAudioMainFormAccess::Shown(form, image); }
    void Screenshot(const wchar_t* name) {
        form->BringToFront();
        form->Repaint();
        Pump(300);
        RECT r;
        ::GetWindowRect(form->Handle(), &r);
        const std::wstring folder = vt::BinDir() + L"..\\..\\screenshots\\";
        ::CreateDirectoryW(folder.c_str(), nullptr);
        EXPECT_TRUE(vt::CaptureScreenToPng(r, folder + name));
    }

    std::unique_ptr<ui::TApplication> app;
    TAudioMainForm* form = nullptr;
    std::vector<std::wstring> boxes;
};

// ---------------------------------------------------------------- resolution folder

TEST(ResolutionFolder, ScreenSizesFallIntoTheirClasses) {
    using resolution::Compare;
    struct Case {
        int width, height;
        const wchar_t* panel;        // greater than the class bound
        const wchar_t* uninstaller;  // greater than or equal to it
    };
    const Case cases[] = {
        {2560, 1440, L"1920x1080\\", L"1920x1080\\"}, {1921, 1080, L"1920x1080\\", L"1920x1080\\"},
        {1920, 1080, L"1366x768\\", L"1920x1080\\"},  {1600, 900, L"1366x768\\", L"1366x768\\"},
        {1366, 768, L"960x540\\", L"1366x768\\"},     {1024, 768, L"960x540\\", L"960x540\\"},
        {960, 540, L"", L"960x540\\"},                {800, 600, L"", L""},
        {0, 0, L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        EXPECT_STREQ(resolution::FolderFor(c.width, c.height, Compare::Greater), c.panel);
        EXPECT_STREQ(resolution::FolderFor(c.width, c.height, Compare::GreaterOrEqual), c.uninstaller);
    }
}

TEST_F(Skins, TheHarnessScreenTakesTheFolderBelowItsOwnSize) {
    ASSERT_EQ(::GetSystemMetrics(SM_CXSCREEN), 1920);
    Build();
    EXPECT_EQ(form->m_szResolutionFolder, L"1366x768\\");
    EXPECT_EQ(Shown(L"MainFormImage"), L"Graphite\\MainFormImage.png");
}

TEST_F(Skins, ASkinWithoutItsResolutionFolderTakesTheBaseFolders) {
    // A skin that lives only at the base level of the kit.
    AddedFolder onlyBase(Kit() + L"Skin\\Amber", Kit() + L"Skin\\Plain");
    SetIni(UserConfig(), L"Skin", L"DefaultSkin", L"Plain");
    Build();
    EXPECT_EQ(form->m_szResolutionFolder, L"");
    // The menus then list the base folders, resolution folders included.
    std::vector<std::wstring> skins;
    for (int k = 0; k < form->SkinMenu->Count(); ++k) skins.push_back(form->SkinMenu->Items(k)->Caption());
    EXPECT_EQ(skins, (std::vector<std::wstring>{L"1366x768", L"1920x1080", L"960x540", L"Amber", L"Graphite",
                                                L"Plain"}));
    EXPECT_EQ(Checked(form->SkinMenu), 5);
}

// ---------------------------------------------------------------- menus

TEST_F(Skins, MenusListTheFoldersAndTickTheChoice) {
    struct Case {
        const char* name;
        const wchar_t* language;  // per-user choice; null: key removed
        const wchar_t* skin;
        int languageTicked, skinTicked;
        const wchar_t* languageInUse;  // without a choice: the program folder's default
    };
    const Case cases[] = {
        {"kit defaults", L"English", L"Graphite", 0, 1, L"English"},
        {"second of each", L"Russian", L"Amber", 1, 0, L"Russian"},
        {"no language stored", nullptr, L"Graphite", 0, 1, L"English"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetIni(UserConfig(), L"Language", L"DefaultLanguage", c.language);
        SetIni(UserConfig(), L"Skin", L"DefaultSkin", c.skin);
        Build();
        ASSERT_EQ(form->m_iLanguageCount, 2);
        ASSERT_EQ(form->m_iSkinCount, 2);
        EXPECT_EQ(form->LanguageMenu->Items(0)->Caption(), L"English");
        EXPECT_EQ(form->LanguageMenu->Items(1)->Caption(), L"Russian");
        EXPECT_EQ(form->SkinMenu->Items(0)->Caption(), L"Amber");
        EXPECT_EQ(form->SkinMenu->Items(1)->Caption(), L"Graphite");
        EXPECT_EQ(Checked(form->LanguageMenu), c.languageTicked);
        EXPECT_EQ(Checked(form->SkinMenu), c.skinTicked);
        EXPECT_EQ(form->m_szDefaultLanguage, c.languageInUse);
        Close();
    }
}

TEST_F(Skins, ChoosingALanguageChangesTheCaptionsAndIsStored) {
    Build();
    ASSERT_EQ(form->Label(L"EQS1Label")->Caption(), L"Music");
    Choose(form->LanguageMenu, 1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(form->m_szDefaultLanguage, L"Russian");
    EXPECT_EQ(form->Label(L"EQS1Label")->Caption(), L"Музыка");
    EXPECT_EQ(form->Label(L"PageEQLabel")->Caption(), L"Эквалайзер");
    EXPECT_EQ(form->LanguageMenu->Caption(), L"Язык");
    EXPECT_EQ(Checked(form->LanguageMenu), 1);
    EXPECT_EQ(GetIni(UserConfig(), L"Language", L"DefaultLanguage"), L"Russian");
    EXPECT_EQ(GetIni(UserConfig(), L"Skin", L"DefaultSkin"), L"Graphite");
    Screenshot(L"skins-russian-graphite.png");
}

TEST_F(Skins, ChoosingASkinChangesThePicturesAndIsStored) {
    Build();
    Choose(form->SkinMenu, 0);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(form->m_szDefaultSkin, L"Amber");
    EXPECT_EQ(Shown(L"MainFormImage"), L"Amber\\MainFormImage.png");
    EXPECT_EQ(Shown(L"EQS1Image"), L"Amber\\EQS1ImageDown.png");
    EXPECT_EQ(Checked(form->SkinMenu), 0);
    EXPECT_EQ(GetIni(UserConfig(), L"Skin", L"DefaultSkin"), L"Amber");
    EXPECT_EQ(GetIni(UserConfig(), L"Language", L"DefaultLanguage"), L"English");
    Screenshot(L"skins-english-amber.png");
    Choose(form->LanguageMenu, 1);
    EXPECT_EQ(form->Label(L"EQS2Label")->Caption(), L"Кино");
    Screenshot(L"skins-russian-amber.png");
}

TEST_F(Skins, LanguagesWithOneDisplayNameAreChosenByTheClickedItem) {
    AddedFolder twin(Kit() + L"Language\\1366x768\\Russian", Kit() + L"Language\\1366x768\\Zulu");
    SetIni(Kit() + L"AudioConfig.cfg", L"MultiLanguageFolderMap", L"Zulu", L"Russian");
    Build();
    SetIni(Kit() + L"AudioConfig.cfg", L"MultiLanguageFolderMap", L"Zulu", nullptr);
    ASSERT_EQ(form->m_iLanguageCount, 3);
    EXPECT_EQ(form->LanguageMenu->Items(2)->Caption(), L"Russian");
    Choose(form->LanguageMenu, 2);
    EXPECT_EQ(form->m_szDefaultLanguage, L"Zulu");
    EXPECT_EQ(GetIni(UserConfig(), L"Language", L"DefaultLanguage"), L"Zulu");
    Choose(form->LanguageMenu, 1);
    EXPECT_EQ(form->m_szDefaultLanguage, L"Russian");
}

TEST_F(Skins, ANonNumericNumberStopsTheLanguageLoad) {
    AddedFolder broken(Kit() + L"Language\\1366x768\\English", Kit() + L"Language\\1366x768\\Broken");
    SetIni(broken.path() + L"\\Language.ini", L"EQ", L"LabelEQReset", L"Reset,red");
    Build();
    ASSERT_EQ(form->LanguageMenu->Items(0)->Caption(), L"");  // no display name for it
    Choose(form->LanguageMenu, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], L"'red' is not a valid integer value.");
    // The entries read before the bad one are filled, the later ones cleared.
    EXPECT_STREQ(form->LanguageEntry(L"LableEQ3DEnable").caption, L"3D sound");
    EXPECT_STREQ(form->LanguageEntry(L"LabelEQReset").caption, L"Reset") << "filled up to the bad field";
    EXPECT_EQ(form->LanguageEntry(L"LabelEQReset").hasColorUp, 0);
    EXPECT_STREQ(form->LanguageEntry(L"LabelEQS1").caption, L"");
    // The rest of the handler did not run: the labels and the stored choice stay.
    EXPECT_EQ(form->Label(L"EQS1Label")->Caption(), L"Music");
    EXPECT_EQ(GetIni(UserConfig(), L"Language", L"DefaultLanguage"), L"English");
}

TEST(SplitCommaList, SplitsAsTheDelimitedTextSplitDoes) {
    struct Case {
        const wchar_t* text;
        std::vector<std::wstring> fields;
    };
    const Case cases[] = {
        {L"", {}},
        {L"A", {L"A"}},
        {L"A,B", {L"A", L"B"}},
        {L" A , B ", {L" A ", L" B "}},
        {L",5", {L"", L"5"}},
        {L"A,", {L"A", L""}},
        {L",", {L"", L""}},
        {L"A,,B", {L"A", L"", L"B"}},
        {L"\"A, B\",255", {L"A, B", L"255"}},
        {L"\"A\"B,C", {L"A", L"B", L"C"}},
        {L"\"A\",", {L"A", L""}},
        {L"\"A\"\"B\"", {L"A\"B"}},
        {L"\"\"", {L""}},
        {L"\"open,end", {L"open,end"}},
        {L"A\"B\",C", {L"A\"B\"", L"C"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitCommaList(c.text), c.fields) << vt::Narrow(c.text);
}

TEST_F(Skins, GlobalFontNumbersAreNoneOnlyWhenEmpty) {
    AddedFolder language(Kit() + L"Language\\1366x768\\English", Kit() + L"Language\\1366x768\\Fonts");
    const std::wstring file = language.path() + L"\\Language.ini";
    Build();
    struct Case {
        const wchar_t* key;
        const wchar_t* value;
        bool raises;
        int number;  // ColorUp or FontSize afterwards
    };
    const Case cases[] = {
        {L"ColorUp", L"", false, 0},      {L"ColorUp", L"255,3", false, 255}, {L"ColorUp", L",5", true, 0},
        {L"ColorUp", L"red", true, 0},    {L"FontSize", L"", false, -1},      {L"FontSize", L"12,x", false, 12},
        {L"FontSize", L",5", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(vt::Narrow(std::wstring(c.key) + L"=" + c.value));
        SetIni(file, L"GlobalFont", L"ColorUp", L"");
        SetIni(file, L"GlobalFont", L"FontSize", L"");
        SetIni(file, L"GlobalFont", c.key, c.value);
        if (c.raises) {
            EXPECT_THROW(form->LoadLanguageIni(L"Fonts"), ui::EConvertError);
            continue;
        }
        form->LoadLanguageIni(L"Fonts");
        EXPECT_EQ(std::wstring(c.key) == L"ColorUp" ? static_cast<int>(form->m_GlobalFont.ColorUp)
                                                      : form->m_GlobalFont.FontSize,
                  c.number);
    }
}

// A user other than the installing one, or one whose stored choice names
// no listed folder, still gets the skinned window.
TEST_F(Skins, TheWindowComesUpSkinnedWhateverTheStoredChoice) {
    struct Case {
        const char* name;
        bool noUserCopy;
        const wchar_t* language;  // stored in the per-user copy
        const wchar_t* skin;
        const wchar_t* skinInUse;
        const wchar_t* languageInUse;
    };
    const Case cases[] = {
        {"no per-user copy", true, nullptr, nullptr, L"Graphite", L"English"},
        {"a skin that is not there", false, L"Russian", L"Missing", L"Graphite", L"Russian"},
        {"a path for the skin", false, L"English", L"..\\..\\windows", L"Graphite", L"English"},
        {"a path for the language", false, L"..\\..\\windows", L"Amber", L"Amber", L"English"},
        {"empty names", false, L"", L"", L"Graphite", L"English"},
    };
    const std::wstring user = AppData() + L"\\" + kUserFolder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.noUserCopy) {
            vt::RemoveTree(user);
        } else {
            SetIni(UserConfig(), L"Language", L"DefaultLanguage", c.language);
            SetIni(UserConfig(), L"Skin", L"DefaultSkin", c.skin);
        }
        Build();
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(form->m_szDefaultSkin, c.skinInUse);
        EXPECT_EQ(form->m_szDefaultLanguage, c.languageInUse);
        EXPECT_EQ(Shown(L"MainFormImage"), std::wstring(c.skinInUse) + L"\\MainFormImage.png");
        RECT box{};
        EXPECT_NE(::GetWindowRgnBox(form->Handle(), &box), ERROR) << "the skin's window region";
        EXPECT_EQ(Checked(form->SkinMenu), std::wstring(c.skinInUse) == L"Amber" ? 0 : 1);
        if (c.noUserCopy) {
            // Made as the installer makes it: copies of the program folder's files.
            EXPECT_EQ(vt::ReadFileBytes(user + L"\\AudioConfig.cfg"), vt::ReadFileBytes(Kit() + L"AudioConfig.cfg"));
            EXPECT_EQ(vt::ReadFileBytes(user + L"\\DefaultProfile.ini"),
                      vt::ReadFileBytes(Kit() + L"DefaultProfile.ini"));
        }
        Close();
    }
}

// ---------------------------------------------------------------- Language.ini entries

TEST_F(Skins, LanguageValuesAreParsedFieldByField) {
    Build();
    const std::wstring longText(200, L'x');
    struct Case {
        const char* name;
        int oldVersion;
        int sectionPage;
        std::wstring value;
        std::wstring caption;
        int left, top, page;
        BYTE hasLeft, hasTop;
        ui::TColor colorUp;
        std::wstring font;
    };
    const Case cases[] = {
        {"page section, old layout", 1, 1, L"Reset,,,,,100,50", L"Reset", 296, 102, 1, 1, 1, 0, L""},
        {"every-page section, old layout", 1, 0, L"Reset,,,,,100,50", L"Reset", 100, 50, 0, 1, 1, 0, L""},
        {"page field does not undo the shift", 1, 1, L"Reset,,,,,100,50,,,0", L"Reset", 296, 102, 0, 1, 1, 0, L""},
        {"hexadecimal and blanks", 0, 2, L"A,$FF,,, 9, -3,0x10", L"A", -3, 16, 2, 1, 1, 255, L""},
        {"hexadecimal after x", 0, 0, L"A,x10", L"A", 0, 0, 0, 0, 0, 16, L""},
        {"quoted caption with comma", 0, 0, L"\"A, B\",255", L"A, B", 0, 0, 0, 0, 0, 255, L""},
        {"only positions", 0, 0, L",,,,,10,20", L"", 10, 20, 0, 1, 1, 0, L""},
        {"more than ten fields", 0, 3, L"A,,,,,1,2,3,4,5,6,7", L"A", 1, 2, 5, 1, 1, 0, L""},
        {"long caption and font are cut", 0, 0, longText + L",1,2," + longText, std::wstring(127, L'x'), 0, 0, 0, 0,
         0, 1, std::wstring(63, L'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->m_iOldVersion = c.oldVersion;
        LANGUAGE_ENTRY e{};
        form->ParseLanguageEntry(e, SplitCommaList(c.value), c.sectionPage);
        EXPECT_EQ(std::wstring(e.caption), c.caption);
        EXPECT_EQ(e.hasLeft, c.hasLeft);
        EXPECT_EQ(e.hasTop, c.hasTop);
        if (c.hasLeft) {
            EXPECT_EQ(e.left, c.left);
        }
        if (c.hasTop) {
            EXPECT_EQ(e.top, c.top);
        }
        EXPECT_EQ(e.page, c.page);
        EXPECT_EQ(e.colorUp, c.colorUp);
        EXPECT_EQ(std::wstring(e.font), c.font);
    }
    form->m_iOldVersion = 0;
    for (const wchar_t* bad : {L"A,red", L"A,,,,1.5", L"A,,,,,12abc", L"A,,,,,,, 7 "}) {
        SCOPED_TRACE(vt::Narrow(bad));
        LANGUAGE_ENTRY e{};
        EXPECT_THROW(form->ParseLanguageEntry(e, SplitCommaList(bad), 0), ui::EConvertError);
    }
}

TEST_F(Skins, AnEntryPutsCaptionColoursFontAndBoundsOnItsLabel) {
    Build();
    ASSERT_EQ(ui::ScreenPixelsPerInch(), 96);
    ui::TLabel* label = form->Label(L"SyncLabel");
    struct Case {
        const char* name;
        std::wstring value;
        BYTE osClass;
        int up;
        bool visible;
        ui::TColor colour;
        int size;
        int left, top;
    };
    const Case cases[] = {
        {"own colour up", L"Sync,255,,Tahoma,10", 6, 1, true, 255, 10, 50, 60},
        {"global colour down", L"Sync,255,,Tahoma,10", 6, 0, true, 65280, 10, 50, 60},
        {"hidden by (null)", L"(null)", 6, 1, false, 0x00C0C0C0, 10, 50, 60},
        {"hidden, still moved", L",,,,,10,20", 6, 1, false, 0x00C0C0C0, 10, 10, 20},
        {"older system, half to even", L"Sync,,,,25,1,2", 4, 1, true, 0x00C0C0C0, 22, 1, 2},
        {"older system, 9 points", L"Sync,,,,9", 4, 1, true, 0x00C0C0C0, 8, 1, 2},
    };
    form->m_GlobalFont.ColorUp = 0x00C0C0C0;
    form->m_GlobalFont.ColorDown = 65280;
    form->m_GlobalFont.Font[0] = L'\0';
    form->m_GlobalFont.FontSize = -1;
    label->SetBounds(50, 60, 40, 16);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->m_iOSVersionClass = c.osClass;
        LANGUAGE_ENTRY e{};
        form->ParseLanguageEntry(e, SplitCommaList(c.value), 0);
        form->ApplyLanguageEntry(e, label, c.up);
        EXPECT_EQ(label->Visible(), c.visible);
        if (c.visible) {
            EXPECT_EQ(label->Caption(), L"Sync");
        }
        EXPECT_EQ(label->Font().Color(), c.colour);
        EXPECT_EQ(label->Font().Size(), c.size);
        EXPECT_EQ(label->Left(), c.left);
        EXPECT_EQ(label->Top(), c.top);
        EXPECT_EQ(e.colorDown, 65280u) << "the global colour stays in the entry";
    }
}

TEST_F(Skins, CaptionsFollowTheWindowsState) {
    Build();
    form->m_iEQPreset = 3;
    form->ApplyLanguageCaptions();
    EXPECT_EQ(form->Label(L"SXLabel")->Caption(), L"Game");
    EXPECT_EQ(form->Label(L"EQS3Label")->Font().Color(), form->LanguageEntry(L"LabelEQS3").colorDown);
    EXPECT_EQ(form->ModeMenu->Caption(), L"Plug-ins");
    EXPECT_FALSE(form->Label(L"Page3DLabel")->Visible());
    // The separators between the tabs, when the skin shows them.
    for (const wchar_t* b : {L"Bevel2", L"Bevel3", L"Bevel4", L"Bevel5"}) form->Bevel(b)->SetVisible(true);
    form->ApplyLanguageCaptions();
    ui::TLabel* eq = form->Label(L"PageEQLabel");
    ui::TBevel* b2 = form->Bevel(L"Bevel2");
    EXPECT_EQ(b2->Left(), eq->Left() + eq->Width());
    EXPECT_EQ(b2->Top(), eq->Top());
    EXPECT_EQ(form->Label(L"PageEffectLabel")->Left(), b2->Left() + b2->Width() + 5);
    ui::TBevel* b5 = form->Bevel(L"Bevel5");
    EXPECT_EQ(form->Label(L"PageLEDLabel")->Left(), b5->Left() + b5->Width() + 5);
}

// ---------------------------------------------------------------- SkinSetting.ini

TEST_F(Skins, ImageValuesAreLenient) {
    Build();
    struct Case {
        const char* name;
        int oldVersion, sectionPage;
        std::wstring value;
        int left, top, height, page;
        BYTE hasLeft, hasTop, hasWidth, hasHeight;
        size_t fileLength;
    };
    const Case cases[] = {
        {"page section, old layout", 1, 1, L"bar.bmp,100,50", 492, 154, 0, 1, 1, 1, 0, 0, 7},
        {"every-page section", 1, 0, L"bar.bmp,100,50", 100, 50, 0, 0, 1, 1, 0, 0, 7},
        {"every-page key with its own page", 1, 0, L"bd.bmp,100,50,,,1", 100, 50, 0, 1, 1, 1, 0, 0, 6},
        {"digits up to the first other character", 0, 1, L"x.bmp,12abc,-7,,40", 12, -7, 40, 1, 1, 1, 0, 1, 5},
        {"no digits give 0", 0, 1, L"x.bmp,abc", 0, 0, 0, 1, 1, 0, 0, 0, 5},
        {"long file name is cut", 0, 0, std::wstring(100, L'f'), 0, 0, 0, 0, 0, 0, 0, 0, 63},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->m_iOldVersion = c.oldVersion;
        SKIN_ENTRY e{};
        form->ParseSkinEntry(e, SplitCommaList(c.value), c.sectionPage);
        EXPECT_EQ(std::wcslen(e.file), c.fileLength);
        EXPECT_EQ(e.hasLeft, c.hasLeft);
        EXPECT_EQ(e.hasTop, c.hasTop);
        EXPECT_EQ(e.hasWidth, c.hasWidth);
        EXPECT_EQ(e.hasHeight, c.hasHeight);
        if (c.hasLeft) {
            EXPECT_EQ(e.left, c.left);
        }
        if (c.hasTop) {
            EXPECT_EQ(e.top, c.top);
        }
        if (c.hasHeight) {
            EXPECT_EQ(e.height, c.height);
        }
        EXPECT_EQ(e.page, c.page);
    }
}

TEST_F(Skins, GeometryKeysTakeTheirValuesOrDefaults) {
    AddedFolder skin(Kit() + L"Skin\\1366x768\\Graphite", Kit() + L"Skin\\1366x768\\GeometryTest");
    const std::wstring ini = skin.path() + L"\\SkinSetting.ini";
    vt::SetThreeDPage(ini, true);  // a section after the slider key that names pictures
    Build();
    struct Case {
        const char* name;
        int oldVersion;
        const wchar_t* eqSlider;
        const wchar_t* center;
        int eqTop, eqHeight, x, y, r;
    };
    const Case cases[] = {
        {"given", 0, L"150,200", L"386,251,110", 150, 200, 386, 251, 110},
        {"given, old layout", 1, L"150,200", L"400,200,90", 254, 200, 792, 304, 90},
        {"missing", 0, nullptr, nullptr, 200, 120, 560, 251, 110},
        {"missing, old layout", 1, nullptr, nullptr, 304, 120, 560, 251, 110},
        {"too few numbers", 0, L"150", L"1,2", 200, 120, 560, 251, 110},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetIni(ini, L"EQ", L"EQSlider", c.eqSlider);
        SetIni(ini, L"Virtual7ch1", L"VirtualCenter", c.center);
        form->m_iOldVersion = c.oldVersion;
        form->m_iVirtualRadius = 77;
        form->LoadSkinSettingIni(L"GeometryTest");
        EXPECT_EQ(form->m_iEQSliderTop, c.eqTop);
        EXPECT_EQ(form->m_iEQSliderHeight, c.eqHeight);
        EXPECT_EQ(form->m_i3DSliderHeight, c.eqHeight);
        EXPECT_EQ(form->m_iVirtualCenterX, c.x);
        EXPECT_EQ(form->m_iVirtualCenterY, c.y);
        EXPECT_EQ(form->m_iVirtualRadius, c.r);
        EXPECT_EQ(form->m_iVirtualOldRadius, 77);
    }
    form->m_iOldVersion = 0;
    // A numeric key that is not a number stops the load there.
    SetIni(ini, L"EQ", L"EQSlider", L"top,120");
    EXPECT_THROW(form->LoadSkinSettingIni(L"GeometryTest"), ui::EConvertError);
    EXPECT_STRNE(form->SkinEntry(L"EQ12000HzBarDownImage").file, L"");
    EXPECT_STREQ(form->SkinEntry(L"Back_3DImage").file, L"");
}

TEST_F(Skins, BevelFlagsShowTheTabSeparators) {
    AddedFolder skin(Kit() + L"Skin\\1366x768\\Graphite", Kit() + L"Skin\\1366x768\\BevelTest");
    const std::wstring ini = skin.path() + L"\\SkinSetting.ini";
    Build();
    struct Case {
        const wchar_t *line, *line2, *line3;
        const char* shown;  // Bevel2 to Bevel7
    };
    const Case cases[] = {
        {L"0", L"0", L"0", "000000"}, {L"1", L"0", L"1", "111000"}, {L"0", L"1", L"0", "000100"},
        {L"0", L"1", nullptr, "000111"}, {L"0", L"2", L"0", "000111"}, {nullptr, L"1,0", L"1", "000111"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("BevelLine ") + (c.line ? vt::Narrow(c.line) : "-") + " " +
                     (c.line2 ? vt::Narrow(c.line2) : "-") + " " + (c.line3 ? vt::Narrow(c.line3) : "-"));
        SetIni(ini, L"Main", L"BevelLine", c.line);
        SetIni(ini, L"Main", L"BevelLine2", c.line2);
        SetIni(ini, L"Main", L"BevelLine3", c.line3);
        form->LoadSkinSettingIni(L"BevelTest");
        std::string shown;
        for (const wchar_t* b : {L"Bevel2", L"Bevel3", L"Bevel4", L"Bevel5", L"Bevel6", L"Bevel7"})
            shown += form->Bevel(b)->Visible() ? '1' : '0';
        EXPECT_EQ(shown, c.shown);
    }
}

TEST_F(Skins, LightingKeysComeFromTheSkinRootAndColoursSurviveASkinChange) {
    Build();
    EXPECT_EQ(form->m_iLEDPageMode, 1);  // only the kit's root files carry it
    EXPECT_EQ(form->m_iLEDFastRightSide, 1);
    ui::TShape* single = form->Shape(L"ColorSingleShape");
    EXPECT_EQ(single->Shape(), ui::stRoundSquare);
    EXPECT_EQ(single->Left(), 420);
    const ui::TColor defaults[] = {0x0000FF, 0x00FFFF, 0x008000, 0xFF0000, 0xFF00FF, 0x800080, 0x00FF00};
    for (int i = 0; i < 7; ++i) {
        wchar_t name[16];
        std::swprintf(name, 16, L"Color%02dShape", i + 1);
        EXPECT_EQ(form->Shape(name)->Brush().Color(), defaults[i]) << vt::Narrow(name);
        EXPECT_EQ(form->Shape(name)->Pen().Color(), 0u);
    }
    // A colour the user picked stays when the skin changes.
    form->m_LEDColor[2] = 0x123456;
    Choose(form->SkinMenu, 0);
    EXPECT_EQ(form->m_LEDColor[2], 0x123456u);
    EXPECT_EQ(form->Shape(L"Color01Shape")->Brush().Color(), 0x123456u);
    EXPECT_EQ(form->Shape(L"Color02Shape")->Brush().Color(), 0x00FFFFu);
}

// ---------------------------------------------------------------- applying

TEST_F(Skins, PicturesFollowTheStateOfTheirControls) {
    vt::ThreeDPage page(Kit() + L"Skin\\1366x768\\Graphite\\SkinSetting.ini");
    Build();
    struct Case {
        const char* name;
        std::function<void(TAudioMainForm*)> state;
        const wchar_t* image;
        const wchar_t* shown;  // "" for hidden
    };
    const Case cases[] = {
        {"EQ on", [](TAudioMainForm* f) { f->m_bEQEnable = 1; }, L"EQEQENImage", L"Graphite\\EQEQENImageDown.png"},
        {"EQ off", [](TAudioMainForm* f) { f->m_bEQEnable = 0; }, L"EQEQENImage", L"Graphite\\EQEQENImageUp.png"},
        {"preset 3", [](TAudioMainForm* f) { f->m_iEQPreset = 3; }, L"EQS3Image", L"Graphite\\EQS3ImageDown.png"},
        {"link after start-up", [](TAudioMainForm* f) { f->m_i3DAlphaLink = -1; }, L"D3AlphaImage",
         L"Graphite\\D3AlphaIndepImage.png"},
        {"inverted link", [](TAudioMainForm* f) { f->m_i3DBetaLink = 2; }, L"D3BetaImage",
         L"Graphite\\D3BetaInvImage.png"},
        {"theater", [](TAudioMainForm* f) { f->m_iEffect = 2; }, L"EffectPicImage",
         L"Graphite\\EffectPicTheaterImage.png"},
        {"lighting page", [](TAudioMainForm* f) { f->m_iCurrentPage = 6; }, L"PageLEDImage",
         L"Graphite\\PageLEDDownImage.png"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.state(form);
        form->ApplySkin();
        EXPECT_EQ(Shown(c.image), c.shown);
    }
    EXPECT_FALSE(form->Image(L"MainLeftImage")->Visible()) << "no left picture on the lighting page";
    form->m_iCurrentPage = 5;
    form->ApplySkin();
    EXPECT_FALSE(form->Image(L"MainLeftImage")->Visible()) << "page 5 keeps what the left picture had";
    EXPECT_EQ(Shown(L"PageLEDImage"), L"Graphite\\PageLEDUpImage.png");
    form->m_iCurrentPage = 2;
    form->ApplySkin();
    EXPECT_EQ(Shown(L"MainLeftImage"), L"Graphite\\MainLeftImage2.png");
    EXPECT_EQ(form->Image(L"MicProgressImage")->Width(), 0) << "the level bar starts empty";
    ui::TImage* logo = form->Image(L"LogoImage");
    EXPECT_FALSE(logo->AutoSize());
    EXPECT_EQ(logo->Width(), form->SkinEntry(L"LogoImage").width);
}

// A picture that cannot be shown stops the start, whichever page it
// belongs to: the window is not built.
TEST_F(Skins, ABadPictureOfAnyPageStopsTheStart) {
    const std::wstring skin = Kit() + L"Skin\\1366x768\\Graphite\\";
    struct Case {
        const char* name;
        const wchar_t* file;
        bool missing;  // else broken
        const wchar_t* message;
    };
    const Case cases[] = {
        {"broken, microphone page", L"MicBarImage.png", false, L"Bitmap image is not valid"},
        {"missing, ENC page", L"ENCSliderImage.png", true, L"Cannot open file"},
        {"broken, shown page", L"EQ60HzBarImage.png", false, L"Bitmap image is not valid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = skin + c.file;
        const std::string saved = vt::ReadFileBytes(path);
        if (c.missing) ::DeleteFileW(path.c_str());
        else vt::WriteFileBytes(path, "no picture");
        app = std::make_unique<ui::TApplication>();
        try {
            app->CreateForm(form);
            ADD_FAILURE() << "the window was built";
        } catch (const ui::Exception& e) {
            EXPECT_NE(e.Message().find(c.message), std::wstring::npos) << vt::Narrow(e.Message());
            EXPECT_NE(e.Message().find(c.file), std::wstring::npos) << vt::Narrow(e.Message());
        }
        EXPECT_EQ(form, nullptr);
        app.reset();
        vt::WriteFileBytes(path, saved);
    }
}

TEST_F(Skins, TheRegionFileShapesTheWindow) {
    const std::wstring rgn = Kit() + L"Skin\\1366x768\\Graphite\\MainForm_Frame.rgn";
    struct Case {
        const char* name;
        std::string bytes;
        bool shaped;
    };
    const Case cases[] = {
        {"the kit's region", vt::ReadFileBytes(rgn), true},
        {"a 600 x 400 box", RegionBytes(600, 400), true},
        {"truncated header", RegionBytes(600, 400, RDH_RECTANGLES, 32, 1, 20), false},
        {"wrong header size", RegionBytes(600, 400, RDH_RECTANGLES, 40), false},
        {"wrong type", RegionBytes(600, 400, 2), false},
        {"more rectangles than the file holds", RegionBytes(600, 400, RDH_RECTANGLES, 32, 1000), false},
        {"rectangles cut off", RegionBytes(600, 400, RDH_RECTANGLES, 32, 1, 40), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReplacedFile file(rgn, c.bytes);
        Build();
        RECT box{};
        const int type = ::GetWindowRgnBox(form->Handle(), &box);
        if (c.shaped) {
            ASSERT_NE(type, ERROR);
            RGNDATAHEADER h;
            std::memcpy(&h, c.bytes.data(), sizeof(h));
            EXPECT_EQ(box.right, h.rcBound.right);
            EXPECT_EQ(box.bottom, h.rcBound.bottom);
        } else {
            EXPECT_EQ(type, ERROR) << "no region: the window stays rectangular";
        }
        // The client area takes the background picture's size either way.
        EXPECT_EQ(form->ClientWidth(), 819);
        EXPECT_EQ(form->ClientHeight(), 513);
        Close();
    }
}

TEST_F(Skins, ANewCircleScalesTheSpeakerDistances) {
    Build();
    struct Case {
        const char* name;
        int oldRadius, radius;
        double factor;
    };
    const Case cases[] = {{"doubled", 110, 220, 2.0}, {"same", 110, 110, 1.0}, {"no old circle", 0, 110, 1.0},
                          {"circle of no size", 110, 0, 1.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->m_iVirtualCenterX = 400;
        form->m_iVirtualCenterY = 250;
        form->m_iVirtualOldRadius = c.oldRadius;
        form->m_iVirtualRadius = c.radius;
        for (SPEAKER_POS& s : form->m_Speaker) s = SPEAKER_POS{0.0f, 50.0};
        form->m_Speaker[2] = SPEAKER_POS{1.5707963f, 40.0};  // C, straight above
        form->RescaleSpeakerField();
        EXPECT_EQ(form->Image(L"VirtualLImage")->Left(), 400 + static_cast<int>(50 * c.factor));
        EXPECT_EQ(form->Image(L"VirtualLImage")->Top(), 250);
        EXPECT_EQ(form->Image(L"VirtualCImage")->Top(), 250 - static_cast<int>(40 * c.factor));
        EXPECT_EQ(form->m_Speaker[0].distance, 50.0) << "the records keep their distances";
    }
}

// ---------------------------------------------------------------- the panel on broken kits

class BrokenKit : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(vt::CopyTree(Kit(), dir.path()));
        ::CopyFileW(vt::BinPath(L"..\\VelloPanel.exe").c_str(), (dir / L"VelloPanel.exe").c_str(), FALSE);
        SetIni(dir / L"AudioConfig.cfg", L"Install", L"InstallFolderName", L"VelloSkinBrokenKit");
        ::CreateDirectoryW((AppData() + L"\\VelloSkinBrokenKit").c_str(), nullptr);
        const std::wstring user = AppData() + L"\\VelloSkinBrokenKit\\AudioConfig.cfg";
        SetIni(user, L"Language", L"DefaultLanguage", L"English");
        SetIni(user, L"Skin", L"DefaultSkin", L"Graphite");
    }
    vt::RunResult Run(bool& showed) {
        showed = false;
        return vt::RunDebugged(L"\"" + (dir / L"VelloPanel.exe") + L"\" -servicestart", 60000, [&](DWORD pid) {
            for (HWND w : vt::ProcessWindows(pid, true)) {
                if (vt::WindowClass(w) != L"TAudioMainForm" || showed) continue;
                showed = true;
                ::PostMessageW(w, WM_CLOSE, 0, 0);
            }
        });
    }
    vt::TempDir dir;
};

TEST_F(BrokenKit, ThePanelStartsAndSaysWhatIsWrong) {
    struct Case {
        const char* name;
        std::function<void(const std::wstring& kit)> breakIt;
        const wchar_t* line;
    };
    const Case cases[] = {
        {"truncated region file",
         [](const std::wstring& kit) {
             vt::WriteFileBytes(kit + L"Skin\\1366x768\\Graphite\\MainForm_Frame.rgn", RegionBytes(819, 513, 1, 32,
                                                                                                     1, 24));
         },
         L"MainForm_Frame.rgn not used: shorter than its header"},
        {"no language and no skin folder",
         [](const std::wstring& kit) {
             vt::RemoveTree(kit + L"Language");
             vt::RemoveTree(kit + L"Skin");
             ::CreateDirectoryW((kit + L"Language").c_str(), nullptr);
             ::CreateDirectoryW((kit + L"Skin").c_str(), nullptr);
             SetIni(kit + L"AudioConfig.cfg", L"Skin", L"RegionCut", L"0");
         },
         L"No skin folder in"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vt::RemoveTree(dir.path());
        SetUp();
        c.breakIt(dir.path());
        bool showed = false;
        vt::RunResult r = Run(showed);
        EXPECT_TRUE(showed);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_TRUE(r.DebugContains(c.line)) << vt::Narrow(r.DebugText());
    }
}

}  // namespace
