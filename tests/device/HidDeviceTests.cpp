// The chip-register protocol over the simulated HID device, and the moves
// between the EQ/3D records and the configuration image.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

#include "DeviceTestSupport.h"
#include "HidSimulation.h"
#include "panel/device/HidDevice.h"

namespace {

using devtest::Bytes;
using devtest::Hex;

constexpr WORD kVid = 0x2F7B;
constexpr WORD kPid = 0x731F;

EQ_PARAMS FlatEQ() {
    CHIP_DEFAULTS defaults;
    CONFIG_IMAGE image;
    InitChipDefaults(defaults, image);
    return defaults.eq;
}

std::vector<std::string> ReportsHex(const hidsim::Simulation& sim) {
    std::vector<std::string> out;
    for (const auto& r : sim.OutputReports()) out.push_back(Hex(r.bytes));
    return out;
}

// ---- records and the configuration image ----------------------------------

TEST(ChipRecords, FlatPresetPacksToItsBytesAndBack) {
    CONFIG_IMAGE image;
    image.fill(0xFF);
    const EQ_PARAMS flat = FlatEQ();
    const size_t at = EQPresetOffset(2);
    ASSERT_EQ(SetEQParamsToImage(at, flat, image), 0);
    std::vector<BYTE> packed(image.begin() + at, image.begin() + at + 16);
    EXPECT_EQ(Hex(packed), "00 04 40 00 04 40 00 E4 00 00 00 00 00 00 00 80");
    EXPECT_EQ(image[at - 1], 0xFF);
    EXPECT_EQ(image[at + 16], 0xFF);

    EQ_PARAMS back = {};
    ASSERT_EQ(GetEQParamsFromImage(at, back, image), 0);
    EXPECT_EQ(std::memcmp(back.wGain, flat.wGain, sizeof(flat.wGain)), 0);
    EXPECT_EQ(back.iFlagBit7, 1);
    EXPECT_EQ(back.iFlagBit5, 1);
    EXPECT_EQ(back.iFlagBit6, 1);
    EXPECT_EQ(back.iFlagBit4, 0);
    EXPECT_EQ(back.byImageValue, 0);
    EXPECT_EQ(back.iImageFlag, 1);
}

TEST(ChipRecords, PresetsRoundTripEveryField) {
    struct Case {
        const char* name;
        EQ_PARAMS eq;
        const char* bytes;
    };
    const Case cases[] = {
        {"extremes", {{0x200, 0x9FF, 0xFFF, 0x000, 0x123}, 0, 0, 0, 1, 0x7F, 0},
         "00 F2 9F FF 0F 00 23 11 00 00 00 00 00 00 7F 7F"},
        {"value with bit 7, last flag clear", {{1024, 1024, 1024, 1024, 1024}, 1, 0, 1, 0, 0x85, 0},
         "00 04 40 00 04 40 00 C4 00 00 00 00 00 00 85 05"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CONFIG_IMAGE image{};
        ASSERT_EQ(SetEQParamsToImage(EQPresetOffset(4), c.eq, image), 0);
        std::vector<BYTE> packed(image.begin() + EQPresetOffset(4), image.begin() + EQPresetOffset(4) + 16);
        EXPECT_EQ(Hex(packed), c.bytes);
        EQ_PARAMS back = {};
        GetEQParamsFromImage(EQPresetOffset(4), back, image);
        EXPECT_EQ(std::memcmp(back.wGain, c.eq.wGain, sizeof(back.wGain)), 0);
        EXPECT_EQ(back.iFlagBit7, c.eq.iFlagBit7);
        EXPECT_EQ(back.iFlagBit6, c.eq.iFlagBit6);
        EXPECT_EQ(back.iFlagBit5, c.eq.iFlagBit5);
        EXPECT_EQ(back.iFlagBit4, c.eq.iFlagBit4);
        EXPECT_EQ(back.byImageValue, c.eq.byImageValue);
        EXPECT_EQ(back.iImageFlag, c.eq.iImageFlag);
    }
}

TEST(ChipRecords, PresetOutsideTheImageIsRefused) {
    CONFIG_IMAGE image;
    image.fill(0xEE);
    EQ_PARAMS eq = FlatEQ();
    EXPECT_EQ(SetEQParamsToImage(kConfigImageSize - 15, eq, image), 1);
    EXPECT_EQ(GetEQParamsFromImage(kConfigImageSize, eq, image), 1);
    for (BYTE b : image) ASSERT_EQ(b, 0xEE);
    EXPECT_EQ(SetEQParamsToImage(kConfigImageSize - 16, eq, image), 0);
}

TEST(ChipRecords, ThreeDFlagsKeepTheOtherBits) {
    struct Case {
        BYTE before;
        int flag3D, flagFBM;
        BYTE after;
    };
    const Case cases[] = {{0xFB, 0, 0, 0x3B}, {0x3B, 1, 1, 0xFB}, {0x00, 0, 1, 0x40}, {0xFF, 1, 0, 0xBF}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "byte " << int(c.before) << " flags " << c.flag3D << c.flagFBM);
        CONFIG_IMAGE image{};
        image[161] = c.before;
        D3_PARAMS p = {c.flag3D, c.flagFBM, 12, 5, 3, 15};
        Set3DParamsToImage(image, p);
        EXPECT_EQ(image[161], c.after);
        EXPECT_EQ(image[231], 0xC5);
        EXPECT_EQ(image[232], 0x3F);
        D3_PARAMS back = {};
        Get3DParamsFromImage(image, back);
        EXPECT_EQ(back.i3DFlag, c.flag3D);
        EXPECT_EQ(back.iFBMFlag, c.flagFBM);
        EXPECT_EQ(back.byLeftAlpha, 12);
        EXPECT_EQ(back.byLeftBeta, 5);
        EXPECT_EQ(back.byRightAlpha, 3);
        EXPECT_EQ(back.byRightBeta, 15);
    }
}

TEST(ChipRecords, DefaultsSeedTheImage) {
    CHIP_DEFAULTS defaults = {};
    CONFIG_IMAGE image;
    image.fill(0xFF);
    InitChipDefaults(defaults, image);
    EXPECT_TRUE(std::equal(DefaultConfigTable.begin(), DefaultConfigTable.end(), image.begin()));
    EXPECT_EQ(image[256], 0xFF);
    EXPECT_EQ(Hex(std::vector<BYTE>(image.begin() + 24, image.begin() + 28)), "7B 2F 1B 73");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[34])), "USB PnP Audio Device");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[62])), "Halvex Sound Works Co.,Ltd.");
    D3_PARAMS d3 = {};
    Get3DDefaults(d3);
    EXPECT_EQ(d3.i3DFlag, 0);
    EXPECT_EQ(d3.iFBMFlag, 1);
    EXPECT_EQ(d3.byLeftAlpha, 10);
    EXPECT_EQ(d3.byLeftBeta, 3);
    EXPECT_EQ(d3.byRightAlpha, 10);
    EXPECT_EQ(d3.byRightBeta, 3);
    EQ_PARAMS eq = {};
    GetEQDefaults(defaults, eq);
    for (WORD g : eq.wGain) EXPECT_EQ(g, 1024);
    EXPECT_EQ(eq.iFlagBit7 && eq.iFlagBit5 && eq.iFlagBit6 && !eq.iFlagBit4 && eq.iImageFlag, true);
}

