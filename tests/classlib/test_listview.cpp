// The list view: items and columns kept by the control and shown by the window (also again,
// after the window is re-created), sorting, display information, owner data, label editing,
// the change events and the columns' bounds.
#include <doctest.h>
#include "classlib/comctrls.h"
#include "form_helpers.h"
#include "join.h"
#include "msgrecorder.h"

#include <cstring>
#include <vector>

namespace {

const AnsiString kPrivet = "\xCF\xF0\xE8\xE2\xE5\xF2";   // "Привет" in code page 1251

struct TListForm {
    std::unique_ptr<TForm> Form = MakeForm(420, 360);
    TListView* List = Add<TListView>(Form.get(), 8, 8, 380, 300);
    TListItems* Items = List->Items();
    TListForm()
    {
        List->SetViewStyle(vsReport);
        for (const char* c : {"Name", "Status"})
            List->Columns()->Add()->SetCaption(c);
    }
};

// The captions and sub-items of the items, "caption|sub|sub" a line.
AnsiString ItemOutline(TListItems* Items)
{
    AnsiString out;
    for (int i = 0; i < Items->Count(); ++i) {
        TListItem* item = Items->Item(i);
        out += item->Caption();
        for (int s = 0; s < item->SubItems()->Count(); ++s)
            out += "|" + item->SubItems()->Strings(s);
        out += "\n";
    }
    return out;
}

AnsiString WindowText(HWND List, int Item, int SubItem)
{
    char text[300] = {};
    LVITEMA lv{};
    lv.iSubItem = SubItem;
    lv.pszText = text;
    lv.cchTextMax = sizeof(text);
    SendMessageA(List, LVM_GETITEMTEXTA, static_cast<WPARAM>(Item), reinterpret_cast<LPARAM>(&lv));
    return text;
}

// The same outline read from the window: as many columns as each item has texts.
AnsiString WindowOutline(HWND List, TListItems* Items)
{
    AnsiString out;
    const int count = static_cast<int>(SendMessageA(List, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const int subs = i < Items->Count() ? Items->Item(i)->SubItems()->Count() : 0;
        out += WindowText(List, i, 0);
        for (int s = 1; s <= subs; ++s)
            out += "|" + WindowText(List, i, s);
        out += "\n";
    }
    return out;
}

void Fill(TListItems* Items, int Count)
{
    TUpdateScope<TListItems> update(Items);
    for (int i = 0; i < Count; ++i) {
        TListItem* item = Items->Add();
        item->SetCaption("item " + IntToStr(i));
        item->SubItems()->Add("s" + IntToStr(i));
    }
}

struct TListEvents {
    TLog Log;
    bool Refuse = false;
    AnsiString EditTo;
    static AnsiString Name(TListItem* Item) { return Item ? Item->Caption() : AnsiString("-"); }
    void Changing(TObject*, TListItem* Item, TItemChange Change, bool& Allow)
    {
        if (Change == ctState)
            Log.push_back("changing " + Name(Item));
        Allow = !Refuse;
    }
    void Select(TObject*, TListItem* Item, bool Selected) { Log.push_back((Selected ? "select " : "unselect ") + Name(Item)); }
    void Deletion(TObject*, TListItem* Item) { Log.push_back("delete " + Name(Item)); }
    void Insert(TObject*, TListItem*) { Log.push_back("insert"); }
    void Editing(TObject*, TListItem* Item, bool& Allow)
    {
        Log.push_back("editing " + Name(Item));
        Allow = !Refuse;
    }
    void Edited(TObject*, TListItem* Item, AnsiString& S)
    {
        Log.push_back("edited " + Name(Item) + " to " + S);
        if (!EditTo.empty())
            S = EditTo;
    }
    void Compare(TObject*, TListItem* A, TListItem* B, LPARAM, int& Result)
    {
        Result = -lstrcmpA(A->Caption().c_str(), B->Caption().c_str());
    }
    void Data(TObject*, TListItem* Item)
    {
        Item->SetCaption("row " + IntToStr(Item->Index()));
        Item->SubItems()->Add("sub " + IntToStr(Item->Index()));
    }
    void DataFind(TObject*, TItemFind Find, const AnsiString& S, const TPoint&, void*, int Start, TSearchDirection, bool,
                  int& Index)
    {
        Log.push_back("find " + IntToStr(Find) + " " + S + " from " + IntToStr(Start));
        Index = S.rfind("row ", 0) == 0 ? StrToInt(S.substr(4)) : -1;
    }
    void ColumnClick(TObject*, TListColumn* Column) { Log.push_back("column " + Column->Caption()); }
};

// By the length of the caption, then by the caption: a comparison a program might pass itself.
int CALLBACK ByLength(LPARAM A, LPARAM B, LPARAM Data)
{
    const AnsiString& a = reinterpret_cast<TListItem*>(A)->Caption();
    const AnsiString& b = reinterpret_cast<TListItem*>(B)->Caption();
    if (a.size() != b.size())
        return static_cast<int>(a.size()) - static_cast<int>(b.size());
    return static_cast<int>(Data) * lstrcmpA(a.c_str(), b.c_str());
}

} // namespace

TEST_CASE("items and columns are the control's: added, inserted and deleted with or without a window")
{
    for (bool windowFirst : {false, true}) {
        CAPTURE(windowFirst);
        TListForm f;
        TListEvents ev;
        f.List->OnDeletion = MakeMethod<&TListEvents::Deletion>(&ev);
        if (windowFirst)
            f.List->HandleNeeded();
        TListItem* b = f.Items->Add();
        b->SetCaption("b");
        b->SubItems()->Add("online");
        f.Items->Insert(0)->SetCaption("a");
        TListItem* c = f.Items->Add();
        c->SetCaption(kPrivet);
        c->SubItems()->Add("x");
        c->SubItems()->Add("beyond the columns");
        f.Items->Insert(1)->SetCaption("gone");
        f.Items->Delete(1);
        CHECK(ev.Log == TLog{"delete gone"});
        const AnsiString outline = "a\nb|online\n" + kPrivet + "|x|beyond the columns\n";
        HWND wnd = f.List->Handle();
        CHECK(Join(ItemOutline(f.Items), WindowOutline(wnd, f.Items)) == Join(outline, outline));
        CHECK(Join(c->Index(), f.Items->IndexOf(c), b->Index()) == "2 2 1");
        c->SubItems()->Strings(0);
        c->SubItems()->SetStrings(0, "y");
        CHECK(WindowText(wnd, 2, 1) == "y");
        char name[32] = {};
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT;
        col.pszText = name;
        col.cchTextMax = sizeof(name);
        SendMessageA(wnd, LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&col));
        CHECK(AnsiString(name) == "Status");
        CHECK_THROWS_WITH_AS(f.Items->Item(3), "List index out of bounds (3)", EListError);
        CHECK_THROWS_AS(f.Items->SetCount(10), EListError);
        // A deletion sent to the window from outside deletes the item.
        ev.Log.clear();
        SendMessageA(wnd, LVM_DELETEITEM, 0, 0);
        CHECK(ev.Log == TLog{"delete a"});
        CHECK(ItemOutline(f.Items) == WindowOutline(wnd, f.Items));
    }
}

