#include "classlib/extctrls.h"

#include "classlib/graphics.h"

namespace {
constexpr UINT_PTR TimerId = 1;
} // namespace

Z_CLASS_IMPL(TTimer, TComponent, Z_PROP_BOOL(TTimer, Enabled, true), Z_PROP_INT(TTimer, Interval, 1000))

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner), FAlive(std::make_shared<bool>(true))
{
    FWindowHandle = AllocateHWnd(MakeMethod<&TTimer::WndProc>(this));
}

TTimer::~TTimer()
{
    // A tick still running below us must not touch this object again.
    *FAlive = false;
    FEnabled = false;
    KillTimer(FWindowHandle, TimerId);
    DeallocateHWnd(FWindowHandle);
}

void TTimer::SetEnabled(bool Value)
{
    if (Value != FEnabled) {
        FEnabled = Value;
        UpdateTimer();
    }
}

void TTimer::SetInterval(uint32_t Value)
{
    if (Value != FInterval) {
        FInterval = Value;
        UpdateTimer();
    }
}

void TTimer::SetOnTimer(TNotifyEvent Value)
{
    FOnTimer = Value;
    UpdateTimer();
}

void TTimer::UpdateTimer()
{
    KillTimer(FWindowHandle, TimerId);
    if (FInterval != 0 && FEnabled && FOnTimer && !SetTimer(FWindowHandle, TimerId, FInterval, nullptr))
        throw EOutOfResources("Not enough timers available");
}

void TTimer::Timer()
{
    TTickScope tick(this);
    if (FOnTimer)
        FOnTimer(this);
}

void TTimer::Release()
{
    if (FTickDepth > 0) {
        FReleasePending = true;
        FEnabled = false;
        KillTimer(FWindowHandle, TimerId);
    } else {
        delete this;
    }
}

void TTimer::WndProc(TMessage& Message)
{
    if (Message.Msg != WM_TIMER) {
        Message.Result = DefWindowProcA(FWindowHandle, Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    TTickScope tick(this);
    try {
        Timer();
    } catch (...) {
        HandleCaughtException(tick.Freed() ? nullptr : this);
    }
}

TTimer::TTickScope::TTickScope(TTimer* ATimer) : FTimer(ATimer), FAlive(ATimer->FAlive)
{
    ++FTimer->FTickDepth;
}

TTimer::TTickScope::~TTickScope()
{
    if (!*FAlive)
        return;
    if (--FTimer->FTickDepth == 0 && FTimer->FReleasePending)
        delete FTimer;
}
