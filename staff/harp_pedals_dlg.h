#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <string_view>

class QPushButton;

namespace rz {

class HarpPedalWnd;

// "Harp pedals": the pedal diagram of the song's harp tracks; its pedal
// word is the dialog's value. It changes nothing itself. GUI thread.
class CHarpPedalsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 504;

    explicit CHarpPedalsDlg(uint32_t pedals, QWidget* parent = nullptr);

    void setHelpOpener(std::function<void(std::string_view)> opener) { m_help = std::move(opener); }
    // The pedal word as the diagram shows it.
    uint32_t pedals() const;

    HarpPedalWnd* pedalWnd() const { return m_pedals; }
    QPushButton* resetButton() const { return m_reset; }

private:
    HarpPedalWnd* m_pedals = nullptr;
    QPushButton* m_reset = nullptr;
    std::function<void(std::string_view)> m_help;
};

} // namespace rz
