#include <doctest.h>
#include "classlib/memmgr.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <new>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {
// A block filled with bytes that depend on its number, to see that no other block wrote into it.
struct TPatterned {
    unsigned char* P = nullptr;
    size_t Size = 0;
    unsigned Seed = 0;
};

unsigned char PatternByte(unsigned Seed, size_t I)
{
    return static_cast<unsigned char>(Seed * 31u + I * 7u + (I >> 8));
}

TPatterned MakePatterned(size_t Size, unsigned Seed)
{
    TPatterned b{static_cast<unsigned char*>(::operator new(Size)), Size, Seed};
    for (size_t i = 0; i < Size; ++i)
        b.P[i] = PatternByte(Seed, i);
    return b;
}

bool PatternIntact(const TPatterned& B)
{
    for (size_t i = 0; i < B.Size; ++i)
        if (B.P[i] != PatternByte(B.Seed, i))
            return false;
    return true;
}

bool Aligned(const void* P, size_t Align)
{
    return reinterpret_cast<uintptr_t>(P) % Align == 0;
}

struct alignas(64) TCacheLine {
    char Bytes[64];
};
} // namespace

TEST_CASE("Memory manager: block sizes, alignment and zero-size requests")
{
    static_assert(__STDCPP_DEFAULT_NEW_ALIGNMENT__ <= MemMgrAlignment);
    static_assert(alignof(std::max_align_t) <= MemMgrAlignment);
    // Only blocks of its own have a size class.
    CHECK(MemMgrSmallBlockSize(nullptr) == 0);
    int onStack = 0;
    CHECK(MemMgrSmallBlockSize(&onStack) == 0);
    const uint32_t inUse = MemMgrState().SmallBlocksInUse;
    auto one = std::make_unique<int>(5);
    CHECK(MemMgrState().SmallBlocksInUse == inUse + 1);
    std::vector<void*> blocks;
    for (size_t n = 0; n <= MemMgrMaxSmallBlock + 40; ++n) {
        void* p = ::operator new(n);
        blocks.push_back(p);
        CHECK(Aligned(p, MemMgrAlignment));
        const size_t usable = MemMgrSmallBlockSize(p);
        if (MemMgrChecking()) {
            CHECK(usable == 0);
        } else if (n <= MemMgrMaxSmallBlock) {
            // Enough room, and not wastefully more: an eighth of the size at most past 256 bytes.
            CHECK(usable >= std::max<size_t>(n, 1));
            CHECK(usable <= std::max<size_t>(16, n + std::max<size_t>(15, n / 8)));
        } else {
            CHECK(usable == 0);
        }
    }
    // Each request of nothing is a block of its own.
    void* z1 = ::operator new(0);
    void* z2 = ::operator new(0);
    CHECK(z1 != nullptr);
    CHECK(z2 != nullptr);
    CHECK(z1 != z2);
    std::unique_ptr<char[]> empty(new char[0]);
    CHECK(empty != nullptr);
    ::operator delete(z1);
    ::operator delete(z2);
    for (void* p : blocks)
        ::operator delete(p);
}

TEST_CASE("Memory manager: over-aligned requests")
{
    for (size_t align : {32u, 64u, 256u, 4096u})
        for (size_t n : {0u, 1u, 100u, 5000u}) {
            void* p = ::operator new(n, std::align_val_t(align));
            CHECK(Aligned(p, align));
            std::memset(p, 0xAB, n);
            ::operator delete(p, n, std::align_val_t(align));
        }
    auto lines = std::make_unique<TCacheLine[]>(3);
    CHECK(Aligned(lines.get(), 64));
    // A small alignment is what every block has: the block is one of ours.
    void* p = ::operator new(40, std::align_val_t(8));
    CHECK(MemMgrSmallBlockSize(p) == (MemMgrChecking() ? 0 : 48));
    ::operator delete(p, std::align_val_t(8));
}

TEST_CASE("Memory manager: freed blocks are used again")
{
    std::vector<void*> first;
    for (int i = 0; i < 5000; ++i)
        first.push_back(::operator new(100));
    const TMemMgrState before = MemMgrState();
    for (void* p : first)
        ::operator delete(p);
    CHECK(MemMgrState().SmallBlocksInUse == before.SmallBlocksInUse - 5000);

    std::vector<void*> second;
    for (int i = 0; i < 5000; ++i)
        second.push_back(::operator new(97));   // the same size class
    const TMemMgrState after = MemMgrState();
    CHECK(after.SmallBlocksInUse == before.SmallBlocksInUse);
    std::sort(first.begin(), first.end());
    std::sort(second.begin(), second.end());
    if (MemMgrChecking()) {
        // The checking heap holds freed blocks back, so a write after the free is seen: none
        // of the blocks just freed comes back at once.
        std::vector<void*> both;
        std::set_intersection(first.begin(), first.end(), second.begin(), second.end(), std::back_inserter(both));
        CHECK(both.empty());
    } else {
        CHECK(after.ChunksTaken == before.ChunksTaken);
        CHECK(first == second);
    }
    for (void* p : second)
        ::operator delete(p);
}

