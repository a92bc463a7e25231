#pragma once

#include "Class/TVXMowerLog.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

class SampleRandom;

// A made-up dealer's database for demonstrations, tests and benches: owners in
// the countries of the five languages (accents and all), mowers of every type
// and a few of a type the program does not know, one to five histories each,
// dated over the years, and one mower whose newest history came from a
// replaced board. The same seed and count give the same records, byte for
// byte, on every machine.
class SampleGenerator {
public:
    static constexpr std::uint64_t DefaultSeed = 1;
    // The last day a sample history is dated.
    static constexpr std::uint16_t LastVisitYear = 2025;

    struct Record {
        std::uint32_t fileSerial = 0;  // the record file's name: the first board's serial number
        std::unique_ptr<TVXMowerLog> record;
    };

    SampleGenerator(std::uint64_t seed, std::size_t count);

    // The records in order, `count` of them; after that, nothing.
    bool done() const { return made_ >= count_; }
    Record next();

    // A .bin history file, the info frame and image of a mower that no record
    // has: its serial number lies where record serials never do. It depends on
    // the seed alone.
    std::string binHistory() const;
    // A small firmware upgrade file of a few hundred data lines under the
    // three MCU tags, with CR LF line ends; it depends on the seed alone.
    std::string upgradeFile() const;

private:
    std::uint32_t drawSerial(SampleRandom& r, int idYear);

    std::uint64_t seed_;
    std::size_t count_;
    std::size_t made_ = 0;
    std::vector<std::uint8_t> typeCodes_;
    std::set<std::uint32_t> serials_;
    std::set<std::string> machineIds_;
    // Earlier owners a later mower may share a household with: region and owner.
    std::vector<std::pair<std::size_t, TVXOwner>> households_;
};
