// File and colour dialogs and the plain message.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "Classes.h"
#include "Graphics.h"

namespace ui {

// What a file dialog is asked; the handler of tests answers it.
struct TFileDialogRequest {
    bool save = false;
    HWND owner = nullptr;
    std::wstring title;
    std::wstring filter;      // "Text (*.txt)|*.txt|All (*.*)|*.*"
    std::wstring initialDir;
    std::wstring defaultExt;
    std::wstring fileName;    // in: proposed name; out: the chosen file
};
using FileDialogHandler = std::function<bool(TFileDialogRequest& request)>;
using ColorDialogHandler = std::function<bool(HWND owner, TColor& color)>;

// Tests replace the system dialogs with these (an empty handler restores them).
void SetFileDialogHandler(FileDialogHandler handler);
void SetColorDialogHandler(ColorDialogHandler handler);

class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}
    const wchar_t* ClassName() const override { return L"TOpenDialog"; }

    const std::wstring& Filter() const { return filter_; }
    void SetFilter(const std::wstring& filter) { filter_ = filter; }
    const std::wstring& FileName() const { return fileName_; }
    void SetFileName(const std::wstring& name) { fileName_ = name; }
    const std::wstring& InitialDir() const { return initialDir_; }
    void SetInitialDir(const std::wstring& dir) { initialDir_ = dir; }
    const std::wstring& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const std::wstring& ext) { defaultExt_ = ext; }
    const std::wstring& Title() const { return title_; }
    void SetTitle(const std::wstring& title) { title_ = title; }

    // Shows the dialog; true when the user chose a file (now in FileName).
    virtual bool Execute();

protected:
    bool Run(bool save);

private:
    std::wstring filter_, fileName_, initialDir_, defaultExt_, title_;
};

class TSaveDialog : public TOpenDialog {
public:
    explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}
    const wchar_t* ClassName() const override { return L"TSaveDialog"; }
    bool Execute() override { return Run(true); }
};

class TColorDialog : public TComponent {
public:
    explicit TColorDialog(TComponent* owner) : TComponent(owner) {}
    const wchar_t* ClassName() const override { return L"TColorDialog"; }

    TColor Color() const { return color_; }
    void SetColor(TColor color) { color_ = color; }
    // Shows the dialog; true when the user chose a colour (now in Color).
    bool Execute();

private:
    TColor color_ = clBlack;
};

// A message box with only OK, titled with the application title.
void ShowMessage(const std::wstring& text);

// Filter text with '|' separators turned into the system's list of pairs.
std::wstring FilterToSystem(const std::wstring& filter);

}  // namespace ui
