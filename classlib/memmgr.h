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
    uint32_t LargeBlocksInUse;   // the others (larger or more aligned), handed out and not yet freed
    // The bytes the program holds in all of them: a small block counts its size class, a large
    // one (and every block of the checking heap) the size asked for.
    uint64_t BytesInUse;
};

// A snapshot; with other threads allocating it is only approximate.
TMemMgrState MemMgrState() noexcept;

// For tests of what memory used up leaves behind: allocation number Count from now (1: the
// next) fails, once, as though there were no memory left; 0 withdraws a failure not yet due.
// Answers how many allocations were still left before the one withdrawn or replaced (0: it
// has happened, or there was none).
uint32_t MemMgrFailAllocation(uint32_t Count) noexcept;

// ---------------------------------------------------------------------------------------
// The checking heap: a mode for finding faults, chosen once for the whole run before the
// first allocation, when the environment variable ZANDREL_HEAPCHECK is set to anything but
// "" or "0". Every block then has guard bytes in front and behind, is filled with 0xCD when
// given out and with 0xDD when freed, and is held back for a while before its memory is used
// again, so a write past either end or after the free shows. Blocks above about 940 bytes
// end against a page that may not be touched: reading or writing one byte past them faults
// at once, and their pages cannot be touched at all once freed. Guards are checked when a
// block is freed, when a held-back block is let go, by MemMgrCheckHeap and at exit. A fault
// writes a report (the block's size and address, where it was allocated, where the fault
// was found) to the standard error and ends the program with MemMgrFaultExitCode.
// Sizes of blocks are then not those of the size classes: MemMgrSmallBlockSize answers 0.
bool MemMgrChecking() noexcept;
constexpr unsigned MemMgrFaultExitCode = 86;

// Checks the guards of every live block and the fill of every held-back block now, so that
// a fault is found while what caused it is still known. Does nothing in the normal mode.
void MemMgrCheckHeap() noexcept;

// Called with the report of a fault, after it is written and before the program ends (for a
// program that keeps what it was doing, such as the input that caused it). It must not
// allocate. Null for none; answers the one it replaces.
using TMemMgrFaultHook = void (*)(const char* Report);
TMemMgrFaultHook MemMgrSetFaultHook(TMemMgrFaultHook Hook) noexcept;
