#include "tools/ToolCommands.h"

#include <cstdio>

int runShow(const std::vector<std::string>&)
{
    std::fputs("quorvane-tool: show is not built yet\n", stderr);
    return 1;
}
