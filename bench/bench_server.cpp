// The database on a server of its own (scripts/pg-cluster.sh, fsync on so that
// commits cost what they cost), 10,000 records of three histories (random
// images) and one of 50, each goal against a baseline measured in the same
// run or an absolute bound:
//  - start-up (TDBMowerList::LoadFrom a ServerRecordStore after open())
//    against the folder store's start-up (TDBMowerList::Load) of the same
//    records: at most 1.5 times;
//  - opening the record of 50 histories on a freshly loaded list, its read
//    included: under 50 ms (median);
//  - filing a history while 8 writers, each with a store of its own, file 50
//    histories each, half of them into the same 2 records: median under
//    30 ms, 99th percentile under 100 ms, and every history found in its
//    record afterwards.
// The folder is written through the folder store and copied to the server
// with fillEmptyWithFiles, as quorvane-tool copy does; the copy is timed.
// The cluster is stopped and removed at the end, also when the bench fails.
// Run: build/bench/bench_server [folder to keep the folder database in and reuse]
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/FolderRecordStore.h"
#include "Component/PgConnection.h"
#include "Component/RecordFileName.h"
#include "Component/RecordWindows.h"
#include "Component/ServerRecordStore.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "Component/TVXCheckDir.h"
#include "core/BoundedFile.h"
#include "tests/support/RunCommand.h"
#include "tests/support/ScriptedUser.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <latch>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
using Status = StoreResult::Status;

constexpr int Records = 10000;
constexpr int HistoriesPerRecord = 3;
constexpr int BigRecordHistories = 50;
constexpr std::uint32_t FirstSerial = 0x01000000u;
constexpr std::uint32_t BigRecordSerial = 0x01F00000u;

constexpr int Writers = 8;
constexpr int FilingsPerWriter = 50;
// Every other filing goes into one of these two records, shared by all writers.
constexpr std::uint32_t HotSerials[2] = {FirstSerial, FirstSerial + 1};
// The rest into records of the writer's own, one filing each.
constexpr std::uint32_t ColdFirstSerial = FirstSerial + 1000;
// As TDBMower::InsertLog: a record changed by another writer is read again
// and the filing tried once more, at most this often.
constexpr int ConflictRetries = 5;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double msSince(Clock::time_point start)
{
    return secondsSince(start) * 1000;
}

const char* verdict(bool met)
{
    return met ? "ok" : "MISS";
}

// The value at that share of the sorted times (nearest rank).
double percentile(std::vector<double> times, double share)
{
    if (times.empty())
        return 0;
    std::sort(times.begin(), times.end());
    std::size_t rank = static_cast<std::size_t>(share * static_cast<double>(times.size()) + 0.999999);
    rank = std::clamp<std::size_t>(rank, 1, times.size());
    return times[rank - 1];
}

// --- the throwaway cluster --------------------------------------------------

// The folder of the running cluster; emptied once it was stopped.
std::string clusterDir;

std::string clusterScript(const std::string& arguments)
{
    return "bash '" QUORVANE_SOURCE_DIR "/scripts/pg-cluster.sh' " + arguments;
}

void stopCluster()
{
    if (clusterDir.empty())
        return;
    const std::string dir = clusterDir;
    clusterDir.clear();
    if (std::system((clusterScript("stop '" + dir + "'") + " >/dev/null 2>&1").c_str()) != 0)
        std::fprintf(stderr, "the cluster in %s did not stop: scripts/pg-cluster.sh stop %s\n", dir.c_str(),
                     dir.c_str());
}

extern "C" void stopOnSignal(int signal)
{
    stopCluster();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Starts a cluster in a new folder under /tmp (its socket's path must stay
// short), fsync on; its URI, or empty.
std::string startCluster()
{
    char tmpl[] = "/tmp/qvb-pg-XXXXXX";
    if (!::mkdtemp(tmpl)) {
        std::perror("mkdtemp");
        return {};
    }
    clusterDir = tmpl;
    std::atexit(stopCluster);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGABRT, SIGSEGV, SIGBUS, SIGFPE})
        std::signal(signal, stopOnSignal);
    const CommandRun run = runCommand("QUORVANE_PG_FSYNC=on " + clusterScript("start '" + clusterDir + "'"));
    const std::size_t at = run.output.rfind(ServerRecordStore::UriPrefix);
    if (run.status != 0 || at == std::string::npos) {
        std::fprintf(stderr, "the cluster did not start:\n%s\n", run.output.c_str());
        return {};
    }
    std::string uri = run.output.substr(at);
    while (!uri.empty() && (uri.back() == '\n' || uri.back() == '\r'))
        uri.pop_back();
    return uri;
}

