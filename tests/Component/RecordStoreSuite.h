#pragma once

// The behaviour every record store shares, as one typed suite. A store's test
// file defines a factory (a class derived from RecordStoreFactory with a
// default constructor) and instantiates the suite for it:
//
//     INSTANTIATE_TYPED_TEST_SUITE_P(Folder, RecordStoreSuite, FolderStoreFactory);
//
// The records come from hand-written record-file bytes (RecordFixture), so a
// store is checked against the format and not against its own writer.

#include "DatabaseFixture.h"

#include "Class/RecordCaption.h"
#include "Class/RecordFile.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/RecordStore.h"
#include "core/CLogger.h"
#include "support/ChildChecks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace storesuite {

using Status = StoreResult::Status;

// What only some stores have; a factory says which of these its store has.
enum class StorePart {
    // Writes can be made to fail as on a full disk (checksWhereWritesFail).
    FailingWrites,
    // open clears what interrupted writes of an earlier run left
    // (leaveInterruptedWrite, interruptedWriteLeft).
    WriteLeftovers,
    // create keeps an unlisted record of the new record's name under another
    // name (putUnlistedRecord, keptAside).
    SetAside,
    // One program at a time: a second store finds the database in use.
    ExclusiveUse,
    // The list holds what it read at start-up: a record changed behind its
    // back since then is refused on load, and the next list reads it again.
    ListedStateOnly,
};

// Makes the database of one test and the stores on it. The database is made
// fresh and empty with the factory; every store made works on that one.
class RecordStoreFactory {
public:
    virtual ~RecordStoreFactory() = default;

    // A new store object on the factory's database, not opened yet. Two of
    // them are two programs (or two PCs) using the same database.
    virtual std::unique_ptr<RecordStore> makeStore() = 0;
    virtual bool supports(StorePart part) const = 0;

    // Changes made behind the stores' back, as a dealer or another program
    // would make them. The record of the caption no longer reads whole:
    virtual void damage(const RecordCaption& caption) = 0;
    virtual void remove(const RecordCaption& caption) = 0;
    // Another whole record stands where the caption's was.
    virtual void replace(const RecordCaption& caption, const std::string& otherRecordFileBytes) = 0;
    // Everything the database holds, to show that nothing was written.
    virtual std::string snapshot() = 0;

    // The names of the checks that did not hold, one a line, with writes to
    // the database failing as on a full disk while they run; empty when all
    // held (see failedChecksInChild). Only with StorePart::FailingWrites.
    virtual std::string checksWhereWritesFail(const std::function<std::vector<NamedCheck>()>&)
    {
        ADD_FAILURE() << "this store cannot make its writes fail";
        return "unsupported";
    }
    // Leaves what an interrupted write of the caption's record leaves behind;
    // whether any of it is still there. Only with StorePart::WriteLeftovers.
    virtual void leaveInterruptedWrite(const RecordCaption&) { ADD_FAILURE() << "no interrupted writes here"; }
    virtual bool interruptedWriteLeft() { return false; }
    // Puts record bytes under the name of a serial number without listing
    // them; the bytes kept aside for that name. Only with StorePart::SetAside.
    virtual void putUnlistedRecord(std::uint32_t, const std::string&) { ADD_FAILURE() << "no set-aside here"; }
    virtual std::vector<std::string> keptAside(std::uint32_t) { return {}; }
};

// ---------------------------------------------------------------------------
// The records the suite works with.

// A history filled with 5 holds alarm events only, one filled with 4 events
// none of which is an alarm, one filled with 0 no event.
constexpr std::uint8_t AlarmImage = 5;
constexpr std::uint8_t EventImage = 4;

inline fixture::HistoryFixture visit(std::uint32_t serial, TVXLogTime date, std::uint8_t imageFill,
                                     std::string comment = {})
{
    fixture::HistoryFixture h;
    h.serial = serial;
    h.date = date;
    h.imageFill = imageFill;
    h.comment = std::move(comment);
    return h;
}

