#pragma once

#include "core/Clock.h"
#include "core/ProgressWindow.h"
#include "core/TVXStringTable.h"
#include "core/UserInteraction.h"
#include "link/EComPort.h"
#include "link/MowerLink.h"
#include "link/SerialPort.h"
#include "support/ScriptedUser.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

// One ordered list of what the link did to the port, the clock and the user,
// so that a test can check the exact sequence.
using EventLog = std::vector<std::string>;

std::string hexBytes(const std::uint8_t* bytes, std::size_t count);

// Time that passes only when the link sleeps.
class FakeClock : public Clock {
public:
    explicit FakeClock(EventLog& events)
        : events_(events)
    {
    }
    void sleep(unsigned ms) override;
    void sleepMicros(unsigned us) override { micros_ += us; }
    LocalTime now() override { return {}; }
    std::uint64_t monotonicMicros() override { return micros_; }
    std::uint64_t micros() const { return micros_; }

private:
    EventLog& events_;
    std::uint64_t micros_ = 1000000;
};

// A port whose line is a script: bytes arrive at chosen fake times, and a
// responder reacts to what the link writes.
class ScriptedPort : public SerialPort {
public:
    ScriptedPort(EventLog& events, FakeClock& clock)
        : events_(events)
        , clock_(clock)
    {
    }

    std::set<std::string> busy;      // Open raises for these names
    std::set<std::string> refused;   // Open raises "permission denied" for these names
    bool quiet = false;              // no events for reads, writes and clearings (long loops)
    bool outputStuck = false;        // OutputCount never reaches 0
    int writesBeforeUnplug = -1;     // Write raises from then on, as for a device gone
    std::function<void(ScriptedPort&, const std::vector<std::uint8_t>&)> onWrite;
    std::vector<std::vector<std::uint8_t>> writes;

    // Bytes that reach the driver after the given delay from now.
    void arrive(const std::vector<std::uint8_t>& bytes, std::uint64_t delayMicros = 0,
                std::uint64_t spacingMicros = 0);

    void SetPort(const std::string& name) override;
    const std::string& GetPort() const override { return name_; }
    void Open() override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    int InputCount() override;
    int OutputCount() override { return outputStuck ? 1 : 0; }
    void ClearBuffer(bool input, bool output) override;
    std::size_t Write(const std::uint8_t* buffer, std::size_t count) override;
    std::size_t Read(std::uint8_t* buffer, std::size_t count) override;

private:
    struct Incoming {
        std::uint64_t at;
        std::uint8_t byte;
    };
    EventLog& events_;
    FakeClock& clock_;
    std::string name_ = "COM1";
    bool open_ = false;
    std::deque<Incoming> incoming_;
};

// A port whose device goes away at the call numbered failAt (from 0) among
// those that reach the system: that call and every later one raise EComPort
// with EIO, as an unplugged adapter does, until plugBackIn. Close still works.
// SetPort counts only when it reopens an open port. Every call is forwarded to
// the line behind; with `recording` each counted call is named in `calls`
// ("open", "clear", "in", "out", "read", "write 54").
class VanishingPort : public SerialPort {
public:
    explicit VanishingPort(SerialPort& line)
        : line_(line)
    {
    }

    long failAt = -1;  // -1: never
    bool recording = false;
    std::vector<std::string> calls;
    long count() const { return count_; }
    bool failed() const { return failed_; }
    void plugBackIn() { failAt = -1; }

    void SetPort(const std::string& name) override;
    const std::string& GetPort() const override { return line_.GetPort(); }
    void Open() override;
    void Close() override { line_.Close(); }
    bool IsOpen() const override { return line_.IsOpen(); }
    int InputCount() override;
    int OutputCount() override;
    void ClearBuffer(bool input, bool output) override;
    std::size_t Write(const std::uint8_t* buffer, std::size_t count) override;
    std::size_t Read(std::uint8_t* buffer, std::size_t count) override;

private:
    // Raises when this call is at or after failAt.
    void reach(const char* what, const std::string& name);

    SerialPort& line_;
    long count_ = 0;
    bool failed_ = false;
};

// A mower on a scripted port, as the protocol says it behaves.
struct FakeMower {
    std::string onPort;  // answers only on this port; any port when empty
    bool echo = true;
    std::uint8_t echoByte = 'T';
    std::vector<std::uint8_t> frame;  // sent for 'I'
    std::vector<std::vector<std::uint8_t>> historyReplies;  // one per 'H'
    std::function<void(ScriptedPort&, std::size_t request)> onHistory;  // instead of the replies
    std::uint64_t byteSpacingMicros = 260;
    std::vector<std::uint8_t> syncAnswer {0x06};
    std::function<std::uint8_t(int record)> answerFor = [](int) -> std::uint8_t { return 0x06; };
    std::vector<std::string> records;  // "P:0a1b"

    FakeMower();
    void attach(ScriptedPort& port);

private:
    void onWrite(ScriptedPort& port, const std::vector<std::uint8_t>& bytes);
    bool programming_ = false;
    bool sawSyncStart_ = false;
    std::uint8_t pendingCommand_ = 0;
    std::size_t historyRequests_ = 0;
};

// Adds each box and plain message to the link's event log.
class RecordingUser : public ScriptedUser {
public:
    explicit RecordingUser(EventLog& events)
        : events_(events)
    {
    }
    MsgButton messageBox(MsgType type, const std::string& text, unsigned buttons) override;
    void showMessage(const std::string& text) override;

private:
    EventLog& events_;
};

class RecordingProgress : public ProgressWindow {
public:
    std::vector<std::string> calls;
    bool visible = false;
    std::vector<int> positions;
    void setCaption(const std::string& c) override { calls.push_back("caption " + c); }
    void setText(const std::string& t) override { calls.push_back("text " + t); }
    void setMaximum(int m) override { calls.push_back("max " + std::to_string(m)); }
    void setPosition(int p) override { positions.push_back(p); }
    void showWindow() override { visible = true; calls.push_back("show"); }
    void hideWindow() override { visible = false; calls.push_back("hide"); }
    void setNote(const std::string& n) override { calls.push_back("note " + n); }
};

// Everything a MowerLink needs, scripted; messages in English.
struct LinkRig {
    EventLog events;
    FakeClock clock {events};
    ScriptedPort port {events, clock};
    RecordingUser user {events};
    RecordingProgress progress;
    bool autoScan = false;
    std::vector<std::string> portList;
    std::vector<std::string> trace;
    MowerLink link {port, clock, user, progress, autoScan, [this] { return portList; },
                    [this](const std::string& text) { trace.push_back(text); }};

    LinkRig() { TVXStringTable::instance().setLanguage(0); }
    static std::string message(std::uint16_t n) { return catalogueText(n); }
    // The events of one kind ("write ", "sleep "...), in order.
    std::vector<std::string> eventsStartingWith(const std::string& prefix) const;
};

// A valid info frame: serial 0x04A1B2C3, bootloader 0x22.
std::vector<std::uint8_t> validFrame();
