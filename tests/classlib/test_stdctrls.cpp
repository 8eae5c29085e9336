#include <doctest.h>
#include "classlib/stdctrls.h"
#include "classlib/forms.h"
#include "graphics_helpers.h"
#include "msgrecorder.h"
#include "support/screenshot.h"

#include <memory>
#include <vector>

namespace {

// Cyrillic text in code page 1251, which the tests run with.
const AnsiString kPrivet = "\xCF\xF0\xE8\xE2\xE5\xF2";            // "Привет"
const AnsiString kMir = "\xEC\xE8\xF0";                              // "мир"
const AnsiString kImya = "&\xC8\xEC\xFF";                            // "&Имя"

void Pump()
{
    for (int i = 0; i < 5; ++i) {
        Application->ProcessMessages();
        Sleep(10);
    }
}

// Counts the events of a control.
struct TEvents {
    std::vector<AnsiString> Log;
    int Changes = 0;
    void Change(TObject*)
    {
        ++Changes;
        Log.push_back("change");
    }
    void Select(TObject*) { Log.push_back("select"); }
    void Click(TObject*) { Log.push_back("click"); }
    void KeyDown(TObject*, uint16_t& Key, TShiftState) { Log.push_back("down " + IntToStr(Key)); }
    void KeyPress(TObject*, char& Key) { Log.push_back(AnsiString("press ") + Key); }
    void Throw(TObject*) { throw EConvertError("thrown by a handler"); }
};

// Catches what reaches the application's exception handler.
struct TCatcher {
    std::vector<AnsiString> Messages;
    TExceptionEvent Saved;
    TCatcher() : Saved(Application->OnException)
    {
        Application->OnException = MakeMethod<&TCatcher::OnException>(this);
    }
    ~TCatcher() { Application->OnException = Saved; }
    void OnException(TObject*, Exception* E) { Messages.push_back(E->Message()); }
};

// A form with its window, on top of other test programs' windows.
std::unique_ptr<TForm> MakeForm(int Width = 300, int Height = 200)
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(60, 60, Width, Height);
    return form;
}

template <class T> T* Add(TForm* Form, int X, int Y, int W, int H)
{
    auto* c = new T(Form);
    c->SetBounds(X, Y, W, H);
    c->SetParent(Form);
    return c;
}

// A selected font of the system's, so that pixel tests do not depend on the default font.
void UseFont(TControl* C, int Height = -13)
{
    C->Font()->SetName("Tahoma");
    C->Font()->SetHeight(Height);
}

// The height of a line of the font.
int LineHeight(TFont* Font)
{
    TBitmap probe;
    probe.Canvas()->SetFont(Font);
    return probe.Canvas()->TextHeight("0");
}

} // namespace

// ---------------------------------------------------------------------------------------
// Edit

