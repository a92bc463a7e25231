#include "tools/ToolCommands.h"

#include "Component/FolderRecordStore.h"
#include "Component/ServerRecordStore.h"
#include "Component/StoreChoice.h"

#include "tools/ToolFailure.h"

#include <cstdio>

namespace {

int usageError()
{
    std::fputs("usage: quorvane-tool check DB [--repair]\n", stderr);
    return 2;
}

void print(const DatabaseCheckReport& report)
{
    for (const DatabaseFinding& finding : report.findings)
        std::printf("%s\n", finding.text.c_str());
}

}  // namespace

// Prints one line per damage of a database folder; exit 0 when it is sound,
// 1 otherwise. With --repair the checker is rewritten to list every record
// file that loads, so that the application finds them all at its next start.
int runCheck(const std::vector<std::string>& args)
{
    std::string folder;
    bool repair = false;
    for (const std::string& arg : args) {
        if (arg == "--repair")
            repair = true;
        else if (!arg.empty() && arg[0] == '-')
            return usageError();
        else if (folder.empty())
            folder = arg;
        else
            return usageError();
    }
    if (folder.empty())
        return usageError();

    if (namesServer(folder)) {
        if (repair)
            return toolFailure(folder + ": --repair mends a database folder; a server database is restored "
                                        "from its backup (pg_dump)");
        ServerRecordStore server(folder);
        const DatabaseCheckReport report = server.check();
        print(report);
        if (report.sound())
            std::printf("%s: sound\n", folder.c_str());
        return report.sound() ? 0 : 1;
    }

    // A running application keeps the database locked; repairing under it
    // would race with its own checker writes.
    FolderRecordStore store(folder, FolderRecordStore::OpenMode::Inspect);
    if (repair && store.open().status == StoreResult::Status::InUse) {
        std::fprintf(stderr, "%s: the database is in use by a running application; close it first\n",
                     folder.c_str());
        return 1;
    }

    const DatabaseCheckReport report = store.check();
    print(report);
    if (!repair || report.sound()) {
        if (report.sound())
            std::printf("%s: sound\n", folder.c_str());
        return report.sound() ? 0 : 1;
    }
    if (!report.checkerNeedsRewrite && report.leftovers.empty()) {
        std::printf("%s: nothing the checker can mend\n", folder.c_str());
        return 1;
    }
    const StoreResult repaired = store.repair(report);
    for (const std::string& path : store.removedLeftovers().removed)
        std::printf("%s: removed\n", path.c_str());
    for (const std::string& failure : store.removedLeftovers().failures)
        std::fprintf(stderr, "%s: cannot be removed\n", failure.c_str());
    if (!repaired) {
        std::fprintf(stderr, "%s: repair failed, the checker was left as it was: %s\n", folder.c_str(),
                     repaired.reason.c_str());
        return 1;
    }
    if (report.checkerNeedsRewrite)
        std::printf("%s: checker rewritten: %zu entries kept, %zu record files recovered\n", folder.c_str(),
                    report.keptSerials.size(), report.recoverableOrphans.size());
    const DatabaseCheckReport after = store.check();
    if (after.sound()) {
        std::printf("%s: sound\n", folder.c_str());
        return 0;
    }
    std::printf("%s: still damaged after the repair:\n", folder.c_str());
    print(after);
    return 1;
}
