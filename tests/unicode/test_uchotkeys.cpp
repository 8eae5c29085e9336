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
    SUBCASE("key bytes of the upper half are characters of the keyboard's code page")
    {
        // A Russian keyboard layout, whatever the code page of the program's text.
        TRestore<UINT> cp(DefaultConversionCodePage);
        DefaultConversionCodePage = 1252;
        HKL before = GetKeyboardLayout(0);
        HKL russian = LoadKeyboardLayoutA("00000419", KLF_ACTIVATE);
        REQUIRE(russian);
        ActivateKeyboardLayout(russian, 0);
        CHECK(LOWORD(reinterpret_cast<uintptr_t>(GetKeyboardLayout(0))) == 0x0419);
        CHECK(KeyboardLayoutCodePage() == 1251u);
        bool letters = true;
        for (uint16_t b = 0xC0; b <= 0xFF; ++b)   // А .. я
            letters = letters && KeyCharToWide(b) == static_cast<WideChar>(0x0410 + (b - 0xC0));
        CHECK(letters);
        CHECK(KeyCharToWide(0xA8) == 0x0401);   // Ё
        CHECK(KeyCharToWide(0xB9) == 0x2116);   // №
        CHECK(MatchesWideAccelerator(0xE6, L"&\x0416\x0430\x043D\x0440"));   // ж, &Жанр
        CHECK(MatchesWideAccelerator(0xB8, L"&\x0401\x0436"));                // ё, &Ёж
        CHECK_FALSE(MatchesWideAccelerator(0xE6, L"&\x00C6"));                 // not Æ of 1252
        ActivateKeyboardLayout(before, 0);
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
