// The server store on its own: texts that look like SQL, and a server that
// goes away under a running store and comes back.
#include "ServerTestSupport.h"

#include <gmock/gmock.h>

using namespace servertest;
using ::testing::HasSubstr;

namespace {

// Owner texts are data, never statement text: quotes, semicolons, comment
// dashes and backslashes are kept byte for byte, and the tables stay.
TEST(ServerStoreTest, AHostileOwnerNameIsStoredAndReadBackByteForByte)
{
    PgTestDatabase db;
    ASSERT_TRUE(db.ready());
    const std::string name = "Robert'); DROP TABLE records;--";
    const std::string surname = "O'Brien \\x00 \"; DELETE FROM histories; $1 $$";
    const std::string address = "Stra\xC3\x9F" "e 1'\n--\n%s %n\n";
    auto r = record(0x00B0B0B0, name, 2);
    r->getOwner().setSurname(surname);
    r->getOwner().setAddress(address);
    const std::string bytes = writeRecordFile(*r);
    {
        ServerRecordStore store(db.uri());
        ASSERT_TRUE(store.open());
        RecordCaption caption;
        const StoreResult made = store.create(*r, caption);
        ASSERT_TRUE(made) << made.reason;
        // And once more through a save.
        r->getOwner().setName(name + "'");
        ASSERT_TRUE(store.save(caption, *r));
        r->getOwner().setName(name);
        ASSERT_TRUE(store.save(caption, *r));
    }
    EXPECT_EQ(db.integer("SELECT count(*) FROM records"), 1) << "the table is still there";
    EXPECT_EQ(db.integer("SELECT count(*) FROM histories"), 2);

    ServerRecordStore store(db.uri());
    ASSERT_TRUE(store.open());
    std::vector<RecordCaption> captions;
    ASSERT_TRUE(store.list(captions));
    ASSERT_EQ(captions.size(), 1u);
    EXPECT_EQ(captions[0].owner.getName(), name);
    EXPECT_EQ(captions[0].owner.getSurname(), surname);
    EXPECT_EQ(captions[0].owner.getAddress(), address);
    std::string stored;
    ASSERT_TRUE(store.loadFile(captions[0], stored));
    EXPECT_TRUE(stored == bytes);
    std::unique_ptr<TVXMowerLog> back;
    ASSERT_TRUE(store.load(captions[0], back));
    EXPECT_EQ(back->getOwner().getName(), name);
    // The column holds the name as the file does, not some quoting of it.
    const PgResult column = db.exec("SELECT owner_name FROM records");
    ASSERT_EQ(column.rows(), 1);
    EXPECT_EQ(std::string(column.bytes(0, 0)), name);
}

// Two stores on one database (two PCs) work at once. A record another store
// changed loads as it is now, its caption's checksum following, while a save
// over the stale caption is refused as Changed and writes nothing. A record
// whose rows no longer rebuild its file is Damaged, a removed one NotFound.
TEST(ServerStoreTest, ALoadGivesTheRecordAsItIsNow)
{
    PgTestDatabase db;
    ASSERT_TRUE(db.ready());
    ServerRecordStore first(db.uri());
    ServerRecordStore second(db.uri());
    ASSERT_TRUE(first.open());
    ASSERT_TRUE(second.open()) << "a server is never in use by another PC";
    std::vector<std::unique_ptr<TVXMowerLog>> records;
    std::vector<RecordCaption> made(3);
    for (std::uint32_t i = 0; i < 3; ++i) {
        records.push_back(record(0x00A00000 + i, "Name" + std::to_string(i), 2));
        ASSERT_TRUE(first.create(*records[i], made[i]));
    }
    std::vector<RecordCaption> seen;
    ASSERT_TRUE(second.list(seen));
    ASSERT_EQ(seen.size(), 3u);

    records[1]->getOwner().setName("Changed by the first");
    ASSERT_TRUE(first.save(made[1], *records[1]));
    RecordCaption stale = seen[1];
    auto overwriting = record(0x00A00001, "Stale write", 2);
    const StoreResult refused = second.save(stale, *overwriting);
    EXPECT_EQ(refused.status, Status::Changed);
    EXPECT_FALSE(refused.reason.empty());
    EXPECT_EQ(stale.checksum, seen[1].checksum);

    std::unique_ptr<TVXMowerLog> now;
    ASSERT_TRUE(second.load(seen[1], now));
    EXPECT_EQ(now->getOwner().getName(), "Changed by the first");
    EXPECT_EQ(seen[1].checksum, made[1].checksum) << "the caption follows the record as loaded";
    now->getOwner().setName("Then by the second");
    ASSERT_TRUE(second.save(seen[1], *now)) << "saved over the record as it was loaded";
    EXPECT_EQ(loadedFresh(db.uri(), seen[1].key)->getOwner().getName(), "Then by the second");

    db.exec("UPDATE histories SET comment = '\\x41'::bytea WHERE name_serial = $1 AND position = 1",
            {PgParam::int8(0x00A00000)});
    db.exec("DELETE FROM records WHERE name_serial = $1", {PgParam::int8(0x00A00002)});
    std::unique_ptr<TVXMowerLog> none;
    const StoreResult damaged = second.load(seen[0], none);
    EXPECT_EQ(damaged.status, Status::Damaged);
    EXPECT_THAT(damaged.reason, HasSubstr(seen[0].key));
    EXPECT_FALSE(none);
    const StoreResult gone = second.load(seen[2], none);
    EXPECT_EQ(gone.status, Status::NotFound);
    EXPECT_FALSE(gone.reason.empty());
    EXPECT_FALSE(none);
    RecordCaption goneCaption = seen[2];
    EXPECT_EQ(second.save(goneCaption, *records[2]).status, Status::NotFound) << "a save makes no record anew";
    EXPECT_EQ(db.integer("SELECT count(*) FROM records"), 2);

    const DatabaseCheckReport report = second.check();
    EXPECT_FALSE(report.sound());
    ASSERT_EQ(report.findings.size(), 1u);
    EXPECT_THAT(report.findings[0].text, HasSubstr(seen[0].key));
}

// A second cluster of this test's own, stopped under a running store: every
// operation gives Unreachable with the reason, and once the server runs
// again the same store works on as before.
class StoppedServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const CommandRun started = runCommand(PgTestDatabase::clusterScript("start " + quoted(dir)));
        ASSERT_EQ(started.status, 0) << started.output;
        uri = PgTestDatabase::uriOf(dir, "quorvane");
        const StoreResult init = ServerRecordStore::initSchema(uri);
        ASSERT_TRUE(init) << init.reason;
    }
    void TearDown() override { runCommand(PgTestDatabase::clusterScript("stop " + quoted(dir))); }

    void halt() { ASSERT_EQ(runCommand(PgTestDatabase::clusterScript("halt " + quoted(dir))).status, 0); }
    void resume() { ASSERT_EQ(runCommand(PgTestDatabase::clusterScript("resume " + quoted(dir))).status, 0); }

    const std::string dir = PgTestDatabase::clusterDir() + "-stop-" + std::to_string(::getpid());
    std::string uri;
};

