#include "tools/ToolCommands.h"

#include "Class/HistoryRender.h"
#include "Class/RecordFile.h"
#include "Component/RecordFileName.h"
#include "Component/RecordImport.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "tools/ToolFailure.h"
#include "tools/ToolInput.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

bool hasBinExtension(const std::string& path)
{
    return sameNameIgnoringCase(std::filesystem::path(path).extension().string(), ".bin");
}

// The "Copy data" text of a record with one history's tab active: the owner
// lines, an empty line and the history's block.
void appendRecordText(std::vector<std::string>& lines, const TVXMowerLog& record, const TVXLog* history)
{
    const TVXOwner& owner = record.getOwner();
    lines.push_back(catalogueText(37));
    lines.push_back(catalogueText(38) + ": " + owner.getName());
    lines.push_back(catalogueText(39) + ": " + owner.getSurname());
    lines.push_back(catalogueText(40) + ": " + owner.getAddress());
    if (!history)
        return;
    lines.emplace_back();
    for (std::string& line : renderHistoryText(*history))
        lines.push_back(std::move(line));
}

int usage()
{
    std::fputs("usage: quorvane-tool show [--lang N] FILE\n", stderr);
    return 2;
}

}  // namespace

int runShow(const std::vector<std::string>& args)
{
    int language = 0;
    std::string path;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--lang" && i + 1 < args.size()) {
            const auto chosen = languageArgument(args[++i]);
            if (!chosen)
                return usage();
            language = *chosen;
        } else if (path.empty() && !args[i].empty() && (args[i][0] != '-' || args[i] == "-")) {
            path = args[i];
        } else {
            return usage();
        }
    }
    if (path.empty())
        return usage();
    TVXStringTable::instance().setLanguage(static_cast<std::uint8_t>(language));

    const std::optional<std::string> input = readInputFile(path);
    if (!input)
        return 1;
    const std::string& bytes = *input;

    std::vector<std::string> lines;
    try {
        if (hasBinExtension(path)) {
            // What the application would refuse to file is not shown as a history.
            if (const auto defect = binHistoryDefect(bytes); defect && bytes.size() == BinHistoryFileSize)
                return toolFailure(path + ": " + catalogueText(Msg::CorruptedFile) + ": " + *defect);
            const auto history = readBinHistory(bytes);
            lines = renderHistoryText(*history);
        } else {
            const auto record = readRecordFile(bytes);
            if (record->getLogCount() == 0)
                appendRecordText(lines, *record, nullptr);
            for (const auto& [date, history] : record->logs())
                appendRecordText(lines, *record, history.get());
        }
    } catch (...) {
        return toolFailure(readFailureText(path));
    }

    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
        return toolFailure(path + ": " + "cannot write to standard output");
    return 0;
}
