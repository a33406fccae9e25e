// VelloSetup's entry point.
#pragma once

#include <cstddef>

// Longest path of the running program that the installer accepts.
constexpr size_t kLongestSetupPath = 180;

// The whole program after the C runtime's start-up; returns the exit code
// (SetupExitCode, or the code of a failed install step).
int SetupMain();
