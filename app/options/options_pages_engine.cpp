// The Options pages whose values drive the sequencer and the live tools:
// playback and click, recording, karaoke and the conductor. GUI thread.

#include "app/options/options_pages.h"
#include "core/midi_bytes.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/synth_lookup.h"
#include "engine/synthdb/synth_db.h"
#include "ui/local_path.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cstdlib>

namespace rz {
namespace {

constexpr int kOutputPorts = 16;
constexpr int kChannels = 16;
// A drum kit's program is shown from 0 for a synthesizer with this technology bit.
constexpr int kZeroBasedPrograms = 0x100;

QString formatted(const char* format, int a, int b, const std::string& name)
{
    return QString::asprintf(format, a, b).append(QString::fromStdString(name));
}

uint32_t clickMessage(int channel, int note, int velocity)
{
    return uint32_t(midi::kNoteOn | (channel & 15)) | uint32_t(note & 0x7F) << 8
           | uint32_t(velocity & 0x7F) << 16;
}


} // namespace

// ---- Playback ----

COptionsPlayback::COptionsPlayback(OptionsContext& context, PlaybackSources sources)
    : OptionsPage(context, "Playback", "::/Options.htm#play"), m_sources(std::move(sources))
{
    auto* column = new QVBoxLayout(this);
    auto* timer = new QFormLayout;
    column->addLayout(timer);
    bindCombo(timer, "Source:", {"Internal high-resolution timer"}, settings::kPlaybackTimerSource);
    bindInt(timer, "Resolution (ms):", settings::kPlaybackTimerResolution, 1, 100);
    timer->addRow(QStringLiteral("min:"),
                  new QLabel(QString::number(kMinTickPeriodMs), this));
    timer->addRow(QStringLiteral("max:"),
                  new QLabel(QString::number(kMaxTickPeriodMs), this));

    bindCheck(column, "Enabled", settings::kClickEnabled);
    auto* click = new QFormLayout;
    column->addLayout(click);
    m_ports = new QComboBox(this);
    m_kits = new QComboBox(this);
    click->addRow(QStringLiteral("Port/chan:"), m_ports);
    click->addRow(QStringLiteral("Drumset:"), m_kits);
    const char* noteLabels[] = {"Notes (1st beat; 2: others)", ""};
    for (size_t i = 0; i < 2; ++i) {
        m_notes[i] = new QComboBox(this);
        m_velocities[i] = new QLineEdit(this);
        auto* row = new QHBoxLayout;
        row->addWidget(m_notes[i], 1);
        row->addWidget(new QLabel(QStringLiteral("Velocity"), this));
        row->addWidget(m_velocities[i]);
        click->addRow(QString::fromUtf8(noteLabels[i]), row);
    }
    QLineEdit* lead = bindInt(click, "Lead time (ms):", settings::kClickLead, 0, 500);
    click->addRow(QString(), spinFor(lead, 0, 500));

    const char* bits[] = {"Re-assert patches and other controllers when play begins",
                          "Interpret play/cue command as last vamp",
                          "Use pitch wheel to control tempo multiplier on channel:"};
    for (size_t i = 0; i < 3; ++i) {
        m_optionBits[i] = new QCheckBox(QString::fromUtf8(bits[i]), this);
        column->addWidget(m_optionBits[i]);
    }
    m_bendTempo = m_optionBits[2];
    auto* channelRow = new QFormLayout;
    column->addLayout(channelRow);
    m_tempoChannel = bindCombo(channelRow, "", {"All", "1", "2", "3", "4", "5", "6", "7", "8",
                                                "9", "10", "11", "12", "13", "14", "15", "16"},
                               settings::kSequencerPTempoCh);
    column->addStretch();
    connect(m_bendTempo, &QCheckBox::toggled, m_tempoChannel, &QWidget::setEnabled);
    connect(m_ports, &QComboBox::currentIndexChanged, this, [this] { onPortChosen(); });
    connect(m_kits, &QComboBox::currentIndexChanged, this, [this] { onKitChosen(); });
    for (int i = 0; i < 2; ++i)
        connect(m_notes[size_t(i)], &QComboBox::currentIndexChanged, this,
                [this, i] { auditionNote(i); });
}

bool COptionsPlayback::storesItself(const Setting& row) const
{
    return &row == &settings::kSequencerPTempoCh;
}

void COptionsPlayback::loadMore()
{
    const IProfile& profile = *m_context.profile;
    // "PTempoCh" -1 is the list's first entry.
    m_tempoChannel->setCurrentIndex(readSetting(profile, settings::kSequencerPTempoCh) + 1);
    const uint32_t options = uint32_t(readSetting(profile, settings::kSequencerOptions));
    for (size_t i = 0; i < 3; ++i)
        m_optionBits[i]->setChecked(options & (1u << i));
    m_tempoChannel->setEnabled(m_bendTempo->isChecked());

    const uint32_t click1 = uint32_t(readSetting(profile, settings::kClickClick1));
    const uint32_t click2 = uint32_t(readSetting(profile, settings::kClickClick2));
    m_velocities[0]->setText(QString::number((click1 >> 16) & 0x7F));
    m_velocities[1]->setText(QString::number((click2 >> 16) & 0x7F));
    m_filling = true;
    fillPorts(readSetting(profile, settings::kClickDevice), int(click1 & 15));
    fillKits(readSetting(profile, settings::kClickPatch));
    fillNotes(int((click1 >> 8) & 0x7F), int((click2 >> 8) & 0x7F));
    m_filling = false;
}

std::string COptionsPlayback::synthOfPort(int port) const
{
    const int synth = readSetting(*m_context.profile, settings::kPortOutSynth, std::to_string(port));
    if (m_sources.synths)
        if (auto record = m_sources.synths->synth(synth))
            return record->name;
    return "undefined";
}

// Ports up to the first without a name; a port with a drum mask lists only
// its drum channels.
void COptionsPlayback::fillPorts(int device, int channel)
{
    m_ports->clear();
    for (int port = 0; port < kOutputPorts; ++port) {
        const std::string part = std::to_string(port);
        if (readSettingText(*m_context.profile, settings::kPortOutName, part).empty())
            break;
        const uint32_t drums = uint32_t(readSetting(*m_context.profile, settings::kPortOutDrums, part));
        const std::string name = synthOfPort(port);
        for (int ch = 0; ch < kChannels; ++ch) {
            if (drums != 0 && !(drums & (1u << ch)))
                continue;
            m_ports->addItem(formatted("%d/%d: ", port, ch + 1, name), port << 4 | ch);
            if (port == device && ch == channel)
                m_ports->setCurrentIndex(m_ports->count() - 1);
        }
    }
}

void COptionsPlayback::fillKits(int patch)
{
    m_kits->clear();
    const int data = m_ports->currentData().isValid() ? m_ports->currentData().toInt() : -1;
    if (data < 0 || !m_sources.database)
        return;
    const int port = portOfItem(data);
    const int synth = readSetting(*m_context.profile, settings::kPortOutSynth, std::to_string(port));
    const int technology =
        m_sources.synths ? m_sources.synths->technology(synth).value_or(0) : 0;
    const int shownFrom = technology & kZeroBasedPrograms ? 0 : 1;
    try {
        m_sources.database->drums().visitRowsOfSynth(synth, [&](Table& row) {
            if (row.intField("NoteNumber") != -1)
                return;
            const int bank = row.intField("BankNumber");
            const int program = row.intField("PatchNumber");
            m_kits->addItem(formatted("%d/%d: ", bank, program + shownFrom,
                                      row.textField("NoteName")),
                            bank * 256 + program);
            if (bank * 256 + program == patch)
                m_kits->setCurrentIndex(m_kits->count() - 1);
        });
    } catch (const std::exception&) {
        // A database that fails to read leaves the list as far as it got.
    }
}

void COptionsPlayback::fillNotes(int note1, int note2)
{
    const int selected[] = {note1, note2};
    for (QComboBox* list : m_notes)
        list->clear();
    const QVariant kit = m_kits->currentData();
    const QVariant port = m_ports->currentData();
    if (!kit.isValid() || !port.isValid() || !m_sources.synths)
        return;
    const int synth =
        readSetting(*m_context.profile, settings::kPortOutSynth,
                    std::to_string(portOfItem(port.toInt())));
    const int bank = kit.toInt() >> 8;
    const int program = kit.toInt() & 0xFF;
    for (int note = 0; note < 128; ++note) {
        auto name = m_sources.synths->drumNoteName(synth, bank, program, note);
        if (!name)
            continue;
        for (size_t i = 0; i < 2; ++i) {
            m_notes[i]->addItem(
                QString::asprintf("%d: ", note).append(QString::fromStdString(*name)), note);
            if (note == selected[i])
                m_notes[i]->setCurrentIndex(m_notes[i]->count() - 1);
        }
    }
}

void COptionsPlayback::onPortChosen()
{
    if (m_filling)
        return;
    m_filling = true;
    fillKits(m_kits->currentData().toInt());
    fillNotes(m_notes[0]->currentData().toInt(), m_notes[1]->currentData().toInt());
    m_filling = false;
    auditionNote(0);
}

void COptionsPlayback::onKitChosen()
{
    if (m_filling)
        return;
    m_filling = true;
    fillNotes(m_notes[0]->currentData().toInt(), m_notes[1]->currentData().toInt());
    m_filling = false;
    auditionNote(0);
}

// Plays the click as chosen: the kit's bank and program, then the note.
void COptionsPlayback::auditionNote(int which)
{
    if (m_filling || !m_sources.audition)
        return;
    const QVariant port = m_ports->currentData();
    const QVariant note = m_notes[size_t(which)]->currentData();
    if (!port.isValid() || !note.isValid())
        return;
    bool ok = false;
    const int velocity = intOf(m_velocities[size_t(which)], &ok);
    m_sources.audition(portOfItem(port.toInt()), m_kits->currentData().toInt(),
                       clickMessage(channelOfItem(port.toInt()), note.toInt(),
                                    ok ? velocity : 100));
}

void COptionsPlayback::storeMore()
{
    IProfile& profile = *m_context.profile;
    writeSetting(profile, settings::kSequencerPTempoCh, m_tempoChannel->currentIndex() - 1);
    uint32_t options = uint32_t(readSetting(profile, settings::kSequencerOptions));
    options &= ~uint32_t(7);
    for (size_t i = 0; i < 3; ++i)
        if (m_optionBits[i]->isChecked())
            options |= 1u << i;
    writeSetting(profile, settings::kSequencerOptions, int32_t(options));

    // Without a choice in a list the stored part of the click stays.
    const Setting* rows[] = {&settings::kClickClick1, &settings::kClickClick2};
    const QVariant port = m_ports->currentData();
    for (size_t i = 0; i < 2; ++i) {
        const uint32_t stored = uint32_t(readSetting(profile, *rows[i]));
        const int channel = port.isValid() ? channelOfItem(port.toInt()) : int(stored & 15);
        const QVariant note = m_notes[i]->currentData();
        const int noteNumber = note.isValid() ? note.toInt() : int((stored >> 8) & 0x7F);
        writeSetting(profile, *rows[i],
                     int32_t(clickMessage(channel, noteNumber, intOf(m_velocities[i]))));
    }
    if (port.isValid())
        writeSetting(profile, settings::kClickDevice, portOfItem(port.toInt()));
    if (m_kits->currentData().isValid())
        writeSetting(profile, settings::kClickPatch, m_kits->currentData().toInt());
}

// ---- Record ----

COptionsRecord::COptionsRecord(OptionsContext& context)
    : OptionsPage(context, "Record", "::/Options.htm#record")
{
    auto* column = new QVBoxLayout(this);
    const char* modes[] = {"Normal", "Step", "Punch in/out according to time selection"};
    for (size_t i = 0; i < 3; ++i) {
        m_mode[i] = new QRadioButton(QString::fromUtf8(modes[i]), this);
        column->addWidget(m_mode[i]);
        connect(m_mode[i], &QRadioButton::toggled, this, [this] { updateEnabling(); });
    }
    bindRadios({m_mode.begin(), m_mode.end()}, settings::kRecordMode);
    bindCheck(column, "Click track enabled", settings::kClickRecord);
    auto* countIn = new QFormLayout;
    column->addLayout(countIn);
    QLineEdit* measures =
        bindInt(countIn, "Count-in (measures)", settings::kRecordCountIn, 0, 8);
    countIn->addRow(QString(), spinFor(measures, 0, 8));
    bindCheck(column, "Follow tempo map", settings::kRecordFollowTempo);
    bindCheck(column, "Echo events", settings::kRecordEcho);
    const char* events[] = {"Notes", "Aftertouch", "Controllers", "Patch changes",
                            "Channel pressure", "Pitch", "System exclusive"};
    auto* grid = new QGridLayout;
    for (size_t i = 0; i < m_events.size(); ++i) {
        m_events[i] = new QCheckBox(QString::fromUtf8(events[i]), this);
        grid->addWidget(m_events[i], int(i) / 2, int(i) % 2);
    }
    column->addLayout(grid);
    auto* step = new QFormLayout;
    column->addLayout(step);
    m_stepSize = bindCombo(step, "Step size:",
                           {"Use toolbar setting", "Whole", "Half", "Half triplet", "Quarter",
                            "Quarter triplet", "Eighth", "Eighth triplet", "Sixteenth",
                            "Sixteenth triplet", "Thirty-second", "Thirty-second triplet"},
                           settings::kRecordStepSize);
    auto* dotted = new QVBoxLayout;
    step->addRow(QString(), dotted);
    m_dotted = bindCheck(dotted, "Dotted", settings::kRecordStepDot);
    m_duration = bindCombo(step, "Duration:",
                           {"As played", "Same as step size", "Use toolbar setting"},
                           settings::kRecordStepDuration);
    m_velocity = bindInt(step, "Velocity: (0 = as played)", settings::kRecordStepVelocity, 0, 127);
    m_velocitySpin = spinFor(m_velocity, 0, 127);
    step->addRow(QString(), m_velocitySpin);
    column->addStretch();
    connect(m_stepSize, &QComboBox::currentIndexChanged, this, [this] { updateEnabling(); });
}

namespace {

// "EventFilter": bit n records the messages whose status high nibble is n.
// "Notes" covers note-off and note-on.
constexpr uint32_t kEventBits[] = {0x0300, 0x0400, 0x0800, 0x1000, 0x2000, 0x4000, 0x8000};

} // namespace

void COptionsRecord::loadMore()
{
    const uint32_t filter =
        uint32_t(readSetting(*m_context.profile, settings::kRecordEventFilter));
    for (size_t i = 0; i < m_events.size(); ++i)
        m_events[i]->setChecked((filter & kEventBits[i]) == kEventBits[i]);
    updateEnabling();
}

void COptionsRecord::updateEnabling()
{
    const bool stepMode = m_mode[1]->isChecked();
    for (QWidget* control : {static_cast<QWidget*>(m_stepSize), static_cast<QWidget*>(m_duration),
                             static_cast<QWidget*>(m_velocity),
                             static_cast<QWidget*>(m_velocitySpin)})
        control->setEnabled(stepMode);
    m_dotted->setEnabled(stepMode && m_stepSize->currentIndex() > 0);
}

// Bits outside the boxes are kept as stored.
void COptionsRecord::storeMore()
{
    IProfile& profile = *m_context.profile;
    uint32_t filter = uint32_t(readSetting(profile, settings::kRecordEventFilter));
    for (size_t i = 0; i < m_events.size(); ++i) {
        filter &= ~kEventBits[i];
        if (m_events[i]->isChecked())
            filter |= kEventBits[i];
    }
    writeSetting(profile, settings::kRecordEventFilter, int32_t(filter));
}

// ---- Karaoke ----

namespace {

constexpr const Setting* kLyricColors[] = {&settings::kLyricColor, &settings::kLyricBackcolor,
                                           &settings::kLyricColor2, &settings::kLyricBackcolor2};

QString cssColor(Color c)
{
    return QColor(colorRed(c), colorGreen(c), colorBlue(c)).name();
}

} // namespace

COptionsLyric::COptionsLyric(OptionsContext& context)
    : OptionsPage(context, "Karaoke", "::/Options.htm#karaoke")
{
    auto* column = new QVBoxLayout(this);
    auto* buttons = new QGridLayout;
    QPushButton* font = new QPushButton(QStringLiteral("Font..."), this);
    buttons->addWidget(font, 0, 0);
    const char* labels[] = {"Color...", "Back...", "Color...", "Back..."};
    buttons->addWidget(new QLabel(QStringLiteral("Highlight:"), this), 1, 0);
    for (int i = 0; i < 4; ++i) {
        auto* colorButton = new QPushButton(QString::fromUtf8(labels[i]), this);
        buttons->addWidget(colorButton, i / 2, 1 + i % 2);
        connect(colorButton, &QPushButton::clicked, this, [this, i] { chooseColor(i); });
    }
    column->addLayout(buttons);
    connect(font, &QPushButton::clicked, this, [this] { chooseFont(); });
    m_sample = new QLabel(this);
    m_sample->setMinimumHeight(60);
    column->addWidget(m_sample);
    bindCheck(column, "Center text", settings::kLyricCenter);
    bindCheck(column, "Automatic pagination", settings::kLyricPaginate);
    m_graphic = bindCheck(column, "Display background graphic", settings::kLyricGraphic);
    connect(m_graphic, &QCheckBox::toggled, this, [this] { updateEnabling(); });
    auto* picture = new QFormLayout;
    column->addLayout(picture);
    m_gfxPath = bindText(picture, "", settings::kLyricGfxPath, 32767);
    m_browse = new QPushButton(QStringLiteral("..."), this);
    picture->addRow(QString(), m_browse);
    connect(m_browse, &QPushButton::clicked, this, [this] { chooseGraphic(); });
    bindCombo(picture, "", {"Tile", "Center", "Stretch (proportional)"}, settings::kLyricStretch);
    column->addStretch();
}

void COptionsLyric::loadMore()
{
    const IProfile& profile = *m_context.profile;
    m_face = readSettingText(profile, settings::kLyricFontName);
    m_height = readSetting(profile, settings::kLyricFontHeight);
    // An open view may be zoomed past what is stored.
    if (const std::optional<int> open = m_context.lyricFontHeight ? m_context.lyricFontHeight() : std::nullopt)
        m_height = -*open;
    m_weight = readSetting(profile, settings::kLyricFontWeight);
    for (size_t i = 0; i < m_colors.size(); ++i)
        m_colors[i] = Color(readSetting(profile, *kLyricColors[i]));
    updateEnabling();
    redrawSample();
}

void COptionsLyric::updateEnabling()
{
    m_gfxPath->setEnabled(m_graphic->isChecked());
    m_browse->setEnabled(m_graphic->isChecked());
}

void COptionsLyric::chooseColor(int which)
{
    if (auto chosen = m_context.prompt->chooseColor(m_colors[size_t(which)])) {
        m_colors[size_t(which)] = *chosen;
        redrawSample();
    }
}

void COptionsLyric::chooseFont()
{
    FontChoice initial{m_face, std::max(1, std::abs(m_height) * 3 / 4), m_weight, false};
    if (auto chosen = m_context.prompt->chooseFont(initial)) {
        m_face = chosen->family;
        m_height = -(chosen->pointSize * 4 + 2) / 3;
        m_weight = chosen->weight;
        redrawSample();
    }
}

void COptionsLyric::chooseGraphic()
{
    if (auto path = m_context.prompt->chooseOpenPath("Set lyric background...",
                                                     localPath(m_gfxPath->text()),
                                                     "Graphic files (*.jpg,*.bmp)"))
        m_gfxPath->setText(qtPath(*path));
}

// Two lines: the text colours, then the highlight colours.
void COptionsLyric::redrawSample()
{
    const QString style = QStringLiteral("font-family:'%1'; font-size:%2px; font-weight:%3;")
                              .arg(QString::fromStdString(m_face))
                              .arg(std::abs(m_height))
                              .arg(m_weight / 10 * 10);
    m_sample->setText(
        QStringLiteral("<div style=\"%1\"><span style=\"color:%2; background:%3\">Sample lyric "
                       "text</span><br><span style=\"color:%4; background:%5\">Highlighted "
                       "lyric</span></div>")
            .arg(style, cssColor(m_colors[0]), cssColor(m_colors[1]), cssColor(m_colors[2]),
                 cssColor(m_colors[3])));
}

void COptionsLyric::storeMore()
{
    IProfile& profile = *m_context.profile;
    writeSettingText(profile, settings::kLyricFontName, m_face);
    writeSetting(profile, settings::kLyricFontHeight, m_height);
    writeSetting(profile, settings::kLyricFontWeight, m_weight);
    for (size_t i = 0; i < m_colors.size(); ++i)
        writeSetting(profile, *kLyricColors[i], int32_t(m_colors[i]));
}

// ---- Conductor ----

FollowTapSettings followTapOf(const ConductorValues& v)
{
    FollowTapSettings tap;
    tap.pause = v.enabled && v.pause;
    tap.window = v.enabled ? v.window : 0;
    tap.modStrength = v.enabled && v.tempoMod ? v.modStrength : 0;
    tap.jumpForwardStrength = v.enabled && v.jumpForward ? v.jumpStrength : 0;
    tap.jumpBackStrength = v.enabled && v.jumpBack ? v.jumpStrength : 0;
    tap.averageStrength = v.useAverage ? v.averageStrength : 0;
    tap.returnRate = v.tempoNorm ? v.returnRate : 0;
    return tap;
}

namespace {

struct SliderValue {
    const Setting* row;
    const char* label;
    const char* unit;
    int max;
};
constexpr SliderValue kSliders[] = {
    {&settings::kFollowTapWindow, "Window:", "% beat", 50},
    {&settings::kFollowTapJumpStrength, "Strength:", "% dist", 100},
    {&settings::kFollowTapModStrength, "Strength:", "%", 100},
    {&settings::kFollowTapAveStrength, "Strength:", "%", 100},
    {&settings::kFollowTapReturnRate, "Rate:", "%/sec", 100},
};

struct CheckValue {
    const Setting* row;
    const char* text;
};
constexpr CheckValue kChecks[] = {
    {&settings::kFollowTapEnabled, "Enable beat proximity sense"},
    {&settings::kFollowTapEnableJumpF, "Jump forward"},
    {&settings::kFollowTapEnableJumpB, "Jump backward"},
    {&settings::kFollowTapEnableTempoMod, "Modify tempo multiplier"},
    {&settings::kFollowTapUseAverage, "Modify tempo with 1.5 sec tap average"},
    {&settings::kFollowTapEnableTempoNorm, "Return to normal tempo"},
    {&settings::kFollowTapPause, "Pause before each beat until you use the Play command"},
};
enum { kEnabled, kJumpF, kJumpB, kTempoMod, kAverage, kNorm, kPause };
enum { kWindow, kJumpStrength, kModStrength, kAveStrength, kReturnRate };

} // namespace

COptionsConductor::COptionsConductor(OptionsContext& context)
    : OptionsPage(context, "Conductor", "::/Conductor.htm")
{
    auto* column = new QVBoxLayout(this);
    for (size_t i = 0; i < m_checks.size(); ++i) {
        m_checks[i] = bindCheck(column, kChecks[i].text, *kChecks[i].row);
        connect(m_checks[i], &QCheckBox::toggled, this, [this] { updateEnabling(); });
    }
    auto* grid = new QGridLayout;
    for (size_t i = 0; i < m_sliders.size(); ++i) {
        QSlider* slider = new QSlider(Qt::Horizontal, this);
        slider->setRange(1, kSliders[i].max);
        slider->setTickInterval(5);
        slider->setTickPosition(QSlider::TicksBelow);
        m_sliders[i] = slider;
        m_sliderText[i] = new QLabel(this);
        m_sliderText[i]->setMinimumWidth(m_sliderText[i]->fontMetrics().horizontalAdvance("000"));
        m_sliderText[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        connect(slider, &QSlider::valueChanged, m_sliderText[i],
                [label = m_sliderText[i]](int value) { label->setText(QString::number(value)); });
        grid->addWidget(new QLabel(QString::fromUtf8(kSliders[i].label), this), int(i), 0);
        grid->addWidget(slider, int(i), 1);
        grid->addWidget(m_sliderText[i], int(i), 2);
        grid->addWidget(new QLabel(QString::fromUtf8(kSliders[i].unit), this), int(i), 3);
    }
    column->addLayout(grid);
    column->addStretch();
}

void COptionsConductor::loadMore()
{
    for (size_t i = 0; i < m_sliders.size(); ++i) {
        const int value =
            readSetting(*m_context.profile, *kSliders[i].row);
        m_sliders[i]->setValue(value);
        m_sliderText[i]->setText(QString::number(m_sliders[i]->value()));
    }
    updateEnabling();
}

// The average, return and pause controls stay enabled.
void COptionsConductor::updateEnabling()
{
    const bool enabled = m_checks[kEnabled]->isChecked();
    for (int i : {kJumpF, kJumpB, kTempoMod})
        m_checks[size_t(i)]->setEnabled(enabled);
    const bool jump = enabled && (m_checks[kJumpF]->isChecked() || m_checks[kJumpB]->isChecked());
    const bool mod = enabled && m_checks[kTempoMod]->isChecked();
    const bool on[] = {enabled, jump, mod, true, true};
    for (size_t i = 0; i < m_sliders.size(); ++i) {
        m_sliders[i]->setEnabled(on[i]);
        m_sliderText[i]->setEnabled(on[i]);
    }
}

ConductorValues COptionsConductor::values() const
{
    ConductorValues v;
    v.enabled = m_checks[kEnabled]->isChecked();
    v.jumpForward = m_checks[kJumpF]->isChecked();
    v.jumpBack = m_checks[kJumpB]->isChecked();
    v.tempoMod = m_checks[kTempoMod]->isChecked();
    v.useAverage = m_checks[kAverage]->isChecked();
    v.tempoNorm = m_checks[kNorm]->isChecked();
    v.pause = m_checks[kPause]->isChecked();
    v.window = m_sliders[kWindow]->value();
    v.jumpStrength = m_sliders[kJumpStrength]->value();
    v.modStrength = m_sliders[kModStrength]->value();
    v.averageStrength = m_sliders[kAveStrength]->value();
    v.returnRate = m_sliders[kReturnRate]->value();
    return v;
}

void COptionsConductor::storeMore()
{
    for (size_t i = 0; i < m_sliders.size(); ++i)
        writeSetting(*m_context.profile, *kSliders[i].row, m_sliders[i]->value());
}

} // namespace rz
