#include "ucwin.h"
#include "unicode/ucgraphics.h"
#include "unicode/uchotkeys.h"
#include "join.h"

#include <utility>

using namespace widetest;

namespace {

// The Unicode controls of these tests: the library's controls with the overrides a Unicode
// control makes, each calling the routines under test.

class TWideMemo : public TMemo {
    Z_CLASS(TWideMemo, TMemo)
public:
    explicit TWideMemo(TComponent* AOwner) : TMemo(AOwner), FWideLines(std::make_unique<TUcMemoStrings>(this))
    {
        SetBounds(8, 8, 240, 90);
    }
    TUcMemoStrings* WideLines() const { return FWideLines.get(); }

protected:
    void CreateWindowHandle(const TCreateParams& Params) override { CreateUnicodeEditHandle(this, Params); }

private:
    std::unique_ptr<TUcMemoStrings> FWideLines;
};
Z_CLASS_IMPL(TWideMemo, TMemo)

class TWideCombo : public TComboBox, public IWideCustomListControl {
    Z_CLASS(TWideCombo, TComboBox)
public:
    explicit TWideCombo(TComponent* AOwner) : TComboBox(AOwner), FWideItems(std::make_unique<TUcComboBoxStrings>(this))
    {
        SetBounds(8, 8, 200, 24);
    }
    TUcComboBoxStrings* WideItems() const { return FWideItems.get(); }
    void AddItems(std::initializer_list<WideString> Items)
    {
        for (const WideString& item : Items)
            FWideItems->Add(item);
    }
    void AddWideItem(const WideString& Item, TObject* AObject) override { AddComboItemWide(this, Item, AObject); }
    void CopySelection(TCustomListControl* Destination) override { CopyComboSelectionWide(this, Destination); }

    int Selects = 0;
    std::vector<char> KeysSeen;

protected:
    void CreateWindowHandle(const TCreateParams& Params) override
    {
        CreateUnicodeWindowHandle(this, Params, L"COMBOBOX", false);
    }
    void CreateWnd() override
    {
        TComboBox::CreateWnd();
        RestoreComboAfterCreateWnd(this, FSavedItems, FSavedIndex, FSavedText);
    }
    void DestroyWnd() override
    {
        if (!IsDestroying())
            SaveComboBeforeDestroyWnd(this, FSavedItems, FSavedIndex, FSavedText);
        TComboBox::DestroyWnd();
    }
    const TComboBoxStringsClass& GetItemsClass() override { return TVornPatchedComboBoxStrings::ClassRef(); }
    void ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc) override
    {
        if (!HandleComboWndProcWide(this, Message, ComboWnd, ComboProc, MakeMethod<&TWideCombo::EditKey>(this)))
            TComboBox::ComboWndProc(Message, ComboWnd, ComboProc);
    }
    void KeyPress(char& Key) override
    {
        KeysSeen.push_back(Key);
        bool saved;
        SuspendComboAutoComplete(this, saved);
        TComboBox::KeyPress(Key);
        RestoreComboAutoComplete(this, saved);
    }
    void Select() override
    {
        ++Selects;
        TComboBox::Select();
    }
    void Dispatch(TMessage& Message) override
    {
        if (Message.Msg != CN_COMMAND || !HandleComboSelChangeWide(this, Message))
            TComboBox::Dispatch(Message);
    }

private:
    void EditKey(TMessage& Message)
    {
        if (EditableStyle())
            UcCombo_AutoCompleteKeyPress(this, Message, true, false);
    }
    std::unique_ptr<TUcComboBoxStrings> FWideItems;
    std::unique_ptr<TUcStringList> FSavedItems;
    int FSavedIndex = -1;
    std::optional<WideString> FSavedText;
};
Z_CLASS_IMPL(TWideCombo, TComboBox)

// A combo box with a search of its own.
class TSearchingCombo : public TWideCombo, public IWideComboItemSearch {
    Z_CLASS(TSearchingCombo, TWideCombo)
public:
    using TWideCombo::TWideCombo;
    int FindItemByPrefix(const WideString& Text, int) override
    {
        Asked.push_back(Text);
        return 1;
    }
    std::vector<WideString> Asked;
};
Z_CLASS_IMPL(TSearchingCombo, TWideCombo)

