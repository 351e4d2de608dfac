#pragma once

#include "core/prompt.h"

namespace rz {

// The prompt of unattended runs: each text goes to standard error and the
// default answer is taken (Yes, Ok; No to the Yes/No/Cancel save questions,
// so nothing is written; choosers choose nothing).
class ConsolePrompt : public IPrompt {
public:
    void message(std::string_view text, PromptIcon icon = PromptIcon::Information) override;
    PromptAnswer askYesNo(std::string_view text, PromptIcon icon = PromptIcon::Question) override;
    PromptAnswer askOkCancel(std::string_view text,
                             PromptIcon icon = PromptIcon::Question) override;
    PromptAnswer askYesNoCancel(std::string_view text,
                                PromptIcon icon = PromptIcon::Question) override;
    std::optional<std::filesystem::path> chooseSavePath(std::string_view title,
                                                        const std::filesystem::path& proposed,
                                                        std::string_view filter) override;
    std::optional<std::filesystem::path> chooseOpenPath(std::string_view title,
                                                        const std::filesystem::path& folder,
                                                        std::string_view filter) override;
    std::vector<std::filesystem::path> chooseOpenPaths(std::string_view title,
                                                       const std::filesystem::path& folder,
                                                       std::string_view filter) override;
    std::optional<std::filesystem::path> chooseFolder(std::string_view title,
                                                      const std::filesystem::path& start) override;
    std::optional<Color> chooseColor(Color initial) override;
    std::optional<FontChoice> chooseFont(const FontChoice& initial) override;
};

} // namespace rz
