#include "classlib/extctrls.h"

#include "classlib/gdihandles.h"
#include "classlib/graphics.h"

#include <algorithm>
#include <utility>

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
// TSplitter

namespace {
const char* const ResizeStyleNames[] = {"rsNone", "rsLine", "rsUpdate", "rsPattern"};
} // namespace

Z_CLASS_IMPL(TSplitter, TGraphicControl, Z_PROP_ENUM(TSplitter, Align, AlignNames, alLeft),
             Z_PROP_BOOL(TSplitter, AutoSnap, true), Z_PROP_BOOL(TSplitter, Beveled, false),
             Z_PROP_INT(TSplitter, MinSize, 30), Z_PROP_ENUM(TSplitter, ResizeStyle, ResizeStyleNames, rsPattern),
             Z_PROP_INT(TSplitter, Width, 3))

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner)
{
    FAlign = alLeft;
    FWidth = 3;
    FHeight = 100;
    FCursor = crHSplit;
}

TSplitter::~TSplitter()
{
    ReleaseLineDC();
}

void TSplitter::SetBeveled(bool Value)
{
    if (StoreChanged(FBeveled, Value))
        Repaint();
}

TControl* TSplitter::FindResizedControl()
{
    if (!FParent)
        return nullptr;
    // A point just outside the aligned side.
    TPoint p(FLeft, FTop);
    switch (FAlign) {
    case alLeft: --p.X; break;
    case alRight: p.X += FWidth; break;
    case alTop: --p.Y; break;
    case alBottom: p.Y += FHeight; break;
    default: return nullptr;
    }
    // Of the controls there: the one snapped shut against this splitter, else the first of
    // the others, and one another splitter snapped shut only when there is nothing else.
    TControl* found = nullptr;
    int foundRank = 3;
    for (int i = 0; i < FParent->ControlCount(); ++i) {
        TControl* c = FParent->Controls(i);
        if (dynamic_cast<TSplitter*>(c) || !c->Visible() || !c->Enabled())
            continue;
        TRect r = c->BoundsRect();
        // A control snapped to nothing still lies against the splitter.
        if (r.Width() == 0) {
            if (FAlign == alTop || FAlign == alLeft)
                --r.Left;
            else
                ++r.Right;
        }
        if (r.Height() == 0) {
            if (FAlign == alTop || FAlign == alLeft)
                --r.Top;
            else
                ++r.Bottom;
        }
        const int rank = SnappedAgainst(c) ? 0 : SizeAcross(c) != 0 ? 1 : 2;
        if (r.Contains(p) && rank < foundRank) {
            found = c;
            foundRank = rank;
        }
    }
    return found;
}

TControl* TSplitter::SnappedControl() const
{
    return FSnapped && FParent && FSnapped->Parent() == FParent && SizeAcross(FSnapped) == 0 ? FSnapped : nullptr;
}

bool TSplitter::SnappedAgainst(TControl* C) const
{
    if (!C || !FParent || C->Parent() != FParent || SizeAcross(C) != 0 || dynamic_cast<TSplitter*>(C))
        return false;
    if (C == SnappedControl())
        return true;
    const bool against = Vertical() ? (C->Left() == FLeft || C->Left() == FLeft + FWidth) && C->Top() < FTop + FHeight &&
                                          FTop < C->Top() + C->Height()
                                    : (C->Top() == FTop || C->Top() == FTop + FHeight) && C->Left() < FLeft + FWidth &&
                                          FLeft < C->Left() + C->Width();
    if (!against)
        return false;
    for (int i = 0; i < FParent->ControlCount(); ++i)
        if (auto* other = dynamic_cast<TSplitter*>(FParent->Controls(i)); other && other != this &&
                                                                          other->SnappedControl() == C)
            return false;
    return true;
}

void TSplitter::PutAgainst(TControl* C)
{
    if (FAlign == alLeft)
        C->SetLeft(FLeft);
    else if (FAlign == alTop)
        C->SetTop(FTop);
}

void TSplitter::SetSnapped(TControl* C)
{
    TControl* old = std::exchange(FSnapped, C);
    if (C)
        C->FreeNotification(this);
    if (old != C)
        LetGo(old);
}

