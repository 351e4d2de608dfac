#pragma once

// Every JACK test runs against a dummy server of its own, started for the
// test and stopped by its PID afterwards.

#include "tests/platform/midi_jack_test_client.h"
#include "tests/support/jack_server.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace rz {

class JackServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        // Realtime, as a stage machine runs it: a starved server misplaces
        // its own cycles, which no device can make up for.
        m_server = JackServer::start(error, true);
        ASSERT_TRUE(m_server) << error;
    }
    void TearDown() override { m_server.reset(); }

    // A test client on the server, or a failed assertion. A server busy
    // beside other work may time out an open: it is tried again.
    std::unique_ptr<JackTestClient> makeTestClient(const char* name = "rz-test")
    {
        auto client = std::make_unique<JackTestClient>(name);
        for (int attempt = 1; attempt < 3 && !client->ok(); ++attempt) {
            client.reset();
            client = std::make_unique<JackTestClient>(name);
        }
        EXPECT_TRUE(client->ok()) << "cannot open the test client on " << m_server->name();
        return client;
    }

    std::unique_ptr<JackServer> m_server;
};

} // namespace rz
