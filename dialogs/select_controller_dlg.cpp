#include "dialogs/select_controller_dlg.h"

#include "dialogs/controller_choice.h"
#include "song/song_doc.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace rz {

CSelectControllerDlg::CSelectControllerDlg(CSongDoc& song, int track, int32_t current, QWidget* parent)
    : DialogBase(parent), m_current(current)
{
    setWindowTitle("Select a controller");
    const int row = track >= 0 ? track : chosenTrackRow(song.context().trackRows, song.tracks.size());
    m_list = new QComboBox(this);
    m_list->setObjectName("list1018");
    m_list->setMaxVisibleItems(20);
    for (const ComboItem& item : selectControllerItems(song.context().synths, synthOfRow(song, row)))
        m_list->addItem(QString::fromStdString(item.text), item.data);
    const int32_t choice = controllerChoiceOf(current);
    m_list->setCurrentIndex(choice >= 0 ? m_list->findData(choice) : -1);

    auto* buttons = buttonRow();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
}

int32_t CSelectControllerDlg::kindValue() const
{
    if (m_list->currentIndex() < 0)
        return m_current;
    return kindValueOfChoice(m_list->currentData().toInt());
}

} // namespace rz
