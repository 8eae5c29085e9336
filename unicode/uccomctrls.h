// UTF-16 for the library's common controls: a Unicode window for a common control, and the
// tree view whose nodes carry wide texts. On the NT family the tree's window runs in
// Unicode mode: it asks the nodes for their wide texts (TVN_GETDISPINFOW), sorts them by
// their wide texts, edits labels as wide text and sends every notification in its wide
// form. A node keeps its wide text itself, so it outlives any window; in form data the nodes
// go as "Utf8Data" beside the library's "Data".
//
// The wide tree view is a template over the tree view it stands on (TUcTreeViewOf): the
// program's tree view, TUcTreeView, is built on the skinned tree view, a layer above this one
// (skinctl/uctreeview.h). Nodes and collections name the library's tree view as theirs.
#pragma once

#include "classlib/comctrls.h"
#include "unicode/ucclasses.h"
#include "unicode/uccontrols.h"
#include "unicode/ucwidecontrol.h"

#include <cstring>
#include <utility>

class TUcTreeNode;
class TUcTreeNodes;

// The CreateWindowHandle of a Unicode common control: a Unicode window over the system
// class SubClass ("SysTreeView32" ...) that, on the NT family, sends its notifications in
// their wide form (CCM_SETUNICODEFORMAT). An empty SubClass fails the assertion "Internal
// Error: Only call CreateUnicodeHandle_ComCtl for Common Controls.".
void CreateUnicodeHandle_ComCtl(TWinControl* Control, const TCreateParams& Params, const WideString& SubClass);

// The version of the common controls as major * 65536 + minor (DllGetVersion of
// "comctl32.dll"; 4.0 when it does not say). Replaceable, so that tests can take the paths of
// older versions.
extern DWORD (*UcCommonControlsVersion)();
DWORD ComCtl32DllVersion();

// The wide edit event: the new text may be changed by the handler.
using TUcTVEditedEvent = TMethod<void(TObject* Sender, TTreeNode* Node, WideString& S)>;

// ---------------------------------------------------------------------------------------
// Nodes with wide texts

class TUcTreeNode : public TTreeNode {
    Z_CLASS(TUcTreeNode, TTreeNode)
public:
    explicit TUcTreeNode(TTreeNodes* AOwner) : TTreeNode(AOwner) {}

    // The wide text: believed while its ANSI form is the library's Text, else that widened
    // (somebody set the ANSI text behind it). Setting it goes through the wide cache rule;
    // the window asks for the text again.
    WideString Text() const;
    void SetText(const WideString& Value);
    // For the node records: the wide text and its ANSI form at once, before the node has an
    // item.
    void InitText(const WideString& Value);

    // The library's walk, typed; null where a node is not of this class.
    static TUcTreeNode* Typed(TTreeNode* Node) { return dynamic_cast<TUcTreeNode*>(Node); }
    TUcTreeNode* Item(int Index) const { return Typed(TTreeNode::Item(Index)); }
    TUcTreeNode* Parent() const { return Typed(TTreeNode::Parent()); }
    TUcTreeNode* GetFirstChild() const { return Typed(TTreeNode::GetFirstChild()); }
    TUcTreeNode* GetLastChild() const { return Typed(TTreeNode::GetLastChild()); }
    TUcTreeNode* GetNextSibling() const { return Typed(TTreeNode::GetNextSibling()); }
    TUcTreeNode* GetPrevSibling() const { return Typed(TTreeNode::GetPrevSibling()); }
    TUcTreeNode* GetNext() const { return Typed(TTreeNode::GetNext()); }
    TUcTreeNode* GetPrev() const { return Typed(TTreeNode::GetPrev()); }
    TUcTreeNodes* Owner() const;

    // The library's, then, from another Unicode node, its wide text.
    void Assign(TPersistent* Source) override;

private:
    mutable WideString FWideText;
};

