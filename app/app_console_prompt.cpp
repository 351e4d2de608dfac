#include "app/app_console_prompt.h"

#include <cstdio>
#include <string>

namespace rz {
namespace {

void say(std::string_view kind, std::string_view text, std::string_view answer)
{
    std::fprintf(stderr, "%.*s: %.*s -> %.*s\n", int(kind.size()), kind.data(), int(text.size()),
                 text.data(), int(answer.size()), answer.data());
}

} // namespace

void ConsolePrompt::message(std::string_view text, PromptIcon)
{
    say("message", text, "OK");
}

PromptAnswer ConsolePrompt::askYesNo(std::string_view text, PromptIcon)
{
    say("question", text, "Yes");
    return PromptAnswer::Yes;
}

PromptAnswer ConsolePrompt::askOkCancel(std::string_view text, PromptIcon)
{
    say("question", text, "OK");
    return PromptAnswer::Ok;
}

PromptAnswer ConsolePrompt::askYesNoCancel(std::string_view text, PromptIcon)
{
    say("question", text, "No");
    return PromptAnswer::No;
}

std::optional<std::filesystem::path> ConsolePrompt::chooseSavePath(
    std::string_view title, const std::filesystem::path&, std::string_view)
{
    say("save chooser", title, "nothing");
    return std::nullopt;
}

std::optional<std::filesystem::path> ConsolePrompt::chooseOpenPath(
    std::string_view title, const std::filesystem::path&, std::string_view)
{
    say("open chooser", title, "nothing");
    return std::nullopt;
}

std::vector<std::filesystem::path> ConsolePrompt::chooseOpenPaths(
    std::string_view title, const std::filesystem::path&, std::string_view)
{
    say("open chooser", title, "nothing");
    return {};
}

std::optional<std::filesystem::path> ConsolePrompt::chooseFolder(std::string_view title,
                                                                 const std::filesystem::path&)
{
    say("folder chooser", title, "nothing");
    return std::nullopt;
}

std::optional<Color> ConsolePrompt::chooseColor(Color)
{
    say("colour chooser", "", "nothing");
    return std::nullopt;
}

std::optional<FontChoice> ConsolePrompt::chooseFont(const FontChoice&)
{
    say("font chooser", "", "nothing");
    return std::nullopt;
}

} // namespace rz
