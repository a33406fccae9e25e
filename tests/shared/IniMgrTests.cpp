#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SharedFixtures.h"
#include "TestSupport.h"
#include "shared/IniMgr.h"

using namespace REGINI_MGR;

namespace {

using Lines = std::vector<std::wstring>;

std::string Bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s += static_cast<char>(b);
    return s;
}

class IniFile : public ::testing::Test {
protected:
    // Writes bytes to a fresh file and loads it.
    int Load(const std::string& bytes) {
        std::wstring path = dir / (L"f" + std::to_wstring(++count_) + L".ini");
        EXPECT_TRUE(vt::WriteFileBytes(path, bytes));
        return mgr.LoadFile(path);
    }
    vt::TempDir dir;
    CIniMgr mgr;

private:
    int count_ = 0;
};

TEST(IniDetectEncoding, TellsEncodingsApartByMarkInOrder) {
    struct Case {
        const char* name;
        std::string bytes;
        INI_TEXT_ENCODING encoding;
        size_t skipped;
    };
    const Case cases[] = {
        {"UTF-32LE mark", Bytes({0xFF, 0xFE, 0, 0, 'a', 0, 0, 0}), INI_ENCODING_UTF32LE, 4},
        {"UTF-32LE mark alone", Bytes({0xFF, 0xFE, 0, 0}), INI_ENCODING_UTF32LE, 4},
        {"FF FE 00 is UTF-16LE", Bytes({0xFF, 0xFE, 0}), INI_ENCODING_UTF16LE, 2},
        {"UTF-32BE mark", Bytes({0, 0, 0xFE, 0xFF, 0, 0, 0, 'a'}), INI_ENCODING_UTF32BE, 4},
        {"UTF-8 mark", Bytes({0xEF, 0xBB, 0xBF}), INI_ENCODING_UTF8, 3},
        {"UTF-8 mark cut", Bytes({0xEF, 0xBB}), INI_ENCODING_ANSI, 0},
        {"UTF-16LE mark", Bytes({0xFF, 0xFE}), INI_ENCODING_UTF16LE, 2},
        {"UTF-16BE mark", Bytes({0xFE, 0xFF, 0, 'a'}), INI_ENCODING_UTF16BE, 2},
        {"one byte", Bytes({0xFE}), INI_ENCODING_ANSI, 0},
        {"empty", "", INI_ENCODING_ANSI, 0},
        {"plain text", "[a]", INI_ENCODING_ANSI, 0},
        {"00 00 FE without FF", Bytes({0, 0, 0xFE, 0}), INI_ENCODING_ANSI, 0},
    };
    for (const Case& c : cases) {
        CIniMgr mgr;
        std::string bytes = c.bytes;
        size_t length = bytes.size();
        uint8_t* start = reinterpret_cast<uint8_t*>(&bytes[0]);
        uint8_t* text = mgr.DetectEncoding(start, length);
        EXPECT_EQ(mgr.GetEncoding(), c.encoding) << c.name;
        EXPECT_EQ(static_cast<size_t>(text - start), c.skipped) << c.name;
        EXPECT_EQ(length, c.bytes.size() - c.skipped) << c.name;
    }
}

TEST_F(IniFile, ReadsEveryEncodingWithCrLfAndLf) {
    const std::wstring text = L"; comment\n[Install]\nTitle=Vello \u00e9\u00fc\nPath=C:\\x\n"
                              L"[USB_VID_PID]\n1=a,b\n";
    const std::wstring wideOnly = L"[Wide]\nOmega=\u03a9\u4e2d\n";
    for (int encoding = 0; encoding <= 5; ++encoding) {
        for (bool crlf : {false, true}) {
            std::wstring body = text + (encoding == 0 ? L"" : wideOnly);
            if (crlf) {
                std::wstring withCr;
                for (wchar_t c : body) withCr += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
                body = withCr;
            }
            std::string row = std::string(st::EncodingName(encoding)) + (crlf ? " CRLF" : " LF");
            ASSERT_EQ(Load(st::Encode(encoding, body)), kIniLoaded) << row;
            EXPECT_EQ(mgr.GetEncoding(), encoding) << row;
            EXPECT_EQ(mgr.GetValue(L"Install", L"Title"), L"Vello \u00e9\u00fc") << row;
            EXPECT_EQ(mgr.GetValue(L"Install", L"Path"), L"C:\\x") << row;
            EXPECT_EQ(mgr.GetValue(L"USB_VID_PID", L"1"), L"a,b") << row;
            if (encoding != 0) {
                EXPECT_EQ(mgr.GetValue(L"Wide", L"Omega"), L"\u03a9\u4e2d") << row;
            }
            EXPECT_EQ(mgr.GetSections().size(), encoding == 0 ? 2u : 3u) << row;
        }
    }
}