TEST_F(StoppedServerTest, AStoreReachesTheServerAgainOnceItRuns)
{
    ServerRecordStore store(uri);
    ASSERT_TRUE(store.open());
    auto r = record(0x00D00D00, "Bleibt");
    RecordCaption caption;
    ASSERT_TRUE(store.create(*r, caption));
    const std::string bytes = writeRecordFile(*r);

    halt();
    const auto expectUnreachable = [](const StoreResult& result, const char* what) {
        EXPECT_EQ(result.status, Status::Unreachable) << what << ": " << result.reason;
        EXPECT_FALSE(result.reason.empty()) << what;
    };
    std::vector<RecordCaption> captions;
    expectUnreachable(store.list(captions), "list");
    EXPECT_TRUE(captions.empty());
    std::unique_ptr<TVXMowerLog> loaded;
    expectUnreachable(store.load(caption, loaded), "load");
    EXPECT_FALSE(loaded);
    RecordCaption unsaved = caption;
    r->getOwner().setName("Nie gespeichert");
    expectUnreachable(store.save(unsaved, *r), "save");
    EXPECT_EQ(unsaved.checksum, caption.checksum);
    auto other = record(0x00E00E00, "Neu");
    RecordCaption otherCaption;
    expectUnreachable(store.create(*other, otherCaption), "create");
    expectUnreachable(ServerRecordStore(uri).open(), "open");

    resume();
    ASSERT_TRUE(store.list(captions));
    ASSERT_EQ(captions.size(), 1u);
    std::string stored;
    ASSERT_TRUE(store.loadFile(captions[0], stored));
    EXPECT_TRUE(stored == bytes) << "nothing of the failed save was written";
    const StoreResult saved = store.save(captions[0], *r);
    ASSERT_TRUE(saved) << saved.reason;
    ASSERT_TRUE(store.create(*other, otherCaption));
    auto back = loadedFresh(uri, caption.key);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->getOwner().getName(), "Nie gespeichert");
}

}  // namespace
