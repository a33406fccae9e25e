// The gallery's one form: every control of the layer.
#pragma once

#include <string>

#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/Menus.h"

class TGalleryForm : public ui::TForm {
public:
    // folder: where the pictures and sub-folders shown are made (ends in '\').
    TGalleryForm(ui::TComponent* owner, const std::wstring& folder);
    explicit TGalleryForm(ui::TComponent* owner) : TGalleryForm(owner, Folder()) {}
    const wchar_t* ClassName() const override { return L"TGalleryForm"; }

    // The folder the next form is built in.
    static std::wstring& Folder() {
        static std::wstring folder;
        return folder;
    }

    ui::TTimer* Timer = nullptr;
    ui::TPopupMenu* PopupMenu = nullptr;

private:
    void BuildLabels();
    void BuildPictures(const std::wstring& folder);
    void BuildShapes();
    void BuildWindowed(const std::wstring& folder);
    void BuildNonVisual();
};
