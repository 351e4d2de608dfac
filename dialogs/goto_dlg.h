#pragma once

#include "ui/dialog_base.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace rz {

class CSmpteEdit;
class CSongDoc;
class CTimePosCtrl;

// One row of the go-to list: a Marker, or a cue with a name, at the earlier
// of its two times.
struct GotoRow {
    int32_t cue = 0; // index in the song's cue list
    int32_t tick = 0;
    std::string time; // the tick as the song writes positions
    std::string name; // shown text
};
std::vector<GotoRow> gotoRows(const CSongDoc& song);

// "Go to...": a new song position, typed as a position or as time code
// (kept in step), or picked from the song's markers and named cues; a
// double click on a row is OK. The caller moves to `tick()`. GUI thread.
class CGotoDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 204;

    // rate: the time code's frame rate.
    CGotoDlg(const CSongDoc& song, int rate, QWidget* parent = nullptr);

    int32_t tick() const;

    CTimePosCtrl* positionCtrl() const { return m_position; }
    CSmpteEdit* smpteEdit() const { return m_smpte; }
    QTreeWidget* markerList() const { return m_list; }

private:
    void onTickChanged();
    void onSmpteChanged();
    void onRowChosen(QTreeWidgetItem* item);

    const CSongDoc& m_song;
    CTimePosCtrl* m_position = nullptr;
    CSmpteEdit* m_smpte = nullptr;
    QTreeWidget* m_list = nullptr;
};

} // namespace rz
