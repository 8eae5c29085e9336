#include "skinctl/ztreeview.h"

#include "skin/zclientwnd.h"
#include "skin/zskinmanager.h"
#include "skinctl/zskinctl.h"

Z_CLASS_IMPL(TzTreeView, TTreeView, Z_PROP_OBJ(TzTreeView, SkinData), Z_PROP_OBJ(TzTreeView, BoundLabel))

TzTreeView::TzTreeView(TComponent* AOwner)
    : TTreeView(AOwner), FSkinData(MakeSkinData(this, ctTreeView, true)),
      FBoundLabel(std::make_unique<TzBoundLabel>(this, FSkinData.get()))
{
    if (FSkinData->SkinSection().empty())
        FSkinData->SetSkinSection("EDIT");
}

TzTreeView::~TzTreeView()
{
    FAdapter.reset();
    FBoundLabel.reset();
    FSkinData.reset();
}

void TzTreeView::AfterConstruction()
{
    TTreeView::AfterConstruction();
    FSkinData->Loaded();
}

void TzTreeView::Loaded()
{
    TTreeView::Loaded();
    FSkinData->Loaded();
    if (FSkinData->Skinned())
        TakeSectionColors();
    UpdateScrollAdapter();
}

void TzTreeView::TakeSectionColors()
{
    TakeEditSectionColors(this, FSkinData.get());
}

// The adapter made for a tree that knows nothing of skins gives it the section's hot colour
// (whoever chose it applies that). This tree's colours are its own section's, set above: the
// adapter is made without them, and its erasing fills with the colour the window shows.
void TzTreeView::UpdateScrollAdapter()
{
    if (!HandleAllocated() || IsDestroying())
        return;
    UpdateTreeViewAdapter(this, FAdapter, FSkinData.get());
}

// The window ------------------------------------------------------------------------------

void TzTreeView::CreateWnd()
{
    TTreeView::CreateWnd();
    FSkinData->Loaded();
    if (FSkinData->Skinned()) {
        FSkinData->SetUpdating(false);
        TakeSectionColors();
    }
}

void TzTreeView::DestroyWnd()
{
    FAdapter.reset();
    TTreeView::DestroyWnd();
}

void TzTreeView::Dispatch(TMessage& Message)
{
    if (Message.Msg == CN_NOTIFY && FSkinData && FSkinData->Skinned() && CustomDraw(Message))
        return;
    TTreeView::Dispatch(Message);
}

bool TzTreeView::CustomDraw(TMessage& Message)
{
    const TWMNotify notify(Message);
    if (notify.Code() != NM_CUSTOMDRAW)
        return false;
    auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(notify.NMHdr);
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        Message.Result = CDRF_NOTIFYITEMDRAW;
        return true;
    case CDDS_ITEMPREPAINT: {
        const auto item = static_cast<WPARAM>(draw->nmcd.dwItemSpec);
        const bool selected = SendMessageW(WindowHandle(), TVM_GETITEMSTATE, item, TVIS_SELECTED) & TVIS_SELECTED;
        if (selected && GetFocus() != WindowHandle()) {
            draw->clrText = GetSysColor(COLOR_BTNTEXT);
            draw->clrTextBk = GetSysColor(COLOR_BTNFACE);
        }
        Message.Result = CDRF_DODEFAULT;
        return true;
    }
    default:
        return false;
    }
}

void TzTreeView::SkinChanging(TWMSkinCommand& Command)
{
    if (Command.Command == SKCMD_SKINREMOVED)
        FAdapter.reset();
}

void TzTreeView::SkinChanged(TWMSkinCommand& Command)
{
    switch (Command.Command) {
    case SKCMD_SKINREMOVED:
        FollowSkinRemoval(this, FSkinData.get());
        break;
    case SKCMD_REFRESH:
        if (FSkinData->Skinned())
            TakeSectionColors();
        UpdateScrollAdapter();
        RepaintForSkin(this);
        break;
    default:
        break;
    }
}

bool TzTreeView::SkinnedBefore(TMessage& Message)
{
    MarkStaleOnPlace(FSkinData.get(), Message);
    return false;
}

void TzTreeView::SkinnedAfter(TMessage& Message)
{
    if (Message.Msg == CM_SHOWINGCHANGED)
        UpdateScrollAdapter();
}
