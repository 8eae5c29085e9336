#include "uctest.h"
#include "unicode/ucsysutils.h"
#include "join.h"

#include <vector>

static bool IsInvalidUtf7(const AnsiString& S)
{
    try {
        Utf7ToWide(S);
        return false;
    } catch (const EUcGeneralError& e) {
        return e.Message() == "Invalid UTF7";
    }
}

TEST_CASE("UTF-7: plus signs, the closing minus, direct sets and known encodings")
{
    // Encoded and decoded both ways.
    const struct {
        const wchar_t* Wide;
        const char* Utf7;
    } pairs[] = {
        {L"+", "+-"}, {L"A+B", "A+-B"}, {L"", ""},
        // No minus when nothing follows or the next character cannot be read as base64; one
        // before a base64 letter or a minus; a plus inside a shift sequence goes with it.
        {L"\x00E9", "+AOk"}, {L"\x00E9.", "+AOk."}, {L"\x00E9 x", "+AOk x"}, {L"\x00E9" L"a", "+AOk-a"},
        {L"\x00E9-", "+AOk--"}, {L"\x00E9/", "+AOk-/"}, {L"\x00E9+", "+AOkAKw"},
        // Set O is written directly by default; "~" and "\" are in no direct set.
        {L"a!#@ b\t\r\n", "a!#@ b\t\r\n"}, {L"~", "+AH4"}, {L"\\", "+AFw"},
        {L"\x041F\x0440\x0438\x0432\x0435\x0442", "+BB8EQAQ4BDIENQRC"},
    };
    for (const auto& p : pairs) {
        CAPTURE(p.Utf7);
        CHECK(WideToUtf7(p.Wide) == p.Utf7);
        CHECK(Utf7ToWide(p.Utf7) == p.Wide);
    }
    CHECK(Utf7ToWide("Hi Mom -+Jjo--!") == L"Hi Mom -\x263A-!");
    CHECK(Utf7ToWide("A+ImIDkQ.") == L"A\x2262\x0391.");
    CHECK(Utf7ToWide("+ZeVnLIqe-") == L"\x65E5\x672C\x8A9E");
    CHECK(Utf7ToWide("+AAA-") == WideString(1, L'\0'));

    // Set O encoded on request, every sequence closed.
    const WideString src = L"!#";
    const WideChar* s = src.data();
    char out[32];
    char* d = out;
    CHECK(ConvertUTF16toUTF7(s, s + src.size(), d, out + sizeof(out), true, false) == utf7Ok);
    CHECK(AnsiString(out, d) == "+ACEAIw-");
    CHECK(s == src.data() + src.size());
}

TEST_CASE("UTF-7: invalid input is reported, never read past; a full destination stops the converters at its end")
{
    // A sequence that decodes nothing, leftover bits that are not zero, a byte above 127.
    for (const char* bad : {"+ ", "+", "+A-", "x+!", "+AOl-", "+AOl", "abc\xE9", "+AOk\xE9", "\x80"}) {
        CAPTURE(bad);
        CHECK(IsInvalidUtf7(bad));
    }

    // The decoder still reports what it made of the rest.
    const AnsiString rest = "a\xE9" "b";
    const char* r = rest.data();
    WideChar decoded[8];
    WideChar* w = decoded;
    CHECK(ConvertUTF7toUTF16(r, r + rest.size(), w, decoded + 8) == utf7Invalid);
    CHECK(WideString(decoded, w) == L"a\x00E9" L"b");

    // A full destination stops the converters at its end.
    const WideString src = L"a+\x00E9\x0416z~+-";
    const AnsiString full = WideToUtf7(src);
    for (size_t room = 0; room < full.size(); ++room) {
        std::vector<char> out(room + 1, '#');
        const WideChar* s = src.data();
        char* d = out.data();
        CAPTURE(room);
        CHECK(ConvertUTF16toUTF7(s, s + src.size(), d, out.data() + room, false, true) == utf7Overflow);
        CHECK(d <= out.data() + room);
        CHECK(out[room] == '#');
        CHECK(full.compare(0, static_cast<size_t>(d - out.data()), out.data(), d - out.data()) == 0);
    }
    for (size_t room = 0; room < src.size(); ++room) {
        std::vector<WideChar> out(room + 1, L'#');
        const char* s = full.data();
        WideChar* d = out.data();
        CAPTURE(room);
        CHECK(ConvertUTF7toUTF16(s, s + full.size(), d, out.data() + room) == utf7Overflow);
        CHECK(out[room] == L'#');
        CHECK(src.compare(0, static_cast<size_t>(d - out.data()), out.data(), d - out.data()) == 0);
    }
}

