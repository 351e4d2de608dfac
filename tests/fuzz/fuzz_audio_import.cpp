// Fuzz target of the audio importer: converts the bytes, read through a
// memory source, as an imported audio file, each case to its end or an error,
// and checks that what it leaves is a whole wave file of the frames it wrote,
// or nothing. Without libFuzzer, main() replays the fixture folder given as
// its argument and runs a seeded mutation sweep; a watchdog fails any case
// over 2 s.
#include "plain_driver.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

#include <unistd.h>

#include "engine/audio/wave_file.h"
#include "engine/audio/wave_grabber.h"

namespace rz {
namespace {

// A case's output stops at about six seconds of audio, so a source claiming
// hours costs no more than a short one.
constexpr uint64_t kCaseDataLimit = 1 << 20;
constexpr int kMaxSteps = 1000;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_audio_import: %s\n", what);
    std::abort();
}

const std::filesystem::path& targetPath()
{
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("rz_fuzz_import_" + std::to_string(::getpid()) + ".wav");
    return path;
}

void convertWhole(std::span<const uint8_t> bytes)
{
    const std::filesystem::path& target = targetPath();
    std::error_code ignored;
    std::filesystem::remove(target, ignored);
    CWaveGrabber grabber(bytes, target, 44100, kCaseDataLimit);
    const int32_t built = grabber.BuildGraph();
    if (built != 0) {
        if (built > 0)
            fail("a failed setup answered a positive code");
        if (std::filesystem::exists(target))
            fail("a failed setup left a target");
        return;
    }
    double progress = 0;
    int steps = 0;
    while (grabber.Step(&progress) == 1) {
        if (!(progress >= 0.0 && progress <= 1.0))
            fail("progress left 0..1");
        if (++steps == kMaxSteps)
            break;
    }
    const uint64_t frames = grabber.framesWritten();
    grabber.Release();
    if (std::filesystem::file_size(target) != 44 + frames * 4)
        fail("the target's size is not its header and frames");
    std::string reason;
    const auto clip = ReadWaveFile(target, 44100, reason);
    if (!clip || uint64_t(clip->frameCount()) != frames)
        fail("the target does not load with the frames written");
    std::filesystem::remove(target, ignored);
}

} // namespace
} // namespace rz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    rz::convertWhole(std::span<const uint8_t>(data, size));
    return 0;
}

#ifndef RZ_LIBFUZZER
int main(int argc, char** argv)
{
    static constexpr uint8_t kBoundary[] = {0x00, 0x01, 0x02, 0x03, 0x10, 0x11, 0x7F, 0x80, 0xFE, 0xFF};
    return rz::fuzz::runPlainDriver({"fuzz_audio_import", ".bin", kBoundary, 20261210}, argc, argv);
}
#endif
