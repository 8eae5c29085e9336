#include "classlib/stdctrls.h"
#include "classlib/actnlist.h"
#include "classlib/forms.h"

#include <algorithm>
#include <cstring>
#include <vector>

TTickCountFunc ComboTickCount = [] { return GetTickCount(); };

const char* const EditCharCaseNames[3] = {"ecNormal", "ecUpperCase", "ecLowerCase"};

namespace {

const char* const BorderStyleNames[] = {"bsNone", "bsSingle"};
const char* const ScrollStyleNames[] = {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};
const char* const AlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};
const char* const TextLayoutNames[] = {"tlTop", "tlCenter", "tlBottom"};
const char* const ComboBoxStyleNames[] = {"csDropDown", "csSimple", "csDropDownList",
                                          "csOwnerDrawFixed", "csOwnerDrawVariable"};
const char* const CheckBoxStateNames[] = {"cbUnchecked", "cbChecked", "cbGrayed"};

#define Z_PROP_CAPTION(C) Z_PROP_STR(C, Caption)

// Every line break (CR, LF, CR LF, LF CR) as CR LF.
AnsiString AdjustLineBreaks(const AnsiString& S)
{
    AnsiString r;
    r.reserve(S.size() + S.size() / 16);
    for (size_t i = 0; i < S.size(); ++i) {
        char c = S[i];
        if (c == '\r' || c == '\n') {
            char other = c == '\r' ? '\n' : '\r';
            if (i + 1 < S.size() && S[i + 1] == other)
                ++i;
            r += "\r\n";
        } else {
            r += c;
        }
    }
    return r;
}

// The DC's text metrics with the font selected.
TEXTMETRICA FontMetrics(TFont* Font)
{
    TEXTMETRICA tm{};
    TClientDC dc(nullptr);
    TSelectObject font(dc.Handle(), Font->Handle());
    GetTextMetricsA(dc.Handle(), &tm);
    return tm;
}


char HotKeyOf(const AnsiString& Str)
{
    for (size_t i = 0; i + 1 < Str.size(); ++i) {
        if (Str[i] != '&')
            continue;
        if (Str[i + 1] == '&') {
            ++i;   // "&&" is a literal "&"
            continue;
        }
        return Str[i + 1];
    }
    return 0;
}

} // namespace

bool IsAccel(uint16_t Key, const AnsiString& Str)
{
    char hot = HotKeyOf(Str);
    if (!hot || Key == 0 || Key > 0xFF)
        return false;
    return AnsiCompareText(AnsiString(1, static_cast<char>(Key)), AnsiString(1, hot)) == 0;
}

// ---------------------------------------------------------------------------------------
// TCustomListControl

Z_CLASS_IMPL(TCustomListControl, TWinControl)

void TCustomListControl::MoveSelection(TCustomListControl* Destination)
{
    CopySelection(Destination);
    DeleteSelected();
}

// ---------------------------------------------------------------------------------------
// TCustomEdit

// Edits and combo boxes start in the tab order and with their own colour: those are their
// defaults, so one taken out of the tab order, or following its parent's colour, is written.
Z_CLASS_IMPL(TCustomEdit, TWinControl, Z_PROP_BOOL(TCustomEdit, TabStop, true),
             Z_PROP_BOOL(TCustomEdit, ParentColor, false))
Z_CLASS_IMPL(TEdit, TCustomEdit, Z_PROP_BOOL(TEdit, AutoSelect, true), Z_PROP_BOOL(TEdit, AutoSize, true),
             Z_PROP_ENUM(TEdit, BorderStyle, BorderStyleNames, bsSingle),
             Z_PROP_ENUM(TEdit, CharCase, EditCharCaseNames, ecNormal),
             Z_PROP_BOOL(TEdit, HideSelection, true), Z_PROP_INT(TEdit, MaxLength, 0),
             Z_PROP_BOOL(TEdit, OEMConvert, false), Z_PROP_CHAR(TEdit, PasswordChar, 0),
             Z_PROP_BOOL(TEdit, ReadOnly, false), Z_PROP_STR(TEdit, Text))

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner)
{
    FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks | csFixedHeight;
    FWidth = 121;
    FHeight = 25;
    FTabStop = true;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(FColor);
    FAutoSize = true;
    AdjustSize();
}

void TCustomEdit::CreateParams(TCreateParams& Params)
{
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, "EDIT");
    Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
    AddBorderStyle(Params, FBorderStyle);
    if (FPasswordChar)
        Params.Style |= ES_PASSWORD;
    if (FReadOnly)
        Params.Style |= ES_READONLY;
    if (FCharCase == ecUpperCase)
        Params.Style |= ES_UPPERCASE;
    else if (FCharCase == ecLowerCase)
        Params.Style |= ES_LOWERCASE;
    if (!FHideSelection)
        Params.Style |= ES_NOHIDESEL;
    if (FOEMConvert)
        Params.Style |= ES_OEMCONVERT;
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomEdit::CreateWnd()
{
    {
        TFlagScope creating(FCreating);
        TWinControl::CreateWnd();
        // 0 lifts the system's small default limit.
        SendMessageA(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
        SendMessageA(FHandle, EM_SETMODIFY, FModified ? 1 : 0, 0);
        if (FPasswordChar)
            SendMessageA(FHandle, EM_SETPASSWORDCHAR, static_cast<uint8_t>(FPasswordChar), 0);
    }
    AdjustSize();
}

void TCustomEdit::DestroyWnd()
{
    FModified = Modified();
    TWinControl::DestroyWnd();
}

bool TCustomEdit::CanAutoSize(int&, int& NewHeight)
{
    // The height that shows one line of the font inside the border.
    if (FBorderStyle != bsSingle)
        return false;
    TEXTMETRICA tm = FontMetrics(FFont.get());
    NewHeight = tm.tmHeight + GetSystemMetrics(SM_CYBORDER) * (FCtl3D ? 8 : 6);
    return true;
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value)
{
    if (!StoreChanged(FBorderStyle, Value))
        return;
    if (Value == bsSingle)
        FControlStyle |= csFixedHeight;
    else
        FControlStyle &= ~csFixedHeight;
    RecreateWnd();
    AdjustSize();
}

void TCustomEdit::SetCharCase(TEditCharCase Value)
{
    RecreateOnChange(this, FCharCase, Value);
}

void TCustomEdit::SetHideSelection(bool Value)
{
    RecreateOnChange(this, FHideSelection, Value);
}

void TCustomEdit::SetMaxLength(int Value)
{
    if (Value < 0)
        Value = 0;
    if (StoreChanged(FMaxLength, Value) && FHandle)
        SendMessageA(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(Value), 0);
}

void TCustomEdit::SetOEMConvert(bool Value)
{
    RecreateOnChange(this, FOEMConvert, Value);
}

void TCustomEdit::SetPasswordChar(char Value)
{
    if (!StoreChanged(FPasswordChar, Value) || !FHandle)
        return;
    SendMessageA(FHandle, EM_SETPASSWORDCHAR, static_cast<uint8_t>(Value), 0);
    // The window shows the text again with the new character.
    InvalidateRect(FHandle, nullptr, TRUE);
}

void TCustomEdit::SetReadOnly(bool Value)
{
    if (StoreChanged(FReadOnly, Value) && FHandle)
        SendMessageA(FHandle, EM_SETREADONLY, Value ? 1 : 0, 0);
}

bool TCustomEdit::Modified()
{
    if (FHandle)
        return SendMessageA(FHandle, EM_GETMODIFY, 0, 0) != 0;
    return FModified;
}

void TCustomEdit::SetModified(bool Value)
{
    if (FHandle)
        SendMessageA(FHandle, EM_SETMODIFY, Value ? 1 : 0, 0);
    else
        FModified = Value;
}

int TCustomEdit::GetSelStart()
{
    DWORD start = 0, end = 0;
    SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int Value)
{
    SendMessageA(Handle(), EM_SETSEL, static_cast<WPARAM>(Value), Value);
}

int TCustomEdit::GetSelLength()
{
    DWORD start = 0, end = 0;
    SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end) - static_cast<int>(start);
}