// The wide text of any node: a Unicode node's own, another's ANSI text widened.
WideString TreeNodeWideText(const TTreeNode* Node);

class TUcTreeNodes : public TTreeNodes {
    Z_CLASS(TUcTreeNodes, TTreeNodes)
public:
    explicit TUcTreeNodes(TCustomTreeView* AOwner);

    // New nodes with a wide text: after the last sibling of Sibling, as the last child of
    // Parent (a root node when either is null), or placed by Mode. The node has its wide text
    // before it is shown or announced.
    TUcTreeNode* Add(TTreeNode* Sibling, const WideString& S) { return AddObject(Sibling, S, nullptr); }
    TUcTreeNode* AddObject(TTreeNode* Sibling, const WideString& S, void* Ptr);
    TUcTreeNode* AddChild(TTreeNode* Parent, const WideString& S) { return AddChildObject(Parent, S, nullptr); }
    TUcTreeNode* AddChildObject(TTreeNode* Parent, const WideString& S, void* Ptr);
    TUcTreeNode* AddWideNode(TTreeNode* Relative, const WideString& S, void* Ptr, TNodeAttachMode Mode);

    TUcTreeNode* GetFirstNode() const;
    TUcTreeNode* GetNodeFromIndex(int Index) const;
    TUcTreeNode* Item(int Index) const { return GetNodeFromIndex(Index); }
    TUcTreeNode* GetNode(HTREEITEM ItemId) const;

    // Besides the library's "Data", "Utf8Data": the same node records with each text as the
    // UTF-8 byte-order mark and the UTF-8 form of the wide text, cut (at a character) to 255
    // bytes in all. Written when there are nodes (or, under an ancestor, when they differ in
    // wide text or fields). Read with the checks of the library's records; a text without
    // the mark is ANSI.
    void DefineProperties(TFiler* Filer) override;

private:
    void ReadUtf8Data(TStream* Stream);
    void WriteUtf8Data(TStream* Stream);
};

// ---------------------------------------------------------------------------------------
// The tree view

// What the wide tree view does alike whatever its base class.

// The library's comparison of AlphaSort, once the first tree window made on the NT family
// has named it (null before).
extern TTVCompare UcDefaultTreeSort;
// The sort of the NT family: OnCompare decides, else the wide texts in lstrcmpW's order.
int CALLBACK UcTreeViewCompare(LPARAM Node1, LPARAM Node2, LPARAM Data);
// The ANSI code of a wide tree notification that carries no text of its own; 0 for others.
UINT AnsiTreeNotificationCode(UINT Code);
// The node class OnCreateNodeClass of Tree names (TUcTreeNode by default); EUcInternalError
// "Internal Error: OnCreateNodeClass.ItemClass must inherit from TUcTreeNode." for a class
// that is not a TUcTreeNode.
const TTreeNodeClass* UcTreeNodeClass(TCustomTreeView* Tree);
// The text of a label edit's end: wide on the NT family, ANSI otherwise; the wide handler
// Wide may change it, else the library's ANSI handler Ansi, whose text replaces the wide one
// only when it changed it (a text it leaves keeps its characters that have no ANSI form).
template <class TItem>
WideString WideEditedText(const char* Text, TObject* Sender, TItem* Item,
                          const TMethod<void(TObject*, TItem*, WideString&)>& Wide,
                          const TMethod<void(TObject*, TItem*, AnsiString&)>& Ansi)
{
    WideString text = PlatformIsUnicode ? WideString(reinterpret_cast<const wchar_t*>(Text)) : AnsiToWide(Text);
    if (Wide) {
        Wide(Sender, Item, text);
    } else if (Ansi) {
        const AnsiString before = WideToAnsi(text);
        AnsiString ansi = before;
        Ansi(Sender, Item, ansi);
        if (ansi != before)
            text = AnsiToWide(ansi);
    }
    return text;
}
// The same for a node of a tree, which takes the text.
void EndWideLabelEdit(TCustomTreeView* Tree, TTreeNode* Node, const char* Text, const TUcTVEditedEvent& Wide,
                      const TTVEditedEvent& Ansi);
