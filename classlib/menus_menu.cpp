// The main and popup menus, the popup list that hears popup menus' commands, and the entry
// points through which forms and controls reach menus.
#include "classlib/menus_shared.h"

#include <algorithm>

TPopupList* PopupList = nullptr;

namespace {
const char* const PopupAlignmentNames[] = {"paLeft", "paRight", "paCenter"};
const char* const TrackButtonNames[] = {"tbRightButton", "tbLeftButton"};
const char* const BiDiModeNames[] = {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign",
                                     "bdRightToLeftReadingOnly"};

// A canvas borrowing a DC for one owner-draw message, with the menu font.
class TMenuCanvas {
public:
    explicit TMenuCanvas(HDC DC)
    {
        FCanvas.SetHandle(DC);
        if (Screen)
            FCanvas.Font()->Assign(Screen->MenuFont());
    }
    ~TMenuCanvas() { FCanvas.SetHandle(nullptr); }
    TMenuCanvas(const TMenuCanvas&) = delete;
    TMenuCanvas& operator=(const TMenuCanvas&) = delete;
    TCanvas* operator->() { return &FCanvas; }
    TCanvas* Get() { return &FCanvas; }

private:
    TCanvas FCanvas;
};

} // namespace

// ---------------------------------------------------------------------------------------
// TMenu

Z_CLASS_IMPL(TMenu, TComponent, Z_PROP_ENUM(TMenu, AutoHotkeys, MenuItemAutoFlagNames, maAutomatic),
             Z_PROP_ENUM(TMenu, BiDiMode, BiDiModeNames, bdLeftToRight),
             Z_PROP_REF(TMenu, Images, TCustomImageList), Z_PROP_BOOL(TMenu, OwnerDraw, false))
Z_CLASS_IMPL(TMainMenu, TMenu, Z_PROP_BOOL(TMainMenu, AutoMerge, false))
Z_CLASS_IMPL(TPopupMenu, TMenu, Z_PROP_ENUM(TPopupMenu, Alignment, PopupAlignmentNames, paLeft),
             Z_PROP_BOOL(TPopupMenu, AutoPopup, true), Z_PROP_INT(TPopupMenu, HelpContext, 0),
             Z_PROP_ENUM(TPopupMenu, TrackButton, TrackButtonNames, tbRightButton))

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner)
{
    FItems = new TMenuItem(this);
    FItems->FMenu = this;
    FImageChangeLink = std::make_unique<TChangeLink>();
    FImageChangeLink->OnChange = MakeMethod<&TMenu::ImageListChanged>(this);
}

TMenu::~TMenu()
{
    Destroying();
    SetImages(nullptr);
    delete FItems;
    FItems = nullptr;
}

void TMenu::SetWindowHandle(HWND Value)
{
    FWindowHandle = Value;
}

HMENU TMenu::CreateMenuHandle()
{
    return CreatePopupMenu();
}

void TMenu::SetOwnerDraw(bool Value)
{
    if (StoreChanged(FOwnerDraw, Value))
        RebuildAll();
}

void TMenu::SetImages(TCustomImageList* Value)
{
    if (!SetImageListRef(FImages, Value, FImageChangeLink.get(), this))
        return;
    if (!IsDestroying())
        RebuildAll();
}

void TMenu::SetAutoHotkeys(TMenuAutoFlag Value)
{
    FAutoHotkeys = Value;
}

void TMenu::SetBiDiMode(TBiDiMode Value)
{
    if (StoreChanged(FBiDiMode, Value))
        RebuildAll();
}

void TMenu::RebuildAll()
{
    if (IsLoading() || IsDestroying() || !FItems)
        return;
    FItems->RebuildHandleTree();
    MenuChanged(this, nullptr, true);
}

