#include "skin/zgradient.h"

#include "skin/zgraphics.h"
#include "skin/zskintext.h"

#include <algorithm>
#include <array>
#include <cstring>

void ParseGradientData(const AnsiString& Text, TzGradArray& Arr)
{
    Arr.clear();
    if (Text.empty())
        return;
    // Fields separated by ";", five to a step (the fifth is not read). Every section of a skin
    // may hold two of these, so the fields are views of the text and plain numbers are read
    // in place; anything else goes to StrToInt, which also says what is wrong.
    std::string_view text = Text;
    size_t fieldCount = size_t(std::count(text.begin(), text.end(), ';')) + 1;
    TzGradArray steps(fieldCount / 5);
    size_t b = 0;
    auto next = [&] {
        size_t e = std::min(text.find(';', b), text.size());
        std::string_view f = TrimView(text.substr(b, e - b));
        b = e + 1;
        int v;
        return ParseDecimal(f, v) ? v : StrToInt(AnsiString(f));
    };
    for (TzGradItem& step : steps) {
        step.Color1 = next();
        step.Color2 = next();
        step.Percent = std::clamp(next(), 0, 100);
        step.Mode = next();
        size_t e = text.find(';', b);   // the fifth field
        b = e == std::string_view::npos ? text.size() : e + 1;
    }
    Arr = std::move(steps);
}

TColorBytes ColorToBytes(TColor Color)
{
    return TColorBytes{uint8_t(Color >> 16), uint8_t(Color >> 8), uint8_t(Color)};
}

namespace {

// The colour K / N of the way from C1 to C2, each channel rounded.
TColorBytes Between(const TColorBytes& C1, const TColorBytes& C2, int64_t K, int64_t N)
{
    auto ch = [K, N](int a, int b) { return uint8_t(DivRoundEven(a * N + (b - a) * K, N)); };
    return TColorBytes{ch(C1.B, C2.B), ch(C1.G, C2.G), ch(C1.R, C2.R)};
}

void PutPixels(uint8_t* P, int Count, const TColorBytes& C)
{
    // Four pixels are three 32-bit words.
    const uint8_t four[12] = {C.B, C.G, C.R, C.B, C.G, C.R, C.B, C.G, C.R, C.B, C.G, C.R};
    uint32_t w[3];
    std::memcpy(w, four, sizeof(w));
    for (; Count >= 4; Count -= 4, P += 12)
        std::memcpy(P, w, sizeof(w));
    for (; Count > 0; --Count, P += 3) {
        P[0] = C.B;
        P[1] = C.G;
        P[2] = C.R;
    }
}

// Rows From .. To inclusive of a step; only rows inside R are painted.
void VerticalStep(const TSkFast24& F, const TRect& R, const TzGradItem& Step, int64_t From, int64_t To)
{
    const TColorBytes c1 = ColorToBytes(Step.Color1), c2 = ColorToBytes(Step.Color2);
    const int64_t n = To - From;
    for (int64_t y = std::max<int64_t>(From, R.Top); y <= std::min<int64_t>(To, R.Bottom - 1); ++y)
        PutPixels(F.Row(int(y)) + R.Left * 3, R.Width(), Between(c1, c2, y - From, n));
}

void Vertical(const TSkFast24& F, const TRect& R, const TzGradArray& Arr, int Offset)
{
    const int64_t limit = R.Bottom - 1, length = int64_t(R.Height()) + Offset;
    int64_t y0 = int64_t(R.Top) + Offset;
    for (size_t i = 0; i < Arr.size(); ++i) {
        int64_t y1 = i + 1 == Arr.size() ? limit : std::min(y0 + length * Arr[i].Percent / 100, limit);
        if (y1 - y0 >= 1)
            VerticalStep(F, R, Arr[i], y0, y1);
        y0 = y1;
    }
}

// One row is made and copied to every row of R. A column no step covers (a gradient one
// column wide has no length to go along) shows where the gradient starts.
void Horizontal(const TSkFast24& F, const TRect& R, const TzGradArray& Arr)
{
    const int w = R.Width();
    std::vector<uint8_t> row(size_t(w) * 3);
    PutPixels(row.data(), w, ColorToBytes(Arr[0].Color1));
    const int64_t limit = R.Right - 1;
    int64_t x0 = R.Left;
    for (size_t i = 0; i < Arr.size(); ++i) {
        int64_t x1 = i + 1 == Arr.size()
                         ? limit
                         : std::min<int64_t>(int64_t(RoundEvenD(x0 + Arr[i].Percent * (w / 100.0))), limit);
        const int64_t n = x1 - x0;
        if (n > 0) {
            const TColorBytes c1 = ColorToBytes(Arr[i].Color1), c2 = ColorToBytes(Arr[i].Color2);
            for (int64_t x = std::max<int64_t>(x0, R.Left); x <= std::min<int64_t>(x1, limit); ++x)
                PutPixels(row.data() + (x - R.Left) * 3, 1, Between(c1, c2, x - x0, n));
        }
        x0 = x1;
    }
    for (int y = R.Top; y < R.Bottom; ++y)
        std::copy(row.begin(), row.end(), F.Row(y) + R.Left * 3);
}

// Barycentric weights of a triangle as affine functions of the pixel position.
struct Triangle {
    int V[3];          // vertex numbers
    double A[3], B[3], C[3];
    bool Valid = false;
};

Triangle MakeTriangle(const double (&X)[5], const double (&Y)[5], int a, int b, int c)
{
    Triangle t{{a, b, c}, {}, {}, {}, false};
    const double det = (X[b] - X[a]) * (Y[c] - Y[a]) - (X[c] - X[a]) * (Y[b] - Y[a]);
    if (det == 0)
        return t;
    const int v[3] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        const int j = v[(i + 1) % 3], k = v[(i + 2) % 3];
        // w_i: the signed area of (j, k, p) over that of (j, k, i); 1 at vertex i, 0 on the
        // opposite edge, whichever way round the vertices run.
        t.A[i] = (Y[j] - Y[k]) / det;
        t.B[i] = (X[k] - X[j]) / det;
        t.C[i] = (X[j] * Y[k] - X[k] * Y[j]) / det;
    }
    t.Valid = true;
    return t;
}

