// The journal of a server database: every change the dealer makes through the
// list and its entries keeps the record as it was, byte for byte; any change
// can be undone (and the undo too); the tool lists and undoes them; a deleted
// history can be filed again from it.
#include "ServerTestSupport.h"

#include "Component/DatabaseFixture.h"
#include "Component/RecordFileName.h"
#include "Component/RecordImport.h"
#include "Component/RecordValidation.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>

#include <chrono>
#include <sstream>
#include <stdexcept>
#include <thread>

using namespace servertest;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

constexpr std::uint32_t AlphaSerial = 0x00A1A1A1;
constexpr std::uint32_t BetaSerial = 0x00B2B2B2;
constexpr std::uint32_t GammaSerial = 0x00C3C3C3;

// The dates of servertest::record's histories.
TVXLogTime monthOf(int h)
{
    return {static_cast<std::uint16_t>(1990 + h / 12), static_cast<std::uint8_t>(1 + h % 12), 1, 8, 0, 0};
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A list over a server database (the application's store), holding Alpha
// (three histories) and Beta; a second store on the database reads and
// undoes behind its back, as another PC or the tool would.
class ServerJournalTest : public fixture::DatabaseTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.ready());
        ASSERT_TRUE(store.open());
        ASSERT_TRUE(other.open());
        auto alpha = record(AlphaSerial, "Alpha", 3);
        auto beta = record(BetaSerial, "Beta", 2);
        RecordCaption caption;
        ASSERT_TRUE(other.create(*alpha, caption));
        alphaKey = caption.key;
        ASSERT_TRUE(other.create(*beta, caption));
        betaKey = caption.key;
        ASSERT_TRUE(list.LoadFrom(store));
        ASSERT_EQ(list.Entries().size(), 2u);
    }

    // The record file as the server holds it now; empty when it has none.
    std::string fileOf(const std::string& key)
    {
        RecordCaption caption;
        caption.key = key;
        std::string bytes;
        if (!other.loadFile(caption, bytes))
            return {};
        return bytes;
    }
    std::vector<JournalEntry> journal(const JournalQuery& query = {})
    {
        std::vector<JournalEntry> entries;
        const StoreResult read = other.journal(query, entries);
        EXPECT_TRUE(read) << read.reason;
        return entries;
    }
    JournalEntry newest()
    {
        const std::vector<JournalEntry> entries = journal();
        return entries.empty() ? JournalEntry {} : entries.back();
    }
    TDBMower& entry(const std::string& key)
    {
        TDBMower* mower = list.FindByKey(key);
        if (!mower)
            throw std::runtime_error("the list has no entry " + key);
        return *mower;
    }
    // The journal's newest entry is the change just made to that record, of
    // that kind, keeping `before` as its state before; its number.
    std::int64_t expectJournalled(const std::string& key, const std::string& kind, const std::string& before,
                                  const std::string& detailPart)
    {
        const JournalEntry e = newest();
        EXPECT_EQ(e.record, key);
        EXPECT_EQ(e.kind, kind);
        EXPECT_EQ(e.undoes, 0);
        EXPECT_THAT(e.detail, HasSubstr(detailPart));
        EXPECT_FALSE(e.at.empty());
        EXPECT_FALSE(e.pc.empty());
        EXPECT_FALSE(e.user.empty());
        EXPECT_EQ(e.hasBefore, !before.empty());
        std::string kept;
        const StoreResult read = other.stateBefore(e.change, kept);
        if (before.empty()) {
            EXPECT_EQ(read.status, Status::NotFound) << "a creation keeps no state before";
        } else {
            EXPECT_TRUE(read) << read.reason;
            EXPECT_TRUE(kept == before) << "the state before " << kind << " differs from the record as it was";
        }
        return e.change;
    }

    PgTestDatabase db;
    ServerRecordStore store {db.uri()};
    ServerRecordStore other {db.uri()};
    std::string alphaKey;
    std::string betaKey;
};