// WM_CHAR of a label's edit window on the NT family (True): a character above 255 passes
// Control's key handling packed, and Handled tells whether it took the key. False for any
// other message, which the edit procedure handles as it does.
bool WideLabelChar(TWinControl* Control, TMessage& Message, bool& Handled);
// TTN_NEEDTEXTW of the tree's tooltip on common controls older than 4.71: a node's text of 80
// characters or more, under the mouse, is cut to the notification's own buffer. False when
// the library's handling is to answer.
bool UcLongItemToolTip(TCustomTreeView* Tree, TMessage& Message);

// The wide tree view over Base, a tree view of the library's family (TCustomTreeView or a
// class built on it): a Unicode "SysTreeView32" window whose nodes are TUcTreeNodes. Written
// against Base as "inherited" and its protected operations only, so that the layers above
// choose what it stands on; the program's tree view stands on the skinned one.
template <class Base> class TUcTreeViewOf : public TUcControlOf<Base> {
    using TTreeBase = TUcControlOf<Base>;

public:
    explicit TUcTreeViewOf(TComponent* AOwner) : TTreeBase(AOwner) {}

    // The nodes (CreateNodes of a descendant must make TUcTreeNodes too).
    TUcTreeNodes* Items() const { return static_cast<TUcTreeNodes*>(TTreeBase::Items()); }
    void SetItems(TTreeNodes* Value) { Items()->Assign(Value); }
    TUcTreeNode* Selected() { return TUcTreeNode::Typed(TTreeBase::Selected()); }
    TUcTreeNode* GetNodeAt(int X, int Y) { return TUcTreeNode::Typed(TTreeBase::GetNodeAt(X, Y)); }

    // A label edit ended with a text: this handler may change it; when it is not set, the
    // library's ANSI OnEdited is asked instead, and its text replaces the wide one only when
    // the handler changed it.
    TUcTVEditedEvent OnEdited;

protected:
    // On the NT family: sorts with the library's own comparison go by the wide texts (or
    // OnCompare) instead; the first window made finds out which comparison that is.
    void WndProc(TMessage& Message) override;
    // A Unicode "SysTreeView32" window.
    void CreateWindowHandle(const TCreateParams& Params) override
    {
        CreateUnicodeHandle_ComCtl(this, Params, WC_TREEVIEWW);
        CaptureDefaultSort();
    }
    void Dispatch(TMessage& Message) override
    {
        if (PlatformIsUnicode) {
            if (Message.Msg == CN_NOTIFY && CNNotifyWide(Message))
                return;
            if (Message.Msg == WM_NOTIFY && UcLongItemToolTip(this, Message))
                return;
        }
        TTreeBase::Dispatch(Message);
    }
    // A node of the class OnCreateNodeClass names (see UcTreeNodeClass).
    TTreeNode* CreateNode() override { return UcTreeNodeClass(this)->Create(TTreeBase::Items()); }
    TTreeNodes* CreateNodes() override { return new TUcTreeNodes(this); }
    // The edited text read as wide on the NT family (the item of TVN_ENDLABELEDITW), as ANSI
    // otherwise; see OnEdited.
    void Edit(const TVITEMA& Item) override;
    // A character above 255 typed into the label passes the library's key handling packed.
    void EditWndProc(TMessage& Message) override;

private:
    // The wide notifications of the tree; False for those the library handles as they are.
    bool CNNotifyWide(TMessage& Message);
    void CaptureDefaultSort();
    bool FCapturingSortCallback = false;
};

