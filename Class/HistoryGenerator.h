#pragma once

#include "Class/TVXLog.h"
#include "Class/TVXLogTime.h"

#include <cstdint>
#include <span>

// Pseudo-random numbers that come out the same on every machine, compiler and
// standard library for a seed (splitmix64): the simulated mower and the sample
// database are made of them, and a sample must be reproducible byte for byte.
class SampleRandom {
public:
    explicit SampleRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next();
    // A number from lo to hi, both included; lo when hi < lo.
    int between(int lo, int hi);
    // True in `percent` cases out of a hundred.
    bool chance(int percent) { return between(0, 99) < percent; }
    template <class T>
    const T& pick(std::span<const T> items)
    {
        return items[static_cast<std::size_t>(between(0, static_cast<int>(items.size()) - 1))];
    }

    // The seed of a stream of its own, one per label: a record's numbers do
    // not depend on how many the records before it drew.
    static std::uint64_t derive(std::uint64_t seed, std::uint64_t label);

private:
    std::uint64_t state_;
};

// What a generated history image is made of. The mower's seed fixes its
// settings (options, sleep ranges, setup bytes, parameters, the pace of its
// counters), the history's seed its events; two readings of one mower share
// the first and differ in the second.
struct ImageRecipe {
    std::uint64_t mowerSeed = 1;
    std::uint64_t historySeed = 1;
    int events = 40;                 // 0..992: the ring does not wrap
    std::uint8_t typeByte = 0x24;    // the head alarms' masks depend on the type
    std::uint8_t language = 0;       // the mower's language: 0 English .. 5 German
    TVXLogTime readAt {2025, 6, 14, 10, 30, 0};  // the events end just before
    int daysInService = 365;         // the statistics grow with it
};

// A plausible image: a mowing season's days of work, station seeking and
// charging, with alarms, a software update and every other event code (from 24
// events on), ending with the mower switched off and on again at the dealer's;
// statistics, options, language, sleep ranges, setup bytes and parameters.
TVXLog::Image generateHistoryImage(const ImageRecipe& recipe);
