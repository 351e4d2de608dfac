#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include <jack/jack.h>

#include "engine/audio/audio_grabber.h"
#include "tests/support/eventually.h"
#include "tests/support/jack_server.h"

namespace rz {
namespace {

// A JACK client of the test's own whose two outputs play a 440 Hz sine.
class SineClient {
public:
    SineClient()
    {
        m_client = jack_client_open("rz-sine", JackNoStartServer, nullptr);
        if (!m_client)
            return;
        for (int i = 0; i < 2; ++i)
            m_ports[i] = jack_port_register(m_client, i == 0 ? "left" : "right", JACK_DEFAULT_AUDIO_TYPE,
                                            JackPortIsOutput, 0);
        jack_set_process_callback(m_client, &SineClient::process, this);
        m_rate = jack_get_sample_rate(m_client);
        jack_activate(m_client);
    }
    ~SineClient()
    {
        if (m_client)
            jack_client_close(m_client);
    }
    bool ok() const { return m_client && m_ports[0] && m_ports[1]; }
    bool connect(int side, const std::string& destination)
    {
        return jack_connect(m_client, jack_port_name(m_ports[side]), destination.c_str()) == 0;
    }

private:
    static int process(jack_nframes_t frames, void* self)
    {
        auto* client = static_cast<SineClient*>(self);
        auto* left = static_cast<float*>(jack_port_get_buffer(client->m_ports[0], frames));
        auto* right = static_cast<float*>(jack_port_get_buffer(client->m_ports[1], frames));
        for (jack_nframes_t i = 0; i < frames; ++i) {
            left[i] = right[i] = 0.5f * float(std::sin(2 * std::numbers::pi * 440 * double(client->m_frame) / client->m_rate));
            ++client->m_frame;
        }
        return 0;
    }

    jack_client_t* m_client = nullptr;
    jack_port_t* m_ports[2] = {nullptr, nullptr};
    uint64_t m_frame = 0;
    double m_rate = 44100;
};

TEST(AudioCaptureJack, ServerSineReachesTheRing)
{
    std::string error;
    auto server = JackServer::start(error);
    ASSERT_TRUE(server) << error;

    const std::vector<std::string> devices = CAudioGrabber::DeviceNames();
    EXPECT_NE(std::find(devices.begin(), devices.end(), CAudioGrabber::kJackDevice), devices.end());
    const std::vector<std::string> inputs = CAudioGrabber::InputNames(CAudioGrabber::kJackDevice);
    ASSERT_FALSE(inputs.empty());
    EXPECT_EQ(inputs.front(), "system:capture_1 + system:capture_2");

    CSampleGrabberCB sink;
    WaveFormat format;
    sink.Reset(&format);
    CAudioGrabber grabber;
    ASSERT_EQ(grabber.BuildGraph(CAudioGrabber::kJackDevice, inputs.front(), 10000, sink), 0)
        << grabber.lastError();
    EXPECT_EQ(sink.format().sampleRate, JackServer::kSampleRate);
    const std::vector<std::string> ports = grabber.jackPortNames();
    ASSERT_EQ(ports.size(), 2u);

    SineClient sine;
    ASSERT_TRUE(sine.ok());
    ASSERT_TRUE(sine.connect(0, ports[0]));
    ASSERT_TRUE(sine.connect(1, ports[1]));

    // Half full scale, so the loudest sample is near 16383 once the sine arrives.
    int peak = 0;
    EXPECT_TRUE(eventually(
        [&] {
            const uint8_t* data = nullptr;
            size_t size = 0;
            while (sink.GetNext(&data, &size, nullptr)) {
                const auto* samples = reinterpret_cast<const int16_t*>(data);
                for (size_t i = 0; i < size / 2; ++i)
                    peak = std::max(peak, std::abs(int(samples[i])));
                sink.GetNext(nullptr, nullptr, nullptr);
            }
            return peak > 15000;
        },
        std::chrono::seconds(10)));
    EXPECT_LT(peak, 16500);
    EXPECT_EQ(grabber.Teardown(), 0);
    EXPECT_TRUE(grabber.jackPortNames().empty());
}

} // namespace
} // namespace rz