// --- the records --------------------------------------------------------------

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

std::unique_ptr<TVXLog> makeHistory(std::mt19937& random, std::uint32_t serial, const TVXLogTime& date)
{
    TVXLog::Image image;
    for (auto& b : image)
        b = static_cast<std::uint8_t>(random());
    auto log = std::make_unique<TVXLog>(image);
    log->setSerialNumber(serial);
    log->setTypeByte(0x24);
    log->setDate(date);
    return log;
}

std::unique_ptr<TVXMowerLog> makeRecord(std::mt19937& random, std::uint32_t serial, int histories)
{
    auto record = std::make_unique<TVXMowerLog>();
    record->getOwner().setName("Owner" + std::to_string(random() % 100000));
    record->getOwner().setSurname("Surname");
    record->getOwner().setAddress("1 Garden Road\nSpringfield\n");
    record->setIdYear(static_cast<std::uint8_t>(random() % 20));
    record->setIdNumber(serial - FirstSerial);
    for (int h = 0; h < histories; ++h)
        record->insertLog(makeHistory(
            random, serial,
            {static_cast<std::uint16_t>(2000 + h / 12), static_cast<std::uint8_t>(1 + h % 12), 1, 12, 0, 0}));
    return record;
}

struct Folder {
    fs::path dir;
    std::vector<std::uint32_t> serials;  // of every record, the big one last
    std::vector<std::string> files;      // in step with serials
    double writeSeconds = 0;
    bool written = false;
    bool reused = false;
};

// The records of three histories, then the one of 50, written through the
// folder store. A folder an earlier run left (given as argument) is reused.
Folder prepareFolder(const fs::path& dir, bool reuse)
{
    Folder folder;
    folder.dir = dir;
    for (int i = 0; i <= Records; ++i) {
        const std::uint32_t serial = i == Records ? BigRecordSerial : FirstSerial + static_cast<std::uint32_t>(i);
        folder.serials.push_back(serial);
        folder.files.push_back(joinPath(dir.string(), recordFileName(serial)));
    }
    if (reuse && fs::exists(dir / TVXCheckDir::DefaultFileName)) {
        folder.reused = true;
        folder.written = true;
        return folder;
    }
    std::mt19937 random(12345);
    std::size_t next = 0;
    fs::create_directories(dir);
    const auto start = Clock::now();
    const StoreResult filled =
        FolderRecordStore(dir.string()).fillEmpty([&](std::uint32_t& serial, std::unique_ptr<TVXMowerLog>& record) {
            if (next == folder.serials.size())
                return false;
            serial = folder.serials[next];
            record = makeRecord(random, serial, serial == BigRecordSerial ? BigRecordHistories : HistoriesPerRecord);
            ++next;
            return true;
        });
    folder.writeSeconds = secondsSince(start);
    folder.written = static_cast<bool>(filled);
    if (!filled)
        std::fprintf(stderr, "%s\n", filled.reason.c_str());
    return folder;
}

// Every record file's bytes into the server's empty database, in one
// transaction, as quorvane-tool copy does.
bool copyToServer(const Folder& folder, const std::string& uri)
{
    if (const StoreResult init = ServerRecordStore::initSchema(uri); !init) {
        std::fprintf(stderr, "initSchema: %s\n", init.reason.c_str());
        return false;
    }
    std::size_t next = 0;
    std::size_t bytesCopied = 0;
    ServerRecordStore server(uri);
    const auto start = Clock::now();
    const StoreResult copied = server.fillEmptyWithFiles([&](std::uint32_t& serial, std::string& bytes) {
        if (next == folder.files.size())
            return false;
        serial = folder.serials[next];
        std::string error;
        if (readBoundedFile(folder.files[next], FolderRecordStore::MaxRecordFileBytes, bytes, error)
            != ReadStatus::Ok) {
            std::fprintf(stderr, "%s\n", error.c_str());
            bytes.clear();
        }
        bytesCopied += bytes.size();
        ++next;
        return true;
    });
    const double seconds = secondsSince(start);
    if (!copied)
        std::fprintf(stderr, "copy: %s\n", copied.reason.c_str());
    std::vector<RecordCaption> captions;
    const bool listed = copied && server.list(captions) && captions.size() == folder.files.size();
    std::printf("%6d records: copied to the server (fillEmptyWithFiles, one transaction) in %.1f s, %.1f MB, "
                "%zu records listed there %s\n",
                Records, seconds, bytesCopied / 1e6, captions.size(), verdict(listed));
    return listed;
}

