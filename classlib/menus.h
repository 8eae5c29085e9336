// Menus: main menus shown in a form's window, popup menus, and the items of both. Each item
// keeps its properties itself; its parent's native menu (an ANSI Windows menu) is rebuilt
// from them whenever they change. Clicks, submenu openings, hints, keys and owner-drawn
// items come back from the system as window messages to the form (main menus) or to the
// popup list's window (popup menus) and are dispatched to the items by command id or by
// submenu handle.
#pragma once

#include "classlib/actnlist.h"

#include <memory>
#include <vector>

class TMenu;
class TMainMenu;
class TPopupMenu;
class TMenuItem;
class TMenuActionLink;

ZANDREL_EXCEPTION(EMenuError, Exception);

enum TMenuBreak : uint8_t { mbNone, mbBreak, mbBarBreak };
enum TMenuItemAutoFlag : uint8_t { maAutomatic, maManual, maParent };
using TMenuAutoFlag = TMenuItemAutoFlag;   // a menu's own flag: maAutomatic or maManual
enum TFindItemKind : uint8_t { fkCommand, fkHandle, fkShortCut };
enum TPopupAlignment : uint8_t { paLeft, paRight, paCenter };
enum TTrackButton : uint8_t { tbRightButton, tbLeftButton };

using TMenuChangeEvent = TMethod<void(TObject* Sender, TMenuItem* Source, bool Rebuild)>;
using TMenuDrawItemEvent = TMethod<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected)>;
using TAdvancedMenuDrawItemEvent =
    TMethod<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State)>;
using TMenuMeasureItemEvent = TMethod<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;

// The caption of a separator line.
constexpr const char* cLineCaption = "-";
// The character that marks the next one as the item's hot key ("&&" is a literal "&").
constexpr char cHotkeyPrefix = '&';

// ---------------------------------------------------------------------------------------
// Shortcuts and hot keys

TShortCut ShortCut(uint16_t Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, uint16_t& Key, TShiftState& Shift);
// "Shift+Ctrl+Alt+" (those present, in that order) and the key's name: "BkSp", "Tab",
// "Enter", "Esc", "Space", "PgUp", "PgDn", "End", "Home", "Left", "Up", "Right", "Down",
// "Ins", "Del", digits, letters, keypad digits, "F1".."F24", else the system's name of the
// key; an empty text when the key has no name.
AnsiString ShortCutToText(TShortCut ShortCut);
// The reverse, case-insensitively; "^" stands for "Ctrl+". 0 for text that names no key.
TShortCut TextToShortCut(const AnsiString& Text);
// The modifier and key names, as ShortCutToText writes them.
extern const char* const MenuKeyCaps[18];

// The caption without its "&" marks (a doubled one leaves one "&"); on a Far-East system
// a bracketed hot key "(&X)" after the text goes whole.
AnsiString StripHotkey(const AnsiString& Text);
// The hot-key character of a caption (the last one marked), or an empty text.
AnsiString GetHotkey(const AnsiString& Text);
// The two captions name the same thing: equal without hot keys, ignoring case.
bool AnsiSameCaption(const AnsiString& Text1, const AnsiString& Text2);
// The characters automatic hot keys are chosen from: letters and digits of the ANSI code
// page (the test is the system's); a caption with none of them free gets no hot key.
bool IsValidMenuHotkey(char C);

// ---------------------------------------------------------------------------------------
// Menu items

// The class reference of a menu-item link class, for GetActionLinkClass.
struct TMenuActionLinkClass {
    const TClassInfo& (*ClassInfo)();
    TMenuActionLink* (*Create)(TMenuItem* Client);
};

class TMenuItem : public TComponent {
    Z_CLASS(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* AOwner);
    // Leaves its parent, frees its children, its native submenu and its command id.
    ~TMenuItem() override;

