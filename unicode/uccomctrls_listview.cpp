// The list view with wide texts: wide columns, items and sub-items, the Unicode window, the
// wide sort, wide label editing and the wide owner-data search.
#include "unicode/uccomctrls.h"
#include "unicode/ucstdctrls.h"

#include <cstring>
#include <utility>

Z_CLASS_IMPL(TUcListColumn, TListColumn, Z_PROP_WSTR(TUcListColumn, Caption))
Z_CLASS_IMPL(TUcListColumns, TListColumns)
Z_CLASS_IMPL(TWideSubItems, TUcStringList)
Z_CLASS_IMPL(TUcListItem, TListItem)
Z_CLASS_IMPL(TUcListItems, TListItems)
Z_CLASS_IMPL(TUcCustomListView, TCustomListView)
Z_CLASS_IMPL(TUcListView, TUcCustomListView, Z_LISTVIEW_PROPS(TUcListView), WideHintProp<TUcListView>())

TLVCompare UcDefaultListSort = nullptr;

namespace {

const char* const SItemClassError = "Internal Error: OnCreateItemClass.ItemClass must inherit from TUcListItem.";

void SetAnsiColumnCaption(TObject* Target, const AnsiString& Value)
{
    static_cast<TListColumn*>(Target)->TListColumn::SetCaption(Value);
}

void SetAnsiItemCaption(TObject* Target, const AnsiString& Value)
{
    static_cast<TListItem*>(Target)->TListItem::SetCaption(Value);
}

int CompareWideCaptions(const TListItem* Item1, const TListItem* Item2)
{
    return lstrcmpW(ListItemWideText(Item1, 0).c_str(), ListItemWideText(Item2, 0).c_str());
}

} // namespace

// ---------------------------------------------------------------------------------------
// Columns

WideString TUcListColumn::Caption() const
{
    return WideGetCachedValue(FWideCaption, TListColumn::Caption());
}

void TUcListColumn::SetCaption(const WideString& Value)
{
    WideSetCachedValue(Value, FWideCaption, TListColumn::Caption(), &SetAnsiColumnCaption, this);
}

void TUcListColumn::Assign(TPersistent* Source)
{
    TListColumn::Assign(Source);
    if (auto* column = dynamic_cast<TUcListColumn*>(Source))
        SetCaption(column->Caption());
}

// ---------------------------------------------------------------------------------------
// Items

WideString TWideSubItems::Get(int Index) const
{
    WideString wide = TUcStringList::Get(Index);
    TStrings* ansi = FOwner->TListItem::SubItems();
    return Index < ansi->Count() ? WideGetCachedValue(wide, ansi->Strings(Index)) : wide;
}

void TWideSubItems::Changed()
{
    TUcStringList::Changed();
    if (UpdateCount() > 0)
        return;
    // The library's sub-items take the ANSI forms, place by place: they show the item.
    TStrings* ansi = FOwner->TListItem::SubItems();
    TUpdateScope<TStrings> update(ansi);
    ansi->Clear();
    for (int i = 0; i < Count(); ++i)
        ansi->AddObject(WideToAnsi(TUcStringList::Get(i)), GetObject(i));
}

TUcListItem::TUcListItem(TListItems* AOwner) : TListItem(AOwner), FSubItems(std::make_unique<TWideSubItems>(this)) {}

TUcListItem::~TUcListItem() = default;

WideString TUcListItem::Caption() const
{
    return WideGetCachedValue(FWideCaption, TListItem::Caption());
}

void TUcListItem::SetCaption(const WideString& Value)
{
    WideSetCachedValue(Value, FWideCaption, TListItem::Caption(), &SetAnsiItemCaption, this);
}

WideString TUcListItem::ColumnText(int SubItem) const
{
    if (SubItem <= 0)
        return Caption();
    // The library's sub-items are the count: one set behind the wide ones is shown too.
    const int count = TListItem::SubItems()->Count();
    if (SubItem > count)
        return WideString();
    return SubItem <= FSubItems->Count() ? FSubItems->Get(SubItem - 1)
                                         : AnsiToWide(TListItem::SubItems()->Strings(SubItem - 1));
}

void TUcListItem::Assign(TPersistent* Source)
{
    TListItem::Assign(Source);
    if (auto* item = dynamic_cast<TUcListItem*>(Source)) {
        SetCaption(item->Caption());
        FSubItems->Assign(item->SubItems());
    }
}

WideString ListItemWideText(const TListItem* Item, int SubItem)
{
    if (auto* item = dynamic_cast<const TUcListItem*>(Item))
        return item->ColumnText(SubItem);
    if (!Item)
        return WideString();
    if (SubItem <= 0)
        return AnsiToWide(Item->Caption());
    return SubItem <= Item->SubItems()->Count() ? AnsiToWide(Item->SubItems()->Strings(SubItem - 1)) : WideString();
}

