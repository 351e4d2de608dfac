#include "dialogs/track_props_dlg.h"

#include "core/leading_number.h"
#include "core/midi_out.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "dialogs/adv_controllers_dlg.h"
#include "dialogs/small_controls.h"
#include "dialogs/song_props_model.h"
#include "dialogs/spin_edit.h"
#include "song/event_format.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "staff/symbols/staff_header.h"
#include "ui/color_ref.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace rz {
namespace {

constexpr const char* kTrackPropsHelpTopic = "::/Tracks.htm#edit";
constexpr const char* kTrackKinds[] = {"MIDI", "Waveform Audio", "Track 0 (meta)"};
constexpr const char* kClefs[] = {"Treble", "Bass", "Keyboard", "Alto", "Tenor", "Percussion", "Percussion Line"};
constexpr int kKeyboardClef = 2;
constexpr int kMaxOffset = 127; // key and velocity offsets, either way
constexpr int kSliderTicks = 8;
constexpr int kPanCentre = 64;
constexpr size_t kPanSlot = 0;
constexpr size_t kVolumeSlot = 1;
// The colour sample and the clef preview, in pixels.
constexpr int kSampleSize = 24;
constexpr int kClefPreviewHeight = 40;
constexpr int kClefPreviewWidth = 140;
constexpr int kClefPreviewFontPixels = 20;
constexpr Color kMixedColor = 0xFFFFFFFF;

CTrackPropsDlg* g_openDialog = nullptr;

// "In (Play this track)": a click turns a mixed box on, else toggles it.
class PlayCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override { setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked); }
};

void fillCombo(QComboBox* combo, const std::vector<ComboItem>& items)
{
    const QSignalBlocker block(combo);
    combo->clear();
    for (const ComboItem& item : items)
        combo->addItem(qtext(item.text), item.data);
}

void fillCombo(QComboBox* combo, const std::vector<std::string>& texts, int selection)
{
    const QSignalBlocker block(combo);
    combo->clear();
    for (const std::string& text : texts)
        combo->addItem(qtext(text));
    combo->setCurrentIndex(selection >= 0 && selection < combo->count() ? selection : -1);
}

QComboBox* combo(QWidget* parent, const char* name, bool editable = false)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(editable);
    if (editable)
        box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(20);
    return box;
}

QSlider* slider(QWidget* parent, const char* name)
{
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(name);
    s->setRange(0, 127);
    s->setTickInterval(kSliderTicks);
    s->setTickPosition(QSlider::TicksBelow);
    return s;
}

std::string numberText(int32_t value)
{
    return std::to_string(value);
}

} // namespace

CTrackPropsDlg::CTrackPropsDlg(CSongDoc& song, const TrackPropsParams& preset, const MusicFont* font,
                               QWidget* parent)
    : DialogBase(parent, kTrackPropsHelpTopic), m_song(song), m_p(preset), m_font(font)
{
    setWindowTitle("Track properties...");
    m_playState = std::clamp(preset.playEnabled, 0, 2);
    const int row = previewTrackRow(song.context().trackRows, song.tracks.size());
    m_preview = row > 0 ? song.tracks[size_t(row)].get() : nullptr;
    buildControls();
    layOut();
    fillCombos();
    connectControls();
    g_openDialog = this;
}

CTrackPropsDlg::~CTrackPropsDlg()
{
    writeSetting(m_song.context().profile, settings::kTrackCatSortPatches, m_sorted->isChecked() ? 1 : 0);
    if (g_openDialog == this)
        g_openDialog = nullptr;
}

CTrackPropsDlg* CTrackPropsDlg::openDialog()
{
    return g_openDialog;
}

