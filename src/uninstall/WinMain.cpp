#include <windows.h>

#include "uninstall/UninstallMain.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return UninstallMain(); }
