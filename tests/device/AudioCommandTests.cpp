// Audio-command blocks as the stand-in device library receives them.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "DeviceTestSupport.h"
#include "panel/device/AudioCommand.h"

namespace {

using devtest::Bytes;

TEST(AudioCommand, BlocksCarryTheirRequestAndZeroesElsewhere) {
    auto& lib = devtest::BoundLibrary();
    const BYTE params[10] = {0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9};
    BYTE state[8], enc[16];
    struct Case {
        const char* name;
        std::function<int()> call;
        std::vector<BYTE> block;
    };
    const Case cases[] = {
        {"ENC on", [] { return Qorv_AudioSetOnOff(4, 0, 1); }, Bytes({4, 0, 1, 0, 0, 0}, 234)},
        {"Timbrex off", [] { return Qorv_AudioSetOnOff(7, 0, 0); }, Bytes({7, 0}, 234)},
        {"value bytes little-endian", [] { return Qorv_AudioSetOnOff(4, 0, 0x11223344); }, Bytes({4, 0, 0x44, 0x33, 0x22, 0x11}, 234)},
        {"Timbrex parameters", [&] { return Qorv_AudioSetCommand(7, 2, params, 10); },
         Bytes({7, 2, 0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9}, 234)},
        {"ENC read-back", [&] { return Qorv_AudioGetAll(4, 8, state, 8, enc, 16); }, Bytes({4, 8}, 234)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lib.ClearLog();
        EXPECT_EQ(c.call(), 0);
        auto calls = lib.Calls("DLLKQ_AudioCommand");
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].args, "234");
        EXPECT_EQ(devtest::Hex(calls[0].bytes), devtest::Hex(c.block));
    }
}

TEST(AudioCommand, GetAllCopiesBothReplyPartsOnlyOnSuccess) {
    auto& lib = devtest::BoundLibrary();
    lib.Edit([](devlibsim::State& s) {
        for (int i = 2; i < 234; ++i) s.audioReply[4][i] = static_cast<BYTE>(i);
    });
    BYTE state[8], enc[16];
    std::memset(state, 0xEE, sizeof(state));
    std::memset(enc, 0xEE, sizeof(enc));
    lib.FailNext("DLLKQ_AudioCommand", 1, 5);
    EXPECT_EQ(Qorv_AudioGetAll(4, 8, state, 8, enc, 16), 5);
    for (BYTE b : state) EXPECT_EQ(b, 0xEE);
    for (BYTE b : enc) EXPECT_EQ(b, 0xEE);

    ASSERT_EQ(Qorv_AudioGetAll(4, 8, state, 8, enc, 16), 0);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(state[i], 2 + i);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(enc[i], 134 + i);
}

// A count larger than its part of the block is refused before the library is
// called, so nothing is read or written past the block or the caller's buffer.
TEST(AudioCommand, CountsBeyondTheBlockAreRefused) {
    auto& lib = devtest::BoundLibrary();
    static BYTE big[300];
    struct Case {
        const char* name;
        std::function<int()> call;
        int result;
    };
    const Case cases[] = {
        {"parameters 233", [] { return Qorv_AudioSetCommand(7, 2, big, 233); }, kAudioCommandRejected},
        {"parameters -1", [] { return Qorv_AudioSetCommand(7, 2, big, -1); }, kAudioCommandRejected},
        {"parameters without buffer", [] { return Qorv_AudioSetCommand(7, 2, nullptr, 4); }, kAudioCommandRejected},
        {"parameters 232", [] { return Qorv_AudioSetCommand(7, 2, big, 232); }, 0},
        {"first part 233", [] { return Qorv_AudioGetAll(4, 8, big, 233, big, 0); }, kAudioCommandRejected},
        {"second part 101", [] { return Qorv_AudioGetAll(4, 8, big, 0, big, 101); }, kAudioCommandRejected},
        {"both parts full", [] { return Qorv_AudioGetAll(4, 8, big, 232, big, 100); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lib.ClearLog();
        EXPECT_EQ(c.call(), c.result);
        EXPECT_EQ(lib.Calls().size(), c.result == 0 ? 1u : 0u);
    }
}

}  // namespace
