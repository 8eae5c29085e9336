// Menus: the menu item (its children, its native menu, properties, actions, owner drawing)
// and its action link. Shortcuts are in menus_shortcuts.cpp; the menus, the popup list and
// the entry points of forms in menus_menu.cpp.
#include "classlib/menus_shared.h"

#include <algorithm>

namespace zmenus {

const char* const MenuItemAutoFlagNames[3] = {"maAutomatic", "maManual", "maParent"};

char UpperChar(char C)
{
    char buf[2] = {C, 0};
    CharUpperBuffA(buf, 1);
    return buf[0];
}

bool IsLeadByte(char C)
{
    return IsDBCSLeadByte(static_cast<BYTE>(C)) != 0;
}
} // namespace zmenus

namespace {

const char* const kMenuIndexError = "Menu index out of range";
const char* const kMenuReinserted = "Menu inserted twice";
const char* const kMenuNotFound = "Sub-menu is not in menu";

// Command ids in use: the id is the index. 0 is never given; the system's own commands
// start at 0xF000.
constexpr uint16_t kFirstCommand = 1;
constexpr uint16_t kLastCommand = 0xEFFF;
std::vector<bool> g_commands;

uint16_t UniqueCommand()
{
    if (g_commands.size() < kFirstCommand)
        g_commands.resize(kFirstCommand, true);
    for (size_t i = kFirstCommand; i < g_commands.size(); ++i)
        if (!g_commands[i]) {
            g_commands[i] = true;
            return static_cast<uint16_t>(i);
        }
    if (g_commands.size() > kLastCommand)
        throw EMenuError("Too many menu items");
    g_commands.push_back(true);
    return static_cast<uint16_t>(g_commands.size() - 1);
}

void ReleaseCommand(uint16_t Command)
{
    if (Command >= kFirstCommand && Command < g_commands.size())
        g_commands[Command] = false;
}

// The width and height DrawText gives a text in the canvas's font.
TSize TextSize(TCanvas* Canvas, const AnsiString& Text, UINT Flags = DT_SINGLELINE | DT_EXPANDTABS)
{
    RECT r{0, 0, 0, 0};
    ::DrawTextA(Canvas->Handle(), Text.c_str(), static_cast<int>(Text.size()), &r, Flags | DT_CALCRECT | DT_NOCLIP);
    return TSize{r.right - r.left, r.bottom - r.top};
}

} // namespace

// ---------------------------------------------------------------------------------------
// TMenuItem

namespace {
const char* const MenuBreakNames[] = {"mbNone", "mbBreak", "mbBarBreak"};

template <class P> TPropInfo StoredWhen(P Prop, bool (*Stored)(const TObject*))
{
    TPropInfo p = Prop;
    p.IsStored = Stored;
    return p;
}
} // namespace

Z_CLASS_IMPL(TMenuItem, TComponent, Z_PROP_REF(TMenuItem, Action, TBasicAction),
             Z_PROP_BOOL(TMenuItem, AutoCheck, false),
             Z_PROP_ENUM(TMenuItem, AutoHotkeys, MenuItemAutoFlagNames, maParent), Z_PROP_OBJ(TMenuItem, Bitmap),
             Z_PROP_ENUM(TMenuItem, Break, MenuBreakNames, mbNone),
             StoredWhen(Z_PROP_STR(TMenuItem, Caption), &TMenuItem::CaptionStored),
             Z_PROP_BOOL(TMenuItem, Checked, false), Z_PROP_REF(TMenuItem, SubMenuImages, TCustomImageList),
             Z_PROP_BOOL(TMenuItem, Default, false), Z_PROP_BOOL(TMenuItem, Enabled, true),
             Z_PROP_INT(TMenuItem, GroupIndex, 0), Z_PROP_INT(TMenuItem, HelpContext, 0),
             StoredWhen(Z_PROP_STR(TMenuItem, Hint), &TMenuItem::HintStored),
             Z_PROP_INT(TMenuItem, ImageIndex, -1), Z_PROP_BOOL(TMenuItem, RadioItem, false),
             Z_PROP_INT(TMenuItem, ShortCut, 0), Z_PROP_BOOL(TMenuItem, Visible, true))

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FBitmap(std::make_unique<TBitmap>())
{
    FCommand = UniqueCommand();
    FBitmap->OnChange = MakeMethod<&TMenuItem::BitmapChanged>(this);
    FImageChangeLink = std::make_unique<TChangeLink>();
    FImageChangeLink->OnChange = MakeMethod<&TMenuItem::ImageListChanged>(this);
}

