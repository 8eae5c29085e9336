// Skinned window scroll bars: the frame the adapter reserves, the bars' geometry and hit
// test, their painting from the skin, and presses, repeats, thumb drags and hovers driven by
// mouse and timer messages, checked against the window's own scroll information.
#include "adapterfixtures.h"

#include <doctest.h>

using namespace adapt;

namespace {

// A vertical bar of a range at a position, for geometry without a window.
TSkScrollBar VBar(int Min, int Max, int Page, int Pos)
{
    TSkScrollBar b(nullptr, 1);
    b.ScrollInfo = SCROLLINFO{sizeof(SCROLLINFO), SIF_ALL, Min, Max, UINT(Page), Pos, 0};
    return b;
}

WPARAM Request(int Code, int Pos = 0) { return MAKEWPARAM(Code, Pos); }

} // namespace

TEST_CASE("scroll bar geometry: arrows, thumb and track by the scroll information")
{
    const int a = DefaultArrowSize;
    const TRect r(0, 0, 16, 200);
    // nPage 0: a thumb as long as an arrow; elements in order along the bar.
    TSkScrollBar b = VBar(0, 100, 0, 50);
    TSkThumbGeometry g = GetThumbGeometry(&b, r);
    CHECK(Join(g.Length, g.Pos) == Join(a, a + MulDiv(50, 200 - 2 * a - a, 100)));
    CHECK(ScrollElementAt(&b, r, TPoint(5, 1)) == sbeFirstArrow);
    CHECK(ScrollElementAt(&b, r, TPoint(5, 199)) == sbeSecondArrow);
    CHECK(ScrollElementAt(&b, r, TPoint(5, g.Pos)) == sbeThumb);
    CHECK(ScrollElementAt(&b, r, TPoint(5, g.Pos - 1)) == sbeTrackBefore);
    CHECK(ScrollElementAt(&b, r, TPoint(5, g.Pos + g.Length)) == sbeTrackAfter);
    CHECK(ScrollElementAt(&b, r, TPoint(16, 100)) == sbeNone);
    // A page: the thumb is as long as its share of the track, never below the minimum.
    b = VBar(0, 99, 50, 0);
    CHECK(GetThumbGeometry(&b, r).Length == (200 - 2 * a) / 2);
    b = VBar(0, 9999, 1, 9999);
    g = GetThumbGeometry(&b, r);
    CHECK(Join(g.Length, g.Pos + g.Length) == Join(10, 200 - a));
    // INT_MAX + 1 positions: the page's share all the same.
    for (TSkScrollBar e : {VBar(0, INT_MAX, 1u << 30, 0), VBar(INT_MIN, -1, 1u << 30, 0)})
        CHECK(GetThumbGeometry(&e, r).Length == (200 - 2 * a) / 2);
    // No range, or a page as large as the range (a division by 0 once): no usable thumb.
    for (TSkScrollBar e : {VBar(0, -1, 0, 0), VBar(5, 5, 1, 5), VBar(0, 9, 20, 0)}) {
        CHECK(Join(GetThumbGeometry(&e, r).Pos, ScrollElementAt(&e, r, TPoint(5, 100))) == Join(a, sbeNone));
    }
    // Narrower than two arrows: two half arrows, nothing between.
    b = VBar(0, 100, 10, 0);
    const TRect small(0, 0, 16, 20);
    CHECK(ScrollElementAt(&b, small, TPoint(5, 9)) == sbeFirstArrow);
    CHECK(ScrollElementAt(&b, small, TPoint(5, 10)) == sbeSecondArrow);
}

