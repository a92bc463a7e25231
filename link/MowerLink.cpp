#include "link/MowerLink.h"

#include "core/AppTexts.h"
#include "core/CLogger.h"
#include "core/Clock.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "link/EComPort.h"
#include "link/SerialPort.h"
#include "link/ShownProgress.h"
#include "link/TComPort.h"

#include <array>

namespace {

constexpr std::uint8_t TestMode = 0x54;  // 'T', echoed by the mower
constexpr std::uint8_t InfoRequest = 0x49;  // 'I'
constexpr std::uint8_t Ack = 0x06;

}  // namespace

MowerLink::MowerLink(SerialPort& port, Clock& clock, UserInteraction& user, ProgressWindow& progress,
                     const bool& autoScan, PortLister listPorts, TraceLog trace)
    : port_(port)
    , clock_(clock)
    , user_(user)
    , progress_(progress)
    , autoScan_(autoScan)
    , listPorts_(std::move(listPorts))
    , trace_(std::move(trace))
{
}

MowerLink::PortLister MowerLink::systemPorts()
{
    return [] {
        std::vector<std::string> ports;
        TComPort::EnumComPorts(ports);
        return ports;
    };
}

MowerLink::TraceLog MowerLink::traceLog()
{
    return [](const std::string& text) { CLogger::instance().log(text); };
}

void MowerLink::writeByte(std::uint8_t byte)
{
    port_.Write(&byte, 1);
}

bool MowerLink::connectionLost(std::uint16_t message, const std::string& traceLine, const EComPort& error)
{
    trace_(traceLine + error.what());
    port_.Close();
    user_.messageBox(MsgType::Error, catalogueText(message) + "\n" + appText(AppText::LinkLost), MbOK);
    return false;
}

PortSurvey MowerLink::surveyPorts()
{
    const std::vector<std::string> names = listPorts_();
    const std::string current = port_.GetPort();
    PortSurvey survey;
    for (const std::string& name : names) {
        try {
            port_.SetPort(name);
            port_.Open();
            port_.Close();
            survey.free.push_back(name);
        } catch (const EComPort& error) {
            port_.Close();
            trace_("Port not free " + name);
            survey.unusable.push_back({name, error.reason(), error.what()});
        }
    }
    port_.SetPort(current);
    return survey;
}

std::vector<std::string> MowerLink::listFreePorts()
{
    return surveyPorts().free;
}

bool MowerLink::findMower()
{
    scanLostConnection_ = false;
    const PortSurvey survey = surveyPorts();
    scanRefused_ = survey.unusable;
    const std::vector<std::string>& ports = survey.free;
    if (ports.empty())
        return false;
    ShownProgress shown(progress_);
    progress_.setCaption(catalogueText(Msg::PortTestCaption));
    progress_.setMaximum(static_cast<int>(ports.size()));
    shown.show();
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const std::string& name = ports[i];
        // A port taken by another process since the survey is passed over; a
        // port that fails while it is tried is closed, and the scan goes on.
        bool opened = false;
        try {
            port_.SetPort(name);
            progress_.setText(catalogueText(Msg::TestingPort) + " " + name);
            progress_.setPosition(static_cast<int>(i));
            trace_("Trying port: " + name);
            port_.Open();
            opened = true;
            if (checkMower()) {
                trace_("Machine connected on port: " + name);
                return true;
            }
        } catch (const EComPort& error) {
            port_.Close();
            if (opened) {
                trace_("Connection lost on port: " + std::string(error.what()));
                scanLostConnection_ = true;
            } else {
                trace_("Port not free " + name);
                scanRefused_.push_back({name, error.reason(), error.what()});
            }
        }
    }
    return false;
}

bool MowerLink::openLink(const std::string& portName)
{
    if (autoScan_) {
        if (findMower())
            return true;
        std::string text = catalogueText(Msg::NoMachineConnected);
        if (const std::string refused = refusedPortsLine(scanRefused_); !refused.empty())
            text += "\n" + refused;
        if (scanLostConnection_)
            text += "\n" + appText(AppText::LinkLost);
        user_.messageBox(MsgType::Warning, text, MbOK);
        return false;
    }
    try {
        port_.SetPort(portName);
        port_.Open();
    } catch (const EComPort& error) {
        port_.Close();
        std::string text = catalogueText(Msg::PortNotFree);
        if (const std::string refused = refusedPortLine(portName, error); !refused.empty())
            text += "\n" + refused;
        user_.messageBox(MsgType::Warning, text, MbOK);
        return false;
    }
    return true;
}

bool MowerLink::enterTestMode()
{
    port_.ClearBuffer(true, true);
    writeByte(TestMode);

    // The mower stops talking once it is in test mode.
    bool silent = false;
    for (int cycle = 1; cycle <= 10 && !silent; ++cycle) {
        port_.ClearBuffer(true, false);
        clock_.sleep(50);
        silent = cycle < 10 && port_.InputCount() == 0;
    }
    if (!silent) {
        trace_("not able to pass in test mode (on port)" + port_.GetPort());
        return false;
    }
    port_.ClearBuffer(true, true);

    std::uint8_t received = TestMode;
    for (int attempt = 0; attempt < 2; ++attempt) {
        writeByte(TestMode);
        clock_.sleep(10);
        std::uint8_t byte = 0;
        if (port_.Read(&byte, 1) != 1) {
            received = TestMode;  // what the log shows when nothing came back
            continue;
        }
        received = byte;
        if (byte == TestMode)
            return true;
    }
    writeByte(TestMode);
    clock_.sleep(10);
    trace_("Bad echo or no echo when switch in test mode, received byte: " + std::to_string(received)
           + " on port: " + port_.GetPort());
    return false;
}

bool MowerLink::readInfoFrame(InfoFrame& frame)
{
    port_.ClearBuffer(true, true);
    writeByte(InfoRequest);

    int pollsLeft = 100;
    bool complete = false;
    while (pollsLeft > 0 && !complete) {
        clock_.sleep(4);
        --pollsLeft;
        complete = pollsLeft > 0 && port_.InputCount() == 16;
    }
    if (!complete) {
        trace_("info frame timeout, size of received frame :" + std::to_string(port_.InputCount())
               + " infoWaitTime = " + std::to_string(pollsLeft));
        return false;
    }
    InfoFrame received {};
    port_.Read(received.data(), received.size());
    frame = received;
    if (isValidInfoFrame(frame))
        return true;
    trace_("Bad info, received buffer is " + hexDump(frame));
    return false;
}

bool MowerLink::checkMower()
{
    if (!enterTestMode())
        return false;
    InfoFrame scratch {};
    return readInfoFrame(scratch);
}

bool MowerLink::waitForSynchro()
{
    port_.ClearBuffer(true, true);
    writeByte('t');
    clock_.sleep(5);
    writeByte('B');
    clock_.sleep(300);

    // A mower that sends nothing leaves 'B' here; when several bytes came, the last decides.
    std::uint8_t received = 'B';
    for (int pass = 0; pass < 3; ++pass) {
        const int waiting = port_.InputCount();
        if (waiting == 0)
            break;
        for (int i = 0; i < waiting; ++i) {
            std::uint8_t byte = 0;
            if (port_.Read(&byte, 1) != 1)
                break;
            received = byte;
        }
        clock_.sleep(100);
    }
    return received == Ack;
}