// ---- the register protocol on the simulated device ------------------------

class HidProtocol : public ::testing::Test {
protected:
    void Open(USHORT in = 65, USHORT out = 65) {
        dev = sim.AddHidDevice({kVid, kPid, in, out});
        hid = OpenHidDevice(kVid, kPid);
        ASSERT_TRUE(hid.valid());
        sim.ClearLog();
    }
    void TearDown() override {
        hid.reset();
        EXPECT_EQ(sim.OpenHandles(), 0);
        EXPECT_EQ(sim.OpenDeviceLists(), 0);
        EXPECT_EQ(sim.OpenPreparsedData(), 0);
    }
    hidsim::Simulation sim;
    int dev = -1;
    device::DeviceHandle hid;
};

TEST_F(HidProtocol, EQBlockSendsSelectAndWriteForEachRegister) {
    Open();
    EQ_PARAMS eq = FlatEQ();
    eq.wGain[0] = 0x9FF;
    ASSERT_EQ(HidWriteEQBlock(hid.get(), eq), 0);
    auto reports = sim.OutputReports();
    ASSERT_EQ(reports.size(), 20u);
    const std::vector<std::vector<BYTE>> first = {
        Bytes({0x00, 0x60, 0x20, 0x01, 0x10}, 65), Bytes({0x00, 0x60, 0xFF, 0x01, 0x20}, 65),
        Bytes({0x00, 0x60, 0x21, 0x01, 0x10}, 65), Bytes({0x00, 0x60, 0x09, 0x01, 0x20}, 65)};
    for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(Hex(reports[i].bytes), Hex(first[i])) << "report " << i;
    const BYTE expected[10] = {0xFF, 0x09, 0x00, 0x04, 0x00, 0x04, 0x00, 0x04, 0x00, 0x04 | 0x80 | 0x40 | 0x20};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(sim.Register(dev, WORD(0x120 + i)), expected[i]) << "register " << i;
}

