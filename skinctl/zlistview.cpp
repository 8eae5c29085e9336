#include "skinctl/zlistview.h"

#include "skin/zclientwnd.h"
#include "skin/zskinmanager.h"
#include "skinctl/zlistbox.h"
#include "skinctl/zstatusbar.h"

Z_CLASS_IMPL(TzCustomListView, TUcCustomListView)
Z_CLASS_IMPL(TzListView, TzCustomListView, Z_LISTVIEW_PROPS(TzListView), WideHintProp<TzListView>(),
             Z_PROP_BOOL(TzListView, HighlightHeaders, true), Z_PROP_OBJ(TzListView, SkinData),
             Z_PROP_OBJ(TzListView, BoundLabel))

TzCustomListView::TzCustomListView(TComponent* AOwner)
    : TUcCustomListView(AOwner), FSkinData(MakeSkinData(this, ctListView, true)),
      FBoundLabel(std::make_unique<TzBoundLabel>(this, FSkinData.get()))
{
    if (FSkinData->SkinSection().empty())
        FSkinData->SetSkinSection("EDIT");
}

TzCustomListView::~TzCustomListView()
{
    FAdapter.reset();
    FBoundLabel.reset();
    FSkinData.reset();
}

void TzCustomListView::AfterConstruction()
{
    TUcCustomListView::AfterConstruction();
    FSkinData->Loaded();
}

void TzCustomListView::Loaded()
{
    TUcCustomListView::Loaded();
    FSkinData->Loaded();
    if (FSkinData->Skinned())
        TakeEditSectionColors(this, FSkinData.get());
    UpdateScrollAdapter();
}

TSkListViewWnd* TzCustomListView::ScrollAdapter() const
{
    return dynamic_cast<TSkListViewWnd*>(FAdapter.get());
}

void TzCustomListView::SetHighlightHeaders(bool Value)
{
    if (!StoreChanged(FHighlightHeaders, Value))
        return;
    if (TSkListViewWnd* a = ScrollAdapter()) {
        a->HighlightHeaders = Value;
        if (HWND header = a->HeaderHandle())
            InvalidateRect(header, nullptr, FALSE);
    }
}

void TzCustomListView::UpdateScrollAdapter()
{
    if (!HandleAllocated() || IsDestroying())
        return;
    UpdateListViewAdapter(this, FAdapter, FSkinData.get());
    if (TSkListViewWnd* a = ScrollAdapter())
        a->HighlightHeaders = FHighlightHeaders;
}

void TzCustomListView::RefreshBars()
{
    if (TSkListViewWnd* a = ScrollAdapter(); a && Items()->UpdateCount() == 0)
        RefreshScrollInfo(a, true);
}

// The window ------------------------------------------------------------------------------

void TzCustomListView::CreateWnd()
{
    TUcCustomListView::CreateWnd();
    FSkinData->Loaded();
    if (FSkinData->Skinned()) {
        FSkinData->SetUpdating(false);
        TakeEditSectionColors(this, FSkinData.get());
    }
    UpdateScrollAdapter();
}

void TzCustomListView::DestroyWnd()
{
    FAdapter.reset();
    TUcCustomListView::DestroyWnd();
}

void TzCustomListView::SkinChanging(TWMSkinCommand& Command)
{
    if (Command.Command == SKCMD_SKINREMOVED)
        FAdapter.reset();
    else if (Command.Command == SKCMD_REFRESH)
        Items()->BeginUpdate();
}

void TzCustomListView::SkinChanged(TWMSkinCommand& Command)
{
    switch (Command.Command) {
    case SKCMD_SKINREMOVED:
        FollowSkinRemoval(this, FSkinData.get());
        break;
    case SKCMD_REFRESH: {
        TScopeExit drawn([this] { Items()->EndUpdate(); });
        if (FSkinData->Skinned())
            TakeEditSectionColors(this, FSkinData.get());
        UpdateScrollAdapter();
        break;
    }
    default:
        return;
    }
    if (Command.Command == SKCMD_REFRESH)
        RepaintForSkin(this);
}

bool TzCustomListView::SkinnedBefore(TMessage& Message)
{
    MarkStaleOnPlace(FSkinData.get(), Message);
    return false;
}

void TzCustomListView::SkinnedAfter(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_SHOWINGCHANGED:
        UpdateScrollAdapter();
        break;
    case WM_SETREDRAW:
        if (Message.WParam)
            RefreshBars();
        break;
    case WM_MOUSEWHEEL:
    case WM_MOVE:
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW:
    case LVM_DELETEITEM:
    case LVM_DELETEALLITEMS:
    case LVM_SETITEMCOUNT:
    case LVM_SCROLL:
    case LVM_ENSUREVISIBLE:
        RefreshBars();
        break;
    default:
        break;
    }
}

void InitSkinnedLists()
{
    RegisterClass(TzListView::StaticClassInfo());
    RegisterClass(TzListBox::StaticClassInfo());
    RegisterClass(TzStatusBar::StaticClassInfo());
}
