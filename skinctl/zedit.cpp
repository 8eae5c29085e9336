#include "skinctl/zedit.h"

#include "classlib/gdihandles.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskintextpaint.h"
#include "skin/zskinwnd.h"
#include "skinctl/zskinctl.h"

namespace {

// Bevels drawn by a bevel kind: one pixel each.
int BevelCount(const TWinControl* C)
{
    if (C->BevelKind() == bkNone)
        return 0;
    return (C->BevelInner() != bvNone) + (C->BevelOuter() != bvNone);
}

} // namespace

Z_CLASS_IMPL(TzEdit, TEdit, Z_PROP_ENUM(TzEdit, Align, AlignNames, alNone), Z_PROP_WSTR(TzEdit, Text),
             WideHintProp(Z_PROP_WSTR(TzEdit, Hint)), Z_PROP_SET(TzEdit, DisabledKind, DisabledKindNames, dkBlended),
             Z_PROP_OBJ(TzEdit, SkinData), Z_PROP_OBJ(TzEdit, BoundLabel))

TzEdit::TzEdit(TComponent* AOwner) : TzEditControl(AOwner, ctEdit) {}

// Password character ------------------------------------------------------------------------

WideChar TzEdit::WidePasswordChar()
{
    return GetEditWidePasswordChar(this, FWidePasswordChar);
}

void TzEdit::SetWidePasswordChar(WideChar Value)
{
    SetEditWidePasswordChar(this, FWidePasswordChar, Value);
    FSkinData->Invalidate();
}

void TzEdit::CreateWnd()
{
    TzEditControl::CreateWnd();
    ApplyWidePasswordChar(this, FWidePasswordChar);
}

// Painting --------------------------------------------------------------------------------

int TzEdit::FrameWidth() const
{
    const int border = BorderStyle() == bsNone ? 0 : Ctl3D() ? 2 : 1;
    return border + BevelCount(this);
}

void TzEdit::PrepareEditCache()
{
    PrepareFramedCache(this, FSkinData.get(), Height(), FDisabledKind, [this](TBitmap*) { PaintText(); });
}

void TzEdit::PaintText()
{
    TzCommonData* sd = FSkinData.get();
    TCanvas* c = sd->CacheBmp()->Canvas();
    c->Font()->Assign(Font());
    const int inset = FrameWidth();
    const TRect r(inset + 1, inset, Width() - inset, Height() - inset - 1);
    const WideChar pw = WidePasswordChar();
    const WideString text = Text();
    DrawSkinTextByIndexW(c, pw ? WideString(text.size(), pw) : text, TextFlags(true, IsControlActive(sd) && !ReadOnly()),
                         sd->GetSkinManager(), sd->SkinIndex, DT_NOPREFIX, r);
}

void TzEdit::CopyBorder(HDC DC, int Strip)
{
    TBitmap* cache = FSkinData->CacheBmp();
    const int w = Width(), h = Height();
    if (Strip <= 0 || !cache || cache->Width() < w || cache->Height() < h)
        return;
    HDC src = cache->Canvas()->Handle();
    BitBlt(DC, 0, 0, w, Strip, src, 0, 0, SRCCOPY);
    BitBlt(DC, 0, h - Strip, w, Strip, src, 0, h - Strip, SRCCOPY);
    BitBlt(DC, 0, Strip, Strip, h - 2 * Strip, src, 0, Strip, SRCCOPY);
    BitBlt(DC, w - Strip, Strip, Strip, h - 2 * Strip, src, w - Strip, Strip, SRCCOPY);
}

void TzEdit::PaintBorder()
{
    if (WaitsForParent(FSkinData.get()))
        return;
    TWindowDC dc(WindowHandle());
    TSaveDCScope saved(dc.Handle());
    PrepareEditCache();
    FillAllCornersFromParent(FSkinData.get());
    CopyBorder(dc.Handle(), FrameWidth());
}

