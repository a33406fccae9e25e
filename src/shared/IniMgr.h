// Reader for INI text files in ANSI, UTF-8, UTF-16 or UTF-32 (told apart by
// the byte-order mark). The whole file is decoded to lines of UTF-16 text and
// grouped into sections of key and value pairs, in file order, duplicates
// kept. Lookups are exact and case-sensitive. The reader never writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace REGINI_MGR {

// Encoding of the last file read.
enum INI_TEXT_ENCODING : int {
    INI_ENCODING_ANSI = 0,  // no byte-order mark
    INI_ENCODING_UTF8 = 1,
    INI_ENCODING_UTF16LE = 2,
    INI_ENCODING_UTF16BE = 3,
    INI_ENCODING_UTF32LE = 4,
    INI_ENCODING_UTF32BE = 5,
};

struct VALUE_NAME_DEFINE {
    std::wstring Key;
    std::wstring Value;
};

// One parsed section.
class CIniSection {
public:
    // Fills the name (from a header line among the lines) and the pairs.
    void Parse(const std::vector<std::wstring>& rawLines);
    // Replaces names with the keys in file order; returns the number of pairs.
    int GetKeyNames(std::vector<std::wstring>& names) const;
    // Value of the first pair with this key; "" for an empty or unknown key.
    std::wstring GetValue(const std::wstring& key) const;

    std::wstring m_Name;
    std::vector<VALUE_NAME_DEFINE> m_Pairs;
};

// One section as found in the file: the header line first, then every line
// up to the next header.
class CIniSectionDefine {
public:
    std::wstring m_Name;  // text between the brackets of the header line
    CIniSection m_Section;
    std::vector<std::wstring> m_RawLines;
};

// Results of CIniMgr::LoadFile.
enum IniLoadResult : int {
    kIniLoaded = 0,
    kIniOpenFailed = 1,
    kIniLengthFailed = 2,
    kIniNoMemory = 3,
    kIniReadFailed = 4,
    kIniDecodeFailed = 5,
    kIniParseFailed = 6,
};

class CIniMgr {
public:
    CIniMgr() = default;
    ~CIniMgr();
    CIniMgr(const CIniMgr&) = delete;
    CIniMgr& operator=(const CIniMgr&) = delete;

    // Reads, decodes and parses the whole file (IniLoadResult). The previous
    // contents stay when the file cannot be read whole.
    int LoadFile(const std::wstring& path);
    bool HasSection(const std::wstring& name) const;
    // The first section of that name replaces names with its keys; with no
    // such section names is left as it is.
    void GetKeyNames(const std::wstring& section, std::vector<std::wstring>& names) const;
    std::wstring GetValue(const std::wstring& section, const std::wstring& key) const;
    void Clear();

    // Steps of LoadFile. DetectEncoding sets the encoding, moves length past
    // the byte-order mark and returns where the text begins. The decoders
    // append lines; they may change the bytes in place and never read past
    // bytes + length.
    uint8_t* DetectEncoding(uint8_t* bytes, size_t& length);
    int DecodeLines(uint8_t* text, size_t length);
    int DecodeAnsi(uint8_t* text, size_t length);
    int DecodeUtf8(uint8_t* text, size_t length);
    int DecodeUtf16LE(uint8_t* text, size_t length);
    int DecodeUtf16BE(uint8_t* text, size_t length);
    int DecodeUtf32LE(uint8_t* text, size_t length);
    int DecodeUtf32BE(uint8_t* text, size_t length);
    int Parse();

    INI_TEXT_ENCODING GetEncoding() const { return m_Encoding; }
    const std::wstring& GetFilePath() const { return m_FilePath; }
    const std::vector<std::wstring>& GetLines() const { return m_Lines; }
    const std::vector<std::unique_ptr<CIniSectionDefine>>& GetSections() const {
        return m_Sections;
    }

private:
    const CIniSectionDefine* FindSection(const std::wstring& name) const;
    // Splits decoded text at '\n' into trimmed lines.
    void AppendLines(const wchar_t* text, size_t count);

    INI_TEXT_ENCODING m_Encoding = INI_ENCODING_ANSI;
    std::wstring m_FilePath;
    std::vector<std::wstring> m_Lines;
    std::vector<std::unique_ptr<CIniSectionDefine>> m_Sections;
};

// Removes every occurrence of ch from both ends of text; returns a copy.
std::wstring TrimChar(std::wstring& text, wchar_t ch);

// Reverse the byte order of each 16-bit or 32-bit unit in place.
void SwapBytes16(uint16_t* units, size_t count);
void SwapBytes32(uint32_t* units, size_t count);

// 0 and the sequence length (1 to 6) for a lead byte; 1 for a byte that
// cannot begin a sequence.
int Utf8SequenceLength(uint8_t lead, int& length);
// Decodes one sequence from at most available bytes. With codePoint (4 bytes,
// little-endian) null only the length is taken. 0, or 1 for a bad lead byte,
// or the sequence length (2 to 6) for a bad continuation byte or a sequence
// cut off by the end of the data.
int Utf8DecodeSequence(const uint8_t* bytes, size_t available, uint8_t* codePoint,
                       int& length);
// 0, or 2 on a bad sequence; count = number of code points.
int Utf8ToUtf32(const uint8_t* bytes, size_t byteCount, uint32_t* codePoints, size_t& count);
// 0, or 1 for a code point above 0xFFFF (tested only with an output array).
int Utf32ToUtf16(const uint32_t* codePoints, size_t count, wchar_t* units, size_t& unitCount);
// 0; 1 counting failed; 2 no memory; 3 decoding failed; 4 a code point above
// 0xFFFF. With units null only the count is taken.
int Utf8ToUtf16(const uint8_t* bytes, size_t byteCount, wchar_t* units, size_t& unitCount);

}  // namespace REGINI_MGR
