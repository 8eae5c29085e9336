// The timer: when the system timer runs, ticks through its window, exceptions inside a tick,
// and a timer freed or released by its own tick.
#include <doctest.h>
#include "classlib/extctrls.h"
#include "classlib/forms.h"

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
