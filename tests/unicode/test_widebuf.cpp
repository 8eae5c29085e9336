#include "uctest.h"
#include "join.h"
#include "unicode/ucwidestrutils.h"

#include <cstring>

static uint32_t SizeHeader(const WideChar* Buf)
{
    uint32_t size;
    std::memcpy(&size, reinterpret_cast<const uint8_t*>(Buf) - 4, 4);
    return size;
}

TEST_CASE("wide buffers carry their size in bytes in front of the characters")
{
    WideChar* b = WideBufAlloc(10);
    CHECK(Join(SizeHeader(b), CountWideChars(b)) == Join(24, 0));   // a fresh buffer reads as empty text
    WideBufFree(b);
    WideChar* n = WideBufNew(L"\x041F\x0440\x0438");
    REQUIRE(n);
    CHECK(Join(SizeHeader(n), WideString(n), WideBufEnd(n) - n) == Join(12, L"\x041F\x0440\x0438", 3));
    WideBufFree(n);
    CHECK(WideBufNew(nullptr) == nullptr);
    WideBufFree(nullptr);
    CHECK(CountWideChars(nullptr) == 0);
}

TEST_CASE("bounded copies stop at the limit or the terminator and always terminate; moves may overlap")
{
    WideChar buf[8];
    std::wmemset(buf, L'#', 8);
    WideBufLCopy(buf, L"abcdef", 3);
    CHECK(Join(WideString(buf), int(buf[4])) == Join(L"abc", int(L'#')));   // nothing written past the terminator
    WideBufLCopy(buf, L"ab", 6);
    CHECK(WideString(buf) == L"ab");
    WideBufLCopy(buf, L"abc", 0);
    CHECK(buf[0] == 0);
    WideBufLCopy(buf, nullptr, 5);
    CHECK(buf[0] == 0);
    std::wmemset(buf, L'#', 8);
    WideBufPLCopy(buf, L"\x0430\x0431\x0432\x0433", 2);
    CHECK(Join(WideString(buf), int(buf[3])) == Join(L"\x0430\x0431", int(L'#')));
    WideBufPCopy(buf, L"wxyz");
    CHECK(WideString(buf) == L"wxyz");
    WideBufPCopy(buf, WideString());
    CHECK(buf[0] == 0);

    WideChar text[] = L"abcdef";
    CHECK(WideBufMove(text + 1, text, 4) == text + 1);
    CHECK(WideString(text) == L"aabcdf");
    WideBufMove(text, text + 2, 0);
    CHECK(WideString(text) == L"aabcdf");
}

TEST_CASE("scans stop at the terminator")
{
    WideChar text[] = {L'a', L'b', 0, L'x', 0};
    CHECK(WideBufScan(text, L'b') == text + 1);
    CHECK(WideBufScan(text, L'x') == nullptr);   // behind the terminator
    CHECK(WideBufScan(nullptr, L'x') == nullptr);
}
