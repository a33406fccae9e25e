#include "SysUtils.h"

#include <windows.h>

#include <climits>
#include <cwctype>

namespace ui {
namespace {

int DigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

bool TryParse(const std::wstring& text, int& out) {
    size_t i = 0;
    while (i < text.size() && text[i] == L' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    int base = 10;
    if (i < text.size() && (text[i] == L'$' || text[i] == L'x' || text[i] == L'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    long long value = 0;
    for (; i < text.size(); ++i) {
        int d = DigitValue(text[i]);
        if (d < 0 || d >= base) return false;
        value = value * base + d;
        if (value > 0xFFFFFFFFLL) return false;
    }
    if (negative) value = -value;
    // Hexadecimal forms may name the full 32-bit pattern, as "$FFFFFFFF".
    if (base == 16 && value > INT_MAX) value -= 0x100000000LL;
    if (value < INT_MIN || value > INT_MAX) return false;
    out = static_cast<int>(value);
    return true;
}

}  // namespace

int StrToInt(const std::wstring& text) {
    int value = 0;
    if (!TryParse(text, value)) throw EConvertError(L"'" + text + L"' is not a valid integer value");
    return value;
}

int StrToIntDef(const std::wstring& text, int fallback) {
    int value = 0;
    return TryParse(text, value) ? value : fallback;
}

std::wstring IntToStr(long long value) { return std::to_wstring(value); }

std::wstring SysErrorMessage(unsigned long error) {
    wchar_t* buffer = nullptr;
    DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n ? std::wstring(buffer, n) : std::wstring();
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

}  // namespace ui
