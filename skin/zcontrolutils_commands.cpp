// The receiving side of the skin command: what every skinned window procedure runs first,
// and the painting of graphic children over a self-painting parent's picture.
#include "classlib/gdihandles.h"
#include "classlib/forms.h"
#include "classlib/stdctrls.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"

#include <cstring>

bool IsEditLike(const TzCommonData* SD)
{
    TControl* c = SD->OwnerControl();
    return dynamic_cast<TCustomEdit*>(c) || dynamic_cast<TCustomComboBox*>(c) || SD->CtrlTypeCode == ctListBox;
}

namespace {

void SkinRemoved(TzSkinManager* Manager, TzCommonData* SD)
{
    // A manager that goes away takes the control's tie to it along.
    if (Manager && Manager->IsDestroying() && SD->OwnSkinManager() == Manager)
        SD->SetSkinManager(nullptr);
    SD->ClearIndexes();
    SD->SetUpdating(true);
    if (TBitmap* cache = SD->CacheBmp())
        cache->SetSize(0, 0);
    if (TControl* c = SD->OwnerControl(); c && IsEditLike(SD)) {
        if (!SD->CustomColor())
            c->SetColor(clWindow);
        if (!SD->CustomFont())
            c->Font()->SetColor(clWindowText);
    }
}

void Refresh(TzCommonData* SD)
{
    // A skin read again with other colours (hue, saturation) frees the records the indexes
    // pointed into: they are resolved again before anything paints.
    SD->UpdateIndexes();
    SD->SetBGChanged(true);
    SD->SetUpdating(false);
    if (!SD->Skinned())
        return;
    TControl* c = SD->OwnerControl();
    if (c && IsEditLike(SD)) {
        const TzGeneralData& s = SD->GetSkinManager()->Section(SD->SkinIndex);
        if (!SD->CustomColor())
            c->SetColor(s.Color);
        if (!SD->CustomFont())
            c->Font()->SetColor(TColor(s.FontColor));
    }
    if (dynamic_cast<TWinControl*>(c))
        AnnounceControlToForm(c);
}

// The colour the parent shows behind the control, as RGB; the control's own without one.
TColor ParentBackColor(const TzCommonData* SD)
{
    const TColor p = SD->ParentColor();
    if (p != SkinKeyColor)
        return p;
    TControl* c = SD->OwnerControl();
    return ColorToRGB(c ? c->Color() : clBtnFace);
}

// The background colour of a skinned control: the section colour, the parent's for a fully
// transparent section, and for a partly transparent one the blend the painter makes
// (the section's fill over the parent with the parent weighing T * 255 / 100).
TColor BackgroundColor(const TzCommonData* SD)
{
    TControl* c = SD->OwnerControl();
    if (!SD->Skinned())
        return ColorToRGB(c ? c->Color() : clBtnFace);
    const TzGeneralData& s = SD->GetSkinManager()->Section(SD->SkinIndex);
    const int t = std::clamp(int(s.Transparency), 0, 100);
    if (t == 0)
        return SD->CustomColor() && c ? ColorToRGB(c->Color()) : ColorToRGB(s.Color);
    const TColor p = ParentBackColor(SD);
    if (t == 100)
        return p;
    const TColor sc = ColorToRGB(s.Color);
    const int a = t * 255 / 100;
    TColor out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int cs = (sc >> shift) & 0xFF, cp = (p >> shift) & 0xFF;
        out |= TColor(((cs * (255 - a) + cp * a + 127) >> 8) & 0xFF) << shift;
    }
    return out;
}

void RepaintChildren(TMessage& M, TzCommonData* SD)
{
    const bool needs = SD->NeedsParentImage();
    SD->SetBGChanged(SD->BGChanged() || needs);
    auto* win = dynamic_cast<TWinControl*>(SD->OwnerControl());
    if (!win)
        return;
    if (M.WParamLo() == 1 && win->HandleAllocated())
        RedrawWindow(win->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_NOINTERNALPAINT | RDW_NOERASE | RDW_ALLCHILDREN);
    if (!needs)
        return;
    for (int i = 0; i < win->ControlCount(); ++i)
        if (TControl* child = win->Controls(i); !child->IsDestroying())
            SendCommandToControl(child, SKCMD_REPAINTCHILDREN, 0);
}

} // namespace