// Four triangles meeting in the middle: top-left, centre, top-right, bottom-right and
// bottom-left vertices take the first colours of steps 0 to 4 (a missing step repeats the
// colour before it). Each pixel's colour is interpolated at its top-left corner.
void Triangles(const TSkFast24& F, const TRect& R, const TzGradArray& Arr)
{
    const int w = R.Width(), h = R.Height();
    const double X[5] = {0, double(w / 2), double(w), double(w), 0};
    const double Y[5] = {0, double(h / 2), 0, double(h), double(h)};
    TColorBytes col[5];
    for (size_t i = 0; i < 5; ++i)
        col[i] = i < Arr.size() ? ColorToBytes(Arr[i].Color1) : col[i - 1];
    const Triangle tri[4] = {MakeTriangle(X, Y, 0, 1, 2), MakeTriangle(X, Y, 1, 2, 3),
                             MakeTriangle(X, Y, 0, 1, 4), MakeTriangle(X, Y, 4, 1, 3)};
    for (int y = 0; y < h; ++y) {
        uint8_t* p = F.Row(R.Top + y) + R.Left * 3;
        for (int x = 0; x < w; ++x, p += 3) {
            // The triangle holding the point, or the one it lies least outside of.
            const Triangle* best = nullptr;
            double bestMin = -1e300, wt[3] = {1, 0, 0};
            for (const Triangle& t : tri) {
                if (!t.Valid)
                    continue;
                double ww[3], mn = 1e300;
                for (int i = 0; i < 3; ++i) {
                    ww[i] = t.A[i] * x + t.B[i] * y + t.C[i];
                    mn = std::min(mn, ww[i]);
                }
                if (mn > bestMin) {
                    bestMin = mn;
                    best = &t;
                    std::copy(ww, ww + 3, wt);
                }
                if (mn >= -1e-9)
                    break;
            }
            if (!best) {
                PutPixels(p, 1, col[0]);
                continue;
            }
            double b = 0, g = 0, r = 0;
            for (int i = 0; i < 3; ++i) {
                const TColorBytes& c = col[best->V[i]];
                b += wt[i] * c.B;
                g += wt[i] * c.G;
                r += wt[i] * c.R;
            }
            p[0] = ClampByte(RoundEven(b));
            p[1] = ClampByte(RoundEven(g));
            p[2] = ClampByte(RoundEven(r));
        }
    }
}

} // namespace

void FillGradient(TBitmap* Bmp, TRect R, const TzGradArray& Arr, int Offset)
{
    TSkFast24 f;
    if (Arr.empty() || !f.Attach(Bmp))
        return;
    R.Left = std::max(R.Left, 0);
    R.Top = std::max(R.Top, 0);
    R.Right = std::min(R.Right, f.Width);
    R.Bottom = std::min(R.Bottom, f.Height);
    if (R.Right <= R.Left || R.Bottom <= R.Top)
        return;
    switch (Arr[0].Mode) {
    case 0: Vertical(f, R, Arr, Offset); break;
    case 1: Horizontal(f, R, Arr); break;
    case 2: Triangles(f, R, Arr); break;
    default: break;
    }
}
