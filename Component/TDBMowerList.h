#pragma once

#include "Component/MowerFilter.h"
#include "Component/TDBMower.h"
#include "Component/TileLayout.h"
#include "Component/RecordStore.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class MowerListObserver;
class RecordWindowFactory;
class TVXLog;
class TVXMowerLog;
class UserInteraction;

// The database in memory: one entry per record file that the checker lists,
// arranged in rows of tiles sorted by owner name or by machine identifier.
// The application's main window owns the one list, gives it the width of its
// view, the user, the record windows and an observer, and calls Load at
// start-up and SaveAll at the end of the run.
class TDBMowerList {
public:
    static constexpr int ColumnStep = TileLayout::ColumnStep;
    static constexpr int RowStep = TileLayout::RowStep;
    static constexpr int RowBreakMargin = TileLayout::RowBreakMargin;

    TDBMowerList(UserInteraction& user, RecordWindowFactory& windows);
    ~TDBMowerList();
    TDBMowerList(const TDBMowerList&) = delete;
    TDBMowerList& operator=(const TDBMowerList&) = delete;

    void SetObserver(MowerListObserver* observer) { observer_ = observer; }
    // The width of the view in pixels; rows break at width - 95. A new width
    // places the tiles again in the order they have: nothing is sorted.
    void SetWidth(int width);
    int GetWidth() const { return layout_.width(); }
    // The sort mode as read from the settings; takes effect at the next Arrange.
    void SetSortByName(bool byName) { sortByName = byName; }
    bool GetSortByName() const { return sortByName; }

    // Loads the records of the folder through a folder store of its own
    // (without its lock: the application opens its store itself and calls
    // LoadFrom). A new database (no checker, no record file) gets its empty
    // checker. Throws TVXDBFC_error when the checker is otherwise missing, or
    // damaged: the list then stays empty, and new records still register with
    // the checker. A record file that cannot be loaded gets a trace-log line
    // and no entry.
    bool Load(const std::string& folder);
    // The same from a store that the caller opened and keeps for the run. The
    // list holds each record's caption; its histories are read when needed.
    bool LoadFrom(RecordStore& store);
    // Refreshes the captions, sorts the entries and places their tiles. The
    // sort is stable and ends on the serial number, so tiles with equal names
    // keep their order from one arrangement to the next.
    void Arrange();
    void SortByName();
    void SortByMachineId();

    // Files a history into the first record (display order) with its serial
    // number. The record is written and its window opened or raised; when the
    // write fails (reported) nothing changed and the caller keeps the history.
    InsertResult InsertLog(std::unique_ptr<TVXLog>& history);
    // The machine identifiers of all entries, in display order.
    std::vector<std::string> GetMachineIdList() const;
    // Files a history into the first record showing that machine identifier
    // (NoRecord when there is none); the results are those of InsertLog.
    InsertResult InsertLogInto(const std::string& machineId, std::unique_ptr<TVXLog>& history);
    // Makes a new record named after the record's serial number in the store
    // (an older unlisted file of that name is set aside first), its entry in
    // the table of contents and its entry in the list, and opens its window.
    // False, with the record left with the caller, when the name belongs to a
    // loaded record or the record cannot be written (each reported): the list
    // is then as it was.
    bool CreateRecord(std::unique_ptr<TVXMowerLog>& record);
    bool MachineExists(std::uint8_t typeCode, std::uint8_t idYear, std::uint32_t idNumber,
                       std::uint8_t idSuffix) const;
    // The last entry (display order) with that serial number, or null.
    TDBMower* FindBySerial(std::uint32_t serial) const;
    // The last entry whose record has all four values, or null.
    TDBMower* FindByIdentity(std::uint8_t typeCode, std::uint8_t idYear, std::uint8_t idSuffix,
                             std::uint32_t idNumber) const;
    // Brings the list in line with the changes that other PCs made and the
    // store announced: a changed record's tile, and its window when it is
    // open (what the dealer is typing stays); a new record's tile; all of
    // it listed again when announcements were missed (a broken connection).
    // True when anything changed.
    bool CatchUp();
    TDBMower* FindByKey(const std::string& key) const;
    // Writes every record whose window was opened; false when any write failed.
    bool SaveAll();
    // Asks the view to repaint the list.
    void Refresh();

    // Shows only the entries whose owner, address, identifier or serial
    // contains the text (case and accents ignored, dashes optional in an
    // identifier) and, with alarmsOnly, whose newest history holds alarms.
    // The sort order stays; the matching tiles are placed again, the others
    // get the position (-1, -1). An empty text without the toggle shows all.
    void SetFilter(std::string_view text, bool alarmsOnly);
    // The shown entries in display order; all of them without a filter.
    std::size_t VisibleCount() const { return visible_.size(); }
    TDBMower* VisibleEntry(std::size_t index) const { return visible_[index]; }
    const std::vector<TDBMower*>& Visible() const { return visible_; }

    // The layout as a view needs it, in content coordinates (the top of the
    // first row is 0), over the shown entries only. The entry whose tile is
    // at that point, or null.
    TDBMower* EntryAt(int x, int y) const;
    // The height of all rows: the last tile's bottom, 0 for an empty list.
    int ContentHeight() const;
    // The shown entries (indexes [first, last) into Visible()) whose tiles reach
    // into the band [top, bottom).
    std::pair<std::size_t, std::size_t> EntriesBetween(int top, int bottom) const;
    // Tiles in one row at the current width.
    int TilesPerRow() const { return layout_.tilesPerRow(); }

    const std::vector<std::unique_ptr<TDBMower>>& Entries() const { return entries; }
    RecordStore& Store() { return *store_; }

    // For the entries.
    UserInteraction& User() { return user_; }
    RecordWindowFactory& Windows() { return windows_; }
    void NotifyChanged(const TDBMower& mower);

private:
    void CreateEntries(const std::vector<RecordCaption>& captions);
    // The record of that mower that another PC made since the list was read,
    // added to the list; null when there is none.
    TDBMower* CatchUpWithMower(std::uint32_t serial);
    // False when no unopened entry has that key.
    bool RemoveUnopened(const std::string& key);
    void PlaceTiles();

    void BuildSearchKeys();

    std::vector<std::unique_ptr<TDBMower>> entries;
    // In step with entries: rebuilt by Arrange, one refreshed by NotifyChanged.
    std::vector<MowerSearchKey> searchKeys_;
    MowerFilter filter_;
    std::vector<TDBMower*> visible_;
    std::unique_ptr<RecordStore> ownStore_;
    RecordStore* store_ = nullptr;
    bool sortByName = true;

    UserInteraction& user_;
    RecordWindowFactory& windows_;
    MowerListObserver* observer_ = nullptr;
    TileLayout layout_;
};
