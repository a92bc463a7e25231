#pragma once

#include "core/UserInteraction.h"
#include "link/InfoFrame.h"
#include "link/PortAccess.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class Clock;
class EComPort;
class ProgressWindow;
class SerialPort;

// The listed ports: those that can be opened now, and the others with their reason.
struct PortSurvey {
    std::vector<std::string> free;
    std::vector<UnusablePort> unusable;
};

// The link commands with a mower: port discovery, opening the link, test mode,
// info frame, synchronisation, firmware upgrade and history download. Every
// exchange is synchronous on the calling thread: a command byte is written,
// the clock sleeps, the port's counts are polled. Failures go to the trace log;
// the commands themselves tell the user through the message boxes.
//
// A port error in the middle of a command (a cable pulled, an adapter
// unplugged, a mower switched off) ends that command on its own failure path:
// the command's failure message with a line saying that the connection was
// lost, the system's text in the trace log, the port closed so that the same
// command works again once the mower is back.
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

    // The ports that can be opened now, and why the others cannot; the current
    // port name is kept. Raises EComPort when the system's list cannot be read.
    PortSurvey surveyPorts();
    std::vector<std::string> listFreePorts();
    // Tries every free port; the port of the mower is left open and current.
    bool findMower();
    // By findMower with automatic scan, otherwise on portName; tells the user
    // when it fails, with the ports the user may not open.
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
    // The end of a command whose port failed in the middle: the reason to the
    // trace log after traceLine, the port closed, the message box with the
    // line that tells the dealer what to do. Returns false.
    bool connectionLost(std::uint16_t message, const std::string& traceLine, const EComPort& error);
    bool pollUntil(const std::function<bool()>& ready, int maxPolls);
    bool downloadOnOpenLink(InfoFrame& infoFrame, HistoryImage& historyImage);
    // Counts in byteCount as each byte is stored, so that a port error leaves the true count.
    void receiveImage(HistoryImage& image, std::uint32_t& byteCount);
    bool upgradeOnOpenLink(const FileChooser& chooseFile);
    bool programLines(const std::vector<std::string>& lines);
    static std::string upgradeTraceLine(const char* format, std::size_t lineNumber, int answer = -1);
    void failUpgrade(MsgType boxType, const char* format, std::size_t lineNumber, int answer = -1);

    SerialPort& port_;
    Clock& clock_;
    UserInteraction& user_;
    ProgressWindow& progress_;
    const bool& autoScan_;
    PortLister listPorts_;
    TraceLog trace_;

    // What the last scan met besides silent ports, for its message.
    std::vector<UnusablePort> scanRefused_;
    bool scanLostConnection_ = false;
};
