#include "link/EComPort.h"
#include "link/TtyDevices.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A /sys/class/tty of our own: a few terminals with and without a device.
struct FakeSysfs {
    fs::path root = fs::temp_directory_path() / ("quorvane-sysfs-" + std::to_string(getpid()));
    FakeSysfs()
    {
        fs::remove_all(root);
        for (const char* name : {"ttyS0", "ttyS1", "ttyUSB10", "ttyUSB2", "ttyACM0"})
            addTerminal(name, true);
        for (const char* name : {"tty1", "ptmx"})
            addTerminal(name, false);
        fs::create_directories(root / "console");
        std::ofstream(root / "console" / "active") << "tty0 ttyS0\n";
        std::ofstream(root / "ttyS0" / "dev") << "4:64\n";
    }
    ~FakeSysfs() { fs::remove_all(root); }
    void addTerminal(const std::string& name, bool withDevice)
    {
        fs::create_directories(root / name);
        if (withDevice)
            fs::create_directories(root / name / "device");
    }
};

TEST(TtyDevices, ListsHardwareTerminalsSortedWithoutTheConsole)
{
    FakeSysfs sysfs;
    const TtyDevices devices(sysfs.root.string(), "/dev");
    EXPECT_THAT(devices.serialPorts(),
                ::testing::ElementsAre("/dev/ttyACM0", "/dev/ttyS1", "/dev/ttyUSB10", "/dev/ttyUSB2"));
    EXPECT_TRUE(devices.isConsole(makedev(4, 64)));
    EXPECT_TRUE(devices.isConsole(makedev(5, 1)));
    EXPECT_FALSE(devices.isConsole(makedev(4, 65)));
    EXPECT_FALSE(devices.isConsole(makedev(188, 0)));
}

TEST(TtyDevices, UnreadableListRaises)
{
    EXPECT_THROW(TtyDevices("/nonexistent/quorvane/tty").serialPorts(), EComPort);
}

}  // namespace
