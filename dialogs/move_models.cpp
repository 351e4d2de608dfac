#include "dialogs/move_models.h"

#include "core/profile.h"
#include "core/track_rows.h"
#include "dialogs/field_values.h"
#include "dialogs/time_pos_model.h"
#include "dialogs/time_range_defaults.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "song/text_markers.h"

#include <algorithm>
#include <cstdio>

namespace rz {

namespace d = time_defaults;

namespace {

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view trimAsciiSpace(std::string_view text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// The track view's rows can pick tracks: some are selected and the current
// row is one of the song's rows but the last.
bool rowsUsable(const CSongDoc& song)
{
    const ITrackRows* rows = song.context().trackRows;
    if (!rows || rows->GetSelectedCount() == 0)
        return false;
    const int row = rows->currentRow();
    return row >= 0 && row < int(song.tracks.size()) - 1;
}

} // namespace

// ---- Move

MoveModel::MoveModel(const CSongDoc& song, int32_t firstTick)
    : m_timeBase(song.timeBase), m_timeRange((song.selectionKind & kSelectTimeRange) != 0),
      m_rowsUsable(rowsUsable(song))
{
    const uint32_t kind = song.selectionKind;
    cues = (kind & (kSelectTimeRange | kSelectCues)) != 0;
    events = (kind & (kSelectTimeRange | kSelectEvents | kSelectAudioClip)) != 0;
    tempos = (kind & (kSelectTimeRange | kSelectTempo)) != 0;
    targetTime = std::clamp(firstTick, 0, kMaxDialogTick);
    for (size_t t = 1; t + 1 < song.tracks.size(); ++t) {
        char number[32];
        std::snprintf(number, sizeof number, "%zu: ", t);
        m_tracks.push_back(number + song.tracks[t]->name);
    }

    const IProfile& profile = song.context().profile;
    offset = {d::readFlag(profile, d::kOffsetTime), d::read(profile, d::kOffsetTimeTicks)};
    method = MoveMethod(d::read(profile, d::kSlideMethod));
    offsetValue = d::read(profile, d::kSlideOffset);
    percent = d::read(profile, d::kSlidePercent);
    mixdown = d::readFlag(profile, d::kSlideMixdown);
    durations = d::readFlag(profile, d::kSlideDurations);
    units = d::read(profile, d::kSlideUnits);
    selectedTracksOnly = d::readFlag(profile, d::kSelTracksOnly);
    if (!m_tracks.empty())
        trackIndex = d::read(profile, d::kSlideTrackNum, 0, int32_t(m_tracks.size()) - 1);
}

std::vector<std::string> MoveModel::unitNames()
{
    std::vector<std::string> names{"Ticks", "Measures"};
    for (const NoteUnit& unit : kNoteUnits)
        names.emplace_back(unit.name);
    return names;
}

MoveModel::Enabling MoveModel::enabling() const
{
    Enabling e{};
    e.whatMoves = m_timeRange;
    e.offsetBox = m_timeRange;
    e.offsetAmount = m_timeRange && offset.on;
    e.selectedTracksOnly = m_timeRange && m_rowsUsable;
    e.offsetFields = method == MoveMethod::Offset;
    e.targetPosition = method == MoveMethod::AbsoluteTime;
    e.percentFields = method == MoveMethod::Percentage;
    e.trackFields = method == MoveMethod::ChangeTracks;
    return e;
}

MoveParams MoveModel::params() const
{
    const Enabling e = enabling();
    MoveParams p;
    p.method = method;
    p.offsetValue = offsetValue;
    p.units = units;
    p.targetTime = targetTime;
    p.percent = percent;
    p.durations = durations;
    p.cues = cues;
    p.events = events;
    p.tempos = tempos;
    p.targetTrack = trackIndex + 1;
    p.mixdown = mixdown;
    p.offset = offset.ticks(m_timeBase, e.offsetBox);
    p.selectedTracksOnly = selectedTracksOnly && e.selectedTracksOnly;
    return p;
}

void MoveModel::save(IProfile& profile) const
{
    writeSetting(profile, d::kOffsetTime, offset.on ? 1 : 0);
    writeSetting(profile, d::kOffsetTimeTicks, offset.percent);
    writeSetting(profile, d::kSlideMethod, int32_t(method));
    writeSetting(profile, d::kSlideOffset, offsetValue);
    writeSetting(profile, d::kSlidePercent, percent);
    writeSetting(profile, d::kSlideMixdown, mixdown ? 1 : 0);
    writeSetting(profile, d::kSlideDurations, durations ? 1 : 0);
    writeSetting(profile, d::kSlideUnits, units);
    writeSetting(profile, d::kSelTracksOnly, selectedTracksOnly ? 1 : 0);
    writeSetting(profile, d::kSlideTrackNum, std::max(trackIndex, 0));
}

// ---- Measure numbers

std::optional<MeasureLabel> parseMeasureLabel(std::string_view text)
{
    text = trimAsciiSpace(text);
    if (text.empty())
        return std::nullopt;
    MeasureLabel label;
    if (isAsciiLetter(text.back())) {
        label.letter = text.back() >= 'a' ? char(text.back() - 'a' + 'A') : text.back();
        text.remove_suffix(1);
    }
    if (!std::all_of(text.begin(), text.end(), isAsciiDigit))
        return std::nullopt;
    // Saturates on a long label, which then fails the 16-bit check.
    label.number = takeNumber(text);
    if (label.number > UINT16_MAX || (label.number == 0 && label.letter == 0))
        return std::nullopt;
    return label;
}

MeasureNumbersModel::MeasureNumbersModel(const CSongDoc& song)
{
    if (!song.measureMap.empty())
        label = TimePosModel::label(song.measureMap[size_t(song.FindCurrentMeasure())]);
    const IProfile& profile = song.context().profile;
    count = d::read(profile, d::kNumberCount);
    method = MeasureNumberMethod(d::read(profile, d::kNumberInsert));
}

std::optional<MeasureNumbersParams> MeasureNumbersModel::params(std::string_view typed) const
{
    const std::optional<MeasureLabel> parsed = parseMeasureLabel(typed);
    if (!parsed)
        return std::nullopt;
    MeasureNumbersParams p;
    p.number = parsed->number;
    p.letter = parsed->letter;
    p.count = count;
    p.method = method;
    return p;
}

void MeasureNumbersModel::save(IProfile& profile) const
{
    writeSetting(profile, d::kNumberInsert, int32_t(method));
    writeSetting(profile, d::kNumberCount, count);
}

} // namespace rz
