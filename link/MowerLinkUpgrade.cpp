#include "link/MowerLink.h"

#include "core/Clock.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "link/SerialPort.h"
#include "link/ShownProgress.h"
#include "link/TVFFile.h"

#include <cstdio>
#include <filesystem>

namespace {

std::string message(std::uint16_t number)
{
    return TVXStringTable::instance().getMessageText(number);
}

constexpr std::uint8_t Ack = 0x06;
constexpr std::uint8_t Nak = 0x15;
constexpr std::uint8_t EndOfProgramming = 0x62;  // 'b'

std::string fullName(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

}  // namespace

bool MowerLink::upgradeFirmware(const std::string& tvfPath)
{
    return upgradeFirmware([&tvfPath]() -> std::optional<std::string> { return tvfPath; });
}

bool MowerLink::upgradeFirmware(const FileChooser& chooseFile)
{
    trace_("request software update");
    if (!openLink(port_.GetPort()))
        return false;
    // An error that escapes (a file that cannot be read, a port error such as
    // a device gone) closes the port: left open on a device that went away,
    // it would fail every later command on the same name.
    try {
        return upgradeOnOpenLink(chooseFile);
    } catch (...) {
        port_.Close();
        throw;
    }
}

bool MowerLink::upgradeOnOpenLink(const FileChooser& chooseFile)
{
    port_.ClearBuffer(true, true);

    const std::optional<std::string> path = chooseFile();
    if (!path) {
        port_.Close();
        return false;
    }
    const TVFFile file = TVFFile::read(*path);
    trace_("Update file is: " + fullName(*path));

    const TVFCheck check = file.check();
    if (!check.ok) {
        user_.messageBox(MsgType::Warning, message(Msg::CorruptedFile), MbOK);
        trace_(check.traceLine);
        port_.Close();
        return false;
    }
    if (user_.messageBox(MsgType::Confirmation, message(Msg::ConfirmFirmwareVersion) + file.versionText(), MbOK | MbCancel) != MbOK) {
        trace_("update cancelled by user");
        port_.Close();
        return false;
    }
    if (!waitForSynchro()) {
        user_.messageBox(MsgType::Error, message(Msg::UpgradeNoCommunication), MbOK);
        trace_("waitForSynchro return false");
        port_.Close();
        return false;
    }
    return programLines(file.lines());
}

bool MowerLink::pollUntil(const std::function<bool()>& ready, int maxPolls)
{
    const std::uint64_t start = clock_.monotonicMicros();
    const std::uint64_t limit = static_cast<std::uint64_t>(maxPolls) * PollSleepMicros;
    for (int poll = 0; poll < maxPolls; ++poll) {
        if (ready())
            return true;
        if (clock_.monotonicMicros() - start >= limit)
            return false;
        clock_.sleepMicros(PollSleepMicros);
    }
    return false;
}

void MowerLink::failUpgrade(MsgType boxType, const char* format, std::size_t lineNumber, int answer)
{
    user_.messageBox(boxType, message(Msg::UpgradeFailed), MbOK);
    char text[96];
    if (answer < 0)
        std::snprintf(text, sizeof text, format, static_cast<int>(lineNumber));
    else
        std::snprintf(text, sizeof text, format, static_cast<int>(lineNumber), answer);
    trace_(text);
}

// Each data line goes as its section's command byte, a pause until the driver
// has sent it, the decoded record in one write, and exactly one answer byte.
bool MowerLink::programLines(const std::vector<std::string>& lines)
{
    ShownProgress shown(progress_);
    progress_.setCaption(message(Msg::UpgradeInProgress));
    progress_.setMaximum(static_cast<int>(lines.size()));
    shown.show();

    std::uint8_t command = 0;
    for (std::size_t index = 1; index < lines.size(); ++index) {
        const std::size_t lineNumber = index + 1;
        progress_.setPosition(static_cast<int>(index));
        if (const McuSection* section = TVFFile::sectionOf(lines[index])) {
            command = section->commandByte;
            progress_.setText(section->name);
            trace_(section->traceLine);
            continue;
        }
        const std::vector<std::uint8_t> record = TVFFile::decodeDataLine(lines[index]);
        writeByte(command);
        if (!pollUntil([this] { return port_.OutputCount() == 0; }, CommandSentPolls)) {
            shown.hide();
            failUpgrade(MsgType::Warning, "problem sending write command at line %d ", lineNumber);
            return false;
        }
        port_.Write(record.data(), record.size());
        if (!pollUntil([this] { return port_.InputCount() != 0; }, AnswerPolls)) {
            shown.hide();
            failUpgrade(MsgType::Error, "timeout when programming line %d ", lineNumber);
            return false;
        }
        std::uint8_t answer = 0;
        if (port_.Read(&answer, 1) != 1) {
            shown.hide();
            failUpgrade(MsgType::Error, "timeout when programming line %d ", lineNumber);
            return false;
        }
        if (answer == Ack)
            continue;
        shown.hide();
        if (answer == Nak)
            failUpgrade(MsgType::Error, "Received NACK result for line %d ", lineNumber);
        else
            failUpgrade(MsgType::Error, "Unexpected result while programming line %d : %2.2x", lineNumber, answer);
        return false;
    }
    writeByte(EndOfProgramming);
    shown.hide();
    user_.showMessage(message(Msg::UpgradeDone));
    return true;
}
