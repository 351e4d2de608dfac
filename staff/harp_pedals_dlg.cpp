#include "staff/harp_pedals_dlg.h"

#include "views/slider/harp_pedal_wnd.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace rz {
namespace {

constexpr const char* kHarpPedalsHelpTopic = "::/harp.htm";
constexpr QSize kDiagramSize(240, 120);
// Every pedal natural.
constexpr uint32_t kResetPedals = 0;

} // namespace

CHarpPedalsDlg::CHarpPedalsDlg(uint32_t pedals, QWidget* parent) : DialogBase(parent, kHarpPedalsHelpTopic)
{
    setWindowTitle("Harp pedals");
    m_pedals = new HarpPedalWnd(this);
    m_pedals->setObjectName("pedals1406");
    m_pedals->setFixedSize(kDiagramSize);
    m_pedals->setState(pedals);
    auto* buttons = buttonRow();
    m_reset = buttons->addButton("Reset", QDialogButtonBox::ResetRole);
    m_reset->setObjectName("reset1245");
    // Enter is OK, never Reset.
    m_reset->setAutoDefault(false);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(m_reset, &QPushButton::clicked, this, [this] {
        m_pedals->setState(kResetPedals);
        m_pedals->update();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pedals, 0, Qt::AlignHCenter);
    layout->addWidget(buttons);
}

uint32_t CHarpPedalsDlg::pedals() const
{
    return m_pedals->state();
}

} // namespace rz
