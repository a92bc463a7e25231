#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class FolderIndex;

// The database's table of contents, "dbtisl.chk": a sequence of 6-byte entries,
// each a serial number (4 bytes) and the sum of its four bytes (2 bytes), both
// little-endian. Exactly the record files it lists and that exist are loaded;
// a record file without an entry is ignored.
//
// Calling order: the three setters, GetFileList once, then AddEntry any number
// of times. Every write replaces the checker atomically.
class TVXCheckDir {
public:
    static constexpr const char* DefaultFileName = "dbtisl.chk";
    static constexpr std::size_t EntrySize = 6;
    // A checker of ten million entries is not a checker.
    static constexpr std::size_t MaxCheckFileBytes = 60u * 1024u * 1024u;

    void SetDataDir(const std::string& dir) { dataDir = dir; }
    void SetCheckDir(const std::string& dir) { checkDir = dir; }
    void SetCheckFileName(const std::string& name) { checkFileName = name; }

    // The paths of the listed record files, in checker order (a serial listed
    // twice comes twice). Entries with a wrong sum or without a file are left
    // out, and the checker is rewritten without them. Throws TVXDBFC_error
    // "no db checker file or corrupted" when the checker cannot be read or its
    // size is not a multiple of 6; it is then left as it is.
    std::vector<std::string> GetFileList();

    // Appends the entry of the serial spelled by serialHex (hexadecimal digits,
    // no prefix). No duplicate test is made here. False, with LastError(), when
    // the digits are not a serial or the checker cannot be read or written;
    // the checker then stays as it was.
    bool AddEntry(const std::string& serialHex);

    // Makes the empty checker of a new database: a folder that has neither a
    // checker nor any record file. False, with LastError() when the write
    // failed, when the folder is not such a one.
    bool StartNewDatabase();

    static std::uint16_t EntrySum(std::uint32_t serial);
    // The 6 bytes of the entry of a serial.
    static std::string EncodeEntry(std::uint32_t serial);

    struct Entry {
        std::uint32_t serial;
        std::uint16_t sum;
        bool valid() const { return sum == EntrySum(serial); }
    };
    // The entries of a checker's bytes in file order; a last incomplete entry
    // is not one (the size check is the caller's: such a checker is damaged).
    static std::vector<Entry> DecodeEntries(std::string_view bytes);

    // Whether the checker holds a valid entry for the serial (read at start or
    // added since), whether its file loaded or not.
    bool IsListed(std::uint32_t serial) const { return listed_.count(serial) != 0; }
    std::string CheckFilePath() const;
    // The reason of the last failed read or write of the checker.
    const std::string& LastError() const { return lastError_; }
    // True when the start-up rewrite was needed and failed.
    bool RewriteFailed() const { return rewriteFailed_; }

private:
    bool ReadCheckFile();
    bool WriteCheckFile();
    // The path of the record file of an entry, or empty when none exists.
    std::string FindRecordFile(std::uint32_t serial, FolderIndex& folder) const;

    std::string dataDir;
    std::string checkDir;
    std::string checkFileName = DefaultFileName;
    std::vector<std::string> fileList;
    std::vector<std::uint32_t> listedSerials_;  // in step with fileList

    std::unordered_set<std::uint32_t> listed_;
    std::string checkBytes_;  // the checker as it is on disk
    std::string lastError_;
    bool rewriteFailed_ = false;
};
