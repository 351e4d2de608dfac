// The FFmpeg module's one exported function (platform/codec_module.h).
#include "platform/ffmpeg/ffmpeg_codecs.h"

extern "C" __attribute__((visibility("default"))) const rz::CodecModule* rzCodecModule()
{
    static const rz::CodecModule module{
        .version = rz::kCodecModuleVersion,
        .makeDecoder = rz::MakeFfmpegDecoder,
        .makeWmaWriter = rz::MakeFfmpegWmaWriter,
        .errorText = rz::FfmpegErrorText,
    };
    return &module;
}
