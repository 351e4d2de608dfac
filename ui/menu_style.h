#pragma once

#include <QProxyStyle>

class QStyleOptionMenuItem;

namespace rz {

// The owner-drawn look of the main window's menus: each item's command
// image in a square at the left, key text right-aligned, a dark selection
// with yellow text, a light green square behind checked items; the menu
// bar's own items are white text over the frame's caption. GUI thread.
class MenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    // Colour references (0x00BBGGRR).
    static constexpr uint32_t kSelectionColor = 0x38140C;
    static constexpr uint32_t kSelectionTextColor = 0x0EF0FF;
    static constexpr uint32_t kCheckedSquareColor = 0xC0CEBD;
    // Image size + 4 in each direction (pixels).
    static constexpr int kButtonSize = 20;

    // The one instance, owned by the application.
    static MenuStyle* instance();
    // The menus' font: "Tahoma", 11 pixels.
    static QFont menuFont();

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;

private:
    MenuStyle();
    void drawMenuItem(const QStyleOptionMenuItem& item, QPainter& painter) const;
    void drawImageSquare(const QStyleOptionMenuItem& item, QPainter& painter) const;
    void drawItemText(const QStyleOptionMenuItem& item, QPainter& painter) const;
    void drawMenuBarItem(const QStyleOptionMenuItem& item, QPainter& painter) const;
};

} // namespace rz