bool HandleSkinCommand(TMessage& M, TzCommonData* SD)
{
    if (!SD || M.Msg != SM_SKINCMD)
        return false;
    TWMSkinCommand command(M);
    if (command.Command > SKCMD_OUTOFCLIP)
        return false;
    switch (command.Command) {
    case SKCMD_NEWSKIN:
        if (FromOwnManager(M, SD)) {
            SD->SetUpdating(true);
            SD->UpdateIndexes();
        }
        return false;
    case SKCMD_SKINREMOVED:
        if (FromOwnManager(M, SD))
            SkinRemoved(command.ParamAs<TzSkinManager>(), SD);
        return false;
    case SKCMD_REFRESH:
        if (FromOwnManager(M, SD, true))
            Refresh(SD);
        return false;
    case SKCMD_GETBGIMAGE:
        if (TBitmap* cache = SD->CacheBmp())
            SharedCacheInfo = MakeCacheInfo(cache, 0, 0);
        return false;
    case SKCMD_ISSKINNED:
        command.Answer(1);
        return true;
    case SKCMD_SETUPDATING:
        SD->SetUpdating(command.Arg == 1);
        return false;
    case SKCMD_SETSEETHROUGH:
        SD->SetSeeThrough(command.Arg == 1);
        return false;
    case SKCMD_ISUPDATING:
        command.Answer(SD->BGChanged() || SD->GetUpdating() ? 1 : 0);
        return true;
    case SKCMD_ISOUTOFCLIP:
        command.Answer(SD->OutOfClip() ? 1 : 0);
        return true;
    case SKCMD_PARENTBGCHANGED:
        if (command.Arg == 1 && SD->HasTransparency())
            SD->SetBGChanged(true);
        return false;
    case SKCMD_INVALIDATESECTION:
        if (!InvalidatedSectionName.empty() && UpperCase(SD->SkinSection()) == InvalidatedSectionName)
            SD->Invalidate();
        return false;
    case SKCMD_SETPAINTINGCHILD:
        SD->PaintingChild = command.ParamAs<TControl>();
        return false;
    case SKCMD_BGCHANGED:
        SD->SetBGChanged(true);
        return false;
    case SKCMD_ISIMAGEBG: {
        TzSkinManager* m = SD->GetSkinManager();
        if (!m || !m->IsValidSkinIndex(SD->SkinIndex))
            return false;
        const TzGeneralData& s = m->Section(SD->SkinIndex);
        TControl* c = SD->OwnerControl();
        bool image;
        if (s.Transparency >= 100 && c && c->Parent())
            image = SD->AskParent(SKCMD_ISIMAGEBG);
        else
            image = s.GradientPercent + s.ImagePercent >= 1 || SD->NeedsParentImage();
        command.Answer(image ? 1 : 0);
        return true;
    }
    case SKCMD_REPAINTCHILDREN:
        RepaintChildren(M, SD);
        return false;
    case SKCMD_GETBGCOLOR:
        SharedParentColor = BackgroundColor(SD);
        return true;
    case SKCMD_OUTOFCLIP:
        SD->SetOutOfClip(true);
        return false;
    default:
        return false;
    }
}

namespace {

// The speed buttons of a windowed control that still believe the mouse is over them.
void LeaveOtherSpeedButtons(TWinControl* Parent, const TMessage& M)
{
    // Speed buttons are skinned controls above the engine: known by their type code.
    auto* entering = reinterpret_cast<TControl*>(M.LParam);
    for (int i = 0; i < Parent->ControlCount(); ++i) {
        TControl* c = Parent->Controls(i);
        if (c == Parent || c == entering)
            continue;
        auto* sd = dynamic_cast<TzCommonData*>(GetObjectProperty(c, "SkinData"));
        if (sd && sd->CtrlTypeCode == ctSpeedButton && sd->MouseAbove())
            c->Perform(CM_MOUSELEAVE, 0, 0);
    }
}

} // namespace

