#pragma once

#include "link/EComPort.h"

#include <string>
#include <vector>

// A listed port that could not be opened, and why.
struct UnusablePort {
    std::string name;
    EComPort::Reason reason = EComPort::Reason::Failed;
    std::string systemText;  // the port error's own text, for the trace log and the tool
};

// The group whose members may open the device: the device node's group
// ("dialout" for the serial ports of a Debian system), or "dialout" when the
// node or its group cannot be looked up.
std::string portGroup(const std::string& device);

// The line under "Selected port not free" when the configured port refused
// the user; empty for any other reason.
std::string refusedPortLine(const std::string& port, const EComPort& error);

// The line under "No machine connected" that names the refused ports among
// those of a scan and the groups that may open them; empty when none was refused.
std::string refusedPortsLine(const std::vector<UnusablePort>& ports);

// One line of `quorvane-tool ports` for a port that cannot be used:
// "/dev/ttyUSB0: permission denied (not in the dialout group)".
std::string unusablePortLine(const UnusablePort& port);
