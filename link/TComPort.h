#pragma once

#include "link/SerialPort.h"
#include "link/TtyDevices.h"

#include <string>
#include <termios.h>
#include <vector>

// The serial port over POSIX termios: 38400 baud, 8 data bits, no parity, one
// stop bit, DTR and RTS inactive, no flow control, non-waiting reads, writes
// bounded by 100 ms per byte plus 10 ms. Open takes the port exclusively
// (TIOCEXCL and flock, so that root is kept out too) and saves the terminal's
// settings; Close gives them back.
class TComPort : public SerialPort {
public:
    explicit TComPort(std::string name = "COM1", TtyDevices devices = TtyDevices());
    ~TComPort() override;
    TComPort(const TComPort&) = delete;
    TComPort& operator=(const TComPort&) = delete;

    void SetPort(const std::string& name) override;
    const std::string& GetPort() const override { return name_; }
    void Open() override;
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }
    int InputCount() override;
    int OutputCount() override;
    void ClearBuffer(bool input, bool output) override;
    std::size_t Write(const std::uint8_t* buffer, std::size_t count) override;
    std::size_t Read(std::uint8_t* buffer, std::size_t count) override;

    // The serial ports of the system (active consoles left out), in ascending
    // text order; raises EComPort when the system's list cannot be read.
    static void EnumComPorts(std::vector<std::string>& ports);

private:
    [[noreturn]] void fail(const std::string& what) const;
    int openDevice();
    void applyLineSettings(int fd);

    std::string name_;
    TtyDevices devices_;
    int fd_ = -1;
    termios saved_ {};
};
