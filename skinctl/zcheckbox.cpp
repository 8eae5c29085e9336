#include "skinctl/zcheckbox.h"

#include "classlib/gdihandles.h"
#include "classlib/imglist.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskintextpaint.h"
#include "skinctl/zbutton.h"
#include "skinctl/zeditcontrol.h"
#include "skinctl/zradiobutton.h"
#include "unicode/uccontrols.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------
// What both twins do

template <class TBase>
TzCheckControlOf<TBase>::TzCheckControlOf(TComponent* AOwner, int Code)
    : TUcControlOf<TBase>(AOwner), FSkinData(MakeSkinData(this, Code, true)),
      FGlyphChecked(std::make_unique<TBitmap>()), FGlyphUnChecked(std::make_unique<TBitmap>())
{
    this->SetAutoSize(true);
}

template <class TBase> TzCheckControlOf<TBase>::~TzCheckControlOf()
{
    StopFade();
    FSkinData.reset();
}

template <class TBase> void TzCheckControlOf<TBase>::AfterConstruction()
{
    TUcControlOf<TBase>::AfterConstruction();
    FSkinData->Loaded();
}

template <class TBase> void TzCheckControlOf<TBase>::Loaded()
{
    TUcControlOf<TBase>::Loaded();
    FSkinData->Loaded();
    this->AdjustSize();
}

template <class TBase> void TzCheckControlOf<TBase>::CreateWindowHandle(const TCreateParams& Params)
{
    CreateUnicodeWindowHandle(this, Params, L"BUTTON", false);
}

template <class TBase> void TzCheckControlOf<TBase>::Dispatch(TMessage& Message)
{
    if (Message.Msg == CN_COMMAND && TWMCommand(Message).NotifyCode == BN_CLICKED) {
        UserChange();
        return;
    }
    if (Message.Msg == CM_DIALOGCHAR) {
        // The wide caption's hot key; the library's own test knows only the ANSI caption.
        if (IsWideAccel(Message, this) && this->CanFocus()) {
            this->SetFocus();
            if (this->Focused())
                UserChange();
            Message.Result = 1;
            return;
        }
        TButtonControl::Dispatch(Message);
        return;
    }
    TUcControlOf<TBase>::Dispatch(Message);
}

// Properties ------------------------------------------------------------------------------

template <class TBase> void TzCheckControlOf<TBase>::LookChanged()
{
    this->AdjustSize();
    FSkinData->Invalidate();
}

template <class TBase> void TzCheckControlOf<TBase>::SetDisabledKind(TzDisabledKind Value)
{
    if (StoreChanged(FDisabledKind, Value))
        FSkinData->Invalidate();
}

template <class TBase> void TzCheckControlOf<TBase>::SetGlyphChecked(TBitmap* Value)
{
    FGlyphChecked->Assign(Value);
    LookChanged();
}

template <class TBase> void TzCheckControlOf<TBase>::SetGlyphUnChecked(TBitmap* Value)
{
    FGlyphUnChecked->Assign(Value);
    LookChanged();
}

template <class TBase> void TzCheckControlOf<TBase>::SetTextIndent(int Value)
{
    if (StoreChanged(FTextIndent, Value))
        LookChanged();
}

template <class TBase> void TzCheckControlOf<TBase>::SetShowFocus(bool Value)
{
    if (StoreChanged(FShowFocus, Value))
        FSkinData->Invalidate();
}

template <class TBase> void TzCheckControlOf<TBase>::SetMargin(int Value)
{
    if (StoreChanged(FMargin, Value))
        LookChanged();
}

// Geometry --------------------------------------------------------------------------------

template <class TBase> TBitmap* TzCheckControlOf<TBase>::OwnGlyph(bool Checked)
{
    if (FGlyphChecked->Width() < 1)
        return nullptr;
    return Checked ? FGlyphChecked.get() : FGlyphUnChecked.get();
}

template <class TBase> TSize TzCheckControlOf<TBase>::GlyphFrame(int& SkinIndex)
{
    SkinIndex = -1;
    if (TBitmap* own = OwnGlyph(true))
        return TSize{own->Width() / 3, own->Height() / 2};
    TzSkinManager* m = FSkinData->GetSkinManager();
    if (FSkinData->Skinned())
        SkinIndex = CheckGlyphIndex(m, GlyphKind(), CheckState());
    return CheckGlyphSize(m, SkinIndex);
}

