#pragma once

#include <string>
#include <vector>

// The entry of a list of free ports that a port choice falls on: the wanted
// port while it is in the list, otherwise the first port; -1 for an empty
// list, so that no port is chosen and the current one stays as it is.
int portChoice(const std::vector<std::string>& freePorts, const std::string& wanted);

// The ports a port choice offers: the free ports, plus the port in use when
// they lack it but its device is there (a pseudo-terminal, a port this
// program or another holds open), placed before the first name that sorts
// after it. A port in use whose device is gone is not offered.
std::vector<std::string> portsOffered(std::vector<std::string> freePorts, const std::string& inUse,
                                      bool inUseExists);

// True when the name is a character device of the system (a terminal, a
// serial port); false for a name such as "COM1" or an adapter unplugged.
bool portDeviceExists(const std::string& name);
