// Common controls: the tree view over the system's "SysTreeView32".
//
// The nodes live in node objects (TTreeNode), linked parent to children in the order the
// tree shows them: their texts, data and image indexes stay with them while there is no
// window and while the window is made again. The window holds one item a node, inserted
// with a callback text (the control asks the node for its text when it needs it) and the
// node object as the item's data; every item is made again from the node objects when a new
// window comes.
#pragma once

#include "classlib/controls.h"
#include "classlib/imglist.h"
#include "classlib/stdctrls.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

class TTreeNode;
class TTreeNodes;
class TCustomTreeView;
class TCustomListView;

ZANDREL_EXCEPTION(ETreeViewError, Exception);

// The system's common-control window classes of Classes (ICC_ flags) registered, each set
// once a program.
void InitCommonControlClasses(DWORD Classes);

// Where a new node goes, relative to the node it is added by.
enum TNodeAttachMode : uint8_t { naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert };

// A class reference for nodes: class information and a constructor.
struct TTreeNodeClass {
    const TClassInfo& (*ClassInfo)();
    TTreeNode* (*Create)(TTreeNodes* Owner);
};

template <class T> const TTreeNodeClass& TreeNodeClassOf()
{
    static const TTreeNodeClass cls{&T::StaticClassInfo, [](TTreeNodes* Owner) -> TTreeNode* { return new T(Owner); }};
    return cls;
}

// The system's comparison of two items: the items' data (node objects here) and the data of
// the sort. Below 0 puts the first before the second.
using TTVCompare = PFNTVCOMPARE;

using TTVChangingEvent = TMethod<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVChangedEvent = TMethod<void(TObject* Sender, TTreeNode* Node)>;
using TTVEditingEvent = TMethod<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = TMethod<void(TObject* Sender, TTreeNode* Node, AnsiString& S)>;
using TTVExpandingEvent = TMethod<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent = TMethod<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = TMethod<void(TObject* Sender, TTreeNode* Node)>;
using TTVCompareEvent = TMethod<void(TObject* Sender, TTreeNode* Node1, TTreeNode* Node2, LPARAM Data, int& Compare)>;
using TTVCreateNodeClassEvent = TMethod<void(TCustomTreeView* Sender, const TTreeNodeClass*& NodeClass)>;

// Copies Text into the buffer of a display-info question: at most Size - 1 units and a
// terminator (a pair of UTF-16 surrogates is not cut in two); nothing without a buffer or
// room. The number of units copied.
template <class C, class S> int CopyItemText(C* Buffer, int Size, const S& Text)
{
    if (!Buffer || Size <= 0)
        return 0;
    size_t n = std::min(Text.size(), static_cast<size_t>(Size - 1));
    if constexpr (sizeof(C) == 2)
        if (n > 0 && n < Text.size() && Text[n - 1] >= 0xD800 && Text[n - 1] < 0xDC00)
            --n;
    std::copy(Text.data(), Text.data() + n, Buffer);
    Buffer[n] = 0;
    return static_cast<int>(n);
}

// The edit window of a label being edited in a tree or a list view, subclassed by its control
// for as long as it lives: its messages go to the control's method, which passes what it
// leaves to the window's previous procedure (CallDefault).
class TLabelEditLink {
public:
    explicit TLabelEditLink(TWndMethod Method) : FInstance(MakeObjectInstance(Method)) {}
    ~TLabelEditLink() { FreeObjectInstance(FInstance); }
    TLabelEditLink(const TLabelEditLink&) = delete;
    TLabelEditLink& operator=(const TLabelEditLink&) = delete;
    // Subclasses Edit, with the wide calls when Wide; nothing for none.
    void Hook(HWND Edit, bool Wide);
    LRESULT CallDefault(const TMessage& Message) const;
    // The message to the previous procedure; after the window's last message the link
    // forgets it.
    void Pass(TMessage& Message);
    // The control's window went, and the edit window with it.
    void Forget();

private:
    WNDPROC FInstance;
    HWND FHooked = nullptr;
    WNDPROC FDefProc = nullptr;
    bool FWide = false;
};

// The work of a sort comparison of two nodes (the items' data, as the window passes them):
// OnCompare of the nodes' tree view decides when it is set, else ByText. An exception must
// not cross the window's sort: it counts as equal, the rest of the sort asks no more and
// counts every pair as equal, and the exception goes to the application once the sort is
// over (at once, outside the tree view's own sorts).
int CompareTreeNodes(LPARAM Node1, LPARAM Node2, LPARAM Data, int (*ByText)(const TTreeNode*, const TTreeNode*));

// ---------------------------------------------------------------------------------------
// TTreeNode: one node. Made and freed by its collection (TTreeNodes) only.

class TTreeNode : public TPersistent {
    Z_CLASS(TTreeNode, TPersistent)
public:
    explicit TTreeNode(TTreeNodes* AOwner);
    ~TTreeNode() override;
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;

    TTreeNodes* Owner() const { return FOwner; }
    TCustomTreeView* TreeView() const;
    // The item of the node in the window; null while there is no window.
    HTREEITEM ItemId() const { return FItemId; }
    TPersistent* GetOwner() override;

    // A new text: the window asks for it again.
    AnsiString Text() const { return FText; }
    void SetText(const AnsiString& Value);
    void* Data() const { return FData; }
    void SetData(void* Value) { FData = Value; }
    // Indexes into the tree view's Images (ImageIndex, SelectedIndex, OverlayIndex) and
    // StateImages (StateIndex); -1 is none (a state image index of 0 is none as well).
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    int SelectedIndex() const { return FSelectedIndex; }
    void SetSelectedIndex(int Value);
    int StateIndex() const { return FStateIndex; }
    void SetStateIndex(int Value);
    int OverlayIndex() const { return FOverlayIndex; }
    void SetOverlayIndex(int Value);

    // The walk: a node, then its children in order, then the next sibling.
    TTreeNode* Parent() const { return FParent; }
    int Count() const { return FCount; }
    // ETreeViewError "List index out of bounds (%d)" for an index outside the children.
    TTreeNode* Item(int Index) const;
    TTreeNode* GetFirstChild() const { return FFirstChild; }
    TTreeNode* GetLastChild() const { return FLastChild; }
    TTreeNode* GetNextSibling() const { return FNextSibling; }
    TTreeNode* GetPrevSibling() const { return FPrevSibling; }
    TTreeNode* GetNextChild(TTreeNode* Value) const { return Value ? Value->FNextSibling : nullptr; }
    TTreeNode* GetPrevChild(TTreeNode* Value) const { return Value ? Value->FPrevSibling : nullptr; }
    TTreeNode* GetNext() const;
    TTreeNode* GetPrev() const;
    // Root nodes are level 0.
    int Level() const;
    // The place among the siblings, and in the whole walk.
    int Index() const;
    int AbsoluteIndex() const;
    bool HasAsParent(const TTreeNode* Value) const;

    // Children, or the button that says there are some (for children added when opened).
    bool HasChildren() const { return FHasChildren || FFirstChild; }
    void SetHasChildren(bool Value);
    // Shown with its children; kept by the node while there is no window.
    bool Expanded() const;
    void SetExpanded(bool Value);
    void Expand(bool Recurse);
    void Collapse(bool Recurse);
    // Every parent is expanded.
    bool IsVisible() const;
    void MakeVisible();
    bool Selected() const;
    void SetSelected(bool Value);
    // The node is being freed: it takes nothing new.
    bool Deleting() const { return FDeleting; }

    // Label editing in the window: starts it (False when refused), ends it.
    bool EditText();
    void EndEdit(bool Cancel);

    // The collection frees the node and its children.
    void Delete();
    void DeleteChildren();
    bool AlphaSort(bool Recurse = false);
    bool CustomSort(TTVCompare SortProc, LPARAM Data, bool Recurse = false);

