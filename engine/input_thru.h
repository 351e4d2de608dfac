#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

class CSequencer;
class IProfile;

// The output an input device's messages are echoed to: "MIDIInPorts"/<input>.
// GUI thread.

// The names of the numbered outputs, each once (case ignored, as the engine
// matches them), empty ones skipped, in list order.
std::vector<std::string> thruChoices(std::span<const std::string> outputs);
// The choice naming `thru`, case ignored; -1 when none does.
int findThruChoice(const std::vector<std::string>& choices, std::string_view thru);
// The stored thru output of `input`; empty for none.
std::string readInputThru(const IProfile& profile, std::string_view input);
// Stores the thru output (empty without echo) and sets it on the running
// input of exactly that name, if present; the profile is written either way.
void applyInputThru(IProfile& profile, CSequencer& engine, const std::string& input, bool echo,
                    const std::string& thru);

} // namespace rz
