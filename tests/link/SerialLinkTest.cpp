#include "LinkFakes.h"
#include "core/MessageNumbers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ListFreePorts, SkipsHeldPortsAndKeepsTheCurrentName)
{
    LinkRig rig;
    rig.portList = {"/dev/ttyA", "/dev/ttyB", "/dev/ttyC"};
    rig.port.busy = {"/dev/ttyB"};
    EXPECT_EQ(rig.link.listFreePorts(), (std::vector<std::string> {"/dev/ttyA", "/dev/ttyC"}));
    EXPECT_THAT(rig.trace, ElementsAre("Port not free /dev/ttyB"));
    EXPECT_EQ(rig.port.GetPort(), "COM1");
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_THAT(rig.events, ElementsAre("setport /dev/ttyA", "open /dev/ttyA", "close /dev/ttyA", "setport /dev/ttyB",
                                        "open-fail /dev/ttyB", "setport /dev/ttyC", "open /dev/ttyC",
                                        "close /dev/ttyC", "setport COM1"));
}

TEST(ListFreePorts, CopesWithAPortLeftOpenByAFailedScan)
{
    LinkRig rig;
    rig.port.SetPort("/dev/ttyB");
    rig.port.Open();
    rig.portList = {"/dev/ttyA", "/dev/ttyB"};
    EXPECT_EQ(rig.link.listFreePorts(), rig.portList);
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_EQ(rig.port.GetPort(), "/dev/ttyB");
}

TEST(OpenLink, ScanWithoutFreePortsWarnsWithoutShowingProgress)
{
    LinkRig rig;
    rig.autoScan = true;
    rig.portList = {"/dev/ttyA"};
    rig.port.busy = {"/dev/ttyA"};
    EXPECT_FALSE(rig.link.openLink("COM1"));
    ASSERT_EQ(rig.user.boxes.size(), 1u);
    EXPECT_EQ(rig.user.boxes[0].type, MsgType::Warning);
    EXPECT_EQ(rig.user.boxes[0].text, LinkRig::message(Msg::NoMachineConnected));
    EXPECT_EQ(rig.user.boxes[0].buttons, unsigned(MbOK));
    EXPECT_TRUE(rig.progress.calls.empty());
}

TEST(OpenLink, ScanFindsTheMowerOnTheSecondPortAndLeavesItOpen)
{
    LinkRig rig;
    rig.autoScan = true;
    rig.portList = {"/dev/ttyA", "/dev/ttyB"};
    FakeMower mower;
    mower.onPort = "/dev/ttyB";
    mower.attach(rig.port);

    EXPECT_TRUE(rig.link.openLink("COM1"));
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_EQ(rig.port.GetPort(), "/dev/ttyB");
    EXPECT_THAT(rig.trace, ElementsAre("Trying port: /dev/ttyA",
                                       "Bad echo or no echo when switch in test mode, received byte: 84 on port: "
                                       "/dev/ttyA",
                                       "Trying port: /dev/ttyB", "Machine connected on port: /dev/ttyB"));
    EXPECT_THAT(rig.progress.calls,
                ElementsAre("caption " + LinkRig::message(Msg::PortTestCaption), "max 2", "show",
                            "text " + LinkRig::message(Msg::TestingPort) + " /dev/ttyA",
                            "text " + LinkRig::message(Msg::TestingPort) + " /dev/ttyB", "hide"));
    EXPECT_THAT(rig.progress.positions, ElementsAre(0, 1));
    EXPECT_TRUE(rig.user.boxes.empty());
}

TEST(OpenLink, ScanThatFindsNothingLeavesTheLastPortOpenAndWarns)
{
    LinkRig rig;
    rig.autoScan = true;
    rig.portList = {"/dev/ttyA", "/dev/ttyB"};
    EXPECT_FALSE(rig.link.openLink("COM1"));
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_EQ(rig.port.GetPort(), "/dev/ttyB");
    EXPECT_FALSE(rig.progress.visible);
    ASSERT_EQ(rig.user.boxes.size(), 1u);
    EXPECT_EQ(rig.user.boxes[0].text, LinkRig::message(Msg::NoMachineConnected));
}

