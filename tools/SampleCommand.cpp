#include "tools/ToolCommands.h"

#include "Class/ByteIO.h"
#include "Class/RecordFile.h"
#include "Component/RecordFileName.h"
#include "Component/SampleGenerator.h"
#include "Component/TVXCheckDir.h"
#include "core/AppPaths.h"
#include "core/AtomicFile.h"
#include "tools/ToolFailure.h"
#include "tools/ToolInput.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A big dealer's database is some ten thousand records.
constexpr std::size_t MaxRecords = 100000;

struct SampleArgs {
    std::string folder;
    std::size_t records = 0;
    std::uint64_t seed = SampleGenerator::DefaultSeed;
    std::string binPath;
    std::string tvfPath;
};

int usage()
{
    std::fputs("usage: quorvane-tool sample DBDIR --records N [--seed S] [--bin FILE.bin] [--tvf FILE.TVF]\n",
               stderr);
    return 2;
}

std::optional<SampleArgs> parseArgs(const std::vector<std::string>& args)
{
    SampleArgs parsed;
    bool haveRecords = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--records" && hasValue) {
            const auto n = parseNumber(args[++i]);
            if (!n || *n == 0 || *n > MaxRecords) {
                std::fprintf(stderr, "quorvane-tool: --records takes a number from 1 to %zu\n", MaxRecords);
                return std::nullopt;
            }
            parsed.records = static_cast<std::size_t>(*n);
            haveRecords = true;
        } else if (arg == "--seed" && hasValue) {
            const auto n = parseNumber(args[++i]);
            if (!n) {
                std::fputs("quorvane-tool: --seed takes a whole number\n", stderr);
                return std::nullopt;
            }
            parsed.seed = *n;
        } else if (arg == "--bin" && hasValue) {
            parsed.binPath = args[++i];
        } else if (arg == "--tvf" && hasValue) {
            parsed.tvfPath = args[++i];
        } else if (!arg.empty() && arg[0] != '-' && parsed.folder.empty()) {
            parsed.folder = arg;
        } else {
            return std::nullopt;
        }
    }
    if (parsed.folder.empty() || !haveRecords)
        return std::nullopt;
    return parsed;
}

// Why the folder cannot take a sample database: a dealer's database, or what
// looks like the start of one, is never written over. Empty when it can.
std::string refusal(const std::string& folder)
{
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (status.type() == fs::file_type::not_found)
        return {};
    if (error)
        return folder + ": " + error.message();
    if (!fs::is_directory(status))
        return folder + ": not a folder";
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (sameNameIgnoringCase(name, TVXCheckDir::DefaultFileName) || serialOfRecordFileName(name))
            return folder + ": holds a database already (" + name
                   + "); a sample is written only into a new folder or one without a database";
    }
    if (error)
        return folder + ": cannot be read: " + error.message();
    return {};
}

bool write(const std::string& path, const std::string& bytes, std::string& error)
{
    const WriteResult written = writeFileAtomically(path, bytes);
    if (!written)
        error = path + ": cannot be written: " + written.error;
    return bool(written);
}

}  // namespace

// Writes a made-up database (record files, then the checker that lists them)
// and, when asked, a sample .bin history and upgrade file.
int runSample(const std::vector<std::string>& args)
{
    const std::optional<SampleArgs> parsed = parseArgs(args);
    if (!parsed)
        return usage();
    const SampleArgs& a = *parsed;
    if (const std::string why = refusal(a.folder); !why.empty())
        return toolFailure(why);
    // Made as the application makes its database folder: for its owner alone.
    if (std::string error; !makeFolders(a.folder, error))
        return toolFailure(a.folder + ": the folder cannot be made: " + error);

    SampleGenerator generator(a.seed, a.records);
    std::string checker;
    checker.reserve(a.records * TVXCheckDir::EntrySize);
    std::string error;
    while (!generator.done()) {
        SampleGenerator::Record made = generator.next();
        if (!write(joinPath(a.folder, recordFileName(made.fileSerial)), writeRecordFile(*made.record), error))
            return toolFailure(error + " (the folder has no checker yet: remove its record files before trying again)");
        checker += TVXCheckDir::EncodeEntry(made.fileSerial);
    }
    // Last, so that a folder whose records were not all written is no database.
    if (!write(joinPath(a.folder, TVXCheckDir::DefaultFileName), checker, error))
        return toolFailure(error);
    std::printf("wrote %zu records to %s\n", a.records, a.folder.c_str());

    if (!a.binPath.empty()) {
        const std::string bin = generator.binHistory();
        if (!write(a.binPath, bin, error))
            return toolFailure(error);
        const auto* frame = reinterpret_cast<const unsigned char*>(bin.data());
        std::printf("wrote the history of mower %s, which no record holds, to %s\n",
                    serialHex(byteio::getU32BE(frame + 11)).c_str(), a.binPath.c_str());
    }
    if (!a.tvfPath.empty()) {
        const std::string tvf = generator.upgradeFile();
        if (!write(a.tvfPath, tvf, error))
            return toolFailure(error);
        std::printf("wrote an upgrade file of %td lines to %s\n", std::count(tvf.begin(), tvf.end(), '\n'),
                    a.tvfPath.c_str());
    }
    return 0;
}
