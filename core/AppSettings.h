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
    std::string dbServer;
    // Set when the options dialog chose the database: DBSERVER is written as
    // dbServer then (empty: the folder). Otherwise the file keeps its own.
    bool dbServerChosen = false;
    std::string port = "COM1";
    bool autoScan = true;
    std::string wireLog;        // [COM] WIRELOG: a file for a wire log of the link; empty: none. Never written back

    void readFrom(const IniFile& ini);
    // Writes every key, in the order of the shut-down, but the database's
    // folder, and its server only when it was chosen (dbServerChosen).
    void writeTo(IniFile& ini) const;
};