TEST_F(IniFile, FilesWithoutMarkReadAsBytes) {
    struct Case {
        const char* name;
        std::string bytes;
        const wchar_t* value;  // of [S] k
    };
    const Case cases[] = {
        {"UTF-8 without mark", st::Encode(1, L"[S]\nk=\u00e9\n", false), L"\u00c3\u00a9"},
        {"ANSI high bytes keep their value", Bytes({'[', 'S', ']', '\n', 'k', '=', 0xE9, 0xFF}),
         L"\u00e9\u00ff"},
        {"UTF-16LE without mark has no section", st::Encode(2, L"[S]\nk=v\n", false), L""},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Load(c.bytes), kIniLoaded) << c.name;
        EXPECT_EQ(mgr.GetEncoding(), INI_ENCODING_ANSI) << c.name;
        EXPECT_EQ(mgr.GetValue(L"S", L"k"), c.value) << c.name;
    }
}

TEST_F(IniFile, ReportsDecodeFailuresAndOddInput) {
    struct Case {
        const char* name;
        std::string bytes;
        int result;
        const wchar_t* value;  // of [S] k after the load
    };
    const std::string utf8Bom = "\xEF\xBB\xBF";
    const Case cases[] = {
        {"UTF-8 two-byte e-acute", utf8Bom + "[S]\nk=\xC3\xA9", kIniLoaded, L"\u00e9"},
        {"UTF-8 four-byte sequence", utf8Bom + "[S]\nk=\xF0\x9F\x98\x80", kIniDecodeFailed, L""},
        {"UTF-8 bad continuation", utf8Bom + "[S]\nk=\xC3(", kIniDecodeFailed, L""},
        {"UTF-8 lone continuation", utf8Bom + "[S]\nk=\x80", kIniDecodeFailed, L""},
        {"UTF-8 byte FE", utf8Bom + "[S]\nk=\xFE", kIniDecodeFailed, L""},
        {"UTF-8 cut after lead byte", utf8Bom + "[S]\nk=v\xC3", kIniDecodeFailed, L""},
        {"UTF-8 three-byte cut after two", utf8Bom + "[S]\nk=v\xE2\x82", kIniDecodeFailed, L""},
        {"UTF-8 four-byte cut after three", utf8Bom + "[S]\nk=v\xF0\x9F\x98", kIniDecodeFailed, L""},
        {"UTF-8 six-byte lead at end", utf8Bom + "[S]\nk=v\xFC", kIniDecodeFailed, L""},
        {"UTF-32LE unit above FFFF", st::Encode(4, L"[S]\nk=v") + Bytes({0, 0, 1, 0}),
         kIniDecodeFailed, L""},
        {"UTF-32BE unit above FFFF", st::Encode(5, L"[S]\nk=v") + Bytes({0, 1, 0, 0}),
         kIniDecodeFailed, L""},
        {"UTF-32LE length not a multiple of 4", st::Encode(4, L"[S]\nk=v") + "x", kIniDecodeFailed, L""},
        {"UTF-32BE length not a multiple of 4", st::Encode(5, L"[S]\nk=v") + "xy", kIniDecodeFailed, L""},
        {"UTF-16LE odd last byte ignored", st::Encode(2, L"[S]\nk=v") + "x", kIniLoaded, L"v"},
        {"UTF-16BE odd last byte ignored", st::Encode(3, L"[S]\nk=v") + "x", kIniLoaded, L"v"},
        {"UTF-16LE starting with U+0000 reads as UTF-32LE", st::Encode(2, std::wstring(1, L'\0') + L"[S]\nk=v"),
         kIniDecodeFailed, L""},
        {"empty file", "", kIniLoaded, L""},
        {"mark without text", st::Encode(5, L""), kIniLoaded, L""},
        {"no line end at the end", "[S]\nk=last", kIniLoaded, L"last"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Load(c.bytes), c.result) << c.name;
        EXPECT_EQ(mgr.GetValue(L"S", L"k"), c.value) << c.name;
    }
}

