// Timers, menus, the tray icon, dialogs, image lists, threads and the media
// player: none of them waits for a person in these tests.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "UiTestSupport.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/ImgList.h"
#include "ui/MPlayer.h"
#include "ui/Menus.h"
#include "ui/TrayIcon.h"

namespace {

TEST(Timer, TicksWhileEnabledAndStopsWhenDisabled) {
    ui::TApplication app;
    auto* timer = new ui::TTimer(&app);
    timer->SetInterval(20);
    timer->SetEnabled(false);
    int ticks = 0;
    timer->SetOnTimer([&](ui::TObject* sender) {
        EXPECT_EQ(timer, sender);
        ++ticks;
    });
    uitest::Pump(100);
    EXPECT_EQ(0, ticks);
    timer->SetEnabled(true);
    uitest::Pump(2000, [&] { return ticks >= 5; });
    EXPECT_GE(ticks, 5);
    timer->SetEnabled(false);
    int stopped = ticks;
    uitest::Pump(120);
    EXPECT_EQ(stopped, ticks);
    // Without a handler a timer does not run.
    auto* idle = new ui::TTimer(&app);
    idle->SetInterval(10);
    uitest::Pump(60);
}

class Menus : public ::testing::Test {
protected:
    ui::TApplication app;
    ui::TPopupMenu* menu = nullptr;
    ui::TMenuItem* Item(ui::TMenuItem& parent, const wchar_t* caption) {
        auto* item = new ui::TMenuItem(&app);
        item->SetCaption(caption);
        parent.Add(item);
        return item;
    }
    void SetUp() override { menu = new ui::TPopupMenu(&app); }
    void TearDown() override { ui::TPopupMenu::SetPopupHandler({}); }
};

TEST_F(Menus, CommandsRunTheirItemsWithAutoCheckAndRadioGroups) {
    auto* plugins = Item(menu->Items(), L"Plugin");
    std::vector<ui::TMenuItem*> radio;
    std::vector<std::wstring> clicked;
    for (const wchar_t* name : {L"Sound&Voice", L"Echo", L"Room"}) {
        auto* item = Item(*plugins, name);
        item->SetAutoCheck(true);
        item->SetRadioItem(true);
        item->OnClick = [&clicked](ui::TObject* s) { clicked.push_back(static_cast<ui::TMenuItem*>(s)->Caption()); };
        radio.push_back(item);
    }
    auto* toggle = Item(menu->Items(), L"Toggle");
    toggle->SetAutoCheck(true);
    auto* plain = Item(menu->Items(), L"Plain");

    // A command reaches its item through the application window.
    ::SendMessageW(app.Handle(), WM_COMMAND, radio[1]->Command(), 0);
    ::PostMessageW(app.Handle(), WM_COMMAND, radio[0]->Command(), 0);
    app.ProcessMessages();
    ::SendMessageW(app.Handle(), WM_COMMAND, toggle->Command(), 0);
    ::SendMessageW(app.Handle(), WM_COMMAND, plain->Command(), 0);
    struct Case {
        ui::TMenuItem* item;
        bool checked;
        const char* why;
    } cases[] = {
        {radio[0], true, "the last radio item clicked"},
        {radio[1], false, "unchecked by its neighbour"},
        {radio[2], false, "never clicked"},
        {toggle, true, "auto-check toggles"},
        {plain, false, "no auto-check"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(c.checked, c.item->Checked());
    }
    const std::vector<std::wstring> expected = {L"Echo", L"Sound&Voice"};
    EXPECT_EQ(expected, clicked);
    EXPECT_FALSE(ui::DispatchMenuCommand(0xEFFF));
}

TEST_F(Menus, TheBuiltMenuShowsTheItemsAsTheyAre) {
    auto* language = Item(menu->Items(), L"&Language");
    auto* english = Item(*language, L"English");
    english->SetChecked(true);
    english->SetRadioItem(true);
    Item(*language, L"Deutsch")->SetEnabled(false);
    Item(menu->Items(), L"-");
    auto* hidden = Item(menu->Items(), L"Plugin");
    hidden->SetVisible(false);
    auto* close = Item(menu->Items(), L"Close");
    win::Menu built = menu->CreateHandle();
    HMENU h = built.get();
    ASSERT_EQ(3, ::GetMenuItemCount(h));  // the hidden item is left out
    wchar_t text[64] = {};
    ::GetMenuStringW(h, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(L"&Language", text);
    EXPECT_TRUE(::GetMenuState(h, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(close->Command(), ::GetMenuItemID(h, 2));
    HMENU sub = ::GetSubMenu(h, 0);
    ASSERT_TRUE(sub != nullptr);
    EXPECT_EQ(2, ::GetMenuItemCount(sub));
    MENUITEMINFOW mii = {};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_STATE | MIIM_FTYPE;
    ::GetMenuItemInfoW(sub, 0, TRUE, &mii);
    EXPECT_TRUE(mii.fState & MFS_CHECKED);
    EXPECT_TRUE(mii.fType & MFT_RADIOCHECK);
    ::GetMenuItemInfoW(sub, 1, TRUE, &mii);
    EXPECT_TRUE(mii.fState & MFS_DISABLED);
    EXPECT_EQ(2, language->Count());
    EXPECT_EQ(1, language->IndexOf(language->Items(1)));
    language->Items(1)->Free();  // a freed item leaves its parent
    EXPECT_EQ(1, language->Count());
}

TEST_F(Menus, PopupGoesThroughTheHandlerOfTests) {
    auto* item = Item(menu->Items(), L"Close");
    int clicks = 0;
    item->OnClick = [&](ui::TObject*) { ++clicks; };
    POINT at = {};
    ui::TPopupMenu::SetPopupHandler([&](ui::TPopupMenu& m, int x, int y) {
        at = {x, y};
        ui::DispatchMenuCommand(m.Items().Items(0)->Command());
    });
    menu->Popup(120, 45);
    EXPECT_EQ(120, at.x);
    EXPECT_EQ(45, at.y);
    EXPECT_EQ(1, clicks);
}

struct ShellCall {
    DWORD message;
    std::wstring tip;
    bool hasIcon;
};

class Tray : public ::testing::Test {
protected:
    ui::TApplication app;
    ui::TForm* form = nullptr;
    std::vector<ShellCall> calls;
    void SetUp() override {
        ui::TCTrayIcon::SetNotifyIconHandler([this](DWORD message, const NOTIFYICONDATAW& data) {
            EXPECT_EQ(sizeof(NOTIFYICONDATAW), data.cbSize);
            calls.push_back({message, data.szTip, data.hIcon != nullptr});
            return TRUE;
        });
        app.CreateForm(form);
        form->Show();
    }
    void TearDown() override {
        ui::TCTrayIcon::SetNotifyIconHandler({});
        ui::TPopupMenu::SetPopupHandler({});
    }
};

TEST_F(Tray, ShowsRestoresAndOffersItsMenu) {
    vt::TempDir dir;
    vt::WriteFileBytes(dir / L"app.ico", vt::MakeIcoBytes(16, RGB(0, 0, 255)));
    ui::TIcon icon;
    icon.LoadFromFile(dir / L"app.ico");
    auto* images = new ui::TImageList(form);
    EXPECT_EQ(0, images->AddIcon(icon));
    EXPECT_EQ(1, images->AddIcon(icon));
    EXPECT_EQ(2, images->Count());
    EXPECT_TRUE(images->GetIcon(1));
    EXPECT_FALSE(images->GetIcon(2));
    auto* menu = new ui::TPopupMenu(form);
    auto* tray = new ui::TCTrayIcon(form);
    tray->SetIcons(images);
    tray->SetIconIndex(1);
    tray->SetHint(L"Vello hint");
    tray->SetHide(true);
    tray->SetPopupMenu(menu);
    int restores = 0;
    tray->OnRestore = [&](ui::TObject*) { ++restores; };
    EXPECT_TRUE(calls.empty());  // not visible yet
    tray->SetVisible(true);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), calls[0].message);
    EXPECT_EQ(L"Vello hint", calls[0].tip);
    EXPECT_TRUE(calls[0].hasIcon);

    // Minimising hides the main window: the program lives in the tray.
    tray->Minimize();
    EXPECT_FALSE(::IsWindowVisible(form->Handle()));
    // Double click restores it.
    ::SendMessageW(tray->Handle(), ui::TCTrayIcon::CallbackMessage(), 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(::IsWindowVisible(form->Handle()));
    EXPECT_EQ(1, restores);
    // Right button up opens the menu.
    int popups = 0;
    ui::TPopupMenu::SetPopupHandler([&](ui::TPopupMenu& m, int, int) {
        EXPECT_EQ(menu, &m);
        ++popups;
    });
    ::SendMessageW(tray->Handle(), ui::TCTrayIcon::CallbackMessage(), 1, WM_RBUTTONDOWN);
    EXPECT_EQ(0, popups);
    ::SendMessageW(tray->Handle(), ui::TCTrayIcon::CallbackMessage(), 1, WM_RBUTTONUP);
    EXPECT_EQ(1, popups);
    // The shell started again: the icon is added again.
    calls.clear();
    ::SendMessageW(tray->Handle(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), calls[0].message);
    calls.clear();
    tray->Free();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), calls[0].message);
}

TEST_F(Tray, WithoutVisibleTheIconShowsOnlyWhileMinimised) {
    auto* tray = new ui::TCTrayIcon(form);
    tray->Minimize();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), calls[0].message);
    EXPECT_TRUE(::IsWindowVisible(form->Handle()));  // Hide is off
    tray->Restore();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), calls[1].message);
}

