#pragma once

#include <QString>

#include <string_view>

namespace rz {

// Our UTF-8 text as a QString for a widget.
inline QString qText(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace rz
