#pragma once

#include "ui/command_target.h"

#include <functional>
#include <span>
#include <string>
#include <utility>

class QString;

namespace rz {

class GuiToEngineValues;
class ICurrentSongHost;
class IEngineLink;
class IProfile;
class ISongViews;
class MainFrame;
class SetDocument;
class ViewFactory;
enum class ViewKind : int;

// What the view commands reach beyond the current song and its views.
struct ViewSeams {
    ICurrentSongHost& songs;
    ISongViews& views;
    std::function<IEngineLink&()> engine; // made at start-up
    std::function<SetDocument&()> set;    // made at start-up
    IProfile& profile;
    ViewFactory& factory;
    // "DisplayOptions" "AudioFace" and "BouncngBall" as the panel shows them.
    int& audioFace;
    bool& bouncingBall;
    std::function<void()> faceChanged; // after either of the two changed
    std::function<GuiToEngineValues*()> published;
    std::function<MainFrame*()> frame;
    std::function<int()> editorKind;
    // A view of this kind is shown now.
    std::function<bool(ViewKind)> shown;
    std::function<bool()> hasControllerPane;
    // The controller pane's choice (kind, number) and its change.
    std::function<std::pair<int, int>()> controller;
    std::function<void(int kind, int number)> setController;
    std::function<int()> transportDisplayMode;
    std::function<void(int)> setTransportDisplayMode;
};

// View menu: the editor and pane views, the controller maps, the transport
// display, the layout records and the panel's faces; the tool bar's staff
// and lyric tools with the typed duration and the grid box. GUI thread.
class ViewCommands : public CommandTable<ViewCommands> {
public:
    explicit ViewCommands(ViewSeams seams) : m_seams(std::move(seams)) {}

    static std::span<const CommandRow<ViewCommands>> commandTable();

    // The controller map of `kind` (a control change with `number`, channel
    // pressure, pitch bend) in the controller pane, when a controller pane
    // exists.
    void ActivateView(int kind, int number);
    // The staff tools' duration and grid from the note type, shown in the
    // tool bar and published for step recording.
    void UpdateNoteDuration();
    // The tool bar's duration field and grid box reach the staff tools.
    void connectStaffTools();
    void onDurationTyped(const QString& text);
    void onGridChosen(int index);

    bool onLayout(CommandId id);
    void onUpdateLayout(CommandId id, CmdUi& ui);
    bool onDisplayFace(CommandId id);
    void onUpdateDisplayFace(CommandId id, CmdUi& ui);
    bool onStaffTool(CommandId id);
    void onUpdateStaffTool(CommandId id, CmdUi& ui);
    bool onLyricTool(CommandId id);
    void onUpdateLyricTool(CommandId id, CmdUi& ui);
    bool onEditorView(CommandId id);
    void onUpdateEditorView(CommandId id, CmdUi& ui);
    bool onPaneView(CommandId id);
    void onUpdatePaneView(CommandId id, CmdUi& ui);
    bool onControllerMap(CommandId id);
    void onUpdateControllerMap(CommandId id, CmdUi& ui);
    bool onOtherController(CommandId id);
    void onUpdateOtherController(CommandId id, CmdUi& ui);
    bool onDisplayMode(CommandId id);
    void onUpdateDisplayMode(CommandId id, CmdUi& ui);

private:
    void refreshStaffViews();
    void showNoteDuration();

    ViewSeams m_seams;
};

} // namespace rz