template <class Base> void TUcTreeViewOf<Base>::CaptureDefaultSort()
{
    // The library's alphabetic sort names its comparison in the sort message it sends: the
    // message is caught in WndProc and dropped.
    if (!PlatformIsUnicode || UcDefaultTreeSort || FCapturingSortCallback)
        return;
    TFlagScope capturing(FCapturingSortCallback);
    this->AlphaSort(false);
}

template <class Base> void TUcTreeViewOf<Base>::WndProc(TMessage& Message)
{
    if (Message.Msg == TVM_SORTCHILDRENCB && Message.LParam) {
        const auto* sort = reinterpret_cast<const TVSORTCB*>(Message.LParam);
        if (FCapturingSortCallback) {
            UcDefaultTreeSort = sort->lpfnCompare;
            Message.Result = 0;
            return;
        }
        if (PlatformIsUnicode) {
            // A sort before any window was made: the comparison is found first.
            CaptureDefaultSort();
            if (sort->lpfnCompare == UcDefaultTreeSort) {
                TVSORTCB wide = *sort;
                wide.lpfnCompare = &UcTreeViewCompare;
                if (this->HandleAllocated()) {
                    Message.Result = SendMessageW(this->WindowHandle(), TVM_SORTCHILDRENCB, Message.WParam,
                                                  reinterpret_cast<LPARAM>(&wide));
                } else {
                    TMessage m{Message.Msg, Message.WParam, reinterpret_cast<LPARAM>(&wide), 0};
                    TTreeBase::WndProc(m);
                    Message.Result = m.Result;
                }
                return;
            }
        }
    }
    TTreeBase::WndProc(Message);
}

template <class Base> bool TUcTreeViewOf<Base>::CNNotifyWide(TMessage& Message)
{
    auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
    if (!hdr || (this->FControlState & csDestroyingHandle))
        return false;
    // The wide item differs from the ANSI one only in the type of the text pointer: the
    // library's routines get a copy, its text pointer as it is.
    auto* info = reinterpret_cast<NMTVDISPINFOW*>(hdr);
    static_assert(sizeof(TVITEMA) == sizeof(TVITEMW));
    TVITEMA item;
    std::memcpy(&item, &info->item, sizeof(item));
    switch (hdr->code) {
    case TVN_GETDISPINFOW:
        if (TTreeNode* node = this->NodeFromItem(item)) {
            if (info->item.mask & TVIF_TEXT)
                CopyItemText(info->item.pszText, info->item.cchTextMax, TreeNodeWideText(node));
            this->AnswerImages(node, item);
            info->item.iImage = item.iImage;
            info->item.iSelectedImage = item.iSelectedImage;
        }
        return true;
    case TVN_SETDISPINFOW:
        if (auto* node = TUcTreeNode::Typed(this->NodeFromItem(item));
            node && (info->item.mask & TVIF_TEXT) && info->item.pszText)
            node->SetText(info->item.pszText);
        return true;
    case TVN_BEGINLABELEDITW:
        if (!this->CanEdit(this->NodeFromItem(item))) {
            Message.Result = 1;
        } else {
            this->HookEditControl(true);
            Message.Result = 0;
        }
        return true;
    case TVN_ENDLABELEDITW:
        this->EndLabelEdit(item);
        Message.Result = 0;
        return true;
    default:
        // The library's handling reads no text of these: it gets them under their ANSI code.
        if (const UINT ansi = AnsiTreeNotificationCode(hdr->code)) {
            const UINT wide = std::exchange(hdr->code, ansi);
            TScopeExit back([&] { hdr->code = wide; });
            TTreeBase::Dispatch(Message);
            return true;
        }
        return false;
    }
}

template <class Base> void TUcTreeViewOf<Base>::Edit(const TVITEMA& Item)
{
    TTreeNode* node = this->NodeFromItem(Item);
    if (!Item.pszText) {
        if (this->OnCancelEdit)
            this->OnCancelEdit(this, node);
        return;
    }
    EndWideLabelEdit(this, node, Item.pszText, OnEdited, TTreeBase::OnEdited);
}

