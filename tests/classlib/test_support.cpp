// The support library beside the layers: PNG screenshots of windows.
#include <doctest.h>
#include "support/screenshot.h"

#include <cstdio>
#include <string>
#include <vector>
#include <zlib.h>

TEST_CASE("a PNG written from 24-bit rows decodes back to the same pixels")
{
    // 2x2: blue, green / red, white (rows blue-green-red, 4-byte aligned stride)
    const uint8_t rows[2][8] = {{255, 0, 0, 0, 255, 0, 0, 0}, {0, 0, 255, 255, 255, 255, 0, 0}};
    const char* name = ZANDREL_BUILD_DIR "/tiny.png";
    REQUIRE(WritePng24(name, 2, 2, &rows[0][0], 8));

    FILE* f = std::fopen(name, "rb");
    REQUIRE(f);
    std::vector<uint8_t> png(4096);
    png.resize(std::fread(png.data(), 1, png.size(), f));
    std::fclose(f);
    REQUIRE(png.size() > 33 + 12);
    CHECK(png[1] == 'P');
    CHECK(png[12] == 'I');
    CHECK(png[19] == 2);   // width
    CHECK(png[23] == 2);   // height

    // IDAT follows IHDR (8 + 25 bytes in).
    size_t at = 33;
    uint32_t len = (png[at] << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3];
    REQUIRE(std::string(png.begin() + at + 4, png.begin() + at + 8) == "IDAT");
    uint8_t raw[14];
    uLongf rawLen = sizeof(raw);
    REQUIRE(uncompress(raw, &rawLen, png.data() + at + 8, len) == Z_OK);
    const uint8_t expect[14] = {0, 0, 0, 255, 0, 255, 0, 0, 255, 0, 0, 255, 255, 255};
    CHECK(rawLen == 14);
    CHECK(std::equal(raw, raw + 14, expect));
}
