#include <doctest.h>
#include "classlib/stdctrls.h"
#include "form_helpers.h"
#include "graphics_helpers.h"
#include "join.h"
#include "msgrecorder.h"

#include <algorithm>
#include <vector>

namespace {

// Cyrillic text in code page 1251, which the tests run with.
const AnsiString kPrivet = "\xCF\xF0\xE8\xE2\xE5\xF2";   // "Привет"
const AnsiString kMir = "\xEC\xE8\xF0";                   // "мир"
const AnsiString kImya = "&\xC8\xEC\xFF";                 // "&Имя"

// Writes down the events of a control.
struct TEvents {
    TLog Log;
    int Changes = 0;
    void Change(TObject*)
    {
        ++Changes;
        Log.push_back("change");
    }
    void Select(TObject*) { Log.push_back("select"); }
    void Click(TObject*) { Log.push_back("click"); }
    void DropDown(TObject*) { Log.push_back("dropdown"); }
    void CloseUp(TObject*) { Log.push_back("closeup"); }
};

// A selected font of the system's, so that pixel tests do not depend on the default font.
void UseFont(TControl* C, int Height = -13)
{
    C->Font()->SetName("Tahoma");
    C->Font()->SetHeight(Height);
}

int LineHeight(TFont* Font)
{
    TBitmap probe;
    probe.Canvas()->SetFont(Font);
    return probe.Canvas()->TextHeight("0");
}

// WM_CHAR as the system delivers it to the window that has the keyboard.
void Type(HWND Wnd, char C)
{
    SendMessageA(Wnd, WM_CHAR, static_cast<uint8_t>(C), 1);
}

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

// The form's answer to the accelerator Key is yes, and the focus goes to Target.
bool Accelerates(TCustomForm* Form, uint16_t Key, TWinControl* Target)
{
    const bool handled = Form->Perform(CM_DIALOGCHAR, Key, 0) == 1;
    Pump();
    return handled && Target->Focused();
}

TLabel* MakeLabel(TWinControl* Parent, const AnsiString& Caption, int X, int Y, int W, int H)
{
    auto* label = Add<TLabel>(Parent, X, Y, W, H);
    label->SetAutoSize(false);
    label->SetBounds(X, Y, W, H);
    UseFont(label);
    label->Font()->SetColor(clBlack);
    label->SetCaption(Caption);
    return label;
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
    edit->SetPasswordChar('*');
    CHECK_FALSE(edit->HandleAllocated());
    // The window's limit, read-only and password styles and password character.
    auto shown = [&] {
        HWND w = edit->Handle();
        return Join(SendMessageA(w, EM_GETLIMITTEXT, 0, 0), (StyleOf(w) & ES_READONLY) != 0,
                    (StyleOf(w) & ES_PASSWORD) != 0, SendMessageA(w, EM_GETPASSWORDCHAR, 0, 0));
    };

    HWND wnd = edit->Handle();
    CHECK(shown() == Join(20, 1, 1, '*'));
    CHECK(Join(WindowText(wnd), edit->Text()) == Join(kPrivet, kPrivet));   // hidden on the screen only

    // Changed with a window, the window follows.
    edit->SetReadOnly(false);
    edit->SetPasswordChar('#');
    CHECK(shown() == Join(20, 0, 1, '#'));

    // A new window (the case and selection styles need one) gets the text and the settings back.
    edit->SetCharCase(ecUpperCase);
    edit->SetHideSelection(false);
    CHECK((StyleOf(edit->Handle()) & (ES_UPPERCASE | ES_NOHIDESEL)) == (ES_UPPERCASE | ES_NOHIDESEL));
    CHECK(shown() == Join(20, 0, 1, '#'));
    CHECK(edit->Modified());
    CHECK(AnsiUpperCase(edit->Text()) == AnsiUpperCase(kPrivet));
    // No password character shows the text again.
    edit->SetPasswordChar(0);
    CHECK(shown() == Join(20, 0, 0, 0));
}

TEST_CASE("an edit's selection, selected text and clipboard-free editing")
{
    auto form = MakeForm();
    auto* edit = Add<TEdit>(form.get(), 10, 10, 150, 24);
    edit->SetText(kPrivet + ", " + kMir);
    auto selection = [&] { return Join(edit->SelStart(), edit->SelLength(), edit->SelText()); };

    edit->SetSelStart(2);
    edit->SetSelLength(3);
    CHECK(selection() == Join(2, 3, kPrivet.substr(2, 3)));
    char buf[3] = {};
    CHECK(edit->GetSelTextBuf(buf, sizeof(buf)) == 2);
    CHECK(AnsiString(buf) == kPrivet.substr(2, 2));
    edit->SetSelText("-");
    CHECK(edit->Text() == kPrivet.substr(0, 2) + "-" + kPrivet.substr(5) + ", " + kMir);
    CHECK(selection() == Join(3, 0, ""));

    edit->SelectAll();
    CHECK(edit->SelLength() == static_cast<int>(edit->Text().size()));
    edit->ClearSelection();
    CHECK(Join(edit->Text(), edit->CanUndo()) == Join("", 1));
    edit->Undo();
    CHECK_FALSE(edit->Text().empty());
    // A start past the end is the end; an empty selection has no text.
    edit->SetSelStart(1000);
    CHECK(selection() == Join(edit->Text().size(), 0, ""));
}

TEST_CASE("an edit and a memo report each change of their text once through OnChange")
{
    TEvents ev;
    auto form = MakeForm();
    auto* edit = Add<TEdit>(form.get(), 10, 10, 120, 24);
    edit->OnChange = MakeMethod<&TEvents::Change>(&ev);
    edit->SetText("start");
    edit->SetText("start");
    CHECK(Join(ev.Changes, edit->HandleAllocated()) == "1 0");
    HWND wnd = edit->Handle();
    CHECK(ev.Changes == 1);   // creating the window reports nothing
    edit->SetText("two");
    edit->SetText("two");
    CHECK(ev.Changes == 2);
    // Typing: the system's edit tells the parent (EN_CHANGE), the parent tells the control.
    edit->SetSelStart(3);
    Type(wnd, 'x');
    CHECK(Join(ev.Changes, edit->Text()) == Join(3, "twox"));
    edit->SetSelStart(0);
    edit->SetSelText(kMir);
    CHECK(ev.Changes == 4);
    // A memo's whole text is one change; the same lines set again are none.
    auto* memo = Add<TMemo>(form.get(), 10, 40, 200, 120);
    memo->HandleNeeded();
    memo->OnChange = MakeMethod<&TEvents::Change>(&ev);
    memo->SetText("a\r\nb");
    memo->Lines()->SetText("a\r\nb");
    CHECK(ev.Changes == 5);
}

TEST_CASE("an edit sizes its height to its font and selects all when entered by keyboard")
{
    auto form = MakeForm();
    auto* edit = Add<TEdit>(form.get(), 10, 10, 120, 60);
    UseFont(edit, -13);
    const int autoHeight = LineHeight(edit->Font()) + 8 * GetSystemMetrics(SM_CYBORDER);
    CHECK(edit->Height() == autoHeight);
    edit->SetAutoSize(false);
    edit->SetHeight(60);
    edit->SetAutoSize(true);
    CHECK(edit->Height() == autoHeight);
    // Without a border, the height is the caller's.
    edit->SetBorderStyle(bsNone);
    edit->SetHeight(40);
    CHECK(edit->Height() == 40);

    edit->SetText("all of it");
    edit->HandleNeeded();
    for (bool autoSelect : {true, false}) {
        edit->SetAutoSelect(autoSelect);
        edit->SetSelStart(2);
        edit->Perform(CM_ENTER, 0, 0);
        CHECK(edit->SelLength() == (autoSelect ? 9 : 0));
    }
}

TEST_CASE("an edit and a memo paint their background in their colour")
{
    auto form = MakeForm();
    auto* edit = Add<TEdit>(form.get(), 10, 10, 120, 24);
    auto* memo = Add<TMemo>(form.get(), 10, 40, 200, 100);
    edit->SetColor(clYellow);
    memo->Lines()->Add(kPrivet);
    ShowOnTop(form.get());
    RedrawWindow(form->WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    CHECK(Join(ClientPixel(edit, 110, 10), ClientPixel(memo, 180, 80)) == Join(clYellow, ColorToRGB(clWindow)));
}

// ---------------------------------------------------------------------------------------
// Memo

namespace {
// A memo whose lines are Привет, second and мир.
struct TMemoLines {
    std::unique_ptr<TForm> Form = MakeForm();
    TMemo* Memo = Add<TMemo>(Form.get(), 10, 10, 200, 120);
    TStrings* Lines = Memo->Lines();
    TMemoLines()
    {
        Lines->Add(kPrivet);
        Lines->Add("second");
        Lines->Add(kMir);
    }
};
} // namespace

TEST_CASE("memo lines are the window's lines, the last one with or without a line break")
{
    TMemoLines m;
    CHECK(m.Memo->Text() == kPrivet + "\r\nsecond\r\n" + kMir + "\r\n");
    // Line breaks inside an inserted line make more lines.
    m.Lines->Insert(1, "a\nb\rc\r\nd");
    CHECK(Join(m.Lines->Count(), m.Lines->Get(1), m.Lines->Get(4), m.Lines->Get(5)) == Join(7, "a", "d", "second"));
    // After a last line without a line break, an added line comes after one.
    m.Memo->SetText("one\r\ntwo");
    m.Lines->Add("three");
    CHECK(m.Memo->Text() == "one\r\ntwo\r\nthree");
    m.Lines->Delete(2);
    CHECK(Join(m.Lines->Count(), m.Lines->Get(1)) == Join(2, "two"));
}

TEST_CASE("memo lines: indexes outside raise before anything changes, a line longer than any buffer is read whole")
{
    TMemoLines m;
    const AnsiString before = m.Memo->Text();
    CHECK_THROWS_WITH_AS(m.Lines->Get(3), "List index out of bounds (3)", EStringListError);
    CHECK_THROWS_AS(m.Lines->Get(-1), EStringListError);
    CHECK_THROWS_AS(m.Lines->Put(5, "x"), EStringListError);
    CHECK_THROWS_AS(m.Lines->Delete(3), EStringListError);
    CHECK_THROWS_AS(m.Lines->Insert(4, "x"), EStringListError);
    CHECK_THROWS_AS(m.Lines->Insert(-1, "x"), EStringListError);
    CHECK(m.Memo->Text() == before);
    // Count itself is a valid place to insert.
    m.Lines->Insert(3, "last");
    CHECK(m.Lines->Get(3) == "last");

    m.Memo->SetWordWrap(false);
    AnsiString longLine(70000, 'w');
    longLine[0] = 'A', longLine.back() = 'Z';
    m.Lines->Add(AnsiString(5000, 'v'));
    m.Lines->Add(longLine);
    CHECK(m.Lines->Get(4) == AnsiString(5000, 'v'));
    CHECK(m.Lines->Get(5) == longLine);
}

TEST_CASE("memo text beyond the capacity is refused with an error")
{
    TMemoLines m;
    m.Memo->SetMaxLength(25);   // the lines hold 21 characters
    CHECK_THROWS_WITH_AS(m.Lines->Add("56789"), "Text exceeds memo capacity", EOutOfResources);
    CHECK(m.Memo->Text().size() <= 25);
}

TEST_CASE("a memo's keys: returns and tabs as asked")
{
    auto form = MakeForm();
    auto* memo = Add<TMemo>(form.get(), 10, 10, 200, 120);
    HWND wnd = memo->Handle();
    for (char c : {'a', '\r', 'b'})
        Type(wnd, c);
    CHECK(memo->Lines()->Count() == 2);
    memo->SetWantReturns(false);
    Type(wnd, '\r');
    CHECK(memo->Lines()->Count() == 2);
    CHECK((memo->Perform(WM_GETDLGCODE, 0, 0) & (DLGC_WANTALLKEYS | DLGC_WANTTAB)) == 0);
    memo->SetWantTabs(true);
    CHECK((memo->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB) != 0);

    // Styles that need a new window keep the lines.
    memo->SetScrollBars(ssVertical);
    memo->SetAlignment(taCenter);
    CHECK((StyleOf(memo->Handle()) & (WS_VSCROLL | ES_CENTER)) == (WS_VSCROLL | ES_CENTER));
    CHECK(Join(memo->Lines()->Count(), memo->Lines()->Get(1)) == Join(2, "b"));
    memo->SetCaretPos(TPoint(1, 1));
    CHECK(Join(memo->CaretPos(), memo->SelStart()) == "(1,1) 4");
}

TEST_CASE("lines and items without any window to hold them raise a clear error")
{
    TMemo memo(nullptr);
    CHECK_THROWS_AS(memo.Lines()->Add("x"), EInvalidOperation);
    CHECK_THROWS_AS(memo.Lines()->Count(), EInvalidOperation);
    CHECK_FALSE(memo.HandleAllocated());
    TComboBox combo(nullptr);
    CHECK_THROWS_AS(combo.Items()->Add("x"), EInvalidOperation);
    // What only asks or stores makes no window.
    combo.SetMaxLength(4);
    CHECK_FALSE(combo.DroppedDown());
    CHECK_FALSE(combo.HandleAllocated());
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

// A combo box of the style, with the five fruit of Fill or none, on a form of its own.
struct TComboForm {
    std::unique_ptr<TForm> Form = MakeForm();
    TComboBox* Combo = Add<TComboBox>(Form.get(), 10, 10, 150, 24);
    explicit TComboForm(TComboBoxStyle Style = csDropDown, bool Filled = true)
    {
        Combo->SetStyle(Style);
        if (Filled)
            Fill(Combo);
    }
};

// A key typed after the clock moved by Gap, and the item expected after it (kAny: not checked).
constexpr int kAny = -2;
struct TKeyStep {
    DWORD Gap;
    char Key;
    int Index;
};
void TypeSteps(TCustomComboBox* Combo, HWND Wnd, std::initializer_list<TKeyStep> Steps)
{
    int n = 0;
    for (const TKeyStep& s : Steps) {
        INFO("step " << n++);
        g_now += s.Gap;
        Type(Wnd, s.Key);
        if (s.Index != kAny)
            CHECK(Combo->ItemIndex() == s.Index);
    }
}
} // namespace

TEST_CASE("combo box items live in the window")
{
    TComboForm f(csDropDown, false);
    TComboBox* combo = f.Combo;
    // A text set before the window reaches the window.
    combo->SetText(kPrivet);
    CHECK_FALSE(combo->HandleAllocated());
    TStrings* items = combo->Items();
    TObject marker;
    CHECK(items->Add(kPrivet) == 0);
    CHECK(WindowText(combo->EditHandle()) == kPrivet);
    CHECK(items->AddObject("two", &marker) == 1);
    items->Insert(0, "zero");
    CHECK(SendMessageA(combo->WindowHandle(), CB_GETCOUNT, 0, 0) == 3);
    CHECK(Join(items->Get(1), items->IndexOf("TWO"), items->IndexOf("none")) == Join(kPrivet, 2, -1));
    CHECK(items->Objects(2) == &marker);

    // An index the window lacks: no text, and no object but an error.
    CHECK(items->Get(3) + items->Get(-1) == "");
    CHECK_THROWS_WITH_AS(items->Objects(7), "List index out of bounds (7)", EStringListError);
    // The window refuses an insert past the end.
    CHECK_THROWS_WITH_AS(items->Insert(10, "far"), "Unable to insert a line", EOutOfResources);

    // Putting keeps the object.
    items->Put(2, "TWO");
    CHECK(items->Objects(2) == &marker);

    // Clearing the items keeps the text; clearing the control empties both.
    combo->SetText("typed");
    items->Clear();
    CHECK(Join(items->Count(), combo->Text()) == Join(0, "typed"));
    items->Add("x");
    combo->Clear();
    CHECK(Join(items->Count(), combo->Text()) == Join(0, ""));

    // Sorted, added items go to their place.
    combo->SetSorted(true);
    items->Add("pear");
    CHECK(items->AddObject("apple", combo) == 0);
    CHECK(Join(items->Get(1), items->Objects(0) == combo) == Join("pear", 1));
}

namespace {
// A shown combo box of the five fruit with the focus, its list three items high.
struct TDropping : TComboForm {
    TEvents Drops;
    TDropping()
    {
        Combo->SetDropDownCount(3);
        Combo->OnDropDown = MakeMethod<&TEvents::DropDown>(&Drops);
        Combo->OnCloseUp = MakeMethod<&TEvents::CloseUp>(&Drops);
        ShowOnTop(Form.get());
        FocusOn(Combo);
    }
    // Types Key into the edit part; answers whether the list is open then.
    bool Type(char Key)
    {
        ::Type(Combo->EditHandle(), Key);
        Pump();
        return Combo->DroppedDown();
    }
    bool Drop()
    {
        Combo->SetDroppedDown(true);
        Pump();
        return Combo->DroppedDown();
    }
};
} // namespace

TEST_CASE("a combo box's list opens as many items high as asked; Escape and a whole item typed close it")
{
    TDropping d;
    SUBCASE("three items high; Escape closes it")
    {
        CHECK(GetFocus() == d.Combo->EditHandle());
        CHECK(d.Drop());
        CHECK(d.Drops.Log == TLog{"dropdown"});
        RECT list;
        GetWindowRect(d.Combo->ListHandle(), &list);
        int itemHeight = static_cast<int>(SendMessageA(d.Combo->ListHandle(), LB_GETITEMHEIGHT, 0, 0));
        CHECK(list.bottom - list.top >= 3 * itemHeight);
        CHECK(list.bottom - list.top < 4 * itemHeight);
        CHECK_FALSE(d.Type(VK_ESCAPE));
        CHECK(d.Drops.Log == TLog{"dropdown", "closeup"});
    }
    SUBCASE("typing a whole item closes it")
    {
        d.Combo->SetAutoCloseUp(true);
        CHECK(d.Drop());
        for (char c : AnsiString("Banan"))
            Type(d.Combo->EditHandle(), c);
        CHECK(d.Combo->DroppedDown());
        CHECK_FALSE(d.Type('a'));
        CHECK(d.Combo->Text() == "Banana");
    }
}

TEST_CASE("item index, text and selection of the edit part")
{
    TComboForm f;
    TComboBox* combo = f.Combo;
    CHECK(combo->ItemIndex() == -1);
    combo->SetItemIndex(2);
    CHECK(combo->Text() == "Banana");
    combo->SetText("Ban");
    combo->SetSelStart(1);
    combo->SetSelLength(2);
    const AnsiString selected = combo->SelText();
    combo->SetSelText("o");
    combo->SelectAll();
    CHECK(Join(selected, combo->Text(), combo->SelLength()) == Join("an", "Bo", 2));

    // A list style has no edit part: its text is the item's, and a text selects an item.
    combo->SetStyle(csDropDownList);
    CHECK(combo->EditHandle() == nullptr);
    combo->SetText("Cherry");
    CHECK(Join(combo->ItemIndex(), combo->Text(), combo->SelText()) == Join(4, "Cherry", ""));
    combo->SetText("no such item");
    CHECK(Join(combo->ItemIndex(), combo->Text()) == Join(-1, ""));

    TComboBox other(nullptr);
    other.SetParent(f.Form.get());
    combo->SetItemIndex(1);
    combo->CopySelection(&other);
    CHECK(Join(other.Items()->Count(), other.Items()->Get(0)) == Join(1, "Apricot"));
    combo->MoveSelection(&other);
    CHECK(Join(combo->Items()->Count(), other.Items()->Count()) == "4 2");
    combo->ClearSelection();
    CHECK(combo->ItemIndex() == -1);
}

TEST_CASE("items, item index and text survive a new window")
{
    TComboForm f;
    TComboBox* combo = f.Combo;
    TObject marker;
    combo->Items()->PutObject(3, &marker);

    SUBCASE("an editable style keeps a typed text that is no item")
    {
        combo->SetItemIndex(3);
        combo->SetText("Blue sky");
        HWND firstEdit = combo->EditHandle();
        combo->SetCharCase(ecLowerCase);
        // The system's lower case takes the items too.
        CHECK(Join(combo->Items()->Count(), combo->Items()->Get(0), combo->ItemIndex(), AnsiLowerCase(combo->Text())) ==
              Join(5, "apple", 3, "blue sky"));

        CHECK(combo->Items()->Objects(3) == &marker);
        // The new edit window is subclassed again.
        REQUIRE(combo->EditHandle());
        CHECK(combo->EditHandle() != firstEdit);
        CHECK(GetWindowLongPtrA(combo->EditHandle(), GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(combo->EditInstance()));
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
    TComboForm f(csDropDownList);
    TComboBox* combo = f.Combo;
    combo->OnChange = MakeMethod<&TEvents::Change>(&ev);
    combo->OnClick = MakeMethod<&TEvents::Click>(&ev);
    HWND wnd = combo->Handle();

    // The arrow key moves the selection in the system's window, which notifies CBN_SELCHANGE.
    SendMessageA(wnd, WM_KEYDOWN, VK_DOWN, 1);
    CHECK(combo->ItemIndex() == 0);
    CHECK(ev.Log == TLog{"click", "change"});
    combo->OnSelect = MakeMethod<&TEvents::Select>(&ev);
    SendMessageA(wnd, WM_KEYDOWN, VK_DOWN, 1);
    CHECK(combo->ItemIndex() == 1);
    CHECK(ev.Log == TLog{"click", "change", "click", "select"});
    // Set by the program: no notification.
    combo->SetItemIndex(3);
    CHECK(ev.Log.size() == 4);
}

TEST_CASE("a list style searches the items by the keys typed without a pause")
{
    TClockScope clock;
    TComboForm f(csDropDownList);
    TComboBox* combo = f.Combo;
    HWND wnd = combo->Handle();

    SUBCASE("keys close together form one search text, a pause starts a new one")
    {
        // "apr" is Apricot, "apri" too; after the pause "b" is Banana, "bl" Blueberry.
        TypeSteps(combo, wnd, {{1000, 'a', 0}, {100, 'p', kAny}, {100, 'r', 1}, {499, 'i', 1}, {500, 'b', 2},
                               {10, 'l', 3}});
    }
    SUBCASE("a key that matches nothing leaves the search text as it was")
    {
        // "bz" matches nothing; the system's own search may move.
        TypeSteps(combo, wnd, {{1000, 'b', kAny}, {10, 'z', kAny}});
        g_now += 10;
        combo->SetItemIndex(2);
        TypeSteps(combo, wnd, {{0, 'l', 3}});   // still "b" + "l"
    }
    SUBCASE("backspace shortens the search text, and on none does nothing")
    {
        combo->SetItemIndex(4);
        TypeSteps(combo, wnd, {{0, '\b', kAny}, {0, '\b', 4}, {1000, 'b', kAny}, {10, 'l', 3}, {10, '\b', kAny},
                               {10, 'a', 2}, {0, '\b', kAny}, {0, '\b', kAny}, {0, '\b', 2}});
    }
    SUBCASE("the search notifies a changed item like a selection")
    {
        TEvents ev;
        combo->OnChange = MakeMethod<&TEvents::Change>(&ev);
        TypeSteps(combo, wnd, {{1000, 'c', 4}});
        CHECK(ev.Changes == 1);
        TypeSteps(combo, wnd, {{10, 'h', 4}});
        CHECK(ev.Changes == 1);   // the same item
    }
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
    TComboForm f(csOwnerDrawVariable, false);
    TComboBox* combo = f.Combo;
    combo->SetItemHeight(18);
    combo->OnDrawItem = MakeMethod<&Draw::DrawItem>(&draw);
    combo->OnMeasureItem = MakeMethod<&Draw::MeasureItem>(&draw);
    combo->Items()->Add("a");
    combo->Items()->Add("b");
    CHECK(Join(draw.Measured.size() >= 2, SendMessageA(combo->WindowHandle(), CB_GETITEMHEIGHT, 1, 0),
               combo->ItemHeight()) == "1 21 18");
    combo->SetItemIndex(1);
    f.Form->Show();
    Pump();
    combo->Repaint();
    CHECK(std::count(draw.Drawn.begin(), draw.Drawn.end(), 1) >= 1);
}

// ---------------------------------------------------------------------------------------
// Label

namespace {
// A label of Привет мир at (10, 10, 200 x 40) on a white board, painted with the board.
struct TLabelBoard {
    std::unique_ptr<TForm> Form = MakeForm(320, 200);
    TBoard* Board = Add<TBoard>(Form.get(), 0, 0, 250, 140);
    TLabel* Label = MakeLabel(Board, kPrivet + " " + kMir, 10, 10, 200, 40);
    TRect Area = Label->BoundsRect();
    TBitmap Bmp;
    TLabelBoard() { Board->SetColor(clWhite); }
    void Paint() { PaintBoard(Board, Bmp); }
    // The ink of the text after a paint.
    TRect Ink()
    {
        Paint();
        return Extent(Bmp, Area, clBlack);
    }
};
} // namespace

TEST_CASE("a label is painted by its parent: opaque in its colour, transparent, or embossed when disabled")
{
    TLabelBoard b;
    b.Label->SetColor(clYellow);
    SUBCASE("opaque in its own colour, the text in the font's")
    {
        TRect text = b.Ink();
        CHECK(CountOf(b.Bmp, b.Area, clBlack) > 20);
        CHECK(CountOf(b.Bmp, b.Area, clBlack) + CountOf(b.Bmp, b.Area, clYellow) > b.Area.Width() * b.Area.Height() * 3 / 4);
        CHECK(Join(CountOf(b.Bmp, b.Area, clWhite), PixelAt(b.Bmp, 5, 5)) == Join(0, clWhite));   // outside: the form
        CHECK(text.Left < 14);
        CHECK(text.Top < 16);
        CHECK(text.Bottom < 30);
    }
    SUBCASE("transparent: the parent shows through")
    {
        b.Label->SetTransparent(true);
        b.Paint();
        CHECK(CountOf(b.Bmp, b.Area, clYellow) == 0);
        CHECK(CountOf(b.Bmp, b.Area, clBlack) > 20);
    }
    SUBCASE("disabled: embossed in the highlight and shadow colours")
    {
        b.Label->SetEnabled(false);
        b.Paint();
        CHECK(CountOf(b.Bmp, b.Area, clBlack) == 0);
        TColor light = ColorToRGB(clBtnHighlight), dark = ColorToRGB(clBtnShadow);
        REQUIRE(light != dark);
        CHECK(CountOf(b.Bmp, b.Area, light) > 10);
        CHECK(CountOf(b.Bmp, b.Area, dark) > 10);
        // The highlight lies one pixel right of and below the shadow.
        TRect l = Extent(b.Bmp, b.Area, light), d = Extent(b.Bmp, b.Area, dark);
        CHECK(Join(l.Right, l.Bottom) == Join(d.Right + 1, d.Bottom + 1));
    }
}

TEST_CASE("a label places its text by alignment and layout, and breaks it into lines when wrapping")
{
    TLabelBoard b;
    b.Label->SetAlignment(taRightJustify);
    b.Label->SetLayout(tlBottom);
    TRect text = b.Ink();
    CHECK(text.Right > 200);
    CHECK(text.Left > 60);
    CHECK(text.Bottom > 40);
    b.Label->SetAlignment(taCenter);
    b.Label->SetLayout(tlCenter);
    text = b.Ink();
    CHECK(std::abs((text.Left + text.Right) / 2 - 110) <= 3);
    CHECK(std::abs((text.Top + text.Bottom) / 2 - 30) <= 4);

    b.Label->SetAlignment(taLeftJustify);
    b.Label->SetLayout(tlTop);
    b.Label->SetCaption("one two three four five six seven eight nine ten");
    b.Label->SetBounds(10, 10, 60, 100);
    b.Area = b.Label->BoundsRect();
    int oneLine = b.Ink().Height();
    b.Label->SetWordWrap(true);
    CHECK(b.Ink().Height() > 2 * oneLine);
    CHECK(b.Ink().Right <= 70);
}

TEST_CASE("a right-aligned label sizing itself keeps its right edge; the accelerator's \"&\" takes no room")
{
    auto form = MakeForm(320, 200);
    TLabel* label = MakeLabel(form.get(), "&Name", 10, 10, 100, 50);
    label->SetAlignment(taRightJustify);
    label->SetAutoSize(true);
    TBitmap probe;
    probe.Canvas()->SetFont(label->Font());
    CHECK(label->Width() == probe.Canvas()->TextWidth("Name"));
    CHECK(label->BoundsRect().Right == 110);
    label->SetCaption("Longer name");
    CHECK(label->Width() == probe.Canvas()->TextWidth("Longer name"));
    CHECK(label->BoundsRect().Right == 110);
}

TEST_CASE("a label's accelerator focuses its focus control")
{
    auto form = MakeForm(320, 200);
    auto* first = Add<TEdit>(form.get(), 100, 10, 120, 24);
    auto* target = Add<TEdit>(form.get(), 100, 50, 120, 24);
    TLabel* label = MakeLabel(form.get(), kImya, 10, 50, 80, 20);
    label->SetFocusControl(target);
    ShowOnTop(form.get());
    FocusOn(first);
    REQUIRE(first->Focused());
    auto dialogChar = [&](uint16_t Key) { return form->Perform(CM_DIALOGCHAR, Key, 0); };

    const uint16_t lower = 0xE8;   // "и"
    CHECK(dialogChar('x') == 0);
    CHECK(first->Focused());

    SUBCASE("typed into a control that takes no characters")
    {
        auto* plain = Add<TCustomControl>(form.get(), 10, 100, 40, 20);
        FocusOn(plain);
        // The message loop hands the key to the control as CN_CHAR, which asks the form.
        PostMessageA(plain->Handle(), WM_CHAR, lower, 1);
        Pump();
        CHECK(target->Focused());
    }
    SUBCASE("not when disabled or not shown as accelerator")
    {
        label->SetEnabled(false);
        CHECK(dialogChar(lower) == 0);
        label->SetEnabled(true);
        label->SetShowAccelChar(false);
        CHECK(dialogChar(lower) == 0);
        label->SetShowAccelChar(true);
        label->SetCaption("a&&b&c");
        CHECK(Accelerates(form.get(), 'C', target));
    }
    SUBCASE("a focus control that goes is forgotten; one that cannot take the focus is left alone")
    {
        target->SetVisible(false);
        CHECK(dialogChar(lower) == 0);
        CHECK(first->Focused());
        delete target;
        CHECK(label->FocusControl() == nullptr);
        CHECK(dialogChar(lower) == 0);
    }
}

TEST_CASE("accelerators are found after a single ampersand")
{
    const std::tuple<uint16_t, const char*, bool> cases[] = {
        {'n', "&Name", true},       {'N', "&name", true}, {'m', "Na&me", true},      {'n', "&&&Name", true},
        {0xE6, "&\xC6", true},   // "ж" and "Ж"
        {'n', "Name", false},       {'&', "&&", false},   {'n', "&&Name", false},    {'x', "trailing&", false},
        {0, "&", false},            {0x416, "&\xC6", false}};
    for (auto [key, caption, found] : cases)
        CHECK_MESSAGE(IsAccel(key, caption) == found, caption);
}

// ---------------------------------------------------------------------------------------
// Form data

TEST_CASE("the standard controls' published properties go through form data")
{
    for (const TClassInfo* c : {&TEdit::StaticClassInfo(), &TMemo::StaticClassInfo(), &TComboBox::StaticClassInfo(),
                                &TLabel::StaticClassInfo()})
        RegisterClass(*c);
    auto form = MakeForm();
    {
        auto source = MakeForm();
        source->SetName("Source");
        auto* edit = Add<TEdit>(source.get(), 10, 10, 100, 24);
        edit->SetName("Edit1");
        edit->SetText(kPrivet);
        edit->SetPasswordChar('*');
        edit->SetMaxLength(12);
        edit->SetCharCase(ecLowerCase);
        auto* memo = Add<TMemo>(source.get(), 10, 40, 100, 60);
        memo->SetName("Memo1");
        CHECK(memo->Text() == "Memo1");   // named while its text was its name
        memo->Lines()->SetText(kMir + "\nline two");
        memo->SetScrollBars(ssBoth);
        memo->SetWordWrap(false);
        auto* combo = Add<TComboBox>(source.get(), 120, 10, 100, 24);
        combo->SetName("Combo1");
        combo->SetStyle(csDropDownList);
        Fill(combo);
        combo->SetItemIndex(3);
        combo->SetDropDownCount(12);
        auto* label = MakeLabel(source.get(), kImya, 120, 40, 60, 20);
        label->SetName("Label1");
        label->SetFocusControl(edit);
        label->SetLayout(tlCenter);
        // Every property set above is written, and what is read back writes the same bytes: the
        // values were read into their properties.
        CheckRoundTrip(source.get(), form.get(),
                       {"PasswordChar", "MaxLength", "CharCase", "Lines.Strings", "ScrollBars", "WordWrap", "Style",
                        "Items.Strings", "ItemIndex", "DropDownCount", "FocusControl", "Layout"});
    }
    auto* edit = dynamic_cast<TEdit*>(form->FindComponent("Edit1"));
    auto* label = dynamic_cast<TLabel*>(form->FindComponent("Label1"));
    REQUIRE((edit && label));
    CHECK(edit->Parent() == form.get());
    CHECK(label->ParentColor());   // still the form's colour, not a copy of it
}

TEST_CASE("form data: what differs from how a class starts a control comes back as written")
{
    for (const TClassInfo* c : {&TEdit::StaticClassInfo(), &TMemo::StaticClassInfo(), &TComboBox::StaticClassInfo()})
        RegisterClass(*c);
    // A form shown and following its parent's font and hints; a memo at 0, 0 of no size; an
    // edit and a combo box out of the tab order and in their parent's colour.
    auto source = MakeForm();
    source->Show();
    source->SetParentFont(true);
    source->SetParentShowHint(true);
    auto* memo = Add<TMemo>(source.get(), 0, 0, 0, 0);
    memo->SetName("Memo1");
    auto* edit = Add<TEdit>(source.get(), 10, 10, 100, 24);
    edit->SetName("Edit1");
    auto* combo = Add<TComboBox>(source.get(), 10, 40, 100, 24);
    combo->SetName("Combo1");
    for (TWinControl* c : {static_cast<TWinControl*>(edit), static_cast<TWinControl*>(combo)}) {
        c->SetTabStop(false);
        c->SetParentColor(true);
    }
    auto form = MakeForm();
    CheckRoundTrip(source.get(), form.get(), {"Memo1", "Visible", "ParentFont", "ParentShowHint", "TabStop"});
    CHECK(Join(form->Visible(), form->ParentFont(), form->ParentShowHint()) == "1 1 1");
    auto* readMemo = dynamic_cast<TMemo*>(form->FindComponent("Memo1"));
    REQUIRE(readMemo);
    CHECK(readMemo->BoundsRect() == TRect(0, 0, 0, 0));
    for (const char* name : {"Edit1", "Combo1"}) {
        CAPTURE(name);
        auto* c = dynamic_cast<TWinControl*>(form->FindComponent(name));
        REQUIRE(c);
        CHECK(Join(c->TabStop(), c->ParentColor()) == "0 1");
    }
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
    ShowOnTop(form.get());
    FocusOn(edit);
    // The push-button kinds of OK and Cancel: 1 the default one, 0 a plain one.
    auto kinds = [&] { return Join(StyleOf(ok->Handle()) & 0x0F, StyleOf(cancel->Handle()) & 0x0F); };
    auto dialog = [&](UINT Msg, WPARAM Key) { return form->Perform(Msg, Key, 0); };

    CHECK(kinds() == Join(BS_DEFPUSHBUTTON, BS_PUSHBUTTON));
    // The system's click takes the focus from the edit and notifies the form once, which
    // reflects it to the button.
    TMsgRecorder rec({WM_COMMAND});
    rec.Attach(form->Handle(), "form");
    rec.Name(ok->Handle(), "ok");
    rec.Name(edit->Handle(), "edit");
    SendMessageA(ok->Handle(), BM_CLICK, 0, 0);
    CHECK_MESSAGES(rec, {"form", WM_COMMAND, EN_KILLFOCUS, "edit"}, {"form", WM_COMMAND, BN_CLICKED, "ok"});
    CHECK(Join(ev.Log.size(), form->ModalResult()) == Join(1, mrOk));
    form->SetModalResult(mrNone);

    // Enter goes to the default button, Escape to the cancel button.
    CHECK(dialog(CM_DIALOGKEY, VK_RETURN) == 1);
    CHECK(ev.Log.size() == 2);
    CHECK(dialog(CM_DIALOGKEY, VK_ESCAPE) == 1);
    CHECK(Join(form->ModalResult(), ev.Log.size()) == Join(mrCancel, 2));

    // The accelerator, in either case.
    CHECK(dialog(CM_DIALOGCHAR, 'o') == 1);
    CHECK(ev.Log.size() == 3);
    ok->SetEnabled(false);
    CHECK(dialog(CM_DIALOGCHAR, 'O') == 0);
    CHECK(dialog(CM_DIALOGKEY, VK_RETURN) == 0);
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
    // The state, the window's check and the clicks so far.
    auto state = [&] { return Join(box->State(), SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), ev.Log.size()); };
    CHECK(state() == Join(cbChecked, BST_CHECKED, 1));

    SendMessageA(wnd, BM_CLICK, 0, 0);
    CHECK(state() == Join(cbUnchecked, BST_UNCHECKED, 2));
    box->SetAllowGrayed(true);
    SendMessageA(wnd, BM_CLICK, 0, 0);
    CHECK(state() == Join(cbGrayed, BST_INDETERMINATE, 3));
    SendMessageA(wnd, BM_CLICK, 0, 0);
    box->SetChecked(true);   // the same state set again is no click
    CHECK(state() == Join(cbChecked, BST_CHECKED, 4));

    // A new window (the caption moves to the left) keeps the state.
    box->SetAlignment(taLeftJustify);
    CHECK((StyleOf(box->Handle()) & BS_LEFTTEXT) != 0);
    CHECK(state() == Join(cbChecked, BST_CHECKED, 4));
}

TEST_CASE("checking one radio button unchecks the others of its parent")
{
    TEvents ev;
    auto form = MakeForm();
    auto* a = Add<TRadioButton>(form.get(), 10, 10, 100, 20);
    auto* b = Add<TRadioButton>(form.get(), 10, 30, 100, 20);
    auto* group = Add<TGroupBox>(form.get(), 120, 10, 150, 100);
    auto* other = Add<TRadioButton>(group, 10, 20, 100, 20);
    other->SetChecked(true);
    a->SetCaption("&A");
    b->SetCaption("&B");
    b->OnClick = MakeMethod<&TEvents::Click>(&ev);
    a->SetChecked(true);
    CHECK(Join(a->TabStop(), b->TabStop()) == "1 0");
    TMsgRecorder rec({WM_COMMAND});
    rec.Attach(form->Handle(), "form");
    rec.Name(a->Handle(), "a");
    rec.Name(b->Handle(), "b");
    SendMessageA(b->Handle(), BM_CLICK, 0, 0);
    // Only the clicked button notifies; the one it unchecks stays silent. Another parent is
    // another group.
    CHECK_MESSAGES(rec, {"form", WM_COMMAND, BN_CLICKED, "b"});
    CHECK(Join(a->Checked(), b->Checked(), other->Checked()) == "0 1 1");
    CHECK(Join(SendMessageA(a->Handle(), BM_GETCHECK, 0, 0), SendMessageA(b->Handle(), BM_GETCHECK, 0, 0)) ==
          Join(BST_UNCHECKED, BST_CHECKED));
    CHECK(ev.Log == TLog{"click"});

    // The accelerator focuses the button, which checks itself.
    ShowOnTop(form.get());
    CHECK(Accelerates(form.get(), 'a', a));
    CHECK(Join(a->Checked(), b->Checked()) == "1 0");
}

TEST_CASE("a group box frames its children below its caption")
{
    auto form = MakeForm(320, 220);
    auto* board = Add<TBoard>(form.get(), 0, 0, 300, 200);
    board->SetColor(clWhite);
    auto* group = Add<TGroupBox>(board, 10, 10, 200, 120);
    UseFont(group);
    group->Font()->SetColor(clBlack);
    group->SetCaption(kPrivet);
    auto* inner = Add<TEdit>(group, 0, 0, 10, 10);
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
    CheckPixels(bmp, {{10, 100, shadow}, {11, 100, light}, {100, top, shadow}, {100, top + 1, light},
                      {208, 60, shadow}, {209, 60, light}, {14, top, shadow}});
    // The caption stands over the frame, on the box's colour, from x = 8.
    TRect caption = Extent(bmp, TRect(10, 10, 210, 10 + h), clBlack);
    CHECK(caption.Left >= 18);
    CHECK(caption.Left <= 20);
    CHECK(PixelAt(bmp, caption.Left + 2, top) != shadow);

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
    Add<TEdit>(group, 10, 60, 100, 24);
    auto* first = Add<TEdit>(group, 10, 30, 100, 24);
    first->SetTabOrder(0);
    ShowOnTop(form.get());
    FocusOn(outside);
    CHECK(Accelerates(form.get(), 0xE0, first));   // "а"
}
