#include <doctest.h>
#include "unicode/ucclasses.h"
#include "wide_lists_test_util.h"
#include "join.h"
#include "fail_alloc.h"
#include "unicode/ucsysutils.h"

#include <cstring>

using namespace widetest;

namespace {
void WriteBytes(const WideString& Name, const std::string& Bytes)
{
    HANDLE h = CreateFileW(Name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    REQUIRE(h != INVALID_HANDLE_VALUE);
    DWORD done = 0;
    WriteFile(h, Bytes.data(), static_cast<DWORD>(Bytes.size()), &done, nullptr);
    CloseHandle(h);
}

std::string ReadBytes(const WideString& Name)
{
    HANDLE h = CreateFileW(Name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(h != INVALID_HANDLE_VALUE);
    std::string r(GetFileSize(h, nullptr), '\0');
    DWORD done = 0;
    ReadFile(h, r.data(), static_cast<DWORD>(r.size()), &done, nullptr);
    CloseHandle(h);
    return r;
}

// What loading a file gave: its character set and lines.
struct Loaded {
    uint8_t charSet;
    std::vector<WideString> items;
};

Loaded LoadBytes(const std::string& Bytes)
{
    const WideString name = TestFilePath(L"textload.txt");
    WriteBytes(name, Bytes);
    TUcStringList L;
    L.LoadFromFile(name);
    return {L.LoadedFileCharSet(), Items(L)};
}
} // namespace

TEST_CASE("text files: the byte-order mark chooses the character set; damaged files load without harm")
{
    const struct {
        std::string Bytes;
        uint8_t CharSet;
        W Items;
    } files[] = {
        {"\xFF\xFE" + LE(L"a\r\nb"), csUnicodeText, {L"a", L"b"}},
        {"\xCF\xF0\xE8\xE2\xE5\xF2\r\nok", csAnsiText, {L"Привет", L"ok"}},   // no mark: ANSI
        {"x", csAnsiText, {L"x"}},
        // Big-endian, swapped up to the first zero character.
        {"\xFE\xFF" + BE(L"ab\r\nc"), csUnicodeSwappedText, {L"ab", L"c"}},
        {"\xFE\xFF" + BE(WideString(L"a\0b", 3)), csUnicodeSwappedText, {WideString(L"a\0\x6200", 3)}},
        // Empty, a mark and nothing else, one byte after the mark, an odd number of bytes.
        {"", csAnsiText, {}},
        {"\xFF\xFE", csUnicodeText, {}},
        {"\xEF\xBB\xBF", csUtf8Text, {}},
        {std::string("\xFE\xFF\x00", 3), csUnicodeSwappedText, {}},
        {"\xFF\xFE" + LE(L"ab\ncd") + "\x41", csUnicodeText, {L"ab", L"cd"}},
    };
    for (const auto& f : files) {
        Loaded r = LoadBytes(f.Bytes);
        CHECK(r.charSet == f.CharSet);
        CHECK(r.items == f.Items);
    }
    Loaded r = LoadBytes("\xEF\xBB");   // the start of a UTF-8 mark, no more
    CHECK(Join(r.charSet, r.items.size()) == Join(csAnsiText, 1));
    // Malformed UTF-8 still gives the good lines.
    r = LoadBytes("\xEF\xBB\xBFok\r\n\xC3\x28\xFF\xFE\r\n\xE2\x82\r\nend");
    REQUIRE(r.items.size() == 4);
    CHECK(Join(r.items[0], r.items[1].empty(), r.items[3]) == Join(L"ok", false, L"end"));

    // UTF-8, saved again as UTF-16 with its mark.
    const WideString name = TestFilePath(L"utf8.txt");
    WriteBytes(name, "\xEF\xBB\xBF" + WideToUtf8(L"Привет\r\n中"));
    TUcStringList L;
    L.LoadFromFile(name);
    CHECK(Join(L.LoadedFileCharSet(), L.Count()) == Join(csUtf8Text, 2));
    L.SaveToFile(name);
    CHECK(ReadBytes(name) == "\xFF\xFE" + LE(L"Привет\r\n中\r\n"));
}

TEST_CASE("file streams by wide name")
{
    const WideString name = TestFilePath(L"Файл 中.txt");
    {
        TUcFileStream f(name, fmCreate);
        f.WriteBuffer("abc", 3);
    }
    {
        TUcMemoryStream m;
        m.LoadFromFile(name);
        CHECK(m.Size() == 3);
        m.SetPosition(3);
        m.WriteBuffer("d", 1);
        m.SaveToFile(name);
    }
    CHECK(ReadBytes(name) == "abcd");
    // Modes outside the table are refused.
    for (uint32_t mode : {0x0003u, 0x0050u, 0x00F0u, 0xFFFEu})
        CHECK_THROWS_AS(TUcFileStream(name, mode), EFOpenError);

    // A missing file, and one that cannot be created: the list keeps its lines.
    const WideString missing = TestFilePath(L"нет такого.txt");
    DeleteFileW(missing.c_str());
    const AnsiString cannotOpen = WideToAnsi(L"Cannot open file \"" + ExpandFileNameWide(missing) + L"\". " +
                                             SysErrorMessageWide(ERROR_FILE_NOT_FOUND));
    CHECK_THROWS_WITH_AS(TUcFileStream(missing, fmOpenRead), cannotOpen.c_str(), EFOpenError);
    TUcStringList L;
    L.Add(L"kept");
    CHECK_THROWS_AS(L.LoadFromFile(missing), EFOpenError);
    CHECK_THROWS_AS(L.SaveToFile(TestFilePath(L"no such folder\\x.txt")), EFCreateError);
    CHECK(Items(L) == W{L"kept"});
}

TEST_CASE("the plain wide list reads and writes bare UTF-16")
{
    TVectorStrings L;
    L.SetTextStr(L"один\nдва");
    CHECK(L.IndexOf(L"ДВА") == 1);
    L.Move(1, 0);
    CHECK(L.FItems == W{L"два", L"один"});
    L.Exchange(0, 1);
    L.Put(0, L"раз");
    CHECK(L.FItems == W{L"раз", L"два"});
    const WideString name = TestFilePath(L"bare.txt");
    L.SaveToFile(name);
    CHECK(ReadBytes(name) == LE(L"раз\r\nдва\r\n"));
    L.Clear();
    L.LoadFromFile(name);
    CHECK(L.FItems == W{L"раз", L"два"});
}

namespace {
// The lines of Bytes read piece by piece (the list's own way) and read whole (the general way).
std::pair<W, W> BothWays(const std::string& Bytes, bool Detect = true)
{
    TUcStringList pieces, whole;
    TStringStream a(Bytes), b(Bytes);
    pieces.LoadFromStreamDetect(&a, Detect);
    whole.TUcStrings::LoadFromStreamDetect(&b, Detect);
    CHECK(a.Position() == static_cast<int64_t>(Bytes.size()));
    return {Items(pieces), Items(whole)};
}
} // namespace

// Files are read in pieces of this size.
constexpr size_t Piece = 256 * 1024;

TEST_CASE("a file read in pieces keeps a line feed that closes a piece, a line separator that opens one, a line longer than a piece, the line feeds after a bad lead byte")
{
    // UTF-8 after its mark: the first piece is the 256 KB behind the mark.
    std::string body(Piece - 1, 'a');
    for (size_t i = 100; i < body.size(); i += 100)
        body[i] = '\n';
    body += '\n' + WideToUtf8(L"\x2028") + "tail\r";
    auto [p, w] = BothWays("\xEF\xBB\xBF" + body);
    CHECK(p == w);
    CHECK(p.back() == L"tail");

    WideString wide(Piece / 2 - 1, L'b');
    for (size_t i = 50; i < wide.size(); i += 77)
        wide[i] = L'\r';
    wide += L"\n\x2028"
            L"end";
    auto [p2, w2] = BothWays("\xFF\xFE" + LE(wide));
    CHECK(p2 == w2);
    CHECK(p2.back() == L"end");

    // A line longer than a piece, and a character across two reads.
    WideString big;
    for (size_t i = 0; i < Piece; ++i)
        big += (i % 3) ? L'ж' : L'z';
    auto [p3, w3] = BothWays("\xEF\xBB\xBF" + WideToUtf8(L"first\n" + big + L"\r\nlast"));
    CHECK(p3 == w3);
    REQUIRE(p3.size() == 3);
    CHECK(p3[1] == big);

    // A decoder may take a bad lead byte at the end of a piece for a character cut off and drop
    // the line feeds after it: the empty line between them must stay.
    for (const char* lead : {"\xF0", "\xE8", "\xF0\x9F"}) {
        std::string body(Piece - 2 - std::strlen(lead), 'a');
        body += lead + std::string("\n\n") + "next\n";
        auto [p, w] = BothWays("\xEF\xBB\xBF" + body);
        CHECK(p == w);
        REQUIRE(p.size() == 3);
        CHECK(p[1].empty());
    }
}

TEST_CASE("a load that fails leaves the old lines and character set: a failed read, a refused duplicate, memory used up")
{
    class TFailingStream : public TStringStream {
    public:
        using TStringStream::TStringStream;
        int32_t Read(void* Buffer, int32_t Count) override
        {
            if (Position() > 300000)
                return 0;
            return TStringStream::Read(Buffer, Count);
        }
    };
    TFailingStream s("\xEF\xBB\xBF" + std::string(600000, 'q') + "\n");
    TUcStringList L;
    L.Add(L"old");
    CHECK_THROWS_AS(L.LoadFromStream(&s), EReadError);
    CHECK(Items(L) == W{L"old"});

    // A sorted list refusing a duplicate keeps its lines and the character set it had.
    const WideString name = TestFilePath(L"textload.txt");
    WriteBytes(name, "\xEF\xBB\xBF" "b\na\nb\n");
    TUcStringList S;
    S.SetSorted(true);
    S.SetDuplicates(dupError);
    S.Add(L"old");
    CHECK_THROWS_AS(S.LoadFromFile(name), EStringListError);
    CHECK(Items(S) == W{L"old"});
    CHECK(S.LoadedFileCharSet() == csUnicodeText);
    // Memory used up anywhere in a load, sorted or not: EOutOfMemory, and nothing changed.
    WriteBytes(name, "\xEF\xBB\xBF" + WideToUtf8(L"первая строка\r\nвторая строка\rтретья строка\n\nпятая строка\x2028шестая строка"));
    for (TUcStringList* list : {&L, &S}) {
        const W before = Items(*list);
        const auto kept = [&] {
            CHECK(Items(*list) == before);
            CHECK(list->LoadedFileCharSet() == csUnicodeText);
        };
        CHECK(FailEachAllocation([&] { list->LoadFromFile(name); }, kept) > 5);
        CHECK(list->Count() == 6);
        CHECK(list->LoadedFileCharSet() == csUtf8Text);
    }
}
