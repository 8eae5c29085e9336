// The Unicode tree view on the skinned tree view, with a skin applied.
#include "pointer.h"
#include "skinctlfixture.h"
#include "treeitems.h"
#include "skinctl/uctreeview.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

// Characters outside the Basic Multilingual Plane: each is a pair of UTF-16 surrogates.
const WideString Smile = L"\xD83D\xDE00";     // U+1F600
const WideString Deseret = L"\xD801\xDC00";   // U+10400

struct TTreeForm : TSkinFixture {
    TUcTreeView* Tree = Place<TUcTreeView>(Form, 8, 8, 300, 180);
    TUcTreeNodes* Items = Tree->Items();
};

// The nodes' wide texts in the walk, each indented by its level.
WideString NodeOutline(TUcTreeNodes* Items)
{
    WideString out;
    for (TUcTreeNode* n = Items->GetFirstNode(); n; n = n->GetNext())
        out += WideString(static_cast<size_t>(n->Level()), L' ') + n->Text() + L"\n";
    return out;
}

WideString ItemText(HWND Tree, HTREEITEM Item)
{
    WideChar text[600] = {};
    TVITEMW tv{TVIF_TEXT, Item, 0, 0, text, 600};
    SendMessageW(Tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return text;
}

// The window's items as the same outline, their texts asked for in the order of the walk or
// from the last item back to the first.
WideString WindowOutline(HWND Tree, bool Backwards = false)
{
    const auto items = TreeWindowItems(Tree);
    std::vector<WideString> texts(items.size());
    for (size_t k = 0; k < items.size(); ++k) {
        const size_t i = Backwards ? items.size() - 1 - k : k;
        texts[i] = WideString(static_cast<size_t>(items[i].second), L' ') + ItemText(Tree, items[i].first) + L"\n";
    }
    return std::accumulate(texts.begin(), texts.end(), WideString());
}

// Groups of wide texts: Cyrillic, Greek (no ANSI form: Greek and Sigma share "?????") and
// characters outside the Basic Multilingual Plane, numbered.
void FillGroups(TUcTreeNodes* Items, int Groups, int PerGroup)
{
    const WideString words[] = {Cyrillic, Greek, Sigma, Smile + Deseret};
    TUpdateScope<TTreeNodes> update(Items);
    for (int g = 0; g < Groups; ++g) {
        TUcTreeNode* group = Items->Add(nullptr, words[g % 4] + std::to_wstring(g));
        for (int c = 0; c < PerGroup; ++c)
            Items->AddChild(group, words[(g + c) % 4] + std::to_wstring(g) + L"." + std::to_wstring(c));
    }
}

struct TTreeEvents {
    std::vector<WideString> Log;
    bool Refuse = false;
    WideString WideTo;
    AnsiString AnsiTo;
    void Edited(TObject*, TTreeNode* Node, WideString& S)
    {
        Log.push_back(L"edited " + TreeNodeWideText(Node) + L" to " + S);
        if (!WideTo.empty())
            S = WideTo;
    }
    void AnsiEdited(TObject*, TTreeNode*, AnsiString& S)
    {
        Log.push_back(L"ansi " + AnsiToWide(S));
        if (!AnsiTo.empty())
            S = AnsiTo;
    }
    void CancelEdit(TObject*, TTreeNode* Node) { Log.push_back(L"cancel " + TreeNodeWideText(Node)); }
    void Changing(TObject*, TTreeNode* Node, bool& Allow)
    {
        Log.push_back(L"changing " + TreeNodeWideText(Node));
        Allow = !Refuse;
    }
    void Change(TObject*, TTreeNode* Node) { Log.push_back(L"change " + TreeNodeWideText(Node)); }
    void Expanded(TObject*, TTreeNode* Node) { Log.push_back(L"expanded " + TreeNodeWideText(Node)); }
    void KeyPress(TObject*, char& Key) { Log.push_back(L"key " + std::to_wstring(static_cast<uint8_t>(Key))); }
    void Reverse(TObject*, TTreeNode* A, TTreeNode* B, LPARAM, int& Result)
    {
        Result = -lstrcmpW(TreeNodeWideText(A).c_str(), TreeNodeWideText(B).c_str());
    }
    void CreateClass(TCustomTreeView*, const TTreeNodeClass*& Class) { Class = &TreeNodeClassOf<TTreeNode>(); }
};

AnsiString WriteTree(TComponent* Tree)
{
    TStringStream data;
    data.WriteComponent(Tree);
    return data.DataString();
}

void ReadTree(const AnsiString& Bytes, TComponent* Into)
{
    TStringStream data(Bytes);
    data.ReadComponent(Into);
}

// Longer texts first; texts of one length stay in their order.
int CALLBACK LongerFirst(LPARAM A, LPARAM B, LPARAM)
{
    return static_cast<int>(TreeNodeWideText(reinterpret_cast<TTreeNode*>(B)).size()) -
           static_cast<int>(TreeNodeWideText(reinterpret_cast<TTreeNode*>(A)).size());
}

} // namespace