TEST_CASE("Memory manager: a sized delete with a wrong size frees by the block's real size")
{
    if (MemMgrChecking())
        return;   // freed blocks are held back: no address comes back at once
    auto address = [](const void* P) { return reinterpret_cast<uintptr_t>(P); };
    void* p = ::operator new(100);
    const uintptr_t pAt = address(p);
    ::operator delete(p, 5000);
    void* big = ::operator new(5000);
    void* again = ::operator new(100);
    CHECK(address(big) != pAt);
    CHECK(address(again) == pAt);

    void* q = ::operator new[](1000);
    const uintptr_t qAt = address(q);
    ::operator delete[](q, 8);
    void* small = ::operator new(8);
    void* q2 = ::operator new[](1000);
    CHECK(address(small) != qAt);
    CHECK(address(q2) == qAt);
    ::operator delete[](q2);
    ::operator delete(small);
    ::operator delete(again);
    ::operator delete(big);
}

TEST_CASE("Memory manager: large blocks, and the bytes every block holds")
{
    const TMemMgrState before = MemMgrState();
    for (size_t n : {size_t(MemMgrMaxSmallBlock + 1), size_t(64 * 1024), size_t(1) << 20, size_t(16) << 20}) {
        auto* p = static_cast<unsigned char*>(::operator new(n));
        CHECK(Aligned(p, MemMgrAlignment));
        CHECK(MemMgrSmallBlockSize(p) == 0);
        p[0] = 1;
        p[n - 1] = 2;
        CHECK(p[0] + p[n - 1] == 3);
        CHECK(MemMgrState().LargeBlocksInUse == before.LargeBlocksInUse + 1);
        CHECK(MemMgrState().BytesInUse == before.BytesInUse + n);
        ::operator delete(p, n);
    }
    // An over-aligned block, and a small one (its size class on the normal heap).
    void* wide = ::operator new(3000, std::align_val_t(4096));
    CHECK(Aligned(wide, 4096));
    CHECK(MemMgrState().BytesInUse == before.BytesInUse + 3000);
    void* small = ::operator new(20);
    CHECK(MemMgrState().BytesInUse == before.BytesInUse + 3000 + (MemMgrChecking() ? 20 : 32));
    ::operator delete(small);
    ::operator delete(wide, std::align_val_t(4096));
    const TMemMgrState after = MemMgrState();
    CHECK(after.LargeBlocksInUse == before.LargeBlocksInUse);
    CHECK(after.BytesInUse == before.BytesInUse);
}

TEST_CASE("Memory manager: a request that cannot be met")
{
    // Through a volatile, so the compiler does not refuse the size itself.
    volatile size_t hugeSize = SIZE_MAX - 8;
    const size_t huge = hugeSize;
    CHECK(::operator new(huge, std::nothrow) == nullptr);
    CHECK(::operator new[](huge, std::align_val_t(64), std::nothrow) == nullptr);
    CHECK_THROWS_AS((void)::operator new(huge), std::bad_alloc);

    // The new-handler is asked until it gives up.
    static int calls = 0;
    calls = 0;
    std::new_handler old = std::set_new_handler([] {
        if (++calls == 3)
            std::set_new_handler(nullptr);
    });
    CHECK_THROWS_AS((void)::operator new[](huge), std::bad_alloc);
    std::set_new_handler(old);
    CHECK(calls == 3);
}

TEST_CASE("Memory manager: threads allocating and freeing at the same time")
{
    constexpr int threads = 4;
    constexpr int steps = 20000;
    // Blocks also change hands: each thread frees some that another one allocated.
    std::mutex handMutex;
    std::vector<TPatterned> handedOver;
    std::atomic<int> faults{0};
    const uint32_t inUseBefore = MemMgrState().SmallBlocksInUse;
    {
        std::vector<std::thread> ts;
        for (int t = 0; t < threads; ++t)
            ts.emplace_back([&, t] {
                std::mt19937 rng(static_cast<unsigned>(t) * 77u + 1u);
                std::vector<TPatterned> live;
                unsigned seed = static_cast<unsigned>(t) << 24;
                for (int i = 0; i < steps; ++i) {
                    if (live.size() < 200 || rng() % 2 == 0) {
                        live.push_back(MakePatterned(rng() % 600, ++seed));
                        continue;
                    }
                    const size_t k = rng() % live.size();
                    TPatterned b = live[k];
                    live[k] = live.back();
                    live.pop_back();
                    faults += !PatternIntact(b);
                    if (rng() % 4 == 0) {
                        // Leave this block for another thread and free one left by another.
                        std::lock_guard<std::mutex> lock(handMutex);
                        if (handedOver.size() < 64) {
                            handedOver.push_back(b);
                            continue;
                        }
                        std::swap(b, handedOver[rng() % handedOver.size()]);
                        faults += !PatternIntact(b);
                    }
                    ::operator delete(b.P);
                }
                for (const TPatterned& b : live) {
                    faults += !PatternIntact(b);
                    ::operator delete(b.P);
                }
            });
        for (std::thread& th : ts)
            th.join();
    }
    for (const TPatterned& b : handedOver) {
        faults += !PatternIntact(b);
        ::operator delete(b.P);
    }
    handedOver.clear();
    handedOver.shrink_to_fit();
    const uint32_t inUseAfter = MemMgrState().SmallBlocksInUse;
    CHECK(faults == 0);
    CHECK(inUseAfter == inUseBefore);
}
