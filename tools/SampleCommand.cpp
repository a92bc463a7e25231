#include "tools/ToolCommands.h"

#include "Class/ByteIO.h"
#include "Class/TVXMowerLog.h"
#include "Component/FolderRecordStore.h"
#include "Component/RecordFileName.h"
#include "Component/SampleGenerator.h"
#include "core/AtomicFile.h"
#include "tools/ToolFailure.h"
#include "tools/ToolInput.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

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
    FolderRecordStore store(a.folder);
    SampleGenerator generator(a.seed, a.records);
    // A dealer's database, or what looks like the start of one, is never written over.
    const RecordSource records = [&](std::uint32_t& nameSerial, std::unique_ptr<TVXMowerLog>& record) {
        if (generator.done())
            return false;
        SampleGenerator::Record made = generator.next();
        nameSerial = made.fileSerial;
        record = std::move(made.record);
        return true;
    };
    if (std::string error; !store.isEmpty(error))
        return toolFailure(error + "; a sample is written only into a new folder or one without a database");
    if (const StoreResult filled = store.fillEmpty(records); !filled)
        return toolFailure(filled.reason);
    std::printf("wrote %zu records to %s\n", a.records, a.folder.c_str());

    std::string error;
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