void reportServerSettings(const std::string& uri)
{
    std::string error;
    auto db = PgConnection::connect(uri, error);
    const PgResult settings =
        db ? db->exec("SELECT current_setting('fsync'), current_setting('synchronous_commit'),"
                      " current_setting('server_version')")
           : PgResult();
    const bool read = settings.ok() && settings.rows() == 1;
    const std::string fsync = read ? std::string(settings.bytes(0, 0)) : "?";
    std::printf("server %s: fsync %s, synchronous_commit %s (goal: fsync on, real commits) %s\n",
                read ? std::string(settings.bytes(0, 2)).c_str() : "?", fsync.c_str(),
                read ? std::string(settings.bytes(0, 1)).c_str() : "?", verdict(fsync == "on"));
}

// --- start-up -----------------------------------------------------------------

struct Startup {
    double seconds = 0;
    double openSeconds = 0;  // the server's connect and schema check before it
    std::size_t listed = 0;
    std::size_t read = 0;
};

std::size_t loadedCount(const TDBMowerList& list)
{
    return static_cast<std::size_t>(
        std::count_if(list.Entries().begin(), list.Entries().end(), [](const auto& e) { return e->IsLoaded(); }));
}

Startup folderStartup(const Folder& folder)
{
    Startup s;
    ScriptedUser user;
    NoWindows windows;
    const auto start = Clock::now();
    TDBMowerList list(user, windows);
    list.SetWidth(221);
    list.Load(folder.dir.string());
    s.seconds = secondsSince(start);
    s.listed = list.Entries().size();
    s.read = loadedCount(list);
    return s;
}

Startup serverStartup(const std::string& uri)
{
    Startup s;
    ScriptedUser user;
    NoWindows windows;
    ServerRecordStore store(uri);
    const auto opening = Clock::now();
    if (const StoreResult opened = store.open(); !opened) {
        std::fprintf(stderr, "open: %s\n", opened.reason.c_str());
        return s;
    }
    s.openSeconds = secondsSince(opening);
    const auto start = Clock::now();
    TDBMowerList list(user, windows);
    list.SetWidth(221);
    list.LoadFrom(store);
    s.seconds = secondsSince(start);
    s.listed = list.Entries().size();
    s.read = loadedCount(list);
    return s;
}

void benchStartup(const Folder& folder, const std::string& uri)
{
    const std::size_t expected = folder.files.size();
    folderStartup(folder);  // warms the page cache and the server's buffers
    serverStartup(uri);
    Startup bestFolder {1e9};
    Startup bestServer {1e9};
    for (int round = 0; round < 5; ++round) {
        const Startup f = folderStartup(folder);
        if (f.seconds < bestFolder.seconds)
            bestFolder = f;
        const Startup s = serverStartup(uri);
        if (s.seconds < bestServer.seconds)
            bestServer = s;
    }
    std::printf("%6d records: server start-up listed %zu of %zu, %zu read (goal: all listed, none read) %s\n",
                Records, bestServer.listed, expected, bestServer.read,
                verdict(bestServer.listed == expected && bestServer.read == 0));
    const double ratio = bestServer.seconds / bestFolder.seconds;
    std::printf("%6d records: start-up from the server %.3f s (open before it %.1f ms), from the folder %.3f s, "
                "ratio %.2f (goal <= 1.5) %s\n",
                Records, bestServer.seconds, bestServer.openSeconds * 1000, bestFolder.seconds, ratio,
                verdict(ratio <= 1.5 && bestServer.listed == expected));
}

// --- opening a record -----------------------------------------------------------

