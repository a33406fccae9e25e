// Random and mutated INI files: the reader must never crash and never read
// outside the bytes it is given. Each input is placed so that it ends right
// at an inaccessible page: a read past the data faults at once.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "SharedFixtures.h"
#include "TestSupport.h"
#include "shared/IniMgr.h"

using namespace REGINI_MGR;

namespace {

// Read-write pages followed by one page without access.
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t capacity) {
        SYSTEM_INFO info;
        ::GetSystemInfo(&info);
        page_ = info.dwPageSize;
        usable_ = (capacity + page_ - 1) / page_ * page_;
        base_ = static_cast<uint8_t*>(
            ::VirtualAlloc(nullptr, usable_ + page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        if (base_) ::VirtualProtect(base_ + usable_, page_, PAGE_NOACCESS, &old);
    }
    ~GuardedBuffer() {
        if (base_) ::VirtualFree(base_, 0, MEM_RELEASE);
    }
    bool ok() const { return base_ != nullptr; }
    // Copies bytes so that their last byte is the last accessible one.
    uint8_t* Place(const std::string& bytes) {
        uint8_t* start = base_ + usable_ - bytes.size();
        if (!bytes.empty()) std::memcpy(start, bytes.data(), bytes.size());
        return start;
    }
    size_t capacity() const { return usable_; }

private:
    uint8_t* base_ = nullptr;
    size_t page_ = 4096;
    size_t usable_ = 0;
};

std::string Marks(int encoding) { return st::Encode(encoding, L"", true); }

// Valid files of every encoding to mutate.
std::vector<std::string> Corpus() {
    const std::wstring text =
        L"; settings\r\n[USB_VID_PID]\r\n1=USB\\VID_2F7B&PID_73XX,abc=\r\n[HID_VID_PID]\n"
        L"k = v \n[\u00e9\u20ac]\nx=\u00fc\n";
    std::vector<std::string> corpus;
    for (int e = 0; e <= 5; ++e) corpus.push_back(st::Encode(e, text));
    corpus.push_back(std::string("\xEF\xBB\xBF[S]\nk=\xF0\x9F\x98\x80\n"));
    return corpus;
}

class Fuzzer {
public:
    explicit Fuzzer(uint32_t seed) : rng_(seed) {}
    uint32_t Next(uint32_t bound) { return bound ? rng_() % bound : 0; }

    std::string Random() {
        std::string bytes = Marks(static_cast<int>(Next(6)));
        const size_t n = Next(700);
        // Mostly bytes that matter to the reader, some of any value.
        static const char kInteresting[] = "[]=;\r\n \x00\x80\xBF\xC3\xE2\xF0\xFC\xFE\xFF";
        for (size_t i = 0; i < n; ++i) {
            bytes += Next(3) == 0 ? static_cast<char>(Next(256))
                                  : kInteresting[Next(sizeof(kInteresting) - 1)];
        }
        return bytes;
    }

    std::string Mutate(std::string bytes) {
        const uint32_t steps = 1 + Next(4);
        for (uint32_t s = 0; s < steps; ++s) {
            const size_t at = Next(static_cast<uint32_t>(bytes.size() + 1));
            switch (Next(5)) {
                case 0:  // flip a bit
                    if (at < bytes.size()) bytes[at] = static_cast<char>(bytes[at] ^ (1 << Next(8)));
                    break;
                case 1:  // insert a byte
                    bytes.insert(at, 1, static_cast<char>(Next(256)));
                    break;
                case 2:  // delete a run
                    if (at < bytes.size()) bytes.erase(at, 1 + Next(8));
                    break;
                case 3:  // cut the end off
                    bytes.resize(at);
                    break;
                case 4:  // repeat a run
                    if (at < bytes.size()) bytes.insert(at, bytes.substr(at, 1 + Next(16)));
                    break;
            }
        }
        return bytes;
    }

private:
    std::mt19937 rng_;
};

// Runs the reader's steps on one input; returns the decode result.
int Decode(GuardedBuffer& guard, const std::string& bytes, CIniMgr& mgr) {
    mgr.Clear();
    size_t length = bytes.size();
    uint8_t* text = mgr.DetectEncoding(guard.Place(bytes), length);
    int result = mgr.DecodeLines(text, length);
    if (result == 0) {
        EXPECT_EQ(mgr.Parse(), 0);
    }
    return result;
}

void CheckResult(const CIniMgr& mgr, int result, size_t index) {
    EXPECT_TRUE(result >= 0 && result <= 3) << "input " << index << ": result " << result;
    for (const std::wstring& line : mgr.GetLines()) {
        ASSERT_EQ(line.find(L'\n'), std::wstring::npos) << "input " << index;
    }
    for (const auto& section : mgr.GetSections()) {
        std::vector<std::wstring> keys;
        section->m_Section.GetKeyNames(keys);
        for (const std::wstring& key : keys) ASSERT_FALSE(key.empty()) << "input " << index;
    }
}

TEST(IniFuzz, RandomAndMutatedInputsNeverReadPastTheData) {
    GuardedBuffer guard(64 * 1024);
    ASSERT_TRUE(guard.ok());
    Fuzzer fuzz(0x5EED1234);
    const std::vector<std::string> corpus = Corpus();
    CIniMgr mgr;
    vt::TempDir dir;
    const std::wstring file = dir / L"fuzz.ini";
    for (size_t i = 0; i < 4000; ++i) {
        const std::string bytes =
            i % 2 ? fuzz.Random() : fuzz.Mutate(corpus[fuzz.Next(static_cast<uint32_t>(corpus.size()))]);
        ASSERT_LE(bytes.size(), guard.capacity());
        CheckResult(mgr, Decode(guard, bytes, mgr), i);
        if (i % 20 == 0) {  // now and then the whole path through a file
            ASSERT_TRUE(vt::WriteFileBytes(file, bytes));
            const int result = mgr.LoadFile(file);
            EXPECT_TRUE(result == kIniLoaded || result == kIniDecodeFailed) << "input " << i;
        }
    }
}

TEST(IniFuzz, EveryCutOfAValidFileStaysInside) {
    GuardedBuffer guard(4096);
    ASSERT_TRUE(guard.ok());
    CIniMgr mgr;
    size_t index = 0;
    for (const std::string& whole : Corpus()) {
        for (size_t cut = 0; cut <= whole.size(); ++cut, ++index) {
            CheckResult(mgr, Decode(guard, whole.substr(0, cut), mgr), index);
        }
    }
}

TEST(IniFuzz, Utf8FunctionsStayInsideOnEveryCut) {
    GuardedBuffer guard(4096);
    ASSERT_TRUE(guard.ok());
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF8\x88\x80\x80\x80\xFC\x84\x80\x80\x80\x80";
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        const uint8_t* bytes = guard.Place(text.substr(0, cut));
        size_t count = 0;
        Utf8ToUtf16(bytes, cut, nullptr, count);
        std::vector<uint32_t> cps(cut + 1);
        Utf8ToUtf32(bytes, cut, cps.data(), count);
        if (cut > 0) {
            int length = 0;
            uint8_t cp[4];
            Utf8DecodeSequence(bytes + cut - 1, 1, cp, length);
        }
    }
    SUCCEED();
}

}  // namespace
