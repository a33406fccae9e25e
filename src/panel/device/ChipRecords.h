// The records in which the panel keeps the chip's EQ and 3D settings, the
// 2048-byte configuration image with its four EQ presets, the 256-byte
// default configuration block that seeds it, and the moves between them.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>

// One EQ setting: five band gains (bits 0..11 used, 1024 = flat), the four
// flags of register 0x129 / preset byte 7 (non-zero = set) and two values
// kept only in the configuration image.
struct EQ_PARAMS {
    WORD wGain[5];
    int iFlagBit7;
    int iFlagBit5;
    int iFlagBit6;
    int iFlagBit4;
    BYTE byImageValue;
    int iImageFlag;
};

// One 3D setting; each alpha and beta is 0..15.
struct D3_PARAMS {
    int i3DFlag;
    int iFBMFlag;
    BYTE byLeftAlpha;
    BYTE byLeftBeta;
    BYTE byRightAlpha;
    BYTE byRightBeta;
};

constexpr size_t kConfigImageSize = 2048;
constexpr size_t kDefaultConfigTableSize = 256;
constexpr size_t kPackedPresetSize = 16;
constexpr size_t kImage3DFlagsOffset = 161;
constexpr size_t kImageLeft3DOffset = 231;
constexpr size_t kImageRight3DOffset = 232;
// Offset of EQ preset 1..4 in the image.
constexpr size_t EQPresetOffset(int preset) { return 0x100 + kPackedPresetSize * static_cast<size_t>(preset - 1); }

using CONFIG_IMAGE = std::array<BYTE, kConfigImageSize>;

// The device's default configuration block.
extern const std::array<BYTE, kDefaultConfigTableSize> DefaultConfigTable;

// The chip's defaults as the main window keeps them.
struct CHIP_DEFAULTS {
    EQ_PARAMS eq;
};

// Packs a preset into the 16 bytes at offset (0; 1 when they do not fit).
int SetEQParamsToImage(size_t offset, const EQ_PARAMS& params, CONFIG_IMAGE& image);
// Unpacks the preset at offset (0; 1 when it does not fit, params untouched).
int GetEQParamsFromImage(size_t offset, EQ_PARAMS& params, const CONFIG_IMAGE& image);
int Set3DParamsToImage(CONFIG_IMAGE& image, const D3_PARAMS& params);
int Get3DParamsFromImage(const CONFIG_IMAGE& image, D3_PARAMS& params);
int Get3DDefaults(D3_PARAMS& params);
int GetEQDefaults(const CHIP_DEFAULTS& defaults, EQ_PARAMS& params);
// Copies the default block to the start of the image and sets the default EQ.
int InitChipDefaults(CHIP_DEFAULTS& defaults, CONFIG_IMAGE& image);
