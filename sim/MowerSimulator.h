#pragma once

#include "sim/MowerData.h"
#include "sim/SimOptions.h"

#include <cstdint>
#include <cstdio>
#include <deque>
#include <vector>

// The mower's side of the line: answers the command bytes read from the
// pseudo-terminal's master, paces what it sends at 38400 baud (unless told
// not to), and shows the faults its options ask for.
class MowerSimulator {
public:
    MowerSimulator(int masterFd, const SimOptions& options, const MowerData& data, std::FILE* receivedLog);

    // Serves the line until the time given by the options has run out.
    void run();

private:
    using Micros = std::int64_t;
    struct OutByte {
        std::uint8_t byte;
        Micros notBefore;  // earliest time on the line
        Micros pause;      // silence before this byte
    };
    enum class State { Idle, SyncStarted, Programming, Record };

    static Micros now();
    void onByte(std::uint8_t byte, Micros at);
    void onIdleByte(std::uint8_t byte, Micros at);
    void finishRecord(Micros at);
    void send(const std::uint8_t* bytes, std::size_t count, Micros notBefore, int pauseBeforeIndex = -1);
    void sendImageChunk(Micros at);
    void flushDue(Micros at);
    bool outputDue(Micros at) const;
    Micros nextWake(Micros at) const;
    void logLine(const char* text);
    [[noreturn]] static void vanish();

    int fd_;
    SimOptions options_;
    MowerData data_;
    std::FILE* log_;
    Micros byteTime_;

    State state_ = State::Idle;
    std::deque<OutByte> out_;
    Micros lineFree_ = 0;
    Micros nextTalk_ = 0;
    std::size_t imageOffset_ = 0;
    std::size_t imageBytesQueued_ = 0;
    bool vanishWhenSent_ = false;

    std::uint8_t recordCommand_ = 0;
    std::vector<std::uint8_t> record_;
    Micros recordStart_ = 0;
    Micros recordLastByte_ = 0;
    int recordNumber_ = 0;
};
