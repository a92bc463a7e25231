// The tool's server commands on a database of the test cluster: copy both
// ways, check, init; and what a server refuses.
#include "ServerTestSupport.h"

#include "Class/RecordCaption.h"
#include "Component/FolderRecordStore.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>

using namespace servertest;
using ::testing::HasSubstr;

namespace {

void expectSameCaption(const RecordCaption& actual, const RecordCaption& expected)
{
    EXPECT_EQ(actual.owner.getName(), expected.owner.getName());
    EXPECT_EQ(actual.owner.getSurname(), expected.owner.getSurname());
    EXPECT_EQ(actual.owner.getAddress(), expected.owner.getAddress());
    EXPECT_EQ(actual.typeCode, expected.typeCode);
    EXPECT_EQ(actual.idYear, expected.idYear);
    EXPECT_EQ(actual.idNumber, expected.idNumber);
    EXPECT_EQ(actual.idSuffix, expected.idSuffix);
    EXPECT_EQ(actual.serialNumber, expected.serialNumber);
    EXPECT_EQ(actual.newestHasAlarms, expected.newestHasAlarms);
    EXPECT_EQ(actual.historyCount, expected.historyCount);
    EXPECT_EQ(actual.checksum, expected.checksum);
}

// A sample folder copied to a server and back to a new folder is the same
// folder, file for file and byte for byte; on the server every record lists
// with the caption its file gives, and the check finds it sound, until a row
// is changed behind the server's back.
TEST(ServerToolTest, ACopyToTheServerAndBackIsByteExact)
{
    TempDir work;
    const std::string source = work.file("source");
    const std::string back = work.file("back");
    const CommandRun sampled = tool("sample " + quoted(source) + " --records 50");
    ASSERT_EQ(sampled.status, 0) << sampled.output;

    PgTestDatabase db;
    ASSERT_TRUE(db.ready());
    const CommandRun up = tool("copy " + quoted(source) + " " + quoted(db.uri()));
    ASSERT_EQ(up.status, 0) << up.output;
    EXPECT_THAT(up.output, HasSubstr("copied 50 records"));
    EXPECT_EQ(db.integer("SELECT count(*) FROM records"), 50);

    const CommandRun checked = tool("check " + quoted(db.uri()));
    EXPECT_EQ(checked.status, 0) << checked.output;
    EXPECT_THAT(checked.output, HasSubstr("sound"));

    const CommandRun down = tool("copy " + quoted(db.uri()) + " " + quoted(back));
    ASSERT_EQ(down.status, 0) << down.output;
    // The lock file that a store opening the folder leaves is no part of the database.
    auto original = folderFiles(source);
    auto copied = folderFiles(back);
    original.erase("quorvane.lock");
    copied.erase("quorvane.lock");
    ASSERT_EQ(original.size(), 51u) << "50 record files and the checker";
    ASSERT_EQ(copied.size(), original.size());
    ASSERT_TRUE(copied.count("dbtisl.chk"));
    for (const auto& [name, bytes] : original) {
        const auto found = copied.find(name);
        ASSERT_NE(found, copied.end()) << name;
        EXPECT_TRUE(found->second == bytes) << name << " differs after the round trip";
    }

    // Each record's caption from the server's columns is the one its file
    // gives in the folder, in the folder's order, and a record rebuilt from
    // its rows gives it too.
    FolderRecordStore folder(source);
    ASSERT_TRUE(folder.open());
    std::vector<RecordCaption> inFolder;
    ASSERT_TRUE(folder.list(inFolder));
    ServerRecordStore server(db.uri());
    ASSERT_TRUE(server.open());
    std::vector<RecordCaption> onServer;
    ASSERT_TRUE(server.list(onServer));
    ASSERT_EQ(onServer.size(), inFolder.size());
    for (std::size_t i = 0; i < inFolder.size(); ++i) {
        SCOPED_TRACE(inFolder[i].key);
        expectSameCaption(onServer[i], inFolder[i]);
        std::string bytes;
        ASSERT_TRUE(server.loadFile(onServer[i], bytes));
        EXPECT_TRUE(bytes == readBytes(inFolder[i].key));
        expectSameCaption(readRecordCaption(bytes), inFolder[i]);
    }

    // One byte of one image changed by hand: the check names that record.
    const std::string key = onServer[7].key;
    db.exec("UPDATE histories SET image = set_byte(image, 2000, get_byte(image, 2000) # 1)"
            " WHERE name_serial = $1 AND position = 0",
            {PgParam::int8(static_cast<std::int64_t>(std::stoul(key, nullptr, 16)))});
    const CommandRun damaged = tool("check " + quoted(db.uri()));
    EXPECT_EQ(damaged.status, 1) << damaged.output;
    EXPECT_THAT(damaged.output, HasSubstr(key));
    EXPECT_THAT(damaged.output, ::testing::Not(HasSubstr("sound")));
}

// A copy goes only into an empty database: one into a server that holds a
// record already writes nothing.
TEST(ServerToolTest, ACopyIntoADatabaseThatHoldsRecordsWritesNothing)
{
    TempDir work;
    ASSERT_EQ(tool("sample " + quoted(work.file("a")) + " --records 3").status, 0);
    PgTestDatabase db;
    ASSERT_TRUE(db.ready());
    {
        ServerRecordStore store(db.uri());
        ASSERT_TRUE(store.open());
        auto r = record(0x00ABCDEF, "Kept");
        RecordCaption caption;
        ASSERT_TRUE(store.create(*r, caption));
    }
    const CommandRun copied = tool("copy " + quoted(work.file("a")) + " " + quoted(db.uri()));
    EXPECT_EQ(copied.status, 1) << copied.output;
    EXPECT_THAT(copied.output, HasSubstr("nothing copied"));
    EXPECT_EQ(db.integer("SELECT count(*) FROM records"), 1);
}

// Initialising a database that has its tables changes nothing in it.
TEST(ServerToolTest, ServerInitTwiceIsHarmless)
{
    PgTestDatabase db(PgTestDatabase::Schema::None);
    ASSERT_TRUE(db.ready());
    const CommandRun first = tool("server init " + quoted(db.uri()));
    ASSERT_EQ(first.status, 0) << first.output;
    EXPECT_THAT(first.output, HasSubstr("schema version " + std::to_string(ServerRecordStore::SchemaVersion) + " ready"));

    ServerRecordStore store(db.uri());
    ASSERT_TRUE(store.open());
    auto r = record(0x00123456, "Erste");
    RecordCaption caption;
    ASSERT_TRUE(store.create(*r, caption));

    const CommandRun second = tool("server init " + quoted(db.uri()));
    EXPECT_EQ(second.status, 0) << second.output;
    EXPECT_EQ(db.integer("SELECT count(*) FROM quorvane_schema"), 1) << "one schema row";
    EXPECT_EQ(db.integer("SELECT max(version) FROM quorvane_schema"), ServerRecordStore::SchemaVersion);
    EXPECT_EQ(db.integer("SELECT count(*) FROM records"), 1);
    auto back = loadedFresh(db.uri(), caption.key);
    ASSERT_TRUE(back);
    EXPECT_EQ(writeRecordFile(*back), writeRecordFile(*r));

    // A database without the tables is refused by the store until then.
    PgTestDatabase bare(PgTestDatabase::Schema::None);
    ServerRecordStore none(bare.uri());
    const StoreResult refused = none.open();
    EXPECT_EQ(refused.status, Status::Refused);
    EXPECT_THAT(refused.reason, HasSubstr("server init"));
}

// A password belongs in the password file, never in the URI that the
// settings keep: the store and the tool refuse such a URI before connecting.
TEST(ServerToolTest, APasswordInTheUriIsRefused)
{
    PgTestDatabase db;
    ASSERT_TRUE(db.ready());
    const std::string dir = PgTestDatabase::clusterDir();
    const std::vector<std::string> withPassword {
        "postgresql://quorvane:secret@/" + db.name() + "?host=" + dir,
        db.uri() + "&password=secret",
    };
    for (const std::string& uri : withPassword) {
        SCOPED_TRACE(uri);
        ServerRecordStore store(uri);
        const StoreResult opened = store.open();
        EXPECT_EQ(opened.status, Status::Refused);
        EXPECT_THAT(opened.reason, HasSubstr("password"));
        std::vector<RecordCaption> captions;
        EXPECT_EQ(store.list(captions).status, Status::Refused) << "nor does any later operation connect";

        const CommandRun init = tool("server init " + quoted(uri));
        EXPECT_EQ(init.status, 1) << init.output;
        EXPECT_THAT(init.output, HasSubstr("a password never sits in the URI"));
        EXPECT_THAT(init.output, ::testing::Not(HasSubstr("ready")));
    }
    // The trust of the test cluster would have let both in.
    EXPECT_TRUE(ServerRecordStore(db.uri()).open());
}

// A database whose schema is newer than this program knows is neither used
// nor "upgraded" downwards.
TEST(ServerToolTest, ANewerSchemaIsRefused)
{
    PgTestDatabase db;
    ASSERT_TRUE(db.ready());
    {
        ServerRecordStore store(db.uri());
        ASSERT_TRUE(store.open());
        auto r = record(0x00777777, "Neu");
        RecordCaption caption;
        ASSERT_TRUE(store.create(*r, caption));
    }
    db.exec("UPDATE quorvane_schema SET version = 99");

    ServerRecordStore store(db.uri());
    const StoreResult opened = store.open();
    EXPECT_EQ(opened.status, Status::Refused);
    EXPECT_THAT(opened.reason, HasSubstr("99"));
    EXPECT_THAT(opened.reason, HasSubstr("newer"));

    const CommandRun init = tool("server init " + quoted(db.uri()));
    EXPECT_EQ(init.status, 1) << init.output;
    EXPECT_THAT(init.output, HasSubstr("newer than this program knows"));
    EXPECT_EQ(db.integer("SELECT max(version) FROM quorvane_schema"), 99) << "left as it was";

    const CommandRun checked = tool("check " + quoted(db.uri()));
    EXPECT_EQ(checked.status, 1) << checked.output;
    EXPECT_THAT(checked.output, HasSubstr("newer"));

    TempDir work;
    const CommandRun copied = tool("copy " + quoted(db.uri()) + " " + quoted(work.file("out")));
    EXPECT_EQ(copied.status, 1) << copied.output;
    EXPECT_THAT(copied.output, HasSubstr("newer"));
    EXPECT_FALSE(fs::exists(work.file("out")));
}

}  // namespace
