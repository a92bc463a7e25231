#include "tools/ToolCommands.h"

#include <cstdio>

static int notYet()
{
    std::fputs("quorvane-tool: the link commands are not built yet\n", stderr);
    return 1;
}

int runPorts(const std::vector<std::string>&) { return notYet(); }
int runDownload(const std::vector<std::string>&) { return notYet(); }
int runUpgrade(const std::vector<std::string>&) { return notYet(); }
