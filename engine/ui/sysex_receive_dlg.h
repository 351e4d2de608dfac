#pragma once

#include "ui/dialog_base.h"

#include <QTimer>

#include <atomic>

class QLabel;

namespace rz {

// "Receiving System Exclusive Message...": the bytes its owner has received
// so far, read ten times a second; Cancel ends the wait. GUI thread.
class CSysexReceiveDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 130;
    static constexpr int kRefreshMs = 100;

    // `received` is the owner's count, written by the MIDI input thread.
    CSysexReceiveDlg(const std::atomic<int>& received, QWidget* parent = nullptr);

    QString countText() const;

private:
    const std::atomic<int>& m_received;
    QLabel* m_count = nullptr;
    QTimer m_refresh;
};

} // namespace rz
