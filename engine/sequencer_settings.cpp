#include "engine/sequencer_settings.h"

#include "core/profile.h"

#include <algorithm>
#include <iterator>

namespace rz {

namespace {

int gated(const IProfile& profile, bool gate, const char* name, int defaultValue)
{
    return gate ? profile.readInt("FollowTap", name, defaultValue) : 0;
}

FollowTapSettings readFollowTap(const IProfile& profile)
{
    FollowTapSettings tap;
    const bool enabled = profile.readInt("FollowTap", "Enabled", 0) != 0;
    tap.pause = profile.readInt("FollowTap", "Pause", 0) != 0;
    tap.window = gated(profile, enabled, "Window", 20);
    tap.modStrength =
        gated(profile, enabled && profile.readInt("FollowTap", "EnableTempoMod", 1) != 0,
              "ModStrength", 50);
    tap.jumpForwardStrength =
        gated(profile, enabled && profile.readInt("FollowTap", "EnableJumpF", 1) != 0,
              "JumpStrength", 80);
    tap.jumpBackStrength =
        gated(profile, enabled && profile.readInt("FollowTap", "EnableJumpB", 1) != 0,
              "JumpStrength", 80);
    tap.returnRate =
        gated(profile, profile.readInt("FollowTap", "EnableTempoNorm", 0) != 0, "ReturnRate", 10);
    tap.averageStrength =
        gated(profile, profile.readInt("FollowTap", "UseAverage", 0) != 0, "AveStrength", 50);
    return tap;
}

ClickOptions readClick(const IProfile& profile)
{
    ClickOptions click;
    click.enabled = profile.readInt("ClickOptions", "Enabled", 0) != 0;
    click.record = profile.readInt("ClickOptions", "Record", 1) != 0;
    click.click1 = uint32_t(profile.readInt("ClickOptions", "Click1", 0x7F2599));
    click.click2 = uint32_t(profile.readInt("ClickOptions", "Click2", 0x642599));
    click.patch = profile.readInt("ClickOptions", "Patch", 0);
    click.leadMs = profile.readInt("ClickOptions", "Lead", 0);
    click.device = profile.readInt("ClickOptions", "Device", 0);
    return click;
}

void readRecordOptions(const IProfile& profile, SequencerSettings& settings)
{
    RecordOptions& record = settings.record;
    record.followTempo = profile.readInt("RecordOptions", "FollowTempo", 1) != 0;
    settings.echo = profile.readInt("RecordOptions", "Echo", 1) != 0;
    settings.countInMeasures = profile.readInt("RecordOptions", "CountIn", 1);
    settings.eventFilter = uint32_t(profile.readInt("RecordOptions", "EventFilter", 0xDB00));
    record.mode = profile.readInt("RecordOptions", "Mode", 0);
    record.stepSize = profile.readInt("RecordOptions", "StepSize", 0);
    record.stepDot = profile.readInt("RecordOptions", "StepDot", 0) != 0;
    // A size past the table means no grid.
    record.stepUnits = stepGridUnits(record.stepSize);
    if (record.stepUnits == 0)
        record.stepSize = 0;
    settings.stepVelocity = std::clamp(profile.readInt("RecordOptions", "StepVelocity", 0), 0, 127);
    settings.stepDuration = profile.readInt("RecordOptions", "StepDuration", 0);
}

void readSyncAndAdvance(const IProfile& profile, SequencerSettings& settings)
{
    settings.advance.play = profile.readInt("PlaybackOptions", "AdvancePlay", 0);
    settings.advance.waitMs = profile.readInt("PlaybackOptions", "AdvanceWait", 1000);
    settings.advance.reset = profile.readInt("PlaybackOptions", "AdvanceReset", 2);
    settings.sync.port = profile.readInt("SyncOptions", "Port", 0);
    settings.sync.protocol = profile.readInt("SyncOptions", "Protocol", 0);
    settings.sync.masterSlave = profile.readInt("SyncOptions", "MasterSlave", 0);
    settings.sync.smpteRate = profile.readInt("SyncOptions", "SMPTE", 3);
}

} // namespace

int stepGridUnits(int stepSize)
{
    static constexpr int kUnits[] = {480, 240, 160, 120, 80, 60, 40, 30, 20, 15, 10};
    if (stepSize < 1 || stepSize > int(std::size(kUnits)))
        return 0;
    return kUnits[stepSize - 1];
}

SequencerSettings readSequencerSettings(const IProfile& profile)
{
    SequencerSettings settings;
    settings.keyMapEnabled = profile.readInt("KeyMap", "Enabled", 1) != 0;
    settings.options =
        uint32_t(profile.readInt("Sequencer", "Options", int32_t(kOptionPlayLeavesVamp)));
    const int tempoChannel = profile.readInt("Sequencer", "PTempoCh", -1);
    settings.tempoChannel = tempoChannel >= -1 && tempoChannel <= 15 ? tempoChannel : -1;
    settings.timerSource = uint32_t(profile.readInt("PlaybackOptions", "TimerSource", 0));
    const int period = profile.readInt("PlaybackOptions", "TimerResolution", 2);
    settings.tickPeriodMs =
        uint32_t(std::clamp(period, int(kMinTickPeriodMs), int(kMaxTickPeriodMs)));
    readSyncAndAdvance(profile, settings);
    readRecordOptions(profile, settings);
    settings.followTap = readFollowTap(profile);
    settings.click = readClick(profile);
    settings.masterVolume =
        std::clamp(profile.readInt("Defaults", "Volume", kMaxVolume), 0, kMaxVolume);
    settings.outputLatencyMs =
        std::clamp(profile.readInt("PlaybackOptions", "OutputLatency", 0), 0, kMaxOutputLatencyMs);
    return settings;
}

} // namespace rz
