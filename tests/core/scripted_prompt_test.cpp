#include "tests/support/scripted_prompt.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(ScriptedPrompt, AnswersScriptedPromptsInOrderAndRecordsThem)
{
    ScriptedPrompt prompt;
    prompt.expectYesNoCancel("Save changes to", PromptAnswer::No);
    prompt.expectMessage("could not be opened");
    prompt.expectOkCancel("Delete", PromptAnswer::Ok);
    prompt.expectYesNo("Replace", PromptAnswer::Yes);

    IPrompt& asked = prompt;
    EXPECT_EQ(asked.askYesNoCancel("Save changes to Song.mid?"), PromptAnswer::No);
    asked.message("Song.mid could not be opened.", PromptIcon::Stop);
    EXPECT_EQ(asked.askOkCancel("Delete 3 tracks?", PromptIcon::Warning), PromptAnswer::Ok);
    EXPECT_EQ(asked.askYesNo("Replace the file?"), PromptAnswer::Yes);
    prompt.verifyAllUsed();

    const auto& shown = prompt.prompts();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].kind, PromptKind::YesNoCancel);
    EXPECT_EQ(shown[0].text, "Save changes to Song.mid?");
    EXPECT_EQ(shown[0].icon, PromptIcon::Question);
    EXPECT_EQ(shown[1].kind, PromptKind::Message);
    EXPECT_EQ(shown[1].icon, PromptIcon::Stop);
    EXPECT_EQ(shown[2].icon, PromptIcon::Warning);
}

TEST(ScriptedPrompt, ChoosersMatchTheirTitleAndGiveTheScriptedChoice)
{
    ScriptedPrompt prompt;
    prompt.expectSavePath("Save As", std::filesystem::path("/tmp/a.mid"));
    prompt.expectOpenPath("Open", std::nullopt);
    prompt.expectOpenPaths("Import", {"/x/1.wav", "/x/2.wav"});
    prompt.expectFolder("Folder", std::filesystem::path("/songs"));
    prompt.expectColor(Color{0x38140C});
    prompt.expectFont(FontChoice{"DejaVu Sans", 12, 700, true});

    EXPECT_EQ(prompt.chooseSavePath("Save As", "/tmp/Song.mid", "MIDI (*.mid)"),
              std::filesystem::path("/tmp/a.mid"));
    EXPECT_EQ(prompt.chooseOpenPath("Open Song", "/tmp", "MIDI (*.mid)"), std::nullopt);
    EXPECT_EQ(prompt.chooseOpenPaths("Import Audio", "/x", "").size(), 2u);
    EXPECT_EQ(prompt.chooseFolder("Choose Folder", "/"), std::filesystem::path("/songs"));
    EXPECT_EQ(prompt.chooseColor(0), Color{0x38140C});
    const auto font = prompt.chooseFont(FontChoice{"Arial", 10, 400, false});
    ASSERT_TRUE(font);
    EXPECT_EQ(font->family, "DejaVu Sans");
    EXPECT_EQ(font->weight, 700);

    EXPECT_EQ(prompt.prompts()[0].path, std::filesystem::path("/tmp/Song.mid"));
    EXPECT_EQ(prompt.prompts()[0].filter, "MIDI (*.mid)");
    EXPECT_EQ(prompt.prompts()[5].text, "Arial");
    EXPECT_EQ(prompt.unusedCount(), 0u);
}

TEST(ScriptedPrompt, AnUnexpectedPromptFailsTheTestAndCancels)
{
    ScriptedPrompt prompt;
    PromptAnswer answer = PromptAnswer::Yes;
    EXPECT_NONFATAL_FAILURE(answer = prompt.askYesNo("Overwrite Song.mid?"),
                            "unexpected yes/no prompt: \"Overwrite Song.mid?\"");
    EXPECT_EQ(answer, PromptAnswer::No);

    std::optional<std::filesystem::path> path = "/x";
    EXPECT_NONFATAL_FAILURE(path = prompt.chooseSavePath("Save As", "/a.mid", ""),
                            "unexpected save path prompt: \"Save As\"");
    EXPECT_FALSE(path);
    EXPECT_EQ(prompt.prompts().size(), 2u); // recorded all the same
}

TEST(ScriptedPrompt, APromptOfAnotherKindOrTextFailsAndUsesUpItsExpectation)
{
    ScriptedPrompt prompt;
    prompt.expectYesNoCancel("Save changes", PromptAnswer::Yes);
    prompt.expectOkCancel("Delete", PromptAnswer::Ok);

    PromptAnswer answer = PromptAnswer::Ok;
    EXPECT_NONFATAL_FAILURE(answer = prompt.askYesNo("Save changes to a.mid?"),
                            "expected a yes/no/cancel prompt containing \"Save changes\"");
    EXPECT_EQ(answer, PromptAnswer::No);
    EXPECT_NONFATAL_FAILURE(answer = prompt.askOkCancel("Remove 2 tracks?"),
                            "unexpected ok/cancel prompt: \"Remove 2 tracks?\"");
    EXPECT_EQ(answer, PromptAnswer::Cancel);
    EXPECT_EQ(prompt.unusedCount(), 0u);
}

TEST(ScriptedPrompt, UnusedExpectationsFailTheTest)
{
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompt prompt;
            prompt.expectMessage("never shown");
            prompt.verifyAllUsed();
        },
        "message prompt containing \"never shown\" was never shown");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompt prompt;
            prompt.expectFolder("Pick", std::nullopt);
        },
        "folder prompt containing \"Pick\" was never shown");
}

TEST(ScriptedPrompt, AnAnswerTheKindCannotGiveIsAScriptError)
{
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompt prompt;
            prompt.expectYesNo("Sure?", PromptAnswer::Cancel);
            prompt.askYesNo("Sure?");
        },
        "a yes/no prompt cannot answer");
}

} // namespace
} // namespace rz
