#pragma once

#include "ui/dialog_base.h"

#include <cstdint>

class QComboBox;

namespace rz {

class CSongDoc;

// "Select a controller": the controller, pitch wheel or channel pressure a
// lane or fader shows, named from the track's synthesizer. GUI thread.
class CSelectControllerDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 324;

    // current: the kind value shown now (0xB0 | cc << 8, 0xD0 or 0xE0, any
    // channel); track: the song track whose synth names the controllers,
    // or -1 for the track view's current or only selected row.
    CSelectControllerDlg(CSongDoc& song, int track, int32_t current, QWidget* parent = nullptr);

    QComboBox* list() const { return m_list; }
    // The chosen kind value; the current one when nothing is chosen.
    int32_t kindValue() const;

private:
    int32_t m_current;
    QComboBox* m_list = nullptr;
};

} // namespace rz
