// An input's echo to one output, set from the Port Setup dialog.

#include "engine/input_thru.h"

#include "core/profile.h"
#include "core/settings.h"
#include "engine/midi_in.h"
#include "engine/out_port.h"
#include "engine/sequencer.h"

#include <algorithm>

namespace rz {

namespace {


} // namespace

std::vector<std::string> thruChoices(std::span<const std::string> outputs)
{
    std::vector<std::string> choices;
    for (const std::string& name : outputs) {
        if (!name.empty() && findThruChoice(choices, name) < 0)
            choices.push_back(name);
    }
    return choices;
}

int findThruChoice(const std::vector<std::string>& choices, std::string_view thru)
{
    const std::string key = profileKey(thru);
    for (size_t i = 0; i < choices.size(); ++i) {
        if (profileKey(choices[i]) == key)
            return int(i);
    }
    return -1;
}

std::string readInputThru(const IProfile& profile, std::string_view input)
{
    return readSettingText(profile, settings::kInputThru, input);
}

void applyInputThru(IProfile& profile, CSequencer& engine, const std::string& input, bool echo,
                    const std::string& thru)
{
    const std::string stored = echo ? thru : std::string();
    writeSettingText(profile, settings::kInputThru, stored, input);
    for (size_t i = 0; i < engine.inputCount(); ++i) {
        CMidiIn& device = engine.input(i);
        if (device.name() != input)
            continue;
        device.setThruPort(-1, nullptr);
        if (stored.empty())
            return;
        const std::shared_ptr<const SequencerPorts> ports = engine.ports();
        for (size_t o = 0; o < ports->outputs.size(); ++o) {
            if (profileKey(ports->outputs[o]->name()) == profileKey(stored)) {
                device.setThruPort(int(o), ports->outputs[o].get());
                return;
            }
        }
        return;
    }
}

} // namespace rz
