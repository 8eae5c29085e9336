// The list view over the system's "SysListView32": its window made again from the columns
// and items, the look, selection, sorting, owner data, events and label editing.
#include "classlib/comctrls_shared.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

const char* const ViewStyleNames[4] = {"vsIcon", "vsSmallIcon", "vsList", "vsReport"};
const char* const ListViewBorderStyleNames[2] = {"bsNone", "bsSingle"};

Z_CLASS_IMPL(TCustomListView, TCustomListControl)
Z_CLASS_IMPL(TListView, TCustomListView, Z_LISTVIEW_PROPS(TListView))

namespace {

int CompareAnsiCaptions(const TListItem* Item1, const TListItem* Item2)
{
    return lstrcmpA(Item1->Caption().c_str(), Item2->Caption().c_str());
}

// The comparison of AlphaSort: OnCompare decides, else the captions in lstrcmpA's order.
int CALLBACK DefaultListViewSort(LPARAM Item1, LPARAM Item2, LPARAM Data)
{
    return CompareListItems(Item1, Item2, Data, &CompareAnsiCaptions);
}

TItemChange ChangeOf(UINT Changed)
{
    return (Changed & LVIF_TEXT) ? ctText : (Changed & LVIF_IMAGE) ? ctImage : ctState;
}

AnsiString AnsiOfWide(const wchar_t* Text)
{
    const int n = WideCharToMultiByte(CP_ACP, 0, Text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return AnsiString();
    AnsiString s(static_cast<size_t>(n - 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, Text, -1, s.data(), n, nullptr, nullptr);
    return s;
}

TSearchDirection DirectionOf(UINT Key)
{
    switch (Key) {
    case VK_LEFT: return sdLeft;
    case VK_RIGHT: return sdRight;
    case VK_UP: return sdAbove;
    case VK_DOWN: return sdBelow;
    default: return sdAll;
    }
}

} // namespace

int CompareListItems(LPARAM Item1, LPARAM Item2, LPARAM Data, int (*ByText)(const TListItem*, const TListItem*))
{
    auto* a = reinterpret_cast<TListItem*>(Item1);
    auto* b = reinterpret_cast<TListItem*>(Item2);
    TCustomListView* lv = a ? a->ListView() : nullptr;
    auto compare = [&] {
        if (!a || !b)
            return 0;
        if (lv && lv->OnCompare) {
            int result = 0;
            lv->OnCompare(lv, a, b, Data, result);
            return result;
        }
        return ByText(a, b);
    };
    return GuardedCompare(lv ? lv->FSortGuard : nullptr, lv, compare);
}

// ---------------------------------------------------------------------------------------
// TCustomListView

TCustomListView::TCustomListView(TComponent* AOwner)
    : TCustomListControl(AOwner), FImageChangeLink(std::make_unique<TChangeLink>())
{
    FControlStyle &= ~csCaptureMouse;
    FWidth = 250;
    FHeight = 150;
    FTabStop = true;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(FColor);
    FImageChangeLink->OnChange = MakeMethod<&TCustomListView::ImageListChange>(this);
}

TCustomListView::~TCustomListView()
{
    // The window and its label edit go while the items and the edit procedure still exist.
    DestroyWindowFirst();
    SetLargeImages(nullptr);
    SetSmallImages(nullptr);
    SetStateImages(nullptr);
    FTempItem.reset();
    FItems.reset();
    FColumns.reset();
}

TListColumns* TCustomListView::Columns() const
{
    if (!FColumns)
        FColumns.reset(const_cast<TCustomListView*>(this)->CreateListColumns());
    return FColumns.get();
}

TListItems* TCustomListView::Items() const
{
    if (!FItems)
        FItems.reset(const_cast<TCustomListView*>(this)->CreateListItems());
    return FItems.get();
}

TListColumns* TCustomListView::CreateListColumns()
{
    return new TListColumns(this, TListColumn::StaticClassInfo());
}

TListItems* TCustomListView::CreateListItems()
{
    return new TListItems(this);
}

TListItem* TCustomListView::CreateListItem()
{
    const TListItemClass* cls = &ListItemClassOf<TListItem>();
    if (OnCreateItemClass)
        OnCreateItemClass(this, cls);
    return cls->Create(Items());
}

TListItem* TCustomListView::TempItem()
{
    if (!FTempItem)
        FTempItem.reset(CreateListItem());
    return FTempItem.get();
}

// Window ------------------------------------------------------------------------------------

DWORD TCustomListView::ListStyles() const
{
    static const DWORD views[4] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    DWORD style = views[FViewStyle] | LVS_SHAREIMAGELISTS | LVS_AUTOARRANGE;
    if (!FReadOnly)
        style |= LVS_EDITLABELS;
    if (!FMultiSelect)
        style |= LVS_SINGLESEL;
    if (!FHideSelection)
        style |= LVS_SHOWSELALWAYS;
    if (!FShowColumnHeaders)
        style |= LVS_NOCOLUMNHEADER;
    if (!FColumnClick)
        style |= LVS_NOSORTHEADER;
    if (FOwnerData)
        style |= LVS_OWNERDATA;
    return style;
}

DWORD TCustomListView::ExtendedStyles() const
{
    DWORD style = 0;
    if (FRowSelect)
        style |= LVS_EX_FULLROWSELECT;
    if (FGridLines)
        style |= LVS_EX_GRIDLINES;
    if (FCheckboxes)
        style |= LVS_EX_CHECKBOXES;
    if (FHotTrack)
        style |= LVS_EX_TRACKSELECT;
    if (ShowHint())
        style |= LVS_EX_INFOTIP;
    return style;
}

void TCustomListView::ApplyExtendedStyles()
{
    if (!FHandle)
        return;
    const DWORD mask = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_TRACKSELECT | LVS_EX_INFOTIP;
    Perform(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, static_cast<LPARAM>(ExtendedStyles()));
}

void TCustomListView::CreateParams(TCreateParams& Params)
{
    InitCommonControlClasses(ICC_LISTVIEW_CLASSES);
    TCustomListControl::CreateParams(Params);
    CreateSubClass(Params, WC_LISTVIEWA);
    Params.Style |= ListStyles();
    AddBorderStyle(Params, FBorderStyle);
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomListView::CreateWnd()
{
    TCustomListControl::CreateWnd();
    ApplyExtendedStyles();
    ApplyImageLists();
    ApplyColors();
    UpdateColumns();
    TFlagScope quiet(FQuiet);
    if (FOwnerData) {
        SendMessageA(FHandle, LVM_SETITEMCOUNT, static_cast<WPARAM>(FOwnerDataCount), 0);
    } else if (FItems && FItems->Count() > 0) {
        SendMessageA(FHandle, WM_SETREDRAW, FALSE, 0);
        SendMessageA(FHandle, LVM_SETITEMCOUNT, static_cast<WPARAM>(FItems->FItems.size()), 0);
        for (size_t i = 0; i < FItems->FItems.size(); ++i)
            FItems->InsertWindowItem(FItems->FItems[i], static_cast<int>(i));
        if (FItems->FUpdateCount == 0)
            SendMessageA(FHandle, WM_SETREDRAW, TRUE, 0);
    }
    // The top item comes back to the top: shown from below, it is the first one shown.
    const int count = Items()->Count();
    if (FTopIndex > 0 && FTopIndex < count) {
        SendMessageA(FHandle, LVM_ENSUREVISIBLE, static_cast<WPARAM>(count - 1), FALSE);
        SendMessageA(FHandle, LVM_ENSUREVISIBLE, static_cast<WPARAM>(FTopIndex), FALSE);
    }
    FTopIndex = -1;
}

void TCustomListView::DestroyWnd()
{
    if (FHandle) {
        FTopIndex = static_cast<int>(SendMessageA(FHandle, LVM_GETTOPINDEX, 0, 0));
        if (FItems && !FOwnerData) {
            for (TListItem* item : FItems->FItems)
                item->FStates = 0;
            // Only the items in a state are asked for: asking each costs.
            for (TItemStateFlag flag : {isSelected, isFocused, isCut, isDropHilited}) {
                const UINT lvni = flag == isSelected ? LVNI_SELECTED
                                : flag == isFocused  ? LVNI_FOCUSED
                                : flag == isCut      ? LVNI_CUT
                                                     : LVNI_DROPHILITED;
                for (int i = -1; (i = static_cast<int>(SendMessageA(FHandle, LVM_GETNEXTITEM, i, lvni))) >= 0;) {
                    if (i >= static_cast<int>(FItems->FItems.size()))
                        break;
                    FItems->FItems[static_cast<size_t>(i)]->FStates |= flag;
                }
            }
        }
    }
    TCustomListControl::DestroyWnd();
    FEditHandle = nullptr;
    FEditLink.Forget();
}

void TCustomListView::UpdateColumns()
{
    if (!FHandle || !FColumns)
        return;
    int shown = 0;
    LVCOLUMNA probe{};
    probe.mask = LVCF_WIDTH;
    while (SendMessageA(FHandle, LVM_GETCOLUMNA, static_cast<WPARAM>(shown), reinterpret_cast<LPARAM>(&probe)))
        ++shown;
    const int count = FColumns->Count();
    for (int i = 0; i < count; ++i) {
        if (i >= shown) {
            LVCOLUMNA c{};
            c.mask = LVCF_WIDTH;
            Perform(LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&c));
        }
        FColumns->Items(i)->SendColumn(LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_IMAGE);
    }
    for (int i = shown - 1; i >= count; --i)
        SendMessageA(FHandle, LVM_DELETECOLUMN, static_cast<WPARAM>(i), 0);
}

void TCustomListView::ApplyImageLists()
{
    if (!FHandle)
        return;
    const auto handle = [](TCustomImageList* L) { return reinterpret_cast<LPARAM>(L ? L->Handle() : nullptr); };
    SendMessageA(FHandle, LVM_SETIMAGELIST, LVSIL_NORMAL, handle(FLargeImages));
    SendMessageA(FHandle, LVM_SETIMAGELIST, LVSIL_SMALL, handle(FSmallImages));
    // The check boxes are the window's own state images.
    if (!FCheckboxes || FStateImages)
        SendMessageA(FHandle, LVM_SETIMAGELIST, LVSIL_STATE, handle(FStateImages));
}

void TCustomListView::ApplyColors()
{
    if (!FHandle)
        return;
    const COLORREF back = ColorToRGB(FColor);
    SendMessageA(FHandle, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(back));
    SendMessageA(FHandle, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(back));
    SendMessageA(FHandle, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FFont->Color())));
}

