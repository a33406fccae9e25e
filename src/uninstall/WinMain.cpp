// VelloUninstall's entry point. The uninstaller's window and steps are not
// part of this build: it says so and ends with a failure code, removing
// nothing.
#include <windows.h>

namespace {
// Ended without removing anything.
constexpr int kUninstallNotBuilt = 5;
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ::MessageBoxW(nullptr, L"This build of VelloUninstall cannot remove the installation yet.", L"ERROR",
                  MB_OK | MB_ICONSTOP);
    return kUninstallNotBuilt;
}
