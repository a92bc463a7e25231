#pragma once

#include "core/Clock.h"
#include "link/SerialPort.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// A port that records what passes through another one, for support: every
// call is forwarded unchanged, and every chunk of bytes written or read is
// one line of the log file:
//
//     Quorvane 3.6.0 wire log, 2026-12-09 20:45:27, port /dev/ttyUSB0
//         0.000 open /dev/ttyUSB0
//         0.012 > 54
//         0.031 < 54 06
//         0.040 purge in out
//         1.503 close
//
// The time is seconds.milliseconds from the start of the log on the link's
// clock; '>' is PC to mower, '<' mower to PC. The file is opened once (only a
// regular file, emptied first) and only appended to. When the next line would
// pass the bound, one last line "wire log truncated at N bytes" is written and
// logging stops; the link goes on. A failed write is reported once through
// `report` and logging stops; the port is never affected.
class WireLog : public SerialPort {
public:
    using Report = std::function<void(const std::string&)>;
    static constexpr std::size_t DefaultLimit = 4u * 1024u * 1024u;

    WireLog(SerialPort& port, Clock& clock, const std::string& path, std::size_t limit = DefaultLimit,
            Report report = {});
    ~WireLog() override;
    WireLog(const WireLog&) = delete;
    WireLog& operator=(const WireLog&) = delete;

    // False when the file could not be opened (error() says why; reported too).
    bool logging() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }
    std::size_t bytesWritten() const { return written_; }

    void SetPort(const std::string& name) override;
    const std::string& GetPort() const override { return port_.GetPort(); }
    void Open() override;
    void Close() override;
    bool IsOpen() const override { return port_.IsOpen(); }
    int InputCount() override { return port_.InputCount(); }
    int OutputCount() override { return port_.OutputCount(); }
    void ClearBuffer(bool input, bool output) override;
    std::size_t Write(const std::uint8_t* buffer, std::size_t count) override;
    std::size_t Read(std::uint8_t* buffer, std::size_t count) override;

private:
    void openFile(const std::string& path);
    void event(const std::string& text);
    void bytes(char direction, const std::uint8_t* buffer, std::size_t count);
    void append(std::string line);
    bool writeAll(const std::string& text);
    void fail(const std::string& why);
    void stop();

    SerialPort& port_;
    Clock& clock_;
    std::string path_;
    std::size_t limit_;
    Report report_;
    std::uint64_t start_ = 0;
    int fd_ = -1;
    std::size_t written_ = 0;
    std::string error_;
};
