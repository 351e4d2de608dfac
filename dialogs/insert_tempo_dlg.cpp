#include "dialogs/insert_tempo_dlg.h"

#include "core/ms_clock.h"
#include "core/settings.h"
#include "dialogs/field_values.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "song/selection.h"
#include "song/song_doc.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

namespace rz {

namespace {

constexpr char kTapText[] =
    "Tap the desired metronome rate in this area to set the tempo by example.  Your taps will be "
    "converted to standard BPM (quarter notes per minute) automatically.";

SpinEdit* tempoField(QWidget* parent, const char* name)
{
    auto* field = new SpinEdit(parent);
    field->setObjectName(name);
    return field;
}

} // namespace

CInsertTempoDlg::CInsertTempoDlg(CSongDoc& song, QWidget* parent)
    : DialogBase(parent, "::/Tempo.htm#INSERT"), m_song(song)
{
    setWindowTitle("Insert tempo change...");
    const bool range = song.selectionKind == kSelectTimeRange && song.selectionFrom >= 0;
    const int32_t position = std::max(song.position(), 0);
    const int32_t from = range ? song.selectionFrom : position;
    const int32_t to = range ? std::max(song.selectionTo, song.selectionFrom) : position;
    m_start = tempoAt(from);
    m_end = tempoAt(to);
    m_startPos = new CTimePosCtrl(song, from, 0, this);
    m_startPos->setObjectName("start124");
    m_endPos = new CTimePosCtrl(song, to, 0, this);
    m_endPos->setObjectName("end125");
    build();
    readDefaults();
    refresh();
    m_startFields.bpm->setFocus();
}

void CInsertTempoDlg::build()
{
    m_startFields = {tempoField(this, "startBpm1024"), tempoField(this, "startUsec1025")};
    m_endFields = {tempoField(this, "endBpm1026"), tempoField(this, "endUsec1027")};
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Start", this), 0, 1);
    grid->addWidget(new QLabel("End", this), 0, 2);
    grid->addWidget(new QLabel("Position:", this), 1, 0);
    grid->addWidget(m_startPos, 1, 1);
    grid->addWidget(m_endPos, 1, 2);
    grid->addWidget(new QLabel("BPM:", this), 2, 0);
    grid->addWidget(m_startFields.bpm, 2, 1);
    grid->addWidget(m_endFields.bpm, 2, 2);
    grid->addWidget(new QLabel("usec/quarter:", this), 3, 0);
    grid->addWidget(m_startFields.micros, 3, 1);
    grid->addWidget(m_endFields.micros, 3, 2);
    m_average = new QLineEdit(this);
    m_average->setObjectName("average1028");
    m_average->setReadOnly(true);
    m_useAverage = new QPushButton("Use ave", this);
    m_useAverage->setObjectName("useAve1425");
    m_useAverage->setAutoDefault(false);
    grid->addWidget(new QLabel("Average BPM:", this), 4, 0);
    grid->addWidget(m_average, 4, 1);
    grid->addWidget(m_useAverage, 4, 2);

    m_smoothing = new QButtonGroup(this);
    auto* smoothBpm = new QRadioButton("Smooth BPM transition", this);
    smoothBpm->setObjectName("smooth1237");
    auto* smoothMicros = new QRadioButton("Smooth usec/quarter transition", this);
    smoothMicros->setObjectName("smooth1238");
    m_smoothing->addButton(smoothBpm, 0);
    m_smoothing->addButton(smoothMicros, 1);
    m_return = new QCheckBox("Return to original value", this);
    m_return->setObjectName("return1239");

    auto* tapBox = new QGroupBox("Tap box", this);
    auto* tapLabel = new QLabel(kTapText, tapBox);
    tapLabel->setWordWrap(true);
    tapLabel->setMinimumHeight(60);
    (new QVBoxLayout(tapBox))->addWidget(tapLabel);

    auto* buttons = buttonRow();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(smoothBpm);
    layout->addWidget(smoothMicros);
    layout->addWidget(m_return);
    layout->addWidget(tapBox);
    layout->addWidget(buttons);

    for (const bool end : {false, true}) {
        const Fields& f = end ? m_endFields : m_startFields;
        connect(f.bpm, &QLineEdit::textEdited, this, [this] { m_bpmMark = true; });
        connect(f.micros, &QLineEdit::textEdited, this, [this] { m_microsMark = true; });
        connect(f.bpm, &SpinEdit::focusLost, this, [this, end] { parseBpm(end); });
        connect(f.micros, &SpinEdit::focusLost, this, [this, end] { parseMicros(end); });
        connect(f.bpm, &SpinEdit::stepRequested, this, [this, end](bool up) { step(end, true, up); });
        connect(f.micros, &SpinEdit::stepRequested, this, [this, end](bool up) { step(end, false, up); });
    }
    connect(m_startPos, &CTimePosCtrl::changed, this, &CInsertTempoDlg::startMoved);
    connect(m_endPos, &CTimePosCtrl::changed, this, &CInsertTempoDlg::endMoved);
    connect(m_useAverage, &QPushButton::clicked, this, &CInsertTempoDlg::useAverage);
}

CInsertTempoDlg::Tempo CInsertTempoDlg::tempoAt(int32_t tick) const
{
    const int index = m_song.FindTempoIndex(tick);
    const int32_t micros = index >= 0 && size_t(index) < m_song.tempoMap.size()
                               ? int32_t(std::clamp<uint32_t>(m_song.tempoMap[size_t(index)].tempo,
                                                              kMinTempoMicros, kMaxTempoMicros))
                               : 500000;
    return {micros, bpmFromMicros(micros)};
}

bool CInsertTempoDlg::rangeEmpty() const
{
    return m_startPos->tick() == m_endPos->tick();
}

// Writing the texts sets no mark: only typing does, so a value typed into
// one edit is never parsed again through another the focus passes.
void CInsertTempoDlg::refresh()
{
    if (rangeEmpty())
        m_end = m_start;
    m_startFields.micros->setText(QString::number(m_start.micros));
    m_startFields.bpm->setText(QString::fromStdString(formatBpm(m_start.bpm)));
    m_endFields.micros->setText(QString::number(m_end.micros));
    m_endFields.bpm->setText(QString::fromStdString(formatBpm(m_end.bpm)));
    m_bpmMark = false;
    m_microsMark = false;
    updateControlStates();
}

void CInsertTempoDlg::updateControlStates()
{
    const bool range = !rangeEmpty();
    for (QAbstractButton* radio : m_smoothing->buttons())
        radio->setEnabled(range && m_start.micros != m_end.micros);
    m_return->setEnabled(range);
    m_endFields.bpm->setEnabled(range);
    m_endFields.micros->setEnabled(range);
    updateAverage();
}

// The mean of the map's beats per minute over the range, weighted by ticks.
void CInsertTempoDlg::updateAverage()
{
    const int32_t start = m_startPos->tick();
    const int32_t end = m_endPos->tick();
    const TempoMap& map = m_song.tempoMap;
    if (start >= end || map.empty()) {
        m_average->clear();
        m_useAverage->setEnabled(false);
        return;
    }
    size_t i = size_t(std::max(m_song.FindTempoIndex(start), 0));
    int32_t p = start;
    double sum = 0.0;
    while (p < end) {
        const double bpm = 60'000'000.0 / double(std::max<uint32_t>(map[i].tempo, 1));
        int32_t q = end;
        if (i + 1 < map.size()) {
            ++i;
            q = std::min(map[i].tick, end);
        }
        sum += double(q - p) * bpm;
        p = q;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", sum / double(end - start));
    m_average->setText(text);
    m_useAverage->setEnabled(true);
}

void CInsertTempoDlg::parseBpm(bool end)
{
    if (!m_bpmMark)
        return;
    Tempo& tempo = end ? m_end : m_start;
    const Fields& f = end ? m_endFields : m_startFields;
    tempo.bpm = rz::parseBpm(f.bpm->text().toStdString());
    tempo.micros = microsFromBpm(tempo.bpm);
    refresh();
}

void CInsertTempoDlg::parseMicros(bool end)
{
    if (!m_microsMark)
        return;
    Tempo& tempo = end ? m_end : m_start;
    const Fields& f = end ? m_endFields : m_startFields;
    tempo.micros = rz::parseMicros(f.micros->text().toStdString());
    tempo.bpm = bpmFromMicros(tempo.micros);
    refresh();
}

void CInsertTempoDlg::step(bool end, bool bpm, bool up)
{
    Tempo& tempo = end ? m_end : m_start;
    const int delta = up ? 1 : -1;
    if (bpm) {
        tempo.bpm = std::clamp(tempo.bpm + delta, kMinBpmHundredths, kMaxBpmHundredths);
        tempo.micros = microsFromBpm(tempo.bpm);
    } else {
        tempo.micros = std::clamp(tempo.micros + delta, kMinTempoMicros, kMaxTempoMicros);
        tempo.bpm = bpmFromMicros(tempo.micros);
    }
    refresh();
    const Fields& f = end ? m_endFields : m_startFields;
    (bpm ? f.bpm : f.micros)->focusSelected();
}

void CInsertTempoDlg::startMoved()
{
    if (m_startPos->tick() > m_endPos->tick())
        m_endPos->setTick(m_startPos->tick());
    updateControlStates();
}

void CInsertTempoDlg::endMoved()
{
    if (m_endPos->tick() < m_startPos->tick())
        m_startPos->setTick(m_endPos->tick());
    updateControlStates();
}

void CInsertTempoDlg::useAverage()
{
    const QString text = m_average->text();
    for (const bool end : {false, true}) {
        (end ? m_endFields : m_startFields).bpm->setText(text);
        m_bpmMark = true;
        parseBpm(end);
    }
}

// The end time control, or either end edit, holding the focus.
bool CInsertTempoDlg::tapSetsEnd() const
{
    const QWidget* focus = QApplication::focusWidget();
    for (const QWidget* w = focus; w; w = w->parentWidget())
        if (w == m_endPos)
            return true;
    return focus == m_endFields.bpm || focus == m_endFields.micros;
}

// A meter from a file may count 0 clocks per click: that counts as 24.
int CInsertTempoDlg::clocksPerClick() const
{
    const int measure = m_song.FindCurrentMeasure();
    const int clocks = measure >= 0 && size_t(measure) < m_song.measureMap.size()
                           ? m_song.measureMap[size_t(measure)].clocksPerClick
                           : 24;
    return clocks > 0 ? clocks : 24;
}

// Taps within the window make a run; one whose last gap strays more than
// 10 % from the run's mean starts a new run and changes nothing.
void CInsertTempoDlg::tap()
{
    const uint32_t now = timeGetTime();
    while (!m_taps.empty() && uint32_t(now - m_taps.front()) > kTapWindowMs)
        m_taps.pop_front();
    m_taps.push_back(now);
    const size_t n = m_taps.size() - 1;
    if (n < 1)
        return;
    const int64_t mean = int64_t(uint32_t(m_taps[n] - m_taps[0]) / n) * 1000;
    const int64_t last = int64_t(uint32_t(m_taps[n] - m_taps[n - 1])) * 1000;
    const double ratio = mean > 0 ? double(last) / double(mean) : 0.0;
    if (ratio < 0.9 || ratio > 1.1) {
        m_taps = {now};
        return;
    }
    Tempo& tempo = tapSetsEnd() ? m_end : m_start;
    tempo.micros = int32_t(std::clamp<int64_t>(mean * 24 / clocksPerClick(), kMinTempoMicros, kMaxTempoMicros));
    tempo.bpm = bpmFromMicros(tempo.micros);
    refresh();
}

void CInsertTempoDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        tap();
    QDialog::mousePressEvent(event);
}

void CInsertTempoDlg::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        tap();
    else
        QDialog::mouseDoubleClickEvent(event);
}

