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

// A minimal list over a vector, to reach what the abstract wide list does on its own.
class TVectorStrings : public TWideStrings {
public:
    WideString Get(int Index) const override { return FItems.at(static_cast<size_t>(Index)); }
    int GetCount() const override { return static_cast<int>(FItems.size()); }
    void Clear() override { FItems.clear(); }
    void Delete(int Index) override { FItems.erase(FItems.begin() + Index); }
    void Insert(int Index, const WideString& S) override { FItems.insert(FItems.begin() + Index, S); }
    std::vector<WideString> FItems;
};

// UTF-16 bytes of a text, little- and big-endian.
inline std::string Utf16Bytes(const WideString& S, bool BigEndian)
{
    std::string r;
    for (WideChar c : S) {
        r += static_cast<char>(BigEndian ? c >> 8 : c & 0xFF);
        r += static_cast<char>(BigEndian ? c & 0xFF : c >> 8);
    }
    return r;
}
inline std::string LE(const WideString& S) { return Utf16Bytes(S, false); }
inline std::string BE(const WideString& S) { return Utf16Bytes(S, true); }
} // namespace widetest
