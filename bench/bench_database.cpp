// The database at 1,000 and 10,000 records of three histories each (random
// images), each goal against a baseline measured in the same run:
//  - start-up load (captions only) against reading and checksumming every
//    record file: at most 1.15 times;
//  - the heap the loaded list holds: at most a tenth of the history bytes;
//  - opening a record of 50 histories on a freshly loaded list, its read
//    included: under 20 ms.
// The folder is written through the store, atomically, as the tools write it.
// Run: build/bench/bench_database [folder to keep the databases in and reuse]
#include "Class/Checksum.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/FolderRecordStore.h"
#include "Component/RecordFileName.h"
#include "Component/RecordWindows.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "Component/TVXCheckDir.h"
#include "core/BoundedFile.h"
#include "tests/support/ScriptedUser.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <malloc.h>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int HistoriesPerRecord = 3;
constexpr int BigRecordHistories = 50;
constexpr std::uint32_t FirstSerial = 0x01000000u;
constexpr std::uint32_t BigRecordSerial = 0x01F00000u;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

const char* verdict(bool met)
{
    return met ? "ok" : "MISS";
}

// Every byte the heap has handed out, whether from the main heap or mapped
// on its own (large blocks), so that no allocation escapes the count.
std::size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

class NoWindows : public RecordWindowFactory {
public:
    RecordWindow* openRecordWindow(TDBMower&) override { return nullptr; }
};

class DummyWindow : public RecordWindow {
public:
    void bringToFront() override {}
    void showHistory(const TVXLogTime&) override {}
    void storeComments() override {}
};

// Hands out windows that show nothing; they live as long as the factory.
class DummyWindows : public RecordWindowFactory {
public:
    RecordWindow* openRecordWindow(TDBMower&) override
    {
        windows_.push_back(std::make_unique<DummyWindow>());
        return windows_.back().get();
    }
    std::size_t opened() const { return windows_.size(); }

private:
    std::vector<std::unique_ptr<DummyWindow>> windows_;
};

std::unique_ptr<TVXMowerLog> makeRecord(std::mt19937& random, std::uint32_t serial, int histories)
{
    auto record = std::make_unique<TVXMowerLog>();
    record->getOwner().setName("Owner" + std::to_string(random() % 100000));
    record->getOwner().setSurname("Surname");
    record->getOwner().setAddress("1 Garden Road\nSpringfield\n");
    record->setIdYear(static_cast<std::uint8_t>(random() % 20));
    record->setIdNumber(serial - FirstSerial);
    for (int h = 0; h < histories; ++h) {
        TVXLog::Image image;
        for (auto& b : image)
            b = static_cast<std::uint8_t>(random());
        auto log = std::make_unique<TVXLog>(image);
        log->setSerialNumber(serial);
        log->setTypeByte(0x24);
        log->setDate({static_cast<std::uint16_t>(2000 + h / 12), static_cast<std::uint8_t>(1 + h % 12), 1, 12, 0, 0});
        record->insertLog(std::move(log));
    }
    return record;
}

struct Folder {
    fs::path dir;
    int records = 0;                 // of three histories, beside the big record
    std::size_t historyBytes = 0;    // of those records' histories
    std::vector<std::string> files;  // every record file, the big one included
    double writeSeconds = 0;
    bool written = false;
    bool reused = false;
};

// The records of three histories, then one of 50, written through the store.
// A folder that already holds the bench's database (an earlier run given the
// same folder) is used as it is: writing 10,000 records with an fsync each
// takes from seconds to a minute and more on a busy disk.
Folder prepareFolder(const fs::path& dir, int records, bool reuse)
{
    Folder folder;
    folder.dir = dir;
    folder.records = records;
    for (int i = 0; i <= records; ++i) {
        const std::uint32_t serial = i == records ? BigRecordSerial : FirstSerial + static_cast<std::uint32_t>(i);
        folder.files.push_back(joinPath(dir.string(), recordFileName(serial)));
    }
    folder.historyBytes = static_cast<std::size_t>(records) * HistoriesPerRecord * TVXLog::FixedSize;
    if (reuse && fs::exists(dir / TVXCheckDir::DefaultFileName)) {
        folder.reused = true;
        folder.written = true;
        return folder;
    }
    std::mt19937 random(12345);
    int next = 0;
    fs::create_directories(dir);
    const auto start = Clock::now();
    const StoreResult filled =
        FolderRecordStore(dir.string()).fillEmpty([&](std::uint32_t& serial, std::unique_ptr<TVXMowerLog>& record) {
            if (next > records)
                return false;
            const bool big = next == records;
            serial = big ? BigRecordSerial : FirstSerial + static_cast<std::uint32_t>(next);
            record = makeRecord(random, serial, big ? BigRecordHistories : HistoriesPerRecord);
            ++next;
            return true;
        });
    folder.writeSeconds = secondsSince(start);
    folder.written = static_cast<bool>(filled);
    if (!filled)
        std::fprintf(stderr, "%s\n", filled.reason.c_str());
    return folder;
}