// The newest history holds events but no alarm; the older one an alarm; the
// owner texts hold a letter outside ASCII (Windows-1252 in the file).
inline fixture::RecordFixture zelie()
{
    fixture::RecordFixture r;
    r.serial = 0x00300001;
    r.name = "Z\xE9lie";
    r.surname = "Berger";
    r.address = "Rue Haute 1\n1000 Ville\n";
    r.typeCode = 4;
    r.idYear = 9;
    r.idNumber = 1234;
    r.idSuffix = 2;
    r.histories.push_back(visit(r.serial, {2008, 5, 7, 14, 5, 30}, AlarmImage));
    r.histories.push_back(visit(r.serial, {2010, 1, 2, 3, 4, 5}, EventImage, "Lame chang\xE9" "e"));
    return r;
}

// The newest history holds an alarm.
inline fixture::RecordFixture anna()
{
    fixture::RecordFixture r;
    r.serial = 0x00100002;
    r.name = "Anna";
    r.surname = "Meier";
    r.typeCode = 1;
    r.idYear = 11;
    r.idNumber = 7;
    r.idSuffix = 0;
    r.histories.push_back(visit(r.serial, {2009, 6, 1, 8, 0, 0}, EventImage));
    r.histories.push_back(visit(r.serial, {2011, 6, 1, 8, 0, 0}, AlarmImage));
    return r;
}

// The mower's board was changed: its older history came from another serial.
inline fixture::RecordFixture bert()
{
    fixture::RecordFixture r;
    r.serial = 0x00200003;
    r.name = "Bert";
    r.surname = "Keller";
    r.typeCode = 2;
    r.idYear = 5;
    r.idNumber = 99999;
    r.idSuffix = 1;
    r.histories.push_back(visit(0x002000FF, {2007, 2, 3, 4, 5, 6}, AlarmImage));
    r.histories.push_back(visit(r.serial, {2012, 2, 3, 4, 5, 6}, 0));
    return r;
}

inline std::unique_ptr<TVXMowerLog> recordOf(const fixture::RecordFixture& fixture)
{
    return readRecordFile(fixture::recordFileBytes(fixture));
}

// The record's file bytes as the record writer makes them.
inline std::string bytesOf(TVXMowerLog& record)
{
    return writeRecordFile(record);
}

inline std::unique_ptr<TVXLog> historyOf(std::uint32_t serial, TVXLogTime date)
{
    auto log = std::make_unique<TVXLog>();
    log->setSerialNumber(serial);
    log->setTypeByte(0x24);
    log->setDate(date);
    return log;
}

// Every field of two captions but the key and the checksum.
inline void expectSameCaption(const RecordCaption& actual, const RecordCaption& expected, const std::string& what)
{
    SCOPED_TRACE(what);
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
}

inline std::string statusName(Status status)
{
    switch (status) {
    case Status::Ok: return "Ok";
    case Status::InUse: return "InUse";
    case Status::NotFound: return "NotFound";
    case Status::Damaged: return "Damaged";
    case Status::Replaced: return "Replaced";
    case Status::Changed: return "Changed";
    case Status::Unreachable: return "Unreachable";
    case Status::Taken: return "Taken";
    case Status::Refused: return "Refused";
    case Status::Failed: return "Failed";
    }
    return "?";
}

// ---------------------------------------------------------------------------

template <typename Factory>
class RecordStoreSuite : public ::testing::Test {
protected:
    RecordStoreSuite()
    {
        // Opening an empty log file empties the trace log.
        fixture::writeFile(logDir / "trace.log", "");
        CLogger::instance().open((logDir / "trace.log").string());
    }

    // A new store on the database, opened.
    std::unique_ptr<RecordStore> opened()
    {
        std::unique_ptr<RecordStore> store = factory.makeStore();
        const StoreResult result = store->open();
        EXPECT_EQ(statusName(result.status), "Ok") << result.reason;
        return store;
    }

    std::vector<RecordCaption> listOf(RecordStore& store)
    {
        std::vector<RecordCaption> captions;
        const StoreResult result = store.list(captions);
        EXPECT_EQ(statusName(result.status), "Ok") << result.reason;
        return captions;
    }

    // The record of a caption as the store reads it; null when it does not.
    std::unique_ptr<TVXMowerLog> loaded(RecordStore& store, RecordCaption caption)
    {
        std::unique_ptr<TVXMowerLog> record;
        const StoreResult result = store.load(caption, record);
        EXPECT_EQ(statusName(result.status), "Ok") << result.reason;
        return record;
    }