TEST_CASE("an edit makes its system edit window only when needed and keeps its settings in it")
{
    auto form = MakeForm();
    auto* edit = Add<TEdit>(form.get(), 10, 10, 120, 24);
    edit->SetText(kPrivet);
    edit->SetMaxLength(20);
    edit->SetReadOnly(true);
    edit->SetModified(true);
    CHECK_FALSE(edit->HandleAllocated());
    CHECK(edit->Text() == kPrivet);

    HWND wnd = edit->Handle();
    char cls[32] = {};
    GetClassNameA(wnd, cls, sizeof(cls));
    CHECK(AnsiString(cls) == "TEdit");
    WNDCLASSA sys{};
    REQUIRE(GetClassInfoA(nullptr, "EDIT", &sys));
    CHECK(reinterpret_cast<void*>(edit->DefWndProc()) == reinterpret_cast<void*>(sys.lpfnWndProc));
    CHECK(SendMessageA(wnd, EM_GETLIMITTEXT, 0, 0) == 20);
    CHECK((GetWindowLongA(wnd, GWL_STYLE) & ES_READONLY) != 0);
    CHECK((GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0);
    CHECK(edit->Modified());
    char text[32] = {};
    GetWindowTextA(wnd, text, sizeof(text));
    CHECK(AnsiString(text) == kPrivet);

    // Changed with a window, the window follows.
    edit->SetReadOnly(false);
    CHECK((GetWindowLongA(wnd, GWL_STYLE) & ES_READONLY) == 0);
    edit->SetModified(false);
    CHECK(SendMessageA(wnd, EM_GETMODIFY, 0, 0) == 0);

    // A new window (the case style needs one) gets the text and the settings back.
    edit->SetModified(true);
    edit->SetCharCase(ecUpperCase);
    HWND second = edit->Handle();
    CHECK(second != wnd);
    CHECK((GetWindowLongA(second, GWL_STYLE) & ES_UPPERCASE) != 0);
    CHECK(SendMessageA(second, EM_GETLIMITTEXT, 0, 0) == 20);
    CHECK(edit->Modified());
    CHECK(AnsiUpperCase(edit->Text()) == AnsiUpperCase(kPrivet));
}

TEST_CASE("an edit's selection, selected text and clipboard-free editing")
{
    auto form = MakeForm();
    auto* edit = Add<TEdit>(form.get(), 10, 10, 150, 24);
    edit->SetText(kPrivet + ", " + kMir);

    edit->SetSelStart(2);
    edit->SetSelLength(3);
    CHECK(edit->SelStart() == 2);
    CHECK(edit->SelLength() == 3);
    CHECK(edit->SelText() == kPrivet.substr(2, 3));
    char buf[3] = {};
    CHECK(edit->GetSelTextBuf(buf, sizeof(buf)) == 2);
    CHECK(AnsiString(buf) == kPrivet.substr(2, 2));

    edit->SetSelText("-");
    CHECK(edit->Text() == kPrivet.substr(0, 2) + "-" + kPrivet.substr(5) + ", " + kMir);
    CHECK(edit->SelStart() == 3);
    CHECK(edit->SelLength() == 0);

    edit->SelectAll();
    CHECK(edit->SelLength() == static_cast<int>(edit->Text().size()));
    edit->ClearSelection();
    CHECK(edit->Text().empty());
    CHECK(edit->CanUndo());
    edit->Undo();
    CHECK_FALSE(edit->Text().empty());

    // A start past the end is the end; an empty selection has no text.
    edit->SetSelStart(1000);
    CHECK(edit->SelStart() == static_cast<int>(edit->Text().size()));
    CHECK(edit->SelText().empty());
    edit->Clear();
    CHECK(edit->Text().empty());
}

TEST_CASE("an edit's password character hides the text in the window")
{
    auto form = MakeForm();
    auto* edit = Add<TEdit>(form.get(), 10, 10, 120, 24);
    edit->SetText("secret");
    edit->SetPasswordChar('*');
    HWND wnd = edit->Handle();
    CHECK((GetWindowLongA(wnd, GWL_STYLE) & ES_PASSWORD) != 0);
    CHECK(SendMessageA(wnd, EM_GETPASSWORDCHAR, 0, 0) == '*');
    CHECK(edit->Text() == "secret");

    edit->SetPasswordChar('#');
    CHECK(SendMessageA(wnd, EM_GETPASSWORDCHAR, 0, 0) == '#');
    // Kept across a new window.
    edit->SetHideSelection(false);
    HWND second = edit->Handle();
    CHECK(second != wnd);
    CHECK(SendMessageA(second, EM_GETPASSWORDCHAR, 0, 0) == '#');
    CHECK((GetWindowLongA(second, GWL_STYLE) & ES_NOHIDESEL) != 0);
    CHECK(edit->Text() == "secret");
    // No character shows the text again.
    edit->SetPasswordChar(0);
    CHECK(SendMessageA(second, EM_GETPASSWORDCHAR, 0, 0) == 0);
    CHECK((GetWindowLongA(second, GWL_STYLE) & ES_PASSWORD) == 0);
}

TEST_CASE("an edit reports each change of its text once through OnChange")
{
    TEvents ev;
    auto form = MakeForm();
    auto* edit = Add<TEdit>(form.get(), 10, 10, 120, 24);
    edit->OnChange = MakeMethod<&TEvents::Change>(&ev);

    SUBCASE("without a window")
    {
        edit->SetText("one");
        edit->SetText("one");
        CHECK(ev.Changes == 1);
        CHECK_FALSE(edit->HandleAllocated());
    }
    SUBCASE("with a window: EN_CHANGE reflected by the parent")
    {
        edit->SetText("start");
        HWND wnd = edit->Handle();
        CHECK(ev.Changes == 1);   // set before the window; creating it reports nothing
        edit->SetText("two");
        CHECK(ev.Changes == 2);
        edit->SetText("two");
        CHECK(ev.Changes == 2);
        // Typing: the system's edit tells the parent, the parent tells the control.
        edit->SetSelStart(3);
        SendMessageA(wnd, WM_CHAR, 'x', 1);
        CHECK(ev.Changes == 3);
        CHECK(edit->Text() == "twox");
        edit->SetSelStart(0);
        edit->SetSelText(kMir);
        CHECK(ev.Changes == 4);
    }
    SUBCASE("a handler's exception goes to the application")
    {
        TCatcher catcher;
        HWND wnd = edit->Handle();
        edit->OnChange = MakeMethod<&TEvents::Throw>(&ev);
        SendMessageA(wnd, WM_CHAR, 'y', 1);
        REQUIRE(catcher.Messages.size() == 1);
        CHECK(catcher.Messages[0] == "thrown by a handler");
        CHECK(edit->Text() == "y");
    }
}

TEST_CASE("an edit sizes its height to its font and selects all when entered by keyboard")
{
    auto form = MakeForm();
    auto* edit = Add<TEdit>(form.get(), 10, 10, 120, 60);
    UseFont(edit, -13);
    int line = LineHeight(edit->Font());
    CHECK(edit->Height() == line + 8 * GetSystemMetrics(SM_CYBORDER));
    edit->SetAutoSize(false);
    edit->SetHeight(60);
    CHECK(edit->Height() == 60);
    edit->SetAutoSize(true);
    CHECK(edit->Height() == line + 8 * GetSystemMetrics(SM_CYBORDER));
    // Without a border, the height is the caller's.
    edit->SetBorderStyle(bsNone);
    edit->SetHeight(40);
    CHECK(edit->Height() == 40);

    edit->SetText("all of it");
    edit->HandleNeeded();
    edit->SetSelStart(2);
    edit->Perform(CM_ENTER, 0, 0);
    CHECK(edit->SelLength() == 9);
    edit->SetAutoSelect(false);
    edit->SetSelStart(2);
    edit->Perform(CM_ENTER, 0, 0);
    CHECK(edit->SelLength() == 0);
}

// ---------------------------------------------------------------------------------------
// Memo

TEST_CASE("memo lines are the window's lines")
{
    auto form = MakeForm();
    auto* memo = Add<TMemo>(form.get(), 10, 10, 200, 120);
    TStrings* lines = memo->Lines();
    CHECK(lines->Count() == 0);
    CHECK(memo->HandleAllocated());
    CHECK((GetWindowLongA(memo->WindowHandle(), GWL_STYLE) & ES_MULTILINE) != 0);

    lines->Add(kPrivet);
    lines->Add("second");
    lines->Add(kMir);
    CHECK(lines->Count() == 3);
    CHECK(lines->Get(0) == kPrivet);
    CHECK(lines->Get(2) == kMir);
    CHECK(memo->Text() == kPrivet + "\r\nsecond\r\n" + kMir + "\r\n");

    SUBCASE("put, insert and delete")
    {
        lines->Put(1, "middle");
        CHECK(lines->Get(1) == "middle");
        lines->Insert(0, "first");
        lines->Insert(2, "inserted");
        CHECK(lines->Count() == 5);
        CHECK(lines->Get(0) == "first");
        CHECK(lines->Get(1) == kPrivet);
        CHECK(lines->Get(2) == "inserted");
        lines->Delete(0);
        lines->Delete(3);
        CHECK(lines->Count() == 3);
        CHECK(lines->Text() == kPrivet + "\r\ninserted\r\nmiddle\r\n");
        // An empty line is a line.
        lines->Insert(1, "");
        CHECK(lines->Count() == 4);
        CHECK(lines->Get(1).empty());
    }
    SUBCASE("line breaks inside an inserted line make more lines")
    {
        lines->Insert(1, "a\nb\rc\r\nd");
        CHECK(lines->Count() == 7);
        CHECK(lines->Get(1) == "a");
        CHECK(lines->Get(4) == "d");
        CHECK(lines->Get(5) == "second");
    }
    SUBCASE("the last line without a line break")
    {
        memo->SetText("one\r\ntwo");
        CHECK(lines->Count() == 2);
        lines->Add("three");
        CHECK(memo->Text() == "one\r\ntwo\r\nthree");
        lines->Delete(2);
        CHECK(lines->Count() == 2);
        CHECK(lines->Get(1) == "two");
    }
    SUBCASE("indexes outside the lines raise before anything is read or changed")
    {
        AnsiString before = memo->Text();
        CHECK_THROWS_WITH_AS(lines->Get(3), "List index out of bounds (3)", EStringListError);
        CHECK_THROWS_WITH_AS(lines->Get(-1), "List index out of bounds (-1)", EStringListError);
        CHECK_THROWS_WITH_AS(lines->Put(5, "x"), "List index out of bounds (5)", EStringListError);
        CHECK_THROWS_WITH_AS(lines->Delete(3), "List index out of bounds (3)", EStringListError);
        CHECK_THROWS_WITH_AS(lines->Insert(4, "x"), "List index out of bounds (4)", EStringListError);
        CHECK_THROWS_AS(lines->Insert(-1, "x"), EStringListError);
        CHECK(memo->Text() == before);
        // Count itself is a valid place to insert.
        lines->Insert(3, "last");
        CHECK(lines->Get(3) == "last");
    }
    SUBCASE("text and clear")
    {
        lines->SetText("x\ny");
        CHECK(memo->Text() == "x\r\ny");
        CHECK(lines->Count() == 2);
        lines->Clear();
        CHECK(lines->Count() == 0);
        CHECK(memo->Text().empty());
        TStringList other;
        other.Add("p");
        other.Add("q");
        memo->SetLines(&other);
        CHECK(lines->Count() == 2);
        CHECK(lines->Get(1) == "q");
    }
}

TEST_CASE("a memo line longer than any fixed buffer is read whole")
{
    auto form = MakeForm();
    auto* memo = Add<TMemo>(form.get(), 10, 10, 200, 120);
    memo->SetWordWrap(false);
    AnsiString longLine(70000, 'w');
    longLine[0] = 'A';
    longLine.back() = 'Z';
    memo->Lines()->Add("short");
    memo->Lines()->Add(AnsiString(5000, 'v'));
    memo->Lines()->Add(longLine);
    CHECK(memo->Lines()->Get(1) == AnsiString(5000, 'v'));
    CHECK(memo->Lines()->Get(2) == longLine);
}

TEST_CASE("a memo refuses text beyond its capacity with an error")
{
    auto form = MakeForm();
    auto* memo = Add<TMemo>(form.get(), 10, 10, 200, 120);
    memo->SetMaxLength(10);
    memo->Lines()->Add("1234");
    CHECK_THROWS_WITH_AS(memo->Lines()->Add("56789"), "Text exceeds memo capacity", EOutOfResources);
    CHECK(memo->Text().size() <= 10);
}

TEST_CASE("a memo's keys: returns and tabs as asked")
{
    TEvents ev;
    auto form = MakeForm();
    auto* memo = Add<TMemo>(form.get(), 10, 10, 200, 120);
    HWND wnd = memo->Handle();
    SendMessageA(wnd, WM_CHAR, 'a', 1);
    SendMessageA(wnd, WM_CHAR, '\r', 1);
    SendMessageA(wnd, WM_CHAR, 'b', 1);
    CHECK(memo->Lines()->Count() == 2);
    memo->SetWantReturns(false);
    SendMessageA(wnd, WM_CHAR, '\r', 1);
    CHECK(memo->Lines()->Count() == 2);
    CHECK((memo->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS) == 0);
    CHECK((memo->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB) == 0);
    memo->SetWantTabs(true);
    CHECK((memo->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB) != 0);

    // Styles that need a new window keep the lines.
    memo->SetScrollBars(ssVertical);
    memo->SetAlignment(taCenter);
    HWND second = memo->Handle();
    CHECK(second != wnd);
    LONG style = GetWindowLongA(second, GWL_STYLE);
    CHECK((style & WS_VSCROLL) != 0);
    CHECK((style & ES_CENTER) != 0);
    CHECK(memo->Lines()->Count() == 2);
    CHECK(memo->Lines()->Get(1) == "b");
    memo->SetCaretPos(TPoint(1, 1));
    CHECK(memo->CaretPos() == TPoint(1, 1));
    CHECK(memo->SelStart() == 4);
}

TEST_CASE("a memo's whole text set reports one change")
{
    TEvents ev;
    auto form = MakeForm();
    auto* memo = Add<TMemo>(form.get(), 10, 10, 200, 120);
    memo->HandleNeeded();
    memo->OnChange = MakeMethod<&TEvents::Change>(&ev);
    memo->SetText("a\r\nb");
    CHECK(ev.Changes == 1);
    memo->Lines()->SetText("a\r\nb");
    CHECK(ev.Changes == 1);   // the same text is not set again
    memo->Lines()->Add("c");
    CHECK(ev.Changes >= 2);
}

// ---------------------------------------------------------------------------------------
// Combo box

namespace {
// A clock the tests move by hand.
DWORD g_now = 100000;
DWORD TestClock() { return g_now; }
struct TClockScope {
    TTickCountFunc Saved = ComboTickCount;
    TClockScope() { ComboTickCount = &TestClock; }
    ~TClockScope() { ComboTickCount = Saved; }
};

void Fill(TCustomComboBox* Combo)
{
    for (const char* s : {"Apple", "Apricot", "Banana", "Blueberry", "Cherry"})
        Combo->Items()->Add(s);
}

// WM_CHAR as the system delivers it to the window that has the keyboard.
void Type(HWND Wnd, char C)
{
    SendMessageA(Wnd, WM_CHAR, static_cast<uint8_t>(C), 1);
}
} // namespace

TEST_CASE("combo box items live in the window")
{
    auto form = MakeForm();
    auto* combo = Add<TComboBox>(form.get(), 10, 10, 150, 24);
    TStrings* items = combo->Items();
    TObject marker;
    CHECK(items->Add(kPrivet) == 0);
    CHECK(items->AddObject("two", &marker) == 1);
    items->Insert(0, "zero");
    CHECK(items->Count() == 3);
    CHECK(SendMessageA(combo->WindowHandle(), CB_GETCOUNT, 0, 0) == 3);
    CHECK(items->Get(1) == kPrivet);
    CHECK(items->Objects(2) == &marker);
    CHECK(items->IndexOf("TWO") == 2);
    CHECK(items->IndexOf("none") == -1);

    // An index the window lacks: no text, and no object but an error.
    CHECK(items->Get(3).empty());
    CHECK(items->Get(-1).empty());
    CHECK_THROWS_WITH_AS(items->Objects(7), "List index out of bounds (7)", EStringListError);
    // The window refuses an insert past the end.
    CHECK_THROWS_WITH_AS(items->Insert(10, "far"), "Unable to insert a line", EOutOfResources);

    // Putting keeps the object.
    items->Put(2, "TWO");
    CHECK(items->Get(2) == "TWO");
    CHECK(items->Objects(2) == &marker);

    // Clearing the items keeps the text.
    combo->SetText("typed");
    items->Clear();
    CHECK(items->Count() == 0);
    CHECK(combo->Text() == "typed");
    // Clearing the control empties both.
    items->Add("x");
    combo->Clear();
    CHECK(items->Count() == 0);
    CHECK(combo->Text().empty());
}

TEST_CASE("a combo box's text set before its window reaches the window")
{
    auto form = MakeForm();
    auto* combo = Add<TComboBox>(form.get(), 10, 10, 150, 24);
    combo->SetText(kPrivet);
    CHECK_FALSE(combo->HandleAllocated());
    CHECK(combo->Text() == kPrivet);
    combo->HandleNeeded();
    CHECK(combo->Text() == kPrivet);
    char text[32] = {};
    GetWindowTextA(combo->EditHandle(), text, sizeof(text));
    CHECK(AnsiString(text) == kPrivet);
}

TEST_CASE("the list opens and closes: by the program, by typing, by Enter and Escape")
{
    TEvents ev;
    struct Drops {
        std::vector<AnsiString> Log;
        void Down(TObject*) { Log.push_back("dropdown"); }
        void Up(TObject*) { Log.push_back("closeup"); }
    } drops;
    auto form = MakeForm();
    auto* combo = Add<TComboBox>(form.get(), 10, 10, 150, 24);
    Fill(combo);
    combo->SetDropDownCount(3);
    combo->OnDropDown = MakeMethod<&Drops::Down>(&drops);
    combo->OnCloseUp = MakeMethod<&Drops::Up>(&drops);
    form->Show();
    SetWindowPos(form->WindowHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetActiveWindow(form->WindowHandle());
    Pump();
    combo->SetFocus();
    Pump();
    CHECK(combo->Focused());
    CHECK(GetFocus() == combo->EditHandle());

    combo->SetDroppedDown(true);
    Pump();
    CHECK(combo->DroppedDown());
    CHECK(drops.Log == std::vector<AnsiString>{"dropdown"});
    // The open list shows as many items as asked, no more.
    RECT list;
    GetWindowRect(combo->ListHandle(), &list);
    int itemHeight = static_cast<int>(SendMessageA(combo->ListHandle(), LB_GETITEMHEIGHT, 0, 0));
    CHECK(list.bottom - list.top >= 3 * itemHeight);
    CHECK(list.bottom - list.top < 4 * itemHeight);

    Type(combo->EditHandle(), VK_ESCAPE);
    Pump();
    CHECK_FALSE(combo->DroppedDown());
    CHECK(drops.Log == std::vector<AnsiString>{"dropdown", "closeup"});

    SUBCASE("typing opens it, Tab closes it")
    {
        combo->SetAutoDropDown(true);
        Type(combo->EditHandle(), 'C');
        Pump();
        CHECK(combo->DroppedDown());
        CHECK(combo->Text() == "Cherry");
        SendMessageA(combo->EditHandle(), WM_CHAR, VK_TAB, 1);
        Pump();
        CHECK_FALSE(combo->DroppedDown());
    }
    SUBCASE("typing a whole item closes it")
    {
        combo->SetAutoCloseUp(true);
        combo->SetText("");
        combo->SetDroppedDown(true);
        Pump();
        for (char c : AnsiString("Banan"))
            Type(combo->EditHandle(), c);
        CHECK(combo->DroppedDown());
        Type(combo->EditHandle(), 'a');
        Pump();
        CHECK_FALSE(combo->DroppedDown());
        CHECK(combo->Text() == "Banana");
    }
    SUBCASE("Enter closes it, and the key goes no further")
    {
        combo->OnKeyPress = MakeMethod<&TEvents::KeyPress>(&ev);
        combo->SetDroppedDown(true);
        Pump();
        Type(combo->EditHandle(), VK_RETURN);
        Pump();
        CHECK_FALSE(combo->DroppedDown());
        CHECK(ev.Log == std::vector<AnsiString>{"press \r"});
    }
}

TEST_CASE("lines and items without any window to hold them raise a clear error")
{
    TMemo memo(nullptr);
    CHECK_THROWS_AS(memo.Lines()->Add("x"), EInvalidOperation);
    CHECK_THROWS_AS(memo.Lines()->Count(), EInvalidOperation);
    CHECK_FALSE(memo.HandleAllocated());
    TComboBox combo(nullptr);
    CHECK_THROWS_AS(combo.Items()->Add("x"), EInvalidOperation);
    CHECK_FALSE(combo.HandleAllocated());
    // What only asks or stores makes no window.
    combo.SetMaxLength(4);
    combo.SetDropDownCount(3);
    CHECK_FALSE(combo.DroppedDown());
    CHECK(combo.ItemHeight() == 16);
    CHECK_FALSE(combo.HandleAllocated());
}

TEST_CASE("a sorted combo box puts added items in their place")
{
    auto form = MakeForm();
    auto* combo = Add<TComboBox>(form.get(), 10, 10, 150, 24);
    combo->SetSorted(true);
    combo->Items()->Add("pear");
    int at = combo->Items()->AddObject("apple", combo);
    CHECK(at == 0);
    CHECK(combo->Items()->Get(1) == "pear");
    CHECK(combo->Items()->Objects(0) == combo);
    CHECK((GetWindowLongA(combo->WindowHandle(), GWL_STYLE) & CBS_SORT) != 0);
}

TEST_CASE("item index, text and selection of the edit part")
{
    auto form = MakeForm();
    auto* combo = Add<TComboBox>(form.get(), 10, 10, 150, 24);
    Fill(combo);
    CHECK(combo->ItemIndex() == -1);
    combo->SetItemIndex(2);
    CHECK(combo->ItemIndex() == 2);
    CHECK(combo->Text() == "Banana");
    combo->SetText("Ban");
    CHECK(combo->Text() == "Ban");
    combo->SetSelStart(1);
    combo->SetSelLength(2);
    CHECK(combo->SelStart() == 1);
    CHECK(combo->SelLength() == 2);
    CHECK(combo->SelText() == "an");
    combo->SetSelText("o");
    CHECK(combo->Text() == "Bo");
    combo->SelectAll();
    CHECK(combo->SelLength() == 2);

    // A list style has no edit part: its text is the item's, and a text selects an item.
    combo->SetStyle(csDropDownList);
    CHECK(combo->EditHandle() == nullptr);
    combo->SetText("Cherry");
    CHECK(combo->ItemIndex() == 4);
    CHECK(combo->Text() == "Cherry");
    CHECK(combo->SelText().empty());
    combo->SetText("no such item");
    CHECK(combo->ItemIndex() == -1);
    CHECK(combo->Text().empty());

    TComboBox other(nullptr);
    other.SetParent(form.get());
    combo->SetItemIndex(1);
    combo->CopySelection(&other);
    CHECK(other.Items()->Count() == 1);
    CHECK(other.Items()->Get(0) == "Apricot");
    combo->MoveSelection(&other);
    CHECK(combo->Items()->Count() == 4);
    CHECK(other.Items()->Count() == 2);
    combo->ClearSelection();
    CHECK(combo->ItemIndex() == -1);
}

TEST_CASE("items, item index and text survive a new window")
{
    auto form = MakeForm();
    auto* combo = Add<TComboBox>(form.get(), 10, 10, 150, 24);
    Fill(combo);
    TObject marker;
    combo->Items()->PutObject(3, &marker);

    SUBCASE("an editable style keeps a typed text that is no item")
    {
        combo->SetItemIndex(3);
        combo->SetText("Blue sky");
        HWND first = combo->Handle();
        HWND firstEdit = combo->EditHandle();
        combo->SetCharCase(ecLowerCase);
        CHECK(combo->Handle() != first);
        CHECK(combo->Items()->Count() == 5);
        CHECK(combo->Items()->Get(0) == "apple");   // the system's lower case takes the items too
        CHECK(combo->Items()->Objects(3) == &marker);
        CHECK(combo->ItemIndex() == 3);
        CHECK(AnsiLowerCase(combo->Text()) == "blue sky");
        // The new edit window is subclassed again.
        REQUIRE(combo->EditHandle());
        CHECK(combo->EditHandle() != firstEdit);
        CHECK(GetWindowLongPtrA(combo->EditHandle(), GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(combo->EditInstance()));
    }
    SUBCASE("a list style shows its item")
    {
        combo->SetStyle(csDropDownList);
        combo->SetItemIndex(4);
        combo->SetStyle(csOwnerDrawFixed);
        CHECK(combo->ItemIndex() == 4);
        CHECK(combo->Text() == "Cherry");
        combo->SetSorted(true);
        CHECK(combo->Items()->Count() == 5);
        CHECK(combo->ItemIndex() == 4);
    }
    SUBCASE("without a window in between: taken off its parent and put back")
    {
        combo->SetItemIndex(1);
        combo->SetParent(nullptr);
        CHECK_FALSE(combo->HandleAllocated());
        combo->SetParent(form.get());
        CHECK(combo->Items()->Count() == 5);
        CHECK(combo->Text() == "Apricot");
        CHECK(combo->ItemIndex() == 1);
    }
    SUBCASE("an item index beyond the items is clamped")
    {
        combo->SetItemIndex(4);
        combo->Items()->Delete(4);
        combo->RecreateWnd();
        CHECK(combo->Items()->Count() == 4);
        CHECK(combo->ItemIndex() <= 3);
    }
}

TEST_CASE("a selection change in the window tells OnChange, or OnSelect when set")
{
    TEvents ev;
    auto form = MakeForm();
    auto* combo = Add<TComboBox>(form.get(), 10, 10, 150, 24);
    combo->SetStyle(csDropDownList);
    Fill(combo);
    combo->OnChange = MakeMethod<&TEvents::Change>(&ev);
    combo->OnClick = MakeMethod<&TEvents::Click>(&ev);
    HWND wnd = combo->Handle();

    // The arrow key moves the selection in the system's window, which notifies CBN_SELCHANGE.
    SendMessageA(wnd, WM_KEYDOWN, VK_DOWN, 1);
    CHECK(combo->ItemIndex() == 0);
    CHECK(ev.Log == std::vector<AnsiString>{"click", "change"});
    combo->OnSelect = MakeMethod<&TEvents::Select>(&ev);
    SendMessageA(wnd, WM_KEYDOWN, VK_DOWN, 1);
    CHECK(combo->ItemIndex() == 1);
    CHECK(ev.Log == std::vector<AnsiString>{"click", "change", "click", "select"});
    // Set by the program: no notification.
    combo->SetItemIndex(3);
    CHECK(ev.Log.size() == 4);

    SUBCASE("an editable style shows the item in its edit at once")
    {
        combo->SetStyle(csDropDown);
        combo->HandleNeeded();
        ev.Log.clear();
        SendMessageA(combo->EditHandle(), WM_KEYDOWN, VK_DOWN, 1);
        CHECK(combo->ItemIndex() == 4);
        CHECK(combo->Text() == "Cherry");
        CHECK(ev.Log == std::vector<AnsiString>{"click", "select"});
        // Typing in the edit is a change.
        Type(combo->EditHandle(), 'x');
        CHECK(ev.Log.back() == "change");
    }
}

TEST_CASE("keys in the edit and list windows go through the combo box's key handling")
{
    TEvents ev;
    auto form = MakeForm();
    auto* combo = Add<TComboBox>(form.get(), 10, 10, 150, 24);
    combo->SetAutoComplete(false);
    combo->OnKeyDown = MakeMethod<&TEvents::KeyDown>(&ev);
    combo->OnKeyPress = MakeMethod<&TEvents::KeyPress>(&ev);
    combo->HandleNeeded();
    HWND edit = combo->EditHandle();
    REQUIRE(edit);
    CHECK(GetParent(edit) == combo->Handle());
    SendMessageA(edit, WM_KEYDOWN, 'Q', 1);
    Type(edit, 'q');
    CHECK(ev.Log == std::vector<AnsiString>{"down 81", "press q"});
    CHECK(combo->Text() == "q");

    // A key handler that eats the key keeps it from the edit.
    struct Eat {
        void Press(TObject*, char& K) { K = 0; }
    } eat;
    combo->OnKeyPress = MakeMethod<&Eat::Press>(&eat);
    Type(edit, 'r');
    CHECK(combo->Text() == "q");

    // An exception in the edit window's handling goes to the application.
    TCatcher catcher;
    combo->OnKeyPress = nullptr;
    combo->OnChange = MakeMethod<&TEvents::Throw>(&ev);
    Type(edit, 's');
    CHECK(catcher.Messages.size() == 1);

    // The list window is subclassed as well, and passes on what it does not handle.
    REQUIRE(combo->ListHandle());
    CHECK(GetWindowLongPtrA(combo->ListHandle(), GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(combo->ListInstance()));
    CHECK(SendMessageA(combo->ListHandle(), LB_GETCOUNT, 0, 0) == 0);
    CHECK_FALSE(combo->Focused());
}

TEST_CASE("a list style searches the items by the keys typed without a pause")
{
    TClockScope clock;
    auto form = MakeForm();
    auto* combo = Add<TComboBox>(form.get(), 10, 10, 150, 24);
    combo->SetStyle(csDropDownList);
    Fill(combo);
    HWND wnd = combo->Handle();
    CHECK(combo->AutoCompleteDelay() == 500);

    SUBCASE("keys close together form one search text, a pause starts a new one")
    {
        g_now += 1000;
        Type(wnd, 'a');
        CHECK(combo->ItemIndex() == 0);
        g_now += 100;
        Type(wnd, 'p');
        g_now += 100;
        Type(wnd, 'r');
        CHECK(combo->ItemIndex() == 1);   // "apr": Apricot
        g_now += 499;
        Type(wnd, 'i');
        CHECK(combo->ItemIndex() == 1);
        g_now += 500;
        Type(wnd, 'b');
        CHECK(combo->ItemIndex() == 2);   // a new search: Banana
        g_now += 10;
        Type(wnd, 'l');
        CHECK(combo->ItemIndex() == 3);   // "bl": Blueberry
    }
    SUBCASE("a key that matches nothing leaves the search text as it was")
    {
        g_now += 1000;
        Type(wnd, 'b');
        g_now += 10;
        Type(wnd, 'z');   // "bz" matches nothing; the system's own search may move
        g_now += 10;
        combo->SetItemIndex(2);
        Type(wnd, 'l');   // still "b" + "l"
        CHECK(combo->ItemIndex() == 3);
    }
    SUBCASE("backspace shortens the search text, and on none does nothing")
    {
        combo->SetItemIndex(4);
        Type(wnd, '\b');
        Type(wnd, '\b');
        CHECK(combo->ItemIndex() == 4);
        g_now += 1000;
        Type(wnd, 'b');
        g_now += 10;
        Type(wnd, 'l');
        CHECK(combo->ItemIndex() == 3);
        g_now += 10;
        Type(wnd, '\b');
        g_now += 10;
        Type(wnd, 'a');   // "ba": Banana
        CHECK(combo->ItemIndex() == 2);
        Type(wnd, '\b');
        Type(wnd, '\b');
        Type(wnd, '\b');
        CHECK(combo->ItemIndex() == 2);
    }
    SUBCASE("the search notifies a changed item like a selection")
    {
        TEvents ev;
        combo->OnChange = MakeMethod<&TEvents::Change>(&ev);
        g_now += 1000;
        Type(wnd, 'c');
        CHECK(combo->ItemIndex() == 4);
        CHECK(ev.Changes == 1);
        g_now += 10;
        Type(wnd, 'h');
        CHECK(ev.Changes == 1);   // the same item
    }
}

TEST_CASE("an editable style completes the typed text from the items")
{
    auto form = MakeForm();
    auto* combo = Add<TComboBox>(form.get(), 10, 10, 150, 24);
    Fill(combo);
    HWND edit = combo->EditHandle();
    REQUIRE(edit);
    // The typed characters stay as typed; the item gives the rest.
    Type(edit, 'b');
    CHECK(combo->Text() == "banana");
    combo->SetText("");
    Type(edit, 'B');
    CHECK(combo->Text() == "Banana");
    CHECK(combo->ItemIndex() == 2);
    CHECK(combo->SelStart() == 1);
    CHECK(combo->SelLength() == 5);
    Type(edit, 'l');   // replaces the completed part
    CHECK(combo->Text() == "Blueberry");
    CHECK(combo->SelStart() == 2);
    Type(edit, 'x');   // no item: typed as it is
    CHECK(combo->Text() == "Blx");
    CHECK(combo->SelLength() == 0);
    // Typing before the end completes nothing.
    combo->SetSelStart(0);
    Type(edit, 'A');
    CHECK(combo->Text() == "ABlx");
    // Backspace is the edit's own.
    combo->SetText("Che");
    combo->SetSelStart(3);
    Type(edit, '\b');
    CHECK(combo->Text() == "Ch");
    // Off: nothing is completed.
    combo->SetAutoComplete(false);
    combo->SetText("");
    Type(edit, 'c');
    CHECK(combo->Text() == "c");
}

TEST_CASE("an owner-drawn combo box measures and draws its items through its events")
{
    struct Draw {
        std::vector<int> Drawn;
        std::vector<int> Measured;
        void DrawItem(TWinControl*, int Index, TRect, TOwnerDrawState) { Drawn.push_back(Index); }
        void MeasureItem(TWinControl*, int Index, int& Height)
        {
            Measured.push_back(Index);
            Height = 20 + Index;
        }
    } draw;
    auto form = MakeForm();
    auto* combo = Add<TComboBox>(form.get(), 10, 10, 150, 24);
    combo->SetStyle(csOwnerDrawVariable);
    combo->SetItemHeight(18);
    combo->OnDrawItem = MakeMethod<&Draw::DrawItem>(&draw);
    combo->OnMeasureItem = MakeMethod<&Draw::MeasureItem>(&draw);
    combo->Items()->Add("a");
    combo->Items()->Add("b");
    CHECK(draw.Measured.size() >= 2);
    CHECK(SendMessageA(combo->WindowHandle(), CB_GETITEMHEIGHT, 1, 0) == 21);
    CHECK(combo->ItemHeight() == 18);
    combo->SetItemIndex(1);
    form->Show();
    Pump();
    combo->Repaint();
    CHECK(std::count(draw.Drawn.begin(), draw.Drawn.end(), 1) >= 1);
}

// ---------------------------------------------------------------------------------------
// Label

namespace {
// A borderless parent in one colour.
class TBoard : public TCustomControl {
public:
    explicit TBoard(TComponent* AOwner) : TCustomControl(AOwner) { FControlStyle |= csAcceptsControls; }
};

// The parent's client area, painted with its children into a 24-bit bitmap.
void PaintBoard(TWinControl* Board, TBitmap& Bmp)
{
    Bmp.SetPixelFormat(pf24bit);
    Bmp.SetSize(Board->Width(), Board->Height());
    Board->PaintTo(Bmp.Canvas()->Handle(), 0, 0);
    GdiFlush();
}

// The leftmost, topmost, rightmost and bottommost pixels of a colour within R (empty when
// there is none).
TRect Extent(TBitmap& Bmp, const TRect& R, TColor C)
{
    TRect e(R.Right, R.Bottom, R.Left, R.Top);
    for (int y = R.Top; y < R.Bottom; ++y)
        for (int x = R.Left; x < R.Right; ++x)
            if (PixelAt(Bmp, x, y) == C) {
                e.Left = std::min(e.Left, x);
                e.Top = std::min(e.Top, y);
                e.Right = std::max(e.Right, x + 1);
                e.Bottom = std::max(e.Bottom, y + 1);
            }
    return e;
}

int CountOf(TBitmap& Bmp, const TRect& R, TColor C)
{
    int n = 0;
    for (int y = R.Top; y < R.Bottom; ++y)
        for (int x = R.Left; x < R.Right; ++x)
            n += PixelAt(Bmp, x, y) == C;
    return n;
}

TLabel* MakeLabel(TWinControl* Parent, const AnsiString& Caption, int X, int Y, int W, int H)
{
    auto* label = new TLabel(Parent->Owner() ? Parent->Owner() : Parent);
    label->SetAutoSize(false);
    label->SetBounds(X, Y, W, H);
    UseFont(label);
    label->Font()->SetColor(clBlack);
    label->SetCaption(Caption);
    label->SetParent(Parent);
    return label;
}
} // namespace

TEST_CASE("a label is painted by its parent")
{
    auto form = MakeForm(320, 200);
    auto* board = Add<TBoard>(form.get(), 0, 0, 250, 140);
    board->SetColor(clWhite);
    TLabel* label = MakeLabel(board, kPrivet + " " + kMir, 10, 10, 200, 40);
    TRect area = label->BoundsRect();
    TBitmap bmp;

    SUBCASE("opaque in its own colour, the text in the font's")
    {
        label->SetColor(clYellow);
        PaintBoard(board, bmp);
        CHECK(CountOf(bmp, area, clBlack) > 20);
        CHECK(CountOf(bmp, area, clBlack) + CountOf(bmp, area, clYellow) > area.Width() * area.Height() * 3 / 4);
        CHECK(CountOf(bmp, area, clWhite) == 0);
        CHECK(PixelAt(bmp, 5, 5) == clWhite);   // outside: the form
        TRect text = Extent(bmp, area, clBlack);
        CHECK(text.Left < 14);
        CHECK(text.Top < 16);
        CHECK(text.Bottom < 30);
    }
    SUBCASE("transparent: the parent shows through")
    {
        label->SetColor(clYellow);
        label->SetTransparent(true);
        CHECK(label->Transparent());
        PaintBoard(board, bmp);
        CHECK(CountOf(bmp, area, clYellow) == 0);
        CHECK(CountOf(bmp, area, clBlack) > 20);
    }
    SUBCASE("alignment and layout place the text")
    {
        label->SetAlignment(taRightJustify);
        label->SetLayout(tlBottom);
        PaintBoard(board, bmp);
        TRect text = Extent(bmp, area, clBlack);
        CHECK(text.Right > 200);
        CHECK(text.Left > 60);
        CHECK(text.Bottom > 40);
        label->SetAlignment(taCenter);
        label->SetLayout(tlCenter);
        PaintBoard(board, bmp);
        text = Extent(bmp, area, clBlack);
        int middle = (text.Left + text.Right) / 2;
        CHECK(std::abs(middle - 110) <= 3);
        CHECK(std::abs((text.Top + text.Bottom) / 2 - 30) <= 4);
    }
    SUBCASE("disabled: embossed in the highlight and shadow colours")
    {
        label->SetColor(clYellow);
        label->SetEnabled(false);
        PaintBoard(board, bmp);
        CHECK(CountOf(bmp, area, clBlack) == 0);
        TColor light = ColorToRGB(clBtnHighlight), dark = ColorToRGB(clBtnShadow);
        REQUIRE(light != dark);
        CHECK(CountOf(bmp, area, light) > 10);
        CHECK(CountOf(bmp, area, dark) > 10);
        // The highlight lies one pixel right of and below the shadow.
        TRect l = Extent(bmp, area, light), d = Extent(bmp, area, dark);
        CHECK(l.Right == d.Right + 1);
        CHECK(l.Bottom == d.Bottom + 1);
    }
    SUBCASE("word wrap breaks a long caption into lines")
    {
        label->SetCaption("one two three four five six seven eight nine ten");
        label->SetBounds(10, 10, 60, 100);
        area = label->BoundsRect();
        PaintBoard(board, bmp);
        int oneLine = Extent(bmp, area, clBlack).Height();
        label->SetWordWrap(true);
        PaintBoard(board, bmp);
        CHECK(Extent(bmp, area, clBlack).Height() > 2 * oneLine);
        CHECK(Extent(bmp, area, clBlack).Right <= 70);
    }
}

TEST_CASE("a label sizes itself to its text")
{
    auto form = MakeForm(320, 200);
    TLabel* label = MakeLabel(form.get(), "Name", 10, 10, 100, 50);
    label->SetAutoSize(true);
    TBitmap probe;
    probe.Canvas()->SetFont(label->Font());
    TSize size = probe.Canvas()->TextExtent("Name");
    CHECK(label->Width() == size.cx);
    CHECK(label->Height() == size.cy);

    // The accelerator's "&" takes no room unless shown.
    label->SetCaption("&Name");
    CHECK(label->Width() == size.cx);
    label->SetShowAccelChar(false);
    CHECK(label->Width() == probe.Canvas()->TextWidth("&Name"));

    // An empty caption, or an ampersand alone, keeps one line's height.
    label->SetCaption("");
    CHECK(label->Height() == size.cy);
    CHECK(label->Width() > 0);
    label->SetShowAccelChar(true);
    label->SetCaption("&");
    CHECK(label->Height() == size.cy);
    CHECK(label->Width() > 0);

    // A right-aligned label keeps its right edge.
    label->SetCaption("Name");
    label->SetAlignment(taRightJustify);
    int right = label->Left() + label->Width();
    label->SetCaption("Longer name");
    CHECK(label->Left() + label->Width() == right);
    CHECK(label->Width() > size.cx);

    // A bigger font makes a bigger label.
    int height = label->Height();
    label->Font()->SetHeight(-30);
    CHECK(label->Height() > height);
}

TEST_CASE("a label's accelerator focuses its focus control")
{
    auto form = MakeForm(320, 200);
    auto* first = Add<TEdit>(form.get(), 100, 10, 120, 24);
    auto* target = Add<TEdit>(form.get(), 100, 50, 120, 24);
    TLabel* label = MakeLabel(form.get(), kImya, 10, 50, 80, 20);
    label->SetFocusControl(target);
    form->Show();
    SetWindowPos(form->WindowHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetActiveWindow(form->WindowHandle());
    Pump();
    first->SetFocus();
    Pump();
    REQUIRE(first->Focused());

    const uint16_t lower = 0xE8, upper = 0xC8;   // "и", "И"
    CHECK(form->Perform(CM_DIALOGCHAR, 'x', 0) == 0);
    CHECK(first->Focused());

    SUBCASE("the letter after the ampersand, in either case")
    {
        CHECK(form->Perform(CM_DIALOGCHAR, lower, 0) == 1);
        Pump();
        CHECK(target->Focused());
        first->SetFocus();
        Pump();
        CHECK(form->Perform(CM_DIALOGCHAR, upper, 0) == 1);
        Pump();
        CHECK(target->Focused());
    }
    SUBCASE("typed into a control that takes no characters")
    {
        auto* plain = Add<TCustomControl>(form.get(), 10, 100, 40, 20);
        plain->SetFocus();
        Pump();
        // The message loop hands the key to the control as CN_CHAR, which asks the form.
        PostMessageA(plain->Handle(), WM_CHAR, lower, 1);
        Pump();
        CHECK(target->Focused());
    }
    SUBCASE("not when disabled, not shown as accelerator, or a doubled ampersand")
    {
        label->SetEnabled(false);
        CHECK(form->Perform(CM_DIALOGCHAR, lower, 0) == 0);
        label->SetEnabled(true);
        label->SetShowAccelChar(false);
        CHECK(form->Perform(CM_DIALOGCHAR, lower, 0) == 0);
        label->SetShowAccelChar(true);
        label->SetCaption("&" + kImya);
        CHECK(form->Perform(CM_DIALOGCHAR, lower, 0) == 0);
        CHECK(form->Perform(CM_DIALOGCHAR, '&', 0) == 0);
        label->SetCaption("a&&b&c");
        CHECK(form->Perform(CM_DIALOGCHAR, 'b', 0) == 0);
        CHECK(form->Perform(CM_DIALOGCHAR, 'C', 0) == 1);
        Pump();
        CHECK(target->Focused());
    }
    SUBCASE("a focus control that goes is forgotten")
    {
        delete target;
        CHECK(label->FocusControl() == nullptr);
        CHECK(form->Perform(CM_DIALOGCHAR, lower, 0) == 0);
    }
    SUBCASE("a focus control that cannot take the focus is left alone")
    {
        target->SetVisible(false);
        CHECK(form->Perform(CM_DIALOGCHAR, lower, 0) == 0);
        CHECK(first->Focused());
    }
}

TEST_CASE("accelerators are found after a single ampersand")
{
    CHECK(IsAccel('n', "&Name"));
    CHECK(IsAccel('N', "&name"));
    CHECK(IsAccel('m', "Na&me"));
    CHECK_FALSE(IsAccel('n', "Name"));
    CHECK_FALSE(IsAccel('&', "&&"));
    CHECK_FALSE(IsAccel('n', "&&Name"));
    CHECK(IsAccel('n', "&&&Name"));
    CHECK_FALSE(IsAccel('x', "trailing&"));
    CHECK_FALSE(IsAccel(0, "&"));
    CHECK_FALSE(IsAccel(0x416, "&\xC6"));
    CHECK(IsAccel(0xE6, "&\xC6"));   // "ж" and "Ж"
}

// ---------------------------------------------------------------------------------------
// Form data and the screenshot

TEST_CASE("the standard controls' published properties go through form data")
{
    RegisterClass(TEdit::StaticClassInfo());
    RegisterClass(TMemo::StaticClassInfo());
    RegisterClass(TComboBox::StaticClassInfo());
    RegisterClass(TLabel::StaticClassInfo());
    TMemoryStream stream;
    {
        auto form = MakeForm();
        form->SetName("Source");
        auto* edit = Add<TEdit>(form.get(), 10, 10, 100, 24);
        edit->SetName("Edit1");
        edit->SetText(kPrivet);
        edit->SetPasswordChar('*');
        edit->SetMaxLength(12);
        edit->SetCharCase(ecLowerCase);
        auto* memo = Add<TMemo>(form.get(), 10, 40, 100, 60);
        memo->SetName("Memo1");
        CHECK(memo->Text() == "Memo1");   // named while its text was its name
        memo->Lines()->Clear();
        memo->Lines()->Add(kMir);
        memo->Lines()->Add("line two");
        memo->SetScrollBars(ssBoth);
        memo->SetWordWrap(false);
        auto* combo = Add<TComboBox>(form.get(), 120, 10, 100, 24);
        combo->SetName("Combo1");
        combo->SetStyle(csDropDownList);
        Fill(combo);
        combo->SetItemIndex(3);
        combo->SetDropDownCount(12);
        auto* label = MakeLabel(form.get(), kImya, 120, 40, 60, 20);
        label->SetName("Label1");
        label->SetFocusControl(edit);
        label->SetLayout(tlCenter);
        stream.WriteComponent(form.get());
    }
    stream.SetPosition(0);
    auto form = MakeForm();
    stream.ReadComponent(form.get());
    auto* edit = dynamic_cast<TEdit*>(form->FindComponent("Edit1"));
    auto* memo = dynamic_cast<TMemo*>(form->FindComponent("Memo1"));
    auto* combo = dynamic_cast<TComboBox*>(form->FindComponent("Combo1"));
    auto* label = dynamic_cast<TLabel*>(form->FindComponent("Label1"));
    REQUIRE(edit);
    REQUIRE(memo);
    REQUIRE(combo);
    REQUIRE(label);
    CHECK(edit->Parent() == form.get());
    CHECK(AnsiLowerCase(edit->Text()) == AnsiLowerCase(kPrivet));
    CHECK(edit->PasswordChar() == '*');
    CHECK(edit->MaxLength() == 12);
    CHECK(edit->CharCase() == ecLowerCase);
    CHECK(memo->Lines()->Count() == 2);
    CHECK(memo->Lines()->Get(0) == kMir);
    CHECK(memo->ScrollBars() == ssBoth);
    CHECK_FALSE(memo->WordWrap());
    CHECK(combo->Style() == csDropDownList);
    CHECK(combo->Items()->Count() == 5);
    CHECK(combo->ItemIndex() == 3);
    CHECK(combo->Text() == "Blueberry");
    CHECK(combo->DropDownCount() == 12);
    CHECK(label->Caption() == kImya);
    CHECK(label->FocusControl() == edit);
    CHECK(label->Layout() == tlCenter);
}

// ---------------------------------------------------------------------------------------
// Buttons and group box

TEST_CASE("a push button clicks from its window, from Enter or Escape and from its accelerator")
{
    TEvents ev;
    auto form = MakeForm();
    auto* edit = Add<TEdit>(form.get(), 10, 10, 100, 24);
    auto* ok = Add<TButton>(form.get(), 10, 50, 75, 25);
    ok->SetCaption("&OK");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    ok->OnClick = MakeMethod<&TEvents::Click>(&ev);
    auto* cancel = Add<TButton>(form.get(), 100, 50, 75, 25);
    cancel->SetCaption("\xCE\xF2\xEC\xE5\xED\xE0");   // "Отмена"
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    form->Show();
    SetWindowPos(form->WindowHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetActiveWindow(form->WindowHandle());
    Pump();
    edit->SetFocus();
    Pump();

    char cls[32] = {};
    GetClassNameA(ok->Handle(), cls, sizeof(cls));
    CHECK(AnsiString(cls) == "TButton");
    CHECK((GetWindowLongA(ok->Handle(), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON);
    CHECK((GetWindowLongA(cancel->Handle(), GWL_STYLE) & 0x0F) == BS_PUSHBUTTON);

    // The system's click takes the focus from the edit and notifies the form once, which
    // reflects it to the button.
    TMsgRecorder rec({WM_COMMAND});
    rec.Attach(form->Handle(), "form");
    rec.Name(ok->Handle(), "ok");
    rec.Name(edit->Handle(), "edit");
    SendMessageA(ok->Handle(), BM_CLICK, 0, 0);
    CHECK_MESSAGES(rec, {"form", WM_COMMAND, EN_KILLFOCUS, "edit"}, {"form", WM_COMMAND, BN_CLICKED, "ok"});
    CHECK(ev.Log == std::vector<AnsiString>{"click"});
    CHECK(form->ModalResult() == mrOk);
    form->SetModalResult(mrNone);

    // Enter goes to the default button, Escape to the cancel button.
    CHECK(form->Perform(CM_DIALOGKEY, VK_RETURN, 0) == 1);
    CHECK(ev.Log.size() == 2);
    CHECK(form->Perform(CM_DIALOGKEY, VK_ESCAPE, 0) == 1);
    CHECK(form->ModalResult() == mrCancel);

    // With another button focused, Enter is that button's.
    cancel->SetFocus();
    Pump();
    CHECK((GetWindowLongA(ok->Handle(), GWL_STYLE) & 0x0F) == BS_PUSHBUTTON);
    CHECK((GetWindowLongA(cancel->Handle(), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON);
    form->SetModalResult(mrNone);
    form->Perform(CM_DIALOGKEY, VK_RETURN, 0);
    CHECK(form->ModalResult() == mrCancel);
    CHECK(ev.Log.size() == 2);
    edit->SetFocus();
    Pump();
    CHECK((GetWindowLongA(ok->Handle(), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON);

    // The accelerator, in either case.
    CHECK(form->Perform(CM_DIALOGCHAR, 'o', 0) == 1);
    CHECK(ev.Log.size() == 3);
    ok->SetEnabled(false);
    CHECK(form->Perform(CM_DIALOGCHAR, 'O', 0) == 0);
    CHECK(form->Perform(CM_DIALOGKEY, VK_RETURN, 0) == 0);
    CHECK(ev.Log.size() == 3);
}

TEST_CASE("a check box keeps its own state and cycles through grayed when allowed")
{
    TEvents ev;
    auto form = MakeForm();
    auto* box = Add<TCheckBox>(form.get(), 10, 10, 120, 20);
    box->SetCaption("&\xC7\xE0\xEF\xEE\xEC\xED\xE8\xF2\xFC");   // "Запомнить"
    box->OnClick = MakeMethod<&TEvents::Click>(&ev);
    box->SetChecked(true);   // before the window: kept, and a click for the change
    CHECK(ev.Log.size() == 1);
    HWND wnd = box->Handle();
    CHECK(SendMessageA(wnd, BM_GETCHECK, 0, 0) == BST_CHECKED);
    CHECK((GetWindowLongA(wnd, GWL_STYLE) & 0x0F) == BS_3STATE);

    SendMessageA(wnd, BM_CLICK, 0, 0);
    CHECK_FALSE(box->Checked());
    CHECK(SendMessageA(wnd, BM_GETCHECK, 0, 0) == BST_UNCHECKED);
    CHECK(ev.Log.size() == 2);
    box->SetAllowGrayed(true);
    SendMessageA(wnd, BM_CLICK, 0, 0);
    CHECK(box->State() == cbGrayed);
    CHECK(SendMessageA(wnd, BM_GETCHECK, 0, 0) == BST_INDETERMINATE);
    SendMessageA(wnd, BM_CLICK, 0, 0);
    CHECK(box->State() == cbChecked);
    // The same state set again is no click.
    box->SetChecked(true);
    CHECK(ev.Log.size() == 4);

    // A new window (the caption moves to the left) keeps the state.
    box->SetAlignment(taLeftJustify);
    CHECK(box->Handle() != wnd);
    CHECK((GetWindowLongA(box->Handle(), GWL_STYLE) & BS_LEFTTEXT) != 0);
    CHECK(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED);
}

TEST_CASE("checking one radio button unchecks the others of its parent")
{
    TEvents ev;
    auto form = MakeForm();
    auto* a = Add<TRadioButton>(form.get(), 10, 10, 100, 20);
    auto* b = Add<TRadioButton>(form.get(), 10, 30, 100, 20);
    auto* group = Add<TGroupBox>(form.get(), 120, 10, 150, 100);
    auto* other = new TRadioButton(form.get());
    other->SetBounds(10, 20, 100, 20);
    other->SetParent(group);
    other->SetChecked(true);
    a->SetCaption("&A");
    b->SetCaption("&B");
    b->OnClick = MakeMethod<&TEvents::Click>(&ev);
    a->SetChecked(true);
    CHECK(a->Checked());
    CHECK(a->TabStop());
    CHECK_FALSE(b->TabStop());
    TMsgRecorder rec({WM_COMMAND});
    rec.Attach(form->Handle(), "form");
    rec.Name(a->Handle(), "a");
    rec.Name(b->Handle(), "b");
    SendMessageA(b->Handle(), BM_CLICK, 0, 0);
    // Only the clicked button notifies; the one it unchecks stays silent.
    CHECK_MESSAGES(rec, {"form", WM_COMMAND, BN_CLICKED, "b"});
    CHECK(b->Checked());
    CHECK_FALSE(a->Checked());
    CHECK(SendMessageA(a->Handle(), BM_GETCHECK, 0, 0) == BST_UNCHECKED);
    CHECK(SendMessageA(b->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED);
    CHECK(other->Checked());   // another parent, another group
    CHECK(ev.Log == std::vector<AnsiString>{"click"});

    // The accelerator focuses the button, which checks itself.
    form->Show();
    SetWindowPos(form->WindowHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetActiveWindow(form->WindowHandle());
    Pump();
    CHECK(form->Perform(CM_DIALOGCHAR, 'a', 0) == 1);
    Pump();
    CHECK(a->Focused());
    CHECK(a->Checked());
    CHECK_FALSE(b->Checked());
}

TEST_CASE("a group box frames its children below its caption")
{
    auto form = MakeForm(320, 220);
    auto* board = Add<TBoard>(form.get(), 0, 0, 300, 200);
    board->SetColor(clWhite);
    auto* group = new TGroupBox(form.get());
    group->SetBounds(10, 10, 200, 120);
    UseFont(group);
    group->Font()->SetColor(clBlack);
    group->SetCaption(kPrivet);
    group->SetParent(board);
    auto* inner = Add<TEdit>(form.get(), 0, 0, 10, 10);
    inner->SetParent(group);
    inner->SetAlign(alClient);
    int h = LineHeight(group->Font());
    CHECK(inner->BoundsRect() == TRect(2, h + 2, 198, 118));
    CHECK_FALSE(group->HandleAllocated());

    inner->SetAlign(alNone);
    inner->SetBounds(150, 90, 10, 10);
    TBitmap bmp;
    PaintBoard(board, bmp);
    TColor shadow = ColorToRGB(clBtnShadow), light = ColorToRGB(clBtnHighlight);
    // The etched frame: dark, with light one pixel inside, around the box below mid-caption.
    int top = 10 + h / 2 - 1;
    CHECK(PixelAt(bmp, 10, 100) == shadow);
    CHECK(PixelAt(bmp, 11, 100) == light);
    CHECK(PixelAt(bmp, 100, top) == shadow);
    CHECK(PixelAt(bmp, 100, top + 1) == light);
    CHECK(PixelAt(bmp, 208, 60) == shadow);
    CHECK(PixelAt(bmp, 209, 60) == light);
    // The caption stands over the frame, on the box's colour, from x = 8.
    TRect caption = Extent(bmp, TRect(10, 10, 210, 10 + h), clBlack);
    CHECK(caption.Left >= 18);
    CHECK(caption.Left <= 20);
    CHECK(PixelAt(bmp, caption.Left + 2, top) != shadow);
    CHECK(PixelAt(bmp, 14, top) == shadow);

    // An empty caption draws the frame alone.
    group->SetCaption("");
    PaintBoard(board, bmp);
    CHECK(CountOf(bmp, TRect(10, 10, 210, 10 + h), clBlack) == 0);
    CHECK(PixelAt(bmp, 30, top) == shadow);
}

TEST_CASE("a group box's accelerator moves the focus to its first control")
{
    auto form = MakeForm(320, 220);
    auto* outside = Add<TEdit>(form.get(), 220, 10, 80, 24);
    auto* group = Add<TGroupBox>(form.get(), 10, 10, 200, 120);
    group->SetCaption("&\xC0\xE4\xF0\xE5\xF1");   // "Адрес"
    auto* second = new TEdit(form.get());
    second->SetParent(group);
    second->SetBounds(10, 60, 100, 24);
    auto* first = new TEdit(form.get());
    first->SetParent(group);
    first->SetBounds(10, 30, 100, 24);
    first->SetTabOrder(0);
    form->Show();
    SetWindowPos(form->WindowHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetActiveWindow(form->WindowHandle());
    Pump();
    outside->SetFocus();
    Pump();
    CHECK(form->Perform(CM_DIALOGCHAR, 0xE0, 0) == 1);   // "а"
    Pump();
    CHECK(first->Focused());
    (void)second;
}

TEST_CASE("a screenshot of a form with the standard controls")
{
    auto form = MakeForm(420, 350);
    form->SetCaption("\xD1\xF2\xE0\xED\xE4\xE0\xF0\xF2\xED\xFB\xE5 \xFD\xEB\xE5\xEC\xE5\xED\xF2\xFB");   // "Стандартные элементы"
    form->SetColor(clBtnFace);
    form->Font()->SetName("Tahoma");
    form->Font()->SetHeight(-12);
    auto* nameLabel = MakeLabel(form.get(), kImya + ":", 10, 14, 60, 18);
    nameLabel->SetParentFont(true);
    nameLabel->SetTransparent(true);
    auto* edit = Add<TEdit>(form.get(), 80, 10, 160, 22);
    edit->SetText("\xC8\xE2\xE0\xED \xCF\xE5\xF2\xF0\xEE\xE2");   // "Иван Петров"
    nameLabel->SetFocusControl(edit);
    auto* passLabel = MakeLabel(form.get(), "&\xCF\xE0\xF0\xEE\xEB\xFC:", 10, 44, 60, 18);   // "Пароль"
    passLabel->SetParentFont(true);
    passLabel->SetTransparent(true);
    auto* pass = Add<TEdit>(form.get(), 80, 40, 160, 22);
    pass->SetPasswordChar('*');
    pass->SetText("secret");
    auto* combo = Add<TComboBox>(form.get(), 250, 10, 150, 22);
    combo->SetStyle(csDropDownList);
    for (const char* s : {"\xD0\xF3\xF1\xF1\xEA\xE8\xE9", "English", "\xD3\xEA\xF0\xE0\xBF\xED\xF1\xFC\xEA\xE0"})   // Русский, English, Українська
        combo->Items()->Add(s);
    combo->SetItemIndex(0);
    auto* editable = Add<TComboBox>(form.get(), 250, 40, 150, 22);
    editable->Items()->Add("\xCC\xEE\xF1\xEA\xE2\xE0");   // "Москва"
    editable->SetText("\xCC\xE8\xED\xF1\xEA");            // "Минск"
    auto* memo = Add<TMemo>(form.get(), 10, 72, 390, 106);
    memo->SetScrollBars(ssVertical);
    memo->Lines()->Add(kPrivet + ", " + kMir + "!");
    memo->Lines()->Add("\xDD\xF2\xEE \xEC\xED\xEE\xE3\xEE\xF1\xF2\xF0\xEE\xF7\xED\xEE\xE5 \xEF\xEE\xEB\xE5.");   // "Это многострочное поле."
    memo->Lines()->Add("Second line in English.");
    auto* group = Add<TGroupBox>(form.get(), 10, 188, 250, 100);
    group->SetCaption("\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8");   // "Настройки"
    auto* remember = new TCheckBox(form.get());
    remember->SetBounds(10, 20, 230, 20);
    remember->SetCaption("&\xC7\xE0\xEF\xEE\xEC\xED\xE8\xF2\xFC \xEF\xE0\xF0\xEE\xEB\xFC");   // "Запомнить пароль"
    remember->SetParent(group);
    remember->SetChecked(true);
    auto* light = new TRadioButton(form.get());
    light->SetBounds(10, 44, 230, 20);
    light->SetCaption("\xD1\xE2\xE5\xF2\xEB\xE0\xFF \xF2\xE5\xEC\xE0");   // "Светлая тема"
    light->SetParent(group);
    light->SetChecked(true);
    auto* dark = new TRadioButton(form.get());
    dark->SetBounds(10, 68, 230, 20);
    dark->SetCaption("\xD2\xB8\xEC\xED\xE0\xFF \xF2\xE5\xEC\xE0");   // "Тёмная тема"
    dark->SetParent(group);
    auto* ok = Add<TButton>(form.get(), 290, 196, 110, 26);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    auto* cancel = Add<TButton>(form.get(), 290, 230, 110, 26);
    cancel->SetCaption("\xCE\xF2\xEC\xE5\xED\xE0");   // "Отмена"
    auto* disabled = MakeLabel(form.get(), "\xCD\xE5\xE4\xEE\xF1\xF2\xF3\xEF\xED\xEE", 10, 296, 150, 18);   // "Недоступно"
    disabled->SetParentFont(true);
    disabled->SetEnabled(false);
    auto* right = MakeLabel(form.get(), "\xD1\xEF\xF0\xE0\xE2\xE0", 230, 296, 170, 18);   // "Справа"
    right->SetParentFont(true);
    right->SetAlignment(taRightJustify);
    right->SetColor(clInfoBk);

    form->Show();
    HWND wnd = form->WindowHandle();
    SetWindowPos(wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    CreateDirectoryA(ZANDREL_BUILD_DIR "/screenshots", nullptr);
    CHECK(SaveWindowPng(wnd, ZANDREL_BUILD_DIR "/screenshots/stdctrls.png"));
    // The memo's window shows its lines in the window colour.
    HDC dc = GetDC(memo->WindowHandle());
    COLORREF back = GetPixel(dc, 300, 80);
    ReleaseDC(memo->WindowHandle(), dc);
    CHECK(back == static_cast<COLORREF>(ColorToRGB(clWindow)));
}
