#include "IniMgr.h"

#include <io.h>

#include <cstdio>
#include <cstring>
#include <new>

namespace REGINI_MGR {
namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

// Reverses the bytes of each unit; works on any alignment.
void SwapUnits(uint8_t* bytes, size_t count, size_t unitSize) {
    for (size_t i = 0; i < count; ++i) {
        uint8_t* u = bytes + i * unitSize;
        for (size_t a = 0, b = unitSize - 1; a < b; ++a, --b) {
            uint8_t t = u[a];
            u[a] = u[b];
            u[b] = t;
        }
    }
}

uint32_t ReadLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool IsHeader(const std::wstring& line) {
    return line.size() >= 2 && line.front() == L'[' && line.back() == L']';
}

bool IsSkipped(const std::wstring& line) { return line.empty() || line[0] == L';'; }

}  // namespace

// ---- free functions -------------------------------------------------------

std::wstring TrimChar(std::wstring& text, wchar_t ch) {
    size_t first = text.find_first_not_of(ch);
    if (first == std::wstring::npos) {
        text.clear();
    } else {
        size_t last = text.find_last_not_of(ch);
        text = text.substr(first, last - first + 1);
    }
    return text;
}

void SwapBytes16(uint16_t* units, size_t count) {
    SwapUnits(reinterpret_cast<uint8_t*>(units), count, 2);
}

void SwapBytes32(uint32_t* units, size_t count) {
    SwapUnits(reinterpret_cast<uint8_t*>(units), count, 4);
}

int Utf8SequenceLength(uint8_t lead, int& length) {
    if (lead < 0x80) length = 1;
    else if (lead >= 0xC0 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
    else if (lead >= 0xF0 && lead <= 0xF7) length = 4;
    else if (lead >= 0xF8 && lead <= 0xFB) length = 5;
    else if (lead >= 0xFC && lead <= 0xFD) length = 6;
    else return 1;
    return 0;
}

int Utf8DecodeSequence(const uint8_t* bytes, size_t available, uint8_t* codePoint,
                       int& length) {
    if (available == 0) return 1;
    int n = 0;
    if (Utf8SequenceLength(bytes[0], n) != 0) return 1;
    if (static_cast<size_t>(n) > available) return n;  // cut off by the end of the data
    length = n;
    if (!codePoint) return 0;
    static const uint8_t kLeadMask[7] = {0, 0x7F, 0x1F, 0x0F, 0x07, 0x03, 0x01};
    uint32_t value = bytes[0] & kLeadMask[n];
    for (int i = 1; i < n; ++i) {
        if ((bytes[i] & 0xC0) != 0x80) return n;
        value = value << 6 | (bytes[i] & 0x3F);
    }
    for (int i = 0; i < 4; ++i) codePoint[i] = static_cast<uint8_t>(value >> (8 * i));
    return 0;
}

int Utf8ToUtf32(const uint8_t* bytes, size_t byteCount, uint32_t* codePoints, size_t& count) {
    size_t pos = 0;
    size_t n = 0;
    while (pos < byteCount) {
        uint8_t cp[4] = {};
        int len = 0;
        if (Utf8DecodeSequence(bytes + pos, byteCount - pos, codePoints ? cp : nullptr, len) != 0)
            return 2;
        if (codePoints) codePoints[n] = ReadLE32(cp);
        pos += static_cast<size_t>(len);
        ++n;
    }
    count = n;
    return 0;
}

int Utf32ToUtf16(const uint32_t* codePoints, size_t count, wchar_t* units, size_t& unitCount) {
    if (units) {
        for (size_t i = 0; i < count; ++i) {
            if (codePoints[i] > 0xFFFF) return 1;
            units[i] = static_cast<wchar_t>(codePoints[i]);
        }
    }
    unitCount = count;
    return 0;
}

int Utf8ToUtf16(const uint8_t* bytes, size_t byteCount, wchar_t* units, size_t& unitCount) {
    size_t count = 0;
    if (Utf8ToUtf32(bytes, byteCount, nullptr, count) != 0) return 1;
    if (!units) {
        unitCount = count;
        return 0;
    }
    if (count > unitCount) return 3;  // the caller's array is too small
    std::unique_ptr<uint32_t[]> codePoints(new (std::nothrow) uint32_t[count ? count : 1]);
    if (!codePoints) return 2;
    size_t decoded = 0;
    if (Utf8ToUtf32(bytes, byteCount, codePoints.get(), decoded) != 0 || decoded != count) return 3;
    if (Utf32ToUtf16(codePoints.get(), count, units, unitCount) != 0) return 4;
    return 0;
}

// ---- CIniSection ----------------------------------------------------------

void CIniSection::Parse(const std::vector<std::wstring>& rawLines) {
    for (std::wstring line : rawLines) {
        TrimChar(line, L' ');
        TrimChar(line, L'\r');
        TrimChar(line, L'\n');
        if (IsSkipped(line)) continue;
        if (IsHeader(line)) {
            m_Name = line.substr(1, line.size() - 2);
            continue;
        }
        size_t eq = line.find(L'=');
        if (eq == std::wstring::npos || eq == 0) continue;
        m_Pairs.push_back({line.substr(0, eq), line.substr(eq + 1)});
    }
}

int CIniSection::GetKeyNames(std::vector<std::wstring>& names) const {
    names.clear();
    for (const VALUE_NAME_DEFINE& pair : m_Pairs) names.push_back(pair.Key);
    return static_cast<int>(m_Pairs.size());
}

std::wstring CIniSection::GetValue(const std::wstring& key) const {
    if (key.empty()) return std::wstring();
    for (const VALUE_NAME_DEFINE& pair : m_Pairs) {
        if (pair.Key == key) return pair.Value;
    }
    return std::wstring();
}

// ---- CIniMgr --------------------------------------------------------------

CIniMgr::~CIniMgr() { Clear(); }

void CIniMgr::Clear() {
    m_Lines.clear();
    m_Sections.clear();
}

int CIniMgr::LoadFile(const std::wstring& path) {
    m_FilePath = path;
    FILE* raw = nullptr;
    if (_wfopen_s(&raw, path.c_str(), L"rb") != 0 || !raw) return kIniOpenFailed;
    std::unique_ptr<FILE, FileCloser> file(raw);

    long length = _filelength(_fileno(raw));
    if (length < 0) return kIniLengthFailed;
    const size_t size = static_cast<size_t>(length);
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size ? size : 1]);
    if (!buffer) return kIniNoMemory;
    if (std::fread(buffer.get(), 1, size, raw) != size) return kIniReadFailed;
    file.reset();

    Clear();
    size_t textLength = size;
    uint8_t* text = DetectEncoding(buffer.get(), textLength);
    if (DecodeLines(text, textLength) != 0) return kIniDecodeFailed;
    return Parse() != 0 ? kIniParseFailed : kIniLoaded;
}