    // Another node's text, data, image indexes and HasChildren; not its children.
    void Assign(TPersistent* Source) override;

private:
    friend class TTreeNodes;
    friend class TCustomTreeView;
    // The tree's window while the node has an item in it, else null.
    HWND TreeHandle() const;
    // The node's item takes Item's fields (nothing while it has none).
    void SendItem(TVITEMA& Item) const;
    // The window asks again for what Mask names (text, images).
    void AskAgain(UINT Mask) const;
    void UpdateItemState(UINT Mask, UINT State);

    TTreeNodes* FOwner;
    TTreeNode* FParent = nullptr;
    TTreeNode* FFirstChild = nullptr;
    TTreeNode* FLastChild = nullptr;
    TTreeNode* FPrevSibling = nullptr;
    TTreeNode* FNextSibling = nullptr;
    int FCount = 0;
    HTREEITEM FItemId = nullptr;
    AnsiString FText;
    void* FData = nullptr;
    int FImageIndex = 0;
    int FSelectedIndex = 0;
    int FStateIndex = -1;
    int FOverlayIndex = -1;
    bool FHasChildren = false;
    bool FExpanded = false;
    bool FDeleting = false;
};

// ---------------------------------------------------------------------------------------
// TTreeNodes: the nodes of one tree view.

class TTreeNodes : public TPersistent {
    Z_CLASS(TTreeNodes, TPersistent)
public:
    explicit TTreeNodes(TCustomTreeView* AOwner);
    ~TTreeNodes() override;
    TTreeNodes(const TTreeNodes&) = delete;
    TTreeNodes& operator=(const TTreeNodes&) = delete;

    TCustomTreeView* Owner() const { return FOwner; }
    TPersistent* GetOwner() override;
    // Every node, children included.
    int Count() const { return FCount; }
    // The node at Index in the walk. A walk from the node asked for last, so stepping
    // through the indexes one by one is a walk and not a search each time. ETreeViewError
    // "Invalid index" outside the nodes.
    TTreeNode* GetNodeFromIndex(int Index) const;
    TTreeNode* Item(int Index) const { return GetNodeFromIndex(Index); }
    TTreeNode* GetFirstNode() const { return FFirst; }
    // The node of an item of the window; null for none.
    TTreeNode* GetNode(HTREEITEM ItemId) const;

    // A new node: after the last sibling of Sibling (a root node when Sibling is null), as
    // its first sibling, before it (Insert), or as the last or first child of Parent.
    TTreeNode* Add(TTreeNode* Sibling, const AnsiString& S) { return AddObject(Sibling, S, nullptr); }
    TTreeNode* AddObject(TTreeNode* Sibling, const AnsiString& S, void* Ptr);
    TTreeNode* AddFirst(TTreeNode* Sibling, const AnsiString& S) { return AddObjectFirst(Sibling, S, nullptr); }
    TTreeNode* AddObjectFirst(TTreeNode* Sibling, const AnsiString& S, void* Ptr);
    TTreeNode* AddChild(TTreeNode* Parent, const AnsiString& S) { return AddChildObject(Parent, S, nullptr); }
    TTreeNode* AddChildObject(TTreeNode* Parent, const AnsiString& S, void* Ptr);
    TTreeNode* AddChildFirst(TTreeNode* Parent, const AnsiString& S) { return AddChildObjectFirst(Parent, S, nullptr); }
    TTreeNode* AddChildObjectFirst(TTreeNode* Parent, const AnsiString& S, void* Ptr);
    TTreeNode* Insert(TTreeNode* Sibling, const AnsiString& S) { return InsertObject(Sibling, S, nullptr); }
    TTreeNode* InsertObject(TTreeNode* Sibling, const AnsiString& S, void* Ptr);
    // A node made by the tree view (CreateNode), placed by Mode relative to Relative.
    // Prepare, when given, gets the new node (and Context) before it is placed and shown.
    using TNodePrepare = void (*)(TTreeNode* Node, const void* Context);
    TTreeNode* AddNode(TTreeNode* Relative, const AnsiString& S, void* Ptr, TNodeAttachMode Mode,
                       TNodePrepare Prepare = nullptr, const void* Context = nullptr);

    // Frees the node and its children (the tree view's OnDeletion for each).
    void Delete(TTreeNode* Node);
    void Clear();
    // The window does not repaint until the last EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    // Set while form data is read into the nodes.
    bool Reading() const { return FReading; }
    HWND Handle() const;

    // Another collection's nodes, copied node by node (texts whole, whatever their length).
    void Assign(TPersistent* Source) override;
    // "Data": the nodes as node records (see WriteNodeRecords), written when there are nodes
    // (or, under an ancestor, when they differ from the ancestor's).
    void DefineProperties(TFiler* Filer) override;

protected:
    // The node records of form data: the number of root nodes (32-bit), then per node, a
    // node before its children: the record size (32-bit), then ImageIndex, SelectedIndex,
    // StateIndex, OverlayIndex, the data word, the number of children (32-bit each) and the
    // text as a length byte and that many bytes (at most 255). The record size is 25 plus
    // the text's length. TextOf gives the bytes of a node's text (cut to 255 here).
    using TNodeTextOf = AnsiString (*)(const TTreeNode* Node);
    using TNodeTextTo = void (*)(TTreeNode* Node, const AnsiString& Bytes);
    void WriteNodeRecords(TStream* Stream, TNodeTextOf TextOf) const;
    // Reads what WriteNodeRecords wrote in place of the nodes. Every count, size and length
    // is checked against the bytes left before anything is made: damaged records raise
    // EReadError "Invalid tree node data" and leave the nodes as they were.
    void ReadNodeRecords(TStream* Stream, TNodeTextTo TextTo);
    // The nodes and their records' fields are the same as the ancestor's (TextOf for texts).
    bool SameNodeRecords(const TTreeNodes* Ancestor, TNodeTextOf TextOf) const;

private:
    friend class TTreeNode;
    friend class TCustomTreeView;
    void ReadData(TStream* Stream);
    void WriteData(TStream* Stream);
    // Links Node into the lists at the place Mode names by Relative.
    void Link(TTreeNode* Node, TTreeNode* Relative, TNodeAttachMode Mode);
    void Unlink(TTreeNode* Node);
    // Frees First, its next siblings and all their children (none linked to a parent).
    void FreeChain(TTreeNode* First);
    void FreeNode(TTreeNode* Node);
    // The children of Parent (the root nodes for null) in a new order.
    void SetChildOrder(TTreeNode* Parent, const std::vector<TTreeNode*>& Order);
    void ClearCache() const { FCacheNode = nullptr; }

    TCustomTreeView* FOwner;
    TTreeNode* FFirst = nullptr;   // the root nodes
    TTreeNode* FLast = nullptr;
    int FRootCount = 0;
    int FCount = 0;
    int FUpdateCount = 0;
    bool FReading = false;
    mutable TTreeNode* FCacheNode = nullptr;
    mutable int FCacheIndex = 0;
};

// ---------------------------------------------------------------------------------------
// TCustomTreeView

class TCustomTreeView : public TWinControl {
    Z_CLASS(TCustomTreeView, TWinControl)
public:
    explicit TCustomTreeView(TComponent* AOwner);
    ~TCustomTreeView() override;

    // The nodes, made by CreateNodes on first use.
    TTreeNodes* Items() const;
    void SetItems(TTreeNodes* Value) { Items()->Assign(Value); }
    // The selected node; null clears the selection. Kept by the control while there is no
    // window.
    TTreeNode* Selected();
    void SetSelected(TTreeNode* Value);
    // The node at a client point; null when none is there.
    TTreeNode* GetNodeAt(int X, int Y);
    // The first node shown at the top.
    TTreeNode* TopItem();

    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TCustomImageList* StateImages() const { return FStateImages; }
    void SetStateImages(TCustomImageList* Value);

