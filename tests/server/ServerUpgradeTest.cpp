// A database made by an earlier version of the program (schema version 1,
// without the journal) is refused until `quorvane-tool server init` upgrades
// it in place; every record then reads as it was, and the journal works.
#include "ServerTestSupport.h"

#include "support/TempDir.h"

#include <gmock/gmock.h>

using namespace servertest;
using ::testing::HasSubstr;

namespace {

constexpr int RecordCount = 40;

std::string serverTool(const std::string& name)
{
    return quoted(PgTestDatabase::serverProgram(name));
}

// The rows of records and histories of one database, as the server's own
// dump gives them, put into another (no statement of ours touches them).
CommandRun copyRows(const PgTestDatabase& from, const PgTestDatabase& to)
{
    const std::string host = quoted(PgTestDatabase::clusterDir());
    return runCommand(serverTool("pg_dump") + " --data-only --table=records --table=histories -h " + host
                      + " -U quorvane " + from.name() + " | " + serverTool("psql") + " -X -q -v ON_ERROR_STOP=1 -h "
                      + host + " -U quorvane -d " + to.name());
}

class ServerUpgradeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(current.ready());
        ASSERT_TRUE(old.ready());
        const StoreResult made = ServerRecordStore::initSchema(old.uri(), 1);
        ASSERT_TRUE(made) << made.reason;
        ASSERT_EQ(old.integer("SELECT max(version) FROM quorvane_schema"), 1);
        ASSERT_EQ(old.integer("SELECT count(*) FROM pg_tables WHERE tablename = 'journal'"), 0);

        // The records of a sample folder, as version 1 kept them: copied to a
        // database of today, their rows moved into the old one.
        const CommandRun sampled = tool("sample " + quoted(folder()) + " --records " + std::to_string(RecordCount));
        ASSERT_EQ(sampled.status, 0) << sampled.output;
        const CommandRun up = tool("copy " + quoted(folder()) + " " + quoted(current.uri()));
        ASSERT_EQ(up.status, 0) << up.output;
        const CommandRun rows = copyRows(current, old);
        ASSERT_EQ(rows.status, 0) << rows.output;
        ASSERT_EQ(old.integer("SELECT count(*) FROM records"), RecordCount);
        ASSERT_EQ(old.integer("SELECT count(*) FROM histories"), current.integer("SELECT count(*) FROM histories"));
    }

    std::string folder() const { return work.file("sample"); }

    // The folder's files without the lock a store leaves.
    static std::map<std::string, std::string> databaseFiles(const std::string& dir)
    {
        auto files = folderFiles(dir);
        files.erase("quorvane.lock");
        return files;
    }

    TempDir work;
    PgTestDatabase current;
    PgTestDatabase old {PgTestDatabase::Schema::None};
};