class TWideLabel : public TLabel {
    Z_CLASS(TWideLabel, TLabel)
public:
    explicit TWideLabel(TComponent* AOwner) : TLabel(AOwner) { SetBounds(8, 40, 100, 20); }

protected:
    void DoDrawText(TRect& Rect, int Flags) override
    {
        if (!DrawLabelTextWide(this, Rect, Flags))
            TLabel::DoDrawText(Rect, Flags);
    }
    void Dispatch(TMessage& Message) override
    {
        if (Message.Msg != CM_DIALOGCHAR)
            TLabel::Dispatch(Message);
        else
            HandleLabelDialogCharWide(this, Message);
    }
};
Z_CLASS_IMPL(TWideLabel, TLabel)

// The combo box's edit selection as the window has it, in UTF-16 units.
std::pair<int, int> EditSel(TCustomComboBox* Combo)
{
    DWORD start = 0, end = 0;
    SendMessageW(Combo->Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

// A WM_CHAR of Key, packed as the library's key handling gets it.
TMessage CharMessage(WideChar Key)
{
    TMessage m{WM_CHAR, Key, 0, 0};
    PackWideCharMessage(m);
    return m;
}

// Counts the events it is given.
struct TEvents {
    int Count = 0;
    void Fire(TObject*) { ++Count; }
};

// The clock of the incremental search.
DWORD g_now = 0;
DWORD TestClock() { return g_now; }

} // namespace

TEST_CASE("a Unicode edit shows its wide password character")
{
    TTestForm f;
    auto* edit = f.Add<TWideEdit>();
    // The library's password character, the wide one, and the one the window shows.
    auto state = [&] {
        return Join(edit->PasswordChar(), edit->WidePasswordChar(),
                    SendMessageW(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0));
    };
    edit->SetWidePasswordChar(0x25CF);   // ●
    CHECK(state() == Join('*', 0x25CF, 0x25CF));   // the library knows only its ANSI form
    edit->SetWidePasswordChar(0);
    CHECK(state() == Join(0, 0, 0));

    // Bytes of the upper half go through the code page.
    TRestore<UINT> cp(DefaultConversionCodePage);
    DefaultConversionCodePage = 1251;
    edit->SetPasswordChar('\x95');   // the bullet of 1251, not the control character U+0095
    edit->RecreateWnd();
    CHECK(state() == Join('\x95', 0x2022, 0x2022));
    edit->SetWidePasswordChar(0x00A7);   // § is 0xA7 in 1251 too
    CHECK(state() == Join('\xA7', 0xA7, 0xA7));
    edit->SetWidePasswordChar(0x00D7);   // × is not in 1251, where 0xD7 is Ч
    CHECK(state() == Join('*', 0xD7, 0xD7));
}

TEST_CASE("the selection of a Unicode edit counts UTF-16 units")
{
    TTestForm f;
    auto* edit = f.Add<TWideEdit>();
    const WideString zhuk = L"\x0416\x0443\x043A", mir = L"\x043C\x0438\x0440";   // Жук, мир
    // Жук, a character outside the basic plane (two units), мир.
    SetControlWideText(edit, zhuk + L"\xD834\xDD1E" + mir);
    SetEditWideSelStart(edit, 5);
    SetEditWideSelLength(edit, 3);
    CHECK(Join(GetEditWideSelStart(edit), GetEditWideSelLength(edit), GetEditWideSelText(edit)) == Join(5, 3, mir));
    SetEditWideSelStart(edit, 3);
    SetEditWideSelLength(edit, 2);
    CHECK(GetEditWideSelText(edit) == L"\xD834\xDD1E");
    SetEditWideSelText(edit, Greek);
    CHECK(GetControlWideText(edit) == zhuk + Greek + mir);
    CHECK(Join(GetEditWideSelStart(edit), GetEditWideSelLength(edit)) == Join(3 + Greek.size(), 0));
    {
        // The ANSI platform converts through the ANSI text.
        auto* plain = f.Add<TEdit>();
        plain->SetText(WideToAnsi(zhuk + L" " + mir));
        TAnsiPlatform ansi;
        SetEditWideSelStart(plain, 4);
        SetEditWideSelLength(plain, 3);
        CHECK(Join(GetEditWideSelStart(plain), GetEditWideSelLength(plain)) == Join(4, 3));
        CHECK(GetEditWideSelText(plain) == mir);
        SetEditWideSelLength(plain, -2);
        CHECK(GetEditWideSelText(plain) == L"\x043A ");
        SetEditWideSelText(plain, L"\x0414\x0430");   // Да
        CHECK(AnsiToWide(plain->Text()) == L"\x0416\x0443\x0414\x0430" + mir);
    }
}

TEST_CASE("a read-only edit on a Far-East system without the wide calls")
{
    TRestore<bool (*)()> farEast(UcFarEastLocale);
    UcFarEastLocale = [] { return true; };
    TTestForm f;
    auto* edit = f.Add<TWideEdit>();
    edit->SetReadOnly(true);
    TAnsiPlatform ansi;
    HWND wnd = edit->Handle();
    CHECK_FALSE(IsWindowUnicode(wnd));
    CHECK((GetWindowLongA(wnd, GWL_STYLE) & ES_READONLY) != 0);
}

TEST_CASE("the wide lines of a memo")
{
    TTestForm f;
    auto* memo = f.Add<TWideMemo>();
    TUcMemoStrings* lines = memo->WideLines();
    lines->Add(Cyrillic);
    lines->Add(Greek);
    REQUIRE(IsWindowUnicode(memo->Handle()));
    CHECK(GetControlWideText(memo) == Cyrillic + L"\r\n" + Greek + L"\r\n");
    // An index the memo does not have.
    CHECK_THROWS_AS(lines->Get(2), EStringListError);
    CHECK_THROWS_AS(lines->Insert(3, Greek), EStringListError);

    // Lines replaced, and inserted with their line breaks made the memo's.
    lines->Put(1, Chinese);
    lines->Insert(1, L"a\nb");
    lines->Insert(0, Greek);
    CHECK(Items(*lines) == W{Greek, Cyrillic, L"a", L"b", Chinese});
    // Deleted and cleared through the memo's own lines.
    lines->Delete(0);
    CHECK(Items(*lines) == W{Cyrillic, L"a", L"b", Chinese});
    lines->Clear();
    CHECK(Join(lines->Count(), GetControlWideText(memo)) == Join(0, ""));

    // The text; the same text again changes nothing.
    TEvents changes;
    memo->OnChange = MakeMethod<&TEvents::Fire>(&changes);
    lines->SetText(Greek + L"\n" + Cyrillic);
    lines->SetText(Greek + L"\r\n" + Cyrillic);
    CHECK(Join(GetControlWideText(memo), changes.Count) == Join(Greek + L"\r\n" + Cyrillic, 1));
    // A line inserted after a last line without a line break.
    lines->Insert(2, Chinese);
    const WideString three = Greek + L"\r\n" + Cyrillic + L"\r\n" + Chinese;
    CHECK(Join(GetControlWideText(memo), lines->Get(2)) == Join(three, Chinese));
    // Joined lines end each with a line break; the memo's own text is as it is.
    CHECK(lines->Text() == three + L"\r\n");
    lines->SetJoinLines(false);
    CHECK(lines->Text() == three);

    // A full memo; a line too long for the line message.
    memo->SetMaxLength(20);
    CHECK_THROWS_WITH_AS(lines->Insert(0, L"0123456789012345678901234"), "Text exceeds memo capacity",
                         EOutOfResources);
    memo->SetMaxLength(0);
    memo->SetWordWrap(false);
    SetControlWideText(memo, WideString(70000, L'\x0436') + L"\r\n" + Greek);
    CHECK(lines->Count() == 2);
    CHECK_THROWS_WITH_AS(lines->Get(0), "Out of system resources", EOutOfResources);
    CHECK(lines->Get(1) == Greek);
}

TEST_CASE("the wide items of a combo box")
{
    TTestForm f;
    auto* combo = f.Add<TWideCombo>();
    TUcComboBoxStrings* items = combo->WideItems();
    TObject marker;
    CHECK(items->Add(Cyrillic) == 0);
    CHECK(items->AddObject(Greek, &marker) == 1);
    items->Insert(0, Chinese);
    REQUIRE(IsWindowUnicode(combo->Handle()));
    CHECK(Items(*items) == W{Chinese, Cyrillic, Greek});
    CHECK(items->GetObject(2) == &marker);
    CHECK(items->Get(3) + items->Get(-1) == L"");
    CHECK(Join(items->IndexOf(Greek), items->IndexOf(L"\x041F\x0420\x0418\x0412\x0415\x0422"),   // ПРИВЕТ
               items->IndexOf(L"none")) == Join(2, 1, -1));
    // The library's own items see the ANSI forms.
    CHECK(Join(combo->Items()->Get(1), combo->Items()->Get(2)) == Join(WideToAnsi(Cyrillic), "?????"));

    // An item the window refuses.
    CHECK_THROWS_WITH_AS(items->Insert(7, Greek), "Unable to insert a line", EOutOfResources);
    CHECK_THROWS_AS(combo->Items()->Insert(7, "x"), EOutOfResources);
    CHECK(items->Count() == 3);
    {
        // The ANSI platform goes through the library's items.
        TAnsiPlatform ansi;
        CHECK(items->Add(L"\x0414\x0430") == 3);   // Да
        CHECK(Join(items->IndexOf(L"\x0414\x0430"), combo->Items()->Get(3)) == Join(3, WideToAnsi(L"\x0414\x0430")));
        items->Insert(0, L"a");
        CHECK(Items(*items) == W{L"a", L"??", Cyrillic, L"?????", L"\x0414\x0430"});
    }
    // The library's items read an empty item and a missing one as empty.
    items->Add(L"");
    CHECK(combo->Items()->Get(5) + combo->Items()->Get(6) + combo->Items()->Get(-1) == "");
    CHECK(combo->Items()->Add("x") == 6);
    // Clearing keeps the wide text.
    SetControlWideText(combo, Greek + L"!");
    items->Clear();
    CHECK(Join(items->Count(), GetControlWideText(combo)) == Join(0, Greek + L"!"));
    // A sorted combo box puts an added item in its place.
    combo->SetSorted(true);
    items->AddObject(L"b", &marker);
    CHECK(items->AddObject(L"a", nullptr) == 0);
    CHECK(Join(items->Get(1), items->GetObject(1) == &marker) == Join("b", 1));
}

TEST_CASE("a combo box keeps its wide items, selection and text when its window is made again")
{
    TTestForm f;
    auto* combo = f.Add<TWideCombo>();
    TObject marker;
    combo->WideItems()->Add(Cyrillic);
    combo->WideItems()->AddObject(Greek, &marker);
    combo->SetItemIndex(1);
    combo->SetStyle(csDropDownList);   // a new window
    combo->Handle();
    CHECK(Items(*combo->WideItems()) == W{Cyrillic, Greek});
    CHECK(Join(combo->WideItems()->GetObject(1) == &marker, combo->ItemIndex(), GetControlWideText(combo)) ==
          Join(true, 1, Greek));
    // A typed text that is no item.
    combo->SetStyle(csDropDown);
    combo->Handle();
    SetControlWideText(combo, Chinese + Greek);
    combo->RecreateWnd();
    combo->Handle();
    CHECK(GetControlWideText(combo) == Chinese + Greek);
}

TEST_CASE("a new item chosen in the list gives the combo box its wide text; the chosen item copied")
{
    TTestForm f;
    f.Form->Show();
    auto* combo = f.Add<TWideCombo>();
    combo->AddItems({Cyrillic, Greek});
    combo->SetItemIndex(0);
    TEvents clicks;
    combo->OnClick = MakeMethod<&TEvents::Fire>(&clicks);
    // The down arrow in the edit window moves to the next item; the combo box tells its
    // parent, which reflects the notification to the control.
    SendMessageW(combo->EditHandle(), WM_KEYDOWN, VK_DOWN, 0);
    CHECK(Join(combo->ItemIndex(), GetControlWideText(combo)) == Join(1, Greek));
    CHECK(Join(clicks.Count, combo->Selects) == Join(1, 1));
    // Another notification, or one not reflected, is not this one.
    TMessage other{CN_COMMAND, MAKEWPARAM(0, CBN_EDITCHANGE), 0, 0};
    CHECK_FALSE(HandleComboSelChangeWide(combo, other));
    TMessage none{WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), 0, 0};
    CHECK_FALSE(HandleComboSelChangeWide(combo, none));

    // The chosen item copied to other list controls, with its object.
    auto* wide = f.Add<TWideCombo>();
    auto* plain = f.Add<TComboBox>();
    TObject marker;
    combo->WideItems()->PutObject(1, &marker);
    combo->CopySelection(wide);
    combo->CopySelection(plain);
    CHECK(Join(wide->WideItems()->Get(0), plain->Items()->Get(0)) == Join(Greek, "?????"));
    CHECK(wide->WideItems()->GetObject(0) == &marker);
    CHECK(plain->Items()->GetObject(0) == &marker);
    combo->SetItemIndex(-1);
    combo->CopySelection(wide);   // nothing selected: nothing copied
    CHECK(wide->WideItems()->Count() == 1);
    AddItemToListControl(nullptr, Greek, nullptr);   // no control: nothing to do
}

