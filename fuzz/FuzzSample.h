#pragma once

// The fuzz targets do their slowest checks (rendering a history's ~1,000 text
// lines, say) on a sample of the inputs. The sample is chosen by the input's
// bytes, so that an input that fails is sampled again when it is replayed.

#include <cstddef>
#include <cstdint>

// The targets' own helpers give the fuzzer no feedback worth its time.
#define FUZZ_NO_COVERAGE __attribute__((no_sanitize("coverage")))

namespace fuzzsample {

// FNV-1a of the bytes.
FUZZ_NO_COVERAGE inline std::uint64_t digest(const std::uint8_t* data, std::size_t size)
{
    std::uint64_t h = 0xCBF29CE484222325u;
    for (std::size_t i = 0; i < size; ++i)
        h = (h ^ data[i]) * 0x100000001B3u;
    return h;
}

// One input in `oneIn`.
inline bool renderThis(const std::uint8_t* data, std::size_t size, std::uint32_t oneIn = 8)
{
    return digest(data, size) % oneIn == 0;
}

}  // namespace fuzzsample
