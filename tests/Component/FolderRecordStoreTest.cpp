#include "Component/FolderRecordStore.h"

#include "RecordStoreSuite.h"

#include "Class/RecordFile.h"
#include "Class/TVXMowerLog.h"
#include "Component/RecordFileName.h"
#include "core/CLogger.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace fixture;
using storesuite::StorePart;

namespace {

bool startsWithIgnoringCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && sameNameIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::vector<std::string> namesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

// The folder store for the shared suite: a fresh temporary folder.
class FolderStoreFactory : public storesuite::RecordStoreFactory {
public:
    std::unique_ptr<RecordStore> makeStore() override { return std::make_unique<FolderRecordStore>(dir.str()); }
    bool supports(StorePart) const override { return true; }

    void damage(const RecordCaption& caption) override
    {
        std::string bytes = readFile(caption.key);
        ASSERT_GT(bytes.size(), 100u);
        bytes[bytes.size() / 2] ^= 0x40;
        writeFile(caption.key, bytes);
    }
    void remove(const RecordCaption& caption) override { ASSERT_TRUE(fs::remove(caption.key)); }
    void replace(const RecordCaption& caption, const std::string& other) override { writeFile(caption.key, other); }

    std::string snapshot() override
    {
        std::string all;
        for (const std::string& name : namesIn(dir.path())) {
            const fs::path path = dir / name;
            all += name + '\0';
            all += fs::is_regular_file(fs::symlink_status(path)) ? readFile(path) : std::string("<not a file>");
            all += '\0';
        }
        return all;
    }

    // A record file is several kilobytes: none can be written under this bound.
    std::string checksWhereWritesFail(const std::function<std::vector<NamedCheck>()>& checks) override
    {
        return failedChecksInChild(4096, checks);
    }

    void leaveInterruptedWrite(const RecordCaption& caption) override
    {
        writeFile(caption.key + ".tmpA1b2C3", "half a rec");
        writeFile(dir / "dbtisl.chk.tmpQ9x8Y7", "half");
    }
    bool interruptedWriteLeft() override
    {
        for (const std::string& name : namesIn(dir.path()))
            if (name.find(".tmp") != std::string::npos)
                return true;
        return false;
    }

    void putUnlistedRecord(std::uint32_t serial, const std::string& bytes) override
    {
        // A folder of record files without a checker is a damaged database, not an empty one.
        if (!fs::exists(dir / "dbtisl.chk"))
            writeFile(dir / "dbtisl.chk", "");
        writeFile(dir / recordFileName(serial), bytes);
    }
    std::vector<std::string> keptAside(std::uint32_t serial) override
    {
        std::vector<std::string> kept;
        for (const std::string& name : namesIn(dir.path()))
            if (startsWithIgnoringCase(name, recordFileName(serial) + ".aside-"))
                kept.push_back(readFile(dir / name));
        return kept;
    }

    TempDir dir;
};

namespace storesuite {
INSTANTIATE_TYPED_TEST_SUITE_P(Folder, RecordStoreSuite, FolderStoreFactory);
}  // namespace storesuite

namespace {

// The second store of the suite's in-use case runs in the same process: that
// holds only because an flock belongs to the open file description, so two
// opens of one lock file conflict while a duplicated descriptor does not.
TEST(FolderLockTest, FlockConflictsBetweenTwoOpensOfOneFile)
{
    TempDir dir;
    const std::string path = (dir / "lock").string();
    const int first = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    const int second = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    EXPECT_EQ(::flock(first, LOCK_EX | LOCK_NB), 0);
    errno = 0;
    EXPECT_EQ(::flock(second, LOCK_EX | LOCK_NB), -1);
    EXPECT_EQ(errno, EWOULDBLOCK);
    const int copy = ::dup(first);
    EXPECT_EQ(::flock(copy, LOCK_EX | LOCK_NB), 0) << "a duplicate shares the lock it holds";
    ::close(copy);
    ::close(second);
    ::close(first);

    FolderRecordStore one(dir.str());
    FolderRecordStore two(dir.str());
    ASSERT_TRUE(one.open());
    EXPECT_TRUE(one.locked());
    EXPECT_EQ(two.open().status, StoreResult::Status::InUse);
    EXPECT_FALSE(two.locked());
}

class FolderStoreTest : public ::testing::Test {
protected:
    FolderStoreTest()
    {
        writeFile(logDir / "trace.log", "");
        CLogger::instance().open((logDir / "trace.log").string());
    }

    void addRecordFile(const std::string& name, const RecordFixture& record, bool listed = true)
    {
        writeFile(dir / name, recordFileBytes(record));
        if (listed)
            writeFile(dir / "dbtisl.chk", checkerBytes() + checkerEntry(record.serial));
    }
    std::string checkerBytes() const
    {
        return fs::exists(dir / "dbtisl.chk") ? readFile(dir / "dbtisl.chk") : std::string();
    }
    bool traced(const std::string& line) const
    {
        for (const auto& e : CLogger::instance().entries())
            if (e.text == line)
                return true;
        return false;
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }

