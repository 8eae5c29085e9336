#include "skin/zscrollwnd.h"

#include "classlib/gdihandles.h"
#include "classlib/msgrecords.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskinpaint.h"
#include "skin/zskintextpaint.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

TSkScrollTracking ScrollTracking;

namespace {

constexpr uint16_t BarFlag = 8;

TRect ScreenRectOf(HWND Wnd)
{
    RECT r{};
    GetWindowRect(Wnd, &r);
    return TRect(r.left, r.top, r.right, r.bottom);
}

TPoint Moved(TPoint P, TPoint D) { return TPoint(P.X + D.X, P.Y + D.Y); }

bool Contains(const TRect& R, TPoint P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }

bool IsBarHit(UINT HitTest) { return HitTest == HTHSCROLL || HitTest == HTVSCROLL; }
bool IsBarCommand(UINT CmdType) { return CmdType == SC_HSCROLL || CmdType == SC_VSCROLL; }

// Along the bar and across it.
int Along(const TSkScrollBar* Bar, TPoint P) { return Bar->Kind == 0 ? P.X : P.Y; }
int StartOf(const TSkScrollBar* Bar, const TRect& R) { return Bar->Kind == 0 ? R.Left : R.Top; }
int EndOf(const TSkScrollBar* Bar, const TRect& R) { return Bar->Kind == 0 ? R.Right : R.Bottom; }
int LengthOf(const TSkScrollBar* Bar, const TRect& R) { return EndOf(Bar, R) - StartOf(Bar, R); }

// The arrow length painting, hit-testing and dragging all use: the skin's arrow image may
// lengthen it, and what is hit must be what is shown.
int ArrowOf(const TSkScrollBar* Bar) { return GetScrollMetric(Bar, 0, true); }

TSkScrollBar* BarOf(TSkScrollWnd* A, int Kind) { return Kind == 0 ? A->HorzBar.get() : A->VertBar.get(); }

TRect BarRect(TSkScrollWnd* A, int Kind)
{
    return Kind == 0 ? GetHorzBarRect(A, A->Handle) : GetVertBarRect(A, A->Handle);
}

// A * B / C rounded to the nearest, halves away from 0, as MulDiv does; in 64 bits, because a
// range may hold 2^32 positions and a page as many.
int64_t MulDiv64(int64_t A, int64_t B, int64_t C)
{
    if (C == 0)
        return -1;
    const int64_t p = A * B;
    const int64_t q = (std::abs(p) + std::abs(C) / 2) / std::abs(C);
    return (p < 0) != (C < 0) ? -q : q;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Metrics and geometry

int GetScrollMetric(const TSkScrollBar* Bar, int Which, bool UseSkin)
{
    if (!Bar)
        return 0;
    if (Which == 1) {
        if (Bar->Thickness >= 0)
            return Bar->Thickness;
        return GetSystemMetrics(Bar->Kind == 0 ? SM_CYHSCROLL : SM_CXVSCROLL) * -Bar->Thickness;
    }
    if (Bar->ArrowLength >= 0)
        return Bar->ArrowLength;
    int length = DefaultArrowSize;
    TzSkinManager* m = Bar->Owner ? Bar->Owner->SkinManager() : nullptr;
    if (UseSkin && m && m->SkinData().Active) {
        const int s = m->FindSectionIndex("SCROLLBTNLEFT");
        const int k = Bar->Kind == 0 ? m->Cache().ScrollBtnLeft.BordersMask : m->Cache().ScrollBtnTop.BordersMask;
        if (m->IsValidSkinIndex(s) && m->Section(s).ReservedBoolean && m->IsValidMaskIndex(k)) {
            const TzMaskData& mask = m->Mask(k);
            const int frame = Bar->Kind == 0 ? mask.R.Width() / FrameCount(mask) : mask.R.Height() / HalfCount(mask);
            length = std::max(length, frame);
        }
    }
    return length * -Bar->ArrowLength;
}

TRect GetHorzBarRect(const TSkScrollWnd* A, HWND Window)
{
    if (!A || !A->HorzBar || !A->VertBar)
        return {};
    const TRect w = ScreenRectOf(Window);
    const bool vert = A->VertBar->Visible;
    const int vt = GetScrollMetric(A->VertBar.get(), 1, false);
    TRect r;
    r.Left = w.Left + A->FrameLeft + (A->LeftScrollBar && vert ? vt : 0);
    r.Right = w.Right - A->FrameRight - (vert && !A->LeftScrollBar ? vt : 0);
    r.Bottom = w.Bottom - A->FrameBottom;
    r.Top = A->HorzBar->Visible ? r.Bottom - GetScrollMetric(A->HorzBar.get(), 1, false) : r.Bottom;
    return r;
}

TRect GetVertBarRect(const TSkScrollWnd* A, HWND Window)
{
    if (!A || !A->HorzBar || !A->VertBar)
        return {};
    const TRect w = ScreenRectOf(Window);
    const int t = A->VertBar->Visible ? GetScrollMetric(A->VertBar.get(), 1, false) : 0;
    TRect r;
    r.Top = w.Top + A->FrameTop;
    r.Bottom = w.Bottom - A->FrameBottom -
               (A->HorzBar->Visible ? GetScrollMetric(A->HorzBar.get(), 1, false) : 0);
    if (A->LeftScrollBar) {
        r.Left = w.Left + A->FrameLeft;
        r.Right = r.Left + t;
    } else {
        r.Right = w.Right - A->FrameRight;
        r.Left = r.Right - t;
    }
    return r;
}

TRect GetCornerRect(const TSkScrollWnd* A, HWND Window)
{
    if (!A || !A->HorzBar || !A->VertBar || !A->HorzBar->Visible || !A->VertBar->Visible)
        return {};
    const TRect h = GetHorzBarRect(A, Window), v = GetVertBarRect(A, Window);
    return TRect(v.Left, h.Top, v.Right, h.Bottom);
}

bool IsSizeGripCorner(const TSkScrollWnd* A, HWND Window)
{
    const TRect c = GetCornerRect(A, Window);
    if (c.Width() <= 0)
        return false;
    const HWND parent = GetParent(Window);
    if (!parent || !(GetWindowLongW(Window, GWL_STYLE) & WS_CHILD))
        return true;
    if (GetWindowLongW(parent, GWL_STYLE) & WS_CHILD)
        return false;
    RECT pc{};
    GetClientRect(parent, &pc);
    MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&pc), 2);
    const bool bottom = c.Bottom + A->FrameBottom == pc.bottom;
    return A->LeftScrollBar ? bottom && c.Left - A->FrameLeft == pc.left : bottom && c.Right + A->FrameRight == pc.right;
}

