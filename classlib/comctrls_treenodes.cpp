// The nodes of a tree view: each node's text, data, images and children kept while there is
// no window, the collection that adds, moves and deletes them, and their form data.
#include "classlib/comctrls_shared.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

Z_CLASS_IMPL(TTreeNode, TPersistent)
Z_CLASS_IMPL(TTreeNodes, TPersistent)

namespace {

const char* const SInvalidIndex = "Invalid index";
const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SInvalidNodeData = "Invalid tree node data";

// The smallest node record: its size field and a record with an empty text.
constexpr int64_t MinNodeRecordBytes = 4 + 25;

AnsiString AnsiTextOf(const TTreeNode* Node)
{
    return Node->Text();
}

void AnsiTextTo(TTreeNode* Node, const AnsiString& Bytes)
{
    Node->SetText(Bytes);
}

template <class T> void Put(std::string& Out, T Value)
{
    Out.append(reinterpret_cast<const char*>(&Value), sizeof(Value));
}

} // namespace

namespace zcomctrls {

// The walk inside the subtree of Root: N's first child, else the next sibling of N or of a
// parent below Root.
TTreeNode* NextInSubtree(const TTreeNode* N, const TTreeNode* Root)
{
    if (N->GetFirstChild())
        return N->GetFirstChild();
    for (; N && N != Root; N = N->Parent())
        if (N->GetNextSibling())
            return N->GetNextSibling();
    return nullptr;
}
} // namespace zcomctrls

// ---------------------------------------------------------------------------------------
// TTreeNode

TTreeNode::TTreeNode(TTreeNodes* AOwner) : FOwner(AOwner) {}

// Unlinking and the item are the collection's work (TTreeNodes::Delete).
TTreeNode::~TTreeNode() = default;

TCustomTreeView* TTreeNode::TreeView() const
{
    return FOwner ? FOwner->Owner() : nullptr;
}

TPersistent* TTreeNode::GetOwner()
{
    return FOwner;
}

HWND TTreeNode::TreeHandle() const
{
    TCustomTreeView* tree = TreeView();
    return FItemId && tree && tree->HandleAllocated() ? tree->WindowHandle() : nullptr;
}

void TTreeNode::SendItem(TVITEMA& Item) const
{
    if (HWND wnd = TreeHandle()) {
        Item.hItem = FItemId;
        SendMessageA(wnd, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&Item));
    }
}

void TTreeNode::AskAgain(UINT Mask) const
{
    // The callbacks again: the window forgets what it was told and asks anew.
    TVITEMA item{};
    item.mask = Mask;
    item.pszText = LPSTR_TEXTCALLBACKA;
    item.iImage = I_IMAGECALLBACK;
    item.iSelectedImage = I_IMAGECALLBACK;
    SendItem(item);
}

void TTreeNode::SetText(const AnsiString& Value)
{
    if (StoreChanged(FText, Value))
        AskAgain(TVIF_TEXT);
}

void TTreeNode::SetImageIndex(int Value)
{
    if (StoreChanged(FImageIndex, Value))
        AskAgain(TVIF_IMAGE);
}

void TTreeNode::SetSelectedIndex(int Value)
{
    if (StoreChanged(FSelectedIndex, Value))
        AskAgain(TVIF_SELECTEDIMAGE);
}

void TTreeNode::SetStateIndex(int Value)
{
    if (StoreChanged(FStateIndex, Value))
        UpdateItemState(TVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(std::max(Value, 0)));
}

void TTreeNode::SetOverlayIndex(int Value)
{
    if (StoreChanged(FOverlayIndex, Value))
        UpdateItemState(TVIS_OVERLAYMASK, INDEXTOOVERLAYMASK(std::max(Value + 1, 0)));
}

void TTreeNode::UpdateItemState(UINT Mask, UINT State)
{
    TVITEMA item{};
    item.mask = TVIF_STATE;
    item.stateMask = Mask;
    item.state = State;
    SendItem(item);
}

