#include "views/view_links.h"

#include <algorithm>
#include <cstdint>

namespace rz {

void ViewLinks::add(ILinkedView* view)
{
    if (!view || contains(view))
        return;
    m_views.push_back(view);
    marginChanged(*view);
}

void ViewLinks::remove(ILinkedView* view)
{
    if (!view || !contains(view))
        return;
    std::erase(m_views, view);
    marginChanged(*view);
}

void ViewLinks::marginChanged(const ILinkedView& view)
{
    if (!isEditorPane(view.linkRole()))
        return;
    const std::vector<ILinkedView*> views = m_views;
    for (ILinkedView* other : views)
        if (!isEditorPane(other->linkRole()))
            other->editorMarginChanged();
}

bool ViewLinks::contains(const ILinkedView* view) const
{
    return std::find(m_views.begin(), m_views.end(), view) != m_views.end();
}

PaneViews ViewLinks::paneViews() const
{
    PaneViews views;
    for (const ILinkedView* view : m_views) {
        switch (view->linkRole()) {
        case LinkRole::Clip: views.clip = true; break;
        case LinkRole::Piano: views.piano = true; break;
        case LinkRole::Velocity: views.velocity = true; break;
        case LinkRole::Tempo: views.tempo = true; break;
        case LinkRole::Control: views.control = true; break;
        }
    }
    return views;
}

ILinkedView* ViewLinks::viewOf(LinkRole role) const
{
    for (ILinkedView* view : m_views)
        if (view->linkRole() == role)
            return view;
    return nullptr;
}

const ILinkedView* ViewLinks::editorView() const
{
    for (LinkRole role : {LinkRole::Clip, LinkRole::Piano, LinkRole::Velocity})
        if (const ILinkedView* view = viewOf(role))
            return view;
    return nullptr;
}

std::optional<int32_t> ViewLinks::editorOrigin() const
{
    const ILinkedView* view = editorView();
    return view ? std::optional<int32_t>(view->linkOrigin()) : std::nullopt;
}

std::optional<int> ViewLinks::editorMargin() const
{
    const ILinkedView* view = editorView();
    return view ? std::optional<int>(view->linkMargin()) : std::nullopt;
}

std::optional<int32_t> ViewLinks::controllerOrigin() const
{
    for (LinkRole role : {LinkRole::Tempo, LinkRole::Control})
        if (const ILinkedView* view = viewOf(role); view && view->linkOrigin() != 0)
            return view->linkOrigin();
    return std::nullopt;
}

int ViewLinks::marginFor(LinkRole role, int own) const
{
    return isEditorPane(role) ? own : editorMargin().value_or(own);
}

std::vector<ViewLinks::Target> ViewLinks::syncEditorScroll(const ILinkedView& source, int32_t origin)
{
    std::vector<Target> done;
    // A linked view that scrolls must not bring its source back.
    if (m_syncing)
        return done;
    m_syncing = true;
    const bool fromEditor = isEditorPane(source.linkRole());
    const std::vector<ILinkedView*> views = m_views;
    for (ILinkedView* view : views) {
        if (view == &source || isEditorPane(view->linkRole()) == fromEditor)
            continue;
        const int32_t target = std::max(origin, 0);
        view->setLinkedOrigin(target);
        done.push_back({view->linkRole(), target});
    }
    m_syncing = false;
    return done;
}

} // namespace rz
