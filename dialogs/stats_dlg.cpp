#include "dialogs/stats_dlg.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace rz {
namespace {

constexpr int kWidth = kLevelBinCount;
constexpr int kHeight = 128;
constexpr size_t kLastBlackBin = 200;

} // namespace

QImage levelImage(const LevelBins& bins)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    const uint64_t largest = *std::max_element(bins.begin(), bins.end());
    if (largest == 0)
        return image;
    QPainter painter(&image);
    for (size_t bin = bins.size(); bin-- > 0;) {
        if (bins[bin] == 0)
            continue;
        const int height = std::max(int(double(bins[bin]) / double(largest) * (kHeight - 1)), 1);
        painter.setPen(bin <= kLastBlackBin ? Qt::black : Qt::red);
        painter.drawLine(int(bin), kHeight - 1, int(bin), kHeight - 1 - height);
    }
    return image;
}

CStatsDlg::CStatsDlg(CSongDoc& song, QWidget* parent)
    : DialogBase(parent), m_picture(levelImage(ComputeLevelBins(song)))
{
    setWindowTitle("Stats");
    auto* group = new QGroupBox("Levels (volume+expression+velocity)", this);
    auto* picture = new QLabel(group);
    picture->setObjectName("picture1193");
    picture->setPixmap(QPixmap::fromImage(m_picture));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(picture);
    auto* buttons = buttonRow(QDialogButtonBox::Close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
}

} // namespace rz
