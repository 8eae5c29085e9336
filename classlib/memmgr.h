// The program's own memory manager. It replaces the global operator new and operator delete
// in every program linked with the class library: blocks up to MemMgrMaxSmallBlock bytes come
// from size classes carved out of 64 KB chunks, larger ones from the C runtime's heap. The
// system heap costs a few hundred nanoseconds a block, and a text of a few hundred thousand
// lines is a few hundred thousand blocks.
#pragma once

#include <cstddef>
#include <cstdint>

// The largest block served by a size class; every block is aligned to 16 bytes, as the
// compiler assumes of operator new.
constexpr size_t MemMgrMaxSmallBlock = 1024;
constexpr size_t MemMgrAlignment = 16;

// The usable size of a block of a size class (at least what was asked), or 0 when P is null or
// not such a block (a large block, or memory the manager did not give out).
size_t MemMgrSmallBlockSize(const void* P) noexcept;

struct TMemMgrState {
    uint32_t SmallBlocksInUse;   // handed out and not yet freed, over all size classes
    uint32_t ChunksTaken;        // 64 KB chunks carved into size classes (never given back)
};

// A snapshot; with other threads allocating it is only approximate.
TMemMgrState MemMgrState() noexcept;

// For tests of what memory used up leaves behind: allocation number Count from now (1: the
// next) fails, once, as though there were no memory left; 0 withdraws a failure not yet due.
// Answers how many allocations were still left before the one withdrawn or replaced (0: it
// has happened, or there was none).
uint32_t MemMgrFailAllocation(uint32_t Count) noexcept;
