#include "engine/ui/sysex_receive_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace rz {

CSysexReceiveDlg::CSysexReceiveDlg(const std::atomic<int>& received, QWidget* parent)
    : DialogBase(parent), m_received(received)
{
    setWindowTitle("Receiving System Exclusive Message...");
    m_count = new QLabel("0", this);
    m_count->setObjectName("count1002");
    auto* buttons = buttonRow(QDialogButtonBox::Cancel);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Bytes received:", this));
    row->addWidget(m_count);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this,
            [this] { m_count->setText(QString::number(m_received.load(std::memory_order_relaxed))); });
    m_refresh.start();
}

QString CSysexReceiveDlg::countText() const
{
    return m_count->text();
}

} // namespace rz