void TSplitter::LetGo(TControl* C)
{
    if (C && C != FControl && C != FSnapped)
        C->RemoveFreeNotification(this);
}

bool TSplitter::DoCanResize(int& NewSize)
{
    bool accept = true;
    if (OnCanResize)
        OnCanResize(this, NewSize, accept);
    if (accept && FAutoSnap && NewSize <= FMinSize)
        NewSize = 0;
    return accept;
}

void TSplitter::CalcSplitSize(int X, int Y, int& NewSize, int& Split)
{
    Split = Vertical() ? X - FDownPos.X : Y - FDownPos.Y;
    int size = 0;
    switch (FAlign) {
    case alLeft: size = FControl->Width() + Split; break;
    case alRight: size = FControl->Width() - Split; break;
    case alTop: size = FControl->Height() + Split; break;
    case alBottom: size = FControl->Height() - Split; break;
    default: break;
    }
    NewSize = std::clamp(size, std::min(FMinSize, FMaxSize), FMaxSize);
    if (size != NewSize) {
        // The line stops where the size stops.
        if (FAlign == alRight || FAlign == alBottom)
            Split -= NewSize - size;
        else
            Split += NewSize - size;
    }
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || Sizing())
        return;
    // The alignment puts a splitter before a control of size 0 at its place: the control
    // this splitter snapped shut may lie past it by now, and goes back to be found.
    if (TControl* snapped = SnappedControl())
        PutAgainst(snapped);
    FControl = FindResizedControl();
    FDownPos = TPoint(X, Y);
    if (!FControl)
        return;
    FControl->FreeNotification(this);
    // The room the parent has for the control: its client size less the other controls
    // aligned on the same axis (the splitter among them) and MinSize for the far side.
    const bool vertical = Vertical();
    FMaxSize = (vertical ? FParent->ClientWidth() : FParent->ClientHeight()) - FMinSize;
    for (int i = 0; i < FParent->ControlCount(); ++i) {
        TControl* c = FParent->Controls(i);
        if (!c->Visible())
            continue;
        if (vertical && (c->Align() == alLeft || c->Align() == alRight))
            FMaxSize -= c->Width();
        else if (!vertical && (c->Align() == alTop || c->Align() == alBottom))
            FMaxSize -= c->Height();
    }
    FMaxSize += vertical ? FControl->Width() : FControl->Height();
    FOldSize = vertical ? FControl->Width() : FControl->Height();
    // A press alone changes no size: only a move proposes one.
    FNewSize = FOldSize;
    FSplit = 0;
    AllocateLineDC();
    if (FResizeStyle == rsLine || FResizeStyle == rsPattern)
        DrawLine();
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!(Shift & ssLeft) || !Sizing())
        return;
    int newSize = 0, split = 0;
    CalcSplitSize(X, Y, newSize, split);
    if (!DoCanResize(newSize))
        return;
    const bool line = FResizeStyle == rsLine || FResizeStyle == rsPattern;
    if (line)
        DrawLine();   // off at the old place
    FNewSize = newSize;
    FSplit = split;
    if (FResizeStyle == rsUpdate)
        UpdateControlSize();
    else if (line)
        DrawLine();
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!Sizing())
        return;
    if (FLineVisible)
        DrawLine();
    UpdateControlSize();
    StopSizing();
}

void TSplitter::UpdateControlSize()
{
    if (!FControl || FNewSize == FOldSize)
        return;
    switch (FAlign) {
    case alLeft:
        FControl->SetWidth(FNewSize);
        break;
    case alTop:
        FControl->SetHeight(FNewSize);
        break;
    case alRight:
        // The control keeps its right edge: moved and sized at once, aligned once.
        FParent->DisableAlign();
        FControl->SetBounds(FControl->Left() + FControl->Width() - FNewSize, FControl->Top(), FNewSize,
                            FControl->Height());
        FParent->EnableAlign();
        break;
    case alBottom:
        FParent->DisableAlign();
        FControl->SetBounds(FControl->Left(), FControl->Top() + FControl->Height() - FNewSize, FControl->Width(),
                            FNewSize);
        FParent->EnableAlign();
        break;
    default:
        break;
    }
    Update();
    FOldSize = FNewSize;
    if (FNewSize == 0)
        SetSnapped(FControl);
    else if (FControl == FSnapped)
        SetSnapped(nullptr);
    if (OnMoved)
        OnMoved(this);
}

