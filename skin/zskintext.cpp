#include "skin/zskintext.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <emmintrin.h>

namespace {

// The system's upper case of every byte of the ANSI code page, made once.
const std::array<uint8_t, 256>& FoldTable()
{
    static const std::array<uint8_t, 256> table = [] {
        std::array<uint8_t, 256> t{};
        for (int c = 0; c < 256; ++c) {
            char ch = char(c);
            if (c >= 0x80)
                CharUpperBuffA(&ch, 1);
            else if (c >= 'a' && c <= 'z')
                ch = char(c - 'a' + 'A');
            t[size_t(c)] = uint8_t(ch);
        }
        return t;
    }();
    return table;
}

bool IsBlank(char C) { return static_cast<unsigned char>(C) <= ' '; }

// Bits of the 32 bytes at P that are C, the first byte in the lowest bit.
inline unsigned BytesEqual32(__m128i Low, __m128i High, __m128i C)
{
    return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(Low, C))) |
           unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(High, C))) << 16;
}

// The line that starts at P: where it ends (its first CR or LF, or End), its first "="
// before that (null when it has none), and the marks of what follows that "=" (the value).
// Thirty-two bytes are looked at together, as most lines are shorter: every byte of an option
// text passes through here at each load, and a loop of one round costs no guessing.
const char* ScanLine(const char* P, const char* End, const char*& Equals, uint8_t& Marks)
{
    Equals = nullptr;
    Marks = 0;
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), eq = _mm_set1_epi8('=');
    const __m128i hash = _mm_set1_epi8('#'), dot = _mm_set1_epi8('.');
    for (; End - P >= 32; P += 32) {
        __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
        __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P + 16));
        unsigned breaks = BytesEqual32(lo, hi, cr) | BytesEqual32(lo, hi, lf);
        // Bits of the positions before the first line break, and of those after the "=".
        unsigned inLine = breaks ? (breaks & -breaks) - 1 : ~0u;
        unsigned value = inLine;
        if (!Equals) {
            unsigned equals = BytesEqual32(lo, hi, eq) & inLine;
            value = 0;
            if (equals) {
                Equals = P + __builtin_ctz(equals);
                unsigned first = equals & -equals;
                value = inLine & ~(first | (first - 1));
            }
        }
        if (BytesEqual32(lo, hi, hash) & value)
            Marks |= TSkOptionText::HasHash;
        if (BytesEqual32(lo, hi, dot) & value)
            Marks |= TSkOptionText::HasDot;
        if (breaks)
            return P + __builtin_ctz(breaks);
    }
    for (; P < End && *P != '\r' && *P != '\n'; ++P) {
        if (!Equals) {
            if (*P == '=')
                Equals = P;
        } else if (*P == '#') {
            Marks |= TSkOptionText::HasHash;
        } else if (*P == '.') {
            Marks |= TSkOptionText::HasDot;
        }
    }
    return P;
}

// Four bytes of a name as one number, each byte through Fold.
template <class TFold> uint32_t Word(const char* P, TFold Fold)
{
    auto at = [&](int i) { return uint32_t(Fold(static_cast<unsigned char>(P[i]))); };
    return at(0) | at(1) << 8 | at(2) << 16 | at(3) << 24;
}

// A hash of Size bytes at P, each taken through Fold, from the length, the first four bytes
// and the last four (for shorter names, the first, middle and last byte): a fixed amount of
// work whatever the name. Names that differ only inside share it, and are told apart by the
// comparison that every hash lookup makes.
template <class TFold> uint32_t NameHash(const char* P, size_t Size, TFold Fold)
{
    uint32_t first = 0, last = 0;
    if (Size >= 4) {
        first = Word(P, Fold);
        last = Word(P + Size - 4, Fold);
    } else if (Size > 0) {
        first = Fold(static_cast<unsigned char>(P[0])) | Fold(static_cast<unsigned char>(P[Size / 2])) << 8 |
                Fold(static_cast<unsigned char>(P[Size - 1])) << 16;
    }
    uint32_t h = (uint32_t(Size) * 0x9E3779B1u ^ first) * 0x85EBCA6Bu;
    h = (h ^ (h >> 15) ^ last) * 0xC2B2AE35u;
    // Every bit reaches the low bits, which pick the slots of the key tables.
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    return h ^ (h >> 13);
}

