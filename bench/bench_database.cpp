// Times loading a database folder of 1,000 and 10,000 records (three histories
// each) against reading and checksumming the same files in the same run, and
// compares the heap the loaded list holds with the bytes of its histories.
#include "Class/Checksum.h"
#include "Class/RecordFile.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "core/BoundedFile.h"
#include "Component/RecordFileName.h"
#include "Component/RecordWindows.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "Component/TVXCheckDir.h"
#include "tests/support/ScriptedUser.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <random>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class NoWindows : public RecordWindowFactory {
public:
    RecordWindow* openRecordWindow(TDBMower&) override { return nullptr; }
};

constexpr int HistoriesPerRecord = 3;

// Returns the bytes of histories written.
std::size_t buildFolder(const fs::path& dir, int records)
{
    fs::create_directories(dir);
    std::mt19937 random(12345);
    std::string checker;
    std::size_t historyBytes = 0;
    for (int i = 0; i < records; ++i) {
        const std::uint32_t serial = 0x01000000u + static_cast<std::uint32_t>(i);
        TVXMowerLog record;
        record.getOwner().setName("Owner" + std::to_string(random() % 100000));
        record.getOwner().setSurname("Surname");
        record.getOwner().setAddress("1 Garden Road\nSpringfield\n");
        record.setIdYear(static_cast<std::uint8_t>(random() % 20));
        record.setIdNumber(static_cast<std::uint32_t>(i));
        for (int h = 0; h < HistoriesPerRecord; ++h) {
            TVXLog::Image image;
            for (auto& b : image)
                b = static_cast<std::uint8_t>(random());
            auto log = std::make_unique<TVXLog>(image);
            log->setSerialNumber(serial);
            log->setTypeByte(0x24);
            log->setDate({static_cast<std::uint16_t>(2005 + h), 1, 1, 12, 0, 0});
            record.insertLog(std::move(log));
            historyBytes += TVXLog::FixedSize;
        }
        std::ofstream(dir / recordFileName(serial), std::ios::binary) << writeRecordFile(record);
        checker += TVXCheckDir::EncodeEntry(serial);
    }
    std::ofstream(dir / TVXCheckDir::DefaultFileName, std::ios::binary) << checker;
    return historyBytes;
}

// Every byte the heap has handed out, whether from the main heap or mapped
// on its own (large blocks), so that no allocation escapes the count.
std::size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// What loading cannot avoid: read every listed file and checksum it.
double baseline(const fs::path& dir, int records)
{
    const auto start = std::chrono::steady_clock::now();
    std::uint32_t sink = 0;
    std::string bytes;
    std::string error;
    for (int i = 0; i < records; ++i) {
        const std::string path = joinPath(dir.string(), recordFileName(0x01000000u + static_cast<std::uint32_t>(i)));
        if (readBoundedFile(path, TDBMower::MaxRecordFileBytes, bytes, error) != ReadStatus::Ok)
            std::fprintf(stderr, "%s\n", error.c_str());
        sink ^= crc32(bytes);
    }
    const double seconds = secondsSince(start);
    if (sink == 0x12345678)
        std::puts("");
    return seconds;
}

void run(const fs::path& root, int records)
{
    const fs::path dir = root / std::to_string(records);
    const std::size_t historyBytes = buildFolder(dir, records);
    baseline(dir, records);  // warm the page cache for both

    double best = 1e9;
    double bestBase = 1e9;
    std::size_t held = 0;
    for (int round = 0; round < 3; ++round) {
        bestBase = std::min(bestBase, baseline(dir, records));
        ScriptedUser user;
        NoWindows windows;
        const std::size_t before = heapInUse();
        const auto start = std::chrono::steady_clock::now();
        {
            TDBMowerList list(user, windows);
            list.SetWidth(221);
            list.Load(dir.string());
            best = std::min(best, secondsSince(start));
            held = heapInUse() - before;
            // The histories must really be there, not left to be read later.
            std::size_t histories = 0;
            for (const auto& mower : list.Entries())
                histories += mower->GetMowerHandle().getLogCount();
            if (list.Entries().size() != static_cast<std::size_t>(records))
                std::fprintf(stderr, "loaded %zu of %d records\n", list.Entries().size(), records);
            if (histories != static_cast<std::size_t>(records) * HistoriesPerRecord)
                std::fprintf(stderr, "loaded %zu of %d histories\n", histories, records * HistoriesPerRecord);
        }
    }
    std::printf("%6d records: load %.3f s, baseline (read + CRC) %.3f s, ratio %.2f (goal <= 1.5)\n", records, best,
                bestBase, best / bestBase);
    std::printf("%6d records: heap held %.1f MB, history bytes %.1f MB, ratio %.2f (goal <= 1.2)\n", records,
                held / 1e6, historyBytes / 1e6, double(held) / double(historyBytes));
    fs::remove_all(dir);
}

}  // namespace

int main()
{
    char tmpl[] = "/tmp/quorvane-bench-XXXXXX";
    if (!::mkdtemp(tmpl)) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path root = tmpl;
    for (const int records : {1000, 10000})
        run(root, records);
    fs::remove_all(root);
    return 0;
}
