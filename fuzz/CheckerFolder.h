#pragma once

// The record files in the checker target's folder, by serial number; its
// seeds (written by make_fuzz_corpus) list them.

#include <cstdint>

namespace checkerfolder {

constexpr std::uint32_t Sound = 0x04000001;        // a sound record
constexpr std::uint32_t BadChecksum = 0x04000002;  // fails its checksum
constexpr std::uint32_t SoundOrphan = 0x04000003;  // sound, listed by no seed
constexpr std::uint32_t Missing = 0x04000004;      // no file
constexpr std::uint32_t NotARecord = 0x04000005;   // holds no record
constexpr std::uint32_t LowerCase = 0x0400ABCD;    // sound, under a lower-case name

}  // namespace checkerfolder