TEST(Dialogs, ExecuteAsksTheHandlerAndKeepsTheAnswer) {
    ui::TApplication app;
    std::vector<ui::TFileDialogRequest> requests;
    bool answer = true;
    ui::SetFileDialogHandler([&](ui::TFileDialogRequest& r) {
        requests.push_back(r);
        r.fileName = L"C:\\Users\\x\\Profile1";
        return answer;
    });
    auto* save = new ui::TSaveDialog(&app);
    save->SetFileName(L"AudioSetting.ini");
    save->SetFilter(L"INI (*.ini)|*.ini");
    save->SetInitialDir(L"C:\\Users\\x");
    EXPECT_TRUE(save->Execute());
    EXPECT_EQ(L"C:\\Users\\x\\Profile1", save->FileName());
    auto* open = new ui::TOpenDialog(&app);
    answer = false;
    open->SetFileName(L"keep.ini");
    EXPECT_FALSE(open->Execute());
    EXPECT_EQ(L"keep.ini", open->FileName());
    ASSERT_EQ(2u, requests.size());
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(L"AudioSetting.ini", requests[0].fileName);
    EXPECT_EQ(L"INI (*.ini)|*.ini", requests[0].filter);
    EXPECT_EQ(L"C:\\Users\\x", requests[0].initialDir);
    EXPECT_FALSE(requests[1].save);
    ui::SetFileDialogHandler({});

    ui::SetColorDialogHandler([](HWND, ui::TColor& c) {
        EXPECT_EQ(ui::clRed, c);
        c = 15780518;
        return true;
    });
    ui::TColorDialog colors(nullptr);
    colors.SetColor(ui::clRed);
    EXPECT_TRUE(colors.Execute());
    EXPECT_EQ(15780518u, colors.Color());
    ui::SetColorDialogHandler({});

    EXPECT_EQ(std::wstring(L"INI (*.ini)\0*.ini\0All\0*.*\0\0", 27), ui::FilterToSystem(L"INI (*.ini)|*.ini|All|*.*"));
    EXPECT_EQ(L"", ui::FilterToSystem(L""));
}

