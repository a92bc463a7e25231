#include "LinkFakes.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

std::string hexBytes(const std::uint8_t* bytes, std::size_t count)
{
    std::string text;
    char pair[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, "%2.2x", bytes[i]);
        text += pair;
    }
    return text;
}

void FakeClock::sleep(unsigned ms)
{
    events_.push_back("sleep " + std::to_string(ms));
    micros_ += std::uint64_t(ms) * 1000;
}

void ScriptedPort::arrive(const std::vector<std::uint8_t>& bytes, std::uint64_t delayMicros,
                          std::uint64_t spacingMicros)
{
    std::uint64_t at = clock_.micros() + delayMicros;
    if (!incoming_.empty())
        at = std::max(at, incoming_.back().at);
    for (const std::uint8_t b : bytes) {
        incoming_.push_back({at, b});
        at += spacingMicros;
    }
}

void ScriptedPort::SetPort(const std::string& name)
{
    if (name == name_)
        return;
    events_.push_back("setport " + name);
    name_ = name;
    if (open_) {
        Close();
        Open();
    }
}

void ScriptedPort::Open()
{
    if (open_)
        return;
    if (busy.count(name_)) {
        events_.push_back("open-fail " + name_);
        throw EComPort(name_ + ": port held by another process", EBUSY);
    }
    if (refused.count(name_)) {
        events_.push_back("open-fail " + name_);
        throw EComPort(name_ + ": cannot open: Permission denied", EACCES);
    }
    events_.push_back("open " + name_);
    open_ = true;
    incoming_.clear();
}

void ScriptedPort::Close()
{
    if (!open_)
        return;
    events_.push_back("close " + name_);
    open_ = false;
}

int ScriptedPort::InputCount()
{
    // The bytes arrive in time order.
    const auto arrived = std::upper_bound(incoming_.begin(), incoming_.end(), clock_.micros(),
                                          [](std::uint64_t now, const Incoming& in) { return now < in.at; });
    return static_cast<int>(arrived - incoming_.begin());
}

void ScriptedPort::ClearBuffer(bool input, bool output)
{
    if (!quiet)
        events_.push_back(std::string("clear ") + (input ? "i" : "") + (output ? "o" : ""));
    if (input)
        while (!incoming_.empty() && incoming_.front().at <= clock_.micros())
            incoming_.pop_front();
}

std::size_t ScriptedPort::Write(const std::uint8_t* buffer, std::size_t count)
{
    if (!open_)
        throw EComPort(name_ + ": write on a closed port");
    if (writesBeforeUnplug >= 0 && writes.size() >= std::size_t(writesBeforeUnplug)) {
        events_.push_back("write-fail " + name_);
        throw EComPort(name_ + ": cannot write: device gone");
    }
    if (!quiet)
        events_.push_back("write " + hexBytes(buffer, count));
    std::vector<std::uint8_t> bytes(buffer, buffer + count);
    writes.push_back(bytes);
    if (onWrite)
        onWrite(*this, bytes);
    return count;
}

std::size_t ScriptedPort::Read(std::uint8_t* buffer, std::size_t count)
{
    if (!open_)
        throw EComPort(name_ + ": read on a closed port");
    std::size_t n = 0;
    while (n < count && !incoming_.empty() && incoming_.front().at <= clock_.micros()) {
        buffer[n++] = incoming_.front().byte;
        incoming_.pop_front();
    }
    if (!quiet)
        events_.push_back("read " + (n ? hexBytes(buffer, n) : std::string("-")));
    return n;
}

void VanishingPort::reach(const char* what, const std::string& name)
{
    const long call = count_++;
    if (recording)
        calls.push_back(name);
    if (failAt < 0 || call < failAt)
        return;
    failed_ = true;
    throw EComPort(line_.GetPort() + ": " + what + ": Input/output error", EIO);
}

