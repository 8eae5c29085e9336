#include "unicode/ucstdctrls.h"
#include "unicode/uchotkeys.h"

#include <algorithm>
#include <vector>

namespace {

const char* const SOutOfResources = "Out of system resources";
const char* const SMemoCapacity = "Text exceeds memo capacity";
const char* const SInsertLineError = "Unable to insert a line";

// The window of Control when it is a Unicode window on the NT family (made on demand),
// else null: the library's ANSI path then serves.
HWND UnicodeWindow(TWinControl* Control)
{
    if (!PlatformIsUnicode)
        return nullptr;
    HWND wnd = Control->Handle();
    return IsWindowUnicode(wnd) ? wnd : nullptr;
}

// Length characters of S from Start (both from 0), clamped to S.
template <class S> S Part(const S& Text, int Start, int Length)
{
    const int size = static_cast<int>(Text.size());
    Start = std::clamp(Start, 0, size);
    Length = std::clamp(Length, 0, size - Start);
    return Text.substr(static_cast<size_t>(Start), static_cast<size_t>(Length));
}

int AnsiLength(const WideString& S)
{
    return static_cast<int>(WideToAnsi(S).size());
}

// The selection of an edit or of a combo box's edit part in UTF-16 units, over the library's
// own accessors of Base. On the NT family the window is Unicode and counts in UTF-16 units
// itself; elsewhere positions are converted through the ANSI forms of the wide text.
template <class Base> int WideSelStart(Base* C)
{
    int start = C->Base::GetSelStart();
    if (PlatformIsUnicode)
        return start;
    return static_cast<int>(AnsiToWide(Part(C->Text(), 0, start)).size());
}

template <class Base> void SetWideSelStart(Base* C, int Value)
{
    if (!PlatformIsUnicode)
        Value = AnsiLength(Part(GetControlWideText(C), 0, Value));
    C->Base::SetSelStart(Value);
}

template <class Base> int WideSelLength(Base* C)
{
    if (PlatformIsUnicode)
        return C->Base::GetSelLength();
    return static_cast<int>(AnsiToWide(C->Base::GetSelText()).size());
}

template <class Base> void SetWideSelLength(Base* C, int Value)
{
    if (!PlatformIsUnicode) {
        WideString text = GetControlWideText(C);
        int start = WideSelStart<Base>(C);
        // A negative length reaches back from the start.
        Value = Value >= 0 ? AnsiLength(Part(text, start, Value))
                           : -AnsiLength(Part(text, start + Value, -Value));
    }
    C->Base::SetSelLength(Value);
}

// A byte of the conversion code page as a character; Fallback when the byte alone is none
// (a lead byte of a double-byte code page).
WideChar WideOfAnsiByte(char C, WideChar Fallback)
{
    const WideString w = AnsiToWide(AnsiString(1, C));
    return w.size() == 1 ? w[0] : Fallback;
}

// The library's single-byte password character for a wide one: its byte in the conversion
// code page, "*" for a character of 256 or more or for one that page does not hold exactly
// (the byte of the same value there would be another character).
char AnsiPasswordChar(WideChar C)
{
    if (C == 0)
        return 0;
    if (C >= 256 || !CharMapsToAnsi(C))
        return '*';
    const AnsiString a = WideToAnsi(WideString(1, C));
    return a.size() == 1 ? a[0] : '*';
}

bool EditableComboStyle(TCustomComboBox* Combo)
{
    return Combo->Style() == csDropDown || Combo->Style() == csSimple;
}

// The combo box's window procedure for its child window goes: the child becomes a Unicode
// window again, with Instance (the combo box's own procedure) over the system's procedure,
// which Prev then names in its Unicode form.
void MakeChildUnicode(HWND Child, WNDPROC Instance, WNDPROC& Prev)
{
    if (!Child || !Instance || !Prev)
        return;
    // Only a child that the library subclassed and nobody else since.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(Child, GWLP_WNDPROC)) != Instance)
        return;
    // Set back as ANSI, the procedure read as ANSI is the system's own again, Unicode or not.
    SetWindowLongPtrA(Child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Prev));
    Prev = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Child, GWLP_WNDPROC));
    SetWindowLongPtrW(Child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Instance));
}

