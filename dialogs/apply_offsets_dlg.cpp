#include "dialogs/apply_offsets_dlg.h"

#include "core/prompt.h"
#include "core/track_rows.h"
#include "dialogs/small_controls.h"
#include "dialogs/time_pos_ctrl.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "song/tempo_insert.h"
#include "song/track_offsets.h"
#include "song/undo_record.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace rz {

std::vector<size_t> offsetTracks(const CSongDoc& song, bool selectedOnly)
{
    std::vector<size_t> tracks;
    const ITrackRows* rows = song.context().trackRows;
    for (size_t t = 1; t + 1 < song.tracks.size(); ++t) {
        const bool chosen = !selectedOnly
                            || (rows && (rows->currentRowMode() ? rows->currentRow() == int(t)
                                                                : rows->IsRowSelected(int(t))));
        if (chosen)
            tracks.push_back(t);
    }
    return tracks;
}

// ---- the range

ApplyRangeDialog::ApplyRangeDialog(CSongDoc& song, const char* title, QWidget* parent)
    : DialogBase(parent), m_song(song)
{
    setWindowTitle(title);
    const bool range = song.selectionKind == kSelectTimeRange;
    const int32_t position = std::max(song.position(), 0);
    m_from = new CTimePosCtrl(song, range ? std::max(song.selectionFrom, 0) : position, 0, this);
    m_from->setObjectName("from1052");
    m_to = new CTimePosCtrl(song, range ? std::max(song.selectionTo, 0) : position, 0, this);
    m_to->setObjectName("to1053");
    m_range = new QButtonGroup(this);
    connect(m_range, &QButtonGroup::idClicked, this, [this] {
        m_from->setEnabled(!wholeSong());
        m_to->setEnabled(!wholeSong());
    });
}

void ApplyRangeDialog::lay(QWidget* extra)
{
    auto* box = new QGroupBox(this);
    auto* form = new QFormLayout(box);
    form->addRow(radio(box, m_range, "entire", "Entire song", 0));
    form->addRow(radio(box, m_range, "from", "From", 1), m_from);
    form->addRow("To", m_to);
    const bool range = m_song.selectionKind == kSelectTimeRange;
    m_range->button(range ? 1 : 0)->setChecked(true);
    m_from->setEnabled(range);
    m_to->setEnabled(range);
    auto* buttons = buttonRow();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    if (extra)
        layout->addWidget(extra);
    layout->addWidget(buttons);
}

bool ApplyRangeDialog::wholeSong() const
{
    return m_range->checkedId() != 1;
}

int32_t ApplyRangeDialog::low() const
{
    return std::max(std::min(m_from->tick(), m_to->tick()), 0);
}

int32_t ApplyRangeDialog::high() const
{
    return std::max(std::max(m_from->tick(), m_to->tick()), 0);
}

// ---- tempo ratio

CTempoRatioDlg::CTempoRatioDlg(CSongDoc& song, int32_t multiplier, QWidget* parent)
    : ApplyRangeDialog(song, "Apply tempo ratio", parent), m_multiplier(multiplier)
{
    lay(nullptr);
}

// Refused or applied, the dialog closes.
void CTempoRatioDlg::accept()
{
    const TempoRatioRange range{wholeSong(), low(), high()};
    std::optional<CTempoSet> set = BuildTempoRatioSet(m_song.tempoMap, m_multiplier, range, m_song.measureMapEnd);
    if (!set) {
        m_song.context().prompt.message(kTempoLimitsMessage, PromptIcon::Warning);
    } else {
        auto record = std::make_unique<CUndoRecord>();
        record->flags = kUndoTempo;
        record->label = "Apply tempo ratio";
        record->tempo = std::make_unique<CTempoSet>(std::move(*set));
        m_applied = m_song.ApplyEdit(std::move(record)) == ApplyResult::Applied;
    }
    QDialog::accept();
}

// ---- track offsets

CTrackOffsetsDlg::CTrackOffsetsDlg(CSongDoc& song, QWidget* parent)
    : ApplyRangeDialog(song, "Apply track offsets", parent)
{
    auto* extra = new QWidget(this);
    auto* column = new QVBoxLayout(extra);
    column->setContentsMargins(0, 0, 0, 0);
    m_key = new QCheckBox("Key offsets", extra);
    m_key->setObjectName("key1212");
    m_time = new QCheckBox("Time offsets", extra);
    m_time->setObjectName("time1002");
    m_velocity = new QCheckBox("Velocity offsets", extra);
    m_velocity->setObjectName("velocity1001");
    for (QCheckBox* box : {m_key, m_time, m_velocity}) {
        box->setChecked(true);
        column->addWidget(box);
    }
    m_tracks = new QButtonGroup(this);
    column->addWidget(radio(extra, m_tracks, "all1213", "All tracks", 0));
    column->addWidget(radio(extra, m_tracks, "selected1214", "Selected tracks", 1));
    const ITrackRows* rows = song.context().trackRows;
    m_tracks->button(rows && rows->GetSelectedCount() > 0 ? 1 : 0)->setChecked(true);
    lay(extra);
}

// A run that changes no event leaves the song, offsets included, alone.
void CTrackOffsetsDlg::accept()
{
    const std::vector<size_t> tracks = offsetTracks(m_song, m_tracks->checkedId() == 1);
    const OffsetKinds which{m_key->isChecked(), m_time->isChecked(), m_velocity->isChecked()};
    const int32_t from = wholeSong() ? 0 : low();
    const int32_t to = wholeSong() ? INT32_MAX : high();
    if (std::unique_ptr<CUndoRecord> record = BuildOffsetsRecord(m_song, tracks, from, to, which))
        m_applied = m_song.ApplyEdit(std::move(record)) == ApplyResult::Applied;
    QDialog::accept();
}

} // namespace rz
