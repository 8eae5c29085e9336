#include <doctest.h>
#include "unicode/ucsystem.h"

TEST_CASE("the platform is NT")
{
    CHECK(PlatformIsUnicode);
}
