#include "platform/midi_names.h"

#include <map>

namespace rz {

std::vector<std::string> numberRepeatedNames(const std::vector<std::string>& names)
{
    std::map<std::string, int> seen;
    std::vector<std::string> numbered;
    numbered.reserve(names.size());
    for (const std::string& name : names) {
        const int count = seen[name]++;
        numbered.push_back(count == 0 ? name : name + " (" + std::to_string(count + 1) + ")");
    }
    return numbered;
}

} // namespace rz