TempoInsert CInsertTempoDlg::result() const
{
    TempoInsert insert;
    insert.startTick = m_startPos->tick();
    insert.endTick = m_endPos->tick();
    insert.startTempo = uint32_t(m_start.micros);
    insert.endTempo = uint32_t(m_end.micros);
    if (insert.endTick < insert.startTick) {
        std::swap(insert.startTick, insert.endTick);
        std::swap(insert.startTempo, insert.endTempo);
    }
    if (insert.endTick == insert.startTick)
        insert.endTempo = insert.startTempo;
    insert.curve = std::max(m_smoothing->checkedId(), 0);
    insert.restore = m_return->isChecked();
    return insert;
}

// The edit being left parses first, as a focus change would have it.
void CInsertTempoDlg::accept()
{
    for (const bool end : {false, true}) {
        const Fields& f = end ? m_endFields : m_startFields;
        if (f.bpm->hasFocus())
            parseBpm(end);
        if (f.micros->hasFocus())
            parseMicros(end);
    }
    writeDefaults();
    QDialog::accept();
}

void CInsertTempoDlg::readDefaults()
{
    const IProfile& profile = m_song.context().profile;
    m_smoothing->button(readSetting(profile, settings::kDefaultsInsertTsmooth))->setChecked(true);
    m_return->setChecked(readSetting(profile, settings::kDefaultsInsertTreturn) != 0);
}

void CInsertTempoDlg::writeDefaults()
{
    IProfile& profile = m_song.context().profile;
    writeSetting(profile, settings::kDefaultsInsertTsmooth, std::max(m_smoothing->checkedId(), 0));
    writeSetting(profile, settings::kDefaultsInsertTreturn, m_return->isChecked() ? 1 : 0);
}

} // namespace rz
