#pragma once

#include "core/file_association.h"

#include <map>
#include <vector>

namespace rz {

// Associations held in memory: owners by type, and what was taken over.
class FakeAssociationStore final : public IAssociationStore {
public:
    void install() override { ++installs; }
    std::optional<AssociationOwner> owner(AssociatedType type) override
    {
        const auto found = owners.find(type);
        return found == owners.end() ? std::nullopt : std::optional(found->second);
    }
    bool takeOver(AssociatedType type) override
    {
        taken.push_back(type);
        owners[type] = {kOurDesktopId, "DEVU Rizoraz"};
        return true;
    }

    std::map<AssociatedType, AssociationOwner> owners;
    std::vector<AssociatedType> taken;
    int installs = 0;
};

} // namespace rz