    // The look: buttons, lines, lines at the root, the selection shown without the focus,
    // hot tracking, tooltips of cut texts, whole-row selection, one branch open at a time,
    // the border and the indentation of a level in pixels.
    bool ShowButtons() const { return FShowButtons; }
    void SetShowButtons(bool Value) { SetTreeStyle(FShowButtons, Value); }
    bool ShowLines() const { return FShowLines; }
    void SetShowLines(bool Value) { SetTreeStyle(FShowLines, Value); }
    bool ShowRoot() const { return FShowRoot; }
    void SetShowRoot(bool Value) { SetTreeStyle(FShowRoot, Value); }
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value) { SetTreeStyle(FHideSelection, Value); }
    bool HotTrack() const { return FHotTrack; }
    void SetHotTrack(bool Value) { SetTreeStyle(FHotTrack, Value); }
    bool ToolTips() const { return FToolTips; }
    void SetToolTips(bool Value);
    bool RowSelect() const { return FRowSelect; }
    void SetRowSelect(bool Value) { SetTreeStyle(FRowSelect, Value); }
    bool AutoExpand() const { return FAutoExpand; }
    void SetAutoExpand(bool Value) { SetTreeStyle(FAutoExpand, Value); }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    int Indent() const { return FIndent; }
    void SetIndent(int Value);
    // No label editing.
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { SetTreeStyle(FReadOnly, Value); }

    // Sorts the root nodes (and, with Recurse, every node's children) through the window's
    // sort with a comparison (SortProc, or OnCompare, else the texts' order); without a
    // window the nodes are sorted in place with the same comparison.
    bool AlphaSort(bool Recurse = true) { return CustomSort(nullptr, 0, Recurse); }
    bool CustomSort(TTVCompare SortProc, LPARAM Data, bool Recurse = true);
    void FullExpand();
    void FullCollapse();
    // A label is being edited; its edit window.
    bool IsEditing();
    HWND EditHandle() const { return FEditHandle; }

    void Notification(TComponent* AComponent, TOperation Operation) override;

    TTVChangingEvent OnChanging;
    TTVChangedEvent OnChange;
    TTVEditingEvent OnEditing;
    TTVEditedEvent OnEdited;
    TTVChangedEvent OnCancelEdit;
    TTVExpandingEvent OnExpanding;
    TTVExpandedEvent OnExpanded;
    TTVCollapsingEvent OnCollapsing;
    TTVExpandedEvent OnCollapsed;
    TTVExpandedEvent OnDeletion;
    TTVExpandedEvent OnAddition;
    TTVExpandedEvent OnGetImageIndex;
    TTVExpandedEvent OnGetSelectedIndex;
    TTVCompareEvent OnCompare;
    TTVCreateNodeClassEvent OnCreateNodeClass;

protected:
    void CreateParams(TCreateParams& Params) override;
    // The items are made again from the nodes, with their expanded state and the selection.
    void CreateWnd() override;
    // The nodes keep their expanded state and the selection; their items go.
    void DestroyWnd() override;
    void Dispatch(TMessage& Message) override;

    // A new node of the class OnCreateNodeClass names (TTreeNode by default).
    virtual TTreeNode* CreateNode();
    virtual TTreeNodes* CreateNodes();
    virtual bool CanEdit(TTreeNode* Node);
    virtual bool CanChange(TTreeNode* Node);
    virtual bool CanExpand(TTreeNode* Node);
    virtual bool CanCollapse(TTreeNode* Node);
    virtual void Change(TTreeNode* Node);
    virtual void Expand(TTreeNode* Node);
    virtual void Collapse(TTreeNode* Node);
    virtual void Added(TTreeNode* Node);
    virtual void Delete(TTreeNode* Node);
    virtual void GetImageIndex(TTreeNode* Node);
    virtual void GetSelectedIndex(TTreeNode* Node);
    // A label edit ended: Item's text is the new text, or null when the edit was cancelled.
    // OnEdited may change the text, then the node takes it; a cancel runs OnCancelEdit.
    virtual void Edit(const TVITEMA& Item);
    // Messages of the label's edit window while it is subclassed: keys through the tree
    // view's key handling, then to the edit window's own procedure.
    virtual void EditWndProc(TMessage& Message);

    // The node an item names: its data when the item carries it, else found by its handle.
    TTreeNode* NodeFromItem(const TVITEMA& Item) const;
    // A question for an item's images: GetImageIndex / GetSelectedIndex, then the node's.
    void AnswerImages(TTreeNode* Node, TVITEMA& Item);
    // Subclasses the label's edit window (with the wide calls when Wide); the previous
    // procedure is called by CallDefEditProc.
    void HookEditControl(bool Wide);
    LRESULT CallDefEditProc(const TMessage& Message);
    // The end of a label edit (the edit window is no longer the label's), then Edit.
    void EndLabelEdit(const TVITEMA& Item);
    // The tree's notifications, reflected by the parent.
    void CNNotify(TMessage& Message);

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    friend int CompareTreeNodes(LPARAM Node1, LPARAM Node2, LPARAM Data,
                                int (*ByText)(const TTreeNode*, const TTreeNode*));
    void EditWndProcEntry(TMessage& Message) { EditWndProc(Message); }
    void ApplyImageLists();
    void ApplyColors();
    // A look option shown by a window style: the window takes it at once.
    void SetTreeStyle(bool& Field, bool Value);
    DWORD TreeStyles() const;
    void ImageListChange(TObject* Sender);
    // The item of a node; EOutOfResources "Unable to insert an item" when the window refuses.
    void InsertItem(TTreeNode* Node, HTREEITEM InsertAfter);
    // The selection and top node kept for the next window forget Node's subtree (all for null).
    void Forget(TTreeNode* Node);
    // The children of Root (the root nodes for null), and with Recurse those of every node
    // below it, sorted by SortProc (DefaultTreeViewSort when null); an exception of the
    // comparison ends the sort and then reaches the application.
    bool SortSubtree(TTreeNode* Root, TTVCompare SortProc, LPARAM Data, bool Recurse);
    // The children of Parent (the root nodes for null) sorted by Proc: through the window's
    // sort when there is a window, else in place. The sort message passes the control's own
    // message handling either way, so that a descendant sees every sort.
    bool SortChildren(TTreeNode* Parent, TTVCompare Proc, LPARAM Data);
    // The window sorted the children of Parent: the node lists follow its order.
    void FollowWindowOrder(TTreeNode* Parent);
    void TVMSortChildren(TMessage& Message);
    void TVMDeleteItem(TMessage& Message);
    bool EventsQuiet() const { return FQuiet || IsDestroying(); }
    // A question to a handler (allowed when there is none) and a notice to one. Quietable
    // events stay silent while the items are made again and while the control goes.
    template <class E> bool Allowed(const E& Event, TTreeNode* Node, bool Quietable)
    {
        bool allow = true;
        if (Event && !(Quietable && EventsQuiet()))
            Event(this, Node, allow);
        return allow;
    }
    template <class E> void Tell(const E& Event, TTreeNode* Node, bool Quietable)
    {
        if (Event && !(Quietable && EventsQuiet()))
            Event(this, Node);
    }

    mutable std::unique_ptr<TTreeNodes> FTreeNodes;
    TCustomImageList* FImages = nullptr;
    TCustomImageList* FStateImages = nullptr;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    std::unique_ptr<TChangeLink> FStateChangeLink;
    bool FShowButtons = true;
    bool FShowLines = true;
    bool FShowRoot = true;
    bool FHideSelection = true;
    bool FHotTrack = false;
    bool FToolTips = true;
    bool FRowSelect = false;
    bool FAutoExpand = false;
    bool FReadOnly = false;
    TBorderStyle FBorderStyle = bsSingle;
    int FIndent = 19;
    TTreeNode* FSelectedNode = nullptr;   // the selection while there is no window
    TTreeNode* FTopNode = nullptr;        // the top node while there is no window
    TTreeNode* FSortParent = nullptr;     // the node whose children a sort without a window is for
    TCallbackGuard* FSortGuard = nullptr; // keeps the exception of the running sort's comparison
    bool FQuiet = false;                  // items made again: no change events
    bool FOwnDelete = false;              // TVM_DELETEITEM of the nodes' own deletion
    HWND FEditHandle = nullptr;           // the label's edit window while editing
    TLabelEditLink FEditLink{MakeMethod<&TCustomTreeView::EditWndProcEntry>(this)};
};

