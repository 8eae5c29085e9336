// Input of windowed controls: focus (taking it, moving it through the tab order, its
// messages), keys and their preview by the form, and the mouse messages a windowed control
// hands on to its children without windows.
#include "classlib/controls_shared.h"
#include "classlib/forms.h"

#include <algorithm>

// Focus ----------------------------------------------------------------------------------------

bool TWinControl::CanFocus()
{
    TCustomForm* form = GetParentForm(this);
    if (!form)
        return false;
    for (TWinControl* c = this; c != form; c = c->FParent)
        if (!c->FVisible || !c->FEnabled)
            return false;
    return true;
}

bool TWinControl::Focused()
{
    return FHandle && GetFocus() == FHandle;
}

void TWinControl::SetFocus()
{
    if (TCustomForm* form = GetParentForm(this))
        form->FocusControl(this);
    else if (FParentWindow)
        ::SetFocus(Handle());
    else
        throw EInvalidOperation(Format("Control '%s' has no parent window", Name().c_str()));
}

void TWinControl::SetTabStop(bool Value)
{
    if (FTabStop == Value)
        return;
    FTabStop = Value;
    if (FHandle) {
        LONG style = GetWindowLongA(FHandle, GWL_STYLE) & ~WS_TABSTOP;
        if (Value)
            style |= WS_TABSTOP;
        SetWindowLongA(FHandle, GWL_STYLE, style);
    }
    Perform(CM_TABSTOPCHANGED, 0, 0);
}

int TWinControl::TabOrder() const
{
    if (!FParent)
        return -1;
    auto& list = FParent->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value)
{
    if (!FParent)
        return;
    auto& list = FParent->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end())
        return;
    list.erase(it);
    if (Value < 0 || Value > static_cast<int>(list.size()))
        Value = static_cast<int>(list.size());
    list.insert(list.begin() + Value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List)
{
    for (TControl* c : FTabList) {
        auto* w = static_cast<TWinControl*>(c);
        List.push_back(w);
        w->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent)
{
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty())
        return nullptr;
    int n = static_cast<int>(list.size());
    auto found = std::find(list.begin(), list.end(), CurControl);
    int start = found == list.end() ? (GoForward ? n - 1 : 0) : static_cast<int>(found - list.begin());
    int i = start;
    do {
        i = GoForward ? (i + 1) % n : (i + n - 1) % n;
        TWinControl* c = list[i];
        if (c->CanFocus() && (!CheckTabStop || c->TabStop()) && (!CheckParent || c->Parent() == this))
            return c;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop)
{
    if (TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop))
        c->SetFocus();
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

void TWinControl::CMEnter(TMessage&)
{
    DoEnter();
}

void TWinControl::CMExit(TMessage&)
{
    DoExit();
}

void TWinControl::CMFocusChanged(TMessage& Message)
{
    Broadcast(Message);
}

void TWinControl::WMSetFocus(TMessage& Message)
{
    DefaultHandler(Message);
}

void TWinControl::WMKillFocus(TMessage& Message)
{
    DefaultHandler(Message);
}

// Keys -----------------------------------------------------------------------------------------
// The key code and the character code are the low word of WParam; the word above is left as
// it came (the Unicode layer carries a wide character there).

bool TWinControl::DoKeyMessage(TMessage& Message, bool (TWinControl::*Preview)(TMessage&),
                               void (TWinControl::*Handler)(uint16_t&, TShiftState))
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && (static_cast<TWinControl*>(form)->*Preview)(Message))
        return true;
    if (!(FControlStyle & csNoStdEvents)) {
        TWMKey msg(Message);
        uint16_t key = msg.CharCode;
        (this->*Handler)(key, KeyDataToShiftState(msg.KeyData));
        Message.SetWParamLo(key);
        if (key == 0)
            return true;
    }
    return false;
}

bool TWinControl::DoKeyDown(TMessage& Message)
{
    return DoKeyMessage(Message, &TWinControl::DoKeyDown, &TWinControl::KeyDown);
}

bool TWinControl::DoKeyUp(TMessage& Message)
{
    return DoKeyMessage(Message, &TWinControl::DoKeyUp, &TWinControl::KeyUp);
}

bool TWinControl::DoKeyPress(TMessage& Message)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyPress(Message))
        return true;
    if (!(FControlStyle & csNoStdEvents)) {
        uint16_t code = CharCodeOf(Message);
        char c = static_cast<char>(static_cast<uint8_t>(code));
        char before = c;
        KeyPress(c);
        // Only a changed character is written back, so a code above 255 passes untouched.
        if (c != before)
            SetCharCode(Message, static_cast<uint8_t>(c));
        if (c == '\0')
            return true;
    }
    return false;
}

