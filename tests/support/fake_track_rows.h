#pragma once

#include <set>

#include "core/track_rows.h"
#include "tests/support/call_log.h"

namespace rz {

// A row selection kept in a set; records the calls that change it.
class FakeTrackRows : public ITrackRows {
public:
    CallLog log;
    int current = -1;
    bool currentOnly = false;
    std::set<int> selected;

    int currentRow() const override { return current; }
    bool currentRowMode() const override { return currentOnly; }
    void SelectNone() override;
    void SetCurrentRow(int row) override;
    void SelectRow(int row, bool clearOthers) override;
    bool IsRowSelected(int row) const override { return selected.count(row) != 0; }
    int GetSelectedCount() const override { return int(selected.size()); }
    int GetFirstSelected() const override;
    int GetNextSelected(int row) const override;
    void SyncRowCount() override;

    int top = 0;
    int secondBand = 15;
    int topRow() const override { return top; }
    void setTopRow(int row) override;
    int secondBandHeight() const override { return secondBand; }
    void stepCurrentRow(int delta) override;
};

} // namespace rz
