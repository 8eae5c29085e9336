// The tree view over the system's "SysTreeView32": its window made again from the nodes,
// selection, sorting, events and label editing.
#include "classlib/comctrls_shared.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

const char* const TreeViewBorderStyleNames[2] = {"bsNone", "bsSingle"};

Z_CLASS_IMPL(TCustomTreeView, TWinControl)
Z_CLASS_IMPL(TTreeView, TCustomTreeView, Z_TREEVIEW_PROPS(TTreeView))

namespace {
const char* const SInsertError = "Unable to insert an item";

int CompareAnsiTexts(const TTreeNode* Node1, const TTreeNode* Node2)
{
    return lstrcmpA(Node1->Text().c_str(), Node2->Text().c_str());
}

// The comparison of AlphaSort: OnCompare decides, else the ANSI texts in lstrcmpA's order.
int CALLBACK DefaultTreeViewSort(LPARAM Node1, LPARAM Node2, LPARAM Data)
{
    return CompareTreeNodes(Node1, Node2, Data, &CompareAnsiTexts);
}

} // namespace

int CompareTreeNodes(LPARAM Node1, LPARAM Node2, LPARAM Data, int (*ByText)(const TTreeNode*, const TTreeNode*))
{
    auto* a = reinterpret_cast<TTreeNode*>(Node1);
    auto* b = reinterpret_cast<TTreeNode*>(Node2);
    TCustomTreeView* tree = a ? a->TreeView() : nullptr;
    auto compare = [&] {
        if (!a || !b)
            return 0;
        if (tree && tree->OnCompare) {
            int result = 0;
            tree->OnCompare(tree, a, b, Data, result);
            return result;
        }
        return ByText(a, b);
    };
    // The tree view's own sort keeps the exception: a comparison that fails at every pair
    // would otherwise reach the application once for each pair.
    return GuardedCompare(tree ? tree->FSortGuard : nullptr, tree, compare);
}

// ---------------------------------------------------------------------------------------
// TCustomTreeView

TCustomTreeView::TCustomTreeView(TComponent* AOwner)
    : TWinControl(AOwner),
      FImageChangeLink(std::make_unique<TChangeLink>()),
      FStateChangeLink(std::make_unique<TChangeLink>())
{
    // The tree tracks the mouse itself (drags of items, hot tracking).
    FControlStyle &= ~csCaptureMouse;
    FWidth = 121;
    FHeight = 97;
    FTabStop = true;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(FColor);
    FImageChangeLink->OnChange = MakeMethod<&TCustomTreeView::ImageListChange>(this);
    FStateChangeLink->OnChange = MakeMethod<&TCustomTreeView::ImageListChange>(this);
}

TCustomTreeView::~TCustomTreeView()
{
    // The window and its label edit go while the nodes and the edit procedure still exist.
    DestroyWindowFirst();
    SetImages(nullptr);
    SetStateImages(nullptr);
    FTreeNodes.reset();
}

TTreeNodes* TCustomTreeView::Items() const
{
    if (!FTreeNodes)
        FTreeNodes.reset(const_cast<TCustomTreeView*>(this)->CreateNodes());
    return FTreeNodes.get();
}

TTreeNodes* TCustomTreeView::CreateNodes()
{
    return new TTreeNodes(this);
}

TTreeNode* TCustomTreeView::CreateNode()
{
    const TTreeNodeClass* cls = &TreeNodeClassOf<TTreeNode>();
    if (OnCreateNodeClass)
        OnCreateNodeClass(this, cls);
    return cls->Create(Items());
}

void TCustomTreeView::Forget(TTreeNode* Node)
{
    // The selection and the top node kept while there is no window: null forgets them all,
    // else those in Node's subtree.
    for (TTreeNode** kept : {&FSelectedNode, &FTopNode})
        if (*kept && (!Node || *kept == Node || (*kept)->HasAsParent(Node)))
            *kept = nullptr;
}

// Window --------------------------------------------------------------------------------------

DWORD TCustomTreeView::TreeStyles() const
{
    DWORD style = 0;
    if (FShowButtons)
        style |= TVS_HASBUTTONS;
    if (FShowLines)
        style |= TVS_HASLINES;
    if (FShowRoot)
        style |= TVS_LINESATROOT;
    if (!FHideSelection)
        style |= TVS_SHOWSELALWAYS;
    if (!FReadOnly)
        style |= TVS_EDITLABELS;
    if (FHotTrack)
        style |= TVS_TRACKSELECT;
    if (!FToolTips)
        style |= TVS_NOTOOLTIPS;
    if (FRowSelect)
        style |= TVS_FULLROWSELECT;
    if (FAutoExpand)
        style |= TVS_SINGLEEXPAND;
    return style;
}

