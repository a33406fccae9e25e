#include "Dialogs.h"

#include <commdlg.h>

#include <vector>

#include "Forms.h"

namespace ui {

namespace {
FileDialogHandler& FileHandler() {
    static FileDialogHandler handler;
    return handler;
}
ColorDialogHandler& ColorHandler() {
    static ColorDialogHandler handler;
    return handler;
}

HWND DialogOwner() {
    HWND active = ::GetActiveWindow();
    if (active && TWinControl::FromHandle(active)) return active;
    if (Application && Application->MainForm() && ::IsWindowVisible(Application->MainForm()->Handle()))
        return Application->MainForm()->Handle();
    return Application ? Application->Handle() : nullptr;
}

bool SystemFileDialog(TFileDialogRequest& request) {
    std::wstring filter = FilterToSystem(request.filter);
    std::vector<wchar_t> name(32768, L'\0');
    lstrcpynW(name.data(), request.fileName.c_str(), static_cast<int>(name.size()));
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = request.owner;
    ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = request.initialDir.empty() ? nullptr : request.initialDir.c_str();
    ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    ofn.lpstrDefExt = request.defaultExt.empty() ? nullptr : request.defaultExt.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
    BOOL ok = request.save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    if (ok) request.fileName = name.data();
    return ok != FALSE;
}

bool SystemColorDialog(HWND owner, TColor& color) {
    static COLORREF custom[16] = {};
    CHOOSECOLORW cc = {};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = owner;
    cc.rgbResult = ColorToRGB(color);
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT;
    if (!::ChooseColorW(&cc)) return false;
    color = cc.rgbResult;
    return true;
}
}  // namespace

void SetFileDialogHandler(FileDialogHandler handler) { FileHandler() = std::move(handler); }
void SetColorDialogHandler(ColorDialogHandler handler) { ColorHandler() = std::move(handler); }

std::wstring FilterToSystem(const std::wstring& filter) {
    if (filter.empty()) return std::wstring();
    std::wstring out = filter;
    for (wchar_t& c : out) {
        if (c == L'|') c = L'\0';
    }
    out.push_back(L'\0');
    out.push_back(L'\0');
    return out;
}

bool TOpenDialog::Execute() { return Run(false); }

bool TOpenDialog::Run(bool save) {
    TFileDialogRequest request;
    request.save = save;
    request.owner = DialogOwner();
    request.title = title_;
    request.filter = filter_;
    request.initialDir = initialDir_;
    request.defaultExt = defaultExt_;
    request.fileName = fileName_;
    bool ok = FileHandler() ? FileHandler()(request) : SystemFileDialog(request);
    if (ok) fileName_ = request.fileName;
    return ok;
}

bool TColorDialog::Execute() {
    TColor color = color_;
    bool ok = ColorHandler() ? ColorHandler()(DialogOwner(), color) : SystemColorDialog(DialogOwner(), color);
    if (ok) color_ = color;
    return ok;
}

void ShowMessage(const std::wstring& text) {
    if (Application) Application->MessageBox(text, Application->Title(), MB_OK);
    else ::MessageBoxW(nullptr, text.c_str(), L"", MB_OK);
}

}  // namespace ui
