#include "views/view_links.h"

#include <algorithm>
#include <cstdint>

namespace rz {

int32_t ViewLinks::linkedOrigin(int32_t origin, int sourceMargin, int targetMargin)
{
    if (origin <= 0)
        return 0;
    return int32_t(std::clamp<int64_t>(int64_t(origin) + targetMargin - sourceMargin, 0, INT32_MAX));
}

void ViewLinks::add(ILinkedView* view)
{
    if (view && !contains(view))
        m_views.push_back(view);
}

void ViewLinks::remove(ILinkedView* view)
{
    std::erase(m_views, view);
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

std::optional<int32_t> ViewLinks::editorOrigin(int margin) const
{
    for (LinkRole role : {LinkRole::Clip, LinkRole::Piano, LinkRole::Velocity})
        if (const ILinkedView* view = viewOf(role))
            return linkedOrigin(view->linkOrigin(), view->linkMargin(), margin);
    return std::nullopt;
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
        const int32_t target = linkedOrigin(origin, source.linkMargin(), view->linkMargin());
        view->setLinkedOrigin(target);
        done.push_back({view->linkRole(), target});
    }
    m_syncing = false;
    return done;
}

} // namespace rz
