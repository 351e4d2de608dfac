#pragma once

#include "views/lane_layout.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace rz {

// The lane views whose horizontal origins move together. The editor pane
// (clip, piano, velocity) sits above the controller pane (tempo, control).
enum class LinkRole : uint8_t { Clip, Piano, Velocity, Tempo, Control };

constexpr bool isEditorPane(LinkRole role)
{
    return role == LinkRole::Clip || role == LinkRole::Piano || role == LinkRole::Velocity;
}

// A view that takes part in the links.
class ILinkedView {
public:
    virtual ~ILinkedView() = default;

    virtual LinkRole linkRole() const = 0;
    // Pixels left of the plot; origins differ by the margin difference.
    virtual int linkMargin() const = 0;
    // The first visible column.
    virtual int32_t linkOrigin() const = 0;
    // Scrolls to the origin without bringing anyone else along.
    virtual void setLinkedOrigin(int32_t origin) = 0;
};

// Who brings whom to which origin: a view that scrolls brings the views of
// the other pane to its origin plus their margin difference (0 stays 0,
// nothing below 0). Views that are not open are not registered and so are
// skipped. GUI thread.
class ViewLinks {
public:
    struct Target {
        LinkRole role;
        int32_t origin;
    };
    // The origin a view with `targetMargin` takes when a view with
    // `sourceMargin` scrolled to `origin`.
    static int32_t linkedOrigin(int32_t origin, int sourceMargin, int targetMargin);

    void add(ILinkedView* view);
    void remove(ILinkedView* view);
    bool contains(const ILinkedView* view) const;
    // The roles registered, pane by pane.
    PaneViews paneViews() const;
    // The registered view of a role; null when none is open.
    ILinkedView* viewOf(LinkRole role) const;

    // The origin a view with `margin` takes from the editor pane's
    // first open view (clip, piano, velocity); nothing without one.
    std::optional<int32_t> editorOrigin(int margin) const;

    // While any linked view's bar is being dragged, none follows the play
    // position.
    void setUserScrolling(bool on) { m_userScrolling = on; }
    bool userScrolling() const { return m_userScrolling; }

    // Brings the other pane's views to the source's origin; returns what it did.
    std::vector<Target> syncEditorScroll(const ILinkedView& source, int32_t origin);

private:
    std::vector<ILinkedView*> m_views;
    bool m_syncing = false;
    bool m_userScrolling = false;
};

} // namespace rz
