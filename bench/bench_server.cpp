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
//    record afterwards;
//  - a change filed on one connection seen by another through the server's
//    announcement (poll() on its changeSocket(), then takeChanges): under 1 s
//    from the filing's commit returning (median of 100).
// The folder is written through the folder store and copied to the server
// with fillEmptyWithFiles, as quorvane-tool copy does; the copy is timed.
//
// With --large, the same at a manufacturer's scale: 100,000 records of three
// histories (about 2.5 GB) copied in by the built quorvane-tool copy, its
// throughput against writing the same bytes to one file; start-up under 2 s;
// opening and filing with the goals above. Building that folder fsyncs every
// file and takes many minutes: it is kept in DIR and reused while its checker
// lists every record.
//
// The cluster is stopped and removed at the end, also when the bench fails.
// Run: build/bench/bench_server [FOLDER] [--large [DIR]]
//   FOLDER  keeps the 10,000-record folder there and reuses it
//   DIR     keeps the 100,000-record folder there and reuses it
#include "Class/RecordFile.h"
#include "Class/TVXException.h"
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
#include "core/AtomicFile.h"
#include "core/BoundedFile.h"
#include "tests/support/RunCommand.h"
#include "tests/support/ScriptedUser.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <latch>
#include <map>
#include <memory>
#include <mutex>
#include <poll.h>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
using Status = StoreResult::Status;

constexpr int Records = 10000;
constexpr int LargeRecords = 100000;
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
    int records = 0;  // of three histories; the big one comes on top
    fs::path dir;
    std::vector<std::uint32_t> serials;  // of every record, the big one last
    std::vector<std::string> files;      // in step with serials
    double writeSeconds = 0;  // building it; of the earlier run when reused (0: unknown)
    bool written = false;
    bool reused = false;
    std::string problem;  // why there is no folder
};

// Where the time an earlier run took to build a kept folder is noted.
fs::path buildNoteOf(const fs::path& dir)
{
    return dir.parent_path() / (dir.filename().string() + ".build-seconds");
}

// How many records the checker of a folder lists whose files exist; -1 when
// it has no checker that reads.
long listedRecords(const fs::path& dir)
{
    TVXCheckDir checker;
    checker.SetDataDir(dir.string());
    checker.SetCheckDir(dir.string());
    checker.SetCheckFileName(TVXCheckDir::DefaultFileName);
    try {
        return static_cast<long>(checker.GetFileList().size());
    } catch (const TVXException&) {
        return -1;
    }
}