template <class Base> void TUcTreeViewOf<Base>::EditWndProc(TMessage& Message)
{
    bool handled = false;
    if (!WideLabelChar(this, Message, handled))
        TTreeBase::EditWndProc(Message);
    else if (!handled)
        Message.Result = this->CallDefEditProc(Message);
}

// ---------------------------------------------------------------------------------------
// The list view with wide texts. On the NT family its window runs in Unicode mode: it asks
// the items for their wide captions and sub-items (LVN_GETDISPINFOW), sorts them by their
// wide captions, edits labels as wide text and takes the columns' wide captions. Items and
// columns keep their wide texts themselves, so they outlive any window.

class TUcListItem;
class TUcCustomListView;

// The wide edit event: the new caption may be changed by the handler.
using TUcLVEditedEvent = TMethod<void(TObject* Sender, TListItem* Item, WideString& S)>;
// The wide owner-data search: the item whose caption is (or begins with) FindString.
using TUcLVOwnerDataFindEvent =
    TMethod<void(TObject* Sender, TItemFind Find, const WideString& FindString, const TPoint& FindPosition,
                 void* FindData, int StartIndex, TSearchDirection Direction, bool Wrap, int& Index)>;

class TUcListColumn : public TListColumn {
    Z_CLASS(TUcListColumn, TListColumn)
public:
    explicit TUcListColumn(TCollection* Collection) : TListColumn(Collection) {}
    // The wide caption under the wide cache rule against the library's Caption.
    WideString Caption() const;
    void SetCaption(const WideString& Value);
    void Assign(TPersistent* Source) override;

private:
    mutable WideString FWideCaption;
};

class TUcListColumns : public TListColumns {
    Z_CLASS(TUcListColumns, TListColumns)
public:
    explicit TUcListColumns(TCustomListView* AOwner) : TListColumns(AOwner, TUcListColumn::StaticClassInfo()) {}
    TUcListColumn* Add() { return static_cast<TUcListColumn*>(TCollection::Add()); }
    // Null for a column not of this class.
    TUcListColumn* Items(int Index) const { return dynamic_cast<TUcListColumn*>(TCollection::Items(Index)); }
};

// The wide sub-items of a Unicode item. Every change is given to the library's ANSI
// sub-items of the item as well (same places, ANSI forms), which shows it in the window. A
// sub-item read is believed while its ANSI form is still the library's sub-item at that
// place; else the library's (set behind it) widened.
class TWideSubItems : public TUcStringList {
    Z_CLASS(TWideSubItems, TUcStringList)
public:
    explicit TWideSubItems(TUcListItem* AOwner) : FOwner(AOwner) {}
    WideString Get(int Index) const override;

protected:
    void Changed() override;

private:
    TUcListItem* FOwner;
};

class TUcListItem : public TListItem {
    Z_CLASS(TUcListItem, TListItem)
public:
    explicit TUcListItem(TListItems* AOwner);
    ~TUcListItem() override;

    // The wide caption under the wide cache rule against the library's Caption; setting it
    // makes the window ask again.
    WideString Caption() const;
    void SetCaption(const WideString& Value);
    TWideSubItems* SubItems() const { return FSubItems.get(); }
    void SetSubItems(TUcStrings* Value) { FSubItems->Assign(Value); }
    // The text of a column: the caption (0), a sub-item, else "".
    WideString ColumnText(int SubItem) const;
    // The library's, then, from another Unicode item, its wide caption and sub-items.
    void Assign(TPersistent* Source) override;
    static TUcListItem* Typed(TListItem* Item) { return dynamic_cast<TUcListItem*>(Item); }

private:
    mutable WideString FWideCaption;
    std::unique_ptr<TWideSubItems> FSubItems;
};

// The wide text of a column of any item: a Unicode item's own, another's ANSI text widened.
WideString ListItemWideText(const TListItem* Item, int SubItem);