template <class TBase> bool TzCheckControlOf<TBase>::CanAutoSize(int& NewWidth, int& NewHeight)
{
    if (!FSkinData || !FSkinData->Skinned() || this->IsLoading() || !this->AutoSize())
        return TUcControlOf<TBase>::CanAutoSize(NewWidth, NewHeight);
    int index;
    const TSize glyph = GlyphFrame(index);
    const WideString caption = this->Caption();
    TSize text{0, 0};
    if (!caption.empty()) {
        TBitmap measure;
        measure.Canvas()->Font()->Assign(this->Font());
        text = GetWideTextSize(measure.Canvas(), caption);
    }
    NewWidth = glyph.cx + 2 * FMargin + (caption.empty() ? 0 : text.cx + FTextIndent + 8);
    NewHeight = std::max<int>(glyph.cy, text.cy + 2 * FMargin) + 2;
    return true;
}

template <class TBase> TRect TzCheckControlOf<TBase>::GlyphRect()
{
    int index;
    const TSize f = GlyphFrame(index);
    const int left = this->Alignment() == taRightJustify ? FMargin : this->Width() - FMargin - f.cx;
    return Bounds(left, (this->Height() - f.cy) / 2, f.cx, f.cy);
}

template <class TBase> TRect TzCheckControlOf<TBase>::CaptionRect()
{
    if (this->Caption().empty())
        return TRect();
    int index;
    const int offset = GlyphFrame(index).cx + FTextIndent + 3 + FMargin + 1;
    const int w = this->Width(), bottom = this->Height() - FMargin - 2;
    if (this->Alignment() == taRightJustify)
        return TRect(offset, FMargin, w - FMargin - 2, bottom);
    return TRect(FMargin, FMargin, w - offset - 2, bottom);
}

// Painting --------------------------------------------------------------------------------

template <class TBase> int TzCheckControlOf<TBase>::PaintState()
{
    return IsControlActive(FSkinData.get()) && !FReadOnly ? 1 : 0;
}

template <class TBase> void TzCheckControlOf<TBase>::DrawGlyph(TBitmap* Cache)
{
    // A press shows while the mouse that made it is over the control.
    const bool pressed = FPress == prSpace || (FPress == prMouse && FSkinData->MouseAbove());
    const int frame = pressed ? 2 : PaintState();
    const TRect at = GlyphRect();
    int index;
    GlyphFrame(index);
    if (index >= 0) {
        DrawCheckGlyph(Cache, at.TopLeft(), FSkinData->GetSkinManager(), index, TzPaintState(frame));
        return;
    }
    TBitmap* own = OwnGlyph(CheckState() == 1);
    if (!own || own->Width() < 3 || own->Height() < 2)
        return;
    const int fw = own->Width() / 3, fh = own->Height() / 2;
    CopyByMaskWithParent(at, Bounds(frame * fw, 0, fw, fh), Cache, false, EmptyCacheInfo, own);
}

template <class TBase> void TzCheckControlOf<TBase>::PaintControl()
{
    TzCommonData* sd = FSkinData.get();
    sd->PrepareCache();
    TBitmap* cache = sd->CacheBmp();
    const int w = this->Width(), h = this->Height();
    if (w < 1 || h < 1 || !sd->Skinned())
        return;
    const TzBackdrop behind = sd->Backdrop();
    const TPoint at(this->Left(), this->Top());
    const int state = PaintState();
    PaintSkinSection(sd->SectionSkin(), behind, bfFillCentre | bfKeysShowParent, cache, at, TRect(0, 0, w, h),
                     TzPaintState(state));
    const WideString caption = this->Caption();
    if (!caption.empty()) {
        TCanvas* c = cache->Canvas();
        c->Font()->Assign(this->Font());
        const TRect r = CaptionRect();
        const UINT flags = this->WordWrap() ? DT_WORDBREAK | DT_CENTER : DT_SINGLELINE | DT_VCENTER;
        DrawSkinTextW(sd, c, caption, TextFlags(this->Enabled(), state == 1), flags, r);
        if (FShowFocus && this->Enabled() && this->Focused())
            DrawDottedFocusRect(c, TRect(r.Left - 1, r.Top, r.Right + 1, r.Bottom + 1));
    }
    DrawGlyph(cache);
    if (!this->Enabled())
        ApplyDisabledKind(cache, FDisabledKind, this, at, behind.Picture);
    sd->SetBGChanged(false);
}

