// A port that exists but that the user may not open (permission denied: not
// in the group that owns the serial ports) is told apart from a busy or a
// missing one, and the dealer is told which port and which group.
#include "LinkFakes.h"
#include "core/AppTexts.h"
#include "core/MessageNumbers.h"
#include "link/PortAccess.h"
#include "link/TComPort.h"
#include "support/ChildChecks.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

TEST(PortRefusal, TheErrorSaysWhyFromTheSystemsNumber)
{
    EXPECT_EQ(EComPort("x", EACCES).reason(), EComPort::Reason::Refused);
    EXPECT_EQ(EComPort("x", EPERM).reason(), EComPort::Reason::Refused);
    EXPECT_EQ(EComPort("x", EBUSY).reason(), EComPort::Reason::Busy);
    EXPECT_EQ(EComPort("x", ENOENT).reason(), EComPort::Reason::Missing);
    EXPECT_EQ(EComPort("x", ENXIO).reason(), EComPort::Reason::Missing);
    EXPECT_EQ(EComPort("x", ENOTTY).reason(), EComPort::Reason::NotSerial);
    EXPECT_EQ(EComPort("x", EIO).reason(), EComPort::Reason::Failed);
    EXPECT_EQ(EComPort("x").reason(), EComPort::Reason::Failed);
    EXPECT_EQ(EComPort("x", EACCES).systemError(), EACCES);
}

TEST(PortRefusal, TheGroupNamedIsTheDevicesOwnOrDialout)
{
    EXPECT_EQ(portGroup("/nonexistent/quorvane/ttyUSB0"), "dialout");
    const group* dialout = ::getgrnam("dialout");
    TempDir dir;
    dir.write("ttyUSB0", "");
    if (dialout == nullptr || ::chown(dir.file("ttyUSB0").c_str(), ::geteuid(), dialout->gr_gid) != 0)
        GTEST_SKIP() << "no dialout group that this user may give a file to";
    EXPECT_EQ(portGroup(dir.file("ttyUSB0")), "dialout");
}

TEST(PortRefusal, AConfiguredPortThatRefusesTheUserIsNamedWithItsGroup)
{
    const std::string name = "/nonexistent/quorvane/ttyUSB0";
    LinkRig rig;
    rig.port.refused = {name};
    EXPECT_FALSE(rig.link.openLink(name));
    ASSERT_EQ(rig.user.boxes.size(), 1u);
    EXPECT_EQ(rig.user.boxes[0].type, MsgType::Warning);
    EXPECT_EQ(rig.user.boxes[0].text,
        LinkRig::message(Msg::PortNotFree) + "\nYou may not open the port " + name
            + " (permission denied): it is kept for the members of the group dialout. Ask your "
              "administrator to add your user account to that group, then log in again.");
    EXPECT_FALSE(rig.port.IsOpen());

    // A busy port keeps the catalogue's message alone.
    LinkRig busy;
    busy.port.busy = {name};
    EXPECT_FALSE(busy.link.openLink(name));
    EXPECT_EQ(busy.user.boxes.at(0).text, LinkRig::message(Msg::PortNotFree));
}

TEST(PortRefusal, AScanSaysWhichPortsWereRefusedAndWhy)
{
    LinkRig rig;
    rig.autoScan = true;
    rig.portList = {"/dev/ttyS1", "/dev/ttyS2", "/dev/ttyUSB0"};
    rig.port.refused = {"/dev/ttyS1", "/dev/ttyUSB0"};
    rig.port.busy = {"/dev/ttyS2"};
    EXPECT_FALSE(rig.link.openLink("COM1"));
    ASSERT_EQ(rig.user.boxes.size(), 1u);
    EXPECT_EQ(rig.user.boxes[0].text,
        LinkRig::message(Msg::NoMachineConnected) + "\n"
            + appText(AppText::PortsRefused, {"/dev/ttyS1, /dev/ttyUSB0", "dialout"}));
    EXPECT_TRUE(rig.progress.calls.empty());

    // Busy ports alone: the catalogue's message alone, as before.
    LinkRig busy;
    busy.autoScan = true;
    busy.portList = {"/dev/ttyS2"};
    busy.port.busy = {"/dev/ttyS2"};
    EXPECT_FALSE(busy.link.openLink("COM1"));
    EXPECT_EQ(busy.user.boxes.at(0).text, LinkRig::message(Msg::NoMachineConnected));
}