TEST_CASE("combo box items are found by their beginning, selected, completed and told once")
{
    TTestForm f;
    auto* c = f.Add<TWideCombo>();
    const WideString Anna = L"\x0410\x043D\x043D\x0430", Anton = L"\x0410\x043D\x0442\x043E\x043D";
    const WideString An = L"\x0410\x043D", Ant = L"\x0410\x043D\x0442";
    c->AddItems({Anna, Anton, L"\x0411\x043E\x0440\x0438\x0441", Greek, L"Zeta"});   // ..., Борис
    // The system's search ignores case (under Wine only the case of ASCII letters): from the
    // top, after the first item, round from the top.
    CHECK(Join(ComboFindItemByPrefix(c, An), ComboFindItemByPrefix(c, An, 0), ComboFindItemByPrefix(c, An, 1)) ==
          Join(0, 1, 0));
    CHECK(Join(ComboFindItemByPrefix(c, L"\x03A9\x03BC"), ComboFindItemByPrefix(c, L"zE"), ComboFindItemByPrefix(c, L"")) ==
          Join(3, 4, -1));
    CHECK(Join(ComboFindUniqueItemByPrefix(c, Ant), ComboFindUniqueItemByPrefix(c, An),
               ComboFindUniqueItemByPrefix(c, L"x")) == Join(1, -1, -1));

    // Selected and completed, the completion selected; the same item again is not told again.
    CHECK(ComboSelectItemByPrefix(c, L"\x0411\x043E", true, false));   // Бо
    CHECK(Join(c->ItemIndex(), GetControlWideText(c), c->Selects) == Join(2, L"\x0411\x043E\x0440\x0438\x0441", 1));
    CHECK(EditSel(c) == std::make_pair(2, 5));
    CHECK(ComboSelectItemByPrefix(c, L"\x0411", true, false));
    CHECK(c->Selects == 1);
    // The typed part stays as typed; an item that is not unique is not taken when it must be.
    CHECK(ComboSelectItemByPrefix(c, L"ze", true, false));
    CHECK(Join(GetControlWideText(c), c->Selects) == Join("zeta", 2));
    CHECK_FALSE(ComboSelectItemByPrefix(c, An, true, true));
    // An exact item closes the open list when auto close-up is on.
    f.Form->Show();
    c->SetAutoCloseUp(true);
    c->SetDroppedDown(true);
    CHECK(ComboSelectItemByPrefix(c, Ant, true, false));
    CHECK(c->DroppedDown());
    CHECK(ComboSelectItemByPrefix(c, L"ZETA", true, false));
    CHECK_FALSE(c->DroppedDown());

    // A combo box with a search of its own is asked instead.
    auto* searching = f.Add<TSearchingCombo>();
    searching->AddItems({Anna, Anton});
    CHECK(Join(ComboFindItemByPrefix(searching, L"q"), ComboFindUniqueItemByPrefix(searching, L"q")) == Join(1, 1));
    CHECK(searching->Asked.size() == 3);
}