void TSplitter::StopSizing()
{
    if (FLineVisible)
        DrawLine();
    LetGo(std::exchange(FControl, nullptr));
    ReleaseLineDC();
}

void TSplitter::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FSnapped)
        FSnapped = nullptr;
    if (AComponent == FControl) {
        FControl = nullptr;
        StopSizing();
    }
}

void TSplitter::AllocateLineDC()
{
    if (FLineDC || !FParent || !FParent->HandleAllocated())
        return;
    FLineDC = GetDCEx(FParent->WindowHandle(), nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_LOCKWINDOWUPDATE);
    if (FResizeStyle != rsPattern || !FLineDC)
        return;
    // A checkerboard of one-pixel squares: the line shows what lies under it.
    static const WORD bits[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    TOwnedBitmap pattern(CreateBitmap(8, 8, 1, 1, bits));
    FBrush = CreatePatternBrush(pattern.Handle());
    FPrevBrush = SelectObject(FLineDC, FBrush);
}

void TSplitter::ReleaseLineDC()
{
    if (!FLineDC)
        return;
    if (FPrevBrush)
        SelectObject(FLineDC, FPrevBrush);
    ReleaseDC(FParent ? FParent->WindowHandle() : nullptr, FLineDC);
    if (FBrush)
        DeleteObject(FBrush);
    FLineDC = nullptr;
    FBrush = nullptr;
    FPrevBrush = nullptr;
}

void TSplitter::DrawLine()
{
    if (!FLineDC)
        return;
    FLineVisible = !FLineVisible;
    // The inverted band where the splitter would lie at the new size; a second draw undoes it.
    TPoint p(FLeft, FTop);
    if (Vertical())
        p.X += FSplit;
    else
        p.Y += FSplit;
    PatBlt(FLineDC, p.X, p.Y, FWidth, FHeight, PATINVERT);
}

void TSplitter::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(FColor);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
    if (FBeveled) {
        // A highlight line one pixel down and right, a shadow line one up and left.
        if (Vertical())
            InflateRect(r.Win(), -1, 2);
        else
            InflateRect(r.Win(), 2, -1);
        OffsetRect(r.Win(), 1, 1);
        TOwnedBrush light(CreateSolidBrush(COLORREF(ColorToRGB(clBtnHighlight))));
        FrameRect(c->Handle(), r.Win(), light.Handle());
        OffsetRect(r.Win(), -2, -2);
        TOwnedBrush shadow(CreateSolidBrush(COLORREF(ColorToRGB(clBtnShadow))));
        FrameRect(c->Handle(), r.Win(), shadow.Handle());
    }
    if (IsDesigning()) {
        c->Pen()->SetStyle(psDot);
        c->Pen()->SetMode(pmXor);
        c->Pen()->SetColor(TColor(0xFFD8CE));
        c->Brush()->SetStyle(bsClear);
        c->Rectangle(0, 0, FWidth, FHeight);
    }
    if (OnPaint)
        OnPaint(this);
}

void TSplitter::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_CANCELMODE:
        // The press is lost (another window took the mouse): the drag ends where it is.
        TGraphicControl::Dispatch(Message);
        if (Sizing())
            StopSizing();
        break;
    case WM_WINDOWPOSCHANGED:
        // The split cursors follow the alignment; another cursor is left as it is.
        if (FCursor == crHSplit || FCursor == crVSplit)
            FCursor = (FAlign == alTop || FAlign == alBottom) ? crVSplit : crHSplit;
        TGraphicControl::Dispatch(Message);
        break;
    default:
        TGraphicControl::Dispatch(Message);
        break;
    }
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
    AddBorderStyle(Params, FBorderStyle);
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