TMenuItem::~TMenuItem()
{
    Destroying();
    if (FParent) {
        try {
            FParent->Remove(this);
        } catch (...) {
        }
        FParent = nullptr;
    }
    while (!FItems.empty())
        delete FItems.back();
    if (FHandle)
        DestroyMenu(FHandle);
    FHandle = nullptr;
    FImageChangeLink.reset();
    delete FActionLink;
    FActionLink = nullptr;
    ReleaseCommand(FCommand);
}

bool TMenuItem::CaptionStored(const TObject* O)
{
    return static_cast<const TMenuItem*>(O)->IsCaptionStored();
}

bool TMenuItem::HintStored(const TObject* O)
{
    return static_cast<const TMenuItem*>(O)->IsHintStored();
}

bool TMenuItem::IsCaptionStored() const
{
    return !FActionLink || !FActionLink->IsCaptionLinked();
}

bool TMenuItem::IsHintStored() const
{
    return !FActionLink || !FActionLink->IsHintLinked();
}

// Children ---------------------------------------------------------------------------------

void TMenuItem::Add(TMenuItem* Item)
{
    Insert(Count(), Item);
}

void TMenuItem::Insert(int Index, TMenuItem* Item)
{
    if (!Item)
        return;
    if (Item->FParent)
        throw EMenuError(kMenuReinserted);
    // An item cannot hold itself or one of the items above it: the tree would be a ring.
    for (const TMenuItem* p = this; p; p = p->FParent)
        if (p == Item)
            throw EMenuError(kMenuReinserted);
    if (Index < 0 || Index > Count())
        throw EMenuError(kMenuIndexError);
    FItems.insert(FItems.begin() + Index, Item);
    Item->FParent = this;
    if (FHandle)
        RebuildHandle();
    // The first child turns this item into a submenu: its own entry changes too.
    MenuChanged(Count() == 1);
}

void TMenuItem::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        throw EMenuError(kMenuIndexError);
    TMenuItem* cur = FItems[Index];
    FItems.erase(FItems.begin() + Index);
    cur->FParent = nullptr;
    if (IsDestroying())
        return;
    if (FHandle)
        RebuildHandle();
    MenuChanged(Count() == 0);
}

void TMenuItem::Remove(TMenuItem* Item)
{
    int i = IndexOf(Item);
    if (i < 0)
        throw EMenuError(kMenuNotFound);
    Delete(i);
}

void TMenuItem::Clear()
{
    while (!FItems.empty())
        delete FItems.back();
}

TMenuItem* TMenuItem::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EMenuError(kMenuIndexError);
    return FItems[Index];
}

int TMenuItem::IndexOf(const TMenuItem* Item) const
{
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

TMenuItem* TMenuItem::Find(const AnsiString& ACaption) const
{
    for (TMenuItem* item : FItems)
        if (AnsiSameCaption(ACaption, item->FCaption))
            return item;
    return nullptr;
}

void TMenuItem::SetMenuIndex(int Value)
{
    if (!FParent)
        return;
    TMenuItem* parent = FParent;
    Value = std::clamp(Value, 0, parent->Count() - 1);
    if (Value == MenuIndex())
        return;
    parent->Remove(this);
    parent->Insert(Value, this);
}

int TMenuItem::NativeIndex() const
{
    if (!FParent || !FVisible)
        return -1;
    int position = 0;
    for (const TMenuItem* item : FParent->FItems) {
        if (item == this)
            return position;
        if (item->FVisible)
            ++position;
    }
    return -1;
}

TMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* item = this;
    while (item->FParent)
        item = item->FParent;
    return item->FMenu;
}

