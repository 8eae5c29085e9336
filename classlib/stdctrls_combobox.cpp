// The combo box: its items over the window's list, the edit and list styles, typing through
// the list, and the drop-down.
#include "classlib/stdctrls_shared.h"

#include <algorithm>
#include <cstring>

TTickCountFunc ComboTickCount = [] { return GetTickCount(); };

namespace {
const char* const ComboBoxStyleNames[] = {"csDropDown", "csSimple", "csDropDownList",
                                          "csOwnerDrawFixed", "csOwnerDrawVariable"};
} // namespace

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
