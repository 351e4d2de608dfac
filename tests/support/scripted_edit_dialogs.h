#pragma once

#include <optional>
#include <set>

#include "core/edit_dialogs.h"
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
};

} // namespace rz
