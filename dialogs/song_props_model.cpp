#include "dialogs/song_props_model.h"

#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "core/text_codec.h"
#include "dialogs/field_values.h"
#include "song/song_doc.h"

#include <algorithm>
#include <cmath>

namespace rz {
namespace {

constexpr int32_t kTimeBaseStep = 24;
constexpr int32_t kLargestStepTimeBase = 768;
constexpr int32_t kFineTimeBase = 960;

} // namespace

std::vector<int32_t> songTimeBases()
{
    std::vector<int32_t> bases;
    for (int32_t base = kTimeBaseStep; base <= kLargestStepTimeBase; base += kTimeBaseStep)
        bases.push_back(base);
    bases.push_back(kFineTimeBase);
    return bases;
}

int32_t volumeStepOf(double relativeVolume)
{
    if (!(relativeVolume > 0.0))
        return 0;
    const double steps = 16.0 * std::log2(relativeVolume);
    // A volume stored as 2^(n/32) may come back a hair under the half.
    const double nudged = steps + std::copysign(1e-9, steps);
    return int32_t(std::clamp(std::round(nudged), double(-kMaxVolumeStep), double(kMaxVolumeStep)));
}

SongText::SongText(std::string stored) : m_stored(std::move(stored)), m_shown(decodeText(m_stored)) {}

std::string SongText::result(std::string_view typed) const
{
    if (typed == m_shown)
        return m_stored;
    const std::vector<uint8_t> bytes = encodeText(typed);
    return std::string(bytes.begin(), bytes.end());
}

TempoField::TempoField(uint32_t micros) : m_hundredths(bpmFromMicros(micros)), m_micros(micros) {}

std::string TempoField::text() const
{
    return formatBpm(m_hundredths);
}

void TempoField::type(std::string_view text)
{
    m_hundredths = parseBpm(text);
    m_micros = uint32_t(microsFromBpm(m_hundredths));
}

void TempoField::step(bool up)
{
    m_hundredths = std::clamp(m_hundredths + (up ? 1 : -1), kMinBpmHundredths, kMaxBpmHundredths);
    m_micros = uint32_t(microsFromBpm(m_hundredths));
}

uint32_t songStartTempo(const CSongDoc& song)
{
    if (song.performanceTempo != 0)
        return song.performanceTempo;
    return song.tempoMap.empty() ? kDefaultTempo : song.tempoMap.front().tempo;
}

bool confirmSongProps(IPrompt& prompt, const SongPropsChoice& choice)
{
    if (choice.trimmedTitle.empty()) {
        prompt.message(kSongNeedsTitle);
        return false;
    }
    if (choice.timeBase != 0 && choice.timeBase != choice.songTimeBase
        && prompt.askYesNo(kTimeBaseQuestion, PromptIcon::Information) != PromptAnswer::Yes)
        return false;
    if (choice.format == 0 && choice.songFormat == 1
        && prompt.askYesNo(kFormatZeroQuestion, PromptIcon::Information) != PromptAnswer::Yes)
        return false;
    return true;
}

void saveSongDefaults(IProfile& profile, const SongPropsParams& params, bool timeBaseChosen)
{
    if (timeBaseChosen)
        writeSetting(profile, settings::kSongTimebase, params.timeBase);
    writeSetting(profile, settings::kSongFormat, params.format);
    writeSettingText(profile, settings::kSongAuthor, params.author);
    writeSettingText(profile, settings::kSongCopyright, params.copyright);
    writeSettingText(profile, settings::kSongMemo, params.memo);
    writeSettingText(profile, settings::kSongSubTitle, params.subtitle);
    writeSetting(profile, settings::kSongRelVolume, params.volumeStep);
    writeSetting(profile, settings::kSongSpecifyTempo, params.specifyTempo ? 1 : 0);
    writeSetting(profile, settings::kSongInitialTempo, int32_t(params.tempo));
}

} // namespace rz
