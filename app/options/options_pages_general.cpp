// The Options pages for start-up, display, staff, opening, saving, sets and
// macros. GUI thread.

#include "dialogs/cue_type_combo.h"
#include "app/options/options_pages.h"
#include "ui/local_path.h"
#include "core/profile.h"
#include "core/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace rz {
namespace {

// A column with a form underneath, the shape most pages take.
struct PageLayout {
    QVBoxLayout* column;
    QFormLayout* form;
};

PageLayout pageLayout(QWidget* page)
{
    auto* column = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    column->addLayout(form);
    return {column, form};
}

QPushButton* button(QWidget* page, const char* text)
{
    return new QPushButton(QString::fromUtf8(text), page);
}

} // namespace

COptionsStartup::COptionsStartup(OptionsContext& context)
    : OptionsPage(context, "Startup", "::/Options.htm#start")
{
    auto* column = new QVBoxLayout(this);
    bindCheck(column, "Open the most recent set or song", settings::kStartAutoOpen);
    bindCheck(column, "Use the Internet to check for software updates",
              settings::kStartCheckForUpdates);
    auto* types = new QFormLayout;
    column->addLayout(types);
    bindCombo(types, "Automatically associate MIDI files with DEVU Rizoraz:",
              {"No", "Ask me first", "Yes"}, settings::kStartFileTypes);
    bindCheck(column, "DEVU Rizoraz window always on top", settings::kAlwaysOnTop);
    bindCheck(column,
              "Prevent the screen saver while DEVU Rizoraz is the foreground application",
              settings::kNoScreenSave);
    bindCheck(column, "Prevent system Suspend (power saving) mode", settings::kNoSuspend);
    column->addStretch();
}

void COptionsStartup::storeMore()
{
    if (m_context.setAlwaysOnTop)
        m_context.setAlwaysOnTop(readSetting(*m_context.profile, settings::kAlwaysOnTop) != 0);
    if (m_context.reloadInhibitor)
        m_context.reloadInhibitor();
}

COptionsDisplay::COptionsDisplay(OptionsContext& context)
    : OptionsPage(context, "Display", "::/Options.htm#display")
{
    auto* column = new QVBoxLayout(this);
    bindCheck(column, "Smooth scrolling of current playback position",
              settings::kDisplaySmoothScroll);
    auto* group = new QGroupBox(QStringLiteral("Cue colors"), this);
    auto* row = new QHBoxLayout(group);
    m_cues = new CueTypeCombo(group);
    m_cues->FillCueTypes();
    m_cues->setColorSource([this](int kind) {
        return m_context.cueColor ? m_context.cueColor(kind) : Color(0xFFFFFF);
    });
    row->addWidget(m_cues, 1);
    QPushButton* change = button(group, "Change color...");
    QPushButton* defaults = button(group, "Use defaults");
    row->addWidget(change);
    row->addWidget(defaults);
    column->addWidget(group);
    column->addStretch();
    connect(change, &QPushButton::clicked, this, [this] { changeColor(); });
    connect(defaults, &QPushButton::clicked, this, [this] { useDefaults(); });
}

std::optional<int> COptionsDisplay::runtimeValue(const Setting& row) const
{
    if (&row == &settings::kDisplaySmoothScroll && m_context.smoothScroll)
        return m_context.smoothScroll() ? 1 : 0;
    return std::nullopt;
}

void COptionsDisplay::loadMore()
{
    m_cues->setCurrentIndex(0);
}

void COptionsDisplay::changeColor()
{
    const int kind = m_cues->kindAt(m_cues->currentIndex());
    if (kind < 0 || !m_context.cueColor || !m_context.setCueColor)
        return;
    if (auto chosen = m_context.prompt->chooseColor(m_context.cueColor(kind))) {
        m_context.setCueColor(kind, *chosen);
        m_cues->update();
    }
}

void COptionsDisplay::useDefaults()
{
    if (m_context.resetCueColors)
        m_context.resetCueColors();
    m_cues->update();
}

void COptionsDisplay::cancel()
{
    if (loaded() && m_context.loadCueColors)
        m_context.loadCueColors();
}

void COptionsDisplay::storeMore()
{
    const bool smooth = readSetting(*m_context.profile, settings::kDisplaySmoothScroll) != 0;
    if (m_context.setSmoothScroll)
        m_context.setSmoothScroll(smooth);
    if (!m_context.cueColor)
        return;
    for (int kind = 0; kind < 10; ++kind)
        writeSetting(*m_context.profile, settings::kDisplayCueColor, int32_t(m_context.cueColor(kind)),
                     std::to_string(kind));
}

