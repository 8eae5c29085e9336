// List boxes: the pieces any control over a "LISTBOX" window builds on (items, window styles,
// items kept across a new window, the virtual styles' answers, geometry, typed search), and
// the library's list box made of them.
#include "classlib/stdctrls_shared.h"

#include <algorithm>
#include <cstring>

const char* const ListBoxBorderStyleNames[2] = {"bsNone", "bsSingle"};
const char* const ListBoxStyleNames[5] = {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable", "lbVirtual",
                                          "lbVirtualOwnerDraw"};

TTickCountFunc ListBoxTickCount = [] { return GetTickCount(); };
bool (*ListBoxLeadByte)(uint8_t Byte) = [](uint8_t Byte) { return IsDBCSLeadByte(Byte) != 0; };

namespace {
const char* const SInsertLine = "Unable to insert a line";
const char* const SNoStrings = "A virtual list box has no items of its own";
const char* const SListIndexError = "List index out of bounds (%d)";

// The last length a virtual list box told for a text: the text that follows for the same item
// is written no longer, whatever the program answers the second time.
struct TToldLength {
    HWND Wnd = nullptr;
    int Index = -1;
    size_t Length = 0;
} ToldLength;

} // namespace

// ---------------------------------------------------------------------------------------
// TListBoxStrings

Z_CLASS_IMPL(TListBoxStrings, TStrings)

HWND TListBoxStrings::Wnd() const
{
    return FListBox->Handle();
}

void TListBoxStrings::CheckHasStrings() const
{
    if (GetWindowLongA(Wnd(), GWL_STYLE) & LBS_NODATA)
        throw EStringListError(SNoStrings);
}

int TListBoxStrings::GetCount() const
{
    return static_cast<int>(SendMessageA(Wnd(), LB_GETCOUNT, 0, 0));
}

AnsiString TListBoxStrings::Get(int Index) const
{
    HWND wnd = Wnd();
    const LRESULT len = SendMessageA(wnd, LB_GETTEXTLEN, static_cast<WPARAM>(Index), 0);
    if (len < 1)
        return AnsiString();
    std::vector<char> buf(static_cast<size_t>(len) + 1, '\0');
    const LRESULT got = SendMessageA(wnd, LB_GETTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(buf.data()));
    if (got < 1)
        return AnsiString();
    return AnsiString(buf.data(), static_cast<size_t>(std::min(got, len)));
}

TObject* TListBoxStrings::GetObject(int Index) const
{
    if (Index < 0 || Index >= GetCount())
        Error(SListIndexError, Index);
    return reinterpret_cast<TObject*>(SendMessageA(Wnd(), LB_GETITEMDATA, static_cast<WPARAM>(Index), 0));
}

void TListBoxStrings::PutObject(int Index, TObject* AObject)
{
    SendMessageA(Wnd(), LB_SETITEMDATA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(AObject));
}