TCustomImageList* TMenuItem::GetImageList() const
{
    if (FParent && FParent->FSubMenuImages)
        return FParent->FSubMenuImages;
    TMenu* menu = GetParentMenu();
    return menu ? menu->Images() : nullptr;
}

bool TMenuItem::IsTopLevelMainMenuItem() const
{
    return FParent && FParent->FMenu && dynamic_cast<TMainMenu*>(FParent->FMenu) != nullptr;
}

bool TMenuItem::IsOwnerDraw() const
{
    TMenu* menu = GetParentMenu();
    return (menu && (menu->OwnerDraw() || GetImageList())) || !FBitmap->Empty();
}

// The native menu ------------------------------------------------------------------------------

HMENU TMenuItem::Handle()
{
    if (!FHandle) {
        FHandle = FMenu && !FParent ? FMenu->CreateMenuHandle() : CreatePopupMenu();
        if (!FHandle)
            RaiseLastOSError();
        RebuildHandle();
    }
    return FHandle;
}

void TMenuItem::RebuildHandle()
{
    if (!FHandle)
        return;
    // RemoveMenu keeps the children's submenus: they belong to the children.
    while (GetMenuItemCount(FHandle) > 0)
        if (!RemoveMenu(FHandle, 0, MF_BYPOSITION))
            break;
    TMenu* menu = GetParentMenu();
    bool rtl = menu && menu->IsRightToLeft();
    for (TMenuItem* item : FItems)
        item->AppendTo(FHandle, rtl);
}

void TMenuItem::RebuildHandleTree()
{
    for (TMenuItem* item : FItems)
        item->RebuildHandleTree();
    RebuildHandle();
}

void TMenuItem::AppendTo(HMENU Menu, bool ARightToLeft)
{
    if (!FVisible)
        return;
    bool line = IsLine();
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    UINT type = 0;
    if (FBreak == mbBreak)
        type |= MFT_MENUBREAK;
    else if (FBreak == mbBarBreak)
        type |= MFT_MENUBARBREAK;
    if (FRadioItem)
        type |= MFT_RADIOCHECK;
    if (ARightToLeft)
        type |= MFT_RIGHTORDER;
    if (line)
        type |= MFT_SEPARATOR;
    if (IsOwnerDraw())
        type |= MFT_OWNERDRAW;
    mii.fType = type;
    if (FChecked)
        mii.fState |= MFS_CHECKED;
    if (FDefault)
        mii.fState |= MFS_DEFAULT;
    if (!FEnabled)
        mii.fState |= MFS_GRAYED;
    mii.wID = FCommand;
    mii.dwItemData = reinterpret_cast<ULONG_PTR>(this);
    AnsiString text;
    if (!line) {
        text = FCaption;
        // The shortcut stands after a TAB, right-aligned by the system; not on the bar, and
        // not on an item that opens a submenu.
        if (FShortCut != scNone && FItems.empty() && !IsTopLevelMainMenuItem())
            text += "\t" + ShortCutToText(FShortCut);
        mii.fMask |= MIIM_STRING;
        mii.dwTypeData = text.data();
    }
    if (!FItems.empty())
        mii.hSubMenu = Handle();
    else if (FHandle) {
        DestroyMenu(FHandle);
        FHandle = nullptr;
    }
    InsertMenuItemA(Menu, static_cast<UINT>(-1), TRUE, &mii);
}

