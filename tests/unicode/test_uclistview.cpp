// The Unicode list view and status bar: wide columns, items and sub-items read back through the
// wide messages (also after the window is re-created, and from owner data), the wide sort,
// wide label editing both ways, the window's text questions within their buffers; wide panel
// texts with their alignment, the wide simple text and wide hints.
#include "ucwin.h"

#include "classlib/actnlist.h"
#include "join.h"
#include "unicode/uccomctrls.h"
#include "unicode/ucforms.h"

#include <algorithm>
#include <vector>

namespace {

const WideString Names[] = {L"Алёна Петрова", L"Γιώργος", L"王小明", L"Ελένη", L"Дмитрий", L"李华"};

struct TUcListForm : TTestForm<> {
    TUcListView* List = Add<TUcListView>(8, 8, 330, 200);
    TUcListForm()
    {
        List->SetViewStyle(vsReport);
        List->Columns()->Add()->SetCaption(L"Имя");
        List->Columns()->Add()->SetCaption(L"Κατάσταση · 状态");
    }
    HWND Wnd() { return List->Handle(); }
};

WideString ItemText(HWND List, int Item, int SubItem)
{
    WideChar text[300] = {};
    LVITEMW lv{};
    lv.iSubItem = SubItem;
    lv.pszText = text;
    lv.cchTextMax = 300;
    SendMessageW(List, LVM_GETITEMTEXTW, static_cast<WPARAM>(Item), reinterpret_cast<LPARAM>(&lv));
    return text;
}

// Every item's caption and sub-items as the window gives them, "caption|sub" a line.
WideString WindowOutline(HWND List, int Columns)
{
    WideString out;
    const int count = static_cast<int>(SendMessageW(List, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        out += ItemText(List, i, 0);
        for (int s = 1; s < Columns; ++s)
            out += L"|" + ItemText(List, i, s);
        out += L"\n";
    }
    return out;
}

WideString ItemOutline(TUcListItems* Items, int Columns)
{
    WideString out;
    for (int i = 0; i < Items->Count(); ++i) {
        out += Items->Item(i)->Caption();
        for (int s = 1; s < Columns; ++s)
            out += L"|" + Items->Item(i)->ColumnText(s);
        out += L"\n";
    }
    return out;
}

void FillWide(TUcListItems* Items, int Count)
{
    TUpdateScope<TListItems> update(Items);
    for (int i = 0; i < Count; ++i) {
        TUcListItem* item = Items->Add();
        item->SetCaption(Names[i % 6] + L" " + std::to_wstring(i));
        item->SubItems()->Add(Names[(i + 3) % 6]);
    }
}

struct TUcListEvents {
    std::vector<WideString> Log;
    WideString EditTo;
    void Compare(TObject*, TListItem* A, TListItem* B, LPARAM, int& Result)
    {
        Result = -lstrcmpW(ListItemWideText(A, 1).c_str(), ListItemWideText(B, 1).c_str());
        if (Result == 0)
            Result = lstrcmpW(ListItemWideText(A, 0).c_str(), ListItemWideText(B, 0).c_str());
    }
    void Data(TObject*, TListItem* Item)
    {
        TUcListItem::Typed(Item)->SetCaption(Names[Item->Index() % 6] + L" " + std::to_wstring(Item->Index()));
        TUcListItem::Typed(Item)->SubItems()->Add(L"№" + std::to_wstring(Item->Index()));
    }
    void Find(TObject*, TItemFind, const WideString& S, const TPoint&, void*, int, TSearchDirection, bool, int& Index)
    {
        Log.push_back(S);
        Index = 4242;
    }
    void Edited(TObject*, TListItem*, WideString& S)
    {
        Log.push_back(S);
        if (!EditTo.empty())
            S = EditTo;
    }
    void AnsiEdited(TObject*, TListItem*, AnsiString&) {}
};

} // namespace

TEST_CASE("10,000 wide items and their columns read back through the wide messages, sorted and made again")
{
    TUcListForm f;
    f.Show();
    FillWide(f.List->Items(), 10000);
    WideChar name[64] = {};
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = name;
    col.cchTextMax = 64;
    SendMessageW(f.Wnd(), LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&col));
    CHECK(WideString(name) == L"Κατάσταση · 状态");
    CHECK(WindowOutline(f.Wnd(), 2) == ItemOutline(f.List->Items(), 2));