TEST_CASE("the incremental search of a drop-down list: keys within a pause form one search text")
{
    // A drop-down list of Алла, Алёна, Лев and Ωμέγα on the tests' clock.
    TRestore<TTickCountFunc> clock(ComboTickCount);
    ComboTickCount = &TestClock;
    g_now = 100000;
    TTestForm f;
    auto* combo = f.Add<TWideCombo>();
    combo->SetStyle(csDropDownList);
    combo->AddItems({L"\x0410\x043B\x043B\x0430", L"\x0410\x043B\x0451\x043D\x0430", L"\x041B\x0435\x0432", Greek});
    WideString search;
    DWORD last = 0;
    // A key after a pause of Gap ms; what is left of it, the search text and the item after it.
    struct TStep {
        DWORD Gap;
        WideChar Key, Left;
        const wchar_t* Search;
        int Index;
    };
    const TStep steps[] = {
        {0, 0x0410, 0, L"\x0410", 0},                     // А: consumed
        {0, VK_ESCAPE, VK_ESCAPE, L"\x0410", 0},          // escape and tab leave the search alone
        {0, VK_TAB, VK_TAB, L"\x0410", 0},
        {1200, 0x043B, 0, L"\x0410\x043B", 0},            // keys 1.2 s apart form one search text
        {1200, 0x0451, 0, L"\x0410\x043B\x0451", 1},
        {100, L'z', L'z', L"\x0410\x043B\x0451", 1},      // a key that matches no item leaves it
        {1300, 0x041B, 0, L"\x041B", 2},                  // keys 1.3 s apart start two searches
        {0, VK_BACK, VK_BACK, L"", 2},                    // backspace shortens the search text,
        {0, VK_BACK, VK_BACK, L"", 2},                    // and an empty one stays empty;
        {10, 0x041B, 0, L"\x041B", 2},                    // the next key starts afresh at once
        {5000, 0x03A9, 0, L"\x03A9", 3},                  // a key beyond the ANSI code page
    };
    for (const TStep& s : steps) {
        CAPTURE(int(s.Key));
        g_now += s.Gap;
        TMessage m = CharMessage(s.Key);
        ComboSearchKeyPress(combo, m, search, last);
        CHECK(Join(WideCharOfCharMessage(m), search, combo->ItemIndex()) ==
              Join(s.Left, WideString(s.Search), s.Index));
        CHECK(GetControlWideText(combo) == combo->WideItems()->Get(s.Index));
    }
    // Auto-complete off leaves the key alone.
    combo->SetAutoComplete(false);
    g_now += 5000;
    TMessage m = CharMessage(0x041B);
    ComboSearchKeyPress(combo, m, search, last);
    CHECK(WideCharOfCharMessage(m) == 0x041B);
}