void TCustomEdit::SetSelLength(int Value)
{
    DWORD start = 0, end = 0;
    HWND wnd = Handle();
    SendMessageA(wnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    SendMessageA(wnd, EM_SETSEL, start, static_cast<LPARAM>(start) + Value);
    SendMessageA(wnd, EM_SCROLLCARET, 0, 0);
}

AnsiString TCustomEdit::GetSelText()
{
    DWORD start = 0, end = 0;
    SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    AnsiString text = Text();
    if (start >= text.size() || end <= start)
        return AnsiString();
    return text.substr(start, std::min<size_t>(end, text.size()) - start);
}

void TCustomEdit::SetSelText(const AnsiString& Value)
{
    SendMessageA(Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

int TCustomEdit::GetSelTextBuf(char* Buffer, int BufSize)
{
    if (!Buffer || BufSize <= 0)
        return 0;
    AnsiString sel = GetSelText();
    size_t n = std::min<size_t>(sel.size(), static_cast<size_t>(BufSize - 1));
    std::memcpy(Buffer, sel.data(), n);
    Buffer[n] = '\0';
    return static_cast<int>(n);
}

void TCustomEdit::SetSelTextBuf(const char* Buffer)
{
    SendMessageA(Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Buffer ? Buffer : ""));
}

void TCustomEdit::Clear()
{
    SetText(AnsiString());
}

void TCustomEdit::ClearSelection()
{
    SendMessageA(Handle(), WM_CLEAR, 0, 0);
}

void TCustomEdit::CopyToClipboard()
{
    SendMessageA(Handle(), WM_COPY, 0, 0);
}

void TCustomEdit::CutToClipboard()
{
    SendMessageA(Handle(), WM_CUT, 0, 0);
}

void TCustomEdit::PasteFromClipboard()
{
    SendMessageA(Handle(), WM_PASTE, 0, 0);
}

void TCustomEdit::Undo()
{
    if (FHandle)
        SendMessageA(FHandle, WM_UNDO, 0, 0);
}

void TCustomEdit::ClearUndo()
{
    if (FHandle)
        SendMessageA(FHandle, EM_EMPTYUNDOBUFFER, 0, 0);
}

bool TCustomEdit::CanUndo()
{
    return FHandle && SendMessageA(FHandle, EM_CANUNDO, 0, 0) != 0;
}

void TCustomEdit::SelectAll()
{
    if (FHandle)
        SendMessageA(FHandle, EM_SETSEL, 0, -1);
}

void TCustomEdit::Change()
{
    Changed();
    if (OnChange)
        OnChange(this);
}

void TCustomEdit::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_COMMAND:
        CNCommand(Message);
        break;
    case CM_ENTER:
        CMEnter(Message);
        break;
    case CM_TEXTCHANGED:
        CMTextChanged(Message);
        break;
    case CM_FONTCHANGED:
        TWinControl::Dispatch(Message);
        AdjustSize();
        break;
    case CM_CTL3DCHANGED:
        RecreateWnd();
        AdjustSize();
        break;
    case WM_SETFONT:
        WMSetFont(Message);
        break;
    default:
        TWinControl::Dispatch(Message);
        break;
    }
}

void TCustomEdit::CNCommand(TMessage& Message)
{
    if (TWMCommand(Message).NotifyCode == EN_CHANGE && !FCreating)
        Change();
}

void TCustomEdit::CMEnter(TMessage& Message)
{
    // Entered by keyboard, a single-line edit selects its whole text.
    if (FAutoSelect && !(FControlState & csLButtonDown) && FHandle &&
        !(GetWindowLongA(FHandle, GWL_STYLE) & ES_MULTILINE))
        SelectAll();
    TWinControl::Dispatch(Message);
}

void TCustomEdit::CMTextChanged(TMessage& Message)
{
    TWinControl::Dispatch(Message);
    // A window reports its changes with EN_CHANGE, except a multi-line one whose whole
    // text was set: that one, and a control without a window, report here.
    if (!FHandle || (GetWindowLongA(FHandle, GWL_STYLE) & ES_MULTILINE))
        Change();
}