class TTreeView : public TCustomTreeView {
    Z_CLASS(TTreeView, TCustomTreeView)
public:
    explicit TTreeView(TComponent* AOwner) : TCustomTreeView(AOwner) {}
};

// The published properties of a tree view class C (whose Items getter may be typed).
#define Z_TREEVIEW_PROPS(C)                                                                              \
    Z_PROP_BOOL(C, AutoExpand, false), Z_PROP_ENUM(C, BorderStyle, TreeViewBorderStyleNames, bsSingle),  \
        Z_PROP_BOOL(C, HideSelection, true), Z_PROP_BOOL(C, HotTrack, false),                            \
        Z_PROP_REF(C, Images, TCustomImageList), Z_PROP_INT(C, Indent, 19), Z_PROP_OBJ(C, Items),        \
        Z_PROP_BOOL(C, ReadOnly, false), Z_PROP_BOOL(C, RowSelect, false),                               \
        Z_PROP_BOOL(C, ShowButtons, true), Z_PROP_BOOL(C, ShowLines, true),                              \
        Z_PROP_BOOL(C, ShowRoot, true), Z_PROP_REF(C, StateImages, TCustomImageList),                    \
        Z_PROP_BOOL(C, ToolTips, true)
extern const char* const TreeViewBorderStyleNames[2];

// ---------------------------------------------------------------------------------------
// The list view over the system's "SysListView32".
//
// As with the tree, the items live in item objects (TListItem) in the order the list shows
// them, with their captions, sub-items, data, images and states; the window holds one item
// an object, inserted with callback texts and images (the control asks the object when it
// needs them) and the object as the item's data, and gets every item back when a new window
// comes. With OwnerData the list keeps no objects at all: it has a count, and the program
// fills one passing item (OnData) whenever the window asks for an item.

class TListColumn;
class TListColumns;
class TListItem;
class TListItems;

enum TViewStyle : uint8_t { vsIcon, vsSmallIcon, vsList, vsReport };
extern const char* const ViewStyleNames[4];
// What changed of an item (OnChanging, OnChange).
enum TItemChange : uint8_t { ctText, ctImage, ctState };
// The states of an item, a set.
enum TItemStateFlag : uint8_t { isCut = 1, isDropHilited = 2, isFocused = 4, isSelected = 8, isActivating = 16 };
using TItemStates = uint8_t;
// What the window asks of an owner-data item, a set.
enum TItemRequestFlag : uint8_t { irText = 1, irImage = 2, irParam = 4, irState = 8, irIndent = 16 };
using TItemRequest = uint8_t;
// How an owner-data search looks for an item.
enum TItemFind : uint8_t { ifData, ifPartialString, ifExactString, ifNearest };
enum TSearchDirection : uint8_t { sdLeft, sdRight, sdAbove, sdBelow, sdAll };
// The parts of an item whose rectangle DisplayRect gives.
enum TDisplayCode : uint8_t { drBounds, drIcon, drLabel, drSelectBounds };
// The border style names of a list view's property table.
extern const char* const ListViewBorderStyleNames[2];

// A class reference for items: class information and a constructor.
struct TListItemClass {
    const TClassInfo& (*ClassInfo)();
    TListItem* (*Create)(TListItems* Owner);
};

template <class T> const TListItemClass& ListItemClassOf()
{
    static const TListItemClass cls{&T::StaticClassInfo, [](TListItems* Owner) -> TListItem* { return new T(Owner); }};
    return cls;
}

// The system's comparison of two items: the items' data (item objects here) and the data of
// the sort. Below 0 puts the first before the second.
using TLVCompare = PFNLVCOMPARE;

using TLVChangeEvent = TMethod<void(TObject* Sender, TListItem* Item, TItemChange Change)>;
using TLVChangingEvent = TMethod<void(TObject* Sender, TListItem* Item, TItemChange Change, bool& AllowChange)>;
using TLVSelectItemEvent = TMethod<void(TObject* Sender, TListItem* Item, bool Selected)>;
using TLVDeletedEvent = TMethod<void(TObject* Sender, TListItem* Item)>;
using TLVEditingEvent = TMethod<void(TObject* Sender, TListItem* Item, bool& AllowEdit)>;
using TLVEditedEvent = TMethod<void(TObject* Sender, TListItem* Item, AnsiString& S)>;
using TLVColumnClickEvent = TMethod<void(TObject* Sender, TListColumn* Column)>;
using TLVCompareEvent = TMethod<void(TObject* Sender, TListItem* Item1, TListItem* Item2, LPARAM Data, int& Compare)>;
using TLVInfoTipEvent = TMethod<void(TObject* Sender, TListItem* Item, AnsiString& InfoTip)>;
// Owner data: the passing item to fill; the item a search finds (Index, -1 for none);
// the items the window is about to show; a change of the states of a range of items.
using TLVOwnerDataEvent = TMethod<void(TObject* Sender, TListItem* Item)>;
using TLVOwnerDataFindEvent =
    TMethod<void(TObject* Sender, TItemFind Find, const AnsiString& FindString, const TPoint& FindPosition,
                 void* FindData, int StartIndex, TSearchDirection Direction, bool Wrap, int& Index)>;
using TLVOwnerDataHintEvent = TMethod<void(TObject* Sender, int StartIndex, int EndIndex)>;
using TLVOwnerDataStateChangeEvent =
    TMethod<void(TObject* Sender, int StartIndex, int EndIndex, TItemStates OldState, TItemStates NewState)>;
using TLVCreateItemClassEvent = TMethod<void(TCustomListView* Sender, const TListItemClass*& ItemClass)>;

// The work of a sort comparison of two items (the items' data, as the window passes them):
// OnCompare of the items' list view decides when it is set, else ByText. An exception of the
// comparison is kept as CompareTreeNodes keeps it: the sort counts the rest as equal, and
// the exception reaches the application once the sort is over.
int CompareListItems(LPARAM Item1, LPARAM Item2, LPARAM Data, int (*ByText)(const TListItem*, const TListItem*));

// ---------------------------------------------------------------------------------------
// Columns: the header of the report view, kept by the control and given to each window.

class TListColumn : public TCollectionItem {
    Z_CLASS(TListColumn, TCollectionItem)
public:
    explicit TListColumn(TCollection* Collection);

    AnsiString Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Value);
    // In pixels; the window's while there is one (the user may have dragged it). Kept between
    // MinWidth and MaxWidth (0: no bound) when the user drags a divider.
    int Width();
    void SetWidth(int Value);
    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int Value);
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    // An image of the list view's SmallImages before the caption; -1 none.
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    AnsiString DisplayName() const override;
    void Assign(TPersistent* Source) override;
    TCustomListView* ListView() const;

protected:
    friend class TCustomListView;
    friend class TListColumns;
    // The window's column takes the field Mask names (LVCF_*).
    void SendColumn(UINT Mask);
    int FWidth = 50;

private:
    AnsiString FCaption;
    int FMinWidth = 0;
    int FMaxWidth = 0;
    TAlignment FAlignment = taLeftJustify;
    int FImageIndex = -1;
};

