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
// only when it changed it. The node takes the text.
void EndWideLabelEdit(TCustomTreeView* Tree, TTreeNode* Node, const char* Text, const TUcTVEditedEvent& Wide,
                      const TTVEditedEvent& Ansi);
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
    if (PlatformIsUnicode && Message.Msg == WM_CHAR) {
        PackWideCharMessage(Message);
        const bool handled = this->DoKeyPress(Message);
        UnpackWideCharMessage(Message);
        if (!handled)
            Message.Result = this->CallDefEditProc(Message);
        return;
    }
    TTreeBase::EditWndProc(Message);
}
