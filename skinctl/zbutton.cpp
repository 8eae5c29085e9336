#include "skinctl/zbutton.h"

#include "classlib/forms.h"
#include "classlib/gdihandles.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskintextpaint.h"
#include "skinctl/zskinctl.h"
#include "unicode/ucbuttons.h"

#include <optional>
#include <vector>

namespace {


// The hints as they were before the first button was held down.
std::optional<bool> HeldShowHint;

} // namespace

void HoldHints()
{
    if (HeldShowHint || !Application)
        return;
    HeldShowHint = Application->ShowHint();
    Application->SetShowHint(false);
}

void ReleaseHints()
{
    if (HeldShowHint && Application)
        Application->SetShowHint(*HeldShowHint);
    HeldShowHint.reset();
}

// ---------------------------------------------------------------------------------------
// What both push buttons do

template <class TBase>
TzPushButtonOf<TBase>::TzPushButtonOf(TComponent* AOwner, int Code)
    : TBase(AOwner), FSkinData(MakeSkinData(this, Code, true))
{
    this->SetWordWrap(true);
}

template <class TBase> TzPushButtonOf<TBase>::~TzPushButtonOf()
{
    StopFade();
    DeletePendingRegion();
    // A button freed while held down (its click closed the form) gives the hints back.
    if (FMouseClicked)
        ReleaseHints();
    FSkinData.reset();
}

template <class TBase> void TzPushButtonOf<TBase>::AfterConstruction()
{
    TBase::AfterConstruction();
    FSkinData->Loaded();
}

template <class TBase> void TzPushButtonOf<TBase>::Loaded()
{
    TBase::Loaded();
    FSkinData->Loaded();
}

template <class TBase> void TzPushButtonOf<TBase>::CreateWnd()
{
    TBase::CreateWnd();
    FActiveDefault = this->Default();
    FRegionChanged = true;
}

template <class TBase> void TzPushButtonOf<TBase>::SetDisabledKind(TzDisabledKind Value)
{
    if (StoreChanged(FDisabledKind, Value))
        FSkinData->Invalidate();
}

template <class TBase> void TzPushButtonOf<TBase>::SetFocusMargin(int Value)
{
    if (StoreChanged(FFocusMargin, Value))
        FSkinData->Invalidate();
}

template <class TBase> void TzPushButtonOf<TBase>::SetDown(bool Value)
{
    if (!StoreChanged(FDown, Value))
        return;
    FPressed = Value;
    MarkRegion();
    FSkinData->SetBGChanged(true);
    this->Repaint();
}

template <class TBase> int TzPushButtonOf<TBase>::CurrentState()
{
    if (Down() && (FSkinData->MouseAbove() || !FMouseClicked))
        return 2;
    if (IsControlActive(FSkinData.get()) || FActiveDefault)
        return 1;
    return this->IsDesigning() && this->Default() ? 1 : 0;
}

template <class TBase> void TzPushButtonOf<TBase>::Invalidate()
{
    if (FSkinData)
        FSkinData->SetBGChanged(true);
    TBase::Invalidate();
}

template <class TBase> void TzPushButtonOf<TBase>::MarkRegion()
{
    FRegionChanged = true;
}

// Painting ------------------------------------------------------------------------------

template <class TBase> void TzPushButtonOf<TBase>::PrepareCache()
{
    TzCommonData* sd = FSkinData.get();
    sd->PrepareCache();
    TBitmap* cache = sd->CacheBmp();
    const int w = this->Width(), h = this->Height();
    if (!cache || w < 2 || h < 2 || !sd->Skinned())
        return;
    const TzBackdrop behind = sd->Backdrop();
    const TPoint at(this->Left(), this->Top());
    const TRect all(0, 0, w, h);
    const int state = CurrentState();
    const TzSectionSkin skin = sd->SectionSkin();
    TzSkinManager* m = sd->GetSkinManager();
    if (DrawsOverBorder() || !m->IsValidMaskIndex(sd->BorderIndex)) {
        PaintSkinSection(skin, behind, bfFillCentre | bfKeysShowParent, cache, at, all, TzPaintState(state));
        PaintContent(cache, state);
    } else {
        // The border drawn over the content shows only the parent's picture behind.
        const TzBackdrop picture(behind.Picture);
        PaintSectionBackground(skin, picture, TzPaintState(state), cache, at, all);
        PaintContent(cache, state);
        DrawSkinRect(cache, all, bfKeysShowParent, TzPaintState(state), m->Mask(sd->BorderIndex),
                     picture.Moved(at.X, at.Y));
    }
    if (!this->Enabled())
        ApplyDisabledKind(cache, FDisabledKind, this, at, behind.Picture);
    FacePainted(cache);
    if (FRegionChanged)
        MakeRegion();
    sd->SetBGChanged(false);
}

