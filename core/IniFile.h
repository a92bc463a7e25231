#pragma once

#include "core/AtomicFile.h"

#include <memory>
#include <string>

// An INI file read once and written back whole. Sections, key order and the
// comments a person wrote survive a rewrite; values are kept as raw bytes.
// Section and key names match without regard to case, as they always have on
// the dealers' machines.
class IniFile {
public:
    IniFile();
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // A missing file is an empty settings file; false (with the reason) only
    // when something at the path cannot be read whole. Such a file holds the
    // dealer's settings as far as we know: save() then refuses to write over it.
    bool open(const std::string& path, std::string& error);
    bool readable() const { return unreadable_.empty(); }
    const std::string& path() const { return path_; }

    // Integers are decimal, or hexadecimal after "0x"; anything else, and a
    // missing key, yields the default.
    int readInteger(const std::string& section, const std::string& key, int defaultValue) const;
    // Read as an integer: any value other than 0 is true.
    bool readBool(const std::string& section, const std::string& key, bool defaultValue) const;
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;

    void writeInteger(const std::string& section, const std::string& key, int value);
    void writeBool(const std::string& section, const std::string& key, bool value);
    void writeString(const std::string& section, const std::string& key, const std::string& value);

    // Writes the whole file atomically; refused when open() could not read it.
    WriteResult save() const;

    static bool parseInteger(const std::string& text, int& value);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string path_;
    std::string unreadable_;  // why open() could not read the file
};
