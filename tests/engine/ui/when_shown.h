#pragma once

#include <QTimer>

#include <functional>
#include <utility>

namespace rz {

// Runs `step` once the modal dialog's loop is up.
inline void whenShown(std::function<void()> step)
{
    QTimer::singleShot(0, std::move(step));
}

} // namespace rz