template <class TBase> void TzPushButtonOf<TBase>::MakeRegion()
{
    const int w = this->Width(), h = this->Height();
    HRGN region = CreateRectRgn(0, 0, w, h);
    TzCommonData* sd = FSkinData.get();
    TzSkinManager* m = sd->GetSkinManager();
    if (m && m->IsValidMaskIndex(sd->BorderIndex)) {
        const TzMaskData& mask = m->Mask(sd->BorderIndex);
        std::vector<TRect> runs;
        CollectCornerRuns(runs, w, mask, false);
        CollectCornerRuns(runs, w, mask, true, h - mask.WB);
        for (const TRect& r : runs) {
            TGdiObject<HRGN> cut(CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom));
            CombineRgn(region, region, cut.Handle(), RGN_DIFF);
        }
    }
    // A region still waiting from an earlier paint is replaced, not lost.
    DeletePendingRegion();
    FPendingRegion = region;
}

template <class TBase> void TzPushButtonOf<TBase>::DeletePendingRegion()
{
    if (FPendingRegion)
        DeleteObject(FPendingRegion);
    FPendingRegion = nullptr;
}

template <class TBase> void TzPushButtonOf<TBase>::RemoveWindowRegion()
{
    DeletePendingRegion();
    FRegionChanged = true;
    RECT box;
    if (!this->HandleAllocated() || GetWindowRgnBox(this->WindowHandle(), &box) == ERROR)
        return;
    if (SkinChangeRunning())
        PostMessageW(this->WindowHandle(), ZM_SKINGONE, 0, 0);
    else
        SetWindowRgn(this->WindowHandle(), nullptr, TRUE);
}

