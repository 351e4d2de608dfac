#pragma once

#include "core/color.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

enum class PromptIcon { Information, Warning, Stop, Question };
enum class PromptAnswer { Ok, Cancel, Yes, No };

struct FontChoice {
    std::string family;
    int pointSize = 10;
    int weight = 400;
    bool italic = false;
};

// Every question the program asks the user and every message box it shows.
// Texts are the program's literal texts, already formatted. The program
// implements it with dialogs; tests script the answers.
class IPrompt {
public:
    virtual ~IPrompt() = default;

    virtual void message(std::string_view text, PromptIcon icon = PromptIcon::Information) = 0;
    // Answers Yes or No.
    virtual PromptAnswer askYesNo(std::string_view text,
                                  PromptIcon icon = PromptIcon::Question) = 0;
    // Answers Ok or Cancel.
    virtual PromptAnswer askOkCancel(std::string_view text,
                                     PromptIcon icon = PromptIcon::Question) = 0;
    // Answers Yes, No or Cancel.
    virtual PromptAnswer askYesNoCancel(std::string_view text,
                                        PromptIcon icon = PromptIcon::Question) = 0;

    // File choosers: nothing (or an empty list) when the user cancels.
    // `filter` is "Description (*.a *.b)" entries separated by ";;".
    virtual std::optional<std::filesystem::path> chooseSavePath(
        std::string_view title, const std::filesystem::path& proposed, std::string_view filter) = 0;
    virtual std::optional<std::filesystem::path> chooseOpenPath(
        std::string_view title, const std::filesystem::path& folder, std::string_view filter) = 0;
    virtual std::vector<std::filesystem::path> chooseOpenPaths(
        std::string_view title, const std::filesystem::path& folder, std::string_view filter) = 0;
    virtual std::optional<std::filesystem::path> chooseFolder(
        std::string_view title, const std::filesystem::path& start) = 0;
    virtual std::optional<Color> chooseColor(Color initial) = 0;
    virtual std::optional<FontChoice> chooseFont(const FontChoice& initial) = 0;
};

} // namespace rz
