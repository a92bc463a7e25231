#pragma once

#include "core/UserInteraction.h"
#include "link/InfoFrame.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class Clock;
class ProgressWindow;
class SerialPort;

// The link commands with a mower: port discovery, opening the link, test mode,
// info frame, synchronisation, firmware upgrade and history download. Every
// exchange is synchronous on the calling thread: a command byte is written,
// the clock sleeps, the port's counts are polled. Failures go to the trace log;
// the commands themselves tell the user through the message boxes.
//
// The main window owns the port, the automatic-scan setting and the two
// buffers; the link holds references to them and never sleeps, shows a dialog
// or lists the system's ports on its own.
class MowerLink {
public:
    using PortLister = std::function<std::vector<std::string>()>;
    using TraceLog = std::function<void(const std::string&)>;
    // Asked for the upgrade file once the link is open; no value when the user cancels.
    using FileChooser = std::function<std::optional<std::string>()>;

    MowerLink(SerialPort& port, Clock& clock, UserInteraction& user, ProgressWindow& progress,
              const bool& autoScan, PortLister listPorts = systemPorts(), TraceLog trace = traceLog());

    // The system's serial ports (TComPort::EnumComPorts), and the process's trace log (CLogger).
    static PortLister systemPorts();
    static TraceLog traceLog();

    // The ports that can be opened now; the current port name is kept.
    std::vector<std::string> listFreePorts();
    // Tries every free port; the port of the mower is left open and current.
    bool findMower();
    // By findMower with automatic scan, otherwise on portName; tells the user when it fails.
    bool openLink(const std::string& portName);
    bool enterTestMode();
    // Fills frame with the 16 bytes read (an invalid frame too); true when valid.
    bool readInfoFrame(InfoFrame& frame);
    bool checkMower();
    bool waitForSynchro();

    // The whole upgrade command. True after "Upgrade done.". The file is
    // checked completely before anything is sent to the mower.
    bool upgradeFirmware(const FileChooser& chooseFile);
    bool upgradeFirmware(const std::string& tvfPath);

    // Reads the info frame and the whole history image into the buffers;
    // the port is closed on every way out once the link was open.
    bool downloadHistory(InfoFrame& infoFrame, HistoryImage& historyImage);

    // The programming loop's waits: a poll that finds nothing sleeps this long,
    // so each wait is bounded by its number of polls and by a time.
    static constexpr unsigned PollSleepMicros = 100;
    static constexpr int CommandSentPolls = 4000;
    static constexpr int AnswerPolls = 40000;

private:
    void writeByte(std::uint8_t byte);
    bool pollUntil(const std::function<bool()>& ready, int maxPolls);
    bool downloadOnOpenLink(InfoFrame& infoFrame, HistoryImage& historyImage);
    std::uint32_t receiveImage(HistoryImage& image, std::uint32_t byteCount);
    bool upgradeOnOpenLink(const FileChooser& chooseFile);
    bool programLines(const std::vector<std::string>& lines);
    void failUpgrade(MsgType boxType, const char* format, std::size_t lineNumber, int answer = -1);

    SerialPort& port_;
    Clock& clock_;
    UserInteraction& user_;
    ProgressWindow& progress_;
    const bool& autoScan_;
    PortLister listPorts_;
    TraceLog trace_;
};
