#include "Component/MowerFilter.h"
#include "Component/TDBMowerList.h"

#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "DatabaseFixture.h"

#include <gtest/gtest.h>

using namespace fixture;

namespace {

TEST(FoldForSearchTest, LowersCaseAndReducesLatinLettersToTheirBase)
{
    EXPECT_EQ(foldForSearch("MÜLLER"), "muller");
    EXPECT_EQ(foldForSearch("Lefèvre"), "lefevre");
    EXPECT_EQ(foldForSearch("Straße"), "strasse");
    EXPECT_EQ(foldForSearch("Œuvre cœur"), "oeuvre coeur");
    EXPECT_EQ(foldForSearch("ÀÉÎÕÜÇÑØÅ àéîõüçñøåÿ"), "aeioucnoa aeioucnoay");
    EXPECT_EQ(foldForSearch("Łódź Šťastný"), "lodz stastny");
    // Signs without a base letter stay as they are, so do broken sequences.
    EXPECT_EQ(foldForSearch("2×3 €"), "2×3 €");
    EXPECT_EQ(foldForSearch(std::string("a\xC3", 2)), std::string("a\xC3", 2));
}

RecordFixture owner(std::uint32_t serial, std::string name, std::string surname, std::string address,
                    std::uint32_t idNumber)
{
    RecordFixture r;
    r.serial = serial;
    r.name = std::move(name);
    r.surname = std::move(surname);
    r.address = std::move(address);
    r.idNumber = idNumber;
    r.histories.push_back(HistoryFixture {.serial = serial, .comment = {}});
    return r;
}

std::vector<std::uint32_t> shown(const TDBMowerList& list)
{
    std::vector<std::uint32_t> serials;
    for (const TDBMower* mower : list.Visible())
        serials.push_back(mower->GetSerial());
    return serials;
}

using Serials = std::vector<std::uint32_t>;

class MowerFilterTest : public DatabaseTest {
protected:
    void loadOwners()
    {
        // Fixture texts are Windows-1252 in the files: "Müller", "Lefèvre".
        addRecordFile(owner(0x00A1B2C3, "M\xFCller", "Hans", "Hauptstra\xDF" "e 4\n", 123));
        addRecordFile(owner(0x00000011, "Lef\xE8vre", "Anne", "Rue Haute 9\n", 456));
        addRecordFile(owner(0x00000022, "Zorn", "Eva", "Bahnweg 2\nBern\n", 789));
        load();
    }
};

TEST_F(MowerFilterTest, MatchesOwnerAddressIdentifierAndSerialIgnoringCaseAndAccents)
{
    loadOwners();
    ASSERT_EQ(list.Entries().size(), 3u);
    const Serials all = shown(list);
    EXPECT_EQ(all.size(), 3u);

    list.SetFilter("muller", false);
    EXPECT_EQ(shown(list), (Serials {0x00A1B2C3}));
    list.SetFilter("LEFEVRE", false);
    EXPECT_EQ(shown(list), (Serials {0x00000011}));
    list.SetFilter("hauptstrasse", false);  // the address, ß typed as ss
    EXPECT_EQ(shown(list), (Serials {0x00A1B2C3}));
    list.SetFilter("bern", false);  // a second address line
    EXPECT_EQ(shown(list), (Serials {0x00000022}));
    list.SetFilter("eva", false);  // the surname
    EXPECT_EQ(shown(list), (Serials {0x00000022}));

    // The serial as 8 hex digits, in any case, in part.
    list.SetFilter("00a1b2c3", false);
    EXPECT_EQ(shown(list), (Serials {0x00A1B2C3}));
    list.SetFilter("A1B2", false);
    EXPECT_EQ(shown(list), (Serials {0x00A1B2C3}));

    // The identifier with its dashes, without them, or in part.
    const std::string id = list.FindBySerial(0x00000011)->GetMachineIdText();
    ASSERT_NE(id.find('-'), std::string::npos);
    list.SetFilter(id, false);
    EXPECT_EQ(shown(list), (Serials {0x00000011}));
    std::string dashless;
    for (char c : id)
        if (c != '-')
            dashless += c;
    list.SetFilter(dashless, false);
    EXPECT_EQ(shown(list), (Serials {0x00000011}));
    list.SetFilter(dashless.substr(0, dashless.size() - 2), false);
    EXPECT_EQ(shown(list), (Serials {0x00000011}));

    list.SetFilter("nobody", false);
    EXPECT_TRUE(shown(list).empty());
    EXPECT_EQ(list.VisibleCount(), 0u);
    EXPECT_EQ(list.ContentHeight(), 0);
    // Blanks alone, or around the text, do not count.
    list.SetFilter("  ", false);
    EXPECT_EQ(shown(list), all);
    list.SetFilter(" zorn ", false);
    EXPECT_EQ(shown(list), (Serials {0x00000022}));
    // Every entry stays in the list itself.
    EXPECT_EQ(list.Entries().size(), 3u);
}

TEST_F(MowerFilterTest, KeepsTheSortOrderAndPlacesOnlyTheShownTiles)
{
    for (std::uint32_t s = 1; s <= 6; ++s)
        addRecordFile(owner(s, (s % 2 ? "Odd" : "Even") + std::to_string(s), "X", "", s));
    load();
    ASSERT_EQ(list.TilesPerRow(), 2);
    const int arranged = observer.arranged;

    list.SetFilter("odd", false);
    EXPECT_EQ(observer.arranged, arranged + 1);
    EXPECT_EQ(shown(list), (Serials {1, 3, 5}));
    EXPECT_EQ(list.VisibleCount(), 3u);
    // The shown tiles stand in rows as if alone; the hidden ones have no place.
    EXPECT_EQ(list.VisibleEntry(1)->GetLeft(), TDBMowerList::ColumnStep);
    EXPECT_EQ(list.VisibleEntry(2)->GetTop(), TDBMowerList::RowStep);
    EXPECT_EQ(list.FindBySerial(2)->GetLeft(), -1);
    EXPECT_EQ(list.ContentHeight(), TDBMowerList::RowStep + TDBMower::TileSize);

    // Hit tests and bands answer with shown entries only.
    EXPECT_EQ(list.EntryAt(TDBMowerList::ColumnStep + 10, 10)->GetSerial(), 3u);
    EXPECT_EQ(list.EntryAt(10, TDBMowerList::RowStep + 10)->GetSerial(), 5u);
    EXPECT_EQ(list.EntryAt(TDBMowerList::ColumnStep + 10, TDBMowerList::RowStep + 10), nullptr);
    EXPECT_EQ(list.EntriesBetween(0, 1000), (std::pair<std::size_t, std::size_t> {0, 3}));
    EXPECT_EQ(list.EntriesBetween(TDBMower::TileSize + 1, 1000), (std::pair<std::size_t, std::size_t> {2, 3}));

    // A new width or a new sort keeps the filter.
    list.SetWidth(330);
    EXPECT_EQ(list.TilesPerRow(), 3);
    EXPECT_EQ(list.VisibleEntry(2)->GetLeft(), 2 * TDBMowerList::ColumnStep);
    list.SortByMachineId();
    EXPECT_EQ(list.VisibleCount(), 3u);

    list.SetFilter("", false);
    EXPECT_EQ(list.VisibleCount(), 6u);
    EXPECT_EQ(list.FindBySerial(2)->GetLeft(), TDBMowerList::ColumnStep);
}

TEST_F(MowerFilterTest, AlarmToggleLooksAtTheNewestHistoryOnly)
{
    // A history whose image is filled with 5 holds alarm events only; one
    // filled with 4 has events, none an alarm.
    auto record = [](std::uint32_t serial, std::uint8_t older, std::uint8_t newer) {
        RecordFixture r = owner(serial, "Owner" + std::to_string(serial), "X", "", serial);
        r.histories.clear();
        r.histories.push_back(HistoryFixture {.serial = serial, .date = {2008, 5, 7, 14, 5, 30}, .imageFill = older});
        r.histories.push_back(HistoryFixture {.serial = serial, .date = {2009, 5, 7, 14, 5, 30}, .imageFill = newer});
        return r;
    };
    addRecordFile(record(1, 5, 4));  // alarms in the older history only
    addRecordFile(record(2, 4, 5));  // alarms in the newest
    addRecordFile(record(3, 0, 0));  // no events
    load();
    ASSERT_EQ(list.Entries().size(), 3u);
    const TVXLog& newest = *list.FindBySerial(1)->GetMowerHandle().logs().rbegin()->second;
    ASSERT_GT(newest.getEventCount(), 0u);

    EXPECT_FALSE(newestHistoryHasAlarms(list.FindBySerial(1)->GetMowerHandle()));
    EXPECT_TRUE(newestHistoryHasAlarms(list.FindBySerial(2)->GetMowerHandle()));
    EXPECT_FALSE(newestHistoryHasAlarms(list.FindBySerial(3)->GetMowerHandle()));

    list.SetFilter("", true);
    EXPECT_EQ(shown(list), (Serials {2}));
    // Text and toggle both apply.
    list.SetFilter("owner1", true);
    EXPECT_TRUE(shown(list).empty());
    list.SetFilter("owner2", true);
    EXPECT_EQ(shown(list), (Serials {2}));
    list.SetFilter("owner", false);
    EXPECT_EQ(list.VisibleCount(), 3u);
}

TEST_F(MowerFilterTest, AChangedRecordIsMatchedOnItsNewTexts)
{
    loadOwners();
    list.SetFilter("rue haute", false);
    ASSERT_EQ(shown(list), (Serials {0x00000011}));
    TDBMower& zorn = *list.FindBySerial(0x00000022);
    zorn.GetMowerHandle().getOwner().setAddress("Rue Haute 11\n");
    list.NotifyChanged(zorn);
    EXPECT_EQ(list.VisibleCount(), 2u);
    EXPECT_GE(zorn.GetLeft(), 0);
}

}  // namespace