inline uint32_t FoldedHash(const char* P, size_t Size)
{
    const auto& fold = FoldTable();
    return NameHash(P, Size, [&](unsigned char c) { return uint32_t(fold[c]); });
}

// Whether the bytes of A and B (of one size N) are the same, for names of up to 32 bytes:
// two loads of each, from the front and from the back, overlapping in the middle, instead of
// a loop whose end the processor cannot foresee.
bool SameShortBytes(const char* A, const char* B, size_t N)
{
    auto same16 = [](const char* X, const char* Y) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(X));
        __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Y));
        return _mm_movemask_epi8(_mm_cmpeq_epi8(x, y)) == 0xFFFF;
    };
    auto same8 = [](const char* X, const char* Y) {
        uint64_t x, y;
        std::memcpy(&x, X, 8);
        std::memcpy(&y, Y, 8);
        return x == y;
    };
    auto same4 = [](const char* X, const char* Y) {
        uint32_t x, y;
        std::memcpy(&x, X, 4);
        std::memcpy(&y, Y, 4);
        return x == y;
    };
    if (N >= 16)
        return same16(A, B) & same16(A + N - 16, B + N - 16);
    if (N >= 8)
        return same8(A, B) & same8(A + N - 8, B + N - 8);
    if (N >= 4)
        return same4(A, B) & same4(A + N - 4, B + N - 4);
    bool same = true;
    for (size_t i = 0; i < N; ++i)
        same &= A[i] == B[i];
    return same;
}

// Names compared as SameSkinName compares them; kept here whole, so that the loops of this
// file compare in place.
inline bool SameName(std::string_view A, std::string_view B)
{
    if (A.size() != B.size())
        return false;
    // Names are nearly always spelled alike; only where the bytes differ does the case of
    // the code page decide.
    const char* a = A.data();
    const char* b = B.data();
    size_t n = A.size();
    if (n <= 32 && SameShortBytes(a, b, n))
        return true;
    const auto& fold = FoldTable();
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i] && fold[static_cast<unsigned char>(a[i])] != fold[static_cast<unsigned char>(b[i])])
            return false;
    return true;
}

} // namespace

bool SameSkinName(std::string_view A, std::string_view B)
{
    return SameName(A, B);
}

uint32_t SkinNameHash(std::string_view Name)
{
    return FoldedHash(Name.data(), Name.size());
}

bool UpperCaseIs(std::string_view S, std::string_view Upper)
{
    if (S.size() != Upper.size())
        return false;
    for (size_t i = 0; i < S.size(); ++i) {
        char c = S[i];
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        if (c != Upper[i])
            return false;
    }
    return true;
}

uint32_t SkinBytesHash(std::string_view Name)
{
    return NameHash(Name.data(), Name.size(), [](unsigned char c) { return uint32_t(c); });
}

std::string_view TrimView(std::string_view S)
{
    size_t b = 0, e = S.size();
    while (b < e && IsBlank(S[b]))
        ++b;
    while (e > b && IsBlank(S[e - 1]))
        --e;
    return S.substr(b, e - b);
}

// ---------------------------------------------------------------------------------------

TSkOptionText::TKey::TKey(std::string_view AName) : Name(AName), Hash(SkinNameHash(AName)) {}

TSkOptionText::TSkOptionText(const char* Text, size_t Length)
{
    Parse(Text ? std::string_view(Text, Length) : std::string_view());
}

TSkOptionText::TSkOptionText(const TStrings* Lines)
{
    if (Lines) {
        for (int i = 0; i < Lines->Count(); ++i) {
            FOwnText += Lines->Strings(i);
            FOwnText += '\n';
        }
    }
    Parse(FOwnText);
}

