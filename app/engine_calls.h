#pragma once
// The engine calls the GUI through it (IEngineHost, IEngineSetLink), by way
// of EngineToGui; App builds it.

#include "core/engine_host.h"
#include "core/engine_set_link.h"

#include <QObject>

#include <functional>

namespace rz {

class AutoSave;
class CommandRouter;
class ExternalControls;
class IEngineLink;
class MainFrame;
class MapCommands;
class SetDocument;
class SongAdvance;
class TransportControls;
class UiUpdater;

struct EngineCallSeams {
    TransportControls& transport;
    ExternalControls& externalControls;
    SongAdvance& advance;
    UiUpdater& updater;
    CommandRouter& router;
    MapCommands& maps;
    std::function<IEngineLink&()> engine;
    std::function<SetDocument*()> set;  // null before start-up
    std::function<MainFrame*()> frame;  // null before start-up and after close
    std::function<bool()> hasSequencer; // false when a test brings the engine
    std::function<void()> songChanged;
    std::function<void()> updateAllViews;
};

// What the engine asks of the frame, the transport panel and the set. GUI
// thread: engine threads post these calls through EngineToGui.
class EngineCalls : public IEngineHost, public IEngineSetLink {
public:
    explicit EngineCalls(EngineCallSeams seams) : m_seams(std::move(seams)) {}

    // IEngineHost.
    void transportChanged() override;
    void selectSetSong(int songNumber) override;
    // A control of the external control map: runs its action, starts or
    // stops the auto-repeat, follows the tempo and volume controls.
    void OnExternalControl(const ExternalControl& control) override;
    void setFrameTimer(FrameTimer timer) override;
    void playCue() override;
    void tempoMultiplierChanged() override;
    void CancelAdvance(bool step) override;
    void OnSongChanged() override { m_seams.songChanged(); }
    void UpdateAllViews() override { m_seams.updateAllViews(); }
    void DrawSpectrum(double beatPhase) override;
    // Hands a received message to the learning control map entry dialog.
    void LearnMidi(uint32_t deviceId, uint32_t message) override;

    // IEngineSetLink.
    CSongDoc* songOfItem(SetItemHandle item) const override;
    // A posted refresh of the current marker.
    void startCueTimer() override;
    void setCurrentItem(SetItemHandle item) override;
    void RefreshMarkerStates() override;
    void UpdateTrackSynths() override;

private:
    EngineCallSeams m_seams;
    QObject m_context; // the posted marker refresh dies with this object
};

} // namespace rz
