#include "platform/soundfont_files.h"

#include "core/byte_reader.h"
#include "core/input_file.h"

#include <algorithm>
#include <limits>
#include <functional>

namespace rz {

namespace {

constexpr size_t kPresetHeaderBytes = 38; // name 20, preset 2, bank 2, bag 2, three dwords
constexpr size_t kPresetNumberAt = 20;
constexpr size_t kBankAt = 22;

// Walks the chunks of one RIFF body, pad bytes included; false when a chunk
// runs past the bytes.
bool forEachChunk(ByteReader body, const std::function<void(ByteChunk&)>& visit)
{
    while (!body.atEnd()) {
        auto chunk = body.riffChunk();
        if (!chunk)
            return false;
        visit(*chunk);
        if (chunk->body.size() % 2 != 0 && !body.atEnd())
            body.skip(1);
    }
    return true;
}

// The body of the top-level "RIFF" of form `form`, after the form id.
std::optional<ByteReader> riffForm(std::span<const uint8_t> bytes, std::string_view form)
{
    ByteReader file(bytes);
    auto riff = file.riffChunk();
    if (!riff || !riff->idIs("RIFF"))
        return std::nullopt;
    auto id = riff->body.bytes(4);
    if (!id || std::string_view(reinterpret_cast<const char*>(id->data()), 4) != form)
        return std::nullopt;
    return riff->body; // positioned after the form id
}

// The LIST chunk of type `type` in a SoundFont, without its type id.
std::optional<ByteReader> soundFontList(std::span<const uint8_t> bytes, std::string_view type,
                                        bool& wellFormed)
{
    wellFormed = false;
    auto form = riffForm(bytes, "sfbk");
    if (!form)
        return std::nullopt;
    std::optional<ByteReader> found;
    wellFormed = forEachChunk(*form, [&](ByteChunk& chunk) {
        if (found || !chunk.idIs("LIST"))
            return;
        auto id = chunk.body.bytes(4);
        if (id && std::string_view(reinterpret_cast<const char*>(id->data()), 4) == type)
            found = chunk.body; // positioned after the type id
    });
    return wellFormed ? found : std::nullopt;
}

uint16_t readU16(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint16_t(bytes[at] | (bytes[at + 1] << 8));
}

void writeU16(std::vector<uint8_t>& bytes, size_t at, int value)
{
    bytes[at] = uint8_t(value & 0xFF);
    bytes[at + 1] = uint8_t((value >> 8) & 0xFF);
}

} // namespace

Sf2Problem movePresetAlone(std::vector<uint8_t>& bytes, SoundFontLocation source,
                           SoundFontLocation target)
{
    bool wellFormed = false;
    auto pdta = soundFontList(bytes, "pdta", wellFormed);
    if (!pdta)
        return Sf2Problem::NotSoundFont;
    std::optional<std::pair<size_t, size_t>> headers; // file offset, length
    const bool listFormed = forEachChunk(*pdta, [&](ByteChunk& chunk) {
        if (!headers && chunk.idIs("phdr"))
            headers = std::pair{chunk.body.offset(), chunk.body.size()};
    });
    if (!listFormed || !headers)
        return Sf2Problem::NotSoundFont;
    // The last record only ends the list.
    const size_t records = headers->second / kPresetHeaderBytes;
    if (records < 2)
        return Sf2Problem::NoSuchPreset;
    std::optional<size_t> chosen;
    for (size_t i = 0; i + 1 < records && !chosen; ++i) {
        const size_t at = headers->first + i * kPresetHeaderBytes;
        if (readU16(bytes, at + kBankAt) == source.bank
            && readU16(bytes, at + kPresetNumberAt) == source.preset)
            chosen = i;
    }
    if (!chosen)
        return Sf2Problem::NoSuchPreset;
    for (size_t i = 0; i + 1 < records; ++i) {
        const size_t at = headers->first + i * kPresetHeaderBytes;
        if (i == *chosen) {
            writeU16(bytes, at + kBankAt, target.bank);
            writeU16(bytes, at + kPresetNumberAt, target.preset);
        } else {
            writeU16(bytes, at + kBankAt, kUnreachableBank);
        }
    }
    return Sf2Problem::None;
}

bool isSoundFont(std::span<const uint8_t> bytes)
{
    bool wellFormed = false;
    auto pdta = soundFontList(bytes, "pdta", wellFormed);
    return pdta && forEachChunk(*pdta, [](ByteChunk&) {});
}

namespace {

// The "INAM" text of an INFO list's body.
std::string nameInInfo(ByteReader info)
{
    std::string name;
    forEachChunk(info, [&](ByteChunk& chunk) {
        if (!chunk.idIs("INAM") || !name.empty())
            return;
        auto text = chunk.body.bytes(chunk.body.size());
        const auto* begin = reinterpret_cast<const char*>(text->data());
        name.assign(begin, std::find(begin, begin + text->size(), '\0'));
    });
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}

} // namespace

std::string soundFontName(std::span<const uint8_t> bytes)
{
    bool wellFormed = false;
    auto info = soundFontList(bytes, "INFO", wellFormed);
    return info ? nameInInfo(*info) : std::string();
}

SoundFontHead readSoundFontHead(const std::filesystem::path& path)
{
    // The INFO list comes first; its texts are short.
    constexpr uint32_t kMostInfoBytes = 1 << 16;
    SoundFontHead head;
    std::string reason;
    const auto in = InputFile::open(path, std::numeric_limits<uint64_t>::max(), reason);
    uint8_t header[20] = {};
    if (!in || !in->readAt(0, header, sizeof header, reason))
        return head;
    const uint64_t fileSize = in->size();
    ByteReader reader(std::span<const uint8_t>(header, sizeof header));
    auto riff = reader.bytes(4);
    const auto riffSize = reader.u32le();
    auto form = reader.bytes(4);
    auto list = reader.bytes(4);
    const auto listSize = reader.u32le();
    const auto text = [](std::span<const uint8_t> id) {
        return std::string_view(reinterpret_cast<const char*>(id.data()), id.size());
    };
    if (text(*riff) != "RIFF" || text(*form) != "sfbk" || uint64_t(*riffSize) + 8 > fileSize)
        return head;
    head.isSoundFont = true;
    if (text(*list) != "LIST")
        return head;
    std::vector<uint8_t> body(std::min(*listSize, kMostInfoBytes));
    body.resize(in->readSome(sizeof header, body.data(), body.size(), reason).value_or(0));
    ByteReader info(body, sizeof header);
    auto type = info.bytes(4);
    if (type && text(*type) == "INFO")
        head.name = nameInInfo(info);
    return head;
}

std::optional<WavePatchSound> readWavePatch(std::span<const uint8_t> bytes, std::string& reason)
{
    auto form = riffForm(bytes, "WAVE");
    if (!form) {
        reason = "not a wave file";
        return std::nullopt;
    }
    std::optional<ByteReader> format;
    std::optional<ByteReader> data;
    const bool wellFormed = forEachChunk(*form, [&](ByteChunk& chunk) {
        if (chunk.idIs("fmt ") && !format)
            format = chunk.body;
        else if (chunk.idIs("data") && !data)
            data = chunk.body;
    });
    if (!wellFormed || !format || !data) {
        reason = "the wave file is damaged";
        return std::nullopt;
    }
    constexpr uint16_t kPcm = 1;
    constexpr uint16_t kExtensible = 0xFFFE;
    const auto tag = format->u16le();
    const auto channels = format->u16le();
    const auto rate = format->u32le();
    format->skip(6); // byte rate, block align
    const auto bits = format->u16le();
    if (!tag || !channels || !rate || !bits) {
        reason = "the wave file is damaged";
        return std::nullopt;
    }
    if ((*tag != kPcm && *tag != kExtensible) || *bits != 16 || (*channels != 1 && *channels != 2)
        || *rate < 1000 || *rate > 384000) {
        reason = "a wave patch must be 16-bit PCM, mono or stereo";
        return std::nullopt;
    }
    WavePatchSound sound;
    sound.sampleRate = int(*rate);
    const size_t frames = data->size() / (2u * *channels);
    sound.samples.reserve(frames);
    for (size_t i = 0; i < frames; ++i) {
        int sum = int16_t(*data->u16le());
        if (*channels == 2)
            sum = (sum + int16_t(*data->u16le())) / 2;
        sound.samples.push_back(int16_t(sum));
    }
    if (sound.samples.empty()) {
        reason = "the wave file holds no sound";
        return std::nullopt;
    }
    return sound;
}

} // namespace rz
