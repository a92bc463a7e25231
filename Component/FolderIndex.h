#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The names of a folder, found ignoring the case of ASCII letters. The folder
// is read on the first question only, so that a database whose files carry
// the expected names is never listed at all.
class FolderIndex {
public:
    explicit FolderIndex(std::string folder) : folder_(std::move(folder)) {}

    // The name as it is on disk of an entry whose name equals `name` ignoring
    // case; nothing when there is none or the folder cannot be read.
    std::optional<std::string> find(const std::string& name);
    // Every entry name of the folder but "." and "..".
    const std::vector<std::string>& names();
    // Whether the folder could be listed (it is read now if need be).
    bool readable();
    // Forgets what was read, after the folder changed.
    void invalidate() { loaded_ = false; }

private:
    void load();

    std::string folder_;
    bool loaded_ = false;
    bool readable_ = false;
    std::vector<std::string> names_;
    std::unordered_map<std::string, std::string> byLowerName_;
    std::unordered_set<std::string_view> exactNames_;  // views into names_
};