    // Children. Insert raises EMenuError "Menu inserted twice" for an item that has a
    // parent (or is this item or one of its parents) and "Menu index out of range" for a
    // bad index. Delete and Remove take an item out without freeing it; Clear frees them.
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item);
    void Delete(int Index);
    void Remove(TMenuItem* Item);   // EMenuError "Sub-menu is not in menu"
    void Clear();
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int Index) const;   // EMenuError "Menu index out of range"
    int IndexOf(const TMenuItem* Item) const;
    // The child whose caption is the same as ACaption (AnsiSameCaption), or nullptr.
    TMenuItem* Find(const AnsiString& ACaption) const;
    TMenuItem* Parent() const { return FParent; }
    int MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }
    void SetMenuIndex(int Value);
    // The position of the item's entry in its parent's native menu, which holds only the
    // visible items (for GetMenuItemRect and the like); -1 when it has no entry.
    int NativeIndex() const;
    // The menu this item belongs to (through its parents), or nullptr.
    TMenu* GetParentMenu() const;
    // The image list the item's glyph comes from: its parent's SubMenuImages, else the
    // menu's Images.
    TCustomImageList* GetImageList() const;

    // The native submenu (made on first use and filled with the children).
    HMENU Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    // The id of the item's WM_COMMAND, unique in the program.
    uint16_t Command() const { return FCommand; }

    // Properties. Each change rebuilds the parent's native menu (MenuChanged).
    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Value);
    const AnsiString& Hint() const { return FHint; }
    void SetHint(const AnsiString& Value);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value);
    bool Checked() const { return FChecked; }
    // Checking a radio item unchecks the radio items of the same group beside it.
    void SetChecked(bool Value);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    bool Default() const { return FDefault; }
    void SetDefault(bool Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TMenuBreak Break() const { return FBreak; }
    void SetBreak(TMenuBreak Value);
    TBitmap* Bitmap() const { return FBitmap.get(); }
    void SetBitmap(TBitmap* Value) { FBitmap->Assign(Value); }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    TCustomImageList* SubMenuImages() const { return FSubMenuImages; }
    void SetSubMenuImages(TCustomImageList* Value);
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool Value);
    TMenuItemAutoFlag AutoHotkeys() const { return FAutoHotkeys; }
    void SetAutoHotkeys(TMenuItemAutoFlag Value);
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int Value) { FHelpContext = Value; }
    // The caption is a separator line.
    bool IsLine() const { return FCaption == cLineCaption; }
    // An item of a main menu's bar.
    bool IsTopLevelMainMenuItem() const;
    // Drawn by the program: the menu is owner-drawn or has images, or the item has a bitmap.
    bool IsOwnerDraw() const;
    // Whether the children's hot keys are chosen automatically (maParent asks the parent,
    // the top asks the menu); never while designing.
    bool GetAutoHotkeys() const;
    // Gives every child without a hot key the first free letter or digit of its caption,
    // through the whole subtree; rebuilds the native menus when a caption changed.
    void RethinkHotkeys();

    // Actions
    TBasicAction* Action() const;
    void SetAction(TBasicAction* Value);
    TMenuActionLink* ActionLink() const { return FActionLink; }
    virtual void ActionChange(TObject* Sender, bool CheckDefaults);
    virtual const TMenuActionLinkClass* GetActionLinkClass();
    void InitiateAction();
    // Every child updates its action.
    void InitiateActions();

    // Runs the item: toggles an auto-check item, then OnClick, or the action when the
    // item's click handler is the action's (or there is none). Nothing for a disabled item.
    virtual void Click();

    // Owner drawing. MeasureItem gives the size the item needs (MeasureItemSize), then
    // OnMeasureItem may change it. AdvancedDrawItem calls OnAdvancedDrawItem, else
    // OnDrawItem, else draws the item itself; its texts go through DoDrawText, once with
    // the caption and once with the shortcut text (ACaption tells which).
    virtual void MeasureItem(TCanvas* ACanvas, int& Width, int& Height);
    virtual void DrawItem(TCanvas* ACanvas, const TRect& ARect, bool Selected);
    virtual void AdvancedDrawItem(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State, bool TopLevel);
    virtual void DoDrawText(TCanvas* ACanvas, const AnsiString& ACaption, TRect& Rect, bool Selected, int Flags);

    // Component behaviour
    bool HasParent() override { return true; }
    TComponent* GetParentComponent() override;
    void SetParentComponent(TComponent* Value) override;
    void GetChildren(TGetChildProc Proc, TComponent* Root) override;
    void SetChildOrder(TComponent* Child, int Order) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TNotifyEvent OnClick;
    TMenuMeasureItemEvent OnMeasureItem;
    TMenuDrawItemEvent OnDrawItem;
    TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;
    // The item (Source) or one of its children changed.
    TMenuChangeEvent OnChange;

protected:
    // The item's entry in its parent's native menu is out of date (Rebuild: the parent's
    // menu is made again); the change is passed up to the menu.
    virtual void MenuChanged(bool Rebuild);
    // The size the item needs, from the menu font's extent of its ANSI caption and shortcut
    // text and from its glyph; MeasureItem calls it before OnMeasureItem.
    void MeasureItemSize(TCanvas* ACanvas, int& Width, int& Height);
    // Empties the native submenu and appends the visible children again.
    void RebuildHandle();
    // Appends the item to a native menu (nothing when it is invisible).
    void AppendTo(HMENU Menu, bool ARightToLeft);
    // Draws the item as the system would, with its glyph or check mark.
    void DrawItemDefault(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State, bool TopLevel);

