#include "dialogs/goto_dlg.h"

#include "core/text_codec.h"
#include "dialogs/field_values.h"
#include "dialogs/smpte_edit.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "song/cue.h"
#include "song/song_doc.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace rz {
namespace {

constexpr const char* kGotoHelpTopic = "::/Transport.htm#goto";
constexpr int kTickWidth = 80;
constexpr int kTextWidth = 190;

} // namespace

std::vector<GotoRow> gotoRows(const CSongDoc& song)
{
    std::vector<GotoRow> rows;
    for (size_t i = 0; i < song.cues.size(); ++i) {
        const CCue& cue = *song.cues[i];
        if (cue.kind != kCueMarker && cue.name.empty())
            continue;
        GotoRow row;
        row.cue = int32_t(i);
        row.tick = std::min(cue.time, cue.secondTime);
        song.FormatTime(row.tick, row.time);
        row.name = decodeText(cue.name);
        rows.push_back(std::move(row));
    }
    return rows;
}

CGotoDlg::CGotoDlg(const CSongDoc& song, int rate, QWidget* parent) : DialogBase(parent, kGotoHelpTopic), m_song(song)
{
    setWindowTitle("Go to...");
    m_position = new CTimePosCtrl(song, song.position(), 0, this);
    m_position->setObjectName("position135");
    m_smpte = new CSmpteEdit(smpteTimeOfTick(song, song.position()), rate, this);
    m_smpte->setObjectName("smpte134");
    m_list = new QTreeWidget(this);
    m_list->setObjectName("markers1372");
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setHeaderLabels({"Tick", "Text"});
    m_list->header()->resizeSection(0, kTickWidth);
    m_list->header()->resizeSection(1, kTextWidth);
    // Thousands of cues go in at once.
    QList<QTreeWidgetItem*> items;
    for (const GotoRow& row : gotoRows(song)) {
        auto* item = new QTreeWidgetItem({QString::fromStdString(row.time), QString::fromStdString(row.name)});
        item->setData(0, Qt::UserRole, row.cue);
        items.push_back(item);
    }
    m_list->addTopLevelItems(items);

    auto* time = new QGroupBox("Time", this);
    auto* timeLayout = new QVBoxLayout(time);
    auto* midi = new QHBoxLayout;
    midi->addWidget(new QLabel("MIDI:", time));
    midi->addWidget(m_position);
    auto* smpte = new QHBoxLayout;
    smpte->addWidget(new QLabel("SMPTE:", time));
    smpte->addWidget(m_smpte);
    timeLayout->addWidget(new QLabel("Meas  :  Beat :  Tick", time));
    timeLayout->addLayout(midi);
    timeLayout->addWidget(new QLabel("Hour :  Min :  Sec .  Frame", time));
    timeLayout->addLayout(smpte);
    auto* markers = new QGroupBox("Marker", this);
    auto* markerLayout = new QVBoxLayout(markers);
    markerLayout->addWidget(m_list);
    auto* buttons = buttonRow();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(time);
    layout->addWidget(markers);
    layout->addWidget(buttons);

    connect(m_position, &CTimePosCtrl::changed, this, &CGotoDlg::onTickChanged);
    connect(m_smpte, &CSmpteEdit::changed, this, &CGotoDlg::onSmpteChanged);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            onRowChosen(item);
    });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        onRowChosen(item);
        accept();
    });
    if (QWidget* first = m_position->field(TimeField::Measure))
        first->setFocus();
}

int32_t CGotoDlg::tick() const
{
    return std::max(m_position->tick(), 0);
}

void CGotoDlg::onTickChanged()
{
    if (m_position->tick() >= 0)
        m_smpte->setTime(smpteTimeOfTick(m_song, m_position->tick()));
}

// A time before the song's offset is the song's start.
void CGotoDlg::onSmpteChanged()
{
    m_position->setTick(tickOfSmpteTime(m_song, m_smpte->time()));
}

void CGotoDlg::onRowChosen(QTreeWidgetItem* item)
{
    const size_t index = size_t(item->data(0, Qt::UserRole).toInt());
    if (index >= m_song.cues.size())
        return;
    const CCue& cue = *m_song.cues[index];
    const int32_t tick = std::max(std::min(cue.time, cue.secondTime), 0);
    m_position->setTick(tick);
    m_smpte->setTime(smpteTimeOfTick(m_song, tick));
}

} // namespace rz
