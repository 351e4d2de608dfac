#include <cstdio>
#include <string>

#include "staff/model/staff_model.h"

namespace rz {
namespace {

template <class... Args>
void add(std::string& out, const char* format, Args... args)
{
    char line[256];
    std::snprintf(line, sizeof line, format, args...);
    out += line;
}

const char* accidentalSign(int accidental)
{
    switch (accidental) {
    case -2: return "bb";
    case -1: return "b";
    case 1: return "#";
    case 2: return "x";
    case kCautionary: return "n";
    default: return "";
    }
}

// "tick:value" with r rest, ~ tied, | beam break, d stem down, t tuplet
// member, s second, nN tuplet note count, then the heads.
void dumpElement(std::string& out, const CStaffNote& note)
{
    add(out, " %d:%d", note.tick, note.value);
    if (note.rest)
        out += 'r';
    if (note.tied)
        out += '~';
    if (note.beamBreak)
        out += '|';
    if (note.stemDown)
        out += 'd';
    if (note.tupletMember)
        out += 't';
    if (note.second)
        out += 's';
    if (note.tupletNoteCount)
        add(out, "n%d", note.tupletNoteCount);
    if (note.items.empty())
        return;
    out += '[';
    for (size_t i = 0; i < note.items.size(); ++i) {
        const CStaffItem& item = note.items[i];
        add(out, "%s%d%s", i ? "," : "", item.position, accidentalSign(item.accidental));
        if (item.head)
            add(out, "@%d", item.head);
        if (item.color == kGreyNoteColor)
            out += 'g';
    }
    out += ']';
}

void dumpStaff(std::string& out, const CStaffTrack& staff, size_t index)
{
    add(out, "staff %zu track %d clef %d%s pitches %d..%d band %d topline %d used %d..%d extent %d..%d\n",
        index, staff.track, staff.clef, staff.lowerStaff ? " lower" : "", staff.lowestPitch,
        staff.highestPitch, staff.bandHeight, staff.topLineY, staff.lowestPosition,
        staff.highestPosition, staff.bottomExtent, staff.topExtent);
    for (const CStaffTuplet& g : staff.groups)
        add(out, " group m%d @%d+%d count %d grid %d unit %d/%d%s\n", g.measure, g.start, g.span,
            g.count, g.gridUnit, g.unitSpan, g.unitValue, g.tuplet ? " tuplet" : "");
    for (size_t v = 0; v < staff.voices.size(); ++v) {
        const CStaffBeat& voice = *staff.voices[v];
        add(out, " voice %zu @%d x %d..%d:", v, voice.startTick, voice.firstX, voice.lastX);
        for (const auto& note : voice.notes)
            dumpElement(out, *note);
        out += '\n';
    }
    for (const CStaffText& text : staff.texts) {
        add(out, " text %d @%d m%d x %d pos %d", text.kind, text.tick, text.measure, text.x,
            text.position);
        out += " \"" + text.text + "\"";
        if (text.kind == 1 || text.kind == 2)
            add(out, " grid %d,%d,%d,%d,%d,%d", text.grid[0], text.grid[1], text.grid[2],
                text.grid[3], text.grid[4], text.grid[5]);
        if (text.kind == 3)
            add(out, " length %d", text.wedgeLength);
        if (text.pushed)
            out += " pushed";
        out += '\n';
    }
    for (size_t m = 0; m < staff.content.size(); ++m)
        add(out, " measure %zu voices %d..%d content 0x%x used %d..%d texts %d\n", m,
            staff.lowestVoice[m], staff.highestVoice[m], staff.content[m], staff.lowestUsed[m],
            staff.highestUsed[m], m < staff.textIndex.size() ? staff.textIndex[m] : -1);
}

} // namespace

std::string DumpStaffModel(const StaffModel& model)
{
    std::string out;
    for (size_t i = 0; i < model.staves.size(); ++i)
        dumpStaff(out, model.staves[i], i);
    for (size_t m = 0; m < model.measures.size(); ++m) {
        const CStaffMeasure& w = model.measures[m];
        add(out, "measure %zu @%d+%d %d/%d key %d x %d lead %d extra %d content %d trail %d values 0x%x header 0x%x\n",
            m, w.song.start, w.song.length, w.song.numerator, w.song.denominator, w.song.key, w.x,
            w.leadIn, w.extraLeadIn, w.contentWidth, w.trailingWidth, w.valueFlags, w.headerFlags);
    }
    add(out, "system width %d height %d bracket %d gap %d\n", model.systemWidth,
        model.systemHeight, model.bracketHeight, model.grandStaffGap);
    return out;
}

} // namespace rz