    TempDir logDir;
    TempDir dir;
};

RecordFixture recordOfSerial(std::uint32_t serial, std::string name = "Owner")
{
    RecordFixture r;
    r.serial = serial;
    r.name = std::move(name);
    r.histories.push_back(storesuite::visit(serial, {2008, 5, 7, 14, 5, 30}, 0));
    return r;
}

// The temporary files of interrupted writes go when the application takes
// the folder, and only then; the check tool sees them, and its repair removes
// them under the lock only. Nothing else that resembles one is touched.
TEST_F(FolderStoreTest, LeftoversGoInWorkModeAndStayForInspection)
{
    addRecordFile("0012ABCD.dat", recordOfSerial(0x0012ABCD));
    const std::vector<std::string> leftovers {"0012ABCD.dat.tmpA1b2C3", "0012abcd.DAT.tmpZz9zZ9",
                                              "dbtisl.chk.tmpQ9x8Y7"};
    for (const std::string& name : leftovers)
        writeFile(dir / name, "half");
    // A name of no database file, a suffix of five characters, a set-aside file, a folder.
    for (const char* name : {"notes.txt.tmpA1b2C3", "0012ABCD.dat.tmpA1b2C", "0012ABCD.dat.aside-1"})
        writeFile(dir / name, "keep");
    fs::create_directory(dir / "0012ABCD.dat.tmpB2c3D4");
    const std::vector<std::string> all = namesIn(dir.path());

    std::vector<std::string> leftoverPaths;
    for (const std::string& name : leftovers)
        leftoverPaths.push_back(path(name));
    {
        FolderRecordStore inspect(dir.str(), FolderRecordStore::OpenMode::Inspect);
        ASSERT_TRUE(inspect.open());
        EXPECT_TRUE(fs::exists(dir / "quorvane.lock"));
        std::vector<std::string> expectedNames = all;
        expectedNames.push_back("quorvane.lock");
        std::sort(expectedNames.begin(), expectedNames.end());
        EXPECT_EQ(namesIn(dir.path()), expectedNames) << "inspection removes nothing";
        DatabaseCheckReport report = inspect.check();
        std::sort(report.leftovers.begin(), report.leftovers.end());
        EXPECT_EQ(report.leftovers, leftoverPaths);

        // A second copy that does not hold the folder repairs no leftover.
        FolderRecordStore other(dir.str(), FolderRecordStore::OpenMode::Inspect);
        EXPECT_EQ(other.open().status, StoreResult::Status::InUse);
        EXPECT_TRUE(other.repair(report));
        EXPECT_TRUE(other.removedLeftovers().removed.empty());
        for (const std::string& name : leftovers)
            EXPECT_TRUE(fs::exists(dir / name)) << name;
    }
    {
        FolderRecordStore work(dir.str());
        ASSERT_TRUE(work.open());
        for (const std::string& name : leftovers) {
            EXPECT_FALSE(fs::exists(dir / name)) << name;
            EXPECT_TRUE(traced("Removed the temporary file of an interrupted write: " + path(name))) << name;
        }
        for (const char* name : {"notes.txt.tmpA1b2C3", "0012ABCD.dat.tmpA1b2C", "0012ABCD.dat.aside-1",
                                        "0012ABCD.dat.tmpB2c3D4", "0012ABCD.dat", "dbtisl.chk"})
            EXPECT_TRUE(fs::exists(dir / name)) << name;
        std::vector<RecordCaption> captions;
        ASSERT_TRUE(work.list(captions));
        EXPECT_EQ(captions.size(), 1u);
    }

    // The check tool's repair removes what a later crash left, holding the lock.
    writeFile(dir / "0012ABCD.dat.tmpC3d4E5", "half");
    FolderRecordStore inspect(dir.str(), FolderRecordStore::OpenMode::Inspect);
    ASSERT_TRUE(inspect.open());
    const DatabaseCheckReport report = inspect.check();
    EXPECT_EQ(report.leftovers, std::vector<std::string> {path("0012ABCD.dat.tmpC3d4E5")});
    EXPECT_TRUE(inspect.repair(report));
    EXPECT_EQ(inspect.removedLeftovers().removed, std::vector<std::string> {path("0012ABCD.dat.tmpC3d4E5")});
    EXPECT_FALSE(fs::exists(dir / "0012ABCD.dat.tmpC3d4E5"));
}

// A file of the new record's name that the list does not hold (damaged, or
// without a checker entry, in any case of its name) is renamed to the first
// free ".aside-N", never overwritten; the checker lists the serial once.
TEST_F(FolderStoreTest, CreateSetsAsideAFileOfItsNameThatDidNotLoad)
{
    addRecordFile("00A1B2C3.dat", recordOfSerial(0x00A1B2C3, "Old"));
    std::string damaged = readFile(dir / "00A1B2C3.dat");
    damaged[30] ^= 0x01;
    writeFile(dir / "00A1B2C3.dat", damaged);
    writeFile(dir / "00A1B2C3.dat.aside-1", "set aside long ago");
    writeFile(dir / "0000000e.dat", "lying here without an entry");

    FolderRecordStore store(dir.str());
    ASSERT_TRUE(store.open());
    std::vector<RecordCaption> captions;
    ASSERT_TRUE(store.list(captions));
    ASSERT_TRUE(captions.empty());
    EXPECT_TRUE(traced(path("00A1B2C3.dat") + " corrupted (CRC)"));

    auto first = storesuite::recordOf(recordOfSerial(0x00A1B2C3, "New"));
    RecordCaption caption;
    StoreResult made = store.create(*first, caption);
    ASSERT_TRUE(made) << made.reason;
    EXPECT_TRUE(made.warning.empty());
    EXPECT_EQ(caption.key, path("00A1B2C3.dat"));
    EXPECT_EQ(readFile(dir / "00A1B2C3.dat.aside-1"), "set aside long ago");
    EXPECT_EQ(readFile(dir / "00A1B2C3.dat.aside-2"), damaged) << "nothing is deleted";
    EXPECT_EQ(readFile(dir / "00A1B2C3.dat"), writeRecordFile(*first));
    EXPECT_EQ(checkerBytes(), checkerEntry(0x00A1B2C3)) << "listed already: not a second time";

    auto second = storesuite::recordOf(recordOfSerial(0xE));
    made = store.create(*second, caption);
    ASSERT_TRUE(made) << made.reason;
    EXPECT_EQ(caption.key, path("0000000E.dat"));
    EXPECT_EQ(readFile(dir / "0000000e.dat.aside-1"), "lying here without an entry");
    EXPECT_FALSE(fs::exists(dir / "0000000e.dat"));
    EXPECT_EQ(readFile(dir / "0000000E.dat"), writeRecordFile(*second));
    EXPECT_EQ(checkerBytes(), checkerEntry(0x00A1B2C3) + checkerEntry(0xE));

    // The record is not set aside again on a second attempt: it now owns the name.
    auto third = storesuite::recordOf(recordOfSerial(0xE, "Again"));
    EXPECT_EQ(store.create(*third, caption).status, StoreResult::Status::Taken);
    EXPECT_FALSE(fs::exists(dir / "0000000E.dat.aside-1"));
    EXPECT_FALSE(fs::exists(dir / "0000000e.dat.aside-2"));
}

// A folder copied from a system with case-insensitive names holds
// "0012abcd.dat": it is listed, loaded and saved under that name, and its
// name stays taken in any case.
TEST_F(FolderStoreTest, RecordFilesAreFoundInAnyCase)
{
    addRecordFile("0012abcd.dat", recordOfSerial(0x0012ABCD, "Lower"));
    addRecordFile("00A1B2C3.DAT", recordOfSerial(0x00A1B2C3, "Upper"));
    const std::string lowerBytes = readFile(dir / "0012abcd.dat");

    FolderRecordStore store(dir.str());
    ASSERT_TRUE(store.open());
    std::vector<RecordCaption> captions;
    ASSERT_TRUE(store.list(captions));
    ASSERT_EQ(captions.size(), 2u);
    EXPECT_EQ(captions[0].key, path("0012abcd.dat"));
    EXPECT_EQ(captions[1].key, path("00A1B2C3.DAT"));
    // The checksum is the CRC-32 that ends the file.
    EXPECT_EQ(captions[0].checksum, referenceCrc(lowerBytes.substr(0, lowerBytes.size() - 4)));

    std::unique_ptr<TVXMowerLog> record;
    ASSERT_TRUE(store.load(captions[0], record));
    EXPECT_EQ(record->getOwner().getName(), "Lower");

    record->getOwner().setName("Saved");
    ASSERT_TRUE(store.save(captions[0], *record));
    EXPECT_EQ(readFile(dir / "0012abcd.dat"), writeRecordFile(*record));
    EXPECT_FALSE(fs::exists(dir / "0012ABCD.dat")) << "saved under its own name";

    const std::string before = readFile(dir / "0012abcd.dat");
    auto twin = storesuite::recordOf(recordOfSerial(0x0012ABCD, "Twin"));
    RecordCaption caption;
    const StoreResult taken = store.create(*twin, caption);
    EXPECT_EQ(taken.status, StoreResult::Status::Taken);
    EXPECT_EQ(taken.reason, path("0012abcd.dat"));
    EXPECT_EQ(readFile(dir / "0012abcd.dat"), before);
    EXPECT_FALSE(fs::exists(dir / "0012ABCD.dat"));
    EXPECT_FALSE(fs::exists(dir / "0012abcd.dat.aside-1"));
}

// A record file beyond the size bound (sparse here) is neither read nor
// listed, and its checker entry stays.
TEST_F(FolderStoreTest, AFileBeyondTheSizeBoundIsNotRead)
{
    addRecordFile("00000001.dat", recordOfSerial(1));
    addRecordFile("00000002.dat", recordOfSerial(2));
    addRecordFile("00000003.dat", recordOfSerial(3));
    const std::string checker = checkerBytes();
    fs::resize_file(dir / "00000002.dat", FolderRecordStore::MaxRecordFileBytes + 1);

    FolderRecordStore store(dir.str());
    ASSERT_TRUE(store.open());
    std::vector<RecordCaption> captions;
    ASSERT_TRUE(store.list(captions));
    ASSERT_EQ(captions.size(), 2u);
    EXPECT_EQ(captions[0].serialNumber, 1u);
    EXPECT_EQ(captions[1].serialNumber, 3u);
    EXPECT_TRUE(traced("error on opening file: " + path("00000002.dat")));
    EXPECT_EQ(checkerBytes(), checker);

    // One that grows past the bound after listing does not load either.
    fs::resize_file(dir / "00000003.dat", FolderRecordStore::MaxRecordFileBytes + 1);
    std::unique_ptr<TVXMowerLog> record;
    const StoreResult loaded = store.load(captions[1], record);
    EXPECT_EQ(loaded.status, StoreResult::Status::Failed);
    EXPECT_NE(loaded.reason.find("too large"), std::string::npos) << loaded.reason;
    EXPECT_FALSE(record);
    EXPECT_EQ(fs::file_size(dir / "00000003.dat"), FolderRecordStore::MaxRecordFileBytes + 1);
}

// A checker that cannot be read makes the list fail whole: no caption, and
// the checker is left for the dealer to mend.
TEST_F(FolderStoreTest, ADamagedCheckerListsNothing)
{
    addRecordFile("00000001.dat", recordOfSerial(1));
    writeFile(dir / "dbtisl.chk", checkerBytes() + "x");
    FolderRecordStore store(dir.str());
    ASSERT_TRUE(store.open());
    std::vector<RecordCaption> captions(1);
    const StoreResult listed = store.list(captions);
    EXPECT_EQ(listed.status, StoreResult::Status::Damaged);
    EXPECT_FALSE(listed.reason.empty());
    EXPECT_TRUE(captions.empty());
    EXPECT_EQ(checkerBytes(), checkerEntry(1) + "x");

    // Without any checker beside a record file it is the same, and none is made.
    fs::remove(dir / "dbtisl.chk");
    EXPECT_EQ(store.list(captions).status, StoreResult::Status::Damaged);
    EXPECT_FALSE(fs::exists(dir / "dbtisl.chk"));
}

// A filled folder holds exactly the format: the record files as the writer
// makes them and the checker, in the source's order.
TEST_F(FolderStoreTest, FillEmptyWritesTheRecordFilesAndTheCheckerLast)
{
    const std::vector<RecordFixture> records {recordOfSerial(0x20), recordOfSerial(0x10)};
    std::size_t next = 0;
    FolderRecordStore store((dir / "new").string());  // a folder that does not exist yet
    std::string why;
    EXPECT_TRUE(store.isEmpty(why)) << why;
    ASSERT_TRUE(fs::create_directory(dir / "new"));
    const StoreResult filled = store.fillEmpty([&](std::uint32_t& nameSerial, std::unique_ptr<TVXMowerLog>& record) {
        if (next == records.size())
            return false;
        nameSerial = records[next].serial;
        record = storesuite::recordOf(records[next++]);
        return true;
    });
    ASSERT_TRUE(filled) << filled.reason;
    EXPECT_EQ(namesIn(dir / "new"), (std::vector<std::string> {"00000010.dat", "00000020.dat", "dbtisl.chk"}));
    EXPECT_EQ(readFile(dir / "new" / "00000020.dat"), recordFileBytes(records[0]));
    EXPECT_EQ(readFile(dir / "new" / "00000010.dat"), recordFileBytes(records[1]));
    EXPECT_EQ(readFile(dir / "new" / "dbtisl.chk"), checkerEntry(0x20) + checkerEntry(0x10));

    // A folder holding only a checker is a database already.
    TempDir other;
    writeFile(other / "DBTISL.CHK", "");
    FolderRecordStore holding(other.str());
    EXPECT_FALSE(holding.isEmpty(why));
    EXPECT_NE(why.find("DBTISL.CHK"), std::string::npos) << why;
}

}  // namespace
