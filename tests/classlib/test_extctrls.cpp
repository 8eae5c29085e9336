// The timer: when the system timer runs, ticks through its window, exceptions inside a tick,
// and a timer freed by its own tick.
#include <doctest.h>
#include "classlib/extctrls.h"
#include "classlib/forms.h"

#include <memory>

namespace {

// Whether the system timer of the timer's window runs (it keeps running).
bool SystemTimerRuns(TTimer& T)
{
    if (!KillTimer(T.WindowHandle(), 1))
        return false;
    SetTimer(T.WindowHandle(), 1, T.Interval(), nullptr);
    return true;
}

struct TTicks {
    int Count = 0;
    TObject* Sender = nullptr;
    TTimer* FreeOnTick = nullptr;
    bool Throw = false;
    void OnTimer(TObject* S)
    {
        ++Count;
        Sender = S;
        if (FreeOnTick)
            delete FreeOnTick;
        if (Throw)
            throw Exception("thrown by a tick");
    }
};

// A timer whose tick releases it and then goes on using itself.
class TReleasingTimer : public TTimer {
public:
    using TTimer::TTimer;
    int Work = 0;
    bool* Gone = nullptr;
    ~TReleasingTimer() override { *Gone = true; }
    void Timer() override
    {
        TTickScope tick(this);
        Release();
        ++Work;   // still here: the release waits for the end of the tick
        CHECK_FALSE(*Gone);
    }
};

struct TCatcher {
    AnsiString Message;
    TObject* Sender = nullptr;
    void OnException(TObject* S, Exception* E)
    {
        Sender = S;
        Message = E->Message();
    }
};

void SendTick(HWND Wnd)
{
    SendMessageA(Wnd, WM_TIMER, 1, 0);
}

} // namespace

TEST_CASE("a timer runs only while enabled with an interval and a handler, and ticks into OnTimer")
{
    TTimer t(nullptr);
    TTicks ticks;
    CHECK_FALSE(SystemTimerRuns(t));   // no handler yet
    t.SetOnTimer(MakeMethod<&TTicks::OnTimer>(&ticks));
    CHECK(SystemTimerRuns(t));
    t.SetInterval(0);
    CHECK_FALSE(SystemTimerRuns(t));
    t.SetInterval(5);
    t.SetEnabled(false);
    CHECK_FALSE(SystemTimerRuns(t));

    SendTick(t.WindowHandle());
    CHECK(ticks.Count == 1);
    CHECK(ticks.Sender == &t);

    // A real tick of the system, waited for at most two seconds.
    t.SetEnabled(true);
    const DWORD start = GetTickCount();
    MSG msg;
    while (ticks.Count == 1 && GetTickCount() - start < 2000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    CHECK(ticks.Count > 1);
}

TEST_CASE("an exception in a tick goes to the application with the timer as sender")
{
    TCatcher catcher;
    auto saved = Application->OnException;
    Application->OnException = MakeMethod<&TCatcher::OnException>(&catcher);
    TTimer t(nullptr);
    TTicks ticks;
    ticks.Throw = true;
    t.SetOnTimer(MakeMethod<&TTicks::OnTimer>(&ticks));
    SendTick(t.WindowHandle());
    Application->OnException = saved;
    CHECK(catcher.Message == "thrown by a tick");
    CHECK(catcher.Sender == &t);
}

TEST_CASE("a timer freed inside its own tick")
{
    SUBCASE("by its OnTimer handler")
    {
        auto* t = new TTimer(nullptr);
        HWND wnd = t->WindowHandle();
        TTicks ticks;
        ticks.FreeOnTick = t;
        t->SetOnTimer(MakeMethod<&TTicks::OnTimer>(&ticks));
        SendTick(wnd);
        CHECK(ticks.Count == 1);
        CHECK_FALSE(IsWindow(wnd));
    }
    SUBCASE("by an exception handler after the handler freed it")
    {
        TCatcher catcher;
        auto saved = Application->OnException;
        Application->OnException = MakeMethod<&TCatcher::OnException>(&catcher);
        auto* t = new TTimer(nullptr);
        TTicks ticks;
        ticks.FreeOnTick = t;
        ticks.Throw = true;
        t->SetOnTimer(MakeMethod<&TTicks::OnTimer>(&ticks));
        SendTick(t->WindowHandle());
        Application->OnException = saved;
        CHECK(catcher.Message == "thrown by a tick");
        CHECK(catcher.Sender == nullptr);   // the timer is no more
    }
    SUBCASE("released: after the tick, from the system or called directly")
    {
        bool gone = false;
        auto* t = new TReleasingTimer(nullptr);
        t->Gone = &gone;
        SendTick(t->WindowHandle());
        CHECK(gone);
        gone = false;
        t = new TReleasingTimer(nullptr);
        t->Gone = &gone;
        t->Timer();
        CHECK(gone);
        // Outside a tick a release frees at once.
        gone = false;
        t = new TReleasingTimer(nullptr);
        t->Gone = &gone;
        t->Release();
        CHECK(gone);
    }
}
