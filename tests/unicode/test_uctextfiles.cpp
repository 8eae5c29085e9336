#include <doctest.h>
#include "unicode/ucclasses.h"
#include "unicode/ucsysutils.h"

namespace {
using W = std::vector<WideString>;

std::vector<WideString> Items(const TWideStrings& L)
{
    std::vector<WideString> r;
    for (int i = 0; i < L.Count(); ++i)
        r.push_back(L.Strings(i));
    return r;
}

WideString TempName(const WideString& Name)
{
    return AnsiToWide(ZANDREL_BUILD_DIR) + L"\\" + Name;
}

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

// UTF-16 little-endian bytes of a text.
std::string LE(const WideString& S)
{
    std::string r;
    for (WideChar c : S) {
        r += static_cast<char>(c & 0xFF);
        r += static_cast<char>(c >> 8);
    }
    return r;
}

std::string BE(const WideString& S)
{
    std::string r;
    for (WideChar c : S) {
        r += static_cast<char>(c >> 8);
        r += static_cast<char>(c & 0xFF);
    }
    return r;
}

struct Loaded {
    uint8_t charSet;
    std::vector<WideString> items;
};

Loaded LoadBytes(const std::string& Bytes)
{
    const WideString name = TempName(L"textload.txt");
    WriteBytes(name, Bytes);
    TUcStringList L;
    L.LoadFromFile(name);
    return {L.LoadedFileCharSet(), Items(L)};
}
} // namespace

TEST_CASE("text files: the byte-order mark chooses the character set")
{
    SUBCASE("FF FE: UTF-16 little-endian")
    {
        Loaded r = LoadBytes("\xFF\xFE" + LE(L"a\r\nb"));
        CHECK(r.charSet == csUnicodeText);
        CHECK(r.items == W{L"a", L"b"});
    }
    SUBCASE("EF BB BF: UTF-8, saved again as UTF-16 with its mark")
    {
        const WideString name = TempName(L"utf8.txt");
        WriteBytes(name, "\xEF\xBB\xBF\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\r\n\xE4\xB8\xAD");
        TUcStringList L;
        L.LoadFromFile(name);
        CHECK(L.LoadedFileCharSet() == csUtf8Text);
        CHECK(Items(L) == W{L"Привет", L"中"});
        L.SaveToFile(name);
        CHECK(ReadBytes(name) == "\xFF\xFE" + LE(L"Привет\r\n中\r\n"));
        L.LoadFromFile(name);
        CHECK(L.LoadedFileCharSet() == csUnicodeText);
        CHECK(Items(L) == W{L"Привет", L"中"});
    }
    SUBCASE("no mark: the ANSI code page")
    {
        Loaded r = LoadBytes("\xCF\xF0\xE8\xE2\xE5\xF2\r\nok");
        CHECK(r.charSet == csAnsiText);
        CHECK(r.items == W{L"Привет", L"ok"});
        r = LoadBytes("x");
        CHECK(r.charSet == csAnsiText);
        CHECK(r.items == W{L"x"});
        r = LoadBytes("\xEF\xBB");   // the start of a UTF-8 mark, no more
        CHECK(r.charSet == csAnsiText);
        CHECK(r.items.size() == 1);
    }
    SUBCASE("FE FF: big-endian, swapped up to the first zero character")
    {
        Loaded r = LoadBytes("\xFE\xFF" + BE(L"ab\r\nc"));
        CHECK(r.charSet == csUnicodeSwappedText);
        CHECK(r.items == W{L"ab", L"c"});
        r = LoadBytes("\xFE\xFF" + BE(WideString(L"a\0b", 3)));
        REQUIRE(r.items.size() == 1);
        CHECK(r.items[0] == WideString(L"a\0\x6200", 3));
    }
}

TEST_CASE("text files: damaged and degenerate files load without harm")
{
    SUBCASE("empty")
    {
        Loaded r = LoadBytes("");
        CHECK(r.charSet == csAnsiText);
        CHECK(r.items.empty());
    }
    SUBCASE("a mark and nothing else")
    {
        Loaded r = LoadBytes("\xFF\xFE");
        CHECK(r.charSet == csUnicodeText);
        CHECK(r.items.empty());
        r = LoadBytes("\xEF\xBB\xBF");
        CHECK(r.charSet == csUtf8Text);
        CHECK(r.items.empty());
        r = LoadBytes(std::string("\xFE\xFF\x00", 3));   // one byte after the mark is no character
        CHECK(r.charSet == csUnicodeSwappedText);
        CHECK(r.items.empty());
    }
    SUBCASE("UTF-16 with an odd number of bytes drops the last byte")
    {
        Loaded r = LoadBytes("\xFF\xFE" + LE(L"ab\ncd") + "\x41");
        CHECK(r.items == W{L"ab", L"cd"});
    }
    SUBCASE("malformed UTF-8 still gives the good lines")
    {
        Loaded r = LoadBytes("\xEF\xBB\xBFok\r\n\xC3\x28\xFF\xFE\r\n\xE2\x82\r\nend");
        REQUIRE(r.items.size() == 4);
        CHECK(r.items[0] == L"ok");
        CHECK(r.items[3] == L"end");
        CHECK_FALSE(r.items[1].empty());
    }
}

