#pragma once
// Songs and views read them through ISongDisplayOptions; App and the
// Options sheet set them.

#include "core/song_host.h"

#include <array>
#include <functional>

namespace rz {

class IProfile;

// The program-wide display and editing options: the zooms, the cue colours,
// smooth scrolling, automatic properties and performance mode. GUI thread.
class DisplayOptions : public ISongDisplayOptions {
public:
    // `tools` reads the main frame's editing tools.
    explicit DisplayOptions(std::function<EditTools()> tools);

    // The zooms, smooth scrolling, automatic properties and cue colours.
    void read(const IProfile& profile);
    // The lane and header zooms, kept for the next run.
    void writeZooms(IProfile& profile) const;
    void loadCueColors(const IProfile& profile);
    void resetCueColors();
    void setCueColor(int kind, Color color);
    void setSmoothScroll(bool on) { m_smoothScroll = on; }
    void setAutoProps(bool on) { m_autoProps = on; }
    // The flag only: App refreshes what shows it.
    void setPerformanceMode(bool on) { m_performanceMode = on; }
    void setHeaderZoom(int zoom);

    // ISongDisplayOptions.
    bool autoProps() const override { return m_autoProps; }
    Color cueColor(int kind) const override;
    int timeZoom() const override { return m_xZoom; }
    void setTimeZoom(int zoom) override;
    bool performanceMode() const override { return m_performanceMode; }
    int laneZoom() const override { return m_yZoom; }
    void setLaneZoom(int zoom) override;
    int headerZoom() const override { return m_fZoom; }
    bool smoothScroll() const override { return m_smoothScroll; }
    EditTools editTools() const override { return m_tools ? m_tools() : EditTools{}; }

private:
    std::function<EditTools()> m_tools;
    std::array<Color, kCueKinds> m_cueColors{};
    int m_xZoom = 3;
    int m_yZoom = 2;
    int m_fZoom = 2;
    bool m_autoProps = true;
    bool m_smoothScroll = true;
    bool m_performanceMode = false;
};

} // namespace rz
