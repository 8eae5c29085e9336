#include "unicode/uchotkeys.h"

bool (*UcFarEastLocale)() = [] { return GetSystemMetrics(SM_DBCSENABLED) != 0; };

namespace {

WideChar UpperChar(WideChar C)
{
    WideChar buf[1] = {C};
    CharUpperBuffW(buf, 1);
    return buf[0];
}

} // namespace

int WideHotKeyPosition(const WideString& Caption)
{
    int result = 0;
    const size_t n = Caption.size();
    size_t i = 0;
    while (i + 1 < n) {
        if (Caption[i] != L'&') {
            ++i;
            continue;
        }
        // "&&" is a literal "&": the pair is passed over as one.
        if (Caption[i + 1] != L'&')
            result = static_cast<int>(i) + 2;
        i += 2;
    }
    return result;
}

WideString WideHotKeyChar(const WideString& Caption)
{
    int pos1 = WideHotKeyPosition(Caption);
    if (pos1 == 0)
        return WideString();
    return WideString(1, Caption[static_cast<size_t>(pos1) - 1]);
}

bool MatchesWideAccelerator(uint16_t Char, const WideString& Caption)
{
    WideString hot = WideHotKeyChar(Caption);
    if (hot.empty() || Char == 0)
        return false;
    return UpperChar(KeyCharToWide(Char)) == UpperChar(hot[0]);
}

WideString StripWideHotKeys(const WideString& Caption)
{
    const bool farEast = UcFarEastLocale();
    const size_t n = Caption.size();
    WideString result;
    result.reserve(n);
    size_t i = 0;
    while (i < n) {
        WideChar c = Caption[i];
        if (c != L'&') {
            result += c;
            ++i;
            continue;
        }
        // The group is not the whole text: its bracket is not the first character.
        if (farEast && i > 1 && Caption[i - 1] == L'(' && i + 2 < n && Caption[i + 1] != L'&' &&
            Caption[i + 2] == L')') {
            // "(&X)": the bracket already copied goes too, four characters in all.
            result.pop_back();
            i += 3;
            continue;
        }
        if (i + 1 < n && Caption[i + 1] == L'&') {
            result += L'&';
            i += 2;
            continue;
        }
        ++i;
    }
    return result;
}

bool SameWideCaption(const WideString& A, const WideString& B, bool Exact)
{
    WideString a = StripWideHotKeys(A);
    WideString b = StripWideHotKeys(B);
    return Exact ? a == b : WideSameText(a, b);
}
