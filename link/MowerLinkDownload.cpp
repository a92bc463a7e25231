#include "link/MowerLink.h"

#include "core/Clock.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "link/EComPort.h"
#include "link/SerialPort.h"
#include "link/ShownProgress.h"

#include <algorithm>

namespace {

constexpr std::uint8_t HistoryRequest = 0x48;  // 'H'
constexpr int MaxRequests = 3;
// Bytes beyond the image are read and dropped; a line that never stops ends
// the request after this many.
constexpr std::size_t MaxDroppedBytes = 10000;

}  // namespace

bool MowerLink::downloadHistory(InfoFrame& infoFrame, HistoryImage& historyImage)
{
    trace_("Request loading history");
    if (!openLink(port_.GetPort()))
        return false;
    // Once the link is open the port is closed on every way out: a port left
    // open on a device that went away would fail every later command on the
    // same name. A port error is told by the step that met it.
    try {
        return downloadOnOpenLink(infoFrame, historyImage);
    } catch (...) {
        port_.Close();
        throw;
    }
}

bool MowerLink::downloadOnOpenLink(InfoFrame& infoFrame, HistoryImage& historyImage)
{
    try {
        if (!enterTestMode()) {
            user_.messageBox(MsgType::Error, catalogueText(Msg::DownloadNoCommunication), MbOK);
            port_.Close();
            return false;
        }
    } catch (const EComPort& error) {
        return connectionLost(Msg::DownloadNoCommunication, "Connection lost in test mode: ", error);
    }
    try {
        if (!readInfoFrame(infoFrame)) {
            user_.messageBox(MsgType::Error, catalogueText(Msg::MachineInfoFailed), MbOK);
            port_.Close();
            return false;
        }
    } catch (const EComPort& error) {
        return connectionLost(Msg::MachineInfoFailed, "Connection lost reading info frame: ", error);
    }

    std::uint32_t byteCount = 0;
    int requests = 0;
    const auto loadedSoFar = [&byteCount, &requests] {
        return "Couldn't load history nbByte loaded: " + std::to_string(byteCount)
               + "//retry count :" + std::to_string(requests);
    };
    try {
        ShownProgress shown(progress_);
        progress_.setCaption(catalogueText(Msg::DownloadCaption));
        progress_.setText(catalogueText(Msg::LoadingHistory));
        progress_.setPosition(0);
        shown.show();
        port_.ClearBuffer(true, true);
        do {
            port_.ClearBuffer(true, true);
            writeByte(HistoryRequest);
            progress_.setMaximum(static_cast<int>(historyImage.size()));
            clock_.sleep(100);
            receiveImage(historyImage, byteCount);
            ++requests;
        } while (byteCount != historyImage.size() && requests < MaxRequests);
    } catch (const EComPort& error) {
        // The progress window is gone before the box shows.
        return connectionLost(Msg::MachineInfoFailed, loadedSoFar() + " ", error);
    }

    const bool complete = byteCount == historyImage.size();
    if (!complete) {
        user_.messageBox(MsgType::Error, catalogueText(Msg::MachineInfoFailed), MbOK);
        trace_(loadedSoFar());
    }
    port_.Close();
    return complete;
}

// One request's bytes, stored after those already received; the request ends
// when 50 ms pass without a new byte.
void MowerLink::receiveImage(HistoryImage& image, std::uint32_t& byteCount)
{
    std::size_t dropped = 0;
    while (port_.InputCount() != 0) {
        if (byteCount < image.size()) {
            progress_.setPosition(static_cast<int>(byteCount));
            if (port_.Read(&image[byteCount], 1) != 1)
                break;
            ++byteCount;
        } else {
            std::uint8_t scrap[256];
            const std::size_t want = std::min<std::size_t>(sizeof scrap, static_cast<std::size_t>(port_.InputCount()));
            const std::size_t got = port_.Read(scrap, want);
            dropped += got;
            if (got == 0 || dropped >= MaxDroppedBytes)
                break;
        }
        if (port_.InputCount() == 0)
            clock_.sleep(50);
    }
}
