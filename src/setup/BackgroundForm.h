// VelloSetup's background: a borderless window at the screen's top-left
// corner (full screen unless the settings give a size) that shows the
// maker's picture behind the wizard, or is see-through when none is set. It
// is the application's main form: closing it ends the program, and its show
// handler shows the wizard.
#pragma once

#include <string>

#include "ui/ExtCtrls.h"
#include "ui/Forms.h"

class TBackgroundForm : public ui::TForm {
public:
    explicit TBackgroundForm(ui::TComponent* owner);
    const wchar_t* ClassName() const override { return L"TBackgroundForm"; }

    ui::TImage* Image;

    void FormShow(ui::TObject* Sender);

    // The window's size from the settings: full screen unless both
    // BackgroundWidth and BackgroundHeight are set.
    void ReadBackgroundSize();
    // Steps of FormShow before the wizard shows: the picture named in the
    // settings, or the see-through window when none is named or the picture
    // cannot be loaded.
    void LoadBackground();
    void MakeTransparent();

    int m_iWidth = 0;
    int m_iHeight = 0;
    std::wstring m_ProgramFolder;
    std::wstring m_PictureFileName;
    std::wstring m_ResolutionFolder;

private:
    void FormClose(ui::TObject* Sender, ui::TCloseAction& Action);
};

// Where the background picture is taken from: the skin folder's resolution
// sub-folder (<programFolder><skinFolderName>\<resolutionFolder><fileName>)
// when the file is there, else the program folder itself.
std::wstring BackgroundPicturePath(const std::wstring& programFolder, const std::wstring& skinFolderName,
                                   const std::wstring& resolutionFolder, const std::wstring& fileName);

extern TBackgroundForm* BackgroundForm;
