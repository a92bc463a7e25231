#pragma once

#include <string>
#include <string_view>

class TDBMower;
class TVXMowerLog;

// Text folded for searching: ASCII letters in lower case, the accented Latin
// letters of UTF-8 reduced to their base letters (ß to "ss", œ to "oe",
// æ to "ae"); other characters are kept as they are.
std::string foldForSearch(std::string_view utf8);

// True when the newest history of the record (by date) holds an alarm event.
bool newestHistoryHasAlarms(const TVXMowerLog& record);

// What a search looks at in one entry, built once when the list is arranged
// or the record changes, so that a keystroke only compares strings.
struct MowerSearchKey {
    std::string text;        // owner name, surname, address, caption, identifier, serial; folded
    std::string idDashless;  // the machine identifier folded, without its dashes
    bool alarms = false;     // newestHistoryHasAlarms
};

MowerSearchKey searchKeyOf(const TDBMower& mower);

// A typed text ("contains", ignoring case and accents; an identifier with or
// without dashes) and the "with alarms" toggle.
class MowerFilter {
public:
    void Set(std::string_view text, bool alarmsOnly);
    // False when the filter lets every entry through.
    bool IsActive() const { return !query_.empty() || alarmsOnly_; }
    bool Matches(const MowerSearchKey& key) const;

private:
    std::string query_;
    std::string queryDashless_;
    bool alarmsOnly_ = false;
};