TEST_CASE("wide node texts come from the nodes, also for every node of a re-created window in any order asked, and not cut inside a pair")
{
    TTreeForm f;
    f.Show();
    HWND before = f.Tree->Handle();
    CHECK(Join(IsWindowUnicode(before) != 0, SendMessageW(before, CCM_GETUNICODEFORMAT, 0, 0) != 0) == Join(true, true));
    FillGroups(f.Items, 30, 99);
    f.Items->GetNodeFromIndex(100)->Expand(false);   // the second group; the others are never shown
    // Two nodes whose ANSI forms are the same keep their own texts; a text whose ANSI form is
    // the node's ANSI text already is still shown.
    TUcTreeNode* greek = f.Items->GetFirstNode()->Item(1);
    TUcTreeNode* sigma = f.Items->GetFirstNode()->Item(2);
    REQUIRE(WideToAnsi(greek->Text().substr(0, 5)) == WideToAnsi(sigma->Text().substr(0, 5)));
    greek->SetText(Sigma + L"0.1");
    CHECK(ItemText(before, greek->ItemId()) == Sigma + L"0.1");
    // Changed behind the wide layer: the ANSI text wins.
    sigma->TTreeNode::SetText("plain");
    CHECK(Join(sigma->Text(), ItemText(before, sigma->ItemId())) == Join(L"plain", L"plain"));

    const WideString outline = NodeOutline(f.Items);
    f.Tree->RecreateWnd();
    HWND after = f.Tree->Handle();
    REQUIRE(after != before);
    CHECK(WindowOutline(after, true) == outline);
    f.Tree->RecreateWnd();
    CHECK(WindowOutline(f.Tree->Handle()) == outline);
    TUcTreeNode* root = f.Items->AddChild(nullptr, L"ab" + Smile);   // no parent: a root node
    CHECK(Join(root->Parent() == nullptr, f.Items->GetNodeFromIndex(f.Items->Count() - 1) == root) == Join(true, true));

    // The wide display-info questions: no buffer or no room takes nothing, a short buffer
    // keeps a surrogate pair whole.
    WideChar buf[6];
    std::fill(std::begin(buf), std::end(buf), L'#');
    AskItemText(f.Tree, root->ItemId(), root, buf, 0);
    AskItemText(f.Tree, root->ItemId(), root, static_cast<WideChar*>(nullptr), 6);
    CHECK(WideString(buf, 6) == L"######");
    AskItemText(f.Tree, root->ItemId(), root, buf, 4);   // room for three: "ab" and half the pair
    CHECK(WideString(buf, 4) == WideString(L"ab\0#", 4));
    AskItemText(f.Tree, root->ItemId(), root, buf, 5);
    CHECK(WideString(buf, 5) == L"ab" + Smile + WideString(1, L'\0'));
}

TEST_CASE("sorting goes by the wide texts or OnCompare, with and without a window; a program's comparison stays")
{
    for (bool window : {true, false}) {
        CAPTURE(window);
        TTreeForm f;
        if (window)
            f.Tree->HandleNeeded();
        // The ANSI forms are question marks all alike: only the wide texts can order them.
        for (const wchar_t* text : {L"\x03A9\x03BC", L"\x0392\x03B7", L"\x0391\x03BB"}) {
            TUcTreeNode* group = f.Items->Add(nullptr, text);
            for (const wchar_t* child : {L"\x0436", L"\x0430", L"\x0431"})
                f.Items->AddChild(group, child);
        }
        f.Tree->AlphaSort();
        const WideString sorted = L"\x0391\x03BB\n \x0430\n \x0431\n \x0436\n\x0392\x03B7\n \x0430\n \x0431\n \x0436\n"
                                  L"\x03A9\x03BC\n \x0430\n \x0431\n \x0436\n";
        CHECK(NodeOutline(f.Items) == sorted);
        if (window)
            CHECK(WindowOutline(f.Tree->Handle()) == sorted);
        TTreeEvents ev;
        f.Tree->OnCompare = MakeMethod<&TTreeEvents::Reverse>(&ev);
        f.Tree->AlphaSort(false);
        CHECK(f.Items->GetFirstNode()->Text() == L"\x03A9\x03BC");
        // A comparison of the program's own goes to the window as it is: by length only, a
        // stable order keeps the wide order of equal lengths.
        f.Items->GetFirstNode()->CustomSort(&LongerFirst, 0);
        CHECK(NodeOutline(f.Items).rfind(L"\x03A9\x03BC\n \x0430\n \x0431\n \x0436\n", 0) == 0);
    }
}

