// Throughput of the skin painter's alpha blend and keyed copy on a 1024 x 1024 24-bit bitmap,
// next to memcpy of the same bytes and the system's AlphaBlend doing the same blend.
#include "bench/timing.h"
#include "skin/zgraphics.h"
#include "unicode/ucsystem.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>

namespace {

constexpr int Size = 1024;
constexpr int Alpha = 128;   // the destination's weight

// MB/s (10^6 bytes) of the best of several runs, each long enough to time.
double Throughput(size_t Bytes, const std::function<void()>& Pass)
{
    Pass();   // warm the caches and the pages
    int reps = 1;
    for (;;) {
        double t0 = Now();
        for (int i = 0; i < reps; ++i)
            Pass();
        if (Now() - t0 > 0.05)
            break;
        reps *= 2;
    }
    double best = 1e30;
    for (int run = 0; run < 7; ++run) {
        double t0 = Now();
        for (int i = 0; i < reps; ++i)
            Pass();
        best = std::min(best, (Now() - t0) / reps);
    }
    return double(Bytes) / best / 1e6;
}

uint8_t* Bits(TBitmap& B) { return static_cast<uint8_t*>(B.ScanLine(B.Height() - 1)); }

} // namespace

int main()
{
    InitSysUtils();
    InitUcSystem();
    InitSkinEngine();
    InitSkinGraphics();

    auto src = CreateBmp24(Size, Size);
    auto dst = CreateBmp24(Size, Size);
    const size_t bytes = size_t(src->BytesPerScanLine()) * Size;
    // A skin-like source: rings of key colour around solid shapes, about 40 % key pixels.
    std::mt19937 rng(1);
    uint8_t* s = Bits(*src);
    int keyPixels = 0;
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            uint8_t* p = s + size_t(y) * src->BytesPerScanLine() + x * 3;
            const int dx = x % 64 - 32, dy = y % 64 - 32;
            if (dx * dx + dy * dy > 24 * 24 - 40) {
                p[0] = 0xFF, p[1] = 0x00, p[2] = 0xFF;
                ++keyPixels;
            } else {
                p[0] = uint8_t(rng()), p[1] = uint8_t(rng()), p[2] = uint8_t(rng());
            }
        }
    std::vector<uint8_t> start(bytes);
    for (auto& b : start)
        b = uint8_t(rng());
    std::memcpy(Bits(*dst), start.data(), bytes);

    const TRect whole(0, 0, Size, Size);
    const double mcopy = Throughput(bytes, [&] { std::memcpy(Bits(*dst), Bits(*src), bytes); });
    const double blend = Throughput(bytes, [&] { BlendBitmapRect(dst.get(), src.get(), Alpha, TPoint(0, 0), whole); });
    const double keyed = Throughput(bytes, [&] { CopyKeyed(dst.get(), src.get(), 0, SkinKeyColor, whole, 0); });

    HDC sdc = src->Canvas()->Handle();
    HDC ddc = dst->Canvas()->Handle();
    const BLENDFUNCTION bf{AC_SRC_OVER, 0, uint8_t(255 - Alpha), 0};
    const double gdi = Throughput(bytes, [&] {
        AlphaBlend(ddc, 0, 0, Size, Size, sdc, 0, 0, Size, Size, bf);
        GdiFlush();
    });

    // The same blend both ways from the same start, compared byte by byte.
    std::memcpy(Bits(*dst), start.data(), bytes);
    BlendBitmapRect(dst.get(), src.get(), Alpha, TPoint(0, 0), whole);
    std::vector<uint8_t> ours(Bits(*dst), Bits(*dst) + bytes);
    std::memcpy(Bits(*dst), start.data(), bytes);
    AlphaBlend(ddc, 0, 0, Size, Size, sdc, 0, 0, Size, Size, bf);
    GdiFlush();
    const uint8_t* theirs = Bits(*dst);
    int maxDiff = 0;
    for (size_t i = 0; i < bytes; ++i)
        maxDiff = std::max(maxDiff, std::abs(int(ours[i]) - int(theirs[i])));

    std::printf("%dx%d 24-bit bitmaps, %.1f MiB a pass, best of 7 runs, MB = 10^6 bytes\n", Size, Size,
                bytes / 1048576.0);
    std::printf("  memcpy                          %8.0f MB/s\n", mcopy);
    std::printf("  BlendBitmapRect (alpha %d)     %8.0f MB/s  %.2f x memcpy, %.1f x AlphaBlend\n", Alpha,
                blend, blend / mcopy, blend / gdi);
    std::printf("  CopyKeyed (%2.0f %% key pixels)     %8.0f MB/s  %.2f x memcpy\n",
                100.0 * keyPixels / (Size * Size), keyed, keyed / mcopy);
    std::printf("  AlphaBlend (msimg32, same blend) %8.0f MB/s  (largest difference from ours: %d)\n",
                gdi, maxDiff);
    const bool ok = blend >= mcopy / 2 && keyed >= mcopy / 2 && blend > gdi;
    std::printf("targets (blend and keyed copy at least half of memcpy, blend above AlphaBlend): %s\n",
                ok ? "met" : "NOT met");

    DoneSkinGraphics();
    DoneSkinEngine();
    return ok ? 0 : 1;
}
