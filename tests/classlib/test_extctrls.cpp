#include <doctest.h>
#include "classlib/extctrls.h"
#include "classlib/forms.h"
#include "form_helpers.h"
#include "graphics_helpers.h"
#include "splitpanes.h"

namespace {

// Whether the system timer of the timer's window runs (it goes on running).
bool SystemTimerRuns(TTimer& T)
{
    const bool runs = KillTimer(T.WindowHandle(), 1);
    if (runs)
        SetTimer(T.WindowHandle(), 1, T.Interval(), nullptr);
    return runs;
}

struct TTicks {
    int Count = 0;
    TObject* Sender = nullptr;
    TTimer* FreeOnTick = nullptr;
    bool Throw = false;
    AnsiString Caught;
    TObject* CaughtSender = nullptr;
    void OnTimer(TObject* S)
    {
        ++Count;
        Sender = S;
        delete FreeOnTick;
        if (Throw)
            throw Exception("thrown by a tick");
    }
    void OnException(TObject* S, Exception* E)
    {
        CaughtSender = S;
        Caught = E->Message();
    }
};

// A timer whose tick releases it and then goes on using itself.
struct TReleasingTimer : TTimer {
    using TTimer::TTimer;
    bool* Gone = nullptr;
    ~TReleasingTimer() override { *Gone = true; }
    void Timer() override
    {
        TTickScope tick(this);
        Release();
        CHECK_FALSE(*Gone);   // the release waits for the end of the tick
    }
};

} // namespace

TEST_CASE("a timer runs only while enabled with an interval and a handler, and ticks into OnTimer")
{
    TTimer t(nullptr);
    TTicks ticks;
    CHECK_FALSE(SystemTimerRuns(t));
    t.SetOnTimer(MakeMethod<&TTicks::OnTimer>(&ticks));
    CHECK(SystemTimerRuns(t));
    t.SetInterval(0);
    CHECK_FALSE(SystemTimerRuns(t));
    t.SetInterval(5);
    t.SetEnabled(false);
    CHECK_FALSE(SystemTimerRuns(t));
    SendMessageA(t.WindowHandle(), WM_TIMER, 1, 0);
    CHECK(ticks.Count == 1);
    CHECK(ticks.Sender == &t);
}

TEST_CASE("a timer freed or released inside its own tick; exceptions go to the application")
{
    TTicks ticks;
    auto saved = Application->OnException;
    Application->OnException = MakeMethod<&TTicks::OnException>(&ticks);
    TTimer kept(nullptr);
    ticks.Throw = true;
    kept.SetOnTimer(MakeMethod<&TTicks::OnTimer>(&ticks));
    SendMessageA(kept.WindowHandle(), WM_TIMER, 1, 0);
    CHECK(ticks.Caught == "thrown by a tick");
    CHECK(ticks.CaughtSender == &kept);

    // Freed by its handler, which then throws: the application hears of no timer.
    ticks.FreeOnTick = new TTimer(nullptr);
    HWND wnd = ticks.FreeOnTick->WindowHandle();
    ticks.FreeOnTick->SetOnTimer(MakeMethod<&TTicks::OnTimer>(&ticks));
    SendMessageA(wnd, WM_TIMER, 1, 0);
    CHECK(ticks.Caught == "thrown by a tick");
    CHECK(ticks.CaughtSender == nullptr);
    CHECK_FALSE(IsWindow(wnd));
    ticks.FreeOnTick = nullptr;
    Application->OnException = saved;

    // Released: after a tick from the system or called directly, at once outside a tick.
    for (int how = 0; how < 3; ++how) {
        bool gone = false;
        auto* t = new TReleasingTimer(nullptr);
        t->Gone = &gone;
        if (how == 0)
            SendMessageA(t->WindowHandle(), WM_TIMER, 1, 0);
        else if (how == 1)
            t->Timer();
        else
            t->Release();
        CHECK(gone);
    }
}

// ---------------------------------------------------------------------------------------
// Splitter

namespace {

// A white form, 300 x 200 inside: a control aligned to the splitter's side, the splitter,
// and a control filling the rest; each drag goes through the form's window as the mouse's
// messages would.
struct TSplitFixture {
    std::unique_ptr<TForm> Form = MakeForm(300, 200);
    TWinControl* Side = nullptr;
    TSplitter* Splitter = nullptr;
    TWinControl* Rest = nullptr;
    int Moved = 0;
    int Asked = 0;
    bool Refuse = false;

