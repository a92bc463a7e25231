#pragma once

#include <stdexcept>
#include <string>

// The serial port's error: the operating system refused a request on a port.
// The text names the port and the system's reason.
class EComPort : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
