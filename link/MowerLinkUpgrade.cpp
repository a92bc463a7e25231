#include "link/MowerLink.h"

#include "core/AppTexts.h"
#include "core/Clock.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "link/EComPort.h"
#include "link/SerialPort.h"
#include "link/ShownProgress.h"
#include "link/TVFFile.h"

#include <cstdio>
#include <filesystem>

namespace {

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
    // An error that escapes (a file that cannot be read) closes the port too;
    // a port error is told by the step that met it.
    try {
        return upgradeOnOpenLink(chooseFile);
    } catch (...) {
        port_.Close();
        throw;
    }
}

bool MowerLink::upgradeOnOpenLink(const FileChooser& chooseFile)
{
    try {
        port_.ClearBuffer(true, true);
    } catch (const EComPort& error) {
        return connectionLost(Msg::UpgradeNoCommunication, "Connection lost before the upgrade: ", error);
    }

    const std::optional<std::string> path = chooseFile();
    if (!path) {
        port_.Close();
        return false;
    }
    const TVFFile file = TVFFile::read(*path);
    trace_("Update file is: " + fullName(*path));

    const TVFCheck check = file.check();
    if (!check.ok) {
        user_.messageBox(MsgType::Warning,
                         catalogueText(Msg::CorruptedFile) + "\n"
                             + appText(AppText::UpgradeFileName, {fullName(*path)}),
                         MbOK);
        trace_(check.traceLine);
        port_.Close();
        return false;
    }
    if (user_.messageBox(MsgType::Confirmation, catalogueText(Msg::ConfirmFirmwareVersion) + file.versionText(), MbOK | MbCancel) != MbOK) {
        trace_("update cancelled by user");
        port_.Close();
        return false;
    }
    try {
        if (!waitForSynchro()) {
            user_.messageBox(MsgType::Error, catalogueText(Msg::UpgradeNoCommunication), MbOK);
            trace_("waitForSynchro return false");
            port_.Close();
            return false;
        }
    } catch (const EComPort& error) {
        return connectionLost(Msg::UpgradeNoCommunication, "waitForSynchro return false ", error);
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

std::string MowerLink::upgradeTraceLine(const char* format, std::size_t lineNumber, int answer)
{
    char text[96];
    if (answer < 0)
        std::snprintf(text, sizeof text, format, static_cast<int>(lineNumber));
    else
        std::snprintf(text, sizeof text, format, static_cast<int>(lineNumber), answer);
    return text;
}

void MowerLink::failUpgrade(MsgType boxType, const char* format, std::size_t lineNumber, int answer)
{
    user_.messageBox(boxType, catalogueText(Msg::UpgradeFailed), MbOK);
    trace_(upgradeTraceLine(format, lineNumber, answer));
}

// Each data line goes as its section's command byte, a pause until the driver
// has sent it, the decoded record in one write, and exactly one answer byte.
// A port error ends the upgrade as the step it met would have, with the
// port closed.
bool MowerLink::programLines(const std::vector<std::string>& lines)
{
    ShownProgress shown(progress_);
    progress_.setCaption(catalogueText(Msg::UpgradeInProgress));
    progress_.setMaximum(static_cast<int>(lines.size()));
    progress_.setNote(appText(AppText::UpgradeKeepMowerOn));
    shown.show();

    constexpr const char* SendingCommand = "problem sending write command at line %d ";
    constexpr const char* AwaitingAnswer = "timeout when programming line %d ";
    const char* step = SendingCommand;
    std::size_t lineNumber = 0;
    try {
        std::uint8_t command = 0;
        for (std::size_t index = 1; index < lines.size(); ++index) {
            lineNumber = index + 1;
            progress_.setPosition(static_cast<int>(index));
            if (const McuSection* section = TVFFile::sectionOf(lines[index])) {
                command = section->commandByte;
                progress_.setText(section->name);
                trace_(section->traceLine);
                continue;
            }
            const std::vector<std::uint8_t> record = TVFFile::decodeDataLine(lines[index]);
            step = SendingCommand;
            writeByte(command);
            if (!pollUntil([this] { return port_.OutputCount() == 0; }, CommandSentPolls)) {
                shown.hide();
                failUpgrade(MsgType::Warning, SendingCommand, lineNumber);
                return false;
            }
            step = AwaitingAnswer;
            port_.Write(record.data(), record.size());
            if (!pollUntil([this] { return port_.InputCount() != 0; }, AnswerPolls)) {
                shown.hide();
                failUpgrade(MsgType::Error, AwaitingAnswer, lineNumber);
                return false;
            }
            std::uint8_t answer = 0;
            if (port_.Read(&answer, 1) != 1) {
                shown.hide();
                failUpgrade(MsgType::Error, AwaitingAnswer, lineNumber);
                return false;
            }
            if (answer == Ack)
                continue;
            shown.hide();
            if (answer == Nak)
                failUpgrade(MsgType::Error, "Received NACK result for line %d ", lineNumber);
            else
                failUpgrade(MsgType::Error, "Unexpected result while programming line %d : %2.2x", lineNumber,
                            answer);
            return false;
        }
        step = nullptr;
        writeByte(EndOfProgramming);
    } catch (const EComPort& error) {
        shown.hide();
        return connectionLost(Msg::UpgradeFailed,
                              step ? upgradeTraceLine(step, lineNumber) : "problem sending end of programming ",
                              error);
    }
    shown.hide();
    user_.showMessage(catalogueText(Msg::UpgradeDone));
    return true;
}
