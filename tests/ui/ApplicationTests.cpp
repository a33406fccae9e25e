// The application object: message loop, the message hook, re-entrant
// message handling, modal forms, minimising, titles and the exception display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "UiTestSupport.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

namespace {

constexpr UINT kFirst = WM_APP + 1, kSecond = WM_APP + 2, kThrow = WM_APP + 3, kStop = WM_APP + 4;

// A form that handles messages of its own, as forms override WndProc and Dispatch.
class LoggingForm : public ui::TForm {
public:
    explicit LoggingForm(ui::TComponent* owner) : TForm(owner, L"TLoggingForm") {}
    std::vector<std::wstring> log;
    std::function<void(UINT)> onMessage;

protected:
    void WndProc(ui::TMessage& msg) override {
        if (msg.Msg >= kFirst && msg.Msg <= kStop) log.push_back(L"wndproc " + std::to_wstring(msg.Msg - WM_APP));
        TForm::WndProc(msg);
    }
    void Dispatch(ui::TMessage& msg) override {
        if (msg.Msg >= kFirst && msg.Msg <= kStop) {
            log.push_back(L"dispatch " + std::to_wstring(msg.Msg - WM_APP));
            if (msg.Msg == kThrow) throw ui::EConvertError(L"'x' is not a valid integer value");
            if (onMessage) onMessage(msg.Msg);
            msg.Result = 42;
            return;
        }
        TForm::Dispatch(msg);
    }
};

struct Box {
    std::wstring text, caption;
    UINT flags;
};

class Application : public ::testing::Test {
protected:
    ui::TApplication app;
    LoggingForm* form = nullptr;
    std::vector<Box> boxes;
    void SetUp() override {
        app.SetMessageBoxHandler([this](HWND, const std::wstring& text, const std::wstring& caption, UINT flags) {
            boxes.push_back({text, caption, flags});
            return IDOK;
        });
        app.CreateForm(form);
    }
};

TEST_F(Application, OnMessageSeesMessagesBeforeTheFormsHandlers) {
    app.OnMessage = [this](MSG& msg, bool& handled) {
        if (msg.message == kFirst) form->log.push_back(L"hook 1");
        if (msg.message == kSecond) {
            form->log.push_back(L"hook 2");
            handled = true;  // stops it here
        }
    };
    ::PostMessageW(form->Handle(), kFirst, 0, 0);
    ::PostMessageW(form->Handle(), kSecond, 0, 0);
    app.ProcessMessages();
    const std::vector<std::wstring> expected = {L"hook 1", L"wndproc 1", L"dispatch 1", L"hook 2"};
    EXPECT_EQ(expected, form->log);
    EXPECT_EQ(42, form->Perform(kFirst));  // Perform reaches the same handlers
}

TEST_F(Application, ProcessMessagesInsideAHandlerHandlesLaterMessages) {
    form->onMessage = [this](UINT msg) {
        if (msg != kFirst) return;
        ::PostMessageW(form->Handle(), kSecond, 0, 0);
        form->log.push_back(L"before");
        app.ProcessMessages();
        form->log.push_back(L"after");
    };
    ::PostMessageW(form->Handle(), kFirst, 0, 0);
    app.ProcessMessages();
    const std::vector<std::wstring> expected = {L"wndproc 1", L"dispatch 1", L"before", L"wndproc 2",
                                                L"dispatch 2", L"after"};
    EXPECT_EQ(expected, form->log);
}

TEST_F(Application, AnErrorInAHandlerIsShownAndTheProgramGoesOn) {
    app.SetTitle(L"Vello Title");
    LRESULT r = ::SendMessageW(form->Handle(), kThrow, 0, 0);
    EXPECT_EQ(0, r);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"'x' is not a valid integer value.", boxes[0].text);
    EXPECT_EQ(L"Vello Title", boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONSTOP), boxes[0].flags);
    EXPECT_EQ(42, form->Perform(kFirst));
}

TEST_F(Application, ShowExceptionEndsTheTextWithAPeriod) {
    struct Case {
        const wchar_t* message;
        const wchar_t* shown;
    } cases[] = {{L"Disk full", L"Disk full."}, {L"Done.", L"Done."}, {L"Why?", L"Why?."}, {L"", L""}};
    for (const Case& c : cases) {
        boxes.clear();
        app.ShowException(ui::Exception(c.message));
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(c.shown, boxes[0].text);
    }
}