TEST_CASE("a re-created window gets every item back: texts, sub-items, states and the top item")
{
    TListForm f;
    ShowOnTop(f.Form.get());
    f.List->SetMultiSelect(true);
    TListEvents ev;
    f.List->OnSelectItem = MakeMethod<&TListEvents::Select>(&ev);
    HWND before = f.List->Handle();
    Fill(f.Items, 3000);
    f.Items->Item(2999)->SubItems()->Add("last");
    for (int i : {5, 2000, 2998})
        f.Items->Item(i)->SetSelected(true);
    f.Items->Item(2000)->SetFocused(true);
    f.Items->Item(2950)->MakeVisible(false);
    f.List->Scroll(0, -20 * f.Items->Item(0)->DisplayRect(drBounds).Height());
    const int top = f.List->TopItem()->Index();
    REQUIRE(top > 2500);
    ev.Log.clear();
    const AnsiString outline = ItemOutline(f.Items);

    f.List->RecreateWnd();
    HWND after = f.List->Handle();
    REQUIRE(after != before);
    CHECK(WindowOutline(after, f.Items) == outline);
    CHECK(Join(f.List->SelCount(), f.List->Selected()->Index(), f.List->ItemFocused()->Index(), f.List->TopItem()->Index()) ==
          Join(3, 5, 2000, top));
    CHECK(ev.Log.empty());   // coming back is no change of the selection

    // Without a window the items keep what they had, and a new window gets it.
    f.List->SetParent(nullptr);
    CHECK_FALSE(f.List->HandleAllocated());
    CHECK(f.Items->Item(2998)->Selected());
    f.Items->Item(5)->SetSelected(false);
    f.Items->Item(7)->SetCaption("changed");
    f.List->SetParent(f.Form.get());
    CHECK(WindowText(f.List->Handle(), 7, 0) == "changed");
    CHECK(Join(f.List->SelCount(), f.List->Selected()->Index()) == "2 2000");
}

