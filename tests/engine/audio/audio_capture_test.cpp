#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/audio/audio_grabber.h"
#include "tests/support/eventually.h"

namespace rz {
namespace {

// An ALSA capture device whose data is a file of ours: the file plugin's
// infile over a null device.
class AudioCaptureFile : public ::testing::Test {
protected:
    AudioCaptureFile()
    {
        m_path = std::filesystem::temp_directory_path()
                 / ("rz_grab_" + std::to_string(::getpid()) + ".raw");
        for (size_t i = 0; i < 5 * 17640; ++i)
            m_bytes.push_back(uint8_t(i * 13 + i / 509));
        std::ofstream(m_path, std::ios::binary).write(reinterpret_cast<const char*>(m_bytes.data()),
                                                      std::streamsize(m_bytes.size()));
        m_grabber.setAlsaConfig("pcm.rz_grab { type file slave { pcm { type null } } file \"/dev/null\" infile \""
                                + m_path.string() + "\" format \"raw\" }");
        m_sink.Reset(&m_format);
    }
    ~AudioCaptureFile() override
    {
        m_grabber.Teardown();
        std::filesystem::remove(m_path);
    }

    // Takes what the ring holds until `out` has the whole file. The null
    // device runs free, so the ring may refill as fast as it drains: an
    // unbounded drain would never return.
    void drainInto(std::vector<uint8_t>& out)
    {
        const uint8_t* data = nullptr;
        size_t size = 0;
        while (out.size() < m_bytes.size() && m_sink.GetNext(&data, &size, nullptr)) {
            out.insert(out.end(), data, data + size);
            m_sink.GetNext(nullptr, nullptr, nullptr);
        }
    }

    std::filesystem::path m_path;
    std::vector<uint8_t> m_bytes;
    WaveFormat m_format;
    CSampleGrabberCB m_sink;
    CAudioGrabber m_grabber;
};

TEST_F(AudioCaptureFile, DeliversTheFileToTheRingInOrder)
{
    ASSERT_EQ(m_grabber.BuildGraph("rz_grab", "", 8000, m_sink), 0) << m_grabber.lastError();
    EXPECT_TRUE(m_grabber.running());
    EXPECT_EQ(m_sink.format().sampleRate, 44100u);
    EXPECT_EQ(m_sink.format().blockAlign, 4);
    std::vector<uint8_t> received;
    EXPECT_TRUE(eventually([&] {
        drainInto(received);
        return received.size() >= m_bytes.size();
    }));
    m_grabber.Teardown();
    EXPECT_FALSE(m_grabber.running());
    ASSERT_GE(received.size(), m_bytes.size());
    EXPECT_TRUE(std::equal(m_bytes.begin(), m_bytes.end(), received.begin()));
}

TEST_F(AudioCaptureFile, UnknownInputIsReported)
{
    EXPECT_EQ(m_grabber.BuildGraph("rz_grab", "Phono", 5000, m_sink), -ENOENT);
    EXPECT_EQ(m_grabber.lastError(), "the capture device has no input \"Phono\"");
    EXPECT_FALSE(m_grabber.running());
    EXPECT_EQ(m_grabber.BuildGraph("rz_grab", "default", 5000, m_sink), 0) << m_grabber.lastError();
}

TEST(AudioCapture, ListingNeedsNoSoundCard)
{
    // Without a card ALSA still lists its plug-in devices; none may be nameless.
    for (const std::string& device : CAudioGrabber::DeviceNames())
        EXPECT_FALSE(device.empty());
    EXPECT_EQ(CAudioGrabber::InputNames("no such device"), std::vector<std::string>{CAudioGrabber::kDefaultInput});
}

TEST(AudioCapture, OpeningAMissingHardwareDeviceReportsItsError)
{
    CSampleGrabberCB sink;
    WaveFormat format;
    sink.Reset(&format);
    CAudioGrabber grabber;
    EXPECT_LT(grabber.BuildGraph("hw:CARD=NoSuchCard,DEV=0", "", 5000, sink), 0);
    EXPECT_NE(grabber.lastError().find("hw:CARD=NoSuchCard,DEV=0"), std::string::npos) << grabber.lastError();
    EXPECT_FALSE(grabber.running());
}

} // namespace
} // namespace rz
