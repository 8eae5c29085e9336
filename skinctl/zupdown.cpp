#include "skinctl/zupdown.h"

#include "classlib/gdihandles.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskintextpaint.h"
#include "skinctl/zeditcontrol.h"
#include "skinctl/zskinctl.h"

Z_CLASS_IMPL(TzUpDown, TCustomUpDown, Z_UPDOWN_PROPS(TzUpDown), Z_PROP_BOOL(TzUpDown, ShowInaccessibility, true),
             Z_PROP_SET(TzUpDown, DisabledKind, DisabledKindNames, dkBlended), Z_PROP_STR(TzUpDown, ButtonSkin))

namespace {

// The parent's picture for its child: ready only when the parent paints one.
TzCacheInfo ParentPicture(TControl* Child)
{
    if (!Child->Parent())
        return TzCacheInfo{};
    SharedCacheInfo.Ready = false;
    SendCommandToControl(Child->Parent(), SKCMD_GETBGIMAGE, 0);
    return SharedCacheInfo;
}

// The manager of a skinned control: what its published skin data names.
TzSkinManager* ManagerOfSkinnedControl(TControl* Control)
{
    if (!Control || !AskControlCommand(Control, SKCMD_ISSKINNED))
        return nullptr;
    const TPropInfo* prop = Control->ClassInfo().FindProp("SkinData");
    auto* data = prop && prop->GetObj ? dynamic_cast<TzCommonData*>(prop->GetObj(Control)) : nullptr;
    return data ? data->GetSkinManager() : nullptr;
}

} // namespace

TzUpDown::TzUpDown(TComponent* AOwner) : TCustomUpDown(AOwner)
{
    // A quick second press is a press: it steps like the first.
    SetControlStyle(ControlStyle() & ~csDoubleClicks);
}

TzUpDown::~TzUpDown()
{
    DestroyWindowFirst();
}

void TzUpDown::SetShowInaccessibility(bool Value)
{
    if (StoreChanged(FShowInaccessibility, Value))
        Repaint();
}

void TzUpDown::SetDisabledKind(TzDisabledKind Value)
{
    if (StoreChanged(FDisabledKind, Value))
        Repaint();
}

void TzUpDown::SetButtonSkin(const AnsiString& Value)
{
    if (StoreChanged(FButtonSkin, Value))
        Invalidate();
}

void TzUpDown::SetButtonState(TzUpDownButtonState Value)
{
    if (StoreChanged(FButtonState, Value))
        Repaint();
}

TzSkinManager* TzUpDown::SkinManager() const
{
    if (TzSkinManager* m = ManagerOfSkinnedControl(Parent()))
        return m;
    return DefaultManager;
}

namespace {

// The scroll-button part of a button: up / down of a vertical up-down, left / right of a
// horizontal one.
const TSkCommonIndexes::ScrollPart& ScrollPartOf(const TzSkinManager* M, TUDOrientation O, bool First)
{
    const TSkCommonIndexes& c = M->Cache();
    if (O == udVertical)
        return First ? c.ScrollBtnTop : c.ScrollBtnBottom;
    return First ? c.ScrollBtnLeft : c.ScrollBtnRight;
}

int ButtonSection(const TzSkinManager* M, const AnsiString& ButtonSkin, TUDOrientation O, bool First)
{
    return ButtonSkin.empty() ? ScrollPartOf(M, O, First).Section : M->FindSectionIndex(ButtonSkin);
}

} // namespace

bool TzUpDown::Skinned() const
{
    TzSkinManager* m = SkinManager();
    if (!m || !m->Active() || !m->SkinData().Active)
        return false;
    return m->IsValidSkinIndex(ButtonSection(m, FButtonSkin, Orientation(), true)) &&
           m->IsValidSkinIndex(ButtonSection(m, FButtonSkin, Orientation(), false));
}

int TzUpDown::LimitOf(bool First) const
{
    const bool towardMax = Orientation() == udVertical ? First : !First;
    return towardMax ? Max() : Min();
}

bool TzUpDown::AtLimit(bool First)
{
    return Position() == LimitOf(First);
}

bool TzUpDown::InFirst(TPoint P) const
{
    return Orientation() == udHorizontal ? P.X < Width() / 2 : P.Y < Height() / 2;
}

TRect TzUpDown::ButtonRect(bool First) const
{
    const int w = Width(), h = Height();
    if (Orientation() == udHorizontal)
        return First ? TRect(0, 0, w / 2, h) : TRect(w / 2, 0, w, h);
    return First ? TRect(0, 0, w, h / 2) : TRect(0, h / 2, w, h);
}

// Painting ------------------------------------------------------------------------------------

void TzUpDown::WMPaint(TMessage& Message)
{
    HDC given = reinterpret_cast<HDC>(Message.WParam);
    if (given) {
        PaintButton(given, true);
        PaintButton(given, false);
        return;
    }
    TPaintDC dc(WindowHandle());
    PaintButton(dc.Handle(), true);
    PaintButton(dc.Handle(), false);
}

