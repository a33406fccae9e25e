#include <windows.h>

#include "setup/SetupMain.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return SetupMain(); }