uint8_t* CIniMgr::DetectEncoding(uint8_t* bytes, size_t& length) {
    struct Mark {
        size_t size;
        uint8_t bytes[4];
        INI_TEXT_ENCODING encoding;
    };
    // Tested in this order: FF FE 00 00 is UTF-32LE, never UTF-16LE.
    static const Mark kMarks[] = {
        {4, {0xFF, 0xFE, 0x00, 0x00}, INI_ENCODING_UTF32LE},
        {4, {0x00, 0x00, 0xFE, 0xFF}, INI_ENCODING_UTF32BE},
        {3, {0xEF, 0xBB, 0xBF}, INI_ENCODING_UTF8},
        {2, {0xFF, 0xFE}, INI_ENCODING_UTF16LE},
        {2, {0xFE, 0xFF}, INI_ENCODING_UTF16BE},
    };
    for (const Mark& mark : kMarks) {
        if (length > mark.size - 1 && std::memcmp(bytes, mark.bytes, mark.size) == 0) {
            m_Encoding = mark.encoding;
            length -= mark.size;
            return bytes + mark.size;
        }
    }
    m_Encoding = INI_ENCODING_ANSI;
    return bytes;
}

int CIniMgr::DecodeLines(uint8_t* text, size_t length) {
    switch (m_Encoding) {
        case INI_ENCODING_ANSI: return DecodeAnsi(text, length);
        case INI_ENCODING_UTF8: return DecodeUtf8(text, length);
        case INI_ENCODING_UTF16LE: return DecodeUtf16LE(text, length);
        case INI_ENCODING_UTF16BE: return DecodeUtf16BE(text, length);
        case INI_ENCODING_UTF32LE: return DecodeUtf32LE(text, length);
        case INI_ENCODING_UTF32BE: return DecodeUtf32BE(text, length);
    }
    return -1;
}

