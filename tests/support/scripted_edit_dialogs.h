#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <set>

#include "core/edit_dialogs.h"
#include "song/undo_record.h"
#include "song/find_criteria.h"
#include "tests/support/call_log.h"

namespace rz {

// Edit dialogs that answer what the test set: an unset answer is Cancel.
// Every dialog is there unless the test takes it away.
class ScriptedEditDialogs : public IEditDialogs {
public:
    CallLog log;
    std::set<EditDialog> missing;
    std::optional<CopyTimeParams> copyTimeAnswer;
    std::optional<DeleteTimeParams> deleteTimeAnswer;
    std::optional<PasteTimeParams> pasteTimeAnswer;
    std::optional<PasteEventsParams> pasteEventsAnswer;
    std::optional<SelectTimeParams> selectTimeAnswer;
    int32_t offeredPosition = -1; // the position the last paste dialog was offered
    std::optional<KeySignatureParams> keySignatureAnswer;
    std::optional<MeasureNumbersParams> measureNumbersAnswer;
    std::optional<MeterParams> meterAnswer;
    std::optional<TrackPropsParams> trackPropertiesAnswer;
    std::optional<EventPropsResult> eventPropertiesAnswer;
    std::optional<InsertTimeParams> insertTimeAnswer;
    std::optional<ControllerSeriesParams> controllerSeriesAnswer;
    std::optional<ChordParams> chordAnswer;
    std::optional<ExpressionTextParams> expressionTextAnswer;
    std::optional<WedgeParams> wedgeAnswer;
    std::optional<CuePropsParams> cuePropertiesAnswer;
    // The waveform dialog answers these in turn; Cancel once they run out.
    std::deque<std::optional<WavePropsParams>> wavePropertiesAnswers;
    std::unique_ptr<CUndoRecord> lyricsRecord;
    std::optional<SongPropsParams> songPropertiesAnswer;
    // What the last dialogs that take a starting point were opened on.
    std::optional<TrackPropsParams> trackPreset;
    std::optional<EventPropsRequest> eventRequest;
    std::optional<ChordParams> chordStart;
    std::optional<ExpressionTextParams> expressionStart;
    std::optional<WedgeParams> wedgeStart;
    std::optional<CuePropsParams> cueStart;
    std::vector<WavePropsParams> waveStarts;
    std::optional<TransposeParams> transposeAnswer;
    std::optional<QuantizeParams> quantizeAnswer;
    std::optional<VelocityParams> velocitiesAnswer;
    std::optional<DurationParams> durationAnswer;
    std::optional<MoveParams> moveAnswer;
    std::optional<ThinParams> thinAnswer;
    std::optional<RandomizeParams> randomizeAnswer;
    std::optional<FindCriteria> findAnswer; // replaces the criteria on OK
    int64_t offeredExtent = -1;    // what the Velocities dialog was given
    int32_t offeredFirstTick = -1; // what the Move dialog was given
    std::optional<int> selectControllerAnswer;
    int offeredController = -1; // the kind the controller choice opened on

