#include "views/view_factory.h"

#include "views/song_view.h"

namespace rz {

void ViewFactory::registerView(ViewKind kind, Creator creator)
{
    if (creator)
        m_creators[kind] = std::move(creator);
    else
        m_creators.erase(kind);
}

const ViewFactory::Creator* ViewFactory::creatorFor(ViewKind kind) const
{
    auto it = m_creators.find(kind);
    if (it == m_creators.end() && kind == ViewKind::LeadSheet)
        it = m_creators.find(ViewKind::Staff);
    return it == m_creators.end() ? nullptr : &it->second;
}

bool ViewFactory::canCreate(ViewKind kind) const
{
    return creatorFor(kind) != nullptr;
}

SongView* ViewFactory::create(const ViewRequest& request) const
{
    const Creator* creator = creatorFor(request.kind);
    if (creator == nullptr)
        return nullptr;
    ViewRequest adjusted = request;
    adjusted.leadSheet = request.leadSheet || request.kind == ViewKind::LeadSheet;
    return (*creator)(adjusted);
}

} // namespace rz