namespace {
// A shown drop-down combo box of Александр, Алексей and Ωμέγα.
struct TCompleting {
    TTestForm<> F;
    TWideCombo* Combo = F.Add<TWideCombo>();
    const WideString Alexander = L"\x0410\x043B\x0435\x043A\x0441\x0430\x043D\x0434\x0440";
    const WideString Alexey = L"\x0410\x043B\x0435\x043A\x0441\x0435\x0439";
    TCompleting()
    {
        F.Form->Show();
        Combo->AddItems({Alexander, Alexey, Greek});
        REQUIRE(IsWindowUnicode(Combo->EditHandle()));
    }
    // Types Key into the edit window; answers the text and the selection after it.
    std::string Type(WideChar Key)
    {
        SendMessageW(Combo->EditHandle(), WM_CHAR, Key, 0);
        return Join(GetControlWideText(Combo), EditSel(Combo).first, EditSel(Combo).second);
    }
};
} // namespace

TEST_CASE("typing into a drop-down combo box completes the text from a unique item")
{
    TCompleting c;
    CHECK(c.Type(0x0410) == Join(c.Alexander, 1, 9));   // А
    for (WideChar k : {0x043B, 0x0435, 0x043A, 0x0441})
        c.Type(k);
    CHECK(c.Type(0x0435) == Join(c.Alexey, 6, 7));
    CHECK(c.Combo->ItemIndex() == 1);
    // A key that completes nothing goes to the edit window and replaces the selection.
    CHECK(c.Type(L'z') == Join(WideString(L"\x0410\x043B\x0435\x043A\x0441\x0435z"), 7, 7));

    // Typing before the end completes nothing.
    SetControlWideText(c.Combo, L"\x0410\x043B");
    SendMessageW(c.Combo->Handle(), CB_SETEDITSEL, 0, MAKELPARAM(1, 1));
    CHECK(c.Type(0x043B) == Join(WideString(L"\x0410\x043B\x043B"), 2, 2));
}

