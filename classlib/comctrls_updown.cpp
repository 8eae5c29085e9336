#include "classlib/comctrls.h"

const char* const UDAlignButtonNames[2] = {"udLeft", "udRight"};
const char* const UDOrientationNames[2] = {"udHorizontal", "udVertical"};
const char* const TabStyleNames[3] = {"tsTabs", "tsButtons", "tsFlatButtons"};
const char* const TabPositionNames[4] = {"tpTop", "tpBottom", "tpLeft", "tpRight"};

Z_CLASS_IMPL(TCustomUpDown, TWinControl)
Z_CLASS_IMPL(TUpDown, TCustomUpDown, Z_UPDOWN_PROPS(TUpDown))

TCustomUpDown::TCustomUpDown(TComponent* AOwner) : TWinControl(AOwner)
{
    // The window steps, repeats and holds the mouse itself: the library's capture would cut
    // its repeat short, and a release is no click of its own.
    FControlStyle = csDoubleClicks;
    FWidth = GetSystemMetrics(SM_CXVSCROLL);
    FHeight = 2 * GetSystemMetrics(SM_CYVSCROLL);
    FTabStop = false;
}

TCustomUpDown::~TCustomUpDown()
{
    DestroyWindowFirst();
    if (FAssociate)
        FAssociate->RemoveFreeNotification(this);
}

void TCustomUpDown::CreateParams(TCreateParams& Params)
{
    InitCommonControlClasses(ICC_UPDOWN_CLASS);
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, UPDOWN_CLASSA);
    Params.Style |= UDS_SETBUDDYINT | (FAlignButton == udLeft ? UDS_ALIGNLEFT : UDS_ALIGNRIGHT);
    if (FOrientation == udHorizontal)
        Params.Style |= UDS_HORZ;
    if (FArrowKeys)
        Params.Style |= UDS_ARROWKEYS;
    if (!FThousands)
        Params.Style |= UDS_NOTHOUSANDS;
    if (FWrap)
        Params.Style |= UDS_WRAP;
}

void TCustomUpDown::CreateWnd()
{
    TWinControl::CreateWnd();
    ApplyRange();
    ApplyIncrement();
    SendMessageA(FHandle, UDM_SETPOS32, 0, FPosition);
    ApplyBuddy();
}

void TCustomUpDown::DestroyWnd()
{
    if (FHandle)
        FPosition = Position();
    TWinControl::DestroyWnd();
}

void TCustomUpDown::ApplyRange()
{
    if (FHandle)
        SendMessageA(FHandle, UDM_SETRANGE32, static_cast<WPARAM>(FMin), static_cast<LPARAM>(FMax));
}

void TCustomUpDown::ApplyIncrement()
{
    if (!FHandle)
        return;
    UDACCEL accel{0, static_cast<UINT>(FIncrement)};
    SendMessageA(FHandle, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
}

void TCustomUpDown::ApplyBuddy()
{
    if (!FHandle || !FAssociate || IsDesigning())
        return;
    // The window reads the buddy's text before each step: the buddy starts from the position.
    const int pos = Position();
    SendMessageA(FHandle, UDM_SETBUDDY, reinterpret_cast<WPARAM>(FAssociate->Handle()), 0);
    SendMessageA(FHandle, UDM_SETPOS32, 0, pos);
}

void TCustomUpDown::SetAssociate(TWinControl* Value)
{
    if (Value == FAssociate || Value == this)
        return;
    if (FAssociate) {
        FAssociate->RemoveFreeNotification(this);
        if (FHandle)
            SendMessageA(FHandle, UDM_SETBUDDY, 0, 0);
    }
    FAssociate = Value;
    if (FAssociate) {
        FAssociate->FreeNotification(this);
        ApplyBuddy();
    }
}

void TCustomUpDown::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == FAssociate) {
        FAssociate = nullptr;
        if (FHandle)
            SendMessageA(FHandle, UDM_SETBUDDY, 0, 0);
    }
}

void TCustomUpDown::SetMin(int Value)
{
    if (StoreChanged(FMin, Value))
        ApplyRange();
}

void TCustomUpDown::SetMax(int Value)
{
    if (StoreChanged(FMax, Value))
        ApplyRange();
}

void TCustomUpDown::SetIncrement(int Value)
{
    if (StoreChanged(FIncrement, Value))
        ApplyIncrement();
}

void TCustomUpDown::SetOrientation(TUDOrientation Value)
{
    if (!StoreChanged(FOrientation, Value))
        return;
    if (!IsLoading() && !(ComponentState() & csReading))
        SetBounds(FLeft, FTop, FHeight, FWidth);
    RecreateWnd();
}

int TCustomUpDown::Position()
{
    if (FHandle) {
        BOOL failed = FALSE;
        const int pos = static_cast<int>(SendMessageA(FHandle, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
        if (!failed)
            FPosition = pos;
    }
    return FPosition;
}

void TCustomUpDown::SetPosition(int Value)
{
    FPosition = Value;
    if (FHandle)
        SendMessageA(FHandle, UDM_SETPOS32, 0, Value);
}

bool TCustomUpDown::CanChange(int NewValue, TUpDownDirection Direction)
{
    bool allow = true;
    if (OnChanging)
        OnChanging(this, allow);
    if (OnChangingEx)
        OnChangingEx(this, allow, NewValue, Direction);
    return allow;
}

void TCustomUpDown::StepClick(TUDBtnType Button)
{
    if (OnClick)
        OnClick(this, Button);
}

void TCustomUpDown::CNNotify(TMessage& Message)
{
    auto* nm = reinterpret_cast<NMUPDOWN*>(Message.LParam);
    if (!nm || nm->hdr.code != UDN_DELTAPOS)
        return;
    FStepDirection = nm->iDelta > 0 ? updUp : nm->iDelta < 0 ? updDown : updNone;
    FStepAllowed = CanChange(nm->iPos + nm->iDelta, FStepDirection);
    Message.Result = FStepAllowed ? 0 : 1;
}

void TCustomUpDown::CNScroll(TMessage& Message)
{
    // The window tells of every press, a refused one too: only an allowed step clicks.
    if (LOWORD(Message.WParam) != SB_THUMBPOSITION)
        return;
    FPosition = static_cast<int16_t>(HIWORD(Message.WParam));
    Position();
    if (FStepAllowed && FStepDirection != updNone)
        StepClick(FStepDirection == updUp ? btNext : btPrev);
    FStepAllowed = false;
}

void TCustomUpDown::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_NOTIFY:
        CNNotify(Message);
        return;
    case CN_HSCROLL:
    case CN_VSCROLL:
        CNScroll(Message);
        return;
    default:
        TWinControl::Dispatch(Message);
    }
}
