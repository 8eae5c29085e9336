#include "skin/zgraphics.h"

#include "classlib/gdihandles.h"
#include "classlib/jpeg.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

Z_CLASS_IMPL(TSkFastRows, TObject)
Z_CLASS_IMPL(TSkFast24, TSkFastRows)
Z_CLASS_IMPL(TSkFast32, TSkFastRows)
Z_CLASS_IMPL(TSkFastSum24, TObject)

TSkFast24* SkFast24A = nullptr;
TSkFast24* SkFast24B = nullptr;
TSkFastSum24* SkFastSum24 = nullptr;
TSkFast32* SkFast32 = nullptr;

namespace {

std::unique_ptr<TSkFast24> OwnFast24A, OwnFast24B;
std::unique_ptr<TSkFastSum24> OwnFastSum24;
std::unique_ptr<TSkFast32> OwnFast32;
std::unique_ptr<TBitmap> OwnWorkBitmaps[4];

// Rows built for tiled and stretched copies: a source row repeated or gathered to the width of
// the destination, once for all the destination rows that show it.
uint8_t* LineBuffer(int Which, size_t Bytes)
{
    static std::vector<uint8_t> lines[2];
    std::vector<uint8_t>& v = lines[Which];
    if (v.size() < Bytes)
        v.resize(Bytes);
    return v.data();
}


inline uint8_t Clamp255(int V) { return V < 0 ? 0 : V > 255 ? 255 : uint8_t(V); }

inline uint8_t RedOf(TColor C) { return uint8_t(C); }
inline uint8_t GreenOf(TColor C) { return uint8_t(C >> 8); }
inline uint8_t BlueOf(TColor C) { return uint8_t(C >> 16); }
inline TColor MakeColor(int R, int G, int B) { return TColor(R | (G << 8) | (B << 16)); }

// A key colour is in force when its top byte is clear; only such a value can equal a pixel.
inline bool KeyActive(TColor Key) { return (uint32_t(Key) & 0xFF000000u) == 0; }

// The rows of a bitmap at least MinSize x MinSize. A single row's step is the row's length:
// nothing steps from it.
bool AttachRows(TBitmap* Bmp, TPixelFormat Format, int& Width, int& Height, ptrdiff_t& Delta,
                uint8_t*& Row0, int MinSize = 2)
{
    Width = Height = 0;
    Delta = 0;
    Row0 = nullptr;
    if (!Bmp || Bmp->Width() < MinSize || Bmp->Height() < MinSize)
        return false;
    if (Bmp->PixelFormat() != Format)
        throw EInvalidGraphic("Bitmap format is not supported");
    Row0 = static_cast<uint8_t*>(Bmp->ScanLine(0));
    Delta = Bmp->Height() > 1 ? static_cast<uint8_t*>(Bmp->ScanLine(1)) - Row0
                              : ptrdiff_t(Bmp->Width()) * (Format == pf24bit ? 3 : 4);
    Width = Bmp->Width();
    Height = Bmp->Height();
    return true;
}

// Clips a copy of source rectangle Src placed at (DX, DY): a part left of or above the source
// moves the destination, a destination left of or above 0 moves the source, and the copy is
// cut to both bitmaps. False when nothing is left.
bool ClipCopy(int& DX, int& DY, TRect& Src, int SrcW, int SrcH, int DstW, int DstH)
{
    int64_t dx = DX, dy = DY, l = Src.Left, t = Src.Top, r = Src.Right, b = Src.Bottom;
    if (l < 0) { dx -= l; l = 0; }
    if (t < 0) { dy -= t; t = 0; }
    r = std::min<int64_t>(r, SrcW);
    b = std::min<int64_t>(b, SrcH);
    if (dx < 0) { l -= dx; dx = 0; }
    if (dy < 0) { t -= dy; dy = 0; }
    r = std::min<int64_t>(r, l + DstW - dx);
    b = std::min<int64_t>(b, t + DstH - dy);
    if (r <= l || b <= t)
        return false;
    DX = int(dx);
    DY = int(dy);
    Src = TRect(int(l), int(t), int(r), int(b));
    return true;
}

// Rows Top .. Bottom - 1 in the order they lie in memory (bottom-up images: the last row
// first), so that the processor's prefetching sees one forward stream.
template <class F> void ForRows(int Top, int Bottom, ptrdiff_t Delta, F Row)
{
    if (Delta < 0)
        for (int y = Bottom - 1; y >= Top; --y)
            Row(y);
    else
        for (int y = Top; y < Bottom; ++y)
            Row(y);
}

// R cut to a bitmap of W x H; false when nothing is left.
bool ClipRect(TRect& R, int W, int H)
{
    R.Left = std::max(R.Left, 0);
    R.Top = std::max(R.Top, 0);
    R.Right = std::min(R.Right, W);
    R.Bottom = std::min(R.Bottom, H);
    return R.Right > R.Left && R.Bottom > R.Top;
}

// ---------------------------------------------------------------------------------------
// Row kernels. Every loop below runs over the contiguous bytes of one row with plain
// integer arithmetic, so that the compiler turns it into SSE2 code.

// Two bytes read as one 16-bit word, at any address.
typedef uint16_t __attribute__((may_alias, aligned(1))) Word16;

// D := (S * (255 - A) + D * A + 127) shr 8 per byte; the sum stays below 65536. The row is
// taken two bytes at a time as 16-bit words, the even byte in the low half and the odd byte
// in the high half, so the vector code needs no byte unpacking.
void BlendRow(uint8_t* __restrict D, const uint8_t* __restrict S, int N, unsigned A)
{
    const uint16_t wd = uint16_t(A), ws = uint16_t(255 - A);
    Word16* __restrict dw = reinterpret_cast<Word16*>(D);
    const Word16* __restrict sw = reinterpret_cast<const Word16*>(S);
    for (int i = 0; i < N / 2; ++i) {
        const uint16_t s = sw[i], d = dw[i];
        const uint16_t lo = uint16_t((s & 0xFF) * ws + (d & 0xFF) * wd + 127);
        const uint16_t hi = uint16_t((s >> 8) * ws + (d >> 8) * wd + 127);
        dw[i] = uint16_t((lo >> 8) | (hi & 0xFF00));
    }
    if (N & 1)
        D[N - 1] = uint8_t((S[N - 1] * ws + D[N - 1] * wd + 127) >> 8);
}

// Rows are worked in pieces of at most this many bytes (whole pixels), with work buffers of
// this size on the stack.
constexpr int PatChunk = 3 * 1024;

// The blue, green and red bytes of a colour repeated along a row (a piece of it at most).
struct TripletPattern {
    alignas(16) uint8_t Buf[PatChunk];
    TripletPattern(TColor C, int RowBytes)
    {
        const uint8_t bytes[3] = {BlueOf(C), GreenOf(C), RedOf(C)};
        const int n = std::min(RowBytes, PatChunk);
        for (int i = 0; i < n; ++i)
            Buf[i] = bytes[i % 3];
    }
    const uint8_t* Data() const { return Buf; }
};

// Keyed copies look at rows in blocks of 48 bytes: 16 pixels, three 16-byte vectors. As 16
// is one more than a multiple of 3, vector v of a block starts at pixel phase v, so three
// vectors of the repeated key (Key.A[v]: the key from phase v on) and three of the
// pixel-start marks (PixelStart[v]) serve every block; the compiler keeps all six in
// registers.
struct KeyPattern {
    alignas(16) uint8_t A[3][16];
    uint8_t Bytes[3];
    explicit KeyPattern(TColor Key)
    {
        Bytes[0] = BlueOf(Key);
        Bytes[1] = GreenOf(Key);
        Bytes[2] = RedOf(Key);
        for (int v = 0; v < 3; ++v)
            for (int j = 0; j < 16; ++j)
                A[v][j] = Bytes[(v + j) % 3];
    }
};

constexpr std::array<std::array<uint8_t, 16>, 3> MakePixelStart()
{
    std::array<std::array<uint8_t, 16>, 3> p{};
    for (int v = 0; v < 3; ++v)
        for (int j = 0; j < 16; ++j)
            p[size_t(v)][size_t(j)] = (v + j) % 3 == 0 ? 0xFF : 0;
    return p;
}
alignas(16) constexpr std::array<std::array<uint8_t, 16>, 3> PixelStart = MakePixelStart();

// One block: Q[j] = 0xFF where byte j starts a pixel whose three bytes are the key. Reads
// C[0] .. C[49].
inline void KeyMarkBlock(uint8_t* __restrict Q, const uint8_t* __restrict C, const KeyPattern& Key)
{
    const uint8_t* __restrict a0 = Key.A[0];
    const uint8_t* __restrict a1 = Key.A[1];
    const uint8_t* __restrict a2 = Key.A[2];
    const uint8_t* __restrict p0 = PixelStart[0].data();
    const uint8_t* __restrict p1 = PixelStart[1].data();
    const uint8_t* __restrict p2 = PixelStart[2].data();
    for (int j = 0; j < 16; ++j)
        Q[j] = uint8_t(p0[j] & (C[j] == a0[j] ? 0xFF : 0) & (C[j + 1] == a1[j] ? 0xFF : 0) &
                       (C[j + 2] == a2[j] ? 0xFF : 0));
    for (int j = 0; j < 16; ++j)
        Q[16 + j] = uint8_t(p1[j] & (C[16 + j] == a1[j] ? 0xFF : 0) & (C[17 + j] == a2[j] ? 0xFF : 0) &
                            (C[18 + j] == a0[j] ? 0xFF : 0));
    for (int j = 0; j < 16; ++j)
        Q[32 + j] = uint8_t(p2[j] & (C[32 + j] == a2[j] ? 0xFF : 0) & (C[33 + j] == a0[j] ? 0xFF : 0) &
                            (C[34 + j] == a1[j] ? 0xFF : 0));
}

// The marks of the N bytes (whole pixels) of C; no byte at or past C[N] is read.
void KeyMarks(uint8_t* __restrict Q, const uint8_t* __restrict C, int N, const KeyPattern& Key)
{
    int b = 0;
    for (; b + 50 <= N; b += 48)
        KeyMarkBlock(Q + b, C + b, Key);
    // The rest: one more block ending early enough, over marks already made (they come out
    // the same), then single pixels.
    if (b < N && N >= 51) {
        const int last = N - 51;   // a pixel start: N is a multiple of 3
        KeyMarkBlock(Q + last, C + last, Key);
        b = last + 48;
    }
    for (; b + 3 <= N; b += 3) {
        Q[b] = C[b] == Key.Bytes[0] && C[b + 1] == Key.Bytes[1] && C[b + 2] == Key.Bytes[2] ? 0xFF : 0;
        Q[b + 1] = Q[b + 2] = 0;
    }
}

// Byte i belongs to a key pixel when its pixel's first byte is marked, and that is one of
// Q[i], Q[i-1], Q[i-2] (the other two lie in other pixels, unmarked there). Key bytes keep
// D's byte (or take G's); the others take V's.
template <bool FromBg>
void KeySelect(uint8_t* __restrict D, const uint8_t* __restrict V, const uint8_t* __restrict G,
               const uint8_t* __restrict Q, int N)
{
    for (int i = 0; i < N; ++i) {
        const uint8_t m = uint8_t(Q[i] | Q[i - 1] | Q[i - 2]);
        if constexpr (FromBg)
            D[i] = uint8_t((G[i] & m) | (V[i] & ~m));
        else
            D[i] = uint8_t((D[i] & m) | (V[i] & ~m));
    }
}

// N bytes (whole pixels) of a row: where the pixel of Cmp is not the key, D takes Val; where
// it is, D keeps its byte (or takes Bg's). Two passes over pieces of the row, each a plain
// byte loop: the marks of key pixels, then the choice of every byte.
template <bool FromBg>
void KeyedRow(uint8_t* D, const uint8_t* Cmp, const uint8_t* Val, const uint8_t* Bg, int N,
              const KeyPattern& Key)
{
    alignas(16) uint8_t marks[PatChunk + 16];
    uint8_t* q = marks + 16;   // q[-1] and q[-2] stay 0: no pixel starts before the piece
    marks[14] = marks[15] = 0;
    for (int base = 0; base + 3 <= N; base += PatChunk) {
        const int n = std::min(PatChunk, N - base);
        KeyMarks(q, Cmp + base, n, Key);
        KeySelect<FromBg>(D + base, Val + base, FromBg ? Bg + base : nullptr, q, n);
    }
}

// D := S - (S - D) * K, rounded to nearest, ties to even; K in 0..1 keeps it in 0..255.
void WeightRow(uint8_t* __restrict Out, const uint8_t* __restrict S, const uint8_t* __restrict D,
               int N, double K)
{
    for (int i = 0; i < N; ++i) {
        const double s = S[i];
        Out[i] = uint8_t(int(RoundEvenD(s - (s - double(D[i])) * K)));
    }
}

// D := (D * M + S * (256 - M)) shr 8 per byte, which is at most 255 * 256: the sum stays in 16
// bits, and a loop of 16-bit lanes is what the vectoriser turns into SSE2 code.
void MaskBlendRow(uint8_t* __restrict D, const uint8_t* __restrict S, const uint8_t* __restrict M, int N)
{
    for (int i = 0; i < N; ++i) {
        const uint16_t m = M[i];
        D[i] = uint8_t(uint16_t(D[i] * m + S[i] * uint16_t(256 - m)) >> 8);
    }
}

// Image := ((Image - C) * M + C * 256) shr 8 = (Image * M + C * (256 - M)) shr 8, C a pattern
// of PatChunk bytes.
void MaskRow(uint8_t* D, const uint8_t* M, const uint8_t* C, int N)
{
    for (int base = 0; base < N; base += PatChunk)
        MaskBlendRow(D + base, C, M + base, std::min(PatChunk, N - base));
}

// D := round((D * P + K - 50) / 100), ties to even, where K holds C * (100 - P) + 50 for the
// colour channel C of each byte (at most 25550 with D * P: 16 bits). The quotient comes from
// the high half of a 16-bit product (Y * 5243 shr 19 is Y div 100 for every Y below 43699);
// a remainder of 0 with an odd quotient is a tie rounded up, and goes back down.
void TintRow(uint8_t* __restrict D, const uint16_t* __restrict K, int N, uint16_t P)
{
    for (int i = 0; i < N; ++i) {
        const uint16_t y = uint16_t(D[i] * P + K[i]);
        const uint16_t q = uint16_t(uint16_t((uint32_t(y) * 5243u) >> 16) >> 3);
        const uint16_t r = uint16_t(y - q * 100);
        D[i] = uint8_t(q - ((r == 0) & q & 1));
    }
}

// One bitmap row of a keyed copy from Src rows: the columns [X, X + W) of the destination
// row Drow take source columns from Srow; key pixels keep the destination, or take Bg where
// Bg (the address of column BgFrom) is given for the columns [BgFrom, BgTo), relative to X.
void KeyedSpan(uint8_t* Drow, const uint8_t* Srow, const uint8_t* Vrow, int W,
               const KeyPattern& Key, const uint8_t* Bg, int BgFrom, int BgTo)
{
    if (!Bg || BgFrom >= BgTo) {
        KeyedRow<false>(Drow, Srow, Vrow, nullptr, W * 3, Key);
        return;
    }
    if (BgFrom > 0)
        KeyedRow<false>(Drow, Srow, Vrow, nullptr, BgFrom * 3, Key);
    const int o = BgFrom * 3;
    KeyedRow<true>(Drow + o, Srow + o, Vrow + o, Bg, (BgTo - BgFrom) * 3, Key);
    if (BgTo < W) {
        const int e = BgTo * 3;
        KeyedRow<false>(Drow + e, Srow + e, Vrow + e, nullptr, (W - BgTo) * 3, Key);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------

bool TSkFastRows::AttachAs(TBitmap* Bmp, TPixelFormat Format)
{
    Bitmap = Bmp;
    return AttachRows(Bmp, Format, Width, Height, Delta, Row0);
}

bool TSkFastSum24::Attach(TBitmap* ASrc, TBitmap* ADst)
{
    Src = ASrc;
    Dst = ADst;
    int sw, sh, dw, dh;
    Width = Height = 0;
    if (!AttachRows(ASrc, pf24bit, sw, sh, SrcDelta, SrcRow0) ||
        !AttachRows(ADst, pf24bit, dw, dh, DstDelta, DstRow0))
        return false;
    Width = std::min(sw, dw);
    Height = std::min(sh, dh);
    SrcRect = DstRect = TRect(0, 0, Width, Height);
    return true;
}

void TSkFastSum24::BlendToDst()
{
    if (!SrcRow0 || !DstRow0)
        return;
    TRect s = SrcRect;
    int dx = DstRect.Left, dy = DstRect.Top;
    // The smaller of the two rectangles, then cut to both bitmaps.
    s.Right = s.Left + std::max(0, std::min(s.Width(), DstRect.Width()));
    s.Bottom = s.Top + std::max(0, std::min(s.Height(), DstRect.Height()));
    if (!ClipCopy(dx, dy, s, Src->Width(), Src->Height(), Dst->Width(), Dst->Height()))
        return;
    const int n = s.Width() * 3;
    std::vector<uint8_t> copy;   // a bitmap blended onto itself reads from a copy of the row
    if (Src == Dst)
        copy.resize(size_t(n));
    for (int y = s.Bottom - 1; y >= s.Top; --y) {
        const uint8_t* sp = SrcRow0 + y * SrcDelta + s.Left * 3;
        uint8_t* dp = DstRow0 + (dy + y - s.Top) * DstDelta + dx * 3;
        if (!copy.empty()) {
            std::memcpy(copy.data(), sp, size_t(n));
            sp = copy.data();
        }
        BlendRow(dp, sp, n, Alpha);
    }
}

void InitSkinGraphics()
{
    OwnFast24A = std::make_unique<TSkFast24>();
    OwnFast24B = std::make_unique<TSkFast24>();
    OwnFastSum24 = std::make_unique<TSkFastSum24>();
    OwnFast32 = std::make_unique<TSkFast32>();
    SkFast24A = OwnFast24A.get();
    SkFast24B = OwnFast24B.get();
    SkFastSum24 = OwnFastSum24.get();
    SkFast32 = OwnFast32.get();
}

void DoneSkinGraphics()
{
    SkFast24A = SkFast24B = nullptr;
    SkFastSum24 = nullptr;
    SkFast32 = nullptr;
    OwnFast24A.reset();
    OwnFast24B.reset();
    OwnFastSum24.reset();
    OwnFast32.reset();
    for (auto& b : OwnWorkBitmaps)
        b.reset();
}

TBitmap* WorkBitmap(TSkWorkBitmap Use, int Width, int Height)
{
    std::unique_ptr<TBitmap>& b = OwnWorkBitmaps[Use];
    const int w = std::max(Width, 2), h = std::max(Height, 2);
    if (!b || b->Width() < w || b->Height() < h)
        b = CreateBmp24(std::max(w, b ? b->Width() : 0), std::max(h, b ? b->Height() : 0));
    FillBmpRect(b.get(), TRect(0, 0, w, h), 0);
    return b.get();
}

// ---------------------------------------------------------------------------------------

void BlendBitmaps(TBitmap* Dst, TBitmap* Src, int Alpha)
{
    if (!Dst || !Src || Dst->Width() != Src->Width() || Dst->Height() != Src->Height())
        return;
    TSkFastSum24 sum;
    if (!sum.Attach(Src, Dst))
        return;
    sum.Alpha = Clamp255(Alpha);
    sum.BlendToDst();
}

void BlendBitmapRect(TBitmap* Dst, TBitmap* Src, int Alpha, TPoint P, TRect R)
{
    TSkFastSum24 sum;
    if (!sum.Attach(Src, Dst))
        return;
    int dx = P.X, dy = P.Y;
    if (!ClipCopy(dx, dy, R, Src->Width(), Src->Height(), Dst->Width(), Dst->Height()))
        return;
    sum.Alpha = Clamp255(Alpha);
    sum.SrcRect = R;
    sum.DstRect = TRect(dx, dy, dx + R.Width(), dy + R.Height());
    sum.BlendToDst();
}

void BlendToColor(TBitmap* Bmp, TRect R, int Percent, TColor Color)
{
    TSkPixelRows f;
    if (PixelRowsOf(Bmp, f))
        BlendRowsToColor(f, R, Percent, Color);
}

void BlendRowsToColor(const TSkPixelRows& Rows, TRect R, int Percent, TColor Color)
{
    const int p = std::clamp(Percent, 0, 100);
    if (Rows.Bytes != 3 || p == 100 || !ClipRect(R, Rows.Width, Rows.Height))
        return;
    Color = ColorToRGB(Color);
    // The exact value (v * p + c * (100 - p)) / 100, rounded.
    alignas(16) uint16_t k[PatChunk];
    const uint16_t kc[3] = {uint16_t(BlueOf(Color) * (100 - p) + 50), uint16_t(GreenOf(Color) * (100 - p) + 50),
                            uint16_t(RedOf(Color) * (100 - p) + 50)};
    const int n = R.Width() * 3;
    for (int i = 0; i < std::min(n, PatChunk); ++i)
        k[i] = kc[i % 3];
    ForRows(R.Top, R.Bottom, Rows.Delta, [&](int y) {
        uint8_t* d = Rows.Row(y) + R.Left * 3;
        for (int base = 0; base < n; base += PatChunk)
            TintRow(d + base, k, std::min(PatChunk, n - base), uint16_t(p));
    });
}

void BlendBmpRect(TBitmap* Dst, int X, int Y, TColor Key, double K, TRect R, TBitmap* Src)
{
    TSkFast24 d, s;
    if (!d.Attach(Dst) || !s.Attach(Src))
        return;
    if (!ClipCopy(X, Y, R, s.Width, s.Height, d.Width, d.Height))
        return;
    K = K != K ? 0.0 : std::clamp(K, 0.0, 1.0);   // NaN counts as 0: the source wins
    const bool keyed = KeyActive(Key);
    const KeyPattern key(Key);
    alignas(16) uint8_t tmp[PatChunk];
    const int span = PatChunk / 3;   // pixels a piece
    ForRows(R.Top, R.Bottom, d.Delta, [&](int y) {
        const uint8_t* sp = s.Row(y) + R.Left * 3;
        uint8_t* dp = d.Row(Y + y - R.Top) + X * 3;
        for (int x = 0; x < R.Width(); x += span) {
            const int n = std::min(span, R.Width() - x) * 3;
            WeightRow(tmp, sp + x * 3, dp + x * 3, n, K);
            if (keyed)
                KeyedRow<false>(dp + x * 3, sp + x * 3, tmp, nullptr, n, key);
            else
                std::memcpy(dp + x * 3, tmp, size_t(n));
        }
    });
}

void MultiplyByMask(TBitmap* Image, TBitmap* Mask, TColor C)
{
    TSkFast24 im, mk;
    if (!im.Attach(Image) || !mk.Attach(Mask) || im.Width != mk.Width || im.Height != mk.Height)
        return;
    const TripletPattern cp(C, im.Width * 3);
    ForRows(0, im.Height, im.Delta, [&](int y) { MaskRow(im.Row(y), mk.Row(y), cp.Data(), im.Width * 3); });
}

void MixBitmaps(TBitmap* Target, TBitmap* A, TBitmap* B, int W, TBitmap* Mask)
{
    if (!Target || Target->Width() < 2 || Target->Height() < 2)
        return;
    int tw, th;
    ptrdiff_t tdelta;
    uint8_t* trow0;
    const int tb = Target->PixelFormat() == pf24bit ? 3 : 4;
    if (!AttachRows(Target, tb == 3 ? pf24bit : pf32bit, tw, th, tdelta, trow0))
        return;
    TSkFast24 a, b, m;
    if (!a.Attach(A) || !b.Attach(B))
        return;
    const bool masked = Mask != nullptr;
    if (masked && !m.Attach(Mask))
        return;
    if (a.Width != tw || b.Width != tw || a.Height != th || b.Height != th ||
        (masked && (m.Width != tw || m.Height != th)))
        return;
    const int w = std::clamp(W, 0, 255);
    for (int y = 0; y < th; ++y) {
        uint8_t* t = trow0 + y * tdelta;
        const uint8_t* pa = a.Row(y);
        const uint8_t* pb = b.Row(y);
        const uint8_t* pm = masked ? m.Row(y) : nullptr;
        for (int x = 0; x < tw; ++x, t += tb, pa += 3, pb += 3) {
            for (int k = 0; k < 3; ++k) {
                const int wk = masked ? (w * pm[k]) >> 8 : w;
                t[k] = Clamp255((pa[k] * wk + pb[k] * (256 - wk)) >> 8);
            }
            if (tb == 4)
                t[3] = 0;
            if (masked)
                pm += 3;
        }
    }
}

TColor MixColors(TColor C1, TColor C2, double K)
{
    if (K != K)
        K = 0;
    auto mix = [K](int a, int b) { return Clamp255(RoundEven((a - b) * K + b)); };
    return TColor((uint32_t(C1) & 0xFF000000u) |
                  uint32_t(MakeColor(mix(RedOf(C1), RedOf(C2)), mix(GreenOf(C1), GreenOf(C2)),
                                     mix(BlueOf(C1), BlueOf(C2)))));
}

TColor MixColorsHalf(TColor C1, TColor C2)
{
    auto mix = [](int a, int b) { return ((a - b) * 127 + b * 256) >> 8; };
    return MakeColor(mix(RedOf(C1), RedOf(C2)), mix(GreenOf(C1), GreenOf(C2)),
                     mix(BlueOf(C1), BlueOf(C2)));
}

namespace {
template <bool Except> void Grayscale(TBitmap* Bmp, TColor Color)
{
    TSkFast24 f;
    if (!f.Attach(Bmp))
        return;
    const uint8_t kb = BlueOf(Color), kg = GreenOf(Color), kr = RedOf(Color);
    const bool except = Except && KeyActive(Color);
    for (int y = 0; y < f.Height; ++y) {
        uint8_t* p = f.Row(y);
        for (int x = 0; x < f.Width; ++x, p += 3) {
            if (except && p[0] == kb && p[1] == kg && p[2] == kr)
                continue;
            const uint8_t v = uint8_t((p[0] + p[1] + p[2]) / 3);
            p[0] = p[1] = p[2] = v;
        }
    }
}
} // namespace

void GrayscaleBitmap(TBitmap* Bmp) { Grayscale<false>(Bmp, 0); }
void GrayscaleExceptColor(TBitmap* Bmp, TColor Color) { Grayscale<true>(Bmp, Color); }

TColor ChangeSaturation(TColor Color, int Amount)
{
    if (Amount == 0)
        return Color;
    const double a = std::clamp(Amount, -100, 100) / 100.0;
    const int r = RedOf(Color), g = GreenOf(Color), b = BlueOf(Color);
    const double avg = (r + g + b) / 3.0;
    auto ch = [&](int c) { return Clamp255(RoundEven(a * (avg - c) + c)); };
    return MakeColor(ch(r), ch(g), ch(b));
}

TColor ChangeHue(int Degrees, TColor Color)
{
    const TColor c = ColorToRGB(Color);
    const int r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
    const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
    if (mx == 0 || mx == mn)
        return MakeColor(r, g, b);   // grey (or black) has no hue
    const double v = mx, s = double(mx - mn) / mx, d = mx - mn;
    double h;
    if (r == mx)
        h = 60.0 * (g - b) / d;
    else if (g == mx)
        h = 60.0 * (2.0 + (b - r) / d);
    else
        h = 60.0 * (4.0 + (r - g) / d);
    if (h < 0)
        h += 360.0;
    // Offsets below zero and beyond a turn wrap into 0..359.
    int64_t hue = int64_t(RoundEvenD(h + double(Degrees))) % 360;
    if (hue < 0)
        hue += 360;
    const int sector = int(hue / 60);
    const double f = double(hue) / 60.0 - sector;
    const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    double rr, gg, bb;
    switch (sector) {
    case 0: rr = v; gg = t; bb = p; break;
    case 1: rr = q; gg = v; bb = p; break;
    case 2: rr = p; gg = v; bb = t; break;
    case 3: rr = p; gg = q; bb = v; break;
    case 4: rr = t; gg = p; bb = v; break;
    default: rr = v; gg = p; bb = q; break;
    }
    return MakeColor(Clamp255(RoundEven(rr)), Clamp255(RoundEven(gg)), Clamp255(RoundEven(bb)));
}

// ---------------------------------------------------------------------------------------

void CopyTransBitmap(TBitmap* Dst, TBitmap* Src, int X, int Y, TColor Key)
{
    if (Src)
        CopyKeyed(Dst, Src, X, Key, TRect(0, 0, Src->Width(), Src->Height()), Y);
}

void CopyKeyed(TBitmap* Dst, TBitmap* Src, int X, TColor Key, TRect R, int Y)
{
    CopyKeyedWithParent(Dst, Src, X, false, EmptyCacheInfo, Key, R, Y);
}

void CopyKeyedWithParent(TBitmap* Dst, TBitmap* Src, int X, bool UseParent,
                         const TzCacheInfo& Parent, TColor Key, TRect R, int Y)
{
    CopyKeyedWithParent(Dst, Src, X, UseParent ? TzBackdrop(Parent) : TzBackdrop(), Key, R, Y);
}

void CopyKeyedWithParent(TBitmap* Dst, TBitmap* Src, int X, const TzBackdrop& Behind, TColor Key, TRect R, int Y)
{
    TSkFast24 d, s, p;
    if (!d.Attach(Dst) || !s.Attach(Src))
        return;
    if (!ClipCopy(X, Y, R, s.Width, s.Height, d.Width, d.Height))
        return;
    const int w = R.Width();
    const bool keyed = KeyActive(Key);
    const KeyPattern key(Key);
    const TzCacheInfo& parent = Behind.Picture;
    const bool withParent = keyed && parent.Ready && parent.Bmp && parent.Bmp->PixelFormat() == pf24bit &&
                            p.Attach(parent.Bmp);
    // Without a picture the backdrop's colour stands behind every key pixel.
    uint8_t* colour = nullptr;
    if (keyed && !withParent && Behind.Color != SkinKeyColor) {
        const TripletPattern c(Behind.Color, 3);
        colour = LineBuffer(0, size_t(w) * 3);
        for (size_t i = 0; i < size_t(w) * 3; ++i)
            colour[i] = c.Buf[i % 3];
    }
    // Destination columns [X, X + w) lie at picture columns parent.X + X ...: the part of the
    // span inside the picture, relative to X.
    const int64_t px0 = int64_t(parent.X) + X;
    const int bgFrom = int(std::clamp<int64_t>(-px0, 0, w));
    const int bgTo = int(std::clamp<int64_t>(p.Width - px0, 0, w));
    ForRows(R.Top, R.Bottom, d.Delta, [&](int y) {
        const int dy = Y + y - R.Top;
        const uint8_t* sp = s.Row(y) + R.Left * 3;
        uint8_t* dp = d.Row(dy) + X * 3;
        if (!keyed) {
            std::memcpy(dp, sp, size_t(w) * 3);
            return;
        }
        if (colour) {
            KeyedSpan(dp, sp, sp, w, key, colour, 0, w);
            return;
        }
        const uint8_t* bg = nullptr;
        const int64_t py = int64_t(parent.Y) + dy;
        if (withParent && py >= 0 && py < p.Height && bgFrom < bgTo)
            bg = p.Row(int(py)) + (px0 + bgFrom) * 3;
        KeyedSpan(dp, sp, sp, w, key, bg, bgFrom, bgTo);
    });
}

// ---------------------------------------------------------------------------------------

bool PixelRowsOf(TBitmap* Bmp, TSkPixelRows& Rows, bool Allow32)
{
    Rows = TSkPixelRows();
    if (!Bmp)
        return false;
    const TPixelFormat f = Bmp->PixelFormat();
    if (f != pf24bit && !(Allow32 && f == pf32bit))
        return false;
    Rows.Bytes = f == pf24bit ? 3 : 4;
    return AttachRows(Bmp, f, Rows.Width, Rows.Height, Rows.Delta, Rows.Row0, 1);
}

const TSkPixelRows& TSkWorkRows::Size(int Width, int Height)
{
    FRows = TSkPixelRows();
    if (Width < 1 || Height < 1)
        return FRows;
    const size_t stride = size_t(Width) * 3;
    if (FBuf.size() < stride * size_t(Height))
        FBuf.resize(stride * size_t(Height));
    FRows.Row0 = FBuf.data();
    FRows.Delta = ptrdiff_t(stride);
    FRows.Width = Width;
    FRows.Height = Height;
    return FRows;
}

namespace {

// N pixels of a row of tiles W pixels wide, from pixel Phase of the tile on, as 24-bit bytes;
// Src is the tile's row (Bytes a pixel).
void RepeatRow(uint8_t* Out, const uint8_t* Src, int Bytes, int W, int Phase, int N)
{
    if (Bytes == 3) {
        const int first = std::min(W - Phase, N);
        std::memcpy(Out, Src + Phase * 3, size_t(first) * 3);
        // Whole tiles from here on: one from the source, then the row built so far doubled.
        uint8_t* tiles = Out + first * 3;
        const int rest = N - first;
        int have = std::min(W, rest);
        std::memcpy(tiles, Src, size_t(have) * 3);
        while (have < rest) {
            const int n = std::min(have, rest - have);
            std::memcpy(tiles + have * 3, tiles, size_t(n) * 3);
            have += n;
        }
        return;
    }
    for (int i = 0, x = Phase; i < N; ++i, Out += 3) {
        const uint8_t* p = Src + x * 4;
        Out[0] = p[0];
        Out[1] = p[1];
        Out[2] = p[2];
        if (++x == W)
            x = 0;
    }
}

// The part of Area inside Clip and the destination, row by row, the rows grouped by the row
// of a W x H tile they show: Rows(tile row, first row, end, left, count, phase) stands for the
// destination rows first, first + H, ... before end, each from column left on for count
// pixels, beginning at column phase of the tile.
template <class F>
void ForTiledRows(const TSkPixelRows& Dst, const TRect& Area, int W, int H, const TRect& Clip, F Rows)
{
    if (W < 1 || H < 1)
        return;
    const int64_t l = std::max({Area.Left, Clip.Left, 0}), t = std::max({Area.Top, Clip.Top, 0});
    const int64_t r = std::min({Area.Right, Clip.Right, Dst.Width}), b = std::min({Area.Bottom, Clip.Bottom, Dst.Height});
    if (r <= l || b <= t)
        return;
    const int phase = int((l - Area.Left) % W);
    for (int64_t y = t; y < std::min(b, t + H); ++y)
        Rows(int((y - Area.Top) % H), int(y), int(b), int(l), int(r - l), phase);
}

// floor(I * Num / Den) for I = First, First + 1, ... (I >= 0, Num >= 0, Den > 0): one division
// to start, additions after.
class TScaleSteps {
public:
    TScaleSteps(int64_t First, int64_t Num, int64_t Den)
        : FQ(First * Num / Den), FRem(First * Num % Den), FStepQ(Num / Den), FStepRem(Num % Den), FDen(Den)
    {
    }
    int64_t Next()
    {
        const int64_t q = FQ;
        FQ += FStepQ;
        FRem += FStepRem;
        if (FRem >= FDen) {
            FRem -= FDen;
            ++FQ;
        }
        return q;
    }

private:
    int64_t FQ, FRem;
    const int64_t FStepQ, FStepRem, FDen;
};

// The N bytes of a tiled row, from the tile's own row when they lie in one tile, else built.
const uint8_t* TiledLine(int Which, const uint8_t* TileRow, int Bytes, int W, int Phase, int N)
{
    if (Bytes == 3 && Phase + N <= W)
        return TileRow + Phase * 3;
    uint8_t* line = LineBuffer(Which, size_t(N) * 3);
    RepeatRow(line, TileRow, Bytes, W, Phase, N);
    return line;
}

bool AllBytes(const uint8_t* P, int N, uint8_t V)
{
    uint8_t diff = 0;
    for (int i = 0; i < N; ++i)
        diff |= uint8_t(P[i] ^ V);
    return diff == 0;
}

} // namespace

void FillBmpRect(TBitmap* Bmp, TRect R, TColor Color)
{
    TSkPixelRows f;
    if (!PixelRowsOf(Bmp, f) || !ClipRect(R, f.Width, f.Height))
        return;
    const TripletPattern c(ColorToRGB(Color), R.Width() * 3);
    const int n = R.Width() * 3;
    ForRows(R.Top, R.Bottom, f.Delta, [&](int y) {
        uint8_t* d = f.Row(y) + R.Left * 3;
        for (int i = 0; i < n; i += PatChunk)
            std::memcpy(d + i, c.Data(), size_t(std::min(PatChunk, n - i)));
    });
}

void CopyBmpRect(TBitmap* Dst, int X, int Y, TRect R, TBitmap* Src)
{
    TSkPixelRows d, s;
    if (PixelRowsOf(Dst, d) && PixelRowsOf(Src, s, true))
        CopyRows(d, X, Y, R, s);
}

void CopyRows(const TSkPixelRows& Dst, int X, int Y, TRect R, const TSkPixelRows& Src)
{
    if (Dst.Bytes != 3 || !ClipCopy(X, Y, R, Src.Width, Src.Height, Dst.Width, Dst.Height))
        return;
    const int w = R.Width();
    ForRows(R.Top, R.Bottom, Dst.Delta, [&](int y) {
        RepeatRow(Dst.Row(Y + y - R.Top) + X * 3, Src.At(R.Left, y), Src.Bytes, w, 0, w);
    });
}

void TileBmpRect(TBitmap* Dst, const TRect& Area, TBitmap* Src, TRect R, const TRect& Clip)
{
    TSkPixelRows d, s;
    if (PixelRowsOf(Dst, d) && PixelRowsOf(Src, s, true))
        TileRows(d, Area, s, R, Clip);
}

void TileRows(const TSkPixelRows& Dst, const TRect& Area, const TSkPixelRows& Src, TRect R, const TRect& Clip)
{
    if (Dst.Bytes != 3 || !ClipRect(R, Src.Width, Src.Height))
        return;
    const int w = R.Width(), h = R.Height();
    ForTiledRows(Dst, Area, w, h, Clip, [&](int TileY, int Y, int End, int X, int N, int Phase) {
        const uint8_t* line = TiledLine(0, Src.At(R.Left, R.Top + TileY), Src.Bytes, w, Phase, N);
        for (int y = Y; y < End; y += h)
            std::memcpy(Dst.At(X, y), line, size_t(N) * 3);
    });
}

void StretchBmpRect(TBitmap* Dst, const TRect& Area, TBitmap* Src, TRect R, const TRect& Clip)
{
    TSkPixelRows d, s;
    if (PixelRowsOf(Dst, d) && PixelRowsOf(Src, s, true))
        StretchRows(d, Area, s, R, Clip);
}

void StretchRows(const TSkPixelRows& Dst, const TRect& Area, const TSkPixelRows& Src, TRect R, const TRect& Clip)
{
    if (Dst.Bytes != 3 || !ClipRect(R, Src.Width, Src.Height) || Area.IsEmpty())
        return;
    TRect part(std::max({Area.Left, Clip.Left, 0}), std::max({Area.Top, Clip.Top, 0}),
               std::min({Area.Right, Clip.Right, Dst.Width}), std::min({Area.Bottom, Clip.Bottom, Dst.Height}));
    if (part.IsEmpty())
        return;
    // Destination pixel i of the area takes source pixel i * source size / area size. Rows
    // that take the same source row are gathered once.
    const int n = part.Width(), sb = Src.Bytes;
    uint8_t* line = LineBuffer(0, size_t(n) * 3);
    int* cols = reinterpret_cast<int*>(LineBuffer(1, size_t(n) * sizeof(int)));
    TScaleSteps cx(part.Left - int64_t(Area.Left), R.Width(), int64_t(Area.Right) - Area.Left);
    for (int i = 0; i < n; ++i)
        cols[i] = (R.Left + int(cx.Next())) * sb;
    TScaleSteps cy(part.Top - int64_t(Area.Top), R.Height(), int64_t(Area.Bottom) - Area.Top);
    int built = -1;
    for (int y = part.Top; y < part.Bottom; ++y) {
        const int sy = R.Top + int(cy.Next());
        if (sy != built) {
            const uint8_t* sr = Src.Row(sy);
            for (int i = 0; i < n; ++i) {
                const uint8_t* p = sr + cols[i];
                line[i * 3] = p[0];
                line[i * 3 + 1] = p[1];
                line[i * 3 + 2] = p[2];
            }
            built = sy;
        }
        std::memcpy(Dst.At(part.Left, y), line, size_t(n) * 3);
    }
}

void TileMaskedRows(const TSkPixelRows& Dst, const TRect& Area, const TSkPixelRows& Src, TRect R, int MaskOffset,
                    const TRect& Clip)
{
    if (Dst.Bytes != 3 || Src.Bytes != 3)
        return;
    // Only rows whose mask row lies in the source too.
    R.Top = std::max(R.Top, -MaskOffset);
    R.Bottom = std::min<int64_t>(R.Bottom, int64_t(Src.Height) - MaskOffset);
    if (!ClipRect(R, Src.Width, Src.Height))
        return;
    const int w = R.Width(), h = R.Height();
    ForTiledRows(Dst, Area, w, h, Clip, [&](int TileY, int Y, int End, int X, int N, int Phase) {
        const int n = N * 3;
        const uint8_t* tileImg = Src.At(R.Left, R.Top + TileY);
        const uint8_t* tileMask = Src.At(R.Left, R.Top + TileY + MaskOffset);
        auto line = [&](int Which, const uint8_t* Tile) { return TiledLine(Which, Tile, 3, w, Phase, N); };
        // Mask 255 over a white image leaves every pixel as it is ((D * 255 + 255) shr 8 = D);
        // mask 0 is the image itself. A row a tile wide or more shows all of the tile's row,
        // which tells before any line is built.
        const bool whole = N >= w;
        const uint8_t* shownImg = whole ? tileImg : line(0, tileImg);
        const uint8_t* shownMask = whole ? tileMask : line(1, tileMask);
        const int shown = whole ? w * 3 : n;
        if (AllBytes(shownMask, shown, 255) && AllBytes(shownImg, shown, 255))
            return;
        const bool opaque = AllBytes(shownMask, shown, 0);
        const uint8_t* img = whole ? line(0, tileImg) : shownImg;
        const uint8_t* mask = opaque || !whole ? shownMask : line(1, tileMask);
        for (int y = Y; y < End; y += h) {
            if (opaque)
                std::memcpy(Dst.At(X, y), img, size_t(n));
            else
                MaskBlendRow(Dst.At(X, y), img, mask, n);
        }
    });
}

// ---------------------------------------------------------------------------------------

std::unique_ptr<TBitmap> CreateBmp24(int Width, int Height)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(Width, Height);
    return b;
}

std::unique_ptr<TBitmap> CreateBmpLike(TBitmap* Bmp)
{
    return CreateBmp24(Bmp ? Bmp->Width() : 0, Bmp ? Bmp->Height() : 0);
}

std::unique_ptr<TBitmap> CreateBmp32(int Width, int Height)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf32bit);
    b->SetSize(Width, Height);
    return b;
}