TEST(Dialogs, ShowMessageIsAnOkBoxWithTheTitle) {
    ui::TApplication app;
    app.SetTitle(L"Panel");
    std::wstring text, caption;
    UINT flags = 0;
    app.SetMessageBoxHandler([&](HWND, const std::wstring& t, const std::wstring& c, UINT f) {
        text = t;
        caption = c;
        flags = f;
        return IDOK;
    });
    ui::ShowMessage(L"***** Open_DLLKQ_UsbAudio73xx, ret = 3 *****");
    EXPECT_EQ(L"***** Open_DLLKQ_UsbAudio73xx, ret = 3 *****", text);
    EXPECT_EQ(L"Panel", caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), flags);
}

class CountingThread : public ui::TThread {
public:
    explicit CountingThread(bool suspended) : TThread(suspended) {}
    std::atomic<int> runs{0};
    std::atomic<bool> sawTerminate{false};
    HANDLE go = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~CountingThread() override { ::CloseHandle(go); }

protected:
    void Execute() override {
        ++runs;
        ::WaitForSingleObject(go, 5000);
        sawTerminate = Terminated();
        ReturnValue = 7;
    }
};

TEST(Thread, RunsExecuteOnceAndReportsItsEnd) {
    auto* suspended = new CountingThread(true);
    suspended->AfterConstruction();
    ::Sleep(50);
    EXPECT_EQ(0, suspended->runs);
    suspended->Start();
    suspended->Terminate();
    ::SetEvent(suspended->go);
    EXPECT_EQ(7u, suspended->WaitFor());
    EXPECT_EQ(1, suspended->runs);
    EXPECT_TRUE(suspended->sawTerminate);
    EXPECT_TRUE(suspended->Finished());
    EXPECT_NE(0u, suspended->ThreadID());
    delete suspended;

    auto* never = new CountingThread(true);  // freed without ever running
    delete never;

    auto* running = new CountingThread(false);
    running->AfterConstruction();
    ::SetEvent(running->go);
    running->WaitFor();
    EXPECT_EQ(1, running->runs);
    delete running;
}

