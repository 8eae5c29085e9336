#include "skin/zskintext.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

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

// Where the line that starts at Pos ends: the first CR or LF, or the end of the text. Found
// with the library's fast byte search, as this runs over the whole text.
size_t LineEnd(std::string_view Text, size_t Pos)
{
    const char* p = Text.data() + Pos;
    size_t left = Text.size() - Pos;
    const void* lf = std::memchr(p, '\n', left);
    size_t n = lf ? size_t(static_cast<const char*>(lf) - p) : left;
    const void* cr = std::memchr(p, '\r', n);
    if (cr)
        n = size_t(static_cast<const char*>(cr) - p);
    return Pos + n;
}

} // namespace

bool SameSkinName(std::string_view A, std::string_view B)
{
    if (A.size() != B.size())
        return false;
    const auto& fold = FoldTable();
    for (size_t i = 0; i < A.size(); ++i)
        if (fold[static_cast<unsigned char>(A[i])] != fold[static_cast<unsigned char>(B[i])])
            return false;
    return true;
}

uint32_t SkinNameHash(std::string_view Name)
{
    const auto& fold = FoldTable();
    uint32_t h = 2166136261u;
    for (char c : Name)
        h = (h ^ fold[static_cast<unsigned char>(c)]) * 16777619u;
    return h;
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
    // (a section named twice gets the lines of both places, first place first).
    std::vector<TEntry> entries;
    entries.reserve(Text.size() / 16);
    int current = -1;
    size_t pos = 0;
    while (pos < Text.size()) {
        size_t end = LineEnd(Text, pos);
        std::string_view line = TrimView(Text.substr(pos, end - pos));
        pos = end + 1;
        if (end < Text.size() && Text[end] == '\r' && pos < Text.size() && Text[pos] == '\n')
            ++pos;
        if (line.empty() || line[0] == ';')
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            std::string_view name = TrimView(line.substr(1, line.size() - 2));
            current = FindSection(name);
            if (current < 0) {
                FSections.push_back(TSection{name, 0, 0, -1});
                current = int(FSections.size() - 1);
            }
            continue;
        }
        size_t eq = line.find('=');
        if (current < 0 || eq == std::string_view::npos)
            continue;
        std::string_view key = TrimView(line.substr(0, eq));
        entries.push_back(TEntry{key, TrimView(line.substr(eq + 1)), SkinNameHash(key), uint32_t(current)});
        ++FSections[size_t(current)].Count;
    }
    uint32_t first = 0;
    for (TSection& s : FSections) {
        s.First = first;
        first += s.Count;
    }
    bool grouped = std::is_sorted(entries.begin(), entries.end(),
                                  [](const TEntry& a, const TEntry& b) { return a.Section < b.Section; });
    if (grouped) {
        FEntries = std::move(entries);   // no section was named twice
    } else {
        FEntries.resize(entries.size());
        std::vector<uint32_t> next(FSections.size());
        for (size_t i = 0; i < FSections.size(); ++i)
            next[i] = FSections[i].First;
        for (const TEntry& e : entries)
            FEntries[next[e.Section]++] = e;
    }
    // A parent that is not set, is "?", or is the section itself (then the section would
    // only be read again) names no section.
    const TKey parentKey("PARENTCLASS");
    for (size_t i = 0; i < FSections.size(); ++i) {
        TSection& s = FSections[i];
        const std::string_view* p = Value(s, parentKey);
        if (p && !p->empty() && *p != "?" && *p != s.Name) {
            s.Parent = FindSection(*p);
            if (s.Parent == int(i))
                s.Parent = -1;
        }
    }
}

int TSkOptionText::FindSection(std::string_view Name) const
{
    for (size_t i = 0; i < FSections.size(); ++i)
        if (SameSkinName(FSections[i].Name, Name))
            return int(i);
    return -1;
}

const std::string_view* TSkOptionText::Value(const TSection& Section, const TKey& Key) const
{
    const TEntry* e = Entries(Section);
    for (uint32_t i = 0; i < Section.Count; ++i)
        if (e[i].Hash == Key.Hash && (e[i].Key == Key.Name || SameSkinName(e[i].Key, Key.Name)))
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

bool ParseDecimal(std::string_view S, int& Value)
{
    if (S.empty())
        return false;
    auto [end, ec] = std::from_chars(S.data(), S.data() + S.size(), Value);
    return ec == std::errc() && end == S.data() + S.size();
}

bool ParseIniInt(std::string_view S, int& Value)
{
    // Plain decimal numbers, nearly every value of a skin, are read here; the rest (blanks,
    // a plus sign, hexadecimal) the way the class library reads them.
    if (ParseDecimal(S, Value))
        return true;
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
                if (Keys[size_t(k)].Hash == e[i].Hash &&
                    (Keys[size_t(k)].Name == e[i].Key || SameSkinName(Keys[size_t(k)].Name, e[i].Key))) {
                    if (slots[k] < 0)
                        slots[k] = int(sections[s].First + i);   // the first of equal keys
                    break;
                }
            }
        }
    }
}

const std::string_view* TSkKeyIndex::Value(int Section, size_t Key) const
{
    int e = FSlots[size_t(Section) * FKeyCount + Key];
    return e < 0 ? nullptr : &FText.Entry(uint32_t(e)).Value;
}