private:
    friend class TMenu;
    void SubItemChanged(TMenuItem* Source, bool Rebuild);
    void RebuildHandleTree();
    bool InternalRethinkHotkeys(bool ForceRethink);
    void TurnSiblingsOff();
    void BitmapChanged(TObject*) { MenuChanged(true); }
    void DoActionChange(TObject* Sender) { ActionChange(Sender, false); }
    void ImageListChanged(TObject*) { MenuChanged(true); }
    bool IsCaptionStored() const;
    bool IsHintStored() const;
    static bool CaptionStored(const TObject* O);
    static bool HintStored(const TObject* O);

    AnsiString FCaption;
    AnsiString FHint;
    TShortCut FShortCut = 0;
    bool FChecked = false;
    bool FRadioItem = false;
    bool FDefault = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FAutoCheck = false;
    bool FStreamedRebuild = false;
    int FGroupIndex = 0;
    int FImageIndex = -1;
    int FHelpContext = 0;
    TMenuBreak FBreak = mbNone;
    TMenuItemAutoFlag FAutoHotkeys = maParent;
    std::unique_ptr<TBitmap> FBitmap;
    TCustomImageList* FSubMenuImages = nullptr;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    std::vector<TMenuItem*> FItems;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr;   // set on a menu's root item only
    HMENU FHandle = nullptr;
    uint16_t FCommand = 0;
    TMenuActionLink* FActionLink = nullptr;
    TComponent* FActionComponent = nullptr;   // the linked action, for its free notification
};

// ---------------------------------------------------------------------------------------
// Menus

class TMenu : public TComponent {
    Z_CLASS(TMenu, TComponent)
public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;

    // The root item: its children are the menu's items, its handle the native menu.
    TMenuItem* Items() const { return FItems; }
    HMENU Handle() { return FItems->Handle(); }
    // The window that shows the menu (a form's window for a main menu).
    HWND WindowHandle() const { return FWindowHandle; }
    virtual void SetWindowHandle(HWND Value);

    bool OwnerDraw() const { return FOwnerDraw; }
    void SetOwnerDraw(bool Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TMenuAutoFlag AutoHotkeys() const { return FAutoHotkeys; }
    void SetAutoHotkeys(TMenuAutoFlag Value);
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode Value);
    bool IsRightToLeft() const { return FBiDiMode != bdLeftToRight; }

    // The item with that command, submenu handle or shortcut, searched through the whole
    // menu (the root item is not among them); nullptr when none.
    TMenuItem* FindItem(uintptr_t Value, TFindItemKind Kind) const;
    // The item a WM_MENUSELECT names: by command, or for a popup (MF_POPUP in Flags) by
    // the submenu at position Item of Menu; nullptr when the menu closed or none matches.
    TMenuItem* FindMenuSelectItem(HMENU Menu, UINT Item, UINT Flags) const;

    // WM_COMMAND of an item: the item is clicked. True when the command is one of ours.
    bool DispatchCommand(uint16_t ACommand);
    // WM_INITMENUPOPUP: the item whose submenu opens updates its children's actions, gets
    // its hot keys and is clicked. True when the submenu is one of ours.
    virtual bool DispatchPopup(HMENU AHandle);
    // A key (WM_KEYDOWN message) that is the shortcut of an enabled visible item clicks it.
    virtual bool IsShortCut(TMessage& Message);
    // WM_MENUCHAR of one of our menus: the item whose hot key was typed (Result set).
    void ProcessMenuChar(TMessage& Message);
    // WM_MEASUREITEM / WM_DRAWITEM of an owner-drawn item of this menu; False when the
    // item is not ours.
    bool DispatchMeasureItem(MEASUREITEMSTRUCT& Measure);
    bool DispatchDrawItem(const DRAWITEMSTRUCT& Draw);

    void GetChildren(TGetChildProc Proc, TComponent* Root) override;
    void SetChildOrder(TComponent* Child, int Order) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TMenuChangeEvent OnChange;

protected:
    friend class TMenuItem;
    // A native menu for the root item (a popup menu unless a bar).
    virtual HMENU CreateMenuHandle();
    // An item changed (Source nullptr: the menu as a whole).
    virtual void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild);
    // Every native menu of the tree made again (owner draw or images changed).
    void RebuildAll();

    TMenuItem* FItems;
    HWND FWindowHandle = nullptr;

private:
    void ImageListChanged(TObject*) { RebuildAll(); }
    bool FOwnerDraw = false;
    TCustomImageList* FImages = nullptr;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    TMenuAutoFlag FAutoHotkeys = maAutomatic;
    TBiDiMode FBiDiMode = bdLeftToRight;
};

// A menu bar: the native menu of a form's window (the form's Menu).
class TMainMenu : public TMenu {
    Z_CLASS(TMainMenu, TMenu)
public:
    explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
    bool AutoMerge() const { return FAutoMerge; }
    void SetAutoMerge(bool Value) { FAutoMerge = Value; }

protected:
    HMENU CreateMenuHandle() override;
    // The bar is drawn again in the window that shows it.
    void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) override;

