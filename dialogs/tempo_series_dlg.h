#pragma once

#include "core/input_capture_sinks.h"
#include "song/tempo_insert.h"
#include "ui/dialog_base.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace rz {

class CSongDoc;

// "Insert a series of tempo changes...": each typed character or played
// note is one beat, and the time between two beats is the tempo of the
// first. In maintain mode the song position follows the beats (sounding
// what is there with "Play MIDI notes"); in align mode the song plays from
// the first beat. Changes nothing but the engine's transport, which it
// leaves stopped. GUI thread.
class CTempoSeriesDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 146;

    // Beat sizes of the combo's entries after "Same as metronome", in
    // 1/120 of a quarter note.
    static constexpr std::array<int32_t, 11> kBeatSizes = {480, 240, 160, 120, 80, 60, 40, 30, 20, 15, 10};

    // `engineClock` gives the millisecond clock typed beats are read on;
    // null: the program clock. Played beats come with their own reading.
    CTempoSeriesDlg(CSongDoc& song, QWidget* parent = nullptr, std::function<uint32_t()> engineClock = {});
    ~CTempoSeriesDlg() override;

    // What MIDI input taps while the dialog shows: any thread; each beat
    // is handed to the GUI thread in the order it came.
    std::shared_ptr<ITempoTapSink> tapSink() const;

    // One beat at a clock reading, ms; what a typed character does.
    void beat(uint32_t clockMs);

    // The captured beats, the last one's tempo from the song's map; a beat's
    // time is its clock reading in µs.
    struct Entry {
        int32_t tick = 0;
        uint32_t tempo = 0;
        double time = 0.0;
    };
    std::vector<Entry> entries() const;
    std::vector<TempoPoint> points() const;
    int beatCount() const { return m_beatCount; }
    bool alignAudio() const;


    void accept() override;
    void reject() override;

private:
    class Sink;

    void build();
    void modeChanged();
    void playMidiChanged();
    void followUp();
    int32_t beatSize() const;
    void readDefaults();
    void writeDefaults();

    CSongDoc& m_song;
    std::function<uint32_t()> m_clock;
    std::shared_ptr<Sink> m_sink;
    std::vector<Entry> m_entries;
    std::optional<uint32_t> m_lastBeatClock;
    int m_beatCount = 0;
    int32_t m_beatTick = 0;
    QButtonGroup* m_mode = nullptr;
    QComboBox* m_resolution = nullptr;
    QCheckBox* m_playMidi = nullptr;
    QCheckBox* m_playAudio = nullptr;
    QLineEdit* m_typing = nullptr;
    QLineEdit* m_count = nullptr;
};

} // namespace rz
