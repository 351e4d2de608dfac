#pragma once

#include "core/gui_post.h"

#include <QObject>

namespace rz {

// Carries engine-to-GUI calls as queued calls on this object. Create it on
// the GUI thread; calls still queued when it is destroyed are dropped.
class QtGuiThreadQueue : public QObject, public IGuiThreadQueue {
    Q_OBJECT
public:
    explicit QtGuiThreadQueue(QObject* parent = nullptr);

    // Any thread; never waits for the GUI thread.
    void postToGui(std::function<void()> call) override;
};

} // namespace rz