    bool has(EditDialog dialog) const override { return missing.count(dialog) == 0; }
    std::optional<CopyTimeParams> copyTime(CSongDoc&) override
    {
        log.record("copyTime");
        return copyTimeAnswer;
    }
    std::optional<DeleteTimeParams> deleteTime(CSongDoc&) override
    {
        log.record("deleteTime");
        return deleteTimeAnswer;
    }
    std::optional<PasteTimeParams> pasteTime(CSongDoc&, int32_t position) override
    {
        log.record("pasteTime", position);
        offeredPosition = position;
        return pasteTimeAnswer;
    }
    std::optional<PasteEventsParams> pasteEvents(CSongDoc&, int32_t position) override
    {
        log.record("pasteEvents", position);
        offeredPosition = position;
        return pasteEventsAnswer;
    }
    std::optional<SelectTimeParams> selectTime(CSongDoc&) override
    {
        log.record("selectTime");
        return selectTimeAnswer;
    }
    std::optional<KeySignatureParams> keySignature(CSongDoc&) override
    {
        log.record("keySignature");
        return keySignatureAnswer;
    }
    std::optional<MeasureNumbersParams> measureNumbers(CSongDoc&) override
    {
        log.record("measureNumbers");
        return measureNumbersAnswer;
    }
    std::optional<MeterParams> meter(CSongDoc&) override
    {
        log.record("meter");
        return meterAnswer;
    }
    std::optional<TrackPropsParams> trackProperties(CSongDoc&, const TrackPropsParams& preset) override
    {
        log.record("trackProperties");
        trackPreset = preset;
        return trackPropertiesAnswer;
    }
    std::optional<EventPropsResult> eventProperties(CSongDoc&, const EventPropsRequest& request) override
    {
        log.record("eventProperties");
        eventRequest = request;
        return eventPropertiesAnswer;
    }
    std::optional<InsertTimeParams> insertTime(CSongDoc&) override
    {
        log.record("insertTime");
        return insertTimeAnswer;
    }
    std::optional<ControllerSeriesParams> controllerSeries(CSongDoc&) override
    {
        log.record("controllerSeries");
        return controllerSeriesAnswer;
    }
    std::optional<ChordParams> chord(CSongDoc&, const ChordParams& start) override
    {
        log.record("chord");
        chordStart = start;
        return chordAnswer;
    }
    std::optional<ExpressionTextParams> expressionText(CSongDoc&, const ExpressionTextParams& start) override
    {
        log.record("expressionText");
        expressionStart = start;
        return expressionTextAnswer;
    }
    std::optional<WedgeParams> wedge(CSongDoc&, const WedgeParams& start) override
    {
        log.record("wedge");
        wedgeStart = start;
        return wedgeAnswer;
    }
    std::optional<CuePropsParams> cueProperties(CSongDoc&, const CuePropsParams& cue) override
    {
        log.record("cueProperties");
        cueStart = cue;
        return cuePropertiesAnswer;
    }
    std::optional<WavePropsParams> waveProperties(CSongDoc&, const WavePropsParams& clip) override
    {
        log.record("waveProperties");
        waveStarts.push_back(clip);
        if (wavePropertiesAnswers.empty())
            return std::nullopt;
        std::optional<WavePropsParams> answer = wavePropertiesAnswers.front();
        wavePropertiesAnswers.pop_front();
        return answer;
    }
    std::unique_ptr<CUndoRecord> editLyrics(CSongDoc&, int32_t track, int32_t event) override
    {
        log.record("editLyrics", track, event);
        return std::move(lyricsRecord);
    }
    std::optional<SongPropsParams> songProperties(CSongDoc&) override
    {
        log.record("songProperties");
        return songPropertiesAnswer;
    }
    std::optional<TransposeParams> transpose(CSongDoc&) override
    {
        log.record("transpose");
        return transposeAnswer;
    }
    std::optional<QuantizeParams> quantize(CSongDoc&) override
    {
        log.record("quantize");
        return quantizeAnswer;
    }
    std::optional<VelocityParams> velocities(CSongDoc&, int64_t extent) override
    {
        log.record("velocities", extent);
        offeredExtent = extent;
        return velocitiesAnswer;
    }
    std::optional<DurationParams> duration(CSongDoc&) override
    {
        log.record("duration");
        return durationAnswer;
    }
    std::optional<MoveParams> move(CSongDoc&, int32_t firstTick) override
    {
        log.record("move", firstTick);
        offeredFirstTick = firstTick;
        return moveAnswer;
    }
    std::optional<int> selectController(CSongDoc&, int track, int current) override
    {
        log.record("selectController", track);
        offeredController = current;
        return selectControllerAnswer;
    }
    std::optional<ThinParams> thin(CSongDoc&) override
    {
        log.record("thin");
        return thinAnswer;
    }
    std::optional<RandomizeParams> randomize(CSongDoc&) override
    {
        log.record("randomize");
        return randomizeAnswer;
    }
    bool find(CSongDoc&, FindCriteria& criteria) override
    {
        log.record("find");
        if (!findAnswer)
            return false;
        criteria = *findAnswer;
        return true;
    }
};

} // namespace rz