    // Creates the records in that order, through a store that is closed again.
    std::vector<RecordCaption> created(const std::vector<fixture::RecordFixture>& records)
    {
        std::unique_ptr<RecordStore> store = opened();
        listOf(*store);
        std::vector<RecordCaption> captions;
        for (const fixture::RecordFixture& fixture : records) {
            auto record = recordOf(fixture);
            RecordCaption caption;
            const StoreResult result = store->create(*record, caption);
            EXPECT_EQ(statusName(result.status), "Ok") << result.reason;
            captions.push_back(caption);
        }
        return captions;
    }

    std::vector<std::string> traceLines() const
    {
        std::vector<std::string> lines;
        for (const auto& e : CLogger::instance().entries())
            lines.push_back(e.text);
        return lines;
    }
    bool tracedAbout(const std::string& key) const
    {
        for (const std::string& line : traceLines())
            if (line.find(key) != std::string::npos)
                return true;
        return false;
    }

    fixture::TempDir logDir;
    Factory factory;
};

TYPED_TEST_SUITE_P(RecordStoreSuite);

TYPED_TEST_P(RecordStoreSuite, AnEmptyDatabaseOpensAndListsNothing)
{
    auto store = this->opened();
    EXPECT_FALSE(store->location().empty());
    EXPECT_TRUE(this->listOf(*store).empty());
    // Listing an empty database twice finds it as it was.
    EXPECT_TRUE(this->listOf(*store).empty());
}

// A second store on the same database, even in the same process, finds it in
// use while the first holds it, and takes it once the first is gone.
TYPED_TEST_P(RecordStoreSuite, ASecondStoreFindsTheDatabaseInUse)
{
    if (!this->factory.supports(StorePart::ExclusiveUse))
        GTEST_SKIP() << "this store is shared by every program at once";
    auto first = this->opened();
    auto second = this->factory.makeStore();
    const StoreResult refused = second->open();
    EXPECT_EQ(statusName(refused.status), "InUse");
    EXPECT_FALSE(refused.reason.empty()) << "the reason goes to the trace log";

    first.reset();
    auto third = this->factory.makeStore();
    const StoreResult taken = third->open();
    EXPECT_EQ(statusName(taken.status), "Ok") << taken.reason;
    // And while the third holds it, the second still may not.
    EXPECT_EQ(statusName(second->open().status), "InUse");
}

TYPED_TEST_P(RecordStoreSuite, ListGivesTheCaptionsOfCreatedRecordsInTheirOrder)
{
    const std::vector<fixture::RecordFixture> records {zelie(), anna(), bert()};
    const std::vector<RecordCaption> made = this->created(records);
    ASSERT_EQ(made.size(), 3u);
    for (std::size_t i = 0; i < made.size(); ++i) {
        EXPECT_FALSE(made[i].key.empty());
        EXPECT_NE(made[i].checksum, 0u) << "create says which content it wrote";
        expectSameCaption(made[i], captionOf(*recordOf(records[i])), "created " + records[i].surname);
    }

    auto store = this->opened();
    const std::vector<RecordCaption> listed = this->listOf(*store);
    ASSERT_EQ(listed.size(), 3u);
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].key, made[i].key);
        EXPECT_EQ(listed[i].checksum, made[i].checksum);
        expectSameCaption(listed[i], made[i], "listed " + records[i].surname);
    }

    // The fields themselves, spelled out: owner texts in UTF-8, the identity,
    // the newest history's serial number and alarm flag, distinct dates.
    EXPECT_EQ(listed[0].owner.getName(), "Zélie");
    EXPECT_EQ(listed[0].owner.getSurname(), "Berger");
    EXPECT_EQ(listed[0].owner.getAddress(), "Rue Haute 1\n1000 Ville\n");
    EXPECT_EQ(listed[0].typeCode, 4);
    EXPECT_EQ(listed[0].idYear, 9);
    EXPECT_EQ(listed[0].idNumber, 1234u);
    EXPECT_EQ(listed[0].idSuffix, 2);
    EXPECT_EQ(listed[0].serialNumber, 0x00300001u);
    EXPECT_FALSE(listed[0].newestHasAlarms) << "only the older history holds an alarm";
    EXPECT_EQ(listed[0].historyCount, 2);

    EXPECT_EQ(listed[1].owner.getName(), "Anna");
    EXPECT_EQ(listed[1].serialNumber, 0x00100002u);
    EXPECT_TRUE(listed[1].newestHasAlarms);

    EXPECT_EQ(listed[2].owner.getSurname(), "Keller");
    EXPECT_EQ(listed[2].typeCode, 2);
    EXPECT_EQ(listed[2].idNumber, 99999u);
    EXPECT_EQ(listed[2].idSuffix, 1);
    EXPECT_EQ(listed[2].serialNumber, 0x00200003u) << "the newest history's, not the older one's";
    EXPECT_FALSE(listed[2].newestHasAlarms);

    for (const RecordCaption& caption : listed)
        EXPECT_FALSE(this->tracedAbout(caption.key)) << "a record that reads whole is no news: " << caption.key;
}