TEST(OpenLink, FixedPortOpensWithoutTalkingOrWarnsWhenHeld)
{
    LinkRig rig;
    EXPECT_TRUE(rig.link.openLink("/dev/ttyA"));
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_TRUE(rig.port.writes.empty());
    rig.port.Close();

    rig.port.busy = {"/dev/ttyB"};
    EXPECT_FALSE(rig.link.openLink("/dev/ttyB"));
    EXPECT_FALSE(rig.port.IsOpen());
    ASSERT_EQ(rig.user.boxes.size(), 1u);
    EXPECT_EQ(rig.user.boxes[0].type, MsgType::Warning);
    EXPECT_EQ(rig.user.boxes[0].text, LinkRig::message(Msg::PortNotFree));
    EXPECT_TRUE(rig.trace.empty());
}

TEST(EnterTestMode, MowerSilentAtOnceEchoesOnTheFirstAttempt)
{
    LinkRig rig;
    rig.port.Open();
    FakeMower mower;
    mower.byteSpacingMicros = 0;  // the first echo is gone with the first clearing
    mower.attach(rig.port);
    rig.events.clear();
    EXPECT_TRUE(rig.link.enterTestMode());
    EXPECT_THAT(rig.events, ElementsAre("clear io", "write 54", "clear i", "sleep 50", "clear io", "write 54",
                                        "sleep 10", "read 54"));
}

TEST(EnterTestMode, NothingConnectedFailsAfterThreeWritesWithByte84)
{
    LinkRig rig;
    rig.port.Open();
    rig.events.clear();
    EXPECT_FALSE(rig.link.enterTestMode());
    EXPECT_THAT(rig.eventsStartingWith("write"), ElementsAre("write 54", "write 54", "write 54", "write 54"));
    EXPECT_THAT(rig.eventsStartingWith("read"), ElementsAre("read -", "read -"));
    EXPECT_THAT(rig.trace, ElementsAre("Bad echo or no echo when switch in test mode, received byte: 84 on port: COM1"));
}

TEST(EnterTestMode, LogsTheByteOfTheSecondAttempt)
{
    {
        LinkRig rig;
        rig.port.Open();
        FakeMower mower;
        mower.echoByte = 0x41;
        mower.attach(rig.port);
        EXPECT_FALSE(rig.link.enterTestMode());
        EXPECT_THAT(rig.trace,
                    ElementsAre("Bad echo or no echo when switch in test mode, received byte: 65 on port: COM1"));
    }
    {
        // A wrong byte in the first attempt and none in the second logs 84.
        LinkRig rig;
        rig.port.Open();
        int writes = 0;
        rig.port.onWrite = [&writes](ScriptedPort& port, const Bytes&) {
            if (++writes == 2)
                port.arrive({0x41});
        };
        EXPECT_FALSE(rig.link.enterTestMode());
        EXPECT_THAT(rig.trace,
                    ElementsAre("Bad echo or no echo when switch in test mode, received byte: 84 on port: COM1"));
    }
}

// A line that talks until a given time: one byte a millisecond.
void talkUntil(LinkRig& rig, std::uint64_t micros)
{
    const std::uint64_t start = rig.clock.micros();
    rig.port.arrive(Bytes((micros - start) / 1000, 0x55), 0, 1000);
}

TEST(EnterTestMode, LineMustFallSilentWithinNineChecks)
{
    {
        LinkRig rig;
        rig.port.Open();
        talkUntil(rig, rig.clock.micros() + 400000);  // silent from the ninth cycle on
        FakeMower mower;
        mower.byteSpacingMicros = 0;
        mower.attach(rig.port);
        EXPECT_TRUE(rig.link.enterTestMode());
        EXPECT_EQ(rig.eventsStartingWith("sleep 50").size(), 9u);
    }
    {
        LinkRig rig;
        rig.port.Open();
        talkUntil(rig, rig.clock.micros() + 450000);  // silent only in the tenth, which is not checked
        EXPECT_FALSE(rig.link.enterTestMode());
        EXPECT_EQ(rig.eventsStartingWith("sleep 50").size(), 10u);
        EXPECT_THAT(rig.eventsStartingWith("write"), ElementsAre("write 54"));
        EXPECT_THAT(rig.trace, ElementsAre("not able to pass in test mode (on port)COM1"));
    }
}

struct FrameRig : LinkRig {
    FrameRig()
    {
        port.Open();
        port.onWrite = [this](ScriptedPort& p, const Bytes& b) {
            if (b == Bytes {'I'})
                p.arrive(reply, 260, 260);
        };
    }
    Bytes reply = validFrame();
    InfoFrame frame {};
};

