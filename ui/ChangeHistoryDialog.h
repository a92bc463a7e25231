#pragma once

#include <QDialog>

#include <cstdint>
#include <string>
#include <vector>

class ChangeHistoryModel;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QTableView;
class RecordStore;
class TDBMower;
class TVXLogTime;
class UserInteraction;
struct JournalEntry;

// The change of the journal as the dealer reads it, in his language: each
// kind of change a short text with the dates it concerns ("History deleted:
// 07/05/2008 14:05:30"). `undoneKind` is the kind of the change that an undo
// undid, which tells whether its record came back or went.
std::string changeEntryText(const JournalEntry& entry, const std::string& undoneKind = {});

// The dates of the histories that a change deleted; none when it deleted none.
std::vector<TVXLogTime> deletedHistoryDates(const JournalEntry& entry);

// The history of changes of one record, as the database server's journal
// keeps it: one line a change, oldest first, with its number, when, on which
// PC by which user, and what it did; the selected change's text stands whole
// under the table. A change that deleted histories can file them again
// ("Restore"), from the record as the journal kept it.
class ChangeHistoryDialog : public QDialog {
    Q_OBJECT
public:
    ChangeHistoryDialog(TDBMower& mower, RecordStore& store, UserInteraction& user, QWidget* parent = nullptr);
    ~ChangeHistoryDialog() override;

    // Reads the record's journal again, the newest change selected. False
    // when it cannot be read (the dealer was told why).
    bool reload();

    QSize sizeHint() const override;

private slots:
    void restoreClick();
    // Restore for a change that deleted histories; its text under the table.
    void showSelection();

private:
    // The change on the selected line, or null.
    const JournalEntry* selectedEntry() const;
    void selectChange(std::int64_t change);
    void fitColumns();

    TDBMower& mower_;
    RecordStore& store_;
    UserInteraction& user_;
    ChangeHistoryModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* detail_ = nullptr;
    QPushButton* restore_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    int changeWidth_ = 0;  // what the change column's widest text needs
};
