// Standard controls: what the unit's sources share, the list control base, the edit and the
// memo. The combo box, the label, the buttons and the group box have sources of their own.
#include "classlib/stdctrls_shared.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace zstdctrls {

const char* const AlignmentNames[3] = {"taLeftJustify", "taRightJustify", "taCenter"};

// The DC's text metrics with the font selected.
TEXTMETRICA FontMetrics(TFont* Font)
{
    TEXTMETRICA tm{};
    TClientDC dc(nullptr);
    TSelectObject font(dc.Handle(), Font->Handle());
    GetTextMetricsA(dc.Handle(), &tm);
    return tm;
}

} // namespace zstdctrls

const char* const EditCharCaseNames[3] = {"ecNormal", "ecUpperCase", "ecLowerCase"};

namespace {

const char* const BorderStyleNames[] = {"bsNone", "bsSingle"};
const char* const ScrollStyleNames[] = {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};

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
