#include "link/PortAccess.h"

#include "core/AppTexts.h"

#include <algorithm>
#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string joined(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : ", ") + item;
    return text;
}

}  // namespace

std::string portGroup(const std::string& device)
{
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0)
        return "dialout";
    group entry {};
    group* found = nullptr;
    std::vector<char> buffer(4096);
    while (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) == ERANGE
        && buffer.size() < 1024 * 1024)
        buffer.resize(buffer.size() * 2);
    return found != nullptr && found->gr_name != nullptr ? std::string(found->gr_name) : "dialout";
}

std::string refusedPortLine(const std::string& port, const EComPort& error)
{
    if (error.reason() != EComPort::Reason::Refused)
        return {};
    return appText(AppText::PortRefused, {port, portGroup(port)});
}

std::string refusedPortsLine(const std::vector<UnusablePort>& ports)
{
    std::vector<std::string> names;
    std::vector<std::string> groups;
    for (const UnusablePort& port : ports) {
        if (port.reason != EComPort::Reason::Refused)
            continue;
        names.push_back(port.name);
        const std::string group = portGroup(port.name);
        if (std::find(groups.begin(), groups.end(), group) == groups.end())
            groups.push_back(group);
    }
    if (names.empty())
        return {};
    return appText(AppText::PortsRefused, {joined(names), joined(groups)});
}

std::string unusablePortLine(const UnusablePort& port)
{
    switch (port.reason) {
    case EComPort::Reason::Refused:
        return port.name + ": " + appText(AppText::PortRefusedReason, {portGroup(port.name)});
    case EComPort::Reason::Busy:
        return port.name + ": " + appText(AppText::PortBusyReason);
    default:
        // The port error's text names the port already.
        return port.systemText;
    }
}
