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
