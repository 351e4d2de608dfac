#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>

namespace rz {

class CSequencer;
class CSongDoc;
class GuiToEngineValues;
class IEngineLink;
class IProfile;
class MainFrame;
class SetDocument;
class SpectrumAnalyzer;
class SpectrumDisplay;
class TransportPanel;
struct PanelState;

// The values of the "DisplayOptions" "AudioFace" option.
inline constexpr int kMarkerFace = 0;   // the level marker
inline constexpr int kSpectrumFace = 1; // the power spectrum

// What the transport controls read of the application; each may answer
// null before start-up made it.
struct TransportControlSeams {
    IProfile& profile;
    std::function<IEngineLink*()> engine;
    std::function<GuiToEngineValues*()> published;
    std::function<MainFrame*()> frame;
    std::function<SetDocument*()> set;
    std::function<CSongDoc*()> currentSong;
    std::function<CSequencer*()> sequencer;
};

// The transport panel as the application fills it, the tempo and volume
// faders, the spectrum and level marker, and the panel's own options:
// display mode, skip count, click, the pitch-bend tempo base. GUI thread.
class TransportControls : public QObject {
public:
    explicit TransportControls(TransportControlSeams seams);
    ~TransportControls() override;

    // "DisplayOptions" and "Click" as stored.
    void readOptions();
    // After the main frame and the engine: the panel painter and the faders.
    void connectFrame();

    // What the panel shows now.
    PanelState panelState() const;
    // Only the fields that changed since the last refresh are repainted.
    void repaint();
    // The refresh pass: the changed fields, then the spectrum or the marker.
    void drawSpectrum(double beatPhase);
    void updateButtons();

    // "DisplayOptions" "ViewSetTime": 0 meter and key, 1 set times, 2 song time.
    int displayMode() const { return m_viewSetTime; }
    void setDisplayMode(int mode);
    // Every song caption of the set again: they carry lengths in frames
    // while set times show.
    void refreshSongCaptions();
    // Songs the engine is to skip at the next step, 0..9.
    int skipCount() const { return m_skipCount; }
    void setSkipCount(int count);
    // The metronome click is on; Record shows it in performance mode.
    bool clickOn() const { return m_clickOn; }
    void setClickOn(bool on);
    // The tempo multiplier that pitch bend on the tempo channel works from; 0 none.
    int32_t pitchBendBase() const { return m_pitchBendBase; }
    void setPitchBendBase(int32_t base) { m_pitchBendBase = base; }
    // "DisplayOptions" "AudioFace" (0 level marker, 1 spectrum) and
    // "BouncingBall", which the View menu changes in place.
    int& audioFace() { return m_audioFace; }
    bool& bouncingBall() { return m_bouncingBall; }
    // Tells the engine whether a face follows the beat, after either changed.
    void publishBeatDisplay();

    // The engine's tempo multiplier, which the fader and the display show.
    int32_t tempoMultiplier() const;
    // A multiplier of 0 or below, which the fader cannot show, is ignored.
    void setTempoMultiplier(int32_t multiplier, bool clearBase);
    void tempoMultiplierChanged();
    // Moves the volume fader and applies it.
    void setVolume(int32_t value);

    TransportPanel& panel() { return *m_panel; }
    SpectrumDisplay& spectrumDisplay() { return *m_spectrumDisplay; }
    // The audio output feeds it (ISpectrumSink) on its thread.
    SpectrumAnalyzer& spectrumAnalyzer() { return *m_spectrumAnalyzer; }

private:
    void onTempoFader();
    void onVolumeFader();

    TransportControlSeams m_seams;
    std::unique_ptr<TransportPanel> m_panel;
    std::unique_ptr<SpectrumDisplay> m_spectrumDisplay;
    std::unique_ptr<SpectrumAnalyzer> m_spectrumAnalyzer;
    int m_viewSetTime = 0;
    int m_skipCount = 0;
    bool m_clickOn = false;
    int32_t m_pitchBendBase = 0;
    int m_audioFace = 0;
    bool m_bouncingBall = true;
};

} // namespace rz
