#include "skin/zskinpaint.h"

#include "classlib/gdihandles.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"

#include <algorithm>
#include <array>

namespace {

bool Paintable(TBitmap* Bmp) { return PaintableBitmap(Bmp); }

TRect BoundsOf(TBitmap* Bmp) { return TRect(0, 0, Bmp->Width(), Bmp->Height()); }

TRect Intersect(const TRect& A, const TRect& B)
{
    return TRect(std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
                 std::min(A.Bottom, B.Bottom));
}

// Rows of a 24-bit or, where allowed, 32-bit bitmap; no exception for another format.
struct TRows : TSkPixelRows {
    bool Attach(TBitmap* Bmp, bool Allow32 = false) { return PixelRowsOf(Bmp, *this, Allow32); }
};

inline bool IsColor(const uint8_t* P, TColor C)
{
    return P[0] == uint8_t(C >> 16) && P[1] == uint8_t(C >> 8) && P[2] == uint8_t(C);
}

inline void PutColor(uint8_t* P, TColor C)
{
    P[0] = uint8_t(C >> 16);
    P[1] = uint8_t(C >> 8);
    P[2] = uint8_t(C);
}

// Cuts a copy of Part (destination) from the source origin S so that the destination stays
// inside DstBounds and the source inside SrcBounds, moving the other side along. False when
// nothing is left.
bool ClipPiece(TRect& Part, TPoint& S, const TRect& DstBounds, const TRect& SrcBounds)
{
    int64_t l = Part.Left, t = Part.Top, r = Part.Right, b = Part.Bottom, sx = S.X, sy = S.Y;
    auto cutLeft = [&](int64_t By) { if (By > 0) { l += By; sx += By; } };
    auto cutTop = [&](int64_t By) { if (By > 0) { t += By; sy += By; } };
    cutLeft(DstBounds.Left - l);
    cutTop(DstBounds.Top - t);
    cutLeft(SrcBounds.Left - sx);
    cutTop(SrcBounds.Top - sy);
    r = std::min({r, int64_t(DstBounds.Right), l + (SrcBounds.Right - sx)});
    b = std::min({b, int64_t(DstBounds.Bottom), t + (SrcBounds.Bottom - sy)});
    if (r <= l || b <= t)
        return false;
    Part = TRect(int(l), int(t), int(r), int(b));
    S = TPoint(int(sx), int(sy));
    return true;
}

// The rows of a source in which both an image row and its mask row MaskOffset below lie.
TRect MaskedSourceBounds(int Width, int Height, int MaskOffset)
{
    return TRect(0, std::max(0, -MaskOffset), Width, std::min(Height, Height - MaskOffset));
}

// How a masked piece is copied.
struct TMaskedCopy {
    int MaskAdd = 0;          // lightens the mask (glyphs drawn see-through)
    bool SkipKey = false;     // pixels whose image is Key are left alone
    TColor Key = SkinKeyColor;
    TColor Replace = SkinKeyColor;         // when set, pixels whose image is Key take it
    const TzCacheInfo* Parent = nullptr;   // background from the parent's picture where ready
};

// Part of the destination from the source at S, through the mask MaskOffset rows below S:
// D := (G * M + S * (256 - M)) shr 8, which equals ((G - S) * M + S * 256) shr 8 and never
// leaves 0..255. G is the parent's pixel where the parent (rows P, when How has a ready
// parent) lies, else the destination's.
void MaskedPiece(const TRows& d, TRect Part, const TRows& s, TPoint S, int MaskOffset, const TMaskedCopy& How,
                 const TRows* P)
{
    if (!ClipPiece(Part, S, TRect(0, 0, d.Width, d.Height), MaskedSourceBounds(s.Width, s.Height, MaskOffset)))
        return;
    const bool withParent = P && How.Parent && How.Parent->Ready;
    const bool replace = How.Replace != SkinKeyColor;
    const bool keyed = How.SkipKey || replace;
    const int w = Part.Width();
    for (int j = 0; j < Part.Height(); ++j) {
        uint8_t* dp = d.At(Part.Left, Part.Top + j);
        const uint8_t* sp = s.At(S.X, S.Y + j);
        const uint8_t* mp = s.At(S.X, S.Y + j + MaskOffset);
        // The columns [a, b) of the row lie over the parent's picture.
        int a = 0, b = 0;
        const uint8_t* pp = nullptr;   // the parent's pixel under column a
        if (withParent) {
            const int64_t px = int64_t(How.Parent->X) + Part.Left, py = int64_t(How.Parent->Y) + Part.Top + j;
            if (py >= 0 && py < P->Height) {
                a = int(std::clamp<int64_t>(-px, 0, w));
                b = int(std::clamp<int64_t>(P->Width - px, 0, w));
                if (a < b)
                    pp = P->At(int(px + a), int(py));
            }
        }
        for (int i = 0; i < w; ++i, dp += 3, sp += 3, mp += 3) {
            if (keyed && IsColor(sp, How.Key)) {
                if (replace)
                    PutColor(dp, How.Replace);
                continue;
            }
            const uint8_t* g = pp && i >= a && i < b ? pp + (i - a) * P->Bytes : dp;
            for (int k = 0; k < 3; ++k) {
                const int m = std::min(mp[k] + How.MaskAdd, 255);
                dp[k] = uint8_t((g[k] * m + sp[k] * (256 - m)) >> 8);
            }
        }
    }
}

// The same between bitmaps.
void MaskedPiece(TBitmap* Dst, TRect Part, TBitmap* Src, TPoint S, int MaskOffset, const TMaskedCopy& How)
{
    TRows d, s, p;
    if (d.Attach(Dst) && s.Attach(Src))
        MaskedPiece(d, Part, s, S, MaskOffset, How,
                    How.Parent && How.Parent->Ready && p.Attach(How.Parent->Bmp, true) ? &p : nullptr);
}

// Runs of key-colour pixels in rectangle R of a source (the part inside it), one row at a
// time: Run(row, first, end) relative to R's top-left.
template <class F> void KeyRuns(TBitmap* Src, const TRect& R, F Run)
{
    TRows s;
    if (!s.Attach(Src))
        return;
    for (int y = std::max(R.Top, 0); y < std::min(R.Bottom, s.Height); ++y) {
        const int x0 = std::max(R.Left, 0), x1 = std::min(R.Right, s.Width);
        int start = -1;
        for (int x = x0; x <= x1; ++x) {
            const bool key = x < x1 && IsColor(s.At(x, y), SkinKeyColor);
            if (key && start < 0)
                start = x;
            else if (!key && start >= 0) {
                Run(y - R.Top, start - R.Left, x - R.Left);
                start = -1;
            }
        }
    }
}

// The nine pieces of a frame over D in the order they are drawn: where each goes (Area) and
// the image piece tiled or stretched over it (Src).
struct TPiece {
    TRect Area;
    TRect Src;
    bool Corner = false;
    bool Centre = false;
};

std::array<TPiece, 9> NinePieces(const TRect& D, const TRect& F, const TzMargins& M)
{
    const int fx = F.Left, fy = F.Top, fw = F.Width(), fh = F.Height();
    const int cw = std::max(0, fw - M.L - M.R), ch = std::max(0, fh - M.T - M.B);
    const int rx = fx + fw - M.R, by = fy + fh - M.B;   // source of the right and bottom pieces
    return {{
        {TRect(D.Left, D.Top, D.Left + M.L, D.Top + M.T), TRect(fx, fy, fx + M.L, fy + M.T), true, false},
        {TRect(D.Left, D.Top + M.T, D.Left + M.L, D.Bottom - M.B), TRect(fx, fy + M.T, fx + M.L, fy + M.T + ch)},
        {TRect(D.Left + M.L, D.Top, D.Right - M.R, D.Top + M.T), TRect(fx + M.L, fy, fx + M.L + cw, fy + M.T)},
        {TRect(D.Left, D.Bottom - M.B, D.Left + M.L, D.Bottom), TRect(fx, by, fx + M.L, by + M.B), true, false},
        {TRect(D.Left + M.L, D.Bottom - M.B, D.Right - M.R, D.Bottom), TRect(fx + M.L, by, fx + M.L + cw, by + M.B)},
        {TRect(D.Right - M.R, D.Bottom - M.B, D.Right, D.Bottom), TRect(rx, by, rx + M.R, by + M.B), true, false},
        {TRect(D.Right - M.R, D.Top, D.Right, D.Top + M.T), TRect(rx, fy, rx + M.R, fy + M.T), true, false},
        {TRect(D.Right - M.R, D.Top + M.T, D.Right, D.Bottom - M.B), TRect(rx, fy + M.T, rx + M.R, fy + M.T + ch)},
        {TRect(D.Left + M.L, D.Top + M.T, D.Right - M.R, D.Bottom - M.B),
         TRect(fx + M.L, fy + M.T, fx + M.L + cw, fy + M.T + ch), false, true},
    }};
}

// The source rectangle of a cell part of a piece tiled from its top-left.
TRect CellSource(const TRect& Src, const TRect& Part, TPoint Off)
{
    const int x = Src.Left + Off.X, y = Src.Top + Off.Y;
    return TRect(x, y, x + Part.Width(), y + Part.Height());
}

// A corner is one cell of its own size, cut to Clip.
template <class F> void ForCorner(const TPiece& P, const TRect& Clip, F Cell)
{
    ForEachTile(P.Area, P.Area.Width(), P.Area.Height(), Clip,
                [&](const TRect& Part, TPoint Off) { Cell(Part, CellSource(P.Src, Part, Off)); });
}

// The common start of the frame painters: the destination, the mask's source and frame, and
// the margins fitted to D. False when there is nothing to paint.
struct TFramePaint {
    TBitmap* Src = nullptr;
    TRect Frame;
    TRect Clip;
    int MaskOffset = 0;
    std::array<TPiece, 9> Pieces;
};

bool StartFrame(TBitmap* Bmp, const TRect& D, TzPaintState State, const TzMaskData& Mask, TFramePaint& F)
{
    if (D.Width() < 2 || D.Height() < 2 || !Mask.Manager || !Paintable(Bmp))
        return false;
    F.Src = MaskSourceBitmap(Mask);
    F.Frame = MaskFrameRect(Mask, State);
    if (!F.Src || F.Frame.IsEmpty())
        return false;
    F.MaskOffset = F.Frame.Height();
    F.Clip = Intersect(D, BoundsOf(Bmp));
    F.Pieces = NinePieces(D, F.Frame, FitMargins(Mask, D.Width(), D.Height()));
    return !F.Clip.IsEmpty();
}

} // namespace

