#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace rz {

class CommandRouter;
class CommandTarget;

// Makes a torn-off lyric, staff or track window the first command target
// while it is a focused top-level window: set on focus-in or activation,
// cleared when it loses activation, hides, closes or is destroyed.
// GUI thread. Both the router and the target must outlive this object.
class TornOffFocus : public QObject {
    Q_OBJECT
public:
    TornOffFocus(QWidget& window, CommandTarget& target, CommandRouter& router);
    ~TornOffFocus() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void take();
    void release();

    QPointer<QWidget> m_window;
    CommandTarget& m_target;
    CommandRouter& m_router;
};

} // namespace rz
