#include "panel/device/AudioCommand.h"

#include <cstring>

namespace {

AUDIO_COMMAND_BLOCK Request(BYTE feature, BYTE command) {
    AUDIO_COMMAND_BLOCK block = {};
    block.bytes[0] = feature;
    block.bytes[1] = command;
    return block;
}

int Execute(AUDIO_COMMAND_BLOCK& block) {
    if (!fnDLLKQ_AudioCommand) return kAudioCommandRejected;
    int length = static_cast<int>(kAudioCommandBlockSize);
    return fnDLLKQ_AudioCommand(&block, &length);
}

bool Fits(const BYTE* buffer, int count, int room) {
    return count >= 0 && count <= room && (buffer || count == 0);
}

}  // namespace

int Qorv_AudioSetOnOff(BYTE feature, BYTE command, DWORD value) {
    AUDIO_COMMAND_BLOCK block = Request(feature, command);
    for (int i = 0; i < 4; ++i) block.bytes[kAudioPayloadOffset + i] = static_cast<BYTE>(value >> (8 * i));
    return Execute(block);
}

int Qorv_AudioSetCommand(BYTE feature, BYTE command, const BYTE* parameters, int count) {
    if (!Fits(parameters, count, kAudioPayloadRoom)) return kAudioCommandRejected;
    AUDIO_COMMAND_BLOCK block = Request(feature, command);
    if (count > 0) std::memcpy(block.bytes + kAudioPayloadOffset, parameters, static_cast<size_t>(count));
    return Execute(block);
}

int Qorv_AudioGetAll(BYTE feature, BYTE command, BYTE* first, int firstCount, BYTE* second, int secondCount) {
    if (!Fits(first, firstCount, kAudioPayloadRoom) || !Fits(second, secondCount, kAudioSecondReplyRoom))
        return kAudioCommandRejected;
    AUDIO_COMMAND_BLOCK block = Request(feature, command);
    int result = Execute(block);
    if (result != 0) return result;
    if (firstCount > 0) std::memcpy(first, block.bytes + kAudioPayloadOffset, static_cast<size_t>(firstCount));
    if (secondCount > 0) std::memcpy(second, block.bytes + kAudioSecondReplyOffset, static_cast<size_t>(secondCount));
    return 0;
}