// What loading cannot avoid: read every record file and checksum it.
double baseline(const Folder& folder)
{
    const auto start = Clock::now();
    std::uint32_t sink = 0;
    std::string bytes;
    std::string error;
    for (const std::string& path : folder.files) {
        if (readBoundedFile(path, FolderRecordStore::MaxRecordFileBytes, bytes, error) != ReadStatus::Ok)
            std::fprintf(stderr, "%s\n", error.c_str());
        sink ^= crc32(bytes);
    }
    const double seconds = secondsSince(start);
    if (sink == 0x12345678)
        std::puts("");
    return seconds;
}

TDBMower* findBySerial(const TDBMowerList& list, std::uint32_t serial)
{
    for (const auto& entry : list.Entries())
        if (entry->GetSerial() == serial)
            return entry.get();
    return nullptr;
}

void benchLoad(const Folder& folder)
{
    const int records = folder.records;
    const std::size_t expected = static_cast<std::size_t>(records) + 1;
    baseline(folder);  // warms the page cache for both

    double best = 1e9;
    double bestBase = 1e9;
    std::size_t held = 0;
    std::size_t listed = 0;
    std::size_t loaded = 0;
    for (int round = 0; round < 3; ++round) {
        bestBase = std::min(bestBase, baseline(folder));
        ScriptedUser user;
        NoWindows windows;
        const std::size_t before = heapInUse();
        const auto start = Clock::now();
        {
            TDBMowerList list(user, windows);
            list.SetWidth(221);
            list.Load(folder.dir.string());
            best = std::min(best, secondsSince(start));
            held = heapInUse() - before;
            // Captions only: every record listed, none read yet.
            listed = list.Entries().size();
            loaded = static_cast<std::size_t>(
                std::count_if(list.Entries().begin(), list.Entries().end(), [](const auto& e) { return e->IsLoaded(); }));
        }
    }
    std::printf("%6d records: listed %zu of %zu, %zu read at load (goal: all listed, none read) %s\n", records,
                listed, expected, loaded, verdict(listed == expected && loaded == 0));
    const double ratio = best / bestBase;
    std::printf("%6d records: load %.3f s, baseline (read + CRC) %.3f s, ratio %.2f (goal <= 1.15) %s\n", records,
                best, bestBase, ratio, verdict(ratio <= 1.15));
    const double share = double(held) / double(folder.historyBytes);
    std::printf("%6d records: heap held %.2f MB, history bytes %.1f MB, ratio %.3f (goal <= 0.10) %s\n", records,
                held / 1e6, folder.historyBytes / 1e6, share, verdict(share <= 0.10));
}

// Opening the big record's window on a freshly loaded list each time, so that
// its file is really read: the median of 7.
void benchOpenRecord(const Folder& folder)
{
    std::vector<double> times;
    bool opened = true;
    for (int round = 0; round < 7; ++round) {
        ScriptedUser user;
        DummyWindows windows;
        TDBMowerList list(user, windows);
        list.SetWidth(221);
        list.Load(folder.dir.string());
        TDBMower* entry = findBySerial(list, BigRecordSerial);
        if (!entry || entry->IsLoaded()) {
            opened = false;
            break;
        }
        const auto start = Clock::now();
        entry->OpenRecord();
        times.push_back(secondsSince(start) * 1000);
        opened = opened && windows.opened() == 1 && entry->IsLoaded()
                 && entry->GetMowerHandle().getLogCount() == BigRecordHistories;
    }
    if (!opened || times.empty()) {
        std::printf("%6d records: the record of %d histories did not open MISS\n", folder.records,
                    BigRecordHistories);
        return;
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("%6d records: opening a record of %d histories %.2f ms (median of %zu, goal < 20 ms) %s\n",
                folder.records, BigRecordHistories, median, times.size(), verdict(median < 20));
}

void run(const fs::path& root, int records, bool keep)
{
    const Folder folder = prepareFolder(root / std::to_string(records), records, keep);
    if (folder.reused)
        std::printf("%6d records: folder of an earlier run reused, %zu files ok\n", records, folder.files.size());
    else
        std::printf("%6d records: folder written through the store (atomic, fsync) in %.1f s, %zu files %s\n",
                    records, folder.writeSeconds, folder.files.size(), verdict(folder.written));
    std::fflush(stdout);
    if (!folder.written)
        return;
    benchLoad(folder);
    benchOpenRecord(folder);
    if (!keep)
        fs::remove_all(folder.dir);
}

}  // namespace

// With a folder as argument the databases are kept there and reused by later
// runs; without, they are written to a temporary folder and removed.
int main(int argc, char** argv)
{
    const bool keep = argc > 1;
    fs::path root;
    if (keep) {
        root = argv[1];
    } else {
        char tmpl[] = "/tmp/quorvane-bench-XXXXXX";
        if (!::mkdtemp(tmpl)) {
            std::perror("mkdtemp");
            return 1;
        }
        root = tmpl;
    }
    for (const int records : {1000, 10000}) {
        run(root, records, keep);
        std::fflush(stdout);
    }
    if (!keep)
        fs::remove_all(root);
    return 0;
}
