#include <doctest.h>
#include "classlib/comctrls.h"
#include "classlib/stdctrls.h"
#include "form_helpers.h"
#include "join.h"
#include "msgrecorder.h"
#include "treeitems.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Cyrillic text in code page 1251, which the tests run with.
const AnsiString kPrivet = "\xCF\xF0\xE8\xE2\xE5\xF2";   // "Привет"

struct TTreeForm {
    std::unique_ptr<TForm> Form = MakeForm(320, 400);
    TTreeView* Tree = Add<TTreeView>(Form.get(), 8, 8, 280, 340);
    TTreeNodes* Items = Tree->Items();
};

// The texts of the nodes in the walk, each indented by its level.
AnsiString NodeOutline(TTreeNodes* Items)
{
    AnsiString out;
    for (TTreeNode* n = Items->GetFirstNode(); n; n = n->GetNext())
        out += AnsiString(static_cast<size_t>(n->Level()), ' ') + n->Text() + "\n";
    return out;
}

// The same outline read from the window's items: their texts as the window asks for them.
AnsiString WindowOutline(HWND Tree)
{
    AnsiString out;
    for (const auto& [item, level] : TreeWindowItems(Tree)) {
        char text[300] = {};
        TVITEMA tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = sizeof(text);
        SendMessageA(Tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        out += AnsiString(static_cast<size_t>(level), ' ') + text + "\n";
    }
    return out;
}

// Groups of numbered nodes: "g<i>" with children "g<i>.<j>".
void FillGroups(TTreeNodes* Items, int Groups, int PerGroup)
{
    TUpdateScope<TTreeNodes> update(Items);
    for (int g = 0; g < Groups; ++g) {
        TTreeNode* group = Items->Add(nullptr, "g" + IntToStr(g));
        for (int c = 0; c < PerGroup; ++c)
            Items->AddChild(group, "g" + IntToStr(g) + "." + IntToStr(c));
    }
}

struct TTreeEvents {
    TLog Log;
    bool Refuse = false;
    void Changing(TObject*, TTreeNode* Node, bool& Allow)
    {
        Log.push_back("changing " + (Node ? Node->Text() : AnsiString("-")));
        Allow = !Refuse;
    }
    void Change(TObject*, TTreeNode* Node) { Log.push_back("change " + (Node ? Node->Text() : AnsiString("-"))); }
    void Editing(TObject*, TTreeNode* Node, bool& Allow)
    {
        Log.push_back("editing " + Node->Text());
        Allow = !Refuse;
    }
    void Edited(TObject*, TTreeNode*, AnsiString& S) { Log.push_back("edited to " + S); }
    void Deletion(TObject*, TTreeNode* Node) { Log.push_back("delete " + Node->Text()); }
    void KeyDown(TObject*, uint16_t& Key, TShiftState) { Log.push_back("key " + IntToStr(Key)); }
    void Click(TObject*) { Log.push_back("click"); }
};

} // namespace

TEST_CASE("nodes keep the walk order by every way of adding, and the window's items follow them")
{
    for (bool windowFirst : {false, true}) {
        CAPTURE(windowFirst);
        TTreeForm f;
        if (windowFirst)
            f.Tree->HandleNeeded();
        TTreeNodes* items = f.Items;
        TTreeNode* b = items->Add(nullptr, "b");
        TTreeNode* a = items->AddFirst(b, "a");
        TTreeNode* d = items->Add(a, "d");
        TTreeNode* c = items->Insert(d, "c");
        items->AddChild(b, "b2");
        items->AddChildFirst(b, "b1");
        TTreeNode* b3 = items->AddChild(b, "b3");
        items->AddChild(b3, kPrivet);
        items->Insert(b3, "b2a");
        items->AddChild(nullptr, "e");   // no parent: a root node
        const AnsiString outline = "a\nb\n b1\n b2\n b2a\n b3\n  " + kPrivet + "\nc\nd\ne\n";
        CHECK(Join(NodeOutline(items), WindowOutline(f.Tree->Handle())) == Join(outline, outline));
        CHECK(b->Count() == 4);
        CHECK(c->Index() == 2);

        // The walk both ways, by index from either end and at random, and the children by index.
        std::vector<TTreeNode*> walk;
        for (TTreeNode* n = items->GetFirstNode(); n; n = n->GetNext())
            walk.push_back(n);
        for (int i = static_cast<int>(walk.size()) - 1; i >= 0; --i) {
            CHECK(items->GetNodeFromIndex(i) == walk[i]);
            CHECK(walk[i]->AbsoluteIndex() == i);
            CHECK(walk[i]->GetPrev() == (i ? walk[i - 1] : nullptr));
        }
        for (int i : {9, 0, 7, 3, 9, 1})
            CHECK(items->GetNodeFromIndex(i) == walk[i]);
        CHECK(b->Item(2)->Text() == "b2a");
        CHECK(b3->GetLastChild()->Text() == kPrivet);
        CHECK(b3->GetLastChild()->HasAsParent(b));
        CHECK_THROWS_WITH_AS(items->GetNodeFromIndex(10), "Invalid index", ETreeViewError);
        CHECK_THROWS_WITH_AS(items->GetNodeFromIndex(-1), "Invalid index", ETreeViewError);
        CHECK_THROWS_WITH_AS(b->Item(4), "List index out of bounds (4)", ETreeViewError);
    }
}

