#pragma once

// The engines of the FFmpeg module (platform/codec_module.h).

#include "platform/codec_module.h"

namespace rz {

std::unique_ptr<DecoderEngine> MakeFfmpegDecoder();
std::unique_ptr<WmaEngine> MakeFfmpegWmaWriter();
std::string FfmpegErrorText(int code);

} // namespace rz
