// Exceptions and conversions of the user-interface layer.
#pragma once

#include <stdexcept>
#include <string>

namespace ui {

// Base of every error the layer raises; Message() is what the standard
// exception display shows.
class Exception : public std::exception {
public:
    explicit Exception(std::wstring message) : message_(std::move(message)) {}
    const std::wstring& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return "ui::Exception"; }
    virtual const wchar_t* ClassName() const noexcept { return L"Exception"; }

private:
    std::wstring message_;
};

class EConvertError : public Exception {
public:
    using Exception::Exception;
    const wchar_t* ClassName() const noexcept override { return L"EConvertError"; }
};

class EFOpenError : public Exception {
public:
    using Exception::Exception;
    const wchar_t* ClassName() const noexcept override { return L"EFOpenError"; }
};

class EOutOfResources : public Exception {
public:
    using Exception::Exception;
    const wchar_t* ClassName() const noexcept override { return L"EOutOfResources"; }
};

// Whole text must be an integer: optional blanks, optional sign, then decimal
// digits, or "$", "x"/"X" or "0x"/"0X" followed by hexadecimal digits. Anything else,
// the empty text or an out-of-range value raises EConvertError
// ("'<text>' is not a valid integer value").
int StrToInt(const std::wstring& text);

// As StrToInt, but returns fallback instead of raising.
int StrToIntDef(const std::wstring& text, int fallback);

std::wstring IntToStr(long long value);

// The system's text for a Win32 error code, without the trailing line end.
std::wstring SysErrorMessage(unsigned long error);

}  // namespace ui

namespace ui {
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
    const wchar_t* ClassName() const noexcept override { return L"EInvalidOperation"; }
};
class EInOutError : public Exception {
public:
    using Exception::Exception;
    const wchar_t* ClassName() const noexcept override { return L"EInOutError"; }
};
class EMCIDeviceError : public Exception {
public:
    using Exception::Exception;
    const wchar_t* ClassName() const noexcept override { return L"EMCIDeviceError"; }
};
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
    const wchar_t* ClassName() const noexcept override { return L"EInvalidGraphic"; }
};
class EResNotFound : public Exception {
public:
    using Exception::Exception;
    const wchar_t* ClassName() const noexcept override { return L"EResNotFound"; }
};
}  // namespace ui
