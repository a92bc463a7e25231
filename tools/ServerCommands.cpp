#include "tools/ToolCommands.h"

#include "Component/RecordFileName.h"
#include "Component/ServerRecordStore.h"
#include "Component/StoreChoice.h"
#include "tools/ToolFailure.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

// The serial number that names a listed record: a folder lists the paths of
// its record files, a server the serial numbers.
std::optional<std::uint32_t> nameSerialOfKey(const std::string& key)
{
    if (const auto serial = serialOfRecordFileName(std::filesystem::path(key).filename().string()))
        return serial;
    return parseSerialHex(key);
}

}  // namespace

// quorvane-tool server init URI: the tables of a new workshop database, or
// the upgrade of an older schema.
int runServer(const std::vector<std::string>& args)
{
    if (args.size() != 2 || args[0] != "init" || !namesServer(args[1])) {
        std::fputs("usage: quorvane-tool server init postgresql://HOST/DATABASE\n", stderr);
        return 2;
    }
    const std::string& uri = args[1];
    if (PgConnection::hasPassword(uri))
        return toolFailure(uri + ": a password never sits in the URI; put it in ~/.pgpass or a service file");
    const StoreResult made = ServerRecordStore::initSchema(uri);
    if (!made)
        return toolFailure(made.reason);
    std::printf("%s: schema version %d ready\n", uri.c_str(), ServerRecordStore::SchemaVersion);
    return 0;
}

// quorvane-tool copy SOURCE TARGET: every record of one database into another
// that holds none, each record file byte for byte.
int runCopy(const std::vector<std::string>& args)
{
    if (args.size() != 2) {
        std::fputs("usage: quorvane-tool copy SOURCE TARGET   (each a database folder or a postgresql:// URI)\n",
                   stderr);
        return 2;
    }
    std::unique_ptr<RecordStore> source = makeRecordStore(args[0]);
    std::unique_ptr<RecordStore> target = makeRecordStore(args[1]);
    if (const StoreResult opened = source->open(); !opened) {
        if (opened.status == StoreResult::Status::InUse)
            return toolFailure(args[0] + ": the database is in use by a running application; close it first");
        return toolFailure(args[0] + ": " + opened.reason);
    }
    std::vector<RecordCaption> captions;
    if (const StoreResult listed = source->list(captions); !listed)
        return toolFailure(args[0] + ": " + listed.reason);
    if (namesServer(args[1])) {
        if (const StoreResult opened = target->open(); !opened)
            return toolFailure(opened.reason);
    }

    std::size_t next = 0;
    std::string failure;
    const StoreResult filled = target->fillEmptyWithFiles([&](std::uint32_t& nameSerial, std::string& bytes) {
        if (next == captions.size())
            return false;
        RecordCaption& caption = captions[next++];
        const auto serial = nameSerialOfKey(caption.key);
        bytes.clear();
        if (!serial) {
            failure = caption.key + ": not named after a serial number";
            return true;
        }
        nameSerial = *serial;
        if (const StoreResult read = source->loadFile(caption, bytes); !read) {
            failure = read.reason;
            bytes.clear();
        }
        return true;
    });
    if (!filled)
        return toolFailure(args[1] + ": nothing copied: " + (failure.empty() ? filled.reason : failure));
    std::printf("copied %zu records from %s to %s\n", captions.size(), args[0].c_str(), args[1].c_str());
    return 0;
}

namespace {

std::string journalLine(const JournalEntry& e)
{
    std::string line = std::to_string(e.change) + "  " + e.at + "  " + e.record + "  " + e.kind;
    if (!e.detail.empty())
        line += "  " + e.detail;
    line += "  (" + e.user + "@" + e.pc + ")";
    return line;
}

}  // namespace

// quorvane-tool journal DB [--record SERIAL] [--since DATE]: every change, one
// line each, oldest first, each starting with its number.
int runJournal(const std::vector<std::string>& args)
{
    JournalQuery query;
    std::string database;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--record" && i + 1 < args.size()) {
            query.record = args[++i];
        } else if (arg == "--since" && i + 1 < args.size()) {
            query.since = args[++i];
            if (query.since.size() != 10 || query.since[4] != '-' || query.since[7] != '-') {
                std::fputs("quorvane-tool: --since takes a date YYYY-MM-DD\n", stderr);
                return 2;
            }
        } else if (!arg.empty() && arg[0] != '-' && database.empty()) {
            database = arg;
        } else {
            database.clear();
            break;
        }
    }
    if (database.empty()) {
        std::fputs("usage: quorvane-tool journal DB [--record SERIAL] [--since YYYY-MM-DD]\n", stderr);
        return 2;
    }
    std::unique_ptr<RecordStore> store = makeRecordStore(database);
    std::vector<JournalEntry> entries;
    if (const StoreResult listed = store->journal(query, entries); !listed)
        return toolFailure(listed.reason);
    for (const JournalEntry& e : entries)
        std::printf("%s\n", journalLine(e).c_str());
    return 0;
}

// quorvane-tool undo DB CHANGE: the record as it was before that change.
int runUndo(const std::vector<std::string>& args)
{
    char* end = nullptr;
    const long long change = args.size() == 2 ? std::strtoll(args[1].c_str(), &end, 10) : 0;
    if (args.size() != 2 || change <= 0 || !end || *end != '\0') {
        std::fputs("usage: quorvane-tool undo DB CHANGE   (CHANGE: a number that quorvane-tool journal lists)\n",
                   stderr);
        return 2;
    }
    std::unique_ptr<RecordStore> store = makeRecordStore(args[0]);
    JournalEntry done;
    if (const StoreResult undone = store->undo(change, done); !undone)
        return toolFailure(undone.reason);
    std::printf("%s\n", journalLine(done).c_str());
    return 0;
}
