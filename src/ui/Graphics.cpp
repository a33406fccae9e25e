#include "Graphics.h"

#include "SysUtils.h"

namespace ui {

void TIcon::LoadFromFile(const std::wstring& path) {
    win::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        DWORD error = ::GetLastError();
        throw EFOpenError(L"Cannot open file \"" + path + L"\". " + SysErrorMessage(error));
    }
    file.reset();
    auto load = [&](int cx, int cy) {
        return static_cast<HICON>(::LoadImageW(nullptr, path.c_str(), IMAGE_ICON, cx, cy, LR_LOADFROMFILE));
    };
    HICON big = load(::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
    if (!big) throw EInvalidGraphic(L"Icon image is not valid");
    HICON small = load(::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON));
    Assign(big, small);
}

void TIcon::Assign(HICON big, HICON small) {
    icon_.reset(big);
    small_.reset(small);
}

}  // namespace ui
