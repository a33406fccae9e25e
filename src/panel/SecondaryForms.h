// The About form, the LED dialog, the simple-mode form and the colour picker.
#pragma once

#include "panel/LEDColorForm.h"
#include "panel/LEDForm.h"
#include "ui/Forms.h"

class TAboutForm : public ui::TForm {
public:
    explicit TAboutForm(ui::TComponent* owner) : ui::TForm(owner, L"TAboutForm") { SetName(L"AboutForm"); }
    const wchar_t* ClassName() const override { return L"TAboutForm"; }
};

class TSimpleForm : public ui::TForm {
public:
    explicit TSimpleForm(ui::TComponent* owner) : ui::TForm(owner, L"TSimpleForm") { SetName(L"SimpleForm"); }
    const wchar_t* ClassName() const override { return L"TSimpleForm"; }
};
