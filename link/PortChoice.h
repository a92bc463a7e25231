#pragma once

#include <string>
#include <vector>

// The entry of a list of free ports that a port choice falls on: the wanted
// port while it is in the list, otherwise the first port; -1 for an empty
// list, so that no port is chosen and the current one stays as it is.
int portChoice(const std::vector<std::string>& freePorts, const std::string& wanted);
