#include "tools/ToolCommands.h"

#include "Class/HistoryTrends.h"
#include "Class/RecordFile.h"
#include "Class/TVXMowerLog.h"
#include "Component/ServiceReport.h"
#include "core/TVXStringTable.h"
#include "report/ServiceReportPdf.h"
#include "tools/ToolFailure.h"
#include "tools/ToolInput.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::fputs("usage: quorvane-tool report FILE.dat [--history N] [--lang N] --out REPORT.pdf\n"
               "  --history N   the Nth reading in date order, 1 the oldest (default: the newest)\n",
               stderr);
    return 2;
}

}  // namespace

int runReport(const std::vector<std::string>& args)
{
    int language = 0;
    std::size_t historyNumber = 0;  // 0: the newest
    std::string path;
    std::string out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--lang" && hasValue) {
            const auto chosen = languageArgument(args[++i]);
            if (!chosen)
                return usage();
            language = *chosen;
        } else if (args[i] == "--history" && hasValue) {
            const auto number = parseNumber(args[++i]);
            if (!number || *number == 0 || *number > TVXMowerLog::MaxLogCount)
                return usage();
            historyNumber = std::size_t(*number);
        } else if (args[i] == "--out" && hasValue) {
            out = args[++i];
        } else if (path.empty() && !args[i].empty() && args[i][0] != '-') {
            path = args[i];
        } else {
            return usage();
        }
    }
    if (path.empty() || out.empty())
        return usage();
    TVXStringTable::instance().setLanguage(static_cast<std::uint8_t>(language));

    const std::optional<std::string> bytes = readInputFile(path);
    if (!bytes)
        return 1;
    std::unique_ptr<TVXMowerLog> record;
    try {
        record = readRecordFile(*bytes);
    } catch (...) {
        return toolFailure(readFailureText(path));
    }
    const std::size_t count = record->getLogCount();
    if (count == 0)
        return toolFailure(path + ": the record holds no reading");
    if (historyNumber > count)
        return toolFailure(path + ": the record holds " + std::to_string(count) + " reading" + (count == 1 ? "" : "s") +
                    ", not " + std::to_string(historyNumber));
    auto chosen = record->logs().begin();
    std::advance(chosen, historyNumber == 0 ? count - 1 : historyNumber - 1);

    // Fonts and the PDF writer need a GUI application, never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "quorvane-tool";
    char* argv[] = {name, nullptr};
    QGuiApplication application(argc, argv);

    QString writeError;
    if (!writeServiceReportPdf(serviceReport(*record, *chosen->second), historyTrends(*record),
                               QString::fromStdString(out), writeError))
        return toolFailure(writeError.toStdString());
    return 0;
}
