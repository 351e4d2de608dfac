#include "set/ui/paste_song_dlg.h"

#include <QDialogButtonBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace rz {

CPasteSongDlg::CPasteSongDlg(QWidget* parent) : DialogBase(parent)
{
    setWindowTitle("Paste song...");
    m_link = new QRadioButton("Only paste a link to the existing song", this);
    m_copy = new QRadioButton("Create a new song using a copy of the song in the clipboard", this);
    m_link->setChecked(true);
    auto* buttons = buttonRow();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_link);
    layout->addWidget(m_copy);
    layout->addWidget(buttons);
}

CPasteSongDlg::Choice CPasteSongDlg::choice() const
{
    return m_copy->isChecked() ? Copy : Link;
}

void CPasteSongDlg::setChoice(Choice choice)
{
    (choice == Copy ? m_copy : m_link)->setChecked(true);
}

} // namespace rz
