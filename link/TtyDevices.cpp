#include "link/TtyDevices.h"

#include "link/EComPort.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// A sysfs attribute is a short line; anything longer is not what we look for.
std::string readSmallFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string text;
    if (!in)
        return text;
    text.resize(4096);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

bool parseDeviceNumber(const std::string& text, dev_t& device)
{
    unsigned major = 0;
    unsigned minor = 0;
    char colon = 0;
    std::istringstream in(text);
    if (!(in >> major >> colon >> minor) || colon != ':')
        return false;
    device = makedev(major, minor);
    return true;
}

}  // namespace

TtyDevices::TtyDevices(std::string sysClassTty, std::string devDir)
    : sysClassTty_(std::move(sysClassTty))
    , devDir_(std::move(devDir))
{
}

std::vector<std::string> TtyDevices::activeConsoleNames() const
{
    std::vector<std::string> names;
    std::istringstream in(readSmallFile(sysClassTty_ + "/console/active"));
    for (std::string name; in >> name;)
        names.push_back(name);
    return names;
}

std::vector<std::string> TtyDevices::serialPorts() const
{
    DIR* dir = opendir(sysClassTty_.c_str());
    if (!dir) {
        const int reason = errno;
        throw EComPort("cannot list the serial ports (" + sysClassTty_ + "): " + std::strerror(reason), reason);
    }
    const std::vector<std::string> consoles = activeConsoleNames();
    std::vector<std::string> ports;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.' || name == "console" || name == "tty")
            continue;
        if (std::find(consoles.begin(), consoles.end(), name) != consoles.end())
            continue;
        struct stat st {};
        if (stat((sysClassTty_ + "/" + name + "/device").c_str(), &st) != 0)
            continue;
        ports.push_back(devDir_ + "/" + name);
    }
    closedir(dir);
    std::sort(ports.begin(), ports.end());
    return ports;
}

bool TtyDevices::isConsole(dev_t device) const
{
    if (device == makedev(5, 0) || device == makedev(5, 1))
        return true;
    for (const std::string& name : activeConsoleNames()) {
        dev_t console {};
        if (parseDeviceNumber(readSmallFile(sysClassTty_ + "/" + name + "/dev"), console) && console == device)
            return true;
    }
    return false;
}