void TMenuItem::MenuChanged(bool Rebuild)
{
    if (IsDestroying())
        return;
    if (IsLoading()) {
        FStreamedRebuild = FStreamedRebuild || Rebuild;
        return;
    }
    TMenuItem* source = (!FParent && FMenu) ? nullptr : this;
    if (FParent)
        FParent->SubItemChanged(source, Rebuild);
    else if (FMenu)
        FMenu->MenuChanged(this, source, Rebuild);
}

void TMenuItem::SubItemChanged(TMenuItem* Source, bool Rebuild)
{
    if (IsDestroying())
        return;
    if (Rebuild && FHandle)
        RebuildHandle();
    if (OnChange)
        OnChange(this, Source, Rebuild);
    if (FParent)
        FParent->SubItemChanged(Source, false);
    else if (FMenu)
        FMenu->MenuChanged(this, Source, Rebuild);
}

// Properties ----------------------------------------------------------------------------------

void TMenuItem::SetCaption(const AnsiString& Value)
{
    if (StoreChanged(FCaption, Value))
        MenuChanged(true);
}

void TMenuItem::SetHint(const AnsiString& Value)
{
    FHint = Value;
}

void TMenuItem::SetShortCut(TShortCut Value)
{
    if (StoreChanged(FShortCut, Value))
        MenuChanged(true);
}

