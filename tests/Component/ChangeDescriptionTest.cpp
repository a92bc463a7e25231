// What the journal says of a change: its kind for programs, its detail for
// people, from the rows of the record before and after it.
#include "Component/ChangeDescription.h"

#include "Class/RecordRows.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const TVXLogTime May {2008, 5, 7, 14, 5, 30};
const TVXLogTime June {2008, 6, 1, 4, 3, 9};  // single digits: zero-padded in the detail
const TVXLogTime July {2009, 7, 20, 23, 59, 0};

HistoryRow historyOn(const TVXLogTime& date, const std::string& comment = {})
{
    HistoryRow h;
    h.date = date;
    h.serialNumber = 0x0012ABCD;
    h.comment = comment;
    return h;
}

RecordRows recordOf(const std::vector<HistoryRow>& histories)
{
    RecordRows rows;
    rows.headerSerial = 0x0012ABCD;
    rows.name = "Alice";
    rows.surname = "Zed";
    rows.address = "1 Lane\r\nTown";
    rows.typeCode = 4;
    rows.idYear = 7;
    rows.idNumber = 123;
    rows.histories = histories;
    return rows;
}

TEST(ChangeDescription, EachKindOnItsOwnNamesItsDates)
{
    const RecordRows before = recordOf({historyOn(May, "old"), historyOn(June)});

    RecordRows filed = before;
    filed.histories.push_back(historyOn(July));
    ChangeDescription d = describeChange(&before, &filed);
    EXPECT_EQ(d.kind, "filed");
    EXPECT_EQ(d.detail, "added 2009-07-20 23:59:00");

    RecordRows merged = before;
    merged.histories.push_back(historyOn(July));
    merged.histories.insert(merged.histories.begin(), historyOn({2001, 1, 2, 3, 4, 5}));
    d = describeChange(&before, &merged);
    EXPECT_EQ(d.kind, "merged");
    EXPECT_EQ(d.detail, "added 2001-01-02 03:04:05, 2009-07-20 23:59:00") << "in date order";

    RecordRows deleted = before;
    deleted.histories.erase(deleted.histories.begin() + 1);
    d = describeChange(&before, &deleted);
    EXPECT_EQ(d.kind, "deleted");
    EXPECT_EQ(d.detail, "deleted 2008-06-01 04:03:09");

    RecordRows commented = before;
    commented.histories[0].comment = "new";
    d = describeChange(&before, &commented);
    EXPECT_EQ(d.kind, "comment");
    EXPECT_EQ(d.detail, "comment of 2008-05-07 14:05:30");
    // A comment emptied is a change of it too.
    commented.histories[0].comment.clear();
    EXPECT_EQ(describeChange(&before, &commented).kind, "comment");

    // Every owner field and every part of the machine identity counts.
    const std::vector<std::pair<const char*, void (*)(RecordRows&)>> ownerChanges {
        {"name", [](RecordRows& r) { r.name += "x"; }},
        {"surname", [](RecordRows& r) { r.surname = ""; }},
        {"address", [](RecordRows& r) { r.address = "1 Lane\nTown"; }},
        {"type code", [](RecordRows& r) { r.typeCode = 10; }},
        {"year", [](RecordRows& r) { r.idYear = 8; }},
        {"number", [](RecordRows& r) { r.idNumber = 124; }},
        {"suffix", [](RecordRows& r) { r.idSuffix = 1; }},
    };
    for (const auto& [what, change] : ownerChanges) {
        SCOPED_TRACE(what);
        RecordRows owner = before;
        change(owner);
        d = describeChange(&before, &owner);
        EXPECT_EQ(d.kind, "owner");
        EXPECT_EQ(d.detail, "owner data");
    }
}

TEST(ChangeDescription, SeveralKindsAreJoinedInAFixedOrder)
{
    const RecordRows before = recordOf({historyOn(May, "a"), historyOn(June, "b")});
    RecordRows after = recordOf({historyOn(May, "changed"), historyOn(July)});
    after.name = "Carol";
    const ChangeDescription d = describeChange(&before, &after);
    EXPECT_EQ(d.kind, "filed+deleted+comment+owner");
    EXPECT_EQ(d.detail,
              "added 2009-07-20 23:59:00; deleted 2008-06-01 04:03:09; comment of 2008-05-07 14:05:30; owner data");
    EXPECT_THAT(d.detail, Not(HasSubstr("\n"))) << "one line";

    // Two filed and two comments: each list names every date.
    RecordRows more = recordOf({historyOn(May, "x"), historyOn(June, "y"), historyOn(July),
                                historyOn({2010, 1, 1, 0, 0, 0})});
    const ChangeDescription two = describeChange(&before, &more);
    EXPECT_EQ(two.kind, "merged+comment");
    EXPECT_EQ(two.detail, "added 2009-07-20 23:59:00, 2010-01-01 00:00:00; "
                          "comment of 2008-05-07 14:05:30, 2008-06-01 04:03:09");
}