TEST_F(Application, TitleIsTheHiddenApplicationWindowsText) {
    EXPECT_EQ(L"TApplication", vt::WindowClass(app.Handle()));
    EXPECT_FALSE(::IsWindowVisible(app.Handle()));
    app.SetTitle(L"Corvella Sound");
    EXPECT_EQ(L"Corvella Sound", vt::WindowText(app.Handle()));
    EXPECT_EQ(L"Corvella Sound", app.Title());
    EXPECT_EQ(form, app.MainForm());
}

TEST_F(Application, RunShowsTheMainFormAndEndsAtTerminate) {
    bool shown = false;
    form->OnShow = [&](ui::TObject*) { shown = true; };
    form->onMessage = [this](UINT msg) {
        if (msg == kStop) app.Terminate();
    };
    ::PostMessageW(form->Handle(), kStop, 0, 0);
    app.Run();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(app.Terminated());
    EXPECT_TRUE(::IsWindowVisible(form->Handle()));
}

TEST_F(Application, ClosingTheMainFormEndsTheProgramUnlessRefused) {
    ui::TCloseAction answer = ui::TCloseAction::caNone;
    int closes = 0;
    form->OnClose = [&](ui::TObject*, ui::TCloseAction& action) {
        ++closes;
        action = answer;
    };
    form->Show();
    ::SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(app.Terminated());
    answer = ui::TCloseAction::caHide;
    form->Close();
    EXPECT_TRUE(app.Terminated());
    EXPECT_EQ(2, closes);
}

TEST_F(Application, ShowModalReturnsTheModalResult) {
    form->Show();
    ui::TForm* dialog = nullptr;
    app.CreateForm(dialog);
    std::vector<std::wstring> log;
    dialog->OnClose = [&](ui::TObject*, ui::TCloseAction&) { log.push_back(L"close"); };
    auto* button = new ui::TButton(dialog);
    button->SetParent(dialog);
    button->OnClick = [&](ui::TObject*) {
        log.push_back(::IsWindowEnabled(form->Handle()) ? L"main enabled" : L"main disabled");
        dialog->SetModalResult(ui::mrOk);
    };
    ::PostMessageW(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(ui::mrOk, dialog->ShowModal());
    EXPECT_FALSE(dialog->Visible());
    EXPECT_TRUE(::IsWindowEnabled(form->Handle()));
    const std::vector<std::wstring> expected = {L"main disabled", L"close"};
    EXPECT_EQ(expected, log);

    // Close on a modal form cancels it; a refusal in OnClose keeps it open.
    log.clear();
    int refusals = 1;
    dialog->OnClose = [&](ui::TObject*, ui::TCloseAction& action) {
        log.push_back(L"close");
        if (refusals-- > 0) {
            action = ui::TCloseAction::caNone;
            ::PostMessageW(dialog->Handle(), WM_CLOSE, 0, 0);
        }
    };
    ::PostMessageW(dialog->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(ui::mrCancel, dialog->ShowModal());
    EXPECT_EQ(2u, log.size());
}

TEST_F(Application, MinimiseAndRestoreTheMainForm) {
    int minimised = 0, restored = 0;
    app.OnMinimize = [&](ui::TObject*) { ++minimised; };
    app.OnRestore = [&](ui::TObject*) { ++restored; };
    form->Show();
    // The system's minimise command of the main form minimises the application.
    ::SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(::IsIconic(form->Handle()));
    EXPECT_EQ(1, minimised);
    // A second copy restores the running one through its application window.
    ::SendMessageW(app.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(::IsIconic(form->Handle()));
    EXPECT_TRUE(::IsWindowVisible(form->Handle()));
    EXPECT_EQ(1, restored);
    form->Hide();
    app.Restore();
    EXPECT_TRUE(::IsWindowVisible(form->Handle()));
}

TEST_F(Application, FormEventsRunAroundCreationAndDestruction) {
    std::vector<std::wstring> log;
    struct Form : ui::TForm {
        std::vector<std::wstring>& log;
        Form(ui::TComponent* owner, std::vector<std::wstring>& l) : TForm(owner, L"TEventForm"), log(l) {
            OnCreate = [this](ui::TObject*) { log.push_back(L"create"); };
            OnDestroy = [this](ui::TObject*) { log.push_back(L"destroy " + std::to_wstring(ComponentCount())); };
            new ui::TLabel(this);
        }
    };
    auto* f = new Form(&app, log);
    f->AfterConstruction();
    HWND h = f->Handle();
    f->Free();
    const std::vector<std::wstring> expected = {L"create", L"destroy 1"};
    EXPECT_EQ(expected, log);
    EXPECT_FALSE(::IsWindow(h));
}

}  // namespace
