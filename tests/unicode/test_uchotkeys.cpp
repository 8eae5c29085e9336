#include "uctest.h"
#include "unicode/uchotkeys.h"

namespace {
bool FarEastOn() { return true; }
bool FarEastOff() { return false; }
} // namespace

TEST_CASE("the hot key of a wide caption")
{
    CHECK(WideHotKeyPosition(L"&Save") == 2);
    CHECK(WideHotKeyChar(L"&Save") == L"S");
    // A doubled "&" is a literal, not a hot key, and is passed over as a pair.
    CHECK(WideHotKeyPosition(L"&&Save") == 0);
    CHECK(WideHotKeyChar(L"&&Save") == L"");
    CHECK(WideHotKeyChar(L"Fish && Chips &Exit") == L"E");
    CHECK(WideHotKeyPosition(L"&&&X") == 4);
    // The last hot key counts.
    CHECK(WideHotKeyPosition(L"a&b&c") == 5);
    // An "&" at the end marks nothing.
    CHECK(WideHotKeyPosition(L"abc&") == 0);
    CHECK(WideHotKeyPosition(L"") == 0);
    CHECK(WideHotKeyChar(L"&\x0416\x0443\x043A") == L"\x0416");   // &Жук

    SUBCASE("a key is the accelerator of a caption without regard to case")
    {
        const WideString genre = L"&\x0416\x0430\x043D\x0440";   // &Жанр
        CHECK(MatchesWideAccelerator(0x0436, genre));            // ж
        CHECK(MatchesWideAccelerator(0x0416, genre));            // Ж
        CHECK_FALSE(MatchesWideAccelerator(0x0430, genre));
        CHECK_FALSE(MatchesWideAccelerator(0, genre));
        CHECK(MatchesWideAccelerator(0x03C9, L"&\x03A9\x03BC\x03AD\x03B3\x03B1"));   // ω, &Ωμέγα
        CHECK(MatchesWideAccelerator('s', L"&Save"));
        CHECK_FALSE(MatchesWideAccelerator('s', L"&&Save"));
        CHECK_FALSE(MatchesWideAccelerator('s', L"Save"));
    }
}

TEST_CASE("stripping hot keys and comparing captions")
{
    TRestore<bool (*)()> farEast(UcFarEastLocale);
    UcFarEastLocale = &FarEastOff;
    CHECK(StripWideHotKeys(L"&Open") == L"Open");
    CHECK(StripWideHotKeys(L"&&Save") == L"&Save");
    CHECK(StripWideHotKeys(L"a&&&b&") == L"a&b");
    CHECK(StripWideHotKeys(L"Open(&O)") == L"Open(O)");

    SUBCASE("a Far-East locale drops the bracketed hot-key group whole")
    {
        UcFarEastLocale = &FarEastOn;
        CHECK(StripWideHotKeys(L"Open(&O)") == L"Open");
        CHECK(StripWideHotKeys(L"\x958B\x304F(&O)...") == L"\x958B\x304F...");
        // Not a group after some text: the text itself, or a literal "&&".
        CHECK(StripWideHotKeys(L"(&O)") == L"(O)");
        CHECK(StripWideHotKeys(L"x(&&)") == L"x(&)");
        CHECK(StripWideHotKeys(L"x(&O") == L"x(O");
    }

    SUBCASE("captions compared after stripping")
    {
        const WideString file = L"&\x0424\x0430\x0439\x043B";   // &Файл
        CHECK(SameWideCaption(file, L"\x0444\x0430&\x0439\x043B"));
        CHECK_FALSE(SameWideCaption(file, L"\x0444\x0430&\x0439\x043B", true));
        CHECK(SameWideCaption(file, L"\x0424\x0430\x0439\x043B", true));
        CHECK_FALSE(SameWideCaption(L"&Save", L"Save as"));
    }
}
