// The group box: a frame with its caption in it, painted by the control itself.
#include "classlib/stdctrls_shared.h"

// ---------------------------------------------------------------------------------------
// TCustomGroupBox

Z_CLASS_IMPL(TCustomGroupBox, TCustomControl)
Z_CLASS_IMPL(TGroupBox, TCustomGroupBox, Z_PROP_CAPTION(TGroupBox))

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner)
{
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks |
                    csReplicatable;
    FWidth = 185;
    FHeight = 105;
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect)
{
    TCustomControl::AdjustClientRect(Rect);
    // Measured on the screen: laying out the children needs no window of the box.
    int inset = FCtl3D ? 2 : 1;
    Rect = TRect(Rect.Left + inset, Rect.Top + FontMetrics(FFont.get()).tmHeight + inset, Rect.Right - inset,
                 Rect.Bottom - inset);
}

void TCustomGroupBox::Paint()
{
    PaintCaptioned(TAnsiCaptionText(Text()));
}

void TCustomGroupBox::PaintCaptioned(const TCaptionText& Caption)
{
    TCanvas* canvas = Canvas();
    canvas->SetFont(FFont.get());
    int h = canvas->TextHeight("0");
    TRect r(0, h / 2 - 1, FWidth, FHeight);
    if (FCtl3D) {
        // A light frame one pixel down and right of the dark one: an etched line.
        r = TRect(r.Left + 1, r.Top + 1, r.Right, r.Bottom);
        canvas->Brush()->SetColor(clBtnHighlight);
        canvas->FrameRect(r);
        r = TRect(r.Left - 1, r.Top - 1, r.Right - 1, r.Bottom - 1);
        canvas->Brush()->SetColor(clBtnShadow);
    } else {
        canvas->Brush()->SetColor(clWindowFrame);
    }
    canvas->FrameRect(r);
    if (Caption.IsEmpty())
        return;
    // The caption interrupts the frame: it stands on the box's colour.
    UINT flags = static_cast<UINT>(DrawTextBiDiModeFlags(DT_SINGLELINE));
    TSize size = Caption.Extent(canvas->Handle(), flags);
    int left = UseRightToLeftAlignment() ? FWidth - size.cx - 8 : 8;
    TRect tr = Bounds(left, 0, size.cx, size.cy);
    canvas->Brush()->SetColor(FColor);
    Caption.DrawText(canvas->Handle(), tr, flags);
}

void TCustomGroupBox::FocusFirstControl()
{
    TWinControl* first = FindNextControl(nullptr, true, true, false);
    if (!first)
        first = FindNextControl(nullptr, true, false, false);
    if (first)
        first->SetFocus();
}

void TCustomGroupBox::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_DIALOGCHAR:
        if (IsAccel(TWMKey(Message).CharCode, Caption()) && CanFocus()) {
            FocusFirstControl();
            Message.Result = 1;
            break;
        }
        TCustomControl::Dispatch(Message);
        break;
    case CM_TEXTCHANGED:
    case CM_CTL3DCHANGED:
        Invalidate();
        Realign();
        break;
    case CM_FONTCHANGED:
        TCustomControl::Dispatch(Message);
        Realign();
        break;
    case WM_SIZE:
        TCustomControl::Dispatch(Message);
        Invalidate();
        break;
    default:
        TCustomControl::Dispatch(Message);
        break;
    }
}
