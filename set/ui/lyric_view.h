#pragma once

#include "set/lyric_follower.h"
#include "set/lyric_layout.h"
#include "set/lyric_model.h"
#include "set/lyric_track.h"
#include "ui/command_target.h"
#include "views/song_view.h"

#include <QImage>
#include <QRect>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <map>
#include <span>
#include <memory>
#include <string>
#include <vector>

class QMenu;
class QPagedPaintDevice;
class QPrinter;

namespace rz {

class CommandRouter;
class IEngineLink;
class IProfile;
class ITrackRows;
class TornOffFocus;
class ViewFactory;
class ZoomScrollBar;
struct LyricPrintPlan;

// What the lyric view asks of the program.
struct LyricViewContext {
    IProfile* profile = nullptr;
    IEngineLink* engine = nullptr;
    ITrackRows* trackRows = nullptr;
    // The frame's highlight style, 0..3.
    std::function<int()> style;
    std::function<bool()> performanceMode;
    // Where a torn-off window registers itself while focused; may be null.
    CommandRouter* router = nullptr;
    // A command of the right-click menu of a docked view.
    std::function<bool(CommandId)> sendToFrame;
    // Starts a main-frame timer (the spawn commands make a window by it).
    std::function<void(int timerId, int ms)> startFrameTimer;
    // Opens the Options sheet at a page, owned by `owner` (null: the frame).
    std::function<void(QWidget* owner, int page)> openOptions;
    // Shows a text in the frame's status line.
    std::function<void(const std::string&)> statusText;
    // The program's printer, kept between prints; null: the view keeps one.
    std::function<QPrinter*()> printer;
    // The frame's print-preview mode, on while the preview is up.
    std::function<void(bool on)> printPreviewMode;
};

// The karaoke view: the lyrics of one track laid out as pages, the syllable
// due at the play position marked by a bouncing ball or a highlight. Docked
// in the editor pane or torn off into a window that can go full screen.
// GUI thread; rebuilds and follow steps run under the SongMutex.
class LyricView : public SongView, public CommandTable<LyricView> {
    Q_OBJECT
public:
    static constexpr int kZoomBarId = 101;
    static constexpr int kLeftMargin = 50;
    static constexpr int kRightMargin = 17;

    LyricView(const LyricViewContext& context, bool topLevel, QWidget* parent = nullptr);
    ~LyricView() override;

    using QWidget::update;
    using CommandTable<LyricView>::update;

    void attach(CSongDoc& song) override;
    void initialUpdate() override;
    void songUpdate(uint32_t hint) override;
    void follow() override;

    bool isTopLevel() const { return m_topLevel; }
    bool isFullScreenWindow() const { return m_fullScreen; }
    // Index of the item of the current page with an event under a client
    // point, or -1.
    int hitTest(QPoint point) const;
    const std::vector<LyricItem>& items() const { return m_items; }
    const LyricPages& pages() const { return m_pages; }
    const LyricFollowState& followState() const { return m_follow; }
    int lyricRow() const { return m_lyricRow; }
    ZoomScrollBar* zoomBar() const { return m_zoomBar; }
    // The full-screen switch of a top-level window.
    void showFullScreenWindow();
    void restoreNormalWindow();

    static std::span<const CommandRow<LyricView>> commandTable();
    // While torn off, the style and most view switches belong to the frame.
    void updateDockedOnly(CommandId id, CmdUi& ui);
    bool onSpawn(CommandId id);
    void updateSpawn(CommandId id, CmdUi& ui);
    void updateInsertLyric(CommandId id, CmdUi& ui);
    bool onInsertLyric(CommandId id);
    void updateImportLyrics(CommandId id, CmdUi& ui);
    bool onCopyLyrics(CommandId id);
    void updateCopyLyrics(CommandId id, CmdUi& ui);
    bool onZoom(CommandId id);
    void updateZoom(CommandId id, CmdUi& ui);
    bool onKaraokeOptions(CommandId id);
    void updateKaraokeOptions(CommandId id, CmdUi& ui);
    bool onPrint(CommandId id);
    void updatePrint(CommandId id, CmdUi& ui);

    // The lyric pages as printed on a device of that page size.
    LyricPrintPlan printPlan(const QPagedPaintDevice& device) const;
    // One autoscroll step of a band drag (the 50 ms drag timer).
    void dragTimerStep();
    bool dragging() const { return m_dragging; }
    int fontHeight() const { return m_settings.font.height; }

    // Menu 157 with the items' states; the caller owns it.
    QMenu* buildContextMenu();
    // Where a menu command goes: the view when it carries it out, else the frame.
    void runMenuCommand(CommandId id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct Settings {
        bool centre = false;
        int stretch = 0;
        bool graphic = false;
        bool paginate = false;
        std::string picturePath;
        uint32_t color = 0, color2 = 0, backcolor = 0xFFFFFF, backcolor2 = 0x00FFFF;
        LyricFont font;
    };

    void readSettings();
    void rebuild();
    int currentStyle() const;
    void applyFollow(const LyricFollowResult& result);
    void loadPagePicture(const std::string& name);
    const QImage* cachedPicture(const std::filesystem::path& path);
    void onScrolled(int code);
    void saveNormalRect();
    // The window's rectangle while it is neither minimised nor maximised.
    void rememberNormalRect();
    void drawPicture(QPainter& painter, const QRect& area) const;
    void drawLines(QPainter& painter, const QRect& area, const QRect& clip) const;
    // Whether the song may be edited from the view now: stopped, not performing.
    bool canEdit() const;
    CTrack* lyricTrack() const;
    // The band from the drag start to the pointer, marked on the current page.
    void markBand();
    void editLyric(int eventIndex);
    QPrinter& printer();

    LyricViewContext m_context;
    bool m_topLevel = false;
    bool m_initialised = false;
    bool m_fullScreen = false;
    bool m_userScrolling = false;
    int m_leftMargin = kLeftMargin;
    int m_rightMargin = kRightMargin;
    int m_style = kLyricBall;
    Settings m_settings;
    LyricTrackChoice m_trackChoice;
    int m_lyricRow = -1;
    std::string m_title;
    std::vector<LyricItem> m_items;
    LyricPages m_pages;
    LyricFollowState m_follow;
    QRect m_normalRect;
    ZoomScrollBar* m_zoomBar = nullptr;
    TornOffFocus* m_focus = nullptr; // a child; deleted first
    std::map<std::filesystem::path, QImage> m_pictureCache;
    const QImage* m_picture = nullptr;
    bool m_dragging = false;
    bool m_rightPressEdited = false; // the context menu that follows is not wanted
    bool m_dragCtrl = false;
    QPoint m_dragStart; // page pixels
    QPoint m_dragPoint; // client pixels
    QTimer m_dragTimer;
    std::unique_ptr<QPrinter> m_ownPrinter;
};

// Registers the lyric view with the program's view factory.
void registerLyricView(ViewFactory& factory, const LyricViewContext& context);

} // namespace rz
