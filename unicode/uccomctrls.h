// UTF-16 for the library's common controls: a Unicode window for a common control, and the
// tree view whose nodes carry wide texts. On the NT family the tree's window runs in
// Unicode mode: it asks the nodes for their wide texts (TVN_GETDISPINFOW), sorts them by
// their wide texts, edits labels as wide text and sends every notification in its wide
// form. A node keeps its wide text itself, so it outlives any window; in form data the nodes
// go as "Utf8Data" beside the library's "Data".
#pragma once

#include "classlib/comctrls.h"
#include "unicode/ucclasses.h"
#include "unicode/uccontrols.h"
#include "unicode/ucwidecontrol.h"

class TUcTreeNode;
class TUcTreeNodes;
class TUcCustomTreeView;

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
    TUcCustomTreeView* TreeView() const;

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
    explicit TUcTreeNodes(TUcCustomTreeView* AOwner);

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
    TUcCustomTreeView* Owner() const;

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

// Written against its parent as "inherited" and the parent's protected operations only, so
// that it can stand on any tree view of the library's family.
class TUcCustomTreeView : public TUcControlOf<TCustomTreeView> {
    Z_CLASS(TUcCustomTreeView, TUcControlOf<TCustomTreeView>)
public:
    explicit TUcCustomTreeView(TComponent* AOwner) : inherited(AOwner) {}

    // The nodes (CreateNodes of a descendant must make TUcTreeNodes too).
    TUcTreeNodes* Items() const;
    void SetItems(TTreeNodes* Value) { Items()->Assign(Value); }
    TUcTreeNode* Selected();
    TUcTreeNode* GetNodeAt(int X, int Y);

    // A label edit ended with a text: this handler may change it; when it is not set, the
    // library's ANSI OnEdited is asked instead, and its text replaces the wide one only when
    // the handler changed it.
    TUcTVEditedEvent OnEdited;

protected:
    // On the NT family: sorts with the library's own comparison go by the wide texts (or
    // OnCompare) instead; the first window made finds out which comparison that is.
    void WndProc(TMessage& Message) override;
    // A Unicode "SysTreeView32" window.
    void CreateWindowHandle(const TCreateParams& Params) override;
    void Dispatch(TMessage& Message) override;
    // A node of the class OnCreateNodeClass names (TUcTreeNode by default); a class that is
    // not a TUcTreeNode raises EUcInternalError "Internal Error: OnCreateNodeClass.ItemClass
    // must inherit from TUcTreeNode.".
    TTreeNode* CreateNode() override;
    TTreeNodes* CreateNodes() override;
    // The edited text read as wide on the NT family (the item of TVN_ENDLABELEDITW), as ANSI
    // otherwise; see OnEdited.
    void Edit(const TVITEMA& Item) override;
    // A character above 255 typed into the label passes the library's key handling packed.
    void EditWndProc(TMessage& Message) override;

private:
    // The wide notifications of the tree; False for those the library handles as they are.
    bool CNNotifyWide(TMessage& Message);
    // TTN_NEEDTEXTW of the tree's tooltip for a long item on old common controls.
    bool LongItemToolTip(TMessage& Message);
    void CaptureDefaultSort();
    bool FCapturingSortCallback = false;
};

class TUcTreeView : public TUcCustomTreeView {
    Z_CLASS(TUcTreeView, TUcCustomTreeView)
public:
    explicit TUcTreeView(TComponent* AOwner) : TUcCustomTreeView(AOwner) {}
};

// Start-up: the tree view becomes known to form data.
void InitUcComCtrls();
