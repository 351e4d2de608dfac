#pragma once

#include "ui/command_target.h"
#include "views/slider/slider_model.h"
#include "views/song_view.h"

#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QTimer>

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QMenu;

namespace rz {

class CoolSlider;
class GuiToEngineValues;
class HoverButton;
class IProfile;
class ViewFactory;

// What the slider view needs of the program.
struct SliderViewContext {
    // The values the program publishes to the engine; null answers leave
    // play-out unaware of a drag.
    std::function<GuiToEngineValues*()> published;
    // Where the choice is kept; null: the default, never written.
    IProfile* profile = nullptr;
    // Who the pop-up menu's commands go to; null drops them.
    std::function<bool(CommandId)> sink;
};

// A mixing desk in the controller pane: one fader per selected MIDI track,
// all for one controller, the pitch wheel or channel pressure. Moving a
// fader sends live (and into a take while recording), the faders follow
// what the ports sent, Snapshot writes them into the song and Reset derives
// them from the song position again. GUI thread.
class SliderView : public SongView, public CommandTable<SliderView> {
    Q_OBJECT
public:
    static constexpr int kFirstFaderId = 1024;
    static constexpr int kFaderLeft = 120;
    static constexpr int kFaderPitch = 26;
    static constexpr int kFaderTop = 5;
    static constexpr int kFaderWidth = 18;
    static constexpr int kFaderHeight = 122;
    static constexpr QRect kCaptionRect{10, 8, 100, 56};
    static constexpr QRect kValueRect{14, 36, 92, 24};

    explicit SliderView(SliderViewContext context, QWidget* parent = nullptr);
    ~SliderView() override;

    static std::span<const CommandRow<SliderView>> commandTable();

    void attach(CSongDoc& song) override;
    void detach() override;
    void initialUpdate() override;
    void songUpdate(uint32_t hint) override;
    // The faders take what the ports last sent.
    void follow() override;

    uint32_t choice() const { return m_choice; }
    const SliderModel& model() const { return m_model; }
    size_t faderCount() const { return m_faders.size(); }
    CoolSlider* fader(size_t index) const { return m_faders[index]; }
    HoverButton* snapshotButton() const { return m_snapshot; }
    HoverButton* resetButton() const { return m_reset; }
    // The fader being dragged; -1 when none.
    int dragIndex() const { return m_dragIndex; }
    // Whether Snapshot may run now.
    bool snapshotAllowed() const;

    // The rows of the command table.
    bool onSnapshot(CommandId id);
    bool onReset(CommandId id);
    void onUpdateSnapshot(CommandId id, CmdUi& ui);
    void onUpdateReset(CommandId id, CmdUi& ui);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuild();
    void makeFaders(size_t count);
    void placeFaders();
    void updateButtons();
    void chooseController();
    void faderMoved(size_t index);
    void publishDrag(size_t index);
    // Every way a drag can end comes here.
    void endDrag();
    void paintBackground();
    void paintTrackNumbers(QPainter& painter);
    void paintValueText(QPainter& painter);

    SliderViewContext m_context;
    SliderModel m_model;
    uint32_t m_choice = slider_choice::kDefault;
    std::vector<CoolSlider*> m_faders;
    HoverButton* m_snapshot = nullptr;
    HoverButton* m_reset = nullptr;
    int m_dragIndex = -1;
    bool m_ready = false;
    QPixmap m_back; // the background, border and caption box
    QTimer m_buttonState;
    std::unique_ptr<QMenu> m_menu;
};

// Registers the slider view's maker for ViewKind::Slider.
void registerSliderView(ViewFactory& factory, SliderViewContext context);

} // namespace rz
