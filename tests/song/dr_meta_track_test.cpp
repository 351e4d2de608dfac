#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "song/dr_meta_track.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "song_fixture.h"

namespace rz {
namespace {

using Texts = std::vector<std::pair<int32_t, std::string>>;

// The text events the play image holds, read with the play cursor.
Texts imageTexts(CTrack& track)
{
    Texts texts;
    track.RewindReader();
    RawEvent event;
    while (track.ReadNextEvent(event)) {
        if (event.kind == 0xFF && event.data1 == 0x01)
            texts.emplace_back(event.tick, std::string(event.data.begin(), event.data.end()));
    }
    return texts;
}

class DrMetaTrack : public testing::Test {
protected:
    Texts build()
    {
        BuildDrMetaTrack(*m_song, m_track);
        return imageTexts(m_track);
    }

    void addCue(int32_t kind, int32_t time, int32_t secondTime, std::string name,
                int32_t repeatCount = 0, int32_t secondCount = 0)
    {
        auto cue = std::make_unique<CCue>();
        cue->kind = kind;
        cue->time = time;
        cue->secondTime = secondTime;
        cue->name = std::move(name);
        cue->repeatCount = repeatCount;
        cue->secondCount = secondCount;
        m_song->cues.push_back(std::move(cue));
    }

    void setMeasures(std::vector<std::pair<uint16_t, char>> labels)
    {
        m_song->measureMap.clear();
        for (size_t i = 0; i < labels.size(); ++i) {
            MeasureRec measure;
            measure.Set(int32_t(i) * 480, 480);
            measure.number = labels[i].first;
            measure.letter = labels[i].second;
            m_song->measureMap.push_back(measure);
        }
    }

    SongFixture m_fixture;
    std::unique_ptr<CSongDoc> m_song = m_fixture.newSong();
    CTrack m_track;
};

TEST_F(DrMetaTrack, IsABareChunkNamedAfterItself)
{
    m_track.events.push_back(CMidiEvent{}); // a reused track loses what it held
    EXPECT_TRUE(build().empty());
    const std::string image(m_track.playImage.begin(), m_track.playImage.end());
    EXPECT_EQ(image, std::string("\x00\xFF\x03\x09@DO4_META\x00\xFF\x2F\x00", 17));
    ASSERT_EQ(m_track.events.size(), 1u);
}

TEST_F(DrMetaTrack, VampCueStartsOneTickAfterItsTimeWithItsCounts)
{
    addCue(kCueVamp, 480, 0, "Intro", 2, 0);
    EXPECT_EQ(build(), (Texts{{1, "@DR;22;0;0"}, {481, "@DR;22;0;1,3;2||0||Intro"}}));
}

TEST_F(DrMetaTrack, CuesGoInListOrderSkippingMarkersButCountingThem)
{
    addCue(kCueMarker, 0, 0, "Top");
    addCue(kCueSkip, 960, 1920, "Out");
    addCue(kCueVamp, 2400, 1920, "Loop");
    addCue(kCueFermata, 2880, 2880, "Hold");
    EXPECT_EQ(build(), (Texts{{961, "@DR;22;1;1,4;Out"},
                              {1921, "@DR;22;1;0"},
                              {1921, "@DR;22;2;0"},
                              {2401, "@DR;22;2;1,3;Loop"},
                              {2881, "@DR;22;3;1,2;Hold"}}));
}

TEST_F(DrMetaTrack, RelativeVolumeCode)
{
    const std::pair<double, const char*> cases[] = {
        {2.0, "@DR;24;32"}, {0.5, "@DR;24;0"}, {1.5, "@DR;24;25"}, {1.0005, nullptr},
        {1.0, nullptr},     {0.0, nullptr},
    };
    for (const auto& [volume, text] : cases) {
        m_song->relativeVolume = volume;
        const Texts expected = text == nullptr ? Texts{} : Texts{{1, text}};
        EXPECT_EQ(build(), expected) << volume;
    }
}

TEST_F(DrMetaTrack, LayoutTempoAndVolumeAtTickOne)
{
    m_song->layoutText = "frame;1;2";
    m_song->performanceTempo = 600000;
    m_song->relativeVolume = 2.0;
    EXPECT_EQ(build(),
              (Texts{{1, "@DR;21;frame;1;2"}, {1, "@DR;23;600000"}, {1, "@DR;24;32"}}));
}

TEST_F(DrMetaTrack, RegularMeasureNumbersGiveNoLabels)
{
    setMeasures({{1, 0}, {2, 0}, {3, 0}});
    EXPECT_TRUE(build().empty());
}

TEST_F(DrMetaTrack, OneIrregularMeasureGivesEveryMeasureALabel)
{
    const std::pair<std::vector<std::pair<uint16_t, char>>, Texts> cases[] = {
        {{{1, 0}, {2, 'B'}, {3, 0}}, {{1, "@DR;20;1"}, {481, "@DR;20;2B"}, {961, "@DR;20;3"}}},
        {{{1, 0}, {12, 0}}, {{1, "@DR;20;1"}, {481, "@DR;20;12"}}},
        {{{0, 'a'}, {0, 0}}, {{1, "@DR;20;A"}, {481, "@DR;20;"}}},
    };
    for (const auto& [labels, expected] : cases) {
        setMeasures(labels);
        EXPECT_EQ(build(), expected);
    }
}

TEST(DrMetaTrackNoteRecord, AttributeByteWrapsModulo256)
{
    EXPECT_EQ(noteAttributeByte(0, kNoSpelling), 0x10);
    EXPECT_EQ(noteAttributeByte(0, 1), 0x12);
    EXPECT_EQ(noteAttributeByte(2, 4), 0x35);
    EXPECT_EQ(noteAttributeByte(255, kNoSpelling), 0x00);
    EXPECT_EQ(noteAttributeByte(255, 0), 0x01);
}

} // namespace
} // namespace rz