void TSkOptionText::Parse(std::string_view Text)
{
    // Entries are collected in file order with their section, then grouped by section
    // (a section named twice gets the lines of both places, first place first). The text is
    // walked once by hand: this runs over every line of a skin at each load.
    std::vector<TEntry> entries;
    entries.reserve(Text.size() / 16 + 1);
    // The first PARENTCLASS value of each section, looked for on the way.
    const std::string_view parentKey = "PARENTCLASS";
    std::vector<uint32_t> parentEntries;
    // The section of each entry, kept only once a section named twice has lines added in a
    // later place: until then the entries come section by section.
    bool grouped = true;
    std::vector<uint32_t> sectionOf;
    int current = -1, last = -1;
    const char* p = Text.data();
    const char* const end = p + Text.size();
    while (p < end) {
        // Blanks before a line, line breaks and lines of blanks alike are passed over: what
        // is left of them after trimming is an empty line, which is skipped.
        while (p < end && IsBlank(*p))
            ++p;
        if (p == end)
            break;
        const char* b = p;
        const char* eq;
        uint8_t marks;
        p = ScanLine(b, end, eq, marks);
        const char* e = p;
        while (IsBlank(e[-1]))   // stops at b, which is not blank
            --e;
        if (*b == ';')
            continue;
        if (*b == '[' && e[-1] == ']' && e - b >= 2) {
            std::string_view name = TrimView(std::string_view(b + 1, size_t(e - b - 2)));
            current = FindSection(name);
            if (current < 0) {
                FSections.push_back(TSection{name, 0, 0, -1, FoldedHash(name.data(), name.size())});
                parentEntries.push_back(UINT32_MAX);
                current = int(FSections.size() - 1);
            }
            continue;
        }
        if (current < 0 || !eq)
            continue;
        const char* ke = eq;
        while (ke > b && IsBlank(ke[-1]))
            --ke;
        const char* vb = eq + 1;
        while (vb < e && IsBlank(*vb))
            ++vb;
        if (vb < e && (*vb == '~' || *vb == '@' || *vb == '^' || *vb == '!'))
            marks |= LeadsForm;
        std::string_view key(b, size_t(ke - b));
        if (key.size() == parentKey.size() && parentEntries[size_t(current)] == UINT32_MAX && SameName(key, parentKey))
            parentEntries[size_t(current)] = uint32_t(entries.size());
        if (grouped && current < last) {
            grouped = false;
            sectionOf.reserve(entries.capacity());
            for (size_t i = 0; i < FSections.size(); ++i)
                sectionOf.insert(sectionOf.end(), FSections[i].Count, uint32_t(i));
        }
        if (!grouped)
            sectionOf.push_back(uint32_t(current));
        last = current;
        entries.push_back(TEntry{key, std::string_view(vb, size_t(e - vb)), FoldedHash(b, key.size()), marks});
        ++FSections[size_t(current)].Count;
    }
    uint32_t first = 0;
    for (TSection& s : FSections) {
        s.First = first;
        first += s.Count;
    }
    // A parent that is not set, is "?", or is the section itself (then the section would
    // only be read again) names no section.
    for (size_t i = 0; i < FSections.size(); ++i) {
        if (parentEntries[i] == UINT32_MAX)
            continue;
        TSection& s = FSections[i];
        std::string_view v = entries[parentEntries[i]].Value;
        if (!v.empty() && v != "?" && v != s.Name) {
            s.Parent = FindSection(v);
            if (s.Parent == int(i))
                s.Parent = -1;
        }
    }
    if (grouped) {
        FEntries = std::move(entries);
    } else {
        FEntries.resize(entries.size());
        std::vector<uint32_t> next(FSections.size());
        for (size_t i = 0; i < FSections.size(); ++i)
            next[i] = FSections[i].First;
        for (size_t i = 0; i < entries.size(); ++i)
            FEntries[next[sectionOf[i]]++] = entries[i];
    }
}