// A database filled at once lists its records in the source's order. One that
// holds a record already is not filled, and stays as it was.
TYPED_TEST_P(RecordStoreSuite, FillEmptyFillsOnlyAnEmptyDatabase)
{
    std::vector<fixture::RecordFixture> records {anna(), bert(), zelie()};
    // Bert's record keeps the name of his old board's serial number.
    const std::vector<std::uint32_t> names {anna().serial, 0x002000FF, zelie().serial};
    {
        auto store = this->opened();
        std::size_t next = 0;
        const StoreResult filled =
            store->fillEmpty([&](std::uint32_t& nameSerial, std::unique_ptr<TVXMowerLog>& record) {
                if (next == records.size())
                    return false;
                nameSerial = names[next];
                record = recordOf(records[next]);
                ++next;
                return true;
            });
        EXPECT_EQ(statusName(filled.status), "Ok") << filled.reason;
        EXPECT_EQ(next, records.size());
    }

    auto store = this->opened();
    const std::vector<RecordCaption> listed = this->listOf(*store);
    ASSERT_EQ(listed.size(), 3u);
    for (std::size_t i = 0; i < listed.size(); ++i) {
        expectSameCaption(listed[i], captionOf(*recordOf(records[i])), "filled " + records[i].surname);
        auto original = recordOf(records[i]);
        auto record = this->loaded(*store, listed[i]);
        ASSERT_TRUE(record) << records[i].surname;
        EXPECT_EQ(bytesOf(*record), bytesOf(*original)) << records[i].surname;
    }

    // The name belongs to Bert's record although its serial number moved on.
    auto other = recordOf(bert());
    other->insertLog(historyOf(0x002000FF, {2013, 1, 1, 0, 0, 0}));
    ASSERT_EQ(other->getSerialNumber(), 0x002000FFu);
    RecordCaption caption;
    const StoreResult taken = store->create(*other, caption);
    EXPECT_EQ(statusName(taken.status), "Taken");
    EXPECT_EQ(taken.reason, listed[1].key);

    const std::string before = this->factory.snapshot();
    bool asked = false;
    const StoreResult refused = store->fillEmpty([&](std::uint32_t& nameSerial, std::unique_ptr<TVXMowerLog>& record) {
        if (asked)
            return false;
        asked = true;
        nameSerial = 0x00400004;
        record = recordOf(zelie());
        return true;
    });
    EXPECT_EQ(statusName(refused.status), "Refused");
    EXPECT_FALSE(refused.reason.empty());
    EXPECT_EQ(this->factory.snapshot(), before) << "nothing written to a database that holds records";
    store.reset();
    auto again = this->opened();
    EXPECT_EQ(this->listOf(*again).size(), 3u);
}

