#include "uctest.h"
#include "join.h"
#include "unicode/uchotkeys.h"

TEST_CASE("the hot key of a wide caption")
{
    // A doubled "&" is a literal, passed over as a pair; the last hot key counts; an "&" at the
    // end marks nothing.
    CHECK(Join(WideHotKeyPosition(L"&Save"), WideHotKeyPosition(L"&&Save"), WideHotKeyPosition(L"&&&X"),
               WideHotKeyPosition(L"a&b&c")) == Join(2, 0, 4, 5));
    CHECK(Join(WideHotKeyPosition(L"abc&"), WideHotKeyPosition(L"")) == Join(0, 0));
    CHECK(Join(WideHotKeyChar(L"&Save"), WideHotKeyChar(L"&&Save"), WideHotKeyChar(L"Fish && Chips &Exit"),
               WideHotKeyChar(L"&\x0416\x0443\x043A")) == Join(L"S", L"", L"E", L"\x0416"));   // &Жук

    // A key is the accelerator of a caption without regard to case.
    const WideString genre = L"&\x0416\x0430\x043D\x0440";   // &Жанр
    CHECK(Join(MatchesWideAccelerator(0x0436, genre), MatchesWideAccelerator(0x0416, genre),
               MatchesWideAccelerator(0x0430, genre), MatchesWideAccelerator(0, genre)) == Join(true, true, false, false));
    CHECK(Join(MatchesWideAccelerator(0x03C9, L"&\x03A9\x03BC\x03AD\x03B3\x03B1"),   // ω, &Ωμέγα
               MatchesWideAccelerator('s', L"&Save"), MatchesWideAccelerator('s', L"&&Save"),
               MatchesWideAccelerator('s', L"Save")) == Join(true, true, false, false));
}

TEST_CASE("key bytes of the upper half are characters of the keyboard's code page")
{
    // A Russian keyboard layout, whatever the code page of the program's text.
    TRestore<UINT> cp(DefaultConversionCodePage);
    DefaultConversionCodePage = 1252;
    HKL before = GetKeyboardLayout(0);
    HKL russian = LoadKeyboardLayoutA("00000419", KLF_ACTIVATE);
    REQUIRE(russian);
    ActivateKeyboardLayout(russian, 0);
    CHECK(KeyboardLayoutCodePage() == 1251u);
    for (uint16_t b = 0xC0; b <= 0xFF; ++b) {   // А .. я
        CAPTURE(b);
        CHECK(KeyCharToWide(b) == static_cast<WideChar>(0x0410 + (b - 0xC0)));
    }
    CHECK(Join(KeyCharToWide(0xA8), KeyCharToWide(0xB9)) == Join(0x0401, 0x2116));   // Ё, №
    CHECK(MatchesWideAccelerator(0xE6, L"&\x0416\x0430\x043D\x0440"));   // ж, &Жанр
    CHECK(MatchesWideAccelerator(0xB8, L"&\x0401\x0436"));                // ё, &Ёж
    CHECK_FALSE(MatchesWideAccelerator(0xE6, L"&\x00C6"));                 // not Æ of 1252
    ActivateKeyboardLayout(before, 0);
}

TEST_CASE("stripping hot keys and comparing captions")
{
    TRestore<bool (*)()> farEast(UcFarEastLocale);
    UcFarEastLocale = [] { return false; };
    CHECK(Join(StripWideHotKeys(L"&Open"), StripWideHotKeys(L"&&Save"), StripWideHotKeys(L"a&&&b&"),
               StripWideHotKeys(L"Open(&O)")) == Join(L"Open", L"&Save", L"a&b", L"Open(O)"));
    // A Far-East locale drops the bracketed hot-key group whole; not a group after some text:
    // the text itself, or a literal "&&".
    UcFarEastLocale = [] { return true; };
    CHECK(Join(StripWideHotKeys(L"Open(&O)"), StripWideHotKeys(L"\x958B\x304F(&O)...")) ==
          Join(L"Open", L"\x958B\x304F..."));
    CHECK(Join(StripWideHotKeys(L"(&O)"), StripWideHotKeys(L"x(&&)"), StripWideHotKeys(L"x(&O")) ==
          Join(L"(O)", L"x(&)", L"x(O"));
    // Captions compared after stripping.
    const WideString file = L"&\x0424\x0430\x0439\x043B";   // &Файл
    CHECK(Join(SameWideCaption(file, L"\x0444\x0430&\x0439\x043B"), SameWideCaption(file, L"\x0444\x0430&\x0439\x043B", true),
               SameWideCaption(file, L"\x0424\x0430\x0439\x043B", true), SameWideCaption(L"&Save", L"Save as")) ==
          Join(true, false, true, false));
}