void CTrackPropsDlg::buildControls()
{
    m_name = new QLineEdit(qtext(SongText(m_p.name).shown()), this);
    m_name->setObjectName("name1064");
    m_key = new SpinEdit(this);
    m_key->setObjectName("key1059");
    m_key->setText(qtext(m_p.keyText));
    m_time = new SpinEdit(this);
    m_time->setObjectName("time1061");
    m_time->setText(qtext(m_p.timeText));
    m_velocity = new SpinEdit(this);
    m_velocity->setObjectName("velocity1060");
    m_velocity->setText(qtext(m_p.velocityText));
    m_kind = combo(this, "kind1013");
    m_play = new PlayCheckBox("In (Play this track)", this);
    m_play->setObjectName("play1009");
    m_play->setTristate(true);
    m_play->setCheckState(m_playState == 1 ? Qt::Checked : m_playState == 0 ? Qt::Unchecked : Qt::PartiallyChecked);
    m_clef = combo(this, "clef1006");
    m_split = combo(this, "split1008");
    m_port = combo(this, "port1057");
    m_channel = combo(this, "channel1056");
    m_inputPort = combo(this, "inport1066");
    m_inputChannel = combo(this, "inchannel1067");
    m_bank = combo(this, "bank1058", true);
    m_patch = combo(this, "patch1065", true);
    m_allPatches = combo(this, "allpatches1054");
    m_sorted = new QCheckBox("Sorted by category", this);
    m_sorted->setObjectName("sorted1305");
    m_sorted->setChecked(readSetting(m_song.context().profile, settings::kTrackCatSortPatches) != 0);
    m_filtered = new QCheckBox("Filtered", this);
    m_filtered->setObjectName("filtered");
    m_filtered->setEnabled(false);
    m_volumeSlider = slider(this, "volume1205");
    m_panSlider = slider(this, "pan1206");
    m_volumeEdit = new QLineEdit(this);
    m_volumeEdit->setObjectName("volume1062");
    m_panEdit = new QLineEdit(this);
    m_panEdit->setObjectName("pan1063");
    m_colorButton = new QPushButton("Change...", this);
    m_colorButton->setObjectName("color1005");
    m_colorSample = new QLabel(this);
    m_colorSample->setObjectName("sample1125");
    m_colorSample->setFixedSize(kSampleSize, kSampleSize);
    m_clefPreview = new QLabel(this);
    m_clefPreview->setObjectName("clef1124");
    m_clefPreview->setFixedSize(kClefPreviewWidth, kClefPreviewHeight);
    m_advanced = new QPushButton("&Advanced...", this);
    m_advanced->setObjectName("advanced1270");
}

void CTrackPropsDlg::layOut()
{
    QLayout* general = generalRows();
    QWidget* ports = portsBox();
    QWidget* sound = patchBox();
    QWidget* notation = notationBox();
    auto* buttons = buttonRow();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(general);
    layout->addWidget(ports);
    layout->addWidget(sound);
    layout->addWidget(notation);
    layout->addWidget(buttons);
}

// Name, kind, and the key, velocity and time offsets.
QLayout* CTrackPropsDlg::generalRows()
{
    auto* general = new QGridLayout;
    int r = 0;
    general->addWidget(new QLabel("Name:", this), r, 0);
    general->addWidget(m_name, r++, 1, 1, 3);
    general->addWidget(new QLabel("Kind:", this), r, 0);
    general->addWidget(m_kind, r, 1);
    general->addWidget(m_play, r++, 2, 1, 2);
    general->addWidget(new QLabel("Key offset:", this), r, 0);
    general->addWidget(m_key, r, 1);
    general->addWidget(new QLabel("Velocity offset:", this), r, 2);
    general->addWidget(m_velocity, r++, 3);
    general->addWidget(new QLabel("Time offset:", this), r, 0);
    general->addWidget(m_time, r, 1);
    general->addWidget(new QLabel("msec", this), r++, 2);
    return general;
}

QWidget* CTrackPropsDlg::portsBox()
{
    auto* ports = new QGroupBox("Ports", this);
    auto* portGrid = new QGridLayout(ports);
    portGrid->addWidget(new QLabel("Output:", this), 0, 0);
    portGrid->addWidget(m_port, 0, 1);
    portGrid->addWidget(new QLabel("Channel:", this), 0, 2);
    portGrid->addWidget(m_channel, 0, 3);
    portGrid->addWidget(new QLabel("Input:", this), 1, 0);
    portGrid->addWidget(m_inputPort, 1, 1);
    portGrid->addWidget(new QLabel("Channel:", this), 1, 2);
    portGrid->addWidget(m_inputChannel, 1, 3);
    return ports;
}