// Record files copied from another database are kept byte for byte, even
// bytes that the record writer would not make (a header serial number that is
// not the newest history's), and loadFile gives them back as they came.
TYPED_TEST_P(RecordStoreSuite, FilledRecordFilesAreKeptByteForByte)
{
    fixture::RecordFixture odd = bert();
    odd.serial = 0x002000FF;  // the header keeps the old board's serial
    const std::vector<std::string> files {fixture::recordFileBytes(zelie()), fixture::recordFileBytes(odd)};
    const std::vector<std::uint32_t> names {zelie().serial, 0x002000FF};
    {
        auto store = this->opened();
        std::size_t next = 0;
        const StoreResult filled = store->fillEmptyWithFiles([&](std::uint32_t& nameSerial, std::string& bytes) {
            if (next == files.size())
                return false;
            nameSerial = names[next];
            bytes = files[next++];
            return true;
        });
        ASSERT_EQ(statusName(filled.status), "Ok") << filled.reason;
    }
    auto store = this->opened();
    std::vector<RecordCaption> listed = this->listOf(*store);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1].serialNumber, 0x00200003u) << "the newest history's serial, not the header's";
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string bytes;
        const StoreResult read = store->loadFile(listed[i], bytes);
        ASSERT_EQ(statusName(read.status), "Ok") << read.reason;
        EXPECT_TRUE(bytes == files[i]) << "record file " << i << " changed on its way through the store";
        EXPECT_EQ(listed[i].checksum, readRecordCaption(files[i]).checksum);
        EXPECT_TRUE(this->loaded(*store, listed[i]));
    }
}

// A fill stops at a record file that does not read whole, or that the
// source could not give; the database is then no database with records.
TYPED_TEST_P(RecordStoreSuite, AFillStopsAtARecordThatDoesNotReadWhole)
{
    std::string damaged = fixture::recordFileBytes(anna());
    damaged[damaged.size() / 2] ^= 0x01;
    for (const std::string& second : {damaged, std::string()}) {
        SCOPED_TRACE(second.empty() ? "no bytes" : "damaged bytes");
        TypeParam factory;
        auto store = factory.makeStore();
        ASSERT_TRUE(store->open());
        const std::vector<std::string> files {fixture::recordFileBytes(zelie()), second, fixture::recordFileBytes(bert())};
        std::size_t next = 0;
        const StoreResult filled = store->fillEmptyWithFiles([&](std::uint32_t& nameSerial, std::string& bytes) {
            if (next == files.size())
                return false;
            nameSerial = 0x100 + static_cast<std::uint32_t>(next);
            bytes = files[next++];
            return true;
        });
        EXPECT_EQ(statusName(filled.status), second.empty() ? "Failed" : "Refused");
        EXPECT_FALSE(filled.reason.empty());
        EXPECT_EQ(next, 2u) << "the fill goes no further";
        store.reset();
        auto after = factory.makeStore();
        ASSERT_TRUE(after->open());
        std::vector<RecordCaption> captions;
        after->list(captions);
        EXPECT_TRUE(captions.empty()) << "a fill that stopped lists no record";
    }
}

TYPED_TEST_P(RecordStoreSuite, LoadGivesTheRecordByteForByte)
{
    const std::vector<fixture::RecordFixture> records {zelie(), anna(), bert()};
    this->created(records);
    auto store = this->opened();
    const std::vector<RecordCaption> listed = this->listOf(*store);
    ASSERT_EQ(listed.size(), 3u);
    const std::string before = this->factory.snapshot();
    for (std::size_t i = 0; i < records.size(); ++i) {
        auto record = this->loaded(*store, listed[i]);
        ASSERT_TRUE(record) << records[i].surname;
        auto original = recordOf(records[i]);
        EXPECT_EQ(bytesOf(*record), bytesOf(*original)) << records[i].surname;
        EXPECT_EQ(bytesOf(*record), fixture::recordFileBytes(records[i])) << records[i].surname;
        EXPECT_EQ(record->getLogCount(), records[i].histories.size());
        // A record loads as often as it is asked for.
        auto again = this->loaded(*store, listed[i]);
        ASSERT_TRUE(again);
        EXPECT_EQ(bytesOf(*again), bytesOf(*original));
    }
    EXPECT_EQ(this->factory.snapshot(), before) << "loading writes nothing";
}

