#include <windows.h>

#include "panel/PanelStartup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return PanelMain(); }
