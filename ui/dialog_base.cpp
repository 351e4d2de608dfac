#include "ui/dialog_base.h"

#include <QBoxLayout>
#include <QPushButton>

namespace rz {
namespace {

HelpTopicOpener& programOpener()
{
    static HelpTopicOpener opener;
    return opener;
}

} // namespace

void setProgramHelpOpener(HelpTopicOpener opener)
{
    programOpener() = std::move(opener);
}

const HelpTopicOpener& programHelpOpener()
{
    return programOpener();
}

DialogBase::DialogBase(QWidget* parent, const char* helpTopic) : QDialog(parent), m_helpTopic(helpTopic) {}

DialogBase::~DialogBase()
{
    // A dialog destroyed while shown hides only in QWidget's destructor, and
    // the field losing the focus then would run a handler of the dialog after
    // the dialog's own members are gone: no signal of its controls reaches it
    // from here on.
    for (QObject* control : findChildren<QObject*>())
        control->disconnect(this);
}

void DialogBase::openHelp() const
{
    const char* topic = helpTopic();
    if (!topic)
        return;
    if (m_help)
        m_help(topic);
    else if (const HelpTopicOpener& program = programHelpOpener())
        program(topic);
}

QDialogButtonBox* DialogBase::buttonRow(QDialogButtonBox::StandardButtons which)
{
    if (m_helpTopic && !m_ownHelpButton)
        which |= QDialogButtonBox::Help;
    auto* buttons = new QDialogButtonBox(which, this);
    // Pointers to the virtual slots: a dialog's own accept() and reject() run.
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &DialogBase::openHelp);
    return buttons;
}

QPushButton* DialogBase::helpButton(const char* text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent ? parent : this);
    connect(button, &QPushButton::clicked, this, &DialogBase::openHelp);
    m_ownHelpButton = true;
    return button;
}

QDialogButtonBox* DialogBase::addButtonRow(QBoxLayout* layout, QDialogButtonBox::StandardButtons which)
{
    QDialogButtonBox* buttons = buttonRow(which);
    layout->addWidget(buttons);
    return buttons;
}

} // namespace rz
