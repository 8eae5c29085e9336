#include "classlib/jpeg.h"
#include "classlib/gdihandles.h"

#include <cstring>
#include <stb_image.h>

namespace {
// Pictures above this many pixels are refused before decoding: a damaged header must not
// make us ask for hundreds of megabytes.
constexpr int64_t kMaxJpegPixels = int64_t(1) << 25;
constexpr int64_t kMaxJpegBytes = int64_t(64) << 20;

[[noreturn]] void InvalidJpeg()
{
    throw EInvalidGraphic("JPEG image is not valid");
}

struct StbFree {
    void operator()(unsigned char* p) const { stbi_image_free(p); }
};

// Decodes JPEG bytes into a new 24-bit bitmap.
std::unique_ptr<TBitmap> Decode(const uint8_t* d, size_t n)
{
    if (n < 4 || d[0] != 0xFF || d[1] != 0xD8 || int64_t(n) > kMaxJpegBytes)
        InvalidJpeg();
    int w = 0, h = 0, comp = 0;
    if (!stbi_info_from_memory(d, int(n), &w, &h, &comp) || w <= 0 || h <= 0 ||
        int64_t(w) * h > kMaxJpegPixels)
        InvalidJpeg();
    std::unique_ptr<unsigned char, StbFree> px(stbi_load_from_memory(d, int(n), &w, &h, &comp, 3));
    if (!px)
        InvalidJpeg();
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(w, h);
    for (int y = 0; y < h; ++y) {
        auto* row = static_cast<uint8_t*>(bmp->ScanLine(y));
        const unsigned char* s = px.get() + size_t(y) * w * 3;
        for (int x = 0; x < w; ++x, s += 3, row += 3) {
            row[0] = s[2];
            row[1] = s[1];
            row[2] = s[0];
        }
    }
    return bmp;
}
} // namespace

std::unique_ptr<TBitmap> DecodeJpegBitmap(const void* Data, size_t Size)
{
    return Decode(static_cast<const uint8_t*>(Data), Data ? Size : 0);
}

Z_CLASS_IMPL(TJPEGImage, TGraphic)

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

int TJPEGImage::Width() const
{
    return FBitmap ? FBitmap->Width() : 0;
}

int TJPEGImage::Height() const
{
    return FBitmap ? FBitmap->Height() : 0;
}

void TJPEGImage::SetWidth(int)
{
    throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

void TJPEGImage::SetHeight(int)
{
    throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

void TJPEGImage::LoadFromMemory(const void* Data, size_t Size)
{
    std::vector<uint8_t> bytes;
    std::unique_ptr<TBitmap> bmp;
    if (Data && Size) {
        bytes.assign(static_cast<const uint8_t*>(Data), static_cast<const uint8_t*>(Data) + Size);
        bmp = Decode(bytes.data(), bytes.size());
    }
    FData = std::move(bytes);
    FBitmap = std::move(bmp);
    Changed(this);
}

void TJPEGImage::LoadFromStream(TStream* Stream)
{
    int64_t left = Stream->Size() - Stream->Position();
    if (left > kMaxJpegBytes)
        InvalidJpeg();
    std::vector<uint8_t> bytes(size_t(left > 0 ? left : 0));
    if (!bytes.empty() && Stream->Read(bytes.data(), int32_t(bytes.size())) != int32_t(bytes.size()))
        InvalidJpeg();
    LoadFromMemory(bytes.data(), bytes.size());
}

void TJPEGImage::SaveToStream(TStream* Stream)
{
    if (!FData.empty())
        Stream->WriteBuffer(FData.data(), int32_t(FData.size()));
}

void TJPEGImage::ReadData(TStream* Stream)
{
    int32_t size = 0;
    if (Stream->Read(&size, 4) != 4 || size < 0 || size > Stream->Size() - Stream->Position())
        InvalidJpeg();
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (size)
        Stream->ReadBuffer(bytes.data(), size);
    LoadFromMemory(bytes.data(), bytes.size());
}

void TJPEGImage::WriteData(TStream* Stream)
{
    int32_t size = int32_t(FData.size());
    Stream->WriteBuffer(&size, 4);
    SaveToStream(Stream);
}

void TJPEGImage::Assign(TPersistent* Source)
{
    if (auto* j = dynamic_cast<TJPEGImage*>(Source)) {
        if (j == this)
            return;
        FData = j->FData;
        if (j->FBitmap) {
            auto bmp = std::make_unique<TBitmap>();
            bmp->Assign(j->FBitmap.get());
            FBitmap = std::move(bmp);
        } else
            FBitmap.reset();
        FTransparent = j->FTransparent;
        Changed(this);
        return;
    }
    if (!Source) {
        FData.clear();
        FBitmap.reset();
        Changed(this);
        return;
    }
    inherited::Assign(Source);
}

void TJPEGImage::AssignTo(TPersistent* Dest)
{
    if (auto* b = dynamic_cast<TBitmap*>(Dest)) {
        if (FBitmap)
            b->Assign(FBitmap.get());
        else
            b->Assign(nullptr);
        return;
    }
    inherited::AssignTo(Dest);
}

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& R)
{
    if (FBitmap)
        ACanvas->StretchDraw(R, FBitmap.get());
}

void TJPEGImage::Tile(TCanvas* ACanvas, const TRect& R)
{
    if (!FBitmap || R.IsEmpty())
        return;
    int w = FBitmap->Width(), h = FBitmap->Height();
    HDC dc = ACanvas->Handle();
    TSaveDCScope saved(dc);
    IntersectClipRect(dc, R.Left, R.Top, R.Right, R.Bottom);
    for (int y = R.Top; y < R.Bottom; y += h)
        for (int x = R.Left; x < R.Right; x += w)
            ACanvas->Draw(x, y, FBitmap.get());
}
