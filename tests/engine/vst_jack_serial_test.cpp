// The test instrument opened from the profile at Init and played through the
// real audio engines on a JACK dummy server: its note reaches another client.

#include "engine/vst_loader.h"
#include "tests/engine/audio_engine_jack_fixture.h"
#include "tests/engine/vst_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace rz {
namespace {

constexpr uint32_t kPeriod = JackServer::kPeriodFrames;

class VstJack : public AudioEngineJackTest {
protected:
    // The audio fixture's engine, with the program's instrument loader.
    CSequencer& startWithVst()
    {
        engine = std::make_unique<CSequencer>(SequencerServices{.profile = profile,
                                                                .prompt = prompt,
                                                                .gui = gui,
                                                                .toGui = posts,
                                                                .devices = devices,
                                                                .instruments = loader,
                                                                .timer = timer,
                                                                .audio = audio});
        vstHost.attach(engine.get());
        engine->Init();
        return *engine;
    }

    float loudest() const
    {
        const JackAudioTestClient::Recording heard = client->recording();
        float peak = 0.0f;
        for (size_t i = 0; i < heard.left.size(); ++i)
            peak = std::max({peak, std::abs(heard.left[i]), std::abs(heard.right[i])});
        return peak;
    }

    SequencerVstHost vstHost;
    VstInstrumentLoader loader{vstHost, nullptr};
};

TEST_F(VstJack, ANotePlayedToTheProfilesInstrumentReachesTheClient)
{
    profile.writeInt("AudioOptions", "RTinput", 0);
    profile.writeString("VST\\0", "path", vstTestLibrary("vst_test_instrument").string());
    CSequencer& sequencer = startWithVst();
    ASSERT_NE(audio.jackDevice(), nullptr);
    ASSERT_EQ(sequencer.ports()->outputs.size(), 2u) << "the device port and the instrument";
    COutPort* port = nullptr;
    for (const auto& output : sequencer.ports()->outputs)
        if (output->isInstrument())
            port = output.get();
    ASSERT_NE(port, nullptr) << "the profile's instrument did not open";
    EXPECT_EQ(port->name(), "Rizoraz Test Sine");
    EXPECT_TRUE(port->isOpen());

    client->record();
    ASSERT_TRUE(eventually([&] { return client->recordedFrames() >= 8 * kPeriod; }));
    EXPECT_EQ(loudest(), 0.0f) << "silent before the note";

    port->SendRaw(0x7F3C90); // note-on, channel 1, middle C, velocity 127
    // The instrument plays 0.2 at full velocity.
    EXPECT_TRUE(eventually([&] { return loudest() > 0.1f; }))
        << "the note never reached the client; loudest " << loudest();
}

} // namespace
} // namespace rz
