// The clock of the measuring programs.
#pragma once

#include "classlib/winapi.h"

#include <algorithm>

// Seconds from the performance counter.
inline double Now()
{
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

// The best of a few runs, in milliseconds.
template <class F> double BestMs(int Runs, F&& Body)
{
    double best = 1e30;
    for (int i = 0; i < Runs; ++i) {
        double t0 = Now();
        Body();
        best = std::min(best, (Now() - t0) * 1000.0);
    }
    return best;
}
