// The option text of a skin, held in memory and indexed once for the skin loader, and the
// small text helpers the loader reads values with.
//
// The text is read as the in-memory INI object reads it: lines are trimmed, empty lines and
// lines beginning with ';' are skipped, "[NAME]" opens a section, a section named twice
// continues the first, section and key names are compared without regard to case, and of
// two equal keys the first is the one read. Every name and value is a view into the text
// the object keeps, so that indexing a large option text allocates little.
#pragma once

#include "classlib/classes.h"

#include <cstdint>
#include <string_view>
#include <vector>

// Names compared as the system's ANSI code page upper-cases them.
bool SameSkinName(std::string_view A, std::string_view B);
// A hash of a name that is equal for names that are the same.
uint32_t SkinNameHash(std::string_view Name);
// A hash of a name as it is spelled, for names compared exactly.
uint32_t SkinBytesHash(std::string_view Name);
// Whether S with its ASCII letters upper-cased (as UpperCase makes it) is Upper.
bool UpperCaseIs(std::string_view S, std::string_view Upper);

class TSkOptionText {
public:
    // Marks of an entry: characters its value holds, noted while the text is read so that a
    // reader looking for them can pass over the other values without reading them.
    static constexpr uint8_t HasHash = 1;     // a "#"
    static constexpr uint8_t HasDot = 2;      // a "."
    static constexpr uint8_t LeadsForm = 4;   // "~", "@", "^" or "!" first: a form of picture
    struct TEntry {
        std::string_view Key;
        std::string_view Value;
        uint32_t Hash;   // of the key, case folded
        uint8_t Marks;   // HasHash, HasDot, LeadsForm
    };
    struct TSection {
        std::string_view Name;   // as first written
        uint32_t First = 0;      // its entries: Entries()[First .. First + Count - 1], in file order
        uint32_t Count = 0;
        int Parent = -1;         // the section its PARENTCLASS names, or -1
        uint32_t Hash = 0;       // of the name, case folded
    };
    // A key to look up, folded and hashed once.
    struct TKey {
        explicit TKey(std::string_view Name);
        std::string_view Name;
        uint32_t Hash;
    };

    // The text as it is stored (lines separated by CR, LF or both). The text is not
    // copied: it must outlive the object.
    TSkOptionText(const char* Text, size_t Length);
    // Lines of a string list (copied).
    explicit TSkOptionText(const TStrings* Lines);
    TSkOptionText(const TSkOptionText&) = delete;
    TSkOptionText& operator=(const TSkOptionText&) = delete;

    const std::vector<TSection>& Sections() const { return FSections; }
    const TEntry* Entries(const TSection& Section) const { return FEntries.data() + Section.First; }
    const TEntry& Entry(uint32_t Index) const { return FEntries[Index]; }
    int FindSection(std::string_view Name) const;   // -1 when missing
    // The first value of Key in the section; null when missing.
    const std::string_view* Value(const TSection& Section, const TKey& Key) const;
    std::string_view ReadString(std::string_view Section, std::string_view Key,
                                std::string_view Default) const;

private:
    void Parse(std::string_view Text);
    std::string FOwnText;
    std::vector<TEntry> FEntries;   // grouped by section, each group in file order
    std::vector<TSection> FSections;
};

// For a fixed list of keys: the first value of each key in each section, found in one pass
// over the text instead of a search per read.
class TSkKeyIndex {
public:
    TSkKeyIndex(const TSkOptionText& Text, const std::vector<TSkOptionText::TKey>& Keys);
    // The value of Keys[Key] in section Section; null when missing.
    const std::string_view* Value(int Section, size_t Key) const
    {
        int e = FSlots[size_t(Section) * FKeyCount + Key];
        return e < 0 ? nullptr : &FText.Entry(uint32_t(e)).Value;
    }

private:
    const TSkOptionText& FText;
    size_t FKeyCount;
    std::vector<int> FSlots;   // per section and key: the entry, or -1
};

// Runs of characters outside Delims, in order.
std::vector<std::string_view> SplitWords(std::string_view S, std::string_view Delims);
// A decimal integer: an optional minus sign and digits, nothing else.
bool ParseLongDecimal(std::string_view S, int& Value);
inline bool ParseDecimal(std::string_view S, int& Value)
{
    // Up to nine digits cannot overflow: read here, in the caller's loop, as nearly every
    // value of a skin is such a number. Longer ones (leading zeros, the limits of the type)
    // go the long way.
    bool negative = !S.empty() && S[0] == '-';
    size_t digits = S.size() - negative;
    if (digits - 1 >= 9)
        return ParseLongDecimal(S, Value);
    int32_t v = 0;
    for (size_t i = negative; i < S.size(); ++i) {
        unsigned d = unsigned(static_cast<unsigned char>(S[i])) - '0';
        if (d > 9)
            return false;
        v = v * 10 + int32_t(d);
    }
    Value = negative ? -v : v;
    return true;
}
// An integer as the INI object reads one: blanks before it, a sign, "$" or "0x" for
// hexadecimal. Plain decimal numbers, nearly every value of a skin, are read in place.
bool ParseOtherIniInt(std::string_view S, int& Value);
inline bool ParseIniInt(std::string_view S, int& Value)
{
    return ParseDecimal(S, Value) || ParseOtherIniInt(S, Value);
}
// The extension with its dot ("" when none), as file names are split.
std::string_view FileExtOf(std::string_view Name);
// S without the blanks and control characters at both ends.
std::string_view TrimView(std::string_view S);
