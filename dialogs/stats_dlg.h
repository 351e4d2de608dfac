#pragma once

#include "song/level_bins.h"
#include "ui/dialog_base.h"

#include <QImage>

class QLabel;

namespace rz {

class CSongDoc;

// The histogram as a 256 x 128 picture on white: each bin a column scaled
// to the largest, black up to bin 200 and red above. No notes: all white.
QImage levelImage(const LevelBins& bins);

// "Stats": how long the song's notes sound at each level of velocity,
// volume and expression. GUI thread, transport stopped.
class CStatsDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 461;

    explicit CStatsDlg(CSongDoc& song, QWidget* parent = nullptr);

    const QImage& picture() const { return m_picture; }

private:
    QImage m_picture;
};

} // namespace rz