TEST_CASE("wide label editing: typed characters beyond ANSI and the Basic Multilingual Plane, Enter and Escape")
{
    TTreeForm f;
    f.Show();
    TTreeEvents ev;
    f.Tree->OnCancelEdit = MakeMethod<&TTreeEvents::CancelEdit>(&ev);
    f.Tree->OnKeyPress = MakeMethod<&TTreeEvents::KeyPress>(&ev);
    TUcTreeNode* node = f.Items->Add(nullptr, Greek);
    f.Tree->SetFocus();
    Pump();
    TMsgRecorder rec;
    RecordTreeNotifications(rec, f.Form->Handle(), f.Tree->Handle(), {TVN_BEGINLABELEDITW, TVN_ENDLABELEDITW});
    const auto edit = [&](const WideString& Typed, WPARAM EndKey) {
        REQUIRE(SendMessageW(f.Tree->Handle(), TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(node->ItemId())));
        HWND wnd = f.Tree->EditHandle();
        REQUIRE(wnd);
        CHECK(IsWindowUnicode(wnd));
        WideChar shown[64] = {};
        GetWindowTextW(wnd, shown, 64);
        CHECK(shown == node->Text());
        SendMessageW(wnd, EM_SETSEL, 0, -1);
        for (WideChar c : Typed)
            SendMessageW(wnd, WM_CHAR, c, 1);
        SendMessageW(wnd, WM_KEYDOWN, EndKey, 1);
        Pump();
        CHECK_FALSE(f.Tree->IsEditing());
    };
    // The wide handler sees the wide text; the node takes what it leaves.
    f.Tree->OnEdited = MakeMethod<&TTreeEvents::Edited>(&ev);
    edit(Cyrillic + Smile, VK_RETURN);
    CHECK(Join(node->Text(), ev.Log.back()) == Join(Cyrillic + Smile, L"edited " + Greek + L" to " + Cyrillic + Smile));
    // Six Cyrillic letters and the two halves of the pair reach the key handling packed.
    CHECK(std::count(ev.Log.begin(), ev.Log.end(), L"key 255") == 8);
    CHECK_MESSAGES(rec, {"form", WM_NOTIFY, TVN_BEGINLABELEDITW, "tree"}, {"form", WM_NOTIFY, TVN_ENDLABELEDITW, "tree"});
    ev.WideTo = Chinese;
    edit(L"x", VK_RETURN);
    CHECK(node->Text() == Chinese);

    // The library's ANSI handler: a text it leaves as it is keeps its characters; one it
    // changes replaces it.
    f.Tree->OnEdited = nullptr;
    f.Tree->TCustomTreeView::OnEdited = MakeMethod<&TTreeEvents::AnsiEdited>(&ev);
    ev.Log.clear();
    edit(Greek + Deseret, VK_RETURN);
    CHECK(Join(node->Text(), ev.Log.back()) == Join(Greek + Deseret, L"ansi " + AnsiToWide(WideToAnsi(Greek + Deseret))));
    ev.AnsiTo = "plain";
    edit(Greek, VK_RETURN);
    CHECK(node->Text() == L"plain");
    ev.Log.clear();
    edit(Sigma, VK_ESCAPE);
    CHECK(Join(node->Text(), ev.Log.back()) == Join(L"plain", L"cancel plain"));
}