private:
    bool FAutoMerge = false;
};

class TPopupMenu : public TMenu {
    Z_CLASS(TPopupMenu, TMenu)
public:
    // Joins the program's popup list.
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    // Shows the menu at a screen point and returns once it is closed and the chosen
    // item (if any) has run: OnPopup, action updates and hot keys first, then the system's
    // menu tracking, then the command through the popup list's window.
    virtual void Popup(int X, int Y);
    TPoint PopupPoint() const { return FPopupPoint; }
    // The control the menu was last shown for.
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* Value);
    TPopupAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
    // Shown by a right click on the control (its context menu).
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool Value) { FAutoPopup = Value; }
    TTrackButton TrackButton() const { return FTrackButton; }
    void SetTrackButton(TTrackButton Value) { FTrackButton = Value; }
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int Value) { FHelpContext = Value; }
    // The popup's root opens: its items update their actions.
    bool DispatchPopup(HMENU AHandle) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TNotifyEvent OnPopup;

protected:
    virtual void DoPopup(TObject* Sender);

private:
    TPoint FPopupPoint{-1, -1};
    TComponent* FPopupComponent = nullptr;
    TPopupAlignment FAlignment = paLeft;
    bool FAutoPopup = true;
    TTrackButton FTrackButton = tbRightButton;
    int FHelpContext = 0;
};

// ---------------------------------------------------------------------------------------
// The popup list: every popup menu of the program, and the hidden window that owns them
// while they are shown. Its window procedure (WndProc, replaceable by a subclass of the
// list) takes WM_COMMAND, WM_INITMENUPOPUP, WM_MENUSELECT (the application's hint),
// WM_MENUCHAR and the owner-draw messages of popup items.

class TPopupList : public TList {
    Z_CLASS(TPopupList, TList)
public:
    TPopupList();
    ~TPopupList() override;
    TPopupList(const TPopupList&) = delete;
    TPopupList& operator=(const TPopupList&) = delete;

    // The window, made on first use.
    HWND Window();
    void Add(TPopupMenu* Menu) { if (IndexOf(Menu) < 0) TList::Add(Menu); }
    void Remove(TPopupMenu* Menu) { TList::Remove(Menu); }
    TPopupMenu* Menus(int Index) const { return static_cast<TPopupMenu*>(Items(Index)); }

protected:
    virtual void WndProc(TMessage& Message);
    void MainWndProc(TMessage& Message);
    HWND FWindow = nullptr;
};

// The program's popup list (made by InitMenus).
extern TPopupList* PopupList;
// Puts another list in place of the program's (a subclass with its own WndProc): it takes
// over the menus of the old list, which is freed. The new one belongs to the program.
void SetPopupList(TPopupList* Value);

// ---------------------------------------------------------------------------------------
// The action link of a menu item

class TMenuActionLink : public TActionLink {
    Z_CLASS(TMenuActionLink, TActionLink)
public:
    explicit TMenuActionLink(TMenuItem* AClient) : TActionLink(AClient), FMenuItem(AClient) {}
    TMenuItem* MenuItemClient() const { return FMenuItem; }

    bool IsAutoCheckLinked() override;
    bool IsCaptionLinked() override;
    bool IsCheckedLinked() override;
    bool IsEnabledLinked() override;
    bool IsGroupIndexLinked() override;
    bool IsHelpContextLinked() override;
    bool IsHintLinked() override;
    bool IsImageIndexLinked() override;
    bool IsShortCutLinked() override;
    bool IsVisibleLinked() override;
    bool IsOnExecuteLinked() override;
    void SetAutoCheck(bool Value) override;
    void SetCaption(const AnsiString& Value) override;
    void SetChecked(bool Value) override;
    void SetEnabled(bool Value) override;
    void SetGroupIndex(int Value) override;
    void SetHelpContext(int Value) override;
    void SetHint(const AnsiString& Value) override;
    void SetImageIndex(int Value) override;
    void SetShortCut(TShortCut Value) override;
    void SetVisible(bool Value) override;
    void SetOnExecute(TNotifyEvent Value) override;

protected:
    TMenuItem* FMenuItem;
};

template <class L> const TMenuActionLinkClass* MenuActionLinkClassOf()
{
    static const TMenuActionLinkClass cls{
        &L::StaticClassInfo, [](TMenuItem* Client) -> TMenuActionLink* { return new L(Client); }};
    return &cls;
}

// Start-up and end of the menu unit: the popup list, the forms' and controls' menu entry
// points, the menu classes for form data, and the action unit (InitActnList). Call after
// InitForms; DoneMenus before DoneForms.
void InitMenus();
void DoneMenus();