void TMenuItem::SetChecked(bool Value)
{
    if (!StoreChanged(FChecked, Value))
        return;
    if (FParent && FParent->FHandle && !(ComponentState() & csReading))
        CheckMenuItem(FParent->FHandle, FCommand, MF_BYCOMMAND | (Value ? MF_CHECKED : MF_UNCHECKED));
    if (Value && FRadioItem)
        TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::TurnSiblingsOff()
{
    if (!FParent)
        return;
    for (TMenuItem* item : FParent->FItems)
        if (item != this && item->FRadioItem && item->FGroupIndex == FGroupIndex)
            item->SetChecked(false);
}

void TMenuItem::SetRadioItem(bool Value)
{
    if (!StoreChanged(FRadioItem, Value))
        return;
    if (FChecked && FRadioItem)
        TurnSiblingsOff();
    MenuChanged(true);
}

void TMenuItem::SetGroupIndex(int Value)
{
    if (!StoreChanged(FGroupIndex, Value))
        return;
    if (FChecked && FRadioItem)
        TurnSiblingsOff();
}

void TMenuItem::SetDefault(bool Value)
{
    if (!StoreChanged(FDefault, Value))
        return;
    // One default item a submenu.
    if (Value && FParent)
        for (TMenuItem* item : FParent->FItems)
            if (item != this && item->FDefault) {
                item->FDefault = false;
            }
    MenuChanged(true);
}

void TMenuItem::SetEnabled(bool Value)
{
    if (!StoreChanged(FEnabled, Value))
        return;
    if (FParent && FParent->FHandle && !(ComponentState() & csReading))
        EnableMenuItem(FParent->FHandle, FCommand, MF_BYCOMMAND | (Value ? MF_ENABLED : MF_GRAYED));
    MenuChanged(false);
}

void TMenuItem::SetVisible(bool Value)
{
    if (StoreChanged(FVisible, Value))
        MenuChanged(true);
}

void TMenuItem::SetBreak(TMenuBreak Value)
{
    if (StoreChanged(FBreak, Value))
        MenuChanged(true);
}

void TMenuItem::SetImageIndex(int Value)
{
    if (StoreChanged(FImageIndex, Value))
        MenuChanged(true);
}

void TMenuItem::SetSubMenuImages(TCustomImageList* Value)
{
    if (!SetImageListRef(FSubMenuImages, Value, FImageChangeLink.get(), this))
        return;
    // The children's glyphs come from the list: their entries change.
    if (FHandle)
        RebuildHandleTree();
    MenuChanged(true);
}

void TMenuItem::SetAutoCheck(bool Value)
{
    FAutoCheck = Value;
}

void TMenuItem::SetAutoHotkeys(TMenuItemAutoFlag Value)
{
    FAutoHotkeys = Value;
}

bool TMenuItem::GetAutoHotkeys() const
{
    if (IsDesigning())
        return false;
    switch (FAutoHotkeys) {
    case maAutomatic: return true;
    case maManual: return false;
    default: break;
    }
    if (FParent)
        return FParent->GetAutoHotkeys();
    TMenu* menu = FMenu;
    return menu && menu->AutoHotkeys() == maAutomatic;
}

void TMenuItem::RethinkHotkeys()
{
    if (InternalRethinkHotkeys(false))
        RebuildHandleTree();
}

bool TMenuItem::InternalRethinkHotkeys(bool ForceRethink)
{
    bool changed = false;
    if (ForceRethink || GetAutoHotkeys()) {
        AnsiString used;   // the hot keys taken, upper case
        auto takes = [&used](const TMenuItem* Item) {
            return !Item->IsLine() && !Item->FCaption.empty();
        };
        for (TMenuItem* item : FItems) {
            if (!takes(item))
                continue;
            AnsiString hk = GetHotkey(item->FCaption);
            if (!hk.empty())
                used += UpperChar(hk[0]);
        }
        for (TMenuItem* item : FItems) {
            if (!takes(item) || !GetHotkey(item->FCaption).empty())
                continue;
            const AnsiString& c = item->FCaption;
            for (size_t j = 0; j < c.size(); ++j) {
                if (IsLeadByte(c[j])) {
                    ++j;
                    continue;
                }
                // A literal "&&" stays as it is: the "&" goes before a letter only.
                if (c[j] == cHotkeyPrefix) {
                    ++j;
                    continue;
                }
                char up = UpperChar(c[j]);
                if (IsValidMenuHotkey(c[j]) && used.find(up) == AnsiString::npos) {
                    item->FCaption.insert(j, 1, cHotkeyPrefix);
                    used += up;
                    changed = true;
                    break;
                }
            }
        }
    }
    for (TMenuItem* item : FItems)
        changed = item->InternalRethinkHotkeys(ForceRethink) || changed;
    return changed;
}

// Actions ----------------------------------------------------------------------------------

TBasicAction* TMenuItem::Action() const
{
    return FActionLink ? FActionLink->Action() : nullptr;
}

void TMenuItem::SetAction(TBasicAction* Value)
{
    if (FActionComponent && FActionComponent != Value)
        FActionComponent->RemoveFreeNotification(this);
    FActionComponent = Value;
    if (!Value) {
        delete FActionLink;
        FActionLink = nullptr;
        return;
    }
    if (!FActionLink)
        FActionLink = GetActionLinkClass()->Create(this);
    FActionLink->SetAction(Value);
    FActionLink->OnChange = MakeMethod<&TMenuItem::DoActionChange>(this);
    ActionChange(Value, Value->IsLoading());
    Value->FreeNotification(this);
}

void TMenuItem::ActionChange(TObject* Sender, bool CheckDefaults)
{
    auto* a = dynamic_cast<TCustomAction*>(Sender);
    if (!a)
        return;
    if (!CheckDefaults || !FAutoCheck)
        SetAutoCheck(a->AutoCheck());
    if (!CheckDefaults || FCaption.empty())
        SetCaption(a->Caption());
    if (!CheckDefaults || !FChecked)
        SetChecked(a->Checked());
    if (!CheckDefaults || FEnabled)
        SetEnabled(a->Enabled());
    if (!CheckDefaults || FHelpContext == 0)
        SetHelpContext(a->HelpContext());
    if (!CheckDefaults || FHint.empty())
        SetHint(a->Hint());
    if (FRadioItem && (!CheckDefaults || FGroupIndex == 0))
        SetGroupIndex(a->GroupIndex());
    if (!CheckDefaults || FImageIndex == -1)
        SetImageIndex(a->ImageIndex());
    if (!CheckDefaults || FShortCut == scNone)
        SetShortCut(a->ShortCut());
    if (!CheckDefaults || FVisible)
        SetVisible(a->Visible());
    if (!CheckDefaults || !OnClick)
        OnClick = a->OnExecute();
}

const TMenuActionLinkClass* TMenuItem::GetActionLinkClass()
{
    return MenuActionLinkClassOf<TMenuActionLink>();
}

void TMenuItem::InitiateAction()
{
    if (FActionLink)
        FActionLink->Update();
}

void TMenuItem::InitiateActions()
{
    std::vector<TMenuItem*> items = FItems;
    for (TMenuItem* item : items)
        item->InitiateAction();
}

void TMenuItem::Click()
{
    if (!FEnabled)
        return;
    // An auto-check item linked to an auto-check action is toggled by the action.
    if (FAutoCheck && !(FActionLink && FActionLink->IsAutoCheckLinked()))
        SetChecked(!FChecked);
    TBasicAction* action = Action();
    if (OnClick && action && OnClick != action->OnExecute())
        OnClick(this);
    else if (!IsDesigning() && FActionLink && action)
        FActionLink->Execute(this);
    else if (OnClick)
        OnClick(this);
}

// Owner drawing ------------------------------------------------------------------------------

void TMenuItem::MeasureItemSize(TCanvas* ACanvas, int& Width, int& Height)
{
    bool topLevel = IsTopLevelMainMenuItem();
    if (IsLine()) {
        Width = 10;
        Height = 8;
        return;
    }
    TFontStyles oldStyle = ACanvas->Font()->Style();
    if (FDefault)
        ACanvas->Font()->SetStyle(oldStyle | fsBold);
    TSize text = TextSize(ACanvas, FCaption.empty() ? AnsiString(" ") : FCaption);
    TSize shortcut{0, 0};
    if (FShortCut != scNone && !topLevel)
        shortcut = TextSize(ACanvas, ShortCutToText(FShortCut));
    ACanvas->Font()->SetStyle(oldStyle);
    int glyphW = 0;
    int glyphH = 0;
    TCustomImageList* images = GetImageList();
    if (images && FImageIndex >= 0) {
        glyphW = images->Width();
        glyphH = images->Height();
    } else if (!FBitmap->Empty()) {
        glyphW = FBitmap->Width();
        glyphH = FBitmap->Height();
    } else if (!topLevel) {
        // The check mark's column.
        glyphW = glyphH = 16;
    }
    if (topLevel) {
        Width = text.cx + (glyphW ? glyphW + 4 : 0) + 4;
        Height = std::max<int>(text.cy, glyphH) + 4;
        return;
    }
    Width = 2 + glyphW + 8 + text.cx + (shortcut.cx ? 16 + shortcut.cx : 0) + 10;
    Height = std::max<int>(text.cy + 6, glyphH + 4);
}

void TMenuItem::MeasureItem(TCanvas* ACanvas, int& Width, int& Height)
{
    MeasureItemSize(ACanvas, Width, Height);
    if (OnMeasureItem)
        OnMeasureItem(this, ACanvas, Width, Height);
}

void TMenuItem::DrawItem(TCanvas* ACanvas, const TRect& ARect, bool Selected)
{
    AdvancedDrawItem(ACanvas, ARect, Selected ? TOwnerDrawState(odSelected) : TOwnerDrawState(0), IsTopLevelMainMenuItem());
}

void TMenuItem::AdvancedDrawItem(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State, bool TopLevel)
{
    if (OnAdvancedDrawItem)
        OnAdvancedDrawItem(this, ACanvas, ARect, State);
    else if (OnDrawItem)
        OnDrawItem(this, ACanvas, ARect, (State & odSelected) != 0);
    else
        DrawItemDefault(ACanvas, ARect, State, TopLevel);
}

void TMenuItem::DrawItemDefault(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State, bool TopLevel)
{
    bool selected = (State & odSelected) != 0;
    bool enabled = FEnabled && !(State & (odDisabled | odGrayed));
    ACanvas->Brush()->SetStyle(bsSolid);
    ACanvas->Brush()->SetColor(selected && enabled ? clHighlight : (TopLevel ? clMenuBar : clMenu));
    ACanvas->FillRect(ARect);
    ACanvas->Font()->SetColor(selected && enabled ? clHighlightText : clMenuText);
    TRect textRect = ARect;
    if (IsLine()) {
        DoDrawText(ACanvas, cLineCaption, textRect, selected, 0);
        return;
    }
    // The glyph (an image, else the bitmap) or the check mark in the column on the left.
    TCustomImageList* images = GetImageList();
    bool hasImage = images && FImageIndex >= 0 && FImageIndex < images->Count();
    int glyphW = hasImage ? images->Width() : (!FBitmap->Empty() ? FBitmap->Width() : (TopLevel ? 0 : 16));
    int glyphH = hasImage ? images->Height() : (!FBitmap->Empty() ? FBitmap->Height() : 16);
    int gx = ARect.Left + 2;
    int gy = ARect.Top + (ARect.Height() - glyphH) / 2;
    HDC dc = ACanvas->Handle();
    if (hasImage)
        images->Draw(ACanvas, gx, gy, FImageIndex, enabled);
    else if (!FBitmap->Empty())
        ACanvas->Draw(gx, gy, FBitmap.get());
    if (FChecked) {
        RECT box{gx - 1, gy - 1, gx + glyphW + 1, gy + glyphH + 1};
        if (hasImage || !FBitmap->Empty())
            DrawEdge(dc, &box, BDR_SUNKENOUTER, BF_RECT);
        else
            DrawFrameControl(dc, &box, DFC_MENU, FRadioItem ? DFCS_MENUBULLET : DFCS_MENUCHECK);
    }
    if (glyphW)
        textRect.Left = gx + glyphW + 6;
    else
        textRect.Left += 4;
    int flags = DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS | (TopLevel ? DT_CENTER : DT_LEFT);
    if (State & odNoAccel)
        flags |= DT_HIDEPREFIX;
    TRect captionRect = textRect;
    DoDrawText(ACanvas, FCaption, captionRect, selected, flags);
    if (FShortCut != scNone && !TopLevel && FItems.empty()) {
        TRect r = textRect;
        r.Right -= 10;
        DoDrawText(ACanvas, ShortCutToText(FShortCut), r, selected, DT_VCENTER | DT_SINGLELINE | DT_RIGHT);
    }
}

void TMenuItem::DoDrawText(TCanvas* ACanvas, const AnsiString& ACaption, TRect& Rect, bool Selected, int Flags)
{
    TMenu* menu = GetParentMenu();
    if (menu && menu->IsRightToLeft()) {
        if (Flags & DT_RIGHT)
            Flags = (Flags & ~DT_RIGHT) | DT_LEFT;
        else if (!(Flags & DT_CENTER))
            Flags |= DT_RIGHT;
        Flags |= DT_RTLREADING;
    }
    AnsiString text = ACaption;
    // Measuring nothing (or a lone "&") would give no height.
    if ((Flags & DT_CALCRECT) && (text.empty() || text == "&"))
        text += ' ';
    HDC dc = ACanvas->Handle();
    if (text == cLineCaption) {
        if (!(Flags & DT_CALCRECT)) {
            RECT r = Rect;
            r.top += (Rect.Height() - 2) / 2;
            DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP);
        }
        return;
    }
    ACanvas->Brush()->SetStyle(bsClear);
    if (FDefault)
        ACanvas->Font()->SetStyle(ACanvas->Font()->Style() | fsBold);
    dc = ACanvas->Handle();
    RECT r = Rect;
    if (!FEnabled) {
        if (!Selected) {
            // The embossed look: a light copy one pixel down and right.
            ACanvas->Font()->SetColor(clBtnHighlight);
            dc = ACanvas->Handle();
            RECT shifted{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
            ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &shifted, Flags);
        }
        bool sameColours = ColorToRGB(clHighlight) == ColorToRGB(clBtnShadow);
        ACanvas->Font()->SetColor(Selected && sameColours ? clBtnHighlight : clBtnShadow);
        dc = ACanvas->Handle();
    }
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, Flags);
    if (Flags & DT_CALCRECT)
        Rect = TRect(r.left, r.top, r.right, r.bottom);
}

