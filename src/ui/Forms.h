// Forms, the application object and the screen.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Controls.h"
#include "Graphics.h"
#include "SysUtils.h"

namespace ui {

enum class TFormBorderStyle { bsNone, bsSingle, bsDialog, bsSizeable };
enum class TPosition { poDesigned, poScreenCenter, poMainFormCenter };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum TModalResult : int { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrYes = IDYES, mrNo = IDNO };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

class TForm : public TWinControl {
public:
    // windowClass names the form's window class (by custom the form's class name).
    explicit TForm(TComponent* owner, const wchar_t* windowClass = L"TForm");
    ~TForm() override;
    const wchar_t* ClassName() const override { return L"TForm"; }

    void AfterConstruction() override;
    void BeforeDestruction() override;

    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientSize(int width, int height);
    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);
    void SetIcon(const TIcon& icon);

    void SetVisible(bool visible) override;
    void Close();
    void BringToFront();
    bool Active() const { return ::GetActiveWindow() == hwnd_ && hwnd_; }

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnActivate;
    TCloseEvent OnClose;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Paints the form's background and its windowless controls.
    virtual void PaintWindow(HDC dc);

private:
    void ApplyStyle();
    void PlaceOnScreen();
    void HandlePaint();

    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    TPosition position_ = TPosition::poDesigned;
    COLORREF color_ = ::GetSysColor(COLOR_BTNFACE);
    bool placed_ = false;
};

// Shows a message box; tests may replace it (see SetMessageBoxHandler).
using MessageBoxHandler = std::function<int(HWND owner, const std::wstring& text,
                                            const std::wstring& caption, UINT flags)>;

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* owner = nullptr);
    ~TApplication() override;
    const wchar_t* ClassName() const override { return L"TApplication"; }

    void Initialize() {}
    // Constructs a form owned by the application; the first becomes MainForm.
    template <typename T>
    void CreateForm(T*& reference) {
        reference = new T(this);
        if (!mainForm_) mainForm_ = reference;
        reference->AfterConstruction();
    }
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    void ProcessMessages();
    // Handles one message when one is waiting; false when the queue was empty.
    bool HandleMessage();

    TForm* MainForm() const { return mainForm_; }
    bool ShowMainForm() const { return showMainForm_; }
    void SetShowMainForm(bool show) { showMainForm_ = show; }

    // The hidden application window ("TApplication"); its text is the title.
    HWND Handle() const { return hwnd_; }
    std::wstring Title() const;
    void SetTitle(const std::wstring& title);
    TIcon& Icon() { return icon_; }
    void ApplyIcon();

    std::wstring ExeName() const;
    int ParamCount() const;
    std::wstring ParamStr(int index) const;

    void Minimize();
    void Restore();

    int MessageBox(const std::wstring& text, const std::wstring& caption, UINT flags);
    void ShowException(const Exception& e);
    void SetMessageBoxHandler(MessageBoxHandler handler) { messageBox_ = std::move(handler); }

    // Sees every message taken from the queue before it is dispatched.
    std::function<void(MSG& msg, bool& handled)> OnMessage;

private:
    static LRESULT CALLBACK AppWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Dispatch(MSG& msg);

    HWND hwnd_ = nullptr;
    TForm* mainForm_ = nullptr;
    bool showMainForm_ = true;
    bool terminated_ = false;
    TIcon icon_;
    MessageBoxHandler messageBox_;
    std::vector<std::wstring> params_;
};

class TScreen {
public:
    int Width() const { return ::GetSystemMetrics(SM_CXSCREEN); }
    int Height() const { return ::GetSystemMetrics(SM_CYSCREEN); }
    int PixelsPerInch() const;
};

extern TApplication* Application;
extern TScreen* Screen;

// Splits a command line the way ParamStr sees it: blanks separate, double
// quotes group and are removed. Element 0 is the program as written.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);

}  // namespace ui
