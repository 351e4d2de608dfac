#include "staff/wedge_dlg.h"

#include "dialogs/field_values.h"
#include "dialogs/time_pos_ctrl.h"
#include "song/song_doc.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace rz {

CWedgeDlg::CWedgeDlg(CSongDoc& song, const WedgeParams& start, QWidget* parent)
    : DialogBase(parent), m_start(start), m_quarter(std::max<int32_t>(song.timeBase, 1))
{
    setWindowTitle("Wedge properties");
    m_begin = new CTimePosCtrl(song, std::clamp(start.begin, 0, kMaxDialogTick), 0, this);
    m_begin->setObjectName("begin1006");
    m_end = new CTimePosCtrl(song, std::clamp(start.end, 0, kMaxDialogTick), 0, this);
    m_end->setObjectName("end1007");
    m_crescendo = new QRadioButton("Crescendo (<)", this);
    m_crescendo->setObjectName("crescendo1204");
    m_decrescendo = new QRadioButton("Decrescendo (>)", this);
    m_decrescendo->setObjectName("decrescendo1205");
    m_crescendo->setChecked(start.direction == 0);
    m_decrescendo->setChecked(start.direction == 1);
    auto* buttons = buttonRow();
    auto* form = new QFormLayout;
    form->addRow("Begin:", m_begin);
    form->addRow("End:", m_end);
    form->addRow(m_crescendo);
    form->addRow(m_decrescendo);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(m_end, &CTimePosCtrl::changed, this, &CWedgeDlg::endChanged);
    connect(m_begin, &CTimePosCtrl::changed, this, &CWedgeDlg::beginChanged);
}

// A wedge that would begin before the song starts spans its first quarter.
void CWedgeDlg::endChanged()
{
    const int32_t end = std::max(m_end->tick(), 0);
    if (end > m_begin->tick())
        return;
    if (end - m_quarter < 0) {
        m_begin->setTick(0);
        m_end->setTick(m_quarter);
    } else {
        m_begin->setTick(end - m_quarter);
    }
}

void CWedgeDlg::beginChanged()
{
    const int32_t begin = std::max(m_begin->tick(), 0);
    if (m_end->tick() > begin)
        return;
    // Near the last tick the begin gives way, so the end still fits.
    const int32_t last = kMaxDialogTick - m_quarter;
    if (begin > last)
        m_begin->setTick(last);
    m_end->setTick(std::min(begin, last) + m_quarter);
}

WedgeParams CWedgeDlg::params() const
{
    WedgeParams p = m_start;
    p.begin = std::max(m_begin->tick(), 0);
    p.end = std::max(m_end->tick(), 0);
    p.direction = m_crescendo->isChecked() ? 0 : m_decrescendo->isChecked() ? 1 : -1;
    return p;
}

} // namespace rz