TEST_F(IniFile, KeepsContentsWhenTheFileCannotBeOpened) {
    ASSERT_EQ(Load("[S]\nk=v\n"), kIniLoaded);
    const std::wstring missing = dir / L"missing.ini";
    EXPECT_EQ(mgr.LoadFile(missing), kIniOpenFailed);
    EXPECT_EQ(mgr.GetFilePath(), missing);
    EXPECT_EQ(mgr.GetValue(L"S", L"k"), L"v");
    EXPECT_EQ(mgr.LoadFile(dir.path()), kIniOpenFailed) << "a folder";
    EXPECT_EQ(mgr.GetValue(L"S", L"k"), L"v");
    mgr.Clear();
    EXPECT_FALSE(mgr.HasSection(L"S"));
    EXPECT_TRUE(mgr.GetLines().empty());
}

TEST_F(IniFile, ParsesLinesSectionsAndPairs) {
    struct Pair {
        const wchar_t* key;
        const wchar_t* value;
    };
    struct Case {
        const char* name;
        std::string text;
        const wchar_t* section;
        bool found;
        Lines keys;
        std::vector<Pair> values;
    };
    const Case cases[] = {
        {"lines before the first header are dropped", "k0=v0\n[S]\nk=v\n", L"S", true, {L"k"},
         {{L"k", L"v"}, {L"k0", L""}}},
        {"comment inside a section", "[S]\n;k=hidden\nk=v\n", L"S", true, {L"k"}, {{L"k", L"v"}}},
        {"value keeps later '='", "[S]\nkey=a=b\n", L"S", true, {L"key"}, {{L"key", L"a=b"}}},
        {"blanks inside key and value stay", "[S]\n key = v \n", L"S", true, {L"key "},
         {{L"key ", L" v"}, {L"key", L""}}},
        {"line without '=' and empty key ignored", "[S]\nplain\n=v\nk=\n", L"S", true, {L"k"},
         {{L"k", L""}}},
        {"two sections of one name: first wins", "[S]\nk=1\n[S]\nk=2\nj=3\n", L"S", true, {L"k"},
         {{L"k", L"1"}, {L"j", L""}}},
        {"key twice: first value, listed twice", "[S]\nk=1\nk=2\n", L"S", true, {L"k", L"k"},
         {{L"k", L"1"}}},
        {"names are case-sensitive", "[USB_VID_PID]\nk=v\n", L"usb_vid_pid", false, {}, {}},
        {"keys are case-sensitive", "[S]\nKey=v\n", L"S", true, {L"Key"}, {{L"key", L""}}},
        {"blank and whitespace lines", "[S]\n\n   \n\r\nk=v\n", L"S", true, {L"k"}, {{L"k", L"v"}}},
        {"header with blanks and LF is a header", "[A]\na=1\n[B]  \nb=2\n", L"B", true, {L"b"},
         {{L"b", L"2"}}},
        {"header with blanks and CRLF joins the previous section", "[A]\r\na=1\r\n[B]  \r\nb=2\r\n",
         L"A", true, {L"a", L"b"}, {{L"a", L"1"}, {L"b", L"2"}}},
        {"header followed by text is no header", "[A]\na=1\n[B] x\nb=2\n", L"A", true, {L"a", L"b"},
         {{L"b", L"2"}}},
        {"empty section name", "[]\nk=v\n", L"", true, {L"k"}, {{L"k", L"v"}}},
        {"CR alone is no line end", "[S]\rk=v\n", L"S", false, {}, {}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Load(c.text), kIniLoaded) << c.name;
        EXPECT_EQ(mgr.HasSection(c.section), c.found) << c.name;
        Lines keys = {L"untouched"};
        mgr.GetKeyNames(c.section, keys);
        EXPECT_EQ(keys, c.found ? c.keys : Lines{L"untouched"}) << c.name;
        for (const Pair& p : c.values) {
            EXPECT_EQ(mgr.GetValue(c.section, p.key), p.value) << c.name << ": " << vt::Narrow(p.key);
        }
    }
}

