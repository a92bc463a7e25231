#include "tools/ToolCommands.h"

#include "core/Version.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

// On standard output when asked for (--help), on the error output after a mistake.
void usage(std::FILE* out = stderr)
{
    std::fputs("usage: quorvane-tool COMMAND [OPTIONS]\n"
               "       quorvane-tool --help | --version\n"
               "  show [--lang N] FILE                          print a record file or a .bin history\n"
               "  ports [NAME...]                               list the free serial ports, and why the\n"
               "                                                others cannot be used\n"
               "  download (--port NAME | --scan) --out FILE.bin  read a mower's history\n"
               "  upgrade (--port NAME | --scan) [--yes] FILE.TVF program a mower's firmware\n"
               "    download and upgrade: --wire-log FILE       record every byte on the line, for support\n"
               "  check DB [--repair]                           check a database (a folder, or a\n"
               "                                                postgresql:// URI); --repair for a folder\n"
               "  copy SOURCE TARGET                            copy a whole database into an empty one\n"
               "  server init URI                               make or upgrade a server database's tables\n"
               "  journal DB [--record SERIAL] [--since DATE]   a server database's changes, oldest first\n"
               "  undo DB CHANGE                                the record as it was before that change\n"
               "  import DB FILE...                             file .bin histories and import .dat record\n"
               "                                                files into a database (folder or URI)\n"
               "  sample DBDIR --records N [--seed S] [--bin FILE.bin] [--tvf FILE.TVF]\n"
               "                                                write a made-up database (and sample files)\n"
               "  report FILE.dat [--history N] [--lang N] --out REPORT.pdf\n"
               "                                                a reading's service report for the customer\n",
               out);
}

}  // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    if (argc < 2) {
        usage();
        return 2;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    try {
        if (command == "show")
            return runShow(args);
        if (command == "ports")
            return runPorts(args);
        if (command == "download")
            return runDownload(args);
        if (command == "upgrade")
            return runUpgrade(args);
        if (command == "check")
            return runCheck(args);
        if (command == "sample")
            return runSample(args);
        if (command == "server")
            return runServer(args);
        if (command == "copy")
            return runCopy(args);
        if (command == "journal")
            return runJournal(args);
        if (command == "undo")
            return runUndo(args);
        if (command == "import")
            return runImport(args);
        if (command == "report") {
#ifdef QUORVANE_WITH_REPORT
            return runReport(args);
#else
            std::fputs("quorvane-tool: this build has no PDF writer (built without the user interface)\n", stderr);
            return 2;
#endif
        }
        if (command == "--help" || command == "-h" || command == "help") {
            usage(stdout);
            return 0;
        }
        if (command == "--version") {
            std::printf("quorvane-tool %s\n", QUORVANE_VERSION_TEXT);
            return 0;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvane-tool: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "quorvane-tool: unknown command '%s'\n", command.c_str());
    usage();
    return 2;
}
