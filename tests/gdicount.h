// The number of drawing objects (DCs included) the program holds, for tests that must leave
// as many as they found. GetGuiResources answers that on Windows; under Wine it answers 0, and
// the handle table is walked instead: Wine takes a handle whose high word is zero as the bare
// table index, so every index that names an object counts once.
//
// Wine makes some objects once and keeps them (the screen DC's cache, stock objects on first
// use): do the work once before the first count.
#pragma once

#include "classlib/winapi.h"

inline int GdiObjectCount()
{
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))
        return static_cast<int>(n);
    int count = 0;
    for (UINT_PTR i = 1; i < 0x10000; ++i)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(i)))
            ++count;
    return count;
}
