#pragma once

// The set and the engine input the song recorder runs against in tests.

#include "engine/audio/song_recorder.h"
#include "tests/support/fake_song_host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace rz {

// The songs of a set in order; selecting one makes it the host's current song.
class FakeRecorderSet : public IRecorderSet {
public:
    explicit FakeRecorderSet(FakeSongHost& host) : m_host(host) {}
    std::vector<CSongDoc*> songs;
    std::filesystem::path folder;
    size_t index = 0;

    bool setOpen() const override { return !songs.empty(); }
    std::filesystem::path setFolder() const override { return folder; }
    CSongDoc* SelectSongByIndex(size_t i) override
    {
        index = i;
        m_host.current = i < songs.size() ? songs[i] : nullptr;
        return m_host.current;
    }
    bool StepSong() override
    {
        if (index + 1 >= songs.size())
            return false;
        SelectSongByIndex(index + 1);
        return true;
    }

private:
    FakeSongHost& m_host;
};

// The engine's input: the test plays the capture thread.
class FakeRecorderInput : public IRecorderInput {
public:
    static constexpr uint32_t kRate = 44100;
    CWaveDiskWriter* sink = nullptr;
    int attaches = 0;
    int releases = 0;
    bool available = true; // false: the engine has no input to attach

    uint32_t sampleRate() const override { return kRate; }
    bool attach(CWaveDiskWriter& s) override
    {
        if (!available)
            return false;
        sink = &s;
        ++attaches;
        return true;
    }
    void release() override
    {
        sink = nullptr;
        ++releases;
    }
    // `frames` frames of (left, right).
    void feed(int16_t left, int16_t right, size_t frames)
    {
        ASSERT_NE(sink, nullptr);
        std::vector<int16_t> samples;
        for (size_t i = 0; i < frames; ++i)
            samples.insert(samples.end(), {left, right});
        ASSERT_TRUE(sink->Append(samples.data(), samples.size() * 2));
    }
};

} // namespace rz