void TCustomListView::ImageListChange(TObject*)
{
    ApplyImageLists();
}

void TCustomListView::SetLargeImages(TCustomImageList* Value)
{
    if (SetImageListRef(FLargeImages, Value, FImageChangeLink.get(), this))
        ApplyImageLists();
}

void TCustomListView::SetSmallImages(TCustomImageList* Value)
{
    if (SetImageListRef(FSmallImages, Value, FImageChangeLink.get(), this))
        ApplyImageLists();
}

void TCustomListView::SetStateImages(TCustomImageList* Value)
{
    if (SetImageListRef(FStateImages, Value, FImageChangeLink.get(), this))
        ApplyImageLists();
}

void TCustomListView::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomListControl::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent)
        return;
    bool gone = false;
    for (TCustomImageList** list : {&FLargeImages, &FSmallImages, &FStateImages})
        if (AComponent == *list) {
            *list = nullptr;
            gone = true;
        }
    if (gone)
        ApplyImageLists();
}

void TCustomListView::SetListStyle(bool& Field, bool Value)
{
    if (StoreChanged(Field, Value))
        ApplyWindowStyles();
}

void TCustomListView::ApplyWindowStyles()
{
    if (!FHandle)
        return;
    const DWORD all = LVS_TYPEMASK | LVS_EDITLABELS | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER |
                      LVS_NOSORTHEADER;
    const DWORD style = static_cast<DWORD>(GetWindowLongA(FHandle, GWL_STYLE));
    SetWindowLongA(FHandle, GWL_STYLE, static_cast<LONG>((style & ~all) | (ListStyles() & all)));
    ApplyExtendedStyles();
    ApplyImageLists();
}

