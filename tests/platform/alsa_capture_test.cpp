#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/alsa_capture.h"
#include "tests/support/eventually.h"

namespace rz {
namespace {

// A mixer of three capture elements that records what it is told.
class FakeCaptureMixer : public ICaptureMixer {
public:
    FakeCaptureMixer()
    {
        m_elements = {{"Mic", true, true, 0, 80},
                      {"Line", true, true, -20, 20},
                      {"Capture", false, true, 0, 100},
                      {"CD", true, false, 0, 0}};
        for (const auto& e : m_elements)
            switches[e.name] = true;
    }
    std::vector<CaptureMixerElement> captureElements() const override { return m_elements; }
    bool setCaptureSwitch(const std::string& name, bool on, std::string&) override
    {
        switches[name] = on;
        return true;
    }
    bool setCaptureVolume(const std::string& name, long value, std::string&) override
    {
        volumes[name] = value;
        return true;
    }

    std::map<std::string, bool> switches;
    std::map<std::string, long> volumes;

private:
    std::vector<CaptureMixerElement> m_elements;
};

TEST(AudioCaptureMixer, SelectionTurnsTheNamedInputOnAtItsLevel)
{
    struct Case {
        const char* input;
        int level;
        std::map<std::string, bool> switches;
        std::map<std::string, long> volumes;
    } cases[] = {
        {"Mic", 5000, {{"Mic", true}, {"Line", false}, {"Capture", true}, {"CD", false}}, {{"Mic", 40}}},
        {"line", 5000, {{"Mic", false}, {"Line", true}, {"Capture", true}, {"CD", false}}, {{"Line", 0}}},
        {"LINE", 10000, {{"Mic", false}, {"Line", true}, {"Capture", true}, {"CD", false}}, {{"Line", 20}}},
        {"Mic", 0, {{"Mic", true}, {"Line", false}, {"Capture", true}, {"CD", false}}, {{"Mic", 0}}},
        {"Mic", 20000, {{"Mic", true}, {"Line", false}, {"Capture", true}, {"CD", false}}, {{"Mic", 80}}},
        {"Capture", 2500, {{"Mic", false}, {"Line", false}, {"Capture", true}, {"CD", false}}, {{"Capture", 25}}},
        {"cd", 5000, {{"Mic", false}, {"Line", false}, {"Capture", true}, {"CD", true}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.input) + " at " + std::to_string(c.level));
        FakeCaptureMixer mixer;
        std::string error;
        EXPECT_TRUE(selectCaptureInput(mixer, c.input, c.level, error)) << error;
        EXPECT_EQ(mixer.switches, c.switches);
        EXPECT_EQ(mixer.volumes, c.volumes);
    }
}

TEST(AudioCaptureMixer, UnknownInputIsReportedAndChangesNothing)
{
    FakeCaptureMixer mixer;
    const auto before = mixer.switches;
    std::string error;
    EXPECT_FALSE(selectCaptureInput(mixer, "Phono", 5000, error));
    EXPECT_EQ(error, "the capture device has no input \"Phono\"");
    EXPECT_EQ(mixer.switches, before);
    EXPECT_TRUE(mixer.volumes.empty());
}

TEST(AudioCaptureMixer, CardOfADeviceName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"hw:CARD=PCH,DEV=0", "hw:CARD=PCH"}, {"sysdefault:CARD=USB", "hw:CARD=USB"},
        {"plughw:1,0", "hw:1"},               {"hw:0", "hw:0"},
        {"default", ""},                      {"pulse", ""},
    };
    for (const auto& [device, card] : cases)
        EXPECT_EQ(captureMixerCard(device), card) << device;
}

TEST(AudioCapture, NoSoundCardOpensNoMixerAndReportsTheDevice)
{
    std::string error;
    if (access("/dev/snd/controlC7", F_OK) != 0) {
        EXPECT_EQ(AlsaCaptureMixer::open("hw:CARD=7", error), nullptr);
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(AlsaCaptureMixer::open("default", error), nullptr);
    EXPECT_EQ(error, "default names no sound card");
}

class AudioCaptureInfile : public ::testing::Test {
protected:
    AudioCaptureInfile()
    {
        m_path = std::filesystem::temp_directory_path() / ("rz_capture_" + std::to_string(::getpid()) + ".raw");
        for (size_t i = 0; i < 3 * 8820; ++i)
            m_bytes.push_back(uint8_t(i * 7 + i / 251));
        std::ofstream(m_path, std::ios::binary).write(reinterpret_cast<const char*>(m_bytes.data()),
                                                      std::streamsize(m_bytes.size()));
    }
    ~AudioCaptureInfile() override { std::filesystem::remove(m_path); }

    std::string config() const
    {
        return "pcm.rz_capture { type file slave { pcm { type null } } file \"/dev/null\" infile \""
               + m_path.string() + "\" format \"raw\" }";
    }

    std::filesystem::path m_path;
    std::vector<uint8_t> m_bytes;
};

TEST_F(AudioCaptureInfile, DeliversTheFileInOrder)
{
    AlsaCapture capture;
    AlsaCaptureFormat format;
    std::string error;
    ASSERT_TRUE(capture.openFromConfig(config(), "rz_capture", format, error)) << error;
    EXPECT_EQ(format.rate, 44100u);
    std::mutex mutex;
    std::vector<uint8_t> received;
    std::atomic<bool> ended{false};
    std::string endError;
    ASSERT_TRUE(capture.start(
        [&](const uint8_t* bytes, size_t size) {
            std::lock_guard lock(mutex);
            received.insert(received.end(), bytes, bytes + size);
        },
        [&](const std::string& reason) {
            endError = reason;
            ended = true;
        },
        error))
        << error;
    EXPECT_TRUE(eventually([&] {
        std::lock_guard lock(mutex);
        return received.size() >= m_bytes.size();
    }));
    capture.stop();
    ASSERT_GE(received.size(), m_bytes.size());
    EXPECT_TRUE(std::equal(m_bytes.begin(), m_bytes.end(), received.begin()));
}

TEST(AudioCapture, OpeningAMissingHardwareDeviceReportsItsError)
{
    AlsaCapture capture;
    AlsaCaptureFormat format;
    std::string error;
    EXPECT_FALSE(capture.open("hw:CARD=NoSuchCard,DEV=0", format, error));
    EXPECT_NE(error.find("hw:CARD=NoSuchCard,DEV=0"), std::string::npos) << error;
    EXPECT_FALSE(capture.isOpen());
}

} // namespace
} // namespace rz
