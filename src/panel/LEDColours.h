// What the lighting page, the LED dialog and the colour picker share: a
// colour's red, green and blue (TColor 0x00BBGGRR), the pen that marks the
// chosen colour shape, and the lookup of a form's component by Tag.
#pragma once

#include <windows.h>

#include <cwchar>

#include "ui/ExtCtrls.h"

namespace led {

constexpr ui::TColor kSelectedPen = 15780518;  // R 166, G 202, B 240

inline BYTE Red(ui::TColor c) { return static_cast<BYTE>(c & 0xFF); }
inline BYTE Green(ui::TColor c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
inline BYTE Blue(ui::TColor c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

// The selection pen goes from previous (when there is one) to chosen.
inline void MoveSelectionPen(ui::TShape* previous, ui::TShape* chosen, int width) {
    if (previous) {
        previous->Pen().SetColor(0);
        previous->Pen().SetWidth(1);
    }
    chosen->Pen().SetColor(kSelectedPen);
    chosen->Pen().SetWidth(width);
}

// The last component of owner with this Tag and class name (none: null).
template <typename T>
T* FindByTag(const ui::TComponent* owner, int tag, const wchar_t* className) {
    for (int i = owner->ComponentCount() - 1; i >= 0; --i) {
        ui::TComponent* c = owner->Components(i);
        if (c->Tag() == tag && std::wcscmp(c->ClassName(), className) == 0) return static_cast<T*>(c);
    }
    return nullptr;
}

}  // namespace led