// A saved record is what later loads and lists see, through the same store
// and through a new one; the caption follows it, so that the store does not
// take its own write for another record.
TYPED_TEST_P(RecordStoreSuite, ASavedRecordIsWhatLaterLoadsSee)
{
    this->created({zelie(), anna()});
    std::string savedBytes;
    RecordCaption saved;
    {
        auto store = this->opened();
        std::vector<RecordCaption> listed = this->listOf(*store);
        ASSERT_EQ(listed.size(), 2u);
        auto record = this->loaded(*store, listed[1]);
        ASSERT_TRUE(record);
        record->getOwner().setName("Annette");
        record->setIdSuffix(3);
        // A newer history without alarm: the flag follows the newest history.
        ASSERT_TRUE(record->insertLog(historyOf(anna().serial, {2014, 7, 8, 9, 10, 11})));
        savedBytes = bytesOf(*record);

        saved = listed[1];
        const std::uint32_t oldChecksum = saved.checksum;
        const StoreResult result = store->save(saved, *record);
        ASSERT_EQ(statusName(result.status), "Ok") << result.reason;
        EXPECT_EQ(saved.key, listed[1].key);
        EXPECT_NE(saved.checksum, oldChecksum);

        auto after = this->loaded(*store, saved);
        ASSERT_TRUE(after) << "the store took its own write for another record";
        EXPECT_EQ(bytesOf(*after), savedBytes);

        // Saved twice, the second write is found as well.
        after->getOwner().setSurname("Meier-Roth");
        savedBytes = bytesOf(*after);
        ASSERT_TRUE(store->save(saved, *after));
        auto third = this->loaded(*store, saved);
        ASSERT_TRUE(third);
        EXPECT_EQ(bytesOf(*third), savedBytes);

        // The caption of the listed but unchanged record still loads.
        EXPECT_TRUE(this->loaded(*store, listed[0]));
    }

    auto store = this->opened();
    const std::vector<RecordCaption> listed = this->listOf(*store);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1].key, saved.key);
    EXPECT_EQ(listed[1].checksum, saved.checksum);
    EXPECT_EQ(listed[1].owner.getName(), "Annette");
    EXPECT_EQ(listed[1].owner.getSurname(), "Meier-Roth");
    EXPECT_EQ(listed[1].idSuffix, 3);
    EXPECT_EQ(listed[1].historyCount, 3);
    EXPECT_FALSE(listed[1].newestHasAlarms);
    auto record = this->loaded(*store, listed[1]);
    ASSERT_TRUE(record);
    EXPECT_EQ(bytesOf(*record), savedBytes);
    EXPECT_EQ(listed[0].owner.getName(), "Zélie") << "the other record is as it was";
}

// A new record takes no name of a listed record, whichever store made it; it
// is listed after the others once made.
TYPED_TEST_P(RecordStoreSuite, CreateTakesNoNameOfTheList)
{
    const std::vector<RecordCaption> made = this->created({zelie(), anna()});
    ASSERT_EQ(made.size(), 2u);
    auto store = this->opened();
    const std::vector<RecordCaption> listed = this->listOf(*store);
    ASSERT_EQ(listed.size(), 2u);

    const std::string before = this->factory.snapshot();
    auto twin = recordOf(anna());
    twin->getOwner().setName("Twin");
    RecordCaption caption;
    caption.key = "untouched";
    const StoreResult taken = store->create(*twin, caption);
    EXPECT_EQ(statusName(taken.status), "Taken");
    EXPECT_EQ(taken.reason, listed[1].key) << "the reason names the record that has the name";
    EXPECT_EQ(caption.key, "untouched");
    EXPECT_EQ(this->factory.snapshot(), before) << "nothing written";
    auto stillAnna = this->loaded(*store, listed[1]);
    ASSERT_TRUE(stillAnna);
    EXPECT_EQ(stillAnna->getOwner().getName(), "Anna");

    // A record this store made itself holds its name as well.
    auto fresh = recordOf(bert());
    RecordCaption bertCaption;
    const StoreResult made3 = store->create(*fresh, bertCaption);
    ASSERT_EQ(statusName(made3.status), "Ok") << made3.reason;
    EXPECT_TRUE(made3.warning.empty()) << made3.warning;
    expectSameCaption(bertCaption, captionOf(*fresh), "created");
    auto bertTwin = recordOf(bert());
    RecordCaption ignored;
    const StoreResult takenAgain = store->create(*bertTwin, ignored);
    EXPECT_EQ(statusName(takenAgain.status), "Taken");
    EXPECT_EQ(takenAgain.reason, bertCaption.key);

    // What create gave loads at once.
    auto bertLoaded = this->loaded(*store, bertCaption);
    ASSERT_TRUE(bertLoaded);
    EXPECT_EQ(bytesOf(*bertLoaded), bytesOf(*fresh));

    store.reset();
    auto next = this->opened();
    const std::vector<RecordCaption> now = this->listOf(*next);
    ASSERT_EQ(now.size(), 3u);
    EXPECT_EQ(now[0].key, listed[0].key);
    EXPECT_EQ(now[1].key, listed[1].key);
    EXPECT_EQ(now[2].key, bertCaption.key);
    EXPECT_EQ(now[2].checksum, bertCaption.checksum);
    EXPECT_EQ(now[1].owner.getName(), "Anna");
}