class TListColumns : public TCollection {
    Z_CLASS(TListColumns, TCollection)
public:
    // ItemClass: TListColumn or a class built on it.
    TListColumns(TCustomListView* AOwner, const TClassInfo& ItemClass);
    TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
    TListColumn* Items(int Index) const { return static_cast<TListColumn*>(TCollection::Items(Index)); }
    TCustomListView* Owner() const { return FOwner; }
    TPersistent* GetOwner() override;

protected:
    // A column changed: its window column follows; the whole set changed: the window's
    // columns are made again.
    void Update(TCollectionItem* Item) override;

private:
    TCustomListView* FOwner;
};

// ---------------------------------------------------------------------------------------
// Items

// The sub-items of an item (the texts of its other columns): a string list that tells its
// item of every change, so that the window shows them.
class TSubItems : public TStringList {
    Z_CLASS(TSubItems, TStringList)
public:
    explicit TSubItems(TListItem* AOwner) : FOwner(AOwner) {}
    TListItem* Owner() const { return FOwner; }

protected:
    void Changed() override;

private:
    TListItem* FOwner;
};

class TListItem : public TPersistent {
    Z_CLASS(TListItem, TPersistent)
public:
    explicit TListItem(TListItems* AOwner);
    ~TListItem() override;
    TListItem(const TListItem&) = delete;
    TListItem& operator=(const TListItem&) = delete;

    TListItems* Owner() const { return FOwner; }
    TCustomListView* ListView() const;
    TPersistent* GetOwner() override;
    // The place in the list (the passing item of owner data: the item it stands for).
    int Index() const;

    // A new caption: the window asks for it again.
    AnsiString Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Value);
    TStrings* SubItems() const { return FSubItems.get(); }
    void SetSubItems(TStrings* Value) { FSubItems->Assign(Value); }
    void* Data() const { return FData; }
    void SetData(void* Value) { FData = Value; }
    // Indexes into the list view's images (LargeImages in the icon view, SmallImages else),
    // its StateImages (StateIndex, -1 none) and its overlays (OverlayIndex, -1 none).
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    int StateIndex() const { return FStateIndex; }
    void SetStateIndex(int Value);
    int OverlayIndex() const { return FOverlayIndex; }
    void SetOverlayIndex(int Value);
    int Indent() const { return FIndent; }
    void SetIndent(int Value);

    // States: the window's while there is one, else kept by the item for the next window.
    bool Selected() const { return GetState(isSelected); }
    void SetSelected(bool Value) { SetState(isSelected, Value); }
    bool Focused() const { return GetState(isFocused); }
    void SetFocused(bool Value) { SetState(isFocused, Value); }
    bool Cut() const { return GetState(isCut); }
    void SetCut(bool Value) { SetState(isCut, Value); }
    bool DropTarget() const { return GetState(isDropHilited); }
    void SetDropTarget(bool Value) { SetState(isDropHilited, Value); }
    // The check box of a list view with Checkboxes.
    bool Checked() const;
    void SetChecked(bool Value);

    // The rectangle of a part of the item in the window's client area; empty without one.
    TRect DisplayRect(TDisplayCode Code) const;
    // Scrolls the window so that the item shows (partly, with PartialOK).
    void MakeVisible(bool PartialOK);
    // Label editing in the window: starts it (False when refused), cancels it.
    bool EditCaption();
    void CancelEdit();
    // The window draws the item again.
    void Update();
    // The collection frees the item.
    void Delete();

    // Caption, sub-items, data, images, indent and states of another item.
    void Assign(TPersistent* Source) override;

protected:
    friend class TListItems;
    friend class TCustomListView;
    friend class TSubItems;
    // The item's place in the window: -1 without one.
    int WindowIndex() const;
    // The passing item of owner data, filled for whichever item the window asks about.
    bool Passing() const;
    // The window asks again for the item's texts and images.
    void AskAgain();
    bool GetState(TItemStateFlag Flag) const;
    void SetState(TItemStateFlag Flag, bool Value);
    // The sub-items' number in the window: each has a callback text there.
    void SendSubItems();

private:
    TListItems* FOwner;
    AnsiString FCaption;
    std::unique_ptr<TSubItems> FSubItems;
    void* FData = nullptr;
    int FImageIndex = 0;
    int FStateIndex = -1;
    int FOverlayIndex = -1;
    int FIndent = 0;
    TItemStates FStates = 0;      // kept while there is no window
    int FIndex = -1;              // the place, when the list's numbering is fresh
    int FSubItemsShown = 0;       // sub-items with a callback text in the window
    bool FDeleting = false;
};

class TListItems : public TPersistent {
    Z_CLASS(TListItems, TPersistent)
public:
    explicit TListItems(TCustomListView* AOwner);
    ~TListItems() override;
    TListItems(const TListItems&) = delete;
    TListItems& operator=(const TListItems&) = delete;

    TCustomListView* Owner() const { return FOwner; }
    TPersistent* GetOwner() override;
    // The items; with OwnerData the count the program set.
    int Count() const;
    // With OwnerData: the window shows that many items (the program fills them in OnData).
    // Otherwise items are added and deleted one by one: EListError "Invalid operation:
    // Count needs owner data".
    void SetCount(int Value);
    // EListError "List index out of bounds (%d)" outside the items. With OwnerData: the
    // passing item, filled by OnData for that index.
    TListItem* Item(int Index) const;
    TListItem* operator[](int Index) const { return Item(Index); }
    int IndexOf(const TListItem* Value) const;

    // A new item made by the list view (CreateListItem) at the end, or before Index.
    TListItem* Add();
    TListItem* Insert(int Index);
    // Item (made by the list view when null) placed at Index (-1: at the end).
    TListItem* AddItem(TListItem* Item, int Index = -1);
    // Frees the item (the list view's OnDeletion first).
    void Delete(int Index);
    void Clear();
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    HWND Handle() const;

    // Another collection's items, copied item by item.
    void Assign(TPersistent* Source) override;

protected:
    friend class TListItem;
    friend class TCustomListView;
    // The items numbered again from their order (after an insertion, a deletion, a sort).
    void Renumber() const;
    void Put(TListItem* Item, int Index);
    // The window's item of Item at Index.
    void InsertWindowItem(TListItem* Item, int Index);

private:
    TCustomListView* FOwner;
    std::vector<TListItem*> FItems;
    int FUpdateCount = 0;
    mutable bool FNumbered = true;
};

// ---------------------------------------------------------------------------------------
// TCustomListView

class TCustomListView : public TCustomListControl {
    Z_CLASS(TCustomListView, TCustomListControl)
public:
    explicit TCustomListView(TComponent* AOwner);
    ~TCustomListView() override;

    // The columns and items, each made on first use (CreateListColumns, CreateListItems).
    TListColumns* Columns() const;
    void SetColumns(TListColumns* Value) { Columns()->Assign(Value); }
    TListColumn* Column(int Index) const { return Columns()->Items(Index); }
    TListItems* Items() const;
    void SetItems(TListItems* Value) { Items()->Assign(Value); }

    TViewStyle ViewStyle() const { return FViewStyle; }
    void SetViewStyle(TViewStyle Value);
    TCustomImageList* LargeImages() const { return FLargeImages; }
    void SetLargeImages(TCustomImageList* Value);
    TCustomImageList* SmallImages() const { return FSmallImages; }
    void SetSmallImages(TCustomImageList* Value);
    TCustomImageList* StateImages() const { return FStateImages; }
    void SetStateImages(TCustomImageList* Value);