TEST_F(HidProtocol, ReadWriteAndEmptyReport) {
    Open();
    sim.SetRegister(dev, 0x18A, 0x5C);
    BYTE value = 0;
    ASSERT_EQ(HidReadRegister(hid.get(), 0x18A, value), 0);
    EXPECT_EQ(value, 0x5C);
    ASSERT_EQ(HidWriteRegister(hid.get(), 0x100, 0x33), 0);
    EXPECT_EQ(sim.Register(dev, 0x100), 0x33);
    ASSERT_EQ(HidSendEmptyReport(hid.get()), 0);
    EXPECT_EQ(ReportsHex(sim),
              (std::vector<std::string>{Hex(Bytes({0, 0x60, 0x8A, 0x01, 0x10}, 65)),
                                        Hex(Bytes({0, 0x60, 0x00, 0x01, 0x10}, 65)),
                                        Hex(Bytes({0, 0x60, 0x33, 0x01, 0x20}, 65)), Hex(Bytes({}, 65))}));
}

TEST_F(HidProtocol, GpioLevelsTravelInTheirBits) {
    Open();
    const BYTE out[10] = {1, 0, 1, 0, 0, 0, 0, 1, 1, 0};
    ASSERT_EQ(HidSetGpioOutput(hid.get(), out), 0);
    EXPECT_EQ(Hex(sim.OutputReports().at(0).bytes), Hex(Bytes({0, 0x60, 0x85, 0xFF, 0x3D}, 65)));
    EXPECT_EQ(sim.GpioOutputs(dev), (std::array<BYTE, 10>{1, 0, 1, 0, 0, 0, 0, 1, 1, 0}));

    sim.ClearLog();
    sim.SetGpioInputs(dev, {0, 1, 0, 0, 1, 0, 0, 0, 0, 1});
    BYTE in[10] = {};
    ASSERT_EQ(HidGetGpioInput(hid.get(), in), 0);
    EXPECT_EQ(Hex(sim.OutputReports().at(0).bytes), Hex(Bytes({0, 0x60, 0, 0, 0x30}, 65)));
    EXPECT_EQ(Hex(std::vector<BYTE>(in, in + 10)), "00 01 00 00 01 00 00 00 00 01");
}

TEST_F(HidProtocol, ThreeDBlockKeepsTheOtherFBMBits) {
    Open();
    sim.SetRegister(dev, 0x18A, 0xF0);
    ASSERT_EQ(HidWrite3DBlock(hid.get(), {0, 1, 10, 3, 7, 15}), 0);
    EXPECT_EQ(sim.Register(dev, 0x18A), 0xF1);
    EXPECT_EQ(sim.Register(dev, 0x18B), 0xA3);
    EXPECT_EQ(sim.Register(dev, 0x18C), 0x7F);
    ASSERT_EQ(HidWrite3DBlock(hid.get(), {1, 0, 0, 0, 0, 0}), 0);
    EXPECT_EQ(sim.Register(dev, 0x18A), 0xF0);
}