namespace {
TMenuItem* FindIn(TMenuItem* Parent, uintptr_t Value, TFindItemKind Kind)
{
    for (int i = 0; i < Parent->Count(); ++i) {
        TMenuItem* item = Parent->Items(i);
        switch (Kind) {
        case fkCommand:
            if (item->Command() == Value)
                return item;
            break;
        case fkHandle:
            if (item->HandleAllocated() && reinterpret_cast<uintptr_t>(item->Handle()) == Value)
                return item;
            break;
        case fkShortCut:
            if (item->ShortCut() == Value)
                return item;
            break;
        }
        if (TMenuItem* found = FindIn(item, Value, Kind))
            return found;
    }
    return nullptr;
}
} // namespace

TMenuItem* TMenu::FindItem(uintptr_t Value, TFindItemKind Kind) const
{
    if (Kind != fkHandle && Value == 0)
        return nullptr;
    return FindIn(FItems, Value, Kind);
}

TMenuItem* TMenu::FindMenuSelectItem(HMENU Menu, UINT Item, UINT Flags) const
{
    // A closed menu: flags 0xFFFF and no menu.
    if (Flags == 0xFFFF && !Menu)
        return nullptr;
    if (Flags & MF_POPUP) {
        HMENU sub = Menu ? GetSubMenu(Menu, static_cast<int>(Item)) : nullptr;
        return sub ? FindItem(reinterpret_cast<uintptr_t>(sub), fkHandle) : nullptr;
    }
    return FindItem(Item, fkCommand);
}

bool TMenu::DispatchCommand(uint16_t ACommand)
{
    TMenuItem* item = FindItem(ACommand, fkCommand);
    if (!item)
        return false;
    item->Click();
    return true;
}

bool TMenu::DispatchPopup(HMENU AHandle)
{
    TMenuItem* item = FindItem(reinterpret_cast<uintptr_t>(AHandle), fkHandle);
    if (!item)
        return false;
    if (!item->IsDesigning())
        item->InitiateActions();
    if (item->GetAutoHotkeys())
        item->RethinkHotkeys();
    item->Click();
    return true;
}

bool TMenu::IsShortCut(TMessage& Message)
{
    TWMKey key(Message);
    TShortCut sc = ShortCut(key.CharCode, KeyDataToShiftState(key.KeyData));
    if (sc == scNone)
        return false;
    // Only items that can be reached: visible, under enabled visible parents.
    auto find = [sc](auto& self, TMenuItem* Parent) -> TMenuItem* {
        for (int i = 0; i < Parent->Count(); ++i) {
            TMenuItem* item = Parent->Items(i);
            if (!item->Visible())
                continue;
            if (item->ShortCut() == sc)
                return item;
            if (item->Count() > 0) {
                item->InitiateAction();
                if (!item->Enabled())
                    continue;
                if (TMenuItem* found = self(self, item))
                    return found;
            }
        }
        return nullptr;
    };
    TMenuItem* item = find(find, FItems);
    if (!item)
        return false;
    item->InitiateAction();
    if (!item->Enabled() || !item->Visible())
        return false;
    item->Click();
    return true;
}

void TMenu::ProcessMenuChar(TMessage& Message)
{
    auto menu = reinterpret_cast<HMENU>(Message.LParam);
    TMenuItem* parent = FItems->HandleAllocated() && FItems->Handle() == menu
                            ? FItems
                            : FindItem(reinterpret_cast<uintptr_t>(menu), fkHandle);
    if (!parent)
        return;
    char key = UpperChar(static_cast<char>(Message.WParamLo()));
    // Positions in the native menu count only the visible items.
    std::vector<int> matches;
    int position = 0;
    int hilite = -1;
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (!item->Visible())
            continue;
        AnsiString hk = GetHotkey(item->Caption());
        if (!hk.empty() && UpperChar(hk[0]) == key && item->Enabled())
            matches.push_back(position);
        if (GetMenuState(menu, position, MF_BYPOSITION) & MF_HILITE)
            hilite = position;
        ++position;
    }
    if (matches.empty())
        return;
    if (matches.size() == 1) {
        Message.Result = MAKELRESULT(matches[0], MNC_EXECUTE);
        return;
    }
    // Several items share the key: each press selects the next one.
    int next = matches[0];
    for (int m : matches)
        if (m > hilite) {
            next = m;
            break;
        }
    Message.Result = MAKELRESULT(next, MNC_SELECT);
}

