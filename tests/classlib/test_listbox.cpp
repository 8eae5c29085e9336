// The list box: items kept in the window and again after a new window, the virtual styles
// answered from the program's data, the items' geometry and the typed search.
#include <doctest.h>
#include "classlib/stdctrls.h"
#include "form_helpers.h"
#include "join.h"
#include "msgrecorder.h"

namespace {

// Text of the code page the tests run with (1251), from its wide form.
AnsiString Ansi(const wchar_t* Text)
{
    char buf[256] = {};
    WideCharToMultiByte(CP_ACP, 0, Text, -1, buf, sizeof(buf), nullptr, nullptr);
    return buf;
}

// A value set for a test and put back after it.
template <class T> struct TSet {
    T& Where;
    T Saved;
    TSet(T& W, T Value) : Where(W), Saved(W) { W = Value; }
    ~TSet() { Where = Saved; }
};

struct TListBoxForm {
    std::unique_ptr<TForm> Form = MakeForm(300, 300);
    TListBox* List = Add<TListBox>(Form.get(), 8, 8, 200, 160);
    TListBoxForm()
    {
        for (const wchar_t* s : {L"Анна", L"Борис", L"Вера", L"Виктор", L"Глеб"})
            List->Items()->Add(Ansi(s));
    }
};

struct TListBoxEvents {
    TLog Log;
    void Click(TObject*) { Log.push_back("click"); }
    void Data(TWinControl*, int Index, AnsiString& S) { S = "row " + IntToStr(Index); }
    int Find(TWinControl*, const AnsiString& S)
    {
        Log.push_back("find " + S);
        return S == "row 4" ? 4 : -1;
    }
};

// The clock of the typed search, moved by the test.
DWORD g_now = 1000;

void Type(TWinControl* C, const AnsiString& Keys)
{
    for (char c : Keys)
        SendMessageA(C->Handle(), WM_CHAR, static_cast<uint8_t>(c), 1);
}

} // namespace

TEST_CASE("list box items live in the window; a virtual list box has none of its own but answers from OnData")
{
    TListBoxForm f;
    TStrings* items = f.List->Items();
    items->Insert(1, Ansi(L"Алла"));
    items->AddObject(Ansi(L"Дина"), f.List);
    items->Delete(0);
    CHECK(items->CommaText() == Ansi(L"Алла,Борис,Вера,Виктор,Глеб,Дина"));
    CHECK(Join(items->IndexOf(Ansi(L"вера")), items->GetObject(5) == f.List) == "2 1");
    CHECK_THROWS_WITH_AS(items->GetObject(6), "List index out of bounds (6)", EStringListError);

    TListBoxEvents ev;
    f.List->OnData = MakeMethod<&TListBoxEvents::Data>(&ev);
    f.List->SetStyle(lbVirtual);
    CHECK(f.List->Count() == 0);
    f.List->SetCount(1000);
    CHECK(Join(items->Count(), items->Get(999) == "row 999") == "1000 1");
    CHECK(SendMessageA(f.List->Handle(), LB_GETTEXTLEN, 1000, 0) == LB_ERR);
    CHECK_THROWS_WITH_AS(items->Add("x"), "A virtual list box has no items of its own", EStringListError);
    f.List->RecreateWnd();
    CHECK(f.List->Count() == 1000);
}

TEST_CASE("items, selection, the caret and the top item come back with a new window")
{
    TListBoxForm f;
    f.List->SetMultiSelect(true);
    for (int i = 0; i < 40; ++i)
        f.List->Items()->Add("more " + IntToStr(i));
    f.List->SetSelected(1, true);
    f.List->SetSelected(30, true);
    f.List->SetItemIndex(30);
    f.List->SetTopIndex(20);
    const AnsiString before = f.List->Items()->Text();
    f.List->SetExtendedSelect(false);   // a new window
    CHECK(f.List->Items()->Text() == before);
    CHECK(Join(f.List->SelCount(), f.List->Selected(30), f.List->ItemIndex(), f.List->TopIndex()) == "2 1 30 20");
}

TEST_CASE("item rectangles: the window's, below the last for the count, the top of an empty list")
{
    TListBoxForm f;
    const TRect first = f.List->ItemRect(0), last = f.List->ItemRect(4), next = f.List->ItemRect(5);
    const int h = first.Height();
    CHECK(Join(first.Top, last.Top, next.Top, next.Height()) == Join(0, 4 * h, 5 * h, h));
    CHECK(f.List->ItemRect(6).IsEmpty());
    CHECK(Join(f.List->ItemAtPos(TPoint(5, 4 * h + 1), true), f.List->ItemAtPos(TPoint(5, 5 * h + 1), true),
               f.List->ItemAtPos(TPoint(5, 5 * h + 1), false), f.List->ItemAtPos(TPoint(-1, 1), false)) == "4 -1 5 -1");
    f.List->Clear();
    // No item is asked for: there is none to go below (Windows has no item -1 to answer).
    TMsgRecorder rec({LB_GETITEMRECT});
    rec.Attach(f.List->Handle(), "list");
    const TRect empty = f.List->ItemRect(0);
    CHECK_MESSAGES(rec);
    CHECK(Join(empty.Top, empty.Height(), empty.Width()) == Join(0, h, f.List->ClientWidth()));
}

TEST_CASE("typed letters search the items by their beginning; a pause starts again; Backspace shortens")
{
    TListBoxForm f;
    TSet<TTickCountFunc> clock(ListBoxTickCount, [] { return g_now; });
    TListBoxEvents ev;
    f.List->OnClick = MakeMethod<&TListBoxEvents::Click>(&ev);
    Type(f.List, Ansi(L"Ви"));
    CHECK(f.List->ItemIndex() == 3);
    g_now += 600;
    Type(f.List, Ansi(L"Б"));   // a new search: "Б", not "ВиБ"
    CHECK(f.List->ItemIndex() == 1);
    Type(f.List, "\b");
    CHECK(f.List->ItemIndex() == 0);   // nothing left: the first item
    CHECK(ev.Log == TLog{"click", "click", "click", "click"});
    g_now += 600;
    Type(f.List, "x");
    CHECK(f.List->ItemIndex() == 0);   // not found: nothing moves

    // With multiple selection the found item is the only one selected.
    f.List->SetMultiSelect(true);
    f.List->SetSelected(0, true);
    f.List->SetSelected(1, true);
    g_now += 600;
    Type(f.List, Ansi(L"Гл"));
    CHECK(Join(f.List->SelCount(), f.List->Selected(4), f.List->ItemIndex()) == "1 1 4");
}

TEST_CASE("a lead byte of a double-byte character takes its second byte along, or is dropped without one")
{
    TListBoxForm f;
    TSet<TTickCountFunc> clock(ListBoxTickCount, [] { return g_now; });
    TSet<bool (*)(uint8_t)> lead(ListBoxLeadByte, [](uint8_t B) { return B == 0x82; });
    f.List->Items()->Add("\x82\x41 two bytes");
    f.List->Items()->Add("b");
    ShowOnTop(f.Form.get());
    g_now += 600;
    PostMessageA(f.List->Handle(), WM_CHAR, 0x41, 1);
    Type(f.List, "\x82");
    CHECK(f.List->ItemIndex() == 5);
    // No second byte queued: the half character goes, the next letter searches alone.
    g_now += 600;
    Type(f.List, "\x82");
    Type(f.List, "b");
    CHECK(f.List->ItemIndex() == 6);
}