// A record changed behind the store's back since it was listed is not loaded,
// and loading it writes nothing; the next list leaves out what no longer
// reads whole.
TYPED_TEST_P(RecordStoreSuite, ARecordChangedSinceListingIsNotLoaded)
{
    if (!this->factory.supports(StorePart::ListedStateOnly))
        GTEST_SKIP() << "this store gives a record as it is now";
    this->created({zelie(), anna(), bert()});
    auto store = this->opened();
    const std::vector<RecordCaption> listed = this->listOf(*store);
    ASSERT_EQ(listed.size(), 3u);

    this->factory.damage(listed[0]);
    this->factory.remove(listed[1]);
    auto other = recordOf(anna());
    other->getOwner().setName("Somebody else");
    this->factory.replace(listed[2], bytesOf(*other));
    const std::string before = this->factory.snapshot();

    const auto loadStatus = [&](RecordCaption caption, std::string& reason) {
        std::unique_ptr<TVXMowerLog> record;
        const StoreResult result = store->load(caption, record);
        reason = result.reason;
        EXPECT_FALSE(record) << "no record handed over for " << caption.key;
        return statusName(result.status);
    };
    std::string reason;
    EXPECT_EQ(loadStatus(listed[0], reason), "Damaged");
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(loadStatus(listed[1], reason), "NotFound");
    EXPECT_FALSE(reason.empty());
    RecordCaption removed = listed[1];
    std::string bytes = "stale";
    EXPECT_EQ(statusName(store->loadFile(removed, bytes).status), "NotFound");
    EXPECT_EQ(loadStatus(listed[2], reason), "Replaced");
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(this->factory.snapshot(), before) << "a load that fails writes nothing";

    store.reset();
    auto next = this->opened();
    const std::vector<RecordCaption> now = this->listOf(*next);
    ASSERT_EQ(now.size(), 1u) << "the damaged and the removed record are not listed";
    EXPECT_EQ(now[0].key, listed[2].key);
    EXPECT_EQ(now[0].owner.getName(), "Somebody else");
    EXPECT_TRUE(this->tracedAbout(listed[0].key)) << "a record that does not read is named in the trace log";
    auto record = this->loaded(*next, now[0]);
    ASSERT_TRUE(record);
    EXPECT_EQ(bytesOf(*record), bytesOf(*other));
}

// Writes that fail (a full disk) come back as Failed with the system's
// reason, and the record stays as it was.
TYPED_TEST_P(RecordStoreSuite, FailedWritesLeaveTheOldRecord)
{
    if (!this->factory.supports(StorePart::FailingWrites))
        GTEST_SKIP() << "this store's writes cannot be made to fail";
    this->created({zelie()});
    auto store = this->opened();
    const std::vector<RecordCaption> listed = this->listOf(*store);
    ASSERT_EQ(listed.size(), 1u);
    auto record = this->loaded(*store, listed[0]);
    ASSERT_TRUE(record);
    const std::string oldBytes = bytesOf(*record);
    record->getOwner().setName("Changed");
    ASSERT_TRUE(record->insertLog(historyOf(zelie().serial, {2015, 1, 1, 0, 0, 0})));
    const std::string before = this->factory.snapshot();

    EXPECT_EQ(this->factory.checksWhereWritesFail([&] {
        RecordCaption caption = listed[0];
        const StoreResult saved = store->save(caption, *record);
        auto fresh = recordOf(anna());
        RecordCaption made;
        const StoreResult created = store->create(*fresh, made);
        std::unique_ptr<TVXMowerLog> after;
        const StoreResult reloaded = store->load(caption, after);
        return std::vector<NamedCheck> {
            {"save gives Failed", saved.status == Status::Failed},
            {"save names its reason", !saved.reason.empty()},
            {"the caption keeps the old checksum", caption.checksum == listed[0].checksum},
            {"create gives Failed", created.status == Status::Failed},
            {"create names its reason", !created.reason.empty()},
            {"the old record still loads", reloaded && after && bytesOf(*after) == oldBytes},
        };
    }),
              "");
    EXPECT_EQ(this->factory.snapshot(), before) << "a failed write leaves the database as it was";

    store.reset();
    auto next = this->opened();
    const std::vector<RecordCaption> now = this->listOf(*next);
    ASSERT_EQ(now.size(), 1u) << "the record whose creation failed is not listed";
    EXPECT_EQ(now[0].checksum, listed[0].checksum);
    auto old = this->loaded(*next, now[0]);
    ASSERT_TRUE(old);
    EXPECT_EQ(bytesOf(*old), oldBytes);
}

