#include "tools/ToolCommands.h"

#include <cstdio>

int runCheck(const std::vector<std::string>&)
{
    std::fputs("quorvane-tool: check is not built yet\n", stderr);
    return 1;
}