void TCustomTreeView::CreateParams(TCreateParams& Params)
{
    InitCommonControlClasses(ICC_TREEVIEW_CLASSES);
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, WC_TREEVIEWA);
    Params.Style |= TreeStyles();
    AddBorderStyle(Params, FBorderStyle);
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomTreeView::CreateWnd()
{
    TWinControl::CreateWnd();
    SendMessageA(FHandle, TVM_SETINDENT, static_cast<WPARAM>(FIndent), 0);
    ApplyImageLists();
    ApplyColors();
    if (FTreeNodes && FTreeNodes->FFirst) {
        TFlagScope quiet(FQuiet);
        SendMessageA(FHandle, WM_SETREDRAW, FALSE, 0);
        for (TTreeNode* n = FTreeNodes->FFirst; n; n = n->GetNext())
            InsertItem(n, TVI_LAST);
        if (FSelectedNode)
            SendMessageA(FHandle, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(FSelectedNode->FItemId));
        if (FTopNode)
            SendMessageA(FHandle, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(FTopNode->FItemId));
        if (FTreeNodes->FUpdateCount == 0)
            SendMessageA(FHandle, WM_SETREDRAW, TRUE, 0);
    }
    FSelectedNode = FTopNode = nullptr;
}

void TCustomTreeView::InsertItem(TTreeNode* Node, HTREEITEM InsertAfter)
{
    TVINSERTSTRUCTA ins{};
    ins.hParent = Node->FParent ? Node->FParent->FItemId : TVI_ROOT;
    ins.hInsertAfter = InsertAfter;
    TVITEMA& item = ins.item;
    item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    item.pszText = LPSTR_TEXTCALLBACKA;
    item.iImage = I_IMAGECALLBACK;
    item.iSelectedImage = I_IMAGECALLBACK;
    item.lParam = reinterpret_cast<LPARAM>(Node);
    item.stateMask = TVIS_STATEIMAGEMASK | TVIS_OVERLAYMASK | TVIS_EXPANDED;
    item.state = INDEXTOSTATEIMAGEMASK(std::max(Node->FStateIndex, 0)) |
                 INDEXTOOVERLAYMASK(std::max(Node->FOverlayIndex + 1, 0)) | (Node->FExpanded ? TVIS_EXPANDED : 0);
    if (Node->FHasChildren) {
        item.mask |= TVIF_CHILDREN;
        item.cChildren = 1;
    }
    Node->FItemId = reinterpret_cast<HTREEITEM>(SendMessageA(FHandle, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
    if (!Node->FItemId)
        throw EOutOfResources(SInsertError);
}

void TCustomTreeView::DestroyWnd()
{
    if (FHandle && FTreeNodes) {
        // Only a node with children can be open; asking each node one by one costs.
        for (TTreeNode* n = FTreeNodes->FFirst; n; n = n->GetNext())
            if (n->HasChildren())
                n->FExpanded = n->Expanded();
        FSelectedNode = Selected();
        FTopNode = TopItem();
    }
    TWinControl::DestroyWnd();
    if (FTreeNodes)
        for (TTreeNode* n = FTreeNodes->FFirst; n; n = n->GetNext())
            n->FItemId = nullptr;
    FEditHandle = nullptr;
    FEditLink.Forget();
}

void TCustomTreeView::ApplyImageLists()
{
    if (!FHandle)
        return;
    SendMessageA(FHandle, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(FImages ? FImages->Handle() : nullptr));
    SendMessageA(FHandle, TVM_SETIMAGELIST, TVSIL_STATE,
                 reinterpret_cast<LPARAM>(FStateImages ? FStateImages->Handle() : nullptr));
}

void TCustomTreeView::ApplyColors()
{
    if (!FHandle)
        return;
    SendMessageA(FHandle, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FColor)));
    SendMessageA(FHandle, TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FFont->Color())));
}

void TCustomTreeView::ImageListChange(TObject*)
{
    ApplyImageLists();
}

void TCustomTreeView::SetImages(TCustomImageList* Value)
{
    if (SetImageListRef(FImages, Value, FImageChangeLink.get(), this))
        ApplyImageLists();
}

void TCustomTreeView::SetStateImages(TCustomImageList* Value)
{
    if (SetImageListRef(FStateImages, Value, FStateChangeLink.get(), this))
        ApplyImageLists();
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent)
        return;
    bool gone = false;
    for (TCustomImageList** list : {&FImages, &FStateImages})
        if (AComponent == *list) {
            *list = nullptr;
            gone = true;
        }
    if (gone)
        ApplyImageLists();
}