// Opening the big record's window on a freshly loaded list each time, so that
// its histories are really read from the server: the median of 7.
void benchOpenRecord(const std::string& uri)
{
    std::vector<double> times;
    bool opened = true;
    for (int round = 0; round < 7 && opened; ++round) {
        ScriptedUser user;
        DummyWindows windows;
        ServerRecordStore store(uri);
        TDBMowerList list(user, windows);
        list.SetWidth(221);
        if (!store.open() || !list.LoadFrom(store)) {
            opened = false;
            break;
        }
        TDBMower* entry = list.FindBySerial(BigRecordSerial);
        if (!entry || entry->IsLoaded()) {
            opened = false;
            break;
        }
        const auto start = Clock::now();
        entry->OpenRecord();
        times.push_back(msSince(start));
        opened = windows.opened() == 1 && entry->IsLoaded() && entry->GetMowerHandle().getLogCount() == BigRecordHistories
                 && user.boxes.empty();
    }
    if (!opened || times.empty()) {
        std::printf("%6d records: the record of %d histories did not open from the server MISS\n", Records,
                    BigRecordHistories);
        return;
    }
    const double median = percentile(times, 0.5);
    std::printf("%6d records: opening a record of %d histories from the server %.2f ms (median of %zu, "
                "slowest %.2f ms, goal < 50 ms) %s\n",
                Records, BigRecordHistories, median, times.size(), percentile(times, 1.0), verdict(median < 50));
}

// --- concurrent writers -----------------------------------------------------------

struct Filing {
    double ms = 0;
    double loadMs = 0;  // reading the record, first and after a conflict
    double saveMs = 0;  // every save tried, the one that failed included
    int conflicts = 0;  // filings that joined what another writer filed meanwhile
    bool hot = false;
    bool filed = false;
    bool gaveUp = false;  // never, now that a filing joins under the record's lock
};

struct Writer {
    std::vector<Filing> filings;
    // The dates this writer filed, by the serial number of their record.
    std::map<std::uint32_t, std::vector<TVXLogTime>> filed;
    std::vector<std::string> errors;
};

std::uint32_t recordOfFiling(int writer, int filing, bool& hot)
{
    hot = filing % 2 == 0;
    if (hot)
        return HotSerials[(filing / 2 + writer) % 2];
    return ColdFirstSerial + static_cast<std::uint32_t>(writer * (FilingsPerWriter / 2) + filing / 2);
}

// Distinct across writers and from the records' own histories.
TVXLogTime dateOfFiling(int writer, int filing)
{
    return {static_cast<std::uint16_t>(2030 + writer), static_cast<std::uint8_t>(1 + filing % 12),
            static_cast<std::uint8_t>(1 + filing / 12), 8, 0, 0};
}

// One PC of the workshop: a store of its own; each filing reads the record
// when it does not hold it, files the history and saves, and on a conflict
// reads the record again and tries once more (as TDBMower::InsertLog).
void runWriter(int index, const std::string& uri, std::latch& ready, Writer& out)
{
    struct Held {
        RecordCaption caption;
        std::unique_ptr<TVXMowerLog> record;
    };
    std::map<std::uint32_t, Held> held;
    ServerRecordStore store(uri);
    std::vector<RecordCaption> captions;
    StoreResult opened = store.open();
    if (opened)
        opened = store.list(captions);
    if (!opened)
        out.errors.push_back("open or list: " + opened.reason);
    for (RecordCaption& caption : captions)
        held[caption.serialNumber].caption = std::move(caption);
    std::mt19937 random(1000 + static_cast<unsigned>(index));
    std::vector<std::unique_ptr<TVXLog>> histories;
    for (int i = 0; i < FilingsPerWriter; ++i) {
        bool hot = false;
        histories.push_back(makeHistory(random, recordOfFiling(index, i, hot), dateOfFiling(index, i)));
    }
    ready.arrive_and_wait();
    if (!opened)
        return;

    for (int i = 0; i < FilingsPerWriter; ++i) {
        Filing filing;
        const std::uint32_t serial = recordOfFiling(index, i, filing.hot);
        const TVXLogTime date = dateOfFiling(index, i);
        auto found = held.find(serial);
        if (found == held.end()) {
            out.errors.push_back(serialHex(serial) + ": not listed");
            continue;
        }
        Held& h = found->second;
        const auto start = Clock::now();
        auto load = [&] {
            const auto loading = Clock::now();
            const StoreResult loaded = store.load(h.caption, h.record);
            filing.loadMs += msSince(loading);
            if (!loaded) {
                h.record.reset();
                out.errors.push_back(h.caption.key + ": load: " + loaded.reason);
            }
            return static_cast<bool>(loaded);
        };
        // As TDBMower::InsertLog files: under the record's lock, joining what
        // another writer filed meanwhile, then reading the record again.
        if (h.record || load()) {
            if (h.record->logs().count(date)) {
                out.errors.push_back(h.caption.key + ": already holds a history of that date");
            } else {
                h.record->insertLog(std::make_unique<TVXLog>(*histories[static_cast<std::size_t>(i)]));
                const auto saving = Clock::now();
                bool joined = false;
                const StoreResult saved = store.fileHistory(h.caption, *h.record, date, joined);
                filing.saveMs += msSince(saving);
                if (saved) {
                    filing.filed = true;
                    if (joined) {
                        ++filing.conflicts;
                        load();
                    }
                } else {
                    out.errors.push_back(h.caption.key + ": filing: " + saved.reason);
                    h.record.reset();  // read again before the next filing
                }
            }
        }
        filing.ms = msSince(start);
        if (filing.filed)
            out.filed[serial].push_back(date);
        out.filings.push_back(filing);
    }
}

