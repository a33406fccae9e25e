// Helpers shared by the device tests.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "DeviceLibControl.h"
#include "TestSupport.h"
#include "panel/device/DeviceLibrary.h"

namespace devtest {

// Binds the stand-in library beside the test program once per process and
// returns its control channel, with a clean log and device state.
inline devlibsim::LibraryControl& BoundLibrary() {
    static int result = Open_DLLKQ_UsbAudio73xx(kDeviceLibraryFileName);
    static devlibsim::LibraryControl control(devlibsim::LibraryControl::LoadedLibraryFolder());
    EXPECT_EQ(result, 0) << "binding the stand-in library beside the test program";
    EXPECT_TRUE(control.ok()) << "the stand-in library's control channel";
    control.Reset();
    return control;
}

inline std::string Hex(const std::vector<BYTE>& bytes) {
    std::string text;
    char b[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        wsprintfA(b, i ? " %02X" : "%02X", bytes[i]);
        text += b;
    }
    return text;
}

inline std::vector<BYTE> Bytes(std::initializer_list<int> values, size_t length = 0) {
    std::vector<BYTE> v;
    for (int x : values) v.push_back(static_cast<BYTE>(x));
    if (v.size() < length) v.resize(length, 0);
    return v;
}

}  // namespace devtest