int TListBoxStrings::Add(const AnsiString& S)
{
    CheckHasStrings();
    const LRESULT r = SendMessageA(Wnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
    if (r < 0)
        throw EOutOfResources(SInsertLine);
    return static_cast<int>(r);
}

int TListBoxStrings::AddObject(const AnsiString& S, TObject* AObject)
{
    const int i = Add(S);
    PutObject(i, AObject);
    return i;
}

void TListBoxStrings::Insert(int Index, const AnsiString& S)
{
    CheckHasStrings();
    if (SendMessageA(Wnd(), LB_INSERTSTRING, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(S.c_str())) < 0)
        throw EOutOfResources(SInsertLine);
}

void TListBoxStrings::Delete(int Index)
{
    SendMessageA(Wnd(), LB_DELETESTRING, static_cast<WPARAM>(Index), 0);
}

void TListBoxStrings::Clear()
{
    SendMessageA(Wnd(), LB_RESETCONTENT, 0, 0);
}

int TListBoxStrings::IndexOf(const AnsiString& S) const
{
    return static_cast<int>(
        SendMessageA(Wnd(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(S.c_str())));
}

void TListBoxStrings::SetUpdateState(bool Updating)
{
    if (!FListBox->HandleAllocated())
        return;
    SendMessageA(FListBox->WindowHandle(), WM_SETREDRAW, Updating ? 0 : 1, 0);
    if (!Updating)
        FListBox->Refresh();
}

// ---------------------------------------------------------------------------------------
// Shared pieces

DWORD TListBoxLook::WindowStyles() const
{
    static const DWORD styles[5] = {0, LBS_OWNERDRAWFIXED, LBS_OWNERDRAWVARIABLE, LBS_OWNERDRAWFIXED | LBS_NODATA,
                                    LBS_OWNERDRAWFIXED | LBS_NODATA};
    // A window without strings can be neither sorted nor asked for its texts.
    DWORD style = WS_VSCROLL | LBS_NOTIFY | styles[Style];
    if (!IsVirtualListBoxStyle(Style)) {
        style |= LBS_HASSTRINGS;
        if (Sorted)
            style |= LBS_SORT;
    }
    if (MultiSelect)
        style |= ExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
    if (!IntegralHeight)
        style |= LBS_NOINTEGRALHEIGHT;
    if (Columns > 0)
        style |= LBS_MULTICOLUMN | WS_HSCROLL;
    if (TabWidth > 0)
        style |= LBS_USETABSTOPS;
    return style;
}

void TListBoxLook::Apply(HWND Wnd, int Width, int VirtualCount) const
{
    if (TabWidth > 0)
        SendMessageA(Wnd, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&TabWidth));
    if (Columns > 0)
        SendMessageA(Wnd, LB_SETCOLUMNWIDTH, static_cast<WPARAM>(Width / Columns), 0);
    if (IsVirtualListBoxStyle(Style))
        SendMessageA(Wnd, LB_SETCOUNT, static_cast<WPARAM>(VirtualCount), 0);
}

TRect ListBoxItemRect(HWND Wnd, int Index)
{
    const int count = static_cast<int>(SendMessageA(Wnd, LB_GETCOUNT, 0, 0));
    RECT r{};
    if (Index >= 0 && Index < count) {
        SendMessageA(Wnd, LB_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
        return TRect(r);
    }
    if (Index != count || Index < 0)
        return TRect();
    if (count == 0) {
        // An empty list has no last item to go below: a new one would stand at the top.
        GetClientRect(Wnd, &r);
        return TRect(0, 0, r.right, static_cast<int>(SendMessageA(Wnd, LB_GETITEMHEIGHT, 0, 0)));
    }
    SendMessageA(Wnd, LB_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&r));
    const int h = r.bottom - r.top;
    return TRect(r.left, r.top + h, r.right, r.bottom + h);
}

int ListBoxItemAtPos(HWND Wnd, TPoint Pos, bool Existing)
{
    RECT client{};
    GetClientRect(Wnd, &client);
    if (!PtInRect(&client, POINT{Pos.X, Pos.Y}))
        return -1;
    const int count = static_cast<int>(SendMessageA(Wnd, LB_GETCOUNT, 0, 0));
    const bool columns = (GetWindowLongA(Wnd, GWL_STYLE) & LBS_MULTICOLUMN) != 0;
    for (int i = std::max(0, static_cast<int>(SendMessageA(Wnd, LB_GETTOPINDEX, 0, 0))); i < count; ++i) {
        RECT r{};
        SendMessageA(Wnd, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
        if (PtInRect(&r, POINT{Pos.X, Pos.Y}))
            return i;
        // Past the items shown.
        if (r.top >= client.bottom && (!columns || r.left >= client.right))
            break;
    }
    return Existing ? -1 : count;
}

void TListBoxKeeper::Save(HWND Wnd, TStrings* Items, bool MultiSelect)
{
    const int count = static_cast<int>(SendMessageA(Wnd, LB_GETCOUNT, 0, 0));
    if (!(GetWindowLongA(Wnd, GWL_STYLE) & LBS_NODATA) && count > 0) {
        FItems = std::make_unique<TStringList>();
        FItems->Assign(Items);
    }
    FItemIndex = static_cast<int>(SendMessageA(Wnd, MultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
    FSelected.clear();
    if (MultiSelect) {
        const int selected = static_cast<int>(SendMessageA(Wnd, LB_GETSELCOUNT, 0, 0));
        if (selected > 0) {
            FSelected.resize(static_cast<size_t>(selected));
            const int got = static_cast<int>(
                SendMessageA(Wnd, LB_GETSELITEMS, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(FSelected.data())));
            FSelected.resize(static_cast<size_t>(std::clamp(got, 0, selected)));
        }
    }
    FTopIndex = static_cast<int>(SendMessageA(Wnd, LB_GETTOPINDEX, 0, 0));
}

void TListBoxKeeper::Restore(HWND Wnd, TStrings* Items, bool MultiSelect)
{
    // A window without strings (a virtual style now) takes no texts.
    if (std::unique_ptr<TStringList> saved = std::move(FItems); saved && !(GetWindowLongA(Wnd, GWL_STYLE) & LBS_NODATA))
        Items->Assign(saved.get());
    const int count = static_cast<int>(SendMessageA(Wnd, LB_GETCOUNT, 0, 0));
    for (int i : FSelected)
        if (i < count)
            SendMessageA(Wnd, LB_SETSEL, TRUE, i);
    if (FItemIndex >= 0 && FItemIndex < count)
        SendMessageA(Wnd, MultiSelect ? LB_SETCARETINDEX : LB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
    if (FTopIndex > 0 && FTopIndex < count)
        SendMessageA(Wnd, LB_SETTOPINDEX, static_cast<WPARAM>(FTopIndex), 0);
    FSelected.clear();
    FItemIndex = -1;
    FTopIndex = 0;
}

bool AnswerVirtualListBox(TWinControl* Control, TMessage& Message, int Count, const TLBGetDataEvent& OnData,
                          const TLBGetDataObjectEvent& OnDataObject)
{
    const int index = static_cast<int>(Message.WParam);
    const bool inside = index >= 0 && index < Count;
    switch (Message.Msg) {
    case LB_GETTEXT:
    case LB_GETTEXTLEN: {
        if (!OnData || !inside) {
            Message.Result = LB_ERR;
            return true;
        }
        AnsiString text;
        OnData(Control, index, text);
        const HWND wnd = Control->WindowHandle();
        if (Message.Msg == LB_GETTEXTLEN) {
            ToldLength = TToldLength{wnd, index, text.size()};
        } else {
            if (ToldLength.Wnd == wnd && ToldLength.Index == index)
                text.resize(std::min(text.size(), ToldLength.Length));
            if (auto* buf = reinterpret_cast<char*>(Message.LParam))
                std::memcpy(buf, text.c_str(), text.size() + 1);
        }
        Message.Result = static_cast<LRESULT>(text.size());
        return true;
    }
    case LB_GETITEMDATA: {
        TObject* object = nullptr;
        if (OnDataObject && inside)
            OnDataObject(Control, index, object);
        Message.Result = inside ? reinterpret_cast<LRESULT>(object) : LB_ERR;
        return true;
    }
    default:
        return false;
    }
}

bool TListBoxSearch::Type(HWND Wnd, char& Key, unsigned Delay)
{
    const auto key = static_cast<uint8_t>(Key);
    // Enter, Escape and Tab are no part of a name: they go on to the form.
    if (key < ' ' && key != VK_BACK)
        return false;
    const DWORD now = ListBoxTickCount();
    if (now - FLast >= Delay)
        FPrefix.clear();
    FLast = now;
    if (key == VK_BACK) {
        // The last character goes whole, a double-byte one with both its bytes.
        size_t last = 0;
        for (size_t i = 0; i < FPrefix.size();) {
            last = i;
            i += ListBoxLeadByte(static_cast<uint8_t>(FPrefix[i])) && i + 1 < FPrefix.size() ? 2 : 1;
        }
        FPrefix.erase(std::min(last, FPrefix.size()));
        return true;
    }
    Key = 0;
    if (ListBoxLeadByte(key)) {
        // The second byte of the character is the next WM_CHAR; without one queued the lead
        // byte is half a character and is dropped.
        MSG msg{};
        if (!PeekMessageA(&msg, Wnd, WM_CHAR, WM_CHAR, PM_REMOVE))
            return false;
        FPrefix += static_cast<char>(key);
        FPrefix += static_cast<char>(msg.wParam);
        return true;
    }
    FPrefix += static_cast<char>(key);
    return true;
}

int TListBoxSearch::Choose(HWND Wnd, char& Key, unsigned Delay, bool MultiSelect, TWinControl* Control,
                           const TLBFindDataEvent& FindData)
{
    if (!Type(Wnd, Key, Delay))
        return -1;
    int found = 0;
    if (!FPrefix.empty()) {
        if (GetWindowLongA(Wnd, GWL_STYLE) & LBS_NODATA)
            found = FindData ? FindData(Control, FPrefix) : -1;
        else
            found = static_cast<int>(
                SendMessageA(Wnd, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(FPrefix.c_str())));
        if (found < 0)
            return -1;
        if (MultiSelect) {
            SendMessageA(Wnd, LB_SETSEL, FALSE, -1);
            SendMessageA(Wnd, LB_SELITEMRANGE, TRUE, MAKELPARAM(found, found));
        }
    }
    SetListBoxItemIndex(Wnd, MultiSelect, found);
    return found;
}

int ListBoxItemIndex(HWND Wnd, bool MultiSelect)
{
    return static_cast<int>(SendMessageA(Wnd, MultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
}

void SetListBoxItemIndex(HWND Wnd, bool MultiSelect, int Value)
{
    if (ListBoxItemIndex(Wnd, MultiSelect) != Value)
        SendMessageA(Wnd, MultiSelect ? LB_SETCARETINDEX : LB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

bool ListBoxSelected(HWND Wnd, int Index)
{
    const LRESULT r = SendMessageA(Wnd, LB_GETSEL, static_cast<WPARAM>(Index), 0);
    if (r == LB_ERR)
        throw EListError(Format(SListIndexError, Index));
    return r != 0;
}

void SetListBoxSelected(HWND Wnd, bool MultiSelect, int Index, bool Value)
{
    if (MultiSelect) {
        if (SendMessageA(Wnd, LB_SETSEL, Value, Index) == LB_ERR)
            throw EListError(Format(SListIndexError, Index));
    } else if (Value) {
        SetListBoxItemIndex(Wnd, false, Index);
    } else if (ListBoxItemIndex(Wnd, false) == Index) {
        SetListBoxItemIndex(Wnd, false, -1);
    }
}

int ListBoxSelCount(HWND Wnd, bool MultiSelect)
{
    if (MultiSelect)
        return static_cast<int>(SendMessageA(Wnd, LB_GETSELCOUNT, 0, 0));
    return ListBoxItemIndex(Wnd, false) >= 0 ? 1 : 0;
}

// ---------------------------------------------------------------------------------------
// TCustomListBox

Z_CLASS_IMPL(TCustomListBox, TCustomListControl, Z_PROP_BOOL(TCustomListBox, TabStop, true),
             Z_PROP_BOOL(TCustomListBox, ParentColor, false))
Z_CLASS_IMPL(TListBox, TCustomListBox, Z_LISTBOX_PROPS(TListBox))

void TCustomListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State)
{
    if (DrawnByProgram()) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    FCanvas->UpdateTextFlags();
    FCanvas->FillRect(Rect);
    if (Index >= 0)
        FCanvas->TextOut(Rect.Left + 2, Rect.Top, ItemText(Index));
}

void TCustomListBox::CNDrawItem(TMessage& Message)
{
    DRAWITEMSTRUCT* dis = TWMDrawItem(Message).DrawItemStruct;
    if (!dis)
        return;
    const auto state = static_cast<TOwnerDrawState>(LOWORD(dis->itemState));
    TCanvasDC scope(FCanvas.get(), dis->hDC);
    FCanvas->SetFont(FFont.get());
    FCanvas->SetBrush(FBrush.get());
    const int index = static_cast<int>(dis->itemID);
    if (index >= 0 && (state & odSelected)) {
        FCanvas->Brush()->SetColor(clHighlight);
        FCanvas->Font()->SetColor(clHighlightText);
    }
    if (index >= 0)
        DrawItem(index, TRect(dis->rcItem), state);
    else
        FCanvas->FillRect(TRect(dis->rcItem));
    if (state & odFocused)
        DrawFocusRect(dis->hDC, &dis->rcItem);
    Message.Result = 1;
}
