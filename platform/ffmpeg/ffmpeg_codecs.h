#pragma once

// The engines of the FFmpeg module (platform/codec_module.h).

#include "platform/codec_module.h"

namespace rz {

// Both engines hand over and take stereo samples.
inline constexpr int kFfmpegChannels = 2;

std::unique_ptr<DecoderEngine> MakeFfmpegDecoder();
std::unique_ptr<WmaEngine> MakeFfmpegWmaWriter();
std::string FfmpegErrorText(int code);

} // namespace rz
