// Keeps wine's system processes (services.exe and the services it runs)
// alive for a whole test run. Ends by itself after three hours at the latest.
// It also asks for the desktop window, so wine starts the desktop process
// now, from this program with its output on /dev/null: started later by a
// test program, the desktop would inherit that test's output pipe and keep
// ctest waiting for it until every window of the run is gone.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ::GetDesktopWindow();
    ::Sleep(3 * 60 * 60 * 1000);
    return 0;
}
