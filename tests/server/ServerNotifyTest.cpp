// Changes announced to the other PCs: a store learns the keys of the records
// that another connection changed, a list catches up with them, and a broken
// connection makes the list read everything again.
#include "ServerTestSupport.h"

#include "Component/DatabaseFixture.h"
#include "Component/RecordFileName.h"

#include <gmock/gmock.h>

#include <chrono>
#include <poll.h>
#include <thread>

using namespace servertest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr std::uint32_t OldSerial = 0x00D1D1D1;     // listed, never opened
constexpr std::uint32_t OpenedSerial = 0x00D2D2D2;  // listed and opened
constexpr std::uint32_t NewSerial = 0x00D3D3D3;     // made while the list runs

// Whether the socket becomes readable within the time.
bool readableWithin(int socket, int milliseconds)
{
    if (socket < 0)
        return false;
    pollfd fd {socket, POLLIN, 0};
    return ::poll(&fd, 1, milliseconds) > 0;
}

TVXLogTime monthOf(int h)
{
    return {static_cast<std::uint16_t>(1990 + h / 12), static_cast<std::uint8_t>(1 + h % 12), 1, 8, 0, 0};
}

// Store A is one PC; store B another, whose connection the test can find by
// its application name and cut; the fixture's list runs on B.
class ServerNotifyTest : public fixture::DatabaseTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.ready());
        ASSERT_TRUE(a.open());
        ASSERT_TRUE(b.open());
        for (const auto& [serial, name] : {std::pair {OldSerial, "Alt"}, std::pair {OpenedSerial, "Offen"}}) {
            auto r = record(serial, name, 2);
            RecordCaption caption;
            ASSERT_TRUE(a.create(*r, caption));
        }
        // What set-up announced is no part of the tests.
        settle(b);
    }

    // Waits until nothing more is announced to the store for a moment and
    // drops what was.
    static void settle(ServerRecordStore& store)
    {
        bool missed = false;
        while (readableWithin(store.changeSocket(), 300))
            store.takeChanges(missed);
        store.takeChanges(missed);
    }

    // The keys announced to the store within two seconds, once the first came
    // and a moment passed for the rest.
    static std::vector<std::string> announcedTo(ServerRecordStore& store, bool& missed)
    {
        missed = false;
        if (!readableWithin(store.changeSocket(), 2000))
            return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return store.takeChanges(missed);
    }

    // Catches the list up until the condition holds, as the application does
    // whenever the change socket becomes readable; false after two seconds.
    bool catchUpUntil(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < deadline) {
            list.CatchUp();
            if (done())
                return true;
            readableWithin(b.changeSocket(), 100);
        }
        return done();
    }

    // Ends B's connection on the server, as a restart of the server or a
    // broken network would, and waits until B's side sees it.
    void cutB()
    {
        EXPECT_EQ(db.integer("SELECT count(*) FROM (SELECT pg_terminate_backend(pid) FROM pg_stat_activity"
                             " WHERE datname = current_database() AND application_name = 'quorvane-b') ended"),
                  1);
        EXPECT_TRUE(readableWithin(b.changeSocket(), 2000)) << "B's socket shows the end";
    }

    void changeOwnerOnA(std::uint32_t serial, const std::string& name)
    {
        RecordCaption caption = listed(a, serialHex(serial));
        std::unique_ptr<TVXMowerLog> r;
        ASSERT_TRUE(a.load(caption, r));
        r->getOwner().setName(name);
        ASSERT_TRUE(a.save(caption, *r));
    }

    PgTestDatabase db;
    ServerRecordStore a {db.uri()};
    ServerRecordStore b {db.uri() + "&application_name=quorvane-b"};
};

// A change saved through A reaches B, each record once however often it
// changed; A is not told of its own changes.
TEST_F(ServerNotifyTest, AChangeThroughOneStoreIsAnnouncedToTheOther)
{
    EXPECT_FALSE(readableWithin(b.changeSocket(), 100)) << "nothing announced yet";
    auto r = record(NewSerial, "Neu");
    RecordCaption made;
    ASSERT_TRUE(a.create(*r, made));
    bool missed = true;
    EXPECT_THAT(announcedTo(b, missed), ElementsAre(serialHex(NewSerial)));
    EXPECT_FALSE(missed);

    changeOwnerOnA(OldSerial, "Eins");
    changeOwnerOnA(OldSerial, "Zwei");
    changeOwnerOnA(OpenedSerial, "Drei");
    EXPECT_THAT(announcedTo(b, missed), ElementsAre(serialHex(OldSerial), serialHex(OpenedSerial)));
    EXPECT_FALSE(missed);
    EXPECT_THAT(b.takeChanges(missed), IsEmpty()) << "each announcement is taken once";

    EXPECT_THAT(a.takeChanges(missed), IsEmpty()) << "A made them itself";
    EXPECT_FALSE(missed);

    // B's own change is not announced to B, but to A.
    RecordCaption caption = listed(b, serialHex(NewSerial));
    std::unique_ptr<TVXMowerLog> mine;
    ASSERT_TRUE(b.load(caption, mine));
    mine->getOwner().setSurname("Von B");
    ASSERT_TRUE(b.save(caption, *mine));
    EXPECT_THAT(announcedTo(a, missed), ElementsAre(serialHex(NewSerial)));
    EXPECT_THAT(b.takeChanges(missed), IsEmpty());

    // A store that never opened listens to nothing.
    ServerRecordStore closed(db.uri());
    EXPECT_EQ(closed.changeSocket(), -1);
}