bool TWinControl::DoChildKeyMessage(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: return DoKeyDown(Message);
    case WM_CHAR: return DoKeyPress(Message);
    case WM_KEYUP:
    case WM_SYSKEYUP: return DoKeyUp(Message);
    case CN_KEYDOWN:
    case CN_CHAR:
    case CN_SYSKEYDOWN:
    case CN_SYSCHAR: WndProc(Message); return true;
    default: return false;
    }
}

void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift)
{
    if (OnKeyDown)
        OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift)
{
    if (OnKeyUp)
        OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key)
{
    if (OnKeyPress)
        OnKeyPress(this, Key);
}

void TWinControl::WMKeyDown(TMessage& Message)
{
    if (!DoKeyDown(Message))
        DefaultHandler(Message);
}

void TWinControl::WMSysKeyDown(TMessage& Message)
{
    if (!DoKeyDown(Message))
        DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message)
{
    if (!DoKeyUp(Message))
        DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message)
{
    if (!DoKeyPress(Message))
        DefaultHandler(Message);
}

void TWinControl::CNKeyDown(TMessage& Message)
{
    Message.Result = 1;
    if (TCustomForm* form = GetParentForm(this)) {
        if (form->IsShortCut(Message))
            return;
        if (!IsDesigning()) {
            TWMKey key(Message);
            if (Perform(CM_CHILDKEY, key.CharCode, reinterpret_cast<LPARAM>(this)) != 0)
                return;
            UINT mask = 0;
            switch (key.CharCode) {
            case VK_TAB: mask = DLGC_WANTTAB; break;
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN: mask = DLGC_WANTARROWS; break;
            case VK_RETURN:
            case VK_EXECUTE:
            case VK_ESCAPE:
            case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
            }
            if (mask && Perform(CM_WANTSPECIALKEY, key.CharCode, 0) == 0 &&
                (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0 &&
                form->Perform(CM_DIALOGKEY, key.CharCode, key.KeyData) != 0)
                return;
        }
    }
    Message.Result = 0;
}

void TWinControl::CNChar(TMessage& Message)
{
    Message.Result = 1;
    if (!IsDesigning()) {
        TCustomForm* form = GetParentForm(this);
        if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0 && form &&
            form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0)
            return;
    }
    Message.Result = 0;
}

void TWinControl::CNSysChar(TMessage& Message)
{
    // Alt with a character: the accelerators of the form's controls. Alt with the space
    // bar opens the window menu, as the system does.
    if (IsDesigning() || TWMKey(Message).CharCode == VK_SPACE)
        return;
    if (TCustomForm* form = GetParentForm(this))
        Message.Result = form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam);
}

void TWinControl::CMDialogChar(TMessage& Message)
{
    Broadcast(Message);
}

void TWinControl::CMDialogKey(TMessage& Message)
{
    Broadcast(Message);
}

// Mouse ----------------------------------------------------------------------------------------

bool TWinControl::IsControlMouseMsg(TMessage& Message)
{
    TPoint p = TWMMouse(Message).Pos();
    TControl* control = nullptr;
    if (FHandle && GetCapture() == FHandle) {
        if (g_captureControl && g_captureControl->Parent() == this)
            control = g_captureControl;
    } else {
        control = ControlAtPos(p, false);
    }
    if (!control)
        return false;
    p.X -= control->Left();
    p.Y -= control->Top();
    Message.Result = control->Perform(Message.Msg, Message.WParam, LParamOfPoint(p));
    return true;
}

void TWinControl::WMSetCursor(TMessage& Message)
{
    if (const TWMSetCursor set(Message); set.CursorWnd == FHandle && set.HitTest == HTCLIENT) {
        TCursor cursor = Screen ? Screen->Cursor() : TCursor(crDefault);
        if (cursor == crDefault) {
            POINT p;
            GetCursorPos(&p);
            if (TControl* c = ControlAtPos(ScreenToClient(TPoint(p.x, p.y)), false))
                cursor = c->Cursor();
            if (cursor == crDefault)
                cursor = FCursor;
        }
        if (cursor != crDefault && Screen) {
            ::SetCursor(Screen->Cursors(cursor));
            Message.Result = 1;
            return;
        }
    }
    DefaultHandler(Message);
}

void TWinControl::WMContextMenu(TMessage& Message)
{
    if (Message.Result != 0)
        return;
    TWMContextMenu menu(Message);
    if (!menu.FromKeyboard()) {
        if (TControl* c = ControlAtPos(ScreenToClient(menu.Pos()), false)) {
            Message.Result = c->Perform(WM_CONTEXTMENU, 0, Message.LParam);
            if (Message.Result != 0)
                return;
        }
    }
    // The control's own popup menu, else the system's handling (which asks the parent).
    TControl::WMContextMenu(Message);
}