// Every history that a writer filed is in its record, and the records hold
// nothing else new.
bool nothingLost(const std::string& uri, const std::vector<Writer>& writers, std::size_t& found,
                 std::size_t& expected)
{
    std::map<std::uint32_t, std::vector<TVXLogTime>> filed;
    for (const Writer& w : writers)
        for (const auto& [serial, dates] : w.filed)
            filed[serial].insert(filed[serial].end(), dates.begin(), dates.end());
    ServerRecordStore store(uri);
    std::vector<RecordCaption> captions;
    if (!store.open() || !store.list(captions))
        return false;
    bool whole = true;
    found = 0;
    expected = 0;
    for (RecordCaption& caption : captions) {
        const auto it = filed.find(caption.serialNumber);
        if (it == filed.end())
            continue;
        std::unique_ptr<TVXMowerLog> record;
        expected += it->second.size();
        if (!store.load(caption, record)) {
            whole = false;
            continue;
        }
        for (const TVXLogTime& date : it->second)
            found += record->logs().count(date);
        whole = whole && record->getLogCount() == HistoriesPerRecord + it->second.size();
    }
    return whole && found == expected;
}

void benchWriters(const std::string& uri)
{
    std::vector<Writer> writers(Writers);
    std::latch ready(Writers + 1);
    std::vector<std::thread> threads;
    for (int w = 0; w < Writers; ++w)
        threads.emplace_back(runWriter, w, std::cref(uri), std::ref(ready), std::ref(writers[static_cast<std::size_t>(w)]));
    ready.arrive_and_wait();
    const auto start = Clock::now();
    for (std::thread& t : threads)
        t.join();
    const double wall = secondsSince(start);

    std::vector<double> all, hot, cold, loads, saves;
    std::size_t filedCount = 0;
    int conflicts = 0;
    int mostConflicts = 0;
    int gaveUp = 0;
    for (const Writer& w : writers) {
        for (const Filing& f : w.filings) {
            all.push_back(f.ms);
            (f.hot ? hot : cold).push_back(f.ms);
            loads.push_back(f.loadMs);
            saves.push_back(f.saveMs);
            filedCount += f.filed ? 1 : 0;
            conflicts += f.conflicts;
            mostConflicts = std::max(mostConflicts, f.conflicts);
            gaveUp += f.gaveUp ? 1 : 0;
        }
        for (std::size_t e = 0; e < w.errors.size() && e < 3; ++e)
            std::fprintf(stderr, "writer: %s\n", w.errors[e].c_str());
    }
    const std::size_t total = static_cast<std::size_t>(Writers) * FilingsPerWriter;
    std::size_t found = 0;
    std::size_t expected = 0;
    const bool whole = nothingLost(uri, writers, found, expected);

    const double median = percentile(all, 0.5);
    const double p99 = percentile(all, 0.99);
    std::printf("%d writers: %zu filings in %.1f s, %d conflicts (at most %d in one filing), %d given up after "
                "%d retries\n",
                Writers, all.size(), wall, conflicts, mostConflicts, gaveUp, ConflictRetries);
    std::printf("%d writers: into the 2 shared records median %.1f ms, 99th %.1f ms; into records of their own "
                "median %.1f ms, 99th %.1f ms\n",
                Writers, percentile(hot, 0.5), percentile(hot, 0.99), percentile(cold, 0.5), percentile(cold, 0.99));
    std::printf("%d writers: per filing, reading the record median %.1f ms (99th %.1f), saving median %.1f ms "
                "(99th %.1f)\n",
                Writers, percentile(loads, 0.5), percentile(loads, 0.99), percentile(saves, 0.5),
                percentile(saves, 0.99));
    std::printf("%d writers: filing a history median %.1f ms (goal < 30 ms) %s\n", Writers, median,
                verdict(median < 30 && all.size() == total));
    std::printf("%d writers: filing a history 99th percentile %.1f ms (goal < 100 ms) %s\n", Writers, p99,
                verdict(p99 < 100 && all.size() == total));
    std::printf("%d writers: %zu of %zu histories filed, %zu of %zu found in their records (goal: all, nothing "
                "lost) %s\n",
                Writers, filedCount, total, found, expected, verdict(whole && filedCount == total && expected == total));
}

