#include <doctest.h>
#include "classlib/stdctrls.h"
#include "classlib/forms.h"
#include "graphics_helpers.h"
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
    TEXTMETRICA tm{};
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, edit->Font()->Handle());
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    CHECK(edit->Height() == tm.tmHeight + 8 * GetSystemMetrics(SM_CYBORDER));
    edit->SetAutoSize(false);
    edit->SetHeight(60);
    CHECK(edit->Height() == 60);
    edit->SetAutoSize(true);
    CHECK(edit->Height() == tm.tmHeight + 8 * GetSystemMetrics(SM_CYBORDER));
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