class TUcListItems : public TListItems {
    Z_CLASS(TUcListItems, TListItems)
public:
    explicit TUcListItems(TCustomListView* AOwner) : TListItems(AOwner) {}
    TUcListItem* Add() { return TUcListItem::Typed(TListItems::Add()); }
    TUcListItem* Insert(int Index) { return TUcListItem::Typed(TListItems::Insert(Index)); }
    TUcListItem* Item(int Index) const { return TUcListItem::Typed(TListItems::Item(Index)); }
    TUcListItem* operator[](int Index) const { return Item(Index); }
};

// The library's comparison of AlphaSort, once the first list window made on the NT family
// has named it (null before).
extern TLVCompare UcDefaultListSort;
// The sort of the NT family: OnCompare decides, else the wide captions in lstrcmpW's order.
int CALLBACK UcListViewCompare(LPARAM Item1, LPARAM Item2, LPARAM Data);

class TUcCustomListView : public TUcControlOf<TCustomListView> {
    Z_CLASS(TUcCustomListView, TCustomListView)
public:
    explicit TUcCustomListView(TComponent* AOwner) : TUcControlOf<TCustomListView>(AOwner) {}

    TUcListColumns* Columns() const { return static_cast<TUcListColumns*>(TCustomListView::Columns()); }
    TUcListColumn* Column(int Index) const { return Columns()->Items(Index); }
    TUcListItems* Items() const { return static_cast<TUcListItems*>(TCustomListView::Items()); }
    void SetItems(TListItems* Value) { Items()->Assign(Value); }
    TUcListItem* Selected() { return TUcListItem::Typed(TCustomListView::Selected()); }
    TUcListItem* GetItemAt(int X, int Y) { return TUcListItem::Typed(TCustomListView::GetItemAt(X, Y)); }
    // A new item with a wide caption and an object.
    void AddItem(const WideString& Item, TObject* AObject);
    void AddItem(const AnsiString& Item, TObject* AObject) override;
    // Every selected item's wide caption and object to Destination.
    void CopySelection(TCustomListControl* Destination) override;

    // A label edit ended with a text: this handler may change it; when it is not set, the
    // library's ANSI OnEdited is asked instead, and its text replaces the wide one only when
    // the handler changed it.
    TUcLVEditedEvent OnEdited;
    // The owner-data search with the wide text searched for; when it is not set, the
    // library's ANSI OnDataFind is asked with its ANSI form.
    TUcLVOwnerDataFindEvent OnDataFind;

protected:
    // A Unicode "SysListView32" window.
    void CreateWindowHandle(const TCreateParams& Params) override;
    // On the NT family: sorts with the library's own comparison go by the wide captions (or
    // OnCompare) instead, the columns' captions go as wide text, a label edit starts in a
    // Unicode edit window, and a list that shows hints shows info tips of sub-items too (the
    // extended styles 0x402).
    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    // A new item of the class OnCreateItemClass names: TUcListItem by default;
    // EUcInternalError "Internal Error: OnCreateItemClass.ItemClass must inherit from
    // TUcListItem." for a class that is not one.
    TListItem* CreateListItem() override;
    TListItems* CreateListItems() override { return new TUcListItems(this); }
    TListColumns* CreateListColumns() override { return new TUcListColumns(this); }
    // The edited text read as wide on the NT family, as ANSI otherwise; see OnEdited.
    void Edit(const LVITEMA& Item) override;
    // A character above 255 typed into the label passes the library's key handling packed.
    void EditWndProc(TMessage& Message) override;
    int OwnerDataFind(TItemFind Find, const AnsiString& FindString, const TPoint& FindPosition, void* FindData,
                      int StartIndex, TSearchDirection Direction, bool Wrap) override;

private:
    // The wide notifications of the list; False for those the library handles as they are.
    bool CNNotifyWide(TMessage& Message);
    void CaptureDefaultSort();
    // A column message of the library sent with the column's wide caption; False when it
    // goes on as it is.
    bool SendWideColumn(TMessage& Message);
    bool FCapturingSortCallback = false;
    // The text an owner-data search of the window looks for, while it runs.
    const WideString* FFindText = nullptr;
};

