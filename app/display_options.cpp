// The program-wide display and editing options. GUI thread.

#include "app/display_options.h"

#include "core/profile.h"
#include "core/settings.h"

#include <algorithm>
#include <string>

namespace rz {
namespace {

constexpr std::array<Color, ISongDisplayOptions::kCueKinds> kDefaultCueColors = {
    0xF0F0F0, 0x0000D0, 0x00FFFF, 0x10A010, 0x808080,
    0x10E0E0, 0x0080FF, 0xF0F0F0, 0x800080, 0x800000,
};

} // namespace

DisplayOptions::DisplayOptions(std::function<EditTools()> tools)
    : m_tools(std::move(tools)), m_cueColors(kDefaultCueColors)
{
}

void DisplayOptions::read(const IProfile& profile)
{
    setTimeZoom(readSettingOr(profile, settings::kDisplayXZoom, m_xZoom));
    setLaneZoom(readSettingOr(profile, settings::kDisplayYZoom, m_yZoom));
    setHeaderZoom(readSettingOr(profile, settings::kDisplayFZoom, m_fZoom));
    m_smoothScroll = readSetting(profile, settings::kDisplaySmoothScroll) != 0;
    m_autoProps = readSetting(profile, settings::kOpenAutoProps) != 0;
    loadCueColors(profile);
}

void DisplayOptions::writeZooms(IProfile& profile) const
{
    writeSetting(profile, settings::kDisplayYZoom, m_yZoom);
    writeSetting(profile, settings::kDisplayFZoom, m_fZoom);
}

void DisplayOptions::loadCueColors(const IProfile& profile)
{
    for (int kind = 0; kind < kCueKinds; ++kind)
        m_cueColors[size_t(kind)] = Color(readSettingOr(profile, settings::kDisplayCueColor,
                                                        int32_t(kDefaultCueColors[size_t(kind)]),
                                                        std::to_string(kind)));
}

void DisplayOptions::resetCueColors()
{
    m_cueColors = kDefaultCueColors;
}

void DisplayOptions::setCueColor(int kind, Color color)
{
    if (kind >= 0 && kind < kCueKinds)
        m_cueColors[size_t(kind)] = color;
}

Color DisplayOptions::cueColor(int kind) const
{
    return kind >= 0 && kind < kCueKinds ? m_cueColors[size_t(kind)] : kDefaultCueColors[0];
}

void DisplayOptions::setTimeZoom(int zoom)
{
    m_xZoom = std::clamp(zoom, 0, kMaxTimeZoom);
}

void DisplayOptions::setLaneZoom(int zoom)
{
    m_yZoom = std::clamp(zoom, 0, kMaxLaneZoom);
}

void DisplayOptions::setHeaderZoom(int zoom)
{
    m_fZoom = std::clamp(zoom, 0, kMaxLaneZoom);
}

} // namespace rz
