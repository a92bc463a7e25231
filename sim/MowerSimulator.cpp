#include "sim/MowerSimulator.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

constexpr std::int64_t BaudMicrosPer10Bits = 1000000LL * 10 / 38400;  // 260 us per byte
constexpr std::int64_t EmptyRecordWait = 50000;
constexpr std::size_t MaxRecordBytes = 4096;
constexpr std::uint8_t Ack = 0x06;
constexpr std::uint8_t Nak = 0x15;

}  // namespace

MowerSimulator::MowerSimulator(int masterFd, const SimOptions& options, const MowerData& data, std::FILE* log)
    : fd_(masterFd)
    , options_(options)
    , data_(data)
    , log_(log)
    , byteTime_(options.pacing ? BaudMicrosPer10Bits : 0)
{
}

MowerSimulator::Micros MowerSimulator::now()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void MowerSimulator::logLine(const char* text)
{
    if (!log_)
        return;
    std::fputs(text, log_);
    std::fputc('\n', log_);
    std::fflush(log_);
}

void MowerSimulator::send(const std::uint8_t* bytes, std::size_t count, Micros notBefore, int pauseBeforeIndex)
{
    for (std::size_t i = 0; i < count; ++i) {
        const Micros pause = static_cast<int>(i) == pauseBeforeIndex ? Micros(options_.pauseMs) * 1000 : 0;
        out_.push_back({bytes[i], notBefore, pause});
    }
}

// Gone at once, without a word: the line as a dealer meets it when the cable is pulled.
void MowerSimulator::vanish()
{
    std::raise(SIGKILL);
    std::_Exit(1);
}

void MowerSimulator::sendImageChunk(Micros at)
{
    if (imageOffset_ >= data_.image.size())
        imageOffset_ = 0;
    std::size_t count = std::min<std::size_t>(options_.chunk, data_.image.size() - imageOffset_);
    if (options_.dieAfterImageBytes >= 0
        && imageBytesQueued_ + count >= static_cast<std::size_t>(options_.dieAfterImageBytes)) {
        count = static_cast<std::size_t>(options_.dieAfterImageBytes) - imageBytesQueued_;
        vanishWhenSent_ = true;
    }
    imageBytesQueued_ += count;
    int pauseIndex = -1;
    if (options_.pauseAfter >= 0 && std::size_t(options_.pauseAfter) >= imageOffset_
        && std::size_t(options_.pauseAfter) < imageOffset_ + count)
        pauseIndex = options_.pauseAfter - static_cast<int>(imageOffset_);
    send(&data_.image[imageOffset_], count, at, pauseIndex);
    imageOffset_ += count;
}

void MowerSimulator::onIdleByte(std::uint8_t byte, Micros at)
{
    const char name[2] = {static_cast<char>(byte), 0};
    switch (byte) {
    case 'T':
        logLine(name);
        if (!options_.keepTalking)
            out_.clear();  // test mode: the mower falls silent
        if (!options_.noEcho) {
            const std::uint8_t echo = options_.echoByte.value_or('T');
            send(&echo, 1, at);
        }
        return;
    case 'I': {
        logLine(name);
        std::vector<std::uint8_t> frame(data_.frame.begin(), data_.frame.end());
        frame.resize(static_cast<std::size_t>(options_.infoLength.value_or(16)), 0);
        send(frame.data(), frame.size(), at);
        return;
    }
    case 'H':
        logLine(name);
        if (!options_.noHistory)
            sendImageChunk(at);
        return;
    case 't':
        logLine(name);
        state_ = State::SyncStarted;
        return;
    case 'b':
        logLine(name);
        return;
    default: {
        char text[16];
        std::snprintf(text, sizeof text, "? %2.2x", byte);
        logLine(text);
    }
    }
}

void MowerSimulator::onByte(std::uint8_t byte, Micros at)
{
    switch (state_) {
    case State::Idle:
        onIdleByte(byte, at);
        return;
    case State::SyncStarted:
        if (byte != 'B') {
            state_ = State::Idle;
            onIdleByte(byte, at);
            return;
        }
        logLine("B");
        state_ = State::Programming;
        if (!options_.noSync) {
            const std::uint8_t ack = Ack;
            send(&ack, 1, at);
        }
        return;
    case State::Programming:
        if (byte == 'P' || byte == 'Q' || byte == 'R') {
            state_ = State::Record;
            recordCommand_ = byte;
            record_.clear();
            recordStart_ = at;
            recordLastByte_ = at;
            return;
        }
        if (byte == 'b') {
            logLine("b");
            state_ = State::Idle;
            return;
        }
        onIdleByte(byte, at);
        return;
    case State::Record:
        if (record_.size() < MaxRecordBytes)
            record_.push_back(byte);
        recordLastByte_ = at;
        return;
    }
}

