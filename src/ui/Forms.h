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

using TBorderIcons = unsigned;
constexpr TBorderIcons biSystemMenu = 1, biMinimize = 2, biMaximize = 4;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

class TForm : public TCustomControl {
public:
    // windowClass names the form's window class (by custom the form's class name).
    explicit TForm(TComponent* owner, const wchar_t* windowClass = L"TForm");
    ~TForm() override;
    const wchar_t* ClassName() const override { return L"TForm"; }

    void AfterConstruction() override;
    void BeforeDestruction() override;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons icons);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    void SetClientSize(int width, int height);
    void SetClientWidth(int width) { SetClientSize(width, ClientHeight()); }
    void SetClientHeight(int height) { SetClientSize(ClientWidth(), height); }
    // The form's icon; changing it changes the window's icon.
    TIcon& Icon() { return icon_; }
    void SetIcon(const TIcon& icon);

    // Colour-key transparency: pixels of TransparentColorValue are see-through.
    bool TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(bool value);
    TColor TransparentColorValue() const { return transparentColorValue_; }
    void SetTransparentColorValue(TColor color);
    // Gives the window a shape; the window owns the region from then on.
    // A null region makes it rectangular again.
    void SetWindowRegion(HRGN region);

    void SetVisible(bool visible) override;
    void Close();
    void Release();
    // Shows the form and handles messages until ModalResult is set (by the
    // form's code or by Close), then hides it; other windows of the program
    // are disabled meanwhile.
    int ShowModal();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    bool Modal() const { return modal_; }
    void BringToFront() override;
    bool Active() const { return hwnd_ && ::GetActiveWindow() == hwnd_; }

    TNotifyEvent OnCreate;
    // Runs when the form is freed; an error it raises is shown by the
    // standard exception display and goes no further.
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TCloseEvent OnClose;

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& msg) override;
    void ColorChanged() override;

private:
    // OnClose under the standard exception display; false when it raised.
    bool RunOnClose(TCloseAction& action);
    void ApplyStyle();
    void ApplyLayered();
    void PlaceOnScreen();
    void UpdateBounds();
    HWND DefaultButton() const;

    const wchar_t* windowClass_;
    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TPosition position_ = TPosition::poDesigned;
    TIcon icon_;
    bool transparentColor_ = false;
    TColor transparentColorValue_ = clBlack;
    bool placed_ = false;
    bool modal_ = false;
    int modalResult_ = mrNone;
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
    // Handles every waiting message, then returns; may be called from any
    // handler (also from one that this call itself runs).
    void ProcessMessages();
    // Handles one message when one is waiting; false when the queue was empty.
    bool HandleMessage();

    TForm* MainForm() const { return mainForm_; }
    bool ShowMainForm() const { return showMainForm_; }
    void SetShowMainForm(bool show) { showMainForm_ = show; }
    bool MainFormOnTaskBar() const { return mainFormOnTaskBar_; }
    void SetMainFormOnTaskBar(bool value) { mainFormOnTaskBar_ = value; }

    // The hidden application window ("TApplication"); its text is the title.
    HWND Handle() const { return hwnd_; }
    std::wstring Title() const;
    void SetTitle(const std::wstring& title);
    // The application's icon; changing it changes the application window's.
    TIcon& Icon() { return icon_; }
    void ApplyIcon();

    std::wstring ExeName() const;
    int ParamCount() const;
    std::wstring ParamStr(int index) const;

    // Minimises the main form (OnMinimize follows); Restore shows and raises
    // it again (OnRestore follows).
    void Minimize();
    void Restore();
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

    int MessageBox(const std::wstring& text, const std::wstring& caption, UINT flags);
    // The standard exception display: the message in a stop box titled with
    // the application title.
    void ShowException(const Exception& e);
    void SetMessageBoxHandler(MessageBoxHandler handler) { messageBox_ = std::move(handler); }

    // Sees every message taken from the queue before it is dispatched;
    // setting handled stops it there.
    std::function<void(MSG& msg, bool& handled)> OnMessage;

private:
    static LRESULT CALLBACK AppWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Dispatch(MSG& msg);

    HWND hwnd_ = nullptr;
    TForm* mainForm_ = nullptr;
    bool showMainForm_ = true;
    bool mainFormOnTaskBar_ = false;
    bool terminated_ = false;
    TIcon icon_;
    MessageBoxHandler messageBox_;
    std::vector<std::wstring> params_;
};

class TScreen {
public:
    int Width() const { return ::GetSystemMetrics(SM_CXSCREEN); }
    int Height() const { return ::GetSystemMetrics(SM_CYSCREEN); }
    int PixelsPerInch() const { return ScreenPixelsPerInch(); }
};

extern TApplication* Application;
extern TScreen* Screen;

// Splits a command line the way ParamStr sees it: blanks separate, double
// quotes group and are removed. Element 0 is the program as written.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);

// Creates a control owned by owner, named and placed on parent.
template <typename T>
T* PlaceControl(TComponent* owner, TWinControl* parent, const wchar_t* name, int left, int top, int width,
                int height) {
    T* control = new T(owner);
    control->SetName(name);
    control->SetBounds(left, top, width, height);
    control->SetParent(parent);
    return control;
}

// Enables or greys the Close command of a window's system menu.
void EnableCloseCommand(HWND window, bool enabled);

// Waits for a thread to end while still answering the messages that other
// threads send to this one's windows (a worker's message box, owned by a
// window of this thread, needs them).
void WaitAnsweringSentMessages(HANDLE thread);

}  // namespace ui
