#include "panel/device/ChipRecords.h"

namespace {

constexpr WORD kVendorId = 0x2F7B;
constexpr WORD kProductId = 0x731B;
constexpr char kProductName[] = "USB PnP Audio Device";       // bytes 34..53
constexpr char kCompanyName[] = "Halvex Sound Works Co.,Ltd.";  // bytes 62..88, then 0
constexpr BYTE kDefault3DFlags = 0x7B;                          // 3D clear, FBM set
constexpr BYTE kDefault3DPair = 0xA3;                           // alpha 10, beta 3

constexpr void PutText(std::array<BYTE, kDefaultConfigTableSize>& t, size_t at, const char* text) {
    for (size_t i = 0; text[i]; ++i) t[at + i] = static_cast<BYTE>(text[i]);
}

constexpr std::array<BYTE, kDefaultConfigTableSize> MakeDefaultConfigTable() {
    std::array<BYTE, kDefaultConfigTableSize> t{};
    t[24] = kVendorId & 0xFF;
    t[25] = kVendorId >> 8;
    t[26] = kProductId & 0xFF;
    t[27] = kProductId >> 8;
    PutText(t, 34, kProductName);
    PutText(t, 62, kCompanyName);
    t[kImage3DFlagsOffset] = kDefault3DFlags;
    t[kImageLeft3DOffset] = kDefault3DPair;
    t[kImageRight3DOffset] = kDefault3DPair;
    return t;
}

constexpr BYTE Bit(int flag, BYTE bit) { return flag ? bit : 0; }
constexpr int Flag(BYTE byte, BYTE bit) { return (byte & bit) ? 1 : 0; }
constexpr BYTE Pair(BYTE alpha, BYTE beta) { return static_cast<BYTE>((alpha << 4) | (beta & 0x0F)); }

bool PresetFits(size_t offset) { return offset <= kConfigImageSize - kPackedPresetSize; }

}  // namespace

const std::array<BYTE, kDefaultConfigTableSize> DefaultConfigTable = MakeDefaultConfigTable();

int SetEQParamsToImage(size_t offset, const EQ_PARAMS& p, CONFIG_IMAGE& image) {
    if (!PresetFits(offset)) return 1;
    BYTE* b = image.data() + offset;
    const WORD* g = p.wGain;
    for (size_t i = 0; i < kPackedPresetSize; ++i) b[i] = 0;
    b[0] = g[0] & 0xFF;
    b[1] = static_cast<BYTE>(((g[0] >> 8) & 0x0F) | ((g[1] & 0x0F) << 4));
    b[2] = static_cast<BYTE>(g[1] >> 4);
    b[3] = g[2] & 0xFF;
    b[4] = static_cast<BYTE>(((g[2] >> 8) & 0x0F) | ((g[3] & 0x0F) << 4));
    b[5] = static_cast<BYTE>(g[3] >> 4);
    b[6] = g[4] & 0xFF;
    b[7] = static_cast<BYTE>(((g[4] >> 8) & 0x0F) | Bit(p.iFlagBit7, 0x80) | Bit(p.iFlagBit6, 0x40) |
                             Bit(p.iFlagBit5, 0x20) | Bit(p.iFlagBit4, 0x10));
    b[14] = p.byImageValue;
    b[15] = static_cast<BYTE>((p.byImageValue & 0x7F) | Bit(p.iImageFlag, 0x80));
    return 0;
}

int GetEQParamsFromImage(size_t offset, EQ_PARAMS& p, const CONFIG_IMAGE& image) {
    if (!PresetFits(offset)) return 1;
    const BYTE* b = image.data() + offset;
    p.wGain[0] = static_cast<WORD>(b[0] | (b[1] & 0x0F) << 8);
    p.wGain[1] = static_cast<WORD>(b[1] >> 4 | b[2] << 4);
    p.wGain[2] = static_cast<WORD>(b[3] | (b[4] & 0x0F) << 8);
    p.wGain[3] = static_cast<WORD>(b[4] >> 4 | b[5] << 4);
    p.wGain[4] = static_cast<WORD>(b[6] | (b[7] & 0x0F) << 8);
    p.iFlagBit7 = Flag(b[7], 0x80);
    p.iFlagBit6 = Flag(b[7], 0x40);
    p.iFlagBit5 = Flag(b[7], 0x20);
    p.iFlagBit4 = Flag(b[7], 0x10);
    p.byImageValue = b[14];
    p.iImageFlag = Flag(b[15], 0x80);
    return 0;
}

int Set3DParamsToImage(CONFIG_IMAGE& image, const D3_PARAMS& p) {
    BYTE& flags = image[kImage3DFlagsOffset];
    flags = static_cast<BYTE>((flags & 0x3F) | Bit(p.i3DFlag, 0x80) | Bit(p.iFBMFlag, 0x40));
    image[kImageLeft3DOffset] = Pair(p.byLeftAlpha, p.byLeftBeta);
    image[kImageRight3DOffset] = Pair(p.byRightAlpha, p.byRightBeta);
    return 0;
}

namespace {
void Read3D(BYTE flags, BYTE left, BYTE right, D3_PARAMS& p) {
    p.i3DFlag = Flag(flags, 0x80);
    p.iFBMFlag = Flag(flags, 0x40);
    p.byLeftAlpha = left >> 4;
    p.byLeftBeta = left & 0x0F;
    p.byRightAlpha = right >> 4;
    p.byRightBeta = right & 0x0F;
}
}  // namespace

int Get3DParamsFromImage(const CONFIG_IMAGE& image, D3_PARAMS& p) {
    Read3D(image[kImage3DFlagsOffset], image[kImageLeft3DOffset], image[kImageRight3DOffset], p);
    return 0;
}

int Get3DDefaults(D3_PARAMS& p) {
    const auto& t = DefaultConfigTable;
    Read3D(t[kImage3DFlagsOffset], t[kImageLeft3DOffset], t[kImageRight3DOffset], p);
    return 0;
}

int GetEQDefaults(const CHIP_DEFAULTS& defaults, EQ_PARAMS& p) {
    p = defaults.eq;
    return 0;
}

int InitChipDefaults(CHIP_DEFAULTS& defaults, CONFIG_IMAGE& image) {
    for (size_t i = 0; i < kDefaultConfigTableSize; ++i) image[i] = DefaultConfigTable[i];
    EQ_PARAMS& eq = defaults.eq;
    for (WORD& gain : eq.wGain) gain = 1024;
    eq.iFlagBit7 = 1;
    eq.iFlagBit5 = 1;
    eq.iFlagBit6 = 1;
    eq.iFlagBit4 = 0;
    eq.byImageValue = 0;
    eq.iImageFlag = 1;
    return 0;
}