void VanishingPort::SetPort(const std::string& name)
{
    if (line_.IsOpen() && name != line_.GetPort()) {
        try {
            reach("cannot open", "setport");
        } catch (const EComPort&) {
            line_.Close();
            line_.SetPort(name);
            throw;
        }
    }
    line_.SetPort(name);
}

void VanishingPort::Open()
{
    if (line_.IsOpen())
        return;
    reach("cannot open", "open");
    line_.Open();
}

int VanishingPort::InputCount()
{
    reach("cannot count the received bytes", "in");
    return line_.InputCount();
}

int VanishingPort::OutputCount()
{
    reach("cannot count the unsent bytes", "out");
    return line_.OutputCount();
}

void VanishingPort::ClearBuffer(bool input, bool output)
{
    reach("cannot clear the buffers", "clear");
    line_.ClearBuffer(input, output);
}

std::size_t VanishingPort::Write(const std::uint8_t* buffer, std::size_t count)
{
    reach("cannot write", recording ? "write " + hexBytes(buffer, count) : std::string("write"));
    return line_.Write(buffer, count);
}

std::size_t VanishingPort::Read(std::uint8_t* buffer, std::size_t count)
{
    reach("cannot read", "read");
    return line_.Read(buffer, count);
}

std::vector<std::uint8_t> validFrame()
{
    return {0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x04, 0x08, 0x07, 0x16, 0x01, 0x04, 0xA1, 0xB2, 0xC3, 0x22};
}

FakeMower::FakeMower()
    : frame(validFrame())
{
}

void FakeMower::attach(ScriptedPort& port)
{
    port.onWrite = [this](ScriptedPort& p, const std::vector<std::uint8_t>& bytes) { onWrite(p, bytes); };
}

void FakeMower::onWrite(ScriptedPort& port, const std::vector<std::uint8_t>& bytes)
{
    if (!onPort.empty() && port.GetPort() != onPort)
        return;
    if (programming_ && pendingCommand_) {
        records.push_back(std::string(1, char(pendingCommand_)) + ":" + hexBytes(bytes.data(), bytes.size()));
        pendingCommand_ = 0;
        port.arrive({answerFor(int(records.size()))}, byteSpacingMicros * (bytes.size() + 1));
        return;
    }
    if (bytes.size() != 1)
        return;
    const std::uint8_t b = bytes[0];
    if (programming_ && (b == 'P' || b == 'Q' || b == 'R')) {
        pendingCommand_ = b;
        return;
    }
    const bool syncStarted = sawSyncStart_;
    sawSyncStart_ = false;
    switch (b) {
    case 'T':
        if (echo)
            port.arrive({echoByte}, byteSpacingMicros);
        break;
    case 'I':
        port.arrive(frame, byteSpacingMicros, byteSpacingMicros);
        break;
    case 'H':
        if (onHistory)
            onHistory(port, historyRequests_);
        else if (historyRequests_ < historyReplies.size())
            port.arrive(historyReplies[historyRequests_], byteSpacingMicros, byteSpacingMicros);
        ++historyRequests_;
        break;
    case 't':
        sawSyncStart_ = true;
        break;
    case 'B':
        if (syncStarted) {
            programming_ = true;
            port.arrive(syncAnswer, byteSpacingMicros, byteSpacingMicros);
        }
        break;
    case 'b':
        programming_ = false;
        records.push_back("b");
        break;
    default:
        break;
    }
}

MsgButton RecordingUser::messageBox(MsgType type, const std::string& text, unsigned buttons)
{
    events_.push_back("box " + text);
    return ScriptedUser::messageBox(type, text, buttons);
}

void RecordingUser::showMessage(const std::string& text)
{
    events_.push_back("message " + text);
    ScriptedUser::showMessage(text);
}

std::vector<std::string> LinkRig::eventsStartingWith(const std::string& prefix) const
{
    std::vector<std::string> picked;
    for (const std::string& e : events)
        if (e.compare(0, prefix.size(), prefix) == 0)
            picked.push_back(e);
    return picked;
}
