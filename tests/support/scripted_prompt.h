#pragma once

#include "core/prompt.h"

#include <cstddef>
#include <deque>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

enum class PromptKind {
    Message,
    YesNo,
    OkCancel,
    YesNoCancel,
    SavePath,
    OpenPath,
    OpenPaths,
    Folder,
    Color,
    Font,
};

// "yes/no", "save path", ...: the name failure messages use.
std::string_view promptKindName(PromptKind kind);

// One prompt the code under test showed. Choosers record their title as the
// text and the proposed path or start folder as the path; the font chooser
// records the offered family as its text, the colour chooser no text.
struct PromptRecord {
    PromptKind kind = PromptKind::Message;
    std::string text;
    std::optional<PromptIcon> icon; // message boxes only
    std::filesystem::path path;
    std::string filter;
    bool underSongLock = false; // the asking thread held the SongMutex
};

// The IPrompt of tests: answers from a script and never blocks.
//
// The test queues expectations in order, each a kind, a fragment that must
// occur in the prompt's text (the title for choosers; colour and font
// choosers have no text, so their fragment is empty) and the answer. Each
// prompt takes the next expectation. A prompt of another kind, one whose text
// lacks the fragment, or one with no expectation left fails the running test
// with the prompt's kind and full text and answers as a cancelling user would:
// Cancel, No for yes/no questions, nothing for choosers. Expectations still
// queued at verifyAllUsed() or destruction fail the test.
class ScriptedPrompt : public IPrompt {
public:
    ScriptedPrompt() = default;
    ~ScriptedPrompt() override;
    ScriptedPrompt(const ScriptedPrompt&) = delete;
    ScriptedPrompt& operator=(const ScriptedPrompt&) = delete;

    void expectMessage(std::string fragment);
    void expectYesNo(std::string fragment, PromptAnswer answer);
    void expectOkCancel(std::string fragment, PromptAnswer answer);
    void expectYesNoCancel(std::string fragment, PromptAnswer answer);
    void expectSavePath(std::string titleFragment, std::optional<std::filesystem::path> answer);
    void expectOpenPath(std::string titleFragment, std::optional<std::filesystem::path> answer);
    void expectOpenPaths(std::string titleFragment, std::vector<std::filesystem::path> answer);
    void expectFolder(std::string titleFragment, std::optional<std::filesystem::path> answer);
    void expectColor(std::optional<Color> answer);
    void expectFont(std::optional<FontChoice> answer);

    // Every prompt shown so far, expected or not, in order.
    const std::vector<PromptRecord>& prompts() const { return m_records; }
    size_t unusedCount() const { return m_script.size(); }
    // Fails the running test for each expectation left, then forgets them.
    void verifyAllUsed();

    // The defaults repeat IPrompt's, so tests may call through ScriptedPrompt.
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

private:
    struct Expectation {
        PromptKind kind = PromptKind::Message;
        std::string fragment;
        PromptAnswer answer = PromptAnswer::Cancel;
        std::optional<std::filesystem::path> path;
        std::vector<std::filesystem::path> paths;
        std::optional<Color> color;
        std::optional<FontChoice> font;
    };

    void expectAnswer(PromptKind kind, std::string fragment, PromptAnswer answer,
                      std::initializer_list<PromptAnswer> allowed);
    // Records the prompt and hands out the expectation it matches, if any.
    std::optional<Expectation> take(PromptRecord record);

    std::deque<Expectation> m_script;
    std::vector<PromptRecord> m_records;
};

} // namespace rz
