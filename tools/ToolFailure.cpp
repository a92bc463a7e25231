#include "tools/ToolFailure.h"

#include "Class/TVXException.h"
#include "core/TVXStringTable.h"

#include <algorithm>
#include <cstdio>
#include <ios>

int toolFailure(const std::string& message)
{
    std::string line = "quorvane-tool: " + message;
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    std::fprintf(stderr, "%s\n", line.c_str());
    return 1;
}

std::string readFailureText(const std::string& path)
{
    try {
        throw;
    } catch (const TVXCrc_error&) {
        return path + ": " + TVXStringTable::instance().getMessageText(17);
    } catch (const TVXFormat_error& e) {
        return path + ": " + e.what();
    } catch (const std::ios_base::failure&) {
        return path + ": truncated or malformed record file";
    }
}
