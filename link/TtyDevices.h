#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// What the kernel says about its terminals (/sys/class/tty): which have a
// hardware device behind them, and which carry the active console. The
// folders are parameters so that tests can hand in a tree of their own.
class TtyDevices {
public:
    explicit TtyDevices(std::string sysClassTty = "/sys/class/tty", std::string devDir = "/dev");

    // The /dev paths of the terminals with a device behind them, without the
    // active consoles, in ascending text order. Raises EComPort when the
    // kernel's list cannot be read.
    std::vector<std::string> serialPorts() const;

    // True for a device number that is an active console, /dev/console or /dev/tty:
    // such a device is never opened as a mower port.
    bool isConsole(dev_t device) const;

private:
    std::vector<std::string> activeConsoleNames() const;

    std::string sysClassTty_;
    std::string devDir_;
};
