#include <doctest.h>
#include "classlib/jpeg.h"
#include "graphics_helpers.h"

#include <cstdlib>
#include <cstring>

namespace {
// tiny.jpg: 16 x 8, the left half red, the right half blue (see tests/data/README.md).
const char* const kTiny = ZANDREL_TEST_DATA "/tiny.jpg";
const char* const kProgressive = ZANDREL_TEST_DATA "/tiny-progressive.jpg";

std::vector<uint8_t> ReadFileBytes(const char* name)
{
    TFileStream fs(name, fmOpenRead);
    std::vector<uint8_t> v(size_t(fs.Size()));
    fs.ReadBuffer(v.data(), int32_t(v.size()));
    return v;
}

bool Near(TColor a, TColor b, int tol = 24)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tol && std::abs(GetGValue(a) - GetGValue(b)) <= tol &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tol;
}

struct DataJpeg : TJPEGImage {
    using TJPEGImage::ReadData;
    using TJPEGImage::WriteData;
};
} // namespace

TEST_CASE("JPEG pictures decode into 24-bit bitmaps, through the picture or straight from bytes")
{
    for (const char* file : {kTiny, kProgressive}) {
        CAPTURE(file);
        TJPEGImage j;
        j.LoadFromFile(file);
        CHECK(j.Width() == 16);
        CHECK(j.Height() == 8);
        TBitmap viaPicture;
        viaPicture.Assign(&j);
        std::vector<uint8_t> bytes = ReadFileBytes(file);
        std::unique_ptr<TBitmap> straight = DecodeJpegBitmap(bytes.data(), bytes.size());
        REQUIRE(straight);
        for (TBitmap* b : {&viaPicture, straight.get()}) {
            CHECK(b->PixelFormat() == pf24bit);
            CHECK(b->Width() == 16);
            CHECK(b->Height() == 8);
            CHECK(Near(PixelAt(*b, 2, 4), clRed));
            CHECK(Near(PixelAt(*b, 13, 4), clBlue));
        }
    }
    CHECK_THROWS_AS(DecodeJpegBitmap(nullptr, 10), EInvalidGraphic);
}

TEST_CASE("JPEG pictures draw, stretch and tile")
{
    TJPEGImage j;
    j.LoadFromFile(kTiny);
    TBitmap b;
    NewBmp24(b, 60, 30, clWhite);

    SUBCASE("draw and stretch draw")
    {
        b.Canvas()->Draw(10, 5, &j);
        CHECK(Near(PixelAt(b, 12, 9), clRed));
        CHECK(Near(PixelAt(b, 23, 9), clBlue));
        CHECK(PixelAt(b, 9, 9) == clWhite);
        CHECK(PixelAt(b, 26, 9) == clWhite);
        b.Canvas()->StretchDraw(Rect(28, 0, 60, 16), &j);
        CHECK(Near(PixelAt(b, 32, 8), clRed));
        CHECK(Near(PixelAt(b, 56, 8), clBlue));
    }
    SUBCASE("tiles from the rectangle's corner, clipped to it")
    {
        j.Tile(b.Canvas(), Rect(2, 3, 41, 20));
        CHECK(Near(PixelAt(b, 4, 6), clRed));
        CHECK(Near(PixelAt(b, 15, 6), clBlue));
        CHECK(Near(PixelAt(b, 20, 6), clRed));    // the second tile
        CHECK(Near(PixelAt(b, 36, 15), clRed));   // third column, second row
        CHECK(Near(PixelAt(b, 40, 19), clRed));   // cut at the rectangle
        CHECK(PixelAt(b, 41, 10) == clWhite);
        CHECK(PixelAt(b, 10, 20) == clWhite);
        CHECK(PixelAt(b, 1, 3) == clWhite);
        // Drawing goes on unclipped afterwards.
        b.Canvas()->Brush()->SetColor(clLime);
        b.Canvas()->FillRect(Rect(50, 25, 60, 30));
        CHECK(PixelAt(b, 59, 29) == clLime);
        TJPEGImage empty;
        empty.Tile(b.Canvas(), Rect(0, 0, 60, 30));
        CHECK(PixelAt(b, 0, 0) == clWhite);
    }
}

TEST_CASE("JPEG pictures save the bytes they loaded")
{
    std::vector<uint8_t> bytes = ReadFileBytes(kTiny);
    TJPEGImage j;
    j.LoadFromMemory(bytes.data(), bytes.size());
    TMemoryStream ms;
    j.SaveToStream(&ms);
    REQUIRE(ms.Size() == int64_t(bytes.size()));
    CHECK(std::memcmp(ms.Memory(), bytes.data(), bytes.size()) == 0);

    TJPEGImage k;
    k.Assign(&j);
    CHECK(k.Width() == 16);
    CHECK(k.Equals(&j));

    // Form data: a 32-bit size, then the bytes.
    DataJpeg d;
    TMemoryStream fd;
    DataJpeg src;
    src.Assign(&j);
    src.WriteData(&fd);
    CHECK(fd.Size() == int64_t(bytes.size()) + 4);
    fd.SetPosition(0);
    d.ReadData(&fd);
    CHECK(d.Width() == 16);
    int32_t bad = int32_t(bytes.size()) + 1;
    fd.SetPosition(0);
    fd.WriteBuffer(&bad, 4);
    fd.SetPosition(0);
    CHECK_THROWS_AS(d.ReadData(&fd), EInvalidGraphic);

    CHECK_THROWS_WITH_AS(j.SetWidth(3), "Cannot change the size of a JPEG image", EInvalidGraphicOperation);
}

TEST_CASE("damaged JPEG data raises EInvalidGraphic and keeps the picture")
{
    std::vector<uint8_t> bytes = ReadFileBytes(kTiny);
    TJPEGImage j;
    j.LoadFromMemory(bytes.data(), bytes.size());

    auto still = [&] { return j.Width() == 16 && j.Height() == 8; };
    CHECK_THROWS_WITH_AS(j.LoadFromMemory("BM....", 6), "JPEG image is not valid", EInvalidGraphic);
    CHECK(still());

    // Truncated at every length: refused or loaded, never worse (flipped bytes are the fuzz
    // driver's).
    for (size_t n = 1; n < bytes.size(); ++n) {
        TJPEGImage t;
        try {
            t.LoadFromMemory(bytes.data(), n);
            CHECK(t.Width() == 16);
        } catch (const EInvalidGraphic&) {
        }
    }

    // A frame header that claims a huge picture is refused before decoding.
    for (size_t i = 0; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
            std::vector<uint8_t> big = bytes;
            big[i + 5] = big[i + 7] = 0x7F;   // height and width about 32000
            CHECK_THROWS_AS(j.LoadFromMemory(big.data(), big.size()), EInvalidGraphic);
            break;
        }
    CHECK(still());

    // No bytes at all make an empty picture.
    TMemoryStream empty;
    j.LoadFromStream(&empty);
    CHECK(j.Empty());
}
