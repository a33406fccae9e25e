// VelloPanelSim: VelloPanel's own program, with the simulated device of
// SimulatedDevice.h put behind the device layer before anything else runs.
// It takes VelloPanel's switches and runs from a folder laid out like an
// installed panel (the kit's files and the stand-in device library beside
// it). Never part of a delivery.
#include <windows.h>

#include <memory>

#include "SimulatedDevice.h"
#include "panel/PanelStartup.h"

namespace {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // A second copy only hands over to the first and ends: the first keeps
    // the one simulated device.
    HANDLE only = ::CreateMutexW(nullptr, FALSE, L"VelloPanelSim.Device");
    const bool first = only && ::GetLastError() != ERROR_ALREADY_EXISTS;
    std::unique_ptr<panelsim::SimulatedDevice> device;
    if (first) device = std::make_unique<panelsim::SimulatedDevice>(ProgramFolder());
    int result = PanelMain();
    device.reset();
    if (only) ::CloseHandle(only);
    return result;
}
