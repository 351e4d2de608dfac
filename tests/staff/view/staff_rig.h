#pragma once

#include <QImage>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "core/settings.h"
#include "song/measure_map.h"
#include "song/song_doc.h"
#include "staff/staff_view.h"
#include "staff/symbols/music_font.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/support/scripted_edit_dialogs.h"

namespace rz::test {

inline const MusicFont& staffFont()
{
    static const std::unique_ptr<MusicFont> font = MusicFont::load();
    return *font;
}

struct Bar {
    int numerator = 4;
    int denominator = 4;
    int key = 0;
};

// A song at 480 ticks a quarter built in memory from its measures, its
// user tracks selected in the fake track list, and a staff view over it
// with the real music font; the frame's tools and hooks are recorded.
struct StaffRig {
    SongFixture fixture;
    ScriptedEditDialogs dialogs; // answers the staff tools' dialogs; Cancel unless set
    std::unique_ptr<CSongDoc> song;
    StaffToolState tools;
    int optionsOpened = 0;
    std::vector<std::pair<int, int>> timers;
    std::unique_ptr<StaffView> view;

    explicit StaffRig(int measures = 16, std::initializer_list<Bar> bars = {})
    {
        SongContext context = fixture.context();
        context.editDialogs = &dialogs;
        song = std::make_unique<CSongDoc>(context);
        song->InitNewSong();
        song->timeBase = 480;
        song->measureMap.clear();
        std::vector<Bar> list(bars);
        for (int m = 0; m < measures; ++m) {
            const Bar bar = list.empty() ? Bar{} : list[size_t(std::min<int>(m, int(list.size()) - 1))];
            MeasureRec rec;
            int power = 0;
            while ((1 << power) < bar.denominator)
                ++power;
            rec.setMeter(bar.numerator, power);
            rec.key = int8_t(bar.key);
            rec.number = uint16_t(m + 1);
            song->measureMap.push_back(rec);
        }
        song->measureMapEnd = RecomputeMeasureStarts(song->measureMap, 480);
        song->endTick = song->measureMapEnd;
        tools.duration = 480;
        tools.gridResolution = 240;
    }

    int32_t startOf(int measure) const { return song->measureMap[size_t(measure)].start; }

    // A selected MIDI track; returns its number.
    int addTrack(int staffType = 0)
    {
        CTrack& track = addUserTrack(*song);
        track.notationSetting = staffType;
        const int number = int(song->tracks.size()) - 2;
        track.name = "Part " + std::to_string(number);
        fixture.trackRows.selected.insert(number);
        return number;
    }
    CTrack& track(int number) { return *song->tracks[size_t(number)]; }

    // Quarter notes through every measure, climbing a scale.
    void fillQuarters(int number)
    {
        static constexpr int kScale[] = {60, 62, 64, 65, 67, 69, 71, 72};
        auto& events = track(number).events;
        int i = 0;
        for (const MeasureRec& rec : song->measureMap)
            for (int beat = 0; beat < rec.numerator; ++beat, ++i)
                events.push_back(note(rec.start + beat * 480 * 4 / rec.denominator, uint8_t(kScale[i % 8]),
                                      90, 440));
    }

    StaffViewContext context()
    {
        StaffViewContext c;
        c.profile = &fixture.profile;
        c.host = &fixture.host;
        c.trackRows = &fixture.trackRows;
        c.font = [] { return &staffFont(); };
        c.tools = [this] { return &tools; };
        c.openStaffOptions = [this] { ++optionsOpened; };
        c.startFrameTimer = [this](int id, int ms) { timers.push_back({id, ms}); };
        return c;
    }

    StaffView& open(bool leadSheet = false, QSize size = {800, 400})
    {
        view = std::make_unique<StaffView>(context(), leadSheet, false, nullptr);
        view->resize(size);
        view->attach(*song);
        view->initialUpdate();
        return *view;
    }

    QImage picture() const { return view->grab().toImage(); }
};

// Whether a pixel is dark (ink) rather than the paper or background.
inline bool ink(const QImage& image, int x, int y)
{
    return image.rect().contains(x, y) && qGray(image.pixel(x, y)) < 100;
}

// Dark pixels in a column between two rows.
inline int inkInColumn(const QImage& image, int x, int top, int bottom)
{
    int count = 0;
    for (int y = top; y <= bottom; ++y)
        count += ink(image, x, y) ? 1 : 0;
    return count;
}

} // namespace rz::test
