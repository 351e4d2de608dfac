#include "song/describe_song.h"

#include <cstdio>
#include <sstream>
#include <span>

#include "song/song_doc.h"

namespace rz {

namespace {

// FNV-1a, 64 bits: enough to tell two play images apart in a test.
uint64_t hashBytes(std::span<const uint8_t> bytes)
{
    uint64_t hash = 0xcbf29ce484222325ull;
    for (uint8_t b : bytes) {
        hash ^= b;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

std::string hexBytes(std::span<const uint8_t> bytes)
{
    std::string text;
    char pair[4];
    for (uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        text += pair;
    }
    return text;
}

template <class Values>
std::string list(const Values& values)
{
    std::ostringstream text;
    const char* separator = "";
    for (const auto& v : values) {
        text << separator << v;
        separator = ",";
    }
    return text.str();
}

void describeProperties(const CSongDoc& s, std::ostream& out)
{
    const CSmpteTime& t = s.smpteOffset;
    out << "format " << s.format << " timeBase " << s.timeBase << "\n"
        << "path " << s.pathName.string() << "\n"
        << "title " << s.title << "\nsubtitle " << s.subtitle << "\nauthor " << s.author
        << "\ncopyright " << s.copyright << "\nmemo " << s.memo << "\n"
        << "smpte rate " << t.rate() << " " << t.hours() << ":" << t.minutes() << ":"
        << t.seconds() << ":" << t.frames() << "." << t.subframes() << " time " << t.time() << "\n"
        << "relativeVolume " << s.relativeVolume << " performanceTempo " << s.performanceTempo
        << "\nlayout " << s.layoutText << "\n";
}

void describeTrack(const CTrack& t, size_t index, std::ostream& out)
{
    out << "track " << index << " type " << t.type << " flags " << t.flags << " name " << t.name
        << " end " << t.endTick << " play " << t.playEnabled << "/" << t.savedPlayEnabled
        << " arm " << t.recordArm << " port " << t.port << " channel " << t.channel
        << " input " << t.inputDevice << "/" << t.inputChannel << " bank " << t.bank
        << " patch " << t.patch << " volume " << t.volume << " key " << t.key
        << " timeOffset " << t.timeOffset << " velocityOffset " << t.velocityOffset
        << " notation " << t.notationSetting << "/" << t.notationValue << " colour " << t.color
        << "/" << t.textColor << "\n"
        << "  controllers " << list(t.initialControllers) << " rpn " << list(t.rpnValues)
        << " cpDest " << list(t.channelPressureDest) << " kpDest " << list(t.keyPressureDest)
        << " ccDest " << list(t.controllerDest) << " destController " << t.destController << "\n"
        << "  patchPoints " << list(t.patchChangePoints) << " image " << t.playImage.size() << "#"
        << hashBytes(t.playImage) << "\n";
    for (size_t i = 0; i < t.events.size(); ++i) {
        const CMidiEvent& e = t.events[i];
        out << "  event " << i << " tick " << e.tick << " message " << e.message << " value2 "
            << e.value2 << " notation " << int(e.notation) << " spelling " << int(e.spelling);
        if (const CAudioClip* clip = e.clip())
            out << " clip " << clip->fileName << " #" << clip->number;
        else if (!e.data.bytes().empty())
            out << " data " << hexBytes(e.data.bytes());
        out << "\n";
    }
}

void describeMaps(const CSongDoc& s, std::ostream& out)
{
    for (const TempoEntry& e : s.tempoMap)
        out << "tempo " << e.tick << " " << e.tempo << " at " << e.time << "\n";
    for (const MeasureRec& m : s.measureMap)
        out << "measure " << m.start << "+" << m.length << " number " << m.number << " letter "
            << int(m.letter) << " key " << int(m.key) << "/" << int(m.mode) << " meter "
            << int(m.numerator) << "/" << int(m.denominator) << " clocks "
            << int(m.clocksPerClick) << " 32nds " << int(m.thirtySeconds) << " carried "
            << m.carried[0] << "," << m.carried[1] << " last " << m.last << "\n";
    out << "measureMapEnd " << s.measureMapEnd << " endTick " << s.endTick << "\n";
    for (const auto& c : s.cues)
        out << "cue " << c->kind << " " << c->time << "/" << c->secondTime << " repeat "
            << c->repeatCount << "/" << c->secondCount << " state " << c->selectedState
            << " name " << c->name << "\n";
}

} // namespace

std::string DescribeSong(const CSongDoc& song)
{
    std::ostringstream out;
    out.precision(17);
    describeProperties(song, out);
    for (size_t i = 0; i < song.tracks.size(); ++i)
        describeTrack(*song.tracks[i], i, out);
    describeMaps(song, out);
    return out.str();
}

std::string firstDifference(const std::string& a, const std::string& b)
{
    std::istringstream left(a);
    std::istringstream right(b);
    std::string l;
    std::string r;
    for (int line = 1;; ++line) {
        const bool moreLeft = bool(std::getline(left, l));
        const bool moreRight = bool(std::getline(right, r));
        if (!moreLeft && !moreRight)
            return {};
        if (moreLeft != moreRight || l != r)
            return "line " + std::to_string(line) + ": " + (moreLeft ? l : "<end>") + " | "
                   + (moreRight ? r : "<end>");
    }
}

} // namespace rz
