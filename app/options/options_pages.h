#pragma once

#include "app/options/options_page.h"
#include "core/prompt.h"
#include "engine/sequencer_settings.h"

#include <array>

class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

namespace rz {

class CueTypeCombo;
class ISynthLookup;
class SynthDatabase;

class COptionsStartup : public OptionsPage {
    Q_OBJECT
public:
    explicit COptionsStartup(OptionsContext& context);

protected:
    void storeMore() override;
};

class COptionsDisplay : public OptionsPage {
    Q_OBJECT
public:
    explicit COptionsDisplay(OptionsContext& context);
    CueTypeCombo* cueList() const { return m_cues; }
    void changeColor();
    void useDefaults();
    // Cancel: the colours edited in place go back to the stored ones.
    void cancel();

protected:
    std::optional<int> runtimeValue(const Setting& row) const override;
    void loadMore() override;
    void storeMore() override;

private:
    CueTypeCombo* m_cues = nullptr;
};

class COptionsStaff : public OptionsPage {
    Q_OBJECT
public:
    explicit COptionsStaff(OptionsContext& context);
    void chooseLyricFont() { chooseFont(m_lyric); }
    void chooseChordFont() { chooseFont(m_chord); }

    // A font kept as face, height (negative: character height in pixels) and weight.
    struct StoredFont {
        const char* prefix; // "Lyric", "Chord"
        const char* defaultFace;
        std::string face;
        int height = -24;
        int weight = 400;
        bool changed = false;
    };

protected:
    void loadMore() override;
    void storeMore() override;

private:
    void chooseFont(StoredFont& font);

    StoredFont m_lyric{"Lyric", "Arial Narrow", {}, -24, 400, false};
    StoredFont m_chord{"Chord", "Verdana", {}, -24, 400, false};
};

class COptionsOpen : public OptionsPage {
    Q_OBJECT
public:
    explicit COptionsOpen(OptionsContext& context);

protected:
    std::optional<int> runtimeValue(const Setting& row) const override;
    void storeMore() override;
};

class COptionsSave : public OptionsPage {
    Q_OBJECT
public:
    explicit COptionsSave(OptionsContext& context);
    void changeLocation();
    QRadioButton* defPathButton(int index) const { return m_defPath[size_t(index)]; }
    QLineEdit* pathField() const { return m_path; }

protected:
    void loadMore() override;
    void storeMore() override;
    bool storesItself(const Setting& row) const override;

private:
    void updateEnabling();

    std::array<QRadioButton*, 3> m_defPath{};
    QLineEdit* m_path = nullptr;
    QPushButton* m_change = nullptr;
    QCheckBox* m_autoSave = nullptr;
    QLineEdit* m_minutes = nullptr;
    QSpinBox* m_minutesSpin = nullptr;
};

class COptionsSet : public OptionsPage {
    Q_OBJECT
public:
    explicit COptionsSet(OptionsContext& context);
    QSpinBox* delaySpin() const { return m_spin; }
    QLineEdit* delayField() const { return m_delay; }

protected:
    void loadMore() override;
    std::optional<RangeFailure> validateMore() const override;
    void storeMore() override;

private:
    QLineEdit* m_delay = nullptr;
    QSpinBox* m_spin = nullptr;
    QString m_loadedDelay;
};

class COptionsMacros : public OptionsPage {
    Q_OBJECT
public:
    explicit COptionsMacros(OptionsContext& context);
};

// Where the Playback page finds ports, synthesizers and their drum kits.
struct PlaybackSources {
    ISynthLookup* synths = nullptr;
    SynthDatabase* database = nullptr;
    // Plays the click on output port `port` (patch, then the note message).
    std::function<void(int port, int patch, uint32_t note)> audition;
};

class COptionsPlayback : public OptionsPage {
    Q_OBJECT
public:
    COptionsPlayback(OptionsContext& context, PlaybackSources sources);
    QComboBox* portList() const { return m_ports; }
    QComboBox* kitList() const { return m_kits; }
    QComboBox* noteList(int which) const { return m_notes[size_t(which)]; }
    QLineEdit* velocityField(int which) const { return m_velocities[size_t(which)]; }
    QComboBox* tempoChannelList() const { return m_tempoChannel; }
    // The port and channel of a "Port/chan:" item, from its data.
    static int portOfItem(int data) { return data >> 4; }
    static int channelOfItem(int data) { return data & 15; }

protected:
    void loadMore() override;
    void storeMore() override;
    bool storesItself(const Setting& row) const override;

private:
    void fillPorts(int device, int channel);
    void fillKits(int patch);
    void fillNotes(int note1, int note2);
    void onPortChosen();
    void onKitChosen();
    void auditionNote(int which);
    std::string synthOfPort(int port) const;