std::string SilentWave(int ms) {
    const unsigned rate = 8000, bytes = rate * static_cast<unsigned>(ms) / 1000;
    std::string w;
    auto put32 = [&](unsigned v) { for (int i = 0; i < 4; ++i) w.push_back(char((v >> (8 * i)) & 0xFF)); };
    auto put16 = [&](unsigned v) { for (int i = 0; i < 2; ++i) w.push_back(char((v >> (8 * i)) & 0xFF)); };
    w += "RIFF";
    put32(36 + bytes);
    w += "WAVEfmt ";
    put32(16);
    put16(1);  // PCM
    put16(1);  // mono
    put32(rate);
    put32(rate);
    put16(1);
    put16(8);
    w += "data";
    put32(bytes);
    w.append(bytes, char(0x80));
    return w;
}

TEST(MediaPlayer, OpensPlaysAndLoopsAWave) {
    vt::TempDir dir;
    ASSERT_TRUE(vt::WriteFileBytes(dir / L"bee.wav", SilentWave(300)));
    ui::TMediaPlayer player(nullptr);
    player.SetFileName(dir / L"bee.wav");
    player.Open();
    EXPECT_TRUE(player.IsOpen());
    EXPECT_NEAR(300, player.TrackLength(1), 2);
    EXPECT_NEAR(300, player.Length(), 2);
    player.Play();
    DWORD start = ::GetTickCount();
    while (player.Position() < player.TrackLength(1) && ::GetTickCount() - start < 3000) ::Sleep(10);
    EXPECT_EQ(player.TrackLength(1), player.Position());
    // At the end Play starts from the beginning again (how the sound loops);
    // the silent test device plays too fast to see the position pass by.
    EXPECT_NO_THROW(player.Play());
    start = ::GetTickCount();
    while (player.Position() < player.TrackLength(1) && ::GetTickCount() - start < 3000) ::Sleep(10);
    EXPECT_EQ(player.TrackLength(1), player.Position());
    player.Close();
    EXPECT_FALSE(player.IsOpen());
    EXPECT_EQ(0, player.Position());

    ui::TMediaPlayer missing(nullptr);
    missing.SetFileName(dir / L"missing.wav");
    EXPECT_THROW(missing.Open(), ui::EMCIDeviceError);
    EXPECT_THROW(missing.Play(), ui::EMCIDeviceError);
}

}  // namespace
