#pragma once

#include <functional>
#include <map>

class QWidget;

namespace rz {

class CSongDoc;
class SongView;

// The views the application can make. Editor and controller kinds keep the
// numbers of their view requests and of the layout record.
enum class ViewKind : int {
    Clip = 1,
    Event = 2,
    Staff = 3,
    Piano = 4,
    Lyric = 5,
    LeadSheet = 6, // a staff view showing a lead sheet
    Time = 7,
    Velocity = 8,
    Tempo = 10,
    Control = 11,
    Slider = 12,
    SetTree = 100,
    Track = 101,
};

// What a new view is made for. The application attaches it and places it.
struct ViewRequest {
    ViewKind kind = ViewKind::Clip;
    QWidget* parent = nullptr;  // the main frame; null for a torn-off window
    bool topLevel = false;      // torn off into a window of its own
    bool leadSheet = false;     // a staff view showing a lead sheet
};

// Kind -> creator. The code of each view registers its creator; a kind
// nobody registered makes nothing, and the application then leaves the
// pane as it is. A lead sheet is made by the staff view's creator unless
// one is registered for it. GUI thread.
class ViewFactory {
public:
    using Creator = std::function<SongView*(const ViewRequest&)>;

    void registerView(ViewKind kind, Creator creator);
    bool canCreate(ViewKind kind) const;
    // Null when no creator is registered or it made nothing.
    SongView* create(const ViewRequest& request) const;

private:
    const Creator* creatorFor(ViewKind kind) const;

    std::map<ViewKind, Creator> m_creators;
};

} // namespace rz
