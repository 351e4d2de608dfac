#include "core/file_association.h"

namespace rz {

AssociationPlan planAssociation(AssociatedType type, const std::optional<AssociationOwner>& owner,
                                int fileTypes, const std::string& programTitle)
{
    using Action = AssociationPlan::Action;
    if (!owner)
        return {Action::TakeOver, {}};
    if (owner->desktopId == kOurDesktopId)
        return {Action::Nothing, {}};
    if (type == AssociatedType::Set)
        return {Action::Ask, "SET files are currently assigned to '" + owner->typeName +
                                 "'. Would you like to register these files to automatically open with " +
                                 programTitle + "? (Recommended)"};
    if (fileTypes == 0)
        return {Action::Nothing, {}};
    if (fileTypes != 1)
        return {Action::TakeOver, {}};
    return {Action::Ask, ".mid files are currently registered as '" + owner->desktopId + "//" +
                             owner->typeName +
                             "'.\nWould you like to register these files to automatically open with " +
                             programTitle + " instead?"};
}

void registerFileType(IAssociationStore& store, IPrompt& prompt, AssociatedType type, int fileTypes,
                      const std::string& programTitle)
{
    const AssociationPlan plan = planAssociation(type, store.owner(type), fileTypes, programTitle);
    switch (plan.action) {
    case AssociationPlan::Action::Nothing:
        return;
    case AssociationPlan::Action::Ask:
        if (prompt.askYesNo(plan.question, PromptIcon::Question) != PromptAnswer::Yes)
            return;
        break;
    case AssociationPlan::Action::TakeOver:
        break;
    }
    store.takeOver(type);
}

} // namespace rz