template <class TBase> void TzCheckControlOf<TBase>::PaintToDC(HDC DC)
{
    TzCommonData* sd = FSkinData.get();
    // A running fade shows its own frames; its end paints again.
    if (WaitsForParent(sd) || FFadeTimer)
        return;
    PaintControl();
    FillAllCornersFromParent(sd);
    if (TBitmap* cache = sd->CacheBmp())
        BitBlt(DC, 0, 0, this->Width(), this->Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
}

template <class TBase> void TzCheckControlOf<TBase>::PaintMessage(TMessage& Message)
{
    if (Message.Msg == WM_PRINT)
        FSkinData->SetUpdating(false);
    if (HDC given = TWMPaint(Message).DC) {
        TSaveDCScope saved(given);
        PaintToDC(given);
    } else {
        TPaintDC dc(this->WindowHandle());
        PaintToDC(dc.Handle());
    }
}

// Input -----------------------------------------------------------------------------------

template <class TBase> void TzCheckControlOf<TBase>::StateChanged(TSkAnimatEvent Event, uint8_t Direction)
{
    FadeOrRepaint(FFadeTimer, FSkinData.get(), false, Direction, AnimEventOn(Event, FAnimatEvents));
}

template <class TBase> void TzCheckControlOf<TBase>::EndPress()
{
    const bool mouse = FPress == prMouse;
    FPress = prNone;
    if (mouse && this->HandleAllocated() && GetCapture() == this->WindowHandle())
        ReleaseCapture();
}

template <class TBase> bool TzCheckControlOf<TBase>::MouseDown(TMessage& Message)
{
    if (FReadOnly)
        return true;
    const TWMMouse mouse(Message);
    FPress = prMouse;
    FSkinData->SetMouseAbove(true);
    // Held, the release comes here wherever the mouse goes; and a radio button that takes the
    // focus from the mouse does not check itself at once.
    SetCapture(this->WindowHandle());
    StateChanged(aeMouseDown, fdIn);
    if (!this->Focused()) {
        this->SetClicksDisabled(true);
        this->SetFocus();
        this->SetClicksDisabled(false);
    }
    if (Message.Msg == WM_LBUTTONDBLCLK)
        this->DblClick();
    else
        TBase::MouseDown(mbLeft, KeysToShiftState(uint16_t(mouse.Keys)), mouse.Pos().X, mouse.Pos().Y);
    return true;
}

template <class TBase> bool TzCheckControlOf<TBase>::MouseUp(TMessage& Message)
{
    if (FReadOnly)
        return true;
    const TWMMouse mouse(Message);
    const bool pressed = FPress == prMouse;
    const bool inside = this->GetClientRect().Contains(mouse.Pos());
    EndPress();
    if (pressed) {
        FSkinData->SetBGChanged(true);
        this->Repaint();
    }
    TBase::MouseUp(mbLeft, KeysToShiftState(uint16_t(mouse.Keys)), mouse.Pos().X, mouse.Pos().Y);
    // Last: the click's handler may free the control.
    if (pressed && inside)
        UserChange();
    return true;
}

template <class TBase> bool TzCheckControlOf<TBase>::SpaceDown(TMessage& Message)
{
    if (FReadOnly)
        return true;
    if (FPress == prNone) {
        FPress = prSpace;
        if (!this->Focused()) {
            this->SetClicksDisabled(true);
            this->SetFocus();
            this->SetClicksDisabled(false);
        }
        FSkinData->SetBGChanged(true);
        this->Repaint();
    }
    this->DoKeyDown(Message);
    return true;
}

template <class TBase> bool TzCheckControlOf<TBase>::KeyUp(TMessage& Message)
{
    if (FReadOnly)
        return true;
    // Only the space bar that pressed the control releases it.
    const bool pressed = FPress == prSpace;
    if (pressed) {
        FPress = prNone;
        FSkinData->SetBGChanged(true);
        this->Repaint();
    }
    this->DoKeyUp(Message);
    if (pressed)
        UserChange();
    return true;
}

template <class TBase> void TzCheckControlOf<TBase>::Unpainted(TMessage& Message)
{
    // The system's button draws its focus, text and check straight onto the window.
    const HWND wnd = this->WindowHandle();
    SendMessageW(wnd, WM_SETREDRAW, 0, 0);
    if (!CommonMessageHandler(Message, FSkinData.get()))
        TUcControlOf<TBase>::WndProc(Message);
    if (IsWindow(wnd))
        SendMessageW(wnd, WM_SETREDRAW, 1, 0);
}

template <class TBase> void TzCheckControlOf<TBase>::FocusIn(TMessage& Message)
{
    if (!this->Enabled())
        return;
    Unpainted(Message);
    FSkinData->SetFocused(true);
    if (FFadeTimer) {
        FFadeTimer->FadeStep();
        return;
    }
    FSkinData->SetBGChanged(true);
    this->Repaint();
}

template <class TBase> void TzCheckControlOf<TBase>::FocusOut(TMessage& Message)
{
    // A press that loses the focus ends without its change.
    EndPress();
    if (!this->Enabled()) {
        TUcControlOf<TBase>::WndProc(Message);
        return;
    }
    StopFade();
    Unpainted(Message);
    FSkinData->SetFocused(false);
    FSkinData->SetMouseAbove(false);
    FSkinData->Invalidate();
}

// The window procedure ----------------------------------------------------------------------

template <class TBase> bool TzCheckControlOf<TBase>::PreviewMessage(TMessage& Message)
{
    // Another window took the mouse (a modal window, a menu): no release comes.
    if (Message.Msg == WM_CAPTURECHANGED && FPress == prMouse &&
        reinterpret_cast<HWND>(Message.LParam) != this->WindowHandle()) {
        FPress = prNone;
        FSkinData->Invalidate();
    }
    switch (SkinCommandOf(Message)) {
    case SKCMD_FADEDONE:
        StopFade();
        if (this->HandleAllocated())
            InvalidateRect(this->WindowHandle(), nullptr, FALSE);
        return true;
    case SKCMD_PREPARECACHE:
        if (FSkinData->Skinned())
            PaintControl();
        return false;
    default:
        return false;
    }
}

template <class TBase> void TzCheckControlOf<TBase>::SkinChanging(TWMSkinCommand&)
{
    StopFade();
}

template <class TBase> void TzCheckControlOf<TBase>::SkinChanged(TWMSkinCommand& Command)
{
    if (Command.Command == SKCMD_SKINREMOVED) {
        // The system's window shows the state again: it heard nothing of it while skinned.
        this->ShowCheck(TCheckBoxState(CheckState()));
    } else if (Command.Command == SKCMD_REFRESH) {
        this->AdjustSize();
    }
    TzSkinnedControl::SkinChanged(Command);
}

template <class TBase> bool TzCheckControlOf<TBase>::PlainMessage(TMessage& Message)
{
    const bool space = (Message.Msg == WM_KEYDOWN || Message.Msg == WM_KEYUP) && TWMKey(Message).CharCode == VK_SPACE;
    switch (Message.Msg) {
    case WM_KEYDOWN:
        if (space && FPress == prNone)
            FPress = prSpace;
        return false;
    case WM_LBUTTONDOWN:
        FPress = prMouse;
        return false;
    case WM_KEYUP:
        if (space && FPress == prSpace)
            FPress = prNone;
        return false;
    case WM_LBUTTONUP:
        if (FPress == prMouse)
            FPress = prNone;
        return false;
    case WM_LBUTTONDBLCLK:
        return FReadOnly;
    case BM_SETCHECK:
    case BM_SETSTATE:
        // A read-only box does not look pressed or changed while the user holds it.
        return FReadOnly && FPress != prNone && !(this->ControlState() & csCreating);
    default:
        return false;
    }
}

template <class TBase> bool TzCheckControlOf<TBase>::SkinnedBefore(TMessage& Message)
{
    TzCommonData* sd = FSkinData.get();
    const bool input = this->Enabled() && !this->IsDesigning();
    switch (Message.Msg) {
    case WM_PAINT:
    case WM_PRINT:
        PaintMessage(Message);
        return true;
    case WM_ERASEBKGND:
        Message.Result = 1;
        return true;
    case WM_NCPAINT:
    case WM_ENABLE:
    case BM_SETSTATE:
        return true;
    case BM_SETCHECK:
        if (FFadeTimer && FFadeTimer->Step < FFadeTimer->Iterations)
            StopFade();
        CheckSetByWindow(Message.WParam);
        InvalidateRect(this->WindowHandle(), nullptr, FALSE);
        return true;
    case BM_GETCHECK:
        Message.Result = CheckState() == 1 ? BST_CHECKED : CheckState() == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
        return true;
    case WM_SETTEXT:
        Unpainted(Message);
        sd->SetBGChanged(true);
        this->Repaint();
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return input && MouseDown(Message);
    case WM_LBUTTONUP:
        return input && MouseUp(Message);
    case WM_MOUSEMOVE:
        if (input && FPress == prMouse) {
            const bool inside = this->GetClientRect().Contains(TWMMouse(Message).Pos());
            if (inside != sd->MouseAbove()) {
                sd->SetMouseAbove(inside);
                sd->Invalidate();
            }
        }
        return false;
    case WM_KEYDOWN:
        return input && TWMKey(Message).CharCode == VK_SPACE && SpaceDown(Message);
    case WM_KEYUP:
        return input && TWMKey(Message).CharCode == VK_SPACE && KeyUp(Message);
    case WM_SETFOCUS:
    case CM_ENTER:
        if (this->IsDesigning())
            return false;
        FocusIn(Message);
        return true;
    case WM_KILLFOCUS:
    case CM_EXIT:
        if (this->IsDesigning())
            return false;
        FocusOut(Message);
        return true;
    case CM_MOUSEENTER:
        if (input && !sd->MouseAbove()) {
            sd->SetMouseAbove(true);
            StateChanged(aeMouseEnter, fdIn);
        }
        return false;
    case CM_MOUSELEAVE:
        if (input && sd->MouseAbove()) {
            sd->SetMouseAbove(false);
            StateChanged(aeMouseLeave, fdOut);
        }
        return false;
    case CM_CHANGED:
        if (this->IsDesigning())
            sd->Invalidate();
        else if (FadesOnChange())
            StateChanged(aeMouseUp, fdOut);
        else
            sd->Invalidate();
        return false;
    default:
        return TzSkinnedControl::SkinnedBefore(Message);
    }
}

template <class TBase> void TzCheckControlOf<TBase>::SkinnedAfter(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        this->AdjustSize();
        [[fallthrough]];
    case CM_ENABLEDCHANGED:
        FSkinData->SetBGChanged(true);
        this->Repaint();
        break;
    default:
        break;
    }
}

