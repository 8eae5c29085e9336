// Join, the tests' way of comparing several values at once.
#include <doctest.h>
#include "join.h"

TEST_CASE("Join quotes texts so that a blank inside a text never reads as a separator")
{
    CHECK(Join("a b", 1) != Join("a", "b 1"));
    CHECK(Join("a", AnsiString("b"), WideString(L"c"), 7) == R"("a" "b" "c" 7)");
    CHECK(Join("say \"x\"\\", "1\r\n\x01") == R"("say \"x\"\\" "1\r\n\x01")");
    // A wide text the code page cannot hold is escaped, never shown as question marks.
    CHECK(Join(WideString(L"\x4E2D"), "?") == R"("\u4E2D" "?")");
}