void TCustomEdit::WMSetFont(TMessage& Message)
{
    DefaultHandler(Message);
    if (FHandle && !(GetWindowLongA(FHandle, GWL_STYLE) & ES_MULTILINE))
        SendMessageA(FHandle, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
}

// ---------------------------------------------------------------------------------------
// TMemoStrings

Z_CLASS_IMPL(TMemoStrings, TStrings)

HWND TMemoStrings::Wnd() const
{
    return FMemo->Handle();
}

void TMemoStrings::CheckIndex(int Index, int Count) const
{
    if (Index < 0 || Index >= Count)
        Error(zstrlist::SListIndexError, Index);
}

int TMemoStrings::GetCount() const
{
    HWND wnd = Wnd();
    int n = static_cast<int>(SendMessageA(wnd, EM_GETLINECOUNT, 0, 0));
    if (n <= 0)
        return 0;
    // The empty line after a final line break is no line of the list.
    LRESULT last = SendMessageA(wnd, EM_LINEINDEX, static_cast<WPARAM>(n - 1), 0);
    if (last >= 0 && SendMessageA(wnd, EM_LINELENGTH, static_cast<WPARAM>(last), 0) == 0)
        --n;
    return n;
}

AnsiString TMemoStrings::Get(int Index) const
{
    CheckIndex(Index, GetCount());
    HWND wnd = Wnd();
    LRESULT first = SendMessageA(wnd, EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
    if (first < 0)
        return AnsiString();
    int len = static_cast<int>(SendMessageA(wnd, EM_LINELENGTH, static_cast<WPARAM>(first), 0));
    if (len <= 0)
        return AnsiString();
    if (len >= 0xFFFF) {
        // EM_GETLINE takes at most 65535 characters: a longer line comes out of the text.
        AnsiString text = FMemo->Text();
        if (static_cast<size_t>(first) >= text.size())
            return AnsiString();
        return text.substr(static_cast<size_t>(first), static_cast<size_t>(len));
    }
    // The first word of the buffer carries its size.
    std::vector<char> buf(static_cast<size_t>(std::max(len, 2)) + 1, '\0');
    *reinterpret_cast<WORD*>(buf.data()) = static_cast<WORD>(len);
    LRESULT got = SendMessageA(wnd, EM_GETLINE, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(buf.data()));
    got = std::clamp<LRESULT>(got, 0, len);
    return AnsiString(buf.data(), static_cast<size_t>(got));
}

void TMemoStrings::Put(int Index, const AnsiString& S)
{
    CheckIndex(Index, GetCount());
    HWND wnd = Wnd();
    LRESULT first = SendMessageA(wnd, EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
    if (first < 0)
        return;
    LRESULT len = SendMessageA(wnd, EM_LINELENGTH, static_cast<WPARAM>(first), 0);
    SendMessageA(wnd, EM_SETSEL, static_cast<WPARAM>(first), first + len);
    SendMessageA(wnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(AdjustLineBreaks(S).c_str()));
}

void TMemoStrings::Insert(int Index, const AnsiString& S)
{
    int count = GetCount();
    if (Index < 0 || Index > count)
        Error(zstrlist::SListIndexError, Index);
    HWND wnd = Wnd();
    AnsiString line;
    LRESULT at = SendMessageA(wnd, EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
    if (at >= 0) {
        line = AdjustLineBreaks(S) + "\r\n";
    } else {
        // After the last line, which has no line break of its own yet.
        at = SendMessageA(wnd, EM_LINEINDEX, static_cast<WPARAM>(Index - 1), 0);
        if (at < 0)
            return;
        at += SendMessageA(wnd, EM_LINELENGTH, static_cast<WPARAM>(at), 0);
        line = "\r\n" + AdjustLineBreaks(S);
    }
    SendMessageA(wnd, EM_SETSEL, static_cast<WPARAM>(at), at);
    SendMessageA(wnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(line.c_str()));
    DWORD start = 0, end = 0;
    SendMessageA(wnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (static_cast<LRESULT>(end) != at + static_cast<LRESULT>(line.size()))
        throw EOutOfResources("Text exceeds memo capacity");
}

void TMemoStrings::Delete(int Index)
{
    CheckIndex(Index, GetCount());
    HWND wnd = Wnd();
    LRESULT first = SendMessageA(wnd, EM_LINEINDEX, static_cast<WPARAM>(Index), 0);
    if (first < 0)
        return;
    LRESULT next = SendMessageA(wnd, EM_LINEINDEX, static_cast<WPARAM>(Index + 1), 0);
    if (next < 0)
        next = first + SendMessageA(wnd, EM_LINELENGTH, static_cast<WPARAM>(first), 0);
    SendMessageA(wnd, EM_SETSEL, static_cast<WPARAM>(first), next);
    SendMessageA(wnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(""));
}

void TMemoStrings::Clear()
{
    FMemo->Clear();
}

AnsiString TMemoStrings::GetTextStr() const
{
    return FMemo->Text();
}

void TMemoStrings::SetTextStr(const AnsiString& Value)
{
    AnsiString text = AdjustLineBreaks(Value);
    if (text != FMemo->Text()) {
        FMemo->SetTextBuf(text.c_str());
    }
}

void TMemoStrings::SetUpdateState(bool Updating)
{
    if (!FMemo->HandleAllocated())
        return;
    SendMessageA(FMemo->WindowHandle(), WM_SETREDRAW, Updating ? 0 : 1, 0);
    if (!Updating)
        FMemo->Refresh();
}

// ---------------------------------------------------------------------------------------
// TCustomMemo

Z_CLASS_IMPL(TCustomMemo, TCustomEdit)
Z_CLASS_IMPL(TMemo, TCustomMemo, Z_PROP_ENUM(TMemo, Alignment, AlignmentNames, taLeftJustify),
             Z_PROP_ENUM(TMemo, BorderStyle, BorderStyleNames, bsSingle),
             Z_PROP_BOOL(TMemo, HideSelection, true), Z_PROP_OBJ(TMemo, Lines),
             Z_PROP_INT(TMemo, MaxLength, 0), Z_PROP_BOOL(TMemo, OEMConvert, false),
             Z_PROP_BOOL(TMemo, ReadOnly, false),
             Z_PROP_ENUM(TMemo, ScrollBars, ScrollStyleNames, ssNone),
             Z_PROP_BOOL(TMemo, WantReturns, true), Z_PROP_BOOL(TMemo, WantTabs, false),
             Z_PROP_BOOL(TMemo, WordWrap, true))

TCustomMemo::TCustomMemo(TComponent* AOwner)
    : TCustomEdit(AOwner), FLines(std::make_unique<TMemoStrings>(this))
{
    FAutoSize = false;
    FControlStyle &= ~csFixedHeight;
    FWidth = 185;
    FHeight = 89;
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::CreateParams(TCreateParams& Params)
{
    TCustomEdit::CreateParams(Params);
    Params.Style |= ES_MULTILINE;
    if (FWordWrap)
        Params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
        Params.Style |= WS_HSCROLL;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth)
        Params.Style |= WS_VSCROLL;
    // A right-to-left memo mirrors the left and right alignments.
    TAlignment a = FAlignment;
    if (UseRightToLeftAlignment() && a != taCenter)
        a = a == taLeftJustify ? taRightJustify : taLeftJustify;
    Params.Style |= a == taRightJustify ? ES_RIGHT : a == taCenter ? ES_CENTER : ES_LEFT;
}

void TCustomMemo::SetAlignment(TAlignment Value)
{
    RecreateOnChange(this, FAlignment, Value);
}

void TCustomMemo::SetScrollBars(TScrollStyle Value)
{
    RecreateOnChange(this, FScrollBars, Value);
}

void TCustomMemo::SetWordWrap(bool Value)
{
    RecreateOnChange(this, FWordWrap, Value);
}

TPoint TCustomMemo::CaretPos()
{
    HWND wnd = Handle();
    DWORD start = 0, end = 0;
    SendMessageA(wnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    int line = static_cast<int>(SendMessageA(wnd, EM_LINEFROMCHAR, end, 0));
    int first = static_cast<int>(SendMessageA(wnd, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
    return TPoint(static_cast<int>(end) - first, line);
}

void TCustomMemo::SetCaretPos(const TPoint& Value)
{
    HWND wnd = Handle();
    LRESULT first = SendMessageA(wnd, EM_LINEINDEX, static_cast<WPARAM>(std::max(Value.Y, 0)), 0);
    if (first < 0)
        return;
    LRESULT pos = first + std::max(Value.X, 0);
    SendMessageA(wnd, EM_SETSEL, static_cast<WPARAM>(pos), pos);
}

void TCustomMemo::Dispatch(TMessage& Message)
{
    if (Message.Msg == WM_GETDLGCODE) {
        TCustomEdit::Dispatch(Message);
        if (FWantTabs)
            Message.Result |= DLGC_WANTTAB;
        else
            Message.Result &= ~static_cast<LRESULT>(DLGC_WANTTAB);
        if (!FWantReturns)
            Message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
        return;
    }
    TCustomEdit::Dispatch(Message);
}

void TCustomMemo::KeyPress(char& Key)
{
    TCustomEdit::KeyPress(Key);
    if (Key == '\r' && !FWantReturns)
        Key = 0;
}

// ---------------------------------------------------------------------------------------
// TComboBoxStrings

Z_CLASS_IMPL(TComboBoxStrings, TStrings)

HWND TComboBoxStrings::Wnd() const
{
    return FComboBox->Handle();
}

int TComboBoxStrings::GetCount() const
{
    return static_cast<int>(SendMessageA(Wnd(), CB_GETCOUNT, 0, 0));
}

AnsiString TComboBoxStrings::Get(int Index) const
{
    HWND wnd = Wnd();
    LRESULT len = SendMessageA(wnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(Index), 0);
    if (len < 1)
        return AnsiString();
    std::vector<char> buf(static_cast<size_t>(len) + 1, '\0');
    LRESULT got = SendMessageA(wnd, CB_GETLBTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(buf.data()));
    if (got < 1)
        return AnsiString();
    return AnsiString(buf.data(), static_cast<size_t>(std::min(got, len)));
}

TObject* TComboBoxStrings::GetObject(int Index) const
{
    LRESULT data = SendMessageA(Wnd(), CB_GETITEMDATA, static_cast<WPARAM>(Index), 0);
    if (data == CB_ERR)
        Error(zstrlist::SListIndexError, Index);
    return reinterpret_cast<TObject*>(data);
}

void TComboBoxStrings::PutObject(int Index, TObject* AObject)
{
    SendMessageA(Wnd(), CB_SETITEMDATA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(AObject));
}

int TComboBoxStrings::Add(const AnsiString& S)
{
    LRESULT r = SendMessageA(Wnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
    if (r < 0)
        throw EOutOfResources("Unable to insert a line");
    return static_cast<int>(r);
}

int TComboBoxStrings::AddObject(const AnsiString& S, TObject* AObject)
{
    int i = Add(S);
    PutObject(i, AObject);
    return i;
}

void TComboBoxStrings::Insert(int Index, const AnsiString& S)
{
    if (SendMessageA(Wnd(), CB_INSERTSTRING, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(S.c_str())) < 0)
        throw EOutOfResources("Unable to insert a line");
}

void TComboBoxStrings::Delete(int Index)
{
    SendMessageA(Wnd(), CB_DELETESTRING, static_cast<WPARAM>(Index), 0);
}

void TComboBoxStrings::Clear()
{
    AnsiString text = FComboBox->Text();
    SendMessageA(Wnd(), CB_RESETCONTENT, 0, 0);
    FComboBox->SetText(text);
    FComboBox->Update();
}

int TComboBoxStrings::IndexOf(const AnsiString& S) const
{
    return static_cast<int>(SendMessageA(Wnd(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(S.c_str())));
}

void TComboBoxStrings::SetUpdateState(bool Updating)
{
    if (!FComboBox->HandleAllocated())
        return;
    SendMessageA(FComboBox->WindowHandle(), WM_SETREDRAW, Updating ? 0 : 1, 0);
    if (!Updating)
        FComboBox->Refresh();
}

// ---------------------------------------------------------------------------------------
// TCustomComboBox

Z_CLASS_IMPL(TCustomComboBox, TCustomListControl, Z_PROP_BOOL(TCustomComboBox, TabStop, true),
             Z_PROP_BOOL(TCustomComboBox, ParentColor, false))

namespace {
TPropInfo ComboItemHeightProp()
{
    TPropInfo p = Z_PROP_INT(TComboBox, ItemHeight, 16);
    // Only the owner-drawn styles have a height of their own; the others take the system's.
    p.IsStored = [](const TObject* o) {
        TComboBoxStyle s = static_cast<const TComboBox*>(o)->Style();
        return s == csOwnerDrawFixed || s == csOwnerDrawVariable;
    };
    return p;
}
} // namespace

Z_CLASS_IMPL(TComboBox, TCustomComboBox, Z_PROP_ENUM(TComboBox, Style, ComboBoxStyleNames, csDropDown),
             Z_PROP_BOOL(TComboBox, AutoComplete, true), Z_PROP_BOOL(TComboBox, AutoDropDown, false),
             Z_PROP_BOOL(TComboBox, AutoCloseUp, false),
             Z_PROP_ENUM(TComboBox, CharCase, EditCharCaseNames, ecNormal),
             Z_PROP_INT(TComboBox, DropDownCount, 8), ComboItemHeightProp(),
             Z_PROP_INT(TComboBox, ItemIndex, -1),
             Z_PROP_INT(TComboBox, MaxLength, 0), Z_PROP_BOOL(TComboBox, Sorted, false),
             Z_PROP_STR(TComboBox, Text),
             Z_PROP_OBJ(TComboBox, Items))

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TCustomListControl(AOwner), FCanvas(std::make_unique<TControlCanvas>())
{
    FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks | csFixedHeight;
    FWidth = 145;
    FHeight = 25;
    FTabStop = true;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(FColor);
    FCanvas->SetControl(this);
    FEditInstance = MakeObjectInstance(MakeMethod<&TCustomComboBox::EditWndProcEntry>(this));
    FListInstance = MakeObjectInstance(MakeMethod<&TCustomComboBox::ListWndProcEntry>(this));
}

TCustomComboBox::~TCustomComboBox()
{
    // The window goes while the procedures of its edit and list windows still exist.
    DestroyWindowFirst();
    FCanvas->FreeHandle();
    FreeObjectInstance(FEditInstance);
    FreeObjectInstance(FListInstance);
}

const TComboBoxStringsClass& TCustomComboBox::GetItemsClass()
{
    static const TComboBoxStringsClass cls{&TComboBoxStrings::StaticClassInfo,
                                           [](TCustomComboBox* c) { return new TComboBoxStrings(c); }};
    return cls;
}

TStrings* TCustomComboBox::Items() const
{
    if (!FItems) {
        auto* self = const_cast<TCustomComboBox*>(this);
        FItems.reset(self->GetItemsClass().Create(self));
    }
    return FItems.get();
}

TCanvas* TCustomComboBox::Canvas() const
{
    return FCanvas.get();
}

void TCustomComboBox::CreateParams(TCreateParams& Params)
{
    TCustomListControl::CreateParams(Params);
    CreateSubClass(Params, "COMBOBOX");
    static const DWORD styles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST,
                                   CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
                                   CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
    Params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL | styles[FStyle];
    if (FSorted)
        Params.Style |= CBS_SORT;
    if (FCharCase == ecUpperCase)
        Params.Style |= CBS_UPPERCASE;
    else if (FCharCase == ecLowerCase)
        Params.Style |= CBS_LOWERCASE;
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomComboBox::CreateWnd()
{
    TFlagScope restoring(FRestoring);
    // A text set before the first window: the system's combo box takes no window name.
    if (!FTextSaved && !FText.empty()) {
        FSaveText = FText;
        FTextSaved = true;
    }
    TCustomListControl::CreateWnd();
    SendMessageA(FHandle, CB_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
    SubclassChildren();
    if (FEditHandle)
        SendMessageA(FEditHandle, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    if (FSaveItems) {
        std::unique_ptr<TStringList> saved = std::move(FSaveItems);
        Items()->Assign(saved.get());
        int count = Items()->Count();
        if (FSaveIndex >= count)
            FSaveIndex = count - 1;
        if (FSaveIndex >= 0)
            SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(FSaveIndex), 0);
    }
    FSaveIndex = -1;
    if (FTextSaved) {
        FTextSaved = false;
        // A list style shows its item; an editable one gets back what its edit held.
        if (EditableStyle())
            SendMessageA(FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(FSaveText.c_str()));
        FSaveText.clear();
    }
}

void TCustomComboBox::SubclassChildren()
{
    FEditHandle = nullptr;
    FListHandle = nullptr;
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (!GetComboBoxInfo(FHandle, &info))
        return;
    if (info.hwndItem && info.hwndItem != FHandle && GetParent(info.hwndItem) == FHandle) {
        FEditHandle = info.hwndItem;
        FDefEditProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(FEditHandle, GWLP_WNDPROC));
        SetWindowLongPtrA(FEditHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FEditInstance));
    }
    if (info.hwndList && info.hwndList != FHandle) {
        FListHandle = info.hwndList;
        FDefListProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(FListHandle, GWLP_WNDPROC));
        SetWindowLongPtrA(FListHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FListInstance));
    }
}

void TCustomComboBox::DestroyWnd()
{
    // The items, the current item and the text wait here for the next window.
    if (FHandle) {
        int count = static_cast<int>(SendMessageA(FHandle, CB_GETCOUNT, 0, 0));
        if (count > 0) {
            auto saved = std::make_unique<TStringList>();
            saved->Assign(Items());
            FSaveIndex = static_cast<int>(SendMessageA(FHandle, CB_GETCURSEL, 0, 0));
            FSaveItems = std::move(saved);
        }
        FSaveText = Text();
        FTextSaved = true;
    }
    TCustomListControl::DestroyWnd();
    FEditHandle = nullptr;
    FListHandle = nullptr;
}

void TCustomComboBox::Loaded()
{
    TCustomListControl::Loaded();
    if (FItemIndex != -1) {
        int index = FItemIndex;
        FItemIndex = -1;
        SetItemIndex(index);
    }
}

int TCustomComboBox::GetCount()
{
    return Items()->Count();
}

int TCustomComboBox::GetItemIndex()
{
    if (IsLoading())
        return FItemIndex;
    return static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int Value)
{
    if (IsLoading()) {
        FItemIndex = Value;
        return;
    }
    if (GetItemIndex() != Value)
        SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

void TCustomComboBox::AddItem(const AnsiString& Item, TObject* AObject)
{
    Items()->AddObject(Item, AObject);
}

void TCustomComboBox::Clear()
{
    SetText(AnsiString());
    Items()->Clear();
    FSaveIndex = -1;
}

void TCustomComboBox::ClearSelection()
{
    SetItemIndex(-1);
}

void TCustomComboBox::CopySelection(TCustomListControl* Destination)
{
    int i = GetItemIndex();
    if (i >= 0 && Destination)
        Destination->AddItem(Items()->Get(i), Items()->GetObject(i));
}

void TCustomComboBox::DeleteSelected()
{
    int i = GetItemIndex();
    if (i >= 0)
        Items()->Delete(i);
}

void TCustomComboBox::SelectAll()
{
    SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(0, 0xFFFF));
}

void TCustomComboBox::SetText(const AnsiString& Value)
{
    if (EditableStyle() || IsLoading()) {
        TCustomListControl::SetText(Value);
        return;
    }
    // The system's list styles ignore a text; the item of that text is selected instead.
    AnsiString before = Text();
    SetItemIndex(Value.empty() ? -1 : Items()->IndexOf(Value));
    if (Text() != before)
        Perform(CM_TEXTCHANGED, 0, 0);
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value)
{
    RecreateOnChange(this, FStyle, Value);
}

void TCustomComboBox::SetCharCase(TEditCharCase Value)
{
    RecreateOnChange(this, FCharCase, Value);
}

void TCustomComboBox::SetSorted(bool Value)
{
    RecreateOnChange(this, FSorted, Value);
}

void TCustomComboBox::SetMaxLength(int Value)
{
    if (Value < 0)
        Value = 0;
    if (StoreChanged(FMaxLength, Value) && FHandle)
        SendMessageA(FHandle, CB_LIMITTEXT, static_cast<WPARAM>(Value), 0);
}

int TCustomComboBox::ItemHeight() const
{
    if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable || !FHandle)
        return FItemHeight;
    return static_cast<int>(SendMessageA(FHandle, CB_GETITEMHEIGHT, 0, 0));
}

void TCustomComboBox::SetItemHeight(int Value)
{
    if (Value > 0 && StoreChanged(FItemHeight, Value))
        RecreateWnd();
}

bool TCustomComboBox::DroppedDown()
{
    return FHandle && SendMessageA(FHandle, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool Value)
{
    HWND wnd = Handle();
    SendMessageA(wnd, CB_SHOWDROPDOWN, Value ? 1 : 0, 0);
    InvalidateRect(wnd, nullptr, TRUE);
}

void TCustomComboBox::GetEditSel(DWORD& Start, DWORD& End)
{
    Start = End = 0;
    SendMessageA(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&End));
}

int TCustomComboBox::GetSelStart()
{
    DWORD start, end;
    GetEditSel(start, end);
    return static_cast<int>(start);
}

void TCustomComboBox::SetSelStart(int Value)
{
    SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(Value, Value));
}

int TCustomComboBox::GetSelLength()
{
    DWORD start, end;
    GetEditSel(start, end);
    return static_cast<int>(end) - static_cast<int>(start);
}

void TCustomComboBox::SetSelLength(int Value)
{
    DWORD start, end;
    GetEditSel(start, end);
    SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(start, start + Value));
}

AnsiString TCustomComboBox::GetSelText()
{
    if (!EditableStyle())
        return AnsiString();
    DWORD start, end;
    GetEditSel(start, end);
    AnsiString text = Text();
    if (start >= text.size() || end <= start)
        return AnsiString();
    return text.substr(start, std::min<size_t>(end, text.size()) - start);
}

void TCustomComboBox::SetSelText(const AnsiString& Value)
{
    HandleNeeded();
    if (FEditHandle)
        SendMessageA(FEditHandle, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

bool TCustomComboBox::Focused()
{
    HWND focus = GetFocus();
    return focus && ((FHandle && focus == FHandle) || (FEditHandle && focus == FEditHandle) ||
                     (FListHandle && focus == FListHandle));
}

void TCustomComboBox::Change()
{
    Changed();
    if (OnChange)
        OnChange(this);
}

void TCustomComboBox::Select()
{
    if (OnSelect)
        OnSelect(this);
    else
        Change();
}

void TCustomComboBox::DropDown()
{
    if (OnDropDown)
        OnDropDown(this);
}

void TCustomComboBox::CloseUp()
{
    if (OnCloseUp)
        OnCloseUp(this);
}

void TCustomComboBox::AdjustDropDown()
{
    if (!FHandle || FStyle == csSimple)
        return;
    int count = std::clamp(GetCount(), 1, std::max(FDropDownCount, 1));
    // The window's full height is the closed part and the open list together.
    SetWindowPos(FHandle, nullptr, 0, 0, FWidth, ItemHeight() * count + FHeight + 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void TCustomComboBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State)
{
    if (OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    FCanvas->UpdateTextFlags();
    FCanvas->FillRect(Rect);
    if (Index >= 0)
        FCanvas->TextOut(Rect.Left + 2, Rect.Top, Items()->Get(Index));
}

void TCustomComboBox::MeasureItem(int Index, int& Height)
{
    if (OnMeasureItem)
        OnMeasureItem(this, Index, Height);
}

bool TCustomComboBox::SelectItem(const AnsiString& AnItem)
{
    if (AnItem.empty())
        return false;
    int index = static_cast<int>(SendMessageA(Handle(), CB_FINDSTRING, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(AnItem.c_str())));
    if (index < 0)
        return false;
    bool changed = index != GetItemIndex();
    if (FAutoCloseUp && Items()->IndexOf(AnItem) >= 0)
        SendMessageA(FHandle, CB_SHOWDROPDOWN, 0, 0);
    SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (EditableStyle()) {
        AnsiString item = Items()->Get(index);
        AnsiString text = AnItem + (item.size() > AnItem.size() ? item.substr(AnItem.size()) : AnsiString());
        SendMessageA(FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(FHandle, CB_SETEDITSEL, 0, MAKELPARAM(AnItem.size(), text.size()));
    }
    if (changed) {
        Click();
        Select();
    }
    return true;
}

void TCustomComboBox::KeyPress(char& Key)
{
    TCustomListControl::KeyPress(Key);
    if (Key == 0 || !FAutoComplete)
        return;
    if (EditableStyle())
        KeyPressEditable(Key);
    else
        KeyPressSearch(Key);
}

// The typed text is completed by the first item that begins with it.
void TCustomComboBox::KeyPressEditable(char& Key)
{
    switch (Key) {
    case VK_ESCAPE:
    case VK_BACK:
        return;   // the edit deletes; nothing is completed
    case VK_TAB:
        if (FAutoDropDown && DroppedDown())
            SetDroppedDown(false);
        return;
    }
    if (static_cast<uint8_t>(Key) < ' ')
        return;   // Enter and other control characters complete nothing
    if (FAutoDropDown && !DroppedDown())
        SetDroppedDown(true);
    DWORD start, end;
    GetEditSel(start, end);
    AnsiString text = Text();
    // Only typing at the end completes: text after the caret would be lost.
    if (end < text.size())
        return;
    if (SelectItem(text.substr(0, std::min<size_t>(start, text.size())) + Key))
        Key = 0;
}

// The list styles search: keys typed without a pause form one search text.
void TCustomComboBox::KeyPressSearch(char& Key)
{
    switch (Key) {
    case VK_ESCAPE:
        return;
    case VK_TAB:
        if (FAutoDropDown && DroppedDown())
            SetDroppedDown(false);
        return;
    case VK_BACK:
        // Backspace shortens the search text; with none left it does nothing.
        if (!FFilter.empty())
            FFilter.pop_back();
        Key = 0;
        return;
    }
    if (static_cast<uint8_t>(Key) < ' ')
        return;
    if (FAutoDropDown && !DroppedDown())
        SetDroppedDown(true);
    DWORD now = ComboTickCount();
    if (now - FLastTime >= FAutoCompleteDelay)
        FFilter.clear();
    FLastTime = now;
    if (SelectItem(FFilter + Key)) {
        FFilter += Key;
        Key = 0;
    }
}

void TCustomComboBox::ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc)
{
    switch (Message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (FocusMessageRefused(Message))
            return;
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // The list's own keys move in the list only.
        if (ComboWnd == FListHandle)
            break;
        [[fallthrough]];
    default:
        if (DoChildKeyMessage(Message))
            return;
        if (Message.Msg == WM_CHAR && (CharCodeOf(Message) == VK_RETURN || CharCodeOf(Message) == VK_ESCAPE) &&
            DroppedDown()) {
            SetDroppedDown(false);
            return;
        }
        break;
    }
    Message.Result = CallWindowProcA(ComboProc, ComboWnd, Message.Msg, Message.WParam, Message.LParam);
    if (Message.Msg == WM_LBUTTONDBLCLK && (FControlStyle & csDoubleClicks))
        DblClick();
    else if (Message.Msg == WM_NCDESTROY) {
        if (ComboWnd == FEditHandle)
            FEditHandle = nullptr;
        else if (ComboWnd == FListHandle)
            FListHandle = nullptr;
    }
}

void TCustomComboBox::EditWndProc(TMessage& Message)
{
    HWND wnd = FEditHandle;
    WNDPROC proc = FDefEditProc;
    if (!wnd || !proc)
        return;
    ComboWndProc(Message, wnd, proc);
}

void TCustomComboBox::ListWndProc(TMessage& Message)
{
    HWND wnd = FListHandle;
    WNDPROC proc = FDefListProc;
    if (!wnd || !proc)
        return;
    ComboWndProc(Message, wnd, proc);
}

void TCustomComboBox::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_COMMAND:
        CNCommand(Message);
        break;
    case CN_DRAWITEM:
        CNDrawItem(Message);
        break;
    case CN_MEASUREITEM:
        CNMeasureItem(Message);
        break;
    case WM_CHAR:
        if (DoKeyPress(Message))
            break;
        if ((CharCodeOf(Message) == VK_RETURN || CharCodeOf(Message) == VK_ESCAPE) && DroppedDown()) {
            SetDroppedDown(false);
            break;
        }
        DefaultHandler(Message);
        break;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        // The edit and list windows take the control's colours.
        Message.Result = ControlColors(reinterpret_cast<HDC>(Message.WParam));
        break;
    case WM_NCDESTROY:
        TCustomListControl::Dispatch(Message);
        FEditHandle = nullptr;
        FListHandle = nullptr;
        break;
    default:
        TCustomListControl::Dispatch(Message);
        break;
    }
}

void TCustomComboBox::CNCommand(TMessage& Message)
{
    if (FRestoring)
        return;
    switch (TWMCommand(Message).NotifyCode) {
    case CBN_DBLCLK:
        DblClick();
        break;
    case CBN_EDITCHANGE:
        Change();
        break;
    case CBN_DROPDOWN:
        DropDown();
        AdjustDropDown();
        break;
    case CBN_SELCHANGE: {
        // The edit part shows the new item before anyone asks for the text.
        int index = GetItemIndex();
        if (index >= 0 && EditableStyle()) {
            AnsiString item = Items()->Get(index);
            SendMessageA(FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(item.c_str()));
        }
        Click();
        Select();
        break;
    }
    case CBN_CLOSEUP:
        CloseUp();
        break;
    }
}

void TCustomComboBox::CNDrawItem(TMessage& Message)
{
    DRAWITEMSTRUCT* dis = TWMDrawItem(Message).DrawItemStruct;
    if (!dis)
        return;
    auto state = static_cast<TOwnerDrawState>(LOWORD(dis->itemState));
    TCanvasDC scope(FCanvas.get(), dis->hDC);
    FCanvas->SetFont(FFont.get());
    FCanvas->SetBrush(FBrush.get());
    int index = static_cast<int>(dis->itemID);
    TRect r(dis->rcItem);
    if (index >= 0 && (state & odSelected)) {
        FCanvas->Brush()->SetColor(clHighlight);
        FCanvas->Font()->SetColor(clHighlightText);
    }
    if (index >= 0)
        DrawItem(index, r, state);
    else
        FCanvas->FillRect(r);
    if (state & odFocused)
        DrawFocusRect(dis->hDC, &dis->rcItem);
    Message.Result = 1;
}

void TCustomComboBox::CNMeasureItem(TMessage& Message)
{
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
    if (!mis)
        return;
    int height = FItemHeight;
    if (FStyle == csOwnerDrawVariable)
        MeasureItem(static_cast<int>(mis->itemID), height);
    mis->itemHeight = static_cast<UINT>(std::max(height, 1));
    Message.Result = 1;
}

// ---------------------------------------------------------------------------------------
// TCustomLabel

Z_CLASS_IMPL(TCustomLabel, TGraphicControl)
Z_CLASS_IMPL(TLabel, TCustomLabel, Z_PROP_ENUM(TLabel, Alignment, AlignmentNames, taLeftJustify),
             Z_PROP_BOOL(TLabel, AutoSize, true),
             Z_PROP_CAPTION(TLabel),
             Z_PROP_REF(TLabel, FocusControl, TWinControl),
             Z_PROP_ENUM(TLabel, Layout, TextLayoutNames, tlTop),
             Z_PROP_BOOL(TLabel, ShowAccelChar, true), Z_PROP_BOOL(TLabel, Transparent, false),
             Z_PROP_BOOL(TLabel, WordWrap, false))

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    FControlStyle |= csOpaque | csReplicatable;
    FWidth = 65;
    FHeight = 17;
    FAutoSize = true;
}

AnsiString TCustomLabel::GetLabelText()
{
    return Caption();
}

void TCustomLabel::DoDrawText(TRect& Rect, int Flags)
{
    AnsiString text = GetLabelText();
    // An empty caption, or "&" alone, still measures one line high.
    if ((Flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == "&")))
        text += ' ';
    if (!FShowAccelChar)
        Flags |= DT_NOPREFIX;
    Flags = DrawTextBiDiModeFlags(Flags);
    TCanvas* canvas = Canvas();
    canvas->SetFont(FFont.get());
    HDC dc = canvas->Handle();
    int len = static_cast<int>(text.size());
    if (!FEnabled && !(Flags & DT_CALCRECT)) {
        Rect = TRect(Rect.Left + 1, Rect.Top + 1, Rect.Right + 1, Rect.Bottom + 1);
        canvas->Font()->SetColor(clBtnHighlight);
        dc = canvas->Handle();
        DrawTextA(dc, text.c_str(), len, Rect.Win(), static_cast<UINT>(Flags));
        Rect = TRect(Rect.Left - 1, Rect.Top - 1, Rect.Right - 1, Rect.Bottom - 1);
        canvas->Font()->SetColor(clBtnShadow);
        dc = canvas->Handle();
    }
    DrawTextA(dc, text.c_str(), len, Rect.Win(), static_cast<UINT>(Flags));
}

void TCustomLabel::Paint()
{
    TCanvas* canvas = Canvas();
    TRect client = GetClientRect();
    if (!Transparent()) {
        canvas->Brush()->SetColor(FColor);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(client);
    }
    canvas->Brush()->SetStyle(bsClear);
    int flags = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0) |
                (FAlignment == taRightJustify ? DT_RIGHT : FAlignment == taCenter ? DT_CENTER : DT_LEFT);
    TRect r = client;
    if (FLayout != tlTop) {
        TRect calc = r;
        DoDrawText(calc, flags | DT_CALCRECT);
        int dy = FLayout == tlBottom ? FHeight - calc.Bottom : (FHeight - calc.Bottom) / 2;
        r = TRect(r.Left, r.Top + dy, r.Right, r.Bottom + dy);
    }
    DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds()
{
    if ((ComponentState() & csReading) || !FAutoSize)
        return;
    TRect r = GetClientRect();
    {
        TClientDC dc(nullptr);
        TCanvasDC scope(Canvas(), dc.Handle());
        DoDrawText(r, DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0));
    }
    int x = FLeft;
    TAlignment a = FAlignment;
    if (UseRightToLeftAlignment() && a != taCenter)
        a = a == taLeftJustify ? taRightJustify : taLeftJustify;
    if (a == taRightJustify)
        x += FWidth - r.Right;
    SetBounds(x, FTop, r.Right, r.Bottom);
}

void TCustomLabel::SetAlignment(TAlignment Value)
{
    if (StoreChanged(FAlignment, Value))
        Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout Value)
{
    if (StoreChanged(FLayout, Value))
        Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value)
{
    if (StoreChanged(FWordWrap, Value)) {
        AdjustBounds();
        Invalidate();
    }
}

void TCustomLabel::SetShowAccelChar(bool Value)
{
    if (StoreChanged(FShowAccelChar, Value)) {
        AdjustBounds();
        Invalidate();
    }
}

void TCustomLabel::SetTransparent(bool Value)
{
    if (Transparent() == Value)
        return;
    if (Value)
        FControlStyle &= ~csOpaque;
    else
        FControlStyle |= csOpaque;
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value)
{
    if (StoreChanged(FAutoSize, Value))
        AdjustBounds();
}

void TCustomLabel::SetFocusControl(TWinControl* Value)
{
    ReplaceLink(FFocusControl, Value);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == FFocusControl)
        FFocusControl = nullptr;
}

void TCustomLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
        Invalidate();
        AdjustBounds();
        break;
    case CM_FONTCHANGED:
        TGraphicControl::Dispatch(Message);
        AdjustBounds();
        break;
    case CM_DIALOGCHAR:
        CMDialogChar(Message);
        break;
    default:
        TGraphicControl::Dispatch(Message);
        break;
    }
}

void TCustomLabel::CMDialogChar(TMessage& Message)
{
    if (FFocusControl && FEnabled && FShowAccelChar && IsAccel(TWMKey(Message).CharCode, GetLabelText()) &&
        FFocusControl->CanFocus()) {
        FFocusControl->SetFocus();
        Message.Result = 1;
    }
}

// ---------------------------------------------------------------------------------------
// Buttons

Z_CLASS_IMPL(TButtonControl, TWinControl)

const TControlActionLinkClass* TButtonControl::GetActionLinkClass()
{
    return ControlActionLinkClassOf<TButtonActionLink>();
}

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner)
{
    FControlStyle = csSetCaption | csDoubleClicks;
    FTabStop = true;
}

