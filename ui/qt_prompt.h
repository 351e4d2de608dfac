#pragma once

#include "core/prompt.h"

#include <QMessageBox>
#include <QPointer>

class QWidget;

namespace rz {

// Message boxes titled "DEVU Rizoraz" and the Qt choosers. Shows dialogs only
// on the GUI thread; elsewhere it writes the text to standard error and gives
// the negative answer (No, Cancel, nothing chosen).
class QtPrompt : public IPrompt {
public:
    explicit QtPrompt(QWidget* parent = nullptr);

    // The window dialogs are centred on; may be null.
    void setParentWidget(QWidget* parent) { m_parent = parent; }

    void message(std::string_view text, PromptIcon icon = PromptIcon::Information) override;
    PromptAnswer askYesNo(std::string_view text, PromptIcon icon = PromptIcon::Question) override;
    PromptAnswer askOkCancel(std::string_view text,
                             PromptIcon icon = PromptIcon::Question) override;
    PromptAnswer askYesNoCancel(std::string_view text,
                                PromptIcon icon = PromptIcon::Question) override;

    // Asks before overwriting; adds the first filter's extension to a name
    // typed without one.
    std::optional<std::filesystem::path> chooseSavePath(std::string_view title,
                                                        const std::filesystem::path& proposed,
                                                        std::string_view filter) override;
    std::optional<std::filesystem::path> chooseOpenPath(std::string_view title,
                                                        const std::filesystem::path& folder,
                                                        std::string_view filter) override;
    std::vector<std::filesystem::path> chooseOpenPaths(std::string_view title,
                                                       const std::filesystem::path& folder,
                                                       std::string_view filter) override;
    // The chosen folder without a trailing separator.
    std::optional<std::filesystem::path> chooseFolder(std::string_view title,
                                                      const std::filesystem::path& start) override;
    std::optional<Color> chooseColor(Color initial) override;
    std::optional<FontChoice> chooseFont(const FontChoice& initial) override;

private:
    QMessageBox::StandardButton ask(std::string_view text, PromptIcon icon,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton,
                                    QMessageBox::StandardButton offThreadAnswer);
    // False, after writing `what` to standard error, off the GUI thread.
    static bool canShow(std::string_view what);

    QPointer<QWidget> m_parent;
};

// The title of every message box.
inline constexpr const char* kPromptTitle = "DEVU Rizoraz";

} // namespace rz