// A pseudo-terminal with nobody behind it.
struct Pty {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    std::string path;
    Pty()
    {
        grantpt(master);
        unlockpt(master);
        path = ptsname(master);
    }
    ~Pty() { close(master); }
};

// The real path: the system refuses a pseudo-terminal whose node the user
// may not open, and refuses a held one as busy. Root may open anything, so the
// checks run in a child that has given up root.
TEST(PortRefusal, ARealPortTheUserMayNotOpenIsToldApartFromABusyOne)
{
    TVXStringTable::instance().setLanguage(0);
    Pty refused;
    Pty held;
    Pty free;
    ASSERT_EQ(::chmod(refused.path.c_str(), 0), 0);
    ASSERT_EQ(::chmod(held.path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(free.path.c_str(), 0666), 0);
    TComPort holder(held.path);
    holder.Open();

    const std::string failed = failedChecksInChild(std::nullopt, [&] {
        if (::geteuid() == 0
            && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            return std::vector<NamedCheck> {{"dropping to uid 65534", false}};
        std::vector<NamedCheck> checks;
        const auto reasonOpening = [](const std::string& path) {
            try {
                TComPort(path).Open();
            } catch (const EComPort& error) {
                return std::pair(error.reason(), error.systemError());
            }
            return std::pair(EComPort::Reason::Failed, 0);
        };
        checks.push_back(
            {"refused", reasonOpening(refused.path) == std::pair(EComPort::Reason::Refused, EACCES)});
        checks.push_back({"busy", reasonOpening(held.path).first == EComPort::Reason::Busy});

        TComPort port("COM1");
        NullProgressWindow progress;
        ScriptedUser user;
        bool autoScan = false;
        MowerLink link(
            port, SystemClock::instance(), user, progress, autoScan,
            [&] {
                return std::vector<std::string> {refused.path, held.path, free.path};
            },
            [](const std::string&) {});
        const PortSurvey survey = link.surveyPorts();
        checks.push_back({"free", survey.free == std::vector<std::string> {free.path}});
        checks.push_back({"unusable",
            survey.unusable.size() == 2 && survey.unusable[0].reason == EComPort::Reason::Refused
                && survey.unusable[1].reason == EComPort::Reason::Busy});
        checks.push_back({"box",
            !link.openLink(refused.path) && user.boxes.size() == 1
                && user.boxes[0].text
                    == catalogueText(Msg::PortNotFree) + "\n"
                        + appText(AppText::PortRefused, {refused.path, portGroup(refused.path)})});
        autoScan = true;
        checks.push_back({"scan",
            !link.openLink("COM1") && user.boxes.size() == 2
                && user.boxes[1].text.find(refused.path + ". They are kept") != std::string::npos});
        return checks;
    });
    EXPECT_EQ(failed, "");
}

// quorvane-tool ports run by a user who may not open the port: the free ports
// on standard output, the others with their reason, and a word when none is free.
TEST(PortRefusal, ToolPortsTellsWhyEachPortCannotBeUsed)
{
    Pty refused;
    Pty held;
    Pty free;
    ASSERT_EQ(::chmod(refused.path.c_str(), 0), 0);
    ASSERT_EQ(::chmod(held.path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(free.path.c_str(), 0666), 0);
    TComPort holder(held.path);
    holder.Open();
    const std::string asUser = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const std::string tool = asUser + QUORVANE_BUILD_DIR "/quorvane-tool ports ";
    // runCommand takes standard error too: each stream alone from a group.
    const auto out
        = [&tool](const std::string& args) { return runCommand("{ " + tool + args + " 2>/dev/null; }"); };
    const auto err
        = [&tool](const std::string& args) { return runCommand("{ " + tool + args + " >/dev/null; }"); };

    const CommandRun none = out(refused.path + " " + held.path);
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.output, "");  // nothing free on standard output
    const CommandRun told = err(refused.path + " " + held.path);
    EXPECT_EQ(told.output,
        refused.path + ": permission denied (not in the " + portGroup(refused.path) + " group)\n" + held.path
            + ": in use by another program\n" + "no free serial port\n");

    const CommandRun some = out(refused.path + " " + free.path);
    EXPECT_EQ(some.output, free.path + "\n");
    const CommandRun french = err("--lang 1 " + refused.path + " " + free.path);
    EXPECT_EQ(french.output,
        refused.path + ": permission refusée (pas dans le groupe " + portGroup(refused.path) + ")\n");
}

}  // namespace
