#include "engine/sequencer_settings.h"

#include "core/profile.h"
#include "core/settings.h"

#include <algorithm>
#include <iterator>

namespace rz {

namespace {

int gated(const IProfile& profile, bool gate, const Setting& row)
{
    return gate ? readSetting(profile, row) : 0;
}

FollowTapSettings readFollowTap(const IProfile& profile)
{
    FollowTapSettings tap;
    const bool enabled = readSetting(profile, settings::kFollowTapEnabled) != 0;
    tap.pause = readSetting(profile, settings::kFollowTapPause) != 0;
    tap.window = gated(profile, enabled, settings::kFollowTapWindow);
    tap.modStrength =
        gated(profile, enabled && readSetting(profile, settings::kFollowTapEnableTempoMod) != 0,
              settings::kFollowTapModStrength);
    tap.jumpForwardStrength =
        gated(profile, enabled && readSetting(profile, settings::kFollowTapEnableJumpF) != 0,
              settings::kFollowTapJumpStrength);
    tap.jumpBackStrength =
        gated(profile, enabled && readSetting(profile, settings::kFollowTapEnableJumpB) != 0,
              settings::kFollowTapJumpStrength);
    tap.returnRate =
        gated(profile, readSetting(profile, settings::kFollowTapEnableTempoNorm) != 0, settings::kFollowTapReturnRate);
    tap.averageStrength =
        gated(profile, readSetting(profile, settings::kFollowTapUseAverage) != 0, settings::kFollowTapAveStrength);
    return tap;
}

ClickOptions readClick(const IProfile& profile)
{
    ClickOptions click;
    click.enabled = readSetting(profile, settings::kClickEnabled) != 0;
    click.record = readSetting(profile, settings::kClickRecord) != 0;
    click.click1 = uint32_t(readSetting(profile, settings::kClickClick1));
    click.click2 = uint32_t(readSetting(profile, settings::kClickClick2));
    click.patch = readSetting(profile, settings::kClickPatch);
    click.leadMs = readSetting(profile, settings::kClickLead);
    click.device = readSetting(profile, settings::kClickDevice);
    return click;
}

void readRecordOptions(const IProfile& profile, SequencerSettings& settings)
{
    RecordOptions& record = settings.record;
    record.followTempo = readSetting(profile, settings::kRecordFollowTempo) != 0;
    settings.echo = readSetting(profile, settings::kRecordEcho) != 0;
    settings.countInMeasures = readSetting(profile, settings::kRecordCountIn);
    settings.eventFilter = uint32_t(readSetting(profile, settings::kRecordEventFilter));
    record.mode = readSetting(profile, settings::kRecordMode);
    record.stepSize = readSetting(profile, settings::kRecordStepSize);
    record.stepDot = readSetting(profile, settings::kRecordStepDot) != 0;
    // A size past the table means no grid.
    record.stepUnits = stepGridUnits(record.stepSize);
    if (record.stepUnits == 0)
        record.stepSize = 0;
    settings.stepVelocity = std::clamp(readSetting(profile, settings::kRecordStepVelocity), 0, 127);
    settings.stepDuration = readSetting(profile, settings::kRecordStepDuration);
}

void readSyncAndAdvance(const IProfile& profile, SequencerSettings& settings)
{
    settings.advance.play = readSetting(profile, settings::kPlaybackAdvancePlay);
    settings.advance.waitMs = readSetting(profile, settings::kPlaybackAdvanceWait);
    settings.advance.reset = readSetting(profile, settings::kPlaybackAdvanceReset);
    settings.sync.port = readSetting(profile, settings::kSyncPort);
    settings.sync.protocol = readSetting(profile, settings::kSyncProtocol);
    settings.sync.masterSlave = readSetting(profile, settings::kSyncMasterSlave);
    settings.sync.smpteRate = readSetting(profile, settings::kSyncSmpte);
}

} // namespace

int stepGridUnits(int stepSize)
{
    static constexpr int kUnits[] = {480, 240, 160, 120, 80, 60, 40, 30, 20, 15, 10};
    if (stepSize < 1 || stepSize > int(std::size(kUnits)))
        return 0;
    return kUnits[stepSize - 1];
}

static_assert(settings::kDefaultsVolume.max == kMaxVolume);
static_assert(settings::kPlaybackOutputLatency.max == kMaxOutputLatencyMs);
static_assert(settings::kPlaybackTimerResolution.min == int32_t(kMinTickPeriodMs)
              && settings::kPlaybackTimerResolution.max == int32_t(kMaxTickPeriodMs));
static_assert(settings::kSequencerOptions.defaultValue == int32_t(kOptionPlayLeavesVamp));

SequencerSettings readSequencerSettings(const IProfile& profile)
{
    SequencerSettings settings;
    settings.keyMapEnabled = readSetting(profile, settings::kKeyMapEnabled) != 0;
    settings.options =
        uint32_t(readSetting(profile, settings::kSequencerOptions));
    const int tempoChannel = readSetting(profile, settings::kSequencerPTempoCh);
    settings.tempoChannel = tempoChannel >= -1 && tempoChannel <= 15 ? tempoChannel : -1;
    settings.timerSource = uint32_t(readSetting(profile, settings::kPlaybackTimerSource));
    const int period = readSetting(profile, settings::kPlaybackTimerResolution);
    settings.tickPeriodMs =
        uint32_t(std::clamp(period, int(kMinTickPeriodMs), int(kMaxTickPeriodMs)));
    readSyncAndAdvance(profile, settings);
    readRecordOptions(profile, settings);
    settings.followTap = readFollowTap(profile);
    settings.click = readClick(profile);
    settings.masterVolume =
        std::clamp(readSetting(profile, settings::kDefaultsVolume), 0, kMaxVolume);
    settings.outputLatencyMs =
        std::clamp(readSetting(profile, settings::kPlaybackOutputLatency), 0, kMaxOutputLatencyMs);
    return settings;
}

} // namespace rz
