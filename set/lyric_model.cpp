#include "set/lyric_model.h"

#include "core/midi_bytes.h"
#include "core/text_codec.h"
#include "song/song_doc.h"
#include "song/track.h"

#include <algorithm>
#include <cctype>

namespace rz {

namespace {

constexpr uint8_t kMetaKind = midi::kMeta;
constexpr uint8_t kMetaText = 0x01;
constexpr uint8_t kMetaLyric = 0x05;
// The first gap starts this far before the song, so a song that opens
// without words still gets placeholders from its first beat.
constexpr int32_t kFirstGapStart = -100000;

bool isLyricEvent(const CMidiEvent& event)
{
    return event.kind() == kMetaKind && (event.data1() == kMetaLyric || event.data1() == kMetaText);
}

// Ticks of one metronome click of the measure; a meter with no clicks (or a
// time base too coarse for them) would never advance, so a quarter then.
int32_t clickLength(const MeasureRec& measure, int timeBase)
{
    const int32_t beat = int32_t(measure.clocksPerClick) * timeBase / 24;
    if (beat >= 1)
        return beat;
    return std::max(timeBase, 1);
}

void addPlaceholders(int32_t gapStart, int32_t gapEnd, const LyricTiming& timing,
                     std::vector<LyricItem>& out)
{
    const int timeBase = std::max(timing.timeBase, 1);
    if (int64_t(gapEnd) - gapStart <= 2 * int64_t(timeBase))
        return;
    const MeasureMap empty;
    const MeasureMap& map = timing.measures ? *timing.measures : empty;
    int measure = map.empty() ? -1 : FindMeasure(map, std::max(gapStart, 0));
    int64_t t = measure < 0 ? 0 : map[size_t(measure)].start;
    int64_t beat = measure < 0 ? timeBase : clickLength(map[size_t(measure)], timeBase);
    for (; t < gapEnd; t += beat) {
        while (measure >= 0 && measure + 1 < int(map.size()) && t >= map[size_t(measure) + 1].start) {
            ++measure;
            beat = clickLength(map[size_t(measure)], timeBase);
        }
        if (t - gapStart >= 2 * beat && gapEnd - t >= 2 * beat) {
            LyricItem placeholder;
            placeholder.tick = int32_t(t);
            out.push_back(std::move(placeholder));
        }
    }
}

} // namespace

int clampLyricFontHeight(int height)
{
    return std::clamp(height, kMinLyricFontHeight, kMaxLyricFontHeight);
}

std::vector<LyricSource> lyricSources(const CTrack& track)
{
    std::vector<LyricSource> sources;
    for (size_t i = 0; i < track.events.size(); ++i) {
        const CMidiEvent& event = track.events[i];
        if (!isLyricEvent(event))
            continue;
        const std::span<const uint8_t> bytes = event.data.bytes();
        if (bytes.empty())
            continue;
        sources.push_back({event.tick, int32_t(i), std::string(bytes.begin(), bytes.end())});
    }
    return sources;
}

LyricTexts lyricTexts(const CSongDoc& song, const std::array<std::string, 10>& macros)
{
    LyricTexts texts;
    texts.title = decodeText(song.title);
    texts.subtitle = decodeText(song.subtitle);
    texts.author = decodeText(song.author);
    texts.copyright = decodeText(song.copyright);
    texts.memo = decodeText(song.memo);
    texts.macros = macros;
    return texts;
}

std::string expandLyricEscapes(std::string text, const LyricTexts& texts)
{
    size_t at = 0;
    while ((at = text.find('%', at)) != std::string::npos) {
        const char code = at + 1 < text.size() ? char(std::tolower(uint8_t(text[at + 1]))) : '\0';
        text.erase(at, code ? 2 : 1);
        std::string insert;
        switch (code) {
        case '%': insert = "%"; break;
        case 't': insert = texts.title; break;
        case 's': insert = texts.subtitle; break;
        case 'a': insert = texts.author; break;
        case 'c': insert = texts.copyright; break;
        case 'm': insert = texts.memo; break;
        default:
            if (code >= '0' && code <= '9')
                insert = texts.macros[size_t(code - '0')];
            break;
        }
        text.insert(at, insert);
        at += insert.size();
    }
    return text;
}

LyricBuild buildLyricItems(const std::vector<LyricSource>& sources, const LyricTexts& texts,
                           int style, const LyricTiming& timing)
{
    LyricBuild build;
    std::vector<LyricItem> words;
    for (const LyricSource& source : sources) {
        std::string text = decodeText(source.bytes);
        if (!text.empty() && text[0] == '@') {
            if (text.size() >= 2 && text[1] == 'T' && source.tick == 0) {
                if (!build.title.empty())
                    build.title += '\n';
                build.title += text.substr(2);
            }
            continue;
        }
        text = expandLyricEscapes(std::move(text), texts);
        if (style == kLyricGrid) {
            if (text.empty())
                text = "-";
            text += ' ';
        }
        LyricItem item;
        item.tick = source.tick;
        item.eventIndex = source.eventIndex;
        item.text = std::move(text);
        words.push_back(std::move(item));
    }
    if (words.empty())
        return build;

    const int32_t songEnd = timing.endTick + std::max(timing.timeBase, 1);
    build.items.reserve(words.size() * 2);
    int32_t gapStart = kFirstGapStart;
    for (LyricItem& word : words) {
        addPlaceholders(gapStart, word.tick, timing, build.items);
        gapStart = word.tick;
        build.items.push_back(std::move(word));
    }
    addPlaceholders(gapStart, songEnd, timing, build.items);
    return build;
}

bool trackYieldsLyrics(const CTrack& track)
{
    for (const LyricSource& source : lyricSources(track)) {
        if (source.bytes[0] != '@')
            return true;
    }
    return false;
}

std::vector<std::string> SplitLyricText(std::string_view text, int mode)
{
    const std::string_view delimiters = mode == 0 ? std::string_view(" \n\r\t") : std::string_view("\n\r\t");
    const size_t end = text.find_last_not_of(" \n\r\t");
    text = end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);

    std::vector<std::string> pieces;
    while (!text.empty()) {
        size_t leadEnd = text.find_first_not_of(delimiters);
        if (leadEnd == std::string_view::npos)
            leadEnd = text.size();
        std::string lead(text.substr(0, leadEnd));
        text.remove_prefix(leadEnd);
        if (lead.find_first_of("\n\r") != std::string::npos) {
            std::erase(lead, '\r');
            const size_t first = lead.find_first_not_of(" \t");
            const size_t last = lead.find_last_not_of(" \t");
            lead = first == std::string::npos ? std::string() : lead.substr(first, last - first + 1);
        }
        if (!lead.empty() && lead[0] == ' ')
            lead = " ";
        else if (lead.size() < 2)
            lead = "/";
        else
            lead = "\\";
        size_t pieceEnd = text.find_first_of(delimiters);
        if (pieceEnd == std::string_view::npos)
            pieceEnd = text.size();
        const std::string_view piece = text.substr(0, pieceEnd);
        text.remove_prefix(pieceEnd);
        if (piece.empty())
            continue;
        // Whatever stands before the first piece is dropped.
        pieces.push_back(pieces.empty() ? std::string(piece) : lead + std::string(piece));
    }
    return pieces;
}

} // namespace rz