    // No item objects: the count and OnData stand for them (a new window).
    bool OwnerData() const { return FOwnerData; }
    void SetOwnerData(bool Value);
    // The look: window styles and extended styles, taken by the window at once.
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { SetListStyle(FReadOnly, Value); }
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value) { SetListStyle(FMultiSelect, Value); }
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value) { SetListStyle(FHideSelection, Value); }
    bool ShowColumnHeaders() const { return FShowColumnHeaders; }
    void SetShowColumnHeaders(bool Value) { SetListStyle(FShowColumnHeaders, Value); }
    // Clickable column headers (OnColumnClick).
    bool ColumnClick() const { return FColumnClick; }
    void SetColumnClick(bool Value) { SetListStyle(FColumnClick, Value); }
    bool RowSelect() const { return FRowSelect; }
    void SetRowSelect(bool Value) { SetListStyle(FRowSelect, Value); }
    bool GridLines() const { return FGridLines; }
    void SetGridLines(bool Value) { SetListStyle(FGridLines, Value); }
    bool Checkboxes() const { return FCheckboxes; }
    void SetCheckboxes(bool Value) { SetListStyle(FCheckboxes, Value); }
    bool HotTrack() const { return FHotTrack; }
    void SetHotTrack(bool Value) { SetListStyle(FHotTrack, Value); }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);

    // The selected item (the first, with MultiSelect); null clears the selection.
    TListItem* Selected();
    void SetSelected(TListItem* Value);
    TListItem* ItemFocused();
    void SetItemFocused(TListItem* Value);
    int SelCount();
    // The first item shown; the item at a client point (null when none is there).
    TListItem* TopItem();
    TListItem* GetItemAt(int X, int Y);
    // The first item from StartIndex (-1: from the top) whose caption is Value, or begins
    // with it (Partial), on from the top when Wrap; null when none.
    TListItem* FindCaption(int StartIndex, const AnsiString& Value, bool Partial, bool Inclusive, bool Wrap);
    TListItem* FindData(int StartIndex, void* Value, bool Inclusive, bool Wrap);
    // The items shown in one column of the report and list views.
    int VisibleRowCount();
    void Scroll(int DX, int DY);
    // Sorts the items through the window's sort with a comparison (SortProc, else OnCompare,
    // else the captions' order); without a window the items are sorted in place with the
    // same comparison. Owner data is the program's to sort: False.
    bool AlphaSort() { return CustomSort(nullptr, 0); }
    bool CustomSort(TLVCompare SortProc, LPARAM Data);
    // A label is being edited; its edit window.
    bool IsEditing();
    HWND EditHandle() const { return FEditHandle; }
    // The column header window of the report view; null without one.
    HWND HeaderHandle() const;

    // The list control's part.
    int GetCount() override;
    int GetItemIndex() override;
    void SetItemIndex(int Value) override;
    void AddItem(const AnsiString& Item, TObject* AObject) override;
    void Clear() override;
    void ClearSelection() override;
    void CopySelection(TCustomListControl* Destination) override;
    void DeleteSelected() override;
    void SelectAll() override;

    void Notification(TComponent* AComponent, TOperation Operation) override;

    TLVChangingEvent OnChanging;
    TLVChangeEvent OnChange;
    TLVSelectItemEvent OnSelectItem;
    TLVDeletedEvent OnDeletion;
    TLVDeletedEvent OnInsert;
    TLVDeletedEvent OnGetImageIndex;
    TLVEditingEvent OnEditing;
    TLVEditedEvent OnEdited;
    TLVColumnClickEvent OnColumnClick;
    TLVCompareEvent OnCompare;
    TLVInfoTipEvent OnInfoTip;
    TLVOwnerDataEvent OnData;
    TLVOwnerDataFindEvent OnDataFind;
    TLVOwnerDataHintEvent OnDataHint;
    TLVOwnerDataStateChangeEvent OnDataStateChange;
    TLVCreateItemClassEvent OnCreateItemClass;

protected:
    void CreateParams(TCreateParams& Params) override;
    // The columns, image lists and items given to the new window, with the items' states
    // and the top item kept from the last one.
    void CreateWnd() override;
    // The items keep their states and the list its top item; the window's items go.
    void DestroyWnd() override;
    void Dispatch(TMessage& Message) override;

    // A new item of the class OnCreateItemClass names (TListItem by default).
    virtual TListItem* CreateListItem();
    virtual TListItems* CreateListItems();
    virtual TListColumns* CreateListColumns();
    virtual bool CanEdit(TListItem* Item);
    virtual bool CanChange(TListItem* Item, TItemChange Change);
    virtual void Change(TListItem* Item, TItemChange Change);
    virtual void Delete(TListItem* Item);
    virtual void InsertItem(TListItem* Item);
    virtual void ColClick(TListColumn* Column);
    virtual void GetImageIndex(TListItem* Item);
    // A label edit ended: Item's text is the new text, or null when the edit was cancelled.
    // OnEdited may change the text, then the item takes it.
    virtual void Edit(const LVITEMA& Item);
    // Messages of the label's edit window while it is subclassed: keys through the list
    // view's key handling, then to the edit window's own procedure.
    virtual void EditWndProc(TMessage& Message);
    // Owner data: the passing item filled for what the window asks (OnData); the item a
    // search finds (OnDataFind; -1 none); the items about to be shown (OnDataHint); a change
    // of the states of a range (OnDataStateChange).
    virtual bool OwnerDataFetch(TListItem* Item, TItemRequest Request);
    virtual int OwnerDataFind(TItemFind Find, const AnsiString& FindString, const TPoint& FindPosition,
                              void* FindData, int StartIndex, TSearchDirection Direction, bool Wrap);
    virtual int OwnerDataHint(int StartIndex, int EndIndex);
    virtual int OwnerDataStateChange(int StartIndex, int EndIndex, TItemStates OldState, TItemStates NewState);
    // A header notification (WM_NOTIFY from the column header): drags keep the columns'
    // widths within their bounds and in step.
    virtual void HeaderNotify(TMessage& Message);
    // The list's notifications, reflected by the parent.
    void CNNotify(TMessage& Message);

    // The item a window item names: its data, or with owner data the passing item filled for
    // that index (Request); null when none.
    TListItem* ItemFromWindow(int Index, LPARAM Param, TItemRequest Request);
    // Answers a question for an item's images and states; the caller answers the text.
    void AnswerDisplayInfo(TListItem* Item, LVITEMA& Info);
    // The text of a column of an item: the caption (0), a sub-item, else "".
    static AnsiString ColumnText(const TListItem* Item, int SubItem);
    // Subclasses the label's edit window (with the wide calls when Wide); the previous
    // procedure is called by CallDefEditProc.
    void HookEditControl(bool Wide);
    LRESULT CallDefEditProc(const TMessage& Message);
    // The end of a label edit (the edit window is no longer the label's), then Edit.
    void EndLabelEdit(const LVITEMA& Item);
    // The passing item of owner data.
    TListItem* TempItem();
    // The window's extended styles of the look.
    DWORD ExtendedStyles() const;
    void ApplyExtendedStyles();

private:
    friend class TListItem;
    friend class TListItems;
    friend class TListColumn;
    friend class TListColumns;
    friend int CompareListItems(LPARAM, LPARAM, LPARAM, int (*)(const TListItem*, const TListItem*));
    void EditWndProcEntry(TMessage& Message) { EditWndProc(Message); }
    void ApplyImageLists();
    void ApplyColors();
    void ImageListChange(TObject* Sender);
    void SetListStyle(bool& Field, bool Value);
    void ApplyWindowStyles();
    DWORD ListStyles() const;
    // The window's columns made again from the columns.
    void UpdateColumns();
    // The items ordered as the window shows them after its sort.
    void FollowWindowOrder();
    void LVMSortItems(TMessage& Message);
    void LVMDeleteItem(TMessage& Message);
    void ItemChanged(const NMLISTVIEW& Info, bool Before, LRESULT& Result);
    bool EventsQuiet() const { return FQuiet || IsDestroying(); }

    mutable std::unique_ptr<TListColumns> FColumns;
    mutable std::unique_ptr<TListItems> FItems;
    std::unique_ptr<TListItem> FTempItem;
    TViewStyle FViewStyle = vsIcon;
    TCustomImageList* FLargeImages = nullptr;
    TCustomImageList* FSmallImages = nullptr;
    TCustomImageList* FStateImages = nullptr;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    bool FOwnerData = false;
    int FOwnerDataCount = 0;
    bool FReadOnly = false;
    bool FMultiSelect = false;
    bool FHideSelection = true;
    bool FShowColumnHeaders = true;
    bool FColumnClick = true;
    bool FRowSelect = false;
    bool FGridLines = false;
    bool FCheckboxes = false;
    bool FHotTrack = false;
    TBorderStyle FBorderStyle = bsSingle;
    int FTopIndex = -1;                   // the top item while there is no window
    TCallbackGuard* FSortGuard = nullptr; // keeps the exception of the running sort's comparison
    bool FQuiet = false;                  // items made again: no change events
    bool FOwnDelete = false;              // LVM_DELETEITEM of the items' own deletion
    bool FOwnInsert = false;              // LVM_INSERTITEMA of the items' own insertion
    HWND FEditHandle = nullptr;
    TLabelEditLink FEditLink{MakeMethod<&TCustomListView::EditWndProcEntry>(this)};
};