TSkThumbGeometry GetThumbGeometry(const TSkScrollBar* Bar, const TRect& R)
{
    TSkThumbGeometry g;
    if (!Bar)
        return g;
    const SCROLLINFO& si = Bar->ScrollInfo;
    const int a = ArrowOf(Bar);
    const int track = LengthOf(Bar, R) - 2 * a;
    const int64_t range = int64_t(si.nMax) - si.nMin + 1;
    const int64_t page = si.nPage;
    if (page == 0)
        g.Length = a;
    else if (range > 0)
        g.Length = int(std::clamp<int64_t>(MulDiv64(page, track, range), Bar->MinThumbSize, INT_MAX));
    int offset = 0;
    const int64_t den = range - std::max<int64_t>(page, 1);
    if (range > 0 && den > 0)
        offset = int(std::clamp<int64_t>(MulDiv64(int64_t(si.nPos) - si.nMin, track - g.Length, den), 0,
                                         std::max(0, track - g.Length)));
    g.Pos = StartOf(Bar, R) + a + offset;
    return g;
}

int ScrollElementAt(const TSkScrollBar* Bar, const TRect& R, TPoint P)
{
    if (!Bar)
        return sbeNone;
    const int across = Bar->Kind == 0 ? P.Y : P.X;
    const int lo = Bar->Kind == 0 ? R.Top : R.Left, hi = Bar->Kind == 0 ? R.Bottom : R.Right;
    if (across < lo || across >= hi)
        return sbeNone;
    const int c = Along(Bar, P), s = StartOf(Bar, R), e = EndOf(Bar, R);
    int a = ArrowOf(Bar);
    if (2 * a >= e - s)
        a = (e - s) / 2;
    if (c >= s && c < s + a)
        return sbeFirstArrow;
    if (c >= e - a && c < e)
        return sbeSecondArrow;
    // No range, or a thumb that fills the track: nothing between the arrows answers.
    const TSkThumbGeometry g = GetThumbGeometry(Bar, R);
    if (Bar->ScrollInfo.nMax < Bar->ScrollInfo.nMin || g.Length >= e - s - 2 * a)
        return sbeNone;
    if (c >= g.Pos && c < g.Pos + g.Length)
        return sbeThumb;
    if (c >= s + a && c < g.Pos)
        return sbeTrackBefore;
    if (c >= g.Pos + g.Length && c < e - a)
        return sbeTrackAfter;
    return sbeNone;
}

bool ScrollBarEnabled(HWND Window, int Kind)
{
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    if (!GetScrollBarInfo(Window, Kind == 0 ? OBJID_HSCROLL : OBJID_VSCROLL, &info))
        return false;
    // Some systems mark only the two arrows of a bar disabled as a whole.
    const DWORD off = STATE_SYSTEM_UNAVAILABLE;
    return !(info.rgstate[0] & off) && !((info.rgstate[1] & off) && (info.rgstate[5] & off));
}

// ---------------------------------------------------------------------------------------
// Painting

