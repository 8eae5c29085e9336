// What the two parts of the memory manager share: the fast small-block allocator
// (memmgr.cpp) and the checking heap built on it (memmgr_check.cpp). Not for other units.
#pragma once

#include "classlib/memmgr.h"
#include "classlib/winapi.h"

#include <atomic>

namespace zmemmgr {

// A spin lock that yields the processor when its holder does not let go soon: with two
// cores and more threads, the holder may be waiting for this very core.
class TSpinLock {
public:
    void Acquire() noexcept
    {
        while (FHeld.exchange(true, std::memory_order_acquire)) {
            int spins = 0;
            while (FHeld.load(std::memory_order_relaxed)) {
                if (++spins < 64) {
                    YieldProcessor();
                } else {
                    SwitchToThread();
                    spins = 0;
                }
            }
        }
    }
    // For a path that must not wait for ever (a fault report while another thread may
    // hold the lock): false when the lock stayed taken for about Tries yields.
    bool TryAcquire(int Tries) noexcept
    {
        while (FHeld.exchange(true, std::memory_order_acquire)) {
            if (--Tries < 0)
                return false;
            SwitchToThread();
        }
        return true;
    }
    void Release() noexcept { FHeld.store(false, std::memory_order_release); }

private:
    std::atomic<bool> FHeld{false};
};

class TLockGuard {
public:
    explicit TLockGuard(TSpinLock& L) noexcept : FLock(L) { FLock.Acquire(); }
    ~TLockGuard() { FLock.Release(); }
    TLockGuard(const TLockGuard&) = delete;
    TLockGuard& operator=(const TLockGuard&) = delete;

private:
    TSpinLock& FLock;
};

// The fast allocator's size classes: a block of at least Size (up to MemMgrMaxSmallBlock)
// bytes, or null when no memory is left; and its release.
void* SmallAlloc(size_t Size) noexcept;
void SmallRelease(void* P) noexcept;

// The checking heap. Site is the caller of operator new or delete, for the report.
void StartChecking() noexcept;
void* CheckedAllocate(size_t Size, size_t Align, const void* Site) noexcept;
void CheckedRelease(void* P, const void* Site) noexcept;
void CheckedBlocksInUse(uint32_t& Small, uint32_t& Large, uint64_t& Bytes) noexcept;

} // namespace zmemmgr