bool TMenu::DispatchMeasureItem(MEASUREITEMSTRUCT& Measure)
{
    if (Measure.CtlType != ODT_MENU)
        return false;
    TMenuItem* item = FindItem(Measure.itemID, fkCommand);
    if (!item)
        return false;
    TWindowDC dc(FWindowHandle);
    TMenuCanvas canvas(dc.Handle());
    int w = static_cast<int>(Measure.itemWidth);
    int h = static_cast<int>(Measure.itemHeight);
    item->MeasureItem(canvas.Get(), w, h);
    Measure.itemWidth = static_cast<UINT>(std::max(0, w));
    Measure.itemHeight = static_cast<UINT>(std::max(0, h));
    return true;
}

bool TMenu::DispatchDrawItem(const DRAWITEMSTRUCT& Draw)
{
    if (Draw.CtlType != ODT_MENU)
        return false;
    TMenuItem* item = FindItem(Draw.itemID, fkCommand);
    if (!item)
        return false;
    TSaveDCScope saved(Draw.hDC);
    TMenuCanvas canvas(Draw.hDC);
    TRect r(Draw.rcItem.left, Draw.rcItem.top, Draw.rcItem.right, Draw.rcItem.bottom);
    item->AdvancedDrawItem(canvas.Get(), r, static_cast<TOwnerDrawState>(LOWORD(Draw.itemState)),
                           item->IsTopLevelMainMenuItem());
    return true;
}

void TMenu::GetChildren(TGetChildProc Proc, TComponent* Root)
{
    FItems->GetChildren(Proc, Root);
}

void TMenu::SetChildOrder(TComponent* Child, int Order)
{
    FItems->SetChildOrder(Child, Order);
}

void TMenu::Loaded()
{
    TComponent::Loaded();
    RebuildAll();
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == FImages) {
        FImages = nullptr;
        RebuildAll();
    }
}

void TMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild)
{
    if (OnChange && !IsLoading() && !IsDestroying())
        OnChange(Sender, Source, Rebuild);
}

// ---------------------------------------------------------------------------------------
// TMainMenu

HMENU TMainMenu::CreateMenuHandle()
{
    return CreateMenu();
}

void TMainMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild)
{
    TMenu::MenuChanged(Sender, Source, Rebuild);
    // The form that shows the menu draws its bar again (and whoever paints the bar for it
    // hears of the change).
    if (FWindowHandle && IsWindow(FWindowHandle) && !IsDestroying() && !IsLoading() &&
        GetMenu(FWindowHandle) == (FItems->HandleAllocated() ? FItems->Handle() : nullptr))
        SendMessageA(FWindowHandle, CM_MENUCHANGED, 0, 0);
}

// ---------------------------------------------------------------------------------------
// TPopupMenu

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner)
{
    if (PopupList)
        PopupList->Add(this);
}

TPopupMenu::~TPopupMenu()
{
    if (PopupList)
        PopupList->Remove(this);
    SetPopupComponent(nullptr);
}

void TPopupMenu::SetPopupComponent(TComponent* Value)
{
    ReplaceLink(FPopupComponent, Value);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TMenu::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == FPopupComponent)
        FPopupComponent = nullptr;
}

void TPopupMenu::DoPopup(TObject* Sender)
{
    if (OnPopup)
        OnPopup(Sender);
}

bool TPopupMenu::DispatchPopup(HMENU AHandle)
{
    if (TMenu::DispatchPopup(AHandle))
        return true;
    if (FItems->HandleAllocated() && FItems->Handle() == AHandle) {
        if (!IsDesigning())
            FItems->InitiateActions();
        return true;
    }
    return false;
}