struct Step {
    std::string what;
    std::string key;
    std::int64_t change = 0;
    std::string before;  // empty for a creation
    std::string after;
};

// Every kind of change the dealer makes is journalled with the record as it
// was; undoing them newest first brings back each earlier state byte for
// byte, each undo journalled with what it replaced.
TEST_F(ServerJournalTest, EveryChangeKeepsTheRecordAsItWasAndUndoesByteForByte)
{
    std::vector<Step> steps;
    const std::string gammaKey = serialHex(GammaSerial);
    auto step = [&](const std::string& what, const std::string& key, const std::string& before,
                    const std::string& detailPart) {
        SCOPED_TRACE(what);
        const std::int64_t change = expectJournalled(key, what, before, detailPart);
        const std::string after = fileOf(key);
        EXPECT_FALSE(after.empty());
        EXPECT_TRUE(after != before) << "the change reached the server";
        steps.push_back({what, key, change, before, after});
    };

    std::unique_ptr<TVXMowerLog> gamma = record(GammaSerial, "Gamma", 2);
    ASSERT_TRUE(list.CreateRecord(gamma));
    step("created", gammaKey, "", "2 histories");

    std::string before = fileOf(alphaKey);
    std::unique_ptr<TVXLog> filed = history(AlphaSerial, {1995, 6, 7, 8, 9, 10}, 0x55, "filed");
    ASSERT_EQ(list.InsertLog(filed), InsertResult::Inserted);
    step("filed", alphaKey, before, "added 1995-06-07 08:09:10");

    // A record file of Alpha's mower from elsewhere, with two dates Alpha lacks.
    TempDir work;
    auto exported = record(AlphaSerial, "Alpha", 0);
    ASSERT_TRUE(exported->insertLog(history(AlphaSerial, {1996, 1, 2, 3, 4, 5}, 0x66)));
    ASSERT_TRUE(exported->insertLog(history(AlphaSerial, {1997, 1, 2, 3, 4, 5}, 0x77)));
    work.write("import.dat", writeRecordFile(*exported));
    before = fileOf(alphaKey);
    ASSERT_TRUE(importDatFile(work.file("import.dat"), list, user));
    step("merged", alphaKey, before, "added 1996-01-02 03:04:05, 1997-01-02 03:04:05");

    before = fileOf(alphaKey);
    user.answer = MbOK;
    ASSERT_EQ(entry(alphaKey).DeleteHistory(monthOf(1)), DeleteResult::Deleted);
    EXPECT_EQ(user.boxes.back().type, MsgType::Confirmation) << "the dealer was asked";
    step("deleted", alphaKey, before, "deleted 1990-02-01 08:00:00");

    before = fileOf(alphaKey);
    ASSERT_TRUE(entry(alphaKey).StoreComment(monthOf(0), "Messer gewechselt"));
    step("comment", alphaKey, before, "comment of 1990-01-01 08:00:00");

    before = fileOf(betaKey);
    RecordInput input {"Bettina", "Muster", "Hauptstrasse 1", 4, "09", std::to_string(BetaSerial & 0xFFFF)};
    RecordVerdict verdict;
    ASSERT_TRUE(entry(betaKey).ChangeOwnerData(input, verdict)) << ::testing::PrintToString(verdict.messages);
    step("owner", betaKey, before, "owner data");

    // Nothing else was journalled: one entry per change, in order.
    const std::vector<JournalEntry> all = journal();
    ASSERT_EQ(all.size(), 2 + steps.size()) << "two creations of the set-up and the changes";
    for (std::size_t i = 1; i < all.size(); ++i)
        EXPECT_LT(all[i - 1].change, all[i].change);

    // A save over a stale caption writes nothing, and journals nothing.
    RecordCaption stale = listed(other, alphaKey);
    std::unique_ptr<TVXMowerLog> copy;
    ASSERT_TRUE(other.load(stale, copy));
    stale.checksum ^= 1;
    EXPECT_EQ(other.save(stale, *copy).status, Status::Changed);
    EXPECT_EQ(journal().size(), all.size());
    // Nor does a change that the server refuses halfway: the entry goes
    // with the transaction.
    db.exec("CREATE FUNCTION refuse_writes() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
            " RAISE EXCEPTION 'could not extend file: No space left on device' USING ERRCODE = 'disk_full';"
            " END $$");
    db.exec("CREATE TRIGGER refuse_writes BEFORE INSERT OR UPDATE OR DELETE ON histories"
            " FOR EACH STATEMENT EXECUTE FUNCTION refuse_writes()");
    const std::string unchanged = fileOf(alphaKey);
    EXPECT_FALSE(entry(alphaKey).StoreComment(monthOf(2), "lost"));
    EXPECT_EQ(user.boxes.back().type, MsgType::Error) << "the dealer was told";
    db.exec("DROP FUNCTION refuse_writes() CASCADE");
    EXPECT_EQ(journal().size(), all.size());
    EXPECT_TRUE(fileOf(alphaKey) == unchanged);

    // Newest first: each undo gives back the state before its change.
    for (auto s = steps.rbegin(); s != steps.rend(); ++s) {
        SCOPED_TRACE("undo of " + s->what);
        ASSERT_TRUE(fileOf(s->key) == s->after) << "the record is as the change left it";
        JournalEntry done;
        const StoreResult undone = other.undo(s->change, done);
        ASSERT_TRUE(undone) << undone.reason;
        EXPECT_EQ(done.kind, "undo");
        EXPECT_EQ(done.undoes, s->change);
        EXPECT_EQ(done.record, s->key);
        EXPECT_GT(done.change, s->change);
        EXPECT_THAT(done.detail, HasSubstr(std::to_string(s->change)));
        EXPECT_EQ(newest().change, done.change) << "the undo is journalled";
        // The undo keeps what it replaced: it can be undone in turn.
        std::string replaced;
        ASSERT_TRUE(other.stateBefore(done.change, replaced));
        EXPECT_TRUE(replaced == s->after);
        if (s->before.empty()) {
            EXPECT_TRUE(fileOf(s->key).empty()) << "the created record is gone";
            RecordCaption caption;
            EXPECT_EQ(other.captionOf(s->key, caption).status, Status::NotFound);
            EXPECT_TRUE(listed(other, s->key).key.empty());
            EXPECT_EQ(db.integer("SELECT count(*) FROM histories WHERE name_serial = $1",
                                 {PgParam::int8(GammaSerial)}),
                      0);
            // Undoing the undo brings it back as it was.
            JournalEntry again;
            ASSERT_TRUE(other.undo(done.change, again));
            EXPECT_EQ(again.kind, "undo");
            EXPECT_EQ(again.undoes, done.change);
            EXPECT_FALSE(again.hasBefore) << "there was no record before it";
            EXPECT_TRUE(fileOf(s->key) == s->after);
            EXPECT_EQ(listed(other, s->key).key, s->key);
        } else {
            EXPECT_TRUE(fileOf(s->key) == s->before) << "not byte for byte as before the change";
        }
    }
    EXPECT_EQ(journal().size(), all.size() + steps.size() + 1);
}

