#include <doctest.h>
#include "classlib/sysutils.h"

TEST_CASE("integer text reads decimal and $ hexadecimal, and refuses the rest")
{
    CHECK(StrToInt("42") == 42);
    CHECK(StrToInt("-17") == -17);
    CHECK(StrToInt("$1F") == 31);
    CHECK(StrToInt("$FFFFFFFF") == -1);
    CHECK(StrToInt("0x10") == 16);
    CHECK(StrToIntDef("", 7) == 7);
    CHECK(StrToIntDef("12a", 7) == 7);
    CHECK(StrToIntDef("2147483648", 7) == 7);
    CHECK(StrToInt("-2147483648") == INT32_MIN);
    CHECK_THROWS_WITH_AS(StrToInt("x"), "'x' is not a valid integer value", EConvertError);
}

TEST_CASE("Format grows past its first buffer")
{
    CHECK(Format("List index out of bounds (%d)", 5) == "List index out of bounds (5)");
    AnsiString big(1000, 'z');
    CHECK(Format("<%s>", big.c_str()).size() == 1002);
    CHECK(WideFormat(L"%d-%ls", 3, L"\x0416") == L"3-\x0416");
}

TEST_CASE("file name parts")
{
    CHECK(ExtractFilePath("C:\\dir\\f.txt") == "C:\\dir\\");
    CHECK(ExtractFileName("C:\\dir\\f.txt") == "f.txt");
    CHECK(ExtractFileExt("C:\\d.x\\f") == "");
    CHECK(ExtractFileExt("f.tar.gz") == ".gz");
}

TEST_CASE("the number separators come from the user's locale at start-up")
{
    REQUIRE(PRIMARYLANGID(LANGIDFROMLCID(GetUserDefaultLCID())) == LANG_RUSSIAN);
    CHECK(DecimalSeparator == ',');
    CHECK(ThousandSeparator == '\xA0');   // a no-break space in code page 1251
}
