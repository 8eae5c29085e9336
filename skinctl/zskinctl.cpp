#include "skinctl/zskinctl.h"

#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"

std::unique_ptr<TzCommonData> MakeSkinData(TControl* Control, int Code, bool KeepCache)
{
    auto sd = std::make_unique<TzCommonData>(Control, KeepCache);
    sd->CtrlTypeCode = Code;
    return sd;
}

bool FromOwnManager(const TMessage& Message, const TzCommonData* SkinData)
{
    TzSkinManager* own = SkinData ? SkinData->GetSkinManager() : nullptr;
    return own && Message.LParam == reinterpret_cast<LPARAM>(own);
}

TzRoute RouteSkinMessage(TControl* Control, TzCommonData* SkinData, TMessage& Message)
{
    if (!SkinData)
        return TzRoute::Plain;
    switch (SkinCommandOf(Message)) {
    case SKCMD_NEWSKIN:
        if (!FromOwnManager(Message, SkinData))
            break;
        CommonMessageHandler(Message, SkinData);
        return TzRoute::Handled;
    case SKCMD_SKINREMOVED:
    case SKCMD_REFRESH:
        if (!FromOwnManager(Message, SkinData))
            break;
        CommonMessageHandler(Message, SkinData);
        RepaintForSkin(Control);
        return TzRoute::Handled;
    case SKCMD_ISSKINNED:
        // The asker reads the record's LParam (a SendMessage result of 0 means "no").
        Message.LParam = 1;
        return TzRoute::Handled;
    default:
        break;
    }
    if (!IsControlReady(Control) || !SkinData->Skinned())
        return TzRoute::Plain;
    if (SkinCommandOf(Message) == SKCMD_ENDPARENTUPDATE && SkinData->Updating()) {
        SkinData->SetUpdating(false);
        RepaintAfterWait(Control, true);
        return TzRoute::Handled;
    }
    return TzRoute::Skinned;
}

void RepaintForSkin(TControl* Control)
{
    if (!SkinChangeRunning()) {
        Control->Repaint();
        return;
    }
    // A skin change draws the forms again once it is in: painting every control as the
    // broadcast passes would paint it twice or more.
    auto* win = dynamic_cast<TWinControl*>(Control);
    if (win && win->HandleAllocated())
        RedrawWindow(win->WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    else
        Control->Invalidate();
}

void RepaintAfterWait(TControl* Control, bool Frame)
{
    auto* win = dynamic_cast<TWinControl*>(Control);
    if (!win) {
        Control->Repaint();
        return;
    }
    if (!win->HandleAllocated())
        return;
    RedrawWindow(win->WindowHandle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | (Frame ? RDW_FRAME : 0u));
}

bool SwallowBeforeInherited(TzCommonData* SkinData, const TMessage& Message)
{
    switch (Message.Msg) {
    case WM_NCPAINT:
    case WM_ERASEBKGND:
        return true;
    case WM_MOVE:
    case WM_SIZE:
    case WM_MOUSEWHEEL:
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
        SkinData->SetBGChanged(true);
        return false;
    default:
        return false;
    }
}

namespace {

// The frame of a windowed control painted again (a control without a window has none).
void PaintFrame(TControl* Control)
{
    if (auto* win = dynamic_cast<TWinControl*>(Control); win && win->HandleAllocated())
        SendMessageW(win->WindowHandle(), WM_NCPAINT, 1, 0);
}

} // namespace

void FollowFocusAndMouse(TControl* Control, TzCommonData* SkinData, const TMessage& Message)
{
    switch (Message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_ENTER:
    case CM_EXIT:
        SkinData->SetFocused(Message.Msg == WM_SETFOCUS || Message.Msg == CM_ENTER);
        SkinData->SetMouseAbove(false);
        SkinData->SetBGChanged(true);
        Control->Repaint();
        PaintFrame(Control);
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        // A focused control keeps its focused picture whatever the mouse does.
        if (SkinData->Focused() || Control->IsDesigning())
            break;
        SkinData->SetMouseAbove(Message.Msg == CM_MOUSEENTER);
        SkinData->SetBGChanged(true);
        PaintFrame(Control);
        Control->Repaint();
        break;
    default:
        break;
    }
}

void FollowBoundLabel(TzBoundLabel* Label, const TMessage& Message)
{
    if (!Label || !Label->LabelControl())
        return;
    switch (Message.Msg) {
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
    case CM_BIDIMODECHANGED:
        Label->FollowControl();
        break;
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
        Label->AlignLabel();
        break;
    default:
        break;
    }
}

bool WaitsForParent(TzCommonData* SkinData)
{
    if (SkinData->GetUpdating())
        SkinData->SetUpdating(true);
    return SkinData->Updating();
}

int ActiveState(const TzCommonData* SkinData)
{
    return IsControlActive(SkinData) ? 1 : 0;
}

void PaintSectionFromCache(TControl* Control, TzCommonData* SkinData, HDC DC, int State, bool KeepCache)
{
    SkinData->PrepareCache();
    TBitmap* cache = SkinData->CacheBmp();
    const int w = Control->Width(), h = Control->Height();
    if (w >= 1 && h >= 1) {
        PaintSkinSection(SkinData->SectionSkin(), SkinData->Backdrop(), bfFillCentre | bfKeysShowParent, cache,
                         TPoint(Control->Left(), Control->Top()), TRect(0, 0, w, h), TzPaintState(State));
        SkinData->SetBGChanged(false);
        BitBlt(DC, 0, 0, w, h, cache->Canvas()->Handle(), 0, 0, SRCCOPY);
    }
    if (!KeepCache)
        SkinData->FreeCache();
}