void MowerSimulator::finishRecord(Micros at)
{
    std::string text(1, static_cast<char>(recordCommand_));
    text += ':';
    static const char digits[] = "0123456789abcdef";
    for (const std::uint8_t b : record_) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    logLine(text.c_str());
    ++recordNumber_;
    if (recordNumber_ == options_.dieAtRecord)
        vanish();
    std::uint8_t answer = Ack;
    if (recordNumber_ == options_.nakRecord)
        answer = Nak;
    else if (recordNumber_ == options_.badAnswerRecord)
        answer = options_.badAnswerByte;
    // With pacing the record has taken its time on the line before the mower answers.
    const Micros received = recordStart_ + Micros(record_.size() + 1) * byteTime_;
    send(&answer, 1, std::max(at, received));
    state_ = State::Programming;
}

void MowerSimulator::flushDue(Micros at)
{
    std::uint8_t batch[512];
    Micros freeAfter[512];
    std::size_t n = 0;
    Micros lineFree = lineFree_;
    for (const OutByte& o : out_) {
        const Micros due = std::max(o.notBefore, lineFree + o.pause);
        if (due > at || n == sizeof batch)
            break;
        lineFree = due + byteTime_;
        batch[n] = o.byte;
        freeAfter[n] = lineFree;
        ++n;
    }
    if (n == 0)
        return;
    const ssize_t written = ::write(fd_, batch, n);
    if (written <= 0)
        return;
    lineFree_ = freeAfter[written - 1];
    out_.erase(out_.begin(), out_.begin() + written);
}

bool MowerSimulator::outputDue(Micros at) const
{
    return !out_.empty() && std::max(out_.front().notBefore, lineFree_ + out_.front().pause) <= at;
}

MowerSimulator::Micros MowerSimulator::nextWake(Micros at) const
{
    // With output due, the wait is for the pty to take it (POLLOUT), not for a time.
    Micros wake = at + (outputDue(at) ? 10000 : 100000);
    if (!out_.empty() && !outputDue(at))
        wake = std::min(wake, std::max(out_.front().notBefore, lineFree_ + out_.front().pause));
    if (state_ == State::Record)
        wake = std::min(wake, record_.empty() ? recordStart_ + EmptyRecordWait
                                              : recordLastByte_ + Micros(options_.recordGapMs * 1000));
    if (options_.keepTalking)
        wake = std::min(wake, nextTalk_);
    return wake;
}

void MowerSimulator::run()
{
    const Micros end = now() + Micros(options_.exitAfterSeconds * 1e6);
    std::uint8_t buffer[1024];
    for (;;) {
        Micros at = now();
        if (at >= end)
            return;
        const Micros wait = std::max<Micros>(0, nextWake(at) - at);
        pollfd pfd {fd_, POLLIN, 0};
        if (outputDue(at))
            pfd.events |= POLLOUT;
        const timespec timeout {static_cast<time_t>(wait / 1000000), static_cast<long>((wait % 1000000) * 1000)};
        if (ppoll(&pfd, 1, &timeout, nullptr) < 0 && errno != EINTR)
            return;
        at = now();
        if (pfd.revents & POLLIN) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i)
                onByte(buffer[i], at);
        }
        if (state_ == State::Record) {
            const bool ended = record_.empty() ? at - recordStart_ >= EmptyRecordWait
                                               : at - recordLastByte_ >= Micros(options_.recordGapMs * 1000);
            if (ended)
                finishRecord(at);
        }
        if (options_.keepTalking && at >= nextTalk_) {
            const std::uint8_t chatter = 0x55;
            if (out_.size() < 64)
                send(&chatter, 1, at);
            nextTalk_ = at + 1000;
        }
        flushDue(at);
        if (vanishWhenSent_ && out_.empty())
            vanish();
    }
}