int TSkOptionText::FindSection(std::string_view Name) const
{
    uint32_t h = FoldedHash(Name.data(), Name.size());
    for (size_t i = 0; i < FSections.size(); ++i)
        if (FSections[i].Hash == h && SameName(FSections[i].Name, Name))
            return int(i);
    return -1;
}

const std::string_view* TSkOptionText::Value(const TSection& Section, const TKey& Key) const
{
    const TEntry* e = Entries(Section);
    for (uint32_t i = 0; i < Section.Count; ++i)
        if (e[i].Hash == Key.Hash && SameName(e[i].Key, Key.Name))
            return &e[i].Value;
    return nullptr;
}

std::string_view TSkOptionText::ReadString(std::string_view Section, std::string_view Key,
                                           std::string_view Default) const
{
    int s = FindSection(Section);
    if (s < 0)
        return Default;
    const std::string_view* v = Value(FSections[size_t(s)], TKey(Key));
    return v ? *v : Default;
}

// ---------------------------------------------------------------------------------------

std::vector<std::string_view> SplitWords(std::string_view S, std::string_view Delims)
{
    std::vector<std::string_view> words;
    size_t pos = 0;
    while (pos < S.size()) {
        size_t b = S.find_first_not_of(Delims, pos);
        if (b == std::string_view::npos)
            break;
        size_t e = S.find_first_of(Delims, b);
        if (e == std::string_view::npos)
            e = S.size();
        words.push_back(S.substr(b, e - b));
        pos = e;
    }
    return words;
}

bool ParseLongDecimal(std::string_view S, int& Value)
{
    if (S.empty())
        return false;
    auto [end, ec] = std::from_chars(S.data(), S.data() + S.size(), Value);
    return ec == std::errc() && end == S.data() + S.size();
}

bool ParseOtherIniInt(std::string_view S, int& Value)
{
    // Blanks, a plus sign, hexadecimal: the way the class library reads them.
    return TryStrToInt(AnsiString(S), Value);
}

std::string_view FileExtOf(std::string_view Name)
{
    // Searched from the end by hand: this runs over every value of an option text.
    for (size_t i = Name.size(); i-- > 0;) {
        char c = Name[i];
        if (c == '.')
            return Name.substr(i);
        if (c == '\\' || c == ':' || c == '/')
            break;
    }
    return std::string_view();
}

// ---------------------------------------------------------------------------------------

TSkKeyIndex::TSkKeyIndex(const TSkOptionText& Text, const std::vector<TSkOptionText::TKey>& Keys)
    : FText(Text), FKeyCount(Keys.size())
{
    // An open-addressed table of the keys by hash, at most half full.
    size_t size = 16;
    while (size < Keys.size() * 2)
        size *= 2;
    std::vector<int> table(size, -1);
    for (size_t k = 0; k < Keys.size(); ++k) {
        size_t h = Keys[k].Hash & (size - 1);
        while (table[h] >= 0)
            h = (h + 1) & (size - 1);
        table[h] = int(k);
    }
    const auto& sections = Text.Sections();
    FSlots.assign(sections.size() * Keys.size(), -1);
    for (size_t s = 0; s < sections.size(); ++s) {
        const TSkOptionText::TEntry* e = Text.Entries(sections[s]);
        int* slots = FSlots.data() + s * Keys.size();
        for (uint32_t i = 0; i < sections[s].Count; ++i) {
            for (size_t h = e[i].Hash & (size - 1); table[h] >= 0; h = (h + 1) & (size - 1)) {
                int k = table[h];
                if (Keys[size_t(k)].Hash == e[i].Hash && SameName(Keys[size_t(k)].Name, e[i].Key)) {
                    if (slots[k] < 0)
                        slots[k] = int(sections[s].First + i);   // the first of equal keys
                    break;
                }
            }
        }
    }
}