TEST_F(HidProtocol, ThreeDSidesRefuseValuesAboveFifteen) {
    Open();
    struct Case {
        const char* name;
        std::function<int()> call;
        int result;
        WORD reg;
        BYTE value;
    };
    HANDLE h = hid.get();
    const Case cases[] = {
        {"left alpha 16", [&] { return HidWrite3DLeft(h, 16, 0); }, 1, 0, 0},
        {"right beta 16", [&] { return HidWrite3DRight(h, 0, 16); }, 1, 0, 0},
        {"left 15/15", [&] { return HidWrite3DLeft(h, 15, 15); }, 0, 0x18B, 0xFF},
        {"right 10/3", [&] { return HidWrite3DRight(h, 10, 3); }, 0, 0x18C, 0xA3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim.ClearLog();
        EXPECT_EQ(c.call(), c.result);
        if (c.result) {
            EXPECT_TRUE(sim.OutputReports().empty());
        } else {
            EXPECT_EQ(sim.Register(dev, c.reg), c.value);
        }
    }
}

// Short or missing reports: nothing is sent that the device cannot carry, and
// nothing is read beyond the input report.
TEST(HidReportLengths, UnusableReportsGiveTheirStepWithoutSending) {
    struct Case {
        const char* name;
        USHORT in, out;
        int (*call)(HANDLE);
        int result;
        size_t sent;
    };
    auto write = [](HANDLE h) { return HidWriteRegister(h, 0x120, 1); };
    // A failed read leaves the value alone; a good one reads byte 2 (the register holds 0).
    auto read = [](HANDLE h) {
        BYTE v = 0x77;
        int r = HidReadRegister(h, 0x120, v);
        if (r != 0) return v != 0x77 ? 99 : r;
        return v == 0 ? 0 : 98;
    };
    auto empty = [](HANDLE h) { return HidSendEmptyReport(h); };
    auto setGpio = [](HANDLE h) { const BYTE l[10] = {}; return HidSetGpioOutput(h, l); };
    auto getGpio = [](HANDLE h) { BYTE l[10] = {}; return HidGetGpioInput(h, l); };
    const Case cases[] = {
        {"write, output 4", 65, 4, write, 1, 0},
        {"read, output 4", 65, 4, read, 1, 0},
        {"set GPIO, output 4", 65, 4, setGpio, 2, 0},
        {"get GPIO, output 4", 65, 4, getGpio, 2, 0},
        {"empty report, output 4", 65, 4, empty, 0, 1},
        {"write, output 0", 65, 0, write, 1, 0},
        {"set GPIO, output 0", 65, 0, setGpio, 1, 0},
        {"get GPIO, output 0", 65, 0, getGpio, 1, 0},
        {"empty report, output 0", 65, 0, empty, 1, 0},
        {"read, input 0", 0, 65, read, 3, 1},
        {"read, input 2", 2, 65, read, 3, 1},
        {"read, input 3", 3, 65, read, 0, 1},
        {"read, input 4", 4, 65, read, 0, 1},
        {"read, input 5", 5, 65, read, 0, 1},
        {"get GPIO, input 0", 0, 65, getGpio, 4, 1},
        {"get GPIO, input 4", 4, 65, getGpio, 5, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        hidsim::Simulation sim;
        sim.AddHidDevice({kVid, kPid, c.in, c.out});
        device::DeviceHandle hid = OpenHidDevice(kVid, kPid);
        ASSERT_TRUE(hid.valid());
        EXPECT_EQ(c.call(hid.get()), c.result);
        EXPECT_EQ(sim.OutputReports().size(), c.sent);
        EXPECT_EQ(sim.CallCount(hidsim::Call::SetOutputReport), static_cast<int>(c.sent));
    }
}

TEST(HidFailures, EachFailingCallGivesTheNumberOfItsStep) {
    struct Case {
        const char* name;
        hidsim::Call call;
        int after;
        std::function<int(HANDLE)> run;
        int result;
    };
    const EQ_PARAMS eq = FlatEQ();
    auto write = [](HANDLE h) { return HidWriteRegister(h, 0x120, 1); };
    auto read = [](HANDLE h) { BYTE v; return HidReadRegister(h, 0x120, v); };
    auto eqBlock = [&](HANDLE h) { return HidWriteEQBlock(h, eq); };
    auto block3D = [](HANDLE h) { return HidWrite3DBlock(h, {1, 1, 1, 1, 1, 1}); };
    auto getGpio = [](HANDLE h) { BYTE l[10]; return HidGetGpioInput(h, l); };
    auto setGpio = [](HANDLE h) { const BYTE l[10] = {}; return HidSetGpioOutput(h, l); };
    using C = hidsim::Call;
    const Case cases[] = {
        {"write: no capabilities", C::GetCaps, 0, write, 1},
        {"write: select", C::SetOutputReport, 0, write, 2},
        {"write: value", C::SetOutputReport, 1, write, 3},
        {"read: no capability data", C::GetPreparsedData, 0, read, 1},
        {"read: select", C::SetOutputReport, 0, read, 2},
        {"read: input length", C::GetCaps, 1, read, 3},
        {"read: input report", C::GetInputReport, 0, read, 4},
        {"EQ: first register", C::SetOutputReport, 0, eqBlock, 1},
        {"EQ: fifth register", C::SetOutputReport, 9, eqBlock, 5},
        {"EQ: tenth register", C::SetOutputReport, 19, eqBlock, 10},
        {"3D: reading 0x18A", C::GetInputReport, 0, block3D, 1},
        {"3D: writing 0x18A", C::SetOutputReport, 2, block3D, 2},
        {"3D: writing 0x18B", C::SetOutputReport, 3, block3D, 3},
        {"3D: writing 0x18C", C::SetOutputReport, 5, block3D, 4},
        {"set GPIO: send", C::SetOutputReport, 0, setGpio, 3},
        {"get GPIO: request", C::SetOutputReport, 0, getGpio, 3},
        {"get GPIO: input report", C::GetInputReport, 0, getGpio, 6},
        {"empty report: send", C::SetOutputReport, 0, HidSendEmptyReport, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        hidsim::Simulation sim;
        sim.AddHidDevice();
        device::DeviceHandle hid = OpenHidDevice(kVid, kPid);
        ASSERT_TRUE(hid.valid());
        sim.Fail(c.call, 1, c.after);
        EXPECT_EQ(c.run(hid.get()), c.result);
        hid.reset();
        EXPECT_EQ(sim.OpenPreparsedData(), 0);
    }
}

// ---- finding the interface --------------------------------------------------

TEST(OpenHidDevice, OpensTheFirstPresentInterfaceWithTheIds) {
    hidsim::Simulation sim;
    int other = sim.AddHidDevice({0x2F7B, 0x7320});
    int gone = sim.AddHidDevice({kVid, kPid});
    int first = sim.AddHidDevice({kVid, kPid});
    int second = sim.AddHidDevice({kVid, kPid});
    sim.SetPresent(gone, false);
    {
        device::DeviceHandle hid = OpenHidDevice(kVid, kPid);
        ASSERT_TRUE(hid.valid());
        ASSERT_EQ(HidWriteRegister(hid.get(), 0x100, 0xAA), 0);
        EXPECT_EQ(sim.Register(first, 0x100), 0xAA);
        EXPECT_EQ(sim.Register(second, 0x100), 0x00);
        EXPECT_EQ(sim.Register(other, 0x100), 0x00);
        EXPECT_EQ(sim.OpenHandles(), 1) << "the interfaces that did not match are closed";
    }
    EXPECT_EQ(sim.OpenHandles(), 0);
    EXPECT_EQ(sim.OpenDeviceLists(), 0);
}

TEST(OpenHidDevice, GivesNoneWhenNothingMatchesOrTheListFails) {
    struct Case {
        const char* name;
        std::function<void(hidsim::Simulation&)> setUp;
    };
    const Case cases[] = {
        {"no interface", [](hidsim::Simulation&) {}},
        {"other product", [](hidsim::Simulation& s) { s.AddHidDevice({kVid, 0x731E}); }},
        {"list cannot be built", [](hidsim::Simulation& s) { s.AddHidDevice(); s.Fail(hidsim::Call::GetClassDevs); }},
        {"interface does not open", [](hidsim::Simulation& s) { s.AddHidDevice(); s.Fail(hidsim::Call::CreateFile); }},
        {"attributes unreadable", [](hidsim::Simulation& s) { s.AddHidDevice(); s.Fail(hidsim::Call::GetAttributes); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        hidsim::Simulation sim;
        c.setUp(sim);
        EXPECT_FALSE(OpenHidDevice(kVid, kPid).valid());
        EXPECT_EQ(sim.OpenHandles(), 0);
        EXPECT_EQ(sim.OpenDeviceLists(), 0);
    }
}

// ---- several threads ----------------------------------------------------------

// Writers, a reader and an EQ block on separate threads and handles: every
// select is followed by its own write or read, and a block stays whole.
TEST(HidConcurrency, SelectAndItsWriteOrReadAreNeverSplit) {
    hidsim::Simulation sim;
    int dev = sim.AddHidDevice();
    sim.SetRegister(dev, 0x500, 0x55);
    constexpr int kRounds = 400;
    std::atomic<int> badReads{0};
    auto writer = [](WORD base, BYTE value) {
        device::DeviceHandle hid = OpenHidDevice(kVid, kPid);
        for (int i = 0; i < kRounds; ++i) HidWriteRegister(hid.get(), WORD(base + i % 16), value);
    };
    std::thread a(writer, 0x300, 0x11);
    std::thread b(writer, 0x400, 0x22);
    std::thread reader([&] {
        device::DeviceHandle hid = OpenHidDevice(kVid, kPid);
        for (int i = 0; i < kRounds; ++i) {
            BYTE v = 0;
            if (HidReadRegister(hid.get(), 0x500, v) != 0 || v != 0x55) ++badReads;
        }
    });
    std::thread blocks([&] {
        device::DeviceHandle hid = OpenHidDevice(kVid, kPid);
        EQ_PARAMS eq = FlatEQ();
        for (int i = 0; i < kRounds / 20; ++i) HidWriteEQBlock(hid.get(), eq);
    });
    a.join();
    b.join();
    reader.join();
    blocks.join();

    EXPECT_EQ(badReads.load(), 0);
    auto reports = sim.OutputReports();
    for (size_t i = 0; i < reports.size(); ++i) {
        const auto& r = reports[i].bytes;
        if (r[4] != 0x10) continue;
        WORD reg = WORD(r[2] | r[3] << 8);
        if (reg == 0x500) continue;  // the reader's select: an input report follows
        ASSERT_LT(i + 1, reports.size());
        const auto& next = reports[i + 1].bytes;
        ASSERT_EQ(next[4], 0x20) << "select of " << std::hex << reg << " at " << std::dec << i << " split";
        if (reg >= 0x300 && reg < 0x310) {
            EXPECT_EQ(next[2], 0x11) << i;
        }
        if (reg >= 0x400 && reg < 0x410) {
            EXPECT_EQ(next[2], 0x22) << i;
        }
        if (reg == 0x120) {  // an EQ block: its twenty reports run together
            ASSERT_LE(i + 20, reports.size());
            for (int k = 0; k < 10; ++k)
                ASSERT_EQ(reports[i + 2 * k].bytes[2], 0x20 + k) << "block at " << i << " split at register " << k;
        }
    }
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(sim.Register(dev, WORD(0x300 + i)), 0x11);
        EXPECT_EQ(sim.Register(dev, WORD(0x400 + i)), 0x22);
    }
}

}  // namespace