class TListView : public TCustomListView {
    Z_CLASS(TListView, TCustomListView)
public:
    explicit TListView(TComponent* AOwner) : TCustomListView(AOwner) {}
};

// The published properties of a list view class C (whose Columns getter may be typed).
#define Z_LISTVIEW_PROPS(C)                                                                                    \
    Z_PROP_ENUM(C, BorderStyle, ListViewBorderStyleNames, bsSingle), Z_PROP_BOOL(C, Checkboxes, false),        \
        Z_PROP_BOOL(C, ColumnClick, true), Z_PROP_OBJ(C, Columns), Z_PROP_BOOL(C, GridLines, false),           \
        Z_PROP_BOOL(C, HideSelection, true), Z_PROP_BOOL(C, HotTrack, false),                                  \
        Z_PROP_REF(C, LargeImages, TCustomImageList), Z_PROP_BOOL(C, MultiSelect, false),                      \
        Z_PROP_BOOL(C, OwnerData, false), Z_PROP_BOOL(C, ReadOnly, false), Z_PROP_BOOL(C, RowSelect, false),   \
        Z_PROP_BOOL(C, ShowColumnHeaders, true), Z_PROP_REF(C, SmallImages, TCustomImageList),                 \
        Z_PROP_REF(C, StateImages, TCustomImageList), Z_PROP_ENUM(C, ViewStyle, ViewStyleNames, vsIcon)

// ---------------------------------------------------------------------------------------
// The status bar over the system's "msctls_statusbar32": panels side by side, each with its
// text, width, alignment and bevel, or one simple panel across the bar; a size grip at the
// right. An owner-drawn panel is painted by OnDrawPanel.

class TStatusPanel;
class TStatusPanels;
class TCustomStatusBar;

enum TStatusPanelStyle : uint8_t { psText, psOwnerDraw };
enum TStatusPanelBevel : uint8_t { pbNone, pbLowered, pbRaised };
extern const char* const StatusPanelStyleNames[2];
extern const char* const StatusPanelBevelNames[3];

using TDrawPanelEvent = TMethod<void(TCustomStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;
// The application's hint, for a status bar that shows hints; Handled keeps it from showing.
using TSBHintEvent = TMethod<void(TObject* Sender, bool& Handled)>;

class TStatusPanel : public TCollectionItem {
    Z_CLASS(TStatusPanel, TCollectionItem)
public:
    explicit TStatusPanel(TCollection* Collection);

    AnsiString Text() const { return FText; }
    void SetText(const AnsiString& Value);
    // In pixels; the last panel reaches the bar's right edge whatever its width.
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TStatusPanelStyle Style() const { return FStyle; }
    void SetStyle(TStatusPanelStyle Value);
    TStatusPanelBevel Bevel() const { return FBevel; }
    void SetBevel(TStatusPanelBevel Value);
    AnsiString DisplayName() const override;
    void Assign(TPersistent* Source) override;
    TCustomStatusBar* StatusBar() const;

private:
    AnsiString FText;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
    TStatusPanelStyle FStyle = psText;
    TStatusPanelBevel FBevel = pbLowered;
};

class TStatusPanels : public TCollection {
    Z_CLASS(TStatusPanels, TCollection)
public:
    // ItemClass: TStatusPanel or a class built on it.
    TStatusPanels(TCustomStatusBar* AOwner, const TClassInfo& ItemClass);
    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    TStatusPanel* Items(int Index) const { return static_cast<TStatusPanel*>(TCollection::Items(Index)); }
    TCustomStatusBar* Owner() const { return FOwner; }
    TPersistent* GetOwner() override;

protected:
    // The window's parts follow: a panel's text and look, or all of them.
    void Update(TCollectionItem* Item) override;

private:
    TCustomStatusBar* FOwner;
};

// The text a panel's part of the window is given: a centred text after one TAB, a
// right-aligned one after two, as the system's status window reads them.
AnsiString StatusPartText(const AnsiString& Text, TAlignment Alignment);
// The number of TABs that lead a part's text for Alignment.
int StatusAlignmentTabs(TAlignment Alignment);

class TCustomStatusBar : public TWinControl {
    Z_CLASS(TCustomStatusBar, TWinControl)
public:
    explicit TCustomStatusBar(TComponent* AOwner);
    ~TCustomStatusBar() override;

    // The panels, made by CreatePanels on first use.
    TStatusPanels* Panels() const;
    void SetPanels(TStatusPanels* Value) { Panels()->Assign(Value); }
    // One panel across the whole bar showing SimpleText, instead of the panels.
    bool SimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool Value);
    AnsiString SimpleText() const { return FSimpleText; }
    void SetSimpleText(const AnsiString& Value);
    // The grip at the bottom right that sizes the form.
    bool SizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool Value);
    // The application's hints show in the bar: in the simple panel, or with panels in the
    // first one.
    bool AutoHint() const { return FAutoHint; }
    void SetAutoHint(bool Value) { FAutoHint = Value; }
    TCanvas* Canvas() const;
    // The rectangle of a panel in the client area (the window's); empty when there is none.
    TRect PanelRect(int Index);

    // A hint action with AutoHint shows its hint (OnHint may take it first).
    bool ExecuteAction(TBasicAction* Action) override;

    TDrawPanelEvent OnDrawPanel;
    TNotifyEvent OnHint;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& Message) override;
    virtual TStatusPanels* CreatePanels();
    // The item class of the panels.
    virtual const TClassInfo& GetPanelClass();
    // OnDrawPanel for an owner-drawn panel, on the canvas.
    virtual void DrawPanel(TStatusPanel* Panel, const TRect& Rect);
    // OnHint; True when it took the hint.
    virtual bool DoHint();

    // The window's parts: their right edges and their texts.
    void UpdatePanels();
    void UpdatePanel(int Index);
    void UpdateSimpleText();

private:
    friend class TStatusPanels;
    void CNDrawItem(TMessage& Message);

    mutable std::unique_ptr<TStatusPanels> FPanels;
    std::unique_ptr<TControlCanvas> FCanvas;
    bool FSimplePanel = false;
    AnsiString FSimpleText;
    bool FSizeGrip = true;
    bool FAutoHint = false;
};

class TStatusBar : public TCustomStatusBar {
    Z_CLASS(TStatusBar, TCustomStatusBar)
public:
    explicit TStatusBar(TComponent* AOwner) : TCustomStatusBar(AOwner) {}
};

// The published properties of a status bar class C, its SimpleText aside (ANSI or wide).
#define Z_STATUSBAR_PROPS(C)                                                                                   \
    Z_PROP_BOOL(C, AutoHint, false), Z_PROP_OBJ(C, Panels), Z_PROP_BOOL(C, SimplePanel, false),                \
        Z_PROP_BOOL(C, SizeGrip, true)

