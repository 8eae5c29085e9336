#include "skinctl/zspeedbutton.h"

#include "classlib/forms.h"
#include "classlib/imglist.h"
#include "classlib/menus.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskintextpaint.h"
#include "skinctl/zskinctl.h"

#include <algorithm>

namespace {

constexpr int SpeedctButton = 92;

// One drop-down menu is open at a time, whichever button opened it.
bool DropDownOpen = false;

TzCacheInfo MovedBy(TzCacheInfo Parent, TPoint Offset)
{
    Parent.X += Offset.X;
    Parent.Y += Offset.Y;
    return Parent;
}

const char* const ButtonStyleNames[] = {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"};

} // namespace

Z_CLASS_IMPL(TzSpeedButton, TUcSpeedButton, Z_PROP_OBJ(TzSpeedButton, SkinData),
             Z_PROP_ENUM(TzSpeedButton, ButtonStyle, ButtonStyleNames, tbsButton), Z_PROP_INT(TzSpeedButton, Blend, 0),
             Z_PROP_BOOL(TzSpeedButton, Grayed, false), Z_PROP_INT(TzSpeedButton, ImageIndex, -1),
             Z_PROP_BOOL(TzSpeedButton, ShowCaption, true), Z_PROP_BOOL(TzSpeedButton, DrawOverBorder, true),
             Z_PROP_INT(TzSpeedButton, TextOffset, 0))

TzSpeedButton::TzSpeedButton(TComponent* AOwner)
    : TUcSpeedButton(AOwner), FSkinData(MakeSkinData(this, SpeedctButton, true))
{
    FSavedGlyphChange = ButtonGlyph()->OnChange;
    ButtonGlyph()->OnChange = MakeMethod<&TzSpeedButton::GlyphChanged>(this);
}

TzSpeedButton::~TzSpeedButton()
{
    StopAnimation();
    FSkinData.reset();
}

void TzSpeedButton::AfterConstruction()
{
    TUcSpeedButton::AfterConstruction();
    FSkinData->Loaded();
    if (FSkinData->Skinned())
        SetControlStyle(ControlStyle() | csOpaque);
}

void TzSpeedButton::Loaded()
{
    TUcSpeedButton::Loaded();
    FSkinData->Loaded();
    if (FSkinData->Skinned())
        SetControlStyle(ControlStyle() | csOpaque);
}

// Properties ----------------------------------------------------------------------------

void TzSpeedButton::Changed()
{
    FSkinData->Invalidate();
}

void TzSpeedButton::Invalidate()
{
    if (FSkinData)
        FSkinData->SetBGChanged(true);
    TUcSpeedButton::Invalidate();
}

void TzSpeedButton::GlyphChanged(TObject* Sender)
{
    if (FSavedGlyphChange)
        FSavedGlyphChange(Sender);
    if (!IsLoading() && !IsDestroying())
        FSkinData->Invalidate();
}

void TzSpeedButton::SetButtonStyle(TToolButtonStyle Value)
{
    const TToolButtonStyle old = FButtonStyle;
    if (!StoreChanged(FButtonStyle, Value))
        return;
    if (Value == tbsCheck)
        MakeOwnGroup();
    if (!IsLoading() && (old == tbsDropDown) != (Value == tbsDropDown))
        SetWidth(Width() + (Value == tbsDropDown ? DropDownArrowWidth : -DropDownArrowWidth));
    if (Visible())
        FSkinData->SetBGChanged(true);
    Redraw();
}

void TzSpeedButton::SetDropdownMenu(TPopupMenu* Value)
{
    ReplaceLink(FDropdownMenu, Value);
}

void TzSpeedButton::MakeOwnGroup()
{
    // A check button without a group of its own is given one that only it belongs to.
    static int nextGroup = 0x40000000;
    if (GroupIndex() == 0)
        SetGroupIndex(++nextGroup);
    SetAllowAllUp(true);
}

void TzSpeedButton::SetChecked(bool Value)
{
    if (FButtonStyle != tbsCheck || Value == Down())
        return;
    SetDown(Value);
    Changed();
}

void TzSpeedButton::SetBlend(int Value)
{
    if (StoreChanged(FLook.Blend, std::clamp(Value, 0, 100)))
        Changed();
}

void TzSpeedButton::SetGrayed(bool Value)
{
    if (StoreChanged(FLook.Grayed, Value))
        Changed();
}

void TzSpeedButton::SetDisabledGlyphKind(TzDisabledGlyphKind Value)
{
    if (!StoreChanged(FLook.DisabledGlyphKind, Value))
        return;
    RebuildGlyphStrip();
    Changed();
}

void TzSpeedButton::SetDisabledKind(TzDisabledKind Value)
{
    if (StoreChanged(FDisabledKind, Value))
        Changed();
}

void TzSpeedButton::SetImages(TCustomImageList* Value)
{
    if (!ReplaceLink(FImages, Value))
        return;
    RebuildGlyphStrip();
    Changed();
}

void TzSpeedButton::SetImageIndex(int Value)
{
    if (!StoreChanged(FImageIndex, Value))
        return;
    RebuildGlyphStrip();
    Changed();
}

void TzSpeedButton::SetShowCaption(bool Value)
{
    if (StoreChanged(FShowCaption, Value))
        Changed();
}

void TzSpeedButton::SetDrawOverBorder(bool Value)
{
    if (StoreChanged(FDrawOverBorder, Value))
        Changed();
}

void TzSpeedButton::SetAlignment(TAlignment Value)
{
    if (StoreChanged(FAlignment, Value))
        Changed();
}

void TzSpeedButton::SetTextAlignment(TAlignment Value)
{
    if (StoreChanged(FTextAlignment, Value))
        Changed();
}

void TzSpeedButton::RebuildGlyphStrip()
{
    if (FSkinData->Skinned() || (IsLoading() && IsDesigning()))
        return;
    MakeGlyphStrip(ButtonGlyph(), FImages, FImageIndex, FLook.DisabledGlyphKind);
}

void TzSpeedButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TUcSpeedButton::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FImages) {
        FImages = nullptr;
        Changed();
    }
    if (AComponent == FDropdownMenu)
        FDropdownMenu = nullptr;
}