// An older change undone puts the record back as it was before it, later
// changes included; that undo undone gives back the newest state.
TEST_F(ServerJournalTest, UndoingAnOlderChangeCanItselfBeUndone)
{
    const std::string original = fileOf(alphaKey);
    ASSERT_TRUE(entry(alphaKey).StoreComment(monthOf(2), "one"));
    const std::int64_t first = newest().change;
    std::unique_ptr<TVXLog> filed = history(AlphaSerial, {2001, 1, 1, 1, 1, 1});
    ASSERT_EQ(list.InsertLog(filed), InsertResult::Inserted);
    const std::string newestState = fileOf(alphaKey);

    JournalEntry done;
    ASSERT_TRUE(other.undo(first, done));
    EXPECT_TRUE(fileOf(alphaKey) == original);
    EXPECT_THAT(done.detail, HasSubstr("deleted 2001-01-01 01:01:01")) << done.detail;
    EXPECT_THAT(done.detail, HasSubstr("comment of 1990-03-01 08:00:00")) << done.detail;
    JournalEntry back;
    ASSERT_TRUE(other.undo(done.change, back));
    EXPECT_TRUE(fileOf(alphaKey) == newestState);

    // Undone twice: the second undo finds nothing to change, and says no more.
    ASSERT_TRUE(other.undo(first, done));
    JournalEntry twice;
    ASSERT_TRUE(other.undo(first, twice));
    EXPECT_EQ(twice.detail, "of change " + std::to_string(first));
    EXPECT_TRUE(fileOf(alphaKey) == original);

    // Beta was never touched.
    EXPECT_EQ(journal({betaKey, {}}).size(), 1u);
    // An unknown change changes nothing and is not journalled.
    const std::size_t count = journal().size();
    EXPECT_EQ(other.undo(twice.change + 100, done).status, Status::NotFound);
    std::string nothing;
    EXPECT_EQ(other.stateBefore(twice.change + 100, nothing).status, Status::NotFound);
    EXPECT_EQ(journal().size(), count);
}

