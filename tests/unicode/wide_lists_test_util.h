// Small helpers shared by the tests of the wide lists, text files and form data.
#pragma once

#include "uctest.h"
#include "unicode/ucwidestrings.h"

#include <string>
#include <vector>

namespace widetest {
using W = std::vector<WideString>;

inline W Items(const TWideStrings& L)
{
    W r;
    for (int i = 0; i < L.Count(); ++i)
        r.push_back(L.Strings(i));
    return r;
}

// UTF-16 bytes of a text, little- and big-endian.
inline std::string LE(const WideString& S)
{
    std::string r;
    for (WideChar c : S) {
        r += static_cast<char>(c & 0xFF);
        r += static_cast<char>(c >> 8);
    }
    return r;
}

inline std::string BE(const WideString& S)
{
    std::string r;
    for (WideChar c : S) {
        r += static_cast<char>(c >> 8);
        r += static_cast<char>(c & 0xFF);
    }
    return r;
}
} // namespace widetest
