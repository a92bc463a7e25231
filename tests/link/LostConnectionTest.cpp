// A mower lost in the middle of a command: the port raises EComPort at some
// call. Every command must end on its own failure path (its message and the
// line that tells the dealer what to do, the system's text only in the trace
// log), with the port closed, so that the same command works again once the
// mower is back.
#include "LinkFakes.h"
#include "core/AppTexts.h"
#include "core/MessageNumbers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes pattern(std::size_t count, std::uint8_t seed)
{
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 37 + seed);
    return bytes;
}

std::string lost(std::uint16_t message)
{
    return LinkRig::message(message) + "\n" + appText(AppText::LinkLost);
}

// Only whether it shows: a download moves the bar 8192 times per run.
class VisibilityProgress : public NullProgressWindow {
public:
    bool visible = false;
    void showWindow() override { visible = true; }
    void hideWindow() override { visible = false; }
};

// The link over a port that goes away at call failAt, in front of a mower
// that answers every request in full.
struct LostLinkRig {
    EventLog events;
    FakeClock clock {events};
    ScriptedPort line {events, clock};
    VanishingPort port {line};
    RecordingUser user {events};
    VisibilityProgress progress;
    bool autoScan = false;
    std::vector<std::string> portList {"/dev/ttyM"};
    std::vector<std::string> trace;
    FakeMower mower;
    MowerLink link {port, clock, user, progress, autoScan, [this] { return portList; },
        [this](const std::string& text) { trace.push_back(text); }};
    std::string tvfPath;

    explicit LostLinkRig(long failAt, bool scan = false)
    {
        TVXStringTable::instance().setLanguage(0);
        line.quiet = true;
        line.SetPort("/dev/ttyM");
        port.failAt = failAt;
        autoScan = scan;
        mowerBack();
    }
    ~LostLinkRig()
    {
        if (!tvfPath.empty())
            std::filesystem::remove(tvfPath);
    }

    // A mower that has just been switched on, on the same line.
    void mowerBack()
    {
        mower = FakeMower {};
        mower.byteSpacingMicros = 0;
        mower.onHistory = [](ScriptedPort& p, std::size_t) { p.arrive(pattern(8192, 3)); };
        mower.attach(line);
    }