// A history filed into a record that another PC changed since this one read
// it joins what that PC wrote: the journal keeps the record as that PC left
// it, and the change is a filing only.
TEST_F(ServerJournalTest, AFilingThatJoinsAnotherPcsChangeKeepsItsState)
{
    TDBMower& alpha = entry(alphaKey);
    ASSERT_TRUE(alpha.EnsureLoaded());
    RecordCaption caption = listed(other, alphaKey);
    std::unique_ptr<TVXMowerLog> elsewhere;
    ASSERT_TRUE(other.load(caption, elsewhere));
    elsewhere->getOwner().setName("Anderswo");
    ASSERT_TRUE(other.save(caption, *elsewhere));
    const std::string before = fileOf(alphaKey);

    std::unique_ptr<TVXLog> filed = history(AlphaSerial, {2002, 2, 2, 2, 2, 2});
    ASSERT_EQ(list.InsertLog(filed), InsertResult::Inserted);
    const std::int64_t change = expectJournalled(alphaKey, "filed", before, "added 2002-02-02 02:02:02");
    EXPECT_EQ(alpha.GetNameText(), "Anderswo Muster") << "the record shows the other PC's change";
    std::unique_ptr<TVXMowerLog> stored = loadedFresh(db.uri(), alphaKey);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->getOwner().getName(), "Anderswo");
    EXPECT_TRUE(stored->logs().count({2002, 2, 2, 2, 2, 2}));

    JournalEntry done;
    ASSERT_TRUE(other.undo(change, done));
    EXPECT_TRUE(fileOf(alphaKey) == before);
}