TEST_CASE("auto-completion opens the list on a key, closes it on Tab and Enter, and is for editable styles only")
{
    TCompleting c;
    c.Combo->SetAutoDropDown(true);
    TMessage q = CharMessage(L'q');
    UcCombo_AutoCompleteKeyPress(c.Combo, q, true, false);
    CHECK(c.Combo->DroppedDown());
    TMessage tab = CharMessage(VK_TAB);
    UcCombo_AutoCompleteKeyPress(c.Combo, tab, true, false);
    CHECK(Join(c.Combo->DroppedDown(), WideCharOfCharMessage(tab)) == Join(false, VK_TAB));
    // Enter closes an open list instead of reaching the edit window.
    c.Combo->SetDroppedDown(true);
    c.Type(VK_RETURN);
    CHECK_FALSE(c.Combo->DroppedDown());

    auto* list = c.F.Add<TWideCombo>();
    list->SetStyle(csDropDownList);
    TMessage a = CharMessage(L'a');
    CHECK_THROWS_AS(UcCombo_AutoCompleteKeyPress(list, a, true, false), EAssertionFailed);
}

namespace {
std::vector<std::pair<UINT, WPARAM>> g_childMessages;
LRESULT CALLBACK RecordingChildProc(HWND, UINT Msg, WPARAM WParam, LPARAM)
{
    g_childMessages.emplace_back(Msg, WParam);
    return 42;
}
} // namespace