template <class TBase> void TzCheckControlOf<TBase>::AfterMessage(TMessage& Message)
{
    if (Message.Msg == WM_SETFOCUS && !this->ClicksDisabled() && GetCapture() != this->WindowHandle())
        FocusGained();
}

template class TzCheckControlOf<TCustomCheckBox>;
template class TzCheckControlOf<TRadioButton>;

// ---------------------------------------------------------------------------------------
// TzCheckBox

namespace {

const char* const AlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};

} // namespace

Z_CLASS_IMPL(TzCheckBox, TCustomCheckBox, CheckBoxCheckedProp<TzCheckBox>(), WideCaptionProp<TzCheckBox>(), WideHintProp<TzCheckBox>(),
             Z_PROP_OBJ(TzCheckBox, SkinData), Z_PROP_ENUM(TzCheckBox, Alignment, AlignmentNames, taRightJustify),
             Z_PROP_BOOL(TzCheckBox, AllowGrayed, false), Z_PROP_ENUM(TzCheckBox, State, CheckBoxStateNames, cbUnchecked),
             Z_PROP_BOOL(TzCheckBox, WordWrap, false), Z_PROP_BOOL(TzCheckBox, AutoSize, true),
             Z_PROP_SET(TzCheckBox, DisabledKind, DisabledKindNames, dkBlended),
             Z_PROP_OBJ(TzCheckBox, GlyphChecked), Z_PROP_OBJ(TzCheckBox, GlyphUnChecked),
             Z_PROP_INT(TzCheckBox, TextIndent, 0), Z_PROP_BOOL(TzCheckBox, ShowFocus, true),
             Z_PROP_INT(TzCheckBox, Margin, 2), Z_PROP_REF(TzCheckBox, Images, TCustomImageList),
             Z_PROP_INT(TzCheckBox, ImgChecked, -1), Z_PROP_INT(TzCheckBox, ImgUnchecked, -1),
             Z_PROP_SET(TzCheckBox, AnimatEvents, AnimatEventNames, 1u << aeGlobalDef),
             Z_PROP_BOOL(TzCheckBox, ReadOnly, false))

