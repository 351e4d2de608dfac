#include "ui/command_text.h"

// Only here: res/command_strings.h and app/status_prompt.h both define the
// idle prompt id, so no file may include the two.
#include "res/command_strings.h"

namespace rz {
namespace {

QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

QString commandPromptText(uint32_t id)
{
    return fromView(commandPrompt(id));
}

QString commandTipText(uint32_t id)
{
    return fromView(commandShortName(id));
}

} // namespace rz