    PlaybackSources m_sources;
    QComboBox* m_ports = nullptr;
    QComboBox* m_kits = nullptr;
    std::array<QComboBox*, 2> m_notes{};
    std::array<QLineEdit*, 2> m_velocities{};
    QCheckBox* m_bendTempo = nullptr;
    QComboBox* m_tempoChannel = nullptr;
    std::array<QCheckBox*, 3> m_optionBits{};
    bool m_filling = false;
};

class COptionsRecord : public OptionsPage {
    Q_OBJECT
public:
    explicit COptionsRecord(OptionsContext& context);
    // "Notes", "Aftertouch", ... "System exclusive".
    QCheckBox* eventBox(int index) const { return m_events[size_t(index)]; }
    QComboBox* stepSizeList() const { return m_stepSize; }
    QCheckBox* dottedBox() const { return m_dotted; }
    std::array<QRadioButton*, 3> modeButtons() const { return m_mode; }

protected:
    void loadMore() override;
    void storeMore() override;

private:
    void updateEnabling();

    std::array<QRadioButton*, 3> m_mode{};
    std::array<QCheckBox*, 7> m_events{};
    QComboBox* m_stepSize = nullptr;
    QCheckBox* m_dotted = nullptr;
    QComboBox* m_duration = nullptr;
    QLineEdit* m_velocity = nullptr;
    QSpinBox* m_velocitySpin = nullptr;
};

class COptionsLyric : public OptionsPage {
    Q_OBJECT
public:
    explicit COptionsLyric(OptionsContext& context);
    // 0 text, 1 background, 2 highlight, 3 highlight background.
    void chooseColor(int which);
    void chooseFont();
    void chooseGraphic();
    QLabel* sample() const { return m_sample; }
    Color color(int which) const { return m_colors[size_t(which)]; }
    // Negative: a character height in pixels, as stored.
    int fontHeight() const { return m_height; }

protected:
    void loadMore() override;
    void storeMore() override;

private:
    void updateEnabling();
    void redrawSample();

    std::array<Color, 4> m_colors{};
    std::string m_face;
    int m_height = -24;
    int m_weight = 400;
    QLabel* m_sample = nullptr;
    QCheckBox* m_graphic = nullptr;
    QLineEdit* m_gfxPath = nullptr;
    QPushButton* m_browse = nullptr;
};

// The conductor page's values as its controls hold them.
struct ConductorValues {
    bool enabled = false;
    int window = 20;
    bool jumpForward = true;
    bool jumpBack = true;
    int jumpStrength = 80;
    bool tempoMod = true;
    int modStrength = 50;
    bool useAverage = false;
    int averageStrength = 50;
    bool tempoNorm = false;
    int returnRate = 10;
    bool pause = false;
};
// What the sequencer follows: a value is 0 where its switch is off; the
// average and the return to normal tempo do not depend on "Enabled".
FollowTapSettings followTapOf(const ConductorValues& values);

class COptionsConductor : public OptionsPage {
    Q_OBJECT
public:
    explicit COptionsConductor(OptionsContext& context);
    ConductorValues values() const;
    QSlider* slider(int index) const { return m_sliders[size_t(index)]; }
    QLabel* sliderText(int index) const { return m_sliderText[size_t(index)]; }
    QCheckBox* check(int index) const { return m_checks[size_t(index)]; }

protected:
    void loadMore() override;
    void storeMore() override;

private:
    void updateEnabling();

    // Window, jump strength, modify strength, average strength, return rate.
    std::array<QSlider*, 5> m_sliders{};
    std::array<QLabel*, 5> m_sliderText{};
    // Enabled, jump forward, jump backward, modify tempo, average, return, pause.
    std::array<QCheckBox*, 7> m_checks{};
};

} // namespace rz
