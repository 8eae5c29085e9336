// The global operator new and operator delete of every program linked with the class library.
//
// Small blocks: a size class per 16-byte step up to 256 bytes, then per 32 bytes up to 512 and
// per 64 bytes up to 1024. A class takes 64 KB chunks (the system's allocation granularity)
// from regions reserved a megabyte at a time, hands out blocks from the chunk's start as they
// are first asked for, and keeps freed blocks in a free list threaded through the blocks
// themselves. A table with one byte per 64 KB of the 32-bit address space says which class
// a chunk belongs to, so delete finds the class from the address alone: no header in front of
// the block, and the size a sized delete passes is never trusted. Addresses outside our chunks
// are large blocks of the C runtime's heap.
//
// Operator new can be called before any static constructor of this file has run (from
// other files' constructors and the runtime's own start-up), so all state here is constant-
// initialised and needs no start-up routine. The mode (normal or checking, see
// memmgr_check.cpp) is read from the environment by the first allocation or release.
#include "classlib/memmgr.h"
#include "classlib/memmgr_impl.h"

#include <malloc.h>

#include <atomic>
#include <new>

static_assert(sizeof(void*) == 4, "the chunk table covers a 32-bit address space");

// Makes the linker take this file from the class library into every program: the library's
// link options name this symbol as undefined (see CMakeLists.txt), so the memory manager is
// there even in a program none of whose own objects would pull it in first.
extern "C" {
extern const int ZandrelMemoryManager;
const int ZandrelMemoryManager = 1;
}

using zmemmgr::TLockGuard;
using zmemmgr::TSpinLock;

