#include "core/AppSettings.h"

#include "core/IniFile.h"

void AppSettings::readFrom(const IniFile& ini)
{
    const AppSettings defaults;
    height = ini.readInteger("MainForm", "Height", defaults.height);
    width = ini.readInteger("MainForm", "Width", defaults.width);
    top = ini.readInteger("MainForm", "Top", defaults.top);
    left = ini.readInteger("MainForm", "Left", defaults.left);
    language = static_cast<std::uint8_t>(ini.readInteger("GENERAL", "LANGUAGE", defaults.language));
    dbPath = ini.readString("FILEPATH", "DBPATH", defaults.dbPath);
    dbServer = ini.readString("FILEPATH", "DBSERVER", defaults.dbServer);
    port = ini.readString("COM", "PORT", defaults.port);
    autoScan = ini.readBool("COM", "AUTO", defaults.autoScan);
    wireLog = ini.readString("COM", "WIRELOG", defaults.wireLog);
    sortByName = ini.readBool("GENERAL", "SORTBYNAME", defaults.sortByName);
}

void AppSettings::writeTo(IniFile& ini) const
{
    ini.writeInteger("MainForm", "Height", height);
    ini.writeInteger("MainForm", "Width", width);
    ini.writeInteger("MainForm", "Top", top);
    ini.writeInteger("MainForm", "Left", left);
    ini.writeString("COM", "PORT", port);
    ini.writeBool("COM", "AUTO", autoScan);
    ini.writeInteger("GENERAL", "LANGUAGE", language);
    ini.writeBool("GENERAL", "SORTBYNAME", sortByName);
    if (dbServerChosen)
        ini.writeString("FILEPATH", "DBSERVER", dbServer);
}
