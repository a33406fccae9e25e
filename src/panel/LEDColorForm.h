// The 48-colour picker: a borderless form of swatches with OK and Cancel; a
// caller reads m_ResultColor after it closed (0: none chosen).
#pragma once

#include <windows.h>

#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

class TLEDColorForm : public ui::TForm {
public:
    explicit TLEDColorForm(ui::TComponent* owner);
    ~TLEDColorForm() override;
    const wchar_t* ClassName() const override { return L"TLEDColorForm"; }

    ui::TGroupBox* ColorSettingGroupBox = nullptr;
    ui::TButton* LEDColorOKButton = nullptr;
    ui::TButton* LEDColorCancelButton = nullptr;

    ui::TColor m_ResultColor = 0;
    ui::TColor m_SelectedColor = 0;
    UINT m_iSelectedShape = 1;

    void OnShapeMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void LEDColorOKButtonClick(ui::TObject* Sender);
    void LEDColorCancelButtonClick(ui::TObject* Sender);
    void FormMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    // The last swatch with this Tag (none: null).
    ui::TShape* FindShapeByTag(int tag) const;
};
