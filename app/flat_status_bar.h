#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>

namespace rz {

// The main window's status bar: black, four parts of white text (0 the
// prompt, 1 the status text, 3 the clock), painted double-buffered by Qt.
// GUI thread.
class FlatStatusBar : public QWidget {
    Q_OBJECT
public:
    static constexpr uint32_t kCtrlId = 61465;
    static constexpr int kParts = 4;
    // Pixels left of the right edge where parts 0..2 end.
    static constexpr int kPartEndsFromRight[kParts - 1] = {510, 200, 100};
    static constexpr int kTextInset = 2;

    explicit FlatStatusBar(QWidget* parent);

    // An index outside 0..3 is ignored.
    void setPartText(int index, const QString& text);
    QString partText(int index) const;
    // The part's rectangle in bar pixels; parts of a narrow bar collapse to
    // zero width instead of running backwards.
    QRect partRect(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<QString, kParts> m_texts;
};

} // namespace rz
