// The columns and items of a list view: what each keeps while there is no window, how the
// window's columns and items follow them, and the collection that adds and deletes items.
#include "classlib/comctrls_shared.h"

#include <algorithm>

Z_CLASS_IMPL(TListColumn, TCollectionItem, Z_PROP_STR(TListColumn, Caption), Z_PROP_INT(TListColumn, Width, 50),
             Z_PROP_INT(TListColumn, MinWidth, 0), Z_PROP_INT(TListColumn, MaxWidth, 0),
             Z_PROP_ENUM(TListColumn, Alignment, zcomctrls::AlignmentNames, taLeftJustify),
             Z_PROP_INT(TListColumn, ImageIndex, -1))
Z_CLASS_IMPL(TListColumns, TCollection)
Z_CLASS_IMPL(TSubItems, TStringList)
Z_CLASS_IMPL(TListItem, TPersistent)
Z_CLASS_IMPL(TListItems, TPersistent)

namespace {
const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SNeedsOwnerData = "Invalid operation: Count needs owner data";
const char* const SNoItemObjects = "Invalid operation: an owner-data list view has no item objects";
const char* const SForeignItem = "Invalid operation: the item belongs to another list";
const char* const SInsertError = "Unable to insert an item";

constexpr UINT StateFlags[][2] = {{isCut, LVIS_CUT},
                                  {isDropHilited, LVIS_DROPHILITED},
                                  {isFocused, LVIS_FOCUSED},
                                  {isSelected, LVIS_SELECTED},
                                  {isActivating, LVIS_ACTIVATING}};

} // namespace

namespace zcomctrls {

const char* const AlignmentNames[3] = {"taLeftJustify", "taRightJustify", "taCenter"};

UINT ItemStatesToLVIS(TItemStates States)
{
    UINT state = 0;
    for (const auto& f : StateFlags)
        if (States & f[0])
            state |= f[1];
    return state;
}

TItemStates LVISToItemStates(UINT State)
{
    TItemStates states = 0;
    for (const auto& f : StateFlags)
        if (State & f[1])
            states |= static_cast<TItemStates>(f[0]);
    return states;
}

TCollection* HoldUpdates(TCollection* Collection)
{
    if (Collection)
        Collection->BeginUpdate();
    return Collection;
}

} // namespace zcomctrls

// ---------------------------------------------------------------------------------------
// TListColumn

// The collection tells its list view of the new column only once the column is whole.
TListColumn::TListColumn(TCollection* Collection) : TCollectionItem(HoldUpdates(Collection))
{
    if (Collection)
        Collection->EndUpdate();
}

TCustomListView* TListColumn::ListView() const
{
    auto* columns = dynamic_cast<TListColumns*>(Collection());
    return columns ? columns->Owner() : nullptr;
}

AnsiString TListColumn::DisplayName() const
{
    return FCaption.empty() ? TCollectionItem::DisplayName() : FCaption;
}

void TListColumn::SetCaption(const AnsiString& Value)
{
    if (StoreChanged(FCaption, Value))
        SendColumn(LVCF_TEXT);
}

int TListColumn::Width()
{
    // The user may have dragged the divider: the report's window knows the width.
    TCustomListView* lv = ListView();
    if (lv && lv->HandleAllocated() && lv->ViewStyle() == vsReport)
        if (const int w = static_cast<int>(SendMessageA(lv->WindowHandle(), LVM_GETCOLUMNWIDTH, Index(), 0)); w > 0)
            FWidth = w;
    return FWidth;
}

void TListColumn::SetWidth(int Value)
{
    if (Value < 0)
        Value = 0;
    if (FMinWidth > 0)
        Value = std::max(Value, FMinWidth);
    if (FMaxWidth > 0)
        Value = std::min(Value, FMaxWidth);
    FWidth = Value;
    SendColumn(LVCF_WIDTH);
}