void TCustomTreeView::SetTreeStyle(bool& Field, bool Value)
{
    if (!StoreChanged(Field, Value) || !FHandle)
        return;
    const DWORD all = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_EDITLABELS |
                      TVS_TRACKSELECT | TVS_FULLROWSELECT | TVS_SINGLEEXPAND;
    DWORD style = static_cast<DWORD>(GetWindowLongA(FHandle, GWL_STYLE));
    SetWindowLongA(FHandle, GWL_STYLE, static_cast<LONG>((style & ~all) | (TreeStyles() & all)));
}

void TCustomTreeView::SetToolTips(bool Value)
{
    // The tooltip window is the tree's own, made with its window.
    RecreateOnChange(this, FToolTips, Value);
}

void TCustomTreeView::SetBorderStyle(TBorderStyle Value)
{
    RecreateOnChange(this, FBorderStyle, Value);
}

void TCustomTreeView::SetIndent(int Value)
{
    if (StoreChanged(FIndent, Value) && FHandle)
        SendMessageA(FHandle, TVM_SETINDENT, static_cast<WPARAM>(Value), 0);
}

// Nodes and selection -------------------------------------------------------------------------

TTreeNode* TCustomTreeView::Selected()
{
    if (!FHandle)
        return FSelectedNode;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(FHandle, TVM_GETNEXTITEM, TVGN_CARET, 0));
    return Items()->GetNode(item);
}

void TCustomTreeView::SetSelected(TTreeNode* Value)
{
    if (Value && (Value->FOwner != FTreeNodes.get() || Value->FDeleting))
        return;
    if (!FHandle) {
        FSelectedNode = Value;
        return;
    }
    SendMessageA(FHandle, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Value ? Value->FItemId : nullptr));
}

TTreeNode* TCustomTreeView::TopItem()
{
    if (!FHandle)
        return FTopNode;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(FHandle, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0));
    return Items()->GetNode(item);
}

TTreeNode* TCustomTreeView::GetNodeAt(int X, int Y)
{
    if (!FHandle)
        return nullptr;
    TVHITTESTINFO hit{};
    hit.pt = {X, Y};
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(FHandle, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return item && (hit.flags & (TVHT_ONITEM | TVHT_ONITEMRIGHT)) ? Items()->GetNode(item) : nullptr;
}

TTreeNode* TCustomTreeView::NodeFromItem(const TVITEMA& Item) const
{
    if (Item.mask & TVIF_PARAM)
        return reinterpret_cast<TTreeNode*>(Item.lParam);
    return Items()->GetNode(Item.hItem);
}

void TCustomTreeView::FullExpand()
{
    for (TTreeNode* n = Items()->GetFirstNode(); n; n = n->GetNextSibling())
        n->Expand(true);
}

void TCustomTreeView::FullCollapse()
{
    for (TTreeNode* n = Items()->GetFirstNode(); n; n = n->GetNextSibling())
        n->Collapse(true);
}

bool TCustomTreeView::IsEditing()
{
    return FHandle && SendMessageA(FHandle, TVM_GETEDITCONTROL, 0, 0) != 0;
}

// Sorting ---------------------------------------------------------------------------------------

bool TCustomTreeView::CustomSort(TTVCompare SortProc, LPARAM Data, bool Recurse)
{
    return SortSubtree(nullptr, SortProc, Data, Recurse);
}

bool TCustomTreeView::SortSubtree(TTreeNode* Root, TTVCompare SortProc, LPARAM Data, bool Recurse)
{
    TTVCompare proc = SortProc ? SortProc : &DefaultTreeViewSort;
    return GuardedSort(FSortGuard, this, [&](const TCallbackGuard& Guard) {
        bool ok = SortChildren(Root, proc, Data);
        if (Recurse)
            for (TTreeNode* n = Root ? NextInSubtree(Root, Root) : Items()->GetFirstNode(); n && !Guard.Failed();
                 n = NextInSubtree(n, Root))
                if (n->FFirstChild)
                    ok = SortChildren(n, proc, Data) && ok;
        return ok;
    });
}

bool TCustomTreeView::SortChildren(TTreeNode* Parent, TTVCompare Proc, LPARAM Data)
{
    // The sort message passes the control's own message handling, window or not, so that a
    // descendant sees every sort the tree view makes.
    TVSORTCB sort{};
    sort.hParent = !Parent ? TVI_ROOT : Parent->FItemId;
    sort.lpfnCompare = Proc;
    sort.lParam = Data;
    TTreeNode* saved = std::exchange(FSortParent, Parent);
    TScopeExit restore([&] { FSortParent = saved; });
    return Perform(TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort)) != 0;
}

