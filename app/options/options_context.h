#pragma once

#include "core/color.h"

#include <functional>
#include <optional>
#include <string_view>

namespace rz {

class IProfile;
struct FollowTapSettings;
class IPrompt;

// What the Options sheet reaches beyond the profile: the run-time copies of
// settings and the owners that act on them at once. Every hook may be empty;
// the application fills them, tests fill the ones they watch. GUI thread.
struct OptionsContext {
    IProfile* profile = nullptr;
    IPrompt* prompt = nullptr;
    // Opens a help topic ("::/Options.htm#play").
    std::function<void(std::string_view topic)> openHelp;

    // The application's cue colours, edited in place.
    std::function<Color(int kind)> cueColor;
    std::function<void(int kind, Color color)> setCueColor;
    std::function<void()> resetCueColors;
    std::function<void()> loadCueColors;

    std::function<bool()> smoothScroll;
    std::function<void(bool)> setSmoothScroll;
    std::function<bool()> autoProps;
    std::function<void(bool)> setAutoProps;

    // Called after every shown page stored its values.
    std::function<void(bool onTop)> setAlwaysOnTop;
    std::function<void()> reloadInhibitor;
    std::function<void()> restartAutoSave;
    // The engine re-reads its settings from the profile.
    std::function<void(bool clickChanged)> applyEngineSettings;
    // The conductor's tap following as the Conductor page maps it.
    std::function<void(const FollowTapSettings&)> setFollowTap;
    // The open lyric view's font height in pixels (its zoom), or nothing.
    std::function<std::optional<int>()> lyricFontHeight;
    // The lyric views of the current song read their settings again.
    std::function<void()> updateLyricViews;
};

} // namespace rz
