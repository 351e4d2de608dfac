#pragma once

#include "ui/dialog_base.h"

#include <cstdint>
#include <functional>
#include <string_view>

class QPushButton;

namespace rz {

class HarpPedalWnd;

// "Harp pedals": the pedal diagram of the song's harp tracks; its pedal
// word is the dialog's value. It changes nothing itself. GUI thread.
class CHarpPedalsDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 504;

    explicit CHarpPedalsDlg(uint32_t pedals, QWidget* parent = nullptr);

    // The pedal word as the diagram shows it.
    uint32_t pedals() const;

    HarpPedalWnd* pedalWnd() const { return m_pedals; }
    QPushButton* resetButton() const { return m_reset; }

private:
    HarpPedalWnd* m_pedals = nullptr;
    QPushButton* m_reset = nullptr;
};

} // namespace rz
