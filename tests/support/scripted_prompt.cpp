#include "tests/support/scripted_prompt.h"

#include "core/locks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace rz {

std::string_view promptKindName(PromptKind kind)
{
    switch (kind) {
    case PromptKind::Message: return "message";
    case PromptKind::YesNo: return "yes/no";
    case PromptKind::OkCancel: return "ok/cancel";
    case PromptKind::YesNoCancel: return "yes/no/cancel";
    case PromptKind::SavePath: return "save path";
    case PromptKind::OpenPath: return "open path";
    case PromptKind::OpenPaths: return "open paths";
    case PromptKind::Folder: return "folder";
    case PromptKind::Color: return "colour";
    case PromptKind::Font: return "font";
    }
    return "unknown";
}

ScriptedPrompt::~ScriptedPrompt()
{
    verifyAllUsed();
}

void ScriptedPrompt::verifyAllUsed()
{
    for (const Expectation& e : m_script)
        ADD_FAILURE() << "expected " << promptKindName(e.kind) << " prompt containing \""
                      << e.fragment << "\" was never shown";
    m_script.clear();
}

void ScriptedPrompt::expectAnswer(PromptKind kind, std::string fragment, PromptAnswer answer,
                                  std::initializer_list<PromptAnswer> allowed)
{
    if (std::find(allowed.begin(), allowed.end(), answer) == allowed.end())
        ADD_FAILURE() << "a " << promptKindName(kind) << " prompt cannot answer "
                      << int(answer) << " (script for \"" << fragment << "\")";
    Expectation e;
    e.kind = kind;
    e.fragment = std::move(fragment);
    e.answer = answer;
    m_script.push_back(std::move(e));
}

void ScriptedPrompt::expectMessage(std::string fragment)
{
    expectAnswer(PromptKind::Message, std::move(fragment), PromptAnswer::Ok, {PromptAnswer::Ok});
}

void ScriptedPrompt::expectYesNo(std::string fragment, PromptAnswer answer)
{
    expectAnswer(PromptKind::YesNo, std::move(fragment), answer,
                 {PromptAnswer::Yes, PromptAnswer::No});
}

void ScriptedPrompt::expectOkCancel(std::string fragment, PromptAnswer answer)
{
    expectAnswer(PromptKind::OkCancel, std::move(fragment), answer,
                 {PromptAnswer::Ok, PromptAnswer::Cancel});
}

void ScriptedPrompt::expectYesNoCancel(std::string fragment, PromptAnswer answer)
{
    expectAnswer(PromptKind::YesNoCancel, std::move(fragment), answer,
                 {PromptAnswer::Yes, PromptAnswer::No, PromptAnswer::Cancel});
}

void ScriptedPrompt::expectSavePath(std::string titleFragment,
                                    std::optional<std::filesystem::path> answer)
{
    m_script.push_back({PromptKind::SavePath, std::move(titleFragment), PromptAnswer::Ok,
                        std::move(answer), {}, {}, {}});
}

void ScriptedPrompt::expectOpenPath(std::string titleFragment,
                                    std::optional<std::filesystem::path> answer)
{
    m_script.push_back({PromptKind::OpenPath, std::move(titleFragment), PromptAnswer::Ok,
                        std::move(answer), {}, {}, {}});
}

void ScriptedPrompt::expectOpenPaths(std::string titleFragment,
                                     std::vector<std::filesystem::path> answer)
{
    m_script.push_back({PromptKind::OpenPaths, std::move(titleFragment), PromptAnswer::Ok, {},
                        std::move(answer), {}, {}});
}

void ScriptedPrompt::expectFolder(std::string titleFragment,
                                  std::optional<std::filesystem::path> answer)
{
    m_script.push_back({PromptKind::Folder, std::move(titleFragment), PromptAnswer::Ok,
                        std::move(answer), {}, {}, {}});
}