TEST_CASE("deleting a node deletes its children and items; a deletion sent to the window deletes the nodes")
{
    TTreeForm f;
    TTreeEvents ev;
    f.Tree->OnDeletion = MakeMethod<&TTreeEvents::Deletion>(&ev);
    FillGroups(f.Items, 3, 2);
    f.Tree->SetSelected(f.Items->GetNodeFromIndex(4));   // "g1.0", kept until there is a window
    f.Items->GetNodeFromIndex(3)->Delete();               // "g1"
    CHECK(ev.Log == TLog{"delete g1.0", "delete g1.1", "delete g1"});
    CHECK(f.Tree->Selected() == nullptr);
    CHECK(f.Items->Count() == 6);

    HWND wnd = f.Tree->Handle();
    ev.Log.clear();
    TTreeNode* g2 = f.Items->GetNodeFromIndex(3);
    SendMessageA(wnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(g2->GetFirstChild()->ItemId()));
    CHECK(ev.Log == TLog{"delete g2.0"});
    const AnsiString left = "g0\n g0.0\n g0.1\ng2\n g2.1\n";
    CHECK(Join(WindowOutline(wnd), NodeOutline(f.Items)) == Join(left, left));
    ev.Log.clear();
    SendMessageA(wnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    CHECK(ev.Log.size() == 5);
    CHECK(f.Items->Count() == 0);
    CHECK(f.Items->GetFirstNode() == nullptr);
    CHECK(WindowOutline(wnd).empty());
}

TEST_CASE("a re-created window gets every node back: texts, data, images, expanded state, selection")
{
    TTreeForm f;
    TTreeEvents ev;
    f.Tree->OnChange = MakeMethod<&TTreeEvents::Change>(&ev);
    f.Tree->OnChanging = MakeMethod<&TTreeEvents::Changing>(&ev);
    HWND before = f.Tree->Handle();
    FillGroups(f.Items, 40, 75);
    TTreeNode* g5 = f.Items->GetFirstNode();
    for (int i = 0; i < 5; ++i)
        g5 = g5->GetNextSibling();
    g5->Expand(false);
    f.Items->GetFirstNode()->Expand(false);
    f.Items->GetFirstNode()->Collapse(false);   // expanded once, collapsed again
    TTreeNode* picked = g5->Item(70);
    picked->SetData(picked);
    picked->SetImageIndex(3);
    picked->SetStateIndex(2);
    f.Tree->SetSelected(picked);
    ev.Log.clear();

    const AnsiString outline = NodeOutline(f.Items);
    f.Tree->RecreateWnd();
    HWND after = f.Tree->Handle();
    REQUIRE(after != before);
    CHECK(WindowOutline(after) == outline);
    CHECK(f.Items->Count() == 40 * 76);
    for (TTreeNode* n = f.Items->GetFirstNode(); n; n = n->GetNextSibling())
        CHECK_MESSAGE(n->Expanded() == (n == g5), n->Text());
    CHECK(f.Tree->Selected() == picked);
    CHECK(picked->Data() == picked);
    CHECK(picked->ImageIndex() == 3);
    CHECK((SendMessageA(after, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(picked->ItemId()), TVIS_STATEIMAGEMASK) ==
           INDEXTOSTATEIMAGEMASK(2)));
    CHECK(ev.Log.empty());   // coming back is no change of the selection
}

namespace {
// A shown tree of one node, "old", with the focus, its label events logged.
struct TEditingTree : TTreeForm {
    TTreeEvents Ev;
    TTreeNode* Node = Items->Add(nullptr, "old");
    TEditingTree()
    {
        ShowOnTop(Form.get());
        Tree->OnEditing = MakeMethod<&TTreeEvents::Editing>(&Ev);
        Tree->OnEdited = MakeMethod<&TTreeEvents::Edited>(&Ev);
        Tree->OnKeyDown = MakeMethod<&TTreeEvents::KeyDown>(&Ev);
        FocusOn(Tree);
    }
};
} // namespace

TEST_CASE("a label edit ended by Enter through the message loop presses no default button; refused edits make no edit window")
{
    TEditingTree t;
    auto* ok = Add<TButton>(t.Form.get(), 8, 360, 80, 24);
    ok->SetDefault(true);
    ok->OnClick = MakeMethod<&TTreeEvents::Click>(&t.Ev);
    REQUIRE(t.Node->EditText());
    SetWindowTextA(t.Tree->EditHandle(), "typed");
    PostMessageA(t.Tree->EditHandle(), WM_KEYDOWN, VK_RETURN, 1);
    Pump();
    CHECK(t.Node->Text() == "typed");
    CHECK(t.Ev.Log == TLog{"editing old", "key 13", "edited to typed"});

    // Refused by OnEditing, or read-only: no edit window, nothing edited.
    t.Ev.Log.clear();
    t.Ev.Refuse = true;
    CHECK_FALSE(t.Node->EditText());
    t.Ev.Refuse = false;
    t.Tree->SetReadOnly(true);
    CHECK_FALSE(t.Node->EditText());
    CHECK(t.Ev.Log == TLog{"editing typed"});
    CHECK(t.Tree->EditHandle() == nullptr);
}

TEST_CASE("a selection by the program fires the changing and change events, and a refused one changes nothing")
{
    TTreeForm f;
    ShowOnTop(f.Form.get());
    TTreeEvents ev;
    f.Tree->OnChanging = MakeMethod<&TTreeEvents::Changing>(&ev);
    f.Tree->OnChange = MakeMethod<&TTreeEvents::Change>(&ev);
    FillGroups(f.Items, 2, 2);
    FocusOn(f.Tree);
    TTreeNode* g0 = f.Items->GetFirstNode();
    TTreeNode* g1 = g0->GetNextSibling();
    TMsgRecorder rec;
    RecordTreeNotifications(rec, f.Form->Handle(), f.Tree->Handle(), {TVN_SELCHANGINGA, TVN_SELCHANGEDA});
    ev.Log.clear();
    f.Tree->SetSelected(g1);
    CHECK(ev.Log == TLog{"changing g1", "change g1"});
    CHECK_MESSAGES(rec, {"form", WM_NOTIFY, TVN_SELCHANGINGA, "tree"}, {"form", WM_NOTIFY, TVN_SELCHANGEDA, "tree"});

    // A refused change leaves the selection.
    ev.Log.clear();
    ev.Refuse = true;
    g0->SetSelected(true);
    CHECK(ev.Log == TLog{"changing g0"});
    CHECK(f.Tree->Selected() == g1);
}

namespace {

// The tree written as form data, and where its node records begin in the bytes.
AnsiString TreeFormData(TTreeView* Tree, size_t& Records)
{
    TStringStream data;
    data.WriteComponent(Tree);
    const AnsiString bytes = data.DataString();
    const size_t name = bytes.find("Items.Data");
    REQUIRE(name != AnsiString::npos);
    Records = name + 10 + 1 + 4;   // the name, the binary kind, the binary length
    return bytes;
}

void ReadTree(const AnsiString& Bytes, TTreeView* Into)
{
    TStringStream data(Bytes);
    data.ReadComponent(Into);
}

template <class T> void Poke(AnsiString& Bytes, size_t At, T Value)
{
    std::memcpy(Bytes.data() + At, &Value, sizeof(Value));
}

} // namespace

TEST_CASE("the nodes go through form data; damaged node records are refused whole")
{
    RegisterClass(TTreeView::StaticClassInfo());
    TTreeForm source;
    source.Tree->SetName("Tree1");
    source.Tree->SetShowLines(false);
    source.Tree->SetIndent(25);
    FillGroups(source.Items, 2, 2);
    TTreeNode* node = source.Items->GetNodeFromIndex(1);
    node->SetText(AnsiString(300, 'x'));
    node->SetImageIndex(4);
    node->SetStateIndex(1);
    node->SetData(reinterpret_cast<void*>(0x12345678));
    TTreeForm into;
    CheckRoundTrip(source.Tree, into.Tree, {"ShowLines", "Indent", "Items.Data"});
    TTreeNode* read = into.Items->GetNodeFromIndex(1);
    CHECK(read->Text() == AnsiString(255, 'x'));   // a record holds 255 bytes of text
    CHECK(read->ImageIndex() == 4);
    CHECK(read->StateIndex() == 1);
    CHECK(read->Data() == reinterpret_cast<void*>(0x12345678));
    CHECK(Join(NodeOutline(into.Items), WindowOutline(into.Tree->Handle())) ==
          Join(NodeOutline(source.Items).replace(4, 300, 255, 'x'), NodeOutline(into.Items)));

    // Each damage on its own: the root count, a record size, a text length, a child count,
    // and the records cut short. The tree read into keeps its nodes.
    node->SetText("short");
    size_t at = 0;
    const AnsiString good = TreeFormData(source.Tree, at);
    const size_t first = at + 4, second = first + 4 + 25 + 2;   // "g0", then "short"
    struct TDamage {
        const char* What;
        size_t At;
        int32_t Value;
        bool Byte;
    };
    for (const TDamage& d : {TDamage{"roots", at, 0x10000000, false}, TDamage{"roots", at, -1, false},
                             TDamage{"size", first, 0x7FFFFFF0, false}, TDamage{"size", first, 3, false},
                             TDamage{"text", first + 4 + 24, 200, true}, TDamage{"children", second + 4 + 20, 1000000, false},
                             TDamage{"children", second + 4 + 20, -5, false}}) {
        CAPTURE(d.What);
        AnsiString bad = good;
        if (d.Byte)
            bad[d.At] = static_cast<char>(d.Value);
        else
            Poke(bad, d.At, d.Value);
        const AnsiString before = NodeOutline(into.Items);
        CHECK_THROWS_WITH_AS(ReadTree(bad, into.Tree), "Invalid tree node data", EReadError);
        CHECK(NodeOutline(into.Items) == before);
    }
    // Cut inside the records: the binary value says fewer bytes, and they end early.
    AnsiString cut = good.substr(0, second) + good.substr(good.size() - 4);   // the form's end markers
    Poke<int32_t>(cut, at - 4, static_cast<int32_t>(second - at));
    CHECK_THROWS_AS(ReadTree(cut, into.Tree), EReadError);
    CHECK(into.Items->Count() == 6);
}

TEST_CASE("the node under a point, image lists given to the window, and look options as window styles")
{
    TTreeForm f;
    ShowOnTop(f.Form.get());
    FillGroups(f.Items, 3, 1);
    TTreeNode* g1 = f.Items->GetNodeFromIndex(2);
    RECT r{};
    const HTREEITEM item = g1->ItemId();
    std::memcpy(&r, &item, sizeof(item));   // the item goes in where the rectangle comes out
    REQUIRE(SendMessageA(f.Tree->Handle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)));
    CHECK(f.Tree->GetNodeAt((r.left + r.right) / 2, (r.top + r.bottom) / 2) == g1);
    CHECK(f.Tree->GetNodeAt(r.left, f.Tree->ClientHeight() - 2) == nullptr);

    auto* images = new TImageList(f.Form.get());
    f.Tree->SetImages(images);
    CHECK(SendMessageA(f.Tree->Handle(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0) == reinterpret_cast<LRESULT>(images->Handle()));
    delete images;
    CHECK(f.Tree->Images() == nullptr);
    CHECK(SendMessageA(f.Tree->Handle(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0) == 0);

    f.Tree->SetShowLines(false);
    f.Tree->SetReadOnly(true);
    f.Tree->SetToolTips(false);   // a new window
    CHECK((StyleOf(f.Tree->Handle()) & (TVS_HASLINES | TVS_EDITLABELS | TVS_NOTOOLTIPS | TVS_HASBUTTONS)) ==
          (TVS_NOTOOLTIPS | TVS_HASBUTTONS));
}
