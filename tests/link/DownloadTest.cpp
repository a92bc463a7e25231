#include "LinkFakes.h"
#include "core/MessageNumbers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes pattern(std::size_t count, std::uint8_t seed)
{
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 31 + seed);
    return bytes;
}

struct DownloadRig : LinkRig {
    DownloadRig()
    {
        mower.attach(port);
        port.SetPort("/dev/ttyM");
        image.fill(0xEE);
    }
    bool download() { return link.downloadHistory(frame, image); }
    Bytes imageBytes() const { return Bytes(image.begin(), image.end()); }
    int requests() const { return int(eventsStartingWith("write 48").size()); }

    FakeMower mower;
    InfoFrame frame {};
    HistoryImage image {};
};

TEST(Download, WholeImageInOneRequest)
{
    DownloadRig rig;
    const Bytes sent = pattern(8192, 1);
    rig.mower.historyReplies = {sent};
    ASSERT_TRUE(rig.download());
    EXPECT_EQ(rig.imageBytes(), sent);
    EXPECT_TRUE(std::equal(rig.frame.begin(), rig.frame.end(), validFrame().begin()));
    EXPECT_EQ(rig.requests(), 1);
    EXPECT_EQ(rig.progress.positions.size(), 8193u);  // 0 first, then once before each byte
    EXPECT_EQ(rig.progress.positions.back(), 8191);
    EXPECT_THAT(rig.progress.calls, ElementsAre("caption " + LinkRig::message(Msg::DownloadCaption), "text " + LinkRig::message(Msg::LoadingHistory),
                                                "show", "max 8192", "hide"));
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_TRUE(rig.user.boxes.empty());
    EXPECT_THAT(rig.trace, ElementsAre("Request loading history"));
    // 'H' follows two clearings and is followed by the 100 ms wait.
    const auto h = std::find(rig.events.begin(), rig.events.end(), "write 48");
    ASSERT_NE(h, rig.events.end());
    EXPECT_EQ(*(h - 1), "clear io");
    EXPECT_EQ(*(h - 2), "clear io");
    EXPECT_EQ(*(h + 1), "sleep 100");
    EXPECT_EQ(rig.events.back(), "close /dev/ttyM");
}

TEST(Download, RequestsAreRepeatedAndTheByteCountCarriesOver)
{
    DownloadRig silentFirst;
    silentFirst.mower.historyReplies = {{}, pattern(8192, 2)};
    EXPECT_TRUE(silentFirst.download());
    EXPECT_EQ(silentFirst.requests(), 2);
    EXPECT_EQ(silentFirst.imageBytes(), pattern(8192, 2));

    DownloadRig thirds;
    const Bytes all = pattern(8192, 3);
    thirds.mower.historyReplies = {Bytes(all.begin(), all.begin() + 3000), Bytes(all.begin() + 3000, all.begin() + 6000),
                                   Bytes(all.begin() + 6000, all.end())};
    EXPECT_TRUE(thirds.download());
    EXPECT_EQ(thirds.requests(), 3);
    EXPECT_EQ(thirds.imageBytes(), all);
    EXPECT_TRUE(thirds.user.boxes.empty());

    DownloadRig halves;
    halves.mower.historyReplies = {Bytes(all.begin(), all.begin() + 4096), Bytes(all.begin() + 4096, all.end()),
                                   Bytes(8192, 0x00)};
    EXPECT_TRUE(halves.download());
    EXPECT_EQ(halves.requests(), 2);
    EXPECT_EQ(halves.imageBytes(), all);
}

TEST(Download, PauseLongerThan50msEndsTheRequestAndTheNextOneGoesOn)
{
    DownloadRig rig;
    const Bytes all = pattern(8192, 4);
    rig.mower.onHistory = [&all](ScriptedPort& p, std::size_t request) {
        if (request == 0) {
            p.arrive(Bytes(all.begin(), all.begin() + 5000), 260, 260);
            p.arrive(Bytes(all.begin() + 5000, all.end()), 260 * 5000 + 60000, 260);
        }
    };
    ASSERT_TRUE(rig.download());
    EXPECT_EQ(rig.requests(), 2);
    EXPECT_EQ(rig.imageBytes(), all);
}