// Where a filing's time goes without contention: one store files into a
// record of 3 histories and into the one of 50, a save each (median of 5).
// Informative only: it shows what a save costs per history the record holds.
void benchSaveBySize(const std::string& uri)
{
    ServerRecordStore store(uri);
    std::vector<RecordCaption> captions;
    if (!store.open() || !store.list(captions))
        return;
    std::mt19937 random(99);
    struct Size {
        std::size_t histories = 0;
        double ms = 0;
    };
    std::vector<Size> sizes;
    for (const std::uint32_t serial : {FirstSerial + 5000, BigRecordSerial}) {
        auto caption = std::find_if(captions.begin(), captions.end(),
                                    [&](const RecordCaption& c) { return c.serialNumber == serial; });
        std::unique_ptr<TVXMowerLog> record;
        if (caption == captions.end() || !store.load(*caption, record))
            return;
        std::vector<double> times;
        for (int k = 0; k < 5; ++k) {
            record->insertLog(makeHistory(random, serial, {2050, static_cast<std::uint8_t>(1 + k), 1, 8, 0, 0}));
            const auto start = Clock::now();
            if (!store.save(*caption, *record))
                return;
            times.push_back(msSince(start));
        }
        sizes.push_back({record->getLogCount(), percentile(times, 0.5)});
    }
    const double perHistory =
        (sizes[1].ms - sizes[0].ms) / static_cast<double>(sizes[1].histories - sizes[0].histories);
    std::printf("1 writer: saving after filing one history, record of %zu histories %.2f ms, of %zu histories "
                "%.2f ms (median of 5): %.3f ms more per history the record holds\n",
                sizes[0].histories, sizes[0].ms, sizes[1].histories, sizes[1].ms, perHistory);
}

}  // namespace

// With a folder as argument the folder database is kept there and reused by
// later runs; the server's database is always made anew and removed.
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
    const Folder folder = prepareFolder(root / std::to_string(Records), keep);
    if (folder.reused)
        std::printf("%6d records: folder of an earlier run reused, %zu files ok\n", Records, folder.files.size());
    else
        std::printf("%6d records: folder written through the store (atomic, fsync) in %.1f s, %zu files %s\n",
                    Records, folder.writeSeconds, folder.files.size(), verdict(folder.written));
    std::fflush(stdout);

    int status = 1;
    const std::string uri = folder.written ? startCluster() : std::string();
    if (!uri.empty()) {
        reportServerSettings(uri);
        std::fflush(stdout);
        if (copyToServer(folder, uri)) {
            std::fflush(stdout);
            benchStartup(folder, uri);
            std::fflush(stdout);
            benchOpenRecord(uri);
            std::fflush(stdout);
            benchWriters(uri);
            std::fflush(stdout);
            benchSaveBySize(uri);
            status = 0;
        }
    }
    std::fflush(stdout);
    stopCluster();
    if (!keep)
        fs::remove_all(root);
    return status;
}
