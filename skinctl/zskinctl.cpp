#include "skinctl/zskinctl.h"

#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskinwnd.h"

std::unique_ptr<TzCommonData> MakeSkinData(TControl* Control, int Code, bool KeepCache)
{
    auto sd = std::make_unique<TzCommonData>(Control, KeepCache);
    sd->CtrlTypeCode = Code;
    return sd;
}

namespace {

// A new skin, its removal or a refresh from the own manager, and "are you skinned?":
// answered here (True), or they go on like any other message.
bool RouteSkinChange(TzSkinnedControl& Control, TzCommonData* SkinData, TMessage& Message)
{
    TWMSkinCommand command(Message);
    switch (command.Command) {
    case SKCMD_ISSKINNED:
        command.Answer(1);
        return true;
    case SKCMD_NEWSKIN:
    case SKCMD_SKINREMOVED:
    case SKCMD_REFRESH:
        break;
    default:
        return false;
    }
    // The children hear the command as it came, whatever the handling below writes into it.
    const TMessage original = Message;
    auto* container = Control.PassesSkinToChildren() ? dynamic_cast<TWinControl*>(Control.SkinnedSelf()) : nullptr;
    if (container && command.Command == SKCMD_NEWSKIN)
        BroadcastToControls(container, original);
    if (!FromOwnManager(Message, SkinData)) {
        if (container && command.Command != SKCMD_NEWSKIN)
            BroadcastToControls(container, original);
        return false;
    }
    Control.SkinChanging(command);
    CommonMessageHandler(Message, SkinData);
    Control.SkinChanged(command);
    if (container && command.Command != SKCMD_NEWSKIN)
        BroadcastToControls(container, original);
    return true;
}

} // namespace

TzSkinnedControl::~TzSkinnedControl()
{
    for (TRun* run = FRuns; run; run = run->Outer)
        run->Freed = true;
}

void TzSkinnedControl::SkinChanged(TWMSkinCommand& Command)
{
    if (Command.Command != SKCMD_NEWSKIN)
        RepaintForSkin(SkinnedSelf());
}

void TzSkinnedControl::ParentUpdateEnded()
{
    RepaintAfterWait(SkinnedSelf(), true);
}

bool TzSkinnedControl::SkinnedBefore(TMessage& Message)
{
    return SwallowBeforeInherited(SkinnedData(), Message);
}

void TzSkinnedControl::SkinnedAfter(TMessage& Message)
{
    FollowFocusAndMouse(SkinnedSelf(), SkinnedData(), Message);
}

void RunSkinnedWndProc(TzSkinnedControl& Control, TMessage& Message)
{
    TzCommonData* sd = Control.SkinnedData();
    if (!sd) {
        Control.InheritedWndProc(Message);
        return;
    }
    // A control without a parent hears no skin change: indexes resolved in a skin that is
    // gone would name other sections of the one there is now.
    if (Message.Msg == WM_CREATE)
        sd->UpdateIndexes();
    TzSkinnedControl::TRun run{false, Control.FRuns};
    Control.FRuns = &run;
    TScopeExit done([&] {
        if (!run.Freed)
            Control.FRuns = run.Outer;
    });
    if (Control.PreviewMessage(Message) || run.Freed)
        return;
    if (Message.Msg == SM_SKINCMD && RouteSkinChange(Control, sd, Message))
        return;
    if (!IsControlReady(Control.SkinnedSelf()) || !sd->Skinned()) {
        if (!Control.PlainMessage(Message) && !run.Freed)
            Control.InheritedWndProc(Message);
    } else if (SkinCommandOf(Message) == SKCMD_ENDPARENTUPDATE && sd->Updating()) {
        sd->SetUpdating(false);
        Control.ParentUpdateEnded();
    } else if (!Control.SkinnedBefore(Message) && !run.Freed) {
        if (!CommonMessageHandler(Message, sd))
            Control.InheritedWndProc(Message);
        if (!run.Freed)
            Control.SkinnedAfter(Message);
    }
    if (run.Freed)
        return;
    FollowBoundLabel(Control.SkinnedBoundLabel(), Message);
    Control.AfterMessage(Message);
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

void FollowFocusAndMouse(TControl* Control, TzCommonData* SkinData, const TMessage& Message, bool Repaint)
{
    switch (Message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_ENTER:
    case CM_EXIT:
        SkinData->SetFocused(Message.Msg == WM_SETFOCUS || Message.Msg == CM_ENTER);
        SkinData->SetMouseAbove(false);
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        // A focused control keeps its focused picture whatever the mouse does.
        if (SkinData->Focused() || Control->IsDesigning())
            return;
        SkinData->SetMouseAbove(Message.Msg == CM_MOUSEENTER);
        break;
    default:
        return;
    }
    SkinData->SetBGChanged(true);
    if (!Repaint)
        return;
    Control->Repaint();
    PaintFrame(Control);
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

void CheckOutOfClip(TControl* Control, TzCommonData* SkinData)
{
    TWinControl* parent = Control->Parent();
    SkinData->SetBGChanged(SkinData->BGChanged() || SkinData->OutOfClip() ||
                           AskControlCommand(parent, SKCMD_ISOUTOFCLIP));
    const TRect client = parent->ClientRect();
    const TRect r = Control->BoundsRect();
    SkinData->SetOutOfClip(!(client.Contains(r.TopLeft()) && r.Right <= client.Right && r.Bottom <= client.Bottom));
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

void TakeEditSectionColors(TControl* Control, TzCommonData* SkinData)
{
    TzSkinManager* m = SkinData->GetSkinManager();
    if (!m || !m->IsValidSkinIndex(SkinData->SkinIndex))
        return;
    const TzGeneralData& s = m->Section(SkinData->SkinIndex);
    if (!SkinData->CustomColor())
        Control->SetColor(s.Color);
    if (!SkinData->CustomFont())
        Control->Font()->SetColor(TColor(s.FontColor));
}

void TakeWindowColors(TControl* Control, TzCommonData* SkinData)
{
    if (!SkinData->CustomColor())
        Control->SetColor(clWindow);
    if (!SkinData->CustomFont())
        Control->Font()->SetColor(clWindowText);
}

void FollowSkinRemoval(TWinControl* Control, TzCommonData* SkinData)
{
    TakeWindowColors(Control, SkinData);
    if (!Control->HandleAllocated())
        return;
    RefreshWindowFrame(Control->WindowHandle(), true);
    RedrawWindow(Control->WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void MarkStaleOnPlace(TzCommonData* SkinData, const TMessage& Message)
{
    switch (Message.Msg) {
    case WM_MOVE:
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
        SkinData->SetBGChanged(true);
        break;
    default:
        break;
    }
}
