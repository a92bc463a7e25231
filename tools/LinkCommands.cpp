#include "tools/ToolCommands.h"

#include "core/AppTexts.h"
#include "core/AtomicFile.h"
#include "core/BoundedFile.h"
#include "core/CLogger.h"
#include "core/Clock.h"
#include "core/TVXStringTable.h"
#include "link/MowerLink.h"
#include "link/TComPort.h"
#include "link/WireLog.h"
#include "tools/LinkTerminal.h"
#include "tools/ToolInput.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

struct LinkArgs {
    std::string port;
    bool scan = false;
    std::string out;
    std::string wireLog;
    bool yes = false;
    bool verbose = false;
    int language = 0;
    std::vector<std::string> files;
};

std::optional<LinkArgs> parseArgs(const std::vector<std::string>& args)
{
    LinkArgs parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--port" && hasValue)
            parsed.port = args[++i];
        else if (arg == "--out" && hasValue)
            parsed.out = args[++i];
        else if (arg == "--wire-log" && hasValue)
            parsed.wireLog = args[++i];
        else if (arg == "--lang" && hasValue && languageArgument(args[i + 1]))
            parsed.language = *languageArgument(args[++i]);
        else if (arg == "--scan")
            parsed.scan = true;
        else if (arg == "--yes")
            parsed.yes = true;
        else if (arg == "--verbose" || arg == "-v")
            parsed.verbose = true;
        else if (!arg.empty() && arg[0] != '-')
            parsed.files.push_back(arg);
        else {
            std::fprintf(stderr, "quorvane-tool: unknown or incomplete option '%s'\n", arg.c_str());
            return std::nullopt;
        }
    }
    TVXStringTable::instance().setLanguage(static_cast<std::uint8_t>(parsed.language));
    return parsed;
}

bool hasOnePortChoice(const LinkArgs& args)
{
    return args.scan != !args.port.empty();
}

// With --wire-log, the system's port seen through a wire log; a write error
// of the log is told on standard error and the command goes on.
std::unique_ptr<WireLog> makeWireLog(SerialPort& port, const std::string& path)
{
    if (path.empty())
        return nullptr;
    return std::make_unique<WireLog>(port, SystemClock::instance(), path, WireLog::DefaultLimit,
                                     [](const std::string& error) {
                                         std::fprintf(stderr, "quorvane-tool: %s\n", error.c_str());
                                     });
}

// The link as the tool uses it: the system's port (through the wire log when
// asked), the real clock, the terminal, and the trace log echoed to standard
// error with --verbose.
struct ToolLink {
    explicit ToolLink(const LinkArgs& args, MowerLink::PortLister listPorts = MowerLink::systemPorts())
        : port(args.port.empty() ? "COM1" : args.port)
        , wire(makeWireLog(port, args.wireLog))
        , user(args.yes)
        , progress(args.verbose)
        , autoScan(args.scan)
        , link(wire ? static_cast<SerialPort&>(*wire) : port, SystemClock::instance(), user, progress, autoScan,
               std::move(listPorts),
               [verbose = args.verbose](const std::string& text) {
                   CLogger& logger = CLogger::instance();
                   logger.log(text);
                   if (verbose && !logger.entries().empty())
                       std::fprintf(stderr, "%s\n", CLogger::formatLine(logger.entries().back()).c_str());
               })
    {
    }

    TComPort port;
    std::unique_ptr<WireLog> wire;
    TerminalUser user;
    TerminalProgress progress;
    bool autoScan;
    MowerLink link;
};

// A wire log asked for but not possible is refused before the mower is asked.
bool wireLogReady(const ToolLink& tool)
{
    return !tool.wire || tool.wire->logging();
}

}  // namespace

// The free ports on standard output, one a line; the ports that cannot be
// used, with the reason, on standard error. Names given on the command line
// are tried instead of the system's ports.
int runPorts(const std::vector<std::string>& args)
{
    const std::optional<LinkArgs> parsed = parseArgs(args);
    if (!parsed) {
        std::fputs("usage: quorvane-tool ports [--lang N] [--verbose] [NAME...]\n", stderr);
        return 2;
    }
    MowerLink::PortLister lister = MowerLink::systemPorts();
    if (!parsed->files.empty())
        lister = [names = parsed->files] { return names; };
    ToolLink tool(*parsed, std::move(lister));
    const PortSurvey survey = tool.link.surveyPorts();
    for (const std::string& name : survey.free)
        std::printf("%s\n", name.c_str());
    std::fflush(stdout);
    for (const UnusablePort& port : survey.unusable)
        std::fprintf(stderr, "%s\n", unusablePortLine(port).c_str());
    if (survey.free.empty())
        std::fprintf(stderr, "%s\n", appText(AppText::NoFreePort).c_str());
    return 0;
}

int runDownload(const std::vector<std::string>& args)
{
    const std::optional<LinkArgs> parsed = parseArgs(args);
    if (!parsed || !hasOnePortChoice(*parsed) || parsed->out.empty() || !parsed->files.empty()) {
        std::fputs("usage: quorvane-tool download (--port NAME | --scan) --out FILE.bin [--lang N] [--verbose]\n"
                   "       [--wire-log FILE]\n",
                   stderr);
        return 2;
    }
    // Refused before the mower is asked, not after the download.
    if (const std::string kind = describeNonRegularFile(parsed->out); !kind.empty()) {
        std::fprintf(stderr, "quorvane-tool: cannot write %s: it is %s, not a regular file; it was left untouched\n",
                     parsed->out.c_str(), kind.c_str());
        return 1;
    }
    ToolLink tool(*parsed);
    if (!wireLogReady(tool))
        return 1;
    InfoFrame frame {};
    HistoryImage image {};
    if (!tool.link.downloadHistory(frame, image))
        return 1;
    std::string bytes(frame.begin(), frame.end());
    bytes.append(image.begin(), image.end());
    if (const WriteResult written = writeFileAtomically(parsed->out, bytes); !written) {
        std::fprintf(stderr, "quorvane-tool: %s\n", written.error.c_str());
        return 1;
    }
    return 0;
}

int runUpgrade(const std::vector<std::string>& args)
{
    const std::optional<LinkArgs> parsed = parseArgs(args);
    if (!parsed || !hasOnePortChoice(*parsed) || parsed->files.size() != 1) {
        std::fputs("usage: quorvane-tool upgrade (--port NAME | --scan) [--yes] [--lang N] [--verbose]\n"
                   "       [--wire-log FILE] FILE.TVF\n",
                   stderr);
        return 2;
    }
    ToolLink tool(*parsed);
    if (!wireLogReady(tool))
        return 1;
    return tool.link.upgradeFirmware(parsed->files[0]) ? 0 : 1;
}