TzCheckBox::TzCheckBox(TComponent* AOwner) : TzCheckControlOf<TCustomCheckBox>(AOwner, ctCheckBox) {}

void TzCheckBox::UserChange()
{
    if (!FReadOnly)
        Toggle();
}

void TzCheckBox::SetChecked(bool Value)
{
    if (Value != Checked() && FSkinData)
        FSkinData->SetBGChanged(true);
    TzCheckControlOf<TCustomCheckBox>::SetChecked(Value);
}

void TzCheckBox::SetImages(TCustomImageList* Value)
{
    if (ReplaceLink(FImages, Value))
        LookChanged();
}

void TzCheckBox::SetImgChecked(int Value)
{
    if (StoreChanged(FImgChecked, Value))
        LookChanged();
}

void TzCheckBox::SetImgUnchecked(int Value)
{
    if (StoreChanged(FImgUnchecked, Value))
        LookChanged();
}

void TzCheckBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TzCheckControlOf<TCustomCheckBox>::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) {
        FImages = nullptr;
        LookChanged();
    }
}

TBitmap* TzCheckBox::OwnGlyph(bool Checked)
{
    const int index = Checked ? FImgChecked : FImgUnchecked;
    if (!FImages || FImgChecked < 0 || FImgUnchecked < 0 || index >= FImages->Count())
        return TzCheckControlOf<TCustomCheckBox>::OwnGlyph(Checked);
    if (!FListGlyph)
        FListGlyph = std::make_unique<TBitmap>();
    ImageListToBitmap(FImages, index, FListGlyph.get());
    return FListGlyph.get();
}