void TzEdit::PaintToDC(HDC DC)
{
    TzCommonData* sd = FSkinData.get();
    if (WaitsForParent(sd))
        return;
    CheckOutOfClip(this, sd);
    if (!sd->SeeThrough())
        PrepareEditCache();
    FillAllCornersFromParent(sd);
    if (TBitmap* cache = sd->CacheBmp())
        BitBlt(DC, 0, 0, Width(), Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TzEdit::WMPrint(TMessage& Message)
{
    TzCommonData* sd = FSkinData.get();
    const HDC dc = TWMPaint(Message).DC;
    if (!dc)
        return;
    sd->SetUpdating(false);
    PrepareEditCache();
    PaintToDC(dc);
    // The system's edit prints its client area inside the frame we painted.
    const int frame = FrameWidth();
    TSaveDCScope saved(dc);
    POINT org;
    GetWindowOrgEx(dc, &org);
    SetWindowOrgEx(dc, org.x - frame, org.y - frame, nullptr);
    IntersectClipRect(dc, 0, 0, Width() - 2 * frame, Height() - 2 * frame);
    Message.LParam &= ~LPARAM(PRF_NONCLIENT);
    TEdit::WndProc(Message);
}

void TzEdit::TakeStateColors()
{
    TzCommonData* sd = FSkinData.get();
    const TzGeneralData& s = sd->GetSkinManager()->Section(sd->SkinIndex);
    const bool hot = IsControlActive(sd);
    const TColor color = hot ? s.HotColor : s.Color;
    const TColor font = TColor(hot ? s.HotFontColor : s.FontColor);
    if (!sd->CustomColor() && Color() != color)
        SetColor(color);
    if (!sd->CustomFont() && Font()->Color() != font)
        Font()->SetColor(font);
}

void TzEdit::WMPaint(TMessage& Message)
{
    const HDC given = TWMPaint(Message).DC;
    if (WaitsForParent(FSkinData.get())) {
        // Nothing is drawn before the parent's update ends; the window stops asking.
        if (!given) {
            TPaintDC validate(WindowHandle());
        }
        return;
    }
    TakeStateColors();
    TEdit::WndProc(Message);
    // A flat border (WS_BORDER) is the system edit's own, drawn inside its client area by
    // every paint: the skinned strip goes over it again.
    if (!given && !HasNonClientFrame() && FrameWidth() > 0) {
        TWindowDC dc(WindowHandle());
        CopyBorder(dc.Handle(), FrameWidth());
    }
}

bool TzEdit::HasNonClientFrame()
{
    RECT w, c;
    GetWindowRect(WindowHandle(), &w);
    ::GetClientRect(WindowHandle(), &c);
    return w.right - w.left != c.right || w.bottom - w.top != c.bottom;
}

// The window procedure ----------------------------------------------------------------------

bool TzEdit::SkinnedBefore(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_PAINT:
        WMPaint(Message);
        return true;
    case WM_ERASEBKGND:
    case CN_DRAWITEM:
        Message.Result = 1;
        return true;
    case WM_NCPAINT:
        PaintBorder();
        return true;
    case WM_PRINT:
        WMPrint(Message);
        return true;
    case CM_COLORCHANGED:
        if (FSkinData->CustomColor())
            FSkinData->SetBGChanged(true);
        return false;
    default:
        return false;
    }
}

void TzEdit::SkinnedAfter(TMessage& Message)
{
    TzCommonData* sd = FSkinData.get();
    if (SkinCommandOf(Message) == SKCMD_SETSEETHROUGH) {
        if (sd->SeeThrough())
            PrepareEditCache();
        return;
    }
    switch (Message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_ENTER:
    case CM_EXIT:
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        // The frame shows the focused and hot states as soon as they change; a hidden edit
        // paints nothing, but shows the right state when it comes back.
        FollowFocusAndMouse(this, sd, Message, Visible());
        break;
    // A new font colour alone sends no WM_SETFONT: the text in the picture changes all the same.
    case CM_FONTCHANGED:
    case WM_SETFONT:
    case WM_SETTEXT:
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
        if (!IsLoading()) {
            sd->Invalidate();
            // While a skin change runs only invalidated: its one redraw paints the frame.
            RefreshWindowFrame(WindowHandle(), false);
        }
        break;
    case WM_SIZE:
        SendMessageW(WindowHandle(), WM_NCPAINT, 1, 0);
        break;
    default:
        break;
    }
}

bool TzEdit::PreviewMessage(TMessage& Message)
{
    if (SkinCommandOf(Message) != SKCMD_ISIMAGEBG)
        return false;
    TWMSkinCommand(Message).Answer(0);
    return true;
}

void TzEdit::SkinChanged(TWMSkinCommand& Command)
{
    if (Command.Command != SKCMD_SKINREMOVED) {
        TzEditControl::SkinChanged(Command);
        return;
    }
    // The system paints its own frame again over the skinned one.
    if (HandleAllocated())
        RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}
