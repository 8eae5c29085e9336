#include "uctest.h"
#include "unicode/ucsysutils.h"
#include "join.h"

#include <cwchar>
#include <utility>

static const WideString CyrillicLower = L"\x043F\x0440\x0438\x0432\x0435\x0442";
static const WideString CyrillicUpper = L"\x041F\x0420\x0418\x0412\x0415\x0422";

TEST_CASE("upper case and case-blind search, on both paths")
{
    OnBothPaths([](bool) {
        CHECK(WideUpperCaseCopy(CyrillicLower + L" abc") == CyrillicUpper + L" ABC");
        CHECK(Join(WideTextPos(L"\x0432\x0415\x0442", Cyrillic), WideTextPos(L"abc", L"xxABC"),
                   WideTextPos(L"abd", L"xxABC"), WideTextPos(L"", L"abc")) == Join(4, 3, 0, 0));
        CHECK(WideTextPos(L"abcd", L"abc") == 0);
        CHECK(Join(CharUpperWide(WideChar(0x0436)), CharUpperWide(L'q')) == Join(WideChar(0x0416), L'Q'));

        WideChar text[] = L"\x0436z\x4E2D";
        CHECK(CharUpperWide(text) == text);   // a text is upper-cased in place
        CHECK(WideString(text) == L"\x0416Z\x4E2D");

        // A character passed in the pointer's low word comes back the same way.
        WideChar* asChar = CharUpperWide(reinterpret_cast<WideChar*>(static_cast<uintptr_t>(0x0431)));
        CHECK(reinterpret_cast<uintptr_t>(asChar) == 0x0411u);

        WideChar buf[] = L"abcd";
        CHECK(CharUpperBuffWide(buf, 2) == 2u);
        CHECK(WideString(buf) == L"ABcd");
    });
    // Greek has no form in 1251: only the wide call upper-cases it.
    CHECK(CharUpperWide(static_cast<WideChar>(0x03B1)) == 0x0391);
    TAnsiPlatform ansi;
    CHECK(Join(CharUpperWide(WideChar(0x03B1)), CharUpperWide(WideChar(0x00E9))) ==   // no look-alike "E"
          Join(WideChar(0x03B1), WideChar(0x00E9)));
    CHECK(WideUpperCaseCopy(L"\x03B1\x4E2D" L"a") == L"\x03B1\x4E2D" L"A");
}

TEST_CASE("delimiters and file-name parts")
{
    CHECK(Join(LastDelimiterWide(L"\\:", L"C:\\a\\b.txt"), LastDelimiterWide(L"\\:", L"b.txt"),
               LastDelimiterWide(L"\\:", L""), LastDelimiterWide(L"", L"abc")) == Join(5, 0, 0, 0));

    const WideString file = L"C:\\dir\\" + Cyrillic + L".txt";
    const struct {
        WideString Name, Path, Part;
    } names[] = {{L"C:x", L"C:", L"x"},
                 {L"name.txt", L"", L"name.txt"},
                 {file, L"C:\\dir\\", Cyrillic + L".txt"},
                 {L"C:\\dir\\", L"C:\\dir\\", L""},
                 {L"", L"", L""}};
    for (const auto& n : names) {
        CHECK(ExtractWideFilePath(n.Name) == n.Path);
        CHECK(ExtractWideFileNamePart(n.Name) == n.Part);
    }
}

TEST_CASE("line breaks in every style")
{
    // The line separator counts; LF CR is two breaks; breaks at both ends survive.
    const WideString mixed = L"\n\ra\rb\nc\r\nd\x2028";
    CHECK(AdjustLineBreaksWide(mixed, tlbsCRLF) == L"\r\n\r\na\r\nb\r\nc\r\nd\r\n");
    CHECK(AdjustLineBreaksWide(mixed, tlbsLF) == L"\n\na\nb\nc\nd\n");
    CHECK(AdjustLineBreaksWide(mixed, tlbsCR) == L"\r\ra\rb\rc\rd\r");
}

