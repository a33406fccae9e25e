// The control panel's main window.
#pragma once

#include "ui/Forms.h"

class TAudioMainForm : public ui::TForm {
public:
    explicit TAudioMainForm(ui::TComponent* owner);
    const wchar_t* ClassName() const override { return L"TAudioMainForm"; }

    void FormActivate(ui::TObject* Sender);

    int m_bActivated = 0;
};