template <class TBase> void TzPushButtonOf<TBase>::PaintToDC(HDC DC)
{
    TzCommonData* sd = FSkinData.get();
    // A running fade shows its own frames; the end of the fade paints again.
    if (WaitsForParent(sd) || FFadeTimer)
        return;
    TWinControl* parent = this->Parent();
    sd->SetBGChanged(sd->BGChanged() || sd->OutOfClip() || AskControlCommand(parent, SKCMD_ISOUTOFCLIP));
    const TRect client = parent->ClientRect();
    sd->SetOutOfClip(!(client.Contains(TPoint(this->Left(), this->Top())) &&
                       this->Left() + this->Width() <= client.Right && this->Top() + this->Height() <= client.Bottom));
    if (sd->BGChanged() && !sd->SeeThrough())
        PrepareCache();
    TBitmap* cache = sd->CacheBmp();
    if (!cache)
        return;
    if (FRegionChanged && !this->IsDesigning() && !(this->ControlState() & csDestroyingHandle)) {
        if (!FPendingRegion)
            MakeRegion();
        FillAllCornersFromParent(sd);
        // The window owns the region from now on.
        SetWindowRgn(this->WindowHandle(), FPendingRegion, FALSE);
        FPendingRegion = nullptr;
        FRegionChanged = false;
    }
    BitBlt(DC, 0, 0, this->Width(), this->Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
}

template <class TBase> void TzPushButtonOf<TBase>::PaintMessage(TMessage& Message)
{
    if (HDC given = reinterpret_cast<HDC>(Message.WParam)) {
        TSaveDCScope saved(given);
        PaintToDC(given);
    } else {
        TPaintDC dc(this->WindowHandle());
        PaintToDC(dc.Handle());
    }
    if (Message.Msg == WM_PAINT && this->IsDesigning())
        Inherited(Message);
}

template <class TBase>
void TzPushButtonOf<TBase>::DrawCaption(TCanvas* Canvas, const WideString& Text, TRect R, UINT Flags)
{
    TzCommonData* sd = FSkinData.get();
    const bool hot = IsControlActive(sd) || FActiveDefault || (this->IsDesigning() && this->Default()) || FPressed;
    Canvas->Font()->Assign(this->Font());
    Canvas->Brush()->SetStyle(bsClear);
    DrawSkinTextW(sd, Canvas, Text, TextFlags(this->Enabled(), hot), Flags, R);
}

template <class TBase> void TzPushButtonOf<TBase>::DrawFocusFrame(TCanvas* Canvas, const TRect& Caption, bool Show)
{
    TzCommonData* sd = FSkinData.get();
    if (!Show || !this->Enabled() || !sd->Focused() || Caption.IsEmpty())
        return;
    if (!sd->GetSkinManager()->Section(sd->SkinIndex).ShowFocus)
        return;
    const int m = FFocusMargin;
    DrawDottedFocusRect(Canvas, TRect(Caption.Left - m, Caption.Top - m, Caption.Right + m, Caption.Bottom + m));
}

// State changes ---------------------------------------------------------------------------

template <class TBase>
void TzPushButtonOf<TBase>::StateChanged(TSkAnimatEvent Event, uint8_t Direction, bool HalfTime)
{
    FadeOrRepaint(FFadeTimer, FSkinData.get(), HalfTime, Direction, AnimEventOn(Event, FAnimatEvents));
}

template <class TBase> void TzPushButtonOf<TBase>::MouseDownSkinned(TMessage& Message)
{
    HoldHints();
    FMouseClicked = true;
    // The press is where the mouse is.
    FSkinData->SetMouseAbove(true);
    Inherited(Message);
    if (!FDown) {
        FPressed = true;
        MarkRegion();
        FSkinData->SetUpdating(FSkinData->GetUpdating());
        StateChanged(aeMouseDown, fdIn, true);
    }
}

template <class TBase> void TzPushButtonOf<TBase>::MouseUpSkinned(TMessage& Message)
{
    ReleaseHints();
    if (!FMouseClicked) {
        // Not pressed here: whatever the system's button makes of it.
        Inherited(Message);
        return;
    }
    FMouseClicked = false;
    if (FFadeTimer) {
        StopFade();
        FSkinData->SetBGChanged(true);
    }
    const bool wasPressed = FPressed;
    FPressed = false;
    const TPoint at = TWMMouse(Message).Pos();
    const bool inside = this->GetClientRect().Contains(at);
    ++FOwnRelease;
    Inherited(Message);
    --FOwnRelease;
    if (wasPressed) {
        MarkRegion();
        StateChanged(aeMouseUp, fdOut, true);
    }
    // Last: the click's handler may free the button.
    if (inside)
        this->Click();
}

template <class TBase> void TzPushButtonOf<TBase>::MouseMoveSkinned(const TMessage& Message)
{
    if (!FMouseClicked)
        return;
    const TPoint at = TWMMouse(Message).Pos();
    const bool inside = this->GetClientRect().Contains(at);
    if (inside == FSkinData->MouseAbove())
        return;
    // A press that left the button shows it up; back over it, down again.
    FSkinData->SetMouseAbove(inside);
    MarkRegion();
    FSkinData->SetBGChanged(true);
    this->Repaint();
}

template <class TBase> void TzPushButtonOf<TBase>::MouseEnterLeave(TMessage& Message)
{
    const bool enter = Message.Msg == CM_MOUSEENTER;
    TNotifyEvent& event = enter ? OnMouseEnter : OnMouseLeave;
    if (event)
        event(this);
    // Held down, the picture follows the mouse moves instead.
    if (!FMouseClicked && FSkinData->MouseAbove() != enter) {
        FSkinData->SetMouseAbove(enter);
        StateChanged(enter ? aeMouseEnter : aeMouseLeave, enter ? fdIn : fdOut, false);
    }
}

template <class TBase> void TzPushButtonOf<TBase>::SpaceDown()
{
    if (FPressed || !this->Focused())
        return;
    StopFade();
    FPressed = true;
    MarkRegion();
    FSkinData->SetBGChanged(true);
    this->Repaint();
}

template <class TBase> void TzPushButtonOf<TBase>::SpaceUp(TMessage& Message)
{
    if (!FPressed || FMouseClicked) {
        Inherited(Message);
        return;
    }
    FPressed = false;
    MarkRegion();
    FSkinData->SetBGChanged(true);
    this->Repaint();
    ++FOwnRelease;
    Inherited(Message);
    --FOwnRelease;
    this->Click();
}

template <class TBase> void TzPushButtonOf<TBase>::FocusIn(TMessage& Message)
{
    if (!this->Enabled() || !this->Visible() || this->IsDesigning()) {
        Inherited(Message);
        return;
    }
    // The system's button would draw its focus straight onto the window.
    const bool window = Message.Msg == WM_SETFOCUS;
    if (window)
        SendMessageW(this->WindowHandle(), WM_SETREDRAW, 0, 0);
    Inherited(Message);
    if (window && this->HandleAllocated())
        SendMessageW(this->WindowHandle(), WM_SETREDRAW, 1, 0);
    FSkinData->SetFocused(true);
    if (FFadeTimer)
        FFadeTimer->FadeStep();
    else
        FSkinData->Invalidate();
}

template <class TBase> void TzPushButtonOf<TBase>::FocusOut(TMessage& Message)
{
    FPressed = false;
    if (!this->Enabled()) {
        Inherited(Message);
        return;
    }
    StopFade();
    const bool window = Message.Msg == WM_KILLFOCUS && this->HandleAllocated();
    if (window)
        SendMessageW(this->WindowHandle(), WM_SETREDRAW, 0, 0);
    Inherited(Message);
    if (window && this->HandleAllocated())
        SendMessageW(this->WindowHandle(), WM_SETREDRAW, 1, 0);
    FSkinData->SetFocused(false);
    MarkRegion();
    FSkinData->Invalidate();
}

template <class TBase> void TzPushButtonOf<TBase>::FocusChanged(const TMessage& Message)
{
    if (!this->Visible() || !this->Default())
        return;
    bool value = false;
    if (!this->IsDesigning()) {
        auto* focused = reinterpret_cast<TControl*>(Message.LParam);
        auto* button = dynamic_cast<TButton*>(focused);
        value = button ? button == this : this->Default();
    }
    if (StoreChanged(FActiveDefault, value))
        FSkinData->Invalidate();
}

// The window procedure ------------------------------------------------------------------

template <class TBase> void TzPushButtonOf<TBase>::Inherited(TMessage& Message)
{
    if (!CommonMessageHandler(Message, FSkinData.get()))
        TBase::WndProc(Message);
}

template <class TBase> void TzPushButtonOf<TBase>::WndProc(TMessage& Message)
{
    TzCommonData* sd = FSkinData.get();
    if (!sd) {
        TBase::WndProc(Message);
        return;
    }
    if (Message.Msg == ZM_SKINGONE) {
        if (!sd->Skinned())
            RemoveWindowRegion();
        return;
    }
    switch (SkinCommandOf(Message)) {
    case SKCMD_NEWSKIN:
        if (!FromOwnManager(Message, sd))
            break;
        StopFade();
        MarkRegion();
        sd->SetBGChanged(true);
        CommonMessageHandler(Message, sd);
        return;
    case SKCMD_SKINREMOVED:
        if (!FromOwnManager(Message, sd))
            break;
        StopFade();
        CommonMessageHandler(Message, sd);
        RemoveWindowRegion();
        SkinRemoved();
        RepaintForSkin(this);
        return;
    case SKCMD_REFRESH:
        if (!FromOwnManager(Message, sd))
            break;
        StopFade();
        CommonMessageHandler(Message, sd);
        MarkRegion();
        RepaintForSkin(this);
        return;
    case SKCMD_ISSKINNED:
        Message.LParam = 1;
        return;
    case SKCMD_FADEDONE:
        StopFade();
        // The last frame rounds: the cache itself goes to the window, with a region to come.
        if (this->HandleAllocated())
            InvalidateRect(this->WindowHandle(), nullptr, FALSE);
        return;
    case SKCMD_PREPARECACHE:
        PrepareCache();
        break;
    case SKCMD_SHOWFADEFRAME:
        DeletePendingRegion();
        break;
    default:
        break;
    }
    if (!IsControlReady(this) || !sd->Skinned()) {
        TBase::WndProc(Message);
        return;
    }
    if (SkinnedBefore(Message))
        return;
    Inherited(Message);
    SkinnedAfter(Message);
}

template <class TBase> bool TzPushButtonOf<TBase>::SkinnedBefore(TMessage& Message)
{
    TzCommonData* sd = FSkinData.get();
    const bool input = this->Enabled() && !this->IsDesigning();
    switch (SkinCommandOf(Message)) {
    case SKCMD_ENDPARENTUPDATE:
        if (sd->GetUpdating()) {
            sd->SetUpdating(false);
            this->Repaint();
        }
        return true;
    case SKCMD_SETSEETHROUGH:
        CommonMessageHandler(Message, sd);
        if (sd->SeeThrough())
            PrepareCache();
        return true;
    default:
        break;
    }
    switch (Message.Msg) {
    case WM_PRINT:
    case WM_PAINT:
        PaintMessage(Message);
        return true;
    case WM_ERASEBKGND:
    case WM_UPDATEUISTATE:
        Message.Result = 1;
        return true;
    case BM_SETSTATE:
    case CN_DRAWITEM:
    case CN_CTLCOLORBTN:
        return true;
    case CN_COMMAND:
        // The system's button clicking on the release the button has clicked itself.
        return FOwnRelease > 0 && HIWORD(Message.WParam) == BN_CLICKED;
    case WM_MOVE: {
        const TzGeneralData& s = sd->GetSkinManager()->Section(sd->SkinIndex);
        if (s.Transparency > 0 || (s.HotTransparency > 0 && IsControlActive(sd))) {
            sd->SetBGChanged(true);
            this->Repaint();
        }
        return false;
    }
    case WM_SIZE:
        MarkRegion();
        return false;
    case WM_WINDOWPOSCHANGED:
        MarkRegion();
        sd->SetBGChanged(true);
        return false;
    case WM_LBUTTONDBLCLK:
        // The second press of a double click is a press like the first.
        Message.Msg = WM_LBUTTONDOWN;
        [[fallthrough]];
    case WM_LBUTTONDOWN:
        if (!input)
            return false;
        MouseDownSkinned(Message);
        return true;
    case WM_LBUTTONUP:
        if (!input)
            return false;
        MouseUpSkinned(Message);
        return true;
    case WM_MOUSEMOVE:
        if (input)
            MouseMoveSkinned(Message);
        return false;
    case WM_KEYDOWN:
        if (input && Message.WParam == VK_SPACE)
            SpaceDown();
        return false;
    case CM_DIALOGCHAR:
        if (input && Message.WParam == VK_SPACE && this->Focused()) {
            SpaceDown();
            return true;
        }
        return false;
    case WM_KEYUP:
        if (!input || Message.WParam != VK_SPACE)
            return false;
        SpaceUp(Message);
        return true;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        if (input)
            MouseEnterLeave(Message);
        return false;
    case WM_SETFOCUS:
    case CM_ENTER:
        FocusIn(Message);
        return true;
    case WM_KILLFOCUS:
    case CM_EXIT:
        FocusOut(Message);
        return true;
    case CM_FOCUSCHANGED:
        FocusChanged(Message);
        return false;
    case CM_TEXTCHANGED:
        sd->SetBGChanged(true);
        this->Repaint();
        return false;
    default:
        return false;
    }
}

template <class TBase> void TzPushButtonOf<TBase>::SkinnedAfter(const TMessage& Message)
{
    TzCommonData* sd = FSkinData.get();
    switch (Message.Msg) {
    case WM_SETFONT:
    case CM_FONTCHANGED:
    case CM_ENABLEDCHANGED:
        if (this->Visible()) {
            sd->SetUpdating(false);
            sd->Invalidate();
        }
        break;
    case CM_VISIBLECHANGED:
        sd->SetBGChanged(true);
        this->Repaint();
        break;
    default:
        break;
    }
}

template class TzPushButtonOf<TUcButton>;
template class TzPushButtonOf<TUcBitBtn>;

// ---------------------------------------------------------------------------------------
// TzButton

Z_CLASS_IMPL(TzButton, TUcButton, Z_PROP_OBJ(TzButton, SkinData), Z_PROP_INT(TzButton, FocusMargin, 1),
             Z_PROP_BOOL(TzButton, Down, false))

TzButton::TzButton(TComponent* AOwner) : TzPushButtonOf<TUcButton>(AOwner, ctButton) {}

TRect TzButton::CaptionRect()
{
    const WideString caption = Caption();
    const int w = Width(), h = Height();
    TRect text(0, 0, caption.empty() ? 0 : std::max(0, w - 2), 0);
    if (!caption.empty()) {
        TCanvas* c = FSkinData->CacheBmp()->Canvas();
        c->Font()->Assign(Font());
        DrawWideText(c, caption, text,
                     DT_CALCRECT | DT_CENTER | DT_EXPANDTABS | (WordWrap() ? DT_WORDBREAK : DT_SINGLELINE));
    }
    const int x = (w - text.Width()) / 2, y = (h - text.Height()) / 2;
    TRect r(x - 1, y, w - x + 2, h - y);
    if (Down() && (FSkinData->MouseAbove() || !FMouseClicked))
        r = TRect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
    return r;
}

void TzButton::PaintContent(TBitmap* Cache, int)
{
    const TRect r = CaptionRect();
    DrawCaption(Cache->Canvas(), Caption(), r, DT_CENTER | DT_EXPANDTABS | (WordWrap() ? DT_WORDBREAK : 0));
    DrawFocusFrame(Cache->Canvas(), r, true);
}