int CALLBACK UcListViewCompare(LPARAM Item1, LPARAM Item2, LPARAM Data)
{
    return CompareListItems(Item1, Item2, Data, &CompareWideCaptions);
}

// ---------------------------------------------------------------------------------------
// TUcCustomListView

void TUcCustomListView::CreateWindowHandle(const TCreateParams& Params)
{
    CreateUnicodeHandle_ComCtl(this, Params, WC_LISTVIEWW);
    CaptureDefaultSort();
}

void TUcCustomListView::CaptureDefaultSort()
{
    // The library's alphabetic sort names its comparison in the sort message it sends: the
    // message is caught in WndProc and dropped. Owner data sorts nothing: it waits for a list
    // with items.
    if (!PlatformIsUnicode || UcDefaultListSort || FCapturingSortCallback || OwnerData())
        return;
    TFlagScope capturing(FCapturingSortCallback);
    AlphaSort();
}

TListItem* TUcCustomListView::CreateListItem()
{
    const TListItemClass* cls = &ListItemClassOf<TUcListItem>();
    if (OnCreateItemClass)
        OnCreateItemClass(this, cls);
    if (!cls || !cls->ClassInfo().InheritsFrom(TUcListItem::StaticClassInfo()))
        throw EUcInternalError(SItemClassError);
    return cls->Create(TCustomListView::Items());
}

void TUcCustomListView::AddItem(const WideString& Item, TObject* AObject)
{
    TUcListItem* item = Items()->Add();
    item->SetCaption(Item);
    item->SetData(AObject);
}

void TUcCustomListView::AddItem(const AnsiString& Item, TObject* AObject)
{
    AddItem(AnsiToWide(Item), AObject);
}

void TUcCustomListView::CopySelection(TCustomListControl* Destination)
{
    if (!Destination)
        return;
    for (int i = 0; i < Items()->Count(); ++i)
        if (TListItem* item = TCustomListView::Items()->Item(i); item->Selected())
            AddItemToListControl(Destination, ListItemWideText(item, 0), static_cast<TObject*>(item->Data()));
}

bool TUcCustomListView::SendWideColumn(TMessage& Message)
{
    const auto* column = reinterpret_cast<const LVCOLUMNA*>(Message.LParam);
    const int index = static_cast<int>(Message.WParam);
    if (!column || !(column->mask & LVCF_TEXT) || !HandleAllocated() || index < 0 || index >= Columns()->Count())
        return false;
    const TUcListColumn* own = Columns()->Items(index);
    // A text the library did not take from the column (sent from outside) stays its own.
    const WideString text = own && WideToAnsi(own->Caption()) == AnsiString(column->pszText ? column->pszText : "")
                                ? own->Caption()
                                : AnsiToWide(column->pszText ? column->pszText : "");
    LVCOLUMNW wide;
    static_assert(sizeof(wide) == sizeof(*column));
    std::memcpy(&wide, column, sizeof(wide));
    wide.pszText = const_cast<wchar_t*>(text.c_str());
    Message.Result = SendMessageW(WindowHandle(), Message.Msg == LVM_SETCOLUMNA ? LVM_SETCOLUMNW : LVM_INSERTCOLUMNW,
                                  Message.WParam, reinterpret_cast<LPARAM>(&wide));
    return true;
}

void TUcCustomListView::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case LVM_SORTITEMS:
        if (FCapturingSortCallback) {
            UcDefaultListSort = reinterpret_cast<TLVCompare>(Message.LParam);
            Message.Result = 0;
            return;
        }
        if (PlatformIsUnicode && Message.LParam) {
            // A sort before any window was made: the comparison is found first.
            CaptureDefaultSort();
            if (reinterpret_cast<TLVCompare>(Message.LParam) == UcDefaultListSort) {
                TMessage wide{Message.Msg, Message.WParam, reinterpret_cast<LPARAM>(&UcListViewCompare), 0};
                TUcControlOf<TCustomListView>::WndProc(wide);
                Message.Result = wide.Result;
                return;
            }
        }
        break;
    case LVM_SETCOLUMNA:
    case LVM_INSERTCOLUMNA:
        if (PlatformIsUnicode && SendWideColumn(Message))
            return;
        break;
    case LVM_EDITLABELA:
        if (PlatformIsUnicode && HandleAllocated()) {
            Message.Result = SendMessageW(WindowHandle(), LVM_EDITLABELW, Message.WParam, Message.LParam);
            return;
        }
        break;
    case LVM_SETEXTENDEDLISTVIEWSTYLE:
        // Hints of sub-items and their images as well.
        if (ShowHint()) {
            Message.LParam |= LVS_EX_INFOTIP | LVS_EX_SUBITEMIMAGES;
            if (Message.WParam)
                Message.WParam |= LVS_EX_INFOTIP | LVS_EX_SUBITEMIMAGES;
        }
        break;
    }
    TUcControlOf<TCustomListView>::WndProc(Message);
}

