#include "core/prompt.h"
#include "dialogs/field_values.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_range_defaults.h"
#include "dialogs/transform_defaults.h"
#include "dialogs/transform_dlg.h"
#include "dialogs/transform_models.h"
#include "song/song_doc.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace rz {

namespace d = time_defaults;
namespace td = transform_defaults;

namespace {

// A check box with its amount and a unit after it, in one grid row.
void addAmount(QGridLayout* grid, int row, QWidget* box, QWidget* amount, QWidget* unit)
{
    grid->addWidget(box, row, 0);
    grid->addWidget(amount, row, 1);
    if (unit)
        grid->addWidget(unit, row, 2);
}

// Where the arrows of a value amount stop.
constexpr int32_t kMaxValueAmount = 999;

} // namespace

// Each amount of a checked box in its range, or the range message of the
// first that is not: a spread or gap beyond them would be taken as typed.
bool TransformDialog::amountsInRange(const QCheckBox* byTime, QLineEdit* percent, QLineEdit* ticks,
                                     const QCheckBox* byValue, QLineEdit* value) const
{
    IPrompt& prompt = m_song.context().prompt;
    if (byTime->isChecked()
        && (!checkedNumber(prompt, percent, 0, kSpinPercent) || !checkedNumber(prompt, ticks, 0, timeBase())))
        return false;
    return !byValue->isChecked() || checkedNumber(prompt, value, 0, kMaxValueAmount);
}

// ---- Randomize

CRandomizeDlg::CRandomizeDlg(CSongDoc& song, QWidget* parent)
    : TransformDialog(song, "Randomize", "::/Edit.htm#RANDOMIZE", parent)
{
    const IProfile& profile = song.context().profile;
    m_events = new QButtonGroup(this);
    auto* events = new QGroupBox("Events", this);
    auto* eventsRow = new QHBoxLayout(events);
    for (const auto& [name, text, id] : {std::tuple{"notes1377", "Notes only", 0}, {"all1378", "All events", 1}}) {
        auto* button = new QRadioButton(text, events);
        button->setObjectName(name);
        m_events->addButton(button, id);
        eventsRow->addWidget(button);
    }
    m_events->button(0)->setChecked(true);
    m_byTime = checkBox("time1002", "Begin times by up to", d::readFlag(profile, td::kRandomByTime));
    m_percent = numberEdit("percent1011", d::read(profile, td::kRandomTime), 0, kSpinPercent);
    m_ticks = numberEdit("ticks1013", 0, 0, timeBase());
    m_byValue = checkBox("velocity1374", "Note velocities by to up", d::readFlag(profile, td::kRandomByValue));
    m_value = numberEdit("value1012", d::read(profile, td::kRandomValue), 0, kMaxValueAmount);
    m_preserve = checkBox("preserve1379", "Preserve original event order", d::readFlag(profile, td::kRandomPreserve));

    auto* change = new QGroupBox("Change", this);
    auto* grid = new QGridLayout(change);
    addAmount(grid, 0, m_byTime, m_percent, new QLabel("% of q.note", this));
    addAmount(grid, 1, new QLabel(this), m_ticks, new QLabel("ticks", this));
    addAmount(grid, 2, m_byValue, m_value, nullptr);
    grid->addWidget(m_preserve, 3, 0, 1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(events);
    layout->addWidget(change);
    addButtonRow(layout);
    linkPercentTicks(m_percent, m_ticks);
    finishLinking();
    changed();
}

void CRandomizeDlg::changed()
{
    const bool time = m_byTime->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_percent, m_ticks, m_preserve})
        w->setEnabled(time);
    m_value->setEnabled(m_byValue->isChecked());
    if (QAbstractButton* ok = okButton())
        ok->setEnabled(time || m_byValue->isChecked());
}