TEST_CASE("UTF-8 through the platform's converter; UTF-7 and UTF-8 as code pages")
{
    // Round trips of any text are the fuzz driver's; here the bytes known.
    CHECK(ConvertFromWide(L"\x00E9" L"a", 65000) == "+AOk-a");
    CHECK(ConvertToWide("+AOk-a", 65000) == L"\x00E9" L"a");
    CHECK(ConvertToWide(ConvertFromWide(Cyrillic, 65001), 65001) == Cyrillic);
    CHECK(WideToUtf8(Cyrillic) == "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
    CHECK(Utf8ToWide("\xF0\x9F\x98\x80") == L"\xD83D\xDE00");
    CHECK(Utf8ToWide(nullptr, 5) == L"");
    // Malformed bytes come back as something, and the good text around them survives.
    CHECK(Utf8ToWide("\xC3(").back() == L'(');
    CHECK_FALSE(Utf8ToWide("\x80\x80\x80").empty());
    CHECK_FALSE(WideToUtf8(L"a\xD800" L"b").empty());   // a lone surrogate
}

TEST_CASE("Cyrillic through the ANSI code page 1251; characters the code page holds exactly")
{
    REQUIRE(GetACP() == 1251u);
    const AnsiString cp1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";
    CHECK(Join(ConvertFromWide(Cyrillic, 1251), WideToAnsi(Cyrillic)) == Join(cp1251, cp1251));
    CHECK(Join(ConvertToWide(cp1251, 1251), AnsiToWide(cp1251)) == Join(Cyrillic, Cyrillic));
    // No ANSI form: the code page's default character, nothing reported; a code page the
    // system does not know.
    CHECK(Join(ConvertFromWide(L"\x4E2D", 1251), ConvertToWide("\x93\xFA", 932), ConvertToWide("abc", 12345)) ==
          Join("?", L"\x65E5", L""));
    CHECK(Join(LocaleCodePage(MAKELCID(0x0419, SORT_DEFAULT)), LocaleCodePage(MAKELCID(0x0409, SORT_DEFAULT))) ==
          Join(1251, 1252));
    CHECK(KeyCharToWide(0x0416) == 0x0416);   // already a character

    // Ж, not Chinese or Greek, and not é, which has only a look-alike in 1251.
    CHECK(Join(CharMapsToAnsi(0x0416), CharMapsToAnsi(0x4E2D), CharMapsToAnsi(0x03B1), CharMapsToAnsi(0x00E9)) ==
          Join(true, false, false, false));
    TRestore<UINT> cp(DefaultConversionCodePage);
    DefaultConversionCodePage = 65001;
    CHECK(Join(CharMapsToAnsi(0x4E2D), CharMapsToAnsi(0xD800)) == Join(true, false));
    DefaultConversionCodePage = 1252;
    CHECK(Join(CharMapsToAnsi(0x00E9), CharMapsToAnsi(0x0416)) == Join(true, false));
}

TEST_CASE("start-up switches follow the platform version")
{
    TRestore<DWORD> platform(Win32Platform), major(Win32MajorVersion), minor(Win32MinorVersion);
    TRestore<bool> unicode(PlatformIsUnicode), xp(PlatformIsXPOrLater);
    TRestore<UINT> cp(DefaultConversionCodePage);
    const UINT localeCp = LocaleCodePage(GetThreadLocale());
    // Platform, version; then the switches: Unicode, XP or later, the conversion code page.
    const struct {
        DWORD Platform, Major, Minor;
        bool Unicode, XP;
        UINT CodePage;
    } rows[] = {
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, false, false, localeCp},
        {VER_PLATFORM_WIN32_NT, 5, 0, true, false, CP_THREAD_ACP},
        {VER_PLATFORM_WIN32_NT, 5, 1, true, true, CP_THREAD_ACP},
        {VER_PLATFORM_WIN32_NT, 6, 0, true, true, CP_THREAD_ACP},
        {VER_PLATFORM_WIN32_NT, 4, 0, true, false, localeCp},
    };
    for (const auto& r : rows) {
        CAPTURE(r.Major * 100 + r.Minor);
        Win32Platform = r.Platform;
        Win32MajorVersion = r.Major;
        Win32MinorVersion = r.Minor;
        InitUcSystem();
        CHECK(Join(PlatformIsUnicode, PlatformIsXPOrLater, DefaultConversionCodePage) ==
              Join(r.Unicode, r.XP, r.CodePage));
    }
}
