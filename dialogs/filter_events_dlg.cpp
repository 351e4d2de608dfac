#include "dialogs/filter_events_dlg.h"

#include "song/song_doc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace rz {

CFilterEventsDlg::CFilterEventsDlg(CSongDoc& song, int track, uint16_t mask, int32_t controller, QWidget* parent)
    : DialogBase(parent), m_mask(mask), m_controllerResult(controller)
{
    setWindowTitle("Filter events...");
    auto* group = new QGroupBox("Event types to display", this);
    auto* grid = new QGridLayout(group);
    for (size_t i = 0; i < kEventKindBoxes.size(); ++i) {
        m_boxes[i] = new QCheckBox(kEventKindBoxes[i].label, group);
        m_boxes[i]->setObjectName(QString("kind%1").arg(kEventKindBoxes[i].id));
        m_boxes[i]->setChecked((mask & kEventKindBoxes[i].bit) != 0);
        grid->addWidget(m_boxes[i], int(i), 0);
    }
    m_controller = new QComboBox(group);
    m_controller->setObjectName("controller1029");
    m_controller->setEditable(true);
    m_controller->setInsertPolicy(QComboBox::NoInsert);
    m_controller->setMaxVisibleItems(20);
    const int synth = synthOfRow(song, track >= 0 && size_t(track) < song.tracks.size() ? track : -1);
    for (const ComboItem& item : filterControllerItems(song.context().synths, synth))
        m_controller->addItem(QString::fromStdString(item.text), item.data);
    m_controller->setCurrentIndex(m_controller->findData(kAllControllers));
    if (controller >= 0) {
        const int index = m_controller->findData(controller);
        m_controller->setCurrentIndex(index);
        if (index < 0)
            m_controller->setEditText(QString::number(controller));
    }
    grid->addWidget(m_controller, int(kControllersBox), 1);

    auto* buttons = buttonRow();
    connect(m_boxes[kControllersBox], &QCheckBox::toggled, this, &CFilterEventsDlg::enableController);
    connect(m_controller->lineEdit(), &QLineEdit::textEdited, this, [this] { m_typed = true; });
    connect(m_controller->lineEdit(), &QLineEdit::editingFinished, this, &CFilterEventsDlg::commitTypedController);
    connect(m_controller, &QComboBox::activated, this, [this] { m_typed = false; });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    enableController();
}

void CFilterEventsDlg::enableController()
{
    m_controller->setEnabled(m_boxes[kControllersBox]->isChecked());
}

void CFilterEventsDlg::commitTypedController()
{
    if (!m_typed)
        return;
    const int32_t typed = typedFilterController(m_controller->currentText().trimmed().toStdString());
    const int index = typed >= 1 ? m_controller->findData(typed) : -1;
    if (index >= 0) {
        m_controller->setCurrentIndex(index);
        m_typed = false;
    }
}

void CFilterEventsDlg::accept()
{
    commitTypedController();
    m_mask = 0;
    for (size_t i = 0; i < kEventKindBoxes.size(); ++i)
        if (m_boxes[i]->isChecked())
            m_mask = uint16_t(m_mask | kEventKindBoxes[i].bit);
    if (m_boxes[kControllersBox]->isChecked()) {
        // A typed text that names no item is no selection.
        if (m_typed || m_controller->currentIndex() < 0)
            m_controllerResult = typedFilterController(m_controller->currentText().trimmed().toStdString());
        else
            m_controllerResult = m_controller->currentData().toInt();
    }
    QDialog::accept();
}

} // namespace rz
