// Program -> desktop: the file-type association database start-up asks and changes.
#pragma once

#include "core/prompt.h"

#include <optional>
#include <string>

namespace rz {

// The two file types the program opens from the desktop.
enum class AssociatedType { Set, Midi };

// Our desktop entry, which the desktop names as the owner of a type.
inline constexpr const char* kOurDesktopId = "devu-rizoraz.desktop";

// The program the desktop opens a type with: its desktop entry and the
// entry's shown name.
struct AssociationOwner {
    std::string desktopId;
    std::string typeName;
};

// What the start-up does about one type.
struct AssociationPlan {
    enum class Action { Nothing, Ask, TakeOver };
    Action action = Action::Nothing;
    std::string question; // with Ask: the Yes/No question
};

// Decides from the present owner and "StartupOptions" "FileTypes" (which only
// MIDI files heed): no owner is taken over, our own left alone, a foreign one
// asked about (sets always; MIDI files with 1), left (0) or taken (other).
AssociationPlan planAssociation(AssociatedType type, const std::optional<AssociationOwner>& owner,
                                int fileTypes, const std::string& programTitle);

// The desktop's association database. The program's is XDG files; tests use
// a fake.
class IAssociationStore {
public:
    virtual ~IAssociationStore() = default;
    // Puts our desktop entry and type definitions in place where missing or
    // stale.
    virtual void install() = 0;
    // The present default program of the type, if one is installed.
    virtual std::optional<AssociationOwner> owner(AssociatedType type) = 0;
    // Makes us the type's default; false when the desktop's files refused it.
    virtual bool takeOver(AssociatedType type) = 0;
};

// One type's start-up step: plans, asks when the plan says so, takes the
// type over on Yes or without asking. Failures are not reported: start-up
// goes on, and the next start tries again.
void registerFileType(IAssociationStore& store, IPrompt& prompt, AssociatedType type, int fileTypes,
                      const std::string& programTitle);

} // namespace rz
