#pragma once

#include "core/prompt.h"

namespace rz::fuzz {

// Answers every question as a cancelling user would; messages go unread.
class SilentPrompt : public IPrompt {
public:
    void message(std::string_view, PromptIcon) override {}
    PromptAnswer askYesNo(std::string_view, PromptIcon) override { return PromptAnswer::No; }
    PromptAnswer askOkCancel(std::string_view, PromptIcon) override { return PromptAnswer::Cancel; }
    PromptAnswer askYesNoCancel(std::string_view, PromptIcon) override { return PromptAnswer::Cancel; }
    std::optional<std::filesystem::path> chooseSavePath(std::string_view, const std::filesystem::path&,
                                                        std::string_view) override
    {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> chooseOpenPath(std::string_view, const std::filesystem::path&,
                                                        std::string_view) override
    {
        return std::nullopt;
    }
    std::vector<std::filesystem::path> chooseOpenPaths(std::string_view, const std::filesystem::path&,
                                                       std::string_view) override
    {
        return {};
    }
    std::optional<std::filesystem::path> chooseFolder(std::string_view, const std::filesystem::path&) override
    {
        return std::nullopt;
    }
    std::optional<Color> chooseColor(Color) override { return std::nullopt; }
    std::optional<FontChoice> chooseFont(const FontChoice&) override { return std::nullopt; }
};

} // namespace rz::fuzz