// ---------------------------------------------------------------------------------------

bool PaintableBitmap(TBitmap* Bmp)
{
    return Bmp && Bmp->PixelFormat() == pf24bit && Bmp->Width() >= 2 && Bmp->Height() >= 2;
}

TBitmap* MaskSourceBitmap(const TzMaskData& Mask)
{
    if (Mask.Bmp)
        return Mask.Bmp.get();
    return Mask.Manager ? Mask.Manager->MasterBitmap() : nullptr;
}

TSize MaskFrame(const TzMaskData& Mask)
{
    const int frames = FrameCount(Mask), halves = HalfCount(Mask);
    return TSize{std::max(0, Mask.R.Width() / frames), std::max(0, Mask.R.Height() / halves)};
}

TRect MaskFrameRect(const TzMaskData& Mask, TzPaintState State)
{
    const TSize f = MaskFrame(Mask);
    const int frame = std::clamp<int>(State, 0, FrameCount(Mask) - 1);
    const int x = Mask.R.Left + frame * f.cx;
    return TRect(x, Mask.R.Top, x + f.cx, Mask.R.Top + f.cy);
}

TzMargins FitMargins(const TzMaskData& Mask, int Width, int Height)
{
    auto fit = [](int& A, int& B, int Size) {
        if (Size >= A + B)
            return;
        const int cut = (A + B - Size) / 2;
        A = std::max(0, A - cut);
        B = std::max(0, B - cut - (Size & 1));
    };
    TzMargins m{std::max<int>(Mask.WL, 0), std::max<int>(Mask.WT, 0), std::max<int>(Mask.WR, 0),
                std::max<int>(Mask.WB, 0)};
    fit(m.L, m.R, Width);
    fit(m.T, m.B, Height);
    return m;
}

