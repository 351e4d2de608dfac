#include "platform/audio_alsa_pcm.h"

#include <pthread.h>
#include <sched.h>

namespace rz {

namespace {

constexpr unsigned kPlaybackPeriods = 3;

// A configuration tree read from text; null when the text does not parse.
snd_config_t* configFromText(const std::string& text, std::string& error)
{
    snd_config_t* top = nullptr;
    snd_input_t* input = nullptr;
    if (snd_config_top(&top) < 0) {
        error = "cannot build an ALSA configuration";
        return nullptr;
    }
    int result = snd_input_buffer_open(&input, text.data(), ssize_t(text.size()));
    if (result >= 0) {
        result = snd_config_load(top, input);
        snd_input_close(input);
    }
    if (result < 0) {
        error = std::string("the ALSA configuration does not parse: ") + snd_strerror(result);
        snd_config_delete(top);
        return nullptr;
    }
    return top;
}

} // namespace

snd_pcm_t* openAlsaPcm(const AlsaPcmTarget& target, snd_pcm_stream_t stream, std::string& error)
{
    snd_pcm_t* pcm = nullptr;
    int result = 0;
    if (target.configuration.empty()) {
        result = snd_pcm_open(&pcm, target.device.c_str(), stream, 0);
    } else {
        snd_config_t* config = configFromText(target.configuration, error);
        if (!config)
            return nullptr;
        result = snd_pcm_open_lconf(&pcm, target.device.c_str(), stream, 0, config);
        snd_config_delete(config);
    }
    if (result < 0) {
        error = "The audio device " + target.device + " cannot be opened: " + snd_strerror(result);
        return nullptr;
    }
    return pcm;
}

std::string setAlsaHwParams(snd_pcm_t* pcm, snd_pcm_format_t format, unsigned& rate,
                            snd_pcm_uframes_t& periodFrames)
{
    snd_pcm_hw_params_t* params = nullptr;
    snd_pcm_hw_params_alloca(&params);
    unsigned periods = kPlaybackPeriods;
    int dir = 0;
    if (snd_pcm_hw_params_any(pcm, params) < 0
        || snd_pcm_hw_params_set_access(pcm, params, SND_PCM_ACCESS_RW_INTERLEAVED) < 0
        || snd_pcm_hw_params_set_format(pcm, params, format) < 0
        || snd_pcm_hw_params_set_channels(pcm, params, 2) < 0)
        return "format refused";
    if (snd_pcm_hw_params_set_rate_near(pcm, params, &rate, &dir) < 0)
        return "no sample rate accepted";
    dir = 0;
    if (snd_pcm_hw_params_set_period_size_near(pcm, params, &periodFrames, &dir) < 0)
        return "no period size accepted";
    dir = 0;
    snd_pcm_hw_params_set_periods_near(pcm, params, &periods, &dir);
    const int result = snd_pcm_hw_params(pcm, params);
    if (result < 0)
        return std::string("the device refused the parameters: ") + snd_strerror(result);
    dir = 0;
    snd_pcm_hw_params_get_rate(params, &rate, &dir);
    snd_pcm_hw_params_get_period_size(params, &periodFrames, &dir);
    return {};
}

void tryRealtimePriority(int priority)
{
    sched_param param{};
    param.sched_priority = priority;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param); // refused: normal priority
}

} // namespace rz
