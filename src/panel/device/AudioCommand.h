// Requests for the device library's generic audio command: a 234-byte block
// {feature, sub-command, payload...}, zero where not set, whose reply comes
// back in the same block.
#pragma once

#include <windows.h>

#include "panel/device/DeviceLibrary.h"

constexpr BYTE AUDIO_FEATURE_ENC = 4;
constexpr BYTE AUDIO_FEATURE_TIMBREX = 7;
constexpr BYTE AUDIO_CMD_ONOFF = 0;
constexpr BYTE AUDIO_CMD_SET_PARAMETERS = 2;
constexpr BYTE AUDIO_CMD_GET_ALL = 8;

constexpr int kAudioPayloadOffset = 2;
constexpr int kAudioPayloadRoom = 232;       // bytes 2..233
constexpr int kAudioSecondReplyOffset = 134;
constexpr int kAudioSecondReplyRoom = 100;   // bytes 134..233
// Returned, without calling the library, for a count that does not fit its
// part of the block (or is negative, or has no buffer) or when the library is
// not bound.
constexpr int kAudioCommandRejected = -1;

// Switches a feature: the 32-bit value (1 on, 0 off) in bytes 2..5.
int Qorv_AudioSetOnOff(BYTE feature, BYTE command, DWORD value);
// Sends count parameter bytes from byte 2 on (count at most 232).
int Qorv_AudioSetCommand(BYTE feature, BYTE command, const BYTE* parameters, int count);
// Reads a feature's reply: on success firstCount bytes from byte 2 into first
// (at most 232) and secondCount bytes from byte 134 into second (at most 100);
// on failure both buffers stay untouched.
int Qorv_AudioGetAll(BYTE feature, BYTE command, BYTE* first, int firstCount, BYTE* second, int secondCount);
