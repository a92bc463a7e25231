// Any bytes as a .bin history file. It is taken exactly when it holds 8208
// bytes whose 16-byte info frame passes the link's test of a frame
// (isValidInfoFrame): by the test of the bytes, by the import from a file
// (which otherwise leaves its buffers alone and tells the user), and the
// history made of it carries the frame's fields and the image.
#include "fuzz/FuzzFolder.h"

#include "Class/RecordFile.h"
#include "Class/TVXException.h"
#include "Component/RecordImport.h"
#include "core/UserInteraction.h"
#include "link/InfoFrame.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "bin history: %s\n", what);
    std::abort();
}

// Counts the message boxes; a dialog of any other kind is not expected.
class CountingUser : public UserInteraction {
public:
    int boxes = 0;
    MsgButton messageBox(MsgType, const std::string&, unsigned) override
    {
        ++boxes;
        return MbOK;
    }
    void showMessage(const std::string&) override { fail("a plain message on importing a history file"); }
    std::optional<std::string> chooseOpenFile(const std::string&, const std::vector<FileFilter>&, int) override
    {
        fail("a file dialog on importing a history file");
        return std::nullopt;
    }
    std::optional<std::string> chooseSaveFile(const std::string&, const std::vector<FileFilter>&, int,
                                              const std::string&) override
    {
        fail("a file dialog on importing a history file");
        return std::nullopt;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    InfoFrame frame {};
    std::memcpy(frame.data(), data, std::min(size, frame.size()));
    const bool valid = size == BinHistoryFileSize && isValidInfoFrame(frame);

    const std::optional<std::string> defect = binHistoryDefect(bytes);
    if (defect.has_value() == valid)
        fail(valid ? "a sound history file is refused" : "a damaged history file is taken");
    if (defect && defect->empty())
        fail("a refusal without its reason");

    // The import from a file: the buffers change exactly when the file is taken.
    static const std::string path = fuzzfolder::make("fuzz-bin") + "/history.bin";
    fuzzfolder::writeInput(path, bytes);
    InfoFrameBuffer infoFrame;
    HistoryImageBuffer image;
    infoFrame.fill(0xA5);
    image.fill(0x5A);
    CountingUser user;
    const bool taken = readBinFile(path, infoFrame, image, user);
    if (taken != valid)
        fail(valid ? "the import refuses a sound history file" : "the import takes a damaged history file");
    if (user.boxes != (taken ? 0 : 1))
        fail("the user is not told exactly once of a refused file, or told of a taken one");
    if (taken) {
        if (std::memcmp(infoFrame.data(), data, infoFrame.size()) != 0 ||
            std::memcmp(image.data(), data + infoFrame.size(), image.size()) != 0)
            fail("the import's buffers are not the file's bytes");
    } else if (std::any_of(infoFrame.begin(), infoFrame.end(), [](std::uint8_t b) { return b != 0xA5; }) ||
               std::any_of(image.begin(), image.end(), [](std::uint8_t b) { return b != 0x5A; })) {
        fail("a refused file changed the import's buffers");
    }

    // The history made of the bytes: any 8208 bytes make one, the frame's test
    // is the import's.
    try {
        const auto history = readBinHistory(bytes);
        if (size != BinHistoryFileSize)
            fail("a history is made of a file of the wrong size");
        if (history->getTypeByte() != data[6] || history->getBootloaderVersion() != data[15] ||
            std::memcmp(history->getImage().data(), data + TVXLog::InfoFrameSize, TVXLog::ImageSize) != 0)
            fail("the history does not carry the frame's fields and the image");
    } catch (const TVXFormat_error&) {
        if (size == BinHistoryFileSize)
            fail("no history is made of 8208 bytes");
    }
    return 0;
}