TEST_CASE("sorting by the captions, by OnCompare and by a comparison of the program's, with and without a window")
{
    for (bool window : {true, false}) {
        CAPTURE(window);
        TListForm f;
        TListEvents ev;
        if (window)
            f.List->HandleNeeded();
        for (const char* s : {"pear", "fig", "apple", "kiwi", "banana"})
            f.List->AddItem(s, nullptr);
        CHECK(f.List->AlphaSort());
        CHECK(ItemOutline(f.Items) == "apple\nbanana\nfig\nkiwi\npear\n");
        f.List->OnCompare = MakeMethod<&TListEvents::Compare>(&ev);
        f.List->AlphaSort();
        CHECK(ItemOutline(f.Items) == "pear\nkiwi\nfig\nbanana\napple\n");
        CHECK(f.Items->Item(0)->Index() == 0);
        f.List->CustomSort(&ByLength, -1);
        CHECK(ItemOutline(f.Items) == "fig\npear\nkiwi\napple\nbanana\n");
        if (window)
            CHECK(WindowOutline(f.List->Handle(), f.Items) == ItemOutline(f.Items));
    }
}

TEST_CASE("the window's questions for texts are answered within the buffer it gives, however small")
{
    TListForm f;
    TListItem* item = f.Items->Add();
    item->SetCaption(kPrivet);
    HWND wnd = f.List->Handle();
    char buf[8];
    const auto ask = [&](char* Buffer, int Size) {
        NMLVDISPINFOA info{};
        info.hdr.hwndFrom = wnd;
        info.hdr.code = LVN_GETDISPINFOA;
        info.item.mask = LVIF_TEXT | LVIF_PARAM;
        info.item.lParam = reinterpret_cast<LPARAM>(item);
        info.item.pszText = Buffer;
        info.item.cchTextMax = Size;
        f.List->Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    };
    std::memset(buf, '#', sizeof(buf));
    for (int size : {0, -5})
        ask(buf + 1, size);
    ask(nullptr, 8);
    CHECK(AnsiString(buf, sizeof(buf)) == "########");
    ask(buf, 4);
    CHECK(AnsiString(buf, 5) == kPrivet.substr(0, 3) + AnsiString(1, '\0') + "#");
}

TEST_CASE("owner data: the window shows the count, OnData fills the passing item, OnDataFind finds")
{
    TListForm f;
    TListEvents ev;
    f.List->SetOwnerData(true);
    f.List->OnData = MakeMethod<&TListEvents::Data>(&ev);
    f.List->OnDataFind = MakeMethod<&TListEvents::DataFind>(&ev);
    f.Items->SetCount(10000);
    HWND wnd = f.List->Handle();
    CHECK(SendMessageA(wnd, LVM_GETITEMCOUNT, 0, 0) == 10000);
    CHECK(Join(WindowText(wnd, 9999, 0), WindowText(wnd, 9999, 1), WindowText(wnd, 9999, 2).empty()) ==
          Join(AnsiString("row 9999"), AnsiString("sub 9999"), true));
    CHECK(f.Items->Item(42)->Caption() == "row 42");
    CHECK(f.List->FindCaption(0, "row 777", false, true, false)->Index() == 777);
    CHECK(ev.Log == TLog{"find 2 row 777 from -1"});
    CHECK_THROWS_AS(f.Items->Add(), EListError);
    // Re-created, the window has the count again; switched off, the list has items again.
    f.List->RecreateWnd();
    CHECK(WindowText(f.List->Handle(), 5000, 1) == "sub 5000");
    f.List->SetOwnerData(false);
    CHECK(f.Items->Count() == 0);
    f.Items->Add()->SetCaption("own");
    CHECK(WindowText(f.List->Handle(), 0, 0) == "own");
}

namespace {
// A shown list of one item, "old", with the focus, its label events logged.
struct TEditingList : TListForm {
    TListEvents Ev;
    TListItem* Item = Items->Add();
    TEditingList()
    {
        Item->SetCaption("old");
        ShowOnTop(Form.get());
        List->OnEditing = MakeMethod<&TListEvents::Editing>(&Ev);
        List->OnEdited = MakeMethod<&TListEvents::Edited>(&Ev);
        FocusOn(List);
    }
    void Edit(const AnsiString& Typed, WPARAM EndKey)
    {
        REQUIRE(Item->EditCaption());
        HWND wnd = List->EditHandle();
        REQUIRE(wnd);
        SendMessageA(wnd, EM_SETSEL, 0, -1);
        for (char c : Typed)
            SendMessageA(wnd, WM_CHAR, static_cast<uint8_t>(c), 1);
        SendMessageA(wnd, WM_KEYDOWN, EndKey, 1);
        Pump();
        CHECK_FALSE(List->IsEditing());
    }
};
} // namespace