// ---------------------------------------------------------------------------------------

void DrawSkinRect(TBitmap* Bmp, const TRect& D, TzBorderFlags Flags, TzPaintState State, const TzMaskData& Mask,
                  const TzBackdrop& Behind)
{
    TFramePaint f;
    if (!StartFrame(Bmp, D, State, Mask, f))
        return;
    const bool masked = Mask.MaskType != 0;
    const TzCacheInfo& picture = Behind.Picture;
    // Both bitmaps are attached once for all the pieces; a masked source is read in 24 bits.
    TRows d, s, parent;
    d.Attach(Bmp);
    const bool readable = s.Attach(f.Src, !masked);
    const bool overParent = masked && picture.Ready && parent.Attach(picture.Bmp, true);
    // The colour stands behind key pixels of the corners only where there is no picture.
    const TColor replace = picture.Ready ? SkinKeyColor : Behind.Color;
    const TzBackdrop keysShow((Flags & bfKeysShowParent) ? picture : EmptyCacheInfo, replace);
    TMaskedCopy corner;
    corner.Parent = &picture;
    corner.Replace = replace;
    for (const TPiece& p : f.Pieces) {
        if (p.Centre && (!(Flags & bfFillCentre) || (!masked && Mask.BorderWidth != 0)))
            continue;
        if (p.Corner) {
            ForCorner(p, f.Clip, [&](const TRect& Part, const TRect& Src) {
                if (!masked)
                    CopyByMask(Part, Src, Bmp, Mask, true, keysShow, f.Src);
                else if (readable)
                    MaskedPiece(d, Part, s, Src.TopLeft(), f.MaskOffset, corner, overParent ? &parent : nullptr);
            });
        } else if (!readable) {
            continue;
        } else if (masked) {
            TileMaskedRows(d, p.Area, s, p.Src, f.MaskOffset, f.Clip);
        } else if (Mask.DrawMode != 0) {
            StretchRows(d, p.Area, s, p.Src, f.Clip);
        } else {
            TileRows(d, p.Area, s, p.Src, f.Clip);
        }
    }
}

