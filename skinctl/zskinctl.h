// What every skinned control does alike, written once. A skinned control is a platform
// control with an owned TzCommonData (published as SkinData) and five overrides:
//
//     TzSplitter::TzSplitter(TComponent* AOwner)
//         : TSplitter(AOwner), FSkinData(MakeSkinData(this, 75, false)) { ... }
//     void TzSplitter::AfterConstruction() { TSplitter::AfterConstruction(); FSkinData->Loaded(); }
//     void TzSplitter::Loaded() { TSplitter::Loaded(); FSkinData->Loaded(); }
//     void TzSplitter::WndProc(TMessage& M)
//     {
//         RunSkinnedWndProc(this, FSkinData.get(), M, [this](TMessage& m) { TSplitter::WndProc(m); });
//     }
//     void TzSplitter::Paint() { if skinned: PaintSectionFromCache(...), else TSplitter::Paint(); }
//     TzSplitter::~TzSplitter() { adapter, bound label, skin data freed in this order }
//
// A control whose window procedure differs from the common one builds its own from the
// steps below (RouteSkinMessage first, then its own handling before and after the platform's,
// and FollowBoundLabel last), as the edit and the memo do.
#pragma once

#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"

#include <memory>

// The skin data of a control: owned by the control, with its type code; KeepCache says
// whether the cache bitmap lives between paints (otherwise it is made for each paint).
std::unique_ptr<TzCommonData> MakeSkinData(TControl* Control, int Code, bool KeepCache);

// The skin command names the control's own manager (sub-commands 1, 2 and 3).
bool FromOwnManager(const TMessage& Message, const TzCommonData* SkinData);
// The sub-command of an SM_SKINCMD, 0 for any other message.
inline uint16_t SkinCommandOf(const TMessage& Message)
{
    return Message.Msg == SM_SKINCMD ? Message.WParamHi() : 0;
}

// Where a message goes after the commands every skinned control answers alike.
enum class TzRoute : uint8_t {
    Handled,   // answered: nothing more happens to it
    Plain,     // not skinned (or not ready): only the platform's handling
    Skinned,   // skinned: the control's own steps, CommonMessageHandler, the platform's
};

// The first steps of every skinned window procedure:
//  - a new skin from the own manager: the common handling, and done;
//  - the skin removed or refreshed by the own manager: the common handling, a repaint, done;
//  - "are you skinned?" (sub-command 7): 1 in the message's LParam, even while unskinned;
//  - a control not ready or not skinned goes the plain way;
//  - the parent's update ended (sub-command 6) while the control waited: it repaints now.
// Commands from another manager go on like any other message.
TzRoute RouteSkinMessage(TControl* Control, TzCommonData* SkinData, TMessage& Message);

// A control whose painting waited for its parent paints now: a control without a window
// through its parent, a window in its client area and (with Frame) its frame at once. A
// WM_PAINT sent instead would be ignored by the first and paint nothing in a window that has
// no invalid region.
void RepaintAfterWait(TControl* Control, bool Frame);
// After a new skin or its removal: at once, or, while the skin change still runs, invalidated
// for the one redraw that ends it.
void RepaintForSkin(TControl* Control);

// Posted by a skinned control to its own window for what the loss of the skin does to the
// window itself (its region dropped). That moves the window's frame, and the system then
// paints at once every sibling already invalid, plain, just before a new skin paints it
// again: inside a skin change it waits for the change's end, and a control skinned again by
// then lets it go. A message of our controls' own window classes (the system's classes they
// build on use none in this range).
constexpr UINT ZM_SKINGONE = WM_USER + 0x0B01;

// Plain messages of a skinned control before the platform's handling: WM_NCPAINT and
// WM_ERASEBKGND are swallowed (True); moves, sizes, the wheel, visibility and enabled
// changes mark the picture stale.
bool SwallowBeforeInherited(TzCommonData* SkinData, const TMessage& Message);

// After the platform's handling: focus changes set Focused (and drop MouseAbove), the mouse
// entering or leaving an unfocused control sets MouseAbove; either way the picture is stale,
// the frame of a windowed control is painted again and the control repaints.
void FollowFocusAndMouse(TControl* Control, TzCommonData* SkinData, const TMessage& Message);

// The bound label follows the control's visibility, enabled state and reading order, and is
// placed again after those and after the control moved or was sized.
void FollowBoundLabel(TzBoundLabel* Label, const TMessage& Message);

// The common window procedure of the pattern.
template <class TInherited>
void RunSkinnedWndProc(TControl* Control, TzCommonData* SkinData, TMessage& Message, TInherited&& Inherited)
{
    switch (RouteSkinMessage(Control, SkinData, Message)) {
    case TzRoute::Handled:
        return;
    case TzRoute::Plain:
        Inherited(Message);
        return;
    case TzRoute::Skinned:
        break;
    }
    if (SwallowBeforeInherited(SkinData, Message))
        return;
    if (!CommonMessageHandler(Message, SkinData))
        Inherited(Message);
    FollowFocusAndMouse(Control, SkinData, Message);
}

// The control waits for its parent (its own flag, or a parent that is updating): the flag is
// set so that the end of the parent's update repaints it.
bool WaitsForParent(TzCommonData* SkinData);

// The state a control paints in: 1 when it is active (focused, or hot under the mouse), else 0.
int ActiveState(const TzCommonData* SkinData);

// The control's section for State painted into its cache (made the control's size) over the
// parent's picture at the control's position, and the cache copied to (0, 0) of DC. A control
// that keeps no cache frees it afterwards. The control's own colour replaces the section's
// when it keeps its colour.
void PaintSectionFromCache(TControl* Control, TzCommonData* SkinData, HDC DC, int State, bool KeepCache);

// For a window that is no skinned control but follows the skin (a pane holding a foreign
// window under its adapter, a page drawn from the skin): answers the skin commands as a
// skinned control does, so that the manager's broadcast reaches it. Refresh runs when a skin
// is applied or refreshed, Removed when the skin goes. True when Message was a skin command.
template <class TRefresh, class TRemoved>
bool FollowSkinCommands(TMessage& Message, TRefresh&& Refresh, TRemoved&& Removed)
{
    switch (SkinCommandOf(Message)) {
    case 0:
        return false;
    case SKCMD_ISSKINNED:
        Message.LParam = Message.Result = 1;
        break;
    case SKCMD_REFRESH:
        Refresh();
        break;
    case SKCMD_SKINREMOVED:
        Removed();
        break;
    default:
        break;
    }
    return true;
}