TEST_CASE("captions are edited in place: typed text and Enter, a handler's text, Escape, a refusal")
{
    TEditingList t;
    t.Edit("new " + kPrivet, VK_RETURN);
    CHECK(t.Item->Caption() == "new " + kPrivet);
    CHECK(t.Ev.Log == TLog{"editing old", "edited old to new " + kPrivet});
    t.Ev.Log.clear();
    t.Ev.EditTo = "handler's";
    t.Edit("typed", VK_RETURN);
    CHECK(t.Item->Caption() == "handler's");
    t.Ev.Log.clear();
    t.Edit("dropped", VK_ESCAPE);
    CHECK(t.Item->Caption() == "handler's");
    CHECK(t.Ev.Log == TLog{"editing handler's"});
    t.Ev.Refuse = true;
    CHECK_FALSE(t.Item->EditCaption());
    t.List->SetReadOnly(true);
    t.Ev.Refuse = false;
    CHECK_FALSE(t.Item->EditCaption());
}

TEST_CASE("selection by the program and by keys tells the change events; a refused change keeps the selection")
{
    TListForm f;
    ShowOnTop(f.Form.get());
    TListEvents ev;
    f.List->OnChanging = MakeMethod<&TListEvents::Changing>(&ev);
    f.List->OnSelectItem = MakeMethod<&TListEvents::Select>(&ev);
    f.List->OnInsert = MakeMethod<&TListEvents::Insert>(&ev);
    Fill(f.Items, 3);
    CHECK(ev.Log == TLog{"insert", "insert", "insert"});
    FocusOn(f.List);
    ev.Log.clear();
    f.List->SetSelected(f.Items->Item(0));
    CHECK(ev.Log == TLog{"changing item 0", "select item 0", "changing item 0"});
    ev.Log.clear();
    SendMessageA(f.List->Handle(), WM_KEYDOWN, VK_DOWN, 1);
    CHECK(f.List->ItemIndex() == 1);
    CHECK(std::count(ev.Log.begin(), ev.Log.end(), "select item 1") == 1);
    CHECK(std::count(ev.Log.begin(), ev.Log.end(), "unselect item 0") == 1);
    ev.Refuse = true;
    f.List->SetItemIndex(2);
    CHECK(f.List->ItemIndex() == 1);
}

TEST_CASE("a column keeps its width within its bounds however the window sizes it; a header click is told")
{
    TListForm f;
    ShowOnTop(f.Form.get());
    TListEvents ev;
    f.List->OnColumnClick = MakeMethod<&TListEvents::ColumnClick>(&ev);
    TListColumn* name = f.List->Column(0);
    name->SetMaxWidth(120);
    name->SetMinWidth(40);
    HWND wnd = f.List->Handle();
    SendMessageA(wnd, LVM_SETCOLUMNWIDTH, 0, 300);
    CHECK(Join(SendMessageA(wnd, LVM_GETCOLUMNWIDTH, 0, 0), name->Width()) == "120 120");
    SendMessageA(wnd, LVM_SETCOLUMNWIDTH, 0, 10);
    CHECK(name->Width() == 40);
    name->SetWidth(500);
    CHECK(SendMessageA(wnd, LVM_GETCOLUMNWIDTH, 0, 0) == 120);

    RECT r{};
    HWND header = f.List->HeaderHandle();
    SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(header, WM_LBUTTONUP, 0, at);
    CHECK(ev.Log == TLog{"column Status"});
}

TEST_CASE("columns go through form data; an item class of the program's is made for every item")
{
    RegisterClass(TListView::StaticClassInfo());
    TListForm source, into;
    source.List->SetName("List1");
    source.List->Column(1)->SetWidth(77);
    source.List->Column(1)->SetAlignment(taRightJustify);
    into.List->Columns()->Clear();
    CheckRoundTrip(source.List, into.List, {"ViewStyle", "Columns", "Status"});
    CHECK(Join(into.List->Columns()->Count(), into.List->Column(1)->Width(), into.List->Column(1)->Alignment()) ==
          Join(2, 77, taRightJustify));

    struct TTagged : TListItem {
        using TListItem::TListItem;
        int Tag = 7;
    };
    struct TChooser {
        static void Choose(void*, TCustomListView*, const TListItemClass*& Class) { Class = &ListItemClassOf<TTagged>(); }
    };
    into.List->OnCreateItemClass = TLVCreateItemClassEvent(nullptr, &TChooser::Choose);
    auto* item = dynamic_cast<TTagged*>(into.Items->Add());
    REQUIRE(item);
    CHECK(item->Tag == 7);
}
