#include "classlib/extctrls.h"

#include "classlib/graphics.h"

#include <algorithm>

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

// ---------------------------------------------------------------------------------------
// Panels

namespace {
const char* const PanelAlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};
const char* const BevelCutNames[] = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};
const char* const PanelBorderStyleNames[] = {"bsNone", "bsSingle"};

void FillOne(TCanvas* Canvas, const TRect& R, TColor Color)
{
    Canvas->Brush()->SetColor(Color);
    Canvas->FillRect(R);
}
} // namespace

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width)
{
    Canvas->Brush()->SetStyle(bsSolid);
    for (int i = 0; i < Width && !Rect.IsEmpty(); ++i) {
        const TRect& r = Rect;
        FillOne(Canvas, TRect(r.Left, r.Top, r.Right - 1, r.Top + 1), TopColor);
        FillOne(Canvas, TRect(r.Left, r.Top, r.Left + 1, r.Bottom - 1), TopColor);
        FillOne(Canvas, TRect(r.Right - 1, r.Top, r.Right, r.Bottom), BottomColor);
        FillOne(Canvas, TRect(r.Left, r.Bottom - 1, r.Right, r.Bottom), BottomColor);
        Rect = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    }
}

// The panel's own properties are published by TCustomPanel already, so that the panels of
// other layers, which build on it, have them too; the caption is each one's own.
Z_CLASS_IMPL(TCustomPanel, TCustomControl, Z_PROP_ENUM(TCustomPanel, Alignment, PanelAlignmentNames, taCenter),
             Z_PROP_ENUM(TCustomPanel, BevelInner, BevelCutNames, bvNone),
             Z_PROP_ENUM(TCustomPanel, BevelOuter, BevelCutNames, bvRaised), Z_PROP_INT(TCustomPanel, BevelWidth, 1),
             Z_PROP_INT(TCustomPanel, BorderWidth, 0),
             Z_PROP_ENUM(TCustomPanel, BorderStyle, PanelBorderStyleNames, bsNone),
             Z_PROP_BOOL(TCustomPanel, FullRepaint, true), Z_PROP_BOOL(TCustomPanel, ParentBackground, false))
Z_CLASS_IMPL(TPanel, TCustomPanel, Z_PROP_STR(TPanel, Caption))

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque | csDoubleClicks |
                    csReplicatable;
    FWidth = 185;
    FHeight = 41;
    FBevelInner = bvNone;
    FBevelOuter = bvRaised;
    FBevelWidth = 1;
    SetColor(clBtnFace);
}

void TCustomPanel::SetAlignment(TAlignment Value)
{
    if (StoreChanged(FAlignment, Value))
        Invalidate();
}

void TCustomPanel::BevelChanged()
{
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value)
{
    if (StoreChanged(FBevelInner, Value))
        BevelChanged();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value)
{
    if (StoreChanged(FBevelOuter, Value))
        BevelChanged();
}

void TCustomPanel::SetBevelWidth(int Value)
{
    if (StoreChanged(FBevelWidth, std::max(Value, 1)))
        BevelChanged();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value)
{
    RecreateOnChange(this, FBorderStyle, Value == bsNone ? bsNone : bsSingle);
}

void TCustomPanel::AdjustClientRect(TRect& Rect)
{
    TCustomControl::AdjustClientRect(Rect);
    const int bevels = ((FBevelOuter != bvNone) + (FBevelInner != bvNone)) * FBevelWidth;
    Rect = TRect(Rect.Left + bevels, Rect.Top + bevels, Rect.Right - bevels, Rect.Bottom - bevels);
}

void TCustomPanel::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    if (FBorderStyle == bsSingle) {
        if (FCtl3D)
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
    // FullRepaint decides what a change of size repaints.
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomPanel::Paint()
{
    PaintCaptioned(TAnsiCaptionText(Caption()));
}

void TCustomPanel::PaintCaptioned(const TCaptionText& Caption)
{
    TCanvas* canvas = Canvas();
    TRect r = GetClientRect();
    auto bevel = [&](TBevelCut Cut) {
        if (Cut == bvLowered)
            Frame3D(canvas, r, clBtnShadow, clBtnHighlight, FBevelWidth);
        else if (Cut != bvNone)
            Frame3D(canvas, r, clBtnHighlight, clBtnShadow, FBevelWidth);
    };
    bevel(FBevelOuter);
    Frame3D(canvas, r, FColor, FColor, FBorderWidth);
    bevel(FBevelInner);
    if (!ParentBackground())
        FillOne(canvas, r, FColor);
    if (Caption.IsEmpty())
        return;
    static const UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    canvas->SetFont(FFont.get());
    canvas->Brush()->SetStyle(bsClear);
    const UINT flags = static_cast<UINT>(DrawTextBiDiModeFlags(DT_EXPANDTABS | DT_SINGLELINE | alignments[FAlignment]));
    // One line, centred from top to bottom by its own height.
    const int h = Caption.Extent(canvas->Handle(), flags).cy;
    const int top = (r.Top + r.Bottom - h) / 2;
    TRect line(r.Left, top, r.Right, top + h);
    Caption.DrawText(canvas->Handle(), line, flags);
}

void TCustomPanel::PaintParentBackground(HDC DC)
{
    if (!FParent || !FParent->HandleAllocated()) {
        TMessage erase{WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0, 0};
        WMEraseBkgnd(erase);
        return;
    }
    // The parent paints itself (its children without windows included) into this DC, moved
    // so that its point under our top left lands on our origin.
    TSaveDCScope saved(DC);
    POINT org;
    GetWindowOrgEx(DC, &org);
    SetWindowOrgEx(DC, org.x + FLeft, org.y + FTop, nullptr);
    FParent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), reinterpret_cast<LPARAM>(DC));
    FParent->Perform(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(DC), PRF_CLIENT);
}

void TCustomPanel::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        if (!ParentBackground()) {
            TCustomControl::Dispatch(Message);
            break;
        }
        PaintParentBackground(reinterpret_cast<HDC>(Message.WParam));
        Message.Result = 1;
        break;
    case WM_SIZE:
        TCustomControl::Dispatch(Message);
        if (FFullRepaint)
            Invalidate();
        break;
    case CM_TEXTCHANGED:
        Invalidate();
        break;
    case CM_CTL3DCHANGED:
        if (FBorderStyle == bsSingle)
            RecreateWnd();
        break;
    default:
        TCustomControl::Dispatch(Message);
        break;
    }
}