void CRandomizeDlg::accept()
{
    if (!m_byTime->isChecked() && !m_byValue->isChecked())
        return;
    if (!amountsInRange(m_byTime, m_percent, m_ticks, m_byValue, m_value))
        return;
    IProfile& profile = m_song.context().profile;
    writeSetting(profile, td::kRandomValue, numberOf(m_value));
    writeSetting(profile, td::kRandomTime, numberOf(m_percent));
    writeSetting(profile, td::kRandomByValue, m_byValue->isChecked() ? 1 : 0);
    writeSetting(profile, td::kRandomByTime, m_byTime->isChecked() ? 1 : 0);
    writeSetting(profile, td::kRandomPreserve, m_preserve->isChecked() ? 1 : 0);
    m_params.allEvents = m_events->checkedId() == 1;
    m_params.byTime = m_byTime->isChecked();
    m_params.timeAmount = numberOf(m_ticks);
    m_params.byValue = m_byValue->isChecked();
    m_params.velocityAmount = numberOf(m_value);
    m_params.preserveOrder = m_preserve->isChecked();
    QDialog::accept();
}

// ---- Thin

CThinDlg::CThinDlg(CSongDoc& song, QWidget* parent) : TransformDialog(song, "Thin", "::/Edit.htm#THIN", parent)
{
    const IProfile& profile = song.context().profile;
    m_controller = new QComboBox(this);
    m_controller->setObjectName("controller1003");
    const int32_t stored = d::read(profile, td::kThinCC);
    for (const ComboItem& item : thinControllerItems()) {
        m_controller->addItem(QString::fromStdString(item.text), item.data);
        if (item.data == stored)
            m_controller->setCurrentIndex(m_controller->count() - 1);
    }
    if (m_controller->findData(stored) < 0)
        m_controller->setCurrentIndex(-1);
    m_params.controller = stored;
    m_byValue = checkBox("value1374", "Its value changes by", d::readFlag(profile, td::kThinByValue));
    m_value = numberEdit("value1012", d::read(profile, td::kThinValue), 0, kMaxValueAmount);
    m_byTime = checkBox("time1002", "Its time changes by ", d::readFlag(profile, td::kThinByTime));
    m_percent = numberEdit("percent1011", d::read(profile, td::kThinTime), 0, kSpinPercent);
    m_ticks = numberEdit("ticks1013", 0, 0, timeBase());

    auto* controller = new QHBoxLayout;
    controller->addWidget(new QLabel("Controller", this));
    controller->addWidget(m_controller, 1);
    auto* keep = new QGroupBox("Keep an event when", this);
    auto* grid = new QGridLayout(keep);
    addAmount(grid, 0, m_byValue, m_value, nullptr);
    addAmount(grid, 1, m_byTime, m_percent, new QLabel("% of q.note", this));
    addAmount(grid, 2, new QLabel(this), m_ticks, new QLabel("ticks", this));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controller);
    layout->addWidget(keep);
    addButtonRow(layout);
    linkPercentTicks(m_percent, m_ticks);
    finishLinking();
    changed();
}

void CThinDlg::changed()
{
    const bool time = m_byTime->isChecked();
    m_percent->setEnabled(time);
    m_ticks->setEnabled(time);
    m_value->setEnabled(m_byValue->isChecked());
    if (QAbstractButton* ok = okButton())
        ok->setEnabled(time || m_byValue->isChecked());
}

void CThinDlg::accept()
{
    if (!m_byTime->isChecked() && !m_byValue->isChecked())
        return;
    if (!amountsInRange(m_byTime, m_percent, m_ticks, m_byValue, m_value))
        return;
    IProfile& profile = m_song.context().profile;
    if (m_controller->currentIndex() >= 0) {
        m_params.controller = m_controller->currentData().toInt();
        writeSetting(profile, td::kThinCC, m_params.controller);
    }
    writeSetting(profile, td::kThinValue, numberOf(m_value));
    writeSetting(profile, td::kThinTime, numberOf(m_percent));
    writeSetting(profile, td::kThinByValue, m_byValue->isChecked() ? 1 : 0);
    writeSetting(profile, td::kThinByTime, m_byTime->isChecked() ? 1 : 0);
    m_params.byValue = m_byValue->isChecked();
    m_params.minimumChange = numberOf(m_value);
    m_params.byTime = m_byTime->isChecked();
    m_params.gap = numberOf(m_ticks);
    QDialog::accept();
}

} // namespace rz