TEST_CASE("the wide selection and expansion notifications fire the change and expansion events")
{
    TTreeForm f;
    f.Show();
    TTreeEvents ev;
    f.Tree->OnChanging = MakeMethod<&TTreeEvents::Changing>(&ev);
    f.Tree->OnChange = MakeMethod<&TTreeEvents::Change>(&ev);
    f.Tree->OnExpanded = MakeMethod<&TTreeEvents::Expanded>(&ev);
    FillGroups(f.Items, 2, 2);
    f.Tree->SetFocus();
    Pump();
    TMsgRecorder rec;
    RecordTreeNotifications(rec, f.Form->Handle(), f.Tree->Handle(), {TVN_SELCHANGINGW, TVN_SELCHANGEDW, TVN_SELCHANGINGA, TVN_SELCHANGEDA});
    TUcTreeNode* second = f.Items->GetFirstNode()->GetNextSibling();
    f.Tree->SetSelected(second);
    CHECK_MESSAGES(rec, {"form", WM_NOTIFY, TVN_SELCHANGINGW, "tree"}, {"form", WM_NOTIFY, TVN_SELCHANGEDW, "tree"});
    CHECK(ev.Log == std::vector<WideString>{L"changing " + second->Text(), L"change " + second->Text()});
    ev.Log.clear();
    SendMessageW(f.Tree->Handle(), WM_KEYDOWN, VK_RIGHT, 1);
    SendMessageW(f.Tree->Handle(), WM_KEYDOWN, VK_DOWN, 1);
    const WideString child = second->GetFirstChild()->Text();
    CHECK(ev.Log == std::vector<WideString>{L"expanded " + second->Text(), L"changing " + child, L"change " + child});
    ev.Refuse = true;
    f.Tree->SetSelected(f.Items->GetFirstNode());
    CHECK(f.Tree->Selected() == second->GetFirstChild());
}

TEST_CASE("the nodes' wide texts go through form data as Utf8Data, damaged records refused whole, and through Assign")
{
    TTreeForm source, into;
    source.Tree->SetName("Tree1");
    FillGroups(source.Items, 2, 2);
    // 300 characters, one pair across the 255-byte end of the record: cut before the pair.
    WideString longText = WideString(126, L'\x0436') + Smile + WideString(172, L'a');
    source.Items->GetNodeFromIndex(1)->SetText(longText);
    source.Items->GetNodeFromIndex(2)->SetImageIndex(7);
    // With its window the tree has taken the skin's colours, as a tree read does.
    source.Tree->HandleNeeded();
    const AnsiString bytes = WriteTree(source.Tree);
    CHECK(Join(bytes.find("Items.Data") != AnsiString::npos, bytes.find("Items.Utf8Data") != AnsiString::npos) ==
          Join(true, true));
    ReadTree(bytes, into.Tree);
    // The mark (3 bytes) and 126 two-byte letters fill 255 bytes: the pair does not fit.
    CHECK(into.Items->GetNodeFromIndex(1)->Text() == WideString(126, L'\x0436'));
    longText.resize(126);
    source.Items->GetNodeFromIndex(1)->SetText(longText);
    CHECK(NodeOutline(into.Items) == NodeOutline(source.Items));
    CHECK(WriteTree(into.Tree) == WriteTree(source.Tree));
    CHECK(WindowOutline(into.Tree->Handle()) == NodeOutline(source.Items));

    // A wrong child count, and the records cut short: the damaged records make nothing; the
    // nodes are the whole ones of the library's "Data", read before them.
    const size_t at = bytes.find("Items.Utf8Data") + 14 + 1 + 4;
    AnsiString bad = bytes;
    const int32_t children = 1000;
    std::memcpy(bad.data() + at + 4 + 4 + 20, &children, 4);
    CHECK_THROWS_WITH_AS(ReadTree(bad, into.Tree), "Invalid tree node data", EReadError);
    CHECK(Join(into.Items->Count(), into.Items->GetFirstNode()->Text()) == Join(6, Cyrillic + L"0"));
    bad = bytes;
    const int32_t shorter = 30;
    std::memcpy(bad.data() + at - 4, &shorter, 4);
    bad = bad.substr(0, at + 30) + bad.substr(bad.size() - 2);
    CHECK_THROWS_AS(ReadTree(bad, into.Tree), EReadError);
    CHECK(Join(into.Items->Count(), into.Items->GetFirstNode()->Text()) == Join(6, Cyrillic + L"0"));

    // Assigned, node by node, the wide texts stay whole.
    longText = WideString(150, L'\x03A9') + Smile + WideString(150, L'\x0436');
    source.Items->GetNodeFromIndex(1)->SetText(longText);
    into.Items->Assign(source.Items);
    CHECK(NodeOutline(into.Items) == NodeOutline(source.Items));
    CHECK(ItemText(into.Tree->Handle(), into.Items->GetNodeFromIndex(2)->ItemId()) == source.Items->GetNodeFromIndex(2)->Text());
}