class TUcListView : public TUcCustomListView {
    Z_CLASS(TUcListView, TUcCustomListView)
public:
    explicit TUcListView(TComponent* AOwner) : TUcCustomListView(AOwner) {}
};

// ---------------------------------------------------------------------------------------
// The status bar with wide texts. On the NT family its window runs in Unicode mode: the
// library's texts for its parts go to it as the panels' wide texts (and the wide simple
// text), with the same TABs of alignment before them.

class TUcStatusPanel : public TStatusPanel {
    Z_CLASS(TUcStatusPanel, TStatusPanel)
public:
    explicit TUcStatusPanel(TCollection* Collection) : TStatusPanel(Collection) {}
    // The wide text under the wide cache rule against the library's Text.
    WideString Text() const;
    void SetText(const WideString& Value);
    void Assign(TPersistent* Source) override;

private:
    mutable WideString FWideText;
};

class TUcStatusPanels : public TStatusPanels {
    Z_CLASS(TUcStatusPanels, TStatusPanels)
public:
    explicit TUcStatusPanels(TCustomStatusBar* AOwner) : TStatusPanels(AOwner, TUcStatusPanel::StaticClassInfo()) {}
    TUcStatusPanel* Add() { return static_cast<TUcStatusPanel*>(TCollection::Add()); }
    // Null for a panel not of this class.
    TUcStatusPanel* Items(int Index) const { return dynamic_cast<TUcStatusPanel*>(TCollection::Items(Index)); }
};

// The wide text the window's part Part shows for the library's ANSI text Ansi (its TABs of
// alignment before it): the wide text of that panel, or of the simple panel (255 and above),
// when its ANSI form is the text the library gave; else the library's text widened. Ansi
// with no panel of that number stays as it is, widened.
WideString StatusPartWideText(TCustomStatusBar* Bar, int Part, const AnsiString& Ansi);

class TUcCustomStatusBar : public TUcControlOf<TCustomStatusBar> {
    Z_CLASS(TUcCustomStatusBar, TCustomStatusBar)
public:
    explicit TUcCustomStatusBar(TComponent* AOwner) : TUcControlOf<TCustomStatusBar>(AOwner) {}

    TUcStatusPanels* Panels() const { return static_cast<TUcStatusPanels*>(TCustomStatusBar::Panels()); }
    void SetPanels(TStatusPanels* Value) { Panels()->Assign(Value); }
    // The wide simple text under the wide cache rule against the library's SimpleText.
    WideString SimpleText() const;
    void SetSimpleText(const WideString& Value);
    // A wide hint action with AutoHint shows its wide hint; other actions as the library's.
    bool ExecuteAction(TBasicAction* Action) override;

protected:
    // A Unicode "msctls_statusbar32" window.
    void CreateWindowHandle(const TCreateParams& Params) override;
    // On the NT family the library's part texts are sent as the wide ones (see
    // StatusPartWideText).
    void WndProc(TMessage& Message) override;
    TStatusPanels* CreatePanels() override { return new TUcStatusPanels(this); }
    const TClassInfo& GetPanelClass() override { return TUcStatusPanel::StaticClassInfo(); }

private:
    mutable WideString FWideSimpleText;
};

class TUcStatusBar : public TUcCustomStatusBar {
    Z_CLASS(TUcStatusBar, TUcCustomStatusBar)
public:
    explicit TUcStatusBar(TComponent* AOwner) : TUcCustomStatusBar(AOwner) {}
};

// Start-up: the Unicode list view and status bar become known to form data.
void InitUcComCtrls();