void TPopupMenu::Popup(int X, int Y)
{
    FPopupPoint = TPoint(X, Y);
    DoPopup(this);
    if (FItems->GetAutoHotkeys())
        FItems->RethinkHotkeys();
    if (!PopupList)
        return;
    static const UINT alignments[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
    UINT flags = alignments[FAlignment] | (FTrackButton == tbLeftButton ? TPM_LEFTBUTTON : TPM_RIGHTBUTTON) |
                 TPM_RETURNCMD;
    HWND window = PopupList->Window();
    // The chosen command comes back here rather than through the queue, so the item has
    // run when Popup returns; it still goes through the popup list's window procedure.
    UINT command = TrackPopupMenu(FItems->Handle(), flags, X, Y, 0, window, nullptr);
    if (command != 0 && PopupList)
        SendMessageA(PopupList->Window(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

// ---------------------------------------------------------------------------------------
// TPopupList

Z_CLASS_IMPL(TPopupList, TList)

TPopupList::TPopupList() = default;

TPopupList::~TPopupList()
{
    if (FWindow)
        DeallocateHWnd(FWindow);
}

HWND TPopupList::Window()
{
    if (!FWindow)
        FWindow = AllocateHWnd(MakeMethod<&TPopupList::MainWndProc>(this));
    return FWindow;
}

void TPopupList::MainWndProc(TMessage& Message)
{
    try {
        WndProc(Message);
    } catch (...) {
        HandleCaughtException(this);
    }
}

void TPopupList::WndProc(TMessage& Message)
{
    // A copy: a handler may free a menu.
    std::vector<TPopupMenu*> menus;
    for (int i = 0; i < Count(); ++i)
        menus.push_back(Menus(i));
    auto alive = [this](TPopupMenu* M) { return IndexOf(M) >= 0; };
    switch (Message.Msg) {
    case WM_COMMAND:
        for (TPopupMenu* m : menus)
            if (alive(m) && m->DispatchCommand(TWMCommand(Message).ItemID))
                return;
        break;
    case WM_INITMENUPOPUP:
        for (TPopupMenu* m : menus)
            if (alive(m) && m->DispatchPopup(reinterpret_cast<HMENU>(Message.WParam)))
                return;
        break;
    case WM_MENUSELECT: {
        TMenuItem* item = nullptr;
        for (TPopupMenu* m : menus) {
            item = m->FindMenuSelectItem(reinterpret_cast<HMENU>(Message.LParam), Message.WParamLo(),
                                         Message.WParamHi());
            if (item)
                break;
        }
        if (Application)
            Application->SetHint(item ? GetLongHint(item->Hint()) : AnsiString());
        break;
    }
    case WM_MENUCHAR:
        for (TPopupMenu* m : menus) {
            auto hmenu = reinterpret_cast<HMENU>(Message.LParam);
            if ((m->Items()->HandleAllocated() && m->Items()->Handle() == hmenu) ||
                m->FindItem(reinterpret_cast<uintptr_t>(hmenu), fkHandle)) {
                m->ProcessMenuChar(Message);
                return;
            }
        }
        break;
    case WM_MEASUREITEM:
        if (auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam))
            for (TPopupMenu* m : menus)
                if (alive(m) && m->DispatchMeasureItem(*mis)) {
                    Message.Result = TRUE;
                    return;
                }
        break;
    case WM_DRAWITEM:
        if (auto* dis = TWMDrawItem(Message).DrawItemStruct)
            for (TPopupMenu* m : menus)
                if (alive(m) && m->DispatchDrawItem(*dis)) {
                    Message.Result = TRUE;
                    return;
                }
        break;
    }
    Message.Result = DefWindowProcA(FWindow, Message.Msg, Message.WParam, Message.LParam);
}

void SetPopupList(TPopupList* Value)
{
    if (Value == PopupList)
        return;
    TPopupList* old = PopupList;
    if (old && Value)
        for (int i = 0; i < old->Count(); ++i)
            Value->Add(old->Menus(i));
    PopupList = Value;
    delete old;
}

// ---------------------------------------------------------------------------------------
// The entry points of forms and controls

namespace {

TComponent* HookMenuComponent(TMainMenu* Menu)
{
    return Menu;
}

TMainMenu* HookAsMainMenu(TComponent* Component)
{
    return dynamic_cast<TMainMenu*>(Component);
}

HMENU HookMainMenuHandle(TMainMenu* Menu, HWND Window)
{
    Menu->SetWindowHandle(Window);
    if (!Window)
        return nullptr;
    if (Menu->Items()->GetAutoHotkeys())
        Menu->Items()->RethinkHotkeys();
    return Menu->Handle();
}

bool HookMenuMessage(TMainMenu* Menu, TMessage& Message)
{
    switch (Message.Msg) {
    case WM_COMMAND:
        return Menu->DispatchCommand(TWMCommand(Message).ItemID);
    case WM_INITMENUPOPUP:
        return Menu->DispatchPopup(reinterpret_cast<HMENU>(Message.WParam));
    case WM_MENUCHAR:
        Menu->ProcessMenuChar(Message);
        return Message.Result != 0;
    case WM_MEASUREITEM:
        if (auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam); mis && Menu->DispatchMeasureItem(*mis)) {
            Message.Result = TRUE;
            return true;
        }
        return false;
    case WM_DRAWITEM:
        if (auto* dis = TWMDrawItem(Message).DrawItemStruct; dis && Menu->DispatchDrawItem(*dis)) {
            Message.Result = TRUE;
            return true;
        }
        return false;
    }
    return false;
}

AnsiString HookMenuSelectHint(TMainMenu* Menu, HMENU Popup, UINT Item, UINT Flags, bool& Found)
{
    TMenuItem* item = Menu->FindMenuSelectItem(Popup, Item, Flags);
    Found = item != nullptr;
    return item ? GetLongHint(item->Hint()) : AnsiString();
}

bool HookIsShortCut(TMainMenu* Menu, TMessage& KeyMessage)
{
    return Menu->IsShortCut(KeyMessage);
}

void HookUpdateMenuActions(TMainMenu* Menu)
{
    TMenuItem* items = Menu->Items();
    for (int i = 0; i < items->Count(); ++i)
        if (items->Items(i)->Visible())
            items->Items(i)->InitiateAction();
}

TComponent* HookPopupMenuComponent(TPopupMenu* Menu)
{
    return Menu;
}

void HookPopup(TPopupMenu* Menu, int X, int Y, TControl* PopupComponent)
{
    if (!Menu->AutoPopup())
        return;
    Menu->SetPopupComponent(PopupComponent);
    Menu->Popup(X, Y);
}

} // namespace

void InitMenus()
{
    InitActnList();
    if (!PopupList)
        PopupList = new TPopupList();
    FormHooks.MainMenuComponent = &HookMenuComponent;
    FormHooks.AsMainMenu = &HookAsMainMenu;
    FormHooks.MainMenuHandle = &HookMainMenuHandle;
    FormHooks.MenuMessage = &HookMenuMessage;
    FormHooks.MenuSelectHint = &HookMenuSelectHint;
    FormHooks.IsShortCut = &HookIsShortCut;
    FormHooks.UpdateMenuActions = &HookUpdateMenuActions;
    ControlHooks.PopupMenuComponent = &HookPopupMenuComponent;
    ControlHooks.Popup = &HookPopup;
    RegisterClass(TMainMenu::StaticClassInfo());
    RegisterClass(TPopupMenu::StaticClassInfo());
    RegisterClass(TMenuItem::StaticClassInfo());
}

void DoneMenus()
{
    ControlHooks.Popup = nullptr;
    FormHooks.IsShortCut = nullptr;
    FormHooks.UpdateMenuActions = nullptr;
    // The popup menus still alive leave the list as they go.
    delete PopupList;
    PopupList = nullptr;
    DoneActnList();
}
