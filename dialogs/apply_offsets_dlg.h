#pragma once

#include "ui/dialog_base.h"

#include <cstdint>
#include <vector>

class QButtonGroup;
class QCheckBox;

namespace rz {

class CSongDoc;
class CTimePosCtrl;

// The tracks whose offsets are applied: every user track, or the track
// view's selected user rows (its current row in current-row mode).
std::vector<size_t> offsetTracks(const CSongDoc& song, bool selectedOnly);

// The "Entire song" / "From" choice with its two positions, shared by the
// dialogs that make playback adjustments permanent. GUI thread.
class ApplyRangeDialog : public DialogBase {
    Q_OBJECT
public:
    CTimePosCtrl* fromCtrl() const { return m_from; }
    CTimePosCtrl* toCtrl() const { return m_to; }
    // Whether OK changed the song.
    bool applied() const { return m_applied; }

protected:
    ApplyRangeDialog(CSongDoc& song, const char* title, QWidget* parent);

    // The range radios and positions, then `extra` controls, then OK and Cancel.
    void lay(QWidget* extra);
    bool wholeSong() const;
    // From the smaller to the larger position.
    int32_t low() const;
    int32_t high() const;

    CSongDoc& m_song;
    bool m_applied = false;

private:
    QButtonGroup* m_range = nullptr;
    CTimePosCtrl* m_from = nullptr;
    CTimePosCtrl* m_to = nullptr;
};

// "Apply tempo ratio": writes the engine's tempo multiplier into the tempo map.
class CTempoRatioDlg : public ApplyRangeDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 302;

    // multiplier: 100000 = 100 %.
    CTempoRatioDlg(CSongDoc& song, int32_t multiplier, QWidget* parent = nullptr);

    void accept() override;

private:
    int32_t m_multiplier;
};

// "Apply track offsets": writes tracks' key, time and velocity offsets into
// their events and sets those offsets to 0.
class CTrackOffsetsDlg : public ApplyRangeDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 303;

    explicit CTrackOffsetsDlg(CSongDoc& song, QWidget* parent = nullptr);

    void accept() override;

private:
    QCheckBox* m_key = nullptr;
    QCheckBox* m_time = nullptr;
    QCheckBox* m_velocity = nullptr;
    QButtonGroup* m_tracks = nullptr;
};

inline constexpr char kTempoLimitsMessage[] = "Unable to do this--resultant tempo would exceed limits.";

} // namespace rz
