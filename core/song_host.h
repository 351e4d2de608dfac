#pragma once

// Song code calls the application: its SongHostParts implements ISongHost, handing each role on.

#include "core/color.h"
#include "core/midi_bytes.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

class CSongDoc;
struct AppClipboard;
struct FindCriteria;

// One track's points in the controller view.
struct ControllerLane {
    int track = 0;
    struct Point {
        int32_t tick = 0;
        int32_t value = 0;
    };
    std::vector<Point> points; // as drawn, in tick order
};

// What the controller view shows: the event kind (midi::kControlChange,
// midi::kPitchBend, ...), the controller number for a control change, and
// one lane per track.
struct ControllerLanes {
    int kind = midi::kControlChange;
    int controller = 0;
    std::vector<ControllerLane> lanes;
};

// What song code needs of the application object and the main frame, by
// role; ISongHost gathers them. All members run on the GUI thread.

// The views: refreshing, showing and activating them, and the layout.
class ISongViews {
public:
    virtual ~ISongViews() = default;

    // Refreshes every open view of the current song and the set view.
    virtual void UpdateAllViews() = 0;
    // Refreshes the views attached to one song; the sender view (opaque, may be
    // null) is not refreshed. The hint is an undo record's flags or 0.
    virtual void updateSongViews(CSongDoc& song, const void* senderView, uint32_t hint) = 0;
    virtual void UpdateTitle() = 0;
    virtual void UpdateNoteDuration() = 0;
    virtual void RestoreLayout(std::string_view layout) = 0;
    virtual void SetStatusText(std::string_view text) = 0;

    // After undo and redo.
    // Stops the waveform-overview workers of the clip and clock-time views
    // before a song's events change under them.
    virtual void stopOverviewWorkers() = 0;
    virtual void setWaitCursor(bool on) = 0;
    // Makes the tempo map view the song's controller view and shows it.
    virtual void activateTempoView(CSongDoc& song) = 0;
    // Makes the open editor view of the song active.
    virtual void activateEditorView(CSongDoc& song) = 0;
    // Makes the song's track view active; its rows are chosen through ITrackRows.
    virtual void activateTrackView(CSongDoc& song) = 0;
    // Shows the controller view for an event kind (midi::statusOf) and its
    // first data byte (the controller number for a control change).
    virtual void showControllerView(CSongDoc& song, int kind, int controller) = 0;
    // Clears the selection of the song's event list view.
    virtual void clearEventListSelection(CSongDoc& song) = 0;
    virtual void repaintTransportPanel() = 0;

    // When a song becomes current: every torn-off view window to the top,
    // neither moved nor sized.
    virtual void raiseTornOffWindows() = 0;
    // The lanes the song's controller view shows; none without the view.
    virtual ControllerLanes controllerLanes(CSongDoc& song) = 0;
    // Stores the current window layout into a song's layout text.
    virtual void SnapshotLayout(std::string& layout) = 0;
};

// Which song is current, and the tempo multiplier it plays at.
class ICurrentSongHost {
public:
    virtual ~ICurrentSongHost() = default;

    virtual void SetCurrentSong(CSongDoc* song) = 0;
    virtual CSongDoc* currentSong() const = 0;
    // 100000 = 100 %; resetStep also clears the tempo-by-bend base.
    virtual void SetTempoMultiplier(int32_t multiplier, bool resetStep) = 0;
};

// The frame's editing tools as the lane views read them at a press.
struct EditTools {
    int tool = 0;           // 0 select, 1 draw
    int line = 0;           // 0 straight, 1 freehand
    bool snap = true;       // the snap switch
    int gridValue = 240;    // 240ths of a quarter note
    int32_t noteLength = 0; // ticks
};

// The program-wide display and editing options.
class ISongDisplayOptions {
public:
    static constexpr int kCueKinds = 10;
    static constexpr int kMaxTimeZoom = 8;

    virtual ~ISongDisplayOptions() = default;

    // "OpenOptions" "AutoProps", cached at start-up.
    virtual bool autoProps() const = 0;
    // The display options' "CueColor%d", one per cue kind 0..9.
    virtual Color cueColor(int kind) const = 0;
    // The program-wide time-zoom index, 0..kMaxTimeZoom.
    virtual int timeZoom() const = 0;
    virtual void setTimeZoom(int zoom) = 0;
    // While on, editing is locked.
    virtual bool performanceMode() const = 0;

    static constexpr int kMaxLaneZoom = 10;
    // The lane-height ("YZoom") and header-font ("FZoom") zoom indices,
    // 0..kMaxLaneZoom; both index the zoom percentage table.
    virtual int laneZoom() const = 0;
    virtual void setLaneZoom(int zoom) = 0;
    virtual int headerZoom() const = 0;
    // "SmoothScroll": the editing views keep the play position centred
    // while playing too.
    virtual bool smoothScroll() const = 0;
    virtual EditTools editTools() const = 0;
};

// Saving and sending songs, and what outlives a change of the current song
// (the clipboard, the find criteria).
class ISongFilesHost {
public:
    virtual ~ISongFilesHost() = default;

    // The application's clipboard.
    virtual AppClipboard& clipboard() = 0;

    // The folder of temporary audio (recordings, copies kept for undo).
    virtual std::filesystem::path workFolder() const = 0;
    // Replaces `name` by an unused ".wav" name in the work folder, keeping
    // the file part of a name that has a folder as its base.
    virtual void MakeUniqueAudioFileName(std::filesystem::path& name) = 0;
    // After a save renamed the song's file: drops the recent-songs entry of
    // the old name, and records the new path to be opened at start-up.
    virtual void removeNewestRecentSong() = 0;
    virtual void SetAutoOpenPath(const std::filesystem::path& path) = 0;
    // Hands a message to the desktop's mail program: the subject and the
    // files to attach, in order. False, with a reason, when it could not.
    virtual bool SendFileByMail(std::string_view subject,
                                const std::vector<std::filesystem::path>& attachments,
                                std::string& reason) = 0;

    // Edit > Properties of anything but events, cues and clips: the track
    // view's own Properties on its selected rows.
    virtual void editTrackProperties(CSongDoc& song) = 0;
    // The program-wide find criteria, kept between searches and songs.
    virtual FindCriteria& findCriteria() = 0;
    // Whether the main frame's active view is the song's track view.
    virtual bool trackViewActive() const = 0;
};

// Everything song code may ask of the application.
class ISongHost : public ISongViews,
                  public ICurrentSongHost,
                  public ISongDisplayOptions,
                  public ISongFilesHost {
};

} // namespace rz