// The key of a WM_CHAR as a wide character: on a Unicode window the (packed) character
// itself, on an ANSI window the character of the ANSI code page the text converts through.
WideChar KeyOfMessage(TWinControl* Control, const TMessage& Message)
{
    WideChar key = WideCharOfCharMessage(Message);
    if (key == 0 || key >= 256 || UnicodeWindow(Control))
        return key;
    return WideOfAnsiByte(static_cast<char>(key), key);
}

// The key back into the message: 0 consumes it; a key on a Unicode window is packed again.
void PutKey(TWinControl* Control, TMessage& Message, WideChar Key)
{
    if (Key == 0)
        SetWideCharOfCharMessage(Message, 0);
    else if (UnicodeWindow(Control))
        SetWideCharOfCharMessage(Message, Key);
}

void CloseListOnTab(TCustomComboBox* Combo)
{
    if (Combo->AutoDropDown() && Combo->DroppedDown())
        Combo->SetDroppedDown(false);
}

void OpenListOnKey(TCustomComboBox* Combo)
{
    if (Combo->AutoDropDown() && !Combo->DroppedDown())
        Combo->SetDroppedDown(true);
}

} // namespace

// ---------------------------------------------------------------------------------------
// Edits

void CreateUnicodeEditHandle(TWinControl* Control, const TCreateParams& Params)
{
    if (!PlatformIsUnicode && UcFarEastLocale() && (Params.Style & ES_READONLY)) {
        TCreateParams params = Params;
        params.Style &= ~static_cast<DWORD>(ES_READONLY);
        CreateUnicodeWindowHandle(Control, params, L"EDIT", false);
        SendMessageA(Control->WindowHandle(), EM_SETREADONLY, 1, 0);
        return;
    }
    CreateUnicodeWindowHandle(Control, Params, L"EDIT", false);
}

WideChar GetEditWidePasswordChar(TCustomEdit* Edit, WideChar& PasswordChar)
{
    // Somebody set the library's character behind the wide one: it wins.
    if (AnsiPasswordChar(PasswordChar) != Edit->PasswordChar())
        PasswordChar = Edit->PasswordChar() ? WideOfAnsiByte(Edit->PasswordChar(), L'*') : 0;
    return PasswordChar;
}

void SetEditWidePasswordChar(TCustomEdit* Edit, WideChar& PasswordChar, WideChar Value)
{
    PasswordChar = Value;
    Edit->SetPasswordChar(AnsiPasswordChar(Value));
    if (PlatformIsUnicode && Edit->HandleAllocated()) {
        HWND wnd = Edit->WindowHandle();
        SendMessageW(wnd, EM_SETPASSWORDCHAR, Value, 0);
        InvalidateRect(wnd, nullptr, TRUE);
    }
}

void ApplyWidePasswordChar(TCustomEdit* Edit, WideChar& PasswordChar)
{
    if (!PlatformIsUnicode || !Edit->HandleAllocated())
        return;
    SendMessageW(Edit->WindowHandle(), EM_SETPASSWORDCHAR, GetEditWidePasswordChar(Edit, PasswordChar), 0);
}

int GetEditWideSelStart(TCustomEdit* Edit)
{
    return WideSelStart<TCustomEdit>(Edit);
}

void SetEditWideSelStart(TCustomEdit* Edit, int Value)
{
    SetWideSelStart<TCustomEdit>(Edit, Value);
}

int GetEditWideSelLength(TCustomEdit* Edit)
{
    return WideSelLength<TCustomEdit>(Edit);
}

void SetEditWideSelLength(TCustomEdit* Edit, int Value)
{
    SetWideSelLength<TCustomEdit>(Edit, Value);
}

WideString GetEditWideSelText(TCustomEdit* Edit)
{
    if (!PlatformIsUnicode)
        return AnsiToWide(Edit->TCustomEdit::GetSelText());
    return Part(GetControlWideText(Edit), Edit->TCustomEdit::GetSelStart(), Edit->TCustomEdit::GetSelLength());
}

