#include "DebugTrace.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>

namespace trace {
namespace {

// _vsnwprintf gives Microsoft semantics (%s is a wide string in wide
// formats) and reports truncation with -1 instead of overrunning.
std::wstring FormatV(const wchar_t* format, va_list args) {
    wchar_t buffer[kMaxLine];
    int n = _vsnwprintf(buffer, kMaxLine - 1, format, args);
    if (n < 0 || static_cast<size_t>(n) >= kMaxLine - 1) n = static_cast<int>(kMaxLine - 1);
    buffer[n] = L'\0';
    return std::wstring(buffer, static_cast<size_t>(n));
}

std::function<void(const std::wstring&)>& Observer() {
    static std::function<void(const std::wstring&)> observer;
    return observer;
}

void Write(const std::wstring& line) {
    ::OutputDebugStringW(line.c_str());
    if (Observer()) Observer()(line);
}

}  // namespace

void SetObserver(std::function<void(const std::wstring& line)> observer) { Observer() = std::move(observer); }

void Out(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring line = FormatV(format, args);
    va_end(args);
    Write(line);
}

void Text(const std::wstring& text) { Write(text.size() < kMaxLine ? text : text.substr(0, kMaxLine - 1)); }

std::wstring Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring s = FormatV(format, args);
    va_end(args);
    return s;
}

}  // namespace trace