// A list on B catches up with what A did: a new record, a changed caption,
// and an opened record read again that keeps the comment typed on B and not
// yet written; a record whose creation was undone leaves the list.
TEST_F(ServerNotifyTest, AListCatchesUpWithAnotherPc)
{
    ASSERT_TRUE(list.LoadFrom(b));
    ASSERT_EQ(list.Entries().size(), 2u);
    TDBMower* opened = list.FindByKey(serialHex(OpenedSerial));
    ASSERT_TRUE(opened);
    opened->OpenRecord();
    ASSERT_TRUE(opened->IsLoaded());
    ASSERT_TRUE(opened->UpdateComment(monthOf(0), "typed on B"));
    EXPECT_FALSE(list.CatchUp()) << "nothing happened elsewhere";

    auto r = record(NewSerial, "Neu");
    RecordCaption made;
    ASSERT_TRUE(a.create(*r, made));
    changeOwnerOnA(OldSerial, "Umbenannt");
    RecordCaption caption = listed(a, serialHex(OpenedSerial));
    std::unique_ptr<TVXMowerLog> onA;
    ASSERT_TRUE(a.load(caption, onA));
    ASSERT_TRUE(onA->insertLog(history(OpenedSerial, {2005, 5, 5, 5, 5, 5}, 9, "from A")));
    ASSERT_TRUE(a.save(caption, *onA));

    const TDBMower* old = list.FindByKey(serialHex(OldSerial));
    ASSERT_TRUE(old);
    EXPECT_TRUE(catchUpUntil([&] {
        return list.FindByKey(serialHex(NewSerial)) && old->GetNameText() == "Umbenannt Muster"
               && opened->GetMowerHandle().logs().count({2005, 5, 5, 5, 5, 5});
    }));
    EXPECT_EQ(list.Entries().size(), 3u);
    ASSERT_TRUE(list.FindByKey(serialHex(NewSerial)));
    EXPECT_EQ(list.FindByKey(serialHex(NewSerial))->GetNameText(), "Neu Muster");
    EXPECT_FALSE(old->IsLoaded()) << "a caption is enough for a record not opened";
    const TVXMowerLog& shown = opened->GetMowerHandle();
    EXPECT_EQ(shown.findLog({2005, 5, 5, 5, 5, 5}).getComment(), "from A");
    EXPECT_EQ(shown.findLog(monthOf(0)).getComment(), "typed on B") << "what the dealer typed stays";
    EXPECT_TRUE(traced("record read again: " + serialHex(OpenedSerial)));

    // Written at the end of the run over what A filed, not in its place.
    ASSERT_TRUE(list.SaveAll());
    std::unique_ptr<TVXMowerLog> stored = loadedFresh(db.uri(), serialHex(OpenedSerial));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->findLog(monthOf(0)).getComment(), "typed on B");
    EXPECT_EQ(stored->findLog({2005, 5, 5, 5, 5, 5}).getComment(), "from A");
    EXPECT_EQ(user.boxes.size(), 0u) << "no conflict was shown";

    // The new record's creation undone on A: it leaves B's list.
    std::vector<JournalEntry> entries;
    ASSERT_TRUE(a.journal({serialHex(NewSerial), {}}, entries));
    ASSERT_EQ(entries.size(), 1u);
    JournalEntry done;
    ASSERT_TRUE(a.undo(entries[0].change, done));
    EXPECT_TRUE(catchUpUntil([&] { return !list.FindByKey(serialHex(NewSerial)); }));
    EXPECT_EQ(list.Entries().size(), 2u);
}