TEST_CASE("scroll adapter: the frame without the system's bars, the bars' places and the hit test")
{
    TAdapterForm f;
    const int t = GetSystemMetrics(SM_CXVSCROLL), h = GetSystemMetrics(SM_CYHSCROLL), e = GetSystemMetrics(SM_CXEDGE);
    for (const bool left : {false, true}) {
        CAPTURE(left);
        HWND w = f.Scrolled(100, 10, 0, WS_VSCROLL | WS_HSCROLL);
        if (left)
            SetWindowLongW(w, GWL_EXSTYLE, GetWindowLongW(w, GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
        RECT before{};
        GetClientRect(w, &before);
        auto a = f.Adapt<TSkScrollWnd>(w);
        CHECK(bool(a->LeftScrollBar) == left);
        RECT client{}, wr{};
        GetClientRect(w, &client);
        GetWindowRect(w, &wr);
        // The client area the system would give, the frame the window keeps without bars.
        CHECK(Join(client.right, client.bottom) == Join(before.right, before.bottom));
        CHECK(Join(a->FrameLeft, a->FrameTop, a->FrameRight, a->FrameBottom) == Join(e, e, e, e));
        CHECK(Join(a->HorzBar->Visible, a->VertBar->Visible) == Join(1, 1));
        const TRect v = InWindow(w, GetVertBarRect(a.get(), w)), hz = InWindow(w, GetHorzBarRect(a.get(), w));
        const int W = wr.right - wr.left, H = wr.bottom - wr.top;
        const int vl = left ? e : W - e - t;
        CHECK(Shown(v) == Shown(TRect(vl, e, vl + t, H - e - h)));
        CHECK(Shown(hz) == Shown(TRect(left ? e + t : e, H - e - h, left ? W - e : W - e - t, H - e)));
        const TPoint vc = Centre(GetVertBarRect(a.get(), w)), hc = Centre(GetHorzBarRect(a.get(), w));
        CHECK(Join(SendMessageW(w, WM_NCHITTEST, 0, ScreenParam(vc)), SendMessageW(w, WM_NCHITTEST, 0, ScreenParam(hc))) ==
              Join(HTVSCROLL, HTHSCROLL));
        // A corner in the middle of the form is no size grip: the window answers itself.
        const TRect c = GetCornerRect(a.get(), w);
        CHECK(SendMessageW(w, WM_NCHITTEST, 0, ScreenParam(Centre(c))) != HTBOTTOMRIGHT);
        // Disabled: nowhere, no press, the arrow dimmed toward the window's picture. Without a
        // picture of the window's, the corner takes the skin's hot colour.
        EnableScrollBar(w, SB_VERT, ESB_DISABLE_BOTH);
        CHECK(SendMessageW(w, WM_NCHITTEST, 0, ScreenParam(vc)) == HTNOWHERE);
        SendMessageW(w, WM_NCLBUTTONDOWN, HTVSCROLL, ScreenParam(vc));
        RedrawFrame(w);
        const TRect cw = InWindow(w, c);
        CHECK(Join(ScrollTracking.PressedElement, WindowPx(w, Centre(v).X, v.Top + 3) == Arrow, WindowPx(w, cw.Left + 2, cw.Top + 2)) ==
              Join(sbeNone, false, CornerColor));
        DestroyWindow(w);
    }
    // A client smaller than the bar's thickness hides the bar although the style has it.
    HWND flat = f.Scrolled(100, 10, 0, WS_VSCROLL | WS_HSCROLL, TRect(0, 0, 120, 2 * e + h / 2));
    auto a = f.Adapt<TSkScrollWnd>(flat);
    CHECK(Join(a->HorzBar->Visible, a->VertBar->Visible, a->HorzBar->Flags) == Join(0, 1, 8));
    // A corner at the bottom right of a top-level window's client area is a size grip.
    RECT fc{};
    GetClientRect(f.Form->Handle(), &fc);
    HWND w = f.Scrolled(100, 10, 0, WS_VSCROLL | WS_HSCROLL, TRect(fc.right - 150, fc.bottom - 100, fc.right, fc.bottom));
    auto grip = f.Adapt(w);
    CHECK(SendMessageW(w, WM_NCHITTEST, 0, ScreenParam(Centre(GetCornerRect(grip.get(), w)))) == HTBOTTOMRIGHT);
    RedrawFrame(w);
    const TRect c = InWindow(w, GetCornerRect(grip.get(), w));
    CHECK(WindowPx(w, c.Left + 2, c.Top + 2) == EditColor);   // an edit's corner shows its picture
}

namespace {

// The places of a vertical bar's pieces in window coordinates.
struct TBarPlaces {
    TRect Bar;
    TSkThumbGeometry Thumb;   // in window coordinates
    int A = 0;
    TPoint FirstArrow() const { return TPoint(Centre(Bar).X, Bar.Top + A / 2); }
    TPoint SecondArrow() const { return TPoint(Centre(Bar).X, Bar.Bottom - A / 2); }
    TPoint ThumbMiddle() const { return TPoint(Centre(Bar).X, Thumb.Pos + Thumb.Length / 2); }
    TPoint BeforeThumb() const { return TPoint(Centre(Bar).X, Thumb.Pos - 2); }
    TPoint AfterThumb() const { return TPoint(Centre(Bar).X, Thumb.Pos + Thumb.Length + 2); }
};

TBarPlaces PlacesOf(TSkScrollWnd* A, HWND W)
{
    RefreshScrollInfo(A, false);
    TBarPlaces p;
    p.Bar = InWindow(W, GetVertBarRect(A, W));
    p.Thumb = GetThumbGeometry(A->VertBar.get(), p.Bar);
    p.A = GetScrollMetric(A->VertBar.get(), 0, true);
    return p;
}

TColor PxAt(HWND W, TPoint P) { return WindowPx(W, P.X, P.Y); }

// A point of the window rectangle on the screen.
TPoint ToScreen(HWND W, TPoint P)
{
    RECT r{};
    GetWindowRect(W, &r);
    return TPoint(P.X + r.left, P.Y + r.top);
}

// Records the scroll requests and the skin commands around them.
struct TScrollRecorder : TMsgRecorder {
    explicit TScrollRecorder(HWND W)
    {
        Only([](UINT Msg, WPARAM WP, LPARAM) {
            return Msg == WM_VSCROLL || (Msg == SM_SKINCMD && (HIWORD(WP) == SKCMD_BEFORESCROLL || HIWORD(WP) == SKCMD_AFTERSCROLL));
        });
        Attach(W, "w");
    }
};

std::vector<TMsgEntry> Sent(std::initializer_list<WPARAM> Requests)
{
    std::vector<TMsgEntry> v;
    for (WPARAM r : Requests) {
        v.push_back(Cmd("w", SKCMD_BEFORESCROLL));
        v.push_back(TMsgEntry("w", WM_VSCROLL, intptr_t(r)));
        v.push_back(Cmd("w", SKCMD_AFTERSCROLL));
    }
    return v;
}

// An edit adapter on a scrolled window at 50 of 0 .. 100, page 10, and its bar's places.
struct TScrolledFixture {
    TAdapterForm f;
    HWND w = f.Scrolled(100, 10, 50);
    std::unique_ptr<TSkEditWnd> a = f.Adapt(w);
    TBarPlaces p = PlacesOf(a.get(), w);
};

} // namespace

TEST_CASE("pressing an arrow: a line at once, then after the first and every further repeat tick while on it")
{
    TScrolledFixture x;
    auto& [f, w, a, p] = x;
    // The pieces painted from the skin over what the system drew.
    RedrawFrame(w);
    CHECK(Join(PxAt(w, p.BeforeThumb()), PxAt(w, p.ThumbMiddle()), PxAt(w, p.AfterThumb()), PxAt(w, p.FirstArrow())) ==
          Join(Track1, Thumb, Track2, Arrow));
    TScrollRecorder rec(w);
    const TPoint down = ToScreen(w, p.SecondArrow()), off = ToScreen(w, p.AfterThumb());
    MoveCursor(down);
    SendMessageW(w, WM_NCLBUTTONDOWN, HTVSCROLL, ScreenParam(down));
    CHECK(Join(GetScrollPos(w, SB_VERT), GetCapture() == w, PxAt(w, p.SecondArrow())) == Join(51, 1, ArrowHot));
    SendMessageW(w, WM_TIMER, FirstRepeatTimerID, 0);
    CHECK(GetScrollPos(w, SB_VERT) == 51);
    SendMessageW(w, WM_TIMER, RepeatTimerID, 0);
    CHECK(GetScrollPos(w, SB_VERT) == 52);
    // Off the arrow the repetition pauses and the arrow looks released; back on, it goes on.
    MoveCursor(off);
    SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, ClientParam(w, off));
    SendMessageW(w, WM_TIMER, RepeatTimerID, 0);
    CHECK(Join(GetScrollPos(w, SB_VERT), PxAt(w, p.SecondArrow())) == Join(52, Arrow));
    MoveCursor(down);
    SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, ClientParam(w, down));
    SendMessageW(w, WM_TIMER, RepeatTimerID, 0);
    CHECK(GetScrollPos(w, SB_VERT) == 53);
    SendMessageW(w, WM_LBUTTONUP, 0, ClientParam(w, down));
    CHECK(Join(GetCapture() == w, ScrollTracking.PressedElement, PxAt(w, p.SecondArrow())) == Join(0, -1, Arrow));
    CHECK_MESSAGES(rec, Sent({Request(SB_LINEDOWN), Request(SB_LINEDOWN), Request(SB_LINEDOWN), Request(SB_ENDSCROLL)}));
    // The track pages toward the cursor.
    const TBarPlaces q = PlacesOf(a.get(), w);
    SendMessageW(w, WM_NCLBUTTONDOWN, HTVSCROLL, ScreenParam(ToScreen(w, q.BeforeThumb())));
    SendMessageW(w, WM_LBUTTONUP, 0, 0);
    CHECK(GetScrollPos(w, SB_VERT) == 43);
}

