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

TSkScrollTracking ScrollTracking;

namespace {

constexpr uint16_t BarFlag = 8;

TRect ScreenRectOf(HWND Wnd)
{
    RECT r{};
    GetWindowRect(Wnd, &r);
    return TRect(r.left, r.top, r.right, r.bottom);
}

TPoint ScreenPointOf(LPARAM L) { return TPoint(zmsg::SignedLo(L), zmsg::SignedHi(L)); }

TPoint Moved(TPoint P, TPoint D) { return TPoint(P.X + D.X, P.Y + D.Y); }

bool Contains(const TRect& R, TPoint P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }

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

TzSkinManager* ManagerOf(const TSkMainWnd* A)
{
    return A->SkinManager ? A->SkinManager : (A->SkinData ? A->SkinData->GetSkinManager() : nullptr);
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
    TzSkinManager* m = Bar->Owner ? ManagerOf(Bar->Owner) : nullptr;
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
    const int range = si.nMax - si.nMin + 1;
    if (si.nPage == 0)
        g.Length = a;
    else if (range > 0)
        g.Length = std::max(MulDiv(int(si.nPage), track, range), Bar->MinThumbSize);
    int offset = 0;
    const int den = range - std::max(int(si.nPage), 1);
    if (range > 0 && den > 0)
        offset = std::clamp(MulDiv(si.nPos - si.nMin, track - g.Length, den), 0, std::max(0, track - g.Length));
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
    TzSkinManager* m = ManagerOf(A);
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
    TzSkinManager* m = ManagerOf(A);
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
    if (ScrollTracking.HotWindow == Handle) {
        if (Handle && IsWindow(Handle))
            KillTimer(Handle, HoverTimerID);
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

void TSkScrollWnd::NCCalcSize(TMessage& M)
{
    auto* r = reinterpret_cast<RECT*>(M.LParam);
    if (!r) {
        PassOn(M);
        return;
    }
    const RECT kept = *r;
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
    RECT& c = *r;
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

LRESULT TSkScrollWnd::NCHitTest(TPoint P)
{
    for (TSkScrollBar* bar : {HorzBar.get(), VertBar.get()})
        if (bar->Visible && Contains(BarRect(this, bar->Kind), P))
            return ScrollBarEnabled(Handle, bar->Kind) ? (bar->Kind == 0 ? HTHSCROLL : HTVSCROLL) : HTNOWHERE;
    if (Contains(GetCornerRect(this, Handle), P) && IsSizeGripCorner(this, Handle))
        return HTBOTTOMRIGHT;
    return -1;
}

void TSkScrollWnd::NCMouseMove(TMessage& M)
{
    auto& t = ScrollTracking;
    t.HotWindow = Handle;
    if (M.WParam != HTHSCROLL && M.WParam != HTVSCROLL)
        return;
    const int kind = M.WParam == HTHSCROLL ? 0 : 1;
    if (t.HotBar == kind && t.HoverTimer)
        return;
    t.LastHotElement = t.HotElement = sbeNone;
    t.HotBarRect = BarRect(this, kind);
    t.HotBar = kind;
    t.HoverTimer = SetTimer(Handle, HoverTimerID, 20, nullptr);
    PaintScrollBars(this, Handle);
}

void TSkScrollWnd::StartPress(TMessage& M, int HitCode)
{
    const int kind = HitCode == HTHSCROLL ? 0 : 1;
    TSkScrollBar* bar = BarOf(this, kind);
    const TPoint p = ScreenPointOf(M.LParam);
    const TRect r = BarRect(this, kind);
    GetScrollInfo(Handle, bar->Bar(), &bar->ScrollInfo);
    const int el = ScrollElementAt(bar, r, p);
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
        t.GrabOffset = Along(bar, p) - g.Pos;
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
    const int range = si.nMax - si.nMin;
    const int room = end - start - t.ThumbLength;
    int pos;
    if (range > 0)
        pos = room > 0 ? si.nMin + MulDiv(q - start, range - int(si.nPage) + 1, room) : si.nMin;
    else
        pos = q - start;
    if (range > 0)
        pos = std::clamp(pos, si.nMin, std::max(si.nMin, si.nMax - std::max(int(si.nPage), 1) + 1));
    if (pos != t.LastTrackPos) {
        bar->ScrollInfo.nTrackPos = pos;
        t.LastTrackPos = pos;
        if (!SendScrolling(t.ScrollMessage, SB_THUMBTRACK, pos))
            return;
    }
    // After the window has scrolled: whatever the system drew of its own bar meanwhile goes.
    PaintDraggedBar(q);
}

void TSkScrollWnd::MouseMove(TMessage& M)
{
    TPoint p(zmsg::SignedLo(M.LParam), zmsg::SignedHi(M.LParam));
    POINT sp{p.X, p.Y};
    ClientToScreen(Handle, &sp);
    if (ThumbTracking) {
        TSkScrollBar* bar = BarOf(this, ScrollTracking.PressedBar);
        if (bar)
            DragThumb(Along(bar, TPoint(sp.x, sp.y)));
    } else {
        UpdatePressedOver(TPoint(sp.x, sp.y));
    }
    M.Result = 0;
}

void TSkScrollWnd::Timer(TMessage& M)
{
    auto& t = ScrollTracking;
    POINT cur{};
    switch (M.WParam) {
    case HoverTimerID:
        if (ThumbTracking)
            break;
        GetCursorPos(&cur);
        if (t.HotWindow == Handle && t.HotBar >= 0 && Contains(t.HotBarRect, TPoint(cur.x, cur.y))) {
            const int el = ScrollElementAt(BarOf(this, t.HotBar), t.HotBarRect, TPoint(cur.x, cur.y));
            if (el != t.HotElement) {
                t.LastHotElement = t.HotElement;
                t.HotElement = el;
                PaintScrollBars(this, Handle);
            }
        } else {
            KillTimer(Handle, HoverTimerID);
            t.HoverTimer = 0;
            if (t.HotWindow == Handle) {
                t.HotBar = -1;
                t.HotElement = t.LastHotElement = sbeNone;
            }
            PaintScrollBars(this, Handle);
        }
        break;
    case FirstRepeatTimerID:
        KillTimer(Handle, FirstRepeatTimerID);
        if (t.PressWindow == Handle && t.PressedElement != sbeNone)
            t.RepeatTimer = SetTimer(Handle, RepeatTimerID, 55, nullptr);
        break;
    case RepeatTimerID:
        if (t.PressWindow != Handle || t.PressedElement == sbeNone) {
            KillTimer(Handle, RepeatTimerID);
            break;
        }
        GetCursorPos(&cur);
        UpdatePressedOver(TPoint(cur.x, cur.y));
        if (t.PressedOver != sbeNone && !SendScrolling(t.ScrollMessage, t.PressedOver, 0))
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

void TSkScrollWnd::WndProc(TMessage& M)
{
    switch (M.Msg) {
    case WM_DESTROY:
    case WM_NCDESTROY:
        DetachOnDestroy(M);
        return;
    case WM_UPDATEUISTATE:
        return;
    case SM_SKINCMD: {
        TzSkinManager* own = ManagerOf(this);
        const bool fromOwn = own && M.LParam == reinterpret_cast<LPARAM>(own);
        switch (M.WParamHi()) {
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
            if (SkinData->Skinned() && SkinData->GetUpdating()) {
                SkinData->SetUpdating(false);
                RedrawWindow(Handle, nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
            }
            break;
        case SKCMD_ISSKINNED:
            if (SkinData->Skinned()) {
                M.LParam = M.Result = 1;
                return;
            }
            break;
        }
        PassOn(M);
        return;
    }
    }
    if (!SkinData || !SkinData->Skinned() || !HorzBar || !VertBar) {
        PassOn(M);
        return;
    }
    auto& t = ScrollTracking;
    switch (M.Msg) {
    case WM_NCCALCSIZE:
        NCCalcSize(M);
        return;
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
        // The adapter's own passing change of the style is nobody's business.
        if (ChangingStyle) {
            M.Result = 0;
            return;
        }
        if (M.Msg == WM_STYLECHANGED && M.WParam == WPARAM(GWL_EXSTYLE) && M.LParam)
            LeftScrollBar = (reinterpret_cast<STYLESTRUCT*>(M.LParam)->styleNew & WS_EX_LEFTSCROLLBAR) ? 1 : 0;
        break;
    case WM_NCPAINT:
        // The system draws its own bars while it paints the frame: ours go over them after.
        if (!PassOn(M))
            return;
        if (IsWindowVisible(Handle) && !SkinData->GetUpdating() && !Scrolling)
            PaintScrollBars(this, Handle);
        return;
    case WM_NCHITTEST:
        if (const LRESULT hit = NCHitTest(ScreenPointOf(M.LParam)); hit != -1) {
            M.Result = hit;
            return;
        }
        break;
    case WM_NCMOUSEMOVE:
        NCMouseMove(M);
        break;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        if (M.WParam == HTHSCROLL || M.WParam == HTVSCROLL) {
            StartPress(M, int(M.WParam));
            return;
        }
        break;
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONUP:
        if (M.WParam == HTHSCROLL || M.WParam == HTVSCROLL) {
            M.Result = 0;
            return;
        }
        break;
    case WM_SYSCOMMAND:
        if ((M.WParam & 0xFFF0) == SC_VSCROLL || (M.WParam & 0xFFF0) == SC_HSCROLL)
            return;
        break;
    case WM_MOUSEMOVE:
        if (t.PressWindow == Handle && t.PressedElement != sbeNone) {
            MouseMove(M);
            return;
        }
        break;
    case WM_LBUTTONUP:
        if (!EndPress() || !Hooked())
            return;
        break;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        // A press that lost the mouse ends as if released.
        if ((M.Msg == WM_CANCELMODE || reinterpret_cast<HWND>(M.LParam) != Handle) && !EndPress())
            return;
        if (!Hooked())
            return;
        break;
    case WM_TIMER:
        Timer(M);
        return;
    }
    if (!PassOn(M))
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