void DrawSkinGlyph(TBitmap* Bmp, TPoint P, TzPaintState State, const TzMaskData& Mask, int CopyMode)
{
    const TRect fr = MaskFrameRect(Mask, State);
    if (!Paintable(Bmp) || fr.IsEmpty())
        return;
    const TRect dst(P.X, P.Y, P.X + fr.Width(), P.Y + fr.Height());
    if (Mask.Bmp) {
        CopyMasked(dst, fr, Bmp, Mask, CopyMode, SkinKeyColor, Mask.Bmp.get());
        return;
    }
    TBitmap* master = MaskSourceBitmap(Mask);
    if (!master || Mask.ImageCount == 0)
        return;
    if (Mask.MaskType != 0)
        CopyMasked(dst, fr, Bmp, Mask, CopyMode, SkinKeyColor, master);
    else if (CopyMode == 1)
        CopyKeyed(Bmp, master, P.X, SkinKeyColor, fr, P.Y);
    else if (Paintable(master))
        BlendBmpRect(Bmp, P.X, P.Y, SkinKeyColor, 0.5, fr, master);
}

namespace {

// What both masked copies share: the smaller of the two sizes; an image without a mask half
// goes through KeyedCopy (given the source rectangle), any other through the masked piece.
template <class F>
void CopyThroughMask(const TRect& DstRect, const TRect& SrcRect, TBitmap* Bmp, const TzMaskData& Mask, TBitmap* Src,
                     const TMaskedCopy& How, F KeyedCopy)
{
    if (!Paintable(Bmp) || !Src)
        return;
    const int w = std::min(DstRect.Width(), SrcRect.Width()), h = std::min(DstRect.Height(), SrcRect.Height());
    if (w <= 0 || h <= 0)
        return;
    if (Mask.MaskType == 0) {
        if (Paintable(Src))
            KeyedCopy(TRect(SrcRect.Left, SrcRect.Top, SrcRect.Left + w, SrcRect.Top + h));
        return;
    }
    MaskedPiece(Bmp, TRect(DstRect.Left, DstRect.Top, DstRect.Left + w, DstRect.Top + h), Src, SrcRect.TopLeft(),
                MaskFrame(Mask).cy, How);
}

} // namespace

void CopyMasked(const TRect& DstRect, const TRect& SrcRect, TBitmap* Bmp, const TzMaskData& Mask, int CopyMode,
                TColor Key, TBitmap* Src)
{
    TMaskedCopy how;
    how.MaskAdd = CopyMode == 1 ? 0 : 100;
    how.SkipKey = true;
    how.Key = Key;
    CopyThroughMask(DstRect, SrcRect, Bmp, Mask, Src, how,
                    [&](const TRect& R) { CopyKeyed(Bmp, Src, DstRect.Left, Key, R, DstRect.Top); });
}