void TButtonControl::CreateParams(TCreateParams& Params)
{
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, "BUTTON");
    if (FWordWrap)
        Params.Style |= BS_MULTILINE;
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TButtonControl::AddCheckStyle(TCreateParams& Params, DWORD Kind, TAlignment Alignment)
{
    Params.Style |= Kind;
    // The caption on the left of the box: asked for, or the mirror of the right for a
    // control aligned right to left.
    if ((Alignment == taLeftJustify) != UseRightToLeftAlignment())
        Params.Style |= BS_LEFTTEXT;
}

void TButtonControl::ShowCheck(TCheckBoxState State)
{
    static const WPARAM checks[] = {BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE};
    if (FHandle)
        SendMessageA(FHandle, BM_SETCHECK, checks[State], 0);
}

void TButtonControl::SetWordWrap(bool Value)
{
    RecreateOnChange(this, FWordWrap, Value);
}

Z_CLASS_IMPL(TButton, TButtonControl, Z_PROP_BOOL(TButton, Cancel, false), Z_PROP_CAPTION(TButton),
             Z_PROP_BOOL(TButton, Default, false), Z_PROP_INT(TButton, ModalResult, mrNone),
             Z_PROP_BOOL(TButton, WordWrap, false))

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner)
{
    FWidth = 75;
    FHeight = 25;
}