void TTreeNode::SetHasChildren(bool Value)
{
    FHasChildren = Value;
    TVITEMA item{};
    item.mask = TVIF_CHILDREN;
    item.cChildren = Value || FFirstChild ? 1 : 0;
    SendItem(item);
}

TTreeNode* TTreeNode::Item(int Index) const
{
    TTreeNode* node = Index >= 0 ? FFirstChild : nullptr;
    for (int i = Index; node && i > 0; --i)
        node = node->FNextSibling;
    if (!node)
        throw ETreeViewError(Format(SListIndexError, Index));
    return node;
}

TTreeNode* TTreeNode::GetNext() const
{
    if (FFirstChild)
        return FFirstChild;
    for (const TTreeNode* n = this; n; n = n->FParent)
        if (n->FNextSibling)
            return n->FNextSibling;
    return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const
{
    if (TTreeNode* node = FPrevSibling) {
        while (node->FLastChild)
            node = node->FLastChild;
        return node;
    }
    return FParent;
}

int TTreeNode::Level() const
{
    int level = 0;
    for (const TTreeNode* n = FParent; n; n = n->FParent)
        ++level;
    return level;
}

int TTreeNode::Index() const
{
    int index = 0;
    for (const TTreeNode* n = FPrevSibling; n; n = n->FPrevSibling)
        ++index;
    return index;
}

int TTreeNode::AbsoluteIndex() const
{
    int index = 0;
    for (const TTreeNode* n = GetPrev(); n; n = n->GetPrev())
        ++index;
    return index;
}

bool TTreeNode::HasAsParent(const TTreeNode* Value) const
{
    for (const TTreeNode* n = FParent; n; n = n->FParent)
        if (n == Value)
            return true;
    return false;
}

bool TTreeNode::Expanded() const
{
    if (HWND wnd = TreeHandle())
        return SendMessageA(wnd, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(FItemId), TVIS_EXPANDED) & TVIS_EXPANDED;
    return FExpanded;
}

void TTreeNode::SetExpanded(bool Value)
{
    if (Value)
        Expand(false);
    else
        Collapse(false);
}

void TTreeNode::Expand(bool Recurse)
{
    for (TTreeNode* n = this; n; n = Recurse ? NextInSubtree(n, this) : nullptr) {
        n->FExpanded = true;
        if (HWND wnd = n->TreeHandle()) {
            SendMessageA(wnd, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(n->FItemId));
            n->FExpanded = n->Expanded();
        }
    }
}

void TTreeNode::Collapse(bool Recurse)
{
    for (TTreeNode* n = this; n; n = Recurse ? NextInSubtree(n, this) : nullptr) {
        n->FExpanded = false;
        if (HWND wnd = n->TreeHandle())
            SendMessageA(wnd, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(n->FItemId));
    }
}

bool TTreeNode::IsVisible() const
{
    for (const TTreeNode* n = FParent; n; n = n->FParent)
        if (!n->Expanded())
            return false;
    return true;
}

void TTreeNode::MakeVisible()
{
    if (HWND wnd = TreeHandle()) {
        SendMessageA(wnd, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(FItemId));
        return;
    }
    for (TTreeNode* n = FParent; n; n = n->FParent)
        n->FExpanded = true;
}

bool TTreeNode::Selected() const
{
    TCustomTreeView* tree = TreeView();
    return tree && tree->Selected() == this;
}

void TTreeNode::SetSelected(bool Value)
{
    TCustomTreeView* tree = TreeView();
    if (!tree)
        return;
    if (Value)
        tree->SetSelected(this);
    else if (Selected())
        tree->SetSelected(nullptr);
}

bool TTreeNode::EditText()
{
    HWND wnd = TreeHandle();
    return wnd && SendMessageA(wnd, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(FItemId)) != 0;
}

void TTreeNode::EndEdit(bool Cancel)
{
    if (HWND wnd = TreeHandle())
        SendMessageA(wnd, TVM_ENDEDITLABELNOW, Cancel, 0);
}

void TTreeNode::Delete()
{
    if (!FDeleting)
        FOwner->Delete(this);
}

void TTreeNode::DeleteChildren()
{
    while (FFirstChild)
        FOwner->Delete(FFirstChild);
}

bool TTreeNode::AlphaSort(bool Recurse)
{
    return CustomSort(nullptr, 0, Recurse);
}

bool TTreeNode::CustomSort(TTVCompare SortProc, LPARAM Data, bool Recurse)
{
    TCustomTreeView* tree = TreeView();
    return tree && tree->SortSubtree(this, SortProc, Data, Recurse);
}

void TTreeNode::Assign(TPersistent* Source)
{
    auto* node = dynamic_cast<TTreeNode*>(Source);
    if (!node) {
        TPersistent::Assign(Source);
        return;
    }
    if (FDeleting)
        return;
    SetText(node->FText);
    FData = node->FData;
    SetImageIndex(node->FImageIndex);
    SetSelectedIndex(node->FSelectedIndex);
    SetStateIndex(node->FStateIndex);
    SetOverlayIndex(node->FOverlayIndex);
    if (node->FHasChildren != FHasChildren)
        SetHasChildren(node->FHasChildren);
}

// ---------------------------------------------------------------------------------------
// TTreeNodes

TTreeNodes::TTreeNodes(TCustomTreeView* AOwner) : FOwner(AOwner) {}

TTreeNodes::~TTreeNodes()
{
    Clear();
}

TPersistent* TTreeNodes::GetOwner()
{
    return FOwner;
}

HWND TTreeNodes::Handle() const
{
    return FOwner && FOwner->HandleAllocated() ? FOwner->WindowHandle() : nullptr;
}

TTreeNode* TTreeNodes::GetNodeFromIndex(int Index) const
{
    if (Index < 0 || Index >= FCount)
        throw ETreeViewError(SInvalidIndex);
    // From the first node or from the node asked for last, whichever is nearer.
    TTreeNode* node = FFirst;
    int at = 0;
    if (FCacheNode && std::abs(Index - FCacheIndex) < Index) {
        node = FCacheNode;
        at = FCacheIndex;
    }
    for (; node && at < Index; ++at)
        node = node->GetNext();
    for (; node && at > Index; --at)
        node = node->GetPrev();
    if (!node)
        throw ETreeViewError(SInvalidIndex);
    FCacheNode = node;
    FCacheIndex = Index;
    return node;
}

TTreeNode* TTreeNodes::GetNode(HTREEITEM ItemId) const
{
    HWND wnd = Handle();
    if (!ItemId || !wnd)
        return nullptr;
    TVITEMA item{};
    item.mask = TVIF_HANDLE | TVIF_PARAM;
    item.hItem = ItemId;
    if (!SendMessageA(wnd, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    return reinterpret_cast<TTreeNode*>(item.lParam);
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* Sibling, const AnsiString& S, void* Ptr)
{
    return AddNode(Sibling, S, Ptr, naAdd);
}

TTreeNode* TTreeNodes::AddObjectFirst(TTreeNode* Sibling, const AnsiString& S, void* Ptr)
{
    return AddNode(Sibling, S, Ptr, naAddFirst);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const AnsiString& S, void* Ptr)
{
    return AddNode(Parent, S, Ptr, naAddChild);
}

TTreeNode* TTreeNodes::AddChildObjectFirst(TTreeNode* Parent, const AnsiString& S, void* Ptr)
{
    return AddNode(Parent, S, Ptr, naAddChildFirst);
}

TTreeNode* TTreeNodes::InsertObject(TTreeNode* Sibling, const AnsiString& S, void* Ptr)
{
    return AddNode(Sibling, S, Ptr, naInsert);
}

TTreeNode* TTreeNodes::AddNode(TTreeNode* Relative, const AnsiString& S, void* Ptr, TNodeAttachMode Mode,
                               TNodePrepare Prepare, const void* Context)
{
    if (Relative && (Relative->FOwner != this || Relative->FDeleting))
        throw ETreeViewError(SInvalidIndex);
    std::unique_ptr<TTreeNode> made(FOwner->CreateNode());
    TTreeNode* node = made.get();
    node->FText = S;
    node->FData = Ptr;
    if (Prepare)
        Prepare(node, Context);
    Link(node, Relative, Mode);
    made.release();
    if (Handle()) {
        try {
            // The last sibling goes in by the window's own end; any other after its sibling.
            HTREEITEM after = !node->FNextSibling  ? TVI_LAST
                              : node->FPrevSibling ? node->FPrevSibling->FItemId
                                                   : TVI_FIRST;
            FOwner->InsertItem(node, after);
        } catch (...) {
            Unlink(node);
            --FCount;
            delete node;
            throw;
        }
    }
    FOwner->Added(node);
    return node;
}

void TTreeNodes::Link(TTreeNode* Node, TTreeNode* Relative, TNodeAttachMode Mode)
{
    TTreeNode* parent = nullptr;
    TTreeNode* before = nullptr;   // null: at the end
    switch (Mode) {
    case naAdd: parent = Relative ? Relative->FParent : nullptr; break;
    case naAddFirst:
        parent = Relative ? Relative->FParent : nullptr;
        before = parent ? parent->FFirstChild : FFirst;
        break;
    case naAddChild: parent = Relative; break;
    case naAddChildFirst:
        parent = Relative;
        before = parent ? parent->FFirstChild : FFirst;
        break;
    case naInsert:
        parent = Relative ? Relative->FParent : nullptr;
        before = Relative;
        break;
    }
    TTreeNode*& first = parent ? parent->FFirstChild : FFirst;
    TTreeNode*& last = parent ? parent->FLastChild : FLast;
    Node->FParent = parent;
    Node->FNextSibling = before;
    Node->FPrevSibling = before ? before->FPrevSibling : last;
    (Node->FPrevSibling ? Node->FPrevSibling->FNextSibling : first) = Node;
    (before ? before->FPrevSibling : last) = Node;
    ++(parent ? parent->FCount : FRootCount);
    ++FCount;
    ClearCache();
}

void TTreeNodes::Unlink(TTreeNode* Node)
{
    TTreeNode* parent = Node->FParent;
    (Node->FPrevSibling ? Node->FPrevSibling->FNextSibling : (parent ? parent->FFirstChild : FFirst)) =
        Node->FNextSibling;
    (Node->FNextSibling ? Node->FNextSibling->FPrevSibling : (parent ? parent->FLastChild : FLast)) =
        Node->FPrevSibling;
    --(parent ? parent->FCount : FRootCount);
    Node->FParent = Node->FPrevSibling = Node->FNextSibling = nullptr;
    ClearCache();
}

void TTreeNodes::FreeNode(TTreeNode* Node)
{
    std::unique_ptr<TTreeNode> node(Node);
    --FCount;
    ClearCache();
    if (!FOwner->IsDestroying()) {
        try {
            FOwner->Delete(Node);
        } catch (...) {
            // The other nodes still go: the handler's error is the application's to show.
            HandleCaughtException(FOwner);
        }
    }
}

void TTreeNodes::Delete(TTreeNode* Node)
{
    if (!Node || Node->FDeleting || Node->FOwner != this)
        return;
    for (TTreeNode* n = Node; n; n = NextInSubtree(n, Node))
        n->FDeleting = true;
    FOwner->Forget(Node);
    if (HWND wnd = Handle(); wnd && Node->FItemId) {
        TFlagScope own(FOwner->FOwnDelete);
        SendMessageA(wnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(Node->FItemId));
    }
    Unlink(Node);
    FreeChain(Node);
}

void TTreeNodes::Clear()
{
    if (!FFirst)
        return;
    for (TTreeNode* n = FFirst; n; n = n->GetNext())
        n->FDeleting = true;
    FOwner->Forget(nullptr);
    if (HWND wnd = Handle()) {
        TFlagScope own(FOwner->FOwnDelete);
        SendMessageA(wnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    }
    TTreeNode* first = FFirst;
    FFirst = FLast = nullptr;
    FRootCount = 0;
    ClearCache();
    FreeChain(first);
}

void TTreeNodes::FreeChain(TTreeNode* First)
{
    // Children before their parent, each one the first child of its parent when it goes, so
    // no stack is needed however deep the nodes go.
    TTreeNode* node = First;
    while (node) {
        while (node->FFirstChild)
            node = node->FFirstChild;
        TTreeNode* next = node->FNextSibling ? node->FNextSibling : node->FParent;
        if (TTreeNode* parent = node->FParent) {
            parent->FFirstChild = node->FNextSibling;
            if (!parent->FFirstChild)
                parent->FLastChild = nullptr;
            --parent->FCount;
        }
        if (node->FNextSibling)
            node->FNextSibling->FPrevSibling = nullptr;
        FreeNode(node);
        node = next;
    }
}

void TTreeNodes::SetChildOrder(TTreeNode* Parent, const std::vector<TTreeNode*>& Order)
{
    TTreeNode*& first = Parent ? Parent->FFirstChild : FFirst;
    TTreeNode*& last = Parent ? Parent->FLastChild : FLast;
    TTreeNode* prev = nullptr;
    for (TTreeNode* node : Order) {
        node->FPrevSibling = prev;
        (prev ? prev->FNextSibling : first) = node;
        prev = node;
    }
    if (prev)
        prev->FNextSibling = nullptr;
    last = prev;
    ClearCache();
}

void TTreeNodes::BeginUpdate()
{
    if (FUpdateCount++ == 0)
        if (HWND wnd = Handle())
            SendMessageA(wnd, WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate()
{
    if (FUpdateCount <= 0 || --FUpdateCount > 0)
        return;
    if (HWND wnd = Handle()) {
        SendMessageA(wnd, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(wnd, nullptr, TRUE);
    }
}

void TTreeNodes::Assign(TPersistent* Source)
{
    auto* source = dynamic_cast<TTreeNodes*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    if (source == this)
        return;
    TUpdateScope<TTreeNodes> update(this);
    Clear();
    // The source's ancestors on the way to the node being copied, each with its copy.
    std::vector<std::pair<const TTreeNode*, TTreeNode*>> path;
    for (const TTreeNode* s = source->FFirst; s; s = s->GetNext()) {
        while (!path.empty() && path.back().first != s->FParent)
            path.pop_back();
        TTreeNode* copy = path.empty() ? AddNode(nullptr, AnsiString(), nullptr, naAdd)
                                       : AddNode(path.back().second, AnsiString(), nullptr, naAddChild);
        copy->Assign(const_cast<TTreeNode*>(s));
        path.emplace_back(s, copy);
    }
}

void TTreeNodes::DefineProperties(TFiler* Filer)
{
    TPersistent::DefineProperties(Filer);
    auto* ancestor = dynamic_cast<TTreeNodes*>(Filer->Ancestor());
    Filer->DefineBinaryProperty("Data", MakeMethod<&TTreeNodes::ReadData>(this),
                                MakeMethod<&TTreeNodes::WriteData>(this),
                                ancestor ? !SameNodeRecords(ancestor, &AnsiTextOf) : FCount > 0);
}

void TTreeNodes::ReadData(TStream* Stream)
{
    ReadNodeRecords(Stream, &AnsiTextTo);
}

void TTreeNodes::WriteData(TStream* Stream)
{
    WriteNodeRecords(Stream, &AnsiTextOf);
}

void TTreeNodes::WriteNodeRecords(TStream* Stream, TNodeTextOf TextOf) const
{
    std::string out;
    Put<int32_t>(out, FRootCount);
    for (const TTreeNode* n = FFirst; n; n = n->GetNext()) {
        AnsiString text = TextOf(n);
        if (text.size() > 255)
            text.resize(255);
        Put<int32_t>(out, static_cast<int32_t>(25 + text.size()));
        for (int32_t field : {n->FImageIndex, n->FSelectedIndex, n->FStateIndex, n->FOverlayIndex,
                              static_cast<int32_t>(reinterpret_cast<uintptr_t>(n->FData)), n->FCount})
            Put<int32_t>(out, field);
        Put<uint8_t>(out, static_cast<uint8_t>(text.size()));
        out += text;
    }
    Stream->WriteBuffer(out.data(), static_cast<int32_t>(out.size()));
}

void TTreeNodes::ReadNodeRecords(TStream* Stream, TNodeTextTo TextTo)
{
    struct TRecord {
        int32_t Fields[6];   // image, selected, state and overlay indexes, data, children
        AnsiString Text;
    };
    const auto damaged = [] { throw EReadError(SInvalidNodeData); };
    int64_t left = Stream->Size() - Stream->Position();
    const auto take = [&](void* Buffer, int64_t Count) {
        if (Count < 0 || Count > left)
            damaged();
        Stream->ReadBuffer(Buffer, static_cast<int32_t>(Count));
        left -= Count;
    };
    // Every record still owed takes at least MinNodeRecordBytes: a count that the bytes left
    // cannot hold is damage, found before anything is allocated for it.
    int32_t roots = 0;
    take(&roots, 4);
    int64_t owed = roots;
    if (roots < 0 || owed * MinNodeRecordBytes > left)
        damaged();
    std::vector<TRecord> records;
    std::vector<char> bytes;
    while (owed > 0) {
        int32_t size = 0;
        take(&size, 4);
        if (size < 25 || size > left)
            damaged();
        bytes.resize(static_cast<size_t>(size));
        take(bytes.data(), size);
        TRecord r;
        std::memcpy(r.Fields, bytes.data(), sizeof(r.Fields));
        const int length = static_cast<uint8_t>(bytes[24]);
        if (25 + length > size || r.Fields[5] < 0)
            damaged();
        r.Text.assign(bytes.data() + 25, static_cast<size_t>(length));
        owed += r.Fields[5] - 1;
        if (owed * MinNodeRecordBytes > left)
            damaged();
        records.push_back(std::move(r));
    }

    TFlagScope reading(FReading);
    TUpdateScope<TTreeNodes> update(this);
    Clear();
    // Depth first: each node's parent is the nearest node above it still owed children. A
    // node takes its record before its item is made, so the window is told nothing twice.
    struct TContext {
        const TRecord* Record;
        TNodeTextTo TextTo;
    };
    const TNodePrepare fromRecord = [](TTreeNode* Node, const void* Context) {
        const auto* c = static_cast<const TContext*>(Context);
        const int32_t* f = c->Record->Fields;
        c->TextTo(Node, c->Record->Text);
        Node->FImageIndex = f[0];
        Node->FSelectedIndex = f[1];
        Node->FStateIndex = f[2];
        Node->FOverlayIndex = f[3];
        Node->FData = reinterpret_cast<void*>(static_cast<uintptr_t>(static_cast<uint32_t>(f[4])));
    };
    std::vector<std::pair<TTreeNode*, int32_t>> open;
    for (const TRecord& r : records) {
        while (!open.empty() && open.back().second == 0)
            open.pop_back();
        const TContext context{&r, TextTo};
        TTreeNode* parent = open.empty() ? nullptr : open.back().first;
        if (parent)
            --open.back().second;
        TTreeNode* node = AddNode(parent, AnsiString(), nullptr, parent ? naAddChild : naAdd, fromRecord, &context);
        if (r.Fields[5] > 0)
            open.emplace_back(node, r.Fields[5]);
    }
}

bool TTreeNodes::SameNodeRecords(const TTreeNodes* Ancestor, TNodeTextOf TextOf) const
{
    if (Ancestor->FCount != FCount || Ancestor->FRootCount != FRootCount)
        return false;
    const TTreeNode* a = Ancestor->FFirst;
    for (const TTreeNode* n = FFirst; n; n = n->GetNext(), a = a->GetNext()) {
        if (!a || a->FCount != n->FCount || a->FData != n->FData || a->FImageIndex != n->FImageIndex ||
            a->FSelectedIndex != n->FSelectedIndex || a->FStateIndex != n->FStateIndex ||
            a->FOverlayIndex != n->FOverlayIndex || TextOf(a) != TextOf(n))
            return false;
    }
    return true;
}