void TCustomTreeView::TVMSortChildren(TMessage& Message)
{
    auto* sort = reinterpret_cast<TVSORTCB*>(Message.LParam);
    if (!sort || !sort->lpfnCompare) {
        DefaultHandler(Message);
        return;
    }
    if (!FHandle) {
        TTreeNode* parent = sort->hParent == TVI_ROOT ? nullptr : FSortParent;
        std::vector<TTreeNode*> order;
        for (TTreeNode* n = parent ? parent->FFirstChild : Items()->FFirst; n; n = n->FNextSibling)
            order.push_back(n);
        std::stable_sort(order.begin(), order.end(), [&](TTreeNode* a, TTreeNode* b) {
            return sort->lpfnCompare(reinterpret_cast<LPARAM>(a), reinterpret_cast<LPARAM>(b), sort->lParam) < 0;
        });
        Items()->SetChildOrder(parent, order);
        Message.Result = 1;
        return;
    }
    DefaultHandler(Message);
    if (Message.Result)
        FollowWindowOrder(sort->hParent == TVI_ROOT || !sort->hParent ? nullptr : Items()->GetNode(sort->hParent));
}

void TCustomTreeView::FollowWindowOrder(TTreeNode* Parent)
{
    std::vector<TTreeNode*> order;
    order.reserve(static_cast<size_t>(Parent ? Parent->FCount : Items()->FRootCount));
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(FHandle, TVM_GETNEXTITEM, Parent ? TVGN_CHILD : TVGN_ROOT,
                                                         reinterpret_cast<LPARAM>(Parent ? Parent->FItemId : nullptr)));
    for (; item; item = reinterpret_cast<HTREEITEM>(
                     SendMessageA(FHandle, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        TTreeNode* node = Items()->GetNode(item);
        if (!node || node->FParent != Parent)
            return;
        order.push_back(node);
    }
    if (static_cast<int>(order.size()) == (Parent ? Parent->FCount : Items()->FRootCount))
        Items()->SetChildOrder(Parent, order);
}

void TCustomTreeView::TVMDeleteItem(TMessage& Message)
{
    // Items go only with their nodes: a deletion sent from outside deletes the nodes.
    if (FOwnDelete || !FHandle) {
        DefaultHandler(Message);
        return;
    }
    auto item = reinterpret_cast<HTREEITEM>(Message.LParam);
    if (!item || item == TVI_ROOT) {
        Items()->Clear();
        Message.Result = 1;
    } else if (TTreeNode* node = Items()->GetNode(item)) {
        Items()->Delete(node);
        Message.Result = 1;
    } else {
        DefaultHandler(Message);
    }
}

// Events --------------------------------------------------------------------------------------

bool TCustomTreeView::CanEdit(TTreeNode* Node)
{
    return Allowed(OnEditing, Node, false);
}

bool TCustomTreeView::CanChange(TTreeNode* Node)
{
    return Allowed(OnChanging, Node, true);
}

bool TCustomTreeView::CanExpand(TTreeNode* Node)
{
    return Allowed(OnExpanding, Node, true);
}

bool TCustomTreeView::CanCollapse(TTreeNode* Node)
{
    return Allowed(OnCollapsing, Node, true);
}

void TCustomTreeView::Change(TTreeNode* Node)
{
    Tell(OnChange, Node, true);
}

void TCustomTreeView::Expand(TTreeNode* Node)
{
    Tell(OnExpanded, Node, true);
}

void TCustomTreeView::Collapse(TTreeNode* Node)
{
    Tell(OnCollapsed, Node, true);
}

void TCustomTreeView::Added(TTreeNode* Node)
{
    Tell(OnAddition, Node, false);
}

void TCustomTreeView::Delete(TTreeNode* Node)
{
    Tell(OnDeletion, Node, false);
}

void TCustomTreeView::GetImageIndex(TTreeNode* Node)
{
    Tell(OnGetImageIndex, Node, false);
}

void TCustomTreeView::GetSelectedIndex(TTreeNode* Node)
{
    Tell(OnGetSelectedIndex, Node, false);
}

void TCustomTreeView::AnswerImages(TTreeNode* Node, TVITEMA& Item)
{
    if (Item.mask & TVIF_IMAGE) {
        GetImageIndex(Node);
        Item.iImage = Node->FImageIndex;
    }
    if (Item.mask & TVIF_SELECTEDIMAGE) {
        GetSelectedIndex(Node);
        Item.iSelectedImage = Node->FSelectedIndex;
    }
}

void TCustomTreeView::Edit(const TVITEMA& Item)
{
    TTreeNode* node = NodeFromItem(Item);
    if (Item.pszText) {
        AnsiString text = Item.pszText;
        if (OnEdited)
            OnEdited(this, node, text);
        if (node)
            node->SetText(text);
    } else if (OnCancelEdit) {
        OnCancelEdit(this, node);
    }
}

// Label editing ---------------------------------------------------------------------------------

void TCustomTreeView::EndLabelEdit(const TVITEMA& Item)
{
    // The edit window lives on a little (the system may take our procedure off it first):
    // from now on it is no longer the label being edited.
    FEditHandle = nullptr;
    Edit(Item);
}

void TCustomTreeView::HookEditControl(bool Wide)
{
    FEditHandle = reinterpret_cast<HWND>(SendMessageA(FHandle, TVM_GETEDITCONTROL, 0, 0));
    FEditLink.Hook(FEditHandle, Wide);
}

LRESULT TCustomTreeView::CallDefEditProc(const TMessage& Message)
{
    return FEditLink.CallDefault(Message);
}

void TCustomTreeView::EditWndProc(TMessage& Message)
{
    if (!DoChildKeyMessage(Message))
        FEditLink.Pass(Message);
}

// Messages --------------------------------------------------------------------------------------

void TCustomTreeView::CNNotify(TMessage& Message)
{
    auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
    // The window going deletes its items: the nodes stay.
    if (!hdr || (FControlState & csDestroyingHandle))
        return;
    auto* tv = reinterpret_cast<NMTREEVIEWA*>(hdr);
    auto* info = reinterpret_cast<NMTVDISPINFOA*>(hdr);
    switch (hdr->code) {
    case TVN_GETDISPINFOA:
        if (TTreeNode* node = NodeFromItem(info->item)) {
            if (info->item.mask & TVIF_TEXT)
                CopyItemText(info->item.pszText, info->item.cchTextMax, node->FText);
            AnswerImages(node, info->item);
        }
        break;
    case TVN_SETDISPINFOA:
        if (TTreeNode* node = NodeFromItem(info->item); node && (info->item.mask & TVIF_TEXT) && info->item.pszText)
            node->SetText(info->item.pszText);
        break;
    case TVN_SELCHANGINGA:
        Message.Result = !CanChange(NodeFromItem(tv->itemNew));
        break;
    case TVN_SELCHANGEDA:
        Change(NodeFromItem(tv->itemNew));
        break;
    case TVN_ITEMEXPANDINGA:
        if (TTreeNode* node = NodeFromItem(tv->itemNew)) {
            if (tv->action & TVE_EXPAND)
                Message.Result = !CanExpand(node);
            else if (tv->action & TVE_COLLAPSE)
                Message.Result = !CanCollapse(node);
        }
        break;
    case TVN_ITEMEXPANDEDA:
        if (TTreeNode* node = NodeFromItem(tv->itemNew)) {
            node->FExpanded = (tv->action & TVE_EXPAND) != 0;
            if (tv->action & TVE_EXPAND)
                Expand(node);
            else if (tv->action & TVE_COLLAPSE)
                Collapse(node);
        }
        break;
    case TVN_DELETEITEMA:
        // Items go only with their nodes (see TVMDeleteItem); one that went otherwise
        // leaves its node without an item.
        if (TTreeNode* node = reinterpret_cast<TTreeNode*>(tv->itemOld.lParam); node && !node->FDeleting)
            node->FItemId = nullptr;
        break;
    case TVN_BEGINLABELEDITA:
        if (!CanEdit(NodeFromItem(info->item))) {
            Message.Result = 1;
        } else {
            HookEditControl(false);
            Message.Result = 0;
        }
        break;
    case TVN_ENDLABELEDITA:
        EndLabelEdit(info->item);
        Message.Result = 0;
        break;
    }
}

void TCustomTreeView::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_NOTIFY:
        CNNotify(Message);
        return;
    case TVM_SORTCHILDRENCB:
        TVMSortChildren(Message);
        return;
    case TVM_DELETEITEM:
        TVMDeleteItem(Message);
        return;
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
        TWinControl::Dispatch(Message);
        ApplyColors();
        return;
    case CM_WANTSPECIALKEY:
        // Enter and Escape end a label edit instead of pressing the form's buttons.
        if ((Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) && IsEditing()) {
            Message.Result = 1;
            return;
        }
        break;
    }
    TWinControl::Dispatch(Message);
}