    // The library's sort by captions goes by the wide captions.
    std::vector<WideString> captions;
    for (int i = 0; i < 10000; ++i)
        captions.push_back(f.List->Items()->Item(i)->Caption());
    std::stable_sort(captions.begin(), captions.end(),
                     [](const WideString& A, const WideString& B) { return lstrcmpW(A.c_str(), B.c_str()) < 0; });
    CHECK(f.List->AlphaSort());
    CHECK(Join(ItemText(f.Wnd(), 0, 0), ItemText(f.Wnd(), 5000, 0), ItemText(f.Wnd(), 9999, 0)) ==
          Join(captions[0], captions[5000], captions[9999]));
    TUcListEvents ev;
    f.List->OnCompare = MakeMethod<&TUcListEvents::Compare>(&ev);
    f.List->AlphaSort();
    const auto [least, most] = std::minmax_element(std::begin(Names), std::end(Names), [](const WideString& A, const WideString& B) {
        return lstrcmpW(A.c_str(), B.c_str()) < 0;
    });
    CHECK(Join(ItemText(f.Wnd(), 0, 1), ItemText(f.Wnd(), 9999, 1)) == Join(*most, *least));

    // Made again: the texts, the selection and the top item.
    f.List->Items()->Item(7777)->SetSelected(true);
    f.List->Items()->Item(9000)->MakeVisible(false);
    const int top = f.List->TopItem()->Index();
    const WideString outline = WindowOutline(f.Wnd(), 2);
    f.List->RecreateWnd();
    CHECK(IsWindowUnicode(f.Wnd()));
    CHECK(WindowOutline(f.Wnd(), 2) == outline);
    CHECK(Join(f.List->Selected()->Index(), f.List->TopItem()->Index()) == Join(7777, top));
}

TEST_CASE("sub-items keep their wide texts; one the library set behind them is shown as the library's")
{
    TUcListForm f;
    TUcListItem* item = f.List->Items()->Add();
    item->SetCaption(Greek);
    item->SubItems()->Add(Chinese);
    item->SubItems()->Add(Cyrillic);
    f.List->RecreateWnd();
    CHECK(Join(ItemText(f.Wnd(), 0, 0), ItemText(f.Wnd(), 0, 1), ItemText(f.Wnd(), 0, 2)) == Join(Greek, Chinese, Cyrillic));
    item->TListItem::SubItems()->SetStrings(0, "plain");
    CHECK(Join(item->SubItems()->Strings(0), ItemText(f.Wnd(), 0, 1)) == Join(WideString(L"plain"), WideString(L"plain")));
    item->SubItems()->Delete(0);
    CHECK(Join(item->TListItem::SubItems()->Count(), ItemText(f.Wnd(), 0, 1) == Cyrillic) == "1 1");

    struct TChooser {
        static void Choose(void*, TCustomListView*, const TListItemClass*& Class) { Class = &ListItemClassOf<TListItem>(); }
    };
    f.List->OnCreateItemClass = TLVCreateItemClassEvent(nullptr, &TChooser::Choose);
    CHECK_THROWS_WITH_AS(f.List->Items()->Add(), "Internal Error: OnCreateItemClass.ItemClass must inherit from TUcListItem.",
                         EUcInternalError);
}

TEST_CASE("owner data of 10,000 wide items: the window's texts from OnData, its wide search given whole")
{
    TUcListForm f;
    TUcListEvents ev;
    f.List->SetOwnerData(true);
    f.List->OnData = MakeMethod<&TUcListEvents::Data>(&ev);
    f.List->OnDataFind = MakeMethod<&TUcListEvents::Find>(&ev);
    f.List->Items()->SetCount(10000);
    CHECK(Join(ItemText(f.Wnd(), 9998, 0), ItemText(f.Wnd(), 9998, 1)) == Join(Names[9998 % 6] + L" 9998", WideString(L"№9998")));
    LVFINDINFOW find{};
    find.flags = LVFI_STRING;
    find.psz = L"王小明 42";
    CHECK(SendMessageW(f.Wnd(), LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)) == 4242);
    CHECK(ev.Log == std::vector<WideString>{L"王小明 42"});
}

TEST_CASE("the window's wide questions for texts are answered within the buffer it gives, however small")
{
    TUcListForm f;
    TUcListItem* item = f.List->Items()->Add();
    item->SetCaption(Chinese + Greek);
    WideChar buf[8];
    const auto ask = [&](WideChar* Buffer, int Size) {
        NMLVDISPINFOW info{};
        info.hdr.hwndFrom = f.Wnd();
        info.hdr.code = LVN_GETDISPINFOW;
        info.item.mask = LVIF_TEXT | LVIF_PARAM;
        info.item.lParam = reinterpret_cast<LPARAM>(item);
        info.item.pszText = Buffer;
        info.item.cchTextMax = Size;
        f.List->Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    };
    std::fill(std::begin(buf), std::end(buf), L'#');
    for (int size : {0, -3})
        ask(buf + 1, size);
    CHECK(WideString(buf, 8) == WideString(8, L'#'));
    ask(buf, 4);
    CHECK(WideString(buf, 5) == Chinese + Greek.substr(0, 1) + WideString(1, L'\0') + L"#");
}