void CIniMgr::AppendLines(const wchar_t* text, size_t count) {
    size_t start = 0;
    while (start < count) {
        size_t end = start;
        while (end < count && text[end] != L'\n') ++end;
        if (end > start) {
            std::wstring line(text + start, end - start);
            TrimChar(line, L' ');
            TrimChar(line, L'\r');
            m_Lines.push_back(line);  // kept even when trimming emptied it
        }
        start = end + 1;
    }
}

int CIniMgr::DecodeAnsi(uint8_t* text, size_t length) {
    // One byte, one UTF-16 unit (bytes above 0x7F keep their value).
    std::wstring units(text, text + length);
    AppendLines(units.data(), units.size());
    return 0;
}

int CIniMgr::DecodeUtf8(uint8_t* text, size_t length) {
    size_t count = 0;
    if (Utf8ToUtf16(text, length, nullptr, count) != 0) return 1;
    std::unique_ptr<wchar_t[]> units(new (std::nothrow) wchar_t[count ? count : 1]);
    if (!units) return 2;
    if (Utf8ToUtf16(text, length, units.get(), count) != 0) return 3;
    AppendLines(units.get(), count);
    return 0;
}

int CIniMgr::DecodeUtf16LE(uint8_t* text, size_t length) {
    const size_t count = length / 2;  // a final odd byte is ignored
    std::wstring units(count, L'\0');
    if (count) std::memcpy(&units[0], text, count * 2);
    AppendLines(units.data(), count);
    return 0;
}

int CIniMgr::DecodeUtf16BE(uint8_t* text, size_t length) {
    SwapUnits(text, length / 2, 2);
    return DecodeUtf16LE(text, length);
}

int CIniMgr::DecodeUtf32LE(uint8_t* text, size_t length) {
    if (length % 4 != 0) return 1;
    const size_t count = length / 4;
    for (size_t i = 0; i < count; ++i) {
        if (ReadLE32(text + 4 * i) > 0xFFFF) return 2;
    }
    std::unique_ptr<wchar_t[]> units(new (std::nothrow) wchar_t[count ? count : 1]);
    if (!units) return 3;
    for (size_t i = 0; i < count; ++i) units[i] = static_cast<wchar_t>(ReadLE32(text + 4 * i));
    AppendLines(units.get(), count);
    return 0;
}

int CIniMgr::DecodeUtf32BE(uint8_t* text, size_t length) {
    if (length % 4 != 0) return 1;
    SwapUnits(text, length / 4, 4);
    return DecodeUtf32LE(text, length);
}

int CIniMgr::Parse() {
    for (const std::wstring& line : m_Lines) {
        if (IsSkipped(line)) continue;
        if (IsHeader(line)) {
            std::unique_ptr<CIniSectionDefine> section(new (std::nothrow) CIniSectionDefine);
            if (!section) return 1;
            section->m_Name = line.substr(1, line.size() - 2);
            section->m_RawLines.push_back(line);
            m_Sections.push_back(std::move(section));
        } else if (!m_Sections.empty()) {
            m_Sections.back()->m_RawLines.push_back(line);
        }
    }
    for (auto& section : m_Sections) section->m_Section.Parse(section->m_RawLines);
    return 0;
}

const CIniSectionDefine* CIniMgr::FindSection(const std::wstring& name) const {
    for (const auto& section : m_Sections) {
        if (section->m_Name == name) return section.get();
    }
    return nullptr;
}

bool CIniMgr::HasSection(const std::wstring& name) const { return FindSection(name) != nullptr; }

void CIniMgr::GetKeyNames(const std::wstring& section, std::vector<std::wstring>& names) const {
    if (const CIniSectionDefine* found = FindSection(section)) found->m_Section.GetKeyNames(names);
}

std::wstring CIniMgr::GetValue(const std::wstring& section, const std::wstring& key) const {
    const CIniSectionDefine* found = FindSection(section);
    return found ? found->m_Section.GetValue(key) : std::wstring();
}

}  // namespace REGINI_MGR
