#include "engine/engine_io.h"

namespace rz {

COutPort* SequencerPorts::mappedOutput(int portNumber) const
{
    if (portNumber < 0 || size_t(portNumber) >= outputMap.size())
        return nullptr;
    const int index = outputMap[size_t(portNumber)];
    if (index < 0 || size_t(index) >= outputs.size())
        return nullptr;
    return outputs[size_t(index)].get();
}

} // namespace rz