// Bank and patch with the list's filters, volume and pan.
QWidget* CTrackPropsDlg::patchBox()
{
    auto* sound = new QGroupBox("Patch", this);
    auto* soundGrid = new QGridLayout(sound);
    soundGrid->addWidget(new QLabel("Bank:", this), 0, 0);
    soundGrid->addWidget(m_bank, 0, 1);
    soundGrid->addWidget(new QLabel("Patch:", this), 0, 2);
    soundGrid->addWidget(m_patch, 0, 3);
    soundGrid->addWidget(new QLabel("All patches:", this), 1, 0);
    soundGrid->addWidget(m_allPatches, 1, 1, 1, 3);
    auto* checks = new QHBoxLayout;
    checks->addWidget(m_sorted);
    checks->addWidget(m_filtered);
    checks->addStretch();
    checks->addWidget(m_advanced);
    soundGrid->addLayout(checks, 2, 0, 1, 4);
    soundGrid->addWidget(new QLabel("Volume:", this), 3, 0);
    soundGrid->addWidget(m_volumeSlider, 3, 1, 1, 2);
    soundGrid->addWidget(m_volumeEdit, 3, 3);
    soundGrid->addWidget(new QLabel("Pan:", this), 4, 0);
    soundGrid->addWidget(m_panSlider, 4, 1, 1, 2);
    soundGrid->addWidget(m_panEdit, 4, 3);
    return sound;
}

QWidget* CTrackPropsDlg::notationBox()
{
    auto* notation = new QGroupBox("Notation", this);
    auto* notationGrid = new QGridLayout(notation);
    notationGrid->addWidget(new QLabel("Clef:", this), 0, 0);
    notationGrid->addWidget(m_clef, 0, 1);
    notationGrid->addWidget(m_clefPreview, 0, 2, 2, 1);
    notationGrid->addWidget(new QLabel("Split at:", this), 1, 0);
    notationGrid->addWidget(m_split, 1, 1);
    auto* colour = new QHBoxLayout;
    colour->addWidget(new QLabel("Colour:", this));
    colour->addWidget(m_colorSample);
    colour->addWidget(m_colorButton);
    colour->addStretch();
    notationGrid->addLayout(colour, 2, 0, 1, 3);
    return notation;
}

void CTrackPropsDlg::fillCombos()
{
    fillCombo(m_kind, {kTrackKinds[0], kTrackKinds[1], kTrackKinds[2]}, m_p.kind);
    fillCombo(m_clef, std::vector<std::string>(std::begin(kClefs), std::end(kClefs)), m_p.clef);
    std::vector<std::string> notes;
    for (int note = 0; note <= 127; ++note) {
        CMidiEvent event;
        event.message = midi::noteOn(0, note, 64);
        notes.push_back(FormatNoteName(event, 0));
    }
    fillCombo(m_split, notes, m_p.splitNote);
    fillDeviceCombos();
    fillChannelCombo();
    refreshPatchLists(true);
    showVolumeAndPan();
    drawColorSample();
    drawClefPreview();
    enableByKind();
}

void CTrackPropsDlg::fillDeviceCombos()
{
    const IProfile& profile = m_song.context().profile;
    fillCombo(m_port, outPortTexts(profile), m_p.port);
    fillCombo(m_inputPort, inPortTexts(profile), m_p.inputPort);
    std::vector<std::string> channels{"All channels"};
    for (int channel = 1; channel <= kChannelCount; ++channel)
        channels.push_back(numberText(channel));
    fillCombo(m_inputChannel, channels, m_p.inputChannel);
}

void CTrackPropsDlg::fillChannelCombo()
{
    m_outPort = outPortInfo(m_song.context().profile, m_song.context().synths, m_p.port);
    fillCombo(m_channel, channelTexts(m_outPort), m_p.channel);
}

bool CTrackPropsDlg::drumChannel() const
{
    return m_p.channel >= 0 && m_p.channel < kChannelCount && ((m_outPort.drumMask >> m_p.channel) & 1) != 0;
}

void CTrackPropsDlg::refreshPatchLists(bool force)
{
    const std::pair<bool, int> listed{drumChannel(), m_outPort.synth};
    if (!force && m_listedFor == listed)
        return;
    m_listedFor = listed;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_synthPatches = listSynthPatches(m_song.context().synths, m_outPort.synth);
    const BankStyle style{m_outPort.technology};
    const PatchLists lists = buildPatchLists(m_synthPatches, listed.first, style, m_sorted->isChecked(),
                                             m_filtered->isChecked() ? m_filter : std::string());
    fillCombo(m_bank, lists.banks);
    fillCombo(m_allPatches, lists.allPatches);
    QApplication::restoreOverrideCursor();
    fillPatchCombo();
    selectAllPatches();
}

