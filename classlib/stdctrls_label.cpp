// The label: text painted on its parent, sized to its text, and the focus it gives by its
// hot key.
#include "classlib/stdctrls_shared.h"

namespace {
const char* const TextLayoutNames[] = {"tlTop", "tlCenter", "tlBottom"};
} // namespace

// ---------------------------------------------------------------------------------------
// TCustomLabel

Z_CLASS_IMPL(TCustomLabel, TGraphicControl)
Z_CLASS_IMPL(TLabel, TCustomLabel, Z_PROP_ENUM(TLabel, Alignment, AlignmentNames, taLeftJustify),
             Z_PROP_BOOL(TLabel, AutoSize, true),
             Z_PROP_CAPTION(TLabel),
             Z_PROP_REF(TLabel, FocusControl, TWinControl),
             Z_PROP_ENUM(TLabel, Layout, TextLayoutNames, tlTop),
             Z_PROP_BOOL(TLabel, ShowAccelChar, true), Z_PROP_BOOL(TLabel, Transparent, false),
             Z_PROP_BOOL(TLabel, WordWrap, false))

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    FControlStyle |= csOpaque | csReplicatable;
    FWidth = 65;
    FHeight = 17;
    FAutoSize = true;
}

AnsiString TCustomLabel::GetLabelText()
{
    return Caption();
}

void TCustomLabel::DoDrawText(TRect& Rect, int Flags)
{
    AnsiString text = GetLabelText();
    // An empty caption, or "&" alone, still measures one line high.
    if ((Flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == "&")))
        text += ' ';
    if (!FShowAccelChar)
        Flags |= DT_NOPREFIX;
    Flags = DrawTextBiDiModeFlags(Flags);
    TCanvas* canvas = Canvas();
    canvas->SetFont(FFont.get());
    HDC dc = canvas->Handle();
    int len = static_cast<int>(text.size());
    if (!FEnabled && !(Flags & DT_CALCRECT)) {
        Rect = TRect(Rect.Left + 1, Rect.Top + 1, Rect.Right + 1, Rect.Bottom + 1);
        canvas->Font()->SetColor(clBtnHighlight);
        dc = canvas->Handle();
        DrawTextA(dc, text.c_str(), len, Rect.Win(), static_cast<UINT>(Flags));
        Rect = TRect(Rect.Left - 1, Rect.Top - 1, Rect.Right - 1, Rect.Bottom - 1);
        canvas->Font()->SetColor(clBtnShadow);
        dc = canvas->Handle();
    }
    DrawTextA(dc, text.c_str(), len, Rect.Win(), static_cast<UINT>(Flags));
}

void TCustomLabel::Paint()
{
    TCanvas* canvas = Canvas();
    TRect client = GetClientRect();
    if (!Transparent()) {
        canvas->Brush()->SetColor(FColor);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(client);
    }
    canvas->Brush()->SetStyle(bsClear);
    int flags = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0) |
                (FAlignment == taRightJustify ? DT_RIGHT : FAlignment == taCenter ? DT_CENTER : DT_LEFT);
    TRect r = client;
    if (FLayout != tlTop) {
        TRect calc = r;
        DoDrawText(calc, flags | DT_CALCRECT);
        int dy = FLayout == tlBottom ? FHeight - calc.Bottom : (FHeight - calc.Bottom) / 2;
        r = TRect(r.Left, r.Top + dy, r.Right, r.Bottom + dy);
    }
    DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds()
{
    if ((ComponentState() & csReading) || !FAutoSize)
        return;
    TRect r = GetClientRect();
    {
        TClientDC dc(nullptr);
        TCanvasDC scope(Canvas(), dc.Handle());
        DoDrawText(r, DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0));
    }
    int x = FLeft;
    TAlignment a = FAlignment;
    if (UseRightToLeftAlignment() && a != taCenter)
        a = a == taLeftJustify ? taRightJustify : taLeftJustify;
    if (a == taRightJustify)
        x += FWidth - r.Right;
    SetBounds(x, FTop, r.Right, r.Bottom);
}

void TCustomLabel::SetAlignment(TAlignment Value)
{
    if (StoreChanged(FAlignment, Value))
        Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout Value)
{
    if (StoreChanged(FLayout, Value))
        Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value)
{
    if (StoreChanged(FWordWrap, Value)) {
        AdjustBounds();
        Invalidate();
    }
}

void TCustomLabel::SetShowAccelChar(bool Value)
{
    if (StoreChanged(FShowAccelChar, Value)) {
        AdjustBounds();
        Invalidate();
    }
}

void TCustomLabel::SetTransparent(bool Value)
{
    if (Transparent() == Value)
        return;
    if (Value)
        FControlStyle &= ~csOpaque;
    else
        FControlStyle |= csOpaque;
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value)
{
    if (StoreChanged(FAutoSize, Value))
        AdjustBounds();
}

void TCustomLabel::SetFocusControl(TWinControl* Value)
{
    ReplaceLink(FFocusControl, Value);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == FFocusControl)
        FFocusControl = nullptr;
}

void TCustomLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
        Invalidate();
        AdjustBounds();
        break;
    case CM_FONTCHANGED:
        TGraphicControl::Dispatch(Message);
        AdjustBounds();
        break;
    case CM_DIALOGCHAR:
        CMDialogChar(Message);
        break;
    default:
        TGraphicControl::Dispatch(Message);
        break;
    }
}

void TCustomLabel::CMDialogChar(TMessage& Message)
{
    if (FFocusControl && FEnabled && FShowAccelChar && IsAccel(TWMKey(Message).CharCode, GetLabelText()) &&
        FFocusControl->CanFocus()) {
        FFocusControl->SetFocus();
        Message.Result = 1;
    }
}