void TButton::CreateParams(TCreateParams& Params)
{
    TButtonControl::CreateParams(Params);
    Params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CreateWnd()
{
    TButtonControl::CreateWnd();
    FActive = FDefault;
}

void TButton::SetDefault(bool Value)
{
    if (!StoreChanged(FDefault, Value) || !FHandle)
        return;
    // The buttons of the form settle again which one Enter clicks.
    if (TCustomForm* form = GetParentForm(this))
        form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
}

void TButton::SetButtonStyle(bool ADefault)
{
    if (!FHandle)
        return;
    LONG style = ADefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((GetWindowLongA(FHandle, GWL_STYLE) & 0x0F) != style)
        SendMessageA(FHandle, BM_SETSTYLE, static_cast<WPARAM>(style), 1);
}

void TButton::Click()
{
    if (TCustomForm* form = GetParentForm(this))
        form->SetModalResult(FModalResult);
    TButtonControl::Click();
}

void TButton::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_COMMAND:
        if (TWMCommand(Message).NotifyCode == BN_CLICKED)
            Click();
        break;
    case CM_DIALOGKEY: {
        TWMKey key(Message);
        if (((key.CharCode == VK_RETURN && FActive) || (key.CharCode == VK_ESCAPE && FCancel)) &&
            KeyDataToShiftState(key.KeyData) == 0 && CanFocus()) {
            Click();
            Message.Result = 1;
            break;
        }
        TButtonControl::Dispatch(Message);
        break;
    }
    case CM_DIALOGCHAR:
        if (IsAccel(TWMKey(Message).CharCode, Caption()) && CanFocus()) {
            Click();
            Message.Result = 1;
            break;
        }
        TButtonControl::Dispatch(Message);
        break;
    case CM_FOCUSCHANGED: {
        // A focused button is the one Enter clicks; with another control focused, the default.
        auto* sender = reinterpret_cast<TControl*>(Message.LParam);
        auto* button = dynamic_cast<TButton*>(sender);
        FActive = button ? button == this : FDefault;
        SetButtonStyle(FActive);
        TButtonControl::Dispatch(Message);
        break;
    }
    default:
        TButtonControl::Dispatch(Message);
        break;
    }
}