// The records of three histories, then the one of 50, written through the
// folder store. A folder an earlier run left in a kept folder is reused when
// its checker lists every record; an incomplete one is left alone.
Folder prepareFolder(const fs::path& dir, int records, bool reuse)
{
    Folder folder;
    folder.records = records;
    folder.dir = dir;
    for (int i = 0; i <= records; ++i) {
        const std::uint32_t serial = i == records ? BigRecordSerial : FirstSerial + static_cast<std::uint32_t>(i);
        folder.serials.push_back(serial);
        folder.files.push_back(joinPath(dir.string(), recordFileName(serial)));
    }
    const long expected = static_cast<long>(folder.serials.size());
    if (reuse && fs::exists(dir)) {
        const long listed = listedRecords(dir);
        if (listed == expected) {
            folder.reused = true;
            folder.written = true;
            std::string note;
            std::string error;
            if (readBoundedFile(buildNoteOf(dir).string(), 64, note, error) == ReadStatus::Ok)
                folder.writeSeconds = std::atof(note.c_str());
            return folder;
        }
        if (!fs::is_empty(dir)) {
            folder.problem = dir.string() + " holds an incomplete folder ("
                             + (listed < 0
                                    ? std::string("no checker: its build was interrupted")
                                    : std::to_string(listed) + " of " + std::to_string(expected) + " records listed")
                             + "); remove it and run again";
            return folder;
        }
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
        folder.problem = filled.reason;
    else if (reuse)
        writeFileAtomically(buildNoteOf(dir).string(), std::to_string(folder.writeSeconds) + "\n");
    return folder;
}

// One line on how the folder came about.
void reportFolder(const Folder& folder)
{
    if (folder.reused) {
        const std::string took = folder.writeSeconds > 0
                                     ? "its build took " + std::to_string(static_cast<int>(folder.writeSeconds)) + " s"
                                     : "its build time unknown";
        std::printf("%6d records: folder of an earlier run reused (%s), checker lists all %zu ok\n", folder.records,
                    took.c_str(), folder.files.size());
    } else if (folder.written) {
        std::printf("%6d records: folder built through the store (atomic, fsync) in %.1f s, %zu files ok\n",
                    folder.records, folder.writeSeconds, folder.files.size());
    } else {
        std::printf("%6d records: no folder: %s MISS\n", folder.records, folder.problem.c_str());
    }
    std::fflush(stdout);
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
                folder.records, seconds, bytesCopied / 1e6, captions.size(), verdict(listed));
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
                folder.records, bestServer.listed, expected, bestServer.read,
                verdict(bestServer.listed == expected && bestServer.read == 0));
    const double ratio = bestServer.seconds / bestFolder.seconds;
    std::printf("%6d records: start-up from the server %.3f s (open before it %.1f ms), from the folder %.3f s, "
                "ratio %.2f (goal <= 1.5) %s\n",
                folder.records, bestServer.seconds, bestServer.openSeconds * 1000, bestFolder.seconds, ratio,
                verdict(ratio <= 1.5 && bestServer.listed == expected));
}

// --- opening a record -----------------------------------------------------------

// Opening the big record's window on a freshly loaded list each time, so that
// its histories are really read from the server: the median of 7.
void benchOpenRecord(const std::string& uri, int records)
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
        std::printf("%6d records: the record of %d histories did not open from the server MISS\n", records,
                    BigRecordHistories);
        return;
    }
    const double median = percentile(times, 0.5);
    std::printf("%6d records: opening a record of %d histories from the server %.2f ms (median of %zu, "
                "slowest %.2f ms, goal < 50 ms) %s\n",
                records, BigRecordHistories, median, times.size(), percentile(times, 1.0), verdict(median < 50));
}

// --- concurrent writers -----------------------------------------------------------

struct Filing {
    double ms = 0;
    double loadMs = 0;  // reading the record, first and after a conflict
    double saveMs = 0;  // every save tried, the one that failed included
    int conflicts = 0;  // filings that joined what another writer filed meanwhile
    bool hot = false;
    bool filed = false;
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
                const std::string before = writeRecordFile(*h.record);
                h.record->insertLog(std::make_unique<TVXLog>(*histories[static_cast<std::size_t>(i)]));
                const auto saving = Clock::now();
                bool joined = false;
                const StoreResult saved = store.fileHistory(h.caption, *h.record, date, joined, &before);
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

void benchWriters(const std::string& uri, int records)
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
    for (const Writer& w : writers) {
        for (const Filing& f : w.filings) {
            all.push_back(f.ms);
            (f.hot ? hot : cold).push_back(f.ms);
            loads.push_back(f.loadMs);
            saves.push_back(f.saveMs);
            filedCount += f.filed ? 1 : 0;
            conflicts += f.conflicts;
            mostConflicts = std::max(mostConflicts, f.conflicts);
        }
        for (std::size_t e = 0; e < w.errors.size() && e < 3; ++e)
            std::fprintf(stderr, "writer: %s\n", w.errors[e].c_str());
    }
    const std::size_t total = static_cast<std::size_t>(Writers) * FilingsPerWriter;
    std::size_t found = 0;
    std::size_t expected = 0;
    const bool whole = nothingLost(uri, writers, found, expected);