TEST(Download, NoAnswerFailsAfterThreeRequests)
{
    DownloadRig rig;
    ASSERT_FALSE(rig.download());
    EXPECT_EQ(rig.requests(), 3);
    std::vector<std::string> sleepsAfterFirstRequest;
    for (auto e = std::find(rig.events.begin(), rig.events.end(), "write 48"); e != rig.events.end(); ++e)
        if (e->rfind("sleep", 0) == 0)
            sleepsAfterFirstRequest.push_back(*e);
    EXPECT_THAT(sleepsAfterFirstRequest, ElementsAre("sleep 100", "sleep 100", "sleep 100"));
    ASSERT_EQ(rig.user.boxes.size(), 1u);
    EXPECT_EQ(rig.user.boxes[0].type, MsgType::Error);
    EXPECT_EQ(rig.user.boxes[0].text, LinkRig::message(Msg::MachineInfoFailed));
    EXPECT_EQ(rig.trace.back(), "Couldn't load history nbByte loaded: 0//retry count :3");
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_FALSE(rig.progress.visible);

    DownloadRig partial;
    partial.mower.historyReplies = {pattern(100, 5), pattern(200, 6)};
    ASSERT_FALSE(partial.download());
    EXPECT_EQ(partial.trace.back(), "Couldn't load history nbByte loaded: 300//retry count :3");
}

TEST(Download, BytesBeyondTheImageAreReadAndDropped)
{
    DownloadRig rig;
    const Bytes sent = pattern(9000, 7);
    rig.mower.historyReplies = {sent};
    ASSERT_TRUE(rig.download());
    EXPECT_EQ(rig.imageBytes(), Bytes(sent.begin(), sent.begin() + 8192));
    EXPECT_EQ(rig.requests(), 1);
    EXPECT_LE(rig.progress.positions.back(), 8191);
}

TEST(Download, HandshakeFailuresCloseThePort)
{
    DownloadRig noTestMode;
    noTestMode.mower.echo = false;
    EXPECT_FALSE(noTestMode.download());
    ASSERT_EQ(noTestMode.user.boxes.size(), 1u);
    EXPECT_EQ(noTestMode.user.boxes[0].type, MsgType::Error);
    EXPECT_EQ(noTestMode.user.boxes[0].text, LinkRig::message(Msg::DownloadNoCommunication));
    EXPECT_FALSE(noTestMode.port.IsOpen());
    EXPECT_EQ(noTestMode.requests(), 0);

    DownloadRig badFrame;
    badFrame.mower.frame[15] = 0x20;
    EXPECT_FALSE(badFrame.download());
    ASSERT_EQ(badFrame.user.boxes.size(), 1u);
    EXPECT_EQ(badFrame.user.boxes[0].text, LinkRig::message(Msg::MachineInfoFailed));
    EXPECT_EQ(badFrame.frame[15], 0x20);  // the refused frame is in the buffer
    EXPECT_FALSE(badFrame.port.IsOpen());
    EXPECT_EQ(badFrame.requests(), 0);
}

TEST(Download, PortErrorInAnyStepEndsTheDownloadWithThePortClosed)
{
    // A device that goes away: at 'T', at 'I', at 'H'. A port left open on it
    // would make every later download on that name fail the same way.
    for (const int unplugAt : {0, 2, 3}) {
        DownloadRig rig;
        rig.mower.historyReplies = {pattern(8192, 9)};
        rig.port.writesBeforeUnplug = unplugAt;
        bool done = true;
        EXPECT_NO_THROW(done = rig.download()) << unplugAt;
        EXPECT_FALSE(done) << unplugAt;
        EXPECT_FALSE(rig.port.IsOpen()) << unplugAt;
        EXPECT_FALSE(rig.progress.visible) << unplugAt;
        EXPECT_EQ(rig.user.boxes.size(), 1u) << unplugAt;
    }
}

TEST(Download, AfterAScanTheMowerSeesTestModeAndFrameTwice)
{
    DownloadRig rig;
    rig.autoScan = true;
    rig.portList = {"/dev/ttyM"};
    rig.mower.historyReplies = {pattern(8192, 8)};
    ASSERT_TRUE(rig.download());
    EXPECT_EQ(rig.eventsStartingWith("write 49").size(), 2u);
    EXPECT_EQ(rig.eventsStartingWith("write 54").size(), 4u);
    EXPECT_FALSE(rig.port.IsOpen());
}

}  // namespace