void TListColumn::SetMinWidth(int Value)
{
    if (StoreChanged(FMinWidth, std::max(Value, 0)) && FMinWidth > 0 && Width() < FMinWidth)
        SetWidth(FMinWidth);
}

void TListColumn::SetMaxWidth(int Value)
{
    if (StoreChanged(FMaxWidth, std::max(Value, 0)) && FMaxWidth > 0 && Width() > FMaxWidth)
        SetWidth(FMaxWidth);
}

void TListColumn::SetAlignment(TAlignment Value)
{
    if (StoreChanged(FAlignment, Value))
        SendColumn(LVCF_FMT);
}

void TListColumn::SetImageIndex(int Value)
{
    if (StoreChanged(FImageIndex, Value))
        SendColumn(LVCF_FMT | LVCF_IMAGE);
}

void TListColumn::Assign(TPersistent* Source)
{
    auto* c = dynamic_cast<TListColumn*>(Source);
    if (!c) {
        TCollectionItem::Assign(Source);
        return;
    }
    FCaption = c->FCaption;
    FWidth = c->Width();
    FMinWidth = c->FMinWidth;
    FMaxWidth = c->FMaxWidth;
    FAlignment = c->FAlignment;
    FImageIndex = c->FImageIndex;
    SendColumn(LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_IMAGE);
}

void TListColumn::SendColumn(UINT Mask)
{
    TCustomListView* lv = ListView();
    if (!lv || !lv->HandleAllocated() || !Collection() || Collection()->UpdateCount() > 0)
        return;
    static const int formats[3] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER};
    LVCOLUMNA c{};
    c.mask = Mask;
    c.pszText = const_cast<char*>(FCaption.c_str());
    c.cx = FWidth;
    c.fmt = formats[FAlignment] | (FImageIndex >= 0 ? LVCFMT_IMAGE : 0);
    c.iImage = FImageIndex;
    lv->Perform(LVM_SETCOLUMNA, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&c));
}

// ---------------------------------------------------------------------------------------
// TListColumns

TListColumns::TListColumns(TCustomListView* AOwner, const TClassInfo& ItemClass)
    : TCollection(ItemClass), FOwner(AOwner)
{
}

TPersistent* TListColumns::GetOwner()
{
    return FOwner;
}

void TListColumns::Update(TCollectionItem* Item)
{
    if (auto* column = dynamic_cast<TListColumn*>(Item))
        column->SendColumn(LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_IMAGE);
    else if (FOwner)
        FOwner->UpdateColumns();
}

// ---------------------------------------------------------------------------------------
// TSubItems

void TSubItems::Changed()
{
    TStringList::Changed();
    if (UpdateCount() == 0 && FOwner)
        FOwner->SendSubItems();
}

// ---------------------------------------------------------------------------------------
// TListItem

TListItem::TListItem(TListItems* AOwner) : FOwner(AOwner), FSubItems(std::make_unique<TSubItems>(this)) {}

// Taking the item out of the list and the window is the collection's work (TListItems::Delete).
TListItem::~TListItem() = default;

TCustomListView* TListItem::ListView() const
{
    return FOwner ? FOwner->Owner() : nullptr;
}

TPersistent* TListItem::GetOwner()
{
    return FOwner;
}

bool TListItem::Passing() const
{
    TCustomListView* lv = ListView();
    return lv && lv->FTempItem.get() == this;
}

int TListItem::Index() const
{
    if (!FOwner || Passing())
        return FIndex;
    FOwner->Renumber();
    return FIndex;
}

int TListItem::WindowIndex() const
{
    TCustomListView* lv = ListView();
    if (!lv || !lv->HandleAllocated() || FDeleting || (FIndex < 0 && !Passing()))
        return -1;
    return Index();
}

void TListItem::SetCaption(const AnsiString& Value)
{
    if (StoreChanged(FCaption, Value))
        AskAgain();
}

void TListItem::SetImageIndex(int Value)
{
    if (StoreChanged(FImageIndex, Value))
        AskAgain();
}