TEST_CASE("IME input, replaced selections and the selection of a combo box's edit part are in UTF-16")
{
    TTestForm f;
    auto* combo = f.Add<TWideCombo>();
    combo->Handle();
    HWND edit = combo->EditHandle();
    REQUIRE(edit);
    // Chinese has no ANSI form: one converted on the way would come out as something else.
    SendMessageW(edit, WM_IME_CHAR, 0x4E2D, 0);
    CHECK(Join(GetControlWideText(combo), combo->KeysSeen.size()) == Join(L"\x4E2D", 1));   // typed, as a character
    SendMessageW(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(L"\x6587!"));
    CHECK(GetControlWideText(combo) == L"\x4E2D\x6587!");

    // The composition goes to the edit part's own procedure as it came; other messages are
    // left to the library, and a child that is not Unicode gets nothing of this.
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 8, 8, f.Form->Handle(), nullptr, nullptr, nullptr);
    HWND ansiChild = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 8, 8, f.Form->Handle(), nullptr, nullptr, nullptr);
    g_childMessages.clear();
    TMessage composition{WM_IME_COMPOSITION, 0x4E2D, 0x800, 0};   // GCS_RESULTSTR
    CHECK(HandleComboWndProcWide(combo, composition, child, &RecordingChildProc, nullptr));
    CHECK(composition.Result == 42);
    TMessage key{WM_KEYDOWN, VK_LEFT, 0, 0};
    CHECK_FALSE(HandleComboWndProcWide(combo, key, child, &RecordingChildProc, nullptr));
    CHECK_FALSE(HandleComboWndProcWide(combo, composition, ansiChild, &RecordingChildProc, nullptr));
    CHECK(g_childMessages == std::vector<std::pair<UINT, WPARAM>>{{WM_IME_COMPOSITION, 0x4E2D}});
    DestroyWindow(child);
    DestroyWindow(ansiChild);

    // The wide selection of the edit part; a drop-down list has no selected text.
    SetControlWideText(combo, Cyrillic + Greek);
    SetComboWideSelStart(combo, 6);
    SetComboWideSelLength(combo, 5);
    CHECK(Join(GetComboWideSelStart(combo), GetComboWideSelLength(combo), GetComboWideSelText(combo)) == Join(6, 5, Greek));
    SetComboWideSelText(combo, Chinese);
    CHECK(GetControlWideText(combo) == Cyrillic + Chinese);
    combo->WideItems()->Add(Greek);
    combo->SetStyle(csDropDownList);
    combo->SetItemIndex(0);
    CHECK(GetComboWideSelText(combo) == L"");
    SetComboWideSelText(combo, Cyrillic);
    CHECK(GetControlWideText(combo) == Greek);
}

TEST_CASE("a label draws its wide caption")
{
    TTestForm f;
    auto* label = f.Add<TWideLabel>();
    label->Font()->SetSize(16);
    label->Font()->SetColor(clBlack);
    SetControlWideText(label, Greek);
    // Draws the label's text into a picture of Background, into Rect.
    auto draw = [&](TColor Background, TRect& Rect, UINT Flags = DT_LEFT) {
        auto bmp = Picture(200, 40, Background);
        TCanvasDC dc(label->Canvas(), bmp->Canvas()->Handle());
        label->Canvas()->Brush()->SetStyle(bsClear);
        CHECK(DrawLabelTextWide(label, Rect, Flags));
        return bmp;
    };
    // Its size and pixels are those of the wide text.
    auto reference = Picture(200, 40, clWhite);
    reference->Canvas()->Font()->Assign(label->Font());
    CHECK(Join(label->Width(), label->Height()) ==
          Join(CanvasTextWidthWide(reference->Canvas(), Greek), CanvasTextHeightWide(reference->Canvas(), Greek)));
    reference->Canvas()->Brush()->SetStyle(bsClear);
    RECT rr{0, 0, 200, 40};
    DrawTextW(reference->Canvas()->Handle(), Greek.c_str(), -1, &rr, DT_LEFT);
    TRect r(0, 0, 200, 40);
    CHECK(SamePixels(draw(clWhite, r).get(), reference.get()));
    // An empty caption and a lone hot-key mark measure one line high.
    TRect greek(0, 0, 0, 0);
    draw(clWhite, greek, DT_CALCRECT);
    for (const wchar_t* caption : {L"", L"&"}) {
        SetControlWideText(label, caption);
        TRect m(0, 0, 0, 0);
        draw(clWhite, m, DT_CALCRECT);
        CHECK(Join(m.Height(), m.Width() > 0) == Join(greek.Height(), true));
    }
    // A disabled label is embossed: a highlight one pixel down and right, the shadow over it.
    SetControlWideText(label, Greek);
    label->SetEnabled(false);
    auto emboss = Picture(200, 40, clNavy);
    emboss->Canvas()->Font()->Assign(label->Font());
    SetBkMode(emboss->Canvas()->Handle(), TRANSPARENT);
    for (auto [d, c] : {std::pair{1, clBtnHighlight}, std::pair{0, clBtnShadow}}) {
        SetTextColor(emboss->Canvas()->Handle(), static_cast<COLORREF>(ColorToRGB(c)));
        RECT er{d, d, 200 + d, 40 + d};
        DrawTextW(emboss->Canvas()->Handle(), Greek.c_str(), -1, &er, DT_LEFT);
    }
    CHECK(SamePixels(draw(clNavy, r).get(), emboss.get()));
    CHECK(r == TRect(0, 0, 200, 40));
    // The ANSI platform leaves the drawing to the library.
    TAnsiPlatform ansi;
    CHECK_FALSE(DrawLabelTextWide(label, greek, DT_CALCRECT));
}

