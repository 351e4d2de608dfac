#pragma once

#include "core/edit_dialogs.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>

class QDialog;
class QWidget;

namespace rz {

class IChordBook;
class IEventCaptureSink;
class MusicFont;

// The edit dialogs the program has, each run modally over the main frame.
// One not built yet answers nothing and `has` is false for it, so the
// commands that need it stay grey. GUI thread.
class ProgramEditDialogs : public IEditDialogs {
public:
    struct Services {
        // The dialogs' parent; null before the main frame exists.
        std::function<QWidget*()> parent;
        // Help buttons open their page through this; null: Help does nothing.
        std::function<void(std::string_view topic)> help;
        // A controller view is open; null: none is.
        std::function<bool()> controllerViewOpen;
        // Cue positions are entered as time code while a clock-time view
        // exists; null: never.
        std::function<bool()> clockTimeViewOpen;
        // The music font the key and meter previews draw with; null: none.
        std::function<const MusicFont*()> musicFont;
        // The chord table the chord dialog picks from; null: none.
        std::function<IChordBook*()> chordBook;
        // Hands MIDI input to the open event dialog (null: none is open);
        // null: events are not captured.
        std::function<void(std::shared_ptr<IEventCaptureSink>)> setEventCapture;
        // The notice shown while a captured message arrives, counting the
        // bytes in `received`; null or answering null: none shows.
        std::function<QDialog*(const std::atomic<int>& received, QWidget* parent)> receiveNotice;
    };

    explicit ProgramEditDialogs(Services services);

    bool has(EditDialog dialog) const override;
    std::optional<CopyTimeParams> copyTime(CSongDoc& song) override;
    std::optional<DeleteTimeParams> deleteTime(CSongDoc& song) override;
    std::optional<PasteTimeParams> pasteTime(CSongDoc& song, int32_t position) override;
    std::optional<PasteEventsParams> pasteEvents(CSongDoc& song, int32_t position) override;
    std::optional<SelectTimeParams> selectTime(CSongDoc& song) override;
    std::optional<KeySignatureParams> keySignature(CSongDoc& song) override;
    std::optional<MeasureNumbersParams> measureNumbers(CSongDoc& song) override;
    std::optional<MeterParams> meter(CSongDoc& song) override;
    std::optional<TrackPropsParams> trackProperties(CSongDoc& song, const TrackPropsParams& preset) override;
    std::optional<EventPropsResult> eventProperties(CSongDoc& song, const EventPropsRequest& request) override;
    std::optional<InsertTimeParams> insertTime(CSongDoc& song) override;
    std::optional<ControllerSeriesParams> controllerSeries(CSongDoc& song) override;
    std::optional<ChordParams> chord(CSongDoc& song, const ChordParams& start) override;
    std::optional<ExpressionTextParams> expressionText(CSongDoc& song, const ExpressionTextParams& start) override;
    std::optional<WedgeParams> wedge(CSongDoc& song, const WedgeParams& start) override;
    std::optional<CuePropsParams> cueProperties(CSongDoc& song, const CuePropsParams& cue) override;
    std::optional<WavePropsParams> waveProperties(CSongDoc& song, const WavePropsParams& clip) override;
    std::unique_ptr<CUndoRecord> editLyrics(CSongDoc& song, int32_t track, int32_t event) override;
    std::optional<SongPropsParams> songProperties(CSongDoc& song) override;
    std::optional<TransposeParams> transpose(CSongDoc& song) override;
    std::optional<QuantizeParams> quantize(CSongDoc& song) override;
    std::optional<VelocityParams> velocities(CSongDoc& song, int64_t extent) override;
    std::optional<DurationParams> duration(CSongDoc& song) override;
    std::optional<MoveParams> move(CSongDoc& song, int32_t firstTick) override;
    std::optional<ThinParams> thin(CSongDoc& song) override;
    std::optional<RandomizeParams> randomize(CSongDoc& song) override;
    bool find(CSongDoc& song, FindCriteria& criteria) override;
    std::optional<int> selectController(CSongDoc& song, int track, int current) override;
    bool filterEvents(CSongDoc& song, int32_t track, uint16_t& mask, int32_t& controller) override;

private:
    QWidget* parentWindow() const;
    // Runs a dialog of the time edits modally; its parameters on OK.
    template <class Dialog, class... Args>
    auto run(Args&&... args) -> std::optional<decltype(std::declval<Dialog>().params())>;

    Services m_services;
};

} // namespace rz