// ---------------------------------------------------------------------------------------
// The up-down arrows over the system's "msctls_updown32": a position between Min and Max
// stepped by Increment, shown in a buddy control (Associate) and kept by the window while
// there is one. The window steps once when an arrow is pressed and repeats while it is held.

enum TUDAlignButton : uint8_t { udLeft, udRight };
enum TUDOrientation : uint8_t { udHorizontal, udVertical };
// The arrow that stepped: btNext toward Max (up or right), btPrev toward Min.
enum TUDBtnType : uint8_t { btNext, btPrev };
enum TUpDownDirection : uint8_t { updNone, updUp, updDown };
extern const char* const UDAlignButtonNames[2];
extern const char* const UDOrientationNames[2];

using TUDClickEvent = TMethod<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = TMethod<void(TObject* Sender, bool& AllowChange)>;
using TUDChangingEventEx = TMethod<void(TObject* Sender, bool& AllowChange, int NewValue, TUpDownDirection Direction)>;

class TCustomUpDown : public TWinControl {
    Z_CLASS(TCustomUpDown, TWinControl)
public:
    explicit TCustomUpDown(TComponent* AOwner);
    ~TCustomUpDown() override;

    // The control that shows the position as its text; the arrows sit at its side.
    TWinControl* Associate() const { return FAssociate; }
    void SetAssociate(TWinControl* Value);
    TUDAlignButton AlignButton() const { return FAlignButton; }
    void SetAlignButton(TUDAlignButton Value) { RecreateOnChange(this, FAlignButton, Value); }
    // The associate's arrow keys step the position.
    bool ArrowKeys() const { return FArrowKeys; }
    void SetArrowKeys(bool Value) { RecreateOnChange(this, FArrowKeys, Value); }
    int Min() const { return FMin; }
    void SetMin(int Value);
    int Max() const { return FMax; }
    void SetMax(int Value);
    int Increment() const { return FIncrement; }
    void SetIncrement(int Value);
    // A new orientation swaps width and height (unless form data is being read).
    TUDOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TUDOrientation Value);
    // The window's position while there is one.
    int Position();
    void SetPosition(int Value);
    // The associate's text has thousands separators.
    bool Thousands() const { return FThousands; }
    void SetThousands(bool Value) { RecreateOnChange(this, FThousands, Value); }
    // Past one end the position goes on at the other.
    bool Wrap() const { return FWrap; }
    void SetWrap(bool Value) { RecreateOnChange(this, FWrap, Value); }

    void Notification(TComponent* AComponent, TOperation Operation) override;

    // A step was taken (the arrow that took it): the library's click event of other controls
    // is not this one, and the release of the mouse is no click.
    TUDClickEvent OnClick;
    // Asked before every step; a refused step leaves the position.
    TUDChangingEvent OnChanging;
    TUDChangingEventEx OnChangingEx;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    // The position stays with the control while the window is made again.
    void DestroyWnd() override;
    void Dispatch(TMessage& Message) override;
    // OnChanging, then OnChangingEx; True allows the step.
    virtual bool CanChange(int NewValue, TUpDownDirection Direction);
    virtual void StepClick(TUDBtnType Button);

private:
    void ApplyRange();
    void ApplyIncrement();
    void ApplyBuddy();
    void CNNotify(TMessage& Message);
    void CNScroll(TMessage& Message);

    TWinControl* FAssociate = nullptr;
    TUDAlignButton FAlignButton = udRight;
    bool FArrowKeys = true;
    int FMin = 0;
    int FMax = 100;
    int FIncrement = 1;
    TUDOrientation FOrientation = udVertical;
    int FPosition = 0;
    bool FThousands = true;
    bool FWrap = false;
    // The last step the window asked about: its direction and whether it was allowed.
    TUpDownDirection FStepDirection = updNone;
    bool FStepAllowed = false;
};

class TUpDown : public TCustomUpDown {
    Z_CLASS(TUpDown, TCustomUpDown)
public:
    explicit TUpDown(TComponent* AOwner) : TCustomUpDown(AOwner) {}
};

// The published properties of an up-down class C.
#define Z_UPDOWN_PROPS(C)                                                                                  \
    Z_PROP_ENUM(C, AlignButton, UDAlignButtonNames, udRight), Z_PROP_REF(C, Associate, TWinControl),       \
        Z_PROP_BOOL(C, ArrowKeys, true), Z_PROP_INT(C, Min, 0), Z_PROP_INT(C, Max, 100),                   \
        Z_PROP_INT(C, Increment, 1), Z_PROP_ENUM(C, Orientation, UDOrientationNames, udVertical),          \
        Z_PROP_INT(C, Position, 0), Z_PROP_BOOL(C, Thousands, true), Z_PROP_BOOL(C, Wrap, false)

// ---------------------------------------------------------------------------------------
// Tab strips: the look of the tabs, where they stand, and their events.

enum TTabStyle : uint8_t { tsTabs, tsButtons, tsFlatButtons };
enum TTabPosition : uint8_t { tpTop, tpBottom, tpLeft, tpRight };
extern const char* const TabStyleNames[3];
extern const char* const TabPositionNames[4];
// Asked before the selected tab changes; AllowChange starts True.
using TTabChangingEvent = TMethod<void(TObject* Sender, bool& AllowChange)>;
// The image of a tab; ImageIndex starts as the tab's index.
using TTabGetImageEvent = TMethod<void(TObject* Sender, int TabIndex, int& ImageIndex)>;

// The kinds of tool-bar buttons: graphic children of these kinds paint themselves as
// buttons, the others over their parent's picture.
enum TToolButtonStyle : uint8_t { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

// ---------------------------------------------------------------------------------------
// The progress bar over the system's "msctls_progress32": Position between Min and Max,
// shown as a filled part (in blocks, or one smooth piece) that grows from the left, or from
// the bottom when vertical. The control keeps the values; the window shows them.

enum TProgressBarOrientation : uint8_t { pbHorizontal, pbVertical };
extern const char* const ProgressBarOrientationNames[2];

class TProgressBar : public TWinControl {
    Z_CLASS(TProgressBar, TWinControl)
public:
    explicit TProgressBar(TComponent* AOwner);
    ~TProgressBar() override;

    // The range never turns over: a Min set above Max takes Max along, a Max set below Min
    // takes Min along; the position stays inside it.
    int Min() const { return FMin; }
    void SetMin(int Value);
    int Max() const { return FMax; }
    void SetMax(int Value);
    int Position() const { return FPosition; }
    // Clamped to [Min, Max].
    void SetPosition(int Value);
    // The amount StepIt adds (may be negative).
    int Step() const { return FStep; }
    void SetStep(int Value) { FStep = Value; }
    // One piece instead of blocks.
    bool Smooth() const { return FSmooth; }
    void SetSmooth(bool Value) { RecreateOnChange(this, FSmooth, Value); }
    TProgressBarOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TProgressBarOrientation Value) { RecreateOnChange(this, FOrientation, Value); }
    // Position + Step; past Max it goes round to Min (past Min to Max) by what is left over,
    // as the system's bar does. An empty range stays at Min.
    void StepIt();
    // The part of the bar Position fills, from 0 to 1 (0 for an empty range).
    double Fraction() const;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;

private:
    void ApplyRange();
    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    int FStep = 10;
    bool FSmooth = false;
    TProgressBarOrientation FOrientation = pbHorizontal;
};

// The published properties of a progress bar class C.
#define Z_PROGRESSBAR_PROPS(C)                                                                             \
    Z_PROP_INT(C, Min, 0), Z_PROP_INT(C, Max, 100), Z_PROP_INT(C, Position, 0), Z_PROP_INT(C, Step, 10),   \
        Z_PROP_BOOL(C, Smooth, false), Z_PROP_ENUM(C, Orientation, ProgressBarOrientationNames, pbHorizontal)