TEST(ChangeDescription, NothingThatTheRecordShowsChanged)
{
    const RecordRows before = recordOf({historyOn(May, "a"), historyOn(June)});
    ChangeDescription d = describeChange(&before, &before);
    EXPECT_EQ(d.kind, "unchanged");
    EXPECT_EQ(d.detail, "");

    // The histories written in another order, or the header's copy of the
    // newest serial number: nothing a dealer would call a change.
    RecordRows reordered = before;
    std::swap(reordered.histories[0], reordered.histories[1]);
    reordered.headerSerial = 0x00ABCDEF;
    EXPECT_EQ(describeChange(&before, &reordered).kind, "unchanged");
}

TEST(ChangeDescription, ACreatedOrRemovedRecordHasNoBeforeOrNoAfter)
{
    const RecordRows rows = recordOf({historyOn(May), historyOn(June), historyOn(July)});
    ChangeDescription d = describeChange(nullptr, &rows);
    EXPECT_EQ(d.kind, "created");
    EXPECT_EQ(d.detail, "3 histories");
    d = describeChange(&rows, nullptr);
    EXPECT_EQ(d.kind, "removed");
    EXPECT_EQ(d.detail, "3 histories");
    const RecordRows empty = recordOf({});
    EXPECT_EQ(describeChange(nullptr, &empty).kind, "created") << "a record made without a history";
    EXPECT_EQ(describeChange(nullptr, nullptr).kind, "unchanged");
}

// A record file may hold two histories of one date; the reader keeps the
// first, and so does the description: the second is invisible to the dealer.
TEST(ChangeDescription, OfTwoHistoriesOfOneDateTheFirstCounts)
{
    const RecordRows twice = recordOf({historyOn(May, "first"), historyOn(May, "second"), historyOn(June)});

    // Written again as the reader left it: the duplicate is gone, nothing
    // the dealer saw changed.
    const RecordRows rewritten = recordOf({historyOn(May, "first"), historyOn(June)});
    EXPECT_EQ(describeChange(&twice, &rewritten).kind, "unchanged");

    // The first one's comment changed: a comment, however the duplicate fares.
    const RecordRows commented = recordOf({historyOn(May, "edited"), historyOn(June)});
    ChangeDescription d = describeChange(&twice, &commented);
    EXPECT_EQ(d.kind, "comment");
    EXPECT_EQ(d.detail, "comment of 2008-05-07 14:05:30");

    // The second one's comment is what the record shows afterwards: the
    // dealer's view of May changed from "first" to "second".
    const RecordRows secondKept = recordOf({historyOn(May, "second"), historyOn(June)});
    EXPECT_EQ(describeChange(&twice, &secondKept).kind, "comment");

    // A duplicate that appears is no history filed; a new date with it is one.
    EXPECT_EQ(describeChange(&rewritten, &twice).kind, "unchanged");
    RecordRows withJuly = twice;
    withJuly.histories.push_back(historyOn(July));
    d = describeChange(&rewritten, &withJuly);
    EXPECT_EQ(d.kind, "filed") << "one date added, not two histories";
    EXPECT_EQ(d.detail, "added 2009-07-20 23:59:00");

    // The date deleted while a duplicate of it remains: the dealer still sees May.
    const RecordRows duplicateLeft = recordOf({historyOn(May, "second"), historyOn(June)});
    EXPECT_EQ(describeChange(&twice, &duplicateLeft).kind, "comment");
    const RecordRows allMayGone = recordOf({historyOn(June)});
    d = describeChange(&twice, &allMayGone);
    EXPECT_EQ(d.kind, "deleted");
    EXPECT_EQ(d.detail, "deleted 2008-05-07 14:05:30") << "the date once";
}

}  // namespace