// Every record whose window was opened is written at the end of the run; one
// that did not change is no change: nothing is journalled, nobody is told.
TEST_F(ServerJournalTest, ARecordWrittenUnchangedIsNoChange)
{
    entry(alphaKey).OpenRecord();
    entry(betaKey).OpenRecord();
    ASSERT_TRUE(entry(betaKey).UpdateComment(monthOf(0), "am Ende"));
    const std::size_t count = journal().size();
    const std::string alphaBefore = fileOf(alphaKey);
    ASSERT_TRUE(list.SaveAll());
    const std::vector<JournalEntry> entries = journal();
    ASSERT_EQ(entries.size(), count + 1) << "Beta's comment only";
    EXPECT_EQ(entries.back().record, betaKey);
    EXPECT_EQ(entries.back().kind, "comment");
    EXPECT_TRUE(fileOf(alphaKey) == alphaBefore);
    // The announcements reach the other store while it reads the journal.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    bool missed = false;
    EXPECT_EQ(other.takeChanges(missed), std::vector<std::string> {betaKey}) << "Alpha was not announced";

    // Written once more: nothing at all.
    ASSERT_TRUE(list.SaveAll());
    EXPECT_EQ(journal().size(), count + 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(other.takeChanges(missed).empty()) << "nothing announced";
}

// quorvane-tool journal: a line per change, oldest first, each starting with
// its number; --record and --since keep some. quorvane-tool undo: the exit
// statuses of a usage error and of an unknown change.
TEST_F(ServerJournalTest, TheToolListsAndUndoesChanges)
{
    ASSERT_TRUE(entry(alphaKey).StoreComment(monthOf(0), "eins"));
    ASSERT_TRUE(entry(betaKey).StoreComment(monthOf(0), "zwei"));
    ASSERT_TRUE(entry(alphaKey).StoreComment(monthOf(0), "drei"));
    const std::vector<JournalEntry> entries = journal();
    ASSERT_EQ(entries.size(), 5u);

    const std::string uri = quoted(db.uri());
    const CommandRun listedAll = tool("journal " + uri);
    ASSERT_EQ(listedAll.status, 0) << listedAll.output;
    std::vector<std::string> lines = linesOf(listedAll.output);
    ASSERT_EQ(lines.size(), entries.size()) << listedAll.output;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i]);
        EXPECT_THAT(lines[i], StartsWith(std::to_string(entries[i].change) + " "));
        EXPECT_THAT(lines[i], HasSubstr(entries[i].record));
        EXPECT_THAT(lines[i], HasSubstr(entries[i].kind));
        EXPECT_THAT(lines[i], HasSubstr(entries[i].at));
    }

    const CommandRun ofAlpha = tool("journal " + uri + " --record " + alphaKey);
    ASSERT_EQ(ofAlpha.status, 0) << ofAlpha.output;
    lines = linesOf(ofAlpha.output);
    ASSERT_EQ(lines.size(), 3u) << ofAlpha.output;
    for (const std::string& line : lines)
        EXPECT_THAT(line, HasSubstr(alphaKey));
    EXPECT_THAT(lines[0], StartsWith(std::to_string(entries[0].change) + " "));
    EXPECT_THAT(lines[2], StartsWith(std::to_string(entries[4].change) + " "));
    // The serial number in lower case names the record too.
    std::string lower = alphaKey;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(linesOf(tool("journal " + uri + " --record " + lower).output).size(), 3u);

    // The two creations happened years ago.
    db.exec("UPDATE journal SET changed_at = '2020-03-01 00:00' WHERE kind = 'created'");
    const CommandRun since = tool("journal " + uri + " --since 2021-01-01");
    ASSERT_EQ(since.status, 0) << since.output;
    lines = linesOf(since.output);
    ASSERT_EQ(lines.size(), 3u) << since.output;
    EXPECT_THAT(lines[0], StartsWith(std::to_string(entries[2].change) + " "));
    EXPECT_EQ(linesOf(tool("journal " + uri + " --since 2020-03-01").output).size(), 5u) << "the day itself counts";
    EXPECT_EQ(linesOf(tool("journal " + uri + " --since 2020-03-02").output).size(), 3u);
    const CommandRun both = tool("journal " + uri + " --since 2021-01-01 --record " + betaKey);
    EXPECT_EQ(both.status, 0);
    ASSERT_EQ(linesOf(both.output).size(), 1u) << both.output;
    EXPECT_THAT(both.output, StartsWith(std::to_string(entries[3].change) + " "));

    for (const std::string& bad : std::vector<std::string> {"journal", "journal " + uri + " --since yesterday",
                                   "journal " + uri + " --record", "journal " + uri + " " + uri}) {
        SCOPED_TRACE(bad);
        const CommandRun run = tool(bad);
        EXPECT_EQ(run.status, 2) << run.output;
        EXPECT_THAT(run.output, ::testing::ContainsRegex("usage|YYYY-MM-DD"));
    }
    EXPECT_EQ(tool("journal " + uri + " --record nohex").status, 1);
    EXPECT_EQ(tool("journal " + uri + " --since 2020-13-45").status, 1) << "no such day";

    // Undo through the tool prints the undo's own line.
    const CommandRun undone = tool("undo " + uri + " " + std::to_string(entries[4].change));
    ASSERT_EQ(undone.status, 0) << undone.output;
    const JournalEntry done = newest();
    EXPECT_EQ(done.undoes, entries[4].change);
    EXPECT_THAT(undone.output, StartsWith(std::to_string(done.change) + " "));
    EXPECT_THAT(undone.output, HasSubstr("undo"));
    std::unique_ptr<TVXMowerLog> alpha = loadedFresh(db.uri(), alphaKey);
    ASSERT_TRUE(alpha);
    EXPECT_EQ(alpha->findLog(monthOf(0)).getComment(), "eins");

    for (const std::string& bad : std::vector<std::string> {"undo", "undo " + uri, "undo " + uri + " abc", "undo " + uri + " 0",
                                   "undo " + uri + " -3", "undo " + uri + " 7x", "undo " + uri + " 1 2"}) {
        SCOPED_TRACE(bad);
        const CommandRun run = tool(bad);
        EXPECT_EQ(run.status, 2) << run.output;
        EXPECT_THAT(run.output, HasSubstr("usage"));
    }
    const std::size_t count = journal().size();
    const CommandRun unknown = tool("undo " + uri + " 999999");
    EXPECT_EQ(unknown.status, 1) << unknown.output;
    EXPECT_THAT(unknown.output, HasSubstr("999999"));
    EXPECT_EQ(journal().size(), count) << "nothing journalled";

    // A folder keeps no journal.
    TempDir folder;
    ASSERT_EQ(tool("sample " + quoted(folder.file("db")) + " --records 2").status, 0);
    EXPECT_EQ(tool("journal " + quoted(folder.file("db"))).status, 1);
    EXPECT_EQ(tool("undo " + quoted(folder.file("db")) + " 1").status, 1);
}