void CopyByMask(const TRect& DstRect, const TRect& SrcRect, TBitmap* Bmp, const TzMaskData& Mask, bool IsCorner,
                const TzBackdrop& Behind, TBitmap* Src)
{
    TMaskedCopy how;
    if (IsCorner) {
        how.Parent = &Behind.Picture;
        how.Replace = Behind.Picture.Ready ? SkinKeyColor : Behind.Color;
    }
    CopyThroughMask(DstRect, SrcRect, Bmp, Mask, Src, how, [&](const TRect& R) {
        CopyKeyedWithParent(Bmp, Src, DstRect.Left, IsCorner ? Behind : TzBackdrop(), SkinKeyColor, R, DstRect.Top);
    });
}

void TileByMask(TBitmap* Bmp, const TRect& Area, const TRect& Clip, TBitmap* Src, const TRect& Piece, int MaskOffset)
{
    // Tiles repeat the part of the piece that can be read, image and mask alike.
    TRows d, s;
    if (d.Attach(Bmp) && s.Attach(Src))
        TileMaskedRows(d, Area, s, Piece, MaskOffset, Clip);
}

// ---------------------------------------------------------------------------------------

namespace {

// Every key-colour pixel of the cache within the corners of the set, until Pixel(x, y)
// answers false.
template <class F> void ForCornerKeys(const TRows& C, const TzMaskData& Border, TzCorners Corners, F Pixel)
{
    const int w = C.Width, h = C.Height;
    const TzMargins m = FitMargins(Border, w, h);
    const TRect corners[4] = {TRect(0, 0, m.L, m.T), TRect(w - m.R, 0, w, m.T), TRect(0, h - m.B, m.L, h),
                              TRect(w - m.R, h - m.B, w, h)};
    for (int i = 0; i < 4; ++i) {
        if (!(Corners & (1u << i)))
            continue;
        const TRect r = Intersect(corners[i], TRect(0, 0, w, h));
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (IsColor(C.At(x, y), SkinKeyColor) && !Pixel(x, y))
                    return;
    }
}

} // namespace

bool CornersShowKey(TBitmap* Cache, const TzMaskData& Border, TzCorners Corners)
{
    TRows c;
    bool any = false;
    if (c.Attach(Cache))
        ForCornerKeys(c, Border, Corners, [&](int, int) { return !(any = true); });
    return any;
}

