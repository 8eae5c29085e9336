// What every skinned control does alike, written once. A skinned control is a platform
// control with an owned TzCommonData (published as SkinData) that also derives from
// TzSkinnedControl: it hands the one skinned window procedure its control, its skin data and
// the platform's handling, and overrides only the hooks of its own messages.
//
//     class TzSplitter : public TSplitter, public TzSkinnedControl {
//         TzSplitter(TComponent* AOwner) : TSplitter(AOwner), FSkinData(MakeSkinData(this, ctSplitter, false)) {}
//         void AfterConstruction() override { TSplitter::AfterConstruction(); FSkinData->Loaded(); }
//         void Loaded() override { TSplitter::Loaded(); FSkinData->Loaded(); }
//         void WndProc(TMessage& M) override { RunSkinnedWndProc(*this, M); }
//         TControl* SkinnedSelf() override { return this; }
//         TzCommonData* SkinnedData() override { return FSkinData.get(); }
//         void InheritedWndProc(TMessage& M) override { TSplitter::WndProc(M); }
//         void Paint() override;   // skinned: PaintSectionFromCache(...), else TSplitter::Paint()
//         ~TzSplitter() override;  // adapter, bound label, skin data freed in this order
//     };
#pragma once

#include "classlib/msgrecords.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"

#include <memory>

// The skin data of a control: owned by the control, with its type code; KeepCache says
// whether the cache bitmap lives between paints (otherwise it is made for each paint).
std::unique_ptr<TzCommonData> MakeSkinData(TControl* Control, int Code, bool KeepCache);

// The sub-command of an SM_SKINCMD, 0 for any other message.
inline uint16_t SkinCommandOf(const TMessage& Message)
{
    return Message.Msg == SM_SKINCMD ? Message.WParamHi() : 0;
}

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
// entering or leaving an unfocused control sets MouseAbove; either way the picture is stale
// and, with Repaint, the frame of a windowed control is painted again and the control
// repaints.
void FollowFocusAndMouse(TControl* Control, TzCommonData* SkinData, const TMessage& Message, bool Repaint = true);

// The bound label follows the control's visibility, enabled state and reading order, and is
// placed again after those and after the control moved or was sized.
void FollowBoundLabel(TzBoundLabel* Label, const TMessage& Message);

// ---------------------------------------------------------------------------------------
// The control's own part of the one skinned window procedure. Each hook's default does what
// most controls do; a control overrides those of its own messages.
class TzSkinnedControl {
public:
    virtual ~TzSkinnedControl();

    virtual TControl* SkinnedSelf() = 0;
    // Null while the control is being made or freed: only the platform's handling runs then.
    virtual TzCommonData* SkinnedData() = 0;
    // The platform's handling: the window procedure of the class the control stands on.
    virtual void InheritedWndProc(TMessage& Message) = 0;

    // The hooks, in the order the procedure reaches them.

    // Before anything else, skinned or not: the control's private messages and the skin
    // commands only it answers. True: handled, nothing more happens to the message.
    virtual bool PreviewMessage(TMessage&) { return false; }
    // A container passes the skin's coming, going and refresh on to its children: a new skin
    // before it takes the skin itself (the children have their indexes when it asks them
    // anything), a removal or refresh after.
    virtual bool PassesSkinToChildren() const { return false; }
    // The own manager applies, removes or refreshes its skin: before the common handling
    // (stop a fade, let an adapter go) ...
    virtual void SkinChanging(TWMSkinCommand&) {}
    // ... and after it (indexes resolved or cleared). By default a removal or a refresh
    // repaints the control.
    virtual void SkinChanged(TWMSkinCommand& Command);
    // Not skinned, or not ready: before the platform's handling. True: handled.
    virtual bool PlainMessage(TMessage&) { return false; }
    // The parent's update ended while the control waited (Updating already cleared). By
    // default the control and its frame repaint.
    virtual void ParentUpdateEnded();
    // Skinned, before the common and the platform's handling. True: answered here. By default
    // the frame and background erasing are swallowed and geometry changes mark the picture
    // stale (SwallowBeforeInherited).
    virtual bool SkinnedBefore(TMessage& Message);
    // Skinned, after the platform's handling. By default focus and mouse changes repaint
    // (FollowFocusAndMouse).
    virtual void SkinnedAfter(TMessage& Message);
    // The caption label kept beside the control, which follows every message; none by default.
    virtual TzBoundLabel* SkinnedBoundLabel() { return nullptr; }
    // Every message at the end, skinned or not, unless handled before the route (the
    // control's events).
    virtual void AfterMessage(TMessage&) {}

private:
    friend void RunSkinnedWndProc(TzSkinnedControl& Control, TMessage& Message);
    // The runs of the procedure under way for the control, innermost first. A control freed
    // by its own handling (a click that closes the form) tells each of them, and they touch
    // it no more.
    struct TRun {
        bool Freed = false;
        TRun* Outer = nullptr;
    };
    TRun* FRuns = nullptr;
};