// Component behaviour ------------------------------------------------------------------------

TComponent* TMenuItem::GetParentComponent()
{
    if (FParent && FParent->FMenu)
        return FParent->FMenu;
    return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value)
{
    if (FParent)
        FParent->Remove(this);
    if (!Value)
        return;
    if (auto* menu = dynamic_cast<TMenu*>(Value))
        menu->Items()->Add(this);
    else if (auto* item = dynamic_cast<TMenuItem*>(Value))
        item->Add(this);
}

void TMenuItem::GetChildren(TGetChildProc Proc, TComponent* Root)
{
    for (TMenuItem* item : FItems)
        if (item->Owner() == Root)
            Proc(item);
}

void TMenuItem::SetChildOrder(TComponent* Child, int Order)
{
    if (auto* item = dynamic_cast<TMenuItem*>(Child); item && item->FParent == this)
        item->SetMenuIndex(Order);
}

void TMenuItem::Loaded()
{
    TComponent::Loaded();
    if (TBasicAction* action = Action())
        ActionChange(action, true);
    if (FStreamedRebuild) {
        FStreamedRebuild = false;
        MenuChanged(true);
    }
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent)
        return;
    if (AComponent == FSubMenuImages) {
        FSubMenuImages = nullptr;
        MenuChanged(true);
    }
    if (AComponent == FActionComponent) {
        FActionComponent = nullptr;
        delete FActionLink;
        FActionLink = nullptr;
    }
}

