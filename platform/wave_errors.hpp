// Readable texts for the buffer-queue device's result codes.
#pragma once

#include <string>

#include "platform/audio.hpp"

namespace korveld::platform {

inline std::string WaveErrorText(int code) {
  switch (code) {
    case kWaveOk: return "The command completed successfully.";
    case kWaveBadDevice: return "No sound output device could be opened.";
    case kWaveInvalidHandle: return "The sound output device is not open.";
    case kWaveNoMemory: return "There is not enough memory for the sound output.";
    case kWaveInvalidParam: return "An invalid parameter was passed to the sound output.";
    case kWaveBadFormat: return "The sound output does not support this sample format.";
    case kWaveStillPlaying: return "The sound buffer is still playing.";
    case kWaveUnprepared: return "The sound buffer was not prepared.";
    default: return "The sound output reported an unknown error (" + std::to_string(code) + ").";
  }
}

}  // namespace korveld::platform