void TzUpDown::PaintButton(HDC DC, bool First)
{
    TzSkinManager* m = SkinManager();
    const TRect r = ButtonRect(First);
    const int w = r.Width(), h = r.Height();
    if (w < 2 || h < 2)
        return;
    if (!FButtonBmp || FButtonBmp->Width() != w || FButtonBmp->Height() != h)
        FButtonBmp = CreateBmp24(w, h);
    TBitmap* bmp = FButtonBmp.get();
    const TzCacheInfo parent = ParentPicture(this);
    const TPoint at(Left() + r.Left, Top() + r.Top);

    const int hot = First ? ubsFirstHot : ubsSecondHot, pressed = First ? ubsFirstPressed : ubsSecondPressed;
    const int state = FButtonState == hot ? 1 : FButtonState == pressed ? 2 : 0;
    PaintSectionOverParent(ButtonSection(m, FButtonSkin, Orientation(), First), m, bmp, TRect(0, 0, w, h),
                           TzPaintState(state),
                           parent.Ready ? parent.Bmp : nullptr, TPoint(parent.X + at.X, parent.Y + at.Y), true);

    const int glyph = ScrollPartOf(m, Orientation(), First).GlyphMask;
    const TSize frame = m->GetMaskFrameSize(glyph);
    const TPoint g((w - frame.cx) / 2, (h - frame.cy) / 2);
    // An arrow larger than the button is left out, and so is the disabled look.
    if (m->IsValidMaskIndex(glyph) && g.X >= 0 && g.Y >= 0) {
        DrawSkinGlyph(bmp, g, TzPaintState(state), m->Mask(glyph), 1);
        if (!Enabled() || (FShowInaccessibility && AtLimit(First))) {
            if (parent.Ready)
                ApplyDisabledKind(bmp, FDisabledKind, this, at, parent);
            else
                BlendRoundRect(bmp, TRect(0, 0, w, h), 60, 0, Parent() ? QueryParentColor(Parent()) : clBtnFace);
        }
    }
    BitBlt(DC, r.Left, r.Top, w, h, bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

// Mouse -----------------------------------------------------------------------------------------

void TzUpDown::HitTest(const TMessage& Message)
{
    const TPoint p = ScreenToClient(TPoint(zmsg::SignedLo(Message.LParam), zmsg::SignedHi(Message.LParam)));
    const bool first = InFirst(p);
    TzUpDownButtonState next = FButtonState;
    if (FShowInaccessibility && AtLimit(first))
        next = ubsNone;
    else if (!FMouseDown)
        next = first ? ubsFirstHot : ubsSecondHot;
    SetButtonState(next);
}

void TzUpDown::ButtonDown()
{
    FMouseDown = true;
    // The press has stepped already: a button that reached its limit shows no press.
    if (FButtonState == ubsFirstHot && !AtLimit(true))
        SetButtonState(ubsFirstPressed);
    else if (FButtonState == ubsSecondHot && !AtLimit(false))
        SetButtonState(ubsSecondPressed);
}

void TzUpDown::ButtonUp()
{
    FMouseDown = false;
    if (FButtonState == ubsFirstPressed)
        SetButtonState(FShowInaccessibility && AtLimit(true) ? ubsNone : ubsFirstHot);
    else if (FButtonState == ubsSecondPressed)
        SetButtonState(FShowInaccessibility && AtLimit(false) ? ubsNone : ubsSecondHot);
}

// The window procedure -----------------------------------------------------------------------

void TzUpDown::WndProc(TMessage& Message)
{
    const bool designing = IsDesigning();
    switch (Message.Msg) {
    case WM_PAINT:
        if (Skinned()) {
            WMPaint(Message);
            return;
        }
        break;
    case WM_PRINTCLIENT:
        if (Skinned()) {
            Message.Result = Perform(WM_PAINT, Message.WParam, Message.LParam);
            return;
        }
        break;
    case WM_ERASEBKGND:
        if (Skinned()) {
            Message.Result = 1;
            return;
        }
        break;
    case WM_NCHITTEST:
        TCustomUpDown::WndProc(Message);
        if (!designing)
            HitTest(Message);
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDBLCLK:
        TCustomUpDown::WndProc(Message);
        if (!designing)
            ButtonDown();
        return;
    case WM_LBUTTONUP:
        TCustomUpDown::WndProc(Message);
        if (!designing && FMouseDown)
            ButtonUp();
        return;
    case CM_MOUSELEAVE:
        TCustomUpDown::WndProc(Message);
        if (!designing) {
            FMouseDown = false;
            SetButtonState(ubsNone);
        }
        return;
    case SM_SKINCMD:
        switch (Message.WParamHi()) {
        case SKCMD_ISSKINNED:
            Message.LParam = 1;
            return;
        case SKCMD_SKINREMOVED:
        case SKCMD_REFRESH:
            if (Message.LParam == reinterpret_cast<LPARAM>(SkinManager()) && HandleAllocated())
                RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
            return;
        default:
            return;
        }
    default:
        break;
    }
    TCustomUpDown::WndProc(Message);
}
