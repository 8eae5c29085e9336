// Built without marks itself: the mark's own routine must not call itself.
#include "fuzz/coverage.h"

#include "classlib/winapi.h"

#include <cstring>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {
uint8_t Hits[1 << 16];
uint32_t Previous = 0;

// The count of a pair as one bit a range, so that only a change of range is new.
uint8_t Bucket(uint8_t Count)
{
    if (Count <= 3)
        return uint8_t(1u << (Count - 1));
    if (Count <= 7)
        return 8;
    if (Count <= 15)
        return 16;
    if (Count <= 31)
        return 32;
    return Count <= 127 ? 64 : 128;
}
} // namespace

// Called at every mark of the loaders' code with the mark's address as the return address.
// Addresses are taken from the program's start, so a run places its pairs alike wherever
// the system loads the program.
extern "C" void __sanitizer_cov_trace_pc()
{
    const uintptr_t at = reinterpret_cast<uintptr_t>(__builtin_return_address(0)) -
                         reinterpret_cast<uintptr_t>(&__ImageBase);
    const uint32_t here = (uint32_t(at) * 0x9E3779B1u) >> 16;
    uint8_t& h = Hits[(here ^ Previous) & 0xFFFF];
    if (h != 255)
        ++h;
    Previous = here >> 1;
}

void CoverageClear()
{
    std::memset(Hits, 0, sizeof Hits);
    Previous = 0;
}

bool TCoverageSeen::Merge()
{
    bool fresh = false;
    for (size_t i = 0; i < sizeof Hits; i += 4) {
        uint32_t word;
        std::memcpy(&word, Hits + i, 4);
        if (!word)
            continue;
        for (size_t k = i; k < i + 4; ++k)
            if (Hits[k]) {
                const uint8_t b = Bucket(Hits[k]);
                if (b & ~FBuckets[k]) {
                    FBuckets[k] |= b;
                    fresh = true;
                }
            }
    }
    return fresh;
}

size_t TCoverageSeen::Pairs() const
{
    size_t n = 0;
    for (uint8_t b : FBuckets)
        n += b != 0;
    return n;
}
