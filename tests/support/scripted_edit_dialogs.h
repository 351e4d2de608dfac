#pragma once

#include <optional>
#include <set>

#include "core/edit_dialogs.h"
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
