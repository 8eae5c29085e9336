// The memory manager against the C runtime's heap (what operator new called before): a block
// allocated and freed at once, the lines of a large text allocated and then freed, and
// threads allocating and freeing at the same time.
#include "classlib/memmgr.h"
#include "classlib/winapi.h"
#include "bench/timing.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <thread>
#include <vector>

namespace {
struct TOurs {
    static void* Get(size_t n) { return ::operator new(n); }
    static void Put(void* p) { ::operator delete(p); }
};
struct TCrt {
    static void* Get(size_t n) { return std::malloc(n); }
    static void Put(void* p) { std::free(p); }
};

// Sizes of the lines of a chat history as wide strings: 20 to 400 bytes.
std::vector<size_t> LineSizes(size_t Count)
{
    std::mt19937 rng(7);
    std::vector<size_t> sizes(Count);
    for (size_t& s : sizes)
        s = 20 + rng() % 381;
    return sizes;
}

template <class A> double PairNs()
{
    constexpr int n = 1000000;
    const double ms = BestMs(3, [] {
        for (int i = 0; i < n; ++i) {
            void* p = A::Get(64 + (i & 3) * 16);
            static_cast<volatile char*>(p)[0] = 1;
            A::Put(p);
        }
    });
    return ms * 1e6 / n;
}

template <class A> void Lines(const std::vector<size_t>& Sizes, double& AllocNs, double& FreeNs)
{
    std::vector<void*> blocks(Sizes.size());
    AllocNs = FreeNs = 1e30;
    for (int r = 0; r < 5; ++r) {
        double t0 = Now();
        for (size_t i = 0; i < Sizes.size(); ++i) {
            blocks[i] = A::Get(Sizes[i]);
            static_cast<char*>(blocks[i])[0] = 1;
        }
        double t1 = Now();
        for (void* p : blocks)
            A::Put(p);
        double t2 = Now();
        AllocNs = std::min(AllocNs, (t1 - t0) * 1e9 / Sizes.size());
        FreeNs = std::min(FreeNs, (t2 - t1) * 1e9 / Sizes.size());
    }
}

// Each thread keeps a window of live blocks and replaces a random one at each step.
template <class A> double ThreadsMops(int Threads)
{
    constexpr int steps = 400000;
    const double ms = BestMs(3, [&] {
        std::vector<std::thread> ts;
        for (int t = 0; t < Threads; ++t)
            ts.emplace_back([t] {
                std::mt19937 rng(static_cast<unsigned>(t) + 1);
                std::vector<void*> live(512, nullptr);
                for (int i = 0; i < steps; ++i) {
                    void*& slot = live[rng() % live.size()];
                    A::Put(slot);
                    slot = A::Get(8 + rng() % 500);
                    static_cast<char*>(slot)[0] = 1;
                }
                for (void* p : live)
                    A::Put(p);
            });
        for (std::thread& th : ts)
            th.join();
    });
    return 2.0 * steps * Threads / (ms * 1000.0);
}
} // namespace

int main()
{
    const std::vector<size_t> sizes = LineSizes(200000);
    std::printf("                                   memory manager   C runtime heap\n");
    std::printf("new + delete at once (ns a pair):  %10.1f %16.1f\n", PairNs<TOurs>(), PairNs<TCrt>());
    double oa, of, ca, cf;
    Lines<TOurs>(sizes, oa, of);
    Lines<TCrt>(sizes, ca, cf);
    std::printf("200000 line blocks, new (ns each): %10.1f %16.1f\n", oa, ca);
    std::printf("the same, delete (ns each):        %10.1f %16.1f\n", of, cf);
    for (int t : {1, 2, 4}) {
        const double ours = ThreadsMops<TOurs>(t);
        const double crt = ThreadsMops<TCrt>(t);
        std::printf("%d thread(s), millions of ops/s:    %10.1f %16.1f\n", t, ours, crt);
    }
    const TMemMgrState s = MemMgrState();
    std::printf("chunks taken: %u (%.1f MB), small blocks in use: %u\n", s.ChunksTaken, s.ChunksTaken / 16.0,
                s.SmallBlocksInUse);
    return 0;
}
