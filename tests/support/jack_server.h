#pragma once

#include <memory>
#include <string>
#include <utility>

#include <sys/types.h>

namespace rz {

// The dummy driver's audio ports: system:capture_N and system:playback_N.
struct JackDummyPorts {
    unsigned capture = 2;
    unsigned playback = 2;
};

// A JACK server of our own for one test process: the dummy driver at
// 44100 Hz with 256-frame periods, under a name no other process uses
// ("rz-<pid>-<n>", never the default). Starting it points JACK_DEFAULT_SERVER
// at it; destroying it stops it by its PID. The server dies with the test
// process even when the test crashes.
class JackServer {
public:
    static constexpr unsigned kSampleRate = 44100;
    static constexpr unsigned kPeriodFrames = 256;
    // Below the realtime watchdog's 5 s.
    static constexpr unsigned kClientTimeoutMs = 2000;

    // The running server, or null with the reason in `error` (a missing
    // jackd names the package to install).
    // `realtime` asks jackd for realtime scheduling (-R), as a bench does;
    // `ports` sets the dummy driver's port counts (-C, -P).
    static std::unique_ptr<JackServer> start(std::string& error, bool realtime = false,
                                             JackDummyPorts ports = {});
    ~JackServer();
    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    const std::string& name() const { return m_name; }
    pid_t pid() const { return m_pid; }
    // SIGTERM (and SIGCONT, should a test have stopped it), then SIGKILL
    // after 2 s; waits for the process either way. JACK keeps eight server
    // slots per user, and a killed server holds its slot until a server of
    // the same name comes and goes: stop() does that after a SIGKILL. It
    // also removes the files the server's clients leave behind.
    void stop();

private:
    JackServer(std::string name, pid_t pid) : m_name(std::move(name)), m_pid(pid) {}

    std::string m_name;
    pid_t m_pid;
};

// The absolute path of `program` on PATH, or empty.
std::string findOnPath(const std::string& program);

} // namespace rz