COptionsStaff::COptionsStaff(OptionsContext& context)
    : OptionsPage(context, "Staff && Lead-Sheet", "::/Options.htm#staff")
{
    auto [column, form] = pageLayout(this);
    bindCombo(form, "Printed staff size:",
              {"Commercial", "Giant", "English", "Regular/Common", "Peter", "Large middle",
               "Small middle", "Cadenza", "Pearl"},
              settings::kStaffPrintSize);
    bindCheck(column, "Fill -- extend note durations to next beat boundaries to avoid rests",
              settings::kStaffFill);
    bindCheck(column, "Trim -- shorten note durations to avoid overlapping notes",
              settings::kStaffTrim);
    auto* resolution = new QFormLayout;
    column->addLayout(resolution);
    bindCombo(resolution, "Resolution (smallest notes):", {"8th", "16th", "32nd"},
              settings::kStaffResolution);
    auto* fonts = new QHBoxLayout;
    QPushButton* lyrics = button(this, "Lyrics...");
    QPushButton* chords = button(this, "Chords...");
    fonts->addWidget(lyrics);
    fonts->addWidget(chords);
    fonts->addStretch();
    column->addLayout(fonts);
    column->addStretch();
    connect(lyrics, &QPushButton::clicked, this, [this] { chooseLyricFont(); });
    connect(chords, &QPushButton::clicked, this, [this] { chooseChordFont(); });
}

void COptionsStaff::loadMore()
{
    for (StoredFont* font : {&m_lyric, &m_chord}) {
        const std::string prefix = font->prefix;
        font->face =
            readSettingTextOr(*m_context.profile, settings::kStaffFontFace, font->defaultFace, prefix);
        font->height = readSetting(*m_context.profile, settings::kStaffFontHeight, prefix);
        font->weight = readSetting(*m_context.profile, settings::kStaffFontWeight, prefix);
    }
}

// Heights are character heights in pixels at 96 per inch, negative as stored.
void COptionsStaff::chooseFont(StoredFont& font)
{
    FontChoice initial{font.face, std::max(1, std::abs(font.height) * 3 / 4), font.weight, false};
    auto chosen = m_context.prompt->chooseFont(initial);
    if (!chosen)
        return;
    font.face = chosen->family;
    font.height = -(chosen->pointSize * 4 + 2) / 3;
    font.weight = chosen->weight;
    font.changed = true;
}

void COptionsStaff::storeMore()
{
    for (const StoredFont* font : {&m_lyric, &m_chord}) {
        if (!font->changed)
            continue;
        const std::string prefix = font->prefix;
        writeSettingText(*m_context.profile, settings::kStaffFontFace, font->face, prefix);
        writeSetting(*m_context.profile, settings::kStaffFontHeight, font->height, prefix);
        writeSetting(*m_context.profile, settings::kStaffFontWeight, font->weight, prefix);
    }
}

COptionsOpen::COptionsOpen(OptionsContext& context)
    : OptionsPage(context, "Open", "::/Options.htm#open")
{
    auto* column = new QVBoxLayout(this);
    bindCheck(column, "Split tracks that contain patch change events", settings::kOpenSplitPatches);
    auto* format = new QFormLayout;
    column->addLayout(format);
    bindCombo(format, "Format 0 files:",
              {"Open but do not prompt to convert", "Open and prompt to convert",
               "Open and automatically convert to Format 1"},
              settings::kOpenWarnFormat);
    bindCheck(column, "Automatically recall stored view layout and properties",
              settings::kOpenRecallLayout);
    bindCheck(column,
              "Automatically manage patch changes and other track properties (RECOMMENDED)",
              settings::kOpenAutoProps);
    column->addStretch();
}

std::optional<int> COptionsOpen::runtimeValue(const Setting& row) const
{
    if (&row == &settings::kOpenAutoProps && m_context.autoProps)
        return m_context.autoProps() ? 1 : 0;
    return std::nullopt;
}

void COptionsOpen::storeMore()
{
    if (m_context.setAutoProps)
        m_context.setAutoProps(readSetting(*m_context.profile, settings::kOpenAutoProps) != 0);
}

COptionsSave::COptionsSave(OptionsContext& context)
    : OptionsPage(context, "Save", "::/Options.htm#save")
{
    auto* column = new QVBoxLayout(this);
    const char* labels[] = {"Default to Documents folder",
                            "Default to the most recently used folder", "Default to:"};
    for (size_t i = 0; i < m_defPath.size(); ++i) {
        m_defPath[i] = new QRadioButton(QString::fromUtf8(labels[i]), this);
        column->addWidget(m_defPath[i]);
        connect(m_defPath[i], &QRadioButton::toggled, this, [this] { updateEnabling(); });
    }
    bindRadios({m_defPath.begin(), m_defPath.end()}, settings::kNewSongDefPath);
    auto* pathRow = new QFormLayout;
    column->addLayout(pathRow);
    const std::string documents =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString() + "/";
    m_path = bindText(pathRow, "", settings::kNewSongPath, 32767, {}, documents);
    m_change = button(this, "Change location...");
    pathRow->addRow(QString(), m_change);
    connect(m_change, &QPushButton::clicked, this, [this] { changeLocation(); });
    bindCheck(column, "Maintain backup (.bak) files for songs", settings::kSaveBackups);
    m_autoSave = bindCheck(column, "Save AutoRecover info every", settings::kSaveAutoSave);
    connect(m_autoSave, &QCheckBox::toggled, this, [this] { updateEnabling(); });
    auto* minutesRow = new QFormLayout;
    column->addLayout(minutesRow);
    m_minutes = bindInt(minutesRow, "minutes", settings::kSaveAutoSaveMin, 1, 180);
    m_minutesSpin = spinFor(m_minutes, 1, 180);
    minutesRow->addRow(QString(), m_minutesSpin);
    bindCheck(column, "Rename files to match MIDI song titles", settings::kSaveRename);
    bindCheck(column, "Automatically snapshot and store view layout and properties",
              settings::kSaveLayout);
    column->addStretch();
}