void TUcCustomListView::Dispatch(TMessage& Message)
{
    if (PlatformIsUnicode && Message.Msg == CN_NOTIFY && CNNotifyWide(Message))
        return;
    TUcControlOf<TCustomListView>::Dispatch(Message);
}

bool TUcCustomListView::CNNotifyWide(TMessage& Message)
{
    auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
    if (!hdr || (FControlState & csDestroyingHandle))
        return false;
    auto* info = reinterpret_cast<NMLVDISPINFOW*>(hdr);
    // The wide item differs from the ANSI one only in the type of the text pointer: the
    // library's routines get a copy, its text pointer as it is.
    static_assert(sizeof(LVITEMA) == sizeof(LVITEMW));
    LVITEMA item;
    std::memcpy(&item, &info->item, sizeof(item));
    switch (hdr->code) {
    case LVN_GETDISPINFOW: {
        const TItemRequest request = irText | irImage | irParam | irState | irIndent;
        if (TListItem* it = ItemFromWindow(item.iItem, OwnerData() ? 0 : item.lParam, request)) {
            if (item.mask & LVIF_TEXT)
                CopyItemText(info->item.pszText, info->item.cchTextMax, ListItemWideText(it, item.iSubItem));
            AnswerDisplayInfo(it, item);
            wchar_t* text = info->item.pszText;
            std::memcpy(&info->item, &item, sizeof(item));
            info->item.pszText = text;
        }
        return true;
    }
    case LVN_BEGINLABELEDITW:
        if (!CanEdit(ItemFromWindow(item.iItem, OwnerData() ? 0 : item.lParam, irText))) {
            Message.Result = 1;
        } else {
            HookEditControl(true);
            Message.Result = 0;
        }
        return true;
    case LVN_ENDLABELEDITW:
        EndLabelEdit(item);
        Message.Result = 0;
        return true;
    case LVN_GETINFOTIPW: {
        auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(hdr);
        TListItem* it = ItemFromWindow(tip->iItem, OwnerData() ? 0 : tip->lParam, irText);
        if (it && TCustomListView::OnInfoTip && tip->pszText) {
            // The ANSI handler sees the tip's ANSI form; a tip it leaves keeps its characters.
            const WideString before = tip->pszText;
            const AnsiString ansiBefore = WideToAnsi(before);
            AnsiString ansi = ansiBefore;
            TCustomListView::OnInfoTip(this, it, ansi);
            if (ansi != ansiBefore)
                CopyItemText(tip->pszText, tip->cchTextMax, AnsiToWide(ansi));
        }
        return true;
    }
    case LVN_ODFINDITEMW: {
        auto* find = reinterpret_cast<NMLVFINDITEMW*>(hdr);
        const WideString text = find->lvfi.psz ? WideString(find->lvfi.psz) : WideString();
        const WideString* outer = std::exchange(FFindText, &text);
        TScopeExit back([&] { FFindText = outer; });
        TUcControlOf<TCustomListView>::Dispatch(Message);
        return true;
    }
    default:
        return false;
    }
}

int TUcCustomListView::OwnerDataFind(TItemFind Find, const AnsiString& FindString, const TPoint& FindPosition,
                                     void* FindData, int StartIndex, TSearchDirection Direction, bool Wrap)
{
    if (!OnDataFind)
        return TCustomListView::OwnerDataFind(Find, FindString, FindPosition, FindData, StartIndex, Direction, Wrap);
    int index = -1;
    OnDataFind(this, Find, FFindText ? *FFindText : AnsiToWide(FindString), FindPosition, FindData, StartIndex,
               Direction, Wrap, index);
    return index;
}

void TUcCustomListView::Edit(const LVITEMA& Item)
{
    if (!Item.pszText || Item.iItem < 0 || Item.iItem >= Items()->Count())
        return;
    TListItem* item = TCustomListView::Items()->Item(Item.iItem);
    const WideString text = WideEditedText(Item.pszText, this, item, OnEdited, TCustomListView::OnEdited);
    if (auto* wide = TUcListItem::Typed(item))
        wide->SetCaption(text);
    else
        item->SetCaption(WideToAnsi(text));
}

void TUcCustomListView::EditWndProc(TMessage& Message)
{
    bool handled = false;
    if (!WideLabelChar(this, Message, handled))
        TUcControlOf<TCustomListView>::EditWndProc(Message);
    else if (!handled)
        Message.Result = CallDefEditProc(Message);
}