TEST_F(IniFile, MisplacedHeaderOnlyRenamesTheEarlierSection) {
    ASSERT_EQ(Load("[A]\r\na=1\r\n[B]  \r\nb=2\r\n"), kIniLoaded);
    ASSERT_EQ(mgr.GetSections().size(), 1u);
    const CIniSectionDefine& define = *mgr.GetSections()[0];
    EXPECT_EQ(define.m_Name, L"A");
    EXPECT_EQ(define.m_Section.m_Name, L"B");
    EXPECT_EQ(define.m_RawLines, (Lines{L"[A]", L"a=1", L"[B]  ", L"b=2"}));
    EXPECT_FALSE(mgr.HasSection(L"B"));
}

TEST_F(IniFile, DecodedLinesAreTrimmedOfBlanksThenCarriageReturns) {
    ASSERT_EQ(Load("  [S]  \r\n\n \r \r\nk=v \r\n"), kIniLoaded);
    // Empty pieces between line feeds are dropped; pieces emptied by trimming stay.
    EXPECT_EQ(mgr.GetLines(), (Lines{L"[S]  ", L" ", L"k=v "}));
}

TEST_F(IniFile, VeryLongLinesArriveWhole) {
    std::wstring value;
    for (int i = 0; i < 200000; ++i) value += static_cast<wchar_t>(L'a' + i % 26);
    value[1000] = L'\u00e9';
    for (int encoding = 0; encoding <= 5; ++encoding) {
        ASSERT_EQ(Load(st::Encode(encoding, L"[S]\r\nk=" + value + L"\r\nnext=1\r\n")), kIniLoaded)
            << st::EncodingName(encoding);
        EXPECT_TRUE(mgr.GetValue(L"S", L"k") == value) << st::EncodingName(encoding);
        EXPECT_EQ(mgr.GetValue(L"S", L"next"), L"1") << st::EncodingName(encoding);
    }
}

TEST(IniTextFunctions, TrimCharRemovesOnlyFromBothEnds) {
    struct Case {
        const wchar_t* text;
        wchar_t ch;
        const wchar_t* result;
    };
    const Case cases[] = {
        {L"  a b  ", L' ', L"a b"}, {L"    ", L' ', L""},     {L"", L' ', L""},
        {L"\r\ra\r", L'\r', L"a"},  {L"xax", L'x', L"a"},     {L" a", L'\r', L" a"},
    };
    for (const Case& c : cases) {
        std::wstring text = c.text;
        std::wstring copy = TrimChar(text, c.ch);
        EXPECT_EQ(text, c.result) << vt::Narrow(c.text);
        EXPECT_EQ(copy, c.result) << vt::Narrow(c.text);
    }
}

TEST(IniTextFunctions, SwapBytesReversesEachUnit) {
    uint16_t u16[] = {0x1234, 0xABCD};
    SwapBytes16(u16, 2);
    EXPECT_EQ(u16[0], 0x3412);
    EXPECT_EQ(u16[1], 0xCDAB);
    uint32_t u32[] = {0x11223344, 0xA0B0C0D0};
    SwapBytes32(u32, 2);
    EXPECT_EQ(u32[0], 0x44332211u);
    EXPECT_EQ(u32[1], 0xD0C0B0A0u);
}

TEST(IniTextFunctions, Utf8SequenceLengthFromLeadByte) {
    struct Case {
        int lead;
        int result;
        int length;
    };
    const Case cases[] = {
        {0x00, 0, 1}, {0x7F, 0, 1}, {0x80, 1, 0}, {0xBF, 1, 0}, {0xC0, 0, 2}, {0xDF, 0, 2},
        {0xE0, 0, 3}, {0xEF, 0, 3}, {0xF0, 0, 4}, {0xF7, 0, 4}, {0xF8, 0, 5}, {0xFB, 0, 5},
        {0xFC, 0, 6}, {0xFD, 0, 6}, {0xFE, 1, 0}, {0xFF, 1, 0},
    };
    for (const Case& c : cases) {
        int length = 0;
        EXPECT_EQ(Utf8SequenceLength(static_cast<uint8_t>(c.lead), length), c.result) << std::hex << c.lead;
        if (c.result == 0) {
            EXPECT_EQ(length, c.length) << std::hex << c.lead;
        }
    }
}

