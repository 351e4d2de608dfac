#pragma once

#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "song/measure_map.h"
#include "staff/model/staff_model.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/staff/model/fixed_metrics.h"

namespace rz::test {

struct Meter {
    int numerator = 4;
    int denominator = 4;
    int key = 0;
};

// An in-memory song for the staff builder: a time base, one measure per
// meter, user tracks added by the test, every user track shown.
struct StaffSong {
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
    StaffSettings settings;
    FixedMetrics metrics;
    const ISynthLookup* synths = nullptr;

    explicit StaffSong(int timeBase = 480, std::initializer_list<Meter> meters = {{4, 4}})
    {
        song->timeBase = uint16_t(timeBase);
        settings.staffSize = 28;
        song->measureMap.clear();
        for (const Meter& meter : meters) {
            MeasureRec rec;
            int power = 0;
            while ((1 << power) < meter.denominator)
                ++power;
            rec.setMeter(meter.numerator, power);
            rec.key = int8_t(meter.key);
            song->measureMap.push_back(rec);
        }
        song->measureMapEnd = RecomputeMeasureStarts(song->measureMap, timeBase);
    }

    CTrack& track(int staffType = 0)
    {
        CTrack& t = addUserTrack(*song);
        t.notationSetting = staffType;
        return t;
    }

    StaffModel build() const
    {
        std::vector<int> rows;
        for (size_t i = 1; i + 1 < song->tracks.size(); ++i)
            rows.push_back(int(i));
        return BuildStaffModel(*song, rows, settings, synths, metrics);
    }
};

// The dump's lines that start with `prefix` (after leading blanks), joined
// by newlines.
inline std::string linesOf(const std::string& dump, const std::string& prefix)
{
    std::istringstream in(dump);
    std::string line, out;
    while (std::getline(in, line)) {
        const size_t start = line.find_first_not_of(' ');
        if (start != std::string::npos && line.compare(start, prefix.size(), prefix) == 0)
            out += (out.empty() ? "" : "\n") + line.substr(start);
    }
    return out;
}

} // namespace rz::test
