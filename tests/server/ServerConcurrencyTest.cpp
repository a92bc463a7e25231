// Several programs on one server database at once, each a forked process with
// a store of its own, as the PCs of a workshop are; and programs that die in
// the middle of a change.
#include "ServerTestSupport.h"

#include "support/TempDir.h"

#include <chrono>
#include <set>
#include <thread>

using namespace servertest;

namespace {

constexpr std::uint32_t Serial = 0x00C0FFEE;

// Polls until another connection to the database has a transaction that
// wrote a row; false when none was seen for some seconds.
bool waitForAWritingTransaction(PgTestDatabase& db)
{
    for (int i = 0; i < 20000; ++i) {
        if (db.integer("SELECT count(*) FROM pg_stat_activity WHERE datname = current_database()"
                       " AND pid <> pg_backend_pid() AND backend_xid IS NOT NULL")
            > 0)
            return true;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return false;
}

// The backend of a killed client ends, rolling its transaction back, once it
// finds the connection gone.
void waitForOtherConnectionsToEnd(PgTestDatabase& db)
{
    for (int i = 0; i < 200; ++i) {
        if (db.integer("SELECT count(*) FROM pg_stat_activity WHERE datname = current_database()"
                       " AND pid <> pg_backend_pid()")
            == 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ADD_FAILURE() << "the killed client's connection is still there";
}

class ServerConcurrencyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.ready());
        ServerRecordStore store(db.uri());
        ASSERT_TRUE(store.open());
        auto r = record(Serial, "Geteilt");
        ASSERT_TRUE(store.create(*r, caption));
        originalBytes = writeRecordFile(*r);
    }

    // Files a history of that date into the record, loading it again and
    // retrying whenever another process saved it in between. Exit status: 0
    // filed, 1 a history of that date was there already, 2 and more failed.
    static int fileHistory(const std::string& uri, const std::string& key, TVXLogTime date, std::uint8_t fill)
    {
        ServerRecordStore store(uri);
        if (!store.open())
            return 2;
        RecordCaption caption = listed(store, key);
        for (int attempt = 0; attempt < 1000; ++attempt) {
            std::unique_ptr<TVXMowerLog> r;
            if (!store.load(caption, r))
                return 3;
            if (!r->insertLog(history(Serial, date, fill)))
                return 1;
            const StoreResult saved = store.save(caption, *r);
            if (saved)
                return 0;
            if (saved.status != Status::Changed)
                return 4;
        }
        return 5;
    }

    PgTestDatabase db;
    RecordCaption caption;
    std::string originalBytes;
};

// Eight processes file histories of their own dates into one record at once;
// a save that finds the record changed writes nothing and is retried on the
// record as it is now. Every history is there at the end.
TEST_F(ServerConcurrencyTest, EightProcessesFilingIntoOneRecordLoseNothing)
{
    constexpr int Processes = 8;
    constexpr int PerProcess = 5;
    Gate gate;
    std::vector<pid_t> children;
    for (int p = 0; p < Processes; ++p)
        children.push_back(forkChild([&, p] {
            gate.wait();
            for (int h = 0; h < PerProcess; ++h) {
                const TVXLogTime date {static_cast<std::uint16_t>(2010 + p), static_cast<std::uint8_t>(1 + h), 15, 9,
                                       30, 0};
                if (const int status = fileHistory(db.uri(), caption.key, date, static_cast<std::uint8_t>(p)); status)
                    return 10 + status;
            }
            return 0;
        }));
    gate.open();
    for (pid_t child : children)
        EXPECT_EQ(waitChild(child), 0);

    auto after = loadedFresh(db.uri(), caption.key);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->getLogCount(), 1 + Processes * PerProcess);
    for (int p = 0; p < Processes; ++p)
        for (int h = 0; h < PerProcess; ++h) {
            const TVXLogTime date {static_cast<std::uint16_t>(2010 + p), static_cast<std::uint8_t>(1 + h), 15, 9, 30,
                                   0};
            EXPECT_TRUE(after->logs().count(date)) << "process " << p << ", history " << h << " lost";
        }
    ServerRecordStore store(db.uri());
    const RecordCaption now = listed(store, caption.key);
    EXPECT_EQ(now.historyCount, 1 + Processes * PerProcess) << "the list columns follow the rows";
    EXPECT_EQ(db.integer("SELECT count(*) FROM histories"), 1 + Processes * PerProcess);
    EXPECT_TRUE(store.check().sound());
}

