// The About form, the LED dialog, the simple-mode form and the colour picker.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "panel/LEDColorForm.h"
#include "panel/LEDForm.h"
#include "shared/DeviceIdMgr.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

// The About box: the product's logo, a notice and a web address, which the
// main window replaces with the skin's and the language file's before each
// showing. A click on the address opens it with the user's handler.
class TAboutForm : public ui::TForm {
public:
    explicit TAboutForm(ui::TComponent* owner);
    const wchar_t* ClassName() const override { return L"TAboutForm"; }

    ui::TImage* LOGOKQImage = nullptr;
    ui::TLabel* AboutLabel = nullptr;
    ui::TLabel* WebLabel = nullptr;

    // Opens the web label's text when it is a web or mail address (http:,
    // https: or mailto:); any other text (a program's path, say) opens
    // nothing.
    void WebLabelClick(ui::TObject* Sender);

    // The shell call that opens the address: the system's by default; a test
    // puts its own in place to see the arguments.
    using ShellOpenCall = HINSTANCE(WINAPI*)(HWND window, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                             LPCWSTR folder, INT show);
    static ShellOpenCall ShellOpen;
};

// The simple-mode dialog: created at start-up and never shown. Its caption
// carries the program's file version.
class TSimpleForm : public ui::TForm {
public:
    explicit TSimpleForm(ui::TComponent* owner);
    ~TSimpleForm() override;
    const wchar_t* ClassName() const override { return L"TSimpleForm"; }

    ui::TImage* EffectImage = nullptr;
    ui::TRadioGroup* EffectModeRadioGroup = nullptr;

private:
    std::string m_Caption;  // the caption as 8-bit text
    std::wstring m_Version;
    std::unique_ptr<DEVICEID_MGR::CDeviceIdMgr> m_UsbIds, m_HidIds;
};
