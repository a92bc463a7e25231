#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The serial port as the link code sees it: the real one (TComPort) or a
// scripted one in tests. Every operation that reaches the system raises
// EComPort when the system refuses; Close never raises.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Stores a new name; an open port is closed and the new name opened
    // (which may raise, the new name staying stored). The same name does nothing.
    virtual void SetPort(const std::string& name) = 0;
    virtual const std::string& GetPort() const = 0;

    // Opens the named port exclusively with the line settings; nothing when open.
    virtual void Open() = 0;
    // Closes the port; nothing when closed.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Received bytes waiting, and bytes written but not yet on the line.
    virtual int InputCount() = 0;
    virtual int OutputCount() = 0;
    virtual void ClearBuffer(bool input, bool output) = 0;

    // Returns when the bytes are written or the write time-out has run out.
    virtual std::size_t Write(const std::uint8_t* buffer, std::size_t count) = 0;
    // Takes at most count of the bytes already received; never waits.
    virtual std::size_t Read(std::uint8_t* buffer, std::size_t count) = 0;
};