TEST_F(ServerUpgradeTest, AnOlderSchemaIsRefusedUntilServerInitUpgradesIt)
{
    ServerRecordStore before(old.uri());
    const StoreResult refused = before.open();
    EXPECT_EQ(refused.status, Status::Refused);
    EXPECT_THAT(refused.reason, HasSubstr("version 1"));
    EXPECT_THAT(refused.reason, HasSubstr("server init"));
    std::vector<JournalEntry> entries;
    EXPECT_FALSE(before.journal({}, entries));
    const CommandRun copied = tool("copy " + quoted(old.uri()) + " " + quoted(work.file("early")));
    EXPECT_EQ(copied.status, 1) << copied.output;
    EXPECT_THAT(copied.output, HasSubstr("server init"));
    for (const std::string& command : {std::string("journal "), std::string("undo ")}) {
        const CommandRun refusedByTool = tool(command + quoted(old.uri()) + (command == "undo " ? " 1" : ""));
        EXPECT_EQ(refusedByTool.status, 1) << refusedByTool.output;
        EXPECT_THAT(refusedByTool.output, HasSubstr("server init"));
    }

    const CommandRun init = tool("server init " + quoted(old.uri()));
    ASSERT_EQ(init.status, 0) << init.output;
    EXPECT_THAT(init.output, HasSubstr("schema version 2 ready"));
    EXPECT_EQ(old.integer("SELECT count(*) FROM quorvane_schema"), 1) << "one schema row";
    EXPECT_EQ(old.integer("SELECT max(version) FROM quorvane_schema"), 2);
    EXPECT_EQ(old.integer("SELECT count(*) FROM journal"), 0) << "the upgrade is no change of a record";

    // Every record file as it was, in the order of the list.
    const CommandRun down = tool("copy " + quoted(old.uri()) + " " + quoted(work.file("back")));
    ASSERT_EQ(down.status, 0) << down.output;
    const auto original = databaseFiles(folder());
    const auto back = databaseFiles(work.file("back"));
    ASSERT_EQ(original.size(), RecordCount + 1u) << "the records and the checker";
    ASSERT_EQ(back.size(), original.size());
    for (const auto& [name, bytes] : original) {
        const auto found = back.find(name);
        ASSERT_NE(found, back.end()) << name;
        EXPECT_TRUE(found->second == bytes) << name << " differs after the upgrade";
    }
    EXPECT_EQ(tool("check " + quoted(old.uri())).status, 0);

    // The journal works from the first change on.
    ServerRecordStore store(old.uri());
    const StoreResult opened = store.open();
    ASSERT_TRUE(opened) << opened.reason;
    EXPECT_EQ(tool("journal " + quoted(old.uri())).output, "");
    std::vector<RecordCaption> captions;
    ASSERT_TRUE(store.list(captions));
    ASSERT_EQ(captions.size(), static_cast<std::size_t>(RecordCount));
    RecordCaption& caption = captions[3];
    const std::string fileName = caption.key + ".dat";
    ASSERT_TRUE(original.count(fileName)) << fileName;
    std::unique_ptr<TVXMowerLog> r;
    ASSERT_TRUE(store.load(caption, r));
    r->getOwner().setName("Nach dem Upgrade");
    const StoreResult saved = store.save(caption, *r);
    ASSERT_TRUE(saved) << saved.reason;
    ASSERT_TRUE(store.journal({}, entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, "owner");
    EXPECT_EQ(entries[0].record, caption.key);
    std::string kept;
    ASSERT_TRUE(store.stateBefore(entries[0].change, kept));
    EXPECT_TRUE(kept == original.at(fileName)) << "the journal keeps the record as version 1 held it";
    JournalEntry done;
    ASSERT_TRUE(store.undo(entries[0].change, done));
    std::string now;
    ASSERT_TRUE(store.loadFile(caption, now));
    EXPECT_TRUE(now == original.at(fileName));

    // Once more: nothing changes.
    const CommandRun again = tool("server init " + quoted(old.uri()));
    EXPECT_EQ(again.status, 0) << again.output;
    EXPECT_EQ(old.integer("SELECT count(*) FROM journal"), 2);
    EXPECT_EQ(old.integer("SELECT count(*) FROM records"), RecordCount);
}

// The upgrade is one transaction: a step that fails leaves version 1 as it was.
TEST_F(ServerUpgradeTest, AFailedUpgradeLeavesTheOldSchema)
{
    // Something of the administrator's own in the way of the journal.
    old.exec("CREATE TABLE journal (note text)");
    const CommandRun init = tool("server init " + quoted(old.uri()));
    EXPECT_EQ(init.status, 1) << init.output;
    EXPECT_THAT(init.output, HasSubstr("journal"));
    EXPECT_EQ(old.integer("SELECT max(version) FROM quorvane_schema"), 1);
    EXPECT_EQ(old.integer("SELECT count(*) FROM pg_indexes WHERE indexname = 'journal_of_record'"), 0);
    EXPECT_EQ(old.integer("SELECT count(*) FROM records"), RecordCount);
    EXPECT_EQ(ServerRecordStore(old.uri()).open().status, Status::Refused);

    old.exec("DROP TABLE journal");
    const CommandRun retried = tool("server init " + quoted(old.uri()));
    EXPECT_EQ(retried.status, 0) << retried.output;
    EXPECT_TRUE(ServerRecordStore(old.uri()).open());
}

}  // namespace
