#include "tests/support/fake_track_rows.h"

namespace rz {

void FakeTrackRows::SelectNone()
{
    log.record("SelectNone");
    selected.clear();
}

void FakeTrackRows::SetCurrentRow(int row)
{
    log.record("SetCurrentRow", row);
    current = row;
}

void FakeTrackRows::SelectRow(int row, bool clearOthers)
{
    log.record("SelectRow", row, clearOthers);
    if (clearOthers)
        selected.clear();
    selected.insert(row);
}

int FakeTrackRows::GetFirstSelected() const
{
    return selected.empty() ? -1 : *selected.begin();
}

int FakeTrackRows::GetNextSelected(int row) const
{
    auto next = selected.upper_bound(row);
    return next == selected.end() ? -1 : *next;
}

void FakeTrackRows::SyncRowCount() { log.record("SyncRowCount"); }

void FakeTrackRows::setTopRow(int row)
{
    log.record("setTopRow", row);
    top = row;
}

void FakeTrackRows::stepCurrentRow(int delta)
{
    log.record("stepCurrentRow", delta);
}

} // namespace rz