    explicit TSplitFixture(TAlign A = alLeft)
    {
        Form->SetColor(clWhite);
        Form->HandleNeeded();
        Form->SetClientSize(300, 200);
        Rest = Add<TWinControl>(Form.get(), 0, 0, 10, 10);
        Rest->SetAlign(alClient);
        const bool atEnd = A == alRight || A == alBottom;
        Side = Add<TWinControl>(Form.get(), atEnd ? 300 : 0, atEnd ? 200 : 0, 100, 100);
        Side->SetAlign(A);
        Splitter = new TSplitter(Form.get());
        Splitter->SetBounds(atEnd ? 150 : 100, atEnd ? 150 : 100, 3, 3);
        Splitter->SetAlign(A);
        Splitter->SetParent(Form.get());
        Splitter->SetColor(clBlack);
        Splitter->OnMoved = MakeMethod<&TSplitFixture::OnMoved>(this);
        Splitter->OnCanResize = MakeMethod<&TSplitFixture::OnCanResize>(this);
        ShowOnTop(Form.get());
    }
    void OnMoved(TObject*) { ++Moved; }
    void OnCanResize(TObject*, int&, bool& Accept)
    {
        ++Asked;
        Accept = !Refuse;
    }
    // The splitter's middle, in the form's client coordinates.
    TPoint Middle() const
    {
        return TPoint(Splitter->Left() + Splitter->Width() / 2, Splitter->Top() + Splitter->Height() / 2);
    }
    void Send(UINT Msg, WPARAM Keys, TPoint P) { SendMessageA(Form->Handle(), Msg, Keys, MAKELPARAM(P.X, P.Y)); }
    // Presses the splitter and moves the mouse by (DX, DY).
    void PressAndMove(int DX, int DY)
    {
        Start = Middle();
        Send(WM_LBUTTONDOWN, MK_LBUTTON, Start);
        Send(WM_MOUSEMOVE, MK_LBUTTON, TPoint(Start.X + DX, Start.Y + DY));
    }
    void Release(int DX, int DY) { Send(WM_LBUTTONUP, 0, TPoint(Start.X + DX, Start.Y + DY)); }
    COLORREF ScreenPixel(int X, int Y)
    {
        TClientDC dc(Form->Handle());
        return GetPixel(dc.Handle(), X, Y);
    }
    TPoint Start;
};

} // namespace

TEST_CASE("a splitter drag resizes the control it lies against, in each resize style")
{
    SUBCASE("rsPattern and rsLine show a line on the parent and resize on the release")
    {
        for (TResizeStyle style : {rsPattern, rsLine}) {
            TSplitFixture f;
            f.Splitter->SetResizeStyle(style);
            CHECK(f.Splitter->FindResizedControl() == f.Side);
            f.PressAndMove(40, 0);
            CHECK(f.Splitter->Sizing());
            CHECK(f.Splitter->LineVisible());
            CHECK(f.Side->Width() == 100);
            // The white form shows the line inverted where the splitter will be: every pixel
            // for a line, every other one for the pattern.
            const int black = (f.ScreenPixel(140, 60) == 0) + (f.ScreenPixel(141, 60) == 0);
            CHECK(black == (style == rsLine ? 2 : 1));
            CHECK(f.ScreenPixel(120, 60) == 0xFFFFFF);
            f.Release(40, 0);
            CHECK_FALSE(f.Splitter->Sizing());
            CHECK(f.Side->Width() == 140);
            CHECK(f.Splitter->Left() == 140);
            CHECK(f.Moved == 1);
        }
    }
    SUBCASE("rsUpdate resizes on every move, rsNone only on the release")
    {
        TSplitFixture f;
        f.Splitter->SetResizeStyle(rsUpdate);
        f.PressAndMove(-30, 0);
        CHECK(f.Side->Width() == 70);
        CHECK(f.Moved == 1);
        CHECK_FALSE(f.Splitter->LineVisible());
        f.Send(WM_MOUSEMOVE, MK_LBUTTON, TPoint(f.Start.X - 20, f.Start.Y));
        CHECK(f.Side->Width() == 80);
        CHECK(f.Moved == 2);
        f.Release(-20, 0);
        CHECK(f.Moved == 2);

        // Beveled: a shadow line on the left and a highlight line on the right of the bar.
        f.Splitter->SetBeveled(true);
        const int x = f.Splitter->Left();
        CHECK(f.ScreenPixel(x, 50) == COLORREF(ColorToRGB(clBtnShadow)));
        CHECK(f.ScreenPixel(x + 1, 50) == 0);
        CHECK(f.ScreenPixel(x + 2, 50) == COLORREF(ColorToRGB(clBtnHighlight)));

        TSplitFixture g;
        g.Splitter->SetResizeStyle(rsNone);
        g.PressAndMove(25, 0);
        CHECK(g.Side->Width() == 100);
        CHECK_FALSE(g.Splitter->LineVisible());
        g.Release(25, 0);
        CHECK(g.Side->Width() == 125);
    }
    SUBCASE("a control aligned right or at the bottom keeps its far edge")
    {
        TSplitFixture right(alRight);
        right.Splitter->SetResizeStyle(rsUpdate);
        right.PressAndMove(-50, 0);
        CHECK(right.Side->BoundsRect() == TRect(150, 0, 300, 200));
        TSplitFixture bottom(alBottom);
        CHECK(bottom.Splitter->Cursor() == crVSplit);
        bottom.Splitter->SetResizeStyle(rsUpdate);
        bottom.PressAndMove(0, 30);
        CHECK(bottom.Side->BoundsRect() == TRect(0, 130, 300, 200));
        bottom.Release(0, 30);
    }
}