TEST(ReadInfoFrame, ValidityFollowsBootloaderAndSerialNumber)
{
    FrameRig rig;
    rig.reply[15] = 0x22;
    rig.reply[11] = 0x04;
    EXPECT_TRUE(rig.link.readInfoFrame(rig.frame));
    EXPECT_TRUE(std::equal(rig.frame.begin(), rig.frame.end(), rig.reply.begin()));
    EXPECT_THAT(rig.events, ::testing::Contains("read " + hexBytes(rig.reply.data(), 16)));

    for (const std::uint8_t boot : {0x14, 0x21, 0x23}) {
        FrameRig r;
        r.reply[15] = boot;
        EXPECT_TRUE(r.link.readInfoFrame(r.frame)) << int(boot);
    }
    FrameRig low;
    low.reply[11] = 0x03;
    EXPECT_FALSE(low.link.readInfoFrame(low.frame));
    EXPECT_THAT(low.trace,
                ElementsAre("Bad info, received buffer is 00 06 00 00 00 00 04 08 07 16 01 03 a1 b2 c3 22 "));
    EXPECT_EQ(low.frame[11], 0x03);  // the frame is handed over even when refused

    FrameRig boot;
    boot.reply[15] = 0x20;
    EXPECT_FALSE(boot.link.readInfoFrame(boot.frame));
    FrameRig high;
    high.reply[11] = 0xFF;  // compared as unsigned
    EXPECT_TRUE(high.link.readInfoFrame(high.frame));
}

TEST(ReadInfoFrame, AnythingButSixteenBytesTimesOutAfter400ms)
{
    for (const std::size_t size : {std::size_t(0), std::size_t(15), std::size_t(17)}) {
        FrameRig rig;
        rig.reply.resize(size, 0x22);
        const std::uint64_t start = rig.clock.micros();
        EXPECT_FALSE(rig.link.readInfoFrame(rig.frame));
        EXPECT_EQ(rig.clock.micros() - start, 400000u);
        EXPECT_EQ(rig.eventsStartingWith("sleep 4").size(), 100u);
        EXPECT_THAT(rig.trace, ElementsAre("info frame timeout, size of received frame :" + std::to_string(size)
                                           + " infoWaitTime = 0"));
    }
}

TEST(CheckMower, DoesNotAskForTheFrameWithoutTestMode)
{
    LinkRig rig;
    rig.port.Open();
    EXPECT_FALSE(rig.link.checkMower());
    EXPECT_THAT(rig.events, ::testing::Not(::testing::Contains("write 49")));

    LinkRig ok;
    ok.port.Open();
    FakeMower mower;
    mower.attach(ok.port);
    EXPECT_TRUE(ok.link.checkMower());
    EXPECT_THAT(ok.eventsStartingWith("write"), ElementsAre("write 54", "write 54", "write 49"));
}

// Answers 'B' with bytes at the given delays (microseconds after the 'B').
struct SyncRig : LinkRig {
    explicit SyncRig(std::vector<std::pair<std::uint64_t, std::uint8_t>> answer)
    {
        port.Open();
        events.clear();
        port.onWrite = [answer](ScriptedPort& p, const Bytes& b) {
            if (b == Bytes {'B'})
                for (const auto& [delay, byte] : answer)
                    p.arrive({byte}, delay);
        };
    }
};

TEST(WaitForSynchro, TheLastByteReceivedDecides)
{
    SyncRig ack({{1000, 0x06}});
    EXPECT_TRUE(ack.link.waitForSynchro());
    EXPECT_THAT(ack.events, ElementsAre("clear io", "write 74", "sleep 5", "write 42", "sleep 300", "read 06",
                                        "sleep 100"));
    SyncRig nakThenAck({{1000, 0x15}, {1300, 0x06}});
    EXPECT_TRUE(nakThenAck.link.waitForSynchro());
    SyncRig ackThenNak({{1000, 0x06}, {1300, 0x15}});
    EXPECT_FALSE(ackThenNak.link.waitForSynchro());
    SyncRig silent({});
    EXPECT_FALSE(silent.link.waitForSynchro());
    EXPECT_THAT(silent.events, ElementsAre("clear io", "write 74", "sleep 5", "write 42", "sleep 300"));
}

TEST(WaitForSynchro, ReadsUpToThreePasses)
{
    SyncRig late({{1000, 0x15}, {350000, 0x06}});  // the 0x06 in the second pass
    EXPECT_TRUE(late.link.waitForSynchro());

    SyncRig tooLate({{1000, 0x15}, {350000, 0x15}, {450000, 0x15}, {550000, 0x06}});
    EXPECT_FALSE(tooLate.link.waitForSynchro());
    EXPECT_EQ(tooLate.eventsStartingWith("sleep 100").size(), 3u);
}

}  // namespace