void CTrackPropsDlg::fillPatchCombo()
{
    const BankStyle style{m_outPort.technology};
    // Without a bank the synth plays its first.
    fillCombo(m_patch, patchItems(m_synthPatches, std::max(m_p.bank, 0), drumChannel(), style));
    const QSignalBlocker blockBank(m_bank);
    const QSignalBlocker blockPatch(m_patch);
    const int bankIndex = m_p.bank >= 0 ? m_bank->findData(m_p.bank) : -1;
    m_bank->setCurrentIndex(bankIndex);
    if (bankIndex < 0)
        m_bank->setEditText(m_p.bank >= 0 ? qtext(unlistedBankText(m_p.bank)) : QString());
    const int patchIndex = m_p.patch >= 0 && (bankIndex >= 0 || m_p.bank < 0) ? m_patch->findData(m_p.patch) : -1;
    m_patch->setCurrentIndex(patchIndex);
    if (patchIndex < 0)
        m_patch->setEditText(m_p.patch >= 0 ? qtext(numberText(m_p.patch + style.patchBase())) : QString());
    m_bankTyped = false;
    m_patchTyped = false;
}

void CTrackPropsDlg::selectAllPatches()
{
    const QSignalBlocker block(m_allPatches);
    const int index = m_p.bank >= 0 && m_p.patch >= 0 ? m_allPatches->findData(m_p.bank * 128 + m_p.patch) : -1;
    m_allPatches->setCurrentIndex(index);
}

void CTrackPropsDlg::connectControls()
{
    connect(m_kind, &QComboBox::activated, this, [this](int index) {
        m_p.kind = index;
        enableByKind();
    });
    connect(m_clef, &QComboBox::activated, this, [this](int index) {
        m_p.clef = index;
        enableByKind();
        drawClefPreview();
    });
    connect(m_split, &QComboBox::activated, this, [this](int index) { m_p.splitNote = index; });
    connect(m_port, &QComboBox::activated, this, [this](int index) {
        m_p.port = index;
        fillChannelCombo();
        refreshPatchLists(false);
    });
    connect(m_channel, &QComboBox::activated, this, [this](int index) {
        m_p.channel = index;
        refreshPatchLists(false);
    });
    connect(m_inputPort, &QComboBox::activated, this, [this](int index) { m_p.inputPort = index; });
    connect(m_inputChannel, &QComboBox::activated, this, [this](int index) { m_p.inputChannel = index; });
    connect(m_bank, &QComboBox::activated, this, [this](int index) {
        m_p.bank = m_bank->itemData(index).toInt();
        fillPatchCombo();
        selectAllPatches();
        previewPatch();
    });
    connect(m_patch, &QComboBox::activated, this, [this](int index) {
        m_p.patch = m_patch->itemData(index).toInt();
        m_patchTyped = false;
        selectAllPatches();
        previewPatch();
    });
    connect(m_allPatches, &QComboBox::activated, this, [this](int index) {
        const int data = m_allPatches->itemData(index).toInt();
        m_p.bank = data / 128;
        m_p.patch = data % 128;
        fillPatchCombo();
        previewPatch();
    });
    connect(m_bank->lineEdit(), &QLineEdit::textEdited, this, [this] { m_bankTyped = true; });
    connect(m_patch->lineEdit(), &QLineEdit::textEdited, this, [this] { m_patchTyped = true; });
    connect(m_bank->lineEdit(), &QLineEdit::editingFinished, this, &CTrackPropsDlg::commitBankText);
    connect(m_patch->lineEdit(), &QLineEdit::editingFinished, this, &CTrackPropsDlg::commitPatchText);
    connect(m_sorted, &QCheckBox::toggled, this, [this] { refreshPatchLists(true); });
    connect(m_filtered, &QCheckBox::toggled, this, [this] { refreshPatchLists(true); });
    connect(m_volumeEdit, &QLineEdit::editingFinished, this, &CTrackPropsDlg::commitVolumeText);
    connect(m_panEdit, &QLineEdit::editingFinished, this, &CTrackPropsDlg::commitPanText);
    connect(m_volumeSlider, &QSlider::valueChanged, this, [this] { onSlider(m_volumeSlider); });
    connect(m_panSlider, &QSlider::valueChanged, this, [this] { onSlider(m_panSlider); });
    connect(m_key, &SpinEdit::stepRequested, this, [this](bool up) { stepOffset(m_key, kMaxOffset, up); });
    connect(m_velocity, &SpinEdit::stepRequested, this, [this](bool up) { stepOffset(m_velocity, kMaxOffset, up); });
    connect(m_time, &SpinEdit::stepRequested, this, [this](bool up) { stepOffset(m_time, kMaxTrackTimeOffset, up); });
    connect(m_play, &QCheckBox::clicked, this, &CTrackPropsDlg::onPlayClicked);
    connect(m_colorButton, &QPushButton::clicked, this, &CTrackPropsDlg::chooseColor);
    connect(m_advanced, &QPushButton::clicked, this, &CTrackPropsDlg::runAdvanced);
}

