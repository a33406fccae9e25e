// Framed diagnostic lines written to the debugger output.
#pragma once

#include <functional>
#include <string>

namespace trace {

// Longest line written in one piece, in characters; longer text is cut.
constexpr size_t kMaxLine = 1024;

// printf-style (wide, "%ls" for wide strings); the result is always cut to
// kMaxLine - 1 characters, never overrun.
void Out(const wchar_t* format, ...);

// Writes text as it stands (cut to kMaxLine - 1 characters).
void Text(const std::wstring& text);

// Formats like Out() into a string instead of the debugger.
std::wstring Format(const wchar_t* format, ...);

// Sees every line Out() and Text() write, after the debugger got it (tests
// read the lines of their own process this way). Empty by default; set it
// only while no other thread writes.
void SetObserver(std::function<void(const std::wstring& line)> observer);

}  // namespace trace