void TCustomListView::SetViewStyle(TViewStyle Value)
{
    // The window takes its new view from the style; the columns and items stay.
    if (StoreChanged(FViewStyle, Value))
        ApplyWindowStyles();
}

void TCustomListView::SetOwnerData(bool Value)
{
    if (FOwnerData == Value)
        return;
    // The item objects cannot stand for the items of the program's data, nor the reverse.
    if (FItems)
        FItems->Clear();
    FOwnerDataCount = 0;
    FTempItem.reset();
    RecreateOnChange(this, FOwnerData, Value);
}

void TCustomListView::SetBorderStyle(TBorderStyle Value)
{
    RecreateOnChange(this, FBorderStyle, Value);
}

HWND TCustomListView::HeaderHandle() const
{
    return FHandle ? reinterpret_cast<HWND>(SendMessageA(FHandle, LVM_GETHEADER, 0, 0)) : nullptr;
}

// Items and selection ------------------------------------------------------------------------

TListItem* TCustomListView::ItemFromWindow(int Index, LPARAM Param, TItemRequest Request)
{
    if (FOwnerData) {
        if (Index < 0 || Index >= FOwnerDataCount)
            return nullptr;
        TListItem* item = TempItem();
        // The passing item stands for one item at a time: what OnData does not set is empty.
        item->FCaption.clear();
        item->FSubItems->Clear();
        item->FData = nullptr;
        item->FImageIndex = 0;
        item->FStateIndex = -1;
        item->FOverlayIndex = -1;
        item->FIndent = 0;
        item->FIndex = Index;
        OwnerDataFetch(item, Request);
        return item;
    }
    if (Param)
        return reinterpret_cast<TListItem*>(Param);
    const TListItems* items = Items();
    return Index >= 0 && Index < static_cast<int>(items->FItems.size()) ? items->FItems[static_cast<size_t>(Index)]
                                                                         : nullptr;
}

