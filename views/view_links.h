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
    // Pixels left of the plot.
    virtual int linkMargin() const = 0;
    // The first visible column.
    virtual int32_t linkOrigin() const = 0;
    // Scrolls to the origin without bringing anyone else along.
    virtual void setLinkedOrigin(int32_t origin) = 0;
    // The editor pane's view came, went or changed its margin.
    virtual void editorMarginChanged() {}
};

// The views on one time axis share one origin and one left edge of their
// plots: the editor pane's view keeps the margin it needs (its keyboard
// strip, none for the clip view) and the controller pane's views take it,
// so a tick lies at one x in both panes. A view that scrolls brings the
// views of the other pane to its origin. Views that are not open are not
// registered and so are skipped. GUI thread.
class ViewLinks {
public:
    struct Target {
        LinkRole role;
        int32_t origin;
    };

    // Adding or removing an editor-pane view tells the other pane.
    void add(ILinkedView* view);
    void remove(ILinkedView* view);
    bool contains(const ILinkedView* view) const;
    // The roles registered, pane by pane.
    PaneViews paneViews() const;
    // The registered view of a role; null when none is open.
    ILinkedView* viewOf(LinkRole role) const;

    // The editor pane's open view (clip, piano, velocity); null without one.
    const ILinkedView* editorView() const;
    // Its origin and margin; nothing without one.
    std::optional<int32_t> editorOrigin() const;
    std::optional<int> editorMargin() const;
    // The origin of the controller pane's open view (tempo, control) when
    // it is not 0; nothing else.
    std::optional<int32_t> controllerOrigin() const;
    // The left margin of a view of `role` that would take `own` alone.
    int marginFor(LinkRole role, int own) const;
    // An editor-pane view's margin changed: the other pane takes it.
    void marginChanged(const ILinkedView& view);

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