void FillCorners(TBitmap* Cache, const TzMaskData& Border, TzCorners Corners, const TzBackdrop& Behind)
{
    TRows c, p;
    if (!c.Attach(Cache))
        return;
    const TzCacheInfo& picture = Behind.Picture;
    const bool image = picture.Ready && p.Attach(picture.Bmp, true);
    if (!image && Behind.Color == SkinKeyColor)
        return;
    ForCornerKeys(c, Border, Corners, [&](int x, int y) {
        uint8_t* d = c.At(x, y);
        if (!image) {
            PutColor(d, Behind.Color);
        } else if (p.Contains(int64_t(picture.X) + x, int64_t(picture.Y) + y)) {
            const uint8_t* s = p.At(picture.X + x, picture.Y + y);
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
        return true;
    });
}

void ApplyDisabledKind(TBitmap* Bmp, TzDisabledKind Kind, TPoint P, const TzCacheInfo& Parent, TColor Color)
{
    if (!Paintable(Bmp))
        return;
    if (Kind & dkGrayed)
        GrayscaleBitmap(Bmp);
    if (!(Kind & dkBlended))
        return;
    // The parent's pixels are blended into the control's own bitmap: the parent's cache is
    // read, never written.
    if (Parent.Ready && Paintable(Parent.Bmp)) {
        const int x = P.X + Parent.X, y = P.Y + Parent.Y;
        BlendBmpRect(Bmp, 0, 0, TColor(0xFF000000u | SkinKeyColor), 0.4,
                     TRect(x, y, x + Bmp->Width(), y + Bmp->Height()), Parent.Bmp);
        return;
    }
    BlendToColor(Bmp, BoundsOf(Bmp), 50, Color);
}

// ---------------------------------------------------------------------------------------

void PaintMaskRegionBorder(TBitmap* Bmp, const TzMaskData& Mask, TzPaintState State, HRGN Region, const TRect& D,
                           bool FillCentre)
{
    TFramePaint f;
    if (!StartFrame(Bmp, D, State, Mask, f))
        return;
    TOwnedRegion run(Region ? CreateRectRgn(0, 0, 0, 0) : nullptr);
    for (const TPiece& p : f.Pieces) {
        if (p.Centre && !FillCentre)
            continue;
        if (!p.Corner) {
            ForEachTile(p.Area, p.Src.Width(), p.Src.Height(), f.Clip, [&](const TRect& Part, TPoint Off) {
                CopyMaskRect(Bmp, Part.Left, Part.Top, CellSource(p.Src, Part, Off), Mask);
            });
            continue;
        }
        ForCorner(p, f.Clip, [&](const TRect& Part, const TRect& Src) {
            CopyMaskRect(Bmp, Part.Left, Part.Top, Src, Mask, true);
            if (run)
                KeyRuns(f.Src, Src, [&](int Row, int X0, int X1) {
                    SetRectRgn(run.Handle(), Part.Left + X0, Part.Top + Row, Part.Left + X1, Part.Top + Row + 1);
                    CombineRgn(Region, Region, run.Handle(), RGN_DIFF);
                });
        });
    }
}

void CopyMaskRect(TBitmap* Bmp, int X, int Y, const TRect& SrcRect, const TzMaskData& Mask, bool SkipKey)
{
    if (X < 0 || Y < 0 || !Paintable(Bmp) || !Mask.Manager || SrcRect.IsEmpty())
        return;
    TBitmap* src = MaskSourceBitmap(Mask);
    if (!src)
        return;
    if (Mask.MaskType != 0) {
        TMaskedCopy how;
        how.SkipKey = SkipKey;
        MaskedPiece(Bmp, TRect(X, Y, X + SrcRect.Width(), Y + SrcRect.Height()), src, SrcRect.TopLeft(),
                    MaskFrame(Mask).cy, how);
    } else if (SkipKey) {
        if (Paintable(src))
            CopyKeyed(Bmp, src, X, SkinKeyColor, SrcRect, Y);
    } else {
        CopyBmpRect(Bmp, X, Y, SrcRect, src);
    }
}

void CollectCornerRuns(std::vector<TRect>& List, int WindowWidth, const TzMaskData& Mask, bool Bottom, int YOffset)
{
    TBitmap* src = MaskSourceBitmap(Mask);
    const TRect f = MaskFrameRect(Mask, psNormal);
    if (!src || f.IsEmpty())
        return;
    const int fw = f.Width(), fh = f.Height();
    const int l = std::clamp<int>(Mask.WL, 0, fw), r = std::clamp<int>(Mask.WR, 0, fw);
    const int rows = std::clamp<int>(Bottom ? Mask.WB : Mask.WT, 0, fh);
    const int top = Bottom ? f.Top + fh - rows : f.Top;
    auto collect = [&](int SrcX, int Width, int Shift) {
        KeyRuns(src, TRect(SrcX, top, SrcX + Width, top + rows), [&](int Row, int X0, int X1) {
            List.push_back(TRect(X0 + Shift, Row + YOffset, X1 + Shift, Row + YOffset + 1));
        });
    };
    collect(f.Left, l, 0);
    collect(f.Right - r, r, WindowWidth - r);
}

// ---------------------------------------------------------------------------------------
// The check glyph

int CheckGlyphIndex(const TSkSkinRecords* Skin, TzCheckGlyphKind Kind, int CheckState)
{
    if (!Skin)
        return -1;
    static const char* const box[3] = {"BOXUNCHECKED", "BOXCHECKED", "BOXGRAYED"};
    static const char* const radio[3] = {"RADIOUNCHECKED", "RADIOCHECKED", "BOXGRAYED"};
    const int state = std::clamp(CheckState, 0, 2);
    return Skin->FindMaskIndex(Skin->FindSectionIndex("GLOBALINFO"), "GLOBALINFO",
                               (Kind == cgRadioButton ? radio : box)[state]);
}

TSize CheckGlyphSize(const TSkSkinRecords* Skin, int GlyphIndex)
{
    if (!Skin || !Skin->IsValidMaskIndex(GlyphIndex))
        return TSize{16, 16};
    return Skin->GetMaskFrameSize(GlyphIndex);
}

void DrawCheckGlyph(TBitmap* Bmp, TPoint P, const TSkSkinRecords* Skin, int GlyphIndex, TzPaintState State)
{
    if (Skin && Skin->IsValidMaskIndex(GlyphIndex))
        DrawSkinGlyph(Bmp, P, State, Skin->Mask(GlyphIndex), 1);
}
