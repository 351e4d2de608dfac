#include "out_port_fixture.h"

#include "engine/mtc.h"
#include "tests/support/fake_instrument.h"

namespace rz {
namespace {

using OutPortMtc = OutPortFixture;

CSmpteTime at(int rate, int hours, int minutes, int seconds, int frames)
{
    return CSmpteTime::fromFields(rate, hours, minutes, seconds, frames, 0);
}

Hex quarterFrames(const CSmpteTime& time)
{
    Hex pieces;
    for (int piece = 0; piece < 8; ++piece) {
        const uint32_t message = mtcQuarterFrame(time, piece);
        pieces.push_back(hexBytes({uint8_t(message), uint8_t(message >> 8)}));
    }
    return pieces;
}

TEST_F(OutPortMtc, FullAndQuarterFramesCarryTheTimeAndTheRateCode)
{
    struct Case {
        int rate;
        const char* fullFrame;
        const char* lastQuarter;
    };
    const Case cases[] = {
        {0, "F0 7F 00 01 01 01 02 03 04 F7", "F1 70"},
        {1, "F0 7F 00 01 01 21 02 03 04 F7", "F1 72"},
        {2, "F0 7F 00 01 01 41 02 03 04 F7", "F1 74"},
        {3, "F0 7F 00 01 01 61 02 03 04 F7", "F1 76"},
    };
    for (const Case& c : cases) {
        const CSmpteTime time = at(c.rate, 1, 2, 3, 4);
        EXPECT_EQ(sentBy([&] { port->SendMtcFullFrame(time); }), Hex{c.fullFrame});
        const Hex expectedQuarters = {"F1 04", "F1 10", "F1 23", "F1 30",
                                      "F1 42", "F1 50", "F1 61", c.lastQuarter};
        EXPECT_EQ(sentBy([&] {
                      for (int piece = 0; piece < 8; ++piece)
                          port->SendMtcQuarterFrame(time, piece);
                  }),
                  expectedQuarters)
            << "rate " << c.rate;
    }
}

TEST_F(OutPortMtc, MillisecondTimesGoOutAsThirtyFramesPerSecond)
{
    const CSmpteTime rate3 = at(kSmpteRate30, 1, 2, 3, 4);
    const CSmpteTime rate4(rate3.time(), kSmpteRateMs);
    ASSERT_EQ(rate4.frames(), 133);
    EXPECT_EQ(mtcFullFrame(rate4), mtcFullFrame(rate3));
    EXPECT_EQ(quarterFrames(rate4), quarterFrames(rate3));
}

TEST_F(OutPortMtc, NoDataByteReachesTheStatusRange)
{
    const CSmpteTime times[] = {
        at(kSmpteRateMs, 23, 59, 59, 999),
        at(kSmpteRate24, 25, 0, 0, 0),
        at(kSmpteRate30, 31, 59, 59, 29),
        CSmpteTime(1e15, kSmpteRate30Drop),
    };
    for (const CSmpteTime& time : times) {
        const auto full = mtcFullFrame(time);
        for (size_t i = 1; i + 1 < full.size(); ++i)
            EXPECT_LT(full[i], 0x80) << time.Format() << " byte " << i;
        for (int piece = 0; piece < 8; ++piece)
            EXPECT_LT((mtcQuarterFrame(time, piece) >> 8) & 0xFF, 0x80u) << time.Format();
    }
    EXPECT_EQ(mtcFields(at(kSmpteRateMs, 23, 59, 59, 999)).frames, 29);
    EXPECT_EQ(mtcFields(at(kSmpteRate24, 25, 0, 0, 0)).hours, 1) << "time code wraps a day";
}

TEST_F(OutPortMtc, QuarterFramesGoToDevicePortsOnly)
{
    auto fake = std::make_unique<FakeInstrument>();
    FakeInstrument* instrument = fake.get();
    COutPort instrumentPort("/plugins/organ.so", std::move(fake));
    ASSERT_TRUE(instrumentPort.Open());
    instrumentPort.SendMtcQuarterFrame(at(kSmpteRate25, 1, 2, 3, 4), 0);
    instrumentPort.SendMtcFullFrame(at(kSmpteRate25, 1, 2, 3, 4));
    EXPECT_TRUE(instrument->queued().empty());
}

} // namespace
} // namespace rz
