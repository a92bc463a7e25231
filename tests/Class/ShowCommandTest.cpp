#include "support/RecordFixtures.h"

#include "Class/HistoryRender.h"
#include "core/TVXStringTable.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

class ShowCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() /
               ("quorvane-show-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        TVXStringTable::instance().setLanguage(0);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string file(const std::string& name, const std::string& bytes)
    {
        const auto path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    static std::string slurp(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    ToolRun show(const std::string& args)
    {
        const auto out = (dir_ / "out").string(), err = (dir_ / "err").string();
        const std::string command = std::string(QUORVANE_BUILD_DIR) + "/quorvane-tool show " + args + " >" +
                                    out + " 2>" + err;
        ToolRun run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = slurp(out);
        run.err = slurp(err);
        return run;
    }

    std::filesystem::path dir_;
};

std::string crlf(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

}  // namespace

TEST_F(ShowCommand, RecordFilePrintsEachHistoryAsCopyDataInDateOrder)
{
    fixture::Record r;
    r.name = "Fran\xE7ois";
    r.surname = "M\xFCller";
    r.address = "1 rue X\n";
    fixture::History newer, older;
    newer.year = 2009;
    newer.image[28] = 0x01, newer.image[29] = 0x08;
    newer.image[260] = 5, newer.image[261] = 3;
    older.comment = "hi";
    r.histories = {newer, older};
    const std::string path = file("any-name.thf", fixture::withCrc(fixture::recordBytes(r)));

    // The expected text, built from the rendering of histories read the same way.
    std::vector<std::string> expected;
    for (const fixture::History* h : {&older, &newer}) {
        TVXLog log(std::span<const std::uint8_t, 8192>(reinterpret_cast<const std::uint8_t*>(h->image.data()), 8192));
        log.setTypeByte(std::uint8_t(h->typeByte));
        log.setSoftwareVersion(h->software);
        log.setSerialNumber(h->serial);
        log.setInfoHead({0x10, 0x06, 0, 0, 0, 0});
        log.setDate(TVXLogTime(std::uint16_t(h->year), 5, 7, 14, 5, 30));
        expected.insert(expected.end(), {"Customer references", "Firstname: Fran\u00E7ois",
                                         "Lastname: M\u00FCller", "Address: 1 rue X\n", ""});
        for (const auto& line : renderHistoryText(log))
            expected.push_back(line);
    }
    const ToolRun run = show(path);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, crlf(expected));
    EXPECT_EQ(run.err, "");

    const ToolRun french = show("--lang 1 " + path);
    EXPECT_EQ(french.status, 0);
    EXPECT_NE(french.out, run.out);
}

TEST_F(ShowCommand, RecordWithoutHistoryAndBinFile)
{
    fixture::Record r;
    r.name = "A";
    const ToolRun empty = show(file("empty.dat", fixture::withCrc(fixture::recordBytes(r))));
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, crlf({"Customer references", "Firstname: A", "Lastname: ", "Address: "}));

    std::string bin = std::string("\x10\x06\x00\x00\x00\x00\x09\x08\x04\x09\x02\x04\x12\xAB\xCD\x21", 16) +
                      std::string(8192, '\0');
    const ToolRun history = show(file("mower.BIN", bin));
    EXPECT_EQ(history.status, 0) << history.err;
    EXPECT_NE(history.out.find("\r\nFirmware version: 0908040902\r\nSNB: 0412ABCD\r\n"), std::string::npos);
    EXPECT_EQ(history.out.rfind(std::string(68, ' ') + "\r\n"), history.out.size() - 70);
}

TEST_F(ShowCommand, DamagedFilesGiveOneLineAndStatusOne)
{
    fixture::Record r;
    r.histories = {fixture::History {}};
    std::string good = fixture::withCrc(fixture::recordBytes(r));
    std::string flipped = good;
    flipped[50] ^= 0x10;
    fixture::Record liar = r;
    liar.claimedCount = 60000;

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"flipped.dat", flipped},
        {"short.dat", good.substr(0, 3)},
        {"empty.dat", ""},
        {"liar.dat", fixture::withCrc(fixture::recordBytes(liar))},
        {"cut.dat", fixture::withCrc(fixture::recordBytes(r).substr(0, 5000))},
        {"short.bin", std::string(8207, '\0')},
        {"long.bin", std::string(8209, '\0')},
    };
    for (const auto& [name, bytes] : cases) {
        const ToolRun run = show(file(name, bytes));
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(run.out, "") << name;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << name << ": " << run.err;
    }
    EXPECT_NE(show(file("f.dat", flipped)).err.find("Corrupted file"), std::string::npos);

    // A .bin whose info frame no mower sends (random bytes, say) is not shown
    // as a history: the application would not file it either.
    std::string noise(8208, '\0');
    std::uint32_t state = 8208;
    for (char& c : noise)
        c = char((state = state * 1103515245u + 12345u) >> 24);
    noise[15] = 0x7F;
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>> {
             {"noise.bin", noise},
             {"serial.bin", std::string(11, '\0') + "\x03\x12\xAB\xCD\x21" + std::string(8192, '\0')}}) {
        const ToolRun run = show(file(name, bytes));
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(run.out, "") << name;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << name << ": " << run.err;
        EXPECT_NE(run.err.find((dir_ / name).string() + ": Corrupted file: "), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(name == "noise.bin" ? "byte 15" : "byte 11"), std::string::npos) << run.err;
    }
    EXPECT_EQ(show((dir_ / "missing.dat").string()).status, 1);
}