namespace {

struct TBarLook {
    int ThumbPos = -1;        // along the bar in bar coordinates; -1 from the scroll information
    int ThumbState = -1;      // -1: hot or normal by the tracking state
    int PressedOver = sbeNone;
    bool Dragging = false;    // the thumb is being dragged: painted anyway
};

struct TBarSections {
    const TSkCommonIndexes::ScrollPart* Track1;
    const TSkCommonIndexes::ScrollPart* Track2;
    const TSkCommonIndexes::ScrollPart* Arrow1;
    const TSkCommonIndexes::ScrollPart* Arrow2;
    const TSkCommonIndexes::ScrollPart* Thumb;
};

TBarSections SectionsOf(const TSkCommonIndexes& c, int Kind)
{
    if (Kind == 0)
        return {&c.ScrollBar1H, &c.ScrollBar2H, &c.ScrollBtnLeft, &c.ScrollBtnRight, &c.ScrollSliderH};
    return {&c.ScrollBar1V, &c.ScrollBar2V, &c.ScrollBtnTop, &c.ScrollBtnBottom, &c.ScrollSliderV};
}

// The window's picture behind its bars (its answer to the skin command), placed for a bitmap
// whose origin lies at Origin of the window.
TzCacheInfo WindowBackground(HWND Wnd, TPoint Origin)
{
    SharedCacheInfo.Ready = false;
    SendCommandToWindow(Wnd, SKCMD_GETBGIMAGE, 0);
    TzCacheInfo info = SharedCacheInfo;
    SharedCacheInfo.Ready = false;
    // A cache not painted yet is no picture.
    if (info.Ready && (!info.Bmp || info.Bmp->Width() < 2 || info.Bmp->Height() < 2))
        info.Ready = false;
    if (info.Ready) {
        info.X += Origin.X;
        info.Y += Origin.Y;
    }
    return info;
}

// One piece of a bar: the section over R in the state, its glyph centred.
void PaintPiece(TzSkinManager* M, TBitmap* Bmp, const TzCacheInfo& Bg, const TSkCommonIndexes::ScrollPart& Part,
                const TRect& R, int State)
{
    if (R.Width() <= 0 || R.Height() <= 0 || !M->IsValidSkinIndex(Part.Section))
        return;
    PaintSectionByIndex(Part.Section, M, Bmp, Bg, R, TzPaintState(State), true);
    if (!M->IsValidMaskIndex(Part.GlyphMask))
        return;
    const TzMaskData& g = M->Mask(Part.GlyphMask);
    const int fw = g.R.Width() / FrameCount(g), fh = g.R.Height() / HalfCount(g);
    DrawSkinGlyph(Bmp, TPoint(R.Left + (R.Width() - fw) / 2, R.Top + (R.Height() - fh) / 2), TzPaintState(State), g, 1);
}

bool PaintEnabled(TSkScrollWnd* A, int Kind)
{
    if (!ScrollBarEnabled(A->Handle, Kind))
        return false;
    TControl* c = A->SkinData ? A->SkinData->OwnerControl() : nullptr;
    return !c || c->Enabled();
}

void PaintBar(TSkScrollWnd* A, TSkScrollBar* Bar, HDC DC, const TBarLook& Look)
{
    TzSkinManager* m = A->SkinManager();
    if (!Bar || !Bar->Visible || (A->ThumbTracking && !Look.Dragging) || !m)
        return;
    const TBarSections sec = SectionsOf(m->Cache(), Bar->Kind);
    if (!m->IsValidSkinIndex(sec.Track1->Section))
        return;
    const TRect screen = BarRect(A, Bar->Kind);
    if (screen.Width() < 2 || screen.Height() < 2)
        return;
    GetScrollInfo(A->Handle, Bar->Bar(), &Bar->ScrollInfo);
    const int a = ArrowOf(Bar);
    const int w = LengthOf(Bar, screen);
    if (w <= 0)
        return;
    const bool enabled = PaintEnabled(A, Bar->Kind);
    const auto& t = ScrollTracking;
    const bool hotBar = t.HotWindow == A->Handle && t.HotBar == Bar->Kind && enabled;
    const auto stateOf = [&](int El) { return Look.PressedOver == El ? 2 : hotBar && t.HotElement == El ? 1 : 0; };

    const TRect wnd = ScreenRectOf(A->Handle);
    const TPoint at(screen.Left - wnd.Left, screen.Top - wnd.Top);
    auto bmp = CreateBmp24(screen.Width(), screen.Height());
    const TzCacheInfo bg = WindowBackground(A->Handle, Moved(at, A->BackgroundOffset()));
    // A piece from Lo to Hi along the bar, across its whole thickness.
    const auto piece = [&](int Lo, int Hi) {
        return Bar->Kind == 0 ? TRect(Lo, 0, Hi, screen.Height()) : TRect(0, Lo, screen.Width(), Hi);
    };
    if (2 * a >= w) {
        PaintPiece(m, bmp.get(), bg, *sec.Track1, piece(0, w / 2), 0);
        PaintPiece(m, bmp.get(), bg, *sec.Track2, piece(w / 2, w), 0);
        PaintPiece(m, bmp.get(), bg, *sec.Arrow1, piece(0, w / 2), stateOf(sbeFirstArrow));
        PaintPiece(m, bmp.get(), bg, *sec.Arrow2, piece(w / 2, w), stateOf(sbeSecondArrow));
    } else {
        const TSkThumbGeometry g = GetThumbGeometry(Bar, screen);
        const int p = Look.ThumbPos >= 0 ? Look.ThumbPos : g.Pos - StartOf(Bar, screen);
        const int mid = std::clamp(p + g.Length / 2, 0, w);
        PaintPiece(m, bmp.get(), bg, *sec.Track1, piece(0, mid), Look.PressedOver == sbeTrackBefore ? 2 : 0);
        PaintPiece(m, bmp.get(), bg, *sec.Track2, piece(mid, w), Look.PressedOver == sbeTrackAfter ? 2 : 0);
        PaintPiece(m, bmp.get(), bg, *sec.Arrow1, piece(0, a), stateOf(sbeFirstArrow));
        PaintPiece(m, bmp.get(), bg, *sec.Arrow2, piece(w - a, w), stateOf(sbeSecondArrow));
        if (enabled && g.Length >= 1 && g.Length <= w - 2 * a) {
            const int state = Look.ThumbState >= 0 ? Look.ThumbState : hotBar && t.HotElement == sbeThumb ? 1 : 0;
            PaintPiece(m, bmp.get(), bg, *sec.Thumb, piece(p, p + g.Length), state);
        }
    }
    if (!enabled) {
        if (bg.Ready)
            BlendBmpRect(bmp.get(), 0, 0, TColor(0xFF000000), 0.4,
                         TRect(bg.X, bg.Y, bg.X + screen.Width(), bg.Y + screen.Height()), bg.Bmp);
        else
            BlendRoundRect(bmp.get(), TRect(-1, -1, screen.Width() + 1, screen.Height() + 1), 60, 2,
                           m->Section(sec.Track1->Section).Color);
    }
    BitBlt(DC, at.X, at.Y, screen.Width(), screen.Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void PaintCorner(TSkScrollWnd* A, HDC DC)
{
    TzSkinManager* m = A->SkinManager();
    const TRect c = GetCornerRect(A, A->Handle);
    if (!m || c.Width() <= 0 || c.Height() <= 0)
        return;
    const TRect wnd = ScreenRectOf(A->Handle);
    const TPoint at(c.Left - wnd.Left, c.Top - wnd.Top);
    auto bmp = CreateBmp24(c.Width(), c.Height());
    const TzCacheInfo bg = WindowBackground(A->Handle, Moved(at, A->BackgroundOffset()));
    if (bg.Ready)
        CopyBmpRect(bmp.get(), 0, 0, TRect(bg.X, bg.Y, bg.X + c.Width(), bg.Y + c.Height()), bg.Bmp);
    else
        FillBmpRect(bmp.get(), TRect(0, 0, c.Width(), c.Height()), m->GetGlobalHotColor());
    if (IsSizeGripCorner(A, A->Handle)) {
        const int k = m->FindMaskIndexExact("GLOBALINFO", "GRIPIMAGE");
        if (m->IsValidMaskIndex(k)) {
            const TzMaskData& g = m->Mask(k);
            const int fw = g.R.Width() / FrameCount(g), fh = g.R.Height() / HalfCount(g);
            DrawSkinGlyph(bmp.get(), TPoint(c.Width() - fw, c.Height() - fh), psNormal, g, 1);
        }
    }
    BitBlt(DC, at.X, at.Y, c.Width(), c.Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

} // namespace

void PaintScrollBars(TSkScrollWnd* A, HWND Window, HDC DC, int ThumbPos)
{
    if (!A || !A->HorzBar || !A->VertBar || !Window)
        return;
    if (A->SkinData) {
        if (A->SkinData->GetUpdating())
            return;
        if (A->SkinData->BGChanged())
            SendCommandToWindow(Window, SKCMD_PREPARECACHE, 0);
    }
    TWindowDC own;
    if (!DC) {
        own = TWindowDC(Window);
        DC = own.Handle();
    }
    const auto& t = ScrollTracking;
    for (TSkScrollBar* bar : {A->HorzBar.get(), A->VertBar.get()}) {
        TBarLook look;
        look.ThumbPos = ThumbPos;
        if (t.PressWindow == Window && t.PressedBar == bar->Kind)
            look.PressedOver = t.PressedOver;
        PaintBar(A, bar, DC, look);
    }
    PaintCorner(A, DC);
}

void RefreshScrollInfo(TSkScrollWnd* A, bool Repaint)
{
    if (!A || !A->HorzBar || !A->VertBar || !A->Handle)
        return;
    GetScrollInfo(A->Handle, SB_HORZ, &A->HorzBar->ScrollInfo);
    GetScrollInfo(A->Handle, SB_VERT, &A->VertBar->ScrollInfo);
    if (Repaint)
        PaintScrollBars(A, A->Handle);
}

void SendScrollCommand(HWND Window, UINT Message, int Code, int Position)
{
    SendCommandToWindow(Window, SKCMD_BEFORESCROLL, 0);
    // The message carries 16 bits of position: a thumb beyond them is placed first. Other
    // requests carry no position, and setting one would move the window before it scrolls.
    if (Code == SB_THUMBTRACK || Code == SB_THUMBPOSITION) {
        const int bar = Message == WM_HSCROLL ? SB_HORZ : SB_VERT;
        SCROLLINFO si{sizeof(si), SIF_RANGE, 0, 0, 0, 0, 0};
        if (GetScrollInfo(Window, bar, &si) && si.nMax >= 65535)
            SetScrollPos(Window, bar, Position, FALSE);
    }
    SendMessageW(Window, Message, MAKEWPARAM(Code, Position), 0);
    SendCommandToWindow(Window, SKCMD_AFTERSCROLL, MAKELONG(Code, Message));
}

// ---------------------------------------------------------------------------------------
// Attaching

Z_CLASS_IMPL(TSkScrollWnd, TSkMainWnd)

TSkScrollWnd* GetScrollAdapter(HWND Window)
{
    return dynamic_cast<TSkScrollWnd*>(FindWindowAdapter(Window));
}

TSkScrollBar* GetScrollBarObject(HWND Window, int Kind)
{
    TSkScrollWnd* a = GetScrollAdapter(Window);
    return a ? BarOf(a, Kind) : nullptr;
}

void AttachScrollBars(TSkScrollWnd* A, HWND Window, bool Repaint)
{
    if (!A || !Window)
        return;
    A->HorzBar = std::make_unique<TSkScrollBar>(A, 0);
    A->VertBar = std::make_unique<TSkScrollBar>(A, 1);
    GetScrollInfo(Window, SB_HORZ, &A->HorzBar->ScrollInfo);
    GetScrollInfo(Window, SB_VERT, &A->VertBar->ScrollInfo);
    A->LeftScrollBar = (GetWindowLongW(Window, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) ? 1 : 0;
    const LONG style = GetWindowLongW(Window, GWL_STYLE);
    A->HorzBar->Flags = (style & WS_HSCROLL) ? BarFlag : 0;
    A->VertBar->Flags = (style & WS_VSCROLL) ? BarFlag : 0;
    A->ChangingStyle = 0;
    HookWindow(A, Window);
    A->HorzBar->MinThumbSize = A->VertBar->MinThumbSize = 10;
    RefreshWindowFrame(Window, Repaint);
}

void DetachWindowAdapter(HWND Window, bool Repaint)
{
    if (TSkMainWnd* a = FindWindowAdapter(Window))
        a->Detach(Repaint);
}

TSkScrollWnd::~TSkScrollWnd()
{
    Release();
}

void TSkScrollWnd::HookParts(bool Repaint)
{
    AttachScrollBars(this, Handle, Repaint);
}

void TSkScrollWnd::DetachParts()
{
    if (ScrollTracking.PressWindow == Handle)
        EndPress();
    // The hover timer may still run here although another window is hot by now: it goes
    // with the adapter, and no state of it is left to stand in a later window's way.
    if (Handle && IsWindow(Handle))
        KillTimer(Handle, HoverTimerID);
    if (ScrollTracking.HoverWindow == Handle)
        ScrollTracking.HoverWindow = nullptr;
    if (ScrollTracking.HotWindow == Handle) {
        ScrollTracking.HotWindow = nullptr;
        ScrollTracking.HotBar = -1;
        ScrollTracking.HotElement = ScrollTracking.LastHotElement = sbeNone;
    }
    for (auto* bar : {&HorzBar, &VertBar})
        if (*bar)
            (*bar)->Owner = nullptr;
    HorzBar.reset();
    VertBar.reset();
}

// ---------------------------------------------------------------------------------------
// Messages

void TSkScrollWnd::NCCalcSize(TMessage& M, const TWMNCCalcSize& Calc)
{
    if (!Calc.Rect) {
        PassOn(M);
        return;
    }
    const RECT kept = *Calc.Rect;
    const LONG style = GetWindowLongW(Handle, GWL_STYLE);
    bool alive;
    if (style & (WS_HSCROLL | WS_VSCROLL)) {
        // The window's own procedure computes its frame without the bars; the bars' room is
        // ours.
        ChangingStyle = 1;
        SetWindowLongW(Handle, GWL_STYLE, style & ~(WS_HSCROLL | WS_VSCROLL));
        alive = PassOn(M);
        SetWindowLongW(Handle, GWL_STYLE, style);
        if (alive)
            ChangingStyle = 0;
    } else {
        alive = PassOn(M);
    }
    if (!alive || !HorzBar || !VertBar)
        return;
    RECT& c = *Calc.Rect;
    FrameLeft = c.left - kept.left;
    FrameRight = kept.right - c.right;
    FrameTop = c.top - kept.top;
    FrameBottom = kept.bottom - c.bottom;
    HorzBar->Flags = (style & WS_HSCROLL) ? BarFlag : 0;
    const int ht = GetScrollMetric(HorzBar.get(), 1, false);
    HorzBar->Visible = HorzBar->Flags && ht <= c.bottom - c.top;
    if (HorzBar->Visible)
        c.bottom -= ht;
    VertBar->Flags = (style & WS_VSCROLL) ? BarFlag : 0;
    const int vt = GetScrollMetric(VertBar.get(), 1, false);
    VertBar->Visible = VertBar->Flags && vt <= c.right - c.left;
    if (VertBar->Visible) {
        if (LeftScrollBar)
            c.left += vt;
        else
            c.right -= vt;
    }
}

bool TSkScrollWnd::StyleChange(TMessage& M, const TWMStyleChange& Change)
{
    // The adapter's own passing change of the style is nobody's business.
    if (ChangingStyle) {
        M.Result = 0;
        return true;
    }
    if (M.Msg == WM_STYLECHANGED && Change.StyleType == GWL_EXSTYLE && Change.Style)
        LeftScrollBar = (Change.Style->styleNew & WS_EX_LEFTSCROLLBAR) ? 1 : 0;
    return false;
}

void TSkScrollWnd::NCPaint(TMessage& M)
{
    // The system draws its own bars while it paints the frame: ours go over them after.
    if (!PassOn(M))
        return;
    if (IsWindowVisible(Handle) && !SkinData->GetUpdating() && !Scrolling)
        PaintScrollBars(this, Handle);
}

bool TSkScrollWnd::NCHitTest(TMessage& M, TPoint P)
{
    for (TSkScrollBar* bar : {HorzBar.get(), VertBar.get()})
        if (bar->Visible && Contains(BarRect(this, bar->Kind), P)) {
            M.Result = ScrollBarEnabled(Handle, bar->Kind) ? (bar->Kind == 0 ? HTHSCROLL : HTVSCROLL) : HTNOWHERE;
            return true;
        }
    if (!Contains(GetCornerRect(this, Handle), P) || !IsSizeGripCorner(this, Handle))
        return false;
    M.Result = HTBOTTOMRIGHT;
    return true;
}

void TSkScrollWnd::NCMouseMove(UINT HitTest)
{
    auto& t = ScrollTracking;
    t.HotWindow = Handle;
    if (!IsBarHit(HitTest))
        return;
    const int kind = HitTest == HTHSCROLL ? 0 : 1;
    if (t.HotBar == kind && t.HoverWindow == Handle)
        return;
    t.LastHotElement = t.HotElement = sbeNone;
    t.HotBarRect = BarRect(this, kind);
    t.HotBar = kind;
    t.HoverWindow = Handle;
    SetTimer(Handle, HoverTimerID, 20, nullptr);
    PaintScrollBars(this, Handle);
}

bool TSkScrollWnd::NCButtonDown(TMessage& M, const TWMNCMouse& Mouse)
{
    if (!IsBarHit(Mouse.HitTest))
        return false;
    StartPress(M, int(Mouse.HitTest), Mouse.Pos());
    return true;
}

bool TSkScrollWnd::NCOtherButton(TMessage& M, UINT HitTest)
{
    if (!IsBarHit(HitTest))
        return false;
    M.Result = 0;
    return true;
}

void TSkScrollWnd::StartPress(TMessage& M, int HitCode, TPoint Screen)
{
    const int kind = HitCode == HTHSCROLL ? 0 : 1;
    TSkScrollBar* bar = BarOf(this, kind);
    const TRect r = BarRect(this, kind);
    GetScrollInfo(Handle, bar->Bar(), &bar->ScrollInfo);
    const int el = ScrollElementAt(bar, r, Screen);
    if (el == sbeNone) {
        PassOn(M);
        return;
    }
    M.Result = 0;
    // A disabled bar takes no press.
    if (!ScrollBarEnabled(Handle, kind))
        return;
    auto& t = ScrollTracking;
    t.HotWindow = t.PressWindow = Handle;
    t.PressedBar = kind;
    t.PressedElement = el;
    t.ScrollMessage = bar->ScrollMessage();
    SetCapture(Handle);
    if (el == sbeThumb) {
        const TSkThumbGeometry g = GetThumbGeometry(bar, r);
        t.ThumbLength = g.Length;
        t.ThumbPos = g.Pos;
        t.PressBarRect = r;
        ThumbTracking = 1;
        bar->ScrollInfo.nTrackPos = bar->ScrollInfo.nPos;
        t.GrabOffset = Along(bar, Screen) - g.Pos;
        t.LastTrackPos = bar->ScrollInfo.nPos;
        PaintDraggedBar(g.Pos);
        return;
    }
    t.PressedOver = el;
    PaintScrollBars(this, Handle);
    if (!SendScrolling(t.ScrollMessage, el, 0) || !Hooked())
        return;
    t.PressedOver = el;
    t.RepeatTimer = SetTimer(Handle, FirstRepeatTimerID, 300, nullptr);
    PaintScrollBars(this, Handle);
}

bool TSkScrollWnd::SendScrolling(UINT Msg, int Code, int Position)
{
    // The window may free the adapter while it scrolls: the flag is put back only on a live one.
    TSkAliveToken alive(this);
    const uint8_t was = Scrolling;
    Scrolling = 1;
    SendScrollCommand(Handle, Msg, Code, Position);
    if (!alive())
        return false;
    Scrolling = was;
    return true;
}

bool TSkScrollWnd::EndPress()
{
    auto& t = ScrollTracking;
    if (t.PressWindow != Handle || t.PressedElement == sbeNone)
        return true;
    // The state goes first: releasing the capture comes back here as a lost capture.
    const int el = t.PressedElement;
    const UINT msg = t.ScrollMessage;
    const bool tracking = ThumbTracking;
    t.PressedElement = t.PressedOver = t.PressedBar = sbeNone;
    t.PressWindow = nullptr;
    t.RepeatTimer = 0;
    t.ScrollMessage = 0;
    ThumbTracking = 0;
    const bool alive = Handle && IsWindow(Handle);
    if (alive && el >= sbeFirstArrow && el <= sbeTrackAfter) {
        KillTimer(Handle, FirstRepeatTimerID);
        KillTimer(Handle, RepeatTimerID);
    }
    if (alive && ReleasesCaptureOnRelease() && GetCapture() == Handle)
        ReleaseCapture();
    if (!alive || Dead)
        return true;
    if (tracking && !SendScrolling(msg, SB_THUMBPOSITION, t.LastTrackPos))
        return false;
    if (!SendScrolling(msg, SB_ENDSCROLL, 0))
        return false;
    if (Hooked())
        RefreshScrollInfo(this, true);
    return true;
}

bool TSkScrollWnd::PressEnded(bool Ended)
{
    if (Ended && !EndPress())
        return true;
    return !Hooked();
}

void TSkScrollWnd::UpdatePressedOver(TPoint Screen)
{
    auto& t = ScrollTracking;
    TSkScrollBar* bar = t.PressedBar >= 0 ? BarOf(this, t.PressedBar) : nullptr;
    if (!bar)
        return;
    const int over = ScrollElementAt(bar, BarRect(this, bar->Kind), Screen) == t.PressedElement ? t.PressedElement
                                                                                                   : sbeNone;
    if (over == t.PressedOver)
        return;
    t.PressedOver = over;
    PaintScrollBars(this, Handle);
}

void TSkScrollWnd::PaintDraggedBar(int Q)
{
    auto& t = ScrollTracking;
    TSkScrollBar* bar = t.PressedBar >= 0 ? BarOf(this, t.PressedBar) : nullptr;
    if (!bar || !Hooked())
        return;
    TBarLook look;
    look.ThumbPos = Q - StartOf(bar, t.PressBarRect);
    look.ThumbState = 2;
    look.Dragging = true;
    TWindowDC dc(Handle);
    PaintBar(this, bar, dc.Handle(), look);
}

void TSkScrollWnd::DragThumb(int Coord)
{
    auto& t = ScrollTracking;
    TSkScrollBar* bar = t.PressedBar >= 0 ? BarOf(this, t.PressedBar) : nullptr;
    if (!bar)
        return;
    const int a = ArrowOf(bar);
    const int start = StartOf(bar, t.PressBarRect) + a, end = EndOf(bar, t.PressBarRect) - a;
    const int q = std::max(start, std::min(Coord - t.GrabOffset, end - t.ThumbLength));
    const SCROLLINFO& si = bar->ScrollInfo;
    const int64_t range = int64_t(si.nMax) - si.nMin, page = si.nPage;
    const int room = end - start - t.ThumbLength;
    int pos = q - start;
    if (range > 0) {
        const int64_t p = room > 0 ? si.nMin + MulDiv64(q - start, range - page + 1, room) : si.nMin;
        pos = int(std::clamp<int64_t>(p, si.nMin, std::max<int64_t>(si.nMin, si.nMax - std::max<int64_t>(page, 1) + 1)));
    }
    if (pos != t.LastTrackPos) {
        bar->ScrollInfo.nTrackPos = pos;
        t.LastTrackPos = pos;
        if (!SendScrolling(t.ScrollMessage, SB_THUMBTRACK, pos))
            return;
    }
    // After the window has scrolled: whatever the system drew of its own bar meanwhile goes.
    PaintDraggedBar(q);
}

bool TSkScrollWnd::PressMouseMove(TMessage& M, TPoint Client)
{
    if (ScrollTracking.PressWindow != Handle || ScrollTracking.PressedElement == sbeNone)
        return false;
    POINT sp{Client.X, Client.Y};
    ClientToScreen(Handle, &sp);
    if (!ThumbTracking)
        UpdatePressedOver(TPoint(sp.x, sp.y));
    else if (TSkScrollBar* bar = BarOf(this, ScrollTracking.PressedBar))
        DragThumb(Along(bar, TPoint(sp.x, sp.y)));
    M.Result = 0;
    return true;
}

void TSkScrollWnd::HoverTick()
{
    auto& t = ScrollTracking;
    if (ThumbTracking)
        return;
    POINT cur{};
    GetCursorPos(&cur);
    const TPoint p(cur.x, cur.y);
    if (t.HotWindow == Handle && t.HoverWindow == Handle && t.HotBar >= 0 && Contains(t.HotBarRect, p)) {
        const int el = ScrollElementAt(BarOf(this, t.HotBar), t.HotBarRect, p);
        if (el == t.HotElement)
            return;
        t.LastHotElement = t.HotElement;
        t.HotElement = el;
        PaintScrollBars(this, Handle);
        return;
    }
    KillTimer(Handle, HoverTimerID);
    if (t.HoverWindow == Handle)
        t.HoverWindow = nullptr;
    if (t.HotWindow == Handle) {
        t.HotBar = -1;
        t.HotElement = t.LastHotElement = sbeNone;
    }
    PaintScrollBars(this, Handle);
}

bool TSkScrollWnd::RepeatTick()
{
    auto& t = ScrollTracking;
    if (t.PressWindow != Handle || t.PressedElement == sbeNone) {
        KillTimer(Handle, RepeatTimerID);
        return true;
    }
    POINT cur{};
    GetCursorPos(&cur);
    UpdatePressedOver(TPoint(cur.x, cur.y));
    return t.PressedOver == sbeNone || SendScrolling(t.ScrollMessage, t.PressedOver, 0);
}

void TSkScrollWnd::Timer(TMessage& M, UINT_PTR TimerID)
{
    auto& t = ScrollTracking;
    switch (TimerID) {
    case HoverTimerID:
        HoverTick();
        break;
    case FirstRepeatTimerID:
        KillTimer(Handle, FirstRepeatTimerID);
        if (t.PressWindow == Handle && t.PressedElement != sbeNone)
            t.RepeatTimer = SetTimer(Handle, RepeatTimerID, 55, nullptr);
        break;
    case RepeatTimerID:
        if (!RepeatTick())
            return;
        break;
    default:
        if (!PassOn(M))
            return;
        break;
    }
    if (Hooked() && !Scrolling && !ThumbTracking)
        RefreshScrollInfo(this, true);
}

void TSkScrollWnd::OnSkinRefresh()
{
    SkinData->UpdateIndexes();
    RefreshScrollInfo(this, false);
}

void TSkScrollWnd::SkinCommand(TWMSkinCommand Cmd)
{
    const bool fromOwn = FromOwnManager(Cmd);
    switch (Cmd.Command) {
    case SKCMD_NEWSKIN:
    case SKCMD_REFRESH:
        if (fromOwn)
            OnSkinRefresh();
        break;
    case SKCMD_SKINREMOVED:
        if (fromOwn)
            RestoreStdParams();
        break;
    case SKCMD_GETBGIMAGE:
        if (TBitmap* cache = SkinData->CacheBmp(); cache && SkinData->Skinned())
            SharedCacheInfo = MakeCacheInfo(cache, 0, 0);
        break;
    case SKCMD_ENDPARENTUPDATE:
        EndParentUpdate();
        break;
    case SKCMD_ISSKINNED:
        if (SkinData->Skinned()) {
            Cmd.Answer(1);
            return;
        }
        break;
    }
    PassOn(Cmd.Message);
}

void TSkScrollWnd::EndParentUpdate()
{
    if (!SkinData->Skinned() || !SkinData->GetUpdating())
        return;
    SkinData->SetUpdating(false);
    RedrawWindow(Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
}

bool TSkScrollWnd::BarMessage(TMessage& M)
{
    switch (M.Msg) {
    case WM_NCCALCSIZE:
        NCCalcSize(M, TWMNCCalcSize(M));
        return true;
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
        return StyleChange(M, TWMStyleChange(M));
    case WM_NCPAINT:
        NCPaint(M);
        return true;
    case WM_NCHITTEST:
        return NCHitTest(M, TWMNCHitTest(M).Pos());
    case WM_NCMOUSEMOVE:
        NCMouseMove(TWMNCMouse(M).HitTest);
        return false;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        return NCButtonDown(M, TWMNCMouse(M));
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONUP:
        return NCOtherButton(M, TWMNCMouse(M).HitTest);
    case WM_SYSCOMMAND:
        // The system's own bar commands: the bars are the adapter's.
        return IsBarCommand(TWMSysCommand(M).CmdType);
    case WM_MOUSEMOVE:
        return PressMouseMove(M, TWMMouse(M).Pos());
    case WM_LBUTTONUP:
        return PressEnded(true);
    case WM_CAPTURECHANGED:
        // A press that lost the mouse ends as if released.
        return PressEnded(TWMCaptureChanged(M).NewCapture != Handle);
    case WM_CANCELMODE:
        return PressEnded(true);
    case WM_TIMER:
        Timer(M, TWMTimer(M).TimerID);
        return true;
    }
    return false;
}

void TSkScrollWnd::WndProc(TMessage& M)
{
    switch (M.Msg) {
    case WM_DESTROY:
    case WM_NCDESTROY:
        DetachOnDestroy(M);
        return;
    case WM_UPDATEUISTATE:
        return;
    case SM_SKINCMD:
        SkinCommand(TWMSkinCommand(M));
        return;
    }
    if (!SkinData || !SkinData->Skinned() || !HorzBar || !VertBar) {
        PassOn(M);
        return;
    }
    if (BarMessage(M) || !PassOn(M))
        return;
    switch (M.Msg) {
    case WM_MOUSEWHEEL:
    case CM_MOUSEWHEEL:
        if (!Scrolling)
            RefreshScrollInfo(this, true);
        break;
    case CM_FOCUSCHANGED:
        RefreshScrollInfo(this, true);
        break;
    }
}