namespace {
constexpr unsigned ChunkShift = 16;
constexpr size_t ChunkBytes = size_t(1) << ChunkShift;
constexpr size_t RegionBytes = 16 * ChunkBytes;
constexpr size_t GranuleShift = 4;   // 16-byte steps in the size-to-class table

constexpr size_t ClassSizeOf(unsigned Index)
{
    if (Index < 16)
        return (Index + 1) * 16;          // 16 .. 256
    if (Index < 24)
        return 256 + (Index - 15) * 32;   // 288 .. 512
    return 512 + (Index - 23) * 64;       // 576 .. 1024
}
constexpr unsigned ClassCount = 32;
static_assert(ClassSizeOf(ClassCount - 1) == MemMgrMaxSmallBlock);

struct TClassTable {
    uint16_t Size[ClassCount];
    // Class of a request of up to N * 16 bytes.
    uint8_t OfGranules[(MemMgrMaxSmallBlock >> GranuleShift) + 1];
};

constexpr TClassTable MakeClassTable()
{
    TClassTable t{};
    for (unsigned c = 0; c < ClassCount; ++c)
        t.Size[c] = static_cast<uint16_t>(ClassSizeOf(c));
    unsigned c = 0;
    for (size_t g = 0; g <= (MemMgrMaxSmallBlock >> GranuleShift); ++g) {
        while (ClassSizeOf(c) < (g << GranuleShift))
            ++c;
        t.OfGranules[g] = static_cast<uint8_t>(c);
    }
    return t;
}
constexpr TClassTable Classes = MakeClassTable();
static_assert(Classes.OfGranules[0] == 0 && Classes.OfGranules[1] == 0 && Classes.OfGranules[17] == 16);

struct TFreeBlock {
    TFreeBlock* Next;
};

// One cache line a class, so threads working in different classes do not slow each other.
struct alignas(64) TSizeClass {
    TSpinLock Lock;
    TFreeBlock* Free = nullptr;
    // The part of the newest chunk not handed out yet.
    char* Next = nullptr;
    char* End = nullptr;
    uint32_t InUse = 0;
};

constinit TSizeClass SizeClasses[ClassCount];

// Class index + 1 of each 64 KB of the address space; 0 where no chunk of ours lies.
constinit uint8_t ChunkClass[size_t(1) << (32 - ChunkShift)] = {};

// What is left of the newest region; guarded by RegionLock.
constinit TSpinLock RegionLock;
constinit char* RegionNext = nullptr;
constinit char* RegionEnd = nullptr;
constinit uint32_t ChunksTaken = 0;

char* TakeChunk(unsigned Class) noexcept
{
    TLockGuard guard(RegionLock);
    if (RegionNext == RegionEnd) {
        // VirtualAlloc places regions on 64 KB boundaries, so each chunk is one table entry.
        // Pages are committed now but only become memory when first touched.
        void* region = VirtualAlloc(nullptr, RegionBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (!region)
            return nullptr;
        RegionNext = static_cast<char*>(region);
        RegionEnd = RegionNext + RegionBytes;
    }
    char* chunk = RegionNext;
    RegionNext += ChunkBytes;
    ChunkClass[reinterpret_cast<uintptr_t>(chunk) >> ChunkShift] = static_cast<uint8_t>(Class + 1);
    ++ChunksTaken;
    return chunk;
}

inline unsigned ClassPlusOneOf(const void* P) noexcept
{
    return ChunkClass[reinterpret_cast<uintptr_t>(P) >> ChunkShift];
}

// The hot path of every allocation and release; inlined there, and reached from the
// checking heap through the plain forms below.
[[gnu::always_inline]] inline void* TakeSmall(size_t Size) noexcept
{
    const unsigned cls = Classes.OfGranules[(Size + (MemMgrAlignment - 1)) >> GranuleShift];
    const size_t blockSize = Classes.Size[cls];
    TSizeClass& c = SizeClasses[cls];
    TLockGuard guard(c.Lock);
    void* p;
    if (c.Free) {
        p = c.Free;
        c.Free = c.Free->Next;
    } else if (static_cast<size_t>(c.End - c.Next) >= blockSize) {
        p = c.Next;
        c.Next += blockSize;
    } else {
        char* chunk = TakeChunk(cls);
        if (!chunk)
            return nullptr;
        p = chunk;
        c.Next = chunk + blockSize;
        c.End = chunk + ChunkBytes / blockSize * blockSize;
    }
    ++c.InUse;
    return p;
}

[[gnu::always_inline]] inline void PutSmall(void* P) noexcept
{
    TSizeClass& c = SizeClasses[ClassPlusOneOf(P) - 1];
    TFreeBlock* b = static_cast<TFreeBlock*>(P);
    TLockGuard guard(c.Lock);
    b->Next = c.Free;
    c.Free = b;
    --c.InUse;
}

// Blocks of the runtime's heap handed out and not yet freed, and the bytes asked for them
// (normal mode).
constinit std::atomic<uint32_t> LargeInUse{0};
constinit std::atomic<uint64_t> LargeBytes{0};

// A large block keeps its size and its alignment in the last eight bytes of a front part as
// long as its alignment, so that a free knows both: the runtime's heap tells neither.
struct TLargeTail {
    uint32_t Align;
    uint32_t Size;
};
static_assert(sizeof(TLargeTail) <= MemMgrAlignment);

void* TakeLarge(size_t Size, size_t Align) noexcept
{
    const size_t front = Align <= MemMgrAlignment ? MemMgrAlignment : Align;
    char* raw = static_cast<char*>(_aligned_malloc(Size + front, front));
    if (!raw)
        return nullptr;
    char* user = raw + front;
    reinterpret_cast<TLargeTail*>(user)[-1] = TLargeTail{uint32_t(front), uint32_t(Size)};
    LargeInUse.fetch_add(1, std::memory_order_relaxed);
    LargeBytes.fetch_add(Size, std::memory_order_relaxed);
    return user;
}

void PutLarge(void* P) noexcept
{
    const TLargeTail tail = static_cast<TLargeTail*>(P)[-1];
    LargeInUse.fetch_sub(1, std::memory_order_relaxed);
    LargeBytes.fetch_sub(tail.Size, std::memory_order_relaxed);
    _aligned_free(static_cast<char*>(P) - tail.Align);
}

// How blocks are served, chosen once: 0 not yet, 1 normal, 2 checking.
constexpr uint8_t ModeUndecided = 0, ModeNormal = 1, ModeChecking = 2;
constinit std::atomic<uint8_t> Mode{ModeUndecided};

uint8_t DecideMode() noexcept
{
    // Read through the system, which does not allocate from us: this runs inside the first
    // operator new of the program.
    char value[16];
    const DWORD n = GetEnvironmentVariableA("ZANDREL_HEAPCHECK", value, sizeof value);
    const bool on = n >= sizeof value || (n > 0 && !(n == 1 && value[0] == '0'));
    uint8_t expected = ModeUndecided;
    if (!Mode.compare_exchange_strong(expected, on ? ModeChecking : ModeNormal))
        return expected;   // another thread was first
    if (on)
        zmemmgr::StartChecking();
    return on ? ModeChecking : ModeNormal;
}

inline bool Checking() noexcept
{
    const uint8_t m = Mode.load(std::memory_order_relaxed);
    return (m != ModeUndecided ? m : DecideMode()) == ModeChecking;
}

// Allocations left before the one that is made to fail; 0 for none (see MemMgrFailAllocation).
std::atomic<uint32_t> FailCountdown{0};

bool InjectedFailureDue() noexcept
{
    uint32_t n = FailCountdown.load(std::memory_order_relaxed);
    while (n && !FailCountdown.compare_exchange_weak(n, n - 1, std::memory_order_relaxed)) {
    }
    return n == 1;
}

// Blocks of any size and alignment. The C runtime's malloc aligns to 8 bytes only, less
// than the compiler assumes of operator new, so large blocks take the aligned form too.
void* Allocate(size_t Size, size_t Align, const void* Site) noexcept
{
    if (InjectedFailureDue())
        return nullptr;
    // The runtime's aligned allocation adds the alignment to the size without looking: a
    // size near the top of the address space would wrap round to a small block.
    if (Size > SIZE_MAX - Align - 4096)
        return nullptr;
    if (Checking())
        return zmemmgr::CheckedAllocate(Size, Align, Site);
    if (Align <= MemMgrAlignment && Size <= MemMgrMaxSmallBlock)
        return TakeSmall(Size);   // a request of 0 bytes gets a 16-byte block of its own
    return TakeLarge(Size, Align);
}

void Release(void* P, const void* Site) noexcept
{
    if (!P)
        return;
    if (Checking()) {
        zmemmgr::CheckedRelease(P, Site);
        return;
    }
    if (ClassPlusOneOf(P)) {
        PutSmall(P);
        return;
    }
    PutLarge(P);
}

// Operator new's contract: ask the new-handler for room until it gives up or there is none.
void* AllocateOrThrow(size_t Size, size_t Align, const void* Site)
{
    for (;;) {
        if (void* p = Allocate(Size, Align, Site))
            return p;
        std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}

void* AllocateOrNull(size_t Size, size_t Align, const void* Site) noexcept
{
    try {
        return AllocateOrThrow(Size, Align, Site);
    } catch (...) {
        return nullptr;
    }
}

constexpr size_t Plain = MemMgrAlignment;
} // namespace

void* zmemmgr::SmallAlloc(size_t Size) noexcept
{
    return TakeSmall(Size);
}

void zmemmgr::SmallRelease(void* P) noexcept
{
    PutSmall(P);
}

size_t MemMgrSmallBlockSize(const void* P) noexcept
{
    const unsigned classPlusOne = P && !Checking() ? ClassPlusOneOf(P) : 0;
    return classPlusOne ? Classes.Size[classPlusOne - 1] : 0;
}

uint32_t MemMgrFailAllocation(uint32_t Count) noexcept
{
    return FailCountdown.exchange(Count, std::memory_order_relaxed);
}

bool MemMgrChecking() noexcept
{
    return Checking();
}

TMemMgrState MemMgrState() noexcept
{
    TMemMgrState s{};
    if (Checking()) {
        // The blocks the program holds, not those the checking heap takes them from.
        zmemmgr::CheckedBlocksInUse(s.SmallBlocksInUse, s.LargeBlocksInUse, s.BytesInUse);
    } else {
        for (unsigned cls = 0; cls < ClassCount; ++cls) {
            TSizeClass& c = SizeClasses[cls];
            TLockGuard guard(c.Lock);
            s.SmallBlocksInUse += c.InUse;
            s.BytesInUse += uint64_t(c.InUse) * Classes.Size[cls];
        }
        s.LargeBlocksInUse = LargeInUse.load(std::memory_order_relaxed);
        s.BytesInUse += LargeBytes.load(std::memory_order_relaxed);
    }
    TLockGuard guard(RegionLock);
    s.ChunksTaken = ChunksTaken;
    return s;
}

// The replaceable forms. Sized deletes ignore the size: the chunk table knows it. Each
// passes on its caller, which a report of the checking heap names.
#define ZANDREL_CALLER __builtin_return_address(0)
void* operator new(size_t Size) { return AllocateOrThrow(Size, Plain, ZANDREL_CALLER); }
void* operator new[](size_t Size) { return AllocateOrThrow(Size, Plain, ZANDREL_CALLER); }
void* operator new(size_t Size, const std::nothrow_t&) noexcept { return AllocateOrNull(Size, Plain, ZANDREL_CALLER); }
void* operator new[](size_t Size, const std::nothrow_t&) noexcept { return AllocateOrNull(Size, Plain, ZANDREL_CALLER); }
void* operator new(size_t Size, std::align_val_t Align) { return AllocateOrThrow(Size, size_t(Align), ZANDREL_CALLER); }
void* operator new[](size_t Size, std::align_val_t Align) { return AllocateOrThrow(Size, size_t(Align), ZANDREL_CALLER); }
void* operator new(size_t Size, std::align_val_t Align, const std::nothrow_t&) noexcept
{
    return AllocateOrNull(Size, size_t(Align), ZANDREL_CALLER);
}
void* operator new[](size_t Size, std::align_val_t Align, const std::nothrow_t&) noexcept
{
    return AllocateOrNull(Size, size_t(Align), ZANDREL_CALLER);
}

void operator delete(void* P) noexcept { Release(P, ZANDREL_CALLER); }
void operator delete[](void* P) noexcept { Release(P, ZANDREL_CALLER); }
void operator delete(void* P, size_t) noexcept { Release(P, ZANDREL_CALLER); }
void operator delete[](void* P, size_t) noexcept { Release(P, ZANDREL_CALLER); }
void operator delete(void* P, const std::nothrow_t&) noexcept { Release(P, ZANDREL_CALLER); }
void operator delete[](void* P, const std::nothrow_t&) noexcept { Release(P, ZANDREL_CALLER); }
void operator delete(void* P, std::align_val_t) noexcept { Release(P, ZANDREL_CALLER); }
void operator delete[](void* P, std::align_val_t) noexcept { Release(P, ZANDREL_CALLER); }
void operator delete(void* P, size_t, std::align_val_t) noexcept { Release(P, ZANDREL_CALLER); }
void operator delete[](void* P, size_t, std::align_val_t) noexcept { Release(P, ZANDREL_CALLER); }
void operator delete(void* P, std::align_val_t, const std::nothrow_t&) noexcept { Release(P, ZANDREL_CALLER); }
void operator delete[](void* P, std::align_val_t, const std::nothrow_t&) noexcept { Release(P, ZANDREL_CALLER); }