// A history deleted by mistake is filed again from the state its deletion
// kept; the record is then byte for byte what it was before.
TEST_F(ServerJournalTest, ADeletedHistoryIsFiledAgainFromTheJournal)
{
    TDBMower& alpha = entry(alphaKey);
    const std::int64_t created = journal({alphaKey, {}}).front().change;
    ASSERT_TRUE(alpha.StoreComment(monthOf(1), "Was wichtiges"));
    const std::string withIt = fileOf(alphaKey);
    ASSERT_EQ(alpha.DeleteHistory(monthOf(1)), DeleteResult::Deleted);
    const JournalEntry deletion = newest();
    ASSERT_EQ(deletion.kind, "deleted");
    EXPECT_FALSE(alpha.GetMowerHandle().logs().count(monthOf(1)));

    ASSERT_EQ(alpha.RestoreHistory(deletion.change, monthOf(1)), InsertResult::Inserted);
    EXPECT_EQ(alpha.GetMowerHandle().findLog(monthOf(1)).getComment(), "Was wichtiges");
    EXPECT_TRUE(fileOf(alphaKey) == withIt) << "the record is as it was before the deletion";
    EXPECT_EQ(newest().kind, "filed");
    EXPECT_TRUE(traced("history restored from change " + std::to_string(deletion.change) + ": " + alphaKey));

    // Filed once only; a date the state before lacks, or a change that kept
    // no state, files nothing.
    EXPECT_EQ(alpha.RestoreHistory(deletion.change, monthOf(1)), InsertResult::DateExists);
    EXPECT_EQ(alpha.RestoreHistory(deletion.change, {1990, 2, 15, 0, 0, 0}), InsertResult::NoRecord);
    EXPECT_EQ(alpha.RestoreHistory(created, monthOf(1)), InsertResult::NoRecord);
    EXPECT_EQ(alpha.RestoreHistory(999999, monthOf(1)), InsertResult::NoRecord);
    EXPECT_TRUE(fileOf(alphaKey) == withIt);
}

}  // namespace