TEST_CASE("streams: detection leaves the position behind the mark, or where it was")
{
    TStringStream s(std::string("\x00\x00\xFF\xFE", 4) + LE(L"x"));
    s.SetPosition(2);
    CHECK(DetectTextCharSet(&s) == csUnicodeText);
    CHECK(s.Position() == 4);
    TStringStream t("abc");
    CHECK(DetectTextCharSet(&t) == csAnsiText);
    CHECK(t.Position() == 0);
    t.SetPosition(2);
    CHECK(DetectTextCharSet(&t) == csAnsiText);   // one byte left
    CHECK(t.Position() == 2);

    // Without detection the payload is UTF-16 little-endian from the position on.
    TUcStringList L;
    TStringStream u("\xFF\xFE" + LE(L"q\nr"));
    L.LoadFromStreamDetect(&u, false);
    CHECK(Items(L) == W{WideString(1, 0xFEFF) + L"q", L"r"});

    TStringStream out;
    L.SetTextStr(L"z");
    L.SaveToStreamWithMark(&out, false);
    CHECK(out.DataString() == LE(L"z\r\n"));
}

TEST_CASE("file streams by wide name")
{
    const WideString name = TempName(L"Файл 中.txt");
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
    {
        TUcFileStream f(name, fmOpenRead | fmShareDenyWrite);
        // Others may read beside us, but not write.
        HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        CHECK(h == INVALID_HANDLE_VALUE);
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }

    SUBCASE("a missing file")
    {
        const WideString missing = TempName(L"нет такого.txt");
        DeleteFileW(missing.c_str());
        const AnsiString expected = WideToAnsi(L"Cannot open file \"" + ExpandFileNameWide(missing) + L"\". " +
                                               SysErrorMessageWide(ERROR_FILE_NOT_FOUND));
        CHECK_THROWS_WITH_AS(TUcFileStream(missing, fmOpenRead), expected.c_str(), EFOpenError);
        TUcStringList L;
        L.Add(L"kept");
        CHECK_THROWS_AS(L.LoadFromFile(missing), EFOpenError);
        CHECK(Items(L) == W{L"kept"});
    }
    SUBCASE("a file that cannot be created")
    {
        const WideString bad = TempName(L"no such folder\\x.txt");
        const AnsiString expected = WideToAnsi(L"Cannot create file \"" + ExpandFileNameWide(bad) + L"\". " +
                                               SysErrorMessageWide(ERROR_PATH_NOT_FOUND));
        CHECK_THROWS_WITH_AS(TUcFileStream(bad, fmCreate), expected.c_str(), EFCreateError);
        TUcStringList L;
        CHECK_THROWS_AS(L.SaveToFile(bad), EFCreateError);
    }
    SUBCASE("modes outside the table are refused")
    {
        for (uint32_t mode : {0x0003u, 0x0050u, 0x00F0u, 0xFFFEu})
            CHECK_THROWS_AS(TUcFileStream(name, mode), EFOpenError);
    }
}

TEST_CASE("the plain wide list reads and writes bare UTF-16")
{
    // A minimal list over a vector, to reach the base class's own file handling.
    class TVectorStrings : public TWideStrings {
    public:
        WideString Get(int Index) const override { return FItems.at(static_cast<size_t>(Index)); }
        int GetCount() const override { return static_cast<int>(FItems.size()); }
        void Clear() override { FItems.clear(); }
        void Delete(int Index) override { FItems.erase(FItems.begin() + Index); }
        void Insert(int Index, const WideString& S) override { FItems.insert(FItems.begin() + Index, S); }
        std::vector<WideString> FItems;
    };
    TVectorStrings L;
    L.SetTextStr(L"один\nдва");
    CHECK(L.IndexOf(L"ДВА") == 1);
    L.Move(1, 0);
    CHECK(L.FItems == W{L"два", L"один"});
    L.Exchange(0, 1);
    L.Put(0, L"раз");
    CHECK(L.FItems == W{L"раз", L"два"});
    const WideString name = TempName(L"bare.txt");
    L.SaveToFile(name);
    CHECK(ReadBytes(name) == LE(L"раз\r\nдва\r\n"));
    L.Clear();
    L.LoadFromFile(name);
    CHECK(L.FItems == W{L"раз", L"два"});
}