void ScriptedPrompt::expectColor(std::optional<Color> answer)
{
    m_script.push_back({PromptKind::Color, {}, PromptAnswer::Ok, {}, {}, answer, {}});
}

void ScriptedPrompt::expectFont(std::optional<FontChoice> answer)
{
    m_script.push_back({PromptKind::Font, {}, PromptAnswer::Ok, {}, {}, {}, std::move(answer)});
}

std::optional<ScriptedPrompt::Expectation> ScriptedPrompt::take(PromptRecord record)
{
    record.underSongLock = SongMutex().heldByThisThread();
    m_records.push_back(std::move(record));
    const PromptRecord& shown = m_records.back();
    if (m_script.empty()) {
        ADD_FAILURE() << "unexpected " << promptKindName(shown.kind) << " prompt: \""
                      << shown.text << "\"";
        return std::nullopt;
    }
    Expectation next = std::move(m_script.front());
    m_script.pop_front();
    if (next.kind != shown.kind || shown.text.find(next.fragment) == std::string::npos) {
        ADD_FAILURE() << "unexpected " << promptKindName(shown.kind) << " prompt: \""
                      << shown.text << "\"; the script expected a "
                      << promptKindName(next.kind) << " prompt containing \"" << next.fragment
                      << "\"";
        return std::nullopt;
    }
    return next;
}

void ScriptedPrompt::message(std::string_view text, PromptIcon icon)
{
    take({PromptKind::Message, std::string(text), icon, {}, {}});
}

PromptAnswer ScriptedPrompt::askYesNo(std::string_view text, PromptIcon icon)
{
    const auto e = take({PromptKind::YesNo, std::string(text), icon, {}, {}});
    return e ? e->answer : PromptAnswer::No;
}

PromptAnswer ScriptedPrompt::askOkCancel(std::string_view text, PromptIcon icon)
{
    const auto e = take({PromptKind::OkCancel, std::string(text), icon, {}, {}});
    return e ? e->answer : PromptAnswer::Cancel;
}

PromptAnswer ScriptedPrompt::askYesNoCancel(std::string_view text, PromptIcon icon)
{
    const auto e = take({PromptKind::YesNoCancel, std::string(text), icon, {}, {}});
    return e ? e->answer : PromptAnswer::Cancel;
}

std::optional<std::filesystem::path> ScriptedPrompt::chooseSavePath(
    std::string_view title, const std::filesystem::path& proposed, std::string_view filter)
{
    const auto e =
        take({PromptKind::SavePath, std::string(title), {}, proposed, std::string(filter)});
    return e ? e->path : std::nullopt;
}

std::optional<std::filesystem::path> ScriptedPrompt::chooseOpenPath(
    std::string_view title, const std::filesystem::path& folder, std::string_view filter)
{
    const auto e =
        take({PromptKind::OpenPath, std::string(title), {}, folder, std::string(filter)});
    return e ? e->path : std::nullopt;
}

std::vector<std::filesystem::path> ScriptedPrompt::chooseOpenPaths(
    std::string_view title, const std::filesystem::path& folder, std::string_view filter)
{
    auto e = take({PromptKind::OpenPaths, std::string(title), {}, folder, std::string(filter)});
    return e ? std::move(e->paths) : std::vector<std::filesystem::path>{};
}

std::optional<std::filesystem::path> ScriptedPrompt::chooseFolder(
    std::string_view title, const std::filesystem::path& start)
{
    const auto e = take({PromptKind::Folder, std::string(title), {}, start, {}});
    return e ? e->path : std::nullopt;
}

std::optional<Color> ScriptedPrompt::chooseColor(Color /*initial*/)
{
    const auto e = take({PromptKind::Color, {}, {}, {}, {}});
    return e ? e->color : std::nullopt;
}

std::optional<FontChoice> ScriptedPrompt::chooseFont(const FontChoice& initial)
{
    const auto e = take({PromptKind::Font, initial.family, {}, {}, {}});
    return e ? e->font : std::nullopt;
}

} // namespace rz
