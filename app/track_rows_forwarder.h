#pragma once

#include "core/track_rows.h"

#include <functional>

namespace rz {

// What songs hold as their track rows: answers from the track view once it
// exists, and as an empty selection before (or without) one. GUI thread.
class TrackRowsForwarder : public ITrackRows {
public:
    using Finder = std::function<ITrackRows*()>;

    explicit TrackRowsForwarder(Finder find) : m_find(std::move(find)) {}

    int currentRow() const override { return rows() ? rows()->currentRow() : -1; }
    bool currentRowMode() const override { return rows() && rows()->currentRowMode(); }
    void SelectNone() override
    {
        if (ITrackRows* r = rows())
            r->SelectNone();
    }
    void SetCurrentRow(int row) override
    {
        if (ITrackRows* r = rows())
            r->SetCurrentRow(row);
    }
    void SelectRow(int row, bool clearOthers) override
    {
        if (ITrackRows* r = rows())
            r->SelectRow(row, clearOthers);
    }
    bool IsRowSelected(int row) const override { return rows() && rows()->IsRowSelected(row); }
    int GetSelectedCount() const override { return rows() ? rows()->GetSelectedCount() : 0; }
    int GetFirstSelected() const override { return rows() ? rows()->GetFirstSelected() : -1; }
    int GetNextSelected(int row) const override { return rows() ? rows()->GetNextSelected(row) : -1; }
    void SyncRowCount() override
    {
        if (ITrackRows* r = rows())
            r->SyncRowCount();
    }
    int topRow() const override { return rows() ? rows()->topRow() : 0; }
    void setTopRow(int row) override
    {
        if (ITrackRows* r = rows())
            r->setTopRow(row);
    }
    int secondBandHeight() const override { return rows() ? rows()->secondBandHeight() : 0; }
    void stepCurrentRow(int delta) override
    {
        if (ITrackRows* r = rows())
            r->stepCurrentRow(delta);
    }

private:
    ITrackRows* rows() const { return m_find ? m_find() : nullptr; }

    Finder m_find;
};

} // namespace rz