void CTrackPropsDlg::commitBankText()
{
    if (!m_bankTyped)
        return;
    m_bankTyped = false;
    m_p.bank = parseBankText(m_bank->currentText().toStdString(), BankStyle{m_outPort.technology});
    fillPatchCombo();
    selectAllPatches();
    previewPatch();
}

void CTrackPropsDlg::commitPatchText()
{
    if (!m_patchTyped)
        return;
    m_patchTyped = false;
    const TypedPatch typed = parsePatchText(m_patch->currentText().toStdString(), BankStyle{m_outPort.technology});
    if (!typed.filter.empty()) {
        m_filter = typed.filter;
        m_filtered->setEnabled(true);
        {
            const QSignalBlocker block(m_filtered);
            m_filtered->setChecked(true);
        }
        refreshPatchLists(true);
        return;
    }
    m_p.patch = typed.patch;
    fillPatchCombo();
    selectAllPatches();
    previewPatch();
}

void CTrackPropsDlg::previewPatch()
{
    if (IMidiOut* port = previewPort())
        port->SendBankProgram(uint32_t(previewChannel()), m_p.bank, m_p.patch, true);
}

IMidiOut* CTrackPropsDlg::previewPort() const
{
    return m_preview ? m_preview->outputPort : nullptr;
}

int CTrackPropsDlg::previewChannel() const
{
    return m_preview ? std::clamp(m_preview->channel, 0, kChannelCount - 1) : 0;
}

void CTrackPropsDlg::showVolumeAndPan()
{
    const int32_t volume = m_p.initialControllers[kVolumeSlot];
    const int32_t pan = m_p.initialControllers[kPanSlot];
    {
        const QSignalBlocker blockVolume(m_volumeSlider);
        const QSignalBlocker blockPan(m_panSlider);
        m_volumeSlider->setValue(std::clamp(volume, 0, 127));
        m_panSlider->setValue(pan >= 0 ? std::min(pan, 127) : kPanCentre);
    }
    m_volumeEdit->setText(volume >= 0 ? qtext(numberText(volume)) : QString());
    m_panEdit->setText(pan >= 0 ? qtext(numberText(pan - kPanCentre)) : QString());
}

void CTrackPropsDlg::commitVolumeText()
{
    const std::string text = m_volumeEdit->text().trimmed().toStdString();
    int32_t& volume = m_p.initialControllers[kVolumeSlot];
    volume = text.empty() ? -1 : std::clamp(leadingNumber(text), 0, 127);
    showVolumeAndPan();
}

void CTrackPropsDlg::commitPanText()
{
    const std::string text = m_panEdit->text().trimmed().toStdString();
    int32_t& pan = m_p.initialControllers[kPanSlot];
    pan = text.empty() ? -1 : std::clamp(leadingNumber(text) + kPanCentre, 0, 127);
    showVolumeAndPan();
}

void CTrackPropsDlg::onSlider(QSlider* slider)
{
    const bool volume = slider == m_volumeSlider;
    int32_t& value = m_p.initialControllers[volume ? kVolumeSlot : kPanSlot];
    if (slider->value() < 1 && value < 1)
        return;
    value = slider->value();
    (volume ? m_volumeEdit : m_panEdit)->setText(qtext(numberText(volume ? value : value - kPanCentre)));
}

void CTrackPropsDlg::stepOffset(SpinEdit* edit, int limit, bool up)
{
    const int value = std::clamp(leadingNumber(edit->text().toStdString()) + (up ? 1 : -1), -limit, limit);
    edit->setText(qtext(numberText(value)));
    edit->focusSelected();
}

