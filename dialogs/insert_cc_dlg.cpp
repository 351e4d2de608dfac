#include "dialogs/insert_cc_dlg.h"

#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "dialogs/time_range_defaults.h"
#include "dialogs/transform_defaults.h"
#include "dialogs/transform_models.h"
#include "song/song_doc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>

namespace rz {

namespace d = time_defaults;
namespace td = transform_defaults;

CInsertCCDlg::CInsertCCDlg(CSongDoc& song, QWidget* parent)
    : TransformDialog(song, "Insert series of controller values", "::/ccview.htm#insert", parent)
{
    const IProfile& profile = song.context().profile;
    m_controller = new QComboBox(this);
    m_controller->setObjectName("controller1010");
    for (const ComboItem& item : seriesControllerItems(song))
        m_controller->addItem(QString::fromStdString(item.text), item.data);
    m_controller->setCurrentIndex(m_controller->findData(d::read(profile, td::kInsertCC)));
    m_range = seriesValueRange(kind());

    int32_t from = std::clamp(song.position(), 0, kMaxDialogTick);
    int32_t to = from;
    if (hasTimeRange(song)) {
        from = std::clamp(song.selectionFrom, 0, kMaxDialogTick);
        to = std::clamp(song.selectionTo, 0, kMaxDialogTick);
    }
    m_time = new CTimePosCtrl(song, from, 0, this);
    m_time->setObjectName("time124");
    m_through = new CTimePosCtrl(song, to, 0, this);
    m_through->setObjectName("through125");
    m_value1 = rangedEdit("value1005", QString::number(d::read(profile, td::kInsertCCvalue1)), &m_range);
    m_value2 = rangedEdit("value1007", QString::number(d::read(profile, td::kInsertCCvalue2)), &m_range);
    m_return = checkBox("return1002", "Return to original value", d::readFlag(profile, td::kInsertCCreturn));

    auto* form = new QFormLayout;
    form->addRow("Controller:", m_controller);
    form->addRow("Time:", m_time);
    form->addRow("Through:", m_through);
    auto* values = new QHBoxLayout;
    values->addWidget(m_value1);
    values->addWidget(m_value2);
    values->addStretch();
    form->addRow("New value", values);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_return);
    addButtonRow(layout);

    // Each end follows the other past it.
    connect(m_time, &CTimePosCtrl::changed, this, [this] {
        if (m_time->tick() > m_through->tick())
            m_through->setTick(m_time->tick());
        changed();
    });
    connect(m_through, &CTimePosCtrl::changed, this, [this] {
        if (m_through->tick() >= 0 && m_through->tick() < m_time->tick())
            m_time->setTick(m_through->tick());
        changed();
    });
    connect(m_controller, &QComboBox::currentIndexChanged, this, [this] {
        m_range = seriesValueRange(kind());
        clampValues();
        changed();
    });
    for (SpinEdit* edit : {m_value1, m_value2}) {
        connect(edit, &SpinEdit::focusLost, this, [this] {
            clampValues();
            changed();
        });
    }
    clampValues();
    changed();
}

int32_t CInsertCCDlg::kind() const
{
    return m_controller->currentIndex() >= 0 ? m_controller->currentData().toInt() : cc::kExpression;
}

void CInsertCCDlg::clampValues()
{
    for (SpinEdit* edit : {m_value1, m_value2})
        edit->setText(QString::number(std::clamp(numberOf(edit), m_range.first, m_range.second)));
}

void CInsertCCDlg::changed()
{
    const bool span = m_time->tick() != m_through->tick();
    if (!span)
        m_value2->setText(m_value1->text());
    m_value2->setEnabled(span);
    m_return->setEnabled(span);
}

void CInsertCCDlg::accept()
{
    clampValues();
    changed();
    IProfile& profile = m_song.context().profile;
    m_params.controller = kind();
    if (m_controller->currentIndex() >= 0)
        writeSetting(profile, td::kInsertCC, m_params.controller);
    m_params.from = std::max(m_time->tick(), 0);
    m_params.through = std::max(m_through->tick(), 0);
    m_params.value1 = numberOf(m_value1);
    m_params.value2 = numberOf(m_value2);
    m_params.returnToOriginal = m_return->isEnabled() && m_return->isChecked();
    if (m_params.through < m_params.from) {
        std::swap(m_params.from, m_params.through);
        std::swap(m_params.value1, m_params.value2);
    }
    writeSetting(profile, td::kInsertCCvalue1, m_params.value1);
    writeSetting(profile, td::kInsertCCvalue2, m_params.value2);
    writeSetting(profile, td::kInsertCCreturn, m_return->isChecked() ? 1 : 0);
    QDialog::accept();
}

} // namespace rz