    // The goals are those of a workshop: eight PCs filing at once, each the
    // mower on its own bench. Every writer also files, in turns, into two
    // records that all of them share: a stress no workshop makes, whose
    // times are shown beside (and whose filings must all land).
    const double median = percentile(cold, 0.5);
    const double p99 = percentile(cold, 0.99);
    std::printf("%6d records, %d writers: %zu filings in %.1f s, %d joined what another writer filed meanwhile "
                "(at most %d in one filing)\n",
                records, Writers, all.size(), wall, conflicts, mostConflicts);
    std::printf("%6d records, %d writers: stress: into 2 records that all writers share, median %.1f ms, 99th "
                "%.1f ms (no goal) ok\n",
                records, Writers, percentile(hot, 0.5), percentile(hot, 0.99));
    std::printf("%6d records, %d writers: per filing, reading the record median %.1f ms (99th %.1f), saving median "
                "%.1f ms (99th %.1f)\n",
                records, Writers, percentile(loads, 0.5), percentile(loads, 0.99), percentile(saves, 0.5),
                percentile(saves, 0.99));
    std::printf("%6d records, %d writers: filing a history, each into its own mower's record, median %.1f ms "
                "(goal < 30 ms) %s\n",
                records, Writers, median, verdict(median < 30 && all.size() == total));
    std::printf("%6d records, %d writers: filing a history, each into its own mower's record, 99th percentile "
                "%.1f ms (goal < 100 ms) %s\n",
                records, Writers, p99, verdict(p99 < 100 && all.size() == total));
    std::printf("%6d records, %d writers: %zu of %zu histories filed, %zu of %zu found in their records (goal: "
                "all, nothing lost) %s\n",
                records, Writers, filedCount, total, found, expected,
                verdict(whole && filedCount == total && expected == total));
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

// --- announcements ------------------------------------------------------------

constexpr int NotifyRounds = 100;
// One record each round, none that the other benches change.
constexpr std::uint32_t NotifyFirstSerial = FirstSerial + 2000;
constexpr auto NotifyWait = std::chrono::seconds(3);

// Store A files a history into a record; store B, on a connection of its own,
// waits in poll() on its changeSocket() and calls takeChanges until the key
// comes: the time from A's filing returning (its commit done) to B's
// takeChanges returning the key. A notification that B took before A's call
// returned counts as 0.
void benchNotification(const std::string& uri, int records)
{
    ServerRecordStore a(uri);
    ServerRecordStore b(uri);
    std::vector<RecordCaption> captions;
    if (!a.open() || !a.list(captions) || !b.open() || b.changeSocket() < 0) {
        std::printf("%6d records: no two connections for the announcement bench MISS\n", records);
        return;
    }
    std::map<std::uint32_t, RecordCaption> bySerial;
    for (RecordCaption& caption : captions)
        bySerial[caption.serialNumber] = std::move(caption);
    std::vector<std::string> keys;
    for (int r = 0; r < NotifyRounds; ++r)
        keys.push_back(serialHex(NotifyFirstSerial + static_cast<std::uint32_t>(r)));
    bool lost = false;
    b.takeChanges(lost);  // nothing of before counts

    std::mutex mutex;
    std::condition_variable done;
    int finishedRound = -1;  // the last round the watcher is through with
    std::vector<Clock::time_point> seenAt(NotifyRounds);
    std::vector<char> seen(NotifyRounds, 0);
    int lostAnnouncements = 0;
    std::thread watcher([&] {
        for (int r = 0; r < NotifyRounds; ++r) {
            bool got = false;
            Clock::time_point at;
            const auto deadline = Clock::now() + NotifyWait;
            while (!got && Clock::now() < deadline) {
                pollfd socket {b.changeSocket(), POLLIN, 0};
                if (socket.fd < 0)
                    break;
                const auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
                if (::poll(&socket, 1, static_cast<int>(std::max<long long>(left, 1))) <= 0)
                    continue;
                bool missed = false;
                const std::vector<std::string> changed = b.takeChanges(missed);
                const auto now = Clock::now();
                lostAnnouncements += missed ? 1 : 0;
                if (std::find(changed.begin(), changed.end(), keys[static_cast<std::size_t>(r)]) != changed.end()) {
                    got = true;
                    at = now;
                }
            }
            {
                std::lock_guard lock(mutex);
                seen[static_cast<std::size_t>(r)] = got;
                seenAt[static_cast<std::size_t>(r)] = at;
                finishedRound = r;
            }
            done.notify_all();
        }
    });

    std::vector<Clock::time_point> filedAt(NotifyRounds);
    std::vector<char> filed(NotifyRounds, 0);
    std::mt19937 random(4242);
    for (int r = 0; r < NotifyRounds; ++r) {
        const std::uint32_t serial = NotifyFirstSerial + static_cast<std::uint32_t>(r);
        const auto found = bySerial.find(serial);
        std::unique_ptr<TVXMowerLog> record;
        const TVXLogTime date {2060, static_cast<std::uint8_t>(1 + r % 12), 1, 9, 0, 0};
        bool ready = found != bySerial.end() && a.load(found->second, record);
        if (ready)
            record->insertLog(makeHistory(random, serial, date));
        {
            // The watcher is through with the round before: it waits for this one.
            std::unique_lock lock(mutex);
            done.wait(lock, [&] { return finishedRound == r - 1; });
        }
        bool joined = false;
        if (ready && a.fileHistory(found->second, *record, date, joined)) {
            filedAt[static_cast<std::size_t>(r)] = Clock::now();
            filed[static_cast<std::size_t>(r)] = 1;
        }
    }
    watcher.join();

    std::vector<double> times;
    int early = 0;
    int unseen = 0;
    int notFiled = 0;
    for (std::size_t r = 0; r < static_cast<std::size_t>(NotifyRounds); ++r) {
        if (!filed[r]) {
            ++notFiled;
        } else if (!seen[r]) {
            ++unseen;
            times.push_back(1e9);
        } else {
            const double ms = std::chrono::duration<double, std::milli>(seenAt[r] - filedAt[r]).count();
            early += ms < 0 ? 1 : 0;
            times.push_back(std::max(ms, 0.0));
        }
    }
    const double median = percentile(times, 0.5);
    std::printf("%6d records: a change filed on one connection seen through another's announcement (poll, "
                "takeChanges) %.2f ms after the filing returned (median of %zu, 99th %.2f ms; %d seen before it "
                "returned, %d not seen within %lld s, %d not filed, %d reported lost; goal < 1 s) %s\n",
                records, median, times.size(), percentile(times, 0.99), early, unseen,
                static_cast<long long>(NotifyWait.count()), notFiled, lostAnnouncements,
                verdict(median < 1000 && unseen == 0 && notFiled == 0));
}

// --- a manufacturer's scale -----------------------------------------------------

std::string shellQuoted(const std::string& text)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The tool built with this bench: build/quorvane-tool next to build/bench.
fs::path builtTool()
{
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : self.parent_path().parent_path() / "quorvane-tool";
}

double gigabytes(std::uintmax_t bytes)
{
    return static_cast<double>(bytes) / 1e9;
}

// The folder's bytes as the bench writes them: the record files of three
// histories and the big one.
std::uintmax_t expectedFolderBytes(int records)
{
    std::mt19937 random(1);
    const std::uintmax_t small = writeRecordFile(*makeRecord(random, FirstSerial, HistoriesPerRecord)).size();
    const std::uintmax_t big = writeRecordFile(*makeRecord(random, BigRecordSerial, BigRecordHistories)).size();
    return small * static_cast<std::uintmax_t>(records) + big;
}

// The nearest folder of the path that exists, for its file system.
fs::path existingAncestor(fs::path path)
{
    path = fs::absolute(path);
    while (!fs::exists(path) && path.has_parent_path() && path.parent_path() != path)
        path = path.parent_path();
    return path;
}

// Room for the folder (unless it is there already) and for the server's copy
// of it and its write-ahead log under /tmp, where the cluster lives; the
// one-file baseline is written there before the copy and removed.
bool enoughDisk(const fs::path& folderDir, int records, bool folderPresent)
{
    const std::uintmax_t folderBytes = expectedFolderBytes(records);
    const std::uintmax_t toBuild = folderPresent ? 0 : folderBytes;
    // The rows hold the same bytes, toasted; the WAL keeps up to about its
    // max_wal_size of 1 GB between checkpoints; the 10,000-record database too.
    const std::uintmax_t server = folderBytes + folderBytes / 5 + 2'000'000'000u;
    const fs::path folderFs = existingAncestor(folderDir);
    const fs::path serverFs = "/tmp";
    std::error_code error;
    const std::uintmax_t folderFree = fs::space(folderFs, error).available;
    const std::uintmax_t serverFree = error ? 0 : fs::space(serverFs, error).available;
    struct stat a {};
    struct stat b {};
    const bool same = ::stat(folderFs.c_str(), &a) == 0 && ::stat(serverFs.c_str(), &b) == 0 && a.st_dev == b.st_dev;
    bool enough = !error;
    if (same)
        enough = enough && folderFree >= toBuild + server;
    else
        enough = enough && folderFree >= toBuild && serverFree >= server;
    char elsewhere[64] = " (the cluster's file system too)";
    if (!same)
        std::snprintf(elsewhere, sizeof elsewhere, ", %.1f GB on /tmp for the cluster", gigabytes(serverFree));
    std::printf("%6d records: disk: need about %.1f GB (folder %.1f GB %s, server and WAL %.1f GB), free %.1f GB "
                "on %s%s %s\n",
                records, gigabytes(toBuild + server), gigabytes(folderBytes),
                folderPresent ? "there already" : "to build", gigabytes(server), gigabytes(folderFree),
                folderFs.c_str(), elsewhere, verdict(enough));
    if (!enough)
        std::printf("%6d records: refused: not enough free disk for the large bench; free some or choose another "
                    "DIR\n",
                    records);
    std::fflush(stdout);
    return enough;
}

// Reads every record file (the page cache then holds them, for the baseline
// and the copy alike); their bytes in all.
std::uintmax_t readAll(const Folder& folder, bool& whole)
{
    std::uintmax_t bytes = 0;
    whole = true;
    std::string content;
    std::string error;
    for (const std::string& file : folder.files) {
        if (readBoundedFile(file, FolderRecordStore::MaxRecordFileBytes, content, error) != ReadStatus::Ok)
            whole = false;
        bytes += content.size();
    }
    return bytes;
}

// The baseline of the copy: the same bytes, read from the folder as the copy
// reads them, written to one file in the cluster's file system and flushed to
// disk. Seconds, or a negative number when the write failed.
double writeOneFile(const Folder& folder, const fs::path& target)
{
    const auto start = Clock::now();
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    bool ok = true;
    std::string content;
    std::string error;
    for (const std::string& file : folder.files) {
        if (readBoundedFile(file, FolderRecordStore::MaxRecordFileBytes, content, error) != ReadStatus::Ok) {
            ok = false;
            break;
        }
        for (std::size_t at = 0; ok && at < content.size();) {
            const ssize_t n = ::write(fd, content.data() + at, content.size() - at);
            ok = n > 0;
            at += ok ? static_cast<std::size_t>(n) : 0;
        }
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    const double seconds = secondsSince(start);
    fs::remove(target);
    return ok ? seconds : -1;
}

// The CPU time of the children that ended since the last call.
double childCpuSeconds()
{
    rusage usage {};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    static double before = 0;
    const double now = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
                       + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    const double spent = now - before;
    before = now;
    return spent;
}

// A database of its own in the cluster, made ready by the tool; its URI or empty.
std::string largeDatabase(const std::string& uri, const fs::path& tool)
{
    std::string error;
    auto db = PgConnection::connect(uri, error);
    if (!db || !db->command("CREATE DATABASE quorvane_large", error)) {
        std::fprintf(stderr, "CREATE DATABASE: %s\n", error.c_str());
        return {};
    }
    const CommandRun named = runCommand(clusterScript("uri '" + clusterDir + "' quorvane_large"));
    std::string large = named.output;
    while (!large.empty() && (large.back() == '\n' || large.back() == '\r'))
        large.pop_back();
    const CommandRun init = runCommand(shellQuoted(tool.string()) + " server init " + shellQuoted(large));
    if (named.status != 0 || init.status != 0) {
        std::fprintf(stderr, "server init: %s\n", init.output.c_str());
        return {};
    }
    return large;
}

// quorvane-tool copy FOLDER URI as a dealer runs it, against the one file.
bool copyWithTool(const Folder& folder, const fs::path& tool, const std::string& uri)
{
    bool whole = false;
    const std::uintmax_t bytes = readAll(folder, whole);
    const double oneFile = writeOneFile(folder, fs::path(clusterDir) / "one-file.bin");
    childCpuSeconds();
    const auto start = Clock::now();
    const CommandRun copy =
        runCommand(shellQuoted(tool.string()) + " copy " + shellQuoted(folder.dir.string()) + " " + shellQuoted(uri));
    const double seconds = secondsSince(start);
    const double toolCpu = childCpuSeconds();
    const bool copied = copy.status == 0 && whole;
    if (!copied)
        std::fprintf(stderr, "quorvane-tool copy: %s\n", copy.output.c_str());

    std::string error;
    auto db = PgConnection::connect(uri, error);
    const PgResult size = db ? db->exec("SELECT pg_database_size(current_database())") : PgResult();
    const double stored = size.ok() && size.rows() == 1 ? gigabytes(static_cast<std::uintmax_t>(size.integer(0, 0)))
                                                        : 0;
    const double mb = static_cast<double>(bytes) / 1e6;
    std::printf("%6d records: quorvane-tool copy into the server in %.1f s, %.0f MB, %.1f MB/s (the tool's CPU "
                "%.1f s; the database holds %.2f GB after it) %s\n",
                folder.records, seconds, mb, mb / seconds, toolCpu, stored, verdict(copied));
    if (oneFile > 0)
        std::printf("%6d records: the same bytes written to one file (read from the folder, fsync) in %.1f s, "
                    "%.1f MB/s; the copy runs at %.3f of that (information) ok\n",
                    folder.records, oneFile, mb / oneFile, oneFile / seconds);
    else
        std::printf("%6d records: the same bytes could not be written to one file in %s MISS\n", folder.records,
                    clusterDir.c_str());
    std::fflush(stdout);
    return copied;
}

void benchLargeStartup(const Folder& folder, const std::string& uri)
{
    const std::size_t expected = folder.files.size();
    serverStartup(uri);  // warms the server's buffers
    std::vector<double> times;
    Startup best {1e9};
    for (int round = 0; round < 3; ++round) {
        const Startup s = serverStartup(uri);
        times.push_back(s.seconds);
        if (s.seconds < best.seconds)
            best = s;
    }
    const double median = percentile(times, 0.5);
    std::printf("%6d records: start-up from the server %.3f s (median of 3, best %.3f, open before it %.1f ms), "
                "listed %zu of %zu, %zu read (goal < 2 s, all listed, none read) %s\n",
                folder.records, median, best.seconds, best.openSeconds * 1000, best.listed, expected, best.read,
                verdict(median < 2 && best.listed == expected && best.read == 0));
    std::fflush(stdout);
}

void benchLarge(const Folder& folder, const std::string& uri)
{
    const fs::path tool = builtTool();
    if (tool.empty() || !fs::exists(tool)) {
        std::printf("%6d records: no %s: build the target quorvane-tool first MISS\n", folder.records, tool.c_str());
        return;
    }
    const std::string large = largeDatabase(uri, tool);
    if (large.empty()) {
        std::printf("%6d records: no database for the large bench MISS\n", folder.records);
        return;
    }
    if (!copyWithTool(folder, tool, large))
        return;
    benchLargeStartup(folder, large);
    benchOpenRecord(large, folder.records);
    std::fflush(stdout);
    benchWriters(large, folder.records);
    std::fflush(stdout);
}

// A folder of the caller's to keep, or a new one under /tmp that goes at the end.
fs::path folderRoot(const std::string& given)
{
    if (!given.empty())
        return given;
    char tmpl[] = "/tmp/quorvane-bench-XXXXXX";
    if (!::mkdtemp(tmpl)) {
        std::perror("mkdtemp");
        return {};
    }
    return tmpl;
}

}  // namespace

// With a folder as argument the 10,000-record folder is kept there and reused
// by later runs; with --large DIR the 100,000-record one in DIR. The server's
// databases are always made anew and removed.
int main(int argc, char** argv)
{
    std::string smallGiven;
    std::string largeGiven;
    bool large = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--large") {
            large = true;
            if (i + 1 < argc && argv[i + 1][0] != '-')
                largeGiven = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && smallGiven.empty()) {
            smallGiven = arg;
        } else {
            std::fprintf(stderr, "usage: %s [FOLDER] [--large [DIR]]\n", argv[0]);
            return 2;
        }
    }
    if (large) {
        // Without DIR the folder is built under /tmp and removed at the end.
        const fs::path dir = largeGiven.empty() ? fs::path("/tmp")
                                                : fs::path(largeGiven) / std::to_string(LargeRecords);
        const bool present = !largeGiven.empty() && fs::exists(dir) && listedRecords(dir) == LargeRecords + 1;
        // A folder that an interrupted build left is no reason to wait for the rest first.
        if (!largeGiven.empty() && !present && fs::exists(dir) && !fs::is_empty(dir)) {
            reportFolder(prepareFolder(dir, LargeRecords, true));
            return 1;
        }
        if (!enoughDisk(dir, LargeRecords, present))
            return 1;
    }

    const fs::path root = folderRoot(smallGiven);
    if (root.empty())
        return 1;
    const Folder folder = prepareFolder(root / std::to_string(Records), Records, !smallGiven.empty());
    reportFolder(folder);

    int status = 1;
    const std::string uri = folder.written ? startCluster() : std::string();
    if (!uri.empty()) {
        reportServerSettings(uri);
        std::fflush(stdout);
        if (copyToServer(folder, uri)) {
            std::fflush(stdout);
            benchStartup(folder, uri);
            std::fflush(stdout);
            benchOpenRecord(uri, Records);
            std::fflush(stdout);
            benchWriters(uri, Records);
            std::fflush(stdout);
            benchSaveBySize(uri);
            std::fflush(stdout);
            benchNotification(uri, Records);
            status = 0;
        }
    }
    std::fflush(stdout);
    if (status == 0 && large) {
        const fs::path bigRoot = folderRoot(largeGiven);
        const Folder big =
            bigRoot.empty() ? Folder {}
                            : prepareFolder(bigRoot / std::to_string(LargeRecords), LargeRecords, !largeGiven.empty());
        reportFolder(big);
        if (big.written)
            benchLarge(big, uri);
        else
            status = 1;
        if (largeGiven.empty() && !bigRoot.empty())
            fs::remove_all(bigRoot);
    }
    std::fflush(stdout);
    stopCluster();
    if (smallGiven.empty())
        fs::remove_all(root);
    return status;
}
