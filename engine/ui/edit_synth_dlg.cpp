#include "engine/ui/edit_synth_dlg.h"

#include "core/prompt.h"
#include "core/text_codec.h"
#include "engine/reset_sysex.h"
#include "engine/synthdb/synth_db_numbers.h"
#include "ui/font_substitutions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QVBoxLayout>

namespace rz {

namespace {

constexpr int kResetPointSize = 10;

struct BoxSpec {
    int bit;
    const char* text;
    bool general; // in "General", else in "On MIDI Reset (F10)"
};

constexpr BoxSpec kBoxes[] = {
    {kTechPatchesFromZero, "Number patches as 0-127 instead of 1-128", true},
    {kTechGmReset, "GM reset", false},
    {kTechGsReset, "GS reset", false},
    {kTechXgReset, "XG reset", false},
    {kTechAllSoundOff, "CC120 - All Sound Off", false},
    {kTechResetAllCcs, "CC121 - Reset All CCs", false},
    {kTechUsedCcDefaults, "Set used CCs to defaults", false},
    {kTechUserSysex, "User", false},
};

} // namespace

CEditSynthDlg::CEditSynthDlg(const std::string& name, int technology, const std::string& resetMessage,
                             IPrompt& prompt, QWidget* parent)
    : DialogBase(parent), m_prompt(prompt), m_name(name), m_technology(technology), m_resetMessage(resetMessage)
{
    setWindowTitle("Edit synth...");
    buildControls(technology);
    m_nameEdit->setText(QString::fromStdString(decodeText(name)));
    m_resetEdit->setPlainText(QString::fromStdString(decodeText(resetMessage)));
    upperCaseReset();
}

void CEditSynthDlg::buildControls(int technology)
{
    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setMaxLength(kMaxNameLength);
    m_bankSelect = new QComboBox(this);
    m_bankSelect->addItems({"CC0 and CC32 (normal MMA mode)", "CC0 only"});
    m_bankSelect->setCurrentIndex((technology & kTechCc0Only) != 0 ? 1 : 0);

    auto* general = new QGroupBox("General", this);
    auto* generalLayout = new QFormLayout(general);
    generalLayout->addRow("Name:", m_nameEdit);
    generalLayout->addRow("Bank select:", m_bankSelect);
    auto* reset = new QGroupBox("On MIDI Reset (F10)", this);
    auto* resetLayout = new QVBoxLayout(reset);
    for (const BoxSpec& spec : kBoxes) {
        auto* box = new QCheckBox(spec.text, this);
        box->setChecked((technology & spec.bit) != 0);
        (spec.general ? static_cast<QLayout*>(generalLayout) : resetLayout)->addWidget(box);
        m_boxes[spec.bit] = box;
    }
    m_resetEdit = new QPlainTextEdit(this);
    QFont font = programFont("Courier New", 0);
    font.setPointSize(kResetPointSize);
    m_resetEdit->setFont(font);
    m_resetEdit->setEnabled(m_boxes[kTechUserSysex]->isChecked());
    resetLayout->addWidget(m_resetEdit);
    connect(m_boxes[kTechUserSysex], &QCheckBox::toggled, m_resetEdit, &QWidget::setEnabled);
    connect(m_resetEdit, &QPlainTextEdit::textChanged, this, [this] { upperCaseReset(); });

    auto* buttons = buttonRow();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(general);
    layout->addWidget(reset);
    layout->addWidget(buttons);
}

QCheckBox* CEditSynthDlg::checkBox(int technologyBit) const
{
    const auto found = m_boxes.find(technologyBit);
    return found == m_boxes.end() ? nullptr : found->second;
}

// The reset message is hexadecimal in capitals, whatever was typed.
void CEditSynthDlg::upperCaseReset()
{
    const QString text = m_resetEdit->toPlainText();
    const QString upper = text.toUpper();
    if (upper == text)
        return;
    QTextCursor cursor = m_resetEdit->textCursor();
    const int position = cursor.position();
    const QSignalBlocker blocker(m_resetEdit);
    m_resetEdit->setPlainText(upper);
    cursor = m_resetEdit->textCursor();
    cursor.setPosition(std::min(position, static_cast<int>(upper.size())));
    m_resetEdit->setTextCursor(cursor);
}

int CEditSynthDlg::technologyFromControls() const
{
    int technology = m_bankSelect->currentIndex() == 1 ? kTechCc0Only : 0;
    for (const auto& [bit, box] : m_boxes) {
        if (box->isChecked())
            technology |= bit;
    }
    return technology;
}

void CEditSynthDlg::accept()
{
    const std::string message = m_resetEdit->toPlainText().toStdString();
    if (const auto bad = FindBadResetToken(message)) {
        m_prompt.message(BadResetTokenMessage(bad->token), PromptIcon::Warning);
        const int start = static_cast<int>(QString::fromStdString(message.substr(0, bad->offset)).size());
        const int length = static_cast<int>(QString::fromStdString(bad->token).size());
        QTextCursor cursor = m_resetEdit->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        m_resetEdit->setTextCursor(cursor);
        m_resetEdit->setFocus();
        return;
    }
    const std::string typedName = m_nameEdit->text().toStdString();
    if (typedName != decodeText(m_name))
        m_name = typedName;
    m_technology = technologyFromControls();
    if (message != decodeText(m_resetMessage))
        m_resetMessage = message;
    QDialog::accept();
}

} // namespace rz
