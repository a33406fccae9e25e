// VelloUninstall's program: the window, its message loop and the worker it
// starts. It reads no command line.
#pragma once

// The whole program after the C runtime's start-up; returns the exit code
// (0, also after an error box).
int UninstallMain();