void SetEditWideSelText(TCustomEdit* Edit, const WideString& Value)
{
    if (!PlatformIsUnicode) {
        Edit->TCustomEdit::SetSelText(WideToAnsi(Value));
        return;
    }
    SendMessageW(Edit->Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

// ---------------------------------------------------------------------------------------
// TUcMemoStrings

Z_CLASS_IMPL(TUcMemoStrings, TUcStrings)

TUcMemoStrings::TUcMemoStrings(TCustomMemo* Memo) : FMemo(Memo) {}

HWND TUcMemoStrings::UnicodeWnd() const
{
    return UnicodeWindow(FMemo);
}

void TUcMemoStrings::CheckIndex(int Index, int Count) const
{
    if (Index < 0 || Index >= Count)
        Error(zstrlist::SListIndexError, Index);
}

int TUcMemoStrings::GetCount() const
{
    return AnsiLines()->Count();
}

WideString TUcMemoStrings::Get(int Index) const
{
    HWND wnd = UnicodeWnd();
    if (!wnd)
        return AnsiToWide(AnsiLines()->Get(Index));
    // A line the window does not have would make the messages below read the wrong one.
    CheckIndex(Index, GetCount());
    LRESULT first = SendMessageW(wnd, EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
    if (first < 0)
        return WideString();
    LRESULT len = SendMessageW(wnd, EM_LINELENGTH, static_cast<WPARAM>(first), 0);
    // The size of the buffer travels in its first unit.
    if (len > 0xFFFF)
        throw EOutOfResources(SOutOfResources);
    if (len <= 0)
        return WideString();
    WideString line(static_cast<size_t>(len) + 1, L'\0');
    line[0] = static_cast<WideChar>(len);
    LRESULT got = SendMessageW(wnd, EM_GETLINE, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(line.data()));
    line.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, len)));
    return line;
}