void TzSpeedButton::ActionChange(TObject* Sender, bool CheckDefaults)
{
    TUcSpeedButton::ActionChange(Sender, CheckDefaults);
    FSkinData->Invalidate();
}

// States and painting -------------------------------------------------------------------

int TzSpeedButton::CurrentState()
{
    if (State() == bsDown || State() == bsExclusive || Checked())
        return 2;
    // A drop-down button without a click of its own is pressed whole while its menu shows.
    if (FMenuShown && !OnClick)
        return 2;
    return IsControlActive(FSkinData.get()) ? 1 : 0;
}

int TzSpeedButton::ArrowState()
{
    if (FMenuShown || State() == bsDown || State() == bsExclusive)
        return 2;
    return IsControlActive(FSkinData.get()) ? 1 : 0;
}

TzGlyphPlaces TzSpeedButton::Places()
{
    FSkinData->PrepareCache();
    const TSize glyph = SkinButtonGlyphSize(Glyph(), NumGlyphs(), FImages, FImageIndex);
    const WideString caption = Caption();
    TSize text{0, 0};
    if (FShowCaption && !caption.empty()) {
        int room = Width() - ArrowWidth() - 2 * std::max(0, Margin());
        if (glyph.cx > 0 && (Layout() == blGlyphLeft || Layout() == blGlyphRight))
            room -= glyph.cx + std::max(0, Spacing());
        TCanvas* c = FSkinData->CacheBmp()->Canvas();
        c->Font()->Assign(Font());
        TRect r(0, 0, std::max(1, room), 0);
        DrawWideText(c, caption, r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        text = TSize{r.Width(), r.Height()};
    }
    return PlaceGlyphAndCaption(TRect(0, 0, Width() - ArrowWidth(), Height()), glyph, text, Layout(), Margin(),
                                Spacing(), FAlignment, UINT(DrawTextBiDiModeFlagsReadingOnly()), CurrentState() == 2);
}

void TzSpeedButton::PaintCaption(TBitmap* Cache, const TRect& R, int State)
{
    if (!FShowCaption)
        return;
    TCanvas* c = Cache->Canvas();
    c->Font()->Assign(Font());
    c->Brush()->SetStyle(bsClear);
    const int alignment = FTextAlignment == taLeftJustify ? 0 : FTextAlignment == taRightJustify ? 1 : 2;
    const UINT flags = (AlignmentToTextFlags(this, alignment) & ~UINT(DT_VCENTER | DT_SINGLELINE)) | DT_WORDBREAK;
    DrawSkinTextW(FSkinData.get(), c, Caption(), TextFlags(Enabled(), State != 0), flags, R);
}

void TzSpeedButton::PaintButtonPart(TBitmap* Cache, const TzBackdrop& Behind, const TRect& Area, int State,
                                    bool Content)
{
    TzCommonData* sd = FSkinData.get();
    TzSkinManager* m = sd->GetSkinManager();
    const TPoint at(Left(), Top());
    const bool overBorder = FDrawOverBorder || !m->IsValidMaskIndex(sd->BorderIndex);
    if (overBorder)
        PaintSkinSection(sd->SectionSkin(), Behind, bfFillCentre | bfKeysShowParent, Cache, at, Area, TzPaintState(State));
    else
        PaintSectionBackground(sd->SectionSkin(), TzBackdrop(Behind.Picture), TzPaintState(State), Cache, at, Area);
    if (Content) {
        const TzGlyphPlaces places = Places();
        PaintCaption(Cache, places.Text, State);
        DrawSkinButtonGlyph(Cache, TPoint(places.Glyph.Left, places.Glyph.Top), Glyph(), NumGlyphs(), FImages,
                            FImageIndex, State, Enabled(), FLook, MovedBy(Behind.Picture, at));
    }
    if (!overBorder)
        DrawSkinRect(Cache, Area, bfKeysShowParent, TzPaintState(State), m->Mask(sd->BorderIndex),
                     MovedBy(Behind.Picture, at));
}

void TzSpeedButton::FillFromParent(TBitmap* Cache, const TzCacheInfo& Parent)
{
    if (Parent.Ready && Parent.Bmp)
        CopyBmpRect(Cache, 0, 0, Bounds(Parent.X + Left(), Parent.Y + Top(), Width(), Height()), Parent.Bmp);
    else
        FillBmpRect(Cache, TRect(0, 0, Width(), Height()), this->Parent() ? QueryParentColor(this->Parent()) : TColor(clBtnFace));
}

void TzSpeedButton::PaintDivider(TBitmap* Cache, const TzCacheInfo& Parent)
{
    FillFromParent(Cache, Parent);
    TzSkinManager* m = FSkinData->GetSkinManager();
    const int section = m->FindSectionIndex("DIVIDER");
    if (!m->IsValidSkinIndex(section))
        return;
    const int mask = m->FindMaskIndex(section, "DIVIDER", "BORDERSMASK");
    if (!m->IsValidMaskIndex(mask))
        return;
    const int w = MaskFrame(m->Mask(mask)).cx;
    DrawSkinRect(Cache, TRect((Width() - w) / 2, 1, (Width() + w) / 2, Height() - 2), bfFillCentre | bfKeysShowParent,
                 psNormal, m->Mask(mask), MovedBy(Parent, TPoint(Left(), Top())));
}

void TzSpeedButton::PrepareCache()
{
    TzCommonData* sd = FSkinData.get();
    sd->PrepareCache();
    TBitmap* cache = sd->CacheBmp();
    if (!cache || Width() < 1 || Height() < 1 || !sd->Skinned())
        return;
    const TzBackdrop behind = sd->Backdrop();
    const TzCacheInfo& parent = behind.Picture;
    switch (FButtonStyle) {
    case tbsSeparator:
        FillFromParent(cache, parent);
        break;
    case tbsDivider:
        PaintDivider(cache, parent);
        break;
    default: {
        PaintButtonPart(cache, behind, TRect(0, 0, Width() - ArrowWidth(), Height()), CurrentState(), true);
        if (FButtonStyle != tbsDropDown)
            break;
        const int state = ArrowState();
        PaintButtonPart(cache, behind, TRect(Width() - DropDownArrowWidth, 0, Width(), Height()), state, false);
        TzSkinManager* m = sd->GetSkinManager();
        const int section = m->FindSectionIndex("SCROLLBTNBOTTOM");
        const int arrow = m->IsValidSkinIndex(section) ? m->FindMaskIndex(section, "SCROLLBTNBOTTOM", "GLYPHMASK") : -1;
        if (m->IsValidMaskIndex(arrow)) {
            const TSize f = MaskFrame(m->Mask(arrow));
            DrawSkinGlyph(cache, TPoint(Width() - DropDownArrowWidth + (DropDownArrowWidth - f.cx) / 2 + 1, (Height() - f.cy) / 2),
                          TzPaintState(state), m->Mask(arrow), 1);
        }
        break;
    }
    }
    if (!Enabled())
        ApplyDisabledKind(cache, FDisabledKind, this, TPoint(Left(), Top()), parent);
    if (OnPaint)
        OnPaint(this, cache);
    FLastDown = Down();
    FLastNumGlyphs = NumGlyphs();
    FLastSpacing = Spacing();
    sd->SetBGChanged(false);
}

void TzSpeedButton::Paint()
{
    TzCommonData* sd = FSkinData.get();
    TzSkinManager* m = sd->GetSkinManager();
    // Index 0 is a section like any other: only a missing one is looked up again.
    if (m && m->Active() && !m->IsValidSkinIndex(sd->SkinIndex))
        sd->UpdateIndexes();
    if (!sd->Skinned() || (!Visible() && !IsDesigning())) {
        PaintPlain();
        return;
    }
    if (Width() < 1 || Height() < 1 || sd->GetUpdating())
        return;
    TBitmap* work = FAnimTimer ? FAnimTimer->WorkImage() : nullptr;
    if (work && work->Width() == Width() && work->Height() == Height()) {
        BitBlt(Canvas()->Handle(), 0, 0, Width(), Height(), work->Canvas()->Handle(), 0, 0, SRCCOPY);
        return;
    }
    sd->SetBGChanged(FLastDown != Down() || sd->BGChanged() || sd->OutOfClip() || FLastNumGlyphs != NumGlyphs() ||
                     FLastSpacing != Spacing());
    sd->SetOutOfClip(sd->NeedsParentImage());
    if (sd->BGChanged() && !sd->SeeThrough())
        PrepareCache();
    FillAllCornersFromParent(sd);
    if (TBitmap* cache = sd->CacheBmp())
        BitBlt(Canvas()->Handle(), 0, 0, Width(), Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TzSpeedButton::PaintPlain()
{
    HDC dc = Canvas()->Handle();
    if (FButtonStyle == tbsSeparator || FButtonStyle == tbsDivider) {
        if (FButtonStyle == tbsDivider) {
            RECT line{Width() / 2 - 1, 1, Width() / 2 + 1, Height() - 1};
            DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
        }
        return;
    }
    TUcSpeedButton::Paint();
    if (FButtonStyle != tbsDropDown)
        return;
    // The part's own edge and a small arrow in the button text's colour.
    const int left = Width() - DropDownArrowWidth;
    RECT edge{left, 3, left + 2, Height() - 3};
    DrawEdge(dc, &edge, EDGE_ETCHED, BF_LEFT);
    const int shift = FMenuShown || State() == bsDown ? 1 : 0;
    const int cx = left + DropDownArrowWidth / 2 + shift, cy = Height() / 2 - 1 + shift;
    TOwnedBrush brush(CreateSolidBrush(ColorToRGB(Enabled() ? clBtnText : clGrayText)));
    for (int row = 0; row < 3; ++row) {
        RECT r{cx - 2 + row, cy + row, cx + 3 - row, cy + row + 1};
        FillRect(dc, &r, brush.Handle());
    }
}

void TzSpeedButton::Redraw()
{
    if ((ComponentState() & (csLoading | csDestroying | csCreating)) || !Parent() || !Visible())
        return;
    if (!Parent()->HandleAllocated())
        return;
    HWND parent = Parent()->WindowHandle();
    SendCommandToWindow(parent, SKCMD_SETPAINTINGCHILD, reinterpret_cast<LPARAM>(this));
    Repaint();
    if (IsWindow(parent))
        SendCommandToWindow(parent, SKCMD_SETPAINTINGCHILD, 0);
}

// Animation -----------------------------------------------------------------------------

void TzSpeedButton::StateChanged(bool HalfTime, bool Animate)
{
    TzCommonData* sd = FSkinData.get();
    const bool fade = Animate && !SkinIsChanging && sd->Skinned() &&
                      sd->GetSkinManager()->Section(sd->SkinIndex).FadingEnabled && SkinFadingOn && !sd->BGChanged();
    sd->SetBGChanged(true);
    if (fade) {
        StartAnimation(HalfTime);
        return;
    }
    StopAnimation();
    Redraw();
}

void TzSpeedButton::StartAnimation(bool HalfTime)
{
    TzCommonData* sd = FSkinData.get();
    // What the button shows now: the running animation's frame, else its cache.
    auto start = std::make_unique<TBitmap>();
    TBitmap* shown = FAnimTimer && FAnimTimer->WorkImage()->Width() == Width() ? FAnimTimer->WorkImage() : sd->CacheBmp();
    start->Assign(shown);
    int carry = 1;
    if (FAnimTimer) {
        // A change while one runs goes on for as long as the part already done.
        carry = std::max(1, FAnimTimer->Step - 1);
        FAnimTimer->SetEnabled(false);
        FAnimTimer->Release();
        FAnimTimer = nullptr;
    }
    FAnimTimer = MakeComponent<TzAnimTimer>(this);
    FAnimTimer->Prepare(sd);
    if (HalfTime)
        FAnimTimer->Iterations /= 2;
    FAnimTimer->Step = std::min(carry, std::max(1, FAnimTimer->Iterations));
    FAnimTimer->StartImage()->Assign(start.get());
    PrepareCache();
    FillAllCornersFromParent(sd);
    FAnimTimer->SetEnabled(true);
    FAnimTimer->AnimStep();
}

void TzSpeedButton::StopAnimation()
{
    TzAnimTimer* t = FAnimTimer;
    if (!t)
        return;
    FAnimTimer = nullptr;
    t->SetEnabled(false);
    const bool stepped = t->Step > 1;
    t->Release();
    if (stepped && FSkinData && !IsDestroying()) {
        FSkinData->SetBGChanged(true);
        Redraw();
    }
}

// Mouse -----------------------------------------------------------------------------------

void TzSpeedButton::MouseEnterLeave(TMessage& Message)
{
    const bool enter = Message.Msg == CM_MOUSEENTER;
    TzCommonData* sd = FSkinData.get();
    if (!Enabled() || IsDesigning() || (enter && sd->MouseAbove()))
        return;
    TNotifyEvent& event = enter ? OnMouseEnter : OnMouseLeave;
    if (event)
        event(this);
    sd->SetMouseAbove(enter);
    StateChanged(false, AnimEventOn(enter ? aeMouseEnter : aeMouseLeave, FAnimatEvents));
}

void TzSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    HoldHints();
    if (Button == mbLeft && Enabled() && FButtonStyle == tbsDropDown && FDropdownMenu &&
        !(X < Width() - DropDownArrowWidth && OnClick)) {
        DropDown();
        return;
    }
    TUcSpeedButton::MouseDown(Button, Shift, X, Y);
}

void TzSpeedButton::DropDown()
{
    StopAnimation();
    if (DropDownOpen)
        return;
    DropDownOpen = true;
    FMenuShown = true;
    FSkinData->SetBGChanged(true);
    Redraw();
    const TPoint at = ClientToScreen(TPoint(0, Height() + 1));
    TPopupMenu* menu = FDropdownMenu;
    menu->SetPopupComponent(this);
    // The menu runs the chosen item before it returns: the item may free this button.
    TSkFreeWatch watch(this);
    HWND parent = Parent()->Handle();
    menu->Popup(at.X, at.Y);
    DropDownOpen = false;
    // The menu took the release: the press ends here, the hints come back and the parent
    // lets the mouse go (for a button freed meanwhile too).
    ReleaseHints();
    if (!watch.Freed())
        SetMouseCapture(false);
    if (GetCapture() == parent)
        ReleaseCapture();
    if (watch.Freed())
        return;
    FMenuShown = false;
    POINT cursor;
    GetCursorPos(&cursor);
    if (!GetClientRect().Contains(ScreenToClient(TPoint(cursor.x, cursor.y))))
        Perform(CM_MOUSELEAVE, 0, 0);
    FSkinData->SetBGChanged(true);
    Redraw();
}

void TzSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    ReleaseHints();
    if (FButtonStyle == tbsDropDown)
        FMenuShown = false;
    TUcSpeedButton::MouseUp(Button, Shift, X, Y);
}

// The window procedure ------------------------------------------------------------------

void TzSpeedButton::WndProc(TMessage& Message)
{
    TzCommonData* sd = FSkinData.get();
    if (!sd) {
        TUcSpeedButton::WndProc(Message);
        return;
    }
    switch (SkinCommandOf(Message)) {
    case SKCMD_SKINREMOVED:
        if (FromOwnManager(Message, sd)) {
            StopAnimation();
            CommonMessageHandler(Message, sd);
            SetControlStyle(ControlStyle() & ~csOpaque);
            RebuildGlyphStrip();
            RepaintForSkin(this);
            return;
        }
        break;
    case SKCMD_NEWSKIN:
    case SKCMD_REFRESH:
        if (FromOwnManager(Message, sd)) {
            StopAnimation();
            CommonMessageHandler(Message, sd);
            if (sd->Skinned())
                SetControlStyle(ControlStyle() | csOpaque);
            if (SkinCommandOf(Message) == SKCMD_REFRESH)
                RepaintForSkin(this);
            return;
        }
        break;
    case SKCMD_ISSKINNED:
        Message.LParam = 1;
        return;
    case SKCMD_SETSEETHROUGH:
        CommonMessageHandler(Message, sd);
        if (sd->SeeThrough())
            PrepareCache();
        return;
    case SKCMD_ISUPDATING:
        Message.LParam = sd->GetUpdating();
        return;
    case SKCMD_INVALIDATESECTION:
        sd->SetBGChanged(true);
        Redraw();
        return;
    case SKCMD_FADEDONE:
        StopAnimation();
        return;
    default:
        break;
    }
    if (!sd->Skinned() || !IsControlReady(this)) {
        if (Message.Msg == CM_MOUSEENTER || Message.Msg == CM_MOUSELEAVE) {
            TNotifyEvent& event = Message.Msg == CM_MOUSEENTER ? OnMouseEnter : OnMouseLeave;
            if (event)
                event(this);
        }
        TUcSpeedButton::WndProc(Message);
        return;
    }
    const bool input = !IsDesigning();
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
        if (Visible())
            sd->SetBGChanged(true);
        break;
    case WM_LBUTTONUP:
        if (input && FAnimTimer && FAnimTimer->WorkImage()->Width() == Width()) {
            StopAnimation();
            PrepareCache();
            Redraw();
        }
        break;
    case CM_TEXTCHANGED:
        if (FShowCaption)
            sd->Invalidate();
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        MouseEnterLeave(Message);
        break;
    default:
        break;
    }
    const bool press = Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK || Message.Msg == WM_LBUTTONUP;
    // A press or release may run a click that frees the button.
    std::unique_ptr<TSkFreeWatch> watch = press ? std::make_unique<TSkFreeWatch>(this) : nullptr;
    if (!CommonMessageHandler(Message, sd))
        TUcSpeedButton::WndProc(Message);
    if ((watch && watch->Freed()) || !input)
        return;
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        StateChanged(true, AnimEventOn(aeMouseDown, FAnimatEvents));
        break;
    case WM_LBUTTONUP:
        StateChanged(true, AnimEventOn(aeMouseUp, FAnimatEvents));
        break;
    case CM_VISIBLECHANGED:
        Perform(CM_MOUSELEAVE, 0, 0);
        break;
    case CM_ENABLEDCHANGED:
        if (Visible())
            sd->SetBGChanged(true);
        Redraw();
        break;
    default:
        break;
    }
}
