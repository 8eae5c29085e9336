// The items of a string list as a vector, for comparisons in tests.
#pragma once

#include "classlib/classes.h"

#include <vector>

inline std::vector<AnsiString> Items(const TStrings& s)
{
    std::vector<AnsiString> v;
    for (int i = 0; i < s.Count(); ++i)
        v.push_back(s.Strings(i));
    return v;
}
