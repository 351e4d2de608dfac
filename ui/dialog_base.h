#pragma once

#include <QDialog>
#include <QDialogButtonBox>

#include <functional>
#include <string_view>

class QBoxLayout;
class QPushButton;

namespace rz {

// Opens a help topic ("::/Page.htm#anchor").
using HelpTopicOpener = std::function<void(std::string_view topic)>;

// The program's help opener: Help of a dialog that was given no opener of
// its own opens its topic here. The application sets it at start and clears
// it when it ends; none leaves such a Help doing nothing. GUI thread.
void setProgramHelpOpener(HelpTopicOpener opener);
const HelpTopicOpener& programHelpOpener();

// What every dialog of the program shares: the row of OK, Cancel (or Close)
// and Help under its controls, written once. OK ends the dialog through
// accept() and Cancel, Escape and the window's close box through reject(),
// so a dialog checks and applies in its accept() and discards in its
// reject(); Help opens the dialog's topic and leaves the dialog up.
// GUI thread.
class DialogBase : public QDialog {
    Q_OBJECT
public:
    ~DialogBase() override;

    // Help opens its topic through this instead of the program's opener.
    void setHelpOpener(HelpTopicOpener opener) { m_help = std::move(opener); }
    // The dialog's own opener (empty: the program's); a dialog it opens shares it.
    const HelpTopicOpener& helpOpener() const { return m_help; }
    // The topic Help opens now; null when the dialog has no Help.
    virtual const char* helpTopic() const { return m_helpTopic; }
    // Opens helpTopic() through the dialog's opener, else the program's.
    void openHelp() const;

protected:
    // A null topic: the dialog has no Help button.
    explicit DialogBase(QWidget* parent, const char* helpTopic = nullptr);
    // For a dialog whose topic is known only once it builds its controls.
    void setHelpTopic(const char* topic) { m_helpTopic = topic; }

    // The button row: `which`, and Help when the dialog has a topic and no
    // Help button of its own (a dialog whose topic changes while it is up
    // asks for Help in `which`).
    QDialogButtonBox* buttonRow(QDialogButtonBox::StandardButtons which = QDialogButtonBox::Ok
                                                                          | QDialogButtonBox::Cancel);
    // A Help button of the dialog's own layout, opening its topic; the
    // button row then shows none.
    QPushButton* helpButton(const char* text = "Help", QWidget* parent = nullptr);
    // The button row, added at the end of `layout`.
    QDialogButtonBox* addButtonRow(QBoxLayout* layout,
                                   QDialogButtonBox::StandardButtons which = QDialogButtonBox::Ok
                                                                             | QDialogButtonBox::Cancel);

private:
    const char* m_helpTopic;
    HelpTopicOpener m_help;
    bool m_ownHelpButton = false;
};

} // namespace rz