TEST_CASE("a caption edited in place: the wide caption into the edit window and the typed wide text back")
{
    TUcListForm f;
    TUcListEvents ev;
    TUcListItem* item = f.List->Items()->Add();
    item->SetCaption(Greek);
    f.Show();
    f.List->SetFocus();
    Pump();
    f.List->OnEdited = MakeMethod<&TUcListEvents::Edited>(&ev);
    const auto edit = [&](const WideString& Typed) {
        REQUIRE(item->EditCaption());
        HWND wnd = f.List->EditHandle();
        REQUIRE(wnd);
        const WideString shown = WideWindowText(wnd);
        SendMessageW(wnd, EM_SETSEL, 0, -1);
        for (WideChar c : Typed)
            SendMessageW(wnd, WM_CHAR, c, 1);
        SendMessageW(wnd, WM_KEYDOWN, VK_RETURN, 1);
        Pump();
        return shown;
    };
    CHECK(edit(Chinese + Cyrillic) == Greek);
    CHECK(ev.Log == std::vector<WideString>{Chinese + Cyrillic});
    CHECK(Join(item->Caption(), ItemText(f.Wnd(), 0, 0)) == Join(Chinese + Cyrillic, Chinese + Cyrillic));
    ev.EditTo = Sigma;
    CHECK(edit(L"x") == Chinese + Cyrillic);
    CHECK(item->Caption() == Sigma);
    // The library's ANSI handler that leaves the text keeps its characters without ANSI form.
    f.List->OnEdited = nullptr;
    f.List->TCustomListView::OnEdited = MakeMethod<&TUcListEvents::AnsiEdited>(&ev);
    edit(Greek);
    CHECK(item->Caption() == Greek);
}

namespace {

struct TUcBarForm : TTestForm<> {
    TUcStatusBar* Bar = Add<TUcStatusBar>(0, 0, 300, 22);
    TUcBarForm()
    {
        for (int w : {100, 120}) {
            TUcStatusPanel* p = Bar->Panels()->Add();
            p->SetWidth(w);
        }
    }
    WideString Part(int Index)
    {
        WideChar text[256] = {};
        SendMessageW(Bar->Handle(), SB_GETTEXTW, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(text));
        return text;
    }
};

// Counts what reaches the application's exception handler while it lives.
struct TCaught {
    int Count = 0;
    TExceptionEvent Saved = Application->OnException;
    TCaught() { Application->OnException = MakeMethod<&TCaught::Caught>(this); }
    ~TCaught() { Application->OnException = Saved; }
    void Caught(TObject*, Exception*) { ++Count; }
};

} // namespace

TEST_CASE("status panels show their wide texts with the TABs of their alignment; the simple text shows wide")
{
    TUcBarForm f;
    f.Show();
    f.Bar->Panels()->Items(0)->SetText(Greek);
    f.Bar->Panels()->Items(1)->SetAlignment(taCenter);
    f.Bar->Panels()->Items(1)->SetText(Cyrillic);
    CHECK(Join(f.Part(0), f.Part(1)) == Join(Greek, L"\t" + Cyrillic));
    CHECK(IsWindowUnicode(f.Bar->Handle()));
    f.Bar->SetSimpleText(Chinese + Cyrillic);
    f.Bar->SetSimplePanel(true);
    CHECK(f.Part(0) == Chinese + Cyrillic);
    f.Bar->RecreateWnd();
    CHECK(f.Part(0) == Chinese + Cyrillic);
}

TEST_CASE("a text sent for a part the bar has no panel for is shown as sent, with nothing thrown")
{
    TUcBarForm f;
    TCaught caught;
    const AnsiString text = "\t" + WideToAnsi(Cyrillic);
    CHECK(SendMessageA(f.Bar->Handle(), SB_SETPARTS, 3, reinterpret_cast<LPARAM>(std::vector<int>{50, 100, -1}.data())));
    SendMessageA(f.Bar->Handle(), SB_SETTEXTA, 2, reinterpret_cast<LPARAM>(text.c_str()));
    CHECK(caught.Count == 0);
    CHECK(f.Part(2) == L"\t" + Cyrillic);
}

TEST_CASE("with AutoHint the application's wide hint shows in the first panel, or in the simple panel")
{
    TUcBarForm f;
    f.Bar->SetAutoHint(true);
    TUcHintAction hint(nullptr);
    hint.SetHint(Chinese);
    CHECK(f.Bar->ExecuteAction(&hint));
    CHECK(f.Bar->Panels()->Items(0)->Text() == Chinese);
    f.Bar->SetSimplePanel(true);
    hint.SetHint(Greek);
    f.Bar->ExecuteAction(&hint);
    CHECK(f.Bar->SimpleText() == Greek);
}