void COptionsSave::loadMore()
{
    bool ok = false;
    const int minutes = intOf(m_minutes, &ok);
    const QString shown = m_minutes->text();
    m_minutesSpin->setValue(ok ? minutes : 10);
    m_minutes->setText(shown); // keeps a hand-edited value visible as stored
    updateEnabling();
}

void COptionsSave::updateEnabling()
{
    const bool chosenFolder = m_defPath[2]->isChecked();
    m_path->setEnabled(chosenFolder);
    m_change->setEnabled(chosenFolder);
    const bool autoSave = m_autoSave->isChecked();
    m_minutes->setEnabled(autoSave);
    m_minutesSpin->setEnabled(autoSave);
}

void COptionsSave::changeLocation()
{
    auto folder = m_context.prompt->chooseFolder("Choose a default save location.",
                                                 localPath(m_path->text()));
    if (!folder)
        return;
    std::string text = folder->string();
    if (text.empty() || text.back() != '/')
        text += '/';
    m_path->setText(qtPath(text));
}

bool COptionsSave::storesItself(const Setting& row) const
{
    return &row == &settings::kNewSongPath;
}

void COptionsSave::storeMore()
{
    if (m_defPath[2]->isChecked())
        writeSettingText(*m_context.profile, settings::kNewSongPath, m_path->text().toStdString());
    if (m_context.restartAutoSave)
        m_context.restartAutoSave();
}

COptionsSet::COptionsSet(OptionsContext& context)
    : OptionsPage(context, "Set", "::/Options.htm#set")
{
    auto [column, form] = pageLayout(this);
    m_delay = new QLineEdit(this);
    m_spin = spinFor(m_delay, 0, 10); // the spin stops at 10; up to 60 may be typed
    auto* delayRow = new QHBoxLayout;
    delayRow->addWidget(m_delay);
    delayRow->addWidget(m_spin);
    delayRow->addWidget(new QLabel(QStringLiteral("sec. between songs"), this));
    form->addRow(QStringLiteral("Delay:"), delayRow);
    bindCheck(column, "Immediately begin playback", settings::kPlaybackAdvancePlay);
    auto* reset = new QFormLayout;
    column->addLayout(reset);
    bindCombo(reset, "Reset:",
              {"Do not reset controllers", "Reset used controllers to defaults",
               "Send MIDI Reset (F10) commands"},
              settings::kPlaybackAdvanceReset);
    column->addWidget(new QLabel(QStringLiteral("When changing songs"), this));
    bindCheck(column, "Automatically expand/collapse marker list", settings::kSetExpandCollapse);
    auto* size = new QFormLayout;
    column->addLayout(size);
    bindInt(size, "Load songs individually when the number of songs exceeds",
            settings::kSetMaxSetSize, 0, 500);
    column->addStretch();
}

// Milliseconds stored, whole seconds shown.
void COptionsSet::loadMore()
{
    const int seconds = readSetting(*m_context.profile, settings::kPlaybackAdvanceWait) / 1000;
    m_spin->setValue(std::clamp(seconds, 0, 10));
    m_loadedDelay = QString::number(seconds);
    m_delay->setText(m_loadedDelay);
}

std::optional<OptionsPage::RangeFailure> COptionsSet::validateMore() const
{
    bool ok = false;
    const int seconds = intOf(m_delay, &ok);
    if (!ok || seconds < 0 || seconds > 60)
        return RangeFailure{m_delay, 0, 60};
    return std::nullopt;
}

// The shown seconds lose the stored fraction, so an untouched field keeps
// the stored milliseconds.
void COptionsSet::storeMore()
{
    if (m_delay->text() != m_loadedDelay)
        writeSetting(*m_context.profile, settings::kPlaybackAdvanceWait, intOf(m_delay) * 1000);
}

COptionsMacros::COptionsMacros(OptionsContext& context)
    : OptionsPage(context, "Macros", "::/Options.htm#macros")
{
    auto [column, form] = pageLayout(this);
    static const char* const kNames[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    static const char* const kLabels[] = {"%1", "%2", "%3", "%4", "%5",
                                          "%6", "%7", "%8", "%9"};
    for (size_t i = 0; i < 9; ++i)
        bindText(form, kLabels[i], settings::kMacro, 80, kNames[i]);
    column->addStretch();
}

} // namespace rz