TEST_CASE("a label's Cyrillic hot key focuses its control")
{
    TTestForm f;
    auto* first = f.Add<TWideEdit>();
    auto* target = f.Add<TWideEdit>();
    target->SetTop(70);
    auto* label = f.Add<TWideLabel>();
    SetControlWideText(label, L"&\x0416\x0430\x043D\x0440");   // &Жанр
    label->SetFocusControl(target);
    f.Form->Show();
    first->SetFocus();
    Pump();
    REQUIRE(GetFocus() == first->Handle());
    auto dialogChar = [&](WPARAM Key) { return f.Form->Perform(CM_DIALOGCHAR, Key, 0); };

    // Not another key, a disabled label, no hot keys shown, or a control that cannot take the focus.
    CHECK(dialogChar(0x0430) == 0);
    auto refused = [&](auto Set) {   // ж with a setting off
        Set(false);
        const LRESULT r = dialogChar(0x0436);
        Set(true);
        return r;
    };
    CHECK(refused([&](bool b) { label->SetEnabled(b); }) == 0);
    CHECK(refused([&](bool b) { label->SetShowAccelChar(b); }) == 0);
    CHECK(refused([&](bool b) { target->SetEnabled(b); }) == 0);
    CHECK(GetFocus() == first->Handle());
    // The key in either case, and packed as the library's key handling has it.
    CHECK(dialogChar(0x0436) == 1);   // ж
    CHECK(GetFocus() == target->Handle());
    first->SetFocus();
    CHECK(dialogChar(MAKEWPARAM(255, 0x0416)) == 1);
    CHECK(GetFocus() == target->Handle());
}

TEST_CASE("wide text on a canvas")
{
    auto bmp = Picture(300, 40, clWhite);
    TCanvas* canvas = bmp->Canvas();
    canvas->Font()->SetSize(14);
    TSize size = CanvasTextExtentWide(canvas, Greek);
    SIZE expected{};
    GetTextExtentPoint32W(canvas->Handle(), Greek.c_str(), static_cast<int>(Greek.size()), &expected);
    CHECK(Join(size.cx, size.cy) == Join(expected.cx, expected.cy));
    CHECK(Join(CanvasTextWidthWide(canvas, Greek), CanvasTextHeightWide(canvas, Greek)) ==
          Join(expected.cx, expected.cy));
    CHECK(CanvasTextWidthWide(canvas, L"") == 0);

    // Text out draws, tells the change once, and moves the pen past the text.
    TEvents changes;
    canvas->OnChange = MakeMethod<&TEvents::Fire>(&changes);
    canvas->Brush()->SetStyle(bsClear);
    CanvasTextOutWide(canvas, 10, 5, Greek);
    canvas->OnChange = nullptr;
    CHECK(Join(canvas->PenPos(), changes.Count) == Join(TPoint(10 + size.cx, 5), 1));
    CHECK(CountPixels(bmp.get(), clWhite) < 300 * 40 - 20);
    // A right-to-left canvas starts one text width + 1 further right.
    canvas->SetTextFlags(ETO_RTLREADING);
    SetWindowOrgEx(canvas->Handle(), 1, 0, nullptr);
    CanvasTextOutWide(canvas, 10, 5, Greek);
    CHECK(canvas->PenPos() == TPoint(10 + 2 * size.cx + 1, 5));
}