// ---------------------------------------------------------------------------------------
// TzRadioButton

Z_CLASS_IMPL(TzRadioButton, TRadioButton, WideCaptionProp<TzRadioButton>(), WideHintProp<TzRadioButton>(),
             Z_PROP_OBJ(TzRadioButton, SkinData),
             Z_PROP_ENUM(TzRadioButton, Alignment, AlignmentNames, taRightJustify),
             Z_PROP_BOOL(TzRadioButton, Checked, false), Z_PROP_BOOL(TzRadioButton, WordWrap, false),
             Z_PROP_BOOL(TzRadioButton, AutoSize, true),
             Z_PROP_SET(TzRadioButton, DisabledKind, DisabledKindNames, dkBlended),
             Z_PROP_OBJ(TzRadioButton, GlyphChecked), Z_PROP_OBJ(TzRadioButton, GlyphUnChecked),
             Z_PROP_INT(TzRadioButton, TextIndent, 0), Z_PROP_BOOL(TzRadioButton, ShowFocus, true),
             Z_PROP_INT(TzRadioButton, Margin, 2),
             Z_PROP_SET(TzRadioButton, AnimatEvents, AnimatEventNames, 1u << aeGlobalDef),
             Z_PROP_BOOL(TzRadioButton, ReadOnly, false))

TzRadioButton::TzRadioButton(TComponent* AOwner) : TzCheckControlOf<TRadioButton>(AOwner, ctRadioButton) {}

void TzRadioButton::UserChange()
{
    if (!FReadOnly)
        SetChecked(true);
}

void TzRadioButton::FocusGained()
{
    if (!Checked())
        UserChange();
}

void TzRadioButton::CheckSetByWindow(WPARAM Check)
{
    // Whoever checks the window (the dialog manager's group logic) checks the button.
    if (Check == BST_CHECKED || Check == BST_UNCHECKED)
        SetChecked(Check == BST_CHECKED);
}
