#include "song/undo_record.h"

namespace rz {

int32_t CUndoRecord::timeLength() const
{
    const int32_t* length = std::get_if<int32_t>(&payload);
    return length != nullptr ? *length : 0;
}

const CUndoRecord* unreachableSavedRecord()
{
    static const CUndoRecord kNone;
    return &kNone;
}

} // namespace rz