TEST_CASE("command-line parameters")
{
    const WideString cyr = L"prog " + Cyrillic;
    const struct {
        const WideChar* Line;
        int Index;
        WideString Expected;
    } params[] = {
        {L"prog \"a b\" c", 0, L"prog"}, {L"prog \"a b\" c", 1, L"a b"}, {L"prog \"a b\" c", 2, L"c"},
        {L"prog \"a b\" c", 3, L""}, {L"prog \"a b\" c", 40, L""}, {L"prog a\"b c\"d", 1, L"ab cd"},
        {L"\"C:\\Program Files\\z.exe\" -v", 0, L"C:\\Program Files\\z.exe"},
        {L"\"C:\\Program Files\\z.exe\" -v", 1, L"-v"},
        // Empty quote pairs and control characters between parameters are skipped.
        {L"prog \"\" \"\"x", 1, L"x"}, {L"prog\ta\x01" L"b", 2, L"b"}, {L"prog \"open end", 1, L"open end"},
        {L"prog \"", 1, L""}, {cyr.c_str(), 1, Cyrillic}, {L"   ", 0, L""}, {L"prog a", -1, L""}, {nullptr, 1, L""},
    };
    for (const auto& p : params) {
        CAPTURE(p.Index);
        CHECK(WideParamOfCommandLine(p.Line, p.Index) == p.Expected);
    }
    CHECK(GetWideParamStr(0) == ModuleFileNameWide());
    CHECK(GetWideParamStr(1) == AnsiToWide(ParamStr(1)));
    CHECK(GetWideParamStr(ParamCount() + 1) == L"");
}

TEST_CASE("system error messages")
{
    const WideString text = SysErrorMessageWide(ERROR_FILE_NOT_FOUND);
    CHECK_FALSE(text.empty());
    CHECK(static_cast<uint16_t>(text.back()) > 32);   // no trailing line break
    CHECK(SysErrorMessageWide(0x20000FFF, GetModuleHandleW(nullptr), L"tests") ==
          WideString(L"Unspecified error (536875007) from tests."));
    // With a module, the system's table is still asked.
    CHECK(SysErrorMessageWide(ERROR_FILE_NOT_FOUND, GetModuleHandleW(nullptr)) == text);

    TAnsiPlatform ansi;
    CHECK(SysErrorMessageWide(ERROR_FILE_NOT_FOUND) == text);
    CHECK(SysErrorMessageWide(0x20000FFF).starts_with(L"Unspecified error"));
}

TEST_CASE("wide resource strings: the string table with and without the wide call, strings that point to ANSI text")
{
    HMODULE self = GetModuleHandleW(nullptr);
    CHECK(LoadResStringWide(nullptr) == L"");
    // Identifier 4 lies in a gap, 1000 in a block no table has.
    const std::pair<uintptr_t, WideString> strings[] = {
        {1, Cyrillic + L", \x043C\x0438\x0440"}, {2, L"plain text"}, {3, L"\x4E2D\x6587 \x0391\x03B2\x03B3"},
        {5, L"after a gap"}, {17, L"second block"}, {100, L"\x0414\x0430"}, {4, L""}, {1000, L""}};
    OnBothPaths([&](bool) {
        for (const auto& [id, text] : strings) {
            CAPTURE(id);
            const TResStringRec rec{&self, id};
            CHECK(LoadResStringWide(&rec) == text);
        }
    });

    // Read without the wide call: cut to the buffer, or the length.
    {
        TAnsiPlatform ansi;
        WideChar buf[8];
        std::wmemset(buf, L'#', 8);
        CHECK(LoadStringWide(self, 2, buf, 5) == 4);   // cut to the buffer, terminated
        CHECK(Join(WideString(buf), int(buf[5])) == Join(L"plai", int(L'#')));
        // No buffer or no room: the length.
        CHECK(Join(LoadStringWide(self, 2, nullptr, 0), LoadStringWide(self, 2, buf, 0)) == Join(10, 10));
        CHECK(LoadStringWide(self, 2, buf, 1) == 0);
        CHECK(buf[0] == 0);
        // An identifier with 0xFFFF in its high word is negated first.
        CHECK(LoadStringWide(self, static_cast<UINT>(-2), buf, 8) == 7);
        CHECK(WideString(buf) == L"plain t");
        // A block number no table has, an identifier in a gap.
        CHECK(Join(LoadStringWide(self, 0x7FFFFFF0u, buf, 8), LoadStringWide(self, 4, buf, 8)) == Join(0, 0));
    }

    // Resource strings that point to ANSI text.
    static const char utf8[] = "\xEF\xBB\xBF\xD0\x94\xD0\xB0";
    static const char bomOnly[] = "\xEF\xBB\xBF";
    static const char ansi[] = "\xCF\xF0\xE8";
    const TResStringRec a{nullptr, reinterpret_cast<uintptr_t>(utf8)},
        b{nullptr, reinterpret_cast<uintptr_t>(bomOnly)}, c{nullptr, reinterpret_cast<uintptr_t>(ansi)};
    CHECK(LoadResStringWide(&a) == L"\x0414\x0430");
    // Exactly the byte-order mark is text in the ANSI code page, not an empty UTF-8 text.
    CHECK(LoadResStringWide(&b) == L"\x043F\x00BB\x0457");
    CHECK(LoadResStringWide(&c) == L"\x041F\x0440\x0438");
}