Z_CLASS_IMPL(TCustomCheckBox, TButtonControl)

namespace {
// "Checked" is published for whoever reaches a check box by its properties (the button
// action link does); the state carries the value in form data, so it is never written.
TPropInfo CheckBoxCheckedProp()
{
    TPropInfo p = zprop::Ord<TCheckBox, &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed>(
        "Checked", tkEnumeration, false, 0, zprop::BooleanNames, 2);
    p.GetOrd = [](const TObject* o) -> int64_t { return static_cast<const TCheckBox*>(o)->State() == cbChecked; };
    p.SetOrd = [](TObject* o, int64_t v) { static_cast<TCheckBox*>(o)->SetChecked(v != 0); };
    p.IsStored = [](const TObject*) { return false; };
    return p;
}
} // namespace

Z_CLASS_IMPL(TCheckBox, TCustomCheckBox, CheckBoxCheckedProp(),
             Z_PROP_ENUM(TCheckBox, Alignment, AlignmentNames, taRightJustify),
             Z_PROP_BOOL(TCheckBox, AllowGrayed, false), Z_PROP_CAPTION(TCheckBox),
             Z_PROP_ENUM(TCheckBox, State, CheckBoxStateNames, cbUnchecked),
             Z_PROP_BOOL(TCheckBox, WordWrap, false))

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner)
{
    FWidth = 97;
    FHeight = 17;
}