// What an interrupted write left goes when a store takes the database, and
// stays while another holds it (that one may be in the middle of the write).
TYPED_TEST_P(RecordStoreSuite, OpenClearsWhatInterruptedWritesLeft)
{
    if (!this->factory.supports(StorePart::WriteLeftovers))
        GTEST_SKIP() << "this store's writes leave nothing behind";
    const std::vector<RecordCaption> made = this->created({zelie()});
    ASSERT_EQ(made.size(), 1u);
    this->factory.leaveInterruptedWrite(made[0]);
    ASSERT_TRUE(this->factory.interruptedWriteLeft());

    auto holder = this->factory.makeStore();
    {
        auto first = this->opened();
        this->factory.leaveInterruptedWrite(made[0]);  // written while the first holds the database
        ASSERT_EQ(statusName(holder->open().status), "InUse");
        EXPECT_TRUE(this->factory.interruptedWriteLeft()) << "removed without holding the database";
    }
    ASSERT_EQ(statusName(holder->open().status), "Ok");
    EXPECT_FALSE(this->factory.interruptedWriteLeft());
    const std::vector<RecordCaption> listed = this->listOf(*holder);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].checksum, made[0].checksum) << "the record itself is untouched";
}

// A record of the new record's name that the list does not hold (it did not
// read, or was never listed) is kept under another name, never written over.
TYPED_TEST_P(RecordStoreSuite, CreateKeepsAnUnlistedRecordOfItsName)
{
    if (!this->factory.supports(StorePart::SetAside))
        GTEST_SKIP() << "this store has no unlisted records";
    std::string damaged = fixture::recordFileBytes(anna());
    damaged[40] ^= 0x20;
    this->factory.putUnlistedRecord(anna().serial, damaged);
    auto store = this->opened();
    EXPECT_TRUE(this->listOf(*store).empty());

    auto record = recordOf(anna());
    RecordCaption caption;
    const StoreResult made = store->create(*record, caption);
    ASSERT_EQ(statusName(made.status), "Ok") << made.reason;
    EXPECT_EQ(this->factory.keptAside(anna().serial), std::vector<std::string> {damaged});
    auto back = this->loaded(*store, caption);
    ASSERT_TRUE(back);
    EXPECT_EQ(bytesOf(*back), bytesOf(*record));

    store.reset();
    auto next = this->opened();
    const std::vector<RecordCaption> listed = this->listOf(*next);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].key, caption.key);
}

REGISTER_TYPED_TEST_SUITE_P(RecordStoreSuite, AnEmptyDatabaseOpensAndListsNothing, ASecondStoreFindsTheDatabaseInUse,
                            ListGivesTheCaptionsOfCreatedRecordsInTheirOrder, FillEmptyFillsOnlyAnEmptyDatabase,
                            FilledRecordFilesAreKeptByteForByte, AFillStopsAtARecordThatDoesNotReadWhole,
                            LoadGivesTheRecordByteForByte, ASavedRecordIsWhatLaterLoadsSee,
                            CreateTakesNoNameOfTheList, ARecordChangedSinceListingIsNotLoaded,
                            FailedWritesLeaveTheOldRecord, OpenClearsWhatInterruptedWritesLeft,
                            CreateKeepsAnUnlistedRecordOfItsName);

}  // namespace storesuite