TEST_CASE("a press that loses the mouse ends: no more repeats, the bar painted released")
{
    TScrolledFixture x;
    auto& [f, w, a, p] = x;
    const TPoint up = ToScreen(w, p.FirstArrow());
    MoveCursor(up);
    SendMessageW(w, WM_NCLBUTTONDOWN, HTVSCROLL, ScreenParam(up));
    const int pressed = GetScrollPos(w, SB_VERT);
    CHECK(PxAt(w, p.FirstArrow()) == ArrowHot);
    TScrollRecorder rec(w);
    SetCapture(f.Form->Handle());   // another window takes the mouse
    SendMessageW(w, WM_TIMER, RepeatTimerID, 0);
    CHECK(Join(GetScrollPos(w, SB_VERT), ScrollTracking.PressedElement, PxAt(w, p.FirstArrow())) == Join(pressed, -1, Arrow));
    CHECK_MESSAGES(rec, Sent({Request(SB_ENDSCROLL)}));
    ReleaseCapture();
}

TEST_CASE("dragging the thumb: track positions as it moves, the last one at release; long ranges too")
{
    TAdapterForm f;
    for (const int max : {100, 100000}) {
        CAPTURE(max);
        const int page = max / 10, mid = max / 2;
        HWND w = f.Scrolled(max, page, mid);
        auto a = f.Adapt(w);
        // An arrow on a long range steps from where the window is, not from the top.
        TBarPlaces p = PlacesOf(a.get(), w);
        SendMessageW(w, WM_NCLBUTTONDOWN, HTVSCROLL, ScreenParam(ToScreen(w, p.SecondArrow())));
        SendMessageW(w, WM_LBUTTONUP, 0, 0);
        CHECK(GetScrollPos(w, SB_VERT) == mid + 1);

        p = PlacesOf(a.get(), w);
        TScrollRecorder rec(w);
        const int moved = DragThumb(a.get(), SB_VERT, 20, false);
        CHECK(Join(GetScrollPos(w, SB_VERT), a->ThumbTracking) == Join(moved, 1));
        CHECK(PxAt(w, TPoint(p.ThumbMiddle().X, p.ThumbMiddle().Y + 20)) == ThumbHot);
        // Past the end: the last position a page allows.
        SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, ClientParam(w, ToScreen(w, TPoint(0, p.ThumbMiddle().Y + 500))));
        SendMessageW(w, WM_LBUTTONUP, 0, 0);
        const int last = max - page + 1;
        CHECK(Join(GetScrollPos(w, SB_VERT), a->ThumbTracking) == Join(last, 0));
        CHECK_MESSAGES(rec, Sent({Request(SB_THUMBTRACK, moved), Request(SB_THUMBTRACK, last),
                                  Request(SB_THUMBPOSITION, last), Request(SB_ENDSCROLL)}));
        DestroyWindow(w);
    }
}

