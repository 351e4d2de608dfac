#include <algorithm>
#include <cmath>

#include "core/engine_link.h"
#include "core/ms_clock.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/set_link.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "core/text_codec.h"
#include "song/auto_recover.h"
#include "song/play_images.h"
#include "song/song_doc.h"

namespace rz {

namespace {

constexpr int kDefaultTimeBase = 120;
static_assert(settings::kSongTimebase.defaultValue == kDefaultTimeBase);
static_assert(settings::kSongInitialTempo.defaultValue == int32_t(kDefaultTempo));
constexpr int kMaxTimeBase = 32767;
// "RelVolume" steps of 1/16 octave: 2^(n/16) stays within 1/16 .. 16.
constexpr int kMaxRelVolumeStep = 64;

int readTimeBase(const IProfile& profile)
{
    const int value = readSetting(profile, settings::kSongTimebase);
    return value >= 1 && value <= kMaxTimeBase ? value : kDefaultTimeBase;
}

uint16_t readFormat(const IProfile& profile)
{
    const int value = readSetting(profile, settings::kSongFormat);
    return value == 0 ? 0 : 1;
}

uint32_t readInitialTempo(const IProfile& profile)
{
    if (readSetting(profile, settings::kSongSpecifyTempo) == 0)
        return kDefaultTempo;
    const int32_t value = readSetting(profile, settings::kSongInitialTempo);
    if (value < int32_t(kMinTempo) || value > int32_t(kMaxTempo))
        return kDefaultTempo;
    return uint32_t(value);
}

double readRelativeVolume(const IProfile& profile)
{
    const int step = std::clamp(readSetting(profile, settings::kSongRelVolume),
                                -kMaxRelVolumeStep, kMaxRelVolumeStep);
    return std::exp2(step / 16.0);
}

} // namespace

CSongDoc::CSongDoc(const SongContext& context) : m_context(context)
{
    selectionStamp = timeGetTime();
    OnNewDocument();
}

CSongDoc::~CSongDoc()
{
    // An unsaved song that was never asked about keeps its AutoRecover copy.
    releaseContents(!modified);
}

void CSongDoc::OnNewDocument()
{
    DeleteContents();
    endTick = 0;
    length = 0.0;
}

void CSongDoc::InitNewSong()
{
    const IProfile& profile = m_context.profile;
    contentFlag = true;
    timeBase = uint16_t(readTimeBase(profile));
    endTick = 4 * timeBase;
    measureMapEnd = endTick;
    SetGridFamily();
    format = readFormat(profile);
    author = readSettingText(profile, settings::kSongAuthor);
    copyright = readSettingText(profile, settings::kSongCopyright);
    memo = readSettingText(profile, settings::kSongMemo);
    subtitle = readSettingText(profile, settings::kSongSubTitle);

    MeasureRec measure;
    measure.Set(0, 4 * timeBase);
    measure.setMeter(4, 2);
    measureMap.push_back(measure);

    TempoEntry tempo;
    tempo.setTempo(readInitialTempo(profile));
    tempoMap.push_back(tempo);

    relativeVolume = readRelativeVolume(profile);
    tracks.push_back(std::make_unique<CTrack>());
    tracks.push_back(std::make_unique<CTrack>());
    RebuildPlayImages(*this, false);
}

void CSongDoc::DeleteContents()
{
    releaseContents(true);
}

void CSongDoc::releaseContents(bool deleteRecoverCopy)
{
    if (contentFlag) {
        if (deleteRecoverCopy)
            deleteAutoRecoverCopy(pathName);
        contentFlag = false;
    }
    karaoke = false;
    soloActive = false;
    autoRecoverMark = false;
    tracks.clear();
    cues.clear();
    measureMap.clear();
    tempoMap.clear();
    savedRecord = nullptr;
    undoList.clear();
    undoPosition = undoList.end();
    layoutText.clear();
}

bool CSongDoc::CloseSong()
{
    if (!SaveModified())
        return false;
    SetModifiedFlag(false);
    DeleteContents();
    return true;
}

bool CSongDoc::SaveModified()
{
    if (modified) {
        const std::string question = "Save changes to " + promptTitle() + "?";
        switch (m_context.prompt.askYesNoCancel(question, PromptIcon::Warning)) {
        case PromptAnswer::No:
            break;
        case PromptAnswer::Yes:
            if (!DoFileSave())
                return false;
            break;
        default:
            return false;
        }
    }
    m_context.host.UpdateTitle();
    return true;
}

std::string CSongDoc::promptTitle() const
{
    // The title is bytes as stored; prompts take UTF-8.
    if (!title.empty())
        return decodeText(title);
    if (!pathName.empty())
        return pathName.filename().string();
    return "Untitled";
}

void CSongDoc::SetModifiedFlag(bool isModified)
{
    modified = isModified;
    m_context.host.UpdateTitle();
    // The set pane marks a modified song, the current one too.
    if (m_context.setLink != nullptr)
        m_context.setLink->UpdateSongCaption(*this);
}

bool CSongDoc::isCurrentSong() const
{
    return m_context.host.currentSong() == this;
}

} // namespace rz