void FillDC(HDC DC, const TRect& R, TColor Color)
{
    TSaveDCScope saved(DC);
    TOwnedBrush brush(CreateSolidBrush(COLORREF(ColorToRGB(Color))));
    FillRect(DC, R.Win(), brush.Handle());
}

void BitBltBorder(HDC Dst, int X, int Y, int Width, int Height, HDC Src, int SX, int SY, int Border)
{
    if (Border <= 0 || Width <= 0 || Height <= 0)
        return;
    BitBlt(Dst, X, Y, Width, Border, Src, SX, SY, SRCCOPY);
    BitBlt(Dst, X, Y, Border, Height, Src, SX, SY, SRCCOPY);
    BitBlt(Dst, X + Width - Border, Y, Border, Height, Src, SX + Width - Border, SY, SRCCOPY);
    BitBlt(Dst, X, Y + Height - Border, Width, Border, Src, SX, SY + Height - Border, SRCCOPY);
}

void DrawFrame3D(HDC DC, TRect R, TColor TopLeft, int Width, TColor BottomRight)
{
    --R.Right;
    --R.Bottom;
    // The pens outlive the saved state, which selects them out again before they go.
    TOwnedPen light(CreatePen(PS_SOLID, 1, COLORREF(ColorToRGB(TopLeft))));
    TOwnedPen dark(CreatePen(PS_SOLID, 1, COLORREF(ColorToRGB(BottomRight))));
    TSaveDCScope saved(DC);
    for (int i = 0; i < Width; ++i) {
        SelectObject(DC, light.Handle());
        const POINT a[3] = {{R.Left, R.Bottom}, {R.Left, R.Top}, {R.Right, R.Top}};
        Polyline(DC, a, 3);
        SelectObject(DC, dark.Handle());
        const POINT b[3] = {{R.Right, R.Top}, {R.Right, R.Bottom}, {R.Left - 1, R.Bottom}};
        Polyline(DC, b, 3);
        ++R.Left;
        ++R.Top;
        --R.Right;
        --R.Bottom;
    }
}