    bool download(InfoFrame& frame, HistoryImage& image)
    {
        bool done = true;
        EXPECT_NO_THROW(done = link.downloadHistory(frame, image));
        return done;
    }
    bool upgrade(const std::string& content)
    {
        tvfPath = (std::filesystem::temp_directory_path()
            / ("quorvane-lost-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".TVF"))
                      .string();
        std::ofstream(tvfPath, std::ios::binary) << content;
        bool done = true;
        EXPECT_NO_THROW(done = link.upgradeFirmware(tvfPath));
        return done;
    }
};

// The calls of a whole command, in order, as the port saw them.
template <typename Command> std::vector<std::string> callsOf(Command command, bool scan = false)
{
    LostLinkRig rig(-1, scan);
    rig.port.recording = true;
    EXPECT_TRUE(command(rig));
    return rig.port.calls;
}

// The first call named so at or after `from`.
long indexOf(const std::vector<std::string>& calls, const std::string& call, long from = 0)
{
    const auto found = std::find(calls.begin() + from, calls.end(), call);
    EXPECT_NE(found, calls.end()) << call;
    return static_cast<long>(found - calls.begin());
}

long countOf(const std::vector<std::string>& calls, const std::string& call, long from, long to)
{
    return static_cast<long>(std::count(calls.begin() + from, calls.begin() + to, call));
}

// The positions tried in a command of `total` calls: every call up to `dense`
// and in the last stretch; between them, where the image loop repeats the
// same three calls for each byte, every 97th call (97 is prime to 3, so each
// of the three is met). Every call of a whole download would take a minute.
std::vector<long> positionsToTry(long total, long dense)
{
    constexpr long Stretch = 3 * 64;
    constexpr long Stride = 97;
    std::vector<long> positions;
    for (long n = 0; n < total; ++n)
        if (n < dense + Stretch || n >= total - Stretch || (n - dense) % Stride == 0)
            positions.push_back(n);
    return positions;
}

const Bytes Image = pattern(8192, 3);

bool downloadOnce(LostLinkRig& rig)
{
    InfoFrame frame {};
    HistoryImage image {};
    return rig.download(frame, image) && Bytes(image.begin(), image.end()) == Image;
}

TEST(LostConnection, ADownloadEndsOnItsOwnFailurePathWhereverThePortFails)
{
    for (const bool scan : {false, true}) {
        const std::vector<std::string> calls = callsOf(downloadOnce, scan);
        // The protocol's landmarks: the clearing before the first 'T' of the
        // download (after the scan's own 'T' and 'I'), the one before 'I',
        // the two before 'H'.
        const long testStart = indexOf(calls, "write 54", scan ? indexOf(calls, "write 49") : 0) - 1;
        const long infoStart = indexOf(calls, "write 49", testStart) - 1;
        const long imageStart = indexOf(calls, "write 48") - 2;
        const long total = static_cast<long>(calls.size());
        // The scan adds its own steps in front: the image loop is tried once.
        for (const long n : positionsToTry(scan ? imageStart : total, imageStart)) {
            LostLinkRig rig(n, scan);
            InfoFrame frame {};
            HistoryImage image {};
            const std::string at = (scan ? "scan, call " : "call ") + std::to_string(n) + " " + calls[n];
            ASSERT_FALSE(rig.download(frame, image)) << at;
            ASSERT_TRUE(rig.port.failed()) << at;
            ASSERT_FALSE(rig.port.IsOpen()) << at;
            ASSERT_FALSE(rig.progress.visible) << at;
            ASSERT_EQ(rig.user.boxes.size(), 1u) << at;
            const ScriptedUser::Box& box = rig.user.boxes[0];
            if (calls[n] == "open") {
                ASSERT_EQ(box.type, MsgType::Warning) << at;
                ASSERT_EQ(box.text, LinkRig::message(scan ? Msg::NoMachineConnected : Msg::PortNotFree))
                    << at;
            } else if (n < testStart) {
                // Lost while the scan tried the port: the scan's message.
                ASSERT_EQ(box.type, MsgType::Warning) << at;
                ASSERT_EQ(box.text, lost(Msg::NoMachineConnected)) << at;
                ASSERT_THAT(rig.trace.back(), StartsWith("Connection lost on port: /dev/ttyM: ")) << at;
            } else {
                ASSERT_EQ(box.type, MsgType::Error) << at;
                ASSERT_EQ(
                    box.text, lost(n < infoStart ? Msg::DownloadNoCommunication : Msg::MachineInfoFailed))
                    << at;
                const std::string step = n < infoStart ? "Connection lost in test mode: "
                    : n < imageStart                   ? "Connection lost reading info frame: "
                                                       : "Couldn't load history nbByte loaded: "
                        + std::to_string(countOf(calls, "read", imageStart, n)) + "//retry count :0 ";
                ASSERT_THAT(rig.trace.back(), StartsWith(step + "/dev/ttyM: ")) << at;
            }
            if (calls[n] != "open") {
                ASSERT_THAT(rig.trace.back(), EndsWith(": Input/output error")) << at;
            }

            // The mower is back: the same command on the same link works.
            rig.port.plugBackIn();
            rig.mowerBack();
            ASSERT_TRUE(downloadOnce(rig)) << at;
            ASSERT_EQ(rig.user.boxes.size(), 1u) << at;
        }
    }
}

// Records on lines 3, 4 (under [MAIN]) and 6 (under [EXT]).
const std::string Firmware = "[TAG]1.0\n[MAIN]\n0a1b\n0c\n[EXT]\n0d0e0f\n";
const std::vector<std::string> FirmwareRecords = {"P:0a1b", "P:0c", "R:0d0e0f", "b"};
const std::size_t RecordLines[] = {3, 4, 6};

bool upgradeOnce(LostLinkRig& rig)
{
    return rig.upgrade(Firmware) && rig.mower.records == FirmwareRecords;
}

TEST(LostConnection, AnUpgradeEndsOnItsOwnFailurePathWhereverThePortFails)
{
    const std::vector<std::string> calls = callsOf(upgradeOnce);
    const long firstRecord = indexOf(calls, "write 50");
    const long closing = indexOf(calls, "write 62");
    ASSERT_EQ(closing, static_cast<long>(calls.size()) - 1);
    for (long n = 0; n < static_cast<long>(calls.size()); ++n) {
        LostLinkRig rig(n);
        const std::string at = "call " + std::to_string(n) + " " + calls[n];
        ASSERT_FALSE(rig.upgrade(Firmware)) << at;
        ASSERT_TRUE(rig.port.failed()) << at;
        ASSERT_FALSE(rig.port.IsOpen()) << at;
        ASSERT_FALSE(rig.progress.visible) << at;
        ASSERT_TRUE(rig.user.plain.empty()) << at;
        const ScriptedUser::Box& box = rig.user.boxes.back();
        if (calls[n] == "open") {
            ASSERT_EQ(box.type, MsgType::Warning) << at;
            ASSERT_EQ(box.text, LinkRig::message(Msg::PortNotFree)) << at;
        } else {
            ASSERT_EQ(box.type, MsgType::Error) << at;
            ASSERT_EQ(box.text, lost(n < firstRecord ? Msg::UpgradeNoCommunication : Msg::UpgradeFailed))
                << at;
            std::string step;
            if (n == 1) {
                step = "Connection lost before the upgrade: ";  // the clearing after the link opened
            } else if (n < firstRecord) {
                step = "waitForSynchro return false ";
            } else if (n == closing) {
                step = "problem sending end of programming ";
            } else {
                // The record under way: its command byte is written, then the driver's output polled.
                const long records
                    = countOf(calls, "write 50", 0, n + 1) + countOf(calls, "write 52", 0, n + 1);
                const std::size_t line = RecordLines[records - 1];
                const bool sendingCommand
                    = calls[n] == "out" || calls[n] == "write 50" || calls[n] == "write 52";
                step = (sendingCommand ? "problem sending write command at line "
                                       : "timeout when programming line ")
                    + std::to_string(line) + " ";
            }
            ASSERT_THAT(rig.trace.back(), StartsWith(step + "/dev/ttyM: ")) << at;
            ASSERT_THAT(rig.trace.back(), EndsWith(": Input/output error")) << at;
        }

        rig.port.plugBackIn();
        rig.mowerBack();
        rig.user.boxes.clear();
        ASSERT_TRUE(upgradeOnce(rig)) << at;
        ASSERT_EQ(rig.user.boxes.size(), 1u) << at;  // the confirmation only
    }
}

// The same as the dealer and the trace log see it, in the dealer's language.
TEST(LostConnection, TheDealerReadsWhatToDoInHisLanguageAndTheLogKeepsTheSystemsText)
{
    LostLinkRig rig(-1);
    TVXStringTable::instance().setLanguage(1);
    rig.mower.onHistory = [&rig](ScriptedPort& p, std::size_t) {
        p.arrive(Bytes(Image.begin(), Image.begin() + 3000));
        rig.port.failAt = rig.port.count() + 3 * 3000;  // once the 3000 bytes are read
    };
    InfoFrame frame {};
    HistoryImage image {};
    EXPECT_FALSE(rig.download(frame, image));
    ASSERT_EQ(rig.user.boxes.size(), 1u);
    EXPECT_EQ(rig.user.boxes[0].text,
        catalogueText(Msg::MachineInfoFailed) + "\n"
            + "La connexion avec la tondeuse a été perdue. Vérifiez le câble, laissez "
              "la tondeuse allumée et recommencez.");
    EXPECT_EQ(rig.trace.back(),
        "Couldn't load history nbByte loaded: 3000//retry count :0 "
        "/dev/ttyM: cannot count the received bytes: Input/output error");
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 3000, Image.begin()));
    TVXStringTable::instance().setLanguage(0);
}

TEST(LostConnection, AScanPassesOverAPortLostWhileTriedAndFindsTheMowerOnTheNext)
{
    LostLinkRig rig(-1, true);
    rig.portList = {"/dev/ttyA", "/dev/ttyM"};
    rig.mower.onPort = "/dev/ttyM";
    // ttyA fails at its first 'T'; ttyM stays.
    rig.line.onWrite = [&rig, inner = rig.line.onWrite](ScriptedPort& p, const Bytes& bytes) {
        if (p.GetPort() == "/dev/ttyA")
            throw EComPort("/dev/ttyA: cannot write: Input/output error", EIO);
        inner(p, bytes);
    };
    EXPECT_TRUE(rig.link.openLink("COM1"));
    EXPECT_EQ(rig.port.GetPort(), "/dev/ttyM");
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_TRUE(rig.user.boxes.empty());
    EXPECT_THAT(rig.trace,
        ::testing::ElementsAre("Trying port: /dev/ttyA",
            "Connection lost on port: /dev/ttyA: cannot write: Input/output "
            "error",
            "Trying port: /dev/ttyM", "Machine connected on port: /dev/ttyM"));
}

}  // namespace
