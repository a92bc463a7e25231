#include "LinkFakes.h"
#include "core/AppTexts.h"
#include "core/MessageNumbers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

using ::testing::ElementsAre;

namespace {

struct UpgradeRig : LinkRig {
    UpgradeRig()
    {
        mower.attach(port);
        port.SetPort("/dev/ttyM");
        events.clear();
    }
    ~UpgradeRig() { std::filesystem::remove(path); }

    bool upgrade(const std::string& content)
    {
        std::ofstream(path, std::ios::binary) << content;
        return link.upgradeFirmware(path);
    }

    FakeMower mower;
    std::string path = (std::filesystem::temp_directory_path()
                        / ("quorvane-upgrade-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".TVF"))
                           .string();
};

TEST(Upgrade, SendsEachRecordWithItsSectionsCommandByte)
{
    UpgradeRig rig;
    ASSERT_TRUE(rig.upgrade("[TAG] 2.10\r\n[MAIN]\r\n0a1B\n[EXT]\r00112233\n[FIR]\n0G12\n\n"));
    EXPECT_THAT(rig.mower.records, ElementsAre("P:0a1b", "R:00112233", "Q:ff12", "Q:", "b"));
    EXPECT_THAT(rig.eventsStartingWith("write"),
                ElementsAre("write 74", "write 42", "write 50", "write 0a1b", "write 52", "write 00112233",
                            "write 51", "write ff12", "write 51", "write ", "write 62"));
    ASSERT_EQ(rig.user.boxes.size(), 1u);
    EXPECT_EQ(rig.user.boxes[0].type, MsgType::Confirmation);
    EXPECT_EQ(rig.user.boxes[0].text, LinkRig::message(Msg::ConfirmFirmwareVersion) + " 2.10");
    EXPECT_EQ(rig.user.boxes[0].buttons, unsigned(MbOK | MbCancel));
    EXPECT_THAT(rig.user.plain, ElementsAre(LinkRig::message(Msg::UpgradeDone)));
    EXPECT_THAT(rig.trace, ElementsAre("request software update",
                                       "Update file is: " + std::filesystem::absolute(rig.path).string(),
                                       "start main section", "start ext section", "start fir section"));
    // While the firmware is written the dealer reads not to unplug the mower.
    EXPECT_THAT(rig.progress.calls, ElementsAre("caption " + LinkRig::message(Msg::UpgradeInProgress), "max 8",
                                                "note " + appText(AppText::UpgradeKeepMowerOn), "show", "text MAIN",
                                                "text EXT", "text FIR", "hide"));
    EXPECT_THAT(rig.progress.positions, ElementsAre(1, 2, 3, 4, 5, 6, 7));
    EXPECT_TRUE(rig.port.IsOpen());
    // One answer byte per record, nothing read between lines but the answer.
    EXPECT_THAT(rig.eventsStartingWith("read"),
                ElementsAre("read 06", "read 06", "read 06", "read 06", "read 06"));
}

TEST(Upgrade, TwoLineFileSendsNoRecordButTheClosingByte)
{
    UpgradeRig rig;
    ASSERT_TRUE(rig.upgrade("[TAG]1.0\n[MAIN]"));
    EXPECT_THAT(rig.mower.records, ElementsAre("b"));
    EXPECT_THAT(rig.user.plain, ElementsAre(LinkRig::message(Msg::UpgradeDone)));
}

TEST(Upgrade, CorruptedFilesAreRefusedBeforeAnythingIsSent)
{
    const std::string longLine(608, 'a');
    const std::string longestLine(606, 'a');
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "NO [TAG]"},
        {"[tag]1.0\n[MAIN]\n", "NO [TAG]"},
        {"[TAG]1.0\n", "No MCU tag on first row"},
        {"[TAG]1.0\n[MAIN] \n0a1b\n", "No MCU tag on first row"},
        {"[TAG]1.0\n[main]\n", "No MCU tag on first row"},
        {"[TAG]1.0\n[MAIN]\n0a1b\n0a1\n", "Corrupted data line 4 : odd number of characters"},
        {"[TAG]1.0\n[MAIN]\n0a1b\n[EXT]\n" + longLine + "\n", "Corrupted data line 5 : more than 606 characters"},
    };
    for (const auto& [content, traceLine] : cases) {
        UpgradeRig rig;
        EXPECT_FALSE(rig.upgrade(content)) << traceLine;
        ASSERT_EQ(rig.user.boxes.size(), 1u) << traceLine;
        EXPECT_EQ(rig.user.boxes[0].type, MsgType::Warning);
        EXPECT_EQ(rig.user.boxes[0].text, LinkRig::message(Msg::CorruptedFile) + "\nFile: "
                                              + std::filesystem::absolute(rig.path).string());
        EXPECT_EQ(rig.trace.back(), traceLine);
        EXPECT_TRUE(rig.port.writes.empty()) << traceLine;
        EXPECT_FALSE(rig.port.IsOpen());
        EXPECT_TRUE(rig.progress.calls.empty());
    }
    UpgradeRig longest;
    EXPECT_TRUE(longest.upgrade("[TAG]1.0\n[MAIN]\n" + longestLine));
    EXPECT_EQ(longest.mower.records.front(), "P:" + std::string(606, 'a'));
}

TEST(Upgrade, CancelledOrUnsynchronisedUpgradeClosesThePort)
{
    UpgradeRig cancelled;
    cancelled.user.answer = MbCancel;
    EXPECT_FALSE(cancelled.upgrade("[TAG]1.0\n[MAIN]\n0a1b\n"));
    EXPECT_EQ(cancelled.trace.back(), "update cancelled by user");
    EXPECT_TRUE(cancelled.port.writes.empty());
    EXPECT_FALSE(cancelled.port.IsOpen());

    UpgradeRig unsynchronised;
    unsynchronised.mower.syncAnswer = {0x15};
    EXPECT_FALSE(unsynchronised.upgrade("[TAG]1.0\n[MAIN]\n0a1b\n"));
    ASSERT_EQ(unsynchronised.user.boxes.size(), 2u);
    EXPECT_EQ(unsynchronised.user.boxes[1].type, MsgType::Error);
    EXPECT_EQ(unsynchronised.user.boxes[1].text, LinkRig::message(Msg::UpgradeNoCommunication));
    EXPECT_EQ(unsynchronised.trace.back(), "waitForSynchro return false");
    EXPECT_THAT(unsynchronised.eventsStartingWith("write"), ElementsAre("write 74", "write 42"));
    EXPECT_FALSE(unsynchronised.port.IsOpen());
}

TEST(Upgrade, LinkThatCannotOpenEndsAtOnce)
{
    UpgradeRig rig;
    rig.port.busy = {"/dev/ttyM"};
    EXPECT_FALSE(rig.upgrade("[TAG]1.0\n[MAIN]\n"));
    ASSERT_EQ(rig.user.boxes.size(), 1u);
    EXPECT_EQ(rig.user.boxes[0].text, LinkRig::message(Msg::PortNotFree));
    EXPECT_THAT(rig.trace, ElementsAre("request software update"));
}

TEST(Upgrade, MissingFileClosesThePortAndRaises)
{
    UpgradeRig rig;
    EXPECT_ANY_THROW(rig.link.upgradeFirmware(std::string("/nonexistent/quorvane/x.TVF")));
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_TRUE(rig.port.writes.empty());
}

TEST(Upgrade, DialogCancelledClosesThePort)
{
    UpgradeRig rig;
    EXPECT_FALSE(rig.link.upgradeFirmware([]() -> std::optional<std::string> { return std::nullopt; }));
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_THAT(rig.trace, ElementsAre("request software update"));
}

TEST(Upgrade, PortErrorEndsTheUpgradeWithThePortClosed)
{
    // A device that goes away at the synchronisation ('t') or under a record.
    for (const int unplugAt : {0, 3}) {
        UpgradeRig rig;
        rig.port.writesBeforeUnplug = unplugAt;
        std::ofstream(rig.path, std::ios::binary) << "[TAG]1.0\n[MAIN]\n0a1b\n";
        bool done = true;
        EXPECT_NO_THROW(done = rig.link.upgradeFirmware(rig.path)) << unplugAt;
        EXPECT_FALSE(done) << unplugAt;
        EXPECT_FALSE(rig.port.IsOpen()) << unplugAt;
        EXPECT_FALSE(rig.progress.visible) << unplugAt;
        EXPECT_EQ(rig.user.boxes.back().type, MsgType::Error) << unplugAt;
    }
}

const std::string SevenLines = "[TAG]3.0\n[MAIN]\n01\n02\n[EXT]\n03\n04\n05\n06\n";

TEST(Upgrade, RefusedRecordStopsTheUpgradeWithThePortOpen)
{
    UpgradeRig nak;
    nak.mower.answerFor = [](int record) -> std::uint8_t { return record == 4 ? 0x15 : 0x06; };
    EXPECT_FALSE(nak.upgrade(SevenLines));
    EXPECT_THAT(nak.mower.records, ElementsAre("P:01", "P:02", "R:03", "R:04"));  // line 7 is the fourth record
    EXPECT_EQ(nak.trace.back(), "Received NACK result for line 7 ");
    EXPECT_EQ(nak.user.boxes.back().type, MsgType::Error);
    EXPECT_EQ(nak.user.boxes.back().text, LinkRig::message(Msg::UpgradeFailed));
    EXPECT_FALSE(nak.progress.visible);
    EXPECT_EQ(nak.progress.calls.back(), "hide");
    EXPECT_TRUE(nak.port.IsOpen());
    EXPECT_TRUE(nak.user.plain.empty());

    UpgradeRig odd;
    odd.mower.answerFor = [](int record) -> std::uint8_t { return record == 1 ? 0x41 : 0x06; };
    EXPECT_FALSE(odd.upgrade(SevenLines));
    EXPECT_EQ(odd.trace.back(), "Unexpected result while programming line 3 : 41");
    EXPECT_EQ(odd.user.boxes.back().type, MsgType::Error);
    EXPECT_THAT(odd.mower.records, ElementsAre("P:01"));
}

TEST(Upgrade, WaitsAreBoundedInTimeWithoutBusySpinning)
{
    UpgradeRig silent;
    std::uint64_t before = 0;
    silent.port.onWrite = [&silent, &before](ScriptedPort& p, const std::vector<std::uint8_t>& b) {
        if (b == std::vector<std::uint8_t> {'B'})
            p.arrive({0x06}, 1000);
        if (b == std::vector<std::uint8_t> {0x01})
            before = silent.clock.micros();
    };
    EXPECT_FALSE(silent.upgrade(SevenLines));
    EXPECT_EQ(silent.trace.back(), "timeout when programming line 3 ");
    EXPECT_EQ(silent.user.boxes.back().type, MsgType::Error);
    const std::uint64_t waited = silent.clock.micros() - before;
    EXPECT_GE(waited, 3990000u);
    EXPECT_LE(waited, 4010000u);

    UpgradeRig stuck;
    stuck.port.outputStuck = true;
    std::uint64_t commandAt = 0;
    stuck.port.onWrite = [&stuck, &commandAt](ScriptedPort& p, const std::vector<std::uint8_t>& b) {
        if (b == std::vector<std::uint8_t> {'B'})
            p.arrive({0x06}, 1000);
        if (b == std::vector<std::uint8_t> {'P'})
            commandAt = stuck.clock.micros();
    };
    EXPECT_FALSE(stuck.upgrade(SevenLines));
    EXPECT_EQ(stuck.trace.back(), "problem sending write command at line 3 ");
    EXPECT_EQ(stuck.user.boxes.back().type, MsgType::Warning);
    EXPECT_EQ(stuck.user.boxes.back().text, LinkRig::message(Msg::UpgradeFailed));
    EXPECT_EQ(stuck.port.writes.back(), std::vector<std::uint8_t> {'P'});  // the record itself never went
    const std::uint64_t stuckFor = stuck.clock.micros() - commandAt;
    EXPECT_GE(stuckFor, 390000u);
    EXPECT_LE(stuckFor, 410000u);
    EXPECT_TRUE(stuck.port.IsOpen());
}

}  // namespace