void TUcMemoStrings::Put(int Index, const WideString& S)
{
    HWND wnd = UnicodeWnd();
    if (!wnd) {
        AnsiLines()->Put(Index, WideToAnsi(S));
        return;
    }
    CheckIndex(Index, GetCount());
    LRESULT first = SendMessageW(wnd, EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
    if (first < 0)
        return;
    LRESULT len = SendMessageW(wnd, EM_LINELENGTH, static_cast<WPARAM>(first), 0);
    SendMessageW(wnd, EM_SETSEL, static_cast<WPARAM>(first), first + len);
    SendMessageW(wnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(S.c_str()));
}

void TUcMemoStrings::Insert(int Index, const WideString& S)
{
    HWND wnd = UnicodeWnd();
    if (!wnd) {
        AnsiLines()->Insert(Index, WideToAnsi(S));
        return;
    }
    int count = GetCount();
    if (Index < 0 || Index > count)
        Error(zstrlist::SListIndexError, Index);
    const WideString lineBreak = AdjustLineBreaksWide(L"\r\n", FLineBreakStyle);
    const WideString text = AdjustLineBreaksWide(S, FLineBreakStyle);
    WideString line;
    LRESULT at = SendMessageW(wnd, EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
    if (at >= 0) {
        line = text + lineBreak;
    } else {
        // After the last line, which has no line break of its own yet.
        at = SendMessageW(wnd, EM_LINEINDEX, static_cast<WPARAM>(Index - 1), 0);
        if (at < 0)
            return;
        at += SendMessageW(wnd, EM_LINELENGTH, static_cast<WPARAM>(at), 0);
        line = lineBreak + text;
    }
    SendMessageW(wnd, EM_SETSEL, static_cast<WPARAM>(at), at);
    SendMessageW(wnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(line.c_str()));
    // The caret stands after what the window took: short of the line, the memo is full.
    DWORD start = 0, end = 0;
    SendMessageW(wnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (static_cast<LRESULT>(end) != at + static_cast<LRESULT>(line.size()))
        throw EOutOfResources(SMemoCapacity);
}

void TUcMemoStrings::Delete(int Index)
{
    AnsiLines()->Delete(Index);
}

void TUcMemoStrings::Clear()
{
    AnsiLines()->Clear();
}

WideString TUcMemoStrings::GetTextStr() const
{
    if (FJoinLines)
        return TUcStrings::GetTextStr();
    return GetControlWideText(FMemo);
}

void TUcMemoStrings::SetTextStr(const WideString& Value)
{
    WideString text = AdjustLineBreaksWide(Value, FLineBreakStyle);
    if (text != GetControlWideText(FMemo))
        SetControlWideText(FMemo, text);
}

void TUcMemoStrings::SetUpdateState(bool Updating)
{
    AnsiLines()->SetUpdateState(Updating);
}

// ---------------------------------------------------------------------------------------
// TUcComboBoxStrings

Z_CLASS_IMPL(TUcComboBoxStrings, TUcStrings)

WideString ComboItemWide(TCustomComboBox* Combo, int Index)
{
    HWND wnd = UnicodeWindow(Combo);
    if (!wnd)
        return AnsiToWide(Combo->Items()->Get(Index));
    LRESULT len = SendMessageW(wnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(Index), 0);
    if (len <= 0)
        return WideString();
    WideString item(static_cast<size_t>(len) + 1, L'\0');
    LRESULT got = SendMessageW(wnd, CB_GETLBTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, len)));
    return item;
}

WideString TUcComboBoxStrings::Get(int Index) const
{
    return ComboItemWide(FComboBox, Index);
}

int TUcComboBoxStrings::GetCount() const
{
    return AnsiItems()->Count();
}

TObject* TUcComboBoxStrings::GetObject(int Index) const
{
    return AnsiItems()->GetObject(Index);
}

void TUcComboBoxStrings::PutObject(int Index, TObject* AObject)
{
    AnsiItems()->PutObject(Index, AObject);
}

int TUcComboBoxStrings::Add(const WideString& S)
{
    HWND wnd = UnicodeWindow(FComboBox);
    if (!wnd)
        return AnsiItems()->Add(WideToAnsi(S));
    LRESULT r = SendMessageW(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
    if (r < 0)
        throw EOutOfResources(SInsertLineError);
    return static_cast<int>(r);
}

int TUcComboBoxStrings::AddObject(const WideString& S, TObject* AObject)
{
    // Through Add, so that a sorted combo box puts the item in its place.
    int index = Add(S);
    PutObject(index, AObject);
    return index;
}

void TUcComboBoxStrings::Insert(int Index, const WideString& S)
{
    HWND wnd = UnicodeWindow(FComboBox);
    if (!wnd) {
        AnsiItems()->Insert(Index, WideToAnsi(S));
        return;
    }
    if (SendMessageW(wnd, CB_INSERTSTRING, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(S.c_str())) < 0)
        throw EOutOfResources(SInsertLineError);
}

void TUcComboBoxStrings::Delete(int Index)
{
    AnsiItems()->Delete(Index);
}

void TUcComboBoxStrings::Clear()
{
    HWND wnd = UnicodeWindow(FComboBox);
    if (!wnd) {
        AnsiItems()->Clear();
        return;
    }
    WideString text = GetControlWideText(FComboBox);
    SendMessageW(wnd, CB_RESETCONTENT, 0, 0);
    SetControlWideText(FComboBox, text);
}

int TUcComboBoxStrings::IndexOf(const WideString& S) const
{
    HWND wnd = UnicodeWindow(FComboBox);
    if (!wnd)
        return AnsiItems()->IndexOf(WideToAnsi(S));
    LRESULT r = SendMessageW(wnd, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(S.c_str()));
    return r < 0 ? -1 : static_cast<int>(r);
}

void TUcComboBoxStrings::SetUpdateState(bool Updating)
{
    AnsiItems()->SetUpdateState(Updating);
}

// ---------------------------------------------------------------------------------------
// TVornPatchedComboBoxStrings

Z_CLASS_IMPL(TVornPatchedComboBoxStrings, TComboBoxStrings)

AnsiString TVornPatchedComboBoxStrings::Get(int Index) const
{
    HWND wnd = Wnd();
    LRESULT len = SendMessageA(wnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(Index), 0);
    if (len < 1)
        return AnsiString();
    // Asked in ANSI, a Unicode window counts UTF-16 units: a double-byte code page may need
    // two bytes for each.
    std::vector<char> buf(static_cast<size_t>(len) * 2 + 1, '\0');
    LRESULT got = SendMessageA(wnd, CB_GETLBTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(buf.data()));
    if (got < 1)
        return AnsiString();
    size_t n = std::min(static_cast<size_t>(got), buf.size() - 1);
    return AnsiString(buf.data(), std::find(buf.data(), buf.data() + n, '\0') - buf.data());
}

int TVornPatchedComboBoxStrings::Add(const AnsiString& S)
{
    LRESULT r = SendMessageA(Wnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
    if (r < 0)
        throw EOutOfResources(SInsertLineError);
    return static_cast<int>(r);
}

void TVornPatchedComboBoxStrings::Insert(int Index, const AnsiString& S)
{
    if (SendMessageA(Wnd(), CB_INSERTSTRING, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(S.c_str())) < 0)
        throw EOutOfResources(SInsertLineError);
}

const TComboBoxStringsClass& TVornPatchedComboBoxStrings::ClassRef()
{
    static const TComboBoxStringsClass cls{
        &TVornPatchedComboBoxStrings::StaticClassInfo,
        [](TCustomComboBox* c) -> TComboBoxStrings* { return new TVornPatchedComboBoxStrings(c); }};
    return cls;
}

// ---------------------------------------------------------------------------------------
// Combo boxes: window re-creation

void SaveComboBeforeDestroyWnd(TCustomComboBox* Combo, std::unique_ptr<TUcStringList>& SavedItems,
                               int& SavedIndex, std::optional<WideString>& SavedText)
{
    ZAssert(!Combo->IsDestroying(),
            "Internal Error: SaveComboBeforeDestroyWnd: the combo box is being destroyed.");
    if (!Combo->HandleAllocated())
        return;
    SavedText = GetControlWideText(Combo);
    if (!PlatformIsUnicode)
        return;   // the library keeps the ANSI items itself
    TUcComboBoxStrings items(Combo);
    if (items.Count() > 0) {
        auto saved = std::make_unique<TUcStringList>();
        saved->Assign(&items);
        SavedIndex = Combo->ItemIndex();
        SavedItems = std::move(saved);
        // The library's own saving finds none and keeps no ANSI copy.
        items.Clear();
    }
}

void RestoreComboAfterCreateWnd(TCustomComboBox* Combo, std::unique_ptr<TUcStringList>& SavedItems,
                                int& SavedIndex, std::optional<WideString>& SavedText)
{
    if (PlatformIsUnicode && Combo->HandleAllocated() && IsWindowUnicode(Combo->WindowHandle())) {
        WNDPROC editProc = Combo->DefEditProc();
        MakeChildUnicode(Combo->EditHandle(), Combo->EditInstance(), editProc);
        Combo->SetDefEditProc(editProc);
        WNDPROC listProc = Combo->DefListProc();
        MakeChildUnicode(Combo->ListHandle(), Combo->ListInstance(), listProc);
        Combo->SetDefListProc(listProc);
    }
    if (SavedItems) {
        std::unique_ptr<TUcStringList> saved = std::move(SavedItems);
        TUcComboBoxStrings items(Combo);
        items.Assign(saved.get());
        int index = std::min(SavedIndex, items.Count() - 1);
        if (index >= 0)
            SendMessageW(Combo->Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    SavedIndex = -1;
    if (SavedText) {
        WideString text = std::move(*SavedText);
        SavedText.reset();
        SetControlWideText(Combo, text);
    } else if (PlatformIsUnicode && EditableComboStyle(Combo)) {
        // The first window: the library has given it the ANSI form of a text set before
        // the window existed; the wide text kept for the control wins while that ANSI form
        // is still the control's text.
        if (TWideControlHelper* helper = FindWideControlHelper(Combo, false))
            SetControlWideText(Combo, WideGetCachedValue(helper->StoredWideText, Combo->Text()));
    }
}

// ---------------------------------------------------------------------------------------
// Combo boxes: messages

bool HandleComboWndProcWide(TCustomComboBox* Combo, TMessage& Message, HWND Child, WNDPROC ChildProc,
                            TWMCharMsgHandler KeyHandler)
{
    const bool unicode = Child && IsWindowUnicode(Child);
    auto passOn = [&] {
        if (!ChildProc)
            Message.Result = 0;
        else if (unicode)
            Message.Result = CallWindowProcW(ChildProc, Child, Message.Msg, Message.WParam, Message.LParam);
        else
            Message.Result = CallWindowProcA(ChildProc, Child, Message.Msg, Message.WParam, Message.LParam);
    };
    try {
        if (Message.Msg == WM_CHAR) {
            if (unicode)
                PackWideCharMessage(Message);
            bool consumed = Combo->DoKeyPress(Message);
            if (!consumed && KeyHandler) {
                KeyHandler(Message);
                consumed = WideCharOfCharMessage(Message) == 0;
            }
            if (unicode)
                UnpackWideCharMessage(Message);
            if (consumed)
                return true;
            uint16_t code = CharCodeOf(Message);
            if ((code == VK_RETURN || code == VK_ESCAPE) && Combo->DroppedDown()) {
                Combo->SetDroppedDown(false);
                return true;
            }
            passOn();
            return true;
        }
        if (!unicode)
            return false;
        // Text in the message: the window takes and gives it in UTF-16 itself.
        if (IsWindowTextMessage(Message.Msg) || Message.Msg == EM_REPLACESEL || Message.Msg == WM_IME_COMPOSITION) {
            passOn();
            return true;
        }
        if (Message.Msg == WM_IME_CHAR) {
            Message.Result = SendMessageW(Child, WM_CHAR, Message.WParam, Message.LParam);
            return true;
        }
        return false;
    } catch (...) {
        HandleCaughtException(Combo);
        return true;
    }
}

bool HandleComboSelChangeWide(TCustomComboBox* Combo, TMessage& Message)
{
    if (Message.Msg != CN_COMMAND || Message.WParamHi() != CBN_SELCHANGE)
        return false;
    // The edit part shows the new item before anybody asks for the text.
    int index = Combo->ItemIndex();
    if (index >= 0)
        SetControlWideText(Combo, ComboItemWide(Combo, index));
    Combo->Click();
    Combo->Select();
    return true;
}

// ---------------------------------------------------------------------------------------
// Combo boxes: selection of the edit part

int GetComboWideSelStart(TCustomComboBox* Combo)
{
    return WideSelStart<TCustomComboBox>(Combo);
}

void SetComboWideSelStart(TCustomComboBox* Combo, int Value)
{
    SetWideSelStart<TCustomComboBox>(Combo, Value);
}

int GetComboWideSelLength(TCustomComboBox* Combo)
{
    return WideSelLength<TCustomComboBox>(Combo);
}

void SetComboWideSelLength(TCustomComboBox* Combo, int Value)
{
    SetWideSelLength<TCustomComboBox>(Combo, Value);
}

WideString GetComboWideSelText(TCustomComboBox* Combo)
{
    if (!PlatformIsUnicode)
        return AnsiToWide(Combo->TCustomComboBox::GetSelText());
    if (!EditableComboStyle(Combo))
        return WideString();
    return Part(GetControlWideText(Combo), Combo->TCustomComboBox::GetSelStart(),
                Combo->TCustomComboBox::GetSelLength());
}

void SetComboWideSelText(TCustomComboBox* Combo, const WideString& Value)
{
    if (!PlatformIsUnicode) {
        Combo->TCustomComboBox::SetSelText(WideToAnsi(Value));
        return;
    }
    if (Combo->Style() >= csDropDownList)
        return;
    Combo->HandleNeeded();
    if (HWND edit = Combo->EditHandle())
        SendMessageW(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

// ---------------------------------------------------------------------------------------
// Combo boxes: items and key input

void SuspendComboAutoComplete(TCustomComboBox* Combo, bool& SavedAutoComplete)
{
    SavedAutoComplete = Combo->AutoComplete();
    Combo->SetAutoComplete(false);
}

void RestoreComboAutoComplete(TCustomComboBox* Combo, bool SavedAutoComplete)
{
    Combo->SetAutoComplete(SavedAutoComplete);
}

void AddComboItemWide(TCustomComboBox* Combo, const WideString& S, TObject* AObject)
{
    TUcComboBoxStrings(Combo).AddObject(S, AObject);
}

void CopyComboSelectionWide(TCustomComboBox* Combo, TCustomListControl* Destination)
{
    int index = Combo->ItemIndex();
    if (index >= 0 && Destination)
        AddItemToListControl(Destination, ComboItemWide(Combo, index), Combo->Items()->GetObject(index));
}

void AddItemToListControl(TCustomListControl* Control, const WideString& S, TObject* AObject)
{
    if (!Control)
        return;
    if (auto* wide = dynamic_cast<IWideCustomListControl*>(Control))
        wide->AddWideItem(S, AObject);
    else
        Control->AddItem(WideToAnsi(S), AObject);
}

int ComboFindItemByPrefix(TCustomComboBox* Combo, const WideString& Text, int StartIndex)
{
    if (Text.empty())
        return -1;
    if (auto* search = dynamic_cast<IWideComboItemSearch*>(Combo))
        return search->FindItemByPrefix(Text, StartIndex);
    HWND wnd = Combo->Handle();
    LRESULT r;
    if (PlatformIsUnicode && IsWindowUnicode(wnd)) {
        r = SendMessageW(wnd, CB_FINDSTRING, static_cast<WPARAM>(StartIndex), reinterpret_cast<LPARAM>(Text.c_str()));
    } else {
        AnsiString text = WideToAnsi(Text);
        r = SendMessageA(wnd, CB_FINDSTRING, static_cast<WPARAM>(StartIndex), reinterpret_cast<LPARAM>(text.c_str()));
    }
    return r < 0 ? -1 : static_cast<int>(r);
}

int ComboFindUniqueItemByPrefix(TCustomComboBox* Combo, const WideString& Text)
{
    int first = ComboFindItemByPrefix(Combo, Text, -1);
    if (first < 0)
        return -1;
    // The search goes round from the item after the first: only that item again means no
    // other item begins with the text.
    return ComboFindItemByPrefix(Combo, Text, first) == first ? first : -1;
}

bool ComboSelectItemByPrefix(TCustomComboBox* Combo, const WideString& Text, bool Complete, bool RequireUnique)
{
    int index = RequireUnique ? ComboFindUniqueItemByPrefix(Combo, Text) : ComboFindItemByPrefix(Combo, Text, -1);
    if (index < 0)
        return false;
    const int before = Combo->ItemIndex();
    HWND wnd = Combo->Handle();
    if (Combo->AutoCloseUp() && TUcComboBoxStrings(Combo).IndexOf(Text) >= 0)
        SendMessageW(wnd, CB_SHOWDROPDOWN, 0, 0);
    SendMessageW(wnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (EditableComboStyle(Combo) && Complete) {
        WideString item = ComboItemWide(Combo, index);
        WideString text = Text + (item.size() > Text.size() ? item.substr(Text.size()) : WideString());
        SetControlWideText(Combo, text);
        SetComboWideSelStart(Combo, static_cast<int>(Text.size()));
        SetComboWideSelLength(Combo, static_cast<int>(text.size() - Text.size()));
    }
    if (index != before) {
        Combo->Click();
        Combo->Select();
    }
    return true;
}

void ComboSearchKeyPress(TCustomComboBox* Combo, TMessage& Message, WideString& SearchText, DWORD& LastTime)
{
    if (Combo->Style() != csDropDownList || !Combo->AutoComplete())
        return;
    WideChar key = KeyOfMessage(Combo, Message);
    switch (key) {
    case VK_BACK:
        // An empty search text stays empty.
        if (!SearchText.empty())
            SearchText.pop_back();
        break;
    case VK_TAB:
        CloseListOnTab(Combo);
        break;
    case VK_ESCAPE:
        break;
    default: {
        OpenListOnKey(Combo);
        DWORD now = ComboTickCount();
        if (now - LastTime >= ComboSearchDelay)
            SearchText.clear();
        LastTime = now;
        if (ComboSelectItemByPrefix(Combo, SearchText + key, true, false)) {
            SearchText += key;
            key = 0;
        }
        break;
    }
    }
    PutKey(Combo, Message, key);
}

void UcCombo_AutoCompleteKeyPress(TCustomComboBox* Combo, TMessage& Message, bool Complete, bool RequireUnique)
{
    ZAssert(EditableComboStyle(Combo),
            "Internal Error: UcCombo_AutoCompleteKeyPress is only for csSimple and csDropDown style combo boxes.");
    if (!Combo->AutoComplete())
        return;
    WideChar key = KeyOfMessage(Combo, Message);
    switch (key) {
    case VK_BACK:
    case VK_ESCAPE:
        break;
    case VK_TAB:
        CloseListOnTab(Combo);
        break;
    default: {
        OpenListOnKey(Combo);
        // Only typing at the end completes: text after the caret would be lost.
        WideString text = GetControlWideText(Combo);
        int start = GetComboWideSelStart(Combo);
        int length = GetComboWideSelLength(Combo);
        if (start + length >= static_cast<int>(text.size()) &&
            ComboSelectItemByPrefix(Combo, Part(text, 0, start) + key, Complete, RequireUnique))
            key = 0;
        break;
    }
    }
    PutKey(Combo, Message, key);
}

// ---------------------------------------------------------------------------------------
// Labels

bool DrawLabelTextWide(TCustomLabel* Label, TRect& Rect, int Flags)
{
    if (!PlatformIsUnicode)
        return false;
    WideString text = GetControlWideText(Label);
    // An empty caption, or a hot-key mark alone, still measures one line high.
    if ((Flags & DT_CALCRECT) && (text.empty() || (Label->ShowAccelChar() && text == L"&")))
        text = L" ";
    if (!Label->ShowAccelChar())
        Flags |= DT_NOPREFIX;
    Flags = Label->DrawTextBiDiModeFlags(Flags);
    TCanvas* canvas = Label->Canvas();
    canvas->SetFont(Label->Font());
    auto draw = [&] {
        DrawTextWide(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), Rect.Win(),
                     static_cast<UINT>(Flags));
    };
    if (Label->Enabled() || (Flags & DT_CALCRECT)) {
        draw();
        return true;
    }
    // Embossed: a highlight one pixel down and right, the shadow over it.
    OffsetRect(Rect.Win(), 1, 1);
    canvas->Font()->SetColor(clBtnHighlight);
    draw();
    OffsetRect(Rect.Win(), -1, -1);
    canvas->Font()->SetColor(clBtnShadow);
    draw();
    return true;
}

bool HandleLabelDialogCharWide(TCustomLabel* Label, TMessage& Message)
{
    if (Message.Msg != CM_DIALOGCHAR)
        return false;
    TWinControl* target = Label->FocusControl();
    if (!target || !Label->Enabled() || !Label->ShowAccelChar())
        return false;
    if (!IsWideAccel(Message, Label) || !target->CanFocus())
        return false;
    target->SetFocus();
    Message.Result = 1;
    return true;
}

// ---------------------------------------------------------------------------------------
// Push button and group box

bool IsWideAccel(const TMessage& Message, TControl* Control)
{
    return MatchesWideAccelerator(WideCharOfCharMessage(Message), GetControlWideText(Control));
}

bool HandleButtonDialogCharWide(TButtonControl* Button, TMessage& Message)
{
    if (Message.Msg != CM_DIALOGCHAR || !IsWideAccel(Message, Button) || !Button->CanFocus())
        return false;
    Button->Click();
    Message.Result = 1;
    return true;
}

Z_CLASS_IMPL(TUcButton, TButton, WideCaptionProp<TUcButton>(), WideHintProp<TUcButton>())

void TUcButton::CreateWindowHandle(const TCreateParams& Params)
{
    CreateUnicodeWindowHandle(this, Params, L"BUTTON", false);
}

void TUcButton::Dispatch(TMessage& Message)
{
    if (Message.Msg != CM_DIALOGCHAR || !PlatformIsUnicode) {
        TButton::Dispatch(Message);
        return;
    }
    // The library's test would take the hot key of the ANSI caption, "?" for a letter
    // without an ANSI form: the wide caption alone decides.
    if (!HandleButtonDialogCharWide(this, Message))
        TButtonControl::Dispatch(Message);
}

Z_CLASS_IMPL(TUcCustomGroupBox, TCustomGroupBox)
Z_CLASS_IMPL(TUcGroupBox, TUcCustomGroupBox, WideCaptionProp<TUcGroupBox>(), WideHintProp<TUcGroupBox>())

void TUcCustomGroupBox::CreateWindowHandle(const TCreateParams& Params)
{
    CreateUnicodeWindowHandle(this, Params, WideString(), false);
}

void TUcCustomGroupBox::Paint()
{
    // Off NT the wide text is drawn as its ANSI form, as the library would draw it.
    PaintCaptioned(TWideCaptionText(GetControlWideText(this)));
}

void TUcCustomGroupBox::Dispatch(TMessage& Message)
{
    if (Message.Msg != CM_DIALOGCHAR || !PlatformIsUnicode) {
        TCustomGroupBox::Dispatch(Message);
        return;
    }
    if (IsWideAccel(Message, this) && CanFocus()) {
        FocusFirstControl();
        Message.Result = 1;
        return;
    }
    TCustomControl::Dispatch(Message);
}

void InitUcStdCtrls()
{
    RegisterClass(TUcButton::StaticClassInfo());
    RegisterClass(TUcGroupBox::StaticClassInfo());
}
