#include <gtest/gtest.h>

#include <string>

#include "SharedFixtures.h"
#include "TestSupport.h"
#include "shared/DeviceIdMgr.h"

using namespace DEVICEID_MGR;

namespace {

std::string Decode64(const std::string& text, int& result, size_t size = 1024) {
    std::string out(size + 8, '#');
    size_t n = size;
    result = Base64Decode(text.data(), text.size(), reinterpret_cast<uint8_t*>(&out[0]), n);
    EXPECT_EQ(out.substr(size), std::string(8, '#')) << text << ": wrote past the size";
    return result == 0 ? out.substr(0, n) : std::string();
}

TEST(Base64, DecodesCharacters) {
    struct Case {
        char c;
        int result;
        int value;
    };
    const Case cases[] = {{'A', 0, 0},  {'Z', 0, 25}, {'a', 0, 26}, {'z', 0, 51}, {'0', 0, 52},
                          {'9', 0, 61}, {'+', 0, 62}, {'/', 0, 63}, {'=', 0, 64}, {' ', 1, 0},
                          {'-', 1, 0},  {'_', 1, 0},  {'\n', 1, 0}, {'\0', 1, 0}, {'\xC3', 1, 0}};
    for (const Case& c : cases) {
        uint8_t value = 0xEE;
        EXPECT_EQ(Base64DecodeChar(c.c, value), c.result) << "char " << static_cast<int>(c.c);
        if (c.result == 0) {
            EXPECT_EQ(value, c.value) << "char " << c.c;
        }
    }
}

TEST(Base64, DecodesTextAndRejectsBadInput) {
    struct Case {
        const char* name;
        std::string text;
        size_t size;
        int result;
        std::string bytes;
    };
    const Case cases[] = {
        {"three bytes", "TWFu", 1024, 0, "Man"},
        {"one pad", "TWE=", 1024, 0, "Ma"},
        {"two pads", "TQ==", 1024, 0, "M"},
        {"two groups", "TWFuTWFu", 1024, 0, "ManMan"},
        {"binary", "AP8A", 1024, 0, std::string("\x00\xFF\x00", 3)},
        {"empty", "", 1024, 1, ""},
        {"length not a multiple of 4", "TWF", 1024, 1, ""},
        {"blank inside", "TW u", 1024, 3, ""},
        {"line break inside", "TWFu\nTWF", 1024, 3, ""},
        {"URL-safe alphabet", "TW-u", 1024, 3, ""},
        {"output just large enough", "TWFuTWFu", 7, 0, "ManMan"},
        {"output too small", "TWFuTWFu", 6, 2, ""},
    };
    for (const Case& c : cases) {
        int result = -9;
        std::string bytes = Decode64(c.text, result, c.size);
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(bytes, c.bytes) << c.name;
    }
}

// The fixture's cipher text of an ID, as bytes.
std::string CipherBytes(const std::wstring& id) {
    std::string text = vt::Narrow(st::CipherOf(st::Entry(id)));
    int result = -1;
    return Decode64(text, result);
}

TEST(DesDecrypt, DecryptsWithTheKeyAndReportsEachFailure) {
    const std::string cipher = CipherBytes(st::kUsbPattern);
    ASSERT_EQ(cipher.size() % 8, 0u);
    const std::string plain = vt::Narrow(st::kUsbPattern);
    struct Case {
        const char* name;
        std::string data;
        size_t outSize;
        std::string key;
        int result;
    };
    const Case cases[] = {
        {"right key", cipher, 4096, "Pelvarno", 0},
        {"key longer than 8 uses its first 8", cipher, 4096, "PelvarnoXYZ", 0},
        {"shorter key is padded with zeros", cipher, 4096, "Pelvarn", 3},
        {"other key", cipher, 4096, "Otherkey", 3},
        {"length not a multiple of 8", cipher.substr(0, cipher.size() - 1), 4096, "Pelvarno", -1},
        {"output as large as the cipher text", cipher, cipher.size(), "Pelvarno", 0},
        {"output smaller than the cipher text", cipher, plain.size(), "Pelvarno", 4},
    };
    for (const Case& c : cases) {
        std::string out(4096, '\0');
        size_t size = c.outSize;
        EXPECT_EQ(DesDecrypt(reinterpret_cast<const uint8_t*>(c.data.data()), c.data.size(),
                             reinterpret_cast<uint8_t*>(&out[0]), size, c.key.data(), c.key.size()),
                  c.result)
            << c.name;
        if (c.result == 0) {
            EXPECT_EQ(out.substr(0, size), plain) << c.name;
        }
    }
}

TEST(DesDecrypt, DecodesEveryFixtureEntry) {
    for (const auto& entry : st::DeviceEntries()) {
        if (entry.first == st::TooLongPattern()) continue;
        std::string text = vt::Narrow(st::CipherOf(entry.second));
        uint8_t out[4096];
        size_t size = sizeof(out);
        ASSERT_EQ(DecodeDeviceIdCipher(text.data(), text.size(), out, size), 0) << vt::Narrow(entry.first);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(out), size), vt::Narrow(entry.first));
    }
}

TEST(DesDecrypt, DecodeDeviceIdCipherResults) {
    const std::string good = vt::Narrow(st::CipherOf(st::Entry(st::kHidPattern)));
    const std::string tooLong = vt::Narrow(st::CipherOf(st::Entry(st::TooLongPattern())));
    struct Case {
        const char* name;
        std::string text;
        int result;
    };
    const Case cases[] = {
        {"good", good, 0},
        {"not Base64", "@@@@", 1},
        {"decodes to more than 1023 bytes", tooLong, 1},
        {"Base64 of 3 bytes is no DES block", "TWFu", 2},
        {"wrong key", vt::Narrow(st::CipherOf(st::WrongKeyEntries().begin()->second)), 2},
    };
    for (const Case& c : cases) {
        uint8_t out[4096];
        size_t size = sizeof(out);
        EXPECT_EQ(DecodeDeviceIdCipher(c.text.data(), c.text.size(), out, size), c.result) << c.name;
    }
}

}  // namespace
