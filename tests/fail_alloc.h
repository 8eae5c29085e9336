// Memory used up, without using it up: a load is run again and again with its first, second,
// third ... allocation failing, until one run gets through with no failure left to happen.
#pragma once

#include "classlib/memmgr.h"
#include "classlib/sysutils.h"

#include <doctest.h>

// Runs Load with allocation n failing for n = 1, 2, ...; after each run that failed, Kept
// checks what it left. Every failure must come out as the library's EOutOfMemory. Answers the
// number of failed runs.
template <class L, class K> int FailEachAllocation(L&& Load, K&& Kept)
{
    struct TWithdraw {
        ~TWithdraw() { MemMgrFailAllocation(0); }
    } withdraw;
    for (uint32_t n = 1;; ++n) {
        MemMgrFailAllocation(n);
        bool failed = false;
        try {
            Load();
        } catch (const EOutOfMemory&) {
            failed = true;
        }
        // A run that went through with the failure still to come had fewer allocations: done.
        if (MemMgrFailAllocation(0) != 0 && !failed)
            return static_cast<int>(n) - 1;
        if (failed)
            Kept();
        else
            FAIL("an allocation failed and the load still went through, n = " << n);
    }
}
