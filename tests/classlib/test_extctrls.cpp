// The timer: when the system timer runs, ticks through its window, exceptions inside a tick,
// and a timer freed or released by its own tick. The panel: bevels, border, caption and
// parent background by pixels, and form data.
#include <doctest.h>
#include "classlib/extctrls.h"
#include "classlib/forms.h"
#include "form_helpers.h"
#include "graphics_helpers.h"


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
    CHECK((ticks.Count == 1 && ticks.Sender == &t));
    // A real tick of the system, waited for at most two seconds.
    t.SetEnabled(true);
    for (const DWORD start = GetTickCount(); ticks.Count == 1 && GetTickCount() - start < 2000;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        Application->ProcessMessages();
    }
    CHECK(ticks.Count > 1);
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
    CHECK((ticks.Caught == "thrown by a tick" && ticks.CaughtSender == &kept));

    // Freed by its handler, which then throws: the application hears of no timer.
    ticks.FreeOnTick = new TTimer(nullptr);
    HWND wnd = ticks.FreeOnTick->WindowHandle();
    ticks.FreeOnTick->SetOnTimer(MakeMethod<&TTicks::OnTimer>(&ticks));
    SendMessageA(wnd, WM_TIMER, 1, 0);
    CHECK((ticks.Caught == "thrown by a tick" && ticks.CaughtSender == nullptr));
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

    panel->SetBorderStyle(bsSingle);
    CHECK((GetWindowLongA(panel->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
}
