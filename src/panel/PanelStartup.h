// VelloPanel's entry point: service hand-off, single instance, forms.
#pragma once

#include <string>

// The whole program after the C runtime's start-up; always returns 0.
int PanelMain();

// Loads the application icon named by [Install] InstallIconFileName of the
// AudioConfig.cfg beside the program. Raises when the icon cannot be loaded.
void SetApplicationIcon();

// Name of the service that starts the user interface for us.
constexpr wchar_t kPanelServiceName[] = L"VelloService";
// One copy per desktop log-on.
constexpr wchar_t kPanelMutexName[] = L"{196BFF53-13AC-4BB7-8F82-D7E5E55E19F7}";
