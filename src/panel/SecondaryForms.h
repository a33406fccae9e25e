// The About form, the LED dialog, the simple-mode form and the colour picker.
#pragma once

#include "ui/Forms.h"

class TAboutForm : public ui::TForm {
public:
    explicit TAboutForm(ui::TComponent* owner) : ui::TForm(owner, L"TAboutForm") { SetName(L"AboutForm"); }
    const wchar_t* ClassName() const override { return L"TAboutForm"; }
};

class TLEDForm : public ui::TForm {
public:
    explicit TLEDForm(ui::TComponent* owner) : ui::TForm(owner, L"TLEDForm") { SetName(L"LEDForm"); }
    const wchar_t* ClassName() const override { return L"TLEDForm"; }
};

class TSimpleForm : public ui::TForm {
public:
    explicit TSimpleForm(ui::TComponent* owner) : ui::TForm(owner, L"TSimpleForm") { SetName(L"SimpleForm"); }
    const wchar_t* ClassName() const override { return L"TSimpleForm"; }
};

class TLEDColorForm : public ui::TForm {
public:
    explicit TLEDColorForm(ui::TComponent* owner) : ui::TForm(owner, L"TLEDColorForm") {
        SetName(L"LEDColorForm");
    }
    const wchar_t* ClassName() const override { return L"TLEDColorForm"; }
};