// B's connection cut by the server: once an operation reached the server
// again, B's next takeChanges says announcements were missed (once), and B
// listens again.
TEST_F(ServerNotifyTest, AfterABrokenConnectionTheStoreSaysItMissedChanges)
{
    cutB();
    auto r = record(NewSerial, "Neu");
    RecordCaption made;
    ASSERT_TRUE(a.create(*r, made));

    // The first operation may find the connection broken; the next reaches
    // the server again.
    std::vector<RecordCaption> captions;
    StoreResult listedAgain = b.list(captions);
    if (!listedAgain) {
        EXPECT_EQ(listedAgain.status, Status::Unreachable) << listedAgain.reason;
        listedAgain = b.list(captions);
    }
    ASSERT_TRUE(listedAgain) << listedAgain.reason;
    EXPECT_EQ(captions.size(), 3u);
    bool missed = false;
    b.takeChanges(missed);
    EXPECT_TRUE(missed);
    b.takeChanges(missed);
    EXPECT_FALSE(missed) << "said once";

    changeOwnerOnA(OldSerial, "Wieder da");
    EXPECT_THAT(announcedTo(b, missed), ElementsAre(serialHex(OldSerial))) << "B listens again";
}

// The list on B after its connection was cut: it reads the whole list again,
// with the record made meanwhile, and hears of later changes.
TEST_F(ServerNotifyTest, AfterABrokenConnectionTheListReadsEverythingAgain)
{
    ASSERT_TRUE(list.LoadFrom(b));
    ASSERT_EQ(list.Entries().size(), 2u);
    cutB();
    auto r = record(NewSerial, "Neu");
    RecordCaption made;
    ASSERT_TRUE(a.create(*r, made));
    changeOwnerOnA(OldSerial, "Unterdessen");

    const TDBMower* old = list.FindByKey(serialHex(OldSerial));
    ASSERT_TRUE(old);
    EXPECT_TRUE(catchUpUntil([&] {
        return list.FindByKey(serialHex(NewSerial)) && old->GetNameText() == "Unterdessen Muster";
    }));
    EXPECT_EQ(list.Entries().size(), 3u);

    constexpr std::uint32_t LaterSerial = 0x00D4D4D4;
    auto later = record(LaterSerial, "Spaeter");
    ASSERT_TRUE(a.create(*later, made));
    EXPECT_TRUE(readableWithin(b.changeSocket(), 2000)) << "announced on the new connection";
    EXPECT_TRUE(catchUpUntil([&] { return list.FindByKey(serialHex(LaterSerial)) != nullptr; }));
    EXPECT_EQ(list.Entries().size(), 4u);

    // A record removed while B could not hear of it (its creation undone)
    // leaves B's list when B reads everything again.
    cutB();
    std::vector<JournalEntry> entries;
    ASSERT_TRUE(a.journal({serialHex(LaterSerial), {}}, entries));
    ASSERT_EQ(entries.size(), 1u);
    JournalEntry done;
    ASSERT_TRUE(a.undo(entries[0].change, done));
    EXPECT_TRUE(catchUpUntil([&] { return list.FindByKey(serialHex(LaterSerial)) == nullptr; }));
    EXPECT_EQ(list.Entries().size(), 3u);
}

// Another program (a forked process with its own store and list) sees a
// change of this one within a second.
TEST_F(ServerNotifyTest, AnotherProcessSeesAChangeWithinASecond)
{
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const std::string uri = db.uri();
    const pid_t child = forkChild([&]() -> int {
        ::close(ready[0]);
        ServerRecordStore store(uri);
        if (!store.open())
            return 10;
        ScriptedUser childUser;
        fixture::FakeWindows childWindows;
        TDBMowerList childList(childUser, childWindows);
        if (!childList.LoadFrom(store) || childList.Entries().size() != 2)
            return 11;
        const TDBMower* old = childList.FindByKey(serialHex(OldSerial));
        if (!old)
            return 12;
        if (::write(ready[1], "r", 1) != 1)
            return 13;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            if (!readableWithin(store.changeSocket(), static_cast<int>(left.count())))
                break;
            childList.CatchUp();
            if (childList.FindByKey(serialHex(NewSerial)) && old->GetNameText() == "Vom Elternteil Muster")
                return 0;
        }
        if (!childList.FindByKey(serialHex(NewSerial)))
            return 20;
        return 21;
    });
    ASSERT_GT(child, 0);
    ::close(ready[1]);
    char c = 0;
    pollfd fd {ready[0], POLLIN, 0};
    ASSERT_GT(::poll(&fd, 1, 10000), 0) << "the child did not get ready";
    ASSERT_EQ(::read(ready[0], &c, 1), 1) << "the child ended with " << waitChild(child);
    ::close(ready[0]);

    auto r = record(NewSerial, "Neu");
    RecordCaption made;
    ASSERT_TRUE(a.create(*r, made));
    changeOwnerOnA(OldSerial, "Vom Elternteil");
    EXPECT_EQ(waitChild(child), 0) << "10-13: the child's start failed; 20: no new record; 21: no new caption";
}

}  // namespace