// Two processes file a history of the same date: one lands, the other finds
// it there when it retries, and the record holds that date once, with the
// content of the one that landed.
TEST_F(ServerConcurrencyTest, OfTwoProcessesFilingTheSameDateExactlyOneLands)
{
    const TVXLogTime date {2020, 2, 29, 12, 0, 0};
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const TVXLogTime roundDate {date.year, date.month, date.day, static_cast<std::uint8_t>(date.hour + round), 0,
                                    0};
        Gate gate;
        std::vector<pid_t> children;
        for (std::uint8_t fill : {0x11, 0x22})
            children.push_back(forkChild([&, fill] {
                gate.wait();
                return fileHistory(db.uri(), caption.key, roundDate, fill);
            }));
        gate.open();
        const int first = waitChild(children[0]);
        const int second = waitChild(children[1]);
        ASSERT_EQ(std::multiset<int>({first, second}), std::multiset<int>({0, 1}))
            << "one filed (0), the other found the date there (1)";

        auto after = loadedFresh(db.uri(), caption.key);
        ASSERT_TRUE(after);
        EXPECT_EQ(after->getLogCount(), 2 + round);
        ASSERT_TRUE(after->logs().count(roundDate));
        const std::uint8_t landed = first == 0 ? 0x11 : 0x22;
        EXPECT_EQ(after->findLog(roundDate).getImage()[100], landed) << "the history of the one that landed";
    }
}

// A process killed (SIGKILL) in the middle of saving a big record, after its
// transaction wrote its first row: the record is as before, the check finds
// the database sound, and the record can be saved again at once.
TEST_F(ServerConcurrencyTest, AProcessKilledDuringASaveLeavesTheRecordAsBefore)
{
    // Some 1500 histories: a save of many statements.
    auto big = record(Serial, "Gross", 1500);
    const std::string bigBytes = writeRecordFile(*big);

    Gate gate;
    const pid_t child = forkChild([&] {
        ServerRecordStore store(db.uri());
        if (!store.open())
            return 2;
        RecordCaption c = listed(store, caption.key);
        gate.wait();
        return store.save(c, *big) ? 0 : 3;
    });
    gate.open();
    // The child's transaction holds a transaction id once it has written its
    // first row; it has many rows to go then.
    const bool writing = waitForAWritingTransaction(db);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ::kill(child, SIGKILL);
    EXPECT_EQ(waitChild(child), -SIGKILL) << "the save ended before the kill";
    ASSERT_TRUE(writing) << "the child's save was never seen writing";

    // The server rolls the dead client's transaction back once it notices.
    waitForOtherConnectionsToEnd(db);
    std::string bytes;
    {
        ServerRecordStore store(db.uri());
        ASSERT_TRUE(store.open());
        RecordCaption c = listed(store, caption.key);
        const StoreResult read = store.loadFile(c, bytes);
        EXPECT_TRUE(read) << read.reason;
    }
    EXPECT_TRUE(bytes == originalBytes || bytes == bigBytes) << "neither as before nor as after";
    EXPECT_TRUE(bytes == originalBytes) << "killed before its commit";

    const CommandRun checked = tool("check " + quoted(db.uri()));
    EXPECT_EQ(checked.status, 0) << checked.output;

    // The row lock went with the dead transaction: a save goes through.
    ServerRecordStore store(db.uri());
    ASSERT_TRUE(store.open());
    RecordCaption c = listed(store, caption.key);
    const StoreResult saved = store.save(c, *big);
    ASSERT_TRUE(saved) << saved.reason;
    std::string after;
    ASSERT_TRUE(store.loadFile(c, after));
    EXPECT_TRUE(after == bigBytes);
}

// A copy into a server killed half-way leaves the server empty, sound, and
// ready for the copy to be made again.
TEST(ServerKillTest, ACopyKilledHalfWayLeavesTheServerEmpty)
{
    TempDir work;
    const std::string source = work.file("many");
    ASSERT_EQ(tool("sample " + quoted(source) + " --records 400").status, 0);
    PgTestDatabase db;
    ASSERT_TRUE(db.ready());

    const pid_t child = forkChild([&] {
        const std::string program = QUORVANE_BUILD_DIR "/quorvane-tool";
        ::execl(program.c_str(), program.c_str(), "copy", source.c_str(), db.uri().c_str(), nullptr);
        return 97;
    });
    // Half the records written inside the copy's transaction: the numbers
    // of the list order are drawn outside any transaction, so they show it.
    bool halfWay = false;
    for (int i = 0; i < 50000 && !halfWay; ++i) {
        halfWay = db.integer("SELECT coalesce(pg_sequence_last_value("
                             "pg_get_serial_sequence('records', 'listed_order')::regclass), 0)")
               >= 200;
        if (!halfWay)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ::kill(child, SIGKILL);
    EXPECT_EQ(waitChild(child), -SIGKILL) << "the copy ended before the kill";
    ASSERT_TRUE(halfWay) << "the copy was never seen half-way";

    waitForOtherConnectionsToEnd(db);
    EXPECT_EQ(db.integer("SELECT count(*) FROM records"), 0);
    EXPECT_EQ(db.integer("SELECT count(*) FROM histories"), 0);
    const CommandRun checked = tool("check " + quoted(db.uri()));
    EXPECT_EQ(checked.status, 0) << checked.output;

    const CommandRun again = tool("copy " + quoted(source) + " " + quoted(db.uri()));
    EXPECT_EQ(again.status, 0) << again.output;
    EXPECT_EQ(db.integer("SELECT count(*) FROM records"), 400);
}

}  // namespace