// ---------------------------------------------------------------------------------------
// TMenuActionLink

Z_CLASS_IMPL(TMenuActionLink, TActionLink)

// A property the item shows as the action does: linked while the two agree, and then it
// follows the action.
#define Z_MENU_LINK(Prop, Type)                                                                    \
    bool TMenuActionLink::Is##Prop##Linked()                                                       \
    {                                                                                              \
        return TActionLink::Is##Prop##Linked() && FMenuItem->Prop() == CustomAction()->Prop();     \
    }                                                                                              \
    void TMenuActionLink::Set##Prop(Type Value)                                                    \
    {                                                                                              \
        if (Is##Prop##Linked())                                                                    \
            FMenuItem->Set##Prop(Value);                                                           \
    }

Z_MENU_LINK(AutoCheck, bool)
Z_MENU_LINK(Caption, const AnsiString&)
Z_MENU_LINK(Checked, bool)
Z_MENU_LINK(Enabled, bool)
Z_MENU_LINK(HelpContext, int)
Z_MENU_LINK(Hint, const AnsiString&)
Z_MENU_LINK(ImageIndex, int)
Z_MENU_LINK(ShortCut, TShortCut)
Z_MENU_LINK(Visible, bool)
#undef Z_MENU_LINK

// Only a radio item takes the action's group.
bool TMenuActionLink::IsGroupIndexLinked()
{
    return FMenuItem->RadioItem() && TActionLink::IsGroupIndexLinked() &&
           FMenuItem->GroupIndex() == CustomAction()->GroupIndex();
}

void TMenuActionLink::SetGroupIndex(int Value)
{
    if (IsGroupIndexLinked())
        FMenuItem->SetGroupIndex(Value);
}

bool TMenuActionLink::IsOnExecuteLinked()
{
    return TActionLink::IsOnExecuteLinked() && FAction && FMenuItem->OnClick == FAction->OnExecute();
}

void TMenuActionLink::SetOnExecute(TNotifyEvent Value)
{
    if (IsOnExecuteLinked())
        FMenuItem->OnClick = Value;
}
