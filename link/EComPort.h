#pragma once

#include <stdexcept>
#include <string>

// The serial port's error: the operating system refused a request on a port.
// The text names the port and the system's reason (for the trace log); the
// reason and the system's error number let callers tell a port the user may
// not open from one that is busy, missing or gone, without reading the text.
class EComPort : public std::runtime_error {
public:
    enum class Reason {
        Refused,    // permission denied: the user may not open the device
        Busy,       // another process holds the port
        Missing,    // no such device (an adapter unplugged, a wrong name)
        NotSerial,  // the name is no serial port (or is the system console)
        Failed,     // any other refusal, a device gone in the middle included
    };

    // The reason follows from the system's error number (0: none known).
    explicit EComPort(const std::string& what, int systemError = 0)
        : EComPort(what, systemError, reasonOf(systemError))
    {
    }
    EComPort(const std::string& what, int systemError, Reason reason)
        : std::runtime_error(what)
        , systemError_(systemError)
        , reason_(reason)
    {
    }

    int systemError() const { return systemError_; }
    Reason reason() const { return reason_; }

    static Reason reasonOf(int systemError);

private:
    int systemError_;
    Reason reason_;
};