TEST_CASE("a splitter keeps the size between MinSize and the room left, snaps, and asks first")
{
    TSplitFixture f;
    f.Splitter->SetResizeStyle(rsUpdate);
    // At most the client width less the splitter and MinSize for the other side.
    f.PressAndMove(400, 0);
    CHECK(f.Side->Width() == 300 - 3 - 30);
    // Below MinSize: snapped away with AutoSnap, else held at MinSize.
    f.Send(WM_MOUSEMOVE, MK_LBUTTON, TPoint(f.Start.X - 80, f.Start.Y));
    CHECK(f.Side->Width() == 0);
    f.Splitter->SetAutoSnap(false);
    f.Send(WM_MOUSEMOVE, MK_LBUTTON, TPoint(f.Start.X - 85, f.Start.Y));
    CHECK(f.Side->Width() == 30);
    // OnCanResize is asked at every move and may keep the size.
    f.Refuse = true;
    const int asked = f.Asked;
    f.Send(WM_MOUSEMOVE, MK_LBUTTON, TPoint(f.Start.X + 10, f.Start.Y));
    CHECK(f.Side->Width() == 30);
    CHECK(f.Asked == asked + 1);
    f.Release(10, 0);
    CHECK(f.Side->Width() == 30);
}

TEST_CASE("two splitters on one parent keep three panes in order, and never resize each other")
{
    auto form = MakeForm(420, 200);
    form->HandleNeeded();
    form->SetClientSize(400, 200);
    ShowOnTop(form.get());
    CheckSplitPaneSequences<TSplitter>(form.get());
}

TEST_CASE("a splitter whose press is lost to another window ends the drag without resizing")
{
    TSplitFixture f;
    f.PressAndMove(40, 0);
    REQUIRE(f.Splitter->LineVisible());
    TForm other(nullptr);
    SetCapture(other.Handle());
    CHECK_FALSE(f.Splitter->Sizing());
    CHECK_FALSE(f.Splitter->LineVisible());
    CHECK(f.ScreenPixel(140, 60) == 0xFFFFFF);
    CHECK(f.ScreenPixel(141, 60) == 0xFFFFFF);
    CHECK(GetCaptureControl() != f.Splitter);
    ReleaseCapture();
    f.Release(40, 0);
    CHECK(f.Side->Width() == 100);
    CHECK(f.Moved == 0);
}

// ---------------------------------------------------------------------------------------
// Panels

TEST_CASE("a panel frames its children with bevels and a border and centres its caption")
{
    auto form = MakeForm(320, 220);
    auto* panel = Add<TPanel>(form.get(), 10, 10, 200, 100);
    panel->SetColor(clYellow);
    panel->SetBevelInner(bvLowered);
    panel->SetBevelWidth(2);
    panel->SetBorderWidth(3);
    panel->Font()->SetName("Tahoma");
    panel->Font()->SetColor(clBlack);
    panel->SetCaption("Panel");
    auto* child = Add<TPanel>(panel, 0, 0, 10, 10);
    child->SetAlign(alClient);
    CHECK(child->BoundsRect() == TRect(7, 7, 193, 93));   // 2 + 3 + 2 in from each side
    child->SetAlign(alNone);
    child->SetBounds(20, 20, 30, 15);
    child->SetBevelOuter(bvNone);

    TBitmap bmp;
    NewBmp24(bmp, 200, 100, clTeal);
    auto render = [&] {
        panel->PaintTo(bmp.Canvas()->Handle(), 0, 0);
        GdiFlush();
    };
    render();
    const TColor light = ColorToRGB(clBtnHighlight), shadow = ColorToRGB(clBtnShadow);
    // Raised outside (the two far corners dark), the border in the panel's colour, lowered
    // inside; a child without ParentBackground in its own colour.
    CheckPixels(bmp, {{100, 0, light},    {100, 1, light},    {0, 50, light},      {199, 0, shadow},
                      {0, 99, shadow},    {100, 99, shadow},  {198, 50, shadow},   {100, 2, clYellow},
                      {100, 4, clYellow}, {100, 5, shadow},   {6, 50, shadow},     {100, 94, light},
                      {193, 50, light},   {100, 7, clYellow}, {30, 30, ColorToRGB(clBtnFace)}});
    // The caption's ink within its line, centred inside the inner bevel.
    TBitmap probe;
    probe.Canvas()->SetFont(panel->Font());
    const TSize text = probe.Canvas()->TextExtent("Panel");
    const TRect line = Bounds(7 + (186 - text.cx) / 2, 7 + (86 - text.cy) / 2, text.cx, text.cy);
    TRect ink = Extent(bmp, TRect(7, 7, 193, 93), clBlack);
    CHECK(ink.Left >= line.Left);
    CHECK(ink.Right <= line.Right);
    CHECK(ink.Top >= line.Top);
    CHECK(ink.Bottom <= line.Bottom);

    panel->SetAlignment(taLeftJustify);
    child->SetParentBackground(true);
    render();
    ink = Extent(bmp, TRect(7, 7, 193, 93), clBlack);
    CHECK(ink.Left >= 7);
    CHECK(ink.Left <= 9);
    CHECK(PixelAt(bmp, 30, 30) == clYellow);   // what its parent paints there
}
