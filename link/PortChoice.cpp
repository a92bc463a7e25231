#include "link/PortChoice.h"

#include <algorithm>

int portChoice(const std::vector<std::string>& freePorts, const std::string& wanted)
{
    if (freePorts.empty())
        return -1;
    const auto found = std::find(freePorts.begin(), freePorts.end(), wanted);
    return found == freePorts.end() ? 0 : static_cast<int>(found - freePorts.begin());
}
