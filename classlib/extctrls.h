// The timer component: a window timer of the user-interface thread, ticking into a hidden
// window of its own.
#pragma once

#include "classlib/classes.h"

#include <cstdint>
#include <memory>

class TTimer : public TComponent {
    Z_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    // Published: Enabled (default true), Interval (milliseconds, default 1000). The system
    // timer runs only while Enabled, Interval is not 0 and OnTimer is assigned; each change
    // starts the interval anew. EOutOfResources "Not enough timers available" when the
    // system has none left.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    uint32_t Interval() const { return FInterval; }
    void SetInterval(uint32_t Value);
    // Like every event of the library, not in the property table.
    TNotifyEvent OnTimer() const { return FOnTimer; }
    void SetOnTimer(TNotifyEvent Value);

    // One tick: fires OnTimer. Descendants that do their own work on a tick override it.
    // Ticks from the system come through the hidden window, where an exception is handed to
    // the application's handler.
    virtual void Timer();

    // The timer may be freed from inside its own tick (OnTimer or Timer()). Release frees it
    // at once outside a tick, and after the outermost tick has returned inside one: for code
    // that is told something by the tick and wants the timer gone.
    void Release();
    bool InTick() const { return FTickDepth > 0; }
    // The hidden window that receives WM_TIMER.
    HWND WindowHandle() const { return FWindowHandle; }

protected:
    // Marks a tick for as long as it lives. Timer() of a descendant opens one around its
    // work; when the timer is freed meanwhile, Freed() says so and nothing of it is touched
    // again; a Release asked for inside is carried out when the outermost one ends.
    class TTickScope {
    public:
        explicit TTickScope(TTimer* ATimer);
        ~TTickScope();
        TTickScope(const TTickScope&) = delete;
        TTickScope& operator=(const TTickScope&) = delete;
        bool Freed() const { return !*FAlive; }

    private:
        TTimer* FTimer;
        std::shared_ptr<bool> FAlive;
    };

private:
    void UpdateTimer();
    void WndProc(TMessage& Message);

    HWND FWindowHandle = nullptr;
    bool FEnabled = true;
    uint32_t FInterval = 1000;
    TNotifyEvent FOnTimer;
    // Cleared when the timer is freed; every tick running holds it.
    std::shared_ptr<bool> FAlive;
    int FTickDepth = 0;
    bool FReleasePending = false;
};
