#include "Component/TDBMowerList.h"

#include "Class/TVXMowerLog.h"
#include "DatabaseFixture.h"

using namespace fixture;

namespace {

RecordFixture named(std::uint32_t serial, std::string name, std::uint32_t idNumber = 1)
{
    RecordFixture r;
    r.serial = serial;
    r.name = std::move(name);
    r.surname = "X";
    r.idNumber = idNumber;
    r.histories.push_back(HistoryFixture {.serial = serial, .comment = {}});
    return r;
}

std::vector<std::uint32_t> order(const TDBMowerList& list)
{
    std::vector<std::uint32_t> serials;
    for (const auto& mower : list.Entries())
        serials.push_back(mower->GetSerial());
    return serials;
}

std::vector<std::pair<int, int>> positions(const TDBMowerList& list)
{
    std::vector<std::pair<int, int>> at;
    for (const auto& mower : list.Entries())
        at.emplace_back(mower->GetLeft(), mower->GetTop());
    return at;
}

using ListLayoutTest = DatabaseTest;

TEST_F(ListLayoutTest, WidthDecidesTilesPerRowAndANewWidthDoesNotSort)
{
    for (std::uint32_t s = 1; s <= 5; ++s)
        addRecordFile(named(s, "N" + std::to_string(s)));
    load();
    EXPECT_EQ(list.TilesPerRow(), 2);
    EXPECT_EQ(list.ContentHeight(), 305);

    list.SetWidth(330);  // x = 210 < 235 still starts a tile
    EXPECT_EQ(list.TilesPerRow(), 3);
    EXPECT_EQ(positions(list),
              (std::vector<std::pair<int, int>> {{0, 0}, {105, 0}, {210, 0}, {0, 100}, {105, 100}}));
    EXPECT_EQ(list.ContentHeight(), 205);

    // Sorting is the caller's (or a caption's) business: a new width keeps the
    // order even when the entries are not in sort order.
    list.Entries()[0]->GetMowerHandle().getOwner().setName("Zed");
    const int arranged = observer.arranged;
    list.SetWidth(221);
    EXPECT_EQ(order(list), (std::vector<std::uint32_t> {1, 2, 3, 4, 5}));
    EXPECT_EQ(observer.arranged, arranged + 1);
    list.SetWidth(221);  // the same width: nothing to do
    EXPECT_EQ(observer.arranged, arranged + 1);
    list.Arrange();
    EXPECT_EQ(order(list), (std::vector<std::uint32_t> {2, 3, 4, 5, 1}));

    list.SetWidth(50);  // narrower than one tile: one per row
    EXPECT_EQ(list.TilesPerRow(), 1);
    EXPECT_EQ(list.Entries()[4]->GetTop(), 400);
}

TEST_F(ListLayoutTest, EqualNamesAreOrderedBySerialInEitherSort)
{
    // Loaded in checker order 30, 10, 20: the same name and machine number.
    addRecordFile(named(30, "Same"));
    addRecordFile(named(10, "same"));
    addRecordFile(named(20, "Same"));
    load();
    list.SortByName();
    EXPECT_EQ(order(list), (std::vector<std::uint32_t> {10, 20, 30}));
    list.SortByMachineId();
    EXPECT_EQ(order(list), (std::vector<std::uint32_t> {10, 20, 30}));
    list.SortByName();
    EXPECT_EQ(order(list), (std::vector<std::uint32_t> {10, 20, 30}));
}

TEST_F(ListLayoutTest, HitTestFindsTheTileUnderAPoint)
{
    for (std::uint32_t s = 1; s <= 5; ++s)
        addRecordFile(named(s, "N" + std::to_string(s)));
    load();  // two per row: 1 2 / 3 4 / 5
    auto serialAt = [&](int x, int y) -> std::uint32_t {
        const TDBMower* mower = list.EntryAt(x, y);
        return mower ? mower->GetSerial() : 0;
    };
    EXPECT_EQ(serialAt(0, 0), 1u);
    EXPECT_EQ(serialAt(104, 99), 1u);
    EXPECT_EQ(serialAt(105, 0), 2u);
    EXPECT_EQ(serialAt(106, 150), 4u);
    EXPECT_EQ(serialAt(50, 250), 5u);
    EXPECT_EQ(serialAt(150, 250), 0u);  // no tile beside the last one
    EXPECT_EQ(serialAt(150, 202), 4u);  // the bottom edge of the tile above
    EXPECT_EQ(serialAt(50, 304), 5u);
    EXPECT_EQ(serialAt(50, 305), 0u);
    EXPECT_EQ(serialAt(210, 10), 0u);  // right of the last column
    EXPECT_EQ(serialAt(-1, 10), 0u);
}

TEST_F(ListLayoutTest, EntriesBetweenCoverEveryTileThatReachesTheBand)
{
    for (std::uint32_t s = 1; s <= 9; ++s)
        addRecordFile(named(s, "N" + std::to_string(s)));
    load();  // rows at 0, 100, 200, 300, 400 (the last one holds one tile)
    EXPECT_EQ(list.EntriesBetween(0, 99), (std::pair<std::size_t, std::size_t> {0, 2}));
    EXPECT_EQ(list.EntriesBetween(0, 100), (std::pair<std::size_t, std::size_t> {0, 2}));
    EXPECT_EQ(list.EntriesBetween(0, 101), (std::pair<std::size_t, std::size_t> {0, 4}));
    EXPECT_EQ(list.EntriesBetween(40, 40), (std::pair<std::size_t, std::size_t> {0, 0}));
    EXPECT_EQ(list.EntriesBetween(203, 250), (std::pair<std::size_t, std::size_t> {2, 6}));
    EXPECT_EQ(list.EntriesBetween(205, 250), (std::pair<std::size_t, std::size_t> {4, 6}));
    EXPECT_EQ(list.EntriesBetween(350, 2000), (std::pair<std::size_t, std::size_t> {6, 9}));
    for (int top = 0; top < 520; top += 7) {
        const auto [first, last] = list.EntriesBetween(top, top + 60);
        for (std::size_t i = 0; i < list.Entries().size(); ++i) {
            const int tileTop = list.Entries()[i]->GetTop();
            const bool reaches = tileTop < top + 60 && tileTop + TDBMower::TileSize > top;
            if (reaches) {
                EXPECT_TRUE(i >= first && i < last) << "tile " << i << " band " << top;
            }
        }
    }
}

}  // namespace