void TCustomCheckBox::CreateParams(TCreateParams& Params)
{
    TButtonControl::CreateParams(Params);
    // The state is the control's: the system's box does not change it by itself.
    AddCheckStyle(Params, BS_3STATE, FAlignment);
}

void TCustomCheckBox::CreateWnd()
{
    TButtonControl::CreateWnd();
    ShowCheck(FState);
}

void TCustomCheckBox::SetAlignment(TAlignment Value)
{
    RecreateOnChange(this, FAlignment, Value);
}

void TCustomCheckBox::SetState(TCheckBoxState Value)
{
    if (!StoreChanged(FState, Value))
        return;
    ShowCheck(Value);
    if (!ClicksDisabled())
        Click();
}

void TCustomCheckBox::Toggle()
{
    switch (FState) {
    case cbUnchecked:
        SetState(FAllowGrayed ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        SetState(cbUnchecked);
        break;
    case cbGrayed:
        SetState(cbChecked);
        break;
    }
}

void TCustomCheckBox::Click()
{
    Changed();
    TButtonControl::Click();
}

void TCustomCheckBox::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_COMMAND:
        if (TWMCommand(Message).NotifyCode == BN_CLICKED)
            Toggle();
        break;
    case CM_DIALOGCHAR:
        if (IsAccel(TWMKey(Message).CharCode, Caption()) && CanFocus()) {
            SetFocus();
            if (Focused())
                Toggle();
            Message.Result = 1;
            break;
        }
        TButtonControl::Dispatch(Message);
        break;
    default:
        TButtonControl::Dispatch(Message);
        break;
    }
}