void TListItem::SetIndent(int Value)
{
    if (!StoreChanged(FIndent, Value) || Passing())
        return;
    if (const int i = WindowIndex(); i >= 0) {
        LVITEMA item{};
        item.mask = LVIF_INDENT;
        item.iItem = i;
        item.iIndent = Value;
        SendMessageA(ListView()->WindowHandle(), LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void TListItem::SetStateIndex(int Value)
{
    if (!StoreChanged(FStateIndex, Value) || Passing())
        return;
    if (const int i = WindowIndex(); i >= 0) {
        LVITEMA item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(std::max(Value + 1, 0));
        SendMessageA(ListView()->WindowHandle(), LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
}

void TListItem::SetOverlayIndex(int Value)
{
    if (!StoreChanged(FOverlayIndex, Value) || Passing())
        return;
    if (const int i = WindowIndex(); i >= 0) {
        LVITEMA item{};
        item.stateMask = LVIS_OVERLAYMASK;
        item.state = INDEXTOOVERLAYMASK(std::max(Value + 1, 0));
        SendMessageA(ListView()->WindowHandle(), LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
}

bool TListItem::GetState(TItemStateFlag Flag) const
{
    const int i = WindowIndex();
    if (i < 0)
        return (FStates & Flag) != 0;
    const UINT mask = ItemStatesToLVIS(Flag);
    return (SendMessageA(ListView()->WindowHandle(), LVM_GETITEMSTATE, static_cast<WPARAM>(i), mask) & mask) != 0;
}

void TListItem::SetState(TItemStateFlag Flag, bool Value)
{
    const int i = WindowIndex();
    if (i < 0) {
        FStates = Value ? (FStates | Flag) : (FStates & ~Flag);
        return;
    }
    LVITEMA item{};
    item.stateMask = ItemStatesToLVIS(Flag);
    item.state = Value ? item.stateMask : 0;
    SendMessageA(ListView()->WindowHandle(), LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
}

bool TListItem::Checked() const
{
    // The user's click changes the window's state image: the item hears of it (see
    // TCustomListView's change notice), so its own index is the answer.
    return FStateIndex == 1;
}

void TListItem::SetChecked(bool Value)
{
    SetStateIndex(Value ? 1 : 0);
}

TRect TListItem::DisplayRect(TDisplayCode Code) const
{
    const int i = WindowIndex();
    if (i < 0)
        return TRect();
    static const int parts[4] = {LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL, LVIR_SELECTBOUNDS};
    RECT r{};
    r.left = parts[Code];
    if (!SendMessageA(ListView()->WindowHandle(), LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)))
        return TRect();
    return TRect(r);
}

void TListItem::MakeVisible(bool PartialOK)
{
    if (const int i = WindowIndex(); i >= 0)
        SendMessageA(ListView()->WindowHandle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(i), PartialOK);
}

bool TListItem::EditCaption()
{
    const int i = WindowIndex();
    return i >= 0 && ListView()->Perform(LVM_EDITLABELA, static_cast<WPARAM>(i), 0) != 0;
}

void TListItem::CancelEdit()
{
    // An edit of item -1 ends the one running without taking its text.
    if (WindowIndex() >= 0)
        ListView()->Perform(LVM_EDITLABELA, static_cast<WPARAM>(-1), 0);
}

void TListItem::Update()
{
    if (const int i = WindowIndex(); i >= 0)
        SendMessageA(ListView()->WindowHandle(), LVM_UPDATE, static_cast<WPARAM>(i), 0);
}

void TListItem::AskAgain()
{
    // The passing item of owner data is filled while the window asks: it tells nobody.
    if (!Passing())
        Update();
}

void TListItem::SendSubItems()
{
    if (Passing())
        return;
    const int i = WindowIndex();
    if (i < 0)
        return;
    // A sub-item's text in the window is a callback text like the caption; one that has none
    // there would show empty. Sub-items that went answer an empty text.
    const int count = FSubItems->Count();
    for (; FSubItemsShown < count; ++FSubItemsShown) {
        LVITEMA item{};
        item.iSubItem = FSubItemsShown + 1;
        item.pszText = LPSTR_TEXTCALLBACKA;
        ListView()->Perform(LVM_SETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    Update();
}

void TListItem::Delete()
{
    if (FOwner && !Passing() && !FDeleting)
        FOwner->Delete(Index());
}

void TListItem::Assign(TPersistent* Source)
{
    auto* item = dynamic_cast<TListItem*>(Source);
    if (!item) {
        TPersistent::Assign(Source);
        return;
    }
    SetCaption(item->Caption());
    FSubItems->Assign(item->SubItems());
    SetData(item->Data());
    SetImageIndex(item->ImageIndex());
    SetStateIndex(item->StateIndex());
    SetOverlayIndex(item->OverlayIndex());
    SetIndent(item->Indent());
    SetSelected(item->Selected());
    SetFocused(item->Focused());
}

// ---------------------------------------------------------------------------------------
// TListItems

TListItems::TListItems(TCustomListView* AOwner) : FOwner(AOwner) {}

TListItems::~TListItems()
{
    // The list view goes: its items go without events.
    for (TListItem* item : FItems)
        delete item;
}

TPersistent* TListItems::GetOwner()
{
    return FOwner;
}

HWND TListItems::Handle() const
{
    return FOwner && FOwner->HandleAllocated() ? FOwner->WindowHandle() : nullptr;
}

int TListItems::Count() const
{
    return FOwner && FOwner->OwnerData() ? FOwner->FOwnerDataCount : static_cast<int>(FItems.size());
}

void TListItems::SetCount(int Value)
{
    if (!FOwner || !FOwner->OwnerData())
        throw EListError(SNeedsOwnerData);
    FOwner->FOwnerDataCount = std::max(Value, 0);
    if (HWND wnd = Handle())
        SendMessageA(wnd, LVM_SETITEMCOUNT, static_cast<WPARAM>(FOwner->FOwnerDataCount), 0);
}

TListItem* TListItems::Item(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(Format(SListIndexError, Index));
    if (FOwner && FOwner->OwnerData())
        return FOwner->ItemFromWindow(Index, 0, irText | irImage | irParam | irState | irIndent);
    return FItems[static_cast<size_t>(Index)];
}

int TListItems::IndexOf(const TListItem* Value) const
{
    if (!Value || Value->FOwner != this || (FOwner && FOwner->OwnerData()))
        return -1;
    const int i = Value->Index();
    return i >= 0 && i < static_cast<int>(FItems.size()) && FItems[static_cast<size_t>(i)] == Value ? i : -1;
}

void TListItems::Renumber() const
{
    if (FNumbered)
        return;
    for (size_t i = 0; i < FItems.size(); ++i)
        FItems[i]->FIndex = static_cast<int>(i);
    FNumbered = true;
}

TListItem* TListItems::Add()
{
    return AddItem(nullptr, -1);
}

TListItem* TListItems::Insert(int Index)
{
    return AddItem(nullptr, Index);
}

TListItem* TListItems::AddItem(TListItem* Item, int Index)
{
    if (FOwner && FOwner->OwnerData())
        throw EListError(SNoItemObjects);
    if (Item && (Item->FOwner != this || IndexOf(Item) >= 0))
        throw EListError(SForeignItem);
    std::unique_ptr<TListItem> made(Item ? nullptr : FOwner->CreateListItem());
    TListItem* item = Item ? Item : made.get();
    const int count = static_cast<int>(FItems.size());
    const int at = Index < 0 || Index > count ? count : Index;
    Put(item, at);
    made.release();
    FOwner->InsertItem(item);
    return item;
}

void TListItems::Put(TListItem* Item, int Index)
{
    Renumber();
    FItems.insert(FItems.begin() + Index, Item);
    Item->FIndex = Index;
    // An item added at the end keeps the numbering whole.
    if (Index + 1 < static_cast<int>(FItems.size()))
        FNumbered = false;
    if (Handle()) {
        try {
            InsertWindowItem(Item, Index);
        } catch (...) {
            FItems.erase(FItems.begin() + Index);
            FNumbered = false;
            throw;
        }
    }
}

void TListItems::InsertWindowItem(TListItem* Item, int Index)
{
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE | LVIF_INDENT;
    item.iItem = Index;
    item.pszText = LPSTR_TEXTCALLBACKA;
    item.iImage = I_IMAGECALLBACK;
    item.lParam = reinterpret_cast<LPARAM>(Item);
    item.iIndent = Item->FIndent;
    item.stateMask = LVIS_OVERLAYMASK | ItemStatesToLVIS(isCut | isDropHilited | isFocused | isSelected);
    item.state = INDEXTOOVERLAYMASK(std::max(Item->FOverlayIndex + 1, 0)) | ItemStatesToLVIS(Item->FStates);
    // Without a state image of its own an item takes the window's (an unchecked box).
    if (Item->FStateIndex >= 0) {
        item.stateMask |= LVIS_STATEIMAGEMASK;
        item.state |= INDEXTOSTATEIMAGEMASK(Item->FStateIndex + 1);
    }
    TFlagScope own(FOwner->FOwnInsert);
    if (FOwner->Perform(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) < 0)
        throw EOutOfResources(SInsertError);
    Item->FSubItemsShown = 0;
    Item->SendSubItems();
}

void TListItems::Delete(int Index)
{
    if (FOwner && FOwner->OwnerData())
        throw EListError(SNoItemObjects);
    if (Index < 0 || Index >= static_cast<int>(FItems.size()))
        throw EListError(Format(SListIndexError, Index));
    TListItem* item = FItems[static_cast<size_t>(Index)];
    item->FDeleting = true;
    // The item goes whatever OnDeletion does.
    TScopeExit gone([&] {
        if (HWND wnd = Handle()) {
            TFlagScope own(FOwner->FOwnDelete);
            SendMessageA(wnd, LVM_DELETEITEM, static_cast<WPARAM>(Index), 0);
        }
        FItems.erase(FItems.begin() + Index);
        if (Index < static_cast<int>(FItems.size()))
            FNumbered = false;
        delete item;
    });
    FOwner->Delete(item);
}

void TListItems::Clear()
{
    if (FOwner && FOwner->OwnerData()) {
        SetCount(0);
        return;
    }
    if (FItems.empty())
        return;
    TUpdateScope<TListItems> update(this);
    std::vector<TListItem*> items;
    items.swap(FItems);
    FNumbered = true;
    for (TListItem* item : items)
        item->FDeleting = true;
    TScopeExit gone([&] {
        for (TListItem* item : items)
            delete item;
    });
    if (HWND wnd = Handle()) {
        TFlagScope own(FOwner->FOwnDelete);
        SendMessageA(wnd, LVM_DELETEALLITEMS, 0, 0);
    }
    for (TListItem* item : items)
        FOwner->Delete(item);
}

void TListItems::BeginUpdate()
{
    if (FUpdateCount++ == 0)
        if (HWND wnd = Handle())
            SendMessageA(wnd, WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate()
{
    if (FUpdateCount <= 0 || --FUpdateCount > 0)
        return;
    if (HWND wnd = Handle()) {
        SendMessageA(wnd, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(wnd, nullptr, TRUE);
    }
}

void TListItems::Assign(TPersistent* Source)
{
    auto* source = dynamic_cast<TListItems*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    if (source == this)
        return;
    TUpdateScope<TListItems> update(this);
    Clear();
    for (int i = 0; i < source->Count(); ++i)
        Add()->Assign(source->Item(i));
}
