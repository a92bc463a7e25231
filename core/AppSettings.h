#pragma once

#include <cstdint>
#include <string>

class IniFile;

// The settings the main window reads at start and writes back at close.
struct AppSettings {
    int height = 775;
    int width = 668;
    int top = 130;
    int left = 200;
    std::uint8_t language = 1;  // French
    bool sortByName = false;
    std::string dbPath;         // never written back
    // [FILEPATH] DBSERVER: the workshop's database server, a postgresql:// URI
    // (its password in ~/.pgpass, never here); empty: the database folder.
    // Never written back.
    std::string dbServer;
    std::string port = "COM1";
    bool autoScan = true;
    std::string wireLog;        // [COM] WIRELOG: a file for a wire log of the link; empty: none. Never written back

    void readFrom(const IniFile& ini);
    // Writes every key but the database's place (folder, server), in the order of the shut-down.
    void writeTo(IniFile& ini) const;
};