TListItem* TCustomListView::Selected()
{
    if (!FHandle) {
        for (TListItem* item : Items()->FItems)
            if (item->FStates & isSelected)
                return item;
        return nullptr;
    }
    const int i = static_cast<int>(SendMessageA(FHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    return i >= 0 && i < Items()->Count() ? Items()->Item(i) : nullptr;
}

void TCustomListView::SetSelected(TListItem* Value)
{
    if (Value && (Value->FOwner != FItems.get() || Value->FDeleting))
        return;
    ClearSelection();
    if (Value) {
        Value->SetSelected(true);
        Value->SetFocused(true);
    }
}

TListItem* TCustomListView::ItemFocused()
{
    if (!FHandle) {
        for (TListItem* item : Items()->FItems)
            if (item->FStates & isFocused)
                return item;
        return nullptr;
    }
    const int i = static_cast<int>(SendMessageA(FHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    return i >= 0 && i < Items()->Count() ? Items()->Item(i) : nullptr;
}

void TCustomListView::SetItemFocused(TListItem* Value)
{
    if (Value && Value->FOwner == FItems.get() && !Value->FDeleting)
        Value->SetFocused(true);
}

int TCustomListView::SelCount()
{
    if (FHandle)
        return static_cast<int>(SendMessageA(FHandle, LVM_GETSELECTEDCOUNT, 0, 0));
    return static_cast<int>(std::count_if(Items()->FItems.begin(), Items()->FItems.end(),
                                          [](const TListItem* I) { return (I->FStates & isSelected) != 0; }));
}

TListItem* TCustomListView::TopItem()
{
    const int i = FHandle ? static_cast<int>(SendMessageA(FHandle, LVM_GETTOPINDEX, 0, 0)) : std::max(FTopIndex, 0);
    return i >= 0 && i < Items()->Count() ? Items()->Item(i) : nullptr;
}

TListItem* TCustomListView::GetItemAt(int X, int Y)
{
    if (!FHandle)
        return nullptr;
    LVHITTESTINFO hit{};
    hit.pt = {X, Y};
    const int i = static_cast<int>(SendMessageA(FHandle, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return i >= 0 && (hit.flags & LVHT_ONITEM) && i < Items()->Count() ? Items()->Item(i) : nullptr;
}

TListItem* TCustomListView::FindCaption(int StartIndex, const AnsiString& Value, bool Partial, bool Inclusive, bool Wrap)
{
    LVFINDINFOA find{};
    find.flags = LVFI_STRING | (Partial ? LVFI_PARTIAL : 0) | (Wrap ? LVFI_WRAP : 0);
    find.psz = Value.c_str();
    const int start = Inclusive ? StartIndex - 1 : StartIndex;
    const int i = static_cast<int>(SendMessageA(Handle(), LVM_FINDITEMA, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(&find)));
    return i >= 0 && i < Items()->Count() ? Items()->Item(i) : nullptr;
}

TListItem* TCustomListView::FindData(int StartIndex, void* Value, bool Inclusive, bool Wrap)
{
    if (FOwnerData) {
        LVFINDINFOA find{};
        find.flags = LVFI_PARAM | (Wrap ? LVFI_WRAP : 0);
        find.lParam = reinterpret_cast<LPARAM>(Value);
        const int start = Inclusive ? StartIndex - 1 : StartIndex;
        const int i = static_cast<int>(SendMessageA(Handle(), LVM_FINDITEMA, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(&find)));
        return i >= 0 && i < Items()->Count() ? Items()->Item(i) : nullptr;
    }
    // The window knows items by their objects, not by their data.
    const auto& items = Items()->FItems;
    const int count = static_cast<int>(items.size());
    const int first = std::clamp(Inclusive ? StartIndex : StartIndex + 1, 0, count);
    for (int n = 0, i = first; n < count && (i < count || Wrap); ++n, ++i) {
        if (i >= count)
            i = 0;
        if (items[static_cast<size_t>(i)]->FData == Value)
            return items[static_cast<size_t>(i)];
    }
    return nullptr;
}

int TCustomListView::VisibleRowCount()
{
    return FHandle ? static_cast<int>(SendMessageA(FHandle, LVM_GETCOUNTPERPAGE, 0, 0)) : 0;
}

void TCustomListView::Scroll(int DX, int DY)
{
    if (FHandle)
        SendMessageA(FHandle, LVM_SCROLL, static_cast<WPARAM>(DX), DY);
}

bool TCustomListView::IsEditing()
{
    return FHandle && SendMessageA(FHandle, LVM_GETEDITCONTROL, 0, 0) != 0;
}

int TCustomListView::GetCount()
{
    return Items()->Count();
}

int TCustomListView::GetItemIndex()
{
    TListItem* item = Selected();
    return item ? item->Index() : -1;
}

void TCustomListView::SetItemIndex(int Value)
{
    if (Value < 0 || Value >= Items()->Count()) {
        ClearSelection();
        return;
    }
    TListItem* item = Items()->Item(Value);
    ClearSelection();
    item->SetSelected(true);
    item->SetFocused(true);
}

void TCustomListView::AddItem(const AnsiString& Item, TObject* AObject)
{
    TListItem* item = Items()->Add();
    item->SetCaption(Item);
    item->SetData(AObject);
}

void TCustomListView::Clear()
{
    Items()->Clear();
}

void TCustomListView::ClearSelection()
{
    if (!FHandle) {
        for (TListItem* item : Items()->FItems)
            item->FStates &= ~isSelected;
        return;
    }
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    SendMessageA(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

void TCustomListView::CopySelection(TCustomListControl* Destination)
{
    if (!Destination)
        return;
    for (int i = 0; i < Items()->Count(); ++i)
        if (TListItem* item = Items()->Item(i); item->Selected())
            Destination->AddItem(item->Caption(), static_cast<TObject*>(item->Data()));
}

void TCustomListView::DeleteSelected()
{
    if (FOwnerData)
        return;
    TUpdateScope<TListItems> update(Items());
    for (int i = Items()->Count() - 1; i >= 0; --i)
        if (Items()->Item(i)->Selected())
            Items()->Delete(i);
}

void TCustomListView::SelectAll()
{
    if (!FMultiSelect)
        return;
    if (!FHandle) {
        for (TListItem* item : Items()->FItems)
            item->FStates |= isSelected;
        return;
    }
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageA(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

// Sorting ---------------------------------------------------------------------------------------

bool TCustomListView::CustomSort(TLVCompare SortProc, LPARAM Data)
{
    if (FOwnerData)
        return false;
    // The sort message passes the control's own message handling, window or not, so that a
    // descendant sees every sort the list view makes.
    const auto proc = reinterpret_cast<LPARAM>(SortProc ? SortProc : &DefaultListViewSort);
    return GuardedSort(FSortGuard, this, [&](const TCallbackGuard&) {
        return Perform(LVM_SORTITEMS, static_cast<WPARAM>(Data), proc) != 0;
    });
}

void TCustomListView::LVMSortItems(TMessage& Message)
{
    auto proc = reinterpret_cast<TLVCompare>(Message.LParam);
    if (!proc || FOwnerData) {
        DefaultHandler(Message);
        return;
    }
    if (!FHandle) {
        auto& items = Items()->FItems;
        std::stable_sort(items.begin(), items.end(), [&](TListItem* A, TListItem* B) {
            return proc(reinterpret_cast<LPARAM>(A), reinterpret_cast<LPARAM>(B), static_cast<LPARAM>(Message.WParam)) < 0;
        });
        Items()->FNumbered = false;
        Message.Result = 1;
        return;
    }
    DefaultHandler(Message);
    if (Message.Result)
        FollowWindowOrder();
}

void TCustomListView::FollowWindowOrder()
{
    auto& items = Items()->FItems;
    std::vector<TListItem*> order;
    order.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        if (!SendMessageA(FHandle, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) || !item.lParam)
            return;
        order.push_back(reinterpret_cast<TListItem*>(item.lParam));
    }
    // The window holds our items only: the same ones in another order.
    std::vector<TListItem*> a = order, b = items;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    if (a != b)
        return;
    items = std::move(order);
    Items()->FNumbered = false;
}

void TCustomListView::LVMDeleteItem(TMessage& Message)
{
    // Items go only with their objects: a deletion sent from outside deletes the objects.
    if (FOwnDelete || !FHandle || FOwnerData) {
        DefaultHandler(Message);
        return;
    }
    if (Message.Msg == LVM_DELETEALLITEMS) {
        Items()->Clear();
        Message.Result = 1;
        return;
    }
    const int i = static_cast<int>(Message.WParam);
    if (i < 0 || i >= Items()->Count())
        return;
    Items()->Delete(i);
    Message.Result = 1;
}

// Events ----------------------------------------------------------------------------------------

bool TCustomListView::CanEdit(TListItem* Item)
{
    bool allow = true;
    if (OnEditing)
        OnEditing(this, Item, allow);
    return allow;
}

bool TCustomListView::CanChange(TListItem* Item, TItemChange Change)
{
    bool allow = true;
    if (OnChanging && !EventsQuiet())
        OnChanging(this, Item, Change, allow);
    return allow;
}

void TCustomListView::Change(TListItem* Item, TItemChange Change)
{
    if (OnChange && !EventsQuiet())
        OnChange(this, Item, Change);
}

void TCustomListView::Delete(TListItem* Item)
{
    if (OnDeletion)
        OnDeletion(this, Item);
}

void TCustomListView::InsertItem(TListItem* Item)
{
    if (OnInsert)
        OnInsert(this, Item);
}

void TCustomListView::ColClick(TListColumn* Column)
{
    if (OnColumnClick)
        OnColumnClick(this, Column);
}

void TCustomListView::GetImageIndex(TListItem* Item)
{
    if (OnGetImageIndex)
        OnGetImageIndex(this, Item);
}

bool TCustomListView::OwnerDataFetch(TListItem* Item, TItemRequest)
{
    if (!OnData)
        return false;
    OnData(this, Item);
    return true;
}

int TCustomListView::OwnerDataFind(TItemFind Find, const AnsiString& FindString, const TPoint& FindPosition,
                                   void* FindData, int StartIndex, TSearchDirection Direction, bool Wrap)
{
    int index = -1;
    if (OnDataFind)
        OnDataFind(this, Find, FindString, FindPosition, FindData, StartIndex, Direction, Wrap, index);
    return index;
}

int TCustomListView::OwnerDataHint(int StartIndex, int EndIndex)
{
    if (OnDataHint)
        OnDataHint(this, StartIndex, EndIndex);
    return 0;
}

int TCustomListView::OwnerDataStateChange(int StartIndex, int EndIndex, TItemStates OldState, TItemStates NewState)
{
    if (OnDataStateChange)
        OnDataStateChange(this, StartIndex, EndIndex, OldState, NewState);
    return 0;
}

AnsiString TCustomListView::ColumnText(const TListItem* Item, int SubItem)
{
    if (SubItem <= 0)
        return Item->FCaption;
    return SubItem <= Item->FSubItems->Count() ? Item->FSubItems->Strings(SubItem - 1) : AnsiString();
}

void TCustomListView::AnswerDisplayInfo(TListItem* Item, LVITEMA& Info)
{
    if (Info.mask & LVIF_IMAGE) {
        if (Info.iSubItem == 0) {
            GetImageIndex(Item);
            Info.iImage = Item->FImageIndex;
        } else {
            Info.iImage = I_IMAGENONE;
        }
    }
    if (Info.mask & LVIF_INDENT)
        Info.iIndent = Item->FIndent;
    if ((Info.mask & LVIF_PARAM) && Item->Passing())
        Info.lParam = reinterpret_cast<LPARAM>(Item->FData);
    // Owner data keeps its state images with the program.
    if ((Info.mask & LVIF_STATE) && Item->Passing()) {
        Info.stateMask |= LVIS_STATEIMAGEMASK | LVIS_OVERLAYMASK;
        Info.state = (Info.state & ~(LVIS_STATEIMAGEMASK | LVIS_OVERLAYMASK)) |
                     INDEXTOSTATEIMAGEMASK(std::max(Item->FStateIndex + 1, 0)) |
                     INDEXTOOVERLAYMASK(std::max(Item->FOverlayIndex + 1, 0));
    }
}

void TCustomListView::Edit(const LVITEMA& Item)
{
    if (!Item.pszText || Item.iItem < 0 || Item.iItem >= Items()->Count())
        return;
    TListItem* item = Items()->Item(Item.iItem);
    AnsiString text = Item.pszText;
    if (OnEdited)
        OnEdited(this, item, text);
    item->SetCaption(text);
}

void TCustomListView::ItemChanged(const NMLISTVIEW& Info, bool Before, LRESULT& Result)
{
    TListItem* item = FOwnerData ? (Info.iItem >= 0 && Info.iItem < FOwnerDataCount ? Items()->Item(Info.iItem) : nullptr)
                                 : ItemFromWindow(Info.iItem, Info.lParam, 0);
    const TItemChange change = ChangeOf(Info.uChanged);
    if (Before) {
        Result = CanChange(item, change) ? 0 : 1;
        return;
    }
    // A check box clicked by the user changes the state image: the item keeps its index.
    if (item && !item->Passing() && (Info.uChanged & LVIF_STATE) &&
        ((Info.uNewState ^ Info.uOldState) & LVIS_STATEIMAGEMASK))
        item->FStateIndex = static_cast<int>((Info.uNewState & LVIS_STATEIMAGEMASK) >> 12) - 1;
    Change(item, change);
    if ((Info.uChanged & LVIF_STATE) && ((Info.uNewState ^ Info.uOldState) & LVIS_SELECTED) && OnSelectItem &&
        !EventsQuiet())
        OnSelectItem(this, item, (Info.uNewState & LVIS_SELECTED) != 0);
}

// Label editing ---------------------------------------------------------------------------------

void TCustomListView::EndLabelEdit(const LVITEMA& Item)
{
    // The edit window lives on a little: from now on it is no longer the label being edited.
    FEditHandle = nullptr;
    Edit(Item);
}

void TCustomListView::HookEditControl(bool Wide)
{
    FEditHandle = reinterpret_cast<HWND>(SendMessageA(FHandle, LVM_GETEDITCONTROL, 0, 0));
    FEditLink.Hook(FEditHandle, Wide);
}

LRESULT TCustomListView::CallDefEditProc(const TMessage& Message)
{
    return FEditLink.CallDefault(Message);
}

void TCustomListView::EditWndProc(TMessage& Message)
{
    if (!DoChildKeyMessage(Message))
        FEditLink.Pass(Message);
}

// Messages --------------------------------------------------------------------------------------

void TCustomListView::CNNotify(TMessage& Message)
{
    auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
    // The window going deletes its items: the item objects stay.
    if (!hdr || (FControlState & csDestroyingHandle))
        return;
    auto* lv = reinterpret_cast<NMLISTVIEW*>(hdr);
    auto* info = reinterpret_cast<NMLVDISPINFOA*>(hdr);
    switch (hdr->code) {
    case LVN_GETDISPINFOA: {
        LVITEMA& item = info->item;
        const TItemRequest request = ((item.mask & LVIF_TEXT) ? irText : 0) | ((item.mask & LVIF_IMAGE) ? irImage : 0) |
                                     ((item.mask & LVIF_PARAM) ? irParam : 0) | ((item.mask & LVIF_STATE) ? irState : 0) |
                                     ((item.mask & LVIF_INDENT) ? irIndent : 0);
        if (TListItem* it = ItemFromWindow(item.iItem, FOwnerData ? 0 : item.lParam, request)) {
            if (item.mask & LVIF_TEXT)
                CopyItemText(item.pszText, item.cchTextMax, ColumnText(it, item.iSubItem));
            AnswerDisplayInfo(it, item);
        }
        break;
    }
    case LVN_ITEMCHANGING:
        ItemChanged(*lv, true, Message.Result);
        break;
    case LVN_ITEMCHANGED:
        ItemChanged(*lv, false, Message.Result);
        break;
    case LVN_DELETEALLITEMS:
        // Items go only with their objects, which tell OnDeletion themselves: no notice an item.
        Message.Result = 1;
        break;
    case LVN_COLUMNCLICK:
        if (lv->iSubItem >= 0 && lv->iSubItem < Columns()->Count())
            ColClick(Columns()->Items(lv->iSubItem));
        break;
    case LVN_BEGINLABELEDITA:
        if (!CanEdit(ItemFromWindow(info->item.iItem, FOwnerData ? 0 : info->item.lParam, irText))) {
            Message.Result = 1;
        } else {
            HookEditControl(false);
            Message.Result = 0;
        }
        break;
    case LVN_ENDLABELEDITA:
        EndLabelEdit(info->item);
        Message.Result = 0;
        break;
    case LVN_GETINFOTIPA: {
        auto* tip = reinterpret_cast<NMLVGETINFOTIPA*>(hdr);
        TListItem* item = ItemFromWindow(tip->iItem, FOwnerData ? 0 : tip->lParam, irText);
        if (item && OnInfoTip && tip->pszText) {
            AnsiString text = tip->pszText;
            OnInfoTip(this, item, text);
            CopyItemText(tip->pszText, tip->cchTextMax, text);
        }
        break;
    }
    case LVN_ODCACHEHINT: {
        auto* hint = reinterpret_cast<NMLVCACHEHINT*>(hdr);
        Message.Result = OwnerDataHint(hint->iFrom, hint->iTo);
        break;
    }
    case LVN_ODSTATECHANGED: {
        auto* change = reinterpret_cast<NMLVODSTATECHANGE*>(hdr);
        Message.Result = OwnerDataStateChange(change->iFrom, change->iTo, LVISToItemStates(change->uOldState),
                                              LVISToItemStates(change->uNewState));
        break;
    }
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW: {
        // The system may ask in its wide form whatever form the list's notices take: the
        // records differ only in the text's type.
        auto* find = reinterpret_cast<NMLVFINDITEMA*>(hdr);
        const LVFINDINFOA& f = find->lvfi;
        const TItemFind how = (f.flags & LVFI_PARAM)     ? ifData
                            : (f.flags & LVFI_PARTIAL)   ? ifPartialString
                            : (f.flags & LVFI_STRING)    ? ifExactString
                                                         : ifNearest;
        AnsiString text;
        if (f.psz && (f.flags & (LVFI_STRING | LVFI_PARTIAL)))
            text = hdr->code == LVN_ODFINDITEMA ? AnsiString(f.psz) : AnsiOfWide(reinterpret_cast<const wchar_t*>(f.psz));
        Message.Result = OwnerDataFind(how, text, TPoint(f.pt.x, f.pt.y), reinterpret_cast<void*>(f.lParam), find->iStart,
                                       DirectionOf(f.vkDirection), (f.flags & LVFI_WRAP) != 0);
        break;
    }
    }
}

void TCustomListView::HeaderNotify(TMessage& Message)
{
    // The window's own handling first: it sizes the column.
    DefaultHandler(Message);
    auto* hdr = reinterpret_cast<NMHEADERA*>(Message.LParam);
    if (!FColumns || hdr->iItem < 0 || hdr->iItem >= FColumns->Count())
        return;
    TListColumn* column = FColumns->Items(hdr->iItem);
    const auto bounded = [column](int W) {
        if (column->MinWidth() > 0)
            W = std::max(W, column->MinWidth());
        if (column->MaxWidth() > 0)
            W = std::min(W, column->MaxWidth());
        return W;
    };
    switch (hdr->hdr.code) {
    case HDN_TRACKA:
    case HDN_TRACKW:
        if (hdr->pitem && (hdr->pitem->mask & HDI_WIDTH))
            hdr->pitem->cxy = bounded(hdr->pitem->cxy);
        break;
    case HDN_ENDTRACKA:
    case HDN_ENDTRACKW:
    case HDN_ITEMCHANGEDA:
    case HDN_ITEMCHANGEDW:
    case HDN_DIVIDERDBLCLICKA:
    case HDN_DIVIDERDBLCLICKW: {
        // A width the user dragged or the window fitted outside the column's bounds is put
        // back inside them.
        const int now = static_cast<int>(SendMessageA(FHandle, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(hdr->iItem), 0));
        column->FWidth = bounded(now);
        if (column->FWidth != now)
            SendMessageA(FHandle, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(hdr->iItem), column->FWidth);
        break;
    }
    }
}

void TCustomListView::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_NOTIFY:
        CNNotify(Message);
        return;
    case WM_NOTIFY:
        if (auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam); hdr && hdr->hwndFrom && hdr->hwndFrom == HeaderHandle()) {
            HeaderNotify(Message);
            return;
        }
        break;
    case LVM_SORTITEMS:
        LVMSortItems(Message);
        return;
    case LVM_DELETEITEM:
    case LVM_DELETEALLITEMS:
        LVMDeleteItem(Message);
        return;
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW:
        // Items come only with their objects: one inserted from outside gets an object, with
        // the record's text when it has one.
        if (!FOwnInsert && FHandle && !FOwnerData && Message.LParam) {
            const auto* item = reinterpret_cast<const LVITEMA*>(Message.LParam);
            AnsiString text;
            if ((item->mask & LVIF_TEXT) && item->pszText && item->pszText != LPSTR_TEXTCALLBACKA)
                text = Message.Msg == LVM_INSERTITEMA ? AnsiString(item->pszText)
                                                      : AnsiOfWide(reinterpret_cast<const LVITEMW*>(item)->pszText);
            TListItem* made = Items()->Insert(item->iItem < 0 ? Items()->Count() : item->iItem);
            made->SetCaption(text);
            Message.Result = made->Index();
            return;
        }
        break;
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
        TCustomListControl::Dispatch(Message);
        ApplyColors();
        return;
    case CM_SHOWHINTCHANGED:
        TCustomListControl::Dispatch(Message);
        ApplyExtendedStyles();
        return;
    case CM_WANTSPECIALKEY:
        // Enter and Escape end a label edit instead of pressing the form's buttons.
        if ((Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) && IsEditing()) {
            Message.Result = 1;
            return;
        }
        break;
    }
    TCustomListControl::Dispatch(Message);
}
