// Keeps wine's system processes (services.exe and the services it runs)
// alive for a whole test run. Ends by itself after three hours at the latest.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ::Sleep(3 * 60 * 60 * 1000);
    return 0;
}
