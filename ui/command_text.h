#pragma once

#include <QString>

#include <cstdint>

namespace rz {

// The status prompt of a command (before the "\n" of its string), for the
// status line; "" when it has none.
QString commandPromptText(uint32_t id);
// The short name of a command (after the "\n"), for tool tips.
QString commandTipText(uint32_t id);

} // namespace rz
