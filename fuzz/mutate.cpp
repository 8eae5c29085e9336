#include "fuzz/mutate.h"

#include <algorithm>
#include <cstring>

uint64_t TFuzzRandom::Next()
{
    uint64_t z = (FState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint64_t InputSeed(uint64_t Seed, const std::string& Target, uint64_t Index)
{
    uint64_t h = 0xCBF29CE484222325ull;   // FNV-1a of the name: the targets' inputs differ
    for (unsigned char c : Target)
        h = (h ^ c) * 0x100000001B3ull;
    TFuzzRandom r(Seed ^ h);
    return r.Next() ^ (Index * 0xD6E8FEB86659FD93ull);
}

namespace {

// Values that have found faults before: the edges of signed and unsigned 8, 16 and 32 bits.
const uint32_t Interesting[] = {0,          1,          0x7F,       0x80,       0xFF,       0x100,
                                0x7FFF,     0x8000,     0xFFFF,     0x10000,    0x7FFFFFFF, 0x80000000,
                                0xFFFFFFFF, 0xFFFFFFFE, 0x3FFFFFFF, 0x40000000, 16,         64,
                                1024,       4096,       0xFFFFFF80, 0xFFFF8000};
// Numbers as text: the limits of Int32 and of 16 bits, just over them, far over them.
const char* const InterestingNumbers[] = {
    "0",     "-1",    "1",      "2147483647", "-2147483648", "2147483648", "-2147483649", "4294967295",
    "65535", "65536", "32767",  "-32768",     "255",         "256",        "100",         "101",
    "-100",  "99999999999999999999",          "$7FFFFFFF",   "0x80000000", "0x",          "-",
    "",      "1e9",   " 12 ",   "+5"};

void PutLE(TBytes& D, size_t At, uint32_t V, size_t N)
{
    for (size_t i = 0; i < N && At + i < D.size(); ++i)
        D[At + i] = uint8_t(V >> (8 * i));
}

void PutBE(TBytes& D, size_t At, uint32_t V, size_t N)
{
    for (size_t i = 0; i < N && At + i < D.size(); ++i)
        D[At + i] = uint8_t(V >> (8 * (N - 1 - i)));
}

// A value for a field at At: an interesting one, or a length at the edge of what follows.
uint32_t FieldValue(const TBytes& D, size_t At, TFuzzRandom& R)
{
    const uint32_t left = uint32_t(D.size() - std::min(At, D.size()));
    switch (R.Below(4)) {
    case 0:
        return left + uint32_t(R.Below(5)) - 2;
    case 1:
        return uint32_t(D.size()) + uint32_t(R.Below(3)) - 1;
    default:
        return Interesting[R.Below(std::size(Interesting))];
    }
}

// The span of a number (an optional minus and digits) at or after a random place; false when
// there is none.
bool FindNumber(const TBytes& D, TFuzzRandom& R, size_t& Begin, size_t& End)
{
    if (D.empty())
        return false;
    const size_t start = R.Below(D.size());
    for (size_t k = 0; k < D.size(); ++k) {
        size_t i = (start + k) % D.size();
        if (D[i] < '0' || D[i] > '9')
            continue;
        while (i > 0 && D[i - 1] >= '0' && D[i - 1] <= '9')
            --i;
        Begin = i > 0 && D[i - 1] == '-' ? i - 1 : i;
        End = i;
        while (End < D.size() && D[End] >= '0' && D[End] <= '9')
            ++End;
        return true;
    }
    return false;
}

// The bounds of the line holding a random place (its line feed included).
void FindLine(const TBytes& D, TFuzzRandom& R, size_t& Begin, size_t& End)
{
    const size_t at = R.Below(D.size());
    Begin = at;
    while (Begin > 0 && D[Begin - 1] != '\n')
        --Begin;
    End = at;
    while (End < D.size() && D[End] != '\n')
        ++End;
    if (End < D.size())
        ++End;
}

void MutateOnce(TBytes& D, const std::vector<TBytes>& Corpus, const TMutationHints& H, TFuzzRandom& R)
{
    const size_t n = D.size();
    switch (R.Below(16)) {
    case 0:   // a bit flipped
    case 1:
        if (n)
            D[R.Below(n)] ^= uint8_t(1u << R.Below(8));
        break;
    case 2:   // a byte set
        if (n)
            D[R.Below(n)] = R.OneIn(2) ? uint8_t(Interesting[R.Below(std::size(Interesting))]) : uint8_t(R.Next());
        break;
    case 3: {   // a 16- or 32-bit field set, either byte order
        if (n < 2)
            break;
        const size_t width = R.OneIn(2) ? 2 : 4;
        const size_t at = R.Below(n - 1);
        const uint32_t v = FieldValue(D, at + width, R);
        R.OneIn(4) ? PutBE(D, at, v, width) : PutLE(D, at, v, width);
        break;
    }
    case 4: {   // a byte or word moved up or down a little
        if (!n)
            break;
        const size_t at = R.Below(n);
        const int delta = int(R.Below(35)) - 17;
        if (R.OneIn(2) || at + 4 > n) {
            D[at] = uint8_t(D[at] + delta);
        } else {
            uint32_t v;
            std::memcpy(&v, &D[at], 4);
            v += uint32_t(delta);
            std::memcpy(&D[at], &v, 4);
        }
        break;
    }
    case 5: {   // bytes inserted: random, a run of one byte, or a copy of another part
        const size_t at = R.Below(n + 1);
        TBytes ins;
        switch (R.Below(3)) {
        case 0:
            ins.resize(1 + R.Below(16));
            for (uint8_t& b : ins)
                b = uint8_t(R.Next());
            break;
        case 1:
            ins.assign(1 + R.Below(R.OneIn(8) ? 4096 : 64),
                       uint8_t(R.OneIn(2) || D.empty() ? R.Next() : D[R.Below(n)]));
            break;
        default:
            if (n) {
                const size_t from = R.Below(n);
                ins.assign(D.begin() + long(from), D.begin() + long(std::min(n, from + 1 + R.Below(128))));
            }
            break;
        }
        D.insert(D.begin() + long(at), ins.begin(), ins.end());
        break;
    }
    case 6:   // bytes deleted
    case 7: {
        if (!n)
            break;
        const size_t at = R.Below(n);
        const size_t len = 1 + R.Below(std::min<size_t>(n - at, R.OneIn(4) ? n : 16));
        D.erase(D.begin() + long(at), D.begin() + long(at + len));
        break;
    }
    case 8: {   // the start of this input and the rest of another
        const TBytes& other = Corpus[R.Below(Corpus.size())];
        const size_t cut = R.Below(n + 1);
        const size_t from = R.Below(other.size() + 1);
        D.resize(cut);
        D.insert(D.end(), other.begin() + long(from), other.end());
        break;
    }
    case 9:   // cut short
        if (n)
            D.resize(R.Below(n));
        break;
    case 10: {   // grown or cut to a size where the reader changes its way
        if (H.EdgeSizes.empty() || !n)
            break;
        const size_t want = H.EdgeSizes[R.Below(H.EdgeSizes.size())] + R.Below(7) - 3;
        const TBytes copy = D;
        D.resize(want);
        for (size_t i = copy.size(); i < want; ++i)
            D[i] = copy[i % copy.size()];
        break;
    }
    case 11:   // a word of the format inserted or written over
    case 12: {
        if (H.Words.empty())
            break;
        const std::string& w = H.Words[R.Below(H.Words.size())];
        const size_t at = R.Below(n + 1);
        if (R.OneIn(2) && at + w.size() <= n)
            std::memcpy(&D[at], w.data(), w.size());
        else
            D.insert(D.begin() + long(at), w.begin(), w.end());
        break;
    }
    case 13: {   // a number in the text replaced by one at an edge
        size_t b, e;
        if (!H.Text || !FindNumber(D, R, b, e))
            break;
        const char* v = InterestingNumbers[R.Below(std::size(InterestingNumbers))];
        D.erase(D.begin() + long(b), D.begin() + long(e));
        D.insert(D.begin() + long(b), v, v + std::strlen(v));
        break;
    }
    case 14: {   // a line doubled, dropped or moved
        if (!H.Text || !n)
            break;
        size_t b, e;
        FindLine(D, R, b, e);
        const TBytes line(D.begin() + long(b), D.begin() + long(e));
        if (R.OneIn(3)) {
            D.insert(D.begin() + long(e), line.begin(), line.end());
        } else {
            D.erase(D.begin() + long(b), D.begin() + long(e));
            if (R.OneIn(2)) {
                const size_t at = R.Below(D.size() + 1);
                D.insert(D.begin() + long(at), line.begin(), line.end());
            }
        }
        break;
    }
    default: {   // a run of bytes made all the same
        if (!n)
            break;
        const size_t at = R.Below(n);
        std::fill(D.begin() + long(at), D.begin() + long(std::min(n, at + 1 + R.Below(32))), uint8_t(R.Next()));
        break;
    }
    }
    if (D.size() > H.MaxSize)
        D.resize(H.MaxSize);
}

} // namespace

TBytes Mutate(const std::vector<TBytes>& Corpus, const TMutationHints& Hints, TFuzzRandom& R)
{
    TBytes d = Corpus[R.Below(Corpus.size())];
    // Mostly one or two changes, now and then a pile of them.
    const size_t changes = R.OneIn(4) ? 1 + R.Below(8) : 1 + R.Below(2);
    for (size_t i = 0; i < changes; ++i)
        MutateOnce(d, Corpus, Hints, R);
    return d;
}