void TileGraphic(TCanvas* Canvas, const TRect& R, TGraphic* Graphic)
{
    if (!Canvas || !Graphic || Graphic->Empty() || R.IsEmpty())
        return;
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(Graphic)) {
        jpeg->Tile(Canvas, R);
        return;
    }
    auto* bmp = dynamic_cast<TBitmap*>(Graphic);
    if (!bmp)
        return;
    const int bw = bmp->Width(), bh = bmp->Height();
    HDC src = bmp->Canvas()->Handle();
    HDC dst = Canvas->Handle();
    for (int y = R.Top; y < R.Bottom; y += bh)
        for (int x = R.Left; x < R.Right; x += bw)
            BitBlt(dst, x, y, std::min(bw, R.Right - x), std::min(bh, R.Bottom - y), src, 0, 0, SRCCOPY);
}

void DrawDottedFocusRect(TCanvas* Canvas, const TRect& R)
{
    if (!Canvas || R.IsEmpty())
        return;
    // The dots are set in a copy of the frame's surroundings and only the two-pixel edge
    // strips go back: no pixel-by-pixel calls on the DC.
    const int ox = R.Left - 1, oy = R.Top - 1, w = R.Width() + 1, h = R.Height() + 1;
    auto tmp = CreateBmp24(w, h);
    HDC dc = Canvas->Handle();
    HDC td = tmp->Canvas()->Handle();
    BitBlt(td, 0, 0, w, h, dc, ox, oy, SRCCOPY);
    TSkFast24 f;
    if (!f.Attach(tmp.get()))
        return;
    auto put = [&](int x, int y, uint8_t v) {
        x -= ox;
        y -= oy;
        if (x >= 0 && x < w && y >= 0 && y < h)
            std::memset(f.Row(y) + x * 3, v, 3);
    };
    for (int x = R.Left; x < R.Right; x += 3) {
        put(x, R.Top, 0);
        put(x - 1, R.Top - 1, 0xFF);
        put(x, R.Bottom - 1, 0);
        put(x - 1, R.Bottom - 2, 0xFF);
    }
    for (int y = R.Top; y < R.Bottom; y += 3) {
        put(R.Left, y, 0);
        put(R.Left - 1, y - 1, 0xFF);
        put(R.Right - 1, y, 0);
        put(R.Right - 2, y - 1, 0xFF);
    }
    BitBlt(dc, ox, oy, w, 2, td, 0, 0, SRCCOPY);
    BitBlt(dc, ox, oy + h - 2, w, 2, td, 0, h - 2, SRCCOPY);
    BitBlt(dc, ox, oy, 2, h, td, 0, 0, SRCCOPY);
    BitBlt(dc, ox + w - 2, oy, 2, h, td, w - 2, 0, SRCCOPY);
}