TEST_CASE("node classes must be Unicode nodes; common-control windows need a system class")
{
    TTreeForm f;
    TTreeEvents ev;
    f.Tree->OnCreateNodeClass = MakeMethod<&TTreeEvents::CreateClass>(&ev);
    CHECK_THROWS_WITH_AS(f.Items->Add(nullptr, L"x"),
                         "Internal Error: OnCreateNodeClass.ItemClass must inherit from TUcTreeNode.", EUcInternalError);
    CHECK(f.Items->Count() == 0);
    TCreateParams params;
    CHECK_THROWS_AS(CreateUnicodeHandle_ComCtl(f.Tree, params, WideString()), EAssertionFailed);
}

TEST_CASE("on common controls older than 4.71 a long item's tooltip is its first 79 characters")
{
    TTreeForm f;
    f.Show();
    TUcTreeNode* longNode = f.Items->Add(nullptr, WideString(78, L'\x0436') + Smile + L"tail");
    TUcTreeNode* shortNode = f.Items->Add(nullptr, Greek);
    TRestore<DWORD (*)()> restore(UcCommonControlsVersion);
    UcCommonControlsVersion = [] { return static_cast<DWORD>(MAKELONG(70, 4)); };
    // The mouse on a node, then the tooltip's question as the tree would get it.
    THeldPointer pointer;
    const auto ask = [&](TUcTreeNode* Node, NMTTDISPINFOW& Info) {
        RECT r{};
        *reinterpret_cast<HTREEITEM*>(&r) = Node->ItemId();   // the item named as the message asks
        SendMessageW(f.Tree->Handle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
        POINT p{r.left + 2, (r.top + r.bottom) / 2};
        ClientToScreen(f.Tree->Handle(), &p);
        pointer.MoveTo(p);
        const HWND tips = reinterpret_cast<HWND>(SendMessageW(f.Tree->Handle(), TVM_GETTOOLTIPS, 0, 0));
        Info = NMTTDISPINFOW{{tips, 0, UINT(TTN_NEEDTEXTW)}, nullptr, {}, nullptr, TTF_IDISHWND, 0};
        std::fill(std::begin(Info.szText), std::end(Info.szText), L'#');
        return f.Tree->Perform(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&Info));
    };
    NMTTDISPINFOW info;
    CHECK(ask(longNode, info) == 1);
    // 79 characters would cut the pair.
    CHECK(Join(info.lpszText == info.szText, info.hinst == nullptr, WideString(info.szText)) ==
          Join(true, true, WideString(78, L'\x0436')));
    ask(shortNode, info);
    CHECK(info.szText[0] == L'#');
    UcCommonControlsVersion = [] { return static_cast<DWORD>(MAKELONG(81, 5)); };
    ask(longNode, info);
    CHECK(info.szText[0] == L'#');
}

TEST_CASE("without the wide calls the tree is the library's ANSI tree: ANSI texts, the ANSI sort, ANSI label edits")
{
    TAnsiPlatform ansi;
    TTreeForm f;
    f.Show();
    TUcTreeNode* node = f.Items->Add(nullptr, Cyrillic);
    f.Items->Add(nullptr, L"\x0430");
    HWND wnd = f.Tree->Handle();
    CHECK_FALSE(IsWindowUnicode(wnd));
    char text[32] = {};
    TVITEMA item{TVIF_TEXT, node->ItemId(), 0, 0, text, sizeof(text)};
    SendMessageA(wnd, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    CHECK(AnsiString(text) == WideToAnsi(Cyrillic));
    f.Tree->AlphaSort();
    CHECK(f.Items->GetFirstNode()->Text() == L"\x0430");

    f.Tree->SetFocus();
    REQUIRE(node->EditText());
    for (char c : WideToAnsi(CyrFile))
        SendMessageA(f.Tree->EditHandle(), WM_CHAR, static_cast<uint8_t>(c), 1);
    SendMessageA(f.Tree->EditHandle(), WM_KEYDOWN, VK_RETURN, 1);
    CHECK(node->Text() == CyrFile);
}