TEST_CASE("hovering: the ticks light the piece under the mouse and let go outside; the timer goes with its adapter "
          "or its window, and nothing left of them stops the next bar's hover")
{
    TAdapterForm f;
    for (const bool destroy : {false, true}) {
        CAPTURE(destroy);
        HWND gone = f.Scrolled(100, 10, 50), next = f.Scrolled(100, 10, 50, WS_VSCROLL, TRect(200, 20, 320, 220));
        auto a = f.Adapt(gone), b = f.Adapt(next);
        SendMessageW(gone, WM_NCMOUSEMOVE, HTVSCROLL, ScreenParam(Centre(GetVertBarRect(a.get(), gone))));
        // The mouse goes on to the other window before the hover ticks again.
        SendMessageW(next, WM_NCMOUSEMOVE, HTCLIENT, 0);
        if (destroy) {
            DestroyWindow(gone);
        } else {
            a.reset();
            CHECK_FALSE(KillTimer(gone, HoverTimerID));
        }
        const TBarPlaces p = PlacesOf(b.get(), next);
        const TPoint thumb = ToScreen(next, p.ThumbMiddle());
        MoveCursor(thumb);
        SendMessageW(next, WM_NCMOUSEMOVE, HTVSCROLL, ScreenParam(thumb));
        SendMessageW(next, WM_TIMER, HoverTimerID, 0);
        CHECK(Join(ScrollTracking.HotElement, PxAt(next, p.ThumbMiddle())) == Join(sbeThumb, ThumbHot));
        MoveCursor(ToScreen(next, TPoint(2, 2)));
        SendMessageW(next, WM_TIMER, HoverTimerID, 0);
        CHECK(Join(ScrollTracking.HotBar, PxAt(next, p.ThumbMiddle())) == Join(-1, Thumb));
        DestroyWindow(next);
        DestroyWindow(gone);
    }
}

TEST_CASE("a window that frees its adapter while it scrolls: the press ends, nothing of the adapter is touched")
{
    TScrolledFixture x;
    auto& [f, w, a, p] = x;
    a.reset();
    const LONG_PTR before = GetWindowLongPtrW(w, GWLP_WNDPROC);
    a = f.Adapt(w);
    TScrollTarget::OnRequest = [&] { a.reset(); };
    SendMessageW(w, WM_NCLBUTTONDOWN, HTVSCROLL, ScreenParam(ToScreen(w, p.SecondArrow())));
    TScrollTarget::OnRequest = nullptr;
    CHECK(Join(GetScrollPos(w, SB_VERT), GetCapture() == w, ScrollTracking.PressedElement, GetWindowLongPtrW(w, GWLP_WNDPROC) == before) ==
          Join(51, 0, -1, 1));
}