bool CommonMessageHandler(TMessage& M, TzCommonData* SD)
{
    if (!SD)
        return false;
    TControl* owner = SD->OwnerControl();
    auto* win = dynamic_cast<TWinControl*>(owner);
    if (M.Msg == SM_SKINCMD)
        return HandleSkinCommand(M, SD);
    switch (M.Msg) {
    case WM_UPDATEUISTATE:
        if (SD->Skinned())
            return true;
        if (win && win->HandleAllocated() && ThemesActive() && SetWindowThemeProc)
            SetWindowThemeProc(win->Handle(), nullptr, nullptr);
        return false;
    case WM_PARENTNOTIFY:
        if (M.WParamLo() == WM_CREATE && win)
            AnnounceControlToForm(win);
        return false;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (win && win->CanFocus() && win->TabStop()) {
            SD->SetBGChanged(true);
            SD->SetFocused(M.Msg == WM_SETFOCUS);
        }
        return false;
    case WM_MOVE:
        if (owner && SD->NeedsParentImage())
            owner->Perform(SM_SKINCMD, SkinCommandWParam(SKCMD_REPAINTCHILDREN, 1), 0);
        return false;
    case WM_SIZE:
        if (!SD->Skinned())
            return false;
        SD->SetBGChanged(true);
        if (win && SD->GetSkinManager()->Section(SD->SkinIndex).GradientPercent >= 1)
            for (int i = 0; i < win->ControlCount(); ++i)
                if (TControl* child = win->Controls(i); !child->IsDestroying())
                    SendCommandToControl(child, SKCMD_REPAINTCHILDREN, 0, 1);
        return false;
    case CM_ENABLEDCHANGED:
    case WM_FONTCHANGE:
        SD->SetMouseAbove(false);
        SD->SetFocused(false);
        return false;
    case CM_MOUSEENTER:
        if (owner && owner->IsDesigning())
            return false;
        if (win && DefaultManager)
            LeaveOtherSpeedButtons(win, M);
        if (!IsNoHotCode(SD->CtrlTypeCode))
            SD->SetMouseAbove(true);
        if (win && DefaultManager && win->HandleAllocated())
            DefaultManager->SetActiveControl(win->Handle());
        return false;
    case CM_MOUSELEAVE:
        if (owner && owner->IsDesigning())
            return false;
        if (!IsNoHotCode(SD->CtrlTypeCode))
            SD->SetMouseAbove(false);
        return false;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------
// Graphic children over a self-painting parent

namespace {

bool TakesPart(TControl* C, HDC DC)
{
    if (!dynamic_cast<TGraphicControl*>(C) || C->IsDestroying())
        return false;
    if (!C->Visible() && !C->IsDesigning())
        return false;
    if (C->IsDesigning() && !C->Visible() && (C->ControlStyle() & csNoDesignVisible))
        return false;
    if (C->Width() < 1 || C->Height() < 1)
        return false;
    TRect b = C->BoundsRect();
    if (!RectVisible(DC, b.Win()))
        return false;
    // Tool buttons that act as buttons paint themselves through their tool bar.
    if (std::strcmp(C->ClassName(), "TToolButton") == 0 && HasProperty(C, "Style") &&
        GetOrdProperty(C, "Style") <= 2)
        return false;
    return true;
}

} // namespace

void PaintGraphicChildren(TWinControl* Parent, HDC DC, TPoint Offset)
{
    if (!Parent || !DC || (!Parent->Visible() && !Parent->IsDesigning()) || Parent->ControlCount() == 0)
        return;
    RECT clip;
    const int kind = GetClipBox(DC, &clip);
    if (kind == NULLREGION || kind == ERROR || clip.right <= clip.left || clip.bottom <= clip.top) {
        if (Parent->HandleAllocated())
            SendCommandToWindow(Parent->Handle(), SKCMD_OUTOFCLIP, 0);
        return;
    }
    SharedCacheInfo.Ready = false;
    if (Parent->HandleAllocated())
        SendCommandToWindow(Parent->Handle(), SKCMD_GETBGIMAGE, 0);
    if (!SharedCacheInfo.Ready || !SharedCacheInfo.Bmp)
        return;
    const TzCacheInfo parentImage = SharedCacheInfo;
    auto* form = dynamic_cast<TCustomForm*>(Parent);
    std::vector<TControl*> parts;
    for (int i = 0; i < Parent->ControlCount(); ++i)
        if (TControl* c = Parent->Controls(i); TakesPart(c, DC))
            parts.push_back(c);
    if (!parts.empty()) {
        TOwnedBitmap bmp;
        TMemoryDC mem;
        {
            TClientDC screen(nullptr);
            mem = TMemoryDC(screen.Handle());
            bmp = TOwnedBitmap(
                CreateCompatibleBitmap(screen.Handle(), std::max(1, Parent->Width()), std::max(1, Parent->Height())));
        }
        TSelectObject selected(mem.Handle(), bmp.Handle());
        HDC parentDC = parentImage.Bmp->Canvas()->Handle();
        for (TControl* c : parts) {
            const TRect b = c->BoundsRect();
            if (c->ControlStyle() & csOpaque)
                FillDC(mem.Handle(), b, c->Color());
            else
                BitBlt(mem.Handle(), b.Left, b.Top, b.Width(), b.Height(), parentDC, parentImage.X + b.Left,
                       parentImage.Y + b.Top, SRCCOPY);
        }
        for (TControl* c : parts) {
            const TRect b = c->BoundsRect();
            const bool aligned = form && form->FormStyle() == fsMDIForm && c->Align() != alNone;
            if (aligned)
                SendCommandToControl(Parent, SKCMD_SETPAINTINGCHILD, reinterpret_cast<LPARAM>(c));
            if (!RectVisible(DC, b.Win()))
                c->Perform(SM_SKINCMD, SkinCommandWParam(SKCMD_OUTOFCLIP), 0);
            {
                TSaveDCScope saved(mem.Handle());
                SetWindowOrgEx(mem.Handle(), -b.Left, -b.Top, nullptr);
                IntersectClipRect(mem.Handle(), 0, 0, b.Width(), b.Height());
                c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(mem.Handle()), 0);
            }
            if (aligned)
                SendCommandToControl(Parent, SKCMD_SETPAINTINGCHILD, 0);
        }
        for (TControl* c : parts) {
            const TRect b = c->BoundsRect();
            if (GetPixel(mem.Handle(), b.Left, b.Top) != COLORREF(SkinKeyColor))
                BitBlt(DC, b.Left + Offset.X, b.Top + Offset.Y, b.Width(), b.Height(), mem.Handle(), b.Left, b.Top,
                       SRCCOPY);
        }
    }
    SharedCacheInfo.Ready = false;
}
