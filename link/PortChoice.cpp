#include "link/PortChoice.h"

#include <algorithm>
#include <sys/stat.h>

int portChoice(const std::vector<std::string>& freePorts, const std::string& wanted)
{
    if (freePorts.empty())
        return -1;
    const auto found = std::find(freePorts.begin(), freePorts.end(), wanted);
    return found == freePorts.end() ? 0 : static_cast<int>(found - freePorts.begin());
}

std::vector<std::string> portsOffered(std::vector<std::string> freePorts, const std::string& inUse,
                                      bool inUseExists)
{
    if (!inUseExists || inUse.empty() || std::find(freePorts.begin(), freePorts.end(), inUse) != freePorts.end())
        return freePorts;
    const auto after = std::find_if(freePorts.begin(), freePorts.end(),
                                    [&inUse](const std::string& name) { return inUse < name; });
    freePorts.insert(after, inUse);
    return freePorts;
}

bool portDeviceExists(const std::string& name)
{
    struct stat st {};
    return !name.empty() && ::stat(name.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}