Z_CLASS_IMPL(TRadioButton, TButtonControl,
             Z_PROP_ENUM(TRadioButton, Alignment, AlignmentNames, taRightJustify), Z_PROP_CAPTION(TRadioButton),
             Z_PROP_BOOL(TRadioButton, Checked, false),
             Z_PROP_BOOL(TRadioButton, WordWrap, false))

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner)
{
    FWidth = 113;
    FHeight = 17;
    FTabStop = false;
}

void TRadioButton::CreateParams(TCreateParams& Params)
{
    TButtonControl::CreateParams(Params);
    AddCheckStyle(Params, BS_RADIOBUTTON, FAlignment);
}

void TRadioButton::CreateWnd()
{
    TButtonControl::CreateWnd();
    ShowCheck(FChecked ? cbChecked : cbUnchecked);
}

void TRadioButton::SetAlignment(TAlignment Value)
{
    RecreateOnChange(this, FAlignment, Value);
}

void TRadioButton::SetChecked(bool Value)
{
    if (!StoreChanged(FChecked, Value))
        return;
    // Only the checked button of a group is a tab stop.
    SetTabStop(Value);
    ShowCheck(Value ? cbChecked : cbUnchecked);
    if (!Value)
        return;
    if (FParent) {
        for (int i = 0; i < FParent->ControlCount(); ++i) {
            auto* sibling = dynamic_cast<TRadioButton*>(FParent->Controls(i));
            if (sibling && sibling != this)
                sibling->SetChecked(false);
        }
    }
    Changed();
    if (!ClicksDisabled())
        Click();
}

void TRadioButton::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_COMMAND:
        if (TWMCommand(Message).NotifyCode == BN_CLICKED)
            SetChecked(true);
        else if (TWMCommand(Message).NotifyCode == BN_DOUBLECLICKED)
            DblClick();
        break;
    case CM_DIALOGCHAR:
        // Chosen by its accelerator, it takes the focus and is checked (some systems' radio
        // buttons notify a click themselves when they get the focus; some do not).
        if (IsAccel(TWMKey(Message).CharCode, Caption()) && CanFocus()) {
            SetFocus();
            if (Focused())
                SetChecked(true);
            Message.Result = 1;
            break;
        }
        TButtonControl::Dispatch(Message);
        break;
    default:
        TButtonControl::Dispatch(Message);
        break;
    }
}

// ---------------------------------------------------------------------------------------
// TCustomGroupBox

Z_CLASS_IMPL(TCustomGroupBox, TCustomControl)
Z_CLASS_IMPL(TGroupBox, TCustomGroupBox, Z_PROP_CAPTION(TGroupBox))

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner)
{
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks |
                    csReplicatable;
    FWidth = 185;
    FHeight = 105;
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect)
{
    TCustomControl::AdjustClientRect(Rect);
    // Measured on the screen: laying out the children needs no window of the box.
    int inset = FCtl3D ? 2 : 1;
    Rect = TRect(Rect.Left + inset, Rect.Top + FontMetrics(FFont.get()).tmHeight + inset, Rect.Right - inset,
                 Rect.Bottom - inset);
}

void TCustomGroupBox::Paint()
{
    PaintCaptioned(TAnsiCaptionText(Text()));
}

void TCustomGroupBox::PaintCaptioned(const TCaptionText& Caption)
{
    TCanvas* canvas = Canvas();
    canvas->SetFont(FFont.get());
    int h = canvas->TextHeight("0");
    TRect r(0, h / 2 - 1, FWidth, FHeight);
    if (FCtl3D) {
        // A light frame one pixel down and right of the dark one: an etched line.
        r = TRect(r.Left + 1, r.Top + 1, r.Right, r.Bottom);
        canvas->Brush()->SetColor(clBtnHighlight);
        canvas->FrameRect(r);
        r = TRect(r.Left - 1, r.Top - 1, r.Right - 1, r.Bottom - 1);
        canvas->Brush()->SetColor(clBtnShadow);
    } else {
        canvas->Brush()->SetColor(clWindowFrame);
    }
    canvas->FrameRect(r);
    if (Caption.IsEmpty())
        return;
    // The caption interrupts the frame: it stands on the box's colour.
    UINT flags = static_cast<UINT>(DrawTextBiDiModeFlags(DT_SINGLELINE));
    TSize size = Caption.Extent(canvas->Handle(), flags);
    int left = UseRightToLeftAlignment() ? FWidth - size.cx - 8 : 8;
    TRect tr = Bounds(left, 0, size.cx, size.cy);
    canvas->Brush()->SetColor(FColor);
    Caption.DrawText(canvas->Handle(), tr, flags);
}

void TCustomGroupBox::FocusFirstControl()
{
    TWinControl* first = FindNextControl(nullptr, true, true, false);
    if (!first)
        first = FindNextControl(nullptr, true, false, false);
    if (first)
        first->SetFocus();
}

void TCustomGroupBox::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_DIALOGCHAR:
        if (IsAccel(TWMKey(Message).CharCode, Caption()) && CanFocus()) {
            FocusFirstControl();
            Message.Result = 1;
            break;
        }
        TCustomControl::Dispatch(Message);
        break;
    case CM_TEXTCHANGED:
    case CM_CTL3DCHANGED:
        Invalidate();
        Realign();
        break;
    case CM_FONTCHANGED:
        TCustomControl::Dispatch(Message);
        Realign();
        break;
    case WM_SIZE:
        TCustomControl::Dispatch(Message);
        Invalidate();
        break;
    default:
        TCustomControl::Dispatch(Message);
        break;
    }
}
