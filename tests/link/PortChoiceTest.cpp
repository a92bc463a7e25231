#include "link/PortChoice.h"

#include <gtest/gtest.h>

TEST(PortChoiceTest, KeepsTheWantedPortWhileFreeElseFallsOnTheFirstAndOnNoneWithoutPorts)
{
    const std::vector<std::string> ports {"/dev/ttyS1", "/dev/ttyUSB0", "/dev/ttyUSB1"};
    EXPECT_EQ(portChoice(ports, "/dev/ttyUSB1"), 2);
    EXPECT_EQ(portChoice(ports, "/dev/ttyUSB"), 0);  // whole names only
    EXPECT_EQ(portChoice(ports, "COM1"), 0);
    EXPECT_EQ(portChoice(ports, ""), 0);
    EXPECT_EQ(portChoice({}, "COM1"), -1);
    EXPECT_EQ(portChoice({}, ""), -1);
}