TEST(IniTextFunctions, Utf8DecodeSequenceStaysWithinTheData) {
    struct Case {
        const char* name;
        std::string bytes;
        size_t available;
        int result;
        int length;
        uint32_t codePoint;
    };
    const Case cases[] = {
        {"ASCII", "A", 1, 0, 1, 0x41},
        {"two bytes", "\xC3\xA9", 2, 0, 2, 0xE9},
        {"three bytes", "\xE2\x82\xAC", 3, 0, 3, 0x20AC},
        {"four bytes", "\xF0\x9F\x98\x80", 4, 0, 4, 0x1F600},
        {"six bytes", "\xFD\xBF\xBF\xBF\xBF\xBF", 6, 0, 6, 0x7FFFFFFF},
        {"overlong form accepted", "\xC0\x80", 2, 0, 2, 0},
        {"bad lead byte", "\x80", 1, 1, 0, 0},
        {"bad second byte", "\xC3(", 2, 2, 0, 0},
        {"bad third byte", "\xE2\x82(", 3, 3, 0, 0},
        {"cut: two of three", "\xE2\x82\xAC", 2, 3, 0, 0},
        {"cut: lead only", "\xF0\x9F\x98\x80", 1, 4, 0, 0},
        {"nothing available", "A", 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        uint8_t cp[4] = {};
        int length = 0;
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(c.bytes.data());
        EXPECT_EQ(Utf8DecodeSequence(bytes, c.available, cp, length), c.result) << c.name;
        if (c.result != 0) continue;
        EXPECT_EQ(length, c.length) << c.name;
        uint32_t value = cp[0] | cp[1] << 8 | cp[2] << 16 | static_cast<uint32_t>(cp[3]) << 24;
        EXPECT_EQ(value, c.codePoint) << c.name;
        int lengthOnly = 0;
        EXPECT_EQ(Utf8DecodeSequence(bytes, c.available, nullptr, lengthOnly), 0) << c.name;
        EXPECT_EQ(lengthOnly, c.length) << c.name;
    }
}

TEST(IniTextFunctions, Utf8ToUtf16Results) {
    struct Case {
        const char* name;
        std::string bytes;
        int countResult;  // without an output array
        size_t count;
        int result;       // with one
        std::wstring text;
    };
    const Case cases[] = {
        {"empty", "", 0, 0, 0, L""},
        {"mixed", "a\xC3\xA9\xE2\x82\xAC", 0, 3, 0, L"a\u00e9\u20ac"},
        {"beyond the basic plane", "a\xF0\x9F\x98\x80", 0, 2, 4, L""},
        {"bad continuation: counted, then fails", "a\xC3(", 0, 2, 3, L""},
        {"cut at the end", "a\xE2\x82", 1, 0, 1, L""},
        {"bad lead byte", "\xFF", 1, 0, 1, L""},
    };
    for (const Case& c : cases) {
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(c.bytes.data());
        size_t count = 99;
        EXPECT_EQ(Utf8ToUtf16(bytes, c.bytes.size(), nullptr, count), c.countResult) << c.name;
        if (c.countResult != 0) continue;
        EXPECT_EQ(count, c.count) << c.name;
        std::wstring out(count + 1, L'#');
        size_t written = count;
        EXPECT_EQ(Utf8ToUtf16(bytes, c.bytes.size(), &out[0], written), c.result) << c.name;
        if (c.result == 0) {
            EXPECT_EQ(out.substr(0, written), c.text) << c.name;
        }
        EXPECT_EQ(out.back(), L'#') << c.name << ": wrote past the count";
    }
}

TEST(IniTextFunctions, Utf8ToUtf16RefusesAnArrayTooSmall) {
    const std::string bytes = "abc";
    wchar_t out[3] = {L'#', L'#', L'#'};
    size_t capacity = 2;
    EXPECT_NE(Utf8ToUtf16(reinterpret_cast<const uint8_t*>(bytes.data()), 3, out, capacity), 0);
    EXPECT_EQ(out[2], L'#');
}

TEST(IniTextFunctions, Utf32ToUtf16TestsRangeOnlyWithOutput) {
    const uint32_t cps[] = {0x41, 0x10000};
    size_t count = 0;
    EXPECT_EQ(Utf32ToUtf16(cps, 2, nullptr, count), 0);
    EXPECT_EQ(count, 2u);
    wchar_t out[2] = {};
    EXPECT_EQ(Utf32ToUtf16(cps, 2, out, count), 1);
}

}  // namespace