// A typed offset beyond its range is held at the end and shown, so the
// song never takes a value other than the one on screen.
void CTrackPropsDlg::holdOffset(SpinEdit* edit, int limit)
{
    const std::string text = edit->text().toStdString();
    const int value = leadingNumber(text);
    if (startsWithNumber(text) && (value < -limit || value > limit))
        edit->setText(qtext(numberText(std::clamp(value, -limit, limit))));
}

void CTrackPropsDlg::onPlayClicked()
{
    m_playState = m_play->checkState() == Qt::Checked ? 1 : 0;
}

void CTrackPropsDlg::enableByKind()
{
    const KindControls enabled = kindControls(m_p.kind);
    for (QWidget* control : std::initializer_list<QWidget*>{m_port, m_channel, m_inputPort, m_inputChannel, m_bank,
                                                            m_patch, m_allPatches, m_key, m_velocity, m_clef,
                                                            m_sorted, m_advanced})
        control->setEnabled(enabled.midi);
    m_filtered->setEnabled(enabled.midi && !m_filter.empty());
    m_split->setEnabled(enabled.midi && m_p.clef == kKeyboardClef);
    for (QWidget* control : std::initializer_list<QWidget*>{m_time, m_play, m_volumeSlider, m_volumeEdit,
                                                            m_panSlider, m_panEdit, m_colorButton})
        control->setEnabled(enabled.audio);
}

void CTrackPropsDlg::drawColorSample()
{
    QPixmap sample(kSampleSize, kSampleSize);
    if (m_p.color == kMixedColor) {
        sample.fill(palette().color(QPalette::Window));
    } else {
        const Color color = m_p.color & 0xFFFFFF;
        sample.fill(fromColorRef(color));
        QPainter painter(&sample);
        painter.setPen(fromColorRef(ColorLuminance(color)));
        painter.setFont(QApplication::font());
        painter.drawText(sample.rect(), Qt::AlignCenter, "12");
    }
    m_colorSample->setPixmap(sample);
}

void CTrackPropsDlg::chooseColor()
{
    const Color start = m_p.color == kMixedColor ? kDefaultTrackColor : m_p.color;
    if (const std::optional<Color> chosen = m_song.context().prompt.chooseColor(start)) {
        m_p.color = *chosen & 0xFFFFFF;
        drawColorSample();
    }
}

void CTrackPropsDlg::drawClefPreview()
{
    QPixmap preview(kClefPreviewWidth, kClefPreviewHeight);
    preview.fill(Qt::white);
    if (m_font != nullptr && m_p.clef >= 0) {
        QPainter painter(&preview);
        painter.setPen(Qt::black);
        CTrack track;
        track.notationSetting = m_p.clef;
        // In 4/4 and the key the song starts in.
        MeasureRec measure;
        measure.key = m_song.measureMap.empty() ? 0 : m_song.measureMap.front().key;
        // A grand staff is two staves three staff heights apart: smaller, so
        // that both fit.
        const bool grand = m_p.clef == kKeyboardClef;
        const int pixels = grand ? kClefPreviewHeight / 5 : kClefPreviewFontPixels;
        const int staffHeight = grand ? 4 * pixels : pixels;
        QRect rect(2, (kClefPreviewHeight - staffHeight) / 2, kClefPreviewWidth - 4, pixels);
        DrawStaffHeader(&painter, rect, &track, measure, 0, 0, *m_font, pixels);
    }
    m_clefPreview->setPixmap(preview);
}

void CTrackPropsDlg::runAdvanced()
{
    CAdvControllersDlg dialog(*this);
    dialog.setHelpOpener(helpOpener());
    dialog.exec();
    showVolumeAndPan();
}

void CTrackPropsDlg::accept()
{
    holdOffset(m_key, kMaxOffset);
    holdOffset(m_velocity, kMaxOffset);
    holdOffset(m_time, kMaxTrackTimeOffset);
    commitBankText();
    commitPatchText();
    if (m_volumeEdit->isModified())
        commitVolumeText();
    if (m_panEdit->isModified())
        commitPanText();
    QDialog::accept();
}

TrackPropsParams CTrackPropsDlg::params() const
{
    TrackPropsParams p = m_p;
    p.name = SongText(m_p.name).result(m_name->text().toStdString());
    p.keyText = m_key->text().trimmed().toStdString();
    p.timeText = m_time->text().trimmed().toStdString();
    p.velocityText = m_velocity->text().trimmed().toStdString();
    p.playEnabled = m_playState;
    return p;
}

} // namespace rz