// The one skinned window procedure:
//  1. no skin data: the platform's handling only; a new window (WM_CREATE) resolves the
//     indexes again, for a skin that changed while the control could not hear it;
//  2. PreviewMessage;
//  3. "are you skinned?" (SKCMD_ISSKINNED): answered 1, even while unskinned;
//  4. a new skin, its removal or a refresh from the own manager: SkinChanging, the common
//     handling, SkinChanged, done (a container passes them to its children too); from
//     another manager they go on like any other message;
//  5. not ready or not skinned: PlainMessage, else the platform's handling;
//  6. the parent's update ended while the control waited: ParentUpdateEnded;
//  7. skinned: SkinnedBefore, else the common handling, the platform's handling (unless the
//     common one answered) and SkinnedAfter;
//  8. the bound label follows, then AfterMessage.
// A control freed by a hook or by the platform's handling ends the run there.
void RunSkinnedWndProc(TzSkinnedControl& Control, TMessage& Message);

// The control waits for its parent (its own flag, or a parent that is updating): the flag is
// set so that the end of the parent's update repaints it.
bool WaitsForParent(TzCommonData* SkinData);

// Before a windowed control paints from its cache: the picture is stale when it was, when the
// control lay outside its parent's client area at the last paint, or when the parent says it
// lies out of its clip; then whether it lies outside that area now.
void CheckOutOfClip(TControl* Control, TzCommonData* SkinData);

// The state a control paints in: 1 when it is active (focused, or hot under the mouse), else 0.
int ActiveState(const TzCommonData* SkinData);

// The control's section for State painted into its cache (made the control's size) over the
// parent's picture at the control's position, and the cache copied to (0, 0) of DC. A control
// that keeps no cache frees it afterwards. The control's own colour replaces the section's
// when it keeps its colour.
void PaintSectionFromCache(TControl* Control, TzCommonData* SkinData, HDC DC, int State, bool KeepCache);

// What a container (a panel, a group box) answers before anything else, skinned or not: told
// to be see-through, it paints its picture at once (PaintPicture, when skinned and ready);
// asked whether its children must wait, it answers by its own state alone. True when Message
// was one of these.
template <class TPaint>
bool PreviewContainerCommand(TControl* Control, TzCommonData* SkinData, TMessage& Message, TPaint&& PaintPicture)
{
    switch (SkinCommandOf(Message)) {
    case SKCMD_SETSEETHROUGH:
        CommonMessageHandler(Message, SkinData);
        if (SkinData->SeeThrough() && SkinData->Skinned() && IsControlReady(Control))
            PaintPicture();
        return true;
    case SKCMD_ISUPDATING:
        TWMSkinCommand(Message).Answer(SkinData->BGChanged() || SkinData->Updating() ? 1 : 0);
        return true;
    default:
        return false;
    }
}

// The cache of a control framed like an edit, when it is stale: the section for the
// control's state over the parent's picture across its top Height rows, then Inner(cache)
// (the control's own parts), then the disabled look of Kind while the control is disabled.
template <class TInner>
void PrepareFramedCache(TControl* Control, TzCommonData* SkinData, int Height, TzDisabledKind Kind, TInner&& Inner)
{
    if (!SkinData->BGChanged())
        return;
    SkinData->PrepareCache();
    TBitmap* cache = SkinData->CacheBmp();
    if (Control->Width() < 2 || Control->Height() < 2)
        return;
    const TzBackdrop behind = SkinData->Backdrop();
    const TPoint at(Control->Left(), Control->Top());
    PaintSkinSection(SkinData->SectionSkin(), behind, bfFillCentre | bfKeysShowParent, cache, at,
                     TRect(0, 0, Control->Width(), Height), TzPaintState(ActiveState(SkinData)));
    Inner(cache);
    if (!Control->Enabled())
        ApplyDisabledKind(cache, Kind, Control, at, behind.Picture);
    SkinData->SetBGChanged(false);
}

// For a window that is no skinned control but follows the skin (a pane holding a foreign
// window under its adapter, a page drawn from the skin): answers the skin commands as a
// skinned control does, so that the manager's broadcast reaches it. Refresh runs when a skin
// is applied or refreshed, Removed when the skin goes. True when Message was a skin command.
template <class TRefresh, class TRemoved>
bool FollowSkinCommands(TMessage& Message, TRefresh&& Refresh, TRemoved&& Removed)
{
    if (Message.Msg != SM_SKINCMD)
        return false;
    TWMSkinCommand command(Message);
    switch (command.Command) {
    case SKCMD_ISSKINNED:
        command.Answer(1);
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

// An edit-like control's colours (a tree, a list): the section's colour and first font colour
// while skinned, the system's window colours when the skin goes; each unless the control
// keeps its own.
void TakeEditSectionColors(TControl* Control, TzCommonData* SkinData);
void TakeWindowColors(TControl* Control, TzCommonData* SkinData);
// A control whose frame and scroll bars an adapter paints lost its skin: the adapter has
// given the window its own frame and bars back, which the system calculates and paints
// again, and the control takes the system's window colours.
void FollowSkinRemoval(TWinControl* Control, TzCommonData* SkinData);
// Moves, visibility and enabling make the picture stale (the control is painted by its
// adapter: nothing is swallowed).
void MarkStaleOnPlace(TzCommonData* SkinData, const TMessage& Message);

// WM_PAINT of a control that paints itself: Paint(DC, OwnWindow) into the DC the message
// gives (the window's pending paint left pending), else between BeginPaint and EndPaint.
template <class F> void PaintPaintMessage(TWinControl* Control, TMessage& Message, F&& Paint)
{
    if (const HDC given = TWMPaint(Message).DC) {
        Paint(given, false);
    } else {
        TPaintDC dc(Control->WindowHandle());
        Paint(dc.Handle(), true);
    }
    Message.Result = 0;
}
